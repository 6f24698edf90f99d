// The main window after start-up against two simulated touch screens and our PelnixLib.dll:
// the list from the driver records, the buttons, the identity replies, and the removal of
// touch screens as the system reports it, down to the last one, which ends the program.
#include "windows/ui_main_window_harness.h"

#include <dbt.h>

#include "base/timer_resolution.h"

using namespace main_window_test;

namespace {

// The rows at the top of a list picture that are all its key colour: transparent in the list.
int TransparentTopRows(int bitmapId, COLORREF key) {
  HBITMAP bitmap = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapId));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 72;
  info.bmiHeader.biHeight = -58;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<std::uint32_t> pixels(72 * 58);
  HDC dc = ::GetDC(nullptr);
  ::GetDIBits(dc, bitmap, 0, 58, pixels.data(), &info, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, dc);
  ::DeleteObject(bitmap);
  const std::uint32_t keyPixel = (GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key);
  int rows = 0;
  for (; rows < 58; ++rows)
    for (int x = 0; x < 72; ++x)
      if ((pixels[rows * 72 + x] & 0xFFFFFF) != keyPixel) return rows;
  return rows;
}

RECT ItemRect(HWND list, int item, int code) {
  RECT rect{code};
  ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect));
  return rect;
}

TEST(MainWindow, StartUpListsBothScreensAndFollowsTheirRemoval) {
  // Screen 0 is calibrated on monitor 1; screen 1's calibrated state is neither 0 nor 1.
  auto screens = Prepare({{0, 1, 1}, {1, 0, 2}});
  TouchScreenList& list = TestDevices().list();
  const int notificationsBefore = SimulatedHid().registeredNotifications();

  MainWindowRun run;
  ASSERT_TRUE(run.dialog().IsOpen());
  // Before the list is ready only About, Help and Exit can be used.
  EXPECT_TRUE(run.dialog().Enabled(IDC_ABOUT));
  EXPECT_TRUE(run.dialog().Enabled(IDC_HELP_MANUAL));
  EXPECT_TRUE(run.dialog().Enabled(IDOK));

  ASSERT_TRUE(run.WaitForListReady());
  // The start-up query held a 1 ms timer resolution and gave it back as it ended.
  EXPECT_GE(FineTimerRaisesMade(), 1);
  EXPECT_TRUE(ModalDialogThread::WaitUntil([] { return FineTimerRaisesHeld() == 0; }));
  EXPECT_EQ(SimulatedHid().registeredNotifications(), notificationsBefore + 2);
  ASSERT_EQ(run.ItemCount(), 2);
  EXPECT_TRUE(run.WaitForItemText(0, ItemTextFor(0, 1))) << std::string(run.ItemText(0).begin(), run.ItemText(0).end());
  EXPECT_TRUE(run.WaitForItemText(1, ItemTextFor(1, 0))) << std::string(run.ItemText(1).begin(), run.ItemText(1).end());
  EXPECT_EQ(run.ItemImage(0), 1);  // calibrated
  // Each item shows whole although it is taller than the list: only the pictures'
  // transparent top rows go out of sight, and the texts end inside the list.
  const int transparentRows = std::min(TransparentTopRows(IDB_CALIBRATED, RGB(0, 0, 0)),
                                       TransparentTopRows(IDB_UNCALIBRATED, RGB(255, 0, 255)));
  RECT client{};
  ::GetClientRect(run.List(), &client);
  for (int item = 0; item < 2; ++item) {
    EXPECT_LE(-ItemRect(run.List(), item, LVIR_ICON).top, transparentRows) << item;
    EXPECT_LE(ItemRect(run.List(), item, LVIR_LABEL).bottom, client.bottom) << item;
  }
  EXPECT_EQ(run.ItemImage(1), 0);
  EXPECT_EQ(run.SelectedItem(), 0);
  EXPECT_EQ(run.window().selected(), 0);
  EXPECT_EQ(run.ActionButtons(), "enabled");
  EXPECT_FALSE(run.dialog().Enabled(IDC_DIAGNOSTICS));

  // The identity replies: "vv" 2, 0, 0, 15, 1, 0 counts in 324; "vs" leaves 0, 0, 65535.
  for (int i = 0; i < 2; ++i) {
    TouchScreenDevice* device = list.device(i);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->HwVersion[0].load(), 648);
    EXPECT_EQ(device->HwVersion[1].load(), 15);
    EXPECT_EQ(device->HwVersion[2].load(), 324);
    EXPECT_EQ(device->SerialNo0.load(), 0);
    EXPECT_EQ(device->SerialNo1.load(), 0);
    EXPECT_EQ(device->SerialNo2.load(), 65535);
    EXPECT_EQ(device->TouchScreenNo.load(), i);
  }
  // The mapping rows of both touch screens, from their "v1" replies and records.
  EXPECT_EQ(list.mapping(0).monitorNo, 1);
  EXPECT_EQ(list.mapping(1).touchScreenNo, 1);

  // Selecting the screen whose state is unknown disables all four; Diagnostics stays off.
  run.Select(1);
  EXPECT_EQ(run.window().selected(), 1);
  EXPECT_EQ(run.ActionButtons(), "disabled");
  EXPECT_FALSE(run.dialog().Enabled(IDC_DIAGNOSTICS));
  run.Select(0);
  EXPECT_EQ(run.ActionButtons(), "enabled");

  // Escape never closes the main window.
  run.dialog().SetFocus(IDC_ABOUT);
  run.dialog().PressKey(VK_ESCAPE);
  run.dialog().Sync();
  ::Sleep(100);
  run.dialog().Sync();
  EXPECT_TRUE(run.dialog().IsOpen());

  // A removal for a handle nobody holds changes nothing.
  ClearRemovedIndexes();
  EXPECT_EQ(run.DeviceEvent(DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<HANDLE>(0x4321)), TRUE);
  EXPECT_EQ(list.count(), 2u);
  EXPECT_EQ(run.ItemCount(), 2);
  EXPECT_EQ(run.SelectedItem(), 0);
  EXPECT_TRUE(RemovedIndexes().empty());

  // The selected one goes: the selection is cleared, and the refresh selects item 0 again,
  // now the screen that moved down from slot 1 (whose state disables the buttons).
  const HANDLE second = list.handle(1);
  screens[0]->Remove();
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return list.count() == 1u; }));
  run.dialog().Sync();
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return run.ItemCount() == 1; }));
  EXPECT_EQ(list.handle(0), second);
  EXPECT_EQ(run.ItemText(0), ItemTextFor(1, 0));
  EXPECT_EQ(run.SelectedItem(), 0);
  EXPECT_EQ(run.window().selected(), 0);
  EXPECT_EQ(run.ActionButtons(), "disabled");
  // The broadcast is a message posted to the listener window: it is waited for.
  ASSERT_TRUE(ModalDialogThread::WaitUntil([] { return RemovedIndexes().size() == 1u; }));
  EXPECT_EQ(RemovedIndexes()[0], 0);
  // Its removal notification is released.
  EXPECT_TRUE(ModalDialogThread::WaitUntil(
      [&] { return SimulatedHid().registeredNotifications() == notificationsBefore + 1; }));
  EXPECT_TRUE(run.dialog().IsOpen());

  // The last one goes: the program ends. The list's images belong to the window object,
  // which destroys them once: the list view shares them and leaves them alone.
  const auto images = reinterpret_cast<HIMAGELIST>(::SendMessageW(run.List(), LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
  screens[1]->Remove();
  ASSERT_TRUE(run.dialog().WaitForEnd());
  EXPECT_EQ(::ImageList_GetImageCount(images), 2);
  EXPECT_TRUE(run.quitPosted());
  EXPECT_EQ(list.count(), 0u);
  ASSERT_EQ(RemovedIndexes().size(), 2u);
  EXPECT_EQ(RemovedIndexes()[1], 0);
}

}  // namespace
