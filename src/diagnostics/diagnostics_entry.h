#pragma once
// The LED diagnostics dialog as the main window holds and runs it.
class CWnd;
class CDiagnosis;
class DeviceServices;

// Built once with the main window and released with it.
CDiagnosis* CreateDiagnosis(CWnd* mainWindow, DeviceServices& devices);
void DeleteDiagnosis(CDiagnosis* dialog);

// Diagnostics button: the dialog runs modally for the touch screen at deviceIndex.
void RunDiagnosis(CDiagnosis& dialog, int deviceIndex);
bool IsDiagnosisVisible(const CDiagnosis& dialog);
// Its touch screen was unplugged while it runs: it ends with this result.
void EndDiagnosis(CDiagnosis& dialog, int result);
