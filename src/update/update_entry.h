#pragma once
// The firmware update dialog as other windows open it (the About box's hidden Update button).
class CWnd;

// Opens the update dialog modeless over the touch screen in slot 0; it deletes itself when it
// closes.
void OpenUpdateDialog(CWnd* owner);
