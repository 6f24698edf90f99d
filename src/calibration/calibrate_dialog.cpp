#include "calibration/calibrate_dialog.h"

#include <algorithm>
#include <cwchar>

#include "base/core/english_texts.h"
#include "base/core/user_messages.h"
#include "base/language.h"
#include "calibration/calibration_driver.h"
#include "calibration/core/calibration_layout.h"
#include "calibration/core/calibration_check.h"
#include "calibration/mouse_hook.h"
#include "calibration/res/calibrate_dialog_ids.h"
#include "calibration/target_window.h"
#include "config/driver_library.h"
#include "device/device_services.h"
#include "framework/data_exchange.h"
#include "framework/dialog_texts.h"
#include "framework/gdi.h"

namespace {

constexpr UINT_PTR kCountdownTimer = 8;
constexpr UINT kCountdownPeriodMs = 1000;
constexpr int kCountdownEnd = 31;  // ticks: the Cancel button counts 30 down to 1, then it closes
constexpr std::int32_t kClickOnRelease = 1;

constexpr int kHintIds[7] = {IDC_HINT_STILL,  IDC_HINT_LIFT,         IDC_HINT_BULLSEYE, IDC_HINT_ESCAPE,
                             IDC_HINT_DRAW,   IDC_HINT_BEFORE_AGAIN, IDC_HINT_DISCARD};

constexpr ControlText kTexts[] = {
    {IDOK, LangKey::Ok},
    {IDC_RECALIBRATE, LangKey::ReCalibrateButton},
    {IDC_CALIBRATE_CANCEL, LangKey::Cancel},
    {IDC_HINT_STILL, LangKey::HintKeepStill},
    {IDC_HINT_LIFT, LangKey::HintLiftOffCounts},
    {IDC_HINT_BULLSEYE, LangKey::HintBullsEye},
    {IDC_HINT_ESCAPE, LangKey::HintEscapeAborts},
    {IDC_HINT_DRAW, LangKey::HintDrawToCheck},
    {IDC_HINT_BEFORE_AGAIN, LangKey::HintLiftBeforeAgain},
    {IDC_HINT_DISCARD, LangKey::HintDiscard},
};

calibration::Size WindowSize(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return calibration::Size{rect.right - rect.left, rect.bottom - rect.top};
}

void Place(HWND control, const calibration::Rect& rect) {
  RECT now{};
  ::GetWindowRect(control, &now);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&now), 2);
  if (now.left == rect.left && now.top == rect.top && now.right == rect.right && now.bottom == rect.bottom)
    return;
  ::SetWindowPos(control, nullptr, rect.left, rect.top, rect.width(), rect.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The extent of the first monitor, against which the driver's records hold a calibration's
// area; 0 x 0 without monitors.
calibration::Size FirstMonitorExtent(const TouchScreenList& list) {
  if (list.monitorCount() == 0) return calibration::Size{};
  const MonitorEntry& first = list.monitor(0);
  return calibration::Size{first.right - first.left, first.bottom - first.top};
}

std::int64_t PerformanceCounter() {
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

}  // namespace

CCalibrateDlg::CCalibrateDlg(DeviceServices& devices, DriverLibrary& driver, CWnd* parent)
    : CDialog(IDD_CALIBRATE, parent), m_devices(devices), m_driver(driver) {
  SetBackground(kFullScreenBackgroundColor, kFullScreenTextColor);
}

CCalibrateDlg::~CCalibrateDlg() {
  // Destroying the window restores what the calibration changed (OnDestroy).
  if (m_hWnd) DestroyWindow();
}

void CCalibrateDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDOK, m_btnOK);
  DDX_Control(dx, IDC_RECALIBRATE, m_btnReCalibrate);
  DDX_Control(dx, IDC_CALIBRATE_CANCEL, m_btnCancel);
  for (int i = 0; i < 7; ++i) DDX_Control(dx, kHintIds[i], m_ctrlHints[i]);
  DDX_Control(dx, IDC_TOUCHES_DISAGREE, m_ctrlDisagreement);
}

HWND CCalibrateDlg::MainWindow() const { return m_pParent ? m_pParent->m_hWnd : nullptr; }

bool CCalibrateDlg::disagreementShown() const { return m_ctrlDisagreement.IsWindowVisible() != FALSE; }

BOOL CCalibrateDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // Touches reach the window through the device thread's waits, the countdown through a timer:
  // a fine timer keeps both prompt.
  m_pFineTimer = std::make_unique<FineTimerResolution>();
  m_nStep = 0;
  PostStreamOn();
  HideCursor();
  ShowOpeningHints(m_bFullScreen);
  ShowAfterHints(false);
  m_ctrlDisagreement.ShowWindow(SW_HIDE);
  ShowButtons(false);

  DriverLibrary& library = m_driver;
  DriverParameters driver{};
  library.GetDriverParameters(driver);
  m_nSavedMode = driver.Mode;
  m_bTouchEnabled = driver.EnableTouch != 0;
  driver.Mode = kClickOnRelease;
  library.SetDriverParameters(driver);

  m_nTouchScreenNo = TouchScreenNumber(m_devices.list(), m_nDeviceIndex);
  m_nDeviceKey = TouchScreenDeviceKey(m_devices.list(), m_nDeviceIndex);
  m_savedParams = ReadTouchScreenRecord(m_driver, m_nTouchScreenNo);

  SetControlTexts(m_hWnd, kTexts);
  ::PostMessageW(MainWindow(), UM_CALIBRATE_BEGIN, 0, m_nDeviceIndex);
  return TRUE;
}

bool CCalibrateDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  const auto touch = [this](UINT m, std::unique_ptr<DeviceReport> report) {
    if (m == UM_TOUCH_POINT) OnTouchPoint(std::move(report));
  };
  if (m_devices.client().DispatchReply(msg, lp, touch)) return true;
  switch (msg) {
    case UM_DEVICE_REMOVED:
      OnDeviceRemoved(lp);
      return true;
    default:
      return CDialog::OnMessage(msg, wp, lp, result);
  }
}

bool CCalibrateDlg::OnTimer(UINT_PTR id) {
  if (id != kCountdownTimer) return false;
  OnCountdown();
  return true;
}

bool CCalibrateDlg::OnButtonClicked(UINT id) {
  switch (id) {
    case IDC_RECALIBRATE:
      OnReCalibrate();
      return true;
    case IDC_CALIBRATE_CANCEL:
      OnCancelButton();
      return true;
    default:
      return false;  // OK and IDCANCEL: the dialog's own handling calls OnOK and OnCancel
  }
}

BOOL CCalibrateDlg::PreTranslateMessage(MSG* msg) {
  // Enter is ignored or presses the focused button as the buttons hide and show (ShowButtons).
  if (msg->message == WM_KEYDOWN && m_hWnd && (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))) {
    // The key goes on to the dialog's own handling, which ends the dialog (OnCancel).
    if (msg->wParam == VK_ESCAPE) EndCalibration(EndReason::Escaped);
    if (msg->wParam == VK_SPACE && !FourPointsTaken()) return TRUE;  // nothing to press while the targets show
  }
  return CDialog::PreTranslateMessage(msg);
}

bool CCalibrateDlg::OnPaint() {
  PaintDC dc(m_hWnd);
  const RECT client = GetClientRect();
  LayoutControls(client.right, client.bottom);
  DrawTarget(dc, client.right, client.bottom);
  return true;
}

void CCalibrateDlg::LayoutControls(int width, int height) {
  calibration::LayoutInput input;
  input.width = width;
  input.height = height;
  input.button = WindowSize(m_btnCancel);
  for (int i = 0; i < 7; ++i) input.hints[i] = WindowSize(m_ctrlHints[i]);
  if (disagreementShown()) input.warning = WindowSize(m_ctrlDisagreement);
  const calibration::Layout layout = calibration::LayOutControls(input);
  Place(m_btnOK, layout.ok);
  Place(m_btnReCalibrate, layout.recalibrate);
  Place(m_btnCancel, layout.cancel);
  for (int i = 0; i < 7; ++i) Place(m_ctrlHints[i], layout.hints[i]);
  Place(m_ctrlDisagreement, layout.warning);
}

void CCalibrateDlg::DrawTarget(HDC dc, int width, int height) const {
  if (m_nStep < 0 || m_nStep >= calibration::kTargetCount) return;
  const std::int32_t r = calibration::TargetRadius(width, height);
  ::DrawTarget(dc, calibration::TargetPosition(m_nStep, width, height), r, calibration::TargetCircleRadii(r),
               BackgroundBrush());
}

void CCalibrateDlg::OnTouchPoint(std::unique_ptr<DeviceReport> report) {
  // A lift-off queued before the touch screen went is no point of this calibration.
  if (!report || !m_bTouchEnabled || !m_bDevicePresent || m_nStep >= calibration::kTargetCount) return;
  m_ptRaw[m_nStep] = calibration::RawPointFromReport(report->report);
  ++m_nStep;
  const bool fourth = m_nStep == calibration::kTargetCount;
  // Only the target touched and the next one change; the hints over the middle stay as they
  // are. Painted now rather than whenever the queue next runs empty, and before anything
  // slower: the finger sees its touch taken within a frame.
  const RECT client = GetClientRect();
  InvalidateTarget(m_nStep - 1, client);
  if (!fourth) InvalidateTarget(m_nStep, client);
  ::UpdateWindow(m_hWnd);
  if (fourth) {
    ShowTryOut();
    ::UpdateWindow(m_hWnd);
  }
  m_nTouchPaintedAt.store(PerformanceCounter());
  // Storing the record and checking it go through the registry and the monitor's device
  // keys, tens of milliseconds on a busy machine: after the paint, not before it.
  if (fourth) {
    SaveCalibration(false);
    ShowDisagreement();
  }
}

void CCalibrateDlg::InvalidateTarget(int step, const RECT& client) {
  const calibration::Rect b = calibration::TargetBounds(step, client.right, client.bottom);
  const RECT bounds{b.left, b.top, b.right, b.bottom};
  ::InvalidateRect(m_hWnd, &bounds, TRUE);
}

void CCalibrateDlg::ShowTryOut() {
  PostStreamOff();
  {
    // Ten controls change at once: the window is drawn again once, not once for each.
    const DrawingPause pause(m_hWnd);
    ShowOpeningHints(false);
    ShowAfterHints(m_bFullScreen);
    ShowButtons(true);
  }
  ShowCursorAgain();
  SetTimer(kCountdownTimer, kCountdownPeriodMs);
}

void CCalibrateDlg::ShowDisagreement() {
  const RECT client = GetClientRect();
  const calibration::CalibrationCheck check = CheckThisCalibration(client.right, client.bottom);
  const std::optional<LangKey> key = calibration::WarningTextKey(check.warning);
  if (!key) {
    m_ctrlDisagreement.ShowWindow(SW_HIDE);
    return;
  }
  const std::wstring text = calibration::FillInAmount(LoadLangString(*key), check.amount);
  m_ctrlDisagreement.SetWindowText(text);

  // As wide as the opening hints, never wider than the window; as high as the text needs.
  RECT bounds{0, 0, std::min<LONG>(WindowSize(m_ctrlHints[0]).cx, client.right - 8), 0};
  {
    ClientDC dc(m_ctrlDisagreement);
    SelectionScope font(dc, reinterpret_cast<HFONT>(::SendMessageW(m_ctrlDisagreement, WM_GETFONT, 0, 0)));
    ::DrawTextW(dc, text.c_str(), -1, &bounds, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
  }
  ::SetWindowPos(m_ctrlDisagreement, nullptr, 0, 0, bounds.right, bounds.bottom,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  m_ctrlDisagreement.ShowWindow(SW_SHOW);
  Invalidate();  // the layout makes room for the warning
}

calibration::CalibrationCheck CCalibrateDlg::CheckThisCalibration(int width, int height) {
  TouchScreenList& list = m_devices.list();
  const RECT window = GetWindowRect();
  // The monitor under the window's centre gives the size of a millimetre.
  const POINT centre{(window.left + window.right) / 2, (window.top + window.bottom) / 2};
  calibration::PixelPitch pitch;
  for (int i = 0; i < list.monitorCount(); ++i) {
    const MonitorEntry& m = list.monitor(i);
    if (centre.x < m.left || centre.x >= m.right || centre.y < m.top || centre.y >= m.bottom) continue;
    const RECT area{m.left, m.top, m.right, m.bottom};
    const MonitorMillimetres size = list.monitorSystem().PhysicalSize(area);
    pitch = calibration::MonitorPitch(m.right - m.left, m.bottom - m.top, size.width, size.height);
    break;
  }
  // The record read at opening holds the touch screen's earlier calibration, if any, stored
  // against the first monitor's extent.
  const calibration::Size first = FirstMonitorExtent(list);
  const auto earlier = calibration::EarlierFromRecord(
      m_savedParams, calibration::Rect{window.left, window.top, window.right, window.bottom}, first.cx, first.cy);
  return calibration::CheckCalibration(m_ptRaw, calibration::WindowTargets(width, height), pitch, earlier);
}

void CCalibrateDlg::OnCountdown() {
  ++m_nTick;
  if (m_nTick >= kCountdownEnd) {
    PostMessage(WM_CLOSE);
    return;
  }
  m_btnCancel.SetWindowText(LoadLangString(LangKey::Cancel) + L"(" + std::to_wstring(kCountdownEnd - m_nTick) + L")");
}

void CCalibrateDlg::OnOK() {
  KillTimer(kCountdownTimer);
  SaveCalibration(true);
  PostCalibrateEnd(0);
  EndDialog(IDOK);
}

void CCalibrateDlg::OnReCalibrate() {
  m_btnCancel.SetWindowText(LoadLangString(LangKey::Cancel));
  ::PostMessageW(MainWindow(), UM_CALIBRATE_BEGIN, 0, 0);
  KillTimer(kCountdownTimer);
  HideCursor();
  ShowOpeningHints(m_bFullScreen);
  ShowAfterHints(false);
  m_ctrlDisagreement.ShowWindow(SW_HIDE);
  ShowButtons(false);
  m_nTick = 0;
  m_nStep = 0;
  PostStreamOn();
  Invalidate();
}

void CCalibrateDlg::OnCancelButton() {
  EndCalibration(EndReason::Cancelled);
  PostMessage(WM_CLOSE);
}

bool CCalibrateDlg::OnClose() {
  // The removal message runs a message loop: a second WM_CLOSE arriving meanwhile waits for
  // this one, which ends the window.
  if (m_nState == State::Closing) return true;
  // After the Cancel button's end the window only goes: the main window, told of the end, is
  // destroying it.
  if (m_nState != State::Ended) {
    const bool told = m_nState == State::Told;
    m_nState = State::Closing;
    if (!m_bDevicePresent && !told) ShowRemovalMessage();
    EndCalibration(EndReason::Closed);
  }
  EndDialog(IDCANCEL);
  return true;
}

void CCalibrateDlg::OnDestroy() {
  // Destroyed without an end (the main window ended, taking its owned windows with it, or the
  // object was deleted): the driver gets its mode and the record read at opening back.
  EndCalibration(EndReason::Destroyed);
}

void CCalibrateDlg::OnCancel() {
  // Escape after its end, or IDCANCEL from elsewhere: the window ends with Mode restored.
  EndCalibration(EndReason::Cancelled);
  EndDialog(IDCANCEL);
}

void CCalibrateDlg::EndCalibration(EndReason reason) {
  // After OK or an earlier way out everything is back already.
  if (m_nState == State::Ended) return;
  KillTimer(kCountdownTimer);
  if (reason == EndReason::Escaped) StopMouseHook(MainWindow());
  RestoreMode();
  if (FourPointsTaken()) RestoreParameters();
  ShowCursorAgain();
  if (Streaming()) PostStreamOff();
  if (reason != EndReason::Destroyed) {
    PostCalibrateEnd(reason == EndReason::Closed ? 0 : 1);
    return;
  }
  m_nState = State::Ended;
  m_pFineTimer.reset();
}

void CCalibrateDlg::OnDeviceRemoved(LPARAM index) {
  // The main window lowers the index of a touch screen that moved down before it tells the
  // windows of a removal: only a window whose own touch screen is gone takes it as its own.
  if (index != m_nDeviceIndex || m_bDevicePresent || m_nState != State::Calibrating) return;
  m_nState = State::Told;
  ShowRemovalMessage();
  PostMessage(WM_CLOSE);
}

void CCalibrateDlg::ShowRemovalMessage() {
  // The user must see the pointer to press OK. When the last touch screen went, the program's
  // quit is already queued: it would end the message box at once, so it waits for the box.
  ShowCursorAgain();
  MSG quit{};
  const bool quitting = ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  ::MessageBoxW(m_hWnd, english::kDeviceRemoved, LoadLangString(LangKey::AppTitle).c_str(), MB_OK);
  if (quitting) ::PostQuitMessage(static_cast<int>(quit.wParam));
}

void CCalibrateDlg::SaveCalibration(bool restoreMode) {
  TouchScreenList& list = m_devices.list();
  list.RefreshMonitors();
  const calibration::Size first = FirstMonitorExtent(list);
  if (restoreMode) RestoreMode();

  DeviceParameters record = ReadTouchScreenRecord(m_driver, m_nTouchScreenNo);
  const RECT window = GetWindowRect();
  const std::int32_t monitorId =
      m_nDeviceIndex >= 0 && m_nDeviceIndex < kMaxTouchScreens
          ? calibration::CalibratedMonitorId(list.mapping(m_nDeviceIndex).monitorNo, list.monitorCount())
          : 0;
  calibration::SetCalibrationFields(record, calibration::Rect{window.left, window.top, window.right, window.bottom},
                                    first.cx, first.cy, m_ptRaw, monitorId);
  m_driver.SetDeviceParameters(m_nDeviceKey, record);
}

void CCalibrateDlg::RestoreParameters() {
  // Under the key of the touch screen calibrated, even when it has gone since.
  m_driver.SetDeviceParameters(m_nDeviceKey, m_savedParams);
}

void CCalibrateDlg::RestoreMode() {
  DriverParameters driver{};
  m_driver.GetDriverParameters(driver);
  driver.Mode = m_nSavedMode;
  m_driver.SetDriverParameters(driver);
}

void CCalibrateDlg::PostCalibrateEnd(WPARAM aborted) {
  if (m_nState == State::Ended) return;
  m_nState = State::Ended;
  m_pFineTimer.reset();
  ::PostMessageW(MainWindow(), UM_CALIBRATE_END, aborted, m_nDeviceIndex);
}

void CCalibrateDlg::PostStreamOn() { m_devices.client().StartTouchStream(m_hWnd, m_nDeviceIndex); }

void CCalibrateDlg::PostStreamOff() {
  // Its touch screen is gone: the slot may hold another one by now.
  if (!m_bDevicePresent) return;
  m_devices.client().StopTouchStream(m_nDeviceIndex);
}

void CCalibrateDlg::ShowOpeningHints(bool show) {
  for (int i = 0; i < 4; ++i) m_ctrlHints[i].ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CCalibrateDlg::ShowAfterHints(bool show) {
  for (int i = 4; i < 7; ++i) m_ctrlHints[i].ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CCalibrateDlg::ShowButtons(bool show) {
  // Enter presses the focused button, as Space does, while there are buttons to press.
  SetEnterKey(show ? EnterKey::PressesFocused : EnterKey::Ignored);
  const int command = show ? SW_SHOW : SW_HIDE;
  m_btnReCalibrate.ShowWindow(command);
  m_btnCancel.ShowWindow(command);
  m_btnOK.ShowWindow(command);
}
