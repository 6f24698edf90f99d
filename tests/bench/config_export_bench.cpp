// Benchmark: PelnixCpl.exe -e with 64, 500 and 1,000 touch screen subkeys into a new file,
// and with 64 subkeys into an existing 50 MB file whose other sections stay. Prints the time
// of each run. It replaces the driver's keys in the prefix's registry and removes them after.
// Run under Wine, with nothing else using the prefix:
//   PELNIX_DIST_DIR=build/windows/dist wine64 build/windows/tests/bench/config_export_bench.exe
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "config/core/parameter_table.h"
#include "support/process_runner.h"

namespace {

const std::wstring kDriverPath(kDriverParametersPath);
const std::wstring kDevicePath(kDeviceParametersPath);

void ClearDriverKeys() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kDriverPath.c_str());
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kDriverPath.c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kDevicePath.c_str());
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kDevicePath.c_str());
}

void StoreTouchScreens(int count) {
  ClearDriverKeys();
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, kDriverPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  &key, nullptr);
  for (const GlobalValue& value : kGlobalValues) {
    const DWORD data = static_cast<DWORD>(value.fallback);
    RegSetValueExW(key, value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), 4);
  }
  RegCloseKey(key);
  for (int i = 0; i < count; ++i) {
    const std::wstring path = kDevicePath + L"\\TouchScreen" + std::to_wstring(i);
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    DWORD data = static_cast<DWORD>(i) * 1000;
    for (const DeviceValue& value : kDeviceValues) {
      ++data;
      RegSetValueExW(key, value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), 4);
    }
    RegCloseKey(key);
  }
}

void Run(const char* label, int touchScreens, const std::string& existing) {
  StoreTouchScreens(touchScreens);
  TempFolder folder;
  if (!existing.empty()) WriteFileBytes(folder.File(L"conf.ini"), existing);
  const auto start = std::chrono::steady_clock::now();
  const ProgramResult result = RunProgram(DistProgram() + L" -e conf.ini", folder.path(), 3600000);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const bool ok = result.output.find("Export completed!") != std::string::npos;
  std::printf("%-40s %8.2f s  file %9zu bytes%s\n", label, seconds,
              ReadFileBytes(folder.File(L"conf.ini")).size(), ok ? "" : "  (FAILED)");
  std::fflush(stdout);
}

}  // namespace

int main() {
  Run("64 subkeys, new file", 64, "");
  Run("500 subkeys, new file", 500, "");
  Run("1,000 subkeys, new file", 1000, "");

  std::string big;
  big.reserve(50u << 20);
  for (int i = 0; big.size() < (50u << 20); ++i)
    big += "[Other" + std::to_string(i) + "]\r\nNote=" + std::string(200, 'n') + "\r\n";
  Run("64 subkeys, existing 50 MB file", 64, big);
  ClearDriverKeys();
  return 0;
}
