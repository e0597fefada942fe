// A births page built the way the day pages are: per person a paragraph with
// the year, a tab, the count of years, the name, the place in brackets, the
// professions and the remark whose person links become hyperlinks (visible
// text with the link bit, then the hidden stamp "p:<n>"); first-line start
// 72 twips, following lines at the tab, a left tab stop there. Used by the
// screen test and the benchmarks (no test framework here).
#pragma once

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/cp1252.h"
#include "richtext/view/paint.h"

namespace daypage {

struct Person {
  int Year = 0;
  std::string Name, Place, Professions, Remark;  // Windows-1252; remark with [[text|id]] links
};

inline std::vector<std::string> SplitBar(const std::string& line) {
  std::vector<std::string> f;
  size_t s = 0;
  for (;;) {
    const size_t e = line.find('|', s);
    f.push_back(line.substr(s, e == std::string::npos ? std::string::npos : e - s));
    if (e == std::string::npos) return f;
    s = e + 1;
  }
}

// The sample data's persons (at most `limit`).
inline std::vector<Person> SamplePersons(const std::string& sourceDir, size_t limit) {
  std::ifstream f(sourceDir + "/data/personen.txt");
  std::vector<Person> out;
  std::string line;
  while (out.size() < limit && std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    AnsiString cp;
    if (!Utf8ToCp1252(line, cp)) continue;
    const std::vector<std::string> v = SplitBar(cp);
    if (v.size() < 15) continue;
    Person p;
    const std::string& birth = v[5];
    const size_t dot = birth.rfind('.');
    p.Year = std::atoi(birth.c_str() + (dot == std::string::npos ? 0 : dot + 1));
    if (p.Year <= 0) continue;
    const size_t comma = v[1].find(", ");
    p.Name = comma == std::string::npos ? v[1] : v[1].substr(comma + 2) + " " + v[1].substr(0, comma);
    p.Place = v[6].substr(v[6].find(':') == std::string::npos ? 0 : v[6].find(':') + 1);
    p.Professions = v[10];
    for (char& c : p.Professions)
      if (c == ',') c = '/';
    // The remark is the rest of the line (its links hold bars).
    for (size_t k = 14; k < v.size(); ++k) p.Remark += (k > 14 ? "|" : "") + v[k];
    out.push_back(p);
  }
  return out;
}

// Splits a text with "[[text|id]]" person links: `plain` gets each piece
// between links, `link` each link's text and id.
template <class Plain, class Link>
void SplitLinks(const std::string& s, Plain plain, Link link) {
  size_t i = 0;
  while (i < s.size()) {
    const size_t open = s.find("[[", i);
    const size_t bar = open == std::string::npos ? open : s.find('|', open);
    const size_t close = bar == std::string::npos ? bar : s.find("]]", bar);
    if (close == std::string::npos) {
      plain(s.substr(i));
      return;
    }
    if (open > i) plain(s.substr(i, open - i));
    link(s.substr(open + 2, bar - open - 2), s.substr(bar + 1, close - bar - 1));
    i = close + 2;
  }
}

class Writer {
public:
  explicit Writer(TWPRTFTextPaint& t, std::function<void()> afterEdit = nullptr)
      : t_(t), afterEdit_(std::move(afterEdit)) {}

  TWPAttrRecord Style(const char* font, int size, uint32_t style = 0, uint8_t colors = 0) {
    TWPAttrRecord a;
    a.Font = static_cast<uint8_t>(t_.Header->FontIndex(font));
    a.Size = static_cast<uint8_t>(size);
    a.Style = style;
    a.Colors = colors;
    return a;
  }
  TWPParagraphRec* NewParagraph() {
    TWPParagraphRec* p = t_.LastParagraph();
    if (!(t_.IsEmpty() && first_)) {
      t_.NewParagraph(p, 0);
      p->ChangeFlags |= wpcBreak | wpcMeasure;
      Edited();
    }
    first_ = false;
    // Each paragraph states its own format.
    p->Align = 0;
    p->Flags = 0;
    p->FirstIndent = p->LeftIndent = p->RightIndent = 0;
    p->SpaceBefore = p->SpaceAfter = p->LineSpacing = 0;
    p->BorderFlags = p->BorderStyle = p->BorderWidth = p->BorderColor = 0;
    p->Numbering = 0;
    p->Shading = p->ShadingPercent = 0;
    p->Tabs = 0;
    return p;
  }
  void Text(TWPParagraphRec* p, const std::string& s, const TWPAttrRecord& a) {
    t_.InsertTextAt(p, TWPRTFText::ParLength(p), s, &a);
    Edited();
  }
  // Text whose "[[text|id]]" marks become hyperlinks with their stamps.
  void Linked(TWPParagraphRec* p, const std::string& s, const TWPAttrRecord& a) {
    SplitLinks(
        s, [&](const std::string& text) { Text(p, text, a); },
        [&](const std::string& text, const std::string& id) {
          TWPAttrRecord link = a;
          link.Style |= wpsHyperlink;
          Text(p, text, link);
          TWPAttrRecord stamp = a;
          stamp.Style |= wpsHidden;
          Text(p, "p:" + id, stamp);
        });
  }
  // One entry of a births page.
  void Entry(const Person& person, int currentYear, int tabTwips, const char* font = "Arial") {
    TWPParagraphRec* p = NewParagraph();
    const int years = currentYear - person.Year;
    Text(p, std::to_string(person.Year), Style(font, 10, wpsBold, 0x0B));  // navy year
    Text(p, "\t", Style(font, 10));
    if (years > 0 && years % 50 == 0)
      Text(p, "Vor " + std::to_string(years) + " Jahren\n", Style(font, 10, wpsItalic, 0x01));
    else if (years > 0)
      Text(p, "(" + std::to_string(years) + ") ", Style(font, 9, 0, 0x0E));
    Text(p, person.Name, Style(font, 10, wpsBold));
    if (!person.Place.empty()) {
      Text(p, " ", Style(font, 10));
      Text(p, "(" + person.Place + ")", Style(font, 10, 0, 0x0A));  // teal
    }
    if (!person.Professions.empty()) {
      Text(p, ", ", Style(font, 10));
      Text(p, person.Professions, Style(font, 10, wpsItalic));
    }
    if (!person.Remark.empty()) {
      Text(p, ", ", Style(font, 10));
      Linked(p, person.Remark, Style(font, 10));
    }
    Format(p, tabTwips);
  }
  void Format(TWPParagraphRec* p, int tabTwips) {
    p->FirstIndent = 72;
    p->LeftIndent = tabTwips;
    p->RightIndent = 72;
    p->SpaceBefore = 72;
    p->SpaceAfter = 30;
    p->Tabs = t_.Header->AddTab(tkLeft, tabTwips);
    t_.Header->CurrentTabs = 0;
  }
  void Edited() {
    if (afterEdit_) afterEdit_();
  }

private:
  TWPRTFTextPaint& t_;
  std::function<void()> afterEdit_;
  bool first_ = true;
};

// The busiest births page: `count` persons, newest first.
inline void BuildBirthsPage(TWPRTFTextPaint& t, const std::vector<Person>& persons, size_t count,
                            std::function<void()> afterEdit = nullptr) {
  Writer w(t, std::move(afterEdit));
  for (size_t i = 0; i < count && i < persons.size(); ++i) w.Entry(persons[i], 2024, 720);
}

// Births entries, the persons over and over, until the text fills fifty
// pages (laid out for the engine's current device); the page count.
inline int BuildFiftyPages(TWPRTFTextPaint& t, const std::vector<Person>& persons) {
  Writer w(t);
  int pages = 0;
  for (size_t i = 0; pages < 50 && !persons.empty(); ++i) {
    w.Entry(persons[i % persons.size()], 2024, 720);
    if (i % 50 == 49) {
      t.FormatText();
      TWPParagraphRec* last = t.LastParagraph();
      t.CursorPar = last;
      t.CursorLine = TWPRTFText::Get_LastLine(last);
      t.CursorOffset = 0;
      pages = t.CursorPage() + 1;
    }
  }
  t.FormatText();
  return pages;
}

}  // namespace daypage
