// PelnixCpl.exe -i end to end under Wine: INI files in, console text byte for byte and the
// driver's registry keys value by value out.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/process_runner.h"
#include "windows/config_test_registry.h"

using namespace config_test;

namespace {

const std::string kPrompt = "Press any key to continue......";

class ConfigImport : public DriverRegistryTest {
protected:
  void SetUp() override {
    DriverRegistryTest::SetUp();
    // Both keys exist unless a test removes them, so the output holds no "error 0" lines.
    CreateKey(kDriverPath);
    CreateKey(kDevicePath);
  }

  ProgramResult Import(const std::string& fileBytes, const std::wstring& name = L"conf.ini") {
    WriteFileBytes(m_folder.File(name), fileBytes);
    return ImportFile(name);
  }

  ProgramResult ImportFile(const std::wstring& argument) {
    ProgramResult result = RunProgram(DistProgram() + L" -i " + argument, m_folder.path());
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);
    return result;
  }

  std::string Header(const std::wstring& name = L"conf.ini") const {
    return "\r\nPlease don't close console!\r\nImport config to file " +
           Narrow(m_folder.File(name)) + " \r\n";
  }

  // The output of an import whose lines between the header and the end are these.
  std::string Output(const std::string& messages, const std::wstring& name = L"conf.ini") const {
    return Header(name) + Crlf(messages) + "Import completed!\r\n" + kPrompt;
  }

  TempFolder m_folder;
};

// A global section with every value given by the function.
template <typename Text>
std::string GlobalSection(Text text) {
  std::string section = "[DriverParameters]\r\n";
  for (const GlobalValue& value : kGlobalValues)
    section += Narrow(value.name) + "=" + text(value) + "\r\n";
  return section;
}

std::map<std::wstring, std::int32_t> ExpectedGlobals(std::int32_t (*pick)(const GlobalValue&)) {
  std::map<std::wstring, std::int32_t> values;
  for (const GlobalValue& value : kGlobalValues) values[value.name] = pick(value);
  return values;
}

}  // namespace

TEST_F(ConfigImport, GlobalValuesAtBothEndsOfTheirRanges) {
  EXPECT_EQ(Import(GlobalSection([](const GlobalValue& v) { return std::to_string(v.min); })).output,
            Output(""));
  EXPECT_EQ(Dwords(kDriverPath), ExpectedGlobals([](const GlobalValue& v) { return v.min; }));

  EXPECT_EQ(Import(GlobalSection([](const GlobalValue& v) { return std::to_string(v.max); })).output,
            Output(""));
  EXPECT_EQ(Dwords(kDriverPath), ExpectedGlobals([](const GlobalValue& v) { return v.max; }));
}

TEST_F(ConfigImport, GlobalValuesOneStepPastTheirRanges) {
  std::string messages;
  for (const GlobalValue& value : kGlobalValues) messages += value.outOfRange;
  EXPECT_EQ(Import(GlobalSection([](const GlobalValue& v) { return std::to_string(v.max + 1); }))
                .output,
            Output(messages));
  EXPECT_EQ(Dwords(kDriverPath), ExpectedGlobals([](const GlobalValue& v) { return v.fallback; }));

  // Below the range: only the values whose range starts above 0 can be one step below it
  // without a sign; with a sign every value is malformed.
  messages.clear();
  for (const GlobalValue& value : kGlobalValues)
    messages += value.min > 0 ? value.outOfRange : value.malformed;
  EXPECT_EQ(Import(GlobalSection([](const GlobalValue& v) { return std::to_string(v.min - 1); }))
                .output,
            Output(messages));
  EXPECT_EQ(Dwords(kDriverPath), ExpectedGlobals([](const GlobalValue& v) { return v.fallback; }));
}

TEST_F(ConfigImport, MalformedAndEmptyGlobalValues) {
  std::string messages;
  for (const GlobalValue& value : kGlobalValues) messages += value.malformed;
  EXPECT_EQ(Import(GlobalSection([](const GlobalValue&) { return std::string("1x"); })).output,
            Output(messages));
  EXPECT_EQ(Dwords(kDriverPath), ExpectedGlobals([](const GlobalValue& v) { return v.fallback; }));

  // An empty text is 0: silent for the switches and modes, a message for the times.
  messages.clear();
  for (const GlobalValue& value : kGlobalValues)
    if (value.min > 0) messages += value.outOfRange;
  EXPECT_EQ(Import(GlobalSection([](const GlobalValue&) { return std::string(); })).output,
            Output(messages));
  EXPECT_EQ(Dwords(kDriverPath),
            ExpectedGlobals([](const GlobalValue& v) { return v.min > 0 ? v.fallback : 0; }));
  // So does a section without keys.
  EXPECT_EQ(Import("[DriverParameters]\r\n").output, Output(messages));
  EXPECT_EQ(Dwords(kDriverPath).at(L"EnableTouch"), 0);
}

TEST_F(ConfigImport, SaturationAndSpecialValues) {
  EXPECT_EQ(Import("[DriverParameters]\r\nMode=1\r\nEnableTouch=99999999999\r\nHideCursor=0\r\n"
                   "EnableDoubleClick=1\r\nDoubleClickTime=200\r\nDoubleClickArea=4\r\n"
                   "RightClickTime=1000\r\nRightClickArea=4\r\nDragDelayTime=100\r\n"
                   "DelayTouchTime=25\r\nBeepFrequency=60\r\nBeepDuration=10\r\n"
                   "[Screen]\r\nMaxX=99999999999\r\nScreenHeight=abc\r\nIsCalibrate=yes\r\n"
                   "[NoHeight]\r\nM1X=7\r\n")
                .output,
            Output("EnableTouch value is incorrect! value = 0,1\n"
                   "error 0\n"  // each new subkey: created, reported, opened again
                   "ScreenHeight value is incorrect!\n"
                   "error 0\n"));
  const auto globals = Dwords(kDriverPath);
  EXPECT_EQ(globals.at(L"EnableTouch"), 1);
  EXPECT_EQ(globals.at(L"BeepFrequency"), 60);
  const auto screen = Dwords(TouchScreenPath(L"Screen"));
  EXPECT_EQ(screen.at(L"MaxX"), 2147483647);
  EXPECT_EQ(screen.at(L"ScreenHeight"), 1024);  // letters
  EXPECT_EQ(screen.at(L"IsCalibrate"), 0);      // malformed, silently
  EXPECT_EQ(screen.at(L"MaxY"), 65536);
  EXPECT_EQ(screen.at(L"ScreenWidth"), 1280);
  const auto noHeight = Dwords(TouchScreenPath(L"NoHeight"));
  EXPECT_EQ(noHeight.size(), 26u);
  EXPECT_EQ(noHeight.at(L"ScreenHeight"), 0);  // missing
  EXPECT_EQ(noHeight.at(L"M1X"), 7);

  const ProgramResult low = Import("[DriverParameters]\r\nBeepFrequency=40\r\n");
  EXPECT_NE(low.output.find("BeepFrequency value is incorrect! value =100-7000\r\n"),
            std::string::npos);
  EXPECT_EQ(Dwords(kDriverPath).at(L"BeepFrequency"), 7000);
}

TEST_F(ConfigImport, TouchScreenMessagesInImportOrder) {
  std::string section = "[Bad]\r\n";
  for (const DeviceValue& value : kDeviceValues) section += Narrow(value.name) + "=x\r\n";
  std::string messages = "error 0\n";
  for (int index : kDeviceImportOrder)
    if (kDeviceValues[index].malformed) messages += kDeviceValues[index].malformed;
  EXPECT_EQ(Import(GlobalSection([](const GlobalValue& v) { return std::to_string(v.min); }) +
                   section)
                .output,
            Output(messages));
  const auto stored = Dwords(TouchScreenPath(L"Bad"));
  ASSERT_EQ(stored.size(), 26u);
  for (const DeviceValue& value : kDeviceValues) EXPECT_EQ(stored.at(value.name), value.fallback);
}

TEST_F(ConfigImport, LowerCaseDriverSectionIsAlsoATouchScreen) {
  Import("[driverparameters]\r\nMode=2\r\nXOff=4\r\n");
  EXPECT_EQ(Dwords(kDriverPath).at(L"Mode"), 2);  // the profile functions ignore case
  EXPECT_EQ(Subkeys(kDevicePath), std::vector<std::wstring>{L"driverparameters"});
  EXPECT_EQ(Dwords(TouchScreenPath(L"driverparameters")).at(L"XOff"), 4);
}

TEST_F(ConfigImport, EverySectionIsImportedHoweverLongTheList) {
  // 20 names of 19 characters: far more than the 256 characters the list was once read into.
  std::string file = GlobalSection([](const GlobalValue& v) { return std::to_string(v.min); });
  std::vector<std::wstring> expected;
  for (int i = 0; i < 20; ++i) {
    char name[32];
    std::snprintf(name, sizeof(name), "TouchScreenNumber%02d", i);
    file += std::string("[") + name + "]\r\nM1X=" + std::to_string(i) + "\r\n";
    expected.push_back(std::wstring(name, name + 19));
  }
  std::string created;
  for (int i = 0; i < 20; ++i) created += "error 0\n";
  EXPECT_EQ(Import(file).output, Output(created));
  std::vector<std::wstring> subkeys = Subkeys(kDevicePath);
  std::sort(subkeys.begin(), subkeys.end());
  EXPECT_EQ(subkeys, expected);
  for (const std::wstring& name : subkeys)
    EXPECT_EQ(Dwords(TouchScreenPath(name)).at(L"M1X"), std::stoi(name.substr(17)));
}

TEST_F(ConfigImport, ASectionListBeyondItsLimitImportsNothing) {
  // 17 names of a million characters, then the global section: a list of 17 M characters,
  // once cut at 16 M so that the global section was reported missing.
  SetDword(kDriverPath, L"Mode", 2);
  std::string file;
  for (int i = 0; i < 17; ++i) file += "[" + std::string(1000000, static_cast<char>('a' + i)) + "]\r\nM1X=1\r\n";
  file += "[DriverParameters]\r\nMode=1\r\n";
  EXPECT_EQ(Import(file).output,
            Header() + "Import file has too many sections, nothing imported!\r\n" + kPrompt);
  EXPECT_EQ(Dwords(kDriverPath), (std::map<std::wstring, std::int32_t>{{L"Mode", 2}}));
  EXPECT_TRUE(Subkeys(kDevicePath).empty());
}

TEST_F(ConfigImport, AFileThatReadsAsNothingLeavesTheStoreUntouched) {
  SetDword(kDriverPath, L"Mode", 2);
  ASSERT_TRUE(CreateDirectoryW(m_folder.File(L"dir.ini").c_str(), nullptr));
  std::string utf16;  // UTF-16LE without its byte-order mark
  for (char c : std::string("[DriverParameters]\r\nMode=1\r\n[S]\r\nM1X=1\r\n")) utf16 += {c, '\0'};
  WriteFileBytes(m_folder.File(L"utf16.ini"), utf16);
  WriteFileBytes(m_folder.File(L"locked.ini"), "[DriverParameters]\r\nMode=1\r\n");
  WriteFileBytes(m_folder.File(L"empty.ini"), "");
  WriteFileBytes(m_folder.File(L"nosection.ini"), "Mode=1\r\n[DriverParam");
  HANDLE lock = CreateFileW(m_folder.File(L"locked.ini").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);

  const std::string unreadable = "Import file can't be read, nothing imported!\r\n";
  const std::string noSection = "Import file holds no section, nothing imported!\r\n";
  const struct {
    const wchar_t* file;
    const std::string& message;
  } cases[] = {{L"dir.ini", unreadable}, {L"utf16.ini", unreadable}, {L"locked.ini", unreadable},
               {L"empty.ini", noSection}, {L"nosection.ini", noSection}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.file));
    EXPECT_EQ(ImportFile(c.file).output, Header(c.file) + c.message + kPrompt);
    EXPECT_EQ(Dwords(kDriverPath), (std::map<std::wstring, std::int32_t>{{L"Mode", 2}}));
    EXPECT_TRUE(Subkeys(kDevicePath).empty());
  }
  CloseHandle(lock);
}

TEST_F(ConfigImport, KeysThatCannotBeWrittenAreReportedBySection) {
  CreateKey(TouchScreenPath(L"Locked"));
  if (!DenyEveryone(kDriverPath) || !DenyEveryone(TouchScreenPath(L"Locked")))
    GTEST_SKIP() << "this Wine does not enforce registry access rights";
  const std::string globals = GlobalSection([](const GlobalValue& v) { return std::to_string(v.min); });
  // Each key is tried twice, and each try reports access denied.
  EXPECT_EQ(Import(globals + "[Locked]\r\nM1X=1\r\n").output,
            Header() + Crlf("error 5\nerror 5\nerror 5\nerror 5\n") +
                "Registry can't be written, nothing imported!\r\n" + kPrompt);

  EXPECT_EQ(Import(globals + "[Locked]\r\nM1X=1\r\n[Open]\r\nM1X=2\r\n").output,
            Header() + Crlf("error 5\nerror 5\nerror 5\nerror 5\nerror 0\n"
                            "Section [DriverParameters] can't be written!\n"
                            "Section [Locked] can't be written!\n") +
                "Import incomplete!\r\n" + kPrompt);
  EXPECT_EQ(Dwords(TouchScreenPath(L"Open")).at(L"M1X"), 2);
}

TEST_F(ConfigImport, MissingFileAndWrongExtension) {
  const ProgramResult missing = ImportFile(L"nothere.ini");
  EXPECT_EQ(missing.output, "\r\nPlease don't close console!\r\n" +
                                Narrow(m_folder.File(L"nothere.ini")) + " doesn't exist!");
  const std::string longPath = "\"" + Narrow(m_folder.path()) + "\\" + std::string(260, 'x') + ".ini\"";
  EXPECT_NE(ImportFile(std::wstring(longPath.begin(), longPath.end())).output.find(" doesn't exist!"),
            std::string::npos);

  const ProgramResult text = Import("[DriverParameters]\r\nMode=1\r\n", L"conf.txt");
  EXPECT_EQ(text.output,
            Header(L"conf.txt") + "Import file type must be ini file,Import exit!" + kPrompt);
  EXPECT_TRUE(Dwords(kDriverPath).empty());
}

TEST_F(ConfigImport, MissingKeysAreCreated) {
  ClearDriverKeys();
  const ProgramResult result =
      Import(GlobalSection([](const GlobalValue& v) { return std::to_string(v.max); }) +
             "[One]\r\nM1X=1\r\n");
  // Each key is created on the first attempt (which reports it) and opened on the second.
  EXPECT_EQ(result.output, Output("error 0\nerror 0\n"));
  EXPECT_EQ(Dwords(kDriverPath).size(), 18u);
  EXPECT_EQ(Dwords(TouchScreenPath(L"One")).at(L"M1X"), 1);
}

// The mended faults.

TEST_F(ConfigImport, NegativeTouchScreenValuesComeBack) {
  EXPECT_EQ(Import("[DriverParameters]\r\nMode=0\r\n[S]\r\nXOff=-12\r\nYOff=-2147483648\r\n"
                   "EdgeA=-99999999999\r\nM1X=--1\r\n")
                .output.find("XOff value"),
            std::string::npos);
  const auto stored = Dwords(TouchScreenPath(L"S"));
  EXPECT_EQ(stored.at(L"XOff"), -12);
  EXPECT_EQ(stored.at(L"YOff"), -2147483647 - 1);
  EXPECT_EQ(stored.at(L"EdgeA"), -2147483647 - 1);
  EXPECT_EQ(stored.at(L"M1X"), 0);  // two signs are still malformed
}

TEST_F(ConfigImport, FileWithoutDriverSectionLeavesGlobalsAlone) {
  SetDword(kDriverPath, L"EnableTouch", 1);
  SetDword(kDriverPath, L"Mode", 2);
  EXPECT_EQ(Import("[Screen]\r\nXOff=3\r\n").output,
            Output("No DriverParameters section, driver settings left unchanged!\n"
                   "error 0\n"));
  EXPECT_EQ(Dwords(kDriverPath), (std::map<std::wstring, std::int32_t>{{L"EnableTouch", 1},
                                                                       {L"Mode", 2}}));
  EXPECT_EQ(Dwords(TouchScreenPath(L"Screen")).at(L"XOff"), 3);
}

TEST_F(ConfigImport, ExtensionInAnyLetterCase) {
  std::string missingKeys;  // the keys not in the file read "0": too small for the times
  for (const GlobalValue& value : kGlobalValues)
    if (value.min > 0) missingKeys += value.outOfRange;
  EXPECT_EQ(Import("[DriverParameters]\r\nMode=1\r\n", L"CONF.INI").output,
            Output(missingKeys, L"CONF.INI"));
  EXPECT_EQ(Dwords(kDriverPath).at(L"Mode"), 1);
  Import("[DriverParameters]\r\nMode=2\r\n", L"conf.Ini");
  EXPECT_EQ(Dwords(kDriverPath).at(L"Mode"), 2);
}

TEST_F(ConfigImport, SectionWithABackslashIsSkipped) {
  const ProgramResult result = Import("[DriverParameters]\r\n[a\\b]\r\nM1X=1\r\n[ok]\r\nM1X=2\r\n");
  EXPECT_NE(result.output.find("a\\b is not a TouchScreen name, skipped!\r\n"), std::string::npos);
  EXPECT_EQ(Subkeys(kDevicePath), std::vector<std::wstring>{L"ok"});
}
