#include "device/monitor_system.h"

namespace {

class Win32MonitorSystem final : public MonitorSystem {
public:
  std::vector<RECT> Monitors() override {
    std::vector<RECT> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
  }

private:
  static BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    // A monitor whose information cannot be had is left out; the others keep their order.
    if (::GetMonitorInfoW(monitor, &info)) reinterpret_cast<std::vector<RECT>*>(data)->push_back(info.rcMonitor);
    return TRUE;
  }
};

}  // namespace

MonitorSystem& SystemMonitors() {
  static Win32MonitorSystem system;
  return system;
}
