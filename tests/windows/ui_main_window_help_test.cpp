// Help with the program in Japanese (the test runs with a Japanese system language): the
// Japanese manual beside the program is the file the shell is asked to open; without it, the
// English one; with neither, the message of key "73".
#include "windows/ui_main_window_harness.h"
#include "windows/ui_help_shell.h"

#include "base/app_paths.h"

using namespace main_window_test;

namespace {

// The shell's path of a file, as a PDF reader is handed it: case and the form of the drive
// may differ from ours.
bool SamePath(const std::wstring& opened, const std::wstring& expected) {
  wchar_t a[MAX_PATH] = {}, b[MAX_PATH] = {};
  ::GetLongPathNameW(opened.c_str(), a, MAX_PATH);
  ::GetLongPathNameW(expected.c_str(), b, MAX_PATH);
  return a[0] != 0 && ::lstrcmpiW(a, b) == 0;
}

TEST(MainWindowHelp, OpensTheManualOfTheProgramsLanguage) {
  ASSERT_EQ(::GetSystemDefaultLangID(), 1041) << "run with LANG=ja_JP.UTF-8";
  auto screens = Prepare({{0, 0, 1}});
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());

  const std::wstring folder = GetModuleDir();
  const std::wstring japanese = folder + L"\\UserManual.1041.pdf";
  const std::wstring english = folder + L"\\UserManual.pdf";
  {
    PdfRecorder reader(folder + L"\\help_test_opened.txt");
    ASSERT_TRUE(WritePdf(japanese));
    ASSERT_TRUE(WritePdf(english));
    ::PostMessageW(run.dialog().Item(IDC_HELP_MANUAL), BM_CLICK, 0, 0);
    const std::wstring first = reader.TakeOpened();
    EXPECT_TRUE(SamePath(first, japanese)) << std::string(first.begin(), first.end());

    ::DeleteFileW(japanese.c_str());
    ::PostMessageW(run.dialog().Item(IDC_HELP_MANUAL), BM_CLICK, 0, 0);
    const std::wstring second = reader.TakeOpened();
    EXPECT_TRUE(SamePath(second, english)) << std::string(second.begin(), second.end());
    ::DeleteFileW(english.c_str());
  }
  // Neither file: the message for the English one, which was tried last.
  EXPECT_EQ(PressHelp(run), L"73");

  run.dialog().Click(IDOK);
  ASSERT_TRUE(run.dialog().WaitForEnd());
}

}  // namespace
