// The settings dialog's rules on a table of control states: what each mode and check box
// enables, and the record built back from the controls.
#include <gtest/gtest.h>

#include <map>

#include "config/core/parameter_table.h"
#include "ui/core/settings_rules.h"

namespace {

class ControlTable : public SettingsControls {
public:
  bool IsChecked(int id) const override { return Find(id).checked; }
  void SetChecked(int id, bool checked) override { m_controls[id].checked = checked; }
  bool IsEnabled(int id) const override { return Find(id).enabled; }
  void Enable(int id, bool enabled) override { m_controls[id].enabled = enabled; }
  int SliderPos(int id) const override { return Find(id).position; }
  void SetSliderPos(int id, int position) { m_controls[id].position = position; }
  // A click on an auto check box or radio: the button changes its check itself.
  void Toggle(int id) { m_controls[id].checked = !m_controls[id].checked; }

private:
  struct State {
    bool checked = false;
    bool enabled = true;
    int position = 0;
  };
  State Find(int id) const {
    auto at = m_controls.find(id);
    return at == m_controls.end() ? State{} : at->second;
  }
  std::map<int, State> m_controls;
};

DriverParameters Record(int mode) {
  DriverParameters record = DefaultDriverParameters();
  record.Mode = mode;
  record.EnableRightClick = 1;
  record.EnableDragDelay = 1;
  record.EnableBeep = 1;
  record.BeepMode = 2;
  record.BeepType = 0;
  return record;
}

// The dialog's opening: checks, slider positions (in range here), then every rule.
int Open(ControlTable& controls, const DriverParameters& record) {
  LoadSettingsChecks(controls, record);
  for (const SettingsSlider& slider : SettingsSliders())
    controls.SetSliderPos(slider.id, record.Get(slider.recordIndex));
  return ApplyAllRules(controls, record.Mode);
}

void ExpectEnabled(const ControlTable& controls, std::initializer_list<int> ids, bool enabled) {
  for (int id : ids) EXPECT_EQ(controls.IsEnabled(id), enabled) << "control " << id;
}

TEST(SettingsRules, ClickOnTouchGreysRightClickAndDragDelayAndOffersOnlyBeepOnTouch) {
  ControlTable controls;
  EXPECT_EQ(Open(controls, Record(0)), 0);
  EXPECT_TRUE(controls.IsChecked(IDC_MODE_CLICK_ON_TOUCH));
  EXPECT_FALSE(controls.IsChecked(IDC_MODE_MOUSE_EMULATION));
  ExpectEnabled(controls,
                {IDC_ENABLE_RIGHT_CLICK, IDC_RIGHT_CLICK_TIME, IDC_RIGHT_CLICK_AREA,
                 IDC_RIGHT_CLICK_GROUP, IDC_ENABLE_DRAG_DELAY, IDC_DRAG_DELAY_TIME,
                 IDC_DRAG_DELAY_GROUP, IDC_BEEP_ON_RELEASE, IDC_BEEP_BOTH},
                false);
  // The greyed boxes keep their checks.
  EXPECT_TRUE(controls.IsChecked(IDC_ENABLE_RIGHT_CLICK));
  EXPECT_TRUE(controls.IsChecked(IDC_ENABLE_DRAG_DELAY));
  ExpectEnabled(controls, {IDC_BEEP_ON_TOUCH, IDC_BEEP_GROUP, IDC_APPLY}, true);
  EXPECT_TRUE(controls.IsChecked(IDC_BEEP_ON_TOUCH));
  EXPECT_FALSE(controls.IsChecked(IDC_BEEP_BOTH));
}

TEST(SettingsRules, ClickOnReleaseOffersOnlyBeepOnRelease) {
  ControlTable controls;
  Open(controls, Record(1));
  EXPECT_TRUE(controls.IsChecked(IDC_MODE_CLICK_ON_RELEASE));
  ExpectEnabled(controls, {IDC_BEEP_ON_TOUCH, IDC_BEEP_BOTH, IDC_ENABLE_RIGHT_CLICK}, false);
  EXPECT_TRUE(controls.IsEnabled(IDC_BEEP_ON_RELEASE));
  EXPECT_TRUE(controls.IsChecked(IDC_BEEP_ON_RELEASE));
  EXPECT_FALSE(controls.IsChecked(IDC_BEEP_ON_TOUCH));
  EXPECT_EQ(BuildSettingsRecord(controls).BeepMode, 1);
}

TEST(SettingsRules, MouseEmulationToClickOnReleaseStoresNoRightClickButKeepsTheCheck) {
  ControlTable controls;
  int mode = Open(controls, Record(2));
  ExpectEnabled(controls, {IDC_ENABLE_RIGHT_CLICK, IDC_RIGHT_CLICK_TIME, IDC_ENABLE_DRAG_DELAY,
                           IDC_BEEP_ON_TOUCH, IDC_BEEP_ON_RELEASE, IDC_BEEP_BOTH},
                true);
  EXPECT_TRUE(controls.IsChecked(IDC_BEEP_BOTH));

  controls.Toggle(IDC_MODE_CLICK_ON_RELEASE);  // the user's click
  mode = ApplyModeRule(controls, 1);
  DriverParameters applied = BuildSettingsRecord(controls);
  EXPECT_EQ(applied.Mode, 1);
  EXPECT_EQ(applied.EnableRightClick, 0);
  EXPECT_EQ(applied.EnableDragDelay, 0);
  EXPECT_TRUE(controls.IsChecked(IDC_ENABLE_RIGHT_CLICK));

  mode = ApplyModeRule(controls, 2);
  EXPECT_EQ(mode, 2);
  EXPECT_TRUE(controls.IsChecked(IDC_ENABLE_RIGHT_CLICK));
  ExpectEnabled(controls, {IDC_ENABLE_RIGHT_CLICK, IDC_RIGHT_CLICK_TIME, IDC_RIGHT_CLICK_AREA,
                           IDC_RIGHT_CLICK_GROUP},
                true);
  applied = BuildSettingsRecord(controls);
  EXPECT_EQ(applied.EnableRightClick, 1);
  // Mode 1 left only Beep On Release checked; mouse emulation keeps that choice.
  EXPECT_EQ(applied.BeepMode, 1);
}

TEST(SettingsRules, UnknownModeIsMouseEmulation) {
  for (int stored : {3, -1, 99}) {
    ControlTable controls;
    EXPECT_EQ(Open(controls, Record(stored)), 2) << stored;
    EXPECT_TRUE(controls.IsChecked(IDC_MODE_MOUSE_EMULATION));
    EXPECT_FALSE(controls.IsChecked(IDC_MODE_CLICK_ON_TOUCH));
    EXPECT_EQ(BuildSettingsRecord(controls).Mode, 2);
  }
}

TEST(SettingsRules, SoundCardGreysTheSpeakerSlidersButTheirPositionsAreSent) {
  ControlTable controls;
  DriverParameters record = Record(2);
  record.BeepType = 1;
  record.BeepFrequency = 3000;
  record.BeepDuration = 40;
  Open(controls, record);
  EXPECT_TRUE(controls.IsChecked(IDC_BEEP_SOUND_CARD));
  ExpectEnabled(controls, {IDC_BEEP_FREQUENCY, IDC_BEEP_DURATION}, false);
  ExpectEnabled(controls, {IDC_BEEP_SOUND_CARD, IDC_BEEP_PC_SPEAKER}, true);
  const DriverParameters applied = BuildSettingsRecord(controls);
  EXPECT_EQ(applied.BeepType, 1);
  EXPECT_EQ(applied.BeepFrequency, 3000);
  EXPECT_EQ(applied.BeepDuration, 40);

  controls.Toggle(IDC_BEEP_SOUND_CARD);
  controls.Toggle(IDC_BEEP_PC_SPEAKER);
  ApplyBeepTypeRule(controls);
  ExpectEnabled(controls, {IDC_BEEP_FREQUENCY, IDC_BEEP_DURATION}, true);
  EXPECT_EQ(BuildSettingsRecord(controls).BeepType, 0);
}

TEST(SettingsRules, BeepOffGreysTheWholeBeepGroupInEveryMode) {
  for (int mode : {0, 1, 2}) {
    ControlTable controls;
    DriverParameters record = Record(mode);
    record.EnableBeep = 0;
    Open(controls, record);
    ExpectEnabled(controls,
                  {IDC_BEEP_ON_TOUCH, IDC_BEEP_ON_RELEASE, IDC_BEEP_BOTH, IDC_BEEP_GROUP,
                   IDC_BEEP_SOUND_CARD, IDC_BEEP_PC_SPEAKER, IDC_BEEP_FREQUENCY,
                   IDC_BEEP_DURATION},
                  false);
    EXPECT_EQ(BuildSettingsRecord(controls).EnableBeep, 0);
  }
  // Turning the beep on in mode 0 offers Beep On Touch alone.
  ControlTable controls;
  DriverParameters record = Record(0);
  record.EnableBeep = 0;
  Open(controls, record);
  controls.Toggle(IDC_ENABLE_BEEP);
  ApplyBeepRule(controls, 0);
  ExpectEnabled(controls, {IDC_BEEP_ON_TOUCH, IDC_BEEP_GROUP, IDC_BEEP_FREQUENCY}, true);
  ExpectEnabled(controls, {IDC_BEEP_ON_RELEASE, IDC_BEEP_BOTH}, false);
}

TEST(SettingsRules, DoubleClickAndDelayTouchGroupsFollowTheirBoxes) {
  ControlTable controls;
  DriverParameters record = Record(2);
  record.EnableDoubleClick = 0;
  record.EnableDelayTouch = 1;
  Open(controls, record);
  ExpectEnabled(controls, {IDC_DOUBLE_CLICK_TIME, IDC_DOUBLE_CLICK_AREA, IDC_DOUBLE_CLICK_GROUP},
                false);
  ExpectEnabled(controls, {IDC_DELAY_TOUCH_TIME, IDC_DELAY_TOUCH_GROUP}, true);
  controls.Toggle(IDC_ENABLE_DOUBLE_CLICK);
  ApplyDoubleClickRule(controls);
  controls.Toggle(IDC_ENABLE_DELAY_TOUCH);
  ApplyDelayTouchRule(controls);
  ExpectEnabled(controls, {IDC_DOUBLE_CLICK_TIME, IDC_DOUBLE_CLICK_AREA, IDC_DOUBLE_CLICK_GROUP},
                true);
  ExpectEnabled(controls, {IDC_DELAY_TOUCH_TIME, IDC_DELAY_TOUCH_GROUP}, false);
  // In mouse emulation an unchecked right-click box greys its sliders.
  controls.Toggle(IDC_ENABLE_RIGHT_CLICK);
  ApplyRightClickRule(controls);
  ExpectEnabled(controls, {IDC_RIGHT_CLICK_TIME, IDC_RIGHT_CLICK_GROUP}, false);
}

TEST(SettingsRules, ApplyWithoutChangeSendsTheStoredRecordAgain) {
  DriverParameters record;
  record.Mode = 2;
  record.EnableTouch = 1;
  record.EnableRightClick = 1;
  record.RightClickTime = 3000;
  record.RightClickArea = 16;
  record.EnableDelayTouch = 1;
  record.DelayTouchTime = 75;
  record.EnableDragDelay = 0;
  record.DragDelayTime = 400;
  record.HideCursor = 1;
  record.EnableBeep = 1;
  record.BeepType = 1;
  record.BeepMode = 1;
  record.BeepFrequency = 2500;
  record.BeepDuration = 30;
  record.EnableDoubleClick = 1;
  record.DoubleClickTime = 600;
  record.DoubleClickArea = 20;
  ControlTable controls;
  Open(controls, record);
  const DriverParameters applied = BuildSettingsRecord(controls);
  for (int i = 0; i < DriverParameters::kFieldCount; ++i)
    EXPECT_EQ(applied.Get(i), record.Get(i)) << "field " << i;
}

TEST(SettingsRules, SlidersTakeTheDriversRanges) {
  struct Expected { int id, field, min, max, page, tick, line, label; };
  const Expected expected[] = {
      {1034, 16, 200, 1000, 100, 100, 100, 1042}, {1035, 17, 4, 32, 4, 4, 4, 1043},
      {1036, 3, 1000, 8000, 1000, 1000, 1000, 1040}, {1037, 4, 4, 32, 4, 4, 4, 1041},
      {1038, 6, 25, 250, 25, 25, 25, 1044}, {1039, 8, 100, 1000, 100, 100, 100, 1045},
      {1072, 13, 50, 7000, 50, 1000, 100, 1051}, {1073, 14, 10, 100, 10, 10, 10, 1050},
  };
  for (const Expected& e : expected) {
    const SettingsSlider* slider = FindSettingsSlider(e.id);
    ASSERT_NE(slider, nullptr) << e.id;
    EXPECT_EQ(slider->recordIndex, e.field);
    EXPECT_EQ(slider->min, e.min) << e.id;
    EXPECT_EQ(slider->max, e.max) << e.id;
    EXPECT_EQ(slider->pageSize, e.page);
    EXPECT_EQ(slider->tickFrequency, e.tick);
    EXPECT_EQ(slider->lineSize, e.line);
    EXPECT_EQ(slider->valueLabel, e.label);
  }
  EXPECT_EQ(FindSettingsSlider(IDC_APPLY), nullptr);
}

}  // namespace
