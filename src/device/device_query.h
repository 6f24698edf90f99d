#pragma once
// QueryAllDevices: the synchronous "o" and "vv" exchange with every listed touch screen, used
// by the console update in acknowledge mode (set by the caller). Each exchange is awaited on
// the client's acknowledge event for up to 3000 ms; the first time-out stops the workers,
// waits 500 ms and fails. Needs the client's device thread to run to get any answer.
#include <windows.h>

class DeviceClient;

bool QueryAllDevices(DeviceClient& client);
