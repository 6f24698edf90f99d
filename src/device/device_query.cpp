#include "device/device_query.h"

#include "device/device_client.h"
#include "device/touch_screen_list.h"

bool QueryAllDevices(DeviceClient& client) {
  HANDLE event = client.ackEvent();
  if (!event) return false;
  const device_client::QueryWaits waits(client, event);
  TouchScreenList& list = client.list();
  for (int i = 0; i < static_cast<int>(list.count()); ++i) {
    if (!list.device(i)) continue;  // an empty slot has no touch screen to ask
    client.AllowWorkers();
    if (!waits.Exchange(nullptr, list.handle(i), i, 'o', 0x00) ||
        !waits.Exchange(nullptr, list.handle(i), i, 'v', 'v')) {
      device_client::AbandonExchange(waits);
      return false;
    }
  }
  client.AllowWorkers();
  Sleep(100);
  return true;
}
