// Hook.dll: watches the mouse anywhere on the desktop with a low-level mouse hook and posts
// the three registered mouse messages to one window. The hook runs on the thread that starts
// it, which must pump messages (a window's thread does).
#include <windows.h>

#include <atomic>
#include <mutex>

#include "base/core/user_messages.h"

namespace {

HINSTANCE g_hModule = nullptr;

// The window the messages go to; read by the hook procedure, written by Start and Stop.
std::atomic<HWND> g_hTarget{nullptr};
std::atomic<UINT> g_nDownMessage{0};
std::atomic<UINT> g_nUpMessage{0};
std::atomic<UINT> g_nMoveMessage{0};

std::mutex g_hookMutex;  // guards g_hHook
HHOOK g_hHook = nullptr;

UINT MessageFor(WPARAM mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONDOWN: return g_nDownMessage.load();
    case WM_LBUTTONUP: return g_nUpMessage.load();
    case WM_MOUSEMOVE: return g_nMoveMessage.load();
    default: return 0;
  }
}

LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION) {
    const UINT message = MessageFor(wp);
    HWND target = g_hTarget.load();
    if (message && target) {
      // Posted, never sent: the receiver takes them from its queue before dispatch. The
      // screen point travels along, packed like a mouse message's, for whoever wants it.
      const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lp);
      ::PostMessageW(target, message, 0, MAKELPARAM(info->pt.x, info->pt.y));
    }
  }
  // The clicks of the drawing still reach the windows under the cursor.
  return ::CallNextHookEx(nullptr, code, wp, lp);
}

void RegisterMessages() {
  g_nDownMessage = ::RegisterWindowMessageW(kMouseDownMessageName);
  g_nUpMessage = ::RegisterWindowMessageW(kMouseUpMessageName);
  g_nMoveMessage = ::RegisterWindowMessageW(kMouseMoveMessageName);
}

}  // namespace

// From now on every left button press and release and every mouse move reaches `window` as
// the matching registered message. Starting again moves the messages to the new window.
extern "C" BOOL WINAPI StartMouseHook(HWND window) {
  if (!window) return FALSE;
  std::lock_guard lock(g_hookMutex);
  RegisterMessages();
  g_hTarget = window;
  if (!g_hHook) g_hHook = ::SetWindowsHookExW(WH_MOUSE_LL, &LowLevelMouseProc, g_hModule, 0);
  if (!g_hHook) g_hTarget = nullptr;
  return g_hHook != nullptr;
}

// No more messages reach `window`. Harmless when no hook runs or it serves another window;
// a null window stops the hook whichever window it serves.
extern "C" BOOL WINAPI StopMouseHook(HWND window) {
  std::lock_guard lock(g_hookMutex);
  HWND target = g_hTarget.load();
  if (window && target && window != target) return FALSE;
  g_hTarget = nullptr;
  if (g_hHook) {
    ::UnhookWindowsHookEx(g_hHook);
    g_hHook = nullptr;
  }
  return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_hModule = instance;
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
