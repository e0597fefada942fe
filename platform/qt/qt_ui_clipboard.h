// Toolkit-free face of the system clipboard, the print system's printer
// list and the shell's "open this address". Formats travel as MIME types
// with raw bytes; text is UTF-8 here (the caller converts from Windows-1252).
// Invariants: a Set replaces everything on the clipboard at once; images
// are 0xAARRGGBB rows.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qtui {

struct ClipImage {
  int width = 0, height = 0;
  std::vector<std::uint32_t> argb;
};

// Puts every (MIME type, bytes) entry and an optional image on the clipboard.
void ClipboardSet(const std::vector<std::pair<std::string, std::string>>& data, const ClipImage* image);
void ClipboardClear();
bool ClipboardHas(const std::string& mime);
bool ClipboardHasImage();
std::string ClipboardGet(const std::string& mime);
bool ClipboardGetImage(ClipImage& out);

// Starts the desktop's handler for an address ("https://...", "mailto:...")
// as a process of its own, with an argument vector (no shell).
bool OpenUrl(const std::string& urlUtf8);

// Printer names of the print system and the default one.
std::vector<std::string> PrinterNames();
std::string DefaultPrinterName();

}  // namespace qtui
