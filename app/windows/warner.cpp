// The anniversary warner (warner.h).
#include "app/windows/warner.h"

#include <algorithm>
#include <vector>

#include "app/base/usertables.h"
#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/text/helpers.h"
#include "calendar/datetexts.h"
#include "platform/rtl/civildate.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "resources/pictures.h"

namespace {

// Whether an anniversary on day.month (29 February on 28 February in a
// common year) comes exactly `days` days after `d`, this year or next; one
// beyond the calendar's last day never does.
bool WarnsOn(const PackedDate& d, int month, int day, int days) {
  if (month < 1 || month > 12 || day < 1 || day > 31) return false;
  const int32_t from = PackedDateToDayNumber(d);
  for (int year = PackedDateYear(d); year <= PackedDateYear(d) + 1; ++year) {
    const int on = month == 2 && day == 29 && !IsLeapYear(year) ? 28 : day;
    const int64_t n = civil::DayNumberFromCivil(year, month, on);
    if (n >= from) return n - from == days && n <= PackedDateToDayNumber(PackedDateMax());
  }
  return false;
}

constexpr int kLeftWidth = 196, kSizeBarHeight = 16, kRightBorder = 8;
// The "when" text's two lines; a narrow window gives it more.
constexpr int kWannHeight = 36;

// The pictures as the table stores them, made once.
const std::vector<std::uint8_t>& StoredPicture(TWarnerPicture which) {
  static std::vector<std::uint8_t> bytes[wpCount];
  if (bytes[which].empty()) bytes[which] = WarnerPicture(which)->SaveToBytes();
  return bytes[which];
}

void StorePicture(TField* field, TWarnerPicture which) {
  const std::vector<std::uint8_t>& b = StoredPicture(which);
  static_cast<TBlobField*>(field)->SetBlobData(AnsiString(reinterpret_cast<const char*>(b.data()), b.size()));
}

TImage* PictureImage(TComponent* owner, TWinControl* parent, const char* name, TWarnerPicture which) {
  auto* img = new TImage(owner);
  img->SetName(name);
  img->SetParent(parent);
  img->SetAutoSize(true);
  img->SetVisible(false);
  img->Picture()->SetGraphic(WarnerPicture(which).get());
  return img;
}

}  // namespace

AnsiString WhenText(int days) {
  switch (days) {
    case 0: return "Heute";
    case 1: return "Morgen";
    case 2: return "In zwei Tagen";
    case 3: return "In drei Tagen";
    default: return "In " + IntToStr(days) + " Tagen";
  }
}

TfrmTermin::TfrmTermin(TComponent* owner) : TOrvelanForm(owner) {
  SetFormName("frmTermin");
  SetCaption("Termine");
  SetBounds(0, 0, 560, 340);
  SetWindowLook(this);

  pnlTop = MakeToolPanel(this, this, bvlTop);
  pbHilfe = MakeToolButton(this, pnlTop, "pbHilfe", "Hilfe", bpHelp, [this](TObject*) { ShowHelp(); });
  pbPrev = MakeToolButton(this, pnlTop, "pbPrev", "- 1 Tag", bpPrev, [this](TObject*) { pbPrevClick(); });
  pbNext = MakeToolButton(this, pnlTop, "pbNext", "+ 1 Tag", bpNext, [this](TObject*) { pbNextClick(); });
  pbClose = MakeToolButton(this, pnlTop, "pbClose", CP1252("Schließen").str(), bpClose, [this](TObject*) { Close(); });
  for (TExplorerButton* b : {pbHilfe, pbPrev, pbNext, pbClose}) b->SetTabStop(true);

  SizeBar = MakeSizeBar(this, this, kSizeBarHeight);

  imgMann = PictureImage(this, this, "imgMann", wpMale);
  imgFrau = PictureImage(this, this, "imgFrau", wpFemale);
  imgErei = PictureImage(this, this, "imgErei", wpEvent);
  imgLevel0 = PictureImage(this, this, "imgLevel0", wpLevel0);
  imgLevel1 = PictureImage(this, this, "imgLevel1", wpLevel1);
  imgLevel2 = PictureImage(this, this, "imgLevel2", wpLevel2);

  tblTerm = new TwwTable(this);
  tblTerm->SetName("tblTerm");
  tblTerm->SetDatabaseName(kUserAlias);
  tblTerm->SetTableName("TERMINE.FFD");
  tblTerm->SetIndexName("XPKTERM");
  tblTerm->SetExclusive(true);
  tblTerm->ControlType()->Add("TERM_BILD;Bitmap;Source Copy");
  tblTerm->ControlType()->Add("TERM_LEVEL;Bitmap;Source Copy");
  tblTerm->AfterOpen = [](TDataSet* d) { FixStringFields(d); };
  dsTerm = new TwwDataSource(this);
  dsTerm->SetName("dsTerm");
  dsTerm->SetDataSet(tblTerm);
  tblEige = new TwwTable(this);
  tblEige->SetName("tblEige");
  tblEige->SetDatabaseName(kUserAlias);
  tblEige->SetReadOnly(true);  // only read: a write-protected file serves as well
  tblEige->SetTableName("EIGENES.FFD");
  tblEige->SetIndexName("XEIGE_ID");
  tblEige->AfterOpen = [](TDataSet* d) { FixStringFields(d); };
  dsEige = new TwwDataSource(this);
  dsEige->SetName("dsEige");
  dsEige->SetDataSet(tblEige);
  dsEige->OnDataChange = [this](TObject*, TField*) { dsEigeDataChange(); };

  pnlLeft = MakePanel(this, this, "pnlLeft");
  pnlLeft->SetBounds(0, kToolPanelHeight + 2, kLeftWidth, 200);
  pnlLeft->SetBorderWidth(4);
  pnlLeft->SetAlign(alLeft);
  gridTerm = new TwwDBGrid(this);
  gridTerm->SetName("gridTerm");
  gridTerm->SetParent(pnlLeft);
  gridTerm->SetAlign(alClient);
  gridTerm->SetOptions(dgTitles | dgColLines | dgRowLines | dgRowSelect | dgAlwaysShowSelection);
  gridTerm->SetReadOnly(true);
  gridTerm->Selected()->Add("TERM_DATUM\t12\tDatum");
  gridTerm->Selected()->Add("TERM_BILD\t4\t ");
  gridTerm->Selected()->Add("TERM_LEVEL\t4\t ");
  gridTerm->SetDataSource(dsTerm);

  pnlRight = MakePanel(this, this, "pnlRight");
  pnlRight->SetBorderWidth(kRightBorder);
  pnlRight->SetAlign(alClient);
  auto label = [this](const char* name, int top, int height, bool bold) {
    TLabel* l = MakeLabel(this, pnlRight, name, "", kRightBorder, top);
    l->SetAutoSize(false);
    l->SetWordWrap(true);
    // Names and places of the user's entries are text, not captions.
    l->SetShowAccelChar(false);
    l->SetHeight(height);
    if (bold) l->Font()->SetStyle({fsBold});
    return l;
  };
  lblDatum = label("lblDatum", kRightBorder, 22, true);
  lblDatum->Font()->SetHeight(-16);
  lblWann = label("lblWann", kRightBorder + 30, kWannHeight, false);
  lblName = label("lblName", kRightBorder + 70, 20, true);
  lblGeboren = label("lblGeboren", kRightBorder + 92, 20, false);
  pnlMemo = MakePanel(this, pnlRight, "pnlMemo");
  pnlMemo->SetBounds(kRightBorder, kRightBorder + 70, 100, 100);
  memoEigeText = new TDBMemo(this);
  memoEigeText->SetName("memoEigeText");
  memoEigeText->SetParent(pnlMemo);
  memoEigeText->SetAlign(alClient);
  memoEigeText->SetReadOnly(true);
  memoEigeText->SetDataSource(dsEige);
  memoEigeText->SetDataField("EIGE_TEXT");

  SetFormKey("TERMINE");
  SetHelpContext(87);
  pbHilfe->SetLeft(4);
  // Each row as high as a picture.
  TCanvas* c = gridTerm->Canvas();
  c->Font()->Assign(*gridTerm->Font());
  gridTerm->SetRowHeightPercent(imgMann->Height() * 100 / (c->TextHeight("W") + 2) + 2);
  OpenTableOrExplain(tblTerm);
  OpenTableOrExplain(tblEige);
  FormResize();

  OnShow = [this](TObject*) { FormShow(); };
  OnHide = [this](TObject*) { WritePosition(); };
  OnResize = [this](TObject*) { FormResize(); };
  // Shown, the window is active only after its first resize: the grid's
  // last column fills it then.
  OnActivate = [this](TObject*) { OptimizeGrids(); };
  OnKeyUp = [this](TObject*, Word& key, TShiftState) { FormKeyUp(key); };
  OnDestroy = [this](TObject*) {
    dsEige->OnDataChange = nullptr;
    tblEige->Close();
    tblTerm->Close();
  };
}

void TfrmTermin::FormShow() {
  ReadPosition();
  if (gridTerm->CanFocus()) SetActiveControl(gridTerm);
}

void TfrmTermin::Dispatch(TMessage& m) {
  if (ArrowOnToolButton(this, m)) return;  // the arrows are the day's keys
  TOrvelanForm::Dispatch(m);
}

TfrmTermin::~TfrmTermin() {
  // Freed by its owner, the window ran its destruction handler already;
  // deleted directly, it runs it now, while its tables exist.
  BeforeDestruction();
}

// ---- the fill -------------------------------------------------------------------------------

int TfrmTermin::TermPictureKind() const {
  if (tblEige->FieldByName("EIGE_TYP")->AsInteger() == etEvent) return 2;
  return tblEige->FieldByName("EIGE_GESCH")->AsInteger() == 1 ? 1 : 0;
}

bool TfrmTermin::AppendTermRow(int days, int level) {
  const int id = tblEige->FieldByName("EIGE_ID")->AsInteger();
  // The entry's own date is due like its anniversaries; one dated in a
  // later year is not due yet.
  if (YearsOn(days) < 0) return false;
  // An entry whose two warnings are as many days ahead has one row.
  if (!stored_.insert({days, id}).second) return false;
  static const TWarnerPicture kinds[] = {wpMale, wpFemale, wpEvent};
  tblTerm->Append();
  tblTerm->FieldByName("TERM_DATUM")->SetAsDateTime(tblEige->FieldByName("EIGE_DATUM")->AsDateTime());
  tblTerm->FieldByName("EIGE_ID")->SetAsInteger(id);
  tblTerm->FieldByName("EIGE_TAGE")->SetAsInteger(days);
  StorePicture(tblTerm->FieldByName("TERM_BILD"), kinds[TermPictureKind()]);
  StorePicture(tblTerm->FieldByName("TERM_LEVEL"), static_cast<TWarnerPicture>(wpLevel0 + level));
  tblTerm->Post();
  found_ = true;
  ++rows_;
  if (OnRowStored) OnRowStored(rows_);
  return true;
}

void TfrmTermin::RunPass(int level, int key) {
  static const char* const kOn[] = {"EIGE_W0", "EIGE_W1", "EIGE_W2"};
  static const char* const kDays[] = {nullptr, "EIGE_W1TAGE", "EIGE_W2TAGE"};
  static const char* const kKey[] = {nullptr, "EIGE_TERMIN1", "EIGE_TERMIN2"};
  static const char* const kIndex[] = {"XEIGE_MTJ", "XEIGE_TERM1", "XEIGE_TERM2"};
  // An error inside a pass ends that pass; the table is brought back to
  // browsing, so the later passes still run.
  try {
    tblEige->SetIndexName(kIndex[level]);
    const int month = key / 100, day = key % 100;
    if (level == 0) {
      tblEige->SetRange({month, day, 9999}, {month, day, 0});
      for (tblEige->First(); !tblEige->Eof(); tblEige->Next())
        if (tblEige->FieldByName(kOn[0])->AsBoolean()) AppendTermRow(0, 0);
      tblEige->CancelRange();
      return;
    }
    // From the start: the key search keeps a current record that holds the
    // key, which on this index may be a later one of several.
    tblEige->First();
    if (!tblEige->FindKey({key})) return;
    for (; !tblEige->Eof() && tblEige->FieldByName(kKey[level])->AsInteger() == key; tblEige->Next()) {
      const int days = tblEige->FieldByName(kDays[level])->AsInteger();
      if (tblEige->FieldByName(kOn[level])->AsBoolean() &&
          WarnsOn(date_, tblEige->FieldByName("EIGE_MONAT")->AsInteger(), tblEige->FieldByName("EIGE_TAG")->AsInteger(),
                  days))
        AppendTermRow(days, level);
    }
  } catch (const Exception& e) {
    // The list may lack rows now: the file is named once the fill is done.
    if (failure_.empty())
      failure_ = DataFileMessage(TableFilePath(tblTerm->State() == dsInsert ? tblTerm : tblEige), e);
    if (tblTerm->State() == dsInsert) tblTerm->Cancel();
    if (tblEige->RangeActive()) tblEige->CancelRange();
  }
}

bool TfrmTermin::FillTermine() {
  THourGlass busy;
  found_ = false;
  rows_ = 0;
  stored_.clear();
  failure_.clear();
  tblEige->DisableControls();
  tblTerm->DisableControls();
  // Switching the controls on again tells them of the new rows, and their
  // handlers may raise: that is no destructor's work, or an error of theirs
  // would end the program. The second table's come on also then.
  auto enableControls = [this] {
    try {
      tblEige->EnableControls();
    } catch (...) {
      tblTerm->EnableControls();
      throw;
    }
    tblTerm->EnableControls();
  };
  try {
    tblEige->SetMasterSource(nullptr);
    tblEige->SetMasterFields("");
    tblTerm->EmptyTable();

    const int month = PackedDateMonth(date_), day = PackedDateDay(date_);
    lblDatum->SetCaption(IntToStr(day) + ". " + MonthName(2, month));
    // In a common year 28 February is also the day of what falls on the 29th.
    const bool alsoLeapDay = month == 2 && day == 28 && !IsLeapYear(PackedDateYear(date_));
    // A warning key is the day of the date less the days in the entry's own
    // year: across the end of February it lies a day off this year's warning
    // day when one of the two years is a leap year (a birthday on 29 February
    // is on 28 February in common years). The neighbouring days' keys are
    // searched too, and WarnsOn keeps only what is due on the window's day.
    const int32_t today = PackedDateToDayNumber(date_);
    for (int level = 0; level <= 2; ++level) {
      if (level == 0) {
        RunPass(level, month * 100 + day);
      } else {
        for (int32_t n : {today - 1, today, today + 1}) {
          if (n < PackedDateToDayNumber(PackedDateMin()) || n > PackedDateToDayNumber(PackedDateMax())) continue;
          const PackedDate d = DayNumberToPackedDate(n);
          RunPass(level, PackedDateMonth(d) * 100 + PackedDateDay(d));
        }
      }
      if (alsoLeapDay) RunPass(level, 229);
    }

    tblEige->SetIndexName("XEIGE_ID");
    tblEige->SetMasterSource(dsTerm);
    tblEige->SetMasterFields("EIGE_ID");
    if (found_) tblTerm->First();
  } catch (...) {
    enableControls();
    throw;
  }
  enableControls();
  if (!failure_.empty() && !failureShown_) {
    failureShown_ = true;
    Application->MessageBox(
        CP1252("Der Terminwarner kann nicht alle Einträge lesen; in der Liste können Termine fehlen.\r\r").str() +
            failure_,
        "Termine", MB_OK | MB_ICONWARNING);
  }
  return found_;
}

void TfrmTermin::dsEigeDataChange() {
  TScopeExit placed{[this] { PlaceTexts(); }};
  if (tblTerm->IsEmpty()) {
    lblWann->SetCaption("Keine Geburts- oder Jahrestage");
    ShowMemo(false);
    lblName->SetVisible(false);
    lblGeboren->SetVisible(false);
    return;
  }
  if (tblEige->IsEmpty()) return;
  const int days = tblTerm->FieldByName("EIGE_TAGE")->AsInteger();
  const int years = YearsOn(days);
  // On the entry's own date there is nothing to count yet.
  const AnsiString when = WhenText(days) + " ist der " + (years > 0 ? IntToStr(years) + ". " : AnsiString());
  if (tblEige->FieldByName("EIGE_TYP")->AsInteger() == etPerson) {
    lblWann->SetCaption(when + (years > 0 ? "Geburtstag von" : "Geburtstermin von"));
    ShowMemo(false);
    lblName->SetCaption(Trim(tblEige->FieldByName("EIGE_VORNAME")->AsString() + " " +
                             tblEige->FieldByName("EIGE_NACHNAME")->AsString()));
    lblName->SetVisible(true);
    AnsiString born = "Geboren " + tblEige->FieldByName("EIGE_JAHR")->AsString();
    if (!tblEige->FieldByName("EIGE_ORT")->AsString().empty())
      born += " " + tblEige->FieldByName("EIGE_ORTPR")->AsString() + " " + tblEige->FieldByName("EIGE_ORT")->AsString();
    lblGeboren->SetCaption(born);
    // Before the birth it is due, not done.
    lblGeboren->SetVisible(years > 0);
  } else {
    lblWann->SetCaption(when + (years > 0 ? "Jahrestag von:" : "Termin:"));
    ShowMemo(true);
    lblName->SetVisible(false);
    lblGeboren->SetVisible(false);
  }
}

int TfrmTermin::YearsOn(int days) const {
  // The year of the day the anniversary falls on, which the fill found
  // inside the calendar.
  const int64_t on = PackedDateToDayNumber(date_) + days;
  return static_cast<int>(civil::CivilFromDayNumber(on).Year) - tblEige->FieldByName("EIGE_JAHR")->AsInteger();
}

void TfrmTermin::ShowMemo(bool v) {
  // The memo's panel lies over the name's labels: it goes with the memo.
  pnlMemo->SetVisible(v);
  memoEigeText->SetVisible(v);
}

void TfrmTermin::pbPrevClick() {
  PackedDatePrevDay(date_);
  FillTermine();
  dsEigeDataChange();
}

void TfrmTermin::pbNextClick() {
  PackedDateNextDay(date_);
  FillTermine();
  dsEigeDataChange();
}

// ---- layout and keys ------------------------------------------------------------------------

void TfrmTermin::FormResize() {
  const int w = pnlTop->Width();
  pbClose->SetLeft(w - pbClose->Width() - 4);
  pbPrev->SetLeft(w / 2 - pbPrev->Width() - 1);
  pbNext->SetLeft(pbPrev->Left() + pbPrev->Width() + 1);
  const int inner = pnlRight->ClientWidth() - 2 * kRightBorder;
  for (TLabel* l : {lblDatum, lblWann, lblName, lblGeboren}) l->SetWidth(inner);
  PlaceTexts();
  OptimizeGrids();
}

void TfrmTermin::PlaceTexts() {
  // Each text keeps all its lines at any width (a narrow window wraps
  // them); the texts below move down.
  TCanvas* c = Canvas();
  auto fit = [c](TLabel* l, int least) {
    c->Font()->Assign(*l->Font());
    TRect needed{0, 0, l->Width(), 0};
    c->DrawText(l->Caption(), needed, DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS | DT_CALCRECT);
    l->SetHeight(std::max(least, needed.Height()));
  };
  fit(lblDatum, 22);
  lblWann->SetTop(lblDatum->Top() + lblDatum->Height() + 8);
  fit(lblWann, kWannHeight);
  lblName->SetTop(lblWann->Top() + lblWann->Height() + 4);
  fit(lblName, 20);
  lblGeboren->SetTop(lblName->Top() + lblName->Height() + 2);
  fit(lblGeboren, 20);
  pnlMemo->SetBounds(kRightBorder, lblName->Top(), lblWann->Width(),
                     std::max(0, pnlRight->ClientHeight() - lblName->Top() - kRightBorder));
}

void TfrmTermin::FormKeyUp(Word& key) {
  if (key == VK_LEFT)
    pbPrevClick();
  else if (key == VK_RIGHT)
    pbNextClick();
  else if (key == VK_ESCAPE)
    Close();
}

TPoint TfrmTermin::MinimumSize() {
  TCanvas* c = gridTerm->Canvas();
  return {2 * GetSystemMetrics(SM_CXFRAME) + 8 + 4 * pbHilfe->Width() + 3,
          GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) + pnlTop->Height() +
          bvlTop->Height() + pnlLeft->PanelBorderWidth() + c->TextHeight("W") + 13 +
          3 * (imgMann->Height() + 3) + SizeBar->Height()};
}

void ShowTermine(bool atStart) {
  TfrmTermin* f = nullptr;
  Application->CreateForm(f);
  bool found = false;
  try {
    f->SetDate(CurrentDateKey);
    found = f->FillTermine();
    f->dsEigeDataChange();
  } catch (...) {
    Application->RemoveComponent(f);
    delete f;
    throw;
  }
  if (atStart && !found) {
    Application->RemoveComponent(f);
    delete f;
    return;
  }
  ShowModalAndFree(f);
}
