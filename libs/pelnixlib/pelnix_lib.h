#pragma once
// PelnixLib.dll: the driver-interface library. Exported by ordinal only (PelnixLib.def).
//
// Storage. The driver reads its configuration from the registry under HKEY_LOCAL_MACHINE,
// "SYSTEM\CurrentControlSet\Services\PelnixHID\Parameters":
//
// - "DriverParameters": the 18 global settings, one REG_DWORD per setting, named as the
//   fields of DriverParameters (Mode, EnableTouch, ...). A setting not stored reads as its
//   fallback value of the parameter table, so a fresh machine has touch input on.
//
// - "DeviceParameters\TouchScreen<n>": one subkey per touch screen, <n> its touch screen
//   number in decimal without leading zeros (TouchScreen0 .. TouchScreen254). A number
//   outside 0..254 is touch screen 0. The subkey holds the 26 values the export and import
//   know, filled from the 34 fields of DeviceParameters as follows:
//
//     field  0 AreaWidth        -> AreaWidth      (kept beside the 26)
//     field  1 AreaHeight       -> AreaHeight     (kept beside the 26)
//     field  2 AreaPixelWidth   -> ScreenWidth
//     field  3 AreaPixelHeight  -> ScreenHeight
//     field  4                  -> XOff
//     field  5                  -> YOff
//     field  6                  -> EnableEdge
//     fields 7..14 M1X..M4Y     -> M1X .. M4Y
//     fields 15..18             -> EdgeX, EdgeY, EdgeWidth, EdgeHeight
//     field 19 AreaX            -> ScreenX
//     field 20 AreaY            -> ScreenY
//     field 21 TouchScreenNo    -> the subkey's name
//     field 22 MonitorID        -> MonitorID
//     field 23 IsCalibrate      -> IsCalibrate
//     field 24                  -> EdgeA
//     fields 25..29             -> Reserved25 .. Reserved29 (kept beside the 26)
//     field 30 AreaLeft         -> MinX
//     field 31 AreaTop          -> MinY
//     field 32 AreaRight        -> MaxX
//     field 33 AreaBottom       -> MaxY
//
//   and a REG_DWORD "DeviceKey", the key SetDeviceParameters was given. A value not stored
//   reads as the default of its key in the parameter table (MaxX and MaxY 65536,
//   ScreenWidth 1280, everything else 0); field 21 comes back as the caller set it.
//
// Every function returns 1 when the registry took or gave the record, 0 otherwise.
#include <cstdint>

#include "config/core/driver_parameters.h"

// Exported through PelnixLib.def, by ordinal only.
#define PELNIX_API extern "C" std::int32_t __stdcall

PELNIX_API SetDriverParameters(
    std::int32_t Mode, std::int32_t EnableTouch, std::int32_t EnableRightClick,
    std::int32_t RightClickTime, std::int32_t RightClickArea, std::int32_t EnableDelayTouch,
    std::int32_t DelayTouchTime, std::int32_t EnableDragDelay, std::int32_t DragDelayTime,
    std::int32_t HideCursor, std::int32_t EnableBeep, std::int32_t BeepType,
    std::int32_t BeepMode, std::int32_t BeepFrequency, std::int32_t BeepDuration,
    std::int32_t EnableDoubleClick, std::int32_t DoubleClickTime,
    std::int32_t DoubleClickArea);

PELNIX_API GetDriverParameters(DriverParameters* parameters);

PELNIX_API GetDeviceParameters(DeviceParameters* parameters);

PELNIX_API SetDeviceParameters(
    std::uint32_t deviceKey, std::int32_t f0, std::int32_t f1, std::int32_t f2,
    std::int32_t f3, std::int32_t f4, std::int32_t f5, std::int32_t f6, std::int32_t f7,
    std::int32_t f8, std::int32_t f9, std::int32_t f10, std::int32_t f11, std::int32_t f12,
    std::int32_t f13, std::int32_t f14, std::int32_t f15, std::int32_t f16, std::int32_t f17,
    std::int32_t f18, std::int32_t f19, std::int32_t f20, std::int32_t f21, std::int32_t f22,
    std::int32_t f23, std::int32_t f24, std::int32_t f25, std::int32_t f26, std::int32_t f27,
    std::int32_t f28, std::int32_t f29, std::int32_t f30, std::int32_t f31, std::int32_t f32,
    std::int32_t f33);
