#pragma once
// Control wrappers: each holds only the control's window handle and is cheap to copy; every
// method is one message to the control. Bound to a dialog's control by DDX_Control.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/window_text.h"

class CControl {
public:
  HWND m_hWnd = nullptr;
  operator HWND() const { return m_hWnd; }
  LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageW(m_hWnd, msg, wp, lp); }
  BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  BOOL ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  void SetWindowText(const std::wstring& text) const { ::SetWindowTextW(m_hWnd, text.c_str()); }
  std::wstring GetWindowText() const { return WindowText(m_hWnd); }
};

class CStatic : public CControl {};

class CButton : public CControl {
public:
  int GetCheck() const { return static_cast<int>(Send(BM_GETCHECK)); }
  void SetCheck(int state) const { Send(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class CListBox : public CControl {
public:
  int AddString(const std::wstring& text) const {
    return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  }
  void ResetContent() const { Send(LB_RESETCONTENT); }
  int GetCount() const { return static_cast<int>(Send(LB_GETCOUNT)); }
  std::wstring GetText(int index) const {
    const LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return text;
  }
};

class CSliderCtrl : public CControl {
public:
  void SetRange(int low, int high, BOOL redraw = FALSE) const {
    Send(TBM_SETRANGEMIN, FALSE, low);
    Send(TBM_SETRANGEMAX, redraw, high);
  }
  int GetPos() const { return static_cast<int>(Send(TBM_GETPOS)); }
  void SetPos(int pos) const { Send(TBM_SETPOS, TRUE, pos); }
  void SetTicFreq(int frequency) const { Send(TBM_SETTICFREQ, static_cast<WPARAM>(frequency)); }
  void SetPageSize(int size) const { Send(TBM_SETPAGESIZE, 0, size); }
  void SetLineSize(int size) const { Send(TBM_SETLINESIZE, 0, size); }
};

class CProgressCtrl : public CControl {
public:
  void SetRange(int low, int high) const { Send(PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
  void SetPos(int pos) const { Send(PBM_SETPOS, static_cast<WPARAM>(pos)); }
  int GetPos() const { return static_cast<int>(Send(PBM_GETPOS)); }
};

class CListCtrl : public CControl {
public:
  int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
  BOOL DeleteAllItems() const { return static_cast<BOOL>(Send(LVM_DELETEALLITEMS)); }
  int InsertItem(int index, const std::wstring& text, int image) const {
    return InsertItem(Item(LVIF_TEXT | LVIF_IMAGE, index, text.c_str(), image));
  }
  // An item carrying `data`, which GetItemData and FindItemByData read back.
  int InsertItem(int index, const std::wstring& text, int image, LPARAM data) const {
    return InsertItem(Item(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, index, text.c_str(), image, data));
  }
  int InsertItem(const LVITEMW& item) const {
    return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  }
  // Changes an item's text and image.
  BOOL SetItem(int index, const std::wstring& text, int image) const {
    return SetItem(Item(LVIF_TEXT | LVIF_IMAGE, index, text.c_str(), image));
  }
  BOOL SetItem(const LVITEMW& item) const {
    return static_cast<BOOL>(Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  }
  LPARAM GetItemData(int index) const {
    LVITEMW item = Item(LVIF_PARAM, index);
    return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
  }
  BOOL SetItemData(int index, LPARAM data) const { return SetItem(Item(LVIF_PARAM, index, nullptr, 0, data)); }
  // The first item after `start` (-1: from the top) carrying `data`, or -1.
  int FindItemByData(LPARAM data, int start = -1) const {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    return static_cast<int>(Send(LVM_FINDITEMW, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(&find)));
  }
  // The next item after `start` (-1: from the top) with the LVNI_* `flags`, or -1.
  int GetNextItem(int start, UINT flags) const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
  }
  int GetNextSelectedItem(int start = -1) const { return GetNextItem(start, LVNI_SELECTED); }
  int InsertColumn(int index, const std::wstring& heading, int format, int width) const {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(heading.c_str());
    return static_cast<int>(Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
  }
  BOOL SetItemState(int index, UINT state, UINT mask) const {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    return static_cast<BOOL>(Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
  }
  UINT GetItemState(int index, UINT mask) const {
    return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask));
  }
  std::wstring GetItemText(int index) const {
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = buffer;
    item.cchTextMax = 512;
    Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return buffer;
  }
  int GetItemImage(int index) const {
    LVITEMW item = Item(LVIF_IMAGE, index);
    Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
  }
  // The icon view's distance between items, and the item's height there.
  SIZE GetItemSpacing() const {
    const auto spacing = static_cast<DWORD>(Send(LVM_GETITEMSPACING, FALSE));
    return SIZE{LOWORD(spacing), HIWORD(spacing)};
  }
  void SetIconSpacing(int cx, int cy) const { Send(LVM_SETICONSPACING, 0, MAKELPARAM(cx, cy)); }
  // The view's point at the client area's top left corner.
  POINT GetOrigin() const {
    POINT origin{};
    Send(LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin));
    return origin;
  }
  BOOL Scroll(int dx, int dy) const { return static_cast<BOOL>(Send(LVM_SCROLL, static_cast<WPARAM>(dx), dy)); }
  // An item's rectangle in client coordinates: LVIR_BOUNDS, LVIR_ICON or LVIR_LABEL.
  RECT GetItemRect(int index, int code) const {
    RECT rect{};
    rect.left = code;
    Send(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
  }
  HIMAGELIST SetImageList(HIMAGELIST list, int kind) const {
    return reinterpret_cast<HIMAGELIST>(Send(LVM_SETIMAGELIST, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(list)));
  }

  // The one place an item record is filled: `mask` (LVIF_*) says which fields count.
  static LVITEMW Item(UINT mask, int index, const wchar_t* text = nullptr, int image = 0, LPARAM data = 0) {
    LVITEMW item{};
    item.mask = mask;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(text);
    item.iImage = image;
    item.lParam = data;
    return item;
  }
};

// An image list, owned: destroyed with the object.
class CImageList {
public:
  CImageList() = default;
  ~CImageList() { if (m_hImageList) ImageList_Destroy(m_hImageList); }
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;
  BOOL Create(int cx, int cy, UINT flags, int initial, int grow) {
    m_hImageList = ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList != nullptr;
  }
  int AddMasked(HBITMAP bitmap, COLORREF mask) { return ImageList_AddMasked(m_hImageList, bitmap, mask); }
  int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
  HIMAGELIST m_hImageList = nullptr;
};
