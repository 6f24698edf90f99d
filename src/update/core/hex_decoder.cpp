#include "update/core/hex_decoder.h"

namespace {

// The white space scanf skips: space, tab, line feed, vertical tab, form feed, carriage return.
bool IsSpace(std::uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexDigit(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void HexDecoder::Emit(std::uint8_t value) {
  if (m_out.size() >= kMaxImageBytes) {
    m_nStatus = Status::TooLarge;
    return;
  }
  m_out.push_back(value);
}

HexDecoder::Status HexDecoder::Feed(std::span<const std::uint8_t> text) {
  for (std::uint8_t c : text) {
    if (m_nStatus != Status::Reading) break;
    const int digit = HexDigit(c);
    if (m_nDigits == 1) {
      // Second position of a value: a digit completes it, anything else ends it and is then
      // read afresh as the start of what follows.
      if (digit >= 0) {
        m_nDigits = 0;
        Emit(static_cast<std::uint8_t>(m_nValue * 16 + digit));
        continue;
      }
      m_nDigits = 0;
      Emit(m_nValue);
      if (m_nStatus != Status::Reading) break;
    }
    if (digit >= 0) {
      m_nValue = static_cast<std::uint8_t>(digit);
      m_nDigits = 1;
    } else if (!IsSpace(c)) {
      m_nStatus = Status::Stopped;
    }
  }
  return m_nStatus;
}

HexDecoder::Status HexDecoder::Finish() {
  if (m_nStatus == Status::Reading && m_nDigits == 1) {
    m_nDigits = 0;
    Emit(m_nValue);
  }
  return m_nStatus;
}

HexDecoder::Status DecodeHexText(std::span<const std::uint8_t> text,
                                 std::vector<std::uint8_t>& out) {
  HexDecoder decoder(out);
  decoder.Feed(text);
  return decoder.Finish();
}
