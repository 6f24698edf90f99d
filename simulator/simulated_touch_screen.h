#pragma once
// The simulated touch screens behind the HID seam (device/hid_system.h), for tests and the
// demo build.
//
// SimulatedHidSystem is a HidSystem whose devices are SimulatedTouchScreens: they enumerate,
// open and answer like real touch screens, as the portable sim::TouchScreenModel decides.
// Overlapped reads complete the Win32 way: ReadFile resets the caller's manual-reset event,
// completes at once (TRUE, event set) when a report is waiting, or returns ERROR_IO_PENDING and
// completes later from the simulator's delivery thread; CancelIoEx completes a pending read
// with ERROR_OPERATION_ABORTED; GetOverlappedResult(..., TRUE) waits on the event. After
// Remove(), pending reads complete and every call fails with ERROR_DEVICE_NOT_CONNECTED, and
// each window registered for the device's handle notifications is sent WM_DEVICECHANGE
// DBT_DEVICEREMOVECOMPLETE (from a thread of its own, as the system does).
//
// Input reports are due in order; several pending reads on one device are served first come,
// first served. Everything here is thread-safe.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "device/hid_system.h"
#include "simulator/core/touch_screen_model.h"

class SimulatedHidSystem;

class SimulatedTouchScreen {
public:
  // Changes the configuration (answers, faults, acknowledgements) under the simulator's lock.
  void Configure(const std::function<void(sim::TouchScreenConfig&)>& change);
  sim::TouchScreenConfig config() const;

  // A touch while the touch stream is on; false (nothing queued) while it is off.
  bool InjectTouch(std::uint16_t rawX, std::uint16_t rawY, std::uint8_t event = 0x84);
  // Any input report, due after delayMs.
  void InjectReport(const sim::Bytes& report, std::uint32_t delayMs = 0);

  // Unplugs the touch screen now.
  void Remove();
  bool present() const;

  // Every output and feature report received, in order, exactly as written.
  std::vector<sim::Bytes> OutputReports() const;
  std::vector<sim::Bytes> FeatureReports() const;
  // When each output report arrived (ms of a steady clock), in the same order.
  std::vector<std::uint64_t> OutputReportTimes() const;
  void ClearRecords();
  // Waits until at least `count` output reports have arrived; false after timeoutMs.
  bool WaitForOutputReports(std::size_t count, DWORD timeoutMs) const;

  bool streamOn() const;
  std::uint8_t number() const;         // the stored touch screen number ("v1", "V1")
  bool firmwareBegun() const;          // "Rb" arrived
  bool firmwareFinished() const;       // "Rc" arrived
  int packetCount() const;             // 0x51 packets received
  int pendingReads() const;            // overlapped reads not yet completed
  int openHandles() const;
  std::size_t queuedReports() const;   // answered but not yet read
  std::uint64_t droppedReports() const;  // lost to a full input buffer

  const std::wstring& path() const { return m_strPath; }
  const std::wstring& pdoName() const { return m_strPdoName; }
  // The model's answers, for building expected bytes in tests.
  sim::Bytes OpenReply() const;

private:
  friend class SimulatedHidSystem;
  SimulatedTouchScreen(SimulatedHidSystem& system, int serial, sim::TouchScreenConfig config);

  SimulatedHidSystem& m_system;
  const int m_nSerial;
  std::wstring m_strPath;
  std::wstring m_strPdoName;
  sim::TouchScreenModel m_model;  // guarded by the system's lock
  bool m_bPresent = true;
  int m_nOpenHandles = 0;
};

class SimulatedHidSystem final : public HidSystem {
public:
  SimulatedHidSystem();
  ~SimulatedHidSystem() override;
  SimulatedHidSystem(const SimulatedHidSystem&) = delete;
  SimulatedHidSystem& operator=(const SimulatedHidSystem&) = delete;

  // Plugs in a touch screen (or, with another vendor id, any HID device).
  std::shared_ptr<SimulatedTouchScreen> Add(sim::TouchScreenConfig config = {});
  // Unplugs every device and forgets them; handles still open stay invalid until closed.
  void Reset();
  std::vector<std::shared_ptr<SimulatedTouchScreen>> screens() const;
  std::shared_ptr<SimulatedTouchScreen> FindByHandle(HANDLE device) const;

  // Enumeration faults: SetupDiGetClassDevsW fails; the interface at an index fails.
  void SetEnumerationFaults(bool beginFails, int failAtIndex = -1, DWORD error = ERROR_GEN_FAILURE);
  // Open handle notifications (RegisterHandleNotification minus UnregisterNotification); the
  // interface notifications are not counted.
  int registeredNotifications() const;

  // For the benchmarks that tell the simulator's share of an exchange from the program's:
  // each input report a read received, with when it was due, when the read began and when it
  // completed (ms of the steady clock, with fractions). Recorded only while switched on.
  struct Delivery {
    std::uint8_t byte1 = 0, byte2 = 0;
    double dueMs = 0, readStartedMs = 0, completedMs = 0;
  };
  void RecordDeliveries(bool on);
  std::vector<Delivery> TakeDeliveries();

  // HidSystem
  bool BeginEnumeration() override;
  HidEnumStatus EnumerateInterface(DWORD index, std::wstring& devicePath, DWORD* error) override;
  DWORD ReadPdoName(std::wstring& pdoName) override;
  void EndEnumeration() override;
  HANDLE Open(const std::wstring& devicePath, bool overlapped) override;
  BOOL Close(HANDLE device) override;
  BOOLEAN GetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* data) override;
  BOOLEAN FreePreparsedData(PHIDP_PREPARSED_DATA data) override;
  BOOLEAN GetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes) override;
  NTSTATUS GetCaps(PHIDP_PREPARSED_DATA data, HIDP_CAPS* caps) override;
  BOOLEAN SetNumInputBuffers(HANDLE device, ULONG count) override;
  BOOLEAN SetOutputReport(HANDLE device, void* report, ULONG length) override;
  BOOLEAN SetFeature(HANDLE device, void* report, ULONG length) override;
  BOOL ReadFile(HANDLE device, void* buffer, DWORD length, OVERLAPPED* overlapped) override;
  BOOL GetOverlappedResult(HANDLE device, OVERLAPPED* overlapped, DWORD* transferred,
                           BOOL wait) override;
  BOOL CancelIoEx(HANDLE device, OVERLAPPED* overlapped) override;
  HDEVNOTIFY RegisterHandleNotification(HWND window, HANDLE device) override;
  HDEVNOTIFY RegisterInterfaceNotification(HWND window) override;
  BOOL UnregisterNotification(HDEVNOTIFY notification) override;

private:
  friend class SimulatedTouchScreen;
  struct Handle;
  struct PendingRead;
  struct Notification;
  struct Preparsed;

  static std::uint64_t NowUs();  // the simulator's clock: microseconds of the steady clock
  static double PreciseNowMs();
  void NoteDeliveryLocked(const sim::Bytes& report, std::uint64_t dueUs, double readStartedMs);
  Handle* FindHandleLocked(HANDLE device) const;
  // The handle's device, present; otherwise sets the last error and returns null.
  SimulatedTouchScreen* UsableLocked(HANDLE device) const;
  // Keeps a registration for a live window; otherwise sets the last error and returns null.
  HDEVNOTIFY AddNotificationLocked(const Notification& notification);
  void DeliverLocked(std::uint64_t nowUs);
  void CompleteLocked(PendingRead& read, NTSTATUS status, DWORD transferred);
  void RemoveLocked(SimulatedTouchScreen& screen);
  void Notify(const std::vector<std::pair<HWND, HANDLE>>& windows);
  void DeliveryLoop();

  mutable std::mutex m_mutex;
  mutable std::condition_variable m_changed;
  std::vector<std::shared_ptr<SimulatedTouchScreen>> m_screens;
  std::vector<std::unique_ptr<Handle>> m_handles;
  std::vector<std::unique_ptr<Preparsed>> m_preparsed;
  std::vector<std::unique_ptr<Notification>> m_notifications;
  std::vector<PendingRead> m_pending;  // in the order the reads were started
  std::vector<std::shared_ptr<SimulatedTouchScreen>> m_enumeration;
  int m_nEnumerated = -1;
  int m_nNextSerial = 0;
  bool m_bBeginFails = false;
  int m_nFailAtIndex = -1;
  DWORD m_nEnumerationError = ERROR_GEN_FAILURE;
  bool m_bStopping = false;
  bool m_bRecordDeliveries = false;
  std::vector<Delivery> m_deliveries;
  std::thread m_deliveryThread;
};

// The simulated HID system of a test process (tests link pelnix_simulator), empty until a test
// adds touch screens.
SimulatedHidSystem& SimulatedHid();
