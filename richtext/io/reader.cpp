// Text reader and RTF reader: buffered input, paragraph filling, the RTF
// tokenizer, group stack, destinations and property handlers, tables,
// pictures, footnotes, bookmarks and verbatim RTF-code runs.
#include "richtext/io/reader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"
#include "richtext/io/objects.h"
#include "richtext/model/progress.h"

namespace {

constexpr int kLineStart = 100;    // capacity of a new line
constexpr int kLineMax = 2048;     // lines grow up to this before a new one starts

int HexValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

uint8_t Clamp8(int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

// Points of a "\fs" value (half points); 10 for none.
uint8_t RtfPoints(int32_t halfPoints) {
  const int32_t pt = halfPoints / 2;
  return static_cast<uint8_t>(pt <= 0 ? 10 : std::min(pt, 255));
}

void MarkChanged(TWPParagraphRec* p) { p->ChangeFlags |= wpcBreak | wpcMeasure; }

constexpr TColor kPageColor = 0xFFFFFF;

// Each colour pair of the text (characters, shading, the writing
// attribute) and each bordered paragraph's border colour, whose low half
// alone is a colour: f(pair, lowOnly).
template <class F>
void EachColorPair(TWPRTFText* text, F f) {
  for (TWPParagraphRec* p = text->FirstPar; p; p = p->next) {
    for (TWPLineRec* l = p->line; l; l = l->next)
      if (l->pa)
        for (int i = 0; i < l->Length; ++i) f(l->pa[i].Colors, false);
    if (p->BorderFlags) f(p->BorderColor, true);
    f(p->Shading, false);
  }
  f(text->WritingAttr.Colors, false);
}

// The nearest colour of the table; a visible text or line colour never
// becomes the page's white.
int NearestColor(const TColor* table, TColor c, bool text) {
  int best = 0;
  int64_t bestDist = INT64_MAX;
  for (int i = 0; i < 16; ++i) {
    if (text && table[i] == kPageColor && c != kPageColor) continue;
    const int dr = static_cast<int>(table[i] & 0xFF) - static_cast<int>(c & 0xFF);
    const int dg = static_cast<int>((table[i] >> 8) & 0xFF) - static_cast<int>((c >> 8) & 0xFF);
    const int db = static_cast<int>((table[i] >> 16) & 0xFF) - static_cast<int>((c >> 16) & 0xFF);
    const int64_t d = int64_t{dr} * dr + int64_t{dg} * dg + int64_t{db} * db;
    if (d < bestDist) {
      bestDist = d;
      best = i;
    }
  }
  return best;
}

}  // namespace

// --- TWPTextReader --------------------------------------------------------------

TWPTextReader::TWPTextReader() { CurAttr.Size = 10; }
TWPTextReader::~TWPTextReader() = default;

int TWPTextReader::Refill() {
  if (!Input) return -1;
  blockPos_ = Input->Position();
  const int n = Input->Read(buf_, sizeof buf_);
  count_ = std::max(n, 0);
  index_ = 0;
  if (count_ == 0) return -1;
  return buf_[index_++];
}

void TWPTextReader::UnreadChar() {
  if (index_ > 0) {
    --index_;
  } else if (Input) {
    Input->Seek(-1, soFromCurrent);
    count_ = 0;
  }
}

void TWPTextReader::FinishInput() {
  if (Input && count_ > 0) Input->SetPosition(blockPos_ + index_);
  count_ = index_ = 0;
}

void TWPTextReader::BeginParagraphs() {
  if (!Par) {
    TWPParagraphRec* p = nullptr;
    Text->NewParagraph(p, kLineStart);
    Par = p;
    MadeParagraph = true;
  }
  FirstRead = Par;
  line_ = Par->line;
  while (line_->next) line_ = line_->next;
  parDirty_ = false;
}

void TWPTextReader::StoreChar(unsigned char c, const TWPAttrRecord& attr) {
  TWPLineRec* l = line_;
  if (l->Length + 4 >= l->Capacity) {
    if (l->Capacity < kLineMax) {
      Text->GrowLineBuffer(l, std::min(kLineMax, std::max(16, l->Capacity * 2)));
    }
    if (l->Length + 4 >= l->Capacity) {
      TWPLineRec* n = l;
      Text->NewTextLine(n, kLineStart);
      if (!n || n == l) throw EOutOfMemory("Out of memory");
      line_ = l = n;
    }
  }
  const int i = l->Length;
  l->pc[i] = static_cast<char>(c);
  if (l->pa) {
    TWPAttrRecord a = attr;
    if (MarkAutomatic) a.Style |= wpsAutomatic;
    Text->SetCharAttr(l, i, a);
  }
  l->Length = static_cast<uint16_t>(i + 1);
  l->pc[i + 1] = 0;
  l->Flags |= wplChanged;
  parDirty_ = true;
}

void TWPTextReader::NextParagraph() {
  TWPParagraphRec* p = Par;
  Text->NewParagraph(p, kLineStart);
  // The line spacing it takes over keeps its kind.
  p->Flags &= wppLineMultiple;
  p->Numbering = 0;
  Par = p;
  line_ = p->line;
  parDirty_ = false;
}

void TWPTextReader::FinishParagraphs() {
  for (TWPParagraphRec* p = FirstRead; p; p = p->next) {
    MarkChanged(p);
    if (p == Par) break;
  }
}

uint8_t TWPTextReader::Read() {
  if (!Header || !Text) throw Exception("Wrong Arguments");
  BeginParagraphs();
  // Plain text has no paragraph formatting of its own: inserted, it takes
  // that of the paragraph it goes into, as typed text would (at that
  // paragraph's start it would replace it otherwise).
  if (MadeParagraph && Text->CursorPar) Text->CopyFormatting(Par, Text->CursorPar, true);
  const int64_t size = Input ? Input->Size() : 0;
  WPProgressBegin(static_cast<int>(std::min<int64_t>(size, INT_MAX)));
  bool afterCR = false;
  int64_t n = 0;
  for (int c; (c = ReadChar()) >= 0;) {
    if (c == 13) {
      NextParagraph();
      afterCR = true;
      continue;
    }
    // A line feed alone (text from other systems) also ends a paragraph.
    if (c == 10) {
      if (!afterCR) NextParagraph();
      afterCR = false;
      continue;
    }
    afterCR = false;
    if (c == 0) continue;
    StoreChar(static_cast<unsigned char>(c), CurAttr);
    if ((++n & 0xFFFF) == 0) WPProgressUpdate(static_cast<int>(std::min<int64_t>(Input->Position(), INT_MAX)));
  }
  FinishParagraphs();
  WPProgressEnd();
  FinishInput();
  return Result = rrOk;
}

// --- TWPRtfReader ---------------------------------------------------------------

TWPRtfReader::TWPRtfReader() = default;
TWPRtfReader::~TWPRtfReader() = default;

uint8_t TWPRtfReader::Read() {
  if (!Header || !Text) throw Exception("Wrong Arguments in\tTWPRTFReader");
  InitRtfKeywordTable();
  BeginParagraphs();
  for (int i = 0; i < kRtfMaxColors; ++i) {
    srcColors_[i] = i < 16 ? Header->Colors[i] : 0;
    colorMap_[i] = static_cast<int16_t>(i < 16 ? i : 0);
  }
  changed_.clear();
  ColorsChanged = 0;
  // Runs that name no size are in RTF's default size.
  CurAttr.Size = kRtfDefaultSize;
  const int64_t size = Input ? Input->Size() : 0;
  WPProgressBegin(static_cast<int>(std::min<int64_t>(size, INT_MAX)));
  Result = rrOk;
  int64_t n = 0;
  try {
    for (int c; Result == rrOk && !done_ && (c = ReadChar()) >= 0;) {
      if ((++n & 0xFFFF) == 0) WPProgressUpdate(static_cast<int>(std::min<int64_t>(Input->Position(), INT_MAX)));
      if (codeOpen_) {
        CodeChar(c);
        continue;
      }
      if (dest_ == rdPicture) {
        const int h = HexValue(c);
        if (h >= 0) {
          if (hexHigh_ < 0) {
            hexHigh_ = h;
          } else {
            picData_.push_back(static_cast<char>(hexHigh_ << 4 | h));
            hexHigh_ = -1;
          }
          continue;
        }
      }
      if (dest_ == rdColorTable && c == ';') {
        if (colorIdx_ < kRtfMaxColors) ++colorIdx_;
        if (colorIdx_ < kRtfMaxColors) {
          srcColors_[colorIdx_] = 0;
          srcAuto_[colorIdx_] = true;
        }
        continue;
      }
      if (dest_ == rdPictureFile && (inQuotes_ || c == '"')) {
        if (c == '"') inQuotes_ = !inQuotes_;
        else if (fileName_.size() < 255) fileName_.push_back(static_cast<char>(c));
        continue;
      }
      switch (c) {
        case '{':
          started_ = true;
          pendingSkip_ = 0;
          Push();
          break;
        case '}':
          pendingSkip_ = 0;
          Result = Pop();
          if (frames_.empty()) done_ = true;
          break;
        case '\\':
          Result = ControlWord();
          break;
        case 0:
          done_ = true;
          break;
        case 9:
        case 10:
        case 13:
          break;
        default:
          if (!started_) break;
          if (pendingSkip_ > 0) {
            --pendingSkip_;
            break;
          }
          CharHandler(static_cast<unsigned char>(c));
          break;
      }
    }
  } catch (const EOutOfMemory&) {
    Result = rrError;
  } catch (const Exception&) {
    Result = rrError;
  }
  // The paragraph still open when the input ends gets the state in force.
  if (parDirty_) ApplyState(Par, false);
  // First-line indents become absolute. They keep the file's values: a
  // snap to the ruler's grid would move a word processor's indents (720
  // and -360 to 705 and -282) and the user's own at every load.
  for (TWPParagraphRec* p = FirstRead; p; p = p->next) {
    p->FirstIndent = static_cast<int32_t>(
        std::clamp<int64_t>(static_cast<int64_t>(p->LeftIndent) + p->FirstIndent, -1000000, 1000000));
    MarkChanged(p);
    if (p == Par) break;
  }
  ColorsChanged = static_cast<int>(changed_.size());
  WPProgressEnd();
  FinishInput();
  return Result;
}

void TWPRtfReader::CodeChar(int c) {
  // Everything up to "\wprtf0" is text of the run; a partial match is held
  // back until it fails.
  if (static_cast<unsigned char>(c) == static_cast<unsigned char>(kRtfCodeEnd[codeMatched_])) {
    if (++codeMatched_ == kRtfCodeEnd.size()) {
      codeOpen_ = false;
      codeMatched_ = 0;
      CurAttr.Style &= ~wpsRtfCode;
      // The end word takes a blank after it as its delimiter, as any word.
      const int next = ReadChar();
      if (next >= 0 && next != ' ') UnreadChar();
    }
    return;
  }
  for (size_t i = 0; i < codeMatched_; ++i) StoreText(static_cast<unsigned char>(kRtfCodeEnd[i]));
  codeMatched_ = 0;
  if (c == '\\') {
    codeMatched_ = 1;
    return;
  }
  StoreText(static_cast<unsigned char>(c));
}

void TWPRtfReader::StoreText(unsigned char c, bool lineBreak) {
  if (c == 0 || c == 13 || (c == 10 && !lineBreak)) return;
  TakeColors();
  const TWPAttrRecord& a = CurAttr;
  if (mergeGap_) {
    // Text of a merged cell stays apart from the text of the cell it joins.
    mergeGap_ = false;
    if (line_->Length > 0 && c != ' ') StoreChar(' ', a);
  }
  StoreChar(c, a);
}

uint8_t TWPRtfReader::ControlWord() {
  int c = ReadChar();
  if (c < 0) return rrError;
  if (c < 'a' || c > 'z') {
    if (c == '\'') {
      const int h1 = ReadChar();
      if (h1 < 0) return rrError;
      const int v1 = HexValue(h1);
      if (v1 < 0) {
        UnreadChar();
        return rrOk;
      }
      const int h2 = ReadChar();
      if (h2 < 0) return rrError;
      const int v2 = HexValue(h2);
      if (v2 < 0) {
        UnreadChar();
        return rrOk;
      }
      if (pendingSkip_ > 0) {
        --pendingSkip_;
        return rrOk;
      }
      if (dest_ != rdSkip) CharHandler(static_cast<unsigned char>(v1 << 4 | v2));
      return rrOk;
    }
    if (c == '{' || c == '}' || c == '\\') {
      if (pendingSkip_ > 0) {
        --pendingSkip_;
        return rrOk;
      }
      CharHandler(static_cast<unsigned char>(c));
      return rrOk;
    }
    const char w = static_cast<char>(c);
    return Translate(&w, 1, false, 0);
  }
  char word[32];
  size_t len = 0;
  while (c >= 'a' && c <= 'z') {
    if (len < 30) word[len++] = static_cast<char>(c);
    c = ReadChar();
  }
  bool hasNum = false, neg = false;
  int64_t num = 0;
  if (c == '-') {
    neg = true;
    c = ReadChar();
  }
  int digits = 0;
  while (c >= '0' && c <= '9') {
    hasNum = true;
    if (digits < 20 && num < 100000000000LL) num = num * 10 + (c - '0');
    ++digits;
    c = ReadChar();
  }
  if (c >= 0 && c != ' ') UnreadChar();
  if (neg) num = -num;
  const int32_t v = static_cast<int32_t>(std::clamp<int64_t>(num, INT_MIN, INT_MAX));
  if (c < 0 && !done_) {
    // The input ended right after the word: take it, then stop.
    const uint8_t r = Translate(word, len, hasNum, v);
    return r == rrOk ? rrError : r;
  }
  return Translate(word, len, hasNum, v);
}

uint8_t TWPRtfReader::Translate(const char* word, size_t len, bool hasNum, int32_t num) {
  const TRtfKeyword* kw = FindRtfKeyword(std::string_view(word, len));
  if (dest_ == rdSkip) {
    if (kw && kw->Id == riBin && hasNum) SkipBinary(num);
    star_ = false;
    return rrOk;
  }
  if (!kw) {
    if (star_) dest_ = rdSkip;
    star_ = false;
    return rrOk;
  }
  if (kw->Id != riStar) star_ = false;
  if (pendingSkip_ > 0 && kw->Kind == rkSymbol) {
    --pendingSkip_;
    return rrOk;
  }
  switch (kw->Kind) {
    case rkSymbol:
      if (kw->Id != riIgnore) CharHandler(static_cast<unsigned char>(kw->Value), kw->Value == 10);
      return rrOk;
    case rkDestination:
      Destination(*kw);
      return rrOk;
    case rkProperty:
      return Property(*kw, kw->Fixed ? kw->Value : (hasNum ? num : kw->Value), hasNum);
    case rkSpecial:
      if (kw->Id == riStar) star_ = true;
      else if (kw->Id == riBin && hasNum) SkipBinary(num);
      return rrOk;
  }
  return rrBadKind;
}

void TWPRtfReader::SkipBinary(int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (ReadChar() < 0) return;
}

void TWPRtfReader::CharHandler(unsigned char c, bool lineBreak) {
  switch (dest_) {
    case rdText:
      if (c == 0 || c == 13) return;
      if (c == 10) {
        if (lineBreak) StoreText(10, true);
        return;
      }
      // The object character follows the object's words; without them it is
      // a control character like the others.
      if (c == 1 && objWord_) {
        objWord_ = false;
        TakeColors();
        TWPAttrRecord a = CurAttr;
        const int number = (objTag_ > 0 && objTag_ < 65536 && !Text->FindObject(objTag_, 0)) ? objTag_ : -1;
        TWPObjectEntry* e = Text->AddObject(nullptr, number, objW_, objH_);
        a.Style |= wpsObject;
        a.Tag = e->Number;
        StoreChar(1, a);
        objTag_ = objW_ = objH_ = 0;
        return;
      }
      if (c < 4) return;
      // The Symbol font's bullet (U+F0B7 as Unicode, below) is the code page's.
      if (c == 0xB7 && SameText(Header->FontName(CurAttr.Font), "Symbol")) c = 0x95;
      StoreText(c);
      return;
    case rdFontTable:
      if (c == ';') {
        size_t b = 0;
        while (b < fontName_.size() && fontName_[b] == ' ') ++b;
        const std::string name = fontName_.substr(b);
        fontName_.clear();
        if (name.empty() || curFont_ < 0) return;
        bool existed = false;
        for (int i = 0; i < kWPFontCount && !Header->FontNames[i].empty(); ++i)
          if (SameText(Header->FontNames[i], name.substr(0, 31))) existed = true;
        int n = Header->FontIndex(name);
        if (n >= kWPFontCount) n = 0;
        if (!existed || !KeepPageSettings) {
          Header->FontFamily[n] = fontFamily_;
          Header->FontCharset[n] = fontCharset_;
        }
        fontMap_[curFont_] = n;
        if (curFont_ == 0) CurAttr.Font = static_cast<uint8_t>(n);
        fontFamily_ = fontCharset_ = 0;
      } else if (fontName_.size() < 64) {
        fontName_.push_back(static_cast<char>(c));
      }
      return;
    case rdTitle:
      if (c) Header->Title.push_back(static_cast<char>(c));
      return;
    case rdComment:
      if (c) Header->Comment.push_back(static_cast<char>(c));
      return;
    case rdSubject:
      if (c) Header->Subject.push_back(static_cast<char>(c));
      return;
    case rdFootnote:
      if (fnFirst_) {
        fnFirst_ = false;
        const char mark = (fnLine_ && fnIndex_ >= 0) ? fnLine_->pc[fnIndex_] : '?';
        if (static_cast<char>(c) == mark) {
          fnSkipBlank_ = !fnNumbered_;
          return;
        }
        if (c == ' ') return;
      } else if (fnSkipBlank_) {
        fnSkipBlank_ = false;
        if (c == ' ' || c == 0xA0) return;
      }
      if (c && fnText_.size() < 1000000) fnText_.push_back(static_cast<char>(c));
      return;
    case rdBookmark:
      if (c && bmName_.size() < 255) bmName_.push_back(static_cast<char>(c));
      return;
    default:
      return;
  }
}

void TWPRtfReader::Destination(const TRtfKeyword& kw) {
  if (dest_ != rdText) {
    // Destinations only open from text; anything else is dropped whole.
    dest_ = rdSkip;
    return;
  }
  switch (kw.Id) {
    case riFontTbl:
      dest_ = rdFontTable;
      curFont_ = 0;
      fontName_.clear();
      return;
    case riColorTbl:
      dest_ = rdColorTable;
      colorIdx_ = 0;
      srcColors_[0] = 0;
      srcAuto_[0] = true;
      return;
    case riPict:
      ResetPicture();
      dest_ = rdPicture;
      return;
    case riPicFile:
      ResetPicture();
      picIsFile_ = true;
      dest_ = rdPictureFile;
      return;
    case riTitle:
      dest_ = Header->Title.empty() ? rdTitle : rdSkip;
      return;
    case riSubject:
      dest_ = Header->Subject.empty() ? rdSubject : rdSkip;
      return;
    case riComment:
      dest_ = Header->Comment.empty() ? rdComment : rdSkip;
      return;
    case riFootnote: {
      if (line_->Length == 0) StoreText('?');
      fnLine_ = line_;
      fnIndex_ = line_->Length - 1;
      fnAuto_ = autoMarkLine_ == fnLine_ && autoMarkIndex_ == fnIndex_;
      fnText_.clear();
      fnFirst_ = true;
      fnSkipBlank_ = false;
      fnNumbered_ = false;
      fnSize_ = CurAttr.Size;
      dest_ = rdFootnote;
      return;
    }
    case riBkmkStart:
      bmName_.clear();
      dest_ = rdBookmark;
      return;
    case riBkmkEnd:
      dest_ = rdSkip;
      bmEndLevel_ = static_cast<int>(frames_.size());
      return;
    case riField:
      return;
    default:
      dest_ = rdSkip;
      return;
  }
}

void TWPRtfReader::ResetPicture() {
  picType_ = rptNone;
  picW_ = picH_ = goalW_ = goalH_ = 0;
  scaleX_ = scaleY_ = 100;
  bits_ = 0;
  planes_ = 1;
  widthBytes_ = 0;
  picIsFile_ = false;
  inQuotes_ = false;
  picData_.clear();
  fileName_.clear();
  hexHigh_ = -1;
}

void TWPRtfReader::Push() {
  frames_.push_back(Frame{CurAttr, ps_, dest_, fgEntry_, bgEntry_});
}

uint8_t TWPRtfReader::Pop() {
  if (frames_.empty()) return rrUnbalanced;
  const Frame f = frames_.back();
  const TRtfDest closing = dest_;
  const bool bookmarkEnd = bmEndLevel_ == static_cast<int>(frames_.size());
  // A paragraph that got text or properties inside this group keeps them.
  if (closing == rdText && parDirty_) {
    ApplyState(Par, (Par->Flags & wppTableCell) != 0);
    parDirty_ = false;
    stateApplied_ = true;
  }
  if ((closing == rdPicture || closing == rdPictureFile) && f.Dest != closing) {
    dest_ = f.Dest;
    CurAttr = f.Attr;
    fgEntry_ = f.FgEntry;
    bgEntry_ = f.BgEntry;
    FinishPicture();
  }
  if (closing == rdFootnote && f.Dest != rdFootnote) FinishFootnote();
  if (closing == rdColorTable && f.Dest != rdColorTable) RemapColors();
  int bookmark = -1;
  if (closing == rdBookmark && f.Dest != rdBookmark) {
    bookmark = Text->BookmarkNames.IndexOf(bmName_);
    if (bookmark < 0) bookmark = Text->BookmarkNames.Add(bmName_);
  }
  frames_.pop_back();
  CurAttr = f.Attr;
  fgEntry_ = f.FgEntry;
  bgEntry_ = f.BgEntry;
  ps_ = f.State;
  dest_ = f.Dest;
  // Text after the font table is in the document's font 0.
  if (closing == rdFontTable && dest_ != rdFontTable) CurAttr.Font = static_cast<uint8_t>(fontMap_[0]);
  if (bookmark >= 0) {
    CurAttr.Style |= wpsBookmark;
    CurAttr.Tag = static_cast<uint16_t>(std::min(bookmark, 65535));
  }
  if (bookmarkEnd) {
    bmEndLevel_ = -1;
    if (CurAttr.Style & wpsBookmark) {
      CurAttr.Style &= ~wpsBookmark;
      CurAttr.Tag = 0;
    }
  }
  return rrOk;
}

void TWPRtfReader::RemapColors() {
  // An empty entry after the last ";" is none.
  const int count = std::min(colorIdx_ + (colorIdx_ < kRtfMaxColors && !srcAuto_[colorIdx_]), kRtfMaxColors);
  if (!KeepPageSettings && count <= 16) {
    // A table the header holds whole keeps its numbers, as the engine's own
    // files are written.
    for (int i = 0; i < count; ++i) {
      Header->Colors[i] = srcColors_[i];
      colorMap_[i] = static_cast<int16_t>(i);
    }
    return;
  }
  // Otherwise the slots go to the colours the text uses, as they come: a
  // colour the header has keeps its slot, a new one takes a free slot, and
  // only when none is left the nearest colour.
  for (int i = 0; i < kRtfMaxColors; ++i) colorMap_[i] = static_cast<int16_t>(i < count ? -1 : 0);
  bool used[16] = {true};  // slot 0 is the colour of plain text
  if (KeepPageSettings) {
    EachColorPair(Text, [&used](const uint8_t& pair, bool lowOnly) {
      used[pair & 15] = true;
      if (!lowOnly) used[pair >> 4] = true;
    });
  } else {
    Header->Colors[0] = 0;  // black, as "auto" text is
  }
  // A slot that repeats a colour before it is taken first, then one nothing
  // uses, then a repeated one that text uses (which moves to the first).
  std::vector<std::pair<int, int>> repeated, unused, moved;
  for (int s = 1; s < 16; ++s) {
    int first = s;
    for (int f = 0; f < s && first == s; ++f)
      if (Header->Colors[f] == Header->Colors[s]) first = f;
    if (!used[s] || !KeepPageSettings) (first < s ? repeated : unused).emplace_back(s, -1);
    else if (first < s) moved.emplace_back(s, first);
  }
  freeSlots_ = std::move(repeated);
  freeSlots_.insert(freeSlots_.end(), unused.begin(), unused.end());
  freeSlots_.insert(freeSlots_.end(), moved.begin(), moved.end());
}

uint8_t TWPRtfReader::ColorSlot(int entry, bool text) {
  if (entry < 0 || entry >= kRtfMaxColors) return 0;
  if (colorMap_[entry] >= 0) return static_cast<uint8_t>(colorMap_[entry]);
  const TColor c = srcColors_[entry];
  int slot = srcAuto_[entry] ? 0 : -1;
  for (int s = 0; s < 16 && slot < 0; ++s)
    if (Header->Colors[s] == c) slot = s;
  if (slot < 0 && !freeSlots_.empty()) {
    const auto [free, sameAs] = freeSlots_.front();
    if (sameAs >= 0) MoveSlotUsers(free, sameAs);
    Header->Colors[free] = c;
    slot = free;
  }
  if (slot < 0) {
    // Not kept for the entry: a text colour and a background may take
    // different ones.
    if (std::find(changed_.begin(), changed_.end(), c) == changed_.end()) changed_.push_back(c);
    return static_cast<uint8_t>(NearestColor(Header->Colors, c, text));
  }
  std::erase_if(freeSlots_, [slot](const std::pair<int, int>& f) { return f.first == slot; });
  colorMap_[entry] = static_cast<int16_t>(slot);
  return static_cast<uint8_t>(slot);
}

void TWPRtfReader::TakeColors() {
  if (fgEntry_ >= 0) CurAttr.Colors = static_cast<uint8_t>((CurAttr.Colors & 0xF0) | ColorSlot(fgEntry_, true));
  if (bgEntry_ >= 0) CurAttr.Colors = static_cast<uint8_t>((CurAttr.Colors & 0x0F) | ColorSlot(bgEntry_, false) << 4);
  fgEntry_ = bgEntry_ = -1;
}

void TWPRtfReader::MoveSlotUsers(int from, int to) {
  EachColorPair(Text, [from, to](uint8_t& pair, bool lowOnly) {
    if ((pair & 15) == from) pair = static_cast<uint8_t>((pair & 0xF0) | to);
    if (!lowOnly && (pair >> 4) == from) pair = static_cast<uint8_t>((pair & 0x0F) | to << 4);
  });
}

void TWPRtfReader::UnicodeChar(char32_t u) {
  // Word processors write a list's bullet as the Symbol font's private
  // character.
  if (u == 0xF0B7 || u == 0xF095) {
    CharHandler(0x95);
    return;
  }
  // A character beyond the code page is taken as pasted text is: folded to
  // its base letter, or left out.
  AnsiString chars;
  FoldOrLeaveOut(u, chars, LeftOut);
  for (const char c : chars)
    if (c) CharHandler(static_cast<unsigned char>(c));
}

void TWPRtfReader::TakeCellLooks() {
  if (!rowActive_ || curCell_ >= cellCount_) return;
  const Cell& c = cells_[curCell_];
  ps_.BorderFlags = c.BorderFlags;
  ps_.BorderStyle = c.BorderStyle;
  ps_.BorderWidth = c.BorderWidth;
  ps_.BorderColor = c.BorderColor;
  ps_.Shading = c.Shading;
  ps_.ShadingPercent = 0;
}

void TWPRtfReader::PutColor(uint8_t& pair, int32_t v, bool high) {
  if (v < 0 || v >= kRtfMaxColors) return;
  const uint8_t slot = ColorSlot(v, !high);
  pair = static_cast<uint8_t>(high ? (pair & 0x0F) | (slot << 4) : (pair & 0xF0) | slot);
}

uint8_t& TWPRtfReader::BorderTarget(int which) {
  if (inRowDef_) {
    Cell& c = cells_[std::min(cellCount_, kRtfMaxCells)];
    switch (which) {
      case 0: return c.BorderFlags;
      case 1: return c.BorderStyle;
      case 2: return c.BorderWidth;
      default: return c.BorderColor;
    }
  }
  switch (which) {
    case 0: return ps_.BorderFlags;
    case 1: return ps_.BorderStyle;
    case 2: return ps_.BorderWidth;
    default: return ps_.BorderColor;
  }
}

uint8_t TWPRtfReader::Property(const TRtfKeyword& kw, int32_t v, bool hasNum) {
  const TRtfId id = kw.Id;
  // Words that give characters work wherever characters are collected.
  switch (id) {
    case riSpace: CharHandler(' '); return rrOk;
    case riUnicode: {
      // The stand-ins that follow for readers without Unicode are skipped;
      // a character beyond 16 bits comes as two halves.
      pendingSkip_ = ucSkip_;
      const char32_t u = static_cast<char32_t>(std::clamp(v < 0 ? v + 65536 : v, 0, 0xFFFF));
      const char32_t high = std::exchange(highSurrogate_, 0);
      if (u >= 0xD800 && u <= 0xDBFF) highSurrogate_ = u;
      else if (u >= 0xDC00 && u <= 0xDFFF) UnicodeChar(high ? 0x10000 + ((high - 0xD800) << 10) + (u - 0xDC00) : 0xFFFD);
      else UnicodeChar(u);
      return rrOk;
    }
    case riUnicodeSkip: ucSkip_ = std::clamp(v, 0, 8); return rrOk;
    case riFootnoteMark:
      if (dest_ == rdText) {
        int number = 1;
        for (const TWPFootnoteEntry* f = Text->FirstFootnote; f; f = f->next) number = f->Number + 1;
        StoreText(WPAutoFootnoteMark(number));
        autoMarkLine_ = line_;
        autoMarkIndex_ = line_->Length - 1;
      } else if (dest_ == rdFootnote && fnFirst_) {
        // The note repeats its mark at its start; the text follows it.
        fnFirst_ = false;
        fnSkipBlank_ = true;
      }
      return rrOk;
    default: break;
  }
  switch (dest_) {
    case rdFontTable:
      if (id == riFont) curFont_ = (v >= 0 && v < kWPFontCount) ? v : -1;
      else if (id == riFontFamily) fontFamily_ = v;
      else if (id == riCharset) fontCharset_ = std::clamp(v, 0, 255);
      return rrOk;
    case rdColorTable:
      if (colorIdx_ < kRtfMaxColors) {
        const uint32_t c = static_cast<uint32_t>(std::clamp(v, 0, 255));
        TColor& t = srcColors_[colorIdx_];
        if (id == riRed) t = (t & 0xFFFF00) | c;
        else if (id == riGreen) t = (t & 0xFF00FF) | (c << 8);
        else if (id == riBlue) t = (t & 0x00FFFF) | (c << 16);
        if (id == riRed || id == riGreen || id == riBlue) srcAuto_[colorIdx_] = false;
      }
      return rrOk;
    case rdPicture:
    case rdPictureFile:
      switch (id) {
        case riPicType: picType_ = v; break;
        case riPicW: picW_ = v; break;
        case riPicH: picH_ = v; break;
        case riPicGoalW: goalW_ = std::clamp(v, 0, 1000000); break;
        case riPicGoalH: goalH_ = std::clamp(v, 0, 1000000); break;
        case riPicScaleX: scaleX_ = std::clamp(v, 1, 10000); break;
        case riPicScaleY: scaleY_ = std::clamp(v, 1, 10000); break;
        case riBitsPixel: bits_ = v; break;
        case riPlanes: planes_ = v; break;
        case riWidthBytes: widthBytes_ = v; break;
        case riBmpFile: picIsFile_ = true; break;
        default: break;
      }
      return rrOk;
    case rdFootnote:
      if (id == riFootnoteNr) fnNumbered_ = true;
      // The note keeps one size: the one its text starts in.
      if (fnText_.empty() && id == riPlain) fnSize_ = kRtfDefaultSize;
      if (fnText_.empty() && id == riFontSize) fnSize_ = RtfPoints(v);
      return rrOk;
    case rdText:
      break;
    default:
      return rrOk;
  }

  switch (id) {
    case riPlain: {
      const bool bm = CurAttr.Style & wpsBookmark;
      const uint16_t tag = CurAttr.Tag;
      TWPAttrRecord a;
      a.Font = static_cast<uint8_t>(fontMap_[0]);
      a.Size = kRtfDefaultSize;
      if (bm) {
        a.Style = wpsBookmark;
        a.Tag = tag;
      }
      CurAttr = a;
      fgEntry_ = bgEntry_ = -1;
      return rrOk;
    }
    case riPar:
    case riPage:
      if (id == riPar && ps_.InTable && rowActive_) {
        CharHandler(10, true);
        return rrOk;
      }
      if (id == riPage && Par->line->Length == 0 && !Par->line->next) {
        Par->Flags |= wppPageBreak;
        return rrOk;
      }
      EndParagraph(false);
      if (id == riPage) Par->Flags |= wppPageBreak;
      return rrOk;
    case riFont:
      if (v >= 0 && v < kWPFontCount) CurAttr.Font = static_cast<uint8_t>(fontMap_[v]);
      return rrOk;
    case riFontSize:
      CurAttr.Size = RtfPoints(v);
      return rrOk;
    case riStyle: {
      const std::string_view w = kw.Word;
      uint32_t bit = 0;
      if (w == "b") bit = wpsBold;
      else if (w == "i") bit = wpsItalic;
      else if (w == "ul") bit = wpsUnderline;
      else if (w == "uldb") bit = wpsHyperlink;
      else if (w == "strike") bit = wpsStrikeOut;
      else if (w == "shad") bit = wpsProtected;
      else if (w == "v") bit = wpsHidden;
      else if (w == "super") bit = wpsSuperScript;
      else if (w == "sub") bit = wpsSubScript;
      if (v != 0) CurAttr.Style |= bit;
      else CurAttr.Style &= ~bit;
      return rrOk;
    }
    case riNoSuperSub: CurAttr.Style &= ~(wpsSuperScript | wpsSubScript); return rrOk;
    case riInsPoint:
      if (v != 0) {
        CurAttr.Style = (CurAttr.Style | wpsInsertPoint) & ~wpsAutomatic;
        CurAttr.Tag = static_cast<uint16_t>(std::clamp(v, 0, 65535));
      } else {
        CurAttr.Style &= ~wpsInsertPoint;
      }
      return rrOk;
    case riInAut:
      if (v != 0) CurAttr.Style = (CurAttr.Style | wpsAutomatic) & ~wpsInsertPoint;
      else CurAttr.Style &= ~wpsAutomatic;
      return rrOk;
    case riRtfCode:
      if (v != 0) {
        CurAttr.Style |= wpsRtfCode;
        codeOpen_ = true;
        codeMatched_ = 0;
      } else {
        CurAttr.Style &= ~wpsRtfCode;
      }
      return rrOk;
    // A character's colours get their slots when a character has them.
    case riTextColor: if (v >= 0 && v < kRtfMaxColors) fgEntry_ = v; return rrOk;
    case riBackColor: if (v >= 0 && v < kRtfMaxColors) bgEntry_ = v; return rrOk;
    case riObjTag: objTag_ = v; objWord_ = true; return rrOk;
    case riObjW: objW_ = std::clamp(v, 0, 1000000); objWord_ = true; return rrOk;
    case riObjH: objH_ = std::clamp(v, 0, 1000000); objWord_ = true; return rrOk;
    case riPaperW: case riPaperH: case riMargL: case riMargR: case riMargT: case riMargB: {
      if (KeepPageSettings) return rrOk;
      const int32_t x = std::clamp(v, 0, 1000000);
      if (id == riPaperW) Header->PageWidth = std::max(x, 1);
      else if (id == riPaperH) Header->PageHeight = std::max(x, 1);
      else if (id == riMargL) Header->MarginLeft = x;
      else if (id == riMargR) Header->MarginRight = x;
      else if (id == riMargT) Header->MarginTop = x;
      else Header->MarginBottom = x;
      return rrOk;
    }
    case riFacing:
    case riLandscape:
      if (KeepPageSettings) return rrOk;
      (id == riFacing ? Header->FacingPages : Header->Landscape) = true;
      return rrOk;
    case riIgnored: case riFootnoteNr: case riFontFamily: case riCharset:
    case riPicType: case riPicW: case riPicH: case riPicGoalW: case riPicGoalH: case riPicScaleX:
    case riPicScaleY: case riBitsPixel: case riPlanes: case riWidthBytes: case riBmpFile: case riRed:
    case riGreen: case riBlue:
      return rrOk;
    case riClmrg:
      // The cell being defined joins the one before it.
      if (inRowDef_) cells_[std::min(cellCount_, kRtfMaxCells)].Merged = true;
      return rrOk;
    default:
      break;
  }

  if (id == riCell) {
    if (rowActive_ && curCell_ + 1 < cellCount_ && cells_[curCell_ + 1].Merged) {
      // The next cell is merged into this one: one paragraph spans both,
      // and the merged cell's text (if any) continues it.
      ++curCell_;
      mergeGap_ = true;
      return rrOk;
    }
    EndParagraph(true);
    return rrOk;
  }
  // Paragraph and table properties.
  const bool wasDirty = parDirty_;
  parDirty_ = true;
  switch (id) {
    case riLeft: ps_.Left = std::clamp(v, 0, 1000000); return rrOk;
    case riRight: ps_.Right = std::clamp(v, -1000000, 1000000); return rrOk;
    case riFirst: ps_.First = std::clamp(v, -1000000, 1000000); return rrOk;
    case riSpaceBefore: ps_.Before = std::clamp(v, -1000000, 1000000); return rrOk;
    case riSpaceAfter: ps_.After = std::clamp(v, -1000000, 1000000); return rrOk;
    case riLineSpacing:
      // "\\slmult1" follows the spacing it makes proportional.
      ps_.Spacing = std::clamp(v, -1000000, 1000000);
      ps_.Multiple = false;
      return rrOk;
    case riLineMultiple: ps_.Multiple = v != 0; return rrOk;
    case riAlign: ps_.Align = static_cast<uint8_t>(v & 3); return rrOk;
    case riPard:
      if (Par->prev && (Par->prev->BorderFlags & kBrdHas)) Par->prev->BorderFlags |= kBrdNotPassed;
      ps_ = ParState{};
      inRowDef_ = false;
      return rrOk;
    case riTab: {
      int32_t pos = v;
      if (pos > 0 && pos <= 1000000) {
        Header->AddTab(tabKind_, pos);
        const int slot = Header->FindTabAnySet(tabKind_, pos);
        if (slot >= 0) ps_.Tabs |= TWPTabSet{1} << slot;
      }
      tabKind_ = 0;
      return rrOk;
    }
    case riTabKind: tabKind_ = std::clamp(v, 0, 3); return rrOk;
    case riTrowd:
      rowActive_ = true;
      inRowDef_ = true;
      cellCount_ = curCell_ = cellPars_ = colPos_ = 0;
      rowLeft_ = widest_ = 0;
      gap_ = 0;
      for (Cell& c : cells_) c = Cell{};
      return rrOk;
    case riCellx:
      if (cellCount_ < kRtfMaxCells) {
        Cell& c = cells_[cellCount_];
        c.Edge = std::max(0, static_cast<int32_t>(std::clamp<int64_t>(int64_t{v} - rowLeft_, 0, 1000000)));
        if ((c.BorderFlags & (kBrdTop | kBrdBottom | kBrdLeft | kBrdRight)) == (kBrdTop | kBrdBottom | kBrdLeft | kBrdRight))
          c.BorderFlags |= kBrdBox;
        if (c.BorderFlags) c.BorderFlags |= kBrdNotPassed;
        c.BorderColor = static_cast<uint8_t>((c.BorderColor & 0x0F) | (gap_ << 4));
        widest_ = std::max(widest_, c.Edge);
        ++cellCount_;
      }
      return rrOk;
    case riTrleft: rowLeft_ = std::clamp(v, 0, 1000000); return rrOk;
    case riTrgaph: {
      int32_t g = v;
      if (g >= 1 && g <= 55) g = 56;
      gap_ = static_cast<uint8_t>(std::clamp(g / 56, 0, 15));
      return rrOk;
    }
    case riIntbl:
      ps_.InTable = true;
      inRowDef_ = false;
      TakeCellLooks();
      return rrOk;
    case riRow:
      if (lastCell_) lastCell_->Flags &= ~wppRowGoesOn;
      lastCell_ = nullptr;
      Par->BorderFlags = Par->BorderStyle = Par->BorderWidth = Par->BorderColor = 0;
      Par->SpaceBefore = 0;
      Par->Shading = Par->ShadingPercent = 0;
      curCell_ = cellPars_ = 0;
      colPos_ = 0;
      ps_.InTable = false;
      parDirty_ = wasDirty;
      return rrOk;
    case riBorder: {
      static const uint16_t kBits[] = {kBrdBox, kBrdTop, kBrdLeft, kBrdBottom, kBrdRight, kBrdDouble,
                                       kBrdDotted, kBrdHair, kBrdBar, kBrdTableLine};
      const uint16_t bit = (v >= 0 && v <= 9) ? kBits[v] : 0;
      BorderTarget(0) |= static_cast<uint8_t>((bit & 0xFF) | kBrdHas);
      BorderTarget(1) |= static_cast<uint8_t>(bit >> 8);
      return rrOk;
    }
    case riCellBorder: {
      static const uint8_t kSides[] = {0, kBrdTop, kBrdLeft, kBrdBottom, kBrdRight};
      if (inRowDef_ && v >= 1 && v <= 4) cells_[std::min(cellCount_, kRtfMaxCells)].BorderFlags |= kSides[v] | kBrdHas;
      return rrOk;
    }
    case riBrdrw:
      // A border thinner than a point is the thinnest the engine keeps, not
      // none.
      BorderTarget(2) = Clamp8(v > 0 ? std::max(1, v / 20 + (v % 20 >= 10)) : 0);
      return rrOk;
    case riBrsp:
      if (!inRowDef_) ps_.BorderColor = static_cast<uint8_t>((ps_.BorderColor & 0x0F) | (std::clamp(v / 56, 0, 15) << 4));
      return rrOk;
    case riBrdrcf: PutColor(BorderTarget(3), v, false); return rrOk;
    case riKeep: ps_.Keep = true; return rrOk;
    case riPageBefore: ps_.PageBefore = true; return rrOk;
    case riShading: ps_.ShadingPercent = static_cast<uint8_t>(std::clamp(v / 100, 0, 100)); return rrOk;
    // Border and shading colours name entries of the document's colour
    // table, as text colours do.
    case riCfpat: PutColor(ps_.Shading, v, false); return rrOk;
    case riCbpat: PutColor(ps_.Shading, v, true); return rrOk;
    case riClCfpat: PutColor(cells_[std::min(cellCount_, kRtfMaxCells)].Shading, v, false); return rrOk;
    case riClCbpat: PutColor(cells_[std::min(cellCount_, kRtfMaxCells)].Shading, v, true); return rrOk;
    default:
      break;
  }
  (void)hasNum;
  return rrNoHandler;
}

void TWPRtfReader::ApplyState(TWPParagraphRec* p, bool cell) {
  p->Align = ps_.Align;
  p->FirstIndent = ps_.First;
  p->LeftIndent = ps_.Left;
  p->RightIndent = ps_.Right;
  p->SpaceBefore = ps_.Before;
  p->SpaceAfter = ps_.After;
  p->LineSpacing = ps_.Spacing;
  p->Shading = ps_.Shading;
  p->ShadingPercent = ps_.ShadingPercent;
  p->BorderFlags = ps_.BorderFlags;
  p->BorderStyle = ps_.BorderStyle;
  p->BorderWidth = ps_.BorderWidth;
  p->BorderColor = ps_.BorderColor;
  p->Tabs = cell ? 0 : ps_.Tabs;
  if (ps_.Keep) p->Flags |= wppKeepTogether;
  else p->Flags &= ~wppKeepTogether;
  if (ps_.PageBefore && !cell) p->Flags |= wppPageBreak;
  if (ps_.Multiple && ps_.Spacing > 0) p->Flags |= wppLineMultiple;
  else p->Flags &= ~wppLineMultiple;
}

void TWPRtfReader::EndParagraph(bool cell) {
  TWPParagraphRec* p = Par;
  // A paragraph whose group closed before its end keeps the state of that
  // group unless something came after it.
  if (parDirty_ || !stateApplied_) ApplyState(p, cell);
  else if (cell) p->Tabs = 0;
  stateApplied_ = false;
  if (cell) {
    const TTextHeader& h = *Header;
    const int64_t printable = static_cast<int64_t>(h.PageWidth) - h.MarginLeft - h.MarginRight;
    int width = 10;
    if (curCell_ < cellCount_ && widest_ > 0) {
      const int end = MulDiv(255, cells_[curCell_].Edge, widest_);
      width = std::max(1, end - colPos_);
    }
    width = std::min(width, 255);
    p->ColStart = static_cast<uint8_t>(std::clamp(colPos_, 0, 255));
    p->ColWidth = static_cast<uint8_t>(width);
    colPos_ = std::min(colPos_ + width, 255);
    p->LeftIndent = rowLeft_;
    p->FirstIndent = 0;
    p->RightIndent = static_cast<int32_t>(std::clamp<int64_t>(printable - widest_, 0, 1000000));
    p->Flags = static_cast<uint8_t>((p->Flags & ~(wppRowContinues | wppRowGoesOn)) | wppTableCell | wppRowGoesOn);
    if (cellPars_ > 0) p->Flags |= wppRowContinues;
    lastCell_ = p;
    ++curCell_;
    ++cellPars_;
    // The next cell's text has its own cell's borders and shading, not
    // this one's.
    TakeCellLooks();
  } else {
    p->Flags &= ~(wppTableCell | wppRowContinues | wppRowGoesOn);
  }
  ps_.Keep = false;
  mergeGap_ = false;
  NextParagraph();
}

void TWPRtfReader::FinishPicture() {
  if (hexHigh_ >= 0) hexHigh_ = -1;
  auto pic = std::make_unique<TWPPictureObject>();
  bool ok = false;
  if (picIsFile_) {
    // A missing file keeps its reference, so that saving writes it again.
    pic->Kind = pkFile;
    pic->FileName = fileName_;
    ok = !fileName_.empty();
    if (ok && FileExists(fileName_)) LoadPictureFile(*pic);
  } else if (picType_ == rptWBitmap) {
    pic->Kind = pkDDB;
    ok = DDBSizeOk(picData_.size(), picW_, picH_, bits_, planes_, widthBytes_);
  } else if (picType_ == rptDIBitmap) {
    pic->Kind = pkDIB;
    ok = DIBSizeOk(picData_);
  } else if (picType_ == rptMetafile) {
    pic->Kind = pkMetafile;
    ok = !picData_.empty();
  }
  pic->PixWidth = picW_;
  pic->PixHeight = picH_;
  pic->GoalWidth = goalW_;
  pic->GoalHeight = goalH_;
  pic->BitsPerPixel = bits_;
  pic->Planes = planes_;
  pic->WidthBytes = widthBytes_;
  const int32_t w = MulDiv(goalW_, scaleX_, 100), h = MulDiv(goalH_, scaleY_, 100);
  TWPTextObject* obj = nullptr;
  if (ok) {
    if (!picIsFile_) pic->Data = std::move(picData_);
    obj = pic.get();
    Objects.push_back(std::move(pic));
  }
  picData_.clear();
  // Data that does not cover its layout leaves a placeholder of the size.
  TWPObjectEntry* e = Text->AddObject(obj, -1, std::max(w, 0), std::max(h, 0));
  TakeColors();
  TWPAttrRecord a = CurAttr;
  a.Style |= wpsObject;
  a.Tag = e->Number;
  StoreChar(1, a);
}

void TWPRtfReader::LoadPictureFile(TWPPictureObject& pic) {
  std::string bytes;
  try {
    TMemoryStream m;
    m.LoadFromFile(pic.FileName);
    if (m.Size() > 64 * 1024 * 1024) return;
    bytes.assign(m.Memory(), static_cast<size_t>(m.Size()));
  } catch (const Exception&) {
    return;
  }
  const AnsiString ext = UpperCase(ExtractFileExt(pic.FileName));
  if (ext == ".WMF" || ext == ".EMF") {
    // A placeable header is dropped; the data is the metafile itself.
    if (bytes.size() > 22 && bytes.compare(0, 4, "\xD7\xCD\xC6\x9A") == 0) bytes.erase(0, 22);
    if (bytes.empty()) return;
    pic.Kind = pkMetafile;
    pic.Data = std::move(bytes);
  } else if (bytes.size() > 14 && bytes[0] == 'B' && bytes[1] == 'M') {
    std::string dib = bytes.substr(14);
    if (!DIBSizeOk(dib)) return;
    pic.Kind = pkDIB;
    pic.Data = std::move(dib);
  }
}

void TWPRtfReader::FinishFootnote() {
  const uint8_t mark = (fnLine_ && fnIndex_ >= 0) ? static_cast<uint8_t>(fnLine_->pc[fnIndex_]) : '?';
  TWPFootnoteEntry* f = Text->AddFootnote(mark, nullptr, fnText_);
  f->Size = fnSize_;
  if (fnAuto_) {
    f->AutoMark = true;
    f->MarkChar = WPAutoFootnoteMark(f->Number);
    fnLine_->pc[fnIndex_] = static_cast<char>(f->MarkChar);
  }
  fnAuto_ = false;
  autoMarkLine_ = nullptr;
  if (fnLine_ && fnIndex_ >= 0 && fnLine_->pa) {
    TWPAttrRecord& a = fnLine_->pa[fnIndex_];
    a.Style = (a.Style | wpsFootnote) & ~(wpsSuperScript | wpsObject);
    a.Tag = f->Number;
  }
  fnLine_ = nullptr;
  fnIndex_ = -1;
  fnText_.clear();
}
