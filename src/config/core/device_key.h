#pragma once
// The key of a touch screen's record in PelnixLib.dll.
#include <cstdint>
#include <string_view>

// The number PelnixLib.dll stores a touch screen's record under: the last eight characters
// of its physical-device-object name read as hexadecimal (up to the first non-hex
// character), plus 1.
std::uint32_t DeviceKeyFromPdoName(std::wstring_view pdoName);
