// Document input and output: format choice and detection, loading and
// inserting through readers, saving through writers, copying texts and
// positions.
#include "richtext/io/textio.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "richtext/io/objects.h"
#include "richtext/model/progress.h"

namespace {

// Switches progress reports off until the returned guard ends, and puts
// the switch back as it was.
[[nodiscard]] auto ProgressOff() {
  const bool old = WPProgressOff;
  WPProgressOff = true;
  return TScopeExit{[old] { WPProgressOff = old; }};
}

// Plain-text streams up to this size are read from a memory copy.
constexpr int64_t kMemoryCopyLimit = 600000;
// Plain-text streams above this size switch an empty text to plain storage.
constexpr int64_t kPlainStorageLimit = 500000;

}  // namespace

TWPRTFTextIo::TWPRTFTextIo() {
  // The default font, as a cleared text has it, so that a new text writes
  // a font table its runs can refer to.
  if (Header->FontNames[0].empty()) Header->FontNames[0] = "Arial";
  CursorPar = FirstPar;
  CursorLine = FirstPar->line;
  CursorOffset = 0;
}

TWPRTFTextIo::~TWPRTFTextIo() = default;

void TWPRTFTextIo::Clear() {
  auto off = ProgressOff();
  TWPRTFText::Clear();
  OwnedObjects.clear();
  CursorPar = FirstPar;
  CursorLine = FirstPar ? FirstPar->line : nullptr;
  CursorOffset = 0;
}

bool TWPRTFTextIo::GetSelection(TWPParagraphRec*&, TWPLineRec*&, int&, TWPParagraphRec*&, TWPLineRec*&, int&) const {
  return false;
}

// --- writing -----------------------------------------------------------------------

void TWPRTFTextIo::PrepareWriter(TWPTextWriter* writer) {
  writer->Text = this;
  writer->FirstPar = FirstPar;
  writer->LastPar = nullptr;
  writer->FirstLine = nullptr;
  writer->FirstOffset = 0;
  writer->LastLine = nullptr;
  writer->OmitInsertPoints = OmitInsertPoints;
  writer->OmitAutomatic = OmitAutomatic;
  writer->TextEmpty = IsEmpty();
  writer->BitmapMode = WriteBitmapMode;
  writer->ToFile = SavingToFile;
  if (auto* rtf = dynamic_cast<TWPRTFWriter*>(writer)) {
    rtf->PicturesAsFiles = PicturesAsFiles;
    rtf->NoShadow = NoShadow;
    rtf->NoColorTable = NoColorTable;
  }
}

uint8_t TWPRTFTextIo::WriteWith(TWPTextWriter* writer, TStream* stream) {
  if (!writer || !stream || !Created) return ioNothingToDo;
  PrepareWriter(writer);
  uint8_t r = writer->WriteHeader(stream);
  if (r == 0) r = writer->Write(stream);
  if (r == 0) r = writer->WriteFooter(stream);
  return r;
}

uint8_t TWPRTFTextIo::WriteSelectionWith(TWPTextWriter* writer, TStream* stream) {
  TWPParagraphRec *p1 = nullptr, *p2 = nullptr;
  TWPLineRec *l1 = nullptr, *l2 = nullptr;
  int o1 = 0, o2 = 0;
  if (!GetSelection(p1, l1, o1, p2, l2, o2)) return 0;
  if (!writer || !stream || !Created) return ioNothingToDo;
  PrepareWriter(writer);
  writer->FirstPar = p1;
  writer->FirstLine = l1;
  writer->FirstOffset = o1;
  writer->LastPar = p2;
  writer->LastLine = l2;
  writer->LastOffset = o2;
  uint8_t r = writer->WriteHeader(stream);
  if (r == 0) r = writer->Write(stream);
  if (r == 0) r = writer->WriteFooter(stream);
  return r;
}

// The save format: the one asked for, else the last loaded one, else RTF
// for rich text and ANSI for plain text.
std::unique_ptr<TWPTextWriter> TWPRTFTextIo::NewSaveWriter() const {
  TWPLoadFormat fmt = SaveFormat;
  if (fmt != FormatRTF && fmt != FormatANSI) fmt = Header->LastLoadFormat;
  if (fmt != FormatRTF && fmt != FormatANSI) fmt = Header->KeepAttributes ? FormatRTF : FormatANSI;
  if (fmt == FormatANSI) return std::make_unique<TWPTextWriter>();
  return std::make_unique<TWPRTFWriter>();
}

void TWPRTFTextIo::SaveToStream(TStream* stream) {
  if (ExternalIo && !BypassExternal) {
    ExternalIo->Save(*this, *stream, false);
    return;
  }
  std::unique_ptr<TWPTextWriter> w = NewSaveWriter();
  LastResult = WriteWith(w.get(), stream);
}

void TWPRTFTextIo::SaveSelectionToStream(TStream* stream) {
  if (ExternalIo && !BypassExternal) {
    ExternalIo->Save(*this, *stream, true);
    return;
  }
  std::unique_ptr<TWPTextWriter> w = NewSaveWriter();
  LastResult = WriteSelectionWith(w.get(), stream);
}

void TWPRTFTextIo::SaveToFile(const AnsiString& fileName) {
  const TWPLoadFormat oldFormat = SaveFormat;
  const bool oldFlag = SavingToFile;
  TScopeExit restore{[this, oldFormat, oldFlag] {
    SaveFormat = oldFormat;
    SavingToFile = oldFlag;
  }};
  // A text file gets the plain text, as a file dialog's text type reads it.
  const AnsiString upper = UpperCase(fileName);
  if (upper.ends_with(".TXT")) SaveFormat = FormatANSI;
  else if (upper.find(".RTF") != AnsiString::npos) SaveFormat = FormatRTF;
  // The file is replaced only by a whole document: one cut off by a full
  // disk would pass for saved.
  TMemoryStream m;
  SavingToFile = true;
  LastResult = 0;
  SaveToStream(&m);
  const AnsiString cannot = "Die Datei \"" + ShownFileName(fileName) + "\" kann nicht geschrieben werden: ";
  if (LastResult != 0)
    throw EWriteError(cannot + CP1252("Die Daten konnten nicht vollständig geschrieben werden.").str());
  if (const int err = ReplaceFileWhole(fileName, std::string_view(m.Memory(), static_cast<size_t>(m.Size()))))
    throw EWriteError(cannot + SysErrorMessage(err));
}

void TWPRTFTextIo::WriteData(TStream* stream) {
  TWPRTFWriter w;
  LastResult = WriteWith(&w, stream);
}

// --- reading -----------------------------------------------------------------------

void TWPRTFTextIo::TakeObjects(TWPTextReader* reader) {
  for (auto& o : reader->Objects) OwnedObjects.push_back(std::move(o));
  reader->Objects.clear();
}

void TWPRTFTextIo::ReadWith(TWPTextReader* reader) {
  LastResult = ioIncomplete;
  LastLeftOut.clear();
  LastColorsChanged = 0;
  WPProgressReset();
  WPProgressBegin(100);
  if (!reader || !reader->Input || !Created) {
    LastResult = ioNothingToDo;
    WPProgressEnd();
    return;
  }
  reader->Header = Header.get();
  reader->Text = this;
  reader->CurAttr = WritingAttr;
  if (reader->CurAttr.Size == 0) reader->CurAttr.Size = 10;
  uint8_t result = ioIncomplete;
  // A failed read hands its objects over and closes the progress frame in a
  // catch: a read that succeeds does both at other points (the objects before
  // the new paragraphs go in, the frame after Changed), and handing over
  // allocates, which no destructor may risk.
  if (!IsEmpty()) {
    // Insertion: a separate chain, the target's page settings kept.
    reader->Par = nullptr;
    reader->KeepPageSettings = true;
    try {
      result = reader->Read();
    } catch (...) {
      TakeObjects(reader);
      if (reader->MadeParagraph) FreeParagraphChain(reader->FirstRead);
      WPProgressEnd();
      throw;
    }
    TakeObjects(reader);
    TWPParagraphRec* chain = reader->MadeParagraph ? reader->FirstRead : nullptr;
    if (chain) {
      if (IsProtected(CursorPar, CursorLine, CursorOffset)) {
        FreeParagraphChain(chain);
      } else {
        if (OnBeforeInsert) OnBeforeInsert(chain);
        if (!InsertParagraphs(CursorPar, CursorLine, chain, CursorOffset)) FreeParagraphChain(chain);
      }
    }
  } else {
    reader->Par = CursorPar ? CursorPar : FirstPar;
    TMemoryStream copy;
    TStream* original = reader->Input;
    const int64_t startPos = original->Position();
    const int64_t rest = original->Size() - startPos;
    const bool viaCopy = !dynamic_cast<TWPRtfReader*>(reader) && rest <= kMemoryCopyLimit;
    if (viaCopy) {
      copy.CopyFrom(original, rest);
      copy.SetPosition(0);
      reader->Input = &copy;
    }
    try {
      result = reader->Read();
    } catch (...) {
      reader->Input = original;
      TakeObjects(reader);
      WPProgressEnd();
      throw;
    }
    reader->Input = original;
    // The original stream ends up after what the reader consumed, as if it
    // had been read directly.
    if (viaCopy) original->SetPosition(startPos + copy.Position());
    TakeObjects(reader);
    if (OnBeforeInsert) OnBeforeInsert(FirstPar);
    Header->RecalcPixels();
    CursorPar = FirstPar;
    CursorLine = FirstPar->line;
    CursorOffset = 0;
    if (OnParOrBlockChanged) OnParOrBlockChanged();
  }
  LastResult = result;
  if (const auto* rtf = dynamic_cast<const TWPRtfReader*>(reader)) {
    LastLeftOut = rtf->LeftOut;
    LastColorsChanged = rtf->ColorsChanged;
  }
  WPProgressUpdate(100);
  Changed();
  WPProgressEnd();
}

TWPLoadFormat TWPRTFTextIo::LoadFromStream(TStream* stream) {
  if (ExternalIo && !BypassExternal) {
    ExternalIo->Load(*this, *stream);
    return LoadFormat;
  }
  TWPLoadFormat fmt = LoadFormat;
  if (fmt != FormatRTF && fmt != FormatANSI) {
    const int64_t pos = stream->Position();
    char c = 0;
    while (stream->Read(&c, 1) == 1 && (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\b')) {
    }
    char rest[4] = {};
    const bool brace = c == '{';
    const bool rtf = brace && stream->Read(rest, 4) == 4 && std::memcmp(rest, "\\rtf", 4) == 0;
    stream->SetPosition(pos);
    fmt = rtf ? FormatRTF : FormatANSI;
  }
  // A big plain text loaded into an empty text is kept without attributes.
  if (fmt == FormatANSI && IsEmpty() && stream->Size() - stream->Position() > kPlainStorageLimit) SetMemoryFormat(1);
  std::unique_ptr<TWPTextReader> r;
  if (fmt == FormatRTF) r = std::make_unique<TWPRtfReader>();
  else r = std::make_unique<TWPTextReader>();
  r->TakeStream(stream);
  ReadWith(r.get());
  return fmt;
}

void TWPRTFTextIo::LoadFromFile(const AnsiString& fileName) {
  TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
  Header->LastLoadFormat = LoadFromStream(&f);
}

void TWPRTFTextIo::ReadData(TStream* stream) {
  Clear();
  TWPRtfReader r;
  r.TakeStream(stream);
  ReadWith(&r);
  for (TWPParagraphRec* p = FirstPar; p; p = p->next) p->ChangeFlags |= wpcBreak | wpcMeasure;
  Changed();
}

// --- copying -------------------------------------------------------------------------

void TWPRTFTextIo::Assign(const TPersistent* source) {
  const auto* src = dynamic_cast<const TWPRTFText*>(source);
  if (!src) {
    TWPRTFText::Assign(source);
    return;
  }
  if (src == this) return;
  auto off = ProgressOff();
  Clear();
  Header->Assign(src->Header.get());
  Header->RecalcPixels();
  CopyFrom(*src, true);
  if (const int32_t window = WindowWrapWidth(); window > 0) Header->SetLayoutWidth(window);
  else Header->SetLayoutWidthTwips(Header->PageWidth - Header->MarginLeft - Header->MarginRight);
  Changed();
}

void TWPRTFTextIo::CopyFrom(const TWPRTFText& src, bool fullCopy) {
  int fontMap[100];
  for (int i = 0; i < 100; ++i) fontMap[i] = i < kWPFontCount ? i : 0;
  if (src.Header) {
    for (int i = 0; i < kWPFontCount && !src.Header->FontNames[i].empty(); ++i) {
      const int n = Header->FontIndex(src.Header->FontNames[i]);
      fontMap[i] = n < kWPFontCount ? n : 0;
    }
  }
  // The copy goes to the end: the last paragraph is reused when empty.
  TWPParagraphRec* target = LastParagraph();
  bool reuse = target->line->Length == 0 && !target->line->next;
  for (const TWPParagraphRec* sp = src.FirstPar; sp; sp = sp->next) {
    if (!reuse) NewParagraph(target, 100);
    reuse = false;
    CopyFormatting(target, sp, true);
    target->Flags = sp->Flags;
    target->ColWidth = sp->ColWidth;
    target->ColStart = sp->ColStart;
    target->CellFlags = sp->CellFlags;
    target->CellExtra = sp->CellExtra;
    target->ChangeFlags |= wpcBreak | wpcMeasure;
    TWPLineRec* tl = Get_LastLine(target);
    for (const TWPLineRec* sl = sp->line; sl; sl = sl->next) {
      for (int i = 0; i < sl->Length; ++i) {
        TWPAttrRecord a = sl->pa ? sl->pa[i] : src.WritingAttr;
        unsigned char c = static_cast<unsigned char>(sl->pc[i]);
        if (!fullCopy && OmitAutomatic && (a.Style & wpsAutomatic)) continue;
        if (!fullCopy && OmitInsertPoints && (a.Style & wpsInsertPoint)) continue;
        a.Font = static_cast<uint8_t>(fontMap[std::min<int>(a.Font, 99)]);
        if ((a.Style & wpsObject) && (c == 1 || c == 2)) {
          const TWPObjectEntry* e = c == 1 ? src.FindObject(a.Tag, 0) : src.FindObject(0, a.Tag);
          TWPTextObject* copy = nullptr;
          if (const auto* pic = dynamic_cast<const TWPPictureObject*>(e ? e->Obj : nullptr)) {
            auto p = std::make_unique<TWPPictureObject>(*pic);
            copy = p.get();
            OwnedObjects.push_back(std::move(p));
          }
          TWPObjectEntry* ne = AddObject(copy, 0, e ? e->Width : 0, e ? e->Height : 0);
          if (e) ne->Flags = e->Flags;
          c = 2;
          a.Tag = ne->SecondNumber;
        } else if (a.Style & wpsFootnote) {
          const TWPFootnoteEntry* f = src.FindFootnote(a.Tag);
          if (f) {
            TWPFootnoteEntry* nf = AddFootnote(f->MarkChar, f->RtfText.get(), f->Text);
            nf->Size = f->Size;
            // An automatic mark counts on in the target's numbering.
            if (f->AutoMark) {
              nf->AutoMark = true;
              nf->MarkChar = WPAutoFootnoteMark(nf->Number);
              c = nf->MarkChar;
            }
            a.Tag = nf->Number;
          }
        } else if ((a.Style & wpsBookmark) && &src != this && a.Tag < src.BookmarkNames.Count()) {
          const AnsiString name = src.BookmarkNames.Strings(a.Tag);
          int n = BookmarkNames.IndexOf(name);
          if (n < 0) n = BookmarkNames.Add(name);
          a.Tag = static_cast<uint16_t>(n);
        }
        if (tl->Length + 4 >= tl->Capacity) {
          if (tl->Capacity < 2048) GrowLineBuffer(tl, std::min(2048, tl->Capacity * 2 + 8));
          if (tl->Length + 4 >= tl->Capacity) {
            TWPLineRec* n = tl;
            NewTextLine(n, 100);
            if (!n || n == tl) throw EOutOfMemory("Out of memory");
            tl = n;
          }
        }
        const int k = tl->Length;
        tl->pc[k] = static_cast<char>(c);
        if (tl->pa) SetCharAttr(tl, k, a);
        tl->Length = static_cast<uint16_t>(k + 1);
        tl->pc[k + 1] = 0;
      }
    }
  }
  CursorPar = target;
  CursorLine = Get_LastLine(target);
  CursorOffset = CursorLine->Length;
}

// --- positions -------------------------------------------------------------------------

void TWPRTFTextIo::CursorCharPosition(int& position, int& lineNumber) {
  int parNumber = 0;
  PositionOf(CursorPar, CursorLine, CursorOffset, position, lineNumber, parNumber);
}

void TWPRTFTextIo::MoveCursorToPosition(int position, int lineNumber) {
  int offset = 0;
  TWPLineRec* line = nullptr;
  TWPParagraphRec* par = nullptr;
  if (FindPosition(offset, line, par, position, lineNumber)) {
    CursorPar = par;
    CursorLine = line;
    CursorOffset = offset;
  }
}

// --- TWPRtfStrings --------------------------------------------------------------------

int TWPRtfStrings::Count() const {
  const TWPParagraphRec* f = text_->FirstPar;
  if (!f || (!f->next && f->line->Length == 0)) return 0;
  int n = 0;
  for (; f; f = f->next) ++n;
  return n;
}

AnsiString TWPRtfStrings::Get(int index) const {
  AnsiString s;
  text_->GetParagraphText(index, s);
  return s;
}

void TWPRtfStrings::Put(int index, const AnsiString& s) {
  text_->SetParagraphText(index, s.data(), static_cast<int>(s.size()), &text_->WritingAttr);
}

void TWPRtfStrings::Insert(int index, const AnsiString& s) {
  text_->AppendParagraph(index, s.data(), static_cast<int>(s.size()), &text_->WritingAttr);
}

void TWPRtfStrings::Delete(int index) { text_->DeleteParagraph(index); }
void TWPRtfStrings::Clear() { text_->Clear(); }

void TWPRtfStrings::SetUpdateState(bool updating) {
  if (!updating) text_->Changed();
}

void TWPRtfStrings::LoadFromStream(TStream* stream) {
  text_->Clear();
  const TWPLoadFormat old = text_->LoadFormat;
  text_->LoadFormat = AutomaticFormat;
  text_->LoadFromStream(stream);
  text_->LoadFormat = old;
}

void TWPRtfStrings::SaveToStream(TStream* stream) const {
  TWPTextWriter w;
  text_->WriteWith(&w, stream);
}
