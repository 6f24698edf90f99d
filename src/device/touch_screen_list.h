#pragma once
// TouchScreenList: the list of attached touch screens and monitors of a process, one of its
// device services (device_services.h).
//
// Built once by enumerating the HID interfaces and keeping the devices of the touch screen
// vendor, each opened for overlapped I/O; then the display monitors are recorded.
// Windows and the device thread address a touch screen by its slot index and talk to it
// through the handle the list keeps open. The list only shrinks: a failed notification
// registration or a removal.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "device/hid_system.h"
#include "device/monitor_system.h"

inline constexpr int kMaxTouchScreens = 64;
inline constexpr int kMaxMonitors = 64;
inline constexpr USHORT kTouchScreenVendorId = 0x7E3A;
// Input reports the system keeps for each touch screen's handle: the most it allows, so that a
// long reply (an LED run of hundreds of reports) survives a reader the scheduler holds back.
inline constexpr ULONG kInputBuffers = 512;

// The open HID device of one touch screen.
struct HidDevice {
  HANDLE handle = INVALID_HANDLE_VALUE;
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  HIDP_CAPS caps{};
  HIDD_ATTRIBUTES attributes{};
};

struct TouchScreenDevice {
  HDEVNOTIFY DeviceNotify = nullptr;
  HidDevice HidInfo;
  std::int32_t open = 0;  // 1 while the handle is open; 0 after a removal query closed it
  // Written by report workers on other threads, read by windows: atomics, so a read never
  // sees a torn value. -1 until something fills them.
  std::array<std::atomic<std::int32_t>, 3> HwVersion{-1, -1, -1};
  std::atomic<std::int8_t> SerialNo0{-1};
  std::atomic<std::int8_t> SerialNo1{-1};
  std::atomic<std::int32_t> SerialNo2{-1};
  std::atomic<std::int32_t> IsCalibrated{0};
  std::atomic<std::int32_t> TouchScreenNo{-1};
  std::atomic<std::int32_t> MonitorNo{-1};
  std::unique_ptr<wchar_t[]> PdoName;  // physical-device-object name, or null
};

struct MonitorEntry {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // virtual-screen pixels, full area
  std::int32_t index = 0;
};

struct MappingEntry {
  std::intptr_t deviceHandle = 0;  // the touch screen's open handle, 0 when none
  std::int32_t monitorNo = -1;
  std::int32_t touchScreenNo = -1;
};

class TouchScreenList {
public:
  // Builds the list on the given HID system and monitors: enumerates touch screens, then
  // monitors.
  explicit TouchScreenList(HidSystem& hid, MonitorSystem& monitors = SystemMonitors());
  ~TouchScreenList();
  TouchScreenList(const TouchScreenList&) = delete;
  TouchScreenList& operator=(const TouchScreenList&) = delete;

  HidSystem& hid() { return m_hid; }
  MonitorSystem& monitorSystem() { return m_monitorSystem; }

  // Slots 0 .. count()-1.
  std::uint32_t count() const { return m_nCount.load(); }
  TouchScreenDevice* device(int index) const;
  HANDLE handle(int index) const;  // INVALID_HANDLE_VALUE for an empty slot or index

  int monitorCount() const { return m_nMonitorCount; }
  const MonitorEntry& monitor(int index) const { return m_monitors[index]; }
  void RefreshMonitors();  // monitor count 0, then enumerate again into the same table

  MappingEntry& mapping(int index) { return m_mapping[index]; }

  // Registers the window for removal notifications of every listed handle. A touch screen
  // whose registration fails is removed as an unplugged one is (RemoveAt): it is closed and
  // the touch screens after it move down one slot, so every other one stays reachable.
  void RegisterDeviceNotifications(HWND window);

  int FindByHandle(HANDLE handle) const;  // first occupied slot below count with that handle, or -1
  void Close(int index);                  // on a removal query: handle closed, record kept
  void RemoveAt(int index);               // on removal: slot emptied, the rest move down

private:
  void EnumerateTouchScreens();
  bool OpenTouchScreen(const std::wstring& path, HidDevice& info);
  void CloseHidInfo(HidDevice& info);
  void EnumerateMonitors();
  void AddMonitor(const RECT& rect);

  HidSystem& m_hid;
  MonitorSystem& m_monitorSystem;
  std::array<std::unique_ptr<TouchScreenDevice>, kMaxTouchScreens> m_devices;
  std::atomic<std::uint32_t> m_nCount{0};
  std::array<MonitorEntry, kMaxMonitors> m_monitors{};
  int m_nMonitorCount = 0;
  std::array<MappingEntry, kMaxTouchScreens> m_mapping{};
};
