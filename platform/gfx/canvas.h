// TPen, TBrush and TCanvas: the drawing state and the Windows-style drawing
// calls (lines, shapes, text, blits, clipping) over one TDrawDevice (window
// back buffer, bitmap, printer page or recorder). The canvas owns its pen,
// brush and font; it does not own the device. All coordinates are device
// pixels; rectangles are half-open.
//
// State rules: a change of the brush resets the background colour and mode
// (opaque for a solid brush, transparent otherwise) and a change of the font
// resets the text colour, the next time the canvas draws;
// SetBkMode/SetBkColor/SetTextColor in between stand until then. TextOut
// moves PenPos to the end of the text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/gfx/font.h"
#include "platform/rtl/components.h"

class TBitmap;
class TGraphic;

class TPen : public TPersistent {
  ORV_CLASS(TPen, TPersistent)
  TPen() = default;
  TPen(const TPen& other) : TPersistent() { Assign(other); }
  TPen& operator=(const TPen& other) {
    Assign(other);
    return *this;
  }
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  int Width() const { return width_; }
  void SetWidth(int w);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle s);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode m);
  void Assign(const TPen& source);
  void Assign(const TPersistent* source) override;
  TNotifyEvent OnChange;

private:
  void Changed() {
    if (OnChange) OnChange(this);
  }
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

class TBrush : public TPersistent {
  ORV_CLASS(TBrush, TPersistent)
  TBrush() = default;
  TBrush(const TBrush& other);
  TBrush& operator=(const TBrush& other);
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle s);
  // A pattern bitmap (the top-left 8 x 8 pixels are taken, tiled if smaller);
  // nullptr removes it. The brush keeps a copy, as Windows does.
  const TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(const TBitmap* bmp);
  void Assign(const TBrush& source);
  void Assign(const TPersistent* source) override;
  TNotifyEvent OnChange;
  TBrushSpec Spec() const;

private:
  void Changed() {
    if (OnChange) OnChange(this);
  }
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  const TBitmap* bitmap_ = nullptr;
  TSurface pattern_;
};

// Background modes and text alignment flags.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : unsigned {
  TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0, TA_BOTTOM = 8,
  TA_BASELINE = 24
};
enum : unsigned { ETO_OPAQUE = 2, ETO_CLIPPED = 4 };

// DrawText formats.
enum : unsigned {
  DT_LEFT = 0, DT_TOP = 0, DT_CENTER = 1, DT_RIGHT = 2, DT_VCENTER = 4, DT_BOTTOM = 8, DT_WORDBREAK = 0x10,
  DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80, DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200,
  DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_END_ELLIPSIS = 0x8000, DT_PATH_ELLIPSIS = 0x4000,
  DT_WORD_ELLIPSIS = 0x40000, DT_HIDEPREFIX = 0x100000
};

// DrawEdge edges and flags.
enum : unsigned {
  BDR_RAISEDOUTER = 1, BDR_SUNKENOUTER = 2, BDR_RAISEDINNER = 4, BDR_SUNKENINNER = 8,
  EDGE_RAISED = 5, EDGE_SUNKEN = 10, EDGE_ETCHED = 6, EDGE_BUMP = 9
};
enum : unsigned {
  BF_LEFT = 1, BF_TOP = 2, BF_RIGHT = 4, BF_BOTTOM = 8, BF_TOPLEFT = 3, BF_BOTTOMRIGHT = 12, BF_RECT = 15,
  BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000
};
// DrawFrameControl kinds and states.
enum : unsigned { DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4 };
enum : unsigned {
  DFCS_BUTTONCHECK = 0, DFCS_BUTTONRADIO = 4, DFCS_BUTTONPUSH = 0x10, DFCS_SCROLLUP = 0, DFCS_SCROLLDOWN = 1,
  DFCS_SCROLLLEFT = 2, DFCS_SCROLLRIGHT = 3, DFCS_SCROLLCOMBOBOX = 5, DFCS_INACTIVE = 0x100,
  DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400, DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000
};

class TCanvas {
public:
  explicit TCanvas(TDrawDevice* device = nullptr);
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  virtual ~TCanvas() = default;

  TDrawDevice* Device() const { return device_; }
  // Attaches another device; the clip is reset, the other state is kept.
  void SetDevice(TDrawDevice* device);
  bool HandleAllocated() const { return device_ != nullptr; }

  TFont* Font() { return &font_; }
  void SetFont(const TFont& f) { font_.Assign(f); }
  TPen* Pen() { return &pen_; }
  void SetPen(const TPen& p) { pen_.Assign(p); }
  TBrush* Brush() { return &brush_; }
  void SetBrush(const TBrush& b) { brush_.Assign(b); }
  TPoint PenPos() const { return penPos_; }
  void SetPenPos(TPoint p) { penPos_ = p; }
  std::uint32_t CopyMode() const { return copyMode_; }
  void SetCopyMode(std::uint32_t rop) { copyMode_ = rop; }

  // ---- lines and shapes
  void MoveTo(int x, int y) { penPos_ = {x, y}; }
  void LineTo(int x, int y);
  void Polyline(const TPoint* pts, int n);
  void Polyline(const std::vector<TPoint>& pts) { Polyline(pts.data(), static_cast<int>(pts.size())); }
  void Polygon(const TPoint* pts, int n);
  void Polygon(const std::vector<TPoint>& pts) { Polygon(pts.data(), static_cast<int>(pts.size())); }
  void Rectangle(int l, int t, int r, int b);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void Ellipse(int l, int t, int r, int b);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  void DrawFocusRect(const TRect& r);
  void InvertRect(const TRect& r);
  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor c);

  // ---- text
  void TextOut(int x, int y, const std::string& text);
  void TextRect(const TRect& r, int x, int y, const std::string& text);
  int TextWidth(const std::string& text);
  int TextHeight(const std::string& text);
  TSize TextExtent(const std::string& text);
  // The Windows call: options ETO_OPAQUE/ETO_CLIPPED, optional rectangle,
  // optional advance array (one entry per byte).
  bool ExtTextOut(int x, int y, unsigned options, const TRect* rect, const char* text, int length,
                  const int* advances = nullptr);
  // Returns the height of the text drawn (or measured, with DT_CALCRECT,
  // which also widens/narrows `r` to the text).
  int DrawText(const std::string& text, TRect& r, unsigned format);
  bool GetTextMetrics(TTextMetric& tm);
  bool GetCharWidth(unsigned first, unsigned last, int* widths);
  bool GetTextExtentPoint32(const char* text, int length, TSize& size);
  int SetBkMode(int mode);
  int GetBkMode();
  TColor SetBkColor(TColor c);
  TColor GetBkColor();
  TColor SetTextColor(TColor c);
  TColor GetTextColor();
  unsigned SetTextAlign(unsigned align);
  unsigned GetTextAlign() const { return textAlign_; }

  // ---- pictures and bit blocks
  void Draw(int x, int y, TGraphic& graphic);
  void StretchDraw(const TRect& r, TGraphic& graphic);
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);
  bool BitBlt(int x, int y, int w, int h, TCanvas* source, int sx, int sy, std::uint32_t rop);
  bool StretchBlt(int x, int y, int w, int h, TCanvas* source, int sx, int sy, int sw, int sh, std::uint32_t rop);
  bool PatBlt(int x, int y, int w, int h, std::uint32_t rop);
  // Draws a surface (a bitmap's pixels) into `dest`; `transparent` is a
  // pixel value left out (0 = none).
  void DrawSurface(const TRect& dest, const TSurface& src, const TRect& srcRect, std::uint32_t rop,
                   std::uint32_t transparent = 0);

  // ---- clipping
  int IntersectClipRect(int l, int t, int r, int b);
  int ExcludeClipRect(int l, int t, int r, int b);
  // nullptr: no clipping; otherwise clip to the rectangle.
  int SelectClipRect(const TRect* r);
  TRect ClipRect() const;  // bounding box of the visible part
  bool IsClipped() const { return clipped_; }
  const std::vector<TRect>& ClipRects() const { return clip_; }
  int SaveDC();
  bool RestoreDC(int level);  // level > 0 absolute, < 0 relative to the top
  // The state of a fresh device context, which a new printer document gets:
  // text aligned at the top left without the current position, the position
  // at (0, 0), no clip and no saved states; background and text colours
  // follow the brush and the font again (the canvas keeps these three).
  void ResetDeviceState();
  // Moves pixels inside scroll ∩ clip (nullptr = the whole device) by (dx,
  // dy) and returns the rectangle they uncovered in `update`.
  bool ScrollDC(int dx, int dy, const TRect* scroll, const TRect* clip, TRect* update);

  // ---- frames
  bool DrawEdge(TRect& r, unsigned edge, unsigned flags);
  bool DrawFrameControl(const TRect& r, unsigned kind, unsigned state);

  int GetDeviceCaps(int index) const;

  // Where this canvas sits on its device: `origin` is added to every
  // coordinate, and nothing is drawn outside `limit` (device pixels; nullptr =
  // the whole device). A control's canvas on its window's back buffer is set
  // up this way; the user clip (SelectClipRect …) works inside the limit.
  void SetViewport(TPoint origin, const TRect* limit);
  TPoint Origin() const { return origin_; }

protected:
  void RequireDevice() const;
  void Realize();  // applies pending brush and font changes to the text state
  // Sends the effective clip (limit, user clip and `extra`, all device
  // pixels) to the device.
  void ApplyClip(const TRect* extra = nullptr);
  TRect ToDevice(TRect r) const {
    OffsetRect(r, origin_.X, origin_.Y);
    return r;
  }
  TPenSpec PenSpec() const;
  void SolidFill(const TRect& r, TColor rgb);
  void DrawTextLine(int x, int y, const char* s, int n, const int* adv, const TFontData& fd);

  TDrawDevice* device_;
  TFont font_;
  TPen pen_;
  TBrush brush_;
  TPoint penPos_;
  std::uint32_t copyMode_ = SRCCOPY;
  unsigned textAlign_ = TA_TOP | TA_LEFT;
  int bkMode_ = OPAQUE;
  TColor bkColor_ = clWhite;
  TColor textColor_ = clBlack;
  bool brushDirty_ = true;
  bool fontDirty_ = true;
  bool clipped_ = false;
  std::vector<TRect> clip_;
  TPoint origin_;
  bool limited_ = false;
  TRect limit_;
  struct Saved {
    bool clipped;
    std::vector<TRect> clip;
    TPoint penPos;
    unsigned textAlign;
    int bkMode;
    TColor bkColor, textColor;
  };
  std::vector<Saved> saved_;
};
