// TfrmDrucken ("Blätter nach Vorlagen drucken"): a sheet made from a print
// template for one of the user's own persons. The user picks the person and
// the template (each from its list), sets the dates the template's types
// ask for (the source date, and the output date typed or computed from a
// date and a number of years or days) and creates the sheet: the template
// is copied into the preview, expanded for the person and the dates, and
// the preview shown, from which the user prints.
//
// Invariants:
//  - "Erstellen" and the date inputs are enabled only for a person's entry
//    and an existing template; "Erstellen" besides needs both dates complete
//    (ten characters), unless the template uses no dates.
//  - The computed output date follows every change of the count and of the
//    date it is computed from; 29 February plus a number of years falls on
//    28 February in a common year.
//  - The template's record is never changed; the chosen person and template
//    are remembered in the settings when the window closes.
#pragma once

#include "app/base/orvform.h"
#include "app/windows/winparts.h"
#include "dbcontrols/datasets/wwtable.h"
#include "dbcontrols/edit/wwdbedit.h"
#include "dbcontrols/edit/wwdbspin.h"
#include "platform/db/dbctrls.h"
#include "platform/ui/extctrls.h"
#include "richtext/controls/dbrichtext.h"
#include "widgets/explorerbtn.h"

// What a template's date types mean (LOUT_QUELLTYP, LOUT_AUSGTYP).
enum TTemplateSource { tsBirthDate = 0, tsAnyDate = 1, tsNoDates = 9 };
enum TTemplateOutput { toBirthYears = 0, toBirthDays = 1, toSourceYears = 2, toSourceDays = 3, toAnyDate = 4 };

// The number of years of the next birthday (this year's, or next year's
// when it is past), counted from the birth year; a birthday on 29 February
// is kept on 28 February in a common year.
int NextBirthdayYears(TDateTime today, int birthDay, int birthMonth, int birthYear);
// The next round thousand of days since the date: 100 for a date still to
// come, else the thousand after the days lived.
int NextThousandDays(TDateTime today, TDateTime from);
// A date plus a number of years, 29 February becoming 28 February in a
// common year; false when the year leaves the calendar.
bool AddYears(TDateTime date, int years, TDateTime& result);

class TfrmDrucken : public TOrvelanForm {
  ORV_CLASS(TfrmDrucken, TOrvelanForm)

 public:
  explicit TfrmDrucken(TComponent* owner);
  ~TfrmDrucken() override;
  // Enter is the window's own key (it creates the sheet), also while a
  // "Liste" button has the focus; a focused tool button takes it itself.
  void Dispatch(TMessage& m) override;

  TPanel *pnlButtons, *pnlEingaben;
  TExplorerButton *pbHilfe, *pbDrucken, *pbExit;
  TGroupBox *GroupBox1, *gbLayout;
  TDBText *dfVorname, *dfNachname, *dfGeburtsdatum, *DBText1;
  TLabel *lblVorname, *lblNachname, *lblGeburtsdatum;
  TButton *pbPersList, *pbListLOut;
  TLabel *lblQuellDatum, *lblCalcDatum, *dispCalcDatum, *lblPlus, *lblEinheit, *lblGleich, *lblAusgabeDatum1,
      *dispAusgabeDatum, *lblAusgabeDatum2;
  TBevel *bvlCalcDatum, *bvlStrich, *bvlAusgabeDatum;
  TwwDBEdit *editQuellDatum, *editAusgabeDatum;
  TwwDBSpinEdit* editAnzahl;
  TDBWPRichText* DBWPRichText1;
  TwwTable *tblEige, *tblLOut;
  TwwDataSource *dsEige, *dsLOut;

  void UpdateControls();
  void UpdateButtons();
  void CalcAusgabeDatum();
  // Creates the sheet in the preview and shows it (the "Erstellen" button).
  void pbDruckenClick();
  void pbPersListClick();
  void pbListLOutClick();

 private:
  bool Usable() const;
  int SourceType() const;
  int OutputType() const;
  void editQuellDatumChange();
  void editAusgabeDatumChange();
  void editAnzahlExit();
  void FormClose();
  TwwDBEdit* MakeDateEdit(const char* name, int left, int top);
  TBevel* MakeBevel(const char* name, int left, int top, int width, int height, TBevelShape shape);
  bool settingCount_ = false;
  TCreateKeys createKeys_;
};

// Creates the window, shows it modally and frees it.
void ShowDrucken();
