// The two plain controls the windowing core's dialogs rely on: the push
// button (default and cancel buttons, modal results, accelerators) and the
// panel (a bevelled container that aligns its children inside the bevel).
// Invariants: a button click sets its form's ModalResult before OnClick;
// Enter reaches the default button only while no other button has the focus.
#pragma once

#include "platform/ui/forms.h"

class TButton : public TCustomControl {
  ORV_CLASS(TButton, TCustomControl)

 public:
  explicit TButton(TComponent* owner);
  void Dispatch(TMessage& m) override;
  void Click() override;
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult r) { modalResult_ = r; }
  bool Pressed() const { return pressed_; }

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyUp(Word& key, TShiftState shift) override;
  // Whether Enter presses this button now.
  bool ActiveForEnter() const;

 private:
  bool default_ = false;
  bool cancel_ = false;
  bool pressed_ = false;
  TModalResult modalResult_ = mrNone;
};

enum TPanelBevel { bvNone, bvLowered, bvRaised };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TPanel : public TCustomControl {
  ORV_CLASS(TPanel, TCustomControl)

 public:
  explicit TPanel(TComponent* owner);
  TRect AlignRect() override;
  TPanelBevel BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel b);
  TPanelBevel BevelInner() const { return bevelInner_; }
  void SetBevelInner(TPanelBevel b);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int w);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);

 protected:
  void Paint() override;

 private:
  TPanelBevel bevelOuter_ = bvRaised;
  TPanelBevel bevelInner_ = bvNone;
  int bevelWidth_ = 1;
  TAlignment alignment_ = taCenter;
};
