// Benchmark: the console transfer of a full-size image (262144 decoded bytes) to a simulated
// touch screen that acknowledges each chunk 1 ms after it arrives. Prints the time against
// the protocol's floor (500 ms + chunks x (20 ms pause + 1 ms acknowledgement)), where the
// time beyond it goes per chunk (the pause's overshoot, the simulator's share, the program's
// wake-up after the acknowledgement), and the process's peak memory.
// Run under Wine: wine64 update_bench.exe; with --real-stack, dist/PelnixCpl.exe -u to virtual
// touch screens on Wine's HID class driver instead (real_stack_mode.h).
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_timing.h"
#include "bench/real_stack_mode.h"
#include "simulator/simulated_touch_screen.h"
#include "support/update_test_images.h"
#include "update/core/hex_decoder.h"
#include "update/firmware_updater.h"

using namespace update_test;

namespace {

// Where the time of each chunk beyond its 21 ms goes, from the write stamps and read results
// of the timed HID system and the simulator's delivery records (one per acknowledgement).
void PrintBreakdown(const std::vector<bench::TimedHidSystem::Stamp>& stamps,
                    const std::vector<SimulatedHidSystem::Delivery>& deliveries, double simulatorCallsMs) {
  std::vector<double> writeStarts, writeEnds, readEnds;
  for (const auto& s : stamps) {
    if (s.kind == 'w') writeStarts.push_back(s.ms);
    if (s.kind == 'W') writeEnds.push_back(s.ms);
    if (s.kind == 'R') readEnds.push_back(s.ms);  // the last one before the next write counts
  }
  // Writes: "Rb", then one per chunk, then "Rc".
  if (writeStarts.size() < 3 || deliveries.size() + 2 != writeStarts.size()) {
    std::printf("breakdown: %zu writes and %zu acknowledgements do not pair up\n", writeStarts.size(),
                deliveries.size());
    return;
  }
  const std::size_t chunks = deliveries.size();
  // Each chunk's cycle, from the previous acknowledgement seen to its own, is 21 ms plus the
  // sum of these five parts.
  std::vector<double> pauseOver, writeCall, dueEarly, late, wake;
  std::size_t r = 0;
  double previousRead = 0;
  for (std::size_t i = 0; i < chunks; ++i) {
    const double start = writeStarts[i + 1], end = writeEnds[i + 1];
    const auto& d = deliveries[i];
    while (r < readEnds.size() && readEnds[r] < start) ++r;
    double read = 0;
    const double next = i + 2 < writeStarts.size() ? writeStarts[i + 2] : 1e300;
    while (r < readEnds.size() && readEnds[r] < next) read = readEnds[r++];
    if (i > 0) {  // the first follows the 500 ms after the begin report
      pauseOver.push_back(start - previousRead - 20.0);
      writeCall.push_back(end - start);
      dueEarly.push_back(d.dueMs - end - 1.0);
      late.push_back(d.completedMs - d.dueMs);
      wake.push_back(read - d.completedMs);
    }
    previousRead = read;
  }
  std::printf("each chunk's cycle beyond 21 ms (ms)                 median     p90     p99     sum\n");
  auto row = [](const char* name, const std::vector<double>& v) {
    std::printf("  %-50s %7.3f %7.3f %7.3f %8.1f\n", name, bench::Percentile(v, 0.5), bench::Percentile(v, 0.9),
                bench::Percentile(v, 0.99), bench::Sum(v));
  };
  row("20 ms pause: overshoot (program)", pauseOver);
  row("writing the packet (simulator's call)", writeCall);
  row("written -> ack due, less 1 ms (simulator)", dueEarly);
  row("ack due -> read completed (simulator's delivery)", late);
  row("read completed -> transfer has it (program)", wake);
  std::vector<double> program, simulator;
  for (std::size_t i = 0; i < pauseOver.size(); ++i) {
    program.push_back(pauseOver[i] + wake[i]);
    simulator.push_back(writeCall[i] + dueEarly[i] + late[i]);
  }
  row("  program's share", program);
  row("  simulator's share", simulator);
  std::printf("  (time inside all of the simulator's calls: %.1f ms)\n", simulatorCallsMs);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--real-stack") return RunUpdateBenchOnRealStack();
  bench::PrintLoad("before");
  // Blocks of 4096 bytes, then the stream is filled up to the image limit.
  Bytes stream;
  const std::size_t streamBytes = kMaxImageBytes - kMinImageBytes;
  while (stream.size() + 4096 <= streamBytes) stream = Concat({stream, MakeBlock(4096, static_cast<std::uint8_t>(stream.size()))});
  stream = Concat({stream, MakeBlock(static_cast<std::uint32_t>(streamBytes - stream.size()))});
  const Bytes image = MakeImage(stream);

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + L"pelnix_update_bench.hex";
  {
    const std::string text = ToHexText(image);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
  }

  sim::TouchScreenConfig config;
  config.firmware.ackDelayMs = 1;
  auto screen = SimulatedHid().Add(config);
  HidDevice device;
  device.handle = SimulatedHid().Open(screen->path(), true);
  SimulatedHid().GetPreparsedData(device.handle, &device.preparsed);
  SimulatedHid().GetCaps(device.preparsed, &device.caps);

  bench::TimedHidSystem hid(SimulatedHid());
  FirmwareUpdater updater(hid, path);
  const auto loadStart = std::chrono::steady_clock::now();
  if (!updater.LoadImage()) return 1;
  const double loadMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - loadStart).count();

  int chunks = 0;
  hid.RecordStamps(true);
  SimulatedHid().RecordDeliveries(true);
  hid.TakeSimulatorMs();
  const auto start = std::chrono::steady_clock::now();
  const bool ok = updater.Update(device, [&](std::uint32_t, std::uint32_t) { ++chunks; });
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const double simulatorCallsMs = hid.TakeSimulatorMs();
  hid.RecordStamps(false);
  const auto deliveries = SimulatedHid().TakeDeliveries();

  const double floorMs = 500.0 + chunks * 21.0;
  PROCESS_MEMORY_COUNTERS memory{};
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::printf("image: %zu bytes, %d chunks, read and checked in %.1f ms\n", image.size(), chunks, loadMs);
  std::printf("transfer: %s in %.0f ms, floor %.0f ms, ratio %.4f   goal: <= 1.03 -> %s\n",
              ok ? "completed" : "FAILED", ms, floorMs, ms / floorMs, ms / floorMs <= 1.03 ? "met" : "NOT MET");
  std::printf("per chunk: %.3f ms (floor 21 ms)\n", (ms - 500.0) / chunks);
  PrintBreakdown(hid.stamps(), deliveries, simulatorCallsMs);
  std::printf("peak memory: working set %.1f MiB, pagefile %.1f MiB\n",
              memory.PeakWorkingSetSize / 1048576.0, memory.PeakPagefileUsage / 1048576.0);
  DeleteFileW(path.c_str());
  bench::PrintLoad("after");
  return ok ? 0 : 1;
}
