// The tool bar: its panel (bevels, moving and sizing), the icon table and
// its buttons, the combo boxes, the arrangement of the children in rows,
// and carrying a click or a choice out on the linked rich-text control.
#include "richtext/bars/toolbar.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/forms.h"
#include "platform/ui/keyboard.h"
#include "richtext/bars/icons.h"
#include "richtext/controls/richtext.h"

namespace {

// Hit-test answers of the panel's free area.
constexpr int kHitClient = HTCLIENT, kHitCaption = 2, kHitRight = 11, kHitBottom = 15, kHitBottomRight = 17;

struct IconDef {
  const char* Name;
  int Set;  // 1 status, 2 action, 3 database, 4 edit
  int Index;
  int Group;
  int Number;
};

// The order in which the icons are built.
const IconDef kIconDefs[] = {
    {"WPI_NORMAL", 1, SelNormal, 256, 1},           {"WPI_BOLD", 1, SelBold, 256, 2},
    {"WPI_ITALIC", 1, SelItalic, 256, 3},           {"WPI_UNDER", 1, SelUnder, 256, 4},
    {"WPI_SUPER", 1, SelSuper, 256, 7},             {"WPI_SUB", 1, SelSub, 256, 8},
    {"WPI_STRIKEOUT", 1, SelStrikeOut, 256, 6},     {"WPI_HYPERLINK", 1, SelHyperLink, 256, 5},
    {"WPI_HIDDEN", 1, SelHidden, 256, 9},           {"WPI_RTFCODE", 1, SelRTFCode, 256, 19},
    {"WPI_LEFT", 1, SelLeft, 512, 1},               {"WPI_CENTER", 1, SelCenter, 512, 4},
    {"WPI_JUSTIFIED", 1, SelBlock, 512, 3},         {"WPI_RIGHT", 1, SelRight, 512, 2},
    {"WPI_New", 2, SelNew, 1024, 2},                {"WPI_OPEN", 2, SelOpen, 1024, 3},
    {"WPI_SAVE", 2, SelSave, 1024, 4},              {"WPI_CLOSE", 2, SelClose, 1024, 5},
    {"WPI_EXIT", 2, SelExit, 1024, 1},              {"WPI_PRINT", 2, SelPrint, 1280, 1},
    {"WPI_PRINTSETUP", 2, SelPrintSetup, 1280, 2},  {"WPI_TOSTART", 3, SelToStart, 1536, 7},
    {"WPI_PREV", 3, SelPrev, 1536, 2},              {"WPI_NEXT", 3, SelNext, 1536, 1},
    {"WPI_TOEND", 3, SelToEnd, 1536, 8},            {"WPI_ADD", 3, SelAdd, 1536, 3},
    {"WPI_DEL", 3, SelDel, 1536, 4},                {"WPI_EDIT", 3, SelEdit, 1536, 5},
    {"WPI_CANCEL", 3, SelCancel, 1536, 6},          {"WPI_POST", 3, SelPost, 1536, 9},
    {"WPI_SelAll", 4, SelSelAll, 768, 4},           {"WPI_HideSel", 4, SelHideSel, 768, 5},
    {"WPI_CUT", 4, SelCut, 768, 2},                 {"WPI_COPY", 4, SelCopy, 768, 1},
    {"WPI_PASTE", 4, SelPaste, 768, 3},             {"WPI_FIND", 4, SelFind, 768, 6},
    {"WPI_REPLACE", 4, SelReplace, 768, 7},         {"WPI_SPELL", 4, SelSpellCheck, 768, 8},
};

constexpr int kMaxIcons = 49;

const char* const kDefaultHints[] = {
    "Normal", "Bold",  "Italic",  "Under", "Hyperlink", "StrikeOut", "Sub",    "Super",  "Hidden", "RTFCode",
    "Left",   "Right", "Justified", "Center", "Copy",   "Cut",       "Paste",  "SelAll", "HideSel", "Find",
    "Replace", "Spell", "Exit",   "New",   "Open",      "Save",      "Close",  "Print",  "PrintSetup", "Next",
    "Prev",   "Add",   "Del",     "Edit",  "Cancel",    "ToStart",   "ToEnd",  "Post"};

// The character style a character icon stands for (0: none).
uint32_t StyleOfIcon(int number) {
  switch (number) {
    case 2: return wpsBold;
    case 3: return wpsItalic;
    case 4: return wpsUnderline;
    case 5: return wpsHyperlink;
    case 6: return wpsStrikeOut;
    case 7: return wpsSuperScript;
    case 8: return wpsSubScript;
    case 9: return wpsHidden;
    case 19: return wpsRtfCode;
    default: return 0;
  }
}

// Icons that stay down: each character icon on its own, the paragraph
// icons as one group, select all on its own.
int ButtonGroupIndex(int group, int number) {
  if (group == 256) return 100 + number;
  if (group == 512) return 512;
  if (group == 768 && number == 4) return 768;
  return 0;
}

bool SameNoCase(const AnsiString& a, const AnsiString& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// A whole decimal number, else False.
bool ParseNumber(const AnsiString& s, int& value) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i == s.size()) return false;
  long v = 0;
  for (; i < s.size() && s[i] != ' '; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i])) || v > 100000) return false;
    v = v * 10 + (s[i] - '0');
  }
  while (i < s.size() && s[i] == ' ') ++i;
  if (i != s.size()) return false;
  value = static_cast<int>(v);
  return true;
}

// The style box lists the alignments in the set-mode's numbering (item
// index + 1).
const std::string kStyleItems[] = {CP1252("Linksbündig").str(), "Zentriert", "Blocksatz",
                                   CP1252("Rechtsbündig").str()};

}  // namespace

// --- the panel ------------------------------------------------------------------------------------

TWPCustomToolPanel::TWPCustomToolPanel(TComponent* owner) : TWPCustomToolCtrl(owner) {
  SetColor(clBtnFace);
}

void TWPCustomToolPanel::SetBevelInner(TPanelBevel b) {
  bevelInner_ = b;
  ArrangeControls();
  Invalidate();
}

void TWPCustomToolPanel::SetBevelOuter(TPanelBevel b) {
  bevelOuter_ = b;
  ArrangeControls();
  Invalidate();
}

void TWPCustomToolPanel::SetBevelWidth(int w) {
  bevelWidth_ = std::max(1, w);
  ArrangeControls();
  Invalidate();
}

void TWPCustomToolPanel::SetNextToolBar(TWPCustomToolCtrl* bar) {
  if (nextToolBar_) nextToolBar_->RemoveFreeNotification(this);
  nextToolBar_ = bar;
  if (bar) bar->FreeNotification(this);
}

void TWPCustomToolPanel::Notification(TComponent* c, TOperation op) {
  TWPCustomToolCtrl::Notification(c, op);
  if (op == opRemove && c == nextToolBar_) nextToolBar_ = nullptr;
}

int TWPCustomToolPanel::BevelTotal() const {
  return (bevelOuter_ != bvNone ? bevelWidth_ : 0) + (bevelInner_ != bvNone ? bevelWidth_ : 0);
}

void TWPCustomToolPanel::Paint() {
  TCanvas& c = *Canvas();
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(Color());
  c.FillRect(ClientRect());
  TRect r = ClientRect();
  for (TPanelBevel b : {bevelOuter_, bevelInner_}) {
    if (b == bvNone) continue;
    for (int i = 0; i < bevelWidth_; ++i) {
      const TColor lit = b == bvRaised ? clBtnHighlight : clBtnShadow;
      const TColor dark = b == bvRaised ? clBtnShadow : clBtnHighlight;
      c.Pen()->SetColor(lit);
      c.MoveTo(r.Left, r.Bottom - 1);
      c.LineTo(r.Left, r.Top);
      c.LineTo(r.Right - 1, r.Top);
      c.Pen()->SetColor(dark);
      c.LineTo(r.Right - 1, r.Bottom - 1);
      c.LineTo(r.Left - 1, r.Bottom - 1);
      r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
  }
}

void TWPCustomToolPanel::Resize() {
  TWPCustomToolCtrl::Resize();
  ArrangeControls();
  Invalidate();
}

void TWPCustomToolPanel::Dispatch(TMessage& m) {
  if (m.Msg == WM_NCHITTEST) {
    const TPoint p = ScreenToClient({static_cast<int16_t>(LoWord(m.LParam)), static_cast<int16_t>(HiWord(m.LParam))});
    m.Result = HitTest(p.X, p.Y);
    return;
  }
  TWPCustomToolCtrl::Dispatch(m);
}

int TWPCustomToolPanel::HitTest(int x, int y) const {
  if (HasState(csDesigning) || (!movable_ && !sizable_)) return kHitClient;
  for (int i = 0; i < ControlCount(); ++i) {
    const TControl* c = Controls(i);
    if (c->Visible() && PtInRect(c->BoundsRect(), {x, y})) return kHitClient;
  }
  if (sizable_) {
    const bool right = x >= Width() - 2, bottom = y >= Height() - 2;
    if (right && bottom) return kHitBottomRight;
    if (bottom) return kHitBottom;
    if (right) return kHitRight;
  }
  if (movable_ && (GetAsyncKeyState(VK_LBUTTON) & 0x8000)) return kHitCaption;
  return kHitClient;
}

void TWPCustomToolPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TWPCustomToolCtrl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  int hit = HitTest(x, y);
  // The press itself is what the caption answer waits for.
  if (hit == kHitClient && movable_ && !HasState(csDesigning)) {
    bool free = true;
    for (int i = 0; i < ControlCount() && free; ++i)
      free = !(Controls(i)->Visible() && PtInRect(Controls(i)->BoundsRect(), {x, y}));
    if (free) hit = kHitCaption;
  }
  if (hit == kHitClient) return;
  dragHit_ = hit;
  dragStart_ = ClientToScreen({x, y});
  dragBounds_ = BoundsRect();
  SetMouseCapture(true);
}

void TWPCustomToolPanel::MouseMove(TShiftState shift, int x, int y) {
  TWPCustomToolCtrl::MouseMove(shift, x, y);
  if (!dragHit_) return;
  const TPoint p = ClientToScreen({x, y});
  const int dx = p.X - dragStart_.X, dy = p.Y - dragStart_.Y;
  TRect r = dragBounds_;
  if (dragHit_ == kHitCaption) {
    SetBounds(r.Left + dx, r.Top + dy, r.Width(), r.Height());
    return;
  }
  const int w = dragHit_ == kHitBottom ? r.Width() : std::max(8, r.Width() + dx);
  const int h = dragHit_ == kHitRight ? r.Height() : std::max(8, r.Height() + dy);
  SetBounds(r.Left, r.Top, w, h);
}

void TWPCustomToolPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TWPCustomToolCtrl::MouseUp(button, shift, x, y);
  if (!dragHit_) return;
  dragHit_ = 0;
  SetMouseCapture(false);
  Invalidate();
}

// --- the combo box ---------------------------------------------------------------------------------------

void TWPTBCombo::DropDown() {
  openedWith_ = Text();
  TComboBox::DropDown();
}

void TWPTBCombo::CloseUp() {
  const bool wasOpen = DroppedDown();
  TComboBox::CloseUp();
  if (!wasOpen || Text() == openedWith_) return;
  if (OnChoice) OnChoice(this);
  // The chosen item's text again (a handler may have changed it).
  if (ItemIndex() >= 0 && ItemIndex() < Items()->Count()) SetText(Items()->Strings(ItemIndex()));
}

void TWPTBCombo::KeyDown(Word& key, TShiftState shift) {
  if (key == VK_RETURN && !DroppedDown() && Editable()) {
    key = 0;
    if (OnChoice) OnChoice(this);
    return;
  }
  TComboBox::KeyDown(key, shift);
}

// --- the tool bar: properties ---------------------------------------------------------------------------

TWPToolBar::TWPToolBar(TComponent* owner) : TWPCustomToolPanel(owner), hints_(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 300, 30);
  SetAlign(alTop);
}

TWPToolBar::~TWPToolBar() { hints_.reset(); }

void TWPToolBar::Setsel_ListBoxes(TwpTbListboxen s) {
  listBoxes_ = s;
  BuildIcons();
}
void TWPToolBar::Setsel_StatusIcons(TwpTbIcons s) {
  statusIcons_ = s;
  BuildIcons();
}
void TWPToolBar::Setsel_ActionIcons(TwpTbIcons2 s) {
  actionIcons_ = s;
  BuildIcons();
}
void TWPToolBar::Setsel_DatabaseIcons(TwpTbIcons3 s) {
  databaseIcons_ = s;
  BuildIcons();
}
void TWPToolBar::Setsel_EditIcons(TwpTbIcons4 s) {
  editIcons_ = s;
  BuildIcons();
}

void TWPToolBar::SetWidthBetweenGroups(int v) {
  widthBetweenGroups_ = v;
  ArrangeControls();
}

void TWPToolBar::SetFontChoice(TFontSelChoice c) {
  fontChoice_ = c;
  BuildIcons();
}

void TWPToolBar::SetShowFont(bool v) {
  showFont_ = v;
  if (TWPTBCombo* c = Combo(wpcbFontName)) c->Invalidate();
}

TStrings* TWPToolBar::Hints() {
  if (hints_->Count() == 0)
    for (const char* n : kDefaultHints) hints_->Add(AnsiString("WPI_") + n + "=" + n);
  return hints_.get();
}

void TWPToolBar::SetHints(const TStrings* hints) { hints_->Assign(hints); }

AnsiString TWPToolBar::HintOf(const AnsiString& name) {
  TStrings* h = Hints();
  for (int i = 0; i < h->Count(); ++i) {
    const AnsiString line = h->Strings(i);
    const size_t eq = line.find('=');
    if (eq != AnsiString::npos && SameNoCase(line.substr(0, eq), name)) return line.substr(eq + 1);
  }
  return {};
}

void TWPToolBar::CreateWnd() {
  TWPCustomToolPanel::CreateWnd();
  BuildIcons();
}

void TWPToolBar::Loaded() {
  TWPCustomToolPanel::Loaded();
  BuildIcons();
}

void TWPToolBar::Dispatch(TMessage& m) {
  TWPCustomToolPanel::Dispatch(m);
  switch (m.Msg) {
    case WM_SIZE: ArrangeControls(); break;
    case CM_ENABLEDCHANGED:
      for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(Enabled());
      break;
    case CM_FONTCHANGED: BuildIcons(); break;
    default: break;
  }
}

// --- building ---------------------------------------------------------------------------------------------

bool TWPToolBar::AddIcon(const AnsiString& name, int index, int group, int number) {
  if (static_cast<int>(icons_.size()) >= kMaxIcons) return false;
  icons_.push_back({name, index, group, number, nullptr});
  return true;
}

void TWPToolBar::BuildIcons() {
  if (building_ || HasState(csLoading) || !HandleAllocated()) return;
  building_ = true;
  TScopeExit built{[this] { building_ = false; }};
  Rebuild();
}

void TWPToolBar::Rebuild() {
  if (Caption() == Name()) SetCaption("");
  rowHeight_ = std::abs(Font()->Height()) + 9;
  // The buttons of the old table, by position.
  std::vector<TExplorerButton*> old;
  for (TWPIconEntry& e : icons_) old.push_back(e.Button);
  icons_.clear();
  for (const IconDef& d : kIconDefs) {
    const uint32_t set = d.Set == 1 ? statusIcons_ : d.Set == 2 ? actionIcons_ : d.Set == 3 ? databaseIcons_ : editIcons_;
    if (set & (1u << d.Index)) AddIcon(d.Name, d.Index, d.Group, d.Number);
  }
  for (size_t i = 0; i < icons_.size(); ++i) {
    TWPIconEntry& e = icons_[i];
    TExplorerButton* b = i < old.size() ? old[i] : nullptr;
    if (!b) {
      b = new TExplorerButton(this);
      b->SetParent(this);
      b->OnClick = [this](TObject* s) { ChildClicked(s); };
    }
    e.Button = b;
    b->SetOptions(EBOpt(boIconOnly) | EBOpt(boShowBevel));
    b->SetGroupIndex(ButtonGroupIndex(e.Group, e.Number));
    b->SetAllowAllUp(e.Group != 512);
    b->SetDown(false);
    std::unique_ptr<TBitmap> bmp = WPIconBitmap(e.Name);
    b->SetBitmap(bmp.get());
    b->SetTag(10 + static_cast<int>(i) + 1);
    const AnsiString hint = HintOf(e.Name);
    b->SetHint(hint);
    if (!hint.empty()) b->SetShowHint(true);
    b->SetBounds(b->Left(), b->Top(), 23, std::max(22, rowHeight_));
    b->SetVisible(true);
  }
  for (size_t i = icons_.size(); i < old.size(); ++i)
    if (old[i]) {
      old[i]->SetVisible(false);
      delete old[i];
    }
  BuildCombos();
  ArrangeControls();
  Invalidate();
}

TWPTBCombo* TWPToolBar::MakeCombo(TWPComboKind kind, int order) {
  TWPTBCombo*& slot = combos_[kind];
  if (!slot) {
    slot = new TWPTBCombo(this);
    slot->SetParent(this);
    slot->SetTag(kind);
    slot->OnChoice = [this](TWPTBCombo* c) { ChildClicked(c); };
    slot->FreeNotification(this);
  }
  (void)order;
  return slot;
}

void TWPToolBar::BuildCombos() {
  // Kinds in the order they are made; the set bit of each.
  struct ComboDef {
    TWpTbListbox Member;
    TWPComboKind Kind;
    const char* Sample;
  };
  static const ComboDef kDefs[] = {{SelFontName, wpcbFontName, "     "},
                                   {SelFontSize, wpcbFontSize, "8"},
                                   {SelFontColor, wpcbFontColor, "A"},
                                   {SelBackgroundColor, wpcbBackgroundColor, "A"},
                                   {SelStyle, wpcbStyle, "Blocksatz"},
                                   {SelParColor, wpcbParColor, "A"}};
  TCanvas* canvas = Canvas();
  canvas->SetFont(*Font());
  int order = 0;
  for (const ComboDef& d : kDefs) {
    if (!(listBoxes_ & (1u << d.Member))) {
      if (combos_[d.Kind]) {
        TWPTBCombo* gone = combos_[d.Kind];
        combos_[d.Kind] = nullptr;
        delete gone;
      }
      continue;
    }
    TWPTBCombo* c = MakeCombo(d.Kind, order++);
    const int sample = canvas->TextWidth(d.Sample);
    // Room for the sample text, the drop-down button and the frame.
    int width = sample + 26;
    switch (d.Kind) {
      case wpcbFontName:
        // Wide enough for the usual names ("Times New Roman").
        width = std::max(sample * 6, canvas->TextWidth("Liberation Sans Narrow")) + 26;
        c->SetStyle(csOwnerDrawFixed);
        c->SetDropDownCount(12);
        c->OnDrawItem = [this, c](TWinControl*, int i, TRect r, TOwnerDrawState s) { DrawFontItem(c, i, r, s); };
        FillFonts(c);
        break;
      case wpcbFontSize:
        width = canvas->TextWidth("888") + 26;
        c->SetStyle(csDropDown);
        c->Items()->Clear();
        for (int s = fontSizeFrom_; s <= fontSizeTo_ && s <= 255; ++s) c->Items()->Add(std::to_string(s));
        break;
      case wpcbStyle:
        c->SetStyle(csDropDownList);
        c->Items()->Clear();
        for (const std::string& item : kStyleItems) c->Items()->Add(item);
        width = std::max(width, canvas->TextWidth(kStyleItems[3]) + 26);
        break;
      default:  // the colour boxes: the 16 colour numbers as swatches
        width = sample * 3 + 30;
        c->SetStyle(csOwnerDrawFixed);
        c->SetDropDownCount(16);
        c->Items()->Clear();
        for (int n = 0; n < 16; ++n) c->Items()->Add(std::to_string(n));
        c->OnDrawItem = [this, c](TWinControl*, int i, TRect r, TOwnerDrawState s) { DrawColorItem(c, i, r, s); };
        break;
    }
    c->SetBounds(c->Left(), c->Top(), width, c->Height());
    c->SetVisible(true);
  }
}

void TWPToolBar::FillFonts(TWPTBCombo* combo) {
  combo->Items()->Clear();
  // The printer renders with the screen's fonts, so both choices list them.
  if (Screen) combo->Items()->Assign(Screen->Fonts());
}

void TWPToolBar::DrawColorItem(TWPTBCombo* combo, int index, TRect rect, TOwnerDrawState state) {
  TCanvas& c = *combo->Canvas();
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor((state & odSelected) && !(state & odComboBoxEdit) ? clHighlight : clWindow);
  c.FillRect(rect);
  TColor color = clBlack;
  if (TWPCustomRtfEdit* e = Target()) color = e->Header()->Colors[index & 15];
  else color = TTextHeader().Colors[index & 15];
  c.Brush()->SetColor(color);
  c.Pen()->SetColor(clBlack);
  c.Rectangle(rect.Left + 2, rect.Top + 1, rect.Right - 2, rect.Bottom - 1);
}

void TWPToolBar::DrawFontItem(TWPTBCombo* combo, int index, TRect rect, TOwnerDrawState state) {
  TCanvas& c = *combo->Canvas();
  const bool selected = (state & odSelected) && !(state & odComboBoxEdit);
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(selected ? clHighlight : clWindow);
  c.FillRect(rect);
  const AnsiString name = combo->Items()->Strings(index);
  c.SetFont(*Font());
  if (showFont_) c.Font()->SetName(name);
  c.Font()->SetColor(selected ? clHighlightText : clWindowText);
  c.SetBkMode(TRANSPARENT);
  TRect r = rect;
  r.Left += 2;
  c.DrawText(name, r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}

void TWPToolBar::AddControl(TControl* control) {
  if (!control) return;
  if (control->Parent() != this) control->SetParent(this);
  PostMessage(Handle(), WM_SIZE, 0, 0);
}

void TWPToolBar::ArrangeControls() {
  const int bevel = BevelTotal();
  const int right = Width() - bevel;
  int x = bevel + 2, y = bevel + 2, rowBottom = y;
  int lastGroup = -1;
  auto place = [&](TControl* c, int group) {
    if (!c->Visible()) return;
    if (lastGroup >= 0 && group != lastGroup) x += widthBetweenGroups_;
    if (x + c->Width() > right && x > bevel + 2) {
      x = bevel + 2;
      y = rowBottom + 4;
      rowBottom = y;
    }
    c->SetBounds(x, y, c->Width(), c->Height());
    x += c->Width() + 2;
    rowBottom = std::max(rowBottom, y + c->Height());
    lastGroup = group;
  };
  // Three passes: the combos, the icons, then every other child.
  for (TWPTBCombo* c : combos_)
    if (c) place(c, -2);
  for (const TWPIconEntry& e : icons_)
    if (e.Button) place(e.Button, e.Group);
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (dynamic_cast<TWPTBCombo*>(c)) continue;
    if (std::any_of(icons_.begin(), icons_.end(), [c](const TWPIconEntry& e) { return e.Button == c; })) continue;
    place(c, -3);
  }
}

// --- state shown by the control -------------------------------------------------------------------------------

TExplorerButton* TWPToolBar::ButtonOf(int group, int number) const {
  for (const TWPIconEntry& e : icons_)
    if (e.Group == group && e.Number == number) return e.Button;
  return nullptr;
}

TWPTBCombo* TWPToolBar::Combo(TWPComboKind kind) const {
  return kind >= 1 && kind <= 6 ? combos_[kind] : nullptr;
}

void TWPToolBar::SetButtonDown(int group, int number, bool down) {
  if (TExplorerButton* b = ButtonOf(group, number)) b->SetDown(down);
}

void TWPToolBar::SetButtonEnabled(int group, int number, bool enabled) {
  if (TExplorerButton* b = ButtonOf(group, number)) b->SetEnabled(enabled && Enabled());
}

void TWPToolBar::ShowComboValue(TWPComboKind kind, const AnsiString& text) {
  TWPTBCombo* c = Combo(kind);
  if (!c || c->DroppedDown()) return;
  int i = c->Items()->IndexOf(text);
  // A font of the document that the system does not list is still the
  // one the text uses: it joins the list.
  if (i < 0 && kind == wpcbFontName && !text.empty()) i = c->Items()->Add(text);
  if (i >= 0) c->SetItemIndex(i);
  else if (c->Style() == csDropDown) c->SetText(text);
  else c->SetItemIndex(-1);
}

void TWPToolBar::ShowParagraphAlignment(int setModeNumber) {
  TWPAlignment align;
  if (!AlignmentOfSetModeNumber(setModeNumber, align)) return;
  SetButtonDown(wpgParagraph, ToolBarNumberOfAlignment(align), true);
  if (TWPTBCombo* c = Combo(wpcbStyle))
    if (!c->DroppedDown()) c->SetItemIndex(setModeNumber - 1);
}

// --- clicks and choices ---------------------------------------------------------------------------------------

TWPCustomRtfEdit* TWPToolBar::Target() const { return Editor(); }

void TWPToolBar::ChildClicked(TObject* sender) {
  HandleClick(sender);
  // While busy the editor left the bar alone: it shows the state now.
  if (auto* rich = dynamic_cast<TWPCustomRichText*>(Target())) {
    if (rich->SetMode()) {
      rich->SetMode()->CharacterState();
      rich->SetMode()->ParagraphState();
    }
    rich->ReportEditState();
  }
}

void TWPToolBar::HandleClick(TObject* sender) {
  auto* control = dynamic_cast<TControl*>(sender);
  if (!control) return;
  const int tag = control->Tag();
  TWpSelNr typ = 0;
  AnsiString str;
  int num = 0, group = 0;
  busy_ = true;
  TScopeExit done{[this] { busy_ = false; }};
  if (tag >= 11 && tag - 11 < IconCount()) {
    const TWPIconEntry& e = icons_[static_cast<size_t>(tag - 11)];
    str = e.Name;
    group = e.Group;
    num = e.Number;
    typ = e.Button && e.Button->Down() ? wptIconDown : wptIconUp;
    if (OnIconSelection) OnIconSelection(this, typ, str, group, num, e.Index);
    TWPCustomRtfEdit* target = Target();
    if (!target || typ == 0) return;
    // The focus stays where the user had it, on the button pressed by
    // keyboard as with any other button: the command works on the text's
    // selection all the same.
    if (target->ToolBarCommand(group, num)) {
      // A command carried out: its button does not stay down.
      if (e.Button && group != 256 && group != 512 && !(group == 768 && num == 4)) e.Button->SetDown(false);
      return;
    }
    if (group != 256) return;
  } else {
    auto* combo = dynamic_cast<TWPTBCombo*>(sender);
    if (!combo) return;
    switch (tag) {
      case wpcbFontName:
        typ = wptFontName;
        str = combo->Text();
        break;
      case wpcbStyle:
        typ = wptStyle;
        num = combo->ItemIndex();
        break;
      case wpcbFontSize:
      case wpcbFontColor:
      case wpcbBackgroundColor:
      case wpcbParColor:
        typ = tag == wpcbFontSize ? wptFontSize
              : tag == wpcbFontColor ? wptFontColor
              : tag == wpcbBackgroundColor ? wptBackgroundColor
                                           : wptParColor;
        str = combo->Text();
        if (!ParseNumber(str, num) || (tag == wpcbFontSize && (num < 1 || num > 255)) || num > 255) {
          // Not a number (or no size): nothing changes.
          MessageBeep(0);
          return;
        }
        break;
      default: return;
    }
  }
  ApplySelection(typ, str, num, group);
  if (OnSelection) OnSelection(this, typ, str, num);
  // A choice from a box goes back to the text.
  if (TWPCustomRtfEdit* target = Target(); target && tag < 11) target->TakeFocus();
}

void TWPToolBar::ApplySelection(TWpSelNr typ, const AnsiString& str, int num, int group) {
  TWPCustomRtfEdit* target = Target();
  if (!target) return;
  auto* rich = dynamic_cast<TWPCustomRichText*>(target);
  TWPAttrRecord a;
  switch (typ) {
    case wptFontName:
      if (str.empty()) return;
      a.Font = static_cast<uint8_t>(target->FontNumber(str));
      target->ToolBarAttrCommand(wpmFont, a);
      return;
    case wptFontSize:
      if (num < 1 || num > 255) {
        MessageBeep(0);
        return;
      }
      a.Size = static_cast<uint8_t>(num);
      target->ToolBarAttrCommand(wpmSize, a);
      return;
    case wptFontColor:
      if (num > 15) return;
      a.Colors = static_cast<uint8_t>(num);
      target->ToolBarAttrCommand(wpmTextColor, a);
      return;
    case wptBackgroundColor:
      if (num > 15) return;
      a.Colors = static_cast<uint8_t>(num << 4);
      target->ToolBarAttrCommand(wpmBackColor, a);
      return;
    case wptStyle:
      if (rich) rich->ApplyParagraphStyle(num + 1);
      return;
    case wptParColor:
      if (rich) rich->ApplyParagraphColor(num);
      return;
    case wptIconDown:
    case wptIconUp: {
      if (group != 256) return;
      const int number = [&] {
        for (const TWPIconEntry& e : icons_)
          if (e.Name == str) return e.Number;
        return 0;
      }();
      if (number == 1) {
        a.Style = 0;
        target->ToolBarAttrCommand(wpmSetStyleKeep, a);
        return;
      }
      a.Style = StyleOfIcon(number);
      if (!a.Style) return;
      target->ToolBarAttrCommand(typ == wptIconDown ? wpmAddStyle : wpmRemoveStyle, a);
      return;
    }
    default: return;
  }
}
