#pragma once
class CWinApp;

// Builds the main window, makes it the application's main window, runs it modally and
// destroys it when it ends.
void RunMainWindow(CWinApp& app);
