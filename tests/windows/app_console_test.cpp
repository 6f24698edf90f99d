// The real PelnixCpl.exe under Wine: console commands byte for byte, the graphical start with
// no touch screen, the single-instance rule, and the exit code 0 of every path.
#include <gtest/gtest.h>

#include <string>

#include "base/core/paths.h"
#include "base/language.h"
#include "support/process_runner.h"

namespace {

std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

const std::string kBanner = Crlf(
    "\n"
    "*********** PelnixCpl - control panel of the Pelnix infrared touch screens ***********\n"
    "********** Copyright (C) Pelnix Touch Systems. All rights reserved. **********\n"
    "*******************************COMMAND LINE OPTIONS**************************\n"
    "  -h help information\n"
    "  -e <filename> name of export ini file.Sample:[PelnixCpl -e d:\\PelnixCpl.ini]\n"
    "  -i <filename> name of import ini file.Sample:[PelnixCpl -i d:\\PelnixCpl.ini]\n"
    "  -u <filename> name of update bin file.Sample:[PelnixCpl -u d:\\PelnixCpl.bin]\n"
    "  For more information,please see the usermanual\n"
    "*****************************************************************************\n"
    "Press any key to continue......");

std::wstring LanguageText(const wchar_t* key) {
  const std::wstring file = DistPath(std::wstring(LanguageFileForLangId(GetSystemDefaultLangID())).substr(1));
  return LoadLangStringFrom(file, key);
}

std::string LanguageTextAnsi(const wchar_t* key) {
  const std::wstring text = LanguageText(key);
  EXPECT_NE(text, key) << "no text for key " << key;
  std::string out(text.size() * 4 + 1, '\0');
  out.resize(WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(),
                                 static_cast<int>(out.size()), nullptr, nullptr) - 1);
  return out;
}

ProgramResult RunWith(const std::wstring& arguments, const std::function<void(DWORD)>& whileRunning = {}) {
  TempFolder folder;
  return RunProgram(DistProgram() + L" " + arguments, folder.path(), 30000, whileRunning);
}

// Waits for the no-touch-screen box, checks its texts and presses OK.
void AnswerNoTouchScreenBox(DWORD processId) {
  HWND box = WaitForProcessWindow(processId, 20000);
  ASSERT_NE(box, nullptr) << "no message box appeared";
  EXPECT_EQ(WindowText(box), LanguageText(L"71"));
  bool textFound = false;
  for (const std::wstring& text : ChildTexts(box)) textFound |= text == LanguageText(L"72");
  EXPECT_TRUE(textFound) << "the box does not show the text of key 72";
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(Console, HelpBannerByteForByte) {
  for (const wchar_t* flag : {L"-?", L"/?", L"-HELP", L"/HELP"}) {
    const ProgramResult result = RunWith(flag);
    EXPECT_FALSE(result.timedOut) << flag;
    EXPECT_EQ(result.output, kBanner) << flag;
    EXPECT_EQ(result.exitCode, 0u) << flag;
  }
}

TEST(Console, TestLines) {
  const ProgramResult result = RunWith(L"-T");
  std::string expected;
  for (int i = 0; i < 10; ++i) expected += "test line " + std::to_string(i) + "\r\n";
  EXPECT_EQ(result.output, expected);
  EXPECT_EQ(result.exitCode, 0u);
}

TEST(Console, OnlyTheFirstCommandInLookupOrderRuns) {
  // The export runs (whatever it prints) and the import does not: nothing of the import's
  // own texts appears and the process ends by itself.
  const ProgramResult result = RunWith(L"-e a.ini -i b.ini");
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.output.find("Import"), std::string::npos);
  EXPECT_EQ(result.exitCode, 0u);
}

TEST(Console, UpperCaseFlagWithoutValueHandsOnTrue) {
  // -E alone exports to a file named "TRUE": the export's own rules refuse that name, and the
  // process ends without opening a window.
  const ProgramResult result = RunWith(L"-E");
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0u);
}

TEST(Console, OptionsThatNoLookupFindsStartTheControlPanel) {
  for (const wchar_t* arguments : {L"", L"-help", L"-h", L"-t", L"-p", L"-e", L"config.ini", L"-x -y -z"}) {
    SCOPED_TRACE(arguments);
    const ProgramResult result = RunWith(arguments, AnswerNoTouchScreenBox);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.exitCode, 0u);
  }
}

TEST(Console, OddAndLongCommandLines) {
  const std::wstring longName(20000, L'a');
  const std::wstring cases[] = {L"-E " + longName, L"-\"\" \"\" -", L"-T \"unterminated", L"/\u00e9\u4e2d"};
  for (const std::wstring& arguments : cases) {
    const ProgramResult result = RunWith(arguments, [&](DWORD processId) {
      if (HWND box = WaitForProcessWindow(processId, 3000)) PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);
  }
}

TEST(SingleInstance, ASecondCopyEndsAtOnceWhileTheFirstRuns) {
  TempFolder folder;
  HANDLE first = StartProgram(DistProgram(), folder.path());
  ASSERT_NE(first, nullptr);
  HWND box = WaitForProcessWindow(GetProcessId(first), 20000);
  ASSERT_NE(box, nullptr);

  const ULONGLONG started = GetTickCount64();
  const ProgramResult second = RunProgram(DistProgram(), folder.path(), 15000);
  EXPECT_FALSE(second.timedOut);
  EXPECT_EQ(second.exitCode, 0u);
  EXPECT_LT(GetTickCount64() - started, 10000u);
  EXPECT_EQ(WaitForSingleObject(first, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the first copy ended";

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(WaitForSingleObject(first, 15000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(first, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(first);
}

TEST(SingleInstance, AConsoleCommandWhileTheControlPanelRunsSaysSoAndDoesNothing) {
  // The mutex the running control panel holds.
  HANDLE mutex = CreateMutexW(nullptr, TRUE, L"PelnixCpl");
  ASSERT_NE(mutex, nullptr);
  TempFolder folder;
  WriteFileBytes(folder.File(L"in.ini"), "[DriverParameters]\r\nMode=1\r\n");
  const std::string line = Crlf(std::string(LanguageTextAnsi(L"102")) + "\n");
  for (const wchar_t* arguments : {L"-e out.ini", L"-i in.ini", L"-u image.bin", L"-? ", L"-T"}) {
    SCOPED_TRACE(arguments);
    const ProgramResult result = RunProgram(DistProgram() + L" " + arguments, folder.path(), 15000);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.output, line);
    EXPECT_EQ(result.exitCode, 0u);
  }
  EXPECT_EQ(GetFileAttributesW(folder.File(L"out.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

}  // namespace
