#pragma once
// The one seam between the program and the HID and device set-up services.
//
// Everything that crosses USB goes through a HidSystem: enumeration of the HID interfaces
// (SETUPAPI), opening and examining a device (HID.DLL), reports, overlapped reads and handle
// notifications. Start-up gives the device services the Win32 backend in the real program and
// the simulated touch screens in the demo; tests make their own. Each call has the shape and
// the failure convention of the system call it stands for (BOOL results, GetLastError codes),
// so callers read like Win32 code.
#include <string>

#include "device/hid_api.h"

enum class HidEnumStatus { Found, NoMoreItems, Failed };

class HidSystem {
public:
  virtual ~HidSystem() = default;

  // Enumeration of the present HID device interfaces, one pass at a time.
  virtual bool BeginEnumeration() = 0;  // SetupDiGetClassDevsW; false when the set cannot be had
  // SetupDiEnumDeviceInterfaces and SetupDiGetDeviceInterfaceDetailW for one index: its path.
  // Failed covers both a failed step and a failed allocation; *error gets the system's code.
  virtual HidEnumStatus EnumerateInterface(DWORD index, std::wstring& devicePath, DWORD* error) = 0;
  // SPDRP_PHYSICAL_DEVICE_OBJECT_NAME of the interface last enumerated. Returns 0 or the
  // system error code; ERROR_NOT_ENOUGH_MEMORY when the buffer could not be allocated.
  virtual DWORD ReadPdoName(std::wstring& pdoName) = 0;
  virtual void EndEnumeration() = 0;  // SetupDiDestroyDeviceInfoList

  // A device path, opened for read and write with read and write sharing (CreateFileW).
  virtual HANDLE Open(const std::wstring& devicePath, bool overlapped) = 0;
  virtual BOOL Close(HANDLE device) = 0;

  virtual BOOLEAN GetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* data) = 0;
  virtual BOOLEAN FreePreparsedData(PHIDP_PREPARSED_DATA data) = 0;
  virtual BOOLEAN GetAttributes(HANDLE device, HIDD_ATTRIBUTES* attributes) = 0;
  virtual NTSTATUS GetCaps(PHIDP_PREPARSED_DATA data, HIDP_CAPS* caps) = 0;

  // HidD_SetNumInputBuffers: how many input reports the system keeps for the handle while no
  // read takes them (32 unless raised; at most 512).
  virtual BOOLEAN SetNumInputBuffers(HANDLE device, ULONG count) = 0;

  // Reports: HidD_SetOutputReport and HidD_SetFeature.
  virtual BOOLEAN SetOutputReport(HANDLE device, void* report, ULONG length) = 0;
  virtual BOOLEAN SetFeature(HANDLE device, void* report, ULONG length) = 0;

  // Overlapped input reports: ReadFile, GetOverlappedResult and CancelIoEx on the device.
  // overlapped->hEvent is the caller's manual-reset event.
  virtual BOOL ReadFile(HANDLE device, void* buffer, DWORD length, OVERLAPPED* overlapped) = 0;
  virtual BOOL GetOverlappedResult(HANDLE device, OVERLAPPED* overlapped, DWORD* transferred,
                                   BOOL wait) = 0;
  virtual BOOL CancelIoEx(HANDLE device, OVERLAPPED* overlapped) = 0;

  // Removal notifications for an open device handle (DBT_DEVTYP_HANDLE); arrival and removal
  // notifications of every HID device interface (DBT_DEVTYP_DEVICEINTERFACE of the HID class);
  // and the release of either.
  virtual HDEVNOTIFY RegisterHandleNotification(HWND window, HANDLE device) = 0;
  virtual HDEVNOTIFY RegisterInterfaceNotification(HWND window) = 0;
  virtual BOOL UnregisterNotification(HDEVNOTIFY notification) = 0;
};
