#pragma once
// CHyperLink: a static text that opens its URL through the shell's "open" verb when clicked.
// It is drawn underlined in the link colour, in the highlight colour while the mouse is over
// it and in the visited colour once opened; a tooltip shows the URL. Bind it to a dialog's
// static control with DDX_Control; the parent reflects WM_CTLCOLORSTATIC and STN_CLICKED.
#include <string>

#include "framework/gdi.h"
#include "framework/wnd.h"

#include <commctrl.h>

class CHyperLink : public CWnd {
public:
  CHyperLink();
  ~CHyperLink() override;

  void PreSubclassWindow() override;
  BOOL PreTranslateMessage(MSG* msg) override;

  // The link's target; after binding it also becomes the tooltip's text.
  void SetURL(const std::wstring& url);
  const std::wstring& GetURL() const { return m_strURL; }
  // Changes the shown text and, when adjusting to fit, the window's size.
  void SetLinkText(const std::wstring& text);

  void SetVisited(bool visited);
  bool GetVisited() const { return m_bVisited; }
  bool IsOver() const { return m_bOverControl; }
  void SetUnderline(bool underline) { m_bUnderline = underline; }  // before binding
  void SetAutoSize(bool adjust) { m_bAdjustToFit = adjust; }       // before binding
  // A cursor set before binding replaces the link cursor; the caller keeps ownership.
  void SetLinkCursor(HCURSOR cursor) { m_hLinkCursor = cursor; }
  HCURSOR GetLinkCursor() const { return m_hLinkCursor; }

  // The text colour for the current state.
  COLORREF GetTextColour() const;

  // Opens the URL; on success the link turns visited, on failure the user hears a beep.
  void FollowLink();

  // The cursor resource 106 of "\winhlp32.exe" in `windowsDirectory`, copied; null when the
  // file or the resource is missing. The caller destroys the copy.
  static HCURSOR LoadHelpHandCursor(const std::wstring& windowsDirectory);

protected:
  bool OnMouseMove(UINT keys, POINT point) override;
  void OnCaptureChanged(HWND newCapture) override;
  bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage) override;
  bool OnReflectedCommand(UINT code) override;  // STN_CLICKED follows the link
  HBRUSH OnReflectedCtlColor(HDC dc, UINT type) override;

private:
  void AdjustToFit();
  void Redraw();
  void UpdateToolTip();
  TTTOOLINFOW ToolInfo();  // this link's tool: its client area and its URL

  COLORREF m_linkColour;
  COLORREF m_visitedColour;
  COLORREF m_hoverColour;
  bool m_bOverControl = false;
  bool m_bVisited = false;
  bool m_bUnderline = true;
  bool m_bAdjustToFit = true;
  std::wstring m_strURL;
  ScopedFont m_hFont;
  HWND m_hToolTip = nullptr;
  HCURSOR m_hLinkCursor = nullptr;
  bool m_bOwnsCursor = false;  // the cursor is our copy, destroyed with the object
};
