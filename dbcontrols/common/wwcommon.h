// Small routines the data-aware controls share: the two button faces drawn
// beside an edit field (a dialog button with three dots and a combo box's
// drop-down arrow), the OK and Cancel buttons of their dialogs, tests on
// datasets and owners, simulated key strokes, the release of a mouse
// button that a control still believes to be down, the hourglass cursor
// during long searches, and joining a string list into one text.
//
// The button faces draw only through the canvas's frame and pattern calls,
// so they look as the system's buttons do wherever the canvas draws.
#pragma once

#include <cstdint>

#include "platform/gfx/canvas.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"

class TDataSet;

// Button states of the faces: up, or down (pressed).
enum : int { wwbsUp = 0, wwbsDown = 2 };

// A raised face with three black dots in its middle; a down face (unless
// bit 7 of stateByte is set) is flat with its dots one pixel right and down.
void wwDrawEllipsisButton(TCanvas* canvas, const TRect& rect, int state, uint8_t stateByte);
// The drop-down arrow face of a combo box: inactive when disabled, pushed
// and flat when down (unless bit 7 of stateByte is set).
void wwDrawComboButton(TCanvas* canvas, const TRect& rect, int state, bool enabled, uint8_t stateByte);
inline bool wwHighBitSet(uint8_t b) { return (b & 0x80) != 0; }

// The dataset is a TwwTable with index fields / with Query lines.
bool wwTableHasIndex(const TDataSet* dataSet);
bool wwTableHasQuery(const TDataSet* dataSet);
// The picture a TwwTable defines for an existing field; empty otherwise.
void wwGetTablePicture(TDataSet* dataSet, const AnsiString& fieldName, AnsiString& picture);
// The first form up the owner chain, or the last owner.
TComponent* wwGetOwnerForm(TComponent* component);

// Makes the window receive `key` (down and up, repeat count 1) while the
// keyboard state shows `key` and `shiftKey` held; the state is put back
// afterwards. The strokes are delivered while the state is in force, since
// a control reads the shift state when it handles the key.
void wwSimulateKey(HWND window, int key, int shiftKey);
// The name the application's windows use for it.
inline void wwSendKeyWithState(HWND window, int key, int shiftKey) { wwSimulateKey(window, key, shiftKey); }
// Posts a left-button-up to the active form when it holds the left button
// as pressed, else to the first of its windowed controls that does.
void wwReleaseMouseButton();

// Publishes the library edit's own properties that every edit control of
// the family shows (AutoSelect, AutoSize, BorderStyle, CharCase, MaxLength,
// OnChange).
template <class C>
void wwPublishEditProperties(TClassInfo& ci) {
  PublishBool<C>(ci, "AutoSelect", &C::AutoSelect, &C::SetAutoSelect);
  PublishBool<C>(ci, "AutoSize", &C::AutoSize, &C::SetAutoSize);
  PublishInteger<C>(ci, "BorderStyle", &C::BorderStyle, &C::SetBorderStyle);
  PublishInteger<C>(ci, "CharCase", &C::CharCase, &C::SetCharCase);
  PublishInteger<C>(ci, "MaxLength", &C::MaxLength, &C::SetMaxLength);
  PublishEvent<C, TNotifyEvent>(ci, "OnChange", &C::OnChange);
}

// The lines joined by carriage return and line feed, or by one blank.
AnsiString wwListToText(const TStrings* list, bool spaceSeparated);

// Dialog buttons: kind 1 OK, kind 2 Cancel (answers Escape); a bitmapped
// button when the international strings ask for it; sized for the screen's
// pixels per inch. The form owns and parents the button.
enum : int { wwdbOK = 1, wwdbCancel = 2 };
TButton* wwCreateDialogButton(TCustomForm* form, int kind);

// Shows the hourglass cursor for the life of the object.
class TwwHourGlass {
 public:
  TwwHourGlass();
  ~TwwHourGlass();
  TwwHourGlass(const TwwHourGlass&) = delete;
  TwwHourGlass& operator=(const TwwHourGlass&) = delete;

 private:
  TCursor saved_;
};
