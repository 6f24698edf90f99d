// Section names: the profile functions' null-separated list, and which touch screen names an
// INI file can carry so that they read back unchanged.
#include <gtest/gtest.h>

#include <string>

#include "config/core/ini_sections.h"

using namespace std::literals;

TEST(ConfigIniSections, SplitsTheListAtNullsUpToTheFirstEmptyName) {
  using Names = std::vector<std::wstring>;
  EXPECT_EQ(SplitSectionNames(L""sv), Names{});
  EXPECT_EQ(SplitSectionNames(L"\0"sv), Names{});
  EXPECT_EQ(SplitSectionNames(L"A\0Bc\0\0"sv), (Names{L"A", L"Bc"}));
  EXPECT_EQ(SplitSectionNames(L"A\0\0B\0"sv), Names{L"A"});
  EXPECT_EQ(SplitSectionNames(L"A\0Bc"sv), (Names{L"A", L"Bc"}));  // cut by the length
}

TEST(ConfigIniSections, NamesTheFileCannotCarry) {
  const struct {
    std::wstring_view name;
    SectionNameProblem problem;
  } cases[] = {
      {L"TouchScreen0", SectionNameProblem::None},
      {L"a b", SectionNameProblem::None},
      {L"\u5c4f\u5e55 1", SectionNameProblem::None},
      {L"[x", SectionNameProblem::None},
      {L"DriverParameters2", SectionNameProblem::None},
      {L"", SectionNameProblem::Empty},
      {L"a\nb", SectionNameProblem::LineBreak},
      {L"a\rb", SectionNameProblem::LineBreak},
      {L"a]b", SectionNameProblem::Bracket},
      {L" a", SectionNameProblem::EdgeBlank},
      {L"a\t", SectionNameProblem::EdgeBlank},
      {L"a\u3000", SectionNameProblem::EdgeBlank},
      {L"DriverParameters", SectionNameProblem::GlobalName},
      {L"driverPARAMETERS", SectionNameProblem::GlobalName},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CheckTouchScreenSectionName(c.name), c.problem) << std::string(c.name.begin(), c.name.end());
}
