#pragma once
// DeviceReport: one 100-byte HID report travelling between a window and the device thread,
// with the touch screen it concerns and where its replies go. Allocated zero-filled by its
// creator; whoever receives it with a message owns it and releases it.
#include <cstdint>

inline constexpr int kReportSize = 100;

struct DeviceReport {
  void* deviceHandle = nullptr;    // HANDLE of the touch screen in a request; null in a reply
  std::int32_t deviceIndex = 0;    // slot in TouchScreenList; a reply carries its request's
  void* window = nullptr;          // HWND that receives the replies; null for none
  std::uint8_t report[kReportSize] = {};  // byte 0 report id, bytes 1-2 command, then payload
  std::uint32_t replyMessage = 0;  // set by the device thread from the command table
};
