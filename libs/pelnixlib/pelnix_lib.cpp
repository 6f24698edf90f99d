#include "pelnix_lib.h"

#include <windows.h>

#include <string>

#include "base/scoped_handle.h"
#include "config/core/parameter_table.h"

namespace {

// An open key of the driver's store, closed once.
class StoreKey {
public:
  StoreKey(const std::wstring& path, bool create) {
    const REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE;
    HKEY key = nullptr;
    const LONG status =
        create ? RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 access, nullptr, &key, nullptr)
               : RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_SUCCESS) m_hKey.reset(key);
  }

  bool IsOpen() const { return m_hKey.valid(); }

  std::int32_t Read(const wchar_t* name, std::int32_t missing) const {
    DWORD value = 0, size = sizeof(value), type = 0;
    if (!m_hKey || RegQueryValueExW(m_hKey.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                  &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
      return missing;
    return static_cast<std::int32_t>(value);
  }

  bool Write(const wchar_t* name, std::int32_t value) const {
    const DWORD data = static_cast<DWORD>(value);
    return m_hKey && RegSetValueExW(m_hKey.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                  sizeof(data)) == ERROR_SUCCESS;
  }

private:
  ScopedRegKey m_hKey;
};

std::wstring TouchScreenKeyPath(std::int32_t touchScreenNo) {
  return std::wstring(kDeviceParametersPath) + L"\\TouchScreen" +
         std::to_wstring(NormalizeTouchScreenNo(touchScreenNo));
}

std::int32_t StoreDriverParameters(const DriverParameters& record) {
  StoreKey key(std::wstring(kDriverParametersPath), true);
  bool stored = key.IsOpen();
  for (const GlobalValue& value : kGlobalValues)
    stored = key.Write(value.name, record.Get(value.recordIndex)) && stored;
  return stored ? 1 : 0;
}

std::int32_t StoreDeviceParameters(std::uint32_t deviceKey, const DeviceParameters& record) {
  StoreKey key(TouchScreenKeyPath(record.TouchScreenNo), true);
  bool stored = key.IsOpen();
  for (const DeviceValue& value : kDeviceValues)
    stored = key.Write(value.name, record.Get(value.recordIndex)) && stored;
  for (const ExtraDeviceField& extra : kExtraDeviceFields)
    stored = key.Write(extra.name, record.Get(extra.recordIndex)) && stored;
  stored = key.Write(L"DeviceKey", static_cast<std::int32_t>(deviceKey)) && stored;
  return stored ? 1 : 0;
}

}  // namespace

PELNIX_API SetDriverParameters(
    std::int32_t Mode, std::int32_t EnableTouch, std::int32_t EnableRightClick,
    std::int32_t RightClickTime, std::int32_t RightClickArea, std::int32_t EnableDelayTouch,
    std::int32_t DelayTouchTime, std::int32_t EnableDragDelay, std::int32_t DragDelayTime,
    std::int32_t HideCursor, std::int32_t EnableBeep, std::int32_t BeepType,
    std::int32_t BeepMode, std::int32_t BeepFrequency, std::int32_t BeepDuration,
    std::int32_t EnableDoubleClick, std::int32_t DoubleClickTime,
    std::int32_t DoubleClickArea) {
  const DriverParameters record{Mode,          EnableTouch,      EnableRightClick,
                                RightClickTime, RightClickArea,  EnableDelayTouch,
                                DelayTouchTime, EnableDragDelay, DragDelayTime,
                                HideCursor,     EnableBeep,      BeepType,
                                BeepMode,       BeepFrequency,   BeepDuration,
                                EnableDoubleClick, DoubleClickTime, DoubleClickArea};
  return StoreDriverParameters(record);
}

PELNIX_API GetDriverParameters(DriverParameters* parameters) {
  if (!parameters) return 0;
  const DriverParameters defaults = DefaultDriverParameters();
  StoreKey key(std::wstring(kDriverParametersPath), false);
  for (const GlobalValue& value : kGlobalValues)
    parameters->Set(value.recordIndex,
                    key.Read(value.name, defaults.Get(value.recordIndex)));
  return key.IsOpen() ? 1 : 0;
}

PELNIX_API GetDeviceParameters(DeviceParameters* parameters) {
  if (!parameters) return 0;
  const DeviceParameters defaults = DefaultDeviceParameters();
  StoreKey key(TouchScreenKeyPath(parameters->TouchScreenNo), false);
  for (const DeviceValue& value : kDeviceValues)
    parameters->Set(value.recordIndex, key.Read(value.name, defaults.Get(value.recordIndex)));
  for (const ExtraDeviceField& extra : kExtraDeviceFields)
    parameters->Set(extra.recordIndex, key.Read(extra.name, defaults.Get(extra.recordIndex)));
  return key.IsOpen() ? 1 : 0;
}

PELNIX_API SetDeviceParameters(
    std::uint32_t deviceKey, std::int32_t f0, std::int32_t f1, std::int32_t f2,
    std::int32_t f3, std::int32_t f4, std::int32_t f5, std::int32_t f6, std::int32_t f7,
    std::int32_t f8, std::int32_t f9, std::int32_t f10, std::int32_t f11, std::int32_t f12,
    std::int32_t f13, std::int32_t f14, std::int32_t f15, std::int32_t f16, std::int32_t f17,
    std::int32_t f18, std::int32_t f19, std::int32_t f20, std::int32_t f21, std::int32_t f22,
    std::int32_t f23, std::int32_t f24, std::int32_t f25, std::int32_t f26, std::int32_t f27,
    std::int32_t f28, std::int32_t f29, std::int32_t f30, std::int32_t f31, std::int32_t f32,
    std::int32_t f33) {
  const std::int32_t fields[DeviceParameters::kFieldCount] = {
      f0,  f1,  f2,  f3,  f4,  f5,  f6,  f7,  f8,  f9,  f10, f11, f12, f13, f14, f15, f16,
      f17, f18, f19, f20, f21, f22, f23, f24, f25, f26, f27, f28, f29, f30, f31, f32, f33};
  DeviceParameters record;
  for (int i = 0; i < DeviceParameters::kFieldCount; ++i) record.Set(i, fields[i]);
  return StoreDeviceParameters(deviceKey, record);
}
