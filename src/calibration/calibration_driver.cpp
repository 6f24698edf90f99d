#include "calibration/calibration_driver.h"

#include "config/core/device_key.h"
#include "config/driver_library.h"
#include "device/touch_screen_list.h"

std::uint32_t TouchScreenDeviceKey(const TouchScreenList& list, int slot) {
  const TouchScreenDevice* device = list.device(slot);
  if (!device) return 0;
  return DeviceKeyFromPdoName(device->PdoName ? device->PdoName.get() : L"");
}

std::int32_t TouchScreenNumber(const TouchScreenList& list, int slot) {
  const TouchScreenDevice* device = list.device(slot);
  return device ? NormalizeTouchScreenNo(device->TouchScreenNo.load()) : 0;
}

DeviceParameters ReadTouchScreenRecord(const DriverLibrary& driver, std::int32_t touchScreenNo) {
  DeviceParameters record{};
  record.TouchScreenNo = touchScreenNo;
  driver.GetDeviceParameters(record);
  return record;
}
