#include "config/core/device_key.h"

std::uint32_t DeviceKeyFromPdoName(std::wstring_view pdoName) {
  if (pdoName.size() > 8) pdoName = pdoName.substr(pdoName.size() - 8);
  std::uint32_t key = 0;
  for (wchar_t c : pdoName) {
    unsigned digit;
    if (c >= L'0' && c <= L'9') digit = c - L'0';
    else if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
    else break;
    key = key * 16 + digit;
  }
  return key + 1;
}
