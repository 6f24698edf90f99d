// The export's file-name rules.
#include <gtest/gtest.h>

#include "config/core/file_name_rules.h"

TEST(ConfigFileName, ExportArgumentRules) {
  EXPECT_EQ(CheckExportFileName(L"abc.ini", L"abc.ini"), ExportNameCheck::TooShort);
  EXPECT_EQ(CheckExportFileName(L"abcd.ini", L"abcd.ini"), ExportNameCheck::Ok);
  EXPECT_EQ(CheckExportFileName(L"D:\\CONF.INI", L"CONF.INI"), ExportNameCheck::Ok);
  EXPECT_EQ(CheckExportFileName(L"conf.txt", L"conf.txt"), ExportNameCheck::NotIni);
  EXPECT_EQ(CheckExportFileName(L"d:\\dir\\.ini", L".ini"), ExportNameCheck::BadName);
  for (const wchar_t* bad : {L"a*cd.ini", L"a>cd.ini", L"a<cd.ini", L"a|cd.ini", L"a?cd.ini",
                             L"a\"cd.ini"})
    EXPECT_EQ(CheckExportFileName(bad, bad), ExportNameCheck::BadName) << bad;
  const std::wstring longName = std::wstring(252, L'n') + L".ini";  // 256 characters
  EXPECT_EQ(CheckExportFileName(longName, longName), ExportNameCheck::BadName);
  const std::wstring longest = std::wstring(251, L'n') + L".ini";  // 255 characters
  EXPECT_EQ(CheckExportFileName(longest, longest), ExportNameCheck::Ok);
}

TEST(ConfigFileName, TrimAndExtension) {
  EXPECT_EQ(TrimTrailingWhitespace(L"a.ini \t\r\n"), L"a.ini");
  EXPECT_EQ(TrimTrailingWhitespace(L"   "), L"");
  EXPECT_FALSE(HasIniExtension(L"x.inl"));
  EXPECT_TRUE(HasIniExtension(L"x.InI"));
  EXPECT_FALSE(HasIniExtension(L"ini"));
}
