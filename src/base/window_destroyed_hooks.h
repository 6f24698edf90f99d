#pragma once
// Hooks run for every window of the window layer as it is destroyed (WM_NCDESTROY), so a lower
// service that keeps something for a window (the device client's queued replies) lets go of it
// without each window having to remember. The window layer runs them; services add them.
#include <windows.h>

using WindowDestroyedHook = void (*)(HWND window);

// Adds a hook once (adding the same hook again does nothing).
void AddWindowDestroyedHook(WindowDestroyedHook hook);
// Runs every hook for `window`, on the window's own thread.
void RunWindowDestroyedHooks(HWND window);
