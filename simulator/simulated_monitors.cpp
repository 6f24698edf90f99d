#include "simulator/simulated_monitors.h"

void SimulatedMonitorSystem::SetLayout(std::vector<RECT> monitors) {
  std::lock_guard<std::mutex> lock(mutex_);
  layout_ = std::move(monitors);
}

std::vector<RECT> SimulatedMonitorSystem::Monitors() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!layout_.empty()) return layout_;
  }
  return SystemMonitors().Monitors();
}

SimulatedMonitorSystem& SimulatedMonitors() {
  static SimulatedMonitorSystem* system = new SimulatedMonitorSystem;
  return *system;
}
