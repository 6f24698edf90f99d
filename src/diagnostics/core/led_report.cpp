#include "diagnostics/core/led_report.h"

#include <algorithm>
#include <cstdio>

namespace led {

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kFirstStatus = 8;  // Zg position of LED 0's status
constexpr std::size_t kFirstLevel = 9;   // Zv position of LED 0's level
constexpr std::size_t kLineBuffer = 200;

void TrimTrailingZeros(Stream& stream) {
  while (!stream.empty() && stream.back() == 0) stream.pop_back();
}

// One line as the dialog shows it: formatted as 8-bit text in a buffer of 200 bytes.
template <typename... Args>
std::string Line(const char* format, Args... args) {
  char text[kLineBuffer];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

std::int32_t NotNegative(std::int32_t value) { return value < 0 ? 0 : value; }

std::string LedLine(int number, bool bad) {
  return Line(bad ? "      %03d--------------------------------------------------------------------------[   Bad  ]"
                  : "      %03d--------------------------------------------------------------------------[   OK   ]",
              number);
}

}  // namespace

void AppendPayload(Stream& stream, const std::uint8_t* report, std::size_t length) {
  if (!report || length < 1 + kPayloadPerReport || report[0] != kDataReportId) return;
  stream.insert(stream.end(), report + 1, report + 1 + kPayloadPerReport);
}

bool LedTestResult::IsBad(std::int32_t index) const {
  return std::binary_search(bad.begin(), bad.end(), BadLed{index, 0},
                            [](const BadLed& a, const BadLed& b) { return a.index < b.index; });
}

DecodeStatus Decode(Stream levels, Stream statuses, LedTestResult& result) {
  TrimTrailingZeros(levels);
  TrimTrailingZeros(statuses);
  if (levels.size() < kHeaderSize || statuses.size() < kHeaderSize) return DecodeStatus::TooShort;
  if (levels[0] != 'Z' || levels[1] != 'v' || statuses[0] != 'Z' || statuses[1] != 'g') {
    return DecodeStatus::HeaderMismatch;
  }
  const std::uint8_t stepByte = levels[4];
  if ((stepByte & 0x0F) == 0) return DecodeStatus::ZeroDivisor;

  LedTestResult decoded;
  LedSummary& s = decoded.summary;
  s.xCount = levels[2];
  s.yCount = levels[3];
  s.step = (stepByte >> 4) / (stepByte & 0x0F);
  s.stepDivisor = 1;
  s.mark = levels[5];
  s.minLevel = levels[6];

  for (std::size_t i = kFirstStatus; i < statuses.size(); ++i) {
    const std::size_t k = i - kFirstStatus;
    if (statuses[i] != s.mark) continue;
    const std::size_t at = kFirstLevel + k * static_cast<std::size_t>(s.step);
    if (at >= levels.size() || levels[at] >= s.minLevel) continue;
    const auto index = static_cast<std::int32_t>(k);
    decoded.bad.push_back({index, levels[at]});
    // The y row is counted only as far as it is reported: an index past its last LED would
    // otherwise add to the y count without any line showing it.
    if (index < s.xCount) ++decoded.xBad;
    else if (index > s.xCount && index <= s.xCount + s.yCount) ++decoded.yBad;
  }
  result = std::move(decoded);
  return DecodeStatus::Decoded;
}

std::vector<std::string> BuildReport(const ReportIdentity& id, const LedTestResult& result) {
  const LedSummary& s = result.summary;
  std::vector<std::string> lines;
  lines.reserve(12 + static_cast<std::size_t>(s.xCount + s.yCount));
  lines.push_back(Line("TouchScreen No:%d", id.number));
  lines.push_back(Line("Hardware Version:%d.%d.%d", NotNegative(id.version[0]),
                       NotNegative(id.version[1]), NotNegative(id.version[2])));
  lines.push_back(Line("Product Serial Number:%d%d%d", NotNegative(id.serial0),
                       NotNegative(id.serial1), NotNegative(id.serial2)));
  lines.push_back(Line("Total leds:%d ", s.xCount + s.yCount));
  lines.push_back("Summary:");
  lines.push_back(Line("       x-coordinate total leds:%d  bad leds:%d ", s.xCount, result.xBad));
  lines.push_back(Line("       y-coordinate total leds:%d  bad leds:%d ", s.yCount, result.yBad));
  lines.push_back("Diagnostics Result:");
  lines.push_back("      Led" + std::string(99, ' ') + "Status");
  lines.push_back(std::string(93, '-'));
  lines.push_back("    x-coordinate:");
  for (int n = 1; n <= s.xCount; ++n) lines.push_back(LedLine(n, result.IsBad(n - 1)));
  lines.push_back("    y-coordinate:");
  for (int n = 1; n <= s.yCount; ++n) {
    lines.push_back(LedLine(s.xCount + n, result.IsBad(s.xCount + n)));
  }
  return lines;
}

}  // namespace led
