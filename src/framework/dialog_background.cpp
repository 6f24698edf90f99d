#include "framework/dialog_background.h"

DialogBackground::DialogBackground(COLORREF color, COLORREF textColor)
    : m_hBrush(::CreateSolidBrush(color)), m_textColor(textColor) {}

bool DialogBackground::Erase(HWND window, HDC dc) const {
  RECT client{};
  ::GetClientRect(window, &client);
  ::FillRect(dc, &client, m_hBrush);
  return true;
}

HBRUSH DialogBackground::CtlColor(HDC dc, UINT type) const {
  if (type != CTLCOLOR_DLG && type != CTLCOLOR_STATIC && type != CTLCOLOR_BTN) return nullptr;
  ::SetBkMode(dc, TRANSPARENT);
  if (m_textColor != CLR_INVALID && type != CTLCOLOR_BTN) ::SetTextColor(dc, m_textColor);
  return m_hBrush;
}
