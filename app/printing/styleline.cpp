// Lines in a page block's text styles (styleline.h).
#include "app/printing/styleline.h"

#include "app/text/styledoutput.h"

void AppendStyledLine(TWPCustomRtfEdit* edit, const AnsiString& text, bool newParagraph,
                      const TextStyleSettings& style) {
  AppendStyledText(edit, text, style.Font, style.Attr, newParagraph);
  edit->SetParagraphSpacing(style.Para.SpaceBefore, style.Para.LineSpacing, style.Para.SpaceAfter);
}
