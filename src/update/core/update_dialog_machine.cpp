#include "update/core/update_dialog_machine.h"

#include <algorithm>

#include "update/core/firmware_image.h"
#include "update/core/update_protocol.h"

UpdateDialogMachine::UpdateDialogMachine(std::vector<std::uint8_t> image)
    : image_(std::move(image)) {}

std::uint8_t UpdateDialogMachine::At(std::uint64_t index) const {
  return index < image_.size() ? image_[index] : 0;
}

UpdateDialogMachine::Step UpdateDialogMachine::OnReply(std::uint8_t replyCode) {
  Step step;
  if (finished_) {
    step.action = Action::Ignore;  // a stray reply after the end changes nothing
    return step;
  }
  if (replyCode == kReplyAccepted) e_ = 0;
  if (replyCode == kReplyResend || replyCode == kReplyResendToo) {
    k_ = 0;
    if (e_ >= kDialogMaxResends) {
      finished_ = true;
      step.action = Action::GiveUp;
      return step;
    }
    ++e_;
  }

  const std::uint64_t size = image_.size();
  if (p_ >= size) {
    finished_ = true;
    return step;  // Finish
  }
  if (k_ >= s_) {
    p_ += s_;
    k_ = 0;
    step.percentChanged = true;
    // A last block that runs past the end would give more than 100.
    step.percent = static_cast<int>(std::min<std::uint64_t>(100, std::uint64_t{p_} * 100 / size));
    if (p_ >= size) {
      finished_ = true;
      return step;  // Finish
    }
    s_ = (static_cast<std::uint32_t>(At(p_)) << 8 | At(std::uint64_t{p_} + 1)) + 2;
  }
  BuildPacket(step);
  return step;
}

void UpdateDialogMachine::BuildPacket(Step& step) {
  step.action = Action::SendPacket;
  step.packet[0] = kFirmwareReportId;
  step.packet[1] = k_ == 0 ? kMarkFirst : kMarkLast;
  // Each packet carries its chunk and the two bytes after it.
  const std::uint64_t from = std::uint64_t{p_} + k_;
  const std::uint32_t chunk = std::min<std::uint32_t>(s_ - k_, kChunkBytes);
  for (std::uint32_t i = 0; i < chunk + 2; ++i) step.packet[2 + i] = At(from + i);
  k_ = s_ - k_ > kChunkBytes ? k_ + kChunkBytes : s_;
}

std::array<std::uint8_t, kReportSize> DialogBeginRequest() {
  std::array<std::uint8_t, kReportSize> r{};
  r[0] = kCommandReportId;
  r[1] = 'R';
  r[2] = 'b';
  r[3] = 0x05;
  return r;
}

std::array<std::uint8_t, kReportSize> DialogFinishRequest() {
  std::array<std::uint8_t, kReportSize> r{};
  r[0] = kCommandReportId;
  r[1] = 'R';
  r[2] = 'c';
  return r;
}
