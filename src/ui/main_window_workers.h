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
// was handed to them before they started: the touch screens they work on, held, with the slots
// they had then. They never read the list.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "base/scoped_handle.h"
#include "device/device_client.h"

class DeviceServices;
class DriverLibrary;
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
  MainWindowWorkers(DeviceServices& devices, DriverLibrary& driver, Host& host, const std::atomic<int>& selected);
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
  // The mapping window will not ask for the save the window waits for after all (a touch screen
  // went before it closed): the wait ends, and SaveEnded enables the window.
  void SaveNoLongerComing(bool mappingWillSave);
  // A mapping's numbers are being saved, or are still to be: nothing new may talk to the touch
  // screens.
  bool Saving() const { return m_nSave != SaveState::None; }

  // The window's messages that belong to the workers; false for any other.
  bool OnWorkerMessage(UINT msg);
  bool OnTimer(UINT_PTR id);
  // A reply of the touch screens to the window's exchanges (UM_REPLY_O, _VV, _VS, _V1_READ,
  // _V1_WRITE). `listReady`: the list shows items, so a late number shows at once.
  void OnReply(UINT msg, std::unique_ptr<DeviceReport> reply, bool listReady);
  // A touch screen went: the numbers it was asked for will not come.
  void TouchScreenGone(TouchScreenId id);
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
  bool NumbersOnTheirWay();  // start-up "v1" answers that may still come

  // Worker bodies.
  void StartupQuery();
  void SaveMapping();

  DeviceServices& m_devices;
  DriverLibrary& m_driver;
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

  // Where the mapping save stands. The mapping window ends (UM_MAPPING_END) before it asks for
  // its save (UM_SAVE_MAPPING), and the window stays disabled from the one to the end of the
  // other.
  enum class SaveState {
    None,          // no save asked for or to come
    AwaitingAsk,   // the mapping ended and will ask for a save
    Queued,        // asked for; waits for the worker that runs
    Starting,      // its 100 ms, and the wait for numbers still on their way, run
    Running,       // its worker runs
  };
  SaveState m_nSave = SaveState::None;
  bool m_bSaveAgain = false;  // asked for again while running: the list may have changed since

  // One touch screen the mapping save writes its number to. Filled on the user-interface
  // thread before the save starts, lent to the save worker while it runs, read back after.
  struct SaveRow {
    device_client::HeldTouchScreen held;
    std::int32_t touchScreenNo;  // the mapping row's
    bool answered;
  };
  std::vector<SaveRow> m_saveRows;
  std::shared_ptr<AttachedTouchScreen> m_pSaveOpenDevice;  // where the save's "o" requests go
  std::vector<device_client::HeldTouchScreen> m_queryScreens;  // lent to the start-up query

  // The start-up query's "v1" exchanges whose end has not come, by exchange id, with when each
  // was sent; an exchange ends by itself within its silence limit, so an older one is forgotten.
  std::mutex m_numbersMutex;
  std::map<std::uint64_t, std::pair<TouchScreenId, std::chrono::steady_clock::time_point>> m_numbersAwaited;
};
