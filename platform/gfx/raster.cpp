// Plain C++ rasterisation on a TSurface (see raster.h). Shapes follow the
// Windows pixel rules: integer coordinates name pixel centres; right and
// bottom edges of rectangles and ellipse boxes are outside, a line leaves out
// its last point, a polygon fills from its left edges up to (not including)
// its right edges and from its top down to (not including) its bottom
// (alternate rule), and its outline is drawn through the vertices.
#include "platform/gfx/raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>

namespace {

// Fills n pixels with one value. The C library's wide-character fill is
// vectorised; a plain loop over 32-bit words is not at -O2, and solid fills
// are most of what a page of text costs to paint.
void FillPixels(std::uint32_t* p, std::size_t n, std::uint32_t px) {
  static_assert(sizeof(wchar_t) == sizeof(std::uint32_t));
  std::wmemset(reinterpret_cast<wchar_t*>(p), static_cast<wchar_t>(px), n);
}

constexpr std::uint32_t kAlpha = 0xFF000000u;

// Dash patterns of cosmetic pens (on, off, on, off, …) in pixels.
const std::vector<int>& DashPattern(TPenStyle s) {
  static const std::vector<int> none, dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
  switch (s) {
    case psDash: return dash;
    case psDot: return dot;
    case psDashDot: return dashDot;
    case psDashDotDot: return dashDotDot;
    default: return none;
  }
}

bool DashOn(const std::vector<int>& pat, int pos) {
  if (pat.empty()) return true;
  int total = 0;
  for (int v : pat) total += v;
  pos %= total;
  for (std::size_t i = 0; i < pat.size(); ++i) {
    if (pos < pat[i]) return i % 2 == 0;
    pos -= pat[i];
  }
  return true;
}

// Whether a hatch style sets the pattern pixel (x, y).
bool HatchBit(TBrushStyle s, int x, int y) {
  x &= 7;
  y &= 7;
  switch (s) {
    case bsHorizontal: return y == 0;
    case bsVertical: return x == 0;
    case bsFDiagonal: return x == y;
    case bsBDiagonal: return x == 7 - y;
    case bsCross: return x == 0 || y == 0;
    case bsDiagCross: return x == y || x == 7 - y;
    default: return true;
  }
}

}  // namespace

std::uint32_t ApplyRop3(std::uint8_t rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  std::uint32_t r;
  switch (rop) {
    case 0xCC: r = s; break;
    case 0xEE: r = s | d; break;
    case 0x88: r = s & d; break;
    case 0x66: r = s ^ d; break;
    case 0x44: r = s & ~d; break;
    case 0x33: r = ~s; break;
    case 0x11: r = ~(s | d); break;
    case 0xC0: r = p & s; break;
    case 0xBB: r = ~s | d; break;
    case 0xF0: r = p; break;
    case 0x5A: r = p ^ d; break;
    case 0x55: r = ~d; break;
    case 0x00: r = 0; break;
    case 0xFF: r = ~0u; break;
    case 0xAA: r = d; break;
    default: {
      // Bit i of the code is the result for pattern, source and destination
      // bits (i >> 2, i >> 1, i) & 1; OR together the minterms it selects.
      r = 0;
      for (int i = 0; i < 8; ++i)
        if (rop & (1 << i)) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
  }
  return r | kAlpha;
}

std::uint32_t ApplyRop2(TPenMode mode, std::uint32_t p, std::uint32_t d) {
  std::uint32_t r;
  switch (mode) {
    case pmBlack: r = 0; break;
    case pmWhite: r = ~0u; break;
    case pmNop: r = d; break;
    case pmNot: r = ~d; break;
    case pmCopy: r = p; break;
    case pmNotCopy: r = ~p; break;
    case pmMergePenNot: r = p | ~d; break;
    case pmMaskPenNot: r = p & ~d; break;
    case pmMergeNotPen: r = ~p | d; break;
    case pmMaskNotPen: r = ~p & d; break;
    case pmMerge: r = p | d; break;
    case pmNotMerge: r = ~(p | d); break;
    case pmMask: r = p & d; break;
    case pmNotMask: r = ~(p & d); break;
    case pmXor: r = p ^ d; break;
    case pmNotXor: r = ~(p ^ d); break;
    default: r = p;
  }
  return r | kAlpha;
}

TRasterDevice::TRasterDevice(TSurface& surface, int pixelsPerInch)
    : surface_(surface), ppi_(pixelsPerInch), scale_(surface.Scale()) {}

TDeviceCaps TRasterDevice::Caps() const {
  TDeviceCaps c;
  c.Technology = DT_RASDISPLAY;
  c.LogPixelsX = c.LogPixelsY = ppi_;
  c.BitsPixel = 32;
  c.HorzRes = c.PhysicalWidth = surface_.Extent().Width();
  c.VertRes = c.PhysicalHeight = surface_.Extent().Height();
  return c;
}

void TRasterDevice::SetClip(const TRect* rects, int n) {
  clipped_ = rects != nullptr;
  clip_.clear();
  for (int i = 0; rects && i < n; ++i) clip_.push_back(ToPixels(rects[i]));
}

bool TRasterDevice::Visible(int x, int y) const {
  if (x < 0 || y < 0 || x >= surface_.Width() || y >= surface_.Height()) return false;
  if (!clipped_) return true;
  for (const TRect& c : clip_)
    if (PtInRect(c, {x, y})) return true;
  return false;
}

void TRasterDevice::Plot(int x, int y, const TPenSpec& pen) {
  std::uint32_t px = ColorToPixel(pen.Color);
  int w = std::max(1, pen.Width);
  int x0 = x - (w - 1) / 2, y0 = y - (w - 1) / 2;
  for (int yy = y0; yy < y0 + w; ++yy)
    for (int xx = x0; xx < x0 + w; ++xx)
      if (Visible(xx, yy)) {
        std::uint32_t& d = surface_.Row(yy)[xx];
        d = pen.Mode == pmCopy ? px : ApplyRop2(pen.Mode, px, d);
      }
}

namespace {

// Visits the points of the line from `a` to `b` (the last one only when
// `lastPoint`), stepped pixel by pixel.
template <class Visit>
void WalkLine(TPoint a, TPoint b, bool lastPoint, Visit visit) {
  const int dx = std::abs(b.X - a.X), dy = -std::abs(b.Y - a.Y);
  const int sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
  int err = dx + dy;
  int x = a.X, y = a.Y;
  for (;;) {
    const bool atEnd = x == b.X && y == b.Y;
    if (atEnd && !lastPoint) break;
    visit(x, y);
    if (atEnd) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

}  // namespace

void TRasterDevice::PlotLine(TPoint a, TPoint b, const TPenSpec& pen, int& dashPos, bool lastPoint) {
  const auto& pat = DashPattern(pen.Width > 1 ? psSolid : pen.Style);
  WalkLine(a, b, lastPoint, [&](int x, int y) {
    if (DashOn(pat, dashPos++)) Plot(x, y, pen);
  });
}

void TRasterDevice::PenFill(const TRect& r, const TPenSpec& pen) {
  const std::uint32_t px = ColorToPixel(pen.Color);
  ForEachVisible(r, [&](const TRect& a) {
    for (int y = a.Top; y < a.Bottom; ++y) {
      std::uint32_t* row = surface_.Row(y);
      for (int x = a.Left; x < a.Right; ++x) row[x] = pen.Mode == pmCopy ? px : ApplyRop2(pen.Mode, px, row[x]);
    }
  });
}

// The line between the units' top-left pixels, stepped pixel by pixel. A
// thin pen puts a run of one unit across the line at each step, so a line
// along a row or a column covers exactly the units it covers at scale 1; a
// wide pen puts its square of w units, as at scale 1.
void TRasterDevice::PlotFineLine(TPoint a, TPoint b, const TPenSpec& pen, int& dashPos, bool lastPoint) {
  const int k = scale_;
  const auto& pat = DashPattern(pen.Width > 1 ? psSolid : pen.Style);
  const TPoint from{a.X * k, a.Y * k}, to{b.X * k, b.Y * k};
  const bool alongX = std::abs(to.X - from.X) >= std::abs(to.Y - from.Y);
  const int w = std::max(1, pen.Width), lead = (w - 1) / 2 * k, side = w * k;
  WalkLine(from, to, lastPoint, [&](int x, int y) {
    if (!DashOn(pat, dashPos++ / k)) return;
    if (w > 1)
      PenFill({x - lead, y - lead, x - lead + side, y - lead + side}, pen);
    else
      PenFill(alongX ? TRect{x, y, x + 1, y + k} : TRect{x, y, x + k, y + 1}, pen);
  });
}

void TRasterDevice::Polyline(const TPoint* pts, int n, const TPenSpec& pen) {
  if (pen.Style == psClear || n < 2) return;
  int dashPos = 0;
  // Wide (geometric) pens draw their end points too.
  bool last = pen.Width > 1;
  for (int i = 0; i + 1 < n; ++i)
    if (scale_ > 1)
      PlotFineLine(pts[i], pts[i + 1], pen, dashPos, last);
    else
      PlotLine(pts[i], pts[i + 1], pen, dashPos, last);
}

void TRasterDevice::FillSpans(const std::vector<TRect>& spans, const TBrushSpec& brush) {
  for (const TRect& s : spans) FillArea(s, brush, PATCOPY);
}

void TRasterDevice::Polygon(const TPoint* unitPts, int n, const TPenSpec& pen, const TBrushSpec& brush) {
  if (n < 2) return;
  // Filled at the pixels' fineness: the vertices at their units' top-left
  // pixels.
  std::vector<TPoint> scaled;
  const TPoint* pts = unitPts;
  if (scale_ > 1) {
    for (int i = 0; i < n; ++i) scaled.push_back({unitPts[i].X * scale_, unitPts[i].Y * scale_});
    pts = scaled.data();
  }
  if (!brush.IsClear() && n >= 3) {
    int minY = pts[0].Y, maxY = pts[0].Y;
    for (int i = 1; i < n; ++i) {
      minY = std::min(minY, pts[i].Y);
      maxY = std::max(maxY, pts[i].Y);
    }
    minY = std::max(minY, 0);
    maxY = std::min(maxY, surface_.Height());
    std::vector<TRect> spans;
    std::vector<double> xs;
    for (int y = minY; y < maxY; ++y) {
      const double cy = y;
      xs.clear();
      for (int i = 0; i < n; ++i) {
        TPoint p = pts[i], q = pts[(i + 1) % n];
        if (p.Y == q.Y) continue;
        if ((cy >= p.Y && cy < q.Y) || (cy >= q.Y && cy < p.Y))
          xs.push_back(p.X + (cy - p.Y) * (q.X - p.X) / static_cast<double>(q.Y - p.Y));
      }
      std::sort(xs.begin(), xs.end());
      for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
        int x0 = static_cast<int>(std::ceil(xs[k])), x1 = static_cast<int>(std::ceil(xs[k + 1]));
        if (x1 > x0) spans.push_back({x0, y, x1, y + 1});
      }
    }
    FillSpans(spans, brush);
  }
  if (pen.Style != psClear) {
    std::vector<TPoint> closed(unitPts, unitPts + n);
    closed.push_back(unitPts[0]);
    Polyline(closed.data(), static_cast<int>(closed.size()), pen);
  }
}

namespace {

// The rows of an ellipse's inside: one span per row of its box, rounded
// towards the centre's side alike on both halves, so the shape is symmetric.
std::vector<TRect> EllipseSpans(const TRect& box) {
  std::vector<TRect> spans;
  if (box.IsEmpty()) return spans;
  const double cx = (box.Left + box.Right - 1) / 2.0, cy = (box.Top + box.Bottom - 1) / 2.0;
  const double rx = (box.Right - box.Left - 1) / 2.0, ry = (box.Bottom - box.Top - 1) / 2.0;
  for (int y = box.Top; y < box.Bottom; ++y) {
    const double d = y - cy, t = ry + 0.5 > 0 ? 1.0 - (d / (ry + 0.5)) * (d / (ry + 0.5)) : 1.0;
    const double hw = t <= 0 ? 0.0 : rx * std::sqrt(t);
    const int x0 = static_cast<int>(std::floor(cx - hw + 0.5)), x1 = static_cast<int>(std::ceil(cx + hw - 0.5));
    spans.push_back({x0, y, x1 + 1, y + 1});
  }
  return spans;
}

}  // namespace

// At a finer scale the ellipse is drawn at the pixels' fineness: the inside
// of the box's pixels, and the pen as the ring between the box widened and
// narrowed by the pen's units.
void TRasterDevice::FineEllipse(const TRect& box, const TPenSpec& pen, const TBrushSpec& brush) {
  if (!brush.IsClear()) FillSpans(EllipseSpans(ToPixels(box)), brush);
  if (pen.Style == psClear) return;
  const int w = std::max(1, pen.Width), out = (w - 1) / 2, in = w - out;
  const TRect outer = ToPixels({box.Left - out, box.Top - out, box.Right + out, box.Bottom + out});
  const std::vector<TRect> inner =
      EllipseSpans(ToPixels({box.Left + in, box.Top + in, box.Right - in, box.Bottom - in}));
  for (const TRect& row : EllipseSpans(outer)) {
    const int i = row.Top - (inner.empty() ? 0 : inner.front().Top);
    if (inner.empty() || i < 0 || i >= static_cast<int>(inner.size()) || inner[i].IsEmpty()) {
      PenFill(row, pen);
      continue;
    }
    PenFill({row.Left, row.Top, std::max(row.Left, inner[i].Left), row.Bottom}, pen);
    PenFill({std::min(row.Right, inner[i].Right), row.Top, row.Right, row.Bottom}, pen);
  }
}

void TRasterDevice::Ellipse(const TRect& box, const TPenSpec& pen, const TBrushSpec& brush) {
  if (box.IsEmpty()) return;
  if (scale_ > 1) {
    FineEllipse(box, pen, brush);
    return;
  }
  double cx = (box.Left + box.Right - 1) / 2.0, cy = (box.Top + box.Bottom - 1) / 2.0;
  double rx = (box.Right - box.Left - 1) / 2.0, ry = (box.Bottom - box.Top - 1) / 2.0;
  auto half = [](double r, double other, double d) {
    if (other <= 0) return r;
    double t = 1.0 - (d / other) * (d / other);
    return t <= 0 ? 0.0 : r * std::sqrt(t);
  };
  // The outline: each row's two ends, then each column's.
  const std::vector<TRect> spans = EllipseSpans(box);
  std::vector<TPoint> edge;
  for (const TRect& s : spans) {
    edge.push_back({s.Left, s.Top});
    edge.push_back({s.Right - 1, s.Top});
  }
  for (int x = box.Left; x < box.Right; ++x) {
    double hh = half(ry, rx + 0.5, x - cx);
    edge.push_back({x, static_cast<int>(std::floor(cy - hh + 0.5))});
    edge.push_back({x, static_cast<int>(std::ceil(cy + hh - 0.5))});
  }
  if (!brush.IsClear()) FillSpans(spans, brush);
  if (pen.Style != psClear) {
    std::sort(edge.begin(), edge.end(), [](TPoint a, TPoint b) { return a.Y != b.Y ? a.Y < b.Y : a.X < b.X; });
    edge.erase(std::unique(edge.begin(), edge.end()), edge.end());
    for (TPoint p : edge) Plot(p.X, p.Y, pen);
  }
}

void TRasterDevice::FillRect(const TRect& r, const TBrushSpec& brush, std::uint32_t rop) {
  FillArea(ToPixels(r), brush, rop);
}

void TRasterDevice::FillArea(const TRect& r, const TBrushSpec& brush, std::uint32_t rop) {
  std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
  if (brush.IsClear() && (code != 0x55 && code != 0x00 && code != 0xFF)) return;
  const std::uint32_t colour = ColorToPixel(brush.Color);
  const bool hatch = !brush.Pattern && brush.Style > bsClear;
  ForEachVisible(r, [&](const TRect& a) {
    for (int y = a.Top; y < a.Bottom; ++y) {
      std::uint32_t* row = surface_.Row(y);
      if (code == 0xF0 && !brush.Pattern && !hatch) {
        FillPixels(row + a.Left, static_cast<std::size_t>(a.Right - a.Left), colour);
        continue;
      }
      // Patterns and hatches are tiled by units.
      const int uy = y / scale_;
      const std::uint32_t* prow = brush.Pattern ? brush.Pattern->Row(uy & 7) : nullptr;
      for (int x = a.Left; x < a.Right; ++x) {
        if (hatch && !HatchBit(brush.Style, x / scale_, uy)) continue;
        std::uint32_t p = prow ? prow[(x / scale_) & 7] : colour;
        row[x] = ApplyRop3(code, p, 0, row[x]);
      }
    }
  });
}

void TRasterDevice::TextRun(const TTextRun&) {
  throw EInvalidOperation("No graphics platform is installed: text cannot be drawn on a bitmap");
}

void TRasterDevice::Blit(const TRect& unitDst, const TSurface& picture, const TRect& unitSrc, std::uint32_t rop,
                         const TBrushSpec& brush, std::uint32_t transparent) {
  if (unitDst.IsEmpty() || unitSrc.IsEmpty()) return;
  // On a finer surface a picture drawn in code is copied from its finer
  // drawing; any other source is enlarged unit by unit.
  std::shared_ptr<const TSurface> finer;
  if (scale_ > 1 && &picture != &surface_ && picture.Scale() == 1) finer = FinerPicture(picture, scale_);
  const TSurface& srcIn = finer ? *finer : picture;
  const TRect dst = ToPixels(unitDst);
  const int ss = srcIn.Scale();
  const TRect srcRect{unitSrc.Left * ss, unitSrc.Top * ss, unitSrc.Right * ss, unitSrc.Bottom * ss};
  // A copy inside one surface reads from a snapshot, so overlap is harmless.
  TSurface snapshot;
  const TSurface* srcp = &srcIn;
  TRect sr = srcRect;
  if (&srcIn == &surface_) {
    TRect part;
    if (!IntersectRect(part, srcRect, surface_.Bounds())) return;
    snapshot.Resize(srcRect.Width(), srcRect.Height(), 0);
    for (int y = part.Top; y < part.Bottom; ++y)
      std::memcpy(snapshot.Row(y - srcRect.Top) + (part.Left - srcRect.Left), surface_.Row(y) + part.Left,
                  sizeof(std::uint32_t) * part.Width());
    srcp = &snapshot;
    sr = {0, 0, srcRect.Width(), srcRect.Height()};
  }
  const TSurface& src = *srcp;
  const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
  const int dw = dst.Width(), dh = dst.Height(), sw = sr.Width(), shh = sr.Height();
  const bool stretch = dw != sw || dh != shh;
  const std::uint32_t colour = ColorToPixel(brush.Color);
  ForEachVisible(dst, [&](const TRect& a) {
    for (int y = a.Top; y < a.Bottom; ++y) {
      int sy = sr.Top + (stretch ? static_cast<int>(static_cast<long long>(y - dst.Top) * shh / dh) : y - dst.Top);
      if (sy < 0 || sy >= src.Height()) continue;
      const std::uint32_t* srow = src.Row(sy);
      std::uint32_t* drow = surface_.Row(y);
      const std::uint32_t* prow = brush.Pattern ? brush.Pattern->Row((y / scale_) & 7) : nullptr;
      if (code == 0xCC && !stretch && !transparent) {
        int sx0 = sr.Left + (a.Left - dst.Left);
        int x0 = a.Left, x1 = a.Right;
        if (sx0 < 0) {
          x0 -= sx0;
          sx0 = 0;
        }
        x1 = std::min(x1, x0 + (src.Width() - sx0));
        if (x1 > x0) std::memcpy(drow + x0, srow + sx0, sizeof(std::uint32_t) * (x1 - x0));
        continue;
      }
      for (int x = a.Left; x < a.Right; ++x) {
        int sx = sr.Left + (stretch ? static_cast<int>(static_cast<long long>(x - dst.Left) * sw / dw) : x - dst.Left);
        if (sx < 0 || sx >= src.Width()) continue;
        std::uint32_t s = srow[sx];
        if (transparent && ((s ^ transparent) & 0xFFFFFF) == 0) continue;
        std::uint32_t p = prow ? prow[(x / scale_) & 7] : colour;
        drow[x] = ApplyRop3(code, p, s, drow[x]);
      }
    }
  });
}

TColor TRasterDevice::GetPixel(int x, int y) {
  x *= scale_;
  y *= scale_;
  if (x < 0 || y < 0 || x >= surface_.Width() || y >= surface_.Height()) return clNone;
  return PixelToColor(surface_.Row(y)[x]);
}

void TRasterDevice::SetPixel(int x, int y, TColor rgb) {
  if (scale_ > 1) {
    PenFill(ToPixels({x, y, x + 1, y + 1}), TPenSpec{rgb, 1, psSolid, pmCopy});
    return;
  }
  if (Visible(x, y)) surface_.Row(y)[x] = ColorToPixel(rgb);
}

void TRasterDevice::Scroll(int unitDx, int unitDy, const TRect& unitArea) {
  const int dx = unitDx * scale_, dy = unitDy * scale_;
  TRect area;
  if (!IntersectRect(area, ToPixels(unitArea), surface_.Bounds())) return;
  TRect dst = area;
  OffsetRect(dst, dx, dy);
  if (!IntersectRect(dst, dst, area)) return;
  const int w = dst.Width();
  auto move = [&](int y) {
    std::memmove(surface_.Row(y) + dst.Left, surface_.Row(y - dy) + dst.Left - dx, sizeof(std::uint32_t) * w);
  };
  if (dy > 0)
    for (int y = dst.Bottom - 1; y >= dst.Top; --y) move(y);
  else
    for (int y = dst.Top; y < dst.Bottom; ++y) move(y);
}
