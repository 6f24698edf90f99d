// Our PelnixLib.dll through the program's loader: ordinals by number, every field of both
// records through Set and Get, the store it keeps, and a missing library as a result.
#include <gtest/gtest.h>

#include "config/driver_library.h"
#include "support/process_runner.h"
#include "windows/config_test_registry.h"

using namespace config_test;

namespace {

class ConfigDriverLibrary : public DriverRegistryTest {
protected:
  void SetUp() override {
    DriverRegistryTest::SetUp();
    ASSERT_TRUE(m_library.LoadFrom(DistPath(kDriverLibraryName)));
  }
  DriverLibrary m_library;
};

}  // namespace

TEST_F(ConfigDriverLibrary, ExportsTheFourOrdinalsAndNoNames) {
  HMODULE module = LoadLibraryW(DistPath(kDriverLibraryName).c_str());
  ASSERT_NE(module, nullptr);
  for (WORD ordinal = 1; ordinal <= 4; ++ordinal)
    EXPECT_NE(GetProcAddress(module, MAKEINTRESOURCEA(ordinal)), nullptr) << ordinal;
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(5)), nullptr);
  EXPECT_EQ(GetProcAddress(module, "GetDriverParameters"), nullptr);
  FreeLibrary(module);
}

TEST_F(ConfigDriverLibrary, EveryDriverFieldSurvivesSetThenGet) {
  DriverParameters written;
  for (int i = 0; i < DriverParameters::kFieldCount; ++i) written.Set(i, 1000 * i - 7);
  ASSERT_TRUE(m_library.SetDriverParameters(written));
  DriverParameters read;
  ASSERT_TRUE(m_library.GetDriverParameters(read));
  for (int i = 0; i < DriverParameters::kFieldCount; ++i) EXPECT_EQ(read.Get(i), written.Get(i)) << i;

  // The store is the DriverParameters key, by name, where the export reads it.
  const auto stored = Dwords(kDriverPath);
  EXPECT_EQ(stored.size(), 18u);
  EXPECT_EQ(stored.at(L"HideCursor"), written.HideCursor);
  EXPECT_EQ(stored.at(L"DoubleClickArea"), written.DoubleClickArea);
}

TEST_F(ConfigDriverLibrary, NothingStoredGivesTheFallbacks) {
  DriverParameters read;
  m_library.GetDriverParameters(read);
  EXPECT_EQ(read.EnableTouch, 1);
  EXPECT_EQ(read.DoubleClickTime, 500);
  DeviceParameters device;
  device.TouchScreenNo = 3;
  m_library.GetDeviceParameters(device);
  EXPECT_EQ(device.AreaRight, 65536);
  EXPECT_EQ(device.AreaPixelWidth, 1280);
  EXPECT_EQ(device.IsCalibrate, 0);
  EXPECT_EQ(device.TouchScreenNo, 3);
}

TEST_F(ConfigDriverLibrary, EveryDeviceFieldSurvivesSetThenGet) {
  for (std::int32_t number : {0, 1, 254}) {
    DeviceParameters written;
    for (int i = 0; i < DeviceParameters::kFieldCount; ++i)
      written.Set(i, (i + 1) * 111 * (i % 2 ? -1 : 1) + number);
    written.TouchScreenNo = number;
    ASSERT_TRUE(m_library.SetDeviceParameters(0x1234 + number, written));

    DeviceParameters read;
    read.TouchScreenNo = number;
    ASSERT_TRUE(m_library.GetDeviceParameters(read));
    for (int i = 0; i < DeviceParameters::kFieldCount; ++i)
      EXPECT_EQ(read.Get(i), written.Get(i)) << "touch screen " << number << " field " << i;

    const auto stored = Dwords(TouchScreenPath(L"TouchScreen" + std::to_wstring(number)));
    EXPECT_EQ(stored.at(L"M1X"), written.M1X);
    EXPECT_EQ(stored.at(L"MonitorID"), written.MonitorID);
    EXPECT_EQ(stored.at(L"IsCalibrate"), written.IsCalibrate);
    EXPECT_EQ(stored.at(L"MaxX"), written.AreaRight);
    EXPECT_EQ(stored.at(L"DeviceKey"), 0x1234 + number);
    for (const DeviceValue& value : kDeviceValues) EXPECT_EQ(stored.count(value.name), 1u);
  }
  EXPECT_EQ(Subkeys(kDevicePath).size(), 3u);
}

TEST_F(ConfigDriverLibrary, NumbersOutsideTheRangeAreTouchScreenZero) {
  DeviceParameters written;
  written.TouchScreenNo = 255;
  written.M2Y = 42;
  m_library.SetDeviceParameters(1, written);
  EXPECT_EQ(Subkeys(kDevicePath), std::vector<std::wstring>{L"TouchScreen0"});

  DeviceParameters read;
  read.TouchScreenNo = -4;
  m_library.GetDeviceParameters(read);
  EXPECT_EQ(read.M2Y, 42);
  EXPECT_EQ(read.TouchScreenNo, 0);  // set to 0 by the caller side before the call
}

TEST(ConfigDriverLibraryMissing, IsAResultNotACrash) {
  DriverLibrary library;
  EXPECT_FALSE(library.LoadFrom(L"C:\\no\\such\\folder\\PelnixLib.dll"));
  EXPECT_FALSE(library.IsLoaded());
  DriverParameters driver;
  driver.Mode = 2;
  EXPECT_FALSE(library.GetDriverParameters(driver));
  EXPECT_EQ(driver.Mode, 2);
  EXPECT_FALSE(library.SetDriverParameters(driver));
  DeviceParameters device;
  EXPECT_FALSE(library.GetDeviceParameters(device));
  EXPECT_FALSE(library.SetDeviceParameters(1, device));
}
