// Font matching and metrics. The expected metrics are computed here from the
// font file itself (its own tables, read by a small parser below), so the
// engine's reading of the tables through the toolkit is checked against an
// independent reading.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "gfx_test_util.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/color.h"
#include "platform/gfx/font.h"

namespace {

struct TtfFile {
  std::vector<std::uint8_t> bytes;
  std::map<std::string, std::pair<std::uint32_t, std::uint32_t>> tables;
  int U16(std::uint32_t off) const { return (bytes[off] << 8) | bytes[off + 1]; }
  int I16(std::uint32_t off) const { return static_cast<std::int16_t>(U16(off)); }
  std::uint32_t U32(std::uint32_t off) const {
    return (static_cast<std::uint32_t>(bytes[off]) << 24) | (bytes[off + 1] << 16) | (bytes[off + 2] << 8) | bytes[off + 3];
  }
  std::uint32_t Table(const char* tag) const { return tables.at(tag).first; }
  explicit TtfFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(f), {});
    if (bytes.size() < 12) return;
    int n = U16(4);
    for (int i = 0; i < n; ++i) {
      std::uint32_t rec = 12 + 16 * i;
      tables[std::string(reinterpret_cast<const char*>(&bytes[rec]), 4)] = {U32(rec + 8), U32(rec + 12)};
    }
  }
  bool Ok() const { return tables.count("OS/2") && tables.count("hhea") && tables.count("head"); }
};

// The file the program draws a Windows font name from.
std::string FileOf(const char* name, TFontStyles style = {}) {
  TFont f;
  f.SetName(name);
  f.SetStyle(style);
  return f.Data().File;
}

}  // namespace

TEST(Colours, SystemColoursResolveThroughTheClassicTable) {
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(192, 192, 192));
  EXPECT_EQ(ColorToRGB(clBtnShadow), RGB(128, 128, 128));
  EXPECT_EQ(ColorToRGB(clBtnHighlight), RGB(255, 255, 255));
  EXPECT_EQ(ColorToRGB(clHighlight), RGB(0, 0, 128));
  EXPECT_EQ(ColorToRGB(clHighlightText), clWhite);
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
  EXPECT_EQ(ColorToRGB(clGrayText), clGray);
  EXPECT_EQ(ColorToRGB(clInfoBk), RGB(255, 255, 225));
  EXPECT_EQ(ColorToRGB(clNavy), clNavy);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(GetSysColor(99), clBlack);
  // A system colour survives the trip through a canvas as plain RGB.
  EXPECT_EQ(ColorToPixel(ColorToRGB(clBtnFace)), 0xFFC0C0C0u);
  EXPECT_EQ(PixelToColor(0xFF102030u), RGB(0x10, 0x20, 0x30));
}

TEST(Fonts, WindowsNamesMapToMetricCompatibleFamilies) {
  StartGraphics();
  const std::pair<const char*, const char*> cases[] = {
      {"Arial", "Liberation Sans"},          {"arial", "Liberation Sans"},
      {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"},
      {"Book Antiqua", "P052"},              {"MS Sans Serif", "Liberation Sans"},
      {"Gibt es nicht", "Liberation Sans"},  {"DejaVu Serif", "DejaVu Serif"},
  };
  for (auto [name, family] : cases) {
    TFont f;
    f.SetName(name);
    EXPECT_EQ(f.Data().Family, family) << name;
    EXPECT_EQ(f.Name(), name);  // the caller keeps seeing its own name
    EXPECT_EQ(f.Data().Request.Name, name);
  }
}

TEST(Fonts, TheListOfFontsOffersTheWindowsNamesDrawnByInstalledFamilies) {
  StartGraphics();
  const std::vector<std::string> listed = FontEngine().Families();
  for (const char* name : {"Arial", "Times New Roman", "Courier New", "Book Antiqua", "Wingdings", "Liberation Sans"})
    EXPECT_EQ(std::count(listed.begin(), listed.end(), name), 1) << name;
  // Every name offered draws with a family the toolkit has installed.
  std::vector<std::string> installed;
  for (const std::string& f : qthost::FontFamilies()) installed.push_back(f.substr(0, f.find(" [")));
  for (const std::string& name : listed) {
    TFont f;
    f.SetName(name);
    EXPECT_NE(std::find(installed.begin(), installed.end(), f.Data().Family), installed.end()) << name;
  }
}

TEST(Fonts, SymbolFontDrawsUnicodeEquivalents) {
  StartGraphics();
  TFont f;
  f.SetName("WingDings");
  const TFontData& d = f.Data();
  EXPECT_TRUE(d.Symbol);
  EXPECT_EQ(d.Unicode[static_cast<unsigned char>('l')], U'\u25CF');
  for (int c = 94; c <= 105; ++c) EXPECT_EQ(d.Unicode[c], static_cast<char32_t>(0x2648 + c - 94)) << c;
  EXPECT_EQ(d.Metric.tmCharSet, SYMBOL_CHARSET);
  EXPECT_GT(d.Widths[static_cast<unsigned char>('l')], d.Widths[32]);  // a real glyph, not a blank
  TFont plain;
  plain.SetName("Arial");
  EXPECT_FALSE(plain.Data().Symbol);
  EXPECT_EQ(plain.Data().Unicode[0x80], U'\u20AC');
  EXPECT_EQ(plain.Data().Unicode[0xE4], U'\u00E4');
}

TEST(Fonts, ArialMetricsFollowTheWindowsRules) {
  StartGraphics();
  // The tables of the very file the program reads its metrics from.
  TtfFile ttf(FileOf("Arial"));
  ASSERT_TRUE(ttf.Ok());
  const int upem = ttf.U16(ttf.Table("head") + 18);
  const auto os2 = ttf.Table("OS/2"), hhea = ttf.Table("hhea");
  const int winAsc = ttf.U16(os2 + 74), winDesc = ttf.U16(os2 + 76), avg = ttf.I16(os2 + 2);
  const int hAsc = ttf.I16(hhea + 4), hDesc = ttf.I16(hhea + 6), gap = ttf.I16(hhea + 8);
  const int advMax = ttf.U16(hhea + 10);
  for (int ppi : {96, 600}) {
    for (int points : {8, 9, 10, 12, 14, 24}) {
      TFont f;
      f.SetPixelsPerInch(ppi);
      f.SetName("Arial");
      f.SetSize(points);
      const int ppem = MulDiv(points, ppi, 72);
      EXPECT_EQ(f.Height(), -ppem);
      EXPECT_EQ(f.Size(), points);
      const TTextMetric& m = f.Data().Metric;
      const double s = static_cast<double>(ppem) / upem;
      SCOPED_TRACE(std::to_string(points) + "pt at " + std::to_string(ppi));
      EXPECT_EQ(m.tmAscent, std::lround(winAsc * s));
      EXPECT_EQ(m.tmDescent, std::lround(winDesc * s));
      EXPECT_EQ(m.tmHeight, m.tmAscent + m.tmDescent);
      EXPECT_EQ(m.tmInternalLeading, m.tmHeight - ppem);
      EXPECT_EQ(m.tmExternalLeading, std::max(0L, std::lround((gap - ((winAsc + winDesc) - (hAsc - hDesc))) * s)));
      EXPECT_EQ(m.tmAveCharWidth, std::lround(avg * s));
      EXPECT_EQ(m.tmMaxCharWidth, std::lround(advMax * s));
      EXPECT_EQ(m.tmWeight, 400);
    }
  }
}

// Metrics are part of every layout: a mapped name is drawn from the same
// files whatever else the machine has installed (a newer release of a
// family under the same name measures differently: Arial at 8 points would
// be 15 pixels at its widest instead of 12).
TEST(Fonts, MappedNamesComeFromTheReleaseTheLayoutsWereMadeWith) {
  StartGraphics();
  for (const char* name : {"Arial", "Times New Roman", "Courier New", "Arial Narrow"})
    for (TFontStyles style : {TFontStyles{}, TFontStyles{fsBold}, TFontStyles{fsItalic}, TFontStyles{fsBold, fsItalic}}) {
      SCOPED_TRACE(std::string(name) + " style " + std::to_string(style.Bits()));
      TtfFile ttf(FileOf(name, style));
      ASSERT_TRUE(ttf.Ok());
      const double revision = static_cast<std::int32_t>(ttf.U32(ttf.Table("head") + 4)) / 65536.0;
      EXPECT_GE(revision, 1.0);
      EXPECT_LT(revision, 2.0);  // the 1.x release of the metric-compatible families
    }
  TtfFile antiqua(FileOf("Book Antiqua"));
  EXPECT_TRUE(antiqua.Ok());
  TFont arial;
  arial.SetName("Arial");
  arial.SetSize(8);
  EXPECT_EQ(arial.Data().Metric.tmMaxCharWidth, 12);
  EXPECT_EQ(arial.Data().Metric.tmHeight, 12);
}

TEST(Fonts, PositiveHeightIsTheCellHeight) {
  StartGraphics();
  for (int h : {12, 16, 20, 33}) {
    TFont f;
    f.SetName("Arial");
    f.SetHeight(h);
    EXPECT_EQ(f.Data().Metric.tmHeight, h);
    EXPECT_LT(f.Size(), 0);  // a cell height has no point size of its own
  }
}

TEST(Fonts, EveryByteHasAPositiveIntegerAdvanceAndExtentsAdd) {
  StartGraphics();
  for (const char* name : {"Arial", "Times New Roman", "Courier New", "Book Antiqua", "WingDings"}) {
    for (int h : {-11, -13, -16, -83}) {
      TFont f;
      f.SetName(name);
      f.SetHeight(h);
      const TFontData& d = f.Data();
      for (int c = 0; c < 256; ++c) EXPECT_GT(d.Widths[c], 0) << name << " " << h << " byte " << c;
      for (int c = 0; c < 32; ++c) EXPECT_EQ(d.Widths[c], d.Widths[32]);
    }
  }
  TFont f;
  f.SetName("Arial");
  f.SetSize(10);
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
  int sum = 0;
  for (unsigned char c : all) sum += f.Data().Widths[c];
  EXPECT_EQ(f.Data().TextWidth(all.data(), all.size()), sum);
  // No kerning: a pair measures as its parts.
  EXPECT_EQ(f.Data().TextWidth("AV", 2), f.Data().Widths['A'] + f.Data().Widths['V']);
  EXPECT_EQ(f.Data().TextWidth("fi", 2), f.Data().Widths['f'] + f.Data().Widths['i']);
  // Monospaced: every printable character alike.
  TFont mono;
  mono.SetName("Courier New");
  mono.SetHeight(-13);
  for (int c = 32; c < 127; ++c) EXPECT_EQ(mono.Data().Widths[c], mono.Data().Widths['M']) << c;
  // Bold is wider than regular.
  TFont bold;
  bold.Assign(f);
  bold.SetStyle({fsBold});
  EXPECT_GT(bold.Data().TextWidth("Montag", 6), f.Data().TextWidth("Montag", 6));
  EXPECT_EQ(bold.Data().Metric.tmWeight, 700);
}

TEST(Fonts, ChangesNotifyAndAssignKeepsPointsAcrossResolutions) {
  StartGraphics();
  TFont screen;
  screen.SetName("Arial");
  screen.SetSize(10);
  EXPECT_EQ(screen.Height(), -13);
  int changes = 0;
  TFont paper;
  paper.SetPixelsPerInch(600);
  paper.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &paper);
    ++changes;
  };
  paper.Assign(screen);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(paper.Size(), 10);
  EXPECT_EQ(paper.Height(), -83);
  EXPECT_EQ(paper.Name(), "Arial");
  paper.SetColor(clRed);
  paper.SetColor(clRed);  // no change, no event
  EXPECT_EQ(changes, 2);
  // The realised font follows the description.
  int before = paper.Data().Metric.tmHeight;
  paper.SetSize(20);
  EXPECT_GT(paper.Data().Metric.tmHeight, before);
  // Properties by name reach the same values.
  const TPropInfo* p = paper.ClassInfo().FindProp("size");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetOrd(&paper), 20);
}

TEST(Fonts, FontsMeasuredBeforeTheToolkitAreRealisedAgainAfter) {
  StartGraphics();
  TGfxPlatform* platform = GfxPlatform();
  SetGfxPlatform(nullptr);
  TFont f;
  f.SetName("Arial");
  EXPECT_EQ(f.Data().Family, "Fixed");  // the built-in stand-in
  EXPECT_EQ(f.Data().Widths['i'], f.Data().Widths['W']);
  SetGfxPlatform(platform);
  EXPECT_EQ(f.Data().Family, "Liberation Sans");
  EXPECT_LT(f.Data().Widths['i'], f.Data().Widths['W']);
}

TEST(Fonts, CanvasMeasuringCallsAgreeWithTheFont) {
  StartGraphics();
  TCanvas c;  // measuring needs no device
  c.Font()->SetName("Arial");
  c.Font()->SetHeight(-12);
  const TFontData& d = c.Font()->Data();
  const std::string s = "Geburtstage im M\xE4rz";
  EXPECT_EQ(c.TextWidth(s), d.TextWidth(s.data(), s.size()));
  EXPECT_EQ(c.TextHeight(s), d.Metric.tmHeight);
  TSize sz;
  ASSERT_TRUE(c.GetTextExtentPoint32(s.data(), static_cast<int>(s.size()), sz));
  EXPECT_EQ(sz, c.TextExtent(s));
  int w[256];
  ASSERT_TRUE(c.GetCharWidth(0, 255, w));
  for (int i = 0; i < 256; ++i) EXPECT_EQ(w[i], d.Widths[i]);
  EXPECT_FALSE(c.GetCharWidth(10, 5, w));
  TTextMetric tm;
  ASSERT_TRUE(c.GetTextMetrics(tm));
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
}

// Interface text at 8 and 9 points is hinted fully: a vertical stem is one
// dark pixel wide, with no grey neighbours, as the desktops of the time
// showed small text.
TEST(Fonts, SmallInterfaceTextHasOnePixelStems) {
  StartGraphics();
  for (const char* name : {"MS Sans Serif", "Arial", "Times New Roman"})
    for (int points : {8, 9}) {
      SCOPED_TRACE(std::string(name) + " " + std::to_string(points) + "pt");
      TBitmap b(40, 30);
      TCanvas* c = b.Canvas();
      c->Brush()->SetColor(clWhite);
      c->FillRect({0, 0, 40, 30});
      c->Font()->SetName(name);
      c->Font()->SetSize(points);
      c->Font()->SetColor(clBlack);
      c->Brush()->SetStyle(bsClear);
      c->TextOut(10, 2, "l");
      const int baseline = 2 + c->Font()->Data().Metric.tmAscent;
      for (int y = baseline - 5; y < baseline - 1; ++y) {
        int dark = 0, grey = 0;
        for (int x = 0; x < 40; ++x) {
          const TColor px = ColorToRGB(c->Pixels(x, y));
          const int lum = (GetRValue(px) + GetGValue(px) + GetBValue(px)) / 3;
          if (lum < 100) ++dark;
          else if (lum < 200) ++grey;
        }
        EXPECT_EQ(dark, 1) << "row " << y;
        EXPECT_EQ(grey, 0) << "row " << y;
      }
    }
}

// Letters of a word drawn on a 96-dpi surface never stand as far apart as
// the font's own blank: the layout's advances and the glyphs as drawn must
// come from the same rendering (hinted glyphs of small sizes placed by
// advances of another rasteriser read "Liv orno", "J ahren", "v .Chr.").
TEST(Fonts, LettersOfAWordNeverStandAsFarApartAsABlank) {
  StartGraphics();
  const char* words[] = {"Livorno", "Cavalleria", "Generalgouverneur", "Filmen", "von", "Jahren", "v.Chr.",
                         "as-Sadat", "Weltmeister", "Kreidefelsen", "Schatzinsel", "\xDC" "bersetzer",
                         "Wittenberg", "Sizilien", "Komponist", "Kavallerie"};
  constexpr int W = 260, H = 40;
  for (const char* name : {"Arial", "Times New Roman"})
    for (TFontStyles style : {TFontStyles{}, TFontStyles{fsBold}})
      for (int points = 8; points <= 12; ++points) {
        TBitmap b(W, H);
        TCanvas& c = *b.Canvas();
        c.Font()->SetName(name);
        c.Font()->SetSize(points);
        c.Font()->SetStyle(style);
        c.Font()->SetColor(clBlack);
        ASSERT_EQ(c.Font()->PixelsPerInch(), 96);
        const int blank = c.Font()->Data().Widths[static_cast<unsigned char>(' ')];
        for (const char* word : words) {
          c.Brush()->SetColor(clWhite);
          c.FillRect({0, 0, W, H});
          c.Brush()->SetStyle(bsClear);
          c.TextOut(6, 6, word);
          // Columns holding ink at least half dark.
          std::vector<bool> ink(W);
          for (int x = 0; x < W; ++x)
            for (int y = 0; y < H && !ink[x]; ++y) {
              const TColor px = ColorToRGB(c.Pixels(x, y));
              ink[x] = GetRValue(px) + GetGValue(px) + GetBValue(px) < 3 * 128;
            }
          const auto first = std::find(ink.begin(), ink.end(), true) - ink.begin();
          const auto last = W - 1 - (std::find(ink.rbegin(), ink.rend(), true) - ink.rbegin());
          ASSERT_LT(first, last) << word;
          int widest = 0;
          for (auto x = first, run = 0L; x <= last; ++x) widest = std::max<int>(widest, run = ink[x] ? 0 : run + 1);
          EXPECT_LT(widest, blank) << name << " " << points << "pt style " << int(style.Bits()) << ": " << word;
        }
      }
}
