// The console command -i: an INI file in the export's layout, checked value by value and
// written into the driver's registry keys.
#include "config/config_import.h"

#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "base/app_paths.h"
#include "base/core/paths.h"
#include "base/scoped_handle.h"
#include "base/text.h"
#include "config/core/file_name_rules.h"
#include "config/core/ini_sections.h"
#include "config/core/parameter_table.h"
#include "config/core/value_check.h"
#include "config/parameter_key.h"

namespace {

constexpr const char* kPressAnyKey = "Press any key to continue......";
constexpr DWORD kValueBufferSize = 256;

std::wstring ReadIniText(const std::wstring& section, const wchar_t* key,
                         const wchar_t* defaultText, const std::wstring& path) {
  wchar_t buffer[kValueBufferSize] = {};
  const DWORD length = GetPrivateProfileStringW(section.c_str(), key, defaultText, buffer,
                                                kValueBufferSize, path.c_str());
  return std::wstring(buffer, length < kValueBufferSize ? length : kValueBufferSize - 1);
}

// Opens the key, creating it on the first attempt when it is missing.
bool OpenWithRetry(ParameterKey& key, const std::wstring& path) {
  return key.OpenOrCreate(path) || key.OpenOrCreate(path);
}

// True when the profile functions can read the file as text. They quietly hand back the defaults for a file they cannot open (a directory, a file another
// program locked), and read a UTF-16 file without its byte-order mark, or any file with null
// bytes, as 8-bit text that holds no usable section.
bool IsReadableTextFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  const ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  std::vector<unsigned char> buffer(1 << 16);
  bool first = true, readable = true;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
      readable = false;
      break;
    }
    if (read == 0) break;
    // A file with a UTF-16 byte-order mark is read as UTF-16, where null bytes belong.
    if (first && read >= 2 &&
        ((buffer[0] == 0xFF && buffer[1] == 0xFE) || (buffer[0] == 0xFE && buffer[1] == 0xFF)))
      break;
    first = false;
    if (std::find(buffer.begin(), buffer.begin() + read, 0) != buffer.begin() + read) {
      readable = false;
      break;
    }
  }
  return readable;
}

// The file's section names, all of them, in file order; nothing when the list is longer than
// any configuration file needs (16 M characters), so that no section is silently left out.
std::optional<std::vector<std::wstring>> ReadSectionNames(const std::wstring& path) {
  constexpr std::size_t kLimit = std::size_t{1} << 24;
  std::vector<wchar_t> buffer(4096);
  for (;;) {
    const DWORD length = GetPrivateProfileSectionNamesW(
        buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    // A list that did not fit comes back cut, with the length size - 2.
    if (length + 2 < buffer.size())
      return SplitSectionNames(std::wstring_view(buffer.data(), length));
    if (buffer.size() >= kLimit) return std::nullopt;
    buffer.assign(std::min(buffer.size() * 4, kLimit), L'\0');
  }
}

bool HasDriverSection(const std::vector<std::wstring>& sections) {
  for (const std::wstring& name : sections)
    if (IsDriverSectionName(name)) return true;
  return false;
}

// Writes the 18 global values; false when the key or a value could not be written.
bool ImportGlobalValues(const std::wstring& path) {
  ParameterKey key;
  bool written = OpenWithRetry(key, std::wstring(kDriverParametersPath));
  const std::wstring section(kDriverSection);
  for (const GlobalValue& rule : kGlobalValues) {
    const CheckedValue checked =
        CheckGlobalValue(rule, ReadIniText(section, rule.name, kGlobalDefaultText, path));
    if (checked.message) std::printf("%s", checked.message);
    written = key.WriteDword(rule.name, checked.value) && written;
  }
  return written;
}

// Writes one touch screen's 26 values; false when the subkey or a value could not be written.
bool ImportTouchScreen(const std::wstring& section, const std::wstring& path) {
  ParameterKey key;
  bool written = OpenWithRetry(key, std::wstring(kDeviceParametersPath) + L"\\" + section);
  for (int index : kDeviceImportOrder) {
    const DeviceValue& rule = kDeviceValues[index];
    const CheckedValue checked =
        CheckDeviceValue(rule, ReadIniText(section, rule.name, rule.defaultText, path));
    if (checked.message) std::printf("%s", checked.message);
    written = key.WriteDword(rule.name, checked.value) && written;
  }
  return written;
}

void Stop(const char* message) {
  std::printf("%s", message);
  std::printf("%s", kPressAnyKey);
}

}  // namespace

void RunConfigImport(const std::wstring& fileArgument) {
  std::printf("\n");
  std::printf("Please don't close console!\n");

  const std::wstring path = PathOfCommandFile(fileArgument, GetCurrentDir());
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
  if (!HasIniExtension(TrimTrailingWhitespace(fileArgument)))
    return Stop("Import file type must be ini file,Import exit!");

  if (!IsReadableTextFile(path)) return Stop("Import file can't be read, nothing imported!\n");
  const std::optional<std::vector<std::wstring>> sections = ReadSectionNames(path);
  if (!sections) return Stop("Import file has too many sections, nothing imported!\n");
  if (sections->empty()) return Stop("Import file holds no section, nothing imported!\n");

  std::size_t attempted = 0;
  std::vector<std::wstring> failed;
  // Without a global section the driver's global settings stay as they are: reading all 18
  // from their default texts would switch touch input off.
  if (HasDriverSection(*sections)) {
    ++attempted;
    if (!ImportGlobalValues(path)) failed.emplace_back(kDriverSection);
  } else {
    std::printf("No DriverParameters section, driver settings left unchanged!\n");
  }

  for (const std::wstring& section : *sections) {
    if (section == kDriverSection) continue;
    // A backslash would reach a key below the touch screen's own: no subkey has one.
    if (section.find(L'\\') != std::wstring::npos) {
      std::printf("%s is not a TouchScreen name, skipped!\n", ToAnsi(section).c_str());
      continue;
    }
    ++attempted;
    if (!ImportTouchScreen(section, path)) failed.push_back(section);
  }

  if (attempted == 0) return Stop("Nothing imported!\n");
  if (failed.size() == attempted) return Stop("Registry can't be written, nothing imported!\n");
  for (const std::wstring& section : failed)
    std::printf("Section [%s] can't be written!\n", ToAnsi(section).c_str());
  Stop(failed.empty() ? "Import completed!\n" : "Import incomplete!\n");
}
