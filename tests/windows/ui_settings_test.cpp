// The settings dialog as the user meets it: the real dialog under Wine, our PelnixLib.dll
// beneath it, driven by clicks and keys. Each case is checked through the record the library
// stored and the system values the Apply step wrote.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/test_driver_library.h"
#include "config/core/parameter_table.h"
#include "config/driver_library.h"
#include "config/system_settings.h"
#include "support/process_runner.h"
#include "windows/config_test_registry.h"
#include "ui/res/settings_dialog_ids.h"
#include "ui/settings_dialog.h"
#include "windows/ui_modal_dialog.h"

namespace {

const std::wstring kDriverPath(kDriverParametersPath);

void ClearDriverKey() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kDriverPath.c_str());
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kDriverPath.c_str());
}

void SetDword(const wchar_t* name, std::int32_t value) { config_test::SetDword(kDriverPath, name, value); }

// The record the library stored: every value of the DriverParameters key, by name.
std::map<std::wstring, std::int32_t> Stored() { return config_test::Dwords(kDriverPath); }

constexpr const wchar_t* kMouse = L"Control Panel\\Mouse";
constexpr const wchar_t* kCursors = L"Control Panel\\Cursors";
constexpr const wchar_t* kMouseValues[] = {L"DoubleClickWidth", L"DoubleClickHeight",
                                           L"DoubleClickSpeed"};

std::wstring ReadUserString(const wchar_t* path, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return L"<no key>";
  wchar_t buffer[512] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  const LONG status = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? buffer : L"<missing>";
}

void WriteUserString(const wchar_t* path, const wchar_t* name, const std::wstring& text) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * 2));
  RegCloseKey(key);
}

class SettingsDialogTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    // The program finds the library beside itself; the test takes the one the build made.
    ASSERT_TRUE(TestDriverLibrary().LoadFrom(DistPath(kDriverLibraryName)));
  }
  void SetUp() override {
    ClearDriverKey();
    for (const wchar_t* name : kMouseValues) m_savedMouse.push_back(ReadUserString(kMouse, name));
    // A user's profile has the cursor key; a fresh Wine prefix may not.
    HKEY cursors = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kCursors, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &cursors, nullptr);
    RegCloseKey(cursors);
    WriteUserString(kMouse, L"DoubleClickSpeed", L"500");
  }
  void TearDown() override {
    m_pDialog.reset();
    for (size_t i = 0; i < m_savedMouse.size(); ++i)
      if (m_savedMouse[i][0] != L'<') WriteUserString(kMouse, kMouseValues[i], m_savedMouse[i]);
    RestoreCursors();
    ClearDriverKey();
  }

  // Stores the settings the library will give the dialog, then opens it.
  void Open(const std::map<std::wstring, std::int32_t>& stored) {
    for (const auto& [name, value] : stored) SetDword(name.c_str(), value);
    m_pDialog = std::make_unique<ModalDialogThread>([] {
      CBasicprop dialog(TestDriverLibrary(), nullptr);
      return dialog.DoModal();
    });
    ASSERT_NE(m_pDialog->window(), nullptr) << "the settings dialog did not open";
  }

  std::unique_ptr<ModalDialogThread> m_pDialog;
  std::vector<std::wstring> m_savedMouse;
};

TEST_F(SettingsDialogTest, OpensWithTheLibrarysSettingsAndApplyDisabled) {
  Open({{L"Mode", 2}, {L"EnableDoubleClick", 1}, {L"DoubleClickTime", 700},
        {L"DoubleClickArea", 16}, {L"HideCursor", 1}, {L"EnableTouch", 0}});
  ModalDialogThread& d = *m_pDialog;
  EXPECT_TRUE(d.Checked(IDC_MODE_MOUSE_EMULATION));
  EXPECT_FALSE(d.Checked(IDC_MODE_CLICK_ON_TOUCH));
  EXPECT_TRUE(d.Checked(IDC_HIDE_CURSOR));
  EXPECT_FALSE(d.Checked(IDC_ENABLE_TOUCH));
  EXPECT_EQ(d.SliderPos(IDC_DOUBLE_CLICK_TIME), 700);
  EXPECT_EQ(d.Text(IDC_DOUBLE_CLICK_TIME_VALUE), L"700");
  EXPECT_EQ(d.Text(IDC_DOUBLE_CLICK_AREA_VALUE), L"16");
  EXPECT_FALSE(d.Enabled(IDC_APPLY));
  // Without a language file every caption shows its key; the unit labels stay as they are.
  EXPECT_EQ(d.Text(d.window()), L"77");
  EXPECT_EQ(d.Text(IDC_APPLY), L"40");
  EXPECT_EQ(d.Text(IDC_RIGHT_CLICK_DELAY_LABEL), L"43");
  EXPECT_TRUE(Stored().count(L"Mode")) << "opening wrote nothing but the test's values";
  EXPECT_EQ(Stored().size(), 6u);
}

TEST_F(SettingsDialogTest, ClickOnTouchGreysRightClickAndDragDelay) {
  Open({{L"Mode", 0}, {L"EnableRightClick", 1}, {L"EnableDragDelay", 1}, {L"EnableBeep", 1},
        {L"BeepMode", 2}});
  ModalDialogThread& d = *m_pDialog;
  EXPECT_TRUE(d.Checked(IDC_MODE_CLICK_ON_TOUCH));
  for (int id : {IDC_ENABLE_RIGHT_CLICK, IDC_RIGHT_CLICK_TIME, IDC_RIGHT_CLICK_AREA,
                 IDC_RIGHT_CLICK_GROUP, IDC_ENABLE_DRAG_DELAY, IDC_DRAG_DELAY_TIME,
                 IDC_DRAG_DELAY_GROUP, IDC_BEEP_ON_RELEASE, IDC_BEEP_BOTH})
    EXPECT_FALSE(d.Enabled(id)) << id;
  EXPECT_TRUE(d.Checked(IDC_ENABLE_RIGHT_CLICK));
  EXPECT_TRUE(d.Enabled(IDC_BEEP_ON_TOUCH));
  EXPECT_TRUE(d.Checked(IDC_BEEP_ON_TOUCH));
  EXPECT_FALSE(d.Checked(IDC_BEEP_BOTH));

  // OK applies what the controls show: right click and drag delay are not in force.
  d.Click(IDOK);
  ASSERT_TRUE(d.WaitForEnd());
  EXPECT_EQ(d.result(), IDOK);
  const auto stored = Stored();
  EXPECT_EQ(stored.size(), 18u);
  EXPECT_EQ(stored.at(L"Mode"), 0);
  EXPECT_EQ(stored.at(L"EnableRightClick"), 0);
  EXPECT_EQ(stored.at(L"EnableDragDelay"), 0);
  EXPECT_EQ(stored.at(L"BeepMode"), 0);
}

TEST_F(SettingsDialogTest, MouseEmulationToClickOnReleaseStoresNoRightClickAndKeepsTheBox) {
  Open({{L"Mode", 2}, {L"EnableRightClick", 1}, {L"RightClickTime", 3000}});
  ModalDialogThread& d = *m_pDialog;
  EXPECT_TRUE(d.Enabled(IDC_RIGHT_CLICK_TIME));
  d.Click(IDC_MODE_CLICK_ON_RELEASE);
  EXPECT_TRUE(d.Checked(IDC_MODE_CLICK_ON_RELEASE));
  EXPECT_FALSE(d.Checked(IDC_MODE_MOUSE_EMULATION));
  EXPECT_FALSE(d.Enabled(IDC_ENABLE_RIGHT_CLICK));
  EXPECT_TRUE(d.Enabled(IDC_APPLY));

  d.Click(IDC_APPLY);
  auto stored = Stored();
  EXPECT_EQ(stored.at(L"Mode"), 1);
  EXPECT_EQ(stored.at(L"EnableRightClick"), 0);
  EXPECT_EQ(stored.at(L"RightClickTime"), 3000);  // greyed sliders are sent too
  EXPECT_TRUE(d.IsOpen());
  EXPECT_FALSE(d.Enabled(IDC_APPLY));
  EXPECT_EQ(d.Focus(), d.Item(IDOK));

  d.Click(IDC_MODE_MOUSE_EMULATION);
  EXPECT_TRUE(d.Enabled(IDC_ENABLE_RIGHT_CLICK));
  EXPECT_TRUE(d.Checked(IDC_ENABLE_RIGHT_CLICK));
  EXPECT_TRUE(d.Enabled(IDC_RIGHT_CLICK_TIME));
  d.Click(IDC_APPLY);
  stored = Stored();
  EXPECT_EQ(stored.at(L"Mode"), 2);
  EXPECT_EQ(stored.at(L"EnableRightClick"), 1);
}

TEST_F(SettingsDialogTest, SoundCardGreysTheBeepSlidersButSendsTheirPositions) {
  Open({{L"Mode", 2}, {L"EnableBeep", 1}, {L"BeepType", 0}, {L"BeepFrequency", 3000},
        {L"BeepDuration", 40}});
  ModalDialogThread& d = *m_pDialog;
  EXPECT_TRUE(d.Checked(IDC_BEEP_PC_SPEAKER));
  EXPECT_TRUE(d.Enabled(IDC_BEEP_FREQUENCY));
  d.Click(IDC_BEEP_SOUND_CARD);
  EXPECT_TRUE(d.Checked(IDC_BEEP_SOUND_CARD));
  EXPECT_FALSE(d.Checked(IDC_BEEP_PC_SPEAKER));
  EXPECT_FALSE(d.Enabled(IDC_BEEP_FREQUENCY));
  EXPECT_FALSE(d.Enabled(IDC_BEEP_DURATION));
  EXPECT_TRUE(d.Enabled(IDC_APPLY));
  d.Click(IDOK);
  ASSERT_TRUE(d.WaitForEnd());
  const auto stored = Stored();
  EXPECT_EQ(stored.at(L"BeepType"), 1);
  EXPECT_EQ(stored.at(L"BeepFrequency"), 3000);
  EXPECT_EQ(stored.at(L"BeepDuration"), 40);
  EXPECT_EQ(stored.at(L"EnableBeep"), 1);
}

TEST_F(SettingsDialogTest, AStoredFrequencyBelowTheRangeOpensAtFifty) {
  Open({{L"BeepFrequency", 20}, {L"BeepDuration", 500}});
  ModalDialogThread& d = *m_pDialog;
  EXPECT_EQ(d.SliderPos(IDC_BEEP_FREQUENCY), 50);
  EXPECT_EQ(d.Text(IDC_BEEP_FREQUENCY_VALUE), L"50");
  EXPECT_EQ(d.SliderPos(IDC_BEEP_DURATION), 100);
  EXPECT_EQ(d.Text(IDC_BEEP_DURATION_VALUE), L"100");
  // Apply without a change (after a click that enabled it) sends what the sliders show.
  d.Click(IDC_ENABLE_TOUCH);
  d.Click(IDC_ENABLE_TOUCH);
  ASSERT_TRUE(d.Enabled(IDC_APPLY));
  d.Click(IDC_APPLY);
  EXPECT_EQ(Stored().at(L"BeepFrequency"), 50);
  EXPECT_EQ(Stored().at(L"BeepDuration"), 100);
}

TEST_F(SettingsDialogTest, AnUnknownModeOpensAsMouseEmulation) {
  Open({{L"Mode", 7}, {L"EnableRightClick", 1}});
  ModalDialogThread& d = *m_pDialog;
  EXPECT_TRUE(d.Checked(IDC_MODE_MOUSE_EMULATION));
  EXPECT_FALSE(d.Checked(IDC_MODE_CLICK_ON_TOUCH));
  EXPECT_FALSE(d.Checked(IDC_MODE_CLICK_ON_RELEASE));
  EXPECT_TRUE(d.Enabled(IDC_ENABLE_RIGHT_CLICK));
  d.Click(IDC_HIDE_CURSOR);
  d.Click(IDC_APPLY);
  EXPECT_EQ(Stored().at(L"Mode"), 2);
  EXPECT_EQ(Stored().at(L"EnableRightClick"), 1);
}

TEST_F(SettingsDialogTest, EnterTogglesTheFocusedCheckBoxAndLeavesTheDialogOpen) {
  Open({{L"Mode", 2}, {L"EnableTouch", 1}});
  ModalDialogThread& d = *m_pDialog;
  d.SetFocus(IDC_ENABLE_TOUCH);
  ASSERT_EQ(d.Focus(), d.Item(IDC_ENABLE_TOUCH));
  d.PressKey(VK_RETURN);
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return !d.Checked(IDC_ENABLE_TOUCH); }));
  d.Sync();
  EXPECT_TRUE(d.IsOpen());
  EXPECT_TRUE(d.Enabled(IDC_APPLY));
  d.PressKey(VK_RETURN);
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return d.Checked(IDC_ENABLE_TOUCH); }));
  // Enter on the Apply button presses it: the settings go out and the dialog stays.
  d.SetFocus(IDC_APPLY);
  d.PressKey(VK_RETURN);
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return Stored().size() == 18u; }));
  d.Sync();
  EXPECT_TRUE(d.IsOpen());
  EXPECT_EQ(Stored().at(L"EnableTouch"), 1);
}

TEST_F(SettingsDialogTest, AMovedSliderShowsItsPositionAndIsApplied) {
  Open({{L"Mode", 2}, {L"EnableDelayTouch", 1}, {L"DelayTouchTime", 50}});
  ModalDialogThread& d = *m_pDialog;
  d.SetFocus(IDC_DELAY_TOUCH_TIME);
  d.PressKey(VK_RIGHT);  // one line: 25 ms
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return d.Text(IDC_DELAY_TOUCH_TIME_VALUE) == L"75"; }));
  EXPECT_EQ(d.SliderPos(IDC_DELAY_TOUCH_TIME), 75);
  EXPECT_TRUE(d.Enabled(IDC_APPLY));
  d.Click(IDC_APPLY);
  EXPECT_EQ(Stored().at(L"DelayTouchTime"), 75);
}

TEST_F(SettingsDialogTest, ApplyWritesTheDoubleClickAndCursorSettingsOfTheSystem) {
  Open({{L"Mode", 2}, {L"EnableDoubleClick", 1}, {L"DoubleClickTime", 600},
        {L"DoubleClickArea", 20}, {L"HideCursor", 0}});
  ModalDialogThread& d = *m_pDialog;
  d.Click(IDC_HIDE_CURSOR);
  d.Click(IDC_APPLY);
  EXPECT_EQ(ReadUserString(kMouse, L"DoubleClickSpeed"), L"600");
  EXPECT_EQ(ReadUserString(kMouse, L"DoubleClickWidth"), L"20");
  EXPECT_EQ(ReadUserString(kMouse, L"DoubleClickHeight"), L"20");
  EXPECT_EQ(GetDoubleClickTime(), 600u);
  EXPECT_EQ(ReadUserString(kCursors, L"Arrow"), L"%SYSTEMROOT%\\Cursors\\null.cur");
  EXPECT_EQ(ReadUserString(kCursors, L"No"), L"%SYSTEMROOT%\\Cursors\\null.cur");
  EXPECT_EQ(Stored().at(L"HideCursor"), 1);

  // Double click off: the running system gets 0, the user's stored values stay.
  d.Click(IDC_ENABLE_DOUBLE_CLICK);
  EXPECT_FALSE(d.Enabled(IDC_DOUBLE_CLICK_TIME));
  d.Click(IDC_HIDE_CURSOR);
  d.Click(IDC_APPLY);
  EXPECT_EQ(Stored().at(L"EnableDoubleClick"), 0);
  EXPECT_EQ(Stored().at(L"DoubleClickTime"), 600);
  EXPECT_EQ(ReadUserString(kMouse, L"DoubleClickSpeed"), L"600");
  EXPECT_EQ(ReadUserString(kCursors, L"Arrow"), L"");
}

TEST_F(SettingsDialogTest, CancelAppliesNothing) {
  Open({{L"Mode", 2}});
  ModalDialogThread& d = *m_pDialog;
  d.Click(IDC_MODE_CLICK_ON_TOUCH);
  d.Click(IDCANCEL);
  ASSERT_TRUE(d.WaitForEnd());
  EXPECT_EQ(d.result(), IDCANCEL);
  EXPECT_EQ(Stored().size(), 1u);
  EXPECT_EQ(Stored().at(L"Mode"), 2);
}

}  // namespace
