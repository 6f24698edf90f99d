#include "device/device_query.h"

#include "base/system_failure.h"
#include "device/device_client.h"
#include "device/touch_screen_list.h"

std::atomic<HANDLE> g_hAckEvent{nullptr};

namespace {

HANDLE AckEvent() {
  HANDLE event = g_hAckEvent.load();
  if (event) return event;
  HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!created) {
    RecordSystemFailure(L"CreateEventW", L"acknowledge event");
    return nullptr;
  }
  if (!g_hAckEvent.compare_exchange_strong(event, created)) {
    CloseHandle(created);  // another thread made it first
    return event;
  }
  return created;
}

}  // namespace

bool QueryAllDevices(TouchScreenList& list) {
  HANDLE event = AckEvent();
  if (!event) return false;
  const device_client::QueryWaits waits(event);
  for (int i = 0; i < static_cast<int>(list.count()); ++i) {
    if (!list.device(i)) continue;  // an empty slot has no touch screen to ask
    device_client::AllowWorkers();
    if (!waits.Exchange(nullptr, list.handle(i), i, 'o', 0x00) ||
        !waits.Exchange(nullptr, list.handle(i), i, 'v', 'v')) {
      device_client::AbandonExchange(waits);
      return false;
    }
  }
  device_client::AllowWorkers();
  Sleep(100);
  return true;
}
