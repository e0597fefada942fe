// Toolkit drawing devices (see qt_gfx_device.h). Glyphs are placed one by one
// at the pen positions the advance array gives, so a run looks exactly like
// its characters drawn singly at the same places (on a finer surface each is
// moved by a fraction of a pixel that its neighbours share in; see TextRun).
#include "platform/qt/qt_gfx_device.h"

#include <QBrush>
#include <QGlyphRun>
#include <QPen>
#include <QRegion>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/qt/qt_gfx_fonts.h"

namespace qtgfx {
namespace {

QColor ToQColor(TColor rgb) { return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)); }

QRegion ToRegion(const TRect* rects, int n) {
  QRegion r;
  for (int i = 0; i < n; ++i) r += QRect(rects[i].Left, rects[i].Top, rects[i].Width(), rects[i].Height());
  return r;
}

QPen ToQPen(const TPenSpec& p) {
  if (p.Style == psClear) return QPen(Qt::NoPen);
  QPen pen(ToQColor(p.Color));
  pen.setWidth(std::max(1, p.Width));
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  switch (p.Style) {
    case psDash: pen.setStyle(Qt::DashLine); break;
    case psDot: pen.setStyle(Qt::DotLine); break;
    case psDashDot: pen.setStyle(Qt::DashDotLine); break;
    case psDashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
    default: break;
  }
  return pen;
}

QImage WrapSurface(const TSurface& s) {
  return QImage(reinterpret_cast<const uchar*>(s.Bits()), s.Width(), s.Height(), s.Width() * 4, QImage::Format_RGB32);
}

QBrush ToQBrush(const TBrushSpec& b) {
  if (b.Pattern) return QBrush(WrapSurface(*b.Pattern).copy());
  switch (b.Style) {
    case bsClear: return QBrush(Qt::NoBrush);
    case bsHorizontal: return QBrush(ToQColor(b.Color), Qt::HorPattern);
    case bsVertical: return QBrush(ToQColor(b.Color), Qt::VerPattern);
    case bsFDiagonal: return QBrush(ToQColor(b.Color), Qt::FDiagPattern);
    case bsBDiagonal: return QBrush(ToQColor(b.Color), Qt::BDiagPattern);
    case bsCross: return QBrush(ToQColor(b.Color), Qt::CrossPattern);
    case bsDiagCross: return QBrush(ToQColor(b.Color), Qt::DiagCrossPattern);
    default: return QBrush(ToQColor(b.Color));
  }
}

}  // namespace

// The toolkit's form of the run's font: fonts realised before the toolkit
// was installed are realised again (`keep` holds such a copy).
const QtFontData& DrawingFont(const TTextRun& run, std::shared_ptr<const TFontData>& keep) {
  if (const auto* fd = dynamic_cast<const QtFontData*>(run.Font)) return *fd;
  keep = QtFontEngine().Realize(run.Font->Request);
  return static_cast<const QtFontData&>(*keep);
}

void PaintGlyphs(QPainter& painter, const TTextRun& run, const QtFontData& fd, const double* shifts = nullptr) {
  thread_local QVector<quint32> idx;
  thread_local QVector<QPointF> pos;
  idx.clear();
  pos.clear();
  int x = run.X;
  for (std::size_t i = 0; i < run.Length; ++i) {
    unsigned char c = static_cast<unsigned char>(run.Text[i]);
    if (quint32 g = fd.Glyphs[c]) {
      idx.push_back(g);
      pos.push_back(QPointF(x + (shifts ? shifts[i] : 0.0), run.Y));
    }
    x += run.Advances[i];
  }
  if (idx.isEmpty()) return;
  QGlyphRun gr;
  gr.setRawFont(fd.Raw);
  gr.setGlyphIndexes(idx);
  gr.setPositions(pos);
  painter.setPen(ToQColor(run.Color));
  painter.drawGlyphRun(QPointF(0, 0), gr);
}

void PaintGlyphs(QPainter& painter, const TTextRun& run) {
  std::shared_ptr<const TFontData> keep;
  PaintGlyphs(painter, run, DrawingFont(run, keep));
}

namespace {

// Draws the glyphs of `cells` side by side on a transparent image, where
// any coverage at all leaves a pixel that is not transparent, and stores the
// ink each leaves. A glyph's cell is its outline's box widened by a margin:
// ink that reaches the cell's edge may go on beyond it, and the glyph is
// taken as unbounded.
struct InkCell {
  unsigned char Byte;
  int X, Width;  // columns of the image
  int PenX;      // pen position within the cell
};

void MeasureCells(const QtFontData& fd, const std::vector<InkCell>& cells, int width, int top, int bottom) {
  QImage img(width, bottom - top, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  {
    QVector<quint32> idx;
    QVector<QPointF> pos;
    for (const InkCell& cell : cells) {
      idx.push_back(fd.Glyphs[cell.Byte]);
      pos.push_back(QPointF(cell.X + cell.PenX, -top));
    }
    QGlyphRun gr;
    gr.setRawFont(fd.Raw);
    gr.setGlyphIndexes(idx);
    gr.setPositions(pos);
    QPainter p(&img);
    p.setPen(QColor(0, 0, 0));
    p.drawGlyphRun(QPointF(0, 0), gr);
  }
  const int rows = img.height();
  for (const InkCell& cell : cells) {
    int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
    for (int y = 0; y < rows; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y)) + cell.X;
      for (int x = 0; x < cell.Width; ++x)
        if (row[x]) {
          l = std::min(l, x);
          r = std::max(r, x + 1);
          t = std::min(t, y);
          b = std::max(b, y + 1);
        }
    }
    GlyphInk ink;
    if (l == INT_MAX)
      ink = {};
    else if (l == 0 || t == 0 || r == cell.Width || b == rows)
      ink = kUnboundedInk;
    else
      ink = {l - cell.PenX, t + top, r - cell.PenX, b + top};
    fd.Ink[cell.Byte].store(PackInk(ink), std::memory_order_relaxed);
  }
}

// Measures the glyphs of these bytes that are not measured yet, up to
// kMaxWidth pixels' width of cells per drawing.
void MeasureInk(const QtFontData& fd, const unsigned char* bytes, std::size_t n) {
  constexpr int kMaxCell = 1024, kMaxWidth = 2048;
  const int ppem = std::max(1, static_cast<int>(std::lround(fd.Raw.pixelSize())));
  const int margin = 4 + ppem / 2;
  std::vector<InkCell> cells;
  int width = 0, top = 0, bottom = 0;  // rows from the baseline
  bool listed[256] = {};
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = bytes[i];
    if (listed[c] || fd.Ink[c].load(std::memory_order_relaxed)) continue;
    listed[c] = true;
    if (!fd.Glyphs[c]) {
      fd.Ink[c].store(PackInk({}), std::memory_order_relaxed);
      continue;
    }
    const QRectF box = fd.Raw.boundingRect(fd.Glyphs[c]);
    const double l = std::floor(box.left()) - margin, r = std::ceil(box.right()) + margin;
    const double t = std::floor(box.top()) - margin, b = std::ceil(box.bottom()) + margin;
    if (!(r - l <= kMaxCell && b - t <= kMaxCell && std::abs(l) <= kMaxCell && std::abs(t) <= kMaxCell)) {
      fd.Ink[c].store(PackInk(kUnboundedInk), std::memory_order_relaxed);  // no sensible box
      continue;
    }
    if (width + (r - l) > kMaxWidth) {
      MeasureCells(fd, cells, width, top, bottom);
      cells.clear();
      width = top = bottom = 0;
    }
    cells.push_back({c, width, static_cast<int>(r - l), static_cast<int>(-l)});
    width += static_cast<int>(r - l);
    top = std::min(top, static_cast<int>(t));
    bottom = std::max(bottom, static_cast<int>(b));
  }
  if (!cells.empty()) MeasureCells(fd, cells, width, top, bottom);
}

}  // namespace

std::uint64_t PackInk(const GlyphInk& in) {
  // Four fields of 15 bits from kUnboundedInk.Left up, and a bit that tells
  // a measured glyph (0 is "not measured").
  constexpr int kMin = kUnboundedInk.Left, kMax = kUnboundedInk.Right;
  const GlyphInk& ink = std::min({in.Left, in.Top, in.Right, in.Bottom}) < kMin ||
                                std::max({in.Left, in.Top, in.Right, in.Bottom}) > kMax
                            ? kUnboundedInk
                            : in;
  auto field = [](int v) { return static_cast<std::uint64_t>(v - kMin); };
  return std::uint64_t{1} << 63 | field(ink.Left) | field(ink.Top) << 15 | field(ink.Right) << 30 |
         field(ink.Bottom) << 45;
}

GlyphInk UnpackInk(std::uint64_t v) {
  auto field = [&](int shift) { return static_cast<int>((v >> shift) & 0x7FFF) + kUnboundedInk.Left; };
  return {field(0), field(15), field(30), field(45)};
}

TRect RunInk(const QtFontData& fd, const TTextRun& run, const double* shifts) {
  int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
  int x = run.X;
  for (std::size_t i = 0; i < run.Length; ++i) {
    const unsigned char c = static_cast<unsigned char>(run.Text[i]);
    if (fd.Glyphs[c]) {
      // The first glyph not measured yet has the rest of the run measured.
      if (!fd.Ink[c].load(std::memory_order_relaxed))
        MeasureInk(fd, reinterpret_cast<const unsigned char*>(run.Text) + i, run.Length - i);
      const GlyphInk ink = UnpackInk(fd.Ink[c].load(std::memory_order_relaxed));
      if (ink == kUnboundedInk) return {INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2};
      // A glyph moved by a fraction of a pixel inks up to one column more.
      const double shift = shifts ? shifts[i] : 0.0;
      if (!ink.Empty()) {
        l = std::min(l, x + static_cast<int>(std::floor(shift)) + ink.Left);
        t = std::min(t, run.Y + ink.Top);
        r = std::max(r, x + static_cast<int>(std::ceil(shift)) + ink.Right);
        b = std::max(b, run.Y + ink.Bottom);
      }
    }
    x += run.Advances[i];
  }
  if (l == INT_MAX) return {0, 0, 0, 0};
  return {l, t, r, b};
}

// ------------------------------------------------------------------ raster

QtRasterDevice::~QtRasterDevice() {
  if (scratchPainter_.isActive()) scratchPainter_.end();
  if (painter_.isActive()) painter_.end();
}

bool QtRasterDevice::Ensure() {
  if (surface_.Empty()) return false;
  if (painter_.isActive() && bits_ == surface_.Bits() && generation_ == surface_.Generation()) return true;
  if (painter_.isActive()) painter_.end();
  image_ = QImage(reinterpret_cast<uchar*>(surface_.Bits()), surface_.Width(), surface_.Height(),
                  surface_.Width() * 4, QImage::Format_RGB32);
  painter_.begin(&image_);
  bits_ = surface_.Bits();
  generation_ = surface_.Generation();
  return true;
}

void QtRasterDevice::TextRun(const TTextRun& unitRun) {
  if (!Ensure()) return;
  std::shared_ptr<const TFontData> keep;
  // On a finer surface the glyphs come from the font at the scale's size,
  // placed where the units put them. That font's advances are not the
  // scaled widths the layout took (rounded, and hinted at small sizes): the
  // layout drifts from where the font would put each glyph, and placed by
  // the layout alone a gap opens after one letter and closes after the next
  // ("Hilf e"). So each glyph is moved by the mean drift at the edges of
  // itself and of its two neighbours, less its own: every gap takes a
  // quarter of what the four letters around it gain or lose, so the gaps
  // stay even, while a letter moves no further than the letters around it
  // gain or lose (a lone one is centred in its room) and depends on none
  // further away. Moved by quarter pixels, which the toolkit's positions
  // hold exactly: a run drawn from another origin, as one crossing the clip
  // is, then gets the same pixels.
  TTextRun run = unitRun;
  std::vector<int> advances;
  const double* shifts = nullptr;
  if (scale_ > 1) {
    TFontRequest request = unitRun.Font->Request;
    request.Height = (request.Height == 0 ? -11 : request.Height) * scale_;
    keep = QtFontEngine().Realize(request);
    run.Font = keep.get();
    run.X *= scale_;
    run.Y *= scale_;
    advances.assign(unitRun.Advances, unitRun.Advances + unitRun.Length);
    for (int& a : advances) a *= scale_;
    run.Advances = advances.data();
    const auto& fine = static_cast<const QtFontData&>(*keep);
    const int n = static_cast<int>(unitRun.Length);
    drift_.assign(static_cast<std::size_t>(n) + 1, 0.0);
    for (int i = 0; i < n; ++i) {
      const unsigned char c = static_cast<unsigned char>(unitRun.Text[i]);
      drift_[i + 1] = drift_[i] + scale_ * unitRun.Font->Widths[c] - fine.Advances[c];
    }
    shifts_.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      double mean = 0;
      for (int j = i - 1; j <= i + 2; ++j) mean += drift_[std::clamp(j, 0, n)] / 4;
      shifts_[i] = std::round((mean - drift_[i]) * 4) / 4;
    }
    shifts = shifts_.data();
  }
  const QtFontData& fd = DrawingFont(run, keep);
  if (!clipped_) {
    PaintGlyphs(painter_, run, fd, shifts);
    return;
  }
  const TRect ink = RunInk(fd, run, shifts);
  if (ink.IsEmpty()) return;
  TRect area{0, 0, 0, 0};
  for (const TRect& c : clip_) {
    if (ink.Left >= c.Left && ink.Top >= c.Top && ink.Right <= c.Right && ink.Bottom <= c.Bottom) {
      PaintGlyphs(painter_, run, fd, shifts);  // as nearly every run of a text
      return;
    }
    area = UnionRect(area, c);
  }
  if (!IntersectRect(area, area, ink) || !IntersectRect(area, area, surface_.Bounds())) return;
  PaintCrossing(run, fd, area, shifts);
}

void QtRasterDevice::PaintCrossing(const TTextRun& run, const QtFontData& fd, const TRect& area,
                                   const double* shifts) {
  const int w = area.Width(), h = area.Height();
  if (scratch_.width() < w || scratch_.height() < h) {
    if (scratchPainter_.isActive()) scratchPainter_.end();
    scratch_ = QImage(std::max(w, scratch_.width()), std::max(h, scratch_.height()), QImage::Format_RGB32);
    scratchPainter_.begin(&scratch_);
  }
  uchar* bits = scratch_.bits();
  const qsizetype stride = scratch_.bytesPerLine();
  const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
  for (int y = 0; y < h; ++y) std::memcpy(bits + y * stride, surface_.Row(area.Top + y) + area.Left, rowBytes);
  TTextRun moved = run;
  moved.X -= area.Left;
  moved.Y -= area.Top;
  PaintGlyphs(scratchPainter_, moved, fd, shifts);
  for (const TRect& c : clip_) {
    TRect v;
    if (!IntersectRect(v, c, area)) continue;
    for (int y = v.Top; y < v.Bottom; ++y)
      std::memcpy(surface_.Row(y) + v.Left, bits + (y - area.Top) * stride + (v.Left - area.Left) * 4,
                  static_cast<std::size_t>(v.Width()) * 4);
  }
}

// ------------------------------------------------------------------ pages

void QtPageDevice::SetClip(const TRect* rects, int n) {
  if (!rects)
    painter_.setClipping(false);
  else
    painter_.setClipRegion(ToRegion(rects, n));
}

void QtPageDevice::Polyline(const TPoint* pts, int n, const TPenSpec& pen) {
  if (n < 2 || pen.Style == psClear) return;
  std::vector<QPoint> q;
  for (int i = 0; i < n; ++i) q.emplace_back(pts[i].X, pts[i].Y);
  painter_.setPen(ToQPen(pen));
  painter_.setBrush(Qt::NoBrush);
  painter_.drawPolyline(q.data(), n);
}

void QtPageDevice::Polygon(const TPoint* pts, int n, const TPenSpec& pen, const TBrushSpec& brush) {
  std::vector<QPoint> q;
  for (int i = 0; i < n; ++i) q.emplace_back(pts[i].X, pts[i].Y);
  painter_.setPen(ToQPen(pen));
  painter_.setBrush(ToQBrush(brush));
  painter_.drawPolygon(q.data(), n, Qt::OddEvenFill);
}

void QtPageDevice::Ellipse(const TRect& b, const TPenSpec& pen, const TBrushSpec& brush) {
  painter_.setPen(ToQPen(pen));
  painter_.setBrush(ToQBrush(brush));
  painter_.drawEllipse(QRect(b.Left, b.Top, b.Width() - 1, b.Height() - 1));
}

void QtPageDevice::FillRect(const TRect& r, const TBrushSpec& brush, std::uint32_t rop) {
  if (r.IsEmpty()) return;
  QRect q(r.Left, r.Top, r.Width(), r.Height());
  switch (static_cast<std::uint8_t>(rop >> 16)) {
    case 0x00: painter_.fillRect(q, Qt::black); return;
    case 0xFF: painter_.fillRect(q, Qt::white); return;
    case 0xF0: break;
    default: return;  // inverting operations have no meaning on paper
  }
  if (brush.IsClear()) return;
  painter_.fillRect(q, ToQBrush(brush));
}

void QtPageDevice::TextRun(const TTextRun& run) { PaintGlyphs(painter_, run); }

void QtPageDevice::Blit(const TRect& dst, const TSurface& src, const TRect& srcRect, std::uint32_t rop,
                        const TBrushSpec&, std::uint32_t transparent) {
  if (dst.IsEmpty() || src.Empty()) return;
  QImage img = WrapSurface(src).copy(srcRect.Left, srcRect.Top, srcRect.Width(), srcRect.Height());
  std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
  if (code == 0x33 || code == 0x11) img.invertPixels();
  if (transparent) {
    img = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
      for (int x = 0; x < img.width(); ++x)
        if (((row[x] ^ transparent) & 0xFFFFFF) == 0) row[x] = 0;
    }
  }
  painter_.drawImage(QRect(dst.Left, dst.Top, dst.Width(), dst.Height()), img);
}

void QtPageDevice::SetPixel(int x, int y, TColor rgb) { painter_.fillRect(QRect(x, y, 1, 1), ToQColor(rgb)); }

}  // namespace qtgfx
