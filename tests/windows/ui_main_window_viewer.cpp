// Opens the main window on its own with two simulated touch screens, for screenshots:
//   ui_main_window_viewer.exe
// Touch screen 0 is calibrated on monitor 0, touch screen 1 is not. Texts come from the
// Language folder beside the viewer, as in the program.
#include <windows.h>
#include <commctrl.h>

#include "support/test_driver_library.h"
#include "base/mouse_hook_messages.h"
#include "config/driver_library.h"
#include "support/test_devices.h"
#include "ui/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterMouseHookMessages();
  for (std::uint8_t number = 0; number < 2; ++number) {
    sim::TouchScreenConfig config;
    config.number = number;
    SimulatedHid().Add(config);
    DeviceParameters record{};
    record.TouchScreenNo = number;
    record.MonitorID = 0;
    record.IsCalibrate = number == 0 ? 1 : 0;
    TestDriverLibrary().SetDeviceParameters(0x1000u + number, record);
  }
  TestDevices().StartDeviceThread();
  CPelnixCplDlg(TestDevices(), TestDriverLibrary()).DoModal();
  return 0;
}
