#include "ui_control_host.h"

namespace {
constexpr wchar_t kHostClass[] = L"PelnixControlHost";
}

ControlHost::ControlHost() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &ControlHost::HostProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kHostClass;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  ::RegisterClassW(&windowClass);  // fails harmlessly when registered already
  HWND hwnd = ::CreateWindowExW(0, kHostClass, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
  Bind(hwnd);
}

ControlHost::~ControlHost() {
  HWND hwnd = m_hWnd;
  Unbind();
  if (hwnd) ::DestroyWindow(hwnd);
}

HWND ControlHost::AddChild(const wchar_t* className, const std::wstring& text, DWORD style, int id, int x, int y,
                           int width, int height) {
  HWND child = ::CreateWindowExW(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                 m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return child;
}

LRESULT CALLBACK ControlHost::HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (ReflectToChild(hwnd, msg, wp, lp, result)) return result;
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

Pixels CaptureClient(HWND window, std::uint32_t background) {
  RECT client{};
  ::GetClientRect(window, &client);
  Pixels pixels;
  pixels.width = client.right;
  pixels.height = client.bottom;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = pixels.width;
  info.bmiHeader.biHeight = -pixels.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  ::ReleaseDC(nullptr, screen);
  HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  auto* data = static_cast<std::uint32_t*>(bits);
  const size_t count = static_cast<size_t>(pixels.width) * pixels.height;
  for (size_t i = 0; i < count; ++i) data[i] = background;

  ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  ::GdiFlush();
  pixels.data.assign(data, data + count);
  for (auto& pixel : pixels.data) pixel &= 0x00FFFFFF;

  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  return pixels;
}
