#include "calibration/core/calibration_layout.h"

#include <algorithm>

namespace calibration {

namespace {
constexpr std::int32_t kButtonGap = 20;
constexpr std::int32_t kOpeningHintsAbove = 60;
constexpr std::int32_t kWarningGap = 10;
constexpr std::int32_t kMargin = 4;          // kept free at the window's edges
constexpr std::int32_t kNarrowButtonGap = 6; // between the buttons of a row that must shrink

Rect At(std::int32_t left, std::int32_t top, Size size) {
  return Rect{left, top, left + size.cx, top + size.cy};
}
}  // namespace

Layout LayOutControls(const LayoutInput& input) {
  const std::int32_t cx = input.width / 2;
  const std::int32_t cy = input.height / 2;
  const std::int32_t room = std::max<std::int32_t>(0, input.width - 2 * kMargin);
  // A window narrower than the row of buttons (a small region) gets narrower buttons, closer
  // together, so that all three stay inside it.
  Size button = input.button;
  std::int32_t gap = kButtonGap;
  if (3 * button.cx + 2 * gap > room) {
    gap = kNarrowButtonGap;
    button.cx = std::max<std::int32_t>(1, (room - 2 * gap) / 3);
  }
  Layout layout;
  std::int32_t buttonTop = cy - button.cy / 2;
  // The warning goes above the buttons; when it would cross the top edge, both move down
  // (and the warning is cut to the room there is, never to outside the window).
  Size warning{std::min(input.warning.cx, room), input.warning.cy};
  if (warning.cy > 0 && buttonTop - kWarningGap - warning.cy < kMargin) {
    buttonTop = kMargin + warning.cy + kWarningGap;
    const std::int32_t lowest = input.height - kMargin - button.cy;
    if (buttonTop > lowest) {
      warning.cy = std::max<std::int32_t>(0, warning.cy - (buttonTop - lowest));
      buttonTop = lowest;
    }
  }
  layout.ok = At(cx - button.cx / 2, buttonTop, button);
  layout.recalibrate = At(layout.ok.left - gap - button.cx, buttonTop, button);
  layout.cancel = At(layout.ok.right + gap, buttonTop, button);

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
  layout.warning = At(cx - warning.cx / 2, buttonTop - kWarningGap - warning.cy, warning);
  return layout;
}

}  // namespace calibration
