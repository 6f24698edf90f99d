#include "config/core/parameter_table.h"

#include "config/core/value_check.h"

DeviceParameters DefaultDeviceParameters() {
  DeviceParameters record;
  for (const DeviceValue& value : kDeviceValues)
    record.Set(value.recordIndex, ParseDecimal(value.defaultText, false).value_or(0));
  return record;
}

DriverParameters DefaultDriverParameters() {
  DriverParameters record;
  for (const GlobalValue& value : kGlobalValues) record.Set(value.recordIndex, value.fallback);
  return record;
}

const GlobalValue* FindGlobalValue(std::wstring_view name) {
  for (const GlobalValue& value : kGlobalValues)
    if (name == value.name) return &value;
  return nullptr;
}
