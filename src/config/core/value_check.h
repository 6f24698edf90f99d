#pragma once
// The import's rules for the text of one INI value.
#include <cstdint>
#include <optional>
#include <string_view>

#include "config/core/parameter_table.h"

// Reads a text of decimal digits as a signed 32-bit number, saturating at 2147483647. An
// empty text is 0. With allowMinus, one leading minus sign makes the number negative
// (saturating at -2147483648). Any other character, a blank or a lone sign included, makes
// the text malformed: no value.
std::optional<std::int32_t> ParseDecimal(std::wstring_view text, bool allowMinus);

// What the import writes for one value, and the console message it prints first (null when
// the value is taken silently).
struct CheckedValue {
  std::int32_t value;
  const char* message;
};

// Global values: digits only, then the range; a bad value gets its message and fallback.
CheckedValue CheckGlobalValue(const GlobalValue& rule, std::wstring_view text);

// Touch screen values: digits with one optional leading minus, no range. The export writes
// negative offsets with their sign, and they must come back as they were.
CheckedValue CheckDeviceValue(const DeviceValue& rule, std::wstring_view text);
