#include "config/core/value_check.h"

#include <limits>

std::optional<std::int32_t> ParseDecimal(std::wstring_view text, bool allowMinus) {
  bool negative = false;
  if (allowMinus && !text.empty() && text.front() == L'-') {
    negative = true;
    text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
  }
  // Accumulate in 64 bits and stop growing at the limit, so thousands of digits cost nothing
  // and never overflow.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    if (magnitude < kLimit) magnitude = magnitude * 10 + (c - L'0');
  }
  if (negative) {
    if (magnitude > kLimit) magnitude = kLimit;
    return static_cast<std::int32_t>(-magnitude);
  }
  if (magnitude > kLimit - 1) magnitude = kLimit - 1;
  return static_cast<std::int32_t>(magnitude);
}

CheckedValue CheckGlobalValue(const GlobalValue& rule, std::wstring_view text) {
  const std::optional<std::int32_t> number = ParseDecimal(text, false);
  if (!number) return {rule.fallback, rule.malformed};
  if (*number < rule.min || *number > rule.max) return {rule.fallback, rule.outOfRange};
  return {*number, nullptr};
}

CheckedValue CheckDeviceValue(const DeviceValue& rule, std::wstring_view text) {
  const std::optional<std::int32_t> number = ParseDecimal(text, true);
  if (!number) return {rule.fallback, rule.malformed};
  return {*number, nullptr};
}
