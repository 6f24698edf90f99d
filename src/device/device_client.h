#pragma once
// The device client: the one way the windows, the console commands and the update code talk to
// the touch screens. It builds and posts UM_DEVICE_REQUEST records to the device thread, takes
// ownership of the replies that arrive in a message's lParam, switches the touch stream, and
// owns the protocol's shared state (the stop and acknowledge flags and the held reply), so no
// code outside src/device names those flags.
//
// Every function may be called from any thread unless it says otherwise. Posting fails when
// the device thread does not run yet or its queue refuses the message: the request is then
// freed here and the failure recorded.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "device/core/device_report.h"

namespace device_client {

// A command (report id 0x31, bytes 1 and 2 the command, byte 3 its payload) to the touch screen
// in `slot` of the touch screen list. Its replies go to `replyWindow` (null: none), each
// carrying `replyIndex` (by default the slot itself). False when the slot is empty or the
// request could not be posted.
bool PostCommand(HWND replyWindow, int slot, std::uint8_t command1, std::uint8_t command2,
                 std::uint8_t payload = 0, int replyIndex = -1);

// A whole report as given (its report id included, at most 100 bytes, the rest zero) to the
// touch screen behind `deviceHandle`, with replies to `replyWindow` carrying `replyIndex`.
// For the firmware packets of the update, which keep the handle they began with.
bool PostReport(HWND replyWindow, void* deviceHandle, int replyIndex, const std::uint8_t* report,
                std::size_t length);

// Touch stream on (0xAA 0x50) to the touch screen in `slot`: its lift-off reports reach
// `window` as UM_TOUCH_POINT while the stream is on. Off (0xAA 0x55) ends every reader of the
// stream within one read slice.
bool StartTouchStream(HWND window, int slot);
bool StopTouchStream(int slot);
// The touch screen that streamed is gone: the stream counts as off without a request to it.
void ForgetTouchStream();
bool IsTouchStreamOn();

// The reply a UM_REPLY_* or UM_TOUCH_POINT message carries in its lParam, owned by the caller
// from now on (null for a message without one).
std::unique_ptr<DeviceReport> TakeReply(LPARAM lParam);

// The held reply: the data reply of the last "o" exchange, sent back ahead of the commands with
// echo. Holding replaces (and frees) the one held before; Release empties the slot.
void HoldReply(std::unique_ptr<DeviceReport> reply);
void ReleaseHeldReply();
bool HasHeldReply();

// The stop flag: report workers end at their next check while it is set.
void StopWorkers();
void AllowWorkers();
bool WorkersStopped();

// Acknowledge mode (the console update): replies signal the acknowledge event and fill the
// touch screen records instead of reaching windows. Never left once entered.
void EnterAcknowledgeMode();

}  // namespace device_client
