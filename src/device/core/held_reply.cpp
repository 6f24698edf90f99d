#include "device/core/held_reply.h"

void HeldReplySlot::Hold(std::unique_ptr<DeviceReport> reply) {
  std::unique_ptr<DeviceReport> old;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    old = std::move(m_pReply);
    m_pReply = std::move(reply);
  }
  // `old` is released here, outside the lock.
}

bool HeldReplySlot::CopyTo(DeviceReport* out) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_pReply) return false;
  *out = *m_pReply;
  return true;
}

bool HeldReplySlot::empty() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return !m_pReply;
}
