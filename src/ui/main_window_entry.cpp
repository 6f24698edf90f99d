// The main window runs for as long as the program lives.
#include "ui/main_window_entry.h"

#include "framework/win_app.h"
#include "ui/main_window.h"

void RunMainWindow(CWinApp& app, DeviceServices& devices, DriverLibrary& driver) {
  CPelnixCplDlg dialog(devices, driver);
  app.m_pMainWnd = &dialog;
  dialog.DoModal();
  app.m_pMainWnd = nullptr;
}
