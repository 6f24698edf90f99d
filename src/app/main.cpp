// The program's entry point and its one application object, on the machine's HID system and
// monitors.
#include <windows.h>

#include "app/pelnix_cpl_app.h"
#include "device/hid_system_win32.h"
#include "device/monitor_system.h"

namespace {

HidSystem& MachineHid() {
  // Never destroyed: report workers may still call it while the process ends.
  static HidSystem* system = MakeSystemHid().release();
  return *system;
}

CPelnixCplApp theApp(DeviceBackend{&MachineHid, &SystemMonitors});

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  AfxWinMain(instance);
  return 0;  // every way out of the program ends with exit code 0
}
