// The key of a touch screen's driver record.
#include <gtest/gtest.h>

#include "config/core/device_key.h"

TEST(ConfigDeviceKey, DeviceKeyFromTheLastEightCharacters) {
  EXPECT_EQ(DeviceKeyFromPdoName(L"\\Device\\00000041"), 0x42u);
  EXPECT_EQ(DeviceKeyFromPdoName(L"1f"), 0x20u);
  EXPECT_EQ(DeviceKeyFromPdoName(L"\\Device\\ABCDEF12x"), 0xBCDEF12u + 1);
  EXPECT_EQ(DeviceKeyFromPdoName(L""), 1u);
  EXPECT_EQ(DeviceKeyFromPdoName(L"FFFFFFFF"), 0u);  // wraps, as 32-bit arithmetic does
}
