#pragma once
// Path rules of the program's folders, on Windows path texts.
#include <cstdint>
#include <string>

// The folder part of a file path, without its trailing backslash; empty without a backslash.
std::wstring DirectoryOfPath(const std::wstring& path);
// The folder with exactly one trailing backslash added when it has none.
std::wstring WithTrailingBackslash(const std::wstring& directory);
// The path of a file a console command names: a name without a backslash lies in the current
// folder, put in front of it (the profile functions would otherwise look in the Windows
// folder; "sub/x.bin" is below the current folder too, Windows reads the slash as a
// separator); a name with a backslash is used as it is.
std::wstring PathOfCommandFile(const std::wstring& argument, const std::wstring& currentDirectory);
// The language file below the program's folder for a system default language id.
const wchar_t* LanguageFileForLangId(std::uint16_t langId);
// The user manual below the program's folder in the language of a system default language id,
// and the English one, which is the manual of every other language and the one Help falls back
// to when the language's own is missing.
const wchar_t* UserManualForLangId(std::uint16_t langId);
inline constexpr const wchar_t* kEnglishUserManual = L"\\UserManual.pdf";
