// Dialogs: message dialogs drawn as our own modal forms (so tests answer
// them like any form, or through the driver's message-box script), the file
// dialogs (the system's in the program, the driver's in tests), our own
// modeless find and replace dialogs, and print and printer set-up dialogs
// over the printers of the graphics layer (the PDF printer first).
// Invariants: MessageDlg returns one of the mr values of the buttons shown;
// a find dialog's events see FindText and Options as the user left them.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/extctrls.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum : unsigned {
  mbYes = 1u << 0, mbNo = 1u << 1, mbOK = 1u << 2, mbCancel = 1u << 3, mbAbort = 1u << 4, mbRetry = 1u << 5,
  mbIgnore = 1u << 6, mbAll = 1u << 7, mbHelp = 1u << 8
};
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel, mbOKCancel = mbOK | mbCancel,
                         mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore;

// The dialog form itself (shown with ShowModal; its result is an mr value).
// A `shown` text (see TMessageBoxRequest) is what the box shows where the
// font engine can draw it.
TForm* CreateMessageDialog(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                           std::u32string_view shown = {});
int MessageDlg(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
void ShowMessage(const AnsiString& msg);
// Runs a message box request as our own dialog (Application->MessageBox
// without a presenter); returns an ID value.
int RunMessageDialog(const AnsiString& text, const AnsiString& caption, unsigned flags,
                     std::u32string_view shown = {});

// ------------------------------------------------------------ file dialogs

enum : unsigned {
  ofReadOnly = 1u << 0, ofOverwritePrompt = 1u << 1, ofHideReadOnly = 1u << 2, ofNoChangeDir = 1u << 3,
  ofPathMustExist = 1u << 11, ofFileMustExist = 1u << 12
};
using TOpenOptions = unsigned;

class TOpenDialog : public TComponent {
  ORV_CLASS(TOpenDialog, TComponent)

 public:
  explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
  virtual bool Execute();
  const AnsiString& FileName() const { return fileName_; }
  void SetFileName(const AnsiString& s) { fileName_ = s; }
  const AnsiString& Filter() const { return filter_; }
  void SetFilter(const AnsiString& s) { filter_ = s; }
  int FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int i) { filterIndex_ = i; }
  const AnsiString& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const AnsiString& s) { defaultExt_ = s; }
  const AnsiString& InitialDir() const { return initialDir_; }
  void SetInitialDir(const AnsiString& s) { initialDir_ = s; }
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& s) { title_ = s; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions o) { options_ = o; }

 protected:
  bool DoExecute(bool save);

 private:
  AnsiString fileName_, filter_, defaultExt_, initialDir_, title_;
  int filterIndex_ = 1;
  TOpenOptions options_ = ofHideReadOnly;
};

class TSaveDialog : public TOpenDialog {
  ORV_CLASS(TSaveDialog, TOpenDialog)

 public:
  explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}
  bool Execute() override;
};

// ------------------------------------------------------- find and replace

enum : unsigned {
  frDown = 1u << 0, frFindNext = 1u << 1, frHideMatchCase = 1u << 2, frHideWholeWord = 1u << 3,
  frHideUpDown = 1u << 4, frMatchCase = 1u << 5, frDisableMatchCase = 1u << 6, frDisableUpDown = 1u << 7,
  frDisableWholeWord = 1u << 8, frReplace = 1u << 9, frReplaceAll = 1u << 10, frWholeWord = 1u << 11,
  frShowHelp = 1u << 12
};
using TFindOptions = unsigned;

class TFindDialog : public TComponent {
  ORV_CLASS(TFindDialog, TComponent)

 public:
  explicit TFindDialog(TComponent* owner);
  ~TFindDialog() override;
  // Shows the modeless dialog (or brings it to the front); true.
  virtual bool Execute();
  void CloseDialog();
  const AnsiString& FindText() const { return findText_; }
  void SetFindText(const AnsiString& s);
  TFindOptions Options() const { return options_; }
  void SetOptions(TFindOptions o) { options_ = o; }
  int Left() const { return pos_.X; }
  int Top() const { return pos_.Y; }
  void SetPosition(TPoint p) { pos_ = p; }
  // The dialog's window while it is shown (nullptr otherwise).
  TForm* Form() const { return form_; }
  TNotifyEvent OnFind;
  TNotifyEvent OnShow, OnClose;

 protected:
  virtual void BuildForm();
  virtual void ReadForm();
  virtual void DoFind();
  TForm* form_ = nullptr;
  TEdit* findEdit_ = nullptr;
  TCheckBox* wholeWord_ = nullptr;
  TCheckBox* matchCase_ = nullptr;
  TRadioGroup* direction_ = nullptr;
  TButton* findNext_ = nullptr;
  TButton* cancel_ = nullptr;
  AnsiString findText_;
  TFindOptions options_ = frDown;
  TPoint pos_{-1, -1};
};

class TReplaceDialog : public TFindDialog {
  ORV_CLASS(TReplaceDialog, TFindDialog)

 public:
  explicit TReplaceDialog(TComponent* owner) : TFindDialog(owner) {}
  const AnsiString& ReplaceText() const { return replaceText_; }
  void SetReplaceText(const AnsiString& s);
  TNotifyEvent OnReplace;

 protected:
  void BuildForm() override;
  void ReadForm() override;

 private:
  void DoReplace(bool all);
  TEdit* replaceEdit_ = nullptr;
  AnsiString replaceText_;
};

// ------------------------------------------------------------- printing

// Chooses the printer (PDF printer or a print-system printer), copies and,
// for the PDF printer, the output file.
class TPrintDialog : public TComponent {
  ORV_CLASS(TPrintDialog, TComponent)

 public:
  explicit TPrintDialog(TComponent* owner) : TComponent(owner) {}
  virtual bool Execute();
  int Copies() const { return copies_; }
  void SetCopies(int n) { copies_ = n; }
  // The dialog's window while it runs.
  TForm* Form() const { return form_; }

 protected:
  virtual bool RunForm(bool setup);
  TForm* form_ = nullptr;
  int copies_ = 1;
};

// Chooses the printer and the orientation.
class TPrinterSetupDialog : public TPrintDialog {
  ORV_CLASS(TPrinterSetupDialog, TPrintDialog)

 public:
  explicit TPrinterSetupDialog(TComponent* owner) : TPrintDialog(owner) {}
  bool Execute() override;
};

// ------------------------------------------------------------- platform

// Opens an address or "mailto:" with the desktop's handler, started
// directly with an argument vector; false when it could not start. Only
// http, https, ftp, mailto and file addresses are passed on, and bare
// "www." addresses as http.
bool ShellOpen(const AnsiString& url);
// Repaint suppression: while a window is locked (one at a time) its
// painting waits; unlocking with 0 paints what piled up.
bool LockWindowUpdate(HWND wnd);
HWND LockedWindow();
// Stops sounds being played (none are played here).
void StopSound();
