#pragma once
// What the benchmarks share: one clock, percentiles, and a HID system that stands between the
// program and the simulated touch screens to time the simulator's own calls, so that the
// simulator's share of an exchange is reported apart from the program's.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

#include "device/hid_system.h"

namespace bench {

// Milliseconds of the steady clock, with fractions: the simulator's delivery records use the
// same clock.
inline double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

inline double Percentile(std::vector<double> samples, double fraction) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const std::size_t at = std::min(samples.size() - 1, static_cast<std::size_t>(fraction * samples.size()));
  return samples[at];
}

inline double Sum(const std::vector<double>& samples) {
  double sum = 0;
  for (double s : samples) sum += s;
  return sum;
}

// The load of the machine as `uptime` shows it, for the figures' context (Wine maps the Unix
// root to drive Z:).
inline void PrintLoad(const char* when) {
  double one = 0, five = 0, fifteen = 0;
  if (FILE* f = std::fopen("Z:\\proc\\loadavg", "r")) {
    if (std::fscanf(f, "%lf %lf %lf", &one, &five, &fifteen) == 3)
      std::printf("load average %s: %.2f %.2f %.2f (1, 5, 15 min)\n", when, one, five, fifteen);
    std::fclose(f);
  }
}

// Forwards every call to the simulated HID system and adds up the time spent inside the
// simulator's calls made on threads that count (see Counts below).
class TimedHidSystem final : public HidSystem {
public:
  explicit TimedHidSystem(HidSystem& inner) : m_inner(inner) {}

  // Milliseconds spent inside the simulator's calls since the last Take.
  double TakeSimulatorMs() { return static_cast<double>(m_nNanoseconds.exchange(0)) / 1e6; }
  // Threads whose calls are not on the path of the exchange (the echo's worker) are left out.
  static void CountThisThread(bool counts) { Counts() = counts; }
  // Each SetOutputReport's start and end, and each completed read's end, when asked for.
  struct Stamp {
    char kind;  // 'w' write start, 'W' write end, 'R' read result taken
    double ms;
  };
  void RecordStamps(bool on) {
    if (on) m_stamps.clear();
    m_bRecording = on;
  }
  const std::vector<Stamp>& stamps() const { return m_stamps; }

  bool BeginEnumeration() override { return m_inner.BeginEnumeration(); }
  HidEnumStatus EnumerateInterface(DWORD index, std::wstring& path, DWORD* error) override {
    return m_inner.EnumerateInterface(index, path, error);
  }
  DWORD ReadPdoName(std::wstring& name) override { return m_inner.ReadPdoName(name); }
  void EndEnumeration() override { m_inner.EndEnumeration(); }
  HANDLE Open(const std::wstring& path, bool overlapped) override { return m_inner.Open(path, overlapped); }
  BOOL Close(HANDLE device) override { return m_inner.Close(device); }
  BOOLEAN GetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* data) override {
    return m_inner.GetPreparsedData(device, data);
  }
  BOOLEAN FreePreparsedData(PHIDP_PREPARSED_DATA data) override { return m_inner.FreePreparsedData(data); }
  BOOLEAN GetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes) override {
    return m_inner.GetAttributes(device, attributes);
  }
  NTSTATUS GetCaps(PHIDP_PREPARSED_DATA data, HIDP_CAPS* caps) override { return m_inner.GetCaps(data, caps); }
  BOOLEAN SetOutputReport(HANDLE device, void* report, ULONG length) override {
    const double start = NowMs();
    if (m_bRecording) m_stamps.push_back({'w', start});
    const BOOLEAN result = m_inner.SetOutputReport(device, report, length);
    const double end = NowMs();
    if (m_bRecording) m_stamps.push_back({'W', end});
    Add(start, end);
    return result;
  }
  BOOLEAN SetNumInputBuffers(HANDLE device, ULONG count) override {
    return m_inner.SetNumInputBuffers(device, count);
  }
  BOOLEAN SetFeature(HANDLE device, void* report, ULONG length) override {
    return Timed([&] { return m_inner.SetFeature(device, report, length); });
  }
  BOOL ReadFile(HANDLE device, void* buffer, DWORD length, OVERLAPPED* overlapped) override {
    const double start = NowMs();
    const BOOL result = m_inner.ReadFile(device, buffer, length, overlapped);
    const DWORD error = GetLastError();
    const double end = NowMs();
    if (m_bRecording && result) m_stamps.push_back({'R', end});
    Add(start, end);
    SetLastError(error);
    return result;
  }
  BOOL GetOverlappedResult(HANDLE device, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) override {
    const double start = NowMs();
    const BOOL result = m_inner.GetOverlappedResult(device, overlapped, transferred, wait);
    const DWORD error = GetLastError();
    const double end = NowMs();
    if (m_bRecording && result && !wait) m_stamps.push_back({'R', end});
    if (!wait) Add(start, end);  // a waiting call waits for the device, not for the simulator
    SetLastError(error);
    return result;
  }
  BOOL CancelIoEx(HANDLE device, OVERLAPPED* overlapped) override {
    return Timed([&] { return m_inner.CancelIoEx(device, overlapped); });
  }
  HDEVNOTIFY RegisterHandleNotification(HWND window, HANDLE device) override {
    return m_inner.RegisterHandleNotification(window, device);
  }
  HDEVNOTIFY RegisterInterfaceNotification(HWND window) override { return m_inner.RegisterInterfaceNotification(window); }
  BOOL UnregisterNotification(HDEVNOTIFY notification) override { return m_inner.UnregisterNotification(notification); }

private:
  static bool& Counts() {
    static thread_local bool counts = true;
    return counts;
  }
  void Add(double start, double end) {
    if (Counts()) m_nNanoseconds.fetch_add(static_cast<long long>((end - start) * 1e6));
  }
  template <class Call>
  auto Timed(Call call) -> decltype(call()) {
    const double start = NowMs();
    auto result = call();
    const DWORD error = GetLastError();
    Add(start, NowMs());
    SetLastError(error);
    return result;
  }

  HidSystem& m_inner;
  std::atomic<long long> m_nNanoseconds{0};
  bool m_bRecording = false;  // stamps: one transfer on one thread
  std::vector<Stamp> m_stamps;
};

}  // namespace bench
