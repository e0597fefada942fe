// The page dialog (seite.h).
#include "app/windows/seite.h"

#include "platform/rtl/cp1252.h"

TfrmSeite::TfrmSeite(TComponent* owner)
    : TfrmMeasureDialog(owner, "frmSeite", "Seite einrichten", "SEITE EINRICHTEN", 50) {
  const int top = kToolPanelHeight + 44;
  grpFormat = MakeGroup("grpFormat", " Papierformat ", top, {{1, "Breite:"}, {2, CP1252("Höhe:").str()}}, 1);
  lblFormat = MakeLabel(this, grpFormat, "lblFormat", "Format:", 4, RowTop(0) + 3);
  cmbFormat = new TComboBox(this);
  cmbFormat->SetName("cmbFormat");
  cmbFormat->SetParent(grpFormat);
  cmbFormat->SetStyle(csDropDownList);
  cmbFormat->SetBounds(EditLeft(), RowTop(0), 160, 21);
  for (const char* f : {"A4 Hoch", "A4Quer", "Benutzerdefiniert"}) cmbFormat->Items()->Add(f);
  // Only the format taken applies: an item the arrows pass in the open list
  // changes nothing; closing the list takes the item shown, but Escape
  // takes nothing.
  cmbFormat->OnChange = [this](TObject*) {
    if (!cmbFormat->DroppedDown()) cmbFormatChange();
  };
  cmbFormat->OnCloseUp = [this](TObject*) {
    if (cmbFormat->ListCancelled())
      cmbFormat->SetItemIndex(format_);
    else if (cmbFormat->ItemIndex() != format_)
      cmbFormatChange();
  };
  grpRaender = MakeGroup("grpRaender", CP1252(" Ränder ").str(), top + grpFormat->Height() + 8,
                         {{3, "Oben:"}, {4, "Unten:"}, {5, "Links:"}, {6, "Rechts:"}});
  SetClientSize(ClientWidth(), grpRaender->Top() + grpRaender->Height() + 10);
  PlaceButtons();
  OnShow = [this](TObject*) { FormShow(); };
}

void TfrmSeite::SetRecord(const PageSettings& page) {
  const int32_t v[] = {page.PaperWidth,   page.PaperHeight, page.MarginTop,
                       page.MarginBottom, page.MarginLeft,  page.MarginRight};
  for (int i = 1; i <= 6; ++i) SetValue(i, v[i - 1]);
}

void TfrmSeite::GetRecord(PageSettings& page) const {
  page.PaperWidth = Value(1);
  page.PaperHeight = Value(2);
  page.MarginTop = Value(3);
  page.MarginBottom = Value(4);
  page.MarginLeft = Value(5);
  page.MarginRight = Value(6);
}

void TfrmSeite::FormShow() {
  ReadPosition();
  if (Value(1) == kA4Width && Value(2) == kA4Height)
    cmbFormat->SetItemIndex(pfA4Portrait);
  else if (Value(1) == kA4Height && Value(2) == kA4Width)
    cmbFormat->SetItemIndex(pfA4Landscape);
  else
    cmbFormat->SetItemIndex(pfOwn);
  cmbFormatChange();
}

void TfrmSeite::cmbFormatChange() {
  const int format = cmbFormat->ItemIndex();
  format_ = format;
  if (format == pfA4Portrait) {
    SetValue(1, kA4Width);
    SetValue(2, kA4Height);
  } else if (format == pfA4Landscape) {
    SetValue(1, kA4Height);
    SetValue(2, kA4Width);
  }
  Edits[0]->SetEnabled(format == pfOwn);
  Edits[1]->SetEnabled(format == pfOwn);
  ShowValues();
}

bool ShowPageSetupDialog(PageSettings& page) {
  TfrmSeite* f = nullptr;
  Application->CreateForm(f);
  f->SetRecord(page);
  PageSettings edited = page;
  const bool ok = ShowModalAndFree(f, [&] { f->GetRecord(edited); }) == mrOk;
  if (ok) page = edited;
  return ok;
}
