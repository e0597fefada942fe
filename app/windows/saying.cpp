// The saying window (saying.h).
#include "app/windows/saying.h"

#include <algorithm>

#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/text/helpers.h"
#include "calendar/datetexts.h"
#include "calendar/packeddate.h"
#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "resources/pictures.h"

TfrmSpruch* frmSpruch = nullptr;

namespace {

constexpr int kClientBorder = 10;
constexpr int kPicturePanel = kSayingPictureSize + 4;
constexpr int kLeftPanel = kPicturePanel + 16;
constexpr int kSizeBarHeight = 16;
// The printout's distance from the paper's edges, in inches.
constexpr double kPrintMargin = 0.8;

const char* const kImageNames[kSayingCategoryCount] = {"imgHumor",    "imgGesetz", "imgKinder",   "imgStil",
                                                       "imgKatheder", "imgLiebe",  "imgSprichw",  "imgZitat",
                                                       "imgBauer",    "imgBibel",  "imgDichter1", "imgDichter2"};

// The saying's text takes the focus, so that a part of it can be selected
// and copied, but shows no caret: nothing can be typed there.
class TSayingMemo : public TMemo {
 public:
  using TMemo::TMemo;

  void WndProc(TMessage& m) override {
    TMemo::WndProc(m);
    if (m.Msg == WM_SETFOCUS && CaretState().Owner == Handle()) HideCaret(Handle());
  }
};

}  // namespace

AnsiString SayingCaption(int category) {
  switch (category) {
    case 0: return "Spruch des Tages:";
    case 1: return "Murphy's Gesetz zum Tag:";
    case 2: return "Kindermund des Tages:";
    case 3: return CP1252("Stilblüte des Tages:").str();
    case 4: return CP1252("Kathederblüte des Tages:").str();
    case 5: return CP1252("Liebeserklärung des Tages:").str();
    case 6: return "Sprichwort des Tages:";
    case 7: return "Zitat des Tages:";
    case 8: return "Bauernregel des Tages:";
    case 9: return "Bibelspruch des Tages:";
    case 10: return "Goethe zum Tag:";
    case 11: return "Jean Paul zum Tag:";
    default: return "";
  }
}

AnsiString SayingText(int category, const AnsiString& text, const AnsiString& source) {
  AnsiString s = category == 5 ? "Liebe ist... ..." + text : text;
  for (const char* mark : {",", ".", ":", ";", "!", "?", "-"})
    ReplaceSubstring(s, AnsiString(mark) + " ", AnsiString(mark) + "\r\n");
  if (!source.empty()) s += "\r\n\r\n" + source;
  return s;
}

TfrmSpruch::TfrmSpruch(TComponent* owner) : TOrvelanForm(owner) {
  SetFormName("frmSpruch");
  SetCaption(CP1252("Sprüche anzeigen").str());
  SetBounds(0, 0, 560, 300);
  SetWindowLook(this);

  pnlTop = MakeToolPanel(this, this, bvlTop);
  pbHilfe = MakeToolButton(this, pnlTop, "pbHilfe", "Hilfe", bpHelp, [this](TObject*) { ShowHelp(); });
  pbPrint = MakeToolButton(this, pnlTop, "pbPrint", "Drucken", bpPrint, [this](TObject*) { pbPrintClick(); });
  pbCopy = MakeToolButton(this, pnlTop, "pbCopy", "Kopieren", bpCopy, [this](TObject*) { pbCopyClick(); });
  pbPrev = MakeToolButton(this, pnlTop, "pbPrev", "Kategorie", bpPrev, [this](TObject*) { pbPrevClick(); });
  pbNext = MakeToolButton(this, pnlTop, "pbNext", "Kategorie", bpNext, [this](TObject*) { pbNextClick(); });
  pbClose = MakeToolButton(this, pnlTop, "pbClose", CP1252("Schließen").str(), bpClose, [this](TObject*) { Hide(); });
  // Tab reaches every button; Strg+P prints and Strg+C copies, as the hints say.
  for (TExplorerButton* b : {pbHilfe, pbPrint, pbCopy, pbPrev, pbNext, pbClose}) b->SetTabStop(true);
  HintPrintAndCopyKeys(pbPrint, pbCopy);

  SizeBar = MakeSizeBar(this, this, kSizeBarHeight);

  pnlLinks = MakePanel(this, this, "pnlLinks");
  pnlLinks->SetBounds(0, kToolPanelHeight + 2, kLeftPanel, 200);
  pnlLinks->SetAlign(alLeft);
  pnlBild = MakePanel(this, pnlLinks, "pnlBild");
  pnlBild->SetBevelOuter(bvLowered);
  pnlBild->SetBounds((kLeftPanel - kPicturePanel) / 2, 0, kPicturePanel, kPicturePanel);
  imgSpruch = new TImage(this);
  imgSpruch->SetName("imgSpruch");
  imgSpruch->SetParent(pnlBild);
  imgSpruch->SetBounds(2, 2, kSayingPictureSize, kSayingPictureSize);
  for (int c = 0; c < kSayingCategoryCount; ++c) {
    auto* img = new TImage(this);
    img->SetName(kImageNames[c]);
    img->SetParent(pnlLinks);
    img->SetVisible(false);
    img->SetBounds(0, 0, kSayingPictureSize, kSayingPictureSize);
    img->Picture()->SetGraphic(SayingPicture(c).get());
    CategoryImages[c] = img;
  }

  pnlClient = MakePanel(this, this, "pnlClient");
  pnlClient->SetColor(clWhite);
  pnlClient->SetBorderWidth(kClientBorder);
  pnlClient->SetAlign(alClient);
  memoSpruch = new TSayingMemo(this);
  memoSpruch->SetName("memoSpruch");
  memoSpruch->SetParent(pnlClient);
  memoSpruch->SetAlign(alClient);
  memoSpruch->SetReadOnly(true);
  memoSpruch->SetBorderStyle(bsNone);
  memoSpruch->SetAlignment(taCenter);
  memoSpruch->SetWordWrap(true);
  // A long saying in a small window scrolls.
  memoSpruch->SetScrollBars(ssVertical);
  memoSpruch->SetParentFont(false);
  memoSpruch->Font()->SetName("Arial");
  memoSpruch->Font()->SetHeight(-19);

  PrintDialog = new TPrintDialog(this);
  PrintDialog->SetName("PrintDialog");

  tblSpru = new TwwTable(this);
  tblSpru->SetName("tblSpru");
  tblSpru->SetDatabaseName("Orvelan");
  tblSpru->SetReadOnly(true);
  tblSpru->SetTableName("SPRUCH.FFD");
  tblSpru->SetIndexFieldNames("SPRU_TYP;SPRU_TAG");
  tblSpru->AfterOpen = [](TDataSet* d) { FixStringFields(d); };

  SetFormKey("SPRUCH DES TAGES");
  SetHelpContext(15);
  pbHilfe->SetLeft(4);
  pbPrint->SetLeft(pbHilfe->Left() + pbHilfe->Width() + 1);
  pbCopy->SetLeft(pbPrint->Left() + pbPrint->Width() + 1);
  category_ = std::clamp(SayingType, 0, kSayingCategoryCount - 1);
  OpenTableOrExplain(tblSpru);
  FormResize();

  OnShow = [this](TObject*) { FormShow(); };
  OnHide = [this](TObject*) { WritePosition(); };
  OnResize = [this](TObject*) { FormResize(); };
  OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
    if (CtrlKeyPresses(key, shift, 'P', pbPrint) || ScrollKey(key)) return;
    // A part of the saying selected is the text's own to copy.
    if (ActiveControl() != memoSpruch || memoSpruch->SelLength() == 0) CtrlKeyPresses(key, shift, 'C', pbCopy);
  };
  OnKeyUp = [this](TObject*, Word& key, TShiftState) {
    // Escape closes the window as "Schließen" does; the main window's
    // Escape, passed on, does not.
    if (key == VK_ESCAPE) {
      key = 0;
      Hide();
    } else {
      FormKeyUp(key);
    }
  };
  OnDestroy = [this](TObject*) { FormDestroy(); };
  if (!frmSpruch) frmSpruch = this;
}

void TfrmSpruch::Dispatch(TMessage& m) {
  if (ArrowOnToolButton(this, m)) return;  // the arrows are the categories' keys
  TOrvelanForm::Dispatch(m);
}

TfrmSpruch::~TfrmSpruch() {
  // Freed by its owner, the window ran its destruction handler already;
  // deleted directly, it runs it now, while its table exists.
  BeforeDestruction();
  if (frmSpruch == this) frmSpruch = nullptr;
}

void TfrmSpruch::FormDestroy() {
  // The window lives for the whole run: one still shown at the end keeps
  // its place for the next start as a hidden one does. A settings file that
  // cannot be written has been reported by the end already.
  try {
    if (Visible()) WritePosition();
  } catch (const EIniFileException&) {
  }
  tblSpru->Close();
}

void TfrmSpruch::SetCategory(int category) { category_ = std::clamp(category, 0, kSayingCategoryCount - 1); }

void TfrmSpruch::FormShow() {
  ReadPosition();
  LoadSpruch();
  // The saying has the focus, though the tool buttons come before it in
  // the Tab order.
  if (memoSpruch->CanFocus()) SetActiveControl(memoSpruch);
}

void TfrmSpruch::FormResize() {
  const int w = pnlTop->Width();
  pbClose->SetLeft(w - pbClose->Width() - 4);
  pbPrev->SetLeft(pbCopy->Left() + pbCopy->Width() + (w - 4 * pbClose->Width() - 11) / 2 - pbPrev->Width());
  pbNext->SetLeft(pbPrev->Left() + pbPrev->Width() + 1);
  pnlBild->SetTop((pnlLinks->Height() - pnlBild->Height()) / 2);
}

void TfrmSpruch::LoadSpruch() {
  memoSpruch->Clear();
  if (!tblSpru->Active()) return;
  // A saying in a damaged block is left out; its file is named once, at
  // once, since no page may follow.
  if (!FindReadableKey(tblSpru, {category_, DayOfYear(CurrentDateKey)})) {
    const AnsiString damaged = TakeFileFailureMessage();
    if (!damaged.empty()) Application->MessageBox(damaged, "Orvelan", MB_OK | MB_ICONWARNING);
    return;
  }
  const AnsiString text = tblSpru->FieldByName("SPRU_TEXT")->AsString();
  const AnsiString source = tblSpru->FieldByName("SPRU_QUELLE")->AsString();
  SetCaption(SayingCaption(category_));
  imgSpruch->Picture()->Assign(CategoryImages[category_]->Picture());
  memoSpruch->SetText(SayingText(category_, text, source));
}

void LoadSpruch(TfrmSpruch* window) {
  if (window) window->LoadSpruch();
}

void TfrmSpruch::pbNextClick() {
  category_ = category_ == kSayingCategoryCount - 1 ? 0 : category_ + 1;
  LoadSpruch();
}

void TfrmSpruch::pbPrevClick() {
  category_ = category_ == 0 ? kSayingCategoryCount - 1 : category_ - 1;
  LoadSpruch();
}

bool TfrmSpruch::ScrollKey(Word& key) {
  // The saying shows no caret: its keys move the view, wherever the focus is.
  int command = -1;
  switch (key) {
    case VK_UP: command = SB_LINEUP; break;
    case VK_DOWN: command = SB_LINEDOWN; break;
    case VK_PRIOR: command = SB_PAGEUP; break;
    case VK_NEXT: command = SB_PAGEDOWN; break;
    case VK_HOME: command = SB_TOP; break;
    case VK_END: command = SB_BOTTOM; break;
    default: return false;
  }
  memoSpruch->Perform(WM_VSCROLL, static_cast<WPARAM>(command), 0);
  key = 0;
  return true;
}

void TfrmSpruch::FormKeyUp(Word& key) {
  if (key == VK_LEFT) {
    pbPrevClick();
  } else if (key == VK_RIGHT) {
    pbNextClick();
  } else if (key >= '1' && key <= '9') {
    category_ = key - '1';
    LoadSpruch();
  } else if (key == '0') {
    category_ = 9;
    LoadSpruch();
  } else if (key == 219 || key == 221) {
    category_ = key == 219 ? 10 : 11;
    LoadSpruch();
  }
}

void TfrmSpruch::pbCopyClick() {
  {
    THourGlass busy;
    memoSpruch->SelectAll();
    memoSpruch->CopyToClipboard();
    memoSpruch->SetSelStart(0);
    memoSpruch->SetSelLength(0);
  }
  Application->MessageBox("Der Spruch befindet sich jetzt in der Zwischenablage", Application->Title(),
                          MB_OK | MB_ICONINFORMATION);
}

void TfrmSpruch::pbPrintClick() {
  if (!PrintDialog->Execute()) return;
  THourGlass busy;
  TPrinter* p = Printer();
  p->BeginDoc();
  try {
    TCanvas* c = p->Canvas();
    c->Font()->Assign(*memoSpruch->Font());
    const int left = static_cast<int>(kPrintMargin * c->GetDeviceCaps(LOGPIXELSX));
    const int top = static_cast<int>(kPrintMargin * c->GetDeviceCaps(LOGPIXELSY));
    const int lineHeight = c->TextHeight("W");
    int y = top;
    // The memo's lines, each broken between the paper's margins as the memo
    // breaks it on the screen.
    const auto charWidth = [c](char ch, int) { return c->TextWidth(AnsiString(1, ch)); };
    for (int i = 0; i < memoSpruch->Lines()->Count(); ++i) {
      const AnsiString line = memoSpruch->Lines()->Strings(i);
      for (const auto& [from, length] :
           WrapAtBlanks(line, 0, static_cast<int>(line.size()), p->PageWidth() - 2 * left, charWidth)) {
        if (y + lineHeight > p->PageHeight() - top) {
          p->NewPage();
          y = top;
        }
        c->TextOut(left, y, line.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(length)));
        y += lineHeight;
      }
    }
  } catch (...) {
    p->Abort();
    throw;
  }
  p->EndDoc();
}

TPoint TfrmSpruch::MinimumSize() {
  return {2 * GetSystemMetrics(SM_CXFRAME) + 8 + 6 * pbPrint->Width() + 5,
          GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) + pnlTop->Height() +
          bvlTop->Height() + pnlBild->Height() + 2 * pnlClient->PanelBorderWidth() + SizeBar->Height()};
}
