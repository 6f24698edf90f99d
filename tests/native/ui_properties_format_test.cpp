// The texts of the touch screen properties dialog.
#include <gtest/gtest.h>

#include "ui/core/properties_format.h"

TEST(PropertiesFormat, HardwareVersionShowsNegativePartsAsZero) {
  EXPECT_EQ(FormatHardwareVersion(2, 0, 15), L"2.0.15");
  EXPECT_EQ(FormatHardwareVersion(-1, 3, 4), L"0.3.4");
  EXPECT_EQ(FormatHardwareVersion(-1, -1, -1), L"0.0.0");
  EXPECT_EQ(FormatHardwareVersion(648, 15, 324), L"648.15.324");
}

TEST(PropertiesFormat, SerialPartsStandSideBySide) {
  EXPECT_EQ(FormatSerialNumber(0, 0, 65535), L"0065535");
  EXPECT_EQ(FormatSerialNumber(1, 2, 3), L"123");
  EXPECT_EQ(FormatSerialNumber(-1, -128, -1), L"000");
  EXPECT_EQ(FormatSerialNumber(127, 5, 2147483647), L"12752147483647");
}

TEST(PropertiesFormat, OnlyOneIsCalibrated) {
  EXPECT_EQ(CalibratedKey(1), LangKey::Yes);
  for (int value : {0, 2, -1}) EXPECT_EQ(CalibratedKey(value), LangKey::No) << value;
}
