#pragma once
// ExchangeLanes: the exchanges with the touch screens, one at a time per touch screen.
//
// An exchange is one request of a window (or of a console command): its report is written,
// and the input reports that follow are read until its own end-of-reply, a read error, the
// touch screen's removal, the stop flag, or its time limit. A command with echo is one exchange
// with its echo: the held reply goes out first, its replies are read and released until the
// echo's end-of-reply, and the command goes out no sooner than kEchoDelayMs after the echo.
//
// Pending reads on one handle complete in the order they were issued, so two readers on one
// touch screen would take each other's replies. Each touch screen therefore has a lane: its
// exchanges run in the order they were queued, on a pooled thread that starts the next one only
// when the one before has ended. Lanes are keyed by the touch screen's id, never reused, and a
// lane goes when its queue is empty. An exchange that did not end as the protocol ends it may
// still be answered: the next exchange on that touch screen first reads off what arrived,
// releases it and counts it, so no reply reaches an exchange it does not belong to.
//
// A touch stream (0xAA 0x50) reads for as long as the stream is on. A later request for the
// same touch screen interrupts it: a stream request ends it, any other request runs and the
// stream's reading resumes after it.
//
// Every exchange holds its touch screen until it ends, and what it learns goes into that touch
// screen. A touch screen marked gone ends its exchanges at once (Gone) and those queued behind
// never write; its I/O is released with the last exchange that held it.
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "device/core/attached_touch_screen.h"
#include "device/core/device_report.h"

struct ProtocolState;
class ThreadPool;

// Where the replies go: the windows in the program, the test's records in the tests.
class ReplySink {
public:
  virtual ~ReplySink() = default;
  // The window still takes the replies of requests made with `ticket`.
  virtual bool Live(void* window, std::uint64_t ticket) = 0;
  // Hands `reply` to the window with `message`; true when it took it (it owns it then).
  virtual bool Post(void* window, std::uint64_t ticket, std::uint32_t message,
                    std::unique_ptr<DeviceReport>& reply) = 0;
  // Acknowledge mode: a command's own end-of-reply arrived.
  virtual void Acknowledge() = 0;
};

// How an exchange ended; each ends exactly once.
enum class ExchangeEnd {
  Answered,   // as the protocol ends it: its end-of-reply, its one acknowledgement, or nothing to read
  Gone,       // its touch screen went
  Cancelled,  // the stop flag, a reply window that went, the stream switched off, a dropped echo
  TimedOut,   // its time limit passed in silence, or its echo went unanswered
  Failed,     // a write or read failed otherwise
};

// The delay that puts the echoed held reply ahead of its command.
inline constexpr std::uint32_t kEchoDelayMs = 80;
// Reads wait in slices of this length so that a stop or the end of the stream is seen in time.
inline constexpr std::uint32_t kReadSliceMs = 60;
// The longest wait for the end-of-reply of an echo. A touch screen that has not answered its
// echo by then has not taken it; the command is not sent, because the echo's late end would be
// taken for the command's.
inline constexpr std::uint32_t kEchoLimitMs = 1500;
// A command's exchange ends when its touch screen has been silent this long (the windows wait
// as long for an end themselves). The touch stream, the update's begin request and firmware
// packets have no limit: the stream reads while it is on, and the update waits for each
// acknowledgement as long as it takes.
inline constexpr std::uint32_t kReplySilenceLimitMs = 3000;
// The most reports read off ahead of an exchange: more than the system keeps for one handle.
inline constexpr int kMostStrayReplies = 512;

// The pace of the exchanges; the tests that put thousands of exchanges through run faster.
struct ExchangeTimes {
  std::uint32_t echoDelayMs = kEchoDelayMs;
  std::uint32_t readSliceMs = kReadSliceMs;
  std::uint32_t echoLimitMs = kEchoLimitMs;
  std::uint32_t replySilenceLimitMs = kReplySilenceLimitMs;
};

class ExchangeLanes {
public:
  // Called once per request as its exchange ends, on the lane's thread.
  using EndObserver = std::function<void(const DeviceReport& request, ExchangeEnd end)>;

  // `state`, `sink` and `pool` outlive the lanes; the pool must end its jobs before the lanes go
  // (declare it after them).
  ExchangeLanes(ProtocolState& state, ReplySink& sink, ThreadPool& pool, ExchangeTimes times = {});
  ExchangeLanes(const ExchangeLanes&) = delete;
  ExchangeLanes& operator=(const ExchangeLanes&) = delete;

  // The device thread's dispatch of one request (its touchScreen set): the reply message from
  // the command table, the touch stream switched on or off, and for a command with echo the held
  // reply queued ahead of it; without a held reply such a command is dropped (it ends as
  // Cancelled, unsent). False when the request was dropped or no thread could be had.
  bool Dispatch(std::unique_ptr<DeviceReport> request);

  // Queues the exchange of `request` (its touchScreen set), preceded by `echo` when given. False
  // when no thread could be had for it; what waited on that touch screen is released.
  bool Queue(std::unique_ptr<DeviceReport> echo, std::unique_ptr<DeviceReport> request);

  void SetEndObserver(EndObserver observer) { m_onEnded = std::move(observer); }  // before any Queue

  int running() const { return m_nExchanges.load(); }  // exchanges queued or running
  int laneCount() const;                               // touch screens with a lane
  std::uint64_t strayReplies() const { return m_nStrays.load(); }
  std::uint64_t unansweredEchoes() const { return m_nUnansweredEchoes.load(); }

private:
  struct Exchange {
    std::unique_ptr<DeviceReport> echo;
    std::unique_ptr<DeviceReport> request;
    bool resume = false;  // a touch stream's reading after a request that interrupted it
  };
  struct Lane {
    std::deque<Exchange> queue;
    std::shared_ptr<AttachedTouchScreen> touchScreen;
  };
  class Run;

  void WorkLane(TouchScreenId id);
  bool ResumeStreamAfter(Exchange& exchange);
  void Ended(const DeviceReport& request, ExchangeEnd end);

  ProtocolState& m_state;
  ReplySink& m_sink;
  ThreadPool& m_pool;
  const ExchangeTimes m_times;
  EndObserver m_onEnded;
  mutable std::mutex m_mutex;
  std::map<TouchScreenId, Lane> m_lanes;  // guarded by m_mutex
  std::atomic<int> m_nExchanges{0};
  std::atomic<std::uint64_t> m_nStrays{0};
  std::atomic<std::uint64_t> m_nUnansweredEchoes{0};
};

// Process-wide sums over every ExchangeLanes, for tests and measurements of the program.
int RunningReportWorkers();   // exchanges queued or running: 0 means nothing reads any more
std::uint64_t StrayReplies();  // replies that belonged to no running exchange and were released
std::uint64_t UnansweredEchoes();  // echoes without an end-of-reply in time; commands not sent
