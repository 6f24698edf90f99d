#include "device/touch_screen_list.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <new>
#include <string>

#include "base/system_failure.h"
#include "device/hid_touch_screen_io.h"

TouchScreenList::TouchScreenList(HidSystem& hid, MonitorSystem& monitors)
    : m_hid(hid), m_monitorSystem(monitors) {
  EnumerateTouchScreens();
  EnumerateMonitors();
}

TouchScreenList::~TouchScreenList() {
  for (auto& slot : m_devices) {
    if (slot) Release(*slot);
  }
}

OccupiedSlots<TouchScreenDevice> TouchScreenList::occupied() const {
  return OccupiedSlots<TouchScreenDevice>(m_devices.data(), std::min<int>(static_cast<int>(count()), kMaxTouchScreens));
}

TouchScreenDevice* TouchScreenList::device(int index) const {
  if (index < 0 || index >= kMaxTouchScreens) return nullptr;
  return m_devices[index].get();
}

std::shared_ptr<TouchScreenDevice> TouchScreenList::shared(int index) const {
  if (index < 0 || index >= kMaxTouchScreens) return nullptr;
  return m_devices[index];
}

TouchScreenId TouchScreenList::id(int index) const {
  const TouchScreenDevice* d = device(index);
  return d ? d->id() : 0;
}

int TouchScreenList::IndexOf(TouchScreenId id) const {
  if (id == 0) return -1;
  for (const auto [slot, device] : occupied())
    if (device.id() == id) return slot;
  return -1;
}

HANDLE TouchScreenList::handle(int index) const {
  const TouchScreenDevice* d = device(index);
  return d ? d->HidInfo.handle : INVALID_HANDLE_VALUE;
}

void TouchScreenList::EnumerateTouchScreens() {
  if (!m_hid.BeginEnumeration()) {
    RecordSystemFailure(L"SetupDiGetClassDevsW", L"HID interfaces");
    return;
  }
  for (DWORD index = 0;; ++index) {
    std::wstring path;
    DWORD error = 0;
    const HidEnumStatus status = m_hid.EnumerateInterface(index, path, &error);
    // A failing step ends the enumeration: the touch screens accepted so far stay listed,
    // and no index is retried.
    if (status == HidEnumStatus::Failed) {
      RecordSystemFailure(L"SetupDiEnumDeviceInterfaces", L"HID interface " + std::to_wstring(index),
                          error);
    }
    if (status != HidEnumStatus::Found) break;

    HidDevice info;
    if (!OpenTouchScreen(path, info)) continue;
    if (m_nCount >= kMaxTouchScreens) {
      // The list is full: a 65th touch screen is closed again and not listed.
      CloseHidInfo(info);
      continue;
    }
    auto record = std::make_shared<TouchScreenDevice>(std::make_shared<HidTouchScreenIo>(m_hid, info.handle));
    record->HidInfo = info;
    std::wstring pdo;
    const DWORD pdoError = m_hid.ReadPdoName(pdo);
    if (pdoError == ERROR_NOT_ENOUGH_MEMORY) {
      std::printf("Insufficient memory.\n");
    } else if (pdoError != 0) {
      std::printf("SetupDiGetDeviceRegistryProperty failed, Error: %lu",
                  static_cast<unsigned long>(pdoError));
    } else {
      record->PdoName = std::make_unique<wchar_t[]>(pdo.size() + 1);
      std::wmemcpy(record->PdoName.get(), pdo.c_str(), pdo.size() + 1);
    }
    record->open = 1;
    // Slots fill from 0 upwards and stay dense during enumeration.
    m_devices[m_nCount] = std::move(record);
    ++m_nCount;
  }
  m_hid.EndEnumeration();
}

bool TouchScreenList::OpenTouchScreen(const std::wstring& path, HidDevice& info) {
  HANDLE handle = m_hid.Open(path, false);
  if (handle == INVALID_HANDLE_VALUE) {
    // Other programs' HID devices may well refuse to be opened: worth a record all the same.
    RecordSystemFailure(L"CreateFileW", path);
    return false;
  }
  info.handle = handle;
  if (!m_hid.GetPreparsedData(handle, &info.preparsed)) {
    RecordSystemFailure(L"HidD_GetPreparsedData", path);
    info.preparsed = nullptr;
    CloseHidInfo(info);
    return false;
  }
  if (!m_hid.GetAttributes(handle, &info.attributes)) {
    RecordSystemFailure(L"HidD_GetAttributes", path);
    CloseHidInfo(info);
    return false;
  }
  if (info.attributes.VendorID != kTouchScreenVendorId) {
    CloseHidInfo(info);
    return false;
  }
  m_hid.GetCaps(info.preparsed, &info.caps);  // its status does not reject the device

  // Reopened for overlapped I/O, so that the device thread can read and write with events.
  m_hid.Close(info.handle);
  info.handle = m_hid.Open(path, true);
  if (info.handle == INVALID_HANDLE_VALUE) {
    RecordSystemFailure(L"CreateFileW", path + L" (overlapped)");
    CloseHidInfo(info);
    return false;
  }
  // The system's 32 reports would do while the reader keeps up; a failure leaves them.
  if (!m_hid.SetNumInputBuffers(info.handle, kInputBuffers))
    RecordSystemFailure(L"HidD_SetNumInputBuffers", path);
  return true;
}

void TouchScreenList::Release(TouchScreenDevice& device) {
  device.MarkGone();
  // The handle is the I/O's now: it closes once no exchange holds the touch screen.
  device.HidInfo.handle = INVALID_HANDLE_VALUE;
  if (device.HidInfo.preparsed) m_hid.FreePreparsedData(device.HidInfo.preparsed);
  device.HidInfo.preparsed = nullptr;
}

void TouchScreenList::CloseHidInfo(HidDevice& info) {
  if (info.handle != INVALID_HANDLE_VALUE) m_hid.Close(info.handle);
  info.handle = INVALID_HANDLE_VALUE;
  if (info.preparsed) m_hid.FreePreparsedData(info.preparsed);
  info.preparsed = nullptr;
}

void TouchScreenList::AddMonitor(const RECT& rect) {
  // A 65th monitor is not recorded.
  if (m_nMonitorCount >= kMaxMonitors) return;
  m_monitors[m_nMonitorCount] = MonitorEntry{rect.left, rect.top, rect.right, rect.bottom, m_nMonitorCount};
  ++m_nMonitorCount;
}

void TouchScreenList::EnumerateMonitors() {
  for (const RECT& rect : m_monitorSystem.Monitors()) AddMonitor(rect);
}

void TouchScreenList::RefreshMonitors() {
  m_nMonitorCount = 0;
  EnumerateMonitors();
}

void TouchScreenList::RegisterDeviceNotifications(HWND window) {
  // By index rather than over occupied(): a failed registration moves the next touch screen
  // down into the slot, which is registered next. Slots stay dense, so the first empty one is
  // the list's end.
  int i = 0;
  while (TouchScreenDevice* d = device(i)) {
    HDEVNOTIFY notify = m_hid.RegisterHandleNotification(window, d->HidInfo.handle);
    if (notify) {
      d->DeviceNotify = notify;
      d->open = 1;
      ++i;
      continue;
    }
    // Without a removal notification the program could not follow this touch screen: it goes
    // as a removed one does, and the touch screens after it move down into its slot, which is
    // registered next.
    RecordSystemFailure(L"RegisterDeviceNotificationW", L"touch screen in slot " + std::to_wstring(i));
    RemoveAt(i);
  }
  m_hInterfaceNotify = m_hid.RegisterInterfaceNotification(window);
  if (!m_hInterfaceNotify) RecordSystemFailure(L"RegisterDeviceNotificationW", L"HID interface class");
}

void TouchScreenList::UnregisterInterfaceNotifications() {
  if (m_hInterfaceNotify) m_hid.UnregisterNotification(m_hInterfaceNotify);
  m_hInterfaceNotify = nullptr;
}

int TouchScreenList::FindByHandle(HANDLE handle) const {
  for (const auto [slot, device] : occupied())
    if (device.HidInfo.handle == handle) return slot;
  return -1;
}

void TouchScreenList::Close(int index) {
  TouchScreenDevice* d = device(index);
  if (!d) return;
  Release(*d);
  d->open = 0;
}

void TouchScreenList::RemoveAt(int index) {
  TouchScreenDevice* d = device(index);
  if (!d) return;
  Release(*d);
  --m_nCount;
  m_devices[index].reset();
  m_mapping[index].monitorNo = -1;
  for (int j = index + 1; j < kMaxTouchScreens && m_devices[j]; ++j) {
    m_devices[j - 1] = std::move(m_devices[j]);
    m_mapping[j - 1] = MappingEntry{reinterpret_cast<std::intptr_t>(m_devices[j - 1]->HidInfo.handle),
                                   m_mapping[j].monitorNo, j - 1};
    m_mapping[j] = MappingEntry{};
  }
}
