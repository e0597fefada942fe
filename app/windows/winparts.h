// Building blocks of the program's smaller windows (data window, saying
// window, warner, paragraph and page dialogs): the panel of tool buttons at
// the top with the line under it, explorer buttons with their pictures,
// plain panels and labels, the keys of a window that creates something,
// German hints of the rich-text tool bar, the hourglass while something
// takes long, writing into a read-only page, and the show routine that runs
// a window modally and frees it.
//
// Invariants: every part made here is owned by the window given as owner,
// so the window frees it; a tool button without an action is disabled.
#pragma once

#include <functional>
#include <initializer_list>

#include "app/base/orvform.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "resources/pictures.h"
#include "richtext/bars/toolbar.h"
#include "richtext/controls/richtext.h"
#include "richtext/controls/rtfedit.h"
#include "widgets/explorerbtn.h"
#include "widgets/smallwidgets.h"

// Sizes of the tool panel and its buttons.
constexpr int kToolPanelHeight = 46;
constexpr int kToolButtonWidth = 72, kToolButtonHeight = 42;

// The Escape that closes a window (on its key-up): taken from the focused
// control on its way down, so that no control throws away what was typed
// (an edit reverting its text) before the window keeps or saves what it
// shows. An open drop-down keeps it to close itself.
class TEscapeToClose {
 public:
  // From the window's key preview: a key going down, a character.
  void KeyDown(Word& key);
  void KeyPress(char& key);

 private:
  bool taken_ = false;  // the Escape's character is still to come
};

// The keys of a window that creates something (a sheet, a list) with its
// "Erstellen" button, as in the other windows: its tool buttons are in the
// Tab order, left to right as given, Strg+P presses "Erstellen" (named in
// its hint), and Enter creates on its key-up, but only an Enter that went
// down in the window: one a focused tool button took to press itself, or
// one from a window closed by it, has done its work.
class TCreateKeys {
 public:
  void Setup(std::initializer_list<TExplorerButton*> tools, TExplorerButton* create);
  // From the window's key preview: a key going down; one going up, true
  // for Enter (then used up).
  void KeyDown(Word& key, TShiftState shift);
  bool KeyUp(Word& key);

 private:
  TExplorerButton* create_ = nullptr;
  bool enterDown_ = false;
};

// Widths in pixels of the date and the time edits of every dialog; set
// when the main window is first shown.
extern int DateEditWidth, TimeEditWidth;
// Such a width for a sample ("__.__.____", "__:__") in a font: the sample's
// width plus 7, and at least what an edit needs to show the sample's date
// or time in its widest digits unscrolled.
int DateTimeEditWidth(const TFont& font, const char* sample);

// The look the smaller windows share: button face, Arial of 13 pixels, and
// key preview (the windows' own keys and F1 come before the controls').
void SetWindowLook(TForm* form);
// Hilfe, Abbruch and Ok on a dialog's tool panel: Hilfe opens the window's
// help, Abbruch ends it with mrCancel, Ok runs onOk.
void MakeDialogButtons(TOrvelanForm* form, TPanel* panel, TExplorerButton*& help, TExplorerButton*& cancel,
                       TExplorerButton*& ok, TNotifyEvent onOk);
// A dialog's Enter and Escape: Enter confirms through `confirm` only while
// `ok` may be used, Escape ends the dialog with mrCancel; either is used up.
void DialogEnterEscape(TCustomForm* form, Word& key, TControl* ok, const std::function<void()>& confirm);
// The size bar along the bottom of the parent.
TSizeBar* MakeSizeBar(TComponent* owner, TWinControl* parent, int height);
// A read-only page filling the parent (WPRichText1): Arial of 13 pixels,
// wrapped, with a vertical scroll bar; only code writes into it.
TWPRichText* MakePageView(TComponent* owner, TWinControl* parent);

// A panel without bevel or caption.
TPanel* MakePanel(TComponent* owner, TWinControl* parent, const char* name);
// The top panel of tool buttons (kToolPanelHeight, aligned at the top) and
// the line under it.
TPanel* MakeToolPanel(TComponent* owner, TWinControl* parent, TBevel*& line);
// An explorer button of kToolButtonWidth x kToolButtonHeight with its
// picture over the caption, vertically centred in the panel.
TExplorerButton* MakeToolButton(TComponent* owner, TPanel* panel, const char* name, const AnsiString& caption,
                                TButtonPicture picture, TNotifyEvent onClick);
// Strg and the (upper-case) letter, from a window's key preview, as a press
// of its tool button while that is in use; the key is then used up. The
// button's hint names the key.
bool CtrlKeyPresses(Word& key, TShiftState shift, char letter, TExplorerButton* button);
// The hints of a window's "Drucken" and "Kopieren" buttons, with their keys
// Strg+P and Strg+C.
void HintPrintAndCopyKeys(TExplorerButton* print, TExplorerButton* copy);
// In a window whose Left and Right keys are its own (taken on their key-up):
// true for the dialog key of such an arrow on a focused tool button, which
// is then answered as unused, so that the button keeps the focus instead of
// handing it to its neighbour.
bool ArrowOnToolButton(const TCustomForm* form, TMessage& m);
TLabel* MakeLabel(TComponent* owner, TWinControl* parent, const char* name, const AnsiString& caption, int left,
                  int top);
// The window width that a row of buttons in `panel` needs, 4 pixels in from
// both edges and one apart, with the window's frame: the buttons shown only.
int ButtonRowWindowWidth(const TWinControl* panel);
// A list grid's height for its titles and `rows` whole rows, and its width
// for each column whole beside a vertical scroll bar (the last column,
// which takes the rest, as wide as Selected makes it).
class TwwDBGrid;
int GridRowsHeight(TwwDBGrid* grid, int rows);
int GridColumnsWidth(TwwDBGrid* grid);

// The rich-text tool bar's icons named in German in their hints (the
// engine's own hints are English).
void SetGermanHints(TWPToolBar* bar);
// The hint of a text that takes Tab itself: how the keyboard leaves it.
void HintTabKeys(TWPCustomRtfEdit* text);
// Puts the icons of a bar that has built them into the Tab order (its
// combos and the buttons added to it are there already).
void TabThroughToolBar(TWPToolBar* bar);

// The hourglass while it lives, the default cursor after.
class THourGlass {
 public:
  THourGlass();
  ~THourGlass();
  THourGlass(const THourGlass&) = delete;
  THourGlass& operator=(const THourGlass&) = delete;
};

// Lets code write into a read-only rich-text control (the page builders, the
// samples) until the returned guard ends; then it is read-only as before.
[[nodiscard]] inline auto AllowWriting(TWPCustomRtfEdit* edit) {
  const bool readOnly = edit->ReadOnly();
  edit->SetReadOnly(false);
  return TScopeExit{[edit, readOnly] { edit->SetReadOnly(readOnly); }};
}

// Shows the window modally, lets `beforeFree` read it, then removes it from
// the application's components and frees it (also when showing raised);
// the modal result.
int ShowModalAndFree(TCustomForm* form, const std::function<void()>& beforeFree = {});
