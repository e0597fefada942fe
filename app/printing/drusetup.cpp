// The print setup (drusetup.h).
#include "app/printing/drusetup.h"

#include "app/printing/schrift.h"
#include "app/printing/styleline.h"
#include "app/windows/seite.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "resources/pictures.h"

namespace {

constexpr int kTitleLength = 40;
constexpr int kObenHeight = 36, kRightWidth = 104;

}  // namespace

TfrmDruSetup::TfrmDruSetup(TComponent* owner)
    : TfrmSettingsDialog(owner, "frmDruSetup", "Druckeinstellungen", "DRUCKEREINSTELLUNGEN", 92, 560, 400, true) {
  pbSeite = MakeToolButton(this, pnlTop, "pbSeite", "Seite", bpHelp, [this](TObject*) { pbSeiteClick(); });
  pbSeite->SetBitmap(PreviewPicture(ppPage).get());
  pbSeite->SetLeft(pbHilfe->Left() + pbHilfe->Width() + 1);
  pbSeite->SetTabStop(true);

  pnlOben = MakePanel(this, this, "pnlOben");
  pnlOben->SetBounds(0, kToolPanelHeight + 2, ClientWidth(), kObenHeight);
  pnlOben->SetAlign(alTop);
  lblTitel = AddLabel(this, pnlOben, "Titel:", 8, 11);
  editTitel = new TEdit(this);
  editTitel->SetName("editTitel");
  editTitel->SetParent(pnlOben);
  editTitel->SetBounds(50, 8, 300, 21);
  editTitel->SetMaxLength(kTitleLength);
  editTitel->OnChange = [this](TObject*) {
    if (Showing()) RefreshSample();
  };
  lblTitel->SetFocusControl(editTitel);

  pnlRight = MakePanel(this, this, "pnlRight");
  pnlRight->SetBounds(ClientWidth() - kRightWidth, 0, kRightWidth, 100);
  pnlRight->SetAlign(alRight);
  auto styleButton = [this](const char* name, const char* caption, int style) {
    auto* b = new TExplorerButton(this);
    b->SetName(name);
    b->SetParent(pnlRight);
    b->SetCaption(caption);
    b->SetBounds(8, 6 + style * 27, kRightWidth - 16, 24);
    b->SetTabStop(true);
    b->OnClick = [this, style](TObject*) { EditStyle(style); };
    return b;
  };
  pbTitel = styleButton("pbTitel", "Titel", psTitle);
  pbUntertitel = styleButton("pbUntertitel", "Untertitel", psSubtitle);
  pbText = styleButton("pbText", "Text", psBody);

  pnlClient = MakePanel(this, this, "pnlClient");
  pnlClient->SetBorderWidth(5);
  pnlClient->SetAlign(alClient);
  WPRichText1 = MakePageView(this, pnlClient);
  FirstFocus = editTitel;
}

void TfrmDruSetup::SetBlock(const PageSettings& block) {
  block_ = block;
  editTitel->SetText(block.Title);
}

const PageSettings& TfrmDruSetup::Block() {
  block_.Title = editTitel->Text().substr(0, kTitleLength);
  return block_;
}

void TfrmDruSetup::DialogShow() { RefreshSample(); }

void TfrmDruSetup::DialogResize() {
  if (Showing()) RefreshSample();
}

void TfrmDruSetup::SetSampleWidth() {
  const int res = WPRichText1->Header()->ResX > 0 ? WPRichText1->Header()->ResX : Screen->PixelsPerInch();
  WPRichText1->SetPageLayout(72, 72, kWPUnchanged, kWPUnchanged, MulDiv(WPRichText1->Width() - 10, 1440, res),
                             kWPUnchanged);
}

void TfrmDruSetup::RefreshSample() {
  ++samplesBuilt_;
  THourGlass busy;
  auto writing = AllowWriting(WPRichText1);
  WPRichText1->ClearDocument();
  {
    const bool locked = LockWindowUpdate(WPRichText1->Handle());
    TScopeExit unlock{[locked] {
      if (locked) LockWindowUpdate(0);
    }};
    SetSampleWidth();
    AppendStyledLine(WPRichText1, editTitel->Text(), false, block_.Styles[psTitle]);
    AppendStyledLine(WPRichText1, "Untertitel", true, block_.Styles[psSubtitle]);
    for (int paragraph = 0; paragraph < 2; ++paragraph)
      for (int i = 0; i < 30; ++i) AppendStyledLine(WPRichText1, "Text ", i == 0, block_.Styles[psBody]);
  }
  WPRichText1->ReformatAndRepaint();
  WPRichText1->PlaceCursor(0, 0, 0, 0);
}

void TfrmDruSetup::EditStyle(int style) {
  if (ShowSchrift(block_.Styles[style])) RefreshSample();
}

void TfrmDruSetup::pbSeiteClick() { ShowPageSetupDialog(block_); }

TPoint TfrmDruSetup::MinimumSize() {
  return {2 * GetSystemMetrics(SM_CXFRAME) + editTitel->Left() + editTitel->Width() + 4,
          GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) + pnlOben->Height() + pbText->Top() +
              pbText->Height() + pbTitel->Top() + pnlTop->Height() + bvlTop->Height() + SizeBar->Height()};
}

void ShowDruSetup(PageSettings& block) {
  auto* f = new TfrmDruSetup(Application);
  f->SetBlock(block);
  PageSettings copy = block;
  if (ShowModalAndFree(f, [&] { copy = f->Block(); }) == mrOk) block = copy;
}
