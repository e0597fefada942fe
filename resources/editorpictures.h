// Pictures of the entry windows (persons, events, selection codes), drawn
// here in code as character rows: the navigator's eight glyphs, the search
// button's magnifier, and the pictures of a man and a woman that show a
// person's sex.
// Invariants: every navigator glyph and the magnifier are 16 x 16, the two
// person pictures 27 x 34; the top-left pixel of each holds the transparent
// colour (clFuchsia).
#pragma once

#include <memory>

#include "platform/gfx/bitmap.h"

enum TEditorPicture {
  // The navigator, in the order of its buttons' tags 1 to 8.
  epFirst,
  epPrior,
  epNext,
  epLast,
  epInsert,
  epDelete,
  epPost,
  epCancel,
  // The search button.
  epSearch,
  // The sex of a person.
  epMan,
  epWoman,
  epCount
};

// A new bitmap of an entry window's picture.
std::unique_ptr<TBitmap> EditorPicture(TEditorPicture which);
