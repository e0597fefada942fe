// Drawing outside paint messages: a control's canvas points at its place in
// the form's back buffer, clipped by every parent; the caret is shown in the
// host window of the focused control's form; ScrollWindowEx moves pixels in
// place and invalidates what they uncover.
#include "platform/ui/forms.h"
#include "platform/ui/ui_internal.h"

bool UiInternals::VisibleClientInForm(const TControl* c, TRect& clip, TPoint& origin, TCustomForm*& form) {
  form = GetParentForm(c);
  if (!form) return false;
  // Client origin relative to the form's client area.
  TPoint o{0, 0};
  TRect vis = c->ClientRect();
  if (c->IsWindowed() && c != form) {
    int bw = static_cast<const TWinControl*>(c)->BorderWidth();
    o = {bw, bw};
  }
  OffsetRect(vis, o.X, o.Y);
  const TControl* cur = c;
  while (cur != form) {
    OffsetRect(vis, cur->Left(), cur->Top());
    o = {o.X + cur->Left(), o.Y + cur->Top()};
    TWinControl* p = cur->Parent();
    TRect pc = p->ClientRect();
    if (p != form) {
      int bw = p->BorderWidth();
      OffsetRect(vis, bw, bw);
      o = {o.X + bw, o.Y + bw};
      OffsetRect(pc, 0, 0);
    }
    // Parent's client area in the same co-ordinates as `vis` after this step.
    TRect pcInNext = pc;
    if (p != form) {
      int bw = p->BorderWidth();
      OffsetRect(pcInNext, bw, bw);
    }
    IntersectRect(vis, vis, pcInNext);
    cur = p;
  }
  clip = vis;
  origin = o;
  return true;
}

void UiInternals::AttachCanvas(TControl* c, TCanvas& canvas, const TPaintContext* ctx) {
  // Each paint (and the first drawing after one) starts with no clip of the
  // control's own, as a fresh device context would.
  unsigned serial = ctx ? ctx->Serial : 0;
  bool fresh = c->canvasSerial_ != serial;
  c->canvasSerial_ = serial;
  if (ctx) {
    if (canvas.Device() != ctx->Device) canvas.SetDevice(ctx->Device);
    if (fresh) canvas.SelectClipRect(nullptr);
    canvas.SetViewport(ctx->Origin, &ctx->Clip);
    return;
  }
  TRect clip;
  TPoint origin;
  TCustomForm* form = nullptr;
  if (!VisibleClientInForm(c, clip, origin, form)) {
    canvas.SetDevice(nullptr);
    return;
  }
  form->EnsureBuffer();
  if (canvas.Device() != form->Device()) canvas.SetDevice(form->Device());
  if (fresh) canvas.SelectClipRect(nullptr);
  canvas.SetViewport(origin, &clip);
  form->MarkFlush(clip);
}

void UiInternals::CaretChanged() {
  const TCaretState& cs = CaretState();
  if (!Screen) return;
  TWinControl* owner = FindControl(cs.Owner);
  TCustomForm* ownerForm = owner ? GetParentForm(owner) : nullptr;
  for (TCustomForm* f : Screen->forms_) {
    if (!f->HostWindow()) continue;
    if (f != ownerForm) {
      f->HostWindow()->SetCaret(false, 0, 0, 0, 0);
      continue;
    }
    TRect clip;
    TPoint origin;
    TCustomForm* form = nullptr;
    if (!VisibleClientInForm(owner, clip, origin, form)) continue;
    f->HostWindow()->SetCaret(CaretVisible() && cs.BlinkOn && owner->Focused(), origin.X + cs.X,
                          origin.Y + cs.Y + f->nativeBar_, cs.Width, cs.Height);
  }
}

namespace ui_internal {
bool VisibleClientInForm(const TControl* c, TRect& clip, TPoint& origin, TCustomForm*& form) {
  return UiInternals::VisibleClientInForm(c, clip, origin, form);
}
void AttachCanvas(TControl* c, TCanvas& canvas, const TPaintContext* ctx) { UiInternals::AttachCanvas(c, canvas, ctx); }
void CaretChanged() { UiInternals::CaretChanged(); }
}  // namespace ui_internal

bool ScrollWindowEx(HWND wnd, int dx, int dy, const TRect* scroll, const TRect* clip, TRect* update) {
  TWinControl* c = FindControl(wnd);
  if (!c) return false;
  TRect vis;
  TPoint origin;
  TCustomForm* form = nullptr;
  if (!ui_internal::VisibleClientInForm(c, vis, origin, form)) return false;
  TRect area = scroll ? *scroll : c->ClientRect();
  if (clip) IntersectRect(area, area, *clip);
  OffsetRect(area, origin.X, origin.Y);
  if (!IntersectRect(area, area, vis)) {
    if (update) *update = {};
    return true;
  }
  TRect moved = area;
  OffsetRect(moved, dx, dy);
  IntersectRect(moved, moved, area);
  // Uncovered: the part of the area the moved pixels do not fill (a strip
  // for a one-directional scroll; the whole area when nothing stays).
  TRect uncovered = area;
  if (moved.IsEmpty() || (dx != 0 && dy != 0)) {
    uncovered = area;
  } else if (dy > 0) {
    uncovered.Bottom = moved.Top;
  } else if (dy < 0) {
    uncovered.Top = moved.Bottom;
  } else if (dx > 0) {
    uncovered.Right = moved.Left;
  } else if (dx < 0) {
    uncovered.Left = moved.Right;
  } else {
    uncovered = {};
  }
  if (form->Device() && form->Showing()) {
    // Damage still waiting inside the area moves with it: repaint it whole.
    TRect pending;
    if (form->PaintPendingFor() && IntersectRect(pending, form->PendingRect(), area)) uncovered = area;
    form->Device()->Scroll(dx, dy, area);
    form->MarkFlush(area);
  } else {
    uncovered = area;
  }
  form->InvalidateClient(uncovered);
  if (update) {
    *update = uncovered;
    OffsetRect(*update, -origin.X, -origin.Y);
  }
  return true;
}
