#include "device/core/exchange_lanes.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "device/core/exchange_timing.h"
#include "device/core/protocol_state.h"
#include "device/core/report_protocol.h"
#include "device/core/thread_pool.h"

namespace {

std::atomic<int> g_nAllExchanges{0};
std::atomic<std::uint64_t> g_nAllStrays{0};
std::atomic<std::uint64_t> g_nAllUnansweredEchoes{0};

using Clock = std::chrono::steady_clock;

double NowMs() {
  return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

enum class ReadOutcome { Completed, Gone, Ended, Failed, TimedOut, Interrupted };

ExchangeEnd EndOf(ReadOutcome outcome) {
  switch (outcome) {
    case ReadOutcome::Gone: return ExchangeEnd::Gone;
    case ReadOutcome::TimedOut: return ExchangeEnd::TimedOut;
    case ReadOutcome::Failed: return ExchangeEnd::Failed;
    default: return ExchangeEnd::Cancelled;
  }
}

ExchangeEnd EndOfWrite(const AttachedTouchScreen& touchScreen, IoResult result) {
  return result == IoResult::Gone || touchScreen.gone() ? ExchangeEnd::Gone : ExchangeEnd::Failed;
}

}  // namespace

// One exchange on its lane's thread.
class ExchangeLanes::Run {
public:
  Run(ExchangeLanes& lanes, Exchange& exchange)
      : m_lanes(lanes),
        m_state(lanes.m_state),
        m_exchange(exchange),
        m_request(*exchange.request),
        m_touchScreen(*m_request.touchScreen),
        m_io(*m_touchScreen.io()),
        m_nCode(protocol::CommandCode(m_request.report)) {}

  // How the exchange ended; `settled` when it ended as the protocol ends it, so the next
  // exchange on the touch screen need not read anything off first.
  ExchangeEnd Go(bool readOffFirst, bool& settled);

private:
  struct Watch {
    bool interruptible = false;
    bool forWindow = false;  // the reply window's leaving ends the read
    double deadlineMs = 0;   // 0: none
  };
  ReadOutcome ReadReply(std::uint8_t* out, const Watch& watch);
  ReadOutcome Abandon(std::uint8_t* out, ReadOutcome outcome);
  void ReleaseStrayReplies();
  ExchangeEnd SendEcho(DeviceReport& echo);
  bool WaitUntil(double whenMs);
  ExchangeEnd ReadReplies(bool& settled);
  void Deliver(std::unique_ptr<DeviceReport> reply, const protocol::ReplyDecision& decision);

  ExchangeLanes& m_lanes;
  ProtocolState& m_state;
  Exchange& m_exchange;
  DeviceReport& m_request;
  AttachedTouchScreen& m_touchScreen;
  TouchScreenIo& m_io;
  const std::uint16_t m_nCode;
};

ReadOutcome ExchangeLanes::Run::Abandon(std::uint8_t* out, ReadOutcome outcome) {
  // A read that completed just as it was given up counts as completed.
  return m_io.Abandon(out) == IoResult::Done ? ReadOutcome::Completed : outcome;
}

ReadOutcome ExchangeLanes::Run::ReadReply(std::uint8_t* out, const Watch& watch) {
  const bool stream = m_nCode == protocol::kStreamOn;
  for (;;) {
    if (m_touchScreen.gone()) {
      Abandon(out, ReadOutcome::Gone);  // whatever it still read goes nowhere
      return ReadOutcome::Gone;
    }
    if (stream && !m_state.m_bTouchStream.load()) return Abandon(out, ReadOutcome::Ended);
    std::uint32_t slice = m_lanes.m_times.readSliceMs;
    if (watch.deadlineMs > 0) {
      const double remaining = watch.deadlineMs - NowMs();
      // Woken at or before the deadline; the last fraction of a millisecond is the caller's.
      if (remaining < 1) return Abandon(out, ReadOutcome::TimedOut);
      slice = std::min<std::uint32_t>(slice, static_cast<std::uint32_t>(remaining));
    }
    switch (m_io.Read(out, slice, watch.interruptible)) {
      case IoResult::Done:
        return ReadOutcome::Completed;
      case IoResult::Woken:
        return Abandon(out, ReadOutcome::Interrupted);
      case IoResult::Gone:
        return ReadOutcome::Gone;
      case IoResult::Failed:
        return m_touchScreen.gone() ? ReadOutcome::Gone : ReadOutcome::Failed;
      case IoResult::TimedOut:
        break;
    }
    if (m_state.m_bStopWorkers.load()) return Abandon(out, ReadOutcome::Ended);
    if (watch.forWindow && !m_lanes.m_sink.Live(m_request.window, m_request.windowTicket))
      return Abandon(out, ReadOutcome::Ended);
  }
}

void ExchangeLanes::Run::ReleaseStrayReplies() {
  for (int n = 0; n < kMostStrayReplies && !m_touchScreen.gone(); ++n) {
    std::uint8_t scratch[kReportSize];
    const IoResult result = m_io.Read(scratch, 0, false);
    // Nothing is waiting: the read is taken back. One that completed first is a stray too.
    if (result == IoResult::TimedOut && m_io.Abandon(scratch) != IoResult::Done) return;
    if (result != IoResult::Done && result != IoResult::TimedOut) return;
    m_lanes.m_nStrays.fetch_add(1);
    g_nAllStrays.fetch_add(1);
  }
}

bool ExchangeLanes::Run::WaitUntil(double whenMs) {
  // Timed waits end up to a millisecond early: sleep short of the time, then yield to it. A
  // touch screen that goes meanwhile ends the wait.
  for (;;) {
    if (m_touchScreen.gone()) return false;
    const double remaining = whenMs - NowMs();
    if (remaining <= 0) return true;
    if (remaining > 2) {
      std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(std::min(remaining - 1, 10.0)));
    } else {
      std::this_thread::yield();
    }
  }
}

ExchangeEnd ExchangeLanes::Run::SendEcho(DeviceReport& echo) {
  const std::uint16_t code = protocol::CommandCode(echo.report);
  if (const IoResult written = m_io.Write(echo.report); written != IoResult::Done)
    return EndOfWrite(m_touchScreen, written);
  NoteExchangeStep(ExchangeStep::ReportWritten, code, true);
  const double sent = NowMs();
  bool answered = false;
  for (;;) {
    Watch watch;
    watch.deadlineMs = sent + (answered ? m_lanes.m_times.echoDelayMs : m_lanes.m_times.echoLimitMs);
    if (NowMs() >= watch.deadlineMs) break;
    std::uint8_t reply[kReportSize];
    const ReadOutcome outcome = ReadReply(reply, watch);
    if (outcome == ReadOutcome::TimedOut) break;
    if (outcome != ReadOutcome::Completed) return EndOf(outcome);
    NoteExchangeStep(ExchangeStep::ReadCompleted, code, true);
    if (answered) {
      m_lanes.m_nStrays.fetch_add(1);  // a second answer to the echo
      g_nAllStrays.fetch_add(1);
    } else {
      answered = protocol::IsEndOfReply(reply);
    }
  }
  // A second answer that came with the first (the echo answered late, twice) is not the
  // command's: what is waiting already is released before the command goes.
  if (answered) ReleaseStrayReplies();
  if (!answered) {
    m_lanes.m_nUnansweredEchoes.fetch_add(1);
    g_nAllUnansweredEchoes.fetch_add(1);
    return ExchangeEnd::TimedOut;
  }
  return WaitUntil(sent + m_lanes.m_times.echoDelayMs) ? ExchangeEnd::Answered : ExchangeEnd::Gone;
}

ExchangeEnd ExchangeLanes::Run::Go(bool readOffFirst, bool& settled) {
  settled = false;
  if (m_touchScreen.gone()) return ExchangeEnd::Gone;  // queued behind its removal: never written
  NoteExchangeStep(ExchangeStep::WorkerStarted, m_nCode);
  if (!m_exchange.resume) {
    if (readOffFirst) ReleaseStrayReplies();
    if (m_exchange.echo) {
      if (const ExchangeEnd echoed = SendEcho(*m_exchange.echo); echoed != ExchangeEnd::Answered) return echoed;
    }
    if (const IoResult written = m_io.Write(m_request.report); written != IoResult::Done)
      return EndOfWrite(m_touchScreen, written);
    NoteExchangeStep(ExchangeStep::ReportWritten, m_nCode);
  }
  if (!protocol::LookupCommand(m_nCode).reads) {
    settled = true;
    return ExchangeEnd::Answered;
  }
  if (m_state.m_bStopWorkers.load()) return ExchangeEnd::Cancelled;
  // A window whose exchanges ended before this reader began gets nothing more.
  if (m_request.window && !m_lanes.m_sink.Live(m_request.window, m_request.windowTicket))
    return ExchangeEnd::Cancelled;
  return ReadReplies(settled);
}

ExchangeEnd ExchangeLanes::Run::ReadReplies(bool& settled) {
  const bool stream = m_nCode == protocol::kStreamOn;
  const bool firmwareData = m_request.report[0] == protocol::kFirmwareReportId;
  const bool limited = !stream && !firmwareData && m_nCode != protocol::kUpdateBegin;
  for (;;) {
    Watch watch;
    watch.interruptible = stream;
    watch.forWindow = m_request.window != nullptr;
    watch.deadlineMs = limited ? NowMs() + m_lanes.m_times.replySilenceLimitMs : 0;
    auto reply = std::make_unique<DeviceReport>();
    const ReadOutcome outcome = ReadReply(reply->report, watch);
    if (outcome == ReadOutcome::Interrupted) {
      // The stream gives way to the request behind it; it resumes after, unless it is to end.
      if (m_lanes.ResumeStreamAfter(m_exchange)) return ExchangeEnd::Answered;
      return ExchangeEnd::Cancelled;
    }
    if (outcome != ReadOutcome::Completed) return EndOf(outcome);
    NoteExchangeStep(ExchangeStep::ReadCompleted, m_nCode);
    if (stream && !m_state.m_bTouchStream.load()) return ExchangeEnd::Cancelled;
    if (m_touchScreen.gone()) return ExchangeEnd::Gone;

    // Decoded once, here, into the touch screen the exchange was asked of.
    if (m_nCode == protocol::kNumberRead) {
      if (const auto number = protocol::TouchScreenNumberFromReply(reply->report))
        m_touchScreen.TouchScreenNo.store(*number);
    }
    const protocol::ReplyContext context{m_nCode,
                                         m_request.replyMessage,
                                         m_request.window != nullptr,
                                         m_state.m_bAckMode.load(),
                                         m_state.m_bTouchStream.load(),
                                         false,
                                         firmwareData};
    const protocol::ReplyDecision decision = protocol::DecideReply(context, reply->report);
    Deliver(std::move(reply), decision);
    if (decision.endsWorker) {
      settled = true;
      return ExchangeEnd::Answered;
    }
    if (m_state.m_bStopWorkers.load()) return ExchangeEnd::Cancelled;
  }
}

void ExchangeLanes::Run::Deliver(std::unique_ptr<DeviceReport> reply, const protocol::ReplyDecision& decision) {
  reply->deviceIndex = m_request.deviceIndex;
  reply->touchScreenId = m_touchScreen.id();
  reply->exchangeId = m_request.exchangeId;
  reply->windowTicket = m_request.windowTicket;
  switch (decision.action) {
    case protocol::ReplyAction::Post:
      // Posted, the window owns it; otherwise (or when its touch screen went) it is released here.
      m_touchScreen.WhileAttached([&] {
        if (m_lanes.m_sink.Post(m_request.window, m_request.windowTicket, m_request.replyMessage, reply))
          NoteExchangeStep(ExchangeStep::ReplyPosted, m_nCode);
      });
      break;
    case protocol::ReplyAction::SignalAck:
      m_lanes.m_sink.Acknowledge();
      NoteExchangeStep(ExchangeStep::ReplyPosted, m_nCode);
      break;
    case protocol::ReplyAction::Hold:
      m_state.m_pHeldReply.Hold(std::move(reply));
      break;
    case protocol::ReplyAction::StoreVersion: {
      const auto version = *protocol::DecodeHardwareVersion(reply->report);
      for (int i = 0; i < 3; ++i) m_touchScreen.HwVersion[i].store(version[i]);
      break;
    }
    case protocol::ReplyAction::Release:
      break;
  }
}

ExchangeLanes::ExchangeLanes(ProtocolState& state, ReplySink& sink, ThreadPool& pool, ExchangeTimes times)
    : m_state(state), m_sink(sink), m_pool(pool), m_times(times) {}

bool ExchangeLanes::Dispatch(std::unique_ptr<DeviceReport> request) {
  NoteExchangeStep(ExchangeStep::Dispatched, protocol::CommandCode(request->report));
  const protocol::Dispatch rule = protocol::DispatchFor(request->report);
  request->replyMessage = rule.replyMessage;
  if (rule.stream == protocol::StreamEffect::TurnOn) m_state.m_bTouchStream.store(true);
  if (rule.stream == protocol::StreamEffect::TurnOff) m_state.m_bTouchStream.store(false);

  std::unique_ptr<DeviceReport> echo;
  if (rule.echo) {
    // The held reply goes back to the touch screen first; without one the command is dropped.
    echo = std::make_unique<DeviceReport>();
    if (!m_state.m_pHeldReply.CopyTo(echo.get())) {
      Ended(*request, ExchangeEnd::Cancelled);
      return false;
    }
    protocol::MakeEchoReport(echo->report, echo->report);
    echo->deviceHandle = request->deviceHandle;
    echo->deviceIndex = request->deviceIndex;
    echo->window = nullptr;
    echo->replyMessage = 0;
    echo->touchScreenId = request->touchScreenId;
    echo->exchangeId = 0;
  }
  return Queue(std::move(echo), std::move(request));
}

int ExchangeLanes::laneCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return static_cast<int>(m_lanes.size());
}

void ExchangeLanes::Ended(const DeviceReport& request, ExchangeEnd end) {
  if (m_onEnded) m_onEnded(request, end);
}

bool ExchangeLanes::ResumeStreamAfter(Exchange& exchange) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_state.m_bTouchStream.load() || exchange.request->touchScreen->gone()) return false;
  Lane& lane = m_lanes[exchange.request->touchScreen->id()];
  for (const Exchange& waiting : lane.queue) {
    const std::uint16_t code = protocol::CommandCode(waiting.request->report);
    if (code == protocol::kStreamOn || code == protocol::kStreamOff) return false;
  }
  m_nExchanges.fetch_add(1);
  g_nAllExchanges.fetch_add(1);
  lane.queue.push_back(Exchange{nullptr, std::move(exchange.request), true});
  return true;
}

bool ExchangeLanes::Queue(std::unique_ptr<DeviceReport> echo, std::unique_ptr<DeviceReport> request) {
  std::shared_ptr<AttachedTouchScreen> touchScreen = request->touchScreen;
  if (!touchScreen || !touchScreen->io()) return false;
  const TouchScreenId id = touchScreen->id();
  m_nExchanges.fetch_add(1);
  g_nAllExchanges.fetch_add(1);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto [found, created] = m_lanes.try_emplace(id);
    Lane& lane = found->second;
    lane.queue.push_back(Exchange{std::move(echo), std::move(request), false});
    if (!created) {
      // The running exchange (a touch stream) gives way to what waits behind it.
      touchScreen->io()->Interrupt(true);
      return true;
    }
    lane.touchScreen = touchScreen;
  }
  if (m_pool.Start([this, id] { WorkLane(id); })) return true;
  // No thread could be had: what waits on this touch screen is released.
  std::deque<Exchange> dropped;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    dropped.swap(m_lanes[id].queue);
    m_lanes.erase(id);
  }
  for (Exchange& exchange : dropped) Ended(*exchange.request, ExchangeEnd::Failed);
  m_nExchanges.fetch_sub(static_cast<int>(dropped.size()));
  g_nAllExchanges.fetch_sub(static_cast<int>(dropped.size()));
  return false;
}

void ExchangeLanes::WorkLane(TouchScreenId id) {
  for (;;) {
    Exchange exchange;
    bool readOffFirst = false;
    std::shared_ptr<AttachedTouchScreen> last;  // released after the lock, with its I/O
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      Lane& lane = m_lanes[id];
      if (lane.queue.empty()) {
        last = std::move(lane.touchScreen);
        m_lanes.erase(id);  // the lane goes with its last exchange
        return;
      }
      exchange = std::move(lane.queue.front());
      lane.queue.pop_front();
      if (lane.queue.empty()) lane.touchScreen->io()->Interrupt(false);
    }
    AttachedTouchScreen& touchScreen = *exchange.request->touchScreen;
    readOffFirst = touchScreen.m_bUnsettled.exchange(false);
    bool settled = false;
    const ExchangeEnd end = Run(*this, exchange).Go(readOffFirst, settled);
    if (!settled) touchScreen.m_bUnsettled.store(true);
    // A stream that gave way handed its request on: it ends later, once.
    if (exchange.request) Ended(*exchange.request, end);
    exchange = Exchange{};  // the requests (and their hold on the touch screen) go first
    m_nExchanges.fetch_sub(1);
    g_nAllExchanges.fetch_sub(1);
  }
}

int RunningReportWorkers() { return g_nAllExchanges.load(); }
std::uint64_t StrayReplies() { return g_nAllStrays.load(); }
std::uint64_t UnansweredEchoes() { return g_nAllUnansweredEchoes.load(); }
