// The measure dialogs: the common part of the paragraph dialog and the page
// dialog. Each edits six twips values of a record, kept in an array indexed
// 1 to 6; every value edit carries its index in its Tag and shows its value
// in the unit chosen in "Maße:" (centimetres, inches or twips). The top
// panel holds "Hilfe" at the left, the confirming button 4 pixels from the
// right edge and "Abbruch" 1 pixel left of it.
//
// Invariants:
//  - a value changes only when the user edited its text: showing the
//    values (at the start or after a change of unit) converts nothing
//    back, so opening and confirming returns the record unchanged;
//  - a text being typed that is no number yet ("1," or "-") leaves the
//    value as it was and raises nothing; OK refuses, with a German message
//    naming the field, while an edited text is no number;
//  - Cancel and Escape leave the caller's record unchanged.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "app/base/orvform.h"
#include "app/windows/winparts.h"

// The units of "Maße:".
enum TMeasureUnit { muCm = 0, muInch = 1, muTwips = 2 };

// A twips value as the dialogs show it: centimetres and inches with two
// decimals in the decimal comma, twips as a whole number.
AnsiString TwipsToUnitText(int32_t twips, int unit);
// A typed text in twips: empty counts as 0; centimetres are multiplied by
// 566.929, inches by 1440, and the result goes to the nearest whole number,
// halves to the even one. False (twips unchanged) for a text that is no
// number or a value beyond the 32-bit range.
bool UnitTextToTwips(const AnsiString& text, int unit, int32_t& twips);

class TfrmMeasureDialog : public TOrvelanForm {
  ORV_CLASS(TfrmMeasureDialog, TOrvelanForm)

 public:
  TfrmMeasureDialog(TComponent* owner, const char* name, const AnsiString& caption, const AnsiString& formKey,
                    int helpContext);

  TPanel* pnlTop;
  TBevel* bvlTop;
  TExplorerButton *pbHilfe, *pbCancel, *pbOk;
  TLabel* lblUnits;
  TComboBox* cmbUnits;
  // The six value edits (Edit1 .. Edit6, index 0 .. 5) and their labels.
  TEdit* Edits[6] = {};
  TLabel* EditLabels[6] = {};

  // The values, index 1 to 6 (index 0 unused).
  int32_t Value(int index) const { return values_[index]; }
  void SetValue(int index, int32_t twips) { values_[index] = twips; }
  int Unit() const { return cmbUnits->ItemIndex(); }

  // Every value edit shows its value in the chosen unit; every label with
  // Tag 1 the unit's name. Nothing is converted back.
  void ShowValues();
  // The user changed a value edit's text: its value follows when the text
  // is a number.
  void EditChange(TEdit* edit);
  // OK: every edited text must be a number; closes with result OK, or says
  // which field is no number and stays open.
  void pbOkClick();

 protected:
  // A group box with the value edits of the indexes given, in rows, after
  // `freeRows` rows left for other controls.
  TGroupBox* MakeGroup(const char* name, const AnsiString& caption, int top,
                       const std::vector<std::pair<int, AnsiString>>& rows, int freeRows = 0);
  // Height of a group box of n rows, and the top of row n in it.
  static int GroupHeight(int rows);
  static int RowTop(int row);
  // Left edge and width of the value edits in a group.
  static int EditLeft();
  static int EditWidth();
  void PlaceButtons();

 private:
  void FormKeyDown(TObject* sender, Word& key, TShiftState shift);
  void cmbUnitsChange();

  int32_t values_[7] = {};
  bool showing_ = false;
  // Value edits whose text the user typed and that is no number (yet).
  bool invalid_[7] = {};
};
