// Helpers shared by the rich-text I/O tests: building documents by code,
// writing and reading RTF through strings, a canonical dump of a model for
// comparisons, and a generator of random documents.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/rtl/streams.h"
#include "richtext/io/objects.h"
#include "richtext/io/textio.h"

namespace rtio_test {

inline std::string ToRtf(TWPRTFTextIo& t) {
  TStringStream s;
  TWPRTFWriter w;
  t.WriteWith(&w, &s);
  return s.DataString();
}

// Reads RTF into a cleared text; the reader's result code.
inline uint8_t FromRtf(TWPRTFTextIo& t, const std::string& rtf) {
  t.Clear();
  TStringStream s(rtf);
  TWPRtfReader r;
  r.TakeStream(&s);
  t.ReadWith(&r);
  return t.LastResult;
}

inline TWPAttrRecord Attr(uint32_t style = 0, uint8_t font = 0, uint8_t size = 10, uint8_t colors = 0,
                          uint16_t tag = 0) {
  TWPAttrRecord a;
  a.Style = style;
  a.Font = font;
  a.Size = size;
  a.Colors = colors;
  a.Tag = tag;
  return a;
}

// Appends characters with one attribute to the last line of a paragraph.
inline void AddRun(TWPRTFText& t, TWPParagraphRec* p, const std::string& s, const TWPAttrRecord& a) {
  TWPLineRec* l = TWPRTFText::Get_LastLine(p);
  if (l->Length + static_cast<int>(s.size()) + 4 >= l->Capacity)
    t.GrowLineBuffer(l, l->Length + static_cast<int>(s.size()) + 8);
  for (char c : s) {
    l->pc[l->Length] = c;
    l->pa[l->Length] = a;
    ++l->Length;
  }
  l->pc[l->Length] = 0;
}

// Starts a new paragraph after the last one.
inline TWPParagraphRec* NewPar(TWPRTFText& t) {
  TWPParagraphRec* p = t.LastParagraph();
  t.NewParagraph(p, 40);
  p->FirstIndent = p->LeftIndent = p->RightIndent = 0;
  p->SpaceBefore = p->SpaceAfter = p->LineSpacing = 0;
  p->Align = 0;
  p->Flags = 0;
  p->Tabs = 0;
  p->BorderFlags = p->BorderStyle = p->BorderWidth = p->BorderColor = 0;
  p->Shading = p->ShadingPercent = 0;
  return p;
}

// Canonical text of a model: per paragraph its formatting and its runs,
// with object, footnote and bookmark references replaced by what they refer
// to, so that two models compare equal when they mean the same document.
std::string Dump(const TWPRTFTextIo& t);

// The repository's root: the environment's ORV_SOURCE_DIR, else the
// directory the tests were built from.
inline std::string SourceDir() {
  if (const char* s = std::getenv("ORV_SOURCE_DIR")) return s;
#ifdef RTIO_SOURCE_DIR
  return RTIO_SOURCE_DIR;
#else
  return ".";
#endif
}

// A random document; `seed` decides everything.
void RandomDocument(TWPRTFTextIo& t, uint32_t seed);

}  // namespace rtio_test
