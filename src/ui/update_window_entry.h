#pragma once
class CWnd;

// Opens the firmware update window, modeless, owned by `owner`.
void OpenUpdateWindow(CWnd* owner);
