// Paragraph format values as the formatting commands take them. The parts of
// the engine number and order some of them differently; each difference is
// mapped here and nowhere else:
//  - alignment: the paragraph record stores left 0, right 1, centre 2,
//    justified 3, and so does TWPAlignment; a caller with another numbering
//    converts to it before calling a command;
//  - spacing: the programmatic interface and the dialogs give (before, line,
//    after), the paragraph record keeps before, after and line spacing; the
//    command takes a TWPParSpacing with named fields, made from the callers'
//    order by FromBeforeLineAfter.
#pragma once

#include <cstdint>

enum TWPAlignment : uint8_t { waLeft = 0, waRight = 1, waCenter = 2, waJustified = 3 };

struct TWPParSpacing {
  // Twips; -1000 leaves a value unchanged. Line: above 0 at least, below 0
  // exactly, 0 automatic.
  int32_t Before = -1000;
  int32_t After = -1000;
  int32_t Line = -1000;

  static constexpr TWPParSpacing FromBeforeLineAfter(int32_t before, int32_t line, int32_t after) {
    TWPParSpacing s;
    s.Before = before;
    s.Line = line;
    s.After = after;
    return s;
  }
};
