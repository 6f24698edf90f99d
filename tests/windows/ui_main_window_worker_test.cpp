// The main window's workers: a mapping save that arrives while the start-up query runs waits
// its turn on a queue; the window keeps answering, and neither worker runs into a time-out.
#include "windows/ui_main_window_harness.h"

using namespace main_window_test;

namespace {

bool SentNumberWrite(const SimulatedTouchScreen& screen) {
  for (const sim::Bytes& report : screen.OutputReports())
    if (report.size() > 2 && report[1] == 'V' && report[2] == '1') return true;
  return false;
}

TEST(MainWindowWorkers, ASaveDuringTheStartUpQueryWaitsItsTurnWithoutBlockingTheWindow) {
  auto screens = Prepare({{0, 1, 1}, {1, 0, 1}});
  for (auto& screen : screens)
    screen->Configure([](sim::TouchScreenConfig& c) { c.replyDelayMs = 100; });

  MainWindowRun run;
  ASSERT_TRUE(run.dialog().IsOpen());
  const HWND window = run.dialog().window();
  ::PostMessageW(window, UM_SAVE_MAPPING, 0, 1);  // the start-up query is still running
  ::Sleep(100);
  DWORD_PTR ignored = 0;
  EXPECT_NE(::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 1000, &ignored), 0)
      << "the window does not answer while the query runs";

  ASSERT_TRUE(run.WaitForListReady());
  for (int i = 0; i < 2; ++i) {
    // The query's exchanges were all answered: the reply handlers kept running.
    EXPECT_EQ(TestDevices().list().device(i)->HwVersion[0].load(), 648) << i;
    EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return SentNumberWrite(*screens[i]); })) << i;
  }
  EXPECT_TRUE(run.dialog().IsOpen());
}

}  // namespace
