// The calibration arithmetic: targets, the stored area fields in the driver's 32-bit
// arithmetic, and the check that the four touches agree.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "calibration/core/calibration_geometry.h"
#include "calibration/core/touch_agreement.h"

using namespace calibration;

namespace {

TEST(CalibrationGeometry, TargetsAndRadius) {
  struct Case {
    std::int32_t w, h;
    std::array<Point, 4> targets;
    std::int32_t r;
  };
  const Case cases[] = {
      {1920, 1080, {{{240, 180}, {1680, 180}, {240, 900}, {1680, 900}}}, 33},
      {1000, 1000, {{{125, 166}, {875, 166}, {125, 834}, {875, 834}}}, 31},
      {200, 200, {{{25, 33}, {175, 33}, {25, 167}, {175, 167}}}, 6},
  };
  for (const Case& c : cases) {
    for (int step = 0; step < 4; ++step)
      EXPECT_EQ(TargetPosition(step, c.w, c.h), c.targets[step]) << c.w << "x" << c.h << " step " << step;
    EXPECT_EQ(TargetRadius(c.w, c.h), c.r);
  }
  EXPECT_EQ(TargetCircleRadii(33), (std::array<std::int32_t, 4>{24, 16, 8, 33}));
}

TEST(CalibrationGeometry, RawPointIsLittleEndian) {
  const std::uint8_t report[8] = {0x31, 0x54, 0x84, 0x34, 0x12, 0xFF, 0xFF, 0};
  EXPECT_EQ(RawPointFromReport(report), (Point{0x1234, 0xFFFF}));
}

TEST(CalibrationGeometry, AreaFieldsOfTheSecondMonitor) {
  DeviceParameters record{};
  record.Reserved4 = 77;
  record.TouchScreenNo = 3;
  record.Reserved29 = -5;
  const std::array<Point, 4> raw{{{100, 200}, {3900, 210}, {110, 3800}, {3890, 3790}}};
  SetCalibrationFields(record, Rect{1920, 0, 3840, 1080}, 1920, 1080, raw, 1);
  EXPECT_EQ(record.AreaX, 65536);
  EXPECT_EQ(record.AreaLeft, 65536);
  EXPECT_EQ(record.AreaRight, 131072);
  EXPECT_EQ(record.AreaWidth, 65536);
  EXPECT_EQ(record.AreaHeight, 65536);
  EXPECT_EQ(record.AreaPixelWidth, 1920);
  EXPECT_EQ(record.AreaPixelHeight, 1080);
  EXPECT_EQ(record.AreaY, 0);
  EXPECT_EQ(record.AreaTop, 0);
  EXPECT_EQ(record.AreaBottom, 65536);
  EXPECT_EQ(record.M1X, 100);
  EXPECT_EQ(record.M2Y, 210);
  EXPECT_EQ(record.M3X, 110);
  EXPECT_EQ(record.M4Y, 3790);
  EXPECT_EQ(record.MonitorID, 1);
  EXPECT_EQ(record.IsCalibrate, 1);
  // Fields the calibration does not set travel unchanged.
  EXPECT_EQ(record.Reserved4, 77);
  EXPECT_EQ(record.TouchScreenNo, 3);
  EXPECT_EQ(record.Reserved29, -5);
}

TEST(CalibrationGeometry, FractionsWrapIn32Bits) {
  struct Case {
    std::int32_t value, extent, expected;
  };
  const Case cases[] = {
      {500, 1000, 32768},
      {-1920, 1920, -65536},         // a monitor left of the first
      {32768, 65536, INT_MIN / 65536},  // the shift reaches the sign bit
      {40000, 1920, static_cast<std::int32_t>(40000u << 16) / 1920},
      {1920, 0, 0},                  // no monitor: no division by zero
  };
  for (const Case& c : cases) EXPECT_EQ(ScaledFraction(c.value, c.extent), c.expected) << c.value;
}

// Raw points of a frame mounted askew (offset, scale, shear and a small rotation) for the
// given screen points, rounded as the frame reports them.
std::array<Point, 4> AskewRaw(const std::array<Point, 4>& screen) {
  std::array<Point, 4> raw;
  for (int i = 0; i < 4; ++i) {
    const double x = screen[i].x, y = screen[i].y;
    raw[i] = Point{static_cast<std::int32_t>(std::lround(180 + 1.87 * x + 0.09 * y)),
                   static_cast<std::int32_t>(std::lround(4100 - 0.05 * x - 3.2 * y))};
  }
  return raw;
}

std::array<Point, 4> Targets(std::int32_t w, std::int32_t h) {
  std::array<Point, 4> targets;
  for (int step = 0; step < 4; ++step) targets[step] = TargetPosition(step, w, h);
  return targets;
}

TEST(TouchAgreement, FitOfTheFourTouches) {
  const std::int32_t w = 1920, h = 1080, r = TargetRadius(w, h);
  const auto targets = Targets(w, h);
  struct Case {
    const char* name;
    std::array<Point, 4> touched;  // screen points the finger left
    bool agree;
    std::int32_t minPixels, maxPixels;
  };
  auto moved = [&](int which, std::int32_t dx, std::int32_t dy) {
    auto points = targets;
    points[which].x += dx;
    points[which].y += dy;
    return points;
  };
  const Case cases[] = {
      {"exact", targets, true, 0, 1},
      {"each a few pixels off", {{{243, 178}, {1677, 184}, {236, 903}, {1683, 897}}}, true, 0, 20},
      {"one off by 2r", moved(2, 2 * r, 0), false, 2 * r - 4, 2 * r + 4},
      {"one off by 2r diagonally", moved(1, -47, 47), false, 2 * r - 4, 2 * r + 4},
      {"one off by r/2", moved(3, 0, r / 2), true, r / 2 - 3, r / 2 + 3},
  };
  for (const Case& c : cases) {
    const TouchAgreement result = CheckTouchAgreement(AskewRaw(c.touched), targets, r);
    EXPECT_EQ(result.agree, c.agree) << c.name << ": " << result.pixels;
    EXPECT_GE(result.pixels, c.minPixels) << c.name;
    EXPECT_LE(result.pixels, c.maxPixels) << c.name;
  }
}

TEST(TouchAgreement, PointsThatAllowNoFit) {
  const auto targets = Targets(1920, 1080);
  // Two touches on one spot: the first two targets, 1440 pixels apart, were touched as one.
  const std::array<Point, 4> coinciding{{{500, 600}, {500, 600}, {520, 3500}, {3600, 3480}}};
  TouchAgreement result = CheckTouchAgreement(coinciding, targets, 33);
  EXPECT_FALSE(result.agree);
  EXPECT_EQ(result.pixels, 1440);
  // Four touches on one line.
  const std::array<Point, 4> line{{{100, 100}, {200, 200}, {300, 300}, {400, 400}}};
  EXPECT_FALSE(CheckTouchAgreement(line, targets, 33).agree);
  // A small region: the floor keeps a fingertip's error from counting.
  const auto small = Targets(200, 200);
  std::array<Point, 4> touched = small;
  touched[0].x += 7;
  EXPECT_TRUE(CheckWindowTouches(AskewRaw(touched), 200, 200).agree);
  touched[0].x += 6;
  EXPECT_FALSE(CheckWindowTouches(AskewRaw(touched), 200, 200).agree);
}

}  // namespace
