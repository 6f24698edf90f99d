#pragma once
// The flat background of the dialogs and full-screen windows: the client area is erased with
// one colour, and control colour requests get a transparent text background over a solid brush
// of the same colour (created once, deleted with the object). A dialog takes one through
// CDialog::SetBackground.
#include <windows.h>

#include "framework/gdi.h"

inline constexpr COLORREF kDialogBackgroundColor = RGB(236, 233, 216);  // 0xD8E9EC
// The full-screen calibration and mapping windows and the region hint: blue with yellow text.
inline constexpr COLORREF kFullScreenBackgroundColor = RGB(0, 128, 192);  // 0xC08000
inline constexpr COLORREF kFullScreenTextColor = RGB(255, 255, 0);        // 0x00FFFF

class DialogBackground {
public:
  // textColor: the colour of the dialog's texts, or CLR_INVALID to leave the control's own.
  explicit DialogBackground(COLORREF color = kDialogBackgroundColor, COLORREF textColor = CLR_INVALID);
  DialogBackground(const DialogBackground&) = delete;
  DialogBackground& operator=(const DialogBackground&) = delete;

  // For a window's OnEraseBackground: fills its client area; always true.
  bool Erase(HWND window, HDC dc) const;
  // For a window's OnCtlColor: the brush for dialogs, statics and buttons, else null. The text
  // colour goes to the dialog and its statics; push buttons draw their captions their own way.
  HBRUSH CtlColor(HDC dc, UINT type) const;
  HBRUSH brush() const { return m_hBrush; }

private:
  ScopedBrush m_hBrush;
  COLORREF m_textColor;
};
