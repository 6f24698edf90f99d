#include "config/driver_library.h"

#include <cstdio>
#include <utility>

#include "base/app_paths.h"
#include "base/core/english_texts.h"

DriverLibrary::~DriverLibrary() = default;

bool DriverLibrary::LoadFrom(const std::wstring& path) {
  if (m_hModule) return true;
  // A full path; the library's own imports come from the system folder only, never from the
  // program's folder (which LOAD_WITH_ALTERED_SEARCH_PATH would search first).
  ScopedModule library(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (!library) return false;
  HMODULE module = library.get();
  // Through void*: the export's own type is given by the contract, not by FARPROC.
  auto ordinal = [module](WORD number) {
    return reinterpret_cast<void*>(
        GetProcAddress(module, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(number))));
  };
  m_pSetDriver = reinterpret_cast<SetDriverFn>(ordinal(1));
  m_pGetDriver = reinterpret_cast<GetDriverFn>(ordinal(2));
  m_pGetDevice = reinterpret_cast<GetDeviceFn>(ordinal(3));
  m_pSetDevice = reinterpret_cast<SetDeviceFn>(ordinal(4));
  if (!m_pSetDriver || !m_pGetDriver || !m_pGetDevice || !m_pSetDevice) {
    m_pSetDriver = nullptr;
    m_pGetDriver = nullptr;
    m_pGetDevice = nullptr;
    m_pSetDevice = nullptr;
    return false;
  }
  m_hModule = std::move(library);
  return true;
}

bool DriverLibrary::Load() {
  if (m_hModule) return true;
  if (LoadFrom(GetModuleDir() + L"\\" + kDriverLibraryName)) return true;
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  return LoadFrom(std::wstring(system, length) + L"\\" + kDriverLibraryName);
}

bool DriverLibrary::GetDriverParameters(DriverParameters& parameters) const {
  if (!m_pGetDriver) return false;
  m_pGetDriver(&parameters);
  return true;
}

bool DriverLibrary::SetDriverParameters(const DriverParameters& p) const {
  if (!m_pSetDriver) return false;
  m_pSetDriver(p.Get(0), p.Get(1), p.Get(2), p.Get(3), p.Get(4), p.Get(5), p.Get(6), p.Get(7),
             p.Get(8), p.Get(9), p.Get(10), p.Get(11), p.Get(12), p.Get(13), p.Get(14),
             p.Get(15), p.Get(16), p.Get(17));
  return true;
}

bool DriverLibrary::GetDeviceParameters(DeviceParameters& parameters) const {
  if (!m_pGetDevice) return false;
  parameters.TouchScreenNo = NormalizeTouchScreenNo(parameters.TouchScreenNo);
  m_pGetDevice(&parameters);
  return true;
}

bool DriverLibrary::SetDeviceParameters(std::uint32_t deviceKey,
                                        const DeviceParameters& p) const {
  if (!m_pSetDevice) return false;
  m_pSetDevice(deviceKey, p.Get(0), p.Get(1), p.Get(2), p.Get(3), p.Get(4), p.Get(5), p.Get(6),
             p.Get(7), p.Get(8), p.Get(9), p.Get(10), p.Get(11), p.Get(12), p.Get(13),
             p.Get(14), p.Get(15), p.Get(16), p.Get(17), p.Get(18), p.Get(19), p.Get(20),
             p.Get(21), p.Get(22), p.Get(23), p.Get(24), p.Get(25), p.Get(26), p.Get(27),
             p.Get(28), p.Get(29), p.Get(30), p.Get(31), p.Get(32), p.Get(33));
  return true;
}

void ShowDriverLibraryMissing(HWND owner) {
  MessageBoxW(owner, english::kDriverLibraryMissing, english::kProgramCaption, MB_OK | MB_ICONERROR);
}

void PrintDriverLibraryMissing() {
  std::printf("PelnixLib.dll could not be loaded! Please install the touch screen driver again.\n");
}
