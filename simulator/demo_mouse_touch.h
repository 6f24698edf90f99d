#pragma once
// The demo's finger: a left-button release of the real mouse over one of the program's
// full-screen windows (calibration, mapping: topmost, without caption, of this process)
// becomes a lift-off touch of a simulated touch screen whose touch stream is on, at the
// cursor, through the raw coordinates of a frame mounted a little askew (turned), so that
// calibration visibly matters. Only the demo build links this.
#include <cstdint>

#include <windows.h>

class MonitorSystem;
class SimulatedHidSystem;

// Starts the low-level mouse hook on a thread of its own (once), touching the screens of
// `system` over the monitors of `monitors` (both live as long as the process).
void StartDemoMouseTouch(SimulatedHidSystem& system, MonitorSystem& monitors);

struct RawPoint {
  std::uint16_t x, y;
};
// The demo touch frame's raw coordinates of a point of a monitor's rectangle, on the monitor's
// physical size as the monitor seam reports it.
RawPoint DemoRawPoint(POINT point, const RECT& monitor);
