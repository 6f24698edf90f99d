#include "simulator/simulated_touch_screen.h"

#include <dbt.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwchar>
#include <utility>

namespace {
// Completion codes kept in OVERLAPPED::Internal, as the system keeps them.
constexpr NTSTATUS kStatusSuccess = 0;
constexpr NTSTATUS kStatusPending = 0x00000103;
constexpr NTSTATUS kStatusCancelled = static_cast<NTSTATUS>(0xC0000120);
constexpr NTSTATUS kStatusNotConnected = static_cast<NTSTATUS>(0xC000009D);
constexpr NTSTATUS kHidpStatusSuccess = 0x00110000;
constexpr NTSTATUS kHidpStatusInvalidPreparsed = static_cast<NTSTATUS>(0xC0110001);

DWORD ErrorOf(NTSTATUS status) {
  switch (status) {
    case kStatusSuccess: return 0;
    case kStatusCancelled: return ERROR_OPERATION_ABORTED;
    case kStatusNotConnected: return ERROR_DEVICE_NOT_CONNECTED;
    default: return ERROR_GEN_FAILURE;
  }
}
}  // namespace

struct SimulatedHidSystem::Handle {
  std::shared_ptr<SimulatedTouchScreen> screen;
  bool overlapped = false;
};

struct SimulatedHidSystem::PendingRead {
  HANDLE handle;
  SimulatedTouchScreen* screen;
  OVERLAPPED* overlapped;
  void* buffer;
  DWORD length;
  double startedMs = 0;  // only while deliveries are recorded
};

struct SimulatedHidSystem::Notification {
  HWND window;
  HANDLE handle;                 // null for an interface notification
  SimulatedTouchScreen* screen;  // null for an interface notification
};

struct SimulatedHidSystem::Preparsed {
  std::shared_ptr<SimulatedTouchScreen> screen;
};

// ---- SimulatedTouchScreen ----

SimulatedTouchScreen::SimulatedTouchScreen(SimulatedHidSystem& system, int serial,
                                           sim::TouchScreenConfig config)
    : m_system(system), m_nSerial(serial), m_model(std::move(config)) {
  wchar_t text[160];
  const auto& c = m_model.config();
  swprintf(text, 160, L"\\\\?\\hid#vid_%04x&pid_%04x#7&sim%d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
           c.vendorId, c.productId, serial);
  m_strPath = text;
  if (c.pdoName.empty()) {
    swprintf(text, 160, L"\\Device\\%08X", 0x71 + serial);
    m_strPdoName = text;
  } else {
    m_strPdoName = c.pdoName;
  }
}

void SimulatedTouchScreen::Configure(const std::function<void(sim::TouchScreenConfig&)>& change) {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  change(m_model.config());
  m_system.m_changed.notify_all();
}

sim::TouchScreenConfig SimulatedTouchScreen::config() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return m_model.config();
}

bool SimulatedTouchScreen::InjectTouch(std::uint16_t rawX, std::uint16_t rawY, std::uint8_t event) {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  if (!m_bPresent) return false;
  const std::uint64_t now = SimulatedHidSystem::NowUs();
  const bool queued = m_model.InjectTouch(rawX, rawY, now, event);
  m_system.DeliverLocked(now);
  // A touch may be due a little later (one report per interval): the delivery thread waits for it.
  m_system.m_changed.notify_all();
  return queued;
}

void SimulatedTouchScreen::InjectReport(const sim::Bytes& report, std::uint32_t delayMs) {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  if (!m_bPresent) return;
  const std::uint64_t now = SimulatedHidSystem::NowUs();
  m_model.InjectReport(report, now + sim::Microseconds(delayMs));
  m_system.DeliverLocked(now);
  m_system.m_changed.notify_all();
}

void SimulatedTouchScreen::Remove() {
  std::vector<std::pair<HWND, HANDLE>> windows;
  {
    std::lock_guard<std::mutex> lock(m_system.m_mutex);
    if (!m_bPresent) return;
    for (const auto& n : m_system.m_notifications) {
      if (n->screen == this) windows.emplace_back(n->window, n->handle);
    }
    m_system.RemoveLocked(*this);
  }
  m_system.Notify(windows);
}

bool SimulatedTouchScreen::present() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return m_bPresent;
}

std::vector<sim::Bytes> SimulatedTouchScreen::OutputReports() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return m_model.outputReports();
}

std::vector<std::uint64_t> SimulatedTouchScreen::OutputReportTimes() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  std::vector<std::uint64_t> ms;
  for (std::uint64_t us : m_model.outputTimes()) ms.push_back(us / 1000);
  return ms;
}

std::vector<sim::Bytes> SimulatedTouchScreen::FeatureReports() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return m_model.featureReports();
}

void SimulatedTouchScreen::ClearRecords() {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  m_model.ClearRecords();
}

bool SimulatedTouchScreen::WaitForOutputReports(std::size_t count, DWORD timeoutMs) const {
  std::unique_lock<std::mutex> lock(m_system.m_mutex);
  return m_system.m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return m_model.outputReports().size() >= count; });
}

bool SimulatedTouchScreen::streamOn() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return m_model.streamOn();
}

std::uint8_t SimulatedTouchScreen::number() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return m_model.config().number;
}

bool SimulatedTouchScreen::firmwareBegun() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return m_model.firmwareBegun();
}

bool SimulatedTouchScreen::firmwareFinished() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return m_model.firmwareFinished();
}

int SimulatedTouchScreen::packetCount() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return m_model.packetCount();
}

int SimulatedTouchScreen::pendingReads() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return static_cast<int>(std::count_if(m_system.m_pending.begin(), m_system.m_pending.end(),
                                        [&](const auto& r) { return r.screen == this; }));
}

int SimulatedTouchScreen::openHandles() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return m_nOpenHandles;
}

std::uint64_t SimulatedTouchScreen::droppedReports() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return m_model.droppedReports();
}

std::size_t SimulatedTouchScreen::queuedReports() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return m_model.queued();
}

sim::Bytes SimulatedTouchScreen::OpenReply() const {
  std::lock_guard<std::mutex> lock(m_system.m_mutex);
  return m_model.OpenReply();
}

// ---- SimulatedHidSystem ----

SimulatedHidSystem::SimulatedHidSystem() : m_deliveryThread([this] { DeliveryLoop(); }) {}

SimulatedHidSystem::~SimulatedHidSystem() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bStopping = true;
    for (auto& s : m_screens) {
      if (s->m_bPresent) RemoveLocked(*s);
    }
  }
  m_changed.notify_all();
  m_deliveryThread.join();
}

double SimulatedHidSystem::PreciseNowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void SimulatedHidSystem::RecordDeliveries(bool on) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bRecordDeliveries = on;
  m_deliveries.clear();
}

std::vector<SimulatedHidSystem::Delivery> SimulatedHidSystem::TakeDeliveries() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return std::exchange(m_deliveries, {});
}

void SimulatedHidSystem::NoteDeliveryLocked(const sim::Bytes& report, std::uint64_t dueUs,
                                            double readStartedMs) {
  if (!m_bRecordDeliveries) return;
  Delivery d;
  d.byte1 = report.size() > 1 ? report[1] : 0;
  d.byte2 = report.size() > 2 ? report[2] : 0;
  d.dueMs = static_cast<double>(dueUs) / 1000.0;
  d.readStartedMs = readStartedMs;
  d.completedMs = PreciseNowMs();
  m_deliveries.push_back(d);
}

std::uint64_t SimulatedHidSystem::NowUs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

namespace {
// PELNIX_SIM_ROUGH=1 makes every touch screen of the process rough, drawn from PELNIX_SIM_SEED.
bool RoughFromEnvironment(std::uint32_t* seed) {
  wchar_t value[32] = {};
  if (!GetEnvironmentVariableW(L"PELNIX_SIM_ROUGH", value, 32) || wcscmp(value, L"1") != 0) return false;
  *seed = 1;
  if (GetEnvironmentVariableW(L"PELNIX_SIM_SEED", value, 32)) *seed = static_cast<std::uint32_t>(wcstoul(value, nullptr, 10));
  return true;
}
}  // namespace

std::shared_ptr<SimulatedTouchScreen> SimulatedHidSystem::Add(sim::TouchScreenConfig config) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (std::uint32_t seed = 0; RoughFromEnvironment(&seed)) sim::MakeRough(config, seed, m_nNextSerial);
  std::shared_ptr<SimulatedTouchScreen> screen(
      new SimulatedTouchScreen(*this, m_nNextSerial++, std::move(config)));
  m_screens.push_back(screen);
  return screen;
}

void SimulatedHidSystem::Reset() {
  std::vector<std::shared_ptr<SimulatedTouchScreen>> all = screens();
  for (auto& s : all) s->Remove();
  std::lock_guard<std::mutex> lock(m_mutex);
  m_screens.clear();
  m_bBeginFails = false;
  m_nFailAtIndex = -1;
}

std::vector<std::shared_ptr<SimulatedTouchScreen>> SimulatedHidSystem::screens() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_screens;
}

std::shared_ptr<SimulatedTouchScreen> SimulatedHidSystem::FindByHandle(HANDLE device) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  Handle* h = FindHandleLocked(device);
  return h ? h->screen : nullptr;
}

void SimulatedHidSystem::SetEnumerationFaults(bool beginFails, int failAtIndex, DWORD error) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bBeginFails = beginFails;
  m_nFailAtIndex = failAtIndex;
  m_nEnumerationError = error;
}

int SimulatedHidSystem::registeredNotifications() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return static_cast<int>(
      std::count_if(m_notifications.begin(), m_notifications.end(), [](const auto& n) { return n->screen != nullptr; }));
}

SimulatedHidSystem::Handle* SimulatedHidSystem::FindHandleLocked(HANDLE device) const {
  for (const auto& h : m_handles) {
    if (reinterpret_cast<HANDLE>(h.get()) == device) return h.get();
  }
  return nullptr;
}

SimulatedTouchScreen* SimulatedHidSystem::UsableLocked(HANDLE device) const {
  Handle* h = FindHandleLocked(device);
  if (!h) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (!h->screen->m_bPresent) {
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return nullptr;
  }
  return h->screen.get();
}

bool SimulatedHidSystem::BeginEnumeration() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_enumeration.clear();
  m_nEnumerated = -1;
  if (m_bBeginFails) {
    SetLastError(ERROR_GEN_FAILURE);
    return false;
  }
  for (auto& s : m_screens) {
    if (s->m_bPresent) m_enumeration.push_back(s);
  }
  return true;
}

HidEnumStatus SimulatedHidSystem::EnumerateInterface(DWORD index, std::wstring& devicePath,
                                                     DWORD* error) {
  std::lock_guard<std::mutex> lock(m_mutex);
  *error = 0;
  if (m_nFailAtIndex >= 0 && index == static_cast<DWORD>(m_nFailAtIndex)) {
    *error = m_nEnumerationError;
    return HidEnumStatus::Failed;
  }
  if (index >= m_enumeration.size()) {
    *error = ERROR_NO_MORE_ITEMS;
    return HidEnumStatus::NoMoreItems;
  }
  m_nEnumerated = static_cast<int>(index);
  devicePath = m_enumeration[index]->m_strPath;
  return HidEnumStatus::Found;
}

DWORD SimulatedHidSystem::ReadPdoName(std::wstring& pdoName) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_nEnumerated < 0 || m_nEnumerated >= static_cast<int>(m_enumeration.size())) {
    return ERROR_INVALID_PARAMETER;
  }
  const SimulatedTouchScreen& s = *m_enumeration[m_nEnumerated];
  if (s.m_model.config().pdoNameError) return s.m_model.config().pdoNameError;
  pdoName = s.m_strPdoName;
  return 0;
}

void SimulatedHidSystem::EndEnumeration() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_enumeration.clear();
  m_nEnumerated = -1;
}

HANDLE SimulatedHidSystem::Open(const std::wstring& devicePath, bool overlapped) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (auto& s : m_screens) {
    if (s->m_strPath != devicePath || !s->m_bPresent) continue;
    const auto& c = s->m_model.config();
    if (c.failOpen || (overlapped && c.failOverlappedOpen)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    auto handle = std::make_unique<Handle>();
    handle->screen = s;
    handle->overlapped = overlapped;
    HANDLE value = reinterpret_cast<HANDLE>(handle.get());
    m_handles.push_back(std::move(handle));
    ++s->m_nOpenHandles;
    return value;
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return INVALID_HANDLE_VALUE;
}

BOOL SimulatedHidSystem::Close(HANDLE device) {
  std::lock_guard<std::mutex> lock(m_mutex);
  Handle* h = FindHandleLocked(device);
  if (!h) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // Closing a handle cancels the I/O still pending on it.
  for (auto it = m_pending.begin(); it != m_pending.end();) {
    if (it->handle == device) {
      CompleteLocked(*it, kStatusCancelled, 0);
      it = m_pending.erase(it);
    } else {
      ++it;
    }
  }
  --h->screen->m_nOpenHandles;
  m_handles.erase(std::find_if(m_handles.begin(), m_handles.end(),
                              [&](const auto& p) { return p.get() == h; }));
  return TRUE;
}

BOOLEAN SimulatedHidSystem::GetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* data) {
  std::lock_guard<std::mutex> lock(m_mutex);
  SimulatedTouchScreen* s = UsableLocked(device);
  if (!s) return FALSE;
  if (s->m_model.config().failPreparsedData) {
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
  }
  auto p = std::make_unique<Preparsed>();
  p->screen = FindHandleLocked(device)->screen;
  *data = reinterpret_cast<PHIDP_PREPARSED_DATA>(p.get());
  m_preparsed.push_back(std::move(p));
  return TRUE;
}

BOOLEAN SimulatedHidSystem::FreePreparsedData(PHIDP_PREPARSED_DATA data) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto it = std::find_if(m_preparsed.begin(), m_preparsed.end(), [&](const auto& p) {
    return reinterpret_cast<PHIDP_PREPARSED_DATA>(p.get()) == data;
  });
  if (it == m_preparsed.end()) return FALSE;
  m_preparsed.erase(it);
  return TRUE;
}

BOOLEAN SimulatedHidSystem::GetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes) {
  std::lock_guard<std::mutex> lock(m_mutex);
  SimulatedTouchScreen* s = UsableLocked(device);
  if (!s) return FALSE;
  const auto& c = s->m_model.config();
  if (c.failAttributes) {
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
  }
  attributes->Size = sizeof(HIDD_ATTRIBUTES);
  attributes->VendorID = c.vendorId;
  attributes->ProductID = c.productId;
  attributes->VersionNumber = c.versionNumber;
  return TRUE;
}

NTSTATUS SimulatedHidSystem::GetCaps(PHIDP_PREPARSED_DATA data, HIDP_CAPS* caps) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto it = std::find_if(m_preparsed.begin(), m_preparsed.end(), [&](const auto& p) {
    return reinterpret_cast<PHIDP_PREPARSED_DATA>(p.get()) == data;
  });
  if (it == m_preparsed.end()) return kHidpStatusInvalidPreparsed;
  const auto& c = (*it)->screen->m_model.config();
  *caps = HIDP_CAPS{};
  caps->Usage = 0x04;       // touch screen
  caps->UsagePage = 0x0D;   // digitizer
  caps->InputReportByteLength = c.inputReportLength;
  caps->OutputReportByteLength = c.outputReportLength;
  caps->FeatureReportByteLength = c.featureReportLength;
  return kHidpStatusSuccess;
}

BOOLEAN SimulatedHidSystem::SetNumInputBuffers(HANDLE device, ULONG count) {
  std::lock_guard<std::mutex> lock(m_mutex);
  SimulatedTouchScreen* s = UsableLocked(device);
  if (!s) return FALSE;
  if (count < 2 || count > 512) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // One handle of each touch screen reads: its buffer is the touch screen's. An unbounded one
  // (the kind simulator) stays unbounded.
  if (s->m_model.config().inputBuffer) s->m_model.config().inputBuffer = count;
  return TRUE;
}

BOOLEAN SimulatedHidSystem::SetOutputReport(HANDLE device, void* report, ULONG length) {
  std::vector<std::pair<HWND, HANDLE>> windows;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    SimulatedTouchScreen* s = UsableLocked(device);
    if (!s) return FALSE;
    const std::uint64_t now = NowUs();
    if (!s->m_model.ReceiveOutputReport(static_cast<const std::uint8_t*>(report), length, now)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (s->m_model.removalDue()) {
      for (const auto& n : m_notifications) {
        if (n->screen == s) windows.emplace_back(n->window, n->handle);
      }
      RemoveLocked(*s);
    } else {
      DeliverLocked(now);
    }
    m_changed.notify_all();
  }
  Notify(windows);
  return TRUE;
}

BOOLEAN SimulatedHidSystem::SetFeature(HANDLE device, void* report, ULONG length) {
  std::lock_guard<std::mutex> lock(m_mutex);
  SimulatedTouchScreen* s = UsableLocked(device);
  if (!s) return FALSE;
  if (!s->m_model.ReceiveFeatureReport(static_cast<const std::uint8_t*>(report), length, NowUs())) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  m_changed.notify_all();
  return TRUE;
}

BOOL SimulatedHidSystem::ReadFile(HANDLE device, void* buffer, DWORD length, OVERLAPPED* overlapped) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!overlapped || !overlapped->hEvent) {
    // Every reader of the program reads overlapped with an event of its own.
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SimulatedTouchScreen* s = UsableLocked(device);
  if (!s) return FALSE;
  if (length < s->m_model.config().inputReportLength) {
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return FALSE;
  }
  // The system resets the event when the I/O starts.
  ResetEvent(overlapped->hEvent);
  const bool othersWaiting = std::any_of(m_pending.begin(), m_pending.end(),
                                         [&](const auto& r) { return r.screen == s; });
  const double startedMs = m_bRecordDeliveries ? PreciseNowMs() : 0;
  if (!othersWaiting) {
    std::uint64_t dueUs = 0;
    if (auto report = s->m_model.TakeDue(NowUs(), &dueUs)) {
      NoteDeliveryLocked(*report, dueUs, startedMs);
      PendingRead read{device, s, overlapped, buffer, length};
      const DWORD n = static_cast<DWORD>(std::min<std::size_t>(report->size(), length));
      std::memcpy(buffer, report->data(), n);
      CompleteLocked(read, kStatusSuccess, n);
      return TRUE;
    }
  }
  overlapped->Internal = kStatusPending;
  overlapped->InternalHigh = 0;
  m_pending.push_back(PendingRead{device, s, overlapped, buffer, length, startedMs});
  m_changed.notify_all();
  SetLastError(ERROR_IO_PENDING);
  return FALSE;
}

BOOL SimulatedHidSystem::GetOverlappedResult(HANDLE device, OVERLAPPED* overlapped,
                                             DWORD* transferred, BOOL wait) {
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (overlapped->Internal == static_cast<ULONG_PTR>(kStatusPending)) {
      if (!wait) {
        SetLastError(ERROR_IO_INCOMPLETE);
        return FALSE;
      }
      lock.unlock();
      WaitForSingleObject(overlapped->hEvent, INFINITE);
    }
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  const NTSTATUS status = static_cast<NTSTATUS>(overlapped->Internal);
  *transferred = static_cast<DWORD>(overlapped->InternalHigh);
  if (status != kStatusSuccess) {
    SetLastError(ErrorOf(status));
    return FALSE;
  }
  return TRUE;
}

BOOL SimulatedHidSystem::CancelIoEx(HANDLE device, OVERLAPPED* overlapped) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!FindHandleLocked(device)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  bool found = false;
  for (auto it = m_pending.begin(); it != m_pending.end();) {
    if (it->handle == device && (!overlapped || it->overlapped == overlapped)) {
      CompleteLocked(*it, kStatusCancelled, 0);
      it = m_pending.erase(it);
      found = true;
    } else {
      ++it;
    }
  }
  if (!found) {
    SetLastError(ERROR_NOT_FOUND);
    return FALSE;
  }
  return TRUE;
}

HDEVNOTIFY SimulatedHidSystem::RegisterHandleNotification(HWND window, HANDLE device) {
  std::lock_guard<std::mutex> lock(m_mutex);
  SimulatedTouchScreen* s = UsableLocked(device);
  if (!s) return nullptr;
  return AddNotificationLocked(Notification{window, device, s});
}

HDEVNOTIFY SimulatedHidSystem::RegisterInterfaceNotification(HWND window) {
  // Simulated touch screens never arrive: the registration only has to be released again.
  std::lock_guard<std::mutex> lock(m_mutex);
  return AddNotificationLocked(Notification{window, nullptr, nullptr});
}

HDEVNOTIFY SimulatedHidSystem::AddNotificationLocked(const Notification& notification) {
  if (!IsWindow(notification.window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  auto n = std::make_unique<Notification>(notification);
  HDEVNOTIFY value = reinterpret_cast<HDEVNOTIFY>(n.get());
  m_notifications.push_back(std::move(n));
  return value;
}

BOOL SimulatedHidSystem::UnregisterNotification(HDEVNOTIFY notification) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto it = std::find_if(m_notifications.begin(), m_notifications.end(), [&](const auto& n) {
    return reinterpret_cast<HDEVNOTIFY>(n.get()) == notification;
  });
  if (it == m_notifications.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  m_notifications.erase(it);
  return TRUE;
}

void SimulatedHidSystem::CompleteLocked(PendingRead& read, NTSTATUS status, DWORD transferred) {
  read.overlapped->InternalHigh = transferred;
  read.overlapped->Internal = static_cast<ULONG_PTR>(status);
  SetEvent(read.overlapped->hEvent);
}

void SimulatedHidSystem::DeliverLocked(std::uint64_t nowUs) {
  for (auto it = m_pending.begin(); it != m_pending.end();) {
    std::uint64_t dueUs = 0;
    auto report = it->screen->m_model.TakeDue(nowUs, &dueUs);
    if (!report) {
      ++it;
      continue;
    }
    NoteDeliveryLocked(*report, dueUs, it->startedMs);
    const DWORD n = static_cast<DWORD>(std::min<std::size_t>(report->size(), it->length));
    std::memcpy(it->buffer, report->data(), n);
    CompleteLocked(*it, kStatusSuccess, n);
    it = m_pending.erase(it);
  }
}

void SimulatedHidSystem::RemoveLocked(SimulatedTouchScreen& screen) {
  screen.m_bPresent = false;
  for (auto it = m_pending.begin(); it != m_pending.end();) {
    if (it->screen == &screen) {
      CompleteLocked(*it, kStatusNotConnected, 0);
      it = m_pending.erase(it);
    } else {
      ++it;
    }
  }
  while (screen.m_model.TakeDue(~std::uint64_t{0})) {
  }
  m_changed.notify_all();
}

void SimulatedHidSystem::Notify(const std::vector<std::pair<HWND, HANDLE>>& windows) {
  if (windows.empty()) return;
  // The system sends device events from a thread of its own; the sender here never blocks
  // the thread that unplugged the device.
  std::thread([windows] {
    for (const auto& [window, handle] : windows) {
      DEV_BROADCAST_HANDLE broadcast{};
      broadcast.dbch_size = sizeof(broadcast);
      broadcast.dbch_devicetype = DBT_DEVTYP_HANDLE;
      broadcast.dbch_handle = handle;
      DWORD_PTR result = 0;
      SendMessageTimeoutW(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
                          reinterpret_cast<LPARAM>(&broadcast), SMTO_NORMAL, 10000, &result);
    }
  }).detach();
}

void SimulatedHidSystem::DeliveryLoop() {
  // Timed waits are good to about a millisecond: the loop sleeps until this long before the
  // next report is due and yields the rest of the way, so that a report reaches its pending
  // read on time to a tenth of a millisecond.
  constexpr std::uint64_t kYieldUs = 2000;
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!m_bStopping) {
    const std::uint64_t now = NowUs();
    DeliverLocked(now);
    // The next report that a pending read waits for.
    std::optional<std::uint64_t> wake;
    for (const PendingRead& read : m_pending) {
      if (auto due = read.screen->m_model.NextDue(); due && (!wake || *due < *wake)) wake = due;
    }
    if (!wake) {
      m_changed.wait(lock);
    } else if (*wake > now + kYieldUs) {
      m_changed.wait_for(lock, std::chrono::microseconds(*wake - now - kYieldUs));
    } else if (*wake > now) {
      lock.unlock();
      SwitchToThread();
      lock.lock();
    }
  }
}
