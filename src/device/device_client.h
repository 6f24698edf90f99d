#pragma once
// DeviceClient: the one way the windows, the console commands and the update code talk to the
// touch screens of one set of device services (device_services.h). It builds and posts
// UM_DEVICE_REQUEST records to the device thread, switches the touch stream, and keeps the
// protocol's shared state (the stop and acknowledge flags and the held reply), so no code
// outside src/device touches that state.
//
// Every function may be called from any thread unless it says otherwise. Posting fails when
// the device thread does not run yet or its queue refuses the message: the request is then
// freed here and the failure recorded.
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "device/core/device_report.h"

struct ProtocolState;
class ReplyWindows;
class TouchScreenList;

class DeviceClient {
public:
  // The client of the touch screens of `list`, sharing `state` with the device thread, its
  // replies reaching windows through `replies`. All three outlive the client.
  DeviceClient(TouchScreenList& list, ProtocolState& state, ReplyWindows& replies);
  DeviceClient(const DeviceClient&) = delete;
  DeviceClient& operator=(const DeviceClient&) = delete;

  TouchScreenList& list() const { return m_list; }
  // Signalled in acknowledge mode when a command's end-of-reply arrives.
  HANDLE ackEvent() const;
  // The device thread every request goes to, published by start-up before the thread runs;
  // 0 until then, and requests fail.
  void SetDeviceThread(DWORD threadId) { m_nDeviceThreadId.store(threadId); }
  DWORD deviceThreadId() const { return m_nDeviceThreadId.load(); }

  // A command (report id 0x31, bytes 1 and 2 the command, byte 3 its payload) to the touch
  // screen in `slot` of the touch screen list (on the user-interface thread, which owns the
  // list). Its replies go to `replyWindow` (null: none). The exchange's id, or 0 when the slot is
  // empty or the request could not be posted.
  std::uint64_t PostCommand(HWND replyWindow, int slot, std::uint8_t command1, std::uint8_t command2,
                            std::uint8_t payload = 0, int replyIndex = -1);

  // A whole report as given (its report id included, at most 100 bytes, the rest zero) to
  // `touchScreen`, held until its exchange ends, with replies to `replyWindow`. From any thread:
  // the main window's workers and the update's firmware packets keep the touch screen they
  // began with. `exchangeId`: one reserved before (ReserveExchangeId), or 0 for a new one. The
  // exchange's id, or 0 when the request could not be posted (or the touch screen is gone).
  std::uint64_t PostReport(HWND replyWindow, std::shared_ptr<AttachedTouchScreen> touchScreen, int replyIndex,
                           const std::uint8_t* report, std::size_t length, std::uint64_t exchangeId = 0);
  // An exchange id, never used before, for a request about to be posted.
  std::uint64_t ReserveExchangeId() { return ++m_nExchangeIds; }

  // A request as built, to the device thread, which owns it once posted; on failure it is
  // released here.
  bool PostRequest(std::unique_ptr<DeviceReport> request);

  // Touch stream on (0xAA 0x50) to the touch screen in `slot`: its lift-off reports reach
  // `window` as UM_TOUCH_POINT while the stream is on. Off (0xAA 0x55) ends every reader of the
  // stream within one read slice.
  bool StartTouchStream(HWND window, int slot);
  bool StopTouchStream(int slot);
  // The touch screen that streamed is gone: the stream counts as off without a request to it.
  void ForgetTouchStream();
  bool IsTouchStreamOn() const;

  // The held reply: the data reply of the last "o" exchange, sent back ahead of the commands
  // with echo. Holding replaces (and frees) the one held before; Release empties the slot.
  void HoldReply(std::unique_ptr<DeviceReport> reply);
  void ReleaseHeldReply();
  bool HasHeldReply() const;

  // The stop flag: report workers end at their next check while it is set.
  void StopWorkers();
  void AllowWorkers();
  bool WorkersStopped() const;

  // Acknowledge mode (the console update): replies signal the acknowledge event and fill the
  // touch screen records instead of reaching windows. Never left once entered.
  void EnterAcknowledgeMode();

  // The protocol state as made: stream off, workers allowed, acknowledge mode left, no held
  // reply. For tests that run one exchange after another; the program never calls it.
  void ResetProtocolState();

  // Ends every exchange of `window`: its readers end within one read slice and the replies on
  // their way to it are released. A destroyed window's end by itself; a window whose exchanges
  // end before it goes (the update dialog at the end of its transfer, a window whose touch
  // screen went) calls it. A later request for the window lets it take replies again.
  void EndExchanges(HWND window);

  // ---- Replies, on the thread of the window they reach ----

  // The messages that carry a reply (UM_REPLY_*, UM_TOUCH_POINT).
  static bool IsReplyMessage(UINT message);
  // The reply a reply message carries, owned by the caller; its deviceIndex is the slot its
  // touch screen holds now. Null when its touch screen has gone, or the window's exchanges ended
  // since it was sent: such a reply is released, never handed on under another's index.
  std::unique_ptr<DeviceReport> TakeReply(LPARAM lParam);
  // A window's one entry for the replies: when `message` is a reply message, its reply is taken
  // here, once, and handed to `handler(message, reply)` unless it was released; true then.
  template <typename Handler>
  bool DispatchReply(UINT message, LPARAM lParam, Handler&& handler) {
    if (!IsReplyMessage(message)) return false;
    if (std::unique_ptr<DeviceReport> reply = TakeReply(lParam)) handler(message, std::move(reply));
    return true;
  }

  // The slot an "o" request goes to: `selected` when it holds a touch screen, else the first
  // listed one; -1 when none is listed.
  int OpenRequestSlot(int selected) const;

private:
  TouchScreenList& m_list;
  ProtocolState& m_state;
  ReplyWindows& m_replies;
  std::atomic<DWORD> m_nDeviceThreadId{0};
  std::atomic<std::uint64_t> m_nExchangeIds{0};
};

namespace device_client {

// ---- Query sequences: the exchanges that wait for each end of reply ----

inline constexpr DWORD kExchangeWaitMs = 3000;  // the longest wait for one exchange to end
inline constexpr DWORD kAfterTimeoutMs = 500;   // the pause after an exchange that timed out

// The end of the one exchange a window's worker waits for. The worker names the exchange (its
// id) before posting it; the window's reply handler offers every end-of-reply it receives, and
// only the awaited exchange's end signals the event. A late end of an exchange that was given
// up on, or of one nobody waits for, ends no wait.
class ReplyWaiter {
public:
  // `event`: the window's manual-reset reply event (its lifetime is the window's).
  void Attach(HANDLE event) { m_hEvent = event; }
  HANDLE event() const { return m_hEvent; }
  // Before the request is posted: the event is reset and the exchange named.
  void Expect(std::uint64_t exchangeId);
  // A reply reached the window (on its thread): signals when it ends the awaited exchange.
  void Offer(const DeviceReport& reply);

private:
  HANDLE m_hEvent = nullptr;
  std::atomic<std::uint64_t> m_nExpected{0};  // the awaited exchange's id; 0: none
};

// How a query sequence of `client` waits. `exchangeEnded` is the manual-reset event that the
// end of each exchange signals (a window's reply handler, or the acknowledge event of
// acknowledge mode);
// `cancel`, when given, is a manual-reset event that ends every wait and pause at once (the
// window that runs the query is closing). With a ReplyWaiter, each request names the exchange
// whose end is awaited.
class QueryWaits {
public:
  QueryWaits(DeviceClient& client, HANDLE exchangeEnded, HANDLE cancel = nullptr)
      : m_client(client), m_hEnded(exchangeEnded), m_hCancel(cancel) {}
  QueryWaits(DeviceClient& client, ReplyWaiter& waiter, HANDLE cancel)
      : m_client(client), m_hEnded(waiter.event()), m_hCancel(cancel), m_pWaiter(&waiter) {}

  DeviceClient& client() const { return m_client; }

  // Pauses `ms` and barely more; false (at once) when cancelled.
  bool Pause(DWORD ms) const;
  bool Cancelled() const;
  void Reset() const;  // the end event, before a request
  // Resets the end event and posts a command; the end is not awaited.
  void Send(HWND replyWindow, const std::shared_ptr<AttachedTouchScreen>& touchScreen, int replyIndex,
            std::uint8_t command1, std::uint8_t command2, std::uint8_t payload = 0) const;
  // Waits for the end of the exchange; false on a time-out or when cancelled.
  bool WaitForEnd(DWORD timeoutMs = kExchangeWaitMs) const;
  // Send, then WaitForEnd.
  bool Exchange(HWND replyWindow, const std::shared_ptr<AttachedTouchScreen>& touchScreen, int replyIndex,
                std::uint8_t command1, std::uint8_t command2, std::uint8_t payload = 0) const;

private:
  DeviceClient& m_client;
  HANDLE m_hEnded;
  HANDLE m_hCancel;
  ReplyWaiter* m_pWaiter = nullptr;
};

enum class QueryResult { Answered, TimedOut, Cancelled };

// An exchange timed out: the workers are stopped (the silent touch screen's reader with them)
// and 500 ms pass. False when cancelled during the pause.
bool AbandonExchange(const QueryWaits& waits);

// A touch screen a worker was given, with the slot it held then.
struct HeldTouchScreen {
  int slot = -1;
  std::shared_ptr<AttachedTouchScreen> touchScreen;
};

// The touch screens of the list's occupied slots, taken on the user-interface thread for a
// worker, which reads nothing of the list.
std::vector<HeldTouchScreen> HoldListed(const TouchScreenList& list);

// Where an "o" goes: the touch screen of the `selected` slot when it is among `held` and
// attached, else the first attached one; null when none is.
std::shared_ptr<AttachedTouchScreen> OpenTarget(const std::vector<HeldTouchScreen>& held, int selected);

// The identity of `target` (the main window's start-up query, one touch screen): after 200 ms,
// "o" to the touch screen selected at that moment (reply index 0); then "vv" and "vs", each
// 20 ms after the end of the one before and awaited at most 3000 ms; then "v1", not awaited:
// its id is returned in `numberExchange`. After a time-out 500 ms pass; the workers are not
// stopped. `pausedMs` of the first 200 ms have passed already (the caller's own start).
QueryResult QueryIdentity(const QueryWaits& waits, HWND replyWindow, const HeldTouchScreen& target,
                          const std::vector<HeldTouchScreen>& held, const std::atomic<int>& selected,
                          std::uint64_t& numberExchange, DWORD pausedMs = 0);

// Stores touch screen number `slot` in `device` (the mapping save, one touch screen): the
// workers are allowed, "o" goes to `openDevice` and is awaited at most 3000 ms; then "V1" with
// the slot number, its end awaited at most 3000 ms. A time-out abandons the exchange.
QueryResult WriteTouchScreenNumber(const QueryWaits& waits, HWND replyWindow,
                                   const std::shared_ptr<AttachedTouchScreen>& openDevice,
                                   const std::shared_ptr<AttachedTouchScreen>& device, int slot);

}  // namespace device_client
