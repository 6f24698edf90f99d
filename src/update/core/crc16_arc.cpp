#include "update/core/crc16_arc.h"

#include <array>

namespace {

constexpr std::uint16_t kPolynomial = 0xA001;

constexpr std::array<std::uint16_t, 256> MakeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned n = 0; n < 256; ++n) {
    std::uint16_t crc = static_cast<std::uint16_t>(n);
    for (int bit = 0; bit < 8; ++bit) {
      const bool low = crc & 1;
      crc = static_cast<std::uint16_t>(crc >> 1);
      if (low) crc ^= kPolynomial;
    }
    table[n] = crc;
  }
  return table;
}

// The bitwise rule, eight steps a byte, folded into one table lookup a byte.
constexpr auto kTable = MakeTable();

}  // namespace

std::uint16_t Crc16Arc(std::span<const std::uint8_t> bytes) {
  std::uint16_t crc = 0;
  for (std::uint8_t b : bytes) crc = static_cast<std::uint16_t>((crc >> 8) ^ kTable[(crc ^ b) & 0xFF]);
  return crc;
}
