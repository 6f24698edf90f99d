#include "calibration/message_info_dialog.h"

#include "base/language.h"
#include "calibration/mouse_hook.h"
#include "calibration/res/calibrate_dialog_ids.h"

namespace {
constexpr int kOffsetX = 10;
constexpr int kOffsetY = 20;
constexpr int kWidth = 182;
constexpr int kHeight = 54;
}  // namespace

MessageInfoDlg::MessageInfoDlg(CWnd* parent) : CDialog(IDD_REGION_HINT, parent) {
  SetBackground(kFullScreenBackgroundColor, kFullScreenTextColor);
  // Enter does nothing here: the hint has nothing to press.
  SetEnterKey(EnterKey::Ignored);
}

MessageInfoDlg::~MessageInfoDlg() {
  if (m_hWnd) DestroyWindow();
}

BOOL MessageInfoDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetDlgItemText(IDC_REGION_HINT_TEXT, LoadLangString(LangKey::RegionHint));
  return TRUE;
}

void MessageInfoDlg::OnCancel() {
  // The hook reports to the main window, which owns the hint.
  StopMouseHook(m_pParent ? m_pParent->m_hWnd : nullptr);
  CDialog::OnCancel();
}

void MessageInfoDlg::FollowCursor(POINT cursor) {
  ::SetWindowPos(m_hWnd, nullptr, cursor.x + kOffsetX, cursor.y + kOffsetY, kWidth, kHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}
