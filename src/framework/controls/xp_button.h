#pragma once
// CXPButton: an owner-drawn push button with a gradient face, a rounded black outline and a
// blue frame while the mouse is over it or it has the focus. Bind it to a dialog's button
// with DDX_Control; the parent reflects WM_DRAWITEM to it.
#include <string>

#include "framework/gdi.h"
#include "framework/wnd.h"

class CXPButton : public CWnd {
public:
  CXPButton();
  ~CXPButton() override;

  void PreSubclassWindow() override;  // makes the button owner-drawn
  virtual void DrawItem(const DRAWITEMSTRUCT& item);

  // The two lines every button draws for a caption of 13 characters or more, for the whole
  // program (set on the user-interface thread before buttons paint).
  static void SetLongCaption(std::wstring first, std::wstring second);

  // The state flags, for the dialogs that look at them and for tests.
  bool IsHover() const { return m_nHover != 0; }
  bool IsTracking() const { return m_nTracking != 0; }

protected:
  virtual void FillGradient(HDC dc, const RECT& rect);
  virtual void DrawEdgeLines(HDC dc, const RECT& rect);

  bool OnMouseMove(UINT keys, POINT point) override;
  bool OnMouseHover(UINT keys, POINT point) override;
  bool OnMouseLeave() override;
  bool OnReflectedDrawItem(const DRAWITEMSTRUCT& item) override;

private:
  enum Edge { kLeft, kRight, kTop, kBottom, kEdgeCount };

  static std::wstring m_strLongFirst, m_strLongSecond;

  ScopedPen m_hOutlinePen;
  ScopedPen m_hNormalPens[kEdgeCount];
  ScopedPen m_hFocusedPens[kEdgeCount];
  ScopedBrush m_hHoverBrush;
  ScopedBrush m_hNormalBrush;

  int m_nHover = 0;     // the mouse is over the button
  int m_nTracking = 0;  // a hover and leave request is active
  int m_nFocused = 0;
  int m_nPressed = 0;   // focused, selected or the default button
};
