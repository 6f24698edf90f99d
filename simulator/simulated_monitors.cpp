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

void SimulatedMonitorSystem::SetPhysicalSize(MonitorMillimetres size) {
  std::lock_guard<std::mutex> lock(mutex_);
  size_ = size;
}

MonitorMillimetres SimulatedMonitorSystem::PhysicalSize(const RECT& area) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (size_.width > 0 && size_.height > 0) return size_;
  }
  return SystemMonitors().PhysicalSize(area);
}

SimulatedMonitorSystem& SimulatedMonitors() {
  static SimulatedMonitorSystem* system = new SimulatedMonitorSystem;
  return *system;
}
