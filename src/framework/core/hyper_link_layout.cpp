#include "framework/core/hyper_link_layout.h"

namespace hyper_link {

std::uint32_t TextColour(bool over, bool visited, std::uint32_t link, std::uint32_t visitedColour,
                         std::uint32_t hover) {
  if (over) return hover;
  if (visited) return visitedColour;
  return link;
}

Rect FitToText(const Rect& window, int textWidth, int textHeight, bool centreVertically,
               HorizontalAnchor anchor) {
  Rect fitted = window;
  if (centreVertically) {
    const int centre = (window.top + window.bottom) / 2;
    fitted.top = centre - textHeight / 2;
  }
  fitted.bottom = fitted.top + textHeight;

  switch (anchor) {
    case HorizontalAnchor::Centre: {
      const int centre = (window.left + window.right) / 2;
      fitted.left = centre - textWidth / 2;
      break;
    }
    case HorizontalAnchor::Right:
      fitted.left = window.right - textWidth;
      break;
    case HorizontalAnchor::Left:
      break;
  }
  fitted.right = fitted.left + textWidth;
  return fitted;
}

}  // namespace hyper_link
