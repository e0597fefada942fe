// The program's pictures. Tool and button pictures are character maps, one
// character a pixel, read through one palette ('.' is the transparent
// colour); the title picture is computed pixel by pixel from a few shapes,
// the pictures of the saying window and the warner are drawn on a canvas.
// On a scaled screen each also gets its finer drawing (AddFinerPicture):
// the character maps through BitmapFromCharRows, the computed pictures
// computed at the finer pixels, the drawn ones drawn on a canvas of the
// screen's scale.
#include "resources/pictures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "platform/gfx/color.h"
#include "platform/rtl/exceptions.h"

namespace {

TColor PaletteColor(char c) {
  switch (c) {
    case '.': return clFuchsia;  // transparent
    case 'K': return clBlack;
    case 'W': return clWhite;
    case 'g': return clSilver;
    case 'G': return clGray;
    case 'r': return RGB(0xE0, 0x20, 0x20);
    case 'R': return clMaroon;
    case 'y': return RGB(0xFF, 0xE0, 0x30);
    case 'Y': return RGB(0xA0, 0x80, 0x00);
    case 'b': return RGB(0x30, 0x60, 0xE0);
    case 'B': return clNavy;
    case 'n': return RGB(0x30, 0xB0, 0x30);
    case 'N': return clGreen;
    case 'o': return RGB(0xFF, 0x90, 0x10);
    case 's': return RGB(0xFF, 0xD8, 0xB0);
    case 'p': return RGB(0x90, 0x58, 0x28);
    case 'c': return RGB(0xFF, 0xF0, 0xC8);
    default: throw EInvalidOperation(std::string("Unbekannte Bildfarbe '") + c + "'");
  }
}

// ---- the rubric bar, 20 x 20 ----------------------------------------------------

const char* const kEmpty[] = {
    "....................", "...KKKKKKKKKKK......", "...KWWWWWWWWWKK.....", "...KWWWWWWWWWKgK....",
    "...KWWWWWWWWWKggK...", "...KWWWWWWWWWKgggK..", "...KWWWWWWWWWKKKKKG.", "...KWWWWWWWWWWWWWKG.",
    "...KWWWWWWWWWWWWWKG.", "...KWWWWWWWWWWWWWKG.", "...KWWWWWWWWWWWWWKG.", "...KWWWWWWWWWWWWWKG.",
    "...KWWWWWWWWWWWWWKG.", "...KWWWWWWWWWWWWWKG.", "...KWWWWWWWWWWWWWKG.", "...KWWWWWWWWWWWWWKG.",
    "...KWWWWWWWWWWWWWKG.", "...KWWWWWWWWWWWWWKG.", "...KKKKKKKKKKKKKKKG.", "....GGGGGGGGGGGGGGG.",
};

const char* const kPersonal[] = {
    "....................", ".....KKKKK..........", "....KsssssK.........", "...KsssssssK........",
    "...KsKsssKsK........", "...KsssssssK........", "...KssKKKssK........", "....KsssssK.........",
    ".....KKKKK..........", "...KKBBBBBKK........", "..KBBBBBBBBBK.......", ".KBBBBBBBBBBBK......",
    ".KBBBBBBBBBBBK......", ".KBBBBBBBBBBBK.rr.rr", ".KBBBBBBBBBBBK.rrrrr", ".KBBBBBBBBBBBK.rrrrr",
    ".KBBBBBBBBBBBK..rrr.", ".KBBBBBBBBBBBK...r..", ".KKKKKKKKKKKKK......", "....................",
};

const char* const kBirths[] = {
    "....................", ".....o....o....o....", ".....y....y....y....", ".....r....b....n....",
    ".....r....b....n....", ".....r....b....n....", "..KKKKKKKKKKKKKKKK..", "..KWWWWWWWWWWWWWWK..",
    "..KWrWWrWWrWWrWWWK..", "..KppppppppppppppK..", "..KppppppppppppppK..", "..KccccccccccccccK..",
    "..KppppppppppppppK..", "..KppppppppppppppK..", "..KppppppppppppppK..", "..KKKKKKKKKKKKKKKK..",
    ".GGGGGGGGGGGGGGGGGG.", "..GGGGGGGGGGGGGGGG..", "....................", "....................",
};

const char* const kDeaths[] = {
    "....................", "........KKKK........", "........KGgK........", "........KGgK........",
    "....KKKKKGgKKKKK....", "....KGGGGGgggggK....", "....KGGGGGgggggK....", "....KKKKKGgKKKKK....",
    "........KGgK........", "........KGgK........", "........KGgK........", "........KGgK........",
    "........KGgK........", "........KGgK........", "........KGgK........", "........KGgK........",
    "........KGgK........", "........KKKK........", "....GGGGGGGGGGGG....", "....................",
};

const char* const kEvents[] = {
    "....................", ".......KKKKKK.......", ".....KKbbbbbbKK.....", "....KbbnnbbbbbbK....",
    "...KbnnnnnbbbbnbK...", "..KbbnnnnnnbbbnnbK..", "..KbbbnnnnbbbbnnbK..", ".KbbbbbnnnbbbbbnnbK.",
    ".KbbbbbbnnbbbbbbbbK.", ".KbbbbbbnbbbbbnnbbK.", ".KbbbbbbbbbbbnnnnbK.", ".KbbbbbbbbbbnnnnnbK.",
    ".KbbbbbbbbbbbnnnbbK.", "..KbbbbbbbbbbbnnbK..", "..KbbbbbbbbbbbbbbK..", "...KbbbbbbbbbbbbK...",
    "....KbbbbbbbbbbK....", ".....KKbbbbbbKK.....", ".......KKKKKK.......", "....................",
};

const char* const kNameDays[] = {
    "....................", "....................", "....................", "..KKKKKKKKKKKKKKKK..",
    "..KrrrrrrrrrrrrrrK..", "..KrrrrrrrrrrrrrrK..", "..KrrrrrrrrrrrrrrK..", "..KWWWWWWWWWWWWWWK..",
    "..KWWWWWWWWWWWWWWK..", "..KWBBBBBBBBBBBBWK..", "..KWBBBBBBBBBBBBWK..", "..KWWWWWWWWWWWWWWK..",
    "..KWWBBBBBBBBWWWWK..", "..KWWWWWWWWWWWWWWK..", "..KrrrrrrrrrrrrrrK..", "..KKKKKKKKKKKKKKKK..",
    "...GGGGGGGGGGGGGGGG.", "....................", "....................", "....................",
};

const char* const kHolidays[] = {
    "....................", ".....K......K.......", "..KKKgKKKKKKgKKKKK..", "..KrrgrrrrrrgrrrrK..",
    "..KrrrrrrrrrrrrrrK..", "..KrrrrrrrrrrrrrrK..", "..KKKKKKKKKKKKKKKK..", "..KWWWWWWWWWWWWWWK..",
    "..KWGWGWGWGWGWGWWK..", "..KWWWWWWWWWWWWWWK..", "..KWGWGWrrrWGWGWWK..", "..KWWWWWrrrWWWWWWK..",
    "..KWGWGWrrrWGWGWWK..", "..KWWWWWWWWWWWWWWK..", "..KWGWGWGWGWGWGWWK..", "..KWWWWWWWWWWWWWWK..",
    "..KKKKKKKKKKKKKKKK..", "...GGGGGGGGGGGGGGGG.", "....................", "....................",
};

const char* const kExit[] = {
    "....................", "..KKKKKKKKKK........", "..KppppppppK........", "..KppppppppK........",
    "..KpKKKKKKpK........", "..KpKppppKpK........", "..KpKppppKpK....N...", "..KpKKKKKKpK....NN..",
    "..KppppppppK.NNNNNN.", "..KppppppypK.NNNNNNN", "..KppppppppK.NNNNNN.", "..KpKKKKKKpK....NN..",
    "..KpKppppKpK....N...", "..KpKppppKpK........", "..KpKKKKKKpK........", "..KppppppppK........",
    "..KppppppppK........", "..KKKKKKKKKK........", ".GGGGGGGGGGGG.......", "....................",
};

// ---- the second bar, 16 x 16 ------------------------------------------------------

const char* const kHelp[] = {
    "................", ".....KKKKKK.....", "...KKBBBBBBKK...", "..KBBBWWWWBBBK..",
    "..KBBWWBBWWBBK..", ".KBBBBBBBWWBBBK.", ".KBBBBBBWWBBBBK.", ".KBBBBBWWBBBBBK.",
    ".KBBBBBWWBBBBBK.", ".KBBBBBBBBBBBBK.", "..KBBBBWWBBBBK..", "..KBBBBWWBBBBK..",
    "...KKBBBBBBKK...", ".....KKKKKK.....", "................", "................",
};

const char* const kWarner[] = {
    "................", ".......KK.......", "......KyyK......", ".....KyyyyK.....",
    "....KyyWyyyK....", "....KyWyyyyK....", "....KyWyyyyK....", "...KyyyyyyyyK...",
    "...KyyyyyyyyK...", "..KyyyyyyyyyyK..", ".KyyyyyyyyyyyyK.", ".KKKKKKKKKKKKKK.",
    "......KYYK......", ".......KK.......", "................", "................",
};

const char* const kSaying[] = {
    "................", "................", ".KKKKKKKKKKKKKK.", ".KWWWWWWWWWWWWK.",
    ".KWBBBBBBBBBBWK.", ".KWWWWWWWWWWWWK.", ".KWBBBBBBBBWWWK.", ".KWWWWWWWWWWWWK.",
    ".KWBBBBBBWWWWWK.", ".KWWWWWWWWWWWWK.", ".KKKKWWKKKKKKKK.", "....KWK.........",
    "....KK..........", "....K...........", "................", "................",
};

const char* const kInfo[] = {
    "................", ".....KKKKKK.....", "...KKBBBBBBKK...", "..KBBBBWWBBBBK..",
    "..KBBBBBBBBBBK..", ".KBBBBWWWBBBBBK.", ".KBBBBBWWBBBBBK.", ".KBBBBBWWBBBBBK.",
    ".KBBBBBWWBBBBBK.", ".KBBBBBWWBBBBBK.", "..KBBBWWWWBBBK..", "..KBBBBBBBBBBK..",
    "...KKBBBBBBKK...", ".....KKKKKK.....", "................", "................",
};

// The small dialog buttons "Ok", "Abbruch" and "Schließen", and "Erfassen".
const char* const kSmallOk[] = {
    "................", "................", "............NN..", "...........NnN..",
    "..........NnN...", ".........NnN....", "..NN....NnN.....", ".NnnN..NnN......",
    "..NnnNNnN.......", "...NnnnN........", "....NnN.........", ".....N..........",
    "................", "................", "................", "................",
};

const char* const kSmallCancel[] = {
    "................", "..RR........RR..", ".RrrR......RrrR.", "..RrrR....RrrR..",
    "...RrrR..RrrR...", "....RrrRRrrR....", ".....RrrrrR.....", "......RrrR......",
    ".....RrrrrR.....", "....RrrRRrrR....", "...RrrR..RrrR...", "..RrrR....RrrR..",
    ".RrrR......RrrR.", "..RR........RR..", "................", "................",
};

const char* const kSmallClose[] = {
    "................", ".KKKKKKKK.......", ".KppppppK.......", ".KpKKKKpK.......",
    ".KpKppKpK...N...", ".KpKKKKpK...NN..", ".KppppppK.NNNNN.", ".KpppppyK.NNNNNN",
    ".KppppppK.NNNNN.", ".KpKKKKpK...NN..", ".KpKppKpK...N...", ".KpKKKKpK.......",
    ".KppppppK.......", ".KKKKKKKK.......", "GGGGGGGGGG......", "................",
};

const char* const kSmallRecord[] = {
    "..............K.", ".............Krr", ".KKKKKKKKKK.Kyrr", ".KWWWWWWWWKKyyyK",
    ".KWWWWWWWWKyyyK.", ".KWGGGGGGKyyyK..", ".KWWWWWWKyyyK...", ".KWGGGGKyyyK....",
    ".KWWWWKyyyK.....", ".KWGGKyyyKK.....", ".KWWWssyKWK.....", ".KWGGKsKGWK.....",
    ".KWWWWWWWWK.....", ".KWWWWWWWWK.....", ".KKKKKKKKKK.....", "................",
};

struct TMap {
  const char* const* Rows;
  int Size;
};

const TMap kMaps[tpCount] = {{kEmpty, 20},    {kPersonal, 20}, {kBirths, 20}, {kDeaths, 20},
                             {kEvents, 20},   {kNameDays, 20}, {kHolidays, 20}, {kExit, 20},
                             {kHelp, 16},     {kWarner, 16},   {kSaying, 16}, {kInfo, 16},
                             {kSmallOk, 16},  {kSmallCancel, 16}, {kSmallClose, 16}, {kSmallRecord, 16}};

// ---- the title picture ------------------------------------------------------------

TColor Mix(TColor a, TColor b, double t) {
  t = t < 0 ? 0 : t > 1 ? 1 : t;
  auto ch = [&](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

double Dist(double x, double y, double cx, double cy) { return std::hypot(x - cx, y - cy); }

// The scale a finer drawing of the picture is wanted at (0: none is, the
// screen is not scaled or the picture has one).
int FinerScale(const TBitmap& b) {
  const int k = ScreenScale();
  return k > 1 && !FinerPicture(b.Surface(), k) ? k : 0;
}

// An empty finer drawing of w x h units at scale k.
std::shared_ptr<TSurface> FineSurface(int w, int h, int k) {
  auto s = std::make_shared<TSurface>();
  s->SetScale(k);
  s->Resize(w * k, h * k, ColorToPixel(clWhite));
  return s;
}

// A w x h picture that `paint` computes pixel by pixel on a surface of any
// scale, with its finer drawing computed the same way.
template <class Paint>
std::unique_ptr<TBitmap> Computed(int w, int h, Paint paint) {
  auto b = std::make_unique<TBitmap>(w, h);
  paint(b->Surface());
  if (const int k = FinerScale(*b)) {
    auto fine = FineSurface(w, h, k);
    paint(*fine);
    AddFinerPicture(b->Surface(), fine);
  }
  return b;
}

// The colour at a point of the title picture in its pixels (whole numbers
// are pixel centres).
TColor TitlePixel(double x, double y) {
  const double w = kTitlePictureWidth, h = kTitlePictureHeight;
  const double horizon = h * 0.62;
  // The far and the near range of hills.
  const double far = horizon + 6 + 9 * std::sin(x / 23.0) + 5 * std::sin(x / 9.0 + 1.3);
  const double nearHill = h * 0.78 + 10 * std::sin(x / 41.0 + 2.0) + 3 * std::sin(x / 13.0);
  if (y >= nearHill) return Mix(RGB(0x2E, 0x5A, 0x28), RGB(0x14, 0x30, 0x14), (y - nearHill) / (h - nearHill));
  if (y >= far) return Mix(RGB(0x4A, 0x6E, 0x5A), RGB(0x30, 0x50, 0x40), (y - far) / 30.0);
  // The sun, half sunk behind the far hills, with its glow.
  const double sunX = w * 0.30, sunY = horizon + 4, sunR = 17;
  const double ds = Dist(x, y, sunX, sunY);
  if (ds <= sunR) return Mix(RGB(0xFF, 0xF2, 0x90), RGB(0xFF, 0xA8, 0x20), ds / sunR);
  // The sky from deep blue at the top to orange at the horizon.
  const double t = y / horizon;
  TColor sky = t < 0.55 ? Mix(RGB(0x10, 0x1C, 0x50), RGB(0x4A, 0x50, 0x90), t / 0.55)
                        : Mix(RGB(0x4A, 0x50, 0x90), RGB(0xFF, 0x9C, 0x4A), (t - 0.55) / 0.45);
  if (ds < sunR * 3) sky = Mix(sky, RGB(0xFF, 0xC8, 0x60), 0.45 * (1 - (ds - sunR) / (sunR * 2)));
  // The crescent: the moon's disc less a disc shifted towards the sun.
  const double moonX = w * 0.76, moonY = h * 0.2, moonR = 13;
  if (Dist(x, y, moonX, moonY) <= moonR && Dist(x, y, moonX - 6, moonY - 2) > moonR - 1)
    return RGB(0xFF, 0xF6, 0xD0);
  // A few stars in the darker part of the sky.
  static const int stars[][2] = {{14, 10}, {40, 26}, {63, 8},   {92, 34}, {118, 12}, {140, 44},
                                 {158, 20}, {207, 52}, {222, 14}, {231, 38}, {25, 48},  {77, 56}};
  if (t < 0.6)
    for (const auto& s : stars) {
      const double dx = std::abs(x - s[0]), dy = std::abs(y - s[1]);
      if ((dx < 0.5 && dy < 1.5) || (dy < 0.5 && dx < 1.5)) return Mix(sky, clWhite, dx < 0.5 && dy < 0.5 ? 1.0 : 0.55);
    }
  return sky;
}

// The title picture at scale k; its frame is a pixel of scale 1 wide.
void PaintTitle(TSurface& s) {
  const int k = s.Scale(), w = s.Width(), h = s.Height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool frame = x < k || y < k || x >= w - k || y >= h - k;
      s.Row(y)[x] = ColorToPixel(frame ? clBlack : TitlePixel((x + 0.5) / k - 0.5, (y + 0.5) / k - 0.5));
    }
}

// The About box's picture at scale k: the title picture at half its size,
// each pixel the mean of the title picture at the four quarters it covers.
void PaintAbout(TSurface& s) {
  const int k = s.Scale(), w = s.Width(), h = s.Height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (x < k || y < k || x >= w - k || y >= h - k) {
        s.Row(y)[x] = ColorToPixel(clBlack);
        continue;
      }
      int r = 0, g = 0, bl = 0;
      for (double dy : {-0.5, 0.5})
        for (double dx : {-0.5, 0.5}) {
          const TColor c = TitlePixel(2 * (x + 0.5) / k - 0.5 + dx, 2 * (y + 0.5) / k - 0.5 + dy);
          r += GetRValue(c);
          g += GetGValue(c);
          bl += GetBValue(c);
        }
      s.Row(y)[x] = ColorToPixel(RGB(r / 4, g / 4, bl / 4));
    }
}

// A round symbol on white: `shade` gives the colour of each pixel inside
// the disc from its place (u right, v down, both -1..1 across the disc) and
// its distance r from the centre (0..1); the disc fills `radius` of the
// half square.
template <class Shade>
void PaintSymbol(TSurface& s, Shade shade, double radius) {
  const int n = s.Width();
  const double half = n / 2.0;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const double u = (x + 0.5 - half) / (half * radius), v = (y + 0.5 - half) / (half * radius);
      const double r = std::hypot(u, v);
      s.Row(y)[x] = ColorToPixel(r <= 1.0 ? shade(u, v, r) : clWhite);
    }
}

template <class Shade>
std::unique_ptr<TBitmap> SymbolPicture(Shade shade, double radius = 1.0) {
  return Computed(kSymbolPictureSize, kSymbolPictureSize,
                  [&](TSurface& s) { PaintSymbol(s, shade, radius); });
}

}  // namespace

std::unique_ptr<TBitmap> ToolPicture(TToolPicture which) {
  if (which < 0 || which >= tpCount) throw ERangeError("Kein Bild mit dieser Nummer");
  const TMap& m = kMaps[which];
  return BitmapFromCharRows(std::vector<std::string>(m.Rows, m.Rows + m.Size), PaletteColor);
}

std::unique_ptr<TBitmap> TitlePicture() { return Computed(kTitlePictureWidth, kTitlePictureHeight, PaintTitle); }

// ---- the further windows' pictures ------------------------------------------------

namespace {

const char* const kBtnHelp[] = {
    "....................", "......KKKKKKKK......", "....KKBBBBBBBBKK....", "...KBBBBBBBBBBBBK...",
    "..KBBBBWWWWWWBBBBK..", "..KBBBWWBBBBWWBBBK..", ".KBBBBWWBBBBWWBBBBK.", ".KBBBBBBBBBBWWBBBBK.",
    ".KBBBBBBBBBWWBBBBBK.", ".KBBBBBBBBWWBBBBBBK.", ".KBBBBBBBWWBBBBBBBK.", ".KBBBBBBBWWBBBBBBBK.",
    ".KBBBBBBBBBBBBBBBBK.", "..KBBBBBBWWBBBBBBK..", "..KBBBBBBWWBBBBBBK..", "...KBBBBBBBBBBBBK...",
    "....KKBBBBBBBBKK....", "......KKKKKKKK......", "....................", "....................",
};

const char* const kBtnOk[] = {
    "....................", "....................", "................NN..", "...............NnN..",
    "..............NnnN..", ".............NnnN...", "............NnnN....", "...........NnnN.....",
    "..NN......NnnN......", ".NnnN....NnnN.......", ".NnnnN..NnnN........", "..NnnnNNnnN.........",
    "...NnnnnnN..........", "....NnnnN...........", ".....NnN............", "......N.............",
    "....................", "....................", "....................", "....................",
};

const char* const kBtnCancel[] = {
    "....................", "....................", "...RR.........RR....", "..RrrR.......RrrR...",
    "..RrrrR.....RrrrR...", "...RrrrR...RrrrR....", "....RrrrR.RrrrR.....", ".....RrrrRrrrR......",
    "......RrrrrrR.......", ".......RrrrR........", "......RrrrrrR.......", ".....RrrrRrrrR......",
    "....RrrrR.RrrrR.....", "...RrrrR...RrrrR....", "..RrrrR.....RrrrR...", "..RrrR.......RrrR...",
    "...RR.........RR....", "....................", "....................", "....................",
};

const char* const kBtnPrint[] = {
    "....................", ".....KKKKKKKKK......", ".....KWWWWWWWK......", ".....KWKKKKKWK......",
    ".....KWWWWWWWK......", ".....KWKKKKWWK......", "...KKKKKKKKKKKKK....", "..KgggggggggggggK...",
    ".KgWWWWWWWWWWWWWgK..", ".KggggggggggggnggK..", ".KggggggggggggggGK..", ".KGGGGGGGGGGGGGGGK..",
    ".KgKKKKKKKKKKKKKgK..", ".KgKWWWWWWWWWWWKgK..", "..KKWKKKKKKKKKWKK...", "....KWWWWWWWWWK.....",
    "....KWKKKKKKWWK.....", "....KWWWWWWWWWK.....", "....KKKKKKKKKKK.....", "....................",
};

const char* const kBtnCopy[] = {
    "....................", ".KKKKKKKK...........", ".KWWWWWWKK..........", ".KWKKKKWKgK.........",
    ".KWWWWWWKKKK........", ".KWKKKKKWWWK........", ".KWWWWWKKKKKKKKK....", ".KWKKKKKWWWWWWKKK...",
    ".KWWWWWKWWWWWWKgKK..", ".KWKKKKKWKKKKWKKKKK.", ".KWWWWWKWWWWWWWWWWK.", ".KKKKKKKWKKKKKKKKWK.",
    ".......KWWWWWWWWWWK.", ".......KWKKKKKKKKWK.", ".......KWWWWWWWWWWK.", ".......KWKKKKKKWWWK.",
    ".......KWWWWWWWWWWK.", ".......KKKKKKKKKKKK.", "....................", "....................",
};

const char* const kBtnPrev[] = {
    "....................", "....................", "........K...........", ".......KK...........",
    "......KbK...........", ".....KbbK...........", "....KbbbKKKKKKKKK...", "...KbbbbbbbbbbbbK...",
    "..KbbbbbbbbbbbbbK...", ".KbbbbbbbbbbbbbbK...", "..KbbbbbbbbbbbbbK...", "...KbbbbbbbbbbbbK...",
    "....KbbbKKKKKKKKK...", ".....KbbK...........", "......KbK...........", ".......KK...........",
    "........K...........", "....................", "....................", "....................",
};

const char* const kPrevParagraph[] = {
    "................", "....KKKKKKKKK...", "...KKKKKKK.K....", "..KKKKKKKK.K....",
    "..KKKKKKKK.K....", "..KKKKKKKK.K....", "...KKKKKKK.K....", ".....KKKKK.K....",
    ".......KKK.K....", ".......KKK.K....", ".......KKK.K....", ".......KKK.K....",
    ".......KKK.K....", ".......KKK.K....", "......KKKKKKK...", "................",
};

const char* const kPrevPage[] = {
    "................", "..KKKKKKKKK.....", "..KWWWWWWWKK....", "..KWbbbbbbKgK...",
    "..KWbWWWWbKKKK..", "..KWbWGGWbWWWK..", "..KWbWWWWbWWWK..", "..KWbWGGWbWWWK..",
    "..KWbWWWWbWWWK..", "..KWbWGGWbWWWK..", "..KWbWWWWbWWWK..", "..KWbbbbbbbbWK..",
    "..KWWWWWWWWWWK..", "..KKKKKKKKKKKK..", "................", "................",
};

std::vector<std::string> Rows(const char* const* rows, int count) { return {rows, rows + count}; }

// ---- pictures drawn with the canvas ---------------------------------------------------

std::unique_ptr<TBitmap> Blank(int w, int h, TColor background) {
  auto b = std::make_unique<TBitmap>(w, h);
  TCanvas* c = b->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(background);
  c->FillRect({0, 0, w, h});
  c->Pen()->SetColor(clBlack);
  c->Pen()->SetWidth(1);
  return b;
}

// A picture that `draw` draws on w x h pixels of white, with its finer
// drawing: the same drawing on a canvas of the screen's scale.
std::unique_ptr<TBitmap> Drawn(int w, int h, const std::function<void(TCanvas*)>& draw) {
  auto b = Blank(w, h, clWhite);
  draw(b->Canvas());
  TGfxPlatform* gp = GfxPlatform();
  if (const int k = FinerScale(*b); k && gp) {
    auto fine = FineSurface(w, h, k);
    {
      std::unique_ptr<TDrawDevice> device = gp->CreateRasterDevice(*fine, 96);
      TCanvas c(device.get());
      draw(&c);
    }
    AddFinerPicture(b->Surface(), fine);
  }
  return b;
}

void Fill(TCanvas* c, TColor fill, TColor outline) {
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(fill);
  c->Pen()->SetColor(outline);
}

void Poly(TCanvas* c, std::initializer_list<TPoint> pts) { c->Polygon(std::vector<TPoint>(pts)); }

// A thick line from point to point.
void Stroke(TCanvas* c, TColor colour, int width, std::initializer_list<TPoint> pts) {
  c->Pen()->SetColor(colour);
  c->Pen()->SetWidth(width);
  c->Polyline(std::vector<TPoint>(pts));
  c->Pen()->SetWidth(1);
}

// Points on an ellipse arc (angles in degrees, counter-clockwise from the
// right, y downwards on the screen).
std::vector<TPoint> Arc(double cx, double cy, double rx, double ry, double from, double to, int steps = 16) {
  std::vector<TPoint> pts;
  for (int i = 0; i <= steps; ++i) {
    const double a = (from + (to - from) * i / steps) * 3.14159265358979 / 180;
    pts.push_back({static_cast<int>(std::lround(cx + rx * std::cos(a))),
                   static_cast<int>(std::lround(cy - ry * std::sin(a)))});
  }
  return pts;
}

void Text(TCanvas* c, int x, int y, const char* text, int height, TColor colour, bool bold = true,
          const char* font = "Arial") {
  c->Font()->SetName(font);
  c->Font()->SetHeight(-height);
  c->Font()->SetColor(colour);
  c->Font()->SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
  c->Brush()->SetStyle(bsClear);
  c->TextOut(x, y, text);
  c->Brush()->SetStyle(bsSolid);
}

constexpr int S = kSayingPictureSize;

// 0: a laughing face.
void DrawHumour(TCanvas* c) {
  Fill(c, RGB(0xFF, 0xD8, 0x30), RGB(0xA0, 0x70, 0x00));
  c->Ellipse(8, 8, S - 8, S - 8);
  Fill(c, clBlack, clBlack);
  c->Ellipse(26, 26, 33, 36);
  c->Ellipse(47, 26, 54, 36);
  std::vector<TPoint> mouth = Arc(40, 44, 19, 14, 200, 340);
  Fill(c, RGB(0x90, 0x10, 0x10), clBlack);
  c->Polygon(mouth);
}

// 1: the buttered slice of bread that falls on its buttered side.
void DrawMishap(TCanvas* c) {
  Fill(c, RGB(0x60, 0x40, 0x20), RGB(0x60, 0x40, 0x20));
  c->Rectangle(0, 66, S, S);
  Fill(c, RGB(0xE8, 0xB8, 0x70), RGB(0x90, 0x58, 0x28));
  Poly(c, {{18, 30}, {58, 18}, {64, 28}, {24, 42}});
  Fill(c, RGB(0xFF, 0xF0, 0x80), RGB(0xC8, 0xA0, 0x20));
  Poly(c, {{24, 42}, {64, 28}, {65, 32}, {25, 46}});
  for (int i = 0; i < 3; ++i) Stroke(c, RGB(0x70, 0x70, 0x70), 2, {{30 + 12 * i, 50}, {34 + 12 * i, 60}});
  Stroke(c, clRed, 3, {{10, 8}, {10, 22}});
  Stroke(c, clRed, 3, {{6, 17}, {10, 23}, {14, 17}});
  Fill(c, clRed, clRed);
  c->Ellipse(7, 28, 13, 34);
}

// 2: a child's face with two plaits.
void DrawChild(TCanvas* c) {
  Fill(c, RGB(0xC0, 0x70, 0x20), RGB(0x80, 0x40, 0x10));
  c->Ellipse(6, 30, 20, 52);
  c->Ellipse(S - 20, 30, S - 6, 52);
  Fill(c, RGB(0xFF, 0xD8, 0xB0), RGB(0xB0, 0x70, 0x40));
  c->Ellipse(16, 14, S - 16, S - 10);
  Fill(c, RGB(0xC0, 0x70, 0x20), RGB(0x80, 0x40, 0x10));
  c->Polygon(Arc(40, 40, 24, 26, 15, 165));
  Fill(c, RGB(0x30, 0x60, 0xC0), clBlack);
  c->Ellipse(29, 40, 35, 47);
  c->Ellipse(45, 40, 51, 47);
  Fill(c, RGB(0xFF, 0x90, 0x90), RGB(0xFF, 0x90, 0x90));
  c->Ellipse(22, 50, 30, 56);
  c->Ellipse(50, 50, 58, 56);
  c->Pen()->SetColor(RGB(0xA0, 0x20, 0x20));
  c->Pen()->SetWidth(2);
  c->Polyline(Arc(40, 54, 8, 6, 200, 340, 8));
  c->Pen()->SetWidth(1);
}

// 3: a flower growing out of an ink pot.
void DrawFlower(TCanvas* c) {
  Stroke(c, RGB(0x20, 0x90, 0x20), 3, {{40, 30}, {40, 60}});
  Fill(c, RGB(0x30, 0xB0, 0x30), RGB(0x20, 0x80, 0x20));
  Poly(c, {{40, 50}, {28, 40}, {24, 46}});
  for (int i = 0; i < 6; ++i) {
    const double a = i * 3.14159265358979 / 3;
    const int px = static_cast<int>(std::lround(40 + 13 * std::cos(a)));
    const int py = static_cast<int>(std::lround(24 + 13 * std::sin(a)));
    Fill(c, RGB(0xE0, 0x50, 0xA0), RGB(0x90, 0x20, 0x60));
    c->Ellipse(px - 8, py - 8, px + 8, py + 8);
  }
  Fill(c, RGB(0xFF, 0xD0, 0x20), RGB(0xB0, 0x80, 0x00));
  c->Ellipse(33, 17, 47, 31);
  Fill(c, RGB(0x20, 0x30, 0x60), clBlack);
  Poly(c, {{26, 60}, {54, 60}, {58, 76}, {22, 76}});
  Fill(c, RGB(0x40, 0x50, 0x90), clBlack);
  c->Rectangle(30, 56, 50, 62);
}

// 4: a blackboard with a slip of chalk.
void DrawBlackboard(TCanvas* c) {
  Fill(c, RGB(0x90, 0x58, 0x28), RGB(0x50, 0x30, 0x10));
  c->Rectangle(4, 10, S - 4, 62);
  Fill(c, RGB(0x20, 0x50, 0x30), RGB(0x20, 0x50, 0x30));
  c->Rectangle(9, 15, S - 9, 57);
  Text(c, 15, 18, "2+2=5", 16, clWhite, false);
  Stroke(c, clWhite, 1, {{15, 44}, {22, 40}, {29, 46}, {36, 40}, {43, 46}, {50, 41}});
  Stroke(c, RGB(0x90, 0x58, 0x28), 3, {{20, 62}, {14, 76}});
  Stroke(c, RGB(0x90, 0x58, 0x28), 3, {{S - 20, 62}, {S - 14, 76}});
  Fill(c, clWhite, RGB(0xA0, 0xA0, 0xA0));
  c->Rectangle(52, 52, 64, 56);
}

// 5: a heart.
void DrawHeart(TCanvas* c) {
  Fill(c, RGB(0xE0, 0x10, 0x30), RGB(0x80, 0x00, 0x10));
  // The two lobes' outer arcs, joined at the point below.
  std::vector<TPoint> shape;
  for (const TPoint& p : Arc(52, 30, 14, 14, -40, 180, 20)) shape.push_back(p);
  for (const TPoint& p : Arc(28, 30, 14, 14, 0, 220, 20)) shape.push_back(p);
  shape.push_back({40, 68});
  c->Polygon(shape);
  Fill(c, RGB(0xFF, 0xA0, 0xB0), RGB(0xFF, 0xA0, 0xB0));
  c->Ellipse(20, 22, 28, 30);
}

// 6: a speech bubble with lines of words.
void DrawProverb(TCanvas* c) {
  Fill(c, clWhite, RGB(0x30, 0x30, 0x30));
  c->Ellipse(4, 8, S - 4, 58);
  Poly(c, {{22, 50}, {14, 72}, {36, 55}});
  c->Pen()->SetColor(clWhite);
  c->MoveTo(23, 52);
  c->LineTo(34, 54);
  // Three lines of words, the middle one indented, the last one short.
  for (int i = 0; i < 3; ++i)
    Stroke(c, RGB(0x30, 0x60, 0xC0), 3, {{20 + 4 * (i == 1), 24 + 9 * i}, {S - 20 - 8 * (i == 2), 24 + 9 * i}});
}

// 7: German quotation marks.
void DrawQuotation(TCanvas* c) {
  Text(c, 8, -12, "\x84", 72, RGB(0x30, 0x60, 0xC0), true, "Times New Roman");
  Text(c, 40, -6, "\x93", 72, RGB(0xC0, 0x30, 0x30), true, "Times New Roman");
}

// 8: sun and cloud over a field.
void DrawWeather(TCanvas* c) {
  Fill(c, RGB(0xC8, 0xE8, 0xFF), RGB(0xC8, 0xE8, 0xFF));
  c->Rectangle(0, 0, S, 56);
  for (int i = 0; i < 8; ++i) {
    const double a = i * 3.14159265358979 / 4;
    Stroke(c, RGB(0xFF, 0xB0, 0x00), 2,
           {{static_cast<int>(28 + 13 * std::cos(a)), static_cast<int>(26 + 13 * std::sin(a))},
            {static_cast<int>(28 + 20 * std::cos(a)), static_cast<int>(26 + 20 * std::sin(a))}});
  }
  Fill(c, RGB(0xFF, 0xD8, 0x20), RGB(0xE0, 0x90, 0x00));
  c->Ellipse(18, 16, 39, 37);
  Fill(c, clWhite, RGB(0x90, 0x90, 0xA0));
  c->Ellipse(40, 26, 60, 44);
  c->Ellipse(50, 20, 72, 42);
  c->Ellipse(36, 34, 74, 48);
  Fill(c, RGB(0x40, 0xA0, 0x30), RGB(0x30, 0x70, 0x20));
  c->Rectangle(0, 56, S, S);
  for (int x = 4; x < S; x += 8) Stroke(c, RGB(0xD0, 0xB0, 0x30), 2, {{x, S - 2}, {x + 3, 58}});
}

// 9: a closed book with a cross on its cover.
void DrawBible(TCanvas* c) {
  Fill(c, RGB(0xF0, 0xE8, 0xD0), RGB(0x80, 0x70, 0x50));
  Poly(c, {{20, 14}, {62, 10}, {66, 66}, {24, 70}});
  Fill(c, RGB(0x60, 0x20, 0x10), RGB(0x30, 0x10, 0x00));
  Poly(c, {{14, 12}, {58, 8}, {62, 64}, {18, 68}});
  Fill(c, RGB(0xE8, 0xC0, 0x40), RGB(0xA0, 0x80, 0x10));
  c->Rectangle(35, 20, 41, 54);
  c->Rectangle(27, 28, 49, 34);
}

// 10 and 11: a poet's profile as a dark silhouette in an oval frame; the
// two poets differ in the frame, the hair and the collar.
void DrawPoet(TCanvas* c, bool second) {
  const TColor frame = second ? RGB(0x90, 0x90, 0xA8) : RGB(0xD0, 0xA0, 0x30);
  Fill(c, frame, RGB(0x60, 0x50, 0x20));
  c->Ellipse(6, 2, S - 6, S - 2);
  Fill(c, second ? RGB(0xE8, 0xF0, 0xF8) : RGB(0xFF, 0xF4, 0xD8), RGB(0x60, 0x50, 0x20));
  c->Ellipse(12, 8, S - 12, S - 8);
  const TColor ink = RGB(0x20, 0x20, 0x28);
  Fill(c, ink, ink);
  // Shoulders and coat.
  Poly(c, {{20, 72}, {24, 60}, {34, 56}, {50, 56}, {58, 62}, {60, 72}});
  // Neck and head, the face to the left.
  Poly(c, {{36, 58}, {36, 50}, {30, 48}, {28, 44}, {30, 42}, {27, 38}, {29, 36}, {28, 30},
           {31, 24}, {38, 18}, {46, 17}, {53, 22}, {55, 30}, {54, 40}, {50, 48}, {48, 58}});
  if (second) {
    // Tousled hair.
    for (int i = 0; i < 6; ++i) c->Ellipse(36 + 3 * i, 13 + (i % 2) * 3, 44 + 3 * i, 21 + (i % 2) * 3);
    Fill(c, clWhite, ink);
    Poly(c, {{32, 62}, {40, 58}, {44, 66}});
  } else {
    // Hair tied at the neck.
    c->Ellipse(50, 36, 58, 46);
    Stroke(c, ink, 2, {{56, 44}, {60, 52}});
    Fill(c, clWhite, ink);
    Poly(c, {{36, 58}, {44, 58}, {40, 66}});
  }
}

}  // namespace

std::unique_ptr<TBitmap> ButtonPicture(TButtonPicture which) {
  switch (which) {
    case bpHelp: return BitmapFromCharRows(Rows(kBtnHelp, 20), PaletteColor);
    case bpOk: return BitmapFromCharRows(Rows(kBtnOk, 20), PaletteColor);
    case bpCancel: return BitmapFromCharRows(Rows(kBtnCancel, 20), PaletteColor);
    case bpPrint: return BitmapFromCharRows(Rows(kBtnPrint, 20), PaletteColor);
    case bpCopy: return BitmapFromCharRows(Rows(kBtnCopy, 20), PaletteColor);
    case bpPrev: return BitmapFromCharRows(Rows(kBtnPrev, 20), PaletteColor);
    case bpNext: return BitmapFromCharRows(MirroredRows(Rows(kBtnPrev, 20)), PaletteColor);
    case bpClose: return BitmapFromCharRows(Rows(kExit, 20), PaletteColor);
    default: throw ERangeError("Kein Bild mit dieser Nummer");
  }
}

std::unique_ptr<TBitmap> PreviewPicture(TPreviewPicture which) {
  switch (which) {
    case ppParagraph: return BitmapFromCharRows(Rows(kPrevParagraph, 16), PaletteColor);
    case ppPage: return BitmapFromCharRows(Rows(kPrevPage, 16), PaletteColor);
    default: throw ERangeError("Kein Bild mit dieser Nummer");
  }
}

std::unique_ptr<TBitmap> AboutPicture() { return Computed(kAboutPictureWidth, kAboutPictureHeight, PaintAbout); }

std::unique_ptr<TBitmap> MoonPhasePicture(int phase) {
  if (phase < 1 || phase > 8) throw ERangeError("Keine Mondphase mit dieser Nummer");
  // The phase angle from new moon: the terminator is an ellipse whose half
  // width is cos(angle) of the disc's; waxing the right side is lit, waning
  // the left.
  const double angle = (phase - 1) * M_PI / 4;
  return SymbolPicture([angle](double u, double v, double r) {
    const double edge = std::sqrt(std::max(0.0, 1 - v * v));
    const bool lit = angle <= M_PI ? u > std::cos(angle) * edge : u < -std::cos(angle) * edge;
    if (r > 0.86) return RGB(0x40, 0x40, 0x40);  // the disc's rim
    return lit ? RGB(0xFF, 0xE8, 0x70) : RGB(0x50, 0x58, 0x70);
  });
}

std::unique_ptr<TBitmap> MoonPicture() {
  // A crescent lit from the right.
  return SymbolPicture([](double u, double v, double r) -> TColor {
    const double inner = std::hypot(u + 0.45, v + 0.1);
    if (inner < 0.8) return clWhite;
    return r > 0.86 ? RGB(0x80, 0x70, 0x20) : RGB(0xFF, 0xE0, 0x40);
  });
}

std::unique_ptr<TBitmap> SunPicture() {
  // A disc with a ring of rays (the corners of the square stay white).
  const auto disc = [](double, double, double r) -> TColor {
    return r > 0.6 ? RGB(0xE0, 0x80, 0x00) : RGB(0xFF, 0xD0, 0x20);
  };
  constexpr int n = kSymbolPictureSize, c = n / 2;
  const std::uint32_t ray = ColorToPixel(RGB(0xE0, 0x80, 0x00));
  auto b = std::make_unique<TBitmap>(n, n);
  PaintSymbol(b->Surface(), disc, 0.62);
  for (int k = 0; k < 8; ++k) {
    const double a = k * M_PI / 4;
    for (double t = 0.72; t <= 1.0; t += 0.07) {
      const int x = c + static_cast<int>(std::lround(std::cos(a) * t * c));
      const int y = c + static_cast<int>(std::lround(std::sin(a) * t * c));
      b->Surface().Row(y)[x] = ray;
    }
  }
  if (const int k = FinerScale(*b)) {
    // The rays as lines a pixel of scale 1 wide, stepped at the finer pixels.
    auto fine = FineSurface(n, n, k);
    PaintSymbol(*fine, disc, 0.62);
    const double centre = c * k + (k - 1) / 2.0;
    for (int i = 0; i < 8; ++i) {
      const double a = i * M_PI / 4;
      for (double t = 0.72; t <= 1.0; t += 0.07 / k) {
        const int x0 = static_cast<int>(std::lround(centre + std::cos(a) * t * c * k - (k - 1) / 2.0));
        const int y0 = static_cast<int>(std::lround(centre + std::sin(a) * t * c * k - (k - 1) / 2.0));
        for (int y = std::max(0, y0); y < std::min(n * k, y0 + k); ++y)
          for (int x = std::max(0, x0); x < std::min(n * k, x0 + k); ++x) fine->Row(y)[x] = ray;
      }
    }
    AddFinerPicture(b->Surface(), fine);
  }
  return b;
}

std::unique_ptr<TBitmap> SayingPicture(int category) {
  if (category < 0 || category > 11) throw ERangeError("Keine Spruchkategorie mit dieser Nummer");
  return Drawn(S, S, [category](TCanvas* c) {
    switch (category) {
      case 0: DrawHumour(c); break;
      case 1: DrawMishap(c); break;
      case 2: DrawChild(c); break;
      case 3: DrawFlower(c); break;
      case 4: DrawBlackboard(c); break;
      case 5: DrawHeart(c); break;
      case 6: DrawProverb(c); break;
      case 7: DrawQuotation(c); break;
      case 8: DrawWeather(c); break;
      case 9: DrawBible(c); break;
      default: DrawPoet(c, category == 11); break;
    }
  });
}

std::unique_ptr<TBitmap> WarnerPicture(TWarnerPicture which) {
  constexpr int W = kWarnerPictureWidth, H = kWarnerPictureHeight;
  return Drawn(W, H, [which](TCanvas* c) {
    switch (which) {
      case wpMale:
      case wpFemale: {
        const bool female = which == wpFemale;
        const TColor cloth = female ? RGB(0xD0, 0x30, 0x60) : RGB(0x30, 0x60, 0xC0);
        Fill(c, cloth, RGB(0x20, 0x20, 0x40));
        if (female)
          Poly(c, {{13, 13}, {22, 31}, {4, 31}});
        else
          c->Rectangle(6, 14, 21, 31);
        Fill(c, RGB(0xFF, 0xD8, 0xB0), RGB(0x90, 0x60, 0x30));
        c->Ellipse(8, 2, 19, 13);
        if (female) {
          Fill(c, RGB(0xC0, 0x80, 0x20), RGB(0x80, 0x50, 0x10));
          c->Polygon(Arc(13.5, 7.5, 5.5, 5.5, 0, 180, 8));
        }
        break;
      }
      case wpEvent: {
        // A calendar sheet with a star.
        Fill(c, clWhite, clBlack);
        c->Rectangle(2, 5, W - 2, H - 3);
        Fill(c, clRed, clBlack);
        c->Rectangle(2, 5, W - 2, 12);
        Stroke(c, clBlack, 2, {{8, 2}, {8, 7}});
        Stroke(c, clBlack, 2, {{W - 9, 2}, {W - 9, 7}});
        std::vector<TPoint> star;
        for (int i = 0; i < 10; ++i) {
          const double a = (i * 36 - 90) * 3.14159265358979 / 180, r = i % 2 ? 3.5 : 8.5;
          star.push_back({static_cast<int>(std::lround(13.5 + r * std::cos(a))),
                          static_cast<int>(std::lround(21 + r * std::sin(a)))});
        }
        Fill(c, RGB(0xFF, 0xC8, 0x00), RGB(0xA0, 0x70, 0x00));
        c->Polygon(star);
        break;
      }
      default: {
        // The level: a round sign, red for the day itself, orange and yellow
        // for the advance warnings, with its number.
        const int level = which - wpLevel0;
        const TColor colours[] = {RGB(0xE0, 0x20, 0x20), RGB(0xFF, 0x90, 0x10), RGB(0xFF, 0xE0, 0x30)};
        Fill(c, colours[level], RGB(0x40, 0x30, 0x20));
        c->Ellipse(2, 5, W - 2, W + 3);
        const char digit[2] = {level == 0 ? '!' : static_cast<char>('0' + level), 0};
        c->Font()->SetName("Arial");
        c->Font()->SetHeight(-16);
        c->Font()->SetStyle({fsBold});
        const int tw = c->TextWidth(digit), th = c->TextHeight(digit);
        Text(c, (W - tw) / 2, 5 + (W - 2 - th) / 2, digit, 16, level == 2 ? clBlack : clWhite);
        break;
      }
    }
  });
}

// ---- the symbols of media links ---------------------------------------------------

namespace {

const char* const kMediaCamera[] = {
    "WWWWWWWWWWWWWWWW", "WWWWWWWWWWWWWWWW", "WWWWWKKKKKWWWWWW", "WWWWKGGGGGKWWWWW",
    "WKKKKKKKKKKKKKKW", "WKggggggggggrrKW", "WKgggKKKKKggggKW", "WKggKGbbbGKgggKW",
    "WKggKbbBbbKgggKW", "WKggKbBBBbKgggKW", "WKggKbbBbbKgggKW", "WKggKGbbbGKgggKW",
    "WKgggKKKKKggggKW", "WKKKKKKKKKKKKKKW", "WWWWWWWWWWWWWWWW", "WWWWWWWWWWWWWWWW",
};

const char* const kMediaMicrophone[] = {
    "WWWWWWKKKKWWWWWW", "WWWWWKGggGKWWWWW", "WWWWWKgGGgKWWWWW", "WWWWWKGggGKWWWWW",
    "WWWWWKgGGgKWWWWW", "WWWWWKGggGKWWWWW", "WWWWWKgGGgKWWWWW", "WWWKWKGggGKWKWWW",
    "WWWKWWKKKKWWKWWW", "WWWWKWWWWWWKWWWW", "WWWWWKKKKKKWWWWW", "WWWWWWWKKWWWWWWW",
    "WWWWWWWKKWWWWWWW", "WWWWWKKKKKKWWWWW", "WWWWWWWWWWWWWWWW", "WWWWWWWWWWWWWWWW",
};

const char* const kMediaText[] = {
    "WWWKKKKKKKKKWWWW", "WWWKcccccccKKWWW", "WWWKcccccccKgKWW", "WWWKcKKKKccKKKKW",
    "WWWKcccccccccccK", "WWWKcKKKKKKKKccK", "WWWKcccccccccccK", "WWWKcKKKKKKKccKW",
    "WWWKcccccccccccK", "WWWKcKKKKKKKKccK", "WWWKcccccccccccK", "WWWKcKKKKKKccccK",
    "WWWKcccccccccccK", "WWWKcccccccccccK", "WWWKKKKKKKKKKKKK", "WWWWWWWWWWWWWWWW",
};

}  // namespace

std::unique_ptr<TBitmap> MediaPicture(TMediaPicture which) {
  switch (which) {
    case mpCamera: return BitmapFromCharRows(Rows(kMediaCamera, 16), PaletteColor);
    case mpMicrophone: return BitmapFromCharRows(Rows(kMediaMicrophone, 16), PaletteColor);
    case mpText: return BitmapFromCharRows(Rows(kMediaText, 16), PaletteColor);
    default: throw ERangeError("Kein Bild mit dieser Nummer");
  }
}
