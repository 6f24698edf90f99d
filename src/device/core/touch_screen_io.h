#pragma once
// TouchScreenIo: the input and output of one attached touch screen, as the exchange lanes use
// it. The program's is an adapter on HID.DLL and overlapped reads (hid_touch_screen_io.h); the
// tests script their own. One exchange at a time reads and writes through it; Interrupt and
// Cancel come from any thread.
#include <cstdint>

enum class IoResult {
  Done,      // the report was written or read
  TimedOut,  // no report within the time given; a read stays pending for the next call
  Woken,     // the read was interrupted (Interrupt); it stays pending for the next call
  Gone,      // the touch screen is gone (unplugged, or cancelled on a removal): never retried
  Failed,    // any other failure of the system call
};

class TouchScreenIo {
public:
  virtual ~TouchScreenIo() = default;

  // Writes one output report of kReportSize bytes.
  virtual IoResult Write(const std::uint8_t* report) = 0;
  // Waits at most `timeoutMs` for the next input report (kReportSize bytes into `report`). A read
  // that has not completed when the wait ends is kept pending, so no report is lost between two
  // calls. With `interruptible`, an Interrupt ends the wait with Woken.
  virtual IoResult Read(std::uint8_t* report, std::uint32_t timeoutMs, bool interruptible) = 0;
  // Takes back the pending read, if any, and returns only once it has finished: Done when it
  // completed first (`report` filled), TimedOut when nothing was pending or it was cancelled.
  virtual IoResult Abandon(std::uint8_t* report) = 0;
  // Sets or clears the interruption that interruptible reads watch (an exchange waits behind a
  // touch stream).
  virtual void Interrupt(bool on) = 0;
  // The touch screen is gone: reads end with Gone, and every later call fails with Gone. The
  // adapter closes its handle when it is destroyed, once nothing uses it.
  virtual void Cancel() = 0;
};
