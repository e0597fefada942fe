// A randomised editing session against a plain reference: key presses
// (characters, Enter, line feed, tab, Backspace, Delete, every movement key
// with and without Shift), mouse clicks and drags, selections by position,
// attribute and paragraph commands, scrolling, resizing and word-wrap
// switches, on German text with hyperlinks and their hidden stamps. After
// every step the engine's text, hidden characters, cursor and selection equal
// the reference's, the model's chains and the layout hold, and after every
// move or edit the caret is in view.
// The first session (fixed seed) runs at least 5 000 steps; further sessions
// run until ORV_FUZZ_SECONDS (default 20) have passed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <random>

#include "platform/rtl/sysutils.h"
#include "tests/richtext_view/input_helpers.h"

using namespace rtinput_test;

namespace {

// The reference: the text with '\r' between paragraphs, which characters are
// hidden, the cursor, the selection's anchor and moving end (-1: none) and
// whether the last move extended it.
struct Reference {
  std::string text;
  std::vector<bool> hidden;
  int cursor = 0, anchor = -1, end = -1;
  bool extending = false;

  int size() const { return static_cast<int>(text.size()); }
  int ParStart(int p) const {
    while (p > 0 && text[p - 1] != '\r') --p;
    return p;
  }
  int ParEnd(int p) const {
    while (p < size() && text[p] != '\r') ++p;
    return p;
  }
  bool Hidden(int p) const { return p >= 0 && p < size() && hidden[p]; }
  bool Word(int p) const { return IsCharAlphaNumeric(text[p]); }
  int FirstShown(int parStart) const {
    int q = parStart;
    const int e = ParEnd(parStart);
    while (q < e && Hidden(q)) ++q;
    return q;
  }
  bool HasBlock() const { return anchor >= 0 && end >= 0 && anchor != end; }
  void Insert(int p, char c) {
    text.insert(text.begin() + p, c);
    hidden.insert(hidden.begin() + p, false);
  }
  void Erase(int p, int n = 1) {
    text.erase(p, n);
    hidden.erase(hidden.begin() + p, hidden.begin() + p + n);
  }
  // Before an edit: a block goes (the cursor to its start), an anchor too.
  // True when a block was deleted.
  bool ClearForEdit() {
    const bool block = HasBlock();
    if (block) {
      const int a = std::min(anchor, end), b = std::max(anchor, end);
      Erase(a, b - a);
      cursor = a;
    }
    anchor = end = -1;
    extending = false;
    return block;
  }
  void Type(char c) {
    ClearForEdit();
    int p = cursor;
    const int ps = ParStart(p), pe = ParEnd(p);
    if (p > ps && Hidden(p - 1) && p < pe && Hidden(p))
      while (p < pe && Hidden(p)) ++p;
    Insert(p, c);
    cursor = p + 1;
  }
  void Enter() {
    ClearForEdit();
    int p = cursor;
    const int pe = ParEnd(p);
    while (p < pe && Hidden(p)) ++p;
    Insert(p, '\r');
    cursor = p + 1;
  }
  void Backspace() {
    if (ClearForEdit()) return;
    const int ps = ParStart(cursor);
    int q = cursor - 1;
    while (q >= ps && Hidden(q)) --q;
    if (q >= ps) {
      Erase(q);
      cursor = q;
    } else if (ps > 0) {
      Erase(ps - 1);
      cursor = ps - 1;
    }
  }
  void Delete() {
    if (ClearForEdit()) return;
    const int pe = ParEnd(cursor);
    int q = cursor;
    while (q < pe && Hidden(q)) ++q;
    if (q < pe) {
      Erase(q);
    } else if (pe < size()) {
      Erase(pe);
      cursor = pe;
    }
  }
  // Moves: the start of an extension, the move, its end.
  void Begin(bool extend) {
    if (!extend) {
      extending = false;
      return;
    }
    if (anchor >= 0 && (extending || (end >= 0 ? end == cursor : anchor == cursor))) return;
    anchor = cursor;
    end = -1;
  }
  void Finish(bool extend) {
    if (!extend) return;
    end = cursor;
    extending = true;
  }
  void Left() {
    const int ps = ParStart(cursor);
    int q = cursor - 1;
    while (q >= ps && Hidden(q)) --q;
    if (q >= ps) cursor = q;
    else if (ps > 0) cursor = ps - 1;
  }
  void Right() {
    const int pe = ParEnd(cursor);
    if (cursor < pe) {
      int q = cursor + 1;
      while (q < pe && Hidden(q)) ++q;
      cursor = q;
    } else if (pe < size()) {
      cursor = FirstShown(pe + 1);
    }
  }
  // Word moves stay in the line [ls, le) that holds the cursor.
  void WordLeft(int ls) {
    bool anyShown = false;
    for (int k = ls; k < cursor; ++k) anyShown = anyShown || !Hidden(k);
    if (!anyShown) {
      Left();
      return;
    }
    int q = cursor - 1;
    while (q > ls && (Hidden(q) || !Word(q))) --q;
    if (!Hidden(q) && Word(q)) {
      for (int k = q - 1; k >= ls; --k) {
        if (Hidden(k)) continue;
        if (!Word(k)) break;
        q = k;
      }
    } else {
      q = ls;
    }
    while (q < cursor && Hidden(q)) ++q;
    cursor = q;
  }
  void WordRight(int le) {
    if (cursor >= le) {
      Right();
      return;
    }
    int q = cursor;
    while (q < le && (Hidden(q) || !Word(q))) ++q;
    while (q < le && (Hidden(q) || Word(q))) ++q;
    cursor = q;
  }
};

// Control characters shown as ^J and the like, for messages.
std::string Visible(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (static_cast<unsigned char>(c) < 32) out += "^" + std::string(1, static_cast<char>(c + 64));
    else out += c;
  }
  return out;
}

class Session {
public:
  Session(uint32_t seed, Editor& e) : rng_(seed), e_(e) {
    for (const std::string& s : rtview_test::SampleEvents()) {
      for (size_t i = 0; i < s.size();) {
        const size_t sp = s.find(' ', i);
        const std::string w = s.substr(i, sp == std::string::npos ? std::string::npos : sp - i);
        if (!w.empty()) words_.push_back(w);
        if (sp == std::string::npos) break;
        i = sp + 1;
      }
      if (words_.size() > 600) break;
    }
  }

  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  // A few paragraphs of words, some of them hyperlinks with their stamps.
  void Build() {
    e_.Load("");
    ref_ = Reference();
    TWPParagraphRec* p = e_.t.FirstPar;
    const int pars = Pick(2, 12);
    for (int k = 0; k < pars; ++k) {
      if (k) {
        e_.t.NewParagraph(p, 0);
        p->ChangeFlags |= wpcBreak | wpcMeasure;
        Add(p, "\r", Attr(), false);
      }
      const int n = Pick(0, 40);
      for (int i = 0; i < n; ++i) {
        const std::string& w = words_[Pick(0, static_cast<int>(words_.size()) - 1)];
        if (Pick(0, 6) == 0) {
          Add(p, w, Attr(wpsHyperlink), false);
          Add(p, "p:" + std::to_string(Pick(1, 999)), Attr(wpsHidden), true);
        } else {
          Add(p, w, Attr(Pick(0, 5) == 0 ? wpsBold : 0), false);
        }
        if (i + 1 < n) Add(p, " ", Attr(), false);
      }
    }
    e_.t.FormatText();
    e_.t.CursorCommand(ccTextStart);
    ref_.cursor = ref_.FirstShown(0);
  }

  // One step; false after a mismatch (reported).
  bool Step(int step) {
    const int op = Pick(0, 999);
    bool moved = true;
    if (op < 300) {
      static const char* const kChars = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789   .,-;:!?";
      static const unsigned char kGerman[] = {0xE4, 0xF6, 0xFC, 0xC4, 0xD6, 0xDC, 0xDF, 0x84, 0x93, 0x92};
      const char c = Pick(0, 5) ? kChars[Pick(0, 71)] : static_cast<char>(kGerman[Pick(0, 9)]);
      Log("type '" + std::string(1, c) + "'");
      e_.Key(c);
      ref_.Type(c);
    } else if (op < 340) {
      Log("enter");
      e_.Key('\r');
      ref_.Enter();
    } else if (op < 350) {
      const char c = Pick(0, 1) ? '\n' : '\t';
      Log(c == '\n' ? "line feed" : "tab");
      e_.Key(c);
      ref_.Type(c);
    } else if (op < 430) {
      Log("backspace");
      e_.Key(8);
      ref_.Backspace();
    } else if (op < 490) {
      Log("delete");
      e_.Key(127);
      ref_.Delete();
    } else if (op < 630) {
      const bool extend = Pick(0, 2) == 0, left = Pick(0, 1);
      Prepare(extend);
      const int n = Pick(1, 3);
      Log(std::string(left ? "left" : "right") + " x" + std::to_string(n) + (extend ? " shift" : ""));
      ref_.Begin(extend);
      for (int i = 0; i < n; ++i) left ? ref_.Left() : ref_.Right();
      ref_.Finish(extend);
      left ? e_.t.CursorLeft(n, extend) : e_.t.CursorRight(n, extend);
    } else if (op < 710) {
      const bool extend = Pick(0, 2) == 0, left = Pick(0, 1);
      Prepare(extend);
      Log(std::string(left ? "word left" : "word right") + (extend ? " shift" : ""));
      // The word moves work in the line that holds the cursor's position.
      int ls = 0, le = 0;
      LineBounds(ref_.cursor, ls, le);
      ref_.Begin(extend);
      left ? ref_.WordLeft(ls) : ref_.WordRight(le);
      ref_.Finish(extend);
      left ? e_.t.WordLeft(1, extend) : e_.t.WordRight(1, extend);
    } else if (op < 770) {
      const bool extend = Pick(0, 2) == 0;
      const int kind = Pick(0, 3);
      Prepare(extend);
      const int before = LineIndex();
      static const char* const kNames[] = {"up", "down", "page up", "page down"};
      Log(std::string(kNames[kind]) + (extend ? " shift" : ""));
      ref_.Begin(extend);
      if (kind == 0) e_.t.CursorUp(1, extend);
      else if (kind == 1) e_.t.CursorDown(1, extend);
      else e_.t.CursorCommand(kind == 2 ? ccPageUp : ccPageDown, extend);
      // The line follows the key; the place in it is the geometry's.
      const int after = LineIndex(), last = rtview_test::LineCount(e_.t) - 1;
      if (kind == 0 && after != std::max(0, before - 1)) return Fail(step, "up went to line " + std::to_string(after));
      if (kind == 1 && after != std::min(last, before + 1)) return Fail(step, "down went to line " + std::to_string(after));
      if (kind == 2 && after > before) return Fail(step, "page up went down");
      if (kind == 3 && after < before) return Fail(step, "page down went up");
      ref_.cursor = e_.Cursor();
      ref_.Finish(extend);
    } else if (op < 820) {
      const bool extend = Pick(0, 2) == 0;
      const int kind = Pick(0, 5);
      Prepare(extend);
      static const char* const kNames[] = {"home", "end", "ctrl home", "ctrl end", "paragraph up", "paragraph down"};
      Log(std::string(kNames[kind]) + (extend ? " shift" : ""));
      const int ls = e_.PosOf({e_.t.CursorPar, e_.t.CursorLine, 0});
      const int le = ls + e_.t.CursorLine->Length;
      ref_.Begin(extend);
      const int ps = ref_.ParStart(ref_.cursor), pe = ref_.ParEnd(ref_.cursor);
      switch (kind) {
        case 0: {
          int q = ls;
          while (q < le && ref_.Hidden(q)) ++q;
          ref_.cursor = q;
          e_.t.CursorCommand(ccLineStart, extend);
          break;
        }
        case 1:
          ref_.cursor = le;
          e_.t.CursorCommand(ccLineEnd, extend);
          break;
        case 2:
          ref_.cursor = ref_.FirstShown(0);
          e_.t.CursorCommand(ccTextStart, extend);
          break;
        case 3:
          ref_.cursor = ref_.size();
          e_.t.CursorCommand(ccTextEnd, extend);
          break;
        case 4:
          if (ref_.cursor > ref_.FirstShown(ps)) ref_.cursor = ref_.FirstShown(ps);
          else if (ps > 0) ref_.cursor = ref_.FirstShown(ref_.ParStart(ps - 1));
          e_.t.CursorCommand(ccParagraphUp, extend);
          break;
        default:
          ref_.cursor = pe < ref_.size() ? ref_.FirstShown(pe + 1) : pe;
          e_.t.CursorCommand(ccParagraphDown, extend);
          break;
      }
      ref_.Finish(extend);
    } else if (op < 880) {
      // A click on a character, sometimes dragged to another.
      const int a = Pick(0, ref_.size());
      const bool drag = Pick(0, 2) == 0;
      const int b = drag ? Pick(0, ref_.size()) : a;
      Log("click " + std::to_string(a) + (drag ? " drag to " + std::to_string(b) : ""));
      Click(a, false);
      ref_.cursor = PastHidden(a);
      ref_.anchor = ref_.cursor;
      ref_.end = -1;
      ref_.extending = true;
      if (drag) {
        Click(b, true);
        const int to = PastHidden(b);
        if (to != ref_.cursor) {
          ref_.cursor = to;
          ref_.end = to;
        }
      }
    } else if (op < 910) {
      moved = false;
      const int start = Pick(-2, ref_.size() + 2), length = Pick(-1, 40);
      Log("select " + std::to_string(start) + " " + std::to_string(length));
      e_.t.SetSelection(start, length);
      ref_.extending = false;
      if (length < 1) {
        ref_.anchor = ref_.end = -1;
      } else {
        ref_.anchor = std::clamp(start, 0, ref_.size());
        ref_.end = std::min(std::max(start, 0) + length, ref_.size());
      }
    } else if (op < 915) {
      moved = false;
      Log("select all");
      e_.t.SetSelection(0, 268435455);
      ref_.extending = false;
      ref_.anchor = 0;
      ref_.end = ref_.size();
    } else if (op < 935) {
      moved = false;
      const bool add = Pick(0, 1);
      Log(add ? "bold" : "not bold");
      e_.t.SetWritingAttr(add ? wpmAddStyle : wpmRemoveStyle, Attr(wpsBold));
    } else if (op < 955) {
      moved = false;
      Log("paragraph format");
      if (Pick(0, 1)) e_.t.SetParagraphAlignment(static_cast<TWPAlignment>(Pick(0, 3)));
      else e_.t.SetParagraphIndents(Pick(0, 1) ? kWPUnchanged : Pick(0, 900), Pick(0, 900), Pick(0, 2000));
    } else if (op < 985) {
      moved = false;
      const int code = Pick(0, 7);
      Log("scroll " + std::to_string(code));
      e_.t.VScrollCommand(code, Pick(0, std::max(1, e_.t.TotalHeight)));
    } else if (op < 993) {
      moved = false;
      const int w = Pick(120, 420);
      Log("window width " + std::to_string(w));
      e_.t.SetWindowWidth(w);
    } else {
      moved = false;
      Log("word wrap switched");
      e_.t.SetWordWrap(!e_.t.WordWrap());
    }
    return Check(step, moved);
  }

  std::string Trace() const {
    std::string s;
    for (const std::string& l : log_) s += "  " + l + "\n";
    return s;
  }
  int Size() const { return ref_.size(); }

private:
  void Add(TWPParagraphRec* p, const std::string& s, const TWPAttrRecord& a, bool hidden) {
    if (s != "\r") e_.Add(p, s, a);
    ref_.text += s;
    ref_.hidden.insert(ref_.hidden.end(), s.size(), hidden);
  }
  // A move without Shift drops the selection first (as the edit control
  // does), mostly; otherwise the block stays.
  void Prepare(bool extend) {
    if (extend || Pick(0, 9) == 0) return;
    e_.t.HideSelection();
    ref_.anchor = ref_.end = -1;
    ref_.extending = false;
  }
  int PastHidden(int p) const {
    const int pe = ref_.ParEnd(p);
    while (p < pe && ref_.Hidden(p)) ++p;
    return p;
  }
  // The line (as positions [ls, le)) holding a position; a position at a
  // soft break belongs to the following line.
  void LineBounds(int pos, int& ls, int& le) const {
    TWPParagraphRec* p = nullptr;
    TWPLineRec* l = e_.LineOf(pos, &p);
    ls = e_.PosOf({p, l, 0});
    le = ls + l->Length;
  }
  int LineIndex() const {
    int n = 0;
    for (const TWPParagraphRec* p = e_.t.FirstPar; p; p = p->next)
      for (const TWPLineRec* l = p->line; l; l = l->next, ++n)
        if (l == e_.t.CursorLine) return n;
    return -1;
  }
  void Click(int pos, bool extend) {
    TWPParagraphRec* p = nullptr;
    TWPLineRec* l = e_.LineOf(pos, &p);
    int off = 0, ln = 0, pn = 0;
    e_.t.PositionOf(p, l, 0, off, ln, pn);
    const int x = e_.t.CursorX(p, l, pos - off) + e_.t.HorzOffset;
    const int y = l->Top + l->Height / 2 - e_.t.TopOffset;
    e_.t.CursorToPoint(x, y, extend, false);
  }
  void Log(const std::string& s) {
    log_.push_back(s);
    if (log_.size() > 40) log_.pop_front();
  }
  bool Fail(int step, const std::string& why) {
    ADD_FAILURE() << "step " << step << ": " << why << "\nlast steps:\n" << Trace();
    return false;
  }
  bool Check(int step, bool moved) {
    const std::string text = e_.Text();
    if (text != ref_.text)
      return Fail(step, "text differs:\n  engine    '" + Visible(text) + "'\n  reference '" + Visible(ref_.text) + "'");
    int k = 0;
    for (const TWPParagraphRec* p = e_.t.FirstPar; p; p = p->next, ++k)
      for (const TWPLineRec* l = p->line; l; l = l->next)
        for (int i = 0; i < l->Length; ++i, ++k)
          if (e_.t.CharHidden(l->pa[i]) != ref_.hidden[k]) return Fail(step, "hidden flag differs at " + std::to_string(k));
    if (e_.Cursor() != ref_.cursor)
      return Fail(step, "cursor " + std::to_string(e_.Cursor()) + ", reference " + std::to_string(ref_.cursor));
    const int anchor = e_.t.BlockStart.Par ? e_.PosOf(e_.t.BlockStart) : -1;
    const int end = e_.t.BlockEnd.Par ? e_.PosOf(e_.t.BlockEnd) : -1;
    if (anchor != ref_.anchor || end != ref_.end || e_.t.HasBlock() != ref_.HasBlock())
      return Fail(step, "selection " + std::to_string(anchor) + ".." + std::to_string(end) + ", reference " +
                            std::to_string(ref_.anchor) + ".." + std::to_string(ref_.end));
    if (e_.t.Extending != ref_.extending) return Fail(step, "extending differs");
    // The block's ends lie on lines of their paragraphs.
    for (const TWPTextPlace* place : {&e_.t.BlockStart, &e_.t.BlockEnd}) {
      if (!place->Par) continue;
      bool found = false;
      for (const TWPLineRec* l = place->Par->line; l; l = l->next) found = found || l == place->Line;
      if (!found) return Fail(step, "a block end points at a line of another paragraph");
    }
    rtview_test::ExpectLaidOut(e_.t);
    if (::testing::Test::HasFailure()) return Fail(step, "the model's or the layout's invariants");
    if (moved) {
      const TRect r = e_.t.CaretPlacement(e_.t.WindowWidth(), e_.t.VisibleHeight);
      if (r.Left < 1 || r.Left >= e_.t.WindowWidth() || r.Top < 0 || r.Bottom > e_.t.VisibleHeight)
        return Fail(step, "caret out of view: x " + std::to_string(e_.t.CursorXPos) + " offset " +
                              std::to_string(e_.t.HorzOffset) + ", top " + std::to_string(e_.t.CaretTop) + " offset " +
                              std::to_string(e_.t.TopOffset) + ", layout width " +
                              std::to_string(e_.t.Header->LayoutWidth) + ", line top " +
                              std::to_string(e_.t.CursorLine->Top) + " height " +
                              std::to_string(e_.t.CursorLine->Height) + " '" +
                              Visible(std::string(e_.t.CursorLine->pc, e_.t.CursorLine->Length)) + "' at " +
                              std::to_string(e_.t.CursorOffset) + ", window " + std::to_string(e_.t.WindowWidth()) +
                              (e_.t.WordWrap() ? " wrapped" : " page"));
    }
    return true;
  }

  std::mt19937 rng_;
  Editor& e_;
  Reference ref_;
  std::vector<std::string> words_;
  std::deque<std::string> log_;
};

double FuzzSeconds() {
  const char* s = std::getenv("ORV_FUZZ_SECONDS");
  return s && std::atof(s) > 0 ? std::atof(s) : 20.0;
}

}  // namespace

TEST(RandomInput, SessionsAgainstAPlainReference) {
  const auto start = std::chrono::steady_clock::now();
  const double budget = FuzzSeconds();
  auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
  long steps = 0;
  int sessions = 0;
  for (uint32_t seed = 20240607; sessions == 0 || elapsed() < budget; ++seed, ++sessions) {
    Editor e(300, 120);
    Session s(seed, e);
    s.Build();
    // The first session has its full length whatever the budget.
    const int length = sessions == 0 ? 5000 : 2000;
    for (int i = 0; i < length; ++i, ++steps) {
      if (sessions > 0 && elapsed() >= budget) break;
      if (!s.Step(i)) {
        ADD_FAILURE() << "seed " << seed;
        return;
      }
      if (s.Size() > 5000) s.Build();
    }
  }
  std::printf("%ld steps in %d sessions, %.1f s\n", steps, sessions, elapsed());
  EXPECT_GE(steps, 5000);
}
