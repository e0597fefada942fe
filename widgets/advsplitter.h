// The splitter with panes: a windowed control that owns two panels and a bar
// between them that the user drags to share the space.
// Invariants:
//  - After a layout with both panes visible, pane 1 ends at Position and
//    pane 2 starts at Position + Thickness; Position lies within the limits
//    the panes' minimum sizes leave (the maximum wins when they cross).
//  - The remembered fraction is Position / size of the last layout with a
//    size above 0; a client size of 0 keeps the old fraction.
//  - The position last set or dragged is kept as given: every layout with a
//    size above 0 applies it within the limits of that size, so a Position
//    set before the window exists is not lost, and a pane squeezed by a
//    small size gets its share back when the size grows.
#pragma once

#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"

enum TSplitterOrientation { soHorizontal, soVertical };
enum TSplitterStyle { ssCheckered, ssSolid };
enum TAdvFrameStyle { ftNone, ftRaised, ftLowered, ftCarved, ftBump };

class TAdvSplitter;

class TAdvPane : public TPanel {
  ORV_CLASS_PUBLISHED(TAdvPane, TPanel)

 public:
  TAdvPane(TComponent* owner, int number);
  int Number() const { return number_; }
  TAdvFrameStyle FrameStyle() const { return frameStyle_; }
  void SetFrameStyle(TAdvFrameStyle f);
  int MinSize() const { return minSize_; }
  void SetMinSize(int v) { minSize_ = static_cast<std::int16_t>(v); }
  bool Active() const { return active_; }
  void SetActive(bool v) { active_ = v; }
  // Width the frame takes on each side (0 without a frame).
  int FrameExtent() const { return frameStyle_ == ftNone ? 0 : 4 * BevelWidth(); }

 private:
  int number_;
  TAdvFrameStyle frameStyle_ = ftLowered;
  std::int16_t minSize_ = 10;
  bool active_ = false;
};

// A pane's settings as the splitter publishes them; reads and writes the pane.
class TAdvPaneSetting : public TPersistent {
  ORV_CLASS_PUBLISHED(TAdvPaneSetting, TPersistent)

 public:
  TAdvPaneSetting(TAdvSplitter* splitter, int index) : splitter_(splitter), index_(index) {}
  TColor Color() const;
  void SetColor(TColor c);
  TAdvFrameStyle FrameStyle() const;
  void SetFrameStyle(TAdvFrameStyle f);
  int FrameWidth() const;
  void SetFrameWidth(int w);
  int MinSize() const;
  void SetMinSize(int v);

 private:
  TAdvPane* Pane() const;
  TAdvSplitter* splitter_;
  int index_;
};

class TAdvSplitter : public TCustomControl {
  ORV_CLASS_PUBLISHED(TAdvSplitter, TCustomControl)

 public:
  explicit TAdvSplitter(TComponent* owner);
  ~TAdvSplitter() override;
  void Dispatch(TMessage& m) override;

  TAdvPane* Pane1() const { return pane1_; }
  TAdvPane* Pane2() const { return pane2_; }
  // A pane read from a window layout replaces the splitter's pane of its number.
  void ReplacePane(TAdvPane* pane);
  TAdvPaneSetting* Pane1Setting() const { return setting1_.get(); }
  TAdvPaneSetting* Pane2Setting() const { return setting2_.get(); }

  bool AllowResize() const { return allowResize_; }
  void SetAllowResize(bool v) { allowResize_ = v; }
  bool AutoUpdate() const { return autoUpdate_; }
  void SetAutoUpdate(bool v) { autoUpdate_ = v; }
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle b);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool v);
  TSplitterOrientation Orientation() const { return orientation_; }
  void SetOrientation(TSplitterOrientation o);
  // The bar's position as laid out, within the limits.
  int Position() const { return position_; }
  // The value is kept as given and applied, within the limits, at every
  // layout (before the window exists, at the first one with a size).
  void SetPosition(int v);
  // The position last set or dragged, as given: what to keep for the next
  // time the splitter is shown.
  int ChosenPosition() const { return requested_; }
  bool ProportionalResize() const { return proportional_; }
  void SetProportionalResize(bool v) { proportional_ = v; }
  TColor SplitterColor() const { return splitterColor_; }
  void SetSplitterColor(TColor c);
  TSplitterStyle SplitterStyle() const { return splitterStyle_; }
  void SetSplitterStyle(TSplitterStyle s) { splitterStyle_ = s; }
  int Thickness() const { return thickness_; }
  void SetThickness(int v);
  double Fraction() const { return fraction_; }
  bool Dragging() const { return dragging_; }

  // The position limited by the panes' minimum sizes.
  int ClampPosition(int v) const;
  void LayoutPanes();

  TNotifyEvent OnPaneResize;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void Resize() override;
  void Loaded() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  int Size() const;
  bool BothVisible() const;
  bool NearBar(int x, int y) const;
  TRect BarRect(int pos) const;
  void InvertBar(int pos);

  TAdvPane* pane1_ = nullptr;
  TAdvPane* pane2_ = nullptr;
  std::unique_ptr<TAdvPaneSetting> setting1_, setting2_;
  bool allowResize_ = true, autoUpdate_ = false, proportional_ = false, ctl3D_ = true;
  TFormBorderStyle borderStyle_ = bsNone;
  TSplitterOrientation orientation_ = soVertical;
  TSplitterStyle splitterStyle_ = ssCheckered;
  TColor splitterColor_ = clBtnFace;
  int position_ = 50;
  int thickness_ = 2;
  double fraction_ = 0.5;
  bool dragReady_ = false, dragging_ = false;
  int lastBar_ = -1;
  bool inLayout_ = false;
  bool inPaint_ = false;  // the panes are painted with the splitter
  bool pending_ = false;  // Position was set before the window existed and not yet shown
  int requested_ = 50;    // the position last set or dragged, as given
  std::unique_ptr<TBitmap> halftone_;
};
