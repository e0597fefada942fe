// The selection-code editor (selcerf.h).
#include "app/editors/selcerf.h"

#include <memory>
#include <vector>

#include "app/base/usertables.h"
#include "app/settings/datasetup.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"

namespace {
constexpr int kClientBorder = 4;

// An entry by its short text, or by its number when it has none.
AnsiString EntryName(int entry) {
  TwwTable own(nullptr);
  own.SetDatabaseName(kUserAlias);
  own.SetTableName("EIGENES.FFD");
  own.SetIndexName("XEIGE_ID");
  own.SetReadOnly(true);
  try {
    own.Open();
    FixStringFields(&own);
    if (own.FindKey({entry}) && !Trim(own.FieldByName("EIGE_HINWEIS")->AsString()).empty())
      return "\"" + Trim(own.FieldByName("EIGE_HINWEIS")->AsString()) + "\"";
  } catch (const Exception&) {
    // Named by its number then.
  }
  return "Nr. " + IntToStr(entry);
}
}  // namespace

TfrmSelCErf::TfrmSelCErf(TComponent* owner) : TEntryForm(owner, "frmSelCErf", "Selektionscodes", false) {
  SetClientSize(420, 320);
  pnlClient = new TPanel(this);
  pnlClient->SetName("pnlClient");
  pnlClient->SetParent(this);
  pnlClient->SetCaption("");
  pnlClient->SetBevelOuter(bvNone);
  pnlClient->SetBorderWidth(kClientBorder);
  pnlClient->SetAlign(alClient);
  tblSelC = new TwwTable(this);
  tblSelC->SetName("tblSelC");
  tblSelC->SetDatabaseName(kUserAlias);
  tblSelC->SetTableName("SELCODE.FFD");
  tblSelC->SetIndexName("XSELC_ID");
  tblSelC->AfterOpen = [](TDataSet* d) { FixStringFields(d); };
  dsSelC = new TwwDataSource(this);
  dsSelC->SetName("dsSelC");
  dsSelC->SetDataSet(tblSelC);
  gridSelC = new TwwDBGrid(this);
  gridSelC->SetName("gridSelC");
  gridSelC->SetParent(pnlClient);
  gridSelC->SetAlign(alClient);
  gridSelC->SetUseTFields(false);
  TStringList columns;
  columns.Add("SELC_ID\t5\tCode");
  columns.Add("SELC_NAME\t33\tBezeichnung");
  gridSelC->SetSelected(&columns);
  // The current cell is always in its editor, so that Home and End move the
  // caret in its text rather than leaving the cell. Deleting asks the
  // window's own question only (BeforeDelete), not the grid's.
  gridSelC->SetOptions((gridSelC->Options() | dgAlwaysShowEditor) & ~dgConfirmDelete);
  gridSelC->SetDataSource(dsSelC);
  gridSelC->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { OptimizeGrids(); };
  gridSelC->OnKeyDown = [this](TObject*, Word& key, TShiftState shift) { TabOutOfGrid(gridSelC, key, shift); };

  tblSelC->BeforeEdit = [this](TDataSet* d) { storedCode_ = d->FieldByName("SELC_ID")->AsString(); };
  // A new row is typed from its first column, the code.
  tblSelC->AfterInsert = [this](TDataSet*) {
    gridSelC->SetSelectedIndex(0);
    if (gridSelC->CanFocus()) gridSelC->SetFocus();
  };
  tblSelC->BeforePost = [this](TDataSet* d) {
    const bool noCode = wwStrTrimBlanks(d->FieldByName("SELC_ID")->AsString()).empty();
    if (noCode || wwStrTrimBlanks(d->FieldByName("SELC_NAME")->AsString()).empty())
      RefuseAt(noCode ? 0 : 1, CP1252(R"(Beide Felder "Code" und "Bezeichnung" müssen vorgegeben werden)").str());
    // A renamed code takes the entries that carry it along: their links
    // change first, and the post of the code completes the change, which
    // is written as a whole (AfterPost) or not at all.
    rename_.reset();
    if (d->State() != dsEdit || d->FieldByName("SELC_ID")->AsString() == storedCode_) return;
    rename_ = std::make_unique<TUserChange>();
    try {
      RenameCodeOfEntries(*OpenCodeLinks(), storedCode_, d->FieldByName("SELC_ID")->AsString());
    } catch (...) {
      rename_.reset();
      throw;
    }
  };
  tblSelC->AfterPost = [this](TDataSet* d) {
    if (!rename_) return;
    const std::unique_ptr<TUserChange> rename = std::move(rename_);
    try {
      rename->Commit();
    } catch (const Exception&) {
      d->Refresh();  // the code as it is stored again
      throw;
    }
  };
  // The table refuses a code it holds already: said in this window's words.
  tblSelC->OnPostError = [this](TDataSet* d, EDatabaseError& e, TDataAction&) {
    rename_.reset();
    const auto* engine = dynamic_cast<const EDBEngineError*>(&e);
    if (engine && engine->ErrorCode() == bapiKeyViolation)
      RefuseAt(0, "Den Selektionscode \"" + wwStrTrimBlanks(d->FieldByName("SELC_ID")->AsString()) +
                      "\" gibt es schon. Geben Sie einen anderen Code ein.");
  };
  tblSelC->BeforeDelete = [](TDataSet*) {
    if (MessageDlg(CP1252("Selektionscode löschen?").str(), mtConfirmation, mbYes | mbNo, 0) != mrYes)
      throw EInvalidData(CP1252("Selektionscode wird nicht gelöscht").str());
  };
  dsSelC->OnDataChange = [this](TObject*, TField*) { UpdateDataButtons(); };
  dsSelC->OnStateChange = [this](TObject*) { UpdateStateButtons(); };

  SetFormKey("SELEKTIONSCODES ERFASSEN");
  SetHelpContext(41);
  OpenTableOrExplain(tblSelC);
  OnShow = [this](TObject*) {
    ReadPosition();
    WidenCodeColumn(gridSelC, gridSelC->ColumnWidthForText(kWidestCode));
    PlaceRightButtons();
    UpdateDataButtons();
    UpdateStateButtons();
    if (gridSelC->CanFocus()) gridSelC->SetFocus();
  };
  OnHide = [this](TObject*) { WritePosition(); };
  OnDestroy = [this](TObject*) { tblSelC->Close(); };
}

TfrmSelCErf::~TfrmSelCErf() { BeforeDestruction(); }

void TfrmSelCErf::RefuseAt(int dataCol, const AnsiString& message) {
  if (gridSelC->CanFocus()) {
    gridSelC->SetFocus();
    gridSelC->SetSelectedIndex(dataCol);
  }
  throw EInvalidData(message);
}

std::unique_ptr<TwwTable> OpenCodeLinks() {
  auto links = std::make_unique<TwwTable>(nullptr);
  links->SetDatabaseName(kUserAlias);
  links->SetTableName("EIGESELC.FFD");
  links->SetIndexName("XSE_SELC");
  links->AfterOpen = [](TDataSet* d) { FixStringFields(d); };
  OpenTableOrExplain(links.get());
  return links;
}

void RenameCodeOfEntries(TwwTable& links, const AnsiString& from, const AnsiString& to) {
  std::vector<int> entries;
  links.SetIndexName("XSE_SELC");
  links.SetRange({from}, {from});
  for (links.First(); !links.Eof(); links.Next()) entries.push_back(links.FieldByName("EIGE_ID")->AsInteger());
  links.CancelRange();
  links.SetIndexName("XPKEISE");
  // The index ignores letter case: a code renamed in its case alone finds
  // its own row under the new code, which is renamed, not deleted.
  const bool sameKey = AnsiSameText(from, to);
  for (const int entry : entries) {
    try {
      // An entry that carries the new code already keeps that row only.
      const bool hasNew = !sameKey && links.FindKey({to, entry});
      if (!links.FindKey({from, entry})) continue;
      if (hasNew) {
        links.Delete();
      } else {
        links.Edit();
        links.FieldByName("SELC_ID")->SetAsString(to);
        links.Post();
      }
    } catch (const Exception& e) {
      if (links.State() != dsBrowse) links.Cancel();
      throw EInvalidData("Der Selektionscode \"" + from + "\" kann nicht in \"" + to +
                         CP1252("\" umbenannt werden: Der Eintrag ").str() + EntryName(entry) +
                         CP1252(" lässt sich nicht ändern.\r").str() + e.Message() +
                         CP1252("\r\rDer Code und alle Einträge behalten \"").str() + from + "\".");
    }
  }
}

TDataSet* TfrmSelCErf::TakeBackCell() {
  const TInplaceEdit* cell = gridSelC->InplaceEditor();
  if (!gridSelC->Focused() && !(cell && cell->Focused())) return nullptr;
  const bool typed = gridSelC->DataLink()->IsModified();
  const bool editing = tblSelC->State() == dsInsert || tblSelC->State() == dsEdit;
  if (!typed && !(editing && tblSelC->Modified())) return nullptr;
  if (!typed || (tblSelC->State() == dsInsert && !tblSelC->Modified())) tblSelC->Cancel();
  return tblSelC;
}

TPoint TfrmSelCErf::MinimumSize() { return {MinimumWidth(), FrameHeight() + 2 * kClientBorder + ThreeRowsHeight()}; }

void ShowSelCErf() {
  std::unique_ptr<TfrmSelCErf> f(new TfrmSelCErf(Application));
  f->AfterConstruction();
  f->ShowModal();
}
