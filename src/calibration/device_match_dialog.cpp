// The mapping window: a target and a number on each monitor in turn, a touch maps the touch
// screen that made it to that monitor.
#include "calibration/device_match_dialog.h"

#include <string>

#include "base/core/english_texts.h"
#include "base/core/user_messages.h"
#include "base/language.h"
#include "base/system_failure.h"
#include "calibration/calibration_driver.h"
#include "calibration/res/device_match_dialog_ids.h"
#include "calibration/target_window.h"
#include "config/driver_library.h"
#include "device/device_services.h"

namespace {

constexpr std::int32_t kCrossHalf = 50;
constexpr std::int32_t kCircleRadii[] = {30, 20, 10, 40, 50};

}  // namespace

CDeviceMatchDlg::CDeviceMatchDlg(DeviceServices& devices, DriverLibrary& driver, CWnd* mainWindow)
    : CDialog(IDD_DEVICE_MATCH, mainWindow), m_devices(devices), m_driver(driver), m_pMainWindow(mainWindow) {
  SetBackground(kFullScreenBackgroundColor, kFullScreenTextColor);
  SetEnterKey(EnterKey::Ignored);  // nothing to press: touches drive the window
}

CDeviceMatchDlg::~CDeviceMatchDlg() {
  if (m_hWnd) DestroyWindow();
}

BOOL CDeviceMatchDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // Touches reach the window through the device thread's waits: a fine timer keeps them prompt.
  m_pFineTimer = std::make_unique<FineTimerResolution>();
  if (m_pMainWindow) m_pMainWindow->EnableWindow(FALSE);
  DriverParameters parameters{};
  m_driver.GetDriverParameters(parameters);
  m_bTouchEnabled = parameters.EnableTouch != 0;
  HideCursor();
  DeviceClient& client = m_devices.client();
  for (const auto [slot, device] : m_devices.list().occupied()) client.StartTouchStream(m_hWnd, slot);
  m_nMonitor = 0;
  StartMonitorTimer();
  return TRUE;
}

void CDeviceMatchDlg::StartMonitorTimer() {
  // Without the timer an untouched monitor is never skipped; Escape still ends the mapping.
  if (!SetTimer(kTimerId, kMonitorPeriodMs)) RecordSystemFailure(L"SetTimer", L"mapping window, timer 9");
}

void CDeviceMatchDlg::MoveOntoMonitor(int monitor) {
  TouchScreenList& list = m_devices.list();
  if (monitor < 0 || monitor >= list.monitorCount()) return;
  const MonitorEntry& area = list.monitor(monitor);
  ::MoveWindow(m_hWnd, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

BOOL CDeviceMatchDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->hwnd == m_hWnd && msg->wParam == VK_ESCAPE) {
    if (TakesTouches()) {
      if (m_pMainWindow) m_pMainWindow->PostMessage(UM_MAPPING_END, 0, 0);
      m_nState = State::Finished;
    }
    Closing(true);
    EndDialog(IDCANCEL);
    return TRUE;
  }
  return CDialog::PreTranslateMessage(msg);
}

bool CDeviceMatchDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  const auto touch = [this](UINT m, std::unique_ptr<DeviceReport> report) {
    if (m == UM_TOUCH_POINT) OnTouch(std::move(report));
  };
  if (m_devices.client().DispatchReply(msg, lp, touch)) return true;
  switch (msg) {
    case UM_DEVICE_REMOVED:
      OnDeviceRemoved();
      return true;
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wp));
      return true;
    default:
      return CDialog::OnMessage(msg, wp, lp, result);
  }
}

bool CDeviceMatchDlg::OnPaint() {
  PaintDC dc(m_hWnd);
  Paint(dc);
  return true;
}

bool CDeviceMatchDlg::OnTimer(UINT_PTR id) {
  if (id != kTimerId) return false;
  OnTimeout();
  return true;
}

bool CDeviceMatchDlg::OnClose() {
  Closing(true);
  EndDialog(IDCANCEL);
  return true;
}

void CDeviceMatchDlg::OnDestroy() {
  // Destroyed by the main window before it closed (the program ends): nothing to save, but the
  // cursor and the touch stream are put back.
  Closing(false);
}

void CDeviceMatchDlg::OnTouch(std::unique_ptr<DeviceReport> report) {
  if (!report || !m_bTouchEnabled || !TakesTouches()) return;
  TouchScreenList& list = m_devices.list();
  const int slot = report->deviceIndex;
  // A touch screen that is gone is never written to.
  if (!list.device(slot)) return;
  KillTimer(kTimerId);
  list.mapping(slot) = MappingEntry{reinterpret_cast<std::intptr_t>(list.handle(slot)), m_nMonitor, slot};
  // With a single monitor every touch screen lies on it.
  if (list.monitorCount() == 1)
    for (const auto [k, device] : list.occupied()) MapTouchScreen(k, m_nMonitor);
  else
    MapTouchScreen(slot, m_nMonitor);
  ++m_nMonitor;
  NextMonitor();
}

void CDeviceMatchDlg::OnTimeout() {
  if (!TakesTouches()) return;
  ++m_nMonitor;
  NextMonitor();
}

void CDeviceMatchDlg::MapTouchScreen(int slot, int monitor) {
  TouchScreenDevice* device = m_devices.list().device(slot);
  if (!device) return;
  device->TouchScreenNo = slot;
  DeviceParameters record{};
  record.TouchScreenNo = slot;
  m_driver.GetDeviceParameters(record);
  record.MonitorID = monitor;
  record.IsCalibrate = 1;
  m_driver.SetDeviceParameters(TouchScreenDeviceKey(m_devices.list(), slot), record);
}

void CDeviceMatchDlg::NextMonitor() {
  if (m_nMonitor >= m_devices.list().monitorCount()) {
    Finish();
    return;
  }
  MoveOntoMonitor(m_nMonitor);
  StartMonitorTimer();
  Invalidate();
}

void CDeviceMatchDlg::Finish() {
  m_nState = State::Finished;
  ShowCursorAgain();
  if (m_pMainWindow) m_pMainWindow->PostMessage(UM_MAPPING_END, 0, 0);
  PostMessage(WM_CLOSE);
}

void CDeviceMatchDlg::Closing(bool save) {
  if (Closed()) return;
  m_nState = save && !Removed() ? State::SaveAsked : State::Unsaved;
  ShowCursorAgain();
  KillTimer(kTimerId);
  for (const auto [slot, device] : m_devices.list().occupied()) m_devices.client().StopTouchStream(slot);
  // No touch screen left to switch off: the stream of the gone ones counts as off.
  if (m_devices.client().IsTouchStreamOn()) m_devices.client().ForgetTouchStream();
  m_pFineTimer.reset();
  if (m_nState == State::SaveAsked && m_pMainWindow) m_pMainWindow->PostMessage(UM_SAVE_MAPPING, 0, 1);
}

void CDeviceMatchDlg::StopTouches() {
  // Closed already, the save it asked for will not come either.
  if (m_nState == State::SaveAsked) m_nState = State::Unsaved;
  if (!Closed() && m_nState != State::RemovalShown) m_nState = State::Removed;
  KillTimer(kTimerId);
  // Touches already posted carry slots that are about to move: none of them is taken.
  if (m_hWnd) m_devices.client().EndExchanges(m_hWnd);
}

void CDeviceMatchDlg::OnDeviceRemoved() {
  // A second removal while the message is up changes nothing: the window is already ending.
  if (Closed() || m_nState == State::RemovalShown) return;
  m_nState = State::RemovalShown;
  KillTimer(kTimerId);
  ShowCursorAgain();
  ::MessageBoxW(m_hWnd, english::kDeviceRemoved, LoadLangString(LangKey::AppTitle).c_str(), MB_OK | MB_ICONWARNING);
  if (m_pMainWindow) m_pMainWindow->PostMessage(UM_MAPPING_END, 0, 0);
  Closing(false);
  EndDialog(IDCANCEL);
}

void CDeviceMatchDlg::Paint(HDC dc) {
  const RECT client = GetClientRect();
  const calibration::Point centre{(client.right - client.left) / 2, (client.bottom - client.top) / 2};

  const int savedDc = ::SaveDC(dc);
  DrawTarget(dc, centre, kCrossHalf, kCircleRadii, BackgroundBrush());

  if (!m_hNumberFont)
    m_hNumberFont.reset(::CreateFontW(320, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_RASTER_PRECIS,
                                      CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Arial"));
  ::SelectObject(dc, m_hNumberFont);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(0, 0, 0));
  // Only the first digit: the tenth monitor shows "1".
  const std::wstring number = std::to_wstring(m_nMonitor + 1);
  RECT area = client;
  ::DrawTextW(dc, number.c_str(), 1, &area, DT_CENTER);
  ::RestoreDC(dc, savedDc);
}
