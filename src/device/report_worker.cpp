#include "device/report_worker.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "base/system_failure.h"
#include "device/core/protocol_state.h"
#include "device/core/report_protocol.h"
#include "device/core/exchange_timing.h"
#include "device/reply_windows.h"
#include "device/worker_pool.h"

namespace {

std::atomic<int> g_nExchanges{0};
std::atomic<std::uint64_t> g_nStrays{0};
std::atomic<std::uint64_t> g_nUnansweredEchoes{0};

// Milliseconds of the performance counter: the 80 ms between an echo and its command are
// measured finer than the tick count goes.
double NowMs() {
  static const double perMs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / perMs;
}

struct Exchange {
  DeviceContext context;
  std::unique_ptr<DeviceReport> echo;     // sent ahead of the request, when given
  std::unique_ptr<DeviceReport> request;
  bool resume = false;  // a touch stream's reading after a request that interrupted it
};

// The queue of one touch screen. Guarded by g_lanesMutex.
struct Lane {
  std::deque<Exchange> queue;
  bool running = false;
  // Manual reset: set while an exchange waits behind the running one, so that a touch stream
  // (which reads for as long as it is on) gives way.
  HANDLE interrupt = nullptr;
  // The last exchange did not end as the protocol ends it (a time-out, a stop, an unanswered
  // echo, a stream that gave way): answers may still come, and the next exchange reads them
  // off before it writes. A new lane has not been read at all.
  bool unsettled = true;
};

std::mutex g_lanesMutex;
// Never destroyed: pooled threads may still work a queue while the process ends. A lane lives
// as long as the process, keyed by the device handle; a handle value used again after a close
// finds the lane idle.
std::map<HANDLE, Lane>& Lanes() {
  static auto* lanes = new std::map<HANDLE, Lane>;
  return *lanes;
}

// What a failure record names an exchange by: its command's two bytes.
std::wstring ReportName(std::uint16_t code) {
  wchar_t name[32];
  std::swprintf(name, 32, L"command %02X %02X", code >> 8, code & 0xFF);
  return name;
}

enum class ReadOutcome { Completed, Ended, TimedOut, Interrupted };

// What ends the wait for one reply besides the reply itself.
struct ReadWatch {
  const ProtocolState* protocol = nullptr;
  std::uint16_t code = 0;
  HWND window = nullptr;
  std::uint64_t ticket = 0;
  HANDLE interrupt = nullptr;  // the touch stream's: an exchange waits behind it
  double deadlineMs = 0;       // 0: none
};

// One overlapped read of a reply into `reply`, waited for in 60 ms slices. On any outcome but
// Completed the read is no longer pending: it failed, or it was cancelled and its completion
// waited for. A read that completed just as it was given up counts as completed.
ReadOutcome ReadReply(HidSystem& hid, HANDLE device, HANDLE event, DeviceReport& reply,
                      const ReadWatch& watch) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = event;
  ResetEvent(event);
  DWORD transferred = 0;
  if (hid.ReadFile(device, reply.report, kReportSize, &overlapped)) return ReadOutcome::Completed;
  if (GetLastError() != ERROR_IO_PENDING) {
    RecordSystemFailure(L"ReadFile", ReportName(watch.code));
    return ReadOutcome::Ended;
  }

  const auto abandon = [&](ReadOutcome outcome) {
    hid.CancelIoEx(device, &overlapped);
    if (hid.GetOverlappedResult(device, &overlapped, &transferred, TRUE)) return ReadOutcome::Completed;
    return outcome;
  };
  const HANDLE events[] = {event, watch.interrupt};
  const DWORD eventCount = watch.interrupt ? 2 : 1;
  for (;;) {
    if (watch.code == protocol::kStreamOn && !watch.protocol->m_bTouchStream.load())
      return abandon(ReadOutcome::Ended);
    DWORD slice = kReadSliceMs;
    if (watch.deadlineMs > 0) {
      const double remaining = watch.deadlineMs - NowMs();
      if (remaining <= 0) return abandon(ReadOutcome::TimedOut);
      // Woken at or before the deadline; the last fraction of a millisecond is the caller's.
      slice = std::min<DWORD>(slice, static_cast<DWORD>(remaining));
      if (slice == 0) return abandon(ReadOutcome::TimedOut);
    }
    const DWORD wait = WaitForMultipleObjects(eventCount, events, FALSE, slice);
    if (wait == WAIT_OBJECT_0) break;
    if (wait == WAIT_OBJECT_0 + 1) return abandon(ReadOutcome::Interrupted);
    if (wait != WAIT_TIMEOUT) return abandon(ReadOutcome::Ended);
    if (watch.protocol->m_bStopWorkers.load()) return abandon(ReadOutcome::Ended);
    if (!reply_windows::Live(watch.window, watch.ticket)) return abandon(ReadOutcome::Ended);
  }
  // Completed: a read that ended with an error (a removed device, a cancellation by someone
  // else) ends the exchange.
  if (!hid.GetOverlappedResult(device, &overlapped, &transferred, FALSE)) {
    RecordSystemFailure(L"GetOverlappedResult", ReportName(watch.code));
    return ReadOutcome::Ended;
  }
  return ReadOutcome::Completed;
}

// Reads off what the touch screen sent before this exchange began: answers to exchanges that
// gave up on them. Each is released and counted.
void ReleaseStrayReplies(HidSystem& hid, HANDLE device, HANDLE event) {
  // More than the system keeps for one handle; a device that floods is left to the reads.
  constexpr int kMostStrays = 512;
  for (int n = 0; n < kMostStrays; ++n) {
    DeviceReport scratch;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    ResetEvent(event);
    DWORD transferred = 0;
    if (!hid.ReadFile(device, scratch.report, kReportSize, &overlapped)) {
      if (GetLastError() != ERROR_IO_PENDING) return;
      // Nothing is waiting: the read is taken back. One that completed first is a stray too.
      hid.CancelIoEx(device, &overlapped);
      if (!hid.GetOverlappedResult(device, &overlapped, &transferred, TRUE)) return;
    }
    g_nStrays.fetch_add(1);
  }
}

// Sends the echo and reads its replies until its end-of-reply, then releases whatever else
// arrives until the command may go (80 ms after the echo). False when the echo could not be
// written, got no end within its limit, or the exchange was stopped: the command is not sent.
bool SendEcho(const DeviceContext& context, HANDLE device, HANDLE event, DeviceReport& echo) {
  HidSystem& hid = *context.hid;
  const std::uint16_t code = protocol::CommandCode(echo.report);
  if (!hid.SetOutputReport(device, echo.report, kReportSize)) {
    RecordSystemFailure(L"HidD_SetOutputReport", L"echo of the held reply");
    return false;
  }
  NoteExchangeStep(ExchangeStep::ReportWritten, code, true);
  const double sent = NowMs();
  bool answered = false;
  for (;;) {
    ReadWatch watch;
    watch.protocol = context.protocol;
    watch.code = code;
    watch.deadlineMs = sent + (answered ? kEchoDelayMs : kEchoLimitMs);
    if (NowMs() >= watch.deadlineMs) break;
    DeviceReport reply;
    const ReadOutcome outcome = ReadReply(hid, device, event, reply, watch);
    if (outcome == ReadOutcome::TimedOut) break;
    if (outcome != ReadOutcome::Completed) return false;
    NoteExchangeStep(ExchangeStep::ReadCompleted, code, true);
    if (answered) {
      g_nStrays.fetch_add(1);  // a second answer to the echo
    } else {
      answered = protocol::IsEndOfReply(reply.report);
    }
  }
  if (!answered) {
    g_nUnansweredEchoes.fetch_add(1);
    return false;
  }
  // Timed waits end up to a millisecond early: the command goes no sooner than 80 ms after.
  while (NowMs() < sent + kEchoDelayMs) SwitchToThread();
  return true;
}

TouchScreenDevice* RecordAt(const DeviceContext& context, int index) {
  return context.list ? context.list->device(index) : nullptr;
}

// A touch stream was interrupted by a request queued behind it. False when the stream is to
// end: it is off, or a stream request waits. Otherwise its reading resumes after the requests.
bool ResumeStreamAfter(HANDLE device, Exchange& exchange) {
  std::lock_guard<std::mutex> lock(g_lanesMutex);
  Lane& lane = Lanes()[device];
  if (!exchange.context.protocol->m_bTouchStream.load()) return false;
  for (const Exchange& waiting : lane.queue) {
    const std::uint16_t code = protocol::CommandCode(waiting.request->report);
    if (code == protocol::kStreamOn || code == protocol::kStreamOff) return false;
  }
  g_nExchanges.fetch_add(1);
  lane.queue.push_back(Exchange{exchange.context, nullptr, std::move(exchange.request), true});
  return true;
}

// One exchange, on the lane's thread. True when it ended as the protocol ends it (its own
// end-of-reply, its one acknowledgement, or a command that reads nothing): the touch screen has
// then answered all it was asked, and the next exchange need not read anything off first.
bool RunExchange(Exchange& exchange, HANDLE readEvent, HANDLE interrupt, bool readOffFirst) {
  const DeviceContext& context = exchange.context;
  HidSystem& hid = *context.hid;
  ProtocolState& state = *context.protocol;
  DeviceReport& request = *exchange.request;
  const std::uint16_t code = protocol::CommandCode(request.report);
  const protocol::CommandRule rule = protocol::LookupCommand(code);
  HANDLE device = static_cast<HANDLE>(request.deviceHandle);
  const HWND window = static_cast<HWND>(request.window);
  const bool stream = code == protocol::kStreamOn;
  const bool firmwareData = request.report[0] == protocol::kFirmwareReportId;

  NoteExchangeStep(ExchangeStep::WorkerStarted, code);
  if (!exchange.resume) {
    if (readOffFirst) ReleaseStrayReplies(hid, device, readEvent);
    if (exchange.echo && !SendEcho(context, device, readEvent, *exchange.echo)) return false;
    if (!hid.SetOutputReport(device, request.report, kReportSize)) {
      RecordSystemFailure(L"HidD_SetOutputReport", ReportName(code));
      return false;
    }
    NoteExchangeStep(ExchangeStep::ReportWritten, code);
  }
  if (!rule.reads) return true;
  if (state.m_bStopWorkers.load()) return false;
  // A window whose exchanges ended before this reader began gets nothing more.
  const std::uint64_t ticket = reply_windows::Join(window);
  if (!reply_windows::Live(window, ticket)) return false;
  const bool limited = !stream && !firmwareData && code != protocol::kUpdateBegin;

  for (;;) {
    ReadWatch watch;
    watch.protocol = &state;
    watch.code = code;
    watch.window = window;
    watch.ticket = ticket;
    watch.interrupt = stream ? interrupt : nullptr;
    watch.deadlineMs = limited ? NowMs() + kReplySilenceLimitMs : 0;
    auto reply = std::make_unique<DeviceReport>();
    const ReadOutcome outcome = ReadReply(hid, device, readEvent, *reply, watch);
    if (outcome == ReadOutcome::Interrupted) {
      ResumeStreamAfter(device, exchange);
      return false;
    }
    if (outcome != ReadOutcome::Completed) return false;
    NoteExchangeStep(ExchangeStep::ReadCompleted, code);
    if (stream && !state.m_bTouchStream.load()) return false;

    if (auto number = protocol::NumberFromReply(code, reply->report)) {
      if (TouchScreenDevice* record = RecordAt(context, request.deviceIndex)) {
        record->TouchScreenNo.store(*number);
      }
    }

    const protocol::ReplyContext replyContext{code,
                                              request.replyMessage,
                                              window != nullptr,
                                              state.m_bAckMode.load(),
                                              state.m_bTouchStream.load(),
                                              false,
                                              firmwareData};
    const protocol::ReplyDecision decision = protocol::DecideReply(replyContext, reply->report);
    reply->deviceIndex = request.deviceIndex;
    switch (decision.action) {
      case protocol::ReplyAction::Post:
        // Posted, the window owns it; otherwise it is released here.
        if (reply_windows::Post(window, ticket, request.replyMessage, reply))
          NoteExchangeStep(ExchangeStep::ReplyPosted, code);
        break;
      case protocol::ReplyAction::SignalAck:
        if (context.ackEvent) SetEvent(context.ackEvent);
        NoteExchangeStep(ExchangeStep::ReplyPosted, code);
        break;
      case protocol::ReplyAction::Hold:
        state.m_pHeldReply.Hold(std::move(reply));
        break;
      case protocol::ReplyAction::StoreVersion:
        if (TouchScreenDevice* record = RecordAt(context, request.deviceIndex)) {
          const auto version = *protocol::DecodeHardwareVersion(reply->report);
          for (int i = 0; i < 3; ++i) record->HwVersion[i].store(version[i]);
        }
        break;
      case protocol::ReplyAction::Release:
        break;
    }
    if (decision.endsWorker) return true;
    if (state.m_bStopWorkers.load()) return false;
  }
}

// Works off one lane's queue on a pooled thread, one exchange after the other.
class LaneJob final : public PooledJob {
public:
  explicit LaneJob(HANDLE device) : m_hDevice(device) {}
  void Run(HANDLE readEvent) override {
    for (;;) {
      Exchange exchange;
      HANDLE interrupt = nullptr;
      bool readOffFirst = false;
      {
        std::lock_guard<std::mutex> lock(g_lanesMutex);
        Lane& lane = Lanes()[m_hDevice];
        if (lane.queue.empty()) {
          lane.running = false;
          return;
        }
        exchange = std::move(lane.queue.front());
        lane.queue.pop_front();
        interrupt = lane.interrupt;
        if (interrupt && lane.queue.empty()) ResetEvent(interrupt);
        readOffFirst = std::exchange(lane.unsettled, false);
      }
      const bool settled = RunExchange(exchange, readEvent, interrupt, readOffFirst);
      {
        std::lock_guard<std::mutex> lock(g_lanesMutex);
        if (!settled) Lanes()[m_hDevice].unsettled = true;
      }
      exchange = Exchange{};  // the requests go before the exchange counts as ended
      g_nExchanges.fetch_sub(1);
    }
  }

private:
  HANDLE m_hDevice;
};

// Queues `exchange` on its lane and starts the lane's thread when it is idle.
bool Queue(Exchange exchange) {
  HANDLE device = static_cast<HANDLE>(exchange.request->deviceHandle);
  g_nExchanges.fetch_add(1);
  {
    std::lock_guard<std::mutex> lock(g_lanesMutex);
    Lane& lane = Lanes()[device];
    if (!lane.interrupt) {
      lane.interrupt = CreateEventW(nullptr, TRUE, FALSE, nullptr);
      if (!lane.interrupt) RecordSystemFailure(L"CreateEventW", L"touch screen queue");
    }
    lane.queue.push_back(std::move(exchange));
    if (lane.running) {
      if (lane.interrupt) SetEvent(lane.interrupt);
      return true;
    }
    lane.running = true;
  }
  if (StartPooledJob(std::make_unique<LaneJob>(device))) return true;
  // No thread could be had: what waits on this touch screen is released.
  std::deque<Exchange> dropped;
  {
    std::lock_guard<std::mutex> lock(g_lanesMutex);
    Lane& lane = Lanes()[device];
    dropped.swap(lane.queue);
    lane.running = false;
  }
  g_nExchanges.fetch_sub(static_cast<int>(dropped.size()));
  return false;
}

}  // namespace

int RunningReportWorkers() { return g_nExchanges.load(); }
std::uint64_t StrayReplies() { return g_nStrays.load(); }
std::uint64_t UnansweredEchoes() { return g_nUnansweredEchoes.load(); }

bool StartReportWorker(const DeviceContext& context, std::unique_ptr<DeviceReport> echo,
                       std::unique_ptr<DeviceReport> request) {
  return Queue(Exchange{context, std::move(echo), std::move(request), false});
}
