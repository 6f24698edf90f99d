#include "ui/core/properties_format.h"

#include <cwchar>

namespace {
std::int32_t ShownPart(std::int32_t part) { return part < 0 ? 0 : part; }
}  // namespace

std::wstring FormatHardwareVersion(std::int32_t major, std::int32_t minor, std::int32_t build) {
  wchar_t text[48];
  std::swprintf(text, 48, L"%d.%d.%d", ShownPart(major), ShownPart(minor), ShownPart(build));
  return text;
}

std::wstring FormatSerialNumber(std::int8_t first, std::int8_t second, std::int32_t number) {
  wchar_t text[48];
  std::swprintf(text, 48, L"%d%d%d", ShownPart(first), ShownPart(second), ShownPart(number));
  return text;
}

LangKey CalibratedKey(std::int32_t isCalibrated) { return isCalibrated == 1 ? LangKey::Yes : LangKey::No; }
