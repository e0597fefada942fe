// The person editor (perserf.h).
#include "app/editors/perserf.h"

#include <memory>

#include "app/editors/listpers.h"
#include "app/windows/winparts.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/cp1252.h"
#include "resources/editorpictures.h"

namespace {

constexpr int kClientWidth = 612, kClientHeight = 540, kFieldsHeight = 178, kClientBorder = 4;
constexpr int kEditLeft = 112, kEditHeight = 21;
constexpr int kSplitterDefault = 190;

}  // namespace

void PositionOnPerson(TwwTable* table, int id) {
  table->CancelRange();
  table->SetIndexName("XEIGE_ID");
  AnsiString last, first;
  if (table->FindKey({id})) {
    last = table->FieldByName("EIGE_NACHNAME")->AsString();
    first = table->FieldByName("EIGE_VORNAME")->AsString();
  }
  table->SetIndexName("XEIGE_NAME");
  table->SetRange({etPerson}, {etPerson});
  table->FindKey({etPerson, last, first, id});
}

TfrmPersErf::TfrmPersErf(TComponent* owner)
    : TEntryEditor(owner, "frmPersErf", "Personen erfassen", etPerson) {
  SetClientSize(kClientWidth, kClientHeight);

  pnlFields = new TPanel(this);
  pnlFields->SetName("pnlFields");
  pnlFields->SetParent(this);
  pnlFields->SetCaption("");
  pnlFields->SetBevelOuter(bvNone);
  pnlFields->SetBounds(0, pnlTools->Height() + bvlTools->Height(), kClientWidth, kFieldsHeight);
  pnlFields->SetAlign(alTop);

  lblVorname = FieldLabel("lblVorname", "Vorname:", 8, 14);
  editEigeVorname = FieldEdit("editEigeVorname", "EIGE_VORNAME", kEditLeft, 10, 200);
  lblNachname = FieldLabel("lblNachname", "Name:", 330, 14);
  editEigeNachname = FieldEdit("editEigeNachname", "EIGE_NACHNAME", 380, 10, 200);
  lblOrt = FieldLabel("lblOrt", "Geboren:", 8, 44);
  cmbEigeOrtPr = new TwwDBComboBox(this);
  cmbEigeOrtPr->SetName("cmbEigeOrtPr");
  cmbEigeOrtPr->SetParent(pnlFields);
  cmbEigeOrtPr->SetBounds(kEditLeft, 40, 76, kEditHeight);
  cmbEigeOrtPr->SetStyle(csDropDown);
  cmbEigeOrtPr->SetSorted(true);
  cmbEigeOrtPr->SetDropDownCount(8);
  cmbEigeOrtPr->SetDataSource(dsEige);
  cmbEigeOrtPr->SetDataField("EIGE_ORTPR");
  editEigeOrt = FieldEdit("editEigeOrt", "EIGE_ORT", kEditLeft + 80, 40, 196);
  lblDatum = FieldLabel("lblDatum", "Geburtsdatum:", 8, 74);
  editEigeDatum = FieldEdit("editEigeDatum", "EIGE_DATUM", kEditLeft, 70, 80);
  lblZeit = FieldLabel("lblZeit", "Zeit:", kEditLeft + 100, 74);
  editEigeZeit = FieldEdit("editEigeZeit", "EIGE_ZEIT", kEditLeft + 136, 70, 46);
  rgEigeGesch = new TDBRadioGroup(this);
  rgEigeGesch->SetName("rgEigeGesch");
  rgEigeGesch->SetParent(pnlFields);
  rgEigeGesch->SetCaption("Geschlecht ");
  rgEigeGesch->SetBounds(8, 104, 230, 46);
  rgEigeGesch->SetColumns(2);
  rgEigeGesch->Items()->Add(CP1252("männlich").str());
  rgEigeGesch->Items()->Add("weiblich");
  rgEigeGesch->Values()->Add("0");
  rgEigeGesch->Values()->Add("1");
  rgEigeGesch->SetDataSource(dsEige);
  rgEigeGesch->SetDataField("EIGE_GESCH");
  rgEigeGesch->OnChange = [this](TObject*) { UpdateSexPicture(); };
  auto picture = [this](const char* name, TEditorPicture which) {
    auto* img = new TImage(this);
    img->SetName(name);
    img->SetParent(pnlFields);
    img->SetAutoSize(true);
    img->SetTransparent(true);
    img->Picture()->SetGraphic(EditorPicture(which).get());
    img->SetLeft(250);
    img->SetTop(110);
    return img;
  };
  imgMann = picture("imgMann", epMan);
  imgFrau = picture("imgFrau", epWoman);
  BuildWarnerBlock(pnlFields, 400, 44, "Auf Geburtstag hinweisen:");

  pnlClient = new TPanel(this);
  pnlClient->SetName("pnlClient");
  pnlClient->SetParent(this);
  pnlClient->SetCaption("");
  pnlClient->SetBevelOuter(bvNone);
  pnlClient->SetBorderWidth(kClientBorder);
  pnlClient->SetAlign(alClient);
  Splitter = new TAdvSplitter(this);
  Splitter->SetName("Splitter");
  Splitter->SetParent(pnlClient);
  Splitter->SetOrientation(soHorizontal);
  Splitter->SetThickness(6);
  Splitter->SetSplitterStyle(ssCheckered);
  Splitter->SetAlign(alClient);
  // The panes are laid out again on every paint.
  Splitter->OnPaneResize = [this](TObject*) { FitGrids(); };
  BuildCodesGrid(Splitter->Pane1());
  gridEiSe->SetAlign(alClient);
  memoEigeText = new TDBMemo(this);
  memoEigeText->SetName("memoEigeText");
  memoEigeText->SetParent(Splitter->Pane2());
  memoEigeText->SetAlign(alClient);
  memoEigeText->SetScrollBars(ssVertical);
  memoEigeText->SetDataSource(dsEige);
  memoEigeText->SetDataField("EIGE_TEXT");

  // Creation: placement keys, the tables, the prepositions.
  SetFormKey("PERSONEN ERFASSEN");
  SetHelpContext(40);
  OpenTables("XEIGE_NAME");
  editEigeDatum->Picture()->SetPictureMask(kDateMask);
  editEigeZeit->Picture()->SetPictureMask("[#]#:##");
  for (const char* p : {"in", "im", "in der", "auf", "bei"}) AddPreposition(p);
  tblEige->DisableControls();
  for (tblEige->First(); !tblEige->Eof(); tblEige->Next())
    AddPreposition(tblEige->FieldByName("EIGE_ORTPR")->AsString());
  tblEige->First();
  tblEige->EnableControls();
  pbSuchen->OnClick = [this](TObject*) { SearchClick(); };
  editEigeOrt->OnKeyUp = [this](TObject*, Word&, TShiftState) {
    if ((tblEige->State() == dsEdit || tblEige->State() == dsInsert) &&
        tblEige->FieldByName("EIGE_ORTPR")->AsString().empty())
      tblEige->FieldByName("EIGE_ORTPR")->SetAsString("in");
  };
  OnShow = [this](TObject*) { FormShow(); };
  OnHide = [this](TObject*) {
    // What the user chose, not what a small window squeezed it to.
    WriteIntegerParam("Splitter Position", Splitter->ChosenPosition());
    WritePosition();
  };
  OnClose = [this](TObject*, TCloseAction&) {
    if (!tblEige->IsEmpty()) PersonId = tblEige->FieldByName("EIGE_ID")->AsInteger();
  };
}

TLabel* TfrmPersErf::FieldLabel(const char* name, const AnsiString& caption, int left, int top) {
  auto* l = new TLabel(this);
  l->SetName(name);
  l->SetParent(pnlFields);
  l->SetCaption(caption);
  l->SetLeft(left);
  l->SetTop(top);
  return l;
}

TwwDBEdit* TfrmPersErf::FieldEdit(const char* name, const char* field, int left, int top, int width) {
  auto* e = new TwwDBEdit(this);
  e->SetName(name);
  e->SetParent(pnlFields);
  e->SetBounds(left, top, width, kEditHeight);
  e->SetDataSource(dsEige);
  e->SetDataField(field);
  return e;
}

void TfrmPersErf::FormShow() {
  ReadPosition();
  Splitter->SetPosition(ReadIntegerParam("Splitter Position", kSplitterDefault));
  TCanvas* c = Canvas();
  c->Font()->Assign(*Font());
  editEigeDatum->SetWidth(SharedEditWidth(c, DateEditWidth, "__.__.____"));
  editEigeZeit->SetWidth(SharedEditWidth(c, TimeEditWidth, "__:__"));
  lblZeit->SetLeft(editEigeDatum->Left() + editEigeDatum->Width() + 16);
  editEigeZeit->SetLeft(lblZeit->Left() + 36);
  WidenCodeColumn(gridEiSe, cmbSelCode->WidthForText(kWidestCode));
  PlaceRightButtons();
  UpdateWarnerControls();
  PositionOnPerson(PersonId);
  if (editEigeVorname->CanFocus()) editEigeVorname->SetFocus();
}

void TfrmPersErf::PositionOnPerson(int id) { ::PositionOnPerson(tblEige, id); }

void TfrmPersErf::AddPreposition(const AnsiString& preposition) {
  const AnsiString p = wwStrTrimBlanks(preposition);
  if (!p.empty() && cmbEigeOrtPr->Items()->IndexOf(p) < 0) cmbEigeOrtPr->Items()->Add(p);
}

void TfrmPersErf::CheckTypedTexts() {
  TEntryEditor::CheckTypedTexts();
  CheckMaskedText(editEigeZeit, true, CP1252("Geben Sie bitte eine gültige Zeit ein").str());
}

void TfrmPersErf::CheckEntry() {
  auto f = [this](const char* name) { return tblEige->FieldByName(name); };
  if (f("EIGE_DATUM")->Text().size() < 10)
    RefuseAt(editEigeDatum, CP1252("Geben Sie bitte ein gültiges Geburtsdatum ein").str());
  if (f("EIGE_NACHNAME")->AsString().empty() && f("EIGE_VORNAME")->AsString().empty())
    RefuseAt(editEigeVorname, "Geben Sie bitte einen Vornamen und/oder Nachnamen ein");
}

void TfrmPersErf::PrepareEntry() { AddPreposition(tblEige->FieldByName("EIGE_ORTPR")->AsString()); }

AnsiString TfrmPersErf::HintText() {
  return PersonHintText(tblEige->FieldByName("EIGE_NACHNAME")->AsString(),
                        tblEige->FieldByName("EIGE_VORNAME")->AsString());
}

void TfrmPersErf::NewEntryFields() {
  tblEige->FieldByName("EIGE_ORTPR")->SetAsString("in");
  tblEige->FieldByName("EIGE_GESCH")->SetAsInteger(0);
}

AnsiString TfrmPersErf::DeleteQuestion() const { return CP1252("Person löschen?").str(); }
AnsiString TfrmPersErf::DeleteRefused() const { return CP1252("Person wird nicht gelöscht").str(); }

void TfrmPersErf::EntryDataChanged() { UpdateSexPicture(); }

void TfrmPersErf::UpdateSexPicture() {
  const bool man = rgEigeGesch->Value() == "0";
  imgMann->SetVisible(man);
  imgFrau->SetVisible(!man);
}

void TfrmPersErf::SearchClick() {
  int id = tblEige->IsEmpty() ? 0 : tblEige->FieldByName("EIGE_ID")->AsInteger();
  if (tblEige->State() == dsEdit || tblEige->State() == dsInsert) PostRecord();
  if (ShowListPers(id, false)) PositionOnPerson(id);
}

TPoint TfrmPersErf::MinimumSize() {
  return {MinimumWidth(), FrameHeight() + pnlFields->Height() + 2 * kClientBorder + ThreeRowsHeight()};
}

void ShowPersErf(int& personId) {
  std::unique_ptr<TfrmPersErf> f(new TfrmPersErf(Application));
  f->AfterConstruction();
  f->PersonId = personId;
  f->ShowModal();
  personId = f->PersonId;
}
