#include "calibration/core/calibration_geometry.h"

#include <algorithm>

namespace calibration {

Point TargetPosition(int step, std::int32_t w, std::int32_t h) {
  const bool right = step == 1 || step == 3;
  const bool bottom = step == 2 || step == 3;
  return Point{right ? w - w / 8 : w / 8, bottom ? h - h / 6 : h / 6};
}

std::int32_t TargetRadius(std::int32_t w, std::int32_t h) { return std::min(w, h) / 32; }

std::array<std::int32_t, 4> TargetCircleRadii(std::int32_t r) {
  return {r * 3 / 4, r / 2, r / 4, r};
}

Rect TargetBounds(int step, std::int32_t w, std::int32_t h) {
  const Point c = TargetPosition(step, w, h);
  const std::int32_t r = TargetRadius(w, h);
  // The lines and circles reach from x - r to just short of x + r; the far edge is kept too.
  return Rect{c.x - r, c.y - r, c.x + r + 1, c.y + r + 1};
}

Point RawPointFromReport(const std::uint8_t* report) {
  return Point{report[3] + 256 * report[4], report[5] + 256 * report[6]};
}

std::int32_t ScaledFraction(std::int32_t value, std::int32_t extent) {
  if (extent <= 0) return 0;
  // The shift wraps in 32 bits as the driver's own arithmetic does.
  const auto shifted = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) << 16);
  return shifted / extent;
}

void SetCalibrationFields(DeviceParameters& record, const Rect& window, std::int32_t mw,
                          std::int32_t mh, const std::array<Point, kTargetCount>& raw,
                          std::int32_t monitorId) {
  const std::int32_t w = window.width();
  const std::int32_t h = window.height();
  record.AreaWidth = ScaledFraction(w, mw);
  record.AreaHeight = ScaledFraction(h, mh);
  record.AreaPixelWidth = w;
  record.AreaPixelHeight = h;
  record.M1X = raw[0].x;
  record.M1Y = raw[0].y;
  record.M2X = raw[1].x;
  record.M2Y = raw[1].y;
  record.M3X = raw[2].x;
  record.M3Y = raw[2].y;
  record.M4X = raw[3].x;
  record.M4Y = raw[3].y;
  record.AreaX = ScaledFraction(window.left, mw);
  record.AreaY = ScaledFraction(window.top, mh);
  record.MonitorID = monitorId;
  record.IsCalibrate = 1;
  record.AreaLeft = ScaledFraction(window.left, mw);
  record.AreaTop = ScaledFraction(window.top, mh);
  record.AreaRight = ScaledFraction(window.right, mw);
  record.AreaBottom = ScaledFraction(window.bottom, mh);
}

std::int32_t CalibratedMonitorId(std::int32_t mappedMonitor, std::int32_t monitorCount) {
  return mappedMonitor < monitorCount ? mappedMonitor : 0;
}

}  // namespace calibration
