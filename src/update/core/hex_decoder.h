#pragma once
// Decoding of firmware image text: one byte per value, read the way the "%2X" conversion of
// scanf reads it. White space before a value is skipped; a value is one or two hexadecimal
// digits of either case; decoding stops at the first text that is not a hexadecimal digit
// (a sign or an "0x" prefix included) or at the end of the input.
//
// Written on bytes rather than on a runtime's scanf, so every runtime decodes the same image.
// The decoder is fed in pieces, so a file is read in blocks of any size.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The most bytes an image may decode to.
inline constexpr std::size_t kMaxImageBytes = 262144;

class HexDecoder {
public:
  enum class Status {
    Reading,   // more input is welcome
    Stopped,   // text that is not a hexadecimal value ended the image
    TooLarge,  // a value beyond kMaxImageBytes was found: the image is rejected
  };

  explicit HexDecoder(std::vector<std::uint8_t>& out) : m_out(out) {}

  // Decodes the next piece of text; returns the status after it. Once not Reading, further
  // input is ignored.
  Status Feed(std::span<const std::uint8_t> text);
  // The end of the input: completes a pending one-digit value.
  Status Finish();

  Status status() const { return m_nStatus; }

private:
  void Emit(std::uint8_t value);

  std::vector<std::uint8_t>& m_out;
  Status m_nStatus = Status::Reading;
  int m_nDigits = 0;  // digits of the value in progress (0, 1)
  std::uint8_t m_nValue = 0;
};

// Decodes a whole text at once. Returns the status: Stopped or Reading (end of text) both mean
// a complete image; TooLarge means rejected.
HexDecoder::Status DecodeHexText(std::span<const std::uint8_t> text,
                                 std::vector<std::uint8_t>& out);
