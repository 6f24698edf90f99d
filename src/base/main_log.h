#pragma once
#include <string>

// Appends one time-stamped line to "Main.Log" in the current directory. Failures are silent:
// the log must never stop the program.
void WriteMainLog(const std::string& message);
