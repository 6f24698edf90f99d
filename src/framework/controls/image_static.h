#pragma once
// CImageStatic: a dialog's static control that paints the logo, bitmap resource 177, at its
// top-left corner, clipped to its client area.
#include "framework/wnd.h"

class CImageStatic : public CWnd {
public:
  static constexpr int kLogoBitmapId = 177;

protected:
  bool OnPaint() override;
};
