#pragma once
// CCalibrateDlg: the four-point calibration window (dialog 136).
//
// A borderless, topmost window over the calibrated rectangle (a whole monitor, or a region
// the user drew) shows one target at a time; each lift-off report of the touch stream is the
// raw point of the target shown. After the fourth the record is stored at once, so the user
// can try it for 30 seconds, then keep it (OK), try again (ReCalibrate) or throw it away
// (Cancel, Escape, or the countdown running out), which writes back the record read at
// opening. While the window lives the driver runs in click-on-release mode; every way out
// restores the mode it had.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "base/timer_resolution.h"
#include "calibration/core/calibration_check.h"
#include "calibration/core/calibration_geometry.h"
#include "config/core/driver_parameters.h"
#include "framework/controls.h"
#include "framework/controls/xp_button.h"
#include "framework/dialog.h"

class DeviceServices;
class DriverLibrary;
struct DeviceReport;

class CCalibrateDlg : public CDialog {
public:
  // The calibration of a touch screen of `devices`.
  CCalibrateDlg(DeviceServices& devices, DriverLibrary& driver, CWnd* parent);
  ~CCalibrateDlg() override;

  // Set by the opener before the window is created; the main window lowers the index when
  // an earlier touch screen is unplugged and clears m_bDevicePresent when this one is.
  int m_nDeviceIndex = -1;
  bool m_bFullScreen = true;
  bool m_bDevicePresent = true;

  BOOL PreTranslateMessage(MSG* msg) override;

  // State, for the main window and for tests.
  int step() const { return m_nStep; }
  const std::array<calibration::Point, calibration::kTargetCount>& rawPoints() const { return m_ptRaw; }
  bool disagreementShown() const;
  bool endPosted() const { return m_nState == State::Ended; }
  // The performance counter once the window and its controls were painted after the last
  // touch taken (0 before the first), for the latency benchmark.
  std::int64_t lastTouchPaintedAt() const { return m_nTouchPaintedAt.load(); }

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  bool OnPaint() override;
  bool OnTimer(UINT_PTR id) override;
  bool OnButtonClicked(UINT id) override;
  bool OnClose() override;
  void OnDestroy() override;
  void OnOK() override;
  void OnCancel() override;

private:
  // Messages.
  void OnTouchPoint(std::unique_ptr<DeviceReport> report);
  void OnCountdown();
  void OnReCalibrate();
  void OnCancelButton();
  void OnDeviceRemoved(LPARAM index);

  // Where the window is on its way. Which target shows, or the try-out, is m_nStep: four
  // points taken (kTargetCount) is the try-out.
  enum class State {
    Calibrating,  // the targets, or the try-out after the fourth point
    Told,         // its touch screen went and the user was told: WM_CLOSE comes next
    Closing,      // WM_CLOSE is being handled: its removal message may be up
    Ended,        // every way out ran (or OK did): UM_CALIBRATE_END went out, nothing left to restore
  };

  // How the window is left, other than by OK.
  enum class EndReason {
    Closed,     // WM_CLOSE: the countdown ran out, the touch screen went, or the main window
    Cancelled,  // the Cancel button or IDCANCEL
    Escaped,    // Escape, which also ends region drawing's mouse hook
    Destroyed,  // destroyed without an end: nobody is left to tell
  };
  // Every way out but OK: the countdown stops, the driver gets its mode back and, once four
  // points were taken, the record read at opening; the cursor shows again and the touch stream
  // stops; then the main window is told (ended for Closed, aborted otherwise). Once.
  void EndCalibration(EndReason reason);

  // Steps shared by several ways.
  void ShowTryOut();
  void InvalidateTarget(int step, const RECT& client);
  void SaveCalibration(bool restoreMode);
  void RestoreParameters();
  void RestoreMode();
  void PostCalibrateEnd(WPARAM aborted);
  void PostStreamOn();
  void PostStreamOff();
  void ShowRemovalMessage();
  void ShowOpeningHints(bool show);
  void ShowAfterHints(bool show);
  void ShowButtons(bool show);
  void ShowDisagreement();
  calibration::CalibrationCheck CheckThisCalibration(int width, int height);
  // Four points were taken and stored: the try-out shows, with its buttons.
  bool FourPointsTaken() const { return m_nStep == calibration::kTargetCount; }
  // The touch stream asked for with the first target runs until the fourth point or the end,
  // and is stopped once: a second stream off could reach the touch screen after the stream of
  // the next calibration window has begun (each request has a worker of its own).
  bool Streaming() const { return m_nState != State::Ended && !FourPointsTaken(); }
  HWND MainWindow() const;

  void LayoutControls(int width, int height);
  void DrawTarget(HDC dc, int width, int height) const;

  CXPButton m_btnOK, m_btnReCalibrate, m_btnCancel;
  std::array<CStatic, 7> m_ctrlHints;  // 1090 to 1096
  CStatic m_ctrlDisagreement;          // 1097

  int m_nStep = 0;
  std::array<calibration::Point, calibration::kTargetCount> m_ptRaw{};
  DeviceParameters m_savedParams{};
  std::int32_t m_nSavedMode = 0;
  bool m_bTouchEnabled = false;
  int m_nTick = 0;
  // The touch screen as it was at opening: its record is written back under its own key
  // even after it was unplugged and another touch screen moved into its slot.
  std::uint32_t m_nDeviceKey = 0;
  std::int32_t m_nTouchScreenNo = 0;
  State m_nState = State::Calibrating;
  std::unique_ptr<FineTimerResolution> m_pFineTimer;  // from opening until the end is posted
  DeviceServices& m_devices;
  DriverLibrary& m_driver;
  std::atomic<std::int64_t> m_nTouchPaintedAt{0};
};
