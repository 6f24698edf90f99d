#pragma once
// Whether the four touches of a calibration agree with each other.
//
// The touch frame maps screen positions to raw coordinates by an affine map (offset, scale,
// rotation, shear). The affine map from the four raw points to the four target positions is
// fitted by least squares; four points that fit it exactly were touched where the targets
// are, whatever the frame's mounting. With four points and six unknowns the fit leaves one
// degree of freedom per axis, so its misfit can be told as one distance: how far the one touch
// that is easiest to blame would have to move for all four to fit. One target missed by d
// pixels gives a disagreement of about d.
//
// The touches disagree when that distance is larger than the target's radius (a careful
// finger lands inside the target it aims at), with a floor for small region windows, whose
// targets shrink below a fingertip; and always when two raw points coincide or the four lie
// on one line, since no map can then reach four different targets.
#include <array>
#include <cstdint>

#include "calibration/core/calibration_geometry.h"

namespace calibration {

// The smallest disagreement that counts, whatever the target size, in pixels.
inline constexpr std::int32_t kMinimumDisagreementPixels = 8;

struct TouchAgreement {
  bool agree = true;
  std::int32_t pixels = 0;  // disagreement in pixels, rounded
};

// The disagreement threshold for targets of radius r.
std::int32_t DisagreementThreshold(std::int32_t targetRadius);

// Checks the four raw points against the four target positions (in target order) for
// targets of radius `targetRadius`.
TouchAgreement CheckTouchAgreement(const std::array<Point, kTargetCount>& raw,
                                   const std::array<Point, kTargetCount>& targets,
                                   std::int32_t targetRadius);

// The same for the targets of a window of width w and height h.
TouchAgreement CheckWindowTouches(const std::array<Point, kTargetCount>& raw, std::int32_t w,
                                  std::int32_t h);

}  // namespace calibration
