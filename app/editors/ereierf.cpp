// The event editor and the event list (ereierf.h).
#include "app/editors/ereierf.h"

#include <algorithm>
#include <memory>

#include "app/windows/winparts.h"
#include "platform/rtl/cp1252.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr int kClientWidth = 580, kClientHeight = 420, kLeftWidth = 206, kClientBorder = 4;
constexpr int kWarnerTop = 44, kWarnerHeight = 124;

bool OnlyBlanks(const AnsiString& text) { return text.find_first_not_of(" \t\r\n") == AnsiString::npos; }

}  // namespace

void PositionOnEvent(TwwTable* table, int id) {
  table->CancelRange();
  table->SetIndexName("XEIGE_ID");
  Variant date;
  if (table->FindKey({id}) && !table->FieldByName("EIGE_DATUM")->IsNull())
    date = Variant::FromDateTime(table->FieldByName("EIGE_DATUM")->AsDateTime());
  table->SetIndexName("XEIGE_DATUM");
  table->SetRange({etEvent}, {etEvent});
  table->FindKey({etEvent, date, id});
}

// ---- the editor ----------------------------------------------------------------------

TfrmEreiErf::TfrmEreiErf(TComponent* owner)
    : TEntryEditor(owner, "frmEreiErf", "Ereignisse erfassen", etEvent) {
  SetClientSize(kClientWidth, kClientHeight);
  pnlLeft = new TPanel(this);
  pnlLeft->SetName("pnlLeft");
  pnlLeft->SetParent(this);
  pnlLeft->SetCaption("");
  pnlLeft->SetBevelOuter(bvNone);
  pnlLeft->SetWidth(kLeftWidth);
  pnlLeft->SetAlign(alLeft);
  lblDatum = new TLabel(this);
  lblDatum->SetName("lblDatum");
  lblDatum->SetParent(pnlLeft);
  lblDatum->SetCaption("Datum:");
  lblDatum->SetLeft(8);
  lblDatum->SetTop(14);
  editEigeDatum = new TwwDBEdit(this);
  editEigeDatum->SetName("editEigeDatum");
  editEigeDatum->SetParent(pnlLeft);
  editEigeDatum->SetBounds(64, 10, 80, 21);
  editEigeDatum->SetDataSource(dsEige);
  editEigeDatum->SetDataField("EIGE_DATUM");
  BuildWarnerBlock(pnlLeft, 8, kWarnerTop, "Auf Ereignis hinweisen:");

  pnlRight = new TPanel(this);
  pnlRight->SetName("pnlRight");
  pnlRight->SetParent(this);
  pnlRight->SetCaption("");
  pnlRight->SetBevelOuter(bvNone);
  pnlRight->SetBorderWidth(kClientBorder);
  pnlRight->SetAlign(alClient);
  BuildCodesGrid(pnlRight);
  gridEiSe->SetAlign(alBottom);
  memoEigeText = new TDBMemo(this);
  memoEigeText->SetName("memoEigeText");
  memoEigeText->SetParent(pnlRight);
  memoEigeText->SetAlign(alClient);
  memoEigeText->SetScrollBars(ssVertical);
  memoEigeText->SetDataSource(dsEige);
  memoEigeText->SetDataField("EIGE_TEXT");
  // The text above its codes comes first in the Tab order too.
  memoEigeText->SetTabOrder(0);

  SetFormKey("EREIGNISSE ERFASSEN");
  SetHelpContext(39);
  OpenTables("XEIGE_DATUM");
  editEigeDatum->Picture()->SetPictureMask(kDateMask);
  pbSuchen->OnClick = [this](TObject*) {
    int id = tblEige->IsEmpty() ? 0 : tblEige->FieldByName("EIGE_ID")->AsInteger();
    if (tblEige->State() == dsEdit || tblEige->State() == dsInsert) PostRecord();
    if (ShowListErei(id)) PositionOnEvent(id);
  };
  OnShow = [this](TObject*) {
    ReadPosition();
    TCanvas* c = Canvas();
    c->Font()->Assign(*Font());
    editEigeDatum->SetWidth(SharedEditWidth(c, DateEditWidth, "__.__.____"));
    WidenCodeColumn(gridEiSe, cmbSelCode->WidthForText(kWidestCode));
    PlaceRightButtons();
    UpdateWarnerControls();
    if (editEigeDatum->CanFocus()) editEigeDatum->SetFocus();
  };
}

void TfrmEreiErf::PositionOnEvent(int id) { ::PositionOnEvent(tblEige, id); }

void TfrmEreiErf::CheckEntry() {
  if (tblEige->FieldByName("EIGE_DATUM")->Text().size() < 10)
    RefuseAt(editEigeDatum, CP1252("Geben Sie bitte ein gültiges Datum ein").str());
  if (OnlyBlanks(tblEige->FieldByName("EIGE_TEXT")->AsString()))
    RefuseAt(memoEigeText, "Geben Sie bitte ein Ereignistext ein");
}

AnsiString TfrmEreiErf::HintText() { return ShortHintText(tblEige->FieldByName("EIGE_TEXT")->AsString()); }

AnsiString TfrmEreiErf::DeleteQuestion() const { return CP1252("Eintrag löschen?").str(); }
AnsiString TfrmEreiErf::DeleteRefused() const { return CP1252("Eintrag wird nicht gelöscht").str(); }

TPoint TfrmEreiErf::MinimumSize() {
  return {MinimumWidth(), FrameHeight() + kWarnerTop + kWarnerHeight + kClientBorder};
}

void ShowEreiErf() {
  std::unique_ptr<TfrmEreiErf> f(new TfrmEreiErf(Application));
  f->AfterConstruction();
  f->ShowModal();
}

// ---- the list --------------------------------------------------------------------------

TfrmListErei::TfrmListErei(TComponent* owner)
    : TEntryList(owner, "frmListErei", CP1252("Erfaßte Ereignisse").str(), "XEIGE_DATUM", etEvent) {
  SetFormKey("LISTE: EREIGNISSE");
  SetHelpContext(47);
  editGoto = new TwwDBEdit(this);
  editGoto->SetName("editGoto");
  editGoto->SetParent(pnlGoto);
  editGoto->SetBounds(lblGoto->Left() + 60, 6, 80, 21);
  editGoto->SetUnboundDataType(wwEdtDate);
  editGoto->Picture()->SetPictureMask(kDateMask);
  editGoto->OnChange = [this](TObject*) {
    if (editGoto->Text().size() == 10) RestartTimer();
  };
  SetColumns({"EIGE_DATUM\t10\tDatum", "EIGE_HINWEIS\t40\tText"});
  OnShow = [this](TObject*) {
    ReadPosition();
    TCanvas* c = Canvas();
    c->Font()->Assign(*Font());
    editGoto->SetWidth(SharedEditWidth(c, DateEditWidth, "__.__.____"));
    PlaceButtons();
    if (editGoto->CanFocus()) editGoto->SetFocus();
  };
}

void TfrmListErei::SearchTyped() {
  const AnsiString text = wwStrTrimBlanks(editGoto->Text());
  TDateTime date = 0;
  if (text.size() != 10 || !TryStrToDate(text, date)) return;
  FindNearestEntry(tblEige, etEvent, Variant::FromDateTime(date));
}

void TfrmListErei::PositionOnEvent(int id) { ::PositionOnEvent(tblEige, id); }

TPoint TfrmListErei::MinimumSize() {
  return ListMinimumSize(editGoto);
}

bool ShowListErei(int& eventId) {
  std::unique_ptr<TfrmListErei> f(new TfrmListErei(Application));
  f->AfterConstruction();
  f->PositionOnEvent(eventId);
  if (f->ShowModal() != mrOk) return false;
  eventId = f->CurrentId();
  return true;
}
