// Mouse handling of the edit control: placing the cursor and selecting by
// dragging, a word by double click and a paragraph by triple click; clicks
// on pictures and hyperlinks (the links by keyboard are in linkkeys.cpp);
// the hyperlink cursor while hovering; the word under the right button;
// resizing pictures at their border; dragging a selection into an edit
// control.
// Invariants: a press that ends in a hyperlink or picture click starts no
// selection; a release without movement puts the cursor where a press
// would; a press into a control without a caret never scrolls it; the link
// a click delivers is read from the clicked character whether that is part
// of the visible text or of its hidden stamp.
#include <algorithm>
#include <cstdlib>

#include "platform/rtl/sysutils.h"
#include "platform/ui/forms.h"
#include "platform/ui/timers.h"
#include "richtext/controls/rtfedit.h"

namespace {

// Movement that turns a press inside the selection into a drag.
constexpr int kDragThreshold = 6;
// How near the right or bottom edge of a picture the sizing starts.
constexpr int kSizingBorder = 10;
// The longest hidden stamp read after a link's text.
constexpr int kMaxStamp = 254;

bool IsLink(const TWPAttrRecord& a) { return a.Style & wpsHyperlink; }
bool IsHidden(const TWPAttrRecord& a) { return a.Style & wpsHidden; }

}  // namespace

// --- hit testing -------------------------------------------------------------------------

bool TWPCustomRtfEdit::CharAtPoint(int x, int y, TWPParagraphRec*& par, TWPLineRec*& line, int& offset) const {
  const TWPRTFTextInput& e = *engine_;
  const int dx = x - e.HorzOffset;
  const int64_t dy = static_cast<int64_t>(y) + e.TopOffset;
  if (dx < 0 || dy < 0 || dy > INT32_MAX) return false;
  if (!e.LineAtPoint(dx, static_cast<int>(dy), par, line) || !line) return false;
  // The row below a line's last one is drawn by the next line: its top row.
  if (dy == static_cast<int64_t>(line->Top) + line->Height) {
    TWPParagraphRec* np = line->next ? par : par->next;
    TWPLineRec* nl = line->next ? line->next : np ? np->line : nullptr;
    if (nl && nl->Top == dy) {
      par = np;
      line = nl;
    }
  }
  if (dy < line->Top || dy > static_cast<int64_t>(line->Top) + line->Height) return false;
  offset = e.OffsetAtX(par, line, dx);
  if (offset >= line->Length) return false;
  // Left of the line's first character (an indent) is no character.
  return dx + 1 >= e.CursorX(par, line, offset);
}

bool TWPCustomRtfEdit::LinkAt(int x, int y, LinkHit& hit) const {
  TWPParagraphRec* p = nullptr;
  TWPLineRec* l = nullptr;
  int o = 0;
  if (!CharAtPoint(x, y, p, l, o)) return false;
  return LinkFrom(p, l, o, hit);
}

bool TWPCustomRtfEdit::LinkFrom(TWPParagraphRec* p, TWPLineRec* l, int o, LinkHit& hit) const {
  if (!l->pa || o < 0 || o >= l->Length) return false;
  if (!IsLink(l->pa[o]) || IsHidden(l->pa[o])) {
    // A stamp (shown when hidden text is shown): the link's text lies
    // directly before it in the line.
    if (!IsHidden(l->pa[o])) return false;
    int k = o;
    while (k >= 0 && IsHidden(l->pa[k])) --k;
    if (k < 0 || !IsLink(l->pa[k]) || IsHidden(l->pa[k])) return false;
    o = k;
  }
  hit = LinkHit{};
  hit.Par = p;
  hit.Line = l;
  hit.Offset = o;
  int position = 0, parNumber = 0;
  engine_->PositionOf(p, l, o, position, hit.LineNumber, parNumber);
  // Back to the link's first character, across soft line breaks.
  TWPLineRec* sl = l;
  int so = o;
  for (;;) {
    if (so > 0 && IsLink(sl->pa[so - 1])) {
      --so;
    } else if (so == 0 && sl->prev && sl->prev->Length > 0 && sl->prev->pa &&
               IsLink(sl->prev->pa[sl->prev->Length - 1])) {
      sl = sl->prev;
      so = sl->Length - 1;
    } else {
      break;
    }
  }
  // The text: shown link characters, on into following lines.
  while (sl) {
    if (so >= sl->Length) {
      if (!sl->next) break;
      sl = sl->next;
      so = 0;
      continue;
    }
    const TWPAttrRecord& a = sl->pa[so];
    if (!IsLink(a) || IsHidden(a)) break;
    hit.Text += sl->pc[so];
    if (a.Tag) hit.Tag = a.Tag;
    ++so;
  }
  // The stamp: the hidden characters right behind the text.
  while (sl && so < sl->Length && IsHidden(sl->pa[so]) && static_cast<int>(hit.Stamp.size()) < kMaxStamp) {
    hit.Stamp += sl->pc[so];
    ++so;
  }
  return !hit.Text.empty() || !hit.Stamp.empty();
}

void TWPCustomRtfEdit::FireHyperlink(const LinkHit& hit) {
  hyperlinkTag_ = hit.Tag;
  if (HyperLinkEvent) HyperLinkEvent(this, hit.Text, hit.Stamp, hit.LineNumber);
}

bool TWPCustomRtfEdit::ClickObjectOrLink(int x, int y) {
  const int dx = x - engine_->HorzOffset, dy = y + engine_->TopOffset;
  for (const TWPObjectRect& r : engine_->ObjectRects) {
    if (!r.Entry || !PtInRect(r.Rect, {dx, dy})) continue;
    // A picture has no handler of its own: it is selected.
    if (!engine_->SelectObject(2, r.Entry->SecondNumber)) engine_->SelectObject(1, r.Entry->Number);
    return true;
  }
  LinkHit hit;
  if (!LinkAt(x, y, hit)) return false;
  FireHyperlink(hit);
  return true;
}

bool TWPCustomRtfEdit::InSelection(int x, int y) const {
  TWPParagraphRec* p = nullptr;
  TWPLineRec* l = nullptr;
  int o = 0, start = 0, length = 0;
  if (!engine_->GetBlock(start, length) || !CharAtPoint(x, y, p, l, o)) return false;
  int position = 0, lineNumber = 0, parNumber = 0;
  engine_->PositionOf(p, l, o, position, lineNumber, parNumber);
  return position >= start && position < start + length;
}

TWPObjectRect* TWPCustomRtfEdit::ObjectBorderAt(int x, int y) {
  if (ReadOnly() || !editable_ || Resizing() <= 0) return nullptr;
  const int dx = x - engine_->HorzOffset, dy = y + engine_->TopOffset;
  for (TWPObjectRect& r : engine_->ObjectRects) {
    if (!r.Entry || !PtInRect(r.Rect, {dx, dy})) continue;
    if (dx >= r.Rect.Right - kSizingBorder || dy >= r.Rect.Bottom - kSizingBorder) return &r;
  }
  return nullptr;
}

void TWPCustomRtfEdit::ResizeObjectTo(int x, int y) {
  TWPObjectEntry* entry = resizing_;
  resizing_ = nullptr;
  const TWPObjectRect* found = nullptr;
  for (const TWPObjectRect& r : engine_->ObjectRects)
    if (r.Entry == entry) found = &r;
  if (!entry || !found) return;
  // The change check may read the text anew (a record going into editing),
  // which frees its objects: the picture is found again by its place in
  // the object list.
  const TRect rect = found->Rect;
  int place = 0;
  for (const TWPObjectEntry* o = engine_->FirstObject; o && o != entry; o = o->next) ++place;
  if (!ChangeCheck()) return;
  entry = engine_->FirstObject;
  for (int i = 0; entry && i < place; ++i) entry = entry->next;
  if (!entry) return;
  const int w = std::max(4, x - engine_->HorzOffset - rect.Left);
  const int h = std::max(4, y + engine_->TopOffset - rect.Top);
  entry->Width = MulDiv(w, 1440, Header()->ResX > 0 ? Header()->ResX : 96);
  entry->Height = MulDiv(h, 1440, Header()->ResY > 0 ? Header()->ResY : 96);
  for (TWPParagraphRec* p = engine_->FirstPar; p; p = p->next) p->ChangeFlags |= wpcBreak | wpcMeasure;
  ReformatAndRepaint();
  Change();
}

// --- word, paragraph ------------------------------------------------------------------------

void TWPCustomRtfEdit::SelectWordAt(int x, int y) {
  TWPRTFTextInput& e = *engine_;
  e.CursorToPoint(x, y, false, false);
  TWPParagraphRec* p = e.CursorPar;
  if (!p) return;
  AnsiString text;
  for (const TWPLineRec* l = p->line; l; l = l->next) text.append(l->pc, l->Length);
  int s = TWPRTFText::PosInPar(p, e.CursorLine, std::max(e.CursorOffset, 0)), t = s;
  const auto word = [&](int k) { return k >= 0 && k < static_cast<int>(text.size()) && IsCharAlphaNumeric(text[k]); };
  if (word(s)) {
    while (word(s - 1)) --s;
    while (word(t)) ++t;
  } else if (s < static_cast<int>(text.size())) {
    ++t;
  }
  if (t <= s) return;
  int parStart = 0, lineNumber = 0, parNumber = 0;
  e.PositionOf(p, p->line, 0, parStart, lineNumber, parNumber);
  e.SetSelection(parStart + s, t - s);
  e.MoveCursorToPosition(parStart + t, 0);
  e.UpdateCaret();
}

void TWPCustomRtfEdit::SelectParagraphAt(int x, int y) {
  TWPRTFTextInput& e = *engine_;
  e.CursorToPoint(x, y, false, false);
  TWPParagraphRec* p = e.CursorPar;
  if (!p) return;
  int parStart = 0, lineNumber = 0, parNumber = 0;
  e.PositionOf(p, p->line, 0, parStart, lineNumber, parNumber);
  const int length = TWPRTFText::ParLength(p);
  if (length > 0) e.SetSelection(parStart, length);
  e.MoveCursorToPosition(parStart + length, 0);
  e.UpdateCaret();
}

void TWPCustomRtfEdit::RightButtonWord(TShiftState shift, int x, int y) {
  TWPParagraphRec* p = nullptr;
  TWPLineRec* l = nullptr;
  int o = 0;
  if (!CharAtPoint(x, y, p, l, o) || static_cast<unsigned char>(l->pc[o]) <= 32) return;
  const auto letter = [](char c) {
    return AnsiUpperChar(c) != AnsiLowerChar(c) || static_cast<unsigned char>(c) == 223;
  };
  int s = o;
  while (s > 0 && letter(l->pc[s - 1])) --s;
  int t = s;
  while (t < l->Length && (letter(l->pc[t]) || l->pc[t] == '\'')) ++t;
  const AnsiString word(l->pc + s, static_cast<size_t>(t - s));
  AnsiString text = word;
  TWPAttrRecord attr = l->pa && s < l->Length ? l->pa[s] : engine_->WritingAttr;
  const TWPAttrRecord before = attr;
  int position = 0, lineNumber = 0, parNumber = 0;
  engine_->PositionOf(p, l, s, position, lineNumber, parNumber);
  OnMouseDownRight(this, mbRight, shift, x, y, position, t - s, text, attr);
  // The change check may read the text anew (a record going into editing):
  // the word is found again at its position in the text it leaves.
  const auto checked = [&] {
    if (!ChangeCheck()) return false;
    int offset = 0;
    if (!engine_->FindPosition(offset, l, p, position, 0) || !l) return false;
    if (offset == l->Length && l->next) {  // a line's end stands for the next line's start
      l = l->next;
      offset = 0;
    }
    if (offset + (t - s) > l->Length) return false;
    s = offset;
    t = offset + static_cast<int>(word.size());
    return true;
  };
  if (text == word) {
    const bool changed = attr.Font != before.Font || attr.Style != before.Style || attr.Colors != before.Colors;
    if (!changed || !l->pa || t <= s || !checked() || !l->pa) return;
    for (int i = s; i < t; ++i) {
      l->pa[i].Font = WPValidFont(attr.Font);
      l->pa[i].Style = attr.Style;
      l->pa[i].Colors = attr.Colors;
    }
    p->ChangeFlags |= wpcBreak | wpcMeasure;
    ReformatAndRepaint();
    Change();
  } else if (checked()) {
    engine_->HideSelection();
    engine_->ClearBlock();
    engine_->ReplaceText(p, l, s, t - s, text.data(), static_cast<int>(text.size()));
    ReformatAndRepaint();
    Change();
  }
}

// --- dragging a selection -------------------------------------------------------------------------

void TWPCustomRtfEdit::DropOn(TWPCustomRtfEdit* target, int x, int y) {
  if (!target || target->ReadOnly() || !target->editable_ || !engine_->HasBlock()) return;
  const std::string rtf = SaveSelection(FormatRTF);
  HideSelection();
  target->AttachCanvas();
  target->engine_->CursorToPoint(x, y, false, false);
  if (rtf.empty() || !target->ChangeCheck()) return;
  target->PasteText(rtf, true, false);
  target->engine_->ScrollToCursor();
  target->Invalidate();
  target->Change();
}

// --- the mouse events --------------------------------------------------------------------------------

void TWPCustomRtfEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbRight) {
    TWPCustomRtfEditClass::MouseDown(button, shift, x, y);
    if (OnMouseDownRight && !mouseSuppressed_) RightButtonWord(shift, x, y);
    return;
  }
  if (button != mbLeft) {
    TWPCustomRtfEditClass::MouseDown(button, shift, x, y);
    return;
  }
  SetLinkFocus(-1, 0);  // the mouse takes over from the keyboard
  downPoint_ = {x, y};
  mouseMoved_ = false;
  wordSelected_ = false;
  dragFinished_ = false;
  if (dragAndDrop_ && !ReadOnly() && InSelection(x, y)) {
    // Maybe the start of a drag: decided by the movement that follows.
    dragPending_ = true;
    dragPoint_ = {x, y};
    TWPCustomRtfEditClass::MouseDown(button, shift, x, y);
    return;
  }
  TWPCustomRtfEditClass::MouseDown(button, shift, x, y);
  if (mouseSuppressed_) return;
  TakeFocus();
  if (engine_->IsEmpty()) return;
  const bool dbl = shift & ssDouble;
  const int64_t now = Timers().Now();
  const bool triple = !dbl && now - lastDoubleClick_ <= static_cast<int64_t>(kDoubleClickTime) &&
                      std::abs(x - doubleClickPoint_.X) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                      std::abs(y - doubleClickPoint_.Y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  if ((dbl || oneClickHyperlink_) && !selecting_ && ClickObjectOrLink(x, y)) return;
  if (TWPObjectRect* r = ObjectBorderAt(x, y)) {
    resizing_ = r->Entry;
    return;
  }
  // Without a caret the control is a viewer, as for its keys: a press that
  // follows no link moves no invisible cursor into view, so the page stays
  // where the user pointed.
  if (CaretDisabled()) return;
  selecting_ = true;
  if (triple) {
    SelectParagraphAt(x, y);
    wordSelected_ = true;
    lastDoubleClick_ = now - 2 * static_cast<int64_t>(kDoubleClickTime);
  } else if (dbl) {
    SelectWordAt(x, y);
    wordSelected_ = true;
    lastDoubleClick_ = now;
    doubleClickPoint_ = {x, y};
  } else {
    const bool extend = (shift & ssShift) && engine_->BlockStart.Par;
    engine_->CursorToPoint(x, y, extend, false);
  }
  engine_->UpdateCaret();
}

void TWPCustomRtfEdit::MouseMove(TShiftState shift, int x, int y) {
  TWPCustomRtfEditClass::MouseMove(shift, x, y);
  if (dragPending_ && (std::abs(x - dragPoint_.X) > kDragThreshold || std::abs(y - dragPoint_.Y) > kDragThreshold)) {
    dragPending_ = false;
    dragging_ = true;
  }
  if (dragging_) {
    ::SetCursor(crDrag);
    return;
  }
  if (resizing_) {
    ::SetCursor(crSizeNWSE);
    return;
  }
  if (selecting_ && !wordSelected_ && GetKeyState(VK_LBUTTON) < 0) {
    if (x != downPoint_.X || y != downPoint_.Y) mouseMoved_ = true;
    if (mouseMoved_) engine_->CursorToPoint(x, y, true, true);
    return;
  }
  if (ObjectBorderAt(x, y)) {
    ::SetCursor(crSizeNWSE);
    return;
  }
  LinkHit hit;
  const bool link = LinkAt(x, y, hit);
  if (link != overLink_ || link) {
    overLink_ = link;
    if (hyperLinkCursor_ != 0) ::SetCursor(link ? hyperLinkCursor_ : Cursor());
  }
}

void TWPCustomRtfEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button != mbLeft) {
    TWPCustomRtfEditClass::MouseUp(button, shift, x, y);
    return;
  }
  if (dragPending_) {
    // No drag after all: the press counts where it was made.
    dragPending_ = false;
    HideSelection();
    engine_->CursorToPoint(dragPoint_.X, dragPoint_.Y, false, false);
    selecting_ = true;
  }
  if (dragging_) {
    dragging_ = false;
    dragFinished_ = true;
    if (TCustomForm* form = GetParentForm(this)) {
      const TPoint screen = ClientToScreen({x, y});
      TControl* c = form->ControlAtPos(form->ScreenToClient(screen), false, true);
      if (auto* target = dynamic_cast<TWPCustomRtfEdit*>(c)) {
        const TPoint at = target->ScreenToClient(screen);
        DropOn(target, at.X, at.Y);
      }
    }
    ::SetCursor(Cursor());
  }
  TWPCustomRtfEditClass::MouseUp(button, shift, x, y);
  if (!mouseSuppressed_ && !dragFinished_) {
    TakeFocus();
    const bool wasSelecting = selecting_;
    selecting_ = false;
    if (resizing_) {
      ResizeObjectTo(x, y);
    } else if (wasSelecting && !mouseMoved_ && !wordSelected_ && !(shift & ssShift)) {
      HideSelection();
      engine_->CursorToPoint(x, y, false, false);
    }
    engine_->UpdateCaret();
  }
  selecting_ = false;
  dragFinished_ = false;
}
