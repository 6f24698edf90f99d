#include "base/core/paths.h"

std::wstring DirectoryOfPath(const std::wstring& path) {
  const auto cut = path.find_last_of(L'\\');
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

std::wstring WithTrailingBackslash(const std::wstring& directory) {
  if (!directory.empty() && directory.back() == L'\\') return directory;
  return directory + L'\\';
}

std::wstring PathOfCommandFile(const std::wstring& argument, const std::wstring& currentDirectory) {
  if (argument.find(L'\\') != std::wstring::npos) return argument;
  return WithTrailingBackslash(currentDirectory) + argument;
}

const wchar_t* LanguageFileForLangId(std::uint16_t langId) {
  switch (langId) {
    case 2052: return L"\\Language\\2052.ini";  // Chinese (PRC)
    case 1041: return L"\\Language\\1041.ini";  // Japanese
    default: return L"\\Language\\1033.ini";    // English, and every other language
  }
}

const wchar_t* UserManualForLangId(std::uint16_t langId) {
  switch (langId) {
    case 2052: return L"\\UserManual.2052.pdf";
    case 1041: return L"\\UserManual.1041.pdf";
    default: return kEnglishUserManual;
  }
}
