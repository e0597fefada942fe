// Text writer and RTF writer: the range walk, run splitting, and the RTF
// units (header, paragraph start and end, run attributes, text, objects,
// footnotes, footer). Each unit is built in a string and written with one
// stream call.
#include "richtext/io/writer.h"

#include <algorithm>
#include <cstring>

#include "richtext/io/objects.h"
#include "richtext/model/progress.h"

namespace {

void AddInt(std::string& s, int64_t v) {
  char b[24];
  int n = 0;
  const bool neg = v < 0;
  uint64_t u = neg ? static_cast<uint64_t>(-(v + 1)) + 1 : static_cast<uint64_t>(v);
  do {
    b[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  if (neg) s.push_back('-');
  while (n) s.push_back(b[--n]);
}

void AddWord(std::string& s, const char* word, int64_t v) {
  s += word;
  AddInt(s, v);
}

// Attributes that decide whether a run's words must be written again.
bool SameLook(const TWPAttrRecord& a, const TWPAttrRecord& b) {
  const uint32_t sa = a.Style & kRtfRunStyles, sb = b.Style & kRtfRunStyles;
  if (a.Font != b.Font || a.Size != b.Size || a.Colors != b.Colors || sa != sb) return false;
  if ((sa & (wpsBookmark | wpsInsertPoint)) && a.Tag != b.Tag) return false;
  return true;
}

// Characters that may be gathered into one run.
bool SameRun(const TWPAttrRecord& a, const TWPAttrRecord& b) {
  return a.Font == b.Font && a.Size == b.Size && a.Colors == b.Colors && a.Style == b.Style &&
         (!(a.Style & (wpsBookmark | wpsInsertPoint)) || a.Tag == b.Tag);
}

const char kHex[] = "0123456789abcdef";

AnsiString BookmarkName(const TWPRTFText* text, int n) {
  if (text && n >= 0 && n < text->BookmarkNames.Count()) return text->BookmarkNames.Strings(n);
  AnsiString s = "BM";
  AddInt(s, n);
  return s;
}

}  // namespace

// --- TWPTextWriter ------------------------------------------------------------

uint8_t TWPTextWriter::Put(const char* p, size_t n) {
  if (Result != wrOk) return Result;
  if (n == 0) return wrOk;
  if (!out_) return Result = wrShortWrite;
  const int done = out_->Write(p, static_cast<int>(n));
  if (done < 0 || static_cast<size_t>(done) != n) Result = wrShortWrite;
  lastOut_ = p[n - 1];
  return Result;
}

uint8_t TWPTextWriter::WriteAttributes(const TWPAttrRecord& attr) {
  prevAttrCopy_ = attr;
  prevAttr_ = &prevAttrCopy_;
  return Result;
}

uint8_t TWPTextWriter::WriteText(const char* p, int count, const TWPAttrRecord&) {
  return Put(p, static_cast<size_t>(std::max(count, 0)));
}

uint8_t TWPTextWriter::WriteLineChars(TWPLineRec* line, int from, int to) {
  line_ = line;
  if (from >= to) return Result;
  if (!line->pa || !Text->Header->KeepAttributes) return WriteText(line->pc + from, to - from, Text->WritingAttr);
  int i = from;
  while (i < to && Result == wrOk) {
    const TWPAttrRecord& a = line->pa[i];
    const char c = line->pc[i];
    const bool omitted = ((a.Style & wpsInsertPoint) && OmitInsertPoints) || ((a.Style & wpsAutomatic) && OmitAutomatic);
    if ((a.Style & wpsObject) && (c == 1 || c == 2)) {
      if (WriteAttributes(a) == wrOk) WriteObject(c, a);
      ++i;
      continue;
    }
    if (a.Style & wpsFootnote) {
      if (WriteAttributes(a) == wrOk) WriteFootnote(c, a.Tag);
      ++i;
      continue;
    }
    int j = i + 1;
    if (!(a.Style & wpsInsertPoint))
      while (j < to && SameRun(line->pa[j], a)) ++j;
    if (!omitted && WriteAttributes(a) == wrOk) WriteText(line->pc + i, j - i, a);
    i = j;
  }
  return Result;
}

uint8_t TWPTextWriter::WriteLineBreak() { return Result; }
uint8_t TWPTextWriter::WriteParagraphEnd() { return Put("\r\n", 2); }
uint8_t TWPTextWriter::WriteParagraphStart() { return Result; }
uint8_t TWPTextWriter::WriteObject(char, const TWPAttrRecord&) { return Result; }
// Plain text keeps the mark where it stands; an automatic mark is the
// footnote's number.
uint8_t TWPTextWriter::WriteFootnote(char mark, int number) {
  const TWPFootnoteEntry* f = Text ? Text->FindFootnote(number) : nullptr;
  if (f && f->AutoMark) {
    std::string s;
    AddInt(s, f->Number);
    return Put(s);
  }
  return Put(&mark, 1);
}

uint8_t TWPTextWriter::WriteHeader(TStream* stream) {
  out_ = stream;
  return Result;
}

uint8_t TWPTextWriter::WriteFooter(TStream* stream) {
  out_ = stream;
  return ToFile ? Result : Put("\0", 1);
}

uint8_t TWPTextWriter::Write(TStream* stream) {
  if (!FirstPar || !Text) return Result;
  out_ = stream;
  prevAttr_ = nullptr;
  prevPar_ = nullptr;
  TWPLineRec* first = FirstLine ? FirstLine : FirstPar->line;

  charsTotal_ = 0;
  for (TWPParagraphRec* p = FirstPar; p; p = p->next) {
    for (TWPLineRec* l = p->line; l; l = l->next) charsTotal_ += l->Length;
    if (p == LastPar) break;
  }
  charsDone_ = 0;
  WPProgressBegin(charsTotal_);

  bool stopped = false;
  for (TWPParagraphRec* p = FirstPar; p && Result == wrOk; p = p->next) {
    par_ = p;
    if (WriteParagraphStart() != wrOk) break;
    for (TWPLineRec* l = (p == FirstPar ? first : p->line); l && Result == wrOk; l = l->next) {
      const int from = (l == first && p == FirstPar) ? std::clamp(FirstOffset, 0, static_cast<int>(l->Length)) : 0;
      int to = l->Length;
      if (l == LastLine) {
        to = std::clamp(LastOffset, from, static_cast<int>(l->Length));
        stopped = true;
      }
      WriteLineChars(l, from, to);
      charsDone_ += to - from;
      if (stopped) break;
      if (l->next) WriteLineBreak();
    }
    const bool last = stopped || p == LastPar || !p->next;
    lastPar_ = last;
    if (Result == wrOk && (!last || (p->Flags & wppTableCell))) WriteParagraphEnd();
    prevPar_ = p;
    WPProgressUpdate(charsDone_);
    if (last) break;
  }
  WPProgressEnd();
  return Result;
}

// --- TWPRTFWriter -------------------------------------------------------------

TWPRTFWriter::~TWPRTFWriter() { frames_.clear(); }

void TWPRTFWriter::AppendEscaped(std::string& out, const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(p[i]);
    if (c <= 3) continue;
    if (c == '{' || c == '}' || c == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
    } else if (c == 9) {
      out += "\\tab ";
    } else if (c == 10) {
      out += "\\line ";
    } else if (c >= 0x20 && c <= 0x7E) {
      out.push_back(static_cast<char>(c));
    } else {
      out += "\\'";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
}

void TWPRTFWriter::Open(std::string& buf, FrameKind kind) {
  buf.push_back('{');
  frames_.push_back(Frame{kind, readerBm_});
}

void TWPRTFWriter::CloseTop(std::string& buf) {
  if (frames_.empty()) return;
  CloseCodeRun(buf);
  readerBm_ = frames_.back().SavedBookmark;
  frames_.pop_back();
  buf.push_back('}');
  Forget();
}

void TWPRTFWriter::CloseAll(std::string& buf) {
  while (!frames_.empty()) CloseTop(buf);
}

void TWPRTFWriter::CloseCodeRun(std::string& buf) {
  if (!codeOpen_) return;
  buf += kRtfCodeEnd;
  codeOpen_ = false;
  Forget();
}

void TWPRTFWriter::EndRow(std::string& buf) {
  CloseCodeRun(buf);
  buf += "\\row";
  while (!frames_.empty()) {
    const bool wasRow = frames_.back().Kind == fkRow;
    CloseTop(buf);
    if (wasRow) break;
  }
}

bool TWPRTFWriter::HasFrame(FrameKind kind) const {
  for (const Frame& f : frames_)
    if (f.Kind == kind) return true;
  return false;
}

uint8_t TWPRTFWriter::WriteHeader(TStream* stream) {
  out_ = stream;
  frames_.clear();
  inTable_ = false;
  openTabs_ = 0;
  openBorder_ = {};
  codeOpen_ = false;
  hiddenRun_ = false;
  shadingPending_ = false;
  readerBm_ = -1;
  prevAttr_ = nullptr;
  Result = wrOk;
  if (!Text) return Result;
  const TTextHeader& h = *Text->Header;

  std::string s;
  s.reserve(2048);
  s += "{\\rtf1\\ansi\\deff0";
  // The distance at which the layout puts the default tab stops.
  AddWord(s, "\\deftab", h.DefaultTabTwips());
  s += "{\\fonttbl";
  auto font = [&s](int n, int32_t family, int32_t charset, const AnsiString& name) {
    AddWord(s, "{\\f", n);
    switch ((family >> 4) & 0xF) {
      case 2: s += "\\fswiss"; break;
      case 3: s += "\\fmodern"; break;
      case 4: s += "\\fscript"; break;
      case 5: s += "\\fdecor"; break;
      default: s += "\\fnil"; break;
    }
    AddWord(s, "\\charset", charset);
    s.push_back(' ');
    s += name;
    s += ";}";
  };
  if (!h.KeepAttributes) {
    font(0, h.FontFamily[0], h.FontCharset[0], h.FontNames[0].empty() ? AnsiString("Arial") : h.FontNames[0]);
  } else {
    for (int i = 0; i < kWPFontCount && !h.FontNames[i].empty(); ++i)
      font(i, h.FontFamily[i], h.FontCharset[i], h.FontNames[i]);
  }
  s.push_back('}');
  if (!NoColorTable) {
    s += "{\\colortbl";
    // Every entry the runs, borders and shadings can name.
    for (int i = 0; i < 16; ++i) {
      const TColor c = h.Colors[i];
      AddWord(s, "\\red", c & 0xFF);
      AddWord(s, "\\green", (c >> 8) & 0xFF);
      AddWord(s, "\\blue", (c >> 16) & 0xFF);
      s.push_back(';');
    }
    s.push_back('}');
  }
  AddWord(s, "\\paperw", h.PageWidth);
  AddWord(s, "\\paperh", h.PageHeight);
  AddWord(s, "\\margl", h.MarginLeft);
  AddWord(s, "\\margr", h.MarginRight);
  AddWord(s, "\\margt", h.MarginTop);
  AddWord(s, "\\margb", h.MarginBottom);
  // Information texts are escaped like runs, so that braces, backslashes and
  // control characters in them cannot end the group or the document early.
  auto info = [&s](const char* open, const AnsiString& text) {
    if (text.empty()) return;
    s += open;
    AppendEscaped(s, text.data(), text.size());
    s.push_back('}');
  };
  info("{\\title ", h.Title);
  info("{\\subject\t", h.Subject);
  info("{\\comment\t", h.Comment);
  return Put(s);
}

uint8_t TWPRTFWriter::WriteFooter(TStream* stream) {
  out_ = stream;
  std::string s;
  CloseCodeRun(s);
  if (HasFrame(fkRow)) EndRow(s);
  CloseAll(s);
  s += "\r\n}";
  return Put(s);
}

TWPRTFWriter::BorderSig TWPRTFWriter::BorderOf(const TWPParagraphRec* p) {
  BorderSig b;
  b.Word = static_cast<uint16_t>((p->BorderFlags & ~kBrdNotPassed) | (p->BorderStyle << 8));
  b.Width = p->BorderWidth;
  b.Color = p->BorderColor;
  return b;
}

void TWPRTFWriter::AppendBorderLook(std::string& s, uint16_t word, uint8_t width, uint8_t color, bool paragraph) {
  AddWord(s, "\\brdrw", width * 20);
  if (paragraph) {
    if (color) AddWord(s, "\\brsp", MulDiv((color >> 4) * 16, 567, 160));
    AddWord(s, "\\brdrcf", color & 0xF);
  } else if (color & 0xF) {
    AddWord(s, "\\brdrcf", color & 0xF);
  }
  if (word & kBrdDotted) s += "\\brdrdot";
  if (word & kBrdHair) s += "\\brdrhair";
}

void TWPRTFWriter::RowDefinition(std::string& s, TWPParagraphRec* first) {
  const TTextHeader& h = *Text->Header;
  const int64_t printable = static_cast<int64_t>(h.PageWidth) - h.MarginLeft - h.MarginRight;
  s += "\\trowd";
  AddWord(s, "\\trgaph", MulDiv((first->BorderColor >> 4) * 16, 567, 160));
  AddWord(s, "\\trleft", first->LeftIndent);
  int n = 0;
  for (TWPParagraphRec* c = first; c && n < kRtfMaxCells; c = c->next, ++n) {
    if (n > 0 && !(c->Flags & wppRowContinues)) break;
    const uint16_t word = static_cast<uint16_t>(c->BorderFlags | (c->BorderStyle << 8));
    const bool box = word & kBrdBox;
    const char* line = (word & kBrdDouble) ? "\\brdrdb" : "\\brdrs";
    // Each side states its own look: other readers give a width or colour
    // only to the side word it follows.
    for (auto [bit, w] : {std::pair{kBrdTop, "\\clbrdrt"}, std::pair{kBrdBottom, "\\clbrdrb"},
                          std::pair{kBrdLeft, "\\clbrdrl"}, std::pair{kBrdRight, "\\clbrdrr"}}) {
      if ((word & bit) || box) {
        s += w;
        s += line;
        AppendBorderLook(s, word, c->BorderWidth, c->BorderColor, false);
      }
    }
    if (c->Shading) {
      s += "\\clshdng";
      AddWord(s, "\\clcfpat", c->Shading & 0xF);
      if (c->ShadingPercent != 100) AddWord(s, "\\clcbpat", c->Shading >> 4);
    }
    const int64_t x = (printable - first->RightIndent) * (c->ColStart + c->ColWidth) / 255 + first->LeftIndent;
    AddWord(s, "\\cellx", x);
    if (!(c->Flags & wppRowGoesOn)) {
      ++n;
      break;
    }
  }
}

uint8_t TWPRTFWriter::WriteParagraphStart() {
  TWPParagraphRec* p = par_;
  const bool cell = p->Flags & wppTableCell;
  std::string s;
  s.reserve(256);

  // A row left open by inconsistent flags ends before anything that is not
  // a further cell of it.
  const bool furtherCell = cell && (p->Flags & wppRowContinues) && HasFrame(fkRow);
  if (HasFrame(fkRow) && !furtherCell) EndRow(s);

  const TWPTabSet tabs = cell ? 0 : p->Tabs;
  if (cell != inTable_ || tabs != openTabs_) {
    CloseAll(s);
    inTable_ = cell;
    openTabs_ = 0;
    openBorder_ = {};
  }
  const BorderSig border = (!cell && (p->BorderFlags & kBrdHas)) ? BorderOf(p) : BorderSig{};
  if (!(border == openBorder_) && HasFrame(fkBorder)) {
    while (!frames_.empty()) {
      const bool wasBorder = frames_.back().Kind == fkBorder;
      CloseTop(s);
      if (wasBorder) break;
    }
    openBorder_ = {};
  }

  if (cell) {
    // A row is one group: its definition, then each cell's paragraph and
    // "\cell", then "\row"; no group closes inside it, as other readers
    // expect.
    if (!furtherCell) {
      CloseAll(s);
      if (p->Flags & wppPageBreak) s += "\\page";
      Open(s, fkRow);
      RowDefinition(s, p);
    }
    s += "\\pard\\intbl";
  } else {
    if (frames_.empty()) Open(s, fkParagraph);
    if (p->Flags & wppPageBreak) s += "\\page";
    if (tabs != openTabs_) {
      Open(s, fkTabs);
      const TTextHeader& h = *Text->Header;
      // Ascending positions, as other word processors expect them.
      for (int k = 0; k < kWPTabSlots; ++k) {
        const int slot = h.TabOrder[k];
        if (slot < 0 || slot >= kWPTabSlots || !(tabs >> slot & 1) || h.TabTwips[slot] <= 0) continue;
        switch (h.TabKind[slot]) {
          case tkRight: s += "\\tqr"; break;
          case tkCenter: s += "\\tqc"; break;
          case tkDecimal: s += "\\tqdec"; break;
          default: break;
        }
        AddWord(s, "\\tx", h.TabTwips[slot]);
      }
      openTabs_ = tabs;
    }
    if (!(border == openBorder_)) {
      Open(s, fkBorder);
      const uint16_t w = border.Word;
      const char* line = (w & kBrdDouble) ? "\\brdrdb" : "\\brdrs";
      // Each side with its own look, as for cells.
      bool any = false;
      for (auto [bit, side] : {std::pair{kBrdBox, "\\box"}, std::pair{kBrdTop, "\\brdrt"},
                               std::pair{kBrdBottom, "\\brdrb"}, std::pair{kBrdLeft, "\\brdrl"},
                               std::pair{kBrdRight, "\\brdrr"}, std::pair{kBrdBar, "\\brdrbar"}}) {
        if (!(w & bit)) continue;
        (s += side) += line;
        AppendBorderLook(s, w, border.Width, border.Color, true);
        any = true;
      }
      if (w & kBrdTableLine) s += "\\brdrtablin";
      if (!any) AppendBorderLook(s, w, border.Width, border.Color, true);
      openBorder_ = border;
    }
    if (p->Shading) {
      Open(s, fkShading);
      if (p->ShadingPercent == 0)
        s += (p->Shading & 0xF) == 0 ? "\\shading1" : "\\shading10000";
      else
        AddWord(s, "\\shading", p->ShadingPercent * 100);
      AddWord(s, "\\cfpat", p->Shading & 0xF);
      if (p->ShadingPercent != 100) AddWord(s, "\\cbpat", p->Shading >> 4);
      shadingPending_ = true;
    }
  }
  if (p->Flags & wppKeepTogether) s += "\\keep";
  // A blank only ends a control word; after a brace or a line break it
  // would be read as text at the start of the paragraph.
  const char prev = s.empty() ? lastOut_ : s.back();
  if ((prev >= '0' && prev <= '9') || (prev >= 'a' && prev <= 'z')) s.push_back(' ');
  static const char* const kAlign[] = {"\\ql", "\\qr", "\\qc", "\\qj"};
  s += kAlign[p->Align & 3];
  if (!cell) {
    AddWord(s, "\\li", p->LeftIndent);
    AddWord(s, "\\fi", static_cast<int64_t>(p->FirstIndent) - p->LeftIndent);
    AddWord(s, "\\ri", p->RightIndent);
  }
  AddWord(s, "\\sb", p->SpaceBefore);
  s += "\\sl";
  if (p->LineSpacing) AddInt(s, p->LineSpacing);
  if (p->LineSpacing > 0 && (p->Flags & wppLineMultiple)) s += "\\slmult1";
  // A cell's space after is the layout's filling of its row, not its own.
  AddWord(s, "\\sa", cell ? 0 : p->SpaceAfter);
  s.push_back(' ');
  return Put(s);
}

uint8_t TWPRTFWriter::WriteParagraphEnd() {
  const TWPParagraphRec* p = par_;
  std::string s;
  CloseCodeRun(s);
  if (p->Flags & wppTableCell) {
    s += "\\cell";
    if (!(p->Flags & wppRowGoesOn) && HasFrame(fkRow)) EndRow(s);
  } else if (hiddenRun_) {
    s += "\\plain\\par";
    hiddenRun_ = false;
    Forget();
  } else {
    s += "\\par";
  }
  if (!lastPar_) s += "\n\r";
  if (shadingPending_) {
    while (!frames_.empty()) {
      const bool wasShading = frames_.back().Kind == fkShading;
      CloseTop(s);
      if (wasShading) break;
    }
    shadingPending_ = false;
  }
  return Put(s);
}

uint8_t TWPRTFWriter::WriteAttributes(const TWPAttrRecord& a) {
  if (prevAttr_ && SameLook(*prevAttr_, a)) return Result;
  const bool code = a.Style & wpsRtfCode;
  // Words inside an open code run would become part of its text.
  if (codeOpen_ && code && prevAttr_) return Result;
  std::string s;
  s.reserve(128);
  CloseCodeRun(s);

  const int bm = (a.Style & wpsBookmark) ? a.Tag : -1;
  if (bm != readerBm_) {
    if (readerBm_ >= 0) {
      s += "{\\*\\bkmkend ";
      const AnsiString name = BookmarkName(Text, readerBm_);
      AppendEscaped(s, name.data(), name.size());
      s.push_back('}');
    }
    if (bm >= 0) {
      s += "{\\*\\bkmkstart ";
      const AnsiString name = BookmarkName(Text, bm);
      AppendEscaped(s, name.data(), name.size());
      s.push_back('}');
    }
    readerBm_ = bm;
  }
  s += "\\plain";
  // Some readers take "\\plain" as the end of the paragraph's place in its
  // table row; naming it again keeps the run inside the cell.
  if (par_ && (par_->Flags & wppTableCell)) s += "\\intbl";
  AddWord(s, "\\f", a.Font);
  AddWord(s, "\\fs", a.Size ? a.Size * 2 : 20);
  AddWord(s, "\\cf", a.Colors & 0xF);
  if (a.Colors >> 4) {
    // Word processors read a character's background only as "\\chcbpat".
    AddWord(s, "\\cb", a.Colors >> 4);
    AddWord(s, "\\chcbpat", a.Colors >> 4);
  }
  const uint32_t st = a.Style;
  if (st & wpsBold) s += "\\b";
  if (st & wpsUnderline) s += "\\ul";
  if (st & wpsHyperlink) s += "\\uldb";
  if (st & wpsSuperScript) s += "\\super";
  if (st & wpsSubScript) s += "\\sub";
  if (st & wpsItalic) s += "\\i";
  if (st & wpsStrikeOut) s += "\\strike";
  if ((st & wpsProtected) && !NoShadow) s += "\\shad";
  if (st & wpsHidden) s += "\\v";
  if ((st & wpsInsertPoint) && !OmitInsertPoints) AddWord(s, "\\inspnt", a.Tag);
  if ((st & wpsAutomatic) && !OmitAutomatic) s += "\\inaut";
  // Last, since everything after it up to its end word is verbatim text.
  if (code) s += "\\wprtf1";
  s.push_back(' ');
  codeOpen_ = code;
  hiddenRun_ = st & wpsHidden;
  prevAttrCopy_ = a;
  prevAttr_ = &prevAttrCopy_;
  return Put(s);
}

uint8_t TWPRTFWriter::WriteText(const char* p, int count, const TWPAttrRecord& attr) {
  if (count <= 0) return Result;
  std::string s;
  s.reserve(static_cast<size_t>(count) + 16);
  if (attr.Style & wpsRtfCode) {
    for (int i = 0; i < count; ++i)
      if (static_cast<unsigned char>(p[i]) > 3) s.push_back(p[i]);
  } else {
    AppendEscaped(s, p, static_cast<size_t>(count));
  }
  return Put(s);
}

uint8_t TWPRTFWriter::WriteObject(char ch, const TWPAttrRecord& attr) {
  std::string s;
  CloseCodeRun(s);
  const TWPObjectEntry* e = ch == 1 ? Text->FindObject(attr.Tag, 0) : Text->FindObject(0, attr.Tag);
  const auto* pic = dynamic_cast<const TWPPictureObject*>(e ? e->Obj : nullptr);
  const bool asFile = pic && (pic->Kind == pkFile || ((PicturesAsFiles || BitmapMode == wbmBMPFile) && !pic->FileName.empty()));
  if (asFile) {
    s += "\\{bmc\t";
    AppendEscaped(s, pic->FileName.data(), pic->FileName.size());
    s += "\\}{\\*\\picfile";
    AddWord(s, "\\picw", pic->PixWidth);
    AddWord(s, "\\pich", pic->PixHeight);
    AddWord(s, "\\picwgoal", pic->GoalWidth);
    AddWord(s, "\\pichgoal", pic->GoalHeight);
    s += "\t\"";
    s += pic->FileName;
    s += "\"}";
    Forget();
  } else if (pic) {
    s += "{\\pict";
    if (pic->Kind == pkMetafile) {
      s += "\\wmetafile8";
    } else {
      s += pic->Kind == pkDDB ? "\\wbitmap0" : "\\dibitmap0";
      AddWord(s, "\\wbmbitspixel", pic->BitsPerPixel);
      AddWord(s, "\\wbmplanes", pic->Planes);
      AddWord(s, "\\wbmwidthbytes", pic->WidthBytes);
    }
    AddWord(s, "\\picw", pic->PixWidth);
    AddWord(s, "\\pich", pic->PixHeight);
    AddWord(s, "\\picwgoal", pic->GoalWidth);
    AddWord(s, "\\pichgoal", pic->GoalHeight);
    s += "\r\n";
    const size_t n = pic->Data.size();
    const size_t at = s.size();
    s.resize(at + 2 * n);
    for (size_t i = n; i-- > 0;) {
      const unsigned char b = static_cast<unsigned char>(pic->Data[i]);
      s[at + 2 * i] = kHex[b >> 4];
      s[at + 2 * i + 1] = kHex[b & 15];
    }
    s.push_back('}');
    Forget();
  } else {
    AddWord(s, "\\wpobjtag", attr.Tag);
    AddWord(s, "\\wpobjw", e ? e->Width : 0);
    AddWord(s, "\\wpobjh", e ? e->Height : 0);
    s += " \\'01";
  }
  return Put(s);
}

uint8_t TWPRTFWriter::WriteFootnote(char mark, int number) {
  std::string s;
  CloseCodeRun(s);
  const TWPFootnoteEntry* f = Text->FindFootnote(number);
  // An automatic mark is written as the automatic number, which every
  // reader numbers for itself, so it is neither lost nor shown twice.
  std::string m;
  if (f && f->AutoMark) m = "\\chftn ";
  else AppendEscaped(m, &mark, 1);
  s += "{\\cs16\\super ";
  s += m;
  if (f) {
    // A note read in a size of its own keeps it; one made here is 10 points.
    const std::string size = "\\fs" + std::to_string(f->Size ? 2 * f->Size : 20);
    if (f->Number == 0 || f->RtfText) {
      s += "{\\*\\footnote \\pard\\plain\t\\s15\\widctlpar \\f4" + size + "\\lang1031 {\\cs16\\super ";
      s += m;
      s += "} ";
      if (f->RtfText) s += *f->RtfText;
      else AppendEscaped(s, f->Text.data(), f->Text.size());
    } else {
      AddWord(s, "{\\*\\footnote \\wpfnnr", f->Number);
      s += " \\pard\\plain \\s15\\widctlpar \\f4" + size + "\\lang1031 {\\cs16\\super\t";
      s += m;
      s += "}\t";
      AppendEscaped(s, f->Text.data(), f->Text.size());
    }
    s += "}";
  }
  s += "}";
  Forget();
  return Put(s);
}
