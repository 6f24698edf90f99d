#pragma once
// Helpers of the configuration tests: the driver's keys in Wine's registry, INI texts and
// the console texts the program prints.
#include <windows.h>

#include <aclapi.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/core/parameter_table.h"

namespace config_test {

inline const std::wstring kParametersPath =
    L"SYSTEM\\CurrentControlSet\\Services\\PelnixHID\\Parameters";
inline const std::wstring kDriverPath(kDriverParametersPath);
inline const std::wstring kDevicePath(kDeviceParametersPath);

inline std::wstring TouchScreenPath(const std::wstring& name) {
  return kDevicePath + L"\\" + name;
}

// Gives everyone access to the touch screen subkeys again (a test denies it to one), so
// that they can be removed.
inline void GrantTouchScreenKeys() {
  HKEY devices = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDevicePath.c_str(), 0, KEY_READ, &devices) !=
      ERROR_SUCCESS)
    return;
  wchar_t name[256];
  for (DWORD index = 0; RegEnumKeyW(devices, index, name, 256) == ERROR_SUCCESS; ++index) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(devices, name, 0, WRITE_DAC, &key) != ERROR_SUCCESS) continue;
    SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                    nullptr);
    RegCloseKey(key);
  }
  RegCloseKey(devices);
}

// Denies everyone any access to a key; false when this Wine does not enforce it.
inline bool DenyEveryone(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS)
    return false;
  EXPLICIT_ACCESSW deny{};
  BuildExplicitAccessWithNameW(&deny, const_cast<wchar_t*>(L"EVERYONE"), KEY_ALL_ACCESS,
                               DENY_ACCESS, NO_INHERITANCE);
  PACL acl = nullptr;
  SetEntriesInAclW(1, &deny, nullptr, &acl);
  SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr);
  LocalFree(acl);
  RegCloseKey(key);
  HKEY probe = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &probe) != ERROR_SUCCESS)
    return true;
  RegCloseKey(probe);
  return false;
}

// Removes both keys of the driver's store with everything under them.
inline void ClearDriverKeys() {
  GrantTouchScreenKeys();
  HKEY driver = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDriverPath.c_str(), 0, WRITE_DAC, &driver) == ERROR_SUCCESS) {
    SetSecurityInfo(driver, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                    nullptr);
    RegCloseKey(driver);
  }
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kDriverPath.c_str());
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kDriverPath.c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kDevicePath.c_str());
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kDevicePath.c_str());
}

inline bool KeyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

inline void CreateKey(const std::wstring& path) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

inline void SetDword(const std::wstring& path, const wchar_t* name, std::int32_t value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD data = static_cast<DWORD>(value);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), 4);
  RegCloseKey(key);
}

// Every value of a key: name to 32-bit number (REG_DWORD only; others are test failures).
inline std::map<std::wstring, std::int32_t> Dwords(const std::wstring& path) {
  std::map<std::wstring, std::int32_t> values;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return values;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD nameLength = 256, type = 0, data = 0, size = sizeof(data);
    if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                      reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
      break;
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << "value type of " << index;
    EXPECT_EQ(size, 4u);
    values[name] = static_cast<std::int32_t>(data);
  }
  RegCloseKey(key);
  return values;
}

inline std::vector<std::wstring> Subkeys(const std::wstring& path) {
  std::vector<std::wstring> names;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return names;
  wchar_t name[256];
  for (DWORD index = 0; RegEnumKeyW(key, index, name, 256) == ERROR_SUCCESS; ++index)
    names.emplace_back(name);
  RegCloseKey(key);
  return names;
}

// The console text as the program writes it: text mode turns each "\n" into CR LF.
inline std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

inline std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += static_cast<char>(c);
  return out;
}

// Tests that touch the driver's keys start and end with none.
class DriverRegistryTest : public testing::Test {
protected:
  void SetUp() override { ClearDriverKeys(); }
  void TearDown() override { ClearDriverKeys(); }
};

}  // namespace config_test
