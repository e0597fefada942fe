// A births page built only through the edit control's programmatic
// interface, the way the program builds its day pages: per person a
// paragraph with the year, a tab, the count of years, the name as a
// hyperlink (visible text, then the hidden stamp "p:<n>"), the place, the
// professions and the remark whose person links become hyperlinks; then
// indents (first line 72 twips, following lines at the tab, right 72),
// spacing (72 before, 30 after) and a left tab stop at the tab.
#pragma once

#include <string>
#include <vector>

#include "tests/richtext_controls/edit_helpers.h"
#include "tests/richtext_view/daypage.h"

namespace rtedit_test {

// Text whose "[[text|id]]" marks become hyperlinks.
inline void LinkedText(TWPCustomRtfEdit* e, const std::string& s, int size = 10) {
  daypage::SplitLinks(
      s, [&](const std::string& text) { Styled(e, text, "Arial", size); },
      [&](const std::string& text, const std::string& id) { Link(e, text, "p:" + id, "Arial", size); });
}

// Builds the page (the control cleared first); the number of entries.
inline int BuildBirthsPage(TWPCustomRtfEdit* e, size_t persons, int tabTwips = 1000) {
  e->ClearText();
  e->GetHyperlinkTextAttr()->SetUseUnderlineColor(true);
  e->GetHyperlinkTextAttr()->SetUnderline(tsTRUE);
  e->GetHyperlinkTextAttr()->SetUnderlineColor(clNavy);
  e->GetHyperlinkTextAttr()->SetTextColor(clNavy);
  e->GetHyperlinkTextAttr()->SetUseTextColor(true);
  Styled(e, CP1252("Geburtstage am 28. August").str(), "Book Antiqua", 16, wpsBold, 11);
  e->SetParagraphSpacing(0, 0, 120);
  const std::vector<daypage::Person> list = daypage::SamplePersons(testpaths::SourceDir(), persons);
  int n = 0;
  for (const daypage::Person& p : list) {
    Styled(e, std::to_string(p.Year), "Arial", 10, wpsBold, 11, true);
    Styled(e, "\t", "Arial", 10);
    Styled(e, "(" + std::to_string(2024 - p.Year) + ") ", "Arial", 9, 0, 14);
    Link(e, p.Name, "p:" + std::to_string(1000 + n));
    Styled(e, " (" + p.Place + "), ", "Arial", 10, wpsItalic);
    Styled(e, p.Professions + ". ", "Arial", 10);
    LinkedText(e, p.Remark);
    e->SetParagraphIndents(72, tabTwips, 72);
    e->SetParagraphSpacing(72, 0, 30);
    e->SetTabStop(tabTwips, tkLeft, false);
    ++n;
  }
  e->ReformatAndRepaint();
  e->PlaceCursor(0, 0, 0, 0);
  return n;
}

}  // namespace rtedit_test
