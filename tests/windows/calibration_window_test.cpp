// The calibration window as the user meets it: the real main window with four simulated
// touch screens and our PelnixLib.dll, Calibrate or a drawn region opens the real window,
// touches arrive as lift-off reports of the simulated touch screens, and the driver's records
// are read back through the library. The tests run in order: the last ones unplug touch
// screens, and the list is built once per process.
#include "support/test_driver_library.h"
#include "windows/ui_main_window_harness.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "calibration/calibrate_dialog.h"
#include "calibration/core/calibration_geometry.h"
#include "calibration/mouse_hook.h"
#include "calibration/res/calibrate_dialog_ids.h"
#include "base/mouse_hook_messages.h"
#include "base/timer_resolution.h"
#include "device/core/exchange_lanes.h"
#include "simulator/simulated_monitors.h"

using namespace main_window_test;

namespace {

constexpr std::int32_t kOriginalMode = 2;

// The first monitor as the program's list has it.
std::pair<std::int32_t, std::int32_t> FirstMonitor() {
  TouchScreenList& list = TestDevices().list();
  const MonitorEntry& m = list.monitor(0);
  return {m.right - m.left, m.bottom - m.top};
}

std::vector<std::shared_ptr<SimulatedTouchScreen>>& Screens() {
  static auto screens = [] {
    auto prepared = Prepare({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}});
    // Every monitor measures 4 pixels to the millimetre: the warnings below count in millimetres.
    const auto [mw, mh] = FirstMonitor();
    SimulatedMonitors().SetPhysicalSize(MonitorMillimetres{mw / 4, mh / 4});
    return prepared;
  }();
  return screens;
}
constexpr int kPixelsPerMm = 4;


void SetDriver(std::int32_t mode, std::int32_t enableTouch) {
  DriverParameters driver{};
  TestDriverLibrary().GetDriverParameters(driver);
  driver.Mode = mode;
  driver.EnableTouch = enableTouch;
  ASSERT_TRUE(TestDriverLibrary().SetDriverParameters(driver));
}
std::int32_t DriverMode() {
  DriverParameters driver{};
  TestDriverLibrary().GetDriverParameters(driver);
  return driver.Mode;
}
DeviceParameters Record(std::int32_t number) {
  DeviceParameters record{};
  record.TouchScreenNo = number;
  TestDriverLibrary().GetDeviceParameters(record);
  return record;
}
// A record with recognisable raw points, stored as the one "read at opening".
void StoreOriginal(std::int32_t number) {
  DeviceParameters record{};
  record.TouchScreenNo = number;
  record.M1X = 11;
  record.M4Y = 44;
  record.IsCalibrate = 0;
  ASSERT_TRUE(TestDriverLibrary().SetDeviceParameters(0x1000u + number, record));
}

bool IsOriginal(const DeviceParameters& record) { return record.M1X == 11 && record.M4Y == 44 && record.IsCalibrate == 0; }

HWND FindTopmostDialog(DWORD thread, SIZE size = {0, 0}) {
  struct Search {
    SIZE size;
    HWND found;
  } search{size, nullptr};
  ::EnumThreadWindows(thread, [](HWND window, LPARAM data) -> BOOL {
    auto* s = reinterpret_cast<Search*>(data);
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (std::wstring(name) != L"#32770" || !::IsWindowVisible(window) ||
        !(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST))
      return TRUE;
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const bool hint = rect.right - rect.left == 182 && rect.bottom - rect.top == 54;
    if ((s->size.cx == 182) != hint) return TRUE;
    s->found = window;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// One calibration, driven from the main window.
class Calibration {
public:
  explicit Calibration(MainWindowRun& run) : m_run(run) {}

  DWORD thread() const { return ::GetWindowThreadProcessId(m_run.dialog().window(), nullptr); }
  bool Open(int item) {
    // The stream of an earlier calibration has ended and its reader with it: a touch goes
    // to this window.
    EXPECT_TRUE(ModalDialogThread::WaitUntil([] {
      for (auto& screen : Screens())
        if (screen->present() && screen->streamOn()) return false;
      return RunningReportWorkers() == 0;
    }));
    m_run.Select(item);
    ::PostMessageW(m_run.dialog().Item(IDC_CALIBRATE), BM_CLICK, 0, 0);
    return Find();
  }
  bool Find(DWORD timeoutMs = 5000) {
    return ModalDialogThread::WaitUntil([&] { return (m_hWindow = FindTopmostDialog(thread())) != nullptr; }, timeoutMs);
  }
  HWND window() const { return m_hWindow; }
  CCalibrateDlg& dialog() const { return *static_cast<CCalibrateDlg*>(CWnd::FromHandlePermanent(m_hWindow)); }
  RECT rect() const {
    RECT r{};
    ::GetWindowRect(m_hWindow, &r);
    return r;
  }
  // Gone, and the main window enabled again; otherwise what stands, for the failure message.
  ::testing::AssertionResult Closed() const {
    const HWND main = m_run.dialog().window();
    if (ModalDialogThread::WaitUntil([&] { return !::IsWindow(m_hWindow) && ::IsWindowEnabled(main); }))
      return ::testing::AssertionSuccess();
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(thread(), &info);
    auto where = [&](HWND w) {
      return w == m_hWindow                ? "the calibration window"
             : ::IsChild(m_hWindow, w)     ? "a control of the calibration window"
             : w == main || ::IsChild(main, w) ? "the main window"
             : w                           ? "another window"
                                           : "none";
    };
    return ::testing::AssertionFailure()
           << "calibration window " << (::IsWindow(m_hWindow) ? "open" : "gone") << ", main window "
           << (::IsWindowEnabled(main) ? "enabled" : "disabled") << ", active: " << where(info.hwndActive)
           << ", focus: " << where(info.hwndFocus);
  }
  void Sync() const { ::SendMessageW(m_hWindow, WM_NULL, 0, 0); }
  bool Visible(int id) const { return ::IsWindowVisible(::GetDlgItem(m_hWindow, id)) != FALSE; }
  std::wstring Text(int id) const { return m_run.dialog().Text(::GetDlgItem(m_hWindow, id)); }

  // The raw point a frame mounted askew reports for a point of the window.
  static calibration::Point Raw(calibration::Point p) {
    return {static_cast<std::int32_t>(std::lround(200 + 3.4 * p.x + 0.1 * p.y)),
            static_cast<std::int32_t>(std::lround(300 + 4.1 * p.y - 0.05 * p.x))};
  }
  // Touches target `step` of the window (moved by dx pixels), through the touch screen's
  // stream, and waits until the window has taken it.
  void Touch(SimulatedTouchScreen& screen, int step, int dx = 0, int dy = 0) {
    const RECT r = rect();
    calibration::Point target = calibration::TargetPosition(step, r.right - r.left, r.bottom - r.top);
    target.x += dx;
    target.y += dy;
    const calibration::Point raw = Raw(target);
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return screen.streamOn(); }));
    const int before = dialog().step();
    ASSERT_TRUE(screen.InjectTouch(static_cast<std::uint16_t>(raw.x), static_cast<std::uint16_t>(raw.y)));
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return dialog().step() == before + 1; })) << "step " << step;
  }
  void FourTouches(SimulatedTouchScreen& screen, int missBy = 0) {
    FourTouches(screen, {POINT{0, 0}, POINT{0, 0}, POINT{missBy, 0}, POINT{0, 0}});
  }
  // Each target touched off by its own move, in pixels.
  void FourTouches(SimulatedTouchScreen& screen, const std::array<POINT, 4>& moves) {
    for (int step = 0; step < 4; ++step) Touch(screen, step, moves[step].x, moves[step].y);
    Sync();
    EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return !screen.streamOn() && RunningReportWorkers() == 0; }));
  }
  // A key pressed on the window: on its focused control when it has one. Another test process
  // of the same desktop may hold the foreground, and the thread's focus may then lie outside
  // this window, where the key would never reach it.
  void PressKey(UINT key) const {
    const UINT scan = ::MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    HWND focus = m_hWindow;
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (::GetGUIThreadInfo(thread(), &info) && info.hwndFocus && ::IsChild(m_hWindow, info.hwndFocus))
      focus = info.hwndFocus;
    ::PostMessageW(focus, WM_KEYDOWN, key, 1 | (scan << 16));
    ::PostMessageW(focus, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
  }

private:
  MainWindowRun& m_run;
  HWND m_hWindow = nullptr;
};

bool SentStreamOff(const SimulatedTouchScreen& screen) {
  for (const sim::Bytes& report : screen.OutputReports())
    if (report.size() > 2 && report[1] == 0xAA && report[2] == 0x55) return true;
  return false;
}

void ExpectAreaOf(const DeviceParameters& record, const RECT& r) {
  const auto [mw, mh] = FirstMonitor();
  EXPECT_EQ(record.AreaPixelWidth, r.right - r.left);
  EXPECT_EQ(record.AreaPixelHeight, r.bottom - r.top);
  EXPECT_EQ(record.AreaWidth, calibration::ScaledFraction(r.right - r.left, mw));
  EXPECT_EQ(record.AreaHeight, calibration::ScaledFraction(r.bottom - r.top, mh));
  EXPECT_EQ(record.AreaX, calibration::ScaledFraction(r.left, mw));
  EXPECT_EQ(record.AreaLeft, calibration::ScaledFraction(r.left, mw));
  EXPECT_EQ(record.AreaTop, calibration::ScaledFraction(r.top, mh));
  EXPECT_EQ(record.AreaRight, calibration::ScaledFraction(r.right, mw));
  EXPECT_EQ(record.AreaBottom, calibration::ScaledFraction(r.bottom, mh));
}

TEST(CalibrationWindow, TheSystemsMonitorsTellTheirSize) {
  // EDID, else the display's device caps: whatever answers is a monitor's size, not a ratio.
  const std::vector<RECT> monitors = SystemMonitors().Monitors();
  ASSERT_FALSE(monitors.empty());
  for (const RECT& m : monitors) {
    const MonitorMillimetres size = SystemMonitors().PhysicalSize(m);
    std::printf("monitor %ldx%ld: %d x %d mm\n", m.right - m.left, m.bottom - m.top, size.width, size.height);
    if (size.width <= 0) continue;
    const double dpi = (m.right - m.left) * 25.4 / size.width;
    EXPECT_GT(dpi, 10);
    EXPECT_LT(dpi, 1000);
  }
}

TEST(CalibrationWindow, FourTouchesStoreAtOnceAndOkKeepsThem) {
  auto& screens = Screens();
  SetDriver(kOriginalMode, 1);
  StoreOriginal(1);
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  ASSERT_TRUE(run.WaitForItemText(0, ItemTextFor(1, 0)));
  Calibration calibration(run);
  ASSERT_TRUE(calibration.Open(0));
  // The window holds a 1 ms timer resolution (the start-up query has given its own back).
  EXPECT_TRUE(ModalDialogThread::WaitUntil([] { return FineTimerRaisesHeld() == 1; }));

  // Over the whole first monitor, the main window disabled, the driver in click-on-release.
  const RECT r = calibration.rect();
  const auto [mw, mh] = FirstMonitor();
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right - r.left, mw);
  EXPECT_EQ(r.bottom - r.top, mh);
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return !::IsWindowEnabled(run.dialog().window()); }));
  EXPECT_EQ(DriverMode(), 1);
  for (int id : {IDC_HINT_STILL, IDC_HINT_ESCAPE}) EXPECT_TRUE(calibration.Visible(id));
  for (int id : {IDOK, IDC_RECALIBRATE, IDC_CALIBRATE_CANCEL, IDC_HINT_DRAW, IDC_TOUCHES_DISAGREE})
    EXPECT_FALSE(calibration.Visible(id));
  // Enter and Space while the targets show press nothing.
  for (UINT key : {VK_RETURN, VK_SPACE}) {
    calibration.PressKey(key);
    calibration.Sync();
    EXPECT_TRUE(::IsWindow(calibration.window())) << key;
    EXPECT_EQ(calibration.dialog().step(), 0) << key;
  }

  // Each touch is painted while it is taken, not once the queue runs empty: nothing is left
  // to paint when the window turns to its next message.
  for (int step = 0; step < 4; ++step) {
    calibration.Touch(*screens[0], step);
    calibration.Sync();
    EXPECT_FALSE(::GetUpdateRect(calibration.window(), nullptr, FALSE)) << "step " << step;
  }
  EXPECT_EQ(calibration.dialog().step(), 4);
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return SentStreamOff(*screens[0]); }));
  // A fifth touch is not taken: the stream is off.
  EXPECT_FALSE(screens[0]->InjectTouch(100, 100));
  for (int id : {IDOK, IDC_RECALIBRATE, IDC_CALIBRATE_CANCEL, IDC_HINT_DRAW, IDC_HINT_DISCARD})
    EXPECT_TRUE(calibration.Visible(id));
  EXPECT_FALSE(calibration.Visible(IDC_HINT_STILL));
  EXPECT_FALSE(calibration.Visible(IDC_TOUCHES_DISAGREE));  // four careful touches agree

  // Stored at once, for the try-out; the driver stays in click-on-release.
  DeviceParameters stored = Record(1);
  const RECT now = calibration.rect();
  const calibration::Point first = Calibration::Raw(calibration::TargetPosition(0, now.right - now.left, now.bottom - now.top));
  EXPECT_EQ(stored.M1X, first.x);
  EXPECT_EQ(stored.M1Y, first.y);
  EXPECT_EQ(stored.IsCalibrate, 1);
  ExpectAreaOf(stored, now);
  EXPECT_EQ(DriverMode(), 1);

  // OK keeps the record and gives the driver its mode back; the list shows it calibrated.
  ::PostMessageW(::GetDlgItem(calibration.window(), IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(calibration.Closed());
  EXPECT_EQ(FineTimerRaisesHeld(), 0);
  EXPECT_EQ(DriverMode(), kOriginalMode);
  EXPECT_EQ(Record(1).M1X, first.x);
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return run.ItemImage(0) == 1; }));
}

TEST(CalibrationWindow, OverTheSecondOfTwoMonitors) {
  auto& screens = Screens();
  SetDriver(kOriginalMode, 1);
  SimulatedMonitors().SetLayout({RECT{0, 0, 1920, 1080}, RECT{1920, 0, 3840, 1080}});
  DeviceParameters onSecond{};
  onSecond.TouchScreenNo = 1;
  onSecond.MonitorID = 1;
  ASSERT_TRUE(TestDriverLibrary().SetDeviceParameters(0x1001u, onSecond));
  {
    MainWindowRun run;
    ASSERT_TRUE(run.WaitForListReady());
    ASSERT_TRUE(run.WaitForItemText(0, ItemTextFor(1, 1)));
    Calibration calibration(run);
    ASSERT_TRUE(calibration.Open(0));
    const RECT r = calibration.rect();
    EXPECT_EQ(r.left, 1920);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 3840);
    EXPECT_EQ(r.bottom, 1080);
    calibration.FourTouches(*screens[0]);
    const DeviceParameters stored = Record(1);
    EXPECT_EQ(stored.AreaX, 65536);
    EXPECT_EQ(stored.AreaLeft, 65536);
    EXPECT_EQ(stored.AreaRight, 131072);
    EXPECT_EQ(stored.AreaWidth, 65536);
    EXPECT_EQ(stored.AreaPixelWidth, 1920);
    EXPECT_EQ(stored.AreaTop, 0);
    EXPECT_EQ(stored.AreaBottom, 65536);
    EXPECT_EQ(stored.MonitorID, 1);
    ::PostMessageW(::GetDlgItem(calibration.window(), IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(calibration.Closed());
  }
  SimulatedMonitors().SetLayout({});
  TestDevices().list().RefreshMonitors();
}

// A record mapped to no monitor (-1) keeps -1: a signed comparison with the monitor count.
TEST(CalibrationWindow, AMappingRowWithoutMonitorStoresMinusOne) {
  auto& screens = Screens();
  SetDriver(kOriginalMode, 1);
  DeviceParameters unmapped{};
  unmapped.TouchScreenNo = 1;
  unmapped.MonitorID = -1;
  ASSERT_TRUE(TestDriverLibrary().SetDeviceParameters(0x1001u, unmapped));
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  ASSERT_EQ(TestDevices().list().mapping(0).monitorNo, -1);
  Calibration calibration(run);
  ASSERT_TRUE(calibration.Open(0));
  calibration.FourTouches(*screens[0]);
  EXPECT_EQ(Record(1).MonitorID, -1);
  ::PostMessageW(::GetDlgItem(calibration.window(), IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(calibration.Closed());
}

TEST(CalibrationWindow, CountdownCancelAndEscapeWriteBackTheRecordReadAtOpening) {
  auto& screens = Screens();
  SetDriver(kOriginalMode, 1);
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());

  // The countdown: "Cancel(30)" down to "(1)", then the window closes and writes back.
  // (No language file beside the test: the key "39" stands for "Cancel".)
  {
    StoreOriginal(1);
    Calibration calibration(run);
    ASSERT_TRUE(calibration.Open(0));
    calibration.FourTouches(*screens[0]);
    EXPECT_FALSE(IsOriginal(Record(1)));
    // Each tick counts one down (the window's own timer may add a tick of its own on a slow
    // machine); the 31st closes the window.
    std::vector<int> counts;
    for (int tick = 1; tick <= 40 && ::IsWindow(calibration.window()); ++tick) {
      ::SendMessageW(calibration.window(), WM_TIMER, 8, 0);
      const std::wstring text = calibration.Text(IDC_CALIBRATE_CANCEL);
      if (::IsWindow(calibration.window()) && text.starts_with(L"39(")) counts.push_back(std::stoi(text.substr(3)));
    }
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ(counts.front(), 30);
    EXPECT_LE(counts.back(), 2);
    EXPECT_GE(counts.size(), 25u);
    EXPECT_TRUE(std::is_sorted(counts.rbegin(), counts.rend()));
    ASSERT_TRUE(calibration.Closed());
    EXPECT_TRUE(IsOriginal(Record(1)));
    EXPECT_EQ(DriverMode(), kOriginalMode);
  }
  // Cancel and Escape after four touches write back what was read at opening.
  for (bool escape : {false, true}) {
    StoreOriginal(1);
    Calibration calibration(run);
    ASSERT_TRUE(calibration.Open(0));
    calibration.FourTouches(*screens[0]);
    EXPECT_FALSE(IsOriginal(Record(1)));
    if (escape)
      calibration.PressKey(VK_ESCAPE);
    else
      ::PostMessageW(::GetDlgItem(calibration.window(), IDC_CALIBRATE_CANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(calibration.Closed()) << (escape ? "Escape" : "Cancel");
    EXPECT_EQ(FineTimerRaisesHeld(), 0) << (escape ? "Escape" : "Cancel");
    EXPECT_TRUE(IsOriginal(Record(1))) << (escape ? "Escape" : "Cancel");
    EXPECT_EQ(DriverMode(), kOriginalMode);
  }
  // ReCalibrate starts again at target 1 with the buttons hidden; Escape before a new fourth
  // touch leaves the first try's record stored.
  {
    StoreOriginal(1);
    Calibration calibration(run);
    ASSERT_TRUE(calibration.Open(0));
    calibration.FourTouches(*screens[0]);
    const DeviceParameters firstTry = Record(1);
    ::SendMessageW(::GetDlgItem(calibration.window(), IDC_RECALIBRATE), BM_CLICK, 0, 0);
    EXPECT_EQ(calibration.dialog().step(), 0);
    EXPECT_FALSE(calibration.Visible(IDOK));
    EXPECT_TRUE(calibration.Visible(IDC_HINT_STILL));
    calibration.Touch(*screens[0], 0, 5);
    calibration.PressKey(VK_ESCAPE);
    ASSERT_TRUE(calibration.Closed());
    EXPECT_EQ(Record(1).M1X, firstTry.M1X);
    EXPECT_EQ(Record(1).IsCalibrate, 1);
    EXPECT_EQ(DriverMode(), kOriginalMode);
  }
}

TEST(CalibrationWindow, TouchDisabledTakesNoPointAndEscapeLeaves) {
  auto& screens = Screens();
  SetDriver(kOriginalMode, 0);
  StoreOriginal(1);
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  Calibration calibration(run);
  ASSERT_TRUE(calibration.Open(0));
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return screens[0]->streamOn(); }));
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(screens[0]->InjectTouch(1000, 1000));
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return screens[0]->queuedReports() == 0; }));
  calibration.Sync();
  EXPECT_EQ(calibration.dialog().step(), 0);
  calibration.PressKey(VK_ESCAPE);
  ASSERT_TRUE(calibration.Closed());
  EXPECT_TRUE(IsOriginal(Record(1)));
  EXPECT_EQ(DriverMode(), kOriginalMode);
  SetDriver(kOriginalMode, 1);
}

TEST(CalibrationWindow, MissedTargetsShowAWarning) {
  auto& screens = Screens();
  SetDriver(kOriginalMode, 1);
  StoreOriginal(1);  // not calibrated yet
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  // The texts are the keys themselves (no language file beside the test): "83" when the
  // touches disagree, "84" when the map differs from the earlier calibration's, "85" when the
  // frame's axes come out sheared.
  const int mm25 = 25 * kPixelsPerMm;
  const int low = 60, inward = 80;
  struct Case {
    const char* name;
    std::array<POINT, 4> moves;
    const wchar_t* text;  // null: no warning
    bool keep;            // OK: the next case compares with this one
  };
  const Case cases[] = {
      {"one target 25 mm off", {POINT{0, 0}, {0, 0}, {mm25, 0}, {0, 0}}, L"83", false},
      {"TL and BR inward, nothing earlier", {POINT{inward, inward}, {0, 0}, {0, 0}, {-inward, -inward}}, L"85", false},
      {"both top targets low, nothing earlier", {POINT{0, low}, {0, low}, {0, 0}, {0, 0}}, nullptr, false},
      {"careful, kept", {}, nullptr, true},
      {"both top targets low, against the earlier", {POINT{0, low}, {0, low}, {0, 0}, {0, 0}}, L"84", false},
      {"careful again", {}, nullptr, false},
  };
  for (const Case& c : cases) {
    Calibration calibration(run);
    ASSERT_TRUE(calibration.Open(0)) << c.name;
    calibration.FourTouches(*screens[0], c.moves);
    EXPECT_EQ(calibration.Visible(IDC_TOUCHES_DISAGREE), c.text != nullptr) << c.name;
    EXPECT_EQ(calibration.dialog().disagreementShown(), c.text != nullptr) << c.name;
    if (c.text) EXPECT_EQ(calibration.Text(IDC_TOUCHES_DISAGREE), c.text) << c.name;
    // Nothing else changes: stored as always, and the user decides.
    EXPECT_EQ(Record(1).IsCalibrate, 1) << c.name;
    if (c.text) {
      ::SendMessageW(::GetDlgItem(calibration.window(), IDC_RECALIBRATE), BM_CLICK, 0, 0);
      EXPECT_FALSE(calibration.Visible(IDC_TOUCHES_DISAGREE)) << c.name;
      calibration.FourTouches(*screens[0]);
      EXPECT_FALSE(calibration.Visible(IDC_TOUCHES_DISAGREE)) << c.name;
    }
    ::PostMessageW(::GetDlgItem(calibration.window(), c.keep ? IDOK : IDC_CALIBRATE_CANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(calibration.Closed()) << c.name;
  }
}

// Runs `work` on the thread of `window`, between two of its messages (the window is
// subclassed for one sent message), so that a test can line up what that thread handles next.
LRESULT CALLBACK RunOnThreadProc(HWND window, UINT message, WPARAM wp, LPARAM lp);
WNDPROC g_pOriginalProc = nullptr;
const UINT kRunOnThread = ::RegisterWindowMessageW(L"PelnixCalibrationTestRunOnThread");
LRESULT CALLBACK RunOnThreadProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (message == kRunOnThread) {
    (*reinterpret_cast<const std::function<void()>*>(lp))();
    return 0;
  }
  return ::CallWindowProcW(g_pOriginalProc, window, message, wp, lp);
}
void RunOnWindowThread(HWND window, const std::function<void()>& work) {
  g_pOriginalProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RunOnThreadProc)));
  ::SendMessageW(window, kRunOnThread, 0, reinterpret_cast<LPARAM>(&work));
  ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_pOriginalProc));
}

// Region drawing: the hook's messages reach the main window with the cursor where the test
// put it; the hook library beside the test tells whether a hook still runs.
class RegionDrawing {
public:
  explicit RegionDrawing(MainWindowRun& run) : m_run(run), m_hook(GetModuleDirectory() + L"\\Hook.dll") {}

  static std::wstring GetModuleDirectory() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L'\\'));
  }
  // A hook serving some window: stopping it for another window is refused.
  bool HookRunning() {
    static HWND other = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    using Stop = BOOL(WINAPI*)(HWND);
    HMODULE module = ::GetModuleHandleW((GetModuleDirectory() + L"\\Hook.dll").c_str());
    auto stop = reinterpret_cast<Stop>(reinterpret_cast<void*>(::GetProcAddress(module, "StopMouseHook")));
    return stop && !stop(other);
  }
  DWORD thread() const { return ::GetWindowThreadProcessId(m_run.dialog().window(), nullptr); }
  HWND Hint() const { return FindTopmostDialog(thread(), SIZE{182, 54}); }

  void Begin() {
    ::SetCursorPos(300, 200);
    ::PostMessageW(m_run.dialog().Item(IDC_REGION_CALIBRATE), BM_CLICK, 0, 0);
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return Hint() != nullptr; }));
    RECT r{};
    ::GetWindowRect(Hint(), &r);
    EXPECT_EQ(r.left, 310);
    EXPECT_EQ(r.top, 220);
    EXPECT_TRUE(HookRunning());
  }
  void Drag(POINT from, POINT to) {
    const MouseHookMessages& hook = GetMouseHookMessages();
    HWND main = m_run.dialog().window();
    ::SetCursorPos(from.x, from.y);
    ::PostMessageW(main, hook.down, 0, 0);
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return Hint() == nullptr; }));
    ::SetCursorPos(to.x, to.y);
    ::PostMessageW(main, hook.up, 0, 0);
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return !HookRunning(); }));
    m_run.dialog().Sync();
  }

private:
  MainWindowRun& m_run;
  MouseHookLibrary m_hook;  // keeps the library loaded for the probe
};

TEST(CalibrationWindow, RegionDrawnWithTheMouse) {
  auto& screens = Screens();
  SetDriver(kOriginalMode, 1);
  StoreOriginal(1);
  RegisterMouseHookMessages();
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  RegionDrawing region(run);
  Calibration calibration(run);

  // 199 x 500 opens nothing, and the hook has ended.
  region.Begin();
  region.Drag({100, 50}, {299, 550});
  EXPECT_FALSE(calibration.Find(500));
  EXPECT_FALSE(region.HookRunning());

  // Up and to the left from (900, 700) to (500, 300): a 400 x 400 window at (500, 300),
  // without hints; its stored area is the rectangle.
  region.Begin();
  region.Drag({900, 700}, {500, 300});
  ASSERT_TRUE(calibration.Find());
  RECT r = calibration.rect();
  EXPECT_EQ(r.left, 500);
  EXPECT_EQ(r.top, 300);
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 400);
  for (int id : {IDC_HINT_STILL, IDC_HINT_LIFT, IDC_HINT_BULLSEYE, IDC_HINT_ESCAPE})
    EXPECT_FALSE(calibration.Visible(id));
  calibration.FourTouches(*screens[0]);
  for (int id : {IDC_HINT_DRAW, IDC_HINT_BEFORE_AGAIN, IDC_HINT_DISCARD}) EXPECT_FALSE(calibration.Visible(id));
  EXPECT_TRUE(calibration.Visible(IDOK));
  ::PostMessageW(::GetDlgItem(calibration.window(), IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(calibration.Closed());
  ExpectAreaOf(Record(1), r);

  // Exactly 200 x 200 opens; a missed target is pointed out here too.
  StoreOriginal(1);
  region.Begin();
  region.Drag({40, 60}, {240, 260});
  ASSERT_TRUE(calibration.Find());
  r = calibration.rect();
  EXPECT_EQ(r.right - r.left, 200);
  EXPECT_EQ(r.bottom - r.top, 200);
  calibration.FourTouches(*screens[0], 25 * kPixelsPerMm);
  EXPECT_TRUE(calibration.Visible(IDC_TOUCHES_DISAGREE));
  // The buttons and the warning lie inside the small window, side by side.
  calibration.Sync();
  ::UpdateWindow(calibration.window());
  calibration.Sync();
  RECT previous{r.left, r.top, r.left, r.top};
  for (int id : {IDC_TOUCHES_DISAGREE, IDC_RECALIBRATE, IDOK, IDC_CALIBRATE_CANCEL}) {
    RECT c{};
    ::GetWindowRect(::GetDlgItem(calibration.window(), id), &c);
    EXPECT_TRUE(c.left >= r.left && c.top >= r.top && c.right <= r.right && c.bottom <= r.bottom) << id;
    if (id != IDC_TOUCHES_DISAGREE && id != IDC_RECALIBRATE) EXPECT_LE(previous.right, c.left) << id;
    if (id == IDC_RECALIBRATE) EXPECT_LE(previous.bottom, c.top);  // below the warning
    previous = c;
  }
  calibration.PressKey(VK_ESCAPE);
  ASSERT_TRUE(calibration.Closed());
  EXPECT_TRUE(IsOriginal(Record(1)));
  EXPECT_FALSE(region.HookRunning());
}

// The removal message box on the calibration window's thread, or null.
HWND FindRemovalMessage(DWORD thread) {
  HWND box = nullptr;
  ::EnumThreadWindows(thread, [](HWND window, LPARAM out) -> BOOL {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (std::wstring(name) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
    // The caption is the program's title, key "79" (no language file beside the test).
    wchar_t caption[16] = {};
    ::GetWindowTextW(window, caption, 16);
    if (std::wstring(caption) != L"79") return TRUE;
    bool said = false;
    ::EnumChildWindows(window, [](HWND child, LPARAM found) -> BOOL {
      wchar_t text[128] = {};
      ::GetWindowTextW(child, text, 128);
      if (std::wstring(text) == L"The device you have selected has been removed!") *reinterpret_cast<bool*>(found) = true;
      return TRUE;
    }, reinterpret_cast<LPARAM>(&said));
    if (!said) return TRUE;
    *reinterpret_cast<HWND*>(out) = window;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&box));
  return box;
}

// Closes the removal message box of the calibration window's thread; true when one showed.
bool CloseRemovalMessage(DWORD thread) {
  HWND box = nullptr;
  const bool shown = ModalDialogThread::WaitUntil([&] { return (box = FindRemovalMessage(thread)) != nullptr; });
  if (box) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  return shown;
}

void UnpluggingAnEarlierTouchScreenOrItsOwn() {
  auto& screens = Screens();
  SetDriver(kOriginalMode, 1);
  StoreOriginal(2);
  StoreOriginal(3);
  StoreOriginal(4);
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  ASSERT_TRUE(run.WaitForItemText(2, ItemTextFor(3, 0)));

  // The first touch screen goes while the second is calibrated: the window follows it into
  // slot 0, the slot the removal names, and stays.
  {
    Calibration calibration(run);
    ASSERT_TRUE(calibration.Open(1));
    calibration.Touch(*screens[1], 0);
    screens[0]->Remove();
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return calibration.dialog().m_nDeviceIndex == 0; }));
    ::Sleep(100);
    calibration.Sync();
    EXPECT_TRUE(::IsWindow(calibration.window()));
    for (int step = 1; step < 4; ++step) calibration.Touch(*screens[1], step);
    ::PostMessageW(::GetDlgItem(calibration.window(), IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(calibration.Closed());
    EXPECT_EQ(Record(2).IsCalibrate, 1);
  }
  // Its own touch screen goes after four touches: the message, the window closes, the record
  // read at opening is written back under its own key, and the touch screen that moved into
  // its slot gets neither a stream-off nor that record.
  {
    StoreOriginal(2);
    Calibration calibration(run);
    ASSERT_TRUE(calibration.Open(0));
    calibration.FourTouches(*screens[1]);
    EXPECT_FALSE(IsOriginal(Record(2)));
    screens[2]->ClearRecords();
    screens[1]->Remove();
    EXPECT_TRUE(CloseRemovalMessage(calibration.thread()));
    ASSERT_TRUE(calibration.Closed());
    EXPECT_TRUE(IsOriginal(Record(2)));
    EXPECT_TRUE(IsOriginal(Record(3)));
    EXPECT_EQ(DriverMode(), kOriginalMode);
    ::Sleep(100);
    EXPECT_FALSE(SentStreamOff(*screens[2]));
  }
}

TEST(CalibrationWindow, RegionHintEscapeOrFailureEndsTheHook) {
  Screens();
  SetDriver(kOriginalMode, 1);
  RegisterMouseHookMessages();
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  RegionDrawing region(run);
  Calibration calibration(run);

  // Escape on the hint gives the drawing up: the hint goes, the hook with it, and a drag
  // afterwards opens nothing.
  region.Begin();
  HWND hint = region.Hint();
  ::PostMessageW(hint, WM_KEYDOWN, VK_ESCAPE, 1);
  ::PostMessageW(hint, WM_KEYUP, VK_ESCAPE, 0xC0000001u);
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return !::IsWindowVisible(hint); }));
  run.dialog().Sync();
  EXPECT_FALSE(region.HookRunning());

  // A hint that cannot be created: no hook is left running either.
  static std::atomic<bool> refuse{false};
  HHOOK cbt = ::SetWindowsHookExW(
      WH_CBT, [](int code, WPARAM wp, LPARAM lp) -> LRESULT {
        if (code == HCBT_CREATEWND && refuse.load()) return 1;
        return ::CallNextHookEx(nullptr, code, wp, lp);
      },
      nullptr, region.thread());
  ASSERT_NE(cbt, nullptr);
  refuse = true;
  ::PostMessageW(run.dialog().Item(IDC_REGION_CALIBRATE), BM_CLICK, 0, 0);
  run.dialog().Sync();
  refuse = false;
  ::UnhookWindowsHookEx(cbt);
  EXPECT_EQ(region.Hint(), nullptr);
  EXPECT_FALSE(region.HookRunning());
  EXPECT_FALSE(calibration.Find(200));
}

void MainWindowEndingOrAStrangeEndMessage() {
  auto& screens = Screens();  // 3 and 4 are left, in slots 0 and 1
  SetDriver(kOriginalMode, 1);
  // An end message the open window did not post changes nothing: the window stays, and so
  // does the main window's disabled state.
  {
    StoreOriginal(3);
    MainWindowRun run;
    ASSERT_TRUE(run.WaitForListReady());
    Calibration calibration(run);
    ASSERT_TRUE(calibration.Open(0));
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return !::IsWindowEnabled(run.dialog().window()); }));
    ::PostMessageW(run.dialog().window(), UM_CALIBRATE_END, 0, 0);
    run.dialog().Sync();
    EXPECT_TRUE(::IsWindow(calibration.window()));
    EXPECT_FALSE(::IsWindowEnabled(run.dialog().window()));
    calibration.PressKey(VK_ESCAPE);
    ASSERT_TRUE(calibration.Closed());
  }
  // The main window ends while a calibration is open, before or after its fourth touch: the
  // driver's mode and the record read at opening come back.
  for (int touches : {2, 4}) {
    StoreOriginal(3);
    MainWindowRun run;
    ASSERT_TRUE(run.WaitForListReady());
    Calibration calibration(run);
    ASSERT_TRUE(calibration.Open(0));
    for (int step = 0; step < touches; ++step) calibration.Touch(*screens[2], step);
    EXPECT_EQ(DriverMode(), 1);
    calibration.Sync();
    if (touches == 4) EXPECT_FALSE(IsOriginal(Record(3)));
    ::PostMessageW(run.dialog().window(), WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run.dialog().WaitForEnd());
    EXPECT_FALSE(::IsWindow(calibration.window())) << touches;
    EXPECT_EQ(DriverMode(), kOriginalMode) << touches;
    EXPECT_TRUE(IsOriginal(Record(3))) << touches;
  }
}

// The pointer's display count on the window's thread, 0 or more when the pointer shows.
int CursorCount(HWND window) {
  int count = 0;
  RunOnWindowThread(window, [&] {
    count = ::ShowCursor(TRUE) - 1;
    ::ShowCursor(FALSE);
  });
  return count;
}

void RemovalDuringTheLastTouchAndOfTheLastTouchScreen() {
  auto& screens = Screens();  // 3 and 4 are left, in slots 0 and 1
  SetDriver(kOriginalMode, 1);
  StoreOriginal(3);
  StoreOriginal(4);
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  ASSERT_TRUE(run.WaitForItemText(0, ItemTextFor(3, 0)));

  // Touch screen 3 goes with its last lift-off still queued: that is no fourth point, and the
  // touch screen that moved into its slot gets no stream-off.
  {
    Calibration calibration(run);
    ASSERT_TRUE(calibration.Open(0));
    for (int step = 0; step < 3; ++step) calibration.Touch(*screens[2], step);
    screens[3]->ClearRecords();
    const HANDLE handle = TestDevices().list().handle(0);
    RunOnWindowThread(calibration.window(), [&] {
      auto lift = std::make_unique<DeviceReport>();
      lift->report[0] = 0x31;
      lift->report[2] = 0x84;
      lift->report[3] = 0x10;
      lift->report[5] = 0x10;
      if (::PostMessageW(calibration.window(), UM_TOUCH_POINT, 0, reinterpret_cast<LPARAM>(lift.get()))) lift.release();
      screens[2]->Remove();
      run.DeviceEvent(DBT_DEVICEREMOVECOMPLETE, handle);
    });
    EXPECT_TRUE(CloseRemovalMessage(calibration.thread()));
    ASSERT_TRUE(calibration.Closed());
    EXPECT_TRUE(IsOriginal(Record(3)));
    EXPECT_TRUE(IsOriginal(Record(4)));
    EXPECT_EQ(DriverMode(), kOriginalMode);
    run.dialog().Sync();
    EXPECT_FALSE(SentStreamOff(*screens[3]));
  }
  // The last touch screen goes: the message shows with the pointer, stays until it is
  // answered, and the program ends after it.
  {
    Calibration calibration(run);
    ASSERT_TRUE(calibration.Open(0));
    calibration.Touch(*screens[3], 0);
    EXPECT_LT(CursorCount(calibration.window()), 0);
    screens[3]->Remove();
    HWND box = nullptr;
    ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return (box = FindRemovalMessage(calibration.thread())) != nullptr; }));
    EXPECT_GE(CursorCount(box), 0);
    run.dialog().Sync();  // the messages queued behind the removal have been handled
    EXPECT_TRUE(::IsWindowVisible(box));
    EXPECT_TRUE(run.dialog().IsOpen());
    EXPECT_TRUE(CloseRemovalMessage(calibration.thread()));
    ASSERT_TRUE(run.dialog().WaitForEnd());
    EXPECT_TRUE(run.quitPosted());
    EXPECT_EQ(DriverMode(), kOriginalMode);
  }
}

// Touch screens unplugged one after another, in this order, as one test; its run of the program
// is its own (the test command runs it apart from the others), so that every other test finds
// all the touch screens present, whatever order they run in.
TEST(CalibrationWindowUnplugging, OneAfterAnother) {
  UnpluggingAnEarlierTouchScreenOrItsOwn();
  if (::testing::Test::HasFatalFailure()) return;
  MainWindowEndingOrAStrangeEndMessage();
  if (::testing::Test::HasFatalFailure()) return;
  RemovalDuringTheLastTouchAndOfTheLastTouchScreen();
}

}  // namespace
