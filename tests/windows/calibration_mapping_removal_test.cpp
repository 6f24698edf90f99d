// The mapping window with three simulated touch screens numbered 3, 4 and 5: after a save the
// list shows the numbers the touch screens then hold (their slots); when the first is unplugged
// while a touch of the second is already on its way, the mapping ends unsaved and no driver
// record is written, neither the second's nor that of the third, which moves into its slot.
#include "support/test_driver_library.h"
#include "windows/ui_main_window_harness.h"

#include <algorithm>
#include <string>
#include <vector>

#include "simulator/simulated_monitors.h"

using namespace main_window_test;

namespace {

DeviceParameters Record(int touchScreenNo) {
  DeviceParameters record{};
  record.TouchScreenNo = touchScreenNo;
  TestDriverLibrary().GetDeviceParameters(record);
  return record;
}

std::vector<std::shared_ptr<SimulatedTouchScreen>>& Screens() {
  static auto screens = Prepare({{3, 1, 1}, {4, 1, 1}, {5, 1, 1}});
  return screens;
}

// Escape on the first monitor: the save writes each touch screen its slot's number, which the
// list then shows, whatever number it held before.
void AfterTheSaveTheListShowsTheNumbersTheTouchScreensHold() {
  auto& screens = Screens();
  SimulatedMonitors().SetLayout({RECT{0, 0, 800, 600}, RECT{800, 0, 1600, 600}});
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  EXPECT_TRUE(run.WaitForItemText(2, ItemTextFor(5, 1)));
  run.dialog().Click(IDC_MAPPING);
  const DWORD thread = ::GetWindowThreadProcessId(run.dialog().window(), nullptr);
  HWND mapping = nullptr;
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return (mapping = TopmostWindowOf(thread)) != nullptr; }));
  ::PostMessageW(mapping, WM_KEYDOWN, VK_ESCAPE, 1);
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] {
    return !::IsWindow(mapping) && ::IsWindowEnabled(run.dialog().window()) && screens[2]->number() == 2;
  }));
  run.dialog().Sync();
  for (int slot = 0; slot < 3; ++slot) {
    EXPECT_EQ(screens[slot]->number(), slot);
    EXPECT_EQ(run.ItemText(slot).rfind(L"TouchScreen No." + std::to_wstring(slot) + L" ", 0), 0u) << run.ItemText(slot).size();
  }
  SimulatedMonitors().SetLayout({});
}

void AQueuedTouchIsNotTakenForTheTouchScreenThatMovesIntoItsSlot() {
  auto& screens = Screens();
  SimulatedMonitors().SetLayout({RECT{0, 0, 800, 600}, RECT{800, 0, 1600, 600}});
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  std::vector<std::int32_t> monitors;
  for (int number = 0; number < 6; ++number) monitors.push_back(Record(number).MonitorID);
  for (auto& screen : screens) screen->ClearRecords();
  run.dialog().Click(IDC_MAPPING);
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] {
    return std::all_of(screens.begin(), screens.end(), [](auto& s) { return s->streamOn(); });
  }));
  const DWORD thread = ::GetWindowThreadProcessId(run.dialog().window(), nullptr);
  const HWND mapping = TopmostWindowOf(thread);
  ASSERT_NE(mapping, nullptr);

  // The user-interface thread is busy while B's touch is posted and A's removal is sent.
  const HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  run.dialog().Hold(release);
  ASSERT_TRUE(screens[1]->InjectTouch(2000, 2000));
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return screens[1]->queuedReports() == 0; }));
  ::Sleep(100);  // the touch has been read: let its reader post it
  screens[0]->Remove();
  ::Sleep(100);  // the removal is being sent to the busy window
  ::SetEvent(release);

  HWND box = nullptr;
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] {
    box = nullptr;
    ::EnumThreadWindows(thread, [](HWND window, LPARAM out) -> BOOL {
      if (!::IsWindowVisible(window) ||
          !::FindWindowExW(window, nullptr, L"Static", L"The device you have selected has been removed!"))
        return TRUE;
      *reinterpret_cast<HWND*>(out) = window;
      return FALSE;
    }, reinterpret_cast<LPARAM>(&box));
    return box != nullptr;
  }));
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return !::IsWindow(mapping) && ::IsWindowEnabled(run.dialog().window()); }));
  run.dialog().Sync();
  for (int number = 0; number < 6; ++number) EXPECT_EQ(Record(number).MonitorID, monitors[number]) << number;
  for (auto& screen : screens) {
    for (const sim::Bytes& report : screen->OutputReports())
      EXPECT_FALSE(report[1] == 'V' && report[2] == '1') << "a number was saved";
  }
  ::CloseHandle(release);
  SimulatedMonitors().SetLayout({});
}

// In this order, as one test: the unplugged touch screen stays gone, and the save needs all three.
TEST(MappingRemoval, TheSaveThenAQueuedTouchAcrossARemoval) {
  AfterTheSaveTheListShowsTheNumbersTheTouchScreensHold();
  if (::testing::Test::HasFatalFailure()) return;
  AQueuedTouchIsNotTakenForTheTouchScreenThatMovesIntoItsSlot();
}

}  // namespace
