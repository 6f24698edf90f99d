#include "bench/real_stack_mode.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "device/hid_api.h"
#include "device_nodes.h"
#include "support/process_runner.h"
#include "support/update_test_images.h"
#include "touch_client.h"
#include "update/core/firmware_image.h"
#include "update/core/hex_decoder.h"

namespace {

std::wstring VirtualTouchScreenPath() {
  for (const vts::HidInterface& i : vts::PresentHidInterfaces())
    if (i.virtualTouch && i.slot == 0) return i.path;
  return {};
}

int VirtualTouchScreenCount() {
  int count = 0;
  for (const vts::HidInterface& i : vts::PresentHidInterfaces()) count += i.virtualTouch && i.vendorId == 0x7E3A;
  return count;
}

// One overlapped 100-byte read, waited for up to 3 s.
bool ReadReport(HANDLE device, OVERLAPPED& overlapped, BYTE* buffer) {
  ResetEvent(overlapped.hEvent);
  DWORD n = 0;
  if (!ReadFile(device, buffer, 100, nullptr, &overlapped) && GetLastError() != ERROR_IO_PENDING) return false;
  if (WaitForSingleObject(overlapped.hEvent, 3000) != WAIT_OBJECT_0) {
    CancelIoEx(device, &overlapped);
    GetOverlappedResult(device, &overlapped, &n, TRUE);
    return false;
  }
  return GetOverlappedResult(device, &overlapped, &n, FALSE) != FALSE;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int RunDeviceBenchOnRealStack(int exchanges, double* bareMedianMs) {
  const std::wstring path = VirtualTouchScreenPath();
  if (path.empty()) {
    std::printf("real stack: no virtual touch screen plugged (scripts/virtual-touch.sh plug)\n");
    return 1;
  }
  HANDLE device = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<double> total;
  BYTE report[100] = {0x31, 'o', 0};
  BYTE reply[100];
  for (int i = 0; i < exchanges + 20; ++i) {
    const double start = bench::NowMs();
    if (!HidD_SetOutputReport(device, report, sizeof report)) break;
    bool ended = false;
    while (!ended && ReadReport(device, overlapped, reply)) ended = reply[1] == 'A' && reply[3] == '0';
    if (!ended) break;
    if (i >= 20) total.push_back(bench::NowMs() - start);  // after a warm-up
  }
  CloseHandle(overlapped.hEvent);
  CloseHandle(device);
  std::printf("\nreal stack: \"o\" through HID.DLL, the HID class driver, the virtual touch screen's driver and its\n"
              "server (the model answering at once), write to end of reply, %zu exchanges (ms)\n", total.size());
  std::printf("  median %.3f   p90 %.3f   p99 %.3f\n", bench::Percentile(total, 0.5), bench::Percentile(total, 0.9),
              bench::Percentile(total, 0.99));
  if (bareMedianMs) *bareMedianMs = total.empty() ? 0 : bench::Percentile(total, 0.5);

  // The start-up query of the real program, from its start to a ready list.
  const int count = VirtualTouchScreenCount();
  TempFolder folder;
  const auto start = std::chrono::steady_clock::now();
  HANDLE process = StartProgram(DistProgram(), folder.path());
  if (!process) return 1;
  HWND main = nullptr;
  double readyMs = -1;
  for (int i = 0; i < 600 && readyMs < 0; ++i) {
    main = WaitForProcessWindow(GetProcessId(process), 100);
    HWND settings = main ? GetDlgItem(main, 1053) : nullptr;
    if (settings && IsWindowEnabled(settings)) readyMs = Seconds(start);
    else Sleep(5);
  }
  if (main) PostMessageW(main, WM_COMMAND, IDOK, 0);
  if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
  CloseHandle(process);
  const double floor = 420.0 * count;
  std::printf("real stack: dist/PelnixCpl.exe, start to a ready list with %d touch screens: %.0f ms, "
              "floor of the query %.0f ms (%+.1f %%, program start-up included)\n",
              count, readyMs, floor, (readyMs / floor - 1.0) * 100.0);
  return readyMs < 0 ? 1 : 0;
}

int RunUpdateBenchOnRealStack() {
  if (VirtualTouchScreenPath().empty()) {
    std::printf("real stack: no virtual touch screen plugged (scripts/virtual-touch.sh plug)\n");
    return 1;
  }
  using namespace update_test;
  Bytes stream;
  const std::size_t streamBytes = kMaxImageBytes - kMinImageBytes;
  while (stream.size() + 4096 <= streamBytes) stream = Concat({stream, MakeBlock(4096, static_cast<std::uint8_t>(stream.size()))});
  stream = Concat({stream, MakeBlock(static_cast<std::uint32_t>(streamBytes - stream.size()))});
  TempFolder folder;
  WriteFileBytes(folder.File(L"fw.hex"), ToHexText(MakeImage(stream)));
  const auto start = std::chrono::steady_clock::now();
  const ProgramResult result = RunProgram(DistProgram() + L" -u fw.hex", folder.path(), 600000);
  const double runMs = Seconds(start);
  const std::string answer = vts::SendCommand("transfer 0", 5000);
  double ms = 0;
  int packets = 0;
  if (std::sscanf(answer.c_str(), "ok ms=%lf packets=%d", &ms, &packets) != 2) {
    std::printf("real stack: %s\n", answer.c_str());
    return 1;
  }
  const double floor = 500.0 + packets * 21.0;
  std::printf("\nreal stack: dist/PelnixCpl.exe -u through the HID class driver, touch screen 0 acknowledging at once:\n"
              "  transfer (\"Rb\" to \"Rc\" as the device saw them) %.0f ms, %d chunks, floor %.0f ms, ratio %.4f\n"
              "  per chunk %.3f ms (floor 21 ms); the whole run %.0f ms (every touch screen, and the query's time-out)%s\n",
              ms, packets, floor, ms / floor, (ms - 500.0) / packets, runMs, result.timedOut ? ", TIMED OUT" : "");
  return 0;
}
