// The toolkit's drawing devices: glyphs on a memory surface (everything else
// on a surface is drawn by the plain C++ raster device) and whole pages on a
// PDF file or a printer of the print system.
#pragma once

#include <QImage>
#include <QPainter>

#include "platform/gfx/raster.h"

namespace qtgfx {

// Keeps a painter open on an image that wraps the surface's memory; wraps it
// again when the surface was reallocated.
class QtRasterDevice : public TRasterDevice {
public:
  QtRasterDevice(TSurface& surface, int ppi) : TRasterDevice(surface, ppi) {}
  ~QtRasterDevice() override;
  void SetClip(const TRect* rects, int n) override;
  void TextRun(const TTextRun& run) override;

private:
  bool Ensure();
  QImage image_;
  QPainter painter_;
  const void* bits_ = nullptr;
  std::uint32_t generation_ = ~0u;
  bool clipDirty_ = true;
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
