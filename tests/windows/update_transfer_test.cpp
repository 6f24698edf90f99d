// The console transfer against the simulated touch screen: every report it receives, in
// order and byte for byte, and the failures of a chunk.
#include <gtest/gtest.h>

#include "base/timer_resolution.h"
#include "update/firmware_updater.h"
#include "windows/update_test_fixture.h"

using namespace update_test;

namespace {

class UpdateTransfer : public ::testing::Test {
protected:
  void SetUp() override { SimulatedHid().Reset(); }

  // Writes the image as hex text and loads it into a new updater.
  std::unique_ptr<FirmwareUpdater> Load(const Bytes& image, const std::string& name = "fw.hex") {
    const std::wstring path = m_folder.File(std::wstring(name.begin(), name.end()));
    WriteFileBytes(path, ToHexText(image));
    auto updater = std::make_unique<FirmwareUpdater>(SimulatedHid(), path);
    EXPECT_TRUE(updater->LoadImage());
    return updater;
  }

  TempFolder m_folder;
};

const Bytes kFeatureBegin{0x02, 0x01};
const Bytes kFeatureFinish{0x02, 0x09};

}  // namespace

TEST_F(UpdateTransfer, SendsBeginEveryChunkAndFinishInOrder) {
  const Bytes image = MakeImage(Concat({MakeBlock(2), MakeBlock(47), MakeBlock(48), MakeBlock(94), MakeBlock(95)}));
  auto updater = Load(image);
  auto open = AddOpenScreen();
  std::vector<std::pair<std::uint32_t, std::uint32_t>> progress;
  EXPECT_TRUE(updater->Update(open->device, [&](std::uint32_t sent, std::uint32_t total) {
    progress.emplace_back(sent, total);
  }));

  const auto reports = open->screen->OutputReports();
  EXPECT_EQ(reports, ExpectedTransfer(image));
  std::string marks;
  for (std::size_t i = 1; i + 1 < reports.size(); ++i) marks += static_cast<char>(reports[i][1]);
  EXPECT_EQ(marks, "A" "A" "AB" "AB" "AAB");
  EXPECT_EQ(open->screen->FeatureReports(), (std::vector<Bytes>{kFeatureBegin, kFeatureFinish}));
  // Progress before each chunk: the start of its block.
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected = {
      {0, 286}, {2, 286}, {49, 286}, {49, 286}, {97, 286}, {97, 286}, {191, 286}, {191, 286}, {191, 286}};
  EXPECT_EQ(progress, expected);
}

TEST_F(UpdateTransfer, EmptyStreamSendsBeginAndFinishOnly) {
  auto updater = Load(MakeImage({}));
  auto open = AddOpenScreen();
  EXPECT_TRUE(updater->Update(open->device));
  EXPECT_EQ(open->screen->OutputReports(), (std::vector<Bytes>{BeginReport(), FinishReport()}));
  EXPECT_EQ(open->screen->FeatureReports(), (std::vector<Bytes>{kFeatureBegin, kFeatureFinish}));
}

TEST_F(UpdateTransfer, ZeroLengthBlockIsOneChunkOfTwoZeros) {
  auto updater = Load(MakeImage(MakeBlock(2)));
  auto open = AddOpenScreen();
  EXPECT_TRUE(updater->Update(open->device));
  EXPECT_EQ(open->screen->OutputReports(),
            (std::vector<Bytes>{BeginReport(), Packet('A', {0x00, 0x00}), FinishReport()}));
}

TEST_F(UpdateTransfer, ReportsFitTheDevicesReportLengths) {
  // A device whose output reports are 49 bytes gets the packets exactly, and the 9-byte
  // commands padded to its length.
  sim::TouchScreenConfig config;
  config.outputReportLength = 49;
  auto updater = Load(MakeImage(MakeBlock(10)));
  auto open = AddOpenScreen(config);
  EXPECT_TRUE(updater->Update(open->device));
  const auto reports = open->screen->OutputReports();
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0], BeginReport(49));
  EXPECT_EQ(reports[1].size(), 49u);
  EXPECT_EQ(reports[2], FinishReport(49));
}

TEST_F(UpdateTransfer, RefusedChunkFailsAtOnceWithoutFinish) {
  sim::TouchScreenConfig config;
  config.firmware.packets[1].byte1 = 0x13;
  const Bytes image = MakeImage(Concat({MakeBlock(10), MakeBlock(10), MakeBlock(10)}));
  auto updater = Load(image);
  auto open = AddOpenScreen(config);
  EXPECT_FALSE(updater->Update(open->device));
  const auto packets = ExpectedPackets(image, 30);
  EXPECT_EQ(open->screen->OutputReports(), (std::vector<Bytes>{BeginReport(), packets[0], packets[1]}));
  EXPECT_EQ(open->screen->FeatureReports(), (std::vector<Bytes>{kFeatureBegin}));
}

TEST_F(UpdateTransfer, AFailedWriteIsRetriedAndFourFailuresFail) {
  // Writes of packets that fail: the simulator refuses a report shorter than its length.
  sim::TouchScreenConfig config;
  config.outputReportLength = 64;
  auto updater = Load(MakeImage(MakeBlock(10)));
  auto open = AddOpenScreen(config);
  open->screen->Configure([](sim::TouchScreenConfig& c) { c.failWrites = true; });
  EXPECT_FALSE(updater->Update(open->device));
  EXPECT_TRUE(open->screen->OutputReports().empty());
}

TEST_F(UpdateTransfer, FourSilentAttemptsFailTheChunk) {
  sim::TouchScreenConfig config;
  config.firmware.silent = true;
  const Bytes image = MakeImage(MakeBlock(10));
  auto updater = Load(image);
  auto open = AddOpenScreen(config);
  const DWORD start = GetTickCount();
  EXPECT_FALSE(updater->Update(open->device));
  const DWORD elapsed = GetTickCount() - start;
  const Bytes packet = ExpectedPackets(image, 10)[0];
  EXPECT_EQ(open->screen->OutputReports(), (std::vector<Bytes>{BeginReport(), packet, packet, packet, packet}));
  EXPECT_GE(elapsed, 4 * 3000u);
  EXPECT_EQ(open->screen->pendingReads(), 0);  // every abandoned read was cancelled
}

TEST_F(UpdateTransfer, LateAcknowledgementIsNotTakenForALaterChunk) {
  // The first packet's acknowledgement comes 300 ms after its attempt gave up, while later
  // chunks are on their way; packet 20 (chunk 19) is refused. The transfer must fail right
  // there, not one chunk later as it would if every acknowledgement after the late one were
  // taken for the chunk after its own.
  sim::TouchScreenConfig config;
  config.firmware.packets[0].delayMs = 3300;
  config.firmware.packets[20].byte1 = 0x13;
  Bytes stream;
  for (int i = 0; i < 30; ++i) stream = Concat({stream, MakeBlock(10, static_cast<std::uint8_t>(i))});
  const Bytes image = MakeImage(stream);
  auto updater = Load(image);
  auto open = AddOpenScreen(config);
  EXPECT_FALSE(updater->Update(open->device));
  const auto packets = ExpectedPackets(image, 300);
  std::vector<Bytes> expected{BeginReport(), packets[0]};
  expected.insert(expected.end(), packets.begin(), packets.begin() + 20);
  const auto reports = open->screen->OutputReports();
  ASSERT_EQ(reports.size(), expected.size());
  EXPECT_TRUE(reports == expected);
}

TEST_F(UpdateTransfer, RemovalMidTransferFailsWithoutHanging) {
  sim::TouchScreenConfig config;
  config.removeAfterOutputReports = 3;  // begin, two packets
  auto updater = Load(MakeImage(Concat({MakeBlock(10), MakeBlock(10), MakeBlock(10)})));
  auto open = AddOpenScreen(config);
  const DWORD start = GetTickCount();
  EXPECT_FALSE(updater->Update(open->device));
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_FALSE(open->screen->present());
  EXPECT_EQ(open->screen->OutputReports().size(), 3u);
}

TEST_F(UpdateTransfer, EveryTransferGivesBackItsFineTimer) {
  struct Case {
    const char* name;
    void (*configure)(sim::TouchScreenConfig&);
    bool updated;
  };
  const Case cases[] = {
      {"accepted", [](sim::TouchScreenConfig&) {}, true},
      {"refused", [](sim::TouchScreenConfig& c) { c.firmware.packets[0].byte1 = 0x13; }, false},
      {"removed", [](sim::TouchScreenConfig& c) { c.removeAfterOutputReports = 2; }, false},
  };
  auto updater = Load(MakeImage(Concat({MakeBlock(10), MakeBlock(10)})));
  for (const Case& c : cases) {
    sim::TouchScreenConfig config;
    c.configure(config);
    auto open = AddOpenScreen(config);
    const int before = FineTimerRaisesMade();
    EXPECT_EQ(updater->Update(open->device), c.updated) << c.name;
    EXPECT_EQ(FineTimerRaisesMade() - before, 1) << c.name;
    EXPECT_EQ(FineTimerRaisesHeld(), 0) << c.name;
  }
}

TEST_F(UpdateTransfer, NothingIsSentWithoutALoadedImage) {
  auto open = AddOpenScreen();
  FirmwareUpdater updater(SimulatedHid(), m_folder.File(L"missing.hex"));
  EXPECT_FALSE(updater.Update(open->device));
  EXPECT_TRUE(open->screen->OutputReports().empty());
}
