// The notice after saving an own template (onsave.h).
#include "app/templates/onsave.h"

#include "app/editors/entryform.h"
#include "app/settings/settings.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/keyboard.h"
#include "resources/pictures.h"

namespace {

constexpr int kWidth = 440, kButtonHeight = 25, kButtonWidth = 80, kPanelHeight = 33, kMargin = 12;

TLabel* Paragraph(TfrmOnSave* f, const char* name, const AnsiString& text, int top, int height) {
  auto* l = new TLabel(f);
  l->SetName(name);
  l->SetParent(f);
  l->SetAutoSize(false);
  l->SetWordWrap(true);
  l->SetCaption(text);
  l->SetBounds(kMargin, top, kWidth - 2 * kMargin, height);
  return l;
}

}  // namespace

TfrmOnSave::TfrmOnSave(TComponent* owner) : TOrvelanForm(owner) {
  SetFormName("frmOnSave");
  SetCaption("Hinweis");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientSize(kWidth, 236);
  Font()->SetName("Arial");
  Font()->SetHeight(-13);
  SetKeyPreview(true);

  pnlButtons = new TPanel(this);
  pnlButtons->SetName("pnlButtons");
  pnlButtons->SetParent(this);
  pnlButtons->SetCaption("");
  pnlButtons->SetBounds(0, 0, kWidth, kPanelHeight);
  pnlButtons->SetAlign(alTop);
  auto button = [this](const char* name, const AnsiString& caption, TToolPicture picture, int left) {
    TExplorerButton* b = MakeFlatButton(this, pnlButtons, name, caption);
    b->SetBitmap(ToolPicture(picture).get());
    b->SetBounds(left, 4, kButtonWidth, kButtonHeight);
    return b;
  };
  pbHilfe = button("pbHilfe", "Hilfe", tpHelp, 4);
  pbHilfe->OnClick = [this](TObject*) { ShowHelp(); };
  pbExit = button("pbExit", CP1252("Schließen").str(), tpClose, kWidth - kButtonWidth - 4);
  pbExit->OnClick = [this](TObject*) { Close(); };

  Label1 = Paragraph(this, "Label1",
                     CP1252("Wenn Sie eine besonders gelungene Vorlge kreiert haben und diese den anderen "
                                "Anwendern zugänglich machen wollen, schicken Sie die RTF-Datei per E-Mail oder "
                                "Post an den Autoren.").str(),
                     kPanelHeight + 12, 52);
  Label2 = Paragraph(this, "Label2",
                     CP1252("Ihre Vorlage wird auf der Orvelan-Homepage im Internet zum Download bereitgestellt "
                                "und/oder der kommenden Ausgabe der Orvelan als Standardvorlage beigelegt werden.").str(),
                     kPanelHeight + 72, 52);
  Label3 = Paragraph(this, "Label3", CP1252("Unter \"Hilfe\" finden Sie die möglichen Kontaktadressen.").str(),
                     kPanelHeight + 132, 20);
  cbRTFHinweis = new TCheckBox(this);
  cbRTFHinweis->SetName("cbRTFHinweis");
  cbRTFHinweis->SetParent(this);
  cbRTFHinweis->SetCaption("Hinweis nicht mehr anzeigen.");
  cbRTFHinweis->SetBounds(kMargin, kPanelHeight + 166, kWidth - 2 * kMargin, 20);

  OnCreate = [this](TObject*) {
    SetFormKey("RTF-HINWEIS");
    SetHelpContext(7);
  };
  OnShow = [this](TObject*) { ReadPosition(); };
  OnHide = [this](TObject*) { WritePosition(); };
  OnKeyUp = [this](TObject* s, Word& key, TShiftState shift) { FormKeyUp(s, key, shift); };
}

void TfrmOnSave::FormKeyUp(TObject*, Word& key, TShiftState) {
  if (key == VK_RETURN || key == VK_ESCAPE) Close();
}

void ShowOnSave() {
  TfrmOnSave* f = nullptr;
  Application->CreateForm(f);
  f->ShowModal();
  TemplateNotice = !f->cbRTFHinweis->Checked();
  delete f;
}
