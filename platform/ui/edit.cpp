// The edit control: text, selection, caret, clipboard, undo of the last
// change, the formatting rectangle, horizontal auto-scroll for one line and
// wrapped, scrolled lines for the memo; and the EM_/WM_ messages.
#include <algorithm>

#include "platform/rtl/cp1252.h"
#include "platform/ui/clipbrd.h"
#include "platform/ui/ctlutil.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"

namespace {
bool IsWordChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || u >= 0xC0 || c == '_';
}

AnsiString ApplyCase(AnsiString s, TEditCharCase cc) {
  if (cc == ecUpperCase)
    for (char& c : s) c = static_cast<char>(AnsiUpper(static_cast<unsigned char>(c)));
  if (cc == ecLowerCase)
    for (char& c : s) {
      unsigned char u = static_cast<unsigned char>(c);
      if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7)) c = static_cast<char>(u + 32);
      else if (u == 0x8A || u == 0x8C || u == 0x8E) c = static_cast<char>(u + 16);
      else if (u == 0x9F) c = static_cast<char>(0xFF);
    }
  return s;
}
}  // namespace

TCustomEdit::TCustomEdit(TComponent* owner) : TCustomControl(owner) {
  controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks | csFixedHeight;
  tabStop_ = true;
  color_ = clWindow;
  cursor_ = crIBeam;
  width_ = 121;
  height_ = 21;
  DefaultFormatRect();
}

TCustomEdit::~TCustomEdit() {
  if (HandleAllocated() && CaretState().Owner == handle_) DestroyCaret();
}

void TCustomEdit::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  if (borderStyle_ == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
  p.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (multiLine_) p.Style |= ES_MULTILINE;
  if (multiLine_ && wordWrap_) p.Style &= ~ES_AUTOHSCROLL;
  if (multiLine_ && wantReturns_) p.Style |= ES_WANTRETURN;
  if (alignment_ == taRightJustify) p.Style |= ES_RIGHT;
  if (alignment_ == taCenter) p.Style |= ES_CENTER;
  if (readOnly_) p.Style |= ES_READONLY;
  if (passwordChar_) p.Style |= ES_PASSWORD;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) p.Style |= WS_VSCROLL;
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) p.Style |= WS_HSCROLL;
}

void TCustomEdit::CreateWnd() {
  TCustomControl::CreateWnd();
  // The window follows its style, whichever class set it: a multi-line
  // window without horizontal auto-scroll wraps its words.
  bool ml = (params_.Style & ES_MULTILINE) != 0;
  bool wrap = ml && !(params_.Style & ES_AUTOHSCROLL);
  wantReturns_ = ml && (params_.Style & ES_WANTRETURN) != 0;
  if (ml != multiLine_ || wrap != wordWrap_) {
    multiLine_ = ml;
    wordWrap_ = wrap;
    InvalidateLayout();
  }
}

namespace {
// The default formatting rectangle's margins inside the client area.
constexpr int kMarginLeft = 2, kMarginRight = 2;
}  // namespace

void TCustomEdit::DefaultFormatRect() {
  TRect c = ClientRect();
  fmtRect_ = {kMarginLeft, 1, std::max(kMarginLeft, c.Right - kMarginRight), c.Bottom};
  InvalidateLayout();
}

int TCustomEdit::WidthForText(const TFont& font, const AnsiString& text) {
  // The sunken edge on both sides, the margins, and a column for the caret
  // behind the last character.
  return ctlutil::TextWidth(font, text) + 4 + kMarginLeft + kMarginRight + 1;
}

int TCustomEdit::ScrollRoom() const {
  // A text that fits is never scrolled; a longer one as far as its end with
  // the caret behind it.
  const int over = MaxLineWidth() - fmtRect_.Width();
  return over > 0 ? over + 1 : 0;
}

int TCustomEdit::LineHeight() const { return ctlutil::TextHeight(*Font()); }

int TCustomEdit::VisibleLines() const { return std::max(1, fmtRect_.Height() / std::max(1, LineHeight())); }

AnsiString TCustomEdit::Display() const {
  if (passwordChar_ && !multiLine_) return AnsiString(text_.size(), passwordChar_);
  return text_;
}

TCustomEdit::Advances::Advances(const TFont& font, bool lines) {
  TCanvas& m = ctlutil::Measure(font);
  m.GetCharWidth(0, 255, widths);
  TTextMetric tm;
  // A tab in a text of lines reaches the next stop, every eight average
  // character widths, as expanded tabs are drawn elsewhere.
  if (lines && m.GetTextMetrics(tm)) tab = 8 * std::max(1, tm.tmAveCharWidth);
}

int TCustomEdit::Advances::At(char c, int x) const {
  if (c == '\t' && tab > 0) return tab - x % tab;
  return widths[static_cast<unsigned char>(c)];
}

int TCustomEdit::Advances::Width(const AnsiString& d, int from, int to) const {
  int x = 0;
  for (int p = from; p < to; ++p) x += At(d[static_cast<std::size_t>(p)], x);
  return x;
}

// ---------------------------------------------------------------- layout

const std::vector<TCustomEdit::VLine>& TCustomEdit::Lines() const {
  int width = fmtRect_.Width();
  if (layoutValid_ && layoutWidth_ == width) return lines_;
  lines_.clear();
  layoutWidth_ = width;
  layoutValid_ = true;
  int n = static_cast<int>(text_.size());
  if (!multiLine_) {
    lines_.push_back({0, n});
    return lines_;
  }
  const Advances adv(*Font(), true);
  int start = 0;
  for (;;) {
    int end = start;
    while (end < n && text_[static_cast<std::size_t>(end)] != '\r' && text_[static_cast<std::size_t>(end)] != '\n') ++end;
    // Hard line [start, end): wrapped at blanks when asked.
    if (wordWrap_ && width > 0) {
      for (const auto& [s, len] : WrapAtBlanks(text_, start, end, width, [&adv](char c, int x) { return adv.At(c, x); }))
        lines_.push_back({s, len});
    } else {
      lines_.push_back({start, end - start});
    }
    if (end >= n) break;
    if (text_[static_cast<std::size_t>(end)] == '\r' && end + 1 < n && text_[static_cast<std::size_t>(end) + 1] == '\n')
      start = end + 2;
    else
      start = end + 1;
  }
  return lines_;
}

int TCustomEdit::LineOfChar(int pos) const {
  const auto& ls = Lines();
  for (int i = static_cast<int>(ls.size()) - 1; i >= 0; --i)
    if (pos >= ls[static_cast<std::size_t>(i)].start) return i;
  return 0;
}

TPoint TCustomEdit::PosOfChar(int pos) const {
  const auto& ls = Lines();
  int li = LineOfChar(pos);
  const VLine& l = ls[static_cast<std::size_t>(li)];
  AnsiString d = Display();
  const Advances adv(*Font(), multiLine_);
  int lineW = adv.Width(d, l.start, l.start + l.len);
  int off = 0;
  int room = fmtRect_.Width() - lineW;
  if (room > 0 && alignment_ == taRightJustify) off = room - 1;
  if (room > 0 && alignment_ == taCenter) off = room / 2;
  int x = fmtRect_.Left - scrollX_ + off + adv.Width(d, l.start, std::min(pos, l.start + l.len));
  int y = fmtRect_.Top + (li - topLine_) * LineHeight();
  return {x, y};
}

int TCustomEdit::CharAt(int x, int y) const {
  const auto& ls = Lines();
  int li = topLine_ + (y - fmtRect_.Top) / std::max(1, LineHeight());
  if (y < fmtRect_.Top) li = topLine_ - 1;
  li = std::clamp(li, 0, static_cast<int>(ls.size()) - 1);
  const VLine& l = ls[static_cast<std::size_t>(li)];
  // Walk the line once with the character advances: the nearest boundary wins.
  const Advances adv(*Font(), multiLine_);
  AnsiString d = Display();
  const int left = PosOfChar(l.start).X;
  for (int p = l.start, in = 0; p < l.start + l.len; ++p) {
    int w = adv.At(d[static_cast<std::size_t>(p)], in);
    if (x < left + in + (w + 1) / 2) return p;
    in += w;
  }
  return l.start + l.len;
}

void TCustomEdit::ScrollCaret() {
  if (multiLine_) {
    int li = LineOfChar(caret_);
    int vis = VisibleLines();
    if (li < topLine_) topLine_ = li;
    if (li >= topLine_ + vis) topLine_ = li - vis + 1;
    UpdateScrollBars();
  }
  if (!multiLine_ || !wordWrap_) {
    int x = PosOfChar(caret_).X;
    int w = fmtRect_.Width();
    if (x < fmtRect_.Left) scrollX_ -= std::max(fmtRect_.Left - x, w / 4);
    else if (x > fmtRect_.Right - 1) scrollX_ += std::max(x - fmtRect_.Right + 1, w / 4);
    scrollX_ = std::clamp(scrollX_, 0, ScrollRoom());
  }
  UpdateScrollBars();
  UpdateCaret();
}

void TCustomEdit::UpdateCaret() {
  if (!HandleAllocated() || CaretState().Owner != handle_) return;
  TPoint p = PosOfChar(caret_);
  ::SetCaretPos(std::clamp(p.X, fmtRect_.Left, std::max(fmtRect_.Left, fmtRect_.Right - 1)), p.Y);
}

void TCustomEdit::UpdateScrollBars() {
  if (!multiLine_ || scrollBars_ == ssNone || !HandleAllocated()) return;
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) {
    TScrollInfo si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = static_cast<int>(Lines().size()) - 1;
    si.nPage = static_cast<unsigned>(VisibleLines());
    si.nPos = topLine_;
    SetScrollInfo(SB_VERT, si, true);
  }
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) {
    TScrollInfo si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = std::max(0, MaxLineWidth() - 1);
    si.nPage = static_cast<unsigned>(std::max(1, fmtRect_.Width()));
    si.nPos = scrollX_;
    SetScrollInfo(SB_HORZ, si, true);
  }
}

int TCustomEdit::MaxLineWidth() const {
  int maxW = 0;
  AnsiString d = Display();
  const Advances adv(*Font(), multiLine_);
  for (const VLine& l : Lines()) maxW = std::max(maxW, adv.Width(d, l.start, l.start + l.len));
  return maxW;
}

// ------------------------------------------------------------- selection

int TCustomEdit::SelStart() const { return std::min(anchor_, caret_); }
int TCustomEdit::SelLength() const { return std::abs(caret_ - anchor_); }
AnsiString TCustomEdit::SelText() const {
  return text_.substr(static_cast<std::size_t>(SelStart()), static_cast<std::size_t>(SelLength()));
}

void TCustomEdit::SetSelection(int anchor, int caret) {
  int n = static_cast<int>(text_.size());
  anchor = std::clamp(anchor, 0, n);
  caret = std::clamp(caret, 0, n);
  if (anchor == anchor_ && caret == caret_) return;
  anchor_ = anchor;
  caret_ = caret;
  ScrollCaret();
  Invalidate();
}

void TCustomEdit::SetSelStart(int v) { SetSelection(v, v); }
void TCustomEdit::SetSelLength(int v) { SetSelection(SelStart(), SelStart() + std::max(0, v)); }
void TCustomEdit::SelectAll() { SetSelection(0, static_cast<int>(text_.size())); }

void TCustomEdit::SetCaretPos(int caret, bool extend) { SetSelection(extend ? anchor_ : caret, caret); }

void TCustomEdit::SetSelText(const AnsiString& s) { ReplaceSelection(s, false); }

void TCustomEdit::ClearSelection() {
  if (SelLength() > 0) ReplaceSelection("", true);
}

bool TCustomEdit::ReplaceSelection(const AnsiString& in, bool user) {
  if (readOnly_ && user) {
    MessageBeep(0);
    return false;
  }
  AnsiString s = ApplyCase(in, charCase_);
  if (!multiLine_) {
    // One line takes no line breaks: the text ends at the first one.
    std::size_t br = s.find_first_of("\r\n");
    if (br != AnsiString::npos) s.resize(br);
  }
  int start = SelStart(), len = SelLength();
  bool cut = false;
  if (maxLength_ > 0) {
    int room = maxLength_ - (static_cast<int>(text_.size()) - len);
    if (static_cast<int>(s.size()) > room) {
      if (user && (room <= 0 || s.size() == 1)) {
        if (s.size() > 1)
          MaxTextReached();
        else
          MessageBeep(0);
        return false;
      }
      s.resize(static_cast<std::size_t>(std::max(0, room)));
      cut = user;
    }
  }
  if (s.empty() && len == 0) return true;
  undoText_ = text_;
  undoAnchor_ = anchor_;
  undoCaret_ = caret_;
  hasUndo_ = true;
  text_.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(len), s);
  anchor_ = caret_ = start + static_cast<int>(s.size());
  modified_ = true;
  InvalidateLayout();
  ScrollCaret();
  Invalidate();
  Change();
  if (cut) MaxTextReached();
  return true;
}

// The window says how much the field holds, as the system's edit tells its
// parent that a text was cut; a beep when no window says anything.
void TCustomEdit::MaxTextReached() {
  TCustomForm* form = GetParentForm(this);
  if (!form || form->Perform(WM_COMMAND, MakeLong(0, EN_MAXTEXT), static_cast<LPARAM>(Handle())) == 0) MessageBeep(0);
}

void TCustomEdit::Undo() {
  if (!hasUndo_) return;
  std::swap(text_, undoText_);
  std::swap(anchor_, undoAnchor_);
  std::swap(caret_, undoCaret_);
  modified_ = true;
  InvalidateLayout();
  ScrollCaret();
  Invalidate();
  Change();
}

void TCustomEdit::CopyToClipboard() {
  if (passwordChar_ || SelLength() == 0) return;
  Clipboard()->SetAsText(SelText());
}

void TCustomEdit::CutToClipboard() {
  if (passwordChar_ || SelLength() == 0) return;
  if (readOnly_) {
    MessageBeep(0);
    return;
  }
  CopyToClipboard();
  ReplaceSelection("", true);
}

void TCustomEdit::PasteFromClipboard() {
  AnsiString text;
  if (!PastedText(text)) return;
  AnsiString taken, refused;
  for (char c : text) (static_cast<unsigned char>(c) < 32 || TakesPastedChar(c) ? taken : refused) += c;
  if (!taken.empty()) ReplaceSelection(taken, true);
  if (!refused.empty()) TellNotPasted(refused);
}

namespace {

// Cleaned as PastedText says; `lines`: the field takes line breaks.
AnsiString CleanPasted(std::string_view in, bool lines) {
  std::vector<AnsiString> parts(1);
  for (std::size_t i = 0; i < in.size(); ++i) {
    const char c = in[i];
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < in.size() && in[i + 1] == '\n') ++i;
      parts.emplace_back();
    } else if (c == '\t') {
      parts.back() += lines ? '\t' : ' ';
    } else if (u >= 32 && u != 127 && u != 0x81 && u != 0x8D && u != 0x8F && u != 0x90 && u != 0x9D) {
      // The five bytes the code page leaves undefined stand for controls too.
      parts.back() += c;
    }
  }
  // Blanks around go in a one-line field only: a field of lines keeps an
  // indented first line and the last line break as they came.
  auto trim = [](const AnsiString& s) {
    const std::size_t b = s.find_first_not_of(" \xA0");
    return b == AnsiString::npos ? AnsiString() : s.substr(b, s.find_last_not_of(" \xA0") - b + 1);
  };
  AnsiString out;
  for (const AnsiString& part : parts) {
    const AnsiString line = lines ? part : trim(part);
    if (!lines && line.empty()) continue;
    if (&part != &parts.front() && (lines || !out.empty())) out += lines ? "\r\n" : " ";
    out += line;
  }
  return out;
}

}  // namespace

bool TCustomEdit::PastedText(AnsiString& text) const {
  std::u32string leftOut;
  if (!Clipboard()->TextToStore(text, leftOut)) return false;
  ShowLeftOutNotice(this, leftOut);
  text = CleanPasted(text, TakesLines());
  if (!text.empty()) PastedForm(text);
  return !text.empty();
}

void TCustomEdit::TellNotPasted(const AnsiString& chars) const {
  constexpr std::size_t kShown = 20;
  const AnsiString shown = chars.size() > kShown ? chars.substr(0, kShown) + "..." : chars;
  ShowPasteNotice(this, CP1252("Einige Zeichen des eingefügten Textes passen nicht in dieses Feld (\"").str() + shown +
                      "\"); sie wurden weggelassen.");
}

int TCustomEdit::WordLeft(int pos) const {
  while (pos > 0 && !IsWordChar(text_[static_cast<std::size_t>(pos) - 1])) --pos;
  while (pos > 0 && IsWordChar(text_[static_cast<std::size_t>(pos) - 1])) --pos;
  return pos;
}

int TCustomEdit::WordRight(int pos) const {
  int n = static_cast<int>(text_.size());
  while (pos < n && IsWordChar(text_[static_cast<std::size_t>(pos)])) ++pos;
  while (pos < n && !IsWordChar(text_[static_cast<std::size_t>(pos)])) ++pos;
  return pos;
}

// -------------------------------------------------------------- properties

void TCustomEdit::SetMaxLength(int n) { maxLength_ = std::max(0, n); }

void TCustomEdit::SetPasswordChar(char c) {
  if (c == passwordChar_) return;
  passwordChar_ = c;
  InvalidateLayout();
  Invalidate();
}

void TCustomEdit::SetReadOnly(bool v) {
  readOnly_ = v;
  if (HandleAllocated()) params_.Style = v ? (params_.Style | ES_READONLY) : (params_.Style & ~ES_READONLY);
}

void TCustomEdit::SetCharCase(TEditCharCase c) {
  if (c == charCase_) return;
  charCase_ = c;
  if (c != ecNormal) TextSet(ApplyCase(text_, c));
}

void TCustomEdit::SetAutoSize(bool v) {
  autoSize_ = v;
  if (v && !multiLine_) SetHeight(LineHeight() + (borderStyle_ == bsSingle ? 8 : 2));
}

void TCustomEdit::SetHideSelection(bool v) {
  hideSelection_ = v;
  Invalidate();
}

void TCustomEdit::SetBorderStyle(TBorderStyle b) {
  if (b == borderStyle_) return;
  borderStyle_ = b;
  if (HandleAllocated()) RecreateWnd();
  DefaultFormatRect();
  Invalidate();
}

void TCustomEdit::SetAlignment(TAlignment a) {
  if (a == alignment_) return;
  alignment_ = a;
  Invalidate();
}

void TCustomEdit::TextSet(const AnsiString& s) {
  text_ = s;
  anchor_ = caret_ = 0;
  scrollX_ = 0;
  topLine_ = 0;
  modified_ = false;
  hasUndo_ = false;
  InvalidateLayout();
  UpdateScrollBars();
  UpdateCaret();
  Invalidate();
  Change();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- messages

void TCustomEdit::Dispatch(TMessage& m) {
  int n = static_cast<int>(text_.size());
  switch (m.Msg) {
    case WM_SETTEXT: {
      AnsiString s = m.LParam ? reinterpret_cast<const char*>(m.LParam) : "";
      TextSet(ApplyCase(s, charCase_));
      m.Result = 1;
      return;
    }
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
      if (multiLine_) {
        if (wantReturns_) m.Result |= DLGC_WANTALLKEYS;
        if (wantTabs_) m.Result |= DLGC_WANTTAB;
      }
      return;
    case EM_GETSEL: {
      int s = SelStart(), e = SelStart() + SelLength();
      if (m.WParam) *reinterpret_cast<std::uint32_t*>(m.WParam) = static_cast<std::uint32_t>(s);
      if (m.LParam) *reinterpret_cast<std::uint32_t*>(m.LParam) = static_cast<std::uint32_t>(e);
      m.Result = MakeLong(s, e);
      return;
    }
    case EM_SETSEL: {
      int s = static_cast<int>(m.WParam), e = static_cast<int>(m.LParam);
      if (s == -1) {
        SetSelection(caret_, caret_);  // selection removed, caret stays
        return;
      }
      if (e == -1 || e > n) e = n;
      if (s < 0 || s > n) s = n;
      SetSelection(s, e);
      return;
    }
    case EM_GETRECT:
      if (m.LParam) *reinterpret_cast<TRect*>(m.LParam) = fmtRect_;
      return;
    case EM_SETRECT:
    case EM_SETRECTNP:
      if (m.LParam)
        fmtRect_ = *reinterpret_cast<const TRect*>(m.LParam);
      else
        DefaultFormatRect();
      InvalidateLayout();
      if (m.Msg == EM_SETRECT) Invalidate();
      UpdateCaret();
      return;
    case EM_GETMODIFY: m.Result = modified_ ? 1 : 0; return;
    case EM_SETMODIFY: modified_ = m.WParam != 0; return;
    case EM_LIMITTEXT: maxLength_ = std::max<int>(0, static_cast<int>(m.WParam)); return;
    case EM_CANUNDO: m.Result = hasUndo_ ? 1 : 0; return;
    case EM_UNDO:
    case WM_UNDO:
      Undo();
      m.Result = 1;
      return;
    case EM_REPLACESEL:
      ReplaceSelection(m.LParam ? reinterpret_cast<const char*>(m.LParam) : "", false);
      return;
    case EM_SETREADONLY: SetReadOnly(m.WParam != 0); m.Result = 1; return;
    case EM_GETLINECOUNT: m.Result = static_cast<LRESULT>(Lines().size()); return;
    case EM_GETFIRSTVISIBLELINE: m.Result = topLine_; return;
    case EM_LINEFROMCHAR: m.Result = LineOfChar(m.WParam < 0 ? caret_ : static_cast<int>(m.WParam)); return;
    case EM_LINEINDEX: {
      int li = m.WParam < 0 ? LineOfChar(caret_) : static_cast<int>(m.WParam);
      m.Result = li < static_cast<int>(Lines().size()) ? Lines()[static_cast<std::size_t>(li)].start : -1;
      return;
    }
    case EM_LINELENGTH: {
      int li = LineOfChar(m.WParam < 0 ? caret_ : static_cast<int>(m.WParam));
      m.Result = Lines()[static_cast<std::size_t>(li)].len;
      return;
    }
    case EM_SCROLLCARET: ScrollCaret(); Invalidate(); return;
    case EM_POSFROMCHAR: {
      TPoint p = PosOfChar(std::clamp(static_cast<int>(m.WParam), 0, n));
      m.Result = MakeLong(p.X, p.Y);
      return;
    }
    case EM_CHARFROMPOS: {
      int c = CharAt(LoWord(m.LParam), HiWord(m.LParam));
      m.Result = MakeLong(c, LineOfChar(c));
      return;
    }
    case WM_CUT: CutToClipboard(); return;
    case WM_COPY: CopyToClipboard(); return;
    case WM_PASTE: PasteFromClipboard(); return;
    case WM_CLEAR: ClearSelection(); return;
    case WM_SETFOCUS:
      TCustomControl::Dispatch(m);
      if (FindControl(GetFocus()) == this) {
        CreateCaret(Handle(), 0, 1, LineHeight());
        UpdateCaret();
        ShowCaret(Handle());
        Invalidate();
      }
      return;
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(m);
      if (HandleAllocated() && CaretState().Owner == handle_) DestroyCaret();
      Invalidate();
      return;
    case WM_VSCROLL: {
      if (!multiLine_) break;
      int lines = static_cast<int>(Lines().size()), vis = VisibleLines();
      int t = topLine_;
      switch (LoWord(m.WParam)) {
        case SB_LINEUP: --t; break;
        case SB_LINEDOWN: ++t; break;
        case SB_PAGEUP: t -= vis; break;
        case SB_PAGEDOWN: t += vis; break;
        case SB_THUMBTRACK: case SB_THUMBPOSITION: t = HiWord(m.WParam); break;
        case SB_TOP: t = 0; break;
        case SB_BOTTOM: t = lines; break;
        default: break;
      }
      t = std::clamp(t, 0, std::max(0, lines - vis));
      if (t != topLine_) {
        topLine_ = t;
        UpdateScrollBars();
        UpdateCaret();
        Invalidate();
      }
      return;
    }
    case WM_HSCROLL: {
      if (!multiLine_ || wordWrap_) break;
      int w = std::max(1, fmtRect_.Width()), x = scrollX_;
      int room = ScrollRoom();
      switch (LoWord(m.WParam)) {
        case SB_LINELEFT: x -= 8; break;
        case SB_LINERIGHT: x += 8; break;
        case SB_PAGELEFT: x -= w; break;
        case SB_PAGERIGHT: x += w; break;
        case SB_THUMBTRACK: case SB_THUMBPOSITION: x = HiWord(m.WParam); break;
        case SB_LEFT: x = 0; break;
        case SB_RIGHT: x = room; break;
        default: break;
      }
      x = std::clamp(x, 0, room);
      if (x != scrollX_) {
        scrollX_ = x;
        UpdateScrollBars();
        UpdateCaret();
        Invalidate();
      }
      return;
    }
    case WM_MOUSEWHEEL:
      if (multiLine_) {
        for (int i = 0; i < 3; ++i) Perform(WM_VSCROLL, HiWord(m.WParam) > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
        m.Result = 1;
        return;
      }
      break;
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(m);
      InvalidateLayout();
      if (autoSize_ && !multiLine_) SetAutoSize(true);
      return;
    case CM_ENABLEDCHANGED:
      Invalidate();
      break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

void TCustomEdit::Resize() {
  DefaultFormatRect();
  ScrollCaret();
  TCustomControl::Resize();
}

void TCustomEdit::DoEnter() {
  if (autoSelect_ && !multiLine_ && !(controlState_ & csLButtonDown) && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
  TCustomControl::DoEnter();
}

// ------------------------------------------------------------------ input

void TCustomEdit::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == 0) return;
  bool ext = shift & ssShift, ctrl = shift & ssCtrl;
  int n = static_cast<int>(text_.size());
  const auto& ls = Lines();
  int li = LineOfChar(caret_);
  const VLine& l = ls[static_cast<std::size_t>(li)];
  auto toLine = [&](int target) {
    target = std::clamp(target, 0, static_cast<int>(ls.size()) - 1);
    TPoint p = PosOfChar(caret_);
    int y = fmtRect_.Top + (target - topLine_) * LineHeight();
    SetCaretPos(CharAt(p.X, y), ext);
  };
  switch (key) {
    case VK_LEFT:
      if (!ext && SelLength() > 0 && !ctrl) SetCaretPos(SelStart(), false);
      else SetCaretPos(ctrl ? WordLeft(caret_) : std::max(0, caret_ - ((caret_ >= 2 && text_.compare(static_cast<std::size_t>(caret_) - 2, 2, "\r\n") == 0) ? 2 : 1)), ext);
      break;
    case VK_RIGHT:
      if (!ext && SelLength() > 0 && !ctrl) SetCaretPos(SelStart() + SelLength(), false);
      else SetCaretPos(ctrl ? WordRight(caret_) : std::min(n, caret_ + ((text_.compare(static_cast<std::size_t>(caret_), 2, "\r\n") == 0) ? 2 : 1)), ext);
      break;
    case VK_HOME: SetCaretPos(ctrl || !multiLine_ ? 0 : l.start, ext); break;
    case VK_END: SetCaretPos(ctrl || !multiLine_ ? n : l.start + l.len, ext); break;
    case VK_UP: if (multiLine_) toLine(li - 1); break;
    case VK_DOWN: if (multiLine_) toLine(li + 1); break;
    case VK_PRIOR: if (multiLine_) toLine(li - VisibleLines()); break;
    case VK_NEXT: if (multiLine_) toLine(li + VisibleLines()); break;
    case VK_DELETE:
      if (ext) {
        CutToClipboard();
      } else if (SelLength() > 0) {
        ReplaceSelection("", true);
      } else if (caret_ < n) {
        if (readOnly_) {
          MessageBeep(0);
          break;
        }
        int len = text_.compare(static_cast<std::size_t>(caret_), 2, "\r\n") == 0 ? 2 : 1;
        anchor_ = caret_ + len;
        ReplaceSelection("", true);
      }
      break;
    case VK_INSERT:
      if (ctrl) CopyToClipboard();
      else if (ext) Perform(WM_PASTE, 0, 0);  // as the system's edit does, so that descendants see it
      break;
    default: break;
  }
}

void TCustomEdit::KeyPress(char& key) {
  TCustomControl::KeyPress(key);
  unsigned char k = static_cast<unsigned char>(key);
  if (k == 0) return;
  switch (k) {
    case 8:
      if (SelLength() > 0) {
        ReplaceSelection("", true);
      } else if (caret_ > 0) {
        if (readOnly_) {
          MessageBeep(0);
          break;
        }
        int len = caret_ >= 2 && text_.compare(static_cast<std::size_t>(caret_) - 2, 2, "\r\n") == 0 ? 2 : 1;
        anchor_ = caret_ - len;
        ReplaceSelection("", true);
      }
      return;
    case 1: SelectAll(); return;  // Ctrl+A, as in every edit field of the desktop
    case 3: CopyToClipboard(); return;
    case 22: Perform(WM_PASTE, 0, 0); return;
    case 24: CutToClipboard(); return;
    case 26: Undo(); return;
    case 13:
      if (multiLine_ && (wantReturns_ || GetKeyState(VK_CONTROL) < 0)) ReplaceSelection("\r\n", true);
      return;
    case 9:
      if (multiLine_ && wantTabs_) ReplaceSelection("\t", true);
      return;
    default: break;
  }
  if (k < 32 || k == 127) return;
  ReplaceSelection(AnsiString(1, key), true);
}

void TCustomEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    if (!(shift & ssDouble)) {
      SetCaretPos(CharAt(x, y), shift & ssShift);
      selecting_ = true;
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomEdit::MouseMove(TShiftState shift, int x, int y) {
  if (selecting_) SetCaretPos(CharAt(x, y), true);
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) selecting_ = false;
  TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomEdit::DblClick() {
  int s = caret_, e = caret_;
  int n = static_cast<int>(text_.size());
  while (s > 0 && IsWordChar(text_[static_cast<std::size_t>(s) - 1])) --s;
  while (e < n && IsWordChar(text_[static_cast<std::size_t>(e)])) ++e;
  while (e < n && text_[static_cast<std::size_t>(e)] == ' ') ++e;
  selecting_ = false;
  SetSelection(s, e);
  TCustomControl::DblClick();
}

// ----------------------------------------------------------------- paint

void TCustomEdit::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  c->Font()->Assign(*Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  c->IntersectClipRect(fmtRect_.Left, fmtRect_.Top, fmtRect_.Right, fmtRect_.Bottom);
  AnsiString d = Display();
  int lh = LineHeight();
  bool showSel = SelLength() > 0 && (Focused() || !hideSelection_);
  int ss = SelStart(), se = SelStart() + SelLength();
  const auto& ls = Lines();
  c->Brush()->SetStyle(bsClear);
  for (int i = topLine_; i < static_cast<int>(ls.size()); ++i) {
    const VLine& l = ls[static_cast<std::size_t>(i)];
    int y = fmtRect_.Top + (i - topLine_) * lh;
    if (y >= fmtRect_.Bottom) break;
    // The text between tabs, each piece where its characters stand.
    auto draw = [&](int from, int to) {
      for (int a = from; a < to;) {
        int b = a;
        while (b < to && d[static_cast<std::size_t>(b)] != '\t') ++b;
        if (b > a)
          c->TextOut(PosOfChar(a).X, y, d.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a)));
        a = b < to ? b + 1 : b;
      }
    };
    draw(l.start, l.start + l.len);
    int a = std::max(ss, l.start), b = std::min(se, l.start + l.len);
    if (showSel && a < b) {
      int xa = PosOfChar(a).X, xb = PosOfChar(b).X;
      TRect sr{xa, y, xb, y + lh};
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(clHighlight);
      c->FillRect(sr);
      c->Font()->SetColor(clHighlightText);
      c->Brush()->SetStyle(bsClear);
      draw(a, b);
      c->Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
    }
  }
  c->SelectClipRect(nullptr);
}

// ------------------------------------------------------------------ TMemo

namespace {
// The memo's text seen as hard lines.
class TMemoStrings : public TStrings {
 public:
  explicit TMemoStrings(TMemo* memo) : memo_(memo) {}
  int Count() const override { return static_cast<int>(Split().size()); }
  AnsiString Get(int index) const override {
    auto v = Split();
    if (index < 0 || index >= static_cast<int>(v.size())) IndexError(index);
    return v[static_cast<std::size_t>(index)];
  }
  void Put(int index, const AnsiString& s) override {
    auto v = Split();
    if (index < 0 || index >= static_cast<int>(v.size())) IndexError(index);
    v[static_cast<std::size_t>(index)] = s;
    Join(v);
  }
  void Insert(int index, const AnsiString& s) override {
    auto v = Split();
    if (index < 0 || index > static_cast<int>(v.size())) IndexError(index);
    v.insert(v.begin() + index, s);
    Join(v);
  }
  void Delete(int index) override {
    auto v = Split();
    if (index < 0 || index >= static_cast<int>(v.size())) IndexError(index);
    v.erase(v.begin() + index);
    Join(v);
  }
  void Clear() override { memo_->SetText(""); }
  void SetText(std::string_view text) override {
    // Line breaks of any kind become CR LF, as the memo stores them.
    AnsiString t;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' || text[i] == '\n') {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        t += "\r\n";
      } else {
        t += text[i];
      }
    }
    memo_->SetText(t);
  }

 private:
  std::vector<AnsiString> Split() const {
    std::vector<AnsiString> v;
    AnsiString t = memo_->Text();
    if (t.empty()) return v;
    std::size_t s = 0;
    while (s <= t.size()) {
      std::size_t e = t.find_first_of("\r\n", s);
      if (e == AnsiString::npos) {
        if (s < t.size()) v.push_back(t.substr(s));
        break;
      }
      v.push_back(t.substr(s, e - s));
      s = e + ((t[e] == '\r' && e + 1 < t.size() && t[e + 1] == '\n') ? 2 : 1);
    }
    return v;
  }
  void Join(const std::vector<AnsiString>& v) {
    AnsiString t;
    for (const auto& s : v) t += s + "\r\n";
    memo_->SetText(t);
  }
  TMemo* memo_;
};
}  // namespace

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner), lines_(std::make_unique<TMemoStrings>(this)) {
  multiLine_ = true;
  wantReturns_ = true;
  wordWrap_ = true;
  width_ = 185;
  height_ = 89;
  SetAutoSelect(false);
  controlStyle_ &= ~csFixedHeight;
  DefaultFormatRect();
}

TMemo::~TMemo() = default;

void TMemo::SetWordWrap(bool v) {
  if (v == wordWrap_) return;
  wordWrap_ = v;
  InvalidateLayout();
  ScrollCaret();
  Invalidate();
}

void TMemo::SetScrollBars(TScrollStyle s) {
  if (s == scrollBars_) return;
  scrollBars_ = s;
  if (HandleAllocated()) RecreateWnd();
  DefaultFormatRect();
  UpdateScrollBars();
  Invalidate();
}
