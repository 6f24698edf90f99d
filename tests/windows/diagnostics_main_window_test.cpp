// The diagnostics dialog as the main window holds it: its button stays disabled, yet its
// command opens the dialog for the selected touch screen, whose run shows that touch screen's
// bad LEDs; unplugging that touch screen ends the dialog with result 1.
#include "windows/ui_main_window_harness.h"

using namespace main_window_test;

namespace {

// The diagnostics dialog, a window of the main window's thread other than the main window.
HWND FindDiagnosis(HWND main) {
  struct Search { HWND main, found; } search{main, nullptr};
  EnumThreadWindows(GetWindowThreadProcessId(main, nullptr), [](HWND w, LPARAM lp) -> BOOL {
    auto* s = reinterpret_cast<Search*>(lp);
    if (w == s->main || !IsWindowVisible(w) || GetWindow(w, GW_OWNER) != s->main) return TRUE;
    s->found = w;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int ListCount(HWND dialog) {
  return static_cast<int>(SendMessageW(GetDlgItem(dialog, 1018), LB_GETCOUNT, 0, 0));
}

TEST(DiagnosticsFromMainWindow, OpensForTheSelectedTouchScreenAndEndsWhenItIsUnplugged) {
  auto screens = Prepare({{3, 0, 1}, {4, 1, 0}});
  screens[1]->Configure([](sim::TouchScreenConfig& c) { c.leds.badLeds = {3, 45}; });
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  ASSERT_TRUE(run.WaitForItemText(1, ItemTextFor(4, 1)));
  run.Select(1);
  ASSERT_EQ(run.window().selected(), 1);
  EXPECT_FALSE(run.dialog().Enabled(IDC_DIAGNOSTICS));

  const HWND main = run.dialog().window();
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_DIAGNOSTICS, BN_CLICKED), 0);
  HWND dialog = nullptr;
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return (dialog = FindDiagnosis(main)) != nullptr; }));
  EXPECT_EQ(run.dialog().Text(dialog), L"No.4 58");
  EXPECT_FALSE(IsWindowEnabled(main));  // modal over the main window

  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1063, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1063)));
  ASSERT_TRUE(ModalDialogThread::WaitUntil([&] { return ListCount(dialog) == 12 + 70; }, 10000));
  wchar_t line[128] = {};
  SendMessageW(GetDlgItem(dialog, 1018), LB_GETTEXT, 14, reinterpret_cast<LPARAM>(line));
  EXPECT_EQ(std::wstring(line).substr(0, 9), L"      004");
  EXPECT_NE(std::wstring(line).find(L"Bad"), std::wstring::npos);
  SendMessageW(GetDlgItem(dialog, 1018), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
  EXPECT_EQ(std::wstring(line), L"TouchScreen No:4");

  screens[1]->Remove();
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return !IsWindow(dialog); }));
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
  EXPECT_TRUE(run.dialog().IsOpen());
  EXPECT_FALSE(run.dialog().Enabled(IDC_DIAGNOSTICS));
  run.dialog().Click(IDOK);
  ASSERT_TRUE(run.dialog().WaitForEnd());
}

}  // namespace
