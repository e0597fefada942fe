// The pictures of the rich-text tool bar: 46 pictures of 16x16 pixels,
// named "WPI_" plus a name and looked up without regard to letter case.
// Invariant: every picture's top-left pixel is kWPIconTransparent, the
// colour the explorer-style button leaves out.
#pragma once

#include <memory>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/rtl/sysutils.h"

constexpr TColor kWPIconTransparent = clFuchsia;

// All picture names ("WPI_BOLD" ...).
std::vector<AnsiString> WPIconNames();
// Whether a picture of that name exists ("WPI_" optional, any letter case).
bool WPHasIcon(const AnsiString& name);
// The picture at `scale` times 16x16 pixels (every pixel doubled at 2), or
// nil for an unknown name.
std::unique_ptr<TBitmap> WPIconBitmap(const AnsiString& name, int scale = 1);
