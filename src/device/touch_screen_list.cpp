#include "device/touch_screen_list.h"

#include <cstdio>
#include <cwchar>
#include <new>
#include <string>

#include "base/system_failure.h"

TouchScreenList::TouchScreenList(HidSystem& hid, MonitorSystem& monitors)
    : hid_(hid), monitorSystem_(monitors) {
  EnumerateTouchScreens();
  EnumerateMonitors();
}

TouchScreenList::~TouchScreenList() {
  for (auto& slot : devices_) {
    if (slot && slot->open) CloseHidInfo(slot->HidInfo);
  }
}

TouchScreenDevice* TouchScreenList::device(int index) const {
  if (index < 0 || index >= kMaxTouchScreens) return nullptr;
  return devices_[index].get();
}

HANDLE TouchScreenList::handle(int index) const {
  const TouchScreenDevice* d = device(index);
  return d ? d->HidInfo.handle : INVALID_HANDLE_VALUE;
}

void TouchScreenList::EnumerateTouchScreens() {
  if (!hid_.BeginEnumeration()) {
    RecordSystemFailure(L"SetupDiGetClassDevsW", L"HID interfaces");
    return;
  }
  for (DWORD index = 0;; ++index) {
    std::wstring path;
    DWORD error = 0;
    const HidEnumStatus status = hid_.EnumerateInterface(index, path, &error);
    // A failing step ends the enumeration: the touch screens accepted so far stay listed,
    // and no index is retried.
    if (status == HidEnumStatus::Failed) {
      RecordSystemFailure(L"SetupDiEnumDeviceInterfaces", L"HID interface " + std::to_wstring(index),
                          error);
    }
    if (status != HidEnumStatus::Found) break;

    HidDevice info;
    if (!OpenTouchScreen(path, info)) continue;
    if (count_ >= kMaxTouchScreens) {
      // The list is full: a 65th touch screen is closed again and not listed.
      CloseHidInfo(info);
      continue;
    }
    auto record = std::make_unique<TouchScreenDevice>();
    record->HidInfo = info;
    std::wstring pdo;
    const DWORD pdoError = hid_.ReadPdoName(pdo);
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
    devices_[count_] = std::move(record);
    ++count_;
  }
  hid_.EndEnumeration();
}

bool TouchScreenList::OpenTouchScreen(const std::wstring& path, HidDevice& info) {
  HANDLE handle = hid_.Open(path, false);
  if (handle == INVALID_HANDLE_VALUE) {
    // Other programs' HID devices may well refuse to be opened: worth a record all the same.
    RecordSystemFailure(L"CreateFileW", path);
    return false;
  }
  info.handle = handle;
  if (!hid_.GetPreparsedData(handle, &info.preparsed)) {
    RecordSystemFailure(L"HidD_GetPreparsedData", path);
    info.preparsed = nullptr;
    CloseHidInfo(info);
    return false;
  }
  if (!hid_.GetAttributes(handle, &info.attributes)) {
    RecordSystemFailure(L"HidD_GetAttributes", path);
    CloseHidInfo(info);
    return false;
  }
  if (info.attributes.VendorID != kTouchScreenVendorId) {
    CloseHidInfo(info);
    return false;
  }
  hid_.GetCaps(info.preparsed, &info.caps);  // its status does not reject the device

  // Reopened for overlapped I/O, so that the device thread can read and write with events.
  hid_.Close(info.handle);
  info.handle = hid_.Open(path, true);
  if (info.handle == INVALID_HANDLE_VALUE) {
    RecordSystemFailure(L"CreateFileW", path + L" (overlapped)");
    CloseHidInfo(info);
    return false;
  }
  // The system's 32 reports would do while the reader keeps up; a failure leaves them.
  if (!hid_.SetNumInputBuffers(info.handle, kInputBuffers))
    RecordSystemFailure(L"HidD_SetNumInputBuffers", path);
  return true;
}

void TouchScreenList::CloseHidInfo(HidDevice& info) {
  if (info.handle != INVALID_HANDLE_VALUE) hid_.Close(info.handle);
  info.handle = INVALID_HANDLE_VALUE;
  if (info.preparsed) hid_.FreePreparsedData(info.preparsed);
  info.preparsed = nullptr;
}

void TouchScreenList::AddMonitor(const RECT& rect) {
  // A 65th monitor is not recorded.
  if (monitorCount_ >= kMaxMonitors) return;
  monitors_[monitorCount_] = MonitorEntry{rect.left, rect.top, rect.right, rect.bottom, monitorCount_};
  ++monitorCount_;
}

void TouchScreenList::EnumerateMonitors() {
  for (const RECT& rect : monitorSystem_.Monitors()) AddMonitor(rect);
}

void TouchScreenList::RefreshMonitors() {
  monitorCount_ = 0;
  EnumerateMonitors();
}

void TouchScreenList::RegisterDeviceNotifications(HWND window) {
  for (std::uint32_t i = 0; i < count_ && i < kMaxTouchScreens;) {
    TouchScreenDevice* d = devices_[i].get();
    if (!d) {
      ++i;
      continue;
    }
    HDEVNOTIFY notify = hid_.RegisterHandleNotification(window, d->HidInfo.handle);
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
    RemoveAt(static_cast<int>(i));
  }
}

int TouchScreenList::FindByHandle(HANDLE handle) const {
  for (std::uint32_t i = 0; i < count_ && i < kMaxTouchScreens; ++i) {
    if (devices_[i] && devices_[i]->HidInfo.handle == handle) return static_cast<int>(i);
  }
  return -1;
}

void TouchScreenList::Close(int index) {
  TouchScreenDevice* d = device(index);
  if (!d) return;
  CloseHidInfo(d->HidInfo);
  d->open = 0;
}

void TouchScreenList::RemoveAt(int index) {
  TouchScreenDevice* d = device(index);
  if (!d) return;
  if (d->open) CloseHidInfo(d->HidInfo);
  --count_;
  devices_[index].reset();
  mapping_[index].monitorNo = -1;
  for (int j = index + 1; j < kMaxTouchScreens && devices_[j]; ++j) {
    devices_[j - 1] = std::move(devices_[j]);
    mapping_[j - 1] = MappingEntry{reinterpret_cast<std::intptr_t>(devices_[j - 1]->HidInfo.handle),
                                   mapping_[j].monitorNo, j - 1};
    mapping_[j] = MappingEntry{};
  }
}
