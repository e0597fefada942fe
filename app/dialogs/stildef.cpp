// The text-attribute dialog (stildef.h).
#include "app/dialogs/stildef.h"

TfrmStilDef::TfrmStilDef(TComponent* owner)
    : TfrmSettingsDialog(owner, "frmStilDef", "Textattribute", "TEXTATTRIBUTE", 53, 300, 170, false) {
  const int top = kToolPanelHeight + 14;
  cbBold = AddCheckBox(this, this, "cbBold", "&Fett", 16, top, 120);
  cbItalic = AddCheckBox(this, this, "cbItalic", "&Kursiv", 16, top + 28, 120);
  cbUnderline = AddCheckBox(this, this, "cbUnderline", "&Unterstrichen", 16, top + 56, 120);
  cbUnderline->OnClick = [this](TObject*) { UpdateUnderlineColour(); };
  lblTextColor = AddLabel(this, this, "&Text Farbe", 160, top - 2);
  cmbTextColor = MakeColourList(this, this, "cmbTextColor", 160, top + 14, 120);
  lblTextColor->SetFocusControl(cmbTextColor);
  lblUnderColor = AddLabel(this, this, "U&nterstrich Farbe", 160, top + 44);
  cmbUnderColor = MakeColourList(this, this, "cmbUnderColor", 160, top + 60, 120);
  lblUnderColor->SetFocusControl(cmbUnderColor);
  FirstFocus = cbBold;
}

void TfrmStilDef::SetAttributes(const TextAttributes& attr, bool showUnderline) {
  showUnderline_ = showUnderline;
  cbBold->SetChecked(attr.Styles & tsBold);
  cbItalic->SetChecked(attr.Styles & tsItalic);
  cbUnderline->SetChecked(attr.Styles & tsUnderline);
  cmbTextColor->SetItemIndex(ColourListIndex(attr.TextColour));
  cmbUnderColor->SetItemIndex(ColourListIndex(attr.UnderlineColour));
  for (TControl* c : std::initializer_list<TControl*>{cbUnderline, lblUnderColor, cmbUnderColor})
    c->SetVisible(showUnderline);
  UpdateUnderlineColour();
}

void TfrmStilDef::GetAttributes(TextAttributes& attr) const {
  auto bit = [&attr](uint32_t b, bool on) { attr.Styles = on ? attr.Styles | b : attr.Styles & ~b; };
  bit(tsBold, cbBold->Checked());
  bit(tsItalic, cbItalic->Checked());
  if (showUnderline_) bit(tsUnderline, cbUnderline->Checked());
  if (cmbTextColor->ItemIndex() >= 0) attr.TextColour = static_cast<uint8_t>(cmbTextColor->ItemIndex());
  if (showUnderline_ && cmbUnderColor->ItemIndex() >= 0)
    attr.UnderlineColour = static_cast<uint8_t>(cmbUnderColor->ItemIndex());
}

void TfrmStilDef::UpdateUnderlineColour() {
  const bool on = cbUnderline->Checked();
  cmbUnderColor->SetEnabled(on);
  lblUnderColor->SetEnabled(on);
}

int ShowTextAttrDialog(TextAttributes& attr, bool showUnderline, const AnsiString& title, const AnsiString& element) {
  auto* f = new TfrmStilDef(Application);
  f->SetCaption(title + " / " + element);
  f->SetAttributes(attr, showUnderline);
  TextAttributes copy = attr;
  const int result = ShowModalAndFree(f, [&] { f->GetAttributes(copy); });
  if (result == mrOk) attr = copy;
  return result;
}
