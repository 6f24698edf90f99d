#pragma once
// The seam between the program and the display monitors, beside the HID seam.
//
// The touch screen list takes its monitor table from a MonitorSystem. The real program uses
// the system's monitors (EnumDisplayMonitors); the demo build and the tests can give a layout
// of their own, so that several monitors exist where the machine has one.
#include <windows.h>

#include <vector>

#include "device/core/edid.h"

class MonitorSystem {
public:
  virtual ~MonitorSystem() = default;
  // Each monitor's full area in virtual-screen pixels, in the order the system reports them.
  virtual std::vector<RECT> Monitors() = 0;
  // The physical size of the monitor with that area, as far as it is known (0 where not).
  virtual MonitorMillimetres PhysicalSize(const RECT&) { return {}; }
};

// The system's own monitors, from EnumDisplayMonitors; their sizes from the EDID of the
// monitor device (SETUPAPI), else from GetDeviceCaps' HORZSIZE and VERTSIZE.
MonitorSystem& SystemMonitors();
