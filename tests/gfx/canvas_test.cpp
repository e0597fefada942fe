// Canvas state and call translation, observed through the recording device.
#include <gtest/gtest.h>

#include "gfx_test_util.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/recorder.h"

namespace {

struct RecCanvas : ::testing::Test {
  void SetUp() override {
    StartGraphics();
    c.Font()->SetName("Arial");
    c.Font()->SetHeight(-13);
  }
  TRecordingDevice dev;
  TCanvas c{&dev};
  const TFontData& Font() { return c.Font()->Data(); }
};

}  // namespace

TEST_F(RecCanvas, TextOutPlacesTheBaselineAndMovesThePen) {
  c.Font()->SetColor(clNavy);
  c.TextOut(10, 20, "Mo");
  auto texts = dev.Find("Text");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->Args, (std::vector<int>{10, 20 + Font().Metric.tmAscent}));
  EXPECT_EQ(texts[0]->Advances, (std::vector<int>{Font().Widths['M'], Font().Widths['o']}));
  EXPECT_EQ(texts[0]->Color, clNavy);
  EXPECT_EQ(texts[0]->FontName, "Arial");
  EXPECT_EQ(c.PenPos(), (TPoint{10 + c.TextWidth("Mo"), 20}));
  // The solid brush makes the background opaque: the text cell is filled.
  auto fills = dev.Find("FillRect");
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0]->Args[1], 20);
  EXPECT_EQ(fills[0]->Args[3], 20 + Font().Metric.tmHeight);
  EXPECT_EQ(fills[0]->Brush.Color, clWhite);
}

TEST_F(RecCanvas, BrushAndFontChangesResetTheTextState) {
  c.SetBkMode(TRANSPARENT);
  c.SetTextColor(clRed);
  c.TextOut(0, 0, "a");
  EXPECT_TRUE(dev.Find("FillRect").empty());
  EXPECT_EQ(dev.Find("Text")[0]->Color, clRed);
  // A new brush colour brings back the opaque mode with that colour; a clear
  // brush makes it transparent.
  c.Brush()->SetColor(clBtnFace);
  EXPECT_EQ(c.GetBkMode(), OPAQUE);
  EXPECT_EQ(c.GetBkColor(), RGB(192, 192, 192));
  c.Brush()->SetStyle(bsClear);
  EXPECT_EQ(c.GetBkMode(), TRANSPARENT);
  // A font change brings back the font's colour.
  c.Font()->SetColor(clGreen);
  EXPECT_EQ(c.GetTextColor(), clGreen);
}

TEST_F(RecCanvas, ExtTextOutAlignmentAdvancesAndCurrentPosition) {
  const int adv[3] = {10, 20, 30};
  c.SetBkMode(TRANSPARENT);
  c.SetTextAlign(TA_BASELINE | TA_UPDATECP);
  c.MoveTo(5, 50);
  c.ExtTextOut(0, 0, 0, nullptr, "abc", 3, adv);
  c.ExtTextOut(0, 0, 0, nullptr, "d", 1, adv);
  auto t = dev.Find("Text");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0]->Args, (std::vector<int>{5, 50}));
  EXPECT_EQ(t[0]->Advances, (std::vector<int>{10, 20, 30}));
  EXPECT_EQ(t[1]->Args, (std::vector<int>{65, 50}));  // moved by the sum of the advances
  EXPECT_EQ(c.PenPos(), (TPoint{75, 50}));

  dev.Clear();
  c.SetTextAlign(TA_RIGHT | TA_BOTTOM);
  c.ExtTextOut(100, 40, 0, nullptr, "abc", 3, adv);
  EXPECT_EQ(dev.Find("Text")[0]->Args, (std::vector<int>{40, 40 - Font().Metric.tmDescent}));
  dev.Clear();
  c.SetTextAlign(TA_CENTER | TA_TOP);
  c.ExtTextOut(100, 40, 0, nullptr, "abc", 3, adv);
  EXPECT_EQ(dev.Find("Text")[0]->Args, (std::vector<int>{70, 40 + Font().Metric.tmAscent}));
}

TEST_F(RecCanvas, ExtTextOutOpaqueAndClippedRectangle) {
  c.SetBkColor(clYellow);
  TRect r{10, 10, 50, 30};
  c.ExtTextOut(12, 12, ETO_OPAQUE | ETO_CLIPPED, &r, "Hallo", 5);
  auto fills = dev.Find("FillRect");
  ASSERT_EQ(fills.size(), 1u);  // the rectangle, not a second text cell
  EXPECT_EQ(fills[0]->Args, (std::vector<int>{10, 10, 50, 30, static_cast<int>(PATCOPY)}));
  EXPECT_EQ(fills[0]->Brush.Color, clYellow);
  auto t = dev.Find("Text")[0];
  ASSERT_TRUE(t->Clipped);
  ASSERT_EQ(t->Clip.size(), 1u);
  EXPECT_EQ(t->Clip[0], r);
}

TEST_F(RecCanvas, ClipIntersectExcludeSaveRestore) {
  c.IntersectClipRect(0, 0, 100, 100);
  c.IntersectClipRect(50, 50, 200, 200);
  EXPECT_EQ(c.ClipRect(), (TRect{50, 50, 100, 100}));
  int saved = c.SaveDC();
  c.ExcludeClipRect(60, 60, 70, 70);
  c.FillRect({0, 0, 300, 300});
  auto f = dev.Find("FillRect").back();
  ASSERT_TRUE(f->Clipped);
  // The clip pieces cover the square minus the hole, without overlap.
  long area = 0;
  for (const TRect& r : f->Clip) {
    area += static_cast<long>(r.Width()) * r.Height();
    TRect hole;
    EXPECT_FALSE(IntersectRect(hole, r, {60, 60, 70, 70}));
  }
  EXPECT_EQ(area, 50 * 50 - 10 * 10);
  ASSERT_TRUE(c.RestoreDC(saved));
  c.FillRect({0, 0, 300, 300});
  EXPECT_EQ(dev.Find("FillRect").back()->Clip, (std::vector<TRect>{{50, 50, 100, 100}}));
  EXPECT_FALSE(c.RestoreDC(5));
  c.SelectClipRect(nullptr);
  c.FillRect({0, 0, 1, 1});
  EXPECT_FALSE(dev.Find("FillRect").back()->Clipped);
  // An empty intersection draws nothing visible.
  c.IntersectClipRect(0, 0, 10, 10);
  c.IntersectClipRect(20, 20, 30, 30);
  c.FillRect({0, 0, 300, 300});
  EXPECT_TRUE(dev.Find("FillRect").back()->Clip.empty());
}

TEST_F(RecCanvas, ViewportOffsetsAndLimitsEverything) {
  TRect limit{100, 100, 150, 140};
  c.SetViewport({100, 100}, &limit);
  c.MoveTo(0, 0);
  c.LineTo(10, 5);
  auto l = dev.Find("Polyline")[0];
  EXPECT_EQ(l->Args, (std::vector<int>{100, 100, 110, 105}));
  EXPECT_EQ(l->Clip, (std::vector<TRect>{limit}));
  EXPECT_EQ(c.ClipRect(), (TRect{0, 0, 50, 40}));  // in the canvas's own coordinates
  c.IntersectClipRect(-10, -10, 20, 20);
  c.FillRect({0, 0, 5, 5});
  auto f = dev.Find("FillRect").back();
  EXPECT_EQ(f->Args[0], 100);
  EXPECT_EQ(f->Clip, (std::vector<TRect>{{100, 100, 120, 120}}));
}

TEST_F(RecCanvas, ShapesUseWindowsEdgeRules) {
  c.Pen()->SetColor(clRed);
  c.Brush()->SetColor(clBlue);
  c.Rectangle(10, 10, 20, 15);
  auto fill = dev.Find("FillRect")[0];
  EXPECT_EQ(fill->Args, (std::vector<int>{11, 11, 19, 14, static_cast<int>(PATCOPY)}));
  auto frame = dev.Find("Polyline")[0];
  EXPECT_EQ(frame->Args, (std::vector<int>{10, 10, 19, 10, 19, 14, 10, 14, 10, 10}));
  EXPECT_EQ(frame->Pen.Color, clRed);
  dev.Clear();
  const std::vector<TPoint> tri{{0, 0}, {10, 0}, {5, 5}};
  c.Polygon(tri);
  EXPECT_EQ(dev.Find("Polygon")[0]->Brush.Color, clBlue);
  c.Polyline(tri);
  EXPECT_EQ(c.PenPos(), (TPoint{0, 0}));  // a polyline leaves the pen where it was
  c.Ellipse(0, 0, 9, 7);
  EXPECT_EQ(dev.Find("Ellipse")[0]->Args, (std::vector<int>{0, 0, 9, 7}));
}

TEST_F(RecCanvas, DrawTextFormats) {
  const int w = Font().Metric.tmAveCharWidth;
  (void)w;
  const int lineH = Font().Metric.tmHeight;
  // Calculating: one line per paragraph, width of the widest.
  TRect r{0, 0, 1000, 0};
  int h = c.DrawText("Heute\r\nDirekt", r, DT_CALCRECT);
  EXPECT_EQ(h, 2 * lineH);
  EXPECT_EQ(r.Bottom, 2 * lineH);
  EXPECT_EQ(r.Right, std::max(c.TextWidth("Heute"), c.TextWidth("Direkt")));
  EXPECT_TRUE(dev.Calls.empty());
  // Word break at blanks within the width.
  const std::string words = "eins zwei drei vier";
  TRect narrow{0, 0, c.TextWidth("eins zwei") + 1, 0};
  EXPECT_EQ(c.DrawText(words, narrow, DT_CALCRECT | DT_WORDBREAK), 2 * lineH);
  EXPECT_EQ(narrow.Right, c.TextWidth("eins zwei") + 1);  // broken lines keep the width
  TRect oneLine{0, 0, 500, 0};
  c.DrawText(words, oneLine, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(oneLine.Right, c.TextWidth(words));  // one line: the text's own width
  TRect tooNarrow{0, 0, 5, 0};
  c.DrawText("Donnerstag", tooNarrow, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(tooNarrow.Right, c.TextWidth("Donnerstag"));  // a wider word widens it
  TRect box{0, 0, c.TextWidth("eins zwei") + 1, 100};
  c.DrawText(words, box, DT_WORDBREAK);
  auto t = dev.Find("Text");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0]->Text, "eins zwei");
  EXPECT_EQ(t[1]->Text, "drei vier");
  EXPECT_EQ(t[1]->Args[1] - t[0]->Args[1], lineH);
  // A word wider than the width stands alone on its line, unbroken.
  dev.Clear();
  TRect tight{0, 0, c.TextWidth("abc") + 1, 200};
  c.DrawText("abc Donnerstagabend xy", tight, DT_WORDBREAK);
  auto lines = dev.Find("Text");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1]->Text, "Donnerstagabend");
  EXPECT_EQ(lines[2]->Text, "xy");
  // Centred both ways on a single line.
  dev.Clear();
  TRect cell{0, 0, 100, 40};
  c.DrawText("Mo", cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  auto m = dev.Find("Text")[0];
  EXPECT_EQ(m->Args[0], (100 - c.TextWidth("Mo")) / 2);
  EXPECT_EQ(m->Args[1], (40 - lineH) / 2 + Font().Metric.tmAscent);
  // Right aligned.
  dev.Clear();
  c.DrawText("Mo", cell, DT_RIGHT | DT_SINGLELINE);
  EXPECT_EQ(dev.Find("Text")[0]->Args[0], 100 - c.TextWidth("Mo"));
}

TEST_F(RecCanvas, DrawTextPrefixEllipsisAndTabs) {
  TRect r{0, 0, 200, 30};
  c.DrawText("&Datei && mehr", r, DT_SINGLELINE);
  auto t = dev.Find("Text")[0];
  EXPECT_EQ(t->Text, "Datei & mehr");
  // The accelerator's underline lies under the D.
  auto fills = dev.Find("FillRect");
  ASSERT_FALSE(fills.empty());
  auto u = fills.back();
  EXPECT_EQ(u->Args[0], 0);
  EXPECT_EQ(u->Args[2], Font().Widths['D']);
  dev.Clear();
  c.DrawText("&Datei", r, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(dev.Find("Text")[0]->Text, "&Datei");
  // End ellipsis cuts so that text and dots fit.
  dev.Clear();
  TRect small{0, 0, c.TextWidth("Geburtstage"), 20};
  c.DrawText("Geburtstagsliste aller Personen", small, DT_SINGLELINE | DT_END_ELLIPSIS);
  auto e = dev.Find("Text")[0];
  ASSERT_GE(e->Text.size(), 4u);
  EXPECT_EQ(e->Text.substr(e->Text.size() - 3), "...");
  EXPECT_LE(c.TextWidth(e->Text), small.Width());
  // Expanded tabs reach multiples of eight average widths.
  dev.Clear();
  c.DrawText("a\tb", r, DT_SINGLELINE | DT_EXPANDTABS);
  auto tab = dev.Find("Text")[0];
  EXPECT_EQ(tab->Advances[0] + tab->Advances[1], 8 * Font().Metric.tmAveCharWidth);
}

TEST_F(RecCanvas, EdgesUseTheSchemeColours) {
  TRect r{0, 0, 20, 10};
  c.DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  EXPECT_EQ(r, (TRect{2, 2, 18, 8}));
  auto f = dev.Find("FillRect");
  ASSERT_EQ(f.size(), 8u);
  // Outer ring: shadow left and top, highlight right and bottom.
  EXPECT_EQ(f[0]->Brush.Color, RGB(128, 128, 128));
  EXPECT_EQ(f[0]->Args, (std::vector<int>{0, 0, 1, 10, static_cast<int>(PATCOPY)}));
  EXPECT_EQ(f[2]->Brush.Color, clWhite);
  // Inner ring: dark shadow, then light.
  EXPECT_EQ(f[4]->Brush.Color, clBlack);
  EXPECT_EQ(f[6]->Brush.Color, RGB(192, 192, 192));
}

TEST(Canvas, WithoutDeviceDrawingRaisesAndPixelsNeedNoDevice) {
  TCanvas c;
  EXPECT_THROW(c.FillRect({0, 0, 1, 1}), EInvalidOperation);
  EXPECT_THROW(c.TextOut(0, 0, "x"), EInvalidOperation);
  EXPECT_GT(c.TextWidth("x"), 0);
}
