#pragma once
// TouchScreenList: the list of attached touch screens and monitors of a process, one of its
// device services (device_services.h).
//
// Built once by enumerating the HID interfaces and keeping the devices of the touch screen
// vendor, each opened for overlapped I/O; then the display monitors are recorded.
// Windows address a touch screen by its slot index on the user-interface thread, which alone
// reads and changes the list. What crosses threads (requests, replies, the main window's
// workers) names a touch screen by its id or holds it by shared ownership: a removal empties
// or moves a slot, never a touch screen under an exchange. The list only shrinks: a failed
// notification registration or a removal.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "device/core/attached_touch_screen.h"
#include "device/core/occupied_slots.h"
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

// One listed touch screen: its identity and what is known of it (AttachedTouchScreen), and the
// open HID device. Its I/O owns the device handle, which closes when the last exchange lets go;
// HidInfo.handle keeps the value the removal notifications name, and is INVALID_HANDLE_VALUE
// once the touch screen is closed.
struct TouchScreenDevice : AttachedTouchScreen {
  explicit TouchScreenDevice(std::shared_ptr<TouchScreenIo> io) : AttachedTouchScreen(std::move(io)) {}
  HDEVNOTIFY DeviceNotify = nullptr;
  HidDevice HidInfo;
  std::int32_t open = 0;  // 1 while the handle is open; 0 after a removal query closed it
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
  // The slots below count() that hold a touch screen, with their index: every loop over the
  // listed touch screens.
  OccupiedSlots<TouchScreenDevice> occupied() const;
  TouchScreenDevice* device(int index) const;
  // The touch screen in a slot, held: for what crosses threads. Null for an empty slot.
  std::shared_ptr<TouchScreenDevice> shared(int index) const;
  TouchScreenId id(int index) const;     // 0 for an empty slot or index
  int IndexOf(TouchScreenId id) const;    // its slot now, or -1 when it is not listed (gone)
  HANDLE handle(int index) const;  // INVALID_HANDLE_VALUE for an empty slot or index

  int monitorCount() const { return m_nMonitorCount; }
  const MonitorEntry& monitor(int index) const { return m_monitors[index]; }
  void RefreshMonitors();  // monitor count 0, then enumerate again into the same table

  MappingEntry& mapping(int index) { return m_mapping[index]; }

  // Registers the window for removal notifications of every listed handle, then for those of
  // the HID device interfaces. A touch screen whose registration fails is removed as an
  // unplugged one is (RemoveAt): it is closed and the touch screens after it move down one
  // slot, so every other one stays reachable.
  void RegisterDeviceNotifications(HWND window);
  // Releases the HID device interfaces' notifications, before the window goes.
  void UnregisterInterfaceNotifications();

  int FindByHandle(HANDLE handle) const;  // first occupied slot below count with that handle, or -1
  void Close(int index);                  // on a removal query: handle closed, record kept
  void RemoveAt(int index);               // on removal: slot emptied, the rest move down

private:
  void EnumerateTouchScreens();
  bool OpenTouchScreen(const std::wstring& path, HidDevice& info);
  void CloseHidInfo(HidDevice& info);
  void Release(TouchScreenDevice& device);  // gone: its exchanges end, its handle closes after them
  void EnumerateMonitors();
  void AddMonitor(const RECT& rect);

  HidSystem& m_hid;
  MonitorSystem& m_monitorSystem;
  std::array<std::shared_ptr<TouchScreenDevice>, kMaxTouchScreens> m_devices;
  std::atomic<std::uint32_t> m_nCount{0};
  std::array<MonitorEntry, kMaxMonitors> m_monitors{};
  int m_nMonitorCount = 0;
  std::array<MappingEntry, kMaxTouchScreens> m_mapping{};
  HDEVNOTIFY m_hInterfaceNotify = nullptr;
};
