// TWPRuler: the horizontal ruler above a rich-text control. It shows a
// scale in centimetres or inches, the first-line, left and right indents of
// the cursor's paragraph as marks that can be dragged, and the paragraph's
// tab stops; a press on the scale enters a tab stop or steps the kind of
// the one there. It works on the attached control's document header (the
// ruler values and the tab table) and tells the control of every change.
//
// Invariants:
//  - without an attached control the ruler paints its scale only and
//    ignores presses;
//  - the right-indent mark never lies left of the left-indent or the
//    first-line mark: a change that would cross them is taken back;
//  - every division by the resolution uses the ruler's resolution, which
//    is the header's when it is known and the screen's otherwise, so a
//    header without a resolution never divides by zero.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/ui/stdctrls.h"
#include "richtext/controls/barlinks.h"
#include "richtext/model/header.h"

enum PTWPRulerUnit { Centimeter = 0, Inch = 1 };

// group 1 while a mark is dragged, 0 when the drag ends; `mark` 1 right,
// 2 left, 3 first-line indent.
using TWPRulerSelectEvent = std::function<void(TObject* Sender, int group, int mark, bool changing)>;
using TWPRulerTabEvent = std::function<void(TObject* Sender, TWPTabSet tabs, bool found)>;

class TWPRuler : public TWPCustomRuler {
  ORV_CLASS(TWPRuler, TWPCustomRuler)
  explicit TWPRuler(TComponent* owner);

  void AttachText(TWPCustomRtfEdit* control) override;
  void SetParagraphTabs(TWPTabSet tabs) override;
  TTextHeader* Header() const;

  PTWPRulerUnit Units() const { return units_; }
  void SetUnits(PTWPRulerUnit u);
  int XOffset() const override { return xOffset_; }
  void SetXOffset(int offset) override;
  int LeftOffset() const { return leftOffset_; }
  void SetLeftOffset(int offset) override;
  bool ShowNumbers() const { return showNumbers_; }
  void SetShowNumbers(bool v);
  TPanelBevel BevelInner() const { return bevelInner_; }
  void SetBevelInner(TPanelBevel b);
  TPanelBevel BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel b);
  TTabKind NewTabKind() const { return newTabKind_; }
  void SetNewTabKind(TTabKind k) { newTabKind_ = k; }
  // The cursor shown over the marks (none: the ruler's cursor stays).
  TCursor MarkCursor() const { return markCursor_; }
  void SetMarkCursor(TCursor c) { markCursor_ = c; }

  // Indents in twips (-9999 leaves one unchanged); a change that would
  // cross the marks is taken back. False when nothing could be set.
  bool SetIndentMarks(int32_t firstIndent, int32_t leftIndent, int32_t rightIndent);

  // The ruler's resolution: the header's when known, else the screen's.
  int Resolution() const;
  // Mark geometry (ruler pixels): x of the right, left and first-line marks.
  int MarkX(int mark) const;
  TRect MarkRect(int mark) const;
  int MarkSize() const { return markSize_; }
  bool Dragging() const { return dragging_; }

  TWPRulerSelectEvent OnSelection;
  TWPRulerSelectEvent WhileSelection;
  TWPRulerTabEvent OnTab;

protected:
  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
  bool ComputeMarks();
  int MarkAt(int x, int y) const;
  void PressTabs(int x);
  void DragTo(int x);
  void TellControl(bool finished);
  void PaintScale(TCanvas& c);
  void PaintMarks(TCanvas& c);
  void PaintTabs(TCanvas& c);
  void Arrow(TCanvas& c, int x, int y, int w, int h);

  PTWPRulerUnit units_ = Centimeter;
  int xOffset_ = 0;
  int leftOffset_ = 0;
  bool showNumbers_ = false;
  TPanelBevel bevelInner_ = bvRaised;
  TPanelBevel bevelOuter_ = bvNone;
  TTabKind newTabKind_ = tkAll;
  TCursor markCursor_ = crDefault;
  int markSize_ = 4;
  int half_ = 3;
  int marks_[4] = {0, 0, 0, 0};  // x of mark 1..3
  // Drag state.
  int dragMark_ = 0;
  int dragStartX_ = 0;
  bool dragging_ = false;
  bool moveBoth_ = false;
  TCursor savedCursor_ = crDefault;
  bool cursorChanged_ = false;
};
