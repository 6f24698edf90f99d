#pragma once
#include <functional>

#include "app/command_line_info.h"

class DeviceServices;

// Runs the first console command the options ask for; false when they ask for none, and
// start-up goes on to the control panel. `devices` makes the device services for the command
// that talks to touch screens (the update); the others never call it.
bool RunConsoleCommand(const CCommandLineInfoEx& commandLine,
                       const std::function<DeviceServices&()>& devices);

// True when the options ask for one of the console commands.
bool AsksForConsoleCommand(const CCommandLineInfoEx& commandLine);

// The one line a console command prints, instead of running, while another copy of the
// program (the control panel) holds the single-instance mutex.
void ReportControlPanelOpen();
