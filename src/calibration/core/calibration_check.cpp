#include "calibration/core/calibration_check.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "calibration/core/affine_fit.h"

namespace calibration {

namespace {

std::array<Vec2, kTargetCount> Raw(const std::array<Point, kTargetCount>& raw) {
  std::array<Vec2, kTargetCount> out;
  for (int k = 0; k < kTargetCount; ++k) out[k] = Vec2{static_cast<double>(raw[k].x), static_cast<double>(raw[k].y)};
  return out;
}

std::array<Vec2, kTargetCount> Millimetres(const std::array<Point, kTargetCount>& targets, PixelPitch pitch) {
  std::array<Vec2, kTargetCount> out;
  for (int k = 0; k < kTargetCount; ++k) out[k] = Vec2{targets[k].x * pitch.x, targets[k].y * pitch.y};
  return out;
}

std::int32_t AtLeastOne(double value) {
  return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(std::min(value, 1e6))));
}

// γ^T S^-1 γ for one axis's coefficient differences.
double Weighted(const AffineAxis& g, const Matrix3& inverseSpread) {
  const double v[3] = {g.c0, g.cu, g.cv};
  double sum = 0;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) sum += v[r] * inverseSpread[r][c] * v[c];
  return sum;
}

// Compares the new map with the earlier one at the new targets: where the earlier map puts
// each new raw point, against the target it was meant for.
void CompareWithEarlier(const std::array<Vec2, kTargetCount>& raw, const std::array<Vec2, kTargetCount>& targets,
                        const AffineMap& earlier, const AffineMap& earlierTargets, CalibrationCheck& check) {
  std::array<Vec2, kTargetCount> moved;
  for (int k = 0; k < kTargetCount; ++k) {
    const Vec2 put = earlier(raw[k]);
    moved[k] = Vec2{put.x - targets[k].x, put.y - targets[k].y};
  }
  // The part of the moves an affine map explains (the rest is the touches' own misfit).
  const std::optional<AffineMap> shift = FitAffine(targets, moved);
  if (!shift) return;
  for (int k = 0; k < kTargetCount; ++k) {
    const Vec2 d = (*shift)(targets[k]);
    check.earlierMm = std::max(check.earlierMm, std::hypot(d.x, d.y));
  }
  // The coefficients' spread: the new touches' scatter through the new targets, plus the
  // earlier touches' scatter through the earlier targets, moved to the new targets' centroid.
  const Matrix3& qNew = shift->inverseNormal;
  const Matrix3& qOld = earlierTargets.inverseNormal;
  const double dx = shift->origin.x - earlierTargets.origin.x, dy = shift->origin.y - earlierTargets.origin.y;
  const double j[3][3] = {{1, dx, dy}, {0, 1, 0}, {0, 0, 1}};
  Matrix3 spread{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      double carried = 0;
      for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) carried += j[r][a] * qOld[a][b] * j[c][b];
      spread[r][c] = qNew[r][c] + carried;
    }
  const std::optional<Matrix3> inverse = Inverse(spread);
  if (!inverse) return;
  check.earlierChiSquare = (Weighted(shift->x, *inverse) + Weighted(shift->y, *inverse)) /
                           (kFingerScatterMm * kFingerScatterMm);
}

// How far from perpendicular the frame's two raw axes come out on the monitor.
void CheckSquare(const AffineMap& map, const std::array<Vec2, kTargetCount>& targets, CalibrationCheck& check) {
  const double ax = map.x.cu, ay = map.y.cu;  // one raw x step on the monitor
  const double bx = map.x.cv, by = map.y.cv;  // one raw y step
  const double lengths = std::hypot(ax, ay) * std::hypot(bx, by);
  if (!(lengths > 0)) return;
  const double deviation = std::asin(std::clamp((ax * bx + ay * by) / lengths, -1.0, 1.0));
  // The deviation is the sum of the two cross terms of the map's error, whose spreads under
  // scatter are the inverse normal matrix's diagonal terms for the targets.
  const std::optional<AffineMap> targetFit = FitAffine(targets, targets);
  if (!targetFit) return;
  const double spread =
      kFingerScatterMm * std::sqrt(targetFit->inverseNormal[1][1] + targetFit->inverseNormal[2][2]);
  check.squareDegrees = std::abs(deviation) * 180 / std::numbers::pi;
  check.squareSigmas = std::abs(deviation) / spread;
}

}  // namespace

std::optional<EarlierCalibration> EarlierFromRecord(const DeviceParameters& record, const Rect& window,
                                                    std::int32_t mw, std::int32_t mh) {
  if (record.IsCalibrate != 1 || mw <= 0 || mh <= 0) return std::nullopt;
  const std::int32_t w = record.AreaPixelWidth, h = record.AreaPixelHeight;
  if (w <= 0 || h <= 0 || w > 65535 || h > 65535) return std::nullopt;
  // The area's corner went in as a fraction of the first monitor, truncated: rounding the
  // way back gives the pixel again.
  const auto left = static_cast<std::int32_t>(std::lround(static_cast<double>(record.AreaLeft) * mw / 65536));
  const auto top = static_cast<std::int32_t>(std::lround(static_cast<double>(record.AreaTop) * mh / 65536));
  EarlierCalibration earlier;
  earlier.raw = {Point{record.M1X, record.M1Y}, Point{record.M2X, record.M2Y}, Point{record.M3X, record.M3Y},
                 Point{record.M4X, record.M4Y}};
  const std::array<Point, kTargetCount> targets = WindowTargets(w, h);
  for (int k = 0; k < kTargetCount; ++k)
    earlier.targets[k] = Point{targets[k].x + left - window.left, targets[k].y + top - window.top};
  for (int i = 0; i < kTargetCount; ++i)
    for (int j = i + 1; j < kTargetCount; ++j)
      if (earlier.raw[i] == earlier.raw[j]) return std::nullopt;
  if (!FitAffine(Raw(earlier.raw), Millimetres(earlier.targets, PixelPitch{1, 1}))) return std::nullopt;
  return earlier;
}

CalibrationCheck CheckCalibration(const std::array<Point, kTargetCount>& raw,
                                  const std::array<Point, kTargetCount>& targets, PixelPitch pitch,
                                  const std::optional<EarlierCalibration>& earlier) {
  CalibrationCheck check;
  const TouchAgreement touches = CheckTouchAgreement(raw, targets, pitch);
  check.touchesMm = touches.millimetres;
  const std::array<Vec2, kTargetCount> rawPoints = Raw(raw);
  const std::array<Vec2, kTargetCount> targetMm = Millimetres(targets, pitch);
  const std::optional<AffineMap> map = FitAffine(rawPoints, targetMm);
  if (map) {
    CheckSquare(*map, targetMm, check);
    // An earlier calibration whose own touches disagree is no measure of anything.
    if (earlier && CheckTouchAgreement(earlier->raw, earlier->targets, pitch).agree) {
      const std::array<Vec2, kTargetCount> earlierMm = Millimetres(earlier->targets, pitch);
      const std::optional<AffineMap> earlierMap = FitAffine(Raw(earlier->raw), earlierMm);
      const std::optional<AffineMap> earlierTargets = FitAffine(earlierMm, earlierMm);
      if (earlierMap && earlierTargets) CompareWithEarlier(rawPoints, targetMm, *earlierMap, *earlierTargets, check);
    }
  }
  if (!touches.agree || !map) {
    check.warning = CalibrationWarning::Touches;
    check.amount = AtLeastOne(touches.millimetres);
  } else if (check.earlierChiSquare > kEarlierChiSquare) {
    check.warning = CalibrationWarning::Earlier;
    check.amount = AtLeastOne(check.earlierMm);
  } else if (check.squareSigmas > kSquareSigmas) {
    check.warning = CalibrationWarning::NotSquare;
    check.amount = AtLeastOne(check.squareDegrees);
  }
  return check;
}

std::optional<LangKey> WarningTextKey(CalibrationWarning warning) {
  switch (warning) {
    case CalibrationWarning::Touches: return LangKey::WarningTouchesDisagree;
    case CalibrationWarning::Earlier: return LangKey::WarningEarlierDiffers;
    case CalibrationWarning::NotSquare: return LangKey::WarningNotSquare;
    case CalibrationWarning::None: break;
  }
  return std::nullopt;
}

std::wstring FillInAmount(const std::wstring& text, std::int32_t amount) {
  const std::size_t at = text.find(L"%d");
  if (at == std::wstring::npos) return text;
  return text.substr(0, at) + std::to_wstring(amount) + text.substr(at + 2);
}

}  // namespace calibration
