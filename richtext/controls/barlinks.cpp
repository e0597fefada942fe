// The bars' common side of their links to a rich-text control: attaching,
// detaching and forgetting a control that is freed.
#include "richtext/controls/barlinks.h"

#include "richtext/controls/rtfedit.h"

void TWPCustomToolCtrl::AttachEditor(TWPCustomRtfEdit* editor) {
  if (editor == editor_) return;
  if (editor_) editor_->RemoveFreeNotification(this);
  editor_ = editor;
  if (editor_) editor_->FreeNotification(this);
}

void TWPCustomToolCtrl::DetachEditor(TWPCustomRtfEdit* editor) {
  if (!editor || editor != editor_) return;
  AttachEditor(nullptr);
  Invalidate();
}

void TWPCustomToolCtrl::Notification(TComponent* c, TOperation op) {
  TCustomControl::Notification(c, op);
  if (op == opRemove && c && c == static_cast<TComponent*>(editor_)) editor_ = nullptr;
}

void TWPCustomRuler::AttachText(TWPCustomRtfEdit* control) {
  if (control == control_) return;
  if (control_) control_->RemoveFreeNotification(this);
  control_ = control;
  if (control_) control_->FreeNotification(this);
  Invalidate();
}

void TWPCustomRuler::Notification(TComponent* c, TOperation op) {
  TCustomControl::Notification(c, op);
  if (op == opRemove && c && c == static_cast<TComponent*>(control_)) {
    control_ = nullptr;
    tabs_ = 0;
    Invalidate();
  }
}

void TWPCustomStatusBar::AttachControl(TWPCustomRtfEdit* control) {
  if (control == control_) return;
  if (control_) control_->RemoveFreeNotification(this);
  control_ = control;
  if (control_) control_->FreeNotification(this);
}

void TWPCustomStatusBar::Notification(TComponent* c, TOperation op) {
  TCustomControl::Notification(c, op);
  if (op == opRemove && c && c == static_cast<TComponent*>(control_)) control_ = nullptr;
}
