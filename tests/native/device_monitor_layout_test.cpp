// The demo's monitor layout and touch screen count, as its environment gives them.
#include <gtest/gtest.h>

#include "simulator/core/monitor_layout.h"

namespace {

using sim::MonitorRect;

TEST(MonitorLayout, ParsesMonitorsInOrder) {
  struct Case {
    const char* text;
    std::vector<MonitorRect> monitors;
  };
  const Case cases[] = {
      {"1280x800+0+0", {{0, 0, 1280, 800}}},
      {"1280x800+0+0,1024x768+1280+0", {{0, 0, 1280, 800}, {1280, 0, 2304, 768}}},
      {" 800X600-800+0 , 640x480+0-480", {{-800, 0, 0, 600}, {0, -480, 640, 0}}},
      {"32767x32767+1000000-1000000", {{1000000, -1000000, 1032767, -967233}}},
  };
  for (const Case& c : cases) {
    const auto parsed = sim::ParseMonitorLayout(c.text);
    ASSERT_TRUE(parsed.has_value()) << c.text;
    EXPECT_EQ(*parsed, c.monitors) << c.text;
  }
}

TEST(MonitorLayout, RefusesAnyMalformedEntry) {
  const char* const cases[] = {
      "", ",", "1280x800+0+0,", "1280x800", "1280x800+0", "1280*800+0+0", "x800+0+0",
      "0x800+0+0", "1280x0+0+0", "32768x800+0+0", "1280x800+1000001+0", "1280x800+0+0junk",
      "1280x800++0+0", "99999999999x800+0+0", "-1280x800+0+0", "1280x800+ 0+0",
  };
  for (const char* text : cases) EXPECT_FALSE(sim::ParseMonitorLayout(text).has_value()) << text;

  std::string many;
  for (int i = 0; i < sim::kMaxDemoMonitors; ++i) many += (i ? "," : "") + std::string("10x10+0+0");
  EXPECT_EQ(sim::ParseMonitorLayout(many)->size(), 64u);
  EXPECT_FALSE(sim::ParseMonitorLayout(many + ",10x10+0+0").has_value());
}

TEST(MonitorLayout, TouchScreenCountFromOneToSixtyFour) {
  EXPECT_EQ(sim::ParseTouchScreenCount("1"), 1);
  EXPECT_EQ(sim::ParseTouchScreenCount(" 64 "), 64);
  for (const char* text : {"", "0", "65", "-1", "2x", "two", "99999999999"})
    EXPECT_FALSE(sim::ParseTouchScreenCount(text).has_value()) << text;
}

}  // namespace
