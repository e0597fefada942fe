// The frame of the settings dialogs (display settings, text attributes,
// parameters, place picker, print setup and font dialog): the tool panel at
// the top with "Hilfe" at the left, the confirming button 4 pixels from the
// right edge and "Abbruch" 1 pixel left of it; Enter confirms while the
// confirming button is enabled, Escape cancels, F1 is "Hilfe" (the dialogs'
// further buttons are in their Tab order); the placement is kept under the
// dialog's form key. And the parts several of them share: the colour
// list of the colour table and the lists of fonts and sizes.
//
// Invariants: a dialog edits a copy of its settings and hands it back only
// when it ends with OK (result 1); the buttons stand where the frame
// placed them after every resize.
#pragma once

#include "app/base/orvform.h"
#include "app/windows/winparts.h"
#include "platform/ui/stdctrls.h"
#include "widgets/smallwidgets.h"

class TfrmSettingsDialog : public TOrvelanForm {
  ORV_CLASS(TfrmSettingsDialog, TOrvelanForm)

 public:
  // A dialog of the client size; `sizeable` gives a sizeable border and a
  // size bar at the bottom.
  TfrmSettingsDialog(TComponent* owner, const char* name, const AnsiString& caption, const AnsiString& formKey,
                     int helpContext, int clientWidth, int clientHeight, bool sizeable);

  TPanel* pnlTop;
  TBevel* bvlTop;
  TExplorerButton *pbHilfe, *pbCancel, *pbOk;
  TSizeBar* SizeBar = nullptr;  // sizeable dialogs only

 protected:
  // OK: closes with result 1 (a dialog may check its input first).
  virtual void pbOkClick();
  // After the placement is read, when the dialog is shown.
  virtual void DialogShow() {}
  // After every resize, once the buttons are placed.
  virtual void DialogResize() {}
  void PlaceButtons();
  // The control that takes the focus when the dialog is shown.
  TWinControl* FirstFocus = nullptr;

 private:
  void FormKeyDown(Word& key);
};

// A label in the dialog's font.
TLabel* AddLabel(TComponent* owner, TWinControl* parent, const AnsiString& caption, int left, int top);
// A check box of the caption at (left, top).
TCheckBox* AddCheckBox(TComponent* owner, TWinControl* parent, const char* name, const AnsiString& caption, int left,
                       int top, int width);

// A fixed drop-down list of the 16 colour numbers, each item drawn as a
// swatch of its ColorTable colour (item texts "0" .. "15").
TComboBox* MakeColourList(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width);
// The list's index of a colour number: -1 (no selection) outside 0..15.
int ColourListIndex(int colourNumber);

// The sorted list of the screen's fonts and the list of the font sizes
// 8 .. 36 the dialogs offer.
TComboBox* MakeFontList(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width);
TComboBox* MakeSizeList(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width);
// Selects the item equal to the text; no selection when there is none.
void SelectItem(TComboBox* list, const AnsiString& text);

