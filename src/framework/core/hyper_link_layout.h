#pragma once
// The hyperlink's rules that need no window: its colours and how it resizes to its text.
#include <cstdint>

#include "base/core/rect.h"

namespace hyper_link {

// Colours as Windows keeps them: 0x00BBGGRR.
inline constexpr std::uint32_t MakeColour(int red, int green, int blue) {
  return static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
         (static_cast<std::uint32_t>(blue) << 16);
}
inline constexpr std::uint32_t kLinkColour = MakeColour(0, 0, 238);
inline constexpr std::uint32_t kVisitedColour = MakeColour(85, 26, 139);

// The text colour: the hover colour while the mouse is over the link, else the visited colour
// once it has been opened, else the link colour.
std::uint32_t TextColour(bool over, bool visited, std::uint32_t link, std::uint32_t visitedColour,
                         std::uint32_t hover);

enum class HorizontalAnchor { Left, Centre, Right };

using ::Rect;

// The window's new rectangle (in its parent's coordinates) when it takes the size of its text:
// vertically it keeps its centre (centreVertically) or its top; horizontally the anchor edge
// or the centre stays where it is.
Rect FitToText(const Rect& window, int textWidth, int textHeight, bool centreVertically,
               HorizontalAnchor anchor);

}  // namespace hyper_link
