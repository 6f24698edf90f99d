// A monitor's physical size from its EDID block.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "device/core/edid.h"

namespace {

// A 128-byte block with the header, the given basic size in centimetres and a detailed
// timing descriptor of the given size in millimetres (none when 0), checksum fixed up.
std::array<std::uint8_t, 128> Block(int cmWide, int cmHigh, int mmWide, int mmHigh) {
  std::array<std::uint8_t, 128> b{};
  const std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  for (int i = 0; i < 8; ++i) b[i] = header[i];
  b[21] = static_cast<std::uint8_t>(cmWide);
  b[22] = static_cast<std::uint8_t>(cmHigh);
  if (mmWide > 0) {
    b[54] = 0x02;  // pixel clock
    b[55] = 0x3A;
    b[66] = static_cast<std::uint8_t>(mmWide & 0xFF);
    b[67] = static_cast<std::uint8_t>(mmHigh & 0xFF);
    b[68] = static_cast<std::uint8_t>(((mmWide >> 8) << 4) | (mmHigh >> 8));
  }
  std::uint8_t sum = 0;
  for (int i = 0; i < 127; ++i) sum = static_cast<std::uint8_t>(sum + b[i]);
  b[127] = static_cast<std::uint8_t>(0x100 - sum);
  return b;
}

TEST(Edid, PhysicalSize) {
  struct Case {
    const char* name;
    std::array<std::uint8_t, 128> block;
    std::int32_t width, height;
  };
  auto broken = Block(53, 30, 531, 299);
  broken[127] ^= 1;
  auto notEdid = Block(53, 30, 531, 299);
  notEdid[0] = 1;
  const Case cases[] = {
      {"detailed timing", Block(53, 30, 531, 299), 531, 299},
      {"over 255 mm high", Block(160, 90, 1600, 900), 1600, 900},
      {"basic size only", Block(53, 30, 0, 0), 530, 300},
      {"aspect ratio only", Block(0, 79, 0, 0), 0, 0},
      {"bad checksum", broken, 0, 0},
      {"bad header", notEdid, 0, 0},
  };
  for (const Case& c : cases) {
    const MonitorMillimetres size = EdidSize(c.block.data(), c.block.size());
    EXPECT_EQ(size.width, c.width) << c.name;
    EXPECT_EQ(size.height, c.height) << c.name;
  }
  EXPECT_EQ(EdidSize(cases[0].block.data(), 100).width, 0);  // short
}

}  // namespace
