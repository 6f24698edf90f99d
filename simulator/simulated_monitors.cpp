#include "simulator/simulated_monitors.h"

void SimulatedMonitorSystem::SetLayout(std::vector<RECT> monitors) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_layout = std::move(monitors);
}

std::vector<RECT> SimulatedMonitorSystem::Monitors() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_layout.empty()) return m_layout;
  }
  return SystemMonitors().Monitors();
}

void SimulatedMonitorSystem::SetPhysicalSize(MonitorMillimetres size) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_size = size;
}

void SimulatedMonitorSystem::SetPhysicalSizes(std::vector<MonitorMillimetres> sizes) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_sizes = std::move(sizes);
}

MonitorMillimetres SimulatedMonitorSystem::PhysicalSize(const RECT& area) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (std::size_t i = 0; i < m_layout.size() && i < m_sizes.size(); ++i)
      if (::EqualRect(&m_layout[i], &area) && m_sizes[i].width > 0 && m_sizes[i].height > 0) return m_sizes[i];
    if (m_size.width > 0 && m_size.height > 0) return m_size;
  }
  return SystemMonitors().PhysicalSize(area);
}

SimulatedMonitorSystem& SimulatedMonitors() {
  static SimulatedMonitorSystem* system = new SimulatedMonitorSystem;
  return *system;
}
