#include "base/language.h"

#include <windows.h>

#include "base/app_paths.h"
#include "base/core/paths.h"

std::wstring LanguageFilePath() {
  return GetModuleDir() + LanguageFileForLangId(GetSystemDefaultLangID());
}

std::wstring LoadLangString(LangKey key) { return LoadLangStringFrom(LanguageFilePath(), LangKeyName(key)); }

std::wstring LoadLangStringFrom(const std::wstring& languageFile, const std::wstring& key) {
  wchar_t buffer[1024] = {};
  GetPrivateProfileStringW(L"Language", key.c_str(), key.c_str(), buffer, 1024, languageFile.c_str());
  std::wstring text = buffer;
  for (size_t at = text.find(L"\\n"); at != std::wstring::npos; at = text.find(L"\\n", at + 1)) {
    text.replace(at, 2, L"\n");
  }
  return text;
}
