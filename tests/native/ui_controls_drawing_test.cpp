// The custom controls' arithmetic: the gradient button's face brushes, rows and caption
// placement, and the hyperlink's colours and fit to its text.
#include <gtest/gtest.h>

#include "framework/core/dpi_images.h"
#include "framework/core/hyper_link_layout.h"
#include "framework/core/xp_button_drawing.h"

namespace {

using xp_button::CaptionLayout;
using xp_button::CaptionLines;
using xp_button::CaptionLine;
using xp_button::GradientBrushIndex;
using xp_button::GradientColour;
using xp_button::Rgb;

TEST(XpButtonGradient, ColoursFadeByStateFromWhite) {
  // Brush 0 is white in every state.
  for (bool hover : {false, true})
    for (bool pressed : {false, true}) EXPECT_EQ(GradientColour(0, hover, pressed), (Rgb{255, 255, 255}));

  // Brush 63: red and green lose 63/4 = 15 when hovered, 63/3 = 21 otherwise; blue loses
  // 63/3 = 21 hovered and pressed, 63/4 = 15 pressed only, 63/5 = 12 when not pressed.
  EXPECT_EQ(GradientColour(63, true, true), (Rgb{240, 240, 234}));
  EXPECT_EQ(GradientColour(63, true, false), (Rgb{240, 240, 243}));
  EXPECT_EQ(GradientColour(63, false, true), (Rgb{234, 234, 240}));
  EXPECT_EQ(GradientColour(63, false, false), (Rgb{234, 234, 243}));

  // Integer division: brush 14 loses 14/3 = 4 and 14/5 = 2, or 14/4 = 3 and 14/3 = 4.
  EXPECT_EQ(GradientColour(14, false, false), (Rgb{251, 251, 253}));
  EXPECT_EQ(GradientColour(14, true, true), (Rgb{252, 252, 251}));
}

TEST(XpButtonGradient, RowBrushIsProportionalAndLimited) {
  // A face 36 rows high starting at row 2: brush 63 * y / 36.
  EXPECT_EQ(GradientBrushIndex(2, 36), 3);
  EXPECT_EQ(GradientBrushIndex(18, 36), 31);
  EXPECT_EQ(GradientBrushIndex(36, 36), 63);
  // The rows below the face's height (up to height + 2) keep the last brush.
  EXPECT_EQ(GradientBrushIndex(37, 36), 63);
  EXPECT_EQ(GradientBrushIndex(38, 36), 63);
}

TEST(XpButtonGradient, FlatButtonTakesTheLastBrushInsteadOfDividingByZero) {
  EXPECT_EQ(GradientBrushIndex(2, 0), 63);
  EXPECT_EQ(GradientBrushIndex(2, -3), 63);
}

TEST(XpButtonGradient, FaceRowsRunFromTopToHeightPlusTwo) {
  // An 80 x 40 button shrunk by a two-pixel edge: left 2, top 2, 76 wide, 36 high.
  const auto rows = xp_button::GradientFaceRows(2, 2, 76, 36);
  EXPECT_EQ(rows.firstRow, 2);
  EXPECT_EQ(rows.lastRow, 38);
  EXPECT_EQ(rows.left, 2);
  EXPECT_EQ(rows.right, 78);
}

TEST(XpButtonCaption, TwelveCharactersAreCentredInTheFace) {
  const xp_button::Rect face{2, 2, 78, 38};
  const auto lines = CaptionLayout(L"Diagnostics!", face, 60, 13, false);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], (CaptionLine{L"Diagnostics!", 40 - 30, 20 - 6}));

  const auto pressed = CaptionLayout(L"Diagnostics!", face, 60, 13, true);
  ASSERT_EQ(pressed.size(), 1u);
  EXPECT_EQ(pressed[0], (CaptionLine{L"Diagnostics!", 11, 15}));
}

TEST(XpButtonCaption, ThirteenCharactersOrMoreBecomeTheTwoFixedLines) {
  const xp_button::Rect face{2, 2, 78, 38};
  const xp_button::LongCaption region{L"Region", L"Calibrate"};
  const std::vector<CaptionLine> fixed{{L"Region", 20, 12}, {L"Calibrate", 16, 32}};
  EXPECT_EQ(CaptionLayout(L"ABCDEFGHIJKLM", face, 90, 13, false, 96, region), fixed);
  EXPECT_EQ(CaptionLayout(L"Region\nCalibrate", face, 90, 13, false, 96, region), fixed);

  const std::vector<CaptionLine> pressed{{L"Region", 21, 13}, {L"Calibrate", 17, 33}};
  EXPECT_EQ(CaptionLayout(L"Kalibrierung 2", face, 90, 13, true, 96, region), pressed);
  // At 150 % and 200 % the lines move with the button, the press still by one pixel.
  const std::vector<CaptionLine> at144{{L"Region", 30, 18}, {L"Calibrate", 24, 48}};
  EXPECT_EQ(CaptionLayout(L"Region\nCalibrate", face, 135, 20, false, 144, region), at144);
  const std::vector<CaptionLine> at192{{L"Region", 41, 25}, {L"Calibrate", 33, 65}};
  EXPECT_EQ(CaptionLayout(L"Region\nCalibrate", face, 180, 26, true, 192, region), at192);
  // Without lines of its own a long caption is centred like a short one.
  EXPECT_EQ(CaptionLayout(L"ABCDEFGHIJKLM", face, 60, 13, false).size(), 1u);
}

TEST(XpButtonCaption, LinesOfAShortCaptionAreEachCentred) {
  // "区域\n校准" in a 76 x 36 face: two lines 24 wide and 13 high around the centre (40, 20).
  const xp_button::Rect face{2, 2, 78, 38};
  const int widths[] = {24, 30};
  const std::vector<CaptionLine> lines{{L"\u533a\u57df", 28, 7}, {L"\u6821\u51c6", 25, 20}};
  EXPECT_EQ(CaptionLayout(L"\u533a\u57df\n\u6821\u51c6", face, 60, 13, false, 96, {}, widths), lines);
  EXPECT_EQ(CaptionLines(L"a\nb\n"), (std::vector<std::wstring_view>{L"a", L"b", L""}));
}

TEST(XpButtonCaption, EmptyCaptionIsPlacedAtTheCentre) {
  const auto lines = CaptionLayout(L"", xp_button::Rect{2, 2, 42, 22}, 0, 0, false);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].x, 22);
  EXPECT_EQ(lines[0].y, 12);
}

TEST(HyperLinkColour, HoverBeatsVisitedBeatsLink) {
  constexpr std::uint32_t hover = 0x00FF0000;
  using hyper_link::TextColour;
  EXPECT_EQ(hyper_link::kLinkColour, 0x00EE0000u);     // red 0, green 0, blue 238
  EXPECT_EQ(hyper_link::kVisitedColour, 0x008B1A55u);  // red 85, green 26, blue 139
  EXPECT_EQ(TextColour(false, false, hyper_link::kLinkColour, hyper_link::kVisitedColour, hover), hyper_link::kLinkColour);
  EXPECT_EQ(TextColour(false, true, hyper_link::kLinkColour, hyper_link::kVisitedColour, hover), hyper_link::kVisitedColour);
  EXPECT_EQ(TextColour(true, true, hyper_link::kLinkColour, hyper_link::kVisitedColour, hover), hover);
  EXPECT_EQ(TextColour(true, false, hyper_link::kLinkColour, hyper_link::kVisitedColour, hover), hover);
}

TEST(HyperLinkFit, AnchorsKeepTheirEdgeOrCentre) {
  using hyper_link::FitToText;
  using hyper_link::HorizontalAnchor;
  using hyper_link::Rect;
  const Rect window{100, 50, 300, 90};  // 200 x 40, centre 200, 70

  EXPECT_EQ(FitToText(window, 80, 16, false, HorizontalAnchor::Left), (Rect{100, 50, 180, 66}));
  EXPECT_EQ(FitToText(window, 80, 16, false, HorizontalAnchor::Right), (Rect{220, 50, 300, 66}));
  EXPECT_EQ(FitToText(window, 80, 16, false, HorizontalAnchor::Centre), (Rect{160, 50, 240, 66}));
  EXPECT_EQ(FitToText(window, 80, 16, true, HorizontalAnchor::Left), (Rect{100, 62, 180, 78}));
  // A text wider than the window grows it the same ways.
  EXPECT_EQ(FitToText(window, 260, 16, true, HorizontalAnchor::Centre), (Rect{70, 62, 330, 78}));
}

}  // namespace

// The drawing a monitor's DPI takes, and the sizes of the list images at it.
TEST(DpiImages, NearestDrawingForTheDpi) {
  struct Case {
    unsigned dpi;
    dpi::ImageScale scale;
    int width, height;  // of a 72 x 58 list image
  };
  const Case cases[] = {
      {0, dpi::ImageScale::k100, 72, 58},   {96, dpi::ImageScale::k100, 72, 58},
      {119, dpi::ImageScale::k100, 72, 58}, {120, dpi::ImageScale::k150, 108, 87},
      {144, dpi::ImageScale::k150, 108, 87}, {167, dpi::ImageScale::k150, 108, 87},
      {168, dpi::ImageScale::k200, 144, 116}, {192, dpi::ImageScale::k200, 144, 116},
      {480, dpi::ImageScale::k200, 144, 116},
  };
  constexpr dpi::ImageResources logo{177, 1177, 2177};
  for (const Case& c : cases) {
    const dpi::ImageScale scale = dpi::ImageScaleForDpi(c.dpi);
    EXPECT_EQ(scale, c.scale) << c.dpi;
    EXPECT_EQ(dpi::ScaledPixels(72, scale), c.width) << c.dpi;
    EXPECT_EQ(dpi::ScaledPixels(58, scale), c.height) << c.dpi;
  }
  EXPECT_EQ(logo.For(dpi::ImageScaleForDpi(96)), 177);
  EXPECT_EQ(logo.For(dpi::ImageScaleForDpi(144)), 1177);
  EXPECT_EQ(logo.For(dpi::ImageScaleForDpi(192)), 2177);
}
