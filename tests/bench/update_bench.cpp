// Benchmark: the console transfer of a full-size image (262144 decoded bytes) to a simulated
// touch screen that acknowledges each chunk 1 ms after it arrives. Prints the time against
// the protocol's floor (500 ms + chunks x (20 ms pause + 1 ms acknowledgement)) and the
// process's peak memory. Run under Wine: wine64 update_bench.exe
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "simulator/simulated_touch_screen.h"
#include "support/update_test_images.h"
#include "update/core/hex_decoder.h"
#include "update/firmware_updater.h"

using namespace update_test;

int main() {
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

  FirmwareUpdater updater(SimulatedHid(), path);
  const auto loadStart = std::chrono::steady_clock::now();
  if (!updater.LoadImage()) return 1;
  const double loadMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - loadStart).count();

  int chunks = 0;
  timeBeginPeriod(1);
  const auto start = std::chrono::steady_clock::now();
  const bool ok = updater.Update(device, [&](std::uint32_t, std::uint32_t) { ++chunks; });
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  timeEndPeriod(1);

  const double floorMs = 500.0 + chunks * 21.0;
  PROCESS_MEMORY_COUNTERS memory{};
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::printf("image: %zu bytes, %d chunks, read and checked in %.1f ms\n", image.size(), chunks, loadMs);
  std::printf("transfer: %s in %.0f ms, floor %.0f ms, ratio %.4f (goal <= 1.05)\n",
              ok ? "completed" : "FAILED", ms, floorMs, ms / floorMs);
  std::printf("per chunk: %.3f ms (floor 21 ms)\n", (ms - 500.0) / chunks);
  std::printf("peak memory: working set %.1f MiB, pagefile %.1f MiB\n",
              memory.PeakWorkingSetSize / 1048576.0, memory.PeakPagefileUsage / 1048576.0);
  DeleteFileW(path.c_str());
  return ok ? 0 : 1;
}
