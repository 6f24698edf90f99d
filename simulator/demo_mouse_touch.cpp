#include "simulator/demo_mouse_touch.h"

#include <vector>

#include "device/monitor_system.h"
#include "simulator/core/demo_frame.h"
#include "simulator/simulated_touch_screen.h"

namespace {

// Set once, before the hook's thread starts.
SimulatedHidSystem* g_pSystem = nullptr;
MonitorSystem* g_pMonitors = nullptr;

bool IsFullScreenWindowOfThisProcess(HWND window) {
  HWND root = GetAncestor(window, GA_ROOT);
  if (!root) return false;
  DWORD process = 0;
  GetWindowThreadProcessId(root, &process);
  if (process != GetCurrentProcessId()) return false;
  const LONG_PTR style = GetWindowLongPtrW(root, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrW(root, GWL_EXSTYLE);
  return (style & WS_CAPTION) != WS_CAPTION && (exStyle & WS_EX_TOPMOST);
}

// The monitor under the point, as the program sees monitors (the demo's layout when one is
// given): its row and rectangle; -1 when the point lies on none.
int FindMonitor(POINT point, RECT& rect) {
  const std::vector<RECT> monitors = g_pMonitors->Monitors();
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    if (PtInRect(&monitors[i], point)) {
      rect = monitors[i];
      return static_cast<int>(i);
    }
  }
  return -1;
}

void TouchAt(POINT point) {
  RECT monitor{};
  const int found = FindMonitor(point, monitor);
  if (found < 0) return;
  const RawPoint raw = DemoRawPoint(point, monitor);
  // The touch screen lying on this monitor (by order) when it streams, else the first that does.
  std::vector<std::shared_ptr<SimulatedTouchScreen>> streaming;
  for (auto& s : g_pSystem->screens()) {
    if (s->present() && s->streamOn()) streaming.push_back(s);
  }
  if (streaming.empty()) return;
  auto screens = g_pSystem->screens();
  if (found < static_cast<int>(screens.size()) && screens[found]->streamOn()) {
    screens[found]->InjectTouch(raw.x, raw.y);
  } else {
    streaming.front()->InjectTouch(raw.x, raw.y);
  }
}

LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM data) {
  if (code == HC_ACTION && message == WM_LBUTTONUP) {
    const POINT point = reinterpret_cast<MSLLHOOKSTRUCT*>(data)->pt;
    if (IsFullScreenWindowOfThisProcess(WindowFromPoint(point))) TouchAt(point);
  }
  return CallNextHookEx(nullptr, code, message, data);
}

DWORD WINAPI HookThread(void*) {
  HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, &MouseHook, GetModuleHandleW(nullptr), 0);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  if (hook) UnhookWindowsHookEx(hook);
  return 0;
}

}  // namespace

RawPoint DemoRawPoint(POINT point, const RECT& monitor) {
  const sim::FrameRawPoint raw =
      sim::DemoFrameRawPoint(point.x - monitor.left, point.y - monitor.top, monitor.right - monitor.left,
                             monitor.bottom - monitor.top, g_pMonitors->PhysicalSize(monitor));
  return RawPoint{raw.x, raw.y};
}

void StartDemoMouseTouch(SimulatedHidSystem& system, MonitorSystem& monitors) {
  if (g_pSystem) return;
  g_pSystem = &system;
  g_pMonitors = &monitors;
  if (HANDLE thread = CreateThread(nullptr, 0, &HookThread, nullptr, 0, nullptr)) CloseHandle(thread);
}
