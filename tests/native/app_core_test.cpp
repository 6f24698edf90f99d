// The portable rules of start-up: options, the console command lookup, paths and log lines.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "app/core/command_line_options.h"
#include "app/core/console_dispatch.h"
#include "base/core/main_log_format.h"
#include "base/core/paths.h"

namespace {

// Feeds arguments as the framework does: a leading '-' or '/' makes a flag and is stripped.
CommandLineOptions Parse(std::initializer_list<std::wstring> args) {
  CommandLineOptions options;
  size_t i = 0;
  for (const std::wstring& arg : args) {
    const bool flag = !arg.empty() && (arg[0] == L'-' || arg[0] == L'/');
    options.ParseParam(flag ? arg.substr(1) : arg, flag, ++i == args.size());
  }
  return options;
}

ConsoleRequest Find(std::initializer_list<std::wstring> args) { return FindConsoleCommand(Parse(args)); }

TEST(CommandLine, FlagsAreStoredAsTypedAndValuesUnderTheUpperCaseName) {
  const CommandLineOptions options = Parse({L"-e", L"d:\\a.ini"});
  ASSERT_EQ(options.options().size(), 2u);
  EXPECT_EQ(options.options().at(L"e"), L"TRUE");
  EXPECT_EQ(options.options().at(L"E"), L"d:\\a.ini");
}

TEST(CommandLine, HelpIsFoundOnlyForQuestionMarkAndUpperCaseHelp) {
  EXPECT_EQ(Find({L"-?"}).command, ConsoleCommand::Help);
  EXPECT_EQ(Find({L"/?"}).command, ConsoleCommand::Help);
  EXPECT_EQ(Find({L"-HELP"}).command, ConsoleCommand::Help);
  // Stored under "help" and "h": the lookups fold to upper case and find neither.
  EXPECT_EQ(Find({L"-help"}).command, ConsoleCommand::None);
  EXPECT_EQ(Find({L"-h"}).command, ConsoleCommand::None);
  EXPECT_FALSE(Parse({L"-h"}).empty());
}

TEST(CommandLine, ExportTakesTheFollowingFileName) {
  for (const wchar_t* flag : {L"-e", L"-export", L"/E", L"-EXPORT"}) {
    const ConsoleRequest request = Find({flag, L"d:\\a.ini"});
    EXPECT_EQ(request.command, ConsoleCommand::Export) << flag;
    EXPECT_EQ(request.value, L"d:\\a.ini") << flag;
  }
}

TEST(CommandLine, AFlagWithoutValueIsFoundOnlyInUpperCase) {
  EXPECT_EQ(Find({L"-e"}).command, ConsoleCommand::None);
  const ConsoleRequest upper = Find({L"-E"});
  EXPECT_EQ(upper.command, ConsoleCommand::Export);
  EXPECT_EQ(upper.value, L"TRUE");
  EXPECT_EQ(Find({L"-t"}).command, ConsoleCommand::None);
  EXPECT_EQ(Find({L"-T"}).command, ConsoleCommand::Test);
}

TEST(CommandLine, TheFirstCommandInLookupOrderWins) {
  const ConsoleRequest request = Find({L"-i", L"b.ini", L"-e", L"a.ini"});
  EXPECT_EQ(request.command, ConsoleCommand::Export);
  EXPECT_EQ(request.value, L"a.ini");
  EXPECT_EQ(Find({L"-U", L"-T", L"-I"}).command, ConsoleCommand::Import);
}

TEST(CommandLine, BareNamesAndUnknownFlags) {
  EXPECT_TRUE(Parse({L"a.ini"}).empty());
  EXPECT_TRUE(Parse({L"a.ini", L"b.ini"}).empty());
  const CommandLineOptions unknown = Parse({L"-p"});
  EXPECT_FALSE(unknown.empty());
  EXPECT_EQ(FindConsoleCommand(unknown).command, ConsoleCommand::None);
  // A value after a value has no flag left to attach to.
  const CommandLineOptions extra = Parse({L"-E", L"a.ini", L"b.ini"});
  EXPECT_EQ(extra.options().size(), 1u);
  EXPECT_EQ(extra.options().at(L"E"), L"a.ini");
  // An empty flag ("-" alone) is stored under the empty name and matches nothing.
  EXPECT_EQ(Find({L"-", L"x"}).command, ConsoleCommand::None);
}

TEST(CommandLine, LongAndOddArgumentsAreStoredWhole) {
  const std::wstring huge(40000, L'x');
  const ConsoleRequest request = Find({L"-E", huge});
  EXPECT_EQ(request.value, huge);
  EXPECT_EQ(AsciiUpper(L"a\u00e9z?"), L"A\u00e9Z?");  // only ASCII letters change
}

TEST(HelpBanner, HasItsLinesInOrderAndEndsWithThePrompt) {
  const std::string banner = kHelpBanner;
  EXPECT_EQ(banner.rfind("\n", 0), 0u);
  EXPECT_NE(banner.find("\n*******************************COMMAND LINE OPTIONS**************************\n"),
            std::string::npos);
  EXPECT_NE(banner.find("\n" + std::string(77, '*') + "\nPress any key to continue......"), std::string::npos);
  EXPECT_EQ(banner.substr(banner.size() - 31), "Press any key to continue......");
}

TEST(Paths, ModuleFolderAndCurrentFolder) {
  EXPECT_EQ(DirectoryOfPath(L"C:\\A\\B\\prog.exe"), L"C:\\A\\B");
  EXPECT_EQ(DirectoryOfPath(L"prog.exe"), L"");
  EXPECT_EQ(WithTrailingBackslash(L"C:\\"), L"C:\\");
  EXPECT_EQ(WithTrailingBackslash(L"C:\\Work"), L"C:\\Work\\");
  EXPECT_EQ(WithTrailingBackslash(L""), L"\\");
}

// Export, import and update find a named file alike: only a backslash keeps it as given.
TEST(Paths, CommandFileWithoutBackslashIsInTheCurrentFolder) {
  const struct {
    const wchar_t* argument;
    const wchar_t* expected;
  } cases[] = {
      {L"conf.ini", L"C:\\Work\\conf.ini"},
      {L"sub/x.bin", L"C:\\Work\\sub/x.bin"},
      {L"d:x.bin", L"C:\\Work\\d:x.bin"},
      {L"sub\\conf.ini", L"sub\\conf.ini"},
      {L"D:\\fw\\x.bin", L"D:\\fw\\x.bin"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PathOfCommandFile(c.argument, L"C:\\Work\\"), c.expected) << c.argument;
    EXPECT_EQ(PathOfCommandFile(c.argument, L"C:\\Work"), c.expected) << c.argument;
  }
}

TEST(Paths, LanguageFileBySystemLanguage) {
  EXPECT_STREQ(LanguageFileForLangId(2052), L"\\Language\\2052.ini");
  EXPECT_STREQ(LanguageFileForLangId(1041), L"\\Language\\1041.ini");
  for (std::uint16_t other : {1033, 1028, 2057, 0, 0xFFFF}) {
    EXPECT_STREQ(LanguageFileForLangId(other), L"\\Language\\1033.ini") << other;
    EXPECT_STREQ(UserManualForLangId(other), L"\\UserManual.pdf") << other;
  }
  EXPECT_STREQ(UserManualForLangId(2052), L"\\UserManual.2052.pdf");
  EXPECT_STREQ(UserManualForLangId(1041), L"\\UserManual.1041.pdf");
}

TEST(MainLog, LinesCarryTheHourOnly) {
  std::tm at{};
  at.tm_year = 2009 - 1900;
  at.tm_mon = 2;
  at.tm_mday = 5;
  at.tm_hour = 14;
  at.tm_min = 59;
  at.tm_sec = 30;
  EXPECT_EQ(FormatMainLogLine(at, "Recv:11 0"), "2009-03-05_14 Recv:11 0\n");
  at.tm_min = 0;
  EXPECT_EQ(FormatMainLogLine(at, "x"), "2009-03-05_14 x\n");
}

}  // namespace
