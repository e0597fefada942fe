// Toolkit drawing devices (see qt_gfx_device.h). Glyphs are placed one by one
// at the pen positions the advance array gives, so a run looks exactly like
// its characters drawn singly at the same places.
#include "platform/qt/qt_gfx_device.h"

#include <QBrush>
#include <QGlyphRun>
#include <QPen>
#include <QRegion>

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

void PaintGlyphs(QPainter& painter, const TTextRun& run) {
  const QtFontData* fd = dynamic_cast<const QtFontData*>(run.Font);
  std::shared_ptr<const TFontData> keep;
  if (!fd) {  // realised before the toolkit was installed
    keep = QtFontEngine().Realize(run.Font->Request);
    fd = static_cast<const QtFontData*>(keep.get());
  }
  thread_local QVector<quint32> idx;
  thread_local QVector<QPointF> pos;
  idx.clear();
  pos.clear();
  int x = run.X;
  for (std::size_t i = 0; i < run.Length; ++i) {
    unsigned char c = static_cast<unsigned char>(run.Text[i]);
    if (quint32 g = fd->Glyphs[c]) {
      idx.push_back(g);
      pos.push_back(QPointF(x, run.Y));
    }
    x += run.Advances[i];
  }
  if (idx.isEmpty()) return;
  QGlyphRun gr;
  gr.setRawFont(fd->Raw);
  gr.setGlyphIndexes(idx);
  gr.setPositions(pos);
  painter.setPen(ToQColor(run.Color));
  painter.drawGlyphRun(QPointF(0, 0), gr);
}

// ------------------------------------------------------------------ raster

QtRasterDevice::~QtRasterDevice() {
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
  clipDirty_ = true;
  return true;
}

void QtRasterDevice::SetClip(const TRect* rects, int n) {
  bool same = (rects == nullptr) == !clipped_ && (!rects || (static_cast<int>(clip_.size()) == n &&
                                                             std::equal(clip_.begin(), clip_.end(), rects)));
  if (same) return;
  TRasterDevice::SetClip(rects, n);
  clipDirty_ = true;
}

void QtRasterDevice::TextRun(const TTextRun& run) {
  if (!Ensure()) return;
  if (clipDirty_) {
    if (clipped_)
      painter_.setClipRegion(ToRegion(clip_.data(), static_cast<int>(clip_.size())));
    else
      painter_.setClipping(false);
    clipDirty_ = false;
  }
  PaintGlyphs(painter_, run);
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
