// TfrmOnSave: the notice after an own template was saved. It asks the user
// to share a well-made template and offers to be left out from now on.
#pragma once

#include "app/base/orvform.h"
#include "platform/ui/stdctrls.h"
#include "widgets/explorerbtn.h"

class TfrmOnSave : public TOrvelanForm {
  ORV_CLASS(TfrmOnSave, TOrvelanForm)

 public:
  explicit TfrmOnSave(TComponent* owner);

  TPanel* pnlButtons;
  TExplorerButton* pbHilfe;
  TExplorerButton* pbExit;
  TLabel* Label1;
  TLabel* Label2;
  TLabel* Label3;
  TCheckBox* cbRTFHinweis;

 private:
  void FormKeyUp(TObject* sender, Word& key, TShiftState shift);
};

// Shows the notice modally; afterwards TemplateNotice is whether it is to
// come again (the box "Hinweis nicht mehr anzeigen." not ticked).
void ShowOnSave();
