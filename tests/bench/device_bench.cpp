// Device thread figures against a simulated touch screen that answers at once:
//  - overhead of one request to its last reply (beyond the 80 ms echo delay where there is one);
//  - CPU time of the process over 10 s with the touch stream on and no touches.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/core/user_messages.h"
#include "device/core/protocol_state.h"
#include "device/device_thread.h"
#include "device/report_worker.h"
#include "device/touch_screen_list.h"
#include "simulator/simulated_touch_screen.h"

namespace {

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto ms = [](FILETIME f) {
    return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

// Posts one request and waits on this thread's queue until its end-of-reply report arrives.
double Exchange(TouchScreenList& list, std::uint8_t b1, std::uint8_t b2) {
  auto request = std::make_unique<DeviceReport>();
  request->deviceHandle = list.handle(0);
  request->window = nullptr;
  request->report[0] = 0x31;
  request->report[1] = b1;
  request->report[2] = b2;
  static HWND window = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  request->window = window;
  const double start = NowMs();
  PostDeviceRequest(std::move(request));
  MSG msg;
  for (;;) {
    GetMessageW(&msg, nullptr, 0, 0);
    if (msg.message > WM_USER && msg.lParam) {
      std::unique_ptr<DeviceReport> reply(reinterpret_cast<DeviceReport*>(msg.lParam));
      if (reply->report[3] == '0' && reply->report[4] == '0' && reply->report[1] >= 'A' &&
          reply->report[1] <= 'N') {
        if (msg.message == UM_REPLY_O) {
          // keep the data reply for the echo commands, as the windows do
        }
        break;
      }
      if (msg.message == UM_REPLY_O) g_pHeldReply.Hold(std::move(reply));
      continue;
    }
    DispatchMessageW(&msg);
  }
  return NowMs() - start;
}

void Report(const char* name, std::vector<double> samples, double floorMs) {
  std::sort(samples.begin(), samples.end());
  const double median = samples[samples.size() / 2];
  const double p90 = samples[samples.size() * 9 / 10];
  std::printf("%-28s median %7.3f ms  p90 %7.3f ms  overhead (median - %2.0f ms) %6.3f ms\n", name,
              median, p90, floorMs, median - floorMs);
}

}  // namespace

int main() {
  SimulatedHid().Add();
  TouchScreenList list(SimulatedHid());
  CDeviceThread* thread = CDeviceThread::CreateSuspended(DeviceContext{&SimulatedHid(), &list});
  g_nDeviceThreadId = thread->id();
  thread->Resume();

  Exchange(list, 'o', 0);  // warm-up, and the held reply for the echo commands
  std::vector<double> open, version;
  for (int i = 0; i < 200; ++i) open.push_back(Exchange(list, 'o', 0));
  for (int i = 0; i < 40; ++i) version.push_back(Exchange(list, 'v', 'v'));
  std::printf("device thread, simulated touch screen answering at once\n");
  Report("\"o\" (no echo)", open, 0);
  Report("\"vv\" (echo, 80 ms delay)", version, 80);

  auto request = std::make_unique<DeviceReport>();
  request->deviceHandle = list.handle(0);
  request->report[0] = 0x31;
  request->report[1] = 0xAA;
  request->report[2] = 0x50;
  PostDeviceRequest(std::move(request));
  Sleep(200);
  const double cpu0 = ProcessCpuMs();
  const double t0 = NowMs();
  Sleep(10000);
  const double cpu = ProcessCpuMs() - cpu0;
  const double wall = NowMs() - t0;
  std::printf("touch stream on, idle: CPU %.1f ms over %.0f ms = %.3f %% of one core (workers running: %d)\n",
              cpu, wall, 100.0 * cpu / wall, RunningReportWorkers());
  g_bTouchStream = false;
  Sleep(200);
  return 0;
}
