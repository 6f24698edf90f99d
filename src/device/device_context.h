#pragma once
// What the device thread and its report workers talk through: the HID system, the touch screen
// list whose records the replies fill, the protocol's shared state and the acknowledge event.
// A copy of the device services' own (device_services.h), which outlive every exchange.
#include <windows.h>

#include "device/core/protocol_state.h"
#include "device/hid_system.h"
#include "device/touch_screen_list.h"

struct DeviceContext {
  HidSystem* hid = nullptr;
  TouchScreenList* list = nullptr;  // may be null: replies then fill no record
  ProtocolState* protocol = nullptr;
  // Manual-reset event that a worker in acknowledge mode signals when its command's
  // end-of-reply report arrives.
  HANDLE ackEvent = nullptr;
};
