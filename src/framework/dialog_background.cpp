#include "framework/dialog_background.h"

DialogBackground::DialogBackground(COLORREF textColor)
    : brush_(::CreateSolidBrush(kDialogBackgroundColor)), textColor_(textColor) {}

DialogBackground::~DialogBackground() {
  if (brush_) ::DeleteObject(brush_);
}

bool DialogBackground::Handle(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) const {
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT client{};
      ::GetClientRect(window, &client);
      ::FillRect(reinterpret_cast<HDC>(wp), &client, brush_);
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wp);
      ::SetBkMode(dc, TRANSPARENT);
      if (textColor_ != CLR_INVALID) ::SetTextColor(dc, textColor_);
      result = reinterpret_cast<LRESULT>(brush_);
      return true;
    }
    default:
      return false;
  }
}
