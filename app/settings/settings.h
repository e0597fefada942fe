// The program's settings: globals read from "Orvelan.Ini" in the program
// directory at start (LoadSettings) and written back at the end
// (SaveSettings); every window reads them directly and the dialogs change
// them in memory only.
//
// Invariants after ReadSettingsFile:
//  - every ranged integer lies in its range (a value outside takes the key's
//    default, never the nearer bound); colour numbers lie in 0..15 and font
//    sizes in 1..255 for the same reason, page, paragraph and spacing values
//    within 72000 twips either way and the geographic position within 180
//    and 90 degrees, so that nothing computed from them overflows;
//  - ReferenceDataDir and UserDataDir end in the path delimiter and are
//    absolute; the file holds them relative to ProgramDir when they lie
//    inside it; a stored directory that does not exist is replaced for the
//    run by the program directory's own ("DATEN", "BENUTZER") and named in
//    MissingReferenceDataDir / MissingUserDataDir, and the file keeps it;
//  - texts are no longer than their fields (font names 32, titles 40,
//    rubric title 30, password 20, selection code 3 characters);
//  - an attribute block without underline colour has no underline style.
// The ini file holds the password, so it is always written owner-only
// (mode 0600), and all settings are written back in one atomic rewrite.
#pragma once

#include <cstdint>
#include <memory>

#include "calendar/packeddate.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/inifiles.h"

// ---- records shared by many windows ---------------------------------------

struct FontSettings {
  AnsiString FontName;  // at most 32 characters
  uint8_t Size = 10;    // points
  int32_t SpaceBefore = 0;
  int32_t SpaceAfter = 0;
};

// Style bits of TextAttributes.Styles (the rich-text engine's bits too).
constexpr uint32_t tsBold = 1, tsItalic = 2, tsUnderline = 4;

struct TextAttributes {
  uint32_t Styles = 0;
  uint8_t TextColour = 0;       // index into ColorTable
  uint8_t UnderlineColour = 0;  // index into ColorTable
};

// Twips.
struct ParagraphSettings {
  int32_t Hanging = 0;
  int32_t IndentLeft = 0;
  int32_t IndentRight = 0;
  int32_t SpaceBefore = 0;
  int32_t LineSpacing = 0;
  int32_t SpaceAfter = 0;
  bool operator==(const ParagraphSettings&) const = default;
};

struct TextStyleSettings {
  FontSettings Font;
  TextAttributes Attr;
  ParagraphSettings Para;
};

// The three text styles of a page block.
enum { psTitle = 0, psSubtitle = 1, psBody = 2 };

struct PageSettings {
  AnsiString Title;  // at most 40 characters
  TextStyleSettings Styles[3];
  int32_t PaperWidth = 11906;  // twips: A4 with 1 cm margins
  int32_t PaperHeight = 16838;
  int32_t MarginTop = 567;
  int32_t MarginBottom = 567;
  int32_t MarginLeft = 567;
  int32_t MarginRight = 567;
};

// A font and attribute pair of the data window's fixed styles.
struct FixedStyle {
  FontSettings Font;
  TextAttributes Attr;
};

// ---- rubrics and their display sections ------------------------------------

enum { rbEmpty = 0, rbPersonal = 1, rbBirths = 2, rbDeaths = 3, rbEvents = 4, rbNameDays = 5, rbHolidays = 6 };
constexpr int kRubricCount = 7;

// Switches and attribute blocks of each display section, by position in
// the section's lists (DisplayLayoutOf gives the keys).
// "PERSOENLICHE DATEN"
enum { dpBirthPlace, dpBirthTime, dpYears, dpJubilee };
enum { apYear, apYears, apJubilee, apName, apText };
// "GEBURTSTAGE" and "TODESTAGE": the place is the birth or the death place,
// the other date the death or the birth date.
enum { dbPlace, dbOtherDate, dbYears, dbJubilee };
enum { abYear, abYears, abJubilee, abName, abPlace, abProfession, abOtherDate, abText, abHyperlink };
// "EREIGNISSE"
enum { deYears, deJubilee };
enum { aeYear, aeYears, aeJubilee, aeText, aeHyperlink };
// "NAMENSTAGE"
enum { dnNameForms, dnLifeDates, dnPatronOf };
enum { anNameForms, anName, anProfession, anLifeDates, anPatronOf, anText, anHyperlink };
// "FEIERTAGE"
enum { dhNotes };
enum { ahCountry, ahNote, ahText, ahHyperlink };

struct DisplaySettings {
  bool Switches[4] = {};
  int MediaLinks = 0;     // sections without the key keep 0
  FontSettings Font;
  TextAttributes Attr[9];
  AnsiString RubricTitle;  // "PERSOENLICHE DATEN" only; at most 30 characters
};

struct DisplayLayout {
  const char* Section;
  int SwitchCount;
  const char* SwitchKeys[4];
  bool SwitchDefaults[4];
  int MediaLinksMax;  // -1: the section has no "Media Links"
  int AttrCount;
  const char* AttrNames[9];
};

// The layout of a rubric's display section (rubrics 1 to 6).
const DisplayLayout& DisplayLayoutOf(int rubric);

// ---- printed lists -----------------------------------------------------------

enum { plDiary = 0, plBirthdayList = 1, plBirthdayOverview = 2 };

struct PrintListSettings {
  int Selection = 0;         // 0 all entries, 1 entries with SelectionCode
  AnsiString SelectionCode;  // at most 3 characters
  PageSettings Page;
  TDateTime DateFrom = 0;  // lists 0 and 1
  TDateTime DateTo = 0;
  int Month = 0;  // list 2: 0..11
};

// ---- the globals ---------------------------------------------------------------

// "VERZEICHNISSE"; ProgramDir is not stored.
extern AnsiString ProgramDir;
extern AnsiString ReferenceDataDir;
extern AnsiString UserDataDir;
// A folder of the settings that was missing at the start (the directory
// above is then the program directory's own); empty when it was there.
extern AnsiString MissingReferenceDataDir;
extern AnsiString MissingUserDataDir;

// "ALLGEMEIN"
extern uint8_t Country;
extern long double Longitude;  // west positive
extern long double Latitude;   // north positive
extern uint8_t Confession;
extern uint8_t WeekStart;
extern uint8_t Weekend;
extern uint8_t ZodiacSign;
extern int SayingType;
extern bool ShowSaying;
extern bool SayingOnTop;
extern bool ShowWarner;
extern bool ShowLastRubric;
extern uint8_t CurrentRubric;
// A start rubric the program could not show (its password was refused):
// "Rubrik" keeps it instead of the title page shown, until the user
// chooses a rubric. -1 when there is none.
extern int HeldStartRubric;
extern bool TemplateNotice;
extern TDateTime LastStart;  // a whole day
// True when the file held a last start: the program ran here before, so
// its user tables were made then (not stored).
extern bool StartedBefore;
extern AnsiString Password;
extern bool PasswordOnce;
extern AnsiString PendingPassword;

// "DEFAULTS": the warner's defaults for new own entries.
extern bool Warner0On;
extern bool Warner1On;
extern int Warner1Days;
extern bool Warner2On;
extern int Warner2Days;

// "VORLAGEN DRUCKEN"
extern int TemplatePerson;
extern int TemplateLayout;

// "TAGEBUCH DRUCKEN", "GEBURTSTAGSLISTE DRUCKEN", "GEBURTSTAGSUEBERSICHT DRUCKEN"
extern PrintListSettings PrintLists[3];

// The display sections by rubric number; entry 0 is not used.
extern DisplaySettings RubricDisplay[kRubricCount];

// Fixed styles of the data window (set at start, never stored).
extern FixedStyle DispTitleStyle, DispHeadStyle, DispTextStyle;
extern TextAttributes DispLinkStyle;

// The day shown by the main window (not stored).
extern PackedDate CurrentDateKey;

// ---- routines ------------------------------------------------------------------

// Start: date and time formats, ProgramDir, the shared stream and the
// hyperlink cursor, every setting, the printer's orientation, then the data
// set-up (datasetup.h). A missing reference table or archive raises
// EDataSetupError with a German message naming the file; whatever was set up
// before is released again.
void LoadSettings();
// End: writes every setting back in one atomic rewrite, then releases the
// data objects (also when writing fails; the error is passed on).
void SaveSettings();
// Writes every setting now, as SaveSettings does: a dialog's Ok changed
// some, and they must outlast a crash. A file that cannot be written is
// said once (TellSettingsUnwritable) and stays as it was.
void StoreSettings();

// The settings file itself, for the steps above and for TOrvelanForm.
AnsiString SettingsFileName();
// At a program start, after LoadSettings: a settings file that cannot be
// read (the defaults are used) or cannot be written is named in German
// with what to do.
void ExplainSettingsFile();
// A write of the settings failed with the errno `err`: said once per run
// (not again when ExplainSettingsFile said it), in German with what to do.
void TellSettingsUnwritable(int err);
// A TIniFile on the settings file, marked owner-only.
std::unique_ptr<TIniFile> OpenSettingsFile();
// Every setting from the file into the globals / from the globals into it.
void ReadSettingsFile(TIniFile& ini);
void WriteSettingsFile(TIniFile& ini);

// A value outside low..high becomes the default.
void ResetIfOutOfRange(int& value, int low, int high, int def);
// The path with the platform's delimiter appended when it does not end in one.
AnsiString AddTrailingBackslash(const AnsiString& path);

// Block readers and writers. Keys are prefix + suffix with outer blanks
// removed, so an empty prefix gives the bare word.
void ReadFontSettings(TIniFile& ini, const AnsiString& section, const AnsiString& prefix, FontSettings& font,
                      const AnsiString& defName, int defSize);
void ReadTextAttr(TIniFile& ini, const AnsiString& section, const AnsiString& prefix, TextAttributes& attr,
                  uint32_t defStyles, int defTextColour, int defUnderlineColour, bool withUnderlineColour);
void ReadParaSettings(TIniFile& ini, const AnsiString& section, const AnsiString& prefix, ParagraphSettings& para,
                      int defSpaceBefore, int defSpaceAfter);
void ReadPageSettings(TIniFile& ini, const AnsiString& section, PageSettings& page, const AnsiString& defTitle);
void WriteFontSettings(TIniFile& ini, const AnsiString& section, const AnsiString& prefix, const FontSettings& font);
void WriteTextAttr(TIniFile& ini, const AnsiString& section, const AnsiString& prefix, const TextAttributes& attr,
                   bool withUnderlineColour);
void WriteParaSettings(TIniFile& ini, const AnsiString& section, const AnsiString& prefix,
                       const ParagraphSettings& para);
void WritePageSettings(TIniFile& ini, const AnsiString& section, const PageSettings& page);
