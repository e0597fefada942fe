// The layout and painting layer of the text engine: TWPRTFTextPaint turns the
// paragraphs of the model (characters with 16-byte attribute records) into
// lines with pixel geometry and paints them on a canvas (screen, bitmap or
// printer page).
//
// Class chain: TWPRTFText (model) -> TWPRTFTextIo (reading and writing) ->
// TWPRTFTextPaint (this layer) -> TWPRTFTextInput (keyboard input, input.h).
// This layer owns everything that depends on a device: resolution and zoom,
// the layout width, measuring, line breaking, the vertical positioning pass
// with its page starts, the line heights, painting, page painting and
// printing; and the view onto the laid-out text: scrolling, caret and cursor
// geometry, hit testing (scrolling.cpp), the selection block and the
// formatting commands (selection.cpp).
//  - CursorX, OffsetAtX and painting share one width rule (LineStart and
//    CharAdvance), so a caret stands exactly where its character is drawn;
//  - the window is reached only through the owner callbacks (hide, show and
//    place caret, the two scroll bars, position and selection events);
//  - the selection keeps BlockStart/BlockEnd/BlockReversed; SetBlockEnd
//    repaints only the lines whose selection changed, WrapParagraph carries
//    block ends and cursor across a re-break, and every edit that removes
//    lines clears the block first, so its pointers never dangle;
//  - editing marks paragraphs (wpcMeasure/wpcBreak) through the model and
//    calls ReplaceText or UpdateParagraph; WrapParagraph's change kind tells
//    whether to repaint marked lines (1), from a line down (2) or everything
//    below (3);
//  - a window width that changes while a layout runs (a scroll bar shown or
//    hidden by the scroll-bar callback) is laid out once more as soon as the
//    layout guards are released.
// Invalidation: an edit sets a paragraph's change bits; MeasureParagraph
// clears wpcMeasure and sets wpcBreak; WrapParagraph clears wpcBreak;
// Relayout then gives every line its top, the page starts and TotalHeight.
// FormatText marks every paragraph and runs both passes; a change of
// resolution, zoom, word wrap or font scale runs FormatText, and so does a
// window width that moves a paragraph's right edge (one that moves none,
// like a scroll bar beside a narrower page, only places the lines). Painting
// lays out only what is still owed (LayoutPending).
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
#include "richtext/view/formatcodes.h"
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
  // Lines, cells and pages broken as the printer breaks them, whatever the
  // device (a preview of what is printed; see linebreak.cpp).
  wpvPrinterWidths = 1u << 21,
};

// Scroll-bar request codes of VScrollCommand and HScrollCommand.
enum : int {
  wpsbLineUp = 0,
  wpsbLineDown = 1,
  wpsbPageUp = 2,
  wpsbPageDown = 3,
  wpsbThumbPosition = 4,
  wpsbThumbTrack = 5,
  wpsbTop = 6,
  wpsbBottom = 7,
};

// Masks of SetCharAttr and SetWritingAttr: which parts of the source record
// are applied.
enum : uint32_t {
  wpmFont = 0x1,
  wpmSize = 0x2,
  wpmTextColor = 0x4,
  wpmBackColor = 0x8,
  wpmAddStyle = 0x10,       // the source's style bits are added
  wpmSetStyle = 0x20,       // the character styles are replaced by the source's
  wpmSetStyleKeep = 0x40,   // the same, hidden and RTF-code bits kept
  wpmRemoveStyle = 0x80,    // the source's style bits are removed
};

// The value that leaves a formatting value unchanged.
constexpr int32_t kWPUnchanged = -1000;

// The optional hyphen: shown, with its width, only where a line breaks
// after it (as the last character of a line that is not its paragraph's
// last); elsewhere it takes no room.
constexpr unsigned char kWPSoftHyphen = 0xAD;
inline bool ShownSoftHyphen(const TWPLineRec* line, int index) { return index == line->Length - 1 && line->next; }

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
  int Points = 10;         // its size in points
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
  // A complete pass was asked for while another layout ran: the next
  // paint runs it (LayoutPending).
  bool LayoutDirty = false;
  int32_t LayoutWidthAtFormat = 0;
  int32_t TotalHeight = 0;
  TWPUpdateObject* UpdateObject = nullptr;  // not owned

  // The selection (block); Reversed: the end lies before the start.
  TWPTextPlace BlockStart, BlockEnd;
  bool BlockReversed = false;
  // The link the keyboard is on in a text that cannot be written: absolute
  // position and length of its shown text (-1: none), framed by a focus
  // rectangle on the screen (never on paper) while Shown (the control has
  // the focus); a new text has none.
  int32_t FocusMarkStart = -1, FocusMarkLength = 0;
  bool FocusMarkShown = false;

  // View state shared with scrolling and the caret.
  int32_t TopOffset = 0;      // pixels scrolled off above
  int32_t HorzOffset = 0;     // 0 or negative: lines shifted left
  int32_t VisibleHeight = 0;  // pixels
  int32_t PaintOriginX = 0, PaintOriginY = 0;
  // Caret geometry in document pixels (before the scroll offsets).
  int32_t CursorXPos = 0;  // x of the insertion point
  int32_t CaretTop = 0, CaretHeight = 16, CaretWidth = 1;
  int32_t RememberedX = 0;  // the column up and down moves keep
  int32_t LastCaretTop = -1, LastCursorX = -1;  // last passed to the position events
  bool Scrolling = false;  // a vertical scroll runs: the caret is not shown
  bool BlockActive = false;  // a mouse selection extends the block
  // The last move extended the block: the next extending move goes on from
  // its anchor (cleared whenever the block is dropped).
  bool Extending = false;
  bool NoBlockMarking = false;

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
  std::function<void()> OnXPosChanged, OnYPosChanged;
  std::function<void()> OnSelectionChanged;
  // After an attribute change of the selection: the owner may take the
  // change back when the text grew past its height limit.
  std::function<void()> OnTextHeightCheck;
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
  // The same for another layout width (pixels).
  int RightBoundaryAt(const TWPParagraphRec* par, int32_t layoutWidth) const;
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
  // Complete layout passes (FormatText) so far.
  int FormatCount() const { return formatCount_; }
  // Whether a layout is still owed: a pass asked for during another one, or
  // paragraphs an edit marked that no pass has taken up yet.
  bool LayoutPending() const;
  int CursorPage() const;
  int LineOnPage() const;

  // --- scrolling, caret and cursor geometry (scrolling.cpp) --------------------
  // Pixels towards the start (up, left) or the end (down, right); the
  // window's pixels move and only the uncovered strip is painted.
  void ScrollUp(int pixels);
  void ScrollDown(int pixels);
  void ScrollLeft(int pixels);
  void ScrollRight(int pixels);
  // A page down: the visible height, but never past where a "bottom"
  // request puts the view (nor past the text's end at the view's bottom,
  // when the last line is taller than a third of the view).
  void PageDown();
  // Scroll-bar requests (wpsb* codes, position in pixels); others ignored.
  void VScrollCommand(int code, int position);
  void HScrollCommand(int code, int position);
  // Scrolls so that the cursor is visible, places the caret and fires the
  // position events.
  void ScrollToCursor();
  void UpdateCaret();
  void UpdateCaretSize();
  // The caret's document x: CursorX, kept inside the layout width (blanks
  // and line feeds may run past it).
  int CaretX() const;
  // Document x of the place before character `offset` of a line.
  int CursorX(const TWPParagraphRec* par, const TWPLineRec* line, int offset) const;
  // The character a document x falls on (a point on a character's right
  // half still gives that character); at most the line's length.
  int OffsetAtX(const TWPParagraphRec* par, const TWPLineRec* line, int x) const;
  // The line at a document point; False (and the last line) when none.
  bool LineAtPoint(int x, int y, TWPParagraphRec*& par, TWPLineRec*& line) const;
  // Places the cursor at a window point; `extend` moves the selection's
  // end there, `keepScrolling` drags the view along below its bottom.
  virtual void CursorToPoint(int x, int y, bool extend, bool keepScrolling);
  // Where the owner puts its caret (client pixels): the caret rectangle, or
  // parked at (-10, 0) when it lies outside the client area.
  TRect CaretPlacement(int clientWidth, int clientHeight) const;
  // The window width while lines wrap to it (the I/O layer's Assign).
  int32_t WindowWrapWidth() const override;

  // --- selection block and formatting commands (selection.cpp) ---------------
  bool HasBlock() const;
  void SetBlock(const TWPTextPlace& start, const TWPTextPlace& end);
  void ClearBlock();
  void MarkBlockLines();
  bool GetSelection(TWPParagraphRec*& par1, TWPLineRec*& line1, int& off1, TWPParagraphRec*& par2,
                    TWPLineRec*& line2, int& off2) const override;
  // extend: the block's moving end goes to the place (table cells snap to
  // whole cells); otherwise the block is dropped and, with a line given,
  // the place becomes the new anchor. Repaints only what changed.
  void SetBlockEnd(bool extend, TWPParagraphRec* par, TWPLineRec* line, int offset);
  void HideSelection() { SetBlockEnd(false, nullptr, nullptr, 0); }
  // The block as absolute position and length; False without one.
  bool GetBlock(int& start, int& length) const;
  // Selects by absolute position; a length below 1 drops the selection.
  void SetSelection(int start, int length);
  // The two halves of a selection given one by one (the control's
  // properties); the selection is made once both are given.
  void SetSelStart(int start);
  void SetSelLength(int length);
  // Selects the object character (kind 1: code 1, kind 2: code 2) with the
  // tag `number`.
  bool SelectObject(int kind, int number);
  // Deletes the marked text; False (cursor at the place) when protected
  // text lies in it.
  bool DeleteBlock();
  using TWPRTFTextIo::SetWritingAttr;
  using TWPRTFTextIo::SetCharAttr;
  // Applies the masked parts of a record to the block's characters and the
  // writing attribute.
  void SetWritingAttr(uint32_t mask, const TWPAttrRecord& source);
  // Modifies one character's record (the writing attribute for a nil line).
  void SetCharAttr(TWPLineRec* line, int offset, uint32_t mask, const TWPAttrRecord& source);
  // Paragraph commands: the block's paragraphs, or the cursor's; values of
  // kWPUnchanged (and indents of 65000 or more) are left as they are.
  void SetParagraphIndents(int32_t firstIndent, int32_t leftIndent, int32_t rightIndent, bool visibleOnly = false);
  void SetParagraphAlignment(TWPAlignment align);
  void SetParagraphTabs(bool remove, TWPTabSet tabs);
  void SetParagraphSpacing(const TWPParSpacing& spacing, bool relative = false);
  void SetParagraphShading(uint8_t colors, uint8_t percent);
  // Page size and margins (twips; kWPUnchanged leaves one as it is).
  void SetPage(int32_t marginLeft, int32_t marginRight, int32_t marginTop, int32_t marginBottom, int32_t pageWidth,
               int32_t pageHeight);
  // Table cell or bordered group edges, pixels: the left edge from the
  // layout's left, the right inset from the layout width.
  int CellLeftEdge(const TWPParagraphRec* par) const;
  int CellRightInset(const TWPParagraphRec* par) const;
  TColor ColorByNumber(int number) const;

  // --- fonts of runs (fonts.cpp) ---------------------------------------------
  TWPRunStyle RunStyle(const TWPAttrRecord& attr) const;
  // Makes the record's font the current one: CharWidths, FontHeight and
  // FontAscent; the metrics are those of the font.
  const TWPFontMetrics& SelectAttrFont(const TWPAttrRecord& attr);
  // Sets the canvas's font and colours for a run; the run's style.
  TWPRunStyle SetCanvasFont(const TWPAttrRecord& attr);
  // The record's font measured at 1440 units to the inch (twips), the same
  // on every device.
  const TWPFontMetrics& TwipsMetrics(const TWPAttrRecord& attr) const;
  // Width of a text in the record's font in twips.
  int TextTwips(const TWPAttrRecord& attr, const AnsiString& text) const;

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
    if (OnShowCaret && !Scrolling && !(viewOptions_ & wpvPaintingOff)) OnShowCaret();
  }
  void CallPlaceCaret() {
    if (OnPlaceCaret && !(viewOptions_ & wpvPaintingOff)) OnPlaceCaret();
  }
  virtual void SelectionChanged() {
    if (OnSelectionChanged) OnSelectionChanged();
  }
  // Lines of the paragraphs a command works on: the block's, or the
  // cursor's, completed to whole table rows.
  void CommandParagraphs(TWPParagraphRec*& first, TWPParagraphRec*& last) const;
  // After a paragraph command: break the marked paragraphs, place the
  // lines and repaint.
  void FinishParagraphCommand(bool anyChanged);
  // Moves the window's pixels by dy (down positive) or dx and paints the
  // uncovered strip, or everything when pixels cannot be moved.
  void ScrollPixels(int dx, int dy);
  // After an offset moved by (dx, dy): pixels, caret and the owner's bars.
  void ViewMoved(int dx, int dy);
  // Moves an offset past characters that are not shown (a link's hidden
  // stamp) or belong to an automatic number, so that the caret never
  // stands between a link and its stamp or inside a number.
  void PassSkipped(TWPLineRec* line, int& offset) const;
  bool LayoutOff() const { return viewOptions_ & wpvLayoutOff; }
  int ResX() const { return Header->ResX > 0 ? Header->ResX : 96; }
  int ResY() const { return Header->ResY > 0 ? Header->ResY : 96; }

private:
  struct PaintRun;
  void MeasureLine(TWPParagraphRec* par, TWPLineRec* line, bool emptyPar);
  void SpellCheckPass(TWPParagraphRec* par);
  void BreakLines(TWPParagraphRec* par, bool compare, int& changeKind);
  int BorderSpacingTwips(const TWPParagraphRec* par) const;
  // The room a paragraph's border lines take on each side they are drawn
  // (a double line's two and the gap between), in twips; 0 without border.
  int64_t BorderRoomTwips(const TWPParagraphRec* par) const;
  // A line's left text edge in twips from the layout's left edge, border
  // spacing included (LeftBoundary before its device pixels).
  int64_t LeftEdgeTwips(const TWPParagraphRec* par, const TWPLineRec* line) const;
  // The edges of a line's text in twips from the layout's left edge, as
  // breaking by the printer's widths takes them (LeftBoundary and
  // RightBoundary without their device pixels).
  void LineEdgesTwips(const TWPParagraphRec* par, const TWPLineRec* line, int64_t& left, int64_t& right) const;
  // Heights in twips for the page starts of breaking by the printer's
  // widths: of a character, and of a line as CalcLineHeight makes it.
  int HeightTwips(const TWPAttrRecord& attr, unsigned char c) const;
  int64_t LineHeightTwips(const TWPParagraphRec* par, const TWPLineRec* line) const;
  // Page starts set again from the lines' heights in twips.
  void PageStartsInTwips();
  // The edges of a table cell in twips from the layout's left edge: a row
  // spans the page's text width less its indents, as far as the layout
  // reaches (its right indent counts from the printable edge, as text's
  // does), so that the screen shows the table the page prints.
  void CellTwips(const TWPParagraphRec* par, int64_t& left, int64_t& right) const;
  // The part of DeleteBlock for a block over several paragraphs (from
  // position s of the first to position e of the last).
  void DeleteParagraphsOfBlock(TWPParagraphRec* first, int s, TWPParagraphRec* last, int e);
  void CellEdges(const TWPParagraphRec* par, int& left, int& right) const;
  // The widths in pixels of the border lines a bordered paragraph draws
  // inside its edges, 0 where it draws none. An edge it shares with a
  // bordered neighbour (the cell beside it, the cell or paragraph above or
  // below) takes half the line on each side, so the two halves make one
  // line; a one-pixel line falls to the left or upper one.
  struct BorderStrips {
    int Top = 0, Bottom = 0, Left = 0, Right = 0;
  };
  BorderStrips BorderStripsOf(const TWPParagraphRec* par) const;
  // The room the text keeps from its edges for those lines beyond the
  // pixel it keeps anyway, so that a thick border covers no letter.
  BorderStrips BorderInsets(const TWPParagraphRec* par) const;
  // The border line's width in pixels (1 for a hairline or no width).
  int BorderLineWidth(const TWPParagraphRec* par) const;
  // The paragraph whose bottom (up) or top (down) edge meets this one's:
  // the next paragraph over or under it, for a cell the cell of the row
  // over or under it that covers its column's start; nullptr at a table's
  // edge or between a table and text.
  const TWPParagraphRec* EdgeNeighbour(const TWPParagraphRec* par, bool up) const;
  void PaintRunsOfLine(TWPParagraphRec* par, TWPLineRec* line, const TWPAttrRecord* attrs, int top, int baseline,
                       int selFrom, int selTo);
  void PaintBorders(TWPParagraphRec* par, TWPLineRec* line, int top);
  void PaintPageBreakMark(TWPParagraphRec* par, TWPLineRec* line, int top);
  TGraphic* GraphicOf(const TWPObjectEntry* entry);
  void FillBackground(const TRect& r, TColor color);
  // Paints one line at a page position (used by page painting and printing).
  void PaintLineAt(TWPParagraphRec* par, TWPLineRec* line, int originX, int originY);
  // False for a line cut by the view's top or bottom while only whole
  // lines are painted.
  bool ShownWhole(const TWPLineRec* line) const;
  // Frames the part of the focus mark in a line whose first character has
  // the absolute position `lineStart` (after the line was painted).
  void PaintFocusMark(const TWPParagraphRec* par, const TWPLineRec* line, int64_t lineStart, int originX, int originY);

  TCanvas* canvas_ = nullptr;
  bool measuringAll_ = false;
  // Reused buffers of WrapParagraph.
  std::string wrapChars_;
  std::vector<TWPAttrRecord> wrapAttrs_;
  std::vector<int> wrapTwips_;
  // The font last measured in twips, and the record it was asked for.
  struct TwipsMemo {
    bool Valid = false;
    TWPAttrRecord Key;
    int Scale = 0;
    AnsiString Name;
    TFontRequest Font;
    TWPFontMetrics Metrics;
  };
  mutable TwipsMemo twipsMemo_;
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
  // A window width set while a layout ran: laid out again afterwards.
  bool widthPending_ = false;
  bool inScrollCallbacks_ = false;
  bool runningPending_ = false;
  int formatCount_ = 0;  // complete passes so far (UpdateParagraph's report)
  void RunPendingFormat();
  // Lays out for a new layout width: lines are broken again only where a
  // paragraph's right edge moved, otherwise they are only placed anew.
  void FollowLayoutWidth(int32_t pixels);
  // Halves of SetSelStart/SetSelLength, selected once both are given.
  void ApplySelectionHalves();
  int pendingSelStart_ = 0, pendingSelLength_ = 0;
  bool selStartGiven_ = false, selLengthGiven_ = false;
};
