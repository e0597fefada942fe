// The combo-style edit with its button, and the data-aware combo box with
// its popup list: layout, keys and mouse, dropping down and closing up,
// mapping display texts to stored values, text completion and the list's
// typing search.
#include "dbcontrols/edit/wwdbcombo.h"

#include <algorithm>

#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/datasets/wwsearch.h"
#include "platform/rtl/files.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/forms.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/messages.h"

namespace {

constexpr unsigned kPrefixForgetMs = 1500;  // owner-draw list: typed prefix kept this long
constexpr std::size_t kMaxSearch = 32;      // characters of the list's search text

bool AltDown() { return GetKeyState(VK_MENU) < 0; }

bool StartsWithNoCase(const AnsiString& text, const AnsiString& prefix) {
  if (prefix.size() > text.size()) return false;
  return AnsiUpperCase(text.substr(0, prefix.size())) == AnsiUpperCase(prefix);
}

// The text with `key` in place of the edit's selection.
AnsiString WithKey(const TCustomEdit* edit, char key) {
  AnsiString t = edit->Text();
  const std::size_t start = std::min<std::size_t>(static_cast<std::size_t>(edit->SelStart()), t.size());
  const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(edit->SelLength()), t.size() - start);
  return t.substr(0, start) + key + t.substr(start + length);
}

}  // namespace

// ---------------------------------------------------------------- the button

TwwComboDlgButton::TwwComboDlgButton(TComponent* owner, TwwDBCustomCombo* combo)
    : TSpeedButton(owner), combo_(combo) {}

void TwwComboDlgButton::Click() {
  TSpeedButton::Click();
  if (combo_->DroppedDown()) {
    combo_->CloseUp(true);
    return;
  }
  if (!combo_->Focused() && combo_->CanFocus()) combo_->SetFocus();
  if (combo_->Focused()) combo_->DropDown();
}

void TwwComboDlgButton::Paint() { combo_->DrawButtonFace(Canvas(), ClientRect(), Pressed()); }

// ---------------------------------------------------------------- TwwDBCustomCombo

TwwDBCustomCombo::TwwDBCustomCombo(TComponent* owner) : TwwDBCustomEdit(owner) {
  panel_ = new TPanel(this);
  panel_->SetBevelOuter(bvNone);
  panel_->SetControlStyle(panel_->ControlStyle() & ~csSetCaption);
  panel_->SetBounds(0, 0, std::max(GetSystemMetrics(SM_CXVSCROLL) + 4, 17), 17);
  panel_->SetParent(this);
  button_ = new TwwComboDlgButton(this, this);
  button_->SetParent(panel_);
  button_->SetBoundsRect(panel_->ClientRect());
}

TwwDBCustomCombo::~TwwDBCustomCombo() = default;

bool TwwDBCustomCombo::ShowButton() const { return panel_->Visible(); }

void TwwDBCustomCombo::SetShowButton(bool v) {
  if (v == panel_->Visible()) return;
  panel_->SetVisible(v);
  if (!Owner() || !Owner()->HasState(csLoading)) SetFormatRect();
  Invalidate();
}

void TwwDBCustomCombo::SetButtonStyle(TwwComboButtonStyle v) {
  if (v == buttonStyle_) return;
  buttonStyle_ = v;
  const TBitmap* glyph = ButtonGlyph();
  button_->SetGlyph(glyph ? *glyph : TBitmap());
  button_->Invalidate();
}

void TwwDBCustomCombo::DrawButtonFace(TCanvas* canvas, const TRect& rect, bool pressed) {
  const int state = pressed ? wwbsDown : wwbsUp;
  if (buttonStyle_ == cbsDownArrow)
    wwDrawComboButton(canvas, rect, state, Enabled(), 0);
  else
    wwDrawEllipsisButton(canvas, rect, state, 0);
}

void TwwDBCustomCombo::CreateParams(TCreateParams& p) {
  TwwDBCustomEdit::CreateParams(p);
  p.Style = (p.Style & ~(ES_AUTOVSCROLL | ES_WANTRETURN)) | WS_CLIPCHILDREN;
}

void TwwDBCustomCombo::CreateWnd() {
  TwwDBCustomEdit::CreateWnd();
  Layout();
}

void TwwDBCustomCombo::Loaded() {
  TwwDBCustomEdit::Loaded();
  Layout();
}

// The button panel at the right edge, the button filling it, the text left
// of it.
void TwwDBCustomCombo::Layout() {
  const int w = std::max(GetSystemMetrics(SM_CXVSCROLL), 15);
  const bool none = BorderStyle() == bsNone;
  panel_->SetBounds(ClientWidth() - w, 0, w, ClientHeight());
  if (none)
    button_->SetBounds(0, -1, w, panel_->Height() + 1);
  else
    button_->SetBounds(0, 0, w, panel_->Height());
  SetFormatRect();
}

void TwwDBCustomCombo::SetFormatRect() {
  if (!HandleAllocated() || !panel_) return;
  const bool none = BorderStyle() == bsNone;
  const int right = panel_->Visible() ? panel_->Left() - 2 : ClientWidth() - 2;
  TRect r{2, none ? 2 : 1, std::max(2, right), ClientHeight()};
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TwwDBCustomCombo::DropDown() {
  if (!OnCustomDlg) return;
  inDialog_ = true;
  Invalidate();
  TScopeExit done{[this] {
    if (!IsTextChangeable() && HandleAllocated()) HideCaret(Handle());
    Invalidate();
    inDialog_ = false;
  }};
  TwwDataSource* source = DataSource();
  if (source && source->DataSet()) EditField();
  OnCustomDlg(this);
}

void TwwDBCustomCombo::CloseUp(bool accept) {
  if (accept) SetModified(true);
}

bool TwwDBCustomCombo::ComboKey(Word key, TShiftState shift) {
  const bool alt = (shift & ssAlt) != 0;
  if (alt && (key == VK_UP || key == VK_DOWN)) {
    if (DroppedDown())
      CloseUp(true);
    else
      DropDown();
    return true;
  }
  if (DroppedDown() && !alt && (key == VK_RETURN || key == VK_ESCAPE)) {
    CloseUp(key == VK_RETURN);
    return true;
  }
  return false;
}

void TwwDBCustomCombo::KeyDown(Word& key, TShiftState shift) {
  if (ComboKey(key, AltDown() ? static_cast<TShiftState>(shift | ssAlt) : shift)) {
    key = 0;
    return;
  }
  // Delete would change a text that may not change.
  if (key == VK_DELETE && !IsTextChangeable()) {
    key = 0;
    return;
  }
  TwwDBCustomEdit::KeyDown(key, shift);
}

void TwwDBCustomCombo::KeyPress(char& key) {
  const unsigned char k = static_cast<unsigned char>(key);
  if (k == 9 && !EditMask().empty()) {
    key = 0;
    return;
  }
  if ((k >= 32 || k == 8 || k == 22 || k == 24) && !IsTextChangeable()) {
    key = 0;
    return;
  }
  TwwDBCustomEdit::KeyPress(key);
}

void TwwDBCustomCombo::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_SIZE:
      TwwDBCustomEdit::Dispatch(m);
      Layout();
      return;
    case CM_ENABLEDCHANGED:
      TwwDBCustomEdit::Dispatch(m);
      button_->SetEnabled(Enabled());
      return;
    case WM_SETFOCUS:
      TwwDBCustomEdit::Dispatch(m);
      if (!IsTextChangeable() && HandleAllocated()) HideCaret(Handle());
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!IsEditClick()) {
        // A click on a combo whose text is not typed opens or closes it.
        if (!Grid() && CanFocus() && !Focused()) SetFocus();
        if (DroppedDown())
          CloseUp(true);
        else
          DropDown();
        if (controlStyle_ & csClickEvents) controlState_ |= csClicked;
        MouseDown(mbLeft, MouseKeysToShiftState(static_cast<int>(m.WParam)), LoWord(m.LParam), HiWord(m.LParam));
        return;
      }
      break;
    case WM_LBUTTONUP:
      if (!IsEditClick() && MouseCapture()) SetMouseCapture(false);
      break;
    default: break;
  }
  if ((m.Msg == WM_PASTE || m.Msg == WM_CUT) && !IsTextChangeable()) return;
  TwwDBCustomEdit::Dispatch(m);
}

// ---------------------------------------------------------------- the popup window

// The top-level window of the list; freed before its combo (as at
// shut-down) it hands the list back and tells the combo.
class TwwComboPopupWindow : public TPopupWindow {
 public:
  explicit TwwComboPopupWindow(TwwDBComboBox* combo) : TPopupWindow(nullptr), combo_(combo) {}
  ~TwwComboPopupWindow() override {
    if (!combo_) return;
    combo_->list_->SetParent(nullptr);
    combo_->ListGone();
  }
  void Forget() { combo_ = nullptr; }

 private:
  TwwDBComboBox* combo_;
};

// ---------------------------------------------------------------- TwwPopupListbox

TwwPopupListbox::TwwPopupListbox(TwwDBComboBox* combo) : TCustomListBox(nullptr), combo_(combo) {
  tabStop_ = false;
  SetItemHeight(11);
}

void TwwPopupListbox::Dispatch(TMessage& m) {
  if (m.Msg == WM_LBUTTONUP) {
    TCustomListBox::Dispatch(m);
    if (!combo_->DroppedDown()) return;
    const TPoint p{static_cast<std::int16_t>(LoWord(m.LParam)), static_cast<std::int16_t>(HiWord(m.LParam))};
    combo_->CloseUp(PtInRect(ClientRect(), p));
    return;
  }
  TCustomListBox::Dispatch(m);
}

void TwwPopupListbox::KeyPress(char& key) {
  const unsigned char k = static_cast<unsigned char>(key);
  if (k == 8 || k == 27) searchText_.clear();
  if (k >= 32) {
    const unsigned now = GetTickCount();
    if (combo_->OwnerDraw()) {
      // The prefix grows from key to key unless the user paused.
      if (now - lastKeyTick_ > kPrefixForgetMs) searchText_.clear();
      if (searchText_.size() < kMaxSearch) searchText_ += key;
    } else if (combo_->Text().size() < kMaxSearch) {
      searchText_ = WithKey(combo_, key);
    } else {
      searchText_ = combo_->Text();
    }
    lastKeyTick_ = now;
    const int found = FindPrefix(searchText_.substr(0, 255), -1);
    if (found >= 0)
      SetItemIndex(found);
    else if (!combo_->ShowMatchText())
      SetItemIndex(-1);
  }
  key = 0;
}

void TwwPopupListbox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
  if (!combo_->OwnerDraw() || !combo_->OnDrawItem) {
    TCustomListBox::DrawItem(index, rect, state);
    return;
  }
  combo_->paintCanvas_ = Canvas();
  TScopeExit drawn{[this] { combo_->paintCanvas_ = nullptr; }};
  combo_->OnDrawItem(combo_, index, rect, state);
}

// ---------------------------------------------------------------- TwwDBComboBox

TwwDBComboBox::TwwDBComboBox(TComponent* owner)
    : TwwDBCustomCombo(owner), items_(std::make_unique<TStringList>()) {
  SetButtonStyle(cbsDownArrow);
}

TwwDBComboBox::~TwwDBComboBox() {
  if (popup_) {
    if (GetCaptureControl() == list_.get()) ReleaseCapture();
    list_->SetParent(nullptr);
    popup_->Forget();
    delete popup_;
    popup_ = nullptr;
  }
  list_.reset();
}

void TwwDBComboBox::ListGone() {
  popup_ = nullptr;
  dropped_ = false;
}

TCustomForm* TwwDBComboBox::PopupWindow() const { return popup_; }

void TwwDBComboBox::SetItems(const TStrings* v) {
  items_->Assign(v);
  DataChange();
}

void TwwDBComboBox::SetStyle(TComboBoxStyle v) {
  if (v == csSimple)
    SetShowButton(false);
  else if (style_ == csSimple)
    SetShowButton(true);
  style_ = v;
  Invalidate();
}

AnsiString TwwDBComboBox::DisplayText(int index) const {
  const AnsiString entry = items_->Strings(index);
  const std::size_t tab = entry.find('\t');
  return tab == AnsiString::npos ? entry : entry.substr(0, tab);
}

AnsiString TwwDBComboBox::ItemValue(int index) const {
  const AnsiString entry = items_->Strings(index);
  if (!mapList_) return entry;
  const std::size_t tab = entry.find('\t');
  return tab == AnsiString::npos ? entry : entry.substr(tab + 1);
}

int TwwDBComboBox::GetItemIndex() const { return list_ ? list_->ItemIndex() : itemIndex_; }

void TwwDBComboBox::SelectValue(int index) {
  itemIndex_ = index;
  if (list_) list_->SetItemIndex(index);
  if (index >= 0 && index < items_->Count()) SetText(DisplayText(index));
}

bool TwwDBComboBox::TextForValue(const AnsiString& value, AnsiString& text) const {
  text.clear();
  if (!mapList_) return false;
  for (int i = 0; i < items_->Count(); ++i)
    if (ItemValue(i) == value) {
      text = DisplayText(i);
      break;
    }
  return true;
}

AnsiString TwwDBComboBox::ValueForText() const {
  const AnsiString text = Text();
  if (style_ == csDropDown && text.empty()) return AnsiString();
  if (!mapList_) return text;
  for (int i = 0; i < items_->Count(); ++i)
    if (DisplayText(i) == text) return ItemValue(i);
  return AnsiString();
}

bool TwwDBComboBox::GridCellText(const TField* field, AnsiString& cellText) const {
  if (!mapList_ || !field) return TwwDBCustomCombo::GridCellText(field, cellText);
  return TextForValue(field->AsString(), cellText);
}

void TwwDBComboBox::ShowValue(const AnsiString& value) {
  if (value == ValueForText() && !(value.empty() && mapList_)) return;
  if (style_ == csDropDown && !mapList_) {
    SetText(value);
    itemIndex_ = items_->IndexOf(value);
    if (list_) list_->SetItemIndex(itemIndex_);
    return;
  }
  int index = -1;
  if (mapList_) {
    for (int i = 0; i < items_->Count(); ++i)
      if (ItemValue(i) == value) {
        index = i;
        break;
      }
  } else if (!value.empty()) {
    index = items_->IndexOf(value);
  }
  SelectValue(index);
  if (index < 0 && GetItemIndex() < 0) SetText("");
}

void TwwDBComboBox::DataChange() {
  TField* f = Field();
  {
    const bool before = showing_;
    showing_ = true;
    TScopeExit shown{[this, before] { showing_ = before; }};
    if (mapList_) {
      if (f)
        ShowValue(f->AsString());
      else if (HasState(csDesigning))
        SetText(Name());
      else
        ShowValue(AnsiString());
      return;
    }
    if (f) {
      ShowValue(f->AsString());
      if (OwnerDraw()) {
        itemIndex_ = items_->IndexOf(f->AsString());
        Invalidate();
      }
    }
  }
  TwwDBCustomCombo::DataChange();
}

bool TwwDBComboBox::IsEditClick() const { return !(OwnerDraw() || style_ == csDropDownList); }

bool TwwDBComboBox::IsTextChangeable() const {
  if (OwnerDraw()) return false;
  if (style_ == csDropDownList) return dropped_ || showMatchText_;
  return true;
}

int TwwDBComboBox::FindItem(const AnsiString& prefix, int start) const {
  const int n = items_->Count();
  for (int i = 0; i < n; ++i) {
    const int j = (start + i) % n;
    if (StartsWithNoCase(DisplayText(j), prefix)) return j;
  }
  return -1;
}

bool TwwDBComboBox::ChooseItem(int index, bool selectText) {
  if (index < 0 || index >= items_->Count()) return false;
  if (DataSource() && !DataLink()->Edit()) return false;
  SelectValue(index);
  SetModified(true);
  if (selectText && IsTextChangeable()) SelectAll();
  return true;
}

void TwwDBComboBox::FillList() {
  TStrings* lines = list_->Items();
  lines->BeginUpdate();
  lines->Clear();
  for (int i = 0; i < items_->Count(); ++i) lines->Add(DisplayText(i));
  lines->EndUpdate();
}

void TwwDBComboBox::DropDown() {
  if (dropped_ || style_ == csSimple) return;
  Invalidate();
  if (!list_) list_ = std::make_unique<TwwPopupListbox>(this);
  if (!popup_) {
    popup_ = new TwwComboPopupWindow(this);
    list_->SetParent(popup_);
  }
  FillList();
  if (OnDropDown) {
    OnDropDown(this);
    FillList();
  }
  list_->SetStyle(style_ == csOwnerDrawFixed      ? lbOwnerDrawFixed
                  : style_ == csOwnerDrawVariable ? lbOwnerDrawVariable
                                                  : lbStandard);
  list_->SetSorted(Sorted());
  list_->SetColor(Color());
  list_->SetFont(*Font());
  if (itemHeight_ > 0) list_->SetItemHeight(itemHeight_);
  const int count = list_->Items()->Count();
  const int rows = std::min(count, dropDownCount_);
  const int height = list_->ItemHeight() * rows + 4;
  const int width = dropDownWidth_ ? dropDownWidth_ : Width();
  int index = -1;
  if (OwnerDraw() && Field())
    index = items_->IndexOf(Field()->AsString());
  else if (!Text().empty())
    index = list_->Items()->IndexOf(Text());
  // Below the combo; above it when the screen ends first; right-aligned
  // with it when the screen's right edge would cut the list.
  const TPoint origin = Parent() ? Parent()->ClientToScreen({Left(), Top()}) : TPoint{Left(), Top()};
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN), screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int top = origin.Y + Height() - 1;
  if (top + height > screenHeight) top = origin.Y - height;
  int left = origin.X;
  if (left + width >= screenWidth) left = origin.X + Width() - 1 - width;
  popup_->Popup(Bounds(left, top, width, height));
  list_->SetItemIndex(index);
  if (index >= rows && rows > 0) list_->SetTopIndex(std::min(index, count - rows));
  dropped_ = true;
  firstKeyAfterDrop_ = true;
  if (CanFocus() && !Focused()) SetFocus();
  if (!keyDrop_ && IsTextChangeable()) SelectAll();
  if (HandleAllocated() && Focused()) {
    if (IsTextChangeable())
      ShowCaret(Handle());
    else
      HideCaret(Handle());
  }
  Invalidate();
}

void TwwDBComboBox::CloseUp(bool accept) {
  if (!dropped_) return;
  if (GetCaptureControl()) ReleaseCapture();
  const int row = list_->ItemIndex();
  AnsiString chosen;
  if (accept && row >= 0)
    chosen = list_->Items()->Strings(row);
  else if (style_ == csDropDown)
    chosen = Text();
  if (popup_) popup_->Hide();
  dropped_ = false;
  if (accept && chosen != Text() && EditField()) {
    if (!chosen.empty())
      SetText(chosen);
    else if (style_ == csDropDownList || mapList_)
      SetText("");
    itemIndex_ = row;
    SetModified(true);
  }
  if (!IsTextChangeable() && HandleAllocated() && Focused()) HideCaret(Handle());
  Invalidate();
  if (IsTextChangeable()) SelectAll();
  if (OnCloseUp) OnCloseUp(this, accept);
}

void TwwDBComboBox::KeyDown(Word& key, TShiftState shift) {
  const bool alt = (shift & ssAlt) || AltDown();
  if (!dropped_ && wwIsEditKey(key) && autoDropDown_ && key != VK_BACK && key != VK_DELETE && !alt) {
    keyDrop_ = true;
    TScopeExit dropped{[this] { keyDrop_ = false; }};
    DropDown();
  }
  if (!dropped_ && !Grid() && !alt && (key == VK_DOWN || key == VK_UP)) {
    ChooseItem(itemIndex_ + (key == VK_DOWN ? 1 : -1), true);
    key = 0;
    return;
  }
  if (!dropped_ && !showMatchText_ && style_ == csDropDownList && wwIsEditKey(key) && key != VK_BACK &&
      key != VK_DELETE && !alt && items_->Count() > 0) {
    // The key's character: the numeric pad's digits and signs as typed.
    char c = static_cast<char>(key);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) c = static_cast<char>('0' + (key - VK_NUMPAD0));
    else if (key >= VK_NUMPAD0 + 10 && key <= VK_NUMPAD0 + 15) c = "*+,-,/"[key - VK_NUMPAD0 - 10];
    const int found = FindItem(AnsiString(1, c), (itemIndex_ + 1) % items_->Count());
    if (found >= 0) ChooseItem(found, true);
  }
  if (dropped_ && firstKeyAfterDrop_ && (style_ != csDropDown || autoDropDown_) && wwIsEditKey(key)) {
    firstKeyAfterDrop_ = false;
    if (EditField()) SetText("");
  }
  TwwDBCustomCombo::KeyDown(key, shift);
}

void TwwDBComboBox::KeyUp(Word& key, TShiftState shift) {
  TwwDBCustomCombo::KeyUp(key, shift);
  if (!allowClearKey_ || (key != VK_DELETE && key != VK_BACK)) return;
  if (dropped_) {
    if (Text().empty()) {
      itemIndex_ = -1;
      if (list_) list_->SetItemIndex(-1);
    }
  } else if (style_ == csDropDownList && !showMatchText_ && EditField()) {
    SetText("");
    SelectValue(-1);
    SetModified(true);
  }
}

void TwwDBComboBox::KeyPress(char& key) {
  const unsigned char k = static_cast<unsigned char>(key);
  const AnsiString typed = WithKey(this, key);
  if (showMatchText_ && k >= 32 && k <= 254 && typed != Text() &&
      SelStart() >= static_cast<int>(typed.size()) - 1) {
    const int found = FindItem(typed, std::max(0, itemIndex_));
    if (found >= 0) {
      if (ChooseItem(found, false)) {
        SetSelStart(static_cast<int>(typed.size()));
        SetSelLength(static_cast<int>(Text().size() - typed.size()));
      }
      key = 0;
      return;
    }
    if (style_ == csDropDownList || dropped_) {
      key = 0;
      return;
    }
  }
  // A mapped text is no date to complete.
  {
    const bool autoFill = AutoFillDate();
    if (mapList_) SetAutoFillDate(false);
    TScopeExit restore{[this, autoFill] { SetAutoFillDate(autoFill); }};
    TwwDBCustomCombo::KeyPress(key);
  }
  if (key == 13) key = 0;
}

void TwwDBComboBox::Paint() {
  if (!OwnerDraw() || !OnDrawItem) {
    // The text drawn plainly: a mapped display text is a word, whatever
    // the alignment of the number field behind it.
    if (Grid())
      TwwDBCustomCombo::Paint();
    else
      TCustomEdit::Paint();
    return;
  }
  TCanvas* c = TCustomControl::Canvas();
  TRect r = ClientRect();
  if (ShowButton()) r.Right = panel_->Left();
  const bool highlight = Focused() && !dropped_;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(highlight ? clHighlight : Color());
  c->Font()->Assign(*Font());
  if (highlight) c->Font()->SetColor(clHighlightText);
  c->FillRect(r);
  if (itemIndex_ < 0 || itemIndex_ >= items_->Count()) return;
  paintCanvas_ = c;
  TScopeExit drawn{[this] { paintCanvas_ = nullptr; }};
  OnDrawItem(this, itemIndex_, r, odComboBoxEdit | (Focused() ? odFocused | odSelected : 0u));
}

void TwwDBComboBox::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR: {
      const Word key = static_cast<Word>(m.WParam);
      const bool down = m.Msg != WM_CHAR;
      if (dropped_ && m.Msg == WM_KEYDOWN && (key == VK_END || key == VK_HOME || key == VK_LEFT || key == VK_RIGHT))
        break;
      if (down && ComboKey(key, KeyDataToShiftState(static_cast<std::int32_t>(m.LParam)))) return;
      if (dropped_ && list_) {
        list_->Perform(down ? WM_KEYDOWN : WM_CHAR, m.WParam, m.LParam);
        if (down && (key == VK_UP || key == VK_DOWN)) return;
      }
      break;
    }
    case CN_KEYDOWN:
      if (dropped_) {
        const Word key = static_cast<Word>(m.WParam);
        if (key == VK_RETURN || key == VK_ESCAPE) {
          m.Result = 0;  // to the combo, not to the dialog
          return;
        }
        if (key == VK_TAB) CloseUp(true);
      }
      break;
    case CM_CANCELMODE: {
      auto* sender = reinterpret_cast<TControl*>(m.LParam);
      if (sender != this && sender != list_.get() && sender != button_) CloseUp(true);
      break;
    }
    case WM_KILLFOCUS:
      TwwDBCustomCombo::Dispatch(m);
      CloseUp(true);
      return;
    default: break;
  }
  TwwDBCustomCombo::Dispatch(m);
}

void TwwDBComboBox::PublishProperties(TClassInfo& ci) {
  using C = TwwDBComboBox;
  wwPublishDBEditProperties<C>(ci);
  PublishBool<C>(ci, "MapList", &C::MapList, &C::SetMapList);
  PublishObject<C, TStrings>(ci, "Items", &C::Items, &C::SetItems);
  PublishBool<C>(ci, "Sorted", &C::Sorted, &C::SetSorted);
  PublishInteger<C>(ci, "DropDownCount", &C::DropDownCount, &C::SetDropDownCount);
  PublishInteger<C>(ci, "DropDownWidth", &C::DropDownWidth, &C::SetDropDownWidth);
  PublishInteger<C>(ci, "ItemHeight", &C::ItemHeight, &C::SetItemHeight);
  PublishInteger<C>(ci, "Style", &C::Style, &C::SetStyle);
  PublishInteger<C>(ci, "ButtonStyle", &C::ButtonStyle, &C::SetButtonStyle);
  PublishBool<C>(ci, "ShowButton", &C::ShowButton, &C::SetShowButton);
  PublishBool<C>(ci, "AllowClearKey", &C::AllowClearKey, &C::SetAllowClearKey);
  PublishBool<C>(ci, "AutoDropDown", &C::AutoDropDown, &C::SetAutoDropDown);
  PublishBool<C>(ci, "ShowMatchText", &C::ShowMatchText, &C::SetShowMatchText);
  wwPublishEditProperties<C>(ci);
  PublishEvent<C, TNotifyEvent>(ci, "OnDropDown", &C::OnDropDown);
  PublishEvent<C, TwwComboCloseUpEvent>(ci, "OnCloseUp", &C::OnCloseUp);
  PublishEvent<C, TDrawItemEvent>(ci, "OnDrawItem", &C::OnDrawItem);
  PublishEvent<C, TMeasureItemEvent>(ci, "OnMeasureItem", &C::OnMeasureItem);
}
