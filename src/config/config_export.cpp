// The console command -e: the driver's stored configuration, read from the registry, written
// value by value into an INI file.
#include "config/config_export.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>

#include "base/app_paths.h"
#include "config/core/file_name_rules.h"
#include "config/core/parameter_table.h"
#include "config/parameter_key.h"

namespace {

constexpr const char* kPressAnyKey = "Press any key to continue......";

// Writes one value; the first failed write ends the export, so the user is told the file was
// not written instead of being told it was.
class IniWriter {
public:
  explicit IniWriter(std::wstring path) : path_(std::move(path)) {}

  bool Write(const std::wstring& section, const wchar_t* key, std::int32_t value) {
    if (failed_) return false;
    const std::wstring text = std::to_wstring(value);
    if (!WritePrivateProfileStringW(section.c_str(), key, text.c_str(), path_.c_str()))
      failed_ = true;
    return !failed_;
  }

  bool failed() const { return failed_; }

private:
  std::wstring path_;
  bool failed_ = false;
};

// The values of one touch screen subkey, or false when the subkey cannot be opened.
bool ExportTouchScreen(const std::wstring& name, IniWriter& writer) {
  ParameterKey key;
  if (!key.Open(std::wstring(kDeviceParametersPath) + L"\\" + name)) return false;
  for (const DeviceValue& value : kDeviceValues)
    if (!writer.Write(name, value.name, key.ReadDword(value.name))) break;
  return true;
}

void ExportTouchScreens(IniWriter& writer) {
  HKEY devices = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, std::wstring(kDeviceParametersPath).c_str(), 0,
                    KEY_ALL_ACCESS, &devices) != ERROR_SUCCESS)
    return;  // no touch screen stored: the file holds the global section only
  for (DWORD index = 0; !writer.failed(); ++index) {
    wchar_t name[50];
    const LONG status = RegEnumKeyW(devices, index, name, 50);
    if (status == ERROR_NO_MORE_ITEMS) break;
    // A name longer than the buffer cannot be a subkey the driver made: skip it. Any other
    // failure would repeat for every index.
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) break;
    if (!ExportTouchScreen(name, writer)) {
      std::printf("Read No. %lu TouchScreen  Data Failed!", static_cast<unsigned long>(index));
      break;
    }
  }
  RegCloseKey(devices);
}

}  // namespace

void RunConfigExport(const std::wstring& fileArgument) {
  const std::wstring currentDir = GetCurrentDir();
  std::printf("\n");
  std::printf("Please don't close console!\n");

  const std::wstring argument(TrimTrailingWhitespace(fileArgument));
  switch (CheckExportFileName(argument, PathFindFileNameW(argument.c_str()))) {
    case ExportNameCheck::TooShort:
      std::printf("Export file is invalid!\n");
      std::printf("%s", kPressAnyKey);
      return;
    case ExportNameCheck::NotIni:
      std::printf("Export file type must be ini file,Export exit!");
      std::printf("%s", kPressAnyKey);
      return;
    case ExportNameCheck::BadName:
      std::printf("Export file is invalid !\n");
      std::printf("%s", kPressAnyKey);
      return;
    case ExportNameCheck::Ok:
      break;
  }
  IniWriter writer(ResolveIniPath(argument, currentDir));

  ParameterKey driver;
  if (!driver.OpenOrCreate(std::wstring(kDriverParametersPath))) {
    std::printf("Read driver data failed!,please retry!");
    std::printf("%s", kPressAnyKey);
    return;
  }
  const std::wstring section(kDriverSection);
  for (const GlobalValue& value : kGlobalValues)
    if (!writer.Write(section, value.name, driver.ReadDword(value.name))) break;
  driver.Close();

  ExportTouchScreens(writer);

  if (writer.failed())
    std::printf("Export file can't be written!\n");
  else
    std::printf("Export completed!\n");
  std::printf("%s", kPressAnyKey);
}
