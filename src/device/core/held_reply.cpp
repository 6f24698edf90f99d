#include "device/core/held_reply.h"

void HeldReplySlot::Hold(std::unique_ptr<DeviceReport> reply) {
  std::unique_ptr<DeviceReport> old;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    old = std::move(reply_);
    reply_ = std::move(reply);
  }
  // `old` is released here, outside the lock.
}

bool HeldReplySlot::CopyTo(DeviceReport* out) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!reply_) return false;
  *out = *reply_;
  return true;
}

bool HeldReplySlot::empty() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !reply_;
}
