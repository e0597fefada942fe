// TfrmStilDef "Textattribute": the look of one element of a day page (an
// attribute block of the display settings): bold, italic, underline and
// the text colour, and for hyperlinks the underline colour, from the
// colour table. Its caption names the dialog it was opened from and the
// element ("Darstellung: Geburtstage / Name").
#pragma once

#include "app/dialogs/dlgframe.h"
#include "app/settings/settings.h"

class TfrmStilDef : public TfrmSettingsDialog {
  ORV_CLASS(TfrmStilDef, TfrmSettingsDialog)

 public:
  explicit TfrmStilDef(TComponent* owner);
  TCheckBox *cbBold, *cbItalic, *cbUnderline;
  TLabel *lblTextColor, *lblUnderColor;
  TComboBox *cmbTextColor, *cmbUnderColor;

  // The block into the controls; the underline controls shown only with
  // `showUnderline`.
  void SetAttributes(const TextAttributes& attr, bool showUnderline);
  // The controls into the block: the style bits the dialog shows (bold,
  // italic and, when shown, underline; other bits kept) and the colours
  // whose list has a selection (a list without one keeps the number).
  void GetAttributes(TextAttributes& attr) const;

 private:
  // The underline colour is chosen only for underlined text.
  void UpdateUnderlineColour();
  bool showUnderline_ = false;
};

// Shows the dialog on a copy of the block with the caption Title + " / " +
// Element; on OK the block takes the dialog's values. The modal result.
int ShowTextAttrDialog(TextAttributes& attr, bool showUnderline, const AnsiString& title, const AnsiString& element);
