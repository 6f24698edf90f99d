// The demo's frame and monitors against the calibration check: four clicks exactly on the
// targets raise no warning in any layout the run script shows, full screen or in a region.
#include <gtest/gtest.h>

#include <cmath>

#include "calibration/core/calibration_check.h"
#include "simulator/core/demo_frame.h"

namespace {

using calibration::Point;
using calibration::Rect;

struct Layout {
  const char* name;
  std::int32_t monitorWidth, monitorHeight;
  MonitorMillimetres size;  // as the program learns it
  Rect window;              // the calibration window, in the monitor's pixels
};

calibration::CalibrationCheck ClickOnTargets(const Layout& layout) {
  std::array<Point, calibration::kTargetCount> targets, raw;
  for (int step = 0; step < calibration::kTargetCount; ++step) {
    targets[step] = calibration::TargetPosition(step, layout.window.width(), layout.window.height());
    const sim::FrameRawPoint point =
        sim::DemoFrameRawPoint(layout.window.left + targets[step].x, layout.window.top + targets[step].y,
                               layout.monitorWidth, layout.monitorHeight, layout.size);
    raw[step] = Point{point.x, point.y};
  }
  const calibration::PixelPitch pitch = calibration::MonitorPitch(
      layout.monitorWidth, layout.monitorHeight, layout.size.width, layout.size.height);
  return calibration::CheckCalibration(raw, targets, pitch, std::nullopt);
}

TEST(DemoFrame, ClicksOnTheTargetsRaiseNoWarningInAnyShownLayout) {
  const Layout layouts[] = {
      // The demo's two monitors, each measuring what such a monitor reports.
      {"demo monitor 1", 1280, 800, sim::TypicalMonitorSize(1280, 800), Rect{0, 0, 1280, 800}},
      {"demo monitor 2", 1024, 768, sim::TypicalMonitorSize(1024, 768), Rect{0, 0, 1024, 768}},
      // One 1280 x 800 screen whose size Wine derives from 96 pixels per inch, and unknown.
      {"one screen", 1280, 800, MonitorMillimetres{339, 212}, Rect{0, 0, 1280, 800}},
      {"size unknown", 1280, 800, MonitorMillimetres{}, Rect{0, 0, 1280, 800}},
      // The region the region demo draws.
      {"region", 1280, 800, MonitorMillimetres{339, 212}, Rect{500, 300, 900, 700}},
  };
  for (const Layout& layout : layouts) {
    const calibration::CalibrationCheck check = ClickOnTargets(layout);
    EXPECT_EQ(check.warning, calibration::CalibrationWarning::None)
        << layout.name << ": " << check.touchesMm << " mm, " << check.squareDegrees << " degrees";
    EXPECT_LT(check.squareDegrees, 0.2) << layout.name;
  }
}

TEST(DemoFrame, TheFrameIsTurnedNotSheared) {
  // The monitor's top edge, in the frame's millimetres, rises by the frame's turn.
  const MonitorMillimetres size = sim::TypicalMonitorSize(1280, 800);
  const sim::FrameRawPoint left = sim::DemoFrameRawPoint(0, 0, 1280, 800, size);
  const sim::FrameRawPoint right = sim::DemoFrameRawPoint(1280, 0, 1280, 800, size);
  const double rise = (right.y - left.y) / 3500.0 * size.height, run = (right.x - left.x) / 3600.0 * size.width;
  EXPECT_NEAR(std::atan2(rise, run) * 180 / 3.14159265358979, sim::kDemoFrameDegrees, 0.05);
  // The centre stays where an unturned frame has it.
  const sim::FrameRawPoint centre = sim::DemoFrameRawPoint(640, 400, 1280, 800, size);
  EXPECT_EQ(centre.x, 180 + 1800);
  EXPECT_EQ(centre.y, 280 + 1750);
}

TEST(DemoFrame, MonitorSizesAreThoseOfRealMonitors) {
  EXPECT_EQ(sim::TypicalMonitorSize(1920, 1080).width, 531);
  EXPECT_EQ(sim::TypicalMonitorSize(1024, 768).height, 228);
  // An uncommon resolution at 96 pixels per inch: square pixels.
  const MonitorMillimetres odd = sim::TypicalMonitorSize(1000, 500);
  EXPECT_EQ(odd.width, 265);
  EXPECT_EQ(odd.height, 132);
}

}  // namespace
