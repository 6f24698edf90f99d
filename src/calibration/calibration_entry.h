#pragma once
// The calibration and mapping windows as the main window opens, follows and closes them.
//
// The main window owns one calibration window (four-point or region) and one mapping window
// at a time, through a pointer each. It opens them from its buttons, lets region drawing see
// the mouse-hook messages before dispatch, moves a calibration window's touch screen index
// when an earlier touch screen is unplugged, and destroys each window when it reports its end.
#include <windows.h>

class CWnd;
class DeviceServices;
class CCalibrateDlg;    // the four-point calibration window, also used for a region
class CDeviceMatchDlg;  // the mapping window
class MessageInfoDlg;   // the hint that follows the cursor while a region is drawn

// Calibrate: the four-point calibration window over the monitor of the touch screen at
// deviceIndex, modeless and owned by the main window; null when none was opened.
CCalibrateDlg* OpenCalibration(CWnd& mainWindow, DeviceServices& devices, int deviceIndex);

// Region Calibrate: starts the drawing of a rectangle with the mouse: the mouse hook reports
// to the main window, and a hint window (replacing *hint) follows the cursor.
void BeginRegionCalibration(CWnd& mainWindow, MessageInfoDlg*& hint);

// One of the three mouse-hook messages, taken from the main window's queue: a move moves the
// hint, a press records down and ends the hint, a release records up and, when the two points
// span at least 200 x 200 pixels, opens the region calibration window for deviceIndex in
// place of *calibration (which is destroyed); every release ends the hook. False for any
// other message.
bool HandleRegionMouseMessage(CWnd& mainWindow, DeviceServices& devices, UINT message, int deviceIndex,
                              MessageInfoDlg*& hint, POINT& down, POINT& up, CCalibrateDlg*& calibration);
// The main window closes: region drawing ends and the mouse hook with it.
void EndRegionDrawing(CWnd& mainWindow);
void DestroyRegionHint(MessageInfoDlg*& hint);

int CalibrationDeviceIndex(const CCalibrateDlg& window);
void SetCalibrationDeviceIndex(CCalibrateDlg& window, int deviceIndex);
// Its touch screen was unplugged: the window forgets the device, tells the user and closes.
void CalibrationDeviceRemoved(CCalibrateDlg& window);
// Whether the window has posted its UM_CALIBRATE_END: an end message counts only then.
bool CalibrationEndPosted(const CCalibrateDlg& window);
void DestroyCalibration(CCalibrateDlg* window);

// Mapping: the mapping window over monitor 0, modeless and owned by the main window, which
// it disables; null when none was opened.
CDeviceMatchDlg* OpenMapping(CWnd& mainWindow, DeviceServices& devices);
void DestroyMapping(CDeviceMatchDlg* window);
// The mapping window will ask for its save when it closes (it was not ended by a removal).
bool MappingWillSave(const CDeviceMatchDlg& window);
// A touch screen is about to be removed and the slots after it to move: the mapping takes no
// more touches, and those already queued for it are dropped. Its removal message follows.
void StopMappingTouches(CDeviceMatchDlg& window);
