#pragma once
// The DPI a window is shown at: its monitor's, for a per-monitor aware program.
#include <windows.h>

#include "framework/core/dpi_images.h"

inline unsigned WindowDpi(HWND window) {
  const UINT dpi = ::GetDpiForWindow(window);
  return dpi ? dpi : dpi::kBaseDpi;
}
