#include "framework/dialog_background.h"

DialogBackground::DialogBackground(COLORREF color, COLORREF textColor)
    : brush_(::CreateSolidBrush(color)), textColor_(textColor) {}

bool DialogBackground::Erase(HWND window, HDC dc) const {
  RECT client{};
  ::GetClientRect(window, &client);
  ::FillRect(dc, &client, brush_);
  return true;
}

HBRUSH DialogBackground::CtlColor(HDC dc, UINT type) const {
  if (type != CTLCOLOR_DLG && type != CTLCOLOR_STATIC && type != CTLCOLOR_BTN) return nullptr;
  ::SetBkMode(dc, TRANSPARENT);
  if (textColor_ != CLR_INVALID && type != CTLCOLOR_BTN) ::SetTextColor(dc, textColor_);
  return brush_;
}
