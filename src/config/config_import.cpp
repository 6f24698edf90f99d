// The console command -i: an INI file in the export's layout, checked value by value and
// written into the driver's registry keys.
#include "config/config_import.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "base/app_paths.h"
#include "base/text.h"
#include "config/core/file_name_rules.h"
#include "config/core/parameter_table.h"
#include "config/core/value_check.h"
#include "config/parameter_key.h"

namespace {

constexpr const char* kPressAnyKey = "Press any key to continue......";
constexpr DWORD kValueBufferSize = 256;
constexpr DWORD kSectionNamesBufferSize = 256;

std::wstring ReadIniText(const std::wstring& section, const wchar_t* key,
                         const wchar_t* defaultText, const std::wstring& path) {
  wchar_t buffer[kValueBufferSize] = {};
  const DWORD length = GetPrivateProfileStringW(section.c_str(), key, defaultText, buffer,
                                                kValueBufferSize, path.c_str());
  return std::wstring(buffer, length < kValueBufferSize ? length : kValueBufferSize - 1);
}

// Opens the key, creating it on the first attempt when it is missing.
void OpenWithRetry(ParameterKey& key, const std::wstring& path) {
  if (!key.OpenOrCreate(path)) key.OpenOrCreate(path);
}

// Every section name of the file, however many: used to tell whether the global section is
// there at all.
std::vector<std::wstring> AllSectionNames(const std::wstring& path) {
  std::vector<wchar_t> buffer(4096);
  for (;;) {
    const DWORD length = GetPrivateProfileSectionNamesW(
        buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    if (length < buffer.size() - 2 || buffer.size() >= (1u << 24)) {
      std::vector<std::wstring> names;
      for (const wchar_t* name = buffer.data(); *name && name < buffer.data() + length;
           name += names.back().size() + 1)
        names.emplace_back(name);
      return names;
    }
    buffer.assign(buffer.size() * 4, L'\0');
  }
}

bool HasDriverSection(const std::wstring& path) {
  // The profile functions find sections regardless of letter case.
  for (const std::wstring& name : AllSectionNames(path))
    if (CompareStringOrdinal(name.c_str(), -1, kDriverSection.data(),
                             static_cast<int>(kDriverSection.size()), TRUE) == CSTR_EQUAL)
      return true;
  return false;
}

// The touch screen sections the import handles: those whose names fit whole in a list of
// 256 characters, in file order, up to the first empty name.
std::vector<std::wstring> TouchScreenSections(const std::wstring& path) {
  wchar_t buffer[kSectionNamesBufferSize] = {};
  const DWORD length =
      GetPrivateProfileSectionNamesW(buffer, kSectionNamesBufferSize, path.c_str());
  std::vector<std::wstring> names;
  const wchar_t* end = buffer + (length < kSectionNamesBufferSize ? length : 0);
  for (const wchar_t* name = buffer; name < end && *name; name += names.back().size() + 1)
    names.emplace_back(name, wcsnlen(name, end - name));
  // A list that did not fit ends in a name cut short, which would name another subkey; the
  // whole list tells whether the last name is complete.
  if (length == kSectionNamesBufferSize - 2 && !names.empty()) {
    const std::vector<std::wstring> all = AllSectionNames(path);
    const std::size_t last = names.size() - 1;
    if (last >= all.size() || all[last] != names[last]) names.pop_back();
  }
  return names;
}

void ImportGlobalValues(const std::wstring& path) {
  ParameterKey key;
  OpenWithRetry(key, std::wstring(kDriverParametersPath));
  const std::wstring section(kDriverSection);
  for (const GlobalValue& rule : kGlobalValues) {
    const CheckedValue checked =
        CheckGlobalValue(rule, ReadIniText(section, rule.name, kGlobalDefaultText, path));
    if (checked.message) std::printf("%s", checked.message);
    key.WriteDword(rule.name, checked.value);
  }
}

void ImportTouchScreen(const std::wstring& section, const std::wstring& path) {
  ParameterKey key;
  OpenWithRetry(key, std::wstring(kDeviceParametersPath) + L"\\" + section);
  for (int index : kDeviceImportOrder) {
    const DeviceValue& rule = kDeviceValues[index];
    const CheckedValue checked =
        CheckDeviceValue(rule, ReadIniText(section, rule.name, rule.defaultText, path));
    if (checked.message) std::printf("%s", checked.message);
    key.WriteDword(rule.name, checked.value);
  }
}

}  // namespace

void RunConfigImport(const std::wstring& fileArgument) {
  std::printf("\n");
  std::printf("Please don't close console!\n");

  const std::wstring path = ResolveIniPath(fileArgument, GetCurrentDir());
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (path.size() >= MAX_PATH ||
      !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) {
    std::printf("%s doesn't exist!", ToAnsi(path).c_str());
    return;
  }
  std::string ansiPath = ToAnsi(path);
  if (ansiPath.size() > 255) ansiPath.resize(255);
  std::printf("Import config to file %s \n", ansiPath.c_str());

  // The extension in any letter case, as the export accepts it: whatever the export wrote
  // can be imported.
  if (!HasIniExtension(TrimTrailingWhitespace(fileArgument))) {
    std::printf("Import file type must be ini file,Import exit!");
    std::printf("%s", kPressAnyKey);
    return;
  }

  // Without a global section the driver's global settings stay as they are: reading all 18
  // from their default texts would switch touch input off.
  if (HasDriverSection(path))
    ImportGlobalValues(path);
  else
    std::printf("No DriverParameters section, driver settings left unchanged!\n");

  for (const std::wstring& section : TouchScreenSections(path)) {
    if (section == kDriverSection) continue;
    // A backslash would reach a key below the touch screen's own: no subkey has one.
    if (section.find(L'\\') != std::wstring::npos) {
      std::printf("%s is not a TouchScreen name, skipped!\n", ToAnsi(section).c_str());
      continue;
    }
    ImportTouchScreen(section, path);
  }

  std::printf("Import completed!\n");
  std::printf("%s", kPressAnyKey);
}
