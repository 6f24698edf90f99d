#pragma once
// CPelnixCplDlg: the program's main window (dialog 102).
//
// It lists one icon per attached touch screen with its touch screen number, its monitor and
// whether it is calibrated; asks every touch screen for its identity when it opens (the
// start-up query, run by its workers); follows the removal of a touch screen; and opens every
// other window of the program from its buttons, the calibration and mapping windows through
// its calibration side.
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "calibration/calibration_entry.h"
#include "diagnostics/diagnostics_entry.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/gdi.h"
#include "framework/controls/image_static.h"
#include "ui/main_window_buttons.h"
#include "ui/main_window_workers.h"

class DeviceServices;
class DriverLibrary;
struct TouchScreenDevice;

class CPelnixCplDlg : public CDialog, private MainWindowWorkers::Host {
public:
  // The main window of the touch screens of `devices`.
  CPelnixCplDlg(DeviceServices& devices, DriverLibrary& driver, CWnd* parent = nullptr);
  ~CPelnixCplDlg() override;

  // The list has been filled once: the wait cursor is gone and the buttons follow the
  // selection.
  bool IsListReady() const { return m_bListReady.load(); }
  int selected() const { return m_nSelected.load(); }
  // The drawings the window shows: the list's image size and the logo's bitmap.
  HIMAGELIST listImages() const { return m_imageList.m_hImageList; }
  int logoBitmap() const { return m_ctrlPicture.bitmapId(); }

  BOOL PreTranslateMessage(MSG* msg) override;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
  // Opening.
  void SetUpListView();
  int ListItemWidth();
  void ApplyLanguage();

  // The list and the buttons.
  void RefreshList() override;
  void ShowTouchScreen(int slot) override;
  void SaveEnded(bool enableWindow) override;
  void ReadNumberAndMonitor(int index);
  // What an item shows: the list view is told only what changed.
  struct ShownItem {
    int slot;
    std::int32_t touchScreenNo, monitorNo;
    int image;
    bool operator==(const ShownItem&) const = default;
  };
  static ShownItem Shown(int slot, const TouchScreenDevice& device);
  void ShowItem(int item, const TouchScreenDevice& device);  // its text and image, when they changed
  void UpdateItems();  // the list's items from the records, item 0 selected
  void ScrollPastTransparentRows();  // the whole pictures and texts show
  // The pictures drawn for this DPI: the logo and the list's images, the list sized to them.
  void SetDpiImages(unsigned dpi);
  int TransparentRows() const;  // the empty top rows of the list images at their drawn size
  void UpdateButtons();

  // Windows messages.
  bool OnPaint() override;
  HICON OnQueryDragIcon() override;
  bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage) override;
  bool OnTimer(UINT_PTR id) override;
  bool OnClose() override;
  void OnDestroy() override;
  bool OnButtonClicked(UINT id) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;
  LRESULT OnDeviceChange(WPARAM event, LPARAM data);
  void RemoveTouchScreen(int index);
  void BroadcastDeviceRemoved(int index);
  void OnCalibrateEnd(WPARAM aborted, LPARAM index);
  void OpenUserManual();
  void PaintMinimized();

  DeviceServices& m_devices;
  DriverLibrary& m_driver;
  CListCtrl m_ctrlTouchScreens;
  CImageStatic m_ctrlPicture;
  MainWindowButton m_btnExit, m_btnHelp, m_btnAbout, m_btnDiagnostics, m_btnSettings,
      m_btnMapping, m_btnCalibrate, m_btnRegionCalibrate;
  ScopedIcon m_hIcon;
  ScopedIcon m_hSmallIcon;
  CImageList m_imageList;
  dpi::ImageScale m_imageScale = dpi::ImageScale::k100;

  std::vector<ShownItem> m_shownItems;  // one per list item, in the list's order
  std::atomic<int> m_nSelected{-1};
  std::atomic<bool> m_bListReady{false};
  DiagnosisPtr m_pDiagnosis;
  CalibrationSide m_calibration;
  MainWindowWorkers m_workers;  // last: its workers end before anything they use goes
};
