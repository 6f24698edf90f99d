#pragma once
// The physical size a monitor's EDID block gives.
#include <cstddef>
#include <cstdint>

struct MonitorMillimetres {
  std::int32_t width = 0, height = 0;  // 0: not known
};

// From the first detailed timing descriptor (millimetres), else from the basic display
// parameters (whole centimetres); nothing from a block that is not an EDID (bad header or
// checksum) or gives no size (a projector's 0, or an aspect ratio in their place).
MonitorMillimetres EdidSize(const std::uint8_t* edid, std::size_t length);
