// Until the settings, About and properties dialogs are part of the build they open nothing.
#include "ui/main_window_dialogs.h"

void RunSettingsDialog(CWnd*) {}
void RunAboutDialog(CWnd*) {}
void RunPropertiesDialog(CWnd*, int) {}
