#pragma once
// DeviceReport: one 100-byte HID report travelling between a window and the device thread,
// with the touch screen it concerns and where its replies go. Allocated zero-filled by its
// creator; whoever receives it with a message owns it and releases it.
#include <cstdint>
#include <memory>

#include "device/core/attached_touch_screen.h"

inline constexpr int kReportSize = 100;

struct DeviceReport {
  void* deviceHandle = nullptr;    // HANDLE of the touch screen in a request; null in a reply
  // The touch screen's slot: in a request, the index its replies carry; in a reply, the slot
  // the touch screen holds when the window takes it (resolved on the window's thread).
  std::int32_t deviceIndex = 0;
  void* window = nullptr;          // HWND that receives the replies; null for none
  std::uint8_t report[kReportSize] = {};  // byte 0 report id, bytes 1-2 command, then payload
  std::uint32_t replyMessage = 0;  // set by the device thread from the command table

  // Who the report concerns, whatever slot it holds by then: a request holds its touch screen
  // until its exchange ends; a reply names it and the exchange it answers.
  std::shared_ptr<AttachedTouchScreen> touchScreen;  // requests only
  TouchScreenId touchScreenId = 0;
  std::uint64_t exchangeId = 0;    // the request's, given by the client; never reused
  std::uint64_t windowTicket = 0;  // the reply window's ticket when the request was made
};
