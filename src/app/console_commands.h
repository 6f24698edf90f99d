#pragma once
#include "app/command_line_info.h"

// Runs the first console command the options ask for; false when they ask for none, and
// start-up goes on to the control panel.
bool RunConsoleCommand(const CCommandLineInfoEx& commandLine);

// True when the options ask for one of the console commands.
bool AsksForConsoleCommand(const CCommandLineInfoEx& commandLine);

// The one line a console command prints, instead of running, while another copy of the
// program (the control panel) holds the single-instance mutex.
void ReportControlPanelOpen();
