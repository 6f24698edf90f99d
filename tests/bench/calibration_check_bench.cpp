// The warning after a calibration, Monte Carlo: how often careful calibrations are warned
// about for nothing, and how often real misses are caught, on three monitors and in a small
// region. Native: the checks are portable arithmetic.
//
// Each calibration touches the four targets of its window with a finger's scatter of s per
// axis (normal, in millimetres on the monitor), through a touch frame mounted a little askew
// (a random offset, scale and rotation within a degree each time), into 16-bit raw points.
// "With an earlier calibration" means the touch screen was calibrated before over the same
// window, with the same scatter, and the new one is compared with it.
//
// Beside the two 60 px patterns it prints the most any check could catch. Such a miss moves
// the fitted map and nothing else, so all there is to go on is the difference between the new
// map and the earlier one (6 numbers), plus the frame's axes being square; that difference
// carries both calibrations' scatter. The miss's signal is its size in units of that noise
// (lambda: for both top targets low it is the miss in millimetres over s). A check that must
// catch a miss whose direction it does not know can do no better than a chi-square test on
// those 6 numbers; one built for this very miss does no better than a one-sided test along
// it. Both are given at 1 % false warnings (the whole allowance of all the checks together),
// so they are upper bounds: at 4K, 60 px is 9.4 mm, lambda 4.7, and no check of four touches
// reaches 99 % for a miss it is not built for. The limit is of first order in the miss: in the
// 200 px region, where 60 px is nearly half the targets' spacing, the frame's slight rotation
// turns part of a miss that large into shear, and a little more than the limit is caught.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <random>

#include "calibration/core/affine_fit.h"
#include "calibration/core/calibration_check.h"

using namespace calibration;

namespace {

constexpr int kRuns = 100000;

struct Case {
  const char* name;
  std::int32_t monitorW, monitorH, dpi;
  Rect window;  // on the monitor
};

struct Frame {
  double ox, oy, sx, sy, cosA, sinA;
  Point Raw(double x, double y) const {
    const double rx = ox + sx * (cosA * x - sinA * y);
    const double ry = oy + sy * (sinA * x + cosA * y);
    return Point{static_cast<std::int32_t>(std::clamp(std::lround(rx), 0L, 65535L)),
                 static_cast<std::int32_t>(std::clamp(std::lround(ry), 0L, 65535L))};
  }
};

enum class Miss { None, OneBy25Mm, TopTwoLow, CornersInward };

// The pixel moves of the touches of a fixed miss pattern.
void FixedMiss(Miss miss, std::array<double, kTargetCount>& dx, std::array<double, kTargetCount>& dy) {
  if (miss == Miss::TopTwoLow) dy[0] = dy[1] = 60;
  if (miss == Miss::CornersInward) {
    const double d = 60 / std::numbers::sqrt2;
    dx[0] = dy[0] = d;
    dx[3] = dy[3] = -d;
  }
}

// ---- The detection limit ----

// P(chi-square with an even number of degrees of freedom > x).
double ChiSquareTail(int dof, double x) {
  double term = 1, sum = 0;
  for (int i = 0; i < dof / 2; ++i) {
    if (i > 0) term *= x / 2 / i;
    sum += term;
  }
  return std::exp(-x / 2) * sum;
}

// The same for a noncentral chi-square: a Poisson mixture of central ones.
double NoncentralChiSquareTail(int dof, double noncentrality, double x) {
  const double h = noncentrality / 2;
  double sum = 0;
  for (int j = 0; j < 1000; ++j) {
    const double weight = h > 0 ? std::exp(-h + j * std::log(h) - std::lgamma(j + 1.0)) : (j == 0 ? 1 : 0);
    sum += weight * ChiSquareTail(dof + 2 * j, x);
  }
  return sum;
}

double ChiSquareQuantile(int dof, double tail) {
  double low = 0, high = 1000;
  for (int i = 0; i < 200; ++i) {
    const double mid = (low + high) / 2;
    (ChiSquareTail(dof, mid) > tail ? low : high) = mid;
  }
  return low;
}

double NormalTail(double z) { return 0.5 * std::erfc(z / std::numbers::sqrt2); }

double NormalQuantile(double tail) {
  double low = -10, high = 10;
  for (int i = 0; i < 200; ++i) {
    const double mid = (low + high) / 2;
    (NormalTail(mid) > tail ? low : high) = mid;
  }
  return low;
}

struct DetectionLimit {
  double signal = 0;           // lambda, with an earlier calibration
  double unknownDirection = 0; // % caught by the best check of a miss of unknown direction
  double knownDirection = 0;   // % caught by the best check made for this miss alone
  double withoutEarlier = 0;   // % caught by the best check with only the square frame to go on
};

constexpr double kFalseWarningShare = 0.01;

class Simulation {
public:
  explicit Simulation(const Case& c) : m_case(c), m_pitch(MonitorPitch(c.monitorW, c.monitorH, Mm(c.monitorW), Mm(c.monitorH))) {}

  // What the best check could catch of a fixed miss at scatter s. The miss's map, fitted on the
  // targets in millimetres, differs by g (3 coefficients per axis about the targets' centroid);
  // one calibration's coefficients scatter with covariance s^2 N^-1. Against an earlier
  // calibration the difference carries twice that, and the shear (the sum of the cross terms,
  // zero for a square frame) is known besides, which leaves
  //   lambda^2 = g' N g / (2 s^2) + (shear of g)^2 / (2 Var(shear)).
  // Without one only the shear can be seen: lambda^2 = (shear of g)^2 / Var(shear).
  DetectionLimit Limit(Miss miss, double s) const {
    std::array<double, kTargetCount> dx{}, dy{};
    FixedMiss(miss, dx, dy);
    std::array<Vec2, kTargetCount> at, moved;
    for (int k = 0; k < kTargetCount; ++k) {
      at[k] = Vec2{m_targets[k].x * m_pitch.x, m_targets[k].y * m_pitch.y};
      moved[k] = Vec2{at[k].x + dx[k] * m_pitch.x, at[k].y + dy[k] * m_pitch.y};
    }
    const auto map = FitAffine(at, moved);
    const auto normal = map ? Inverse(map->inverseNormal) : std::nullopt;
    if (!normal) return {};
    const std::array<std::array<double, 3>, 2> g = {{{map->x.c0 - map->origin.x, map->x.cu - 1, map->x.cv},
                                                      {map->y.c0 - map->origin.y, map->y.cu, map->y.cv - 1}}};
    double quadratic = 0;
    for (const auto& axis : g)
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) quadratic += axis[r] * (*normal)[r][c] * axis[c];
    const double shear = g[0][2] + g[1][1];
    const double shearSpread = s * s * (map->inverseNormal[2][2] + map->inverseNormal[1][1]);
    const double withEarlier = quadratic / (2 * s * s) + shear * shear / (2 * shearSpread);
    const double without = shear * shear / shearSpread;

    DetectionLimit limit;
    limit.signal = std::sqrt(withEarlier);
    limit.unknownDirection =
        100 * NoncentralChiSquareTail(6, withEarlier, ChiSquareQuantile(6, kFalseWarningShare));
    limit.knownDirection = 100 * NormalTail(NormalQuantile(kFalseWarningShare) - limit.signal);
    const double z = NormalQuantile(kFalseWarningShare / 2), lambda = std::sqrt(without);
    limit.withoutEarlier = 100 * (NormalTail(z - lambda) + NormalTail(z + lambda));
    return limit;
  }

  // The share of kRuns calibrations that show a warning.
  double Rate(double scatterMm, Miss miss, bool withEarlier) {
    std::mt19937_64 random(12345);
    int warned = 0;
    for (int run = 0; run < kRuns; ++run) {
      const Frame frame = RandomFrame(random);
      std::optional<EarlierCalibration> earlier;
      if (withEarlier) earlier = EarlierCalibration{Touch(random, frame, scatterMm, Miss::None), m_targets};
      const auto raw = Touch(random, frame, scatterMm, miss);
      if (CheckCalibration(raw, m_targets, m_pitch, earlier).warning != CalibrationWarning::None) ++warned;
    }
    return 100.0 * warned / kRuns;
  }

private:
  std::int32_t Mm(std::int32_t pixels) const { return static_cast<std::int32_t>(std::lround(pixels * 25.4 / m_case.dpi)); }

  Frame RandomFrame(std::mt19937_64& random) const {
    std::uniform_real_distribution<double> unit(-1, 1);
    const double angle = unit(random) * std::numbers::pi / 180;
    // About 4000 raw steps across the monitor, as the frames give.
    return Frame{300 + 100 * unit(random), 250 + 100 * unit(random), 4000.0 / m_case.monitorW * (1 + 0.03 * unit(random)),
                 4000.0 / m_case.monitorH * (1 + 0.03 * unit(random)), std::cos(angle), std::sin(angle)};
  }

  std::array<Point, kTargetCount> Touch(std::mt19937_64& random, const Frame& frame, double scatterMm, Miss miss) const {
    std::normal_distribution<double> scatter(0, scatterMm);
    std::uniform_real_distribution<double> turn(0, 2 * std::numbers::pi);
    std::uniform_int_distribution<int> which(0, kTargetCount - 1);
    std::array<double, kTargetCount> dx{}, dy{};  // pixels
    switch (miss) {
      case Miss::None:
        break;
      case Miss::OneBy25Mm: {
        const int k = which(random);
        const double a = turn(random);
        dx[k] = 25 * std::cos(a) / m_pitch.x;
        dy[k] = 25 * std::sin(a) / m_pitch.y;
        break;
      }
      case Miss::TopTwoLow:
      case Miss::CornersInward:
        FixedMiss(miss, dx, dy);
        break;
    }
    std::array<Point, kTargetCount> raw;
    for (int k = 0; k < kTargetCount; ++k) {
      const double x = m_case.window.left + m_targets[k].x + dx[k] + scatter(random) / m_pitch.x;
      const double y = m_case.window.top + m_targets[k].y + dy[k] + scatter(random) / m_pitch.y;
      raw[k] = frame.Raw(x, y);
    }
    return raw;
  }

  Case m_case;
  PixelPitch m_pitch;
  std::array<Point, kTargetCount> m_targets = WindowTargets(m_case.window.width(), m_case.window.height());
};

const char* Mark(bool met) { return met ? "ok" : "MISSED"; }

}  // namespace

int main() {
  const Case cases[] = {
      {"1920 x 1080, 92 DPI", 1920, 1080, 92, Rect{0, 0, 1920, 1080}},
      {"1366 x 768, 135 DPI", 1366, 768, 135, Rect{0, 0, 1366, 768}},
      {"3840 x 2160, 163 DPI", 3840, 2160, 163, Rect{0, 0, 3840, 2160}},
      {"200 x 200 region on 1920 x 1080, 92 DPI", 1920, 1080, 92, Rect{600, 400, 800, 600}},
  };
  std::printf("Calibration warning, Monte Carlo, %d calibrations per figure.\n"
              "Thresholds: touches %.0f mm apart; chi-square %.1f (6 parameters) against the earlier map;\n"
              "axes %.1f standard deviations from perpendicular; all for a finger scatter of %.0f mm.\n"
              "s is the scatter per axis per touch. Goals: false warnings <= 1 %% at s = 2 mm; caught >= 99 %%\n"
              "at s = 2 mm for the single miss, and with an earlier calibration for the 60 px patterns.\n"
              "\"At most\": what the best check of a miss of unknown direction could catch at 1 %% false warnings\n"
              "(signal: the miss in units of the noise of two four-touch calibrations' difference).\n\n",
              kRuns, kDisagreementMm, kEarlierChiSquare, kSquareSigmas, kFingerScatterMm);
  int missed = 0, unreachable = 0;
  for (const Case& c : cases) {
    Simulation simulation(c);
    std::printf("%s\n  %-46s %12s %14s\n", c.name, "", "no earlier", "with earlier");
    for (double s : {1.0, 2.0, 3.0}) {
      const double without = simulation.Rate(s, Miss::None, false), with = simulation.Rate(s, Miss::None, true);
      const bool goal = s == 2.0, met = without <= 1 && with <= 1;
      if (goal && !met) ++missed;
      std::printf("  false warnings, s = %.0f mm %-20s %11.2f%% %13.2f%%  %s\n", s, "", without, with,
                  goal ? Mark(met) : "");
    }
    struct Detection {
      const char* name;
      Miss miss;
      bool goalWithout;
    } detections[] = {{"one target 25 mm off", Miss::OneBy25Mm, true},
                      {"both top targets 60 px low", Miss::TopTwoLow, false},
                      {"TL and BR 60 px inward", Miss::CornersInward, false}};
    for (const Detection& d : detections) {
      for (double s : {1.0, 2.0}) {
        const double without = simulation.Rate(s, d.miss, false), with = simulation.Rate(s, d.miss, true);
        const bool goal = s == 2.0, met = with >= 99 && (!d.goalWithout || without >= 99);
        const bool fixed = d.miss != Miss::OneBy25Mm;
        const DetectionLimit limit = fixed ? simulation.Limit(d.miss, s) : DetectionLimit{};
        // A goal beyond what the best check of a miss of unknown direction could reach.
        const bool beyond = goal && fixed && limit.unknownDirection < 99;
        if (goal && !met) ++(beyond ? unreachable : missed);
        std::printf("  caught, %-26s s = %.0f mm %11.2f%% %13.2f%%  %s\n", d.name, s, without, with,
                    goal ? (met ? "ok" : beyond ? "MISSED: beyond reach" : "MISSED") : "");
        if (fixed) {
          std::printf("    at most, signal %.2f: %-28s %11.2f%% %13.2f%%  (%.2f%% by a check made for this miss)\n",
                      limit.signal, "", limit.withoutEarlier, limit.unknownDirection, limit.knownDirection);
        }
      }
    }
    std::printf("\n");
  }
  std::printf("%d goals missed", missed);
  if (unreachable) {
    std::printf(", and %d beyond what any check of four touches can reach at 1 %% false warnings", unreachable);
  }
  std::printf("\n");
  return 0;
}
