// Hook.dll as the program loads it from its folder: started on a window, synthetic mouse
// input reaches that window as the three registered messages; stopped, nothing more comes.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "base/core/user_messages.h"
#include "support/process_runner.h"
#include "calibration/mouse_hook.h"

namespace {

struct Registered {
  UINT down = ::RegisterWindowMessageW(kMouseDownMessageName);
  UINT up = ::RegisterWindowMessageW(kMouseUpMessageName);
  UINT move = ::RegisterWindowMessageW(kMouseMoveMessageName);
};

// A message-only window: the synthetic clicks land on no window of ours (a click on a
// window's caption would start a modal move loop).
struct Receiver {
  HWND m_hWnd = ::CreateWindowExW(0, L"STATIC", L"receiver", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ~Receiver() { ::DestroyWindow(m_hWnd); }
};

void SendMouse(DWORD flags, int dx = 0, int dy = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = flags;
  ::SendInput(1, &input, sizeof(input));
}

// The registered messages that reach `window` within `ms` milliseconds.
std::set<UINT> Collect(HWND window, const Registered& ids, DWORD ms, size_t enough = 3) {
  std::set<UINT> seen;
  const ULONGLONG end = ::GetTickCount64() + ms;
  MSG msg;
  while (::GetTickCount64() < end && seen.size() < enough) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.hwnd == window && (msg.message == ids.down || msg.message == ids.up || msg.message == ids.move))
        seen.insert(msg.message);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return seen;
}

// The input comes from another thread: the hook runs on the thread that started it, which
// must be free to pump messages while the input is delivered.
std::thread MoveClickRelease() {
  return std::thread([] {
    SendMouse(MOUSEEVENTF_MOVE, 5, 5);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
  });
}

TEST(HookLibrary, ExportsBothFunctionsByName) {
  MouseHookLibrary library(DistPath(L"Hook.dll"));
  EXPECT_TRUE(library.IsLoaded());
}

TEST(HookLibrary, PostsTheThreeMessagesUntilStopped) {
  MouseHookLibrary library(DistPath(L"Hook.dll"));
  ASSERT_TRUE(library.IsLoaded());
  Receiver window;
  const Registered ids;

  library.Start(window.m_hWnd);
  std::thread input = MoveClickRelease();
  const std::set<UINT> seen = Collect(window.m_hWnd, ids, 3000);
  input.join();
  EXPECT_TRUE(seen.count(ids.move)) << "mouse move";
  EXPECT_TRUE(seen.count(ids.down)) << "left button down";
  EXPECT_TRUE(seen.count(ids.up)) << "left button up";

  library.Stop(window.m_hWnd);
  input = MoveClickRelease();
  EXPECT_TRUE(Collect(window.m_hWnd, ids, 300).empty());
  input.join();

  // Stopping again, and stopping a hook that serves nobody, does no harm.
  library.Stop(window.m_hWnd);
  library.Stop(nullptr);
}

TEST(HookLibrary, StartingAgainMovesTheMessagesToTheNewWindow) {
  MouseHookLibrary library(DistPath(L"Hook.dll"));
  ASSERT_TRUE(library.IsLoaded());
  Receiver first;
  Receiver second;
  const Registered ids;
  library.Start(first.m_hWnd);
  library.Start(second.m_hWnd);
  // Another window's stop leaves the hook running.
  library.Stop(first.m_hWnd);
  std::thread input([] { SendMouse(MOUSEEVENTF_MOVE, 3, 0); });
  EXPECT_TRUE(Collect(second.m_hWnd, ids, 3000, 1).count(ids.move));
  input.join();
  library.Stop(second.m_hWnd);
}

TEST(HookLibrary, MissingLibraryMakesBothCallsDoNothing) {
  MouseHookLibrary library(L"C:\\pelnix-nowhere\\Hook.dll");
  EXPECT_FALSE(library.IsLoaded());
  Receiver window;
  library.Start(window.m_hWnd);
  library.Stop(window.m_hWnd);
  // The program's own calls: the test's folder has no Hook.dll.
  StartMouseHook(window.m_hWnd);
  StopMouseHook(window.m_hWnd);
}

}  // namespace
