// The export's merge of its sections into an existing INI text, and the profile functions'
// reading rules it is checked against.
#include <gtest/gtest.h>

#include "config/core/ini_document.h"

namespace {

const std::vector<IniSection> kSections = {
    {L"DriverParameters", {{L"Mode", L"1"}, {L"EnableTouch", L"0"}}},
    {L"Screen", {{L"XOff", L"-12"}}},
};

}  // namespace

TEST(ConfigIniDocument, MergeUpdatesInPlaceAndKeepsEverythingElse) {
  const struct {
    const wchar_t* existing;
    const wchar_t* merged;
  } cases[] = {
      {L"", L"[DriverParameters]\r\nMode=1\r\nEnableTouch=0\r\n[Screen]\r\nXOff=-12\r\n"},
      // Known keys replaced where they stand (first copy, any letter case, blanks around
      // them), foreign keys, comments, blank lines and other sections kept, missing keys
      // added after the section's last line.
      {L"; note\r\n[Other]\r\nA=1\r\n\r\n[driverparameters]\r\nForeign=7\r\n  mode = 2 \r\nMode=3\r\n\r\n"
       L"[Other2]\nB=2",
       L"; note\r\n[Other]\r\nA=1\r\n\r\n[driverparameters]\r\nForeign=7\r\nmode=1\r\nMode=3\r\n"
       L"EnableTouch=0\r\n\r\n[Other2]\nB=2\r\n[Screen]\r\nXOff=-12\r\n"},
      // A second copy of a section is left alone; the last line without a line end gets one.
      {L"[Screen]\nYOff=1\n[Screen]\nXOff=5", L"[Screen]\nYOff=1\nXOff=-12\r\n[Screen]\nXOff=5\r\n"
       L"[DriverParameters]\r\nMode=1\r\nEnableTouch=0\r\n"},
      {L"[Screen]", L"[Screen]\r\nXOff=-12\r\n[DriverParameters]\r\nMode=1\r\nEnableTouch=0\r\n"},
      // After the last line feed, lines ending with carriage returns alone stay so.
      {L"[X]\nA=1\n[Screen]\rB=2", L"[X]\nA=1\n[Screen]\rB=2\rXOff=-12\r[DriverParameters]\rMode=1\r"
       L"EnableTouch=0\r"},
      // A header without its "]" is a key line of the section before it.
      {L"[Screen\r\n", L"[Screen\r\n[DriverParameters]\r\nMode=1\r\nEnableTouch=0\r\n[Screen]\r\nXOff=-12\r\n"},
  };
  for (const auto& c : cases) {
    const std::wstring merged = MergeIniSections(c.existing, kSections);
    EXPECT_EQ(merged, c.merged) << std::string(merged.begin(), merged.end());
    for (const IniSection& section : kSections)
      for (const auto& [key, value] : section.values)
        EXPECT_EQ(FindIniValue(merged, section.name, key), value);
  }
}

TEST(ConfigIniDocument, FindReadsLikeTheProfileFunctions) {
  const wchar_t* text = L"A=0\n [ S ] \n[s]\n k = v w \nE\n[T]\nk=2\n[S]\nk=3\n";
  EXPECT_EQ(FindIniValue(text, L"s", L"K"), L"v w");  // " S " never matches a trimmed name
  EXPECT_EQ(FindIniValue(text, L"S", L"E"), L"");
  EXPECT_EQ(FindIniValue(text, L"S", L"X"), std::nullopt);  // not looked for in the second [S]
  EXPECT_EQ(FindIniValue(text, L"T", L"k"), L"2");
  EXPECT_EQ(FindIniValue(L"[S]\rk=1\rj=2", L"S", L"j"), L"2");  // carriage returns alone
}
