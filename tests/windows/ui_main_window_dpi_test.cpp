// The main window's pictures at the monitor's DPI: at opening on the test's 96-DPI screen the
// 100 % drawings; after WM_DPICHANGED to 144 and 192 DPI the list's images and the logo drawn
// for 150 % and 200 %, the list's image list of their size, the items keeping their images.
#include "windows/ui_main_window_harness.h"

using namespace main_window_test;

namespace {

SIZE ImageSize(HIMAGELIST list) {
  int cx = 0, cy = 0;
  ImageList_GetIconSize(list, &cx, &cy);
  return {cx, cy};
}

TEST(MainWindowDpi, PicturesFollowTheMonitorsDpi) {
  auto screens = Prepare({{0, 0, 1}, {1, 1, 0}});
  MainWindowRun run;
  ASSERT_TRUE(run.WaitForListReady());
  ASSERT_TRUE(run.WaitForItemText(1, ItemTextFor(1, 1)));  // the identity replies are in
  ASSERT_EQ(::GetDpiForWindow(run.dialog().window()), 96u) << "the test's screen is at 96 DPI";

  struct Case {
    unsigned dpi;
    LONG width, height;
    int logo;
  };
  const Case cases[] = {{96, 72, 58, 177}, {144, 108, 87, 1177}, {192, 144, 116, 2177}, {96, 72, 58, 177}};
  bool opening = true;
  for (const Case& c : cases) {
    if (!opening) {
      RECT rect{};
      ::GetWindowRect(run.dialog().window(), &rect);
      ::SendMessageW(run.dialog().window(), WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&rect));
    }
    opening = false;
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(
        ::SendMessageW(run.List(), LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
    EXPECT_EQ(images, run.window().listImages()) << c.dpi;
    const SIZE size = ImageSize(images);
    EXPECT_EQ(size.cx, c.width) << c.dpi;
    EXPECT_EQ(size.cy, c.height) << c.dpi;
    EXPECT_EQ(ImageList_GetImageCount(images), 2) << c.dpi;
    EXPECT_EQ(run.window().logoBitmap(), c.logo) << c.dpi;
    EXPECT_EQ(run.ItemImage(0), 1) << c.dpi;
    EXPECT_EQ(run.ItemImage(1), 0) << c.dpi;
  }

  run.dialog().Click(IDOK);
  ASSERT_TRUE(run.dialog().WaitForEnd());
}

}  // namespace
