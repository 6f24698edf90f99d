// The window layer's typed handlers: what CWnd::OnMessage hands to each of them in a real
// dialog, the owner-drawn item messages reflected to a child's object (and left to the dialog
// for a child without one), the list view wrapper's item-data, find and selection methods, and
// what a dialog's background and Enter key setting do.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/dialog_background.h"

namespace {

constexpr UINT kDialogId = 900, kBoundList = 901, kButton = 902, kPlainList = 903, kListView = 904;

using Log = std::vector<std::wstring>;
std::wstring Entry(const wchar_t* what, UINT_PTR value) { return std::wstring(what) + L" " + std::to_wstring(value); }

// A sorted owner-drawn list box whose items are ordered by falling item data.
class ItemList : public CWnd {
public:
  Log log;

protected:
  bool OnReflectedMeasureItem(MEASUREITEMSTRUCT& item) override {
    log.push_back(Entry(L"measure", item.itemData));
    item.itemHeight = 17;
    return true;
  }
  bool OnReflectedCompareItem(const COMPAREITEMSTRUCT& item, int& order) override {
    log.push_back(L"compare");
    order = item.itemData1 > item.itemData2 ? -1 : 1;
    return true;
  }
  bool OnReflectedDeleteItem(const DELETEITEMSTRUCT& item) override {
    log.push_back(Entry(L"delete", item.itemData));
    return true;
  }
};

class DispatchDialog : public CDialog {
public:
  DispatchDialog() : CDialog(kDialogId) {}
  ~DispatchDialog() override { ::DeleteObject(brush); }
  Log log;
  ItemList list;
  HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));

protected:
  BOOL OnInitDialog() override {
    list.SubclassDlgItem(kBoundList, this);
    return CDialog::OnInitDialog();
  }
  bool OnButtonClicked(UINT id) override {
    log.push_back(Entry(L"clicked", id));
    return true;
  }
  bool OnNotify(const NMHDR& header, LRESULT& result) override {
    if (header.code != NM_DBLCLK) return false;  // a real change notification goes on
    log.push_back(Entry(L"notify", header.idFrom));
    result = 42;
    return true;
  }
  bool OnTimer(UINT_PTR id) override {
    log.push_back(Entry(L"timer", id));
    return true;
  }
  HBRUSH OnCtlColor(HDC, HWND, UINT type) override {
    log.push_back(Entry(L"ctlcolor", type));
    return brush;
  }
  bool OnMeasureItem(UINT id, MEASUREITEMSTRUCT& item) override {
    log.push_back(Entry(L"measure", id));
    item.itemHeight = 23;
    return true;
  }
  bool OnCompareItem(UINT id, const COMPAREITEMSTRUCT&, int& order) override {
    log.push_back(Entry(L"compare", id));
    order = 1;
    return true;
  }
  bool OnDeleteItem(UINT id, const DELETEITEMSTRUCT&) override {
    log.push_back(Entry(L"delete", id));
    return true;
  }
};

// A dialog of the same template with the background and Enter key a window chooses.
class ChosenDialog : public CDialog {
public:
  ChosenDialog(COLORREF color, COLORREF textColor, EnterKey enterKey) : CDialog(kDialogId) {
    SetBackground(color, textColor);
    SetEnterKey(enterKey);
  }
};

class WindowDispatchTest : public ::testing::Test {
protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    ASSERT_TRUE(m_dialog.Create());
  }
  HWND Item(UINT id) { return m_dialog.GetDlgItem(static_cast<int>(id)); }
  DispatchDialog m_dialog;
};

TEST_F(WindowDispatchTest, TypedHandlersGetTheirMessagesWithTheirResults) {
  HWND button = Item(kButton);
  NMHDR header{Item(kListView), kListView, static_cast<UINT>(NM_DBLCLK)};
  struct Case {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    const wchar_t* logged;  // null: no handler called
    LRESULT result;
  } const cases[] = {
      {WM_COMMAND, MAKEWPARAM(kButton, BN_CLICKED), reinterpret_cast<LPARAM>(button), L"clicked 902", 0},
      {WM_COMMAND, MAKEWPARAM(kButton, BN_SETFOCUS), reinterpret_cast<LPARAM>(button), nullptr, 0},
      {WM_COMMAND, MAKEWPARAM(77, 0), 0, L"clicked 77", 0},  // a menu command
      {WM_NOTIFY, kListView, reinterpret_cast<LPARAM>(&header), L"notify 904", 42},
      {WM_TIMER, 5, 0, L"timer 5", 0},
      {WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(button), L"ctlcolor 6",
       reinterpret_cast<LRESULT>(m_dialog.brush)},
  };
  for (const Case& c : cases) {
    m_dialog.log.clear();
    const LRESULT result = m_dialog.SendMessage(c.msg, c.wp, c.lp);
    EXPECT_EQ(m_dialog.log, c.logged ? Log{c.logged} : Log{}) << std::hex << c.msg;
    EXPECT_EQ(result, c.result) << std::hex << c.msg;
  }
}

TEST_F(WindowDispatchTest, OwnerDrawnItemMessagesReachTheChildObjectOrElseTheDialog) {
  // The bound list's object measures, orders (falling data) and sees deletions.
  HWND bound = Item(kBoundList);
  ::SendMessageW(bound, LB_ADDSTRING, 0, 1);
  ::SendMessageW(bound, LB_ADDSTRING, 0, 2);
  EXPECT_EQ(::SendMessageW(bound, LB_GETITEMDATA, 0, 0), 2);
  EXPECT_EQ(::SendMessageW(bound, LB_GETITEMHEIGHT, 0, 0), 17);
  ::SendMessageW(bound, LB_DELETESTRING, 0, 0);
  EXPECT_EQ(m_dialog.list.log, (Log{L"measure 1", L"compare", L"measure 2", L"delete 2"}));

  // A list without an object: the dialog's own handlers, by control id.
  HWND plain = Item(kPlainList);
  ::SendMessageW(plain, LB_ADDSTRING, 0, 1);
  ::SendMessageW(plain, LB_ADDSTRING, 0, 2);
  EXPECT_EQ(::SendMessageW(plain, LB_GETITEMHEIGHT, 0, 0), 23);
  ::SendMessageW(plain, LB_DELETESTRING, 0, 0);
  EXPECT_EQ(m_dialog.log, (Log{L"measure 903", L"compare 903", L"measure 903", L"delete 903"}));
}

TEST_F(WindowDispatchTest, ListViewFindsItemsByDataAndTheSelection) {
  CListCtrl list;
  list.m_hWnd = Item(kListView);
  for (int i = 0; i < 3; ++i) list.InsertItem(i, L"item", 0, 10 * (i + 1));
  EXPECT_EQ(list.FindItemByData(20), 1);
  EXPECT_EQ(list.FindItemByData(99), -1);
  EXPECT_EQ(list.GetItemData(2), 30);
  list.SetItemData(2, 31);
  EXPECT_EQ(list.FindItemByData(31), 2);
  EXPECT_EQ(list.GetNextSelectedItem(), -1);
  list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(list.GetNextSelectedItem(), 2);
  EXPECT_EQ(list.GetNextSelectedItem(2), -1);
  list.SetItem(1, L"renamed", 1);
  EXPECT_EQ(list.GetItemText(1), L"renamed");
  EXPECT_EQ(list.GetItemImage(1), 1);
}

TEST(DialogChoices, BackgroundTextColourAndEnterAsTheWindowChose) {
  ChosenDialog dialog(kFullScreenBackgroundColor, kFullScreenTextColor, CDialog::EnterKey::PressesFocused);
  ASSERT_TRUE(dialog.Create());
  const MemoryDC dc(nullptr);
  const ScopedBitmap bitmap(::CreateBitmap(8, 8, 1, 32, nullptr));
  const SelectionScope selected(dc, bitmap);
  EXPECT_TRUE(::SendMessageW(dialog, WM_ERASEBKGND, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)), 0));
  EXPECT_EQ(::GetPixel(dc, 1, 1), kFullScreenBackgroundColor);
  const auto colour = [&](UINT message) {
    ::SetTextColor(dc, RGB(9, 9, 9));
    ::SetBkMode(dc, OPAQUE);
    return ::SendMessageW(dialog, message, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)),
                          reinterpret_cast<LPARAM>(dialog.GetDlgItem(kButton)));
  };
  const LRESULT ours = colour(WM_CTLCOLORSTATIC);
  EXPECT_NE(ours, 0);
  const struct {
    UINT message;
    bool ours;      // our brush over a transparent text background, else the dialog manager's
    COLORREF text;  // our text colour afterwards
  } colours[] = {
      {WM_CTLCOLORSTATIC, true, kFullScreenTextColor},
      {WM_CTLCOLORDLG, true, kFullScreenTextColor},
      {WM_CTLCOLORBTN, true, RGB(9, 9, 9)},  // push buttons draw their captions their own way
      {WM_CTLCOLOREDIT, false, 0},
  };
  for (const auto& c : colours) {
    EXPECT_EQ(colour(c.message) == ours, c.ours) << c.message;
    if (!c.ours) continue;
    EXPECT_EQ(::GetTextColor(dc), c.text) << c.message;
    EXPECT_EQ(::GetBkMode(dc), TRANSPARENT) << c.message;
  }

  // Enter becomes Space in the key messages that carry it, but not with Alt (WM_SYSKEYDOWN,
  // WM_SYSCHAR), where Space opens the window menu. Ignored, it never reaches the dialog
  // manager, which would end the dialog as its default OK.
  const struct {
    CDialog::EnterKey enterKey;
    UINT message;
    WPARAM after;
    bool dialogStays;
  } keys[] = {
      {CDialog::EnterKey::PressesFocused, WM_KEYUP, VK_SPACE, true},
      {CDialog::EnterKey::PressesFocused, WM_CHAR, L' ', true},
      {CDialog::EnterKey::PressesFocused, WM_SYSCHAR, VK_RETURN, true},
      {CDialog::EnterKey::Ignored, WM_KEYDOWN, VK_RETURN, true},
      {CDialog::EnterKey::Default, WM_KEYDOWN, VK_RETURN, false},
  };
  for (const auto& k : keys) {
    ChosenDialog keyed(kDialogBackgroundColor, CLR_INVALID, k.enterKey);
    ASSERT_TRUE(keyed.Create());
    const HWND window = keyed;
    MSG msg{};
    msg.hwnd = keyed.GetDlgItem(kButton);
    msg.message = k.message;
    msg.wParam = VK_RETURN;
    msg.lParam = 1;
    EXPECT_TRUE(keyed.PreTranslateMessage(&msg)) << k.message;
    EXPECT_EQ(msg.wParam, k.after) << k.message;
    EXPECT_EQ(::IsWindow(window) != FALSE, k.dialogStays) << k.message;
  }
}

}  // namespace
