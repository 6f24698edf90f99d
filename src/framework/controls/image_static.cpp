#include "framework/controls/image_static.h"

#include "framework/gdi.h"

void CImageStatic::SetDpi(unsigned dpi) {
  m_nBitmapId = kLogo.For(dpi::ImageScaleForDpi(dpi));
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CImageStatic::OnPaint() {
  PaintDC dc(m_hWnd);
  // The bitmap comes from the module that created the window: the program's resources.
  auto module = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(m_hWnd, GWLP_HINSTANCE));
  const ScopedBitmap bitmap(static_cast<HBITMAP>(
      ::LoadImageW(module, MAKEINTRESOURCEW(m_nBitmapId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  if (bitmap) {
    // Declared after the bitmap: the selection ends before the bitmap is deleted.
    MemoryDC memory(dc);
    SelectionScope selected(memory, bitmap);
    const RECT client = GetClientRect();
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  }
  return true;
}
