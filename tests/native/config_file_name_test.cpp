// The export's file-name rules, the path resolution of both commands, the device key.
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

TEST(ConfigFileName, BareNamesGoToTheCurrentDirectory) {
  EXPECT_EQ(ResolveIniPath(L"conf.ini", L"C:\\Work\\"), L"C:\\Work\\conf.ini");
  EXPECT_EQ(ResolveIniPath(L"sub\\conf.ini", L"C:\\Work\\"), L"sub\\conf.ini");
}

TEST(ConfigFileName, DeviceKeyFromTheLastEightCharacters) {
  EXPECT_EQ(DeviceKeyFromPdoName(L"\\Device\\00000041"), 0x42u);
  EXPECT_EQ(DeviceKeyFromPdoName(L"1f"), 0x20u);
  EXPECT_EQ(DeviceKeyFromPdoName(L"\\Device\\ABCDEF12x"), 0xBCDEF12u + 1);
  EXPECT_EQ(DeviceKeyFromPdoName(L""), 1u);
  EXPECT_EQ(DeviceKeyFromPdoName(L"FFFFFFFF"), 0u);  // wraps, as 32-bit arithmetic does
}
