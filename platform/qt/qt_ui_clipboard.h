// The desktop's clipboard and address opener for the toolkit's window host
// (internal to platform/qt). Formats travel as MIME types with raw bytes;
// "text/plain" is UTF-8 and becomes the toolkit's text.
// Invariants: a Set replaces everything on the clipboard at once; images
// are 0xAARRGGBB rows.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/ui/windowhost.h"

namespace qtui {

// Puts every (MIME type, bytes) entry and an optional image on the clipboard.
void ClipboardSet(const std::vector<std::pair<std::string, std::string>>& data, const THostImage* image);
bool ClipboardHas(const std::string& mime);
std::string ClipboardGet(const std::string& mime);
bool ClipboardGetImage(THostImage& out);

// Starts the desktop's handler for an address ("https://...", "mailto:...")
// as a process of its own, with an argument vector (no shell).
bool OpenUrl(const std::string& urlUtf8);

}  // namespace qtui
