// Until the calibration and mapping windows exist: their buttons open nothing.
#include "calibration/calibration_entry.h"

CCalibrateDlg* OpenCalibration(CWnd&, int) { return nullptr; }
void BeginRegionCalibration(CWnd&) {}
bool HandleRegionMouseMessage(CWnd&, UINT, int, CCalibrateDlg*&) { return false; }
int CalibrationDeviceIndex(const CCalibrateDlg&) { return -1; }
void SetCalibrationDeviceIndex(CCalibrateDlg&, int) {}
void CalibrationDeviceRemoved(CCalibrateDlg&) {}
void DestroyCalibration(CCalibrateDlg*) {}
CDeviceMatchDlg* OpenMapping(CWnd&) { return nullptr; }
void DestroyMapping(CDeviceMatchDlg*) {}
