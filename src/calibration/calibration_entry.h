#pragma once
// The calibration and mapping windows as the main window opens, follows and closes them.
//
// The main window owns one calibration window (four-point or region) and one mapping window
// at a time, through a pointer each. It opens them from its buttons, lets region drawing see
// the mouse-hook messages before dispatch, moves a calibration window's touch screen index
// when an earlier touch screen is unplugged, and destroys each window when it reports its end.
#include <windows.h>

class CWnd;
class CCalibrateDlg;    // the four-point calibration window, also used for a region
class CDeviceMatchDlg;  // the mapping window

// Calibrate: the four-point calibration window over the monitor of the touch screen at
// deviceIndex, modeless and owned by the main window; null when none was opened.
CCalibrateDlg* OpenCalibration(CWnd& mainWindow, int deviceIndex);

// Region Calibrate: starts the drawing of a rectangle with the mouse (mouse hook, hint
// window that follows the cursor).
void BeginRegionCalibration(CWnd& mainWindow);

// One of the three mouse-hook messages, taken from the main window's queue. A release that
// closes a large enough rectangle opens the region calibration window for deviceIndex in
// place of *calibration (which is destroyed). False for any other message.
bool HandleRegionMouseMessage(CWnd& mainWindow, UINT message, int deviceIndex,
                              CCalibrateDlg*& calibration);
// The main window closes: region drawing ends and the mouse hook with it.
void EndRegionDrawing(CWnd& mainWindow);

int CalibrationDeviceIndex(const CCalibrateDlg& window);
void SetCalibrationDeviceIndex(CCalibrateDlg& window, int deviceIndex);
// Its touch screen was unplugged: the window forgets the device and closes.
void CalibrationDeviceRemoved(CCalibrateDlg& window);
void DestroyCalibration(CCalibrateDlg* window);

// Mapping: the mapping window over monitor 0, modeless and owned by the main window, which
// it disables; null when none was opened.
CDeviceMatchDlg* OpenMapping(CWnd& mainWindow);
void DestroyMapping(CDeviceMatchDlg* window);
