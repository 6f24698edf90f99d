#include "device/monitor_system.h"

#include <setupapi.h>

#include <vector>

#include "base/scoped_handle.h"
#include "base/system_failure.h"
#include "framework/gdi.h"

namespace {

// The monitor device interface class.
constexpr GUID kMonitorInterfaceClass = {0xE6F07B5F, 0xEE97, 0x4A90, {0xB0, 0x76, 0x33, 0xF5, 0x7B, 0xF4, 0xEA, 0xA7}};

// The EDID stored under the device key of the monitor with that interface path.
MonitorMillimetres EdidOfInterface(const wchar_t* path) {
  HDEVINFO set = ::SetupDiGetClassDevsW(&kMonitorInterfaceClass, nullptr, nullptr, DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return {};
  MonitorMillimetres size;
  SP_DEVICE_INTERFACE_DATA interfaceData{};
  interfaceData.cbSize = sizeof(interfaceData);
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof(device);
  if (::SetupDiOpenDeviceInterfaceW(set, path, 0, &interfaceData) &&
      (::SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, nullptr, &device) ||
       ::GetLastError() == ERROR_INSUFFICIENT_BUFFER)) {
    const HKEY opened = ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (opened != INVALID_HANDLE_VALUE) {
      const ScopedRegKey key(opened);
      std::vector<BYTE> edid(256);
      DWORD bytes = static_cast<DWORD>(edid.size());
      if (::RegQueryValueExW(key.get(), L"EDID", nullptr, nullptr, edid.data(), &bytes) == ERROR_SUCCESS)
        size = EdidSize(edid.data(), bytes);
    }
  }
  ::SetupDiDestroyDeviceInfoList(set);
  return size;
}

MonitorMillimetres EdidOfDisplay(const wchar_t* displayName) {
  DISPLAY_DEVICEW monitor{};
  monitor.cb = sizeof(monitor);
  for (DWORD i = 0; ::EnumDisplayDevicesW(displayName, i, &monitor, EDD_GET_DEVICE_INTERFACE_NAME); ++i) {
    if (monitor.StateFlags & DISPLAY_DEVICE_ACTIVE) {
      const MonitorMillimetres size = EdidOfInterface(monitor.DeviceID);
      if (size.width > 0 && size.height > 0) return size;
    }
    monitor.cb = sizeof(monitor);
  }
  return {};
}

MonitorMillimetres DeviceCapsOfDisplay(const wchar_t* displayName) {
  const ScopedDisplayDC dc(::CreateDCW(L"DISPLAY", displayName, nullptr, nullptr));
  if (!dc) return {};
  return MonitorMillimetres{::GetDeviceCaps(dc.get(), HORZSIZE), ::GetDeviceCaps(dc.get(), VERTSIZE)};
}

class Win32MonitorSystem final : public MonitorSystem {
public:
  std::vector<RECT> Monitors() override {
    std::vector<RECT> monitors;
    if (!::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors)))
      RecordSystemFailure(L"EnumDisplayMonitors");
    return monitors;
  }

  MonitorMillimetres PhysicalSize(const RECT& area) override {
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = ::MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST);
    if (!monitor || !::GetMonitorInfoW(monitor, &info)) return {};
    // The EDID is the monitor's own word; the device caps are often derived from the DPI.
    const MonitorMillimetres edid = EdidOfDisplay(info.szDevice);
    if (edid.width > 0 && edid.height > 0) return edid;
    return DeviceCapsOfDisplay(info.szDevice);
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
