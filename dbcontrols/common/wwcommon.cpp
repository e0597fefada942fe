// Shared drawing and control routines of the data-aware controls. See
// wwcommon.h.
#include "dbcontrols/common/wwcommon.h"

#include <algorithm>

#include "dbcontrols/datasets/wwtable.h"
#include "dbcontrols/intl/wwintl.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/messages.h"

void wwDrawEllipsisButton(TCanvas* canvas, const TRect& rect, int state, uint8_t stateByte) {
  TRect r = rect;
  unsigned flags = BF_RECT | BF_MIDDLE;
  if (state == wwbsDown && !wwHighBitSet(stateByte)) flags |= BF_FLAT;
  canvas->DrawEdge(r, EDGE_RAISED, flags);
  // Halving is an unsigned shift, so an odd size rounds down.
  const int offset = state == wwbsDown ? 1 : 0;
  const int dx = offset + static_cast<int>(static_cast<unsigned>(rect.Right - rect.Left) >> 1) - 1;
  const int dy = offset + static_cast<int>(static_cast<unsigned>(rect.Bottom + 1 - rect.Top) >> 1) - 1;
  const int size = std::max(1, static_cast<int>(static_cast<unsigned>(rect.Right + 1 - rect.Left) >> 3));
  for (int k = -1; k <= 1; ++k)
    canvas->PatBlt(rect.Left + dx + 2 * size * k, rect.Top + dy, size, size, BLACKNESS);
}

void wwDrawComboButton(TCanvas* canvas, const TRect& rect, int state, bool enabled, uint8_t stateByte) {
  unsigned flags = DFCS_SCROLLCOMBOBOX;
  if (!enabled)
    flags |= DFCS_INACTIVE;
  else if (state != wwbsUp && !wwHighBitSet(stateByte))
    flags |= DFCS_PUSHED | DFCS_FLAT;
  canvas->DrawFrameControl(rect, DFC_SCROLL, flags);
}

bool wwTableHasIndex(const TDataSet* dataSet) {
  const auto* t = dynamic_cast<const TwwTable*>(dataSet);
  return t && t->IndexFieldCount() > 0;
}

bool wwTableHasQuery(const TDataSet* dataSet) {
  const auto* t = dynamic_cast<const TwwTable*>(dataSet);
  return t && t->Query()->Count() > 0;
}

void wwGetTablePicture(TDataSet* dataSet, const AnsiString& fieldName, AnsiString& picture) {
  picture.clear();
  auto* t = dynamic_cast<TwwTable*>(dataSet);
  if (t && t->FindField(fieldName)) picture = t->TablePicture(fieldName);
}

TComponent* wwGetOwnerForm(TComponent* component) {
  TComponent* c = component;
  while (c && !dynamic_cast<TCustomForm*>(c) && c->Owner()) c = c->Owner();
  return c;
}

void wwSimulateKey(HWND window, int key, int shiftKey) {
  TKeyboardState saved;
  GetKeyboardState(saved);
  TKeyboardState held;
  std::copy(std::begin(saved), std::end(saved), std::begin(held));
  held[static_cast<uint8_t>(key)] = 0x81;
  held[static_cast<uint8_t>(shiftKey)] = 0x81;
  SetKeyboardState(held);
  TScopeExit restore{[&saved] { SetKeyboardState(saved); }};
  // Alt shows in the key data, as with a key typed while Alt is down.
  const bool alt = shiftKey == VK_MENU || shiftKey == VK_LMENU || shiftKey == VK_RMENU;
  const LPARAM data = alt ? (1 | (1 << 29)) : 1;
  SendMessage(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WPARAM>(key), data);
  SendMessage(window, alt ? WM_SYSKEYUP : WM_KEYUP, static_cast<WPARAM>(key), data | (1 << 30));
}

namespace {

TWinControl* FirstHoldingLeftButton(TWinControl* parent) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* w = dynamic_cast<TWinControl*>(parent->Controls(i));
    if (!w) continue;
    if (w->ControlState() & csLButtonDown) return w;
    if (TWinControl* inner = FirstHoldingLeftButton(w)) return inner;
  }
  return nullptr;
}

}  // namespace

void wwReleaseMouseButton() {
  TCustomForm* form = Screen ? Screen->ActiveForm() : nullptr;
  if (!form) return;
  if (form->ControlState() & csLButtonDown) {
    PostMessage(form->Handle(), WM_LBUTTONUP, 0, 0);
    return;
  }
  if (TWinControl* w = FirstHoldingLeftButton(form)) PostMessage(w->Handle(), WM_LBUTTONUP, 0, 0);
}

AnsiString wwListToText(const TStrings* list, bool spaceSeparated) {
  AnsiString text;
  const char* sep = spaceSeparated ? " " : "\r\n";
  for (int i = 0; i < list->Count(); ++i) {
    if (i > 0) text += sep;
    text += list->Get(i);
  }
  return text;
}

TButton* wwCreateDialogButton(TCustomForm* form, int kind) {
  TwwIntl* intl = wwGlobalIntl();
  TButton* b = nullptr;
  if (intl->OKCancelBitmapped()) {
    auto* bb = new TBitBtn(form);
    bb->SetKind(kind == wwdbCancel ? bkCancel : bkOK);
    b = bb;
  } else {
    b = new TButton(form);
  }
  b->SetParent(form);
  const int ppi = Screen ? Screen->PixelsPerInch() : 96;
  b->SetBounds(0, 0, 75 * ppi / 96, 25 * ppi / 96);
  if (kind == wwdbCancel) {
    b->SetCaption(intl->BtnCancelCaption());
    b->SetModalResult(mrCancel);
    b->SetCancel(true);
  } else {
    b->SetCaption(intl->BtnOKCaption());
    b->SetModalResult(mrOk);
  }
  return b;
}

TwwHourGlass::TwwHourGlass() : saved_(Screen ? Screen->Cursor() : crDefault) {
  if (Screen) Screen->SetCursor(crHourGlass);
}

TwwHourGlass::~TwwHourGlass() {
  if (Screen) Screen->SetCursor(saved_);
}
