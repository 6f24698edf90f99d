#include "device/device_services.h"

#include "base/system_failure.h"
#include "device/device_thread.h"
#include "device/worker_pool.h"

namespace {

HANDLE MakeAckEvent() {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!event) RecordSystemFailure(L"CreateEventW", L"acknowledge event");
  return event;
}

}  // namespace

DeviceServices::DeviceServices(HidSystem& hid, MonitorSystem& monitors)
    : m_hid(hid),
      m_monitors(monitors),
      m_hAckEvent(MakeAckEvent()),
      m_list(hid, monitors),
      m_client(m_list, m_protocol, m_hAckEvent.get()) {}

DeviceServices::~DeviceServices() {
  StopDeviceThread(5000);
}

bool DeviceServices::StartDeviceThread() {
  if (m_pDeviceThread) return true;
  m_pDeviceThread.reset(CDeviceThread::CreateSuspended(context()));
  if (!m_pDeviceThread) return false;
  // Published before the thread runs: requests posted from now on wait in its queue.
  m_client.SetDeviceThread(m_pDeviceThread->id());
  // Threads for the first exchanges (one exchange, one touch stream) while the program opens.
  PrepareWaitingThreads(2);
  return m_pDeviceThread->Resume();
}

bool DeviceServices::StopDeviceThread(DWORD timeoutMs) {
  if (!m_pDeviceThread) return true;
  m_client.SetDeviceThread(0);
  const bool ended = m_pDeviceThread->Stop(timeoutMs);
  m_pDeviceThread.reset();
  return ended;
}
