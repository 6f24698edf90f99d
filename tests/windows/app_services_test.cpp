// Language strings, the log and the path helpers against Wine's real profile and file
// functions.
#include <gtest/gtest.h>

#include <string>

#include "base/app_paths.h"
#include "base/language.h"
#include "base/main_log.h"
#include "support/process_runner.h"

namespace {

// A UTF-16LE language file with a byte-order mark, as the program's files are written.
void WriteLanguageFile(const std::wstring& path, const std::wstring& body) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : body) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  WriteFileBytes(path, bytes);
}

class CurrentFolder {
public:
  explicit CurrentFolder(const std::wstring& path) {
    GetCurrentDirectoryW(MAX_PATH, m_previous);
    SetCurrentDirectoryW(path.c_str());
  }
  ~CurrentFolder() { SetCurrentDirectoryW(m_previous); }

private:
  wchar_t m_previous[MAX_PATH] = {};
};

TEST(LanguageStrings, KeyPresentMissingAndFileMissing) {
  TempFolder folder;
  const std::wstring file = folder.File(L"1033.ini");
  WriteLanguageFile(file, L"[Language]\r\n79=TouchScreen Control Panel\r\n3=Region\\nCalibrate\r\n"
                          L"62=\u89e6\u6478\u5c4f\u5c5e\u6027\r\n");
  EXPECT_EQ(LoadLangStringFrom(file, L"79"), L"TouchScreen Control Panel");
  EXPECT_EQ(LoadLangStringFrom(file, L"3"), L"Region\nCalibrate");
  EXPECT_EQ(LoadLangStringFrom(file, L"62"), L"\u89e6\u6478\u5c4f\u5c5e\u6027");
  EXPECT_EQ(LoadLangStringFrom(file, L"80"), L"80");
  EXPECT_EQ(LoadLangStringFrom(folder.File(L"2052.ini"), L"79"), L"79");
}

TEST(LanguageStrings, ASectionOfAnotherNameShowsTheKeys) {
  TempFolder folder;
  const std::wstring file = folder.File(L"1041.ini");
  WriteLanguageFile(file, L"[Strings]\r\n79=Title\r\n");
  EXPECT_EQ(LoadLangStringFrom(file, L"79"), L"79");
}

TEST(LanguageStrings, ALongValueIsCutAt1023Characters) {
  TempFolder folder;
  const std::wstring file = folder.File(L"1033.ini");
  WriteLanguageFile(file, L"[Language]\r\n10=" + std::wstring(3000, L'x') + L"\r\n");
  EXPECT_EQ(LoadLangStringFrom(file, L"10"), std::wstring(1023, L'x'));
}

TEST(LanguageStrings, DamagedFilesNeverFail) {
  TempFolder folder;
  const std::wstring file = folder.File(L"1033.ini");
  std::string noise;
  for (int i = 0; i < 70000; ++i) noise += static_cast<char>((i * 7919) & 0xFF);
  WriteFileBytes(file, noise);
  const std::wstring text = LoadLangStringFrom(file, L"79");
  EXPECT_LE(text.size(), 1023u);
  WriteFileBytes(file, "\xFF\xFE[\0L\0");  // a byte-order mark and a cut-off section name
  EXPECT_EQ(LoadLangStringFrom(file, L"79"), L"79");
}

TEST(LanguageStrings, TheProgramsFileFollowsTheSystemLanguage) {
  const std::wstring path = LanguageFilePath();
  const LANGID language = GetSystemDefaultLangID();
  const std::wstring expected = language == 2052 ? L"\\Language\\2052.ini"
                                : language == 1041 ? L"\\Language\\1041.ini"
                                                   : L"\\Language\\1033.ini";
  EXPECT_EQ(path, GetModuleDir() + expected);
}

TEST(MainLog, AppendsStampedLinesInTheCurrentFolder) {
  TempFolder folder;
  {
    CurrentFolder here(folder.path());
    WriteMainLog("first");
    WriteMainLog("second");
  }
  const std::string log = ReadFileBytes(folder.File(L"Main.Log"));
  // "YYYY-MM-DD_HH " then the text, CR LF; both lines of one hour share the stamp.
  ASSERT_EQ(log.size(), 2 * 14 + std::string("first\r\nsecond\r\n").size()) << log;
  EXPECT_EQ(log.substr(14, 7), "first\r\n");
  EXPECT_EQ(log.substr(0, 14), log.substr(21, 14));
  EXPECT_EQ(log[4], '-');
  EXPECT_EQ(log[10], '_');
  EXPECT_EQ(log[13], ' ');
}

TEST(Paths, CurrentFolderHasOneTrailingBackslash) {
  TempFolder folder;
  {
    CurrentFolder here(folder.path());
    EXPECT_EQ(GetCurrentDir(), folder.path() + L"\\");
  }
  {
    CurrentFolder root(L"C:\\");
    EXPECT_EQ(GetCurrentDir(), L"C:\\");
  }
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  const std::wstring path = module;
  EXPECT_EQ(GetModuleDir(), path.substr(0, path.find_last_of(L'\\')));
}

}  // namespace
