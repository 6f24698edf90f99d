// The main window with three simulated touch screens: removing the first moves the other two
// down with their mapping rows; a removal query closes a handle and is granted; Help reports a
// missing manual and a manual no program opens; Enter on a focused button presses that button.
#include "windows/ui_main_window_harness.h"

#include <dbt.h>

#include <algorithm>
#include <optional>

#include "base/app_paths.h"

using namespace main_window_test;

namespace {

// Wine hands PDF files to the host's browser: for as long as this lives, ".pdf" names a file
// type that no program opens, as on a computer without a PDF reader.
class NoPdfViewer {
public:
  NoPdfViewer() {
    ::RegCreateKeyExW(kRoot, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, &created_);
    wchar_t saved[256] = {};
    DWORD size = sizeof saved - sizeof(wchar_t);
    if (created_ == REG_OPENED_EXISTING_KEY &&
        ::RegQueryValueExW(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(saved), &size) == ERROR_SUCCESS)
      saved_ = saved;
    SetType(L"PelnixTest.NoViewer");
  }
  ~NoPdfViewer() {
    if (created_ == REG_CREATED_NEW_KEY) {
      ::RegCloseKey(key_);
      ::RegDeleteTreeW(kRoot, kKey);
      return;
    }
    if (saved_) SetType(saved_->c_str()); else ::RegDeleteValueW(key_, nullptr);
    ::RegCloseKey(key_);
  }
  NoPdfViewer(const NoPdfViewer&) = delete;
  NoPdfViewer& operator=(const NoPdfViewer&) = delete;

private:
  static inline const HKEY kRoot = HKEY_LOCAL_MACHINE;
  static constexpr const wchar_t* kKey = L"Software\\Classes\\.pdf";
  void SetType(const wchar_t* type) {
    ::RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(type),
                     static_cast<DWORD>((wcslen(type) + 1) * sizeof(wchar_t)));
  }
  HKEY key_ = nullptr;
  DWORD created_ = 0;
  std::optional<std::wstring> saved_;
};

// Presses Help and answers the message box it shows under the caption of key "70": returns
// the box's message key, or nothing when no box appeared.
std::wstring PressHelp(MainWindowRun& run) {
  ::PostMessageW(run.dialog().Item(IDC_HELP_MANUAL), BM_CLICK, 0, 0);
  HWND box = nullptr;
  std::wstring key;
  // The box counts once its text is there, so a box caught while it is being built is looked
  // at again.
  ModalDialogThread::WaitUntil([&] {
    box = nullptr;
    ::EnumWindows([](HWND window, LPARAM out) -> BOOL {
      wchar_t name[16] = {};
      ::GetClassNameW(window, name, 16);
      DWORD process = 0;
      ::GetWindowThreadProcessId(window, &process);
      if (process != ::GetCurrentProcessId() || std::wstring(name) != L"#32770" || !::IsWindowVisible(window))
        return TRUE;
      wchar_t caption[16] = {};
      ::GetWindowTextW(window, caption, 16);
      if (std::wstring(caption) != L"70") return TRUE;
      *reinterpret_cast<HWND*>(out) = window;
      return FALSE;
    }, reinterpret_cast<LPARAM>(&box));
    if (!box) return false;
    for (const std::wstring& text : ChildTexts(box))
      if (text == L"73" || text == L"74") key = text;
    return !key.empty();
  });
  if (!box) return L"";
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return !::IsWindow(box); }));
  return key;
}

TEST(MainWindowRemoval, FirstOfThreeMovesTheOthersDown) {
  auto screens = Prepare({{5, 2, 0}, {6, 0, 1}, {7, 1, 0}});
  TouchScreenList& list = GetTouchScreenList();
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
    HANDLE file = ::CreateFileW(manual.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const char pdf[] = "%PDF-1.4\n%%EOF\n";
    DWORD written = 0;
    ::WriteFile(file, pdf, sizeof pdf - 1, &written, nullptr);
    ::CloseHandle(file);
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
