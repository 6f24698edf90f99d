// A touch screen goes right after the start-up query asked for its number, so that number never
// comes. A mapping's save waits for the numbers still on their way, but not for that one: it
// starts at its usual 100 ms, not after the 3000 ms a number may take.
#include "windows/ui_main_window_harness.h"

#include "simulator/simulated_monitors.h"

using namespace main_window_test;

namespace {

bool WroteNumber(const SimulatedTouchScreen& screen) {
  for (const sim::Bytes& report : screen.OutputReports())
    if (report[1] == 'V' && report[2] == '1') return true;
  return false;
}

TEST(MainWindowSaveWait, ANumberThatWillNeverComeDoesNotHoldTheSave) {
  auto screens = Prepare({{3, 0, 1}, {4, 0, 1}});
  // The echo and the command of "vv", "vs" and "v1" ("o" goes to the selected one): gone right
  // after its "v1".
  screens[1]->Configure([](sim::TouchScreenConfig& c) { c.removeAfterOutputReports = 6; });
  SimulatedMonitors().SetLayout({RECT{0, 0, 800, 600}});
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return !screens[1]->present() && run.ItemCount() == 1; }));
  const DWORD thread = ::GetWindowThreadProcessId(run.dialog().window(), nullptr);
  run.dialog().Click(IDC_MAPPING);
  HWND mapping = nullptr;
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return (mapping = TopmostWindowOf(thread)) != nullptr; }));
  screens[0]->ClearRecords();
  ::PostMessageW(mapping, WM_KEYDOWN, VK_ESCAPE, 1);  // ends the mapping and asks for the save
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return WroteNumber(*screens[0]); }, 2000))
      << "the save waited for a number that will never come";
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return ::IsWindowEnabled(run.dialog().window()); }));
  SimulatedMonitors().SetLayout({});
}

}  // namespace
