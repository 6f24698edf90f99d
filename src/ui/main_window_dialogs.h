#pragma once
// The modal dialogs the main window opens: settings, About and a touch screen's properties.
class CWnd;

void RunSettingsDialog(CWnd* parent);
void RunAboutDialog(CWnd* parent);
void RunPropertiesDialog(CWnd* parent, int touchScreenIndex);
