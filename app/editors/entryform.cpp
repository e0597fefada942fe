// The frame of the entry windows: tool panel with the navigator, size bar,
// button enabling, closing with the save question, minimum size.
#include "app/editors/entryform.h"

#include <utility>
#include <vector>

#include "app/windows/winparts.h"
#include "dbcontrols/grid/wwgrid.h"
#include "platform/ui/grids.h"
#include "richtext/controls/rtfedit.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/keyboard.h"
#include "resources/editorpictures.h"
#include "resources/pictures.h"

namespace {

constexpr int kToolsHeight = 34, kNavButtonSize = 26, kTextButtonWidth = 90, kBevelHeight = 2;
constexpr int kSizeBarHeight = 18;

}  // namespace

TExplorerButton* MakeFlatButton(TComponent* owner, TWinControl* panel, const char* name, const AnsiString& caption) {
  auto* b = new TExplorerButton(owner);
  b->SetName(name);
  b->SetParent(panel);
  b->SetCaption(caption);
  b->SetParentFont(false);
  b->Font()->SetName("Arial");
  b->Font()->SetHeight(-12);
  b->SetLayout(blBitmapLeft);
  return b;
}

AnsiString DaysBeforeCaption(int days) { return days == 1 ? "Tag vorher" : "Tage vorher"; }

TEntryForm::TEntryForm(TComponent* owner, const char* name, const AnsiString& caption, bool withSearch)
    : TOrvelanForm(owner) {
  SetFormName(name);
  SetCaption(caption);
  SetWindowLook(this);
  SetShowHint(true);

  pnlTools = new TPanel(this);
  pnlTools->SetName("pnlTools");
  pnlTools->SetParent(this);
  pnlTools->SetCaption("");
  pnlTools->SetBevelOuter(bvNone);
  pnlTools->SetBounds(0, 0, ClientWidth(), kToolsHeight);
  pnlTools->SetAlign(alTop);
  bvlTools = new TBevel(this);
  bvlTools->SetName("bvlTools");
  bvlTools->SetParent(this);
  bvlTools->SetShape(bsTopLine);
  bvlTools->SetBounds(0, kToolsHeight, ClientWidth(), kBevelHeight);
  bvlTools->SetAlign(alTop);

  pbSuchen = withSearch ? ToolButton("pbSuchen", "", "Suchen", -1, kNavButtonSize) : nullptr;
  if (pbSuchen) pbSuchen->SetBitmap(EditorPicture(epSearch).get());
  static const char* const kNames[] = {"pbFirst",  "pbPrior",  "pbNext", "pbLast",
                                       "pbInsert", "pbDelete", "pbPost", "pbCancel"};
  const AnsiString hints[] = {"Erster Eintrag",
                              CP1252("Vorheriger Eintrag").str(),
                              CP1252("Nächster Eintrag").str(),
                              "Letzter Eintrag",
                              "Neuer Eintrag (Einfg)",
                              CP1252("Eintrag löschen").str(),
                              "Speichern (Strg+S)",
                              "Abbrechen"};
  TExplorerButton** buttons[] = {&pbFirst, &pbPrior, &pbNext, &pbLast, &pbInsert, &pbDelete, &pbPost, &pbCancel};
  for (int i = 0; i < 8; ++i) {
    TExplorerButton* b = ToolButton(kNames[i], "", hints[i], epFirst + i, kNavButtonSize);
    b->SetTag(i + 1);
    b->OnClick = [this, b](TObject*) { NavClick(b->Tag()); };
    *buttons[i] = b;
  }
  int left = 4;
  if (pbSuchen) {
    pbSuchen->SetLeft(left);
    left += pbSuchen->Width() + 8;
  }
  for (int tag = ntFirst; tag <= ntCancel; ++tag) {
    NavButton(tag)->SetLeft(left);
    left += kNavButtonSize + 1;
    if (tag == ntLast) left += 6;  // moving and changing stand apart
  }
  pbHilfe = ToolButton("pbHilfe", "Hilfe", "", -1, kTextButtonWidth);
  pbHilfe->SetBitmap(ToolPicture(tpHelp).get());
  pbHilfe->OnClick = [this](TObject*) { ShowHelp(); };
  pbExit = ToolButton("pbExit", CP1252("Schließen").str(), "", -1, kTextButtonWidth);
  pbExit->SetBitmap(ToolPicture(tpClose).get());
  pbExit->OnClick = [this](TObject*) { Close(); };

  SizeBar = MakeSizeBar(this, this, kSizeBarHeight);
  SizeBar->SetBevelInner(bvNone);
  SizeBar->SetBevelOuter(bvRaised);

  OnCloseQuery = [this](TObject*, bool& canClose) { CloseQuery(canClose); };
  OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
    // The cell may hand its Escape on to its grid: that one is the same press.
    if (key == VK_ESCAPE && !escapeInCell_) escapeInCell_ = TakeBackCell();
    if (!escapeInCell_) ToolKeyDown(key, shift);
  };
  OnKeyPress = [this](TObject*, char& key) { escape_.KeyPress(key); };
  OnKeyUp = [this](TObject*, Word& key, TShiftState) { KeyUp(key); };
  // The grids' last columns fill them once the window is active.
  OnActivate = [this](TObject*) { FitGrids(); };
  OnResize = [this](TObject*) { PlaceRightButtons(); };
}

TExplorerButton* TEntryForm::ToolButton(const char* name, const AnsiString& caption, const AnsiString& hint,
                                        int picture, int width) {
  TExplorerButton* b = MakeFlatButton(this, pnlTools, name, caption);
  b->SetHint(hint);
  if (picture >= 0) b->SetBitmap(EditorPicture(static_cast<TEditorPicture>(picture)).get());
  b->SetBounds(0, (kToolsHeight - kNavButtonSize) / 2, width, kNavButtonSize);
  b->SetTabStop(true);
  return b;
}

TExplorerButton* TEntryForm::NavButton(int tag) const {
  switch (tag) {
    case ntFirst: return pbFirst;
    case ntPrior: return pbPrior;
    case ntNext: return pbNext;
    case ntLast: return pbLast;
    case ntInsert: return pbInsert;
    case ntDelete: return pbDelete;
    case ntPost: return pbPost;
    case ntCancel: return pbCancel;
    default: return nullptr;
  }
}

void TEntryForm::PostRecord() {
  TDataSet* t = NavTable();
  if (t->State() != dsEdit && t->State() != dsInsert) return;
  CheckTypedTexts();
  try {
    t->Post();
  } catch (const EConvertError&) {
    // A text the field cannot take: said in German, the record stays.
    throw EInvalidData(CP1252("Ihre Eingabe ist ungültig und wird nicht gespeichert.").str());
  }
}

void TEntryForm::NavClick(int tag) {
  TDataSet* t = NavTable();
  if (!t->Active()) return;
  // Leaving a changed record saves it first, with every check of a post;
  // a new one nothing was typed into is dropped.
  if (tag >= ntFirst && tag <= ntInsert && !DropUntouchedInsert()) PostRecord();
  switch (tag) {
    case ntFirst: t->First(); break;
    case ntPrior: t->Prior(); break;
    case ntNext: t->Next(); break;
    case ntLast: t->Last(); break;
    case ntInsert: t->Insert(); break;
    case ntDelete: DeleteRecord(); break;
    case ntPost: PostRecord(); break;
    case ntCancel: t->Cancel(); break;
    default: break;
  }
}

void TEntryForm::UpdateDataButtons() {
  TDataSet* t = NavTable();
  const bool open = t->Active(), browsing = open && t->State() == dsBrowse;
  // After a deletion or a cancel only the table knows whether the record
  // is its first or last.
  const bool atStart = t->Bof() || (browsing && !t->HasRecordBeside(true));
  const bool atEnd = t->Eof() || (browsing && !t->HasRecordBeside(false));
  pbFirst->SetEnabled(open && !atStart);
  pbPrior->SetEnabled(open && !atStart);
  pbNext->SetEnabled(open && !atEnd);
  pbLast->SetEnabled(open && !atEnd);
  pbDelete->SetEnabled(open && t->CanModify() && !t->IsEmpty());
}

void TEntryForm::UpdateStateButtons() {
  TDataSet* t = NavTable();
  const bool editing = t->State() == dsEdit || t->State() == dsInsert;
  pbPost->SetEnabled(editing);
  pbCancel->SetEnabled(editing);
  pbInsert->SetEnabled(!editing);
}

void TEntryForm::PlaceRightButtons() {
  pbExit->SetLeft(ClientWidth() - 4 - pbExit->Width());
  pbHilfe->SetLeft(pbExit->Left() - 1 - pbHilfe->Width());
  FitGrids();
}

void TEntryForm::WidenCodeColumn(TwwDBGrid* grid, int width) {
  if (grid->GetColCount() > 1 && grid->ColWidths(1) < width) grid->SetColWidths(1, width);
}

void TEntryForm::TabOutOfGrid(TwwDBGrid* grid, Word& key, TShiftState shift) {
  if (key != VK_TAB || (shift & ssAlt)) return;
  const bool forward = !(shift & ssShift);
  if (forward && !(shift & ssCtrl) && grid->TypingCellFollows()) return;  // the grid's own Tab
  key = 0;
  // A control laid over a cell lies in the grid: it is passed over too.
  TWinControl* next = grid;
  do next = FindNextControl(next, forward, true, false);
  while (next && next != grid && grid->ContainsControl(next));
  if (next) next->SetFocus();
}

void TEntryForm::FitGrids() {
  std::vector<int> widths;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* grid = dynamic_cast<TwwDBGrid*>(Components(i))) widths.push_back(grid->ClientWidth());
  if (!Active() || widths == fittedWidths_) return;
  fittedWidths_ = widths;
  OptimizeGrids();
}

bool TEntryForm::DropUntouchedInsert() {
  TDataSet* t = NavTable();
  if (t->State() != dsInsert) return false;
  // What is typed but not yet in its field counts; a text its field
  // refuses is typed too.
  try {
    t->UpdateRecord();
  } catch (const Exception&) {
    return false;
  }
  if (t->Modified()) return false;
  t->Cancel();
  return true;
}

void TEntryForm::CloseQuery(bool& canClose) {
  TDataSet* t = NavTable();
  if (!DropUntouchedInsert() && (t->State() == dsEdit || t->State() == dsInsert)) {
    // A post that is refused raises: the window stays open with its record.
    switch (ConfirmSaveOnClose()) {
      case TSaveAnswer::Save: PostRecord(); break;
      case TSaveAnswer::Discard: t->Cancel(); break;
      case TSaveAnswer::Stay: canClose = false; return;
    }
  }
  canClose = true;
}

int RecordKey(Word key, TShiftState shift, TWinControl* focused) {
  const TShiftState mods = KeyModifiers(shift);
  if (key == 'S' && mods == ssCtrl) return ntPost;
  if (key != VK_INSERT || mods != 0) return 0;
  for (TControl* c = focused; c; c = c->Parent())
    if (dynamic_cast<TCustomGrid*>(c) || dynamic_cast<TWPCustomRtfEdit*>(c)) return 0;
  return ntInsert;
}

void TEntryForm::ToolKeyDown(Word& key, TShiftState shift) {
  escape_.KeyDown(key);
  const int tag = RecordKey(key, shift, ActiveControl());
  if (tag == 0 || !NavButton(tag)->Enabled()) return;
  key = 0;
  NavClick(tag);
}

void TEntryForm::KeyUp(Word& key) {
  if (key != VK_ESCAPE) return;
  key = 0;
  TDataSet* rows = std::exchange(escapeInCell_, nullptr);
  if (!rows)
    Close();
  else if (rows->State() == dsEdit && !rows->Modified())
    rows->Cancel();
}

int TEntryForm::MinimumWidth() const {
  return 2 * GetSystemMetrics(SM_CXFRAME) + 8 + pbCancel->Left() + pbCancel->Width() + 2 + pbHilfe->Width() +
         pbExit->Width();
}

int TEntryForm::FrameHeight() const {
  return GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) + pnlTools->Height() +
         bvlTools->Height() + SizeBar->Height();
}

int TEntryForm::ThreeRowsHeight() {
  TCanvas* c = Canvas();
  c->Font()->Assign(*Font());
  return 3 * (c->TextHeight("W") + 3) + 8;
}
