#pragma once
// Section names of the configuration INI file: the list the profile functions return, and
// which touch screen names the file can carry at all.
#include <string>
#include <string_view>
#include <vector>

// The names of a section-name list as GetPrivateProfileSectionNamesW fills it: names ended by
// nulls, the list ended by an empty name or by its length.
std::vector<std::wstring> SplitSectionNames(std::wstring_view list);

// True when the name is the global section's, in any letter case: the profile functions find
// sections regardless of case, so such a touch screen section would be merged with it.
bool IsDriverSectionName(std::wstring_view name);

// Why a touch screen's name cannot be an INI section name that reads back unchanged.
enum class SectionNameProblem {
  None,
  Empty,
  LineBreak,   // a header cannot span lines
  Bracket,     // "]" ends the header early
  EdgeBlank,   // the profile functions trim blanks around a name
  GlobalName,  // would merge with the global section
};
SectionNameProblem CheckTouchScreenSectionName(std::wstring_view name);
