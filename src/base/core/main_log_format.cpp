#include "base/core/main_log_format.h"

std::string FormatMainLogLine(const std::tm& localTime, const std::string& message) {
  char stamp[32] = {};
  std::strftime(stamp, sizeof(stamp), "%Y-%m-%d_%H ", &localTime);
  return stamp + message + "\n";
}
