#pragma once
// CPelnixCplApp: decides at start-up what the process does: hand the focus to a running copy,
// run one console command, or open the touch screens, the device thread and the main window.
#include "framework/win_app.h"

#include "config/driver_library.h"

class DeviceServices;
class HidSystem;
class MonitorSystem;

// Where the program's touch screens and monitors come from: the machine's HID system and
// monitors in the program as a user gets it, simulated ones in the demo build.
struct DeviceBackend {
  HidSystem& (*hid)();
  MonitorSystem& (*monitors)();
};

class CPelnixCplApp : public CWinApp {
public:
  explicit CPelnixCplApp(DeviceBackend backend) : m_backend(backend) {}

  BOOL InitInstance() override;
  int ExitInstance() override;

private:
  // The device services, made on first use (the control panel, the console update) on the
  // backend; they live until the process ends, with the device thread that uses them.
  DeviceServices& Devices();

  DeviceBackend m_backend;
  DeviceServices* m_pDevices = nullptr;
  DriverLibrary m_driverLibrary;  // PelnixLib.dll, loaded when the main window opens
  HANDLE m_hInstanceMutex = nullptr;  // held for the life of the process
};
