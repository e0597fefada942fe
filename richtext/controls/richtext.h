// TWPCustomRichText: the edit control made into a complete editor. It links
// itself to a tool bar, a ruler, a status bar (or a status label) and two
// external scroll bars, keeps them in step with the cursor through its
// set-mode object, runs the shared find and replace dialogs with its finder,
// opens, saves and prints documents through the common dialogs, and clears
// the document for a new page. TWPRichText publishes it unchanged.
//
// Invariants:
//  - the engine's attribute listener and update object are this control's
//    set-mode object for the control's whole life;
//  - the shared find and replace dialogs send their events to at most one
//    control, the one that showed them last; a control that goes takes its
//    events away (DetachLinks), so no dialog calls a freed control;
//  - every link to a bar is watched with a free notification: a bar that is
//    freed is forgotten, and one that was the engine's progress receiver
//    stops receiving progress;
//  - Save and the tool bar's close command never lose text: the document is
//    cleared only after it was written, never after a cancelled dialog.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/ui/dialogs.h"
#include "richtext/controls/barlinks.h"
#include "richtext/controls/rtfedit.h"

// The language of the rich-text controls' messages, shared by all of them.
enum TWPToolLanguage { twpEnglish = 0, twpGerman = 1 };

// Message string `index` (1..13) in the current language: resource number
// 56000 + language offset (0 English, 100 German) + index.
AnsiString WPMessage(int index);
// Messages by their resource number (56001..56013, 56101..56113); empty
// for other numbers.
AnsiString WPLoadStr(int id);
TWPToolLanguage WPLanguage();
// The decimal separator of the current language ('.' or ',').
char WPDecimalSeparator();

// Indent step of the Tab key: half an inch.
constexpr int32_t kWPTabIndentStep = 720;

class TWPCustomRichText;

// Keeps the tool bar and the ruler in step with the cursor, the selection
// and the writing attribute; the engine tells it of every change and of
// every layout and scroll.
class TWPRichTextSetMode : public TWPSetModeControl, public TWPUpdateObject {
  ORV_CLASS(TWPRichTextSetMode, TWPSetModeControl)
  explicit TWPRichTextSetMode(TWPCustomRichText* control);

  void PositionChanged() override;
  void AttributeChanged() override;
  void SelectionChanged() override;
  void TextFormatted() override;
  void TextScrolled() override;

  // The three parts of the state, also called by the control.
  void ParagraphState();
  void CharacterState();
  void RulerPosition();

private:
  TWPCustomRichText* control_;
};

class TWPCustomRichText : public TWPCustomRtfEdit {
  ORV_CLASS(TWPCustomRichText, TWPCustomRtfEdit)
  explicit TWPCustomRichText(TComponent* owner);
  ~TWPCustomRichText() override;

  void Notification(TComponent* c, TOperation op) override;

  // ===== links =====================================================================
  TWPCustomStatusBar* StatusBar() const { return statusBar_; }
  void SetStatusBar(TWPCustomStatusBar* bar);
  TWPCustomToolCtrl* WPToolBar() const { return toolBar_; }
  void SetWPToolBar(TWPCustomToolCtrl* bar);
  TWPCustomRuler* WPRuler() const { return ruler_; }
  void SetWPRuler(TWPCustomRuler* ruler);
  TLabel* StatusLabel() const { return statusLabel_; }
  void SetStatusLabel(TLabel* label);
  TScrollBar* ExternVerScrollBar() const { return externVer_; }
  void SetExternVerScrollBar(TScrollBar* bar);
  TScrollBar* ExternHorScrollBar() const { return externHor_; }
  void SetExternHorScrollBar(TScrollBar* bar);
  TWPRichTextSetMode* SetMode() const { return setMode_.get(); }

  // ===== properties ====================================================================
  // The file of the last load or save.
  const AnsiString& FileName() const { return fileName_; }
  void SetFileName(const AnsiString& name) { fileName_ = name; }
  const AnsiString& TemplateName() const { return templateName_; }
  void SetTemplateName(const AnsiString& name) { templateName_ = name; }
  // Loads and saves leave the remembered file name alone, and the tool
  // bar's close command saves without clearing.
  bool KeepFileName() const { return keepFileName_; }
  void SetKeepFileName(bool v) { keepFileName_ = v; }
  TWPToolLanguage Language() const;
  void SetLanguage(TWPToolLanguage language);

  TNotifyEvent StartSpellCheck;

  // ===== operations ======================================================================
  // The finder bound to the current text, its state cleared.
  TWPTextFinder* Finder();
  // Empties the document: one empty paragraph, the writing attribute from
  // the control's font, no file name.
  void ClearDocument();
  // Shows a text (or "Ready") in the status label and the status bar.
  void ShowStatusText(const AnsiString& text);
  // Shows the shared find (or replace) dialog for this control.
  void Find();
  void Replace();
  void PrinterSetup();
  // Each True when it loaded or saved; a cancelled dialog changes nothing.
  bool Open();
  bool Save();
  bool SaveAs();

  // ===== virtual operations ==================================================================
  // Unlinks the bars and the shared dialogs from this control.
  virtual void DetachLinks();
  // Makes this control the one the bars and the shared dialogs serve.
  virtual void AttachLinks();
  // Engine load and save; loading into a text that is not empty inserts at
  // the cursor (RTF or plain text by the load format).
  virtual void LoadFromStream(TStream* stream);
  virtual void SaveToStream(TStream* stream);
  // The selection (RTF by the save format); without one the status shows
  // "no text selected" and nothing is written.
  virtual void SaveSelection(TStream* stream);
  virtual void SaveToFile(const AnsiString& name);
  virtual void LoadFromFile(const AnsiString& name);

  // ===== tool bar, ruler and status bar ==========================================================
  bool ToolBarCommand(int group, int number) override;
  void ToolBarAttrCommand(uint32_t mask, const TWPAttrRecord& source) override;
  // The paragraph style box: alignment in the set-mode's numbering.
  void ApplyParagraphStyle(int setModeNumber);
  // The paragraph colour box: colour number (0 removes the colour).
  void ApplyParagraphColor(int colorNumber);
  void ApplyRulerTabs(TWPTabSet tabs) override { ApplyRulerTabs(tabs, false); }
  // Adds (or with `remove` takes away) tab slots in the paragraphs of the
  // cursor or the selection.
  void ApplyRulerTabs(TWPTabSet tabs, bool remove);
  // The ruler's indent marks moved: the header's ruler values go to the
  // paragraphs (`finished` at the end of the drag).
  void RulerIndentsChanged(bool finished);
  void RefreshStatus() override;

  void SetWordWrap(bool v) override;
  void SetZooming(int percent) override;
  void SetResizing(int percent) override;
  void DoEditState(bool clipboardNotEmpty) override;
  void UpdateHScroll() override;
  void UpdateVScroll() override;
  void TabKeyIndent(bool shift, char& key) override;
  void SetPageLayout(int32_t marginLeft, int32_t marginRight, int32_t marginTop, int32_t marginBottom,
                     int32_t pageWidth, int32_t pageHeight) override;

protected:
  void Dispatch(TMessage& m) override;
  // The shared dialogs' events, routed to the control that showed them.
  void FindEvent(TFindDialog* dialog);
  void ReplaceEvent(TReplaceDialog* dialog);

private:
  friend class TWPRichTextSetMode;
  void ShowFileName();
  void ExternScroll(bool vertical, TScrollCode code, int& pos);
  // Binds the finder to the text with the dialog's options.
  TWPTextFinder* PrepareFinder(const TFindDialog* dialog);
  void SelectFound(TWPTextFinder* f, bool down);
  void RepaintRuler();
  // Routes the shared dialogs' events to a control (only to dialogs made
  // already when `onlyExisting`); takes them away from it.
  static void RouteDialogs(TWPCustomRichText* control, bool onlyExisting);
  static void ReleaseDialogs(TWPCustomRichText* control);

  std::unique_ptr<TWPRichTextSetMode> setMode_;
  TWPCustomStatusBar* statusBar_ = nullptr;
  TWPCustomToolCtrl* toolBar_ = nullptr;
  TWPCustomRuler* ruler_ = nullptr;
  TLabel* statusLabel_ = nullptr;
  TScrollBar* externVer_ = nullptr;
  TScrollBar* externHor_ = nullptr;
  AnsiString fileName_;
  AnsiString templateName_;
  bool keepFileName_ = false;
  bool destroyingLinks_ = false;
};

class TWPRichText : public TWPCustomRichText {
  ORV_CLASS(TWPRichText, TWPCustomRichText)
  explicit TWPRichText(TComponent* owner) : TWPCustomRichText(owner) {}
};

// The shared find and replace dialogs of all rich-text controls (made on
// first use, freed at program end).
TFindDialog* WPFindDialog();
TReplaceDialog* WPReplaceDialog();
