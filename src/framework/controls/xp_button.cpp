#include "framework/controls/xp_button.h"

#include <algorithm>
#include <vector>

#include "framework/core/xp_button_drawing.h"
#include "framework/window_dpi.h"

namespace {

ScopedPen FramePen(int width, int red, int green, int blue) {
  return ScopedPen(::CreatePen(PS_INSIDEFRAME, width, RGB(red, green, blue)));
}

COLORREF ToColorRef(const xp_button::Rgb& colour) { return RGB(colour.red, colour.green, colour.blue); }

}  // namespace

std::wstring CXPButton::m_strLongFirst;
std::wstring CXPButton::m_strLongSecond;

void CXPButton::SetLongCaption(std::wstring first, std::wstring second) {
  m_strLongFirst = std::move(first);
  m_strLongSecond = std::move(second);
}

CXPButton::CXPButton()
    : m_hOutlinePen(FramePen(1, 0, 0, 0)),
      m_hNormalPens{FramePen(3, 85, 173, 253), FramePen(3, 86, 180, 253), FramePen(2, 87, 190, 253),
                    FramePen(2, 88, 191, 253)},
      m_hFocusedPens{FramePen(3, 153, 198, 252), FramePen(3, 162, 189, 252), FramePen(2, 162, 201, 255),
                     FramePen(2, 162, 201, 255)},
      m_hHoverBrush(::CreateSolidBrush(RGB(222, 223, 236))),
      m_hNormalBrush(::CreateSolidBrush(RGB(222, 223, 236))) {}

CXPButton::~CXPButton() {
  // The window goes first, so that no paint selects a pen that is being deleted.
  if (m_hWnd) UnsubclassWindow();
}

void CXPButton::PreSubclassWindow() {
  const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
  ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | BS_OWNERDRAW);
}

bool CXPButton::OnMouseMove(UINT keys, POINT point) {
  if (!m_nTracking) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = m_hWnd;
    track.dwHoverTime = 1;
    m_nTracking = ::TrackMouseEvent(&track) ? 1 : 0;
  }
  return false;  // the button's own handling follows
}

bool CXPButton::OnMouseHover(UINT keys, POINT point) {
  m_nHover = 1;
  Invalidate(TRUE);
  return true;
}

bool CXPButton::OnMouseLeave() {
  m_nHover = 0;
  m_nTracking = 0;
  Invalidate(FALSE);
  return true;
}

bool CXPButton::OnReflectedDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_BUTTON) return false;
  DrawItem(item);
  return true;
}

void CXPButton::DrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const int savedDc = ::SaveDC(dc);

  wchar_t caption[xp_button::kCaptionBufferLength + 1] = {};
  const int captionLength = ::GetWindowTextW(m_hWnd, caption, xp_button::kCaptionBufferLength + 1);

  RECT rect = item.rcItem;
  {
    SelectionScope outline(dc, m_hOutlinePen);
    ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, xp_button::kCornerEllipse,
                xp_button::kCornerEllipse);
  }

  m_nFocused = (item.itemState & ODS_FOCUS) ? 1 : 0;
  m_nPressed = (m_nFocused || (item.itemState & (ODS_SELECTED | ODS_DEFAULT))) ? 1 : 0;

  ::InflateRect(&rect, -::GetSystemMetrics(SM_CXEDGE), -::GetSystemMetrics(SM_CYEDGE));

  {
    SelectionScope face(dc, m_nHover ? m_hHoverBrush : m_hNormalBrush);
    FillGradient(dc, rect);
    if (m_nHover || m_nFocused) DrawEdgeLines(dc, rect);
  }

  SelectionScope font(dc, reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
  SIZE textSize{};
  ::GetTextExtentPoint32W(dc, caption, captionLength, &textSize);
  // A caption of several lines is centred line by line, each by its own width.
  const std::wstring_view text(caption, static_cast<size_t>(captionLength));
  std::vector<int> lineWidths;
  for (std::wstring_view line : xp_button::CaptionLines(text)) {
    SIZE lineSize{};
    ::GetTextExtentPoint32W(dc, line.data(), static_cast<int>(line.size()), &lineSize);
    lineWidths.push_back(lineSize.cx);
    textSize.cy = lineSize.cy;
  }

  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
  const UINT flags = DST_PREFIXTEXT | ((item.itemState & ODS_DISABLED) ? DSS_DISABLED : 0);
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const xp_button::Rect face{rect.left, rect.top, rect.right, rect.bottom};
  for (const auto& line : xp_button::CaptionLayout(text, face, textSize.cx, textSize.cy, selected, WindowDpi(m_hWnd),
                                                   {m_strLongFirst, m_strLongSecond}, lineWidths)) {
    ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(line.text.data()),
                 static_cast<WPARAM>(line.text.size()), line.x, line.y, textSize.cx, textSize.cy, flags);
  }

  ::SetBkMode(dc, oldMode);
  ::RestoreDC(dc, savedDc);
}

void CXPButton::FillGradient(HDC dc, const RECT& rect) {
  ScopedBrush brushes[xp_button::kBrushCount];
  for (int i = 0; i < xp_button::kBrushCount; ++i)
    brushes[i].reset(::CreateSolidBrush(ToColorRef(xp_button::GradientColour(i, m_nHover != 0, m_nPressed != 0))));

  const int height = rect.bottom - rect.top;
  const auto rows = xp_button::GradientFaceRows(rect.left, rect.top, rect.right - rect.left, height);
  for (int y = rows.firstRow; y <= rows.lastRow; ++y) {
    const RECT row{rows.left, y, rows.right, y + 1};
    ::FillRect(dc, &row, brushes[xp_button::GradientBrushIndex(y, height)]);
  }
}

void CXPButton::DrawEdgeLines(HDC dc, const RECT& rect) {
  const bool focusedOnly = m_nFocused && !m_nHover;
  const ScopedPen* pens = focusedOnly ? m_hFocusedPens : m_hNormalPens;

  POINT oldPosition{};
  ::MoveToEx(dc, rect.left, rect.bottom - 1, &oldPosition);
  SelectionScope pen(dc, pens[kLeft]);
  ::LineTo(dc, rect.left, rect.top + 1);

  pen.Select(pens[kRight]);
  ::MoveToEx(dc, rect.right - 1, rect.bottom - 1, nullptr);
  ::LineTo(dc, rect.right - 1, rect.top);

  pen.Select(pens[kTop]);
  ::MoveToEx(dc, rect.left - 1, rect.top, nullptr);
  ::LineTo(dc, rect.right - 1, rect.top);

  pen.Select(pens[kBottom]);
  ::MoveToEx(dc, rect.left, rect.bottom, nullptr);
  ::LineTo(dc, rect.right - 1, rect.bottom);

  ::MoveToEx(dc, oldPosition.x, oldPosition.y, nullptr);

  if (focusedOnly) ::DrawFocusRect(dc, &rect);
}
