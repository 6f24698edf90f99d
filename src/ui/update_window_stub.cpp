// Placeholder until the firmware update window is written: nothing opens.
#include "ui/update_window_entry.h"

void OpenUpdateWindow(CWnd*) {}
