// Device thread figures against a simulated touch screen that answers at once:
//  - one request to its end of reply, step by step (post, device thread, worker start, report
//    written, reply due, read completed, reply posted, reply handled), with the simulator's own
//    share (the time inside its calls and any lateness of its answers) apart from the program's;
//  - CPU time of the process over 30 s with the touch stream on and no touches (Wine counts
//    process time in 10 ms ticks: over 30 s that is 0.03 % of a core).
// Run under Wine: wine64 device_bench.exe [exchanges]
#include <windows.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/bench_timing.h"
#include "base/core/user_messages.h"
#include "device/device_client.h"
#include "device/core/report_protocol.h"
#include "device/device_thread.h"
#include "device/exchange_timing.h"
#include "device/report_worker.h"
#include "device/touch_screen_list.h"
#include "simulator/simulated_touch_screen.h"

namespace {

bench::TimedHidSystem* g_hid = nullptr;

// The stamps of the request's own worker (the echo's worker runs beside it, off the path).
struct Stamps {
  double dispatched = 0, workerStarted = 0, written = 0, firstRead = 0, lastPosted = 0;
};
Stamps g_stamps;

void Observe(ExchangeStep step, std::uint16_t, bool echo) {
  const double now = bench::NowMs();
  if (step == ExchangeStep::WorkerStarted) bench::TimedHidSystem::CountThisThread(!echo);
  if (echo) return;
  switch (step) {
    case ExchangeStep::Dispatched: g_stamps.dispatched = now; break;
    case ExchangeStep::WorkerStarted: g_stamps.workerStarted = now; break;
    case ExchangeStep::ReportWritten: g_stamps.written = now; break;
    case ExchangeStep::ReadCompleted:
      if (!g_stamps.firstRead) g_stamps.firstRead = now;
      break;
    case ExchangeStep::ReplyPosted: g_stamps.lastPosted = now; break;
  }
}

enum Segment { kPostToThread, kThreadToWorker, kWorkerToWritten, kWrittenToRead, kReadToPosted, kPostedToHandled,
               kSegments };
const char* const kSegmentNames[kSegments] = {
    "post -> device thread", "device thread -> worker start", "worker start -> report written",
    "report written -> first reply read", "first reply read -> last reply posted", "last reply posted -> handled"};

struct Sample {
  double total = 0;
  double simulator = 0;  // inside the simulator's calls, plus any lateness of its answers
  double latestDue = 0;  // when the last reply was due, after the report was written
  std::array<double, kSegments> segments{};
};

// Posts one request and waits on this thread's queue until its end-of-reply report arrives.
Sample Exchange(TouchScreenList& list, std::uint8_t b1, std::uint8_t b2, bool echo) {
  static HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  const std::uint8_t request[] = {0x31, b1, b2};
  g_stamps = {};
  g_hid->TakeSimulatorMs();
  SimulatedHid().TakeDeliveries();
  const double posted = bench::NowMs();
  device_client::PostReport(window, list.handle(0), 0, request, sizeof request);
  MSG msg;
  double handled = 0;
  for (;;) {
    GetMessageW(&msg, nullptr, 0, 0);
    if (msg.message > WM_USER && msg.lParam) {
      std::unique_ptr<DeviceReport> reply = device_client::TakeReply(msg.lParam);
      if (protocol::IsEndOfReply(reply->report)) {
        handled = bench::NowMs();
        break;
      }
      // The data reply of "o" is held for the echo commands, as the windows do.
      if (msg.message == UM_REPLY_O) device_client::HoldReply(std::move(reply));
      continue;
    }
    DispatchMessageW(&msg);
  }
  // Let the worker end before the next exchange, so that its last steps do not overlap it.
  while (RunningReportWorkers() > 0) Sleep(0);

  Sample s;
  s.total = handled - posted;
  s.simulator = g_hid->TakeSimulatorMs();
  for (const auto& d : SimulatedHid().TakeDeliveries()) {
    if (echo && d.byte2 == 'K') continue;  // the end of the echo's own exchange, off the path
    s.simulator += std::max(0.0, d.completedMs - std::max(d.dueMs, d.readStartedMs));
    s.latestDue = std::max(s.latestDue, d.dueMs - g_stamps.written);
  }
  const Stamps& t = g_stamps;
  s.segments = {t.dispatched - posted, t.workerStarted - t.dispatched, t.written - t.workerStarted,
                t.firstRead - t.written, t.lastPosted - t.firstRead, handled - t.lastPosted};
  return s;
}

void Report(const char* name, const std::vector<Sample>& samples, double floorMs, bool goals) {
  std::vector<double> total, simulator, program;
  std::array<std::vector<double>, kSegments> segments;
  for (const Sample& s : samples) {
    total.push_back(s.total);
    simulator.push_back(s.simulator);
    program.push_back(s.total - s.simulator - floorMs);
    for (int i = 0; i < kSegments; ++i) segments[i].push_back(s.segments[i]);
  }
  std::printf("\n%s, %zu exchanges (protocol wait %.0f ms)\n", name, samples.size(), floorMs);
  std::printf("  %-40s %9s %9s %9s\n", "", "median", "p90", "p99");
  for (int i = 0; i < kSegments; ++i) {
    std::printf("  %-40s %9.3f %9.3f %9.3f\n", kSegmentNames[i], bench::Percentile(segments[i], 0.5),
                bench::Percentile(segments[i], 0.9), bench::Percentile(segments[i], 0.99));
  }
  std::printf("  %-40s %9.3f %9.3f %9.3f\n", "total", bench::Percentile(total, 0.5), bench::Percentile(total, 0.9),
              bench::Percentile(total, 0.99));
  std::printf("  %-40s %9.3f %9.3f %9.3f\n", "  simulator's share", bench::Percentile(simulator, 0.5),
              bench::Percentile(simulator, 0.9), bench::Percentile(simulator, 0.99));
  std::printf("  %-40s %9.3f %9.3f %9.3f", "  program's overhead (total - sim - wait)", bench::Percentile(program, 0.5),
              bench::Percentile(program, 0.9), bench::Percentile(program, 0.99));
  if (goals) {
    const double median = bench::Percentile(program, 0.5), p99 = bench::Percentile(program, 0.99);
    std::printf("   goal: median < 0.5, p99 < 2 -> %s", median < 0.5 && p99 < 2.0 ? "met" : "NOT MET");
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const int exchanges = argc > 1 ? std::max(10, std::atoi(argv[1])) : 500;
  bench::PrintLoad("before");
  SimulatedHid().Add();
  bench::TimedHidSystem hid(SimulatedHid());
  g_hid = &hid;
  TouchScreenList list(hid);
  CDeviceThread* thread = CDeviceThread::CreateSuspended(DeviceContext{&hid, &list});
  g_nDeviceThreadId = thread->id();
  thread->Resume();
  SimulatedHid().RecordDeliveries(true);
  SetExchangeObserver(&Observe);

  for (int i = 0; i < 20; ++i) Exchange(list, 'o', 0, false);  // warm-up, and the held reply
  std::vector<Sample> open, version;
  for (int i = 0; i < exchanges; ++i) open.push_back(Exchange(list, 'o', 0, false));
  for (int i = 0; i < exchanges / 10; ++i) version.push_back(Exchange(list, 'v', 'v', true));
  std::printf("device thread, simulated touch screen answering at once (times in ms)\n");
  Report("\"o\" (no echo)", open, 0, true);
  Report("\"vv\" (echo: held reply first, the command 80 ms later)", version, kEchoDelayMs, false);
  SetExchangeObserver(nullptr);
  SimulatedHid().RecordDeliveries(false);

  const std::uint8_t streamOn[] = {0x31, 0xAA, 0x50};
  device_client::PostReport(nullptr, list.handle(0), 0, streamOn, sizeof streamOn);
  Sleep(200);
  FILETIME created, exited, kernel0, user0, kernel1, user1;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel0, &user0);
  const double t0 = bench::NowMs();
  Sleep(30000);
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel1, &user1);
  const double wall = bench::NowMs() - t0;
  auto ms = [](FILETIME f) { return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 10000.0; };
  const double cpu = ms(kernel1) + ms(user1) - ms(kernel0) - ms(user0);
  std::printf("\ntouch stream on, idle: CPU %.1f ms over %.0f ms = %.3f %% of one core (workers running: %d)"
              "   goal: < 0.1 %% -> %s\n",
              cpu, wall, 100.0 * cpu / wall, RunningReportWorkers(), 100.0 * cpu / wall < 0.1 ? "met" : "NOT MET");
  device_client::ForgetTouchStream();
  Sleep(200);
  bench::PrintLoad("after");
  return 0;
}
