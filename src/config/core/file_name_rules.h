#pragma once
// Rules for the INI file names the export and the import are given.
#include <cstdint>
#include <string>
#include <string_view>

// The argument without trailing white space (blank, tab, line ends, vertical tab, form feed).
std::wstring_view TrimTrailingWhitespace(std::wstring_view text);

// True when the last four characters are ".ini" in any letter case.
bool HasIniExtension(std::wstring_view text);

enum class ExportNameCheck {
  Ok,
  TooShort,    // 7 characters or fewer: "Export file is invalid!\n"
  NotIni,      // "Export file type must be ini file,Export exit!"
  BadName,     // file-name part empty of a stem, too long or with a forbidden character
};

// Checks a trimmed export argument; fileNamePart is the text after its last path separator
// (as PathFindFileNameW finds it).
ExportNameCheck CheckExportFileName(std::wstring_view argument, std::wstring_view fileNamePart);
