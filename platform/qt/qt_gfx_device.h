// The toolkit's drawing devices: glyphs on a memory surface (everything else
// on a surface is drawn by the plain C++ raster device) and whole pages on a
// PDF file or a printer of the print system.
#pragma once

#include <QImage>
#include <QPainter>

#include "platform/gfx/raster.h"
#include "platform/qt/qt_gfx_fonts.h"

namespace qtgfx {

// The pixels a glyph drawn with its pen at (0, 0) covers at all, half-open.
// A glyph placed at whole pixels leaves the same ink wherever it is drawn,
// moved by its pen position.
struct GlyphInk {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Empty() const { return Left >= Right || Top >= Bottom; }
  friend bool operator==(const GlyphInk&, const GlyphInk&) = default;
};
// The ink of a glyph that could not be bounded: no clip rectangle holds it.
inline constexpr GlyphInk kUnboundedInk{-16384, -16384, 16383, 16383};
// The form of QtFontData::Ink (never 0); a box beyond kUnboundedInk's is
// kept as kUnboundedInk.
std::uint64_t PackInk(const GlyphInk& ink);
GlyphInk UnpackInk(std::uint64_t packed);

// The box of all the ink of a run (empty when it draws nothing; a box
// beyond any clip when a glyph's ink is unbounded). Glyphs not measured yet
// are measured first, by drawing them. `shifts` (one per byte, pixels, may
// be fractional) moves each glyph from its pen position.
TRect RunInk(const QtFontData& fd, const TTextRun& run, const double* shifts = nullptr);

// Keeps a painter open on an image that wraps the surface's memory; wraps it
// again when the surface was reallocated.
class QtRasterDevice : public TRasterDevice {
public:
  QtRasterDevice(TSurface& surface, int ppi) : TRasterDevice(surface, ppi) {}
  ~QtRasterDevice() override;
  // A run whose ink lies within one rectangle of the clip is drawn as it is.
  // One that crosses the clip's edge is drawn on a copy of the part of the
  // surface it may change (`area`, within the clip's bounds), and only what
  // lies inside the clip is copied back: blending a glyph onto a pixel
  // depends on nothing but that pixel, and a clip of the toolkit's painter
  // would cost work over the image's whole height each time it changes.
  void TextRun(const TTextRun& run) override;

private:
  bool Ensure();
  void PaintCrossing(const TTextRun& run, const QtFontData& fd, const TRect& area, const double* shifts);
  QImage image_;
  QPainter painter_;  // never clipped
  const void* bits_ = nullptr;
  std::uint32_t generation_ = ~0u;
  std::vector<double> drift_, shifts_;  // of the glyphs of a run on a finer surface
  QImage scratch_;                      // grows to the largest area of a crossing run
  QPainter scratchPainter_;
};

// A painter on a page (PDF writer or printer); the painter is not owned.
class QtPageDevice : public TDrawDevice {
public:
  QtPageDevice(QPainter& painter, const TDeviceCaps& caps) : painter_(painter), caps_(caps) {}
  TDeviceCaps Caps() const override { return caps_; }
  void SetClip(const TRect* rects, int n) override;
  void Polyline(const TPoint* pts, int n, const TPenSpec& pen) override;
  void Polygon(const TPoint* pts, int n, const TPenSpec& pen, const TBrushSpec& brush) override;
  void Ellipse(const TRect& box, const TPenSpec& pen, const TBrushSpec& brush) override;
  void FillRect(const TRect& r, const TBrushSpec& brush, std::uint32_t rop = PATCOPY) override;
  void TextRun(const TTextRun& run) override;
  // Paper has no raster operations: the source is copied (inverted for the
  // inverting copies), transparent pixels left out.
  void Blit(const TRect& dst, const TSurface& src, const TRect& srcRect, std::uint32_t rop,
            const TBrushSpec& brush, std::uint32_t transparent = 0) override;
  TColor GetPixel(int, int) override { return clNone; }
  void SetPixel(int x, int y, TColor rgb) override;
  void Scroll(int, int, const TRect&) override {}

private:
  QPainter& painter_;
  TDeviceCaps caps_;
};

// Draws the glyphs of a run with a painter.
void PaintGlyphs(QPainter& painter, const TTextRun& run);

}  // namespace qtgfx
