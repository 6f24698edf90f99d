// The simulated HID system of a test process: no device until a test adds some. Tests build
// their device services on it and on SimulatedMonitors().
#include "simulator/simulated_touch_screen.h"

SimulatedHidSystem& SimulatedHid() {
  // Never destroyed: report workers may still call it while the process ends.
  static SimulatedHidSystem* system = new SimulatedHidSystem;
  return *system;
}
