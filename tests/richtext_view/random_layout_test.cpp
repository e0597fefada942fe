// Randomised edits, formats and view changes against the layout: after each
// edit the chains hold; a paragraph re-laid out alone breaks exactly as a
// full pass breaks it; cursor and block stay on their characters; painting
// never raises. Time-bounded: ORV_FUZZ_SECONDS (default 20 s).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>

#include "platform/gfx/recorder.h"
#include "tests/richtext_view/view_helpers.h"

using namespace rtview_test;

namespace {

// Widths that differ per character and grow with the size.
class VaryingMetrics : public TWPTextMetrics {
public:
  const TWPFontMetrics& Measure(const TFontRequest& r) override {
    for (auto& [req, m] : cache_)
      if (req == r) return m;
    TWPFontMetrics m;
    const int em = r.Height < 0 ? -r.Height : 13;
    for (int c = 0; c < 256; ++c) m.Widths[c] = std::max(1, em * (3 + c % 5) / 8 + (r.Style.Contains(fsBold) ? 1 : 0));
    m.Height = em + em / 4 + 1;
    m.Ascent = em;
    cache_.emplace_back(r, m);
    return cache_.back().second;
  }

private:
  std::vector<std::pair<TFontRequest, TWPFontMetrics>> cache_;
};

struct Fuzz {
  std::mt19937 rng;
  std::vector<std::string> words;
  explicit Fuzz(uint32_t seed) : rng(seed) {
    for (const std::string& s : SampleEvents()) {
      size_t i = 0;
      while (i < s.size()) {
        const size_t e = s.find(' ', i);
        words.push_back(s.substr(i, e == std::string::npos ? std::string::npos : e - i));
        if (e == std::string::npos) break;
        i = e + 1;
      }
      if (words.size() > 400) break;
    }
  }
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  std::string Text() {
    std::string s;
    const int n = Pick(0, 12);
    for (int i = 0; i < n; ++i) {
      const int k = Pick(0, 30);
      if (k == 0) s += '\t';
      else if (k == 1) s += '\n';
      else if (k == 2) s += std::string(Pick(30, 80), 'W');  // longer than a line
      else s += words[Pick(0, static_cast<int>(words.size()) - 1)];
      s += Pick(0, 4) ? " " : "";
    }
    return s;
  }
  TWPAttrRecord Attribute() {
    static const uint32_t styles[] = {0, wpsBold, wpsItalic, wpsUnderline, wpsHyperlink, wpsHidden, wpsSuperScript,
                                      wpsSubScript, wpsBold | wpsHyperlink};
    return Attr(styles[Pick(0, 8)], static_cast<uint8_t>(Pick(0, 2)), static_cast<uint8_t>(Pick(0, 3) ? Pick(6, 24) : 0),
                static_cast<uint8_t>(Pick(0, 255)));
  }
  void Format(TWPRTFTextPaint& t, TWPParagraphRec* p) {
    p->Align = static_cast<uint8_t>(Pick(0, 3));
    p->FirstIndent = Pick(-200, 2000);
    p->LeftIndent = Pick(0, 3000);
    p->RightIndent = Pick(0, 4000);
    p->SpaceBefore = Pick(0, 300);
    p->SpaceAfter = Pick(0, 300);
    p->LineSpacing = Pick(0, 3) ? 0 : Pick(-400, 600);
    p->Flags = static_cast<uint8_t>((Pick(0, 8) == 0 ? wppPageBreak : 0) | (Pick(0, 6) == 0 ? wppKeepTogether : 0) |
                                    (Pick(0, 5) == 0 ? wppJustifyLast : 0));
    p->BorderFlags = static_cast<uint8_t>(Pick(0, 4) == 0 ? Pick(0, 255) : 0);
    p->BorderColor = static_cast<uint8_t>(Pick(0, 255));
    p->Tabs = 0;
    for (int i = Pick(0, 3); i > 0; --i) {
      p->Tabs |= t.Header->AddTab(Pick(0, 3), Pick(1, 9000));
      t.Header->CurrentTabs = 0;
    }
    // Now and then a table row of this paragraph and the next.
    if (p->next && Pick(0, 5) == 0) {
      p->Flags = wppTableCell | wppRowGoesOn;
      p->next->Flags = wppTableCell | wppRowContinues;
      p->ColStart = 0;
      p->ColWidth = static_cast<uint8_t>(Pick(20, 200));
      p->next->ColStart = p->ColWidth;
      p->next->ColWidth = static_cast<uint8_t>(255 - p->ColWidth);
      p->next->ChangeFlags |= wpcBreak | wpcMeasure;
    }
    p->ChangeFlags |= wpcBreak | wpcMeasure;
  }
  // (line, offset) of a random place in a paragraph.
  TWPTextPlace Place(TWPParagraphRec* p) {
    TWPTextPlace at{p, nullptr, 0};
    TWPRTFText::LocateInPar(p, Pick(0, TWPRTFText::ParLength(p)), at.Line, at.Offset);
    return at;
  }
  TWPParagraphRec* AnyPar(TWPRTFTextPaint& t) {
    int n = 0;
    for (TWPParagraphRec* p = t.FirstPar; p; p = p->next) ++n;
    return t.ParagraphAt(Pick(0, n - 1));
  }
};

std::string Escaped(std::string s) {
  std::string o;
  for (char c : s) o += c == '\n' ? std::string("\\n") : c == '\t' ? std::string("\\t") : std::string(1, c);
  return o;
}

std::vector<std::string> AllLines(const TWPRTFTextPaint& t) {
  std::vector<std::string> v;
  for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next) {
    for (const TWPLineRec* l = p->line; l; l = l->next)
      v.push_back(Escaped(std::string(l->pc, l->Length)) + " @" + std::to_string(l->Height) + "/" + std::to_string(l->Ascent));
    v.emplace_back("|");
  }
  return v;
}

}  // namespace

TEST(RandomLayout, EditsAndViewChangesKeepTheLayoutSound) {
  const char* env = std::getenv("ORV_FUZZ_SECONDS");
  const double seconds = env ? std::atof(env) : 20.0;
  const auto start = std::chrono::steady_clock::now();
  VaryingMetrics metrics;
  TRecordingDevice device;
  TCanvas canvas(&device);
  long rounds = 0;
  // ORV_FUZZ_SEED starts at a given seed (to repeat a failure).
  const char* first = std::getenv("ORV_FUZZ_SEED");
  for (uint32_t seed = first ? static_cast<uint32_t>(std::atol(first)) : 1;; ++seed) {
    if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > seconds) break;
    Fuzz f(seed);
    TWPRTFTextPaint t;
    t.Metrics = &metrics;
    t.SetCanvas(&canvas);
    t.AttachedToWindow = true;
    t.VisibleHeight = 400;
    t.SetWordWrap(f.Pick(0, 3) != 0);
    t.SetWindowWidth(f.Pick(1, 700));
    for (int i = f.Pick(1, 12); i > 0; --i) {
      TWPParagraphRec* p = t.IsEmpty() ? t.FirstPar : NewPar(t);
      for (int k = f.Pick(0, 4); k > 0; --k) AddRun(t, p, f.Text(), f.Attribute());
      f.Format(t, p);
    }
    t.FormatText();
    ExpectLaidOut(t);
    for (int step = 0; step < 40; ++step) {
      TWPParagraphRec* p = f.AnyPar(t);
      const int len = TWPRTFText::ParLength(p);
      const int op = f.Pick(0, 9);
      // Keeping the block across edits is the selection's business; an
      // edit here drops it, as the editing commands do.
      if (op <= 4) t.ClearBlock();
      switch (op) {
        case 0: {
          // Typing marks only the line; the typist measures the paragraph.
          const TWPTextPlace at = f.Place(p);
          t.InsertChar(p, at.Line, static_cast<char>(f.Pick(0, 6) ? 'a' + f.Pick(0, 25) : ' '), at.Offset);
          p->ChangeFlags |= wpcMeasure;
          break;
        }
        case 1: {
          const TWPTextPlace at = f.Place(p);
          t.DeleteChar(p, at.Line, at.Offset);
          break;
        }
        case 2: {
          const TWPAttrRecord a = f.Attribute();
          t.InsertTextAt(p, f.Pick(0, len), f.Text(), &a);
          break;
        }
        case 3:
          t.DeleteTextAt(p, f.Pick(0, len), f.Pick(1, 40));
          break;
        case 4: {
          const TWPTextPlace at = f.Place(p);
          t.SplitParagraph(p, at.Line, at.Offset);
          break;
        }
        case 5:
          f.Format(t, p);
          break;
        case 6: {
          // A block between two places, either way round.
          t.SetBlock(f.Place(p), f.Place(f.AnyPar(t)));
          break;
        }
        case 7:
          t.SetWindowWidth(f.Pick(1, 700));
          break;
        case 8:
          t.SetZooming(f.Pick(0, 2) ? 100 : f.Pick(50, 250));
          break;
        default: {
          const TWPTextPlace at = f.Place(p);
          t.CursorPar = p;
          t.CursorLine = at.Line;
          t.CursorOffset = at.Offset;
          break;
        }
      }
      ExpectChains(t);
      // Every tab stop a paragraph refers to exists.
      for (TWPParagraphRec* q = t.FirstPar; q; q = q->next)
        for (int k = 0; k < kWPTabSlots; ++k)
          if ((q->Tabs >> k) & 1) {
            ASSERT_NE(t.Header->TabTwips[k], 0) << "slot " << k << " seed " << seed;
          }
      // The edited paragraphs alone, then a full pass: the same lines.
      for (TWPParagraphRec* q = t.FirstPar; q; q = q->next)
        if (q->ChangeFlags & (wpcBreak | wpcMeasure)) {
          q->ChangeFlags |= wpcMeasure;
          t.UpdateParagraph(q);
        }
      ExpectChains(t);
      const int cursorPos = t.CursorLine ? TWPRTFText::PosInPar(t.CursorPar, t.CursorLine, t.CursorOffset) : -1;
      const std::vector<std::string> incremental = AllLines(t);
      const int total = t.TotalHeight;
      t.FormatText();
      ExpectLaidOut(t);
      const std::vector<std::string> full = AllLines(t);
      ASSERT_EQ(full.size(), incremental.size()) << "seed " << seed << " step " << step << " op " << op;
      for (size_t i = 0; i < full.size(); ++i)
        ASSERT_EQ(full[i], incremental[i]) << "seed " << seed << " step " << step << " line " << i << " op " << op;
      EXPECT_EQ(t.TotalHeight, total) << "seed " << seed << " step " << step;
      if (cursorPos >= 0) {
        EXPECT_EQ(TWPRTFText::PosInPar(t.CursorPar, t.CursorLine, t.CursorOffset), cursorPos);
      }
      device.Clear();
      ASSERT_NO_THROW(t.PaintAll());
      ASSERT_NO_THROW(t.PaintLine(t.CursorPar, t.CursorLine));
      if (HasFailure()) return;
      ++rounds;
    }
  }
  EXPECT_GT(rounds, 40);
}
