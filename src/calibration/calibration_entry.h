#pragma once
// CalibrationSide: the calibration and mapping windows as the main window opens, follows and
// closes them, and the drawing of a region with the mouse.
//
// The main window owns one CalibrationSide and reaches these windows only through it. It holds
// one calibration window (four-point or region) and one mapping window at a time, and the hint
// that follows the cursor while a region is drawn; it sees the mouse hook's messages before
// dispatch, closes the calibration of a touch screen that is unplugged, moves a calibration
// window's slot down when an earlier touch screen goes, and destroys each window when it
// reports its end (or with itself).
#include <windows.h>

#include <memory>

class CWnd;
class CCalibrateDlg;    // the four-point calibration window, also used for a region
class CDeviceMatchDlg;  // the mapping window
class DeviceServices;
class DriverLibrary;
class MessageInfoDlg;   // the hint that follows the cursor while a region is drawn

class CalibrationSide {
public:
  // The windows of the touch screens of `devices`, opened over `mainWindow`, which receives
  // their messages and the mouse hook's.
  CalibrationSide(CWnd& mainWindow, DeviceServices& devices, DriverLibrary& driver);
  // Every window it opened goes; region drawing ends with the hook.
  ~CalibrationSide();
  CalibrationSide(const CalibrationSide&) = delete;
  CalibrationSide& operator=(const CalibrationSide&) = delete;

  // Calibrate: the four-point calibration window over the monitor of the touch screen in
  // `slot`, in place of the one open.
  void Calibrate(int slot);
  // Region Calibrate: the mouse hook reports to the main window and the hint follows the cursor.
  void BeginRegion();
  // One of the mouse hook's three messages, taken from the main window's queue: a move moves the
  // hint, a press records where the rectangle begins and ends the hint, a release ends it and,
  // when the two points span at least 200 x 200 pixels, opens the region calibration window of
  // the touch screen in `slot` over it; every release ends the hook. False for any other message.
  bool OnMouseHookMessage(UINT message, int slot);
  // The main window closes: region drawing ends and the mouse hook with it.
  void EndRegionDrawing();
  // Mapping: the mapping window over monitor 0, in place of the one open; it disables the main
  // window, and leaves it enabled when none could be opened.
  void Map();

  // UM_CALIBRATE_END: true when the open calibration window has posted it (any other end
  // message counts for nothing); the window is then destroyed.
  bool TakeCalibrationEnd();
  // The open calibration window has posted its end (the message is still on its way).
  bool CalibrationEndPosted() const;
  // The mapping window will ask (or asked) for the save of the numbers when it closes.
  bool MappingWillSave() const;

  // The touch screen in `slot` is about to be removed, before the list's slots move: its
  // calibration window forgets it, tells the user and closes, and its stream counts as off; the
  // mapping takes no more touches and drops those queued.
  void TouchScreenRemoving(int slot);
  // The touch screens after `slot` have moved down one slot: a calibration window follows its own.
  void TouchScreenRemoved(int slot);

private:
  void OpenRegion(int slot, const RECT& region);
  std::unique_ptr<CCalibrateDlg> CreateCalibration(int slot, bool fullScreen);

  CWnd& m_mainWindow;
  DeviceServices& m_devices;
  DriverLibrary& m_driver;
  std::unique_ptr<CCalibrateDlg> m_pCalibrateDlg;
  std::unique_ptr<CDeviceMatchDlg> m_pMatchDlg;
  std::unique_ptr<MessageInfoDlg> m_pHintDlg;  // region drawing's hint, while it shows
  POINT m_ptDown{};                            // region drawing: where the left button went down
};
