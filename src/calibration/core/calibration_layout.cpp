#include "calibration/core/calibration_layout.h"

namespace calibration {

namespace {
constexpr std::int32_t kButtonGap = 20;
constexpr std::int32_t kOpeningHintsAbove = 60;
constexpr std::int32_t kWarningGap = 10;

Rect At(std::int32_t left, std::int32_t top, Size size) {
  return Rect{left, top, left + size.cx, top + size.cy};
}
}  // namespace

Layout LayOutControls(const LayoutInput& input) {
  const std::int32_t cx = input.width / 2;
  const std::int32_t cy = input.height / 2;
  const Size button = input.button;
  Layout layout;
  const std::int32_t buttonTop = cy - button.cy / 2;
  layout.ok = At(cx - button.cx / 2, buttonTop, button);
  layout.recalibrate = At(layout.ok.left - kButtonGap - button.cx, buttonTop, button);
  layout.cancel = At(layout.ok.right + kButtonGap, buttonTop, button);

  std::int32_t top = cy - kOpeningHintsAbove - input.hints[0].cy / 2;
  for (int i = 0; i < 4; ++i) {
    layout.hints[i] = At(cx - input.hints[i].cx / 2, top, input.hints[i]);
    top = layout.hints[i].bottom;
  }
  top = cy + button.cy;
  for (int i = 4; i < 7; ++i) {
    layout.hints[i] = At(cx - input.hints[i].cx / 2, top, input.hints[i]);
    top = layout.hints[i].bottom;
  }
  layout.warning = At(cx - input.warning.cx / 2, buttonTop - kWarningGap - input.warning.cy, input.warning);
  return layout;
}

}  // namespace calibration
