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
  if (out_.size() >= kMaxImageBytes) {
    status_ = Status::TooLarge;
    return;
  }
  out_.push_back(value);
}

HexDecoder::Status HexDecoder::Feed(std::span<const std::uint8_t> text) {
  for (std::uint8_t c : text) {
    if (status_ != Status::Reading) break;
    const int digit = HexDigit(c);
    if (digits_ == 1) {
      // Second position of a value: a digit completes it, anything else ends it and is then
      // read afresh as the start of what follows.
      if (digit >= 0) {
        digits_ = 0;
        Emit(static_cast<std::uint8_t>(value_ * 16 + digit));
        continue;
      }
      digits_ = 0;
      Emit(value_);
      if (status_ != Status::Reading) break;
    }
    if (digit >= 0) {
      value_ = static_cast<std::uint8_t>(digit);
      digits_ = 1;
    } else if (!IsSpace(c)) {
      status_ = Status::Stopped;
    }
  }
  return status_;
}

HexDecoder::Status HexDecoder::Finish() {
  if (status_ == Status::Reading && digits_ == 1) {
    digits_ = 0;
    Emit(value_);
  }
  return status_;
}

HexDecoder::Status DecodeHexText(std::span<const std::uint8_t> text,
                                 std::vector<std::uint8_t>& out) {
  HexDecoder decoder(out);
  decoder.Feed(text);
  return decoder.Finish();
}
