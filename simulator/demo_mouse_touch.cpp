#include "simulator/demo_mouse_touch.h"

#include <algorithm>
#include <vector>

#include "simulator/simulated_touch_screen.h"

namespace {

SimulatedHidSystem* g_system = nullptr;

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

struct MonitorSearch {
  POINT point;
  int index = 0;
  int found = -1;
  RECT rect{};
};

BOOL CALLBACK FindMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto* search = reinterpret_cast<MonitorSearch*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(monitor, &info) && PtInRect(&info.rcMonitor, search->point)) {
    search->found = search->index;
    search->rect = info.rcMonitor;
    return FALSE;
  }
  ++search->index;
  return TRUE;
}

void TouchAt(POINT point) {
  MonitorSearch search{point};
  EnumDisplayMonitors(nullptr, nullptr, &FindMonitor, reinterpret_cast<LPARAM>(&search));
  if (search.found < 0) return;
  const RawPoint raw = DemoRawPoint(point, search.rect);
  // The touch screen lying on this monitor (by order) when it streams, else the first that does.
  std::vector<std::shared_ptr<SimulatedTouchScreen>> streaming;
  for (auto& s : g_system->screens()) {
    if (s->present() && s->streamOn()) streaming.push_back(s);
  }
  if (streaming.empty()) return;
  auto screens = g_system->screens();
  if (search.found < static_cast<int>(screens.size()) && screens[search.found]->streamOn()) {
    screens[search.found]->InjectTouch(raw.x, raw.y);
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
  const double w = std::max<LONG>(1, monitor.right - monitor.left);
  const double h = std::max<LONG>(1, monitor.bottom - monitor.top);
  const double u = (point.x - monitor.left) / w;
  const double v = (point.y - monitor.top) / h;
  // A frame mounted a little askew: offset, scaled and sheared on both axes.
  const double x = 180 + 3600 * u + 90 * v;
  const double y = 240 + 3500 * v - 60 * u + 40;
  return RawPoint{static_cast<std::uint16_t>(std::clamp(x, 0.0, 65535.0)),
                  static_cast<std::uint16_t>(std::clamp(y, 0.0, 65535.0))};
}

void StartDemoMouseTouch(SimulatedHidSystem& system) {
  if (g_system) return;
  g_system = &system;
  if (HANDLE thread = CreateThread(nullptr, 0, &HookThread, nullptr, 0, nullptr)) CloseHandle(thread);
}
