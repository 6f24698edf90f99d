#pragma once
// Shared by the tests on Wine's real HID stack: the virtual touch screens (plugged by the
// fixture through scripts/virtual-touch.sh, two of them in slots 0 and 1) and the windows of
// the real PelnixCpl.exe.
#include <windows.h>

#include <string>
#include <vector>

#include "device_nodes.h"
#include "touch_client.h"

namespace real_stack {

// One command for the virtual touch screen server; its answer line.
inline std::string Vts(const std::string& line) { return vts::SendCommand(line, 5000); }

// The HID interface path of the virtual touch screen in `slot`, or empty.
std::wstring TouchScreenPath(unsigned slot);
HANDLE OpenTouchScreen(unsigned slot, bool overlapped);

// The main window of a running PelnixCpl.exe (the process `processId`) once its list is
// ready, waiting up to timeoutMs; null if it never was.
HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs);
// A visible top-level window of the process other than `except`, waiting up to timeoutMs.
HWND WaitForOtherWindow(DWORD processId, HWND except, DWORD timeoutMs);
// The item texts of a list view in another process.
std::vector<std::wstring> ListViewTexts(HWND list);
// The image indexes of its items (1: calibrated).
std::vector<int> ListViewImages(HWND list);

// Waits up to timeoutMs for ready(); false when it never came.
template <typename Ready>
bool WaitFor(Ready ready, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!ready()) {
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
  return true;
}

}  // namespace real_stack
