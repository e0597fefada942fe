// Input routing: mouse input goes to the control under it (or the one that
// captured the mouse), with hover, hint and cursor kept up to date; keys go
// to the focused control as the Windows message sequence (CN_/WM_ key and
// character messages). Controls that go away or hide are forgotten by
// hover, hint, capture and focus.
#include <algorithm>
#include <utility>

#include "platform/rtl/scopeexit.h"
#include "platform/ui/forms.h"
#include "platform/ui/ui_internal.h"

using ui_internal::BlockedByModal;
using ui_internal::Within;

// --- input routing

namespace {
// Alt went down with no other modifier, and no key or mouse press has come
// since: its release alone activates the menu bar.
bool gAltAlone = false;

// Where each key last went down: the window and the drop-down or menu open
// over it then (handles are never reused). A key-up acts only there, so the
// Escape that closed a list, a menu or a dialog does not also close the
// window that comes up to the front.
struct KeyDownPlace {
  HWND form = 0, popup = 0;
};
KeyDownPlace gKeyDownAt[256];
// The key being delivered went down over an open drop-down.
bool gDeliveringOverDropDown = false;
}  // namespace

bool ui_internal::KeyForDropDown(int key) {
  return gDeliveringOverDropDown && (key == VK_RETURN || key == VK_ESCAPE);  // the same as their characters
}

void ui_internal::KeyboardLeft() {
  gAltAlone = false;
  if (MenuModeCancel()) MenuModeCancel()();
}

namespace {

int MouseKeys() {
  int mk = 0;
  if (GetKeyState(VK_LBUTTON) < 0) mk |= MK_LBUTTON;
  if (GetKeyState(VK_RBUTTON) < 0) mk |= MK_RBUTTON;
  if (GetKeyState(VK_MBUTTON) < 0) mk |= MK_MBUTTON;
  if (GetKeyState(VK_SHIFT) < 0) mk |= MK_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) mk |= MK_CONTROL;
  return mk;
}

// The deepest enabled, visible control under a form-client point; `inner`
// gets the point in that control's client co-ordinates.
TControl* HitTest(TCustomForm* form, TPoint p, TPoint& inner, bool& nonClient) {
  TControl* cur = form;
  nonClient = false;
  for (;;) {
    auto* w = static_cast<TWinControl*>(cur);
    TControl* child = w->ControlAtPos(p, false);
    if (!child) break;
    p = {p.X - child->Left(), p.Y - child->Top()};
    if (child->IsWindowed()) {
      auto* wc = static_cast<TWinControl*>(child);
      int bw = wc->BorderWidth();
      p = {p.X - bw, p.Y - bw};
      if (wc->InNonClient(p)) {
        nonClient = true;
        cur = child;
        break;
      }
      cur = child;
      continue;
    }
    cur = child;
    break;
  }
  inner = p;
  return cur;
}
}  // namespace

void TApplication::MouseLeftForm(TCustomForm* form) {
  if (mouseOver_ && GetParentForm(mouseOver_) == form) {
    TControl* old = mouseOver_;
    mouseOver_ = nullptr;
    Guard(old, [&] { old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old)); });
  }
  CancelHint();
}

void TApplication::DeliverMouse(TCustomForm* form, int kind, TMouseButton button, int x, int y) {
  // The button state follows the hardware even where the press is refused.
  int vk = button == mbLeft ? VK_LBUTTON : button == mbRight ? VK_RBUTTON : VK_MBUTTON;
  if (kind == mkDown || kind == mkDblClick) {
    keyboard::SetKeyDown(vk, true);
    gAltAlone = false;
    if (ui_internal::MenuModeCancel()) ui_internal::MenuModeCancel()();
  }
  if (kind == mkUp) keyboard::SetKeyDown(vk, false);
  if (!form || BlockedByModal(form)) {
    if (kind == mkDown) {
      MessageBeep(0);
      // A click on a window that a modal one blocks shows where input goes.
      if (TCustomForm* m = ui_internal::TopModalForm()) m->BringToFront();
    }
    return;
  }
  TPoint screen = form->ClientToScreen({x, y});
  TPoint inner;
  bool nonClient = false;
  TControl* target = HitTest(form, {x, y}, inner, nonClient);
  TControl* capture = GetCaptureControl();
  if (capture && GetParentForm(capture)) {
    target = capture;
    inner = capture->ScreenToClient(screen);
    nonClient = false;
  }
  LPARAM pos = MakeLong(inner.X, inner.Y);
  WPARAM keys = MouseKeys();
  Guard(target, [&] {
    if (kind == mkMove) {
      if (!capture && target != mouseOver_) {
        TControl* old = mouseOver_;
        mouseOver_ = target;
        if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
        if (mouseOver_ == target) target->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(target));
      }
      UpdateHint(target, screen);
      // The window under the mouse chooses the cursor (a handler may show
      // its own with SetCursor and answer 1).
      TControl* w = target;
      while (w && !w->IsWindowed()) w = w->Parent();
      HWND wh = w ? static_cast<TWinControl*>(w)->Handle() : 0;
      target->Perform(WM_SETCURSOR, static_cast<WPARAM>(wh), MakeLong(HTCLIENT, WM_MOUSEMOVE));
      if (mouseOver_ == target || capture) target->Perform(WM_MOUSEMOVE, keys, pos);
      return;
    }
    if (kind == mkWheelUp || kind == mkWheelDown) {
      TControl* w = FindControl(GetFocus());
      if (!w) w = target;
      w->Perform(WM_MOUSEWHEEL, MakeLong(static_cast<int>(keys), kind == mkWheelUp ? 120 : -120),
                 MakeLong(screen.X, screen.Y));
      return;
    }
    CancelHint();
    if (kind == mkDown || kind == mkDblClick) {
      if (!form->Active() && !form->IsPopup()) ActivateForm(form);
      if (nonClient && target->IsWindowed()) {
        TMessage m{WM_LBUTTONDOWN, keys, pos, 0};
        if (button == mbLeft && static_cast<TWinControl*>(target)->NonClientMouse(m)) return;
        return;
      }
      bool dbl = kind == mkDblClick && (target->ControlStyle() & csDoubleClicks);
      unsigned msg = button == mbLeft ? (dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN)
                     : button == mbRight ? (dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN)
                                         : (dbl ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN);
      target->Perform(msg, keys, pos);
      return;
    }
    unsigned msg = button == mbLeft ? WM_LBUTTONUP : button == mbRight ? WM_RBUTTONUP : WM_MBUTTONUP;
    target->Perform(msg, keys, pos);
  });
}

// The drop-down or menu level shown last (the hint is none of them).
HWND TApplication::OpenPopup() const {
  if (!Screen) return 0;
  for (auto it = Screen->forms_.rbegin(); it != Screen->forms_.rend(); ++it)
    if ((*it)->IsPopup() && *it != hintWindow_ && (*it)->Visible() && (*it)->HandleAllocated()) return (*it)->Handle();
  return 0;
}

void TApplication::DeliverKey(int vk, bool down, char32_t typed, bool autoRepeat) {
  bool wasDown = GetKeyState(vk) < 0;
  keyboard::SetKeyDown(vk, down);
  if (vk == VK_RMENU) {
    // AltGr arrives as right Alt with left Ctrl, and its messages name VK_MENU.
    keyboard::SetKeyDown(VK_LCONTROL, down);
    vk = VK_MENU;
  }
  bool alt = GetKeyState(VK_MENU) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  bool sys = (alt && !ctrl) || vk == VK_F10;  // Alt combinations and F10 are system keys
  // AltGr comes with Ctrl held and Shift+Alt switches layouts: neither is
  // Alt alone.
  bool altAlone = false;
  if (down && vk == VK_MENU)
    gAltAlone = wasDown ? gAltAlone : !ctrl && GetKeyState(VK_SHIFT) >= 0;
  else if (down)
    gAltAlone = false;
  else if (vk == VK_MENU)
    altAlone = std::exchange(gAltAlone, false);
  std::int32_t keyData = 1;
  if (alt) keyData |= 1 << 29;
  if (autoRepeat || (down && wasDown)) keyData |= 1 << 30;
  if (!down) keyData |= (1 << 30) | static_cast<std::int32_t>(1u << 31);
  TWinControl* target = FindControl(GetFocus());
  if (!target && Screen && Screen->activeForm_) target = Screen->activeForm_;
  if (!target) return;
  TCustomForm* form = GetParentForm(target);
  KeyDownPlace& place = gKeyDownAt[vk & 0xFF];
  const KeyDownPlace wentDown = std::exchange(place, KeyDownPlace{});
  if (form && BlockedByModal(form)) return;
  HWND h = target->Handle();
  const HWND formHandle = form ? form->Handle() : 0;
  if (down) place = {formHandle, OpenPopup()};
  else if (wentDown.form != formHandle || (wentDown.popup && wentDown.popup != OpenPopup())) return;
  // The list closes on the key-down; its character and key-up are still its own.
  const bool overDropDown = down ? place.popup != 0 : wentDown.popup != 0;
  const bool outer = std::exchange(gDeliveringOverDropDown, overDropDown);
  TScopeExit delivered{[outer] { gDeliveringOverDropDown = outer; }};
  if (down) {
    CancelHint();
    if (SendMessage(h, sys ? CN_SYSKEYDOWN : CN_KEYDOWN, vk, keyData) != 0) return;
    SendMessage(h, sys ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, keyData);
    TShiftState shift = keyboard::CurrentShiftState();
    int ch = TranslateKeyToChar(vk, shift, typed);
    if (ch == -2) {
      MessageBeep(0);
      return;
    }
    if (ch < 0 || !FindControl(h)) return;
    if (SendMessage(h, sys ? CN_SYSCHAR : CN_CHAR, ch, keyData) != 0) return;
    SendMessage(h, sys ? WM_SYSCHAR : WM_CHAR, ch, keyData);
  } else {
    if (SendMessage(h, CN_KEYUP, vk, keyData) == 0) SendMessage(h, sys ? WM_SYSKEYUP : WM_KEYUP, vk, keyData);
    TWinControl* still = FindControl(h);  // the key-up may have closed the form
    if (TCustomForm* f = still ? GetParentForm(still) : nullptr; altAlone && f && ui_internal::MenuAltAlone())
      Guard(f, [&] { ui_internal::MenuAltAlone()(f); });
  }
}

// --- hover, capture, focus and cursor

TControl* UiInternals::MouseOver() { return Application ? Application->mouseOver_ : nullptr; }

void UiInternals::ControlDestroyed(TControl* c) {
  if (Application) {
    if (Application->mouseOver_ && Within(c, Application->mouseOver_)) Application->mouseOver_ = nullptr;
    if (Application->hintControl_ && Within(c, Application->hintControl_)) Application->CancelHint();
  }
  if (TControl* cap = GetCaptureControl(); cap && Within(c, cap)) SetCaptureControl(nullptr);
  if (!Screen) return;
  for (TCustomForm* f : Screen->forms_) {
    if (f == c) continue;
    if (f->activeControl_ && Within(c, f->activeControl_)) f->activeControl_ = nullptr;
    if (f->focusedControl_ && Within(c, f->focusedControl_)) f->focusedControl_ = c->Parent() ? c->Parent() : f;
  }
}

void UiInternals::ControlHidden(TControl* c) {
  if (Application) {
    // The control the mouse was over hears that it left (a button that was
    // hot when it was disabled would otherwise come back hot).
    if (Application->mouseOver_ && Within(c, Application->mouseOver_)) {
      TControl* old = Application->mouseOver_;
      Application->mouseOver_ = nullptr;
      old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
    }
    if (Application->hintControl_ && Within(c, Application->hintControl_)) Application->CancelHint();
  }
  if (TControl* cap = GetCaptureControl(); cap && Within(c, cap)) SetCaptureControl(nullptr);
  // A hidden or disabled control gives the focus back to its form.
  TWinControl* f = FindControl(GetFocus());
  if (f && Within(c, f) && !c->IsDestroying()) {
    TCustomForm* form = GetParentForm(c);
    if (form && form != c) {
      form->activeControl_ = nullptr;
      if (form->Showing()) SetFocusWindow(form->Handle());
    } else if (form == c) {
      SetFocusWindow(0);
    }
  }
}

void UiInternals::SetCursorFor(TControl* c) { ShowCursor(GetParentForm(c), Screen ? Screen->CursorFor(c) : crDefault); }

void UiInternals::ShowCursor(TCustomForm* f, TCursor cur) {
  if (!Screen) return;
  Screen->current_ = cur;
  if (!f || !f->HostWindow()) return;
  if (const TScreen::TCursorImage* img = Screen->CursorImage(cur))
    f->HostWindow()->SetCursorImage(img->Width, img->Height, img->HotX, img->HotY, img->Pixels.data());
  else
    f->HostWindow()->SetCursorShape(cur);
}

void UiInternals::CursorMayHaveChanged() {
  if (!Application || !Screen) return;
  TControl* over = Application->mouseOver_;
  if (over)
    SetCursorFor(over);
  else {
    Screen->current_ = Screen->Cursor() != crDefault ? Screen->Cursor() : crDefault;
    for (TCustomForm* f : Screen->forms_)
      if (f->HostWindow()) f->HostWindow()->SetCursorShape(Screen->current_);
  }
}

namespace ui_internal {
void ControlDestroyed(TControl* c) { UiInternals::ControlDestroyed(c); }
void ControlHidden(TControl* c) { UiInternals::ControlHidden(c); }
void SetCursorFor(TControl* c) { UiInternals::SetCursorFor(c); }
void CursorMayHaveChanged() { UiInternals::CursorMayHaveChanged(); }
}  // namespace ui_internal

void SetCursor(TCursor cursor) {
  TCustomForm* f = nullptr;
  if (Application && UiInternals::MouseOver()) f = GetParentForm(UiInternals::MouseOver());
  if (!f && Screen) f = Screen->ActiveForm();
  UiInternals::ShowCursor(f, cursor);
}
