// Cursor pictures drawn as character maps: 'X' black, 'o' white, blank
// transparent; every row of a map has the same width.
#include "resources/cursors.h"

#include <cstring>

namespace {

const char* const kHand[] = {
    "     XX          ",
    "    XooX         ",
    "    XooX         ",
    "    XooX         ",
    "    XooX         ",
    "    XooXXX       ",
    "    XooXooXXX    ",
    "    XooXooXooXX  ",
    " XX XooXooXooXoX ",
    "XooXXooooooooXooX",
    "XoooXoooooooooooX",
    " XooXoooooooooooX",
    "  XoooooooooooooX",
    "  XooooooooooooX ",
    "   XoooooooooooX ",
    "   XooooooooooX  ",
    "    XoooooooooX  ",
    "    XooooooooX   ",
    "     XoooooooX   ",
    "     XXXXXXXXX   ",
};

}  // namespace

TScreen::TCursorImage HyperlinkCursorImage() {
  TScreen::TCursorImage image;
  image.Height = static_cast<int>(sizeof(kHand) / sizeof(kHand[0]));
  image.Width = static_cast<int>(std::strlen(kHand[0]));
  image.HotX = 5;
  image.HotY = 0;
  image.Pixels.reserve(static_cast<size_t>(image.Width * image.Height));
  for (const char* row : kHand)
    for (int x = 0; x < image.Width; ++x)
      image.Pixels.push_back(row[x] == 'X' ? 0xFF000000u : row[x] == 'o' ? 0xFFFFFFFFu : 0x00000000u);
  return image;
}
