// The update dialog, a real modeless dialog from template 132, driven by the real device
// thread and the simulated touch screen in slot 0: every report the touch screen receives,
// and the texts the dialog shows on its way to closing itself.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "base/timer_resolution.h"
#include "support/test_devices.h"
#include "device/core/exchange_lanes.h"
#include "update/res/update_dialog_ids.h"
#include "update/update_dialog.h"
#include "windows/update_test_fixture.h"

using namespace update_test;

namespace {

struct Seen {
  std::vector<std::wstring> statuses;  // each change of the visible status text
  bool progressShownAtEnd = true;
  std::wstring percent;
  int fineTimerRaises = 0;  // made while the dialog was open
};

class UpdateDialog : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    sim::TouchScreenConfig config;
    config.firmware.acknowledgeBegin = true;  // the dialog waits for a reply to "Rb"
    m_pScreen = SimulatedHid().Add(config);
    ASSERT_EQ(TestDevices().list().count(), 1u);
    ASSERT_TRUE(TestDevices().StartDeviceThread());
  }
  static void TearDownTestSuite() { TestDevices().client().StopWorkers(); }

  void SetUp() override {
    SetCurrentDirectoryW(m_folder.path().c_str());
    CreateDirectoryW(L"update", nullptr);
    TestDevices().client().AllowWorkers();
    m_pScreen->Configure([](sim::TouchScreenConfig& c) {
      c.firmware.packets.clear();
      c.firmware.acknowledgeBegin = true;
    });
    m_pScreen->ClearRecords();
  }

  // Every reader the dialog started ends with its transfer: none is left to take the next
  // dialog's replies, or slot 0's replies meant for another window.
  void TearDown() override { EXPECT_TRUE(NoReaderWithin(200)); }

  static bool NoReaderWithin(DWORD ms) {
    const DWORD start = GetTickCount();
    while (RunningReportWorkers() != 0) {
      if (GetTickCount() - start > ms) return false;
      Sleep(10);
    }
    return true;
  }

  void WriteImage(const Bytes& stream) {
    std::string text;
    for (std::uint8_t b : stream) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02x ", b);
      text += hex;
    }
    WriteFileBytes(m_folder.File(L"update\\vorlane"), text);
  }

  // Opens the dialog and pumps messages until it closes itself.
  Seen Run(DWORD timeoutMs = 15000) {
    Seen seen;
    const int raisesBefore = FineTimerRaisesMade();
    CUpdate dialog(TestDevices());
    EXPECT_TRUE(dialog.Create());
    const HWND window = dialog.m_hWnd;
    Look(window, seen);
    const DWORD start = GetTickCount();
    while (IsWindow(window) && GetTickCount() - start < timeoutMs) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (IsWindow(window)) Look(window, seen);
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    EXPECT_FALSE(IsWindow(window)) << "the dialog did not close";
    // Whatever way it closed, the dialog gave back the timer resolution it raised.
    EXPECT_EQ(FineTimerRaisesHeld(), 0);
    seen.fineTimerRaises = FineTimerRaisesMade() - raisesBefore;
    return seen;
  }

  static void Look(HWND window, Seen& seen) {
      const HWND status = GetDlgItem(window, IDC_UPDATE_STATUS);
      if (IsWindowVisible(status)) {
        const std::wstring text = WindowText(status);
        if (seen.statuses.empty() || seen.statuses.back() != text) seen.statuses.push_back(text);
      }
      seen.progressShownAtEnd = IsWindowVisible(GetDlgItem(window, IDC_UPDATE_PROGRESS));
      seen.percent = WindowText(GetDlgItem(window, IDC_UPDATE_PERCENT));
  }

  static Bytes Request(std::initializer_list<std::uint8_t> head) { return Padded(head, 100); }
  static Bytes DialogPacket(char mark, const Bytes& bytes) {
    return Packet(mark, bytes);  // 100 bytes, as the device thread sends
  }

  static std::shared_ptr<SimulatedTouchScreen> m_pScreen;
  TempFolder m_folder;
};

std::shared_ptr<SimulatedTouchScreen> UpdateDialog::m_pScreen;

}  // namespace

TEST_F(UpdateDialog, SendsEveryPacketThenFinishesAndCloses) {
  const Bytes stream = Concat({MakeBlock(50, 3), MakeBlock(4, 9)});
  WriteImage(stream);
  const Seen seen = Run();
  const auto b = stream.begin();
  const std::vector<Bytes> expected = {
      Request({0x31, 'R', 'b', 0x05}),
      DialogPacket('A', Bytes(b, b + 49)),
      DialogPacket('B', Bytes(b + 47, b + 52)),
      DialogPacket('A', Bytes(b + 50, b + 54)),  // and two zeros past the end
      Request({0x31, 'R', 'c', 0x00})};
  EXPECT_EQ(m_pScreen->OutputReports(), expected);
  EXPECT_TRUE(m_pScreen->FeatureReports().empty());
  EXPECT_EQ(seen.statuses, (std::vector<std::wstring>{L"Updating...", L"Update completed!"}));
  EXPECT_FALSE(seen.progressShownAtEnd);
  EXPECT_EQ(seen.percent, L"100 %");  // set as the last block ends, then hidden
  EXPECT_EQ(seen.fineTimerRaises, 1);
}

TEST_F(UpdateDialog, EmptyImageGoesStraightToTheFinish) {
  WriteImage({});
  const Seen seen = Run();
  EXPECT_EQ(m_pScreen->OutputReports(),
            (std::vector<Bytes>{Request({0x31, 'R', 'b', 0x05}), Request({0x31, 'R', 'c', 0x00})}));
  EXPECT_EQ(seen.statuses.back(), L"Update completed!");
}

TEST_F(UpdateDialog, ResendRepliesRestartTheBlockAndTheFifthInARowGivesUp) {
  WriteImage(Concat({MakeBlock(10), MakeBlock(100)}));
  // The simulator numbers packets from its start: count on from those of earlier tests.
  const int base = m_pScreen->packetCount();
  m_pScreen->Configure([base](sim::TouchScreenConfig& c) {
    c.firmware.packets[base + 1].byte1 = 0x22;  // block 1's first packet, then its resends
    for (int n = 2; n <= 5; ++n) c.firmware.packets[base + n].byte1 = 0x13;
  });
  const Seen seen = Run();
  const auto reports = m_pScreen->OutputReports();
  // begin, block 0, then block 1's first packet five times: no finish.
  ASSERT_EQ(reports.size(), 7u);
  for (std::size_t i = 2; i < 7; ++i) {
    EXPECT_EQ(reports[i], reports[2]);
    EXPECT_EQ(reports[i][1], 'A');
  }
  EXPECT_EQ(seen.statuses, (std::vector<std::wstring>{L"Update Error!"}));
  EXPECT_EQ(seen.fineTimerRaises, 1);
}

TEST_F(UpdateDialog, AReaderOfASilentTouchScreenEndsWhenTheDialogCloses) {
  WriteImage(MakeBlock(10));
  m_pScreen->Configure([](sim::TouchScreenConfig& c) { c.firmware.acknowledgeBegin = false; });
  CUpdate dialog(TestDevices());
  ASSERT_TRUE(dialog.Create());
  ASSERT_TRUE(m_pScreen->WaitForOutputReports(1, 2000));  // "Rb", never answered
  const DWORD start = GetTickCount();
  while (RunningReportWorkers() == 0 && GetTickCount() - start < 2000) Sleep(10);
  EXPECT_EQ(RunningReportWorkers(), 1);  // its reader waits
  SendMessageW(dialog.m_hWnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(dialog.m_hWnd));
  EXPECT_TRUE(NoReaderWithin(200));
}

TEST_F(UpdateDialog, MissingImageFailsWithoutSending) {
  const Seen seen = Run();
  EXPECT_TRUE(m_pScreen->OutputReports().empty());
  EXPECT_EQ(seen.statuses, (std::vector<std::wstring>{L"Read file failed! Update failed!"}));
}

// Empties slot 0 of the list for good: the test command runs it in a process of its own.
TEST_F(UpdateDialog, EmptySlotZeroFails) {
  WriteImage(MakeBlock(10));
  TestDevices().list().RemoveAt(0);
  const Seen seen = Run();
  EXPECT_TRUE(m_pScreen->OutputReports().empty());
  EXPECT_EQ(seen.statuses, (std::vector<std::wstring>{L"Update failed!"}));
}
