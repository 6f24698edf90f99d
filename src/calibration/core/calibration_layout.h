#pragma once
// Where the calibration window's controls go, around the centre of a window of any size.
#include <array>
#include <cstdint>

#include "calibration/core/calibration_geometry.h"

namespace calibration {

struct Size {
  std::int32_t cx = 0, cy = 0;
};

// Sizes the layout starts from: the Cancel button's (all three buttons take it), the seven
// hints' own sizes (1090 to 1096) and the disagreement warning's.
struct LayoutInput {
  std::int32_t width = 0, height = 0;  // the window
  Size button;
  std::array<Size, 7> hints;
  Size warning;  // {0, 0} while it is hidden
};

struct Layout {
  Rect recalibrate, ok, cancel;
  std::array<Rect, 7> hints;
  Rect warning;
};

// The buttons share one row, centred vertically: OK in the middle, ReCalibrate ending and
// Cancel beginning 20 pixels from it. The opening hints stack from 60 pixels plus half the
// first one's height above the centre; the after-calibration hints from one button height
// below it; all centred horizontally. The warning ends 10 pixels above the buttons. In a
// window too small for them (a 200 x 200 region), the buttons shrink and the warning and the
// buttons move down, so that they stay 4 pixels inside its edges.
Layout LayOutControls(const LayoutInput& input);

}  // namespace calibration
