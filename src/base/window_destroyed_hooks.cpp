#include "base/window_destroyed_hooks.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {
std::mutex g_mutex;
std::vector<WindowDestroyedHook> g_hooks;
}  // namespace

void AddWindowDestroyedHook(WindowDestroyedHook hook) {
  if (!hook) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (std::find(g_hooks.begin(), g_hooks.end(), hook) == g_hooks.end()) g_hooks.push_back(hook);
}

void RunWindowDestroyedHooks(HWND window) {
  std::vector<WindowDestroyedHook> hooks;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    hooks = g_hooks;
  }
  for (WindowDestroyedHook hook : hooks) hook(window);
}
