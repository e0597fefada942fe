// The frame of the pick lists of own entries (entrylist.h).
#include "app/editors/entrylist.h"

#include <algorithm>

#include "app/settings/datasetup.h"
#include "app/windows/winparts.h"
#include "platform/ui/keyboard.h"
#include "resources/pictures.h"

namespace {

constexpr int kToolsHeight = 34, kGotoHeight = 34, kButtonWidth = 86, kButtonHeight = 26, kBevelHeight = 2;
constexpr int kClientBorder = 4, kSizeBarHeight = 18;

}  // namespace

bool FindNearestEntry(TwwTable* table, int entryType, const Variant& value) {
  try {
    table->FindNearest({entryType, value});
    return true;
  } catch (const Exception&) {
    return false;
  }
}

TEntryList::TEntryList(TComponent* owner, const char* name, const AnsiString& caption, const char* index,
                       int entryType)
    : TOrvelanForm(owner), entryType_(entryType) {
  SetFormName(name);
  SetCaption(caption);
  SetWindowLook(this);
  SetClientSize(440, 400);

  auto panel = [this](const char* n, int height) {
    auto* p = new TPanel(this);
    p->SetName(n);
    p->SetParent(this);
    p->SetCaption("");
    p->SetBevelOuter(bvNone);
    p->SetHeight(height);
    p->SetAlign(alTop);
    return p;
  };
  auto bevel = [this](const char* n) {
    auto* b = new TBevel(this);
    b->SetName(n);
    b->SetParent(this);
    b->SetShape(bsTopLine);
    b->SetHeight(kBevelHeight);
    b->SetAlign(alTop);
    return b;
  };
  pnlTools = panel("pnlTools", kToolsHeight);
  bvlTools = bevel("bvlTools");
  pnlGoto = panel("pnlGoto", kGotoHeight);
  bvlGoto = bevel("bvlGoto");
  // alTop stacks in creation order only when each starts below the last.
  int top = 0;
  for (TControl* c : std::initializer_list<TControl*>{pnlTools, bvlTools, pnlGoto, bvlGoto}) {
    c->SetTop(top);
    top += c->Height();
  }
  pbHilfe = ToolButton("pbHilfe", "Hilfe", kButtonWidth);
  pbHilfe->SetBitmap(ToolPicture(tpHelp).get());
  pbHilfe->SetLeft(4);
  pbHilfe->OnClick = [this](TObject*) { ShowHelp(); };
  pbAbbruch = ToolButton("pbAbbruch", "Abbruch", kButtonWidth);
  pbAbbruch->SetBitmap(ToolPicture(tpCancel).get());
  pbAbbruch->OnClick = [this](TObject*) { SetModalResult(mrCancel); };
  pbOk = ToolButton("pbOk", "Ok", kButtonWidth);
  pbOk->SetBitmap(ToolPicture(tpOk).get());
  pbOk->OnClick = [this](TObject*) { TakeChoice(); };
  lblGoto = new TLabel(this);
  lblGoto->SetName("lblGoto");
  lblGoto->SetParent(pnlGoto);
  lblGoto->SetCaption("Gehe zu");
  lblGoto->SetLeft(8);
  lblGoto->SetTop(10);

  SizeBar = MakeSizeBar(this, this, kSizeBarHeight);
  SizeBar->SetBevelInner(bvNone);
  SizeBar->SetBevelOuter(bvRaised);
  auto* client = new TPanel(this);
  client->SetName("pnlClient");
  client->SetParent(this);
  client->SetCaption("");
  client->SetBevelOuter(bvNone);
  client->SetBorderWidth(kClientBorder);
  client->SetAlign(alClient);

  tblEige = MakeEntryTable(this, "tblEige", index);
  dsEige = new TwwDataSource(this);
  dsEige->SetName("dsEige");
  dsEige->SetDataSet(tblEige);
  gridEige = new TwwDBGrid(this);
  gridEige->SetName("gridEige");
  gridEige->SetParent(client);
  gridEige->SetAlign(alClient);
  gridEige->SetUseTFields(false);
  gridEige->SetReadOnly(true);
  gridEige->SetOptions((gridEige->Options() | dgRowSelect | dgAlwaysShowSelection) & ~dgEditing);
  gridEige->OnDblClick = [this](TObject*) { SetModalResult(mrOk); };
  gridEige->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { OptimizeGrids(); };

  Timer1 = new TTimer(this);
  Timer1->SetName("Timer1");
  Timer1->SetEnabled(false);
  Timer1->SetInterval(300);
  Timer1->OnTimer = [this](TObject*) {
    Timer1->SetEnabled(false);
    SearchTyped();
  };

  OnKeyUp = [this](TObject*, Word& key, TShiftState) {
    if (key == VK_RETURN) {
      key = 0;
      TakeChoice();
    } else if (key == VK_ESCAPE) {
      key = 0;
      SetModalResult(mrCancel);
    }
  };
  // The grids' last columns fill them once the window is active.
  OnActivate = [this](TObject*) { OptimizeGrids(); };
  OnResize = [this](TObject*) { PlaceButtons(); };
  OnHide = [this](TObject*) { WritePosition(); };
  OnDestroy = [this](TObject*) { tblEige->Close(); };
}

TEntryList::~TEntryList() { BeforeDestruction(); }

TExplorerButton* TEntryList::ToolButton(const char* name, const AnsiString& caption, int width) {
  TExplorerButton* b = MakeFlatButton(this, pnlTools, name, caption);
  b->SetBounds(0, (kToolsHeight - kButtonHeight) / 2, width, kButtonHeight);
  b->SetTabStop(true);
  return b;
}

void TEntryList::SetColumns(std::initializer_list<const char*> columns) {
  TStringList list;
  for (const char* c : columns) list.Add(c);
  gridEige->SetSelected(&list);
  gridEige->SetDataSource(dsEige);
  OpenTableOrExplain(tblEige);
  tblEige->SetRange({entryType_}, {entryType_});
}

void TEntryList::TakeChoice() {
  // What was typed last is searched before the entry is taken.
  if (Timer1->Enabled()) Timer1->OnTimer(Timer1);
  SetModalResult(mrOk);
}

void TEntryList::RestartTimer() {
  Timer1->SetEnabled(false);
  Timer1->SetEnabled(true);
}

void TEntryList::PlaceButtons() {
  pbOk->SetLeft(pnlTools->Width() - 4 - pbOk->Width());
  pbAbbruch->SetLeft(pbOk->Left() - 1 - pbAbbruch->Width());
  OptimizeGrids();
}

int TEntryList::CurrentId() const {
  return tblEige->IsEmpty() ? 0 : tblEige->FieldByName("EIGE_ID")->AsInteger();
}

TPoint TEntryList::ListMinimumSize(const TControl* search) {
  const int frameX = 2 * GetSystemMetrics(SM_CXFRAME);
  const int width = std::max({ButtonRowWindowWidth(pnlTools), frameX + search->Left() + search->Width() + 4,
                              frameX + 2 * kClientBorder + GridColumnsWidth(gridEige)});
  return {width, GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) + pnlTools->Height() +
                     bvlTools->Height() + pnlGoto->Height() + bvlGoto->Height() + 2 * kClientBorder +
                     GridRowsHeight(gridEige, 3) + SizeBar->Height()};
}
