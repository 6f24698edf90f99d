#include "device/device_services.h"

#include "base/system_failure.h"
#include "device/device_thread.h"

namespace {

HANDLE MakeAckEvent() {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!event) RecordSystemFailure(L"CreateEventW", L"acknowledge event");
  return event;
}

// The exchanges' threads run at the highest priority: a touch's report is read as it comes.
void RaiseThreadPriority() {
  if (!SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST)) RecordSystemFailure(L"SetThreadPriority");
}

}  // namespace

DeviceServices::DeviceServices(HidSystem& hid, MonitorSystem& monitors)
    : m_hid(hid),
      m_monitors(monitors),
      m_hAckEvent(MakeAckEvent()),
      m_replyWindows(m_hAckEvent.get()),
      m_lanes(m_protocol, m_replyWindows, m_threads),
      m_threads(&RaiseThreadPriority),
      m_list(hid, monitors),
      m_client(m_list, m_protocol, m_replyWindows) {}

DeviceServices::~DeviceServices() {
  StopDeviceThread(5000);
}

bool DeviceServices::StartDeviceThread() {
  if (m_pDeviceThread) return true;
  m_pDeviceThread.reset(CDeviceThread::CreateSuspended(m_lanes));
  if (!m_pDeviceThread) return false;
  // Published before the thread runs: requests posted from now on wait in its queue.
  m_client.SetDeviceThread(m_pDeviceThread->id());
  // Threads for the first exchanges (one exchange, one touch stream) while the program opens.
  m_threads.Prepare(2);
  return m_pDeviceThread->Resume();
}

bool DeviceServices::StopDeviceThread(DWORD timeoutMs) {
  if (!m_pDeviceThread) return true;
  m_client.SetDeviceThread(0);
  const bool ended = m_pDeviceThread->Stop(timeoutMs);
  m_pDeviceThread.reset();
  return ended;
}
