// TfrmDruSetup "Druckeinstellungen": the page block of a printed list: its
// title, its three text styles "Titel", "Untertitel" and "Text" (each
// opened in the font dialog) with a live sample of them, and the page
// ("Seite": paper and margins in the page dialog).
//
// Invariants: the dialog works on its own copy of the block, handed back
// only on OK with the title cut to 40 characters; the sample always shows
// the copy's styles and the title as typed.
#pragma once

#include "app/dialogs/dlgframe.h"
#include "app/settings/settings.h"
#include "richtext/controls/richtext.h"

class TfrmDruSetup : public TfrmSettingsDialog {
  ORV_CLASS(TfrmDruSetup, TfrmSettingsDialog)

 public:
  explicit TfrmDruSetup(TComponent* owner);
  TExplorerButton* pbSeite;
  TPanel *pnlOben, *pnlRight, *pnlClient;
  TLabel* lblTitel;
  TEdit* editTitel;
  TExplorerButton *pbTitel, *pbUntertitel, *pbText;
  TWPRichText* WPRichText1;

  void SetBlock(const PageSettings& block);
  // The copy with the title as typed (cut to 40 characters).
  const PageSettings& Block();
  // The sample of the three styles, rebuilt.
  void RefreshSample();
  // The font dialog on a style (psTitle, psSubtitle, psBody) of the copy.
  void EditStyle(int style);
  // "Seite": the page dialog on the copy's page.
  void pbSeiteClick();
  int SamplesBuilt() const { return samplesBuilt_; }

 protected:
  void DialogShow() override;
  void DialogResize() override;
  TPoint MinimumSize() override;

 private:
  void SetSampleWidth();
  PageSettings block_;
  int samplesBuilt_ = 0;
};

// Shows the dialog on a copy of the block; on OK the block takes it.
void ShowDruSetup(PageSettings& block);
