// Drawing on a memory image in plain C++: lines, polygons, ellipses, fills,
// bit-block transfers with every ternary raster operation, pixels and
// scrolling. Only glyphs need a toolkit: a platform derives from
// TRasterDevice and supplies TextRun. Shapes are not antialiased, so every
// pixel is exact and the same on every machine; pixel tests rely on that.
//
// On a surface of scale k every co-ordinate is a unit of k x k pixels:
// rectangles, fills and bit blocks cover whole units, while lines, shapes
// and glyphs are drawn at the pixels' own fineness, within the units they
// cover at scale 1.
//
// Invariant: every write goes through the clip (the union of clip_ when
// clipped_, kept in pixels) and the surface bounds.
#pragma once

#include <vector>

#include "platform/gfx/device.h"

class TRasterDevice : public TDrawDevice {
public:
  explicit TRasterDevice(TSurface& surface, int pixelsPerInch = 96);
  TDeviceCaps Caps() const override;
  TSurface* Surface() override { return &surface_; }
  void SetClip(const TRect* rects, int n) override;
  void Polyline(const TPoint* pts, int n, const TPenSpec& pen) override;
  void Polygon(const TPoint* pts, int n, const TPenSpec& pen, const TBrushSpec& brush) override;
  void Ellipse(const TRect& box, const TPenSpec& pen, const TBrushSpec& brush) override;
  void FillRect(const TRect& r, const TBrushSpec& brush, std::uint32_t rop = PATCOPY) override;
  // Without a toolkit there are no glyphs: raises EInvalidOperation.
  void TextRun(const TTextRun& run) override;
  void Blit(const TRect& dst, const TSurface& src, const TRect& srcRect, std::uint32_t rop,
            const TBrushSpec& brush, std::uint32_t transparent = 0) override;
  TColor GetPixel(int x, int y) override;
  void SetPixel(int x, int y, TColor rgb) override;
  void Scroll(int dx, int dy, const TRect& area) override;

protected:
  TSurface& surface_;
  int ppi_;
  int scale_;  // the surface's
  bool clipped_ = false;
  std::vector<TRect> clip_;
  // The visible parts of r (clip and surface bounds), each passed to f.
  template <class F>
  void ForEachVisible(const TRect& r, F&& f) const;
  bool Visible(int x, int y) const;

private:
  void PlotLine(TPoint a, TPoint b, const TPenSpec& pen, int& dashPos, bool lastPoint);
  void PlotFineLine(TPoint a, TPoint b, const TPenSpec& pen, int& dashPos, bool lastPoint);
  void Plot(int x, int y, const TPenSpec& pen);
  // The pen on every visible pixel of r (pixels).
  void PenFill(const TRect& r, const TPenSpec& pen);
  void FineEllipse(const TRect& box, const TPenSpec& pen, const TBrushSpec& brush);
  // Fills pixels.
  void FillArea(const TRect& r, const TBrushSpec& brush, std::uint32_t rop);
  void FillSpans(const std::vector<TRect>& spans, const TBrushSpec& brush);
  TRect ToPixels(TRect r) const { return {r.Left * scale_, r.Top * scale_, r.Right * scale_, r.Bottom * scale_}; }
};

// Result of a ternary raster operation code (the middle byte of SRCCOPY …)
// on pattern, source and destination pixels.
std::uint32_t ApplyRop3(std::uint8_t rop, std::uint32_t p, std::uint32_t s, std::uint32_t d);
// Result of a pen mode on pen and destination pixels.
std::uint32_t ApplyRop2(TPenMode mode, std::uint32_t pen, std::uint32_t d);

template <class F>
void TRasterDevice::ForEachVisible(const TRect& r, F&& f) const {
  TRect a;
  if (!IntersectRect(a, r, surface_.Bounds())) return;
  if (!clipped_) {
    f(a);
    return;
  }
  for (const TRect& c : clip_) {
    TRect b;
    if (IntersectRect(b, a, c)) f(b);
  }
}
