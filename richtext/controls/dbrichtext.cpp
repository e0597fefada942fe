// The data-aware rich-text control: showing the field, starting the edit,
// writing the text back, keys, mouse and focus, and the dataset commands of
// the tool bar.
#include "richtext/controls/dbrichtext.h"

#include <string_view>

#include "platform/rtl/scopeexit.h"
#include "platform/ui/keyboard.h"

namespace {

bool IsBlob(const TField* f) { return dynamic_cast<const TBlobField*>(f) != nullptr; }

// Start and length of the selection (absolute positions), length 0 without one.
void SelectionOf(TWPRTFTextInput* e, int& start, int& length) {
  start = length = 0;
  TWPParagraphRec *p1, *p2;
  TWPLineRec *l1, *l2;
  int o1, o2;
  if (!e->HasBlock() || !e->GetSelection(p1, l1, o1, p2, l2, o2)) return;
  int line = 0, par = 0, end = 0;
  e->PositionOf(p1, l1, o1, start, line, par);
  e->PositionOf(p2, l2, o2, end, line, par);
  length = end - start;
}

}  // namespace

TDBWPRichText::TDBWPRichText(TComponent* owner) : TWPRichText(owner) {
  dataLink_.SetControl(this);
  dataLink_.OnDataChange = [this](TObject*) { DataChange(); };
  dataLink_.OnEditingChange = [this](TObject*) { EditingChange(); };
  dataLink_.OnUpdateData = [this](TObject*) { UpdateData(); };
  dataLink_.OnFocusRequest = [this](TObject*) {
    if (CanFocus()) SetFocus();
  };
  EditingChange();
}

TDBWPRichText::~TDBWPRichText() {
  dataLink_.OnDataChange = nullptr;
  dataLink_.OnEditingChange = nullptr;
  dataLink_.OnUpdateData = nullptr;
  dataLink_.SetDataSource(nullptr);
}

void TDBWPRichText::SetDataSource(TDataSource* ds) {
  if (TDataSource* old = dataLink_.DataSource()) RemoveFreeNotification(old);
  if (ds) FreeNotification(ds);
  dataLink_.SetDataSource(ds);
}

void TDBWPRichText::Notification(TComponent* c, TOperation op) {
  TWPRichText::Notification(c, op);
  if (op == opRemove && c && c == dataLink_.DataSource() && !IsDestroying()) dataLink_.SetDataSource(nullptr);
}

void TDBWPRichText::SetAutoDisplay(bool v) {
  if (v == autoDisplay_) return;
  autoDisplay_ = v;
  if (v) LoadFromField();
}

// The flag is the link's; the engine follows it through EditingChange.
void TDBWPRichText::SetReadOnly(bool v) {
  dataLink_.SetReadOnly(v);
  TWPRichText::SetReadOnly(v);
  EditingChange();
}

bool TDBWPRichText::GetReadOnly() const { return dataLink_.ReadOnly(); }

void TDBWPRichText::ShowPlain(const AnsiString& text) {
  showing_ = true;
  SetPlainText(text.c_str());
  showing_ = false;
  SetModified(false);
}

// --- showing and storing the field -----------------------------------------------------------------

void TDBWPRichText::DataChange() {
  TDataSet* ds = dataLink_.DataSet();
  if (!dataLink_.DataSource() || !ds || !ds->Active()) return;
  TField* f = dataLink_.Field();
  if (!f) {
    ShowPlain("");
    loaded_ = false;
  } else if (!IsBlob(f)) {
    ShowPlain(focused_ && dataLink_.Editing() ? f->Text() : f->DisplayText());
    loaded_ = true;
  } else if (!autoDisplay_ && !(dataLink_.Editing() && loaded_)) {
    ShowPlain("(" + f->DisplayLabel() + ")");
    loaded_ = false;
  } else {
    loaded_ = false;
    LoadFromField();
  }
  EditingChange();
}

void TDBWPRichText::LoadFromField() {
  auto* f = dynamic_cast<TBlobField*>(dataLink_.Field());
  if (loaded_ || !f) return;
  TMemoryStream ms;
  f->SaveToStream(&ms);
  const bool own = !written_.empty() && written_ == std::string_view(ms.Memory(), static_cast<size_t>(ms.Size()));
  written_.clear();
  const Place place = CurrentPlace();
  showing_ = true;
  ClearDocument();
  ms.SetPosition(0);
  if (ms.Size() > 0) LoadFromStream(&ms);
  // The text just saved: the caret and the view stay where they were.
  if (own) ShowAt(place);
  showing_ = false;
  loaded_ = true;
  SetModified(false);
  EditingChange();
  Invalidate();
  if (WPRuler()) WPRuler()->Invalidate();
}

void TDBWPRichText::UpdateData() {
  if (HasState(csDesigning)) return;
  TDataSet* ds = dataLink_.DataSet();
  TField* f = dataLink_.Field();
  if (!ds || !ds->Active() || !f) return;
  if (auto* blob = dynamic_cast<TBlobField*>(f)) {
    TMemoryStream ms;
    SaveToStream(&ms);
    written_.assign(ms.Memory(), static_cast<size_t>(ms.Size()));
    ms.SetPosition(0);
    blob->LoadFromStream(&ms);
  } else {
    f->SetText(Text());
  }
  SetModified(false);
}

void TDBWPRichText::EditingChange() {
  RtfText()->ReadOnly = ReadOnly() || !dataLink_.Editing() || !loaded_;
  RefreshDataButtons();
}

// Going into edit state may load the field again: cursor, scroll position,
// writing attribute and selection are kept across it, and nothing is shown
// until all of them are back (then the whole control is repainted). The
// attribute goes straight to the engine: the control's own setter would run
// this change check again and report a change that nobody made.
TDBWPRichText::Place TDBWPRichText::CurrentPlace() {
  Place p;
  p.Top = TopOffset();
  p.Left = LeftOffset();
  int line = 0;
  GetCursorPlace(p.Position, line, p.A3, p.A4);
  return p;
}

void TDBWPRichText::ShowAt(const Place& place) {
  AttachCanvas();
  ReformatAndRepaint();
  SetTopOffset(place.Top);
  SetLeftOffset(place.Left);
  // The absolute position alone: with a line number the engine would count
  // it inside that line.
  PlaceCursor(place.Position, 0, place.A3, place.A4);
}

bool TDBWPRichText::StartEdit() {
  TWPRTFTextInput* e = RtfText();
  const Place place = CurrentPlace();
  const TWPAttrRecord attr = e->WritingAttr;
  int selStart = 0, selLength = 0;
  SelectionOf(e, selStart, selLength);
  bool editing = false;
  {
    const bool quiet = e->Quiet;
    e->Quiet = true;
    TScopeExit shown{[e, quiet] { e->Quiet = quiet; }};
    HideSelection();
    editing = dataLink_.Edit();
    if (editing) {
      ShowAt(place);
      e->WritingAttr = attr;
      if (selLength > 0) {
        SetSelection(selStart, selLength);
        MoveCursorTo(place.Position);
        SetSelection(selStart, selLength);
      }
    }
  }
  if (e->AttrListener) e->AttrListener->AttributeChanged();
  Invalidate();
  return editing;
}

bool TDBWPRichText::ChangeCheck() {
  if (showing_) return TWPRichText::ChangeCheck();
  TDataSource* src = dataLink_.DataSource();
  TDataSet* ds = src ? src->DataSet() : nullptr;
  if (!ds || !ds->Active() || !ds->CanModify() || ReadOnly()) return false;
  if (!dataLink_.Editing() && !StartEdit()) return false;
  dataLink_.Modified();
  loaded_ = true;
  RtfText()->ReadOnly = ReadOnly() || !dataLink_.Editing();
  return TWPRichText::ChangeCheck();
}

// --- keys, mouse and focus -------------------------------------------------------------------------------

void TDBWPRichText::KeyDown(Word& key, TShiftState shift) {
  if (!loaded_) {
    // Only the key press of Enter loads the content.
    if (key != VK_RETURN) key = 0;
    return;
  }
  if (key == VK_DELETE || (key == VK_INSERT && (shift & ssShift))) {
    if (!dataLink_.Editing()) ChangeCheck();
  }
  TWPRichText::KeyDown(key, shift);
}

void TDBWPRichText::KeyPress(char& key) {
  const unsigned char k = static_cast<unsigned char>(key);
  if (!loaded_) {
    if (k == 13) LoadFromField();
    key = 0;
    return;
  }
  if (k >= 32 && dataLink_.Field() && !dataLink_.Field()->IsValidChar(key)) {
    MessageBeep(0);
    key = 0;
    return;
  }
  if (k == 27) {
    dataLink_.Reset();
    key = 0;
    return;
  }
  if ((k == 24 || (k >= 8 && k <= 10) || k == 13 || k == 22 || k >= 32) && !dataLink_.Editing()) {
    if (!ChangeCheck()) {
      key = 0;
      return;
    }
  }
  TWPRichText::KeyPress(key);
}

void TDBWPRichText::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TWPRichText::MouseDown(button, shift, x, y);
  if (button == mbLeft && (shift & ssDouble) && !loaded_) LoadFromField();
}

void TDBWPRichText::SetFocusedFlag(bool v) {
  if (focused_ == v) return;
  focused_ = v;
  if (dataLink_.Field() && !IsBlob(dataLink_.Field())) dataLink_.Reset();
}

void TDBWPRichText::DoEnter() {
  SetFocusedFlag(true);
  TWPRichText::DoEnter();
}

void TDBWPRichText::DoExit() {
  // A failure to write the record passes on; the focus stays.
  dataLink_.UpdateRecord();
  SetFocusedFlag(false);
  TWPRichText::DoExit();
}

// --- the tool bar's dataset commands ------------------------------------------------------------------------

bool TDBWPRichText::ToolBarCommand(int group, int number) {
  TDataSource* src = dataLink_.DataSource();
  TDataSet* ds = src ? src->DataSet() : nullptr;
  if (group == wpgDataSet && ds && ds->Active()) {
    switch (number) {
      case wpcmdNext: ds->Next(); break;
      case wpcmdPrior: ds->Prior(); break;
      case wpcmdInsert: ds->Insert(); break;
      case wpcmdDelete: ds->Delete(); break;
      case wpcmdEdit: ds->Edit(); break;
      case wpcmdCancel: ds->Cancel(); break;
      case wpcmdFirst: ds->First(); break;
      case wpcmdLast: ds->Last(); break;
      case wpcmdPost: ds->Post(); break;
      case wpcmdRefresh: ds->Refresh(); break;
      default: return false;
    }
    RefreshDataButtons();
    return true;
  }
  // The record is saved by posting it, not into a file.
  if (group == wpgFile && number == wpcmdClose && Focused()) return true;
  return TWPRichText::ToolBarCommand(group, number);
}

void TDBWPRichText::RefreshDataButtons() {
  TWPCustomToolCtrl* bar = WPToolBar();
  if (!bar || bar->Editor() != this) return;
  TDataSource* src = dataLink_.DataSource();
  TDataSet* ds = src ? src->DataSet() : nullptr;
  const bool active = ds && ds->Active();
  const bool editing = active && (ds->State() == dsEdit || ds->State() == dsInsert);
  const bool canModify = active && ds->CanModify();
  const bool bof = !active || ds->Bof(), eof = !active || ds->Eof();
  bar->SetButtonEnabled(wpgDataSet, wpcmdFirst, active && !bof);
  bar->SetButtonEnabled(wpgDataSet, wpcmdPrior, active && !bof);
  bar->SetButtonEnabled(wpgDataSet, wpcmdNext, active && !eof);
  bar->SetButtonEnabled(wpgDataSet, wpcmdLast, active && !eof);
  bar->SetButtonEnabled(wpgDataSet, wpcmdInsert, canModify && !editing);
  bar->SetButtonEnabled(wpgDataSet, wpcmdDelete, canModify && !editing && !(bof && eof));
  bar->SetButtonEnabled(wpgDataSet, wpcmdEdit, canModify && !editing && !(bof && eof));
  bar->SetButtonEnabled(wpgDataSet, wpcmdPost, editing);
  bar->SetButtonEnabled(wpgDataSet, wpcmdCancel, editing);
  bar->SetButtonEnabled(wpgDataSet, wpcmdRefresh, active && !editing);
}
