#pragma once
// The process-wide state of the report protocol, shared by the windows, the device thread and
// the report workers. Each flag is written by one thread and polled by others, so each is an
// atomic; the held reply is a guarded slot.
#include <atomic>

#include "device/core/held_reply.h"

// The touch stream is on: set when a 0xAA 0x50 request is dispatched, cleared by 0xAA 0x55
// and by the main window when a streaming touch screen is removed.
extern std::atomic<bool> g_bTouchStream;
// Workers end at their next check while it is set.
extern std::atomic<bool> g_bStopWorkers;
// Acknowledge mode: replies go to the acknowledge event and into the device records instead
// of to windows (the console update sets it and never clears it).
extern std::atomic<bool> g_bAckMode;
// The data reply of the last "o" exchange.
extern HeldReplySlot g_pHeldReply;
