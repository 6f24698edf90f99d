#pragma once
// Firmware images for the update tests: blocks, block streams wrapped in a header and a
// checksum, and the hex text of an image file.
#include <cstdint>
#include <string>
#include <vector>

#include "update/core/crc16_arc.h"
#include "update/core/firmware_image.h"

namespace update_test {

using Bytes = std::vector<std::uint8_t>;

// A block of `size` bytes in all (size >= 2): V = size - 2, then size - 2 payload bytes.
inline Bytes MakeBlock(std::uint32_t size, std::uint8_t seed = 1) {
  Bytes block;
  const std::uint32_t v = size - 2;
  block.push_back(static_cast<std::uint8_t>(v >> 8));
  block.push_back(static_cast<std::uint8_t>(v));
  for (std::uint32_t i = 0; i < v; ++i) block.push_back(static_cast<std::uint8_t>(seed + i * 7));
  return block;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Header (L = stream size unless given), the stream, `tail` more bytes, the checksum.
inline Bytes MakeImage(const Bytes& stream, std::int64_t length = -1, const Bytes& tail = {}) {
  Bytes image(kImageStreamOffset, 0);
  for (std::size_t i = 0; i < kImageLengthOffset; ++i) image[i] = static_cast<std::uint8_t>(0xA0 + i);
  const std::uint32_t l = length < 0 ? static_cast<std::uint32_t>(stream.size())
                                     : static_cast<std::uint32_t>(length);
  image[12] = static_cast<std::uint8_t>(l >> 24);
  image[13] = static_cast<std::uint8_t>(l >> 16);
  image[14] = static_cast<std::uint8_t>(l >> 8);
  image[15] = static_cast<std::uint8_t>(l);
  image.insert(image.end(), stream.begin(), stream.end());
  image.insert(image.end(), tail.begin(), tail.end());
  const std::uint16_t crc = Crc16Arc(image);
  image.push_back(static_cast<std::uint8_t>(crc >> 8));
  image.push_back(static_cast<std::uint8_t>(crc));
  return image;
}

// The image as a file holds it: two upper-case hex digits a byte, 16 a line, CR LF line ends.
inline std::string ToHexText(const Bytes& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 15];
    text += (i % 16 == 15 || i + 1 == bytes.size()) ? "\r\n" : " ";
  }
  return text;
}

}  // namespace update_test
