// The HID system of the demo build: two simulated touch screens, plugged in from the start,
// and the real mouse standing in for a finger over the full-screen windows (demo_mouse_touch).
#include "simulator/demo_mouse_touch.h"
#include "simulator/simulated_touch_screen.h"

SimulatedHidSystem& SimulatedHid() {
  // Never destroyed: report workers may still call it while the process ends.
  static SimulatedHidSystem* system = [] {
    auto* s = new SimulatedHidSystem;
    sim::TouchScreenConfig first;
    first.number = 0;
    first.version = {2, 0, 0, 15, 1, 0};
    sim::TouchScreenConfig second;
    second.number = 1;
    second.productId = 0x0002;
    second.version = {2, 1, 0, 16, 1, 2};
    second.serial = {0x12, 0x34, 0x00, 0x02, 0x71, 0x20};
    second.leds.badLeds = {3, 45};  // something for the LED test to find
    s->Add(first);
    s->Add(second);
    StartDemoMouseTouch(*s);
    return s;
  }();
  return *system;
}

HidSystem& DefaultHidSystem() { return SimulatedHid(); }
