// The preview (preview.h).
#include "app/windows/preview.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "app/windows/parprops.h"
#include "app/windows/seite.h"
#include "app/windows/winparts.h"
#include "platform/gfx/printer.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keyboard.h"
#include "resources/pictures.h"

namespace {

TExplorerButton* OwnToolButton(TfrmPreview* f, const char* name, const char* hint, TPreviewPicture picture,
                               TNotifyEvent onClick) {
  auto* b = new TExplorerButton(f);
  b->SetName(name);
  b->SetBounds(0, 0, 23, 22);
  b->SetLayout(blBitmapTop);
  b->SetBitmap(PreviewPicture(picture).get());
  b->SetHint(hint);
  b->SetShowHint(true);
  b->SetTabStop(true);
  b->OnClick = std::move(onClick);
  return b;
}

}  // namespace

TfrmPreview::TfrmPreview(TComponent* owner) : TOrvelanForm(owner) {
  SetFormName("frmPreview");
  SetCaption("Vorschau");
  SetBounds(0, 0, 760, 560);
  SetWindowLook(this);
  SetFormKey("VORSCHAU");
  SetHelpContext(51);

  WPToolBar1 = new TWPToolBar(this);
  WPToolBar1->SetName("WPToolBar1");
  SetGermanHints(WPToolBar1);
  WPToolBar1->Hints()->SetValues("WPI_Save", "Speichern (Strg+S)");
  WPToolBar1->Hints()->SetValues("WPI_Print", "Drucken (Strg+P)");
  WPToolBar1->SetParent(this);
  WPToolBar1->SetAlign(alTop);
  WPToolBar1->Setsel_ListBoxes(WPSet({SelFontName, SelFontSize, SelFontColor}));
  WPToolBar1->Setsel_ActionIcons(WPSet({SelExit, SelSave, SelPrint, SelPrintSetup}));
  WPToolBar1->Setsel_EditIcons(WPSet({SelCopy, SelCut, SelPaste, SelSelAll}));
  WPToolBar1->SetFontChoice(fsPrinterFonts);
  WPToolBar1->OnIconSelection = [this](TObject*, TWpSelNr& typ, const AnsiString&, int group, int number, int) {
    IconSelection(typ, group, number);
  };
  pbParProps = OwnToolButton(this, "pbParProps", "Absatz", ppParagraph, [this](TObject*) { pbParPropsClick(); });
  pbSeite = OwnToolButton(this, "pbSeite", "Seite einrichten", ppPage, [this](TObject*) { pbSeiteClick(); });
  WPToolBar1->AddControl(pbParProps);
  WPToolBar1->AddControl(pbSeite);

  WPRuler1 = new TWPRuler(this);
  WPRuler1->SetName("WPRuler1");
  WPRuler1->SetParent(this);
  WPRuler1->SetAlign(alTop);
  WPRuler1->SetHeight(22);
  WPRuler1->SetShowNumbers(false);
  // A press on the ruler enters a stop, or steps the kind of the one there.
  WPRuler1->SetNewTabKind(tkAll);

  WPAltStatusBar1 = new TWPAltStatusBar(this);
  WPAltStatusBar1->SetName("WPAltStatusBar1");
  WPAltStatusBar1->SetParent(this);
  WPAltStatusBar1->SetAlign(alBottom);
  WPAltStatusBar1->SetHeight(22);
  TStringList panels;
  panels.Add("@$90stXPos=Spalte 1");
  panels.Add("@$90stPage=Seite 1");
  panels.Add("@$90stLine=Zeile 1");
  WPAltStatusBar1->SetStrings(&panels);
  WPAltStatusBar1->SetShowSizer(false);
  WPAltStatusBar1->SetShowGauge(false);

  WPRichText1 = new TWPRichText(this);
  WPRichText1->SetName("WPRichText1");
  WPRichText1->SetParent(this);
  WPRichText1->SetAlign(alClient);
  WPRichText1->Font()->SetName("Arial");
  WPRichText1->Font()->SetHeight(-13);
  // Lines as long as the page holds them, scrolled both ways, and broken
  // (lines, cells and pages) where the printer breaks them.
  WPRichText1->SetWordWrap(false);
  WPRichText1->RtfText()->SetViewOptions(WPRichText1->RtfText()->ViewOptions() | wpvPrinterWidths);
  WPRichText1->SetScrollBars(ssBoth);
  WPRichText1->SetWantTabs(true);
  HintTabKeys(WPRichText1);
  WPRichText1->SetWPToolBar(WPToolBar1);
  WPRichText1->SetWPRuler(WPRuler1);
  WPRichText1->SetStatusBar(WPAltStatusBar1);
  WPRichText1->OnXPosChanged = [this](TObject*) { XPosChanged(); };
  WPRichText1->OnYPosChanged = [this](TObject*) { YPosChanged(); };

  OnShow = [this](TObject*) { FormShow(); };
  OnResize = [this](TObject*) { FormResize(); };
  OnHide = [this](TObject*) { WritePosition(); };
  OnKeyDown = [this](TObject*, Word& key, TShiftState shift) { FormKeyDown(key, shift); };
  OnKeyUp = [this](TObject*, Word& key, TShiftState) { FormKeyUp(key); };
}

void TfrmPreview::FormShow() {
  ReadPosition();
  // The tool bar is as high as its rows of buttons at this width.
  int bottom = 0;
  for (int i = 0; i < WPToolBar1->ControlCount(); ++i)
    bottom = std::max(bottom, WPToolBar1->Controls(i)->Top() + WPToolBar1->Controls(i)->Height());
  if (bottom > 0) WPToolBar1->SetHeight(bottom + 3);
  WPRichText1->MoveCursorTo(0);
  WPRichText1->SetTopOffset(0);
  SetPrinterOrientation();
  TabThroughToolBar(WPToolBar1);
  if (WPRichText1->CanFocus()) WPRichText1->SetFocus();
}

void TfrmPreview::FormKeyDown(Word& key, TShiftState shift) {
  // Strg+S saves and Strg+P prints, as the icons do.
  for (auto [letter, button] : {std::pair{'S', WPToolBar1->ButtonOf(wpgFile, wpcmdSave)},
                                std::pair{'P', WPToolBar1->ButtonOf(wpgPrint, wpcmdPrint)}})
    if (button && CtrlKeyPresses(key, shift, letter, button)) return;
}

void TfrmPreview::FormResize() {
  const int top = WPRichText1->TopOffset();
  WPRichText1->ReformatAndRepaint();
  WPRichText1->SetTopOffset(top);
}

void TfrmPreview::FormKeyUp(Word& key) {
  if (key == VK_ESCAPE) {
    key = 0;
    pbExitClick();
  }
}

void TfrmPreview::pbExitClick() { Close(); }

void TfrmPreview::SetPrinterOrientation() {
  const TTextHeader& h = *WPRichText1->Header();
  Printer()->SetOrientation(h.PageWidth > h.PageHeight ? poLandscape : poPortrait);
}

void TfrmPreview::XPosChanged() {
  WPAltStatusBar1->SetPanelText("Spalte " + IntToStr(WPRichText1->RtfText()->CursorOffset + 1), stXPos);
}

void TfrmPreview::YPosChanged() {
  WPAltStatusBar1->SetPanelText("Seite " + IntToStr(WPRichText1->CurrentPage() + 1), stPage);
  // The engine counts the lines of a page from 0; the user from 1.
  WPAltStatusBar1->SetPanelText("Zeile " + IntToStr(WPRichText1->CurrentLineOnPage() + 1), stLine);
}

void TfrmPreview::IconSelection(TWpSelNr& typ, int group, int number) {
  if (group == wpgFile && number == wpcmdExit) {
    typ = 0;
    pbExitClick();
  } else if (group == wpgFile && number == wpcmdSave) {
    typ = 0;
    SaveDocument();
  } else if (group == wpgPrint && number == wpcmdPrint) {
    // Printing asks for the printer first, so that a PDF file gets a name.
    typ = 0;
    PrintDocument();
  }
}

bool TfrmPreview::PrintDocument() {
  TPrintDialog dialog(nullptr);
  if (!dialog.Execute()) return false;
  SetPrinterOrientation();
  // The sheet's paper, for this printout only: other printouts are on A4.
  const TTextHeader& h = *WPRichText1->Header();
  Printer()->SetPaperSize(std::min(h.PageWidth, h.PageHeight), std::max(h.PageWidth, h.PageHeight));
  TScopeExit a4{[] { Printer()->SetPaperSize(0, 0); }};
  THourGlass busy;
  WPRichText1->Print();
  return true;
}

bool TfrmPreview::SaveDocument() {
  TSaveDialog dialog(nullptr);
  dialog.SetFilter("Richtext-Dateien (*.rtf)|*.rtf|Alle Dateien (*.*)|*.*");
  dialog.SetDefaultExt("rtf");
  dialog.SetFileName(WPRichText1->FileName());
  if (!dialog.Execute()) return false;
  WPRichText1->SaveToFile(dialog.FileName());
  WPRichText1->SetModified(false);
  return true;
}

void TfrmPreview::pbParPropsClick() {
  if (EditParagraphs(WPRichText1)) WPRuler1->Invalidate();
}

void TfrmPreview::pbSeiteClick() {
  PageSettings page;
  ReadPageRecord(WPRichText1, page);
  if (!ShowPageSetupDialog(page)) return;
  ApplyPageRecord(WPRichText1, page);
  WPRuler1->Invalidate();
  SetPrinterOrientation();
}

TPoint TfrmPreview::MinimumSize() {
  return {440,
          GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) + WPToolBar1->Height() +
          WPRuler1->Height() + WPAltStatusBar1->Height() + 50};
}

namespace {

ParagraphSettings RecordOf(const TWPParagraphRec& par) {
  ParagraphSettings p;
  p.Hanging = par.FirstIndent;
  p.IndentLeft = par.LeftIndent;
  p.IndentRight = par.RightIndent;
  p.SpaceBefore = par.SpaceBefore;
  p.LineSpacing = par.LineSpacing;
  p.SpaceAfter = par.SpaceAfter;
  return p;
}

}  // namespace

bool EditParagraphs(TWPCustomRtfEdit* edit) {
  TWPRTFTextInput* e = edit->RtfText();
  TWPParagraphRec* first = e->CursorPar ? e->CursorPar : e->FirstPar;
  TWPParagraphRec* last = first;
  ParagraphSettings p = first ? RecordOf(*first) : ParagraphSettings{};
  TWPParagraphRec *p1, *p2;
  TWPLineRec *l1, *l2;
  int o1, o2;
  if (e->HasBlock() && e->GetSelection(p1, l1, o1, p2, l2, o2)) {
    first = p1;
    last = p2;
  }
  if (!ShowParProps(p)) return false;
  // Ok on the values every paragraph concerned has changes nothing.
  bool held = true;
  for (const TWPParagraphRec* par = first; par && held; par = par == last ? nullptr : par->next)
    held = RecordOf(*par) == p;
  if (held) return false;
  edit->SetParagraphSpacing(p.SpaceBefore, p.LineSpacing, p.SpaceAfter);
  edit->SetParagraphIndents(p.Hanging, p.IndentLeft, p.IndentRight);
  return true;
}

void ReadPageRecord(TWPCustomRtfEdit* edit, PageSettings& page) {
  const TTextHeader& h = *edit->Header();
  page.PaperWidth = h.PageWidth;
  page.PaperHeight = h.PageHeight;
  page.MarginTop = h.MarginTop;
  page.MarginBottom = h.MarginBottom;
  page.MarginLeft = h.MarginLeft;
  page.MarginRight = h.MarginRight;
}

void ApplyPageRecord(TWPCustomRtfEdit* edit, const PageSettings& page) {
  edit->SetPageLayout(page.MarginLeft, page.MarginRight, page.MarginTop, page.MarginBottom, page.PaperWidth,
                      page.PaperHeight);
}

void RunPreview(const PageSettings& page, const std::function<void(TfrmPreview*)>& write) {
  TfrmPreview* f = nullptr;
  Application->CreateForm(f);
  try {
    f->WPRichText1->ClearDocument();
    ApplyPageRecord(f->WPRichText1, page);
    if (write) write(f);
  } catch (...) {
    Application->RemoveComponent(f);
    delete f;
    throw;
  }
  ShowModalAndFree(f);
}
