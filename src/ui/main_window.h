#pragma once
// CPelnixCplDlg: the program's main window (dialog 102).
//
// It lists one icon per attached touch screen with its touch screen number, its monitor and
// whether it is calibrated; asks every touch screen for its identity when it opens (the
// start-up query, on a worker thread); follows the removal of a touch screen; and opens every
// other window of the program from its buttons.
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "device/device_client.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/controls/image_static.h"
#include "ui/main_window_buttons.h"

class CCalibrateDlg;
class CDeviceMatchDlg;
class CDiagnosis;
class DeviceServices;
class MessageInfoDlg;
struct DeviceReport;

class CPelnixCplDlg : public CDialog {
public:
  // The main window of the touch screens of `devices`.
  explicit CPelnixCplDlg(DeviceServices& devices, CWnd* parent = nullptr);
  ~CPelnixCplDlg() override;

  // The list has been filled once: the wait cursor is gone and the buttons follow the
  // selection.
  bool IsListReady() const { return m_bListReady.load(); }
  int selected() const { return m_nSelected.load(); }
  // The drawings the window shows: the list's image size and the logo's bitmap.
  HIMAGELIST listImages() const { return m_imageList.m_hImageList; }
  int logoBitmap() const { return m_picture.bitmapId(); }

  BOOL PreTranslateMessage(MSG* msg) override;

  // Worker-thread requests that the user-interface thread carries out for the workers.
  static constexpr UINT kRefreshRequest = WM_APP + 1;     // RefreshList
  static constexpr UINT kSaveMappingFailed = WM_APP + 2;  // the mapping save's message box
  static constexpr UINT kWorkerEnded = WM_APP + 3;        // the worker is done; the next may start

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
  // Opening.
  void RegisterNotifications();
  void SetUpListView();
  int ListItemWidth();
  void ApplyLanguage();
  // The start-up query and the mapping save run on one worker thread at a time.
  using WorkerBody = void (CPelnixCplDlg::*)();
  struct WorkerStart {
    CPelnixCplDlg* window;
    WorkerBody body;
  };
  // Starts the worker, or queues it behind the one that runs; never waits.
  void StartWorker(WorkerBody body);
  void LaunchWorker(WorkerBody body);  // its thread, now
  bool OnTimer(UINT_PTR id) override;  // the save's start
  static constexpr UINT_PTR kSaveTimerId = 1;
  static constexpr UINT kBeforeSaveMs = 100;
  static DWORD WINAPI WorkerThread(void* start);
  void OnWorkerEnded();  // the running worker is done: its handle goes, the next one starts
  void PrepareSave();    // what the save needs from the list, taken before it starts
  void OnSaveEnded();    // the numbers the touch screens now hold; the window enabled again
  void StopWorker();     // the window goes: the worker's waits end, and it is waited for
  bool Closing() const;

  // The list and the buttons.
  void RefreshList();
  void ReadNumberAndMonitor(int index);
  void UpdateListItem(int index);  // one item's text and image, from its touch screen
  void ScrollPastTransparentRows();  // the whole pictures and texts show
  // The pictures drawn for this DPI: the logo and the list's images, the list sized to them.
  void SetDpiImages(unsigned dpi);
  int TransparentRows() const;  // the empty top rows of the list images at their drawn size
  void UpdateButtons();

  // Replies of the touch screens.
  void OnReply(UINT msg, std::unique_ptr<DeviceReport> reply);

  // Worker bodies.
  void StartupQuery();
  void SaveMapping();

  // Windows messages.
  bool OnPaint() override;
  HICON OnQueryDragIcon() override;
  bool OnEraseBackground(HDC dc) override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
  bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage) override;
  bool OnClose() override;
  void OnDestroy() override;
  bool OnButtonClicked(UINT id) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;
  LRESULT OnDeviceChange(WPARAM event, LPARAM data);
  void RemoveTouchScreen(int index);
  void BroadcastDeviceRemoved(int index);
  void OnCalibrateEnd(WPARAM aborted, LPARAM index);
  bool IsCalibrationEnd() const;  // the open calibration window has posted its end
  void OpenUserManual();
  void PaintMinimized();

  DeviceServices& m_devices;
  CListCtrl m_listTouchScreens;
  CImageStatic m_picture;
  MainWindowButton m_btnExit, m_btnHelp, m_btnAbout, m_btnDiagnostics, m_btnSettings,
      m_btnMapping, m_btnCalibrate, m_btnRegionCalibrate;
  HICON m_hIcon = nullptr;
  HICON m_hSmallIcon = nullptr;
  CImageList m_imageList;
  dpi::ImageScale m_imageScale = dpi::ImageScale::k100;
  HBRUSH m_hBackgroundBrush = nullptr;

  std::atomic<int> m_nSelected{-1};
  CCalibrateDlg* m_pCalibrateDlg = nullptr;
  CDeviceMatchDlg* m_pMatchDlg = nullptr;
  MessageInfoDlg* m_pHintDlg = nullptr;  // region drawing's hint, while it shows
  POINT m_ptDown{}, m_ptUp{};              // region drawing: left button press and release
  CDiagnosis* m_pDiagnosis = nullptr;

  HANDLE m_hReplyEvent = nullptr;  // manual reset; set by the reply handlers, awaited by workers
  device_client::ReplyWaiter m_replyWaiter;  // which exchange's end sets m_hReplyEvent
  HANDLE m_hClosingEvent = nullptr;  // manual reset; set when the window goes, ends the workers
  HANDLE m_hWorker = nullptr;      // the one worker thread (start-up query or mapping save)
  std::deque<WorkerBody> m_pendingWorkers;  // worker requests waiting for it to end
  WorkerBody m_runningWorker = nullptr;
  // One touch screen the mapping save writes its number to. Filled on the user-interface
  // thread before the save starts, lent to the save worker while it runs, read back after.
  struct SaveRow {
    int slot;
    HANDLE device;
    std::int32_t touchScreenNo;  // the mapping row's
    bool answered;
  };
  std::vector<SaveRow> m_saveRows;
  HANDLE m_hSaveOpenDevice = nullptr;  // where the save's "o" requests go
  int m_nSavesWaiting = 0;             // saves asked for and not yet ended
  bool m_bSaveStarting = false;        // the save's 100 ms before it starts are running
  DWORD m_nSaveWaitedMs = 0;           // ... and how long it has waited for numbers since
  std::atomic<int> m_nNumbersAwaited{0};  // "v1" answers the start-up query did not wait for
  bool m_bEnableAfterSave = false;     // the mapping ended while its save was still to come
  std::atomic<int> m_nQueryIndex{0};
  std::atomic<bool> m_bListReady{false};
  HDEVNOTIFY m_hInterfaceNotify = nullptr;
};
