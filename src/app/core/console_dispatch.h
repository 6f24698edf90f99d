#pragma once
// Which console command a command line asks for: the option names are looked up in a fixed
// order and the first one present wins; later names are not looked at.
#include <string>

#include "app/core/command_line_options.h"

enum class ConsoleCommand { None, Help, Export, Import, Update, Test };

struct ConsoleRequest {
  ConsoleCommand command = ConsoleCommand::None;
  std::wstring value;  // the text stored under the option: a file name, or "TRUE"
};

ConsoleRequest FindConsoleCommand(const CommandLineOptions& options);

// The help banner, byte for byte as printed ("\n" line ends; no line end after the prompt).
extern const char kHelpBanner[];
