// The programmatic interface of the edit control: cursor and positions,
// building text from styled runs and paragraphs, inserting text and
// pictures, appending and linking other texts, paragraph formatting, tab
// stops, page layout, re-layout and printing. Every operation that changes
// text or formatting runs the change check first and fires Change after it;
// appending runs and paragraphs only builds (the caller lays out once, with
// ReformatAndRepaint, when the page is complete).
#include <algorithm>
#include <climits>

#include "platform/gfx/printer.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "richtext/controls/rtfedit.h"
#include "richtext/io/objects.h"

namespace {

// Largest count of characters a selection or a text count spans.
constexpr int kSelectAllLength = 268435455;
constexpr int kTextLengthLimit = 268369920;

// A picture as the text's own picture object: bitmaps as device-independent
// bitmaps (the file format without its 14-byte header), metafiles as they
// are (without a placeable header), other graphics drawn into a bitmap.
std::unique_ptr<TWPPictureObject> PictureObjectOf(const TGraphic& g) {
  auto pic = std::make_unique<TWPPictureObject>();
  pic->PixWidth = g.Width();
  pic->PixHeight = g.Height();
  pic->GoalWidth = MulDiv(g.Width(), 1440, 96);
  pic->GoalHeight = MulDiv(g.Height(), 1440, 96);
  if (const auto* wmf = dynamic_cast<const TMetafile*>(&g)) {
    const std::vector<uint8_t> bytes = wmf->SaveToBytes();
    const bool placeable = bytes.size() > 22 && bytes[0] == 0xD7 && bytes[1] == 0xCD && bytes[2] == 0xC6 &&
                           bytes[3] == 0x9A;
    pic->Kind = pkMetafile;
    pic->Data.assign(bytes.begin() + (placeable ? 22 : 0), bytes.end());
    return pic;
  }
  TBitmap copy;
  if (const auto* bmp = dynamic_cast<const TBitmap*>(&g)) {
    copy.Assign(*bmp);
  } else {
    copy.SetSize(std::max(1, g.Width()), std::max(1, g.Height()));
    copy.Canvas()->Brush()->SetColor(clWhite);
    copy.Canvas()->FillRect({0, 0, copy.Width(), copy.Height()});
    copy.Canvas()->StretchDraw({0, 0, copy.Width(), copy.Height()}, const_cast<TGraphic&>(g));
  }
  const std::vector<uint8_t> file = copy.SaveToBytes();
  if (file.size() <= 14) return nullptr;
  pic->Kind = pkDIB;
  pic->Data.assign(file.begin() + 14, file.end());
  return pic;
}

}  // namespace

// --- cursor and positions --------------------------------------------------------------

void TWPCustomRtfEdit::PlaceCursor(int position, int lineNumber, int, int) {
  AttachCanvas();
  engine_->MoveCursorToPosition(position, lineNumber);
  engine_->ScrollToCursor();
  engine_->Extending = false;
  engine_->BlockActive = false;
}

void TWPCustomRtfEdit::GetCursorPlace(int& position, int& lineNumber, int& a3, int& a4) {
  engine_->CursorCharPosition(position, lineNumber);
  a3 = a4 = 0;
}

void TWPCustomRtfEdit::MoveCursorTo(int position) {
  AttachCanvas();
  engine_->MoveCursorToPosition(std::max(position, 0), 0);
  engine_->ScrollToCursor();
}

int TWPCustomRtfEdit::CursorPosition() const {
  int position = 0, lineNumber = 0, parNumber = 0;
  if (!engine_->CursorPar || !engine_->CursorLine) return 0;
  engine_->PositionOf(engine_->CursorPar, engine_->CursorLine, std::max(engine_->CursorOffset, 0), position,
                      lineNumber, parNumber);
  return position;
}

bool TWPCustomRtfEdit::CursorNext() {
  TWPRTFTextInput& e = *engine_;
  if (!e.CursorPar || !e.CursorLine) return false;
  for (;;) {
    e.CursorPar->ChangeFlags |= wpcBreak | wpcMeasure;
    TWPLineRec* l = e.CursorLine;
    if (e.CursorOffset + 1 < l->Length) {
      ++e.CursorOffset;
      return true;
    }
    if (l->next) {
      // The next line's first character (or past an empty line).
      e.CursorLine = l->next;
      e.CursorOffset = -1;
      continue;
    }
    if (e.CursorOffset < l->Length) {
      e.CursorOffset = l->Length;  // the paragraph's end
      return true;
    }
    if (e.CursorPar->next) {
      e.CursorPar = e.CursorPar->next;
      e.CursorLine = e.CursorPar->line;
      e.CursorOffset = 0;
      return true;
    }
    if (e.CursorOffset < 0) e.CursorOffset = 0;
    return false;
  }
}

bool TWPCustomRtfEdit::CursorPrev() {
  TWPRTFTextInput& e = *engine_;
  if (!e.CursorPar || !e.CursorLine) return false;
  TWPParagraphRec* const startPar = e.CursorPar;
  TWPLineRec* const startLine = e.CursorLine;
  const int startOffset = e.CursorOffset;
  for (;;) {
    e.CursorPar->ChangeFlags |= wpcBreak | wpcMeasure;
    TWPLineRec* l = e.CursorLine;
    if (e.CursorOffset > 0) {
      e.CursorOffset = std::min<int>(e.CursorOffset, l->Length + 1) - 1;
      return true;
    }
    if (l->prev) {
      // The end of the previous line is this line's start: the next pass
      // lands on its last character.
      e.CursorLine = l->prev;
      e.CursorOffset = l->prev->Length;
      continue;
    }
    if (e.CursorPar->prev) {
      e.CursorPar = e.CursorPar->prev;
      e.CursorLine = TWPRTFText::Get_LastLine(e.CursorPar);
      e.CursorOffset = e.CursorLine->Length;  // the paragraph's end
      return true;
    }
    // At the very start: unchanged.
    e.CursorPar = startPar;
    e.CursorLine = startLine;
    e.CursorOffset = std::max(startOffset, 0);
    return false;
  }
}

char* TWPCustomRtfEdit::CharAtCursor() {
  TWPRTFTextInput& e = *engine_;
  endOfLine_ = 13;
  if (!e.CursorPar || !e.CursorLine) return &endOfLine_;
  if (e.CursorOffset < 0) e.CursorOffset = 0;
  e.CursorPar->ChangeFlags |= wpcBreak | wpcMeasure;
  if (e.CursorOffset < e.CursorLine->Length) return e.CursorLine->pc + e.CursorOffset;
  return &endOfLine_;
}

TWPAttrRecord* TWPCustomRtfEdit::AttrAtCursor() {
  TWPRTFTextInput& e = *engine_;
  if (!e.CursorPar || !e.CursorLine) return &e.WritingAttr;
  if (e.CursorOffset < 0) e.CursorOffset = 0;
  e.CursorPar->ChangeFlags |= wpcBreak | wpcMeasure;
  if (e.CursorOffset < e.CursorLine->Length && e.CursorLine->pa) return e.CursorLine->pa + e.CursorOffset;
  return &e.WritingAttr;
}

int TWPCustomRtfEdit::CurrentPage() const { return engine_->CursorPage(); }
int TWPCustomRtfEdit::CurrentLineOnPage() const { return engine_->LineOnPage(); }

void TWPCustomRtfEdit::SelectAll() {
  AttachCanvas();
  engine_->SetSelection(0, kSelectAllLength);
}

int TWPCustomRtfEdit::TextLength() const { return engine_->CopyText(nullptr, nullptr, kTextLengthLimit); }

// --- building text ------------------------------------------------------------------------

void TWPCustomRtfEdit::SetWritingAttr(const TWPAttrRecord& attr) {
  if (!ChangeCheck()) return;
  AttachCanvas();
  engine_->SetWritingAttr(wpmFont | wpmSize | wpmTextColor | wpmBackColor | wpmSetStyle, attr);
  engine_->WritingAttr = attr;
  engine_->WritingAttr.Font = WPValidFont(attr.Font);
  if (engine_->AttrListener) engine_->AttrListener->AttributeChanged();
  Change();
}

int TWPCustomRtfEdit::FontNumber(const AnsiString& name) { return Header()->FontIndex(std::string_view(name).substr(0, 31)); }

void TWPCustomRtfEdit::AddParagraph() {
  TWPRTFTextInput& e = *engine_;
  // Lines may be emptied: no block may point into them. Without a block no
  // line shows one, so only its places go (a walk over every line would
  // make each new paragraph of a long document slower than the last).
  e.HideSelection();
  if (e.HasBlock()) {
    e.ClearBlock();
  } else {
    e.Extending = false;
    e.BlockStart = e.BlockEnd = {};
    e.BlockReversed = false;
  }
  TWPParagraphRec* p = e.CursorPar ? e.CursorPar : e.LastParagraph();
  if ((p->Flags & wppTableCell) && p->next && (p->next->Flags & wppTableCell)) {
    // The next cell of the row takes the text that follows.
    p = p->next;
    for (TWPLineRec* l = p->line; l; l = l->next) {
      l->Length = 0;
      l->pc[0] = 0;
    }
  } else {
    e.NewParagraph(p, 0);
  }
  p->Flags &= static_cast<uint8_t>(~wppPageBreak);
  p->ChangeFlags |= wpcBreak | wpcMeasure;
  e.CursorPar = p;
  e.CursorLine = p->line;
  e.CursorOffset = 0;
}

void TWPCustomRtfEdit::AppendRun(const TWPTextRun& run) {
  TWPRTFTextInput& e = *engine_;
  TWPParagraphRec* p = e.CursorPar ? e.CursorPar : e.LastParagraph();
  // The model splits a run longer than a line can hold into several lines.
  e.AppendLine(run.Attr, run.Text, run.PageBreak, p);
}

void TWPCustomRtfEdit::InsertText(const AnsiString& s) {
  TakeFocus();
  if (!ChangeCheck()) return;
  AttachCanvas();
  // Change runs the OnChange handler, which may raise: it stays out of a
  // destructor.
  try {
    engine_->InputString(s);
  } catch (...) {
    Change();
    throw;
  }
  Change();
  engine_->PaintAll();
}

int TWPCustomRtfEdit::InsertObject(TObject* obj, uint16_t number, uint8_t flag, int32_t width, int32_t height) {
  if (auto* c = dynamic_cast<TControl*>(obj)) c->SetParent(this);
  if (number == 0) return 0;
  if (!ChangeCheck()) return 0;
  AttachCanvas();
  std::unique_ptr<TWPPictureObject> pic;
  if (const auto* p = dynamic_cast<const TPicture*>(obj)) {
    if (p->Graphic() && !p->Graphic()->Empty()) pic = PictureObjectOf(*p->Graphic());
  } else if (const auto* g = dynamic_cast<const TGraphic*>(obj)) {
    if (!g->Empty()) pic = PictureObjectOf(*g);
  } else if (const auto* c = dynamic_cast<const TControl*>(obj)) {
    // A control shows itself; the text keeps a frame of its size.
    pic = std::make_unique<TWPPictureObject>();
    pic->Kind = pkFile;
    pic->GoalWidth = MulDiv(c->Width(), 1440, 96);
    pic->GoalHeight = MulDiv(c->Height(), 1440, 96);
  }
  int result = 0;
  if (pic) {
    // 65535 is -1 in 16 bits: the next free number from 2000.
    int n = number == 0xFFFF ? -1 : number;
    TWPPictureObject* raw = pic.get();
    engine_->OwnedObjects.push_back(std::move(pic));
    if (TWPObjectEntry* entry = engine_->InsertObjectAtCursor(n, raw, width, height)) {
      entry->Flags = flag;
      result = n;
    }
  }
  engine_->PrepareLayout();
  engine_->ReformatAll();
  engine_->PaintAll();
  Change();
  return result;
}

void TWPCustomRtfEdit::InsertGraphic(const TPicture* picture, int32_t width, int32_t height) {
  if (!ChangeCheck()) return;
  const TGraphic* g = picture ? picture->Graphic() : nullptr;
  if (!g || g->Empty() || !(dynamic_cast<const TBitmap*>(g) || dynamic_cast<const TMetafile*>(g))) return;
  AttachCanvas();
  std::unique_ptr<TWPPictureObject> pic = PictureObjectOf(*g);
  if (!pic) return;
  TWPPictureObject* raw = pic.get();
  engine_->OwnedObjects.push_back(std::move(pic));
  int n = -1;
  engine_->InsertObjectAtCursor(n, raw, width, height);
  engine_->PrepareLayout();
  engine_->ReformatAll();
  engine_->PaintAll();
  engine_->ScrollToCursor();
  Change();
}

void TWPCustomRtfEdit::FastAppendText(TWPCustomRtfEdit* source) {
  if (!source) return;
  sourceText_ = source->engine_.get();
  TScopeExit noSource{[this] { sourceText_ = nullptr; }};
  if (source == this) throw Exception("Cannot perform FastAppendText(self)");
  engine_->HideSelection();
  engine_->ClearBlock();
  engine_->AppendCopy(*source->engine_);
}

void TWPCustomRtfEdit::LinkToText(TObject* obj) {
  const TWPRTFTextIo* src = nullptr;
  if (auto* edit = dynamic_cast<TWPCustomRtfEdit*>(obj)) src = edit->engine_.get();
  else if (auto* store = dynamic_cast<TWPRtfStorage*>(obj)) src = store->RtfText();
  else src = dynamic_cast<const TWPRTFTextIo*>(obj);
  if (!src || src == engine_.get()) return;
  AttachCanvas();
  TTextHeader& h = *Header();
  // The page, fonts, colours and tabs are the other text's; the resolution
  // stays this window's.
  const int32_t resX = h.ResX, resY = h.ResY;
  h.Assign(src->Header.get());
  h.ResX = resX;
  h.ResY = resY;
  sourceText_ = src;
  h.RecalcPixels();
  if (engine_->WordWrap() && engine_->WindowWidth() > 0) h.SetLayoutWidth(engine_->WindowWidth());
  else if (src->Header->LayoutWidthTwips > 0) h.SetLayoutWidthTwips(src->Header->LayoutWidthTwips);
  else h.SetLayoutWidthTwips(h.PageWidth - h.MarginLeft - h.MarginRight);
  engine_->FormatText();
  engine_->PaintAll();
}

// --- formatting and printing ------------------------------------------------------------------

void TWPCustomRtfEdit::SetParagraphIndents(int32_t firstIndent, int32_t leftIndent, int32_t rightIndent) {
  if (!ChangeCheck()) return;
  AttachCanvas();
  engine_->SetParagraphIndents(firstIndent, leftIndent, rightIndent);
  engine_->ScrollToCursor();
  Change();
}

void TWPCustomRtfEdit::SetParagraphSpacing(int32_t before, int32_t line, int32_t after) {
  if (!ChangeCheck()) return;
  AttachCanvas();
  engine_->SetParagraphSpacing(TWPParSpacing::FromBeforeLineAfter(before, line, after));
  engine_->ScrollToCursor();
  Change();
}

bool TWPCustomRtfEdit::SetTabStop(int32_t position, TTabKind kind, bool remove) {
  // The check runs (and may take a height snapshot), but a read-only text
  // is what keeps its tabs.
  ChangeCheck();
  AttachCanvas();
  TTextHeader& h = *Header();
  const bool locked = ReadOnly() || !editable_;
  if (kind == tkAll) {
    h.CurrentTabs = 0;
    const TWPTabSet all = h.AllTabs();
    h.CurrentTabs = 0;
    if (!locked && all) {
      engine_->SetParagraphTabs(true, all);
      Change();
    }
    return true;
  }
  const int32_t widthTwips = MulDiv(h.LayoutWidth, 1440, h.ResX > 0 ? h.ResX : 96);
  if (position <= 0 || position >= widthTwips) return false;
  h.CurrentTabs = 0;
  const TWPTabSet mask = h.AddTab(kind, position);
  h.CurrentTabs = 0;
  if (mask && !locked) engine_->SetParagraphTabs(remove, mask);
  if (!locked) Change();
  return true;
}

void TWPCustomRtfEdit::SetPageLayout(int32_t marginLeft, int32_t marginRight, int32_t marginTop,
                                     int32_t marginBottom, int32_t pageWidth, int32_t pageHeight) {
  if (!ChangeCheck()) return;
  AttachCanvas();
  engine_->SetPage(marginLeft, marginRight, marginTop, marginBottom, pageWidth, pageHeight);
  if (!engine_->WordWrap()) engine_->FormatText();
  engine_->PaintAll();
  engine_->ScrollToCursor();
  Change();
}

void TWPCustomRtfEdit::ReformatAndRepaint() {
  AttachCanvas();
  TWPRTFTextInput& e = *engine_;
  if (!transparent_) {
    e.PrepareLayout();
    e.ReformatAll();
    e.PaintAll();
    e.ScrollToCursor();
    e.UpdateCaret();
  } else {
    {
      const bool quiet = e.Quiet;
      e.Quiet = true;
      TScopeExit restore{[&e, quiet] { e.Quiet = quiet; }};
      e.PrepareLayout();
      e.ReformatAll();
    }
    e.ScrollToCursor();
    Invalidate();
  }
  UpdateVScroll();
  // A complete layout, told as the engine's own are: the ruler follows a text
  // loaded anew (a record read again, a file opened) to its page and indents.
  if (e.UpdateObject && !(e.ViewOptions() & wpvPaintingOff)) e.UpdateObject->TextFormatted();
  // Measuring on the control's canvas goes on in the first run's font
  // (callers measure columns in the font they just laid out).
  for (const TWPParagraphRec* p = e.FirstPar; p; p = p->next)
    for (const TWPLineRec* l = p->line; l; l = l->next)
      if (l->Length > 0 && l->pa) {
        if (HandleAllocated()) e.SetCanvasFont(l->pa[0]);
        return;
      }
}

void TWPCustomRtfEdit::Print() { PrintPages(0, 16777215); }

void TWPCustomRtfEdit::PrintPages(int first, int last) {
  AttachCanvas();
  engine_->PrintHeader = PrintHeader;
  engine_->PrintFooter = PrintFooter;
  engine_->PrintPages(*Printer(), first, last);
  RefreshBackground();
  ReformatAndRepaint();
}

void TWPCustomRtfEdit::TakeFocus() {
  if (HasState(csLoading) || HasState(csDesigning) || mouseSuppressed_) return;
  if (!Visible() || !Enabled() || Focused() || !CanFocus()) return;
  SetFocus();
}
