// What a rich-text control knows of the bars around it: the tool bar, the
// ruler and the status bar are built in richtext/bars on top of the
// controls, so the control reaches them only through these abstract bases,
// which the bars implement. The numbers shared by both sides (icon groups,
// combo kinds, status panel kinds) are defined here.
//
// Invariants: a bar and the control it serves watch each other with free
// notifications, so neither keeps a pointer to the other once it is freed;
// a bar's current control is set by the control (AttachLinks) and cleared
// by the control (DetachLinks) or by the control's removal.
#pragma once

#include <cstdint>

#include "platform/ui/controls.h"
#include "richtext/model/records.h"

class TWPCustomRtfEdit;

// Icon groups of the tool bar; the command number within a group is the
// icon's number.
constexpr int wpgCharacter = 256;
constexpr int wpgParagraph = 512;
constexpr int wpgEdit = 768;
constexpr int wpgFile = 1024;
constexpr int wpgPrint = 1280;
constexpr int wpgDataSet = 1536;

// Commands of the file, print and edit groups.
constexpr int wpcmdExit = 1, wpcmdNew = 2, wpcmdOpen = 3, wpcmdSave = 4, wpcmdClose = 5;
constexpr int wpcmdPrint = 1, wpcmdPrintSetup = 2;
constexpr int wpcmdCopy = 1, wpcmdCut = 2, wpcmdPaste = 3, wpcmdSelectAll = 4, wpcmdHideSelection = 5,
              wpcmdFind = 6, wpcmdReplace = 7, wpcmdSpellCheck = 8;
// Record commands of the dataset group.
constexpr int wpcmdNext = 1, wpcmdPrior = 2, wpcmdInsert = 3, wpcmdDelete = 4, wpcmdEdit = 5, wpcmdCancel = 6,
              wpcmdFirst = 7, wpcmdLast = 8, wpcmdPost = 9, wpcmdRefresh = 10;

// The tool bar's combo boxes by kind (their tags).
enum TWPComboKind : int {
  wpcbFontName = 1,
  wpcbFontSize = 2,
  wpcbFontColor = 3,
  wpcbStyle = 4,
  wpcbBackgroundColor = 5,
  wpcbParColor = 6,
};

// Panel kinds of the status bars (the kind byte of a panel).
enum TWPStatusKind : uint8_t {
  stGauge = 0, stHelp = 1, stIndex = 2, stOutline = 3, stStatus = 4, stInsert = 5, stCaps = 6, stNum = 7,
  stXPos = 8, stYPos = 9, stDate = 10, stTime = 11, stPage = 12, stLine = 13, stChanged = 14, stFont = 15,
  stStyle = 16, stUnit = 17, stTxtFmt = 18, stName = 19, stFileName = 20, stPathName = 21, stString = 22
};

// The tool bar as the control sees it.
class TWPCustomToolCtrl : public TCustomControl {
  ORV_CLASS(TWPCustomToolCtrl, TCustomControl)
  explicit TWPCustomToolCtrl(TComponent* owner) : TCustomControl(owner) {}

  // The control the bar's commands go to (none while no control is active).
  TWPCustomRtfEdit* Editor() const { return editor_; }
  // Makes a control the active one; the bar shows its state from then on.
  virtual void AttachEditor(TWPCustomRtfEdit* editor);
  // When the control is the active one: none is, and the bar is refreshed.
  virtual void DetachEditor(TWPCustomRtfEdit* editor);
  // True while the bar carries out a user action: the control's state
  // reports leave the buttons alone then.
  virtual bool Busy() const { return false; }
  // The state of one icon; icons the bar does not show are ignored.
  virtual void SetButtonDown(int group, int number, bool down) = 0;
  virtual void SetButtonEnabled(int group, int number, bool enabled) = 0;
  // Shows a value in a combo box: the text of the font name and size, the
  // colour number of the colour boxes, the item index of the style box.
  virtual void ShowComboValue(TWPComboKind kind, const AnsiString& text) = 0;
  // The paragraph's alignment in the set-mode's numbering (formatcodes.h).
  virtual void ShowParagraphAlignment(int setModeNumber) = 0;
  void Notification(TComponent* c, TOperation op) override;

private:
  TWPCustomRtfEdit* editor_ = nullptr;
};

// The ruler as the control sees it: it shows the ruler values kept in the
// attached text's header and the tab stops of the cursor's paragraph.
class TWPCustomRuler : public TCustomControl {
  ORV_CLASS(TWPCustomRuler, TCustomControl)
  explicit TWPCustomRuler(TComponent* owner) : TCustomControl(owner) {}

  TWPCustomRtfEdit* AttachedControl() const { return control_; }
  // Attaches a control's text (nil detaches); repaints when it changed.
  virtual void AttachText(TWPCustomRtfEdit* control);
  // The tab stops of the cursor's paragraph; repaints.
  virtual void SetParagraphTabs(TWPTabSet tabs) = 0;
  TWPTabSet ParagraphTabs() const { return tabs_; }
  // The text's horizontal scroll position in pixels.
  virtual void SetXOffset(int offset) = 0;
  virtual int XOffset() const = 0;
  // Where position 0 of the text lies on the ruler (ruler pixels).
  virtual void SetLeftOffset(int offset) = 0;
  void Notification(TComponent* c, TOperation op) override;

protected:
  TWPTabSet tabs_ = 0;

private:
  TWPCustomRtfEdit* control_ = nullptr;
};

// The status bar as the control sees it.
class TWPCustomStatusBar : public TCustomControl {
  ORV_CLASS(TWPCustomStatusBar, TCustomControl)
  explicit TWPCustomStatusBar(TComponent* owner) : TCustomControl(owner) {}

  TWPCustomRtfEdit* AttachedControl() const { return control_; }
  virtual void AttachControl(TWPCustomRtfEdit* control);
  // Sets the text of the first panel of a kind; False when no panel has it.
  virtual bool SetPanelText(const AnsiString& text, int kind) = 0;
  // Whether the bar is the engine's progress receiver.
  virtual bool ReceivesProgress() const = 0;
  void Notification(TComponent* c, TOperation op) override;

private:
  TWPCustomRtfEdit* control_ = nullptr;
};
