// Building and reading a document through the edit control's programmatic
// interface for the tests and their helper programs: styled runs,
// hyperlinks (visible text, then the hidden stamp with the link code), the
// whole text, and the client point of a character.
#pragma once

#include <string>

#include "richtext/controls/rtfedit.h"

namespace rtedit_test {

// A run in the control's writing attribute with a font, size, style and
// colour index; a new paragraph first when asked.
inline void Styled(TWPCustomRtfEdit* e, const std::string& text, const char* font = "Arial", int size = 10,
                   uint32_t style = 0, int color = 0, bool newParagraph = false) {
  TWPTextRun run;
  e->GetWritingAttr(run.Attr);
  run.Attr.Font = static_cast<uint8_t>(e->FontNumber(font));
  run.Attr.Size = static_cast<uint8_t>(size);
  run.Attr.Style = style;
  run.Attr.Colors = static_cast<uint8_t>((run.Attr.Colors & 0xF0) | (color & 0x0F));
  run.Spacing[0] = run.Spacing[1] = run.Spacing[2] = 72;
  run.Text = text;
  if (newParagraph) e->AddParagraph();
  e->AppendRun(run);
}

// A hyperlink: the visible text, then the hidden stamp with the link code.
inline void Link(TWPCustomRtfEdit* e, const std::string& text, const std::string& code, const char* font = "Arial",
                 int size = 10) {
  Styled(e, text, font, size, wpsHyperlink);
  Styled(e, code, font, size, wpsHidden);
}

// The whole text, '\r' between paragraphs.
inline std::string Text(const TWPCustomRtfEdit* e) {
  std::string s(static_cast<size_t>(e->TextLength()) + 1, '\0');
  const int n = e->RtfText()->CopyText(s.data(), nullptr, static_cast<int>(s.size()));
  s.resize(static_cast<size_t>(n));
  return s;
}

// The client point in the middle of the character at an absolute position,
// or just inside its left edge.
inline TPoint PointOf(const TWPCustomRtfEdit* e, int position, bool edge = false) {
  TWPRTFTextInput* t = e->RtfText();
  int offset = 0;
  TWPLineRec* l = nullptr;
  TWPParagraphRec* p = nullptr;
  t->FindPosition(offset, l, p, position, 0);
  if (offset >= l->Length && l->next) {
    l = l->next;
    offset = 0;
  }
  const int x0 = t->CursorX(p, l, offset);
  const int x1 = offset < l->Length ? t->CursorX(p, l, offset + 1) : x0 + 4;
  return {(edge ? x0 + 1 : (x0 + x1) / 2) + t->HorzOffset, l->Top + l->Height / 2 - t->TopOffset};
}

}  // namespace rtedit_test
