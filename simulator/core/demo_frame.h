#pragma once
// The demo's touch frame and monitors as real ones are, so that a calibration clicked exactly
// on its targets comes out clean: a monitor measures what a real monitor of its resolution
// reports in its EDID, and the frame over it is mounted askew the way a real frame can be.
// An infrared frame's beams cross at right angles by construction, so a frame mounted askew
// is turned on the glass, never sheared; each axis has a raw range and an offset of its own.
#include <cstdint>

#include "device/core/edid.h"

namespace sim {

// How far the demo's frame is turned on its monitor.
inline constexpr double kDemoFrameDegrees = 0.8;

// The physical size a monitor of width x height pixels reports: that of a common model of
// that resolution, else the size at 96 pixels per inch.
MonitorMillimetres TypicalMonitorSize(std::int32_t width, std::int32_t height);

struct FrameRawPoint {
  std::uint16_t x = 0, y = 0;
};

// The raw point the demo's frame reports for the point (x, y), in pixels from the top-left
// corner of a monitor of width x height pixels measuring `size` (0: 96 pixels per inch):
// turned kDemoFrameDegrees about the monitor's centre, raw ranges of 3600 and 3500 over the
// monitor's width and height, offset by (180, 280).
FrameRawPoint DemoFrameRawPoint(double x, double y, std::int32_t width, std::int32_t height,
                                MonitorMillimetres size);

}  // namespace sim
