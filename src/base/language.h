#pragma once
#include <string>

#include "base/core/language_keys.h"

// The text of a language key from the language file of the system default language, or the
// key's number when the file, the section or the key is missing. The two characters "\n" in a
// value stand for a line feed (a profile value cannot hold one).
std::wstring LoadLangString(LangKey key);

// The same lookup in a given language file.
std::wstring LoadLangStringFrom(const std::wstring& languageFile, const std::wstring& key);
// The language file of the system default language, below the program's folder.
std::wstring LanguageFilePath();
