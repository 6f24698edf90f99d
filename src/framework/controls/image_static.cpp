#include "framework/controls/image_static.h"

void CImageStatic::SetDpi(unsigned dpi) {
  m_nBitmapId = kLogo.For(dpi::ImageScaleForDpi(dpi));
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CImageStatic::OnPaint() {
  PAINTSTRUCT paint{};
  HDC dc = ::BeginPaint(m_hWnd, &paint);
  // The bitmap comes from the module that created the window: the program's resources.
  auto module = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(m_hWnd, GWLP_HINSTANCE));
  HBITMAP bitmap = static_cast<HBITMAP>(
      ::LoadImageW(module, MAKEINTRESOURCEW(m_nBitmapId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  if (bitmap) {
    HDC memory = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    const RECT client = GetClientRect();
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::DeleteObject(bitmap);
  }
  ::EndPaint(m_hWnd, &paint);
  return true;
}
