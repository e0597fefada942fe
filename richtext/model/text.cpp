// Text model: construction, record allocation, chain management, whole-text
// operations, objects, footnotes, absolute positions and the invariant walk.
// The invariants are stated in text.h.
#include "richtext/model/text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/rtl/invariants.h"

namespace {

void* ZeroAlloc(size_t bytes) { return bytes ? std::calloc(1, bytes) : nullptr; }

// Reallocates a buffer and zero-fills what it gained.
template <class T>
T* Regrow(T* p, size_t oldCount, size_t newCount) {
  void* q = std::realloc(p, newCount * sizeof(T));
  if (!q) return nullptr;
  if (newCount > oldCount) std::memset(static_cast<char*>(q) + oldCount * sizeof(T), 0, (newCount - oldCount) * sizeof(T));
  return static_cast<T*>(q);
}

}  // namespace

void WPGetMem(void*& p, size_t size) {
  p = ZeroAlloc(size);
  if (size && !p) throw EOutOfMemory("Out of memory");
}

void WPFreeMem(void*& p) {
  std::free(p);
  p = nullptr;
}

TWPAttrRecord* AttribPtr(TWPAttrRecord* array, int index) {
  if (!array) throw Exception("Error AttribPtr()");
  return array + index;
}

void WPCopyAttribs(TWPAttrRecord* dest, int destIndex, const TWPAttrRecord* src, int count, int srcIndex) {
  if (!dest || !src || count < 1) return;
  std::memmove(dest + destIndex, src + srcIndex, static_cast<size_t>(count) * sizeof(TWPAttrRecord));
}

// ---------------------------------------------------------------------------

TWPRTFText::TWPRTFText() {
  Header = std::make_unique<TTextHeader>();
  insertPointAttr_ = std::make_unique<TCharacterAttr>(wpsInsertPoint);
  insertPointAttr_->SetTextColor(RGB(255, 0, 0));
  automaticTextAttr_ = std::make_unique<TCharacterAttr>(wpsAutomatic);
  hyperlinkTextAttr_ = std::make_unique<TCharacterAttr>(wpsHyperlink);
  hyperlinkTextAttr_->SetUnderline(tsTRUE);
  hyperlinkTextAttr_->SetUnderlineColor(0xFF0000);
  protectedTextAttr_ = std::make_unique<TCharacterAttr>(0);
  bookmarkTextAttr_ = std::make_unique<TCharacterAttr>(wpsBookmark);
  bookmarkTextAttr_->SetUnderline(tsTRUE);
  bookmarkTextAttr_->SetUnderlineColor(0x8000);
  Header->UnitsInch = true;
  Header->KeepAttributes = true;
  Header->OnTabOverflow = [this] { ReclaimTabSlots(); };
  WritingAttr.Size = 10;
  PlainText = false;
  DefaultLineHeight = 16;
  for (int& w : CharWidths) w = 16;
  PlainLineHeight = 16;
  PlainLineAscent = 14;
  InsertMode = true;
  TWPParagraphRec* par = nullptr;
  NewParagraph(par, 40);
  FirstPar = par;
  CursorPar = par;
  CursorLine = par->line;
  CursorOffset = 0;
  Created = true;
}

TWPRTFText::~TWPRTFText() {
  FreeAll();
  FreeFootnotes();
  while (FirstObject) {
    TWPObjectEntry* n = FirstObject->next;
    delete FirstObject;
    FirstObject = n;
  }
}

void TWPRTFText::FreeAll() {
  FreeParagraphChain(FirstPar);
  FirstPar = nullptr;
  CursorPar = nullptr;
  CursorLine = nullptr;
  CursorOffset = 0;
}

void TWPRTFText::FreeLine(TWPLineRec* line) {
  if (!line) return;
  FreeLineBuffers(line);
  delete line;
}

void TWPRTFText::FreeParagraphChain(TWPParagraphRec* chain) {
  while (chain) {
    TWPParagraphRec* next = chain->next;
    TWPLineRec* l = chain->line;
    while (l) {
      TWPLineRec* n = l->next;
      FreeLine(l);
      l = n;
    }
    delete chain;
    chain = next;
  }
}

// --- virtual operations -----------------------------------------------------

void TWPRTFText::SetCharAttr(TWPLineRec* line, int index, const TWPAttrRecord& attr) {
  if (!line || !line->pa || index < 0 || index >= line->Capacity) return;
  TWPAttrRecord a = attr;
  a.Font = WPValidFont(a.Font);
  unsigned char c = static_cast<unsigned char>(line->pc[index]);
  a.Width = static_cast<uint16_t>(CharWidths[c == 9 ? 32 : c]);
  a.Height = static_cast<uint16_t>(PlainLineHeight);
  a.Ascent = static_cast<uint16_t>(PlainLineAscent);
  line->pa[index] = a;
}

void TWPRTFText::SetWritingAttr(const TWPAttrRecord& attr) { WritingAttr = attr; }

void TWPRTFText::ReplaceText(TWPParagraphRec* par, TWPLineRec* line, int offset, int deleteCount, const char* text,
                             int length) {
  ReplaceInLine(par, line, offset, deleteCount, text, length, nullptr);
}

// --- records and chains -----------------------------------------------------

void TWPRTFText::CopyFormatting(TWPParagraphRec* d, const TWPParagraphRec* s, bool withNumbering) {
  d->FirstIndent = s->FirstIndent;
  d->LeftIndent = s->LeftIndent;
  d->RightIndent = s->RightIndent;
  d->SpaceBefore = s->SpaceBefore;
  d->SpaceAfter = s->SpaceAfter;
  d->LineSpacing = s->LineSpacing;
  d->Align = s->Align;
  d->Flags = s->Flags;
  d->BorderFlags = s->BorderFlags;
  d->BorderStyle = s->BorderStyle;
  d->BorderWidth = s->BorderWidth;
  d->BorderColor = s->BorderColor;
  d->Shading = s->Shading;
  d->ShadingPercent = s->ShadingPercent;
  d->Tabs = s->Tabs;
  if (withNumbering) d->Numbering = s->Numbering;
}

void TWPRTFText::NewParagraph(TWPParagraphRec*& par, int capacity) {
  TWPParagraphRec* p = new (std::nothrow) TWPParagraphRec();
  if (!p) throw EOutOfMemory("Out of Memory in\tNewParagraph");
  TWPParagraphRec* given = par;
  if (given) {
    p->FirstIndent = given->FirstIndent;
    p->LeftIndent = given->LeftIndent;
    p->RightIndent = given->RightIndent;
    p->SpaceBefore = given->SpaceBefore;
    p->SpaceAfter = given->SpaceAfter;
    p->LineSpacing = given->LineSpacing;
    p->Align = given->Align;
    p->Flags = given->Flags;
    p->Shading = given->Shading;
    p->ShadingPercent = given->ShadingPercent;
    if (!(given->BorderFlags & 2)) {
      p->BorderFlags = given->BorderFlags;
      p->BorderStyle = given->BorderStyle;
      p->BorderWidth = given->BorderWidth;
      p->BorderColor = given->BorderColor;
    }
    if (!(given->Flags & wppTableCell)) p->Tabs = given->Tabs;
    p->next = given->next;
    if (given->next) given->next->prev = p;
    given->next = p;
    p->prev = given;
  }
  TWPLineRec* l = nullptr;
  NewTextLine(l, capacity);
  if (!l) {
    if (given) {
      given->next = p->next;
      if (p->next) p->next->prev = given;
    }
    delete p;
    throw EOutOfMemory("Out of Memory in\tNewParagraph");
  }
  p->line = l;
  par = p;
}

void TWPRTFText::NewTextLine(TWPLineRec*& line, int capacity) {
  int cap = capacity < 8 ? 8 : capacity + 4;
  if (cap > kWPMaxLineCapacity) cap = kWPMaxLineCapacity;
  TWPLineRec* l = new (std::nothrow) TWPLineRec();
  if (!l) return;
  l->pc = static_cast<char*>(ZeroAlloc(cap));
  if (!l->pc) {
    delete l;
    return;
  }
  if (Header->KeepAttributes) {
    l->pa = static_cast<TWPAttrRecord*>(ZeroAlloc(cap * sizeof(TWPAttrRecord)));
    if (!l->pa) {
      std::free(l->pc);
      delete l;
      return;
    }
    l->pa[0] = WritingAttr;
    l->pa[0].Font = WPValidFont(l->pa[0].Font);
  } else {
    l->Ascent = static_cast<uint16_t>(PlainLineAscent);
  }
  l->Capacity = static_cast<uint16_t>(cap);
  l->Height = static_cast<uint16_t>(Header->KeepAttributes ? DefaultLineHeight : PlainLineHeight);
  if (line) {
    l->next = line->next;
    if (line->next) line->next->prev = l;
    line->next = l;
    l->prev = line;
  }
  line = l;
}

bool TWPRTFText::GrowLineBuffer(TWPLineRec* line, int newCapacity) {
  if (!line) return false;
  if (newCapacity > kWPMaxLineCapacity) throw ERangeError("Line longer then\t10000 character!");
  if (newCapacity < 1) newCapacity = 1;
  if (newCapacity & 1) ++newCapacity;
  char* pc = Regrow(line->pc, line->Capacity, newCapacity);
  if (!pc) return false;
  line->pc = pc;
  if (line->pa) {
    TWPAttrRecord* pa = Regrow(line->pa, line->Capacity, newCapacity);
    if (!pa) return false;
    line->pa = pa;
  }
  line->Capacity = static_cast<uint16_t>(newCapacity);
  if (line->Length >= newCapacity) line->Length = static_cast<uint16_t>(newCapacity - 1);
  line->pc[line->Length] = 0;
  return true;
}

void TWPRTFText::FreeLineBuffers(TWPLineRec* line) {
  if (!line) return;
  std::free(line->pc);
  std::free(line->pa);
  line->pc = nullptr;
  line->pa = nullptr;
  line->Capacity = 0;
  line->Length = 0;
}

void TWPRTFText::UnlinkAndFreeLine(TWPLineRec* line, TWPParagraphRec* par) {
  if (CursorLine == line) {
    if (line->prev) {
      CursorLine = line->prev;
      CursorOffset = line->prev->Length;
    } else if (line->next) {
      CursorLine = line->next;
      CursorOffset = 0;
    }
  }
  if (line->prev) line->prev->next = line->next;
  else if (par) par->line = line->next;
  if (line->next) line->next->prev = line->prev;
  FreeLine(line);
}

void TWPRTFText::DisposeParagraph(TWPParagraphRec*& par) {
  TWPParagraphRec* p = par;
  if (!p) return;
  TWPParagraphRec* next = p->next;
  if (CursorPar == p) {
    if (next) {
      CursorPar = next;
      CursorLine = next->line;
      CursorOffset = 0;
    } else if (p->prev) {
      CursorPar = p->prev;
      CursorLine = Get_LastLine(p->prev);
      CursorOffset = CursorLine->Length;
    } else {
      CursorPar = nullptr;
      CursorLine = nullptr;
      CursorOffset = 0;
    }
  }
  if (p->prev) p->prev->next = next;
  if (next) next->prev = p->prev;
  if (FirstPar == p) FirstPar = next;
  p->next = nullptr;
  p->prev = nullptr;
  FreeParagraphChain(p);
  par = next;
}

void TWPRTFText::RemoveLine(TWPLineRec* line, TWPParagraphRec* par) {
  if (!line || !par) return;
  if (line != par->line) {
    UnlinkAndFreeLine(line, par);
    par->ChangeFlags |= wpcBreak | wpcMeasure;
    return;
  }
  const bool only = line->next == nullptr;
  if (!par->prev) {
    if (only && !par->next) {  // 1: the text keeps one empty line
      line->Length = 0;
      if (line->pc) line->pc[0] = 0;
      if (CursorLine == line) CursorOffset = 0;
      par->ChangeFlags |= wpcBreak | wpcMeasure;
      return;
    }
    if (only) {  // 2: the paragraph goes, the next becomes the first
      TWPParagraphRec* p = par;
      DisposeParagraph(p);
      return;
    }
    UnlinkAndFreeLine(line, par);  // 3: its next line becomes the first
    par->ChangeFlags |= wpcBreak | wpcMeasure;
    return;
  }
  if (only) {  // 4
    TWPParagraphRec* p = par;
    DisposeParagraph(p);
    return;
  }
  // 5: the remaining lines go to the previous paragraph, whose formatting
  // they take; the paragraph record goes.
  TWPParagraphRec* prev = par->prev;
  TWPLineRec* rest = line->next;
  if (CursorLine == line) {
    CursorLine = rest;
    CursorOffset = 0;
  }
  rest->prev = nullptr;
  par->line = rest;
  FreeLine(line);
  TWPLineRec* last = Get_LastLine(prev);
  last->next = rest;
  rest->prev = last;
  if (CursorPar == par) CursorPar = prev;
  par->line = nullptr;
  prev->next = par->next;
  if (par->next) par->next->prev = prev;
  delete par;
  prev->ChangeFlags |= wpcBreak | wpcMeasure;
}

TWPLineRec* TWPRTFText::Get_LastLine(TWPParagraphRec* par) {
  TWPLineRec* l = par ? par->line : nullptr;
  if (!l) throw Exception("l=nil in Get_LastLine");
  while (l->next) l = l->next;
  return l;
}

int TWPRTFText::ParagraphIndex(const TWPParagraphRec* par, const TWPParagraphRec* first) {
  int n = 1;
  for (const TWPParagraphRec* p = first; p; p = p->next, ++n)
    if (p == par) return n;
  return 0;
}

// --- whole text -------------------------------------------------------------

bool TWPRTFText::IsEmpty() const {
  return FirstPar && !FirstPar->next && FirstPar->line && !FirstPar->line->next && FirstPar->line->Length == 0;
}

void TWPRTFText::Clear() {
  if (Busy) return;
  FreeAll();
  WritingAttr.Font = 0;
  if (WritingAttr.Size == 0) WritingAttr.Size = 10;
  if (Header->FontNames[0].empty()) Header->FontNames[0] = "Arial";
  Header->Clear();
  BookmarkNames.Clear();
  ClearObjectMarks();
  RemoveUnmarkedObjects();
  FreeFootnotes();
  Header->KeepAttributes = !PlainText;
  TWPParagraphRec* par = nullptr;
  NewParagraph(par, 100);
  par->ChangeFlags |= wpcBreak | wpcMeasure;
  FirstPar = par;
  CursorPar = par;
  CursorLine = par->line;
  CursorOffset = 0;
  Changed();
}

bool TWPRTFText::SetMemoryFormat(int format) {
  const bool toPlain = format == 1;
  if (Busy || toPlain == PlainText) return false;
  TWPAttrRecord a = WritingAttr;
  if (a.Size == 0) a.Size = 10;
  a.Font = WPValidFont(a.Font);
  for (TWPParagraphRec* p = FirstPar; p; p = p->next) {
    for (TWPLineRec* l = p->line; l; l = l->next) {
      if (toPlain) {
        std::free(l->pa);
        l->pa = nullptr;
        l->Height = static_cast<uint16_t>(PlainLineHeight);
        l->Ascent = static_cast<uint16_t>(PlainLineAscent);
      } else {
        l->pa = static_cast<TWPAttrRecord*>(ZeroAlloc(l->Capacity * sizeof(TWPAttrRecord)));
        if (!l->pa && l->Capacity) throw EOutOfMemory("Out of memory");
        for (int i = 0; i < l->Capacity; ++i) {
          l->pa[i] = a;
          const unsigned char c = static_cast<unsigned char>(l->pc[i]);
          l->pa[i].Width = static_cast<uint16_t>(CharWidths[c == 9 ? 32 : c]);
        }
        l->Height = a.Height;
        l->Ascent = a.Ascent;
      }
    }
    p->ChangeFlags |= wpcBreak | wpcMeasure;
  }
  Header->KeepAttributes = !toPlain;
  PlainText = toPlain;
  Changed();
  return true;
}

TWPObjectEntry* TWPRTFText::AddObject(TWPTextObject* obj, int number, int32_t width, int32_t height) {
  auto used = [this](bool second, int n) {
    for (TWPObjectEntry* e = FirstObject; e; e = e->next)
      if ((second ? e->SecondNumber : e->Number) == n) return true;
    return false;
  };
  auto* e = new TWPObjectEntry();
  e->Obj = obj;
  e->Width = width;
  e->Height = height;
  bool numbered = false;
  if (number == -1) {
    int n = 2000;
    while (used(false, n)) ++n;
    e->Number = static_cast<uint16_t>(n);
    numbered = true;
  } else if (number == 0) {
    int n = 1;
    while (used(true, n)) ++n;
    e->SecondNumber = static_cast<uint16_t>(n);
    numbered = true;
  } else {
    e->Number = static_cast<uint16_t>(number);
  }
  if (!FirstObject) {
    FirstObject = e;
  } else {
    TWPObjectEntry* last = FirstObject;
    while (last->next) last = last->next;
    last->next = e;
    e->prev = last;
  }
  if (numbered && !obj && OnObjectNumbered) OnObjectNumbered(e);
  return e;
}

TWPObjectEntry* TWPRTFText::FindObject(int number, int secondNumber) const {
  for (TWPObjectEntry* e = FirstObject; e; e = e->next) {
    if (number != 0 && e->Number == number) return e;
    if (secondNumber != 0 && e->SecondNumber == secondNumber) return e;
  }
  return nullptr;
}

TWPObjectEntry* TWPRTFText::FindObjectOf(const TWPTextObject* obj) const {
  for (TWPObjectEntry* e = FirstObject; e; e = e->next)
    if (e->Obj == obj) return e;
  return nullptr;
}

void TWPRTFText::ClearObjectMarks() {
  for (TWPObjectEntry* e = FirstObject; e; e = e->next) e->Mark = 0;
}

void TWPRTFText::RemoveUnmarkedObjects() {
  TWPObjectEntry* e = FirstObject;
  while (e) {
    TWPObjectEntry* next = e->next;
    if (!e->Mark) {
      if (e->prev) e->prev->next = next;
      else FirstObject = next;
      if (next) next->prev = e->prev;
      delete e;
    }
    e = next;
  }
}

void TWPRTFText::ObjectSize(const TWPObjectEntry* entry, int32_t& width, int32_t& height) const {
  width = entry ? entry->Width : 0;
  height = entry ? entry->Height : 0;
  if (entry && entry->Obj) {
    if (width == 0) width = entry->Obj->NaturalWidthTwips();
    if (height == 0) height = entry->Obj->NaturalHeightTwips();
  }
  if (width <= 0) width = 32;
  if (height <= 0) height = 32;
}

TWPFootnoteEntry* TWPRTFText::AddFootnote(uint8_t markChar, const AnsiString* rtfText, const AnsiString& text) {
  auto* f = new TWPFootnoteEntry();
  f->MarkChar = markChar;
  if (rtfText) f->RtfText = std::make_unique<AnsiString>(*rtfText);
  f->Text = text;
  TWPFootnoteEntry* last = FirstFootnote;
  while (last && last->next) last = last->next;
  f->Number = static_cast<uint16_t>(last ? last->Number + 1 : 1);
  if (last) {
    last->next = f;
    f->prev = last;
  } else {
    FirstFootnote = f;
  }
  return f;
}

TWPFootnoteEntry* TWPRTFText::FindFootnote(int number) const {
  if (number == 0) return FirstFootnote;
  for (TWPFootnoteEntry* f = FirstFootnote; f; f = f->next)
    if (f->Number == number) return f;
  return nullptr;
}

void TWPRTFText::FreeFootnotes() {
  while (FirstFootnote) {
    TWPFootnoteEntry* n = FirstFootnote->next;
    delete FirstFootnote;
    FirstFootnote = n;
  }
}

void TWPRTFText::ReclaimTabSlots() {
  TWPTabSet used = 0;
  for (int i = 0; i < kWPTabSlots; ++i)
    if (Header->TabTwips[i] != 0) used |= TWPTabSet(1) << i;
  TWPTabSet join = 0;
  for (TWPParagraphRec* p = FirstPar; p && (join & used) != used; p = p->next) join |= p->Tabs;
  const TWPTabSet unreferenced = used & ~join;
  if (!unreferenced) {
    if (OnTabTableFull) OnTabTableFull();
    return;
  }
  for (int i = 0; i < kWPTabSlots; ++i)
    if ((unreferenced >> i) & 1) Header->FreeTab(i);
  Header->RebuildTabOrder();
}

// --- positions --------------------------------------------------------------

int TWPRTFText::ParLength(const TWPParagraphRec* par) {
  int n = 0;
  for (const TWPLineRec* l = par ? par->line : nullptr; l; l = l->next) n += l->Length;
  return n;
}

void TWPRTFText::LocateInPar(TWPParagraphRec* par, int position, TWPLineRec*& line, int& offset) {
  line = par->line;
  if (position < 0) position = 0;
  while (line) {
    if (position <= line->Length || !line->next) {
      offset = std::min<int>(position, line->Length);
      return;
    }
    position -= line->Length;
    line = line->next;
  }
  offset = 0;
}

int TWPRTFText::PosInPar(const TWPParagraphRec* par, const TWPLineRec* line, int offset) {
  int n = 0;
  for (const TWPLineRec* l = par->line; l && l != line; l = l->next) n += l->Length;
  return n + std::max(offset, 0);
}

void TWPRTFText::PositionOf(const TWPParagraphRec* par, const TWPLineRec* line, int offset, int& position,
                            int& lineNumber, int& parNumber) const {
  int64_t pos = 0;
  position = lineNumber = parNumber = 0;
  for (const TWPParagraphRec* p = FirstPar; p; p = p->next) {
    if (p == par) {
      for (const TWPLineRec* l = p->line; l && l != line; l = l->next) {
        pos += l->Length;
        ++lineNumber;
      }
      pos += std::max(offset, 0);
      if (pos > INT32_MAX) throw EIntOverflow("Integer overflow");
      position = static_cast<int>(pos);
      return;
    }
    for (const TWPLineRec* l = p->line; l; l = l->next) {
      pos += l->Length;
      ++lineNumber;
    }
    pos += 1;
    ++parNumber;
  }
  position = -1;
}

bool TWPRTFText::FindPosition(int& offset, TWPLineRec*& line, TWPParagraphRec*& par, int position,
                              int lineNumber) const {
  if (lineNumber > 0) {
    int n = 0;
    for (TWPParagraphRec* p = FirstPar; p; p = p->next)
      for (TWPLineRec* l = p->line; l; l = l->next, ++n)
        if (n == lineNumber) {
          par = p;
          line = l;
          offset = std::clamp(position, 0, static_cast<int>(l->Length));
          return true;
        }
    return false;
  }
  if (position < 0) {
    par = FirstPar;
    line = FirstPar->line;
    offset = 0;
    return false;
  }
  int start = 0;
  for (TWPParagraphRec* p = FirstPar; p; p = p->next) {
    const int len = ParLength(p);
    if (position <= start + len) {
      par = p;
      LocateInPar(p, position - start, line, offset);
      return true;
    }
    start += len + 1;
  }
  par = LastParagraph();
  line = Get_LastLine(par);
  offset = line->Length;
  return false;
}

TWPParagraphRec* TWPRTFText::ParagraphAt(int number) const {
  TWPParagraphRec* p = FirstPar;
  for (int i = 0; p && i < number; ++i) p = p->next;
  return number < 0 ? nullptr : p;
}

TWPParagraphRec* TWPRTFText::LastParagraph() const {
  TWPParagraphRec* p = FirstPar;
  while (p && p->next) p = p->next;
  return p;
}

int TWPRTFText::CursorPosIn(const TWPParagraphRec* par) const {
  if (!par || CursorPar != par || !CursorLine) return -1;
  return PosInPar(par, CursorLine, CursorOffset);
}

void TWPRTFText::CursorTo(TWPParagraphRec* par, int position) {
  if (!par || position < 0) return;
  CursorPar = par;
  LocateInPar(par, position, CursorLine, CursorOffset);
}

// --- invariants -------------------------------------------------------------

void TWPRTFText::CheckAfterEdit() const {
  if (InvariantChecks()) {
    std::string why;
    if (!CheckChains(&why)) throw EInvariantBroken("text model invariant broken: " + why);
  }
}

bool TWPRTFText::CheckChains(std::string* why) const {
  auto fail = [why](const std::string& m) {
    if (why) *why = m;
    return false;
  };
  if (!FirstPar) return fail("no paragraph");
  if (FirstPar->prev) return fail("first paragraph has a previous");
  bool cursorSeen = CursorPar == nullptr;
  int parNo = 0;
  for (const TWPParagraphRec* p = FirstPar; p; p = p->next, ++parNo) {
    // Where a fault lies, spelled out only when there is one (the walk runs
    // after every edit).
    auto at = [&] { return "paragraph " + std::to_string(parNo) + ": "; };
    if (p->next && p->next->prev != p) return fail(at() + "next does not point back");
    if (!p->line) return fail(at() + "no line");
    if (p->line->prev) return fail(at() + "first line has a previous");
    bool cursorLineSeen = false;
    int lineNo = 0;
    for (const TWPLineRec* l = p->line; l; l = l->next, ++lineNo) {
      auto lat = [&] { return at() + "line " + std::to_string(lineNo) + ": "; };
      if (l->next && l->next->prev != l) return fail(lat() + "next does not point back");
      if (l->Capacity > kWPMaxLineCapacity) return fail(lat() + "capacity above the limit");
      if (l->Length >= l->Capacity) return fail(lat() + "length not below capacity");
      if (!l->pc || l->pc[l->Length] != 0) return fail(lat() + "no terminating 0");
      if (Header->KeepAttributes != (l->pa != nullptr)) return fail(lat() + "attribute array does not match storage");
      if (l->pa)
        for (int i = 0; i < l->Length; ++i)
          if (l->pa[i].Font >= kWPFontCount) return fail(lat() + "font number out of the table");
      if (l == CursorLine) cursorLineSeen = true;
    }
    if (p == CursorPar) {
      cursorSeen = true;
      if (!cursorLineSeen) return fail("cursor line not in the cursor paragraph");
      if (CursorOffset < -1 || CursorOffset > CursorLine->Length) return fail("cursor offset outside its line");
    }
  }
  if (!cursorSeen) return fail("cursor paragraph not in the chain");
  for (int i = 0; i + 1 < kWPTabSlots; ++i)
    if (Header->TabAtOrder(i) > Header->TabAtOrder(i + 1)) return fail("tab order not sorted");
  return true;
}
