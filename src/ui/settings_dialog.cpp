#include "ui/settings_dialog.h"

#include <string>

#include "config/core/parameter_table.h"
#include "config/driver_library.h"
#include "config/system_settings.h"
#include "framework/data_exchange.h"
#include "base/language.h"
#include "framework/dialog_texts.h"

namespace {

constexpr ControlText kCaptions[] = {
    {IDC_MODES_GROUP, LangKey::ModesGroup},
    {IDC_MODE_CLICK_ON_TOUCH, LangKey::ClickOnTouch},
    {IDC_MODE_CLICK_ON_RELEASE, LangKey::ClickOnRelease},
    {IDC_MODE_MOUSE_EMULATION, LangKey::MouseEmulation},
    {IDC_OPTIONS_GROUP, LangKey::OptionsGroup},
    {IDC_ENABLE_TOUCH, LangKey::EnableTouch},
    {IDC_HIDE_CURSOR, LangKey::HideCursor},
    {IDC_ENABLE_DOUBLE_CLICK, LangKey::EnableDoubleClick},
    {IDC_ENABLE_RIGHT_CLICK, LangKey::EnableRightClick},
    {IDC_ENABLE_DRAG_DELAY, LangKey::EnableDragDelay},
    {IDC_ENABLE_DELAY_TOUCH, LangKey::EnableDelayTouch},
    {IDC_ENABLE_BEEP, LangKey::EnableBeep},
    {IDC_DRAG_DELAY_GROUP, LangKey::DragDelayGroup},
    {IDC_DELAY_TOUCH_GROUP, LangKey::DelayTouchGroup},
    {IDC_DOUBLE_CLICK_GROUP, LangKey::DoubleClickGroup},
    {IDC_RIGHT_CLICK_GROUP, LangKey::RightClickGroup},
    {IDC_BEEP_GROUP, LangKey::BeepGroup},
    {IDC_BEEP_ON_TOUCH, LangKey::BeepOnTouch},
    {IDC_BEEP_ON_RELEASE, LangKey::BeepOnRelease},
    {IDC_BEEP_BOTH, LangKey::BeepBoth},
    {IDC_BEEP_PC_SPEAKER, LangKey::PcSpeaker},
    {IDC_BEEP_SOUND_CARD, LangKey::SoundCard},
    {IDOK, LangKey::Ok},
    {IDCANCEL, LangKey::Cancel},
    {IDC_APPLY, LangKey::Apply},
    {IDC_FREQUENCY_LABEL, LangKey::FrequencyLabel},
    {IDC_DURATION_LABEL, LangKey::DurationLabel},
    {IDC_DRAG_DELAY_LABEL, LangKey::DelayLabel},
    {IDC_DELAY_TOUCH_LABEL, LangKey::DelayLabel},
    {IDC_RIGHT_CLICK_DELAY_LABEL, LangKey::DelayLabel},
    {IDC_DOUBLE_CLICK_SPEED_LABEL, LangKey::SpeedLabel},
    {IDC_DOUBLE_CLICK_AREA_LABEL, LangKey::AreaLabel},
    {IDC_RIGHT_CLICK_AREA_LABEL, LangKey::AreaLabel},
};

}  // namespace

CBasicprop::CBasicprop(DriverLibrary& driver, CWnd* parent) : CDialog(IDD_SETTINGS, parent), m_driver(driver) {
  SetBackground(kDialogBackgroundColor);
  // Enter presses the focused control, as Space does, and never closes the dialog as the
  // default OK.
  SetEnterKey(EnterKey::PressesFocused);
}

void CBasicprop::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDOK, m_btnOK);
  DDX_Control(dx, IDCANCEL, m_btnCancel);
  DDX_Control(dx, IDC_APPLY, m_btnApply);
  for (int i = 0; i < kSettingsSliderCount; ++i)
    DDX_Control(dx, SettingsSliders()[i].id, m_ctrlSliders[i]);
  DDX_Radio(dx, IDC_MODE_CLICK_ON_TOUCH, m_nMode);
}

BOOL CBasicprop::OnInitDialog() {
  CDialog::OnInitDialog();
  LoadSettings();
  m_nMode = ApplyAllRules(*this, m_nMode);
  SetWindowText(LoadLangString(LangKey::SettingsTitle));
  SetControlTexts(m_hWnd, kCaptions);
  EnableApply(false);
  UpdateData(FALSE);
  return TRUE;
}

void CBasicprop::LoadSettings() {
  DriverParameters record = DefaultDriverParameters();
  // Without the library the dialog shows the fallback values, and says why.
  if (!m_driver.GetDriverParameters(record)) ShowDriverLibraryMissing(m_hWnd);
  m_nMode = record.Mode;
  LoadSettingsChecks(*this, record);
  for (const SettingsSlider& slider : SettingsSliders())
    SetupSlider(slider, record.Get(slider.recordIndex));
}

void CBasicprop::SetupSlider(const SettingsSlider& slider, int position) {
  const CSliderCtrl& control = m_ctrlSliders[&slider - SettingsSliders().data()];
  control.SetPageSize(slider.pageSize);
  control.SetTicFreq(slider.tickFrequency);
  control.SetLineSize(slider.lineSize);
  control.SetRange(slider.min, slider.max);
  control.SetPos(position);
  // The slider clamps a stored value outside its range; the label shows what it kept.
  ShowSliderValue(slider);
}

void CBasicprop::ShowSliderValue(const SettingsSlider& slider) {
  SetDlgItemText(slider.valueLabel, std::to_wstring(SliderPos(slider.id)));
}

bool CBasicprop::OnHScroll(UINT code, int pos, HWND control) {
  if (!control) return false;
  OnSliderMoved(control);
  return true;
}

bool CBasicprop::OnButtonClicked(UINT id) {
  switch (id) {
    case IDC_MODE_CLICK_ON_TOUCH:
    case IDC_MODE_CLICK_ON_RELEASE:
    case IDC_MODE_MOUSE_EMULATION:
      m_nMode = static_cast<int>(id) - IDC_MODE_CLICK_ON_TOUCH;
      m_nMode = ApplyModeRule(*this, m_nMode);
      return true;
    case IDC_ENABLE_RIGHT_CLICK:
      EnableApply(true);
      ApplyRightClickRule(*this);
      return true;
    case IDC_ENABLE_DRAG_DELAY:
      EnableApply(true);
      ApplyDragDelayRule(*this);
      return true;
    case IDC_ENABLE_DELAY_TOUCH:
      EnableApply(true);
      ApplyDelayTouchRule(*this);
      return true;
    case IDC_ENABLE_DOUBLE_CLICK:
      EnableApply(true);
      ApplyDoubleClickRule(*this);
      return true;
    case IDC_ENABLE_BEEP:
      ApplyBeepRule(*this, m_nMode);
      return true;
    case IDC_BEEP_SOUND_CARD:
    case IDC_BEEP_PC_SPEAKER:
      EnableApply(true);
      ApplyBeepTypeRule(*this);
      return true;
    case IDC_HIDE_CURSOR:
    case IDC_ENABLE_TOUCH:
    case IDC_BEEP_ON_TOUCH:
    case IDC_BEEP_ON_RELEASE:
    case IDC_BEEP_BOTH:
      EnableApply(true);
      return true;
    case IDC_APPLY:
      OnApply();
      return true;
    default:
      return false;
  }
}

void CBasicprop::OnSliderMoved(HWND slider) {
  const SettingsSlider* moved = FindSettingsSlider(::GetDlgCtrlID(slider));
  if (!moved) return;
  EnableApply(true);
  ShowSliderValue(*moved);
}

void CBasicprop::OnApply() {
  Apply();
  EnableApply(false);
  SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_btnOK.m_hWnd), TRUE);
}

void CBasicprop::OnOK() {
  Apply();
  EndDialog(IDOK);
}

void CBasicprop::Apply() {
  const DriverParameters record = BuildSettingsRecord(*this);
  // The user's change would otherwise be lost without a word.
  if (!m_driver.SetDriverParameters(record)) ShowDriverLibraryMissing(m_hWnd);
  ApplySystemSettings(record.EnableDoubleClick, record.DoubleClickTime, record.DoubleClickArea,
                      record.HideCursor);
}

bool CBasicprop::IsChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }

void CBasicprop::SetChecked(int id, bool checked) {
  ::CheckDlgButton(m_hWnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool CBasicprop::IsEnabled(int id) const { return ::IsWindowEnabled(GetDlgItem(id)) != FALSE; }

void CBasicprop::Enable(int id, bool enabled) { ::EnableWindow(GetDlgItem(id), enabled); }

int CBasicprop::SliderPos(int id) const {
  return static_cast<int>(::SendDlgItemMessageW(m_hWnd, id, TBM_GETPOS, 0, 0));
}
