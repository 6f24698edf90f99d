// The calibration side of the main window: opening the calibration window over a monitor or
// a drawn region, the region drawing with the mouse hook, the mapping window, and how each
// follows the removal of a touch screen.
#include <algorithm>

#include "base/mouse_hook_messages.h"
#include "calibration/calibrate_dialog.h"
#include "calibration/calibration_driver.h"
#include "calibration/calibration_entry.h"
#include "calibration/device_match_dialog.h"
#include "calibration/message_info_dialog.h"
#include "calibration/mouse_hook.h"
#include "calibration/res/device_match_dialog_ids.h"
#include "base/system_failure.h"
#include "device/device_services.h"

namespace {

constexpr LONG kMinimumRegionSide = 200;

POINT CursorPosition() {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  return cursor;
}

void Place(CWnd& window, const RECT& area) {
  ::SetWindowPos(window.m_hWnd, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  window.ShowWindow(SW_SHOW);
}

}  // namespace

CalibrationSide::CalibrationSide(CWnd& mainWindow, DeviceServices& devices, DriverLibrary& driver)
    : m_mainWindow(mainWindow), m_devices(devices), m_driver(driver) {}

CalibrationSide::~CalibrationSide() {
  // The calibration window's destruction restores the driver's mode and, when four points were
  // taken, the record read at opening.
  m_pCalibrateDlg.reset();
  m_pHintDlg.reset();
  m_pMatchDlg.reset();
}

std::unique_ptr<CCalibrateDlg> CalibrationSide::CreateCalibration(int slot, bool fullScreen) {
  auto window = std::make_unique<CCalibrateDlg>(m_devices, m_driver, &m_mainWindow);
  window->m_nDeviceIndex = slot;
  window->m_bFullScreen = fullScreen;
  if (!window->Create()) return nullptr;
  return window;
}

void CalibrationSide::Calibrate(int slot) {
  m_pCalibrateDlg.reset();
  TouchScreenList& list = m_devices.list();
  list.RefreshMonitors();
  m_pCalibrateDlg = CreateCalibration(slot, true);
  if (!m_pCalibrateDlg) return;
  std::int32_t monitor = ReadTouchScreenRecord(m_driver, TouchScreenNumber(list, slot)).MonitorID;
  if (monitor < 0) monitor = 0;
  RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  if (monitor < list.monitorCount()) {
    const MonitorEntry& entry = list.monitor(monitor);
    area = RECT{entry.left, entry.top, entry.right, entry.bottom};
  }
  Place(*m_pCalibrateDlg, area);
}

void CalibrationSide::BeginRegion() {
  StartMouseHook(m_mainWindow.m_hWnd);
  m_pHintDlg = std::make_unique<MessageInfoDlg>(&m_mainWindow);
  if (!m_pHintDlg->Create()) {
    // Without the hint the user cannot tell the drawing has begun: no hook either.
    m_pHintDlg.reset();
    StopMouseHook(m_mainWindow.m_hWnd);
    return;
  }
  m_pHintDlg->FollowCursor(CursorPosition());
  m_pHintDlg->ShowWindow(SW_SHOW);
}

bool CalibrationSide::OnMouseHookMessage(UINT message, int slot) {
  const MouseHookMessages& hook = GetMouseHookMessages();
  if (message == 0) return false;
  if (message == hook.move) {
    if (m_pHintDlg) m_pHintDlg->FollowCursor(CursorPosition());
    return true;
  }
  if (message == hook.down) {
    m_ptDown = CursorPosition();
    m_pHintDlg.reset();
    return true;
  }
  if (message != hook.up) return false;
  const POINT up = CursorPosition();
  const RECT region{std::min(m_ptDown.x, up.x), std::min(m_ptDown.y, up.y), std::max(m_ptDown.x, up.x),
                    std::max(m_ptDown.y, up.y)};
  if (region.right - region.left >= kMinimumRegionSide && region.bottom - region.top >= kMinimumRegionSide)
    OpenRegion(slot, region);
  StopMouseHook(m_mainWindow.m_hWnd);
  return true;
}

void CalibrationSide::OpenRegion(int slot, const RECT& region) {
  m_pCalibrateDlg.reset();
  m_pCalibrateDlg = CreateCalibration(slot, false);
  if (!m_pCalibrateDlg) return;
  Place(*m_pCalibrateDlg, region);
  ::SetForegroundWindow(m_pCalibrateDlg->m_hWnd);
}

void CalibrationSide::EndRegionDrawing() { StopMouseHook(m_mainWindow.m_hWnd); }

void CalibrationSide::Map() {
  m_pMatchDlg.reset();
  TouchScreenList& list = m_devices.list();
  list.RefreshMonitors();
  if (list.monitorCount() == 0) return;
  auto window = std::make_unique<CDeviceMatchDlg>(m_devices, m_driver, &m_mainWindow);
  if (!window->Create(IDD_DEVICE_MATCH, &m_mainWindow)) {
    RecordSystemFailure(L"CreateDialogIndirectParamW", L"mapping window");
    m_mainWindow.EnableWindow(TRUE);
    return;
  }
  window->MoveOntoMonitor(0);
  window->ShowWindow(SW_SHOW);
  m_pMatchDlg = std::move(window);
}

bool CalibrationSide::CalibrationEndPosted() const { return m_pCalibrateDlg && m_pCalibrateDlg->endPosted(); }

bool CalibrationSide::TakeCalibrationEnd() {
  if (!CalibrationEndPosted()) return false;
  m_pCalibrateDlg.reset();
  return true;
}

bool CalibrationSide::MappingWillSave() const { return m_pMatchDlg && m_pMatchDlg->WillSave(); }

void CalibrationSide::TouchScreenRemoving(int slot) {
  if (m_pCalibrateDlg && m_pCalibrateDlg->m_nDeviceIndex == slot) {
    m_pCalibrateDlg->m_bDevicePresent = false;
    m_pCalibrateDlg->PostMessage(WM_CLOSE);
    m_devices.client().ForgetTouchStream();
  }
  // Any removal ends a mapping unsaved; it stops taking touches before the slots move, so that
  // no touch already queued is taken for the touch screen that moves into another's slot.
  if (m_pMatchDlg) m_pMatchDlg->StopTouches();
}

void CalibrationSide::TouchScreenRemoved(int slot) {
  if (m_pCalibrateDlg && m_pCalibrateDlg->m_nDeviceIndex > slot)
    --m_pCalibrateDlg->m_nDeviceIndex;
}
