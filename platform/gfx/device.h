// The narrow platform interface of the drawing layer. Everything in gfx/ above
// this header (TCanvas, TFont, TBitmap, TPrinter, …) is plain C++ written
// against the abstract classes here; a toolkit implements them once.
//
// Registration: the toolkit layer installs one TGfxPlatform with
// SetGfxPlatform(). In this program platform/qt does so inside
// qthost::EnsureGuiApplication() (also reachable as qthost::InstallGraphics()),
// which the application and every test that draws calls first. Until a
// platform is installed, fonts come from a built-in fixed-width engine (so
// layout code and the recording device work without any toolkit), bitmaps
// draw everything but text (which raises EInvalidOperation), and PNG coding
// and printing are unavailable.
//
// Invariants: devices receive only resolved RGB colours (no system colours),
// device-pixel coordinates, and rectangles that are half-open. A device never
// owns the surface it draws on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/color.h"
#include "platform/gfx/types.h"
#include "platform/rtl/exceptions.h"

// Images that cannot be read: truncated, lying about their size, unknown kind.
ORV_DECLARE_EXCEPTION(EInvalidGraphic, Exception)

// ---------------------------------------------------------------- styles

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of TFontStyle.
class TFontStyles {
public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> l) {
    for (auto s : l) bits_ |= Bit(s);
  }
  constexpr bool Contains(TFontStyle s) const { return (bits_ & Bit(s)) != 0; }
  constexpr void Include(TFontStyle s) { bits_ |= Bit(s); }
  constexpr void Exclude(TFontStyle s) { bits_ &= static_cast<std::uint8_t>(~Bit(s)); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr std::uint8_t Bits() const { return bits_; }
  friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

private:
  static constexpr std::uint8_t Bit(TFontStyle s) { return static_cast<std::uint8_t>(1u << s); }
  std::uint8_t bits_ = 0;
};

enum TFontPitch { fpDefault, fpVariable, fpFixed };

enum : int { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, OEM_CHARSET = 255 };

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

// The sixteen binary raster operations of a pen, in the library's order.
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
  pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

// ---------------------------------------------------------------- fonts

// Text metrics with the Windows names.
struct TTextMetric {
  int tmHeight = 0;
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
  int tmWeight = 400;
  int tmOverhang = 0;
  int tmDigitizedAspectX = 96;
  int tmDigitizedAspectY = 96;
  unsigned char tmFirstChar = 32;
  unsigned char tmLastChar = 255;
  unsigned char tmDefaultChar = 31;
  unsigned char tmBreakChar = 32;
  unsigned char tmItalic = 0;
  unsigned char tmUnderlined = 0;
  unsigned char tmStruckOut = 0;
  unsigned char tmPitchAndFamily = 0;
  unsigned char tmCharSet = 0;
};

// What a caller asks for. Height in pixels: negative = character height
// (em size), positive = cell height (ascent + descent), 0 = default.
struct TFontRequest {
  std::string Name;  // as the caller wrote it (Windows-1252)
  int Height = -11;
  TFontStyles Style;
  int Charset = DEFAULT_CHARSET;
  TFontPitch Pitch = fpDefault;
  friend bool operator==(const TFontRequest&, const TFontRequest&) = default;
};

// One realised font: immutable once made, shared by every TFont and canvas
// that asks for the same request. Measuring a string is array look-ups here.
class TFontData {
public:
  virtual ~TFontData() = default;
  TFontRequest Request;
  std::string Family;          // installed family actually drawn with
  std::string File;            // the font file it is drawn from ("" when the platform cannot tell)
  bool Symbol = false;         // bytes drawn through a symbol table
  TTextMetric Metric;
  int Widths[256] = {};        // integer advance of each byte, no kerning
  char32_t Unicode[256] = {};  // code point drawn for each byte (0 = nothing)
  int UnderlineOffset = 1;     // pixels below the baseline of the underline's top
  int UnderlineThickness = 1;
  int StrikeOutOffset = 3;     // pixels above the baseline of the strike-out's top

  int Width(unsigned char c) const { return Widths[c]; }
  int TextWidth(const char* s, std::size_t n) const {
    // Four sums side by side: the look-ups do not wait for each other.
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    int w0 = 0, w1 = 0, w2 = 0, w3 = 0;
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
      w0 += Widths[p[i]];
      w1 += Widths[p[i + 1]];
      w2 += Widths[p[i + 2]];
      w3 += Widths[p[i + 3]];
    }
    for (; i < n; ++i) w0 += Widths[p[i]];
    return w0 + w1 + w2 + w3;
  }
};

class TSurface;

class TFontEngine {
public:
  virtual ~TFontEngine() = default;
  // Whether `u` (any character, also one beyond the code page) is drawn by
  // the font or by a font the toolkit falls back on for it. The built-in
  // engine draws none beyond the code page.
  virtual bool Draws(const TFontRequest& /*font*/, char32_t /*u*/) { return false; }
  // Draws `text` (any characters, with the toolkit's fallback fonts) in
  // `color` on `background` into `out`, `height` units high with the
  // baseline `baseline` units down, at `scale` pixels to a unit; out is as
  // wide as the text's advance. False when the engine cannot.
  virtual bool DrawUnicode(const TFontRequest& /*font*/, std::u32string_view /*text*/, int /*baseline*/,
                           int /*height*/, TColor /*color*/, TColor /*background*/, int /*scale*/,
                           TSurface& /*out*/) {
    return false;
  }
  // Never fails: an unknown or missing family falls back to a default face.
  // Repeated requests return the same object.
  virtual std::shared_ptr<const TFontData> Realize(const TFontRequest& request) = 0;
  // Names a caller may choose from: the installed families, and the Windows
  // names whose metric-compatible family is installed (a stored "Arial" is
  // found in a font list that way).
  virtual std::vector<std::string> Families() = 0;
};

// ---------------------------------------------------------------- surfaces

// A raster image in memory: rows top-down, one 0xFFRRGGBB word per pixel.
// The generation grows whenever the pixel block is reallocated, so devices
// that wrap the memory know to wrap it again. Its scale is the number of
// pixels to a unit of the co-ordinates drawn with on it (a window's back
// buffer on a screen of scale 2 has two pixels to a unit each way).
class TSurface {
public:
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Scale() const { return scale_; }
  void SetScale(int scale) { scale_ = scale < 1 ? 1 : scale; }
  // The bounds in units.
  TRect Extent() const { return {0, 0, width_ / scale_, height_ / scale_}; }
  std::uint32_t* Bits() { return pixels_.data(); }
  const std::uint32_t* Bits() const { return pixels_.data(); }
  std::uint32_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* Row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  std::uint32_t Generation() const { return generation_; }
  // New size; the old picture is kept where it overlaps, the rest is `fill`.
  void Resize(int w, int h, std::uint32_t fill = 0xFFFFFFFFu);
  void Fill(std::uint32_t px);
  TRect Bounds() const { return {0, 0, width_, height_}; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }

private:
  int width_ = 0;
  int height_ = 0;
  int scale_ = 1;
  std::vector<std::uint32_t> pixels_;
  std::uint32_t generation_ = 0;
};

// The screen's scale: device pixels to a unit of the windows' co-ordinates
// (1, or 2 on a desktop scaled to 200 %). The toolkit sets it when it
// starts; the windows' back buffers and the pictures drawn in code follow it.
int ScreenScale();
void SetScreenScale(int scale);

// Pictures drawn in code keep a finer drawing of themselves for a screen of
// a higher scale: `finer` (of Scale() k, k times the size) shows what
// `picture` shows. A raster device of scale k draws any surface that holds
// exactly `picture`'s pixels from `finer` instead, however the picture was
// copied, stored or loaded on its way; printing and bitmaps keep the
// picture's own pixels.
void AddFinerPicture(const TSurface& picture, std::shared_ptr<const TSurface> finer);
// The finer drawing at `scale` of a surface holding these pixels (nullptr:
// none).
std::shared_ptr<const TSurface> FinerPicture(const TSurface& picture, int scale);

// ---------------------------------------------------------------- devices

enum : int { DT_PLOTTER = 0, DT_RASDISPLAY = 1, DT_RASPRINTER = 2, DT_METAFILE = 5 };

// GetDeviceCaps indexes.
enum : int {
  TECHNOLOGY = 2, HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, PLANES = 14,
  NUMCOLORS = 24, LOGPIXELSX = 88, LOGPIXELSY = 90, PHYSICALWIDTH = 110, PHYSICALHEIGHT = 111,
  PHYSICALOFFSETX = 112, PHYSICALOFFSETY = 113
};

struct TDeviceCaps {
  int Technology = DT_RASDISPLAY;
  int LogPixelsX = 96;
  int LogPixelsY = 96;
  int BitsPixel = 32;
  int Planes = 1;
  int HorzRes = 0;          // printable width in pixels
  int VertRes = 0;          // printable height in pixels
  int PhysicalWidth = 0;    // whole page (printers) or surface
  int PhysicalHeight = 0;
  int PhysicalOffsetX = 0;  // unprintable margin left and top
  int PhysicalOffsetY = 0;
  int Get(int index) const;
};

struct TPenSpec {
  TColor Color = clBlack;  // RGB
  int Width = 1;
  TPenStyle Style = psSolid;
  TPenMode Mode = pmCopy;
};

struct TBrushSpec {
  TColor Color = clWhite;  // RGB
  TBrushStyle Style = bsSolid;
  const TSurface* Pattern = nullptr;  // 8 x 8 pattern bitmap, tiled from the device origin
  bool IsClear() const { return Style == bsClear && !Pattern; }
};

// One run of text: bytes, each placed at the running x by its advance.
struct TTextRun {
  int X = 0;  // pen position of the first glyph
  int Y = 0;  // baseline
  const char* Text = nullptr;
  std::size_t Length = 0;
  const int* Advances = nullptr;  // one per byte
  const TFontData* Font = nullptr;
  TColor Color = clBlack;  // RGB
};

// Raster operations of bit-block transfers (the ternary codes of Windows).
enum : std::uint32_t {
  SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
  SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008, NOTSRCERASE = 0x001100A6, MERGECOPY = 0x00C000CA,
  MERGEPAINT = 0x00BB0226, PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, PATINVERT = 0x005A0049,
  DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062
};

// A drawing device. The canvas keeps all state (pen, brush, font, clip,
// current position) and hands each device finished primitives.
class TDrawDevice {
public:
  virtual ~TDrawDevice() = default;
  virtual TDeviceCaps Caps() const = 0;
  // The memory image of a raster device; nullptr for paper and recorders.
  virtual TSurface* Surface() { return nullptr; }
  // Visible part of the device: null = everything, otherwise the union of
  // `n` disjoint rectangles (n = 0: nothing visible).
  virtual void SetClip(const TRect* rects, int n) = 0;
  // Lines through the points (the last point is not drawn, as on Windows).
  virtual void Polyline(const TPoint* pts, int n, const TPenSpec& pen) = 0;
  // Filled with the brush (alternate rule), outlined with the pen.
  virtual void Polygon(const TPoint* pts, int n, const TPenSpec& pen, const TBrushSpec& brush) = 0;
  virtual void Ellipse(const TRect& box, const TPenSpec& pen, const TBrushSpec& brush) = 0;
  // Rectangle fill with the brush combined by a raster operation that uses
  // only pattern and destination (PATCOPY, PATINVERT, DSTINVERT, …).
  virtual void FillRect(const TRect& r, const TBrushSpec& brush, std::uint32_t rop = PATCOPY) = 0;
  virtual void TextRun(const TTextRun& run) = 0;
  // Copies src's part `srcRect` into `dst` (stretching when the sizes
  // differ) combined by `rop`; `brush` is the pattern of ternary operations.
  // `transparent` (a pixel value) leaves pixels of that value out; 0 = none.
  virtual void Blit(const TRect& dst, const TSurface& src, const TRect& srcRect, std::uint32_t rop,
                    const TBrushSpec& brush, std::uint32_t transparent = 0) = 0;
  virtual TColor GetPixel(int x, int y) = 0;  // RGB; clNone outside or unreadable
  virtual void SetPixel(int x, int y, TColor rgb) = 0;
  // Moves the pixels of `area` by (dx, dy), limited to `area`.
  virtual void Scroll(int dx, int dy, const TRect& area) = 0;
  // Pages (printers) and pending toolkit work.
  virtual void Flush() {}
};

// ---------------------------------------------------------------- printing

struct TPrinterInfo {
  std::string Name;  // Windows-1252
  bool IsPdf = false;
};

enum TPrinterOrientation { poPortrait, poLandscape };

struct TPrintJobSettings {
  std::string PrinterName;  // empty or the PDF printer: a file
  std::string FileName;     // PDF output path
  std::string Title;
  TPrinterOrientation Orientation = poPortrait;
  // The sheet upright, in twips; 0: A4.
  int PaperWidth = 0, PaperHeight = 0;
  bool HasPaperSize() const { return PaperWidth > 0 && PaperHeight > 0; }
  int Resolution = 600;
  int Copies = 1;
};

// A document being printed: a device for the current page.
class TPrintJob {
public:
  virtual ~TPrintJob() = default;
  virtual TDrawDevice& Device() = 0;
  virtual void NewPage() = 0;
  virtual void Finish() = 0;  // completes the document
  virtual void Cancel() = 0;  // drops it
};

// ---------------------------------------------------------------- platform

class TGfxPlatform {
public:
  virtual ~TGfxPlatform() = default;
  virtual TFontEngine& Fonts() = 0;
  // A device that draws on `surface` (not owned; it must outlive the device).
  virtual std::unique_ptr<TDrawDevice> CreateRasterDevice(TSurface& surface, int pixelsPerInch) = 0;
  // Decodes a compressed image (PNG and what else the toolkit reads);
  // raises EInvalidGraphic on bad data.
  virtual void DecodeImage(const std::uint8_t* data, std::size_t size, TSurface& out) = 0;
  virtual std::vector<std::uint8_t> EncodePng(const TSurface& surface) = 0;
  virtual std::vector<TPrinterInfo> Printers() = 0;
  virtual std::unique_ptr<TPrintJob> StartPrintJob(const TPrintJobSettings& settings) = 0;
  // Page size in device pixels and unprintable offsets for a printer.
  virtual TDeviceCaps PrinterCaps(const TPrintJobSettings& settings) = 0;
};

void SetGfxPlatform(TGfxPlatform* platform);
TGfxPlatform* GfxPlatform();  // nullptr before one is installed
TFontEngine& FontEngine();    // the platform's, or the built-in fixed one
