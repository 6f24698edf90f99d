#pragma once
// CWnd: a C++ object bound to one window. Messages reach OnMessage first; what it leaves
// unhandled goes to the window's previous procedure. Notifications a parent receives about a
// child (owner drawing, control colours, WM_NOTIFY, WM_COMMAND) are reflected to the child's
// object first, so custom controls draw and colour themselves.
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
  // The object's handlers: return true when handled, with the result in `result`.
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }
  // A notification about this window that its parent received; true when handled.
  virtual bool OnReflectedMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }
  // The window's previous handling of the message being processed.
  LRESULT Default();
  // Called after the window's last message; the object is then unbound.
  virtual void PostNcDestroy() {}

  // A parent's step for notifications: gives them to the child's object first.
  static bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  void Bind(HWND hwnd);
  void Unbind();

  struct CurrentMessage {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
  };
  const CurrentMessage* m_pCurrent = nullptr;  // the message being handled, for Default()

private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR refData);
  bool m_bSubclassed = false;
  friend class CDialog;
};
