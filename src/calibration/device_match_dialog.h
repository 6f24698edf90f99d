#pragma once
// CDeviceMatchDlg: the mapping window.
//
// It covers one monitor at a time with a target and the monitor's number; whichever touch
// screen reports a touch there is mapped to that monitor through the driver-interface library,
// and the window moves on to the next monitor. A monitor nobody touches within 30 s is
// skipped. While it lives the main window is disabled and the cursor hidden. When it closes it
// asks the main window to save the touch screen numbers into the touch screens.
//
// Any touch screen that is unplugged meanwhile ends the mapping without that save: the slots of
// the touch screens after it move down, so the slot numbers the save would store no longer
// match the records written during the mapping, and the touches still on their way carry the
// old slots.
#include <memory>

#include "base/timer_resolution.h"
#include "framework/dialog.h"
#include "framework/gdi.h"

class DeviceServices;
class DriverLibrary;
struct DeviceReport;

class CDeviceMatchDlg : public CDialog {
public:
  static constexpr UINT_PTR kTimerId = 9;
  static constexpr UINT kMonitorPeriodMs = 30000;

  // The mapping of the touch screens of `devices` to their monitors.
  CDeviceMatchDlg(DeviceServices& devices, DriverLibrary& driver, CWnd* mainWindow);
  ~CDeviceMatchDlg() override;

  // Moves the window onto the rectangle of the monitor table's row.
  void MoveOntoMonitor(int monitor);
  int monitor() const { return m_nMonitor; }
  // The closing steps will ask (or asked) for the save of the numbers.
  bool WillSave() const {
    return m_nState == State::Mapping || m_nState == State::Finished || m_nState == State::SaveAsked;
  }
  // A touch screen is about to be removed and the slots after it to move: the mapping takes no
  // more touches, and those already queued for it are dropped. Its removal message follows.
  void StopTouches();

  BOOL PreTranslateMessage(MSG* msg) override;

protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  bool OnPaint() override;
  bool OnTimer(UINT_PTR id) override;
  bool OnClose() override;
  void OnDestroy() override;

private:
  // Where the mapping is. Touches and time-outs count only while Mapping; every other state
  // is on the way out, and the closing steps run once (SaveAsked or Unsaved).
  enum class State {
    Mapping,       // a monitor waits for its touch
    Finished,      // the last monitor is done, or Escape: the closing steps ask for the save
    Removed,       // a touch screen was unplugged: the mapping ends unsaved
    RemovalShown,  // and its message has been shown
    SaveAsked,     // the closing steps ran and asked the main window for the save
    Unsaved,       // the closing steps ran without it
  };
  bool TakesTouches() const { return m_nState == State::Mapping; }
  bool Removed() const { return m_nState == State::Removed || m_nState == State::RemovalShown; }
  bool Closed() const { return m_nState == State::SaveAsked || m_nState == State::Unsaved; }

  void StartMonitorTimer();
  void OnTouch(std::unique_ptr<DeviceReport> report);
  void OnTimeout();
  void MapTouchScreen(int slot, int monitor);
  void NextMonitor();
  void Finish();  // the last monitor is done: the main window hears of it, the window closes
  // Cursor back, timer off, touch stream off to every touch screen; then, unless a touch screen
  // was unplugged, the main window saves the mapping. Once.
  void Closing(bool save);
  void OnDeviceRemoved();
  void Paint(HDC dc);

  DeviceServices& m_devices;
  DriverLibrary& m_driver;
  CWnd* m_pMainWindow;
  bool m_bTouchEnabled = false;  // the driver's EnableTouch at opening
  int m_nMonitor = 0;            // the monitor table's row the window covers
  State m_nState = State::Mapping;
  ScopedFont m_hNumberFont;
  std::unique_ptr<FineTimerResolution> m_pFineTimer;  // from opening to the closing steps
};
