// List box and combo box: rows (standard or owner-drawn), selection by keys,
// mouse and typed prefix, the LB_ messages, and the combo box's drop-down
// list in a popup window that leaves the focus with the combo box.
#include <algorithm>

#include "platform/ui/ctlutil.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/timers.h"

namespace {
constexpr int kTypeAheadMs = 1000;

bool StartsWithNoCase(const AnsiString& s, const AnsiString& prefix) {
  if (prefix.size() > s.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (AnsiUpper(static_cast<unsigned char>(s[i])) != AnsiUpper(static_cast<unsigned char>(prefix[i]))) return false;
  return true;
}
bool EqualsNoCase(const AnsiString& a, const AnsiString& b) { return a.size() == b.size() && StartsWithNoCase(a, b); }
}  // namespace

// ------------------------------------------------------------ TCustomListBox

TCustomListBox::TCustomListBox(TComponent* owner) : TCustomControl(owner), items_(std::make_unique<TStringList>()) {
  // OnClick reports a changed selection only, not every press.
  controlStyle_ = csCaptureMouse | csSetCaption | csDoubleClicks;
  tabStop_ = true;
  color_ = clWindow;
  width_ = 121;
  height_ = 97;
  items_->OnChange = [this](TObject*) { ItemsChanged(); };
}

TCustomListBox::~TCustomListBox() { items_->OnChange = nullptr; }

void TCustomListBox::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  if (borderStyle_ == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
  p.Style |= WS_VSCROLL;
}

void TCustomListBox::ItemsChanged() {
  heights_.clear();
  int n = items_->Count();
  if (itemIndex_ >= n) itemIndex_ = -1;
  topIndex_ = std::clamp(topIndex_, 0, std::max(0, n - 1));
  UpdateScrollBar();
  Invalidate();
}

int TCustomListBox::ItemHeight() const {
  if (style_ != lbStandard && itemHeight_ > 0) return itemHeight_;
  return ctlutil::TextHeight(*Font());
}

void TCustomListBox::SetItemHeight(int h) {
  if (h <= 0 || h == itemHeight_) return;
  itemHeight_ = h;
  heights_.clear();
  UpdateScrollBar();
  Invalidate();
}

void TCustomListBox::SetStyle(TListBoxStyle s) {
  if (s == style_) return;
  style_ = s;
  heights_.clear();
  UpdateScrollBar();
  Invalidate();
}

bool TCustomListBox::Sorted() const { return items_->Sorted(); }
void TCustomListBox::SetSorted(bool v) { items_->SetSorted(v); }

void TCustomListBox::SetBorderStyle(TBorderStyle b) {
  if (b == borderStyle_) return;
  borderStyle_ = b;
  if (HandleAllocated()) RecreateWnd();
  Invalidate();
}

void TCustomListBox::MeasureItem(int index, int& height) {
  if (OnMeasureItem) OnMeasureItem(this, index, height);
}

int TCustomListBox::RowHeight(int index) const {
  if (style_ != lbOwnerDrawVariable) return ItemHeight();
  if (heights_.size() != static_cast<std::size_t>(items_->Count())) {
    heights_.assign(static_cast<std::size_t>(items_->Count()), -1);
  }
  int& h = heights_[static_cast<std::size_t>(index)];
  if (h < 0) {
    int v = ItemHeight();
    const_cast<TCustomListBox*>(this)->MeasureItem(index, v);
    h = std::max(1, v);
  }
  return h;
}

TRect TCustomListBox::ItemRect(int index) const {
  int y = 0;
  if (index >= topIndex_) {
    for (int i = topIndex_; i < index; ++i) y += RowHeight(i);
  } else {
    for (int i = index; i < topIndex_; ++i) y -= RowHeight(i);
  }
  int h = index >= 0 && index < items_->Count() ? RowHeight(index) : ItemHeight();
  return {0, y, ClientWidth(), y + h};
}

int TCustomListBox::VisibleCount() const {
  int h = ClientHeight(), y = 0, n = 0;
  for (int i = topIndex_; i < items_->Count(); ++i) {
    y += RowHeight(i);
    if (y > h) break;
    ++n;
  }
  if (topIndex_ + n >= items_->Count()) n = std::max(n, std::max(1, h / std::max(1, ItemHeight())));
  return std::max(1, n);
}

int TCustomListBox::ItemAtPos(TPoint p, bool existing) const {
  if (p.Y < 0) return existing ? -1 : topIndex_ - 1;
  int y = 0;
  int i = topIndex_;
  for (; i < items_->Count(); ++i) {
    int h = RowHeight(i);
    if (p.Y < y + h) return (existing && !PtInRect(ClientRect(), p)) ? -1 : i;
    y += h;
  }
  return existing ? -1 : i + (p.Y - y) / std::max(1, ItemHeight());
}

void TCustomListBox::UpdateScrollBar() {
  if (!HandleAllocated()) return;
  TScrollInfo si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = std::max(0, items_->Count() - 1);
  si.nPage = static_cast<unsigned>(std::max(1, ClientHeight() / std::max(1, ItemHeight())));
  si.nPos = topIndex_;
  SetScrollInfo(SB_VERT, si, true);
}

void TCustomListBox::SetTopIndex(int i) {
  int n = items_->Count();
  int vis = std::max(1, ClientHeight() / std::max(1, ItemHeight()));
  i = std::clamp(i, 0, std::max(0, n - (style_ == lbOwnerDrawVariable ? 1 : vis)));
  if (i == topIndex_) return;
  topIndex_ = i;
  UpdateScrollBar();
  Invalidate();
}

void TCustomListBox::SetItemIndex(int i) {
  if (i < -1 || i >= items_->Count()) i = -1;
  if (i == itemIndex_) return;
  itemIndex_ = i;
  if (i >= 0) {
    if (i < topIndex_) SetTopIndex(i);
    else {
      while (i >= topIndex_ + VisibleCount() && topIndex_ < i) {
        int before = topIndex_;
        SetTopIndex(topIndex_ + 1);
        if (topIndex_ == before) break;
      }
    }
  }
  Invalidate();
}

void TCustomListBox::UserSelect(int index) {
  if (items_->Count() == 0) return;
  index = std::clamp(index, 0, items_->Count() - 1);
  if (index == itemIndex_) return;
  SetItemIndex(index);
  Click();
}

int TCustomListBox::FindPrefix(const AnsiString& prefix, int start) const {
  int n = items_->Count();
  if (n == 0) return -1;
  if (start < -1 || start >= n) start = -1;
  for (int k = 1; k <= n; ++k) {
    int i = (start + k) % n;
    if (StartsWithNoCase(items_->Strings(i), prefix)) return i;
  }
  return -1;
}

void TCustomListBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
  TCanvas* c = Canvas();
  if (style_ != lbStandard && OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  c->FillRect(rect);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(rect.Left + 2, rect.Top, items_->Strings(index));
}

void TCustomListBox::Paint() {
  TCanvas* c = Canvas();
  TRect cr = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(cr);
  int y = 0;
  for (int i = topIndex_; i < items_->Count() && y < cr.Bottom; ++i) {
    int h = RowHeight(i);
    TRect r{0, y, cr.Right, y + h};
    TOwnerDrawState st = 0;
    bool sel = i == itemIndex_;
    if (sel) st |= odSelected;
    if (sel && Focused()) st |= odFocused;
    if (!Enabled()) st |= odDisabled;
    c->Font()->Assign(*Font());
    c->Brush()->SetStyle(bsSolid);
    if (sel) {
      c->Brush()->SetColor(clHighlight);
      c->Font()->SetColor(clHighlightText);
    } else {
      c->Brush()->SetColor(Color());
      if (!Enabled()) c->Font()->SetColor(clGrayText);
    }
    DrawItem(i, r, st);
    if (st & odFocused) c->DrawFocusRect(r);
    y += h;
  }
}

void TCustomListBox::Dispatch(TMessage& m) {
  auto str = [&]() { return AnsiString(m.LParam ? reinterpret_cast<const char*>(m.LParam) : ""); };
  int n = items_->Count();
  switch (m.Msg) {
    case LB_ADDSTRING: m.Result = items_->Add(str()); return;
    case LB_INSERTSTRING: {
      int i = static_cast<int>(m.WParam);
      if (i < 0 || i > n) i = n;
      items_->Insert(i, str());
      m.Result = i;
      return;
    }
    case LB_DELETESTRING:
      if (m.WParam < 0 || m.WParam >= n) {
        m.Result = LB_ERR;
        return;
      }
      items_->Delete(static_cast<int>(m.WParam));
      m.Result = items_->Count();
      return;
    case LB_RESETCONTENT: items_->Clear(); return;
    case LB_SETCURSEL:
      SetItemIndex(static_cast<int>(m.WParam));
      m.Result = m.WParam < 0 || m.WParam >= n ? LB_ERR : m.WParam;
      return;
    case LB_GETCURSEL: m.Result = itemIndex_; return;
    case LB_GETCOUNT: m.Result = n; return;
    case LB_GETTOPINDEX: m.Result = topIndex_; return;
    case LB_SETTOPINDEX: SetTopIndex(static_cast<int>(m.WParam)); return;
    case LB_GETITEMHEIGHT: m.Result = ItemHeight(); return;
    case LB_GETTEXTLEN:
      m.Result = m.WParam >= 0 && m.WParam < n ? static_cast<LRESULT>(items_->Strings(static_cast<int>(m.WParam)).size()) : LB_ERR;
      return;
    case LB_GETTEXT: {
      if (m.WParam < 0 || m.WParam >= n) {
        m.Result = LB_ERR;
        return;
      }
      AnsiString s = items_->Strings(static_cast<int>(m.WParam));
      if (m.LParam) std::copy_n(s.c_str(), s.size() + 1, reinterpret_cast<char*>(m.LParam));
      m.Result = static_cast<LRESULT>(s.size());
      return;
    }
    case LB_FINDSTRING:
    case LB_SELECTSTRING: {
      int i = FindPrefix(str(), static_cast<int>(m.WParam));
      if (i >= 0 && m.Msg == LB_SELECTSTRING) SetItemIndex(i);
      m.Result = i;
      return;
    }
    case LB_FINDSTRINGEXACT: {
      AnsiString s = str();
      int start = static_cast<int>(m.WParam);
      m.Result = LB_ERR;
      for (int k = 1; k <= n; ++k) {
        int i = ((start < -1 || start >= n ? -1 : start) + k) % n;
        if (EqualsNoCase(items_->Strings(i), s)) {
          m.Result = i;
          break;
        }
      }
      return;
    }
    case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
    case WM_VSCROLL: {
      int vis = std::max(1, ClientHeight() / std::max(1, ItemHeight()));
      switch (LoWord(m.WParam)) {
        case SB_LINEUP: SetTopIndex(topIndex_ - 1); break;
        case SB_LINEDOWN: SetTopIndex(topIndex_ + 1); break;
        case SB_PAGEUP: SetTopIndex(topIndex_ - vis); break;
        case SB_PAGEDOWN: SetTopIndex(topIndex_ + vis); break;
        case SB_THUMBTRACK: case SB_THUMBPOSITION: SetTopIndex(HiWord(m.WParam)); break;
        case SB_TOP: SetTopIndex(0); break;
        case SB_BOTTOM: SetTopIndex(n); break;
        default: break;
      }
      return;
    }
    case WM_MOUSEWHEEL:
      SetTopIndex(topIndex_ + (HiWord(m.WParam) > 0 ? -3 : 3));
      m.Result = 1;
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_ENABLEDCHANGED:
      Invalidate();
      break;
    case CM_FONTCHANGED:
      heights_.clear();
      UpdateScrollBar();
      Invalidate();
      break;
    case WM_SIZE:
      UpdateScrollBar();
      break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

void TCustomListBox::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  int n = items_->Count();
  if (n == 0) return;
  int vis = VisibleCount();
  int cur = itemIndex_;
  switch (key) {
    case VK_UP: UserSelect(cur < 0 ? 0 : cur - 1); break;
    case VK_DOWN: UserSelect(cur + 1); break;
    case VK_PRIOR: UserSelect(cur < 0 ? 0 : cur - std::max(1, vis - 1)); break;
    case VK_NEXT: UserSelect(cur + std::max(1, vis - 1)); break;
    case VK_HOME: UserSelect(0); break;
    case VK_END: UserSelect(n - 1); break;
    default: break;
  }
}

void TCustomListBox::KeyPress(char& key) {
  TCustomControl::KeyPress(key);
  if (static_cast<unsigned char>(key) < 32) return;
  // Type-ahead: characters typed in quick succession form a prefix; a
  // repeated single letter steps through the items that begin with it.
  unsigned now = static_cast<unsigned>(Timers().Now());
  if (now - typedAt_ > kTypeAheadMs) typed_.clear();
  typedAt_ = now;
  typed_ += key;
  bool repeat = typed_.size() > 1 && typed_.find_first_not_of(typed_[0]) == AnsiString::npos;
  int i = repeat ? FindPrefix(typed_.substr(0, 1), itemIndex_)
                 : FindPrefix(typed_, typed_.size() == 1 ? itemIndex_ : itemIndex_ - 1);
  if (i >= 0) UserSelect(i);
}

void TCustomListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    tracking_ = true;
    int i = ItemAtPos({x, y}, true);
    if (i >= 0) UserSelect(i);
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomListBox::MouseMove(TShiftState shift, int x, int y) {
  if (tracking_ || hotTrack_) {
    int i = ItemAtPos({x, y}, false);
    if (i >= 0 && i < items_->Count()) {
      if (i < topIndex_ || i >= topIndex_ + VisibleCount()) {
        if (tracking_) UserSelect(i);
      } else if (hotTrack_) {
        SetItemIndex(i);
      } else {
        UserSelect(i);
      }
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomListBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) tracking_ = false;
  TCustomControl::MouseUp(button, shift, x, y);
}

// ------------------------------------------------------------ combo box

// The list of a combo box; inside its drop-down window it holds the mouse
// capture, so a press anywhere else closes the list.
class TComboListBox : public TCustomListBox {
  ORV_CLASS(TComboListBox, TCustomListBox)

 public:
  explicit TComboListBox(TCustomComboBox* combo) : TCustomListBox(nullptr), combo_(combo) {
    hotTrack_ = true;
    tabStop_ = false;
    SetBorderStyle(bsNone);
  }
  // The simple style's list lives in the box and leaves it the focus.
  bool CanFocus() const override { return false; }
  void Click() override {
    if (combo_->style_ != csSimple) return;
    if (combo_->CanFocus() && !combo_->Focused()) combo_->SetFocus();
    combo_->SelectFromList(ItemIndex(), true);
  }
  void SetSimple(bool on) {
    hotTrack_ = !on;
    SetBorderStyle(on ? bsSingle : bsNone);
  }
  void Dispatch(TMessage& m) override {
    if (combo_->dropped_ && m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MBUTTONDBLCLK && m.Msg != WM_MOUSEWHEEL) {
      TPoint p{LoWord(m.LParam), HiWord(m.LParam)};
      bool inside = PtInRect(ClientRect(), p);
      bool inBar = !inside && InNonClient(p);
      switch (m.Msg) {
        case WM_MOUSEMOVE:
          if (inside) {
            int i = ItemAtPos(p, true);
            if (i >= 0) SetItemIndex(i);
          }
          return;
        case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
          if (inBar) {
            NonClientMouse(m);
            return;
          }
          if (!inside) {
            // A press on the combo box's own button only closes the list.
            TPoint cp = combo_->ScreenToClient(ClientToScreen(p));
            combo_->ignoreNextDown_ = PtInRect(combo_->ClientRect(), cp);
            combo_->SetDroppedDown(false);
          }
          return;
        case WM_LBUTTONUP:
          if (inBar) {
            NonClientMouse(m);
            return;
          }
          if (inside) {
            int i = ItemAtPos(p, true);
            if (i >= 0) combo_->SelectFromList(i, true);
            combo_->SetDroppedDown(false);
          }
          return;
        default: return;
      }
    }
    TCustomListBox::Dispatch(m);
  }

 protected:
  void DrawItem(int index, TRect rect, TOwnerDrawState state) override {
    if ((combo_->style_ == csOwnerDrawFixed || combo_->style_ == csOwnerDrawVariable) && combo_->OnDrawItem) {
      combo_->drawCanvas_ = Canvas();
      TScopeExit drawn{[this] { combo_->drawCanvas_ = nullptr; }};
      combo_->OnDrawItem(combo_, index, rect, state);
      return;
    }
    TCustomListBox::DrawItem(index, rect, state);
  }
  void MeasureItem(int index, int& height) override {
    if (combo_->OnMeasureItem) combo_->OnMeasureItem(combo_, index, height);
  }

 private:
  TCustomComboBox* combo_;
};

// The drop-down window; freed before its combo box (as at shut-down) it
// hands the list back and tells the box that it is gone.
class TComboDropWindow : public TPopupWindow {
 public:
  TComboDropWindow(TCustomComboBox* combo, TCustomListBox* list) : TPopupWindow(nullptr), combo_(combo), list_(list) {}
  ~TComboDropWindow() override {
    if (combo_) {
      if (GetCaptureControl() == list_) ReleaseCapture();
      list_->SetParent(nullptr);
      combo_->WindowGone();
    }
  }
  void Forget() { combo_ = nullptr; }

 private:
  TCustomComboBox* combo_;
  TCustomListBox* list_;
};

void TCustomComboBox::WindowGone() {
  dropWindow_ = nullptr;
  dropped_ = false;
}

TCustomComboBox::TCustomComboBox(TComponent* owner) : TCustomEdit(owner) {
  list_ = std::make_unique<TComboListBox>(this);
  list_->Items()->OnChange = [this](TObject*) {
    list_->ItemsChanged();
    if (itemIndex_ >= list_->Items()->Count()) itemIndex_ = -1;
  };
  width_ = 145;
  height_ = 21;
  color_ = clWindow;
  SetAutoSelect(true);
}

TCustomComboBox::~TCustomComboBox() {
  if (dropWindow_) {
    if (GetCaptureControl() == list_.get()) ReleaseCapture();
    list_->SetParent(nullptr);
    static_cast<TComboDropWindow*>(dropWindow_)->Forget();
    delete dropWindow_;
    dropWindow_ = nullptr;
  }
  list_.reset();
}

TStrings* TCustomComboBox::Items() const { return list_->Items(); }
bool TCustomComboBox::Sorted() const { return list_->Sorted(); }
void TCustomComboBox::SetSorted(bool v) { list_->SetSorted(v); }
TCustomListBox* TCustomComboBox::DropList() const { return list_.get(); }
TCustomForm* TCustomComboBox::DropWindow() const { return dropWindow_; }
bool TCustomComboBox::DroppedDown() const { return dropped_; }

int TCustomComboBox::ItemHeight() const {
  if ((style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable) && itemHeight_ > 0) return itemHeight_;
  return ctlutil::TextHeight(*Font());
}

void TCustomComboBox::SetItemHeight(int h) {
  itemHeight_ = h;
  list_->SetItemHeight(h);
}

int TCustomComboBox::SimpleEditHeight() const { return ctlutil::TextHeight(*Font()) + 8; }

void TCustomComboBox::LayoutSimple() {
  int eh = SimpleEditHeight();
  TRect fr{4, 3, std::max(4, ClientWidth() - 4), eh - 2};
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&fr));
  // The list shows whole rows only, and the box ends where the list does,
  // as a list box of integral height would: shorter by less than a row.
  const int avail = std::max(0, ClientHeight() - eh);
  list_->SetBounds(0, eh, ClientWidth(), avail);
  const int frame = list_->Height() - list_->ClientHeight();
  const int ih = std::max(1, list_->ItemHeight());
  const int listH = frame + std::max(1, (avail - frame) / ih) * ih;
  if (listH == avail) return;
  list_->SetBounds(0, eh, ClientWidth(), listH);
  SetBounds(left_, top_, width_, height_ + listH - avail);
}

void TCustomComboBox::CreateParams(TCreateParams& p) {
  TCustomEdit::CreateParams(p);
  // The simple style frames its edit and its list separately.
  if (style_ == csSimple) p.ExStyle &= ~WS_EX_CLIENTEDGE;
}

void TCustomComboBox::SetStyle(TComboBoxStyle s) {
  if (s == style_) return;
  bool wasSimple = style_ == csSimple;
  style_ = s;
  if (wasSimple != (s == csSimple)) {
    CloseUp();
    list_->SetSimple(s == csSimple);
    list_->SetParent(s == csSimple ? this : nullptr);
    if (HandleAllocated()) RecreateWnd();
    if (s == csSimple) {
      LayoutSimple();
      list_->SetItemIndex(itemIndex_);
    }
  }
  list_->SetStyle(s == csOwnerDrawFixed ? lbOwnerDrawFixed : s == csOwnerDrawVariable ? lbOwnerDrawVariable : lbStandard);
  cursor_ = Editable() ? crIBeam : crDefault;
  if (!Editable() && itemIndex_ < 0) {
    inChange_ = true;
    SetText("");
    inChange_ = false;
  }
  Resize();
  Invalidate();
}

TRect TCustomComboBox::ButtonRect() const {
  TRect c = ClientRect();
  int w = GetSystemMetrics(SM_CXVSCROLL);
  return {c.Right - w, c.Top, c.Right, c.Bottom};
}

void TCustomComboBox::SetItemIndex(int i) {
  if (i < -1 || i >= Items()->Count()) i = -1;
  itemIndex_ = i;
  list_->SetItemIndex(i);
  {
    inChange_ = true;
    TScopeExit changed{[this] { inChange_ = false; }};
    SetText(i >= 0 ? Items()->Strings(i) : AnsiString());
  }
  if (Editable() && Focused()) SelectAll();
  Invalidate();
}

void TCustomComboBox::SelectFromList(int index, bool notify) {
  if (index < 0 || index >= Items()->Count()) return;
  bool changed = index != itemIndex_ || Text() != Items()->Strings(index);
  SetItemIndex(index);
  if (notify && changed) {
    if (OnChange) OnChange(this);
    Click();
  }
}

void TCustomComboBox::Change() {
  if (inChange_) return;
  if (Editable()) {
    // Typed text: the item it names exactly, and in an open list the first
    // item it begins.
    AnsiString t = Text();
    itemIndex_ = -1;
    for (int i = 0; i < Items()->Count(); ++i)
      if (EqualsNoCase(Items()->Strings(i), t)) {
        itemIndex_ = i;
        break;
      }
    if (dropped_ || style_ == csSimple) {
      int p = t.empty() ? -1 : list_->FindPrefix(t, -1);
      list_->SetItemIndex(p);
    } else {
      list_->SetItemIndex(itemIndex_);
    }
  }
  TCustomEdit::Change();
}

void TCustomComboBox::SetDroppedDown(bool v) {
  if (v == dropped_) return;
  if (v)
    DropDown();
  else
    CloseUp();
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
  if (!dropWindow_) dropWindow_ = new TComboDropWindow(this, list_.get());
  list_->SetFont(*Font());
  list_->SetParent(dropWindow_);
  int n = std::max(1, std::min(Items()->Count(), std::max(1, dropDownCount_)));
  int h = 0;
  for (int i = 0; i < n && i < Items()->Count(); ++i) h += list_->RowHeight(i);
  if (Items()->Count() == 0) h = ItemHeight();
  TPoint o = ClientToScreen({-BorderWidth(), Height() - BorderWidth()});
  int sh = Screen ? Screen->Height() : 768;
  TRect r = Bounds(o.X, o.Y, Width(), h + 2);
  if (r.Bottom > sh) OffsetRect(r, 0, -(Height() + r.Height()));
  dropped_ = true;
  listCancelled_ = false;
  list_->SetItemIndex(itemIndex_);
  dropWindow_->SetColor(clWindowFrame);
  dropWindow_->Popup(r);
  // One-pixel frame around the list.
  list_->SetBounds(1, 1, r.Width() - 2, r.Height() - 2);
  list_->UpdateScrollBar();
  if (itemIndex_ >= 0) list_->SetTopIndex(std::min(itemIndex_, std::max(0, Items()->Count() - n)));
  SetCaptureControl(list_.get());
  Invalidate();
}

void TCustomComboBox::CloseUp() {
  if (!dropped_) return;
  dropped_ = false;
  if (GetCaptureControl() == list_.get()) ReleaseCapture();
  if (dropWindow_) dropWindow_->Hide();
  Invalidate();
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::DoExit() {
  CloseUp();
  TCustomEdit::DoExit();
}

void TCustomComboBox::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      TCustomEdit::Dispatch(m);
      if (dropped_) m.Result |= DLGC_WANTALLKEYS;
      return;
    case WM_SIZE:
      TCustomEdit::Dispatch(m);
      if (style_ != csSimple) {
        TRect fr = FormatRect();
        fr.Right = std::max(fr.Left, ButtonRect().Left - 1);
        Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&fr));
      } else {
        LayoutSimple();
      }
      return;
    case CM_CANCELMODE:
      CloseUp();
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (!Editable()) {  // no caret in a pick-only box
        TCustomControl::Dispatch(m);
        Invalidate();
        return;
      }
      break;
    default: break;
  }
  TCustomEdit::Dispatch(m);
}

void TCustomComboBox::KeyDown(Word& key, TShiftState shift) {
  bool alt = shift & ssAlt;
  if (key == VK_F4 || (alt && (key == VK_DOWN || key == VK_UP))) {
    TCustomControl::KeyDown(key, shift);
    if (key == 0) return;
    if (style_ != csSimple) SetDroppedDown(!dropped_);
    key = 0;
    return;
  }
  if (dropped_ && (key == VK_RETURN || key == VK_ESCAPE)) {
    if (key == VK_RETURN && list_->ItemIndex() >= 0) SelectFromList(list_->ItemIndex(), true);
    listCancelled_ = key == VK_ESCAPE;
    CloseUp();
    key = 0;
    return;
  }
  int n = Items()->Count();
  int cur = (dropped_ || style_ == csSimple) ? list_->ItemIndex() : itemIndex_;
  int target = -2;
  switch (key) {
    case VK_UP: target = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN: target = cur + 1; break;
    case VK_PRIOR: target = cur - std::max(1, dropDownCount_ - 1); break;
    case VK_NEXT: target = cur + std::max(1, dropDownCount_ - 1); break;
    case VK_HOME: if (!Editable()) target = 0; break;
    case VK_END: if (!Editable()) target = n - 1; break;
    default: break;
  }
  if (target != -2 && n > 0) {
    TCustomControl::KeyDown(key, shift);
    if (key == 0) return;
    SelectFromList(std::clamp(target, 0, n - 1), true);
    key = 0;
    return;
  }
  if (!Editable()) {
    TCustomControl::KeyDown(key, shift);
    return;
  }
  TCustomEdit::KeyDown(key, shift);
}

void TCustomComboBox::KeyPress(char& key) {
  if (Editable()) {
    if (key == 13 || key == 27) {
      TCustomControl::KeyPress(key);
      return;
    }
    TCustomEdit::KeyPress(key);
    return;
  }
  TCustomControl::KeyPress(key);
  if (static_cast<unsigned char>(key) < 32) return;
  unsigned now = static_cast<unsigned>(Timers().Now());
  if (now - typedAt_ > kTypeAheadMs) typed_.clear();
  typedAt_ = now;
  typed_ += key;
  int cur = (dropped_ || style_ == csSimple) ? list_->ItemIndex() : itemIndex_;
  int i = list_->FindPrefix(typed_, typed_.size() == 1 ? cur : cur - 1);
  if (i >= 0) SelectFromList(i, true);
}

void TCustomComboBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (ignoreNextDown_) {
      ignoreNextDown_ = false;
      if (CanFocus() && !Focused()) SetFocus();
      TCustomControl::MouseDown(button, shift, x, y);
      return;
    }
    if (!Editable() || PtInRect(ButtonRect(), {x, y})) {
      if (CanFocus() && !Focused()) SetFocus();
      if (style_ != csSimple) SetDroppedDown(!dropped_);
      TCustomControl::MouseDown(button, shift, x, y);
      return;
    }
  }
  TCustomEdit::MouseDown(button, shift, x, y);
}

void TCustomComboBox::Paint() {
  if (style_ == csSimple) {
    TCustomEdit::Paint();
    TCanvas* c = TCustomControl::Canvas();
    c->SelectClipRect(nullptr);
    TRect e{0, 0, ClientWidth(), SimpleEditHeight()};
    c->DrawEdge(e, EDGE_SUNKEN, BF_RECT);
    return;
  }
  if (Editable()) {
    TCustomEdit::Paint();
  } else {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    TRect ir{2, 2, ButtonRect().Left - 2, r.Bottom - 2};
    bool focus = Focused() && !dropped_;
    c->Font()->Assign(*Font());
    c->Brush()->SetColor(focus ? clHighlight : Color());
    if (focus) c->Font()->SetColor(clHighlightText);
    if (!Enabled()) c->Font()->SetColor(clGrayText);
    c->FillRect(ir);
    if (itemIndex_ >= 0) {
      if ((style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable) && OnDrawItem) {
        OnDrawItem(this, itemIndex_, ir, odComboBoxEdit | (focus ? odSelected | odFocused : 0u));
      } else {
        c->Brush()->SetStyle(bsClear);
        TRect tr = ir;
        tr.Left += 1;
        c->DrawText(Items()->Strings(itemIndex_), tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
      }
    }
    if (focus) c->DrawFocusRect(ir);
  }
  if (style_ != csSimple) {
    TCanvas* c = TCustomControl::Canvas();
    c->SelectClipRect(nullptr);
    c->DrawFrameControl(ButtonRect(), DFC_SCROLL,
                        DFCS_SCROLLCOMBOBOX | (dropped_ ? static_cast<unsigned>(DFCS_PUSHED | DFCS_FLAT) : 0u) |
                            (Enabled() ? 0u : static_cast<unsigned>(DFCS_INACTIVE)));
  }
}
