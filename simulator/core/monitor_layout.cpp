#include "simulator/core/monitor_layout.h"

#include <cctype>

namespace sim {
namespace {

constexpr std::int64_t kMaxSize = 32767;
constexpr std::int64_t kMaxOffset = 1000000;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// Decimal digits at the front of `text`, consumed; nullopt when there are none or too many.
std::optional<std::int64_t> TakeNumber(std::string_view& text) {
  std::size_t digits = 0;
  std::int64_t value = 0;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) {
    if (digits == 9) return std::nullopt;  // no value here needs more than seven digits
    value = value * 10 + (text[digits] - '0');
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  text.remove_prefix(digits);
  return value;
}

// "+N" or "-N".
std::optional<std::int64_t> TakeOffset(std::string_view& text) {
  if (text.empty() || (text.front() != '+' && text.front() != '-')) return std::nullopt;
  const bool negative = text.front() == '-';
  text.remove_prefix(1);
  const auto value = TakeNumber(text);
  if (!value || *value > kMaxOffset) return std::nullopt;
  return negative ? -*value : *value;
}

std::optional<MonitorRect> ParseMonitor(std::string_view text) {
  text = Trim(text);
  const auto width = TakeNumber(text);
  if (!width || text.empty() || (text.front() != 'x' && text.front() != 'X')) return std::nullopt;
  text.remove_prefix(1);
  const auto height = TakeNumber(text);
  const auto x = TakeOffset(text);
  const auto y = TakeOffset(text);
  if (!height || !x || !y || !text.empty()) return std::nullopt;
  if (*width < 1 || *width > kMaxSize || *height < 1 || *height > kMaxSize) return std::nullopt;
  return MonitorRect{static_cast<std::int32_t>(*x), static_cast<std::int32_t>(*y),
                     static_cast<std::int32_t>(*x + *width), static_cast<std::int32_t>(*y + *height)};
}

}  // namespace

std::optional<std::vector<MonitorRect>> ParseMonitorLayout(std::string_view text) {
  std::vector<MonitorRect> monitors;
  while (true) {
    const std::size_t comma = text.find(',');
    const auto monitor = ParseMonitor(text.substr(0, comma));
    if (!monitor || monitors.size() == kMaxDemoMonitors) return std::nullopt;
    monitors.push_back(*monitor);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return monitors;
}

std::optional<int> ParseTouchScreenCount(std::string_view text) {
  text = Trim(text);
  const auto count = TakeNumber(text);
  if (!count || !text.empty() || *count < 1 || *count > kMaxDemoTouchScreens) return std::nullopt;
  return static_cast<int>(*count);
}

}  // namespace sim
