// The main window's exchanges with the touch screens: the requests it posts to the device
// thread, the replies it receives, and the two workers that wait for them (the start-up query
// of every touch screen's identity and the saving of a mapping).
//
// A worker never waits for the user-interface thread: it posts the requests, waits on the
// reply event (which the reply handlers set), and asks the window by a posted message to
// refresh its list. The closing event ends every wait and sleep at once.
#include <memory>

#include "base/core/user_messages.h"
#include "base/timer_resolution.h"
#include "config/driver_library.h"
#include "device/core/protocol_state.h"
#include "device/core/report_protocol.h"
#include "device/device_thread.h"
#include "device/touch_screen_list.h"
#include "ui/core/main_window_rules.h"
#include "ui/main_window.h"

namespace {
constexpr DWORD kReplyTimeoutMs = 3000;
constexpr DWORD kBeforeOpenMs = 200;
constexpr DWORD kBetweenRequestsMs = 20;
constexpr DWORD kAfterTimeoutMs = 500;
constexpr DWORD kBeforeSaveMs = 100;
}  // namespace

bool CPelnixCplDlg::StartWorker(DWORD(WINAPI* body)(void*)) {
  // One worker at a time: a new one waits for the one before it to finish.
  StopWorkerHandle();
  DWORD id = 0;
  HANDLE thread = ::CreateThread(nullptr, 0, body, this, CREATE_SUSPENDED, &id);
  if (!thread) return false;
  ::SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
  m_hWorker = thread;
  ::ResumeThread(thread);
  return true;
}

void CPelnixCplDlg::StopWorkerHandle() {
  if (!m_hWorker) return;
  ::WaitForSingleObject(m_hWorker, INFINITE);
  ::CloseHandle(m_hWorker);
  m_hWorker = nullptr;
}

void CPelnixCplDlg::StopWorker() {
  if (m_hClosingEvent) ::SetEvent(m_hClosingEvent);
  StopWorkerHandle();
}

bool CPelnixCplDlg::WaitForReply(DWORD timeoutMs) {
  const HANDLE events[] = {m_hReplyEvent, m_hClosingEvent};
  return ::WaitForMultipleObjects(2, events, FALSE, timeoutMs) == WAIT_OBJECT_0;
}

bool CPelnixCplDlg::Pause(DWORD ms) { return ::WaitForSingleObject(m_hClosingEvent, ms) == WAIT_TIMEOUT; }

bool CPelnixCplDlg::Closing() const { return ::WaitForSingleObject(m_hClosingEvent, 0) == WAIT_OBJECT_0; }

void CPelnixCplDlg::PostRequest(int index, int deviceIndex, std::uint8_t command1, std::uint8_t command2,
                                std::uint8_t payload) {
  auto request = std::make_unique<DeviceReport>();
  request->deviceHandle = GetTouchScreenList().handle(index);
  request->deviceIndex = deviceIndex;
  request->window = m_hWnd;
  request->report[0] = protocol::kCommandReportId;
  request->report[1] = command1;
  request->report[2] = command2;
  request->report[3] = payload;
  // When the post fails the request is still ours to release.
  if (::PostThreadMessageW(g_nDeviceThreadId, UM_DEVICE_REQUEST, 0, reinterpret_cast<LPARAM>(request.get())))
    request.release();
}

void CPelnixCplDlg::PostOpenRequest() {
  // "o" opens every exchange and goes to the selected touch screen; with none selected, to
  // the first one listed.
  TouchScreenList& list = GetTouchScreenList();
  int target = m_nSelected;
  if (target < 0 || target >= kMaxTouchScreens || !list.device(target)) {
    target = -1;
    for (int i = 0; i < static_cast<int>(list.count()) && i < kMaxTouchScreens && target < 0; ++i)
      if (list.device(i)) target = i;
  }
  if (target < 0) return;
  PostRequest(target, 0, 'o', 0);
}

DWORD WINAPI CPelnixCplDlg::StartupQueryThread(void* self) {
  static_cast<CPelnixCplDlg*>(self)->StartupQuery();
  return 0;
}

DWORD WINAPI CPelnixCplDlg::SaveMappingThread(void* self) {
  static_cast<CPelnixCplDlg*>(self)->SaveMapping();
  return 0;
}

void CPelnixCplDlg::StartupQuery() {
  // Its pauses and the echo delays are the query's pace.
  const FineTimerResolution fineTimer;
  TouchScreenList& list = GetTouchScreenList();
  for (int i = 0; i < static_cast<int>(list.count()) && i < kMaxTouchScreens; ++i) {
    if (!list.device(i)) continue;
    // The event is reset after the pause: a late end of the previous touch screen's "v1"
    // exchange must not pass for the end of this one's "o".
    if (!Pause(kBeforeOpenMs)) return;
    ::ResetEvent(m_hReplyEvent);
    m_nQueryIndex = i;
    PostOpenRequest();
    bool answered = WaitForReply(kReplyTimeoutMs);
    const char* const steps[] = {"vv", "vs", "v1"};
    for (const char* step : steps) {
      if (!answered) break;
      if (!Pause(kBetweenRequestsMs)) return;
      ::ResetEvent(m_hReplyEvent);
      PostRequest(i, i, static_cast<std::uint8_t>(step[0]), static_cast<std::uint8_t>(step[1]));
      if (step[1] == '1') break;  // the number is not awaited: the next touch screen's pause covers it
      answered = WaitForReply(kReplyTimeoutMs);
    }
    if (Closing()) return;
    if (!answered && !Pause(kAfterTimeoutMs)) return;
  }
  g_bStopWorkers = false;
  ::PostMessageW(m_hWnd, kRefreshRequest, 0, 0);
}

void CPelnixCplDlg::SaveMapping() {
  const FineTimerResolution fineTimer;
  if (!Pause(kBeforeSaveMs)) return;
  TouchScreenList& list = GetTouchScreenList();
  for (int i = 0; i < static_cast<int>(list.count()) && i < kMaxTouchScreens; ++i) {
    const MappingEntry row = list.mapping(i);
    TouchScreenDevice* device = list.device(i);
    if (!device || row.monitorNo < 0 || row.deviceHandle == 0) continue;
    g_bStopWorkers = false;
    ::ResetEvent(m_hReplyEvent);
    PostOpenRequest();
    bool answered = WaitForReply(kReplyTimeoutMs);
    if (answered) {
      ::ResetEvent(m_hReplyEvent);
      PostRequest(i, i, 'V', '1', static_cast<std::uint8_t>(i));
      device->TouchScreenNo = row.touchScreenNo;
      answered = WaitForReply(kReplyTimeoutMs);
    }
    if (Closing()) return;
    if (!answered) {
      g_bStopWorkers = true;
      if (!Pause(kAfterTimeoutMs)) return;
      ::PostMessageW(m_hWnd, kSaveMappingFailed, 0, 0);
    }
  }
  g_bStopWorkers = false;
  ::PostMessageW(m_hWnd, kRefreshRequest, 0, 0);
}

void CPelnixCplDlg::OnReply(UINT msg, DeviceReport* received) {
  std::unique_ptr<DeviceReport> reply(received);
  if (!reply) return;
  if (protocol::IsEndOfReply(reply->report)) {
    ::SetEvent(m_hReplyEvent);
    return;
  }
  if (msg == UM_REPLY_V1_WRITE) {
    ::SetEvent(m_hReplyEvent);
    return;
  }
  if (msg == UM_REPLY_O) {
    // The device thread sends it back ahead of the commands with echo.
    g_pHeldReply.Hold(std::move(reply));
    return;
  }
  TouchScreenList& list = GetTouchScreenList();
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
