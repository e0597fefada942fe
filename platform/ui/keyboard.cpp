// Keyboard state table and key-to-character translation.
#include "platform/ui/keyboard.h"

#include <cstring>

#include "platform/rtl/cp1252.h"
#include "platform/ui/windowhost.h"

namespace {
TKeyboardState gState = {};
// Keys pressed since GetAsyncKeyState last asked about them.
bool gPressedSince[256] = {};
int gBeeps = 0;
int gQuiet = 0;  // live TQuietBeeps

bool IsDown(int vk) { return (gState[vk & 0xFF] & 0x80) != 0; }

void SyncGeneric(int generic, int left, int right) {
  bool down = IsDown(left) || IsDown(right);
  if (down)
    gState[generic] |= 0x80;
  else
    gState[generic] &= 0x7F;
}
}  // namespace

std::int16_t GetKeyState(int vk) {
  std::uint8_t s = gState[vk & 0xFF];
  std::int16_t r = (s & 0x80) ? static_cast<std::int16_t>(0xFF80) : 0;
  return static_cast<std::int16_t>(r | (s & 1));
}

std::int16_t GetAsyncKeyState(int vk) {
  vk &= 0xFF;
  const std::int16_t r = static_cast<std::int16_t>(((gState[vk] & 0x80) ? 0x8000 : 0) | (gPressedSince[vk] ? 1 : 0));
  gPressedSince[vk] = false;
  return r;
}

void GetKeyboardState(TKeyboardState& out) { std::memcpy(out, gState, sizeof gState); }
void SetKeyboardState(const TKeyboardState& in) { std::memcpy(gState, in, sizeof gState); }

namespace keyboard {

void SetKeyDown(int vk, bool down) {
  vk &= 0xFF;
  bool wasDown = IsDown(vk);
  if (down) {
    gState[vk] |= 0x80;
    if (!wasDown) gPressedSince[vk] = true;
    if (!wasDown && (vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL)) gState[vk] ^= 1;
  } else {
    gState[vk] &= 0x7F;
  }
  // A generic modifier also sets its left variant, so both views agree.
  if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) {
    int left = vk == VK_SHIFT ? VK_LSHIFT : vk == VK_CONTROL ? VK_LCONTROL : VK_LMENU;
    int right = left + 1;
    if (down)
      gState[left] |= 0x80;
    else {
      gState[left] &= 0x7F;
      gState[right] &= 0x7F;
    }
  }
  SyncGeneric(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
  SyncGeneric(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
  SyncGeneric(VK_MENU, VK_LMENU, VK_RMENU);
}

void ResetAll() {
  std::memset(gState, 0, sizeof gState);
  std::memset(gPressedSince, 0, sizeof gPressedSince);
}

TShiftState CurrentShiftState() {
  TShiftState s = 0;
  if (IsDown(VK_SHIFT)) s |= ssShift;
  if (IsDown(VK_CONTROL)) s |= ssCtrl;
  if (IsDown(VK_MENU)) s |= ssAlt;
  if (IsDown(VK_LBUTTON)) s |= ssLeft;
  if (IsDown(VK_RBUTTON)) s |= ssRight;
  if (IsDown(VK_MBUTTON)) s |= ssMiddle;
  return s;
}

int BeepCount() { return gBeeps; }

TQuietBeeps::TQuietBeeps() { ++gQuiet; }
TQuietBeeps::~TQuietBeeps() { --gQuiet; }

}  // namespace keyboard

TShiftState KeyDataToShiftState(std::int32_t keyData) {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (keyData & (1 << 29)) s |= ssAlt;
  return s;
}

TShiftState MouseKeysToShiftState(int mk) {
  TShiftState s = 0;
  if (mk & 0x0004) s |= ssShift;
  if (mk & 0x0008) s |= ssCtrl;
  if (mk & 0x0001) s |= ssLeft;
  if (mk & 0x0002) s |= ssRight;
  if (mk & 0x0010) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

int TranslateKeyToChar(int vk, TShiftState shift, char32_t typed) {
  switch (vk) {
    case VK_BACK: return 8;
    case VK_TAB: return (shift & (ssCtrl | ssAlt)) ? -1 : 9;
    case VK_RETURN: return (shift & ssCtrl) ? 10 : 13;
    case VK_ESCAPE: return 27;
    default: break;
  }
  if ((shift & ssCtrl) && !(shift & ssAlt)) {
    if (vk >= 'A' && vk <= 'Z') return vk - 'A' + 1;
    if (vk == VK_OEM_4) return 27;
    if (vk == VK_OEM_5) return 28;
    if (vk == VK_OEM_6) return 29;
    return -1;
  }
  if (typed == 0 || typed < 0x20 || typed == 0x7F) return -1;
  unsigned char c = 0;
  if (!UnicodeToCp1252(typed, c)) return -2;
  return c;
}

unsigned char AnsiUpper(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 0x10);  // š œ ž
  if (c == 0xFF) return 0x9F;  // ÿ
  return c;
}

char AcceleratorOf(const AnsiString& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(AnsiUpper(static_cast<unsigned char>(caption[i + 1])));
  }
  return 0;
}

bool IsAccel(int ch, const AnsiString& caption) {
  char a = AcceleratorOf(caption);
  return a != 0 && static_cast<unsigned char>(a) == AnsiUpper(static_cast<unsigned char>(ch & 0xFF));
}

void MessageBeep(unsigned) {
  if (gQuiet > 0) return;
  ++gBeeps;
  if (HasWindowHost()) WindowHost().Beep();
}
