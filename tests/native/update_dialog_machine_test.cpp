// The update dialog's state machine: packets, marks, trailing bytes, resends and the end.
#include <gtest/gtest.h>

#include <string>

#include "support/update_test_images.h"
#include "update/core/update_dialog_machine.h"

using update_test::Bytes;
using update_test::MakeBlock;
using Action = UpdateDialogMachine::Action;

namespace {

// Runs the machine with every reply accepted; returns the marks and checks each packet.
std::string Marks(UpdateDialogMachine& m, std::vector<int>* percents = nullptr) {
  std::string marks;
  for (int guard = 0; guard < 100000; ++guard) {
    const auto step = m.OnReply(0x11);
    if (step.percentChanged && percents) percents->push_back(step.percent);
    if (step.action != Action::SendPacket) return marks;
    EXPECT_EQ(step.packet[0], 0x51);
    marks += static_cast<char>(step.packet[1]);
  }
  ADD_FAILURE() << "no end";
  return marks;
}

}  // namespace

TEST(UpdateDialogMachine, EmptyImageFinishesAtTheFirstReply) {
  UpdateDialogMachine m({});
  EXPECT_EQ(m.OnReply(0x11).action, Action::Finish);
}

TEST(UpdateDialogMachine, PacketsCarryTheChunkAndTheTwoBytesAfterIt) {
  const Bytes image = update_test::Concat({MakeBlock(50, 3), MakeBlock(4, 9)});
  UpdateDialogMachine m(image);
  auto step = m.OnReply(0x11);  // reply to the begin request
  ASSERT_EQ(step.action, Action::SendPacket);
  EXPECT_TRUE(step.percentChanged);
  EXPECT_EQ(step.percent, 0);
  EXPECT_EQ(step.packet[1], 'A');
  EXPECT_TRUE(std::equal(image.begin(), image.begin() + 49, step.packet.begin() + 2));
  EXPECT_EQ(step.packet[51], 0);

  step = m.OnReply(0x11);
  EXPECT_EQ(step.packet[1], 'B');
  EXPECT_FALSE(step.percentChanged);
  // 3 bytes of the block and the 2 of the next block's V.
  EXPECT_TRUE(std::equal(image.begin() + 47, image.begin() + 52, step.packet.begin() + 2));
  EXPECT_EQ(step.packet[7], 0);

  step = m.OnReply(0x11);
  EXPECT_EQ(step.packet[1], 'A');
  EXPECT_EQ(step.percent, 50 * 100 / 54);
  // The last chunk's two following bytes lie past the image: zero.
  EXPECT_TRUE(std::equal(image.begin() + 50, image.end(), step.packet.begin() + 2));
  EXPECT_EQ(step.packet[6], 0);
  EXPECT_EQ(step.packet[7], 0);

  step = m.OnReply(0x11);
  EXPECT_EQ(step.action, Action::Finish);
  EXPECT_EQ(step.percent, 100);
}

TEST(UpdateDialogMachine, MarksAreAOnlyForTheFirstPacketOfABlock) {
  UpdateDialogMachine m(update_test::Concat({MakeBlock(2), MakeBlock(47), MakeBlock(48), MakeBlock(95)}));
  std::vector<int> percents;
  EXPECT_EQ(Marks(m, &percents), "AAABABB");
  EXPECT_EQ(percents, (std::vector<int>{0, 1, 25, 50, 100}));
}

TEST(UpdateDialogMachine, ABlockRunningPastTheEndReadsZerosAndShowsAtMost100) {
  Bytes image = MakeBlock(100);
  image.resize(10);
  UpdateDialogMachine m(image);
  std::vector<int> percents;
  EXPECT_EQ(Marks(m, &percents), "ABB");
  EXPECT_EQ(percents.back(), 100);
  // A one-byte image: V's low byte lies past the end.
  UpdateDialogMachine one({0x00});
  EXPECT_EQ(Marks(one), "A");
}

TEST(UpdateDialogMachine, ResendRestartsTheBlockAndGivesUpAtTheFifthInARow) {
  UpdateDialogMachine m(update_test::Concat({MakeBlock(10), MakeBlock(100)}));
  m.OnReply(0x11);                         // block 0
  EXPECT_EQ(m.OnReply(0x11).packet[1], 'A');  // block 1, first packet
  EXPECT_EQ(m.OnReply(0x11).packet[1], 'B');
  for (int i = 1; i <= 4; ++i) {
    const auto step = m.OnReply(i % 2 ? 0x13 : 0x22);
    ASSERT_EQ(step.action, Action::SendPacket) << i;
    EXPECT_EQ(step.packet[1], 'A');  // block 1 again from its start
    EXPECT_EQ(m.blockStart(), 10u);
    EXPECT_EQ(m.errorCount(), i);
  }
  EXPECT_EQ(m.OnReply(0x13).action, Action::GiveUp);
  EXPECT_EQ(m.OnReply(0x11).action, Action::Ignore);  // nothing more after giving up
}

TEST(UpdateDialogMachine, AnAcceptedReplyClearsTheResendCount) {
  UpdateDialogMachine m(MakeBlock(200));
  m.OnReply(0x11);
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 4; ++i) ASSERT_EQ(m.OnReply(0x13).action, Action::SendPacket);
    ASSERT_EQ(m.OnReply(0x11).action, Action::SendPacket);
    EXPECT_EQ(m.errorCount(), 0);
  }
  // Any other reply simply goes on.
  EXPECT_EQ(m.OnReply(0x55).packet[1], 'B');
}

TEST(UpdateDialogMachine, BeginAndFinishRequests) {
  const auto begin = DialogBeginRequest();
  EXPECT_EQ(Bytes(begin.begin(), begin.begin() + 5), (Bytes{0x31, 'R', 'b', 0x05, 0}));
  const auto finish = DialogFinishRequest();
  EXPECT_EQ(Bytes(finish.begin(), finish.begin() + 4), (Bytes{0x31, 'R', 'c', 0x00}));
}
