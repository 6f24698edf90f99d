#pragma once
// A plain top-level window for testing custom controls outside a dialog: it reflects the
// notifications of its children to their objects as a dialog does, and captures what a
// control paints into pixels that a test can read.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/wnd.h"

class ControlHost : public CWnd {
public:
  ControlHost();
  ~ControlHost() override;

  // A child control of the given class, style and client position.
  HWND AddChild(const wchar_t* className, const std::wstring& text, DWORD style, int id, int x, int y, int width,
                int height);

private:
  static LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};

// The pixels of a window's client area as its WM_PRINTCLIENT paints them, row by row,
// 0x00RRGGBB. Pixels the window leaves alone keep the colour `background`.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> data;
  std::uint32_t At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
  friend bool operator==(const Pixels&, const Pixels&) = default;
};
Pixels CaptureClient(HWND window, std::uint32_t background = 0x00FF00FF);

inline std::uint32_t Rgb(int red, int green, int blue) {
  return (static_cast<std::uint32_t>(red) << 16) | (static_cast<std::uint32_t>(green) << 8) |
         static_cast<std::uint32_t>(blue);
}

// Dispatches the thread's pending messages for up to `ms` milliseconds, or until `done`.
template <typename Done>
bool PumpUntil(DWORD ms, Done done) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  MSG msg;
  while (!done()) {
    if (::GetTickCount64() >= end) return false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}
