// The HID system of the demo build: simulated touch screens, plugged in from the start (two,
// or as many as PELNIX_DEMO_TOUCHSCREENS says), the monitors of PELNIX_DEMO_MONITORS when it
// is set (the system's otherwise), and the real mouse standing in for a finger over the
// full-screen windows (demo_mouse_touch). Only the demo reads these variables.
#include <cstdlib>
#include <string>

#include "simulator/demo_hid_system.h"
#include "simulator/core/demo_frame.h"
#include "simulator/core/monitor_layout.h"
#include "simulator/demo_mouse_touch.h"
#include "simulator/simulated_monitors.h"
#include "simulator/simulated_touch_screen.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

sim::TouchScreenConfig DemoTouchScreen(int index) {
  sim::TouchScreenConfig config;
  config.number = static_cast<std::uint8_t>(index);
  config.productId = static_cast<std::uint16_t>(index + 1);
  config.version = {2, static_cast<std::uint8_t>(index % 2), 0, static_cast<std::uint8_t>(15 + index), 1,
                    static_cast<std::uint8_t>(index * 2)};
  if (index == 1) {
    config.serial = {0x12, 0x34, 0x00, 0x02, 0x71, 0x20};
    config.leds.badLeds = {3, 45};  // something for the LED test to find
  }
  return config;
}

}  // namespace

MonitorSystem& DemoMonitorSystem() {
  static SimulatedMonitorSystem& monitors = [] () -> SimulatedMonitorSystem& {
    SimulatedMonitorSystem& m = SimulatedMonitors();
    if (const auto layout = sim::ParseMonitorLayout(Environment("PELNIX_DEMO_MONITORS"))) {
      std::vector<RECT> rects;
      std::vector<MonitorMillimetres> sizes;
      for (const sim::MonitorRect& r : *layout) {
        rects.push_back(RECT{r.left, r.top, r.right, r.bottom});
        sizes.push_back(sim::TypicalMonitorSize(r.right - r.left, r.bottom - r.top));
      }
      m.SetLayout(std::move(rects));
      // Each measures what a real monitor of its resolution reports, not a share of the one screen.
      m.SetPhysicalSizes(std::move(sizes));
    }
    return m;
  }();
  return monitors;
}

HidSystem& DemoHidSystem() {
  // Never destroyed: report workers may still call it while the process ends.
  static SimulatedHidSystem* system = [] {
    auto* s = new SimulatedHidSystem;
    const int count = sim::ParseTouchScreenCount(Environment("PELNIX_DEMO_TOUCHSCREENS"))
                          .value_or(sim::kDefaultDemoTouchScreens);
    for (int i = 0; i < count; ++i) s->Add(DemoTouchScreen(i));
    StartDemoMouseTouch(*s, DemoMonitorSystem());
    return s;
  }();
  return *system;
}
