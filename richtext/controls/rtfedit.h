// TWPCustomRtfEdit: the window of the rich-text engine. It owns one text
// engine (TWPRTFTextInput) with its caret, finder and string-list view, shows
// it, turns window messages, keys and mouse actions into engine operations,
// exchanges text with the clipboard, guards every edit with the change check
// and offers the programmatic interface through which pages are built by
// code (clear, append styled runs and paragraphs, format, position, print).
//
// The engine never touches the window: it calls back through the callbacks
// the constructor installs (caret, scroll bars, position, selection, height
// check). The control's canvas is attached to the window afresh at every
// entry point, because the engine paints outside paint messages.
//
// Invariants between public calls:
//  - every edit made here runs ChangeCheck first (a refusal leaves text,
//    cursor and selection as they were and reports nothing), then the edit,
//    then Change (OnChange);
//  - the engine lays out only once the control has a window and a size
//    (until then the layout-off view option is set), so a control created by
//    code and filled before it is shown lays out its text when it appears;
//  - a hyperlink is its visible text (style 0x10) followed by a hidden stamp
//    (0x100) holding the link code; HyperLinkEvent hands over that code as
//    the stamp, found from the clicked character whether it is part of the
//    text or of the stamp;
//  - model-level edits here (AddParagraph, pasting, dropping) drop the
//    selection first, so no block pointer outlives the lines it points at.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/rtl/streams.h"
#include "platform/ui/controls.h"
#include "platform/ui/stdctrls.h"
#include "richtext/io/textio.h"
#include "richtext/model/finder.h"
#include "richtext/view/caret.h"
#include "richtext/view/input.h"

class TWPCustomRtfEdit;

// A styled run for AppendRun: the record every character of the run gets,
// the text and whether a page break goes before the paragraph. The three
// twips values are carried for the callers (who set them to 72); no
// operation reads them.
struct TWPTextRun {
  int32_t Spacing[3] = {0, 0, 0};
  TWPAttrRecord Attr;
  AnsiString Text;
  bool PageBreak = false;
};

using THyperLinkEvent =
    std::function<void(TObject* Sender, const AnsiString& text, const AnsiString& stamp, int LineNumber)>;
using TEditStateEvent = std::function<void(TObject* Sender, bool selection_marked, bool clipboard_not_empty)>;
using TMouseDownRightEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                                int Y, int pos, int len, AnsiString& text, TWPAttrRecord& atr)>;
using TProtectedChangeEvent = std::function<void(TObject* Sender, const AnsiString& text, uint16_t Tag)>;
using TProvideObjectEvent = std::function<void(uint16_t tag, TWPTextObject*& obj)>;
using TBeforePasteEvent = std::function<void(TObject* Sender, bool& doIt, TWPParagraphRec* par)>;
using TBeforeCopyEvent = std::function<void(TObject* Sender, bool& doIt)>;

// Memory layouts of the engine.
enum TWPMemoryFormat { fmRichText = 0, fmPlainText = 1 };

// The abstract base: the two slots a complete editor fills in (the tool
// bar's file and print commands and its character-attribute commands).
class TWPCustomRtfEditClass : public TCustomControl {
  ORV_CLASS(TWPCustomRtfEditClass, TCustomControl)
  explicit TWPCustomRtfEditClass(TComponent* owner) : TCustomControl(owner) {}
  // A command of the tool bar (group, number); True when it was handled.
  virtual bool ToolBarCommand(int group, int number) = 0;
  // A character-attribute command of the tool bar: the masked parts of the
  // record go to the writing attribute and the selection.
  virtual void ToolBarAttrCommand(uint32_t mask, const TWPAttrRecord& source) = 0;
};

class TWPCustomRtfEdit : public TWPCustomRtfEditClass {
  ORV_CLASS(TWPCustomRtfEdit, TWPCustomRtfEditClass)
  explicit TWPCustomRtfEdit(TComponent* owner);
  ~TWPCustomRtfEdit() override;

  // ===== the engine and its helpers =========================================
  TWPRTFTextInput* RtfText() const { return engine_.get(); }
  // Replaces the text by a copy of another one (after the change check).
  void SetRtfText(const TWPRTFTextIo* source);
  TTextHeader* Header() const { return engine_->Header.get(); }
  TWPTextFinder* TextFinder() const { return finder_.get(); }
  TWPRtfStrings* Lines() const { return strings_.get(); }
  TCaret* Caret() const { return caret_.get(); }

  // ===== properties ===========================================================
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }
  bool ReadOnly() const { return GetReadOnly(); }
  // The engine may be edited (a data-aware descendant clears it while its
  // record is not being edited); a control that is not editable refuses
  // every change like a read-only one.
  bool Editable() const { return editable_; }
  void SetEditable(bool v);
  bool WordWrap() const { return engine_->WordWrap(); }
  int Zooming() const { return engine_->Zooming(); }
  int Resizing() const { return engine_->Resizing(); }
  bool Inserting() const { return engine_->InsertMode; }
  void SetInserting(bool v) { engine_->InsertMode = v; }
  TWPMemoryFormat MemoryFormat() const { return memoryFormat_; }
  void SetMemoryFormat(TWPMemoryFormat f);
  TWPLoadFormat SaveFormat() const { return engine_->SaveFormat; }
  void SetSaveFormat(TWPLoadFormat f) { engine_->SaveFormat = f; }
  TWPLoadFormat LoadFormat() const { return engine_->LoadFormat; }
  void SetLoadFormat(TWPLoadFormat f) { engine_->LoadFormat = f; }
  TWPWriteBitmapMode WriteBitmapMode() const { return engine_->WriteBitmapMode; }
  void SetWriteBitmapMode(TWPWriteBitmapMode m) { engine_->WriteBitmapMode = m; }
  bool CaretDisabled() const { return caret_->Disabled(); }
  void SetCaretDisabled(bool v) { caret_->SetDisabled(v); }
  bool ShowPageBreak() const { return showPageBreak_; }
  void SetShowPageBreak(bool v);
  bool PaintGrayTable() const { return engine_->PaintGrayTable; }
  void SetPaintGrayTable(bool v) { engine_->PaintGrayTable = v; }
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle s);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle b);
  // Shows or hides the control; the engine paints only while shown.
  void SetVisible(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  TPicture* BackgroundImage() const { return background_.get(); }
  // Nil clears the background; a metafile raises.
  void SetBackgroundImage(const TPicture* picture);
  bool BackgroundScrolling() const { return backgroundScrolling_; }
  void SetBackgroundScrolling(bool v);
  bool BackgroundLoadFromFile() const { return backgroundLoadFromFile_; }
  void SetBackgroundLoadFromFile(bool v) { backgroundLoadFromFile_ = v; }
  TCharacterAttr* InsertPointAttr() const { return &engine_->InsertPointAttr(); }
  TCharacterAttr* AutomaticTextAttr() const { return &engine_->AutomaticTextAttr(); }
  TCharacterAttr* HyperlinkTextAttr() const { return &engine_->HyperlinkTextAttr(); }
  TCharacterAttr* GetHyperlinkTextAttr() const { return HyperlinkTextAttr(); }
  TCharacterAttr* ProtectedTextAttr() const { return &engine_->ProtectedTextAttr(); }
  TCharacterAttr* BookmarkTextAttr() const { return &engine_->BookmarkTextAttr(); }
  void SetInsertPointAttr(const TCharacterAttr* a) { engine_->InsertPointAttr().Assign(a); }
  void SetAutomaticTextAttr(const TCharacterAttr* a) { engine_->AutomaticTextAttr().Assign(a); }
  void SetHyperlinkTextAttr(const TCharacterAttr* a) { engine_->HyperlinkTextAttr().Assign(a); }
  void SetProtectedTextAttr(const TCharacterAttr* a) { engine_->ProtectedTextAttr().Assign(a); }
  void SetBookmarkTextAttr(const TCharacterAttr* a) { engine_->BookmarkTextAttr().Assign(a); }
  TProtectProps ProtectedProp() const { return engine_->ProtectMode; }
  void SetProtectedProp(TProtectProps p) { engine_->ProtectMode = p; }
  // The vertical scroll offset in pixels; a negative value counts as 0.
  int TopOffset() const { return engine_->TopOffset; }
  void SetTopOffset(int v);
  int GetTopOffset() const { return TopOffset(); }
  // The horizontal offset, 0 or more (the engine keeps it negated).
  int LeftOffset() const { return -engine_->HorzOffset; }
  void SetLeftOffset(int v);
  bool NoBlockMarking() const { return engine_->NoBlockMarking; }
  void SetNoBlockMarking(bool v);
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool v) { wantTabs_ = v; }
  bool DragAndDropSupport() const { return dragAndDrop_; }
  void SetDragAndDropSupport(bool v) { dragAndDrop_ = v; }
  bool OneClickHyperlink() const { return oneClickHyperlink_; }
  void SetOneClickHyperlink(bool v) { oneClickHyperlink_ = v; }
  TCursor HyperLinkCursor() const { return hyperLinkCursor_; }
  void SetHyperLinkCursor(TCursor c) { hyperLinkCursor_ = c; }
  bool LimitTextHeight() const { return limitTextHeight_; }
  void SetLimitTextHeight(bool v);
  // The last non-zero tag of a clicked link's characters.
  uint16_t HyperlinkTag() const { return hyperlinkTag_; }

  // ===== events ===============================================================
  TNotifyEvent OnChange;
  TEditStateEvent EditStateEvent;
  TNotifyEvent CtrlTabPressed, ShiftTabPressed;
  THyperLinkEvent HyperLinkEvent;
  TMouseDownRightEvent OnMouseDownRight;
  TWPPrintEvent PrintHeader, PrintFooter;
  TBeforePasteEvent OnBeforePasteEvent;
  TBeforeCopyEvent OnBeforeCopyEvent;
  // Fired from the engine.
  TNotifyEvent OnXPosChanged, OnYPosChanged;
  TProtectedChangeEvent OnProtectedChange;
  TProvideObjectEvent ProvideObjectEvent;
  TNotifyEvent OnNewParCreatedEvent;

  // ===== virtual operations ====================================================
  bool ToolBarCommand(int, int) override { return false; }
  void ToolBarAttrCommand(uint32_t, const TWPAttrRecord&) override {}
  virtual void SetReadOnly(bool v);
  virtual bool GetReadOnly() const;
  virtual void SetWordWrap(bool v);
  virtual void SetZooming(int percent);
  virtual void SetResizing(int percent);
  // Tells EditStateEvent whether a selection exists and the clipboard holds text.
  virtual void DoEditState(bool clipboardNotEmpty);
  virtual void UpdateHScroll();
  virtual void UpdateVScroll();
  // Asked before every edit; False: do not edit.
  virtual bool ChangeCheck();
  // After every edit: fires OnChange.
  virtual void Change();
  // Hooks of a complete editor: the Tab key (the key set to 0 when taken),
  // a tab set from the ruler, the status bar.
  virtual void TabKeyIndent(bool shift, char& key);
  virtual void ApplyRulerTabs(TWPTabSet) {}
  virtual void RefreshStatus() {}
  virtual void DeleteSelection();
  virtual void HideSelection();
  virtual void CopyToClipboard();
  virtual void CutToClipboard();
  virtual void PasteFromClipboard();
  // Page painting for preview and custom printing: mode 2 starts on a
  // canvas with an area (x, y, width from the canvas's page, height), mode
  // 4 ends, 0 measures and any other mode paints from line `line`; the
  // line the next area starts with (-1 after the last).
  virtual int PaintPage(int mode, TCanvas* canvas, int x, int y, int width, int height, int line);
  // Margins and page size in twips (kWPUnchanged leaves one as it is).
  virtual void SetPageLayout(int32_t marginLeft, int32_t marginRight, int32_t marginTop, int32_t marginBottom,
                             int32_t pageWidth, int32_t pageHeight);

  // ===== clipboard, change check and edit state ===================================
  // Whether the clipboard holds text, told to DoEditState.
  void ReportEditState();
  // Replaces the whole text by plain text (WM_SETTEXT).
  void SetPlainText(const char* text);
  // Empties the text; the writing attribute follows the control's font.
  void ClearText();

  // ===== the programmatic interface ================================================
  // Cursor and positions (absolute: every character 1, every paragraph end 1).
  void PlaceCursor(int position, int lineNumber, int a3, int a4);
  void GetCursorPlace(int& position, int& lineNumber, int& a3, int& a4);
  void MoveCursorTo(int position);
  int CursorPosition() const;
  bool CursorNext();
  bool CursorPrev();
  // The character at the cursor; a carriage return (13) at a line end.
  char* CharAtCursor();
  // The record of the character at the cursor (writable in place), or the
  // writing attribute at a line end.
  TWPAttrRecord* AttrAtCursor();
  int CurrentPage() const;
  int CurrentLineOnPage() const;
  void SelectAll();
  int TextLength() const;
  void SetSelection(int start, int length) { engine_->SetSelection(start, length); }

  // Building text.
  void GetWritingAttr(TWPAttrRecord& attr) const { attr = engine_->WritingAttr; }
  void SetWritingAttr(const TWPAttrRecord& attr);
  int FontNumber(const AnsiString& name);
  void AddParagraph();
  void AppendRun(const TWPTextRun& run);
  void InsertText(const AnsiString& s);
  // A picture (TPicture or TGraphic) at the cursor; a control given is
  // shown inside the window. The object's number, 0 when nothing went in.
  int InsertObject(TObject* obj, uint16_t number, uint8_t flag, int32_t width, int32_t height);
  void InsertGraphic(const TPicture* picture, int32_t width, int32_t height);
  void FastAppendText(TWPCustomRtfEdit* source);
  // Takes the page settings of another control's, store's or text's text.
  void LinkToText(TObject* obj);
  const TWPRTFText* SourceText() const { return sourceText_; }

  // Formatting and printing (twips).
  void SetParagraphIndents(int32_t firstIndent, int32_t leftIndent, int32_t rightIndent);
  void SetParagraphSpacing(int32_t before, int32_t line, int32_t after);
  bool SetTabStop(int32_t position, TTabKind kind, bool remove);
  using TWinControl::SetTabStop;  // the focus tab stop (bool)
  void ReformatAndRepaint();
  void Print();
  void PrintPages(int first, int last);

  // Focuses the control when it may take the focus.
  void TakeFocus();
  // True once Escape was pressed during a long loop (the finder's replace
  // all asks it); pending input is taken in first.
  bool EscapePressed();

protected:
  void WndProc(TMessage& m) override;
  void Dispatch(TMessage& m) override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Paint() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

  // Puts the control's canvas onto its window before the engine draws.
  void AttachCanvas();
  // Ends the scrolling state: bars that were only kept during it go.
  void EndScrolling();

private:
  // A link as a click or Enter reads it: where it starts, its shown text,
  // its hidden stamp and the last non-zero tag of its characters.
  struct LinkHit {
    TWPParagraphRec* Par = nullptr;
    TWPLineRec* Line = nullptr;
    int Offset = 0;
    int LineNumber = 0;
    AnsiString Text, Stamp;
    uint16_t Tag = 0;
  };
  void InstallCallbacks();
  void ClearCallbacks();
  void WindowSized();
  void ScrollMessage(bool vertical, int code, int thumb);
  void Wheel(int delta);
  void TakeFontAsWritingAttr(bool onlyChanged);
  int ColorNumber(TColor c) const;
  void RefreshBackground(bool invalidate = true);
  // Height limit: snapshot before a change, and taking a change back that
  // made the text taller than the control.
  void TakeSnapshot();
  void TextHeightCheck();
  // Keyboard links (linkkeys.cpp): the absolute positions and lengths of the
  // shown texts of all links; the next (or previous) one becomes the
  // focused link, scrolled into view; past the last (first) with `leave`
  // the focus goes on to the window's next (previous) control.
  std::vector<std::pair<int, int>> LinkSpans() const;
  void StepLink(bool forward, bool leave);
  void SetLinkFocus(int start, int length);
  // The frame of the focused link only while the control has the focus.
  void ShowLinkFocus(bool shown);
  // Enter on the focused link: as a click on it; False without one.
  bool FollowFocusedLink();
  // Mouse helpers (mouse.cpp).
  bool ClickObjectOrLink(int x, int y);
  bool LinkAt(int x, int y, LinkHit& hit) const;
  // The link whose character is at (par, line, offset), read as a click would.
  bool LinkFrom(TWPParagraphRec* p, TWPLineRec* l, int o, LinkHit& hit) const;
  void FireHyperlink(const LinkHit& hit);
  bool CharAtPoint(int x, int y, TWPParagraphRec*& par, TWPLineRec*& line, int& offset) const;
  void SelectWordAt(int x, int y);
  void SelectParagraphAt(int x, int y);
  void RightButtonWord(TShiftState shift, int x, int y);
  bool InSelection(int x, int y) const;
  TWPObjectRect* ObjectBorderAt(int x, int y);
  void ResizeObjectTo(int x, int y);
  void DropOn(TWPCustomRtfEdit* target, int x, int y);
  // Clipboard helpers (clipboard.cpp).
  std::string SaveSelection(TWPLoadFormat format);
  // Returns how many characters a table cell had no room for.
  size_t PasteText(const std::string& bytes, bool rtf, bool inCell);

  std::unique_ptr<TPicture> background_;
  std::unique_ptr<TWPRTFTextInput> engine_;
  std::unique_ptr<TCaret> caret_;
  std::unique_ptr<TWPTextFinder> finder_;
  std::unique_ptr<TWPRtfStrings> strings_;
  // The height-limit snapshot: the text before the last allowed change.
  std::unique_ptr<TWPRTFTextIo> snapshot_;
  TWPAttrRecord snapshotAttr_;
  int snapshotCursor_ = 0;
  bool snapshotValid_ = false;
  const TWPRTFText* sourceText_ = nullptr;

  bool modified_ = false;
  bool editable_ = true;
  bool transparent_ = false;
  TColor transparentColor_ = clNone;
  bool scrolling_ = false;
  bool hRangeSet_ = false, vRangeSet_ = false;
  TScrollStyle scrollBars_ = ssNone;
  TBorderStyle borderStyle_ = bsSingle;
  bool wantTabs_ = true;
  bool selectOnEnter_ = false;
  bool limitTextHeight_ = false;
  bool dragAndDrop_ = false;
  bool oneClickHyperlink_ = false;
  TCursor hyperLinkCursor_ = 0;
  bool showPageBreak_ = true;
  bool backgroundScrolling_ = true;
  bool backgroundLoadFromFile_ = false;
  TWPMemoryFormat memoryFormat_ = fmRichText;
  bool layoutReady_ = false;
  bool destroying_ = false;
  // Mouse state.
  bool selecting_ = false;
  TPoint downPoint_;
  bool dragPending_ = false;
  TPoint dragPoint_;
  bool dragging_ = false;
  bool mouseSuppressed_ = false;
  bool dragFinished_ = false;
  bool mouseMoved_ = false;
  bool wordSelected_ = false;  // a double or triple click marked a unit
  int64_t lastDoubleClick_ = -1000000;
  TPoint doubleClickPoint_;
  bool overLink_ = false;
  TWPObjectEntry* resizing_ = nullptr;
  // Keys.
  bool deleteKey_ = false;
  bool polling_ = false;
  bool escapeSeen_ = false;
  char endOfLine_ = 13;
  bool inFontChange_ = false;
  uint16_t hyperlinkTag_ = 0;
  bool copyAllowed_ = true;
};
