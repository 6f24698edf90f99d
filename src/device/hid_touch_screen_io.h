#pragma once
// HidTouchScreenIo: the I/O of one touch screen on the HID seam: output reports with
// HidD_SetOutputReport, input reports with an overlapped ReadFile that it owns (its OVERLAPPED,
// event and buffer live as long as it does, and a read is waited for before they go). It owns
// the device handle and closes it when destroyed, once no exchange holds the touch screen.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "base/scoped_handle.h"
#include "device/core/device_report.h"
#include "device/core/touch_screen_io.h"
#include "device/hid_system.h"

class HidTouchScreenIo final : public TouchScreenIo {
public:
  // Takes over `device`, opened for overlapped I/O on `hid` (which outlives it).
  HidTouchScreenIo(HidSystem& hid, HANDLE device);
  ~HidTouchScreenIo() override;
  HidTouchScreenIo(const HidTouchScreenIo&) = delete;
  HidTouchScreenIo& operator=(const HidTouchScreenIo&) = delete;

  IoResult Write(const std::uint8_t* report) override;
  IoResult Read(std::uint8_t* report, std::uint32_t timeoutMs, bool interruptible) override;
  IoResult Abandon(std::uint8_t* report) override;
  void Interrupt(bool on) override;
  void Cancel() override;

  // The system's error codes that mean the device went away: an exchange ends on them and
  // nothing is retried.
  static bool MeansGone(DWORD error);

private:
  IoResult Completed(std::uint8_t* report);  // the pending read has finished
  IoResult Failure(const wchar_t* operation, DWORD error);

  HidSystem& m_hid;
  const HANDLE m_hDevice;
  ScopedHandle m_hReadEvent;       // manual reset, the pending read's
  ScopedHandle m_hInterruptEvent;  // manual reset: an exchange waits behind a touch stream
  ScopedHandle m_hCancelEvent;     // manual reset: the touch screen is gone
  std::atomic<bool> m_bGone{false};
  // Used by one exchange at a time (the lane's).
  OVERLAPPED m_overlapped{};
  std::uint8_t m_buffer[kReportSize] = {};
  bool m_bPending = false;
};
