// The About dialog: its texts from the language keys, the fixed versions, the link, the logo
// picture and the hidden Update button.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "framework/win_app.h"
#include "support/test_devices.h"
#include "ui/about_dialog.h"
#include "ui/res/about_dialog_ids.h"
#include "windows/ui_modal_dialog.h"

namespace {

std::unique_ptr<ModalDialogThread> OpenAbout() {
  auto dialog = std::make_unique<ModalDialogThread>([] {
    CVersion about(TestDevices());
    return about.DoModal();
  });
  EXPECT_NE(dialog->window(), nullptr) << "the About dialog did not open";
  return dialog;
}

TEST(AboutDialog, ShowsTheKeysAndTheFixedVersions) {
  auto dialog = OpenAbout();
  ModalDialogThread& d = *dialog;
  EXPECT_EQ(d.Text(d.window()), L"78");
  EXPECT_EQ(d.Text(IDOK), L"38");
  EXPECT_EQ(d.Text(IDC_DRIVER_VERSION_LABEL), L"56");
  EXPECT_EQ(d.Text(IDC_CONTROL_PANEL_VERSION_LABEL), L"57");
  EXPECT_EQ(d.Text(IDC_ABOUT_MAKER), L"55");
  EXPECT_EQ(d.Text(IDC_ABOUT_NOTICE1), L"80");
  EXPECT_EQ(d.Text(IDC_ABOUT_NOTICE2), L"81");
  EXPECT_EQ(d.Text(IDC_ABOUT_LINK), L"82");
  EXPECT_EQ(d.Text(IDC_DRIVER_VERSION), L"2.2.0.0");
  EXPECT_EQ(d.Text(IDC_CONTROL_PANEL_VERSION), L"2.1.0.6");
  d.Click(IDOK);
  ASSERT_TRUE(d.WaitForEnd());
  EXPECT_EQ(d.result(), IDOK);
}

TEST(AboutDialog, TheLinkIsUnderlinedAndNotifiesClicks) {
  auto dialog = OpenAbout();
  ModalDialogThread& d = *dialog;
  HWND link = d.Item(IDC_ABOUT_LINK);
  EXPECT_TRUE(GetWindowLongPtrW(link, GWL_STYLE) & SS_NOTIFY);
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), sizeof(font), &font);
  EXPECT_TRUE(font.lfUnderline);
  // The link fits its text: narrower than the line it was laid out on.
  RECT rect{};
  GetWindowRect(link, &rect);
  RECT notice{};
  GetWindowRect(d.Item(IDC_ABOUT_NOTICE1), &notice);
  EXPECT_LT(rect.right - rect.left, notice.right - notice.left);
}

TEST(AboutDialog, TheLogoBitmapIsInTheResourcesAndThePictureHasItsPlace) {
  // The logo drawn for 100, 150 and 200 %.
  const struct { int id; LONG width, height; } drawings[] = {
      {IDB_LOGO, 144, 47}, {IDB_LOGO_150, 216, 71}, {IDB_LOGO_200, 288, 94}};
  for (const auto& drawing : drawings) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(drawing.id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    ASSERT_NE(bitmap, nullptr) << drawing.id;
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, drawing.width) << drawing.id;
    EXPECT_EQ(info.bmHeight, drawing.height) << drawing.id;
    DeleteObject(bitmap);
  }
  auto dialog = OpenAbout();
  ModalDialogThread& d = *dialog;
  RECT picture{};
  GetClientRect(d.Item(IDC_ABOUT_LOGO), &picture);
  RECT units{0, 0, 111, 31};
  MapDialogRect(d.window(), &units);
  EXPECT_EQ(picture.right, units.right);
  EXPECT_EQ(picture.bottom, units.bottom);
}

TEST(AboutDialog, TheLogoFollowsTheMonitorsDpi) {
  std::atomic<CVersion*> about{nullptr};
  ModalDialogThread d([&] {
    CVersion dialog(TestDevices());
    about = &dialog;
    return dialog.DoModal();
  });
  ASSERT_NE(d.window(), nullptr);
  EXPECT_EQ(about.load()->logoBitmap(), IDB_LOGO);  // the test's screen is at 96 DPI
  const struct { unsigned dpi; int logo; } cases[] = {{144, IDB_LOGO_150}, {192, IDB_LOGO_200}, {96, IDB_LOGO}};
  for (const auto& c : cases) {
    RECT rect{};
    GetWindowRect(d.window(), &rect);
    SendMessageW(d.window(), WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&rect));
    EXPECT_EQ(about.load()->logoBitmap(), c.logo) << c.dpi;
  }
  d.Click(IDOK);
  ASSERT_TRUE(d.WaitForEnd());
}

// Dialog windows created on this thread while the hook is set (the update dialog closes
// itself at once here: there is no image and no touch screen to update).
thread_local int g_nDialogsCreated = 0;
LRESULT CALLBACK CountDialogs(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND) {
    const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lp);
    const LPCWSTR name = create->lpcs->lpszClass;
    if (IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name) == 0x8002
                             : std::wstring(name) == L"#32770")
      ++g_nDialogsCreated;
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

TEST(AboutDialog, TheHiddenUpdateButtonOpensTheUpdateDialogAndClosesTheAboutBox) {
  std::atomic<int> dialogs{0};
  auto dialog = std::make_unique<ModalDialogThread>([&dialogs] {
    HHOOK hook = SetWindowsHookExW(WH_CBT, CountDialogs, nullptr, GetCurrentThreadId());
    const INT_PTR result = CVersion(TestDevices()).DoModal();
    // Let the update dialog handle what it posted itself.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    UnhookWindowsHookEx(hook);
    dialogs = g_nDialogsCreated;
    return result;
  });
  ModalDialogThread& d = *dialog;
  ASSERT_NE(d.Item(IDC_ABOUT_UPDATE), nullptr);
  EXPECT_FALSE(d.Visible(IDC_ABOUT_UPDATE));
  d.Click(IDC_ABOUT_UPDATE);
  ASSERT_TRUE(d.WaitForEnd());
  EXPECT_EQ(d.result(), IDOK);
  EXPECT_EQ(dialogs.load(), 2) << "the About box and the update dialog";
}

}  // namespace
