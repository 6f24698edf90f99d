#pragma once
// The drawing arithmetic of the gradient push button: which of its 64 face brushes fills a
// row, the colour of each brush for the button's state, and where the caption goes.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "base/core/rect.h"

namespace xp_button {

inline constexpr int kBrushCount = 64;
inline constexpr int kCornerEllipse = 6;         // width and height of the outline's corners
inline constexpr int kCaptionBufferLength = 260;  // characters of the caption that are read
inline constexpr int kLongCaptionLength = 13;     // from this length on, the two long-caption lines

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Colour of face brush `index` (0 to 63): lighter at the top, bluer when hovered or pressed.
Rgb GradientColour(int index, bool hover, bool pressed);

// The brush that fills row `y` of a face `height` rows high: 63 * y / height, limited to 0..63.
// A face with no height takes the last brush instead of dividing by zero.
int GradientBrushIndex(int y, int height);

// The face rows: from `top` up to height + 2 inclusive, each filled from `left` to width + 2
// (the face starts inside a two-pixel edge, so these are its bottom and right edges).
struct FaceRows {
  int firstRow;
  int lastRow;  // inclusive
  int left;
  int right;    // exclusive
};
FaceRows GradientFaceRows(int left, int top, int width, int height);

using ::Rect;

// One piece of caption text and its top-left corner in the button's device context.
struct CaptionLine {
  std::wstring_view text;
  int x = 0;
  int y = 0;
  friend bool operator==(const CaptionLine&, const CaptionLine&) = default;
};

// The two lines every caption of kLongCaptionLength characters or more is drawn as, whatever it
// says; the program's windows choose them. Without them a long caption is centred as others.
struct LongCaption {
  std::wstring_view first, second;
};

// The lines of a caption, split at its line feeds.
std::vector<std::wstring_view> CaptionLines(std::wstring_view caption);

// Where the caption is drawn: up to 12 characters centred in the face (`face` is the button
// shrunk by its edge, `textWidth` and `textHeight` the caption's measured size); a caption of
// several lines (`lineWidths` the width of each of its CaptionLines, `textHeight` one line's
// height) as those lines, each centred, one under the other; 13 characters or more as the
// two long-caption lines, the first at (20, 12) and the second at (16, 32) for 96 DPI, moved
// with the button's DPI. A pressed (selected) button draws everything one pixel right and
// down.
std::vector<CaptionLine> CaptionLayout(std::wstring_view caption, const Rect& face, int textWidth,
                                       int textHeight, bool selected, unsigned dpi = 96,
                                       const LongCaption& longCaption = {},
                                       std::span<const int> lineWidths = {});

}  // namespace xp_button
