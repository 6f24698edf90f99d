#pragma once
// INI text as the profile functions read it, and the export's merge of its sections into an
// existing file in one pass: what the profile functions would find afterwards is exactly the
// exported values, and every other line stays as it was.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Folds a section or key name for comparison: the profile functions match names regardless of
// letter case. The Windows side passes the system's case mapping; ASCII folding is the
// portable default.
using NameFold = std::wstring (*)(std::wstring_view);
std::wstring FoldAsciiName(std::wstring_view name);

struct IniSection {
  std::wstring name;
  std::vector<std::pair<std::wstring, std::wstring>> values;  // key, value text, in order
};

// The existing text with the sections merged in. A section already in the text (its first
// copy) has its keys' values replaced in place and its missing keys added after its last
// line; a new section is added at the end. New lines end with CR LF.
std::wstring MergeIniSections(std::wstring_view existing, const std::vector<IniSection>& sections,
                              NameFold fold = FoldAsciiName);

// The section names of the text in file order, as the profile functions list them.
std::vector<std::wstring> IniSectionNames(std::wstring_view text);

// The value the profile functions read for a key: the first section of that name, its first
// key of that name, the text after "=" without surrounding blanks. Nothing when missing.
std::optional<std::wstring> FindIniValue(std::wstring_view text, std::wstring_view section,
                                         std::wstring_view key, NameFold fold = FoldAsciiName);
