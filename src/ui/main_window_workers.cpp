#include "ui/main_window_workers.h"

#include <chrono>
#include <utility>

#include "base/core/english_texts.h"
#include "base/core/user_messages.h"
#include "base/language.h"
#include "base/system_failure.h"
#include "base/timer_resolution.h"
#include "config/driver_library.h"
#include "device/core/report_protocol.h"
#include "device/device_services.h"
#include "ui/core/main_window_rules.h"

namespace {

constexpr UINT kBeforeSaveMs = 100;

struct WorkerStart {
  MainWindowWorkers* workers;
  void (MainWindowWorkers::*body)();
};

}  // namespace

MainWindowWorkers::MainWindowWorkers(DeviceServices& devices, DriverLibrary& driver, Host& host,
                                     const std::atomic<int>& selected)
    : m_devices(devices), m_driver(driver), m_host(host), m_nSelected(selected) {
  m_hReplyEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  m_hClosingEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!m_hReplyEvent || !m_hClosingEvent) RecordSystemFailure(L"CreateEventW", L"main window events");
  m_replyWaiter.Attach(m_hReplyEvent.get());
}

MainWindowWorkers::~MainWindowWorkers() { Stop(); }

void MainWindowWorkers::StartStartupQuery() { Start(&MainWindowWorkers::StartupQuery); }

void MainWindowWorkers::AskForSave() {
  switch (m_nSave) {
    case SaveState::Queued:
    case SaveState::Starting:
      return;  // the save to come takes the rows when it starts
    case SaveState::Running:
      m_bSaveAgain = true;
      return;
    case SaveState::None:
    case SaveState::AwaitingAsk:
      m_nSave = SaveState::Queued;
      Start(&MainWindowWorkers::SaveMapping);
      return;
  }
}

bool MainWindowWorkers::HoldWindowForSave(bool mappingWillSave) {
  // A save still to come (or running) keeps the window disabled until it has ended: a mapping
  // or calibration started meanwhile would take its replies and its time-outs.
  if (m_nSave != SaveState::None) return true;
  if (!mappingWillSave) return false;
  m_nSave = SaveState::AwaitingAsk;
  return true;
}

void MainWindowWorkers::SaveNoLongerComing(bool mappingWillSave) {
  if (m_nSave != SaveState::AwaitingAsk || mappingWillSave) return;
  m_nSave = SaveState::None;
  m_host.SaveEnded(true);
}

void MainWindowWorkers::Start(Body body) {
  // One worker at a time: a request while one runs waits its turn in the queue, and starts
  // when the running one reports its end. The user-interface thread never waits for it.
  if (m_hWorker || m_nSave == SaveState::Starting) {
    m_pendingWorkers.push_back(body);
    return;
  }
  // The save begins 100 ms after it was asked for, and takes the list's rows then (a number
  // that the start-up query asked for last may still be on its way): the timer keeps this
  // thread free meanwhile.
  if (body == &MainWindowWorkers::SaveMapping && ::SetTimer(m_hWindow, kSaveTimerId, kBeforeSaveMs, nullptr)) {
    m_nSave = SaveState::Starting;
    return;
  }
  Launch(body);
}

bool MainWindowWorkers::NumbersOnTheirWay() {
  // An exchange ends by itself after its silence limit: an answer older than that never comes.
  const auto now = std::chrono::steady_clock::now();
  std::lock_guard<std::mutex> lock(m_numbersMutex);
  for (auto it = m_numbersAwaited.begin(); it != m_numbersAwaited.end();) {
    if (now - it->second.second >= std::chrono::milliseconds(device_client::kExchangeWaitMs)) {
      it = m_numbersAwaited.erase(it);
    } else {
      ++it;
    }
  }
  return !m_numbersAwaited.empty();
}

void MainWindowWorkers::TouchScreenGone(TouchScreenId id) {
  std::lock_guard<std::mutex> lock(m_numbersMutex);
  std::erase_if(m_numbersAwaited, [id](const auto& entry) { return entry.second.first == id; });
}

bool MainWindowWorkers::OnTimer(UINT_PTR id) {
  if (id != kSaveTimerId) return false;
  // The rows of the touch screens whose number the start-up query asked for last fill when
  // that answer arrives: the save waits for it, at most as long as its exchange may take.
  if (NumbersOnTheirWay()) return true;
  ::KillTimer(m_hWindow, kSaveTimerId);
  m_nSave = SaveState::Running;
  if (!Closing()) Launch(&MainWindowWorkers::SaveMapping);
  return true;
}

void MainWindowWorkers::Launch(Body body) {
  if (body == &MainWindowWorkers::SaveMapping) {
    m_nSave = SaveState::Running;
    PrepareSave();
  } else {
    m_queryScreens = device_client::HoldListed(m_devices.list());
  }
  auto* start = new WorkerStart{this, body};
  m_launchedAt = std::chrono::steady_clock::now();  // read by the thread, which starts after this
  DWORD id = 0;
  HANDLE thread = ::CreateThread(nullptr, 0, &MainWindowWorkers::WorkerThread, start, CREATE_SUSPENDED, &id);
  if (!thread) {
    RecordSystemFailure(L"CreateThread", L"main window worker");
    delete start;
    // A save that cannot run has ended: the window must not stay disabled waiting for it.
    if (body == &MainWindowWorkers::SaveMapping) OnSaveEnded();
    return;
  }
  ::SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
  m_hWorker.reset(thread);
  m_pRunningWorker = body;
  ::ResumeThread(thread);
}

DWORD WINAPI MainWindowWorkers::WorkerThread(void* parameter) {
  std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
  MainWindowWorkers* self = start->workers;
  (self->*start->body)();
  // The last use of the object: after this the window may start the next worker.
  ::PostMessageW(self->m_hWindow, kWorkerEnded, 0, 0);
  return 0;
}

bool MainWindowWorkers::OnWorkerMessage(UINT msg) {
  switch (msg) {
    case kRefreshRequest:
      m_host.RefreshList();
      return true;
    case kWorkerEnded:
      OnWorkerEnded();
      return true;
    case kSaveMappingFailed:
      ::MessageBoxW(m_hWindow, english::kSaveMatchFailed, LoadLangString(LangKey::AppTitle).c_str(), MB_OK);
      return true;
    default:
      return false;
  }
}

void MainWindowWorkers::OnWorkerEnded() {
  m_hWorker.reset();
  const Body ended = std::exchange(m_pRunningWorker, nullptr);
  if (ended == &MainWindowWorkers::SaveMapping) OnSaveEnded();
  if (std::exchange(m_bSaveAgain, false)) {
    m_nSave = SaveState::Queued;
    m_pendingWorkers.push_back(&MainWindowWorkers::SaveMapping);
  }
  if (m_pendingWorkers.empty() || Closing()) return;
  const Body next = m_pendingWorkers.front();
  m_pendingWorkers.pop_front();
  Start(next);
}

void MainWindowWorkers::EndWaits() {
  if (m_hClosingEvent) ::SetEvent(m_hClosingEvent.get());
  m_pendingWorkers.clear();
}

void MainWindowWorkers::Stop() {
  EndWaits();
  if (!m_hWorker) return;
  ::WaitForSingleObject(m_hWorker.get(), INFINITE);
  m_hWorker.reset();
}

bool MainWindowWorkers::Closing() const {
  return ::WaitForSingleObject(m_hClosingEvent.get(), 0) == WAIT_OBJECT_0;
}

void MainWindowWorkers::StartupQuery() {
  // The first pause counts from the launch: the thread's own start is part of it.
  DWORD pausedMs = static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - m_launchedAt)
                                          .count());
  // Its pauses and the echo delays are the query's pace.
  const FineTimerResolution fineTimer;
  DeviceClient& client = m_devices.client();
  const device_client::QueryWaits waits(client, m_replyWaiter, m_hClosingEvent.get());
  for (const device_client::HeldTouchScreen& held : m_queryScreens) {
    if (held.touchScreen->gone()) continue;
    std::uint64_t numberExchange = 0;
    const device_client::QueryResult result = device_client::QueryIdentity(
        waits, m_hWindow, held, m_queryScreens, m_nSelected, numberExchange, std::exchange(pausedMs, 0));
    // Its number was asked for last, without a wait.
    if (numberExchange) {
      std::lock_guard<std::mutex> lock(m_numbersMutex);
      m_numbersAwaited[numberExchange] = {held.touchScreen->id(), std::chrono::steady_clock::now()};
    }
    if (result == device_client::QueryResult::Cancelled) return;
  }
  client.AllowWorkers();
  ::PostMessageW(m_hWindow, kRefreshRequest, 0, 0);
}

void MainWindowWorkers::PrepareSave() {
  // The rows and handles are taken now, on this thread: the save's worker reads nothing of the
  // list, which a removal may change while it runs.
  TouchScreenList& list = m_devices.list();
  m_saveRows.clear();
  const std::vector<device_client::HeldTouchScreen> held = device_client::HoldListed(list);
  for (const device_client::HeldTouchScreen& one : held) {
    const MappingEntry row = list.mapping(one.slot);
    if (row.monitorNo < 0 || row.deviceHandle == 0) continue;
    m_saveRows.push_back(SaveRow{one, row.touchScreenNo, false});
  }
  m_pSaveOpenDevice = device_client::OpenTarget(held, m_nSelected);
}

void MainWindowWorkers::SaveMapping() {
  const FineTimerResolution fineTimer;
  const device_client::QueryWaits waits(m_devices.client(), m_replyWaiter, m_hClosingEvent.get());
  for (SaveRow& row : m_saveRows) {
    switch (device_client::WriteTouchScreenNumber(waits, m_hWindow, m_pSaveOpenDevice, row.held.touchScreen,
                                                  row.held.slot)) {
      case device_client::QueryResult::Cancelled:
        return;
      case device_client::QueryResult::TimedOut:
        ::PostMessageW(m_hWindow, kSaveMappingFailed, 0, 0);
        break;
      case device_client::QueryResult::Answered:
        row.answered = true;
        break;
    }
  }
  m_devices.client().AllowWorkers();
}

void MainWindowWorkers::OnSaveEnded() {
  // Each touch screen that took its "V1" now answers to its slot's number; one that did not
  // keeps the number of its mapping row.
  // The rows' touch screens, wherever they are now: one that went is not written.
  for (const SaveRow& row : m_saveRows) {
    if (row.held.touchScreen->gone()) continue;
    row.held.touchScreen->TouchScreenNo = row.answered ? row.held.slot : row.touchScreenNo;
  }
  m_saveRows.clear();
  m_pSaveOpenDevice.reset();
  // The mapping window has ended before it asked for the save: the window is usable again.
  m_nSave = SaveState::None;
  m_host.SaveEnded(true);
}

void MainWindowWorkers::OnReply(UINT msg, std::unique_ptr<DeviceReport> reply, bool listReady) {
  if (!reply) return;
  // Only the end of the exchange a worker waits for ends its wait; "V1" data ends nothing.
  if (protocol::IsEndOfReply(reply->report)) {
    if (msg == UM_REPLY_V1_READ) {
      std::lock_guard<std::mutex> lock(m_numbersMutex);
      m_numbersAwaited.erase(reply->exchangeId);
    }
    m_replyWaiter.Offer(*reply);
    return;
  }
  if (msg == UM_REPLY_V1_WRITE) return;
  if (msg == UM_REPLY_O) {
    // The device thread sends it back ahead of the commands with echo.
    m_devices.client().HoldReply(std::move(reply));
    return;
  }
  TouchScreenList& list = m_devices.list();
  const int index = reply->deviceIndex;
  TouchScreenDevice* device = list.device(index);
  if (!device) return;
  switch (msg) {
    case UM_REPLY_VV: {
      const auto version = main_window::HardwareVersionFromReply(reply->report);
      for (int part = 0; part < 3; ++part) device->HwVersion[part] = version[part];
      break;
    }
    case UM_REPLY_VS:
      device->SerialNo0 = main_window::kSerialFromReply.part0;
      device->SerialNo1 = main_window::kSerialFromReply.part1;
      device->SerialNo2 = main_window::kSerialFromReply.part2;
      break;
    case UM_REPLY_V1_READ: {
      // The reader decoded the number into the touch screen as it read the reply.
      const std::int32_t number = device->TouchScreenNo;
      DeviceParameters parameters{};
      parameters.TouchScreenNo = number;
      m_driver.GetDeviceParameters(parameters);
      MappingEntry& row = list.mapping(index);
      row.deviceHandle = reinterpret_cast<std::intptr_t>(list.handle(index));
      row.monitorNo = parameters.MonitorID;
      row.touchScreenNo = number;
      device->IsCalibrated = parameters.IsCalibrate;
      device->TouchScreenNo = number;
      device->MonitorNo = parameters.MonitorID;
      // A number that arrives after the list was filled shows at once.
      if (listReady) m_host.ShowTouchScreen(index);
      break;
    }
    default:
      break;
  }
}
