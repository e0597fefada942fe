// A line of a printed list or of the print setup's sample in one of a page
// block's text styles ("Titel", "Untertitel", "Text"): the run takes the
// style's font, size, bold, italic, underline and text colour, its
// paragraph the style's space before, line spacing and space after. The
// style's indents and underline colour are not applied here.
#pragma once

#include "app/settings/settings.h"
#include "richtext/controls/rtfedit.h"

// Appends the text as one run in the style, after a new paragraph when
// asked, then sets the style's spacing on the current paragraph.
void AppendStyledLine(TWPCustomRtfEdit* edit, const AnsiString& text, bool newParagraph,
                      const TextStyleSettings& style);
