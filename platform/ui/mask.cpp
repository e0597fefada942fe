// Edit-mask parsing, formatting and the mask edit's key handling.
#include "platform/ui/mask.h"

#include <algorithm>

#include "platform/rtl/datetime.h"
#include "platform/ui/clipbrd.h"

namespace maskdetail {

ParsedMask ParseMask(const AnsiString& m) {
  ParsedMask pm;
  if (m.empty()) return pm;
  // The mask ends at the first ';' that is not escaped; two fields may follow.
  std::size_t i = 0;
  int caseMode = 0;
  for (; i < m.size(); ++i) {
    char c = m[i];
    if (c == ';') break;
    switch (c) {
      case '!': continue;
      case '>':
        if (i + 1 < m.size() && m[i + 1] == '<') {
          caseMode = 0;
          ++i;
        } else {
          caseMode = 1;
        }
        continue;
      case '<': caseMode = 2; continue;
      case '\\':
        if (i + 1 < m.size()) pm.slots.push_back({skLiteral, m[++i], 0});
        continue;
      case 'L': case 'l': case 'A': case 'a': case 'C': case 'c': case '0': case '9': case '#':
        pm.slots.push_back({skInput, c, caseMode});
        continue;
      case ':': pm.slots.push_back({skLiteral, TimeSeparator, 0}); continue;
      case '/': pm.slots.push_back({skLiteral, DateSeparator, 0}); continue;
      default: pm.slots.push_back({skLiteral, c, 0}); continue;
    }
  }
  if (i < m.size()) {  // ";1;_"
    std::size_t j = i + 1;
    if (j < m.size() && m[j] != ';') pm.saveLiterals = m[j] != '0';
    std::size_t k = m.find(';', j);
    if (k != AnsiString::npos && k + 1 < m.size()) pm.blank = m[k + 1];
  }
  return pm;
}

bool Required(char m) { return m == 'L' || m == 'A' || m == 'C' || m == '0'; }

bool Accepts(char m, char c) {
  unsigned char u = static_cast<unsigned char>(c);
  bool letter = std::isalpha(u) || (u >= 0xC0 && u != 0xD7 && u != 0xF7) || u == 0x8A || u == 0x8C || u == 0x8E ||
                u == 0x9A || u == 0x9C || u == 0x9E || u == 0x9F;
  bool digit = u >= '0' && u <= '9';
  switch (m) {
    case 'L': case 'l': return letter;
    case 'A': case 'a': return letter || digit;
    case 'C': case 'c': return u >= 32;
    case '0': case '9': return digit;
    case '#': return digit || c == '+' || c == '-';
    default: return false;
  }
}

}  // namespace maskdetail

using namespace maskdetail;

namespace {
char CaseOf(char c, int mode) {
  unsigned char u = static_cast<unsigned char>(c);
  if (mode == 1) return static_cast<char>(AnsiUpper(u));
  if (mode == 2 && ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7))) return static_cast<char>(u + 32);
  return c;
}

AnsiString Format(const ParsedMask& pm, const AnsiString& value) {
  AnsiString out;
  std::size_t vi = 0;
  for (const Slot& s : pm.slots) {
    if (s.kind == skLiteral) {
      out += s.ch;
      if (pm.saveLiterals && vi < value.size()) ++vi;  // the value holds the literal too
      continue;
    }
    char c = vi < value.size() ? value[vi++] : ' ';
    c = CaseOf(c, s.caseMode);
    out += (c == ' ' || !Accepts(s.ch, c)) ? pm.blank : c;
  }
  return out;
}
}  // namespace

AnsiString FormatMaskText(const AnsiString& editMask, const AnsiString& value) {
  ParsedMask pm = ParseMask(editMask);
  return pm.empty() ? value : Format(pm, value);
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

AnsiString TCustomMaskEdit::MaskedFrom(const AnsiString& value) const { return Format(mask_, value); }

void TCustomMaskEdit::SetEditMask(const AnsiString& m) {
  if (m == editMask_) return;
  AnsiString value = Text();
  editMask_ = m;
  mask_ = ParseMask(m);
  if (IsMasked()) {
    SetMaxLength(static_cast<int>(mask_.slots.size()));
    TControl::SetText(MaskedFrom(value));
  } else {
    SetMaxLength(0);
    TControl::SetText(value);
  }
}

AnsiString TCustomMaskEdit::Text() const {
  AnsiString e = TControl::Text();
  if (!IsMasked()) return e;
  AnsiString out;
  for (std::size_t i = 0; i < mask_.slots.size() && i < e.size(); ++i) {
    const Slot& s = mask_.slots[i];
    if (s.kind == skLiteral) {
      if (mask_.saveLiterals) out += e[i];
      continue;
    }
    out += e[i] == mask_.blank ? ' ' : e[i];
  }
  return out;
}

void TCustomMaskEdit::SetText(const AnsiString& s) { TControl::SetText(IsMasked() ? MaskedFrom(s) : s); }

void TCustomMaskEdit::SetEditText(const AnsiString& s) {
  if (!IsMasked()) {
    TControl::SetText(s);
    return;
  }
  // Edit text given position by position: blanks may stand as the blank character.
  AnsiString v;
  for (std::size_t i = 0; i < mask_.slots.size(); ++i) {
    char c = i < s.size() ? s[i] : mask_.blank;
    if (mask_.slots[i].kind == skLiteral) {
      if (mask_.saveLiterals) v += mask_.slots[i].ch;
      continue;
    }
    v += c == mask_.blank ? ' ' : c;
  }
  TControl::SetText(MaskedFrom(v));
}

bool TCustomMaskEdit::Validate(const AnsiString& e, int& errorPos) const {
  for (std::size_t i = 0; i < mask_.slots.size(); ++i) {
    const Slot& s = mask_.slots[i];
    if (s.kind != skInput || !Required(s.ch)) continue;
    if (i >= e.size() || e[i] == mask_.blank || e[i] == ' ') {
      errorPos = static_cast<int>(i);
      return false;
    }
  }
  return true;
}

void TCustomMaskEdit::ValidateEdit() {
  int pos = 0;
  if (!IsMasked() || !Modified() || Validate(EditText(), pos)) return;
  SetSelStart(pos);
  SetSelLength(1);
  throw EDBEditError(kInvalidInputText.str());
}

void TCustomMaskEdit::Reset() {
  if (!Modified()) return;
  TControl::SetText(enterText_);
  SetModified(false);
}

int TCustomMaskEdit::NextInput(int pos, int dir) const {
  int n = static_cast<int>(mask_.slots.size());
  for (int i = pos; i >= 0 && i < n; i += dir)
    if (mask_.slots[static_cast<std::size_t>(i)].kind == skInput) return i;
  return -1;
}

void TCustomMaskEdit::BlankRange(int from, int to) {
  AnsiString e = EditText();
  for (int i = from; i < to && i < static_cast<int>(e.size()); ++i)
    if (mask_.slots[static_cast<std::size_t>(i)].kind == skInput) e[static_cast<std::size_t>(i)] = mask_.blank;
  Perform(EM_SETSEL, from, to);
  AnsiString part = e.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
  ReplaceSelection(part, true);
  SetSelStart(from);
}

void TCustomMaskEdit::Dispatch(TMessage& m) {
  if (IsMasked() && m.Msg == WM_PASTE) {
    // Key by key, as typed.
    AnsiString text;
    if (ReadOnly() || !PastedText(text)) return;
    TypeText(text);
    return;
  }
  if (IsMasked() && m.Msg == WM_CUT) {
    Perform(WM_COPY, 0, 0);
    if (!ReadOnly() && SelLength() > 0) BlankRange(SelStart(), SelStart() + SelLength());
    return;
  }
  if (IsMasked() && m.Msg == WM_CLEAR) {
    if (!ReadOnly() && SelLength() > 0) BlankRange(SelStart(), SelStart() + SelLength());
    return;
  }
  TCustomEdit::Dispatch(m);
}

void TCustomMaskEdit::TypeText(const AnsiString& text) {
  // After this many keys refused in a row the rest is not tried: a long
  // text that does not fit at all costs no more than a short one.
  constexpr int kRefusedRun = 32;
  AnsiString refused;
  bool full = false;
  {
    keyboard::TQuietBeeps quiet;  // what does not go in is told once, below
    int run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (static_cast<unsigned char>(c) < 32 || IsOwnLiteral(c)) continue;
      // A field that inserts is full at its room; what is left does not fit.
      if (!IsMasked() && MaxLength() > 0 && static_cast<int>(TControl::Text().size()) - SelLength() >= MaxLength()) {
        full = true;
        break;
      }
      const AnsiString before = EditText();
      const int start = SelStart(), length = SelLength();
      char key = c;
      KeyPress(key);
      if (EditText() != before || SelStart() != start || SelLength() != length) {
        run = 0;
        continue;
      }
      refused += c;
      if (++run == kRefusedRun) {
        refused += text.substr(i + 1);
        break;
      }
    }
  }
  if (full) MaxTextReached();
  if (!refused.empty()) TellNotPasted(refused);
}

// The mask shows its literals itself: the one at the caret or the one the
// caret has just stepped over.
bool TCustomMaskEdit::IsOwnLiteral(char c) const {
  const int n = static_cast<int>(mask_.slots.size());
  for (int i : {SelStart(), SelStart() - 1})
    if (i >= 0 && i < n && mask_.slots[static_cast<std::size_t>(i)].kind == skLiteral &&
        mask_.slots[static_cast<std::size_t>(i)].ch == c)
      return true;
  return false;
}

void TCustomMaskEdit::KeyDown(Word& key, TShiftState shift) {
  if (!IsMasked()) {
    TCustomEdit::KeyDown(key, shift);
    return;
  }
  if (key == VK_ESCAPE && Modified()) {
    TCustomControl::KeyDown(key, shift);
    if (key == 0) return;
    Reset();
    SelectAll();
    key = 0;
    return;
  }
  if (key == VK_DELETE && !(shift & ssShift)) {
    TCustomControl::KeyDown(key, shift);
    if (key == 0) return;
    if (ReadOnly()) {
      MessageBeep(0);
      return;
    }
    int s = SelStart(), e = SelStart() + std::max(1, SelLength());
    BlankRange(s, std::min(e, static_cast<int>(mask_.slots.size())));
    key = 0;
    return;
  }
  TCustomEdit::KeyDown(key, shift);
  if ((key == VK_RIGHT || key == VK_END) && !(shift & ssShift)) {
    int p = NextInput(SelStart(), 1);
    if (p >= 0) SetSelStart(p);
  }
}

void TCustomMaskEdit::KeyPress(char& key) {
  if (!IsMasked()) {
    TCustomEdit::KeyPress(key);
    return;
  }
  unsigned char k = static_cast<unsigned char>(key);
  if (k == 8) {
    TCustomControl::KeyPress(key);
    if (key == 0) return;
    if (ReadOnly()) {
      MessageBeep(0);
      key = 0;
      return;
    }
    if (SelLength() > 0) {
      BlankRange(SelStart(), SelStart() + SelLength());
    } else {
      int p = NextInput(SelStart() - 1, -1);
      if (p >= 0) BlankRange(p, p + 1);
    }
    key = 0;
    return;
  }
  if (k < 32) {
    TCustomEdit::KeyPress(key);
    return;
  }
  TCustomControl::KeyPress(key);
  if (key == 0) return;
  if (ReadOnly()) {
    MessageBeep(0);
    key = 0;
    return;
  }
  int p = NextInput(SelStart(), 1);
  if (p < 0) {
    MessageBeep(0);
    key = 0;
    return;
  }
  const Slot& s = mask_.slots[static_cast<std::size_t>(p)];
  char c = CaseOf(key, s.caseMode);
  bool blankOk = c == ' ' && !Required(s.ch);
  if (!blankOk && !Accepts(s.ch, c)) {
    MessageBeep(0);
    key = 0;
    return;
  }
  int selEnd = SelStart() + SelLength();
  if (SelLength() > 1) BlankRange(SelStart(), selEnd);
  Perform(EM_SETSEL, p, p + 1);
  ReplaceSelection(AnsiString(1, blankOk ? mask_.blank : c), true);
  int next = NextInput(p + 1, 1);
  SetSelStart(next >= 0 ? next : static_cast<int>(mask_.slots.size()));
  key = 0;
}

void TCustomMaskEdit::DoEnter() {
  if (reEnter_) {
    TCustomControl::DoEnter();
    return;
  }
  enterText_ = EditText();
  TCustomEdit::DoEnter();
  if (IsMasked() && SelLength() == 0) {
    int p = NextInput(SelStart(), 1);
    if (p >= 0) SetSelStart(p);
  }
}

void TCustomMaskEdit::DoExit() {
  if (IsMasked()) {
    int pos = 0;
    if (Modified() && !Validate(EditText(), pos)) {
      // The focus comes back before the error is raised, which also stops
      // the focus change in progress.
      MessageBeep(0);
      reEnter_ = true;
      if (CanFocus()) SetFocus();
      reEnter_ = false;
      ValidateEdit();
    }
  }
  TCustomEdit::DoExit();
}

void TCustomMaskEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomEdit::MouseUp(button, shift, x, y);
  if (IsMasked() && SelLength() == 0) {
    int p = NextInput(SelStart(), 1);
    if (p >= 0) SetSelStart(p);
  }
}
