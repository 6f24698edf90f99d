#pragma once
#include <string>

// Appends one time-stamped line to "Main.Log" in the current directory. Failures are silent:
// the log must never stop the program.
void WriteMainLog(const std::string& message);

// One line of the log as WriteMainLog writes it, at the current local time, with its line end.
std::string MainLogLine(const std::string& message);
