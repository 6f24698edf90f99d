#include "calibration/core/touch_agreement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace calibration {

namespace {

double Determinant3(const double m[3][3]) {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
         m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

std::int32_t Round(double value) {
  const double limit = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::lround(std::min(value, limit)));
}

double Distance(const Point& a, const Point& b) {
  return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

// No unique fit: the disagreement is told as the distance between the targets of the two
// raw points closest to each other (for a coinciding pair, two targets touched as one).
TouchAgreement Degenerate(const std::array<Point, kTargetCount>& raw,
                          const std::array<Point, kTargetCount>& targets) {
  double closest = std::numeric_limits<double>::max();
  double apart = 0;
  for (int i = 0; i < kTargetCount; ++i) {
    for (int j = i + 1; j < kTargetCount; ++j) {
      const double d = Distance(raw[i], raw[j]);
      if (d < closest) {
        closest = d;
        apart = Distance(targets[i], targets[j]);
      }
    }
  }
  return TouchAgreement{false, Round(apart)};
}

}  // namespace

std::int32_t DisagreementThreshold(std::int32_t targetRadius) {
  return std::max(targetRadius, kMinimumDisagreementPixels);
}

TouchAgreement CheckTouchAgreement(const std::array<Point, kTargetCount>& raw,
                                   const std::array<Point, kTargetCount>& targets,
                                   std::int32_t targetRadius) {
  for (int i = 0; i < kTargetCount; ++i)
    for (int j = i + 1; j < kTargetCount; ++j)
      if (raw[i] == raw[j]) return Degenerate(raw, targets);

  // The least-squares residual of each axis is the projection of the targets onto the one
  // direction n orthogonal to the design matrix's columns (1, raw x, raw y). n's components
  // are the signed 3 x 3 minors of that 4 x 3 matrix. Raw points are centred first so the
  // minors keep their precision.
  double cx = 0, cy = 0;
  for (const Point& p : raw) {
    cx += p.x;
    cy += p.y;
  }
  cx /= kTargetCount;
  cy /= kTargetCount;
  std::array<double, kTargetCount> n{};
  double spread = 0;
  for (int k = 0; k < kTargetCount; ++k) {
    double minor[3][3];
    int row = 0;
    for (int i = 0; i < kTargetCount; ++i) {
      if (i == k) continue;
      minor[row][0] = 1;
      minor[row][1] = raw[i].x - cx;
      minor[row][2] = raw[i].y - cy;
      ++row;
    }
    n[k] = (k % 2 == 0 ? 1 : -1) * Determinant3(minor);
    spread = std::max({spread, std::abs(raw[k].x - cx), std::abs(raw[k].y - cy)});
  }
  double norm = 0, largest = 0;
  for (double v : n) {
    norm += v * v;
    largest = std::max(largest, std::abs(v));
  }
  norm = std::sqrt(norm);
  // The four raw points on one line (to rounding): no affine map reaches four targets.
  if (norm <= 1e-9 * spread * spread) return Degenerate(raw, targets);

  double projectedX = 0, projectedY = 0;
  for (int k = 0; k < kTargetCount; ++k) {
    projectedX += n[k] * targets[k].x;
    projectedY += n[k] * targets[k].y;
  }
  // Moving touch k alone by d changes the projection by n[k] d: the touch with the largest
  // |n[k]| needs the smallest move.
  const double disagreement = std::hypot(projectedX, projectedY) / largest;
  return TouchAgreement{disagreement <= DisagreementThreshold(targetRadius), Round(disagreement)};
}

TouchAgreement CheckWindowTouches(const std::array<Point, kTargetCount>& raw, std::int32_t w,
                                  std::int32_t h) {
  std::array<Point, kTargetCount> targets;
  for (int step = 0; step < kTargetCount; ++step) targets[step] = TargetPosition(step, w, h);
  return CheckTouchAgreement(raw, targets, TargetRadius(w, h));
}

}  // namespace calibration
