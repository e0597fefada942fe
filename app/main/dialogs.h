// The small modal dialogs of the main window: the password prompt and the
// password definition (their routines in password.h), the date entry and
// the About box. Each is created by its show routine, shown modally, read
// and freed; its placement is kept under its form key.
//
// Invariants: a dialog's buttons stand in the panel at its top: "Hilfe" at
// the left (left 4), the confirming button 4 pixels from the right edge and
// "Abbruch" 1 pixel left of it. Enter confirms exactly as a click on the
// confirming button does, and only while that button is enabled (and no
// focused control used it, as a link of the About box does); Escape
// cancels. A dialog changes no setting unless it is confirmed.
#pragma once

#include "app/base/orvform.h"
#include "dbcontrols/edit/wwdbedit.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"
#include "widgets/explorerbtn.h"
#include "widgets/smallwidgets.h"

// The frame the four dialogs share: a fixed dialog border, key preview,
// the button panel and the help, confirm and cancel handlers.
class TOrvelanDialog : public TOrvelanForm {
  ORV_CLASS(TOrvelanDialog, TOrvelanForm)

 public:
  // The dialog's form key, help context, caption, client size and the
  // caption of its confirming button; withCancel adds "Abbruch".
  TOrvelanDialog(TComponent* owner, const AnsiString& formKey, int helpContext, const AnsiString& caption,
                 int clientWidth, int clientHeight, const AnsiString& confirmCaption, bool withCancel);

  TPanel* pnlButtons;
  TExplorerButton* pbHilfe;
  TExplorerButton* pbOk;      // the confirming button
  TExplorerButton* pbCancel;  // null without "Abbruch"

 protected:
  // The confirming button's click: modal result 1 unless the dialog keeps
  // itself open (e.g. after an error box).
  virtual void pbOkClick(TObject* sender);
  // Enter while the confirming button is disabled (nothing by default).
  virtual void EnterRefused() {}
  void PlaceButtons();
  // A label at (left, top) in the dialog's font.
  TLabel* AddLabel(const AnsiString& caption, int left, int top);
  // The control that gets the focus when the dialog is shown.
  TWinControl* FirstFocus = nullptr;

 private:
  void FormKeyUp(TObject* sender, Word& key, TShiftState shift);
  bool enterDown_ = false;  // the Enter going up came down to the window
};

class TfrmPasswort : public TOrvelanDialog {
  ORV_CLASS(TfrmPasswort, TOrvelanDialog)

 public:
  explicit TfrmPasswort(TComponent* owner);
  TEdit* editPasswort;
};

class TfrmPassDef : public TOrvelanDialog {
  ORV_CLASS(TfrmPassDef, TOrvelanDialog)

 public:
  explicit TfrmPassDef(TComponent* owner);
  TEdit* editPasswort1;
  TEdit* editPasswort2;
  TCheckBox* cbPasswortNurEinmal;

 protected:
  // Accepts only two equal entries; otherwise says so and stays open.
  void pbOkClick(TObject* sender) override;
};

class TfrmDatum : public TOrvelanDialog {
  ORV_CLASS(TfrmDatum, TOrvelanDialog)

 public:
  explicit TfrmDatum(TComponent* owner);
  TwwDBEdit* editDatum;

 protected:
  // Accepts only a text that is a date; otherwise says so and stays open.
  void pbOkClick(TObject* sender) override;
  void EnterRefused() override;

 private:
  void editDatumChange(TObject* sender);
};

class TfrmInfo : public TOrvelanDialog {
  ORV_CLASS(TfrmInfo, TOrvelanDialog)

 public:
  explicit TfrmInfo(TComponent* owner);
  TLabel* lblTitel;
  TLabel* lblVersion;
  TImage* imgBild;
  TLabel *lblInfo1, *lblInfo2;
  TKURL2* urlWeb;
  TKURL2* urlMail;
};

// The project's own addresses that the About box links to.
constexpr const char* kProjectWebAddress = "https://orvelan.example.org";
constexpr const char* kProjectMailAddress = "info@orvelan.example.org";

// Lets the user type a date ("dd.mm.yyyy", the year as written with one to
// four digits); on OK CurrentDateKey holds it, kept within 20.10.1582 ..
// 31.12.8201, and the result is true.
bool ShowDatum();
// The About box.
void ShowInfo();
