// The toolkit's window host (platform/ui/windowhost.h): one toolkit window
// per form that shows the form's back-buffer surface, draws the caret over
// it and turns toolkit input into THostInput with Windows virtual keys; the
// desktop's clipboard, file dialogs and address opener. Installed by
// qthost::InstallWindowHost(). Nothing of the control tree lives here.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/windowhost.h"

namespace qtwin {

// Key translation: a toolkit key code (Qt::Key value), its native scan code
// (X11 key code, 0 when unknown) and keypad flag to a Windows virtual key.
// The OEM keys follow the German layout by physical position, so the two
// keys right of "0" are 219 and 221 whatever the layout says.
int ToolkitKeyToVirtualKey(int toolkitKey, std::uint32_t nativeScanCode, bool keypad);

// A file dialog's filter ("Text|*.txt|All|*.*") in the toolkit's form
// ("Text (*.txt);;All (*.*)", UTF-8); a name that shows its patterns
// already ("PDF-Dateien (*.pdf)") keeps them once.
std::string ToolkitFilter(const AnsiString& filter);

// For tests of the toolkit host with its windows (`w` made by this host):
// feed a toolkit event through the same path as real input (a key with its
// toolkit code, X11 key code and text; or a mouse event of the THostInput
// kinds MouseDown/Up/DblClick/Move or a wheel notch (WheelUp/WheelDown) at
// client pixels), ask whether the window
// system shows the window, and save what the screen shows of it as PNG
// (false when the platform cannot read the screen back).
void InjectKey(THostWindow* w, int toolkitKey, std::uint32_t scanCode, const std::string& textUtf8, bool down);
void InjectMouse(THostWindow* w, THostInput::Kind kind, int button, int x, int y);
bool IsExposed(const THostWindow* w);
bool GrabToPng(THostWindow* w, const std::string& path);
// Whether the window system has made the window the active one.
bool IsActive(const THostWindow* w);
// What the screen shows in a rectangle of screen pixels, whichever windows
// lie there (false when the platform cannot read the screen back).
bool GrabScreen(int x, int y, int w, int h, THostImage& image);

}  // namespace qtwin
