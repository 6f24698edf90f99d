// The main window's portable rules: list items, the button rule, identity replies, Help.
#include <gtest/gtest.h>

#include <cstring>

#include "ui/core/main_window_rules.h"

namespace {
using namespace main_window;

struct Reply {
  std::uint8_t bytes[100] = {};
  Reply(std::initializer_list<std::uint8_t> head) { std::copy(head.begin(), head.end(), bytes); }
};

TEST(MainWindowRules, ListItemTextHasLineFeedAndBothNumbers) {
  EXPECT_EQ(ListItemText(3, 1), L"TouchScreen No.3 \n   Monitor     No.1");
  EXPECT_EQ(ListItemText(254, 255), L"TouchScreen No.254 \n   Monitor     No.255");
}

TEST(MainWindowRules, OnlyCalibratedOneGetsTheCalibratedImage) {
  EXPECT_EQ(ListImage(1), kImageCalibrated);
  EXPECT_EQ(ListImage(0), kImageUncalibrated);
  EXPECT_EQ(ListImage(2), kImageUncalibrated);
  EXPECT_EQ(ListImage(-1), kImageUncalibrated);
}

TEST(MainWindowRules, ActionButtonsNeedASelectionAndAKnownCalibratedState) {
  EXPECT_TRUE(ActionButtonsEnabled(1, 0, 0));
  EXPECT_TRUE(ActionButtonsEnabled(2, 1, 1));
  EXPECT_FALSE(ActionButtonsEnabled(0, 0, 0));   // no touch screen
  EXPECT_FALSE(ActionButtonsEnabled(2, -1, 1));  // nothing selected
  EXPECT_FALSE(ActionButtonsEnabled(2, 0, 2));   // state neither 0 nor 1
  EXPECT_FALSE(ActionButtonsEnabled(2, 0, -1));
}

TEST(MainWindowRules, StoredNumbersOutOfRangeBecomeZero) {
  EXPECT_EQ(ValidTouchScreenNo(-1), 0);
  EXPECT_EQ(ValidTouchScreenNo(255), 0);
  EXPECT_EQ(ValidTouchScreenNo(254), 254);
  EXPECT_EQ(ValidMonitorNo(255), 255);
  EXPECT_EQ(ValidMonitorNo(256), 0);
  EXPECT_EQ(ValidMonitorNo(-1), 0);  // above 255 taken unsigned
}

TEST(MainWindowRules, HardwareVersionCountsEachPartIn324) {
  const Reply reply{0x30, 'V', 'v', 2, 0, 0, 15, 1, 0};
  const auto version = HardwareVersionFromReply(reply.bytes);
  EXPECT_EQ(version[0], 648);
  EXPECT_EQ(version[1], 15);
  EXPECT_EQ(version[2], 324);
}

TEST(MainWindowRules, HardwareVersionFallsBackToOneZeroZero) {
  const std::array<std::int32_t, 3> fallback{1, 0, 0};
  EXPECT_EQ(HardwareVersionFromReply(Reply{0x30, 'V', 'v', ' ', 1, 2, 3, 4, 5}.bytes), fallback);
  EXPECT_EQ(HardwareVersionFromReply(Reply{0x30, 'V', 's', 2, 0, 0, 15, 1, 0}.bytes), fallback);
  EXPECT_EQ(HardwareVersionFromReply(Reply{0x30, 'v', 'v', 2, 0, 0, 15, 1, 0}.bytes), fallback);
}

TEST(MainWindowRules, HelpReportsOnlyMissingFileAndMissingApplication) {
  EXPECT_EQ(HelpFailureKey(2), LangKey::ManualNotFound);
  EXPECT_EQ(HelpFailureKey(31), LangKey::NoPdfReader);
  EXPECT_EQ(HelpFailureKey(42), std::nullopt);
  EXPECT_EQ(HelpFailureKey(3), std::nullopt);
}
}  // namespace
