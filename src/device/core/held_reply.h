#pragma once
// HeldReplySlot: the one held reply, the data reply of the last "o" exchange, which the device
// thread sends back ahead of the commands with echo.
//
// The windows and the report workers fill and empty it from different threads; the device
// thread copies it into each echo request, so nothing outside the slot ever points into the
// held record and a replaced or cleared one is released at once.
#include <memory>
#include <mutex>

#include "device/core/device_report.h"

class HeldReplySlot {
public:
  // Takes ownership of the reply; the one it replaces is released. A null reply clears.
  void Hold(std::unique_ptr<DeviceReport> reply);
  void Hold(DeviceReport* reply) { Hold(std::unique_ptr<DeviceReport>(reply)); }
  void Clear() { Hold(std::unique_ptr<DeviceReport>()); }

  // Copies the held reply into *out; false (and *out untouched) when the slot is empty.
  bool CopyTo(DeviceReport* out) const;
  bool empty() const;

private:
  mutable std::mutex m_mutex;
  std::unique_ptr<DeviceReport> m_pReply;
};
