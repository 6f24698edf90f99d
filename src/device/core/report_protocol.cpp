#include "device/core/report_protocol.h"

#include <cstring>

#include "base/core/user_messages.h"

namespace protocol {

namespace {
constexpr CommandRule kCommandTable[] = {
    {kOpen, UM_REPLY_O, false, true},
    {kVersion, UM_REPLY_VV, true, true},
    {kSerial, UM_REPLY_VS, true, true},
    {kNumberRead, UM_REPLY_V1_READ, true, true},
    {kNumberWrite, UM_REPLY_V1_WRITE, true, true},
    {kLedLevels, UM_REPLY_ZV, true, true},
    {kLedStatus, UM_REPLY_ZG, true, true},
    {kUpdateBegin, UM_REPLY_UPDATE, false, true},
    {kUpdateFinish, 0, false, false},
    {kStreamOn, UM_TOUCH_POINT, false, true},
    {kStreamOff, 0, false, false},
};
}  // namespace

CommandRule LookupCommand(std::uint16_t code) {
  for (const CommandRule& rule : kCommandTable) {
    if (rule.code == code) return rule;
  }
  return CommandRule{code, 0, false, true};
}

Dispatch DispatchFor(const std::uint8_t* report) {
  const CommandRule rule = LookupCommand(CommandCode(report));
  if (report[0] == kFirmwareReportId) return Dispatch{UM_REPLY_UPDATE, rule.echo, StreamEffect::None};
  StreamEffect stream = StreamEffect::None;
  if (rule.code == kStreamOn) stream = StreamEffect::TurnOn;
  if (rule.code == kStreamOff) stream = StreamEffect::TurnOff;
  return Dispatch{rule.replyMessage, rule.echo, stream};
}

bool IsEndOfReply(const std::uint8_t* report) {
  return report[1] >= 'A' && report[1] <= 'N' && report[3] == '0' && report[4] == '0' &&
         report[5] == '0' && report[6] == 0 && report[7] == 0 && report[8] == 0;
}

std::optional<std::array<std::int32_t, 3>> DecodeHardwareVersion(const std::uint8_t* reply) {
  if (reply[1] != 'V' || reply[2] != 'v' || reply[3] == 0x20) return std::nullopt;
  return std::array<std::int32_t, 3>{reply[3] * kVersionRadix + reply[4],
                                     reply[5] * kVersionRadix + reply[6],
                                     reply[7] * kVersionRadix + reply[8]};
}

std::optional<std::int32_t> TouchScreenNumberFromReply(const std::uint8_t* reply) {
  if (IsEndOfReply(reply)) return std::nullopt;
  if (reply[1] != 'V' || reply[2] != '1' || reply[3] == ' ' || reply[3] == 0xFF) return 0;
  return reply[3];
}

ReplyDecision DecideReply(const ReplyContext& context, const std::uint8_t* reply) {
  const bool end = IsEndOfReply(reply);
  if (context.ackMode) {
    if (end) return {context.echo ? ReplyAction::Release : ReplyAction::SignalAck, true};
    if (context.code == kOpen) return {ReplyAction::Hold, false};
    if (context.code == kVersion && DecodeHardwareVersion(reply)) {
      return {ReplyAction::StoreVersion, false};
    }
    return {ReplyAction::Release, false};
  }
  // A reply without a reply message would reach the window as a message it cannot own.
  const bool post = context.hasWindow && context.replyMessage != 0 &&
                    PassesStreamFilter(context.streamOn, reply);
  return {post ? ReplyAction::Post : ReplyAction::Release,
          end || context.firmwareData || context.code == kUpdateBegin};
}

void MakeEchoReport(const std::uint8_t* heldReply, std::uint8_t* out) {
  std::memmove(out, heldReply, kReportSize);
  out[0] = kCommandReportId;
}

}  // namespace protocol
