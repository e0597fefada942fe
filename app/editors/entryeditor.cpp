// The part the person editor and the event editor share (entryeditor.h).
#include "app/editors/entryeditor.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/base/userdb.h"
#include "app/base/usertables.h"
#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/windows/winparts.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keyboard.h"

AnsiString EntryDateText(TDateTime date) { return FormatDateTime("dd.mm.yyyy", date); }

TwwTable* MakeEntryTable(TComponent* owner, const char* name, const char* index) {
  auto* t = new TwwTable(owner);
  t->SetName(name);
  t->SetDatabaseName(kUserAlias);
  t->SetTableName("EIGENES.FFD");
  t->SetIndexName(index);
  t->AfterOpen = [](TDataSet* d) {
    FixStringFields(d);
    // A date is a day: shown and edited without a time of day; a time as
    // hours and minutes, the form its edit's mask takes.
    d->FieldByName("EIGE_DATUM")->OnGetText = [](TField* f, AnsiString& text, bool) {
      text = f->IsNull() ? AnsiString() : EntryDateText(f->AsDateTime());
    };
    d->FieldByName("EIGE_ZEIT")->OnGetText = [](TField* f, AnsiString& text, bool) {
      text = f->IsNull() ? AnsiString() : FormatDateTime("hh:nn", f->AsDateTime());
    };
  };
  return t;
}

int SharedEditWidth(TCanvas* canvas, int shared, const char* sample) {
  return std::max(shared, DateTimeEditWidth(*canvas->Font(), sample));
}

int NextEntryId() { return HighestEntryId() + 1; }

namespace {

constexpr int kEditHeight = 21;

TwwTable* UserTable(TComponent* owner, const char* name, const char* table, const char* index) {
  auto* t = new TwwTable(owner);
  t->SetName(name);
  t->SetDatabaseName(kUserAlias);
  t->SetTableName(table);
  t->SetIndexName(index);
  t->AfterOpen = [](TDataSet* d) { FixStringFields(d); };
  return t;
}

}  // namespace

TEntryEditor::TEntryEditor(TComponent* owner, const char* name, const AnsiString& caption, int entryType)
    : TEntryForm(owner, name, caption, true), entryType_(entryType) {
  tblEige = MakeEntryTable(this, "tblEige", "XEIGE_ID");
  dsEige = new TwwDataSource(this);
  dsEige->SetName("dsEige");
  dsEige->SetDataSet(tblEige);
  tblSelC = UserTable(this, "tblSelC", "SELCODE.FFD", "XSELC_ID");
  tblEiSe = UserTable(this, "tblEiSe", "EIGESELC.FFD", "XSE_EIGE");
  tblEiSe->SetMasterSource(dsEige);
  tblEiSe->SetMasterFields("EIGE_ID");
  fldSelCName = new TStringField(this);
  fldSelCName->SetName("fldSelCName");
  fldSelCName->SetFieldName("SELC_NAME");
  fldSelCName->SetSize(30);
  fldSelCName->SetLookup(true);
  fldSelCName->SetKeyFields("SELC_ID");
  fldSelCName->SetLookupDataSet(tblSelC);
  fldSelCName->SetLookupKeyFields("SELC_ID");
  fldSelCName->SetLookupResultField("SELC_NAME");
  fldSelCName->SetDataSet(tblEiSe);
  dsEiSe = new TwwDataSource(this);
  dsEiSe->SetName("dsEiSe");
  dsEiSe->SetDataSet(tblEiSe);

  tblEige->OnNewRecord = [this](TDataSet*) { NewRecord(); };
  tblEige->AfterInsert = [this](TDataSet*) {
    if (FirstEdit()->CanFocus()) FirstEdit()->SetFocus();
  };
  tblEige->BeforePost = [this](TDataSet*) { BeforePost(); };
  tblEige->AfterPost = [this](TDataSet*) { AfterPost(); };
  tblEige->BeforeDelete = [this](TDataSet*) { BeforeDelete(); };
  dsEige->OnDataChange = [this](TObject*, TField*) { DataChanged(); };
  dsEige->OnStateChange = [this](TObject*) { UpdateStateButtons(); };
  dsEiSe->OnDataChange = [this](TObject*, TField*) { DataChanged(); };
  // A code given twice (or one the table refuses) is dropped silently.
  tblEiSe->OnPostError = [](TDataSet* d, EDatabaseError&, TDataAction& action) {
    d->Cancel();
    action = daAbort;
  };
  // A code taken from the entry by the user is asked about; the entry's
  // own deletion takes its codes without a question.
  tblEiSe->BeforeDelete = [this](TDataSet* d) {
    if (deletingEntry_) return;
    const AnsiString code = wwStrTrimBlanks(d->FieldByName("SELC_ID")->AsString());
    if (MessageDlg("Selektionscode \"" + code + "\" entfernen?", mtConfirmation, mbYes | mbNo, 0) != mrYes) Abort();
  };
  tblEiSe->BeforeInsert = [this](TDataSet*) { LinkNeedsEntry(); };
  tblEiSe->BeforeEdit = [this](TDataSet*) { LinkNeedsEntry(); };

  OnShow = [this](TObject*) {
    ReadPosition();
    PlaceRightButtons();
    UpdateWarnerControls();
  };
  OnHide = [this](TObject*) { WritePosition(); };
  OnDestroy = [this](TObject*) {
    // Pending code rows are kept, then the tables closed.
    if (tblEiSe->State() == dsEdit || tblEiSe->State() == dsInsert) {
      try {
        tblEiSe->Post();
      } catch (const Exception&) {
        tblEiSe->Cancel();
      }
    }
    for (TwwTable* t : {tblEiSe, tblSelC, tblEige}) t->Close();
  };
}

TEntryEditor::~TEntryEditor() { BeforeDestruction(); }

TDBCheckBox* TEntryEditor::MakeCheck(TWinControl* parent, const char* name, const char* field,
                                     const AnsiString& caption, int left, int top, int width) {
  auto* c = new TDBCheckBox(this);
  c->SetName(name);
  c->SetParent(parent);
  c->SetCaption(caption);
  c->SetBounds(left, top, width, 20);
  c->SetDataSource(dsEige);
  c->SetDataField(field);
  c->OnClick = [this](TObject*) { UpdateWarnerControls(); };
  c->OnKeyUp = [this](TObject*, Word&, TShiftState) { UpdateWarnerControls(); };
  return c;
}

TwwDBSpinEdit* TEntryEditor::MakeDays(TWinControl* parent, const char* name, const char* field, int left, int top) {
  auto* s = new TwwDBSpinEdit(this);
  s->SetName(name);
  s->SetParent(parent);
  s->SetBounds(left, top, 44, kEditHeight);
  s->SetMinValue(1);
  s->SetMaxValue(21);
  s->SetIncrement(1);
  s->SetDataSource(dsEige);
  s->SetDataField(field);
  s->OnChange = [this](TObject*) { UpdateWarnerControls(); };
  return s;
}

void TEntryEditor::BuildWarnerBlock(TWinControl* parent, int left, int top, const AnsiString& title) {
  lblHinweisen = MakeLabel(this, parent, "lblHinweisen", title, left, top);
  cbEigeW0 = MakeCheck(parent, "cbEigeW0", "EIGE_W0", "am Jahrestag", left + 8, top + 20, 150);
  cbEigeW1 = MakeCheck(parent, "cbEigeW1", "EIGE_W1", "", left + 8, top + 46, 20);
  editEigeW1Tage = MakeDays(parent, "editEigeW1Tage", "EIGE_W1TAGE", left + 30, top + 45);
  lblW1Tage = MakeLabel(this, parent, "lblW1Tage", DaysBeforeCaption(2), left + 80, top + 48);
  cbEigeW2 = MakeCheck(parent, "cbEigeW2", "EIGE_W2", "", left + 8, top + 72, 20);
  editEigeW2Tage = MakeDays(parent, "editEigeW2Tage", "EIGE_W2TAGE", left + 30, top + 71);
  lblW2Tage = MakeLabel(this, parent, "lblW2Tage", DaysBeforeCaption(2), left + 80, top + 74);
  cbStandard = new TCheckBox(this);
  cbStandard->SetName("cbStandard");
  cbStandard->SetParent(parent);
  cbStandard->SetCaption("Standard");
  cbStandard->SetBounds(left + 8, top + 100, 150, 20);
  cbStandard->OnClick = [this](TObject*) { StandardClick(); };
}

void TEntryEditor::BuildCodesGrid(TWinControl* parent) {
  TStringList types;
  types.Add("SELC_ID;CustomEdit;cmbSelCode");
  tblEiSe->SetControlType(&types);
  gridEiSe = new TwwDBGrid(this);
  gridEiSe->SetName("gridEiSe");
  gridEiSe->SetParent(parent);
  gridEiSe->SetUseTFields(false);
  TStringList columns;
  columns.Add("SELC_ID\t6\tCode");
  columns.Add("SELC_NAME\t30\tBezeichnung");
  gridEiSe->SetSelected(&columns);
  // Ctrl+Delete asks the window's question (tblEiSe's BeforeDelete).
  gridEiSe->SetOptions(gridEiSe->Options() & ~dgConfirmDelete);
  gridEiSe->SetDataSource(dsEiSe);
  gridEiSe->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { OptimizeGrids(); };
  // Tab, Shift+Tab and Ctrl+Tab pass on to the window's next or previous
  // field, so that every field stays in reach; the arrows move among the
  // codes.
  gridEiSe->OnKeyDown = [this](TObject*, Word& key, TShiftState shift) { TabOutOfGrid(gridEiSe, key, shift); };
  // Codes belong to a stored entry: entering their grid saves a new one.
  gridEiSe->OnEnter = [this](TObject*) {
    if (tblEige->State() == dsInsert) LinkNeedsEntry();
  };
  // A code given in the grid is kept when the focus leaves it, as when the
  // row is left: the row shows it stored, with its name.
  gridEiSe->OnExit = [this](TObject*) {
    if ((tblEiSe->State() == dsEdit || tblEiSe->State() == dsInsert) && tblEiSe->Modified()) tblEiSe->Post();
  };
  cmbSelCode = new TwwDBLookupCombo(this);
  cmbSelCode->SetName("cmbSelCode");
  cmbSelCode->SetParent(parent);
  cmbSelCode->SetVisible(false);
  // A code may be typed into the cell; one that does not exist is refused.
  cmbSelCode->SetStyle(csDropDown);
  cmbSelCode->OnNotInList = [this](TObject*, TDataSet*, const AnsiString& code, bool& accept) {
    accept = false;
    Application->MessageBox("Den Selektionscode \"" + wwStrTrimBlanks(code) +
                                CP1252("\" gibt es nicht. Wählen Sie einen Code aus der Liste.").str(),
                            Caption(), MB_OK | MB_ICONWARNING);
  };
  cmbSelCode->SetDataSource(dsEiSe);
  cmbSelCode->SetDataField("SELC_ID");
  cmbSelCode->SetLookupTable(tblSelC);
  cmbSelCode->SetLookupField("SELC_ID");
  TStringList drop;
  // The list's code column holds the widest code too (a column is its
  // characters' widths and four more).
  const int zero = std::max(1, gridEiSe->Font()->TextWidth("0"));
  const int codeChars = std::max(5, (gridEiSe->ColumnWidthForText(kWidestCode) - 4 + zero - 1) / zero);
  drop.Add("SELC_ID\t" + IntToStr(codeChars) + "\tCode");
  drop.Add("SELC_NAME\t30\tBezeichnung");
  cmbSelCode->SetSelected(&drop);
  cmbSelCode->SetOptions(loColLines | loRowLines | loTitles);
}

int TEntryEditor::CodesGridHeight() {
  TCanvas* c = Canvas();
  c->Font()->Assign(*gridEiSe->Font());
  return (c->TextHeight("W") + 3) * 4 + 8;
}

void TEntryEditor::OpenTables(const char* entryIndex) {
  tblEige->SetIndexName(entryIndex);
  OpenTableOrExplain(tblEige);
  tblEige->SetRange({entryType_}, {entryType_});
  OpenTableOrExplain(tblSelC);
  OpenTableOrExplain(tblEiSe);
  gridEiSe->SetHeight(CodesGridHeight());
}

void TEntryEditor::NewRecord() {
  auto f = [this](const char* name) { return tblEige->FieldByName(name); };
  f("EIGE_ID")->SetAsInteger(NextEntryId());
  f("EIGE_TYP")->SetAsInteger(entryType_);
  f("EIGE_W0")->SetAsBoolean(Warner0On);
  f("EIGE_W1")->SetAsBoolean(Warner1On);
  f("EIGE_W1TAGE")->SetAsInteger(Warner1Days);
  f("EIGE_W2")->SetAsBoolean(Warner2On);
  f("EIGE_W2TAGE")->SetAsInteger(Warner2Days);
  cbStandard->SetChecked(false);
  NewEntryFields();
}

void TEntryEditor::RefuseAt(TWinControl* field, const AnsiString& message) {
  if (field->CanFocus()) field->SetFocus();
  throw EInvalidData(message);
}

void TEntryEditor::CheckMaskedText(TwwDBEdit* edit, bool isTime, const AnsiString& message) {
  const AnsiString text = wwStrTrimBlanks(edit->Text());
  if (text.empty()) return;
  TDateTime value = 0;
  if (!edit->IsValidPictureText(text) || !(isTime ? TryStrToTime(text, value) : TryStrToDate(text, value)))
    RefuseAt(edit, message);
}

void TEntryEditor::CheckTypedTexts() {
  CheckMaskedText(editEigeDatum, false,
                  entryType_ == etPerson ? CP1252("Geben Sie bitte ein gültiges Geburtsdatum ein").str()
                                         : CP1252("Geben Sie bitte ein gültiges Datum ein").str());
}

TDataSet* TEntryEditor::TakeBackCell() {
  if (!cmbSelCode->Focused() || !(cmbSelCode->Modified() || cmbSelCode->FieldLink()->IsModified())) return nullptr;
  // A picked code is in the row already; a typed one only in the combo.
  if ((tblEiSe->State() == dsEdit || tblEiSe->State() == dsInsert) && tblEiSe->Modified()) tblEiSe->Cancel();
  return tblEiSe;
}

void TEntryEditor::BeforePost() {
  CheckEntry();
  auto f = [this](const char* name) { return tblEige->FieldByName(name); };
  const TDateTime date = f("EIGE_DATUM")->AsDateTime();
  // The calendar, the pages and the warner end with 31.12.8201; earlier
  // dates than its start are kept (the print window names them).
  const TDateTime last = PackedDateToDateTime(PackedDateMax());
  if (std::trunc(date) > last)
    RefuseAt(editEigeDatum, AnsiString(entryType_ == etPerson ? "Das Geburtsdatum " : "Das Datum ") +
                                EntryDateText(date) + " liegt nach dem Ende des Kalenders am " + EntryDateText(last) +
                                CP1252(". Geben Sie bitte ein früheres Datum ein.").str());
  int year = 0, month = 0, day = 0;
  DecodeDate(date, year, month, day);
  f("EIGE_TAG")->SetAsInteger(day);
  f("EIGE_MONAT")->SetAsInteger(month);
  f("EIGE_JAHR")->SetAsInteger(year);
  const bool w1 = f("EIGE_W1")->AsBoolean(), w2 = f("EIGE_W2")->AsBoolean();
  int days1 = f("EIGE_W1TAGE")->AsInteger(), days2 = f("EIGE_W2TAGE")->AsInteger();
  if (w2 && days2 > 0 && days2 < days1) {
    std::swap(days1, days2);
    f("EIGE_W1TAGE")->SetAsInteger(days1);
    f("EIGE_W2TAGE")->SetAsInteger(days2);
  }
  PrepareEntry();
  f("EIGE_HINWEIS")->SetAsString(HintText());
  f("EIGE_TERMIN1")->SetAsInteger(WarnerKey(true, date, w1, days1));
  f("EIGE_TERMIN2")->SetAsInteger(WarnerKey(true, date, w2, days2));
}

void TEntryEditor::AfterPost() {
  if (cbStandard->Checked()) {
    auto f = [this](const char* name) { return tblEige->FieldByName(name); };
    Warner0On = f("EIGE_W0")->AsBoolean();
    Warner1On = f("EIGE_W1")->AsBoolean();
    Warner1Days = f("EIGE_W1TAGE")->AsInteger();
    Warner2On = f("EIGE_W2")->AsBoolean();
    Warner2Days = f("EIGE_W2TAGE")->AsInteger();
    cbStandard->SetChecked(false);
    Application->MessageBox("Die aktuelle Einstellung des Terminwarners\rist jetzt als neue Standardvorgabe vermerkt.",
                            Application->Title(), MB_OK | MB_ICONINFORMATION);
  }
}

void TEntryEditor::BeforeDelete() {
  if (MessageDlg(DeleteQuestion(), mtConfirmation, mbYes | mbNo, 0) != mrYes) throw EInvalidData(DeleteRefused());
  const int id = tblEige->FieldByName("EIGE_ID")->AsInteger();
  if (tblEiSe->State() == dsEdit || tblEiSe->State() == dsInsert) tblEiSe->Cancel();
  deletingEntry_ = true;
  TScopeExit deleted{[this] { deletingEntry_ = false; }};
  tblEiSe->First();
  while (!tblEiSe->IsEmpty() && tblEiSe->FieldByName("EIGE_ID")->AsInteger() == id) tblEiSe->Delete();
}

void TEntryEditor::DeleteRecord() {
  TUserChange change;
  tblEige->Delete();  // its codes first (BeforeDelete)
  try {
    change.Commit();
  } catch (const Exception&) {
    // Nothing went: the entry is shown with its codes again.
    tblEige->Refresh();
    throw;
  }
}

void TEntryEditor::LinkNeedsEntry() {
  // A code belongs to a stored entry: one being inserted is saved first
  // (or the code is refused with the entry's message); without any entry
  // there is nothing to give a code to.
  if (tblEige->State() == dsInsert) {
    PostRecord();
  } else if (tblEige->IsEmpty()) {
    Abort();
  }
}

void TEntryEditor::StandardClick() {
  // Marking the defaults on a record merely browsed starts editing it, so
  // that the next post takes them.
  if (cbStandard->Checked() && tblEige->State() == dsBrowse) tblEige->Edit();
}

void TEntryEditor::DataChanged() {
  UpdateDataButtons();
  UpdateWarnerControls();
  EntryDataChanged();
}

void TEntryEditor::UpdateWarnerControls() {
  const bool w1 = cbEigeW1->Checked();
  editEigeW1Tage->SetEnabled(w1);
  lblW1Tage->SetEnabled(w1);
  cbEigeW2->SetEnabled(w1);
  const bool w2 = cbEigeW2->Enabled() && cbEigeW2->Checked();
  editEigeW2Tage->SetEnabled(w2);
  lblW2Tage->SetEnabled(w2);
  // An empty spin edit (no entry yet) reports its minimum, 1: it holds no day.
  auto days = [](TwwDBSpinEdit* e) { return Trim(e->Text()).empty() ? 0 : static_cast<int>(e->Value()); };
  lblW1Tage->SetCaption(DaysBeforeCaption(days(editEigeW1Tage)));
  lblW2Tage->SetCaption(DaysBeforeCaption(days(editEigeW2Tage)));
}
