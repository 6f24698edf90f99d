#pragma once
// PelnixInfo: the modal "TouchScreen Properties" dialog of one touch screen: its number,
// monitor, calibrated state, interface, hardware version, serial number and status.
#include "framework/dialog.h"
#include "framework/controls/xp_button.h"
#include "framework/dialog_background.h"

class TouchScreenList;

class PelnixInfo : public CDialog {
public:
  // touchScreenIndex: the touch screen's slot in `list`.
  PelnixInfo(CWnd* parent, const TouchScreenList& list, int touchScreenIndex);

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  bool OnEraseBackground(HDC dc) override { return m_background.Erase(m_hWnd, dc); }
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override { return m_background.CtlColor(dc, type); }

private:
  void ShowTouchScreen();

  const TouchScreenList& m_list;
  int m_nTouchScreenIndex;
  CXPButton m_btnOK;
  DialogBackground m_background{RGB(0, 0, 0)};
};
