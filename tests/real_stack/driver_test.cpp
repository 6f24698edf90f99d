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
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }

private:
  HANDLE h_;
};

// One overlapped 100-byte read, waited for up to timeoutMs; the bytes, or empty on an error.
struct Read {
  explicit Read(HANDLE device) : device_(device) {
    overlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ReadFile(device_, buffer_.data(), 100, nullptr, &overlapped_) && GetLastError() != ERROR_IO_PENDING)
      error_ = GetLastError();
  }
  ~Read() {
    if (!done_) {
      CancelIoEx(device_, &overlapped_);
      DWORD n = 0;
      GetOverlappedResult(device_, &overlapped_, &n, TRUE);
    }
    CloseHandle(overlapped_.hEvent);
  }
  bool Wait(DWORD timeoutMs) {
    if (error_) return done_ = true, false;
    if (WaitForSingleObject(overlapped_.hEvent, timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD n = 0;
    done_ = true;
    if (!GetOverlappedResult(device_, &overlapped_, &n, FALSE)) return error_ = GetLastError(), false;
    length_ = n;
    return true;
  }
  HANDLE device_;
  OVERLAPPED overlapped_{};
  std::vector<BYTE> buffer_ = std::vector<BYTE>(100);
  DWORD length_ = 0;
  DWORD error_ = 0;
  bool done_ = false;
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
  ASSERT_TRUE(reply.Wait(5000)) << "no reply, error " << reply.error_;
  EXPECT_EQ(reply.length_, 100u);
  EXPECT_EQ(reply.buffer_[0], 0x30);
  EXPECT_EQ(reply.buffer_[1], 'O');
  EXPECT_EQ(reply.buffer_[2], 'K');
  // The end of the exchange arrives too; it waited in this handle's input buffer.
  Read end(device.get());
  ASSERT_TRUE(end.Wait(5000));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&end.buffer_[1]), 1), "A");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&end.buffer_[3]), 3), "000");
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
    EXPECT_EQ(reply.buffer_[1], 'O');
    Read end(h);
    ASSERT_TRUE(end.Wait(5000));
    EXPECT_EQ(end.buffer_[1], 'A');
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
  EXPECT_TRUE(pending.done_) << "the pending read did not end";
  std::printf("Wine ends the read with error %lu where Windows gives ERROR_DEVICE_NOT_CONNECTED (1167)\n",
              pending.error_);
  EXPECT_TRUE(pending.error_ == ERROR_ACCESS_DENIED || pending.error_ == ERROR_DEVICE_NOT_CONNECTED);
  std::vector<BYTE> report = Command(100, 'o', 0);
  EXPECT_FALSE(HidD_SetOutputReport(device.get(), report.data(), 100));
  // The other touch screens stay.
  EXPECT_FALSE(TouchScreenPath(0).empty());
  EXPECT_FALSE(TouchScreenPath(1).empty());
}
