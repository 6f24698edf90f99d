// Fuzz target: an INI file of any bytes through the import's section list, its per-value
// rules, the name rules of the export and the export's merge. The rules must hold for every
// value, and after the merge the profile functions' reading must find exactly the exported
// values, and everything else as it was.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/core/ini_document.h"
#include "config/core/ini_sections.h"
#include "config/core/parameter_table.h"
#include "config/core/value_check.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// The text as the profile functions decode it: UTF-16LE after its mark, else one character
// per byte.
std::wstring Decode(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    for (std::size_t i = 2; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
  } else {
    for (std::size_t i = 0; i < size; ++i) text += static_cast<wchar_t>(data[i]);
  }
  return text;
}

// A value as the import reads it: the file's text or the default, at most 255 characters.
std::wstring ValueText(const std::wstring& text, const std::wstring& section, const wchar_t* key,
                       const wchar_t* defaultText) {
  std::wstring value = FindIniValue(text, section, key).value_or(defaultText);
  if (value.size() > 255) value.resize(255);
  return value;
}

void CheckNumberRules(const std::wstring& value) {
  for (bool allowMinus : {false, true}) {
    const auto number = ParseDecimal(value, allowMinus);
    if (!number) continue;
    std::wstring digits = value;
    const bool negative = !digits.empty() && digits[0] == L'-';
    Require(allowMinus || !negative);
    if (negative) digits.erase(0, 1);
    for (wchar_t c : digits) Require(c >= L'0' && c <= L'9');
    const std::size_t first = digits.find_first_not_of(L'0');
    digits = first == std::wstring::npos ? L"0" : digits.substr(first);
    if (*number != INT32_MAX && *number != INT32_MIN)
      Require(std::to_wstring(*number) == (negative && digits != L"0" ? L"-" + digits : digits));
  }
}

bool IsBlank(wchar_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == L' '; }

std::wstring TrimmedFold(std::wstring_view name) {
  while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
  while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
  return FoldAsciiName(name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = Decode(data, size);
  const std::vector<std::wstring> names = IniSectionNames(text);

  // The list as GetPrivateProfileSectionNamesW fills it splits back into its names, up to
  // the first empty one.
  std::wstring list;
  for (const std::wstring& name : names) list += name.substr(0, name.find(L'\0')) + L'\0';
  const std::vector<std::wstring> split = SplitSectionNames(list);
  Require(split.size() <= names.size());
  for (std::size_t i = 0; i < split.size(); ++i)
    Require(!split[i].empty() && split[i] == names[i].substr(0, names[i].find(L'\0')));

  // Each value by its rules; the sections an INI file can carry are merged back as exported.
  std::vector<IniSection> exported;
  std::vector<std::wstring> folded;
  // A few sections are enough to meet every rule; each costs a pass over the text per key.
  constexpr std::size_t kSections = 6;
  for (std::size_t n = 0; n < split.size() && n < kSections; ++n) {
    const std::wstring& name = split[n];
    if (IsDriverSectionName(name)) {
      IniSection section{std::wstring(kDriverSection), {}};
      for (const GlobalValue& rule : kGlobalValues) {
        const std::wstring value = ValueText(text, name, rule.name, kGlobalDefaultText);
        CheckNumberRules(value);
        const CheckedValue checked = CheckGlobalValue(rule, value);
        Require(checked.message ? checked.value == rule.fallback
                                : checked.value >= rule.min && checked.value <= rule.max);
        section.values.emplace_back(rule.name, std::to_wstring(checked.value));
      }
      if (TrimmedFold(name) == FoldAsciiName(name) &&
          std::find(folded.begin(), folded.end(), FoldAsciiName(section.name)) == folded.end()) {
        folded.push_back(FoldAsciiName(section.name));
        exported.push_back(std::move(section));
      }
      continue;
    }
    IniSection section{name, {}};
    for (const DeviceValue& rule : kDeviceValues) {
      const std::wstring value = ValueText(text, name, rule.name, rule.defaultText);
      const CheckedValue checked = CheckDeviceValue(rule, value);
      const auto number = ParseDecimal(value, true);
      Require(number ? checked.value == *number && !checked.message : checked.value == rule.fallback);
      section.values.emplace_back(rule.name, std::to_wstring(checked.value));
    }
    if (CheckTouchScreenSectionName(name) != SectionNameProblem::None) continue;
    if (std::find(folded.begin(), folded.end(), FoldAsciiName(name)) != folded.end()) continue;
    folded.push_back(FoldAsciiName(name));
    exported.push_back(std::move(section));
  }

  const std::wstring merged = MergeIniSections(text, exported);
  for (const IniSection& section : exported)
    for (const auto& [key, value] : section.values) Require(FindIniValue(merged, section.name, key) == value);
  // What the export does not write reads as it did.
  for (std::size_t n = 0; n < names.size() && n < 2 * kSections; ++n) {
    const std::wstring& name = names[n];
    if (std::find(folded.begin(), folded.end(), TrimmedFold(name)) != folded.end()) continue;
    for (const wchar_t* key : {L"Owner", L"A", L"Mode", L"XOff", L""})
      Require(FindIniValue(text, name, key) == FindIniValue(merged, name, key));
  }
  return 0;
}
