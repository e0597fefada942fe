// Menus: menu items in a tree, the form's main menu and popup menus, and the
// shortcut keys that reach them from anywhere in a form.
// Invariants:
//  - An item belongs to at most one parent item; a parent frees its items.
//  - A popup menu runs modally: Popup returns only after the menu closed, and
//    the chosen item's OnClick runs after the menu windows are gone.
//  - While a menu is open every key goes to it; a press outside closes it.
//  - Shortcuts: the popup menus of the focused control and its parents are
//    asked first, then the main menus owned by the focused control's form.
//  - Accelerator letters: a letter shared by several items steps through
//    them. Alt+letter with no menu open goes to the first bar item with it;
//    with a drop-down open, a letter (Alt held or not) that no item of the
//    drop-down has goes to the next bar item after the open one. Inside an
//    open menu a letter that several items share only moves the highlight
//    to the next of them; a letter of one item chooses it.
//  - Alt pressed and released alone puts at most one main menu in bar mode:
//    a bar item highlighted, no drop-down, the keys going to the bar; the
//    next Alt alone, Escape, another key or a mouse press ends it.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/forms.h"

using TShortCut = Word;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(Word key, TShiftState shift);
void ShortCutToKey(TShortCut sc, Word& key, TShiftState& shift);
// German key names as a menu shows them ("Strg+Entf", "Umschalt+F1").
AnsiString ShortCutToText(TShortCut sc);
// The caption without its accelerator marks ("&&" stays one "&").
AnsiString StripHotkey(const AnsiString& caption);

class TMenu;
class TMenuItem;
// The caption an item of a drop-down shows, with the accelerator letter
// that its level gives it when it has none of its own.
AnsiString ShownMenuCaption(const TMenuItem* item);

class TMenuItem : public TComponent {
  ORV_CLASS(TMenuItem, TComponent)

 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& s) {
    caption_ = s;
    Changed();
  }
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut s) { shortCut_ = s; }
  bool Checked() const { return checked_; }
  // A radio item unchecks the checked radio items of its group among its siblings.
  void SetChecked(bool v);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool v) { radioItem_ = v; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v) { groupIndex_ = v; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) {
    enabled_ = v;
    Changed();
  }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) {
    visible_ = v;
    Changed();
  }
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& s) { hint_ = s; }
  // A caption of "-" makes a separator line.
  bool IsLine() const { return caption_ == "-"; }

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int i) const { return items_.at(static_cast<std::size_t>(i)); }
  TMenuItem* operator[](int i) const { return Items(i); }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Delete(int index);  // removes without freeing
  void Remove(TMenuItem* item);
  void Clear();            // frees the items
  int IndexOf(const TMenuItem* item) const;
  TMenuItem* Parent() const { return parent_; }
  int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
  // Item of this level by caption (accelerator marks ignored).
  TMenuItem* Find(const AnsiString& caption) const;

  TNotifyEvent OnClick;
  virtual void Click();
  // The menu whose tree this item is in (nullptr while unattached).
  TMenu* Menu() const;

 private:
  friend class TMenu;
  // Tells the menu that holds this item that what it shows changed.
  void Changed();
  TMenu* menu_ = nullptr;  // set on the root item only
  AnsiString caption_;
  TShortCut shortCut_ = 0;
  bool checked_ = false, radioItem_ = false, enabled_ = true, visible_ = true;
  int groupIndex_ = 0;
  AnsiString hint_;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
};

class TMenu : public TComponent {
  ORV_CLASS(TMenu, TComponent)

 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  TMenuItem* Items() const { return items_.get(); }
  // Runs the enabled, visible item whose shortcut this is; true when found.
  bool IsShortCut(Word key, TShiftState shift);
  TMenuItem* FindShortCut(TShortCut sc) const;
  // What the menu shows changed (a main menu repaints its bar).
  virtual void MenuChanged() {}

 private:
  std::unique_ptr<TMenuItem> items_;
};

// The menu bar of the form that owns it (the form reserves the bar's height).
class TMainMenu : public TMenu {
  ORV_CLASS(TMainMenu, TMenu)

 public:
  explicit TMainMenu(TComponent* owner);
  ~TMainMenu() override;
  // Opens the first top-level item whose accelerator is `ch` as a
  // drop-down; true when one was found.
  bool OpenByAccel(char ch);
  // Opens (or runs) the top-level item at a bar index; opened by a key, its
  // first item is highlighted.
  void OpenItem(int index, bool byKey = false);
  // Rectangles of the visible top-level items in the bar (bar co-ordinates).
  std::vector<std::pair<TMenuItem*, TRect>> BarLayout() const;
  // The top-level item shown open (-1: none).
  int OpenIndex() const { return openIndex_; }
  // Bar mode (Alt pressed and released alone): the highlighted bar item,
  // -1 outside bar mode.
  int HotIndex() const { return hotIndex_; }
  void StartBarMode();
  void EndBarMode();
  // A key in bar mode; true when the bar took it.
  bool BarKey(Word key, TShiftState shift);
  // The first enabled bar item after index `after` (-1: from the start;
  // the search wraps) whose accelerator is `ch`; -1 when none has it.
  int AccelIndex(char ch, int after = -1) const;
  void MenuChanged() override;

 private:
  int openIndex_ = -1;
  int hotIndex_ = -1;
};

class TPopupMenu : public TMenu {
  ORV_CLASS(TPopupMenu, TMenu)

 public:
  explicit TPopupMenu(TComponent* owner);
  // Shows the menu with its top-left corner at a screen position and
  // returns when it has closed.
  virtual void Popup(int x, int y);
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool v) { autoPopup_ = v; }
  // The control that was right-clicked for the last automatic popup.
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* c) { popupComponent_ = c; }
  TNotifyEvent OnPopup;

 private:
  bool autoPopup_ = true;
  TComponent* popupComponent_ = nullptr;
};

// The open menu (tests look at and click into it): the windows of its
// levels, top level first; empty while no menu is open.
std::vector<TCustomForm*> OpenMenuWindows();
// The item under a client point of an open menu window (nullptr: none).
TMenuItem* MenuItemAt(TCustomForm* menuWindow, int x, int y);
// Client rectangle of an item in an open menu window.
TRect MenuItemRect(TCustomForm* menuWindow, const TMenuItem* item);
// Closes every open menu without choosing.
void CloseMenus();
// Installs the menu layer's popup and shortcut handlers (done by the
// first menu created; tests that reset the application call it again).
void InstallMenuHandlers();
