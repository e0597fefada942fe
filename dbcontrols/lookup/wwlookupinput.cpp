// The lookup combo's keys, mouse, focus, its own painting and its layout;
// as a data grid's edit control it hands the grid its navigation keys.
//
// The platform's edit types a character in its key-press handling itself,
// so the combo's checks of a key come before the edit's own handling.
#include <algorithm>

#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/datasets/wwsearch.h"
#include "dbcontrols/grid/wwgrid.h"
#include "dbcontrols/lookup/wwlookupcombo.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/ctlutil.h"
#include "platform/ui/keyboard.h"

TwwCustomDBGrid* TwwDBCustomLookupCombo::ParentGrid() const { return dynamic_cast<TwwCustomDBGrid*>(Parent()); }

bool TwwDBCustomLookupCombo::InFocusedWwGrid() const {
  const auto* g = dynamic_cast<const TwwDBGrid*>(Parent());
  return g && g->Focused();
}

bool TwwDBCustomLookupCombo::KeyToGrid(Word key, TShiftState /*shift*/) {
  TwwCustomDBGrid* grid = ParentGrid();
  if (!grid) return false;
  // The in-place edit ends: the grid has the focus and the key.
  if (grid->CanFocus()) grid->SetFocus();
  grid->Perform(WM_KEYDOWN, key, 0);
  return true;
}

void TwwDBCustomLookupCombo::RestoreSaved() {
  grid_->SetRawDisplayValue(savedText_);
  grid_->SetRawValue(savedValue_);
  SetText(savedText_);
  SetModified(false);
  suppressRefresh_ = true;
  TScopeExit refreshed{[this] { suppressRefresh_ = false; }};
  fieldLink_.Reset();
}

// ---------------------------------------------------------------- messages

void TwwDBCustomLookupCombo::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_KEYDOWN:
      if (!HasState(csDesigning) && ReflectedKeyDown(m)) {
        m.Result = 1;
        return;
      }
      break;
    case WM_GETDLGCODE:
      TCustomEdit::Dispatch(m);
      // An open list takes Enter and Escape itself.
      if (grid_ && ListVisible()) m.Result |= DLGC_WANTALLKEYS;
      return;
    case WM_SETFOCUS:
      TCustomEdit::Dispatch(m);
      if (!EditTextAllowed() && HandleAllocated()) HideCaret(Handle());
      return;
    case WM_KILLFOCUS:
      TCustomEdit::Dispatch(m);
      CloseUp(true);
      return;
    case WM_CHAR:
      if (wwIsEditKey(static_cast<unsigned>(m.WParam) & 0xFF) && autoDropDown_ && !ListVisible() && ParentGrid())
        typing_ = true;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // A drop-down list toggles its list by a click also while it is open.
      if (AllowsMouseSelection() && style_ != csDropDownList) break;
      LeftButton(m);
      return;
    case WM_LBUTTONUP:
      if (!AllowsMouseSelection() && MouseCapture()) SetMouseCapture(false);
      break;
    case WM_CUT:
    case WM_PASTE:
      if (EditTextAllowed()) StartEdit();
      if (!CanEdit()) return;
      TCustomEdit::Dispatch(m);
      if (m.Msg == WM_PASTE) fieldLink_.Modified();
      return;
    case CM_CANCELMODE:
      CancelMode(reinterpret_cast<TControl*>(m.LParam));
      break;
    case CM_ENABLEDCHANGED:
      TCustomEdit::Dispatch(m);
      if (button_) button_->SetEnabled(Enabled());
      return;
    case CM_FONTCHANGED:
      TCustomEdit::Dispatch(m);
      Layout();
      return;
    case CM_ENTER:
      if (AutoSelect() && GetKeyState(VK_LBUTTON) >= 0) SelectAllIfEditable();
      TCustomEdit::Dispatch(m);
      if (!EditTextAllowed()) Invalidate();
      return;
    case CM_EXIT:
      if (inNotInList_) return;
      ExitNotification();
      TCustomEdit::Dispatch(m);
      if (!EditTextAllowed()) Invalidate();
      return;
    case CM_GETDATALINK:
      m.Result = reinterpret_cast<LRESULT>(static_cast<TDataLink*>(&fieldLink_));
      return;
    default: break;
  }
  TCustomEdit::Dispatch(m);
}

void TwwDBCustomLookupCombo::ExitNotification() {
  fieldLink_.UpdateRecord();
  // What the user left in the edit without a pick gives way to the text of
  // the field's value. Without a field the text is the combo's own value
  // and stays.
  if (Field()) RefreshLookupText();
  SetSelStart(0);
  SetSelLength(0);
}

void TwwDBCustomLookupCombo::CancelMode(TControl* sender) {
  if (!grid_) return;
  if (!found_) {
    StartEdit();
    if (fieldLink_.Editing()) fieldLink_.Modified();
  }
  if (sender == this || sender == panel_ || sender == button_ || sender == grid_) return;
  if (ListVisible()) {
    StopSearchTimer();
    if (found_) CommitText(this);
  }
  CloseUp(true);
}

// ---------------------------------------------------------------- keys

bool TwwDBCustomLookupCombo::ReflectedKeyDown(TMessage& m) {
  const Word key = static_cast<Word>(m.WParam);
  TwwCustomDBGrid* grid = ParentGrid();
  if (key == VK_ESCAPE && !grid && !ListVisible() && Modified()) {
    RestoreSaved();
    return true;
  }
  if (typing_) return true;
  const bool enterTabs = grid && (grid->KeyOptions() & dgEnterToTab);
  notInListRefused_ = false;
  if ((key == VK_TAB || (key == VK_RETURN && enterTabs)) && ListVisible()) {
    StopSearchTimer();
    if (found_) CommitText(this);
    CloseUp(true);
    SelectAllIfEditable();
  }
  if (key != VK_TAB && key != VK_RETURN) return false;
  // An open list keeps Enter for the key-press handling, which closes it.
  if (ListVisible()) return false;
  if (!grid) return false;
  if (grid->CanFocus()) grid->SetFocus();
  // A typed text refused on the way stops the key, as after Enter: the
  // grid stays on its row, for a value from the list.
  if (grid->Focused() && !notInListRefused_ && (key == VK_TAB || enterTabs))
    grid->Perform(WM_KEYDOWN, key, m.LParam);
  return true;
}

void TwwDBCustomLookupCombo::KeyDown(Word& key, TShiftState shift) {
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  if (TwwCustomDBGrid* grid = ParentGrid(); grid && !ListVisible()) {
    const bool ctrl = (shift & ssCtrl) != 0;
    const bool always = (grid->Options() & dgAlwaysShowEditor) != 0;
    const bool editable = EditTextAllowed();
    const int length = static_cast<int>(Text().size());
    bool toGrid = false;
    switch (key) {
      case VK_INSERT: toGrid = true; break;
      case VK_DELETE: toGrid = ctrl; break;
      case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: toGrid = !(shift & ssAlt); break;
      case VK_ESCAPE: toGrid = !Modified(); break;
      case VK_RIGHT:
      case VK_END: toGrid = !editable || (always && (ctrl || (SelStart() == length && SelLength() == 0))); break;
      case VK_LEFT:
      case VK_HOME:
        toGrid = !editable || (always && (ctrl || (SelStart() == 0 && (SelLength() == 0 || SelLength() == length))));
        break;
      case VK_F2:
        if (grid->OnKeyDown) grid->OnKeyDown(grid, key, shift);
        if (key == VK_F2) {
          Perform(EM_SETSEL, static_cast<WPARAM>(-1), 0);
          key = 0;
        }
        return;
      default:
        if (grid->OnKeyDown) grid->OnKeyDown(grid, key, shift);
        if (key == 0) return;
        break;
    }
    if (toGrid) {
      const bool escape = key == VK_ESCAPE;
      if (escape) inNotInList_ = true;
      try {
        KeyToGrid(key, shift);
      } catch (...) {
        inNotInList_ = false;
        throw;
      }
      if (escape) inNotInList_ = false;
      key = 0;
      return;
    }
  }
  if (showMatchText_ && (key == VK_BACK || key == VK_DELETE) && !ListVisible() && style_ == csDropDownList &&
      !allowClearKey_) {
    key = 0;
    return;
  }
  if (wwIsEditKey(key) && autoDropDown_ && !ListVisible()) typing_ = true;
  if (key == VK_BACK || key == VK_INSERT || key == VK_DELETE) {
    if (EditTextAllowed()) StartEdit();
    if (!CanEdit()) {
      key = 0;
      return;
    }
  } else if ((key == VK_LEFT || key == VK_HOME || key == VK_END || key == VK_RIGHT) && !EditTextAllowed() &&
             !IsDataFieldLinked()) {
    key = 0;
    return;
  }
  if (key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) {
    if (!ListVisible()) {
      if (shift & ssAlt) DropDown();
    } else {
      StartEdit();
      if (!DataSource() || fieldLink_.Editing() || IsDataFieldLinked()) {
        Word k = key;
        static_cast<TwwDBLookupList*>(grid_)->KeyDown(k, shift & ~static_cast<unsigned>(ssAlt));
      }
    }
    key = 0;
    return;
  }
  if (key == VK_ESCAPE && ListVisible()) {
    key = 0;
    return;
  }
  TCustomEdit::KeyDown(key, shift);
}

void TwwDBCustomLookupCombo::KeyPress(char& key) {
  const unsigned char k = static_cast<unsigned char>(key);
  if (k == 13 && ListVisible()) {
    StopSearchTimer();
    if (found_) CommitText(this);
    CloseUp(true);
    SelectAll();
    if (HandleAllocated() && Focused()) ShowCaret(Handle());
    key = 0;
    return;
  }
  if (k == 27) {
    const bool wasOpen = ListVisible();
    if (wasOpen) CloseUp(false);
    if (DataField().empty()) {
      SetText(savedText_);
      SetValue(savedValue_);
      SetModified(false);
    } else {
      RestoreSaved();
    }
    SelectAll();
    if ((!EditTextAllowed() || !wasOpen) && ParentGrid()) {
      TwwCustomDBGrid* grid = ParentGrid();
      if (grid->CanFocus()) grid->SetFocus();
    }
    key = 0;
    return;
  }
  if (k >= 32 && !ListVisible() && Field() && !Field()->IsValidChar(key) && !autoDropDown_ && !showMatchText_ &&
      EditTextAllowed()) {
    MessageBeep(0);
    key = 0;
    return;
  }
  // The typed text is looked up in the list's field and cut to its size
  // there: a character beyond that size would be lost unseen, so it is
  // refused as a full field refuses it.
  if (k >= 32 && MaxLength() == 0 && EditTextAllowed()) {
    const TField* shown = grid_->DisplayField();
    if (shown && shown->DataType() == ftString && shown->Size() > 0 &&
        static_cast<int>(Text().size()) - SelLength() >= shown->Size()) {
      MessageBeep(0);
      key = 0;
      return;
    }
  }
  if (k == 8 || k == 22 || k == 24 || k >= 32) {
    if (EditTextAllowed()) StartEdit();
    if (!CanEdit()) {
      key = 0;
      return;
    }
  }
  if (k == 9 || k == 13) {
    key = 0;
    return;
  }
  TCustomEdit::KeyPress(key);
}

void TwwDBCustomLookupCombo::ClearByKey() {
  SetText(AnsiString());
  if (DataField().empty()) {
    SetValue(AnsiString());
  } else {
    StartEdit();
    grid_->SetValues({}, {}, {});
    grid_->SetRawDisplayValue(AnsiString());
    if (IsDataFieldLinked()) AssignLookupToFields(LookupTable());
    if (fieldLink_.Editing()) fieldLink_.Modified();
  }
  if (ListVisible()) grid_->SetSelectedRow(-1);
}

void TwwDBCustomLookupCombo::KeyUp(Word& key, TShiftState shift) {
  if (allowClearKey_ && (key == VK_DELETE || key == VK_BACK) && SelLength() == static_cast<int>(Text().size())) {
    ClearByKey();
    key = 0;
    return;
  }
  TCustomEdit::KeyUp(key, shift);
  if (key == 0 || !grid_) return;
  TypingSearch(key);
}

// ---------------------------------------------------------------- mouse and focus

void TwwDBCustomLookupCombo::LeftButton(TMessage& m) {
  if (CanFocus() && !Focused()) SetFocus();
  if (!Focused()) return;
  if (HandleAllocated()) HideCaret(Handle());
  if (ListVisible())
    CloseUp(true);
  else
    DropDown();
  if (ControlStyle() & csClickEvents) SetControlState(ControlState() | csClicked);
  SetMouseCapture(true);
  MouseDown(mbLeft, KeyDataToShiftState(0) | ssLeft, LoWord(m.LParam), HiWord(m.LParam));
}

void TwwDBCustomLookupCombo::MouseMove(TShiftState shift, int x, int y) {
  TCustomEdit::MouseMove(shift, x, y);
  if (!(shift & ssLeft) || EditTextAllowed() || !MouseCapture() || !ListVisible()) return;
  // A press on the edit dragged into the open list continues there.
  const TPoint p = grid_->ScreenToClient(ClientToScreen({x, y}));
  if (!PtInRect(grid_->ClientRect(), p)) return;
  Perform(WM_LBUTTONUP, 0, MakeLong(x, y));
  grid_->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLong(p.X, p.Y));
}

void TwwDBCustomLookupCombo::DoEnter() {
  grid_->SetRawDisplayValue(Text());
  TCustomEdit::DoEnter();
  if (dynamic_cast<TwwDBGrid*>(Parent())) SelectAll();
  if (!inNotInList_) SetModified(false);
  if (!ListVisible()) {
    savedText_ = Text();
    savedValue_ = Value();
  }
}

// ---------------------------------------------------------------- painting and layout

void TwwDBCustomLookupCombo::PaintButton(TCanvas* canvas, const TRect& rect, bool pressed, bool enabled) {
  wwDrawComboButton(canvas, rect, pressed ? wwbsDown : wwbsUp, enabled, 0);
  if (button_) button_->SkipDefaultPaint = true;
}

void TwwDBCustomLookupCombo::LoadButtonGlyph(TBitmap& glyph) { LoadSystemBitmap(glyph, OBM_COMBO); }

void TwwDBCustomLookupCombo::Paint() {
  if (button_) button_->Invalidate();
  const bool copy = (ControlState() & csPaintCopy) != 0;
  if (EditTextAllowed() && !InFocusedWwGrid() && !copy) {
    // The open list follows the combo when the combo moved.
    if (ListVisible() && dropWindow_) {
      const TPoint here = Parent() ? Parent()->ClientToScreen({Left(), Top()}) : ClientToScreen({0, 0});
      if (here.X != listAnchor_.X || here.Y != listAnchor_.Y) {
        PlaceList(listRect_.Height(), listRect_.Width());
        dropWindow_->SetBounds(listRect_.Left, listRect_.Top, listRect_.Width(), listRect_.Height());
      }
    }
    TCustomEdit::Paint();
    return;
  }
  PaintSelf();
}

void TwwDBCustomLookupCombo::PaintSelf() {
  TCanvas* c = Canvas();
  c->Font()->Assign(*Font());
  TRect r = ClientRect();
  if (showButton_ && panel_) r.Right = panel_->Left();
  const bool inGrid = InFocusedWwGrid();
  const bool copy = (ControlState() & csPaintCopy) != 0;
  const bool highlight = !copy && ((Focused() && style_ == csDropDownList) || inGrid);
  AnsiString text = Text();
  TField* field = Field();
  if (copy && field) {
    // A copy shows the record being painted: the field's own text, or the
    // text of its lookup record.
    if (grid_->DisplayField() == grid_->KeyField(1)) {
      text = field->DisplayText();
    } else if (TField* display = grid_->DisplayField()) {
      if (TwwTable* wt = LookupWwTable()) wt->SwitchToFieldIndex(LookupField());
      text = grid_->PositionOn(field->Text()) ? display->Text() : AnsiString();
    }
  }
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  InflateRect(r, -1, -1);
  if (highlight) {
    c->Brush()->SetColor(clHighlight);
    c->Font()->SetColor(clHighlightText);
    c->FillRect(r);
  } else if (!Enabled()) {
    c->Font()->SetColor(clGrayText);
  }
  const int margin = (inGrid ? (BorderStyle() == bsNone ? 2 : 3) : 2) + (copy && field ? 1 : 0);
  const int y = r.Top + std::max(0, (r.Height() - ctlutil::TextHeight(*Font())) / 2);
  c->Brush()->SetStyle(bsClear);
  c->TextRect(r, r.Left + margin, y, text);
  c->Brush()->SetStyle(bsSolid);
  if (highlight) c->DrawFocusRect(r);
}

// Every change of size (with or without a window) lays out again.
void TwwDBCustomLookupCombo::Resize() {
  TCustomEdit::Resize();
  Layout();
}

void TwwDBCustomLookupCombo::Layout() {
  if (!panel_ || !button_) return;
  const int minHeight = ctlutil::TextHeight(*Font()) + 2 * GetSystemMetrics(SM_CYBORDER) + 1;
  if (Height() < minHeight) {
    SetHeight(minHeight);
    return;  // the resize lays out again
  }
  const int width = button_->Width();
  panel_->SetBounds(ClientWidth() - width, 0, width, ClientHeight());
  button_->SetBounds(0, 0, width, ClientHeight());
  SetEditRect();
}
