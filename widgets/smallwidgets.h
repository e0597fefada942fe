// The small widgets of the application's windows: the size bar (a bottom
// panel whose size grip sizes its window as the frame's corner does), the shadow label (a label whose text casts a
// shadow) and the link label (opens a web or mail address through the
// system's opener).
// Invariants:
//  - The link label never builds a shell command line: the opener gets the
//    target as one argument; a missing opener does nothing.
//  - The link label's width follows its child label's width; the child is
//    as high as its text with its descenders, and the link at least as high.
//    Unfocused, both show the colour of the window they lie on.
//  - A window may put the link label into its Tab order (TabStop, off by
//    default): focused, its text shows in the selection's colours, and
//    Space or Enter open it as a click does.
#pragma once

#include <functional>
#include <string>

#include "platform/ui/stdctrls.h"

// ------------------------------------------------------------------ TSizeBar

class TSizeBar : public TPanel {
  ORV_CLASS_PUBLISHED(TSizeBar, TPanel)

 public:
  explicit TSizeBar(TComponent* owner);
  // What a bar dropped in the designer becomes.
  void SetDesignDefaults();
  bool Locked() const { return locked_; }
  void SetLocked(bool v) { locked_ = v; }
  // The panel's border between the bevels (published as "BorderWidth"; the
  // window's own frame width stays TWinControl::BorderWidth).
  int PanelBorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int w);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle b);

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  // Whether a point lies on the grip of a window the user can size now.
  bool OnGrip(int x, int y) const;

  bool locked_ = false;
  int borderWidth_ = 0;
  TFormBorderStyle borderStyle_ = bsNone;
  bool sizing_ = false;
  TPoint sizeFrom_;  // screen point where the drag began
  TPoint sizeFromSize_;  // the window's size then
};

// -------------------------------------------------------------- TShadowLabel

using TSLShadowSize = int;  // 1..8
enum TSLTextStyle { tsNone, tsUpperLeft, tsUpperRight, tsLowerLeft, tsLowerRight };

class TShadowLabel : public TLabel {
  ORV_CLASS_PUBLISHED(TShadowLabel, TLabel)

 public:
  explicit TShadowLabel(TComponent* owner);
  TSLShadowSize SLSLShadowSize() const { return shadowSize_; }
  void SetSLSLShadowSize(TSLShadowSize v);
  TColor SLSLShadowColor() const { return shadowColor_; }
  void SetSLSLShadowColor(TColor c);
  TSLTextStyle SLSLTextStyle() const { return textStyle_; }
  void SetSLSLTextStyle(TSLTextStyle s);
  // Offset of the shadow from the text for the current style and size.
  TPoint ShadowOffset() const;

 protected:
  void Paint() override;

 private:
  TSLShadowSize shadowSize_ = 2;
  TColor shadowColor_ = clGray;
  TSLTextStyle textStyle_ = tsLowerRight;
};

// --------------------------------------------------------------------- TKURL2

enum TLinkType { ltURL, ltEMAIL };

// Opens a target (web address or "mailto:" address, Windows-1252) with the
// system. The default is the platform's ShellOpen; tests install a fake.
using TShellOpenHook = std::function<void(const AnsiString& target)>;
void SetShellOpenHook(TShellOpenHook hook);
// Restores the default opener.
void ResetShellOpenHook();
// The default opener: false when the target cannot be opened.
bool DefaultShellOpen(const AnsiString& target);

class TKURL2 : public TWinControl {
  ORV_CLASS_PUBLISHED(TKURL2, TWinControl)

 public:
  explicit TKURL2(TComponent* owner);
  AnsiString URLorEMAIL() const { return label_->Caption(); }
  void SetURLorEMAIL(const AnsiString& s);
  bool LabelShowHint() const;
  void SetLabelShowHint(bool v);
  TLinkType Choose() const { return choose_; }
  void SetChoose(TLinkType t) { choose_ = t; }
  TLabel* Label() const { return label_; }
  // What a click does: hands the target to the opener.
  void OpenTarget();
  void Dispatch(TMessage& m) override;

 protected:
  void KeyDown(Word& key, TShiftState shift) override;

 private:
  void FitToLabel();
  TLabel* label_ = nullptr;
  TLinkType choose_ = ltURL;
};
