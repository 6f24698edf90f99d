// ParameterKey against Wine's registry.
#include <gtest/gtest.h>

#include "config/parameter_key.h"
#include "windows/config_test_registry.h"

using namespace config_test;

TEST_F(DriverRegistryTest, OpenOrCreateReportsTheCreationThenOpens) {
  ParameterKey key;
  EXPECT_FALSE(key.OpenOrCreate(kDriverPath));  // created with read access, reported
  EXPECT_FALSE(key.IsOpen());
  EXPECT_TRUE(KeyExists(kDriverPath));
  EXPECT_TRUE(key.OpenOrCreate(kDriverPath));
  EXPECT_TRUE(key.IsOpen());

  EXPECT_EQ(key.ReadDword(L"Mode"), 0);  // missing reads as 0
  EXPECT_TRUE(key.WriteDword(L"Mode", -5));
  EXPECT_EQ(key.ReadDword(L"Mode"), -5);
  EXPECT_EQ(Dwords(kDriverPath).at(L"Mode"), -5);
  key.Close();
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ(key.ReadDword(L"Mode"), 0);
  EXPECT_FALSE(key.WriteDword(L"Mode", 1));
}

TEST_F(DriverRegistryTest, ReadDwordTakesWhatFitsInFourBytes) {
  CreateKey(kDriverPath);
  HKEY raw = nullptr;
  RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDriverPath.c_str(), 0, KEY_ALL_ACCESS, &raw);
  const BYTE shortValue[2] = {0x34, 0x12};
  RegSetValueExW(raw, L"Short", 0, REG_BINARY, shortValue, 2);
  const BYTE longValue[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  RegSetValueExW(raw, L"Long", 0, REG_BINARY, longValue, 8);
  RegCloseKey(raw);

  ParameterKey key;
  ASSERT_TRUE(key.Open(kDriverPath));
  EXPECT_EQ(key.ReadDword(L"Short"), 0x1234);
  EXPECT_EQ(key.ReadDword(L"Long"), 0);  // does not fit: cannot be read
}
