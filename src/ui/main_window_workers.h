#pragma once
// MainWindowWorkers: the main window's exchanges with the touch screens that wait for their
// answers: the start-up query of every touch screen's identity and the saving of a mapping's
// numbers. They run on one worker thread at a time; a request while one runs waits its turn.
//
// A worker never waits for the user-interface thread: it posts the requests, waits on the
// reply event (which the replies the window hands on set), and asks the window by a posted
// message to refresh its list. The closing event ends every wait and sleep at once. What the
// workers learn about a touch screen goes into its record in the list; the window is told what
// to show again through its Host.
//
// Everything here runs on the window's thread except the worker bodies, which read only what
// was handed to them before they started (the save's rows) and the list's handles.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "base/scoped_handle.h"
#include "device/device_client.h"

class DeviceServices;
struct DeviceReport;

class MainWindowWorkers {
public:
  // What the workers ask of the main window, on its thread.
  class Host {
  public:
    virtual void RefreshList() = 0;             // every item again, from the records
    virtual void ShowTouchScreen(int slot) = 0;  // one touch screen's item and the buttons
    virtual void SaveEnded(bool enableWindow) = 0;  // the numbers saved; the window usable again

  protected:
    ~Host() = default;
  };

  // Messages the workers post to the window, which hands them back here (OnWorkerMessage).
  static constexpr UINT kRefreshRequest = WM_APP + 1;     // the start-up query is done
  static constexpr UINT kSaveMappingFailed = WM_APP + 2;  // the mapping save's message box
  static constexpr UINT kWorkerEnded = WM_APP + 3;        // the worker is done; the next may start
  static constexpr UINT_PTR kSaveTimerId = 1;

  // `selected`: the window's selected slot, which the "o" requests follow.
  MainWindowWorkers(DeviceServices& devices, Host& host, const std::atomic<int>& selected);
  ~MainWindowWorkers();  // Stop
  MainWindowWorkers(const MainWindowWorkers&) = delete;
  MainWindowWorkers& operator=(const MainWindowWorkers&) = delete;

  // The window exists: the replies and the workers' messages go to it.
  void Attach(HWND window) { m_hWindow = window; }
  void StartStartupQuery();
  // UM_SAVE_MAPPING: the save starts 100 ms later, or after the worker that runs.
  void AskForSave();
  // UM_MAPPING_END: true when a save is still to come or runs (`mappingWillSave`: the mapping
  // window will still ask for one); the window stays disabled until SaveEnded.
  bool HoldWindowForSave(bool mappingWillSave);
  // A mapping's numbers are being saved: nothing new may talk to the touch screens.
  bool Saving() const { return m_nSavesWaiting > 0 || m_bEnableAfterSave; }

  // The window's messages that belong to the workers; false for any other.
  bool OnWorkerMessage(UINT msg);
  bool OnTimer(UINT_PTR id);
  // A reply of the touch screens to the window's exchanges (UM_REPLY_O, _VV, _VS, _V1_READ,
  // _V1_WRITE). `listReady`: the list shows items, so a late number shows at once.
  void OnReply(UINT msg, std::unique_ptr<DeviceReport> reply, bool listReady);
  // The window goes: the worker's every wait and pause ends at once, nothing queued starts.
  void EndWaits();
  // EndWaits, and the worker is waited for.
  void Stop();

private:
  using Body = void (MainWindowWorkers::*)();
  void Start(Body body);   // now, or queued behind the one that runs
  void Launch(Body body);  // its thread, now
  static DWORD WINAPI WorkerThread(void* start);
  void OnWorkerEnded();
  void PrepareSave();  // what the save needs from the list, taken before it starts
  void OnSaveEnded();  // the numbers the touch screens now hold
  bool Closing() const;

  // Worker bodies.
  void StartupQuery();
  void SaveMapping();

  DeviceServices& m_devices;
  Host& m_host;
  const std::atomic<int>& m_nSelected;
  HWND m_hWindow = nullptr;

  ScopedHandle m_hReplyEvent;  // manual reset; set by the replies, awaited by workers
  device_client::ReplyWaiter m_replyWaiter;  // which exchange's end sets m_hReplyEvent
  ScopedHandle m_hClosingEvent;  // manual reset; set when the window goes, ends the workers
  ScopedHandle m_hWorker;        // the one worker thread (start-up query or mapping save)
  std::chrono::steady_clock::time_point m_launchedAt;  // when the worker was launched
  std::deque<Body> m_pendingWorkers;  // worker requests waiting for it to end
  Body m_pRunningWorker = nullptr;

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
};
