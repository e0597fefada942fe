// A sheet of every canvas operation, drawn headless and saved as PNG
// (gfx_sheet.png in the build tree) to be looked at; a few pixels of each
// kind are checked as well.
#include <gtest/gtest.h>

#include "gfx_test_util.h"
#include "platform/gfx/bitmap.h"

TEST(Sheet, EveryOperationOnOnePicture) {
  StartGraphics();
  TBitmap sheet(640, 520);
  TCanvas& c = *sheet.Canvas();
  c.Brush()->SetColor(clBtnFace);
  c.FillRect({0, 0, 640, 520});
  c.Font()->SetName("Arial");
  c.Font()->SetHeight(-11);
  c.SetBkMode(TRANSPARENT);
  auto label = [&](int x, int y, const char* s) {
    c.Font()->SetColor(clBlack);
    c.Font()->SetStyle({});
    c.Font()->SetName("Arial");
    c.Font()->SetHeight(-11);
    c.SetBkMode(TRANSPARENT);
    c.TextOut(x, y, s);
  };

  // Row 1: pens.
  label(8, 4, "Stifte");
  const TPenStyle styles[] = {psSolid, psDot, psDash, psDashDot};
  for (int i = 0; i < 4; ++i) {
    c.Pen()->SetStyle(styles[i]);
    c.Pen()->SetColor(clNavy);
    c.MoveTo(8, 22 + 6 * i);
    c.LineTo(120, 22 + 6 * i);
  }
  c.Pen()->SetStyle(psSolid);
  c.Pen()->SetWidth(3);
  c.Pen()->SetColor(clMaroon);
  c.MoveTo(8, 50);
  c.LineTo(120, 62);
  c.Pen()->SetWidth(1);
  c.Pen()->SetMode(pmXor);
  c.Pen()->SetColor(clWhite);
  c.MoveTo(60, 14);
  c.LineTo(60, 66);
  c.Pen()->SetMode(pmCopy);

  // Shapes.
  label(140, 4, "Formen");
  c.Pen()->SetColor(clBlack);
  c.Brush()->SetColor(clYellow);
  c.Rectangle(140, 20, 190, 60);
  c.Brush()->SetColor(clAqua);
  c.Ellipse(200, 20, 250, 60);
  c.Brush()->SetColor(clGray);
  c.Pen()->SetColor(clGray);
  const std::vector<TPoint> arrow{{260, 40}, {275, 22}, {290, 40}};  // a calendar arrow
  c.Polygon(arrow);
  c.Pen()->SetColor(clRed);
  c.Polyline(std::vector<TPoint>{{260, 58}, {270, 48}, {280, 58}, {290, 48}});
  c.Pen()->SetColor(clBlack);

  // Brushes: the explorer button's down pattern and hatches.
  label(310, 4, "Pinsel");
  TBitmap pattern(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      pattern.Surface().Row(y)[x] = ColorToPixel(ColorToRGB(((x ^ y) & 1) ? clBtnFace : clBtnHighlight));
  c.Brush()->SetBitmap(&pattern);
  c.FillRect({310, 20, 350, 60});
  c.Brush()->SetBitmap(nullptr);
  c.Brush()->SetColor(clBlue);
  c.Brush()->SetStyle(bsDiagCross);
  c.FillRect({356, 20, 396, 60});
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(clRed);
  c.FrameRect({402, 20, 442, 60});
  c.DrawFocusRect({406, 24, 438, 56});

  // Frames.
  label(460, 4, "Kanten");
  TRect e1{460, 20, 500, 60}, e2{506, 20, 546, 60}, e3{552, 20, 592, 60};
  c.DrawEdge(e1, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  c.DrawEdge(e2, EDGE_SUNKEN, BF_RECT);
  c.DrawEdge(e3, EDGE_ETCHED, BF_RECT);

  // Row 2: fonts.
  label(8, 80, "Schriften");
  const char* names[] = {"Arial", "Times New Roman", "Courier New", "Book Antiqua", "MS Sans Serif"};
  for (int i = 0; i < 5; ++i) {
    c.Font()->SetName(names[i]);
    c.Font()->SetHeight(-16);
    c.TextOut(8, 96 + 20 * i, std::string(names[i]) + ": \xC4gypten, \xDF\x9C\x80 1515");
  }
  c.Font()->SetName("Arial");
  const TFontStyles st[] = {{fsBold}, {fsItalic}, {fsUnderline}, {fsStrikeOut}};
  const char* sn[] = {"fett", "kursiv", "unterstrichen", "durchgestrichen"};
  int x = 8;
  for (int i = 0; i < 4; ++i) {
    c.Font()->SetStyle(st[i]);
    c.TextOut(x, 200, sn[i]);
    x += c.TextWidth(sn[i]) + 12;
  }
  c.Font()->SetStyle({});
  c.Font()->SetName("WingDings");
  c.Font()->SetHeight(-18);
  c.TextOut(8, 222, "l ^_`abcdefghi");

  // Text calls.
  label(330, 80, "Textaufrufe");
  c.Font()->SetName("Arial");
  c.Font()->SetHeight(-13);
  c.SetBkColor(clYellow);
  TRect opaque{330, 96, 450, 114};
  c.ExtTextOut(334, 98, ETO_OPAQUE | ETO_CLIPPED, &opaque, "undurchsichtig und abgeschnitten", 32);
  const int adv[] = {16, 16, 16, 16, 16, 16};
  c.SetBkMode(TRANSPARENT);
  c.ExtTextOut(460, 98, 0, nullptr, "Blocks", 6, adv);
  TRect d1{330, 120, 450, 160};
  c.Brush()->SetColor(clWhite);
  c.FillRect(d1);
  c.DrawText("&Mitte, senkrecht", d1, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  TRect d2{460, 120, 630, 160};
  c.FillRect(d2);
  c.DrawText("Umbruch an Wortgrenzen bei schmaler Breite", d2, DT_WORDBREAK);
  TRect d3{330, 166, 450, 184};
  c.FillRect(d3);
  c.DrawText("Ein zu langer Text mit Auslassung", d3, DT_SINGLELINE | DT_END_ELLIPSIS);
  TRect d4{460, 166, 630, 184};
  c.FillRect(d4);
  c.DrawText("rechts", d4, DT_RIGHT | DT_SINGLELINE);

  // Row 3: frame controls.
  label(8, 250, "Bedienelemente");
  c.DrawFrameControl({8, 266, 68, 290}, DFC_BUTTON, DFCS_BUTTONPUSH);
  c.DrawFrameControl({74, 266, 134, 290}, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
  c.DrawFrameControl({140, 266, 156, 282}, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  c.DrawFrameControl({162, 266, 178, 282}, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
  c.DrawFrameControl({184, 266, 201, 283}, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
  c.DrawFrameControl({206, 266, 222, 282}, DFC_SCROLL, DFCS_SCROLLUP);
  c.DrawFrameControl({226, 266, 242, 282}, DFC_SCROLL, DFCS_SCROLLLEFT | DFCS_INACTIVE);
  TBitmap combo;
  ASSERT_TRUE(LoadSystemBitmap(combo, OBM_COMBO));
  c.Draw(250, 272, combo);

  // Bit blocks with raster operations, stretching, transparency.
  label(280, 250, "Bitbl\xF6" "cke");
  TBitmap src(24, 24);
  src.Canvas()->Brush()->SetColor(clFuchsia);
  src.Canvas()->FillRect({0, 0, 24, 24});
  src.Canvas()->Brush()->SetColor(clBlue);
  src.Canvas()->Pen()->SetColor(clBlue);
  src.Canvas()->Ellipse(2, 2, 22, 22);
  const std::uint32_t rops[] = {SRCCOPY, SRCPAINT, SRCAND, SRCINVERT, SRCERASE, NOTSRCCOPY, NOTSRCERASE, MERGEPAINT};
  for (int i = 0; i < 8; ++i) {
    c.Brush()->SetColor(clLime);
    c.FillRect(Bounds(280 + 28 * i, 266, 24, 24));
    c.BitBlt(280 + 28 * i, 266, 24, 24, src.Canvas(), 0, 0, rops[i]);
  }
  c.Brush()->SetColor(clWhite);
  c.PatBlt(280, 294, 50, 10, PATINVERT);
  c.PatBlt(336, 294, 50, 10, DSTINVERT);
  c.PatBlt(392, 294, 50, 10, BLACKNESS);
  c.StretchDraw({8, 310, 72, 374}, src);
  src.SetTransparent(true);
  src.SetTransparentColor(clFuchsia);
  c.Draw(80, 330, src);
  auto mask = src.CreateMask(clFuchsia);
  // Embossed (disabled) face: the mask in highlight, offset, then in shadow.
  c.Brush()->SetColor(clBtnHighlight);
  c.BitBlt(121, 331, 24, 24, mask->Canvas(), 0, 0, 0x00B8074A);
  c.Brush()->SetColor(clBtnShadow);
  c.BitBlt(120, 330, 24, 24, mask->Canvas(), 0, 0, 0x00B8074A);

  // Clipping and scrolling.
  label(180, 310, "Ausschnitt und Rollen");
  c.SaveDC();
  c.IntersectClipRect(180, 326, 300, 380);
  c.ExcludeClipRect(220, 340, 260, 366);
  c.Brush()->SetColor(clTeal);
  c.FillRect({0, 0, 640, 520});
  c.RestoreDC(-1);
  c.Brush()->SetColor(clWhite);
  c.FillRect({320, 326, 440, 380});
  c.Font()->SetHeight(-13);
  for (int i = 0; i < 3; ++i) c.TextOut(324, 328 + 16 * i, "Zeile " + std::to_string(i + 1));
  TRect scrollArea{320, 326, 440, 380}, upd;
  c.ScrollDC(0, -16, &scrollArea, &scrollArea, &upd);
  c.Brush()->SetColor(clInfoBk);
  c.FillRect(upd);
  for (int i = 0; i < 5; ++i) c.SetPixels(460 + 2 * i, 330, clRed);

  sheet.SaveToPng(OutPath("gfx_sheet.png"));

  // Spot checks: edge colours, the clip hole, the scrolled strip, pixels.
  EXPECT_EQ(c.Pixels(460, 20), RGB(192, 192, 192));  // raised outer ring: 3-D light
  EXPECT_EQ(c.Pixels(499, 59), clBlack);             // raised outer ring: dark shadow
  EXPECT_EQ(c.Pixels(506, 20), clGray);              // sunken outer ring: shadow
  EXPECT_EQ(c.Pixels(190, 330), clTeal);
  EXPECT_EQ(c.Pixels(240, 350), RGB(192, 192, 192));  // the excluded hole
  EXPECT_EQ(upd, (TRect{320, 364, 440, 380}));
  EXPECT_EQ(c.Pixels(325, 370), RGB(255, 255, 225));
  EXPECT_EQ(c.Pixels(462, 330), clRed);
  EXPECT_EQ(c.Pixels(392, 300), clBlack);
  EXPECT_EQ(c.Pixels(83, 333), RGB(192, 192, 192));  // transparent corner shows the face
  EXPECT_EQ(c.Pixels(92, 342), clBlue);
}
