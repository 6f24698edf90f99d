// The virtual touch screen as Wine's HID class driver serves it: the identity and report
// lengths the program looks for, the HID class driver's rule on output report lengths, and
// a read that an unplug ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "device/hid_api.h"
#include "real_stack/real_stack.h"

using namespace real_stack;

namespace {

class Handle {
public:
  explicit Handle(HANDLE h) : m_hHandle(h) {}
  ~Handle() {
    if (m_hHandle != INVALID_HANDLE_VALUE) CloseHandle(m_hHandle);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return m_hHandle; }

private:
  HANDLE m_hHandle;
};

// One overlapped 100-byte read, waited for up to timeoutMs; the bytes, or empty on an error.
struct Read {
  explicit Read(HANDLE device) : m_hDevice(device) {
    m_overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ReadFile(m_hDevice, m_buffer.data(), 100, nullptr, &m_overlapped) && GetLastError() != ERROR_IO_PENDING)
      m_nError = GetLastError();
  }
  ~Read() {
    if (!m_bDone) {
      CancelIoEx(m_hDevice, &m_overlapped);
      DWORD n = 0;
      GetOverlappedResult(m_hDevice, &m_overlapped, &n, TRUE);
    }
    CloseHandle(m_overlapped.hEvent);
  }
  bool Wait(DWORD timeoutMs) {
    if (m_nError) return m_bDone = true, false;
    if (WaitForSingleObject(m_overlapped.hEvent, timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD n = 0;
    m_bDone = true;
    if (!GetOverlappedResult(m_hDevice, &m_overlapped, &n, FALSE)) return m_nError = GetLastError(), false;
    m_nLength = n;
    return true;
  }
  HANDLE m_hDevice;
  OVERLAPPED m_overlapped{};
  std::vector<BYTE> m_buffer = std::vector<BYTE>(100);
  DWORD m_nLength = 0;
  DWORD m_nError = 0;
  bool m_bDone = false;
};

std::vector<BYTE> Command(std::size_t length, BYTE b1, BYTE b2) {
  std::vector<BYTE> report(length, 0);
  report[0] = 0x31;
  report[1] = b1;
  report[2] = b2;
  return report;
}

}  // namespace

TEST(VirtualTouchScreenDriver, IdentityAndReportLengthsAreTheProgramsOwn) {
  Handle device(OpenTouchScreen(0, false));
  ASSERT_NE(device.get(), INVALID_HANDLE_VALUE) << "no virtual touch screen in slot 0";
  HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof(attributes);
  ASSERT_TRUE(HidD_GetAttributes(device.get(), &attributes));
  EXPECT_EQ(attributes.VendorID, 0x7E3A);
  EXPECT_EQ(attributes.ProductID, 0x0001);
  EXPECT_EQ(attributes.VersionNumber, 0x0100);
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  ASSERT_TRUE(HidD_GetPreparsedData(device.get(), &preparsed));
  HIDP_CAPS caps{};
  EXPECT_EQ(HidP_GetCaps(preparsed, &caps), HIDP_STATUS_SUCCESS);
  HidD_FreePreparsedData(preparsed);
  // Report id byte included: 99 data bytes give 100.
  EXPECT_EQ(caps.InputReportByteLength, 100);
  EXPECT_EQ(caps.OutputReportByteLength, 100);
  EXPECT_EQ(caps.FeatureReportByteLength, 2);
  EXPECT_EQ(caps.UsagePage, 0xFF00);
  ULONG buffers = 0;
  EXPECT_TRUE(HidD_GetNumInputBuffers(device.get(), &buffers));
  EXPECT_GE(buffers, 2u);
}

TEST(VirtualTouchScreenDriver, ShortOutputReportIsRefusedAndAFullOneIsAnswered) {
  Handle device(OpenTouchScreen(0, true));
  ASSERT_NE(device.get(), INVALID_HANDLE_VALUE);
  std::vector<BYTE> shortReport = Command(99, 'o', 0);
  EXPECT_FALSE(HidD_SetOutputReport(device.get(), shortReport.data(), 99));
  std::vector<BYTE> report = Command(100, 'o', 0);
  Read reply(device.get());
  ASSERT_TRUE(HidD_SetOutputReport(device.get(), report.data(), 100)) << GetLastError();
  ASSERT_TRUE(reply.Wait(5000)) << "no reply, error " << reply.m_nError;
  EXPECT_EQ(reply.m_nLength, 100u);
  EXPECT_EQ(reply.m_buffer[0], 0x30);
  EXPECT_EQ(reply.m_buffer[1], 'O');
  EXPECT_EQ(reply.m_buffer[2], 'K');
  // The end of the exchange arrives too; it waited in this handle's input buffer.
  Read end(device.get());
  ASSERT_TRUE(end.Wait(5000));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&end.m_buffer[1]), 1), "A");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&end.m_buffer[3]), 3), "000");
}

// Unlike the simulator, whose one queue per touch screen serves whichever read comes first.
TEST(VirtualTouchScreenDriver, EveryOpenHandleGetsItsOwnCopyOfEachInputReport) {
  Handle first(OpenTouchScreen(1, true));
  Handle second(OpenTouchScreen(1, true));
  ASSERT_NE(first.get(), INVALID_HANDLE_VALUE);
  ASSERT_NE(second.get(), INVALID_HANDLE_VALUE);
  std::vector<BYTE> report = Command(100, 'o', 0);
  ASSERT_TRUE(HidD_SetOutputReport(first.get(), report.data(), 100));
  for (HANDLE h : {first.get(), second.get()}) {
    Read reply(h);
    ASSERT_TRUE(reply.Wait(5000));
    EXPECT_EQ(reply.m_buffer[1], 'O');
    Read end(h);
    ASSERT_TRUE(end.Wait(5000));
    EXPECT_EQ(end.m_buffer[1], 'A');
  }
}

TEST(VirtualTouchScreenDriver, UnplugEndsAPendingReadWithAnError) {
  ASSERT_EQ(Vts("plug --number 9"), "ok 2");
  Handle device(OpenTouchScreen(2, true));
  ASSERT_NE(device.get(), INVALID_HANDLE_VALUE);
  Read pending(device.get());
  EXPECT_FALSE(pending.Wait(200)) << "a read completed with nothing sent";
  ASSERT_EQ(Vts("unplug 2"), "ok");
  EXPECT_FALSE(pending.Wait(5000));
  EXPECT_TRUE(pending.m_bDone) << "the pending read did not end";
  std::printf("Wine ends the read with error %lu where Windows gives ERROR_DEVICE_NOT_CONNECTED (1167)\n",
              pending.m_nError);
  EXPECT_TRUE(pending.m_nError == ERROR_ACCESS_DENIED || pending.m_nError == ERROR_DEVICE_NOT_CONNECTED);
  std::vector<BYTE> report = Command(100, 'o', 0);
  EXPECT_FALSE(HidD_SetOutputReport(device.get(), report.data(), 100));
  // The other touch screens stay.
  EXPECT_FALSE(TouchScreenPath(0).empty());
  EXPECT_FALSE(TouchScreenPath(1).empty());
}
