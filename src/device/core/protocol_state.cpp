#include "device/core/protocol_state.h"

void ProtocolState::Reset() {
  m_bTouchStream.store(false);
  m_bStopWorkers.store(false);
  m_bAckMode.store(false);
  m_pHeldReply.Clear();
}
