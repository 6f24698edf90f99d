#pragma once
#include <functional>
#include <string>

class DeviceServices;

// The console command -u: checks a firmware image file and updates every touch screen from it,
// reporting progress on the console. `devices` makes the device services once the run has
// begun (their enumeration may print its own failures, which follow the run's first line).
void RunConsoleUpdate(const std::function<DeviceServices&()>& devices, const std::wstring& fileArgument);
