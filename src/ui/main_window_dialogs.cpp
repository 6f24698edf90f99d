// The modal dialogs of the main window's buttons and of a double click on a list item.
#include "ui/main_window_dialogs.h"

#include "ui/about_dialog.h"
#include "ui/properties_dialog.h"
#include "ui/settings_dialog.h"

void RunSettingsDialog(CWnd* parent, DriverLibrary& driver) { CBasicprop(driver, parent).DoModal(); }
void RunAboutDialog(CWnd* parent, DeviceServices& devices) { CVersion(devices, parent).DoModal(); }
void RunPropertiesDialog(CWnd* parent, const TouchScreenList& list, int touchScreenIndex) {
  PelnixInfo(parent, list, touchScreenIndex).DoModal();
}
