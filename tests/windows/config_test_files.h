#pragma once
// INI files as the configuration tests read them back: every line in file order.
#include <string>
#include <vector>

#include "support/process_runner.h"

namespace config_test {

struct IniEntry {
  std::string section, key, value;
  bool operator==(const IniEntry&) const = default;
};

// The entries of an 8-bit INI file in file order; CR LF or LF line ends.
inline std::vector<IniEntry> ReadIniEntries(const std::wstring& path) {
  std::vector<IniEntry> entries;
  const std::string bytes = ReadFileBytes(path);
  std::string section;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    const std::size_t equals = line.find('=');
    entries.push_back({section, line.substr(0, equals),
                       equals == std::string::npos ? "" : line.substr(equals + 1)});
  }
  return entries;
}

}  // namespace config_test
