// Text on a toolkit bitmap under a clip: the ink measured for each glyph
// holds every pixel the glyph changes wherever it is drawn, and a clipped run
// changes exactly the pixels inside the clip that the same run drawn without
// the clip changes, to the same values, whether its ink crosses the clip's
// edge, lies inside it, or could not be bounded at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/qt/qt_gfx_device.h"
#include "platform/qt/qt_host.h"

namespace {

std::uint32_t* Pixels(TBitmap& b) { return b.Canvas()->Device()->Surface()->Bits(); }

// A background whose every pixel differs from its neighbours, so that a
// pixel copied to the wrong place shows.
void PaintPattern(TBitmap& b) {
  TSurface& s = *b.Canvas()->Device()->Surface();
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      s.Row(y)[x] = 0xFF000000u | static_cast<std::uint32_t>((x * 7) & 0xFF) << 16 |
                    static_cast<std::uint32_t>((y * 13) & 0xFF) << 8 | static_cast<std::uint32_t>(((x + y) * 5) & 0xFF);
}

void SetFont(TCanvas& c, const char* name, int height, TFontStyles style) {
  c.Font()->SetName(name);
  c.Font()->SetHeight(height);
  c.Font()->SetStyle(style);
}

const qtgfx::QtFontData& FontOf(TCanvas& c) {
  const auto* fd = dynamic_cast<const qtgfx::QtFontData*>(&c.Font()->Data());
  EXPECT_NE(fd, nullptr);
  return *fd;
}

struct Case {
  const char* Name;
  const char* Font;
  int Height;
  TFontStyles Style;
  std::string Text;
  TColor Color;
  int X, Y;                                 // baseline start
  TRect Rect;                               // the run's clip rectangle
  std::function<void(TCanvas&)> ClipSetUp;  // the canvas's own clip
};

// Draws the case clipped on one bitmap and unclipped on another (both on
// the pattern) and marks on a third which pixels the clip lets through.
struct Drawn {
  TBitmap Clipped{160, 60}, Unclipped{160, 60}, Mask{160, 60};
};

void DrawCase(const Case& k, Drawn& d) {
  for (TBitmap* b : {&d.Clipped, &d.Unclipped}) {
    PaintPattern(*b);
    TCanvas& c = *b->Canvas();
    SetFont(c, k.Font, k.Height, k.Style);
    c.SetBkMode(TRANSPARENT);
    c.SetTextColor(k.Color);
    c.SetTextAlign(TA_BASELINE);
  }
  TCanvas& c = *d.Clipped.Canvas();
  if (k.ClipSetUp) k.ClipSetUp(c);
  c.ExtTextOut(k.X, k.Y, ETO_CLIPPED, &k.Rect, k.Text.data(), static_cast<int>(k.Text.size()));
  d.Unclipped.Canvas()->ExtTextOut(k.X, k.Y, 0, nullptr, k.Text.data(), static_cast<int>(k.Text.size()));
  TCanvas& m = *d.Mask.Canvas();
  m.Brush()->SetColor(clBlack);
  m.FillRect({0, 0, 160, 60});
  if (k.ClipSetUp) k.ClipSetUp(m);
  m.Brush()->SetColor(clWhite);
  m.FillRect(k.Rect);
}

// Compares the clipped drawing with the unclipped one inside the clip and
// the pattern outside; returns how many changed pixels the clip cut away.
int ExpectClippedExactly(const Case& k) {
  SCOPED_TRACE(k.Name);
  Drawn d;
  DrawCase(k, d);
  TBitmap pattern(160, 60);
  PaintPattern(pattern);
  const std::uint32_t *clipped = Pixels(d.Clipped), *unclipped = Pixels(d.Unclipped), *mask = Pixels(d.Mask),
                      *back = Pixels(pattern);
  int wrong = 0, inked = 0, cut = 0;
  for (int i = 0; i < 160 * 60; ++i) {
    const bool inside = (mask[i] & 0xFFFFFF) == 0xFFFFFF;
    wrong += clipped[i] != (inside ? unclipped[i] : back[i]);
    inked += inside && unclipped[i] != back[i];
    cut += !inside && unclipped[i] != back[i];
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(inked, 20);
  return cut;
}

}  // namespace

TEST(QtTextClip, MeasuredInkHoldsEveryPixelAGlyphChangesWhereverItIsDrawn) {
  qthost::EnsureGuiApplication();
  struct FontCase {
    const char* Name;
    int Height;
    TFontStyles Style;
  };
  // Hinted small text, italics that lean out of their advance, a symbol
  // font and a size drawn as outlines rather than from the glyph cache.
  const FontCase fonts[] = {{"Arial", -11, {}},           {"Arial", -13, {fsBold}},
                            {"Times New Roman", -17, {fsItalic}}, {"Courier New", -12, {fsBold, fsItalic}},
                            {"Wingdings", -14, {}},       {"Arial", -70, {fsItalic}}};
  const std::pair<TColor, TColor> colours[] = {{clBlack, clWhite}, {clWhite, clBlack}, {clYellow, clNavy}};
  for (const FontCase& f : fonts) {
    const int size = std::max(60, -3 * f.Height);
    TBitmap b(size, size);
    TCanvas& c = *b.Canvas();
    SetFont(c, f.Name, f.Height, f.Style);
    const qtgfx::QtFontData& fd = FontOf(c);
    c.SetBkMode(TRANSPARENT);
    c.SetTextAlign(TA_BASELINE);
    int glyphs = 0, tight = 0;
    for (int ch = 33; ch < 256; ++ch) {
      const char text = static_cast<char>(ch);
      if (!fd.Glyphs[ch]) continue;
      ++glyphs;
      // Pen positions that differ in every way from where the glyph was
      // measured.
      const int px = size / 3 + ch % 5, py = size * 2 / 3 + ch % 3;
      const int adv = fd.Widths[ch];
      TTextRun run;
      run.X = px;
      run.Y = py;
      run.Text = &text;
      run.Length = 1;
      run.Advances = &adv;
      run.Font = &fd;
      const TRect box = qtgfx::RunInk(fd, run);
      int l = INT32_MAX, t = INT32_MAX, r = INT32_MIN, bt = INT32_MIN, outside = 0;
      for (const auto& [fg, bg] : colours) {
        c.Brush()->SetColor(bg);
        c.FillRect({0, 0, size, size});
        c.SetBkMode(TRANSPARENT);
        c.SetTextColor(fg);
        c.ExtTextOut(px, py, 0, nullptr, &text, 1);
        const std::uint32_t bgPixel = ColorToPixel(bg);
        for (int y = 0; y < size; ++y)
          for (int x = 0; x < size; ++x) {
            if (b.Canvas()->Device()->Surface()->Row(y)[x] == bgPixel) continue;
            outside += !PtInRect(box, {x, y});
            l = std::min(l, x), t = std::min(t, y), r = std::max(r, x + 1), bt = std::max(bt, y + 1);
          }
      }
      EXPECT_EQ(outside, 0) << f.Name << " " << f.Height << " byte " << ch;
      // The box is no larger than the ink on these backgrounds, give or take
      // a pixel of the faintest coverage; a glyph that draws nothing has none.
      if (l == INT32_MAX ? box.IsEmpty()
                         : box.Left >= l - 1 && box.Top >= t - 1 && box.Right <= r + 1 && box.Bottom <= bt + 1)
        ++tight;
    }
    EXPECT_GT(glyphs, 20) << f.Name;
    EXPECT_EQ(tight, glyphs) << f.Name << " " << f.Height;
  }
}

TEST(QtTextClip, ClippedRunsChangeExactlyWhatTheUnclippedRunChangesInsideTheClip) {
  qthost::EnsureGuiApplication();
  const std::string text = "fjJWy\xE4gt Qualit\xE4t";
  const std::vector<Case> cases = {
      {"cut on all four sides", "Arial", -24, {}, text, clNavy, 4, 34, {9, 20, 120, 38}, nullptr},
      {"italic leaning out at the right", "Times New Roman", -22, {fsItalic}, text, clMaroon, 10, 30,
       {10, 10, 90, 40}, nullptr},
      {"a clip of several rectangles", "Arial", -20, {fsBold}, text, clWhite, 6, 30, {0, 0, 160, 60},
       [](TCanvas& c) {
         c.IntersectClipRect(8, 14, 150, 40);
         c.ExcludeClipRect(40, 20, 70, 28);
         c.ExcludeClipRect(90, 0, 96, 60);
       }},
      {"running off the bitmap", "Arial", -30, {}, text, clBlack, -9, 22, {-20, -20, 140, 30}, nullptr},
      {"wholly inside", "Arial", -13, {}, text, clBlue, 20, 30, {10, 10, 150, 50}, nullptr},
  };
  int cut = 0;
  for (const Case& k : cases) cut += ExpectClippedExactly(k);
  EXPECT_GT(cut, 100);  // the clips did cut ink

  // A clip that lets nothing through draws nothing.
  Drawn d;
  Case none = cases[0];
  none.ClipSetUp = [](TCanvas& c) { c.IntersectClipRect(0, 0, 0, 0); };
  DrawCase(none, d);
  TBitmap pattern(160, 60);
  PaintPattern(pattern);
  EXPECT_EQ(std::memcmp(Pixels(d.Clipped), Pixels(pattern), 160 * 60 * 4), 0);
}

TEST(QtTextClip, GlyphsWithoutBoundedInkAreClippedExactlyToo) {
  qthost::EnsureGuiApplication();
  // A size no other test draws, so that marking its glyphs leaves the
  // others' fonts alone.
  TBitmap b(10, 10);
  SetFont(*b.Canvas(), "Arial", -27, {});
  const qtgfx::QtFontData& fd = FontOf(*b.Canvas());
  for (auto& ink : fd.Ink) ink.store(qtgfx::PackInk(qtgfx::kUnboundedInk));
  const std::string text = "Wj\xE4hrung";
  const int adv[8] = {20, 20, 20, 20, 20, 20, 20, 20};
  TTextRun run;
  run.X = 5;
  run.Y = 30;
  run.Text = text.data();
  run.Length = text.size();
  run.Advances = adv;
  run.Font = &fd;
  EXPECT_TRUE(PtInRect(qtgfx::RunInk(fd, run), {1 << 29, -(1 << 29)}));
  EXPECT_GT(ExpectClippedExactly({"unbounded, cut", "Arial", -27, {}, text, clGreen, 3, 36, {12, 14, 100, 40},
                                  [](TCanvas& c) { c.ExcludeClipRect(50, 0, 60, 60); }}),
            50);
  ExpectClippedExactly({"unbounded, inside", "Arial", -27, {}, text, clGreen, 3, 36, {0, 0, 160, 60}, nullptr});
}

// At scale 2 a lone letter is centred in its room as in its own advance at twice the size: no gap opens.
TEST(QtTextClip, AtScaleTwoEachLetterStandsInTheMiddleOfItsRoom) {
  qthost::EnsureGuiApplication();
  auto inkFromPen = [](TBitmap& b, char letter, double ink = 0, double moment = 0) {  // its centre, in pixels
    b.Canvas()->TextOut(10, 10, {letter});
    for (int i = 0, v; i < b.Width() * b.Height(); ++i)
      v = 255 - (b.Surface().Bits()[i] & 0xFF), ink += v, moment += v * (i % b.Width() + 0.5);
    return moment / ink - 10 * b.Surface().Scale();
  };
  for (const auto& [name, height] : {std::pair{"Arial", -11}, {"Times New Roman", -11}, {"Times New Roman", -19}})
    for (const char* l = "HilfeDnstagMo"; *l; ++l) {
      TBitmap plain(60, 60), fine(120, 120);
      fine.Surface().SetScale(2);
      SetFont(*fine.Canvas(), name, height, {}), SetFont(*plain.Canvas(), name, 2 * height, {});
      const double gained = 2 * fine.Canvas()->TextWidth({*l}) - FontOf(*plain.Canvas()).Advances[*l & 0xFF];
      EXPECT_NEAR(inkFromPen(fine, *l), inkFromPen(plain, *l) + gained / 2, 0.4) << name << height << *l;
    }
}
