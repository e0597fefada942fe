// The layout and painting layer of the text engine: TWPRTFTextPaint turns the
// paragraphs of the model (characters with 16-byte attribute records) into
// lines with pixel geometry and paints them on a canvas (screen, bitmap or
// printer page).
//
// Class chain: TWPRTFText (model) -> TWPRTFTextIo (reading and writing) ->
// TWPRTFTextPaint (this layer) -> TWPRTFTextInput (keyboard input). This
// layer owns everything that depends on a device: resolution and zoom, the
// layout width, measuring, line breaking, the vertical positioning pass with
// its page starts, the line heights, painting, page painting and printing.
// The layers above extend it without reworking it:
//  - scrolling, caret and hit testing use TopOffset/HorzOffset/VisibleHeight,
//    LineStart, CharAdvance (the one width rule shared by painting and the
//    cursor) and the owner callbacks (hide/show/place caret, scroll bars);
//    ScrollUp/ScrollDown move pixels and call PaintRect for the strip;
//  - the selection keeps BlockStart/BlockEnd/BlockReversed; SetBlock and
//    MarkBlockLines set the lines' selection states, PaintLine draws them,
//    and WrapParagraph carries block ends and cursor across a re-break;
//  - editing marks paragraphs (wpcMeasure/wpcBreak) through the model and
//    calls ReplaceText or UpdateParagraph; WrapParagraph's change kind tells
//    whether to repaint marked lines (1), from a line down (2) or everything
//    below (3).
// Invalidation: an edit sets a paragraph's change bits; MeasureParagraph
// clears wpcMeasure and sets wpcBreak; WrapParagraph clears wpcBreak;
// Relayout then gives every line its top, the page starts and TotalHeight.
// FormatText marks every paragraph and runs both passes; a change of
// resolution, zoom, window width, word wrap or font scale runs FormatText.
//
// Invariants between public calls (besides the model's):
//  - no paragraph of a laid-out text carries change bits unless an edit
//    made since the last pass set them;
//  - every line's Top is the sum of the heights above it in the document
//    (table rows: the row's cells share the row's top), TotalHeight the
//    sum of all;
//  - each line holds at most kWPMaxLineChars characters, and a hidden
//    stamp stays on the line of the visible text it follows;
//  - painting never raises for bad data: font numbers out of the table draw
//    in font 0, and painting leaves the canvas's clip, pen, brush and text
//    alignment as it found them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/printer.h"
#include "richtext/io/textio.h"
#include "richtext/view/metrics.h"

// View options (TWPRTFTextPaint::ViewOptions).
enum : uint32_t {
  wpvNoClipping = 1u << 0,
  wpvPaintingOff = 1u << 1,
  wpvPageLayout = 1u << 2,  // break at the printable width even with word wrap
  wpvNoZoom = 1u << 3,
  wpvNoCursorToPoint = 1u << 4,
  wpvNoScrollCallbacks = 1u << 5,
  wpvTransparent = 1u << 6,
  wpvHidePageBreaks = 1u << 7,
  wpvHideForcedBreaks = 1u << 8,
  wpvShowHidden = 1u << 9,
  wpvLayoutOff = 1u << 10,
  wpvHideSelection = 1u << 12,
  wpvWhiteEmptyLines = 1u << 15,
  wpvTransparentPlainRuns = 1u << 16,  // runs on the background colour or white drawn transparent
  wpvWholeLinesOnly = 1u << 17,
  wpvStopAtPageStart = 1u << 18,
  wpvAllRunsTransparent = 1u << 19,  // with wpvTransparentPlainRuns
  wpvNoBackgroundFill = 1u << 20,
};

// What WrapParagraph found changed, for the caller's repaint.
enum : int { wpcNone = 0, wpcLinesMarked = 1, wpcFromLine = 2, wpcBelowMoves = 3 };

// A place in the text.
struct TWPTextPlace {
  TWPParagraphRec* Par = nullptr;
  TWPLineRec* Line = nullptr;
  int Offset = 0;
};

// Told after every complete layout and every scroll (the ruler).
class TWPUpdateObject {
public:
  virtual ~TWPUpdateObject() = default;
  virtual void TextFormatted() {}
  virtual void TextScrolled() {}
};

// How one run of characters is drawn: the result of the font selection.
struct TWPRunStyle {
  TFontRequest Font;       // as realised for measuring and drawing
  TColor TextColor = clBlack;
  TColor BrushColor = clWhite;
  TColor LineColor = clBlack;  // hand-drawn underline and misspelled mark
  bool Underline = false;
  bool Raised = false;
  bool Lowered = false;
  bool Misspelled = false;
  bool Italic = false;
};

// A painted object's rectangle, for finding the object under the mouse.
struct TWPObjectRect {
  TRect Rect;  // document pixels (before the scroll offsets)
  TWPObjectEntry* Entry = nullptr;
};

// Where a printed page's parts go (printer pixels), for header and footer.
using TWPPrintEvent = std::function<void(TCanvas& canvas, int x, int y, int w, int h, int page, int line)>;

class TWPRTFTextPaint : public TWPRTFTextIo {
  ORV_CLASS(TWPRTFTextPaint, TWPRTFTextIo)
  TWPRTFTextPaint();
  ~TWPRTFTextPaint() override;

  // --- device and layout state ---------------------------------------------
  TWPTextMetrics* Metrics = nullptr;  // not owned; nil: DefaultTextMetrics()
  int32_t DeviceTechnology = DT_RASDISPLAY;
  int32_t DeviceResX = 0;
  int32_t FontHeight = 16, FontAscent = 13;  // of the font last selected
  int32_t DefaultAscent = 13;
  int32_t ReferenceHeight = 0;  // "A" in Arial 10
  bool Measuring = false, Wrapping = false, Formatting = false;
  bool LayoutInProgress = false;
  bool Quiet = false;  // rebuilding or restoring without showing it
  bool LayoutDirty = false;
  int32_t LayoutWidthAtFormat = 0;
  int32_t TotalHeight = 0;
  TWPUpdateObject* UpdateObject = nullptr;  // not owned

  // The selection (block); Reversed: the end lies before the start.
  TWPTextPlace BlockStart, BlockEnd;
  bool BlockReversed = false;

  // View state shared with scrolling and the caret.
  int32_t TopOffset = 0;      // pixels scrolled off above
  int32_t HorzOffset = 0;     // 0 or negative: lines shifted left
  int32_t VisibleHeight = 0;  // pixels
  int32_t PaintOriginX = 0, PaintOriginY = 0;

  // --- painting state -------------------------------------------------------
  bool AttachedToWindow = false;
  bool BackgroundScrolls = false;
  bool PaintGrayTable = false;
  TColor BackgroundColor = clWindow;
  std::vector<TWPObjectRect> ObjectRects;  // at most 30 per full repaint
  TWPObjectRect SelectedObject;            // first selected object painted

  // --- owner callbacks (called only when assigned) ---------------------------
  std::function<void()> OnHideCaret, OnShowCaret, OnPlaceCaret;
  std::function<void()> OnUpdateHScroll, OnUpdateVScroll;
  // Every finished word of a paragraph about to be broken; flags preset to
  // 1, bit 2 set on return marks the word misspelled.
  std::function<void(const AnsiString& word, uint8_t& flags)> OnSpellCheckWord;

  // --- device, resolution and width ----------------------------------------
  TCanvas* Canvas() const { return canvas_; }
  void SetCanvas(TCanvas* canvas);
  void ReadDeviceMetrics();
  void SetResolution(int x, int y);
  int Zooming() const { return zoom_; }
  void SetZooming(int percent);
  int Resizing() const { return fontScale_; }
  void SetResizing(int percent);
  int WindowWidth() const { return windowWidth_; }
  int WindowWidthTwips() const { return windowWidthTwips_; }
  void SetWindowWidth(int pixels);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool on);
  uint32_t ViewOptions() const { return viewOptions_; }
  void SetViewOptions(uint32_t options);
  bool ShowHidden() const { return viewOptions_ & wpvShowHidden; }
  // Copies a picture as the tiled background; nil or an empty one removes it.
  void SetBackgroundPicture(const TBitmap* picture);
  const TBitmap* BackgroundPicture() const { return background_.get(); }

  // --- layout (layout.cpp, linebreak.cpp) ------------------------------------
  virtual void FormatText();
  void PrepareLayout();
  void ReformatAll();
  void MeasureParagraph(TWPParagraphRec* par);
  void WrapParagraph(TWPParagraphRec* par, bool compare, int& changeKind);
  // Measures and breaks one edited paragraph and places the lines again;
  // the change kind of the break.
  int UpdateParagraph(TWPParagraphRec* par);
  int LeftBoundary(const TWPParagraphRec* par, const TWPLineRec* line) const;
  int RightBoundary(const TWPParagraphRec* par) const;
  int AvailableWidth(const TWPParagraphRec* par, const TWPLineRec* line) const;
  int LineWidth(const TWPLineRec* line) const;
  // x (including the left boundary) of the stop a tab at `index` reaches.
  int NextTabPosition(const TWPParagraphRec* par, const TWPLineRec* line, int x, int index) const;
  // x where the line's first character starts (alignment applied).
  int LineStart(const TWPParagraphRec* par, const TWPLineRec* line) const;
  // Advance of character `index` drawn at x (line-relative, including the
  // left boundary); `extra` counts the justification pixels handed out so
  // far and must start at 0 for each line.
  int CharAdvance(const TWPParagraphRec* par, const TWPLineRec* line, int index, int x, int& extra) const;
  bool CharHidden(const TWPAttrRecord& attr) const;
  bool CalcLineHeight(TWPParagraphRec* par, TWPLineRec* line);
  virtual void Relayout();
  int CursorPage() const;
  int LineOnPage() const;

  // --- selection --------------------------------------------------------------
  bool HasBlock() const;
  void SetBlock(const TWPTextPlace& start, const TWPTextPlace& end);
  void ClearBlock();
  void MarkBlockLines();
  bool GetSelection(TWPParagraphRec*& par1, TWPLineRec*& line1, int& off1, TWPParagraphRec*& par2,
                    TWPLineRec*& line2, int& off2) const override;

  // --- fonts of runs (fonts.cpp) ---------------------------------------------
  TWPRunStyle RunStyle(const TWPAttrRecord& attr) const;
  // Makes the record's font the current one: CharWidths, FontHeight and
  // FontAscent; the metrics are those of the font.
  const TWPFontMetrics& SelectAttrFont(const TWPAttrRecord& attr);
  // Sets the canvas's font and colours for a run; the run's style.
  TWPRunStyle SetCanvasFont(const TWPAttrRecord& attr);

  // --- painting (painting.cpp) -------------------------------------------------
  void PaintAll();
  virtual void PaintVisible();
  void PaintRect(int x, int y, int width, int height);
  void PaintLine(TWPParagraphRec* par, TWPLineRec* line);
  bool PaintBackgroundTiles(TCanvas& canvas, const TRect& rect);
  void PaintObject(TWPObjectEntry* entry, const TRect& rect, bool selected);

  // --- pages and printing (pages.cpp) -----------------------------------------
  // Page painting for a preview: Begin takes the canvas and the area's
  // width and height (device pixels) and lays out for them; PaintPageArea
  // paints from line number `first` (counted through all paragraphs) what
  // fits into the area at (x, y), stopping before a page start, and returns
  // the number of the line the next area starts with (-1 after the last);
  // with `measureOnly` nothing is drawn. End restores the view and lays out.
  void BeginPagePaint(TCanvas* canvas, int width, int height);
  int PaintPageArea(int x, int y, int height, int first, bool measureOnly);
  void EndPagePaint();
  // Prints pages first..last (from 1) on the printer, header and footer
  // through the events. The screen canvas, view and layout are restored on
  // every path; a failure aborts the printer's document and passes on.
  void PrintPages(TPrinter& printer, int first, int last);
  TWPPrintEvent PrintHeader, PrintFooter;

  // --- overrides of the lower layers ------------------------------------------
  void Changed() override;
  void Clear() override;
  void ReplaceText(TWPParagraphRec* par, TWPLineRec* line, int offset, int deleteCount, const char* text,
                   int length) override;

protected:
  TWPTextMetrics& MetricsSource() const { return Metrics ? *Metrics : DefaultTextMetrics(); }
  // The layout width as word wrap, page layout and the page say.
  void ApplyLayoutWidth();
  void CallHideCaret() {
    if (OnHideCaret && !(viewOptions_ & wpvPaintingOff)) OnHideCaret();
  }
  void CallShowCaret() {
    if (OnShowCaret && !(viewOptions_ & wpvPaintingOff)) OnShowCaret();
  }
  bool LayoutOff() const { return viewOptions_ & wpvLayoutOff; }
  int ResX() const { return Header->ResX > 0 ? Header->ResX : 96; }
  int ResY() const { return Header->ResY > 0 ? Header->ResY : 96; }

private:
  struct PaintRun;
  void MeasureLine(TWPParagraphRec* par, TWPLineRec* line, bool emptyPar);
  void SpellCheckPass(TWPParagraphRec* par);
  void BreakLines(TWPParagraphRec* par, bool compare, int& changeKind);
  int BorderSpacingTwips(const TWPParagraphRec* par) const;
  void CellEdges(const TWPParagraphRec* par, int& left, int& right) const;
  void PaintRunsOfLine(TWPParagraphRec* par, TWPLineRec* line, const TWPAttrRecord* attrs, int top, int baseline,
                       int selFrom, int selTo);
  void PaintBorders(TWPParagraphRec* par, TWPLineRec* line, int top);
  void PaintPageBreakMark(TWPParagraphRec* par, TWPLineRec* line, int top);
  TGraphic* GraphicOf(const TWPObjectEntry* entry);
  void FillBackground(const TRect& r, TColor color);
  // Paints one line at a page position (used by page painting and printing).
  void PaintLineAt(TWPParagraphRec* par, TWPLineRec* line, int originX, int originY);

  TCanvas* canvas_ = nullptr;
  bool measuringAll_ = false;
  // Reused buffers of WrapParagraph.
  std::string wrapChars_;
  std::vector<TWPAttrRecord> wrapAttrs_;
  // Reused buffers of the line painter and the x origin of the line it paints.
  std::vector<int> paintAdvances_;
  std::string paintText_;
  int lineOriginX_ = 0;
  int zoom_ = 100;
  int fontScale_ = 100;
  int windowWidth_ = 0;
  int windowWidthTwips_ = 0;
  bool wordWrap_ = false;
  uint32_t viewOptions_ = wpvHidePageBreaks;
  std::unique_ptr<TBitmap> background_;
  std::unordered_map<const TWPTextObject*, std::unique_ptr<TGraphic>> graphics_;
  // Font selection memo: the last record's font key and its metrics.
  struct FontMemo {
    bool Valid = false;
    uint8_t Font = 0, Size = 0;
    uint32_t Style = 0;
    int ResY = 0, Scale = 0;
    const TWPFontMetrics* Metrics = nullptr;
    TWPRunStyle Run;
  } memo_;
  // What page painting saved of the screen view.
  struct SavedView {
    bool Active = false;
    TCanvas* Canvas = nullptr;
    bool WordWrap = true;
    uint32_t ViewOptions = 0;
    int ResX = 0, ResY = 0, DeviceResX = 0, DeviceTechnology = 0;
    int WindowWidth = 0, VisibleHeight = 0, TopOffset = 0, HorzOffset = 0;
    int PaintOriginX = 0, PaintOriginY = 0;
  } saved_;
  void SaveView();
  void RestoreView();
};
