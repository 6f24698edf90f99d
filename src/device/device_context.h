#pragma once
// What the device thread and its report workers talk through: the HID system of the
// executable and the touch screen list whose records the replies fill.
#include "device/hid_system.h"
#include "device/touch_screen_list.h"

struct DeviceContext {
  HidSystem* hid = nullptr;
  TouchScreenList* list = nullptr;  // may be null: replies then fill no record
};
