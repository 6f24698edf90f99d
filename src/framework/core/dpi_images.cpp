#include "framework/core/dpi_images.h"

namespace dpi {

ImageScale ImageScaleForDpi(unsigned dpi) {
  if (dpi < 120) return ImageScale::k100;
  if (dpi < 168) return ImageScale::k150;
  return ImageScale::k200;
}

int ScaledPixels(int pixelsAt100, ImageScale scale) {
  switch (scale) {
    case ImageScale::k150: return pixelsAt100 * 3 / 2;
    case ImageScale::k200: return pixelsAt100 * 2;
    default: return pixelsAt100;
  }
}

}  // namespace dpi
