// Pixel results on bitmaps: shapes, raster operations, clipping, scrolling,
// glyph placement, and a sheet of every canvas operation saved as PNG.
#include <gtest/gtest.h>

#include "gfx_test_util.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/raster.h"

namespace {

// Counts pixels of colour c inside r.
int Count(TBitmap& b, const TRect& r, TColor c) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) n += b.Canvas()->Pixels(x, y) == c;
  return n;
}

void Fill(TBitmap& b, TColor c) {
  b.Canvas()->Brush()->SetColor(c);
  b.Canvas()->FillRect({0, 0, b.Width(), b.Height()});
}

}  // namespace

TEST(Raster, RectanglesAndLinesLeaveOutRightAndBottomEdges) {
  StartGraphics();
  TBitmap b(30, 30);
  Fill(b, clWhite);
  TCanvas& c = *b.Canvas();
  c.Brush()->SetColor(clBlue);
  c.Pen()->SetColor(clRed);
  c.Rectangle(5, 5, 15, 12);
  EXPECT_EQ(c.Pixels(5, 5), clRed);
  EXPECT_EQ(c.Pixels(14, 11), clRed);
  EXPECT_EQ(c.Pixels(15, 11), clWhite);
  EXPECT_EQ(c.Pixels(14, 12), clWhite);
  EXPECT_EQ(Count(b, {6, 6, 14, 11}, clBlue), 8 * 5);
  EXPECT_EQ(Count(b, {0, 0, 30, 30}, clRed), 2 * 10 + 2 * 5);
  // A line leaves out its last point.
  c.Pen()->SetColor(clGreen);
  c.MoveTo(0, 20);
  c.LineTo(10, 20);
  EXPECT_EQ(Count(b, {0, 20, 30, 21}, clGreen), 10);
  EXPECT_EQ(c.PenPos(), (TPoint{10, 20}));
  // Diagonals step one pixel per row.
  c.MoveTo(20, 0);
  c.LineTo(25, 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(c.Pixels(20 + i, i), clGreen) << i;
  // FrameRect uses the brush, one pixel wide.
  c.Brush()->SetColor(clBlack);
  c.FrameRect({20, 20, 25, 25});
  EXPECT_EQ(Count(b, {20, 20, 25, 25}, clBlack), 16);
}

TEST(Raster, PolygonsAndEllipsesCoverTheirOutline) {
  StartGraphics();
  TBitmap b(40, 40);
  Fill(b, clWhite);
  TCanvas& c = *b.Canvas();
  c.Pen()->SetColor(clRed);
  c.Brush()->SetColor(clBlue);
  // A square polygon: the pen draws the edges through the vertices, the
  // brush the inside.
  c.Polygon(std::vector<TPoint>{{2, 2}, {12, 2}, {12, 12}, {2, 12}});
  EXPECT_EQ(Count(b, {0, 0, 20, 20}, clRed), 40);
  EXPECT_EQ(Count(b, {0, 0, 20, 20}, clBlue), 81);
  // A triangle pointing up, as the calendar's arrows: one column per row
  // narrower on each side.
  Fill(b, clWhite);
  c.Pen()->SetColor(clGray);
  c.Brush()->SetColor(clGray);
  c.Polygon(std::vector<TPoint>{{10, 20}, {20, 10}, {30, 20}});
  EXPECT_EQ(c.Pixels(20, 10), clGray);
  EXPECT_EQ(c.Pixels(19, 10), clWhite);
  EXPECT_EQ(Count(b, {0, 15, 40, 16}, clGray), 11);
  EXPECT_EQ(Count(b, {0, 20, 40, 21}, clGray), 21);
  // An ellipse stays inside its box and is symmetric.
  Fill(b, clWhite);
  c.Pen()->SetColor(clBlack);
  c.Brush()->SetColor(clYellow);
  c.Ellipse(5, 5, 26, 16);
  for (int y = 0; y <= 20; ++y)
    for (int x = 0; x <= 30; ++x) {
      bool inked = c.Pixels(x, y) != clWhite;
      if (x < 5 || x >= 26 || y < 5 || y >= 16) {
        EXPECT_FALSE(inked) << x << "," << y;
      }
      EXPECT_EQ(inked, c.Pixels(30 - x, y) != clWhite) << x << "," << y;
      EXPECT_EQ(inked, c.Pixels(x, 20 - y) != clWhite) << x << "," << y;
    }
  EXPECT_EQ(c.Pixels(5, 10), clBlack);
  EXPECT_EQ(c.Pixels(15, 10), clYellow);
}

TEST(Raster, PenModesAndFocusRectanglesUndoThemselves) {
  StartGraphics();
  TBitmap b(20, 20);
  Fill(b, clSilver);
  TCanvas& c = *b.Canvas();
  c.Pen()->SetMode(pmXor);
  c.Pen()->SetColor(clWhite);
  c.MoveTo(0, 5);
  c.LineTo(20, 5);
  EXPECT_EQ(c.Pixels(3, 5), RGB(0x3F, 0x3F, 0x3F));
  c.MoveTo(0, 5);
  c.LineTo(20, 5);
  EXPECT_EQ(Count(b, {0, 0, 20, 20}, clSilver), 400);
  c.DrawFocusRect({2, 2, 18, 18});
  int changed = 400 - Count(b, {0, 0, 20, 20}, clSilver);
  EXPECT_EQ(changed, 30);  // every other pixel of the 60-pixel frame
  c.DrawFocusRect({2, 2, 18, 18});
  EXPECT_EQ(Count(b, {0, 0, 20, 20}, clSilver), 400);
  c.InvertRect({0, 0, 1, 1});
  EXPECT_EQ(c.Pixels(0, 0), RGB(0x3F, 0x3F, 0x3F));
}

TEST(Raster, BitBltRasterOperationsOnKnownPixels) {
  StartGraphics();
  // Source, destination and pattern bits in all combinations per channel.
  const std::uint32_t S = 0xF0, D = 0xCC, P = 0xAA;
  struct Case {
    const char* name;
    std::uint32_t rop;
    std::uint32_t expect;
  } cases[] = {
      {"SRCCOPY", SRCCOPY, S},           {"SRCPAINT", SRCPAINT, S | D},
      {"SRCAND", SRCAND, S & D},         {"SRCINVERT", SRCINVERT, S ^ D},
      {"SRCERASE", SRCERASE, S & ~D},    {"NOTSRCCOPY", NOTSRCCOPY, ~S},
      {"NOTSRCERASE", NOTSRCERASE, ~(S | D)}, {"MERGEPAINT", MERGEPAINT, ~S | D},
      {"DSTINVERT", DSTINVERT, ~D},      {"PATINVERT", PATINVERT, P ^ D},
      {"BLACKNESS", BLACKNESS, 0},       {"WHITENESS", WHITENESS, 0xFF},
      {"MERGECOPY", MERGECOPY, P & S},   {"PATCOPY", PATCOPY, P},
      {"PSDPxax", 0x00B8074A, (P & ~S) | (D & S)},
  };
  TBitmap src(4, 4);
  Fill(src, RGB(S, S, S));
  for (const auto& k : cases) {
    TBitmap dst(4, 4);
    Fill(dst, RGB(D, D, D));
    dst.Canvas()->Brush()->SetColor(RGB(P, P, P));
    dst.Canvas()->BitBlt(1, 1, 2, 2, src.Canvas(), 0, 0, k.rop);
    int v = static_cast<int>(k.expect & 0xFF);
    EXPECT_EQ(dst.Canvas()->Pixels(1, 1), RGB(v, v, v)) << k.name;
    EXPECT_EQ(dst.Canvas()->Pixels(2, 2), RGB(v, v, v)) << k.name;
    EXPECT_EQ(dst.Canvas()->Pixels(0, 0), RGB(D, D, D)) << k.name;  // outside untouched
    EXPECT_EQ(dst.Canvas()->Pixels(3, 3), RGB(D, D, D)) << k.name;
  }
  // PatBlt needs no source.
  TBitmap d(2, 2);
  Fill(d, clWhite);
  d.Canvas()->PatBlt(0, 0, 1, 1, BLACKNESS);
  EXPECT_EQ(d.Canvas()->Pixels(0, 0), clBlack);
  EXPECT_EQ(d.Canvas()->Pixels(1, 1), clWhite);
}

TEST(Raster, StretchingAndCopyModeAndTransparentDrawing) {
  StartGraphics();
  TBitmap src(2, 2);
  TCanvas& s = *src.Canvas();
  s.SetPixels(0, 0, clRed);
  s.SetPixels(1, 0, clLime);
  s.SetPixels(0, 1, clBlue);
  s.SetPixels(1, 1, clWhite);
  TBitmap dst(8, 8);
  Fill(dst, clBlack);
  dst.Canvas()->StretchDraw({0, 0, 8, 8}, src);
  EXPECT_EQ(Count(dst, {0, 0, 4, 4}, clRed), 16);
  EXPECT_EQ(Count(dst, {4, 4, 8, 8}, clWhite), 16);
  // Transparent: the bottom-left pixel's colour (blue) is left out by default,
  // or a colour the caller names.
  Fill(dst, clBlack);
  src.SetTransparent(true);
  dst.Canvas()->Draw(0, 0, src);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 1), clBlack);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 0), clRed);
  src.SetTransparentColor(src.Canvas()->Pixels(0, 0));  // the top-left pixel instead
  Fill(dst, clBlack);
  dst.Canvas()->Draw(0, 0, src);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 0), clBlack);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 1), clBlue);
  // Opaque drawing follows the canvas's copy mode.
  src.SetTransparent(false);
  Fill(dst, clWhite);
  dst.Canvas()->SetCopyMode(SRCAND);
  dst.Canvas()->Draw(0, 0, src);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 0), clRed);
  dst.Canvas()->CopyRect({4, 4, 6, 6}, *src.Canvas(), {0, 0, 2, 2});
  EXPECT_EQ(dst.Canvas()->Pixels(5, 4), clLime);
}

TEST(Raster, ClippingLimitsEveryOperation) {
  StartGraphics();
  TBitmap b(20, 20);
  Fill(b, clWhite);
  TCanvas& c = *b.Canvas();
  c.IntersectClipRect(5, 5, 15, 15);
  c.ExcludeClipRect(8, 8, 12, 12);
  c.Brush()->SetColor(clRed);
  c.FillRect({0, 0, 20, 20});
  EXPECT_EQ(Count(b, {0, 0, 20, 20}, clRed), 100 - 16);
  EXPECT_EQ(c.Pixels(10, 10), clWhite);
  EXPECT_EQ(c.Pixels(4, 4), clWhite);
  c.Pen()->SetColor(clBlue);
  c.MoveTo(0, 10);
  c.LineTo(20, 10);
  EXPECT_EQ(Count(b, {0, 10, 20, 11}, clBlue), 6);
  c.SetPixels(0, 0, clBlue);
  EXPECT_EQ(c.Pixels(0, 0), clWhite);
  c.SelectClipRect(nullptr);
  c.SetPixels(0, 0, clBlue);
  EXPECT_EQ(c.Pixels(0, 0), clBlue);
  // A hole cut into an unclipped canvas leaves the rest of the bitmap.
  c.ExcludeClipRect(0, 0, 10, 20);
  EXPECT_EQ(c.ClipRect(), (TRect{10, 0, 20, 20}));
  c.Brush()->SetColor(clLime);
  c.FillRect({0, 0, 20, 20});
  EXPECT_EQ(Count(b, {0, 0, 20, 20}, clLime), 200);
}

TEST(Raster, ScrollDcMovesPixelsAndReportsTheUncoveredStrip) {
  StartGraphics();
  TBitmap b(10, 10);
  Fill(b, clWhite);
  TCanvas& c = *b.Canvas();
  for (int y = 0; y < 10; ++y) c.SetPixels(0, y, RGB(y * 20, 0, 0));
  TRect area{0, 0, 10, 10}, upd;
  ASSERT_TRUE(c.ScrollDC(0, 3, &area, &area, &upd));
  EXPECT_EQ(upd, (TRect{0, 0, 10, 3}));
  for (int y = 3; y < 10; ++y) EXPECT_EQ(c.Pixels(0, y), RGB((y - 3) * 20, 0, 0)) << y;
  ASSERT_TRUE(c.ScrollDC(0, -5, &area, &area, &upd));
  EXPECT_EQ(upd, (TRect{0, 5, 10, 10}));
  EXPECT_EQ(c.Pixels(0, 0), RGB(40, 0, 0));
  // Sideways, limited to a part of the device.
  Fill(b, clWhite);
  c.SetPixels(2, 2, clRed);
  TRect part{0, 0, 5, 5};
  ASSERT_TRUE(c.ScrollDC(2, 0, &part, &part, &upd));
  EXPECT_EQ(upd, (TRect{0, 0, 2, 5}));
  EXPECT_EQ(c.Pixels(4, 2), clRed);
  ASSERT_TRUE(c.ScrollDC(2, 0, &part, &part, &upd));
  EXPECT_EQ(Count(b, {0, 0, 10, 10}, clRed), 0);  // moved past the area's edge: gone
  // Farther than the area: all of it is uncovered.
  ASSERT_TRUE(c.ScrollDC(0, 20, &part, &part, &upd));
  EXPECT_EQ(upd, part);
}

TEST(Raster, ExtTextOutPlacesEachGlyphWhereTheAdvancesSay) {
  StartGraphics();
  const std::string text = "Weltgeschehen 1848";
  TBitmap run(300, 40), single(300, 40);
  for (TBitmap* b : {&run, &single}) {
    Fill(*b, clWhite);
    b->Canvas()->Font()->SetName("Arial");
    b->Canvas()->Font()->SetHeight(-16);
    b->Canvas()->SetBkMode(TRANSPARENT);
    b->Canvas()->SetTextAlign(TA_BASELINE);
  }
  // Irregular advances (wider than the glyphs, as justified text has).
  std::vector<int> adv;
  for (std::size_t i = 0; i < text.size(); ++i) adv.push_back(run.Canvas()->Font()->Data().Widths[static_cast<unsigned char>(text[i])] + static_cast<int>(i % 3));
  run.Canvas()->ExtTextOut(5, 30, 0, nullptr, text.data(), static_cast<int>(text.size()), adv.data());
  int x = 5;
  for (std::size_t i = 0; i < text.size(); ++i) {
    single.Canvas()->ExtTextOut(x, 30, 0, nullptr, &text[i], 1);
    x += adv[i];
  }
  int inked = 0, differ = 0;
  for (int yy = 0; yy < 40; ++yy)
    for (int xx = 0; xx < 300; ++xx) {
      TColor a = run.Canvas()->Pixels(xx, yy), b = single.Canvas()->Pixels(xx, yy);
      inked += a != clWhite;
      differ += a != b;
    }
  EXPECT_GT(inked, 100);
  EXPECT_EQ(differ, 0);
  // The same text without the extra advances is narrower on screen.
  TBitmap plain(300, 40);
  Fill(plain, clWhite);
  plain.Canvas()->Font()->SetName("Arial");
  plain.Canvas()->Font()->SetHeight(-16);
  plain.Canvas()->TextOut(5, 5, text);
  int right = 0;
  for (int xx = 0; xx < 300; ++xx)
    for (int yy = 0; yy < 40; ++yy)
      if (plain.Canvas()->Pixels(xx, yy) != clWhite) right = xx;
  EXPECT_LE(right, 5 + plain.Canvas()->TextWidth(text));
  run.SaveToPng(OutPath("gfx_exttextout_run.png"));
}

TEST(Raster, TextClippedToItsRectangle) {
  StartGraphics();
  TBitmap b(100, 30);
  Fill(b, clWhite);
  TCanvas& c = *b.Canvas();
  c.Font()->SetName("Arial");
  c.Font()->SetHeight(-20);
  TRect r{0, 0, 20, 30};
  c.TextRect(r, 0, 0, "WWWWWW");
  int inside = 0, outside = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 20; ++x) inside += c.Pixels(x, y) != clWhite;
  EXPECT_GT(inside, 20);
  for (int y = 0; y < 30; ++y)
    for (int x = 20; x < 100; ++x) outside += c.Pixels(x, y) != clWhite;
  EXPECT_EQ(outside, 0);
}

TEST(Raster, WithoutAToolkitShapesWorkAndGlyphsRaise) {
  TSurface s;
  s.Resize(10, 10);
  TRasterDevice dev(s);
  TCanvas c(&dev);
  c.Brush()->SetColor(clRed);
  c.FillRect({0, 0, 5, 5});
  EXPECT_EQ(c.Pixels(4, 4), clRed);
  EXPECT_EQ(c.Pixels(5, 5), clWhite);
  EXPECT_EQ(c.Pixels(10, 10), clNone);
  EXPECT_THROW(c.TextOut(0, 0, "x"), EInvalidOperation);
}
