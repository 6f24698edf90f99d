#pragma once
// The texts of the touch screen properties dialog, free of Win32.
#include <cstdint>
#include <string>

#include "base/core/language_keys.h"

// "%d.%d.%d" of the three hardware version parts; a part not known yet (negative) shows as 0.
std::wstring FormatHardwareVersion(std::int32_t major, std::int32_t minor, std::int32_t build);

// The serial number: its two signed bytes and its number written next to each other with
// "%d%d%d"; a negative part shows as 0.
std::wstring FormatSerialNumber(std::int8_t first, std::int8_t second, std::int32_t number);

// The language key of the calibrated line: yes only for 1, no otherwise.
LangKey CalibratedKey(std::int32_t isCalibrated);
