// The demo build end to end: its start-up finds the two simulated touch screens, starts the
// device thread, and the main window's identity query through it lists both.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

namespace {

std::wstring DemoDir() {
  const wchar_t* dir = _wgetenv(L"PELNIX_DEMO_DIR");
  return dir ? dir : L"";
}

HWND FindMainWindow(DWORD process) {
  struct Search {
    DWORD process;
    HWND found;
  } search{process, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t title[128] = {};
        GetWindowTextW(window, title, 128);
        if (owner == s->process && std::wstring(title) == L"TouchScreen Control Panel") {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST(DeviceDemoTest, StartUpListsBothSimulatedTouchScreens) {
  ASSERT_FALSE(DemoDir().empty());
  std::wstring exe = DemoDir() + L"\\PelnixCpl.exe";
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             DemoDir().c_str(), &startup, &process));
  HWND main = nullptr;
  LRESULT items = 0;
  const ULONGLONG start = GetTickCount64();
  while (GetTickCount64() - start < 20000) {
    if (!main) main = FindMainWindow(process.dwProcessId);
    if (main) {
      items = SendMessageW(GetDlgItem(main, 1064), LVM_GETITEMCOUNT, 0, 0);
      if (items == 2) break;
    }
    if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
  }
  EXPECT_NE(main, nullptr) << "no main window: start-up found no touch screen or did not start";
  EXPECT_EQ(items, 2);
  if (main) PostMessageW(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace
