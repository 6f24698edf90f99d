#pragma once
// What the calibration and mapping windows share: the cursor hidden while a target asks for a
// touch, and the target itself (a cross inside circles, drawn on the window's background).
#include <cstdint>
#include <span>

#include <windows.h>

#include "calibration/core/calibration_geometry.h"

// The cursor's display count is per thread: hide until it is below 0, show until it is 0 or
// more, however often it was shown or hidden before.
void HideCursor();
void ShowCursorAgain();

// A cross of half-length `crossHalf` and the circles of `radii` (in drawing order) around
// `centre`, in black. The circles are filled with `background` masked against what is already
// drawn, so each fill leaves the lines and circles drawn before it visible. The device
// context's mode and selections are put back.
void DrawTarget(HDC dc, calibration::Point centre, std::int32_t crossHalf, std::span<const std::int32_t> radii,
                HBRUSH background);
