// TPen, TBrush and TCanvas (see canvas.h). The canvas turns logical calls
// into device primitives: it applies the origin, builds the clip, resolves
// system colours and computes text positions from the font's advances.
#include "platform/gfx/canvas.h"

#include <algorithm>

#include "platform/gfx/bitmap.h"

// ------------------------------------------------------------------ TPen

void TPen::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  Changed();
}
void TPen::SetWidth(int w) {
  w = std::max(0, w);
  if (w == width_) return;
  width_ = w;
  Changed();
}
void TPen::SetStyle(TPenStyle s) {
  if (s == style_) return;
  style_ = s;
  Changed();
}
void TPen::SetMode(TPenMode m) {
  if (m == mode_) return;
  mode_ = m;
  Changed();
}
void TPen::Assign(const TPen& source) {
  if (&source == this) return;
  color_ = source.color_;
  width_ = source.width_;
  style_ = source.style_;
  mode_ = source.mode_;
  Changed();
}
void TPen::Assign(const TPersistent* source) {
  if (auto* p = dynamic_cast<const TPen*>(source))
    Assign(*p);
  else
    TPersistent::Assign(source);
}

// ------------------------------------------------------------------ TBrush

TBrush::TBrush(const TBrush& other)
    : TPersistent(), color_(other.color_), style_(other.style_), bitmap_(other.bitmap_), pattern_(other.pattern_) {}

TBrush& TBrush::operator=(const TBrush& other) {
  Assign(other);
  return *this;
}

void TBrush::SetColor(TColor c) {
  if (c == color_ && style_ != bsClear) return;
  color_ = c;
  if (style_ == bsClear) style_ = bsSolid;  // as the library does
  Changed();
}
void TBrush::SetStyle(TBrushStyle s) {
  if (s == style_) return;
  style_ = s;
  Changed();
}
void TBrush::SetBitmap(const TBitmap* bmp) {
  bitmap_ = bmp;
  pattern_ = TSurface();
  if (bmp && !bmp->Empty()) {
    const TSurface& src = bmp->Surface();
    pattern_.Resize(8, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) pattern_.Row(y)[x] = src.Row(y % src.Height())[x % src.Width()];
  }
  Changed();
}
void TBrush::Assign(const TBrush& source) {
  if (&source == this) return;
  color_ = source.color_;
  style_ = source.style_;
  bitmap_ = source.bitmap_;
  pattern_ = source.pattern_;
  Changed();
}
void TBrush::Assign(const TPersistent* source) {
  if (auto* b = dynamic_cast<const TBrush*>(source))
    Assign(*b);
  else
    TPersistent::Assign(source);
}

TBrushSpec TBrush::Spec() const {
  TBrushSpec s;
  s.Color = ColorToRGB(color_);
  s.Style = style_;
  s.Pattern = pattern_.Empty() ? nullptr : &pattern_;
  return s;
}

// ------------------------------------------------------------------ TCanvas

namespace {

// Scratch buffers of the hot text path (one canvas per thread draws at a time).
thread_local std::vector<int> tAdvances;
thread_local std::vector<TPoint> tPoints;

// r minus cut, as up to four disjoint rectangles.
void Subtract(const TRect& r, const TRect& cut, std::vector<TRect>& out) {
  TRect i;
  if (!IntersectRect(i, r, cut)) {
    out.push_back(r);
    return;
  }
  if (r.Top < i.Top) out.push_back({r.Left, r.Top, r.Right, i.Top});
  if (i.Bottom < r.Bottom) out.push_back({r.Left, i.Bottom, r.Right, r.Bottom});
  if (r.Left < i.Left) out.push_back({r.Left, i.Top, i.Left, i.Bottom});
  if (i.Right < r.Right) out.push_back({i.Right, i.Top, r.Right, i.Bottom});
}

}  // namespace

TCanvas::TCanvas(TDrawDevice* device) : device_(device) {
  font_.OnChange = [this](TObject*) { fontDirty_ = true; };
  brush_.OnChange = [this](TObject*) { brushDirty_ = true; };
  if (device_) font_.SetPixelsPerInch(device_->Caps().LogPixelsY);
}

void TCanvas::SetDevice(TDrawDevice* device) {
  device_ = device;
  clipped_ = false;
  clip_.clear();
  if (device_) font_.SetPixelsPerInch(device_->Caps().LogPixelsY);
}

void TCanvas::SetViewport(TPoint origin, const TRect* limit) {
  origin_ = origin;
  limited_ = limit != nullptr;
  if (limit) limit_ = *limit;
}

void TCanvas::RequireDevice() const {
  if (!device_) throw EInvalidOperation("Canvas does not allow drawing");
}

void TCanvas::Realize() {
  if (brushDirty_) {
    brushDirty_ = false;
    bkMode_ = brush_.Style() == bsSolid ? OPAQUE : TRANSPARENT;
    bkColor_ = ColorToRGB(brush_.Color());
  }
  if (fontDirty_) {
    fontDirty_ = false;
    textColor_ = ColorToRGB(font_.Color());
  }
}

void TCanvas::ApplyClip(const TRect* extra) {
  thread_local std::vector<TRect> rects;
  rects.clear();
  if (clipped_) {
    rects = clip_;
  } else if (limited_ || extra) {
    rects.push_back(limited_ ? limit_ : TRect{-(1 << 29), -(1 << 29), 1 << 29, 1 << 29});
  } else {
    device_->SetClip(nullptr, 0);
    return;
  }
  if (limited_ && clipped_) {
    std::size_t k = 0;
    for (auto& r : rects)
      if (IntersectRect(r, r, limit_)) rects[k++] = r;
    rects.resize(k);
  }
  if (extra) {
    std::size_t k = 0;
    for (auto& r : rects)
      if (IntersectRect(r, r, *extra)) rects[k++] = r;
    rects.resize(k);
  }
  device_->SetClip(rects.data(), static_cast<int>(rects.size()));
}

TPenSpec TCanvas::PenSpec() const {
  TPenSpec p;
  p.Color = ColorToRGB(pen_.Color());
  p.Width = pen_.Width();
  p.Style = pen_.Style();
  p.Mode = pen_.Mode();
  return p;
}

void TCanvas::SolidFill(const TRect& r, TColor rgb) {
  TBrushSpec b;
  b.Color = rgb;
  device_->FillRect(r, b, PATCOPY);
}

void TCanvas::LineTo(int x, int y) {
  RequireDevice();
  ApplyClip();
  TPoint pts[2] = {{penPos_.X + origin_.X, penPos_.Y + origin_.Y}, {x + origin_.X, y + origin_.Y}};
  device_->Polyline(pts, 2, PenSpec());
  penPos_ = {x, y};
}

void TCanvas::Polyline(const TPoint* pts, int n) {
  RequireDevice();
  ApplyClip();
  tPoints.assign(pts, pts + n);
  for (auto& p : tPoints) p = {p.X + origin_.X, p.Y + origin_.Y};
  device_->Polyline(tPoints.data(), n, PenSpec());
}

void TCanvas::Polygon(const TPoint* pts, int n) {
  RequireDevice();
  ApplyClip();
  tPoints.assign(pts, pts + n);
  for (auto& p : tPoints) p = {p.X + origin_.X, p.Y + origin_.Y};
  device_->Polygon(tPoints.data(), n, PenSpec(), brush_.Spec());
}

void TCanvas::Rectangle(int l, int t, int r, int b) {
  RequireDevice();
  ApplyClip();
  TRect box = ToDevice({l, t, r, b});
  if (box.IsEmpty()) return;
  TPenSpec pen = PenSpec();
  TBrushSpec brush = brush_.Spec();
  if (!brush.IsClear()) {
    TRect inner = box;
    if (pen.Style != psClear) InflateRect(inner, -1, -1);
    device_->FillRect(inner, brush, PATCOPY);
  }
  if (pen.Style != psClear) {
    TPoint pts[5] = {{box.Left, box.Top}, {box.Right - 1, box.Top}, {box.Right - 1, box.Bottom - 1},
                     {box.Left, box.Bottom - 1}, {box.Left, box.Top}};
    device_->Polyline(pts, 5, pen);
  }
}

void TCanvas::Ellipse(int l, int t, int r, int b) {
  RequireDevice();
  ApplyClip();
  device_->Ellipse(ToDevice({l, t, r, b}), PenSpec(), brush_.Spec());
}

void TCanvas::FillRect(const TRect& r) {
  RequireDevice();
  ApplyClip();
  device_->FillRect(ToDevice(r), brush_.Spec(), PATCOPY);
}

void TCanvas::FrameRect(const TRect& r) {
  RequireDevice();
  ApplyClip();
  TRect d = ToDevice(r);
  if (d.IsEmpty()) return;
  TBrushSpec b = brush_.Spec();
  device_->FillRect({d.Left, d.Top, d.Right, d.Top + 1}, b);
  device_->FillRect({d.Left, d.Bottom - 1, d.Right, d.Bottom}, b);
  device_->FillRect({d.Left, d.Top + 1, d.Left + 1, d.Bottom - 1}, b);
  device_->FillRect({d.Right - 1, d.Top + 1, d.Right, d.Bottom - 1}, b);
}

void TCanvas::DrawFocusRect(const TRect& r) {
  RequireDevice();
  ApplyClip();
  // Inverts every other pixel of the one-pixel frame (drawing it twice
  // removes it again).
  static const TSurface checker = [] {
    TSurface s;
    s.Resize(8, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) s.Row(y)[x] = ((x + y) & 1) ? 0xFF000000u : 0xFFFFFFFFu;
    return s;
  }();
  TBrushSpec b;
  b.Pattern = &checker;
  TRect d = ToDevice(r);
  if (d.IsEmpty()) return;
  device_->FillRect({d.Left, d.Top, d.Right, d.Top + 1}, b, PATINVERT);
  if (d.Height() > 1) device_->FillRect({d.Left, d.Bottom - 1, d.Right, d.Bottom}, b, PATINVERT);
  device_->FillRect({d.Left, d.Top + 1, d.Left + 1, d.Bottom - 1}, b, PATINVERT);
  if (d.Width() > 1) device_->FillRect({d.Right - 1, d.Top + 1, d.Right, d.Bottom - 1}, b, PATINVERT);
}

void TCanvas::InvertRect(const TRect& r) {
  RequireDevice();
  ApplyClip();
  device_->FillRect(ToDevice(r), TBrushSpec{}, DSTINVERT);
}

TColor TCanvas::Pixels(int x, int y) {
  RequireDevice();
  x += origin_.X;
  y += origin_.Y;
  if (limited_ && !PtInRect(limit_, {x, y})) return clNone;
  return device_->GetPixel(x, y);
}

void TCanvas::SetPixels(int x, int y, TColor c) {
  RequireDevice();
  ApplyClip();
  device_->SetPixel(x + origin_.X, y + origin_.Y, ColorToRGB(c));
}

// ------------------------------------------------------------------ text

int TCanvas::TextWidth(const std::string& text) { return font_.Data().TextWidth(text.data(), text.size()); }

int TCanvas::TextHeight(const std::string&) { return font_.Data().Metric.tmHeight; }

TSize TCanvas::TextExtent(const std::string& text) {
  const TFontData& fd = font_.Data();
  return {fd.TextWidth(text.data(), text.size()), fd.Metric.tmHeight};
}

bool TCanvas::GetTextMetrics(TTextMetric& tm) {
  tm = font_.Data().Metric;
  return true;
}

bool TCanvas::GetCharWidth(unsigned first, unsigned last, int* widths) {
  if (first > last || last > 255) return false;
  const TFontData& fd = font_.Data();
  for (unsigned c = first; c <= last; ++c) widths[c - first] = fd.Widths[c];
  return true;
}

bool TCanvas::GetTextExtentPoint32(const char* text, int length, TSize& size) {
  const TFontData& fd = font_.Data();
  size = {fd.TextWidth(text, static_cast<std::size_t>(std::max(0, length))), fd.Metric.tmHeight};
  return true;
}

int TCanvas::SetBkMode(int mode) {
  Realize();
  int old = bkMode_;
  bkMode_ = mode;
  return old;
}
int TCanvas::GetBkMode() {
  Realize();
  return bkMode_;
}
TColor TCanvas::SetBkColor(TColor c) {
  Realize();
  TColor old = bkColor_;
  bkColor_ = ColorToRGB(c);
  return old;
}
TColor TCanvas::GetBkColor() {
  Realize();
  return bkColor_;
}
TColor TCanvas::SetTextColor(TColor c) {
  Realize();
  TColor old = textColor_;
  textColor_ = ColorToRGB(c);
  return old;
}
TColor TCanvas::GetTextColor() {
  Realize();
  return textColor_;
}
unsigned TCanvas::SetTextAlign(unsigned align) {
  unsigned old = textAlign_;
  textAlign_ = align;
  return old;
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  ExtTextOut(x, y, 0, nullptr, text.data(), static_cast<int>(text.size()));
  if (!(textAlign_ & TA_UPDATECP)) penPos_ = {x + TextWidth(text), y};
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
  unsigned opts = ETO_CLIPPED;
  if (brush_.Style() != bsClear) opts |= ETO_OPAQUE;
  ExtTextOut(x, y, opts, &r, text.data(), static_cast<int>(text.size()));
}

bool TCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect, const char* text, int length,
                         const int* advances) {
  RequireDevice();
  Realize();
  const TFontData& fd = font_.Data();
  const int n = std::max(0, length);
  if (!advances) {
    tAdvances.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) tAdvances[i] = fd.Widths[static_cast<unsigned char>(text[i])];
    advances = tAdvances.data();
  }
  int total = 0;
  for (int i = 0; i < n; ++i) total += advances[i];
  const bool updateCp = (textAlign_ & TA_UPDATECP) != 0;
  if (updateCp) {
    x = penPos_.X;
    y = penPos_.Y;
  }
  int left = x;
  if ((textAlign_ & TA_CENTER) == TA_CENTER)
    left = x - total / 2;
  else if (textAlign_ & TA_RIGHT)
    left = x - total;
  int base = y;
  if ((textAlign_ & TA_BASELINE) == TA_BASELINE)
    base = y;
  else if (textAlign_ & TA_BOTTOM)
    base = y - fd.Metric.tmDescent;
  else
    base = y + fd.Metric.tmAscent;
  const int dx = left + origin_.X, dy = base + origin_.Y;
  TRect devRect;
  if (rect) devRect = ToDevice(*rect);
  const TRect* extra = rect && (options & ETO_CLIPPED) ? &devRect : nullptr;

  if (rect && (options & ETO_OPAQUE)) {
    ApplyClip();
    SolidFill(devRect, bkColor_);
  }
  ApplyClip(extra);
  if (n > 0) {
    if (!(rect && (options & ETO_OPAQUE)) && bkMode_ == OPAQUE)
      SolidFill({dx, dy - fd.Metric.tmAscent, dx + total, dy + fd.Metric.tmDescent}, bkColor_);
    TTextRun run;
    run.X = dx;
    run.Y = dy;
    run.Text = text;
    run.Length = static_cast<std::size_t>(n);
    run.Advances = advances;
    run.Font = &fd;
    run.Color = textColor_;
    device_->TextRun(run);
    if (fd.Request.Style.Contains(fsUnderline))
      SolidFill({dx, dy + fd.UnderlineOffset, dx + total, dy + fd.UnderlineOffset + fd.UnderlineThickness},
                textColor_);
    if (fd.Request.Style.Contains(fsStrikeOut))
      SolidFill({dx, dy - fd.StrikeOutOffset, dx + total, dy - fd.StrikeOutOffset + fd.UnderlineThickness},
                textColor_);
  }
  if (updateCp) {
    if ((textAlign_ & TA_CENTER) == TA_CENTER)
      penPos_.X = x;
    else if (textAlign_ & TA_RIGHT)
      penPos_.X = x - total;
    else
      penPos_.X = x + total;
  }
  return true;
}

// ------------------------------------------------------------------ pictures and blocks

void TCanvas::Draw(int x, int y, TGraphic& graphic) {
  if (graphic.Empty()) return;
  graphic.Draw(*this, Bounds(x, y, graphic.Width(), graphic.Height()));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic& graphic) {
  if (graphic.Empty()) return;
  graphic.Draw(*this, r);
}

void TCanvas::DrawSurface(const TRect& dest, const TSurface& src, const TRect& srcRect, std::uint32_t rop,
                          std::uint32_t transparent) {
  RequireDevice();
  Realize();
  ApplyClip();
  device_->Blit(ToDevice(dest), src, srcRect, rop, brush_.Spec(), transparent);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
  StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), &source, sourceRect.Left, sourceRect.Top,
             sourceRect.Width(), sourceRect.Height(), copyMode_);
}

bool TCanvas::BitBlt(int x, int y, int w, int h, TCanvas* source, int sx, int sy, std::uint32_t rop) {
  return StretchBlt(x, y, w, h, source, sx, sy, w, h, rop);
}

bool TCanvas::StretchBlt(int x, int y, int w, int h, TCanvas* source, int sx, int sy, int sw, int sh,
                         std::uint32_t rop) {
  RequireDevice();
  // Operations without a source need no source canvas.
  const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
  const bool usesSource = ((code >> 2) & 0x33) != (code & 0x33);
  if (!usesSource) return PatBlt(x, y, w, h, rop);
  if (!source || !source->device_) return false;
  TSurface* s = source->device_->Surface();
  if (!s) return false;
  TRect srcRect = Bounds(sx + source->origin_.X, sy + source->origin_.Y, sw, sh);
  DrawSurface(Bounds(x, y, w, h), *s, srcRect, rop);
  return true;
}

bool TCanvas::PatBlt(int x, int y, int w, int h, std::uint32_t rop) {
  RequireDevice();
  ApplyClip();
  device_->FillRect(ToDevice(Bounds(x, y, w, h)), brush_.Spec(), rop);
  return true;
}

// ------------------------------------------------------------------ clipping

TRect TCanvas::ClipRect() const {
  TRect b;
  if (clipped_) {
    for (const TRect& r : clip_) b = UnionRect(b, r);
  } else if (limited_) {
    b = limit_;
  } else if (device_) {
    TDeviceCaps c = device_->Caps();
    b = {0, 0, c.PhysicalWidth ? c.PhysicalWidth : c.HorzRes, c.PhysicalHeight ? c.PhysicalHeight : c.VertRes};
  }
  if (limited_) IntersectRect(b, b, limit_);
  OffsetRect(b, -origin_.X, -origin_.Y);
  return b;
}

int TCanvas::IntersectClipRect(int l, int t, int r, int b) {
  TRect c = ToDevice({l, t, r, b});
  if (!clipped_) {
    clipped_ = true;
    clip_.clear();
    if (!c.IsEmpty()) clip_.push_back(c);
  } else {
    std::size_t k = 0;
    for (auto& x : clip_)
      if (IntersectRect(x, x, c)) clip_[k++] = x;
    clip_.resize(k);
  }
  return clip_.empty() ? 1 : 2;  // NULLREGION : SIMPLEREGION
}

int TCanvas::ExcludeClipRect(int l, int t, int r, int b) {
  TRect c = ToDevice({l, t, r, b});
  if (!clipped_) {
    // The whole visible device, taken while the canvas is still unclipped.
    const TRect all = limited_ ? limit_ : ToDevice(ClipRect());
    clipped_ = true;
    clip_.clear();
    clip_.push_back(all);
  }
  std::vector<TRect> next;
  for (const auto& x : clip_) Subtract(x, c, next);
  clip_.swap(next);
  return clip_.empty() ? 1 : (clip_.size() == 1 ? 2 : 3);
}

int TCanvas::SelectClipRect(const TRect* r) {
  if (!r) {
    clipped_ = false;
    clip_.clear();
    return 2;
  }
  clipped_ = true;
  clip_.clear();
  TRect c = ToDevice(*r);
  if (!c.IsEmpty()) clip_.push_back(c);
  return clip_.empty() ? 1 : 2;
}

void TCanvas::ResetDeviceState() {
  textAlign_ = TA_TOP | TA_LEFT | TA_NOUPDATECP;
  penPos_ = {0, 0};
  clipped_ = false;
  clip_.clear();
  saved_.clear();
  brushDirty_ = fontDirty_ = true;
}

int TCanvas::SaveDC() {
  Realize();
  saved_.push_back({clipped_, clip_, penPos_, textAlign_, bkMode_, bkColor_, textColor_});
  return static_cast<int>(saved_.size());
}

bool TCanvas::RestoreDC(int level) {
  int n = static_cast<int>(saved_.size());
  if (level < 0) level = n + 1 + level;
  if (level < 1 || level > n) return false;
  Saved s = saved_[level - 1];
  saved_.resize(level - 1);
  clipped_ = s.clipped;
  clip_ = s.clip;
  penPos_ = s.penPos;
  textAlign_ = s.textAlign;
  bkMode_ = s.bkMode;
  bkColor_ = s.bkColor;
  textColor_ = s.textColor;
  return true;
}

bool TCanvas::ScrollDC(int dx, int dy, const TRect* scroll, const TRect* clip, TRect* update) {
  RequireDevice();
  TRect area = scroll ? ToDevice(*scroll) : ToDevice(ClipRect());
  if (clip) IntersectRect(area, area, ToDevice(*clip));
  TRect visible = ToDevice(ClipRect());
  IntersectRect(area, area, visible);
  if (area.IsEmpty()) {
    if (update) *update = TRect{};
    return true;
  }
  device_->Scroll(dx, dy, area);
  // The uncovered strips: the part of the area the moved pixels left.
  TRect moved = area;
  OffsetRect(moved, dx, dy);
  TRect kept;
  TRect uncovered;
  if (!IntersectRect(kept, moved, area)) {
    uncovered = area;
  } else {
    if (dy > 0) uncovered = UnionRect(uncovered, {area.Left, area.Top, area.Right, kept.Top});
    if (dy < 0) uncovered = UnionRect(uncovered, {area.Left, kept.Bottom, area.Right, area.Bottom});
    if (dx > 0) uncovered = UnionRect(uncovered, {area.Left, area.Top, kept.Left, area.Bottom});
    if (dx < 0) uncovered = UnionRect(uncovered, {kept.Right, area.Top, area.Right, area.Bottom});
  }
  if (update) {
    OffsetRect(uncovered, -origin_.X, -origin_.Y);
    *update = uncovered;
  }
  return true;
}

int TCanvas::GetDeviceCaps(int index) const {
  RequireDevice();
  return device_->Caps().Get(index);
}
