// Writers of the text model: TWPTextWriter walks a range of paragraphs,
// lines and characters and writes plain ANSI text; TWPRTFWriter derives from
// it and writes the engine's RTF dialect.
// Invariants of the RTF writer between units: every "{" it wrote is on its
// group stack until the matching "}" pops it, so the footer's closing of all
// open groups balances the braces; after any "}" or "\plain" the previous run
// attribute is forgotten, so the next run states its attributes in full; an
// open RTF-code run is closed before any paragraph end, group close, footnote
// and the end of the document; a table row is one group ("\trowd" … "\row")
// in which no other group closes, and it is ended with "\row" whatever ends
// it (its last cell, a paragraph outside it, the end of the range).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/streams.h"
#include "richtext/io/rtf_format.h"
#include "richtext/model/text.h"

// Result codes of writing.
constexpr uint8_t wrOk = 0;
constexpr uint8_t wrNoMemory = 2;
constexpr uint8_t wrShortWrite = 7;

class TWPTextWriter : public TObject {
  ORV_CLASS(TWPTextWriter, TObject)
  TWPTextWriter() = default;
  ~TWPTextWriter() override = default;

  // --- range and options, set by the owner --------------------------------
  TWPRTFText* Text = nullptr;
  TWPParagraphRec* FirstPar = nullptr;
  TWPParagraphRec* LastPar = nullptr;  // nil: to the end
  TWPLineRec* FirstLine = nullptr;     // nil: the first paragraph's first line
  int FirstOffset = 0;                 // in the first line
  TWPLineRec* LastLine = nullptr;      // line at which to stop
  int LastOffset = 0;                  // offset in the last line at which to stop
  bool OmitInsertPoints = false;
  bool OmitAutomatic = false;
  bool TextEmpty = false;
  TWPWriteBitmapMode BitmapMode = wbmDIBBitmap;
  // A file ends with its last character: plain text then gets no NUL.
  bool ToFile = false;

  uint8_t Result = wrOk;

  // --- operations -----------------------------------------------------------
  virtual uint8_t WriteAttributes(const TWPAttrRecord& attr);
  virtual uint8_t WriteText(const char* p, int count, const TWPAttrRecord& attr);
  virtual uint8_t WriteLineChars(TWPLineRec* line, int from, int to);
  virtual uint8_t WriteLineBreak();
  virtual uint8_t WriteParagraphEnd();
  virtual uint8_t WriteParagraphStart();
  virtual uint8_t WriteObject(char ch, const TWPAttrRecord& attr);
  virtual uint8_t WriteFootnote(char mark, int number);
  virtual uint8_t WriteHeader(TStream* stream);
  virtual uint8_t Write(TStream* stream);
  virtual uint8_t WriteFooter(TStream* stream);

protected:
  // Writes bytes, setting the result to 7 when the stream takes fewer.
  uint8_t Put(const char* p, size_t n);
  uint8_t Put(const std::string& s) { return Put(s.data(), s.size()); }

  TStream* out_ = nullptr;
  TWPParagraphRec* par_ = nullptr;
  TWPLineRec* line_ = nullptr;
  TWPParagraphRec* prevPar_ = nullptr;
  const TWPAttrRecord* prevAttr_ = nullptr;
  TWPAttrRecord prevAttrCopy_;
  int charsDone_ = 0, charsTotal_ = 0;
  bool lastPar_ = false;  // the paragraph being ended is the last of the range
  char lastOut_ = 0;      // last byte written
};

class TWPRTFWriter : public TWPTextWriter {
  ORV_CLASS(TWPRTFWriter, TWPTextWriter)
  TWPRTFWriter() = default;
  ~TWPRTFWriter() override;

  bool PicturesAsFiles = false;
  bool NoShadow = false;        // protected text without "\shad"
  bool NoColorTable = false;

  uint8_t WriteAttributes(const TWPAttrRecord& attr) override;
  uint8_t WriteText(const char* p, int count, const TWPAttrRecord& attr) override;
  uint8_t WriteParagraphEnd() override;
  uint8_t WriteParagraphStart() override;
  uint8_t WriteObject(char ch, const TWPAttrRecord& attr) override;
  uint8_t WriteFootnote(char mark, int number) override;
  uint8_t WriteHeader(TStream* stream) override;
  uint8_t WriteFooter(TStream* stream) override;

  // Escapes text the way runs are written ("\{", "\}", "\\", "\tab ",
  // "\line ", "\'hh"; codes 0..3 dropped).
  static void AppendEscaped(std::string& out, const char* p, size_t n);

private:
  enum FrameKind : uint8_t { fkParagraph = 0, fkTabs = 1, fkRow = 2, fkBorder = 3, fkShading = 4 };
  struct Frame {
    FrameKind Kind;
    int SavedBookmark;  // the reader's bookmark when the group opened
  };
  struct BorderSig {
    uint16_t Word = 0;
    uint8_t Width = 0, Color = 0;
    bool operator==(const BorderSig&) const = default;
  };

  void Open(std::string& buf, FrameKind kind);
  void CloseTop(std::string& buf);
  void CloseAll(std::string& buf);
  void CloseCodeRun(std::string& buf);
  bool HasFrame(FrameKind kind) const;
  void Forget() { prevAttr_ = nullptr; }
  void RowDefinition(std::string& buf, TWPParagraphRec* first);
  // "\\row" and the close of the row's group.
  void EndRow(std::string& buf);
  static BorderSig BorderOf(const TWPParagraphRec* p);
  static void AppendBorderLook(std::string& buf, uint16_t word, uint8_t width, uint8_t color, bool withSpacing);

  std::vector<Frame> frames_;
  bool inTable_ = false;
  TWPTabSet openTabs_ = 0;
  BorderSig openBorder_;
  bool codeOpen_ = false;
  bool hiddenRun_ = false;
  bool shadingPending_ = false;
  int readerBm_ = -1;  // bookmark in force in a reader at this point, -1 none
};
