#include "device/device_thread.h"

#include "base/core/user_messages.h"
#include "base/system_failure.h"
#include "device/core/exchange_lanes.h"

CDeviceThread* CDeviceThread::CreateSuspended(ExchangeLanes& lanes) {
  auto* thread = new CDeviceThread(lanes);
  thread->m_hReady.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!thread->m_hReady) RecordSystemFailure(L"CreateEventW", L"device thread ready event");
  thread->m_hThread.reset(
      CreateThread(nullptr, 0, &CDeviceThread::ThreadMain, thread, CREATE_SUSPENDED, &thread->m_nThreadId));
  if (!thread->m_hThread) {
    RecordSystemFailure(L"CreateThread", L"device thread");
    delete thread;
    return nullptr;
  }
  return thread;
}

bool CDeviceThread::Resume() {
  if (ResumeThread(m_hThread.get()) == static_cast<DWORD>(-1)) return false;
  // Requests posted before the queue exists would be lost: wait for it (briefly).
  if (m_hReady) WaitForSingleObject(m_hReady.get(), 5000);
  return true;
}

bool CDeviceThread::Stop(DWORD timeoutMs) {
  if (!PostThreadMessageW(m_nThreadId, WM_QUIT, 0, 0)) return WaitForSingleObject(m_hThread.get(), 0) == WAIT_OBJECT_0;
  return WaitForSingleObject(m_hThread.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD WINAPI CDeviceThread::ThreadMain(void* self) {
  static_cast<CDeviceThread*>(self)->Run();
  return 0;
}

void CDeviceThread::Run() {
  MSG msg;
  // Creates the thread's message queue before anything can be posted to it.
  PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  if (m_hReady) SetEvent(m_hReady.get());
  ExchangeLanes& lanes = m_lanes;  // the object may be deleted while the thread runs
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == UM_DEVICE_REQUEST && msg.lParam) {
      lanes.Dispatch(std::unique_ptr<DeviceReport>(reinterpret_cast<DeviceReport*>(msg.lParam)));
    }
  }
  // Requests still queued when the loop ends are released with it.
  while (PeekMessageW(&msg, nullptr, UM_DEVICE_REQUEST, UM_DEVICE_REQUEST, PM_REMOVE)) {
    delete reinterpret_cast<DeviceReport*>(msg.lParam);
  }
}

