// Benchmark: time from start to a ready list (the wait cursor gone) in the main window, with
// 1, 2 and 8 simulated touch screens that answer at once, against the floor that the start-up
// query's own sleeps and echo delays set: per touch screen 200 ms + 3 x 20 ms of sleeps and
// 2 echo delays (kEchoDelayMs) before the awaited "vv" and "vs" replies, 420 ms. Also the peak
// memory of each run. The time over the floor is split into the device side (each awaited
// exchange from the device thread taking the request to its last reply posted, beyond its echo
// delay), the list's refresh at the end (from the last request to the ready list: the driver
// records read, the items inserted), and the rest of the window's side (its pauses, its posts
// and its handling of the replies).
//
// Each count runs in a process of its own (the touch screen list is built once per process):
//   wine64 main_window_bench.exe [runs=N] runs 1, 2 and 8, N times each (5), and prints the table
//   wine64 main_window_bench.exe <count>  one run, prints "<ms since start> <ms since window>"
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <vector>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/test_driver_library.h"
#include "bench/bench_timing.h"
#include "config/driver_library.h"
#include "device/core/report_protocol.h"
#include "device/core/exchange_timing.h"
#include "support/test_devices.h"
#include "support/process_runner.h"
#include "ui/main_window.h"

namespace {

double MsSinceProcessStart() {
  FILETIME created, exited, kernel, user, now;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  ::GetSystemTimePreciseAsFileTime(&now);
  auto ticks = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

// Device side of the awaited exchanges ("o", "vv", "vs"): from the dispatch to the last reply
// posted by the request's own worker. Exchanges of the query run one after another.
double g_dispatched = 0, g_lastPosted = 0, g_deviceSideMs = 0;
std::uint16_t g_nCode = 0;

void CloseExchange() {
  if (g_nCode && g_nCode != 0x7631 && g_lastPosted > g_dispatched)  // "v1" is not awaited
    g_deviceSideMs += g_lastPosted - g_dispatched - (protocol::LookupCommand(g_nCode).echo ? double(kEchoDelayMs) : 0.0);
  g_nCode = 0;
}

void Observe(ExchangeStep step, std::uint16_t code, bool echo) {
  const double now = bench::NowMs();
  if (step == ExchangeStep::Dispatched) {
    CloseExchange();
    g_nCode = code;
    g_dispatched = now;
    g_lastPosted = 0;
  } else if (step == ExchangeStep::ReplyPosted && !echo && code == g_nCode) {
    g_lastPosted = now;
  }
}

// The main window, noting when its opening has started the start-up query (the last step of
// WM_INITDIALOG) and when the list became ready: the query is timed from the one to the other.
class BenchWindow : public CPelnixCplDlg {
public:
  BenchWindow() : CPelnixCplDlg(TestDevices(), TestDriverLibrary()) {}
  std::atomic<double> queryStarted{0};
  std::atomic<double> listReady{0};

  BOOL PreTranslateMessage(MSG* msg) override {
    // The refresh that makes the list ready posts this as it ends, to set the cursor again: it
    // marks the end of the query without the delay of a thread polling for it.
    if (msg->message == WM_SETCURSOR && msg->hwnd == m_hWnd && IsListReady() && listReady == 0)
      listReady = bench::NowMs();
    return CPelnixCplDlg::PreTranslateMessage(msg);
  }

protected:
  BOOL OnInitDialog() override {
    const BOOL result = CPelnixCplDlg::OnInitDialog();
    queryStarted = bench::NowMs();
    return result;
  }
};

int RunOnce(int count) {
  SetExchangeObserver(&Observe);
  for (int i = 0; i < count; ++i) {
    sim::TouchScreenConfig config;
    config.number = static_cast<std::uint8_t>(i);
    SimulatedHid().Add(config);
  }
  TestDriverLibrary().LoadFrom(DistPath(kDriverLibraryName));
  TestDevices().StartDeviceThread();

  BenchWindow window;
  const auto opened = std::chrono::steady_clock::now();
  const double openedMs = bench::NowMs();
  double sinceStart = 0, sinceWindow = 0, shown = 0, readyMs = 0;
  std::thread watcher([&] {
    while (!window.GetSafeHwnd() || !::IsWindowVisible(window.GetSafeHwnd())) ::Sleep(1);
    shown = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - opened).count();
    while (window.listReady == 0) ::Sleep(1);
    readyMs = window.listReady;
    sinceStart = MsSinceProcessStart() - (bench::NowMs() - readyMs);
    sinceWindow = readyMs - openedMs;
    ::PostMessageW(window.GetSafeHwnd(), WM_COMMAND, IDOK, 0);
  });
  window.DoModal();
  watcher.join();
  CloseExchange();
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));
  // The last request ("v1" of the last touch screen) to the ready list: the list's refresh.
  std::printf("%.1f %.1f %.1f %.1f %.1f %.2f %.2f %.2f\n", sinceStart, sinceWindow, shown, memory.PeakWorkingSetSize / 1048576.0,
              memory.PeakPagefileUsage / 1048576.0, g_deviceSideMs, window.queryStarted - openedMs,
              readyMs - g_dispatched);
  return 0;
}


struct RunFigures {
  double sinceStart = 0, sinceWindow = 0, shown = 0, peakWorkingSet = 0, peakPrivate = 0, deviceSide = 0;
  double queryStarted = 0;  // since the window was opened, like sinceWindow
  double refresh = 0;       // from the last request to the ready list
  double query() const { return sinceWindow - queryStarted; }
};

// One run with `count` touch screens in a process of its own.
bool RunChild(const wchar_t* self, int count, RunFigures& figures) {
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + std::to_wstring(count);
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readPipe = nullptr, writePipe = nullptr;
  ::CreatePipe(&readPipe, &writePipe, &inherit, 0);
  ::SetHandleInformation(readPipe, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writePipe;
  startup.hStdError = writePipe;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    std::printf("%d: could not start (%lu)\n", count, ::GetLastError());
    ::CloseHandle(writePipe);
    ::CloseHandle(readPipe);
    return false;
  }
  ::CloseHandle(writePipe);
  std::string output;
  char buffer[256];
  DWORD got = 0;
  while (::ReadFile(readPipe, buffer, sizeof(buffer), &got, nullptr) && got) output.append(buffer, got);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  ::CloseHandle(readPipe);
  return std::sscanf(output.c_str(), "%lf %lf %lf %lf %lf %lf %lf %lf", &figures.sinceStart, &figures.sinceWindow,
                     &figures.shown, &figures.peakWorkingSet, &figures.peakPrivate, &figures.deviceSide,
                     &figures.queryStarted, &figures.refresh) == 8;
}

}  // namespace

// main_window_bench.exe [runs=N]: N runs of each count (default 5), the median run printed.
int main(int argc, char** argv) {
  if (argc > 1 && std::strncmp(argv[1], "runs=", 5) != 0) return RunOnce(std::atoi(argv[1]));
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1] + 5)) : 5;

  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  // "query" is the time from the opening's start of the start-up query to the ready list.
  bench::PrintLoad("before");
  std::printf("median of %d runs each; \"over floor, all runs\" gives the lowest and highest\n", runs);
  std::printf("touch screens | floor ms | window shown ms | ready since start ms | query ms | "
              "query over floor (goal < 3 %%) | over floor, all runs | of which device side ms | list refresh ms | "
              "rest of window side ms | "
              "peak working set MB | peak private MB\n");
  for (int count : {1, 2, 8}) {
    std::vector<RunFigures> all;
    for (int run = 0; run < runs; ++run) {
      RunFigures figures;
      if (RunChild(self, count, figures)) all.push_back(figures);
    }
    if (all.empty()) continue;
    std::sort(all.begin(), all.end(), [](const RunFigures& a, const RunFigures& b) { return a.query() < b.query(); });
    const double floor = 420.0 * count;
    const RunFigures& m = all[all.size() / 2];
    const double over = (m.query() / floor - 1.0) * 100.0;
    char range[48];
    std::snprintf(range, sizeof range, "%.1f%% .. %.1f%%", (all.front().query() / floor - 1.0) * 100.0,
                  (all.back().query() / floor - 1.0) * 100.0);
    std::printf("%13d | %8.0f | %15.1f | %20.1f | %8.1f | %20.1f%% %-7s | %20s | %23.1f | %15.1f | %22.1f | %19.1f | %15.1f\n",
                count, floor, m.shown, m.sinceStart, m.query(), over, over < 3.0 ? "met" : "NOT MET", range,
                m.deviceSide, m.refresh, m.query() - floor - m.deviceSide - m.refresh, m.peakWorkingSet, m.peakPrivate);
  }
  bench::PrintLoad("after");
  return 0;
}
