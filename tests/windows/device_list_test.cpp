// TouchScreenList against a small fake HID system: enumeration, the vendor filter, the monitor
// table, notification registration and removal with slots and mapping rows moving down.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "device/touch_screen_list.h"

namespace {

struct FakeDevice {
  std::wstring path;
  USHORT vendor = kTouchScreenVendorId;
  bool opens = true;
  bool opensOverlapped = true;
  bool preparsed = true;
  bool attributes = true;
  DWORD pdoError = 0;
  std::wstring pdo = L"\\Device\\00000042";
};

class FakeHid final : public HidSystem {
public:
  std::vector<FakeDevice> devices;
  bool setAvailable = true;
  int failAtIndex = -1;  // an enumeration step that fails with another error
  bool registrationFails = false;
  std::set<HANDLE> failRegistrationFor;
  std::map<HANDLE, std::wstring> open;  // handle -> path
  int opened = 0, closed = 0, freed = 0;
  bool enumerating = false;

  bool BeginEnumeration() override { return enumerating = setAvailable; }
  HidEnumStatus EnumerateInterface(DWORD index, std::wstring& path, DWORD* error) override {
    if (static_cast<int>(index) == failAtIndex) {
      *error = ERROR_INVALID_USER_BUFFER;
      return HidEnumStatus::Failed;
    }
    if (index >= devices.size()) {
      *error = ERROR_NO_MORE_ITEMS;
      return HidEnumStatus::NoMoreItems;
    }
    m_pCurrent = &devices[index];
    path = m_pCurrent->path;
    return HidEnumStatus::Found;
  }
  DWORD ReadPdoName(std::wstring& pdo) override {
    if (m_pCurrent->pdoError) return m_pCurrent->pdoError;
    pdo = m_pCurrent->pdo;
    return 0;
  }
  void EndEnumeration() override { enumerating = false; }

  HANDLE Open(const std::wstring& path, bool overlapped) override {
    const FakeDevice* device = Find(path);
    if (!device || !device->opens || (overlapped && !device->opensOverlapped)) return INVALID_HANDLE_VALUE;
    HANDLE handle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x1000 + 4 * ++opened));
    open[handle] = path;
    return handle;
  }
  BOOL Close(HANDLE handle) override {
    ++closed;
    return open.erase(handle) == 1;
  }
  BOOLEAN GetPreparsedData(HANDLE handle, PHIDP_PREPARSED_DATA* data) override {
    if (!Find(open[handle])->preparsed) return FALSE;
    *data = reinterpret_cast<PHIDP_PREPARSED_DATA>(handle);
    return TRUE;
  }
  BOOLEAN FreePreparsedData(PHIDP_PREPARSED_DATA) override { return ++freed, TRUE; }
  BOOLEAN GetAttributes(HANDLE handle, HIDD_ATTRIBUTES* attributes) override {
    const FakeDevice* device = Find(open[handle]);
    if (!device->attributes) return FALSE;
    attributes->VendorID = device->vendor;
    attributes->ProductID = 0x0001;
    return TRUE;
  }
  NTSTATUS GetCaps(PHIDP_PREPARSED_DATA, HIDP_CAPS* caps) override {
    caps->InputReportByteLength = 100;
    caps->OutputReportByteLength = 100;
    return HIDP_STATUS_SUCCESS;
  }
  BOOLEAN SetNumInputBuffers(HANDLE, ULONG) override { return TRUE; }
  BOOLEAN SetOutputReport(HANDLE, void*, ULONG) override { return FALSE; }
  BOOLEAN SetFeature(HANDLE, void*, ULONG) override { return FALSE; }
  BOOL ReadFile(HANDLE, void*, DWORD, OVERLAPPED*) override { return FALSE; }
  BOOL GetOverlappedResult(HANDLE, OVERLAPPED*, DWORD*, BOOL) override { return FALSE; }
  BOOL CancelIoEx(HANDLE, OVERLAPPED*) override { return FALSE; }
  HDEVNOTIFY RegisterHandleNotification(HWND, HANDLE handle) override {
    if (registrationFails || failRegistrationFor.count(handle)) return nullptr;
    return reinterpret_cast<HDEVNOTIFY>(handle);
  }
  HDEVNOTIFY RegisterInterfaceNotification(HWND) override { return reinterpret_cast<HDEVNOTIFY>(this); }
  BOOL UnregisterNotification(HDEVNOTIFY) override { return TRUE; }

private:
  const FakeDevice* Find(const std::wstring& path) const {
    for (const FakeDevice& device : devices)
      if (device.path == path) return &device;
    return nullptr;
  }
  const FakeDevice* m_pCurrent = nullptr;
};

FakeDevice Touch(int n) { return FakeDevice{L"\\\\?\\hid#touch" + std::to_wstring(n)}; }

TEST(TouchScreenList, NoTouchScreenStillRecordsTheMonitors) {
  FakeHid hid;
  FakeDevice keyboard{L"\\\\?\\hid#keyboard"};
  keyboard.vendor = 0x046D;
  hid.devices = {keyboard};
  TouchScreenList list(hid);
  EXPECT_EQ(list.count(), 0u);
  EXPECT_EQ(list.device(0), nullptr);
  EXPECT_GE(list.monitorCount(), 1);
  EXPECT_EQ(list.monitor(0).index, 0);
  EXPECT_TRUE(hid.open.empty()) << "the keyboard was examined and closed";
  EXPECT_EQ(hid.freed, 1);
  EXPECT_FALSE(hid.enumerating);
}

// Monitors given through the seam, as the demo and the tests give them.
class LayoutMonitors final : public MonitorSystem {
public:
  std::vector<RECT> layout;
  std::vector<RECT> Monitors() override { return layout; }
};

TEST(TouchScreenList, MonitorsComeFromTheSeamInOrderAndRefreshReadsThemAgain) {
  FakeHid hid;
  LayoutMonitors monitors;
  monitors.layout = {RECT{0, 0, 1280, 800}, RECT{1280, 0, 2304, 768}};
  TouchScreenList list(hid, monitors);
  ASSERT_EQ(list.monitorCount(), 2);
  EXPECT_EQ(list.monitor(1).left, 1280);
  EXPECT_EQ(list.monitor(1).right, 2304);
  EXPECT_EQ(list.monitor(1).bottom, 768);
  EXPECT_EQ(list.monitor(1).index, 1);

  // Seventy monitors: the table keeps the first 64, rows numbered in order.
  monitors.layout.assign(70, RECT{0, 0, 640, 480});
  monitors.layout[63].left = 63;
  list.RefreshMonitors();
  ASSERT_EQ(list.monitorCount(), kMaxMonitors);
  EXPECT_EQ(list.monitor(63).left, 63);
  EXPECT_EQ(list.monitor(63).index, 63);

  monitors.layout = {RECT{-800, 0, 0, 600}};
  list.RefreshMonitors();
  ASSERT_EQ(list.monitorCount(), 1);
  EXPECT_EQ(list.monitor(0).left, -800);
}

TEST(TouchScreenList, TwoTouchScreensFillSlotsZeroAndOne) {
  FakeHid hid;
  hid.devices = {Touch(0), Touch(1)};
  hid.devices[1].pdo = L"\\Device\\0000007f";
  TouchScreenList list(hid);
  ASSERT_EQ(list.count(), 2u);
  for (int i = 0; i < 2; ++i) {
    const TouchScreenDevice* device = list.device(i);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->open, 1);
    EXPECT_EQ(hid.open.at(device->HidInfo.handle), hid.devices[i].path);
    EXPECT_EQ(device->HidInfo.caps.OutputReportByteLength, 100);
    EXPECT_EQ(list.mapping(i).monitorNo, -1);
    EXPECT_EQ(list.mapping(i).touchScreenNo, -1);
    EXPECT_EQ(list.mapping(i).deviceHandle, 0);
  }
  EXPECT_STREQ(list.device(1)->PdoName.get(), L"\\Device\\0000007f");
  EXPECT_EQ(hid.open.size(), 2u) << "only the overlapped handles stay open";
}

TEST(TouchScreenList, EveryFailingOpeningStepRejectsAndCloses) {
  FakeHid hid;
  hid.devices = {Touch(0), Touch(1), Touch(2), Touch(3), Touch(4)};
  hid.devices[0].opens = false;
  hid.devices[1].preparsed = false;
  hid.devices[2].attributes = false;
  hid.devices[3].opensOverlapped = false;
  TouchScreenList list(hid);
  ASSERT_EQ(list.count(), 1u);
  EXPECT_EQ(hid.open.at(list.device(0)->HidInfo.handle), hid.devices[4].path);
  EXPECT_EQ(hid.open.size(), 1u);
  EXPECT_EQ(hid.freed, 2) << "preparsed data of the rejected devices is released";
}

TEST(TouchScreenList, AFailingPdoReadLeavesTheNameEmpty) {
  FakeHid hid;
  hid.devices = {Touch(0), Touch(1)};
  hid.devices[0].pdoError = ERROR_NOT_ENOUGH_MEMORY;
  hid.devices[1].pdoError = ERROR_INVALID_DATA;
  TouchScreenList list(hid);
  ASSERT_EQ(list.count(), 2u);
  EXPECT_EQ(list.device(0)->PdoName, nullptr);
  EXPECT_EQ(list.device(1)->PdoName, nullptr);
}

TEST(TouchScreenList, AFailingEnumerationStepEndsItKeepingWhatWasFound) {
  FakeHid hid;
  hid.devices = {Touch(0), Touch(1), Touch(2)};
  hid.failAtIndex = 1;
  TouchScreenList list(hid);
  EXPECT_EQ(list.count(), 1u);
  EXPECT_FALSE(hid.enumerating);

  FakeHid noSet;
  noSet.setAvailable = false;
  noSet.devices = {Touch(0)};
  TouchScreenList empty(noSet);
  EXPECT_EQ(empty.count(), 0u);
}

TEST(TouchScreenList, ASixtyFifthTouchScreenIsClosedAndNotListed) {
  FakeHid hid;
  for (int i = 0; i < 66; ++i) hid.devices.push_back(Touch(i));
  TouchScreenList list(hid);
  EXPECT_EQ(list.count(), 64u);
  EXPECT_EQ(hid.open.size(), 64u);
  EXPECT_EQ(hid.open.at(list.device(63)->HidInfo.handle), hid.devices[63].path);
}

TEST(TouchScreenList, RemovingSlotZeroOfThreeMovesTheOthersDown) {
  FakeHid hid;
  hid.devices = {Touch(0), Touch(1), Touch(2)};
  TouchScreenList list(hid);
  const HANDLE second = list.handle(1), third = list.handle(2);
  list.mapping(1).monitorNo = 1;
  list.mapping(2).monitorNo = 0;
  list.RemoveAt(0);
  EXPECT_EQ(list.count(), 2u);
  EXPECT_EQ(list.handle(0), second);
  EXPECT_EQ(list.handle(1), third);
  EXPECT_EQ(list.device(2), nullptr);
  EXPECT_EQ(list.mapping(0).deviceHandle, reinterpret_cast<intptr_t>(second));
  EXPECT_EQ(list.mapping(0).monitorNo, 1);
  EXPECT_EQ(list.mapping(0).touchScreenNo, 0);
  EXPECT_EQ(list.mapping(1).deviceHandle, reinterpret_cast<intptr_t>(third));
  EXPECT_EQ(list.mapping(1).monitorNo, 0);
  EXPECT_EQ(list.mapping(1).touchScreenNo, 1);
  EXPECT_EQ(list.mapping(2).deviceHandle, 0);
  EXPECT_EQ(list.mapping(2).monitorNo, -1);
  EXPECT_EQ(list.mapping(2).touchScreenNo, -1);
  EXPECT_EQ(hid.open.size(), 2u);
}

TEST(TouchScreenList, QueryRemoveClosesButKeepsTheSlot) {
  FakeHid hid;
  hid.devices = {Touch(0), Touch(1)};
  TouchScreenList list(hid);
  const HANDLE old = list.handle(0);
  EXPECT_EQ(list.FindByHandle(old), 0);
  list.Close(0);
  EXPECT_EQ(list.count(), 2u);
  EXPECT_EQ(list.device(0)->open, 0);
  EXPECT_EQ(list.handle(0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(list.FindByHandle(old), -1) << "a later removal event for the old handle finds nothing";
  list.RemoveAt(0);  // a closed touch screen is not closed twice
  EXPECT_EQ(list.count(), 1u);
  EXPECT_EQ(hid.open.size(), 1u);
}

TEST(TouchScreenList, AHandleNoSlotHoldsChangesNothing) {
  FakeHid hid;
  hid.devices = {Touch(0), Touch(1)};
  TouchScreenList list(hid);
  EXPECT_EQ(list.FindByHandle(reinterpret_cast<HANDLE>(0x7777)), -1);
  EXPECT_EQ(list.FindByHandle(INVALID_HANDLE_VALUE), -1);
  list.RemoveAt(5);
  list.RemoveAt(-1);
  list.Close(64);
  EXPECT_EQ(list.count(), 2u);
}

TEST(TouchScreenList, ATouchScreenThatCannotBeRegisteredGoesAsARemovalTheOthersStayReachable) {
  FakeHid hid;
  hid.devices = {Touch(0), Touch(1), Touch(2), Touch(3)};
  TouchScreenList list(hid);
  const HANDLE first = list.handle(0), third = list.handle(2), last = list.handle(3);
  hid.failRegistrationFor = {list.handle(1), last};
  list.RegisterDeviceNotifications(nullptr);
  EXPECT_EQ(list.count(), 2u);
  EXPECT_EQ(hid.open.size(), 2u) << "the two that cannot be registered are closed";
  EXPECT_EQ(list.handle(0), first);
  EXPECT_EQ(list.handle(1), third) << "the third moved down into the second's slot";
  EXPECT_EQ(list.device(2), nullptr);
  EXPECT_EQ(list.FindByHandle(third), 1);
  EXPECT_EQ(list.device(0)->DeviceNotify, reinterpret_cast<HDEVNOTIFY>(first));
  EXPECT_EQ(list.device(1)->DeviceNotify, reinterpret_cast<HDEVNOTIFY>(third));
  EXPECT_EQ(list.mapping(1).deviceHandle, reinterpret_cast<std::intptr_t>(third));
}

TEST(TouchScreenList, MonitorRefreshRebuildsTheSameTable) {
  FakeHid hid;
  TouchScreenList list(hid);
  const int monitors = list.monitorCount();
  list.RefreshMonitors();
  list.RefreshMonitors();
  EXPECT_EQ(list.monitorCount(), monitors);
}

}  // namespace
