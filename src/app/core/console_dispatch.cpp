#include "app/core/console_dispatch.h"

namespace {
struct Lookup {
  const wchar_t* shortName;
  const wchar_t* longName;
  ConsoleCommand command;
};
constexpr Lookup kLookupOrder[] = {
    {L"?", L"help", ConsoleCommand::Help},
    {L"e", L"export", ConsoleCommand::Export},
    {L"i", L"import", ConsoleCommand::Import},
    {L"u", L"update", ConsoleCommand::Update},
    {L"t", L"test", ConsoleCommand::Test},
};
}  // namespace

ConsoleRequest FindConsoleCommand(const CommandLineOptions& options) {
  for (const Lookup& lookup : kLookupOrder) {
    for (const wchar_t* name : {lookup.shortName, lookup.longName}) {
      if (auto value = options.GetOption(name)) return ConsoleRequest{lookup.command, *value};
    }
  }
  return ConsoleRequest{};
}

const char kHelpBanner[] =
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
    "Press any key to continue......";
