// The data window (datawin.h): its page builders, the history of the
// followed links, and the copy and print source without link stamps.
#include "app/windows/datawin.h"

#include <vector>

#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/text/formatters.h"
#include "app/text/helpers.h"
#include "app/text/styledoutput.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "resources/cursors.h"

namespace {

constexpr char kNoBreakSpace = '\xA0';
constexpr char kDagger = '\x86';
constexpr int kClientBorder = 4;

// The page's runs in the data window's fixed styles.
struct PageWriter {
  TWPCustomRtfEdit* page;
  void Text(const AnsiString& text, const FixedStyle& style, bool newParagraph) {
    AppendStyledText(page, text, style.Font, style.Attr, newParagraph);
  }
  void Empty() { Text("", DispTextStyle, true); }
  void Link(int32_t person, const AnsiString& name, bool newParagraph) {
    AppendHyperlink(page, "p:" + IntToStr(person), name, DispTextStyle.Font, DispLinkStyle, newParagraph);
  }
};

int Int(TDataSet* t, const char* field) { return t->FieldByName(field)->AsInteger(); }
AnsiString Str(TDataSet* t, const char* field) { return t->FieldByName(field)->AsString(); }

}  // namespace

// ---- creation and layout ------------------------------------------------------------

TfrmDispData::TfrmDispData(TComponent* owner) : TOrvelanForm(owner) {
  SetFormName("frmDispData");
  SetCaption("Zusatzdaten anzeigen");
  SetBounds(0, 0, 600, 480);
  SetWindowLook(this);

  pnlTop = MakeToolPanel(this, this, bvlTop);
  pbHilfe = MakeToolButton(this, pnlTop, "pbHilfe", "Hilfe", bpHelp, [this](TObject*) { ShowHelp(); });
  pbPrint = MakeToolButton(this, pnlTop, "pbPrint", "Drucken", bpPrint, [this](TObject*) { pbPrintClick(); });
  pbCopy = MakeToolButton(this, pnlTop, "pbCopy", "Kopieren", bpCopy, [this](TObject*) { pbCopyClick(); });
  pbPrev = MakeToolButton(this, pnlTop, "pbPrev", "Vorheriges", bpPrev, [this](TObject*) { pbPrevClick(); });
  pbNext =
      MakeToolButton(this, pnlTop, "pbNext", CP1252("Nächstes").str(), bpNext, [this](TObject*) { pbNextClick(); });
  pbClose = MakeToolButton(this, pnlTop, "pbClose", CP1252("Schließen").str(), bpClose, [this](TObject*) { Close(); });
  // Tab reaches every button; Strg+P prints and Strg+C copies, as the hints say.
  for (TExplorerButton* b : {pbHilfe, pbPrint, pbCopy, pbPrev, pbNext, pbClose}) b->SetTabStop(true);
  HintPrintAndCopyKeys(pbPrint, pbCopy);

  SizeBar = MakeSizeBar(this, this, 16);

  pnlClient = MakePanel(this, this, "pnlClient");
  pnlClient->SetBorderWidth(kClientBorder);
  pnlClient->SetAlign(alClient);
  // A viewer: typing and pasting leave the page as it is.
  WPRichText1 = MakePageView(this, pnlClient);
  WPRichText1->SetCaretDisabled(true);
  WPRichText1->SetNoBlockMarking(true);
  WPRichText1->SetOneClickHyperlink(true);
  TCharacterAttr* link = WPRichText1->GetHyperlinkTextAttr();
  link->SetUnderline(tsTRUE);
  link->SetTextColor(clNavy);
  link->SetUseUnderlineColor(true);
  link->SetUnderlineColor(clNavy);
  WPRichText1->HyperLinkEvent = [this](TObject*, const AnsiString&, const AnsiString& stamp, int) {
    WPRichText1HyperLinkEvent(stamp);
  };
  pnlWhite = MakePanel(this, pnlClient, "pnlWhite");
  pnlWhite->SetColor(clWindow);
  pnlWhite->SetAlign(alClient);
  pnlWhite->SetVisible(false);
  // Only the source of copy and print: never shown.
  WPRichText2 = new TWPRichText(this);
  WPRichText2->SetName("WPRichText2");
  WPRichText2->SetParent(this);
  WPRichText2->SetBounds(0, 0, 30, 30);
  WPRichText2->SetVisible(false);

  PrintDialog = new TPrintDialog(this);
  PrintDialog->SetName("PrintDialog");

  tblPers = MakeTable("tblPers", "PERSON.FFD", "XPKPERS");
  tblErei = MakeTable("tblErei", "EREIGNIS.FFD", "XPKEREI");
  tblFTag = MakeTable("tblFTag", "FEIERTAG.FFD", "XPKFTAG");
  tblPatr = MakeTable("tblPatr", "PATRON.FFD", "XPKPATR");
  tblName = MakeTable("tblName", "NAME.FFD", "XPKNAME");

  SetFormKey("DATENFENSTER");
  SetHelpContext(34);
  pbHilfe->SetLeft(4);
  pbPrint->SetLeft(pbHilfe->Left() + pbHilfe->Width() + 1);
  pbCopy->SetLeft(pbPrint->Left() + pbPrint->Width() + 1);
  for (TwwTable* t : {tblPers, tblErei, tblFTag, tblName, tblPatr}) OpenTableOrExplain(t);
  PlaceButtons();

  OnShow = [this](TObject*) { FormShow(); };
  OnHide = [this](TObject*) { WritePosition(); };
  OnResize = [this](TObject*) { FormResize(); };
  OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
    if (!CtrlKeyPresses(key, shift, 'P', pbPrint)) CtrlKeyPresses(key, shift, 'C', pbCopy);
  };
  OnKeyUp = [this](TObject*, Word& key, TShiftState) { FormKeyUp(key); };
  OnDestroy = [this](TObject*) { FormDestroy(); };
}

TfrmDispData::~TfrmDispData() {
  // Freed by its owner, the window ran its destruction handler already;
  // deleted directly, it runs it now, while its tables exist.
  BeforeDestruction();
}

void TfrmDispData::FormDestroy() {
  StopSound();
  for (TwwTable* t : {tblPers, tblErei, tblFTag, tblPatr, tblName}) t->Close();
}

TwwTable* TfrmDispData::MakeTable(const char* name, const char* table, const char* index) {
  auto* t = new TwwTable(this);
  t->SetName(name);
  t->SetDatabaseName("Orvelan");
  t->SetReadOnly(true);
  t->SetTableName(table);
  t->SetIndexName(index);
  t->AfterOpen = [](TDataSet* d) { FixStringFields(d); };
  return t;
}

void TfrmDispData::FormShow() {
  ReadPosition();
  WPRichText1->SetHyperLinkCursor(crHyperlink);
  SetWindowState(wsNormal);
  ShowItem();
  // The page has the focus, so that the arrows scroll it, though the tool
  // buttons come before it in the Tab order.
  if (WPRichText1->CanFocus()) SetActiveControl(WPRichText1);
}

void TfrmDispData::PlaceButtons() {
  const int w = pnlTop->Width();
  pbClose->SetLeft(w - pbClose->Width() - 4);
  // Integer division rounds toward zero, as the layout always had it.
  pbPrev->SetLeft(pbCopy->Left() + pbCopy->Width() + (w - 4 * pbClose->Width() - 11) / 2 - pbPrev->Width());
  pbNext->SetLeft(pbPrev->Left() + pbPrev->Width() + 1);
}

void TfrmDispData::FormResize() {
  PlaceButtons();
  const int top = WPRichText1->TopOffset();
  SetPageWidth();
  WPRichText1->RtfText()->FormatText();
  WPRichText1->SetTopOffset(top);
}

void TfrmDispData::FormKeyUp(Word& key) {
  if (key != VK_ESCAPE) return;
  key = 0;
  Close();
}

TPoint TfrmDispData::MinimumSize() {
  return {2 * GetSystemMetrics(SM_CXFRAME) + 8 + 6 * pbPrint->Width() + 5,
          GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) + pnlTop->Height() +
          bvlTop->Height() + 60 + 2 * pnlClient->PanelBorderWidth()};
}

void TfrmDispData::SetPageWidth() {
  auto writing = AllowWriting(WPRichText1);
  const int res = WPRichText1->Header()->ResX > 0 ? WPRichText1->Header()->ResX : Screen->PixelsPerInch();
  WPRichText1->SetPageLayout(0, 0, -1000, -1000, MulDiv(WPRichText1->Width() - 10, 1440, res), -1000);
}

// ---- the history ------------------------------------------------------------------------

void TfrmDispData::ClearHistory() {
  current_ = last_ = 0;
  for (DispDataEntry& e : history_) e = DispDataEntry{};
}

void TfrmDispData::AddToHistory(uint8_t kind, int32_t id) {
  if (current_ == kDispHistorySize) {
    for (int i = 1; i < kDispHistorySize; ++i) history_[i] = history_[i + 1];
  } else {
    ++current_;
    if (current_ > last_) last_ = current_;
  }
  history_[current_] = DispDataEntry{kind, id, 0};
}

void TfrmDispData::WPRichText1HyperLinkEvent(const AnsiString& linkCode) {
  // Only person links lead somewhere here.
  if (current_ < 1 || linkCode.empty() || linkCode[0] != 'p') return;
  // A number that is none raises here, before the history changes.
  const int32_t number = LinkNumber(linkCode);
  history_[current_].TopOffset = WPRichText1->TopOffset();
  AddToHistory(dkPerson, number);
  ShowItem();
}

void TfrmDispData::pbPrevClick() {
  if (current_ <= 1) return;
  --current_;
  ShowItem();
}

void TfrmDispData::pbNextClick() {
  if (current_ >= last_) return;
  ++current_;
  ShowItem();
}

// ---- the pages ----------------------------------------------------------------------------

void TfrmDispData::ShowItem() {
  {
    THourGlass busy;
    auto writing = AllowWriting(WPRichText1);
    WPRichText1->ClearDocument();
    StopSound();
    Application->ProcessMessages();
    WPRichText1->SetVisible(false);
    pbNext->SetEnabled(false);
    pbPrev->SetEnabled(false);
    if (current_ >= 1) {
      const DispDataEntry& e = history_[current_];
      switch (e.Kind) {
        case dkPerson: ShowPerson(e.Id); break;
        case dkEvent: ShowEvent(e.Id); break;
        case dkHoliday: ShowHoliday(e.Id); break;
        case dkPatron: ShowPatron(e.Id); break;
        default: break;
      }
    }
    IndentWholeDocument(WPRichText1);
    SetPageWidth();
    WPRichText1->MoveCursorTo(0);
    WPRichText1->SetVisible(true);
    WPRichText1->ReformatAndRepaint();
    WPRichText1->SetTopOffset(current_ >= 1 ? history_[current_].TopOffset : 0);
  }
  pbNext->SetEnabled(current_ < last_);
  pbPrev->SetEnabled(current_ > 1);
}

void TfrmDispData::ShowPerson(int32_t id) {
  PageWriter w{WPRichText1};
  tblPers->FindKey({id});
  // A person known under another entry is shown as that one.
  if (Int(tblPers, "PERS_IDENT") > 0) tblPers->FindKey({Int(tblPers, "PERS_IDENT")});
  const AnsiString title = PersonNameText(tblPers, pnMain, true, false);
  w.Text(title, DispTitleStyle, false);
  SetCaption(title);
  for (int alt : {pnAlternative1, pnAlternative2}) {
    const AnsiString name = PersonNameText(tblPers, alt, false, true);
    if (!name.empty()) w.Text(name, DispHeadStyle, true);
  }
  const AnsiString nationsProfessions = PersonNationsProfessionsText(tblPers);
  if (!nationsProfessions.empty()) w.Text(nationsProfessions, DispHeadStyle, true);
  w.Empty();
  bool lifeLine = false;
  auto line = [&](int which, int place, char sign) {
    AnsiString text = BirthDeathDateText(tblPers, which, mfFull) + " " + BirthDeathPlaceText(tblPers, place);
    if (!text.empty() && text[0] == ' ') text.erase(0, 1);
    text = TrimRight(text);
    if (text.empty()) return;
    w.Text(AnsiString(1, sign) + kNoBreakSpace + text, DispTextStyle, true);
    lifeLine = true;
  };
  line(0, bpBirth, '*');
  line(1, bpDeath, kDagger);
  if (lifeLine) w.Empty();
  const int32_t note = Int(tblPers, "PERS_ANMERK");
  if (note > 0) {
    LoadArchiveText(WPRichText1, note, PersonArchive, true);
    w.Empty();
  }
}

void TfrmDispData::ShowEvent(int32_t id) {
  PageWriter w{WPRichText1};
  tblErei->FindKey({id});
  const AnsiString title = EventDateText(tblErei, mfFull);
  w.Text(title, DispTitleStyle, false);
  SetCaption(title);
  w.Empty();
  const int32_t text = Int(tblErei, "EREI_TEXT");
  if (text > 0) {
    LoadArchiveText(WPRichText1, text, EventArchive, false);
    w.Text(" ", DispTextStyle, true);
  }
}

void TfrmDispData::ShowHoliday(int32_t id) {
  PageWriter w{WPRichText1};
  tblFTag->FindKey({id});
  const AnsiString title = HolidayRuleText(tblFTag, mfFull);
  w.Text(title, DispTitleStyle, false);
  SetCaption(title);
  w.Empty();
  // The countries fill the empty paragraph; the text starts its own after
  // the spacing line.
  bool newParagraph = false;
  for (const char* field : {"FTAG_LAND", "FTAG_TEXT"}) {
    const int32_t offset = Int(tblFTag, field);
    if (offset <= 0) continue;
    LoadArchiveText(WPRichText1, offset, HolidayArchive, newParagraph);
    w.Text(" ", DispTextStyle, true);
    newParagraph = true;
  }
}

void TfrmDispData::ShowPatron(int32_t id) {
  PageWriter w{WPRichText1};
  tblPatr->FindKey({id});
  tblName->FindKey({Int(tblPatr, "NAME_ID")});
  const AnsiString title = NameDayDateText(tblPatr, mfFull) + ": " + Str(tblName, "NAME_NAME");
  w.Text(title, DispTitleStyle, false);
  SetCaption(title);
  w.Empty();

  // The saint: a link to the person, or the note with a link to the person
  // it names.
  bool linked = false;
  const int32_t person = Int(tblPatr, "PERS_ID");
  if (person > 0 && tblPers->FindKey({person})) {
    w.Link(person, PersonNameText(tblPers, pnMain, true, false), true);
    linked = true;
  }
  // Whose patron the saint is; the person a note names is not the saint.
  const AnsiString patronOf = linked ? Str(tblPers, "PERS_PATRON") : AnsiString();
  const bool female = linked && Int(tblPers, "PERS_GESCH") == 1;
  const AnsiString note = Str(tblPatr, "PATR_VERMERK");
  if (!note.empty()) {
    if (linked) w.Text(", ", DispTextStyle, false);
    w.Text(note, DispTextStyle, !linked);
    const int32_t see = Int(tblPatr, "PERS_SIEHE");
    if (see > 0 && tblPers->FindKey({see})) {
      w.Text(" ", DispTextStyle, false);
      w.Link(Int(tblPers, "PERS_ID"), PersonNameText(tblPers, pnMain, true, false), false);
    }
  }
  if (!patronOf.empty()) {
    w.Empty();
    w.Text(female ? "Patronin:" : "Patron:", DispHeadStyle, true);
    w.Text(patronOf, DispTextStyle, true);
  }

  // The forms of the name, under its main name.
  const int32_t base = Int(tblName, "NAME_TYP") == 0 ? Int(tblName, "NAME_ID") : Int(tblName, "NAME_VON");
  if (base != Int(tblName, "NAME_ID")) tblName->FindKey({base});
  const AnsiString baseName = Str(tblName, "NAME_NAME");
  tblName->SetIndexName("NA_VON");
  bool any = false;
  // Changing back to the main index moves the table and tells its controls,
  // which may raise: it stays out of a destructor.
  try {
    tblName->FindNearest({base});
    while (!tblName->Eof() && Int(tblName, "NAME_VON") == base) {
      if (!any) {
        w.Empty();
        w.Text("Namensformen:", DispHeadStyle, true);
        w.Text(baseName, DispTextStyle, true);
        any = true;
      }
      w.Text(", " + Str(tblName, "NAME_NAME"), DispTextStyle, false);
      tblName->Next();
    }
  } catch (...) {
    tblName->SetIndexName("XPKNAME");
    throw;
  }
  if (any) w.Text(".", DispTextStyle, false);
  tblName->SetIndexName("XPKNAME");
}

// ---- copy and print ---------------------------------------------------------------------------

void StripLinksForCopy(TWPCustomRtfEdit* edit) {
  TWPRTFTextInput* e = edit->RtfText();
  for (TWPParagraphRec* p = e->FirstPar; p; p = p->next) {
    // The paragraph's characters, where each lies, and which go.
    std::vector<char> chars;
    std::vector<bool> drop;
    for (TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i) {
        chars.push_back(l->pc[i]);
        bool hidden = false;
        if (l->pa) {
          hidden = l->pa[i].Style & wpsHidden;
          l->pa[i].Style &= ~wpsHyperlink;
        }
        drop.push_back(hidden);
      }
    // A blank directly after a kept blank goes too.
    int lastKept = -1;
    for (size_t i = 0; i < chars.size(); ++i) {
      if (drop[i]) continue;
      if (chars[i] == ' ' && lastKept >= 0 && chars[static_cast<size_t>(lastKept)] == ' ')
        drop[i] = true;
      else
        lastKept = static_cast<int>(i);
    }
    // Runs of dropped characters, from the end, so positions stay valid.
    for (int i = static_cast<int>(chars.size()) - 1; i >= 0;) {
      if (!drop[static_cast<size_t>(i)]) {
        --i;
        continue;
      }
      int start = i;
      while (start > 0 && drop[static_cast<size_t>(start - 1)]) --start;
      e->DeleteTextAt(p, start, i - start + 1);
      i = start - 1;
    }
    p->ChangeFlags |= wpcBreak | wpcMeasure;
  }
}

void TfrmDispData::PrepareWPRichText2() {
  // Filled afresh each time, so a second copy does not double the text.
  WPRichText2->ClearDocument();
  WPRichText2->LinkToText(WPRichText1);
  WPRichText2->FastAppendText(WPRichText1);
  StripLinksForCopy(WPRichText2);
}

void TfrmDispData::pbCopyClick() {
  {
    THourGlass busy;
    PrepareWPRichText2();
    WPRichText2->SelectAll();
    WPRichText2->CopyToClipboard();
    WPRichText2->SetSelection(0, 0);
  }
  Application->MessageBox("Der Text befindet sich jetzt in der Zwischenablage", Application->Title(),
                          MB_OK | MB_ICONINFORMATION);
}

void TfrmDispData::pbPrintClick() {
  PrepareWPRichText2();
  // A4 with 2 cm at the sides and 1.5 cm at top and bottom.
  WPRichText2->SetPageLayout(1140, 1140, 855, 855, 11906, 16838);
  if (!PrintDialog->Execute()) return;
  THourGlass busy;
  WPRichText2->Print();
}

// ---- the show routine -------------------------------------------------------------------------

int32_t LinkNumber(const AnsiString& linkCode) { return StrToInt(Copy(linkCode, 3, 7)); }

void ShowDispData(uint8_t kind, int32_t id) {
  TfrmDispData* f = nullptr;
  {
    THourGlass busy;
    Application->CreateForm(f);
  }
  f->ClearHistory();
  f->AddToHistory(kind, id);
  ShowModalAndFree(f);
}
