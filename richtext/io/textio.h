// Document input and output of the text engine: TWPRTFTextIo adds loading,
// inserting and saving (RTF or plain ANSI text, from and to streams and
// files), copying between texts and absolute positions to the text model; it
// only reads and writes (measuring, line heights and vertical positions are
// the layout layer's, richtext/view). TWPRtfStrings shows a text as a list of
// paragraph strings; TWPRtfStorage is a component owning a text.
// Invariants: the text owns every picture object its object list refers to
// (OwnedObjects), so entries never dangle while the text lives; a load into
// an empty text replaces the page settings and colours, an insertion keeps
// the target's page settings and remaps the inserted colours into its table.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/rtl/components.h"
#include "platform/rtl/streams.h"
#include "richtext/io/reader.h"
#include "richtext/io/writer.h"
#include "richtext/model/text.h"

// Result codes of the I/O layer beyond the writers' and readers' own.
constexpr uint8_t ioNothingToDo = 7;
constexpr uint8_t ioIncomplete = 8;

class TWPRTFTextIo;

// A loader and saver that replaces the built-in readers and writers.
class TWPExternalIo {
public:
  virtual ~TWPExternalIo() = default;
  virtual void Load(TWPRTFTextIo& text, TStream& stream) = 0;
  virtual void Save(TWPRTFTextIo& text, TStream& stream, bool selectionOnly) = 0;
};

class TWPRTFTextIo : public TWPRTFText {
  ORV_CLASS(TWPRTFTextIo, TWPRTFText)
  TWPRTFTextIo();
  ~TWPRTFTextIo() override;

  uint8_t LastResult = 0;
  // Characters the last read left out: they have no form in the code page.
  std::u32string LastLeftOut;
  // Colours the last read could not keep: the text holds 16.
  int LastColorsChanged = 0;
  bool OmitInsertPoints = false;
  bool OmitAutomatic = false;
  TWPLoadFormat LoadFormat = AutomaticFormat;
  TWPLoadFormat SaveFormat = AutomaticFormat;
  bool SavingToFile = false;
  bool PicturesAsFiles = false;
  bool NoShadow = false;
  bool NoColorTable = false;
  TWPWriteBitmapMode WriteBitmapMode = wbmDIBBitmap;
  TWPExternalIo* ExternalIo = nullptr;
  bool BypassExternal = false;
  std::vector<std::unique_ptr<TWPTextObject>> OwnedObjects;

  std::function<void(TWPParagraphRec* chain)> OnBeforeInsert;
  std::function<void()> OnParOrBlockChanged;

  // --- virtual operations -----------------------------------------------------
  virtual void ReadData(TStream* stream);
  virtual void WriteData(TStream* stream);
  virtual uint8_t WriteWith(TWPTextWriter* writer, TStream* stream);
  virtual uint8_t WriteSelectionWith(TWPTextWriter* writer, TStream* stream);
  virtual void ReadWith(TWPTextReader* reader);
  virtual TWPLoadFormat LoadFromStream(TStream* stream);
  virtual void SaveToStream(TStream* stream);
  virtual void SaveSelectionToStream(TStream* stream);
  virtual void SaveToFile(const AnsiString& fileName);
  virtual void LoadFromFile(const AnsiString& fileName);
  virtual void CursorCharPosition(int& position, int& lineNumber);
  virtual void MoveCursorToPosition(int position, int lineNumber);
  // The selection in document order; none at this level (the layer that
  // keeps a selection overrides it).
  virtual bool GetSelection(TWPParagraphRec*& par1, TWPLineRec*& line1, int& off1, TWPParagraphRec*& par2,
                            TWPLineRec*& line2, int& off2) const;

  // Width in pixels of the window that lines wrap to, or 0 while lines
  // break at the page's printable width (no window yet, word wrap off, or
  // page layout). The layer that owns a window answers it.
  virtual int32_t WindowWrapWidth() const { return 0; }

  void Clear() override;
  // Copies another text; the layout width afterwards follows the window
  // when lines wrap to it, else the page.
  void Assign(const TPersistent* source) override;

  // Whether the streamed "Data" property is stored.
  bool HasData() const { return !IsEmpty(); }
  // Appends a copy of another text (the edit control's fast append); the
  // omit options apply.
  void AppendCopy(const TWPRTFText& source) { CopyFrom(source, false); }

private:
  void CopyFrom(const TWPRTFText& source, bool fullCopy);
  // Range of the whole text and the engine's options.
  void PrepareWriter(TWPTextWriter* writer);
  std::unique_ptr<TWPTextWriter> NewSaveWriter() const;
  void TakeObjects(TWPTextReader* reader);
};

// A text as a list of its paragraphs.
class TWPRtfStrings : public TStrings {
  ORV_CLASS(TWPRtfStrings, TStrings)
  explicit TWPRtfStrings(TWPRTFTextIo* text) : text_(text) {}

  int Count() const override;
  AnsiString Get(int index) const override;
  void Put(int index, const AnsiString& s) override;
  void Insert(int index, const AnsiString& s) override;
  void Delete(int index) override;
  void Clear() override;
  void SetUpdateState(bool updating) override;
  // Loads with format detection (RTF or plain text), replacing the text;
  // the base class's file loading comes here too.
  void LoadFromStream(TStream* stream) override;
  // Writes plain text.
  void SaveToStream(TStream* stream) const override;

private:
  TWPRTFTextIo* text_;
};

// A non-visual component that owns a text.
class TWPRtfStorage : public TComponent {
  ORV_CLASS(TWPRtfStorage, TComponent)
  explicit TWPRtfStorage(TComponent* owner) : TComponent(owner), text_(std::make_unique<TWPRTFTextIo>()) {}

  TWPRTFTextIo* RtfText() const { return text_.get(); }
  void SetRtfText(const TWPRTFTextIo* v) { text_->Assign(v); }

private:
  std::unique_ptr<TWPRTFTextIo> text_;
};
