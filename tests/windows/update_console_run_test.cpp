// RunConsoleUpdate in this process, over simulated touch screens: the console text of each
// touch screen and what each one received. One run per process (the touch screen list is
// built once), so one test: the first touch screen refuses a chunk, the second is removed in
// the middle of its transfer, the third is updated; the failures do not stop the loop.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "base/timer_resolution.h"
#include "support/test_devices.h"
#include "update/console_update.h"
#include "windows/update_test_fixture.h"

using namespace update_test;

namespace {

// Standard output into a file while it lives.
class CapturedOutput {
public:
  explicit CapturedOutput(std::wstring path) : m_strPath(std::move(path)) {
    std::fflush(stdout);
    m_nSaved = _dup(1);
    const int file = _wopen(m_strPath.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_TEXT, 0666);
    _dup2(file, 1);
    _close(file);
  }
  std::string Finish() {
    std::fflush(stdout);
    _dup2(m_nSaved, 1);
    _close(m_nSaved);
    return ReadFileBytes(m_strPath);
  }

private:
  std::wstring m_strPath;
  int m_nSaved;
};

std::string ProgressLines(int chunks, int percent) {
  std::string s;
  for (int i = 0; i < chunks; ++i) s += "Updating..." + std::to_string(percent) + "%";
  return s;
}

}  // namespace

TEST(UpdateConsoleRun, EveryTouchScreenInTurnAndFailuresDoNotStopTheLoop) {
  TempFolder folder;
  const Bytes image = MakeImage(MakeBlock(120));  // one block: three chunks
  WriteFileBytes(folder.File(L"fw.hex"), ToHexText(image));

  sim::TouchScreenConfig refuses;
  refuses.firmware.packets[1].byte1 = 0x13;
  sim::TouchScreenConfig removed;
  removed.removeAfterOutputReports = 3;  // begin and two packets
  auto first = SimulatedHid().Add(refuses);
  auto second = SimulatedHid().Add(removed);
  auto third = SimulatedHid().Add();
  ASSERT_EQ(TestDevices().list().count(), 3u);
  for (auto& screen : {first, second, third}) screen->ClearRecords();

  // What cls writes into a pipe or file here, so that only the program's own text is compared.
  const std::string cls = RunProgram(L"cmd /c cls", folder.path()).output;

  SetCurrentDirectoryW(folder.path().c_str());
  CapturedOutput capture(folder.File(L"out.txt"));
  const int raisesBefore = FineTimerRaisesMade();
  RunConsoleUpdate(&TestDevices, L"fw.hex");
  // The run and each transfer raised the timer resolution, and gave every raise back, the
  // failed transfers' too.
  EXPECT_EQ(FineTimerRaisesMade() - raisesBefore, 1 + 3);
  EXPECT_EQ(FineTimerRaisesHeld(), 0);
  std::string output = capture.Finish();
  for (std::size_t at; !cls.empty() && (at = output.find(cls)) != std::string::npos;)
    output.erase(at, cls.size());

  const std::string notes =
      "Note:Please don't close the console or remove the touch Screen!\r\n"
      "Please wait a moment for updating!\r\n";
  const std::string failed =
      "\r\nUpdate failed! please reconnect the touch screen\r\nPress any key to continue......\r\n";
  EXPECT_EQ(output, "\r\n" +
                        notes + ProgressLines(2, 0) + failed +
                        notes + ProgressLines(2, 0) + failed +
                        notes + ProgressLines(3, 0) + "Updating...100%" +
                        "\r\nUpdate successfully!\r\nPress any key to continue......");

  // The query went first: "o" requests could not reach a device thread, so nothing else of
  // it. Then each transfer, straight to the touch screen.
  const auto packets = ExpectedPackets(image, 120);
  EXPECT_EQ(first->OutputReports(), (std::vector<Bytes>{BeginReport(), packets[0], packets[1]}));
  EXPECT_EQ(second->OutputReports(), (std::vector<Bytes>{BeginReport(), packets[0], packets[1]}));
  EXPECT_FALSE(second->present());
  EXPECT_EQ(third->OutputReports(), ExpectedTransfer(image));
  EXPECT_TRUE(third->firmwareFinished());
  EXPECT_FALSE(first->firmwareFinished());
}
