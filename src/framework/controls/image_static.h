#pragma once
// CImageStatic: a dialog's static control that paints the logo, bitmap resource 177 or its
// drawing for the monitor's DPI, at its top-left corner, clipped to its client area.
#include "framework/core/dpi_images.h"
#include "framework/window_dpi.h"
#include "framework/wnd.h"

class CImageStatic : public CWnd {
public:
  static constexpr int kLogoBitmapId = 177;
  // The logo at 100, 150 and 200 %.
  static constexpr dpi::ImageResources kLogo{kLogoBitmapId, 1177, 2177};

  // The drawing for this DPI from now on: the dialog calls it when it opens and when its
  // monitor's DPI changes.
  void SetDpi(unsigned dpi);
  int bitmapId() const { return m_nBitmapId; }

protected:
  bool OnPaint() override;

private:
  int m_nBitmapId = kLogoBitmapId;
};
