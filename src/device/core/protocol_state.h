#pragma once
// ProtocolState: the state of the report protocol that the windows, the device thread and the
// report workers share. One per set of device services (device_services.h), made with them.
// Each flag is written by one thread and polled by others, so each is an atomic; the held
// reply is a guarded slot.
#include <atomic>

#include "device/core/held_reply.h"

struct ProtocolState {
  // The touch stream is on: set when a 0xAA 0x50 request is dispatched, cleared by 0xAA 0x55
  // and by the main window when a streaming touch screen is removed.
  std::atomic<bool> m_bTouchStream{false};
  // Workers end at their next check while it is set.
  std::atomic<bool> m_bStopWorkers{false};
  // Acknowledge mode: replies go to the acknowledge event and into the device records instead
  // of to windows (the console update sets it and never clears it).
  std::atomic<bool> m_bAckMode{false};
  // The data reply of the last "o" exchange.
  HeldReplySlot m_pHeldReply;

  // Stream off, workers allowed, acknowledge mode left, no held reply: as made.
  void Reset();
};
