#pragma once
// One line of the log "Main.Log": the local time as "%Y-%m-%d_%H " followed by the text.
#include <ctime>
#include <string>

std::string FormatMainLogLine(const std::tm& localTime, const std::string& message);
