#include "device_nodes.h"

#include <cwchar>
#include <cwctype>

extern "C" {
#include <hidsdi.h>
}
#include <newdev.h>
#include <setupapi.h>

namespace vts {

namespace {

// The System device class ({4d36e97d-e325-11ce-bfc1-08002be10318}), defined here: mingw-w64
// declares it without a library that holds it.
const GUID kSystemClass = {0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
constexpr wchar_t kInstancePrefix[] = L"ROOT\\PELNIXVTS\\";

std::wstring Failure(const wchar_t* step) {
  const DWORD error = GetLastError();
  return std::wstring(step) + L" failed: " + SystemMessage(error);
}

// The slot of a HID interface path of this driver ("\\?\hid#pelnixvts#0003#{...}").
bool SlotOfPath(const std::wstring& path, unsigned& slot) {
  std::wstring lower = path;
  for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  const auto at = lower.find(L"#pelnixvts#");
  if (at == std::wstring::npos) return false;
  slot = static_cast<unsigned>(std::wcstoul(lower.c_str() + at + 11, nullptr, 10));
  return true;
}

class DeviceSet {
public:
  explicit DeviceSet(HDEVINFO set) : m_hDevInfo(set) {}
  ~DeviceSet() {
    if (m_hDevInfo != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(m_hDevInfo);
  }
  DeviceSet(const DeviceSet&) = delete;
  DeviceSet& operator=(const DeviceSet&) = delete;
  HDEVINFO get() const { return m_hDevInfo; }
  bool valid() const { return m_hDevInfo != INVALID_HANDLE_VALUE; }

private:
  HDEVINFO m_hDevInfo;
};

bool SetDword(HKEY key, const wchar_t* name, DWORD value) {
  return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof(value)) == ERROR_SUCCESS;
}

// Installs the driver of `inf` on this one instance, as the device manager would.
bool InstallDriver(HDEVINFO set, SP_DEVINFO_DATA& node, const std::wstring& inf, std::wstring& error) {
  SP_DEVINSTALL_PARAMS_W params{};
  params.cbSize = sizeof(params);
  if (!SetupDiGetDeviceInstallParamsW(set, &node, &params)) return error = Failure(L"SetupDiGetDeviceInstallParams"), false;
  params.Flags |= DI_ENUMSINGLEINF;
  wcsncpy(params.DriverPath, inf.c_str(), MAX_PATH - 1);
  if (!SetupDiSetDeviceInstallParamsW(set, &node, &params)) return error = Failure(L"SetupDiSetDeviceInstallParams"), false;
  if (!SetupDiBuildDriverInfoList(set, &node, SPDIT_COMPATDRIVER)) return error = Failure(L"SetupDiBuildDriverInfoList"), false;
  if (!SetupDiCallClassInstaller(DIF_SELECTBESTCOMPATDRV, set, &node)) return error = Failure(L"DIF_SELECTBESTCOMPATDRV"), false;
  if (!SetupDiCallClassInstaller(DIF_INSTALLDEVICE, set, &node)) return error = Failure(L"DIF_INSTALLDEVICE"), false;
  return true;
}

}  // namespace

std::wstring SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = text ? text : L"";
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
    message.pop_back();
  return L"error " + std::to_wstring(error) + (message.empty() ? L"" : L" (" + message + L")");
}

std::wstring InstanceId(unsigned slot) {
  wchar_t id[64];
  std::swprintf(id, 64, L"%ls%04u", kInstancePrefix, slot);
  return id;
}

bool AddNode(const NodeIdentity& identity, const std::wstring& inf, std::wstring& error) {
  DeviceSet set(SetupDiCreateDeviceInfoList(&kSystemClass, nullptr));
  if (!set.valid()) return error = Failure(L"SetupDiCreateDeviceInfoList"), false;
  SP_DEVINFO_DATA node{};
  node.cbSize = sizeof(node);
  const std::wstring id = InstanceId(identity.slot);
  if (!SetupDiCreateDeviceInfoW(set.get(), id.c_str(), &kSystemClass, nullptr, nullptr, 0, &node))
    return error = Failure(L"SetupDiCreateDeviceInfo"), false;
  static const wchar_t hardwareIds[] = L"root\\PELNIXVTS\0";
  if (!SetupDiSetDeviceRegistryPropertyW(set.get(), &node, SPDRP_HARDWAREID,
                                         reinterpret_cast<const BYTE*>(hardwareIds), sizeof(hardwareIds)))
    return error = Failure(L"SPDRP_HARDWAREID"), false;
  if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.get(), &node))
    return error = Failure(L"DIF_REGISTERDEVICE"), false;
  HKEY key = SetupDiCreateDevRegKeyW(set.get(), &node, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr, nullptr);
  if (key == INVALID_HANDLE_VALUE) {
    error = Failure(L"SetupDiCreateDevRegKey");
    SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &node);
    return false;
  }
  const bool written = SetDword(key, L"Slot", identity.slot) && SetDword(key, L"VendorID", identity.vendorId) &&
                       SetDword(key, L"ProductID", identity.productId) &&
                       SetDword(key, L"VersionNumber", identity.versionNumber);
  RegCloseKey(key);
  if (!written) {
    error = L"writing the device parameters failed";
    SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &node);
    return false;
  }
  if (!InstallDriver(set.get(), node, inf, error)) {
    SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &node);
    return false;
  }
  return true;
}

bool RemoveNode(unsigned slot, std::wstring& error) {
  DeviceSet set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
  if (!set.valid()) return error = Failure(L"SetupDiCreateDeviceInfoList"), false;
  SP_DEVINFO_DATA node{};
  node.cbSize = sizeof(node);
  const std::wstring id = InstanceId(slot);
  if (!SetupDiOpenDeviceInfoW(set.get(), id.c_str(), nullptr, 0, &node)) return true;
  if (!SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &node)) return error = Failure(L"DIF_REMOVE"), false;
  return true;
}

std::vector<unsigned> ExistingNodes() {
  std::vector<unsigned> slots;
  DeviceSet set(SetupDiGetClassDevsW(&kSystemClass, L"ROOT", nullptr, 0));
  if (!set.valid()) return slots;
  SP_DEVINFO_DATA node{};
  node.cbSize = sizeof(node);
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set.get(), i, &node); ++i) {
    wchar_t id[200];
    if (!SetupDiGetDeviceInstanceIdW(set.get(), &node, id, 200, nullptr)) continue;
    if (_wcsnicmp(id, kInstancePrefix, wcslen(kInstancePrefix)) != 0) continue;
    slots.push_back(static_cast<unsigned>(std::wcstoul(id + wcslen(kInstancePrefix), nullptr, 10)));
  }
  return slots;
}

std::vector<HidInterface> PresentHidInterfaces() {
  std::vector<HidInterface> found;
  GUID hid;
  HidD_GetHidGuid(&hid);
  DeviceSet set(SetupDiGetClassDevsW(&hid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  if (!set.valid()) return found;
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof(data);
  for (DWORD i = 0; SetupDiEnumDeviceInterfaces(set.get(), nullptr, &hid, i, &data); ++i) {
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(set.get(), &data, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
    std::vector<BYTE> buffer(size);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(*detail);
    if (!SetupDiGetDeviceInterfaceDetailW(set.get(), &data, detail, size, nullptr, nullptr)) continue;
    HidInterface entry;
    entry.path = detail->DevicePath;
    entry.virtualTouch = SlotOfPath(entry.path, entry.slot);
    HANDLE device = CreateFileW(entry.path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (device != INVALID_HANDLE_VALUE) {
      HIDD_ATTRIBUTES attributes{};
      attributes.Size = sizeof(attributes);
      if (HidD_GetAttributes(device, &attributes)) {
        entry.vendorId = attributes.VendorID;
        entry.productId = attributes.ProductID;
        entry.versionNumber = attributes.VersionNumber;
      }
      CloseHandle(device);
    }
    found.push_back(entry);
  }
  return found;
}

bool WaitForInterface(unsigned slot, bool present, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    bool listed = false;
    for (const HidInterface& i : PresentHidInterfaces()) listed = listed || (i.virtualTouch && i.slot == slot);
    if (listed == present) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
}

}  // namespace vts
