#include "config/driver_library.h"

#include <cstdio>
#include <utility>

#include "base/app_paths.h"

DriverLibrary::~DriverLibrary() = default;

bool DriverLibrary::LoadFrom(const std::wstring& path) {
  if (module_) return true;
  // A full path and no search of the program's folder for the library's own imports.
  ScopedModule library(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!library) return false;
  HMODULE module = library.get();
  // Through void*: the export's own type is given by the contract, not by FARPROC.
  auto ordinal = [module](WORD number) {
    return reinterpret_cast<void*>(
        GetProcAddress(module, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(number))));
  };
  setDriver_ = reinterpret_cast<SetDriverFn>(ordinal(1));
  getDriver_ = reinterpret_cast<GetDriverFn>(ordinal(2));
  getDevice_ = reinterpret_cast<GetDeviceFn>(ordinal(3));
  setDevice_ = reinterpret_cast<SetDeviceFn>(ordinal(4));
  if (!setDriver_ || !getDriver_ || !getDevice_ || !setDevice_) {
    setDriver_ = nullptr;
    getDriver_ = nullptr;
    getDevice_ = nullptr;
    setDevice_ = nullptr;
    return false;
  }
  module_ = std::move(library);
  return true;
}

bool DriverLibrary::Load() {
  if (module_) return true;
  if (LoadFrom(GetModuleDir() + L"\\" + kDriverLibraryName)) return true;
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  return LoadFrom(std::wstring(system, length) + L"\\" + kDriverLibraryName);
}

bool DriverLibrary::GetDriverParameters(DriverParameters& parameters) const {
  if (!getDriver_) return false;
  getDriver_(&parameters);
  return true;
}

bool DriverLibrary::SetDriverParameters(const DriverParameters& p) const {
  if (!setDriver_) return false;
  setDriver_(p.Get(0), p.Get(1), p.Get(2), p.Get(3), p.Get(4), p.Get(5), p.Get(6), p.Get(7),
             p.Get(8), p.Get(9), p.Get(10), p.Get(11), p.Get(12), p.Get(13), p.Get(14),
             p.Get(15), p.Get(16), p.Get(17));
  return true;
}

bool DriverLibrary::GetDeviceParameters(DeviceParameters& parameters) const {
  if (!getDevice_) return false;
  parameters.TouchScreenNo = NormalizeTouchScreenNo(parameters.TouchScreenNo);
  getDevice_(&parameters);
  return true;
}

bool DriverLibrary::SetDeviceParameters(std::uint32_t deviceKey,
                                        const DeviceParameters& p) const {
  if (!setDevice_) return false;
  setDevice_(deviceKey, p.Get(0), p.Get(1), p.Get(2), p.Get(3), p.Get(4), p.Get(5), p.Get(6),
             p.Get(7), p.Get(8), p.Get(9), p.Get(10), p.Get(11), p.Get(12), p.Get(13),
             p.Get(14), p.Get(15), p.Get(16), p.Get(17), p.Get(18), p.Get(19), p.Get(20),
             p.Get(21), p.Get(22), p.Get(23), p.Get(24), p.Get(25), p.Get(26), p.Get(27),
             p.Get(28), p.Get(29), p.Get(30), p.Get(31), p.Get(32), p.Get(33));
  return true;
}

DriverLibrary& GetDriverLibrary() {
  static DriverLibrary library;
  library.Load();
  return library;
}

void ShowDriverLibraryMissing(HWND owner) {
  MessageBoxW(owner, kDriverLibraryMissingText, L"PelnixCpl", MB_OK | MB_ICONERROR);
}

void PrintDriverLibraryMissing() {
  std::printf("PelnixLib.dll could not be loaded! Please install the touch screen driver again.\n");
}
