#pragma once
// ParameterKey: one open key of the driver's store under HKEY_LOCAL_MACHINE, as the export
// and the import use it.
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/scoped_handle.h"

class ParameterKey {
public:
  ParameterKey() = default;
  ~ParameterKey() = default;
  ParameterKey(const ParameterKey&) = delete;
  ParameterKey& operator=(const ParameterKey&) = delete;

  // Opens the key with full access: true on success. A missing key is created (with read
  // access only), "error %x\n" is printed with the creation's result, and the call reports
  // false; a second call then opens the new key.
  bool OpenOrCreate(const std::wstring& path);

  // Opens an existing key with full access; false, and nothing printed, when it cannot.
  bool Open(const std::wstring& path);

  // The value as a 32-bit integer; 0 when it is missing or cannot be read.
  std::int32_t ReadDword(const wchar_t* name) const;

  // Stores the value as REG_DWORD; true when the registry took it.
  bool WriteDword(const wchar_t* name, std::int32_t value) const;

  void Close();
  bool IsOpen() const { return m_hKey.valid(); }

private:
  ScopedRegKey m_hKey;
};
