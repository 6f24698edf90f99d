// The calibration side of the main window: opening the calibration window over a monitor or
// a drawn region, the region drawing with the mouse hook, and the window's end.
#include "calibration/calibrate_dialog.h"
#include "calibration/calibration_driver.h"
#include "calibration/calibration_entry.h"
#include "calibration/message_info_dialog.h"
#include "calibration/mouse_hook.h"
#include "base/mouse_hook_messages.h"
#include "device/device_services.h"

namespace {

constexpr LONG kMinimumRegionSide = 200;

POINT CursorPosition() {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  return cursor;
}

CCalibrateDlg* CreateCalibration(CWnd& mainWindow, DeviceServices& devices, int deviceIndex,
                                 bool fullScreen) {
  auto* window = new CCalibrateDlg(devices, &mainWindow);
  window->m_nDeviceIndex = deviceIndex;
  window->m_bFullScreen = fullScreen;
  if (!window->Create()) {
    delete window;
    return nullptr;
  }
  return window;
}

void OpenRegionCalibration(CWnd& mainWindow, DeviceServices& devices, int deviceIndex,
                           const RECT& region, CCalibrateDlg*& calibration) {
  DestroyCalibration(calibration);
  calibration = CreateCalibration(mainWindow, devices, deviceIndex, false);
  if (calibration) {
    ::SetWindowPos(calibration->m_hWnd, nullptr, region.left, region.top, region.right - region.left,
                   region.bottom - region.top, SWP_NOZORDER | SWP_NOACTIVATE);
    calibration->ShowWindow(SW_SHOW);
    ::SetForegroundWindow(calibration->m_hWnd);
  }
  StopMouseHook(mainWindow.m_hWnd);
}

}  // namespace

CCalibrateDlg* OpenCalibration(CWnd& mainWindow, DeviceServices& devices, int deviceIndex) {
  TouchScreenList& list = devices.list();
  list.RefreshMonitors();
  CCalibrateDlg* window = CreateCalibration(mainWindow, devices, deviceIndex, true);
  if (!window) return nullptr;
  std::int32_t monitor = ReadTouchScreenRecord(TouchScreenNumber(list, deviceIndex)).MonitorID;
  if (monitor < 0) monitor = 0;
  RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  if (monitor < list.monitorCount()) {
    const MonitorEntry& entry = list.monitor(monitor);
    area = RECT{entry.left, entry.top, entry.right, entry.bottom};
  }
  ::SetWindowPos(window->m_hWnd, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  window->ShowWindow(SW_SHOW);
  return window;
}

void BeginRegionCalibration(CWnd& mainWindow, MessageInfoDlg*& hint) {
  StartMouseHook(mainWindow.m_hWnd);
  DestroyRegionHint(hint);
  hint = new MessageInfoDlg(&mainWindow);
  if (!hint->Create()) {
    // Without the hint the user cannot tell the drawing has begun: no hook either.
    DestroyRegionHint(hint);
    StopMouseHook(mainWindow.m_hWnd);
    return;
  }
  hint->FollowCursor(CursorPosition());
  hint->ShowWindow(SW_SHOW);
}

bool HandleRegionMouseMessage(CWnd& mainWindow, DeviceServices& devices, UINT message, int deviceIndex,
                              MessageInfoDlg*& hint, POINT& down, POINT& up, CCalibrateDlg*& calibration) {
  const MouseHookMessages& hook = GetMouseHookMessages();
  if (message == 0) return false;
  if (message == hook.move) {
    if (hint) hint->FollowCursor(CursorPosition());
    return true;
  }
  if (message == hook.down) {
    down = CursorPosition();
    DestroyRegionHint(hint);
    return true;
  }
  if (message != hook.up) return false;
  up = CursorPosition();
  const RECT region{std::min(down.x, up.x), std::min(down.y, up.y), std::max(down.x, up.x), std::max(down.y, up.y)};
  if (region.right - region.left >= kMinimumRegionSide && region.bottom - region.top >= kMinimumRegionSide)
    OpenRegionCalibration(mainWindow, devices, deviceIndex, region, calibration);
  StopMouseHook(mainWindow.m_hWnd);
  return true;
}

void EndRegionDrawing(CWnd& mainWindow) { StopMouseHook(mainWindow.m_hWnd); }

void DestroyRegionHint(MessageInfoDlg*& hint) {
  delete hint;
  hint = nullptr;
}

int CalibrationDeviceIndex(const CCalibrateDlg& window) { return window.m_nDeviceIndex; }

void SetCalibrationDeviceIndex(CCalibrateDlg& window, int deviceIndex) { window.m_nDeviceIndex = deviceIndex; }

void CalibrationDeviceRemoved(CCalibrateDlg& window) {
  window.m_bDevicePresent = false;
  window.PostMessage(WM_CLOSE);
}

bool CalibrationEndPosted(const CCalibrateDlg& window) { return window.endPosted(); }

void DestroyCalibration(CCalibrateDlg* window) { delete window; }
