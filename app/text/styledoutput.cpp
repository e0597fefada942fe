// Styled output into a rich-text edit control (styledoutput.h). Runs go in
// through the control's AppendRun; archive texts through the engine's
// stream reader, which inserts at the cursor when the text is not empty.
#include "app/text/styledoutput.h"

#include "app/settings/datasetup.h"
#include "app/text/helpers.h"
#include "platform/rtl/scopeexit.h"

namespace {

// A run in the control's writing attribute with the font block's font and
// size, the style bits and the text colour number (-1: the writing
// attribute's).
TWPTextRun MakeRun(TWPCustomRtfEdit* control, const AnsiString& text, const FontSettings& font, uint32_t style,
                   int textColour) {
  TWPTextRun run;
  control->GetWritingAttr(run.Attr);
  run.Attr.Font = WPValidFont(control->FontNumber(font.FontName));
  run.Attr.Size = font.Size;
  run.Attr.Style = style;
  if (textColour >= 0) run.Attr.Colors = static_cast<uint8_t>((run.Attr.Colors & 0xF0) | (textColour & 0x0F));
  run.Spacing[0] = run.Spacing[1] = run.Spacing[2] = kStyledSpacing;
  run.Text = text;
  return run;
}

// A colour number of a hand-edited ini file beyond the table is black, as
// ColorOf takes it.
uint8_t ColourNumber(uint8_t n) { return n < 16 ? n : 0; }

// Appends a run; the page goes on without it when the engine refuses.
void AppendQuietly(TWPCustomRtfEdit* control, const TWPTextRun& run, bool newParagraph) {
  try {
    if (newParagraph) control->AddParagraph();
    control->AppendRun(run);
  } catch (const std::exception&) {
  }
}

// The archive's record into SharedStream, positioned at its start.
// A record the archive cannot read is noted for the user (once per archive
// and run) and passed on to the caller, which leaves the text out.
void ReadRecordIntoSharedStream(int32_t offset, TVlf* archive) {
  if (!archive) throw EReadError("Kein Textarchiv offen");
  try {
    const uint32_t length = archive->ReadRecordLength(static_cast<uint32_t>(offset));
    CreateSharedStream();
    SharedStream->Clear();
    SharedStream->SetSize(length);
    archive->ReadRecord(static_cast<uint32_t>(offset), SharedStream->Memory());
  } catch (const std::exception& e) {
    NoteArchiveFailure(archive, e);
    throw;
  }
  SharedStream->SetPosition(0);
}

// What reading rich text into a paragraph may change that belongs to the
// page rather than to the inserted text: the paragraph's layout (taken from
// the text when it goes in at the paragraph's start) and, in an empty
// document, the page and its colours.
struct PageKeeper {
  TWPRTFTextInput* e;
  bool empty;
  int parIndex;
  TWPParagraphRec par;
  int32_t pageWidth, pageHeight, left, right, top, bottom;
  bool landscape, facing;
  TColor colours[16];

  explicit PageKeeper(TWPRTFTextInput* engine) : e(engine), empty(engine->IsEmpty()) {
    TWPParagraphRec* p = e->CursorPar ? e->CursorPar : e->LastParagraph();
    parIndex = TWPRTFText::ParagraphIndex(p, e->FirstPar) - 1;  // counted from 1
    par = *p;
    const TTextHeader& h = *e->Header;
    pageWidth = h.PageWidth;
    pageHeight = h.PageHeight;
    left = h.MarginLeft;
    right = h.MarginRight;
    top = h.MarginTop;
    bottom = h.MarginBottom;
    landscape = h.Landscape;
    facing = h.FacingPages;
    for (int i = 0; i < 16; ++i) colours[i] = h.Colors[i];
  }

  void Restore() {
    if (TWPParagraphRec* p = e->ParagraphAt(parIndex)) {
      p->FirstIndent = par.FirstIndent;
      p->LeftIndent = par.LeftIndent;
      p->RightIndent = par.RightIndent;
      p->SpaceBefore = par.SpaceBefore;
      p->SpaceAfter = par.SpaceAfter;
      p->LineSpacing = par.LineSpacing;
      p->Align = par.Align;
      p->Tabs = par.Tabs;
      p->ChangeFlags |= wpcBreak | wpcMeasure;
    }
    if (!empty) return;
    TTextHeader& h = *e->Header;
    h.PageWidth = pageWidth;
    h.PageHeight = pageHeight;
    h.MarginLeft = left;
    h.MarginRight = right;
    h.MarginTop = top;
    h.MarginBottom = bottom;
    h.Landscape = landscape;
    h.FacingPages = facing;
    for (int i = 0; i < 16; ++i) h.Colors[i] = colours[i];
    h.RecalcPixels();
  }
};

// SharedStream's text at the end of the document; the position where it
// begins.
int InsertSharedStreamAtEnd(TWPCustomRtfEdit* control) {
  TWPRTFTextInput* e = control->RtfText();
  // Lines change: no block may point into them.
  e->HideSelection();
  e->ClearBlock();
  control->MoveCursorTo(control->TextLength());
  const int start = control->CursorPosition();
  // A plain text takes the writing attribute, which may still be the look
  // of a link passed on the way here: no plain text becomes a link.
  e->WritingAttr.Style &= ~(wpsHyperlink | wpsHidden);
  PageKeeper keeper(e);
  // Archive texts are plain or rich text, whatever the control was last
  // told to load.
  const TWPLoadFormat format = e->LoadFormat;
  e->LoadFormat = AutomaticFormat;
  TScopeExit restore{[e, format, &keeper] {
    e->LoadFormat = format;
    keeper.Restore();
  }};
  e->LoadFromStream(SharedStream);
  return start;
}

}  // namespace

void AppendStyledText(TWPCustomRtfEdit* control, const AnsiString& text, const FontSettings& font,
                      const TextAttributes& attr, bool newParagraph) {
  AppendQuietly(control, MakeRun(control, text, font, attr.Styles, ColourNumber(attr.TextColour)), newParagraph);
}

void SetHyperlinkAttributes(TWPCustomRtfEdit* control, const TextAttributes& attr) {
  TCharacterAttr* h = control->GetHyperlinkTextAttr();
  h->SetUseUnderlineColor(true);
  h->SetTextColor(ColorOf(attr.TextColour));
  h->SetUnderlineColor(ColorOf(attr.UnderlineColour));
  h->SetBold(attr.Styles & tsBold ? tsTRUE : tsFALSE);
  h->SetItalic(attr.Styles & tsItalic ? tsTRUE : tsFALSE);
  h->SetUnderline(attr.Styles & tsUnderline ? tsTRUE : tsFALSE);
}

void AppendHyperlink(TWPCustomRtfEdit* control, const AnsiString& linkCode, const AnsiString& visibleText,
                     const FontSettings& font, const TextAttributes& attr, bool newParagraph) {
  SetHyperlinkAttributes(control, attr);
  // The link's colours come from the hyperlink attribute set.
  TWPTextRun run = MakeRun(control, visibleText, font, wpsHyperlink, -1);
  AppendQuietly(control, run, newParagraph);
  run.Attr.Style = wpsHidden;
  run.Text = linkCode;
  AppendQuietly(control, run, false);
}

void AppendArchiveText(TWPCustomRtfEdit* control, int32_t offset, TVlf* archive, const FontSettings& font,
                       const TextAttributes& attr, bool newParagraph) {
  if (offset <= 0) return;
  // Read first: a damaged record leaves the page as it was.
  ReadRecordIntoSharedStream(offset, archive);
  if (newParagraph) control->AddParagraph();
  const int start = InsertSharedStreamAtEnd(control);
  const uint8_t fontNumber = WPValidFont(control->FontNumber(font.FontName));
  const uint8_t colour = ColourNumber(attr.TextColour);
  TWPRTFTextInput* e = control->RtfText();
  control->MoveCursorTo(start);
  do {
    TWPAttrRecord* a = control->AttrAtCursor();
    if (a == &e->WritingAttr) continue;  // a line end holds no character
    if (!(a->Style & (wpsHyperlink | wpsHidden))) {
      a->Style = attr.Styles;
      a->Colors = static_cast<uint8_t>((a->Colors & 0xF0) | colour);
    }
    a->Font = fontNumber;
    a->Size = font.Size;
  } while (control->CursorNext());
}

void LoadArchiveText(TWPCustomRtfEdit* control, int32_t offset, TVlf* archive, bool newParagraph) {
  if (offset <= 0) return;
  ReadRecordIntoSharedStream(offset, archive);
  if (newParagraph) control->AddParagraph();
  InsertSharedStreamAtEnd(control);
  control->ReformatAndRepaint();
}

void IndentWholeDocument(TWPCustomRtfEdit* control) {
  control->MoveCursorTo(0);
  TTextHeader& h = *control->Header();
  // A free slot stays free (position 0).
  for (int i = 0; i < kWPTabSlots; ++i)
    if (h.TabTwips[i] != 0) h.TabTwips[i] += kStyledSpacing;
  h.RecalcPixels();
  h.RebuildTabOrder();
  for (TWPParagraphRec* p = control->RtfText()->FirstPar; p; p = p->next) {
    p->FirstIndent += kStyledSpacing;
    p->LeftIndent += kStyledSpacing;
    p->RightIndent = kStyledSpacing;
    p->ChangeFlags |= wpcBreak | wpcMeasure;
  }
}
