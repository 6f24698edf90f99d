// The hyperlink on a real static control: binding, colours by state, hover capture, the
// click through the shell, and the link cursor with its fallback.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>

#include "support/process_runner.h"
#include "framework/controls/hyper_link.h"
#include "ui_control_host.h"

namespace {

constexpr int kId = 1071;

class HyperLinkTest : public ::testing::Test {
protected:
  void Bind(const std::wstring& text, DWORD style = SS_LEFT, const std::wstring& url = L"") {
    m_hControl = m_host.AddChild(L"STATIC", text, style, kId, 20, 20, 300, 40);
    m_pLink = std::make_unique<CHyperLink>();
    if (!url.empty()) m_pLink->SetURL(url);
    ASSERT_TRUE(m_pLink->SubclassWindow(m_hControl));
  }

  // What the parent's colour step gives the static: the text colour and the brush.
  COLORREF ColourOnPaint(HBRUSH* brush = nullptr) {
    HDC dc = ::GetDC(m_hControl);
    ::SetTextColor(dc, RGB(1, 2, 3));
    auto result = reinterpret_cast<HBRUSH>(
        ::SendMessageW(m_host.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hControl)));
    const COLORREF colour = ::GetTextColor(dc);
    EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
    ::ReleaseDC(m_hControl, dc);
    if (brush) *brush = result;
    return colour;
  }

  void Click() {
    ::SendMessageW(m_host.m_hWnd, WM_COMMAND, MAKEWPARAM(kId, STN_CLICKED), reinterpret_cast<LPARAM>(m_hControl));
  }

  ControlHost m_host;
  HWND m_hControl = nullptr;
  std::unique_ptr<CHyperLink> m_pLink;
};

TEST_F(HyperLinkTest, BindingNotifiesUnderlinesAndFitsTheText) {
  Bind(L"www.pelnix.example");
  EXPECT_TRUE(::GetWindowLongPtrW(m_hControl, GWL_STYLE) & SS_NOTIFY);
  EXPECT_EQ(m_pLink->GetURL(), L"www.pelnix.example");

  auto font = reinterpret_cast<HFONT>(::SendMessageW(m_hControl, WM_GETFONT, 0, 0));
  LOGFONTW logFont{};
  ASSERT_TRUE(::GetObjectW(font, sizeof(logFont), &logFont));
  EXPECT_TRUE(logFont.lfUnderline);

  HDC dc = ::GetDC(m_hControl);
  HGDIOBJ old = ::SelectObject(dc, font);
  SIZE size{};
  ::GetTextExtentPoint32W(dc, L"www.pelnix.example", 18, &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(m_hControl, dc);
  RECT window{};
  ::GetWindowRect(m_hControl, &window);
  ::MapWindowPoints(nullptr, m_host.m_hWnd, reinterpret_cast<POINT*>(&window), 2);
  EXPECT_EQ(window.left, 20);  // left aligned: the left edge stays
  EXPECT_EQ(window.top, 20);
  EXPECT_EQ(window.right - window.left, size.cx);
  EXPECT_EQ(window.bottom - window.top, size.cy);
}

TEST_F(HyperLinkTest, EmptyTextShowsTheUrlAndTheTooltipCarriesIt) {
  Bind(L"", SS_CENTER, L"http://www.pelnix.example/");
  EXPECT_EQ(WindowText(m_hControl), L"http://www.pelnix.example/");

  HWND tooltip = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND window, LPARAM found) -> BOOL {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (lstrcmpiW(name, TOOLTIPS_CLASSW) != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&tooltip));
  ASSERT_NE(tooltip, nullptr);
  EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
  wchar_t text[128] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = m_hControl;
  tool.uId = 1;
  tool.lpszText = text;
  ::SendMessageW(tooltip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, L"http://www.pelnix.example/");
}

TEST_F(HyperLinkTest, ColoursFollowHoverAndVisited) {
  Bind(L"www.pelnix.example");
  HBRUSH brush = nullptr;
  EXPECT_EQ(ColourOnPaint(&brush), RGB(0, 0, 238));
  EXPECT_EQ(brush, ::GetStockObject(NULL_BRUSH));

  m_pLink->SetVisited(true);
  EXPECT_EQ(ColourOnPaint(), RGB(85, 26, 139));

  // The mouse comes over: hover colour and the mouse captured; it leaves: released.
  ::SendMessageW(m_hControl, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_TRUE(m_pLink->IsOver());
  EXPECT_EQ(::GetCapture(), m_hControl);
  EXPECT_EQ(ColourOnPaint(), ::GetSysColor(COLOR_HIGHLIGHT));
  ::SendMessageW(m_hControl, WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(-5), 2));
  EXPECT_FALSE(m_pLink->IsOver());
  EXPECT_NE(::GetCapture(), m_hControl);
  EXPECT_EQ(ColourOnPaint(), RGB(85, 26, 139));
}

TEST_F(HyperLinkTest, LosingTheCaptureEndsTheHover) {
  Bind(L"www.pelnix.example");
  ::SendMessageW(m_hControl, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  ASSERT_TRUE(m_pLink->IsOver());
  ::SetCapture(m_host.m_hWnd);
  EXPECT_FALSE(m_pLink->IsOver());
  ::ReleaseCapture();
}

TEST_F(HyperLinkTest, LinkThatCannotBeOpenedStaysUnvisited) {
  Bind(L"Pelnix", SS_LEFT, L"pelnix-no-such-scheme:manual");
  Click();
  EXPECT_FALSE(m_pLink->GetVisited());
  EXPECT_EQ(ColourOnPaint(), RGB(0, 0, 238));
}

TEST_F(HyperLinkTest, OpenedLinkTurnsVisited) {
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  Bind(L"Pelnix", SS_LEFT, std::wstring(system) + L"\\hostname.exe");  // opens and ends at once
  Click();
  EXPECT_TRUE(m_pLink->GetVisited());
  EXPECT_EQ(ColourOnPaint(), RGB(85, 26, 139));
}

TEST_F(HyperLinkTest, WithoutTheHelpProgramsCursorTheSystemHandIsShown) {
  TempFolder empty;
  EXPECT_EQ(CHyperLink::LoadHelpHandCursor(empty.path()), nullptr);

  wchar_t windows[MAX_PATH] = {};
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  HCURSOR help = CHyperLink::LoadHelpHandCursor(windows);
  Bind(L"www.pelnix.example");
  if (help) {
    EXPECT_NE(m_pLink->GetLinkCursor(), nullptr);
    ::DestroyCursor(help);
  } else {
    EXPECT_EQ(m_pLink->GetLinkCursor(), ::LoadCursorW(nullptr, IDC_HAND));
  }
  // The cursor is set over the link and the message reported handled.
  ::SetCursor(nullptr);
  EXPECT_EQ(::SendMessageW(m_hControl, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hControl), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
  EXPECT_EQ(::GetCursor(), m_pLink->GetLinkCursor());
}

TEST_F(HyperLinkTest, HelpProgramsCursor106IsCopied) {
  TempFolder folder;
  const std::wstring module = DistPath(L"..\\tests\\windows\\help_cursor_module.dll");
  ASSERT_TRUE(::CopyFileW(module.c_str(), folder.File(L"winhlp32.exe").c_str(), FALSE)) << module;
  HCURSOR cursor = CHyperLink::LoadHelpHandCursor(folder.path());
  ASSERT_NE(cursor, nullptr);
  EXPECT_NE(cursor, ::LoadCursorW(nullptr, IDC_HAND));
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  ::DestroyCursor(cursor);
}

}  // namespace
