#pragma once
// Monitors given as a layout, behind the monitor seam (device/monitor_system.h), for tests and
// the demo build: several monitors on a machine, or under Xvfb, that has one. Without a
// layout it reports the system's own monitors. Thread-safe.
#include <mutex>
#include <vector>

#include "device/monitor_system.h"

class SimulatedMonitorSystem final : public MonitorSystem {
public:
  // The monitors from now on, in order; an empty layout gives the system's monitors back.
  void SetLayout(std::vector<RECT> monitors);
  std::vector<RECT> Monitors() override;
  // Every monitor of the layout measures `size` from now on ({0, 0}: the system's answer).
  void SetPhysicalSize(MonitorMillimetres size);
  // Monitor i of the layout measures sizes[i] from now on (one without: as above).
  void SetPhysicalSizes(std::vector<MonitorMillimetres> sizes);
  MonitorMillimetres PhysicalSize(const RECT& area) override;

private:
  std::mutex m_mutex;
  std::vector<RECT> m_layout;
  MonitorMillimetres m_size;
  std::vector<MonitorMillimetres> m_sizes;
};

// The simulated monitors of a test process or of the demo: the system's until a layout is set.
SimulatedMonitorSystem& SimulatedMonitors();
