#pragma once
// The colours of the full-screen windows (calibration, mapping) and of the region hint: a
// blue surface with yellow text.
#include <windows.h>

inline constexpr COLORREF kFullScreenBackground = RGB(0, 128, 192);  // 0xC08000
inline constexpr COLORREF kFullScreenText = RGB(255, 255, 0);        // 0x00FFFF
