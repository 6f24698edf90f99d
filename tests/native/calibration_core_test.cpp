// The calibration arithmetic: targets, the stored area fields in the driver's 32-bit
// arithmetic, and the checks that the four touches agree with each other and with the map
// the touch screen should have.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "calibration/core/calibration_geometry.h"
#include "calibration/core/calibration_check.h"
#include "calibration/core/calibration_layout.h"
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
    // The bounds repainted after a touch hold the whole target, one pixel to spare at most.
    for (int step = 0; step < 4; ++step) {
      const Rect b = TargetBounds(step, c.w, c.h);
      const Point t = c.targets[step];
      EXPECT_TRUE(b.left == t.x - c.r && b.top == t.y - c.r && b.right == t.x + c.r + 1 && b.bottom == t.y + c.r + 1)
          << c.w << "x" << c.h << " step " << step;
    }
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

TEST(CalibrationGeometry, MonitorIdOfTheMappingRowInASignedComparison) {
  const struct {
    std::int32_t mapped, monitorCount, expected;
  } cases[] = {
      {1, 2, 1}, {0, 2, 0}, {-1, 2, -1}, {-1, 0, -1}, {2, 2, 0}, {5, 1, 0}, {0, 0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CalibratedMonitorId(c.mapped, c.monitorCount), c.expected) << c.mapped << " of " << c.monitorCount;
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

// 4 pixels to the millimetre: misses below are told in millimetres.
constexpr PixelPitch kPitch{0.25, 0.25};

TEST(TouchAgreement, FitOfTheFourTouchesInMillimetres) {
  const auto targets = Targets(1920, 1080);
  struct Case {
    const char* name;
    std::array<Point, 4> touched;  // screen points the finger left
    bool agree;
    double minMm, maxMm;
  };
  auto moved = [&](int which, std::int32_t dx, std::int32_t dy) {
    auto points = targets;
    points[which].x += dx;
    points[which].y += dy;
    return points;
  };
  const Case cases[] = {
      {"exact", targets, true, 0, 0.5},
      {"each a few pixels off", {{{243, 178}, {1677, 184}, {236, 903}, {1683, 897}}}, true, 0, 6},
      {"one off by 25 mm", moved(2, 100, 0), false, 24, 26},
      // A miss this large also bends the fitted map a little, which tells the distance with.
      {"one off by 25 mm diagonally", moved(1, -71, 71), false, 24, 28},
      {"one off by 5 mm", moved(3, 0, 20), true, 4, 6},
  };
  for (const Case& c : cases) {
    const TouchAgreement result = CheckTouchAgreement(AskewRaw(c.touched), targets, kPitch);
    EXPECT_EQ(result.agree, c.agree) << c.name << ": " << result.millimetres;
    EXPECT_GE(result.millimetres, c.minMm) << c.name;
    EXPECT_LE(result.millimetres, c.maxMm) << c.name;
  }
  // Millimetres count the same in a 200 x 200 region (50 mm wide here): a fingertip's slip
  // agrees, a miss of a third of the region does not.
  const auto small = Targets(200, 200);
  for (auto [mm, agree] : {std::pair{8.0, true}, std::pair{17.0, false}}) {
    auto touched = small;
    touched[0].x += static_cast<std::int32_t>(mm * 4);
    EXPECT_EQ(CheckTouchAgreement(AskewRaw(touched), small, kPitch).agree, agree) << mm;
  }
}

TEST(TouchAgreement, PointsThatAllowNoFit) {
  const auto targets = Targets(1920, 1080);
  // Two touches on one spot: the first two targets, 1440 pixels (360 mm) apart, were touched as one.
  const std::array<Point, 4> coinciding{{{500, 600}, {500, 600}, {520, 3500}, {3600, 3480}}};
  TouchAgreement result = CheckTouchAgreement(coinciding, targets, kPitch);
  EXPECT_FALSE(result.agree);
  EXPECT_DOUBLE_EQ(result.millimetres, 360);
  // Four touches on one line.
  const std::array<Point, 4> line{{{100, 100}, {200, 200}, {300, 300}, {400, 400}}};
  EXPECT_FALSE(CheckTouchAgreement(line, targets, kPitch).agree);
  EXPECT_EQ(CheckCalibration(line, targets, kPitch, std::nullopt).warning, CalibrationWarning::Touches);
}

TEST(CalibrationCheck, MissesAnAffineMapAbsorbs) {
  const auto targets = Targets(1920, 1080);
  // A frame mounted square, rotated half a degree, scaled differently on each axis.
  auto frame = [](const std::array<Point, 4>& screen) {
    std::array<Point, 4> raw;
    const double c = std::cos(0.0087), s = std::sin(0.0087);
    for (int i = 0; i < 4; ++i) {
      const double x = screen[i].x, y = screen[i].y;
      raw[i] = Point{static_cast<std::int32_t>(std::lround(180 + 2.1 * (c * x - s * y))),
                     static_cast<std::int32_t>(std::lround(300 + 3.7 * (s * x + c * y)))};
    }
    return raw;
  };
  auto shifted = [&](std::initializer_list<std::tuple<int, int, int>> moves) {
    auto points = targets;
    for (auto [k, dx, dy] : moves) {
      points[k].x += dx;
      points[k].y += dy;
    }
    return points;
  };
  const EarlierCalibration earlier{frame(shifted({{0, 3, -2}, {1, -2, 2}, {2, 2, 1}, {3, -1, -3}})), targets};
  struct Case {
    const char* name;
    std::array<Point, 4> touched;
    bool withEarlier;
    CalibrationWarning warning;
    std::int32_t mm = 0;  // the largest move from the earlier map at a target
  };
  const Case cases[] = {
      {"careful, against the earlier one", shifted({{0, -3, 2}, {1, 4, 1}, {2, -2, -3}, {3, 2, 2}}), true,
       CalibrationWarning::None},
      {"careful, alone", shifted({{0, -3, 2}, {1, 4, 1}, {2, -2, -3}, {3, 2, 2}}), false, CalibrationWarning::None},
      {"both top targets 60 px low", shifted({{0, 0, 60}, {1, 0, 60}}), true, CalibrationWarning::Earlier, 15},
      // Alone it is what a frame with a shorter raw range would give: nothing to tell.
      {"both top targets 60 px low, alone", shifted({{0, 0, 60}, {1, 0, 60}}), false, CalibrationWarning::None},
      {"TL and BR 80 px inward", shifted({{0, 80, 80}, {3, -80, -80}}), true, CalibrationWarning::Earlier, 28},
      {"TL and BR 80 px inward, alone", shifted({{0, 80, 80}, {3, -80, -80}}), false, CalibrationWarning::NotSquare},
      {"one target missed", shifted({{2, 100, 0}}), true, CalibrationWarning::Touches},
  };
  for (const Case& c : cases) {
    const CalibrationCheck check =
        CheckCalibration(frame(c.touched), targets, kPitch, c.withEarlier ? std::optional(earlier) : std::nullopt);
    EXPECT_EQ(check.warning, c.warning) << c.name << ": chi-square " << check.earlierChiSquare << ", square "
                                        << check.squareSigmas;
    if (c.warning == CalibrationWarning::Earlier) EXPECT_EQ(check.amount, c.mm) << c.name;
  }
}

TEST(CalibrationCheck, EarlierCalibrationFromTheStoredRecord) {
  const std::array<Point, 4> raw{{{400, 500}, {3400, 520}, {420, 3500}, {3380, 3490}}};
  // Stored over (500, 300)-(900, 700) with a first monitor of 1920 x 1080; read back for a
  // new window at (400, 200).
  DeviceParameters record{};
  SetCalibrationFields(record, Rect{500, 300, 900, 700}, 1920, 1080, raw, 0);
  const auto earlier = EarlierFromRecord(record, Rect{400, 200, 1000, 800}, 1920, 1080);
  ASSERT_TRUE(earlier.has_value());
  EXPECT_EQ(earlier->raw, raw);
  for (int k = 0; k < 4; ++k) {
    const Point t = TargetPosition(k, 400, 400);
    EXPECT_EQ(earlier->targets[k], (Point{t.x + 100, t.y + 100})) << k;
  }
  DeviceParameters uncalibrated = record;
  uncalibrated.IsCalibrate = 0;
  DeviceParameters empty = record;
  empty.AreaPixelWidth = 0;
  DeviceParameters twoOnOneSpot = record;
  twoOnOneSpot.M2X = twoOnOneSpot.M1X;
  twoOnOneSpot.M2Y = twoOnOneSpot.M1Y;
  for (const DeviceParameters& r : {uncalibrated, empty, twoOnOneSpot})
    EXPECT_FALSE(EarlierFromRecord(r, Rect{0, 0, 1920, 1080}, 1920, 1080).has_value());
}

TEST(CalibrationCheck, TextsAndPitch) {
  // The amount goes in for the first "%d"; nothing else in a translation is read.
  EXPECT_EQ(FillInAmount(L"about %d mm", 14), L"about 14 mm");
  EXPECT_EQ(FillInAmount(L"%s %d %d %n", 3), L"%s 3 %d %n");
  EXPECT_EQ(FillInAmount(L"no number", 3), L"no number");
  EXPECT_EQ(WarningTextKey(CalibrationWarning::Touches), LangKey::WarningTouchesDisagree);
  EXPECT_EQ(WarningTextKey(CalibrationWarning::Earlier), LangKey::WarningEarlierDiffers);
  EXPECT_EQ(WarningTextKey(CalibrationWarning::NotSquare), LangKey::WarningNotSquare);
  EXPECT_EQ(WarningTextKey(CalibrationWarning::None), std::nullopt);
  // 1920 pixels over 531 mm; unknown or implausible sizes (an aspect ratio) give 96 DPI.
  EXPECT_DOUBLE_EQ(MonitorPitch(1920, 1080, 531, 299).x, 531.0 / 1920);
  for (auto [w, h] : {std::pair{0, 0}, std::pair{16, 9}}) {
    const PixelPitch pitch = MonitorPitch(1920, 1080, w, h);
    EXPECT_DOUBLE_EQ(pitch.x, 25.4 / 96) << w;
    EXPECT_DOUBLE_EQ(pitch.y, 25.4 / 96) << w;
  }
}

TEST(CalibrationLayout, ButtonsAndWarningStayInsideTheWindow) {
  auto inside = [](const Rect& r, std::int32_t w, std::int32_t h) {
    return r.left >= 4 && r.top >= 4 && r.right <= w - 4 && r.bottom <= h - 4 && r.width() > 0;
  };
  struct Case {
    std::int32_t w, h;
    Size warning;
  };
  for (const Case& c : {Case{1920, 1080, {400, 40}}, Case{200, 200, {192, 100}}, Case{200, 200, {192, 190}},
                        Case{200, 200, {0, 0}}}) {
    LayoutInput input;
    input.width = c.w;
    input.height = c.h;
    input.button = Size{75, 24};
    input.warning = c.warning;
    const Layout layout = LayOutControls(input);
    const std::string name = std::to_string(c.w) + " x " + std::to_string(c.h) + ", warning " +
                             std::to_string(c.warning.cy);
    for (const Rect& r : {layout.recalibrate, layout.ok, layout.cancel}) EXPECT_TRUE(inside(r, c.w, c.h)) << name;
    EXPECT_LE(layout.recalibrate.right, layout.ok.left) << name;
    EXPECT_LE(layout.ok.right, layout.cancel.left) << name;
    if (c.warning.cy > 0) {
      EXPECT_TRUE(inside(layout.warning, c.w, c.h)) << name;
      EXPECT_LE(layout.warning.bottom, layout.ok.top) << name;
    }
  }
  // Where there is room, the row is as it always was: OK centred, 20 pixels to each side.
  LayoutInput wide;
  wide.width = 1920;
  wide.height = 1080;
  wide.button = Size{75, 24};
  const Layout layout = LayOutControls(wide);
  EXPECT_EQ(layout.ok.left, 960 - 37);
  EXPECT_EQ(layout.ok.top, 540 - 12);
  EXPECT_EQ(layout.recalibrate.right, layout.ok.left - 20);
  EXPECT_EQ(layout.cancel.left, layout.ok.right + 20);
}

}  // namespace
