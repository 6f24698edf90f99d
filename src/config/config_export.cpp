// The console command -e: the driver's stored configuration, read from the registry and
// merged into an INI file, which is written whole at once.
#include "config/config_export.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "base/app_paths.h"
#include "base/core/paths.h"
#include "base/scoped_handle.h"
#include "base/text.h"
#include "config/core/file_name_rules.h"
#include "config/core/ini_document.h"
#include "config/core/ini_sections.h"
#include "config/core/parameter_table.h"
#include "config/ini_file.h"
#include "config/parameter_key.h"

namespace {

constexpr const char* kPressAnyKey = "Press any key to continue......";

const char* Reason(SectionNameProblem problem) {
  switch (problem) {
    case SectionNameProblem::Empty: return "an empty name";
    case SectionNameProblem::LineBreak: return "a line break in the name";
    case SectionNameProblem::Bracket: return "a ] in the name";
    case SectionNameProblem::EdgeBlank: return "a blank at the start or end of the name";
    case SectionNameProblem::GlobalName: return "the name of the global section";
    case SectionNameProblem::None: break;
  }
  return "";
}

// A subkey name as the console can show it: control characters spelled out.
std::string Printable(const std::wstring& name) {
  std::wstring shown;
  for (wchar_t c : name) {
    if (c == L'\n') shown += L"\\n";
    else if (c == L'\r') shown += L"\\r";
    else if (c == L'\t') shown += L"\\t";
    else if (c < 0x20 || c == 0x7F) {
      wchar_t hex[8];
      swprintf(hex, 8, L"\\x%02X", static_cast<unsigned>(c));
      shown += hex;
    } else {
      shown += c;
    }
  }
  return ToAnsi(shown);
}

// The system's case mapping, as the profile functions compare names.
std::wstring FoldName(std::wstring_view name) {
  std::wstring folded(name);
  if (!folded.empty()) CharLowerBuffW(folded.data(), static_cast<DWORD>(folded.size()));
  return folded;
}

// The values of one touch screen subkey, or nothing when the subkey cannot be opened.
std::optional<IniSection> ReadTouchScreen(const std::wstring& name) {
  ParameterKey key;
  if (!key.Open(std::wstring(kDeviceParametersPath) + L"\\" + name)) return std::nullopt;
  IniSection section{name, {}};
  for (const DeviceValue& value : kDeviceValues)
    section.values.emplace_back(value.name, std::to_wstring(key.ReadDword(value.name)));
  return section;
}

// Every touch screen subkey the file can carry, in enumeration order; each one it cannot
// carry is named on the console and counted in skipped.
void ReadTouchScreens(std::vector<IniSection>& sections, unsigned& skipped) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, std::wstring(kDeviceParametersPath).c_str(), 0,
                    KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
    return;  // no touch screen stored: the file holds the global section only
  const ScopedRegKey devices(opened);
  for (DWORD index = 0;; ++index) {
    // Key names are at most 255 characters.
    wchar_t name[256];
    DWORD length = 256;
    const LONG status =
        RegEnumKeyExW(devices.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status == ERROR_MORE_DATA) {
      std::printf("TouchScreen No. %lu has a name too long, skipped!\n",
                  static_cast<unsigned long>(index));
      ++skipped;
      continue;
    }
    if (status != ERROR_SUCCESS) break;  // would repeat for every index
    const std::wstring subkey(name, length);
    if (const SectionNameProblem problem = CheckTouchScreenSectionName(subkey);
        problem != SectionNameProblem::None) {
      std::printf("TouchScreen \"%s\" can't be written to an ini file (%s), skipped!\n",
                  Printable(subkey).c_str(), Reason(problem));
      ++skipped;
      continue;
    }
    std::optional<IniSection> section = ReadTouchScreen(subkey);
    if (!section) {
      std::printf("Read No. %lu TouchScreen  Data Failed!", static_cast<unsigned long>(index));
      break;
    }
    sections.push_back(std::move(*section));
  }
}

// Merges the sections into the file, which keeps everything else it holds, and writes it
// whole in one go.
bool WriteSections(const std::wstring& path, const std::vector<IniSection>& sections) {
  const std::optional<IniFileText> file = ReadIniFile(path);
  if (!file) return false;
  const std::wstring text = MergeIniSections(file->text, sections, FoldName);
  return WriteIniFile(path, text, EncodingFor(text, file->encoding));
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
  const std::wstring path = PathOfCommandFile(argument, currentDir);

  ParameterKey driver;
  if (!driver.OpenOrCreate(std::wstring(kDriverParametersPath))) {
    std::printf("Read driver data failed!,please retry!");
    std::printf("%s", kPressAnyKey);
    return;
  }
  std::vector<IniSection> sections(1, IniSection{std::wstring(kDriverSection), {}});
  for (const GlobalValue& value : kGlobalValues)
    sections[0].values.emplace_back(value.name, std::to_wstring(driver.ReadDword(value.name)));
  driver.Close();

  unsigned skipped = 0;
  ReadTouchScreens(sections, skipped);

  if (!WriteSections(path, sections))
    std::printf("Export file can't be written!\n");
  else if (skipped > 0)
    std::printf("Export incomplete, %u TouchScreen(s) not exported!\n", skipped);
  else
    std::printf("Export completed!\n");
  std::printf("%s", kPressAnyKey);
}
