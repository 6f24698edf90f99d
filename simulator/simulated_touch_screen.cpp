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
  HANDLE handle;
  SimulatedTouchScreen* screen;
};

struct SimulatedHidSystem::Preparsed {
  std::shared_ptr<SimulatedTouchScreen> screen;
};

// ---- SimulatedTouchScreen ----

SimulatedTouchScreen::SimulatedTouchScreen(SimulatedHidSystem& system, int serial,
                                           sim::TouchScreenConfig config)
    : system_(system), serial_(serial), model_(std::move(config)) {
  wchar_t text[160];
  const auto& c = model_.config();
  swprintf(text, 160, L"\\\\?\\hid#vid_%04x&pid_%04x#7&sim%d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
           c.vendorId, c.productId, serial);
  path_ = text;
  if (c.pdoName.empty()) {
    swprintf(text, 160, L"\\Device\\%08X", 0x71 + serial);
    pdoName_ = text;
  } else {
    pdoName_ = c.pdoName;
  }
}

void SimulatedTouchScreen::Configure(const std::function<void(sim::TouchScreenConfig&)>& change) {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  change(model_.config());
  system_.changed_.notify_all();
}

sim::TouchScreenConfig SimulatedTouchScreen::config() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return model_.config();
}

bool SimulatedTouchScreen::InjectTouch(std::uint16_t rawX, std::uint16_t rawY, std::uint8_t event) {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  if (!present_) return false;
  const std::uint64_t now = SimulatedHidSystem::NowUs();
  const bool queued = model_.InjectTouch(rawX, rawY, now, event);
  system_.DeliverLocked(now);
  // A touch may be due a little later (one report per interval): the delivery thread waits for it.
  system_.changed_.notify_all();
  return queued;
}

void SimulatedTouchScreen::InjectReport(const sim::Bytes& report, std::uint32_t delayMs) {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  if (!present_) return;
  const std::uint64_t now = SimulatedHidSystem::NowUs();
  model_.InjectReport(report, now + sim::Microseconds(delayMs));
  system_.DeliverLocked(now);
  system_.changed_.notify_all();
}

void SimulatedTouchScreen::Remove() {
  std::vector<std::pair<HWND, HANDLE>> windows;
  {
    std::lock_guard<std::mutex> lock(system_.mutex_);
    if (!present_) return;
    for (const auto& n : system_.notifications_) {
      if (n->screen == this) windows.emplace_back(n->window, n->handle);
    }
    system_.RemoveLocked(*this);
  }
  system_.Notify(windows);
}

bool SimulatedTouchScreen::present() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return present_;
}

std::vector<sim::Bytes> SimulatedTouchScreen::OutputReports() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return model_.outputReports();
}

std::vector<std::uint64_t> SimulatedTouchScreen::OutputReportTimes() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  std::vector<std::uint64_t> ms;
  for (std::uint64_t us : model_.outputTimes()) ms.push_back(us / 1000);
  return ms;
}

std::vector<sim::Bytes> SimulatedTouchScreen::FeatureReports() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return model_.featureReports();
}

void SimulatedTouchScreen::ClearRecords() {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  model_.ClearRecords();
}

bool SimulatedTouchScreen::WaitForOutputReports(std::size_t count, DWORD timeoutMs) const {
  std::unique_lock<std::mutex> lock(system_.mutex_);
  return system_.changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return model_.outputReports().size() >= count; });
}

bool SimulatedTouchScreen::streamOn() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return model_.streamOn();
}

std::uint8_t SimulatedTouchScreen::number() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return model_.config().number;
}

bool SimulatedTouchScreen::firmwareBegun() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return model_.firmwareBegun();
}

bool SimulatedTouchScreen::firmwareFinished() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return model_.firmwareFinished();
}

int SimulatedTouchScreen::packetCount() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return model_.packetCount();
}

int SimulatedTouchScreen::pendingReads() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return static_cast<int>(std::count_if(system_.pending_.begin(), system_.pending_.end(),
                                        [&](const auto& r) { return r.screen == this; }));
}

int SimulatedTouchScreen::openHandles() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return openHandles_;
}

std::uint64_t SimulatedTouchScreen::droppedReports() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return model_.droppedReports();
}

std::size_t SimulatedTouchScreen::queuedReports() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return model_.queued();
}

sim::Bytes SimulatedTouchScreen::OpenReply() const {
  std::lock_guard<std::mutex> lock(system_.mutex_);
  return model_.OpenReply();
}

// ---- SimulatedHidSystem ----

SimulatedHidSystem::SimulatedHidSystem() : delivery_([this] { DeliveryLoop(); }) {}

SimulatedHidSystem::~SimulatedHidSystem() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    for (auto& s : screens_) {
      if (s->present_) RemoveLocked(*s);
    }
  }
  changed_.notify_all();
  delivery_.join();
}

double SimulatedHidSystem::PreciseNowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void SimulatedHidSystem::RecordDeliveries(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  recordDeliveries_ = on;
  deliveries_.clear();
}

std::vector<SimulatedHidSystem::Delivery> SimulatedHidSystem::TakeDeliveries() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(deliveries_, {});
}

void SimulatedHidSystem::NoteDeliveryLocked(const sim::Bytes& report, std::uint64_t dueUs,
                                            double readStartedMs) {
  if (!recordDeliveries_) return;
  Delivery d;
  d.byte1 = report.size() > 1 ? report[1] : 0;
  d.byte2 = report.size() > 2 ? report[2] : 0;
  d.dueMs = static_cast<double>(dueUs) / 1000.0;
  d.readStartedMs = readStartedMs;
  d.completedMs = PreciseNowMs();
  deliveries_.push_back(d);
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
  std::lock_guard<std::mutex> lock(mutex_);
  if (std::uint32_t seed = 0; RoughFromEnvironment(&seed)) sim::MakeRough(config, seed, nextSerial_);
  std::shared_ptr<SimulatedTouchScreen> screen(
      new SimulatedTouchScreen(*this, nextSerial_++, std::move(config)));
  screens_.push_back(screen);
  return screen;
}

void SimulatedHidSystem::Reset() {
  std::vector<std::shared_ptr<SimulatedTouchScreen>> all = screens();
  for (auto& s : all) s->Remove();
  std::lock_guard<std::mutex> lock(mutex_);
  screens_.clear();
  beginFails_ = false;
  failAtIndex_ = -1;
}

std::vector<std::shared_ptr<SimulatedTouchScreen>> SimulatedHidSystem::screens() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return screens_;
}

std::shared_ptr<SimulatedTouchScreen> SimulatedHidSystem::FindByHandle(HANDLE device) const {
  std::lock_guard<std::mutex> lock(mutex_);
  Handle* h = FindHandleLocked(device);
  return h ? h->screen : nullptr;
}

void SimulatedHidSystem::SetEnumerationFaults(bool beginFails, int failAtIndex, DWORD error) {
  std::lock_guard<std::mutex> lock(mutex_);
  beginFails_ = beginFails;
  failAtIndex_ = failAtIndex;
  enumerationError_ = error;
}

int SimulatedHidSystem::registeredNotifications() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(notifications_.size());
}

SimulatedHidSystem::Handle* SimulatedHidSystem::FindHandleLocked(HANDLE device) const {
  for (const auto& h : handles_) {
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
  if (!h->screen->present_) {
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return nullptr;
  }
  return h->screen.get();
}

bool SimulatedHidSystem::BeginEnumeration() {
  std::lock_guard<std::mutex> lock(mutex_);
  enumeration_.clear();
  enumerated_ = -1;
  if (beginFails_) {
    SetLastError(ERROR_GEN_FAILURE);
    return false;
  }
  for (auto& s : screens_) {
    if (s->present_) enumeration_.push_back(s);
  }
  return true;
}

HidEnumStatus SimulatedHidSystem::EnumerateInterface(DWORD index, std::wstring& devicePath,
                                                     DWORD* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  *error = 0;
  if (failAtIndex_ >= 0 && index == static_cast<DWORD>(failAtIndex_)) {
    *error = enumerationError_;
    return HidEnumStatus::Failed;
  }
  if (index >= enumeration_.size()) {
    *error = ERROR_NO_MORE_ITEMS;
    return HidEnumStatus::NoMoreItems;
  }
  enumerated_ = static_cast<int>(index);
  devicePath = enumeration_[index]->path_;
  return HidEnumStatus::Found;
}

DWORD SimulatedHidSystem::ReadPdoName(std::wstring& pdoName) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (enumerated_ < 0 || enumerated_ >= static_cast<int>(enumeration_.size())) {
    return ERROR_INVALID_PARAMETER;
  }
  const SimulatedTouchScreen& s = *enumeration_[enumerated_];
  if (s.model_.config().pdoNameError) return s.model_.config().pdoNameError;
  pdoName = s.pdoName_;
  return 0;
}

void SimulatedHidSystem::EndEnumeration() {
  std::lock_guard<std::mutex> lock(mutex_);
  enumeration_.clear();
  enumerated_ = -1;
}

HANDLE SimulatedHidSystem::Open(const std::wstring& devicePath, bool overlapped) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& s : screens_) {
    if (s->path_ != devicePath || !s->present_) continue;
    const auto& c = s->model_.config();
    if (c.failOpen || (overlapped && c.failOverlappedOpen)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    auto handle = std::make_unique<Handle>();
    handle->screen = s;
    handle->overlapped = overlapped;
    HANDLE value = reinterpret_cast<HANDLE>(handle.get());
    handles_.push_back(std::move(handle));
    ++s->openHandles_;
    return value;
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return INVALID_HANDLE_VALUE;
}

BOOL SimulatedHidSystem::Close(HANDLE device) {
  std::lock_guard<std::mutex> lock(mutex_);
  Handle* h = FindHandleLocked(device);
  if (!h) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // Closing a handle cancels the I/O still pending on it.
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (it->handle == device) {
      CompleteLocked(*it, kStatusCancelled, 0);
      it = pending_.erase(it);
    } else {
      ++it;
    }
  }
  --h->screen->openHandles_;
  handles_.erase(std::find_if(handles_.begin(), handles_.end(),
                              [&](const auto& p) { return p.get() == h; }));
  return TRUE;
}

BOOLEAN SimulatedHidSystem::GetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* data) {
  std::lock_guard<std::mutex> lock(mutex_);
  SimulatedTouchScreen* s = UsableLocked(device);
  if (!s) return FALSE;
  if (s->model_.config().failPreparsedData) {
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
  }
  auto p = std::make_unique<Preparsed>();
  p->screen = FindHandleLocked(device)->screen;
  *data = reinterpret_cast<PHIDP_PREPARSED_DATA>(p.get());
  preparsed_.push_back(std::move(p));
  return TRUE;
}

BOOLEAN SimulatedHidSystem::FreePreparsedData(PHIDP_PREPARSED_DATA data) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find_if(preparsed_.begin(), preparsed_.end(), [&](const auto& p) {
    return reinterpret_cast<PHIDP_PREPARSED_DATA>(p.get()) == data;
  });
  if (it == preparsed_.end()) return FALSE;
  preparsed_.erase(it);
  return TRUE;
}

BOOLEAN SimulatedHidSystem::GetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes) {
  std::lock_guard<std::mutex> lock(mutex_);
  SimulatedTouchScreen* s = UsableLocked(device);
  if (!s) return FALSE;
  const auto& c = s->model_.config();
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
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find_if(preparsed_.begin(), preparsed_.end(), [&](const auto& p) {
    return reinterpret_cast<PHIDP_PREPARSED_DATA>(p.get()) == data;
  });
  if (it == preparsed_.end()) return kHidpStatusInvalidPreparsed;
  const auto& c = (*it)->screen->model_.config();
  *caps = HIDP_CAPS{};
  caps->Usage = 0x04;       // touch screen
  caps->UsagePage = 0x0D;   // digitizer
  caps->InputReportByteLength = c.inputReportLength;
  caps->OutputReportByteLength = c.outputReportLength;
  caps->FeatureReportByteLength = c.featureReportLength;
  return kHidpStatusSuccess;
}

BOOLEAN SimulatedHidSystem::SetNumInputBuffers(HANDLE device, ULONG count) {
  std::lock_guard<std::mutex> lock(mutex_);
  SimulatedTouchScreen* s = UsableLocked(device);
  if (!s) return FALSE;
  if (count < 2 || count > 512) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // One handle of each touch screen reads: its buffer is the touch screen's. An unbounded one
  // (the kind simulator) stays unbounded.
  if (s->model_.config().inputBuffer) s->model_.config().inputBuffer = count;
  return TRUE;
}

BOOLEAN SimulatedHidSystem::SetOutputReport(HANDLE device, void* report, ULONG length) {
  std::vector<std::pair<HWND, HANDLE>> windows;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    SimulatedTouchScreen* s = UsableLocked(device);
    if (!s) return FALSE;
    const std::uint64_t now = NowUs();
    if (!s->model_.ReceiveOutputReport(static_cast<const std::uint8_t*>(report), length, now)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (s->model_.removalDue()) {
      for (const auto& n : notifications_) {
        if (n->screen == s) windows.emplace_back(n->window, n->handle);
      }
      RemoveLocked(*s);
    } else {
      DeliverLocked(now);
    }
    changed_.notify_all();
  }
  Notify(windows);
  return TRUE;
}

BOOLEAN SimulatedHidSystem::SetFeature(HANDLE device, void* report, ULONG length) {
  std::lock_guard<std::mutex> lock(mutex_);
  SimulatedTouchScreen* s = UsableLocked(device);
  if (!s) return FALSE;
  if (!s->model_.ReceiveFeatureReport(static_cast<const std::uint8_t*>(report), length, NowUs())) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  changed_.notify_all();
  return TRUE;
}

BOOL SimulatedHidSystem::ReadFile(HANDLE device, void* buffer, DWORD length, OVERLAPPED* overlapped) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!overlapped || !overlapped->hEvent) {
    // Every reader of the program reads overlapped with an event of its own.
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SimulatedTouchScreen* s = UsableLocked(device);
  if (!s) return FALSE;
  if (length < s->model_.config().inputReportLength) {
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return FALSE;
  }
  // The system resets the event when the I/O starts.
  ResetEvent(overlapped->hEvent);
  const bool othersWaiting = std::any_of(pending_.begin(), pending_.end(),
                                         [&](const auto& r) { return r.screen == s; });
  const double startedMs = recordDeliveries_ ? PreciseNowMs() : 0;
  if (!othersWaiting) {
    std::uint64_t dueUs = 0;
    if (auto report = s->model_.TakeDue(NowUs(), &dueUs)) {
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
  pending_.push_back(PendingRead{device, s, overlapped, buffer, length, startedMs});
  changed_.notify_all();
  SetLastError(ERROR_IO_PENDING);
  return FALSE;
}

BOOL SimulatedHidSystem::GetOverlappedResult(HANDLE device, OVERLAPPED* overlapped,
                                             DWORD* transferred, BOOL wait) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (overlapped->Internal == static_cast<ULONG_PTR>(kStatusPending)) {
      if (!wait) {
        SetLastError(ERROR_IO_INCOMPLETE);
        return FALSE;
      }
      lock.unlock();
      WaitForSingleObject(overlapped->hEvent, INFINITE);
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const NTSTATUS status = static_cast<NTSTATUS>(overlapped->Internal);
  *transferred = static_cast<DWORD>(overlapped->InternalHigh);
  if (status != kStatusSuccess) {
    SetLastError(ErrorOf(status));
    return FALSE;
  }
  return TRUE;
}

BOOL SimulatedHidSystem::CancelIoEx(HANDLE device, OVERLAPPED* overlapped) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!FindHandleLocked(device)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  bool found = false;
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (it->handle == device && (!overlapped || it->overlapped == overlapped)) {
      CompleteLocked(*it, kStatusCancelled, 0);
      it = pending_.erase(it);
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
  std::lock_guard<std::mutex> lock(mutex_);
  SimulatedTouchScreen* s = UsableLocked(device);
  if (!s) return nullptr;
  if (!IsWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  auto n = std::make_unique<Notification>(Notification{window, device, s});
  HDEVNOTIFY value = reinterpret_cast<HDEVNOTIFY>(n.get());
  notifications_.push_back(std::move(n));
  return value;
}

BOOL SimulatedHidSystem::UnregisterNotification(HDEVNOTIFY notification) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find_if(notifications_.begin(), notifications_.end(), [&](const auto& n) {
    return reinterpret_cast<HDEVNOTIFY>(n.get()) == notification;
  });
  if (it == notifications_.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  notifications_.erase(it);
  return TRUE;
}

void SimulatedHidSystem::CompleteLocked(PendingRead& read, NTSTATUS status, DWORD transferred) {
  read.overlapped->InternalHigh = transferred;
  read.overlapped->Internal = static_cast<ULONG_PTR>(status);
  SetEvent(read.overlapped->hEvent);
}

void SimulatedHidSystem::DeliverLocked(std::uint64_t nowUs) {
  for (auto it = pending_.begin(); it != pending_.end();) {
    std::uint64_t dueUs = 0;
    auto report = it->screen->model_.TakeDue(nowUs, &dueUs);
    if (!report) {
      ++it;
      continue;
    }
    NoteDeliveryLocked(*report, dueUs, it->startedMs);
    const DWORD n = static_cast<DWORD>(std::min<std::size_t>(report->size(), it->length));
    std::memcpy(it->buffer, report->data(), n);
    CompleteLocked(*it, kStatusSuccess, n);
    it = pending_.erase(it);
  }
}

void SimulatedHidSystem::RemoveLocked(SimulatedTouchScreen& screen) {
  screen.present_ = false;
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (it->screen == &screen) {
      CompleteLocked(*it, kStatusNotConnected, 0);
      it = pending_.erase(it);
    } else {
      ++it;
    }
  }
  while (screen.model_.TakeDue(~std::uint64_t{0})) {
  }
  changed_.notify_all();
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
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    const std::uint64_t now = NowUs();
    DeliverLocked(now);
    // The next report that a pending read waits for.
    std::optional<std::uint64_t> wake;
    for (const PendingRead& read : pending_) {
      if (auto due = read.screen->model_.NextDue(); due && (!wake || *due < *wake)) wake = due;
    }
    if (!wake) {
      changed_.wait(lock);
    } else if (*wake > now + kYieldUs) {
      changed_.wait_for(lock, std::chrono::microseconds(*wake - now - kYieldUs));
    } else if (*wake > now) {
      lock.unlock();
      SwitchToThread();
      lock.lock();
    }
  }
}
