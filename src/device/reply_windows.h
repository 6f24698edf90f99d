#pragma once
// The windows that receive replies, and the readers working for them.
//
// A window that goes (or ends its exchanges) must not be left with readers that keep taking
// its touch screen's reports, nor with replies queued for it that nobody frees. Each reader
// joins its reply window when it starts and posts only while that window still takes its
// replies; ending a window's exchanges turns its readers away (they end at their next read
// slice) and frees the replies already queued for it. A new request for the window makes it
// take replies again.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "device/core/device_report.h"

namespace reply_windows {

// The messages that carry a reply record (UM_REPLY_*, UM_TOUCH_POINT), owned by the window
// they reach.
bool IsReplyMessage(UINT message);

// A request names `window` as its reply window: the window takes replies (again).
void Open(HWND window);

// A reader for `window` starts: its ticket, valid until the window's exchanges end.
std::uint64_t Join(HWND window);
// The reader may go on reading for `window`.
bool Live(HWND window, std::uint64_t ticket);
// Posts `reply` to `window` when the reader's ticket is still live; true when posted (the
// window owns the reply then). Checked and posted under one lock, so nothing is posted after
// End has returned.
bool Post(HWND window, std::uint64_t ticket, UINT message, std::unique_ptr<DeviceReport>& reply);

// Ends every exchange of `window`: its readers end at their next read slice, and the replies
// queued for it are taken out of the calling thread's queue and freed (call it on the
// window's own thread).
void End(HWND window);

}  // namespace reply_windows
