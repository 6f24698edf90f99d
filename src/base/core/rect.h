#pragma once
// A rectangle in pixels with RECT's edges, for the portable code (which has no RECT).
#include <cstdint>

struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  std::int32_t width() const { return right - left; }
  std::int32_t height() const { return bottom - top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};
