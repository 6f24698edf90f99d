// The HID system and monitors of the program as a user gets it: the machine's own.
#include "device/hid_system_win32.h"
#include "device/monitor_system.h"

HidSystem& DefaultHidSystem() {
  // Never destroyed: report workers may still call it while the process ends.
  static HidSystem* system = MakeSystemHid().release();
  return *system;
}

MonitorSystem& DefaultMonitorSystem() { return SystemMonitors(); }
