// Explorer-style button (see explorerbtn.h): layout, painting with frames,
// shaded and embossed bitmaps, groups, drop-down menu and accelerator.
#include "widgets/explorerbtn.h"

#include <algorithm>
#include <utility>

#include "platform/ui/ctlutil.h"

namespace {

// Posted by a focused button that went out of use.
constexpr unsigned kHandOnFocus = WM_USER + 1;

// The shared 8 x 8 down pattern; made when a button first needs it and
// dropped whenever a button goes (the next one makes it again).
std::unique_ptr<TBitmap> gDownPattern;

TBitmap* DownPattern() {
  if (!gDownPattern) {
    gDownPattern = std::make_unique<TBitmap>(8, 8);
    const TColor face = ColorToRGB(clBtnFace), light = ColorToRGB(clBtnHighlight);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) gDownPattern->Canvas()->SetPixels(x, y, (x % 2) == (y % 2) ? light : face);
  }
  return gDownPattern.get();
}

}  // namespace

namespace explorer_detail {

TColor TransparentOf(const TBitmap& b) {
  return b.Empty() ? clNone : PixelToColor(b.Surface().Row(0)[0]);
}

void DrawTransparent(TCanvas& c, int x, int y, const TBitmap& b) {
  if (b.Empty()) return;
  const TSurface& s = b.Surface();
  c.DrawSurface(Bounds(x, y, s.Width(), s.Height()), s, s.Bounds(), SRCCOPY, s.Row(0)[0] | 0xFF000000u);
}

void DrawMonoMask(TCanvas& c, int x, int y, const TBitmap& b, TColor color) {
  if (b.Empty()) return;
  // On a scaled screen the mask is made of the picture's finer drawing.
  const TSurface* device = c.Device() ? c.Device()->Surface() : nullptr;
  const std::shared_ptr<const TSurface> finer =
      device && device->Scale() > 1 ? FinerPicture(b.Surface(), device->Scale()) : nullptr;
  const TSurface& s = finer ? *finer : b.Surface();
  const std::uint32_t transparent = b.Surface().Row(0)[0] | 0xFF000000u;
  const std::uint32_t ink = ColorToPixel(ColorToRGB(color));
  const std::uint32_t key = ink ^ 1u;  // any value but the ink
  TSurface mask;
  mask.SetScale(s.Scale());
  mask.Resize(s.Width(), s.Height(), key);
  for (int yy = 0; yy < s.Height(); ++yy) {
    const std::uint32_t* src = s.Row(yy);
    std::uint32_t* dst = mask.Row(yy);
    for (int xx = 0; xx < s.Width(); ++xx) {
      std::uint32_t p = src[xx] | 0xFF000000u;
      if (p == transparent) continue;
      int sum = static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF));
      if (sum < 3 * 192) dst[xx] = ink;  // the dark pixels form the glyph
    }
  }
  c.DrawSurface(Bounds(x, y, b.Width(), b.Height()), mask, mask.Extent(), SRCCOPY, key);
}

void Shade(const TBitmap& src, TBitmap& dst, TExplorerButtonShadingType type) {
  static const int kThresholds[3][3] = {{205, 127, 68}, {553, 231, 57}, {335, 274, 175}};
  const int* t = kThresholds[type];
  dst.Assign(src);
  if (src.Empty()) return;
  const std::uint32_t transparent = src.Surface().Row(0)[0] | 0xFF000000u;
  const std::uint32_t white = ColorToPixel(clWhite), light = ColorToPixel(ColorToRGB(clBtnHighlight)),
                      shadow = ColorToPixel(ColorToRGB(clBtnShadow)), black = ColorToPixel(clBlack);
  auto shade = [&](TSurface& s) {
    for (int y = 0; y < s.Height(); ++y) {
      std::uint32_t* row = s.Row(y);
      for (int x = 0; x < s.Width(); ++x) {
        std::uint32_t p = row[x] | 0xFF000000u;
        if (p == transparent) continue;
        int sum = static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF));
        row[x] = sum > t[0] ? white : sum > t[1] ? light : sum > t[2] ? shadow : black;
      }
    }
  };
  shade(dst.Surface());
  // The shaded copy of a finer drawing is the shaded copy's finer drawing.
  if (const auto finer = ScreenScale() > 1 ? FinerPicture(src.Surface(), ScreenScale()) : nullptr) {
    auto shaded = std::make_shared<TSurface>(*finer);
    shade(*shaded);
    AddFinerPicture(dst.Surface(), shaded);
  }
}

}  // namespace explorer_detail

using namespace explorer_detail;

// --------------------------------------------------------------- lifecycle

TExplorerButton::TExplorerButton(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = csCaptureMouse | csDoubleClicks;  // OnClick is fired here, not by the base
  parentColor_ = true;  // no face of its own: the parent shows through
  width_ = 50;
  height_ = 40;
  bitmap_ = std::make_unique<TBitmap>();
  noFocus_ = std::make_unique<TBitmap>();
  disabled_ = std::make_unique<TBitmap>();
  shaded_ = std::make_unique<TBitmap>();
  bitmap_->OnChange = [this](TObject*) { BitmapChanged(); };
  noFocus_->OnChange = [this](TObject*) { BitmapChanged(); };
  disabled_->OnChange = [this](TObject*) { Invalidate(); };
}

TExplorerButton::~TExplorerButton() {
  *alive_ = false;
  gDownPattern.reset();
}

void TExplorerButton::Notification(TComponent* c, TOperation op) {
  TCustomControl::Notification(c, op);
  if (op == opRemove && c == dropDown_) dropDown_ = nullptr;
}

// --------------------------------------------------------------- properties

void TExplorerButton::SetText(const AnsiString& s) {
  TCustomControl::SetText(s);
  if (HasOption(boIconOnly)) SetHint(StripHotkey(s));
  else Invalidate();
}

void TExplorerButton::SetAlignment(TAlignment a) {
  if (a == alignment_) return;
  alignment_ = a;
  Invalidate();
}

void TExplorerButton::SetAllowAllUp(bool v) {
  allowAllUp_ = v;
  if (groupIndex_ == 0 || !parent_) return;
  for (int i = 0; i < parent_->ControlCount(); ++i) {
    auto* b = dynamic_cast<TExplorerButton*>(parent_->Controls(i));
    if (b && b != this && b->groupIndex_ == groupIndex_) b->allowAllUp_ = v;
  }
}

void TExplorerButton::SetBevelStyle(TBevelStyle b) {
  if (b == bevelStyle_) return;
  bevelStyle_ = b;
  Invalidate();
}

void TExplorerButton::SetBitmap(const TBitmap* b) {
  if (b) bitmap_->Assign(*b);
  else bitmap_->SetSize(0, 0);
  BitmapChanged();
}

void TExplorerButton::SetNoFocusBitmap(const TBitmap* b) {
  if (b) noFocus_->Assign(*b);
  else noFocus_->SetSize(0, 0);
  BitmapChanged();
}

void TExplorerButton::SetDisabledBitmap(const TBitmap* b) {
  if (b) disabled_->Assign(*b);
  else disabled_->SetSize(0, 0);
  Invalidate();
}

void TExplorerButton::BitmapChanged() {
  BuildShaded();
  Invalidate();
}

void TExplorerButton::Loaded() {
  TCustomControl::Loaded();
  BuildShaded();
}

void TExplorerButton::BuildShaded() {
  if (!bitmap_->Empty() && noFocus_->Empty()) Shade(*bitmap_, *shaded_, shadingType_);
  else shaded_->SetSize(0, 0);
}

void TExplorerButton::SetDown(bool v) {
  if (groupIndex_ == 0 || v == down_) return;
  down_ = v;
  Invalidate();
  if (v) ReleaseOthers();
}

void TExplorerButton::ReleaseOthers() {
  if (!parent_) return;
  for (int i = 0; i < parent_->ControlCount(); ++i) {
    auto* b = dynamic_cast<TExplorerButton*>(parent_->Controls(i));
    if (b && b != this && b->groupIndex_ == groupIndex_ && b->down_) {
      b->down_ = false;
      b->Invalidate();
    }
  }
}

void TExplorerButton::SetDropDownMenu(TPopupMenu* m) {
  if (m == dropDown_) return;
  if (dropDown_) dropDown_->RemoveFreeNotification(this);
  dropDown_ = m;
  if (m) m->FreeNotification(this);
  Invalidate();
}

void TExplorerButton::SetGroupIndex(int v) {
  if (v == groupIndex_) return;
  groupIndex_ = v;
  if (v == 0 && down_) {
    down_ = false;
    Invalidate();
  }
}

void TExplorerButton::SetLayout(TExplorerButtonLayout l) {
  if (l == layout_) return;
  layout_ = l;
  Invalidate();
}

void TExplorerButton::SetOptions(TExplorerButtonOptions o) {
  options_ = o;
  const AnsiString plain = StripHotkey(Caption());
  if (HasOption(boIconOnly)) {
    if (Hint().empty()) {
      SetHint(plain);
      SetShowHint(true);
    }
  } else if (Hint() == plain) {
    SetHint("");
    SetShowHint(false);
  }
  Invalidate();
}

void TExplorerButton::SetShadingType(TExplorerButtonShadingType s) {
  if (s == shadingType_) return;
  shadingType_ = s;
  BuildShaded();
  Invalidate();
}

void TExplorerButton::SetShowDownPattern(bool v) {
  if (v == showDownPattern_) return;
  showDownPattern_ = v;
  Invalidate();
}

void TExplorerButton::SetUnselectedFontColor(TColor c) {
  if (c == unselectedFontColor_) return;
  unselectedFontColor_ = c;
  Invalidate();
}

void TExplorerButton::SetWordWrap(bool v) {
  if (v == wordWrap_) return;
  wordWrap_ = v;
  Invalidate();
}

// ------------------------------------------------------------------ layout

unsigned TExplorerButton::TextFormat() const {
  unsigned f = alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER;
  if (wordWrap_) f |= DT_WORDBREAK;
  return f;
}

TSize TExplorerButton::MeasureCaption(TCanvas& c, int maxWidth) {
  AnsiString text = Caption();
  if (text.empty() || HasOption(boIconOnly)) return {0, 0};
  c.Font()->Assign(*Font());
  TRect r{0, 0, std::max(1, maxWidth), 0};
  c.DrawText(text, r, TextFormat() | DT_CALCRECT);
  return {std::min(r.Width(), maxWidth), r.Height()};
}

TExplorerButton::TPlacement TExplorerButton::Place() {
  const int w = width_, h = height_;
  const bool hasBmp = !bitmap_->Empty();
  const int bw = hasBmp ? bitmap_->Width() : 0, bh = hasBmp ? bitmap_->Height() : 0;
  TSize ts = MeasureCaption(ctlutil::Measure(*Font()), w - 4);
  int tw = std::max(0, std::min(ts.cx, w - 4)), th = ts.cy;
  const int gap = tw > 0 ? 2 : 0;
  const bool mark = HasOption(boPopupMark) && dropDown_;
  int bx = 0, by = 0, tx = 0, ty = 0;
  auto byAlign = [&](int width) {
    return alignment_ == taLeftJustify ? 3 : alignment_ == taRightJustify ? w - width - 3 : (w - width) / 2;
  };
  if (hasBmp && (layout_ == blBitmapTop || layout_ == blBitmapBottom)) {
    int free = h - (bh + th + gap);
    if (layout_ == blBitmapTop) {
      by = free / 2;
      ty = by + bh + gap;
    } else {
      ty = free / 2;
      by = ty + th + gap;
    }
    bx = byAlign(bw);
    tx = byAlign(tw);
  } else if (hasBmp) {
    tw = std::max(0, std::min(tw, w - 4 - bw - gap));
    by = (h - bh) / 2;
    ty = (h - th) / 2;
    const bool bmpFirst = layout_ == blBitmapLeft;
    const int firstW = bmpFirst ? bw : tw, secondW = bmpFirst ? tw : bw;
    int first, second;
    if (alignment_ == taLeftJustify) {
      first = 3;
      second = first + firstW + gap;
    } else if (alignment_ == taRightJustify) {
      second = w - secondW - 3;
      first = second - gap - firstW;
    } else {
      first = (w - (bw + tw + gap)) / 2;
      second = first + firstW + gap;
    }
    bx = bmpFirst ? first : second;
    tx = bmpFirst ? second : first;
  } else {
    if (mark) tw = std::max(0, std::min(tw, w - 14));
    ty = (h - th) / 2;
    tx = byAlign(tw);
  }
  TPlacement p;
  if (hasBmp) p.Glyph = Bounds(bx, by, bw, bh);
  if (tw > 0) {
    p.Text = Bounds(tx, ty, tw, th);
    if (wordWrap_) p.Text.Right = std::min(p.Text.Right, w - 5);
  }
  if (mark) p.Mark = hasBmp ? TPoint{bx + bw + 3, by + bh / 2} : TPoint{tx + tw + 3, ty + th / 2};
  return p;
}

// ---------------------------------------------------------------- painting

void TExplorerButton::DrawFrame(TCanvas& c, bool pressed) {
  if (!HasOption(boShowBevel)) return;
  TColor lit = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
  if (bevelStyle_ == bsLowered) std::swap(lit, dark);
  if (pressed) std::swap(lit, dark);
  const int w = width_, h = height_;
  c.Pen()->SetWidth(1);
  c.Pen()->SetStyle(psSolid);
  c.Pen()->SetColor(lit);
  c.MoveTo(0, h);
  c.LineTo(0, 0);
  c.LineTo(w - 1, 0);
  c.Pen()->SetColor(dark);
  c.LineTo(w - 1, h - 1);
  c.LineTo(0, h - 1);
}

void TExplorerButton::DrawMark(TCanvas& c, TPoint a, TColor color) {
  if (a.X < 0) return;
  const TColor col = ColorToRGB(color);
  for (int x = a.X; x <= a.X + 6; ++x) c.SetPixels(x, a.Y - 1, col);
  for (int x = a.X + 1; x <= a.X + 5; ++x) c.SetPixels(x, a.Y, col);
  for (int x = a.X + 2; x <= a.X + 4; ++x) c.SetPixels(x, a.Y + 1, col);
  c.SetPixels(a.X + 3, a.Y + 2, col);
}

void TExplorerButton::DrawCaption(TCanvas& c, TRect r, TColor color, bool embossed) {
  if (r.IsEmpty()) return;
  AnsiString text = Caption();
  // The text may need its full measured height; widen the rectangle downwards only.
  const unsigned fmt = TextFormat() | DT_END_ELLIPSIS;
  c.Brush()->SetStyle(bsClear);
  if (embossed) {
    TRect lit = r;
    OffsetRect(lit, 1, 1);
    c.Font()->SetColor(clBtnHighlight);
    c.DrawText(text, lit, fmt);
    c.Font()->SetColor(clBtnShadow);
  } else {
    c.Font()->SetColor(color);
  }
  c.DrawText(text, r, fmt);
}

void TExplorerButton::Paint() {
  if (!visible_ && !HasState(csDesigning)) return;
  TCanvas& c = *Canvas();
  c.Font()->Assign(*Font());
  if (down_ && showDownPattern_) {
    c.Brush()->SetBitmap(DownPattern());
    c.FillRect(ClientRect());
    c.Brush()->SetBitmap(nullptr);
  }
  c.Brush()->SetStyle(bsClear);
  if (HasState(csDesigning)) {
    c.Pen()->SetStyle(psDash);
    c.Pen()->SetColor(clBlack);
    c.Rectangle(ClientRect());
    c.Pen()->SetStyle(psSolid);
  }
  TPlacement p = Place();
  auto moved = [](TRect r, int d) {
    OffsetRect(r, d, d);
    return r;
  };
  auto movedPt = [](TPoint pt, int d) { return pt.X < 0 ? pt : TPoint{pt.X + d, pt.Y + d}; };

  if (!Enabled()) {
    if (down_) DrawFrame(c, true);
    if (!disabled_->Empty()) {
      DrawTransparent(c, p.Glyph.Left, p.Glyph.Top, *disabled_);
    } else if (!bitmap_->Empty()) {
      DrawMonoMask(c, p.Glyph.Left + 1, p.Glyph.Top + 1, *bitmap_, clBtnHighlight);
      DrawMonoMask(c, p.Glyph.Left, p.Glyph.Top, *bitmap_, clBtnShadow);
    }
    if (!HasOption(boIconOnly)) DrawCaption(c, p.Text, clBtnShadow, true);
    return;
  }
  const bool downLook = down_ || (mouseInside_ && mousePressed_) || spaceDown_;
  // The focused button looks as under the mouse, so that it is seen.
  const bool hot = mouseInside_ || Focused();
  if (!downLook) {
    const TColor color = hot ? Font()->Color() : unselectedFontColor_;
    if (hot) DrawFrame(c, false);
    const int d = bevelStyle_ == bsLowered ? 1 : 0;
    if (!HasOption(boIconOnly)) DrawCaption(c, moved(p.Text, d), color, false);
    const TBitmap* glyph = bitmap_.get();
    if (!hot && HasOption(boMonoDisplay)) glyph = noFocus_->Empty() ? shaded_.get() : noFocus_.get();
    DrawTransparent(c, p.Glyph.Left, p.Glyph.Top, *glyph);
    DrawMark(c, p.Mark, color);
  } else {
    DrawFrame(c, true);
    const int d = bevelStyle_ == bsRaised ? 1 : 0;
    if (!HasOption(boIconOnly)) DrawCaption(c, moved(p.Text, d), Font()->Color(), false);
    DrawTransparent(c, p.Glyph.Left + d, p.Glyph.Top + d, *bitmap_);
    DrawMark(c, movedPt(p.Mark, d), Font()->Color());
  }
  if (Focused()) {
    c.Brush()->SetStyle(bsSolid);
    c.DrawFocusRect({2, 2, width_ - 2, height_ - 2});
  }
}

// ------------------------------------------------------------------- mouse

void TExplorerButton::PointerInside(TPoint p) {
  lastPointer_ = p;
}

void TExplorerButton::RecomputeInside() {
  mouseInside_ = PtInRect(ClientRect(), lastPointer_);
}

void TExplorerButton::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_MOUSEENTER:
      if (reinterpret_cast<TControl*>(m.LParam) == this) {
        mouseInside_ = hover_ = true;
        lastPointer_ = {width_ / 2, height_ / 2};
        if (Enabled() && !down_) Invalidate();
        if (OnEnter) OnEnter(this);
      }
      break;
    case CM_MOUSELEAVE:
      if (reinterpret_cast<TControl*>(m.LParam) == this) {
        mouseInside_ = hover_ = false;
        lastPointer_ = {-1, -1};
        if (Enabled() && !down_) Invalidate();
        if (OnExit) OnExit(this);
      }
      break;
    case CM_DIALOGCHAR:
      if (Enabled() && Visible() && IsAccel(static_cast<int>(m.WParam), Caption())) {
        // Pressed as a click would: shown hot, then a press and a release.
        mouseInside_ = true;
        Invalidate();
        const LPARAM centre = MakeLong(width_ / 2, height_ / 2);
        Perform(WM_LBUTTONDOWN, MK_LBUTTON, centre);
        Perform(WM_LBUTTONUP, 0, centre);
        m.Result = 1;
        return;
      }
      break;
    case CM_DIALOGKEY:
      if (TakesEnter(m)) {
        Press();
        return;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      spaceDown_ = false;
      // Disabling takes the focus first, then tells of the change.
      focusLostToDisable_ = m.Msg == WM_KILLFOCUS && !Enabled();
      Invalidate();
      break;
    case CM_ENABLEDCHANGED:
      // A button that goes out of use under the keyboard (a step to the
      // last record, a record saved) hands the focus on in the Tab order
      // instead of leaving it nowhere: once its neighbours, switched by
      // the same change, are in their new states.
      if (std::exchange(focusLostToDisable_, false)) PostMessage(Handle(), kHandOnFocus, 0, 0);
      break;
    case kHandOnFocus:
      if (TCustomForm* f = GetParentForm(this); f && !f->ActiveControl() && f->Showing()) {
        if (CanFocus())
          SetFocus();
        else
          f->SelectNext(this, true, true);
      }
      return;
    case WM_RBUTTONUP: {
      TCustomControl::Dispatch(m);  // the base shows the popup menu, if any
      TCustomForm* f = GetParentForm(this);
      if (PopupMenu() || (f && f->PopupMenu())) {
        TQueuedMessage q;
        while (PeekMessage(q, 0, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
        }
        if (TControl* cap = GetCaptureControl()) cap->Perform(WM_CANCELMODE, 0, 0);
        RecomputeInside();
        Invalidate();
      }
      return;
    }
    default: break;
  }
  TCustomControl::Dispatch(m);
}

void TExplorerButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button != mbLeft || !Enabled() || !Visible()) {
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  mousePressed_ = true;
  mouseInside_ = true;
  PointerInside({x, y});
  Invalidate();
  if (!dropDown_) {
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  TPoint at = ClientToScreen({0, height_});
  dropDown_->Popup(at.X, at.Y);
  AfterMenu();
}

void TExplorerButton::AfterMenu() {
  TQueuedMessage q;
  while (PeekMessage(q, 0, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
  // Clear the press first, so that the cancelled capture's release is not
  // taken for a click.
  mousePressed_ = false;
  if (TControl* cap = GetCaptureControl()) cap->Perform(WM_CANCELMODE, 0, 0);
  RecomputeInside();
  Invalidate();
}

void TExplorerButton::MouseMove(TShiftState shift, int x, int y) {
  PointerInside({x, y});
  if (mousePressed_) {
    bool inside = PtInRect(ClientRect(), {x, y});
    if (inside != mouseInside_) {
      mouseInside_ = inside;
      Invalidate();
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TExplorerButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button != mbLeft || !Enabled() || !Visible() || !mousePressed_) {
    TCustomControl::MouseUp(button, shift, x, y);
    return;
  }
  mousePressed_ = false;
  PointerInside({x, y});
  const bool inside = PtInRect(ClientRect(), {x, y});
  mouseInside_ = inside;
  if (inside && groupIndex_ != 0) {
    if (!down_) {
      down_ = true;
      ReleaseOthers();
    } else if (allowAllUp_) {
      down_ = false;
    }
  }
  TCustomControl::MouseUp(button, shift, x, y);
  Invalidate();
  if (inside) {
    RecomputeInside();
    if (dropDown_) return;
    const std::shared_ptr<bool> alive = alive_;
    Click();
    // The click may have come from the keyboard or run a dialog: the frame
    // then follows the mouse again, not the press.
    if (*alive && mouseInside_ != hover_) {
      mouseInside_ = hover_;
      Invalidate();
    }
  }
}

void TExplorerButton::Click() { TCustomControl::Click(); }

void TExplorerButton::Press() {
  // What a click inside does, leaving the mouse's state as it is.
  if (dropDown_) {
    TPoint at = ClientToScreen({0, height_});
    dropDown_->Popup(at.X, at.Y);
    AfterMenu();
    return;
  }
  if (groupIndex_ != 0) {
    if (!down_) {
      down_ = true;
      ReleaseOthers();
    } else if (allowAllUp_) {
      down_ = false;
    }
  }
  Invalidate();
  Click();
}

// ------------------------------------------------------------------ keys

void TExplorerButton::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_SPACE && KeyModifiers(shift) == 0 && Enabled()) {
    spaceDown_ = true;
    Invalidate();
  }
}

void TExplorerButton::KeyUp(Word& key, TShiftState shift) {
  TCustomControl::KeyUp(key, shift);
  if (key == VK_SPACE && spaceDown_) {
    spaceDown_ = false;
    Press();
  }
}

// ------------------------------------------------------- published props

void TExplorerButton::PublishProperties(TClassInfo& ci) {
  using C = TExplorerButton;
  PublishInteger<C>(ci, "Alignment", &C::Alignment, &C::SetAlignment);
  PublishBool<C>(ci, "AllowAllUp", &C::AllowAllUp, &C::SetAllowAllUp);
  PublishInteger<C>(ci, "BevelStyle", &C::BevelStyle, &C::SetBevelStyle);
  PublishObject<C, TBitmap>(ci, "Bitmap", &C::Bitmap, &C::SetBitmap);
  PublishObject<C, TBitmap>(ci, "NoFocusBitmap", &C::NoFocusBitmap, &C::SetNoFocusBitmap);
  PublishObject<C, TBitmap>(ci, "DisabledBitmap", &C::DisabledBitmap, &C::SetDisabledBitmap);
  PublishString<C>(ci, "Caption", &C::Caption, &C::SetCaption);
  PublishBool<C>(ci, "Down", &C::Down, &C::SetDown);
  PublishObject<C, TPopupMenu>(ci, "DropDownMenu", &C::DropDownMenu, &C::SetDropDownMenu);
  PublishBool<C>(ci, "Enabled", &C::Enabled, &C::SetEnabled);
  PublishInteger<C>(ci, "GroupIndex", &C::GroupIndex, &C::SetGroupIndex);
  PublishInteger<C>(ci, "Layout", &C::Layout, &C::SetLayout);
  PublishSet<C>(ci, "Options", &C::Options, &C::SetOptions);
  PublishInteger<C>(ci, "ShadingType", &C::ShadingType, &C::SetShadingType);
  PublishBool<C>(ci, "ShowDownPattern", &C::ShowDownPattern, &C::SetShowDownPattern);
  PublishInteger<C>(ci, "UnselectedFontColor", &C::UnselectedFontColor, &C::SetUnselectedFontColor);
  PublishBool<C>(ci, "WordWrap", &C::WordWrap, &C::SetWordWrap);
  PublishEvent<C>(ci, "OnEnter", &C::OnEnter);
  PublishEvent<C>(ci, "OnExit", &C::OnExit);
}
