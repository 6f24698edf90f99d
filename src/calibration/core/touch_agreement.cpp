#include "calibration/core/touch_agreement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "calibration/core/affine_fit.h"

namespace calibration {

namespace {

double Determinant3(const double m[3][3]) {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
         m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

double Axis(std::int32_t pixels, std::int32_t millimetres) {
  if (pixels <= 0 || millimetres <= 0) return kMillimetresPerInch / kFallbackDpi;
  const double dpi = pixels * kMillimetresPerInch / millimetres;
  if (dpi < 10 || dpi > 1000) return kMillimetresPerInch / kFallbackDpi;
  return static_cast<double>(millimetres) / pixels;
}

double Distance(const Point& a, const Point& b, PixelPitch pitch) {
  return std::hypot((static_cast<double>(a.x) - b.x) * pitch.x, (static_cast<double>(a.y) - b.y) * pitch.y);
}

// No unique fit: the disagreement is told as the distance between the targets of the two
// raw points closest to each other (for a coinciding pair, two targets touched as one).
TouchAgreement Degenerate(const std::array<Point, kTargetCount>& raw,
                          const std::array<Point, kTargetCount>& targets, PixelPitch pitch) {
  double closest = std::numeric_limits<double>::max();
  double apart = 0;
  for (int i = 0; i < kTargetCount; ++i) {
    for (int j = i + 1; j < kTargetCount; ++j) {
      const double d = Distance(raw[i], raw[j], PixelPitch{1, 1});
      if (d < closest) {
        closest = d;
        apart = Distance(targets[i], targets[j], pitch);
      }
    }
  }
  return TouchAgreement{false, apart};
}

}  // namespace

PixelPitch MonitorPitch(std::int32_t widthPixels, std::int32_t heightPixels, std::int32_t widthMm,
                        std::int32_t heightMm) {
  return PixelPitch{Axis(widthPixels, widthMm), Axis(heightPixels, heightMm)};
}

TouchAgreement CheckTouchAgreement(const std::array<Point, kTargetCount>& raw,
                                   const std::array<Point, kTargetCount>& targets, PixelPitch pitch) {
  for (int i = 0; i < kTargetCount; ++i)
    for (int j = i + 1; j < kTargetCount; ++j)
      if (raw[i] == raw[j]) return Degenerate(raw, targets, pitch);
  std::array<Vec2, kTargetCount> from, to;
  for (int k = 0; k < kTargetCount; ++k) {
    from[k] = Vec2{static_cast<double>(raw[k].x), static_cast<double>(raw[k].y)};
    to[k] = Vec2{targets[k].x * pitch.x, targets[k].y * pitch.y};
  }
  // The four raw points on one line (to rounding): no affine map reaches four targets.
  const std::optional<AffineMap> map = FitAffine(from, to);
  if (!map) return Degenerate(raw, targets, pitch);

  // The one direction n orthogonal to the columns (1, x, y) of the targets: its components
  // are the signed 3 x 3 minors of that 4 x 3 matrix. Applied to the raw points it cancels
  // the frame's affine map, whatever its mounting, and leaves the touches' own errors, which
  // the fitted map's linear part carries back to millimetres. Taken from the targets (exact)
  // rather than the touches, it does not bend with the miss it measures.
  std::array<double, kTargetCount> n{};
  for (int k = 0; k < kTargetCount; ++k) {
    double minor[3][3];
    int row = 0;
    for (int i = 0; i < kTargetCount; ++i) {
      if (i == k) continue;
      minor[row][0] = 1;
      minor[row][1] = to[i].x - to[0].x;
      minor[row][2] = to[i].y - to[0].y;
      ++row;
    }
    n[k] = (k % 2 == 0 ? 1 : -1) * Determinant3(minor);
  }
  double largest = 0, rawX = 0, rawY = 0;
  for (int k = 0; k < kTargetCount; ++k) {
    largest = std::max(largest, std::abs(n[k]));
    rawX += n[k] * (from[k].x - map->origin.x);
    rawY += n[k] * (from[k].y - map->origin.y);
  }
  if (!(largest > 0)) return TouchAgreement{};  // targets on one line: nothing to compare
  // Moving touch k alone by d changes the misfit by n[k] d: the touch with the largest |n[k]|
  // needs the smallest move.
  const double mmX = map->x.cu * rawX + map->x.cv * rawY;
  const double mmY = map->y.cu * rawX + map->y.cv * rawY;
  const double disagreement = std::hypot(mmX, mmY) / largest;
  return TouchAgreement{disagreement <= kDisagreementMm, disagreement};
}

std::array<Point, kTargetCount> WindowTargets(std::int32_t w, std::int32_t h) {
  std::array<Point, kTargetCount> targets;
  for (int step = 0; step < kTargetCount; ++step) targets[step] = TargetPosition(step, w, h);
  return targets;
}

}  // namespace calibration
