#include "diagnostics/diagnosis_dialog.h"

#include <commdlg.h>

#include <cwchar>

#include "base/core/english_texts.h"
#include "base/core/user_messages.h"
#include "base/language.h"
#include "base/scoped_handle.h"
#include "base/system_failure.h"
#include "base/text.h"
#include "device/device_services.h"
#include "diagnostics/core/led_report.h"
#include "diagnostics/res/diagnosis_dialog_ids.h"
#include "framework/data_exchange.h"
#include "framework/dialog_texts.h"

namespace {

constexpr ControlText kCaptions[] = {
    {IDC_DIAGNOSIS_START, LangKey::DiagnosticsButton},
    {IDOK, LangKey::CloseButton},
    {IDC_DIAGNOSIS_EXPORT, LangKey::ExportButton},
    {IDC_DIAGNOSIS_GROUP, LangKey::DiagnosticsTitle},
};

constexpr DWORD kFileNameLength = 260;

led::ReportIdentity IdentityOf(const TouchScreenDevice& device) {
  led::ReportIdentity id;
  id.number = device.TouchScreenNo.load();
  for (int i = 0; i < 3; ++i) id.version[i] = device.HwVersion[i].load();
  id.serial0 = device.SerialNo0.load();
  id.serial1 = device.SerialNo1.load();
  id.serial2 = device.SerialNo2.load();
  return id;
}

// Appends each line and CR LF to the file, created when missing; false on any failure.
bool AppendLines(const std::wstring& path, const std::vector<std::wstring>& lines) {
  std::string text;
  for (const std::wstring& line : lines) text += ToAnsi(line) + "\r\n";
  const ScopedFileHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    RecordSystemFailure(L"CreateFileW", path);
    return false;
  }
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  if (!ok) RecordSystemFailure(L"WriteFile", path);
  return ok && written == text.size();
}

}  // namespace

CDiagnosis::CDiagnosis(DeviceServices& devices, CWnd* parent)
    : CDialog(IDD_DIAGNOSIS, parent), m_devices(devices) {
  SetBackground(kDialogBackgroundColor);
  // Enter presses the focused control, as Space does, and never closes the dialog as the
  // default button.
  SetEnterKey(EnterKey::PressesFocused);
}

void CDiagnosis::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_DIAGNOSIS_LIST, m_ctrlList);
  DDX_Control(dx, IDC_DIAGNOSIS_START, m_btnDiagnostics);
  DDX_Control(dx, IDC_DIAGNOSIS_EXPORT, m_btnExport);
  DDX_Control(dx, IDOK, m_btnClose);
}

BOOL CDiagnosis::OnInitDialog() {
  // The main window keeps this object and opens it again: the list box is a new window.
  m_ctrlList = CListBox{};
  CDialog::OnInitDialog();
  const TouchScreenDevice* device = m_devices.list().device(m_nDeviceIndex);
  wchar_t number[32];
  std::swprintf(number, 32, L"No.%d ", device ? device->TouchScreenNo.load() : -1);
  SetWindowText(number + LoadLangString(LangKey::DiagnosticsTitle));
  SetControlTexts(m_hWnd, kCaptions);
  m_btnExport.EnableWindow(FALSE);
  return TRUE;
}

bool CDiagnosis::PostStep(char command1, char command2) {
  return m_devices.client().PostCommand(m_hWnd, m_nDeviceIndex, static_cast<std::uint8_t>(command1),
                                    static_cast<std::uint8_t>(command2));
}

void CDiagnosis::StartRun() {
  if (!m_devices.list().device(m_nDeviceIndex)) {
    ::MessageBoxW(m_hWnd, english::kReselectTouchScreen, english::kProgramCaption, MB_OK);
    m_btnDiagnostics.EnableWindow(FALSE);
    return;
  }
  m_btnDiagnostics.EnableWindow(FALSE);
  m_ctrlList.ResetContent();
  ::SetFocus(m_ctrlList);
  m_ctrlList.AddString(LoadLangString(LangKey::TestingLeds));
  m_run.Begin();
  PostStep('o', 0);
}

void CDiagnosis::OnReply(UINT msg, std::unique_ptr<DeviceReport> reply) {
  if (!reply) return;
  switch (msg) {
    case UM_REPLY_O:
      OnOpenReply(std::move(reply));
      break;
    case UM_REPLY_ZV:
      if (m_run.OnLevelsReply(reply->report, kReportSize) == led::LedTestRun::Action::PostStatuses) PostStep('Z', 'g');
      break;
    case UM_REPLY_ZG:
      if (m_run.OnStatusesReply(reply->report, kReportSize) == led::LedTestRun::Action::Finish) FinishRun();
      break;
    default:
      break;
  }
}

void CDiagnosis::OnOpenReply(std::unique_ptr<DeviceReport> reply) {
  switch (m_run.OnOpenReply(reply->report, kReportSize)) {
    case led::LedTestRun::Action::HoldReply:
      m_devices.client().HoldReply(std::move(reply));
      break;
    case led::LedTestRun::Action::PostLevels:
      PostStep('Z', 'v');
      break;
    default:
      break;
  }
}

void CDiagnosis::FinishRun() {
  m_devices.client().ReleaseHeldReply();
  led::LedTestResult result;
  if (m_run.Finish(result) != led::DecodeStatus::Decoded) return;  // the "testing the LEDs" line stays
  const TouchScreenDevice* device = m_devices.list().device(m_nDeviceIndex);
  ShowReport(led::BuildReport(device ? IdentityOf(*device) : led::ReportIdentity{}, result));
}

void CDiagnosis::ShowReport(const std::vector<std::string>& lines) {
  m_ctrlList.ResetContent();
  for (const std::string& line : lines) m_ctrlList.AddString(FromAnsi(line));
  m_btnExport.EnableWindow(TRUE);
  m_btnDiagnostics.EnableWindow(TRUE);
}

void CDiagnosis::AbandonRun() {
  // Whatever the run was waiting for will not be handled; its held reply is of no further use.
  if (m_run.phase() == led::LedTestRun::Phase::Idle) return;
  m_run = led::LedTestRun();
  m_devices.client().ReleaseHeldReply();
}

void CDiagnosis::OnRemoved(int index) {
  if (index < m_nDeviceIndex) {
    // The touch screens after the removed one move down a slot: this one with them.
    --m_nDeviceIndex;
    return;
  }
  if (index != m_nDeviceIndex) return;
  AbandonRun();
  ::MessageBoxW(m_hWnd, english::kDeviceRemoved, english::kProgramCaption, MB_OK);
  m_btnDiagnostics.EnableWindow(FALSE);
}

std::vector<std::wstring> CDiagnosis::ListLines() const {
  std::vector<std::wstring> lines;
  const int count = m_ctrlList.GetCount();
  for (int i = 0; i < count; ++i) lines.push_back(m_ctrlList.GetText(i));
  return lines;
}

void CDiagnosis::Export() {
  const TouchScreenDevice* device = m_devices.list().device(m_nDeviceIndex);
  wchar_t file[kFileNameLength] = {};
  std::swprintf(file, kFileNameLength, L"Diagnostics_%d.txt", device ? device->TouchScreenNo.load() : -1);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = m_hWnd;
  dialog.lpstrFilter = english::kTextFileFilter;
  dialog.lpstrFile = file;
  dialog.nMaxFile = kFileNameLength;
  dialog.lpstrDefExt = L"txt";  // the dialog adds the dot
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_OVERWRITEPROMPT;
  if (!::GetSaveFileNameW(&dialog)) {
    // Cancel leaves no error; anything else is the dialog failing.
    if (const DWORD error = ::CommDlgExtendedError()) RecordSystemFailure(L"GetSaveFileNameW", file, error);
    return;
  }
  AppendLines(file, ListLines());  // a failure leaves the dialog as it was, without a message
}

bool CDiagnosis::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  result = 0;
  if (m_devices.client().DispatchReply(msg, lp, [this](UINT m, auto reply) { OnReply(m, std::move(reply)); }))
    return true;
  if (msg != UM_DEVICE_REMOVED) return CDialog::OnMessage(msg, wp, lp, result);
  OnRemoved(static_cast<int>(lp));
  return true;
}

bool CDiagnosis::OnButtonClicked(UINT id) {
  switch (id) {
    case IDC_DIAGNOSIS_START: StartRun(); return true;
    case IDC_DIAGNOSIS_EXPORT: Export(); return true;
    default: return false;  // Close: the dialog's own handling ends it
  }
}

void CDiagnosis::OnDestroy() { AbandonRun(); }
