// The explorer-style button: a flat tool button that shows a bitmap and a
// caption, draws its frame only while the mouse is over it or it is pressed,
// can show another (or a shaded) bitmap while the mouse is elsewhere, drops
// down a popup menu, and can be one of a group of toggles. It has a window of
// its own only so that a window can put it into its Tab order (TabStop, off
// by default): focused, it looks hot with a focus rectangle, and Space or
// Enter presses it; a click never takes the focus. Its face is its parent's.
// Invariants:
//  - Down is true only on a button with a non-zero GroupIndex; among the
//    buttons of one parent with the same GroupIndex at most one is down.
//  - OnClick fires only for a left release over the button after a press on
//    it, or for Space or Enter while it has the focus, and never while a
//    DropDownMenu is set (the keys drop the menu down instead).
//  - The shaded copy is rebuilt from Bitmap whenever Bitmap, NoFocusBitmap or
//    ShadingType change (empty while NoFocusBitmap holds a picture).
#pragma once

#include <memory>

#include "platform/gfx/bitmap.h"
#include "platform/ui/extctrls.h"  // TBevelStyle
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"

enum TExplorerButtonLayout { blBitmapTop, blBitmapBottom, blBitmapLeft, blBitmapRight };
enum TExplorerButtonOption { boMonoDisplay, boIconOnly, boPopupMark, boShowBevel };
using TExplorerButtonOptions = unsigned;  // bit n = option n
constexpr TExplorerButtonOptions EBOpt(TExplorerButtonOption o) { return 1u << o; }
enum TExplorerButtonShadingType { stLight, stMedium, stDark };

class TExplorerButton : public TCustomControl {
  ORV_CLASS_PUBLISHED(TExplorerButton, TCustomControl)

 public:
  explicit TExplorerButton(TComponent* owner);
  ~TExplorerButton() override;
  void Dispatch(TMessage& m) override;
  void Notification(TComponent* c, TOperation op) override;
  void SetText(const AnsiString& s) override;
  void Click() override;
  // Outside the Tab order it never takes the focus (arrow keys included).
  bool CanFocus() const override { return TabStop() && TCustomControl::CanFocus(); }

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool v);
  TBevelStyle BevelStyle() const { return bevelStyle_; }
  void SetBevelStyle(TBevelStyle b);
  TBitmap* Bitmap() const { return bitmap_.get(); }
  void SetBitmap(const TBitmap* b);
  TBitmap* NoFocusBitmap() const { return noFocus_.get(); }
  void SetNoFocusBitmap(const TBitmap* b);
  TBitmap* DisabledBitmap() const { return disabled_.get(); }
  void SetDisabledBitmap(const TBitmap* b);
  // The shaded copy shown while the mouse is elsewhere (boMonoDisplay).
  TBitmap* ShadedBitmap() const { return shaded_.get(); }
  bool Down() const { return down_; }
  void SetDown(bool v);
  TPopupMenu* DropDownMenu() const { return dropDown_; }
  void SetDropDownMenu(TPopupMenu* m);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v);
  TExplorerButtonLayout Layout() const { return layout_; }
  void SetLayout(TExplorerButtonLayout l);
  TExplorerButtonOptions Options() const { return options_; }
  void SetOptions(TExplorerButtonOptions o);
  bool HasOption(TExplorerButtonOption o) const { return (options_ & EBOpt(o)) != 0; }
  TExplorerButtonShadingType ShadingType() const { return shadingType_; }
  void SetShadingType(TExplorerButtonShadingType s);
  bool ShowDownPattern() const { return showDownPattern_; }
  void SetShowDownPattern(bool v);
  TColor UnselectedFontColor() const { return unselectedFontColor_; }
  void SetUnselectedFontColor(TColor c);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);

  bool MouseInside() const { return mouseInside_; }
  bool MousePressed() const { return mousePressed_; }

  // Mouse entering and leaving the button.
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // Where the parts go for the current size, caption and options (client
  // co-ordinates; empty rectangles for parts not shown).
  struct TPlacement {
    TRect Glyph;
    TRect Text;
    TPoint Mark{-1, -1};  // anchor of the drop-down mark (-1: none)
  };
  TPlacement Place();

 protected:
  void Paint() override;
  void Loaded() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyUp(Word& key, TShiftState shift) override;

 private:
  // Space or Enter on the focused button: what a click inside does.
  void Press();
  void BitmapChanged();
  void BuildShaded();
  void ReleaseOthers();
  void PointerInside(TPoint p);
  void RecomputeInside();
  void AfterMenu();
  unsigned TextFormat() const;
  TSize MeasureCaption(TCanvas& c, int maxWidth);
  void DrawCaption(TCanvas& c, TRect r, TColor color, bool embossed);
  void DrawFrame(TCanvas& c, bool pressed);
  void DrawMark(TCanvas& c, TPoint anchor, TColor color);

  std::unique_ptr<TBitmap> bitmap_, noFocus_, disabled_, shaded_;
  bool down_ = false;
  TPopupMenu* dropDown_ = nullptr;
  int groupIndex_ = 0;
  TExplorerButtonLayout layout_ = blBitmapTop;
  TExplorerButtonOptions options_ = EBOpt(boMonoDisplay) | EBOpt(boPopupMark) | EBOpt(boShowBevel);
  TExplorerButtonShadingType shadingType_ = stMedium;
  bool showDownPattern_ = true;
  TColor unselectedFontColor_ = clWindowText;
  bool wordWrap_ = false;
  TAlignment alignment_ = taCenter;
  bool allowAllUp_ = false;
  TBevelStyle bevelStyle_ = bsRaised;
  bool mouseInside_ = false;
  bool mousePressed_ = false;
  bool hover_ = false;  // the mouse is over the button, as its entering and leaving tell
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool spaceDown_ = false;  // Space held while focused: the pressed look
  bool focusLostToDisable_ = false;
  TPoint lastPointer_{-1, -1};
};

namespace explorer_detail {
// The transparent colour of a button bitmap: its top-left pixel.
TColor TransparentOf(const TBitmap& b);
// Draws `b` at (x, y) leaving out its transparent colour.
void DrawTransparent(TCanvas& c, int x, int y, const TBitmap& b);
// Draws the dark pixels of `b` (its transparent colour left out) in one colour.
void DrawMonoMask(TCanvas& c, int x, int y, const TBitmap& b, TColor color);
// The shaded copy of a bitmap: every pixel but the transparent colour becomes
// white, highlight, shadow or black by its brightness.
void Shade(const TBitmap& src, TBitmap& dst, TExplorerButtonShadingType type);
}  // namespace explorer_detail
