// The recording device (see recorder.h).
#include "platform/gfx/recorder.h"

TRecordingDevice::TRecordingDevice() {
  caps_.HorzRes = caps_.PhysicalWidth = 1024;
  caps_.VertRes = caps_.PhysicalHeight = 768;
}

std::string TRecordedCall::ToString() const {
  std::string s = Op + "(";
  for (std::size_t i = 0; i < Args.size(); ++i) {
    if (i) s += ",";
    s += std::to_string(Args[i]);
  }
  s += ")";
  if (!Text.empty() || Op == "Text") s += " \"" + Text + "\"";
  return s;
}

std::vector<const TRecordedCall*> TRecordingDevice::Find(const std::string& op) const {
  std::vector<const TRecordedCall*> out;
  for (const auto& c : Calls)
    if (c.Op == op) out.push_back(&c);
  return out;
}

std::string TRecordingDevice::AllText() const {
  std::string s;
  for (const auto& c : Calls)
    if (c.Op == "Text") s += c.Text;
  return s;
}

TRecordedCall& TRecordingDevice::Add(const char* op) {
  Calls.emplace_back();
  TRecordedCall& c = Calls.back();
  c.Op = op;
  c.Clipped = clipped_;
  c.Clip = clip_;
  return c;
}

void TRecordingDevice::SetClip(const TRect* rects, int n) {
  clipped_ = rects != nullptr;
  clip_.assign(rects, rects ? rects + n : rects);
}

void TRecordingDevice::Polyline(const TPoint* pts, int n, const TPenSpec& pen) {
  auto& c = Add("Polyline");
  for (int i = 0; i < n; ++i) {
    c.Args.push_back(pts[i].X);
    c.Args.push_back(pts[i].Y);
  }
  c.Pen = pen;
}

void TRecordingDevice::Polygon(const TPoint* pts, int n, const TPenSpec& pen, const TBrushSpec& brush) {
  auto& c = Add("Polygon");
  for (int i = 0; i < n; ++i) {
    c.Args.push_back(pts[i].X);
    c.Args.push_back(pts[i].Y);
  }
  c.Pen = pen;
  c.Brush = brush;
}

void TRecordingDevice::Ellipse(const TRect& b, const TPenSpec& pen, const TBrushSpec& brush) {
  auto& c = Add("Ellipse");
  c.Args = {b.Left, b.Top, b.Right, b.Bottom};
  c.Pen = pen;
  c.Brush = brush;
}

void TRecordingDevice::FillRect(const TRect& r, const TBrushSpec& brush, std::uint32_t rop) {
  auto& c = Add("FillRect");
  c.Args = {r.Left, r.Top, r.Right, r.Bottom, static_cast<int>(rop)};
  c.Brush = brush;
  c.Brush.Pattern = nullptr;  // the pattern belongs to the caller
}

void TRecordingDevice::TextRun(const TTextRun& run) {
  auto& c = Add("Text");
  c.Args = {run.X, run.Y};
  c.Text.assign(run.Text, run.Length);
  c.Advances.assign(run.Advances, run.Advances + run.Length);
  c.Color = run.Color;
  if (run.Font) {
    c.FontName = run.Font->Request.Name;
    c.FontHeight = run.Font->Request.Height;
    c.FontStyle = run.Font->Request.Style;
  }
}

void TRecordingDevice::Blit(const TRect& dst, const TSurface& src, const TRect& srcRect, std::uint32_t rop,
                            const TBrushSpec& brush, std::uint32_t transparent) {
  auto& c = Add("Blit");
  c.Args = {dst.Left, dst.Top, dst.Right, dst.Bottom, srcRect.Left, srcRect.Top, srcRect.Right, srcRect.Bottom,
            static_cast<int>(rop), src.Width(), src.Height(), static_cast<int>(transparent != 0)};
  c.Brush = brush;
  c.Brush.Pattern = nullptr;
}

void TRecordingDevice::SetPixel(int x, int y, TColor rgb) {
  auto& c = Add("SetPixel");
  c.Args = {x, y};
  c.Color = rgb;
}

void TRecordingDevice::Scroll(int dx, int dy, const TRect& a) {
  auto& c = Add("Scroll");
  c.Args = {dx, dy, a.Left, a.Top, a.Right, a.Bottom};
}
