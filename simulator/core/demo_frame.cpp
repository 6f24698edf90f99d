#include "simulator/core/demo_frame.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sim {

namespace {

constexpr double kMillimetresPerPixelAt96Dpi = 25.4 / 96;
constexpr double kRawRangeX = 3600, kRawRangeY = 3500;
constexpr double kRawOffsetX = 180, kRawOffsetY = 280;

// EDID sizes of common monitors and panels by resolution.
struct KnownMonitor {
  std::int32_t width, height;
  MonitorMillimetres size;
};
constexpr KnownMonitor kKnownMonitors[] = {
    {1024, 768, {304, 228}},   // 15 inch, 4:3
    {1280, 800, {331, 207}},   // 15.4 inch laptop panel
    {1280, 1024, {338, 270}},  // 17 inch, 5:4
    {1366, 768, {344, 194}},   // 15.6 inch laptop panel
    {1440, 900, {408, 255}},   // 19 inch, 16:10
    {1680, 1050, {474, 296}},  // 22 inch, 16:10
    {1920, 1080, {531, 299}},  // 24 inch, 16:9
    {1920, 1200, {518, 324}},  // 24 inch, 16:10
    {2560, 1440, {597, 336}},  // 27 inch, 16:9
    {3840, 2160, {597, 336}},  // 27 inch, 16:9
};

double Pitch(std::int32_t millimetres, std::int32_t pixels) {
  return millimetres > 0 && pixels > 0 ? static_cast<double>(millimetres) / pixels : kMillimetresPerPixelAt96Dpi;
}

std::uint16_t RawValue(double value) { return static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L)); }

}  // namespace

MonitorMillimetres TypicalMonitorSize(std::int32_t width, std::int32_t height) {
  for (const KnownMonitor& known : kKnownMonitors)
    if (known.width == width && known.height == height) return known.size;
  return MonitorMillimetres{static_cast<std::int32_t>(std::lround(width * kMillimetresPerPixelAt96Dpi)),
                            static_cast<std::int32_t>(std::lround(height * kMillimetresPerPixelAt96Dpi))};
}

FrameRawPoint DemoFrameRawPoint(double x, double y, std::int32_t width, std::int32_t height,
                                MonitorMillimetres size) {
  width = std::max<std::int32_t>(1, width);
  height = std::max<std::int32_t>(1, height);
  // On the glass, in millimetres from the monitor's centre.
  const double widthMm = width * Pitch(size.width, width), heightMm = height * Pitch(size.height, height);
  const double dx = x / width * widthMm - widthMm / 2, dy = y / height * heightMm - heightMm / 2;
  // In the frame's own axes, turned against the glass.
  const double turn = kDemoFrameDegrees * std::numbers::pi / 180;
  const double fx = widthMm / 2 + dx * std::cos(turn) - dy * std::sin(turn);
  const double fy = heightMm / 2 + dx * std::sin(turn) + dy * std::cos(turn);
  return FrameRawPoint{RawValue(kRawOffsetX + fx / widthMm * kRawRangeX),
                       RawValue(kRawOffsetY + fy / heightMm * kRawRangeY)};
}

}  // namespace sim
