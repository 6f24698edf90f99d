#include "device/device_query.h"

#include "device/device_client.h"
#include "device/touch_screen_list.h"

bool QueryAllDevices(DeviceClient& client) {
  HANDLE event = client.ackEvent();
  if (!event) return false;
  const device_client::QueryWaits waits(client, event);
  for (const device_client::HeldTouchScreen& held : device_client::HoldListed(client.list())) {
    client.AllowWorkers();
    if (!waits.Exchange(nullptr, held.touchScreen, held.slot, 'o', 0x00) ||
        !waits.Exchange(nullptr, held.touchScreen, held.slot, 'v', 'v')) {
      device_client::AbandonExchange(waits);
      return false;
    }
  }
  client.AllowWorkers();
  Sleep(100);
  return true;
}
