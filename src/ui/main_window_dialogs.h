#pragma once
// The modal dialogs the main window opens: settings, About and a touch screen's properties.
class CWnd;
class DeviceServices;
class TouchScreenList;

class DriverLibrary;

void RunSettingsDialog(CWnd* parent, DriverLibrary& driver);
void RunAboutDialog(CWnd* parent, DeviceServices& devices);
void RunPropertiesDialog(CWnd* parent, const TouchScreenList& list, int touchScreenIndex);
