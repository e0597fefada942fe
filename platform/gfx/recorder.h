// A drawing device that records each primitive with its arguments, so tests
// can assert what a control or the text engine drew without looking at
// pixels. It has the capabilities it is given (a 96-dpi screen by default)
// and no pixels: GetPixel answers clNone, Scroll only records.
#pragma once

#include <string>
#include <vector>

#include "platform/gfx/device.h"

struct TRecordedCall {
  std::string Op;                // Polyline, Polygon, Ellipse, FillRect, Text, Blit, SetPixel, Scroll
  std::vector<int> Args;         // coordinates (and the raster operation where one applies)
  TPenSpec Pen;                  // Polyline, Polygon, Ellipse
  TBrushSpec Brush;              // Polygon, Ellipse, FillRect, Blit
  TColor Color = clNone;         // Text, SetPixel
  std::string Text;              // Text: the bytes
  std::vector<int> Advances;     // Text: one per byte
  std::string FontName;          // Text: the requested name
  int FontHeight = 0;            // Text: pixels as requested
  TFontStyles FontStyle;         // Text
  bool Clipped = false;          // the clip in force at the call
  std::vector<TRect> Clip;
  // "Op(a,b,c,…)" plus the text in quotes where there is one.
  std::string ToString() const;
};

class TRecordingDevice : public TDrawDevice {
public:
  TRecordingDevice();
  explicit TRecordingDevice(const TDeviceCaps& caps) : caps_(caps) {}
  std::vector<TRecordedCall> Calls;
  void Clear() { Calls.clear(); }
  // The calls of one kind, in order.
  std::vector<const TRecordedCall*> Find(const std::string& op) const;
  // All drawn text, runs joined in order.
  std::string AllText() const;

  TDeviceCaps Caps() const override { return caps_; }
  void SetClip(const TRect* rects, int n) override;
  void Polyline(const TPoint* pts, int n, const TPenSpec& pen) override;
  void Polygon(const TPoint* pts, int n, const TPenSpec& pen, const TBrushSpec& brush) override;
  void Ellipse(const TRect& box, const TPenSpec& pen, const TBrushSpec& brush) override;
  void FillRect(const TRect& r, const TBrushSpec& brush, std::uint32_t rop = PATCOPY) override;
  void TextRun(const TTextRun& run) override;
  void Blit(const TRect& dst, const TSurface& src, const TRect& srcRect, std::uint32_t rop,
            const TBrushSpec& brush, std::uint32_t transparent = 0) override;
  TColor GetPixel(int, int) override { return clNone; }
  void SetPixel(int x, int y, TColor rgb) override;
  void Scroll(int dx, int dy, const TRect& area) override;

private:
  TRecordedCall& Add(const char* op);
  TDeviceCaps caps_;
  bool clipped_ = false;
  std::vector<TRect> clip_;
};
