#pragma once
// The arithmetic of four-point calibration: where the four targets lie in the calibration
// window, how big they are, and the area fields of the record stored for the driver.
#include <array>
#include <cstdint>

#include "base/core/rect.h"
#include "config/core/driver_parameters.h"

namespace calibration {

inline constexpr int kTargetCount = 4;

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

using ::Rect;

// Target of `step` (0 to 3: top left, top right, bottom left, bottom right) in a window of
// width w and height h, relative to its top-left corner.
Point TargetPosition(int step, std::int32_t w, std::int32_t h);
// Radius of the outer circle of a target: a 32nd of the window's smaller side.
std::int32_t TargetRadius(std::int32_t w, std::int32_t h);
// The four circles of a target, in drawing order: 3r/4, r/2, r/4 and r.
std::array<std::int32_t, 4> TargetCircleRadii(std::int32_t r);
// Every pixel the target of `step` draws (its lines and circles, pen included): what a
// touch invalidates, so that only the old and the new target are painted again.
Rect TargetBounds(int step, std::int32_t w, std::int32_t h);

// The raw point of a lift-off report: bytes 3-4 and 5-6, little-endian, unsigned 16-bit.
Point RawPointFromReport(const std::uint8_t* report);

// Fills the fields a calibration sets in `record` (read from the driver just before), for
// the window's screen rectangle, the extent mw x mh of the first monitor, the four raw points
// in target order and the monitor number. The fractions of 65536 are computed as the driver
// expects them: 32-bit signed, the multiplication a shift left by 16 bits that wraps, the
// division truncating; a monitor extent of 0 or less gives 0 instead of a division by zero.
void SetCalibrationFields(DeviceParameters& record, const Rect& window, std::int32_t mw,
                          std::int32_t mh, const std::array<Point, kTargetCount>& raw,
                          std::int32_t monitorId);

// The MonitorID a calibration stores: the monitor of the touch screen's mapping row when it is
// below the monitor count, in a signed comparison, so a row without a monitor (-1) stays -1;
// 0 for a monitor past the last one.
std::int32_t CalibratedMonitorId(std::int32_t mappedMonitor, std::int32_t monitorCount);

// 32-bit signed value x 65536 / extent, as above.
std::int32_t ScaledFraction(std::int32_t value, std::int32_t extent);

}  // namespace calibration
