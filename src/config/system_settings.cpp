#include "config/system_settings.h"

#include <windows.h>

#include <string>

#include "config/core/system_cursors.h"

namespace {

// Strings are stored whole, terminating null included.
void WriteString(HKEY key, const wchar_t* name, DWORD type, const std::wstring& text) {
  RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void SetAllCursors(const std::wstring& file) {
  HKEY key = nullptr;
  if (RegOpenKeyW(HKEY_CURRENT_USER, L"Control Panel\\Cursors", &key) != ERROR_SUCCESS) return;
  for (const wchar_t* name : kSystemCursorNames) WriteString(key, name, REG_EXPAND_SZ, file);
  RegCloseKey(key);
}

void SetDoubleClick(UINT area, UINT time) {
  SystemParametersInfoW(SPI_SETDOUBLECLKWIDTH, area, nullptr, 0);
  SystemParametersInfoW(SPI_SETDOUBLECLKHEIGHT, area, nullptr, 0);
  SystemParametersInfoW(SPI_SETDOUBLECLICKTIME, time, nullptr, 0);
}

}  // namespace

void HideCursors() { SetAllCursors(kNullCursorPath); }

void RestoreCursors() { SetAllCursors(L""); }

void ApplySystemSettings(std::int32_t enableDoubleClick, std::int32_t doubleClickTime,
                         std::int32_t doubleClickArea, std::int32_t hideCursor) {
  if (enableDoubleClick != 0) {
    SetDoubleClick(static_cast<UINT>(doubleClickArea), static_cast<UINT>(doubleClickTime));
    HKEY key = nullptr;
    if (RegOpenKeyW(HKEY_CURRENT_USER, L"Control Panel\\Mouse", &key) == ERROR_SUCCESS) {
      const std::wstring area = std::to_wstring(doubleClickArea);
      WriteString(key, L"DoubleClickWidth", REG_SZ, area);
      WriteString(key, L"DoubleClickHeight", REG_SZ, area);
      WriteString(key, L"DoubleClickSpeed", REG_SZ, std::to_wstring(doubleClickTime));
      RegCloseKey(key);
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
