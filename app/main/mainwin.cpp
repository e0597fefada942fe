// The main window: its components laid out in code, the menus and tool
// bars, the title page, the page frame around the day-page builders, the
// two timers (date debounce and start-up step) and the single-instance
// message.
#include "app/main/mainwin.h"

#include <algorithm>

#include "app/base/userdb.h"
#include "app/dialogs/dispdef.h"
#include "app/dialogs/params.h"
#include "app/editors/ereierf.h"
#include "app/editors/perserf.h"
#include "app/editors/selcerf.h"
#include "app/main/calbox.h"
#include "app/main/dialogs.h"
#include "app/main/password.h"
#include "app/pages/eigepage.h"
#include "app/pages/ftagpage.h"
#include "app/pages/namepage.h"
#include "app/pages/perspage.h"
#include "app/printing/druceige.h"
#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/templates/layoutedit.h"
#include "app/templates/printsheet.h"
#include "app/text/helpers.h"
#include "app/windows/datawin.h"
#include "app/windows/saying.h"
#include "app/windows/warner.h"
#include "app/windows/winparts.h"
#include "calendar/packeddate.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "resources/cursors.h"
#include "resources/pictures.h"

uint8_t SunMoonMode = 0;

namespace {
// The page header draws a caption: the rubric title, the user's text,
// shows as it stands, each "&" doubled so that none marks an accelerator.
AnsiString HeaderCaption(const AnsiString& title) {
  AnsiString s;
  for (char c : title) s += c == '&' ? AnsiString("&&") : AnsiString(1, c);
  return s;
}
// A table this start could not open counts as none.
TwwTable* IfOpen(TwwTable* t) { return t->Active() ? t : nullptr; }
}  // namespace

AnsiString RubricTitle(int rubric) {
  switch (rubric) {
    case rbPersonal: return RubricDisplay[rbPersonal].RubricTitle;
    case rbBirths: return "Geburtstage";
    case rbDeaths: return "Todestage";
    case rbEvents: return "Weltgeschehen";
    case rbNameDays: return "Namenstage";
    case rbHolidays: return "Feiertage";
    default: return "";
  }
}
TfrmMain* frmMain = nullptr;

namespace {

// Sizes of the layout.
constexpr int kToolbarHeight = 46, kToolbar2Height = 30, kBevelHeight = 2, kBottomHeight = 24;
constexpr int kLeftWidth = 164, kClientBorder = 5;
constexpr int kRubricButtonWidth = 72, kRubricButtonHeight = 42;
constexpr int kSmallButtonWidth = 86, kSmallButtonHeight = 26;
constexpr int kBoxWidth = 148, kBoxHeight = 207, kBoxTop = 4, kBoxGap = 4;

TBevel* TopLine(TfrmMain* f, const char* name, int top) {
  auto* b = new TBevel(f);
  b->SetName(name);
  b->SetParent(f);
  b->SetShape(bsTopLine);
  b->SetBounds(0, top, f->ClientWidth(), kBevelHeight);
  b->SetAlign(alTop);
  return b;
}

TPanel* Panel(TComponent* owner, TWinControl* parent, const char* name) {
  auto* p = new TPanel(owner);
  p->SetName(name);
  p->SetParent(parent);
  p->SetCaption("");
  p->SetBevelOuter(bvNone);
  return p;
}

}  // namespace

TfrmMain::TfrmMain(TComponent* owner) : TOrvelanForm(owner) {
  SetName("frmMain");
  // The system's own caption names the platform it runs on.
  SetCaption(CP1252("Orvelan für Linux").str());
  SetBounds(0, 0, 687, 524);
  SetColor(clBtnFace);
  Font()->SetName("Arial");
  Font()->SetHeight(-13);
  SetShowHint(true);
  SetHasMenu(true);

  mnuMain = new TMainMenu(this);
  mnuMain->SetName("mnuMain");

  int top = 0;
  Bevel1 = TopLine(this, "Bevel1", top);
  pnlToolbar = Panel(this, this, "pnlToolbar");
  pnlToolbar->SetBounds(0, top += kBevelHeight, ClientWidth(), kToolbarHeight);
  pnlToolbar->SetAlign(alTop);
  Bevel2 = TopLine(this, "Bevel2", top += kToolbarHeight);
  pnlToolbar2 = Panel(this, this, "pnlToolbar2");
  pnlToolbar2->SetBounds(0, top += kBevelHeight, ClientWidth(), kToolbar2Height);
  pnlToolbar2->SetAlign(alTop);
  Bevel3 = TopLine(this, "Bevel3", top += kToolbar2Height);

  pnlBottom = Panel(this, this, "pnlBottom");
  pnlBottom->SetBounds(0, ClientHeight() - kBottomHeight, ClientWidth(), kBottomHeight);
  pnlBottom->SetAlign(alBottom);
  pnlGauge = Panel(this, pnlBottom, "pnlGauge");
  pnlGauge->SetBevelOuter(bvLowered);
  pnlGauge->SetBorderWidth(2);
  pnlGauge->SetBounds(0, 0, 161, kBottomHeight);
  pnlGauge->SetAlign(alLeft);
  Gauge = new TGauge(this);
  Gauge->SetName("Gauge");
  Gauge->SetParent(pnlGauge);
  Gauge->SetAlign(alClient);
  Gauge->SetForeColor(clNavy);
  Gauge->SetBackColor(clBtnFace);
  Gauge->SetBorderStyle(bsNone);
  SizeBar = new TSizeBar(this);
  SizeBar->SetName("SizeBar");
  SizeBar->SetParent(pnlBottom);
  SizeBar->SetCaption("");
  SizeBar->SetBounds(161, 0, ClientWidth() - 161, kBottomHeight);
  SizeBar->SetAlign(alClient);

  pnlLeft = Panel(this, this, "pnlLeft");
  pnlLeft->SetBounds(0, top + kBevelHeight, kLeftWidth, 300);
  pnlLeft->SetAlign(alLeft);
  boxKalender = new TCalendarBox(this);
  boxKalender->SetName("boxKalender");
  boxKalender->SetParent(pnlLeft);
  boxKalender->SetBounds((kLeftWidth - kBoxWidth) / 2, kBoxTop, kBoxWidth, kBoxHeight);
  boxKalender->OnPaint = [this](TObject*) {
    PaintCalendarBox(boxKalender->Canvas(), boxKalender->Width(), boxKalender->Height(), SunMoonMode,
                     CalendarBoxDayOfSettings(CurrentDateKey));
  };
  boxKalender->OnClick = [this](TObject* s) { boxKalenderClick(s); };
  Kalender = new TCalendar97(this);
  Kalender->SetName("Kalender");
  Kalender->SetParent(pnlLeft);
  // A small face, so that box and calendar fit the window's initial height.
  Kalender->SetParentFont(false);
  Kalender->Font()->SetName("Arial");
  Kalender->Font()->SetHeight(-11);
  Kalender->SetTextToday("Heute");
  Kalender->SetTextEnter("Direkt");
  static const char* const days[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
  for (int d = 1; d <= 7; ++d) Kalender->DayNames()->Set(d, days[d - 1]);
  const AnsiString months[] = {"Januar", "Februar", CP1252("März").str(), "April",   "Mai",      "Juni",
                               "Juli",   "August",  "September",          "Oktober", "November", "Dezember"};
  for (int m = 1; m <= 12; ++m) Kalender->MonthNames()->Set(m, months[m - 1]);
  Kalender->Colors()->SetColorDates(clNavy);
  Kalender->Colors()->SetColorValid(clNavy);
  Kalender->SetLeft((kLeftWidth - Kalender->Width()) / 2);
  Kalender->SetTop(kBoxTop + kBoxHeight + kBoxGap);
  Kalender->SetTabStop(true);
  Kalender->OnDateChange = [this](TObject* s) { KalenderDateChange(s); };
  Kalender->OnEnterDate = [this](TObject* s) { pbDatumClick(s); };

  pnlClient = Panel(this, this, "pnlClient");
  pnlClient->SetBorderWidth(kClientBorder);
  pnlClient->SetBounds(kLeftWidth, top + kBevelHeight, ClientWidth() - kLeftWidth, 300);
  pnlClient->SetAlign(alClient);
  pnlTitel = Panel(this, pnlClient, "pnlTitel");
  pnlTitel->SetBevelOuter(bvLowered);
  pnlTitel->SetAlignment(taLeftJustify);
  pnlTitel->Font()->SetName("Arial");
  pnlTitel->Font()->SetHeight(-16);
  pnlTitel->Font()->SetStyle({fsBold});
  pnlTitel->SetBounds(0, 0, 100, 26);
  pnlTitel->SetAlign(alTop);
  pnlDistUnten = Panel(this, pnlClient, "pnlDistUnten");
  pnlDistUnten->SetBounds(0, 26, 100, 6);
  pnlDistUnten->SetAlign(alTop);
  WPRichText1 = new TWPRichText(this);
  WPRichText1->SetName("WPRichText1");
  WPRichText1->SetParent(pnlClient);
  WPRichText1->Font()->SetName("Arial");
  WPRichText1->Font()->SetHeight(-13);
  WPRichText1->SetWordWrap(true);
  WPRichText1->SetScrollBars(ssVertical);
  WPRichText1->SetCaretDisabled(true);
  // The page shows what the builders wrote; typing must not change it.
  // Only the page frame writes into it (AllowWriting).
  WPRichText1->SetReadOnly(true);
  WPRichText1->SetNoBlockMarking(true);
  WPRichText1->SetOneClickHyperlink(true);
  WPRichText1->GetHyperlinkTextAttr()->SetUnderline(tsTRUE);
  WPRichText1->GetHyperlinkTextAttr()->SetUseUnderlineColor(true);
  WPRichText1->GetHyperlinkTextAttr()->SetUnderlineColor(clBlue);
  WPRichText1->SetHyperLinkCursor(crHyperlink);
  WPRichText1->HyperLinkEvent = [this](TObject*, const AnsiString&, const AnsiString& stamp, int) {
    WPRichText1HyperLinkEvent(stamp);
  };
  pnlWhite = Panel(this, pnlClient, "pnlWhite");
  pnlWhite->SetColor(clWindow);
  pnlWhite->SetBorderStyle(bsSingle);
  pnlWhite->SetVisible(false);

  // Title and version of the title page: bold red with a black shadow.
  auto shadowTitle = [this](const char* name, int height) {
    auto* l = new TShadowLabel(this);
    l->SetName(name);
    l->SetParent(pnlClient);
    l->SetTransparent(true);
    l->Font()->SetName("Book Antiqua");
    l->Font()->SetHeight(height);
    l->Font()->SetStyle({fsBold});
    l->Font()->SetColor(clRed);
    l->SetSLSLShadowColor(clBlack);
    return l;
  };
  lblTitel = shadowTitle("lblTitel", -64);
  lblTitel->SetSLSLShadowSize(3);
  lblTitel->SetCaption("Orvelan");
  lblVersion = shadowTitle("lblVersion", -37);
  imgTitelbild = new TImage(this);
  imgTitelbild->SetName("imgTitelbild");
  imgTitelbild->SetParent(pnlClient);
  imgTitelbild->SetAutoSize(true);
  imgTitelbild->Picture()->SetGraphic(TitlePicture().get());
  imgTitelbild->SetVisible(false);
  imgTitelbild->OnClick = [](TObject*) { ShowInfo(); };

  DataTimer = new TTimer(this);
  DataTimer->SetName("DataTimer");
  DataTimer->SetEnabled(false);
  DataTimer->SetInterval(400);
  DataTimer->OnTimer = [this](TObject* s) { DataTimerTimer(s); };
  StartupTimer = new TTimer(this);
  StartupTimer->SetName("StartupTimer");
  StartupTimer->SetEnabled(false);
  StartupTimer->SetInterval(200);
  StartupTimer->OnTimer = [this](TObject* s) { StartupTimerTimer(s); };

  tblEige = MakeTable("tblEige", "OrvUser", "EIGENES.FFD", "XEIGE_MTJ");
  tblPers = MakeTable("tblPers", "Orvelan", "PERSON.FFD", "PE_GMTJ");
  tblErei = MakeTable("tblErei", "Orvelan", "EREIGNIS.FFD", "ER_MTJ");
  tblName = MakeTable("tblName", "Orvelan", "NAME.FFD", "XPKNAME");
  tblPatr = MakeTable("tblPatr", "Orvelan", "PATRON.FFD", "PA_MT");
  tblFTag = MakeTable("tblFTag", "Orvelan", "FEIERTAG.FFD", "FT_MT");
  dsEige = new TwwDataSource(this);
  dsEige->SetName("dsEige");
  dsEige->SetDataSet(tblEige);
  DBMemo1 = new TDBMemo(this);
  DBMemo1->SetName("DBMemo1");
  DBMemo1->SetParent(pnlClient);
  DBMemo1->SetVisible(false);
  DBMemo1->SetDataSource(dsEige);
  DBMemo1->SetDataField("EIGE_TEXT");

  BuildToolbars();
  BuildMenus();

  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
  OnPaint = [this](TObject* s) { FormPaint(s); };
  OnResize = [this](TObject* s) { FormResize(s); };
  OnActivate = [this](TObject* s) { FormActivate(s); };
  OnHide = [this](TObject* s) { FormHide(s); };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
  // The window sees key releases first, for the saying window's keys.
  SetKeyPreview(true);
  OnKeyUp = [this](TObject* s, Word& key, TShiftState shift) { FormKeyUp(s, key, shift); };
  if (!frmMain) frmMain = this;
}

TfrmMain::~TfrmMain() {
  // Freed by its owner, the window ran its destruction handler already;
  // deleted directly, it runs it now, while the whole window exists.
  BeforeDestruction();
  if (frmMain == this) frmMain = nullptr;
}

TwwTable* TfrmMain::MakeTable(const char* name, const char* database, const char* table, const char* index) {
  auto* t = new TwwTable(this);
  t->SetName(name);
  t->SetDatabaseName(database);
  t->SetReadOnly(IsReferenceDatabase(database));
  t->SetTableName(table);
  t->SetIndexName(index);
  t->AfterOpen = [](TDataSet* d) { FixStringFields(d); };
  return t;
}

void TfrmMain::CreateParams(TCreateParams& params) {
  TOrvelanForm::CreateParams(params);
  params.WinClassName = kMainWindowClass;
}

// ---- tool bars and menus ---------------------------------------------------------

TExplorerButton* TfrmMain::ToolButton(TPanel* bar, const char* name, const AnsiString& caption, int picture,
                                      bool big, TNotifyEvent onClick) {
  auto* b = new TExplorerButton(this);
  b->SetName(name);
  b->SetParent(bar);
  b->SetCaption(caption);
  // The buttons' captions in the small face, so that they fit the buttons.
  b->SetParentFont(false);
  b->Font()->SetName("Arial");
  b->Font()->SetHeight(-11);
  b->SetBounds(0, 0, big ? kRubricButtonWidth : kSmallButtonWidth, big ? kRubricButtonHeight : kSmallButtonHeight);
  b->SetLayout(big ? blBitmapTop : blBitmapLeft);
  b->SetBitmap(ToolPicture(static_cast<TToolPicture>(picture)).get());
  b->SetHint(StripHotkey(caption));
  // A button whose window is not part of the program stays disabled.
  b->SetEnabled(static_cast<bool>(onClick));
  // Tab reaches the tool bars, the calendar box, the calendar and the page.
  b->SetTabStop(true);
  b->OnClick = std::move(onClick);
  return b;
}

TNotifyEvent TfrmMain::Offered(int part, TNotifyEvent action) {
  // A part whose files this start cannot use is shown, but disabled.
  if (!PartAvailable(static_cast<TDataPart>(part))) return {};
  return action;
}

void TfrmMain::BuildToolbars() {
  auto rubric = [this](int r) -> TNotifyEvent {
    if (!RubricAvailable(r)) return {};
    return [this, r](TObject*) { ChooseRubrik(r); };
  };
  pbLeer = ToolButton(pnlToolbar, "pbLeer", "Leer", tpEmpty, true, rubric(rbEmpty));
  pbEige = ToolButton(pnlToolbar, "pbEige", CP1252("Persönliches").str(), tpPersonal, true, rubric(rbPersonal));
  pbPGeb = ToolButton(pnlToolbar, "pbPGeb", "Geburtstage", tpBirths, true, rubric(rbBirths));
  pbPTod = ToolButton(pnlToolbar, "pbPTod", "Todestage", tpDeaths, true, rubric(rbDeaths));
  pbErei = ToolButton(pnlToolbar, "pbErei", "Ereignisse", tpEvents, true, rubric(rbEvents));
  pbName = ToolButton(pnlToolbar, "pbName", "Namenstage", tpNameDays, true, rubric(rbNameDays));
  pbFTag = ToolButton(pnlToolbar, "pbFTag", "Feiertage", tpHolidays, true, rubric(rbHolidays));
  for (TExplorerButton* b : {pbLeer, pbEige, pbPGeb, pbPTod, pbErei, pbName, pbFTag}) b->SetGroupIndex(1);
  pbExit = ToolButton(pnlToolbar, "pbExit", "Ende", tpExit, true, [this](TObject*) { Close(); });

  pbHelp = ToolButton(pnlToolbar2, "pbHelp", "Hilfe", tpHelp, false, [this](TObject*) { ShowHelp(); });
  pbTermine = ToolButton(pnlToolbar2, "pbTermine", "Termine", tpWarner, false,
                         Offered(dpWarner, [](TObject*) { ShowTermine(false); }));
  pbSpruch = ToolButton(pnlToolbar2, "pbSpruch", "Spruch", tpSaying, false,
                        Offered(dpSayings, [this](TObject*) { SayingClick(); }));
  pbInfo = ToolButton(pnlToolbar2, "pbInfo", "Info", tpInfo, false, [](TObject*) { ShowInfo(); });
  PlaceToolButtons();
}

void TfrmMain::BuildMenus() {
  TMenuItem* root = mnuMain->Items();
  auto menu = [this](TMenuItem* parent, const char* name, const AnsiString& caption) {
    auto* m = new TMenuItem(this);
    m->SetName(name);
    m->SetCaption(caption);
    parent->Add(m);
    return m;
  };
  // An item without an action is one whose window is not part of the
  // program: it is shown, but disabled.
  auto item = [&](TMenuItem* parent, const char* name, const AnsiString& caption, TShortCut shortCut,
                  TNotifyEvent action) {
    TMenuItem* m = menu(parent, name, caption);
    m->SetShortCut(shortCut);
    m->SetEnabled(static_cast<bool>(action));
    m->OnClick = std::move(action);
    return m;
  };
  auto rubric = [this](int r) -> TNotifyEvent {
    if (!RubricAvailable(r)) return {};
    return [this, r](TObject*) { ChooseRubrik(r); };
  };
  auto calendarKey = [this](Word key, TShiftState shift) -> TNotifyEvent {
    return [this, key, shift](TObject*) { KalenderKeySimulieren(key, shift); };
  };

  mnuDatei = menu(root, "mnuDatei", "&Datei");
  mnpTermine = item(mnuDatei, "mnpTermine", "Termine", 0, Offered(dpWarner, [](TObject*) { ShowTermine(false); }));
  mnpSpruch =
      item(mnuDatei, "mnpSpruch", "Spruch des Tages", 0, Offered(dpSayings, [this](TObject*) { SayingClick(); }));
  menu(mnuDatei, "N1", "-");
  mnpExit = item(mnuDatei, "mnpExit", "&Beenden", 0, [this](TObject*) { Close(); });

  mnuRubrik = menu(root, "mnuRubrik", "&Rubrik");
  mnpLeer = item(mnuRubrik, "mnpLeer", "Leer", ShortCut(VK_DELETE, 0), rubric(rbEmpty));
  mnpEige = item(mnuRubrik, "mnpEige", CP1252("Persönliche Daten").str(), ShortCut(VK_F4, 0), rubric(rbPersonal));
  mnpPGeb = item(mnuRubrik, "mnpPGeb", "Geburtstage", ShortCut(VK_F5, 0), rubric(rbBirths));
  mnpPTod = item(mnuRubrik, "mnpPTod", "Todestage", ShortCut(VK_F6, 0), rubric(rbDeaths));
  mnpErei = item(mnuRubrik, "mnpErei", "Ereignisse", ShortCut(VK_F7, 0), rubric(rbEvents));
  mnpName = item(mnuRubrik, "mnpName", "Namenstage", ShortCut(VK_F8, 0), rubric(rbNameDays));
  mnpFTag = item(mnuRubrik, "mnpFTag", "Feiertage", ShortCut(VK_F9, 0), rubric(rbHolidays));

  mnuDatum = menu(root, "mnuDatum", "D&atum");
  mnpTagPlus = item(mnuDatum, "mnpTagPlus", "Tag +", ShortCut(VK_RIGHT, ssCtrl), calendarKey(VK_RIGHT, 0));
  mnpTagMinus = item(mnuDatum, "mnpTagMinus", "Tag -", ShortCut(VK_LEFT, ssCtrl), calendarKey(VK_LEFT, 0));
  mnpWochePlus = item(mnuDatum, "mnpWochePlus", "Woche +", ShortCut(VK_DOWN, ssCtrl), calendarKey(VK_DOWN, 0));
  mnpWocheMinus = item(mnuDatum, "mnpWocheMinus", "Woche - ", ShortCut(VK_UP, ssCtrl), calendarKey(VK_UP, 0));
  mnpMonatPlus =
      item(mnuDatum, "mnpMonatPlus", "Monat +", ShortCut(VK_NEXT, ssCtrl), calendarKey(VK_DOWN, ssShift));
  mnpMonatMinus =
      item(mnuDatum, "mnpMonatMinus", "Monat -", ShortCut(VK_PRIOR, ssCtrl), calendarKey(VK_UP, ssShift));
  mnpJahrPlus = item(mnuDatum, "mnpJahrPlus", "Jahr +", ShortCut(VK_NEXT, ssAlt), calendarKey(VK_RIGHT, ssShift));
  mnpJahrMinus = item(mnuDatum, "mnpJahrMinus", "Jahr -", ShortCut(VK_PRIOR, ssAlt), calendarKey(VK_LEFT, ssShift));
  mnpHeute = item(mnuDatum, "mnpHeute", "Heute", ShortCut(VK_HOME, ssCtrl), calendarKey(VK_HOME, 0));
  menu(mnuDatum, "N2", "-");
  mnpDatum = item(mnuDatum, "mnpDatum", "Eingeben", ShortCut(VK_HOME, ssAlt), [this](TObject* s) { pbDatumClick(s); });

  mnuEige = menu(root, "mnuEige", CP1252("&Persönliche Daten").str());
  // The editors of the user's own data, behind the password; what they
  // stored shows on the personal page at once.
  auto ownData = [this](std::function<void()> show) -> TNotifyEvent {
    return [this, show](TObject*) {
      if (!AskPasswort()) return;
      show();
      if (CurrentRubric == rbPersonal) DisplayRubrik();
    };
  };
  mnpPersErf = item(mnuEige, "mnpPersErf", "Personen", 0, Offered(dpEditors, ownData([] {
                                                                      int id = 0;
                                                                      ShowPersErf(id);
                                                                    })));
  mnpEreiErf = item(mnuEige, "mnpEreiErf", "Ereignisse", 0, Offered(dpEditors, ownData(ShowEreiErf)));
  mnpSelCErf = item(mnuEige, "mnpSelCErf", "Selektionscodes", 0, Offered(dpEditors, ownData(ShowSelCErf)));
  menu(mnuEige, "N3", "-");
  mnpPassDef = item(mnuEige, "mnpPassDef", CP1252("Paßwort definieren").str(), 0, [](TObject*) {
    if (AskPasswort()) ShowPassDef();
  });

  mnuDrucken = menu(root, "mnuDrucken", "Dr&ucken");
  // A sheet shows an own person and opens the person list and editor: it
  // too is personal data behind the password.
  mnpDrucken =
      item(mnuDrucken, "mnpDrucken", CP1252("Blätter nach Vorlagen").str(), 0, Offered(dpSheets, ownData(ShowDrucken)));
  mnpDruckEige = menu(mnuDrucken, "mnpDruckEige", CP1252("Persönliche Daten").str());
  // The printed lists of personal data only with the password.
  auto printList = [this](int list) -> TNotifyEvent {
    return Offered(dpPersonalLists, [list](TObject*) {
      if (AskPasswort()) ShowDruckEige(list);
    });
  };
  mnpTagebuch = item(mnpDruckEige, "mnpTagebuch", "Tagebuch", 0, printList(plDiary));
  mnpGebListe = item(mnpDruckEige, "mnpGebListe", "Geburtstagsliste", 0, printList(plBirthdayList));
  mnpGebUebersicht =
      item(mnpDruckEige, "mnpGebUebersicht", CP1252("Geburtstagsübersicht").str(), 0, printList(plBirthdayOverview));
  menu(mnuDrucken, "N4", "-");
  mnpLayout = item(mnuDrucken, "mnpLayout", "Vorlagen erfassen", 0, Offered(dpTemplates, [](TObject*) {
                     int number = 0;
                     ShowLayout(number);
                   }));

  mnuEinstellungen = menu(root, "mnuEinstellungen", "&Einstellungen");
  mnpAnzeige = menu(mnuEinstellungen, "mnpAnzeige", "Anzeige");
  // A confirmed display dialog rebuilds the page when it shows that rubric.
  auto display = [this](int r) -> TNotifyEvent {
    return [this, r](TObject*) {
      if (ShowRubricDisp(r) != mrOk || CurrentRubric != r) return;
      pnlTitel->SetCaption(HeaderCaption(RubricTitle(r)));
      DisplayRubrik();
    };
  };
  mnpEigeDisp = item(mnpAnzeige, "mnpEigeDisp", CP1252("Persönliche Daten").str(), 0, display(rbPersonal));
  mnpPGebDisp = item(mnpAnzeige, "mnpPGebDisp", "Geburtstage", 0, display(rbBirths));
  mnpPTodDisp = item(mnpAnzeige, "mnpPTodDisp", "Todestage", 0, display(rbDeaths));
  mnpEreiDisp = item(mnpAnzeige, "mnpEreiDisp", "Weltgeschehen", 0, display(rbEvents));
  mnpNameDisp = item(mnpAnzeige, "mnpNameDisp", "Namenstage", 0, display(rbNameDays));
  mnpFTagDisp = item(mnpAnzeige, "mnpFTagDisp", "Feiertage", 0, display(rbHolidays));
  mnpParams = item(mnuEinstellungen, "mnpParams", "Parameter", 0, [this](TObject*) {
    if (ShowParams() == mrOk) ApplyParams();
  });

  mnuHilfe = menu(root, "mnuHilfe", "&Hilfe");
  mnpInfo = item(mnuHilfe, "mnpInfo", "Info", ShortCut(VK_F1, ssShift), [](TObject*) { ShowInfo(); });
  mnpInhalt = item(mnuHilfe, "mnpInhalt", "Inhalt", ShortCut(VK_F1, 0), [this](TObject*) { ShowHelp(); });
}

bool TfrmMain::RubricAvailable(int rubric) {
  // The personal page needs the user's own table; the others the reference
  // tables they walk.
  switch (rubric) {
    case rbEmpty: return true;
    case rbPersonal: return PartAvailable(dpPersonalPage);
    case rbBirths:
    case rbDeaths: return PartAvailable(dpPersonPages);
    case rbEvents: return PartAvailable(dpEventsPage);
    case rbNameDays: return PartAvailable(dpNameDaysPage);
    case rbHolidays: return PartAvailable(dpHolidaysPage);
    default: return false;
  }
}

void TfrmMain::ChooseRubrik(int r) {
  // The user's choice is the rubric stored at the end.
  HeldStartRubric = -1;
  if (r == rbPersonal && !AskPasswort()) r = rbEmpty;
  SetRubrik(r);
}

void TfrmMain::pbDatumClick(TObject*) {
  if (ShowDatum()) DataTimer->SetEnabled(true);
}

// ---- creation, showing, painting -----------------------------------------------------

void TfrmMain::FormCreate(TObject*) {
  SetFormKey("HAUPTFENSTER");
  Application->SetHelpFile(ProgramDir + "OrvHilfe.hlp");
  SetHelpContext(1);
  pictureFits_ = false;
  SizeBar->SetBevelInner(bvNone);
  SizeBar->SetBevelOuter(bvRaised);
  lblVersion->SetCaption("Version 5.02");
  WPRichText1->SetAlign(alClient);
  pnlWhite->SetAlign(alClient);
  ApplyKalenderParams();
  CurrentDateKey = TodayPackedDate();
  Kalender->SetDate(Date());
  Kalender->SetValidDateMin(PackedDateToDateTime(PackedDateMin()));
  Kalender->SetValidDateMax(PackedDateToDateTime(PackedDateMax()));
  SunMoonMode = 0;
  Gauge->SetVisible(false);
  // A table that cannot be opened is named in German; the program block
  // shows it and ends without touching the file. The user's own table was
  // checked at the start: one that cannot be read stays closed, and one that
  // may not be written is only read.
  if (RubricAvailable(rbPersonal)) {
    tblEige->SetReadOnly(UserTableUse(utEigenes) == tuReadOnly);
    OpenTableOrExplain(tblEige);
  }
  // A reference table this start cannot use stays closed with the rubrics
  // that need it.
  for (TwwTable* t : {tblPers, tblErei, tblName, tblFTag, tblPatr})
    if (ReferenceTableUsable(t->TableName())) OpenTableOrExplain(t);
  firstPaint_ = true;
}

void TfrmMain::ApplyKalenderParams() {
  if (Weekend != 0) {
    Kalender->SetStartOfWeekEnd(7);
    Kalender->SetWeekEndDays(1);
  } else {
    Kalender->SetStartOfWeekEnd(6);
    Kalender->SetWeekEndDays(2);
  }
  Kalender->SetStartOfWeek(WeekStart == 1 ? 1 : 7);
}

void TfrmMain::FormShow(TObject*) {
  ReadPosition();
  TCanvas* c = Canvas();
  c->Font()->Assign(*Font());
  DateEditWidth = DateTimeEditWidth(*Font(), "__.__.____");
  TimeEditWidth = DateTimeEditWidth(*Font(), "__:__");
  // The calendar sizes itself from its font once it exists: centred under the box.
  Kalender->SetLeft((pnlLeft->Width() - Kalender->Width()) / 2);
  if (pnlLeft->Width() < Kalender->Width()) {
    Kalender->SetLeft(3);
    pnlLeft->SetWidth(Kalender->Left() + Kalender->Width());
    // Centred over the calendar (the calendar's own left counted too).
    boxKalender->SetLeft(Kalender->Left() + (Kalender->Width() - boxKalender->Width()) / 2);
  }
  // The hand over links, the calendar box and the title picture.
  WPRichText1->SetHyperLinkCursor(crHyperlink);
  boxKalender->SetCursor(crHyperlink);
  imgTitelbild->SetCursor(crHyperlink);
  // The page has the focus from the start, so that its keys scroll it,
  // though the tool bars come before it in the Tab order.
  if (!ActiveControl() && WPRichText1->CanFocus()) SetActiveControl(WPRichText1);
  FormResize(this);
  Application->ProcessMessages();
}

void TfrmMain::FormPaint(TObject*) {
  if (!firstPaint_) return;
  firstPaint_ = false;
  StartupTimer->SetEnabled(true);
}

void TfrmMain::FormActivate(TObject*) {
  // The notice is given once: closing it activates the window again.
  if (depthChecked_) return;
  depthChecked_ = true;
  const int bits = Canvas()->GetDeviceCaps(BITSPIXEL);
  if (bits >= 9) return;
  Application->MessageBox(CP1252("Ihr PC läuft im Moment mit einer Farbtiefe von ").str() + IntToStr(bits) +
                              CP1252("bit.\rUm optimal mit der Orvelan arbeiten zu können, sollten Sie\r"
                                     "eine Farbtiefe von mind. 16bit (High Color) einschalten.\r\r"
                                     "Das Programm wird sich jetzt in einer nicht sehr an-\r"
                                     "sprechenden und ständig wechselnden Farbgebung präsentieren...")
                                  .str(),
                          Application->Title(), MB_OK | MB_ICONINFORMATION);
}

void TfrmMain::FormHide(TObject*) { WritePosition(); }

void TfrmMain::FormKeyUp(TObject*, Word& key, TShiftState) {
  // The arrows belong to the calendar and the page here: handed on, every
  // day the user steps through would also change the saying's category.
  // The category keys the main window has no use for go on.
  if (key == VK_LEFT || key == VK_RIGHT) return;
  if (frmSpruch && frmSpruch->Visible()) frmSpruch->FormKeyUp(key);
}

void TfrmMain::FormDestroy(TObject*) {
  for (TwwTable* t : {tblPatr, tblFTag, tblName, tblErei, tblPers, tblEige}) t->Close();
}

// ---- timers and the calendar ---------------------------------------------------------

void TfrmMain::StartupTimerTimer(TObject*) {
  StartupTimer->SetEnabled(false);
  // A start rubric the program cannot show opens the title page; the
  // settings keep it for the next start.
  if (!RubricAvailable(CurrentRubric) || (CurrentRubric == rbPersonal && !AskPasswort())) {
    if (CurrentRubric < kRubricCount) HeldStartRubric = CurrentRubric;
    CurrentRubric = rbEmpty;
  }
  SetRubrik(CurrentRubric);
  if (ShowWarner && PartAvailable(dpWarner)) ShowTermine(true);
  if (ShowSaying && frmSpruch) {
    frmSpruch->SetFormStyle(SayingOnTop ? fsStayOnTop : fsNormal);
    // Above the main window, which keeps the keyboard for its keys and dates.
    frmSpruch->ShowInactive();
  }
}

void TfrmMain::SayingClick() {
  if (!frmSpruch) return;
  if (frmSpruch->Visible())
    frmSpruch->BringToFront();
  else
    frmSpruch->Show();
}

void TfrmMain::KalenderDateChange(TObject*) {
  DataTimer->SetEnabled(false);
  int y = 0, m = 0, d = 0;
  DecodeDate(Kalender->Date(), y, m, d);
  CurrentDateKey.Length = 4;
  CurrentDateKey.Century = static_cast<unsigned char>(y / 100);
  CurrentDateKey.Year = static_cast<unsigned char>(y % 100);
  CurrentDateKey.Month = static_cast<unsigned char>(m);
  CurrentDateKey.Day = static_cast<unsigned char>(d);
  DataTimer->SetEnabled(true);
}

void TfrmMain::DataTimerTimer(TObject*) {
  DataTimer->SetEnabled(false);
  const TDateTime d = PackedDateToDateTime(CurrentDateKey);
  boxKalender->Invalidate();
  if (Kalender->Date() != d) {
    // The key was set elsewhere (e.g. by the date dialog).
    SunMoonMode = 0;
    Kalender->SetDate(d);
    Kalender->Invalidate();
  }
  DisplayRubrik();
  if (frmSpruch && frmSpruch->Visible()) LoadSpruch(frmSpruch);
}

void TfrmMain::WPRichText1HyperLinkEvent(const AnsiString& linkCode) {
  // A person's link opens the data window on that person.
  if (!linkCode.empty() && linkCode[0] == 'p') ShowDispData(dkPerson, LinkNumber(linkCode));
}

void TfrmMain::boxKalenderClick(TObject*) {
  SunMoonMode = static_cast<uint8_t>(1 - SunMoonMode);
  boxKalender->Invalidate();
}

void TfrmMain::ApplyParams() {
  ApplyKalenderParams();
  KalenderKeySimulieren(0, 0);
  Kalender->Invalidate();
  // Position, country and confession show in the box, the holidays on their page.
  boxKalender->Invalidate();
  if (CurrentRubric == rbHolidays) DisplayRubrik();
  // The saying window takes its place in front or among the others where
  // it stands: shown again, it would take the keyboard from this window,
  // which the dialog gave it back.
  if (frmSpruch) frmSpruch->SetFormStyle(SayingOnTop ? fsStayOnTop : fsNormal);
}

void TfrmMain::KalenderKeySimulieren(Word key, TShiftState shift) {
  Word k = key;
  Kalender->KeyDown(k, shift);
}

// ---- rubrics and the page frame ------------------------------------------------------

void TfrmMain::SetRubrik(int r) {
  TMenuItem* items[kRubricCount] = {mnpLeer, mnpEige, mnpPGeb, mnpPTod, mnpErei, mnpName, mnpFTag};
  TExplorerButton* buttons[kRubricCount] = {pbLeer, pbEige, pbPGeb, pbPTod, pbErei, pbName, pbFTag};
  for (TMenuItem* m : items) m->SetChecked(false);
  if (r < 0 || r >= kRubricCount || !RubricAvailable(r)) r = rbEmpty;
  items[r]->SetChecked(true);
  buttons[r]->SetDown(true);
  CurrentRubric = static_cast<uint8_t>(r);
  imgTitelbild->SetVisible(pictureFits_ && r == rbEmpty);
  lblTitel->SetVisible(r == rbEmpty);
  lblVersion->SetVisible(r == rbEmpty);
  pnlTitel->SetCaption(HeaderCaption(RubricTitle(r)));
  pnlTitel->SetVisible(r != rbEmpty);
  WPRichText1->SetVisible(r != rbEmpty);
  DisplayRubrik();
}

void TfrmMain::DisplayRubrik() {
  ++pagesBuilt_;
  // Hiding the page takes its focus; the rebuilt page gets it back, and
  // takes it when nothing else has it, so its keys scroll it at once.
  const bool pageFocus = WPRichText1->Focused() || !ActiveControl();
  auto writing = AllowWriting(WPRichText1);
  WPRichText1->ClearDocument();
  WPRichText1->SetVisible(false);
  if (CurrentRubric != rbEmpty) pnlWhite->SetVisible(true);
  Screen->SetCursor(crHourGlass);
  try {
    DayPageContext ctx;
    ctx.Page = WPRichText1;
    ctx.Persons = IfOpen(tblPers);
    ctx.Patrons = IfOpen(tblPatr);
    ctx.Own = tblEige;
    ctx.Events = IfOpen(tblErei);
    ctx.Names = IfOpen(tblName);
    ctx.Holidays = IfOpen(tblFTag);
    ctx.Gauge = Gauge;
    ctx.Date = CurrentDateKey;
    switch (CurrentRubric) {
      case rbPersonal: DisplayEige(ctx); break;
      case rbBirths: DisplayPers(ctx, dpBirths); break;
      case rbDeaths: DisplayPers(ctx, dpDeaths); break;
      case rbEvents: DisplayErei(ctx); break;
      case rbNameDays: DisplayName(ctx); break;
      case rbHolidays: DisplayFTag(ctx); break;
      default: break;  // the title page has no page
    }
    if (CurrentRubric != rbEmpty) {
      // Laid out once: by a new page width, or here.
      const int passes = WPRichText1->RtfText()->FormatCount();
      SetPageWidth();
      WPRichText1->SetVisible(true);
      if (WPRichText1->RtfText()->FormatCount() == passes) WPRichText1->RtfText()->FormatText();
      WPRichText1->PlaceCursor(0, 0, 0, 0);
      if (pageFocus && WPRichText1->CanFocus()) WPRichText1->SetFocus();
    }
  } catch (const EAbort&) {
    pnlWhite->SetVisible(false);
    Screen->SetCursor(crDefault);
    throw;
  } catch (const Exception& e) {
    // A table or archive damaged after the start: the page stays empty, the
    // window usable, and the user learns in German which file it is.
    WPRichText1->ClearDocument();
    WPRichText1->SetVisible(CurrentRubric != rbEmpty);
    pnlWhite->SetVisible(false);
    Screen->SetCursor(crDefault);
    ExplainPageFailure(e);
    return;
  }
  pnlWhite->SetVisible(false);
  Screen->SetCursor(crDefault);
  // Long texts that could not be read were left out: said once per file.
  const AnsiString missing = TakeFileFailureMessage();
  if (!missing.empty()) Application->MessageBox(missing, "Orvelan", MB_OK | MB_ICONWARNING);
  if (CurrentRubric != rbEmpty && OnPageBuilt) OnPageBuilt(this);
}

void TfrmMain::ExplainPageFailure(const Exception& e) {
  const AnsiString file =
      FindUnreadableTable({IfOpen(tblPers), IfOpen(tblPatr), PersonNationTable, PersonProfessionTable, NationTable,
                           ProfessionTable, PlaceTable, IfOpen(tblEige), IfOpen(tblErei), IfOpen(tblName),
                           IfOpen(tblFTag)});
  AnsiString why;
  if (const auto* known = dynamic_cast<const EDataFileError*>(&e))
    why = known->Message();
  else if (!file.empty())
    why = DataFileMessage(file, e);
  else
    why = "Eine der Dateien der Seite kann nicht gelesen werden:\r" + DataFileProblem(e);
  Application->MessageBox(CP1252("Die Seite \"").str() + RubricTitle(CurrentRubric) + "\" zum " +
                              FormatDateTime("dd.mm.yyyy", PackedDateToDateTime(CurrentDateKey)) +
                              " kann nicht aufgebaut werden.\r\r" + why +
                              CP1252("\r\rDie Seite bleibt leer. Ihre eigenen Daten bleiben unverändert.").str(),
                          "Orvelan", MB_OK | MB_ICONERROR);
}

void TfrmMain::SetPageWidth() {
  auto writing = AllowWriting(WPRichText1);
  const int res = WPRichText1->Header()->ResX > 0 ? WPRichText1->Header()->ResX : Screen->PixelsPerInch();
  // The width beside the vertical scroll bar, shown yet or not (the page's
  // length decides): the entries' own indents leave the same margin on both
  // sides, and the width stays the same when the bar comes or goes.
  int visible = WPRichText1->ClientWidth();
  if (!WPRichText1->ScrollBarVisible(SB_VERT)) visible -= GetSystemMetrics(SM_CXVSCROLL);
  const int width = MulDiv(std::max(1, visible), 1440, res);
  WPRichText1->SetPageLayout(0, 0, -1000, -1000, width, -1000);
}

// ---- layout ------------------------------------------------------------------------

void TfrmMain::PlaceToolButtons() {
  int left = 4;
  for (TExplorerButton* b : {pbLeer, pbEige, pbPGeb, pbPTod, pbErei, pbName, pbFTag}) {
    b->SetBounds(left, (pnlToolbar->Height() - b->Height()) / 2, b->Width(), b->Height());
    left += b->Width() + 1;
  }
  pbExit->SetBounds(pnlToolbar->Width() - pbExit->Width() - 4, (pnlToolbar->Height() - pbExit->Height()) / 2,
                    pbExit->Width(), pbExit->Height());
  left = 4;
  for (TExplorerButton* b : {pbHelp, pbTermine, pbSpruch, pbInfo}) {
    b->SetBounds(left, (pnlToolbar2->Height() - b->Height()) / 2, b->Width(), b->Height());
    left += b->Width() + 1;
  }
  pbInfo->SetLeft(pnlToolbar2->Width() - pbInfo->Width() - 4);
}

void TfrmMain::PlaceTitlePage() {
  const int h = pnlClient->Height(), w = pnlClient->Width(), b = kClientBorder;
  const int ph = imgTitelbild->Height(), pw = imgTitelbild->Width();
  const int th = lblTitel->Height(), vh = lblVersion->Height();
  if (ph + th + vh + 2 * b + 20 > h) {
    pictureFits_ = false;
    lblTitel->SetTop((h / 2 - th) / 2);
    lblVersion->SetTop(h / 2 + (h / 2 - th) / 2);
  } else {
    pictureFits_ = true;
    imgTitelbild->SetBounds((w - pw) / 2, (h - ph) / 2, pw, ph);
    const int pt = imgTitelbild->Top();
    lblTitel->SetTop((pt - th) / 2 - b);
    lblVersion->SetTop(pt + ph + (pt - vh) / 2 + b);
  }
  imgTitelbild->SetVisible(pictureFits_ && CurrentRubric == rbEmpty);
  lblTitel->SetLeft((w - lblTitel->Width()) / 2);
  lblVersion->SetLeft((w - lblVersion->Width()) / 2);
}

void TfrmMain::FormResize(TObject*) {
  PlaceTitlePage();
  PlaceToolButtons();
  // The page lays itself out for its new size, and for a new page width
  // when SetPageWidth gives one: another pass would change nothing.
  const int top = WPRichText1->TopOffset();
  SetPageWidth();
  WPRichText1->SetTopOffset(top);
}

// ---- messages ------------------------------------------------------------------------

void TfrmMain::Dispatch(TMessage& m) {
  if (m.Msg == WM_ORVELAN_FRONT) {
    BringToFrontRequested();
    return;
  }
  if (m.Msg == WM_MOUSEWHEEL && WPRichText1->Visible()) {
    // A wheel turn the focused control leaves unused (the calendar's)
    // scrolls the page when the pointer is over it.
    const TPoint at = WPRichText1->ScreenToClient({static_cast<int16_t>(LoWord(m.LParam)),
                                                   static_cast<int16_t>(HiWord(m.LParam))});
    if (PtInRect(TRect{0, 0, WPRichText1->Width(), WPRichText1->Height()}, at)) {
      m.Result = WPRichText1->Perform(m.Msg, m.WParam, m.LParam);
      return;
    }
  }
  TOrvelanForm::Dispatch(m);
}

void TfrmMain::BringToFrontRequested() {
  if (IsIconic(Application->Handle()))
    Application->Restore();
  else
    Application->BringToFront();
}

// As high as the whole calendar: it is the main way to move.
TPoint TfrmMain::MinimumSize() {
  return {2 * GetSystemMetrics(SM_CXFRAME) + 8 + 8 * pbLeer->Width() + 7,
          GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU) + Bevel1->Height() + pnlToolbar->Height() +
              Bevel2->Height() + pnlToolbar2->Height() + Bevel3->Height() + Kalender->Top() + Kalender->Height() +
              kBoxGap + 2 * GetSystemMetrics(SM_CYFRAME) + pnlBottom->Height()};
}
