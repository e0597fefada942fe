// The print-by-template window (printsheet.h).
#include "app/templates/printsheet.h"

#include <cmath>
#include <memory>

#include "app/base/usertables.h"
#include "app/editors/entryeditor.h"
#include "app/editors/listpers.h"
#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/templates/expansion.h"
#include "app/templates/layoutlist.h"
#include "app/text/helpers.h"
#include "app/windows/preview.h"
#include "app/windows/winparts.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "richtext/bars/icons.h"
#include "resources/pictures.h"

namespace {

constexpr int kButtonsHeight = 34, kButtonWidth = 90, kButtonHeight = 26;
constexpr int kRowTop = 22, kEditHeight = 21;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

bool AddYears(TDateTime date, int years, TDateTime& result) {
  int y = 0, m = 0, d = 0;
  DecodeDate(date, y, m, d);
  const int64_t year = static_cast<int64_t>(y) + years;
  if (year < 1 || year > 9999) return false;
  if (m == 2 && d == 29 && !IsLeap(static_cast<int>(year))) d = 28;
  result = EncodeDate(static_cast<int>(year), m, d);
  return true;
}

int NextBirthdayYears(TDateTime today, int birthDay, int birthMonth, int birthYear) {
  int y = 0, m = 0, d = 0;
  DecodeDate(today, y, m, d);
  int day = birthDay;
  if (birthMonth == 2 && birthDay == 29 && !IsLeap(y)) day = 28;
  if (m * 100 + d > birthMonth * 100 + day) ++y;
  return y - birthYear;
}

int NextThousandDays(TDateTime today, TDateTime from) {
  const int days = static_cast<int>(std::floor(today) - std::floor(from));
  return days < 0 ? 100 : days / 1000 * 1000 + 1000;
}

TfrmDrucken::TfrmDrucken(TComponent* owner) : TOrvelanForm(owner) {
  SetFormName("frmDrucken");
  SetCaption(CP1252("Blätter nach Vorlagen drucken").str());
  SetBorderStyle(bsDialog);
  SetWindowLook(this);
  SetClientSize(520, 226);

  pnlButtons = new TPanel(this);
  pnlButtons->SetName("pnlButtons");
  pnlButtons->SetParent(this);
  pnlButtons->SetCaption("");
  pnlButtons->SetBevelOuter(bvNone);
  pnlButtons->SetBounds(0, 0, ClientWidth(), kButtonsHeight);
  pnlButtons->SetAlign(alTop);
  auto button = [this](const char* name, const AnsiString& caption) {
    auto* b = new TExplorerButton(this);
    b->SetName(name);
    b->SetParent(pnlButtons);
    b->SetCaption(caption);
    b->SetLayout(blBitmapLeft);
    b->SetBounds(0, (kButtonsHeight - kButtonHeight) / 2, kButtonWidth, kButtonHeight);
    return b;
  };
  pbHilfe = button("pbHilfe", "Hilfe");
  pbHilfe->SetBitmap(ToolPicture(tpHelp).get());
  pbHilfe->SetLeft(4);
  pbHilfe->OnClick = [this](TObject*) { ShowHelp(); };
  pbExit = button("pbExit", CP1252("Schließen").str());
  pbExit->SetLeft(ClientWidth() - 4 - 2 * kButtonWidth - 1);
  pbExit->SetBitmap(ToolPicture(tpClose).get());
  pbExit->OnClick = [this](TObject*) { Close(); };
  pbDrucken = button("pbDrucken", "Erstellen");
  pbDrucken->SetLeft(ClientWidth() - 4 - kButtonWidth);
  pbDrucken->SetBitmap(WPIconBitmap("Print").get());
  pbDrucken->OnClick = [this](TObject*) { pbDruckenClick(); };
  createKeys_.Setup({pbHilfe, pbExit, pbDrucken}, pbDrucken);

  tblEige = MakeEntryTable(this, "tblEige", "XEIGE_ID");
  dsEige = new TwwDataSource(this);
  dsEige->SetName("dsEige");
  dsEige->SetDataSet(tblEige);
  tblLOut = MakeLayoutTable(this);
  dsLOut = new TwwDataSource(this);
  dsLOut->SetName("dsLOut");
  dsLOut->SetDataSet(tblLOut);

  auto group = [this](const char* name, const AnsiString& caption, int left) {
    auto* g = new TGroupBox(this);
    g->SetName(name);
    g->SetParent(this);
    g->SetCaption(caption);
    g->SetBounds(left, kButtonsHeight + 6, 248, 112);
    return g;
  };
  GroupBox1 = group("GroupBox1", CP1252(" Für ").str(), 8);
  lblVorname = MakeLabel(this, GroupBox1, "lblVorname", "Vorname:", 10, 22);
  lblNachname = MakeLabel(this, GroupBox1, "lblNachname", "Name:", 10, 42);
  lblGeburtsdatum = MakeLabel(this, GroupBox1, "lblGeburtsdatum", "Geburtsdatum:", 10, 62);
  auto dataText = [this](TWinControl* parent, const char* name, TDataSource* source, const char* field, int top) {
    auto* t = new TDBText(this);
    t->SetName(name);
    t->SetParent(parent);
    t->SetBounds(110, top, 130, 18);
    t->SetDataSource(source);
    t->SetDataField(field);
    return t;
  };
  dfVorname = dataText(GroupBox1, "dfVorname", dsEige, "EIGE_VORNAME", 22);
  dfNachname = dataText(GroupBox1, "dfNachname", dsEige, "EIGE_NACHNAME", 42);
  dfGeburtsdatum = dataText(GroupBox1, "dfGeburtsdatum", dsEige, "EIGE_DATUM", 62);
  pbPersList = new TButton(this);
  pbPersList->SetName("pbPersList");
  pbPersList->SetParent(GroupBox1);
  pbPersList->SetCaption("Liste");
  pbPersList->SetBounds(168, 82, 70, 24);
  pbPersList->OnClick = [this](TObject*) { pbPersListClick(); };
  gbLayout = group("gbLayout", " Vorlage ", 264);
  DBText1 = dataText(gbLayout, "DBText1", dsLOut, "LOUT_TITEL", 22);
  DBText1->SetBounds(10, 22, 228, 54);
  DBText1->SetWordWrap(true);
  pbListLOut = new TButton(this);
  pbListLOut->SetName("pbListLOut");
  pbListLOut->SetParent(gbLayout);
  pbListLOut->SetCaption("Liste");
  pbListLOut->SetBounds(168, 82, 70, 24);
  pbListLOut->OnClick = [this](TObject*) { pbListLOutClick(); };

  // The date inputs, in one row under their labels.
  pnlEingaben = new TPanel(this);
  pnlEingaben->SetName("pnlEingaben");
  pnlEingaben->SetParent(this);
  pnlEingaben->SetCaption("");
  pnlEingaben->SetBevelOuter(bvLowered);
  pnlEingaben->SetBounds(8, kButtonsHeight + 126, 504, 58);
  lblQuellDatum = MakeLabel(this, pnlEingaben, "lblQuellDatum", "Quelldatum:", 8, 6);
  editQuellDatum = MakeDateEdit("editQuellDatum", 8, kRowTop);
  editQuellDatum->OnChange = [this](TObject*) { editQuellDatumChange(); };
  lblCalcDatum = MakeLabel(this, pnlEingaben, "lblCalcDatum", "Geburtsdatum", 112, 6);
  bvlCalcDatum = MakeBevel("bvlCalcDatum", 110, kRowTop, 86, kEditHeight, bsBox);
  dispCalcDatum = MakeLabel(this, pnlEingaben, "dispCalcDatum", "", 115, kRowTop + 3);
  lblPlus = MakeLabel(this, pnlEingaben, "lblPlus", "+", 202, kRowTop + 3);
  editAnzahl = new TwwDBSpinEdit(this);
  editAnzahl->SetName("editAnzahl");
  editAnzahl->SetParent(pnlEingaben);
  editAnzahl->SetBounds(216, kRowTop, 66, kEditHeight);
  editAnzahl->SetMinValue(1);
  editAnzahl->SetMaxValue(999);
  editAnzahl->OnChange = [this](TObject*) {
    if (!settingCount_) CalcAusgabeDatum();
  };
  editAnzahl->OnExit = [this](TObject*) { editAnzahlExit(); };
  lblEinheit = MakeLabel(this, pnlEingaben, "lblEinheit", "Jahre", 288, kRowTop + 3);
  bvlStrich = MakeBevel("bvlStrich", 326, kRowTop - 2, 2, kEditHeight + 4, bsLeftLine);
  lblGleich = MakeLabel(this, pnlEingaben, "lblGleich", "=", 336, kRowTop + 3);
  lblAusgabeDatum1 = MakeLabel(this, pnlEingaben, "lblAusgabeDatum1", "Ausgabedatum", 352, 6);
  bvlAusgabeDatum = MakeBevel("bvlAusgabeDatum", 350, kRowTop, 86, kEditHeight, bsBox);
  dispAusgabeDatum = MakeLabel(this, pnlEingaben, "dispAusgabeDatum", "", 355, kRowTop + 3);
  lblAusgabeDatum2 = MakeLabel(this, pnlEingaben, "lblAusgabeDatum2", "Ausgabedatum:", 112, 6);
  editAusgabeDatum = MakeDateEdit("editAusgabeDatum", 112, kRowTop);
  editAusgabeDatum->OnChange = [this](TObject*) { editAusgabeDatumChange(); };

  // The template itself, never shown: the sheet is made from it.
  DBWPRichText1 = new TDBWPRichText(this);
  DBWPRichText1->SetName("DBWPRichText1");
  DBWPRichText1->SetParent(this);
  DBWPRichText1->SetVisible(false);
  DBWPRichText1->SetDataSource(dsLOut);
  DBWPRichText1->SetDataField("LOUT_TEXT");
  DBWPRichText1->SetReadOnly(true);
  // Read as the editor reads it, whose ruler counts in centimetres: the
  // indents snap to the same grid, and the preview's Absatz shows the values
  // the editor's does.
  DBWPRichText1->Header()->UnitsInch = false;

  // Creation: the last person and template chosen, the template in title
  // order with that record current.
  SetFormKey("DRUCKEN");
  SetHelpContext(35);
  OpenTableOrExplain(tblEige);
  tblEige->FindKey({TemplatePerson});
  OpenTableOrExplain(tblLOut);
  tblLOut->SetIndexName("XLOUT_ID");
  if (tblLOut->FindKey({TemplateLayout})) {
    const AnsiString title = tblLOut->FieldByName("LOUT_TITEL")->AsString();
    tblLOut->SetIndexName("XLOUT_TITEL");
    tblLOut->FindKey({title, TemplateLayout});
  } else {
    tblLOut->SetIndexName("XLOUT_TITEL");
  }

  OnShow = [this](TObject*) {
    ReadPosition();
    TCanvas* c = Canvas();
    c->Font()->Assign(*Font());
    for (TwwDBEdit* e : {editQuellDatum, editAusgabeDatum})
      e->SetWidth(SharedEditWidth(c, DateEditWidth, "__.__.____"));
    UpdateControls();
    UpdateButtons();
    // The window opens on the person, though the buttons come first.
    if (pbPersList->CanFocus()) SetActiveControl(pbPersList);
  };
  OnHide = [this](TObject*) { WritePosition(); };
  OnClose = [this](TObject*, TCloseAction&) { FormClose(); };
  OnKeyDown = [this](TObject*, Word& key, TShiftState shift) { createKeys_.KeyDown(key, shift); };
  OnKeyUp = [this](TObject*, Word& key, TShiftState) {
    if (createKeys_.KeyUp(key)) return;
    if (key == VK_ESCAPE) {
      key = 0;
      Close();
    }
  };
  OnDestroy = [this](TObject*) {
    tblLOut->Close();
    tblEige->Close();
  };
}

TfrmDrucken::~TfrmDrucken() { BeforeDestruction(); }

void TfrmDrucken::Dispatch(TMessage& m) {
  // Not passed on to a focused "Liste", so that it does not press itself:
  // the key goes on to the window's key handling. A tool button takes it.
  if (m.Msg == CM_DIALOGKEY && m.WParam == VK_RETURN && dynamic_cast<TButton*>(ActiveControl())) {
    m.Result = 0;
    return;
  }
  TOrvelanForm::Dispatch(m);
}

TwwDBEdit* TfrmDrucken::MakeDateEdit(const char* name, int left, int top) {
  auto* e = new TwwDBEdit(this);
  e->SetName(name);
  e->SetParent(pnlEingaben);
  e->SetBounds(left, top, 86, kEditHeight);
  e->SetUnboundDataType(wwEdtDate);
  e->Picture()->SetPictureMask("#[#].#[#].####");
  return e;
}

TBevel* TfrmDrucken::MakeBevel(const char* name, int left, int top, int width, int height, TBevelShape shape) {
  auto* b = new TBevel(this);
  b->SetName(name);
  b->SetParent(pnlEingaben);
  b->SetShape(shape);
  b->SetBounds(left, top, width, height);
  return b;
}

// ---- state ---------------------------------------------------------------------------

bool TfrmDrucken::Usable() const {
  return !tblEige->IsEmpty() && tblEige->FieldByName("EIGE_TYP")->AsInteger() == etPerson && !tblLOut->IsEmpty() &&
         tblLOut->FieldByName("LOUT_ID")->AsInteger() > 0;
}

int TfrmDrucken::SourceType() const { return tblLOut->FieldByName("LOUT_QUELLTYP")->AsInteger(); }
int TfrmDrucken::OutputType() const { return tblLOut->FieldByName("LOUT_AUSGTYP")->AsInteger(); }

void TfrmDrucken::UpdateControls() {
  const bool usable = Usable();
  for (TControl* c : std::initializer_list<TControl*>{pbDrucken, editQuellDatum, editAnzahl, editAusgabeDatum})
    c->SetEnabled(usable);
  for (TControl* c : std::initializer_list<TControl*>{dfVorname, dfNachname, dfGeburtsdatum}) c->SetVisible(usable);
  const AnsiString birth = tblEige->IsEmpty() ? AnsiString() : tblEige->FieldByName("EIGE_DATUM")->Text();
  switch (SourceType()) {
    case tsBirthDate:
      editQuellDatum->SetText(birth);
      editQuellDatum->SetColor(clBtnFace);
      editQuellDatum->SetEnabled(false);
      pnlEingaben->SetVisible(true);
      break;
    case tsAnyDate:
      if (editQuellDatum->Text().empty()) editQuellDatum->SetText(birth);
      editQuellDatum->SetColor(clWindow);
      editQuellDatum->SetEnabled(usable);
      pnlEingaben->SetVisible(true);
      break;
    case tsNoDates: pnlEingaben->SetVisible(false); break;
    default: break;
  }
  const int out = OutputType();
  const bool years = out == toBirthYears || out == toSourceYears;
  const bool fromBirth = out == toBirthYears || out == toBirthDays;
  if (out >= toBirthYears && out <= toSourceDays) {
    lblCalcDatum->SetCaption(fromBirth ? "Geburtsdatum" : "Quelldatum");
    dispCalcDatum->SetCaption(fromBirth ? birth : editQuellDatum->Text());
    lblEinheit->SetCaption(years ? "Jahre" : "Tage");
    editAnzahl->SetMaxValue(years ? 999 : 49999);
    int count = 1;
    TDateTime from = 0;
    if (years && !tblEige->IsEmpty())
      count = NextBirthdayYears(Date(), tblEige->FieldByName("EIGE_TAG")->AsInteger(),
                                tblEige->FieldByName("EIGE_MONAT")->AsInteger(),
                                tblEige->FieldByName("EIGE_JAHR")->AsInteger());
    else if (!years && TryStrToDate(dispCalcDatum->Caption(), from))
      count = NextThousandDays(Date(), from);
    settingCount_ = true;
    editAnzahl->SetText(IntToStr(count));
    settingCount_ = false;
    CalcAusgabeDatum();
  }
  for (TControl* c : std::initializer_list<TControl*>{lblCalcDatum, bvlCalcDatum, dispCalcDatum, lblPlus, editAnzahl,
                                                      lblEinheit, bvlStrich, lblGleich, lblAusgabeDatum1,
                                                      bvlAusgabeDatum, dispAusgabeDatum})
    c->SetVisible(out != toAnyDate);
  lblAusgabeDatum2->SetVisible(out == toAnyDate);
  editAusgabeDatum->SetVisible(out == toAnyDate);
}

void TfrmDrucken::UpdateButtons() {
  const bool datesComplete = editQuellDatum->Text().size() == 10 && editAusgabeDatum->Text().size() == 10;
  pbDrucken->SetEnabled(Usable() && (datesComplete || SourceType() == tsNoDates));
}

void TfrmDrucken::CalcAusgabeDatum() {
  TDateTime date = 0;
  if (dispCalcDatum->Caption().size() != 10 || !TryStrToDate(dispCalcDatum->Caption(), date)) return;
  const int count = static_cast<int>(editAnzahl->Value());
  TDateTime result = date;
  switch (OutputType()) {
    case toBirthYears:
    case toSourceYears:
      // A year the calendar does not hold leaves no output date.
      if (!AddYears(date, count, result)) {
        editAusgabeDatum->SetText("");
        return;
      }
      break;
    case toBirthDays:
    case toSourceDays: result = date + count; break;
    default: return;
  }
  editAusgabeDatum->SetText(EntryDateText(result));
}

void TfrmDrucken::editAusgabeDatumChange() {
  dispAusgabeDatum->SetCaption(editAusgabeDatum->Text());
  UpdateButtons();
}

void TfrmDrucken::editQuellDatumChange() {
  const int out = OutputType();
  if (editQuellDatum->Text().size() == 10 && (out == toSourceYears || out == toSourceDays)) {
    dispCalcDatum->SetCaption(editQuellDatum->Text());
    CalcAusgabeDatum();
  }
  UpdateButtons();
}

void TfrmDrucken::editAnzahlExit() {
  // A typed count is kept within the limits (a count above the maximum
  // becomes the maximum itself), and the output date follows it.
  editAnzahl->SetValue(editAnzahl->Value());
  CalcAusgabeDatum();
}

// ---- choosing ------------------------------------------------------------------------

// The lists' "Erfassen" may have changed or deleted the shown record, also
// when the list is left with "Abbruch": the tables are read again either way.
void TfrmDrucken::pbPersListClick() {
  int id = tblEige->IsEmpty() ? 0 : tblEige->FieldByName("EIGE_ID")->AsInteger();
  const bool chosen = ShowListPers(id, true);
  tblEige->Refresh();
  if (chosen) tblEige->FindKey({id});
  UpdateControls();
  UpdateButtons();
}

void TfrmDrucken::pbListLOutClick() {
  int id = tblLOut->IsEmpty() ? 0 : tblLOut->FieldByName("LOUT_ID")->AsInteger();
  const bool chosen = ShowListLOut(id, true);
  tblLOut->Refresh();
  if (chosen) {
    tblLOut->SetIndexName("XLOUT_ID");
    tblLOut->FindKey({id});
    tblLOut->SetIndexName("XLOUT_TITEL");
  }
  UpdateControls();
  UpdateButtons();
}

// ---- creating ------------------------------------------------------------------------

void TfrmDrucken::pbDruckenClick() {
  if (!Usable()) return;
  // The dates first: a text that is no date is said before anything is made.
  const bool noDates = SourceType() == tsNoDates;
  const TTemplateDates dates =
      TemplateDatesOf(tblEige->FieldByName("EIGE_DATUM")->AsDateTime(), noDates ? "" : editQuellDatum->Text(),
                      noDates ? "" : editAusgabeDatum->Text());
  std::unique_ptr<TfrmPreview> preview;
  {
    Screen->SetCursor(crHourGlass);
    TScopeExit made{[] { Screen->SetCursor(crDefault); }};
    preview.reset(new TfrmPreview(Application));
    preview->AfterConstruction();
    TWPRichText* sheet = preview->WPRichText1;
    sheet->ClearDocument();
    DBWPRichText1->LoadFromField();
    sheet->LinkToText(DBWPRichText1);
    sheet->FastAppendText(DBWPRichText1);
    const TTextHeader& h = *DBWPRichText1->Header();
    sheet->SetPageLayout(h.MarginLeft, h.MarginRight, h.MarginTop, h.MarginBottom, h.PageWidth, h.PageHeight);
    TTemplateReferenceTables tables;
    ExpandTemplate(sheet, tblEige, dates, &tables.Tables());
    sheet->RtfText()->FormatText();
    sheet->PlaceCursor(0, 0, 0, 0);
  }
  preview->ShowModal();
}

void TfrmDrucken::FormClose() {
  if (!tblEige->IsEmpty() && tblEige->FieldByName("EIGE_TYP")->AsInteger() == etPerson)
    TemplatePerson = tblEige->FieldByName("EIGE_ID")->AsInteger();
  if (!tblLOut->IsEmpty()) TemplateLayout = tblLOut->FieldByName("LOUT_ID")->AsInteger();
}

void ShowDrucken() {
  std::unique_ptr<TfrmDrucken> f(new TfrmDrucken(Application));
  f->AfterConstruction();
  f->ShowModal();
}
