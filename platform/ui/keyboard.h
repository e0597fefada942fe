// Keyboard: Windows virtual-key codes, the keyboard state table that
// GetKeyState reads, shift states, and the translation of key strokes into
// Windows-1252 characters.
// Invariants: the state table holds one byte per virtual key; bit 7 is
// "down", bit 0 the toggle (Caps Lock, Num Lock). Only the input layer and the
// test driver change it (and SetKeyboardState, as on the platform).
#pragma once

#include <cstdint>

#include "platform/rtl/exceptions.h"

using Word = std::uint16_t;

constexpr int VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_BACK = 0x08,
              VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
              VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
              VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
              VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_EXECUTE = 0x2B,
              VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F, VK_LWIN = 0x5B,
              VK_RWIN = 0x5C, VK_APPS = 0x5D, VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B,
              VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75, VK_F7 = 0x76, VK_F8 = 0x77, VK_F9 = 0x78,
              VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B,
              VK_F24 = 0x87, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91, VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1,
              VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3, VK_LMENU = 0xA4, VK_RMENU = 0xA5, VK_OEM_1 = 0xBA,
              VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE,
              VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD,
              VK_OEM_7 = 0xDE, VK_OEM_102 = 0xE2;

// Shift state of key and mouse events (a small bit set).
enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = unsigned;

using TKeyboardState = std::uint8_t[256];

// The platform's key-state queries. The high bit of the result (a negative
// short) means "down"; bit 0 is the toggle for GetKeyState and, for
// GetAsyncKeyState, "pressed since the last GetAsyncKeyState of that key"
// (the question clears it).
std::int16_t GetKeyState(int vk);
std::int16_t GetAsyncKeyState(int vk);
void GetKeyboardState(TKeyboardState& out);
void SetKeyboardState(const TKeyboardState& in);

namespace keyboard {
// Records a key or button going down or up. Generic modifiers are kept in
// step with their left/right variants; Caps and Num Lock toggle on press.
void SetKeyDown(int vk, bool down);
void ResetAll();
// Shift state from the table (keys and mouse buttons).
TShiftState CurrentShiftState();
}  // namespace keyboard

// Shift state from the key data of a key message (Alt from bit 29, Shift and
// Ctrl from the state table) as the class library computes it.
TShiftState KeyDataToShiftState(std::int32_t keyData);
// The modifier keys held in a shift state (its mouse buttons left out).
inline TShiftState KeyModifiers(TShiftState s) { return s & (ssShift | ssCtrl | ssAlt); }
// Shift state from the flags of a mouse message.
TShiftState MouseKeysToShiftState(int mk);

// The character a key stroke types, as WM_CHAR would bring it, or -1 when it
// types none. `typed` is the Unicode character the layout produced (0 for
// none). Ctrl with a letter gives the control characters 1 to 26, Ctrl with
// [ \ ] gives 27 to 29; Backspace, Tab, Enter and Escape give 8, 9, 13, 27.
// A character outside Windows-1252 gives -2 (refused, the caller beeps).
int TranslateKeyToChar(int vk, TShiftState shift, char32_t typed);

// Accelerator of a caption: the character after a single '&' ("&&" is a
// literal ampersand), upper-cased, or 0.
char AcceleratorOf(const AnsiString& caption);
// Whether `ch` is the accelerator of `caption` (case-insensitive, German
// letters included).
bool IsAccel(int ch, const AnsiString& caption);

// Windows-1252 case mapping of one character (umlauts included).
unsigned char AnsiUpper(unsigned char c);

// Sounds the system beep (counted, so tests can see refused input).
void MessageBeep(unsigned type);
namespace keyboard {
int BeepCount();
// While one lives, MessageBeep is silent (and not counted): the refusals
// it would sound are told another way.
class TQuietBeeps {
 public:
  TQuietBeeps();
  ~TQuietBeeps();
  TQuietBeeps(const TQuietBeeps&) = delete;
  TQuietBeeps& operator=(const TQuietBeeps&) = delete;
};
}
