// An editor for the input, selection and geometry tests: a text engine with
// fixed-width metrics (characters 10 pixels, blanks 5, lines 17 high at 10
// points) on a recording device, documents given as text with '\r' between
// paragraphs, and the text, cursor and selection read back as absolute
// positions.
#pragma once

#include <string>
#include <string_view>

#include "platform/gfx/recorder.h"
#include "richtext/view/input.h"
#include "tests/richtext_view/view_helpers.h"

namespace rtinput_test {

using rtview_test::Attr;
using rtview_test::ExpectChains;
using rtview_test::FixedMetrics;

struct Editor {
  FixedMetrics metrics;
  TRecordingDevice device;
  TCanvas canvas{&device};
  TWPRTFTextInput t;

  explicit Editor(int width = 300, int height = 200, bool wrap = true) {
    t.Metrics = &metrics;
    t.SetCanvas(&canvas);
    t.AttachedToWindow = true;
    t.SetWordWrap(wrap);
    t.SetWindowWidth(width);
    t.VisibleHeight = height;
  }

  // Replaces the text: paragraphs separated by '\r', all in one attribute.
  void Load(std::string_view text, const TWPAttrRecord& a = Attr()) {
    t.Clear();
    TWPParagraphRec* p = t.FirstPar;
    size_t start = 0;
    for (;;) {
      const size_t end = text.find('\r', start);
      const std::string_view part = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
      if (!part.empty()) t.InsertTextAt(p, TWPRTFText::ParLength(p), part, &a);
      if (end == std::string_view::npos) break;
      t.NewParagraph(p, 0);
      p->ChangeFlags |= wpcBreak | wpcMeasure;
      start = end + 1;
    }
    t.WritingAttr = a;
    t.FormatText();
    t.CursorPar = t.FirstPar;
    t.CursorLine = t.FirstPar->line;
    t.CursorOffset = 0;
    t.UpdateWritingAttr();
  }
  // Appends a run to a paragraph.
  void Add(TWPParagraphRec* p, std::string_view s, const TWPAttrRecord& a) {
    t.InsertTextAt(p, TWPRTFText::ParLength(p), s, &a);
  }

  std::string Text() const {
    std::string s;
    for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next) {
      if (p != t.FirstPar) s += '\r';
      for (const TWPLineRec* l = p->line; l; l = l->next) s.append(l->pc, l->Length);
    }
    return s;
  }
  int PosOf(const TWPTextPlace& place) const {
    int pos = 0, ln = 0, pn = 0;
    t.PositionOf(place.Par, place.Line, place.Offset, pos, ln, pn);
    return pos;
  }
  int Cursor() const { return PosOf({t.CursorPar, t.CursorLine, t.CursorOffset}); }
  void SetCursor(int pos) {
    t.MoveCursorToPosition(pos, 0);
    t.ScrollToCursor();
  }
  // The marked text, empty without a block.
  std::string Selected() const {
    int start = 0, length = 0;
    if (!t.GetBlock(start, length)) return {};
    return Text().substr(start, length);
  }
  void Type(std::string_view s) { t.InputString(s); }
  void Key(char c) { t.InputString(std::string(1, c)); }

  // The line holding an absolute position (the one the cursor shows it on).
  TWPLineRec* LineOf(int pos, TWPParagraphRec** par = nullptr) const {
    int off = 0;
    TWPLineRec* l = nullptr;
    TWPParagraphRec* p = nullptr;
    t.FindPosition(off, l, p, pos, 0);
    if (off >= l->Length && l->next) l = l->next;
    if (par) *par = p;
    return l;
  }
};

}  // namespace rtinput_test
