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
  if (norm <= 1e-9 * spread * spread) return Degenerate(raw, targets, pitch);

  double projectedX = 0, projectedY = 0;
  for (int k = 0; k < kTargetCount; ++k) {
    projectedX += n[k] * targets[k].x * pitch.x;
    projectedY += n[k] * targets[k].y * pitch.y;
  }
  // Moving touch k alone by d changes the projection by n[k] d: the touch with the largest
  // |n[k]| needs the smallest move.
  const double disagreement = std::hypot(projectedX, projectedY) / largest;
  return TouchAgreement{disagreement <= kDisagreementMm, disagreement};
}

std::array<Point, kTargetCount> WindowTargets(std::int32_t w, std::int32_t h) {
  std::array<Point, kTargetCount> targets;
  for (int step = 0; step < kTargetCount; ++step) targets[step] = TargetPosition(step, w, h);
  return targets;
}

}  // namespace calibration
