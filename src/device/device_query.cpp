#include "device/device_query.h"

#include <memory>

#include "device/core/protocol_state.h"
#include "device/device_thread.h"
#include "device/touch_screen_list.h"

std::atomic<HANDLE> g_hAckEvent{nullptr};

namespace {

HANDLE AckEvent() {
  HANDLE event = g_hAckEvent.load();
  if (event) return event;
  HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!g_hAckEvent.compare_exchange_strong(event, created)) {
    CloseHandle(created);  // another thread made it first
    return event;
  }
  return created;
}

// Posts one command to slot `index` and waits for its end of reply.
bool Exchange(TouchScreenList& list, int index, std::uint8_t byte1, std::uint8_t byte2, HANDLE event) {
  ResetEvent(event);
  auto request = std::make_unique<DeviceReport>();
  request->deviceHandle = list.handle(index);
  request->deviceIndex = index;
  request->window = nullptr;
  request->report[0] = 0x31;
  request->report[1] = byte1;
  request->report[2] = byte2;
  // A request that cannot be posted is released; the wait then runs into its time-out.
  PostDeviceRequest(std::move(request));
  return WaitForSingleObject(event, kQueryWaitMs) == WAIT_OBJECT_0;
}

}  // namespace

bool QueryAllDevices(TouchScreenList& list) {
  HANDLE event = AckEvent();
  if (!event) return false;
  for (int i = 0; i < static_cast<int>(list.count()); ++i) {
    if (!list.device(i)) continue;  // an empty slot has no touch screen to ask
    g_bStopWorkers.store(false);
    if (!Exchange(list, i, 'o', 0x00, event) || !Exchange(list, i, 'v', 'v', event)) {
      g_bStopWorkers.store(true);
      Sleep(500);
      return false;
    }
  }
  g_bStopWorkers.store(false);
  Sleep(100);
  return true;
}
