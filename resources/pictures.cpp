// The program's pictures. Tool and button pictures are character maps, one
// character a pixel, read through one palette ('.' is the transparent
// colour); the title picture is computed pixel by pixel from a few shapes.
#include "resources/pictures.h"

#include <algorithm>
#include <cmath>
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

struct TMap {
  const char* const* Rows;
  int Size;
};

const TMap kMaps[tpCount] = {{kEmpty, 20},    {kPersonal, 20}, {kBirths, 20}, {kDeaths, 20},
                             {kEvents, 20},   {kNameDays, 20}, {kHolidays, 20}, {kExit, 20},
                             {kHelp, 16},     {kWarner, 16},   {kSaying, 16}, {kInfo, 16}};

// ---- the title picture ------------------------------------------------------------

TColor Mix(TColor a, TColor b, double t) {
  t = t < 0 ? 0 : t > 1 ? 1 : t;
  auto ch = [&](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

double Dist(double x, double y, double cx, double cy) { return std::hypot(x - cx, y - cy); }

TColor TitlePixel(int x, int y) {
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
    for (const auto& s : stars)
      if ((x == s[0] && std::abs(y - s[1]) <= 1) || (y == s[1] && std::abs(x - s[0]) <= 1))
        return Mix(sky, clWhite, x == s[0] && y == s[1] ? 1.0 : 0.55);
  return sky;
}

// A round symbol on white: `shade` gives the colour of each pixel inside
// the disc from its place (u right, v down, both -1..1 across the disc) and
// its distance r from the centre (0..1); the disc fills `radius` of the
// half square.
template <class Shade>
std::unique_ptr<TBitmap> SymbolPicture(Shade shade, double radius = 1.0) {
  constexpr int n = kSymbolPictureSize;
  auto b = std::make_unique<TBitmap>(n, n);
  const double half = n / 2.0;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const double u = (x + 0.5 - half) / (half * radius), v = (y + 0.5 - half) / (half * radius);
      const double r = std::hypot(u, v);
      b->Surface().Row(y)[x] = ColorToPixel(r <= 1.0 ? shade(u, v, r) : clWhite);
    }
  return b;
}

}  // namespace

std::unique_ptr<TBitmap> ToolPicture(TToolPicture which) {
  if (which < 0 || which >= tpCount) throw ERangeError("Kein Bild mit dieser Nummer");
  const TMap& m = kMaps[which];
  return BitmapFromCharRows(std::vector<std::string>(m.Rows, m.Rows + m.Size), PaletteColor);
}

std::unique_ptr<TBitmap> TitlePicture() {
  auto b = std::make_unique<TBitmap>(kTitlePictureWidth, kTitlePictureHeight);
  for (int y = 0; y < kTitlePictureHeight; ++y)
    for (int x = 0; x < kTitlePictureWidth; ++x) b->Surface().Row(y)[x] = ColorToPixel(TitlePixel(x, y));
  // A thin dark frame.
  for (int x = 0; x < kTitlePictureWidth; ++x)
    b->Surface().Row(0)[x] = b->Surface().Row(kTitlePictureHeight - 1)[x] = ColorToPixel(clBlack);
  for (int y = 0; y < kTitlePictureHeight; ++y)
    b->Surface().Row(y)[0] = b->Surface().Row(y)[kTitlePictureWidth - 1] = ColorToPixel(clBlack);
  return b;
}

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

// The same picture seen in a mirror.
std::vector<std::string> Mirrored(std::vector<std::string> rows) {
  for (std::string& r : rows) std::reverse(r.begin(), r.end());
  return rows;
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
    case bpNext: return BitmapFromCharRows(Mirrored(Rows(kBtnPrev, 20)), PaletteColor);
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

std::unique_ptr<TBitmap> AboutPicture() {
  // Each pixel the mean of the title picture's four pixels it stands for.
  auto b = std::make_unique<TBitmap>(kAboutPictureWidth, kAboutPictureHeight);
  for (int y = 0; y < kAboutPictureHeight; ++y)
    for (int x = 0; x < kAboutPictureWidth; ++x) {
      int r = 0, g = 0, bl = 0;
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
          const TColor c = TitlePixel(2 * x + dx, 2 * y + dy);
          r += GetRValue(c);
          g += GetGValue(c);
          bl += GetBValue(c);
        }
      b->Surface().Row(y)[x] = ColorToPixel(RGB(r / 4, g / 4, bl / 4));
    }
  for (int x = 0; x < kAboutPictureWidth; ++x)
    b->Surface().Row(0)[x] = b->Surface().Row(kAboutPictureHeight - 1)[x] = ColorToPixel(clBlack);
  for (int y = 0; y < kAboutPictureHeight; ++y)
    b->Surface().Row(y)[0] = b->Surface().Row(y)[kAboutPictureWidth - 1] = ColorToPixel(clBlack);
  return b;
}

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
  auto b = SymbolPicture([](double, double, double r) -> TColor {
    return r > 0.6 ? RGB(0xE0, 0x80, 0x00) : RGB(0xFF, 0xD0, 0x20);
  }, 0.62);
  const int c = kSymbolPictureSize / 2;
  for (int k = 0; k < 8; ++k) {
    const double a = k * M_PI / 4;
    for (double t = 0.72; t <= 1.0; t += 0.07) {
      const int x = c + static_cast<int>(std::lround(std::cos(a) * t * c));
      const int y = c + static_cast<int>(std::lround(std::sin(a) * t * c));
      b->Surface().Row(y)[x] = ColorToPixel(RGB(0xE0, 0x80, 0x00));
    }
  }
  return b;
}
