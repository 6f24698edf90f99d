#include "framework/controls/hyper_link.h"

#include <commctrl.h>
#include <shellapi.h>

#include "base/scoped_handle.h"
#include "framework/core/hyper_link_layout.h"

namespace {

constexpr UINT_PTR kToolId = 1;
constexpr int kHelpHandCursorId = 106;

hyper_link::Rect ToLayout(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace

CHyperLink::CHyperLink()
    : m_linkColour(hyper_link::kLinkColour),
      m_visitedColour(hyper_link::kVisitedColour),
      m_hoverColour(::GetSysColor(COLOR_HIGHLIGHT)) {}

CHyperLink::~CHyperLink() {
  if (m_hWnd) UnsubclassWindow();
  if (m_hToolTip && ::IsWindow(m_hToolTip)) ::DestroyWindow(m_hToolTip);
  if (m_bOwnsCursor && m_hLinkCursor) ::DestroyCursor(m_hLinkCursor);
}

HCURSOR CHyperLink::LoadHelpHandCursor(const std::wstring& windowsDirectory) {
  const std::wstring path = windowsDirectory + L"\\winhlp32.exe";
  // Mapped as data only: nothing of the file runs, its resources are read.
  const ScopedModule module(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!module) return nullptr;
  HCURSOR cursor = ::LoadCursorW(module.get(), MAKEINTRESOURCEW(kHelpHandCursorId));
  return cursor ? static_cast<HCURSOR>(::CopyIcon(cursor)) : nullptr;
}

void CHyperLink::PreSubclassWindow() {
  const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
  ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | SS_NOTIFY);

  const std::wstring text = GetWindowText();
  if (m_strURL.empty()) m_strURL = text;
  if (text.empty()) SetWindowText(m_strURL);

  HFONT current = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
  LOGFONTW logFont{};
  ::GetObjectW(current ? static_cast<HGDIOBJ>(current) : ::GetStockObject(SYSTEM_FONT), sizeof(logFont), &logFont);
  logFont.lfUnderline = m_bUnderline ? TRUE : FALSE;
  m_hFont.reset(::CreateFontIndirectW(&logFont));
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont.get()), FALSE);

  AdjustToFit();

  if (!m_hLinkCursor) {
    wchar_t windowsDirectory[MAX_PATH] = {};
    const UINT length = ::GetWindowsDirectoryW(windowsDirectory, MAX_PATH);
    if (length > 0 && length < MAX_PATH) m_hLinkCursor = LoadHelpHandCursor(windowsDirectory);
    m_bOwnsCursor = m_hLinkCursor != nullptr;
    // Without the help program's hand the link still shows a hand: the system's own, shared.
    if (!m_hLinkCursor) m_hLinkCursor = ::LoadCursorW(nullptr, IDC_HAND);
  }

  m_hToolTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd,
                                 nullptr, nullptr, nullptr);
  if (m_hToolTip) {
    TTTOOLINFOW tool = ToolInfo();
    ::SendMessageW(m_hToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

BOOL CHyperLink::PreTranslateMessage(MSG* msg) {
  if (m_hToolTip) ::SendMessageW(m_hToolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
  return CWnd::PreTranslateMessage(msg);
}

void CHyperLink::SetURL(const std::wstring& url) {
  m_strURL = url;
  UpdateToolTip();
}

void CHyperLink::SetLinkText(const std::wstring& text) {
  if (!m_hWnd) return;
  SetWindowText(text);
  AdjustToFit();
  UpdateToolTip();
}

void CHyperLink::SetVisited(bool visited) {
  m_bVisited = visited;
  if (m_hWnd && ::IsWindow(m_hWnd)) Redraw();
}

COLORREF CHyperLink::GetTextColour() const {
  return hyper_link::TextColour(m_bOverControl, m_bVisited, m_linkColour, m_visitedColour, m_hoverColour);
}

void CHyperLink::FollowLink() {
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", m_strURL.c_str(), nullptr, nullptr, SW_SHOW));
  if (result > 32) {
    SetVisited(true);
  } else {
    ::MessageBeep(MB_ICONEXCLAMATION);
  }
}

bool CHyperLink::OnReflectedCommand(UINT code) {
  if (code != STN_CLICKED) return false;
  FollowLink();
  return true;
}

HBRUSH CHyperLink::OnReflectedCtlColor(HDC dc, UINT type) {
  if (type != CTLCOLOR_STATIC) return nullptr;
  ::SetTextColor(dc, GetTextColour());
  ::SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

bool CHyperLink::OnMouseMove(UINT keys, POINT point) {
  Default();
  if (m_bOverControl) {
    const RECT client = GetClientRect();
    if (!::PtInRect(&client, point)) {
      m_bOverControl = false;
      ::ReleaseCapture();
      Redraw();
    }
  } else {
    m_bOverControl = true;
    Redraw();
    ::SetCapture(m_hWnd);
  }
  return true;
}

void CHyperLink::OnCaptureChanged(HWND newCapture) {
  // Another window took the mouse (a menu, a drag, the browser that opened): the link can
  // no longer learn that the mouse left, so it stops showing the hover colour now.
  if (m_bOverControl && newCapture != m_hWnd) {
    m_bOverControl = false;
    Redraw();
  }
}

bool CHyperLink::OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage) {
  if (!m_hLinkCursor) return false;
  ::SetCursor(m_hLinkCursor);
  return true;
}

void CHyperLink::Redraw() {
  ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
}

void CHyperLink::AdjustToFit() {
  if (!m_bAdjustToFit || !m_hWnd || !::IsWindow(m_hWnd)) return;
  const std::wstring text = GetWindowText();
  SIZE size{};
  {
    ClientDC dc(m_hWnd);
    SelectionScope font(dc, m_hFont ? static_cast<HGDIOBJ>(m_hFont.get()) : ::GetStockObject(SYSTEM_FONT));
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  }

  RECT window = GetWindowRect();
  if (HWND parent = ::GetParent(m_hWnd)) ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);

  const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
  const LONG_PTR type = style & SS_TYPEMASK;
  const auto anchor = type == SS_CENTER  ? hyper_link::HorizontalAnchor::Centre
                      : type == SS_RIGHT ? hyper_link::HorizontalAnchor::Right
                                         : hyper_link::HorizontalAnchor::Left;
  const auto fitted = hyper_link::FitToText(ToLayout(window), size.cx, size.cy, (style & SS_CENTERIMAGE) != 0, anchor);
  ::SetWindowPos(m_hWnd, nullptr, fitted.left, fitted.top, fitted.right - fitted.left, fitted.bottom - fitted.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

TTTOOLINFOW CHyperLink::ToolInfo() {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = m_hWnd;
  tool.uId = kToolId;
  tool.rect = GetClientRect();
  tool.lpszText = const_cast<wchar_t*>(m_strURL.c_str());
  return tool;
}

void CHyperLink::UpdateToolTip() {
  if (!m_hToolTip) return;
  TTTOOLINFOW tool = ToolInfo();
  ::SendMessageW(m_hToolTip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  ::SendMessageW(m_hToolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}
