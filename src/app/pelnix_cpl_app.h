#pragma once
// CPelnixCplApp: decides at start-up what the process does: hand the focus to a running copy,
// run one console command, or open the touch screens, the device thread and the main window.
#include "framework/win_app.h"

class CDeviceThread;

class CPelnixCplApp : public CWinApp {
public:
  BOOL InitInstance() override;
  int ExitInstance() override;

  CDeviceThread* m_pDeviceThread = nullptr;

private:
  bool StartDeviceThread();
  HANDLE m_hInstanceMutex = nullptr;  // held for the life of the process
};
