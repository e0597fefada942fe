// Menu items, main and popup menus, the modal menu loop and shortcut routing.
#include "platform/ui/menus.h"
#include "platform/rtl/cp1252.h"

#include <algorithm>

#include "platform/rtl/scopeexit.h"
#include "platform/ui/ctlutil.h"
#include "platform/ui/ui_internal.h"

// ------------------------------------------------------------------ shortcuts

TShortCut ShortCut(Word key, TShiftState shift) {
  TShortCut sc = static_cast<TShortCut>(key & 0xFF);
  if (shift & ssShift) sc |= scShift;
  if (shift & ssCtrl) sc |= scCtrl;
  if (shift & ssAlt) sc |= scAlt;
  return sc;
}

void ShortCutToKey(TShortCut sc, Word& key, TShiftState& shift) {
  key = sc & 0xFF;
  shift = 0;
  if (sc & scShift) shift |= ssShift;
  if (sc & scCtrl) shift |= ssCtrl;
  if (sc & scAlt) shift |= ssAlt;
}

namespace {
AnsiString KeyName(int vk) {
  if (vk >= VK_F1 && vk <= VK_F24) return "F" + std::to_string(vk - VK_F1 + 1);
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return AnsiString(1, static_cast<char>(vk));
  switch (vk) {
    case VK_BACK: return CP1252("Rück").str();
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Eingabe";
    case VK_ESCAPE: return "Esc";
    case VK_SPACE: return "Leer";
    case VK_PRIOR: return "Bild auf";
    case VK_NEXT: return "Bild ab";
    case VK_END: return "Ende";
    case VK_HOME: return "Pos1";
    case VK_LEFT: return "Links";
    case VK_UP: return "Oben";
    case VK_RIGHT: return "Rechts";
    case VK_DOWN: return "Unten";
    case VK_INSERT: return "Einfg";
    case VK_DELETE: return "Entf";
    default: return {};
  }
}
}  // namespace

AnsiString ShortCutToText(TShortCut sc) {
  AnsiString name = KeyName(sc & 0xFF);
  if (name.empty()) return {};
  AnsiString s;
  if (sc & scShift) s += "Umschalt+";
  if (sc & scCtrl) s += "Strg+";
  if (sc & scAlt) s += "Alt+";
  return s + name;
}

AnsiString StripHotkey(const AnsiString& caption) {
  AnsiString out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += caption[i];
  }
  return out;
}

// ------------------------------------------------------------------ TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  if (parent_) parent_->Remove(this);
  Clear();
}

void TMenuItem::SetChecked(bool v) {
  checked_ = v;
  if (v && radioItem_ && parent_)
    for (TMenuItem* s : parent_->items_)
      if (s != this && s->radioItem_ && s->groupIndex_ == groupIndex_) s->checked_ = false;
}

TMenu* TMenuItem::Menu() const {
  const TMenuItem* r = this;
  while (r->parent_) r = r->parent_;
  return r->menu_;
}

void TMenuItem::Changed() {
  if (TMenu* m = Menu()) m->MenuChanged();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  if (item->parent_) throw EInvalidOperation("Menu item already has a parent");
  if (index < 0 || index > Count()) throw EListError("Menu index out of range");
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  Changed();
}

void TMenuItem::Delete(int index) {
  if (index < 0 || index >= Count()) throw EListError("Menu index out of range");
  items_[static_cast<std::size_t>(index)]->parent_ = nullptr;
  items_.erase(items_.begin() + index);
  Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
  int i = IndexOf(item);
  if (i >= 0) Delete(i);
}

void TMenuItem::Clear() {
  while (!items_.empty()) {
    TMenuItem* it = items_.back();
    items_.pop_back();
    it->parent_ = nullptr;
    delete it;
  }
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenuItem* TMenuItem::Find(const AnsiString& caption) const {
  AnsiString want = StripHotkey(caption);
  for (TMenuItem* it : items_)
    if (StripHotkey(it->caption_) == want) return it;
  return nullptr;
}

void TMenuItem::Click() {
  if (!enabled_) return;
  if (OnClick) OnClick(this);
}

// ------------------------------------------------------------------ TMenu

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr)) {
  items_->menu_ = this;
  InstallMenuHandlers();
}

TMenu::~TMenu() { items_->menu_ = nullptr; }

namespace {
TMenuItem* FindSc(const TMenuItem* parent, TShortCut sc) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* it = parent->Items(i);
    if (!it->Visible() || !it->Enabled()) continue;
    if (it->ShortCut() == sc && !it->IsLine()) return it;
    if (TMenuItem* sub = FindSc(it, sc)) return sub;
  }
  return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindShortCut(TShortCut sc) const { return sc == 0 ? nullptr : FindSc(items_.get(), sc); }

bool TMenu::IsShortCut(Word key, TShiftState shift) {
  TMenuItem* it = FindShortCut(ShortCut(key, KeyModifiers(shift)));
  if (!it) return false;
  Application->Guard(it, [it] { it->Click(); });
  return true;
}

// ------------------------------------------------------------------ menu loop

namespace {

constexpr int kItemHeight = 19, kLineHeight = 9, kFrame = 3, kCheckCol = 20, kArrowCol = 18;

class TMenuView;

// The captions a drop-down shows: an item without a hotkey of its own gets
// a letter or digit of its caption that no other item of its level has, so
// that it shows an underlined letter like the bar and that letter chooses
// it. First letters go first: an item's inner letter never takes the
// letter a later item starts with ("Heute" before "Eingeben").
std::vector<AnsiString> ShownCaptions(const TMenuItem* parent) {
  std::vector<AnsiString> out;
  std::vector<bool> used(256, false);
  for (int i = 0; i < parent->Count(); ++i) {
    out.push_back(parent->Items(i)->Caption());
    used[static_cast<unsigned char>(AcceleratorOf(out.back()))] = true;
  }
  for (const bool firstOnly : {true, false}) {
    for (int i = 0; i < parent->Count(); ++i) {
      AnsiString& c = out[static_cast<std::size_t>(i)];
      if (!parent->Items(i)->Visible() || parent->Items(i)->IsLine() || AcceleratorOf(c)) continue;
      for (std::size_t j = 0; j < c.size(); ++j) {
        if (c[j] == '&') {  // "&&" stands for "&"
          ++j;
          continue;
        }
        const unsigned char u = AnsiUpper(static_cast<unsigned char>(c[j]));
        const bool letter = (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
        if (letter && !used[u]) {
          used[u] = true;
          c.insert(j, 1, '&');
          break;
        }
        if (letter && firstOnly) break;
      }
    }
  }
  return out;
}

// A bar item to open once the current drop-down has closed, and the bar
// item whose drop-down is open (Left and Right step along the bar).
struct PendingBar {
  TMainMenu* menu = nullptr;
  int index = -1;
  bool byKey = false;
};
PendingBar gPendingBar;
PendingBar gOpenBar;
// The main menu in bar mode (at most one).
TMainMenu* gBarMode = nullptr;

struct Tracker {
  std::vector<TPopupWindow*> windows;
  std::vector<TMenuView*> views;
  std::vector<TPopupWindow*> closed;  // hidden sub-levels, freed when the loop ends
  bool done = false;
  TMenuItem* chosen = nullptr;
  void OpenLevel(TMenuItem* parent, int x, int y, int alignRightEdge);
  void CloseFrom(std::size_t level);
  void Choose(TMenuItem* it) {
    chosen = it;
    done = true;
  }
  bool Key(Word vk, TShiftState shift);
  // An accelerator letter among the items of the deepest level; false when
  // none of them has it.
  bool LevelAccel(Word vk);
  void Mouse(unsigned msg, TPoint screen);
};
Tracker* gTracker = nullptr;

bool Selectable(const TMenuItem* it) { return it->Visible() && !it->IsLine(); }

class TMenuView : public TCustomControl {
 public:
  TMenuView(TComponent* owner, TMenuItem* parent, std::size_t level)
      : TCustomControl(owner), parent_(parent), level_(level) {
    color_ = clMenu;
    Layout();
  }
  TMenuItem* ParentItem() const { return parent_; }
  const AnsiString& ShownCaption(int i) const { return shown_.at(static_cast<std::size_t>(i)); }
  int Hot() const { return hot_; }
  void SetHot(int i) {
    if (i == hot_) return;
    hot_ = i;
    Invalidate();
  }
  TSize Extent() const { return extent_; }
  TRect ItemRect(int i) const { return rects_.at(static_cast<std::size_t>(i)); }
  int ItemAt(TPoint p) const {
    for (int i = 0; i < parent_->Count(); ++i)
      if (parent_->Items(i)->Visible() && PtInRect(rects_[static_cast<std::size_t>(i)], p)) return i;
    return -1;
  }
  void Step(int dir) {
    int n = parent_->Count();
    if (n == 0) return;
    int i = hot_;
    for (int k = 0; k < n; ++k) {
      i = i < 0 ? (dir > 0 ? 0 : n - 1) : (i + dir + n) % n;
      if (Selectable(parent_->Items(i))) {
        SetHot(i);
        return;
      }
    }
  }
  std::size_t Level() const { return level_; }

  void Dispatch(TMessage& m) override {
    if (gTracker && m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MBUTTONDBLCLK) {
      gTracker->Mouse(m.Msg, ClientToScreen({LoWord(m.LParam), HiWord(m.LParam)}));
      return;
    }
    TCustomControl::Dispatch(m);
  }

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(clMenu);
    c->FillRect(r);
    c->DrawEdge(r, EDGE_RAISED, BF_RECT);
    for (int i = 0; i < parent_->Count(); ++i) {
      TMenuItem* it = parent_->Items(i);
      if (!it->Visible()) continue;
      TRect ir = rects_[static_cast<std::size_t>(i)];
      if (it->IsLine()) {
        TRect lr{ir.Left + 1, ir.Top + 3, ir.Right - 1, ir.Top + 5};
        c->DrawEdge(lr, EDGE_ETCHED, BF_TOP);
        continue;
      }
      bool hot = i == hot_;
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(hot ? clHighlight : clMenu);
      c->FillRect(ir);
      TColor fg = hot ? clHighlightText : clMenuText;
      c->Font()->Assign(*Font());
      c->Font()->SetColor(fg);
      TRect tr{ir.Left + kCheckCol, ir.Top, ir.Right - kArrowCol, ir.Bottom};
      unsigned fmt = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
      if (it->Enabled() || hot) {
        if (!it->Enabled()) c->Font()->SetColor(clGrayText);
        c->Brush()->SetStyle(bsClear);
        c->DrawText(ShownCaption(i), tr, fmt);
        if (it->ShortCut()) c->DrawText(ShortCutToText(it->ShortCut()), tr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
      } else {
        ctlutil::DisabledText(*c, ShownCaption(i), tr, fmt);
        if (it->ShortCut())
          ctlutil::DisabledText(*c, ShortCutToText(it->ShortCut()), tr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
      }
      c->Pen()->SetColor(hot ? clHighlightText : (it->Enabled() ? clMenuText : clGrayText));
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(hot ? clHighlightText : (it->Enabled() ? clMenuText : clGrayText));
      int cy = (ir.Top + ir.Bottom) / 2;
      if (it->Checked()) {
        int cx = ir.Left + 6;
        if (it->RadioItem()) {
          c->Ellipse(cx + 1, cy - 3, cx + 7, cy + 3);
        } else {
          for (int k = 0; k < 3; ++k) {  // a tick: down-right then up-right strokes
            c->MoveTo(cx, cy - 1 + k);
            c->LineTo(cx + 2, cy + 1 + k);
            c->LineTo(cx + 7, cy - 4 + k);
          }
        }
      }
      if (it->Count() > 0) {
        int ax = ir.Right - 10;
        for (int k = 0; k < 4; ++k) {
          c->MoveTo(ax + k, cy - 3 + k);
          c->LineTo(ax + k, cy + 4 - k);
        }
      }
    }
  }

 private:
  void Layout() {
    shown_ = ShownCaptions(parent_);
    int textW = 0, scW = 0;
    for (int i = 0; i < parent_->Count(); ++i) {
      TMenuItem* it = parent_->Items(i);
      if (!it->Visible() || it->IsLine()) continue;
      textW = std::max(textW, ctlutil::TextWidth(*Font(), StripHotkey(it->Caption())));
      if (it->ShortCut()) scW = std::max(scW, ctlutil::TextWidth(*Font(), ShortCutToText(it->ShortCut())));
    }
    int w = kFrame * 2 + kCheckCol + textW + (scW ? scW + 24 : 0) + kArrowCol;
    w = std::max(w, 80);
    int y = kFrame;
    rects_.assign(static_cast<std::size_t>(parent_->Count()), TRect{});
    for (int i = 0; i < parent_->Count(); ++i) {
      TMenuItem* it = parent_->Items(i);
      if (!it->Visible()) continue;
      int h = it->IsLine() ? kLineHeight : kItemHeight;
      rects_[static_cast<std::size_t>(i)] = {kFrame, y, w - kFrame, y + h};
      y += h;
    }
    extent_ = {w, y + kFrame};
  }

  TMenuItem* parent_;
  std::size_t level_;
  int hot_ = -1;
  std::vector<TRect> rects_;
  std::vector<AnsiString> shown_;  // captions with their hotkeys
  TSize extent_;
};

void Tracker::OpenLevel(TMenuItem* parent, int x, int y, int leftEdge) {
  auto* win = new TPopupWindow(nullptr);
  auto* view = new TMenuView(win, parent, views.size());
  view->SetParent(win);
  TSize e = view->Extent();
  int sw = Screen ? Screen->Width() : 1024, sh = Screen ? Screen->Height() : 768;
  if (x + e.cx > sw) x = std::max(0, (leftEdge >= 0 ? leftEdge : sw) - e.cx);
  if (y + e.cy > sh) y = std::max(0, sh - e.cy);
  windows.push_back(win);
  views.push_back(view);
  win->Popup(Bounds(x, y, e.cx, e.cy));
  if (views.size() == 1) SetCaptureControl(view);
}

void Tracker::CloseFrom(std::size_t level) {
  while (views.size() > level) {
    TPopupWindow* w = windows.back();
    w->Hide();
    closed.push_back(w);
    windows.pop_back();
    views.pop_back();
  }
  // The first level keeps the capture; a closed level gives it back.
  if (!views.empty() && GetCaptureControl() != views.front()) SetCaptureControl(views.front());
}

// Opens the sub-menu of the hot item of the deepest level.
void OpenSub(Tracker& t) {
  TMenuView* v = t.views.back();
  if (v->Hot() < 0) return;
  TMenuItem* it = v->ParentItem()->Items(v->Hot());
  if (it->Count() == 0 || !it->Enabled()) return;
  TRect r = v->ItemRect(v->Hot());
  TPoint p = v->ClientToScreen({v->Width() - 3, r.Top - 3});
  TPoint left = v->ClientToScreen({0, 0});
  t.OpenLevel(it, p.X, p.Y, left.X);
  t.views.back()->Step(1);
}

bool Tracker::Key(Word vk, TShiftState shift) {
  if (views.empty()) return true;
  TMenuView* v = views.back();
  switch (vk) {
    case VK_UP: v->Step(-1); break;
    case VK_DOWN: v->Step(1); break;
    case VK_RIGHT: {
      TMenuItem* hot = v->Hot() >= 0 ? v->ParentItem()->Items(v->Hot()) : nullptr;
      if (hot && hot->Count() > 0 && hot->Enabled()) {
        OpenSub(*this);
      } else if (gOpenBar.menu) {
        int n = static_cast<int>(gOpenBar.menu->BarLayout().size());
        gPendingBar = {gOpenBar.menu, (gOpenBar.index + 1) % std::max(1, n), true};
        done = true;
      }
      break;
    }
    case VK_LEFT:
      if (views.size() > 1) {
        CloseFrom(views.size() - 1);
      } else if (gOpenBar.menu) {
        int n = std::max(1, static_cast<int>(gOpenBar.menu->BarLayout().size()));
        gPendingBar = {gOpenBar.menu, (gOpenBar.index + n - 1) % n, true};
        done = true;
      }
      break;
    case VK_ESCAPE:
      if (views.size() > 1)
        CloseFrom(views.size() - 1);
      else
        done = true;
      break;
    case VK_RETURN: case VK_SPACE: {
      if (v->Hot() < 0) break;
      TMenuItem* it = v->ParentItem()->Items(v->Hot());
      if (it->Count() > 0)
        OpenSub(*this);
      else if (it->Enabled())
        Choose(it);
      break;
    }
    // Alt closes the menu when it is released alone (the input layer tells
    // us); held for Alt+letter it must not.
    case VK_MENU: break;
    case VK_F10: done = true; break;
    default: {
      if (shift & ssCtrl) break;
      if (!((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))) break;
      // With or without Alt: an item of this level first, then the next
      // bar item after the open one.
      if (LevelAccel(vk)) break;
      if (gOpenBar.menu) {
        int next = gOpenBar.menu->AccelIndex(static_cast<char>(vk), gOpenBar.index);
        if (next >= 0 && next != gOpenBar.index) {
          gPendingBar = {gOpenBar.menu, next, true};
          done = true;
        }
      }
    }
  }
  return true;
}

bool Tracker::LevelAccel(Word vk) {
  TMenuView* v = views.back();
  TMenuItem* parent = v->ParentItem();
  std::vector<int> hits;
  for (int i = 0; i < parent->Count(); ++i)
    if (Selectable(parent->Items(i)) && IsAccel(vk, v->ShownCaption(i))) hits.push_back(i);
  if (hits.empty()) return false;
  if (hits.size() > 1) {
    // Shared by several items: highlight the next of them, choose nothing.
    auto after = std::upper_bound(hits.begin(), hits.end(), v->Hot());
    v->SetHot(after == hits.end() ? hits.front() : *after);
    return true;
  }
  TMenuItem* it = parent->Items(hits.front());
  v->SetHot(hits.front());
  if (it->Count() > 0)
    OpenSub(*this);
  else if (it->Enabled())
    Choose(it);
  return true;
}

void Tracker::Mouse(unsigned msg, TPoint screen) {
  // The deepest level under the point.
  int lvl = -1;
  for (std::size_t i = views.size(); i-- > 0;) {
    TPoint p = views[i]->ScreenToClient(screen);
    if (PtInRect(views[i]->ClientRect(), p)) {
      lvl = static_cast<int>(i);
      break;
    }
  }
  bool press = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN ||
               msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK;
  bool release = msg == WM_LBUTTONUP || msg == WM_RBUTTONUP;
  if (lvl < 0) {
    if (press) done = true;
    return;
  }
  TMenuView* v = views[static_cast<std::size_t>(lvl)];
  int i = v->ItemAt(v->ScreenToClient(screen));
  if (msg == WM_MOUSEMOVE || press) {
    if (i < 0) return;
    TMenuItem* it = v->ParentItem()->Items(i);
    if (it->IsLine()) return;
    bool changed = v->Hot() != i;
    v->SetHot(i);
    if (changed || views.size() > static_cast<std::size_t>(lvl) + 1) {
      bool subOpen = views.size() > static_cast<std::size_t>(lvl) + 1 && views[static_cast<std::size_t>(lvl) + 1]->ParentItem() == it;
      if (!subOpen) {
        CloseFrom(static_cast<std::size_t>(lvl) + 1);
        if (it->Count() > 0) {
          OpenSub(*this);
          views.back()->SetHot(-1);
        }
      }
    }
    return;
  }
  if (release && i >= 0) {
    TMenuItem* it = v->ParentItem()->Items(i);
    if (Selectable(it) && it->Enabled() && it->Count() == 0) Choose(it);
  }
}

// Runs a menu level modally from a screen point; returns the chosen item.
TMenuItem* TrackMenu(TMenuItem* root, int x, int y, bool selectFirst = false) {
  if (!Application) return nullptr;
  Tracker t;
  Tracker* outer = gTracker;
  if (outer) outer->done = true;  // one menu at a time
  gTracker = &t;
  TScopeExit cleanup{[&t, outer] {
    if (GetCaptureControl() && !t.views.empty() && GetCaptureControl() == t.views.front()) ReleaseCapture();
    t.CloseFrom(0);
    for (TPopupWindow* w : t.closed) delete w;
    gTracker = outer;
  }};
  SendCancelMode(nullptr);
  t.OpenLevel(root, x, y, -1);
  if (selectFirst) t.views.back()->Step(1);
  while (!t.done && !Application->Terminated()) Application->HandleMessage();
  return t.chosen;
}

}  // namespace

AnsiString ShownMenuCaption(const TMenuItem* item) {
  if (!item->Parent()) return item->Caption();
  return ShownCaptions(item->Parent()).at(static_cast<std::size_t>(item->MenuIndex()));
}

std::vector<TCustomForm*> OpenMenuWindows() {
  std::vector<TCustomForm*> out;
  if (gTracker)
    for (TPopupWindow* w : gTracker->windows) out.push_back(w);
  return out;
}

namespace {
TMenuView* ViewOf(TCustomForm* w) {
  if (!w || w->ControlCount() == 0) return nullptr;
  return dynamic_cast<TMenuView*>(w->Controls(0));
}
}  // namespace

TMenuItem* MenuItemAt(TCustomForm* w, int x, int y) {
  TMenuView* v = ViewOf(w);
  if (!v) return nullptr;
  int i = v->ItemAt({x, y});
  return i < 0 ? nullptr : v->ParentItem()->Items(i);
}

TRect MenuItemRect(TCustomForm* w, const TMenuItem* item) {
  TMenuView* v = ViewOf(w);
  if (!v) return {};
  int i = v->ParentItem()->IndexOf(item);
  return i < 0 ? TRect{} : v->ItemRect(i);
}

void CloseMenus() {
  if (gTracker) gTracker->done = true;
}

// ------------------------------------------------------------------ menus

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {
  if (auto* f = dynamic_cast<TCustomForm*>(owner)) f->SetHasMenu(true);
}

TMainMenu::~TMainMenu() {
  if (gBarMode == this) gBarMode = nullptr;
  Items()->Clear();
  if (auto* f = dynamic_cast<TCustomForm*>(Owner()); f && !f->IsDestroying()) f->SetHasMenu(false);
}

void TMainMenu::MenuChanged() {
  if (auto* f = dynamic_cast<TCustomForm*>(Owner()); f && !f->IsDestroying()) f->RepaintMenuBar();
}

std::vector<std::pair<TMenuItem*, TRect>> TMainMenu::BarLayout() const {
  std::vector<std::pair<TMenuItem*, TRect>> out;
  auto* f = dynamic_cast<TCustomForm*>(Owner());
  TFont font;
  const TFont& use = f ? *f->Font() : font;
  int h = GetSystemMetrics(SM_CYMENU);
  int x = 0;
  TMenuItem* root = Items();
  for (int i = 0; i < root->Count(); ++i) {
    TMenuItem* it = root->Items(i);
    if (!it->Visible()) continue;
    int w = ctlutil::TextWidth(use, StripHotkey(it->Caption())) + 14;
    out.push_back({it, {x, 0, x + w, h}});
    x += w;
  }
  return out;
}

void TMainMenu::OpenItem(int index, bool byKey) {
  EndBarMode();
  auto layout = BarLayout();
  if (index < 0 || index >= static_cast<int>(layout.size())) return;
  auto [it, r] = layout[static_cast<std::size_t>(index)];
  if (!it->Enabled()) return;
  if (it->Count() == 0) {
    Application->Guard(it, [it] { it->Click(); });
    return;
  }
  auto* f = dynamic_cast<TCustomForm*>(Owner());
  TPoint o = f ? f->ClientOrigin() : TPoint{0, 0};
  openIndex_ = index;
  if (f) f->RepaintMenuBar();
  TMenuItem* chosen = nullptr;
  {
    const PendingBar outerOpen = gOpenBar;
    gOpenBar = {this, index, byKey};
    TScopeExit closed{[this, outerOpen] {
      gOpenBar = outerOpen;
      openIndex_ = -1;
    }};
    chosen = TrackMenu(it, o.X + r.Left, o.Y, byKey);
  }
  if (f && !f->IsDestroying()) f->RepaintMenuBar();
  if (gPendingBar.menu == this && !chosen) {
    PendingBar next = gPendingBar;
    gPendingBar = {};
    OpenItem(next.index, next.byKey);
    return;
  }
  gPendingBar = {};
  if (chosen) Application->Guard(chosen, [chosen] { chosen->Click(); });
}

int TMainMenu::AccelIndex(char ch, int after) const {
  auto layout = BarLayout();
  int n = static_cast<int>(layout.size());
  for (int k = 1; k <= n; ++k) {
    int i = ((after < 0 ? -1 : after) + k) % n;
    TMenuItem* it = layout[static_cast<std::size_t>(i)].first;
    if (it->Enabled() && IsAccel(static_cast<unsigned char>(ch), it->Caption())) return i;
  }
  return -1;
}

bool TMainMenu::OpenByAccel(char ch) {
  int i = AccelIndex(ch);
  if (i < 0) return false;
  OpenItem(i, true);
  return true;
}

void TMainMenu::StartBarMode() {
  if (BarLayout().empty()) return;
  if (gBarMode && gBarMode != this) gBarMode->EndBarMode();
  gBarMode = this;
  hotIndex_ = 0;
  MenuChanged();
}

void TMainMenu::EndBarMode() {
  if (gBarMode == this) gBarMode = nullptr;
  if (hotIndex_ < 0) return;
  hotIndex_ = -1;
  MenuChanged();
}

bool TMainMenu::BarKey(Word key, TShiftState shift) {
  int n = static_cast<int>(BarLayout().size());
  if (hotIndex_ < 0 || n == 0) {
    EndBarMode();
    return false;
  }
  switch (key) {
    case VK_SHIFT: case VK_CONTROL: case VK_MENU: return false;  // Alt alone is the input layer's
    case VK_LEFT: case VK_RIGHT:
      hotIndex_ = (hotIndex_ + (key == VK_RIGHT ? 1 : n - 1)) % n;
      MenuChanged();
      return true;
    case VK_DOWN: case VK_UP: case VK_RETURN: case VK_SPACE: OpenItem(hotIndex_, true); return true;
    case VK_ESCAPE: case VK_F10: EndBarMode(); return true;
    default: break;
  }
  if (!(shift & ssCtrl) && ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) {
    if (!OpenByAccel(static_cast<char>(key))) MessageBeep(0);  // no such letter: the bar stays
    return true;
  }
  // Any other key leaves the bar and does what it does.
  EndBarMode();
  return false;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  TMenuItem* chosen = TrackMenu(Items(), x, y);
  if (chosen) Application->Guard(chosen, [chosen] { chosen->Click(); });
}

// ------------------------------------------------------------------ routing

namespace {

bool HandleShortCut(TWinControl* focused, Word key, TShiftState shift) {
  if (gTracker) return gTracker->Key(key, shift);
  if (TMainMenu* bar = gBarMode) {
    if (focused && GetParentForm(focused) == bar->Owner()) {
      if (bar->BarKey(key, shift)) return true;
    } else {
      bar->EndBarMode();
    }
  }
  if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return false;
  // Popup menus of the focused control and its parents.
  for (TControl* c = focused; c; c = c->Parent())
    if (auto* pm = dynamic_cast<TPopupMenu*>(c->PopupMenu()))
      if (pm->IsShortCut(key, shift)) return true;
  TCustomForm* form = focused ? GetParentForm(focused) : nullptr;
  if (!form) return false;
  for (int i = 0; i < form->ComponentCount(); ++i)
    if (auto* mm = dynamic_cast<TMainMenu*>(form->Components(i))) {
      if (mm->IsShortCut(key, shift)) return true;
      if ((shift & (ssAlt | ssCtrl)) == ssAlt && key >= 'A' && key <= 'Z' && mm->OpenByAccel(static_cast<char>(key)))
        return true;
      if (key == VK_F10 && KeyModifiers(shift) == 0 && !mm->BarLayout().empty()) {
        mm->OpenItem(0, true);
        return true;
      }
    }
  return false;
}

}  // namespace

namespace {
TMainMenu* MainMenuOf(TCustomForm* f) {
  for (int i = 0; i < f->ComponentCount(); ++i)
    if (auto* mm = dynamic_cast<TMainMenu*>(f->Components(i))) return mm;
  return nullptr;
}

void PaintBar(TCustomForm* f, TCanvas& c, const TRect& bar) {
  TMainMenu* mm = MainMenuOf(f);
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(clMenu);
  c.FillRect(bar);
  if (!mm) return;
  c.Font()->Assign(*f->Font());
  auto layout = mm->BarLayout();
  for (std::size_t i = 0; i < layout.size(); ++i) {
    auto [it, r] = layout[i];
    if (static_cast<int>(i) == mm->OpenIndex()) {
      TRect e = r;
      c.DrawEdge(e, BDR_SUNKENOUTER, BF_RECT);
      OffsetRect(r, 1, 1);
    } else if (static_cast<int>(i) == mm->HotIndex()) {
      TRect e = r;
      c.DrawEdge(e, BDR_RAISEDINNER, BF_RECT);
    }
    c.Font()->SetColor(clMenuText);
    unsigned fmt = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    if (it->Enabled()) {
      c.Brush()->SetStyle(bsClear);
      c.DrawText(it->Caption(), r, fmt);
    } else {
      ctlutil::DisabledText(c, it->Caption(), r, fmt);
    }
  }
}

void PressBar(TCustomForm* f, int x, int y, bool press) {
  TMainMenu* mm = MainMenuOf(f);
  if (!mm) return;
  if (press) mm->EndBarMode();
  auto layout = mm->BarLayout();
  for (std::size_t i = 0; i < layout.size(); ++i)
    if (PtInRect(layout[i].second, {x, y})) {
      int index = static_cast<int>(i);
      if (mm->OpenIndex() >= 0) {
        // A drop-down of this bar is open: another item takes its place
        // (on a press or as the mouse passes); a press on its own item closes it.
        if (index != mm->OpenIndex()) gPendingBar = {mm, index, false};
        if (press || index != mm->OpenIndex()) CloseMenus();
        return;
      }
      if (press) mm->OpenItem(index);
      return;
    }
}
}  // namespace

void InstallMenuHandlers() {
  ui_internal::MenuBarPainter() = PaintBar;
  ui_internal::MenuBarPress() = PressBar;
  // Alt alone closes an open menu, leaves bar mode, or enters it.
  ui_internal::MenuAltAlone() = [](TCustomForm* f) {
    if (gTracker) {
      CloseMenus();
    } else if (gBarMode) {
      gBarMode->EndBarMode();
    } else if (TMainMenu* mm = f ? MainMenuOf(f) : nullptr) {
      mm->StartBarMode();
    }
  };
  ui_internal::MenuModeCancel() = [] {
    if (gBarMode) gBarMode->EndBarMode();
  };
  SetShortCutHandler(HandleShortCut);
  SetPopupMenuHandler([](TComponent* menu, int x, int y) {
    auto* pm = dynamic_cast<TPopupMenu*>(menu);
    if (pm && pm->AutoPopup()) pm->Popup(x, y);
  });
}
