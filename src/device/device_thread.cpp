#include "device/device_thread.h"

#include "app/core/user_messages.h"
#include "device/core/device_report.h"

std::atomic<DWORD> g_nDeviceThreadId{0};

CDeviceThread* CDeviceThread::CreateSuspended() {
  auto* thread = new CDeviceThread;
  thread->thread_ = CreateThread(nullptr, 0, &CDeviceThread::ThreadMain, thread, CREATE_SUSPENDED,
                                 &thread->id_);
  if (!thread->thread_) {
    delete thread;
    return nullptr;
  }
  return thread;
}

CDeviceThread::~CDeviceThread() {
  if (thread_) CloseHandle(thread_);
}

bool CDeviceThread::Resume() { return ResumeThread(thread_) != static_cast<DWORD>(-1); }

DWORD WINAPI CDeviceThread::ThreadMain(void* self) {
  static_cast<CDeviceThread*>(self)->Run();
  return 0;
}

void CDeviceThread::Run() {
  MSG msg;
  // Creates the thread's message queue before anything can be posted to it.
  PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == UM_DEVICE_REQUEST) {
      delete reinterpret_cast<DeviceReport*>(msg.lParam);  // dispatch comes with the protocol
    }
  }
}
