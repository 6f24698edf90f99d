#pragma once
// Least-squares affine maps between point sets of the calibration, in doubles.
//
// A map is kept about the centroid of the points it was fitted from, so its coefficients
// keep their precision whatever the coordinates' magnitude (raw values run to 65535).
#include <array>
#include <optional>

namespace calibration {

struct Vec2 {
  double x = 0, y = 0;
};

// A symmetric 3 x 3 matrix, for the normal equations of an affine fit and their inverse.
using Matrix3 = std::array<std::array<double, 3>, 3>;

// The inverse; none when the matrix is singular to within rounding.
std::optional<Matrix3> Inverse(const Matrix3& m);

// One output coordinate as an affine function of the input: c0 + cu (u - origin.x) + cv (v - origin.y).
struct AffineAxis {
  double c0 = 0, cu = 0, cv = 0;
};

struct AffineMap {
  Vec2 origin;      // the centroid of the points it was fitted from
  AffineAxis x, y;  // the two output coordinates
  Matrix3 inverseNormal{};  // (M^T M)^-1 for M = [1, u - origin.x, v - origin.y]

  Vec2 operator()(Vec2 p) const;
};

// The map that takes `from` to `to` best in the least-squares sense; none when the four
// `from` points do not span the plane (two coincide, or all lie on one line).
std::optional<AffineMap> FitAffine(const std::array<Vec2, 4>& from, const std::array<Vec2, 4>& to);

}  // namespace calibration
