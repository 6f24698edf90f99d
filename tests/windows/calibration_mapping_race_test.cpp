// The mapping window's end and a removal crossing: the mapping has ended (its last monitor
// posted UM_MAPPING_END, and the main window waits for the save it will ask for) when a touch
// screen goes before the mapping window closes. It will not ask for the save now: the main
// window must be usable again, its buttons included, rather than wait for a save for good.
#include "windows/ui_main_window_harness.h"

#include <string>

#include "base/core/user_messages.h"
#include "simulator/simulated_monitors.h"

using namespace main_window_test;

namespace {

HWND VisibleWindowWithText(DWORD thread, const wchar_t* text) {
  struct Search {
    const wchar_t* text;
    HWND found;
  } search{text, nullptr};
  ::EnumThreadWindows(thread, [](HWND window, LPARAM data) -> BOOL {
    auto& s = *reinterpret_cast<Search*>(data);
    if (!::IsWindowVisible(window) || !::FindWindowExW(window, nullptr, L"Static", s.text)) return TRUE;
    s.found = window;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST(MappingRace, ARemovalAfterTheMappingEndedFreesTheWindowThatWaitedForItsSave) {
  auto screens = Prepare({{3, 0, 1}, {4, 0, 1}});
  SimulatedMonitors().SetLayout({RECT{0, 0, 800, 600}, RECT{800, 0, 1600, 600}});
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  const HWND main = run.dialog().window();
  const DWORD thread = ::GetWindowThreadProcessId(main, nullptr);
  run.dialog().Click(IDC_MAPPING);
  HWND mapping = nullptr;
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return (mapping = TopmostWindowOf(thread)) != nullptr; }));

  // The mapping's end reaches the main window first ...
  ::PostMessageW(main, UM_MAPPING_END, 0, 0);
  run.dialog().Sync();
  EXPECT_FALSE(::IsWindowEnabled(main));
  // ... then a touch screen goes while the mapping window is still open.
  screens[1]->Remove();
  HWND box = nullptr;
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] {
    return (box = VisibleWindowWithText(thread, L"The device you have selected has been removed!")) != nullptr;
  }));
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return !::IsWindow(mapping) && ::IsWindowEnabled(main); }));

  // Nothing waits for a save any more: Mapping opens a mapping window again.
  run.dialog().Sync();
  run.dialog().Click(IDC_MAPPING);
  HWND again = nullptr;
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return (again = TopmostWindowOf(thread)) != nullptr; }));
  if (again) ::PostMessageW(again, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return ::IsWindowEnabled(main); }));
  SimulatedMonitors().SetLayout({});
}

}  // namespace
