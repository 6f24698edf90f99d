#pragma once
// CWnd: a C++ object bound to one window. Messages reach OnMessage first; what it leaves
// unhandled goes to the window's previous procedure. CWnd's own OnMessage hands the common
// messages to typed handlers (OnCommand, OnNotify, OnTimer, OnCtlColor, OnPaint...), so a
// window overrides the handlers it needs and keeps OnMessage for its private messages, ending
// with `return CWnd::OnMessage(...)`. A window that overrides OnMessage without calling it
// sees no typed handler called.
//
// Notifications a parent receives about a child (owner drawing, measuring, deleting and
// comparing items, control colours, WM_NOTIFY, WM_COMMAND, scrolling) are reflected to the
// child's object first, so custom controls draw and colour themselves; CWnd's own
// OnReflectedMessage hands them to the typed OnReflected* handlers.
#include <windows.h>

#include <string>

class CWnd {
public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // The object bound to a window by this layer, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);

  // Takes over an existing window (a dialog control): its messages reach this object first.
  bool SubclassWindow(HWND hwnd);
  bool SubclassDlgItem(int id, CWnd* parent);
  void UnsubclassWindow();
  // Called by SubclassWindow once the window reaches this object: where a control class
  // adjusts its window's style, font or size.
  virtual void PreSubclassWindow() {}

  // Before-dispatch hook of the modal loops; true when the message was consumed.
  virtual BOOL PreTranslateMessage(MSG* msg) { return FALSE; }
  // Calls PreTranslateMessage of every bound window from msg->hwnd up to its top-level window.
  static bool WalkPreTranslateTree(MSG* msg);

  // Thin helpers over the window functions.
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  void SetWindowText(const std::wstring& text) { ::SetWindowTextW(m_hWnd, text.c_str()); }
  std::wstring GetWindowText() const;
  void SetDlgItemText(int id, const std::wstring& text) { ::SetDlgItemTextW(m_hWnd, id, text.c_str()); }
  std::wstring GetDlgItemText(int id) const;
  BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
  void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return ::PostMessageW(m_hWnd, msg, wp, lp); }
  LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return ::SendMessageW(m_hWnd, msg, wp, lp); }
  RECT GetClientRect() const;
  RECT GetWindowRect() const;
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs) { return ::SetTimer(m_hWnd, id, elapseMs, nullptr); }
  BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
  HICON SetIcon(HICON icon, BOOL big) {
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
  }
  BOOL DestroyWindow();

protected:
  // The object's handlers: return true when handled, with the result in `result`. This one
  // dispatches to the typed handlers below.
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // A notification about this window that its parent received; true when handled. This one
  // dispatches to the typed OnReflected* handlers below.
  virtual bool OnReflectedMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  // Typed handlers. Those returning bool return false to leave the message to the window's
  // default handling (a dialog's: the dialog manager's, which also ends it on IDOK/IDCANCEL).
  //
  // WM_COMMAND. The default hands clicks (BN_CLICKED, menus and accelerators) to
  // OnButtonClicked and leaves every other notification code alone.
  virtual bool OnCommand(UINT id, UINT code, HWND control);
  virtual bool OnButtonClicked(UINT id) { return false; }
  virtual bool OnNotify(const NMHDR& header, LRESULT& result) { return false; }
  virtual bool OnTimer(UINT_PTR id) { return false; }
  // WM_CTLCOLOR*: `type` is CTLCOLOR_STATIC, CTLCOLOR_BTN...; null leaves the default colours.
  virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) { return nullptr; }
  virtual bool OnPaint() { return false; }
  virtual bool OnEraseBackground(HDC dc) { return false; }  // true: the background is erased
  virtual bool OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage) { return false; }
  virtual bool OnClose() { return false; }  // true keeps the window open
  virtual void OnDestroy() {}               // the default handling follows
  virtual bool OnKeyDown(UINT key, UINT flags) { return false; }
  virtual bool OnChar(UINT character, UINT flags) { return false; }
  virtual bool OnMouseMove(UINT keys, POINT point) { return false; }
  virtual bool OnMouseHover(UINT keys, POINT point) { return false; }
  virtual bool OnMouseLeave() { return false; }
  virtual void OnCaptureChanged(HWND newCapture) {}  // the default handling follows
  // WM_HSCROLL / WM_VSCROLL from a scroll bar or a control (a slider); null: the window's own.
  virtual bool OnHScroll(UINT code, int pos, HWND control) { return false; }
  virtual bool OnVScroll(UINT code, int pos, HWND control) { return false; }
  virtual HICON OnQueryDragIcon() { return nullptr; }
  // Owner drawing that no child object took (menus, controls without an object).
  virtual bool OnDrawItem(UINT id, const DRAWITEMSTRUCT& item) { return false; }
  virtual bool OnMeasureItem(UINT id, MEASUREITEMSTRUCT& item) { return false; }
  virtual bool OnDeleteItem(UINT id, const DELETEITEMSTRUCT& item) { return false; }
  virtual bool OnCompareItem(UINT id, const COMPAREITEMSTRUCT& item, int& order) { return false; }

  // Reflected from the parent: the notifications about this window.
  virtual bool OnReflectedCommand(UINT code) { return false; }
  virtual bool OnReflectedNotify(const NMHDR& header, LRESULT& result) { return false; }
  virtual HBRUSH OnReflectedCtlColor(HDC dc, UINT type) { return nullptr; }
  virtual bool OnReflectedDrawItem(const DRAWITEMSTRUCT& item) { return false; }
  virtual bool OnReflectedMeasureItem(MEASUREITEMSTRUCT& item) { return false; }
  virtual bool OnReflectedDeleteItem(const DELETEITEMSTRUCT& item) { return false; }
  virtual bool OnReflectedCompareItem(const COMPAREITEMSTRUCT& item, int& order) { return false; }
  // The window's previous handling of the message being processed.
  LRESULT Default();
  // Called after the window's last message; the object is then unbound.
  virtual void PostNcDestroy() {}

  // A parent's step for notifications: gives them to the child's object first. WM_MEASUREITEM
  // names its control only by id, so it is reflected only when the parent is given.
  static bool ReflectToChild(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  static bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    return ReflectToChild(nullptr, msg, wp, lp, result);
  }

  void Bind(HWND hwnd);
  void Unbind();

  struct CurrentMessage {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
  };
  const CurrentMessage* m_pCurrent = nullptr;  // the message being handled, for Default()

  // A window procedure's step for one message: `handle` runs with the message recorded for
  // Default(); after WM_NCDESTROY the object lets the window go. Gives handle's result.
  template <typename Handle>
  auto RunMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, Handle handle) {
    const CurrentMessage current{msg, wp, lp};
    const CurrentMessage* previous = m_pCurrent;
    m_pCurrent = &current;
    const auto result = handle();
    m_pCurrent = previous;
    if (msg == WM_NCDESTROY) ReleaseDestroyedWindow(hwnd);
    return result;
  }

private:
  // The window's last message was handled: the destroyed-window hooks run, the object is
  // unbound (and unsubclassed), then PostNcDestroy.
  void ReleaseDestroyedWindow(HWND hwnd);

  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR refData);
  bool m_bSubclassed = false;
  friend class CDialog;
};

// Turns a shown window's drawing off for a scope and back on at its end, with one repaint of
// the window and its children from the message loop: many changes to its controls, and none
// of them paints on its own. A hidden window is left as it is, since drawing turned back on
// would show it.
class DrawingPause {
public:
  explicit DrawingPause(HWND window);
  ~DrawingPause();
  DrawingPause(const DrawingPause&) = delete;
  DrawingPause& operator=(const DrawingPause&) = delete;

private:
  HWND m_hWindow;
  bool m_bPaused;
};
