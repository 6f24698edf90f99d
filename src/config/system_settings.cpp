#include "config/system_settings.h"

#include <windows.h>

#include <string>

#include "base/scoped_handle.h"
#include "base/system_failure.h"
#include "config/core/system_cursors.h"

namespace {

// Strings are stored whole, terminating null included.
void WriteString(HKEY key, const wchar_t* name, DWORD type, const std::wstring& text) {
  const LONG status = RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  if (status != ERROR_SUCCESS) RecordSystemFailure(L"RegSetValueExW", name, static_cast<DWORD>(status));
}

// Opens a key of the current user's; failures are recorded.
ScopedRegKey OpenUserKey(const wchar_t* path) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyW(HKEY_CURRENT_USER, path, &key);
  if (status == ERROR_SUCCESS) return ScopedRegKey(key);
  RecordSystemFailure(L"RegOpenKeyW", std::wstring(L"HKCU\\") + path, static_cast<DWORD>(status));
  return ScopedRegKey();
}

void SetSystemParameter(UINT action, UINT value, const wchar_t* name) {
  if (!SystemParametersInfoW(action, value, nullptr, 0))
    RecordSystemFailure(L"SystemParametersInfoW", std::wstring(name) + L", " + std::to_wstring(value));
}

void SetAllCursors(const std::wstring& file) {
  const ScopedRegKey key = OpenUserKey(L"Control Panel\\Cursors");
  if (!key) return;
  for (const wchar_t* name : kSystemCursorNames) WriteString(key.get(), name, REG_EXPAND_SZ, file);
}

void SetDoubleClick(UINT area, UINT time) {
  SetSystemParameter(SPI_SETDOUBLECLKWIDTH, area, L"SPI_SETDOUBLECLKWIDTH");
  SetSystemParameter(SPI_SETDOUBLECLKHEIGHT, area, L"SPI_SETDOUBLECLKHEIGHT");
  SetSystemParameter(SPI_SETDOUBLECLICKTIME, time, L"SPI_SETDOUBLECLICKTIME");
}

}  // namespace

void HideCursors() { SetAllCursors(kNullCursorPath); }

void RestoreCursors() { SetAllCursors(L""); }

void ApplySystemSettings(std::int32_t enableDoubleClick, std::int32_t doubleClickTime,
                         std::int32_t doubleClickArea, std::int32_t hideCursor) {
  if (enableDoubleClick != 0) {
    SetDoubleClick(static_cast<UINT>(doubleClickArea), static_cast<UINT>(doubleClickTime));
    if (const ScopedRegKey key = OpenUserKey(L"Control Panel\\Mouse")) {
      const std::wstring area = std::to_wstring(doubleClickArea);
      WriteString(key.get(), L"DoubleClickWidth", REG_SZ, area);
      WriteString(key.get(), L"DoubleClickHeight", REG_SZ, area);
      WriteString(key.get(), L"DoubleClickSpeed", REG_SZ, std::to_wstring(doubleClickTime));
    }
  } else {
    SetDoubleClick(0, 0);
  }
  if (hideCursor != 0)
    HideCursors();
  else
    RestoreCursors();
  SystemParametersInfoW(SPI_SETCURSORS, 0, nullptr, 0);
}
