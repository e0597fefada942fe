// TfrmMain: the window the user works in for the whole run. The month
// calendar and the calendar box on the left, the day page of the current
// rubric on the right, the rubric tool bar and a second tool bar at the top,
// a progress gauge and a size bar at the bottom, and the menus that open
// every other window. Every change of the date turns into one rebuild of
// the page 400 ms after the last change; every change of the rubric
// rebuilds it at once. Its window class "Orvelan" is what a second start of
// the program finds; message 2024 brings it to the front.
//
// Invariants:
//  - CurrentRubric names a rubric whose page can be built (0 otherwise);
//    exactly that rubric's menu item is checked and its tool button down.
//  - CurrentDateKey is the calendar's date, or becomes it when DataTimer
//    fires (the key may be set elsewhere first, e.g. by a date dialog).
//  - A menu item or tool button whose window or page is not part of the
//    program, or whose files this start cannot use (PartAvailable), is
//    disabled; nothing is offered that does not work.
//  - DataTimer and StartupTimer are stopped before their work runs, so a
//    handler never runs twice at once.
//  - A page that cannot be built (a table damaged after the start) is left
//    empty and explained in German, naming the file; the window stays usable.
#pragma once

#include <cstdint>

#include "app/base/orvform.h"
#include "app/main/calbox.h"
#include "dbcontrols/datasets/wwtable.h"
#include "platform/db/dbctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/menus.h"
#include "platform/ui/timers.h"
#include "richtext/controls/richtext.h"
#include "widgets/calendar97.h"
#include "widgets/explorerbtn.h"
#include "widgets/smallwidgets.h"

// The window class and the message of the single-instance rule.
constexpr const char* kMainWindowClass = "Orvelan";
constexpr unsigned WM_ORVELAN_FRONT = 2024;

// 0: the calendar box shows the moon-phase face, 1 the sun-and-moon face.
extern uint8_t SunMoonMode;
// The title of a rubric (0..6) over its page; rubric 1's is the setting
// "Rubriktitel" of the personal display section, the others are fixed.
AnsiString RubricTitle(int rubric);

class TfrmMain;
// The main window while it exists (the program block makes it).
extern TfrmMain* frmMain;

class TfrmMain : public TOrvelanForm {
  ORV_CLASS(TfrmMain, TOrvelanForm)

 public:
  explicit TfrmMain(TComponent* owner);
  ~TfrmMain() override;
  void Dispatch(TMessage& m) override;

  // ---- components, top to bottom --------------------------------------------
  TMainMenu* mnuMain;
  TBevel* Bevel1;
  TPanel* pnlToolbar;
  TExplorerButton *pbLeer, *pbEige, *pbPGeb, *pbPTod, *pbErei, *pbName, *pbFTag, *pbExit;
  TBevel* Bevel2;
  TPanel* pnlToolbar2;
  TExplorerButton *pbHelp, *pbTermine, *pbSpruch, *pbInfo;
  TBevel* Bevel3;
  TPanel* pnlBottom;
  TPanel* pnlGauge;
  TGauge* Gauge;
  TSizeBar* SizeBar;
  TPanel* pnlLeft;
  TCalendarBox* boxKalender;
  TCalendar97* Kalender;
  TPanel* pnlClient;
  TPanel* pnlTitel;
  TPanel* pnlDistUnten;
  TWPRichText* WPRichText1;
  TPanel* pnlWhite;
  TShadowLabel* lblTitel;
  TShadowLabel* lblVersion;
  TImage* imgTitelbild;
  TDBMemo* DBMemo1;
  TTimer* DataTimer;
  TTimer* StartupTimer;
  TwwTable *tblEige, *tblPers, *tblErei, *tblName, *tblPatr, *tblFTag;
  TwwDataSource* dsEige;

  // The menu items (mnp…), by menu.
  TMenuItem *mnuDatei, *mnpTermine, *mnpSpruch, *mnpExit;
  TMenuItem *mnuRubrik, *mnpLeer, *mnpEige, *mnpPGeb, *mnpPTod, *mnpErei, *mnpName, *mnpFTag;
  TMenuItem *mnuDatum, *mnpTagPlus, *mnpTagMinus, *mnpWochePlus, *mnpWocheMinus, *mnpMonatPlus, *mnpMonatMinus,
      *mnpJahrPlus, *mnpJahrMinus, *mnpHeute, *mnpDatum;
  TMenuItem *mnuEige, *mnpPersErf, *mnpEreiErf, *mnpSelCErf, *mnpPassDef;
  TMenuItem *mnuDrucken, *mnpDrucken, *mnpDruckEige, *mnpTagebuch, *mnpGebListe, *mnpGebUebersicht, *mnpLayout;
  TMenuItem *mnuEinstellungen, *mnpAnzeige, *mnpEigeDisp, *mnpPGebDisp, *mnpPTodDisp, *mnpEreiDisp, *mnpNameDisp,
      *mnpFTagDisp, *mnpParams;
  TMenuItem *mnuHilfe, *mnpInfo, *mnpInhalt;

  // ---- operations --------------------------------------------------------------
  // Switches to a rubric and rebuilds the page.
  void SetRubrik(int rubric);
  // Rebuilds the page of CurrentRubric for CurrentDateKey.
  void DisplayRubrik();
  // Fits the document's page width to the control.
  void SetPageWidth();
  // Week start and weekend of the calendar from the settings.
  void ApplyKalenderParams();
  // After the parameter dialog's OK: the calendar's week, the box and the
  // holidays page follow the settings.
  void ApplyParams();
  // A key press for the calendar's own key handler, which moves its date.
  void KalenderKeySimulieren(Word key, TShiftState shift);
  // Whether the program builds the page of a rubric (the personal one only
  // while the user's own table can be read).
  static bool RubricAvailable(int rubric);

  bool PictureFits() const { return pictureFits_; }
  bool FirstPaint() const { return firstPaint_; }
  // How often the page frame ran (DisplayRubrik).
  int PagesBuilt() const { return pagesBuilt_; }
  // Called after a page was built and laid out (for the caller's own use).
  TNotifyEvent OnPageBuilt;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  void BuildMenus();
  void BuildToolbars();
  TExplorerButton* ToolButton(TPanel* bar, const char* name, const AnsiString& caption, int picture, bool big,
                              TNotifyEvent onClick);
  TwwTable* MakeTable(const char* name, const char* database, const char* table, const char* index);
  // The action, or none (the item disabled) when this start cannot offer
  // the part (a TDataPart) for want of its files.
  static TNotifyEvent Offered(int part, TNotifyEvent action);

  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void FormPaint(TObject* sender);
  void FormResize(TObject* sender);
  void FormActivate(TObject* sender);
  void FormHide(TObject* sender);
  // While the saying window is visible, key releases go on to it.
  void FormKeyUp(TObject* sender, Word& key, TShiftState shift);
  // "Spruch": the saying window shown, or brought to the top when it is.
  void SayingClick();
  void FormDestroy(TObject* sender);
  void StartupTimerTimer(TObject* sender);
  void DataTimerTimer(TObject* sender);
  void KalenderDateChange(TObject* sender);
  // A rubric chosen by the user (menu or tool button): the personal one
  // only with the password, the title page when it is refused.
  void ChooseRubrik(int rubric);
  // The date dialog (menu, Alt+Home and the calendar's "Direkt"): a
  // confirmed date is shown after the debounce.
  void pbDatumClick(TObject* sender);
  void boxKalenderClick(TObject* sender);
  // A clicked link of the page (its link code).
  void WPRichText1HyperLinkEvent(const AnsiString& linkCode);
  TPoint MinimumSize() override;
  void BringToFrontRequested();
  void PlaceTitlePage();
  void PlaceToolButtons();
  // The German message of a page that could not be built, naming the file.
  void ExplainPageFailure(const Exception& e);

  bool pictureFits_ = false;
  bool firstPaint_ = true;
  bool depthChecked_ = false;
  int pagesBuilt_ = 0;
};
