#include "base/main_log.h"

#include <cstdio>
#include <ctime>

#include "base/core/main_log_format.h"

void WriteMainLog(const std::string& message) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  const std::string line = FormatMainLogLine(local, message);
  FILE* file = std::fopen("Main.Log", "a");  // text mode: CR LF line ends
  if (!file) return;
  std::fputs(line.c_str(), file);
  std::fclose(file);
}
