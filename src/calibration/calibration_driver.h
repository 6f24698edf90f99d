#pragma once
// The driver records of the touch screen in a slot of the touch screen list, as the
// calibration and mapping windows read and store them through PelnixLib.dll.
#include <cstdint>

#include "config/core/driver_parameters.h"

class DriverLibrary;
class TouchScreenList;

// The number PelnixLib.dll stores the touch screen's record under (from its
// physical-device-object name); 0 for an empty slot.
std::uint32_t TouchScreenDeviceKey(const TouchScreenList& list, int slot);
// The touch screen's number (0 to 254) as the driver knows it; 0 for an empty slot.
std::int32_t TouchScreenNumber(const TouchScreenList& list, int slot);
// GetDeviceParameters for that number.
DeviceParameters ReadTouchScreenRecord(const DriverLibrary& driver, std::int32_t touchScreenNo);
