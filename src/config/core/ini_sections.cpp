#include "config/core/ini_sections.h"

#include "config/core/parameter_table.h"

namespace {

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

// Everything the profile functions may take for white space at the edge of a name: the C
// blanks, end-of-file (0x1A) and the Unicode spaces.
bool IsEdgeBlank(wchar_t c) {
  if (c == L' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x85 || c == 0xA0) return true;
  return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
         c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

}  // namespace

std::vector<std::wstring> SplitSectionNames(std::wstring_view list) {
  std::vector<std::wstring> names;
  while (!list.empty() && list.front() != L'\0') {
    const std::size_t end = list.find(L'\0');
    names.emplace_back(list.substr(0, end));
    if (end == std::wstring_view::npos) break;
    list.remove_prefix(end + 1);
  }
  return names;
}

bool IsDriverSectionName(std::wstring_view name) {
  if (name.size() != kDriverSection.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (FoldAscii(name[i]) != FoldAscii(kDriverSection[i])) return false;
  return true;
}

SectionNameProblem CheckTouchScreenSectionName(std::wstring_view name) {
  if (name.empty()) return SectionNameProblem::Empty;
  if (name.find_first_of(L"\r\n") != std::wstring_view::npos) return SectionNameProblem::LineBreak;
  if (name.find(L']') != std::wstring_view::npos) return SectionNameProblem::Bracket;
  if (IsEdgeBlank(name.front()) || IsEdgeBlank(name.back())) return SectionNameProblem::EdgeBlank;
  if (IsDriverSectionName(name)) return SectionNameProblem::GlobalName;
  return SectionNameProblem::None;
}
