#pragma once
// Whether a new calibration can be trusted, in two ways.
//
// The four touches may disagree with each other (a single target missed): see
// touch_agreement.h. But misses that an affine map absorbs fit perfectly: both top targets
// touched low read as a frame with a shorter raw range, two opposite corners touched inward
// as a sheared one. Those show only against what the map should be:
// - the touch screen's earlier calibration, when there is one: the frame does not move on its
//   monitor, so the new map's offset, scale, rotation and shear must match the earlier map's
//   to within what the scatter of two careful calibrations causes;
// - always, the frame's shape: a touch frame is a rigid rectangle, so its two raw axes are
//   perpendicular on the monitor's surface however the frame is mounted, offset or scaled.
//   (Offsets and scales of a frame never calibrated are not known: the raw range a frame
//   reports over its monitor varies with the model and the mounting.)
//
// Both tests weigh the difference by its spread under a finger's scatter of kFingerScatterMm
// per axis per touch, in millimetres on the monitor, so they hold the same on every monitor
// and in a small region.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "base/core/language_keys.h"
#include "calibration/core/calibration_geometry.h"
#include "calibration/core/touch_agreement.h"
#include "config/core/driver_parameters.h"

namespace calibration {

// The earlier calibration's four raw points and its targets, in the pixel coordinates of
// the new targets (relative to the new window's top-left corner).
struct EarlierCalibration {
  std::array<Point, kTargetCount> raw;
  std::array<Point, kTargetCount> targets;
};

// The earlier calibration a record read before calibrating holds: none when the record is
// not calibrated, its area is empty or two of its raw points coincide. (One whose touches
// disagree is not compared with either.) `window` is the new
// window's screen rectangle and mw x mh the first monitor's extent, as when it was stored.
std::optional<EarlierCalibration> EarlierFromRecord(const DeviceParameters& record, const Rect& window,
                                                    std::int32_t mw, std::int32_t mh);

// The chi-square of the map's 6 parameters against the earlier map beyond which they differ
// by more than two careful calibrations cause (0.3 % of them go over).
inline constexpr double kEarlierChiSquare = 20.0;
// The deviation of the axes from perpendicular, in standard deviations of that deviation
// under a careful finger's scatter, beyond which the frame is not square (0.3 % go over).
inline constexpr double kSquareSigmas = 3.0;

enum class CalibrationWarning {
  None,
  Touches,    // the four touches disagree: `amount` millimetres
  Earlier,    // the map differs from the earlier calibration's: up to `amount` millimetres at a target
  NotSquare,  // the frame's axes come out `amount` degrees from perpendicular
};

struct CalibrationCheck {
  CalibrationWarning warning = CalibrationWarning::None;
  std::int32_t amount = 0;  // rounded, at least 1 when there is a warning
  // The figures the decision was taken on.
  double touchesMm = 0;            // the disagreement of the four touches
  double earlierChiSquare = -1;    // against the earlier map; -1 without one
  double earlierMm = 0;            // the largest move at a target from the earlier map
  double squareSigmas = 0;         // the axes' deviation from perpendicular, in standard deviations
  double squareDegrees = 0;
};

// Checks the four raw points of a new calibration against its targets (pixels, in target
// order) on a monitor of the given pitch, and against the earlier calibration when given.
// The first failing test gives the warning: the touches, then the earlier map, then the shape.
CalibrationCheck CheckCalibration(const std::array<Point, kTargetCount>& raw,
                                  const std::array<Point, kTargetCount>& targets, PixelPitch pitch,
                                  const std::optional<EarlierCalibration>& earlier);

// The language key of a warning's text; none for no warning.
std::optional<LangKey> WarningTextKey(CalibrationWarning warning);
// The warning's text with its first "%d" replaced by the amount. Nothing else in the text is
// read: a translation is never used as a format.
std::wstring FillInAmount(const std::wstring& text, std::int32_t amount);

}  // namespace calibration
