// Until the calibration windows exist: their buttons open nothing.
#include "calibration/calibration_entry.h"
#include "calibration/mouse_hook.h"
#include "framework/wnd.h"

CCalibrateDlg* OpenCalibration(CWnd&, int) { return nullptr; }
void BeginRegionCalibration(CWnd&) {}
bool HandleRegionMouseMessage(CWnd&, UINT, int, CCalibrateDlg*&) { return false; }
void EndRegionDrawing(CWnd& mainWindow) { StopMouseHook(mainWindow.m_hWnd); }
int CalibrationDeviceIndex(const CCalibrateDlg&) { return -1; }
void SetCalibrationDeviceIndex(CCalibrateDlg&, int) {}
void CalibrationDeviceRemoved(CCalibrateDlg&) {}
void DestroyCalibration(CCalibrateDlg*) {}
