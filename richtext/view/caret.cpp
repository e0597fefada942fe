// The caret of a rich-text edit window over the user interface's one system
// caret: created with the window's focus, placed and sized by the engine's
// callbacks, destroyed when the window loses the focus or the caret is
// disabled.
#include "richtext/view/caret.h"

#include <algorithm>

TCaret::TCaret(TWinControl* owner) : owner_(owner) {}

TCaret::~TCaret() { Destroy(); }

bool TCaret::Focused() const { return owner_ && owner_->Focused(); }

bool TCaret::HasWindow() const { return owner_ && owner_->HandleAllocated(); }

void TCaret::SetAttached(bool attached) {
  attached_ = attached;
  if (attached && HasWindow()) handle_ = owner_->Handle();
}

void TCaret::SetDisabled(bool disabled) {
  disabled_ = disabled;
  if (disabled) Destroy();
}

void TCaret::Destroy() {
  // Only the system caret this window owns.
  if (created_ && handle_ && CaretState().Owner == handle_) ::DestroyCaret();
  created_ = false;
  shown_ = false;
}

void TCaret::CreateCaret() {
  if (!attached_ || disabled_ || !HasWindow()) return;
  handle_ = owner_->Handle();
  if (Focused()) ::CreateCaret(handle_, 0, width_, height_);
  created_ = true;
}

void TCaret::ApplyPosition() {
  if (created_ && attached_ && Focused() && CaretState().Owner == handle_) ::SetCaretPos(x_, y_);
}

void TCaret::Show(int flag) {
  if (!attached_ || !HasWindow()) return;
  if (flag != 1) {
    Destroy();
    return;
  }
  if (!created_ || CaretState().Owner != handle_) CreateCaret();
  ApplyPosition();
  if (Focused() && created_ && !shown_) {
    ::ShowCaret(handle_);
    shown_ = true;
  }
}

void TCaret::SetBounds(int x, int y, int width, int height) {
  bool resized = false;
  if (height != height_ && shown_) {
    height = std::max(height, 4);
    resized = true;
  }
  if (width != width_ && shown_) {
    width = std::max(width, 1);
    resized = true;
  }
  // A new size needs a new system caret: hidden, made again, shown.
  if (resized) Destroy();
  x_ = x;
  y_ = y;
  width_ = width;
  height_ = height;
  if (resized) Show(1);
  else ApplyPosition();
}

void TCaret::SetWidth(int width) {
  width_ = width;
  if (!created_) return;
  const bool wasShown = shown_;
  Destroy();
  if (wasShown) Show(1);
  else CreateCaret();
}
