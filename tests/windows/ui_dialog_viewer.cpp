// Opens one of the settings, About and properties dialogs on its own, for screenshots:
//   ui_dialog_viewer.exe settings|about|properties
// The properties dialog shows the first of two simulated touch screens with a known
// identity. Texts come from the Language folder beside the viewer, as in the program.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "support/test_driver_library.h"
#include "config/driver_library.h"
#include "support/test_devices.h"
#include "ui/about_dialog.h"
#include "ui/properties_dialog.h"
#include "ui/settings_dialog.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  const std::wstring which = commandLine;
  if (which == L"settings") {
    TestDriverLibrary();
    CBasicprop(TestDriverLibrary(), nullptr).DoModal();
  } else if (which == L"about") {
    CVersion(TestDevices()).DoModal();
  } else if (which == L"properties") {
    SimulatedHid().Add();
    SimulatedHid().Add();
    TouchScreenDevice* device = TestDevices().list().device(0);
    if (device) {
      device->TouchScreenNo = 0;
      device->MonitorNo = 1;
      device->IsCalibrated = 1;
      device->HwVersion[0] = 2;
      device->HwVersion[1] = 0;
      device->HwVersion[2] = 15;
      device->SerialNo0 = 0;
      device->SerialNo1 = 0;
      device->SerialNo2 = 65535;
    }
    PelnixInfo(nullptr, TestDevices().list(), 0).DoModal();
  }
  return 0;
}
