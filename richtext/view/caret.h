// TCaret: the caret of a rich-text edit window. It keeps the caret's place
// and size and puts the user interface's one system caret there while its
// window has the focus; the engine moves it through the edit control's
// caret callbacks (place, show, hide).
// Invariants: the system caret is created only while the caret is attached
// to a control with a window, not disabled and that control has the focus;
// `Created` and `Shown` tell what this object did, and destroying it
// destroys the system caret it created.
#pragma once

#include "platform/ui/controls.h"

class TCaret : public TObject {
  ORV_CLASS(TCaret, TObject)
  explicit TCaret(TWinControl* owner);
  ~TCaret() override;
  TCaret(const TCaret&) = delete;
  TCaret& operator=(const TCaret&) = delete;

  int X() const { return x_; }
  int Y() const { return y_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Shown() const { return shown_; }
  bool Created() const { return created_; }
  bool Attached() const { return attached_; }
  bool Disabled() const { return disabled_; }

  // Attached: the owner's window is used (its handle fetched).
  void SetAttached(bool attached);
  // Disabled: the caret is destroyed and not created again.
  void SetDisabled(bool disabled);
  // Place and size; a shown caret takes a new size at once.
  void SetBounds(int x, int y, int width, int height);
  void SetWidth(int width);
  // Moves the system caret while it is ours and the owner is focused.
  void ApplyPosition();
  // 1: created (when focused), placed and shown; any other value destroys it.
  void Show(int flag);
  void CreateCaret();

private:
  bool Focused() const;
  bool HasWindow() const;
  void Destroy();

  int x_ = 0, y_ = 0, width_ = 3, height_ = 16;
  bool shown_ = false, created_ = false, attached_ = false, disabled_ = false;
  HWND handle_ = 0;
  TWinControl* owner_;
};
