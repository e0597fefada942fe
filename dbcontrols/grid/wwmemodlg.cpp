// The memo dialog: settings, running the window, and the window's layout,
// keys and closing rules.
#include "dbcontrols/grid/wwmemodlg.h"

#include <algorithm>

#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/intl/wwintl.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/dialogs.h"

namespace {

// Fields the dialog may show as text: every field that is no BLOB, and the
// BLOBs of text.
bool HoldsText(const TField* f) {
  if (!dynamic_cast<const TBlobField*>(f)) return true;
  return f->DataType() == ftMemo || f->DataType() == ftFmtMemo;
}

constexpr int kMargin = 4;

}  // namespace

// ---------------------------------------------------------------- TwwMemoDialog

TwwMemoDialog::TwwMemoDialog(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {}

TwwMemoDialog::~TwwMemoDialog() { link_.SetDataSource(nullptr); }

void TwwMemoDialog::SetDataSource(TDataSource* v) {
  if (TDataSource* old = link_.DataSource()) RemoveFreeNotification(old);
  if (v) FreeNotification(v);
  link_.SetDataSource(v);
}

void TwwMemoDialog::Notification(TComponent* c, TOperation op) {
  TComponent::Notification(c, op);
  if (op == opRemove && c == link_.DataSource()) link_.SetDataSource(nullptr);
}

void TwwMemoDialog::DoInitDialog(TwwMemoDlg* dialog) {
  if (OnInitDialog) OnInitDialog(dialog);
}

void TwwMemoDialog::DoCloseDialog(TwwMemoDlg* dialog) {
  if (OnCloseDialog) OnCloseDialog(dialog);
}

bool TwwMemoDialog::Execute() {
  TDataSet* ds = link_.DataSource() ? link_.DataSource()->DataSet() : nullptr;
  TField* field = nullptr;
  if (ds && !DataField().empty()) {
    field = ds->FieldByName(DataField());
    if (!HoldsText(field))
      throw EInvalidOperation("Field '" + field->DisplayLabel() + "' holds no text for the memo dialog");
  }
  TCustomForm* reference = Screen ? Screen->ActiveForm() : nullptr;
  auto* dlg = new TwwMemoDlg(Application, this);
  TScopeExit release{[this, dlg] {
    dlg_ = nullptr;
    dlg->Free();
  }};
  if (reference && reference->FormStyle() == fsStayOnTop) dlg->SetFormStyle(fsStayOnTop);

  AnsiString original;
  if (field) original = dynamic_cast<TBlobField*>(field) ? field->AsString() : field->Text();
  dlg->Memo->SetText(original);
  dlg->Memo->SetWordWrap((memoAttributes_ & mWordWrap) != 0);
  dlg->SetBorderStyle((memoAttributes_ & mSizeable) ? bsSizeable : bsDialog);
  dlg->dlgFont_.Assign(*font_);
  dlg->caption_ = caption_;
  const bool editable = !(memoAttributes_ & mViewOnly);
  if (!editable) {
    dlg->CancelBtn->SetVisible(false);
    dlg->Memo->SetReadOnly(true);
  }
  dlg->bounds_ = {dlgLeft_, dlgTop_, dlgLeft_ + dlgWidth_, dlgTop_ + dlgHeight_};
  if (dlgLeft_ > 0 || dlgTop_ > 0) {
    dlg->SetPosition(poDesigned);
    dlg->SetBounds(dlgLeft_, dlgTop_, dlgWidth_, dlgHeight_);
  } else {
    dlg->SetPosition(poScreenCenter);
    dlg->SetBounds(dlg->Left(), dlg->Top(), dlgWidth_, dlgHeight_);
  }

  const bool ok = dlg->ShowModal() == mrOk;
  DoCloseDialog(dlg);
  if (ok && editable && field) {
    const AnsiString text = dlg->Memo->Text();
    // An unchanged text leaves the record as it was.
    if (text != original) {
      if (ds->State() != dsEdit && ds->State() != dsInsert) ds->Edit();
      if (dynamic_cast<TBlobField*>(field))
        field->SetAsString(text);
      else
        field->SetText(text);
    }
  }
  return ok;
}

// ---------------------------------------------------------------- TwwMemoDlg

TwwMemoDlg::TwwMemoDlg(TComponent* owner, TwwMemoDialog* dialog) : TForm(owner), dialog_(dialog) {
  SetText("Dialog");
  SetPosition(poScreenCenter);
  SetBorderStyle(bsSizeable);
  TFontStyles bold;
  bold.Include(fsBold);
  Font()->SetStyle(bold);
  Font()->SetColor(clBlack);
  SetClientSize(553, 369);

  Memo = new TMemo(this);
  Memo->SetName("Memo");
  Memo->SetParent(this);
  Memo->SetScrollBars(ssVertical);
  Memo->SetWantTabs(true);
  Memo->SetWantReturns(true);
  Memo->OnKeyDown = [this](TObject* s, Word& k, TShiftState sh) { MemoKeyDown(s, k, sh); };

  UserButtonPanel = new TPanel(this);
  UserButtonPanel->SetName("UserButtonPanel");
  UserButtonPanel->SetParent(this);
  UserButtonPanel->SetBevelInner(bvRaised);
  UserButtonPanel->SetBevelOuter(bvLowered);
  UserButtonPanel->SetCaption("");
  UserButtonPanel->SetTabStop(false);
  UserButtonPanel->SetVisible(false);
  UserButton1 = new TButton(this);
  UserButton1->SetName("UserButton1");
  UserButton1->SetParent(UserButtonPanel);
  UserButton1->SetVisible(false);
  UserButton1->OnClick = [this](TObject* s) { UserButton1Click(s); };
  UserButton2 = new TButton(this);
  UserButton2->SetName("UserButton2");
  UserButton2->SetParent(UserButtonPanel);
  UserButton2->SetVisible(false);
  UserButton2->OnClick = [this](TObject* s) { UserButton2Click(s); };

  OKBtn = wwCreateDialogButton(this, wwdbOK);
  OKBtn->SetTabOrder(1);
  OKBtn->OnClick = [this](TObject* s) { OKBtnClick(s); };
  CancelBtn = wwCreateDialogButton(this, wwdbCancel);
  CancelBtn->SetTabOrder(2);

  OnCloseQuery = [this](TObject* s, bool& can) { FormCloseQuery(s, can); };
  OnResize = [this](TObject* s) { ResizeControls(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
}

void TwwMemoDlg::FormShow(TObject* /*Sender*/) {
  if (shownOnce_) return;
  shownOnce_ = true;
  SetKeyPreview(true);
  Memo->Font()->Assign(dlgFont_);
  if (!caption_.empty()) SetText(caption_);
  const int width = bounds_.Right - bounds_.Left, height = bounds_.Bottom - bounds_.Top;
  if (bounds_.Left > 0 || bounds_.Top > 0)
    SetBounds(bounds_.Left, bounds_.Top, width, height);
  else
    SetBounds(Left(), Top(), width, height);
  if (dialog_) {
    UserButton1->SetCaption(dialog_->UserButton1Caption());
    UserButton2->SetCaption(dialog_->UserButton2Caption());
  }
  Font()->SetStyle(wwGlobalIntl()->DialogFontStyle());
  if (dialog_) {
    dialog_->dlg_ = this;
    dialog_->DoInitDialog(this);
  }
  ResizeControls(this);
  if (Memo->CanFocus()) Memo->SetFocus();
  Memo->SetModified(false);
}

void TwwMemoDlg::ResizeControls(TObject* /*Sender*/) {
  if (!Memo || !OKBtn || !CancelBtn) return;
  const int w = ClientWidth(), h = ClientHeight();
  const int buttonH = OKBtn->Height();
  const int strip = buttonH + 3 * kMargin;
  Memo->SetBounds(0, 0, w, std::max(0, h - strip));
  const int top = h - strip + (strip - buttonH) / 2;
  if (UserButtonPanel->Visible()) {
    int x = kMargin;
    for (TButton* b : {UserButton1, UserButton2}) {
      if (!b->Visible()) continue;
      b->SetBounds(x, kMargin, b->Width(), buttonH);
      x += b->Width() + kMargin;
    }
    UserButtonPanel->SetBounds(kMargin, h - strip + kMargin / 2, std::max(x, 2 * kMargin), strip - kMargin);
  }
  if (Memo->ReadOnly()) {
    OKBtn->SetBounds((w - OKBtn->Width()) / 2, top, OKBtn->Width(), buttonH);
  } else {
    CancelBtn->SetBounds(w - kMargin - CancelBtn->Width(), top, CancelBtn->Width(), buttonH);
    OKBtn->SetBounds(CancelBtn->Left() - kMargin - OKBtn->Width(), top, OKBtn->Width(), buttonH);
  }
}

void TwwMemoDlg::OKBtnClick(TObject* /*Sender*/) {
  okPressed_ = true;
  closingByOK_ = true;
}

void TwwMemoDlg::FormCloseQuery(TObject* /*Sender*/, bool& CanClose) {
  CanClose = true;
  if (Memo->Modified() && !closingByOK_) {
    if (MessageDlg(wwGlobalIntl()->UserMessages()->MemoChangesWarning(), mtConfirmation, mbYes | mbNo, 0) == mrYes)
      SetModalResult(mrCancel);
    else
      CanClose = false;
  } else if (closingByOK_ && !okPressed_) {
    CanClose = false;
  }
  closingByOK_ = false;
}

void TwwMemoDlg::MemoKeyDown(TObject* /*Sender*/, Word& Key, TShiftState Shift) {
  if ((Key == VK_RETURN && (Shift & ssCtrl)) || Key == VK_F2) {
    okPressed_ = true;
    closingByOK_ = true;
    SetModalResult(mrOk);
    Key = 0;
  } else if (Key == VK_ESCAPE) {
    SetModalResult(mrCancel);
    Key = 0;
  }
}

void TwwMemoDlg::KeyPress(char& key) {
  // Escape closes; Ctrl+Enter closes by OK: neither reaches the memo.
  if (key == 27 || ((key == 13 || key == 10) && modalResult_ == mrOk)) {
    key = 0;
    return;
  }
  TForm::KeyPress(key);
}

void TwwMemoDlg::UserButton1Click(TObject* /*Sender*/) {
  if (dialog_ && dialog_->OnUserButton1Click) dialog_->OnUserButton1Click(this, Memo);
}

void TwwMemoDlg::UserButton2Click(TObject* /*Sender*/) {
  if (dialog_ && dialog_->OnUserButton2Click) dialog_->OnUserButton2Click(this, Memo);
}
