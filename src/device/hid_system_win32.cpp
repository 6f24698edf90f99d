// The Win32 backend of the HID seam: SETUPAPI, HID.DLL (from the system folder,
// device/hid_library.h) and the device handle itself.
#include "device/hid_system_win32.h"

#include <dbt.h>

#include <vector>

#include "device/hid_library.h"

namespace {

// The HID device interface class, the value HidD_GetHidGuid reports: a constant, so that the
// window is registered even when HID.DLL could not be loaded.
constexpr GUID kHidInterfaceClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

class Win32HidSystem final : public HidSystem {
public:
  bool BeginEnumeration() override {
    GUID hidGuid{};
    SystemHidLibrary().GetHidGuid(&hidGuid);
    m_hidGuid = hidGuid;
    m_hDevInfo = SetupDiGetClassDevsW(&m_hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    return m_hDevInfo != INVALID_HANDLE_VALUE;
  }

  HidEnumStatus EnumerateInterface(DWORD index, std::wstring& devicePath, DWORD* error) override {
    *error = 0;
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof(interfaceData);
    if (!SetupDiEnumDeviceInterfaces(m_hDevInfo, nullptr, &m_hidGuid, index, &interfaceData)) {
      *error = GetLastError();
      return *error == ERROR_NO_MORE_ITEMS ? HidEnumStatus::NoMoreItems : HidEnumStatus::Failed;
    }
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailW(m_hDevInfo, &interfaceData, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
      *error = GetLastError();
      return HidEnumStatus::Failed;
    }
    std::vector<BYTE> buffer(required);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    m_deviceInfo = SP_DEVINFO_DATA{};
    m_deviceInfo.cbSize = sizeof(m_deviceInfo);
    if (!SetupDiGetDeviceInterfaceDetailW(m_hDevInfo, &interfaceData, detail, required, nullptr,
                                          &m_deviceInfo)) {
      *error = GetLastError();
      return HidEnumStatus::Failed;
    }
    devicePath = detail->DevicePath;
    return HidEnumStatus::Found;
  }

  DWORD ReadPdoName(std::wstring& pdoName) override {
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyW(m_hDevInfo, &m_deviceInfo, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME,
                                      nullptr, nullptr, 0, &size);
    if (size == 0) return GetLastError() ? GetLastError() : ERROR_INVALID_DATA;
    std::vector<BYTE> buffer;
    try {
      buffer.resize(size + sizeof(wchar_t));
    } catch (...) {
      return ERROR_NOT_ENOUGH_MEMORY;
    }
    if (!SetupDiGetDeviceRegistryPropertyW(m_hDevInfo, &m_deviceInfo, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME,
                                           nullptr, buffer.data(), size, nullptr)) {
      return GetLastError();
    }
    // The stored string may lack its terminator; the extra zeroed character supplies one.
    pdoName = reinterpret_cast<const wchar_t*>(buffer.data());
    return 0;
  }

  void EndEnumeration() override {
    if (m_hDevInfo != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(m_hDevInfo);
    m_hDevInfo = INVALID_HANDLE_VALUE;
  }

  HANDLE Open(const std::wstring& devicePath, bool overlapped) override {
    return CreateFileW(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       overlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr);
  }
  BOOL Close(HANDLE device) override { return CloseHandle(device); }

  BOOLEAN GetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* data) override {
    return SystemHidLibrary().GetPreparsedData(device, data);
  }
  BOOLEAN FreePreparsedData(PHIDP_PREPARSED_DATA data) override {
    return SystemHidLibrary().FreePreparsedData(data);
  }
  BOOLEAN GetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes) override {
    attributes->Size = sizeof(HIDD_ATTRIBUTES);
    return SystemHidLibrary().GetAttributes(device, attributes);
  }
  NTSTATUS GetCaps(PHIDP_PREPARSED_DATA data, HIDP_CAPS* caps) override {
    return SystemHidLibrary().GetCaps(data, caps);
  }

  BOOLEAN SetNumInputBuffers(HANDLE device, ULONG count) override {
    return SystemHidLibrary().SetNumInputBuffers(device, count);
  }
  BOOLEAN SetOutputReport(HANDLE device, void* report, ULONG length) override {
    return SystemHidLibrary().SetOutputReport(device, report, length);
  }
  BOOLEAN SetFeature(HANDLE device, void* report, ULONG length) override {
    return SystemHidLibrary().SetFeature(device, report, length);
  }

  BOOL ReadFile(HANDLE device, void* buffer, DWORD length, OVERLAPPED* overlapped) override {
    return ::ReadFile(device, buffer, length, nullptr, overlapped);
  }
  BOOL GetOverlappedResult(HANDLE device, OVERLAPPED* overlapped, DWORD* transferred,
                           BOOL wait) override {
    return ::GetOverlappedResult(device, overlapped, transferred, wait);
  }
  BOOL CancelIoEx(HANDLE device, OVERLAPPED* overlapped) override {
    return ::CancelIoEx(device, overlapped);
  }

  HDEVNOTIFY RegisterHandleNotification(HWND window, HANDLE device) override {
    DEV_BROADCAST_HANDLE filter{};
    filter.dbch_size = sizeof filter;
    filter.dbch_devicetype = DBT_DEVTYP_HANDLE;
    filter.dbch_handle = device;
    return RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  }
  HDEVNOTIFY RegisterInterfaceNotification(HWND window) override {
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kHidInterfaceClass;
    return RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  }
  BOOL UnregisterNotification(HDEVNOTIFY notification) override {
    return UnregisterDeviceNotification(notification);
  }

private:
  GUID m_hidGuid{};
  HDEVINFO m_hDevInfo = INVALID_HANDLE_VALUE;
  SP_DEVINFO_DATA m_deviceInfo{};
};

}  // namespace

std::unique_ptr<HidSystem> MakeSystemHid() { return std::make_unique<Win32HidSystem>(); }
