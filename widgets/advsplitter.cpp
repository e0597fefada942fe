// Splitter with panes (see advsplitter.h): clamping, pane layout,
// proportional resize and dragging the bar with an inverted drag bar.
#include "widgets/advsplitter.h"

#include <cmath>

#include "platform/gfx/bitmap.h"
#include "platform/rtl/scopeexit.h"

// ------------------------------------------------------------------ TAdvPane

TAdvPane::TAdvPane(TComponent* owner, int number) : TPanel(owner), number_(number) {
  color_ = clBtnFace;
  SetBevelInner(bvLowered);
  SetBevelOuter(bvLowered);
}

void TAdvPane::SetFrameStyle(TAdvFrameStyle f) {
  frameStyle_ = f;
  static const TPanelBevel kInner[5] = {bvNone, bvRaised, bvLowered, bvRaised, bvLowered};
  static const TPanelBevel kOuter[5] = {bvNone, bvRaised, bvLowered, bvLowered, bvRaised};
  SetBevelInner(kInner[f]);
  SetBevelOuter(kOuter[f]);
}

void TAdvPane::PublishProperties(TClassInfo& ci) {
  using C = TAdvPane;
  PublishInteger<C>(ci, "BevelWidth", &C::BevelWidth, &C::SetBevelWidth);
  PublishInteger<C>(ci, "FrameStyle", &C::FrameStyle, &C::SetFrameStyle);
  PublishInteger<C>(ci, "MinSize", &C::MinSize, &C::SetMinSize);
}

// ----------------------------------------------------------- TAdvPaneSetting

TAdvPane* TAdvPaneSetting::Pane() const { return index_ == 0 ? splitter_->Pane1() : splitter_->Pane2(); }
TColor TAdvPaneSetting::Color() const { return Pane()->Color(); }
void TAdvPaneSetting::SetColor(TColor c) { Pane()->SetColor(c); }
TAdvFrameStyle TAdvPaneSetting::FrameStyle() const { return Pane()->FrameStyle(); }
void TAdvPaneSetting::SetFrameStyle(TAdvFrameStyle f) { Pane()->SetFrameStyle(f); }
int TAdvPaneSetting::FrameWidth() const { return Pane()->BevelWidth(); }
void TAdvPaneSetting::SetFrameWidth(int w) { Pane()->SetBevelWidth(w); }
int TAdvPaneSetting::MinSize() const { return Pane()->MinSize(); }
void TAdvPaneSetting::SetMinSize(int v) { Pane()->SetMinSize(v); }

void TAdvPaneSetting::PublishProperties(TClassInfo& ci) {
  using C = TAdvPaneSetting;
  PublishInteger<C>(ci, "Color", &C::Color, &C::SetColor);
  PublishInteger<C>(ci, "FrameStyle", &C::FrameStyle, &C::SetFrameStyle);
  PublishInteger<C>(ci, "FrameWidth", &C::FrameWidth, &C::SetFrameWidth);
  PublishInteger<C>(ci, "MinSize", &C::MinSize, &C::SetMinSize);
}

// -------------------------------------------------------------- TAdvSplitter

TAdvSplitter::TAdvSplitter(TComponent* owner) : TCustomControl(owner) {
  width_ = 100;
  height_ = 100;
  controlStyle_ |= csAcceptsControls;
  pane1_ = new TAdvPane(this, 1);
  pane1_->SetParent(this);
  pane2_ = new TAdvPane(this, 2);
  pane2_->SetParent(this);
  setting1_ = std::make_unique<TAdvPaneSetting>(this, 0);
  setting2_ = std::make_unique<TAdvPaneSetting>(this, 1);
  // 8 x 8 halftone: rows of 0x55 and 0xAA bit patterns (black = set bit).
  halftone_ = std::make_unique<TBitmap>(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) halftone_->Canvas()->SetPixels(x, y, ((x + y) % 2) ? clWhite : clBlack);
}

TAdvSplitter::~TAdvSplitter() = default;

void TAdvSplitter::ReplacePane(TAdvPane* pane) {
  if (!pane) return;
  TAdvPane*& slot = pane->Number() == 1 ? pane1_ : pane2_;
  if (slot == pane) return;
  TAdvPane* old = slot;
  slot = pane;
  pane->SetParent(this);
  if (old) old->Free();
  LayoutPanes();
}

void TAdvSplitter::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.WindowClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
  if (borderStyle_ == bsSingle) {
    if (ctl3D_) params.ExStyle |= WS_EX_CLIENTEDGE;
    else params.Style |= WS_BORDER;
  }
}

void TAdvSplitter::SetBorderStyle(TFormBorderStyle b) {
  if (b == borderStyle_) return;
  borderStyle_ = b;
  if (HandleAllocated()) RecreateWnd();
  LayoutPanes();
}

void TAdvSplitter::SetCtl3D(bool v) {
  if (v == ctl3D_) return;
  ctl3D_ = v;
  if (HandleAllocated() && borderStyle_ == bsSingle) RecreateWnd();
  Invalidate();
}

void TAdvSplitter::SetOrientation(TSplitterOrientation o) {
  if (o == orientation_) return;
  orientation_ = o;
  LayoutPanes();
  Invalidate();
}

void TAdvSplitter::SetSplitterColor(TColor c) {
  if (c == splitterColor_) return;
  splitterColor_ = c;
  Invalidate();
}

void TAdvSplitter::SetThickness(int v) {
  if (v == thickness_ || v < 0) return;
  thickness_ = v;
  LayoutPanes();
  Invalidate();
}

int TAdvSplitter::Size() const { return orientation_ == soHorizontal ? ClientHeight() : ClientWidth(); }

bool TAdvSplitter::BothVisible() const { return pane1_->Visible() && pane2_->Visible(); }

int TAdvSplitter::ClampPosition(int v) const {
  int lo = pane1_->MinSize() + pane1_->FrameExtent();
  int hi = Size() - thickness_ - pane2_->MinSize() - 1;
  if (pane2_->FrameStyle() != ftNone) hi -= pane2_->FrameExtent() + 1;
  v = std::max(v, lo);
  return std::min(v, hi);
}

void TAdvSplitter::SetPosition(int v) {
  requested_ = v;
  if (HasState(csLoading)) {
    position_ = v;
    if (Size() > 0) fraction_ = static_cast<double>(v) / Size();
    return;
  }
  if (!HandleAllocated()) {
    // No window yet: kept as it is and applied, within the limits, when the
    // window has its size.
    position_ = v;
    pending_ = true;
    return;
  }
  pending_ = false;
  position_ = ClampPosition(v);
  LayoutPanes();
  Invalidate();
}

void TAdvSplitter::LayoutPanes() {
  if (HasState(csLoading) || !HandleAllocated() || inLayout_) return;
  // A position set before the window waits for a size to be measured
  // against. Every layout starts from the position last set or dragged, so
  // neither a default size before the real one nor a window squeezed to its
  // smallest cuts it down for good: pane 1 gets its share back as the
  // splitter grows again.
  if (pending_ && Size() <= 0) return;
  inLayout_ = true;
  position_ = ClampPosition(requested_);
  const TRect cr = ClientRect();
  const int w = cr.Width(), h = cr.Height(), p = position_, t = thickness_;
  if (BothVisible()) {
    if (orientation_ == soHorizontal) {
      pane1_->SetBounds(0, 0, w, p);
      pane2_->SetBounds(0, p + t, w, h - p - t);
    } else {
      pane1_->SetBounds(0, 0, p, h);
      pane2_->SetBounds(p + t, 0, w - p - t, h);
    }
  } else if (pane1_->Visible()) {
    pane1_->SetBounds(0, 0, w, h);
  } else if (pane2_->Visible()) {
    pane2_->SetBounds(0, 0, w, h);
  }
  // A paint of the splitter paints its panes in the same pass: asking for
  // their repaint from there would start the next pass, for ever.
  if (!inPaint_) {
    pane1_->Invalidate();
    pane2_->Invalidate();
  }
  if (OnPaneResize) OnPaneResize(this);
  // A client size of 0 keeps the old fraction.
  if (Size() > 0) fraction_ = static_cast<double>(position_) / Size();
  inLayout_ = false;
}

void TAdvSplitter::Loaded() {
  TCustomControl::Loaded();
  LayoutPanes();
}

void TAdvSplitter::Resize() {
  const double keep = fraction_;
  // A waiting position is applied as it is, not scaled by an old fraction.
  if (proportional_ && Size() > 0 && !pending_) SetPosition(static_cast<int>(std::lround(Size() * keep)));
  LayoutPanes();
  if (proportional_) fraction_ = keep;  // rounding must not creep over many resizes
  if (!HasState(csLoading)) TCustomControl::Resize();
}

TRect TAdvSplitter::BarRect(int pos) const {
  if (orientation_ == soHorizontal) return {0, pos, ClientWidth(), pos + thickness_};
  return {pos, 0, pos + thickness_, ClientHeight()};
}

void TAdvSplitter::Paint() {
  TCustomControl::Paint();
  {
    inPaint_ = true;
    TScopeExit painted{[this] { inPaint_ = false; }};
    LayoutPanes();
  }
  // Shown at its size: a waiting position has been applied for good.
  if (Size() > 0) pending_ = false;
  TCanvas& c = *Canvas();
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(ctl3D_ ? Color() : splitterColor_);
  if (!pane1_->Visible() && !pane2_->Visible()) c.FillRect(ClientRect());
  else c.FillRect(BarRect(position_));
}

// ---------------------------------------------------------------- dragging

bool TAdvSplitter::NearBar(int x, int y) const {
  int p = orientation_ == soHorizontal ? y : x;
  return std::abs(p - position_) <= thickness_;
}

void TAdvSplitter::InvertBar(int pos) {
  if (pos < 0 || !HandleAllocated() || !Showing()) return;
  TCanvas& c = *Canvas();
  if (!c.HandleAllocated()) return;
  TRect r = BarRect(pos);
  if (splitterStyle_ == ssSolid || splitterColor_ == 0) {
    c.InvertRect(r);
  } else {
    c.Brush()->SetBitmap(halftone_.get());
    c.PatBlt(r.Left, r.Top, r.Width(), r.Height(), PATINVERT);
    c.Brush()->SetBitmap(nullptr);
  }
}

void TAdvSplitter::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_ERASEBKGND: m.Result = 1; return;
    case WM_SETCURSOR:
      if (dragReady_ || dragging_) {
        ::SetCursor(orientation_ == soHorizontal ? crVSplit : crHSplit);
        m.Result = 1;
        return;
      }
      break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

void TAdvSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  dragReady_ = allowResize_ && BothVisible() && NearBar(x, y);
  if (button == mbLeft && dragReady_) {
    SetMouseCapture(true);
    dragging_ = true;
    lastBar_ = -1;
    if (!autoUpdate_) {
      InvertBar(position_);
      lastBar_ = position_;
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TAdvSplitter::MouseMove(TShiftState shift, int x, int y) {
  if (!dragging_) {
    dragReady_ = allowResize_ && BothVisible() && NearBar(x, y);
    if (dragReady_) ::SetCursor(orientation_ == soHorizontal ? crVSplit : crHSplit);
  } else {
    int p = orientation_ == soHorizontal ? y : x;
    if (p >= pane1_->MinSize() && p <= Size() - pane2_->MinSize() && p != position_ && MouseCapture()) {
      if (autoUpdate_) {
        TRect old = BarRect(position_);
        position_ = requested_ = ClampPosition(p);
        InvalidateRect(UnionRect(old, BarRect(position_)));
        LayoutPanes();
        Repaint();
      } else {
        InvertBar(lastBar_);
        position_ = requested_ = ClampPosition(p);
        InvertBar(position_);
        lastBar_ = position_;
      }
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TAdvSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (dragging_) {
    SetMouseCapture(false);
    dragging_ = false;
    InvertBar(lastBar_);
    lastBar_ = -1;
    LayoutPanes();
    Invalidate();
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TAdvSplitter::PublishProperties(TClassInfo& ci) {
  using C = TAdvSplitter;
  PublishBool<C>(ci, "AllowResize", &C::AllowResize, &C::SetAllowResize);
  PublishBool<C>(ci, "AutoUpdate", &C::AutoUpdate, &C::SetAutoUpdate);
  PublishInteger<C>(ci, "BorderStyle", &C::BorderStyle, &C::SetBorderStyle);
  PublishBool<C>(ci, "Ctl3D", &C::Ctl3D, &C::SetCtl3D);
  PublishInteger<C>(ci, "Orientation", &C::Orientation, &C::SetOrientation);
  PublishInteger<C>(ci, "Position", &C::Position, &C::SetPosition);
  PublishBool<C>(ci, "ProportionalResize", &C::ProportionalResize, &C::SetProportionalResize);
  PublishInteger<C>(ci, "SplitterColor", &C::SplitterColor, &C::SetSplitterColor);
  PublishInteger<C>(ci, "SplitterStyle", &C::SplitterStyle, &C::SetSplitterStyle);
  PublishInteger<C>(ci, "Thickness", &C::Thickness, &C::SetThickness);
  PublishObject<C, TAdvPaneSetting>(ci, "Pane1Setting", &C::Pane1Setting, nullptr);
  PublishObject<C, TAdvPaneSetting>(ci, "Pane2Setting", &C::Pane2Setting, nullptr);
  PublishEvent<C>(ci, "OnPaneResize", &C::OnPaneResize);
}
