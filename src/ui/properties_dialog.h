#pragma once
// PelnixInfo: the modal "TouchScreen Properties" dialog of one touch screen: its number,
// monitor, calibrated state, interface, hardware version, serial number and status.
#include "framework/dialog.h"
#include "framework/controls/xp_button.h"

class TouchScreenList;

class PelnixInfo : public CDialog {
public:
  // touchScreenIndex: the touch screen's slot in `list`.
  PelnixInfo(CWnd* parent, const TouchScreenList& list, int touchScreenIndex);

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;

private:
  void ShowTouchScreen();

  const TouchScreenList& m_list;
  int m_nTouchScreenIndex;
  CXPButton m_btnOK;
};
