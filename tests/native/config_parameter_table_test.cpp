// The one parameter table: orders, ranges and the record layout every user relies on.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "config/core/parameter_table.h"

TEST(ConfigParameterTable, GlobalValuesInStoreOrderCoverTheRecordOnce) {
  const char* storeOrder[] = {"Mode", "EnableTouch", "HideCursor", "EnableDoubleClick",
                              "DoubleClickTime", "DoubleClickArea", "EnableRightClick",
                              "RightClickTime", "RightClickArea", "EnableDragDelay",
                              "DragDelayTime", "EnableDelayTouch", "DelayTouchTime",
                              "EnableBeep", "BeepMode", "BeepType", "BeepFrequency",
                              "BeepDuration"};
  const int recordIndex[] = {0, 1, 9, 15, 16, 17, 2, 3, 4, 7, 8, 5, 6, 10, 12, 11, 13, 14};
  std::set<int> seen;
  for (int i = 0; i < 18; ++i) {
    const std::wstring expected(storeOrder[i], storeOrder[i] + std::strlen(storeOrder[i]));
    EXPECT_EQ(kGlobalValues[i].name, expected) << i;
    EXPECT_EQ(kGlobalValues[i].recordIndex, recordIndex[i]) << storeOrder[i];
    EXPECT_LE(kGlobalValues[i].min, kGlobalValues[i].fallback) << storeOrder[i];
    EXPECT_GE(kGlobalValues[i].max, kGlobalValues[i].fallback) << storeOrder[i];
    seen.insert(kGlobalValues[i].recordIndex);
  }
  EXPECT_EQ(seen.size(), 18u);
}

TEST(ConfigParameterTable, RecordFieldsSitWhereTheLibraryExpectsThem) {
  DriverParameters driver;
  driver.HideCursor = 7;
  driver.DoubleClickArea = 9;
  EXPECT_EQ(driver.Get(9), 7);
  EXPECT_EQ(driver.Get(17), 9);
  driver.Set(13, 4000);
  EXPECT_EQ(driver.BeepFrequency, 4000);

  DeviceParameters device;
  device.Set(21, 5);
  device.Set(23, 1);
  device.Set(33, -3);
  EXPECT_EQ(device.TouchScreenNo, 5);
  EXPECT_EQ(device.IsCalibrate, 1);
  EXPECT_EQ(device.AreaBottom, -3);
}

TEST(ConfigParameterTable, DeviceValuesAndExtrasMapEveryStoredFieldOnce) {
  const char* exportOrder[] = {"IsCalibrate", "M1X", "M1Y", "M2X", "M2Y", "M3X", "M3Y",
                               "M4X", "M4Y", "MaxX", "MaxY", "MinX", "MinY", "ScreenWidth",
                               "ScreenHeight", "ScreenX", "ScreenY", "XOff", "YOff",
                               "MonitorID", "EnableEdge", "EdgeX", "EdgeY", "EdgeWidth",
                               "EdgeHeight", "EdgeA"};
  std::multiset<int> fields;
  for (int i = 0; i < kDeviceValueCount; ++i) {
    const std::wstring expected(exportOrder[i], exportOrder[i] + std::strlen(exportOrder[i]));
    EXPECT_EQ(kDeviceValues[i].name, expected);
    fields.insert(kDeviceValues[i].recordIndex);
  }
  for (const ExtraDeviceField& extra : kExtraDeviceFields) fields.insert(extra.recordIndex);
  // Every field but TouchScreenNo, which names the subkey, is stored exactly once.
  for (int index = 0; index < DeviceParameters::kFieldCount; ++index)
    EXPECT_EQ(fields.count(index), index == 21 ? 0u : 1u) << index;
  EXPECT_EQ(kDeviceValues[0].recordIndex, 23);   // IsCalibrate
  EXPECT_EQ(kDeviceValues[19].recordIndex, 22);  // MonitorID
  EXPECT_EQ(kDeviceValues[1].recordIndex, 7);    // M1X
}

TEST(ConfigParameterTable, ImportOrderIsAPermutationEndingWithTheEdgeValues) {
  const char* importOrder[] = {"M1X", "M1Y", "M2X", "M2Y", "M3X", "M3Y", "M4X", "M4Y",
                               "MaxX", "MaxY", "MinX", "MinY", "ScreenWidth", "ScreenHeight",
                               "ScreenX", "ScreenY", "IsCalibrate", "MonitorID", "XOff",
                               "YOff", "EnableEdge", "EdgeX", "EdgeY", "EdgeWidth",
                               "EdgeHeight", "EdgeA"};
  for (int i = 0; i < kDeviceValueCount; ++i) {
    const std::wstring expected(importOrder[i], importOrder[i] + std::strlen(importOrder[i]));
    EXPECT_EQ(kDeviceValues[kDeviceImportOrder[i]].name, expected) << i;
  }
}

TEST(ConfigParameterTable, DefaultsFollowTheTable) {
  const DeviceParameters device = DefaultDeviceParameters();
  EXPECT_EQ(device.AreaRight, 65536);       // MaxX
  EXPECT_EQ(device.AreaBottom, 65536);      // MaxY
  EXPECT_EQ(device.AreaPixelWidth, 1280);   // ScreenWidth
  EXPECT_EQ(device.AreaPixelHeight, 0);     // ScreenHeight: missing reads as 0
  EXPECT_EQ(device.IsCalibrate, 0);
  const DriverParameters driver = DefaultDriverParameters();
  EXPECT_EQ(driver.EnableTouch, 1);
  EXPECT_EQ(driver.DoubleClickTime, 500);
  EXPECT_EQ(driver.BeepFrequency, 7000);
  EXPECT_EQ(FindGlobalValue(L"BeepDuration")->fallback, 100);
  EXPECT_EQ(FindGlobalValue(L"beepduration"), nullptr);
}

TEST(ConfigParameterTable, NumbersOutsideTheirRangeAddressZero) {
  EXPECT_EQ(NormalizeTouchScreenNo(254), 254);
  EXPECT_EQ(NormalizeTouchScreenNo(255), 0);
  EXPECT_EQ(NormalizeTouchScreenNo(-1), 0);
  EXPECT_EQ(NormalizeMonitorId(255), 255);
  EXPECT_EQ(NormalizeMonitorId(256), 0);
  EXPECT_EQ(NormalizeMonitorId(-5), 0);
}
