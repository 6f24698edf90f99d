#include "ui/core/main_window_rules.h"

#include <cwchar>

#include "device/core/report_protocol.h"

namespace main_window {

std::wstring ListItemText(std::int32_t touchScreenNo, std::int32_t monitorNo) {
  wchar_t text[64];
  std::swprintf(text, 64, L"TouchScreen No.%i \n   Monitor     No.%i", static_cast<int>(touchScreenNo),
                static_cast<int>(monitorNo));
  return text;
}

int ListImage(std::int32_t isCalibrated) {
  return isCalibrated == 1 ? kImageCalibrated : kImageUncalibrated;
}

bool ActionButtonsEnabled(std::uint32_t touchScreenCount, int selected, std::int32_t isCalibrated) {
  return touchScreenCount > 0 && selected != -1 && (isCalibrated == 0 || isCalibrated == 1);
}

std::int32_t ValidTouchScreenNo(std::int32_t number) {
  return number < 0 || number > 254 ? 0 : number;
}

std::int32_t ValidMonitorNo(std::int32_t monitorId) {
  return static_cast<std::uint32_t>(monitorId) > 255 ? 0 : monitorId;
}

std::array<std::int32_t, 3> HardwareVersionFromReply(const std::uint8_t* reply) {
  return protocol::DecodeHardwareVersion(reply).value_or(std::array<std::int32_t, 3>{1, 0, 0});
}

std::optional<LangKey> HelpFailureKey(std::intptr_t shellResult) {
  constexpr std::intptr_t kFileNotFound = 2;    // SE_ERR_FNF
  constexpr std::intptr_t kNoAssociation = 31;    // SE_ERR_NOASSOC
  if (shellResult == kFileNotFound) return LangKey::ManualNotFound;
  if (shellResult == kNoAssociation) return LangKey::NoPdfReader;
  return std::nullopt;
}

}  // namespace main_window
