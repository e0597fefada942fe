// Bevel, image, paint box, shape, radio group, bitmap and speed buttons,
// page control, gauge and size grip.
#include "platform/ui/extctrls.h"

#include <algorithm>

#include "platform/rtl/cp1252.h"
#include "platform/ui/ctlutil.h"
#include "platform/ui/menus.h"

// ------------------------------------------------------------------ TBevel

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
  width_ = 50;
  height_ = 50;
}

void TBevel::SetShape(TBevelShape s) {
  shape_ = s;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle s) {
  style_ = s;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  TColor c1 = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor c2 = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  auto line = [&](TColor col, int x0, int y0, int x1, int y1) {
    c->Pen()->SetColor(col);
    c->MoveTo(x0, y0);
    c->LineTo(x1, y1);
  };
  int w = r.Right, h = r.Bottom;
  switch (shape_) {
    case bsBox:
      line(c1, 0, h - 1, 0, 0);
      line(c1, 0, 0, w, 0);
      line(c2, w - 1, 0, w - 1, h);
      line(c2, 0, h - 1, w - 1, h - 1);
      break;
    case bsFrame: {
      TRect a{0, 0, w - 1, h - 1}, b{1, 1, w, h};
      c->Brush()->SetStyle(bsClear);
      c->Pen()->SetColor(c1);
      c->Rectangle(a);
      c->Pen()->SetColor(c2);
      c->Rectangle(b);
      c->Pen()->SetColor(c1);
      c->MoveTo(w - 2, 0);
      c->LineTo(w - 2, h - 1);
      c->MoveTo(0, h - 2);
      c->LineTo(w - 1, h - 2);
      break;
    }
    case bsTopLine: line(c1, 0, 0, w, 0); line(c2, 0, 1, w, 1); break;
    case bsBottomLine: line(c1, 0, h - 2, w, h - 2); line(c2, 0, h - 1, w, h - 1); break;
    case bsLeftLine: line(c1, 0, 0, 0, h); line(c2, 1, 0, 1, h); break;
    case bsRightLine: line(c1, w - 2, 0, w - 2, h); line(c2, w - 1, 0, w - 1, h); break;
    case bsSpacer: break;
  }
}

// ------------------------------------------------------------------ TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
  width_ = 105;
  height_ = 105;
  picture_.OnChange = [this](TObject*) { PictureChanged(); };
}

void TImage::PictureChanged() {
  if (autoSize_ && picture_.Width() > 0 && picture_.Height() > 0) SetBounds(left_, top_, picture_.Width(), picture_.Height());
  if (TGraphic* g = picture_.Graphic()) g->SetTransparent(transparent_);
  Invalidate();
}

void TImage::SetAutoSize(bool v) {
  autoSize_ = v;
  PictureChanged();
}
void TImage::SetStretch(bool v) {
  stretch_ = v;
  Invalidate();
}
void TImage::SetCenter(bool v) {
  center_ = v;
  Invalidate();
}
void TImage::SetTransparent(bool v) {
  transparent_ = v;
  PictureChanged();
}

TRect TImage::DestRect() const {
  int w = picture_.Width(), h = picture_.Height();
  if (stretch_) return ClientRect();
  if (center_) return Bounds((width_ - w) / 2, (height_ - h) / 2, w, h);
  return Bounds(0, 0, w, h);
}

void TImage::Paint() {
  TGraphic* g = picture_.Graphic();
  if (!g || g->Empty()) return;
  TCanvas* c = Canvas();
  TRect d = DestRect();
  if (stretch_)
    c->StretchDraw(d, *g);
  else
    c->Draw(d.Left, d.Top, *g);
}

// ---------------------------------------------------------- TPaintBox, TShape

TPaintBox::TPaintBox(TComponent* owner) : TGraphicControl(owner) {
  width_ = 105;
  height_ = 105;
}

void TPaintBox::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(*Font());
  c->Brush()->SetColor(Color());
  if (OnPaint) OnPaint(this);
}

TShape::TShape(TComponent* owner) : TGraphicControl(owner) {
  width_ = 65;
  height_ = 65;
  pen_.OnChange = [this](TObject*) { Invalidate(); };
  brush_.OnChange = [this](TObject*) { Invalidate(); };
}

void TShape::SetShape(TShapeType s) {
  shape_ = s;
  Invalidate();
}

void TShape::Paint() {
  TCanvas* c = Canvas();
  c->SetPen(pen_);
  c->SetBrush(brush_);
  int pw = pen_.Width();
  int x = pw / 2, y = pw / 2;
  int w = width_ - pw + 1, h = height_ - pw + 1;
  if (pw == 0) {
    --w;
    --h;
  }
  if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
    int s = std::min(w, h);
    x += (w - s) / 2;
    y += (h - s) / 2;
    w = h = s;
  }
  switch (shape_) {
    case stRectangle: case stSquare: case stRoundRect: case stRoundSquare: c->Rectangle(x, y, x + w, y + h); break;
    case stEllipse: case stCircle: c->Ellipse(x, y, x + w, y + h); break;
  }
}

// -------------------------------------------------------------- TRadioGroup

TRadioGroup::TRadioGroup(TComponent* owner) : TGroupBox(owner), items_(std::make_unique<TStringList>()) {
  items_->OnChange = [this](TObject*) { Rebuild(); };
  tabStop_ = false;
}

TRadioGroup::~TRadioGroup() { items_->OnChange = nullptr; }

void TRadioGroup::Rebuild() {
  updating_ = true;
  while (static_cast<int>(buttons_.size()) < items_->Count()) {
    auto* b = new TRadioButton(this);
    b->SetParent(this);
    b->OnClick = [this, b](TObject*) {
      if (updating_ || !b->Checked()) return;
      int i = static_cast<int>(std::find(buttons_.begin(), buttons_.end(), b) - buttons_.begin());
      if (i != itemIndex_) {
        itemIndex_ = i;
        Click();
      }
    };
    buttons_.push_back(b);
  }
  while (static_cast<int>(buttons_.size()) > items_->Count()) {
    TRadioButton* b = buttons_.back();
    buttons_.pop_back();
    delete b;
  }
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i]->SetCaption(items_->Strings(static_cast<int>(i)));
    buttons_[i]->SetChecked(static_cast<int>(i) == itemIndex_);
  }
  if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
  updating_ = false;
  ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
  if (buttons_.empty()) return;
  int n = static_cast<int>(buttons_.size());
  int cols = std::max(1, columns_);
  int rows = (n + cols - 1) / cols;
  int th = ctlutil::TextHeight(*Font());
  int top = th + 2, avail = height_ - top - 4;
  int colW = (width_ - 10) / cols;
  int rowH = std::max(th + 2, avail / std::max(1, rows));
  for (int i = 0; i < n; ++i) {
    int c = i / rows, r = i % rows;
    buttons_[static_cast<std::size_t>(i)]->SetBounds(8 + c * colW, top + r * rowH + (rowH - (th + 4)) / 2, colW - 8,
                                                     th + 4);
  }
}

void TRadioGroup::Resize() {
  ArrangeButtons();
  TGroupBox::Resize();
}

void TRadioGroup::SetItemIndex(int i) {
  if (i < -1 || i >= items_->Count()) i = -1;
  if (i == itemIndex_) return;
  itemIndex_ = i;
  updating_ = true;
  for (std::size_t k = 0; k < buttons_.size(); ++k) buttons_[k]->SetChecked(static_cast<int>(k) == i);
  updating_ = false;
}

void TRadioGroup::SetColumns(int n) {
  columns_ = std::clamp(n, 1, 16);
  ArrangeButtons();
}

// ----------------------------------------------------------------- TBitBtn

namespace {
struct KindInfo {
  const char* caption;
  TModalResult result;
  TColor mark;
};
KindInfo InfoOf(TBitBtnKind k) {
  switch (k) {
    case bkOK: return {"OK", mrOk, clGreen};
    case bkCancel: return {"Abbruch", mrCancel, clRed};
    case bkHelp: return {"&Hilfe", mrNone, clNavy};
    case bkYes: return {"&Ja", mrYes, clGreen};
    case bkNo: return {"&Nein", mrNo, clRed};
    case bkClose: return {"&Schließen", mrNone, clTeal};  // utf8: SetKind converts
    case bkAbort: return {"Abbrechen", mrAbort, clRed};
    case bkRetry: return {"&Wiederholen", mrRetry, clOlive};
    case bkIgnore: return {"&Ignorieren", mrIgnore, clGreen};
    case bkAll: return {"&Alles", mrAll, clGreen};
    default: return {"", mrNone, clBlack};
  }
}

// The kind's glyph: a small sign drawn in the kind's colour.
void DrawKindGlyph(TCanvas& c, TBitBtnKind k, int x, int y, bool enabled) {
  TColor col = enabled ? InfoOf(k).mark : clGrayText;
  c.Pen()->SetColor(col);
  c.Pen()->SetWidth(2);
  switch (k) {
    case bkOK: case bkYes: case bkAll: case bkIgnore:
      c.MoveTo(x + 2, y + 8);
      c.LineTo(x + 6, y + 12);
      c.LineTo(x + 14, y + 3);
      break;
    case bkCancel: case bkNo: case bkAbort:
      c.MoveTo(x + 3, y + 3);
      c.LineTo(x + 13, y + 13);
      c.MoveTo(x + 13, y + 3);
      c.LineTo(x + 3, y + 13);
      break;
    case bkHelp:
      c.Pen()->SetWidth(1);
      c.Font()->SetStyle(TFontStyles{fsBold});
      c.Font()->SetColor(col);
      c.Brush()->SetStyle(bsClear);
      c.TextOut(x + 4, y + 1, "?");
      c.Font()->SetStyle(TFontStyles{});
      break;
    case bkClose: case bkRetry:
      c.Rectangle(x + 2, y + 2, x + 13, y + 14);
      break;
    default: break;
  }
  c.Pen()->SetWidth(1);
}
}  // namespace

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) { glyph_.OnChange = [this](TObject*) { Invalidate(); }; }

void TBitBtn::SetGlyph(const TBitmap& b) {
  glyph_.Assign(b);
  Invalidate();
}

void TBitBtn::SetKind(TBitBtnKind k) {
  kind_ = k;
  if (k != bkCustom) {
    KindInfo i = InfoOf(k);
    SetCaption(Utf8ToCp1252OrThrow(i.caption));
    SetModalResult(i.result);
    if (k == bkOK || k == bkYes) SetDefault(true);
    if (k == bkCancel || k == bkNo) SetCancel(true);
  }
  Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout l) {
  layout_ = l;
  Invalidate();
}

void TBitBtn::SetSpacing(int s) {
  spacing_ = s;
  Invalidate();
}

void TBitBtn::Click() {
  // A close button closes its form (it has no modal result of its own).
  if (kind_ == bkClose)
    if (TCustomForm* f = GetParentForm(this)) {
      TButton::Click();
      f->Close();
      return;
    }
  TButton::Click();
}

void TBitBtn::Paint() {
  TCanvas* c = Canvas();
  const TRect r = PaintFace();
  int off = Pressed() ? 1 : 0;
  c->Font()->Assign(*Font());
  TRect calc{0, 0, 0, 0};
  AnsiString cap = Caption();
  ctlutil::Measure(*Font()).DrawText(cap, calc, DT_SINGLELINE | DT_CALCRECT);
  bool hasGlyph = !glyph_.Empty() || kind_ != bkCustom;
  int gw = hasGlyph ? (glyph_.Empty() ? 16 : glyph_.Width()) : 0;
  int gh = hasGlyph ? (glyph_.Empty() ? 16 : glyph_.Height()) : 0;
  bool horiz = layout_ == blGlyphLeft || layout_ == blGlyphRight;
  int tw = calc.Width(), th = calc.Height();
  int sp = hasGlyph && !cap.empty() ? spacing_ : 0;
  int totalW = horiz ? gw + sp + tw : std::max(gw, tw);
  int totalH = horiz ? std::max(gh, th) : gh + sp + th;
  int x0 = r.Left + (r.Width() - totalW) / 2 + off, y0 = r.Top + (r.Height() - totalH) / 2 + off;
  int gx, gy, tx, ty;
  switch (layout_) {
    case blGlyphLeft: gx = x0; gy = y0 + (totalH - gh) / 2; tx = x0 + gw + sp; ty = y0 + (totalH - th) / 2; break;
    case blGlyphRight: tx = x0; ty = y0 + (totalH - th) / 2; gx = x0 + tw + sp; gy = y0 + (totalH - gh) / 2; break;
    case blGlyphTop: gx = x0 + (totalW - gw) / 2; gy = y0; tx = x0 + (totalW - tw) / 2; ty = y0 + gh + sp; break;
    default: tx = x0 + (totalW - tw) / 2; ty = y0; gx = x0 + (totalW - gw) / 2; gy = y0 + th + sp; break;
  }
  if (hasGlyph) {
    if (!glyph_.Empty()) {
      glyph_.SetTransparent(true);
      c->Draw(gx, gy, glyph_);
    } else {
      DrawKindGlyph(*c, kind_, gx, gy, Enabled());
    }
  }
  c->Font()->Assign(*Font());
  ctlutil::StateText(*c, cap, Bounds(tx, ty, tw + 1, th), DT_SINGLELINE | DT_LEFT, Enabled());
  if (Focused()) {
    TRect fr = r;
    InflateRect(fr, -3, -3);
    c->DrawFocusRect(fr);
  }
}

// ------------------------------------------------------------- TSpeedButton

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
  width_ = 23;
  height_ = 22;
  color_ = clBtnFace;
  parentColor_ = true;
  glyph_.OnChange = [this](TObject*) { Invalidate(); };
}

void TSpeedButton::SetGlyph(const TBitmap& b) {
  glyph_.Assign(b);
  Invalidate();
}

void TSpeedButton::SetDown(bool v) {
  if (groupIndex_ == 0) v = false;  // only grouped buttons latch
  if (v == down_) return;
  if (down_ && !v && !allowAllUp_) return;
  down_ = v;
  if (v) UpdateExclusive();
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int v) {
  groupIndex_ = v;
  UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool v) {
  allowAllUp_ = v;
  if (parent_)
    for (int i = 0; i < parent_->ControlCount(); ++i)
      if (auto* s = dynamic_cast<TSpeedButton*>(parent_->Controls(i)); s && s != this && s->groupIndex_ == groupIndex_)
        s->allowAllUp_ = v;
}

void TSpeedButton::SetFlat(bool v) {
  flat_ = v;
  Invalidate();
}

void TSpeedButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !down_ || !parent_) return;
  for (int i = 0; i < parent_->ControlCount(); ++i)
    if (auto* s = dynamic_cast<TSpeedButton*>(parent_->Controls(i)); s && s != this && s->groupIndex_ == groupIndex_ && s->down_) {
      s->down_ = false;
      s->Invalidate();
    }
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_MOUSEENTER: mouseIn_ = true; if (flat_) Invalidate(); break;
    case CM_MOUSELEAVE: mouseIn_ = false; if (flat_) Invalidate(); break;
    case CM_DIALOGCHAR:
      if (Enabled() && Visible() && IsAccel(static_cast<int>(m.WParam), Caption())) {
        Click();
        m.Result = 1;
        return;
      }
      break;
    default: break;
  }
  TGraphicControl::Dispatch(m);
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button == mbLeft && Enabled()) {
    pressed_ = true;
    dragging_ = true;
    Invalidate();
  }
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (dragging_) {
    bool in = PtInRect(ClientRect(), {x, y});
    if (in != pressed_) {
      pressed_ = in;
      Invalidate();
    }
  }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && dragging_) {
    dragging_ = false;
    bool in = PtInRect(ClientRect(), {x, y});
    pressed_ = false;
    if (in && groupIndex_ != 0) {
      if (!down_)
        SetDown(true);
      else if (allowAllUp_)
        SetDown(false);
    }
    Invalidate();
  }
  TGraphicControl::MouseUp(button, shift, x, y);
}

void TSpeedButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  bool sunk = pressed_ || down_;
  if (!flat_) {
    c->DrawFrameControl(r, DFC_BUTTON, DFCS_BUTTONPUSH | (sunk ? static_cast<unsigned>(DFCS_PUSHED) : 0u));
  } else if (sunk || (mouseIn_ && Enabled())) {
    TRect e = r;
    c->DrawEdge(e, sunk ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
  if (down_ && !pressed_) {
    // The latched look: a checked pattern of highlight dots.
    TRect in = r;
    InflateRect(in, -2, -2);
    for (int y = in.Top; y < in.Bottom; ++y)
      for (int x = in.Left + ((y ^ in.Left) & 1); x < in.Right; x += 2) c->SetPixels(x, y, clBtnHighlight);
  }
  int off = sunk ? 1 : 0;
  AnsiString cap = Caption();
  int gw = glyph_.Empty() ? 0 : glyph_.Width(), gh = glyph_.Empty() ? 0 : glyph_.Height();
  TRect calc{0, 0, 0, 0};
  if (!cap.empty()) ctlutil::Measure(*Font()).DrawText(cap, calc, DT_SINGLELINE | DT_CALCRECT);
  int total = gw + (gw && !cap.empty() ? 4 : 0) + calc.Width();
  int x = (r.Width() - total) / 2 + off;
  if (gw) {
    glyph_.SetTransparent(true);
    c->Draw(x, (r.Height() - gh) / 2 + off, glyph_);
    x += gw + 4;
  }
  if (!cap.empty()) {
    c->Font()->Assign(*Font());
    ctlutil::StateText(*c, cap, Bounds(x, (r.Height() - calc.Height()) / 2 + off, calc.Width() + 1, calc.Height()),
                       DT_SINGLELINE | DT_LEFT, Enabled());
  }
}

// ---------------------------------------------------------------- tab sheets

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  controlStyle_ |= csAcceptsControls;
  color_ = clBtnFace;
  parentColor_ = true;
  visible_ = false;
  align_ = alClient;
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pc) { SetParent(pc); }

void TTabSheet::SetParent(TWinControl* p) {
  // A sheet placed into a page control (either way) is one of its pages.
  auto* pc = dynamic_cast<TPageControl*>(p);
  if (pc != pageControl_ && pageControl_) pageControl_->RemovePage(this);
  TWinControl::SetParent(p);
  if (pc != pageControl_) {
    pageControl_ = pc;
    if (pc) pc->InsertPage(this);
  }
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  auto& v = pageControl_->pages_;
  return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TTabSheet::SetTabVisible(bool v) {
  tabVisible_ = v;
  if (pageControl_) pageControl_->Invalidate();
}

TPageControl::TPageControl(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ |= csAcceptsControls;
  tabStop_ = true;
  color_ = clBtnFace;
  parentColor_ = true;
  width_ = 289;
  height_ = 193;
}

TPageControl::~TPageControl() {
  for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
}

void TPageControl::InsertPage(TTabSheet* p) {
  pages_.push_back(p);
  if (!active_) SetActivePage(p);
  Invalidate();
}

void TPageControl::RemovePage(TTabSheet* p) {
  pages_.erase(std::remove(pages_.begin(), pages_.end(), p), pages_.end());
  if (active_ == p) {
    active_ = nullptr;
    if (!pages_.empty()) SetActivePage(pages_.front());
  }
  Invalidate();
}

int TPageControl::TabHeight() const { return ctlutil::TextHeight(*Font()) + 6; }

TRect TPageControl::AlignRect() {
  TRect r = ClientRect();
  return {r.Left + 4, r.Top + TabHeight() + 4, r.Right - 4, r.Bottom - 4};
}

TRect TPageControl::TabRect(int index) const {
  int x = 2;
  for (int i = 0; i < PageCount(); ++i) {
    TTabSheet* p = pages_[static_cast<std::size_t>(i)];
    if (!p->TabVisible()) {
      if (i == index) return {};
      continue;
    }
    int w = ctlutil::TextWidth(*Font(), StripHotkey(p->Caption())) + 12;
    if (i == index) return {x, 2, x + w, 2 + TabHeight()};
    x += w;
  }
  return {};
}

int TPageControl::ActivePageIndex() const {
  auto it = std::find(pages_.begin(), pages_.end(), active_);
  return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

void TPageControl::SetActivePageIndex(int i) {
  SetActivePage(i >= 0 && i < PageCount() ? pages_[static_cast<std::size_t>(i)] : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* p) {
  if (p && p->pageControl_ != this) return;
  if (p == active_) return;
  TTabSheet* old = active_;
  active_ = p;
  if (p) {
    p->SetBoundsRect(AlignRect());
    p->SetVisible(true);
    p->BringToFront();
  }
  if (old) {
    // The focus may not stay on a hidden sheet.
    TCustomForm* f = GetParentForm(this);
    TWinControl* fc = f ? f->ActiveControl() : nullptr;
    bool inOld = fc && (fc == old || old->ContainsControl(fc));
    old->SetVisible(false);
    if (inOld && f && CanFocus()) SetFocus();
  }
  Realign();
  Invalidate();
}

bool TPageControl::ChangeTo(TTabSheet* p) {
  if (p == active_) return false;
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  if (!allow) return false;
  SetActivePage(p);
  if (OnChange) OnChange(this);
  return true;
}

void TPageControl::SelectNextPage(bool goForward) {
  int n = PageCount();
  if (n == 0) return;
  int i = ActivePageIndex();
  for (int k = 1; k <= n; ++k) {
    int j = ((i < 0 ? (goForward ? -1 : 0) : i) + (goForward ? k : -k) + n * 2) % n;
    if (pages_[static_cast<std::size_t>(j)]->TabVisible()) {
      ChangeTo(pages_[static_cast<std::size_t>(j)]);
      return;
    }
  }
}

void TPageControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_DIALOGKEY:
      // Ctrl+Tab pages through while the focus is inside.
      if (static_cast<int>(m.WParam) == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        TCustomForm* f = GetParentForm(this);
        TWinControl* fc = f ? f->ActiveControl() : nullptr;
        if (fc && (fc == this || ContainsControl(fc))) {
          SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
          m.Result = 1;
          return;
        }
      }
      break;
    case CM_DIALOGCHAR:
      for (TTabSheet* p : pages_)
        if (p->TabVisible() && IsAccel(static_cast<int>(m.WParam), p->Caption()) && CanFocus()) {
          ChangeTo(p);
          SetFocus();
          m.Result = 1;
          return;
        }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      break;
    case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS; return;
    case WM_SIZE:
      TCustomControl::Dispatch(m);
      if (active_) active_->SetBoundsRect(AlignRect());
      return;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft)
    for (int i = 0; i < PageCount(); ++i)
      if (PtInRect(TabRect(i), {x, y})) {
        ChangeTo(pages_[static_cast<std::size_t>(i)]);
        if (CanFocus()) SetFocus();
        break;
      }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TPageControl::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_LEFT || key == VK_UP) SelectNextPage(false);
  if (key == VK_RIGHT || key == VK_DOWN) SelectNextPage(true);
}

// A tab: face inside, a white left edge and top with cut corners, a black
// and a grey column on the right. Its bottom row is open.
void TPageControl::PaintTab(TCanvas& c, TRect t) {
  ctlutil::FillSolid(c, t, Color());
  auto line = [&](TColor color, int x0, int y0, int x1, int y1) { ctlutil::FillSolid(c, {x0, y0, x1, y1}, color); };
  line(clBtnHighlight, t.Left, t.Top + 2, t.Left + 1, t.Bottom);      // left
  line(clBtnHighlight, t.Left + 1, t.Top + 1, t.Left + 2, t.Top + 2);  // top-left corner
  line(clBtnHighlight, t.Left + 2, t.Top, t.Right - 2, t.Top + 1);     // top
  line(cl3DDkShadow, t.Right - 2, t.Top + 1, t.Right - 1, t.Top + 2);  // top-right corner
  line(cl3DDkShadow, t.Right - 1, t.Top + 2, t.Right, t.Bottom);       // right
  line(clBtnShadow, t.Right - 2, t.Top + 2, t.Right - 1, t.Bottom);
}

void TPageControl::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  const int bodyTop = TabHeight() + 2;
  // The page: raised, with the white line outside on the left and top as
  // the tabs have it, so the active tab's edge runs on into it.
  TRect body{0, bodyTop, r.Right, r.Bottom};
  c->DrawEdge(body, EDGE_RAISED, BF_RECT);
  ctlutil::FillSolid(*c, {0, bodyTop, 1, r.Bottom - 1}, clBtnHighlight);
  ctlutil::FillSolid(*c, {0, bodyTop, r.Right - 1, bodyTop + 1}, clBtnHighlight);
  ctlutil::FillSolid(*c, {1, bodyTop + 1, 2, r.Bottom - 2}, cl3DLight);
  ctlutil::FillSolid(*c, {1, bodyTop + 1, r.Right - 2, bodyTop + 2}, cl3DLight);
  const int act = ActivePageIndex();
  // The other tabs first; the active one, two pixels larger, over its
  // neighbours' edges and down over the page's top edge, so that it joins
  // its page.
  for (int pass = 0; pass < 2; ++pass)
    for (int i = 0; i < PageCount(); ++i) {
      const bool a = i == act;
      if (a != (pass == 1)) continue;
      TRect t = TabRect(i);
      if (t.IsEmpty()) continue;
      if (a) InflateRect(t, 2, 2);
      t.Bottom = a ? bodyTop + 2 : bodyTop;
      PaintTab(*c, t);
      c->Font()->Assign(*Font());
      c->Brush()->SetStyle(bsClear);
      TRect tr{t.Left, t.Top, t.Right, a ? bodyTop : t.Bottom};
      if (!a) OffsetRect(tr, 0, 1);
      ctlutil::StateText(*c, pages_[static_cast<std::size_t>(i)]->Caption(), tr,
                         DT_SINGLELINE | DT_CENTER | DT_VCENTER, Enabled());
      c->Brush()->SetStyle(bsSolid);
      if (a && Focused()) {
        TRect fr = tr;
        InflateRect(fr, -3, -3);
        c->DrawFocusRect(fr);
      }
    }
}

// ------------------------------------------------------------------- TGauge

TGauge::TGauge(TComponent* owner) : TGraphicControl(owner) {
  width_ = 100;
  height_ = 20;
}

void TGauge::SetMinValue(int v) {
  minValue_ = std::min(v, maxValue_);
  progress_ = std::max(progress_, minValue_);
  Invalidate();
}
void TGauge::SetMaxValue(int v) {
  maxValue_ = std::max(v, minValue_);
  progress_ = std::min(progress_, maxValue_);
  Invalidate();
}
void TGauge::SetProgress(int v) {
  v = std::clamp(v, minValue_, maxValue_);
  if (v == progress_) return;
  progress_ = v;
  Invalidate();
}
int TGauge::PercentDone() const {
  long long span = static_cast<long long>(maxValue_) - minValue_;
  return span <= 0 ? 0 : static_cast<int>((static_cast<long long>(progress_) - minValue_) * 100 / span);
}
void TGauge::SetKind(TGaugeKind k) {
  kind_ = k;
  Invalidate();
}
void TGauge::SetForeColor(TColor c) {
  foreColor_ = c;
  Invalidate();
}
void TGauge::SetBackColor(TColor c) {
  backColor_ = c;
  Invalidate();
}
void TGauge::SetShowText(bool v) {
  showText_ = v;
  Invalidate();
}
void TGauge::SetBorderStyle(TBorderStyle b) {
  borderStyle_ = b;
  Invalidate();
}

void TGauge::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (borderStyle_ == bsSingle) {
    c->Brush()->SetColor(clBlack);
    c->FrameRect(r);
    InflateRect(r, -1, -1);
  }
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(backColor_);
  c->FillRect(r);
  long long span = static_cast<long long>(maxValue_) - minValue_;
  long long done = static_cast<long long>(progress_) - minValue_;
  TRect bar = r;
  if (kind_ == gkHorizontalBar && span > 0) bar.Right = r.Left + static_cast<int>(r.Width() * done / span);
  else if (kind_ == gkVerticalBar && span > 0) bar.Top = r.Bottom - static_cast<int>(r.Height() * done / span);
  else if (kind_ == gkPie || kind_ == gkNeedle || kind_ == gkText) bar = {};
  if (span <= 0) bar = {};
  if (!bar.IsEmpty()) {
    c->Brush()->SetColor(foreColor_);
    c->FillRect(bar);
  }
  if (kind_ == gkPie && span > 0) {
    c->Brush()->SetColor(foreColor_);
    c->Pen()->SetColor(clBlack);
    c->Ellipse(r);
  }
  if (showText_) {
    AnsiString t = std::to_string(PercentDone()) + "%";
    c->Font()->Assign(*Font());
    c->Brush()->SetStyle(bsClear);
    // The text shows in the back colour over the bar, in the fore colour elsewhere.
    TRect all = r;
    c->Font()->SetColor(foreColor_);
    c->DrawText(t, all, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    if (!bar.IsEmpty()) {
      c->IntersectClipRect(bar.Left, bar.Top, bar.Right, bar.Bottom);
      c->Font()->SetColor(backColor_);
      TRect again = r;
      c->DrawText(t, again, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
      c->SelectClipRect(nullptr);
    }
  }
}

// ---------------------------------------------------------------- TSizeGrip

TSizeGrip::TSizeGrip(TComponent* owner) : TGraphicControl(owner) {
  width_ = 16;
  height_ = 16;
  cursor_ = crSizeNWSE;
  color_ = clBtnFace;
  parentColor_ = true;
}

void TSizeGrip::Paint() {
  TCanvas* c = Canvas();
  int w = width_, h = height_;
  // Three pairs of diagonal lines in the bottom-right corner.
  for (int k = 0; k < 3; ++k) {
    int o = 4 * k + 2;
    c->Pen()->SetColor(clBtnHighlight);
    c->MoveTo(w - o - 2, h);
    c->LineTo(w, h - o - 2);
    c->Pen()->SetColor(clBtnShadow);
    c->MoveTo(w - o - 1, h);
    c->LineTo(w, h - o - 1);
    c->MoveTo(w - o, h);
    c->LineTo(w, h - o);
  }
}

void TSizeGrip::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  TCustomForm* f = GetParentForm(this);
  if (button != mbLeft || !f) return;
  dragging_ = true;
  start_ = ClientToScreen({x, y});
  startSize_ = {f->Width(), f->Height()};
}

void TSizeGrip::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  TCustomForm* f = GetParentForm(this);
  if (!dragging_ || !f) return;
  TPoint p = ClientToScreen({x, y});
  TPoint mn, mx;
  f->TrackSizeLimits(mn, mx);
  int w = std::clamp(startSize_.cx + p.X - start_.X, mn.X, mx.X);
  int h = std::clamp(startSize_.cy + p.Y - start_.Y, mn.Y, mx.Y);
  f->SetBounds(f->Left(), f->Top(), w, h);
}

void TSizeGrip::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) dragging_ = false;
  TGraphicControl::MouseUp(button, shift, x, y);
}
