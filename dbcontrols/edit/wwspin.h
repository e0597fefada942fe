// The spin button of the data-aware controls: two arrow buttons, one above
// the other, that repeat while held. TwwTimerSpeedButton is the arrow: a
// speed button that, with AutoRepeat, steps at the press, again after
// 400 ms and then every 100 ms until it is released (the release adds no
// step). TwwSpinButton lays out the pair and reports their steps as
// OnUpClick and OnDownClick.
//
// Invariants:
// - The repeat timer runs only while an auto-repeating arrow is held; it
//   exists from the first press until the arrow is freed.
// - A repeat steps only while the arrow is pressed and holds the mouse
//   capture (the mouse moved off it pauses the repeats).
// - The spin button is at least 15 pixels wide; the up arrow takes the
//   upper half and the down arrow overlaps it by one pixel to the bottom.
#pragma once

#include <memory>

#include "platform/ui/extctrls.h"
#include "platform/ui/timers.h"

enum TwwButtonFlag : unsigned { DrawFocusFrame = 1u << 0, AutoRepeat = 1u << 1 };
using TwwButtonFlags = unsigned;

class TwwTimerSpeedButton : public TSpeedButton {
  ORV_CLASS(TwwTimerSpeedButton, TSpeedButton)

 public:
  explicit TwwTimerSpeedButton(TComponent* owner);
  ~TwwTimerSpeedButton() override;
  TwwButtonFlags ButtonFlags() const { return buttonFlags_; }
  void SetButtonFlags(TwwButtonFlags v) { buttonFlags_ = v; }
  // The repeat timer (null before the first press).
  TTimer* RepeatTimer() const { return repeatTimer_.get(); }

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Paint() override;

 private:
  void TimerExpired();
  std::unique_ptr<TTimer> repeatTimer_;
  TwwButtonFlags buttonFlags_ = 0;
};

class TwwSpinButton : public TWinControl {
  ORV_CLASS_PUBLISHED(TwwSpinButton, TWinControl)

 public:
  explicit TwwSpinButton(TComponent* owner);
  ~TwwSpinButton() override;
  void Dispatch(TMessage& m) override;
  void SetBounds(int left, int top, int width, int height) override;
  void Loaded() override;

  TwwTimerSpeedButton* UpButton() const { return upButton_; }
  TwwTimerSpeedButton* DownButton() const { return downButton_; }
  TBitmap* UpGlyph() const { return upButton_->Glyph(); }
  TBitmap* DownGlyph() const { return downButton_->Glyph(); }
  // A given bitmap is copied; null puts back the default arrow.
  void SetUpGlyph(const TBitmap* b);
  void SetDownGlyph(const TBitmap* b);

  TNotifyEvent OnUpClick;
  TNotifyEvent OnDownClick;

 private:
  TwwTimerSpeedButton* MakeButton(bool up);
  void BtnClick(TObject* sender);
  // Width at least 15; the arrows share the height. False when the size
  // had to change (the caller applies it again).
  bool AdjustSize(int& width, int& height);
  TwwTimerSpeedButton* upButton_ = nullptr;
  TwwTimerSpeedButton* downButton_ = nullptr;
};

// The default arrows: a filled black triangle pointing up or down.
void wwSpinArrowGlyph(TBitmap& b, bool up);
