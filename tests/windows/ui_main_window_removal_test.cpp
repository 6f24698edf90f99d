// The main window with three simulated touch screens: removing the first moves the other two
// down with their mapping rows; a removal query closes a handle and is granted; Help reports a
// missing manual and a manual no program opens; Enter on a focused button presses that button.
#include "windows/ui_main_window_harness.h"
#include "windows/ui_help_shell.h"

#include <dbt.h>

#include <algorithm>

#include "base/app_paths.h"

using namespace main_window_test;

namespace {

TEST(MainWindowRemoval, FirstOfThreeMovesTheOthersDown) {
  auto screens = Prepare({{5, 2, 0}, {6, 0, 1}, {7, 1, 0}});
  TouchScreenList& list = TestDevices().list();
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  ASSERT_EQ(run.ItemCount(), 3);
  EXPECT_TRUE(run.WaitForItemText(0, ItemTextFor(5, 2)));
  EXPECT_TRUE(run.WaitForItemText(1, ItemTextFor(6, 0)));
  EXPECT_TRUE(run.WaitForItemText(2, ItemTextFor(7, 1)));
  EXPECT_EQ(run.ItemImage(0), 0);
  EXPECT_EQ(run.ItemImage(1), 1);
  EXPECT_EQ(run.ActionButtons(), "enabled");  // state 0 is known: not calibrated

  run.Select(2);
  EXPECT_EQ(run.window().selected(), 2);
  const HANDLE second = list.handle(1);
  const HANDLE third = list.handle(2);

  ClearRemovedIndexes();
  screens[0]->Remove();
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return list.count() == 2u && run.ItemCount() == 2; }));
  run.dialog().Sync();
  EXPECT_EQ(list.handle(0), second);
  EXPECT_EQ(list.handle(1), third);
  EXPECT_EQ(list.device(2), nullptr);
  EXPECT_EQ(list.mapping(0).deviceHandle, reinterpret_cast<std::intptr_t>(second));
  EXPECT_EQ(list.mapping(1).deviceHandle, reinterpret_cast<std::intptr_t>(third));
  EXPECT_EQ(list.mapping(2).deviceHandle, 0);
  EXPECT_EQ(list.mapping(2).monitorNo, -1);
  EXPECT_EQ(run.ItemText(0), ItemTextFor(6, 0));
  EXPECT_EQ(run.ItemText(1), ItemTextFor(7, 1));
  EXPECT_EQ(run.SelectedItem(), 0);  // the refresh selects item 0
  EXPECT_EQ(run.window().selected(), 0);
  run.dialog().Sync();
  ASSERT_EQ(RemovedIndexes().size(), 1u);
  EXPECT_EQ(RemovedIndexes()[0], 0);

  // A removal query closes the handle and is granted; the touch screen stays listed, and a
  // later removal event for its old handle finds nothing.
  EXPECT_EQ(run.DeviceEvent(DBT_DEVICEQUERYREMOVE, third), TRUE);
  EXPECT_EQ(list.device(1)->open, 0);
  EXPECT_EQ(list.handle(1), INVALID_HANDLE_VALUE);
  EXPECT_EQ(run.DeviceEvent(DBT_DEVICEREMOVECOMPLETE, third), TRUE);
  EXPECT_EQ(list.count(), 2u);
  EXPECT_EQ(run.ItemCount(), 2);
  // Other device events are left alone.
  EXPECT_EQ(run.DeviceEvent(DBT_DEVICEARRIVAL, second), 0);

  // Help without a manual beside the program: the message of key "73" under the caption of
  // key "70" (the keys themselves: there is no language file beside the test). With one, the
  // shell is asked to open it; with no PDF viewer, the message of key "74".
  EXPECT_EQ(PressHelp(run), L"73");
  {
    NoPdfViewer noViewer;
    const std::wstring manual = GetModuleDir() + L"\\UserManual.pdf";
    ASSERT_TRUE(WritePdf(manual));
    const std::wstring text = PressHelp(run);
    ::DeleteFileW(manual.c_str());
    EXPECT_EQ(text, L"74");
  }

  // Enter on the focused Exit button presses it: the window ends with IDOK.
  run.dialog().SetFocus(IDOK);
  run.dialog().PressKey(VK_RETURN);
  ASSERT_TRUE(run.dialog().WaitForEnd());
  EXPECT_EQ(run.dialog().result(), IDOK);
  EXPECT_FALSE(run.quitPosted());
}

}  // namespace
