#include "config/parameter_key.h"

#include <cstdio>

#include "base/system_failure.h"

bool ParameterKey::Open(const std::wstring& path) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &opened) !=
      ERROR_SUCCESS)
    return false;
  m_hKey.reset(opened);
  return true;
}

bool ParameterKey::OpenOrCreate(const std::wstring& path) {
  if (Open(path)) return true;
  HKEY created = nullptr;
  const LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &created,
                                      nullptr);
  std::printf("error %x\n", static_cast<unsigned>(status));
  // The read-only handle of the creation is of no use to the caller, who opens again: it is
  // closed on the way out.
  const ScopedRegKey unused(status == ERROR_SUCCESS ? created : nullptr);
  return false;
}

std::int32_t ParameterKey::ReadDword(const wchar_t* name) const {
  if (!m_hKey) return 0;
  DWORD value = 0;
  DWORD size = sizeof(value);
  const LONG status =
      RegQueryValueExW(m_hKey.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  if (status != ERROR_SUCCESS) {
    // A value that is not there reads as 0 by design; any other failure is worth a record.
    if (status != ERROR_FILE_NOT_FOUND)
      RecordSystemFailure(L"RegQueryValueExW", name, static_cast<DWORD>(status));
    return 0;
  }
  // A shorter value fills only the low bytes of the zeroed buffer.
  return static_cast<std::int32_t>(value);
}

bool ParameterKey::WriteDword(const wchar_t* name, std::int32_t value) const {
  if (!m_hKey) return false;
  const DWORD data = static_cast<DWORD>(value);
  return RegSetValueExW(m_hKey.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                        sizeof(data)) == ERROR_SUCCESS;
}

void ParameterKey::Close() { m_hKey.reset(); }
