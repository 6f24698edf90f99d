// The import's value rules: digits, saturation, the touch screen values' leading minus,
// ranges, fallbacks and messages.
#include <gtest/gtest.h>

#include <string>

#include "config/core/value_check.h"

namespace {

const GlobalValue& Global(const wchar_t* name) { return *FindGlobalValue(name); }

const DeviceValue& Device(std::wstring_view name) {
  for (const DeviceValue& value : kDeviceValues)
    if (name == value.name) return value;
  throw std::logic_error("no such value");
}

}  // namespace

TEST(ConfigValueCheck, DigitsOnlyWithSaturation) {
  EXPECT_EQ(ParseDecimal(L"", false), 0);
  EXPECT_EQ(ParseDecimal(L"0", false), 0);
  EXPECT_EQ(ParseDecimal(L"007", false), 7);
  EXPECT_EQ(ParseDecimal(L"2147483647", false), 2147483647);
  EXPECT_EQ(ParseDecimal(L"2147483648", false), 2147483647);
  EXPECT_EQ(ParseDecimal(L"99999999999", false), 2147483647);
  EXPECT_EQ(ParseDecimal(std::wstring(5000, L'9'), false), 2147483647);
  for (const wchar_t* bad : {L"-1", L"+1", L" 1", L"1 ", L"1a", L"0x10", L"1.5", L"\x0661"})
    EXPECT_FALSE(ParseDecimal(bad, false).has_value()) << static_cast<int>(bad[0]);
}

TEST(ConfigValueCheck, OneLeadingMinusWhenAllowed) {
  EXPECT_EQ(ParseDecimal(L"-12", true), -12);
  EXPECT_EQ(ParseDecimal(L"-0", true), 0);
  EXPECT_EQ(ParseDecimal(L"-2147483648", true), -2147483647 - 1);
  EXPECT_EQ(ParseDecimal(L"-" + std::wstring(3000, L'7'), true), -2147483647 - 1);
  for (const wchar_t* bad : {L"-", L"--1", L"1-", L"-+1", L"- 1"})
    EXPECT_FALSE(ParseDecimal(bad, true).has_value());
}

TEST(ConfigValueCheck, GlobalValuesAtBothEndsOfEveryRange) {
  for (const GlobalValue& rule : kGlobalValues) {
    for (std::int32_t inside : {rule.min, rule.max}) {
      const CheckedValue ok = CheckGlobalValue(rule, std::to_wstring(inside));
      EXPECT_EQ(ok.value, inside);
      EXPECT_EQ(ok.message, nullptr);
    }
    if (rule.min > 0) {
      const CheckedValue below = CheckGlobalValue(rule, std::to_wstring(rule.min - 1));
      EXPECT_EQ(below.value, rule.fallback);
      EXPECT_STREQ(below.message, rule.outOfRange);
    }
    const CheckedValue above = CheckGlobalValue(rule, std::to_wstring(rule.max + 1));
    EXPECT_EQ(above.value, rule.fallback);
    EXPECT_STREQ(above.message, rule.outOfRange);
    // A negative global value is still refused, with the message and the fallback.
    const CheckedValue negative = CheckGlobalValue(rule, L"-1");
    EXPECT_EQ(negative.value, rule.fallback);
    EXPECT_STREQ(negative.message, rule.malformed);
  }
}

TEST(ConfigValueCheck, GlobalSpecialCases) {
  EXPECT_EQ(CheckGlobalValue(Global(L"BeepFrequency"), L"60").message, nullptr);
  EXPECT_EQ(CheckGlobalValue(Global(L"BeepFrequency"), L"40").value, 7000);
  EXPECT_STREQ(CheckGlobalValue(Global(L"BeepDuration"), L"5").message,
               "BeepDuration value is incorrect! value =10-100\n");
  EXPECT_STREQ(CheckGlobalValue(Global(L"BeepDuration"), L"x").message,
               "BeepDuration value is incorrect! value = 10-100\n");
  const CheckedValue nines = CheckGlobalValue(Global(L"EnableTouch"), L"99999999999");
  EXPECT_EQ(nines.value, 1);
  EXPECT_NE(nines.message, nullptr);
  // The empty text is a number, 0: valid for switches, out of range for times.
  EXPECT_EQ(CheckGlobalValue(Global(L"EnableTouch"), L"").value, 0);
  EXPECT_EQ(CheckGlobalValue(Global(L"DoubleClickTime"), L"").value, 500);
}

TEST(ConfigValueCheck, DeviceValues) {
  EXPECT_EQ(CheckDeviceValue(Device(L"XOff"), L"-12").value, -12);
  EXPECT_EQ(CheckDeviceValue(Device(L"XOff"), L"-12").message, nullptr);
  EXPECT_EQ(CheckDeviceValue(Device(L"MaxX"), L"99999999999").value, 2147483647);
  const CheckedValue height = CheckDeviceValue(Device(L"ScreenHeight"), L"abc");
  EXPECT_EQ(height.value, 1024);
  EXPECT_STREQ(height.message, "ScreenHeight value is incorrect!\n");
  const CheckedValue calibrate = CheckDeviceValue(Device(L"IsCalibrate"), L"yes");
  EXPECT_EQ(calibrate.value, 0);
  EXPECT_EQ(calibrate.message, nullptr);
  EXPECT_STREQ(CheckDeviceValue(Device(L"EdgeX"), L"?").message, "Edge value is incorrect!\n");
  EXPECT_EQ(CheckDeviceValue(Device(L"MaxY"), L"--1").value, 65536);
}
