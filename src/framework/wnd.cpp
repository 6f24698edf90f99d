#include "framework/wnd.h"

#include <commctrl.h>

#include <vector>

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
  const CurrentMessage current{msg, wp, lp};
  const CurrentMessage* previous = self->m_pCurrent;
  self->m_pCurrent = &current;
  LRESULT result = 0;
  const bool handled = self->OnMessage(msg, wp, lp, result);
  if (!handled) result = ::DefSubclassProc(hwnd, msg, wp, lp);
  self->m_pCurrent = previous;
  if (msg == WM_NCDESTROY) {
    self->UnsubclassWindow();
    self->PostNcDestroy();
  }
  return result;
}

LRESULT CWnd::Default() {
  if (!m_pCurrent) return 0;
  if (m_bSubclassed) return ::DefSubclassProc(m_hWnd, m_pCurrent->msg, m_pCurrent->wp, m_pCurrent->lp);
  return 0;  // dialogs: the dialog manager's own handling follows an unhandled message
}

bool CWnd::ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  HWND child = nullptr;
  switch (msg) {
    case WM_DRAWITEM: child = reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem; break;
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

bool CWnd::WalkPreTranslateTree(MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    CWnd* object = FromHandlePermanent(hwnd);
    if (object && object->PreTranslateMessage(msg)) return true;
  }
  return false;
}

std::wstring CWnd::GetWindowText() const {
  const int length = ::GetWindowTextLengthW(m_hWnd);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
  return buffer.data();
}

std::wstring CWnd::GetDlgItemText(int id) const {
  HWND item = GetDlgItem(id);
  const int length = ::GetWindowTextLengthW(item);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  ::GetWindowTextW(item, buffer.data(), length + 1);
  return buffer.data();
}

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
