#pragma once
// The update dialog's transfer, as a state machine driven by the touch screen's replies.
//
// The dialog's image is a raw block stream of T bytes (no header, no checksum). Each reply to
// the begin request or to a packet advances the machine by one step: the next packet, the
// finish request, or giving up. Replies 0x13 and 0x22 send the current block again from its
// start; the fifth of them in a row gives up. Packets are 100-byte reports: report id 0x51,
// the mark ("A" for a block's first packet, "B" for the others), then the chunk and the two
// bytes that follow it (zero past the end of the image).
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "device/core/device_report.h"

inline constexpr std::uint8_t kReplyAccepted = 0x11;
inline constexpr std::uint8_t kReplyResend = 0x13;
inline constexpr std::uint8_t kReplyResendToo = 0x22;
inline constexpr int kDialogMaxResends = 4;

class UpdateDialogMachine {
public:
  enum class Action { SendPacket, Finish, GiveUp, Ignore };  // Ignore: a reply after the end

  struct Step {
    Action action = Action::Finish;
    std::array<std::uint8_t, kReportSize> packet{};  // for SendPacket
    bool percentChanged = false;  // a new block began: show percent
    int percent = 0;              // 0 to 100
  };

  explicit UpdateDialogMachine(std::vector<std::uint8_t> image);

  // One reply, by its byte 1.
  Step OnReply(std::uint8_t replyCode);

  std::size_t imageSize() const { return m_image.size(); }
  std::uint32_t blockStart() const { return m_nBlockStart; }
  std::uint32_t blockSize() const { return m_nBlockSize; }
  std::uint32_t sentOfBlock() const { return m_nSentOfBlock; }
  int errorCount() const { return m_nErrorsInRow; }

private:
  std::uint8_t At(std::uint64_t index) const;  // image byte, 0 past the end
  void BuildPacket(Step& step);

  std::vector<std::uint8_t> m_image;
  std::uint32_t m_nBlockStart = 0;  // current block start
  std::uint32_t m_nBlockSize = 0;  // current block size
  std::uint32_t m_nSentOfBlock = 0;  // bytes of the block already sent
  int m_nErrorsInRow = 0;            // 0x13/0x22 replies in a row
  bool m_bFinished = false;
};

// The begin and finish requests of the update dialog (100-byte command reports).
std::array<std::uint8_t, kReportSize> DialogBeginRequest();
std::array<std::uint8_t, kReportSize> DialogFinishRequest();
