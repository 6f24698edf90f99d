// The gradient button drawn for real: a button child of a window, painted through
// WM_PRINTCLIENT into a memory device context, its WM_DRAWITEM reflected to the object.
#include <gtest/gtest.h>

#include <memory>

#include "framework/controls/xp_button.h"
#include "framework/core/xp_button_drawing.h"
#include "ui_control_host.h"

namespace {

constexpr int kWidth = 90;
constexpr int kHeight = 50;
constexpr int kId = 1056;

std::uint32_t FaceColour(int y, bool hover, bool pressed) {
  const int edge = ::GetSystemMetrics(SM_CYEDGE);
  const auto colour = xp_button::GradientColour(xp_button::GradientBrushIndex(y, kHeight - 2 * edge), hover, pressed);
  return Rgb(colour.red, colour.green, colour.blue);
}

struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool empty() const { return right < 0; }
};

// Where the caption's pixels are: those darker than any face colour (234 and up).
Box DarkPixels(const Pixels& pixels) {
  Box box;
  for (int y = 0; y < pixels.height; ++y)
    for (int x = 0; x < pixels.width; ++x) {
      const std::uint32_t p = pixels.At(x, y);
      const int red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
      if (red < 200 && green < 200 && blue < 200 && x > 3 && y > 3 && x < pixels.width - 4 && y < pixels.height - 4) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x);
        box.bottom = std::max(box.bottom, y);
      }
    }
  return box;
}

int CountColour(const Pixels& pixels, std::uint32_t colour) {
  int count = 0;
  for (auto p : pixels.data) count += p == colour;
  return count;
}

class XpButtonTest : public ::testing::Test {
protected:
  void SetUp() override { Make(L"Calibrate"); }

  void Make(const std::wstring& caption) {
    m_pButton.reset();
    if (m_hControl) ::DestroyWindow(m_hControl);
    m_hControl = m_host.AddChild(L"BUTTON", caption, BS_PUSHBUTTON, kId, 10, 10, kWidth, kHeight);
    m_pButton = std::make_unique<CXPButton>();
    ASSERT_TRUE(m_pButton->SubclassWindow(m_hControl));
  }

  Pixels Paint() { return CaptureClient(m_hControl); }

  // `framed`: the top and bottom frame lines (two pixels each) cover the face's end rows.
  void ExpectFace(const Pixels& pixels, bool hover, bool pressed, bool framed = false) {
    const int edge = ::GetSystemMetrics(SM_CYEDGE);
    const int skip = framed ? 2 : 0;
    // Column 6 is clear of the outline, the side frame lines and the caption.
    for (int y = edge + skip; y <= kHeight - edge - skip; ++y)
      EXPECT_EQ(pixels.At(6, y), FaceColour(y, hover, pressed)) << "row " << y << " hover " << hover << " pressed " << pressed;
  }

  ControlHost m_host;
  HWND m_hControl = nullptr;
  std::unique_ptr<CXPButton> m_pButton;
};

TEST_F(XpButtonTest, BindingMakesTheButtonOwnerDrawn) {
  EXPECT_EQ(::GetWindowLongPtrW(m_hControl, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
}

TEST_F(XpButtonTest, EachFaceRowHasTheBrushOfItsRow) {
  const Pixels pixels = Paint();
  ExpectFace(pixels, false, false);
  // The rounded outline is black, the corner outside it untouched.
  EXPECT_EQ(pixels.At(kWidth / 2, 0), 0u);
  EXPECT_EQ(pixels.At(0, kHeight / 2), 0u);
  EXPECT_EQ(pixels.At(0, 0), 0x00FF00FFu);
  // No frame without hover or focus: the face reaches the left edge of the shrunk rectangle.
  EXPECT_EQ(pixels.At(2, kHeight / 2), FaceColour(kHeight / 2, false, false));
}

TEST_F(XpButtonTest, HoverRepaintsWithTheHoverGradientAndTheNormalFrame) {
  ::SendMessageW(m_hControl, WM_MOUSEHOVER, 0, 0);
  EXPECT_TRUE(m_pButton->IsHover());
  RECT update{};
  EXPECT_TRUE(::GetUpdateRect(m_hControl, &update, FALSE));  // invalidated
  const Pixels pixels = Paint();
  ExpectFace(pixels, true, false, true);
  EXPECT_EQ(pixels.At(2, kHeight / 2), Rgb(85, 173, 253));          // left edge, normal
  EXPECT_EQ(pixels.At(kWidth - 3, kHeight / 2), Rgb(86, 180, 253));  // right edge, normal
  EXPECT_EQ(pixels.At(kWidth / 2, 2), Rgb(87, 190, 253));            // top edge, normal

  ::ValidateRect(m_hControl, nullptr);
  ::SendMessageW(m_hControl, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(m_pButton->IsHover());
  EXPECT_FALSE(m_pButton->IsTracking());
  EXPECT_TRUE(::GetUpdateRect(m_hControl, &update, FALSE));
  ExpectFace(Paint(), false, false);
}

TEST_F(XpButtonTest, SelectedButtonUsesThePressedGradientAndShiftsItsCaption) {
  const Box normal = DarkPixels(Paint());
  ::SendMessageW(m_hControl, BM_SETSTATE, TRUE, 0);
  const Pixels pixels = Paint();
  ExpectFace(pixels, false, true);
  const Box shifted = DarkPixels(pixels);
  ASSERT_FALSE(normal.empty());
  EXPECT_EQ(shifted.left, normal.left + 1);
  EXPECT_EQ(shifted.top, normal.top + 1);

  ::SendMessageW(m_hControl, WM_MOUSEHOVER, 0, 0);
  ExpectFace(Paint(), true, true, true);
}

TEST_F(XpButtonTest, FocusDrawsTheFocusedFrame) {
  ::SetFocus(m_hControl);
  ASSERT_EQ(::GetFocus(), m_hControl);
  const Pixels pixels = Paint();
  ExpectFace(pixels, false, true, true);  // focused counts as pressed
  EXPECT_EQ(pixels.At(1, kHeight / 2), Rgb(153, 198, 252));           // left edge, focused
  EXPECT_EQ(pixels.At(kWidth - 3, kHeight / 2), Rgb(162, 189, 252));  // right edge, focused

  // Hovering a focused button takes the normal frame again.
  ::SendMessageW(m_hControl, WM_MOUSEHOVER, 0, 0);
  EXPECT_EQ(Paint().At(1, kHeight / 2), Rgb(85, 173, 253));
}

TEST_F(XpButtonTest, TwelveCharactersAreCentredThirteenShowTheTwoFixedLines) {
  CXPButton::SetLongCaption(L"Region", L"Calibrate");
  Make(L"ABCDEFGHIJKL");
  const Pixels twelve = Paint();
  const Box centred = DarkPixels(twelve);
  ASSERT_FALSE(centred.empty());
  EXPECT_NEAR((centred.left + centred.right) / 2.0, kWidth / 2.0, 3.0);
  EXPECT_NEAR((centred.top + centred.bottom) / 2.0, kHeight / 2.0, 3.0);

  Make(L"ABCDEFGHIJKLM");
  const Pixels thirteen = Paint();
  Make(L"Region\nCalibrate");
  const Pixels region = Paint();
  EXPECT_EQ(thirteen, region);  // the caption itself is never drawn
  EXPECT_NE(thirteen, twelve);

  const Box lines = DarkPixels(thirteen);
  EXPECT_GE(lines.left, 16);
  EXPECT_LT(lines.left, 24);
  EXPECT_GE(lines.top, 12);
  EXPECT_LT(lines.top, 18);
  EXPECT_GE(lines.bottom, 32);
  // Nothing of the second line lies above row 32 but the first line's rows.
  ExpectFace(thirteen, false, false);
}

TEST_F(XpButtonTest, DisabledCaptionIsGreyedOverTheGradientFace) {
  EXPECT_GT(CountColour(Paint(), 0), 0);  // enabled: black text
  ::EnableWindow(m_hControl, FALSE);
  const Pixels pixels = Paint();
  ExpectFace(pixels, false, false);
  const Box caption = DarkPixels(pixels);
  ASSERT_FALSE(caption.empty());
  const std::uint32_t shadow = ::GetSysColor(COLOR_3DSHADOW);
  const std::uint32_t shadowRgb = Rgb(GetRValue(shadow), GetGValue(shadow), GetBValue(shadow));
  int shadowPixels = 0, blackPixels = 0;
  for (int y = caption.top; y <= caption.bottom; ++y)
    for (int x = caption.left; x <= caption.right; ++x) {
      shadowPixels += pixels.At(x, y) == shadowRgb;
      blackPixels += pixels.At(x, y) == 0;
    }
  EXPECT_GT(shadowPixels, 0);
  EXPECT_EQ(blackPixels, 0);
}

TEST_F(XpButtonTest, MouseMoveAsksForHoverAndLeaveTracking) {
  EXPECT_FALSE(m_pButton->IsTracking());
  ::SendMessageW(m_hControl, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(m_pButton->IsTracking());
}

}  // namespace
