// The main window's exchanges with the touch screens: the requests it posts to the device
// thread, the replies it receives, and the two workers that wait for them (the start-up query
// of every touch screen's identity and the saving of a mapping).
//
// A worker never waits for the user-interface thread: it posts the requests, waits on the
// reply event (which the reply handlers set), and asks the window by a posted message to
// refresh its list. The closing event ends every wait and sleep at once.
#include <memory>
#include <utility>

#include "base/core/user_messages.h"
#include "base/system_failure.h"
#include "base/timer_resolution.h"
#include "config/driver_library.h"
#include "device/core/report_protocol.h"
#include "device/device_services.h"
#include "ui/core/main_window_rules.h"
#include "ui/main_window.h"

void CPelnixCplDlg::StartWorker(WorkerBody body) {
  // One worker at a time: a request while one runs waits its turn in the queue, and starts
  // when the running one reports its end. The user-interface thread never waits for it.
  if (m_hWorker || m_bSaveStarting) {
    m_pendingWorkers.push_back(body);
    return;
  }
  // The save begins 100 ms after it was asked for, and takes the list's rows then (a number
  // that the start-up query asked for last may still be on its way): the timer keeps this
  // thread free meanwhile.
  if (body == &CPelnixCplDlg::SaveMapping && SetTimer(kSaveTimerId, kBeforeSaveMs)) {
    m_bSaveStarting = true;
    return;
  }
  LaunchWorker(body);
}

bool CPelnixCplDlg::OnTimer(UINT_PTR id) {
  if (id != kSaveTimerId) return false;
  // The rows of the touch screens whose number the start-up query asked for last fill when
  // that answer arrives: the save waits for it as long as an exchange may take.
  if (m_nNumbersAwaited.load() > 0 && m_nSaveWaitedMs < device_client::kExchangeWaitMs) {
    m_nSaveWaitedMs += kBeforeSaveMs;
    return true;
  }
  KillTimer(kSaveTimerId);
  m_bSaveStarting = false;
  m_nSaveWaitedMs = 0;
  if (!Closing()) LaunchWorker(&CPelnixCplDlg::SaveMapping);
  return true;
}

void CPelnixCplDlg::LaunchWorker(WorkerBody body) {
  if (body == &CPelnixCplDlg::SaveMapping) PrepareSave();
  auto* start = new WorkerStart{this, body};
  DWORD id = 0;
  HANDLE thread = ::CreateThread(nullptr, 0, &CPelnixCplDlg::WorkerThread, start, CREATE_SUSPENDED, &id);
  if (!thread) {
    RecordSystemFailure(L"CreateThread", L"main window worker");
    delete start;
    // A save that cannot run has ended: the window must not stay disabled waiting for it.
    if (body == &CPelnixCplDlg::SaveMapping) OnSaveEnded();
    return;
  }
  ::SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
  m_hWorker = thread;
  m_runningWorker = body;
  ::ResumeThread(thread);
}

DWORD WINAPI CPelnixCplDlg::WorkerThread(void* parameter) {
  std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
  CPelnixCplDlg* self = start->window;
  (self->*start->body)();
  // The last use of the window object: after this the window may start the next worker.
  ::PostMessageW(self->m_hWnd, kWorkerEnded, 0, 0);
  return 0;
}

void CPelnixCplDlg::OnWorkerEnded() {
  if (m_hWorker) ::CloseHandle(m_hWorker);
  m_hWorker = nullptr;
  const WorkerBody ended = std::exchange(m_runningWorker, nullptr);
  if (ended == &CPelnixCplDlg::SaveMapping) OnSaveEnded();
  if (m_pendingWorkers.empty() || Closing()) return;
  const WorkerBody next = m_pendingWorkers.front();
  m_pendingWorkers.pop_front();
  StartWorker(next);
}

void CPelnixCplDlg::StopWorker() {
  // The closing event ends the worker's every wait and pause at once; nothing queued starts.
  if (m_hClosingEvent) ::SetEvent(m_hClosingEvent);
  m_pendingWorkers.clear();
  if (!m_hWorker) return;
  ::WaitForSingleObject(m_hWorker, INFINITE);
  ::CloseHandle(m_hWorker);
  m_hWorker = nullptr;
}

bool CPelnixCplDlg::Closing() const { return ::WaitForSingleObject(m_hClosingEvent, 0) == WAIT_OBJECT_0; }

void CPelnixCplDlg::StartupQuery() {
  // Its pauses and the echo delays are the query's pace.
  const FineTimerResolution fineTimer;
  const device_client::QueryWaits waits(m_devices.client(), m_replyWaiter, m_hClosingEvent);
  TouchScreenList& list = m_devices.list();
  for (int i = 0; i < static_cast<int>(list.count()) && i < kMaxTouchScreens; ++i) {
    if (!list.device(i)) continue;
    m_nQueryIndex = i;
    const device_client::QueryResult result = device_client::QueryIdentity(waits, m_hWnd, i, m_nSelected);
    if (result == device_client::QueryResult::Cancelled) return;
    // Answered, its number was asked for last, without a wait.
    if (result == device_client::QueryResult::Answered) ++m_nNumbersAwaited;
  }
  m_devices.client().AllowWorkers();
  ::PostMessageW(m_hWnd, kRefreshRequest, 0, 0);
}

void CPelnixCplDlg::PrepareSave() {
  // The rows and handles are taken now, on this thread: the save's worker reads nothing of the
  // list, which a removal may change while it runs.
  TouchScreenList& list = m_devices.list();
  m_saveRows.clear();
  for (int i = 0; i < static_cast<int>(list.count()) && i < kMaxTouchScreens; ++i) {
    const MappingEntry row = list.mapping(i);
    if (!list.device(i) || row.monitorNo < 0 || row.deviceHandle == 0) continue;
    m_saveRows.push_back(SaveRow{i, list.handle(i), row.touchScreenNo, false});
  }
  const int openSlot = m_devices.client().OpenRequestSlot(m_nSelected);
  m_hSaveOpenDevice = openSlot >= 0 ? list.handle(openSlot) : INVALID_HANDLE_VALUE;
}

void CPelnixCplDlg::SaveMapping() {
  const FineTimerResolution fineTimer;
  const device_client::QueryWaits waits(m_devices.client(), m_replyWaiter, m_hClosingEvent);
  for (SaveRow& row : m_saveRows) {
    switch (device_client::WriteTouchScreenNumber(waits, m_hWnd, m_hSaveOpenDevice, row.device, row.slot)) {
      case device_client::QueryResult::Cancelled:
        return;
      case device_client::QueryResult::TimedOut:
        ::PostMessageW(m_hWnd, kSaveMappingFailed, 0, 0);
        break;
      case device_client::QueryResult::Answered:
        row.answered = true;
        break;
    }
  }
  m_devices.client().AllowWorkers();
}

void CPelnixCplDlg::OnSaveEnded() {
  // Each touch screen that took its "V1" now answers to its slot's number; one that did not
  // keeps the number of its mapping row.
  TouchScreenList& list = m_devices.list();
  for (const SaveRow& row : m_saveRows) {
    const int index = list.FindByHandle(row.device);
    if (TouchScreenDevice* device = list.device(index)) device->TouchScreenNo = row.answered ? row.slot : row.touchScreenNo;
  }
  m_saveRows.clear();
  if (m_nSavesWaiting > 0) --m_nSavesWaiting;
  if (m_nSavesWaiting == 0 && std::exchange(m_bEnableAfterSave, false)) EnableWindow(TRUE);
  RefreshList();
}

void CPelnixCplDlg::OnReply(UINT msg, std::unique_ptr<DeviceReport> reply) {
  if (!reply) return;
  // Only the end of the exchange a worker waits for ends its wait; "V1" data ends nothing.
  if (protocol::IsEndOfReply(reply->report)) {
    if (msg == UM_REPLY_V1_READ) --m_nNumbersAwaited;
    m_replyWaiter.Offer(msg, *reply);
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
  TouchScreenDevice* device = index >= 0 && index < kMaxTouchScreens ? list.device(index) : nullptr;
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
      const std::int32_t number = main_window::TouchScreenNoFromReply(reply->report);
      DeviceParameters parameters{};
      parameters.TouchScreenNo = number;
      GetDriverLibrary().GetDeviceParameters(parameters);
      MappingEntry& row = list.mapping(index);
      row.deviceHandle = reinterpret_cast<std::intptr_t>(list.handle(index));
      row.monitorNo = parameters.MonitorID;
      row.touchScreenNo = number;
      device->IsCalibrated = parameters.IsCalibrate;
      device->TouchScreenNo = number;
      device->MonitorNo = parameters.MonitorID;
      // A number that arrives after the list was filled shows at once.
      if (m_bListReady) {
        UpdateListItem(index);
        if (index == m_nSelected) UpdateButtons();
      }
      break;
    }
    default:
      break;
  }
}
