#pragma once
class CWinApp;
class DeviceServices;

// Builds the main window of the touch screens of `devices`, makes it the application's main
// window, runs it modally and destroys it when it ends.
void RunMainWindow(CWinApp& app, DeviceServices& devices);
