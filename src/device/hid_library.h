#pragma once
// HID.DLL of the system folder, for the Win32 backend of the HID seam.
//
// The program never imports HID.DLL: it is not one of Windows' known DLLs, so a copy planted
// beside the elevated program would be loaded in its place. It is loaded here, from the system
// folder only, on first use. When it cannot be loaded (or lacks a function), each entry fails
// as the system call would on a missing device: FALSE or a failing status with
// ERROR_MOD_NOT_FOUND, and HidD_GetHidGuid leaves the GUID as it was.
#include "device/hid_api.h"

struct HidLibrary {
  decltype(&::HidD_GetHidGuid) GetHidGuid;
  decltype(&::HidD_GetPreparsedData) GetPreparsedData;
  decltype(&::HidD_FreePreparsedData) FreePreparsedData;
  decltype(&::HidD_GetAttributes) GetAttributes;
  decltype(&::HidP_GetCaps) GetCaps;
  decltype(&::HidD_SetNumInputBuffers) SetNumInputBuffers;
  decltype(&::HidD_SetOutputReport) SetOutputReport;
  decltype(&::HidD_SetFeature) SetFeature;
};

// The functions of the system's HID.DLL, loaded once (thread-safe) and kept for the process.
const HidLibrary& SystemHidLibrary();
