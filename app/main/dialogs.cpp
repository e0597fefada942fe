// The main window's small dialogs (dialogs.h) and the password routines
// (password.h).
#include "app/main/dialogs.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "app/main/mainwin.h"
#include "app/main/password.h"
#include "app/settings/settings.h"
#include "app/windows/winparts.h"
#include "dbcontrols/text/wwpicture.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "resources/cursors.h"
#include "resources/pictures.h"

namespace {

constexpr int kButtonPanelHeight = 32;
constexpr int kButtonWidth = 76, kCloseButtonWidth = 94, kButtonHeight = 26;
constexpr int kPasswordLength = 20;

TExplorerButton* DialogButton(TOrvelanDialog* owner, const char* name, const AnsiString& caption) {
  auto* b = new TExplorerButton(owner);
  b->SetName(name);
  b->SetParent(owner->pnlButtons);
  b->SetCaption(caption);
  b->SetLayout(blBitmapLeft);
  b->SetBounds(0, (kButtonPanelHeight - kButtonHeight) / 2, kButtonWidth, kButtonHeight);
  return b;
}

TEdit* PasswordEdit(TOrvelanDialog* owner, const char* name, int left, int top) {
  auto* e = new TEdit(owner);
  e->SetName(name);
  e->SetParent(owner);
  e->SetBounds(left, top, 150, 21);
  e->SetMaxLength(kPasswordLength);
  e->SetPasswordChar('*');
  return e;
}

}  // namespace

// ---- the frame --------------------------------------------------------------------

TOrvelanDialog::TOrvelanDialog(TComponent* owner, const AnsiString& formKey, int helpContext,
                               const AnsiString& caption, int clientWidth, int clientHeight,
                               const AnsiString& confirmCaption, bool withCancel)
    : TOrvelanForm(owner) {
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetCaption(caption);
  SetColor(clBtnFace);
  Font()->SetName("Arial");
  Font()->SetHeight(-13);
  SetClientSize(clientWidth, clientHeight);
  pnlButtons = new TPanel(this);
  pnlButtons->SetName("pnlButtons");
  pnlButtons->SetParent(this);
  pnlButtons->SetCaption("");
  pnlButtons->SetBounds(0, 0, clientWidth, kButtonPanelHeight);
  pnlButtons->SetAlign(alTop);
  pbHilfe = DialogButton(this, "pbHilfe", "Hilfe");
  pbHilfe->SetBitmap(ToolPicture(tpHelp).get());
  pbHilfe->OnClick = [this](TObject*) { ShowHelp(); };
  pbOk = DialogButton(this, "pbOk", confirmCaption);
  pbOk->SetBitmap(ToolPicture(withCancel ? tpOk : tpClose).get());
  // "Schließen" with its picture needs more room than "Ok".
  if (!withCancel) pbOk->SetWidth(kCloseButtonWidth);
  pbOk->OnClick = [this](TObject* s) { pbOkClick(s); };
  pbCancel = nullptr;
  if (withCancel) {
    pbCancel = DialogButton(this, "pbCancel", "Abbruch");
    pbCancel->SetBitmap(ToolPicture(tpCancel).get());
    pbCancel->OnClick = [this](TObject*) { SetModalResult(mrCancel); };
  }
  PlaceButtons();
  OnKeyDown = [this](TObject*, Word& key, TShiftState) { enterDown_ = key == VK_RETURN; };
  OnKeyUp = [this](TObject* s, Word& key, TShiftState shift) { FormKeyUp(s, key, shift); };
  OnCreate = [this, formKey, helpContext](TObject*) {
    SetFormKey(formKey);
    SetHelpContext(helpContext);
    PlaceButtons();
  };
  OnShow = [this](TObject*) {
    ReadPosition();
    if (FirstFocus && FirstFocus->CanFocus()) FirstFocus->SetFocus();
  };
  OnHide = [this](TObject*) { WritePosition(); };
}

void TOrvelanDialog::PlaceButtons() {
  const int w = pnlButtons->Width();
  pbHilfe->SetLeft(4);
  pbOk->SetLeft(w - pbOk->Width() - 4);
  if (pbCancel) pbCancel->SetLeft(pbOk->Left() - 1 - pbCancel->Width());
}

TLabel* TOrvelanDialog::AddLabel(const AnsiString& caption, int left, int top) {
  auto* l = new TLabel(this);
  l->SetParent(this);
  l->SetCaption(caption);
  l->SetLeft(left);
  l->SetTop(top);
  return l;
}

void TOrvelanDialog::pbOkClick(TObject*) { SetModalResult(mrOk); }

void TOrvelanDialog::FormKeyUp(TObject*, Word& key, TShiftState) {
  if (key == VK_RETURN && std::exchange(enterDown_, false)) {
    if (pbOk->Enabled())
      pbOkClick(pbOk);
    else
      EnterRefused();
    key = 0;
  } else if (key == VK_ESCAPE) {
    SetModalResult(pbCancel ? mrCancel : mrOk);
    key = 0;
  }
}

// ---- password ---------------------------------------------------------------------

TfrmPasswort::TfrmPasswort(TComponent* owner)
    : TOrvelanDialog(owner, "PASSWORT ABFRAGEN", 43, CP1252("Paßwort eingeben").str(), 260, 80, "Ok", true) {
  SetFormName("frmPasswort");
  AddLabel(CP1252("Paßwort:").str(), 12, 50);
  editPasswort = PasswordEdit(this, "editPasswort", 90, 46);
  FirstFocus = editPasswort;
}

TfrmPassDef::TfrmPassDef(TComponent* owner)
    : TOrvelanDialog(owner, "PASSWORT DEFINIEREN", 42, CP1252("Paßwort definieren").str(), 300, 140, "Ok", true) {
  SetFormName("frmPassDef");
  AddLabel(CP1252("Neues Paßwort:").str(), 12, 50);
  editPasswort1 = PasswordEdit(this, "editPasswort1", 130, 46);
  AddLabel("Wiederholung:", 12, 80);
  editPasswort2 = PasswordEdit(this, "editPasswort2", 130, 76);
  cbPasswortNurEinmal = new TCheckBox(this);
  cbPasswortNurEinmal->SetName("cbPasswortNurEinmal");
  cbPasswortNurEinmal->SetParent(this);
  cbPasswortNurEinmal->SetCaption("Nur einmal pro Programmstart abfragen");
  cbPasswortNurEinmal->SetBounds(12, 108, 280, 20);
  FirstFocus = editPasswort1;
}

void TfrmPassDef::pbOkClick(TObject*) {
  if (editPasswort1->Text() != editPasswort2->Text()) {
    Application->MessageBox(CP1252("Die beiden Eingaben stimmen nicht überein.\rBitte wiederholen Sie.").str(),
                            Caption(), MB_OK | MB_ICONERROR);
    return;
  }
  SetModalResult(mrOk);
}

bool AskPasswort() {
  if (PendingPassword.empty()) return true;
  std::unique_ptr<TfrmPasswort> dlg(new TfrmPasswort(Application));
  const bool granted = dlg->ShowModal() == mrOk && dlg->editPasswort->Text() == PendingPassword;
  if (granted && PasswordOnce) PendingPassword.clear();
  return granted;
}

void ShowPassDef() {
  std::unique_ptr<TfrmPassDef> dlg(new TfrmPassDef(Application));
  dlg->editPasswort1->SetText(Password);
  dlg->editPasswort2->SetText(Password);
  dlg->cbPasswortNurEinmal->SetChecked(PasswordOnce);
  if (dlg->ShowModal() != mrOk) return;
  Password = dlg->editPasswort1->Text().substr(0, kPasswordLength);
  PendingPassword = Password;
  PasswordOnce = dlg->cbPasswortNurEinmal->Checked();
  StoreSettings();
}

// ---- date -------------------------------------------------------------------------

TfrmDatum::TfrmDatum(TComponent* owner)
    : TOrvelanDialog(owner, "DATUM EINGEBEN", 33, "Datum eingeben", 260, 80, "Ok", true) {
  SetFormName("frmDatum");
  AddLabel("Neues Datum:", 12, 50);
  editDatum = new TwwDBEdit(this);
  editDatum->SetName("editDatum");
  editDatum->SetParent(this);
  editDatum->SetUnboundDataType(wwEdtDate);
  // The year as written, from one digit to four: "1.1.100" is the year 100.
  editDatum->Picture()->SetPictureMask("#[#].#[#].#[#][#][#]");
  editDatum->SetBounds(110, 46, DateEditWidth > 0 ? DateEditWidth : 90, 21);
  editDatum->OnChange = [this](TObject* s) { editDatumChange(s); };
  FirstFocus = editDatum;
}

// A date the mask holds in full, also with a one-digit day or month
// ("1.1.2027"), as the editors take it.
void TfrmDatum::editDatumChange(TObject*) {
  const AnsiString text = editDatum->Text();
  pbOk->SetEnabled(text.size() == 10 ||
                   (!text.empty() && wwMatchesPictureMask(editDatum->Picture()->PictureMask(), text)));
}

void TfrmDatum::pbOkClick(TObject*) {
  // Not the two-digit years of the century window: a date before the
  // calendar's start lands on it, whatever its year.
  TDateTime d = 0;
  int day = 0, month = 0, year = 0;
  char after = 0;
  if (std::sscanf(editDatum->Text().c_str(), "%2d.%2d.%4d%c", &day, &month, &year, &after) != 3 ||
      !TryEncodeDate(year, month, day, d)) {
    EnterRefused();
    return;
  }
  editDatum->SetText(FormatDateTime("dd.mm.yyyy", d));
  SetModalResult(mrOk);
}

// Also for Enter on a text too short for a date ("1.4.", the mask wants
// a year): silence would leave the user guessing.
void TfrmDatum::EnterRefused() {
  Application->MessageBox("\"" + editDatum->Text() + CP1252("\" ist kein gültiges Datum.").str(), Caption(),
                          MB_OK | MB_ICONERROR);
}

bool ShowDatum() {
  std::unique_ptr<TfrmDatum> dlg(new TfrmDatum(Application));
  dlg->editDatum->SetText(FormatDateTime("dd.mm.yyyy", PackedDateToDateTime(CurrentDateKey)));
  if (dlg->ShowModal() != mrOk) return false;
  // Out of the calendar's span the date is kept at its nearer end.
  CurrentDateKey = DateTimeToPackedDate(StrToDate(dlg->editDatum->Text()));
  return true;
}

// ---- About ------------------------------------------------------------------------

TfrmInfo::TfrmInfo(TComponent* owner)
    : TOrvelanDialog(owner, "PROGRAMMINFOS", 45, "Info", 330, 290, CP1252("Schließen").str(), false) {
  SetFormName("frmInfo");
  pbOk->SetName("pbExit");
  lblTitel = AddLabel(CP1252("Orvelan für Linux").str(), 0, 44);
  lblTitel->Font()->SetHeight(-20);
  lblTitel->Font()->SetStyle({fsBold});
  lblVersion = AddLabel("Version 5.02 ", 0, 72);
  imgBild = new TImage(this);
  imgBild->SetName("imgBild");
  imgBild->SetParent(this);
  imgBild->SetAutoSize(true);
  imgBild->Picture()->SetGraphic(AboutPicture().get());
  imgBild->SetLeft((ClientWidth() - kAboutPictureWidth) / 2);
  imgBild->SetTop(96);
  lblInfo1 = AddLabel("Ein Geschichtskalender: Tagesseiten, Namenstage,", 0, 182);
  lblInfo2 = AddLabel("Feiertage, Sonne und Mond.", 0, 200);
  urlWeb = new TKURL2(this);
  urlWeb->SetName("urlWeb");
  urlWeb->SetParent(this);
  urlWeb->SetChoose(ltURL);
  urlWeb->SetURLorEMAIL(kProjectWebAddress);
  urlWeb->SetTop(230);
  urlMail = new TKURL2(this);
  urlMail->SetName("urlMail");
  urlMail->SetParent(this);
  urlMail->SetChoose(ltEMAIL);
  urlMail->SetURLorEMAIL(kProjectMailAddress);
  urlMail->SetTop(252);
  for (TControl* c : std::initializer_list<TControl*>{lblTitel, lblVersion, lblInfo1, lblInfo2, urlWeb, urlMail})
    c->SetLeft((ClientWidth() - c->Width()) / 2);
  // The links show the hand.
  urlWeb->Label()->SetCursor(crHyperlink);
  urlMail->Label()->SetCursor(crHyperlink);
  urlWeb->SetCursor(crHyperlink);
  urlMail->SetCursor(crHyperlink);
  // Tab goes from "Schließen", where Enter closes as ever, to the links.
  for (TWinControl* c : std::initializer_list<TWinControl*>{pbOk, urlWeb, urlMail}) c->SetTabStop(true);
  FirstFocus = pbOk;
}

void ShowInfo() {
  std::unique_ptr<TfrmInfo> dlg(new TfrmInfo(Application));
  dlg->ShowModal();
}
