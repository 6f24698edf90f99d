// The simulated touch screen through the HID seam, as the program and its tests use it:
// enumeration, reports, overlapped reads the Win32 way, removal and the firmware exchange.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include "device/touch_screen_list.h"
#include "simulator/simulated_touch_screen.h"

namespace {

sim::Bytes Command(std::uint8_t id, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3 = 0) {
  sim::Bytes r(100, 0);
  r[0] = id;
  r[1] = b1;
  r[2] = b2;
  r[3] = b3;
  return r;
}

class SimulatorTest : public ::testing::Test {
protected:
  void SetUp() override {
    // These tests describe the kind touch screen, whatever the suite runs against; the rough
    // one is described by the model's own tests.
    SetEnvironmentVariableW(L"PELNIX_SIM_ROUGH", nullptr);
    SimulatedHid().Reset();
    m_hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  void TearDown() override {
    for (HANDLE h : m_open) SimulatedHid().Close(h);
    CloseHandle(m_hEvent);
    SimulatedHid().Reset();
  }
  HANDLE OpenScreen(const std::shared_ptr<SimulatedTouchScreen>& screen) {
    HANDLE h = SimulatedHid().Open(screen->path(), true);
    m_open.push_back(h);
    return h;
  }
  bool Write(HANDLE h, sim::Bytes report) {
    return SimulatedHid().SetOutputReport(h, report.data(), static_cast<ULONG>(report.size()));
  }
  // Reads one report, waiting up to timeoutMs; empty when none arrived.
  sim::Bytes Read(HANDLE h, DWORD timeoutMs = 1000) {
    sim::Bytes buffer(100, 0);
    OVERLAPPED ov{};
    ov.hEvent = m_hEvent;
    DWORD n = 0;
    HidSystem& hid = SimulatedHid();
    if (!hid.ReadFile(h, buffer.data(), 100, &ov)) {
      if (GetLastError() != ERROR_IO_PENDING) return {};
      if (WaitForSingleObject(m_hEvent, timeoutMs) != WAIT_OBJECT_0) hid.CancelIoEx(h, &ov);
      if (!hid.GetOverlappedResult(h, &ov, &n, TRUE)) return {};
    }
    return buffer;
  }

  HANDLE m_hEvent = nullptr;
  std::vector<HANDLE> m_open;
};

TEST_F(SimulatorTest, ListKeepsOnlyTheTouchScreenVendor) {
  SimulatedHid().Add();
  sim::TouchScreenConfig mouse;
  mouse.vendorId = 0x046D;
  SimulatedHid().Add(mouse);
  SimulatedHid().Add();
  TouchScreenList list(SimulatedHid());
  EXPECT_EQ(list.count(), 2u);
  ASSERT_NE(list.device(1), nullptr);
  EXPECT_EQ(list.device(0)->HidInfo.caps.OutputReportByteLength, 100);
  EXPECT_EQ(list.device(0)->HidInfo.caps.InputReportByteLength, 100);
  EXPECT_NE(list.device(0)->PdoName, nullptr);
  EXPECT_EQ(list.device(2), nullptr);
}

TEST_F(SimulatorTest, ReadCompletesAtOnceWhenAReplyIsWaiting) {
  auto screen = SimulatedHid().Add();
  HANDLE h = OpenScreen(screen);
  ASSERT_TRUE(Write(h, Command(0x31, 'o', 0)));
  sim::Bytes buffer(100, 0);
  OVERLAPPED ov{};
  ov.hEvent = m_hEvent;
  ASSERT_TRUE(SimulatedHid().ReadFile(h, buffer.data(), 100, &ov));
  EXPECT_EQ(WaitForSingleObject(m_hEvent, 0), WAIT_OBJECT_0);  // the event is set as well
  DWORD n = 0;
  EXPECT_TRUE(SimulatedHid().GetOverlappedResult(h, &ov, &n, FALSE));
  EXPECT_EQ(n, 100u);
  EXPECT_EQ(buffer, screen->OpenReply());
  EXPECT_EQ(Read(h), sim::TouchScreenModel::EndOfReply('A', 'o'));
}

TEST_F(SimulatorTest, PendingReadCompletesLaterAndCanBeCancelled) {
  auto screen = SimulatedHid().Add();
  screen->Configure([](sim::TouchScreenConfig& c) { c.replyDelayMs = 50; });
  HANDLE h = OpenScreen(screen);
  HidSystem& hid = SimulatedHid();
  sim::Bytes buffer(100, 0);
  OVERLAPPED ov{};
  ov.hEvent = m_hEvent;
  SetEvent(m_hEvent);  // ReadFile resets it
  ASSERT_FALSE(hid.ReadFile(h, buffer.data(), 100, &ov));
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  EXPECT_EQ(WaitForSingleObject(m_hEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  DWORD n = 0;
  EXPECT_FALSE(hid.GetOverlappedResult(h, &ov, &n, FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));
  EXPECT_EQ(screen->pendingReads(), 1);

  const ULONGLONG start = GetTickCount64();
  ASSERT_TRUE(Write(h, Command(0x31, 'v', 'v')));
  ASSERT_EQ(WaitForSingleObject(m_hEvent, 2000), WAIT_OBJECT_0);
  EXPECT_GE(GetTickCount64() - start, 40u);
  EXPECT_TRUE(hid.GetOverlappedResult(h, &ov, &n, TRUE));
  EXPECT_EQ(buffer[1], 'V');
  EXPECT_EQ(buffer[3], 2);

  // The end-of-reply report was due at the same time: this read completes at once.
  EXPECT_TRUE(hid.ReadFile(h, buffer.data(), 100, &ov));
  ASSERT_EQ(WaitForSingleObject(m_hEvent, 2000), WAIT_OBJECT_0);
  EXPECT_TRUE(hid.GetOverlappedResult(h, &ov, &n, TRUE));

  ASSERT_FALSE(hid.ReadFile(h, buffer.data(), 100, &ov));
  EXPECT_TRUE(hid.CancelIoEx(h, &ov));
  EXPECT_FALSE(hid.GetOverlappedResult(h, &ov, &n, TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  EXPECT_EQ(screen->pendingReads(), 0);
}

TEST_F(SimulatorTest, RemovalEndsPendingReadsAndEveryLaterCall) {
  auto screen = SimulatedHid().Add();
  HANDLE h = OpenScreen(screen);
  HidSystem& hid = SimulatedHid();
  sim::Bytes buffer(100, 0);
  OVERLAPPED ov{};
  ov.hEvent = m_hEvent;
  ASSERT_FALSE(hid.ReadFile(h, buffer.data(), 100, &ov));
  screen->Remove();
  ASSERT_EQ(WaitForSingleObject(m_hEvent, 1000), WAIT_OBJECT_0);
  DWORD n = 0;
  EXPECT_FALSE(hid.GetOverlappedResult(h, &ov, &n, TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_FALSE(Write(h, Command(0x31, 'o', 0)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_FALSE(hid.ReadFile(h, buffer.data(), 100, &ov));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  TouchScreenList list(SimulatedHid());
  EXPECT_EQ(list.count(), 0u);
}

// A window that records the device events it is sent.
LRESULT CALLBACK RecordDeviceChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DEVICECHANGE && wParam == DBT_DEVICEREMOVECOMPLETE) {
    auto* header = reinterpret_cast<DEV_BROADCAST_HDR*>(lParam);
    if (header->dbch_devicetype == DBT_DEVTYP_HANDLE) {
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<DEV_BROADCAST_HANDLE*>(lParam)->dbch_handle));
    }
    return TRUE;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(SimulatorTest, RemovalIsSentToRegisteredWindows) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordDeviceChange;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"DeviceSimulatorTestWindow";
  RegisterClassW(&wc);
  HWND window = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  auto screen = SimulatedHid().Add();
  HANDLE h = OpenScreen(screen);
  HDEVNOTIFY notify = SimulatedHid().RegisterHandleNotification(window, h);
  ASSERT_NE(notify, nullptr);
  screen->Remove();
  const ULONGLONG start = GetTickCount64();
  MSG msg;
  while (GetWindowLongPtrW(window, GWLP_USERDATA) == 0 && GetTickCount64() - start < 3000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  EXPECT_EQ(reinterpret_cast<HANDLE>(GetWindowLongPtrW(window, GWLP_USERDATA)), h);
  EXPECT_TRUE(SimulatedHid().UnregisterNotification(notify));
  DestroyWindow(window);
}

TEST_F(SimulatorTest, OutputReportsShorterThanTheCapabilitiesFail) {
  auto screen = SimulatedHid().Add();
  HANDLE h = OpenScreen(screen);
  sim::Bytes shortReport{0x31, 'R', 'b', 0x09, 0, 0, 0, 0, 0};
  EXPECT_FALSE(Write(h, shortReport));
  EXPECT_TRUE(screen->OutputReports().empty());
  screen->Configure([](sim::TouchScreenConfig& c) { c.strictReportLength = false; });
  EXPECT_TRUE(Write(h, shortReport));
  ASSERT_EQ(screen->OutputReports().size(), 1u);
  EXPECT_EQ(screen->OutputReports()[0], shortReport);
}

TEST_F(SimulatorTest, FirmwareExchangeAcknowledgesEachPacketAsConfigured) {
  auto screen = SimulatedHid().Add();
  screen->Configure([](sim::TouchScreenConfig& c) {
    c.firmware.packets[1].byte1 = 0x13;
    c.firmware.packets[2].silent = true;
    c.firmware.packets[3].delayMs = 100;
  });
  HANDLE h = OpenScreen(screen);
  ASSERT_TRUE(Write(h, Command(0x31, 'R', 'b', 0x09)));
  std::uint8_t feature[2] = {0x02, 0x01};
  ASSERT_TRUE(SimulatedHid().SetFeature(h, feature, 2));
  EXPECT_TRUE(screen->firmwareBegun());
  EXPECT_EQ(screen->queuedReports(), 0u);  // "Rb" is not acknowledged by default

  ASSERT_TRUE(Write(h, Command(0x51, 'A', 0x00, 0x10)));
  EXPECT_EQ(Read(h)[1], 0x11);
  ASSERT_TRUE(Write(h, Command(0x51, 'A', 0x00, 0x10)));
  EXPECT_EQ(Read(h)[1], 0x13);
  ASSERT_TRUE(Write(h, Command(0x51, 'B', 0x01)));
  EXPECT_TRUE(Read(h, 200).empty());  // silent
  const ULONGLONG start = GetTickCount64();
  ASSERT_TRUE(Write(h, Command(0x51, 'A', 0x02)));
  EXPECT_EQ(Read(h)[1], 0x11);
  EXPECT_GE(GetTickCount64() - start, 90u);  // late

  ASSERT_TRUE(Write(h, Command(0x31, 'R', 'c')));
  std::uint8_t finish[2] = {0x02, 0x09};
  ASSERT_TRUE(SimulatedHid().SetFeature(h, finish, 2));
  EXPECT_TRUE(screen->firmwareFinished());
  EXPECT_EQ(screen->packetCount(), 4);
  const auto out = screen->OutputReports();
  ASSERT_EQ(out.size(), 6u);
  EXPECT_EQ(out[0][1], 'R');
  EXPECT_EQ(out[4], Command(0x51, 'A', 0x02));
  EXPECT_EQ(out[5][2], 'c');
  const auto features = screen->FeatureReports();
  ASSERT_EQ(features.size(), 2u);
  EXPECT_EQ(features[1], (sim::Bytes{0x02, 0x09}));
  EXPECT_EQ(Read(h, 100), sim::Bytes{});  // "Rc" is not answered
}

TEST_F(SimulatorTest, RemovalAfterTheNthOutputReport) {
  auto screen = SimulatedHid().Add();
  screen->Configure([](sim::TouchScreenConfig& c) { c.removeAfterOutputReports = 2; });
  HANDLE h = OpenScreen(screen);
  EXPECT_TRUE(Write(h, Command(0x51, 'A', 0)));
  EXPECT_EQ(Read(h)[1], 0x11);
  EXPECT_TRUE(Write(h, Command(0x51, 'A', 0)));  // accepted, then the device is gone
  EXPECT_FALSE(screen->present());
  EXPECT_TRUE(Read(h).empty());
  EXPECT_FALSE(Write(h, Command(0x51, 'A', 0)));
}

}  // namespace
