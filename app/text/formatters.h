// Record formatters: the coded fields of reference records (persons,
// places, nations, professions, events, holidays, name-day patrons) as
// German text. Each text is first a function of plain field values; the
// dataset forms read the current record of the dataset they are given (the
// caller positions it) and look codes up in the lookup tables of
// datasetup.h, which they position by key each time.
//
// An empty text means there is nothing to show; a code without a row in its
// lookup table gives an empty part, which callers leave out.
#pragma once

#include "calendar/packeddate.h"
#include "platform/db/db.h"

// Kinds of a historic date (which qualifier 5 means).
enum { hdBirth = 0, hdDeath = 1, hdOther = 3 };
// Month forms of MonthName: "8.", "Aug.", "August".
enum { mfNumeric = 0, mfShort = 1, mfFull = 2 };

// ---- texts of field values ---------------------------------------------------

// Removes leading blanks while more than one character remains.
void TrimLeadingBlanks(AnsiString& text);
// "Muster, Anna" with prefix "von" gives "Anna von Muster"; a prefix ending
// in "'" or "-" joins the surname directly, as do given names ending in "-"
// ("Sadat, Anwar as-" gives "Anwar as-Sadat"); no comma: the surname alone.
AnsiString ComposeDisplayName(const AnsiString& storedName, const AnsiString& prefix);
// The label of an alternative name's type ("geb." …); empty for 0 and 9 on.
AnsiString NameTypeLabel(int type);
// The preposition of a place code with its trailing blank ("in " …); empty
// for 0, 15 and above 19.
AnsiString PlacePreposition(int code);
// The qualifier before a historic date ("vor dem ", "getauft " …).
AnsiString DateQualifierPrefix(int qualifier, int kind, bool withDay, bool withMonth);
// What follows a year before Christ: " v.Chr." with a no-break space, so
// that a line never breaks between the date and its era.
inline constexpr const char* kBeforeChrist = "\xA0v.Chr.";
// Day, month and year with the qualifier and kBeforeChrist before Christ
// (afterChrist 0); empty when neither day, month nor year is known.
AnsiString HistoricDateText(int year, int month, int day, int qualifier, int afterChrist, int kind, int monthForm);
// "An Ostern", "Einen Tag vor Ostern", "50 Tage nach Ostern".
AnsiString DaysOffsetText(const AnsiString& zeroText, const AnsiString& word, int days, bool before);
// The rule of a holiday of kind FTAG_TYP with FTAG_MONAT and FTAG_TAG (a day,
// an occurrence or a number of days by kind); occurrence 9 is the last one.
AnsiString HolidayRuleText(int type, int month, int day, int monthForm);
// Whole years from a historic year to the year of the date key. There is no
// year 0: from 44 before Christ to the year 2000 are 2043 years.
int YearsSinceHistoricYear(int year, int afterChrist, const PackedDate& currentDateKey);

// ---- lookups in the shared tables --------------------------------------------

AnsiString PlaceText(int placeNumber);
AnsiString NationAbbrev(int nationNumber);
// Sex code 0 the male form, any other the female form.
AnsiString ProfessionText(int professionNumber, int sexCode);

// ---- the current record of a dataset -------------------------------------------

enum { pnMain = 0, pnAlternative1 = 1, pnAlternative2 = 2 };
// The main name or an alternative, with "hl. " / "sel. " when asked, and
// with the alternative's type label in front ("geb.: Anna Muster").
AnsiString PersonNameText(TDataSet* person, int which, bool withHoliness, bool withTypeLabel);
// "D-A": the person's nations in their running order.
AnsiString PersonNations(TDataSet* person);
// "Maler, Grafiker und Dichter".
AnsiString PersonProfessions(TDataSet* person);
// Nations, a blank and professions; the professions alone without nations.
AnsiString PersonNationsProfessionsText(TDataSet* person);
enum { bpBirth = 0, bpDeath = 1, bpDeathOrSame = 2 };
// The place with its preposition; bpDeathOrSame gives "ebd." for a death
// place equal to the birth place.
AnsiString BirthDeathPlaceText(TDataSet* person, int which);
// which 0 the birth date, any other the death date.
AnsiString BirthDeathDateText(TDataSet* person, int which, int monthForm);
AnsiString EventDateText(TDataSet* event, int monthForm);
AnsiString NameDayDateText(TDataSet* patron, int monthForm);
AnsiString HolidayRuleText(TDataSet* holiday, int monthForm);
