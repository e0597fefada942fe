// The placeholder language of the print templates: the 80 placeholders (60
// replaced by one plain text each, 20 by a generated list of runs and
// paragraphs), the editor's menu of them, the period between two dates in
// German words and its dative, and the small text helpers the expansion
// shares.
//
// A placeholder is exactly its text, angle brackets, blanks and letter case
// included; there is no escape and no parameter. The table below lists
// every one once, in the order in which the expansion replaces them.
//
// Invariants: kPlaceholders holds 80 distinct texts, the 60 values first,
// then the 20 sections; every menu leaf names one of them, each exactly
// once, under a tag no other leaf has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "calendar/packeddate.h"

enum TPlaceholderKind { pkValue, pkSection };

struct TPlaceholder {
  const char* Text;  // Windows-1252
  TPlaceholderKind Kind;
};

constexpr int kValuePlaceholderCount = 60;
constexpr int kSectionPlaceholderCount = 20;
constexpr int kPlaceholderCount = kValuePlaceholderCount + kSectionPlaceholderCount;
// Every placeholder, in the order of replacement.
extern const TPlaceholder kPlaceholders[kPlaceholderCount];

// A leaf of the editor's placeholder menu: its component name (the tag is
// the name's digits read as a number), its caption and the placeholder it
// inserts; Parent is the index of the enclosing submenu in the list, -1 at
// the top. Submenus have no placeholder.
struct TPlaceholderMenuItem {
  const char* Name;
  const char* Caption;  // Windows-1252
  int Parent;
  const char* Placeholder;  // null for a submenu
};
const std::vector<TPlaceholderMenuItem>& PlaceholderMenu();
// The tag of a menu item: the digits of its name ("item0941" gives 941).
int PlaceholderMenuTag(const char* name);
// The placeholder a leaf's tag inserts; null for no leaf.
const char* PlaceholderOfTag(int tag);

// The period from one date to another in words with its counts:
// "49 Jahre, zwei Monate und 15 Tage"; equal dates give an empty text. The
// counts may be negative when `to` lies before `from`; negative counts are
// left out of the words.
struct TTemplatePeriod {
  AnsiString Text;
  int Years = 0;
  int Months = 0;
  int Days = 0;
};
TTemplatePeriod AlterInWorten(const PackedDate& from, const PackedDate& to);
// The dative of a period's text: "einem Jahr und zwei Tagen".
AnsiString AlterDativ(const AnsiString& period);

// Index of the first character of `text` that is one of `set`, or npos.
std::size_t FirstCharInSet(const AnsiString& text, const char* set);

// The date a number of years after `date`: same day and month; 29 February
// becomes 28 February in a common year. Raises ERangeError when the year
// leaves 1..9999.
TDateTime AddYearsToDate(TDateTime date, int years);
// Template output types (LOUT_AUSGTYP): the output date is the birth or the
// source date plus a number of years or days, or a date the user types.
enum { otBirthPlusYears = 0, otBirthPlusDays = 1, otSourcePlusYears = 2, otSourcePlusDays = 3, otAnyDate = 4 };
constexpr int kOutputTypeMax = otAnyDate;
// The output date of a type from its calculation date and count: years
// for types 0 and 2, days for 1 and 3; type 4 keeps the date.
TDateTime OutputDateOf(int outputType, TDateTime calculationDate, int count);
