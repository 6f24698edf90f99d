#pragma once
// The demo's stand-ins, as its environment gives them, without Win32:
//   PELNIX_DEMO_MONITORS      monitors as WIDTHxHEIGHT+X+Y, comma-separated, in the order the
//                             system would report them ("1280x800+0+0,1024x768+1280+0");
//                             X and Y take a sign each, so "-1024" puts a monitor left of 0
//   PELNIX_DEMO_TOUCHSCREENS  how many simulated touch screens (1 to 64)
// A value that does not parse as a whole is refused, and the demo keeps its default.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace sim {

struct MonitorRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const MonitorRect&) const = default;
};

inline constexpr int kMaxDemoMonitors = 64;
inline constexpr int kMaxDemoTouchScreens = 64;
inline constexpr int kDefaultDemoTouchScreens = 2;

// The monitors of a layout; nullopt when any entry is malformed, when a size is 0 or above
// 32767, an offset beyond +-1000000, or there are none or more than 64.
std::optional<std::vector<MonitorRect>> ParseMonitorLayout(std::string_view text);

// A count from 1 to 64; nullopt otherwise.
std::optional<int> ParseTouchScreenCount(std::string_view text);

}  // namespace sim
