// Styled output: how the program writes its generated pages (day pages,
// data-window pages, the display dialogs' samples) into a rich-text edit
// control. A font block and an attribute block of the settings become the
// character attributes of appended runs; hyperlinks are appended as their
// visible text followed by the hidden stamp with the link code; long texts
// of the archives are copied in with the element's look.
//
// Invariants:
//  - every run appended here starts from the control's writing attribute and
//    carries the font number and size of the font block; its three spacing
//    values are 72 twips;
//  - a hyperlink is exactly two runs: the visible text with style 0x10 and
//    then the stamp (e.g. "p:17") with style 0x100, so a click hands the
//    stamp to the control's HyperLinkEvent; its look comes from the
//    control's hyperlink attribute set, not from the runs;
//  - an archive text keeps its own links (their style bits untouched) while
//    every character takes the element's font and size;
//  - a record offset of 0 or less appends nothing, not even a paragraph;
//  - a text inserted at the start of a paragraph leaves the paragraph's
//    layout and an empty document's page settings as they were.
// The routines work on any control built on TWPCustomRtfEdit. They share
// SharedStream, so calls must not be nested. Appending only builds: the
// caller lays the page out once, with ReformatAndRepaint, when it is
// complete (LoadArchiveText does that itself).
#pragma once

#include <cstdint>

#include "app/settings/settings.h"
#include "calendar/vlf.h"
#include "richtext/controls/rtfedit.h"

// Twips of every run's spacing values and of the whole-document indent.
constexpr int32_t kStyledSpacing = 72;

// Appends the text as one run in the font block's font and size with the
// attribute block's styles and text colour; a new paragraph first when
// asked. An error of the engine while appending is swallowed (the page
// goes on without the run). The blocks' spacing and underline colour are
// not used here.
void AppendStyledText(TWPCustomRtfEdit* control, const AnsiString& text, const FontSettings& font,
                      const TextAttributes& attr, bool newParagraph);

// The control's hyperlink attribute set from an attribute block: text and
// underline colour from ColorTable (numbers outside 0..15 give black),
// bold, italic and underline on or off by the block's style bits; the
// underline colour is used.
void SetHyperlinkAttributes(TWPCustomRtfEdit* control, const TextAttributes& attr);

// A hyperlink: SetHyperlinkAttributes with the block, then the visible text
// (style exactly 0x10) and the link code (a kind letter, ":" and a number,
// style exactly 0x100), both in the font block's font and size; a new
// paragraph first when asked.
void AppendHyperlink(TWPCustomRtfEdit* control, const AnsiString& linkCode, const AnsiString& visibleText,
                     const FontSettings& font, const TextAttributes& attr, bool newParagraph);

// The archive's record at the offset (plain or rich text) at the end of the
// document: characters that are no part of a link take the attribute
// block's styles and text colour, every character the font block's font
// and size. Nothing for an offset of 0 or less. A damaged record raises
// the archive's EReadError before anything is appended.
void AppendArchiveText(TWPCustomRtfEdit* control, int32_t offset, TVlf* archive, const FontSettings& font,
                       const TextAttributes& attr, bool newParagraph);

// The archive's record at the end of the document as it stands, then the
// text laid out again and repainted. Nothing for an offset of 0 or less; a
// damaged record raises before anything is appended.
void LoadArchiveText(TWPCustomRtfEdit* control, int32_t offset, TVlf* archive, bool newParagraph);

// Moves the whole document 72 twips to the right: the cursor to the start,
// every used tab position of the header and the first two indents of every
// paragraph plus 72, every paragraph's right indent 72. The caller lays out.
void IndentWholeDocument(TWPCustomRtfEdit* control);
