// dist/PelnixCpl.exe itself against virtual touch screens on Wine's HID stack: SETUPAPI
// enumeration, HID.DLL, the HID class driver's per-handle input buffers and its overlapped
// reads, with the two touch screens the fixture plugged (slots 0 and 1, numbers 1 and 2).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "real_stack/real_stack.h"
#include "support/process_runner.h"
#include "support/update_test_images.h"
#include "update/core/hex_decoder.h"
#include "diagnostics/core/led_report.h"
#include "simulator/core/touch_screen_model.h"

using namespace real_stack;
using namespace update_test;

namespace {

// Wine's SETUPAPI has no SPDRP_PHYSICAL_DEVICE_OBJECT_NAME: enumeration prints the program's
// own message for it once per touch screen (in console mode only).
const std::string kNoPdoName = "SetupDiGetDeviceRegistryProperty failed, Error: 13";

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The real program's window, started and ended by the test.
class RunningProgram {
public:
  explicit RunningProgram(const std::wstring& folder = {}) {
    m_hProcess = StartProgram(DistProgram(), folder.empty() ? m_folder.path() : folder);
    if (m_hProcess) m_hMain = WaitForMainWindow(GetProcessId(m_hProcess), 30000);
    if (m_hProcess && !m_hMain) Describe();
  }
  ~RunningProgram() {
    if (!m_hProcess) return;
    if (m_hMain) PostMessageW(m_hMain, WM_COMMAND, IDOK, 0);  // Exit
    if (WaitForSingleObject(m_hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(m_hProcess, 1);
    CloseHandle(m_hProcess);
  }
  HWND main() const { return m_hMain; }
  DWORD id() const { return GetProcessId(m_hProcess); }

private:
  // What the program shows instead of a ready main window, for the failure's record.
  void Describe() const {
    DWORD code = 0;
    GetExitCodeProcess(m_hProcess, &code);
    std::printf("the program %s", code == STILL_ACTIVE ? "runs" : ("ended with " + std::to_string(code)).c_str());
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == GetProcessId(m_hProcess) && IsWindowVisible(w))
        std::printf("; window \"%ls\"", WindowText(w).c_str());
    }
    std::printf("\n");
  }

  TempFolder m_folder;
  HANDLE m_hProcess = nullptr;
  HWND m_hMain = nullptr;
};

}  // namespace

// The start-up query asks both touch screens for their identity, and the list shows their
// numbers ("v1") and monitors; Wine's own HID devices (vendor 845E) are examined and skipped.
TEST(RealProgram, StartupQueryListsBothTouchScreensAndSkipsOtherHidDevices) {
  bool otherVendor = false;
  for (const vts::HidInterface& i : vts::PresentHidInterfaces()) otherVendor = otherVendor || i.vendorId == 0x845E;
  EXPECT_TRUE(otherVendor) << "Wine listed no HID device of vendor 845E";
  RunningProgram program;
  ASSERT_TRUE(program.main()) << "the main window's list never became ready";
  // The last "v1" is posted without a wait: its number may show just after the list is ready.
  const std::vector<std::wstring> expected = {L"TouchScreen No.1 \n   Monitor     No.0",
                                              L"TouchScreen No.2 \n   Monitor     No.0"};
  std::vector<std::wstring> items;
  WaitFor([&] { return (items = ListViewTexts(GetDlgItem(program.main(), 1064))) == expected; }, 5000);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0], L"TouchScreen No.1 \n   Monitor     No.0");
  EXPECT_EQ(items[1], L"TouchScreen No.2 \n   Monitor     No.0");
  // "o", "vv", "vs" and "v1" reached each touch screen, after the held reply's echoes.
  for (const char* slot : {"0", "1"}) {
    const std::string status = Vts(std::string("status ") + slot);
    EXPECT_NE(status.find("started=1"), std::string::npos) << status;
    EXPECT_EQ(status.find("outputs=0 "), std::string::npos) << status;
  }
}

// The properties dialog of the selected touch screen shows what its "vv" reply said.
TEST(RealProgram, PropertiesShowTheHardwareVersionAndSerial) {
  RunningProgram program;
  ASSERT_TRUE(program.main());
  PostMessageW(GetDlgItem(program.main(), 1064), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(30, 20));
  HWND properties = WaitForOtherWindow(program.id(), program.main(), 10000);
  ASSERT_TRUE(properties) << "no properties dialog";
  const std::vector<std::wstring> texts = ChildTexts(properties);
  EXPECT_TRUE(Contains(texts, L"648.15.324"));  // "vv" 2, 0, 0, 15, 1, 0: high byte x 324 + low
  EXPECT_TRUE(Contains(texts, L"0065535"));      // what any "vs" reply sets
  EXPECT_TRUE(Contains(texts, L"1"));            // touch screen number
  PostMessageW(properties, WM_COMMAND, IDOK, 0);
}

// The lines of a list box in another process (the system carries LB_GETTEXT's text across).
std::vector<std::string> ListBoxLines(HWND list) {
  std::vector<std::string> lines;
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    lines.emplace_back(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(wcslen(text.c_str())));  // ASCII
  }
  return lines;
}

// The LED test of the second touch screen through the diagnostics dialog: "o", the echoed held
// reply, "Zv" and "Zg" streams of many input reports each, through the HID class driver's
// input buffers, and the report the dialog shows.
TEST(RealProgram, DiagnosticsShowTheLedReportOfTheSelectedTouchScreen) {
  RunningProgram program;
  ASSERT_TRUE(program.main());
  HWND list = GetDlgItem(program.main(), 1064);
  PostMessageW(list, WM_KEYDOWN, VK_END, 0);
  PostMessageW(list, WM_KEYUP, VK_END, 0xC0000000);
  Sleep(300);
  PostMessageW(program.main(), WM_COMMAND, MAKEWPARAM(1054, BN_CLICKED), 0);  // Diagnostics
  HWND dialog = WaitForOtherWindow(program.id(), program.main(), 10000);
  ASSERT_TRUE(dialog) << "no diagnostics dialog";
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1063, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1063)));
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, 1057)) != FALSE; }, 20000))
      << "the LED test gave no report";
  const sim::TouchScreenModel model;  // the fixture's touch screens answer with the defaults
  led::LedTestResult result;
  ASSERT_EQ(led::Decode(model.LedLevelStream(), model.LedStatusStream(), result), led::DecodeStatus::Decoded);
  led::ReportIdentity identity;
  identity.number = 2;
  identity.version[0] = 648;
  identity.version[1] = 15;
  identity.version[2] = 324;
  identity.serial2 = 65535;
  EXPECT_EQ(ListBoxLines(GetDlgItem(dialog, 1018)), led::BuildReport(identity, result));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

// A four-point calibration of touch screen 0 on the primary monitor: the lift-offs are
// injected at the raw points a slightly askew frame gives for the four targets, and OK stores
// the record, which the list shows as calibrated.
TEST(RealProgram, FourPointCalibrationWithInjectedLiftOffsStoresTheRecord) {
  // No record from an earlier run of this prefix.
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\PelnixHID");
  RunningProgram program;
  ASSERT_TRUE(program.main());
  ASSERT_EQ(ListViewImages(GetDlgItem(program.main(), 1064)), (std::vector<int>{0, 0}));
  PostMessageW(GetDlgItem(program.main(), 1056), BM_CLICK, 0, 0);  // Calibrate
  HWND calibration = WaitForOtherWindow(program.id(), program.main(), 10000);
  ASSERT_TRUE(calibration) << "no calibration window";
  ASSERT_TRUE(WaitFor([] { return Vts("status 0").find("stream=1") != std::string::npos; }, 10000))
      << "the touch stream never started";
  MONITORINFO monitor{sizeof(monitor)};
  GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const double w = monitor.rcMonitor.right - monitor.rcMonitor.left;
  const double h = monitor.rcMonitor.bottom - monitor.rcMonitor.top;
  const double targets[4][2] = {{w / 8, h / 6}, {w - w / 8, h / 6}, {w / 8, h - h / 6}, {w - w / 8, h - h / 6}};
  for (const auto& t : targets) {
    const double u = t[0] / w, v = t[1] / h;
    char touch[64];
    std::snprintf(touch, sizeof(touch), "touch 0 %d %d", static_cast<int>(180 + 3600 * u + 90 * v),
                  static_cast<int>(280 + 3500 * v - 60 * u));
    ASSERT_EQ(Vts(touch), "ok");
    Sleep(700);  // the window takes one target after another
  }
  HWND ok = GetDlgItem(calibration, IDOK);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(ok) != FALSE; }, 10000)) << "the try-out never came";
  PostMessageW(ok, BM_CLICK, 0, 0);
  HWND list = GetDlgItem(program.main(), 1064);
  EXPECT_TRUE(WaitFor([&] {
    const std::vector<int> images = ListViewImages(list);
    return images.size() == 2 && images[0] == 1;
  }, 10000)) << "touch screen 0 is not shown calibrated";
  EXPECT_TRUE(WaitFor([] { return Vts("status 0").find("stream=0") != std::string::npos; }, 5000));
}

// PelnixCpl -u: both virtual touch screens updated over output and feature reports, with
// every console message of the run, byte for byte.
TEST(RealProgram, ConsoleUpdateUpdatesBothTouchScreens) {
  TempFolder folder;
  WriteFileBytes(folder.File(L"fw.hex"), ToHexText(MakeImage(MakeBlock(120))));  // one block, three chunks
  ProgramResult result = RunProgram(DistProgram() + L" -u fw.hex", folder.path(), 60000);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0u);
  const std::string cls = RunProgram(L"cmd /c cls", folder.path()).output;
  for (std::size_t at; !cls.empty() && (at = result.output.find(cls)) != std::string::npos;)
    result.output.erase(at, cls.size());
  std::printf("Wine has no SPDRP_PHYSICAL_DEVICE_OBJECT_NAME: enumeration prints its failure per touch screen\n");
  const std::string one =
      "Note:Please don't close the console or remove the touch Screen!\r\n"
      "Please wait a moment for updating!\r\n"
      "Updating...0%Updating...0%Updating...0%Updating...100%"
      "\r\nUpdate successfully!\r\nPress any key to continue......";
  EXPECT_EQ(result.output, "\r\n" + kNoPdoName + kNoPdoName + one + one);
  for (const char* slot : {"0", "1"}) {
    const std::string status = Vts(std::string("status ") + slot);
    EXPECT_NE(status.find("packets=3 begun=1 finished=1"), std::string::npos) << status;
  }
}

// The update dialog, opened from the About box, sends a raw block stream to the touch screen in
// slot 0 through the device thread, one packet per acknowledgement, and closes itself once the
// finish request went out. Touch screen 0 is plugged again for it, acknowledging "Rb" too.
TEST(RealProgram, UpdateDialogSendsTheBlockStreamToTheFirstTouchScreen) {
  ASSERT_EQ(Vts("unplug 0"), "ok");
  ASSERT_EQ(Vts("plug --number 1 --ack-begin on"), "ok 0");
  TempFolder folder;
  CreateDirectoryW(folder.File(L"update").c_str(), nullptr);
  WriteFileBytes(folder.File(L"update\\vorlane"), ToHexText(Concat({MakeBlock(120), MakeBlock(40)})));
  {
    RunningProgram program(folder.path());
    ASSERT_TRUE(program.main());
    PostMessageW(program.main(), WM_COMMAND, MAKEWPARAM(1055, BN_CLICKED), 0);  // About
    HWND about = WaitForOtherWindow(program.id(), program.main(), 10000);
    ASSERT_TRUE(about) << "no About dialog";
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(1057, BN_CLICKED), 0);  // its hidden Update button
    ASSERT_TRUE(WaitFor([&] { return WaitForOtherWindow(program.id(), about, 0) != nullptr &&
                                     WaitForOtherWindow(program.id(), about, 0) != about; }, 10000));
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }, 10000));
    HWND update = WaitForOtherWindow(program.id(), program.main(), 5000);
    ASSERT_TRUE(update) << "no update dialog";
    // Blocks of 120 and 40 bytes: three packets and one; then "Rc", and the dialog closes itself.
    EXPECT_TRUE(WaitFor([] { return Vts("status 0").find("packets=4 begun=1 finished=1") != std::string::npos; },
                        20000)) << Vts("status 0");
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(update); }, 10000)) << "the update dialog stayed open";
  }
  ASSERT_EQ(Vts("unplug 0"), "ok");
  ASSERT_EQ(Vts("plug --number 1"), "ok 0");
}

// Wine sends no DBT_DEVTYP_HANDLE broadcast when a touch screen goes, only the device
// interface's removal, which the program leaves alone: the list keeps all three and the program
// runs on. (The removal path itself is tested with the simulated HID system.)
TEST(RealProgram, UnplugWithoutAHandleBroadcastRemovesNothing) {
  ASSERT_EQ(Vts("plug --number 3"), "ok 2");
  {
    RunningProgram program;
    ASSERT_TRUE(program.main());
    HWND list = GetDlgItem(program.main(), 1064);
    ASSERT_TRUE(WaitFor([&] { return ListViewTexts(list).size() == 3; }, 5000));
    ASSERT_EQ(Vts("unplug 2"), "ok");
    std::printf("Wine sends no DBT_DEVTYP_HANDLE removal broadcast: the program keeps the unplugged touch screen listed\n");
    Sleep(1000);
    EXPECT_EQ(ListViewTexts(list).size(), 3u);
    EXPECT_TRUE(IsWindow(program.main()));
  }
}

// The mapping on this machine's one monitor: a touch of the second touch screen maps both to
// it, and saving writes each one's list index as its number ("V1"), which the list then shows
// with both calibrated. The touch screens get their numbers back afterwards.
TEST(RealProgram, MappingOnOneMonitorWritesEveryTouchScreensNumber) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\PelnixHID");
  {
    RunningProgram program;
    ASSERT_TRUE(program.main());
    PostMessageW(GetDlgItem(program.main(), 1070), BM_CLICK, 0, 0);  // Mapping
    ASSERT_TRUE(WaitFor([] { return Vts("status 1").find("stream=1") != std::string::npos; }, 10000))
        << "the touch stream never started";
    ASSERT_EQ(Vts("touch 1 2000 2000"), "ok");
    HWND list = GetDlgItem(program.main(), 1064);
    const std::vector<std::wstring> expected = {L"TouchScreen No.0 \n   Monitor     No.0",
                                                L"TouchScreen No.1 \n   Monitor     No.0"};
    EXPECT_TRUE(WaitFor([&] { return ListViewTexts(list) == expected; }, 15000));
    EXPECT_TRUE(WaitFor([&] { return ListViewImages(list) == std::vector<int>{1, 1}; }, 5000));
    // The list shows the numbers as soon as the mapping ends; saving writes them afterwards.
    for (const char* slot : {"0", "1"}) {
      const std::string status = std::string("status ") + slot, number = std::string("stream=0 number=") + slot;
      EXPECT_TRUE(WaitFor([&] { return Vts(status).find(number) != std::string::npos; }, 10000)) << Vts(status);
    }
  }
  for (const char* slot : {"0", "1"}) ASSERT_EQ(Vts(std::string("unplug ") + slot), "ok");
  ASSERT_EQ(Vts("plug 2"), "ok 0 1");
}
