// TfrmSchrift "Schrift": one text style of a printed list's page block:
// font, size, bold, italic, underline and the text colour from the colour
// table; "Absatz" opens the paragraph dialog on the style's indents and
// spacing.
//
// Invariants: the dialog works on its own copy of the style, handed back
// only on OK (a paragraph change made meanwhile included); a font or size
// the lists do not hold leaves its list without a selection and the stored
// value as it was.
#pragma once

#include "app/dialogs/dlgframe.h"
#include "app/settings/settings.h"

class TfrmSchrift : public TfrmSettingsDialog {
  ORV_CLASS(TfrmSchrift, TfrmSettingsDialog)

 public:
  explicit TfrmSchrift(TComponent* owner);
  TExplorerButton* pbParProps;
  TLabel *lblFonts, *lblSize, *lblColor;
  TComboBox *cmbFonts, *cmbSize, *cmbTextColor;
  TCheckBox *cbBold, *cbItalic, *cbUnderline;

  // The style into the controls, and the controls into it.
  void SetStyle(const TextStyleSettings& style);
  const TextStyleSettings& Style();
  // "Absatz": the paragraph dialog on the copy's paragraph block.
  void pbParPropsClick();

 private:
  TextStyleSettings style_;
};

// Shows the dialog on a copy of the style; true and the style changed on OK.
bool ShowSchrift(TextStyleSettings& style);
