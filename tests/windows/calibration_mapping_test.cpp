// The mapping window opened from the real main window, against two simulated touch screens, a
// monitor layout given through the seam and our PelnixLib.dll: touches injected through the
// simulator, the 30 s timer driven by messages, the save of the numbers into the touch screens.
#include "support/test_driver_library.h"
#include "windows/ui_main_window_harness.h"

#include <algorithm>
#include <chrono>

#include "base/timer_resolution.h"
#include "simulator/simulated_monitors.h"

using namespace main_window_test;

namespace {

constexpr UINT kMappingTimer = 9;

std::vector<std::shared_ptr<SimulatedTouchScreen>>& Screens() {
  // A (slot 0) and B (slot 1); their records say monitor 1 and 0 and calibrated.
  static auto screens = Prepare({{0, 1, 1}, {1, 0, 1}});
  return screens;
}

DeviceParameters Record(int touchScreenNo) {
  DeviceParameters record{};
  record.TouchScreenNo = touchScreenNo;
  TestDriverLibrary().GetDeviceParameters(record);
  return record;
}

void SetRecord(int touchScreenNo, int monitor) {
  DeviceParameters record = Record(touchScreenNo);
  record.MonitorID = monitor;
  TestDriverLibrary().SetDeviceParameters(0x1000u + touchScreenNo, record);
}

void SetEnableTouch(int enabled) {
  DriverParameters parameters{};
  TestDriverLibrary().GetDriverParameters(parameters);
  parameters.EnableTouch = enabled;
  TestDriverLibrary().SetDriverParameters(parameters);
}

void SetMonitors(int count, int width = 800, int height = 600) {
  std::vector<RECT> layout;
  for (int i = 0; i < count; ++i) layout.push_back(RECT{i * width, 0, (i + 1) * width, height});
  SimulatedMonitors().SetLayout(layout);
}

// The "V1" numbers a touch screen received, in order.
std::vector<int> NumbersWritten(const SimulatedTouchScreen& screen) {
  std::vector<int> numbers;
  for (const sim::Bytes& report : screen.OutputReports())
    if (report.size() > 3 && report[0] == 0x31 && report[1] == 'V' && report[2] == '1') numbers.push_back(report[3]);
  return numbers;
}

HWND FindThreadWindow(DWORD thread, const std::function<bool(HWND)>& match) {
  struct Search {
    const std::function<bool(HWND)>* match;
    HWND found = nullptr;
  } search{&match};
  ::EnumThreadWindows(thread, [](HWND window, LPARAM data) -> BOOL {
    auto& s = *reinterpret_cast<Search*>(data);
    if (!(*s.match)(window)) return TRUE;
    s.found = window;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A main window run with the mapping window opened from its Mapping button.
class Mapping {
public:
  Mapping() {
    EXPECT_TRUE(m_run.WaitForListReady());
    // The list is ready before the last number the start-up query asked for has come: a
    // mapping opened sooner would switch the touch stream on, and the stream lets no reply but
    // a lift-off through, so that touch screen's row would stay empty and go unsaved. A user
    // sees every number in the list first; so does the test.
    for (int slot = 0; slot < 2; ++slot)
      EXPECT_TRUE(m_run.WaitForItemText(slot, ItemTextFor(slot, Record(slot).MonitorID))) << slot;
    m_nThreadId = ::GetWindowThreadProcessId(m_run.dialog().window(), nullptr);
    for (auto& screen : Screens()) screen->ClearRecords();
  }

  MainWindowRun& run() { return m_run; }

  HWND Open() {
    m_run.dialog().Click(IDC_MAPPING);
    m_hWindow = FindThreadWindow(m_nThreadId, [](HWND w) {
      return ::IsWindowVisible(w) && (::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    });
    // Every touch screen streams once the window is up.
    EXPECT_TRUE(ModalDialogThread::WaitUntil([] {
      return std::all_of(Screens().begin(), Screens().end(), [](auto& s) { return s->streamOn(); });
    }));
    return m_hWindow;
  }
  HWND window() const { return m_hWindow; }
  bool IsOpen() const { return m_hWindow && ::IsWindow(m_hWindow); }

  RECT Where() const {
    RECT rect{};
    ::GetWindowRect(m_hWindow, &rect);
    return rect;
  }
  bool At(const RECT& expected) const {
    const RECT rect = Where();
    return ::EqualRect(&expected, &rect) != FALSE;
  }
  // A touch of the touch screen in slot `slot`; waits until the window moved on or ended (the
  // limit only ends a hang: every caller expects the window to move or end).
  void Touch(int slot) {
    const RECT before = Where();
    ASSERT_TRUE(Screens()[slot]->InjectTouch(2000, 2000));
    ModalDialogThread::WaitUntil([&] { return !IsOpen() || !At(before); }, 30000);
    m_run.dialog().Sync();
  }
  void Timeout() { ::SendMessageW(m_hWindow, WM_TIMER, kMappingTimer, 0); }
  void Escape() {
    ::PostMessageW(m_hWindow, WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return !IsOpen(); }));
  }
  // The mapping has ended and its save has run: the main window is enabled, the touch screens
  // that were saved got their "V1".
  bool WaitForEnd(DWORD timeoutMs = 30000) {
    return ModalDialogThread::WaitUntil([&] { return !IsOpen() && ::IsWindowEnabled(m_run.dialog().window()); }, timeoutMs);
  }
  HWND FindMessageBox(const wchar_t* text) const {
    return FindThreadWindow(m_nThreadId, [text](HWND w) {
      return ::IsWindowVisible(w) && ::FindWindowExW(w, nullptr, L"Static", text) != nullptr;
    });
  }

private:
  MainWindowRun m_run;
  DWORD m_nThreadId = 0;
  HWND m_hWindow = nullptr;
};

class MappingTest : public ::testing::Test {
protected:
  void SetUp() override {
    Screens();
    SetEnableTouch(1);
    SetRecord(0, 1);
    SetRecord(1, 0);
    for (auto& screen : Screens()) screen->Configure([](sim::TouchScreenConfig& c) { c.silent = false; });
  }
  void TearDown() override { SimulatedMonitors().SetLayout({}); }
};

TEST_F(MappingTest, OneMonitorATouchOnAnyTouchScreenMapsEveryOneAndEnds) {
  SetMonitors(1);
  Mapping mapping;
  HWND window = mapping.Open();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(::IsWindowEnabled(mapping.run().dialog().window()));
  const RECT expected{0, 0, 800, 600};
  EXPECT_TRUE(mapping.At(expected));

  // The window holds a 1 ms timer resolution (the start-up query has given its own back).
  EXPECT_TRUE(ModalDialogThread::WaitUntil([] { return FineTimerRaisesHeld() == 1; }));

  mapping.Touch(1);
  ASSERT_TRUE(mapping.WaitForEnd());
  for (int number : {0, 1}) {
    EXPECT_EQ(Record(number).MonitorID, 0) << number;
    EXPECT_EQ(Record(number).IsCalibrate, 1) << number;
  }
  EXPECT_TRUE(ModalDialogThread::WaitUntil([] { return !Screens()[0]->streamOn(); }));
  // Saved: each touch screen holds its number, the list shows the new monitors.
  EXPECT_TRUE(ModalDialogThread::WaitUntil([] { return !NumbersWritten(*Screens()[0]).empty(); }));
  EXPECT_TRUE(ModalDialogThread::WaitUntil([] { return !NumbersWritten(*Screens()[1]).empty(); }));
  EXPECT_EQ(NumbersWritten(*Screens()[0]), std::vector<int>{0});
  EXPECT_EQ(NumbersWritten(*Screens()[1]), std::vector<int>{1});
  EXPECT_TRUE(mapping.run().WaitForItemText(0, ItemTextFor(0, 0)));
  EXPECT_TRUE(mapping.run().WaitForItemText(1, ItemTextFor(1, 0)));
  // The window's raise and the save's are given back.
  EXPECT_TRUE(ModalDialogThread::WaitUntil([] { return FineTimerRaisesHeld() == 0; }));
}

TEST_F(MappingTest, TwoMonitorsEachTouchMapsItsTouchScreenAndTheLastTouchWins) {
  struct Case {
    const char* name;
    int firstTouch, secondTouch;    // slots touched on monitor 1, then monitor 2
    int monitorOfA, monitorOfB;     // 0-based, as stored
  };
  const Case cases[] = {
      {"B on monitor 1, A on monitor 2", 1, 0, 1, 0},
      {"A on both", 0, 0, 1, 0},  // B keeps the monitor its record had
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetRecord(0, 0);
    SetRecord(1, 0);
    SetMonitors(2);
    Mapping mapping;
    mapping.Open();
    mapping.Touch(c.firstTouch);
    const RECT second{800, 0, 1600, 600};
    EXPECT_TRUE(mapping.At(second));
    mapping.Touch(c.secondTouch);
    ASSERT_TRUE(mapping.WaitForEnd());
    EXPECT_EQ(Record(0).MonitorID, c.monitorOfA);
    EXPECT_EQ(Record(1).MonitorID, c.monitorOfB);
    EXPECT_TRUE(ModalDialogThread::WaitUntil([] { return NumbersWritten(*Screens()[1]) == std::vector<int>{1}; }));
    EXPECT_EQ(NumbersWritten(*Screens()[0]), std::vector<int>{0});
    EXPECT_EQ(Screens()[0]->number(), 0);
    EXPECT_EQ(Screens()[1]->number(), 1);
    EXPECT_TRUE(mapping.run().WaitForItemText(0, ItemTextFor(0, c.monitorOfA)));
    EXPECT_TRUE(mapping.run().WaitForItemText(1, ItemTextFor(1, c.monitorOfB)));
  }
}

// The top band of the window (the number, above the target) as pixels.
std::vector<COLORREF> NumberBand(HWND window) {
  const int width = 800, height = 250;
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  RECT all{0, 0, width, height};
  HBRUSH white = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  ::FillRect(dc, &all, white);
  ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  const auto* pixels = static_cast<const COLORREF*>(bits);
  std::vector<COLORREF> band(pixels, pixels + width * height);
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  return band;
}

TEST_F(MappingTest, UntouchedMonitorsAreSkippedAndTheTenthShowsOnlyTheDigitOne) {
  SetMonitors(10);
  Mapping mapping;
  mapping.Open();
  const auto first = NumberBand(mapping.window());
  ASSERT_GT(std::count(first.begin(), first.end(), COLORREF{0}), 100) << "the number is drawn in black";
  mapping.Timeout();
  const auto second = NumberBand(mapping.window());
  for (int skipped = 2; skipped < 10; ++skipped) mapping.Timeout();
  const RECT tenth{9 * 800, 0, 10 * 800, 600};
  EXPECT_TRUE(mapping.At(tenth));
  const auto last = NumberBand(mapping.window());
  EXPECT_NE(second, first);
  EXPECT_EQ(last, first) << "the tenth monitor shows \"1\", as the first does";

  // Nobody touched: the mapping ends with the records as they were.
  mapping.Timeout();
  ASSERT_TRUE(mapping.WaitForEnd());
  EXPECT_EQ(Record(0).MonitorID, 1);
  EXPECT_EQ(Record(1).MonitorID, 0);
}

TEST_F(MappingTest, EnterIsDroppedAndEscapeOnTheFirstMonitorMapsNothingButStillSavesTheRowsOfStartUp) {
  SetMonitors(2);
  Mapping mapping;
  mapping.Open();
  // Enter is dropped: the window stays on the first monitor.
  ::PostMessageW(mapping.window(), WM_KEYDOWN, VK_RETURN, 1);
  mapping.run().dialog().Sync();
  ::Sleep(100);
  mapping.run().dialog().Sync();
  EXPECT_TRUE(mapping.IsOpen());
  EXPECT_TRUE(mapping.At(RECT{0, 0, 800, 600}));
  mapping.Escape();
  ASSERT_TRUE(mapping.WaitForEnd());
  EXPECT_EQ(Record(0).MonitorID, 1);
  EXPECT_EQ(Record(1).MonitorID, 0);
  EXPECT_TRUE(ModalDialogThread::WaitUntil([] { return !NumbersWritten(*Screens()[1]).empty(); }));
  EXPECT_EQ(NumbersWritten(*Screens()[0]), std::vector<int>{0});
  EXPECT_EQ(NumbersWritten(*Screens()[1]), std::vector<int>{1});
  EXPECT_TRUE(mapping.run().WaitForItemText(0, ItemTextFor(0, 1)));
}

TEST_F(MappingTest, WithEnableTouchZeroNoTouchIsTaken) {
  SetEnableTouch(0);
  SetMonitors(2);
  Mapping mapping;
  mapping.Open();
  const RECT first = mapping.Where();
  ASSERT_TRUE(Screens()[1]->InjectTouch(2000, 2000));
  ::Sleep(200);
  mapping.run().dialog().Sync();
  EXPECT_TRUE(mapping.At(first));
  mapping.Timeout();
  mapping.Timeout();
  ASSERT_TRUE(mapping.WaitForEnd());
  EXPECT_EQ(Record(0).MonitorID, 1);
  EXPECT_EQ(Record(1).MonitorID, 0);
}

// B does not answer while the numbers are saved (silent, or its echo unanswered). However A
// answers (at once; or "V1" with a data report before its end, each 800 ms late), only B's own
// end could end B's wait: the failure shows once and A is saved.
TEST_F(MappingTest, ATouchScreenSilentDuringTheSaveIsReportedOnceAndTheOtherIsSaved) {
  struct Case {
    const char* name;
    std::uint32_t delayMs;
    bool numberWriteData;
    bool bSilent;  // otherwise B answers all but its echo
  } const cases[] = {{"A answers at once, B is silent", 0, false, true},
                     {"A answers V1 with data, late; B is silent", 800, true, true},
                     {"A answers at once, B never answers its echo", 0, false, false}};
  SetMonitors(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetRecord(0, 1);
    SetRecord(1, 0);
    Screens()[0]->Configure([&](sim::TouchScreenConfig& config) {
      config.replyDelayMs = c.delayMs;
      config.numberWriteData = c.numberWriteData;
    });
    Mapping mapping;
    mapping.Open();
    // B takes the held reply for an echo only when it carries B's own session bytes; otherwise
    // it is an unknown command to B. Either way B answers it with nothing.
    Screens()[1]->Configure([&](sim::TouchScreenConfig& config) {
      config.silent = c.bSilent;
      config.answerEcho = c.bSilent;
      config.answerUnknown = c.bSilent;
    });
    mapping.Touch(0);
    ASSERT_TRUE(mapping.WaitForEnd());
    HWND box = mapping.FindMessageBox(L"Save Match info failed!");
    ASSERT_NE(box, nullptr) << "the window was enabled before the save had ended";
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return !::IsWindow(box); }));
    // The list is refreshed after the save, and no second message follows.
    ::Sleep(300);
    mapping.run().dialog().Sync();
    EXPECT_EQ(mapping.FindMessageBox(L"Save Match info failed!"), nullptr);
    EXPECT_EQ(NumbersWritten(*Screens()[0]), std::vector<int>{0});
    EXPECT_EQ(Screens()[1]->number(), 1);
    EXPECT_TRUE(mapping.run().WaitForItemText(0, ItemTextFor(0, 0)));
    Screens()[0]->Configure([](sim::TouchScreenConfig& config) {
      config.replyDelayMs = 0;
      config.numberWriteData = false;
    });
    Screens()[1]->Configure([](sim::TouchScreenConfig& config) {
      config.silent = false;
      config.answerEcho = true;
      config.answerUnknown = true;
    });
  }
}

// Mapping and Calibrate do nothing while the numbers of a mapping are being saved; once the
// save has ended the window is enabled, and a second mapping saves as the first did.
TEST_F(MappingTest, MappingAndCalibrateWaitUntilTheSaveHasEnded) {
  SetMonitors(1);
  for (auto& screen : Screens()) screen->Configure([](sim::TouchScreenConfig& c) { c.replyDelayMs = 600; });
  Mapping mapping;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    for (auto& screen : Screens()) screen->ClearRecords();
    mapping.Open();
    mapping.Touch(0);
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return !mapping.IsOpen(); }));
    mapping.run().dialog().Sync();
    // The save runs: the window stays disabled, and its buttons open nothing.
    EXPECT_FALSE(::IsWindowEnabled(mapping.run().dialog().window()));
    mapping.run().dialog().Click(IDC_MAPPING);
    mapping.run().dialog().Click(IDC_CALIBRATE);
    mapping.run().dialog().Sync();
    EXPECT_FALSE(std::any_of(Screens().begin(), Screens().end(), [](auto& s) { return s->streamOn(); }));
    ASSERT_TRUE(mapping.WaitForEnd());
    EXPECT_EQ(NumbersWritten(*Screens()[0]), std::vector<int>{0});
    EXPECT_EQ(NumbersWritten(*Screens()[1]), std::vector<int>{1});
    EXPECT_EQ(mapping.FindMessageBox(L"Save Match info failed!"), nullptr);
  }
  for (auto& screen : Screens()) screen->Configure([](sim::TouchScreenConfig& c) { c.replyDelayMs = 0; });
}

// The identity requests ("vv", "vs", "v1") a touch screen received, in order.
std::vector<std::string> IdentityRequests(const SimulatedTouchScreen& screen) {
  std::vector<std::string> requests;
  for (const sim::Bytes& report : screen.OutputReports())
    if (report.size() > 2 && report[0] == 0x31 && report[1] == 'v') requests.push_back({'v', static_cast<char>(report[2])});
  return requests;
}

TEST_F(MappingTest, SaveMappingDuringTheStartUpQueryLeavesTheWindowResponsive) {
  for (auto& screen : Screens()) screen->ClearRecords();
  MainWindowRun run;
  ASSERT_TRUE(run.dialog().IsOpen());
  ::PostMessageW(run.dialog().window(), UM_SAVE_MAPPING, 0, 1);
  // The query goes on to a touch screen's next request only once the window has handled the
  // reply to the one before. A window blocked until the query ends handles none of them:
  // every wait would time out, and no touch screen would get past its "vv".
  run.dialog().Sync();
  ASSERT_TRUE(run.WaitForListReady());
  // The last "v1" is posted without waiting for its reply: it may be written a little later.
  const std::vector<std::string> all{"vv", "vs", "v1"};
  for (int i = 0; i < 2; ++i)
    EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return IdentityRequests(*Screens()[i]) == all; })) << i;
  // The save runs after the query.
  EXPECT_TRUE(ModalDialogThread::WaitUntil([] { return !NumbersWritten(*Screens()[1]).empty(); }));
  EXPECT_EQ(NumbersWritten(*Screens()[0]), std::vector<int>{0});
}

TEST_F(MappingTest, UnpluggingATouchScreenEndsTheMappingWithoutSaving) {
  SetMonitors(2);
  Mapping mapping;
  mapping.Open();
  Screens()[1]->Remove();
  HWND box = nullptr;
  ASSERT_TRUE(ModalDialogThread::WaitUntil(
      [&] { return (box = mapping.FindMessageBox(L"The device you have selected has been removed!")) != nullptr; }));
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(mapping.WaitForEnd());
  EXPECT_TRUE(ModalDialogThread::WaitUntil([] { return !Screens()[0]->streamOn(); }));
  ::Sleep(500);
  EXPECT_TRUE(NumbersWritten(*Screens()[0]).empty());
  EXPECT_EQ(mapping.run().ItemCount(), 1);
  EXPECT_EQ(FineTimerRaisesHeld(), 0);  // given back on the way out without a save too
}

}  // namespace
