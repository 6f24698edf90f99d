#pragma once
// PelnixLib.dll, the driver-interface library: loaded at run time and called by ordinal.
//
//   ordinal 1  SetDriverParameters  the 18 global settings, by value, in record order
//   ordinal 2  GetDriverParameters  fills a DriverParameters record
//   ordinal 3  GetDeviceParameters  fills a DeviceParameters record for its TouchScreenNo
//   ordinal 4  SetDeviceParameters  a DeviceKey, then the 34 fields by value
//
// A missing library, or one without the four ordinals, is a result: every call then returns
// false and leaves the records alone. Windows show ShowDriverLibraryMissing, console
// commands print PrintDriverLibraryMissing. All calls come from the user-interface thread.
// Start-up makes the program's one library and hands it to the windows that use it.
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/scoped_handle.h"
#include "config/core/driver_parameters.h"

inline constexpr const wchar_t* kDriverLibraryName = L"PelnixLib.dll";

class DriverLibrary {
public:
  DriverLibrary() = default;
  ~DriverLibrary();
  DriverLibrary(const DriverLibrary&) = delete;
  DriverLibrary& operator=(const DriverLibrary&) = delete;

  // The library beside the program, else the one in the system folder. True when it is
  // loaded with all four ordinals (also when it already was).
  bool Load();
  // The library at this path (tests load the one they built).
  bool LoadFrom(const std::wstring& path);
  bool IsLoaded() const { return m_hModule.valid(); }

  bool GetDriverParameters(DriverParameters& parameters) const;
  bool SetDriverParameters(const DriverParameters& parameters) const;
  // A TouchScreenNo outside 0..254 is set to 0 before the call.
  bool GetDeviceParameters(DeviceParameters& parameters) const;
  bool SetDeviceParameters(std::uint32_t deviceKey, const DeviceParameters& parameters) const;

private:
  using I = std::int32_t;
  using SetDriverFn = I(__stdcall*)(I, I, I, I, I, I, I, I, I, I, I, I, I, I, I, I, I, I);
  using GetDriverFn = I(__stdcall*)(DriverParameters*);
  using GetDeviceFn = I(__stdcall*)(DeviceParameters*);
  using SetDeviceFn = I(__stdcall*)(std::uint32_t, I, I, I, I, I, I, I, I, I, I, I, I, I, I, I,
                                    I, I, I, I, I, I, I, I, I, I, I, I, I, I, I, I, I, I, I);

  ScopedModule m_hModule;
  SetDriverFn m_pSetDriver = nullptr;
  GetDriverFn m_pGetDriver = nullptr;
  GetDeviceFn m_pGetDevice = nullptr;
  SetDeviceFn m_pSetDevice = nullptr;
};

// What the user is told when the library cannot be used.
void ShowDriverLibraryMissing(HWND owner);  // a message box
void PrintDriverLibraryMissing();           // a console line
