// PelnixCpl.exe -e end to end under Wine: the real program, Wine's registry and profile
// functions, the console text byte for byte and the file value by value.
#include <gtest/gtest.h>

#include <aclapi.h>

#include "support/process_runner.h"
#include "windows/config_test_files.h"
#include "windows/config_test_registry.h"

using namespace config_test;

namespace {

const std::string kStart = "\r\nPlease don't close console!\r\n";
const std::string kPrompt = "Press any key to continue......";
const std::string kCompleted = kStart + "Export completed!\r\n" + kPrompt;

class ConfigExport : public DriverRegistryTest {
protected:
  ProgramResult Export(const std::wstring& argument) {
    ProgramResult result = RunProgram(DistProgram() + L" -e " + argument, m_folder.path());
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);
    return result;
  }

  // The 18 global entries the export writes for a registry holding these values.
  static std::vector<IniEntry> GlobalEntries(const std::map<std::wstring, std::int32_t>& stored) {
    std::vector<IniEntry> entries;
    for (const GlobalValue& value : kGlobalValues) {
      const auto found = stored.find(value.name);
      entries.push_back({"DriverParameters", Narrow(value.name),
                         std::to_string(found == stored.end() ? 0 : found->second)});
    }
    return entries;
  }

  static std::vector<IniEntry> TouchScreenEntries(const std::string& section,
                                                  const std::map<std::wstring, std::int32_t>& stored) {
    std::vector<IniEntry> entries;
    for (const DeviceValue& value : kDeviceValues) {
      const auto found = stored.find(value.name);
      entries.push_back(
          {section, Narrow(value.name), std::to_string(found == stored.end() ? 0 : found->second)});
    }
    return entries;
  }

  TempFolder m_folder;
};

}  // namespace

TEST_F(ConfigExport, EmptyDriverKeyExportsZerosAndNoTouchScreens) {
  CreateKey(kDriverPath);
  EXPECT_EQ(Export(L"conf.ini").output, kCompleted);
  EXPECT_EQ(ReadIniEntries(m_folder.File(L"conf.ini")), GlobalEntries({}));
}

TEST_F(ConfigExport, MissingDriverKeyIsCreatedAndReported) {
  EXPECT_EQ(Export(L"conf.ini").output,
            kStart + "error 0\r\nRead driver data failed!,please retry!" + kPrompt);
  EXPECT_EQ(GetFileAttributesW(m_folder.File(L"conf.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(KeyExists(kDriverPath));
  // The failed run created the key: the next one finds it.
  EXPECT_EQ(Export(L"conf.ini").output, kCompleted);
}

TEST_F(ConfigExport, ValuesInStoreAndExportOrderWithTheirSigns) {
  std::map<std::wstring, std::int32_t> global;
  int n = 1;
  for (const GlobalValue& value : kGlobalValues) global[value.name] = n++ * 3;
  global[L"Mode"] = -1;
  for (const auto& [name, value] : global) SetDword(kDriverPath, name.c_str(), value);

  std::map<std::wstring, std::int32_t> screen;
  n = 0;
  for (const DeviceValue& value : kDeviceValues) screen[value.name] = 1000 + n++;
  screen[L"XOff"] = -12;
  screen[L"YOff"] = -2147483647 - 1;
  screen[L"MaxX"] = 2147483647;
  for (const auto& [name, value] : screen) SetDword(TouchScreenPath(L"TouchScreen0"), name.c_str(), value);
  CreateKey(TouchScreenPath(L"TouchScreen1"));  // a subkey without values exports zeros

  EXPECT_EQ(Export(L"conf.ini").output, kCompleted);
  std::vector<IniEntry> expected = GlobalEntries(global);
  for (const IniEntry& entry : TouchScreenEntries("TouchScreen0", screen)) expected.push_back(entry);
  for (const IniEntry& entry : TouchScreenEntries("TouchScreen1", {})) expected.push_back(entry);
  EXPECT_EQ(ReadIniEntries(m_folder.File(L"conf.ini")), expected);
}

TEST_F(ConfigExport, ExistingFileIsUpdatedInPlace) {
  WriteFileBytes(m_folder.File(L"conf.ini"),
                 "[Notes]\r\nOwner=me\r\n[DriverParameters]\r\nMode=2\r\nForeign=7\r\n"
                 "[OldScreen]\r\nXOff=5\r\n");
  SetDword(kDriverPath, L"Mode", 1);
  SetDword(TouchScreenPath(L"Screen"), L"XOff", 3);
  EXPECT_EQ(Export(L"conf.ini").output, kCompleted);
  EXPECT_EQ(Export(L"conf.ini").output, kCompleted);  // twice: still one copy of each key

  const std::vector<IniEntry> entries = ReadIniEntries(m_folder.File(L"conf.ini"));
  auto count = [&](const std::string& section, const std::string& key) {
    int found = 0;
    for (const IniEntry& entry : entries) found += entry.section == section && entry.key == key;
    return found;
  };
  auto value = [&](const std::string& section, const std::string& key) {
    for (const IniEntry& entry : entries)
      if (entry.section == section && entry.key == key) return entry.value;
    return std::string("<missing>");
  };
  EXPECT_EQ(value("Notes", "Owner"), "me");
  EXPECT_EQ(value("DriverParameters", "Foreign"), "7");
  EXPECT_EQ(value("DriverParameters", "Mode"), "1");
  EXPECT_EQ(count("DriverParameters", "Mode"), 1);
  EXPECT_EQ(value("OldScreen", "XOff"), "5");  // a touch screen no longer stored stays
  EXPECT_EQ(value("Screen", "XOff"), "3");
  EXPECT_EQ(count("Screen", "EdgeA"), 1);
  EXPECT_EQ(entries.size(), 1u + 19u + 1u + 26u);
}

TEST_F(ConfigExport, FileNameRules) {
  CreateKey(kDriverPath);
  const std::string invalid = kStart + "Export file is invalid!\r\n" + kPrompt;
  const std::string badName = kStart + "Export file is invalid !\r\n" + kPrompt;
  const std::string notIni = kStart + "Export file type must be ini file,Export exit!" + kPrompt;

  EXPECT_EQ(Export(L"abc.ini").output, invalid);  // 7 characters
  EXPECT_EQ(Export(L"conf.txt").output, notIni);
  EXPECT_EQ(Export(L"\"ab*d.ini\"").output, badName);
  EXPECT_EQ(Export(L"\"ab?d.ini\"").output, badName);
  EXPECT_EQ(Export(L"\"a<b>.ini\"").output, badName);
  EXPECT_EQ(Export(L"\"a|bcd.ini\"").output, badName);
  EXPECT_EQ(Export(L"\"" + m_folder.path() + L"\\.ini\"").output, badName);
  EXPECT_EQ(Export(L"\"" + std::wstring(252, L'n') + L".ini\"").output, badName);
  // The trailing blanks of the argument are dropped first.
  EXPECT_EQ(Export(L"\"abc.ini   \"").output, invalid);
  EXPECT_EQ(GetFileAttributesW(m_folder.File(L"abc.ini").c_str()), INVALID_FILE_ATTRIBUTES);

  // 8 characters, a bare name: written into the current directory.
  EXPECT_EQ(Export(L"abcd.ini").output, kCompleted);
  EXPECT_EQ(ReadIniEntries(m_folder.File(L"abcd.ini")).size(), 18u);
  // An upper-case extension in a full path.
  EXPECT_EQ(Export(L"\"" + m_folder.File(L"CONF.INI") + L"\"").output, kCompleted);
  EXPECT_EQ(ReadIniEntries(m_folder.File(L"CONF.INI")).size(), 18u);
  // A relative path with a backslash is resolved by the system against the current folder.
  ASSERT_TRUE(CreateDirectoryW(m_folder.File(L"sub").c_str(), nullptr));
  EXPECT_EQ(Export(L"sub\\abcd.ini").output, kCompleted);
  EXPECT_EQ(ReadIniEntries(m_folder.File(L"sub\\abcd.ini")).size(), 18u);
}

TEST_F(ConfigExport, UnwritableFileIsReportedNotCompleted) {
  CreateKey(kDriverPath);
  const ProgramResult result = Export(L"\"" + m_folder.File(L"missing\\conf.ini") + L"\"");
  EXPECT_EQ(result.output, kStart + "Export file can't be written!\r\n" + kPrompt);
}

TEST_F(ConfigExport, UnreadableTouchScreenIsReportedWithItsIndex) {
  CreateKey(kDriverPath);
  SetDword(TouchScreenPath(L"A"), L"XOff", 1);
  SetDword(TouchScreenPath(L"B"), L"XOff", 2);
  SetDword(TouchScreenPath(L"C"), L"XOff", 3);
  // Deny everyone access to the second subkey.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, TouchScreenPath(L"B").c_str(), 0, WRITE_DAC, &key),
            ERROR_SUCCESS);
  EXPLICIT_ACCESSW deny{};
  BuildExplicitAccessWithNameW(&deny, const_cast<wchar_t*>(L"EVERYONE"), KEY_ALL_ACCESS,
                               DENY_ACCESS, NO_INHERITANCE);
  PACL acl = nullptr;
  ASSERT_EQ(SetEntriesInAclW(1, &deny, nullptr, &acl), ERROR_SUCCESS);
  const DWORD set = SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, acl, nullptr);
  LocalFree(acl);
  RegCloseKey(key);
  ASSERT_EQ(set, ERROR_SUCCESS);
  HKEY probe = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, TouchScreenPath(L"B").c_str(), 0, KEY_ALL_ACCESS,
                    &probe) == ERROR_SUCCESS) {
    RegCloseKey(probe);
    GTEST_SKIP() << "this Wine does not enforce registry access rights";
  }

  EXPECT_EQ(Export(L"conf.ini").output,
            kStart + "Read No. 1 TouchScreen  Data Failed!Export completed!\r\n" + kPrompt);
  const std::vector<IniEntry> entries = ReadIniEntries(m_folder.File(L"conf.ini"));
  EXPECT_EQ(entries.size(), 18u + 26u);  // A only: the enumeration ends at B
  EXPECT_EQ(entries.back().section, "A");
}
