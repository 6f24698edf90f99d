#include "config/core/file_name_rules.h"

namespace {

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

}  // namespace

std::wstring_view TrimTrailingWhitespace(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool HasIniExtension(std::wstring_view text) {
  if (text.size() < 4) return false;
  constexpr std::wstring_view kIni = L".ini";
  std::wstring_view tail = text.substr(text.size() - 4);
  for (std::size_t i = 0; i < 4; ++i)
    if (FoldAscii(tail[i]) != kIni[i]) return false;
  return true;
}

ExportNameCheck CheckExportFileName(std::wstring_view argument, std::wstring_view fileNamePart) {
  if (argument.size() <= 7) return ExportNameCheck::TooShort;
  if (!HasIniExtension(argument)) return ExportNameCheck::NotIni;
  if (fileNamePart.size() == 4 || fileNamePart.size() > 255) return ExportNameCheck::BadName;
  if (fileNamePart.find_first_of(L"*><|/?\"\\") != std::wstring_view::npos)
    return ExportNameCheck::BadName;
  return ExportNameCheck::Ok;
}
