// The complete editor: construction and the links to the bars, the set-mode
// object, the language and messages, the tool bar's commands, Tab key
// indenting, tabs and indents from the ruler, the external scroll bars and
// the status bar. Files, printing and the find and replace dialogs are in
// richfiles.cpp.
#include "richtext/controls/richtext.h"

#include <algorithm>
#include <utility>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "richtext/model/progress.h"

// --- language and messages -------------------------------------------------------------------

namespace {

TWPToolLanguage gLanguage = twpEnglish;

struct MessagePair {
  const char* English;
  const char* German;
};

// Index 1..13; the German texts are Windows-1252.
const MessagePair& MessageOf(int index) {
  static const std::string kDelete = CP1252("Tabulatoren löschen").str();
  static const MessagePair kMessages[13] = {
      {"RTF files|*.RTF|HTML files|*.HTM|TXT files|*.TXT|all files (*.*)|*.*",
       "Formatierte Texte|*.RTF|HTML Dateien|*.HTM|Textdateien|*.TXT|alle Dateien (*.*)|*.*"},
      {"Do you want to abort operation?", "Soll Operation abgebrochen werden?"},
      {"Ready", "Bereit"},
      {"reading ...", "beim lesen..."},
      {"writing ...", "beim schreiben"},
      {"formatting ...", "beim formatieren"},
      {"formatting ...", "beim formatieren"},
      {"initialize memory", "initialisiere speicher..."},
      {"no text selected", "keine Auswahl markiert"},
      {"RICH", "FMT"},
      {"PLAIN", "NORM"},
      {"Internal Error", "Interner Fehler"},
      {"Delete all tabstops?", kDelete.c_str()},
  };
  return kMessages[index - 1];
}

}  // namespace

AnsiString WPLoadStr(int id) {
  int index = id - 56000;
  bool german = false;
  if (index > 100) {
    index -= 100;
    german = true;
  }
  if (index < 1 || index > 13) return {};
  const MessagePair& m = MessageOf(index);
  return german ? m.German : m.English;
}

AnsiString WPMessage(int index) { return WPLoadStr(56000 + (gLanguage == twpGerman ? 100 : 0) + index); }
TWPToolLanguage WPLanguage() { return gLanguage; }
char WPDecimalSeparator() { return gLanguage == twpGerman ? ',' : '.'; }

TWPToolLanguage TWPCustomRichText::Language() const { return gLanguage; }

void TWPCustomRichText::SetLanguage(TWPToolLanguage language) {
  gLanguage = language;
  // Decimal tabs of every text cleared from now on align on the separator.
  WPDecimalTabChar = WPDecimalSeparator();
  Header()->DecimalChar = WPDecimalTabChar;
}

// --- the set-mode object ----------------------------------------------------------------------

namespace {

// Style bits of the writing attribute and the character icons they press.
struct StyleButton {
  uint32_t Bit;
  int Number;
};
constexpr StyleButton kStyleButtons[] = {{wpsBold, 2},        {wpsItalic, 3},      {wpsUnderline, 4},
                                         {wpsHyperlink, 5},   {wpsStrikeOut, 6},   {wpsSuperScript, 7},
                                         {wpsSubScript, 8},   {wpsRtfCode, 19}};
constexpr uint32_t kCharacterStyles =
    wpsBold | wpsItalic | wpsUnderline | wpsHyperlink | wpsStrikeOut | wpsSuperScript | wpsSubScript | wpsHidden | wpsRtfCode;

}  // namespace

TWPRichTextSetMode::TWPRichTextSetMode(TWPCustomRichText* control) : control_(control) {}

void TWPRichTextSetMode::PositionChanged() { ParagraphState(); }
void TWPRichTextSetMode::AttributeChanged() { CharacterState(); }
void TWPRichTextSetMode::SelectionChanged() { CharacterState(); }
void TWPRichTextSetMode::TextFormatted() {
  ParagraphState();
  RulerPosition();
}
void TWPRichTextSetMode::TextScrolled() { RulerPosition(); }

void TWPRichTextSetMode::ParagraphState() {
  TWPRTFTextInput* e = Engine();
  if (!e || !control_ || control_->destroyingLinks_) return;
  const TWPParagraphRec* p = e->CursorPar;
  if (!p) return;
  TTextHeader& h = *e->Header;
  TWPCustomRuler* ruler = control_->WPRuler();
  const bool ours = ruler && ruler->AttachedControl() == control_;
  if (p->FirstIndent != h.RulerFirstIndent || p->LeftIndent != h.RulerLeftIndent ||
      p->RightIndent != h.RulerRightIndent || (p->Flags & wppTableCell)) {
    h.RulerFirstIndent = p->FirstIndent;
    h.RulerLeftIndent = p->LeftIndent;
    h.RulerRightIndent = p->RightIndent;
    if (ours) ruler->Invalidate();
  }
  TWPCustomToolCtrl* bar = control_->WPToolBar();
  if (bar && bar->Editor() == control_ && !bar->Busy())
    bar->ShowParagraphAlignment(SetModeNumberOfAlignment(static_cast<TWPAlignment>(p->Align & 3)));
  if (ours) ruler->SetParagraphTabs(p->Tabs);
}

void TWPRichTextSetMode::CharacterState() {
  TWPRTFTextInput* e = Engine();
  if (!e || !control_ || control_->destroyingLinks_) return;
  TWPCustomToolCtrl* bar = control_->WPToolBar();
  if (!bar || bar->Editor() != control_ || bar->Busy()) return;
  const uint32_t style = Style();
  const bool selection = e->HasBlock();
  for (const StyleButton& b : kStyleButtons) bar->SetButtonDown(wpgCharacter, b.Number, style & b.Bit);
  bar->SetButtonDown(wpgCharacter, 9, selection && (style & wpsHidden));
  bar->SetButtonDown(wpgCharacter, 1, !(style & kCharacterStyles) && !selection);
  bar->ShowComboValue(wpcbFontName, FontName());
  // Size 0 is the default of ten points.
  bar->ShowComboValue(wpcbFontSize, IntToStr(FontSize() > 0 ? FontSize() : 10));
  bar->ShowComboValue(wpcbFontColor, IntToStr(TextColorNumber()));
  bar->ShowComboValue(wpcbBackgroundColor, IntToStr(BackgroundColorNumber()));
}

void TWPRichTextSetMode::RulerPosition() {
  TWPRTFTextInput* e = Engine();
  if (!e || !control_ || control_->destroyingLinks_) return;
  TWPCustomRuler* ruler = control_->WPRuler();
  if (!ruler || ruler->AttachedControl() != control_) return;
  // The ruler's 0 stands above the text's left edge wherever the two sit.
  if (control_->Parent() && ruler->Parent())
    ruler->SetLeftOffset(control_->ClientToScreen({e->PaintOriginX, 0}).X - ruler->ClientToScreen({0, 0}).X);
  ruler->SetXOffset(e->HorzOffset);
}

// --- construction and links ---------------------------------------------------------------

TWPCustomRichText::TWPCustomRichText(TComponent* owner)
    : TWPCustomRtfEdit(owner), setMode_(std::make_unique<TWPRichTextSetMode>(this)) {
  if (!HasState(csDesigning)) {
    setMode_->SetEngine(RtfText());
    RtfText()->AttrListener = setMode_.get();
    RtfText()->UpdateObject = setMode_.get();
  }
  FontNumber("Arial");
  SetInserting(true);
}

TWPCustomRichText::~TWPCustomRichText() {
  DetachLinks();
  destroyingLinks_ = true;
  RtfText()->AttrListener = nullptr;
  RtfText()->UpdateObject = nullptr;
  setMode_.reset();
  if (externVer_) externVer_->OnScroll = nullptr;
  if (externHor_) externHor_->OnScroll = nullptr;
}

void TWPCustomRichText::Notification(TComponent* c, TOperation op) {
  TWPCustomRtfEdit::Notification(c, op);
  if (op != opRemove || !c) return;
  // The removed bar may be half destroyed: it is only compared, never asked.
  if (c == toolBar_) toolBar_ = nullptr;
  if (c == statusLabel_) statusLabel_ = nullptr;
  if (c == ruler_) ruler_ = nullptr;
  if (c == externVer_) externVer_ = nullptr;
  if (c == externHor_) externHor_ = nullptr;
  if (c == statusBar_) statusBar_ = nullptr;
}

void TWPCustomRichText::SetStatusBar(TWPCustomStatusBar* bar) {
  if (bar == statusBar_) return;
  if (statusBar_) {
    if (statusBar_->AttachedControl() == this) statusBar_->AttachControl(nullptr);
    statusBar_->RemoveFreeNotification(this);
  }
  statusBar_ = bar;
  if (!bar) return;
  bar->FreeNotification(this);
  if (!bar->AttachedControl() || Focused()) bar->AttachControl(this);
  ShowFileName();
}

void TWPCustomRichText::SetWPToolBar(TWPCustomToolCtrl* bar) {
  if (bar == toolBar_) return;
  if (toolBar_) {
    toolBar_->DetachEditor(this);
    toolBar_->RemoveFreeNotification(this);
  }
  toolBar_ = bar;
  if (!bar) return;
  bar->FreeNotification(this);
  if (!bar->Editor() || Focused()) {
    bar->AttachEditor(this);
    setMode_->CharacterState();
    setMode_->ParagraphState();
    ReportEditState();
  }
}

void TWPCustomRichText::SetWPRuler(TWPCustomRuler* ruler) {
  if (ruler == ruler_) return;
  if (ruler_) {
    if (ruler_->AttachedControl() == this) ruler_->AttachText(nullptr);
    ruler_->RemoveFreeNotification(this);
  }
  ruler_ = ruler;
  if (!ruler) return;
  ruler->FreeNotification(this);
  if (!ruler->AttachedControl() || Focused()) {
    ruler->AttachText(this);
    setMode_->ParagraphState();
    setMode_->RulerPosition();
  }
}

void TWPCustomRichText::SetStatusLabel(TLabel* label) {
  if (label == statusLabel_) return;
  if (statusLabel_) statusLabel_->RemoveFreeNotification(this);
  statusLabel_ = label;
  if (label) label->FreeNotification(this);
}

void TWPCustomRichText::SetExternVerScrollBar(TScrollBar* bar) {
  if (bar == externVer_) return;
  if (externVer_) {
    externVer_->OnScroll = nullptr;
    externVer_->RemoveFreeNotification(this);
  }
  externVer_ = bar;
  if (!bar) return;
  bar->FreeNotification(this);
  bar->SetParams(0, 0, 1000);
  bar->OnScroll = [this](TObject*, TScrollCode code, int& pos) { ExternScroll(true, code, pos); };
  UpdateVScroll();
}

void TWPCustomRichText::SetExternHorScrollBar(TScrollBar* bar) {
  if (bar == externHor_) return;
  if (externHor_) {
    externHor_->OnScroll = nullptr;
    externHor_->RemoveFreeNotification(this);
  }
  externHor_ = bar;
  if (!bar) return;
  bar->FreeNotification(this);
  bar->SetParams(0, 0, 1000);
  bar->OnScroll = [this](TObject*, TScrollCode code, int& pos) { ExternScroll(false, code, pos); };
  UpdateHScroll();
}

void TWPCustomRichText::DetachLinks() {
  if (ruler_ && ruler_->AttachedControl() == this) ruler_->AttachText(nullptr);
  if (statusBar_ && statusBar_->AttachedControl() == this) statusBar_->AttachControl(nullptr);
  if (toolBar_) toolBar_->DetachEditor(this);
  ReleaseDialogs(this);
}

void TWPCustomRichText::AttachLinks() {
  if (ruler_) {
    ruler_->AttachText(this);
    setMode_->ParagraphState();
    setMode_->RulerPosition();
  }
  if (statusBar_) statusBar_->AttachControl(this);
  if (toolBar_) {
    toolBar_->AttachEditor(this);
    setMode_->CharacterState();
    setMode_->ParagraphState();
  }
  RouteDialogs(this, true);
}

void TWPCustomRichText::Dispatch(TMessage& m) {
  TWPCustomRtfEdit::Dispatch(m);
  if (m.Msg == WM_SETFOCUS && !HasState(csDesigning) && !IsDestroying()) AttachLinks();
}

void TWPCustomRichText::RepaintRuler() {
  if (ruler_ && ruler_->AttachedControl() == this) ruler_->Invalidate();
}

// --- finder, clearing and the status ------------------------------------------------------------

TWPTextFinder* TWPCustomRichText::Finder() {
  TWPTextFinder* f = TextFinder();
  f->SetText(RtfText());
  return f;
}

void TWPCustomRichText::ClearDocument() {
  ClearText();
  fileName_.clear();
  if (statusBar_) statusBar_->SetPanelText("", stFileName);
}

void TWPCustomRichText::ShowStatusText(const AnsiString& text) {
  const AnsiString shown = text.empty() ? WPMessage(3) : text;
  if (statusLabel_) {
    statusLabel_->SetCaption(shown);
    statusLabel_->Refresh();
  }
  if (statusBar_) statusBar_->SetPanelText(shown, stStatus);
}

void TWPCustomRichText::ShowFileName() {
  if (statusBar_) statusBar_->SetPanelText(fileName_.empty() ? templateName_ : ShownFileName(fileName_), stFileName);
}

void TWPCustomRichText::RefreshStatus() {
  if (!statusBar_) return;
  statusBar_->SetPanelText(WPMessage(MemoryFormat() == fmPlainText ? 11 : 10), stTxtFmt);
  statusBar_->SetPanelText(WPMessage(3), stStatus);
  ShowFileName();
}

// --- tool bar commands ---------------------------------------------------------------------------

bool TWPCustomRichText::ToolBarCommand(int group, int number) {
  switch (group) {
    case wpgFile:
      switch (number) {
        case wpcmdOpen: Open(); return true;
        case wpcmdSave: SaveAs(); return true;
        case wpcmdClose:
          // Cleared only when the text was written: a cancelled dialog or a
          // failed write keeps it.
          if (Save() && !keepFileName_) ClearDocument();
          return true;
        default: return false;
      }
    case wpgPrint:
      if (number == wpcmdPrint) {
        Print();
        return true;
      }
      if (number == wpcmdPrintSetup) {
        PrinterSetup();
        return true;
      }
      return false;
    case wpgParagraph: {
      TWPAlignment align;
      if (!AlignmentOfToolBarNumber(number, align)) return false;
      ApplyParagraphStyle(SetModeNumberOfAlignment(align));
      return true;
    }
    case wpgEdit:
      switch (number) {
        case wpcmdCopy: CopyToClipboard(); return true;
        case wpcmdCut: CutToClipboard(); return true;
        case wpcmdPaste: PasteFromClipboard(); return true;
        case wpcmdSelectAll: SelectAll(); ReportEditState(); return true;
        case wpcmdHideSelection: HideSelection(); ReportEditState(); return true;
        case wpcmdFind: Find(); return true;
        case wpcmdReplace: Replace(); return true;
        case wpcmdSpellCheck:
          if (!StartSpellCheck) return false;
          StartSpellCheck(this);
          return true;
        default: return false;
      }
    default: return false;
  }
}

void TWPCustomRichText::ToolBarAttrCommand(uint32_t mask, const TWPAttrRecord& source) {
  if (ReadOnly() || !ChangeCheck()) return;
  AttachCanvas();
  RtfText()->SetWritingAttr(mask, source);
  RtfText()->UpdateCaret();
  Change();
  setMode_->CharacterState();
}

void TWPCustomRichText::ApplyParagraphStyle(int setModeNumber) {
  TWPAlignment align;
  if (!AlignmentOfSetModeNumber(setModeNumber, align)) return;
  if (ReadOnly() || !ChangeCheck()) return;
  AttachCanvas();
  RtfText()->SetParagraphAlignment(align);
  RtfText()->ScrollToCursor();
  Change();
  setMode_->ParagraphState();
}

void TWPCustomRichText::ApplyParagraphColor(int colorNumber) {
  if (colorNumber < 0 || colorNumber > 15 || ReadOnly() || !ChangeCheck()) return;
  AttachCanvas();
  // A solid shading in the colour; colour 0 (no shading byte) removes it.
  RtfText()->SetParagraphShading(static_cast<uint8_t>(colorNumber), colorNumber ? 100 : 0);
  Change();
}

void TWPCustomRichText::DoEditState(bool clipboardNotEmpty) {
  TWPCustomRtfEdit::DoEditState(clipboardNotEmpty);
  if (!toolBar_ || toolBar_->Editor() != this) return;
  TWPRTFTextInput* e = RtfText();
  const bool block = e->HasBlock();
  const bool editable = !ReadOnly() && Editable();
  toolBar_->SetButtonEnabled(wpgEdit, wpcmdCopy, block);
  toolBar_->SetButtonEnabled(wpgEdit, wpcmdCut, block && editable);
  toolBar_->SetButtonEnabled(wpgEdit, wpcmdPaste, clipboardNotEmpty && editable);
  // Select all shows pressed exactly while everything is selected.
  bool all = false;
  TWPParagraphRec *p1, *p2;
  TWPLineRec *l1, *l2;
  int o1, o2;
  if (block && e->GetSelection(p1, l1, o1, p2, l2, o2) && e->FirstPar) {
    TWPParagraphRec* last = e->FirstPar;
    while (last->next) last = last->next;
    TWPLineRec* lastLine = last->line;
    while (lastLine->next) lastLine = lastLine->next;
    all = p1 == e->FirstPar && l1 == e->FirstPar->line && o1 == 0 && p2 == last && l2 == lastLine &&
          o2 >= lastLine->Length;
  }
  toolBar_->SetButtonDown(wpgEdit, wpcmdSelectAll, all);
}

// --- word wrap, zoom and page layout ---------------------------------------------------------------

void TWPCustomRichText::SetWordWrap(bool v) {
  TWPCustomRtfEdit::SetWordWrap(v);
  RepaintRuler();
}

void TWPCustomRichText::SetZooming(int percent) {
  TWPCustomRtfEdit::SetZooming(percent);
  if (ruler_ && ruler_->AttachedControl() == this) {
    // The ruler measures with the header's resolution, which the zoom changed.
    ruler_->AttachText(nullptr);
    ruler_->AttachText(this);
    setMode_->ParagraphState();
  }
}

void TWPCustomRichText::SetResizing(int percent) {
  TWPCustomRtfEdit::SetResizing(percent);
  if (ruler_ && ruler_->AttachedControl() == this) {
    ruler_->AttachText(nullptr);
    ruler_->AttachText(this);
    setMode_->ParagraphState();
  }
}

void TWPCustomRichText::SetPageLayout(int32_t marginLeft, int32_t marginRight, int32_t marginTop,
                                      int32_t marginBottom, int32_t pageWidth, int32_t pageHeight) {
  TWPCustomRtfEdit::SetPageLayout(marginLeft, marginRight, marginTop, marginBottom, pageWidth, pageHeight);
  RepaintRuler();
  Invalidate();
}

// --- external scroll bars ----------------------------------------------------------------------------

namespace {

// Position 0..1000 of an offset in the room the text leaves; no room
// (a text that fits) is position 0.
int BarPosition(int64_t offset, int64_t extent, int64_t visible) {
  const int64_t room = extent - visible;
  if (room <= 0 || offset <= 0) return 0;
  return static_cast<int>(std::min<int64_t>(1000, offset * 1000 / room));
}

}  // namespace

void TWPCustomRichText::UpdateHScroll() {
  TWPCustomRtfEdit::UpdateHScroll();
  if (!externHor_ || IsDestroying()) return;
  const TWPRTFTextInput* e = RtfText();
  externHor_->SetPosition(BarPosition(-e->HorzOffset, Header()->LayoutWidth, e->WindowWidth()));
}

void TWPCustomRichText::UpdateVScroll() {
  TWPCustomRtfEdit::UpdateVScroll();
  if (!externVer_ || IsDestroying()) return;
  const TWPRTFTextInput* e = RtfText();
  externVer_->SetPosition(BarPosition(e->TopOffset, e->TotalHeight, e->VisibleHeight));
}

void TWPCustomRichText::ExternScroll(bool vertical, TScrollCode code, int& pos) {
  if (code == scEndScroll) return;
  AttachCanvas();
  TWPRTFTextInput* e = RtfText();
  const int64_t extent = vertical ? e->TotalHeight : Header()->LayoutWidth;
  const int64_t visible = vertical ? e->VisibleHeight : e->WindowWidth();
  const int64_t room = std::max<int64_t>(0, extent - visible);
  const int pixels = static_cast<int>(room * std::clamp(pos, 0, 1000) / 1000);
  // The bar's codes are the engine's scroll codes.
  if (vertical) e->VScrollCommand(static_cast<int>(code), pixels);
  else e->HScrollCommand(static_cast<int>(code), pixels);
}

// --- Tab key, tabs and indents from the ruler ---------------------------------------------------------

void TWPCustomRichText::TabKeyIndent(bool shift, char& key) {
  if (key != '\t' || !Focused()) return;
  TWPRTFTextInput* e = RtfText();
  // Indenting works on whole paragraphs: the selected ones when the
  // selection spans paragraphs, else the cursor's when the cursor stands at
  // its start. Elsewhere Tab types a tab character for the tab stops.
  TWPParagraphRec *first = nullptr, *last = nullptr;
  const auto indented = [&] {
    TWPParagraphRec* cur = e->CursorPar;
    if (!cur || (shift && (cur->Flags & wppTableCell))) return false;
    first = last = cur;
    TWPParagraphRec *p1, *p2;
    TWPLineRec *l1, *l2;
    int o1, o2;
    if (e->HasBlock() && e->GetSelection(p1, l1, o1, p2, l2, o2) && p1 && p2 && p1 != p2) {
      first = p1;
      last = p2;
      return true;
    }
    return !e->HasBlock() && e->CursorLine == cur->line && e->CursorOffset == 0;
  };
  if (!indented()) return;
  key = 0;
  // The change check may load the text again (a record going into edit):
  // the paragraphs are those of the text it leaves, at the same places.
  if (!ChangeCheck() || !indented()) return;
  const int32_t step = shift ? -kWPTabIndentStep : kWPTabIndentStep;
  for (TWPParagraphRec* p = first; p; p = p->next) {
    const int32_t left = std::max<int32_t>(0, p->LeftIndent + step);
    const int32_t moved = left - p->LeftIndent;
    p->LeftIndent = left;
    p->FirstIndent = std::max<int32_t>(0, p->FirstIndent + moved);
    p->ChangeFlags |= wpcBreak;
    if (p == last) break;
  }
  ReformatAndRepaint();
  Change();
  Invalidate();
  setMode_->ParagraphState();
}

void TWPCustomRichText::ApplyRulerTabs(TWPTabSet tabs, bool remove) {
  if (!Focused()) TakeFocus();
  if (!Focused() || ReadOnly() || !ChangeCheck()) return;
  AttachCanvas();
  RtfText()->SetParagraphTabs(remove, tabs);
  RtfText()->ScrollToCursor();
  Change();
  setMode_->ParagraphState();
}

void TWPCustomRichText::RulerIndentsChanged(bool finished) {
  if (ReadOnly() || !ChangeCheck()) {
    // Refused: the ruler shows the paragraph's values again.
    if (finished) {
      TTextHeader& h = *Header();
      h.RulerFirstIndent = h.RulerLeftIndent = h.RulerRightIndent = -1;
      setMode_->ParagraphState();
    }
    return;
  }
  AttachCanvas();
  const TTextHeader& h = *Header();
  RtfText()->SetParagraphIndents(h.RulerFirstIndent, h.RulerLeftIndent, h.RulerRightIndent);
  RtfText()->ScrollToCursor();
  Change();
}
