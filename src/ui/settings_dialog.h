#pragma once
// CBasicprop: the modal "Settings" dialog. It shows the driver's global settings, keeps the
// controls consistent with the chosen mode, and on Apply or OK hands a complete record built
// from the controls to PelnixLib.dll, then brings the system's double-click and cursor
// settings in line.
#include <array>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/controls/xp_button.h"
#include "ui/core/settings_rules.h"

class DriverLibrary;

class CBasicprop : public CDialog, private SettingsControls {
public:
  // The driver's settings in `driver`, which outlives the dialog.
  explicit CBasicprop(DriverLibrary& driver, CWnd* parent = nullptr);

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  bool OnButtonClicked(UINT id) override;
  bool OnHScroll(UINT code, int pos, HWND control) override;  // a slider moved
  void OnOK() override;

private:
  void LoadSettings();
  void SetupSlider(const SettingsSlider& slider, int position);
  void ShowSliderValue(const SettingsSlider& slider);
  void OnSliderMoved(HWND slider);
  void OnApply();
  void Apply();
  void EnableApply(bool enable) { m_btnApply.EnableWindow(enable); }

  // SettingsControls, over the dialog's controls.
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  bool IsEnabled(int id) const override;
  void Enable(int id, bool enabled) override;
  int SliderPos(int id) const override;

  DriverLibrary& m_driver;
  int m_nMode = 0;  // the checked mode radio: 0, 1 or 2
  CXPButton m_btnOK;
  CXPButton m_btnCancel;
  CXPButton m_btnApply;
  std::array<CSliderCtrl, kSettingsSliderCount> m_ctrlSliders;
};
