// The simulated touch screen's answers, natively: what each command gets, in what order,
// and the configurable faults.
#include <gtest/gtest.h>

#include "simulator/core/touch_screen_model.h"

using sim::Bytes;
using sim::TouchScreenModel;

namespace {

Bytes Command(std::uint8_t id, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3 = 0) {
  Bytes r(100, 0);
  r[0] = id;
  r[1] = b1;
  r[2] = b2;
  r[3] = b3;
  return r;
}

std::vector<Bytes> Drain(TouchScreenModel& m, std::uint64_t now) {
  std::vector<Bytes> out;
  while (auto r = m.TakeDue(now)) out.push_back(*r);
  return out;
}

bool Send(TouchScreenModel& m, const Bytes& r, std::uint64_t now = 0) {
  return m.ReceiveOutputReport(r.data(), r.size(), now);
}

bool IsEnd(const Bytes& r) {
  return r[1] >= 'A' && r[1] <= 'N' && r[3] == '0' && r[4] == '0' && r[5] == '0' && !r[6] && !r[7] && !r[8];
}

TEST(SimulatorModel, AnswersIdentityCommands) {
  TouchScreenModel m;
  ASSERT_TRUE(Send(m, Command(0x31, 'o', 0)));
  auto replies = Drain(m, 0);
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0], m.OpenReply());
  EXPECT_FALSE(IsEnd(replies[0]));
  EXPECT_TRUE(IsEnd(replies[1]));

  Send(m, Command(0x31, 'v', 'v'));
  replies = Drain(m, 0);
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ((Bytes{replies[0].begin(), replies[0].begin() + 9}), (Bytes{0x30, 'V', 'v', 2, 0, 0, 15, 1, 0}));

  Send(m, Command(0x31, 'V', '1', 42));
  EXPECT_EQ(Drain(m, 0).size(), 1u);  // the end of reply only
  Send(m, Command(0x31, 'v', '1'));
  replies = Drain(m, 0);
  EXPECT_EQ(replies[0][3], 42);
  EXPECT_EQ(replies[1][1], 'A');  // so that the end of reply stores no number

  // The echoed held reply is acknowledged, so its reader ends before the command goes.
  Bytes echo = m.OpenReply();
  echo[0] = 0x31;
  Send(m, echo);
  replies = Drain(m, 0);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_TRUE(IsEnd(replies[0]));
  EXPECT_EQ(m.outputReports().size(), 5u);
}

TEST(SimulatorModel, LedStreamsCarryCountsStepMarkAndBadLeds) {
  sim::TouchScreenConfig c;
  c.leds.xCount = 4;
  c.leds.yCount = 3;
  c.leds.stepByte = 0x21;
  c.leds.badLeds = {1, 6};
  TouchScreenModel m(c);
  const Bytes zv = m.LedLevelStream();
  const Bytes zg = m.LedStatusStream();
  EXPECT_EQ((Bytes{zv.begin(), zv.begin() + 7}), (Bytes{'Z', 'v', 4, 3, 0x21, 0x01, 50}));
  EXPECT_EQ(zv[9 + 1 * 2], 10);   // bad level
  EXPECT_EQ(zv[9 + 0 * 2], 200);  // good level
  EXPECT_EQ(zg[8 + 1], 0x01);
  EXPECT_EQ(zg[8 + 6], 0x01);
  EXPECT_EQ(zg[8 + 2], 0x0F);
  // Without the held reply just before it, the LED test gets no answer.
  Bytes echo = m.OpenReply();
  echo[0] = 0x31;
  Send(m, Command(0x31, 'Z', 'v'));
  Send(m, echo);
  Send(m, Command(0x31, 'v', 'v'));
  Drain(m, 0);
  Send(m, Command(0x31, 'Z', 'g'));
  EXPECT_TRUE(Drain(m, 0).empty());
  Send(m, echo);
  Drain(m, 0);
  Send(m, Command(0x31, 'Z', 'v'));
  auto replies = Drain(m, 0);
  ASSERT_EQ(replies.size(), (zv.size() + 7) / 8 + 1);
  EXPECT_EQ(replies[0][0], 0x30);
  EXPECT_EQ((Bytes{replies[0].begin() + 1, replies[0].begin() + 9}), (Bytes{zv.begin(), zv.begin() + 8}));
  EXPECT_TRUE(IsEnd(replies.back()));
}

TEST(SimulatorModel, TouchStreamOnlyWhileOn) {
  TouchScreenModel m;
  EXPECT_FALSE(m.InjectTouch(1, 2, 0));
  Send(m, Command(0x31, 0xAA, 0x50));
  EXPECT_TRUE(m.streamOn());
  EXPECT_TRUE(Drain(m, 0).empty());  // the stream itself is not answered
  EXPECT_TRUE(m.InjectTouch(0x1234, 0x0567, 0));
  auto replies = Drain(m, 0);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ((Bytes{replies[0].begin(), replies[0].begin() + 7}), (Bytes{0x30, 0xAA, 0x84, 0x34, 0x12, 0x67, 0x05}));
  Send(m, Command(0x31, 0xAA, 0x55));
  EXPECT_FALSE(m.streamOn());
}

TEST(SimulatorModel, FirmwareAcknowledgementsAndFaults) {
  sim::TouchScreenConfig c;
  c.firmware.packets[0].byte1 = 0x22;
  c.firmware.packets[1].delayMs = 30;
  c.firmware.packets[2].silent = true;
  TouchScreenModel m(c);
  Send(m, Command(0x31, 'R', 'b', 5));
  EXPECT_TRUE(m.firmwareBegun());
  EXPECT_TRUE(Drain(m, 0).empty());
  Send(m, Command(0x51, 'A', 1));
  EXPECT_EQ(Drain(m, 0).at(0)[1], 0x22);
  Send(m, Command(0x51, 'A', 2), 100'000);
  EXPECT_TRUE(Drain(m, 129'999).empty());
  EXPECT_EQ(Drain(m, 130'000).at(0)[1], 0x11);
  Send(m, Command(0x51, 'B', 3), 131'000);
  EXPECT_TRUE(Drain(m, 132'000).empty());
  Send(m, Command(0x51, 'A', 4), 132'000);
  EXPECT_EQ(Drain(m, 132'000).at(0)[1], 0x11);
  Send(m, Command(0x31, 'R', 'c'), 133'000);
  EXPECT_TRUE(m.firmwareFinished());
  EXPECT_TRUE(Drain(m, 134'000).empty());
  const std::uint8_t feature[2] = {0x02, 0x09};
  EXPECT_TRUE(m.ReceiveFeatureReport(feature, 2, 0));
  EXPECT_EQ(m.featureReports().at(0), (Bytes{0x02, 0x09}));
  EXPECT_EQ(m.packetCount(), 4);
}

TEST(SimulatorModel, BeginIsAcknowledgedWhenAsked) {
  sim::TouchScreenConfig c;
  c.firmware.acknowledgeBegin = true;
  TouchScreenModel m(c);
  Send(m, Command(0x31, 'R', 'b', 5));
  EXPECT_EQ(Drain(m, 0).at(0)[1], 0x11);
}

TEST(SimulatorModel, FaultsSilenceDelayRefusalRemoval) {
  sim::TouchScreenConfig c;
  c.replyDelayMs = 50;
  TouchScreenModel m(c);
  Send(m, Command(0x31, 'o', 0), 10'100);  // times in microseconds: due 50 ms later, to the us
  EXPECT_TRUE(Drain(m, 60'099).empty());
  EXPECT_EQ(m.NextDue(), 60'100u);
  EXPECT_EQ(Drain(m, 60'100).size(), 2u);

  m.config().silent = true;
  Send(m, Command(0x31, 'v', 'v'));
  EXPECT_EQ(m.queued(), 0u);

  m.config().failWrites = true;
  EXPECT_FALSE(Send(m, Command(0x31, 'o', 0)));
  m.config().failWrites = false;
  const Bytes shortReport{0x31, 'R', 'b', 9, 0, 0, 0, 0, 0};
  EXPECT_FALSE(Send(m, shortReport));  // shorter than the output report
  EXPECT_EQ(m.outputReports().size(), 2u);

  m.config().silent = false;
  m.config().removeAfterOutputReports = 3;
  EXPECT_TRUE(Send(m, Command(0x31, 'o', 0)));
  EXPECT_TRUE(m.removalDue());
  EXPECT_EQ(m.queued(), 0u);  // unplugged before it could answer
}

TEST(SimulatorModel, UnknownCommandsGetAnErrorEnd) {
  TouchScreenModel m;
  Send(m, Command(0x31, 'q', 'q'));
  auto replies = Drain(m, 0);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0][1], 'N');
  EXPECT_TRUE(IsEnd(replies[0]));
}

}  // namespace

namespace {

// The rough touch screen: what it changes, and that it keeps its reports in order.
TEST(SimulatorModel, RoughTouchScreensAnswerLateInOrderAndKeep32Reports) {
  sim::TouchScreenConfig a, b;
  sim::MakeRough(a, 1, 0);
  sim::MakeRough(b, 1, 1);
  EXPECT_NE(a.session, b.session);
  TouchScreenModel m(a);

  // "V1" gets a data report before its end; the echo's end comes 20 to 179 ms late; nothing
  // overtakes what was answered before it.
  ASSERT_TRUE(Send(m, Command(0x31, 'V', '1', 4)));
  Bytes echo = m.OpenReply();
  echo[0] = 0x31;
  ASSERT_TRUE(Send(m, echo));
  ASSERT_TRUE(Send(m, Command(0x31, 'v', 'v')));
  std::vector<Bytes> replies;
  std::uint64_t lastDue = 0, echoDue = 0;
  std::uint64_t due = 0;
  while (auto r = m.TakeDue(~std::uint64_t{0} >> 1, &due)) {
    EXPECT_GE(due, lastDue);
    lastDue = due;
    if (replies.size() == 2) echoDue = due;
    replies.push_back(*r);
  }
  ASSERT_EQ(replies.size(), 5u);
  EXPECT_EQ(replies[0][1], 'V');
  EXPECT_EQ(replies[0][3], 4);
  EXPECT_TRUE(IsEnd(replies[1]));
  EXPECT_TRUE(IsEnd(replies[2]));  // the echo's
  EXPECT_GE(echoDue, sim::Microseconds(20));
  EXPECT_LT(echoDue, sim::Microseconds(190));

  // 40 touches arrive with nobody reading: the oldest 8 are dropped.
  TouchScreenModel full(a);
  ASSERT_TRUE(Send(full, Command(0x31, 0xAA, 0x50)));
  for (int i = 0; i < 40; ++i) full.InjectTouch(static_cast<std::uint16_t>(i), 0, 0);
  const auto kept = Drain(full, ~std::uint64_t{0} >> 1);
  ASSERT_EQ(kept.size(), 32u);
  EXPECT_EQ(kept.front()[3], 8);
  EXPECT_EQ(full.droppedReports(), 8u);
}

}  // namespace
