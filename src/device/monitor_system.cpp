#include "device/monitor_system.h"

#include "base/system_failure.h"

namespace {

class Win32MonitorSystem final : public MonitorSystem {
public:
  std::vector<RECT> Monitors() override {
    std::vector<RECT> monitors;
    if (!::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors)))
      RecordSystemFailure(L"EnumDisplayMonitors");
    return monitors;
  }

private:
  static BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    // A monitor whose information cannot be had is left out; the others keep their order.
    if (::GetMonitorInfoW(monitor, &info))
      reinterpret_cast<std::vector<RECT>*>(data)->push_back(info.rcMonitor);
    else
      RecordSystemFailure(L"GetMonitorInfoW");
    return TRUE;
  }
};

}  // namespace

MonitorSystem& SystemMonitors() {
  static Win32MonitorSystem system;
  return system;
}
