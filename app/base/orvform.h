// TOrvelanForm: the base of the program's windows (all but the conversion
// progress window and the autostart notice). Each window names its ini
// section (FormKey) and its help context in its creation handler, calls
// ReadPosition when it is shown and WritePosition when it is hidden; the
// placement then survives a restart.
//
// Keys of the section FormKey in "Orvelan.Ini": "Maximiert", "Links",
// "Oben", and for a sizeable border "Breite" and "Hoehe"; a data grid's
// column n is kept under GridColumnKey(grid name, n), for every data grid
// the window owns.
// Invariants: a placement read back is at least the window's minimum size
// and lies on the screen (right and bottom edges pulled in, then left and
// top at least 0); a minimised window keeps
// the last normal placement in the file; a fixed-border window never reads
// or writes a size.
#pragma once

#include "platform/rtl/inifiles.h"
#include "platform/ui/forms.h"

// "gridLage Col. 0".
AnsiString GridColumnKey(const AnsiString& gridName, int column);

class TOrvelanForm : public TForm {
  ORV_CLASS(TOrvelanForm, TForm)

 public:
  explicit TOrvelanForm(TComponent* owner);
  // F1 anywhere in the window (WM_HELP) opens the window's help; a text
  // pasted into a field and cut at its room (EN_MAXTEXT) is answered with
  // a message naming the field's room.
  void Dispatch(TMessage& m) override;
  // A character typed into a full text field is refused with a beep (with
  // key preview on), whatever the control does with keys beyond its room;
  // a blank at the start of a one-line field, or one with no room, is not
  // taken, unasked.
  void KeyPress(char& key) override;
  // The window's smallest size, for the user's resizing and for a stored
  // placement; a part that is 0 (both by default) leaves the system's.
  virtual TPoint MinimumSize() { return {0, 0}; }

  // The window's component name. A second window of the same kind open at
  // the same time (a list opened again from the editor it opened) is
  // numbered, "_1", "_2" …, as the library names a second instance of a
  // form; its form key, and so its placement, stays the same.
  void SetFormName(const AnsiString& name);
  // The ini section of the window; at most 31 characters.
  const AnsiString& FormKey() const { return formKey_; }
  void SetFormKey(const AnsiString& key);
  // The help context the window's help button opens.
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }

  // Placement and grid column widths from / into the ini file.
  void ReadPosition();
  void WritePosition();
  // Single integers of the window's section.
  int ReadIntegerParam(const AnsiString& key, int def);
  void WriteIntegerParam(const AnsiString& key, int value);
  // While the window is active, the last column of each data grid fills
  // the grid's width.
  void OptimizeGrids();
  // The help button: the help of the window's context.
  void ShowHelp();

 private:
  // The data grids (TwwDBGrid) among the window's components, in component
  // order: the width of each column 0 .. GetColCount-1, indicator included,
  // under GridColumnKey(grid name, n); reading keeps the current width where
  // nothing is stored.
  void ReadGridWidths(TIniFile& ini);
  void WriteGridWidths(TIniFile& ini);
  // Each data grid's last column fills the grid's client width.
  void StretchGridColumns();
  // The message that a field holds no more than maxLength characters.
  void TellFieldRoom(int maxLength);

  AnsiString formKey_;
  int helpContext_ = 0;
};
