#include "calibration/target_window.h"

#include "framework/gdi.h"

void HideCursor() {
  while (::ShowCursor(FALSE) >= 0) {
  }
}

void ShowCursorAgain() {
  while (::ShowCursor(TRUE) < 0) {
  }
}

void DrawTarget(HDC dc, calibration::Point centre, std::int32_t crossHalf, std::span<const std::int32_t> radii,
                HBRUSH background) {
  const int oldMode = ::SetROP2(dc, R2_MASKPEN);
  const SelectionScope pen(dc, ::GetStockObject(BLACK_PEN));
  const SelectionScope brush(dc, background);
  ::MoveToEx(dc, centre.x - crossHalf, centre.y, nullptr);
  ::LineTo(dc, centre.x + crossHalf, centre.y);
  ::MoveToEx(dc, centre.x, centre.y - crossHalf, nullptr);
  ::LineTo(dc, centre.x, centre.y + crossHalf);
  for (std::int32_t radius : radii)
    ::Ellipse(dc, centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius);
  ::SetROP2(dc, oldMode);
}
