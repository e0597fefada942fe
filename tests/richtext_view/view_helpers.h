// Helpers shared by the layout and painting tests: fixed-width metrics,
// documents built through the model's editing operations with the chain
// check after every edit, and a walk that checks the layout's invariants.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/qt/qt_host.h"
#include "platform/rtl/cp1252.h"
#include "richtext/view/paint.h"
#include "tests/richtext_io/io_helpers.h"
#include "tests/test_paths.h"

namespace rtview_test {

// Every character `width` pixels, a blank `blank`; bold characters two
// pixels wider. Height is the em plus 4, the ascent the em.
class FixedMetrics : public TWPTextMetrics {
public:
  explicit FixedMetrics(int width = 10, int blank = 5) : width_(width), blank_(blank) {}
  int requests = 0;
  const TWPFontMetrics& Measure(const TFontRequest& r) override {
    ++requests;
    for (auto& [req, m] : cache_)
      if (req == r) return m;
    TWPFontMetrics m;
    const int w = width_ + (r.Style.Contains(fsBold) ? 2 : 0);
    for (int& x : m.Widths) x = w;
    m.Widths[' '] = blank_;
    m.Widths['\t'] = blank_;
    const int em = r.Height < 0 ? -r.Height : 13;
    m.Height = em + 4;
    m.Ascent = em;
    cache_.emplace_back(r, m);
    return cache_.back().second;
  }

private:
  int width_, blank_;
  std::vector<std::pair<TFontRequest, TWPFontMetrics>> cache_;
};

// The toolkit's graphics (real fonts, PNG, PDF), started once.
inline void StartGraphics() { qthost::EnsureGuiApplication(); }

// Where pictures and documents the tests write go (in the build tree).
inline std::string ArtifactPath(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(testpaths::BinaryDir()) / "test-artifacts" / "richtext";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

// German sentences of the sample data's world events (Windows-1252), the
// person links "[[text|id]]" reduced to their visible text.
inline std::vector<std::string> SampleEvents() {
  std::ifstream f(testpaths::SourceDir() + "/data/ereignisse.txt");
  std::vector<std::string> out;
  std::string line;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t a = line.find('|'), b = line.find('|', a + 1);
    if (a == std::string::npos || b == std::string::npos) continue;
    std::string text = line.substr(b + 1), plain;
    for (size_t i = 0; i < text.size();) {
      if (text.compare(i, 2, "[[") == 0) {
        const size_t bar = text.find('|', i), end = text.find("]]", i);
        if (bar != std::string::npos && end != std::string::npos && bar < end) {
          plain += text.substr(i + 2, bar - i - 2);
          i = end + 2;
          continue;
        }
      }
      plain += text[i++];
    }
    AnsiString cp;
    if (Utf8ToCp1252(plain, cp)) out.push_back(cp);
  }
  return out;
}

using rtio_test::Attr;

inline void ExpectChains(const TWPRTFText& t) {
  std::string why;
  EXPECT_TRUE(t.CheckChains(&why)) << why;
}

// Appends a run to the end of a paragraph through the model's editing
// operation; the chains are checked after it.
inline void AddRun(TWPRTFTextPaint& t, TWPParagraphRec* p, std::string_view s, const TWPAttrRecord& a = Attr()) {
  t.InsertTextAt(p, TWPRTFText::ParLength(p), s, &a);
  ExpectChains(t);
}

// A new paragraph after the last one, taking its formatting.
inline TWPParagraphRec* NewPar(TWPRTFTextPaint& t) {
  TWPParagraphRec* p = t.LastParagraph();
  t.NewParagraph(p, 0);
  p->ChangeFlags |= wpcBreak | wpcMeasure;
  ExpectChains(t);
  return p;
}

// The text of each line of a paragraph.
inline std::vector<std::string> Lines(const TWPParagraphRec* p) {
  std::vector<std::string> out;
  for (const TWPLineRec* l = p->line; l; l = l->next) out.emplace_back(l->pc, l->Length);
  return out;
}

inline int LineCount(const TWPRTFText& t) {
  int n = 0;
  for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next)
    for (const TWPLineRec* l = p->line; l; l = l->next) ++n;
  return n;
}

// x of the first pixel of character `index` of a line, as painting and the
// cursor place it (layout coordinates).
inline int CharX(const TWPRTFTextPaint& t, const TWPParagraphRec* p, const TWPLineRec* l, int index) {
  int x = t.LineStart(p, l), extra = 0;
  for (int i = 0; i < index; ++i) x += t.CharAdvance(p, l, i, x, extra);
  return x;
}

// The layout's invariants after a complete pass: no change bits, tops that
// add up (rows share their top), lines within the capacity limit, and no
// line wider than its room unless it holds a single visible character or
// ends in blanks.
inline void ExpectLaidOut(TWPRTFTextPaint& t) {
  ExpectChains(t);
  int64_t top = 0;
  for (TWPParagraphRec* p = t.FirstPar; p; p = p->next) {
    EXPECT_EQ(p->ChangeFlags & (wpcBreak | wpcMeasure), 0) << "paragraph still marked";
    if (p->Flags & wppTableCell) {
      // Cells of one row share its top; the row ends at its tallest cell.
      TWPParagraphRec* q = p;
      int64_t rowHeight = 0;
      for (;;) {
        int64_t h = 0;
        for (TWPLineRec* l = q->line; l; l = l->next) {
          EXPECT_EQ(l->Top, top + h);
          h += l->Height;
        }
        rowHeight = std::max(rowHeight, h);
        if (!(q->Flags & wppRowGoesOn) || !q->next) break;
        q = q->next;
      }
      top += rowHeight;
      p = q;
      continue;
    }
    for (TWPLineRec* l = p->line; l; l = l->next) {
      EXPECT_EQ(l->Top, top);
      EXPECT_LE(l->Length, kWPMaxLineChars);
      // (Lines with tabs are measured by their stops, not by LineWidth.)
      int visible = 0;
      bool tab = false;
      for (int i = 0; i < l->Length; ++i) {
        if (!l->pa || !t.CharHidden(l->pa[i])) ++visible;
        tab = tab || l->pc[i] == '\t';
      }
      if (visible > 1 && !tab && !(p->Align == 1 || p->Align == 2)) {
        EXPECT_LT(t.LineWidth(l), t.AvailableWidth(p, l) + 1) << "line too wide: " << std::string(l->pc, l->Length);
      }
      top += l->Height;
    }
  }
  EXPECT_EQ(t.TotalHeight, top);
}

}  // namespace rtview_test
