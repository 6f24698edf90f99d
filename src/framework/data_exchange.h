#pragma once
// Data exchange: binds control members to control ids and moves values between controls and
// members. A dialog's DoDataExchange lists its bindings once; UpdateData runs them.
#include <string>

#include "framework/controls.h"
#include "framework/wnd.h"
#include "framework/window_text.h"

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
    value = WindowText(control);
  } else {
    ::SetWindowTextW(control, value.c_str());
  }
}

// A group of radio buttons and the index of the checked one (-1 when none is): the group
// starts at the control `firstId` and runs up to the next control with WS_GROUP.
inline void DDX_Radio(CDataExchange* dx, int firstId, int& value) {
  HWND radio = dx->Control(firstId);
  int index = 0;
  if (dx->m_bSaveAndValidate) value = -1;
  while (radio) {
    const LONG_PTR type = ::GetWindowLongPtrW(radio, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
      if (dx->m_bSaveAndValidate) {
        if (value == -1 && ::SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
      } else {
        ::SendMessageW(radio, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      ++index;
    }
    radio = ::GetWindow(radio, GW_HWNDNEXT);
    if (radio && (::GetWindowLongPtrW(radio, GWL_STYLE) & WS_GROUP)) break;
  }
}
