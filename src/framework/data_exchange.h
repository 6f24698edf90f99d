#pragma once
// Data exchange: binds control members to control ids and moves values between controls and
// members. A dialog's DoDataExchange lists its bindings once; UpdateData runs them.
#include <string>

#include "framework/controls.h"
#include "framework/wnd.h"

class CDataExchange {
public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
  HWND Control(int id) const { return ::GetDlgItem(m_pDlgWnd->m_hWnd, id); }
};

// A plain control wrapper takes the control's handle.
inline void DDX_Control(CDataExchange* dx, int id, CControl& control) {
  if (!control.m_hWnd) control.m_hWnd = dx->Control(id);
}
// A window object (a custom control) subclasses the control, once.
inline void DDX_Control(CDataExchange* dx, int id, CWnd& window) {
  if (!window.m_hWnd) window.SubclassDlgItem(id, dx->m_pDlgWnd);
}
inline void DDX_Check(CDataExchange* dx, int id, int& value) {
  HWND control = dx->Control(id);
  if (dx->m_bSaveAndValidate) value = static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0));
  else ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}
inline void DDX_Slider(CDataExchange* dx, int id, int& value) {
  HWND control = dx->Control(id);
  if (dx->m_bSaveAndValidate) value = static_cast<int>(::SendMessageW(control, TBM_GETPOS, 0, 0));
  else ::SendMessageW(control, TBM_SETPOS, TRUE, value);
}
inline void DDX_Text(CDataExchange* dx, int id, std::wstring& value) {
  HWND control = dx->Control(id);
  if (dx->m_bSaveAndValidate) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    value = text;
  } else {
    ::SetWindowTextW(control, value.c_str());
  }
}
