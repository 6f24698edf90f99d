// The real device thread and report workers against the simulated touch screen: dispatch,
// the held-reply echo, the touch-stream filter, acknowledge mode, QueryAllDevices, the end
// of an exchange and a removal during a read.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "base/core/user_messages.h"
#include "base/scoped_handle.h"
#include "device/core/report_protocol.h"
#include "device/device_query.h"
#include "device/device_services.h"
#include "device/core/exchange_lanes.h"
#include "framework/wnd.h"
#include "simulator/simulated_monitors.h"
#include "simulator/simulated_touch_screen.h"

// Live heap blocks of the size of a DeviceReport: every request and reply record is one, so a
// record that nobody releases shows up here.
namespace {
std::atomic<long> g_nLiveRecords{0};
}
void* operator new(std::size_t size) {
  if (size == sizeof(DeviceReport)) g_nLiveRecords.fetch_add(1);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  // Without the size, count by the block itself: only record-sized blocks are tracked.
  if (p && _msize(p) == sizeof(DeviceReport)) g_nLiveRecords.fetch_sub(1);
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

struct Reply {
  UINT message;
  sim::Bytes bytes;
  int deviceIndex;
  ULONGLONG at;
};

std::vector<Reply>* g_replies = nullptr;
DeviceClient* g_pClient = nullptr;  // the test's, whose replies the window takes

LRESULT CALLBACK CollectReplies(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= UM_DEVICE_REQUEST && message <= UM_MAPPING_END && lParam) {
    const std::unique_ptr<DeviceReport> reply = g_pClient->TakeReply(lParam);
    if (!reply) return 0;
    g_replies->push_back(Reply{message, sim::Bytes(reply->report, reply->report + kReportSize),
                               reply->deviceIndex, GetTickCount64()});
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG start = GetTickCount64();
  MSG msg;
  for (;;) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (done()) return true;
    if (GetTickCount64() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

void Pump(DWORD ms) { WaitUntil([] { return false; }, ms); }

// A limit that only ends a wait for what will never come: a loaded machine never reaches it.
constexpr DWORD kHangLimitMs = 30000;

class DeviceThreadTest : public ::testing::Test {
protected:
  void SetUp() override {
    SimulatedHid().Reset();
    g_replies = &m_replies;
    WNDCLASSW wc{};
    wc.lpfnWndProc = CollectReplies;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"DeviceThreadTestWindow";
    RegisterClassW(&wc);
    m_hWindow = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            wc.hInstance, nullptr);
    ASSERT_NE(m_hWindow, nullptr);
  }

  void TearDown() override {
    // Ends whatever still reads, then the thread, then the records.
    if (m_pDevices) {
      client().ForgetTouchStream();
      client().StopWorkers();
      EXPECT_TRUE(WaitUntil([] { return RunningReportWorkers() == 0; }, kHangLimitMs));
      client().AllowWorkers();
      EXPECT_TRUE(m_pDevices->StopDeviceThread(kHangLimitMs));
    }
    DestroyWindow(m_hWindow);
    m_pDevices.reset();
    g_replies = nullptr;
    SimulatedHid().Reset();
  }

  // Plugs in `count` touch screens, lists them and starts the device thread.
  void Start(int count = 1, const sim::TouchScreenConfig& config = {}) {
    Start(std::vector<sim::TouchScreenConfig>(count, config));
  }
  void Start(const std::vector<sim::TouchScreenConfig>& configs) {
    const int count = static_cast<int>(configs.size());
    for (const sim::TouchScreenConfig& config : configs) m_screens.push_back(SimulatedHid().Add(config));
    m_pDevices = std::make_unique<DeviceServices>(SimulatedHid(), SimulatedMonitors());
    ASSERT_EQ(list().count(), static_cast<std::uint32_t>(count));
    g_pClient = &m_pDevices->client();
    ASSERT_TRUE(m_pDevices->StartDeviceThread());
  }

  TouchScreenList& list() { return m_pDevices->list(); }
  DeviceClient& client() { return m_pDevices->client(); }

  void Post(std::initializer_list<std::uint8_t> head, int index = 0, HWND window = nullptr) {
    const std::vector<std::uint8_t> report(head);
    ASSERT_TRUE(client().PostReport(window ? window : m_hWindow, list().shared(index), index,
                                          report.data(), report.size()));
  }

  // The exchange's own reply read is pending: its report is written and one read is out. What
  // is read off before the report goes (after an exchange that did not end cleanly) is
  // pending only for a moment, with no reply record yet.
  bool WaitForReplyRead(int index = 0, std::size_t written = 1) {
    return WaitUntil([&] {
      return m_screens[index]->OutputReports().size() >= written && m_screens[index]->pendingReads() == 1;
    }, kHangLimitMs);
  }

  // The "o" exchange as a window does it: the data reply becomes the held reply.
  void OpenExchange(int index = 0) {
    Post({0x31, 'o', 0}, index);
    ASSERT_TRUE(WaitUntil([&] { return m_replies.size() >= 2; }, kHangLimitMs));
    ASSERT_EQ(m_replies[0].message, UM_REPLY_O);
    auto held = std::make_unique<DeviceReport>();
    std::copy(m_replies[0].bytes.begin(), m_replies[0].bytes.end(), held->report);
    client().HoldReply(std::move(held));
    m_replies.clear();
    ASSERT_TRUE(WaitUntil([] { return RunningReportWorkers() == 0; }, kHangLimitMs));
    m_screens[index]->ClearRecords();
  }

  HWND m_hWindow = nullptr;
  std::unique_ptr<DeviceServices> m_pDevices;
  std::vector<std::shared_ptr<SimulatedTouchScreen>> m_screens;
  std::vector<Reply> m_replies;
};

TEST_F(DeviceThreadTest, EchoCommandBeforeAnyOpenIsDropped) {
  Start();
  Post({0x31, 'v', 'v'});
  Pump(300);
  EXPECT_TRUE(m_screens[0]->OutputReports().empty());
  EXPECT_TRUE(m_replies.empty());
  EXPECT_EQ(RunningReportWorkers(), 0);
}

TEST_F(DeviceThreadTest, EndOfReplyIsHandedOnAndEndsTheWorker) {
  Start();
  Post({0x31, 'o', 0}, 0);
  ASSERT_TRUE(WaitUntil([&] { return m_replies.size() >= 2 && RunningReportWorkers() == 0; }, kHangLimitMs));
  ASSERT_EQ(m_replies.size(), 2u);
  EXPECT_EQ(m_replies[0].bytes, m_screens[0]->OpenReply());
  EXPECT_EQ(m_replies[1].bytes, sim::TouchScreenModel::EndOfReply('A', 'o'));
  EXPECT_EQ(m_replies[1].message, UM_REPLY_O);
  // Nothing reads any more: a later report stays queued in the device.
  m_screens[0]->InjectReport(sim::TouchScreenModel::EndOfReply('B', 0));
  Pump(100);
  EXPECT_EQ(m_screens[0]->pendingReads(), 0);
  EXPECT_EQ(m_screens[0]->queuedReports(), 1u);
  EXPECT_EQ(m_replies.size(), 2u);
}

TEST_F(DeviceThreadTest, SerialRequestSendsTheHeldReplyFirstAndItself80msLater) {
  Start();
  OpenExchange();
  Post({0x31, 'v', 's'});
  ASSERT_TRUE(WaitUntil([&] { return m_replies.size() >= 2; }, kHangLimitMs));
  const auto out = m_screens[0]->OutputReports();
  const auto times = m_screens[0]->OutputReportTimes();
  ASSERT_EQ(out.size(), 2u);
  sim::Bytes echo = m_screens[0]->OpenReply();
  echo[0] = 0x31;
  EXPECT_EQ(out[0], echo);
  sim::Bytes command(100, 0);
  command[0] = 0x31;
  command[1] = 'v';
  command[2] = 's';
  EXPECT_EQ(out[1], command);
  EXPECT_GE(times[1] - times[0], 70u);
  EXPECT_LE(times[1] - times[0], 400u);
  // Only the command's replies reach the window; the echo has none to give.
  ASSERT_EQ(m_replies.size(), 2u);
  EXPECT_EQ(m_replies[0].message, UM_REPLY_VS);
  EXPECT_EQ(m_replies[0].bytes[1], 'V');
  EXPECT_EQ(m_replies[0].bytes[2], 's');
  EXPECT_EQ(m_replies[1].bytes, sim::TouchScreenModel::EndOfReply('A', 's'));
}

TEST_F(DeviceThreadTest, WhileTheStreamIsOnOnlyLiftOffRepliesReachTheWindow) {
  Start(2);
  OpenExchange();
  // The second touch screen streams, with no window to take its reports.
  const std::uint8_t streamOn[] = {0x31, 0xAA, 0x50};
  ASSERT_TRUE(client().PostReport(nullptr, list().shared(1), 1, streamOn, sizeof streamOn));
  ASSERT_TRUE(WaitForReplyRead(1));
  Post({0x31, 'v', 'v'});
  ASSERT_TRUE(m_screens[0]->WaitForOutputReports(2, kHangLimitMs));
  ASSERT_TRUE(WaitUntil([] { return RunningReportWorkers() == 1; }, kHangLimitMs));  // the stream's reader
  Pump(200);
  EXPECT_TRUE(m_replies.empty());  // neither "V", "v" nor the end of reply has byte 2 = 0x84
}

TEST_F(DeviceThreadTest, TouchStreamDeliversLiftOffsAndEndsWithinOneSlice) {
  Start();
  Post({0x31, 0xAA, 0x50});
  ASSERT_TRUE(WaitForReplyRead());
  EXPECT_TRUE(client().IsTouchStreamOn());
  EXPECT_TRUE(m_screens[0]->InjectTouch(0x0123, 0x0456, 0x81));  // finger down: filtered
  EXPECT_TRUE(m_screens[0]->InjectTouch(0x0ABC, 0x0DEF));
  ASSERT_TRUE(WaitUntil([&] { return !m_replies.empty(); }, kHangLimitMs));
  Pump(50);
  ASSERT_EQ(m_replies.size(), 1u);
  EXPECT_EQ(m_replies[0].message, UM_TOUCH_POINT);
  EXPECT_EQ(m_replies[0].bytes[3] | m_replies[0].bytes[4] << 8, 0x0ABC);
  EXPECT_EQ(m_replies[0].bytes[5] | m_replies[0].bytes[6] << 8, 0x0DEF);
  ASSERT_EQ(RunningReportWorkers(), 1);

  const ULONGLONG start = GetTickCount64();
  Post({0x31, 0xAA, 0x55});
  ASSERT_TRUE(WaitUntil([] { return RunningReportWorkers() == 0; }, kHangLimitMs));
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_LE(took, 60u + 120u) << "the stream worker ended " << took << " ms after 0xAA 0x55";
  EXPECT_FALSE(client().IsTouchStreamOn());
  EXPECT_FALSE(m_screens[0]->streamOn());
  EXPECT_EQ(m_screens[0]->pendingReads(), 0);  // its read was cancelled and waited for
}

TEST_F(DeviceThreadTest, FirmwarePacketIsAnsweredWithUpdateReplies) {
  Start();
  Post({0x51, 'A', 0x07, 0x00, 0x05});
  ASSERT_TRUE(WaitUntil([&] { return !m_replies.empty(); }, kHangLimitMs));
  EXPECT_EQ(m_replies[0].message, UM_REPLY_UPDATE);
  EXPECT_EQ(m_replies[0].bytes[1], 0x11);
  EXPECT_EQ(m_screens[0]->packetCount(), 1);
  EXPECT_FALSE(client().IsTouchStreamOn());
}

TEST_F(DeviceThreadTest, NumberReadFillsTheRecordAndNumberWriteStoresIt) {
  sim::TouchScreenConfig config;
  config.number = 7;
  Start(1, config);
  OpenExchange();
  Post({0x31, 'v', '1'});
  ASSERT_TRUE(WaitUntil([&] { return m_replies.size() >= 2; }, kHangLimitMs));
  EXPECT_EQ(m_replies[0].message, UM_REPLY_V1_READ);
  EXPECT_EQ(list().device(0)->TouchScreenNo.load(), 7);  // the end of reply ("A") stores nothing
  m_replies.clear();
  Post({0x31, 'V', '1', 3});
  ASSERT_TRUE(WaitUntil([&] { return !m_replies.empty(); }, kHangLimitMs));
  EXPECT_EQ(m_replies[0].message, UM_REPLY_V1_WRITE);
  EXPECT_EQ(m_screens[0]->number(), 3);
}

TEST_F(DeviceThreadTest, AcknowledgeModeStoresTheVersionTimes324) {
  sim::TouchScreenConfig config;
  config.version = {1, 2, 3, 4, 5, 6};
  Start(1, config);
  client().EnterAcknowledgeMode();
  ASSERT_TRUE(QueryAllDevices(client()));
  ASSERT_TRUE(WaitUntil([&] { return RunningReportWorkers() == 0; }, kHangLimitMs));
  EXPECT_EQ(list().device(0)->HwVersion[0].load(), 326);
  EXPECT_EQ(list().device(0)->HwVersion[1].load(), 976);
  EXPECT_EQ(list().device(0)->HwVersion[2].load(), 1626);
  EXPECT_TRUE(client().HasHeldReply());  // the "o" data reply was held by the worker
  EXPECT_TRUE(m_replies.empty());       // nothing goes to windows in acknowledge mode
  EXPECT_FALSE(client().WorkersStopped());
}

TEST_F(DeviceThreadTest, AcknowledgeModeStoresNothingForABlankVersion) {
  sim::TouchScreenConfig config;
  config.unversioned = true;
  Start(2, config);
  client().EnterAcknowledgeMode();
  ASSERT_TRUE(QueryAllDevices(client()));
  ASSERT_TRUE(WaitUntil([&] { return RunningReportWorkers() == 0; }, kHangLimitMs));
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(list().device(i)->HwVersion[0].load(), -1);
    EXPECT_EQ(m_screens[i]->OutputReports().size(), 3u);  // "o", the echo, "vv"
  }
}

TEST_F(DeviceThreadTest, QueryWithoutDeviceThreadFailsAfterAbout3500ms) {
  m_screens.push_back(SimulatedHid().Add());
  m_pDevices = std::make_unique<DeviceServices>(SimulatedHid(), SimulatedMonitors());  // no device thread
  client().EnterAcknowledgeMode();
  const long before = g_nLiveRecords.load();
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(QueryAllDevices(client()));
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_GE(took, 3400u);
  EXPECT_LE(took, 5000u);
  EXPECT_TRUE(client().WorkersStopped());
  EXPECT_EQ(g_nLiveRecords.load(), before);  // the request that could not be posted was released
  EXPECT_TRUE(m_screens[0]->OutputReports().empty());
}

// A query's pause lasts at least its time, although the timed waits under it may end early,
// and a cancel ends it at once.
TEST_F(DeviceThreadTest, AQueryPauseLastsItsTimeOrEndsAtTheCancel) {
  Start();
  const ScopedHandle cancel(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const device_client::QueryWaits waits(client(), nullptr, cancel.get());
  for (DWORD ms : {1u, 20u, 200u}) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    EXPECT_TRUE(waits.Pause(ms));
    QueryPerformanceCounter(&end);
    EXPECT_GE((end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart, ms) << ms;
  }
  SetEvent(cancel.get());
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(waits.Pause(10000));
  EXPECT_LT(GetTickCount64() - start, 5000u);
}

TEST_F(DeviceThreadTest, RemovalDuringAReadEndsTheWorkerWithNothingLeaked) {
  sim::TouchScreenConfig config;
  config.silent = true;
  Start(1, config);
  const long before = g_nLiveRecords.load();
  Post({0x31, 'o', 0});
  ASSERT_TRUE(WaitForReplyRead());
  EXPECT_EQ(g_nLiveRecords.load(), before + 2);  // the request and its reply buffer
  m_screens[0]->Remove();
  ASSERT_TRUE(WaitUntil([] { return RunningReportWorkers() == 0; }, kHangLimitMs));
  EXPECT_EQ(g_nLiveRecords.load(), before);
  EXPECT_TRUE(m_replies.empty());
}

TEST_F(DeviceThreadTest, ReplyThatCannotBePostedIsReleased) {
  Start();
  HWND gone = CreateWindowW(L"DeviceThreadTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  DestroyWindow(gone);
  const long before = g_nLiveRecords.load();
  Post({0x31, 'o', 0}, 0, gone);
  ASSERT_TRUE(m_screens[0]->WaitForOutputReports(1, kHangLimitMs));
  ASSERT_TRUE(WaitUntil([] { return RunningReportWorkers() == 0; }, kHangLimitMs));
  EXPECT_EQ(g_nLiveRecords.load(), before);
}

TEST_F(DeviceThreadTest, StopWorkersEndsASilentExchangeWithinOneSlice) {
  sim::TouchScreenConfig config;
  config.silent = true;
  Start(1, config);
  Post({0x31, 'o', 0});
  ASSERT_TRUE(WaitForReplyRead());
  Pump(200);
  EXPECT_EQ(RunningReportWorkers(), 1);  // no time-out of its own
  client().StopWorkers();
  EXPECT_TRUE(WaitUntil([] { return RunningReportWorkers() == 0; }, kHangLimitMs));
  EXPECT_EQ(m_screens[0]->pendingReads(), 0);
}

// A window that goes with replies still on their way to it: its ticket goes with it, so they
// are released (at the services' next look) and no reader posts to it again.
TEST_F(DeviceThreadTest, RepliesQueuedForADestroyedWindowAreFreed) {
  Start();
  CWnd object;
  ASSERT_TRUE(object.SubclassWindow(CreateWindowW(L"DeviceThreadTestWindow", L"", 0, 0, 0, 0, 0,
                                                  HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                                                  nullptr)));
  const HWND window = object.m_hWnd;
  const long before = g_nLiveRecords.load();
  Post({0x31, 'o', 0}, 0, window);
  // No message is taken from the queue until the window goes.
  ASSERT_TRUE(m_screens[0]->WaitForOutputReports(1, kHangLimitMs));
  const ULONGLONG start = GetTickCount64();
  while (RunningReportWorkers() != 0 && GetTickCount64() - start < kHangLimitMs) Sleep(10);
  MSG peeked;
  ASSERT_TRUE(PeekMessageW(&peeked, window, UM_REPLY_O, UM_REPLY_O, PM_NOREMOVE));
  EXPECT_EQ(g_nLiveRecords.load() - before, 2);  // the data reply and the end of reply
  DestroyWindow(window);
  EXPECT_EQ(m_pDevices->replyWindows().waiting(), 0);
  EXPECT_EQ(g_nLiveRecords.load(), before);
}

}  // namespace

// ---- A touch screen that does not answer at once ----

namespace {

struct CommandCase {
  const char* name;
  std::uint8_t command1, command2;
  UINT message;
};

bool Ends(const std::vector<Reply>& replies) {
  return !replies.empty() && protocol::IsEndOfReply(replies.back().bytes.data());
}

// Data reports of an answer: the LED levels come eight bytes a report.
std::size_t DataReports(const CommandCase& c, const sim::TouchScreenConfig& config) {
  if (c.command1 != 'Z') return 1;
  return (sim::TouchScreenModel(config).LedLevelStream().size() + 7) / 8;
}

}  // namespace

// The echo's end comes after the command's 80 ms: the command still gets its own replies, and
// the exchange after it gets its own.
TEST_F(DeviceThreadTest, AnEchoAnsweredLateLeavesEveryExchangeItsOwnReplies) {
  const CommandCase cases[] = {{"Zv", 'Z', 'v', UM_REPLY_ZV},
                               {"vv", 'v', 'v', UM_REPLY_VV},
                               {"vs", 'v', 's', UM_REPLY_VS},
                               {"V1", 'V', '1', UM_REPLY_V1_WRITE}};
  sim::TouchScreenConfig config;
  config.echoDelayMs = 150;
  config.numberWriteData = true;
  Start(1, config);
  OpenExchange();
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.name);
    m_replies.clear();
    Post({0x31, c.command1, c.command2, 5});
    ASSERT_TRUE(WaitUntil([&] { return Ends(m_replies) && RunningReportWorkers() == 0; }, kHangLimitMs));
    Pump(50);
    EXPECT_EQ(m_replies.size(), DataReports(c, config) + 1);
    for (const Reply& reply : m_replies) EXPECT_EQ(reply.message, c.message);
    EXPECT_EQ(m_replies.back().bytes, sim::TouchScreenModel::EndOfReply('A', c.command2));
    EXPECT_EQ(m_screens[0]->pendingReads(), 0);  // nothing reads once it is over
  }
  m_replies.clear();
  Post({0x31, 'o', 0});
  ASSERT_TRUE(WaitUntil([&] { return Ends(m_replies) && RunningReportWorkers() == 0; }, kHangLimitMs));
  ASSERT_EQ(m_replies.size(), 2u);
  EXPECT_EQ(m_replies[0].bytes, m_screens[0]->OpenReply());
}

// An echo that is never answered: the command is not sent (its answer could not be told from
// the echo's), the exchange ends at the echo's limit and leaves nothing reading.
TEST_F(DeviceThreadTest, AnEchoNeverAnsweredEndsItsExchangeWithoutTheCommand) {
  sim::TouchScreenConfig config;
  config.answerEcho = false;
  Start(1, config);
  OpenExchange();
  const std::uint64_t unanswered = UnansweredEchoes();
  const ULONGLONG start = GetTickCount64();
  Post({0x31, 'V', '1', 2});
  ASSERT_TRUE(m_screens[0]->WaitForOutputReports(1, kHangLimitMs));
  ASSERT_TRUE(WaitUntil([] { return RunningReportWorkers() == 0; }, kHangLimitMs));
  EXPECT_GE(GetTickCount64() - start, kEchoLimitMs - 20);
  EXPECT_EQ(UnansweredEchoes(), unanswered + 1);
  EXPECT_EQ(m_screens[0]->OutputReports().size(), 1u);  // the echo alone
  EXPECT_EQ(m_screens[0]->pendingReads(), 0);
  EXPECT_TRUE(m_replies.empty());
}

// A late answer to an exchange that was given up on belongs to no exchange: the next one
// releases it and counts it, and gets only its own replies.
TEST_F(DeviceThreadTest, AReplyOfNoExchangeIsReleasedAndCountedNotHandedToTheNext) {
  sim::TouchScreenConfig config;
  config.silent = true;
  Start(1, config);
  Post({0x31, 'o', 0});
  ASSERT_TRUE(WaitForReplyRead());
  client().StopWorkers();
  ASSERT_TRUE(WaitUntil([] { return RunningReportWorkers() == 0; }, kHangLimitMs));
  client().AllowWorkers();
  m_screens[0]->Configure([](sim::TouchScreenConfig& c) { c.silent = false; });
  m_screens[0]->InjectReport(sim::TouchScreenModel::EndOfReply('A', 'o'));  // the late end
  const std::uint64_t strays = StrayReplies();
  Post({0x31, 'o', 0});
  ASSERT_TRUE(WaitUntil([&] { return Ends(m_replies) && RunningReportWorkers() == 0; }, kHangLimitMs));
  ASSERT_EQ(m_replies.size(), 2u);
  EXPECT_EQ(m_replies[0].bytes, m_screens[0]->OpenReply());
  EXPECT_EQ(StrayReplies(), strays + 1);
}

// A request for a streaming touch screen runs between the stream's reads, and the stream goes
// on after it; a stream-off behind it ends the stream at once.
TEST_F(DeviceThreadTest, ARequestInterruptsTheTouchStreamWhichResumesAfterIt) {
  Start();
  OpenExchange();
  Post({0x31, 0xAA, 0x50});
  ASSERT_TRUE(WaitForReplyRead());
  Post({0x31, 'o', 0}, 0, nullptr);
  ASSERT_TRUE(m_screens[0]->WaitForOutputReports(2, kHangLimitMs));
  ASSERT_TRUE(WaitUntil([&] { return RunningReportWorkers() == 1 && m_screens[0]->pendingReads() == 1; }, kHangLimitMs));
  ASSERT_TRUE(m_screens[0]->InjectTouch(0x0111, 0x0222));
  ASSERT_TRUE(WaitUntil([&] { return !m_replies.empty(); }, kHangLimitMs));
  EXPECT_EQ(m_replies[0].message, UM_TOUCH_POINT);
  const ULONGLONG start = GetTickCount64();
  Post({0x31, 0xAA, 0x55});
  ASSERT_TRUE(WaitUntil([] { return RunningReportWorkers() == 0; }, kHangLimitMs));
  EXPECT_LE(GetTickCount64() - start, 60u) << "the stream gives way to its stream-off at once";
}

// 400 LED reports, one each 0.5 ms, from a touch screen whose handle the system would give 32
// input buffers, while the window handles nothing for 200 ms: the list raises the handle's
// buffers to 512, and the exchange posts each report as it reads it, so none is dropped.
TEST_F(DeviceThreadTest, ALongRunIsReadWholeThroughA32ReportBufferWhileTheWindowIsBusy) {
  sim::TouchScreenConfig config;
  config.inputBuffer = 32;
  config.reportIntervalUs = 500;
  sim::Bytes stream(400 * 8, 0x42);
  stream[0] = 'Z';
  stream[1] = 'v';
  config.leds.zvStream = stream;
  Start(1, config);
  OpenExchange();
  Post({0x31, 'Z', 'v'});
  Sleep(200);  // the window's thread is busy
  ASSERT_TRUE(WaitUntil([&] { return Ends(m_replies) && RunningReportWorkers() == 0; }, kHangLimitMs));
  EXPECT_EQ(m_replies.size(), 401u);
  EXPECT_EQ(m_screens[0]->droppedReports(), 0u);
}

// The slot race: a "v1" exchange of the touch screen in slot 1 is still reading when the one in
// slot 0 goes and the others move down. What it learns goes into the touch screen it was asked
// of, now in slot 0, never into the one that moved into its old slot; and its replies reach the
// window under the slot their touch screen holds when the window takes them.
TEST_F(DeviceThreadTest, AnExchangeOutlivesTheMoveOfItsTouchScreensSlot) {
  std::vector<sim::TouchScreenConfig> configs(3);
  for (int i = 0; i < 3; ++i) configs[i].number = static_cast<std::uint8_t>(11 + i);
  configs[1].replyDelayMs = 300;
  Start(configs);
  OpenExchange(1);
  TouchScreenDevice* const asked = list().device(1);
  TouchScreenDevice* const third = list().device(2);
  Post({0x31, 'v', '1'}, 1);
  ASSERT_TRUE(WaitUntil([&] { return m_screens[1]->OutputReports().size() >= 2; }, kHangLimitMs));
  m_screens[0]->Remove();
  list().RemoveAt(0);
  ASSERT_TRUE(WaitUntil([&] { return m_replies.size() >= 2 && RunningReportWorkers() == 0; }, kHangLimitMs));
  ASSERT_EQ(list().device(0), asked);
  ASSERT_EQ(list().device(1), third);
  EXPECT_EQ(asked->TouchScreenNo.load(), 12);
  EXPECT_EQ(third->TouchScreenNo.load(), -1);
  for (const Reply& reply : m_replies) EXPECT_EQ(reply.deviceIndex, 0);
}

// A reply of a touch screen that went before the window took it is released, not handed on
// under the index of the touch screen that moved into its slot.
TEST_F(DeviceThreadTest, TheRepliesOfAGoneTouchScreenNeverReachTheWindow) {
  Start(2);
  Post({0x31, 'o', 0}, 0);
  ASSERT_TRUE(m_screens[0]->WaitForOutputReports(1, kHangLimitMs));
  const ULONGLONG start = GetTickCount64();
  while (RunningReportWorkers() != 0 && GetTickCount64() - start < kHangLimitMs) Sleep(10);
  MSG peeked;
  // Replies are on their way, not yet taken.
  ASSERT_TRUE(PeekMessageW(&peeked, m_hWindow, UM_REPLY_O, UM_REPLY_O, PM_NOREMOVE));
  m_replies.clear();
  m_screens[0]->Remove();
  list().RemoveAt(0);
  Pump(50);
  EXPECT_TRUE(m_replies.empty());
  EXPECT_EQ(m_pDevices->replyWindows().waiting(), 0);
}

// Ending a window's exchanges takes its replies without running its message loop: a message
// sent to the thread meanwhile (a second device change, say) waits for the loop, and cannot run
// in the middle of the handling that ends the exchanges.
TEST_F(DeviceThreadTest, EndingAWindowsExchangesRunsNoSentMessage) {
  static std::atomic<bool> ending{false};
  static std::atomic<bool> ranWhileEnding{false};
  static std::atomic<bool> ran{false};
  Start();
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_APP + 7) {
      ran = true;
      if (ending) ranWhileEnding = true;
      return 1;
    }
    return DefWindowProcW(w, m, wp, lp);
  };
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"DeviceThreadTestSentWindow";
  RegisterClassW(&wc);
  const HWND window = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  Post({0x31, 'o', 0}, 0, window);
  ASSERT_TRUE(WaitUntil([&] { return RunningReportWorkers() == 0; }, kHangLimitMs));
  std::thread sender([window] {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_APP + 7, 0, 0, SMTO_NORMAL, 10000, &result);
  });
  Sleep(200);  // the sent message waits for this thread
  ending = true;
  client().EndExchanges(window);
  ending = false;
  Pump(200);
  sender.join();
  EXPECT_TRUE(ran.load());
  EXPECT_FALSE(ranWhileEnding.load());
  EXPECT_EQ(m_pDevices->replyWindows().waiting(), 0);
  DestroyWindow(window);
}
