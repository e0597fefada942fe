// The paragraph dialog "Absatz": hanging, left and right indent (group
// " Einzug ") and space before, line height and space after (group
// " Abstand ") of a paragraph record, in twips.
#pragma once

#include "app/settings/settings.h"
#include "app/windows/measuredlg.h"

class TfrmParProps : public TfrmMeasureDialog {
  ORV_CLASS(TfrmParProps, TfrmMeasureDialog)

 public:
  explicit TfrmParProps(TComponent* owner);
  TGroupBox *grpEinzug, *grpAbstand;

  // The record into the array (1 hanging … 6 space after) and back.
  void SetRecord(const ParagraphSettings& p);
  ParagraphSettings Record() const;
};

// Shows the dialog on a copy of the record; on OK the record takes the
// values and the result is true; Cancel leaves it unchanged.
bool ShowParProps(ParagraphSettings& record);
