// Helpers of the edit-control tests: a form holding an edit control under
// the headless test driver, documents built only through the control's
// programmatic interface (styled runs, hyperlinks as visible text and hidden
// stamp), the text read back, and the client point of a character.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/rtl/cp1252.h"
#include "platform/ui/forms.h"
#include "platform/ui/testdriver.h"
#include "richtext/controls/rtfedit.h"
#include "tests/test_paths.h"

namespace rtedit_test {

// A form with one edit control at (10, 10).
struct EditWindow {
  TUiTestDriver driver;
  TForm* form = new TForm(Application);
  TWPCustomRtfEdit* edit = new TWPCustomRtfEdit(form);

  explicit EditWindow(int width = 360, int height = 240) {
    form->SetClientSize(width + 20, height + 20);
    edit->SetParent(form);
    edit->SetBounds(10, 10, width, height);
    edit->SetWordWrap(true);
    form->Show();
    driver.Process();
  }
  // A second control beside the first (the form grows).
  TWPCustomRtfEdit* Second(int width = 200, int height = 100) {
    form->SetClientSize(form->ClientWidth() + width + 10, std::max(form->ClientHeight(), height + 20));
    auto* e = new TWPCustomRtfEdit(form);
    e->SetParent(form);
    e->SetBounds(edit->Left() + edit->Width() + 10, 10, width, height);
    e->SetWordWrap(true);
    driver.Process();
    return e;
  }
};

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

// The client point in the middle of the character at an absolute position.
inline TPoint PointOf(const TWPCustomRtfEdit* e, int position) {
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
  return {(x0 + x1) / 2 + t->HorzOffset, l->Top + l->Height / 2 - t->TopOffset};
}

// Where test pictures go (test-artifacts/richtext in the build tree).
inline std::string Artifact(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(testpaths::BinaryDir()) / "test-artifacts" / "richtext";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

}  // namespace rtedit_test
