// Private glue between the control tree and the form/application layer:
// notifications that keep global pointers (focus, capture, hover, hint)
// valid, cursor and caret updates, and canvas placement. UiInternals holds
// the glue that reads the private state of forms, the screen and the
// application object (it is their friend); its parts live beside the code
// they belong to (inputrouting.cpp, windowpaint.cpp).
#pragma once

#include <functional>

#include "platform/ui/controls.h"

struct UiInternals {
  static TControl* MouseOver();
  static bool VisibleClientInForm(const TControl* c, TRect& clip, TPoint& origin, TCustomForm*& form);
  static void AttachCanvas(TControl* c, TCanvas& canvas, const TPaintContext* ctx);
  static void CaretChanged();
  static void ControlDestroyed(TControl* c);
  static void ControlHidden(TControl* c);
  static void SetCursorFor(TControl* c);
  static void ShowCursor(TCustomForm* f, TCursor cur);
  static void CursorMayHaveChanged();
};

namespace ui_internal {
// Whether `inner` is `outer` or lies inside it.
bool Within(const TControl* outer, const TControl* inner);
// Forms shown below the top-most modal form take no input.
bool BlockedByModal(const TCustomForm* f);
// The top-most modal form shown (nullptr: none).
TCustomForm* TopModalForm();
void CaretChanged();
// The control is going away: forget it wherever it is remembered.
void ControlDestroyed(TControl* c);
// Hidden or disabled: it can no longer hold hover, hint or capture.
void ControlHidden(TControl* c);
void SetCursorFor(TControl* c);
void CursorMayHaveChanged();
using TPopupHandler = std::function<void(TComponent* menu, int screenX, int screenY)>;
TPopupHandler& PopupHandler();
// The menu layer draws a form's menu bar strip and takes presses and
// mouse moves on it (bar co-ordinates).
using TMenuBarPainter = std::function<void(TCustomForm* form, TCanvas& canvas, const TRect& bar)>;
using TMenuBarPress = std::function<void(TCustomForm* form, int x, int y, bool press)>;
TMenuBarPainter& MenuBarPainter();
TMenuBarPress& MenuBarPress();
// Alt was pressed and released with no other key or mouse press between,
// the focus in `form`: the menu layer lets the form's menu bar take the
// keyboard (or closes what it has open).
using TMenuAltAlone = std::function<void(TCustomForm* form)>;
TMenuAltAlone& MenuAltAlone();
// A mouse press or the form losing activation ends the menu bar's
// keyboard mode.
std::function<void()>& MenuModeCancel();
// Enter or Escape whose key went down while a drop-down list (or another
// drop-down window) was open: it belongs to the control showing the list
// alone, so the form's key preview and its dialog keys never see it.
bool KeyForDropDown(int key);
// A form lost the keyboard: an Alt held now is no longer alone, and the
// menu bar's keyboard mode ends.
void KeyboardLeft();
// Points `canvas` at the control's client area: the paint context when one
// is given, otherwise the control's place in its form's back buffer.
void AttachCanvas(TControl* c, TCanvas& canvas, const TPaintContext* ctx);
// Client rectangle of a control in its form's client co-ordinates, clipped
// by every parent; false when it has no form.
bool VisibleClientInForm(const TControl* c, TRect& clip, TPoint& origin, TCustomForm*& form);
}  // namespace ui_internal

// Where the menu layer hooks in: shows `menu` at a screen position.
void SetPopupMenuHandler(ui_internal::TPopupHandler handler);
