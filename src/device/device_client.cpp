#include "device/device_client.h"

#include <algorithm>
#include <cstring>

#include "device/core/protocol_state.h"
#include "device/core/report_protocol.h"
#include "base/window_destroyed_hooks.h"
#include "device/device_thread.h"
#include "device/reply_windows.h"
#include "device/touch_screen_list.h"

namespace device_client {

bool PostCommand(HWND replyWindow, int slot, std::uint8_t command1, std::uint8_t command2,
                 std::uint8_t payload, int replyIndex) {
  TouchScreenList& list = GetTouchScreenList();
  if (slot < 0 || slot >= kMaxTouchScreens || !list.device(slot)) return false;
  const std::uint8_t report[] = {protocol::kCommandReportId, command1, command2, payload};
  return PostReport(replyWindow, list.handle(slot), replyIndex < 0 ? slot : replyIndex, report,
                    sizeof report);
}

namespace {

constexpr DWORD kBeforeOpenMs = 200;      // before the "o" of each touch screen's identity
constexpr DWORD kBetweenRequestsMs = 20;  // between the end of one exchange and the next request

void EndExchangesOfDestroyedWindow(HWND window) { reply_windows::End(window); }

}  // namespace

bool PostReport(HWND replyWindow, void* deviceHandle, int replyIndex, const std::uint8_t* report,
                std::size_t length) {
  if (replyWindow) {
    // The window's replies are freed with it, whichever way it goes.
    AddWindowDestroyedHook(&EndExchangesOfDestroyedWindow);
    reply_windows::Open(replyWindow);
  }
  auto request = std::make_unique<DeviceReport>();
  request->deviceHandle = deviceHandle;
  request->deviceIndex = replyIndex;
  request->window = replyWindow;
  std::memcpy(request->report, report, std::min<std::size_t>(length, kReportSize));
  return PostDeviceRequest(std::move(request));
}

bool StartTouchStream(HWND window, int slot) {
  return PostCommand(window, slot, protocol::kStreamOn >> 8, protocol::kStreamOn & 0xFF);
}

bool StopTouchStream(int slot) {
  return PostCommand(nullptr, slot, protocol::kStreamOff >> 8, protocol::kStreamOff & 0xFF);
}

void ForgetTouchStream() { g_bTouchStream.store(false); }
bool IsTouchStreamOn() { return g_bTouchStream.load(); }

std::unique_ptr<DeviceReport> TakeReply(LPARAM lParam) {
  return std::unique_ptr<DeviceReport>(reinterpret_cast<DeviceReport*>(lParam));
}

void HoldReply(std::unique_ptr<DeviceReport> reply) { g_pHeldReply.Hold(std::move(reply)); }
void ReleaseHeldReply() { g_pHeldReply.Clear(); }
bool HasHeldReply() { return !g_pHeldReply.empty(); }

void StopWorkers() { g_bStopWorkers.store(true); }
void AllowWorkers() { g_bStopWorkers.store(false); }
bool WorkersStopped() { return g_bStopWorkers.load(); }

void EnterAcknowledgeMode() { g_bAckMode.store(true); }

void ResetProtocolState() {
  g_bTouchStream.store(false);
  g_bStopWorkers.store(false);
  g_bAckMode.store(false);
  g_pHeldReply.Clear();
}

void EndExchanges(HWND window) { reply_windows::End(window); }

bool QueryWaits::Pause(DWORD ms) const {
  if (!cancel_) {
    Sleep(ms);
    return true;
  }
  return WaitForSingleObject(cancel_, ms) == WAIT_TIMEOUT;
}

bool QueryWaits::Cancelled() const {
  return cancel_ && WaitForSingleObject(cancel_, 0) == WAIT_OBJECT_0;
}

void ReplyWaiter::Expect(UINT replyMessage, int replyIndex) {
  expected_.store(static_cast<std::uint64_t>(replyMessage) << 32 |
                  static_cast<std::uint32_t>(replyIndex + 1));
  if (event_) ResetEvent(event_);
}

void ReplyWaiter::Offer(UINT replyMessage, const DeviceReport& reply) {
  if (!protocol::IsEndOfReply(reply.report)) return;
  const std::uint64_t ended = static_cast<std::uint64_t>(replyMessage) << 32 |
                              static_cast<std::uint32_t>(reply.deviceIndex + 1);
  std::uint64_t expected = ended;
  // Once: a second end of the same exchange must not end the next wait.
  if (expected_.compare_exchange_strong(expected, 0) && event_) SetEvent(event_);
}

void QueryWaits::Reset() const { ResetEvent(ended_); }

void QueryWaits::Send(HWND replyWindow, void* deviceHandle, int replyIndex, std::uint8_t command1,
                      std::uint8_t command2, std::uint8_t payload) const {
  const std::uint8_t report[] = {protocol::kCommandReportId, command1, command2, payload};
  if (waiter_) {
    waiter_->Expect(protocol::LookupCommand(protocol::CommandCode(report)).replyMessage, replyIndex);
  } else {
    Reset();
  }
  // A request that cannot be posted is released; the wait then runs into its time-out.
  PostReport(replyWindow, deviceHandle, replyIndex, report, sizeof report);
}

bool QueryWaits::WaitForEnd(DWORD timeoutMs) const {
  if (!cancel_) return WaitForSingleObject(ended_, timeoutMs) == WAIT_OBJECT_0;
  const HANDLE events[] = {ended_, cancel_};
  return WaitForMultipleObjects(2, events, FALSE, timeoutMs) == WAIT_OBJECT_0;
}

bool QueryWaits::Exchange(HWND replyWindow, void* deviceHandle, int replyIndex,
                          std::uint8_t command1, std::uint8_t command2,
                          std::uint8_t payload) const {
  Send(replyWindow, deviceHandle, replyIndex, command1, command2, payload);
  return WaitForEnd();
}

bool AbandonExchange(const QueryWaits& waits) {
  StopWorkers();
  return waits.Pause(kAfterTimeoutMs);
}

int OpenRequestSlot(int selected) {
  TouchScreenList& list = GetTouchScreenList();
  if (selected >= 0 && selected < kMaxTouchScreens && list.device(selected)) return selected;
  for (int i = 0; i < static_cast<int>(list.count()) && i < kMaxTouchScreens; ++i)
    if (list.device(i)) return i;
  return -1;
}

namespace {

// "o" opens every exchange of the main window; with no touch screen listed nothing is sent
// and the wait runs into its time-out.
bool ExchangeOpen(const QueryWaits& waits, HWND replyWindow, const std::atomic<int>& selected) {
  const int target = OpenRequestSlot(selected.load());
  if (target < 0) {
    waits.Reset();
    return waits.WaitForEnd();
  }
  return waits.Exchange(replyWindow, GetTouchScreenList().handle(target), 0, 'o', 0);
}

}  // namespace

QueryResult QueryIdentity(const QueryWaits& waits, HWND replyWindow, int slot,
                          const std::atomic<int>& selected) {
  // The event is reset after the pause: a late end of the previous touch screen's "v1"
  // exchange must not pass for the end of this one's "o".
  if (!waits.Pause(kBeforeOpenMs)) return QueryResult::Cancelled;
  bool answered = ExchangeOpen(waits, replyWindow, selected);
  const char* const steps[] = {"vv", "vs", "v1"};
  for (const char* step : steps) {
    if (!answered) break;
    if (!waits.Pause(kBetweenRequestsMs)) return QueryResult::Cancelled;
    void* handle = GetTouchScreenList().handle(slot);
    const auto command1 = static_cast<std::uint8_t>(step[0]);
    const auto command2 = static_cast<std::uint8_t>(step[1]);
    // The number is not awaited: the next touch screen's pause covers it.
    if (step[1] == '1') {
      waits.Send(replyWindow, handle, slot, command1, command2);
      break;
    }
    answered = waits.Exchange(replyWindow, handle, slot, command1, command2);
  }
  if (waits.Cancelled()) return QueryResult::Cancelled;
  if (answered) return QueryResult::Answered;
  return waits.Pause(kAfterTimeoutMs) ? QueryResult::TimedOut : QueryResult::Cancelled;
}

QueryResult WriteTouchScreenNumber(const QueryWaits& waits, HWND replyWindow, void* openDevice,
                                   void* device, int slot) {
  AllowWorkers();
  bool answered = waits.Exchange(replyWindow, openDevice, 0, 'o', 0);
  if (answered) {
    answered = waits.Exchange(replyWindow, device, slot, 'V', '1', static_cast<std::uint8_t>(slot));
  }
  if (waits.Cancelled()) return QueryResult::Cancelled;
  if (answered) return QueryResult::Answered;
  return AbandonExchange(waits) ? QueryResult::TimedOut : QueryResult::Cancelled;
}

}  // namespace device_client
