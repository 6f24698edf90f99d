#pragma once
#include "app/command_line_info.h"

// Runs the first console command the options ask for; false when they ask for none, and
// start-up goes on to the control panel.
bool RunConsoleCommand(const CCommandLineInfoEx& commandLine);
