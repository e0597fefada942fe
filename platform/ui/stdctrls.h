// The standard controls: push button, panel, label, check and radio boxes,
// group box, the edit control (single line and memo), list box, combo box
// and scroll bar, with the window messages the derived controls rely on.
// Invariants: a button click sets its form's ModalResult before OnClick;
// Enter reaches the default button only while no other button has the focus;
// an edit's selection always lies inside its text (0 <= start <= end <= length);
// a list's ItemIndex is -1 or a valid item.
#pragma once

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/ui/forms.h"

class TButton : public TCustomControl {
  ORV_CLASS(TButton, TCustomControl)

 public:
  explicit TButton(TComponent* owner);
  void Dispatch(TMessage& m) override;
  void Click() override;
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult r) { modalResult_ = r; }
  bool Pressed() const { return pressed_; }

 protected:
  void Paint() override;
  // Paints the default frame and the push-button face; returns the face's
  // rectangle for the content.
  TRect PaintFace();
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyUp(Word& key, TShiftState shift) override;
  // Whether Enter presses this button now.
  bool ActiveForEnter() const;

 private:
  bool default_ = false;
  bool cancel_ = false;
  bool pressed_ = false;
  TModalResult modalResult_ = mrNone;
};

enum TPanelBevel { bvNone, bvLowered, bvRaised };

class TPanel : public TCustomControl {
  ORV_CLASS(TPanel, TCustomControl)

 public:
  explicit TPanel(TComponent* owner);
  TRect AlignRect() override;
  TPanelBevel BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel b);
  TPanelBevel BevelInner() const { return bevelInner_; }
  void SetBevelInner(TPanelBevel b);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int w);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  // Space between the outer and the inner bevel, and a single-line frame.
  int PanelBorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int w);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle b);

 protected:
  void Paint() override;
  void CreateParams(TCreateParams& p) override;

 private:
  int borderWidth_ = 0;
  TFormBorderStyle borderStyle_ = bsNone;
  TPanelBevel bevelOuter_ = bvRaised;
  TPanelBevel bevelInner_ = bvNone;
  int bevelWidth_ = 1;
  TAlignment alignment_ = taCenter;
};

using TBorderStyle = TFormBorderStyle;
enum TTextLayout { tlTop, tlCenter, tlBottom };

// A caption without a window: transparent or filled, aligned, wrapped,
// with an accelerator that focuses FocusControl.
class TLabel : public TGraphicControl {
  ORV_CLASS(TLabel, TGraphicControl)

 public:
  explicit TLabel(TComponent* owner);
  void Dispatch(TMessage& m) override;
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout l);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool v);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* c);
  void Notification(TComponent* c, TOperation op) override;
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  void Paint() override;
  void AdjustBounds();

 private:
  unsigned TextFlags() const;
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool transparent_ = false, wordWrap_ = false, autoSize_ = true, showAccelChar_ = true;
  bool adjusting_ = false;
  TWinControl* focusControl_ = nullptr;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// Check box and radio button: a box and a caption; a click toggles (three
// states when AllowGrayed), a radio button unchecks its siblings.
class TButtonControl : public TCustomControl {
  ORV_CLASS(TButtonControl, TCustomControl)

 public:
  explicit TButtonControl(TComponent* owner);
  void Dispatch(TMessage& m) override;

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyUp(Word& key, TShiftState shift) override;
  // Paints the box (of `kind`, DFCS_BUTTONCHECK or DFCS_BUTTONRADIO) and the caption.
  void PaintBox(unsigned kind, bool checked, bool grayed);
  virtual void Toggle() = 0;
  bool pressed_ = false;
};

class TCheckBox : public TButtonControl {
  ORV_CLASS(TCheckBox, TButtonControl)

 public:
  explicit TCheckBox(TComponent* owner);
  bool Checked() const { return state_ == cbChecked; }
  void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState s);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool v) { allowGrayed_ = v; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);

 protected:
  void Paint() override;
  void Toggle() override;

 private:
  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
  TAlignment alignment_ = taRightJustify;  // box left, caption right
};

// The radio buttons of one parent are a group: one Tab stop (its checked
// button, or its first when none is checked), and the arrow keys move the
// focus within it, checking the button they reach.
class TRadioButton : public TButtonControl {
  ORV_CLASS(TRadioButton, TButtonControl)

 public:
  explicit TRadioButton(TComponent* owner);
  void Dispatch(TMessage& m) override;
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  bool IsTabStop() const override;

 protected:
  void Paint() override;
  void Toggle() override;
  void KeyDown(Word& key, TShiftState shift) override;

 private:
  // The group's focusable buttons in Tab order.
  std::vector<TRadioButton*> Group() const;
  bool checked_ = false;
};

// A labelled etched frame around its children.
class TGroupBox : public TCustomControl {
  ORV_CLASS(TGroupBox, TCustomControl)

 public:
  explicit TGroupBox(TComponent* owner);
  TRect AlignRect() override;

 protected:
  void Paint() override;
};

// ------------------------------------------------------------------- edits

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The line text[from, to) broken as a memo wraps it to `width`, as pieces
// (start, length); `advance(c, x)` is a character's width at x from its
// piece's start. A piece ends after the last blank that fits, or inside a
// word longer than the width; blanks at its end may reach past it.
template <class Advance>
std::vector<std::pair<int, int>> WrapAtBlanks(std::string_view text, int from, int to, int width, Advance advance) {
  std::vector<std::pair<int, int>> pieces;
  int s = from, w = 0, lastBlank = -1;
  for (int p = from; p < to; ++p) {
    const char c = text[static_cast<std::size_t>(p)];
    int cw = advance(c, w);
    if (w + cw > width && p > s && c != ' ') {
      const int brk = lastBlank > s ? lastBlank : p;
      pieces.emplace_back(s, brk - s);
      s = brk;
      lastBlank = -1;
      w = 0;
      for (int q = s; q < p; ++q) w += advance(text[static_cast<std::size_t>(q)], w);
      cw = advance(c, w);
    }
    w += cw;
    if (c == ' ') lastBlank = p + 1;
  }
  pieces.emplace_back(s, to - s);
  return pieces;
}

// The edit control: one line (TEdit) or many (TMemo). Text, selection and
// formatting rectangle are the window's; the data-aware edits talk to it
// with the EM_ and WM_ messages as well as through the properties.
class TCustomEdit : public TCustomControl {
  ORV_CLASS(TCustomEdit, TCustomControl)

 public:
  explicit TCustomEdit(TComponent* owner);
  ~TCustomEdit() override;
  void Dispatch(TMessage& m) override;

  int MaxLength() const { return maxLength_; }
  // Whether the field takes line breaks (a word-wrapped one-line field does not).
  bool TakesLines() const { return multiLine_ && wantReturns_; }
  void SetMaxLength(int n);
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char c);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase c);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle b);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }

  int SelStart() const;
  void SetSelStart(int v);
  int SelLength() const;
  void SetSelLength(int v);
  AnsiString SelText() const;
  void SetSelText(const AnsiString& s);
  void SelectAll();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Clear() { SetText(""); }
  bool CanUndo() const { return hasUndo_; }
  void Undo();
  void ClearUndo() { hasUndo_ = false; }
  // The formatting rectangle (client co-ordinates) the text is laid out in.
  TRect FormatRect() const { return fmtRect_; }
  // The width a one-line edit with the sunken border needs to show `text`
  // in `font` whole, unscrolled, with the caret behind it.
  static int WidthForText(const TFont& font, const AnsiString& text);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void Paint() override;
  void Resize() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DblClick() override;
  void DoEnter() override;
  virtual void Change();
  // Replaces the selection with `s` as typing does: MaxLength, char case and
  // read-only apply (false and a beep when refused); undo and OnChange follow.
  // Several characters of the user's cut at MaxLength are reported to the
  // window (EN_MAXTEXT).
  bool ReplaceSelection(const AnsiString& s, bool user);
  // The clipboard's text for a paste, letters folded as typed ones are; a
  // character that cannot be stored is left out and a notice names it. The
  // text is then cleaned: no control character but the line breaks and tabs
  // of a field that takes line breaks (a one-line field gets its tabs as
  // blanks and its lines joined with a blank, and no blanks around them;
  // a field of lines keeps every line as it came); and PastedForm has its
  // say. False when nothing is left to paste.
  bool PastedText(AnsiString& text) const;
  // The cleaned pasted text in the form the field takes it (a date field
  // turns the desktop's other date form into its own).
  virtual void PastedForm(AnsiString& /*text*/) const {}
  // Whether the field's rules take `c` (32 and up) in a pasted text; one
  // they refuse is left out and named.
  virtual bool TakesPastedChar(char /*c*/) const { return true; }
  // Tells in German which characters of a pasted text the field did not
  // take.
  void TellNotPasted(const AnsiString& chars) const;
  // Tells the window that a text of the user's was cut at MaxLength.
  void MaxTextReached();
  // Layout: the visual lines as (start, length) into the text.
  struct VLine {
    int start, len;
  };
  const std::vector<VLine>& Lines() const;
  bool multiLine_ = false;
  bool wordWrap_ = false;
  bool wantReturns_ = false;
  bool wantTabs_ = false;
  TScrollStyle scrollBars_ = ssNone;
  int topLine_ = 0;
  void InvalidateLayout() { layoutValid_ = false; }
  int LineOfChar(int pos) const;
  TPoint PosOfChar(int pos) const;
  int CharAt(int x, int y) const;
  void ScrollCaret();
  void UpdateCaret();
  void UpdateScrollBars();
  int LineHeight() const;
  int VisibleLines() const;
  int MaxLineWidth() const;
  // How far the text may scroll sideways.
  int ScrollRoom() const;
  void SetCaretPos(int caret, bool extend);
  void DefaultFormatRect();

 private:
  // The characters' advances in the edit's font; with `lines`, a tab
  // reaches the next tab stop.
  struct Advances {
    Advances(const TFont& font, bool lines);
    int At(char c, int x) const;  // at x from the line's start
    int Width(const AnsiString& d, int from, int to) const;  // of d[from, to) from a line's start
    int widths[256];
    int tab = 0;
  };
  AnsiString Display() const;
  int WordLeft(int pos) const;
  int WordRight(int pos) const;
  void SetSelection(int anchor, int caret);
  void TextSet(const AnsiString& s);
  int maxLength_ = 0;
  char passwordChar_ = 0;
  bool readOnly_ = false;
  TEditCharCase charCase_ = ecNormal;
  bool autoSelect_ = true, autoSize_ = true, hideSelection_ = true;
  TBorderStyle borderStyle_ = bsSingle;
  TAlignment alignment_ = taLeftJustify;
  bool modified_ = false;
  int anchor_ = 0, caret_ = 0;
  int scrollX_ = 0;
  TRect fmtRect_;
  bool fmtSet_ = false;
  bool hasUndo_ = false;
  AnsiString undoText_;
  int undoAnchor_ = 0, undoCaret_ = 0;
  bool selecting_ = false;
  mutable std::vector<VLine> lines_;
  mutable bool layoutValid_ = false;
  mutable int layoutWidth_ = -1;
};

class TEdit : public TCustomEdit {
  ORV_CLASS(TEdit, TCustomEdit)

 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

// The multi-line edit; Lines shows the text as one entry per hard line.
class TMemo : public TCustomEdit {
  ORV_CLASS(TMemo, TCustomEdit)

 public:
  explicit TMemo(TComponent* owner);
  ~TMemo() override;
  TStrings* Lines() { return lines_.get(); }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle s);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool v) { wantReturns_ = v; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool v) { wantTabs_ = v; }

 private:
  std::unique_ptr<TStrings> lines_;
};

// ------------------------------------------------------------ list box

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum : unsigned { odSelected = 1, odGrayed = 2, odDisabled = 4, odChecked = 8, odFocused = 16, odComboBoxEdit = 32 };
using TOwnerDrawState = unsigned;
class TWinControl;
using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;

// A list of strings with one selected item; standard or owner-drawn rows.
class TCustomListBox : public TCustomControl {
  ORV_CLASS(TCustomListBox, TCustomControl)

 public:
  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;
  void Dispatch(TMessage& m) override;
  TStringList* Items() const { return items_.get(); }
  void SetItems(const TStrings* s) { items_->Assign(s); }
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int i);
  int TopIndex() const { return topIndex_; }
  void SetTopIndex(int i);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle s);
  int ItemHeight() const;
  void SetItemHeight(int h);
  bool Sorted() const;
  void SetSorted(bool v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle b);
  bool IntegralHeight() const { return integralHeight_; }
  void SetIntegralHeight(bool v) { integralHeight_ = v; }
  TCanvas* Canvas() { return TCustomControl::Canvas(); }
  // Item under a client point (-1: none; `existing` false gives the row
  // number even past the last item).
  int ItemAtPos(TPoint p, bool existing) const;
  TRect ItemRect(int index) const;
  int VisibleCount() const;
  // First item from `start` + 1 (wrapping) that begins with `prefix`,
  // letter case ignored; -1 when none.
  int FindPrefix(const AnsiString& prefix, int start) const;

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  void CreateParams(TCreateParams& p) override;
  void Paint() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  virtual void DrawItem(int index, TRect rect, TOwnerDrawState state);
  virtual void MeasureItem(int index, int& height);
  // Selection by the user: moves ItemIndex, scrolls it into view, then Click.
  void UserSelect(int index);
  void ItemsChanged();
  void UpdateScrollBar();
  int RowHeight(int index) const;
  bool hotTrack_ = false;  // the drop-down list follows the mouse

 private:
  std::unique_ptr<TStringList> items_;
  int itemIndex_ = -1;
  int topIndex_ = 0;
  TListBoxStyle style_ = lbStandard;
  int itemHeight_ = 0;
  bool integralHeight_ = false;
  TBorderStyle borderStyle_ = bsSingle;
  bool tracking_ = false;
  AnsiString typed_;
  unsigned typedAt_ = 0;
  mutable std::vector<int> heights_;
  friend class TCustomComboBox;
};

class TListBox : public TCustomListBox {
  ORV_CLASS(TListBox, TCustomListBox)

 public:
  explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

// ----------------------------------------------------------- combo box

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboListBox;

// An edit field with a list: typed text or a chosen item; the list drops
// down in a topmost popup window that never takes the focus, so the combo
// box keeps it and its keys drive the list.
class TCustomComboBox : public TCustomEdit {
  ORV_CLASS(TCustomComboBox, TCustomEdit)

 public:
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;
  void Dispatch(TMessage& m) override;
  TStrings* Items() const;
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int i);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle s);
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int n) { dropDownCount_ = n; }
  bool Sorted() const;
  void SetSorted(bool v);
  int ItemHeight() const;
  void SetItemHeight(int h);
  bool DroppedDown() const;
  void SetDroppedDown(bool v);
  // The list was closed last by Escape, which takes nothing from it.
  bool ListCancelled() const { return listCancelled_; }
  // The list inside the drop-down window (tests click into it).
  TCustomListBox* DropList() const;
  TCustomForm* DropWindow() const;
  // The drop-down window was freed from elsewhere (shut-down).
  void WindowGone();
  // While the list draws an item this is the list's canvas (as owner-draw
  // handlers expect), otherwise the combo box's own.
  TCanvas* Canvas() { return drawCanvas_ ? drawCanvas_ : TCustomControl::Canvas(); }

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

 protected:
  void Paint() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoExit() override;
  void Change() override;
  virtual void DropDown();
  virtual void CloseUp();
  bool Editable() const { return style_ == csDropDown || style_ == csSimple; }
  TRect ButtonRect() const;
  void SelectFromList(int index, bool notify);
  void CreateParams(TCreateParams& p) override;
  // The simple style: the edit's height at the top, the list below it.
  int SimpleEditHeight() const;
  void LayoutSimple();

 private:
  friend class TComboListBox;
  void EnsureList();
  std::unique_ptr<TComboListBox> list_;  // holds the items while closed too
  TCanvas* drawCanvas_ = nullptr;
  TPopupWindow* dropWindow_ = nullptr;
  int itemIndex_ = -1;
  TComboBoxStyle style_ = csDropDown;
  int dropDownCount_ = 8;
  int itemHeight_ = 0;
  bool dropped_ = false;
  bool listCancelled_ = false;
  bool inChange_ = false;
  bool ignoreNextDown_ = false;
  AnsiString typed_;
  unsigned typedAt_ = 0;
};

class TComboBox : public TCustomComboBox {
  ORV_CLASS(TComboBox, TCustomComboBox)

 public:
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

// ----------------------------------------------------------- scroll bar

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TCustomControl {
  ORV_CLASS(TScrollBar, TCustomControl)

 public:
  explicit TScrollBar(TComponent* owner);
  void Dispatch(TMessage& m) override;
  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind k);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetPosition(int v);
  void SetParams(int position, int min, int max);
  void SetMin(int v) { SetParams(position_, v, max_); }
  void SetMax(int v) { SetParams(position_, min_, v); }
  int SmallChange() const { return smallChange_; }
  void SetSmallChange(int v) { smallChange_ = v; }
  int LargeChange() const { return largeChange_; }
  void SetLargeChange(int v) { largeChange_ = v; }
  int PageSize() const { return pageSize_; }
  void SetPageSize(int v);
  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void Scroll(TScrollCode code, int pos);

 private:
  TRect ThumbRect() const;
  int TrackLength() const;
  TScrollBarKind kind_ = sbHorizontal;
  int min_ = 0, max_ = 100, position_ = 0, smallChange_ = 1, largeChange_ = 1, pageSize_ = 0;
  int dragOffset_ = -1;
  int repeatCode_ = -1;
};
