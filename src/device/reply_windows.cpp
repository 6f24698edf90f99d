#include "device/reply_windows.h"

#include <map>
#include <mutex>

#include "base/core/user_messages.h"

namespace reply_windows {
namespace {

struct WindowState {
  std::uint64_t generation = 1;
  bool ended = false;
};

std::mutex g_mutex;
std::map<HWND, WindowState> g_windows;

// Every message that carries a reply record in lParam.
constexpr UINT kReplyMessages[] = {UM_REPLY_VV,     UM_REPLY_VS,      UM_REPLY_ZV,
                                   UM_REPLY_ZG,     UM_TOUCH_POINT,   UM_REPLY_O,
                                   UM_REPLY_UPDATE, UM_REPLY_V1_READ, UM_REPLY_V1_WRITE};

}  // namespace

bool IsReplyMessage(UINT message) {
  for (UINT reply : kReplyMessages)
    if (reply == message) return true;
  return false;
}

void Open(HWND window) {
  if (!window) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  g_windows[window].ended = false;
}

std::uint64_t Join(HWND window) {
  if (!window) return 0;
  std::lock_guard<std::mutex> lock(g_mutex);
  const WindowState& state = g_windows[window];
  return state.ended ? 0 : state.generation;
}

bool Live(HWND window, std::uint64_t ticket) {
  if (!window) return true;  // a reader without a window is ended by the stop flag only
  std::lock_guard<std::mutex> lock(g_mutex);
  const auto found = g_windows.find(window);
  return found != g_windows.end() && !found->second.ended && found->second.generation == ticket;
}

bool Post(HWND window, std::uint64_t ticket, UINT message, std::unique_ptr<DeviceReport>& reply) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const auto found = g_windows.find(window);
  if (found == g_windows.end() || found->second.ended || found->second.generation != ticket)
    return false;
  if (!PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(reply.get()))) return false;
  reply.release();  // the window owns it now
  return true;
}

void End(HWND window) {
  if (!window) return;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto found = g_windows.find(window);
    if (found == g_windows.end()) return;  // it never asked for replies
    found->second.ended = true;
    ++found->second.generation;
  }
  // No reader posts to it any more: what is queued now is all there is.
  // PeekMessage hands out WM_QUIT whatever the filter: it belongs to the message loop, and
  // goes back once the queue holds no reply for the window.
  bool quit = false;
  int exitCode = 0;
  for (UINT message : kReplyMessages) {
    MSG msg;
    while (PeekMessageW(&msg, window, message, message, PM_REMOVE | PM_NOYIELD)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        exitCode = static_cast<int>(msg.wParam);
        continue;
      }
      delete reinterpret_cast<DeviceReport*>(msg.lParam);
    }
  }
  if (quit) PostQuitMessage(exitCode);
}

}  // namespace reply_windows
