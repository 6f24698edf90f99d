#include "update/core/update_dialog_machine.h"

#include <algorithm>

#include "update/core/firmware_image.h"
#include "update/core/update_protocol.h"

UpdateDialogMachine::UpdateDialogMachine(std::vector<std::uint8_t> image)
    : m_image(std::move(image)) {}

std::uint8_t UpdateDialogMachine::At(std::uint64_t index) const {
  return index < m_image.size() ? m_image[index] : 0;
}

UpdateDialogMachine::Step UpdateDialogMachine::OnReply(std::uint8_t replyCode) {
  Step step;
  if (m_bFinished) {
    step.action = Action::Ignore;  // a stray reply after the end changes nothing
    return step;
  }
  if (replyCode == kReplyAccepted) m_nErrorsInRow = 0;
  if (replyCode == kReplyResend || replyCode == kReplyResendToo) {
    m_nSentOfBlock = 0;
    if (m_nErrorsInRow >= kDialogMaxResends) {
      m_bFinished = true;
      step.action = Action::GiveUp;
      return step;
    }
    ++m_nErrorsInRow;
  }

  const std::uint64_t size = m_image.size();
  if (m_nBlockStart >= size) {
    m_bFinished = true;
    return step;  // Finish
  }
  if (m_nSentOfBlock >= m_nBlockSize) {
    m_nBlockStart += m_nBlockSize;
    m_nSentOfBlock = 0;
    step.percentChanged = true;
    // A last block that runs past the end would give more than 100.
    step.percent = static_cast<int>(std::min<std::uint64_t>(100, std::uint64_t{m_nBlockStart} * 100 / size));
    if (m_nBlockStart >= size) {
      m_bFinished = true;
      return step;  // Finish
    }
    m_nBlockSize = (static_cast<std::uint32_t>(At(m_nBlockStart)) << 8 | At(std::uint64_t{m_nBlockStart} + 1)) + 2;
  }
  BuildPacket(step);
  return step;
}

void UpdateDialogMachine::BuildPacket(Step& step) {
  step.action = Action::SendPacket;
  step.packet[0] = kFirmwareReportId;
  step.packet[1] = m_nSentOfBlock == 0 ? kMarkFirst : kMarkLast;
  // Each packet carries its chunk and the two bytes after it.
  const std::uint64_t from = std::uint64_t{m_nBlockStart} + m_nSentOfBlock;
  const std::uint32_t chunk = std::min<std::uint32_t>(m_nBlockSize - m_nSentOfBlock, kChunkBytes);
  for (std::uint32_t i = 0; i < chunk + 2; ++i) step.packet[2 + i] = At(from + i);
  m_nSentOfBlock = m_nBlockSize - m_nSentOfBlock > kChunkBytes ? m_nSentOfBlock + kChunkBytes : m_nBlockSize;
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
