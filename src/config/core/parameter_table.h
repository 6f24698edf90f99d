#pragma once
// The one table of the driver's stored values: names, record and store order, ranges,
// fallbacks, default texts and console messages. The export, the import, PelnixLib.dll and
// the settings dialog all read it from here.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "config/core/driver_parameters.h"

// Registry keys under HKEY_LOCAL_MACHINE.
inline constexpr std::wstring_view kDriverParametersPath =
    L"SYSTEM\\CurrentControlSet\\Services\\PelnixHID\\Parameters\\DriverParameters";
inline constexpr std::wstring_view kDeviceParametersPath =
    L"SYSTEM\\CurrentControlSet\\Services\\PelnixHID\\Parameters\\DeviceParameters";
// The INI section of the global values (and the name of their registry key).
inline constexpr std::wstring_view kDriverSection = L"DriverParameters";

// One global setting. The table lists them in store order: the order of the registry, the
// export file and the import.
struct GlobalValue {
  const wchar_t* name;
  int recordIndex;  // position in DriverParameters
  std::int32_t min, max;
  std::int32_t fallback;        // written by the import for a bad value
  const char* outOfRange;       // console message for a number outside min..max
  const char* malformed;        // console message for a text that is not a number
};

inline constexpr std::array<GlobalValue, DriverParameters::kFieldCount> kGlobalValues{{
    {L"Mode", 0, 0, 2, 0, "Mode value is incorrect! value = 0,1,2\n",
     "Mode value is incorrect! value = 0,1,2\n"},
    {L"EnableTouch", 1, 0, 1, 1, "EnableTouch value is incorrect! value = 0,1\n",
     "EnableTouch value is incorrect! value = 0,1\n"},
    {L"HideCursor", 9, 0, 1, 0, "HideCursor value is incorrect! value = 0,1\n",
     "HideCursor value is incorrect! value = 0,1\n"},
    {L"EnableDoubleClick", 15, 0, 1, 1, "EnableDoubleClick value is incorrect! value = 0,1\n",
     "EnableDoubleClick value is incorrect! value = 0,1\n"},
    {L"DoubleClickTime", 16, 200, 1000, 500,
     "DoubleClickTime value is incorrect! value = 200-1000\n",
     "DoubleClickTime value is incorrect! value = 200-1000\n"},
    {L"DoubleClickArea", 17, 4, 32, 12, "DoubleClickArea value is incorrect! value = 4-32\n",
     "DoubleClickArea value is incorrect! value = 4-32\n"},
    {L"EnableRightClick", 2, 0, 1, 0, "EnableRightClick value is incorrect! value = 0,1\n",
     "EnableRightClick value is incorrect! value = 0,1\n"},
    {L"RightClickTime", 3, 1000, 8000, 1000,
     "RightClickTime value is incorrect! value =1000-8000\n",
     "RightClickTime value is incorrect! value =1000-8000\n"},
    {L"RightClickArea", 4, 4, 32, 8, "RightClickArea value is incorrect! value = 4-32\n",
     "RightClickArea value is incorrect! value = 4-32\n"},
    {L"EnableDragDelay", 7, 0, 1, 0, "EnableDragDelay value is incorrect! value = 0,1\n",
     "EnableDragDelay value is incorrect! value = 0,1\n"},
    {L"DragDelayTime", 8, 100, 1000, 100, "DragDelayTime value is incorrect! value = 100-1000\n",
     "DragDelayTime value is incorrect! value = 100-1000\n"},
    {L"EnableDelayTouch", 5, 0, 1, 0, "EnableDelayTouch value is incorrect! value =0,1\n",
     "EnableDelayTouch value is incorrect! value =0,1\n"},
    {L"DelayTouchTime", 6, 25, 250, 25, "DelayTouchTime value is incorrect! value = 25-250\n",
     "DelayTouchTime value is incorrect! value = 25-250\n"},
    {L"EnableBeep", 10, 0, 1, 0, "EnableBeep value is incorrect! value =0,1\n",
     "EnableBeep value is incorrect! value =0,1\n"},
    {L"BeepMode", 12, 0, 2, 0, "BeepMode value is incorrect! value = 0,1,2\n",
     "BeepMode value is incorrect! value = 0,1,2\n"},
    {L"BeepType", 11, 0, 1, 0, "BeepType value is incorrect! value = 0,1\n",
     "BeepType value is incorrect! value = 0,1\n"},
    // The driver accepts 50 and up; the message is the driver's fixed text, which names 100.
    {L"BeepFrequency", 13, 50, 7000, 7000, "BeepFrequency value is incorrect! value =100-7000\n",
     "BeepFrequency value is incorrect! value =100-7000\n"},
    {L"BeepDuration", 14, 10, 100, 100, "BeepDuration value is incorrect! value =10-100\n",
     "BeepDuration value is incorrect! value = 10-100\n"},
}};

// The default text the import reads for a missing global key.
inline constexpr const wchar_t* kGlobalDefaultText = L"0";

// One value of a touch screen subkey. The table lists them in export order.
struct DeviceValue {
  const wchar_t* name;
  const wchar_t* defaultText;    // read by the import when the key is missing
  std::int32_t fallback;         // written by the import for a malformed text
  const char* malformed;         // console message, or null for a silent fallback
  int recordIndex;               // the DeviceParameters field PelnixLib.dll stores here
};

inline constexpr int kDeviceValueCount = 26;

inline constexpr std::array<DeviceValue, kDeviceValueCount> kDeviceValues{{
    {L"IsCalibrate", L"0", 0, nullptr, 23},
    {L"M1X", L"0", 0, "M1X value is incorrect!\n", 7},
    {L"M1Y", L"0", 0, "M1Y value is incorrect!\n", 8},
    {L"M2X", L"0", 0, "M2X value is incorrect!\n", 9},
    {L"M2Y", L"0", 0, "M2Y value is incorrect!\n", 10},
    {L"M3X", L"0", 0, "M3X value is incorrect!\n", 11},
    {L"M3Y", L"0", 0, "M3Y value is incorrect!\n", 12},
    {L"M4X", L"0", 0, "M4X value is incorrect!\n", 13},
    {L"M4Y", L"0", 0, "M4Y value is incorrect!\n", 14},
    {L"MaxX", L"65536", 65536, "MaxX value is incorrect!\n", 32},
    {L"MaxY", L"65536", 65536, "MaxY value is incorrect!\n", 33},
    {L"MinX", L"0", 0, "MinX value is incorrect!\n", 30},
    {L"MinY", L"0", 0, "MinY value is incorrect!\n", 31},
    {L"ScreenWidth", L"1280", 1280, "ScreenWidth value is incorrect!\n", 2},
    // A missing height reads as 0, a malformed one as 1024: stored files rely on both.
    {L"ScreenHeight", L"0", 1024, "ScreenHeight value is incorrect!\n", 3},
    {L"ScreenX", L"0", 0, "ScreenX value is incorrect!\n", 19},
    {L"ScreenY", L"0", 0, "ScreenY value is incorrect!\n", 20},
    {L"XOff", L"0", 0, "XOff value is incorrect!\n", 4},
    {L"YOff", L"0", 0, "YOff value is incorrect!\n", 5},
    {L"MonitorID", L"0", 0, "MonitorID value is incorrect!\n", 22},
    {L"EnableEdge", L"0", 0, "EnableEdge value is incorrect!\n", 6},
    {L"EdgeX", L"0", 0, "Edge value is incorrect!\n", 15},
    {L"EdgeY", L"0", 0, "EdgeY value is incorrect!\n", 16},
    {L"EdgeWidth", L"0", 0, "EdgeWidth value is incorrect!\n", 17},
    {L"EdgeHeight", L"0", 0, "EdgeHeight value is incorrect!\n", 18},
    {L"EdgeA", L"0", 0, "EdgeA value is incorrect!\n", 24},
}};

// The order in which the import checks and writes a touch screen's values (indices into
// kDeviceValues); it differs from the export order.
inline constexpr std::array<int, kDeviceValueCount> kDeviceImportOrder{
    1, 2, 3, 4, 5, 6, 7, 8,  // M1X .. M4Y
    9, 10, 11, 12,           // MaxX, MaxY, MinX, MinY
    13, 14, 15, 16,          // ScreenWidth, ScreenHeight, ScreenX, ScreenY
    0, 19, 17, 18,           // IsCalibrate, MonitorID, XOff, YOff
    20, 21, 22, 23, 24, 25,  // EnableEdge, EdgeX .. EdgeA
};

// DeviceParameters fields with no value of the table above. PelnixLib.dll keeps them in the
// same subkey under these names, so that they come back unchanged.
struct ExtraDeviceField {
  const wchar_t* name;
  int recordIndex;
};
inline constexpr std::array<ExtraDeviceField, 7> kExtraDeviceFields{{
    {L"AreaWidth", 0},
    {L"AreaHeight", 1},
    {L"Reserved25", 25},
    {L"Reserved26", 26},
    {L"Reserved27", 27},
    {L"Reserved28", 28},
    {L"Reserved29", 29},
}};

// The default record of a touch screen that has nothing stored: each field takes the value of
// its default text; TouchScreenNo is the caller's.
DeviceParameters DefaultDeviceParameters();

// The default global record: each setting at its fallback.
DriverParameters DefaultDriverParameters();

// Finds a global value by name (exact, letter case counting); null when unknown.
const GlobalValue* FindGlobalValue(std::wstring_view name);
