#include "device/device_client.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "base/core/user_messages.h"
#include "base/system_failure.h"
#include "device/core/protocol_state.h"
#include "device/core/report_protocol.h"
#include "device/reply_windows.h"
#include "device/touch_screen_list.h"

namespace {

constexpr DWORD kBeforeOpenMs = 200;      // before the "o" of each touch screen's identity
constexpr DWORD kBetweenRequestsMs = 20;  // between the end of one exchange and the next request

}  // namespace

DeviceClient::DeviceClient(TouchScreenList& list, ProtocolState& state, ReplyWindows& replies)
    : m_list(list), m_state(state), m_replies(replies) {}

HANDLE DeviceClient::ackEvent() const { return m_replies.ackEvent(); }

std::uint64_t DeviceClient::PostCommand(HWND replyWindow, int slot, std::uint8_t command1,
                                        std::uint8_t command2, std::uint8_t payload, int replyIndex) {
  if (!m_list.device(slot)) return 0;
  const std::uint8_t report[] = {protocol::kCommandReportId, command1, command2, payload};
  return PostReport(replyWindow, m_list.shared(slot), replyIndex < 0 ? slot : replyIndex, report, sizeof report);
}

std::uint64_t DeviceClient::PostReport(HWND replyWindow, std::shared_ptr<AttachedTouchScreen> touchScreen,
                                       int replyIndex, const std::uint8_t* report, std::size_t length,
                                       std::uint64_t exchangeId) {
  if (!touchScreen || touchScreen->gone()) return 0;
  auto request = std::make_unique<DeviceReport>();
  request->deviceIndex = replyIndex;
  request->window = replyWindow;
  request->windowTicket = m_replies.Open(replyWindow);
  request->touchScreenId = touchScreen->id();
  request->touchScreen = std::move(touchScreen);
  request->exchangeId = exchangeId ? exchangeId : ReserveExchangeId();
  std::memcpy(request->report, report, std::min<std::size_t>(length, kReportSize));
  const std::uint64_t id = request->exchangeId;
  return PostRequest(std::move(request)) ? id : 0;
}

bool DeviceClient::PostRequest(std::unique_ptr<DeviceReport> request) {
  const DWORD thread = m_nDeviceThreadId.load();
  if (thread == 0) return false;
  if (!PostThreadMessageW(thread, UM_DEVICE_REQUEST, 0, reinterpret_cast<LPARAM>(request.get()))) {
    RecordSystemFailure(L"PostThreadMessageW", L"UM_DEVICE_REQUEST");
    return false;  // `request` is released here
  }
  request.release();  // the device thread owns it now
  return true;
}

bool DeviceClient::StartTouchStream(HWND window, int slot) {
  return PostCommand(window, slot, protocol::kStreamOn >> 8, protocol::kStreamOn & 0xFF);
}

bool DeviceClient::StopTouchStream(int slot) {
  return PostCommand(nullptr, slot, protocol::kStreamOff >> 8, protocol::kStreamOff & 0xFF);
}

void DeviceClient::ForgetTouchStream() { m_state.m_bTouchStream.store(false); }
bool DeviceClient::IsTouchStreamOn() const { return m_state.m_bTouchStream.load(); }

void DeviceClient::HoldReply(std::unique_ptr<DeviceReport> reply) {
  m_state.m_pHeldReply.Hold(std::move(reply));
}
void DeviceClient::ReleaseHeldReply() { m_state.m_pHeldReply.Clear(); }
bool DeviceClient::HasHeldReply() const { return !m_state.m_pHeldReply.empty(); }

void DeviceClient::StopWorkers() { m_state.m_bStopWorkers.store(true); }
void DeviceClient::AllowWorkers() { m_state.m_bStopWorkers.store(false); }
bool DeviceClient::WorkersStopped() const { return m_state.m_bStopWorkers.load(); }

void DeviceClient::EnterAcknowledgeMode() { m_state.m_bAckMode.store(true); }

void DeviceClient::ResetProtocolState() { m_state.Reset(); }

void DeviceClient::EndExchanges(HWND window) { m_replies.End(window); }

bool DeviceClient::IsReplyMessage(UINT message) { return ReplyWindows::IsReplyMessage(message); }

std::unique_ptr<DeviceReport> DeviceClient::TakeReply(LPARAM lParam) {
  std::unique_ptr<DeviceReport> reply = m_replies.Take(lParam);
  if (!reply) return nullptr;
  // The slot its touch screen holds now; a touch screen that went takes its replies with it.
  const int slot = m_list.IndexOf(reply->touchScreenId);
  if (slot < 0) return nullptr;
  reply->deviceIndex = slot;
  return reply;
}

int DeviceClient::OpenRequestSlot(int selected) const {
  if (m_list.device(selected)) return selected;
  for (const auto [slot, device] : m_list.occupied()) return slot;
  return -1;
}

namespace device_client {

bool QueryWaits::Pause(DWORD ms) const {
  // A timed wait ends up to a millisecond early or late: the pause waits until a millisecond
  // before its end and yields for the rest, so that it lasts its time and barely more.
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  if (ms > 1) {
    if (!m_hCancel) {
      Sleep(ms - 1);
    } else if (WaitForSingleObject(m_hCancel, ms - 1) != WAIT_TIMEOUT) {
      return false;
    }
  }
  while (std::chrono::steady_clock::now() < end) {
    if (Cancelled()) return false;
    SwitchToThread();
  }
  return true;
}

bool QueryWaits::Cancelled() const {
  return m_hCancel && WaitForSingleObject(m_hCancel, 0) == WAIT_OBJECT_0;
}

void ReplyWaiter::Expect(std::uint64_t exchangeId) {
  m_nExpected.store(exchangeId);
  if (m_hEvent) ResetEvent(m_hEvent);
}

void ReplyWaiter::Offer(const DeviceReport& reply) {
  if (!protocol::IsEndOfReply(reply.report) || reply.exchangeId == 0) return;
  std::uint64_t expected = reply.exchangeId;
  // Once: a second end of the same exchange must not end the next wait.
  if (m_nExpected.compare_exchange_strong(expected, 0) && m_hEvent) SetEvent(m_hEvent);
}

void QueryWaits::Reset() const { ResetEvent(m_hEnded); }

void QueryWaits::Send(HWND replyWindow, const std::shared_ptr<AttachedTouchScreen>& touchScreen, int replyIndex,
                      std::uint8_t command1, std::uint8_t command2, std::uint8_t payload) const {
  const std::uint8_t report[] = {protocol::kCommandReportId, command1, command2, payload};
  const std::uint64_t exchange = m_client.ReserveExchangeId();
  if (m_pWaiter) {
    m_pWaiter->Expect(exchange);
  } else {
    Reset();
  }
  // A request that cannot be posted is released; the wait then runs into its time-out.
  m_client.PostReport(replyWindow, touchScreen, replyIndex, report, sizeof report, exchange);
}

bool QueryWaits::WaitForEnd(DWORD timeoutMs) const {
  if (!m_hCancel) return WaitForSingleObject(m_hEnded, timeoutMs) == WAIT_OBJECT_0;
  const HANDLE events[] = {m_hEnded, m_hCancel};
  return WaitForMultipleObjects(2, events, FALSE, timeoutMs) == WAIT_OBJECT_0;
}

bool QueryWaits::Exchange(HWND replyWindow, const std::shared_ptr<AttachedTouchScreen>& touchScreen,
                          int replyIndex, std::uint8_t command1, std::uint8_t command2,
                          std::uint8_t payload) const {
  Send(replyWindow, touchScreen, replyIndex, command1, command2, payload);
  return WaitForEnd();
}

bool AbandonExchange(const QueryWaits& waits) {
  waits.client().StopWorkers();
  return waits.Pause(kAfterTimeoutMs);
}

std::vector<HeldTouchScreen> HoldListed(const TouchScreenList& list) {
  std::vector<HeldTouchScreen> held;
  for (const auto [slot, device] : list.occupied()) held.push_back(HeldTouchScreen{slot, list.shared(slot)});
  return held;
}

std::shared_ptr<AttachedTouchScreen> OpenTarget(const std::vector<HeldTouchScreen>& held, int selected) {
  for (const HeldTouchScreen& one : held)
    if (one.slot == selected && !one.touchScreen->gone()) return one.touchScreen;
  for (const HeldTouchScreen& one : held)
    if (!one.touchScreen->gone()) return one.touchScreen;
  return nullptr;
}

namespace {

// "o" opens every exchange of the main window; with no touch screen attached nothing is sent
// and the wait runs into its time-out.
bool ExchangeOpen(const QueryWaits& waits, HWND replyWindow, const std::vector<HeldTouchScreen>& held,
                  const std::atomic<int>& selected) {
  const std::shared_ptr<AttachedTouchScreen> target = OpenTarget(held, selected.load());
  if (!target) {
    waits.Reset();
    return waits.WaitForEnd();
  }
  return waits.Exchange(replyWindow, target, 0, 'o', 0);
}

}  // namespace

QueryResult QueryIdentity(const QueryWaits& waits, HWND replyWindow, const HeldTouchScreen& target,
                          const std::vector<HeldTouchScreen>& held, const std::atomic<int>& selected,
                          std::uint64_t& numberExchange, DWORD pausedMs) {
  numberExchange = 0;
  // The event is reset after the pause: a late end of the previous touch screen's "v1"
  // exchange must not pass for the end of this one's "o".
  if (!waits.Pause(kBeforeOpenMs - std::min(pausedMs, kBeforeOpenMs))) return QueryResult::Cancelled;
  bool answered = ExchangeOpen(waits, replyWindow, held, selected);
  const char* const steps[] = {"vv", "vs", "v1"};
  for (const char* step : steps) {
    if (!answered) break;
    if (!waits.Pause(kBetweenRequestsMs)) return QueryResult::Cancelled;
    const auto command1 = static_cast<std::uint8_t>(step[0]);
    const auto command2 = static_cast<std::uint8_t>(step[1]);
    // The number is not awaited: the next touch screen's pause covers it.
    if (step[1] == '1') {
      const std::uint8_t report[] = {protocol::kCommandReportId, command1, command2, 0};
      numberExchange = waits.client().PostReport(replyWindow, target.touchScreen, target.slot, report, sizeof report);
      break;
    }
    answered = waits.Exchange(replyWindow, target.touchScreen, target.slot, command1, command2);
  }
  if (waits.Cancelled()) return QueryResult::Cancelled;
  if (answered) return QueryResult::Answered;
  return waits.Pause(kAfterTimeoutMs) ? QueryResult::TimedOut : QueryResult::Cancelled;
}

QueryResult WriteTouchScreenNumber(const QueryWaits& waits, HWND replyWindow,
                                   const std::shared_ptr<AttachedTouchScreen>& openDevice,
                                   const std::shared_ptr<AttachedTouchScreen>& device, int slot) {
  waits.client().AllowWorkers();
  bool answered = waits.Exchange(replyWindow, openDevice, 0, 'o', 0);
  if (answered) {
    answered = waits.Exchange(replyWindow, device, slot, 'V', '1', static_cast<std::uint8_t>(slot));
  }
  if (waits.Cancelled()) return QueryResult::Cancelled;
  if (answered) return QueryResult::Answered;
  return AbandonExchange(waits) ? QueryResult::TimedOut : QueryResult::Cancelled;
}

}  // namespace device_client
