#include "calibration/core/affine_fit.h"

#include <algorithm>
#include <cmath>

namespace calibration {

std::optional<Matrix3> Inverse(const Matrix3& m) {
  Matrix3 cofactor{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
      cofactor[r][c] = m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1];
    }
  const double det = m[0][0] * cofactor[0][0] + m[0][1] * cofactor[0][1] + m[0][2] * cofactor[0][2];
  // Against the product of the diagonal (the determinant's bound for a positive definite
  // matrix): the test does not depend on the units of each coordinate.
  const double bound = std::abs(m[0][0] * m[1][1] * m[2][2]);
  if (!(std::abs(det) > 1e-9 * bound)) return std::nullopt;
  Matrix3 inverse{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) inverse[r][c] = cofactor[c][r] / det;
  return inverse;
}

Vec2 AffineMap::operator()(Vec2 p) const {
  const double u = p.x - origin.x, v = p.y - origin.y;
  return Vec2{x.c0 + x.cu * u + x.cv * v, y.c0 + y.cu * u + y.cv * v};
}

std::optional<AffineMap> FitAffine(const std::array<Vec2, 4>& from, const std::array<Vec2, 4>& to) {
  AffineMap map;
  for (const Vec2& p : from) {
    map.origin.x += p.x / from.size();
    map.origin.y += p.y / from.size();
  }
  Matrix3 normal{};
  std::array<double, 3> rhsX{}, rhsY{};
  for (std::size_t k = 0; k < from.size(); ++k) {
    const double row[3] = {1, from[k].x - map.origin.x, from[k].y - map.origin.y};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) normal[r][c] += row[r] * row[c];
      rhsX[r] += row[r] * to[k].x;
      rhsY[r] += row[r] * to[k].y;
    }
  }
  const std::optional<Matrix3> inverse = Inverse(normal);
  if (!inverse) return std::nullopt;
  map.inverseNormal = *inverse;
  auto solve = [&](const std::array<double, 3>& rhs) {
    double c[3] = {};
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) c[r] += (*inverse)[r][k] * rhs[k];
    return AffineAxis{c[0], c[1], c[2]};
  };
  map.x = solve(rhsX);
  map.y = solve(rhsY);
  return map;
}

}  // namespace calibration
