#include "framework/dialog_background.h"

DialogBackground::DialogBackground(COLORREF textColor)
    : brush_(::CreateSolidBrush(kDialogBackgroundColor)), textColor_(textColor) {}

DialogBackground::~DialogBackground() {
  if (brush_) ::DeleteObject(brush_);
}

bool DialogBackground::Erase(HWND window, HDC dc) const {
  RECT client{};
  ::GetClientRect(window, &client);
  ::FillRect(dc, &client, brush_);
  return true;
}

HBRUSH DialogBackground::CtlColor(HDC dc, UINT type) const {
  if (type != CTLCOLOR_DLG && type != CTLCOLOR_STATIC && type != CTLCOLOR_BTN) return nullptr;
  ::SetBkMode(dc, TRANSPARENT);
  if (textColor_ != CLR_INVALID) ::SetTextColor(dc, textColor_);
  return brush_;
}

bool DialogBackground::Handle(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) const {
  if (msg == WM_ERASEBKGND) {
    result = TRUE;
    return Erase(window, reinterpret_cast<HDC>(wp));
  }
  if (msg < WM_CTLCOLORMSGBOX || msg > WM_CTLCOLORSTATIC) return false;
  HBRUSH brush = CtlColor(reinterpret_cast<HDC>(wp), msg - WM_CTLCOLORMSGBOX);
  result = reinterpret_cast<LRESULT>(brush);
  return brush != nullptr;
}
