#pragma once
// The device services of a test process that opens windows: built on the test's simulated
// touch screens (SimulatedHid) and monitors on first use, after the test has plugged its touch
// screens in. The device thread runs once a test starts it (StartDeviceThread, which a second
// call leaves running). Never destroyed: windows and exchanges may use them to the end.
#include "device/device_services.h"
#include "simulator/simulated_monitors.h"
#include "simulator/simulated_touch_screen.h"

inline DeviceServices& TestDevices() {
  static DeviceServices* devices = new DeviceServices(SimulatedHid(), SimulatedMonitors());
  return *devices;
}
