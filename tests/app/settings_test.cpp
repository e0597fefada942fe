// Settings file: every key read and written back with the same value, the
// defaults of an empty file, out-of-range values taking their defaults,
// Windows-1252 texts, owner-only rights and the start and end routines.
// The key list below is written from the file's documented layout, not
// from the program's tables, so a key the program forgets shows up.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <vector>

#include "app/settings/settings.h"
#include "app/text/helpers.h"
#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "resources/cursors.h"
#include "tests/app/app_fixture.h"

namespace {

using apptest::ProgramDirTest;
using apptest::Put;
using apptest::Slurp;
using KeyMap = std::map<std::pair<std::string, std::string>, std::string>;

AnsiString L(const char* utf8) { return Utf8ToCp1252OrThrow(utf8); }

// Every key of the settings file with a valid value unlike its default.
KeyMap EveryKey() {
  KeyMap m;
  int n = 0;  // makes the integers differ from key to key
  auto put = [&](const std::string& s, const std::string& k, const std::string& v) { m[{s, k}] = v; };
  auto next = [&](int lo, int hi) { return std::to_string(lo + (n++ % (hi - lo + 1))); };

  // Existing folders outside the program directory stay absolute.
  put("VERZEICHNISSE", "Grunddaten", "/usr/share/");
  put("VERZEICHNISSE", "Eigene Daten", "/tmp/");
  const std::string g = "ALLGEMEIN";
  put(g, "Land", "3");
  put(g, "Geografische Laenge", "8,5417");
  put(g, "Geografische Breite", "-47,25");
  put(g, "Konfession", "2");
  put(g, "Wochenbeginn", "7");
  put(g, "Wochenende", "2");
  put(g, "Sternzeichen", "1");
  put(g, "Spruchtyp", "11");
  put(g, "Spruch anzeigen", "1");
  put(g, "Spruchfenster immer oben", "1");
  put(g, "Termine anzeigen", "0");
  put(g, "Letzte Rubrik anzeigen", "1");
  put(g, "Rubrik", "6");
  put(g, "Vorlage-Hinweis", "0");
  put(g, "Letzter Programmstart", "45000");
  put(g, "Passwort", L("Gehéim"));
  put(g, "Passwort nur einmal", "0");
  put("DEFAULTS", "Terminwarner 0 ein", "0");
  put("DEFAULTS", "Terminwarner 1 ein", "0");
  put("DEFAULTS", "Terminwarner 1 Tage", "21");
  put("DEFAULTS", "Terminwarner 2 ein", "1");
  put("DEFAULTS", "Terminwarner 2 Tage", "1");
  put("VORLAGEN DRUCKEN", "Person", "12");
  put("VORLAGEN DRUCKEN", "Vorlage", "3");

  auto font = [&](const std::string& s, const std::string& p) {
    const std::string sep = p.empty() ? "" : " ";
    put(s, p + sep + "Schrift", "Times New Roman");
    put(s, p + sep + "Groesse", next(30, 60));
    put(s, p + sep + "Abstand vor", next(100, 999));
    put(s, p + sep + "Abstand nach", next(100, 999));
  };
  // Every flag the opposite of its default, colours away from 0 and 3.
  auto attr = [&](const std::string& s, const std::string& p, unsigned defStyles, bool underlineColour) {
    put(s, p + " Fett", defStyles & 1 ? "0" : "1");
    put(s, p + " Unterstrichen", underlineColour && !(defStyles & 4) ? "1" : "0");
    put(s, p + " Kursiv", defStyles & 2 ? "0" : "1");
    put(s, p + " Textfarbe", next(4, 15));
    if (underlineColour) put(s, p + " Unterstrichfarbe", next(4, 15));
  };
  auto para = [&](const std::string& s, const std::string& p) {
    for (const char* k : {" Haengend", " Einruecken links", " Einruecken rechts", " Abstand vor", " Zwischenraum",
                          " Abstand nach"})
      put(s, p + k, next(100, 999));
  };
  // Default styles of the elements (1 bold, 2 italic, 4 underline).
  auto elementStyles = [](const std::string& e) -> unsigned {
    if (e == "Anzahl Jahre" || e == "Namensformen" || e == "Anmerkung") return 2;
    if (e == "Jubilaeum" || e == "Land" || e == "Name") return 1;
    if (e == "Hyperlink") return 4;
    return 0;
  };
  const char* lists[] = {"TAGEBUCH DRUCKEN", "GEBURTSTAGSLISTE DRUCKEN", "GEBURTSTAGSUEBERSICHT DRUCKEN"};
  for (int i = 0; i < 3; ++i) {
    const std::string s = lists[i];
    put(s, "Selektion", "1");
    put(s, "Selektionscode", L("ÄB1"));
    put(s, "Titel", L("Meine Übersicht ") + std::to_string(i));
    const std::pair<const char*, unsigned> styles[] = {{"Titel", 3}, {"Untertitel", 1}, {"Text", 0}};
    for (const auto& [p, def] : styles) {
      font(s, p);  // its spacing keys are the paragraph's: written once below
      attr(s, p, def, true);
      para(s, p);
    }
    for (const char* k : {"Papier Breite", "Papier Hoehe", "Rand oben", "Rand unten", "Rand links", "Rand rechts"})
      put(s, k, next(1000, 9000));
    if (i < 2) {
      put(s, "Datum von", "02.03.1950");
      put(s, "Datum bis", "29.02.2000");
    } else {
      put(s, "Monat", "11");
    }
  }

  struct Display {
    const char* section;
    std::vector<std::pair<const char*, bool>> switches;  // key, default
    int mediaLinksMax;
    std::vector<const char*> elements;
  };
  const std::vector<Display> displays = {
      {"PERSOENLICHE DATEN", {{"Geburtsort", 1}, {"Geburtszeit", 1}, {"Anzahl Jahre", 0}, {"Jubilaeum", 1}}, -1,
       {"Jahreszahl", "Anzahl Jahre", "Jubilaeum", "Name", "Text"}},
      {"GEBURTSTAGE", {{"Geburtsort", 1}, {"Todesdatum", 1}, {"Anzahl Jahre", 0}, {"Jubilaeum", 1}}, 2,
       {"Jahreszahl", "Anzahl Jahre", "Jubilaeum", "Name", "Geburtsort", "Beruf", "Todesdatum", "Text", "Hyperlink"}},
      {"TODESTAGE", {{"Todesort", 1}, {"Geburtsdatum", 1}, {"Anzahl Jahre", 0}, {"Jubilaeum", 1}}, 2,
       {"Jahreszahl", "Anzahl Jahre", "Jubilaeum", "Name", "Todesort", "Beruf", "Geburtsdatum", "Text", "Hyperlink"}},
      {"EREIGNISSE", {{"Anzahl Jahre", 0}, {"Jubilaeum", 1}}, 1,
       {"Jahreszahl", "Anzahl Jahre", "Jubilaeum", "Text", "Hyperlink"}},
      {"NAMENSTAGE", {{"Namensformen", 1}, {"Lebensdaten", 1}, {"Patron(in) von", 1}}, 2,
       {"Namensformen", "Name", "Beruf", "Lebensdaten", "Patron(in) von", "Text", "Hyperlink"}},
      {"FEIERTAGE", {{"Anmerkungen", 1}}, -1, {"Land", "Anmerkung", "Text", "Hyperlink"}},
  };
  for (const Display& d : displays) {
    for (const auto& [key, def] : d.switches) put(d.section, key, def ? "0" : "1");
    if (d.mediaLinksMax >= 0) put(d.section, "Media Links", std::to_string(d.mediaLinksMax == 2 ? 2 : 0));
    if (std::string(d.section) == "PERSOENLICHE DATEN") put(d.section, "Rubriktitel", L("Meine Lieben"));
    font(d.section, "");
    for (const char* e : d.elements) attr(d.section, e, elementStyles(e), std::string(e) == "Hyperlink");
  }
  return m;
}

KeyMap ReadAll(const apptest::fs::path& file) {
  KeyMap m;
  TIniFile ini(file.string());
  TStringList sections, keys;
  ini.ReadSections(&sections);
  for (int s = 0; s < sections.Count(); ++s) {
    ini.ReadSection(sections.Strings(s), &keys);
    for (int k = 0; k < keys.Count(); ++k) m[{sections.Strings(s), keys.Strings(k)}] = ini.ReadString(sections.Strings(s), keys.Strings(k), "");
  }
  return m;
}

void WriteAll(const apptest::fs::path& file, const KeyMap& m) {
  TIniFile ini(file.string());
  ini.BeginUpdate();
  for (const auto& [k, v] : m) ini.WriteString(k.first, k.second, v);
  ini.EndUpdate();
}

void Load(const apptest::fs::path& file) {
  TIniFile ini(file.string());
  ReadSettingsFile(ini);
}

void Save(const apptest::fs::path& file) {
  TIniFile ini(file.string());
  WriteSettingsFile(ini);
}

class Settings : public ProgramDirTest {};

// Every key: written, read, written back — the same set of keys with the
// same values; and the globals hold what the file says.
TEST_F(Settings, EveryKeySurvivesReadAndWrite) {
  const KeyMap keys = EveryKey();
  WriteAll(Ini(), keys);
  Load(Ini());
  const auto out = Root() / "out.ini";
  Save(out);
  const KeyMap back = ReadAll(out);
  for (const auto& [k, v] : keys) {
    auto it = back.find(k);
    if (it == back.end()) {
      ADD_FAILURE() << "[" << k.first << "] " << k.second << " was not written";
      continue;
    }
    EXPECT_EQ(it->second, v) << "[" << k.first << "] " << k.second;
  }
  for (const auto& [k, v] : back)
    EXPECT_TRUE(keys.count(k)) << "[" << k.first << "] " << k.second << " is not a key of the file";

  EXPECT_EQ(ReferenceDataDir, "/usr/share/");
  EXPECT_EQ(Country, 3);
  EXPECT_NEAR(static_cast<double>(Longitude), 8.5417, 1e-12);
  EXPECT_NEAR(static_cast<double>(Latitude), -47.25, 1e-12);
  EXPECT_EQ(WeekStart, 7);
  EXPECT_EQ(SayingType, 11);
  EXPECT_TRUE(ShowSaying);
  EXPECT_FALSE(ShowWarner);
  EXPECT_EQ(CurrentRubric, rbHolidays);
  EXPECT_EQ(LastStart, 45000);
  EXPECT_EQ(Password, L("Gehéim"));
  EXPECT_EQ(PendingPassword, Password);
  EXPECT_FALSE(PasswordOnce);
  EXPECT_EQ(Warner1Days, 21);
  EXPECT_TRUE(Warner2On);
  EXPECT_EQ(TemplateLayout, 3);
  EXPECT_EQ(PrintLists[plBirthdayList].SelectionCode, L("ÄB1"));
  EXPECT_EQ(PrintLists[plDiary].DateTo, EncodeDate(2000, 2, 29));
  EXPECT_EQ(PrintLists[plBirthdayOverview].Month, 11);
  EXPECT_EQ(PrintLists[plBirthdayOverview].Page.Styles[psSubtitle].Font.FontName, "Times New Roman");
  EXPECT_EQ(RubricDisplay[rbPersonal].RubricTitle, "Meine Lieben");
  EXPECT_EQ(RubricDisplay[rbBirths].MediaLinks, 2);
  EXPECT_FALSE(RubricDisplay[rbNameDays].Switches[dnLifeDates]);
  EXPECT_TRUE(RubricDisplay[rbEvents].Switches[deYears]);
  EXPECT_EQ(RubricDisplay[rbBirths].Attr[abName].Styles, tsItalic);
  EXPECT_EQ(RubricDisplay[rbDeaths].Font.FontName, "Times New Roman");
}

// The values the documentation gives for an empty (or missing) file.
TEST_F(Settings, EmptyFileGivesEveryDefault) {
  Put(Ini(), "");
  Load(Ini());
  EXPECT_EQ(ReferenceDataDir, ProgramDir + "DATEN/");
  EXPECT_EQ(UserDataDir, ProgramDir + "BENUTZER/");
  EXPECT_EQ(Country, 0);
  EXPECT_EQ(Longitude, -10.0L);
  EXPECT_EQ(Latitude, 50.0L);
  EXPECT_EQ(Confession, 1);
  EXPECT_EQ(WeekStart, 1);
  EXPECT_EQ(Weekend, 1);
  EXPECT_EQ(ZodiacSign, 0);
  EXPECT_EQ(SayingType, 0);
  EXPECT_FALSE(ShowSaying);
  EXPECT_FALSE(SayingOnTop);
  EXPECT_TRUE(ShowWarner);
  EXPECT_TRUE(ShowLastRubric);
  EXPECT_EQ(CurrentRubric, rbEmpty);
  EXPECT_TRUE(TemplateNotice);
  EXPECT_EQ(LastStart, Trunc(Date()) - 1);  // as if the program last ran yesterday
  EXPECT_EQ(Password, "");
  EXPECT_TRUE(PasswordOnce);
  EXPECT_TRUE(Warner0On);
  EXPECT_TRUE(Warner1On);
  EXPECT_EQ(Warner1Days, 2);
  EXPECT_FALSE(Warner2On);
  EXPECT_EQ(Warner2Days, 5);
  EXPECT_EQ(TemplatePerson, 0);
  EXPECT_EQ(TemplateLayout, 1);

  const char* titles[] = {"Tagebuch", "Geburtstagsliste", "Geburtstagsübersicht"};
  for (int i = 0; i < 3; ++i) {
    const PrintListSettings& p = PrintLists[i];
    EXPECT_EQ(p.Selection, 0);
    EXPECT_EQ(p.SelectionCode, "");
    EXPECT_EQ(p.Page.Title, L(titles[i]));
    EXPECT_EQ(p.Page.PaperWidth, 11906);
    EXPECT_EQ(p.Page.PaperHeight, 16838);
    for (int m : {p.Page.MarginTop, p.Page.MarginBottom, p.Page.MarginLeft, p.Page.MarginRight}) EXPECT_EQ(m, 567);
    const TextStyleSettings& t = p.Page.Styles[psTitle];
    EXPECT_EQ(t.Font.FontName, "Arial");
    EXPECT_EQ(t.Font.Size, 22);
    EXPECT_EQ(t.Attr.Styles, tsBold | tsItalic);
    EXPECT_EQ(t.Para.SpaceBefore, 0);
    EXPECT_EQ(t.Para.SpaceAfter, 84);
    const TextStyleSettings& sub = p.Page.Styles[psSubtitle];
    EXPECT_EQ(sub.Font.Size, 12);
    EXPECT_EQ(sub.Attr.Styles, tsBold);
    EXPECT_EQ(sub.Para.SpaceBefore, 56);
    EXPECT_EQ(sub.Para.SpaceAfter, 28);
    const TextStyleSettings& body = p.Page.Styles[psBody];
    EXPECT_EQ(body.Font.Size, 10);
    EXPECT_EQ(body.Attr.Styles, 0u);
    EXPECT_EQ(body.Para.SpaceAfter, 28);
    if (i < 2) {
      EXPECT_EQ(p.DateFrom, EncodeDate(1900, 1, 1));
      EXPECT_EQ(p.DateTo, EncodeDate(1999, 12, 31));
    }
  }

  const DisplaySettings& births = RubricDisplay[rbBirths];
  EXPECT_TRUE(births.Switches[dbPlace]);
  EXPECT_TRUE(births.Switches[dbOtherDate]);
  EXPECT_FALSE(births.Switches[dbYears]);
  EXPECT_TRUE(births.Switches[dbJubilee]);
  EXPECT_EQ(births.MediaLinks, 1);
  EXPECT_EQ(births.Font.FontName, "Arial");
  EXPECT_EQ(births.Font.Size, 10);
  EXPECT_EQ(births.Attr[abYear].Styles, 0u);
  EXPECT_EQ(births.Attr[abYears].Styles, tsItalic);
  EXPECT_EQ(births.Attr[abJubilee].Styles, tsBold);
  EXPECT_EQ(births.Attr[abName].Styles, tsBold);
  EXPECT_EQ(births.Attr[abName].TextColour, 3);
  EXPECT_EQ(births.Attr[abHyperlink].Styles, tsUnderline);
  EXPECT_EQ(births.Attr[abHyperlink].TextColour, 3);
  EXPECT_EQ(births.Attr[abHyperlink].UnderlineColour, 3);
  EXPECT_EQ(RubricDisplay[rbPersonal].RubricTitle, L("Persönliches"));
  EXPECT_EQ(RubricDisplay[rbNameDays].Attr[anNameForms].Styles, tsItalic);
  EXPECT_EQ(RubricDisplay[rbHolidays].Attr[ahCountry].Styles, tsBold);
  EXPECT_EQ(RubricDisplay[rbHolidays].Attr[ahNote].Styles, tsItalic);
  EXPECT_TRUE(RubricDisplay[rbHolidays].Switches[dhNotes]);
  EXPECT_EQ(RubricDisplay[rbEvents].MediaLinks, 1);
  EXPECT_EQ(RubricDisplay[rbPersonal].MediaLinks, 0);

  EXPECT_EQ(DispTitleStyle.Font.Size, 12);
  EXPECT_EQ(DispTitleStyle.Attr.Styles, tsBold);
  EXPECT_EQ(DispTextStyle.Attr.Styles, 0u);
  EXPECT_EQ(DispLinkStyle.Styles, tsUnderline);
  EXPECT_EQ(DispLinkStyle.UnderlineColour, 3);
}

// A value outside its range takes the key's default, not the nearer bound;
// unreadable numbers and dates take their defaults too.
TEST_F(Settings, OutOfRangeValuesTakeTheirDefaults) {
  Put(Ini(),
      "[ALLGEMEIN]\r\nSpruchtyp=12\r\nRubrik=7\r\nLand=300\r\nGeografische Laenge=abc\r\nGeografische Breite=\r\n"
      "[DEFAULTS]\r\nTerminwarner 1 Tage=0\r\nTerminwarner 2 Tage=22\r\n"
      "[TAGEBUCH DRUCKEN]\r\nSelektion=2\r\nDatum von=31.02.1999\r\nDatum bis=morgen\r\nTitel Groesse=0\r\n"
      "Text Textfarbe=16\r\n"
      "[GEBURTSTAGSUEBERSICHT DRUCKEN]\r\nMonat=12\r\nSelektionscode=ABCDEF\r\n"
      "[GEBURTSTAGE]\r\nMedia Links=3\r\nName Textfarbe=-1\r\nGroesse=256\r\nSchrift=\r\n"
      "[EREIGNISSE]\r\nMedia Links=2\r\nHyperlink Unterstrichfarbe=99\r\n");
  Load(Ini());
  EXPECT_EQ(SayingType, 0);
  EXPECT_EQ(CurrentRubric, rbEmpty);
  EXPECT_EQ(Country, 0);
  EXPECT_EQ(Longitude, -10.0L);
  EXPECT_EQ(Latitude, 50.0L);
  EXPECT_EQ(Warner1Days, 2);
  EXPECT_EQ(Warner2Days, 5);
  EXPECT_EQ(PrintLists[plDiary].Selection, 0);
  EXPECT_EQ(PrintLists[plDiary].DateFrom, EncodeDate(1900, 1, 1));
  EXPECT_EQ(PrintLists[plDiary].DateTo, EncodeDate(1999, 12, 31));
  EXPECT_EQ(PrintLists[plDiary].Page.Styles[psTitle].Font.Size, 22);
  EXPECT_EQ(PrintLists[plDiary].Page.Styles[psBody].Attr.TextColour, 0);
  EXPECT_EQ(PrintLists[plBirthdayOverview].Month, 0);
  EXPECT_EQ(PrintLists[plBirthdayOverview].SelectionCode, "ABC");  // the field holds three characters
  EXPECT_EQ(RubricDisplay[rbBirths].MediaLinks, 1);
  EXPECT_EQ(RubricDisplay[rbBirths].Attr[abName].TextColour, 3);
  EXPECT_EQ(RubricDisplay[rbBirths].Font.Size, 10);
  EXPECT_EQ(RubricDisplay[rbBirths].Font.FontName, "Arial");
  EXPECT_EQ(RubricDisplay[rbEvents].MediaLinks, 1);
  EXPECT_EQ(RubricDisplay[rbEvents].Attr[aeHyperlink].UnderlineColour, 3);

  // A position that is not a number is written back as the default.
  Save(Ini());
  TIniFile ini(Ini().string());
  EXPECT_EQ(ini.ReadString("ALLGEMEIN", "Geografische Laenge", ""), "-10");
  EXPECT_EQ(ini.ReadString("ALLGEMEIN", "Geografische Breite", ""), "50");
}

TEST_F(Settings, RubricIsReadOnlyWhenTheLastRubricIsShown) {
  Put(Ini(), "[ALLGEMEIN]\r\nLetzte Rubrik anzeigen=0\r\nRubrik=3\r\n");
  Load(Ini());
  EXPECT_EQ(CurrentRubric, rbEmpty);
  CurrentRubric = rbEvents;  // the page shown at shut-down
  Save(Ini());
  EXPECT_EQ(TIniFile(Ini().string()).ReadInteger("ALLGEMEIN", "Rubrik", -1), rbEvents);
  Put(Ini(), "[ALLGEMEIN]\r\nRubrik=3\r\n");
  Load(Ini());
  EXPECT_EQ(CurrentRubric, rbDeaths);
}

// Keys of the blocks: no prefix for a display section's font; hyperlinks
// with an underline colour; other elements without, and then without
// underline style.
TEST_F(Settings, BlockKeysAndUnderlineColours) {
  Put(Ini(), "[GEBURTSTAGE]\r\nName Unterstrichen=1\r\nName Unterstrichfarbe=5\r\n");
  Load(Ini());
  EXPECT_EQ(RubricDisplay[rbBirths].Attr[abName].Styles & tsUnderline, 0u);
  EXPECT_EQ(RubricDisplay[rbBirths].Attr[abName].UnderlineColour, 0);
  Save(Ini());
  TIniFile ini(Ini().string());
  for (const char* k : {"Schrift", "Groesse", "Abstand vor", "Abstand nach", "Hyperlink Fett", "Hyperlink Unterstrichen",
                        "Hyperlink Kursiv", "Hyperlink Textfarbe", "Hyperlink Unterstrichfarbe", "Name Textfarbe"})
    EXPECT_TRUE(ini.ValueExists("GEBURTSTAGE", k)) << k;
  EXPECT_EQ(ini.ReadString("GEBURTSTAGE", "Name Unterstrichen", ""), "0");
  // The stale colour key of the old file is left as it was; the program
  // writes none of its own for the name.
  EXPECT_EQ(ini.ReadString("GEBURTSTAGE", "Name Unterstrichfarbe", ""), "5");
  EXPECT_FALSE(ini.ValueExists("TODESTAGE", "Name Unterstrichfarbe"));
  EXPECT_FALSE(ini.ValueExists("TODESTAGE", " Schrift"));
  EXPECT_TRUE(ini.ValueExists("TAGEBUCH DRUCKEN", "Untertitel Unterstrichfarbe"));
}

// A page style's font block and paragraph block share their spacing keys:
// after a load both hold the file's value, so a save and a second load
// change nothing.
TEST_F(Settings, PageStyleSpacingSurvivesSaveAndLoad) {
  Put(Ini(), "");
  Load(Ini());
  const TextStyleSettings before = PrintLists[plDiary].Page.Styles[psSubtitle];
  EXPECT_EQ(before.Font.SpaceBefore, 56);
  Save(Ini());
  Load(Ini());
  const TextStyleSettings& after = PrintLists[plDiary].Page.Styles[psSubtitle];
  EXPECT_EQ(after.Font.SpaceBefore, before.Font.SpaceBefore);
  EXPECT_EQ(after.Font.SpaceAfter, before.Font.SpaceAfter);
  EXPECT_EQ(after.Para.SpaceBefore, 56);
  EXPECT_EQ(after.Para.SpaceAfter, 28);
}

// A file written by the older program: Windows-1252 bytes, decimal commas,
// paths the Windows way are kept as written, and found where no folder is
// named with their backslashes.
TEST_F(Settings, OlderFileInWindows1252) {
  apptest::fs::create_directories(Root() / "Alt" / "DATEN");
  apptest::fs::create_directories(Root() / "Ben\\utzer");
  Put(Ini(),
      "[VERZEICHNISSE]\r\nGrunddaten=Alt\\DATEN\\\r\nEigene Daten=Ben\\utzer\r\n[ALLGEMEIN]\r\nPasswort=Gr\xFC\xDF" "e\r\nGeografische Laenge=-7,4474\r\n"
      "[PERSOENLICHE DATEN]\r\nRubriktitel=F\xFCr mich und \x80uro\r\n"
      "[GEBURTSTAGSUEBERSICHT DRUCKEN]\r\nTitel=Geburtstags\xFC" "bersicht 2024\r\n");
  Load(Ini());
  EXPECT_EQ(ReferenceDataDir, ProgramDir + "Alt/DATEN/");
  EXPECT_EQ(UserDataDir, ProgramDir + "Ben\\utzer/");
  EXPECT_EQ(Password, L("Grüße"));
  EXPECT_NEAR(static_cast<double>(Longitude), -7.4474, 1e-12);
  EXPECT_EQ(RubricDisplay[rbPersonal].RubricTitle, L("Für mich und €uro"));
  EXPECT_EQ(PrintLists[plBirthdayOverview].Page.Title, L("Geburtstagsübersicht 2024"));
  Save(Ini());
  const std::string bytes = Slurp(Ini());
  EXPECT_NE(bytes.find("Passwort=Gr\xFC\xDF" "e\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("Rubriktitel=F\xFCr mich und \x80uro\r\n"), std::string::npos);
}

TEST_F(Settings, HelpersOfTheReader) {
  int v = 12;
  ResetIfOutOfRange(v, 0, 11, 0);
  EXPECT_EQ(v, 0);
  v = 11;
  ResetIfOutOfRange(v, 0, 11, 0);
  EXPECT_EQ(v, 11);
  v = 0;
  ResetIfOutOfRange(v, 1, 21, 2);
  EXPECT_EQ(v, 2);
  EXPECT_EQ(AddTrailingBackslash("/opt/daten"), "/opt/daten/");
  EXPECT_EQ(AddTrailingBackslash("/opt/daten/"), "/opt/daten/");
  EXPECT_EQ(AddTrailingBackslash(""), "/");
}

// The file holds the password: the program writes it for its owner only,
// in one rewrite that keeps the lines it does not know.
TEST_F(Settings, SavedFileIsOwnerOnlyAndKeepsForeignLines) {
  Put(Ini(), "; eigene Notiz\r\n[HAUPTFENSTER]\r\nLinks=12\r\n");
  ::chmod(Ini().c_str(), 0644);
  Load(Ini());
  Password = " geheim ";  // blanks at its ends are its own
  auto ini = OpenSettingsFile();
  WriteSettingsFile(*ini);
  struct stat st {};
  ASSERT_EQ(::stat(Ini().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  const std::string text = Slurp(Ini());
  EXPECT_EQ(text.rfind("; eigene Notiz\r\n[HAUPTFENSTER]\r\nLinks=12\r\n", 0), 0u);
  EXPECT_NE(text.find("Passwort=\" geheim \"\r\n"), std::string::npos);
  Load(Ini());
  EXPECT_EQ(Password, " geheim ");
}

// The start routine sets the formats, the hyperlink cursor and the
// printer; the end routine writes the file.
TEST_F(Settings, LoadAndSaveAroundTheData) {
  CopyReferenceData();
  Printer()->SetOrientation(poLandscape);
  ShortDateFormat = "yyyy-MM-dd";
  Put(Ini(), "[ALLGEMEIN]\r\nSpruchtyp=4\r\n");
  LoadSettings();
  EXPECT_EQ(ShortDateFormat, "dd.MM.yyyy");
  EXPECT_EQ(ShortTimeFormat, "hh:mm");
  EXPECT_EQ(Printer()->Orientation(), poPortrait);
  ASSERT_TRUE(Screen->HasCursor(crHyperlink));
  EXPECT_EQ(SayingType, 4);
  SayingType = 9;
  LastStart = Trunc(Date());
  SaveSettings();
  EXPECT_EQ(SharedStream, nullptr);
  TIniFile ini(Ini().string());
  EXPECT_EQ(ini.ReadInteger("ALLGEMEIN", "Spruchtyp", -1), 9);
  EXPECT_EQ(ini.ReadInteger("ALLGEMEIN", "Letzter Programmstart", -1), Trunc(Date()));
}

}  // namespace
