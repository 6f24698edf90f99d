#pragma once
// CDeviceThread: the one thread of the process that talks to the touch screens on behalf of
// the windows. It has a message loop and no window; windows post it UM_DEVICE_REQUEST.
#include <windows.h>

#include <atomic>

// Target of every UM_DEVICE_REQUEST; 0 until start-up has created the device thread.
extern std::atomic<DWORD> g_nDeviceThreadId;

class CDeviceThread {
public:
  // Creates the thread suspended; null when the system cannot create it.
  static CDeviceThread* CreateSuspended();
  ~CDeviceThread();
  CDeviceThread(const CDeviceThread&) = delete;
  CDeviceThread& operator=(const CDeviceThread&) = delete;

  DWORD id() const { return id_; }
  HANDLE handle() const { return thread_; }
  bool Resume();

private:
  CDeviceThread() = default;
  static DWORD WINAPI ThreadMain(void* self);
  void Run();

  HANDLE thread_ = nullptr;
  DWORD id_ = 0;
};
