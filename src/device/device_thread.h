#pragma once
// CDeviceThread: the one thread of a set of device services that talks to the touch screens on
// behalf of the windows. It has a message loop and no window; windows post it
// UM_DEVICE_REQUEST with a heap DeviceReport (through the device client), which the thread
// owns from then on. Each request becomes an exchange on its touch screen's lane
// (core/exchange_lanes.h); a command with echo takes the held reply along, to be sent back to
// the touch screen ahead of it in the same exchange.
#include <windows.h>

#include <atomic>
#include <memory>

#include "base/scoped_handle.h"
#include "device/core/device_report.h"
class ExchangeLanes;

class CDeviceThread {
public:
  // Creates the thread suspended, dispatching to `lanes` (which outlive it); null when the system
  // cannot create it.
  static CDeviceThread* CreateSuspended(ExchangeLanes& lanes);
  // Closes the thread's handle; the thread itself runs on until the process ends.
  ~CDeviceThread() = default;
  CDeviceThread(const CDeviceThread&) = delete;
  CDeviceThread& operator=(const CDeviceThread&) = delete;

  DWORD id() const { return m_nThreadId; }
  HANDLE handle() const { return m_hThread.get(); }
  bool Resume();
  // Ends the message loop and waits for the thread; false when it did not end in time.
  // The program never calls it; tests do.
  bool Stop(DWORD timeoutMs);

private:
  explicit CDeviceThread(ExchangeLanes& lanes) : m_lanes(lanes) {}
  static DWORD WINAPI ThreadMain(void* self);
  void Run();

  ExchangeLanes& m_lanes;
  ScopedHandle m_hThread;
  DWORD m_nThreadId = 0;
  ScopedHandle m_hReady;  // set once the message queue exists
};
