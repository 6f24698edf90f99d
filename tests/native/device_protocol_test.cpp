// The report protocol's portable rules: command table, framing, end of reply, stream filter,
// version arithmetic, reply decisions, and the held-reply slot shared between threads.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "base/core/user_messages.h"
#include "device/core/held_reply.h"
#include "device/core/report_protocol.h"

using namespace protocol;

namespace {

std::vector<std::uint8_t> Report(const std::vector<std::uint8_t>& head) {
  std::vector<std::uint8_t> r(kReportSize, 0);
  std::copy(head.begin(), head.end(), r.begin());
  return r;
}

TEST(DeviceProtocol, CommandTableRows) {
  EXPECT_EQ(DispatchFor(Report({0x31, 'o', 0}).data()).replyMessage, UM_REPLY_O);
  EXPECT_FALSE(LookupCommand(kOpen).echo);
  for (std::uint16_t code : {kVersion, kSerial, kNumberRead, kNumberWrite, kLedLevels, kLedStatus}) {
    EXPECT_TRUE(LookupCommand(code).echo) << std::hex << code;
    EXPECT_TRUE(LookupCommand(code).reads);
  }
  EXPECT_EQ(LookupCommand(kVersion).replyMessage, UM_REPLY_VV);
  EXPECT_EQ(LookupCommand(kNumberWrite).replyMessage, UM_REPLY_V1_WRITE);
  EXPECT_EQ(LookupCommand(kLedStatus).replyMessage, UM_REPLY_ZG);
  EXPECT_FALSE(LookupCommand(kUpdateFinish).reads);
  EXPECT_FALSE(LookupCommand(kStreamOff).reads);
  EXPECT_EQ(LookupCommand(kStreamOn).replyMessage, UM_TOUCH_POINT);
  const CommandRule other = LookupCommand(0x1234);
  EXPECT_EQ(other.replyMessage, 0u);
  EXPECT_TRUE(other.reads);
  EXPECT_FALSE(other.echo);
}

TEST(DeviceProtocol, DispatchSetsStreamAndFirmwareRule) {
  EXPECT_EQ(DispatchFor(Report({0x31, 0xAA, 0x50}).data()).stream, StreamEffect::TurnOn);
  EXPECT_EQ(DispatchFor(Report({0x31, 0xAA, 0x55}).data()).stream, StreamEffect::TurnOff);
  // Firmware data: UM_REPLY_UPDATE whatever bytes 1 and 2 say; the stream is left alone.
  const Dispatch d = DispatchFor(Report({0x51, 0xAA, 0x50}).data());
  EXPECT_EQ(d.replyMessage, UM_REPLY_UPDATE);
  EXPECT_EQ(d.stream, StreamEffect::None);
  EXPECT_TRUE(DispatchFor(Report({0x51, 'v', 'v'}).data()).echo);
  EXPECT_EQ(DispatchFor(Report({0x51, 'A', 7}).data()).replyMessage, UM_REPLY_UPDATE);
}

TEST(DeviceProtocol, EndOfReplyPattern) {
  EXPECT_TRUE(IsEndOfReply(Report({0x30, 'A', 0xFF, '0', '0', '0', 0, 0, 0}).data()));
  EXPECT_TRUE(IsEndOfReply(Report({0x00, 'N', 0, '0', '0', '0'}).data()));
  EXPECT_FALSE(IsEndOfReply(Report({0x30, 'O', 0, '0', '0', '0'}).data()));   // past "N"
  EXPECT_FALSE(IsEndOfReply(Report({0x30, '@', 0, '0', '0', '0'}).data()));   // before "A"
  EXPECT_FALSE(IsEndOfReply(Report({0x30, 'A', 0, '0', '0', '1'}).data()));
  EXPECT_FALSE(IsEndOfReply(Report({0x30, 'A', 0, '0', '0', '0', 0, 0, 1}).data()));
}

TEST(DeviceProtocol, VersionArithmeticUses324) {
  auto v = DecodeHardwareVersion(Report({0x30, 'V', 'v', 1, 2, 3, 4, 5, 6}).data());
  ASSERT_TRUE(v);
  EXPECT_EQ(*v, (std::array<std::int32_t, 3>{326, 976, 1626}));
  v = DecodeHardwareVersion(Report({0x30, 'V', 'v', 2, 0, 0, 15, 1, 0}).data());
  EXPECT_EQ(*v, (std::array<std::int32_t, 3>{648, 15, 324}));
  EXPECT_FALSE(DecodeHardwareVersion(Report({0x30, 'V', 'v', 0x20, 2, 3, 4, 5, 6}).data()));
  EXPECT_FALSE(DecodeHardwareVersion(Report({0x30, 'V', 's', 1, 2, 3, 4, 5, 6}).data()));
}

// One rule for the number of a "v1" reply, where the reader and the main window once disagreed
// about 0xFF, a blank and the end-of-reply report.
TEST(DeviceProtocol, NumberReadRule) {
  const struct {
    std::vector<std::uint8_t> reply;
    std::optional<std::int32_t> number;
  } cases[] = {
      {{0x30, 'V', '1', 9}, 9},
      {{0x30, 'V', '1', 254}, 254},
      {{0x30, 'V', '1', 0xFF}, 0},
      {{0x30, 'V', '1', ' '}, 0},
      {{0x30, 'V', '2', 9}, 0},
      {{0x30, 'B', '1', 9}, 0},
      {{0x30, 'A', '1', '0', '0', '0'}, std::nullopt},
      {{0x30, 'B', '1', '0', '0', '0'}, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TouchScreenNumberFromReply(Report(c.reply).data()), c.number) << int(c.reply[1]) << " " << int(c.reply[3]);
  }
}

TEST(DeviceProtocol, NormalModeDecisions) {
  const auto data = Report({0x30, 'V', 'v', 1});
  const auto end = Report({0x30, 'A', 'v', '0', '0', '0'});
  const auto lift = Report({0x30, 0xAA, 0x84, 1, 2, 3, 4});
  ReplyContext c{kVersion, UM_REPLY_VV, true, false, false, false};
  EXPECT_EQ(DecideReply(c, data.data()).action, ReplyAction::Post);
  EXPECT_FALSE(DecideReply(c, data.data()).endsWorker);
  EXPECT_EQ(DecideReply(c, end.data()).action, ReplyAction::Post);  // handed on, then ends
  EXPECT_TRUE(DecideReply(c, end.data()).endsWorker);
  c.streamOn = true;  // only lift-offs pass while the stream is on, whatever the command
  EXPECT_EQ(DecideReply(c, data.data()).action, ReplyAction::Release);
  EXPECT_TRUE(DecideReply(c, end.data()).endsWorker);
  EXPECT_EQ(DecideReply(c, lift.data()).action, ReplyAction::Post);
  c.streamOn = false;
  c.hasWindow = false;
  EXPECT_EQ(DecideReply(c, data.data()).action, ReplyAction::Release);
  c.hasWindow = true;
  c.replyMessage = 0;  // no message to carry it: never posted
  EXPECT_EQ(DecideReply(c, data.data()).action, ReplyAction::Release);
}

TEST(DeviceProtocol, AFirmwarePacketEndsAtItsAcknowledgement) {
  const auto ack = Report({0x30, 0x11});
  ReplyContext c{0x4100, UM_REPLY_UPDATE, true, false, false, false, true};
  const ReplyDecision decision = DecideReply(c, ack.data());
  EXPECT_EQ(decision.action, ReplyAction::Post);
  EXPECT_TRUE(decision.endsWorker);
  c.firmwareData = false;  // a command with the same bytes 1 and 2 reads on to its end of reply
  EXPECT_FALSE(DecideReply(c, ack.data()).endsWorker);
}

TEST(DeviceProtocol, TheUpdatesBeginRequestEndsAtItsAcknowledgement) {
  const auto ack = Report({0x30, 0x11});
  const ReplyContext begin{protocol::kUpdateBegin, UM_REPLY_UPDATE, true, false, false, false};
  const ReplyDecision decision = DecideReply(begin, ack.data());
  EXPECT_EQ(decision.action, ReplyAction::Post);
  EXPECT_TRUE(decision.endsWorker);
}

TEST(DeviceProtocol, AcknowledgeModeDecisions) {
  const auto end = Report({0x30, 'B', 0, '0', '0', '0'});
  ReplyContext c{kOpen, UM_REPLY_O, false, true, false, false};
  EXPECT_EQ(DecideReply(c, Report({0x30, 'O', 'K'}).data()).action, ReplyAction::Hold);
  EXPECT_EQ(DecideReply(c, end.data()).action, ReplyAction::SignalAck);
  EXPECT_TRUE(DecideReply(c, end.data()).endsWorker);
  c.code = kVersion;
  EXPECT_EQ(DecideReply(c, Report({0x30, 'V', 'v', 1, 2}).data()).action, ReplyAction::StoreVersion);
  EXPECT_EQ(DecideReply(c, Report({0x30, 'V', 'v', 0x20}).data()).action, ReplyAction::Release);
  c.code = kSerial;
  EXPECT_EQ(DecideReply(c, Report({0x30, 'V', 's', 1}).data()).action, ReplyAction::Release);
  // An echo's own end of reply does not end the wait for the command behind it.
  c.echo = true;
  EXPECT_EQ(DecideReply(c, end.data()).action, ReplyAction::Release);
  EXPECT_TRUE(DecideReply(c, end.data()).endsWorker);
}

TEST(DeviceProtocol, EchoKeepsTheHeldBytesWithCommandId) {
  auto held = Report({0x30, 'O', 'K', 0x5A, 0xC3});
  held[99] = 0x77;
  std::vector<std::uint8_t> out(kReportSize, 0xEE);
  MakeEchoReport(held.data(), out.data());
  held[0] = 0x31;
  EXPECT_EQ(out, held);
}

TEST(HeldReplySlot, HoldCopyReplaceClear) {
  HeldReplySlot slot;
  DeviceReport copy;
  EXPECT_TRUE(slot.empty());
  EXPECT_FALSE(slot.CopyTo(&copy));
  auto first = std::make_unique<DeviceReport>();
  first->report[1] = 'O';
  slot.Hold(std::move(first));
  ASSERT_TRUE(slot.CopyTo(&copy));
  EXPECT_EQ(copy.report[1], 'O');
  auto second = std::make_unique<DeviceReport>();
  second->report[1] = 'P';
  slot.Hold(second.release());  // the replaced one is released (ASan would see a leak)
  ASSERT_TRUE(slot.CopyTo(&copy));
  EXPECT_EQ(copy.report[1], 'P');
  slot.Clear();
  EXPECT_TRUE(slot.empty());
}

// Windows fill and clear the slot while the device thread copies it for echoes.
TEST(HeldReplySlot, ConcurrentHoldsAndCopiesSeeWholeRecords) {
  HeldReplySlot slot;
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0};
  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i) {
      if (i % 7 == 0) {
        slot.Clear();
        continue;
      }
      auto r = std::make_unique<DeviceReport>();
      std::fill(std::begin(r->report), std::end(r->report), static_cast<std::uint8_t>(i));
      slot.Hold(std::move(r));
    }
    stop = true;
  });
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      DeviceReport copy;
      while (!stop) {
        if (slot.CopyTo(&copy) &&
            !std::all_of(std::begin(copy.report), std::end(copy.report),
                         [&](std::uint8_t b) { return b == copy.report[0]; })) {
          ++torn;
        }
      }
    });
  }
  writer.join();
  for (auto& r : readers) r.join();
  EXPECT_EQ(torn.load(), 0);
}

}  // namespace
