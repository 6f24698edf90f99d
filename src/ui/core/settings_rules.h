#pragma once
// The settings dialog's control logic, free of Win32: which controls the mode and the check
// boxes enable, how the check boxes and radios load from a DriverParameters record, and how a
// record is built back from the controls when the user applies.
//
// The rules read and change controls through SettingsControls, by control id; the dialog
// implements it over its real controls, the unit tests over a table.
#include <array>

#include "config/core/driver_parameters.h"
#include "ui/res/settings_dialog_ids.h"

class SettingsControls {
public:
  virtual ~SettingsControls() = default;
  virtual bool IsChecked(int id) const = 0;
  virtual void SetChecked(int id, bool checked) = 0;
  virtual bool IsEnabled(int id) const = 0;
  virtual void Enable(int id, bool enabled) = 0;
  virtual int SliderPos(int id) const = 0;
};

// One slider: the record field it shows (its position is the stored value itself), its
// range (the driver's valid range of that field), its page, tick and line sizes, and the
// label that shows its position.
struct SettingsSlider {
  int id;
  int recordIndex;
  int min, max;
  int pageSize, tickFrequency, lineSize;
  int valueLabel;
};
inline constexpr int kSettingsSliderCount = 8;
const std::array<SettingsSlider, kSettingsSliderCount>& SettingsSliders();
// The slider with this control id, or null.
const SettingsSlider* FindSettingsSlider(int id);

// The click modes, as Mode stores them.
inline constexpr int kModeClickOnTouch = 0;
inline constexpr int kModeClickOnRelease = 1;
inline constexpr int kModeMouseEmulation = 2;
// 0 and 1 stay; anything else is mouse emulation.
constexpr int NormalizeMode(int mode) { return mode == 0 || mode == 1 ? mode : kModeMouseEmulation; }
// The mode radio of a mode (normalised first).
int ModeRadio(int mode);

// The dependent-control rules.
// Each enables its group while its check box (Enable Right Click, Enable Drag Delay) is enabled
// and checked, or (Enable Double Click) checked.
void ApplyRightClickRule(SettingsControls& controls);
void ApplyDragDelayRule(SettingsControls& controls);
void ApplyDoubleClickRule(SettingsControls& controls);
void ApplyDelayTouchRule(SettingsControls& controls);  // its group while 1014 is checked
// The beep group after Enable Beep and the mode; enables Apply.
void ApplyBeepRule(SettingsControls& controls, int mode);
// The mode radios, the mode-bound options and the beep radios; returns the mode it applied
// (normalised). Enables Apply.
int ApplyModeRule(SettingsControls& controls, int mode);
// Every rule in order: double click, delay touch, right click, drag delay, beep, mode.
int ApplyAllRules(SettingsControls& controls, int mode);
// Beep type changed: the frequency and duration sliders serve the PC speaker only.
void ApplyBeepTypeRule(SettingsControls& controls);

// Check boxes and beep radios from a record. The sliders are the dialog's (their range clamps
// the stored value) and the mode radios follow from the mode rule.
void LoadSettingsChecks(SettingsControls& controls, const DriverParameters& record);

// The complete record the controls stand for, read from nothing else.
DriverParameters BuildSettingsRecord(const SettingsControls& controls);
