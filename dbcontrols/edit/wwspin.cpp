// The auto-repeating arrow button and the spin button made of two of them.
#include "dbcontrols/edit/wwspin.h"

#include <algorithm>

#include "platform/ui/messages.h"

namespace {

constexpr unsigned kFirstRepeat = 400;  // ms from the press to the first repeat
constexpr unsigned kRepeat = 100;       // ms between repeats

}  // namespace

void wwSpinArrowGlyph(TBitmap& b, bool up) {
  // Four rows of 7, 5, 3 and 1 pixels under or over each other, and an
  // empty row below: the bottom-left pixel is the transparent one.
  constexpr int kW = 7, kH = 5;
  b.SetSize(kW, kH);
  for (int y = 0; y < kH; ++y) {
    const int row = up ? y : 3 - y;  // 0: the tip
    for (int x = 0; x < kW; ++x) {
      const bool ink = y < 4 && x >= 3 - row && x <= 3 + row;
      b.Surface().Row(y)[x] = ink ? 0xFF000000u : 0xFFC0C0C0u;
    }
  }
  b.SetTransparent(true);
}

// ---------------------------------------------------------------- TwwTimerSpeedButton

TwwTimerSpeedButton::TwwTimerSpeedButton(TComponent* owner) : TSpeedButton(owner) {}

TwwTimerSpeedButton::~TwwTimerSpeedButton() = default;

void TwwTimerSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TSpeedButton::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Enabled() || !(buttonFlags_ & AutoRepeat)) return;
  if (!repeatTimer_) {
    repeatTimer_ = std::make_unique<TTimer>(nullptr);
    repeatTimer_->SetEnabled(false);
    repeatTimer_->OnTimer = [this](TObject*) { TimerExpired(); };
  }
  repeatTimer_->SetInterval(kFirstRepeat);
  repeatTimer_->SetEnabled(true);
  // The step of the press itself; the release then adds none.
  controlState_ &= ~csClicked;
  try {
    Click();
  } catch (...) {
    repeatTimer_->SetEnabled(false);
    throw;
  }
}

void TwwTimerSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TSpeedButton::MouseUp(button, shift, x, y);
  if (repeatTimer_) repeatTimer_->SetEnabled(false);
}

void TwwTimerSpeedButton::TimerExpired() {
  repeatTimer_->SetInterval(kRepeat);
  if (!Pressed() || !MouseCapture()) return;
  try {
    Click();
  } catch (...) {
    repeatTimer_->SetEnabled(false);
    throw;
  }
}

void TwwTimerSpeedButton::Paint() {
  TSpeedButton::Paint();
  if (!(buttonFlags_ & DrawFocusFrame)) return;
  TRect r = ClientRect();
  InflateRect(r, -3, -3);
  if (Pressed()) OffsetRect(r, 1, 1);
  Canvas()->DrawFocusRect(r);
}

// ---------------------------------------------------------------- TwwSpinButton

TwwSpinButton::TwwSpinButton(TComponent* owner) : TWinControl(owner) {
  controlStyle_ = (controlStyle_ & ~(csAcceptsControls | csSetCaption)) | csFramed | csOpaque;
  color_ = clBtnFace;
  upButton_ = MakeButton(true);
  downButton_ = MakeButton(false);
  SetBounds(0, 0, 20, 25);
}

TwwSpinButton::~TwwSpinButton() = default;

TwwTimerSpeedButton* TwwSpinButton::MakeButton(bool up) {
  auto* b = new TwwTimerSpeedButton(this);
  b->SetButtonFlags(AutoRepeat);
  TBitmap glyph;
  wwSpinArrowGlyph(glyph, up);
  b->SetGlyph(glyph);
  b->OnClick = [this](TObject* sender) { BtnClick(sender); };
  b->SetParent(this);
  return b;
}

void TwwSpinButton::BtnClick(TObject* sender) {
  if (sender == upButton_) {
    if (OnUpClick) OnUpClick(this);
  } else if (OnDownClick) {
    OnDownClick(this);
  }
}

void TwwSpinButton::SetUpGlyph(const TBitmap* b) {
  TBitmap glyph;
  if (b)
    glyph.Assign(b);
  else
    wwSpinArrowGlyph(glyph, true);
  upButton_->SetGlyph(glyph);
}

void TwwSpinButton::SetDownGlyph(const TBitmap* b) {
  TBitmap glyph;
  if (b)
    glyph.Assign(b);
  else
    wwSpinArrowGlyph(glyph, false);
  downButton_->SetGlyph(glyph);
}

bool TwwSpinButton::AdjustSize(int& width, int& height) {
  if (!upButton_ || !downButton_ || HasState(csLoading)) return true;
  const bool kept = width >= 15;
  width = std::max(width, 15);
  const int upHeight = height / 2;
  upButton_->SetBounds(0, 0, width, upHeight);
  downButton_->SetBounds(0, upHeight - 1, width, height - upHeight + 1);
  return kept;
}

void TwwSpinButton::SetBounds(int left, int top, int width, int height) {
  int w = width, h = height;
  AdjustSize(w, h);
  TWinControl::SetBounds(left, top, w, h);
}

void TwwSpinButton::Loaded() {
  TWinControl::Loaded();
  int w = Width(), h = Height();
  if (!AdjustSize(w, h)) TWinControl::SetBounds(Left(), Top(), w, h);
}

void TwwSpinButton::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS; return;
    case WM_SIZE: {
      TWinControl::Dispatch(m);
      int w = Width(), h = Height();
      if (!AdjustSize(w, h)) TWinControl::SetBounds(Left(), Top(), w, h);
      return;
    }
    default: break;
  }
  TWinControl::Dispatch(m);
}

void TwwSpinButton::PublishProperties(TClassInfo& ci) {
  PublishObject<TwwSpinButton, TBitmap>(ci, "UpGlyph", &TwwSpinButton::UpGlyph, &TwwSpinButton::SetUpGlyph);
  PublishObject<TwwSpinButton, TBitmap>(ci, "DownGlyph", &TwwSpinButton::DownGlyph, &TwwSpinButton::SetDownGlyph);
  PublishEvent<TwwSpinButton, TNotifyEvent>(ci, "OnUpClick", &TwwSpinButton::OnUpClick);
  PublishEvent<TwwSpinButton, TNotifyEvent>(ci, "OnDownClick", &TwwSpinButton::OnDownClick);
}
