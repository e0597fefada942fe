// Paragraph format values as the formatting commands take them. The parts of
// the engine number and order some of them differently; each difference is
// mapped here and nowhere else:
//  - alignment: the paragraph record stores left 0, right 1, centre 2,
//    justified 3, and so does TWPAlignment; a caller with another numbering
//    converts to it before calling a command. Two such numberings exist:
//    the tool bar's paragraph icons (left 1, right 2, justified 3, centre 4)
//    and the set-mode's alignment state, which also numbers the tool bar's
//    paragraph-style box (left 1, centre 2, justified 3, right 4);
//  - spacing: the programmatic interface and the dialogs give (before, line,
//    after), the paragraph record keeps before, after and line spacing; the
//    command takes a TWPParSpacing with named fields, made from the callers'
//    order by FromBeforeLineAfter.
#pragma once

#include <cstdint>

enum TWPAlignment : uint8_t { waLeft = 0, waRight = 1, waCenter = 2, waJustified = 3 };

// The tool bar's paragraph icons: left 1, right 2, justified 3, centre 4.
// Numbers outside 1..4 give False.
constexpr bool AlignmentOfToolBarNumber(int number, TWPAlignment& align) {
  switch (number) {
    case 1: align = waLeft; return true;
    case 2: align = waRight; return true;
    case 3: align = waJustified; return true;
    case 4: align = waCenter; return true;
    default: return false;
  }
}
constexpr int ToolBarNumberOfAlignment(TWPAlignment align) {
  switch (align) {
    case waRight: return 2;
    case waJustified: return 3;
    case waCenter: return 4;
    default: return 1;
  }
}

// The set-mode's alignment state: left 1, centre 2, justified 3, right 4.
constexpr bool AlignmentOfSetModeNumber(int number, TWPAlignment& align) {
  switch (number) {
    case 1: align = waLeft; return true;
    case 2: align = waCenter; return true;
    case 3: align = waJustified; return true;
    case 4: align = waRight; return true;
    default: return false;
  }
}
constexpr int SetModeNumberOfAlignment(TWPAlignment align) {
  switch (align) {
    case waCenter: return 2;
    case waJustified: return 3;
    case waRight: return 4;
    default: return 1;
  }
}

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
