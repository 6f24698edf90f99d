#include "framework/controls/hyper_link.h"

#include <commctrl.h>
#include <shellapi.h>

#include "framework/core/hyper_link_layout.h"

namespace {

constexpr UINT_PTR kToolId = 1;
constexpr int kHelpHandCursorId = 106;

hyper_link::Rect ToLayout(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace

CHyperLink::CHyperLink()
    : m_crLinkColour(hyper_link::kLinkColour),
      m_crVisitedColour(hyper_link::kVisitedColour),
      m_crHoverColour(::GetSysColor(COLOR_HIGHLIGHT)) {}

CHyperLink::~CHyperLink() {
  if (m_hWnd) UnsubclassWindow();
  if (m_hToolTip && ::IsWindow(m_hToolTip)) ::DestroyWindow(m_hToolTip);
  if (m_hFont) ::DeleteObject(m_hFont);
  if (m_bOwnsCursor && m_hLinkCursor) ::DestroyCursor(m_hLinkCursor);
}

HCURSOR CHyperLink::LoadHelpHandCursor(const std::wstring& windowsDirectory) {
  const std::wstring path = windowsDirectory + L"\\winhlp32.exe";
  // Mapped as data only: nothing of the file runs, its resources are read.
  HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return nullptr;
  HCURSOR copy = nullptr;
  if (HCURSOR cursor = ::LoadCursorW(module, MAKEINTRESOURCEW(kHelpHandCursorId)))
    copy = static_cast<HCURSOR>(::CopyIcon(cursor));
  ::FreeLibrary(module);
  return copy;
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
  m_hFont = ::CreateFontIndirectW(&logFont);
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);

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
  return hyper_link::TextColour(m_bOverControl, m_bVisited, m_crLinkColour, m_crVisitedColour, m_crHoverColour);
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

bool CHyperLink::OnReflectedMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) != STN_CLICKED) return false;
      FollowLink();
      result = 0;
      return true;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      ::SetTextColor(dc, GetTextColour());
      ::SetBkMode(dc, TRANSPARENT);
      result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
      return true;
    }
    default:
      return false;
  }
}

bool CHyperLink::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_MOUSEMOVE: {
      result = Default();
      if (m_bOverControl) {
        const RECT client = GetClientRect();
        const POINT point{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
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
    case WM_CAPTURECHANGED:
      // Another window took the mouse (a menu, a drag, the browser that opened): the link can
      // no longer learn that the mouse left, so it stops showing the hover colour now.
      if (m_bOverControl && reinterpret_cast<HWND>(lp) != m_hWnd) {
        m_bOverControl = false;
        Redraw();
      }
      return false;
    case WM_SETCURSOR:
      if (!m_hLinkCursor) return false;
      ::SetCursor(m_hLinkCursor);
      result = TRUE;
      return true;
    default:
      return false;
  }
}

void CHyperLink::Redraw() {
  ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
}

void CHyperLink::AdjustToFit() {
  if (!m_bAdjustToFit || !m_hWnd || !::IsWindow(m_hWnd)) return;
  const std::wstring text = GetWindowText();
  HDC dc = ::GetDC(m_hWnd);
  HGDIOBJ oldFont = ::SelectObject(dc, m_hFont ? static_cast<HGDIOBJ>(m_hFont) : ::GetStockObject(SYSTEM_FONT));
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, oldFont);
  ::ReleaseDC(m_hWnd, dc);

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
