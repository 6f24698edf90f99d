#pragma once
// The touch screens and monitors of the demo build (demo_hid_system.cpp).
class HidSystem;
class MonitorSystem;

HidSystem& DemoHidSystem();
MonitorSystem& DemoMonitorSystem();
