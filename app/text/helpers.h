// Small helpers every window of the program shares: the colour table of the
// attribute blocks, switching off transliteration of string fields, the
// question before closing an unsaved record, and the derived fields of an
// own entry (its list text and its warner keys).
//
// Invariants: ColorTable never changes after start; ShortHintText never
// gives more than kHintLength characters; a warner key is 0 or a valid
// month x 100 + day.
#pragma once

#include "platform/db/db.h"
#include "platform/gfx/color.h"
#include "platform/rtl/exceptions.h"

// 16 Windows colour values by the colour numbers of TextAttributes.
extern TColor ColorTable[16];
// Fills ColorTable (run at start; the table holds its values from the
// first moment, so code run earlier sees them too).
void InitColorTable();
// The colour of a colour number; numbers outside the table give black.
TColor ColorOf(int colourNumber);

// Every string field of the dataset stops transliterating its text.
void FixStringFields(TDataSet* dataSet);

// A save or a delete that an entry window or the template editor refuses;
// the German message says why, and the record stays in its state.
ORV_DECLARE_EXCEPTION(EInvalidData, Exception)

// "Save before closing?": Yes saves, No drops what was typed, Cancel (and
// Escape, which a user may press twice) keeps the window open with it.
enum class TSaveAnswer { Save, Discard, Stay };
TSaveAnswer ConfirmSaveOnClose();

// Length of the list text field EIGE_HINWEIS.
constexpr int kHintLength = 40;

// The list text of a long text, its line breaks made blanks (the lists
// show it in one row): a text of at most 40 characters whole; a
// longer one ends at a sentence end (".", "!" or "?" before a blank within
// the first 40 characters, the blank kept) or is cut at the last blank that
// leaves room for "..." (the kept text at most 37 characters); without any
// blank in the first 40 characters its first 40 characters.
AnsiString ShortHintText(const AnsiString& text);

// The list text of a person: surname, ", ", first names, without outer
// blanks and tabs and without a comma left at the end; a text longer than
// the field is cut at its last blank within 37 characters (or at 37
// characters when there is none) and marked "...".
AnsiString PersonHintText(const AnsiString& surname, const AnsiString& firstNames);

// A text that ends a sentence with a full stop, unless it ends with one
// already (a birth place "Garmisch-Partenkirchen Obb.").
AnsiString WithFullStop(const AnsiString& text);

// The warner key of an entry: month x 100 + day of the date `days` days
// before the entry's date when the warning is on, else 0; an entry without
// a date has no warning day, so its key is 0 too. A date on 29 February
// counts back from 28 February, the day its anniversary falls on in the
// common years, which are most years.
int WarnerKey(bool hasDate, TDateTime date, bool on, int days);
