// Touch screens that come and go while eight threads ask them everything: the exchange lanes
// on scripted, rough touch screens, with removals at random moments and at the worst ones
// (before a write, while a read waits, between a read's completion and its handling, during a
// cancellation, during the echo's delay). Run by the native preset and again under
// ThreadSanitizer. PELNIX_TORTURE_SEED picks the draws; PELNIX_TORTURE_EXCHANGES the length.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <vector>

#include "device/core/exchange_lanes.h"
#include "device/core/protocol_state.h"
#include "device/core/report_protocol.h"
#include "device/core/thread_pool.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::microseconds;

// The pace of the run: the protocol's times scaled down so that 100,000 exchanges fit in
// seconds. The scripted touch screens keep to the same assumptions as real ones do at full
// scale: every answer comes within the silence limit, a second answer to an echo within the
// echo's delay.
constexpr ExchangeTimes kTimes{2, 2, 30, 30};
constexpr int kTouchScreens = 16;
constexpr int kAskingThreads = 8;
constexpr int kMostInFlight = 96;
constexpr int kTagOffset = 10;  // where a report carries the exchange it answers

std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

std::uint64_t TagOf(const std::uint8_t* report) {
  std::uint64_t tag;
  std::memcpy(&tag, report + kTagOffset, sizeof tag);
  return tag;
}
void SetTag(std::uint8_t* report, std::uint64_t tag) { std::memcpy(report + kTagOffset, &tag, sizeof tag); }

std::atomic<int> g_nLiveIo{0};
std::atomic<int> g_nReadsLeftPending{0};

// Where a scripted touch screen asks for its own removal at a chosen moment.
enum class RemovalPoint { BeforeWrite, ReadPending, AfterCompletion, DuringCancel, DuringEcho, Count };

// One rough touch screen: answers late with jitter, loses reports, answers echoes late, twice
// or never, and sends touches while streaming.
class ScriptedTouchScreen final : public TouchScreenIo {
public:
  ScriptedTouchScreen(std::uint32_t seed, std::uint8_t number, std::function<void(RemovalPoint)> removeSelf)
      : m_random(seed), m_nNumber(number), m_removeSelf(std::move(removeSelf)) {
    ++g_nLiveIo;
  }
  ~ScriptedTouchScreen() override {
    if (m_bReadPending) ++g_nReadsLeftPending;
    --g_nLiveIo;
  }

  IoResult Write(const std::uint8_t* report) override {
    MaybeRemove(RemovalPoint::BeforeWrite);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bGone) return IoResult::Gone;
    Answer(report);
    m_changed.notify_all();
    return IoResult::Done;
  }

  IoResult Read(std::uint8_t* report, std::uint32_t timeoutMs, bool interruptible) override {
    IoResult result = ReadLocked(report, timeoutMs, interruptible);
    if (result == IoResult::Done) MaybeRemove(RemovalPoint::AfterCompletion);
    if (result == IoResult::TimedOut) MaybeRemove(RemovalPoint::ReadPending);
    return result;
  }

  IoResult ReadLocked(std::uint8_t* report, std::uint32_t timeoutMs, bool interruptible) {
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      const auto deadline = Clock::now() + milliseconds(timeoutMs);
      for (;;) {
        if (m_bGone) {
          m_bReadPending = false;
          return IoResult::Gone;
        }
        const auto now = Clock::now();
        if (!m_arrivals.empty() && m_arrivals.front().at <= now) {
          std::memcpy(report, m_arrivals.front().report.data(), kReportSize);
          m_arrivals.pop_front();
          m_bReadPending = false;
          return IoResult::Done;
        }
        m_bReadPending = true;
        if (interruptible && m_bInterrupt) return IoResult::Woken;
        if (now >= deadline) return IoResult::TimedOut;
        auto until = deadline;
        if (!m_arrivals.empty() && m_arrivals.front().at < until) until = m_arrivals.front().at;
        m_changed.wait_until(lock, until);
      }
    }
  }

  IoResult Abandon(std::uint8_t* report) override {
    MaybeRemove(RemovalPoint::DuringCancel);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_bReadPending) return IoResult::TimedOut;
    m_bReadPending = false;
    if (!m_bGone && !m_arrivals.empty() && m_arrivals.front().at <= Clock::now()) {
      std::memcpy(report, m_arrivals.front().report.data(), kReportSize);
      m_arrivals.pop_front();
      return IoResult::Done;  // it completed before it could be taken back
    }
    return IoResult::TimedOut;
  }

  void Interrupt(bool on) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bInterrupt = on;
    m_changed.notify_all();
  }

  void Cancel() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bGone = true;
    m_changed.notify_all();
  }

  std::uint8_t number() const { return m_nNumber; }

private:
  struct Arrival {
    Clock::time_point at;
    std::array<std::uint8_t, kReportSize> report;
  };

  bool Chance(int percent) { return std::uniform_int_distribution<int>(0, 999)(m_random) < percent * 10; }
  void MaybeRemove(RemovalPoint point) {
    bool now;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      now = !m_bGone && std::uniform_int_distribution<int>(0, 9999)(m_random) < 6;
    }
    if (now) m_removeSelf(point);
  }

  // Queues a report `delay` from now (after the last one queued: reports keep their order),
  // unless it is lost.
  void Send(std::array<std::uint8_t, kReportSize> report, microseconds delay, bool mayBeLost = true) {
    if (mayBeLost && Chance(1)) return;
    auto at = Clock::now() + delay;
    if (!m_arrivals.empty() && m_arrivals.back().at > at) at = m_arrivals.back().at;
    m_arrivals.push_back(Arrival{at, report});
  }
  static std::array<std::uint8_t, kReportSize> Reply(std::uint64_t tag, std::initializer_list<std::uint8_t> head) {
    std::array<std::uint8_t, kReportSize> r{};
    std::copy(head.begin(), head.end(), r.begin());
    SetTag(r.data(), tag);
    return r;
  }
  static std::array<std::uint8_t, kReportSize> End(std::uint64_t tag, std::uint8_t code) {
    return Reply(tag, {0x30, 'A', code, '0', '0', '0', 0, 0, 0});
  }
  microseconds Jitter() { return microseconds(std::uniform_int_distribution<int>(0, 1500)(m_random)); }

  void Answer(const std::uint8_t* report) {
    const std::uint64_t tag = TagOf(report);
    const std::uint16_t code = protocol::CommandCode(report);
    if (report[1] == 'O') {  // the echoed held reply
      if (Chance(3)) return;  // never answered
      const auto late = microseconds(std::uniform_int_distribution<int>(0, kTimes.echoLimitMs * 600)(m_random));
      Send(End(tag, 'O'), late, false);
      if (Chance(5)) Send(End(tag, 'O'), microseconds(0), false);  // twice, at once
      MaybeRemoveLater();
      return;
    }
    switch (code) {
      case protocol::kOpen:
        Send(Reply(tag, {0x30, 'O', 0, 7}), Jitter());
        Send(End(tag, 'o'), Jitter());
        break;
      case protocol::kVersion:
        Send(Reply(tag, {0x30, 'V', 'v', 1, m_nNumber, 0, 2, 0, 3}), Jitter());
        Send(End(tag, 'v'), Jitter());
        break;
      case protocol::kNumberRead:
        Send(Reply(tag, {0x30, 'V', '1', m_nNumber}), Jitter());
        Send(End(tag, '1'), Jitter());
        break;
      case protocol::kSerial:
      case protocol::kLedLevels:
      case protocol::kLedStatus:
        for (int i = 0; i < 3; ++i) Send(Reply(tag, {0x30, 'Z', static_cast<std::uint8_t>(i)}), Jitter());
        Send(End(tag, 'z'), Jitter());
        break;
      case protocol::kNumberWrite:
        Send(End(tag, '1'), Jitter());
        break;
      case protocol::kStreamOn:
        // Touches that are there at once, so a stream that ends or gives way leaves nothing late.
        for (int i = 0; i < 3; ++i) Send(Reply(tag, {0x30, 0x01, static_cast<std::uint8_t>(i == 2 ? 0x84 : 0x81)}), microseconds(0), false);
        break;
      case protocol::kStreamOff:
        break;
      default:
        Send(End(tag, 'x'), Jitter());
        break;
    }
  }
  void MaybeRemoveLater() { m_bRemoveDuringEcho = Chance(1); }

public:
  // During the echo's delay the lane waits without I/O: the harness removes it from outside.
  bool TakeEchoRemoval() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_bRemoveDuringEcho, false);
  }

private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::mt19937 m_random;
  const std::uint8_t m_nNumber;
  const std::function<void(RemovalPoint)> m_removeSelf;
  std::deque<Arrival> m_arrivals;
  bool m_bReadPending = false;
  bool m_bInterrupt = false;
  bool m_bGone = false;
  bool m_bRemoveDuringEcho = false;
};

constexpr std::uint8_t kCommands[][2] = {{'o', 0},   {'v', 'v'}, {'v', 's'}, {'v', '1'}, {'V', '1'}, {'Z', 'v'},
                                         {'Z', 'g'}, {0xAA, 'P'}, {0xAA, 'U'}, {'q', 'q'}};

struct Figures {
  std::uint64_t dispatched = 0, removals = 0, delivered = 0;
  std::map<ExchangeEnd, std::uint64_t> ends;
  std::array<std::uint64_t, static_cast<int>(RemovalPoint::Count)> removalsAt{};
};

class Torture : public ReplySink {
public:
  explicit Torture(std::uint64_t seed) : m_nSeed(static_cast<std::uint32_t>(seed)), m_random(m_nSeed) {
    m_lanes.SetEndObserver([this](const DeviceReport& request, ExchangeEnd end) { OnEnded(request, end); });
    for (int slot = 0; slot < kTouchScreens; ++slot) m_slots[slot] = Plug();
  }

  // ReplySink: a window that checks each reply against the exchange and touch screen it names.
  bool Live(void*, std::uint64_t) override { return true; }
  bool Post(void*, std::uint64_t, std::uint32_t message, std::unique_ptr<DeviceReport>& reply) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_figures.delivered;
    const auto asked = m_askedOf.find(reply->exchangeId);
    if (asked == m_askedOf.end()) {
      Fault("a reply names an exchange nobody asked");
    } else if (asked->second != reply->touchScreenId) {
      Fault("a reply names another touch screen than its exchange's");
    }
    if (TagOf(reply->report) != reply->exchangeId) {
      Fault("a reply of one exchange was delivered as another's");
      std::printf("  exchange %llu got a reply of %llu: %02X %02X %02X\n", (unsigned long long)reply->exchangeId,
                  (unsigned long long)TagOf(reply->report), reply->report[1], reply->report[2], reply->report[3]);
    }
    const auto screen = m_screens.find(reply->touchScreenId);
    if (screen != m_screens.end() && screen->second.goneAt) Fault("a reply of a gone touch screen was delivered");
    // As the main window does: the data reply of "o" is sent back ahead of commands with echo.
    if (message == protocol::LookupCommand(protocol::kOpen).replyMessage && !protocol::IsEndOfReply(reply->report))
      m_state.m_pHeldReply.Hold(std::move(reply));
    reply.reset();
    return true;
  }
  void Acknowledge() override {}

  Figures Go(std::uint64_t exchanges) {
    std::vector<std::thread> askers;
    for (int t = 0; t < kAskingThreads; ++t) askers.emplace_back([this, t, exchanges] { Ask(t, exchanges); });
    std::thread remover([this] { RemoveAtRandom(); });
    for (auto& asker : askers) asker.join();
    m_bDone = true;
    remover.join();
    m_state.m_bStopWorkers = false;
    // The last removals: every touch screen goes.
    for (int slot = 0; slot < kTouchScreens; ++slot) Remove(slot, nullptr, RemovalPoint::Count);
    WaitFor([this] { return m_lanes.running() == 0; }, milliseconds(10000));
    return m_figures;
  }

  void CheckNothingLeft() {
    EXPECT_EQ(m_lanes.running(), 0);
    EXPECT_EQ(m_lanes.laneCount(), 0);
    std::lock_guard<std::mutex> lock(m_mutex);
    EXPECT_TRUE(m_inFlight.empty()) << m_inFlight.size() << " exchanges never ended";
    m_state.m_pHeldReply.Clear();
  }

  void CheckFaults() {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [fault, count] : m_faults) ADD_FAILURE() << fault << " (" << count << " times)";
    for (const auto& [id, screen] : m_screens) {
      const std::int32_t number = screen.screen.lock() ? screen.screen.lock()->TouchScreenNo.load() : screen.lastNumber;
      if (number != -1 && number != screen.number)
        ADD_FAILURE() << "touch screen " << id << " holds number " << number << ", not its own " << int(screen.number);
    }
  }

  ~Torture() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_slots = {};
  }

private:
  struct Screen {
    std::weak_ptr<AttachedTouchScreen> screen;
    ScriptedTouchScreen* io = nullptr;
    std::uint8_t number = 0;
    std::int32_t lastNumber = -1;
    std::optional<Clock::time_point> goneAt;
    int inFlight = 0;
  };

  std::shared_ptr<AttachedTouchScreen> Plug() {
    // Numbers 1 to 250 but the blank, which a "v1" reply cannot carry as a number.
    std::uint8_t number = static_cast<std::uint8_t>(1 + m_nPlugged++ % 250);
    if (number == ' ') number = static_cast<std::uint8_t>(1 + m_nPlugged++ % 250);
    auto holder = std::make_shared<std::weak_ptr<AttachedTouchScreen>>();
    auto io = std::make_shared<ScriptedTouchScreen>(m_random(), number, [this, holder](RemovalPoint point) {
      if (auto self = holder->lock()) RemoveScreen(self, point);
    });
    auto screen = std::make_shared<AttachedTouchScreen>(io);
    *holder = screen;
    m_screens[screen->id()] = Screen{screen, io.get(), number, -1, std::nullopt, 0};
    return screen;
  }

  void RemoveScreen(const std::shared_ptr<AttachedTouchScreen>& screen, RemovalPoint point) {
    int slot = -1;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      for (int i = 0; i < kTouchScreens; ++i)
        if (m_slots[i] == screen) slot = i;
    }
    if (slot >= 0) Remove(slot, screen.get(), point);
  }

  // Takes the touch screen out of its slot, marks it gone and plugs a new one in (unless the run
  // is over).
  void Remove(int slot, const AttachedTouchScreen* only, RemovalPoint point) {
    std::shared_ptr<AttachedTouchScreen> gone;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (!m_slots[slot] || (only && m_slots[slot].get() != only)) return;
      gone = std::move(m_slots[slot]);
      m_slots[slot] = m_bDone ? nullptr : Plug();
      ++m_figures.removals;
      if (point != RemovalPoint::Count) ++m_figures.removalsAt[static_cast<int>(point)];
    }
    gone->MarkGone();
    // From here on nothing of it may be delivered.
    std::lock_guard<std::mutex> lock(m_mutex);
    Screen& screen = m_screens[gone->id()];
    screen.goneAt = Clock::now();
    screen.lastNumber = gone->TouchScreenNo.load();
  }

  void Ask(int thread, std::uint64_t exchanges) {
    std::mt19937 random(m_nSeed + 1 + static_cast<std::uint32_t>(thread));
    while (m_nAsked.fetch_add(1) < exchanges) {
      while (m_lanes.running() > kMostInFlight) std::this_thread::sleep_for(microseconds(200));
      auto request = std::make_unique<DeviceReport>();
      const auto& command = kCommands[random() % std::size(kCommands)];
      request->report[0] = protocol::kCommandReportId;
      request->report[1] = command[0];
      request->report[2] = command[1];
      request->window = random() % 8 ? reinterpret_cast<void*>(1) : nullptr;
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        const int slot = static_cast<int>(random() % kTouchScreens);
        if (!m_slots[slot]) continue;
        request->touchScreen = m_slots[slot];
        request->touchScreenId = m_slots[slot]->id();
        request->deviceIndex = slot;
        request->exchangeId = ++m_nExchangeIds;
        SetTag(request->report, request->exchangeId);
        m_askedOf[request->exchangeId] = request->touchScreenId;
        m_inFlight[request->exchangeId] = 0;
        ++m_screens[request->touchScreenId].inFlight;
        ++m_figures.dispatched;
      }
      m_lanes.Dispatch(std::move(request));
    }
  }

  void OnEnded(const DeviceReport& request, ExchangeEnd end) {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_figures.ends[end];
    if (m_inFlight.erase(request.exchangeId) != 1) {
      Fault("an exchange ended twice, or one nobody asked");
      return;
    }
    --m_screens[request.touchScreenId].inFlight;
  }

  void RemoveAtRandom() {
    std::mt19937 random(m_nSeed + 100);
    while (!m_bDone) {
      // One removal for every ten exchanges asked, at a random moment.
      std::this_thread::sleep_for(microseconds(random() % 400));
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_figures.removals * 10 > m_figures.dispatched) continue;
      }
      Remove(static_cast<int>(random() % kTouchScreens), nullptr, RemovalPoint::Count);
      // One that asked to go during its echo's delay, when the lane waits without I/O.
      for (int slot = 0; slot < kTouchScreens; ++slot) {
        std::shared_ptr<AttachedTouchScreen> screen;
        ScriptedTouchScreen* io = nullptr;
        {
          std::lock_guard<std::mutex> lock(m_mutex);
          screen = m_slots[slot];
          if (screen) io = m_screens[screen->id()].io;
        }
        if (io && io->TakeEchoRemoval()) {
          std::this_thread::sleep_for(microseconds(kTimes.echoDelayMs * 500));
          Remove(slot, screen.get(), RemovalPoint::DuringEcho);
        }
      }
      CheckGoneScreensIdle();
    }
  }

  // A touch screen gone for 3 s has no exchange left.
  void CheckGoneScreensIdle() {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto now = Clock::now();
    for (const auto& [id, screen] : m_screens)
      if (screen.goneAt && now - *screen.goneAt > std::chrono::seconds(3) && screen.inFlight > 0)
        Fault("a touch screen gone for 3 s still has exchanges");
  }

  template <typename Condition>
  static bool WaitFor(Condition condition, milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!condition()) {
      if (Clock::now() > end) return false;
      std::this_thread::sleep_for(milliseconds(1));
    }
    return true;
  }

  void Fault(const std::string& what) { ++m_faults[what]; }  // under m_mutex

  const std::uint32_t m_nSeed;
  std::mt19937 m_random;  // under m_mutex
  ProtocolState m_state;
  ExchangeLanes m_lanes{m_state, *this, m_pool, kTimes};
  ThreadPool m_pool;  // goes before the lanes: it ends its jobs first
  std::mutex m_mutex;
  std::array<std::shared_ptr<AttachedTouchScreen>, kTouchScreens> m_slots;
  std::map<TouchScreenId, Screen> m_screens;
  std::map<std::uint64_t, TouchScreenId> m_askedOf;
  std::map<std::uint64_t, int> m_inFlight;
  std::map<std::string, std::uint64_t> m_faults;
  Figures m_figures;
  std::uint64_t m_nExchangeIds = 0;
  int m_nPlugged = 0;
  std::atomic<std::uint64_t> m_nAsked{0};
  std::atomic<bool> m_bDone{false};
};

TEST(DeviceHotplugTorture, EveryExchangeEndsOnceAndNothingCrossesTouchScreens) {
  const std::uint64_t seed = EnvNumber("PELNIX_TORTURE_SEED", 1);
  const std::uint64_t exchanges = EnvNumber("PELNIX_TORTURE_EXCHANGES", 100000);
  std::printf("hot-plug torture: seed %llu (PELNIX_TORTURE_SEED), %llu exchanges\n",
              static_cast<unsigned long long>(seed), static_cast<unsigned long long>(exchanges));
  const auto start = Clock::now();
  Figures figures;
  {
    Torture torture(seed);
    figures = torture.Go(exchanges);
    torture.CheckNothingLeft();
    torture.CheckFaults();
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_EQ(g_nLiveIo.load(), 0) << "touch screens whose I/O (its handle) was never released";
  EXPECT_EQ(g_nReadsLeftPending.load(), 0) << "reads left pending when their touch screen's I/O went";
  std::printf("%llu exchanges, %llu removals in %.1f s; %llu replies delivered\n",
              static_cast<unsigned long long>(figures.dispatched), static_cast<unsigned long long>(figures.removals),
              seconds, static_cast<unsigned long long>(figures.delivered));
  const char* endNames[] = {"answered", "gone", "cancelled", "timed out", "failed"};
  for (const auto& [end, count] : figures.ends)
    std::printf("  ended %-9s %llu\n", endNames[static_cast<int>(end)], static_cast<unsigned long long>(count));
  const char* pointNames[] = {"before a write", "while a read waits", "after a completion", "during a cancellation",
                              "during the echo's delay"};
  for (int i = 0; i < static_cast<int>(RemovalPoint::Count); ++i)
    std::printf("  removed %-24s %llu\n", pointNames[i], static_cast<unsigned long long>(figures.removalsAt[i]));
  EXPECT_GE(figures.removals, figures.dispatched / 10);
}

}  // namespace
