// Touch screens unplugged under the program's windows: for each window (the start-up query, a
// calibration, a region calibration, a mapping, a mapping's save, an LED run, a firmware
// update), first another touch screen and then the window's own goes at a random moment, every
// touch screen rough. Nothing crashes, the window ends as a
// removal ends it, no driver record is written for a touch screen nobody touched, the main
// window is usable afterwards, and the gone touch screens' handles and reads are all released.
// PELNIX_TORTURE_SEED picks the moments.
#include "support/test_driver_library.h"
#include "windows/ui_main_window_harness.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/mouse_hook_messages.h"
#include "simulator/core/touch_screen_model.h"
#include "support/process_runner.h"
#include "support/update_test_images.h"
#include "ui/res/about_dialog_ids.h"
#include "update/core/update_messages.h"
#include "update/res/update_dialog_ids.h"

using namespace main_window_test;

namespace {

constexpr int kScreens = 15;  // two for each case, and one that stays: the program ends with the last

std::vector<std::shared_ptr<SimulatedTouchScreen>>& Screens() {
  static auto screens = [] {
    std::vector<Screen> prepared;
    for (int i = 0; i < kScreens; ++i) prepared.push_back(Screen{static_cast<std::uint8_t>(1 + i), 0, 1});
    auto plugged = Prepare(prepared);
    for (int i = 0; i < kScreens; ++i) {
      plugged[i]->Configure([i](sim::TouchScreenConfig& c) {
        sim::MakeRough(c, 7, 50 + i);
        c.firmware.acknowledgeBegin = true;  // an update goes on past its begin request
      });
    }
    return plugged;
  }();
  return screens;
}

std::mt19937& Random() {
  static std::mt19937 random([] {
    const char* text = std::getenv("PELNIX_TORTURE_SEED");
    const unsigned seed = text && *text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : 1u;
    std::printf("moments drawn with seed %u (PELNIX_TORTURE_SEED)\n", seed);
    return seed;
  }());
  return random;
}

void SleepAtRandom(int mostMs) { ::Sleep(std::uniform_int_distribution<int>(0, mostMs)(Random())); }

// Answers the message boxes a removal (or a save that lost its touch screen) shows on the main
// window's thread.
void AnswerRemovalBoxes(DWORD thread) {
  ::EnumThreadWindows(thread, [](HWND window, LPARAM) -> BOOL {
    if (!::IsWindowVisible(window)) return TRUE;
    for (const wchar_t* text : {L"The device you have selected has been removed!", L"Save Match info failed!"}) {
      if (::FindWindowExW(window, nullptr, L"Static", text)) ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
  }, 0);
}

std::vector<DeviceParameters> Records() {
  std::vector<DeviceParameters> records;
  for (int number = 0; number <= kScreens; ++number) {
    DeviceParameters record{};
    record.TouchScreenNo = number;
    TestDriverLibrary().GetDeviceParameters(record);
    records.push_back(record);
  }
  return records;
}

// What a case opens over the touch screen in slot 0 once the list is ready; null for none.
using Open = std::function<HWND(MainWindowRun&, DWORD thread)>;

HWND OpenByButton(MainWindowRun& run, DWORD thread, int button) {
  run.Select(0);
  ::PostMessageW(run.dialog().Item(button), BM_CLICK, 0, 0);
  HWND window = nullptr;
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return (window = TopmostWindowOf(thread)) != nullptr; }));
  return window;
}

// The visible window of the main window's thread, other than the main window, that has the
// dialog item `item`; null until one shows.
HWND WaitForWindowWithItem(MainWindowRun& run, DWORD thread, int item) {
  struct Search { HWND main; int item; HWND found; } search{run.dialog().window(), item, nullptr};
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] {
    ::EnumThreadWindows(thread, [](HWND w, LPARAM lp) -> BOOL {
      auto* s = reinterpret_cast<Search*>(lp);
      if (w == s->main || !::IsWindowVisible(w) || !::GetDlgItem(w, s->item)) return TRUE;
      s->found = w;
      return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  })) << "no window with item " << item;
  return search.found;
}

void Click(HWND window, int item) {
  if (window) ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(item, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(window, item)));
}

// The diagnostics dialog, owned by the main window, its LED run started.
HWND OpenLedRun(MainWindowRun& run, DWORD thread) {
  run.Select(0);
  Click(run.dialog().window(), IDC_DIAGNOSTICS);
  constexpr int kRunButton = 1063;
  const HWND diagnostics = WaitForWindowWithItem(run, thread, kRunButton);
  Click(diagnostics, kRunButton);
  return diagnostics;
}

// A region drawn with the mouse: the hint under the cursor, a press, a drag to the far corner;
// the calibration window over that region is what opens.
HWND OpenRegionCalibration(MainWindowRun& run, DWORD thread) {
  const MouseHookMessages& hook = RegisterMouseHookMessages();
  run.Select(0);
  ::SetCursorPos(300, 200);
  ::PostMessageW(run.dialog().Item(IDC_REGION_CALIBRATE), BM_CLICK, 0, 0);
  HWND hint = nullptr;
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return (hint = TopmostWindowOf(thread)) != nullptr; }));
  const HWND main = run.dialog().window();
  ::SetCursorPos(100, 100);
  ::PostMessageW(main, hook.down, 0, 0);
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return TopmostWindowOf(thread) != hint; }));
  ::SetCursorPos(600, 500);
  ::PostMessageW(main, hook.up, 0, 0);
  HWND window = nullptr;
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return (window = TopmostWindowOf(thread)) != nullptr; }));
  return window;
}

// A firmware update of the touch screen in slot 0, opened from the About box, sending a long
// image so the removals meet it mid-transfer.
HWND OpenUpdate(MainWindowRun& run, DWORD thread) {
  static TempFolder folder;
  ::SetCurrentDirectoryW(folder.path().c_str());
  ::CreateDirectoryW(L"update", nullptr);
  std::string hex;
  for (int block = 0; block < 60; ++block) {
    for (std::uint8_t b : update_test::MakeBlock(1000, static_cast<std::uint8_t>(block))) {
      char text[4];
      std::snprintf(text, sizeof text, "%02x ", b);
      hex += text;
    }
  }
  WriteFileBytes(folder.File(kDialogImagePath), hex);
  run.Select(0);
  Click(run.dialog().window(), IDC_ABOUT);
  Click(WaitForWindowWithItem(run, thread, IDC_ABOUT_UPDATE), IDC_ABOUT_UPDATE);
  return WaitForWindowWithItem(run, thread, IDC_UPDATE_PROGRESS);
}

struct Case {
  const char* name;
  bool beforeListReady;  // the removals run while the start-up query does
  Open open;
};

const Case kCases[] = {
    {"the start-up query", true, nullptr},
    {"a calibration", false, [](MainWindowRun& run, DWORD thread) { return OpenByButton(run, thread, IDC_CALIBRATE); }},
    {"a mapping", false, [](MainWindowRun& run, DWORD thread) { return OpenByButton(run, thread, IDC_MAPPING); }},
    {"a mapping's save", false, [](MainWindowRun& run, DWORD thread) {
       const HWND mapping = OpenByButton(run, thread, IDC_MAPPING);
       if (mapping) ::PostMessageW(mapping, WM_KEYDOWN, VK_ESCAPE, 1);  // ends it and asks for the save
       return mapping;
     }},
    {"a region calibration", false, OpenRegionCalibration},
    {"an LED run", false, OpenLedRun},
    {"a firmware update", false, OpenUpdate},
};

TEST(HotplugWindows, TouchScreensGoUnderEachWindow) {
  auto& screens = Screens();
  int next = 0;  // the first touch screen still plugged: slot 0
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::vector<DeviceParameters> before = Records();
    const DWORD handlesBefore = [] { DWORD n = 0; ::GetProcessHandleCount(::GetCurrentProcess(), &n); return n; }();
    auto& own = screens[next];
    auto& other = screens[next + 1];
    next += 2;
    {
      MainWindowRun run;
      const HWND main = run.dialog().window();
      const DWORD thread = ::GetWindowThreadProcessId(main, nullptr);
      HWND opened = nullptr;
      if (!c.beforeListReady) {
        ASSERT_TRUE(run.WaitForListReady());
        opened = c.open(run, thread);
      }
      SleepAtRandom(400);
      other->Remove();
      SleepAtRandom(400);
      own->Remove();
      // The window ends as a removal ends it; the main window is usable afterwards.
      EXPECT_TRUE(ModalDialogThread::WaitUntil([&] {
        AnswerRemovalBoxes(thread);
        return (!opened || !::IsWindow(opened)) && ::IsWindowEnabled(main) && run.window().IsListReady();
      }));
      EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return run.ItemCount() == kScreens - next; }));
    }
    // Nothing of the gone touch screens is left open or reading.
    for (auto* gone : {&own, &other}) {
      EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return (*gone)->openHandles() == 0 && (*gone)->pendingReads() == 0; }))
          << (*gone)->openHandles() << " handles, " << (*gone)->pendingReads() << " reads";
    }
    DWORD handlesAfter = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &handlesAfter);
    EXPECT_LE(handlesAfter, handlesBefore);
    // Nobody touched a touch screen: no driver record changed.
    const std::vector<DeviceParameters> after = Records();
    for (int number = 0; number <= kScreens; ++number)
      EXPECT_EQ(std::memcmp(&before[number], &after[number], sizeof(DeviceParameters)), 0) << "record " << number;
  }
}

}  // namespace
