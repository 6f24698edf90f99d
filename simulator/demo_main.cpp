// The demo build's entry point: the program as a user gets it, on simulated touch screens and
// the demo's monitors instead of the machine's.
#include <windows.h>

#include "app/pelnix_cpl_app.h"
#include "simulator/demo_hid_system.h"

namespace {
CPelnixCplApp theApp(DeviceBackend{&DemoHidSystem, &DemoMonitorSystem});
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  AfxWinMain(instance);
  return 0;  // every way out of the program ends with exit code 0
}
