#include "app/console_commands.h"

#include <cstdio>

#include "app/core/console_dispatch.h"
#include "base/language.h"
#include "base/text.h"
#include "config/config_export.h"
#include "config/config_import.h"
#include "update/console_update.h"

bool RunConsoleCommand(const CCommandLineInfoEx& commandLine,
                       const std::function<DeviceServices&()>& devices) {
  const ConsoleRequest request = FindConsoleCommand(commandLine.options());
  switch (request.command) {
    case ConsoleCommand::Help:
      std::fputs(kHelpBanner, stdout);
      return true;
    case ConsoleCommand::Export:
      RunConfigExport(request.value);
      return true;
    case ConsoleCommand::Import:
      RunConfigImport(request.value);
      return true;
    case ConsoleCommand::Update:
      RunConsoleUpdate(devices, request.value);
      return true;
    case ConsoleCommand::Test:
      for (int i = 0; i < 10; ++i) std::printf("test line %d\n", i);
      return true;
    case ConsoleCommand::None:
      break;
  }
  return false;
}

bool AsksForConsoleCommand(const CCommandLineInfoEx& commandLine) {
  return FindConsoleCommand(commandLine.options()).command != ConsoleCommand::None;
}

void ReportControlPanelOpen() {
  std::printf("%s\n", ToAnsi(LoadLangString(LangKey::AlreadyOpen)).c_str());
}
