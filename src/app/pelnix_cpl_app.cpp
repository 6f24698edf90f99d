#include "app/pelnix_cpl_app.h"

#include <commctrl.h>

#include "app/command_line_info.h"
#include "base/console.h"
#include "app/console_commands.h"
#include "base/core/english_texts.h"
#include "base/language.h"
#include "base/mouse_hook_messages.h"
#include "device/device_services.h"
#include "ui/main_window_entry.h"

BOOL CPelnixCplApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
  InitCommonControlsEx(&controls);
  RegisterMouseHookMessages();

  // One copy at a time: a second one brings the running copy's window to the front and ends.
  m_hInstanceMutex = CreateMutexW(nullptr, FALSE, m_strExeName.c_str());
  const bool anotherCopyRuns = !m_hInstanceMutex || GetLastError() == ERROR_ALREADY_EXISTS;

  {
    CCommandLineInfoEx commandLine;
    ParseCommandLine(commandLine);
    if (anotherCopyRuns) {
      // A console command says why it did nothing: a script must not take silence for success.
      if (AsksForConsoleCommand(commandLine)) {
        AttachParentConsole();
        ReportControlPanelOpen();
      } else if (HWND running = FindWindowW(nullptr, LoadLangString(LangKey::AppTitle).c_str())) {
        SetForegroundWindow(running);
      }
      PostQuitMessage(0);
      return TRUE;
    }
    if (commandLine.HasOptions()) {
      AttachParentConsole();
      if (RunConsoleCommand(commandLine, [this]() -> DeviceServices& { return Devices(); })) return FALSE;
    }
  }

  DeviceServices& devices = Devices();
  if (devices.list().count() == 0) {
    MessageBoxW(nullptr, LoadLangString(LangKey::NoTouchScreenText).c_str(), LoadLangString(LangKey::NoTouchScreenTitle).c_str(), MB_ICONINFORMATION);
    PostQuitMessage(0);
    return FALSE;
  }

  if (!devices.StartDeviceThread()) {
    MessageBoxW(nullptr, english::kThreadStartFailed, LoadLangString(LangKey::AppTitle).c_str(), MB_ICONERROR);
    return FALSE;
  }

  m_driverLibrary.Load();
  RunMainWindow(*this, devices, m_driverLibrary);
  return FALSE;
}

DeviceServices& CPelnixCplApp::Devices() {
  if (!m_pDevices) m_pDevices = new DeviceServices(m_backend.hid(), m_backend.monitors());
  return *m_pDevices;
}

int CPelnixCplApp::ExitInstance() {
  // The device services are not destroyed: the device thread and its exchanges end with the
  // process.
  return 0;
}
