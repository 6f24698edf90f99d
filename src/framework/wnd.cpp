#include "framework/wnd.h"

#include <commctrl.h>

#include "framework/window_text.h"

namespace {
constexpr wchar_t kObjectProperty[] = L"PelnixCpl.Object";
constexpr UINT_PTR kSubclassId = 0x50434C;
}  // namespace

CWnd::~CWnd() {
  if (m_bSubclassed) UnsubclassWindow();
  Unbind();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  if (!hwnd) return nullptr;
  return static_cast<CWnd*>(::GetPropW(hwnd, kObjectProperty));
}

void CWnd::Bind(HWND hwnd) {
  m_hWnd = hwnd;
  ::SetPropW(hwnd, kObjectProperty, this);
}

void CWnd::Unbind() {
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) ::RemovePropW(m_hWnd, kObjectProperty);
  m_hWnd = nullptr;
}

bool CWnd::SubclassWindow(HWND hwnd) {
  if (!hwnd || m_hWnd) return false;
  if (!::SetWindowSubclass(hwnd, &CWnd::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
  m_bSubclassed = true;
  Bind(hwnd);
  PreSubclassWindow();
  return true;
}

bool CWnd::SubclassDlgItem(int id, CWnd* parent) {
  return parent && SubclassWindow(::GetDlgItem(parent->m_hWnd, id));
}

void CWnd::UnsubclassWindow() {
  if (!m_bSubclassed) return;
  ::RemoveWindowSubclass(m_hWnd, &CWnd::SubclassProc, kSubclassId);
  m_bSubclassed = false;
  Unbind();
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR refData) {
  auto* self = reinterpret_cast<CWnd*>(refData);
  return self->RunMessage(hwnd, msg, wp, lp, [&] {
    LRESULT result = 0;
    if (!self->OnMessage(msg, wp, lp, result)) result = ::DefSubclassProc(hwnd, msg, wp, lp);
    return result;
  });
}

void CWnd::ReleaseDestroyedWindow(HWND hwnd) {
  UnsubclassWindow();
  Unbind();
  PostNcDestroy();
}

LRESULT CWnd::Default() {
  if (!m_pCurrent) return 0;
  if (m_bSubclassed) return ::DefSubclassProc(m_hWnd, m_pCurrent->msg, m_pCurrent->wp, m_pCurrent->lp);
  return 0;  // dialogs: the dialog manager's own handling follows an unhandled message
}

bool CWnd::ReflectToChild(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  HWND child = nullptr;
  switch (msg) {
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item->CtlType == ODT_MENU) return false;  // hwndItem is then a menu
      child = item->hwndItem;
      break;
    }
    case WM_MEASUREITEM: {
      const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lp);
      if (item->CtlType == ODT_MENU || !parent) return false;
      child = ::GetDlgItem(parent, static_cast<int>(item->CtlID));
      break;
    }
    case WM_DELETEITEM: child = reinterpret_cast<const DELETEITEMSTRUCT*>(lp)->hwndItem; break;
    case WM_COMPAREITEM: child = reinterpret_cast<const COMPAREITEMSTRUCT*>(lp)->hwndItem; break;
    case WM_NOTIFY: child = reinterpret_cast<const NMHDR*>(lp)->hwndFrom; break;
    case WM_COMMAND:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
    case WM_HSCROLL:
    case WM_VSCROLL: child = reinterpret_cast<HWND>(lp); break;
    default: return false;
  }
  CWnd* object = FromHandlePermanent(child);
  return object && object->OnReflectedMessage(msg, wp, lp, result);
}

namespace {
POINT PointOf(LPARAM lp) { return POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))}; }
bool IsCtlColor(UINT msg) { return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC; }
}  // namespace

bool CWnd::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  result = 0;
  if (IsCtlColor(msg)) {
    HBRUSH brush = OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), msg - WM_CTLCOLORMSGBOX);
    result = reinterpret_cast<LRESULT>(brush);
    return brush != nullptr;
  }
  switch (msg) {
    case WM_COMMAND: return OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lp), result);
    case WM_TIMER: return OnTimer(static_cast<UINT_PTR>(wp));
    case WM_PAINT: return OnPaint();
    case WM_ERASEBKGND:
      if (!OnEraseBackground(reinterpret_cast<HDC>(wp))) return false;
      result = TRUE;
      return true;
    case WM_SETCURSOR:
      if (!OnSetCursor(reinterpret_cast<HWND>(wp), LOWORD(lp), HIWORD(lp))) return false;
      result = TRUE;
      return true;
    case WM_CLOSE: return OnClose();
    case WM_DESTROY: OnDestroy(); return false;
    case WM_KEYDOWN: return OnKeyDown(static_cast<UINT>(wp), static_cast<UINT>(lp));
    case WM_CHAR: return OnChar(static_cast<UINT>(wp), static_cast<UINT>(lp));
    case WM_MOUSEMOVE: return OnMouseMove(static_cast<UINT>(wp), PointOf(lp));
    case WM_MOUSEHOVER: return OnMouseHover(static_cast<UINT>(wp), PointOf(lp));
    case WM_MOUSELEAVE: return OnMouseLeave();
    case WM_CAPTURECHANGED: OnCaptureChanged(reinterpret_cast<HWND>(lp)); return false;
    case WM_HSCROLL: return OnHScroll(LOWORD(wp), static_cast<short>(HIWORD(wp)), reinterpret_cast<HWND>(lp));
    case WM_VSCROLL: return OnVScroll(LOWORD(wp), static_cast<short>(HIWORD(wp)), reinterpret_cast<HWND>(lp));
    case WM_QUERYDRAGICON: {
      HICON icon = OnQueryDragIcon();
      result = reinterpret_cast<LRESULT>(icon);
      return icon != nullptr;
    }
    case WM_DRAWITEM:
      if (!OnDrawItem(static_cast<UINT>(wp), *reinterpret_cast<const DRAWITEMSTRUCT*>(lp))) return false;
      result = TRUE;
      return true;
    case WM_MEASUREITEM:
      if (!OnMeasureItem(static_cast<UINT>(wp), *reinterpret_cast<MEASUREITEMSTRUCT*>(lp))) return false;
      result = TRUE;
      return true;
    case WM_DELETEITEM:
      if (!OnDeleteItem(static_cast<UINT>(wp), *reinterpret_cast<const DELETEITEMSTRUCT*>(lp))) return false;
      result = TRUE;
      return true;
    case WM_COMPAREITEM: {
      int order = 0;
      if (!OnCompareItem(static_cast<UINT>(wp), *reinterpret_cast<const COMPAREITEMSTRUCT*>(lp), order)) return false;
      result = order;
      return true;
    }
    default: return false;
  }
}

bool CWnd::OnCommand(UINT id, UINT code, HWND control) {
  // Menus (code 0) and accelerators (code 1) come without a control; buttons say BN_CLICKED.
  if (control && code != BN_CLICKED) return false;
  return OnButtonClicked(id);
}

bool CWnd::OnReflectedMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  result = 0;
  if (IsCtlColor(msg)) {
    HBRUSH brush = OnReflectedCtlColor(reinterpret_cast<HDC>(wp), msg - WM_CTLCOLORMSGBOX);
    result = reinterpret_cast<LRESULT>(brush);
    return brush != nullptr;
  }
  bool handled = false;
  switch (msg) {
    case WM_COMMAND: return OnReflectedCommand(HIWORD(wp));
    case WM_NOTIFY: return OnReflectedNotify(*reinterpret_cast<const NMHDR*>(lp), result);
    case WM_DRAWITEM: handled = OnReflectedDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp)); break;
    case WM_MEASUREITEM: handled = OnReflectedMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lp)); break;
    case WM_DELETEITEM: handled = OnReflectedDeleteItem(*reinterpret_cast<const DELETEITEMSTRUCT*>(lp)); break;
    case WM_COMPAREITEM: {
      int order = 0;
      if (!OnReflectedCompareItem(*reinterpret_cast<const COMPAREITEMSTRUCT*>(lp), order)) return false;
      result = order;
      return true;
    }
    default: return false;
  }
  if (handled) result = TRUE;
  return handled;
}

bool CWnd::WalkPreTranslateTree(MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    CWnd* object = FromHandlePermanent(hwnd);
    if (object && object->PreTranslateMessage(msg)) return true;
  }
  return false;
}

std::wstring CWnd::GetWindowText() const { return WindowText(m_hWnd); }

std::wstring CWnd::GetDlgItemText(int id) const { return WindowText(GetDlgItem(id)); }

RECT CWnd::GetClientRect() const {
  RECT rect{};
  ::GetClientRect(m_hWnd, &rect);
  return rect;
}

RECT CWnd::GetWindowRect() const {
  RECT rect{};
  ::GetWindowRect(m_hWnd, &rect);
  return rect;
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

DrawingPause::DrawingPause(HWND window) : m_hWindow(window), m_bPaused(::IsWindowVisible(window) != FALSE) {
  if (m_bPaused) ::SendMessageW(m_hWindow, WM_SETREDRAW, FALSE, 0);
}

DrawingPause::~DrawingPause() {
  if (!m_bPaused) return;
  ::SendMessageW(m_hWindow, WM_SETREDRAW, TRUE, 0);
  ::RedrawWindow(m_hWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}
