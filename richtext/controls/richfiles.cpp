// The complete editor's documents and dialogs: loading and saving through
// streams, files and the common file dialogs, printer set-up, and the shared
// find and replace dialogs with the finder behind them.
//
// Invariants: the shared dialogs belong to the application object and are
// made again after it was replaced; their events reach at most one control,
// whose pointer is forgotten when it goes (ReleaseDialogs); a cancelled
// dialog changes neither text, file name nor modified flag.
#include <memory>

#include "platform/ui/forms.h"
#include "richtext/controls/richtext.h"

// --- the shared dialogs ------------------------------------------------------------------------

namespace {

TFindDialog* gFindDialog = nullptr;
TReplaceDialog* gReplaceDialog = nullptr;
TWPCustomRichText* gFindReceiver = nullptr;
TWPCustomRichText* gReplaceReceiver = nullptr;

// The dialogs forget themselves when the application object frees them.
class TWPSharedFindDialog : public TFindDialog {
public:
  explicit TWPSharedFindDialog(TComponent* owner) : TFindDialog(owner) {}
  ~TWPSharedFindDialog() override {
    if (gFindDialog == this) gFindDialog = nullptr;
    gFindReceiver = nullptr;
  }
};

class TWPSharedReplaceDialog : public TReplaceDialog {
public:
  explicit TWPSharedReplaceDialog(TComponent* owner) : TReplaceDialog(owner) {}
  ~TWPSharedReplaceDialog() override {
    if (gReplaceDialog == this) gReplaceDialog = nullptr;
    gReplaceReceiver = nullptr;
  }
};

void EnsureApplication() {
  if (!Application) InitUi();
}

}  // namespace

TFindDialog* WPFindDialog() {
  if (!gFindDialog) {
    EnsureApplication();
    gFindDialog = new TWPSharedFindDialog(Application);
  }
  return gFindDialog;
}

TReplaceDialog* WPReplaceDialog() {
  if (!gReplaceDialog) {
    EnsureApplication();
    gReplaceDialog = new TWPSharedReplaceDialog(Application);
  }
  return gReplaceDialog;
}

void TWPCustomRichText::RouteDialogs(TWPCustomRichText* control, bool onlyExisting) {
  TFindDialog* find = onlyExisting ? gFindDialog : WPFindDialog();
  if (find) {
    gFindReceiver = control;
    find->OnFind = [](TObject*) {
      if (gFindReceiver && gFindDialog) gFindReceiver->FindEvent(gFindDialog);
    };
  }
  TReplaceDialog* replace = onlyExisting ? gReplaceDialog : WPReplaceDialog();
  if (replace) {
    gReplaceReceiver = control;
    replace->OnFind = [](TObject*) {
      if (gReplaceReceiver && gReplaceDialog) gReplaceReceiver->FindEvent(gReplaceDialog);
    };
    replace->OnReplace = [](TObject*) {
      if (gReplaceReceiver && gReplaceDialog) gReplaceReceiver->ReplaceEvent(gReplaceDialog);
    };
  }
}

void TWPCustomRichText::ReleaseDialogs(TWPCustomRichText* control) {
  if (gFindReceiver == control) {
    gFindReceiver = nullptr;
    if (gFindDialog) gFindDialog->OnFind = nullptr;
  }
  if (gReplaceReceiver == control) {
    gReplaceReceiver = nullptr;
    if (gReplaceDialog) {
      gReplaceDialog->OnFind = nullptr;
      gReplaceDialog->OnReplace = nullptr;
    }
  }
}

void TWPCustomRichText::Find() {
  TFindDialog* d = WPFindDialog();
  d->CloseDialog();
  gFindReceiver = this;
  d->OnFind = [](TObject*) {
    if (gFindReceiver && gFindDialog) gFindReceiver->FindEvent(gFindDialog);
  };
  d->SetOptions(frDown);
  d->Execute();
}

void TWPCustomRichText::Replace() {
  TReplaceDialog* d = WPReplaceDialog();
  d->CloseDialog();
  RouteDialogs(this, true);
  gReplaceReceiver = this;
  d->OnFind = [](TObject*) {
    if (gReplaceReceiver && gReplaceDialog) gReplaceReceiver->FindEvent(gReplaceDialog);
  };
  d->OnReplace = [](TObject*) {
    if (gReplaceReceiver && gReplaceDialog) gReplaceReceiver->ReplaceEvent(gReplaceDialog);
  };
  d->SetOptions(frDown);
  d->Execute();
}

// --- find and replace ----------------------------------------------------------------------------

TWPTextFinder* TWPCustomRichText::PrepareFinder(const TFindDialog* dialog) {
  TWPTextFinder* f = Finder();
  f->SetRangeChar('*');
  f->SetWholeWords(dialog->Options() & frWholeWord);
  f->SetCaseSensitive(dialog->Options() & frMatchCase);
  f->SetStartPosition(CursorPosition());
  return f;
}

void TWPCustomRichText::SelectFound(TWPTextFinder* f, bool down) {
  const int pos = f->FoundPosition(), len = f->FoundLength();
  AttachCanvas();
  SetSelection(pos, len);
  MoveCursorTo(down ? pos + len : pos);
  // Moving the cursor drops the block: mark it again around the match.
  SetSelection(pos, len);
  ReportEditState();
}

void TWPCustomRichText::FindEvent(TFindDialog* dialog) {
  TWPTextFinder* f = PrepareFinder(dialog);
  const bool down = dialog->Options() & frDown;
  // A selection that is the last match must not be found again: searching
  // down goes on behind it, searching up in front of it.
  if (down) f->FindForward(dialog->FindText());
  else f->FindBackward(dialog->FindText());
  if (f->Found()) SelectFound(f, down);
}

void TWPCustomRichText::ReplaceEvent(TReplaceDialog* dialog) {
  if (ReadOnly() || !ChangeCheck()) return;
  AttachCanvas();
  const bool down = dialog->Options() & frDown;
  if (dialog->Options() & frReplaceAll) {
    TWPTextFinder* f = PrepareFinder(dialog);
    HideSelection();
    f->SetStartPosition(CursorPosition());
    f->ReplaceAll(dialog->FindText(), dialog->ReplaceText());
    ReformatAndRepaint();
    Change();
    return;
  }
  // One match: the marked match when the selection is one, else the next.
  TWPTextFinder* f = PrepareFinder(dialog);
  const int cursor = CursorPosition();
  int start = cursor;
  TWPParagraphRec *p1, *p2;
  TWPLineRec *l1, *l2;
  int o1, o2;
  if (RtfText()->HasBlock() && RtfText()->GetSelection(p1, l1, o1, p2, l2, o2)) {
    // A marked match is replaced itself: the search starts at its start.
    int line = 0, par = 0;
    RtfText()->PositionOf(p1, l1, o1, start, line, par);
    if (!down) {
      int end = 0;
      RtfText()->PositionOf(p2, l2, o2, end, line, par);
      start = end;
    }
  }
  f->SetStartPosition(start);
  if (down) f->FindForward(dialog->FindText());
  else f->FindBackward(dialog->FindText());
  if (!f->Found()) {
    MoveCursorTo(cursor);
    return;
  }
  const int pos = f->FoundPosition();
  HideSelection();
  f->ReplaceFound(dialog->ReplaceText());
  ReformatAndRepaint();
  Change();
  const int len = static_cast<int>(dialog->ReplaceText().size());
  SetSelection(pos, len);
  MoveCursorTo(down ? pos + len : pos);
  SetSelection(pos, len);
  ReportEditState();
}

// --- streams and files --------------------------------------------------------------------------

void TWPCustomRichText::LoadFromStream(TStream* stream) {
  AttachCanvas();
  RtfText()->LoadFromStream(stream);
  ReformatAndRepaint();
}

void TWPCustomRichText::SaveToStream(TStream* stream) { RtfText()->SaveToStream(stream); }

void TWPCustomRichText::SaveSelection(TStream* stream) {
  if (!RtfText()->HasBlock()) {
    ShowStatusText(WPMessage(9));
    return;
  }
  RtfText()->SaveSelectionToStream(stream);
}

void TWPCustomRichText::SaveToFile(const AnsiString& name) {
  RtfText()->SaveToFile(name);
  if (!keepFileName_) fileName_ = name;
}

void TWPCustomRichText::LoadFromFile(const AnsiString& name) {
  AttachCanvas();
  RtfText()->LoadFromFile(name);
  if (!keepFileName_) fileName_ = name;
  ReformatAndRepaint();
}

bool TWPCustomRichText::SaveAs() {
  TSaveDialog dialog(nullptr);
  dialog.SetFilter(WPMessage(1));
  dialog.SetFileName(fileName_);
  dialog.SetDefaultExt("RTF");
  if (!dialog.Execute()) return false;
  const AnsiString chosen = dialog.FileName();
  SaveToFile(chosen);
  fileName_ = chosen;
  ShowFileName();
  SetModified(false);
  return true;
}

bool TWPCustomRichText::Save() {
  if (fileName_.empty()) return SaveAs();
  SaveToFile(fileName_);
  SetModified(false);
  return true;
}

bool TWPCustomRichText::Open() {
  if (ReadOnly() || !ChangeCheck()) return false;
  TOpenDialog dialog(nullptr);
  dialog.SetFilter(WPMessage(1));
  if (!dialog.Execute()) return false;
  const AnsiString chosen = dialog.FileName();
  ClearDocument();
  LoadFromFile(chosen);
  fileName_ = chosen;
  SetModified(false);
  ShowFileName();
  Invalidate();
  return true;
}

void TWPCustomRichText::PrinterSetup() {
  auto dialog = std::make_unique<TPrinterSetupDialog>(nullptr);
  dialog->Execute();
}
