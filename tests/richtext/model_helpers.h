// Small helpers shared by the text model tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "richtext/model/text.h"

namespace rt_test {

// The whole text, paragraph ends as '\r'.
inline std::string TextOf(TWPRTFText& t) {
  const int n = t.CopyText(nullptr, nullptr, 0);
  std::string s(n + 1, '\0');
  t.CopyText(s.data(), nullptr, n + 1);
  s.resize(n);
  return s;
}

// The records of the whole text, in CopyText's order.
inline std::vector<TWPAttrRecord> AttrsOf(TWPRTFText& t) {
  const int n = t.CopyText(nullptr, nullptr, 0);
  std::vector<TWPAttrRecord> a(n + 1);
  t.CopyText(nullptr, a.data(), n + 1);
  a.resize(n);
  return a;
}

inline TWPAttrRecord Attr(uint16_t tag, uint32_t style = 0, uint8_t font = 0, uint8_t size = 10) {
  TWPAttrRecord a;
  a.Tag = tag;
  a.Style = style;
  a.Font = font;
  a.Size = size;
  return a;
}

// Replaces the document by paragraphs split at '\r', each one line, every
// character with `attr`.
inline void Build(TWPRTFText& t, std::string_view text, const TWPAttrRecord& attr = Attr(0)) {
  t.Clear();
  size_t start = 0;
  TWPParagraphRec* p = t.FirstPar;
  for (;;) {
    const size_t cr = text.find('\r', start);
    const std::string_view part = text.substr(start, cr == std::string_view::npos ? std::string_view::npos : cr - start);
    t.ReplaceInLine(p, p->line, 0, 0, part.data(), static_cast<int>(part.size()), &attr);
    if (cr == std::string_view::npos) break;
    t.NewParagraph(p, 0);
    start = cr + 1;
  }
}

inline int CountLines(const TWPParagraphRec* p) {
  int n = 0;
  for (const TWPLineRec* l = p->line; l; l = l->next) ++n;
  return n;
}

inline int CountPars(const TWPRTFText& t) {
  int n = 0;
  for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next) ++n;
  return n;
}

}  // namespace rt_test
