#include "device/core/edid.h"

namespace {
constexpr std::size_t kBlock = 128;
constexpr std::uint8_t kHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t kFirstDescriptor = 54;
}  // namespace

MonitorMillimetres EdidSize(const std::uint8_t* edid, std::size_t length) {
  if (!edid || length < kBlock) return {};
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < kBlock; ++i) {
    sum = static_cast<std::uint8_t>(sum + edid[i]);
    if (i < sizeof(kHeader) && edid[i] != kHeader[i]) return {};
  }
  if (sum != 0) return {};
  // A detailed timing descriptor has a non-zero pixel clock in its first two bytes.
  const std::uint8_t* d = edid + kFirstDescriptor;
  if (d[0] != 0 || d[1] != 0) {
    const std::int32_t width = d[12] | ((d[14] & 0xF0) << 4);
    const std::int32_t height = d[13] | ((d[14] & 0x0F) << 8);
    if (width > 0 && height > 0) return {width, height};
  }
  // Bytes 21 and 22: centimetres, or an aspect ratio when one of them is 0.
  if (edid[21] > 0 && edid[22] > 0) return {edid[21] * 10, edid[22] * 10};
  return {};
}
