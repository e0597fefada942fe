// TfrmParams "Parameter": the general settings on four pages: country and
// confession of the holidays and the geographic position of the sun and
// moon times ("Allgemein"), week start, weekend and the hour from which
// the zodiac sign changes ("Kalender"), the standard saying category and
// whether the saying window stays in front ("Spruch"), and the start
// options ("Startoptionen"). "Vorgabe" takes a position from the table of
// places (lage.h).
//
// A position is shown as degrees and minutes with "Nord"/"Süd" and
// "West"/"Ost" and kept in decimal degrees with the settings' signs: north
// and west positive, south and east negative.
//
// Invariants: the settings change only on OK; Cancel also puts back a
// position taken over with "Vorgabe"; a position shown and confirmed
// unchanged comes back as it was shown (no minute lost to the floating
// point: 52° 31' stays 52° 31').
#pragma once

#include "app/dialogs/dlgframe.h"
#include "dbcontrols/edit/wwdbspin.h"
#include "platform/ui/extctrls.h"

// Degrees and whole minutes of a coordinate's absolute value, minutes cut
// (47.99 gives 47° 59'), a value that lies within a millionth of a minute
// below a whole minute counting as that minute.
struct TDegreesMinutes {
  int Degrees = 0;
  int Minutes = 0;
  bool Negative = false;
};
TDegreesMinutes SplitCoordinate(long double value);
// Degrees + minutes / 60, negated when asked.
long double JoinCoordinate(int degrees, int minutes, bool negative);

// The twelve saying categories as the parameter dialog lists them: the
// saying window's captions without their ending ("Kindermund").
AnsiString SayingCategoryName(int category);

class TfrmParams : public TfrmSettingsDialog {
  ORV_CLASS(TfrmParams, TfrmSettingsDialog)

 public:
  explicit TfrmParams(TComponent* owner);

  TPageControl* PageControl1;
  TTabSheet *tsAllgemein, *tsKalender, *tsSpruch, *tsStart;
  TRadioGroup *rgLand, *rgKonfession;
  TGroupBox* grpLage;
  TwwDBSpinEdit *spBreiteGrad, *spBreiteMin, *spLaengeGrad, *spLaengeMin;
  TComboBox *cmbBreite, *cmbLaenge;
  TExplorerButton* pbVorgabe;
  TRadioGroup *rgWochenbeginn, *rgWochenende, *rgSternzeichen;
  TRadioGroup* rgSpruchtyp;
  TCheckBox* cbSpruchOben;
  TCheckBox *cbTermine, *cbLetzteRubrik, *cbSpruch;

  // The position of the settings into the controls.
  void ShowPosition();
  // "Vorgabe": the place picker; a place taken over is shown.
  void pbVorgabeClick();

 protected:
  void pbOkClick() override;
  void DialogShow() override;
  void DoClose(TCloseAction& action) override;

 private:
  TTabSheet* Sheet(const char* name, const AnsiString& caption);
  TRadioGroup* Group(TWinControl* parent, const char* name, const AnsiString& caption,
                     std::initializer_list<const char*> items, int left, int top, int width, int height);
  TwwDBSpinEdit* Spin(const char* name, int left, int top, int max, int digits, const AnsiString& what,
                      const AnsiString& unit);
  // The copy of the position taken at creation, put back on Cancel.
  long double latitude_, longitude_;
};

// Shows the dialog modally and frees it; the modal result (1 for OK).
int ShowParams();
