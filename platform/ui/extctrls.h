// Further standard controls: bevel, image, paint box, shape, radio group,
// bitmap and speed buttons, page control with tab sheets, the progress
// gauge and the size grip of size bars.
// Invariants: a radio group's ItemIndex is -1 or the index of the one
// checked button; at most one speed button per parent and group is down;
// a page control shows exactly its ActivePage (or none).
#pragma once

#include <memory>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/ui/stdctrls.h"

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
  ORV_CLASS(TBevel, TGraphicControl)

 public:
  explicit TBevel(TComponent* owner);
  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape s);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle s);

 protected:
  void Paint() override;

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

class TImage : public TGraphicControl {
  ORV_CLASS(TImage, TGraphicControl)

 public:
  explicit TImage(TComponent* owner);
  TPicture* Picture() { return &picture_; }
  void SetPicture(const TPicture& p) { picture_.Assign(p); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  bool Center() const { return center_; }
  void SetCenter(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  // Where the picture lands in the client area.
  TRect DestRect() const;

 protected:
  void Paint() override;

 private:
  void PictureChanged();
  TPicture picture_;
  bool autoSize_ = false, stretch_ = false, center_ = false, transparent_ = false;
};

class TPaintBox : public TGraphicControl {
  ORV_CLASS(TPaintBox, TGraphicControl)

 public:
  explicit TPaintBox(TComponent* owner);
  TNotifyEvent OnPaint;

 protected:
  void Paint() override;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
  ORV_CLASS(TShape, TGraphicControl)

 public:
  explicit TShape(TComponent* owner);
  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType s);
  TPen* Pen() { return &pen_; }
  TBrush* Brush() { return &brush_; }

 protected:
  void Paint() override;

 private:
  TShapeType shape_ = stRectangle;
  TPen pen_;
  TBrush brush_;
};

// Radio buttons made from Items in Columns; ItemIndex is the checked one.
class TRadioGroup : public TGroupBox {
  ORV_CLASS(TRadioGroup, TGroupBox)

 public:
  explicit TRadioGroup(TComponent* owner);
  ~TRadioGroup() override;
  TStringList* Items() const { return items_.get(); }
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int i);
  int Columns() const { return columns_; }
  void SetColumns(int n);
  TRadioButton* Buttons(int i) const { return buttons_.at(static_cast<std::size_t>(i)); }

 protected:
  void Resize() override;

 private:
  void Rebuild();
  void ArrangeButtons();
  std::unique_ptr<TStringList> items_;
  std::vector<TRadioButton*> buttons_;
  int itemIndex_ = -1;
  int columns_ = 1;
  bool updating_ = false;
};

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// A push button with a glyph; Kind gives caption, glyph and modal result.
class TBitBtn : public TButton {
  ORV_CLASS(TBitBtn, TButton)

 public:
  explicit TBitBtn(TComponent* owner);
  TBitmap* Glyph() { return &glyph_; }
  void SetGlyph(const TBitmap& b);
  TBitBtnKind Kind() const { return kind_; }
  void SetKind(TBitBtnKind k);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout l);
  int Spacing() const { return spacing_; }
  void SetSpacing(int s);
  void Click() override;

 protected:
  void Paint() override;

 private:
  TBitmap glyph_;
  TBitBtnKind kind_ = bkCustom;
  TButtonLayout layout_ = blGlyphLeft;
  int spacing_ = 4;
};

// A tool button without a window: glyph, caption, Down in a group.
class TSpeedButton : public TGraphicControl {
  ORV_CLASS(TSpeedButton, TGraphicControl)

 public:
  explicit TSpeedButton(TComponent* owner);
  void Dispatch(TMessage& m) override;
  TBitmap* Glyph() { return &glyph_; }
  void SetGlyph(const TBitmap& b);
  bool Down() const { return down_; }
  void SetDown(bool v);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  // The left button went down on the button and the mouse is over it now.
  bool Pressed() const { return pressed_; }
  void Click() override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  void UpdateExclusive();
  TBitmap glyph_;
  bool down_ = false, allowAllUp_ = false, flat_ = false;
  int groupIndex_ = 0;
  bool pressed_ = false, mouseIn_ = false, dragging_ = false;
};

class TPageControl;

class TTabSheet : public TWinControl {
  ORV_CLASS(TTabSheet, TWinControl)

 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* pc);
  void SetParent(TWinControl* p) override;
  int PageIndex() const;
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool v);

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
};

// Tabs above a stack of sheets; a click or Ctrl+Tab shows another sheet.
class TPageControl : public TCustomControl {
  ORV_CLASS(TPageControl, TCustomControl)

 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  void Dispatch(TMessage& m) override;
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int i) const { return pages_.at(static_cast<std::size_t>(i)); }
  TTabSheet* ActivePage() const { return active_; }
  void SetActivePage(TTabSheet* p);
  int ActivePageIndex() const;
  void SetActivePageIndex(int i);
  TRect AlignRect() override;
  // Tab rectangle of a page (empty when its tab is hidden).
  TRect TabRect(int index) const;
  void SelectNextPage(bool goForward);
  TNotifyEvent OnChange;
  std::function<void(TObject* Sender, bool& AllowChange)> OnChanging;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(Word& key, TShiftState shift) override;

 private:
  void PaintTab(TCanvas& c, TRect t);
  friend class TTabSheet;
  void InsertPage(TTabSheet* p);
  void RemovePage(TTabSheet* p);
  int TabHeight() const;
  bool ChangeTo(TTabSheet* p);
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};

enum TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };

// A progress gauge: the share Progress/MaxValue as a bar with a percentage.
class TGauge : public TGraphicControl {
  ORV_CLASS(TGauge, TGraphicControl)

 public:
  explicit TGauge(TComponent* owner);
  int MinValue() const { return minValue_; }
  void SetMinValue(int v);
  int MaxValue() const { return maxValue_; }
  void SetMaxValue(int v);
  int Progress() const { return progress_; }
  void SetProgress(int v);
  void AddProgress(int v) { SetProgress(progress_ + v); }
  int PercentDone() const;
  TGaugeKind Kind() const { return kind_; }
  void SetKind(TGaugeKind k);
  TColor ForeColor() const { return foreColor_; }
  void SetForeColor(TColor c);
  TColor BackColor() const { return backColor_; }
  void SetBackColor(TColor c);
  bool ShowText() const { return showText_; }
  void SetShowText(bool v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle b);

 protected:
  void Paint() override;

 private:
  int minValue_ = 0, maxValue_ = 100, progress_ = 0;
  TGaugeKind kind_ = gkHorizontalBar;
  TColor foreColor_ = clBlack, backColor_ = clWhite;
  bool showText_ = true;
  TBorderStyle borderStyle_ = bsSingle;
};

// The sizing grip in the corner of size bars: dragging it resizes the form.
class TSizeGrip : public TGraphicControl {
  ORV_CLASS(TSizeGrip, TGraphicControl)

 public:
  explicit TSizeGrip(TComponent* owner);

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  bool dragging_ = false;
  TPoint start_;
  TSize startSize_;
};
