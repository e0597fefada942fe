// The person list (listpers.h).
#include "app/editors/listpers.h"

#include <memory>

#include "app/editors/perserf.h"
#include "app/windows/winparts.h"
#include "platform/rtl/cp1252.h"
#include "resources/pictures.h"

TfrmListPers::TfrmListPers(TComponent* owner, bool showErfassen)
    : TEntryList(owner, "frmListPers", CP1252("Erfaßte Personen").str(), "XEIGE_NAME", etPerson) {
  SetClientWidth(520);  // the three columns side by side
  SetFormKey("LISTE: PERSONEN");
  SetHelpContext(48);
  pbErfassen = ToolButton("pbErfassen", "Erfassen", 86);
  pbErfassen->SetBitmap(ToolPicture(tpRecord).get());
  pbErfassen->SetLeft(pbHilfe->Left() + pbHilfe->Width() + 1);
  pbErfassen->SetVisible(showErfassen);
  pbErfassen->OnClick = [this](TObject*) {
    int id = CurrentId();
    ShowPersErf(id);
    PositionOnPerson(id);
  };
  editGoto = new TEdit(this);
  editGoto->SetName("editGoto");
  editGoto->SetParent(pnlGoto);
  editGoto->SetBounds(lblGoto->Left() + 60, 6, 200, 21);
  editGoto->OnKeyUp = [this](TObject*, Word&, TShiftState) { RestartTimer(); };
  SetColumns({"EIGE_NACHNAME\t25\tName", "EIGE_VORNAME\t23\tVorname", "EIGE_DATUM\t12\tGeburtsdatum"});
  OnShow = [this](TObject*) {
    ReadPosition();
    PlaceButtons();
    if (editGoto->CanFocus()) editGoto->SetFocus();
  };
}

void TfrmListPers::SearchTyped() { FindNearestEntry(tblEige, etPerson, editGoto->Text()); }

void TfrmListPers::PositionOnPerson(int id) { ::PositionOnPerson(tblEige, id); }

TPoint TfrmListPers::MinimumSize() {
  return ListMinimumSize(editGoto);
}

bool ShowListPers(int& personId, bool showErfassen) {
  std::unique_ptr<TfrmListPers> f(new TfrmListPers(Application, showErfassen));
  f->AfterConstruction();
  f->PositionOnPerson(personId);
  if (f->ShowModal() != mrOk) return false;
  personId = f->CurrentId();
  return true;
}
