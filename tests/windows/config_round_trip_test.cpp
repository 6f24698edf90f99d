// Export, clear, import: the driver's store comes back as it was. And the import's handling
// of files that are not what the export writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/process_runner.h"
#include "windows/config_test_registry.h"

using namespace config_test;

namespace {

const std::string kEnd = "Import completed!\r\nPress any key to continue......";
const std::string kUnreadable =
    "Import file can't be read, nothing imported!\r\nPress any key to continue......";

class ConfigRoundTrip : public DriverRegistryTest {
protected:
  ProgramResult Run(const std::wstring& flag, const std::wstring& name) {
    ProgramResult result = RunProgram(DistProgram() + L" " + flag + L" " + name, m_folder.path());
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);
    return result;
  }

  // Nothing was written beside the two keys of the driver's store.
  void ExpectOnlyDriverKeys(const std::vector<std::wstring>& touchScreens) {
    std::vector<std::wstring> parameters = Subkeys(kParametersPath);
    std::sort(parameters.begin(), parameters.end());
    for (const std::wstring& name : parameters)
      EXPECT_TRUE(name == L"DeviceParameters" || name == L"DriverParameters") << Narrow(name);
    std::vector<std::wstring> screens = Subkeys(kDevicePath);
    std::sort(screens.begin(), screens.end());
    std::vector<std::wstring> expected = touchScreens;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(screens, expected);
    for (const std::wstring& screen : screens) {
      EXPECT_TRUE(Subkeys(TouchScreenPath(screen)).empty());
      EXPECT_EQ(Dwords(TouchScreenPath(screen)).size(), 26u);
    }
  }

  TempFolder m_folder;
};

}  // namespace

TEST_F(ConfigRoundTrip, ExportClearImportGivesTheSameStore) {
  const std::vector<std::int32_t> globals = {1, 1, 1, 1000, 32, 1, 250, 1, 1000,
                                             1, 1, 1, 2,    50, 10, 1, 1000, 4};
  std::map<std::wstring, std::int32_t> driver;
  for (const GlobalValue& value : kGlobalValues) driver[value.name] = globals[value.recordIndex];
  for (const auto& [name, value] : driver) SetDword(kDriverPath, name.c_str(), value);

  const std::vector<std::wstring> screens = {L"TouchScreen0", L"TouchScreen7", L"Vendor_0001"};
  std::map<std::wstring, std::map<std::wstring, std::int32_t>> device;
  std::mt19937 random(42);
  for (const std::wstring& screen : screens) {
    for (const DeviceValue& value : kDeviceValues)
      device[screen][value.name] = static_cast<std::int32_t>(random());
  }
  device[L"TouchScreen0"][L"XOff"] = -12;
  device[L"TouchScreen0"][L"YOff"] = -1;
  device[L"TouchScreen7"][L"XOff"] = -2147483647 - 1;
  device[L"TouchScreen7"][L"YOff"] = 2147483647;
  device[L"Vendor_0001"][L"MaxX"] = 0;
  device[L"Vendor_0001"][L"IsCalibrate"] = -1;
  for (const auto& [screen, values] : device)
    for (const auto& [name, value] : values) SetDword(TouchScreenPath(screen), name.c_str(), value);

  EXPECT_EQ(Run(L"-e", L"conf.ini").output,
            "\r\nPlease don't close console!\r\nExport completed!\r\n"
            "Press any key to continue......");
  ClearDriverKeys();
  const ProgramResult imported = Run(L"-i", L"conf.ini");
  EXPECT_EQ(imported.output,
            "\r\nPlease don't close console!\r\nImport config to file " +
                Narrow(m_folder.File(L"conf.ini")) + " \r\n" +
                "error 0\r\nerror 0\r\nerror 0\r\nerror 0\r\n" + kEnd);

  EXPECT_EQ(Dwords(kDriverPath), driver);
  for (const std::wstring& screen : screens)
    EXPECT_EQ(Dwords(TouchScreenPath(screen)), device[screen]) << Narrow(screen);
  ExpectOnlyDriverKeys(screens);
}

// Files that are not what the export writes: never a crash or a hang, never a key outside
// the driver's store, each value by the rules.
class ConfigBadInput : public ConfigRoundTrip {
protected:
  void SetUp() override {
    ConfigRoundTrip::SetUp();
    CreateKey(kDriverPath);
    CreateKey(kDevicePath);
  }

  ProgramResult ImportBytes(const std::string& bytes, const std::string& end = kEnd) {
    WriteFileBytes(m_folder.File(L"bad.ini"), bytes);
    ProgramResult result = Run(L"-i", L"bad.ini");
    EXPECT_GE(result.output.size(), end.size());
    EXPECT_EQ(result.output.substr(result.output.size() - std::min(result.output.size(), end.size())),
              end);
    return result;
  }
};

TEST_F(ConfigBadInput, ThousandsOfDigits) {
  ImportBytes("[DriverParameters]\r\nMode=" + std::string(5000, '0') + "1\r\nDoubleClickTime=" +
              std::string(3000, '9') + "\r\n[S]\r\nMaxX=" + std::string(4000, '7') +
              "\r\nXOff=-" + std::string(4000, '8') + "\r\n");
  // The value is read into 256 characters: the first 255 zeros are 0, in range.
  EXPECT_EQ(Dwords(kDriverPath).at(L"Mode"), 0);
  EXPECT_EQ(Dwords(kDriverPath).at(L"DoubleClickTime"), 500);
  EXPECT_EQ(Dwords(TouchScreenPath(L"S")).at(L"MaxX"), 2147483647);
  EXPECT_EQ(Dwords(TouchScreenPath(L"S")).at(L"XOff"), -2147483647 - 1);
  ExpectOnlyDriverKeys({L"S"});
}

TEST_F(ConfigBadInput, DuplicateSectionsAndKeys) {
  ImportBytes("[DriverParameters]\r\nMode=1\r\nMode=2\r\n[S]\r\nM1X=5\r\n[S]\r\nM1X=6\r\nM1X=7\r\n"
              "[DriverParameters]\r\nMode=9\r\n");
  // Whichever copy the profile functions give, the value is one of the file's, by the rules.
  const std::int32_t mode = Dwords(kDriverPath).at(L"Mode");
  EXPECT_TRUE(mode == 1 || mode == 2 || mode == 0) << mode;
  const std::int32_t m1x = Dwords(TouchScreenPath(L"S")).at(L"M1X");
  EXPECT_TRUE(m1x >= 5 && m1x <= 7) << m1x;
  ExpectOnlyDriverKeys({L"S"});
}

TEST_F(ConfigBadInput, TruncatedFile) {
  const std::string whole = "[DriverParameters]\r\nMode=1\r\nEnableTouch=1\r\n[Screen]\r\nXOff=-12\r\n";
  for (std::size_t cut : {whole.size() - 3, std::size_t{30}}) {
    ClearDriverKeys();
    CreateKey(kDriverPath);
    CreateKey(kDevicePath);
    ImportBytes(whole.substr(0, cut));
  }
  ClearDriverKeys();
  CreateKey(kDriverPath);
  CreateKey(kDevicePath);
  // No complete section name: nothing to import.
  ImportBytes(whole.substr(0, 5),
              "Import file holds no section, nothing imported!\r\nPress any key to continue......");
  ExpectOnlyDriverKeys({});
}

TEST_F(ConfigBadInput, BinaryGarbage) {
  std::mt19937 random(7);
  std::string bytes(64 * 1024, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  // Null bytes: not a text file the profile functions can read, so nothing is imported.
  ImportBytes(bytes, kUnreadable);
  ExpectOnlyDriverKeys({});
  EXPECT_TRUE(Dwords(kDriverPath).empty());

  // Without null bytes, whatever sections the garbage holds become touch screens, each value
  // by the rules; no key lies outside the store.
  for (char& c : bytes)
    if (c == '\0') c = '[';
  ImportBytes(bytes.substr(0, 16 * 1024), "Press any key to continue......");
  for (const std::wstring& name : Subkeys(kParametersPath))
    EXPECT_TRUE(name == L"DeviceParameters" || name == L"DriverParameters");
  for (const std::wstring& screen : Subkeys(kDevicePath))
    EXPECT_TRUE(Subkeys(TouchScreenPath(screen)).empty()) << Narrow(screen);
}

TEST_F(ConfigBadInput, HugeFile) {
  std::string bytes = "[DriverParameters]\r\nMode=2\r\nEnableTouch=1\r\n";
  bytes.reserve(24u << 20);
  for (int i = 0; bytes.size() < (24u << 20); ++i)
    bytes += "Padding" + std::to_string(i) + "=" + std::string(200, 'p') + "\r\n";
  bytes += "[Last]\r\nXOff=4\r\n";
  ImportBytes(bytes);
  EXPECT_EQ(Dwords(kDriverPath).at(L"Mode"), 2);
  EXPECT_EQ(Dwords(TouchScreenPath(L"Last")).at(L"XOff"), 4);
  ExpectOnlyDriverKeys({L"Last"});
}

TEST_F(ConfigBadInput, OtherEncodings) {
  // UTF-16LE with a byte-order mark, as Windows reads Unicode profile files.
  const std::string text = "[DriverParameters]\r\nMode=2\r\n[Wide]\r\nXOff=-3\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : text) utf16 += std::string{c, '\0'};
  ImportBytes(utf16);
  EXPECT_EQ(Dwords(kDriverPath).at(L"Mode"), 2);
  EXPECT_EQ(Dwords(TouchScreenPath(L"Wide")).at(L"XOff"), -3);

  // UTF-16 without a mark reads as 8-bit text with null bytes: nothing is imported.
  ClearDriverKeys();
  CreateKey(kDriverPath);
  std::string bare;
  for (char c : text) bare += std::string{c, '\0'};
  ImportBytes(bare, kUnreadable);
  EXPECT_TRUE(Dwords(kDriverPath).empty());
  // UTF-8 with a mark, and digits of other scripts: by the rules.
  ImportBytes("\xEF\xBB\xBF[DriverParameters]\r\nMode=\xD9\xA1\r\n[S]\r\nXOff=\xEF\xBC\x91\r\n");
  EXPECT_EQ(Dwords(kDriverPath).at(L"Mode"), 0);         // ARABIC-INDIC DIGIT ONE: malformed
  EXPECT_EQ(Dwords(TouchScreenPath(L"S")).at(L"XOff"), 0);  // FULLWIDTH DIGIT ONE: malformed
}

// Every subkey name the registry can hold and an INI file can carry comes back under the same
// name; the others are named on the console and left out, and the export says so.
TEST_F(ConfigRoundTrip, EveryNameTheFileCanCarryComesBack) {
  const std::vector<std::wstring> carried = {
      L"TouchScreen0", L"\u00c9cran 1", L"\u5c4f\u5e55 2", L"inner  blanks", L"[open", L"semi;colon",
      L"key=value", L"driverparameters2", std::wstring(60, L'L'), std::wstring(255, L'M')};
  const std::vector<std::pair<std::wstring, std::string>> left = {
      {L"line\nbreak", "\"line\\nbreak\" can't be written to an ini file (a line break in the name)"},
      {L"close]bracket", "\"close]bracket\" can't be written to an ini file (a ] in the name)"},
      {L" lead", "\" lead\" can't be written to an ini file (a blank at the start or end of the name)"},
      {L"trail\t", "\"trail\\t\" can't be written to an ini file (a blank at the start or end of the name)"},
      {L"DRIVERPARAMETERS", "\"DRIVERPARAMETERS\" can't be written to an ini file (the name of the global section)"}};
  SetDword(kDriverPath, L"Mode", 2);
  std::map<std::wstring, std::map<std::wstring, std::int32_t>> device;
  std::int32_t n = -500;
  for (const std::wstring& screen : carried) {
    for (const DeviceValue& value : kDeviceValues) device[screen][value.name] = n += 7919;
    for (const auto& [name, value] : device[screen]) SetDword(TouchScreenPath(screen), name.c_str(), value);
  }
  for (const auto& [screen, message] : left) SetDword(TouchScreenPath(screen), L"XOff", 1);
  ASSERT_EQ(Subkeys(kDevicePath).size(), carried.size() + left.size());
  // An existing 8-bit file: the Chinese name needs Unicode, so it becomes UTF-16LE with its
  // mark and keeps what it held.
  WriteFileBytes(m_folder.File(L"conf.ini"), "[Notes]\r\nOwner=\xE9t\xE9\r\n");

  const std::string exported = Run(L"-e", L"conf.ini").output;
  for (const auto& [screen, message] : left)
    EXPECT_NE(exported.find("TouchScreen " + message + ", skipped!\r\n"), std::string::npos) << message;
  EXPECT_TRUE(exported.ends_with("Export incomplete, 5 TouchScreen(s) not exported!\r\n"
                                 "Press any key to continue......"))
      << exported;
  EXPECT_EQ(ReadFileBytes(m_folder.File(L"conf.ini")).substr(0, 2), "\xFF\xFE");
  wchar_t owner[16] = {};
  GetPrivateProfileStringW(L"Notes", L"Owner", L"", owner, 16, m_folder.File(L"conf.ini").c_str());
  EXPECT_STREQ(owner, L"\u00e9t\u00e9");

  ClearDriverKeys();
  const std::string imported = Run(L"-i", L"conf.ini").output;
  EXPECT_TRUE(imported.ends_with(kEnd)) << imported;
  for (const std::wstring& screen : carried)
    EXPECT_EQ(Dwords(TouchScreenPath(screen)), device[screen]) << Narrow(screen);
  EXPECT_EQ(Dwords(kDriverPath).at(L"Mode"), 2);
  std::vector<std::wstring> sections = carried;
  sections.push_back(L"Notes");  // a section of the file like any other
  ExpectOnlyDriverKeys(sections);
}
