#include "device/core/protocol_state.h"

std::atomic<bool> g_bTouchStream{false};
std::atomic<bool> g_bStopWorkers{false};
std::atomic<bool> g_bAckMode{false};
HeldReplySlot g_pHeldReply;
