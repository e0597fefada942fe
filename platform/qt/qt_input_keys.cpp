// Key translation from the toolkit's key codes to Windows virtual keys.
// Letters follow the layout (as Windows does for the German layout, Z and Y
// swap with it); digits and the punctuation keys go by physical position
// when the X11 key code is known, so shifted symbols keep their key and the
// German OEM codes (ß 219, ´ 221, ü 186, + 187, ö 192, ä 222, # 191, ^ 220,
// < 226) come out whatever the active layout.
#include <Qt>

#include "platform/qt/qt_window_host.h"

namespace qtwin {
namespace {

// X11 key codes (evdev + 8) of the main block: digits and OEM keys.
int ByScanCode(std::uint32_t sc) {
  if (sc >= 10 && sc <= 18) return '1' + static_cast<int>(sc - 10);
  switch (sc) {
    case 19: return '0';
    case 20: return 219;  // right of 0
    case 21: return 221;  // left of Backspace
    case 34: return 186;  // right of P
    case 35: return 187;
    case 47: return 192;  // right of L
    case 48: return 222;
    case 49: return 220;  // left of 1
    case 51: return 191;  // left of Enter, lower row
    case 59: return 188;
    case 60: return 190;
    case 61: return 189;
    case 94: return 226;  // right of left Shift
    default: return 0;
  }
}

int Keypad(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return 0x60 + (key - Qt::Key_0);
  switch (key) {
    case Qt::Key_Asterisk: return 0x6A;
    case Qt::Key_Plus: return 0x6B;
    case Qt::Key_Minus: return 0x6D;
    case Qt::Key_Comma: case Qt::Key_Period: return 0x6E;
    case Qt::Key_Slash: return 0x6F;
    default: return 0;
  }
}

}  // namespace

int ToolkitKeyToVirtualKey(int key, std::uint32_t sc, bool keypad) {
  if (keypad)
    if (int k = Keypad(key)) return k;
  switch (key) {
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Return: case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_Print: return 0x2C;
    case Qt::Key_Clear: return 0x0C;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_AltGr: return 0xA5;  // right Alt: Ctrl+Alt on the platform
    case Qt::Key_Meta: return 0x5B;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_NumLock: return 0x90;
    case Qt::Key_ScrollLock: return 0x91;
    case Qt::Key_Menu: return 0x5D;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_Help: return 0x2F;
    default: break;
  }
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;  // Qt's letter codes are the upper-case ASCII
  if (int k = ByScanCode(sc)) return k;
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;
  switch (key) {
    // Shifted digits of the German layout.
    case Qt::Key_Exclam: return '1';
    case Qt::Key_QuoteDbl: return '2';
    case Qt::Key_section: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_Ampersand: return '6';
    case Qt::Key_Slash: return '7';
    case Qt::Key_ParenLeft: return '8';
    case Qt::Key_ParenRight: return '9';
    case Qt::Key_Equal: return '0';
    // OEM keys by the character they carry on the German layout.
    case Qt::Key_ssharp: case Qt::Key_Question: case Qt::Key_Backslash: return 219;
    case Qt::Key_Dead_Acute: case Qt::Key_acute: case Qt::Key_Dead_Grave: case Qt::Key_QuoteLeft: return 221;
    case Qt::Key_Udiaeresis: return 186;
    case Qt::Key_Plus: case Qt::Key_Asterisk: case Qt::Key_AsciiTilde: return 187;
    case Qt::Key_Odiaeresis: return 192;
    case Qt::Key_Adiaeresis: return 222;
    case Qt::Key_NumberSign: case Qt::Key_Apostrophe: return 191;
    case Qt::Key_Dead_Circumflex: case Qt::Key_AsciiCircum: case Qt::Key_degree: return 220;
    case Qt::Key_Less: case Qt::Key_Greater: case Qt::Key_Bar: return 226;
    case Qt::Key_Comma: case Qt::Key_Semicolon: return 188;
    case Qt::Key_Period: case Qt::Key_Colon: return 190;
    case Qt::Key_Minus: case Qt::Key_Underscore: return 189;
    case Qt::Key_BracketLeft: return 219;
    case Qt::Key_BracketRight: return 221;
    default: return 0;
  }
}

}  // namespace qtwin
