#pragma once
// The flat background of the dialogs: the client area is erased with one colour, and control
// colour requests get a transparent text background over a solid brush of the same colour
// (created once, deleted with the object).
#include <windows.h>

inline constexpr COLORREF kDialogBackgroundColor = RGB(236, 233, 216);  // 0xD8E9EC

class DialogBackground {
public:
  // textColor: the colour of control texts, or CLR_INVALID to leave the control's own.
  explicit DialogBackground(COLORREF textColor = CLR_INVALID);
  ~DialogBackground();
  DialogBackground(const DialogBackground&) = delete;
  DialogBackground& operator=(const DialogBackground&) = delete;

  // For a window's OnEraseBackground: fills its client area; always true.
  bool Erase(HWND window, HDC dc) const;
  // For a window's OnCtlColor: the brush for dialogs, statics and buttons, else null.
  HBRUSH CtlColor(HDC dc, UINT type) const;
  // Both, for a window that handles raw messages: true when handled.
  bool Handle(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) const;
  HBRUSH brush() const { return brush_; }

private:
  HBRUSH brush_;
  COLORREF textColor_;
};
