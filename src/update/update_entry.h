#pragma once
// The firmware update dialog as other windows open it (the About box's hidden Update button).
class CWnd;
class DeviceServices;

// Opens the update dialog modeless over the touch screen in slot 0 of `devices`; it deletes
// itself when it closes.
void OpenUpdateDialog(CWnd* owner, DeviceServices& devices);
