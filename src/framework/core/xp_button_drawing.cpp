#include "framework/core/xp_button_drawing.h"

#include <algorithm>

namespace xp_button {

namespace {
std::uint8_t Fade(int index, int divisor) { return static_cast<std::uint8_t>(255 - index / divisor); }
}  // namespace

Rgb GradientColour(int index, bool hover, bool pressed) {
  index = std::clamp(index, 0, kBrushCount - 1);
  // Red and green fade together; blue fades at its own rate, which gives the face its tint.
  const int greyDivisor = hover ? 4 : 3;
  int blueDivisor;
  if (hover) blueDivisor = pressed ? 3 : 5;
  else blueDivisor = pressed ? 4 : 5;
  const std::uint8_t grey = Fade(index, greyDivisor);
  return {grey, grey, Fade(index, blueDivisor)};
}

int GradientBrushIndex(int y, int height) {
  if (height <= 0) return kBrushCount - 1;
  return std::clamp(63 * y / height, 0, kBrushCount - 1);
}

FaceRows GradientFaceRows(int left, int top, int width, int height) {
  return {top, height + 2, left, width + 2};
}

std::vector<std::wstring_view> CaptionLines(std::wstring_view caption) {
  std::vector<std::wstring_view> lines;
  for (std::size_t at = 0;;) {
    const std::size_t feed = caption.find(L'\n', at);
    lines.push_back(caption.substr(at, feed == std::wstring_view::npos ? std::wstring_view::npos : feed - at));
    if (feed == std::wstring_view::npos) return lines;
    at = feed + 1;
  }
}

std::vector<CaptionLine> CaptionLayout(std::wstring_view caption, const Rect& face, int textWidth,
                                       int textHeight, bool selected, unsigned dpi,
                                       const LongCaption& longCaption, std::span<const int> lineWidths) {
  const int shift = selected ? 1 : 0;
  if (caption.size() >= static_cast<size_t>(kLongCaptionLength) && !longCaption.first.empty()) {
    const auto at = [dpi](int pixelsAt96) { return static_cast<int>(pixelsAt96 * static_cast<int>(dpi) / 96); };
    return {{longCaption.first, at(20) + shift, at(12) + shift}, {longCaption.second, at(16) + shift, at(32) + shift}};
  }
  const std::vector<std::wstring_view> lines = CaptionLines(caption);
  if (lines.size() > 1 && lineWidths.size() == lines.size()) {
    std::vector<CaptionLine> placed;
    const int top = (face.top + face.bottom) / 2 - textHeight * static_cast<int>(lines.size()) / 2 + shift;
    for (std::size_t i = 0; i < lines.size(); ++i)
      placed.push_back({lines[i], (face.left + face.right) / 2 - lineWidths[i] / 2 + shift,
                        top + textHeight * static_cast<int>(i)});
    return placed;
  }
  const int x = (face.left + face.right) / 2 - textWidth / 2 + shift;
  const int y = (face.top + face.bottom) / 2 - textHeight / 2 + shift;
  return {{caption, x, y}};
}

}  // namespace xp_button
