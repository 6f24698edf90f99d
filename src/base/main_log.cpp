#include "base/main_log.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "base/core/main_log_format.h"
#include "base/system_failure.h"

std::string MainLogLine(const std::string& message) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  return FormatMainLogLine(local, message);
}

void WriteMainLog(const std::string& message) {
  const std::string line = MainLogLine(message);
  FILE* file = std::fopen("Main.Log", "a");  // text mode: CR LF line ends
  if (!file) {
    RecordSystemFailure(L"fopen", L"Main.Log");
    return;
  }
  if (std::fputs(line.c_str(), file) < 0) RecordSystemFailure(L"fputs", L"Main.Log");
  if (std::fclose(file) != 0) RecordSystemFailure(L"fclose", L"Main.Log");
}
