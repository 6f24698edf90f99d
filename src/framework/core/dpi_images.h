#pragma once
// Which drawing of an image a window shows at a monitor's DPI. Every bitmap of the program is
// drawn at 100 %, 150 % and 200 % (96, 144 and 192 DPI); a monitor in between takes the
// nearest of them, so that a picture never looks small beside text scaled with the monitor.

namespace dpi {

inline constexpr unsigned kBaseDpi = 96;

enum class ImageScale { k100, k150, k200 };

// Up to 119 DPI (below 125 %) the 100 % drawings, up to 167 (below 175 %) the 150 % ones,
// the 200 % ones above.
ImageScale ImageScaleForDpi(unsigned dpi);

// A size in pixels of the 100 % drawing, at the drawing of the given scale.
int ScaledPixels(int pixelsAt100, ImageScale scale);

// The resource ids of one image's three drawings.
struct ImageResources {
  int at100;
  int at150;
  int at200;
  int For(ImageScale scale) const {
    return scale == ImageScale::k200 ? at200 : scale == ImageScale::k150 ? at150 : at100;
  }
};

}  // namespace dpi
