#pragma once
// What the main window decides without Win32: the text and image of a list item, when the
// action buttons may be used, what the identity replies of a touch screen mean, and which
// message the Help button shows when the manual cannot be opened.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "base/core/language_keys.h"

namespace main_window {

// List image 1 marks a calibrated touch screen, image 0 any other.
inline constexpr int kImageUncalibrated = 0;
inline constexpr int kImageCalibrated = 1;

// "TouchScreen No.%i \n   Monitor     No.%i"; the \n is a line feed.
std::wstring ListItemText(std::int32_t touchScreenNo, std::int32_t monitorNo);
int ListImage(std::int32_t isCalibrated);

// Calibrate, Region Calibrate, Mapping and Settings are usable when a touch screen is
// selected and the driver's calibrated state of it is known (0 or 1). Diagnostics never is.
bool ActionButtonsEnabled(std::uint32_t touchScreenCount, int selected, std::int32_t isCalibrated);

// A stored touch screen number outside 0..254 is touch screen 0.
std::int32_t ValidTouchScreenNo(std::int32_t number);
// A stored monitor number above 255, taken unsigned, is monitor 0.
std::int32_t ValidMonitorNo(std::int32_t monitorId);

// The hardware version of a "vv" data reply: each part is high byte x 324 + low byte of
// bytes 3 and 4, 5 and 6, 7 and 8, when the reply is "V", "v" and byte 3 is not a blank;
// otherwise 1, 0, 0.
std::array<std::int32_t, 3> HardwareVersionFromReply(const std::uint8_t* reply);

// The serial number parts that a "vs" data reply leaves: 0, 0, 65535.
struct SerialNumber {
  std::int8_t part0;
  std::int8_t part1;
  std::int32_t part2;
};
inline constexpr SerialNumber kSerialFromReply{0, 0, 65535};

// The language key of the message for a failed opening of the user manual, or none when the
// shell's result is not reported: 2 (file not found) and 31 (no application associated).
std::optional<LangKey> HelpFailureKey(std::intptr_t shellResult);

}  // namespace main_window
