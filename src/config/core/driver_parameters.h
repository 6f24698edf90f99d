#pragma once
// The two records the driver works with, as they are passed to and from PelnixLib.dll.
//
// DriverParameters: the 18 global settings, signed 32-bit integers in record order.
// DeviceParameters: one touch screen's calibration and mapping record, 34 signed 32-bit
// integers. Fields this program does not interpret keep their index in the name
// (Reserved4 ...); they belong to the library and travel unchanged from a read to the next
// write.
#include <cstddef>
#include <cstdint>
#include <cstring>

// Field access by index for records that are arrays of 32-bit integers with names.
template <typename Record>
std::int32_t GetField(const Record& record, int index) {
  std::int32_t value;
  std::memcpy(&value, reinterpret_cast<const unsigned char*>(&record) + index * 4, 4);
  return value;
}
template <typename Record>
void SetField(Record& record, int index, std::int32_t value) {
  std::memcpy(reinterpret_cast<unsigned char*>(&record) + index * 4, &value, 4);
}

struct DriverParameters {
  std::int32_t Mode = 0;
  std::int32_t EnableTouch = 0;
  std::int32_t EnableRightClick = 0;
  std::int32_t RightClickTime = 0;
  std::int32_t RightClickArea = 0;
  std::int32_t EnableDelayTouch = 0;
  std::int32_t DelayTouchTime = 0;
  std::int32_t EnableDragDelay = 0;
  std::int32_t DragDelayTime = 0;
  std::int32_t HideCursor = 0;
  std::int32_t EnableBeep = 0;
  std::int32_t BeepType = 0;
  std::int32_t BeepMode = 0;
  std::int32_t BeepFrequency = 0;
  std::int32_t BeepDuration = 0;
  std::int32_t EnableDoubleClick = 0;
  std::int32_t DoubleClickTime = 0;
  std::int32_t DoubleClickArea = 0;

  static constexpr int kFieldCount = 18;
  // Field by record index (0..17); the layout is a plain array of 32-bit integers.
  std::int32_t Get(int index) const { return GetField(*this, index); }
  void Set(int index, std::int32_t value) { SetField(*this, index, value); }
};
static_assert(sizeof(DriverParameters) == DriverParameters::kFieldCount * 4);

struct DeviceParameters {
  std::int32_t AreaWidth = 0;        // 0
  std::int32_t AreaHeight = 0;       // 1
  std::int32_t AreaPixelWidth = 0;   // 2
  std::int32_t AreaPixelHeight = 0;  // 3
  std::int32_t Reserved4 = 0;
  std::int32_t Reserved5 = 0;
  std::int32_t Reserved6 = 0;
  std::int32_t M1X = 0;  // 7
  std::int32_t M1Y = 0;
  std::int32_t M2X = 0;
  std::int32_t M2Y = 0;
  std::int32_t M3X = 0;
  std::int32_t M3Y = 0;
  std::int32_t M4X = 0;
  std::int32_t M4Y = 0;  // 14
  std::int32_t Reserved15 = 0;
  std::int32_t Reserved16 = 0;
  std::int32_t Reserved17 = 0;
  std::int32_t Reserved18 = 0;
  std::int32_t AreaX = 0;          // 19
  std::int32_t AreaY = 0;          // 20
  std::int32_t TouchScreenNo = 0;  // 21, set by the caller before GetDeviceParameters
  std::int32_t MonitorID = 0;      // 22
  std::int32_t IsCalibrate = 0;    // 23
  std::int32_t Reserved24 = 0;
  std::int32_t Reserved25 = 0;
  std::int32_t Reserved26 = 0;
  std::int32_t Reserved27 = 0;
  std::int32_t Reserved28 = 0;
  std::int32_t Reserved29 = 0;
  std::int32_t AreaLeft = 0;    // 30
  std::int32_t AreaTop = 0;     // 31
  std::int32_t AreaRight = 0;   // 32
  std::int32_t AreaBottom = 0;  // 33

  static constexpr int kFieldCount = 34;
  std::int32_t Get(int index) const { return GetField(*this, index); }
  void Set(int index, std::int32_t value) { SetField(*this, index, value); }
};
static_assert(sizeof(DeviceParameters) == DeviceParameters::kFieldCount * 4);
static_assert(offsetof(DeviceParameters, TouchScreenNo) == 21 * 4);
static_assert(offsetof(DeviceParameters, AreaBottom) == 33 * 4);

// A touch screen number outside 0..254 addresses touch screen 0.
constexpr std::int32_t NormalizeTouchScreenNo(std::int32_t number) {
  return number < 0 || number > 254 ? 0 : number;
}

// A monitor number outside 0..255 is monitor 0.
constexpr std::int32_t NormalizeMonitorId(std::int32_t monitor) {
  return monitor < 0 || monitor > 255 ? 0 : monitor;
}
