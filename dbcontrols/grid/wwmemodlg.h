// The memo dialog: a modal window that shows and edits the text of one
// field in a box of several lines. TwwMemoDialog is the non-visual
// component that keeps the settings and runs the window (Execute);
// TwwMemoDlg is the window itself.
//
// Invariants: the window edits a copy of the field's text; the field is
// written only when the window closes by OK, the text may be edited and it
// changed. Only fields that hold text are opened: a picture or other binary
// BLOB is refused before anything is shown, so it can never be saved back
// as text. Leaving a changed text by any way but OK asks first.
#pragma once

#include <functional>
#include <memory>

#include "platform/db/db.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"

// Attributes of the memo cells of a grid and of the dialog.
enum : unsigned { mSizeable = 1, mWordWrap = 2, mGridShow = 4, mViewOnly = 8, mDisableDialog = 16 };
using TwwMemoAttributes = unsigned;
constexpr TwwMemoAttributes wwDefaultMemoAttributes = mSizeable | mWordWrap;

class TwwMemoDlg;
using TwwOnInitMemoDlgEvent = std::function<void(TwwMemoDlg* Dialog)>;
using TwwMemoUserButtonEvent = std::function<void(TwwMemoDlg* Dialog, TMemo* Memo)>;

class TwwMemoDialog : public TComponent {
  ORV_CLASS(TwwMemoDialog, TComponent)
  explicit TwwMemoDialog(TComponent* owner);
  ~TwwMemoDialog() override;
  void Notification(TComponent* c, TOperation op) override;

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* v);
  const AnsiString& DataField() const { return link_.FieldName(); }
  void SetDataField(const AnsiString& v) { link_.SetFieldName(v); }
  TFont* Font() const { return font_.get(); }
  void SetFont(const TFont& v) { font_->Assign(v); }
  TwwMemoAttributes MemoAttributes() const { return memoAttributes_; }
  void SetMemoAttributes(TwwMemoAttributes v) { memoAttributes_ = v; }
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& v) { caption_ = v; }
  int DlgLeft() const { return dlgLeft_; }
  void SetDlgLeft(int v) { dlgLeft_ = v; }
  int DlgTop() const { return dlgTop_; }
  void SetDlgTop(int v) { dlgTop_ = v; }
  int DlgWidth() const { return dlgWidth_; }
  void SetDlgWidth(int v) { dlgWidth_ = v; }
  int DlgHeight() const { return dlgHeight_; }
  void SetDlgHeight(int v) { dlgHeight_ = v; }
  const AnsiString& UserButton1Caption() const { return userButton1Caption_; }
  void SetUserButton1Caption(const AnsiString& v) { userButton1Caption_ = v; }
  const AnsiString& UserButton2Caption() const { return userButton2Caption_; }
  void SetUserButton2Caption(const AnsiString& v) { userButton2Caption_ = v; }

  TwwOnInitMemoDlgEvent OnInitDialog, OnCloseDialog;
  TwwMemoUserButtonEvent OnUserButton1Click, OnUserButton2Click;

  // The window while it is shown, else null.
  TwwMemoDlg* Dialog() const { return dlg_; }

  // Shows the window modally; True when it was closed with OK. Raises the
  // dataset's error for a field name it lacks, and EInvalidOperation for a
  // field that holds no text.
  virtual bool Execute();

 protected:
  virtual void DoInitDialog(TwwMemoDlg* dialog);
  virtual void DoCloseDialog(TwwMemoDlg* dialog);

 private:
  friend class TwwMemoDlg;
  TFieldDataLink link_;
  std::unique_ptr<TFont> font_;
  TwwMemoAttributes memoAttributes_ = wwDefaultMemoAttributes;
  AnsiString caption_;
  int dlgLeft_ = 0, dlgTop_ = 0, dlgWidth_ = 561, dlgHeight_ = 396;
  AnsiString userButton1Caption_, userButton2Caption_;
  TwwMemoDlg* dlg_ = nullptr;
};

class TwwMemoDlg : public TForm {
  ORV_CLASS(TwwMemoDlg, TForm)
  TwwMemoDlg(TComponent* owner, TwwMemoDialog* dialog);

  TMemo* Memo = nullptr;
  TPanel* UserButtonPanel = nullptr;
  TButton* UserButton1 = nullptr;
  TButton* UserButton2 = nullptr;
  TButton* OKBtn = nullptr;
  TButton* CancelBtn = nullptr;

  void ResizeControls(TObject* Sender);
  void OKBtnClick(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormShow(TObject* Sender);
  void MemoKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void UserButton1Click(TObject* Sender);
  void UserButton2Click(TObject* Sender);

 protected:
  void KeyPress(char& key) override;

 private:
  friend class TwwMemoDialog;
  TwwMemoDialog* dialog_;
  TRect bounds_;  // left, top, right, bottom
  TFont dlgFont_;
  AnsiString caption_;
  bool shownOnce_ = false;
  bool closingByOK_ = false;
  bool okPressed_ = false;
};
