// Placeholder until the main window is written: start-up returns at once.
#include "ui/main_window_entry.h"

void RunMainWindow(CWinApp&) {}
