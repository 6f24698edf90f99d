#include "ui/properties_dialog.h"

#include <cwchar>

#include "base/language.h"
#include "device/touch_screen_list.h"
#include "framework/data_exchange.h"
#include "ui/core/properties_format.h"
#include "framework/dialog_texts.h"
#include "ui/res/properties_dialog_ids.h"

namespace {

constexpr ControlText kCaptions[] = {
    {IDOK, LangKey::Ok},
    {IDC_PROPERTIES_GROUP, LangKey::TouchScreenInformation},
    {IDC_TOUCH_SCREEN_NO_LABEL, LangKey::TouchScreenNoLabel},
    {IDC_MONITOR_NO_LABEL, LangKey::MonitorNoLabel},
    {IDC_IS_CALIBRATED_LABEL, LangKey::IsCalibratedLabel},
    {IDC_INTERFACE_TYPE_LABEL, LangKey::InterfaceTypeLabel},
    {IDC_HARDWARE_VERSION_LABEL, LangKey::HardwareVersionLabel},
    {IDC_SERIAL_NO_LABEL, LangKey::SerialNoLabel},
    {IDC_STATUS_LABEL, LangKey::StatusLabel},
    {IDC_STATUS_VALUE, LangKey::StatusNormal},
};

// What the dialog shows of one touch screen; a slot without one shows nothing known.
struct ShownValues {
  std::int32_t touchScreenNo = -1;
  std::int32_t monitorNo = -1;
  std::int32_t isCalibrated = 0;
  std::int32_t hwVersion[3] = {-1, -1, -1};
  std::int8_t serial0 = -1;
  std::int8_t serial1 = -1;
  std::int32_t serial2 = -1;
};

ShownValues ReadTouchScreen(const TouchScreenList& list, int index) {
  ShownValues values;
  const TouchScreenDevice* device = list.device(index);
  if (!device) return values;
  values.touchScreenNo = device->TouchScreenNo.load();
  values.monitorNo = device->MonitorNo.load();
  values.isCalibrated = device->IsCalibrated.load();
  for (int i = 0; i < 3; ++i) values.hwVersion[i] = device->HwVersion[i].load();
  values.serial0 = device->SerialNo0.load();
  values.serial1 = device->SerialNo1.load();
  values.serial2 = device->SerialNo2.load();
  return values;
}

std::wstring Decimal(const wchar_t* format, std::int32_t value) {
  wchar_t text[24];
  std::swprintf(text, 24, format, value);
  return text;
}

}  // namespace

PelnixInfo::PelnixInfo(CWnd* parent, const TouchScreenList& list, int touchScreenIndex)
    : CDialog(IDD_PROPERTIES, parent), m_list(list), m_nTouchScreenIndex(touchScreenIndex) {
  SetBackground(kDialogBackgroundColor, RGB(0, 0, 0));
}

void PelnixInfo::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDOK, m_btnOK);
}

BOOL PelnixInfo::OnInitDialog() {
  CDialog::OnInitDialog();
  ShowTouchScreen();
  SetWindowText(LoadLangString(LangKey::TouchScreenInformation));
  SetControlTexts(m_hWnd, kCaptions);
  return TRUE;
}

void PelnixInfo::ShowTouchScreen() {
  const ShownValues values = ReadTouchScreen(m_list, m_nTouchScreenIndex);
  SetDlgItemText(IDC_IS_CALIBRATED_VALUE, LoadLangString(CalibratedKey(values.isCalibrated)));
  SetDlgItemText(IDC_MONITOR_NO_VALUE, Decimal(L"%0d", values.monitorNo));
  SetDlgItemText(IDC_TOUCH_SCREEN_NO_VALUE, Decimal(L"%d", values.touchScreenNo));
  SetDlgItemText(IDC_HARDWARE_VERSION_VALUE,
                 FormatHardwareVersion(values.hwVersion[0], values.hwVersion[1], values.hwVersion[2]));
  SetDlgItemText(IDC_SERIAL_NO_VALUE,
                 FormatSerialNumber(values.serial0, values.serial1, values.serial2));
}
