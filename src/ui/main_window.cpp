// The main window: opening, the list and its buttons, the windows it opens, the removal of a
// touch screen, Help, keys.
#include "ui/main_window.h"

#include <algorithm>

#include <windows.h>
#include <commctrl.h>
#include <dbt.h>
#include <shellapi.h>

#include "base/app_paths.h"
#include "base/core/english_texts.h"
#include "base/core/paths.h"
#include "base/core/user_messages.h"
#include "base/language.h"
#include "base/mouse_hook_messages.h"
#include "config/driver_library.h"
#include "device/device_services.h"
#include "diagnostics/diagnostics_entry.h"
#include "framework/data_exchange.h"
#include "framework/dialog_texts.h"
#include "framework/gdi.h"
#include "framework/win_app.h"
#include "ui/core/main_window_rules.h"
#include "ui/main_window_dialogs.h"
#include "ui/res/main_window_ids.h"

namespace {
constexpr int kIconResource = 128;
constexpr int kImageWidth = 72;
constexpr int kImageHeight = 58;
// An item (picture and two lines of text) is taller than the list. The pictures leave this
// many top rows transparent, each item is this much taller than the list, and the list is
// scrolled down by as much: only the empty band goes out of sight, above the picture's
// padding in the item.
constexpr int kImageTransparentRows = 14;
constexpr int kLabelSidePadding = 16;  // what the list view leaves beside an item's text
// The list images drawn for 100, 150 and 200 %; the sizes and rows above are the 100 % ones.
constexpr dpi::ImageResources kUncalibratedImage{IDB_UNCALIBRATED, IDB_UNCALIBRATED_150, IDB_UNCALIBRATED_200};
constexpr dpi::ImageResources kCalibratedImage{IDB_CALIBRATED, IDB_CALIBRATED_150, IDB_CALIBRATED_200};

// Controls whose text is a language string.
constexpr ControlText kTexts[] = {
    {IDC_MAPPING, LangKey::MappingButton},
    {IDC_CALIBRATE, LangKey::CalibrateButton},
    {IDC_REGION_CALIBRATE, LangKey::RegionCalibrateButton},
    {IDC_SETTINGS, LangKey::SettingsButton},
    {IDC_DIAGNOSTICS, LangKey::DiagnosticsButton},
    {IDC_ABOUT, LangKey::AboutButton},
    {IDC_HELP_MANUAL, LangKey::HelpButton},
    {IDOK, LangKey::ExitButton},
    {IDC_LIST_GROUP, LangKey::TouchScreenListGroup},
    {IDC_CALIBRATION_HINT, LangKey::CalibrationHint},
    {IDC_CALIBRATE_AFTER, LangKey::CalibrateAfter},
    {IDC_CALIBRATE_NEW_MODEL, LangKey::CalibrateNewModel},
    {IDC_CALIBRATE_INACCURATE, LangKey::CalibrateInaccurate},
    {IDC_MAPPING_AFTER, LangKey::MappingAfter},
    {IDC_MAPPING_SEVERAL, LangKey::MappingSeveral},
    {IDC_REGION_AFTER, LangKey::RegionCalibrateAfter},
    {IDC_REGION_PART, LangKey::RegionPart},
};
}  // namespace

CPelnixCplDlg::CPelnixCplDlg(DeviceServices& devices, DriverLibrary& driver, CWnd* parent)
    : CDialog(IDD_PELNIXCPL_DIALOG, parent),
      m_devices(devices),
      m_driver(driver),
      m_calibration(*this, devices, driver),
      m_workers(devices, driver, *this, m_nSelected) {
  HINSTANCE instance = AfxGetResourceHandle();
  m_hIcon.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0)));
  m_hSmallIcon.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                                     ::GetSystemMetrics(SM_CXSMICON),
                                                     ::GetSystemMetrics(SM_CYSMICON), 0)));
  SetBackground(kDialogBackgroundColor, RGB(0, 0, 0));
  IgnoreEscape();
  m_pDiagnosis.reset(CreateDiagnosis(this, m_devices));
}

CPelnixCplDlg::~CPelnixCplDlg() {
  m_workers.Stop();
}

void CPelnixCplDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_TOUCHSCREEN_LIST, m_ctrlTouchScreens);
  DDX_Control(dx, IDC_LOGO_PICTURE, m_ctrlPicture);
  DDX_Control(dx, IDOK, m_btnExit);
  DDX_Control(dx, IDC_HELP_MANUAL, m_btnHelp);
  DDX_Control(dx, IDC_ABOUT, m_btnAbout);
  DDX_Control(dx, IDC_DIAGNOSTICS, m_btnDiagnostics);
  DDX_Control(dx, IDC_SETTINGS, m_btnSettings);
  DDX_Control(dx, IDC_MAPPING, m_btnMapping);
  DDX_Control(dx, IDC_CALIBRATE, m_btnCalibrate);
  DDX_Control(dx, IDC_REGION_CALIBRATE, m_btnRegionCalibrate);
}

BOOL CPelnixCplDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(m_hIcon.get(), TRUE);
  SetIcon(m_hSmallIcon ? m_hSmallIcon.get() : m_hIcon.get(), FALSE);
  // Enter presses the focused control, as Space does, but the list's own Enter stays its own.
  SetEnterKey(EnterKey::PressesFocused, m_ctrlTouchScreens.m_hWnd);
  m_devices.list().RegisterDeviceNotifications(m_hWnd);
  m_nSelected = 0;
  SetUpListView();
  ApplyLanguage();
  m_workers.Attach(m_hWnd);
  m_workers.StartStartupQuery();
  return TRUE;
}

void CPelnixCplDlg::SetUpListView() {
  RECT client{};
  ::GetClientRect(m_ctrlTouchScreens, &client);
  const int quarter = (client.right - client.left) / 4;
  // The icon view does not show them; a report view would.
  m_ctrlTouchScreens.InsertColumn(0, english::kListColumnName, LVCFMT_LEFT, quarter);
  m_ctrlTouchScreens.InsertColumn(1, L"Value", LVCFMT_LEFT, quarter);
  m_ctrlTouchScreens.InsertColumn(2, L"Time", LVCFMT_LEFT, quarter);

  SetDpiImages(WindowDpi(m_hWnd));
  m_ctrlTouchScreens.Send(WM_SETREDRAW, TRUE);
}

void CPelnixCplDlg::SetDpiImages(unsigned dpi) {
  m_imageScale = dpi::ImageScaleForDpi(dpi);
  m_ctrlPicture.SetDpi(dpi);
  // A new list of the new size goes in before the old one goes.
  HIMAGELIST old = m_imageList.m_hImageList;
  m_imageList.m_hImageList = nullptr;
  m_imageList.Create(dpi::ScaledPixels(kImageWidth, m_imageScale), dpi::ScaledPixels(kImageHeight, m_imageScale),
                     ILC_COLOR8 | ILC_MASK, 2, 1);
  HINSTANCE instance = AfxGetResourceHandle();
  // The list copies the images: the bitmaps go at once.
  if (const ScopedBitmap uncalibrated{::LoadBitmapW(instance, MAKEINTRESOURCEW(kUncalibratedImage.For(m_imageScale)))})
    m_imageList.AddMasked(uncalibrated, RGB(255, 0, 255));
  if (const ScopedBitmap calibrated{::LoadBitmapW(instance, MAKEINTRESOURCEW(kCalibratedImage.For(m_imageScale)))})
    m_imageList.AddMasked(calibrated, RGB(0, 0, 0));
  m_ctrlTouchScreens.SetImageList(m_imageList.m_hImageList, LVSIL_NORMAL);
  if (old) ImageList_Destroy(old);
  RECT client{};
  ::GetClientRect(m_ctrlTouchScreens, &client);
  m_ctrlTouchScreens.SetIconSpacing(ListItemWidth(), (client.bottom - client.top) + TransparentRows());
}

int CPelnixCplDlg::TransparentRows() const { return dpi::ScaledPixels(kImageTransparentRows, m_imageScale); }

int CPelnixCplDlg::ListItemWidth() {
  // Wide enough for the longest line of the text, which then never wraps into a third line.
  const std::wstring widest = main_window::ListItemText(88, 88);
  const ClientDC dc(m_ctrlTouchScreens);
  const SelectionScope font(dc, reinterpret_cast<HFONT>(m_ctrlTouchScreens.Send(WM_GETFONT)));
  RECT text{};
  ::DrawTextW(dc, widest.c_str(), -1, &text, DT_CALCRECT | DT_NOPREFIX);
  return std::max<int>(m_ctrlTouchScreens.GetItemSpacing().cx, text.right + kLabelSidePadding);
}

void CPelnixCplDlg::ApplyLanguage() {
  SetWindowText(LoadLangString(LangKey::AppTitle));
  SetControlTexts(m_hWnd, kTexts);
  // Every button draws a caption of 13 characters or more (Region Calibrate's) as these lines.
  CXPButton::SetLongCaption(english::kLongCaptionFirst, english::kLongCaptionSecond);
}

void CPelnixCplDlg::RefreshList() {
  {
    // The list and the buttons change without painting: the window is drawn once, from the
    // message loop, instead of the list and each newly enabled button painting at once.
    const DrawingPause pause(m_hWnd);
    UpdateItems();
    UpdateButtons();
  }
  m_bListReady = true;
  PostMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void CPelnixCplDlg::UpdateItems() {
  // The items stay and show their touch screens again: only what changed is sent to the list
  // view, which spares the window a deletion and insertion of every item. The list view lays
  // its items out once, when its drawing is turned on again, not after each change.
  TouchScreenList& list = m_devices.list();
  m_ctrlTouchScreens.Send(WM_SETREDRAW, FALSE);
  int item = 0;
  for (const auto [i, device] : list.occupied()) {
    ReadNumberAndMonitor(i);
    if (item == static_cast<int>(m_shownItems.size())) {
      // The item's data is the slot: items and slots differ once a slot is empty.
      const ShownItem shown = Shown(i, device);
      m_ctrlTouchScreens.InsertItem(item, main_window::ListItemText(shown.touchScreenNo, shown.monitorNo),
                                    shown.image, i);
      m_shownItems.push_back(shown);
    } else {
      if (m_shownItems[item].slot != i) {
        m_ctrlTouchScreens.SetItemData(item, i);
        m_shownItems[item].slot = i;
      }
      ShowItem(item, device);
    }
    ++item;
  }
  while (static_cast<int>(m_shownItems.size()) > item) {
    m_ctrlTouchScreens.Send(LVM_DELETEITEM, m_shownItems.size() - 1);
    m_shownItems.pop_back();
  }
  if (!m_shownItems.empty()) {
    // Item 0 selected and focused; the selection follows it as it does when it is chosen.
    m_ctrlTouchScreens.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_nSelected = m_shownItems[0].slot;
  }
  m_ctrlTouchScreens.Send(WM_SETREDRAW, TRUE);
  ScrollPastTransparentRows();  // on the layout made as drawing comes back
}

void CPelnixCplDlg::ScrollPastTransparentRows() {
  m_ctrlTouchScreens.Scroll(0, TransparentRows() - m_ctrlTouchScreens.GetOrigin().y);
}

CPelnixCplDlg::ShownItem CPelnixCplDlg::Shown(int slot, const TouchScreenDevice& device) {
  return ShownItem{slot, device.TouchScreenNo, device.MonitorNo, main_window::ListImage(device.IsCalibrated)};
}

void CPelnixCplDlg::ShowItem(int item, const TouchScreenDevice& device) {
  const ShownItem now = Shown(m_shownItems[item].slot, device);
  if (now == m_shownItems[item]) return;
  m_ctrlTouchScreens.SetItem(item, main_window::ListItemText(now.touchScreenNo, now.monitorNo), now.image);
  m_shownItems[item] = now;
}

void CPelnixCplDlg::ShowTouchScreen(int slot) {
  const TouchScreenDevice* device = m_devices.list().device(slot);
  if (!device) return;
  for (int item = 0; item < static_cast<int>(m_shownItems.size()); ++item) {
    if (m_shownItems[item].slot == slot) ShowItem(item, *device);
  }
  if (slot == m_nSelected) UpdateButtons();
}

void CPelnixCplDlg::SaveEnded(bool enableWindow) {
  if (enableWindow) EnableWindow(TRUE);
  RefreshList();
}

void CPelnixCplDlg::ReadNumberAndMonitor(int index) {
  TouchScreenDevice* device = m_devices.list().device(index);
  if (!device) return;
  const std::int32_t number = main_window::ValidTouchScreenNo(device->TouchScreenNo);
  device->TouchScreenNo = number;
  DeviceParameters parameters{};
  parameters.TouchScreenNo = number;
  m_driver.GetDeviceParameters(parameters);
  device->MonitorNo = main_window::ValidMonitorNo(parameters.MonitorID);
  device->IsCalibrated = parameters.IsCalibrate;
}

void CPelnixCplDlg::UpdateButtons() {
  TouchScreenList& list = m_devices.list();
  const int selected = m_nSelected;
  const TouchScreenDevice* device = list.device(selected);
  const BOOL enable = device && main_window::ActionButtonsEnabled(list.count(), selected, device->IsCalibrated);
  m_btnCalibrate.EnableWindow(enable);
  m_btnRegionCalibrate.EnableWindow(enable);
  m_btnMapping.EnableWindow(enable);
  m_btnSettings.EnableWindow(enable);
  m_btnDiagnostics.EnableWindow(FALSE);
}

BOOL CPelnixCplDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == UM_CALIBRATE_BEGIN) {
    EnableWindow(FALSE);
    return TRUE;
  }
  if (msg->message == UM_CALIBRATE_END) {
    // Only the open calibration window's own end counts; any other is dropped.
    if (!m_calibration.CalibrationEndPosted()) return TRUE;
    EnableWindow(TRUE);  // and dispatched as well
  }

  const MouseHookMessages& hook = GetMouseHookMessages();
  if (msg->hwnd == m_hWnd && msg->message != 0 &&
      (msg->message == hook.down || msg->message == hook.up || msg->message == hook.move)) {
    m_calibration.OnMouseHookMessage(msg->message, m_nSelected);
    return TRUE;
  }

  return CDialog::PreTranslateMessage(msg);
}

bool CPelnixCplDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  const auto reply = [this](UINT m, std::unique_ptr<DeviceReport> record) {
    m_workers.OnReply(m, std::move(record), m_bListReady);
  };
  if (m_devices.client().DispatchReply(msg, lp, reply)) return true;
  switch (msg) {
    case WM_DEVICECHANGE:
      result = OnDeviceChange(wp, lp);
      return true;
    case UM_UNREGISTER_NOTIFY:
      m_devices.hid().UnregisterNotification(reinterpret_cast<HDEVNOTIFY>(lp));
      return true;
    case UM_SAVE_MAPPING:
      if (lp != 0) m_workers.AskForSave();
      return true;
    case UM_CALIBRATE_END:
      OnCalibrateEnd(wp, lp);
      return true;
    case UM_MAPPING_END:
      // A save still to come (or running) keeps the window disabled until it has ended.
      if (m_workers.HoldWindowForSave(m_calibration.MappingWillSave())) return true;
      EnableWindow(TRUE);
      RefreshList();
      return true;
    case WM_DPICHANGED:
      // The pictures follow the monitor; the dialog manager scales the window and its texts.
      SetDpiImages(LOWORD(wp));
      ScrollPastTransparentRows();
      return CDialog::OnMessage(msg, wp, lp, result);
    default:
      return m_workers.OnWorkerMessage(msg) || CDialog::OnMessage(msg, wp, lp, result);
  }
}

bool CPelnixCplDlg::OnPaint() {
  if (!::IsIconic(m_hWnd)) return false;
  PaintMinimized();
  return true;
}

HICON CPelnixCplDlg::OnQueryDragIcon() { return m_hIcon.get(); }

bool CPelnixCplDlg::OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage) {
  if (m_bListReady) return false;
  ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  return true;
}

bool CPelnixCplDlg::OnTimer(UINT_PTR id) { return m_workers.OnTimer(id); }

bool CPelnixCplDlg::OnClose() {
  m_calibration.EndRegionDrawing();
  return false;  // the dialog's own handling ends it
}

void CPelnixCplDlg::OnDestroy() {
  m_workers.EndWaits();
  m_devices.list().UnregisterInterfaceNotifications();
}

bool CPelnixCplDlg::OnButtonClicked(UINT id) {
  // While a mapping's numbers are being saved, nothing new talks to the touch screens.
  if (m_workers.Saving() && (id == IDC_MAPPING || id == IDC_CALIBRATE || id == IDC_REGION_CALIBRATE)) return true;
  switch (id) {
    case IDC_MAPPING:
      m_calibration.Map();
      return true;
    case IDC_CALIBRATE:
      m_calibration.Calibrate(m_nSelected);
      return true;
    case IDC_REGION_CALIBRATE:
      m_calibration.BeginRegion();
      return true;
    case IDC_SETTINGS:
      RunSettingsDialog(this, m_driver);
      return true;
    case IDC_DIAGNOSTICS:
      if (m_pDiagnosis) RunDiagnosis(*m_pDiagnosis, m_nSelected);
      return true;
    case IDC_ABOUT:
      RunAboutDialog(this, m_devices);
      return true;
    case IDC_HELP_MANUAL:
      OpenUserManual();
      return true;
    case IDOK:
      EndDialog(IDOK);
      return true;
    default:
      return false;
  }
}

bool CPelnixCplDlg::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.idFrom != IDC_TOUCHSCREEN_LIST) return false;
  if (header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    // Only a change of selection moves it: the item's text or image changing does not.
    if (change.iItem < 0 || !(change.uChanged & LVIF_STATE) ||
        !((change.uNewState ^ change.uOldState) & LVIS_SELECTED))
      return false;
    m_nSelected = static_cast<int>(m_ctrlTouchScreens.GetItemData(change.iItem));
    UpdateButtons();
    return true;
  }
  if (header.code == NM_DBLCLK) {
    if (m_ctrlTouchScreens.GetNextSelectedItem() >= 0 && m_nSelected >= 0) RunPropertiesDialog(this, m_devices.list(), m_nSelected);
    return true;
  }
  return false;
}

void CPelnixCplDlg::OnCalibrateEnd(WPARAM aborted, LPARAM index) {
  if (!m_calibration.TakeCalibrationEnd()) return;
  if (aborted == 1) return;
  if (index < 0 || index >= kMaxTouchScreens) return;
  if (TouchScreenDevice* device = m_devices.list().device(static_cast<int>(index))) device->IsCalibrated = 1;
  RefreshList();
}

// A removal query closes the touch screen's handle; a completed removal takes it out of the
// list, tells the other windows, and ends the program when it was the last one. Arrivals are
// not handled: the list is built once.
LRESULT CPelnixCplDlg::OnDeviceChange(WPARAM event, LPARAM data) {
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
  if (!header || header->dbch_devicetype != DBT_DEVTYP_HANDLE) return 0;
  const HANDLE handle = reinterpret_cast<const DEV_BROADCAST_HANDLE*>(header)->dbch_handle;
  TouchScreenList& list = m_devices.list();

  switch (event) {
    case DBT_DEVICEQUERYREMOVE: {
      // Our handle must not keep the device from going; the request is always granted.
      const int index = list.FindByHandle(handle);
      if (index >= 0) list.Close(index);
      return TRUE;
    }
    case DBT_DEVICEREMOVEPENDING:
    case DBT_DEVICEREMOVECOMPLETE: {
      const int index = list.FindByHandle(handle);
      if (index >= 0) RemoveTouchScreen(index);
      RefreshList();
      UpdateButtons();
      return TRUE;
    }
    default:
      return 0;
  }
}

void CPelnixCplDlg::RemoveTouchScreen(int index) {
  TouchScreenList& list = m_devices.list();
  if (TouchScreenDevice* device = list.device(index))
    PostMessage(UM_UNREGISTER_NOTIFY, 0, reinterpret_cast<LPARAM>(device->DeviceNotify));

  if (m_pDiagnosis && IsDiagnosisVisible(*m_pDiagnosis) && index == m_nSelected) EndDiagnosis(*m_pDiagnosis, 1);

  // The calibration and mapping windows let go of it before the slots after it move down.
  m_calibration.TouchScreenRemoving(index);
  if (index == m_nSelected) m_nSelected = -1;
  m_workers.TouchScreenGone(list.id(index));
  list.RemoveAt(index);
  m_calibration.TouchScreenRemoved(index);
  // A mapping that ended waiting to ask for its save will not ask now: the window is freed.
  m_workers.SaveNoLongerComing(m_calibration.MappingWillSave());

  BroadcastDeviceRemoved(index);
  if (list.count() == 0) ::PostQuitMessage(0);
}

void CPelnixCplDlg::BroadcastDeviceRemoved(int index) {
  // Every top-level window of this program hears of it; other programs' windows, which
  // may give the same message number a meaning of their own, do not.
  struct Broadcast {
    DWORD process;
    LPARAM index;
  } broadcast{::GetCurrentProcessId(), index};
  ::EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        const auto& message = *reinterpret_cast<const Broadcast*>(data);
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process == message.process) ::PostMessageW(window, UM_DEVICE_REMOVED, 0, message.index);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&broadcast));
}

void CPelnixCplDlg::OpenUserManual() {
  // The manual in the language of the program's texts when it is there, else the English one;
  // a failure is reported for the file that was tried.
  const std::wstring folder = GetModuleDir();
  std::wstring path = folder + UserManualForLangId(::GetSystemDefaultLangID());
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) path = folder + kEnglishUserManual;
  const auto shell = reinterpret_cast<std::intptr_t>(
      ::ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  const std::optional<LangKey> key = main_window::HelpFailureKey(shell);
  if (!key) return;
  ::MessageBoxW(m_hWnd, LoadLangString(*key).c_str(), LoadLangString(LangKey::StatusNormal).c_str(), MB_ICONINFORMATION);
}

void CPelnixCplDlg::PaintMinimized() {
  const PaintDC dc(m_hWnd);
  ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)), 0);
  const RECT client = GetClientRect();
  const int width = ::GetSystemMetrics(SM_CXICON);
  const int height = ::GetSystemMetrics(SM_CYICON);
  ::DrawIcon(dc, (client.right - client.left - width + 1) / 2, (client.bottom - client.top - height + 1) / 2,
             m_hIcon.get());
}
