#pragma once
// Whether the four touches of a calibration agree with each other.
//
// The touch frame maps screen positions to raw coordinates by an affine map (offset, scale,
// rotation, shear). The affine map from the four raw points to the four target positions is
// fitted by least squares; four points that fit it exactly were touched where the targets
// are, whatever the frame's mounting. With four points and six unknowns the fit leaves one
// degree of freedom per axis, so its misfit can be told as one distance: how far the one touch
// that is easiest to blame would have to move for all four to fit. One target missed by d
// gives a disagreement of about d.
//
// Everything is measured in millimetres on the monitor's surface, so that a finger's scatter
// counts the same on every monitor and in a small region. For four targets at the corners of
// a rectangle, that distance is twice the length of the misfit vector, which a finger's
// scatter of s per axis per touch makes Rayleigh-distributed with scale s; a threshold of
// 7 s lets through all but exp(-49/8), 0.2 %, of careful calibrations at s = 2 mm, and
// catches a single target missed by 25 mm.
//
// The touches disagree when that distance exceeds the threshold, and always when two raw
// points coincide or the four lie on one line, since no map can then reach four different
// targets.
#include <array>
#include <cstdint>

#include "calibration/core/calibration_geometry.h"

namespace calibration {

inline constexpr double kMillimetresPerInch = 25.4;
inline constexpr double kFallbackDpi = 96;

// The scatter of a careful finger, per axis per touch, that the checks allow for.
inline constexpr double kFingerScatterMm = 2.0;
// The smallest disagreement of the four touches that counts.
inline constexpr double kDisagreementMm = 7 * kFingerScatterMm;

// Millimetres per pixel on each axis of a monitor.
struct PixelPitch {
  double x = kMillimetresPerInch / kFallbackDpi;
  double y = kMillimetresPerInch / kFallbackDpi;
};

// The pitch of a monitor of widthPixels x heightPixels that measures widthMm x heightMm;
// 96 DPI on an axis whose size is unknown (0 or less) or implausible (under 10 DPI or over
// 1000 DPI: a size some monitors report in centimetres, or an aspect ratio instead).
PixelPitch MonitorPitch(std::int32_t widthPixels, std::int32_t heightPixels, std::int32_t widthMm,
                        std::int32_t heightMm);

struct TouchAgreement {
  bool agree = true;
  double millimetres = 0;  // the disagreement
};

// Checks the four raw points against the four target positions (pixels, in target order)
// on a monitor of the given pitch.
TouchAgreement CheckTouchAgreement(const std::array<Point, kTargetCount>& raw,
                                   const std::array<Point, kTargetCount>& targets, PixelPitch pitch);

// The four targets of a window of width w and height h.
std::array<Point, kTargetCount> WindowTargets(std::int32_t w, std::int32_t h);

}  // namespace calibration
