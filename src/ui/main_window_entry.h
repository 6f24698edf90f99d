#pragma once
class CWinApp;
class DeviceServices;
class DriverLibrary;

// Builds the main window of the touch screens of `devices` and the driver's records in
// `driver`, makes it the application's main window, runs it modally and destroys it when it ends.
void RunMainWindow(CWinApp& app, DeviceServices& devices, DriverLibrary& driver);
