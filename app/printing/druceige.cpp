// The printed lists of the user's own entries (druceige.h).
#include "app/printing/druceige.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "app/base/userdb.h"
#include "app/dialogs/dlgframe.h"
#include "app/printing/drusetup.h"
#include "app/printing/styleline.h"
#include "app/settings/datasetup.h"
#include "app/text/formatters.h"
#include "app/text/helpers.h"
#include "app/windows/preview.h"
#include "app/windows/winparts.h"
#include "calendar/datetexts.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "resources/pictures.h"

namespace {

constexpr int kOwnPerson = 1, kOwnEvent = 2;
constexpr int32_t kLabelGap = 141;
constexpr int kCodeLength = 3;

struct ListInfo {
  AnsiString Caption;
  const char* FormKey;
  int Help;
  const char* Label;
};
ListInfo InfoOf(int list) {
  switch (list) {
    case plDiary: return {"Tagebuch", "TAGEBUCH", 88, "99.99. "};
    case plBirthdayList: return {"Geburtstagsliste", "GEBURTSTAGSLISTE", 89, "99.99. "};
    default: return {CP1252("Geburtstagsübersicht").str(), "GEBURTSTAGSUEBERSICHT", 90, "99. "};
  }
}

// A memo's line ends as line breaks inside the paragraph.
AnsiString Lines(const AnsiString& text) {
  AnsiString out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += '\n';
    } else {
      out += text[i];
    }
  }
  return out;
}

class ListWriter {
 public:
  ListWriter(TWPCustomRtfEdit* e, const TPrintListQuery& q, TwwTable* own, TwwTable* codes)
      : e_(e), q_(q), page_(*q.Page), own_(own), codes_(codes) {
    id_ = own->FieldByName("EIGE_ID");
    type_ = own->FieldByName("EIGE_TYP");
    date_ = own->FieldByName("EIGE_DATUM");
    day_ = own->FieldByName("EIGE_TAG");
    month_ = own->FieldByName("EIGE_MONAT");
    year_ = own->FieldByName("EIGE_JAHR");
    text_ = own->FieldByName("EIGE_TEXT");
  }

  // Whether the current entry belongs into the list by its selection code.
  bool Wanted() const {
    if (!q_.Selection) return true;
    codes_->SetIndexName("XPKEISE");
    return codes_->FindKey({q_.Code, id_->AsInteger()});
  }

  // The list's heading, before the first entry.
  void Header() {
    if (q_.Selection) Line(q_.CodeName, false, psSubtitle);
    Line(page_.Title, q_.Selection, psTitle);
    if (q_.List == plBirthdayOverview) Line(MonthName(mfFull, q_.Month), true, psTitle);
  }

  // The current entry: its year heading in the lists by date, its line.
  // An entry's text, or none when its file cannot give it (the start named
  // the damaged texts): the list shows what reads.
  AnsiString Text() const {
    try {
      return text_->AsString();
    } catch (const EDatabaseError&) {
      return {};
    }
  }

  void Entry() {
    if (written_ == 0) Header();
    const int year = year_->AsInteger();
    if (q_.List != plBirthdayOverview && (written_ == 0 || year != lastYear_)) Line(IntToStr(year), true, psSubtitle);
    lastYear_ = year;
    if (q_.List == plBirthdayOverview) {
      Line("\t" + day_->AsString() + ".", true, psBody);
      Line("\t" + Name() + (year > 0 ? ", " + IntToStr(year) : AnsiString()), false, psBody);
    } else {
      Line("\t" + day_->AsString() + "." + month_->AsString() + ".", true, psBody);
      Line("\t" + (q_.List == plDiary ? Lines(Text()) : Name()), false, psBody);
    }
    if (q_.List != plDiary) {
      Line(BirthDetails(), false, psBody);
      const AnsiString text = Lines(Text());
      if (!text.empty()) Line("\n" + text, false, psBody);
    }
    if (written_++ == 0) {
      e_->ReformatAndRepaint();
      SetListHangingIndent(e_, InfoOf(q_.List).Label, page_.Styles[psBody]);
    }
  }

  int Written() const { return written_; }
  TField* Id() const { return id_; }
  TField* Date() const { return date_; }
  TField* Type() const { return type_; }
  TField* Day() const { return day_; }
  TField* Month() const { return month_; }
  TField* Year() const { return year_; }

 private:
  void Line(const AnsiString& text, bool newParagraph, int style) {
    if (text.empty() && !newParagraph) return;
    AppendStyledLine(e_, text, newParagraph, page_.Styles[style]);
  }

  AnsiString Name() const {
    return wwStrTrimBlanks(own_->FieldByName("EIGE_VORNAME")->AsString() + " " +
                           own_->FieldByName("EIGE_NACHNAME")->AsString());
  }

  // ", geboren um 07:45 Uhr in Zürich.", ", geboren in Zürich.",
  // ", geboren um 07:45 Uhr." or nothing.
  AnsiString BirthDetails() const {
    TField* zeit = own_->FieldByName("EIGE_ZEIT");
    const AnsiString time = zeit->IsNull() ? AnsiString() : FormatDateTime("hh:nn", zeit->AsDateTime());
    const AnsiString place = wwStrTrimBlanks(own_->FieldByName("EIGE_ORT")->AsString());
    if (!place.empty()) {
      AnsiString s = ", geboren ";
      if (!time.empty()) s += "um " + time + " Uhr ";
      return WithFullStop(s + wwStrTrimBlanks(own_->FieldByName("EIGE_ORTPR")->AsString() + " " + place));
    }
    if (!time.empty()) return ", geboren um " + time + " Uhr.";
    return "";
  }

  TWPCustomRtfEdit* e_;
  const TPrintListQuery& q_;
  const PageSettings& page_;
  TwwTable *own_, *codes_;
  TField *id_, *type_, *date_, *day_, *month_, *year_, *text_;
  int written_ = 0;
  int lastYear_ = 0;
};

// The list without its index, which the start found damaged (and named):
// the entries the index would give are found in the order of the file's
// blocks and sorted as it orders them, the overview's by day and year, the
// others' by date and number.
int WriteWithoutIndex(ListWriter& w, const TPrintListQuery& q, TwwTable* own) {
  const bool overview = q.List == plBirthdayOverview;
  const int type = q.List == plDiary ? kOwnEvent : kOwnPerson;
  struct Found {
    double First, Second;
    TBookmark Mark;
  };
  std::vector<Found> found;
  TScopeExit freeMarks{[own, &found] {
    for (const Found& f : found) own->FreeBookmark(f.Mark);
  }};
  own->SetIndexName("");
  for (own->First(); !own->Eof(); own->Next()) {
    if (w.Type()->AsInteger() != type) continue;
    if (overview && w.Month()->AsInteger() == q.Month)
      found.push_back({double(w.Day()->AsInteger()), double(w.Year()->AsInteger()), own->GetBookmark()});
    if (!overview && !w.Date()->IsNull() && Trunc(w.Date()->AsDateTime()) >= Trunc(q.From) &&
        Trunc(w.Date()->AsDateTime()) <= Trunc(q.To))
      found.push_back({w.Date()->AsDateTime(), double(w.Id()->AsInteger()), own->GetBookmark()});
  }
  std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return a.First < b.First || (a.First == b.First && a.Second < b.Second);
  });
  for (const Found& f : found) {
    own->GotoBookmark(f.Mark);
    if (w.Wanted()) w.Entry();
  }
  return w.Written();
}

}  // namespace

void SetListHangingIndent(TWPCustomRtfEdit* edit, const AnsiString& label, const TextStyleSettings& body) {
  TWPAttrRecord attr;
  edit->GetWritingAttr(attr);
  attr.Font = WPValidFont(edit->FontNumber(body.Font.FontName));
  attr.Size = body.Font.Size;
  attr.Style = body.Attr.Styles;
  int pixels = 0;
  if (TCanvas* c = edit->RtfText()->Canvas()) {
    edit->RtfText()->SetCanvasFont(attr);
    pixels = c->TextWidth(label);
  }
  const int32_t w = edit->Header()->RoundToGrid(MulDiv(pixels, 1440, Screen->PixelsPerInch()));
  edit->SetTabStop(0, tkAll, true);
  edit->SetParagraphIndents(0, w + kLabelGap, 0);
  edit->SetTabStop(w, tkRight, false);
  edit->SetTabStop(w + kLabelGap, tkLeft, false);
}

int BuildPrintList(TWPCustomRtfEdit* edit, const TPrintListQuery& q, TwwTable* own, TwwTable* ownCodes) {
  ListWriter w(edit, q, own, ownCodes);
  if (!UserIndexWhole(utEigenes, q.List == plBirthdayOverview ? "XEIGE_MTJ" : "XEIGE_DATUM"))
    return WriteWithoutIndex(w, q, own);
  if (q.List == plBirthdayOverview) {
    // The descending month-day-year index, walked towards higher keys from
    // the month's first entry: the month's entries by day and year.
    own->SetIndexName("XEIGE_MTJ");
    own->FindNearest({q.Month, 0, 0});
    if (own->Eof()) own->Last();
    // On a key of an earlier month the month starts one record back; with
    // no earlier month the table stands on the last record, the lowest key.
    if (w.Month()->AsInteger() < q.Month) {
      own->Prior();
      if (own->Bof() && w.Month()->AsInteger() != q.Month) return 0;
    }
    // A step from the first record fails and stays on it: the walk ends
    // there rather than writing that record again.
    if (own->IsEmpty() || w.Month()->AsInteger() != q.Month) return 0;
    do {
      if (w.Type()->AsInteger() == kOwnPerson && w.Wanted()) w.Entry();
      own->Prior();
    } while (!own->Bof() && w.Month()->AsInteger() == q.Month);
    return w.Written();
  }
  const int type = q.List == plDiary ? kOwnEvent : kOwnPerson;
  own->SetIndexName("XEIGE_DATUM");
  own->FindNearest({type, Variant::FromDateTime(Trunc(q.From)), 0});
  // Beyond the last key the table stands on the last record, which may lie
  // before the range: only the days from "von" to "bis" count.
  for (; !own->Eof() && w.Type()->AsInteger() == type && Trunc(w.Date()->AsDateTime()) <= Trunc(q.To); own->Next())
    if (!w.Date()->IsNull() && Trunc(w.Date()->AsDateTime()) >= Trunc(q.From) && w.Wanted()) w.Entry();
  return w.Written();
}

// ---- the window ---------------------------------------------------------------------

TfrmDruckEige::TfrmDruckEige(TComponent* owner, int list)
    : TOrvelanForm(owner), list_(list < plDiary || list > plBirthdayOverview ? plDiary : list) {
  const ListInfo info = InfoOf(list_);
  SetFormName("frmDruckEige");
  SetCaption(info.Caption);
  SetFormKey(info.FormKey);
  SetHelpContext(info.Help);
  SetBorderStyle(bsDialog);
  SetWindowLook(this);
  SetClientSize(372, 178);
  SetPosition(poScreenCenter);
  const PrintListSettings& s = PrintLists[list_];
  block_ = s.Page;

  pnlTop = MakeToolPanel(this, this, bvlTop);
  pbHilfe = MakeToolButton(this, pnlTop, "pbHilfe", "Hilfe", bpHelp, [this](TObject*) { ShowHelp(); });
  pbSetup = MakeToolButton(this, pnlTop, "pbSetup", "Einstellungen", bpHelp, [this](TObject*) { pbSetupClick(); });
  pbSetup->SetBitmap(PreviewPicture(ppPage).get());
  pbDrucken = MakeToolButton(this, pnlTop, "pbDrucken", "Erstellen", bpPrint, [this](TObject*) { pbDruckenClick(); });
  pbExit = MakeToolButton(this, pnlTop, "pbExit", CP1252("Schließen").str(), bpClose, [this](TObject*) { Close(); });
  pbHilfe->SetLeft(4);
  pbSetup->SetLeft(pbHilfe->Left() + pbHilfe->Width() + 1);
  pbExit->SetLeft(ClientWidth() - 4 - pbExit->Width());
  pbDrucken->SetLeft(pbExit->Left() - 1 - pbDrucken->Width());

  tblEige = MakeTable("tblEige", "EIGENES.FFD", "XEIGE_DATUM");
  tblEiSe = MakeTable("tblEiSe", "EIGESELC.FFD", "XPKEISE");
  tblSelCLookup = MakeTable("tblSelCLookup", "SELCODE.FFD", "XSELC_ID");

  const int top = kToolPanelHeight + 10;
  rgSelCode = new TRadioGroup(this);
  rgSelCode->SetName("rgSelCode");
  rgSelCode->SetParent(this);
  rgSelCode->SetCaption(" Selektionscode ");
  rgSelCode->SetBounds(8, top, 356, 76);
  rgSelCode->Items()->Add("Alle");
  rgSelCode->Items()->Add("Auswahl");
  rgSelCode->OnClick = [this](TObject*) { rgSelCodeClick(); };
  cmbSelCode = new TwwDBLookupCombo(this);
  cmbSelCode->SetName("cmbSelCode");
  cmbSelCode->SetParent(rgSelCode);
  cmbSelCode->SetBounds(110, 44, 236, 21);
  cmbSelCode->SetStyle(csDropDownList);
  TStringList columns;
  columns.Add("SELC_NAME\t30\tBezeichnung");
  cmbSelCode->SetSelected(&columns);
  cmbSelCode->SetOptions(loTitles);
  cmbSelCode->SetLookupTable(tblSelCLookup);
  cmbSelCode->SetLookupField("SELC_ID");

  const int row = top + 88;
  const int dateWidth = DateEditWidth > 0 ? DateEditWidth : 90;
  auto dateEdit = [this, row, dateWidth](const char* name, int left) {
    auto* e = new TwwDBEdit(this);
    e->SetName(name);
    e->SetParent(this);
    e->SetUnboundDataType(wwEdtDate);
    e->Picture()->SetPictureMask("#[#].#[#].####");
    e->SetBounds(left, row, dateWidth, 21);
    e->OnChange = [this](TObject*) { UpdatePrintButton(); };
    return e;
  };
  lblDatumVon = AddLabel(this, this, "Datum von:", 8, row + 3);
  editDatumVon = dateEdit("editDatumVon", 84);
  lblDatumBis = AddLabel(this, this, "bis:", 84 + dateWidth + 16, row + 3);
  editDatumBis = dateEdit("editDatumBis", 84 + dateWidth + 44);
  lblMonat = AddLabel(this, this, "Monat:", 8, row + 3);
  cmbMonat = new TComboBox(this);
  cmbMonat->SetName("cmbMonat");
  cmbMonat->SetParent(this);
  cmbMonat->SetStyle(csDropDownList);
  cmbMonat->SetBounds(84, row, 130, 21);
  cmbMonat->SetDropDownCount(12);
  for (int m = 1; m <= 12; ++m) cmbMonat->Items()->Add(MonthName(mfFull, m));
  const bool dates = list_ != plBirthdayOverview;
  for (TControl* c : std::initializer_list<TControl*>{lblDatumVon, editDatumVon, lblDatumBis, editDatumBis})
    c->SetVisible(dates);
  lblMonat->SetVisible(!dates);
  cmbMonat->SetVisible(!dates);

  // The settings into the controls.
  rgSelCode->SetItemIndex(s.Selection);
  editDatumVon->SetText(FormatDateTime("dd.mm.yyyy", s.DateFrom));
  editDatumBis->SetText(FormatDateTime("dd.mm.yyyy", s.DateTo));
  cmbMonat->SetItemIndex(s.Month);
  for (TwwTable* t : {tblEige, tblEiSe, tblSelCLookup}) OpenTableOrExplain(t);
  rgSelCodeClick();
  // Tab reaches the tool buttons after the fields, so that the window opens
  // on the first.
  createKeys_.Setup({pbHilfe, pbSetup, pbDrucken, pbExit}, pbDrucken);
  pnlTop->SetTabOrder(-1);

  OnShow = [this](TObject*) { FormShow(); };
  OnHide = [this](TObject*) { WritePosition(); };
  OnClose = [this](TObject*, TCloseAction&) { FormClose(); };
  // Enter and Escape belong to the code list while it is open. The Escape
  // that closes keeps what the window shows, as "Schließen" does: no edit
  // reverts its text on the way.
  OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
    escape_.KeyDown(key);
    createKeys_.KeyDown(key, shift);
  };
  OnKeyPress = [this](TObject*, char& key) { escape_.KeyPress(key); };
  OnKeyUp = [this](TObject*, Word& key, TShiftState) {
    if (createKeys_.KeyUp(key) || key != VK_ESCAPE) return;
    key = 0;
    Close();
  };
}

TfrmDruckEige::~TfrmDruckEige() {
  // The controls let go of the tables before they close.
  BeforeDestruction();
  for (TwwTable* t : {tblEige, tblEiSe, tblSelCLookup}) t->Close();
}

TwwTable* TfrmDruckEige::MakeTable(const char* name, const char* table, const char* index) {
  auto* t = new TwwTable(this);
  t->SetName(name);
  t->SetDatabaseName("OrvUser");
  t->SetReadOnly(true);  // the lists only read: a write-protected table serves as well
  t->SetTableName(table);
  t->SetIndexName(index);
  t->AfterOpen = [](TDataSet* d) { FixStringFields(d); };
  return t;
}

void TfrmDruckEige::FormShow() {
  ReadPosition();
  // The unbound combo empties its text when its window is made: the stored
  // code goes in once it has one.
  const AnsiString& code = PrintLists[list_].SelectionCode;
  if (!code.empty() && tblSelCLookup->FindKey({code})) cmbSelCode->SetValue(code);
  UpdatePrintButton();
}

void TfrmDruckEige::UpdatePrintButton() {
  pbDrucken->SetEnabled(list_ == plBirthdayOverview ||
                        (editDatumVon->Text().size() == 10 && editDatumBis->Text().size() == 10));
}

void TfrmDruckEige::rgSelCodeClick() { cmbSelCode->SetEnabled(rgSelCode->ItemIndex() == 1); }

bool TfrmDruckEige::MakeQuery(TPrintListQuery& q) {
  q.List = list_;
  q.Page = &block_;
  q.Selection = rgSelCode->ItemIndex() == 1;
  q.Code = cmbSelCode->Value().substr(0, kCodeLength);
  if (q.Selection) {
    if (q.Code.empty() || !tblSelCLookup->FindKey({q.Code})) {
      Application->MessageBox(CP1252("Bitte wählen Sie einen Selektionscode.").str(), Caption(),
                              MB_OK | MB_ICONWARNING);
      return false;
    }
    q.CodeName = tblSelCLookup->FieldByName("SELC_NAME")->AsString();
  }
  if (list_ == plBirthdayOverview) {
    q.Month = cmbMonat->ItemIndex() + 1;
    return true;
  }
  for (TwwDBEdit* e : {editDatumVon, editDatumBis}) {
    TDateTime d = 0;
    if (!TryStrToDate(e->Text(), d)) {
      Application->MessageBox("\"" + e->Text() + CP1252("\" ist kein gültiges Datum.").str(), Caption(),
                              MB_OK | MB_ICONERROR);
      if (e->CanFocus()) e->SetFocus();
      return false;
    }
    (e == editDatumVon ? q.From : q.To) = d;
  }
  if (q.From > q.To) std::swap(q.From, q.To);
  return true;
}

void TfrmDruckEige::pbDruckenClick() {
  TPrintListQuery q;
  if (!MakeQuery(q)) return;
  // A list without entries shows its empty document.
  RunPreview(block_, [&](TfrmPreview* preview) {
    THourGlass busy;
    BuildPrintList(preview->WPRichText1, q, tblEige, tblEiSe);
  });
}

void TfrmDruckEige::pbSetupClick() { ShowDruSetup(block_); }

void TfrmDruckEige::FormClose() {
  PrintListSettings& s = PrintLists[list_];
  if (rgSelCode->ItemIndex() >= 0) s.Selection = rgSelCode->ItemIndex();
  s.SelectionCode = cmbSelCode->Value().substr(0, kCodeLength);
  // A date that is no date keeps the one stored.
  TDateTime d = 0;
  if (TryStrToDate(editDatumVon->Text(), d)) s.DateFrom = d;
  if (TryStrToDate(editDatumBis->Text(), d)) s.DateTo = d;
  if (cmbMonat->ItemIndex() >= 0) s.Month = cmbMonat->ItemIndex();
  s.Page = block_;
}

void ShowDruckEige(int list) { ShowModalAndFree(new TfrmDruckEige(Application, list)); }
