#include "ui/core/settings_rules.h"

#include "config/core/parameter_table.h"

namespace {

// The driver's valid range of a record field, from the one parameter table.
constexpr const GlobalValue& GlobalValueOf(int recordIndex) {
  for (const GlobalValue& value : kGlobalValues)
    if (value.recordIndex == recordIndex) return value;
  return kGlobalValues[0];  // never reached: every field is in the table
}

constexpr SettingsSlider MakeSlider(int id, int recordIndex, int page, int tick, int line,
                                    int valueLabel) {
  const GlobalValue& value = GlobalValueOf(recordIndex);
  return {id, recordIndex, value.min, value.max, page, tick, line, valueLabel};
}

constexpr std::array<SettingsSlider, kSettingsSliderCount> kSliders{{
    MakeSlider(IDC_DOUBLE_CLICK_TIME, 16, 100, 100, 100, IDC_DOUBLE_CLICK_TIME_VALUE),
    MakeSlider(IDC_DOUBLE_CLICK_AREA, 17, 4, 4, 4, IDC_DOUBLE_CLICK_AREA_VALUE),
    MakeSlider(IDC_RIGHT_CLICK_TIME, 3, 1000, 1000, 1000, IDC_RIGHT_CLICK_TIME_VALUE),
    MakeSlider(IDC_RIGHT_CLICK_AREA, 4, 4, 4, 4, IDC_RIGHT_CLICK_AREA_VALUE),
    MakeSlider(IDC_DELAY_TOUCH_TIME, 6, 25, 25, 25, IDC_DELAY_TOUCH_TIME_VALUE),
    MakeSlider(IDC_DRAG_DELAY_TIME, 8, 100, 100, 100, IDC_DRAG_DELAY_TIME_VALUE),
    MakeSlider(IDC_BEEP_FREQUENCY, 13, 50, 1000, 100, IDC_BEEP_FREQUENCY_VALUE),
    MakeSlider(IDC_BEEP_DURATION, 14, 10, 10, 10, IDC_BEEP_DURATION_VALUE),
}};

constexpr std::array<int, 3> kModeRadios{IDC_MODE_CLICK_ON_TOUCH, IDC_MODE_CLICK_ON_RELEASE,
                                         IDC_MODE_MOUSE_EMULATION};
constexpr std::array<int, 3> kBeepModeRadios{IDC_BEEP_ON_TOUCH, IDC_BEEP_ON_RELEASE,
                                             IDC_BEEP_BOTH};

void EnableAll(SettingsControls& controls, std::initializer_list<int> ids, bool enabled) {
  for (int id : ids) controls.Enable(id, enabled);
}

// In modes 0 and 1 the driver beeps at one moment only: that beep-mode radio alone is
// offered, and checked.
void OfferOnlyBeepMode(SettingsControls& controls, int mode) {
  for (int i = 0; i < 3; ++i) {
    const bool offered = i == mode;
    controls.Enable(kBeepModeRadios[i], offered);
    controls.SetChecked(kBeepModeRadios[i], offered);
  }
}

std::int32_t Checked(const SettingsControls& controls, int id) {
  return controls.IsChecked(id) ? 1 : 0;
}

}  // namespace

const std::array<SettingsSlider, kSettingsSliderCount>& SettingsSliders() { return kSliders; }

const SettingsSlider* FindSettingsSlider(int id) {
  for (const SettingsSlider& slider : kSliders)
    if (slider.id == id) return &slider;
  return nullptr;
}

int ModeRadio(int mode) { return kModeRadios[NormalizeMode(mode)]; }

void ApplyRightClickRule(SettingsControls& controls) {
  const bool on = controls.IsEnabled(IDC_ENABLE_RIGHT_CLICK) &&
                  controls.IsChecked(IDC_ENABLE_RIGHT_CLICK);
  EnableAll(controls, {IDC_RIGHT_CLICK_TIME, IDC_RIGHT_CLICK_AREA, IDC_RIGHT_CLICK_GROUP}, on);
}

void ApplyDragDelayRule(SettingsControls& controls) {
  const bool on = controls.IsEnabled(IDC_ENABLE_DRAG_DELAY) &&
                  controls.IsChecked(IDC_ENABLE_DRAG_DELAY);
  EnableAll(controls, {IDC_DRAG_DELAY_TIME, IDC_DRAG_DELAY_GROUP}, on);
}

void ApplyDoubleClickRule(SettingsControls& controls) {
  const bool on = controls.IsChecked(IDC_ENABLE_DOUBLE_CLICK);
  EnableAll(controls, {IDC_DOUBLE_CLICK_TIME, IDC_DOUBLE_CLICK_AREA, IDC_DOUBLE_CLICK_GROUP}, on);
}

void ApplyDelayTouchRule(SettingsControls& controls) {
  const bool on = controls.IsChecked(IDC_ENABLE_DELAY_TOUCH);
  EnableAll(controls, {IDC_DELAY_TOUCH_TIME, IDC_DELAY_TOUCH_GROUP}, on);
}

void ApplyBeepTypeRule(SettingsControls& controls) {
  const bool speaker = controls.IsChecked(IDC_ENABLE_BEEP) &&
                       !controls.IsChecked(IDC_BEEP_SOUND_CARD);
  EnableAll(controls, {IDC_BEEP_FREQUENCY, IDC_BEEP_DURATION}, speaker);
}

void ApplyBeepRule(SettingsControls& controls, int mode) {
  const bool beep = controls.IsChecked(IDC_ENABLE_BEEP);
  if (!beep) {
    EnableAll(controls, {IDC_BEEP_ON_TOUCH, IDC_BEEP_ON_RELEASE, IDC_BEEP_BOTH}, false);
  } else if (mode == kModeClickOnTouch || mode == kModeClickOnRelease) {
    OfferOnlyBeepMode(controls, mode);
  } else {
    EnableAll(controls, {IDC_BEEP_ON_TOUCH, IDC_BEEP_ON_RELEASE, IDC_BEEP_BOTH}, true);
  }
  EnableAll(controls, {IDC_BEEP_GROUP, IDC_BEEP_SOUND_CARD, IDC_BEEP_PC_SPEAKER}, beep);
  ApplyBeepTypeRule(controls);
  controls.Enable(IDC_APPLY, true);
}

int ApplyModeRule(SettingsControls& controls, int mode) {
  mode = NormalizeMode(mode);
  for (int i = 0; i < 3; ++i) controls.SetChecked(kModeRadios[i], i == mode);
  if (mode == kModeMouseEmulation) {
    EnableAll(controls,
              {IDC_ENABLE_RIGHT_CLICK, IDC_BEEP_ON_TOUCH, IDC_BEEP_ON_RELEASE, IDC_BEEP_BOTH,
               IDC_ENABLE_DRAG_DELAY},
              true);
  } else {
    // Right click and drag delay exist only in mouse emulation: the boxes keep their checks
    // for a later return to it, but are not applied.
    EnableAll(controls, {IDC_ENABLE_RIGHT_CLICK, IDC_ENABLE_DRAG_DELAY}, false);
    OfferOnlyBeepMode(controls, mode);
  }
  ApplyRightClickRule(controls);
  ApplyDragDelayRule(controls);
  ApplyBeepRule(controls, mode);
  controls.Enable(IDC_APPLY, true);
  return mode;
}

int ApplyAllRules(SettingsControls& controls, int mode) {
  ApplyDoubleClickRule(controls);
  ApplyDelayTouchRule(controls);
  ApplyRightClickRule(controls);
  ApplyDragDelayRule(controls);
  ApplyBeepRule(controls, NormalizeMode(mode));
  return ApplyModeRule(controls, mode);
}

void LoadSettingsChecks(SettingsControls& controls, const DriverParameters& record) {
  controls.SetChecked(IDC_ENABLE_RIGHT_CLICK, record.EnableRightClick != 0);
  controls.SetChecked(IDC_ENABLE_DRAG_DELAY, record.EnableDragDelay != 0);
  controls.SetChecked(IDC_ENABLE_DELAY_TOUCH, record.EnableDelayTouch != 0);
  controls.SetChecked(IDC_ENABLE_DOUBLE_CLICK, record.EnableDoubleClick != 0);
  controls.SetChecked(IDC_HIDE_CURSOR, record.HideCursor != 0);
  controls.SetChecked(IDC_ENABLE_BEEP, record.EnableBeep != 0);
  controls.SetChecked(IDC_ENABLE_TOUCH, record.EnableTouch != 0);
  controls.SetChecked(IDC_BEEP_PC_SPEAKER, record.BeepType == 0);
  controls.SetChecked(IDC_BEEP_SOUND_CARD, record.BeepType != 0);
  const int beepMode = record.BeepMode == 0 ? 0 : record.BeepMode == 1 ? 1 : 2;
  for (int i = 0; i < 3; ++i) controls.SetChecked(kBeepModeRadios[i], i == beepMode);
}

DriverParameters BuildSettingsRecord(const SettingsControls& controls) {
  DriverParameters record;
  record.Mode = controls.IsChecked(IDC_MODE_CLICK_ON_TOUCH)     ? kModeClickOnTouch
                : controls.IsChecked(IDC_MODE_CLICK_ON_RELEASE) ? kModeClickOnRelease
                                                                : kModeMouseEmulation;
  // A greyed box is not in force, whatever its check says.
  record.EnableRightClick =
      controls.IsEnabled(IDC_ENABLE_RIGHT_CLICK) ? Checked(controls, IDC_ENABLE_RIGHT_CLICK) : 0;
  record.EnableDragDelay =
      controls.IsEnabled(IDC_ENABLE_DRAG_DELAY) ? Checked(controls, IDC_ENABLE_DRAG_DELAY) : 0;
  record.EnableTouch = Checked(controls, IDC_ENABLE_TOUCH);
  record.HideCursor = Checked(controls, IDC_HIDE_CURSOR);
  record.EnableDoubleClick = Checked(controls, IDC_ENABLE_DOUBLE_CLICK);
  record.EnableDelayTouch = Checked(controls, IDC_ENABLE_DELAY_TOUCH);
  record.EnableBeep = Checked(controls, IDC_ENABLE_BEEP);
  // Every slider is sent, greyed or not.
  for (const SettingsSlider& slider : kSliders)
    record.Set(slider.recordIndex, controls.SliderPos(slider.id));
  record.BeepType = controls.IsChecked(IDC_BEEP_PC_SPEAKER) ? 0 : 1;
  record.BeepMode = controls.IsChecked(IDC_BEEP_ON_TOUCH)     ? 0
                    : controls.IsChecked(IDC_BEEP_ON_RELEASE) ? 1
                                                              : 2;
  return record;
}
