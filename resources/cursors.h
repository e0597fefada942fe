// Cursors the program registers in the screen's cursor table.
#pragma once

#include "platform/ui/forms.h"

// The slot of the hand shown over hyperlinks (the rich-text controls'
// HyperLinkCursor).
constexpr TCursor crHyperlink = 20;

// A pointing hand, black outline on white, its hot spot at the fingertip.
TScreen::TCursorImage HyperlinkCursorImage();
