// The diagnostics dialog, a real modal dialog from template 134, run against simulated touch
// screens through the real device thread: the report of a frame with known bad LEDs, a run
// whose streams do not decode, removals before and during a run, and exporting twice through
// the real save dialog, answered here.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/core/english_texts.h"
#include "base/core/user_messages.h"
#include "diagnostics/diagnosis_dialog.h"
#include "diagnostics/res/diagnosis_dialog_ids.h"
#include "simulator/simulated_touch_screen.h"
#include "support/test_devices.h"
#include "support/process_runner.h"
#include "windows/ui_modal_dialog.h"

namespace {

// Slots of the touch screens of this test, in the order they are plugged in.
enum Slot { kBadLeds = 0, kNoHeader = 1, kRemovedDuringRun = 2, kRemovedBeforeRun = 3 };

std::vector<std::shared_ptr<SimulatedTouchScreen>>& Screens() {
  static std::vector<std::shared_ptr<SimulatedTouchScreen>> screens;
  return screens;
}

class DiagnosticsDialog : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    sim::TouchScreenConfig bad;
    bad.leds.badLeds = {3, 45};  // x LED 4 and y LED 45 of a 40 x 30 frame
    sim::TouchScreenConfig noHeader;
    noHeader.leds.zvStream = sim::Bytes{'Z', 'x', 3, 2, 0x21, 1, 50, 0, 9, 9, 9};
    sim::TouchScreenConfig removedDuringRun;
    removedDuringRun.removeAfterOutputReports = 3;  // "o", the echo, then "Zv" goes unanswered
    for (const auto& config : {bad, noHeader, removedDuringRun, sim::TouchScreenConfig{}}) {
      Screens().push_back(SimulatedHid().Add(config));
    }
    ASSERT_EQ(TestDevices().list().count(), 4u);
    TouchScreenDevice& device = *TestDevices().list().device(kBadLeds);
    device.TouchScreenNo = 1;
    device.HwVersion[0] = 648;
    device.HwVersion[1] = 15;
    device.HwVersion[2] = 324;
    device.SerialNo0 = 18;
    device.SerialNo1 = 52;
    device.SerialNo2 = 123456;
    ASSERT_TRUE(TestDevices().StartDeviceThread());
  }

  static std::unique_ptr<ModalDialogThread> Open(int slot) {
    auto dialog = std::make_unique<ModalDialogThread>([slot] {
      CDiagnosis diagnosis(TestDevices());
      diagnosis.SetDeviceIndex(slot);
      return diagnosis.DoModal();
    });
    EXPECT_NE(dialog->window(), nullptr) << "the diagnostics dialog did not open";
    return dialog;
  }

  static std::vector<std::wstring> Lines(const ModalDialogThread& d) {
    HWND list = d.Item(IDC_DIAGNOSIS_LIST);
    std::vector<std::wstring> lines;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t text[256] = {};
      SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      lines.push_back(text);
    }
    return lines;
  }

  // A dialog box of the dialog's thread other than the diagnostics dialog (a message box, the
  // save dialog or its prompt), waited for.
  static HWND WaitForOtherDialog(const ModalDialogThread& d, HWND except = nullptr) {
    struct Search { HWND dialog, except, found; } search{d.window(), except, nullptr};
    ModalDialogThread::WaitUntil([&] {
      EnumThreadWindows(GetWindowThreadProcessId(d.window(), nullptr), [](HWND w, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        wchar_t name[16] = {};
        GetClassNameW(w, name, 16);
        if (w == s->dialog || w == s->except || std::wstring(name) != L"#32770" || !IsWindowVisible(w)) return TRUE;
        s->found = w;
        return FALSE;
      }, reinterpret_cast<LPARAM>(&search));
      return search.found != nullptr;
    });
    return search.found;
  }

  // The text of a message box, which is then answered with `button`.
  static std::wstring AnswerMessageBox(HWND box, int button = IDOK) {
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    PostMessageW(box, WM_COMMAND, button, 0);
    return text;
  }

  // Presses Diagnostics and waits until the run has ended: the last "Zg" went out and its
  // end released the held reply.
  static bool Run(const ModalDialogThread& d, SimulatedTouchScreen& screen) {
    screen.ClearRecords();
    d.Click(IDC_DIAGNOSIS_START);
    return ModalDialogThread::WaitUntil([&] {
      return screen.OutputReports().size() >= 5 && !TestDevices().client().HasHeldReply();
    }, 10000);
  }
};

TEST_F(DiagnosticsDialog, OpensWithItsTextsAndExportDisabled) {
  auto dialog = Open(kBadLeds);
  ModalDialogThread& d = *dialog;
  EXPECT_EQ(d.Text(d.window()), L"No.1 58");
  EXPECT_EQ(d.Text(IDC_DIAGNOSIS_START), L"5");
  EXPECT_EQ(d.Text(IDOK), L"59");
  EXPECT_EQ(d.Text(IDC_DIAGNOSIS_EXPORT), L"60");
  EXPECT_EQ(d.Text(IDC_DIAGNOSIS_GROUP), L"58");
  EXPECT_TRUE(d.Enabled(IDC_DIAGNOSIS_START));
  EXPECT_FALSE(d.Enabled(IDC_DIAGNOSIS_EXPORT));
  // Enter on the focused Close button presses it.
  d.SetFocus(IDOK);
  d.PressKey(VK_RETURN);
  ASSERT_TRUE(d.WaitForEnd());
  EXPECT_EQ(d.result(), IDOK);
}

// The touch screen answers each echo at once, or after the command's 80 ms: the run's report is
// the same.
TEST_F(DiagnosticsDialog, ARunShowsTheReportOfTheBadLeds) {
  for (const std::uint32_t echoDelayMs : {0u, 150u}) {
    SCOPED_TRACE(echoDelayMs);
    Screens()[kBadLeds]->Configure([&](sim::TouchScreenConfig& c) { c.echoDelayMs = echoDelayMs; });
    auto dialog = Open(kBadLeds);
    ModalDialogThread& d = *dialog;
    SimulatedTouchScreen& screen = *Screens()[kBadLeds];
    ASSERT_TRUE(Run(d, screen));
    // "o", then each LED request behind its echoed held reply.
    const auto sent = screen.OutputReports();
    ASSERT_EQ(sent.size(), 5u);
    sim::Bytes echo = screen.OpenReply();
    echo[0] = 0x31;
    EXPECT_EQ((sim::Bytes{sent[0].begin(), sent[0].begin() + 3}), (sim::Bytes{0x31, 'o', 0}));
    EXPECT_EQ(sent[1], echo);
    EXPECT_EQ((sim::Bytes{sent[2].begin(), sent[2].begin() + 3}), (sim::Bytes{0x31, 'Z', 'v'}));
    EXPECT_EQ(sent[3], echo);
    EXPECT_EQ((sim::Bytes{sent[4].begin(), sent[4].begin() + 3}), (sim::Bytes{0x31, 'Z', 'g'}));

    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return Lines(d).size() == 12u + 70u; }));
    const auto lines = Lines(d);
    const std::wstring dashes(74, L'-');
    const std::vector<std::pair<std::size_t, std::wstring>> expected = {
        {0, L"TouchScreen No:1"},
        {1, L"Hardware Version:648.15.324"},
        {2, L"Product Serial Number:1852123456"},
        {3, L"Total leds:70 "},
        {5, L"       x-coordinate total leds:40  bad leds:1 "},
        {6, L"       y-coordinate total leds:30  bad leds:1 "},
        {10, L"    x-coordinate:"},
        {11, L"      001" + dashes + L"[   OK   ]"},
        {14, L"      004" + dashes + L"[   Bad  ]"},
        {51, L"    y-coordinate:"},
        {52, L"      041" + dashes + L"[   OK   ]"},
        {56, L"      045" + dashes + L"[   Bad  ]"},
        {81, L"      070" + dashes + L"[   OK   ]"},
    };
    for (const auto& [index, text] : expected) EXPECT_EQ(lines[index], text) << "line " << index + 1;
    int bad = 0;
    for (const auto& line : lines) bad += line.find(L"Bad") != std::wstring::npos;
    EXPECT_EQ(bad, 2);
    EXPECT_TRUE(d.Enabled(IDC_DIAGNOSIS_START));
    EXPECT_TRUE(d.Enabled(IDC_DIAGNOSIS_EXPORT));
    d.Click(IDOK);
    ASSERT_TRUE(d.WaitForEnd());
  }
  Screens()[kBadLeds]->Configure([](sim::TouchScreenConfig& c) { c.echoDelayMs = 0; });
}

TEST_F(DiagnosticsDialog, StreamsThatDoNotDecodeLeaveTheWaitLine) {
  auto dialog = Open(kNoHeader);
  ModalDialogThread& d = *dialog;
  ASSERT_TRUE(Run(d, *Screens()[kNoHeader]));
  Sleep(100);
  d.Sync();
  EXPECT_EQ(Lines(d), std::vector<std::wstring>{L"61"});
  EXPECT_FALSE(d.Enabled(IDC_DIAGNOSIS_START));
  EXPECT_FALSE(d.Enabled(IDC_DIAGNOSIS_EXPORT));
}

TEST_F(DiagnosticsDialog, ExportingTwiceAppendsTheSecondReport) {
  TempFolder folder;
  const std::wstring path = folder.File(L"Diagnostics_1.txt");
  auto dialog = Open(kBadLeds);
  ModalDialogThread& d = *dialog;
  ASSERT_TRUE(Run(d, *Screens()[kBadLeds]));
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return d.Enabled(IDC_DIAGNOSIS_EXPORT); }));
  std::string expected;
  for (const auto& line : Lines(d)) expected += std::string(line.begin(), line.end()) + "\r\n";

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    PostMessageW(d.window(), WM_COMMAND, MAKEWPARAM(IDC_DIAGNOSIS_EXPORT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(d.Item(IDC_DIAGNOSIS_EXPORT)));
    HWND save = WaitForOtherDialog(d);
    ASSERT_NE(save, nullptr) << "no save dialog";
    wchar_t offered[MAX_PATH] = {};
    GetDlgItemTextW(save, cmb13, offered, MAX_PATH);
    if (!*offered) GetDlgItemTextW(save, edt1, offered, MAX_PATH);
    EXPECT_EQ(std::wstring(offered), L"Diagnostics_1.txt");
    SetDlgItemTextW(save, cmb13, path.c_str());
    SetDlgItemTextW(save, edt1, path.c_str());
    PostMessageW(save, WM_COMMAND, IDOK, 0);
    if (round == 1) {
      // The file exists: the dialog asks before it is chosen again.
      HWND prompt = WaitForOtherDialog(d, save);
      ASSERT_NE(prompt, nullptr) << "no overwrite prompt";
      AnswerMessageBox(prompt, IDYES);
    }
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return !IsWindow(save); }));
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] {
      return ReadFileBytes(path).size() == expected.size() * (round + 1);
    }));
  }
  EXPECT_EQ(ReadFileBytes(path), expected + expected);
}

TEST_F(DiagnosticsDialog, TheSameDialogRunsAgainAndClosingMidRunReleasesTheHeldReply) {
  // As the main window keeps it: one object, opened several times.
  CDiagnosis diagnosis(TestDevices());
  diagnosis.SetDeviceIndex(kBadLeds);
  SimulatedTouchScreen& screen = *Screens()[kBadLeds];
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ModalDialogThread d([&] { return diagnosis.DoModal(); });
    ASSERT_NE(d.window(), nullptr);
    EXPECT_FALSE(d.Enabled(IDC_DIAGNOSIS_EXPORT));
    ASSERT_TRUE(Run(d, screen));
    EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return Lines(d).size() == 12u + 70u; }));
    d.Click(IDOK);
    ASSERT_TRUE(d.WaitForEnd());
  }
  // Closed while "Zv" is answered: the run ends there and lets its held reply go.
  screen.Configure([](sim::TouchScreenConfig& c) { c.replyDelayMs = 300; });
  {
    ModalDialogThread d([&] { return diagnosis.DoModal(); });
    screen.ClearRecords();
    d.Click(IDC_DIAGNOSIS_START);
    ASSERT_TRUE(screen.WaitForOutputReports(3, 5000));  // "o", the echo, "Zv"
    EXPECT_TRUE(TestDevices().client().HasHeldReply());
    d.Click(IDOK);
    ASSERT_TRUE(d.WaitForEnd());
  }
  EXPECT_FALSE(TestDevices().client().HasHeldReply());
  screen.Configure([](sim::TouchScreenConfig& c) { c.replyDelayMs = 0; });
  Sleep(400);  // the late replies reach a window that is gone
}

// A touch screen removed during a run, and then the one that moved into its slot before a run:
// in this order, as one test, since the second needs the first's removal.
TEST_F(DiagnosticsDialog, ATouchScreenRemovedDuringARunEndsItThenOneGoneBeforeARunIsReported) {
  {
    auto dialog = Open(kRemovedDuringRun);
    ModalDialogThread& d = *dialog;
    SimulatedTouchScreen& screen = *Screens()[kRemovedDuringRun];
    d.Click(IDC_DIAGNOSIS_START);
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return !screen.present(); }));
    EXPECT_TRUE(TestDevices().client().HasHeldReply());  // "Zv" went out behind it
    // What the main window does: the slot is emptied, then every window is told.
    TestDevices().list().RemoveAt(kRemovedDuringRun);
    PostMessageW(d.window(), UM_DEVICE_REMOVED, 0, kRemovedBeforeRun);  // another one: ignored
    PostMessageW(d.window(), UM_DEVICE_REMOVED, 0, kRemovedDuringRun);
    HWND box = WaitForOtherDialog(d);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(AnswerMessageBox(box), english::kDeviceRemoved);
    EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return !IsWindow(box); }));
    d.Sync();
    EXPECT_FALSE(d.Enabled(IDC_DIAGNOSIS_START));
    EXPECT_FALSE(TestDevices().client().HasHeldReply());
    EXPECT_EQ(Lines(d), std::vector<std::wstring>{L"61"});
    EXPECT_EQ(d.Text(d.window()), L"No.-1 58");
  }
  if (HasFatalFailure()) return;
  {
    // The last touch screen moved down into the slot emptied above; now it goes too.
    ASSERT_EQ(TestDevices().list().count(), 3u);
    TestDevices().list().RemoveAt(kRemovedDuringRun);
    auto dialog = Open(kRemovedDuringRun);
    ModalDialogThread& d = *dialog;
    PostMessageW(d.window(), WM_COMMAND, MAKEWPARAM(IDC_DIAGNOSIS_START, BN_CLICKED),
                 reinterpret_cast<LPARAM>(d.Item(IDC_DIAGNOSIS_START)));
    HWND box = WaitForOtherDialog(d);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(AnswerMessageBox(box), english::kReselectTouchScreen);
    EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return !IsWindow(box); }));
    d.Sync();
    EXPECT_FALSE(d.Enabled(IDC_DIAGNOSIS_START));
    EXPECT_TRUE(Lines(d).empty());
  }
}

TEST_F(DiagnosticsDialog, FollowsItsTouchScreenDownWhenAnEarlierOneIsRemoved) {
  // The touch screen in slot 1 moves down to slot 0 when slot 0 is removed; its dialog goes
  // with it, so the next removal of slot 0 is its own.
  auto dialog = Open(kNoHeader);
  ModalDialogThread& d = *dialog;
  PostMessageW(d.window(), UM_DEVICE_REMOVED, 0, kBadLeds);
  d.Sync();
  Sleep(50);
  d.Sync();
  // It is now the dialog of slot 0: removing slot 0 concerns it.
  PostMessageW(d.window(), UM_DEVICE_REMOVED, 0, kBadLeds);
  HWND box = WaitForOtherDialog(d);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(AnswerMessageBox(box), english::kDeviceRemoved);
}

}  // namespace
