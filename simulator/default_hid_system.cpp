// The HID system of tests: a simulator with no device until a test adds some; and their
// monitors: the system's until a test sets a layout.
#include "simulator/simulated_monitors.h"
#include "simulator/simulated_touch_screen.h"

SimulatedHidSystem& SimulatedHid() {
  // Never destroyed: report workers may still call it while the process ends.
  static SimulatedHidSystem* system = new SimulatedHidSystem;
  return *system;
}

HidSystem& DefaultHidSystem() { return SimulatedHid(); }

MonitorSystem& DefaultMonitorSystem() { return SimulatedMonitors(); }
