#pragma once
// MessageInfoDlg: the small hint (dialog 172) that follows the cursor while the user draws
// the rectangle of a region calibration.
#include "framework/controls.h"
#include "framework/dialog.h"

class MessageInfoDlg : public CDialog {
public:
  explicit MessageInfoDlg(CWnd* parent);
  ~MessageInfoDlg() override;

  // Moves the hint beside the cursor position `cursor` (10 right, 20 down), 182 x 54 pixels.
  void FollowCursor(POINT cursor);

protected:
  BOOL OnInitDialog() override;
  // Escape: the drawing is given up, and the mouse hook with it.
  void OnCancel() override;
};
