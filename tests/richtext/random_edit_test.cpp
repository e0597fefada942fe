// Randomised edits: every editing operation of the text model is applied at
// random places, and the same edit to a plain reference string (paragraph
// ends as '\r') with one tag per character. After every edit the model's
// text and tags must equal the reference and its chain invariants must hold.
// Runs for ORV_RICHTEXT_FUZZ_SECONDS (default 30) and at least 5000 edits.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/rtl/sysutils.h"
#include "richtext/model/finder.h"
#include "richtext/model/text.h"
#include "tests/richtext/model_helpers.h"

using namespace rt_test;

namespace {

class Fuzzer {
public:
  explicit Fuzzer(uint32_t seed) : rng_(seed) {}

  // One random edit; false when the model disagrees with the reference.
  void Step() {
    if (ref_.size() > 40000) shrink_ = true;
    if (ref_.size() < 2000) shrink_ = false;
    const int op = Rand(shrink_ ? 6 : 23);
    switch (op) {
      case 0: case 7: case 8: InsertChar(); break;
      case 1: case 9: DeleteChar(); break;
      case 2: case 10: DeleteTextAt(); break;
      case 3: DeleteParagraph(); break;
      case 4: case 11: ReplaceInLine(); break;
      case 5: SplitParagraph(); break;
      case 6: MoveCursor(); break;
      case 12: case 13: InsertTextAt(); break;
      case 14: InsertTextAtCursor(); break;
      case 15: SetAttrRange(); break;
      case 16: AppendLine(); break;
      case 17: SetParagraphText(); break;
      case 19: RemoveLine(); break;
      case 20: InsertParagraphs(); break;
      case 21: FindAll(); break;
      case 22: ReplaceAll(); break;
      default: AppendParagraph(); break;
    }
    ++steps_;
  }

  void Check() {
    std::string why;
    ASSERT_TRUE(t_.CheckChains(&why)) << why << " after step " << steps_ << " (" << last_ << ")";
    ASSERT_EQ(TextOf(t_), ref_) << "after step " << steps_ << " (" << last_ << ")";
    const auto attrs = AttrsOf(t_);
    for (size_t i = 0; i < ref_.size(); ++i) {
      if (ref_[i] != '\r') {
        ASSERT_EQ(attrs[i].Tag, tags_[i]) << "position " << i << " after " << last_;
      }
    }
  }

  int Steps() const { return steps_; }

private:
  int Rand(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  std::string RandomText() {
    const int kind = Rand(100);
    int len = kind == 0 ? 10000 + Rand(15000) : (kind < 10 ? Rand(200) : 1 + Rand(12));
    std::string s(len, ' ');
    for (char& c : s) c = static_cast<char>("abcdefgh xyz\xE4\xF6"[Rand(14)]);
    return s;
  }

  TWPAttrRecord NewAttr() { return Attr(static_cast<uint16_t>(1 + Rand(60000)), 0, static_cast<uint8_t>(Rand(120))); }

  // A random paragraph, line and offset (up to the line's length).
  void Place(TWPParagraphRec*& p, TWPLineRec*& l, int& off) {
    const int n = CountPars(t_);
    p = t_.ParagraphAt(Rand(n));
    const int nl = CountLines(p);
    l = p->line;
    for (int k = Rand(nl); k > 0; --k) l = l->next;
    off = Rand(l->Length + 1);
  }
  int Abs(TWPParagraphRec* p, TWPLineRec* l, int off) {
    int pos, ln, pn;
    t_.PositionOf(p, l, off, pos, ln, pn);
    return pos;
  }
  void Insert(int pos, const std::string& s, uint16_t tag) {
    ref_.insert(pos, s);
    tags_.insert(tags_.begin() + pos, s.size(), tag);
  }
  void Erase(int pos, int n) {
    ref_.erase(pos, n);
    tags_.erase(tags_.begin() + pos, tags_.begin() + pos + n);
  }

  void InsertChar() {
    last_ = "InsertChar";
    TWPParagraphRec* p;
    TWPLineRec* l;
    int off;
    Place(p, l, off);
    t_.InsertMode = Rand(4) != 0;
    t_.WritingAttr = NewAttr();
    const char c = static_cast<char>('A' + Rand(26));
    const int pos = Abs(p, l, off);
    const bool overwrite = !t_.InsertMode && off < l->Length;
    ASSERT_TRUE(t_.InsertChar(p, l, c, off));
    if (overwrite) Erase(pos, 1);
    Insert(pos, std::string(1, c), t_.WritingAttr.Tag);
    t_.InsertMode = true;
  }

  void DeleteChar() {
    last_ = "DeleteChar";
    TWPParagraphRec* p;
    TWPLineRec* l;
    int off;
    Place(p, l, off);
    const int pos = Abs(p, l, off);
    const bool inLine = off < l->Length;
    const bool joinsPar = !inLine && !l->next && p->next;
    const bool parWasEmpty = joinsPar && !p->line->next && p->line->Length == 0;
    t_.DeleteChar(p, l, off);
    if (inLine || joinsPar) Erase(pos, 1);
    (void)parWasEmpty;
  }

  void SplitParagraph() {
    last_ = "SplitParagraph";
    TWPParagraphRec* p;
    TWPLineRec* l;
    int off;
    Place(p, l, off);
    const int pos = Abs(p, l, off);
    ASSERT_TRUE(t_.SplitParagraph(p, l, off));
    Insert(pos, "\r", 0);
  }

  void ReplaceInLine() {
    last_ = "ReplaceInLine";
    TWPParagraphRec* p;
    TWPLineRec* l;
    int off;
    Place(p, l, off);
    const int del = Rand(8);
    const std::string s = Rand(3) ? RandomText() : std::string();
    const int pos = Abs(p, l, off);
    const int cut = std::min(del, l->Length - off);
    uint16_t tag;
    TWPAttrRecord a = NewAttr();
    const bool own = l->Length == 0 || Rand(2);
    if (own) tag = a.Tag;
    else tag = off < l->Length ? tags_[pos] : tags_[pos - 1];
    t_.ReplaceInLine(p, l, off, del, s.data(), static_cast<int>(s.size()), own ? &a : nullptr);
    Erase(pos, cut);
    Insert(pos, s, tag);
  }

  void InsertTextAt() {
    last_ = "InsertTextAt";
    TWPParagraphRec* p;
    TWPLineRec* l;
    int off;
    Place(p, l, off);
    const int len = TWPRTFText::ParLength(p);
    const int ppos = Rand(len + 3) - 1;  // a little outside too
    const int start = Abs(p, p->line, 0);
    const std::string s = RandomText();
    TWPAttrRecord a = NewAttr();
    const bool own = Rand(2);
    t_.InsertTextAt(p, ppos, s, own ? &a : nullptr);
    Insert(start + std::clamp(ppos, 0, len), s, own ? a.Tag : lastDeleted_);
  }

  void DeleteTextAt() {
    last_ = "DeleteTextAt";
    TWPParagraphRec* p;
    TWPLineRec* l;
    int off;
    Place(p, l, off);
    const int len = TWPRTFText::ParLength(p);
    const int ppos = Rand(len + 2);
    const int count = Rand(3) ? Rand(6) : Rand(300);
    const int start = Abs(p, p->line, 0);
    t_.DeleteTextAt(p, ppos, count);
    if (ppos < len && count > 0) {
      lastDeleted_ = tags_[start + ppos];
      Erase(start + ppos, std::min(count, len - ppos));
    }
  }

  void InsertTextAtCursor() {
    last_ = "InsertTextAtCursor";
    const int pos = Abs(t_.CursorPar, t_.CursorLine, t_.CursorOffset);
    const std::string s = RandomText();
    const TWPAttrRecord a = NewAttr();
    t_.InsertTextAtCursor(a, s);
    Insert(pos, s, a.Tag);
    ASSERT_EQ(Abs(t_.CursorPar, t_.CursorLine, t_.CursorOffset), pos + static_cast<int>(s.size()))
        << "the cursor ends behind the inserted text";
  }

  void SetAttrRange() {
    last_ = "SetAttrRange";
    TWPParagraphRec* p;
    TWPLineRec* l;
    int off;
    Place(p, l, off);
    const int len = TWPRTFText::ParLength(p);
    const int ppos = Rand(len + 1);
    const int count = Rand(40);
    const TWPAttrRecord a = NewAttr();
    const int start = Abs(p, p->line, 0);
    t_.SetAttrRange(p, ppos, a, count);
    for (int i = ppos; i < std::min(len, ppos + count); ++i) tags_[start + i] = a.Tag;
  }

  void AppendLine() {
    last_ = "AppendLine";
    TWPParagraphRec* p;
    TWPLineRec* l;
    int off;
    Place(p, l, off);
    const std::string s = RandomText();
    const TWPAttrRecord a = NewAttr();
    const int end = Abs(p, p->line, 0) + TWPRTFText::ParLength(p);
    t_.AppendLine(a, s, false, p);
    Insert(end, s, a.Tag);
  }

  void SetParagraphText() {
    last_ = "SetParagraphText";
    const int n = CountPars(t_);
    const int number = Rand(n + 1);
    TWPParagraphRec* p = t_.ParagraphAt(std::min(number, n - 1));
    const int start = Abs(p, p->line, 0);
    const int len = TWPRTFText::ParLength(p);
    const std::string s = RandomText().substr(0, 500);
    const TWPAttrRecord a = NewAttr();
    t_.SetParagraphText(number, s.data(), static_cast<int>(s.size()), &a);
    Erase(start, len);
    Insert(start, s, a.Tag);
  }

  void AppendParagraph() {
    last_ = "AppendParagraph";
    const int n = CountPars(t_);
    const int number = Rand(n + 1);
    const std::string s = RandomText().substr(0, 500);
    const TWPAttrRecord a = NewAttr();
    const bool intoEmpty = t_.IsEmpty() || (number == 0 && t_.IsEmpty());
    TWPParagraphRec* p = t_.ParagraphAt(std::min(number, n - 1));
    const bool emptyFirst = p == t_.FirstPar && !p->line->next && p->line->Length == 0;
    const int end = Abs(p, p->line, 0) + TWPRTFText::ParLength(p);
    t_.AppendParagraph(number, s.data(), static_cast<int>(s.size()), &a);
    if (intoEmpty || emptyFirst) {
      Insert(end, s, a.Tag);
    } else {
      Insert(end, "\r" + s, a.Tag);
    }
  }

  void DeleteParagraph() {
    last_ = "DeleteParagraph";
    const int n = CountPars(t_);
    const int number = Rand(n);
    TWPParagraphRec* p = t_.ParagraphAt(number);
    const int start = Abs(p, p->line, 0);
    const int len = TWPRTFText::ParLength(p);
    t_.DeleteParagraph(number);
    if (n == 1) Erase(start, len);
    else if (number == n - 1) Erase(start - 1, len + 1);  // with the end before it
    else Erase(start, len + 1);
  }

  void RemoveLine() {
    last_ = "RemoveLine";
    TWPParagraphRec* p;
    TWPLineRec* l;
    int off;
    Place(p, l, off);
    const int pos = Abs(p, l, 0);
    const int len = l->Length;
    const bool first = l == p->line, only = first && !l->next;
    const bool hasPrev = p->prev != nullptr, hasNext = p->next != nullptr;
    t_.RemoveLine(l, p);
    if (!first || (only && !hasPrev && !hasNext)) Erase(pos, len);
    else if (!hasPrev) Erase(pos, len + (only ? 1 : 0));  // with the end behind it
    else Erase(pos - 1, len + 1);                        // with the end before it
  }

  void InsertParagraphs() {
    last_ = "InsertParagraphs";
    // A separate chain of one to three paragraphs.
    TWPRTFText src;
    std::string chainText;
    TWPParagraphRec* c = src.FirstPar;
    const uint16_t tag = static_cast<uint16_t>(1 + Rand(60000));
    for (int k = Rand(3); k >= 0; --k) {
      const std::string s = RandomText().substr(0, 50);
      src.AppendLine(Attr(tag), s, false, c);
      chainText += s;
      if (k) {
        src.NewParagraph(c, 0);
        chainText += '\r';
      }
    }
    TWPParagraphRec* chain = src.FirstPar;
    src.FirstPar = nullptr;
    src.CursorPar = nullptr;
    src.CursorLine = nullptr;
    TWPParagraphRec* p;
    TWPLineRec* l;
    int off;
    Place(p, l, off);
    const bool empty = t_.IsEmpty();
    const int pos = Abs(p, l, off);
    ASSERT_TRUE(t_.InsertParagraphs(p, l, chain, off));
    if (empty) {
      ref_.clear();
      tags_.clear();
      Insert(0, chainText, tag);
    } else {
      Insert(pos, chainText, tag);
      ASSERT_EQ(Abs(p, l, off), pos + static_cast<int>(chainText.size())) << "the place ends behind the text";
    }
  }

  // A pattern taken from the text (so that it is found), or a random one.
  std::string Pattern() {
    std::string pat;
    if (!ref_.empty() && Rand(4)) pat = ref_.substr(Rand(static_cast<int>(ref_.size())), 1 + Rand(4));
    else pat = RandomText().substr(0, 1 + Rand(3));
    if (Rand(2)) pat = AnsiUpperCase(pat);
    return pat;
  }
  // Match starts of the reference, left to right, never over a paragraph end.
  std::vector<int> RefMatches(const std::string& pat) {
    std::vector<int> at;
    const std::string text = AnsiLowerCase(ref_), p = AnsiLowerCase(pat);
    if (p.empty() || p.find('\r') != std::string::npos) return at;
    for (size_t i = text.find(p); i != std::string::npos; i = text.find(p, i + 1)) at.push_back(static_cast<int>(i));
    return at;
  }

  void FindAll() {
    last_ = "FindAll";
    const std::string pat = Pattern();
    TWPTextFinder f(&t_);
    f.SetContinueAfterMatch(true);
    std::vector<int> at;
    while (f.Find(pat)) {
      at.push_back(f.FoundPosition());
      ASSERT_LT(at.size(), ref_.size() + 2) << "the finder runs in circles";
    }
    std::vector<int> want;
    for (int i : RefMatches(pat))
      if (want.empty() || i >= want.back() + static_cast<int>(pat.size())) want.push_back(i);
    ASSERT_EQ(at, want) << "pattern '" << pat << "'";
  }

  void ReplaceAll() {
    last_ = "ReplaceAll";
    const std::string pat = Pattern();
    const std::string rep = Rand(3) ? pat + pat.substr(0, 1) : std::string();  // often contains the pattern
    int count = 0, shift = 0, lastEnd = 0;
    const std::vector<int> matches = RefMatches(pat);
    for (int i : matches) {
      if (i < lastEnd) continue;  // overlaps the previous match
      const int at = i + shift;
      const uint16_t tag = tags_[at];
      lastDeleted_ = tag;  // the model remembers the deleted text's attribute
      Erase(at, static_cast<int>(pat.size()));
      Insert(at, rep, tag);
      shift += static_cast<int>(rep.size()) - static_cast<int>(pat.size());
      lastEnd = i + static_cast<int>(pat.size());
      ++count;
    }
    TWPTextFinder f(&t_);
    f.ReplaceAll(pat, rep);
    ASSERT_EQ(f.ReplaceCount(), count) << "pattern '" << pat << "'";
  }

  void MoveCursor() {
    last_ = "MoveCursor";
    TWPParagraphRec* p;
    TWPLineRec* l;
    int off;
    Place(p, l, off);
    t_.CursorPar = p;
    t_.CursorLine = l;
    t_.CursorOffset = off;
  }

  std::mt19937 rng_;
  TWPRTFText t_;
  std::string ref_;
  std::vector<uint16_t> tags_;
  uint16_t lastDeleted_ = 0;
  bool shrink_ = false;
  int steps_ = 0;
  const char* last_ = "";
};

}  // namespace

TEST(TextModelRandomEdits, ModelMatchesAPlainReference) {
  double seconds = 30;
  if (const char* env = std::getenv("ORV_RICHTEXT_FUZZ_SECONDS")) seconds = std::atof(env);
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  int total = 0;
  auto timeUp = [&] { return total >= 5000 && std::chrono::steady_clock::now() >= until; };
  for (uint32_t seed = 1; !timeUp(); ++seed) {
    Fuzzer f(seed);
    for (int i = 0; i < 2000 && !timeUp(); ++i, ++total) {
      f.Step();
      if (testing::Test::HasFatalFailure()) return;
      f.Check();
      if (testing::Test::HasFatalFailure()) {
        ADD_FAILURE() << "seed " << seed;
        return;
      }
    }
  }
  std::printf("%d random edits checked\n", total);
  EXPECT_GE(total, 5000);
}
