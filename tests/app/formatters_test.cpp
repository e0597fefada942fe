// Record formatters: the German texts of names, places, nations,
// professions, historic dates, holiday rules and day offsets, checked by
// hand against the sample persons and holidays of the reference data, and
// the lookups' attribute texts on rows of a table made for the test.
#include <gtest/gtest.h>

#include <memory>

#include "app/settings/datasetup.h"
#include "app/text/formatters.h"
#include "dbclient/bapi.h"
#include "dbengine/dictionary.h"
#include "dbengine/fieldtypes.h"
#include "platform/rtl/cp1252.h"
#include "tests/app/app_fixture.h"

namespace {

AnsiString L(const char* utf8) { return Utf8ToCp1252OrThrow(utf8); }

TEST(Formatters, DisplayNames) {
  EXPECT_EQ(ComposeDisplayName("Muster, Anna", "von"), "Anna von Muster");
  EXPECT_EQ(ComposeDisplayName("Arc, Jeanne", "d'"), "Jeanne d'Arc");
  EXPECT_EQ(ComposeDisplayName("Muster, Anna", "Graf-"), "Anna Graf-Muster");
  EXPECT_EQ(ComposeDisplayName("Sappho", ""), "Sappho");
  EXPECT_EQ(ComposeDisplayName("Sappho", "von"), "von Sappho");
  EXPECT_EQ(ComposeDisplayName("  Muster ,  Anna Maria ", ""), "Anna Maria Muster");
  EXPECT_EQ(ComposeDisplayName("Muster,", ""), "Muster");
  EXPECT_EQ(ComposeDisplayName("", ""), "");
  EXPECT_EQ(NameTypeLabel(4), L("bürgerlich"));
  EXPECT_EQ(NameTypeLabel(7), "geb.");
  for (int t : {0, 9, 10, 11, -1}) EXPECT_EQ(NameTypeLabel(t), "") << t;
  // A particle closing the given names joins the surname without a blank.
  EXPECT_EQ(ComposeDisplayName("Sadat, Anwar as-", ""), "Anwar as-Sadat");

  AnsiString s = "   x";
  TrimLeadingBlanks(s);
  EXPECT_EQ(s, "x");
  s = "   ";
  TrimLeadingBlanks(s);
  EXPECT_EQ(s, " ");  // one character is always left
}

TEST(Formatters, PlacePrepositions) {
  EXPECT_EQ(PlacePreposition(1), "in ");
  EXPECT_EQ(PlacePreposition(9), "verschollen in ");
  EXPECT_EQ(PlacePreposition(13), "auf See vor ");
  EXPECT_EQ(PlacePreposition(14), "vermutlich in ");
  EXPECT_EQ(PlacePreposition(16), "im heutigen ");
  EXPECT_EQ(PlacePreposition(19), "auf der Reise nach ");
  for (int c : {0, 15, 20, 255, -3}) EXPECT_EQ(PlacePreposition(c), "") << c;
}

TEST(Formatters, HistoricDates) {
  EXPECT_EQ(HistoricDateText(1962, 7, 5, 0, 1, hdBirth, mfFull), "5. Juli 1962");
  EXPECT_EQ(HistoricDateText(1962, 7, 5, 0, 1, hdBirth, mfNumeric), "5.7.1962");
  EXPECT_EQ(HistoricDateText(1962, 3, 5, 0, 1, hdBirth, mfShort), L("5. März 1962"));
  EXPECT_EQ(HistoricDateText(1962, 8, 5, 0, 1, hdBirth, mfShort), "5. Aug. 1962");
  EXPECT_EQ(HistoricDateText(1500, 0, 0, 6, 1, hdBirth, mfFull), "vermutlich 1500");
  EXPECT_EQ(HistoricDateText(44, 3, 15, 0, 0, hdDeath, mfNumeric), "15.3.44\xA0v.Chr.");
  EXPECT_EQ(HistoricDateText(1770, 12, 17, 5, 1, hdBirth, mfFull), "getauft 17. Dezember 1770");
  EXPECT_EQ(HistoricDateText(1827, 3, 29, 5, 1, hdDeath, mfFull), L("beerdigt 29. März 1827"));
  EXPECT_EQ(HistoricDateText(1827, 3, 29, 5, 1, hdOther, mfFull), L("29. März 1827"));
  EXPECT_EQ(HistoricDateText(1930, 11, 0, 6, 1, hdDeath, mfFull), "vermutlich im November 1930");
  EXPECT_EQ(HistoricDateText(1930, 11, 0, 6, 1, hdDeath, mfNumeric), "vermutlich im 11.1930");
  EXPECT_EQ(HistoricDateText(1930, 11, 0, 7, 1, hdDeath, mfFull), "wahrscheinlich im November 1930");
  EXPECT_EQ(HistoricDateText(1328, 4, 30, 2, 1, hdDeath, mfFull), "vor dem 30. April 1328");
  EXPECT_EQ(HistoricDateText(1328, 4, 0, 2, 1, hdDeath, mfFull), "vor April 1328");
  EXPECT_EQ(HistoricDateText(973, 0, 0, 3, 1, hdDeath, mfFull), "nach 973");
  EXPECT_EQ(HistoricDateText(1260, 0, 0, 4, 1, hdBirth, mfFull), "um 1260");
  EXPECT_EQ(HistoricDateText(1260, 5, 1, 4, 1, hdBirth, mfFull), "um den 1. Mai 1260");
  EXPECT_EQ(HistoricDateText(1260, 5, 1, 8, 1, hdBirth, mfFull), "vermutlich um den 1. Mai 1260");
  EXPECT_EQ(HistoricDateText(1260, 0, 0, 8, 0, hdBirth, mfFull), "vermutlich um 1260\xA0v.Chr.");
  EXPECT_EQ(HistoricDateText(630, 0, 0, 4, 0, hdBirth, mfNumeric), "um 630\xA0v.Chr.");
  EXPECT_EQ(HistoricDateText(1749, 0, 0, 0, 1, hdBirth, mfNumeric), "1749");  // a year alone
  EXPECT_EQ(HistoricDateText(0, 8, 1, 1, 1, hdOther, mfFull), "1. August");
  EXPECT_EQ(HistoricDateText(0, 0, 0, 6, 0, hdBirth, mfFull), "");  // nothing known, qualifier or not
  EXPECT_EQ(HistoricDateText(1900, 13, 0, 0, 1, hdBirth, mfFull), "1900");  // no month 13
}

TEST(Formatters, DayOffsets) {
  EXPECT_EQ(DaysOffsetText("An", "Ostern", 0, false), "An Ostern");
  EXPECT_EQ(DaysOffsetText("An", "Ostern", 1, true), "Einen Tag vor Ostern");
  EXPECT_EQ(DaysOffsetText("An", "Ostern", 1, false), "Einen Tag nach Ostern");
  EXPECT_EQ(DaysOffsetText("An", "Ostern", 50, false), "50 Tage nach Ostern");
  EXPECT_EQ(DaysOffsetText("Bei", "Vollmond", 3, true), "3 Tage vor Vollmond");
}

TEST(Formatters, HolidayRules) {
  EXPECT_EQ(HolidayRuleText(0, 8, 1, mfFull), "");
  EXPECT_EQ(HolidayRuleText(1, 8, 1, mfFull), "1. August");
  EXPECT_EQ(HolidayRuleText(1, 8, 1, mfNumeric), "1.8.");
  EXPECT_EQ(HolidayRuleText(2, 11, 11, mfFull), "Montag nach dem 11. November");
  EXPECT_EQ(HolidayRuleText(3, 11, 11, mfFull), "Sonntag nach dem 11. November");
  EXPECT_EQ(HolidayRuleText(4, 4, 3, mfFull), "3. Montag im April");
  EXPECT_EQ(HolidayRuleText(5, 4, 1, mfFull), "1. Dienstag im April");
  EXPECT_EQ(HolidayRuleText(7, 11, 4, mfShort), "4. Donnerstag im Nov.");
  EXPECT_EQ(HolidayRuleText(9, 6, 2, mfFull), "2. Samstag im Juni");
  EXPECT_EQ(HolidayRuleText(10, 5, 2, mfFull), "2. Sonntag im Mai");
  EXPECT_EQ(HolidayRuleText(10, 3, 9, mfFull), L("Letzter Sonntag im März"));
  EXPECT_EQ(HolidayRuleText(4, 5, 9, mfFull), "Letzter Montag im Mai");
  EXPECT_EQ(HolidayRuleText(11, 0, 0, mfFull), "An Ostern");
  EXPECT_EQ(HolidayRuleText(11, 0, 1, mfFull), "Einen Tag nach Ostern");
  EXPECT_EQ(HolidayRuleText(11, 0, 50, mfFull), "50 Tage nach Ostern");
  EXPECT_EQ(HolidayRuleText(12, 0, 47, mfFull), "47 Tage vor Ostern");
  EXPECT_EQ(HolidayRuleText(13, 0, 0, mfFull), "Bei Vollmond");
  EXPECT_EQ(HolidayRuleText(13, 0, 3, mfFull), "3 Tage nach Vollmond");
  EXPECT_EQ(HolidayRuleText(14, 0, 1, mfFull), "Einen Tag vor Vollmond");
  EXPECT_EQ(HolidayRuleText(15, 8, 1, mfFull), "");
  EXPECT_EQ(HolidayRuleText(4, 0, 1, mfFull), "");  // a damaged month gives nothing, not an error
}

// There is no year 0: 1 before Christ is followed by 1 after Christ.
TEST(Formatters, YearsSinceAcrossTheMissingYearZero) {
  const PackedDate y2000 = MakePackedDate(2000, 6, 1);
  EXPECT_EQ(YearsSinceHistoricYear(1749, 1, y2000), 251);
  EXPECT_EQ(YearsSinceHistoricYear(2000, 1, y2000), 0);
  EXPECT_EQ(YearsSinceHistoricYear(1, 0, MakePackedDate(1600, 1, 1)), 1600);
  EXPECT_EQ(YearsSinceHistoricYear(44, 0, y2000), 2043);
  EXPECT_EQ(YearsSinceHistoricYear(630, 0, MakePackedDate(2024, 1, 1)), 2653);
}

// The sample persons, read through the shared lookup tables.
class SamplePersons : public apptest::ProgramDirTest {
 protected:
  void SetUp() override {
    ProgramDirTest::SetUp();
    CopyReferenceData();
    LoadSettings();
    person_ = apptest::OpenTable("Orvelan", "PERSON.FFD", "XPKPERS");
  }
  void TearDown() override {
    person_.reset();
    ProgramDirTest::TearDown();
  }
  TDataSet* Person(int id) {
    EXPECT_TRUE(person_->FindKey({id})) << id;
    return person_.get();
  }
  std::unique_ptr<TwwTable> person_;
};

TEST_F(SamplePersons, NamesWithPrefixesHolinessAndAlternatives) {
  EXPECT_EQ(PersonNameText(Person(1), pnMain, false, false), "Johann Wolfgang von Goethe");
  EXPECT_EQ(PersonNameText(Person(305), pnMain, true, true), "Ludwig van Beethoven");
  EXPECT_EQ(PersonNameText(Person(2), pnAlternative1, false, true),
            L("vollständig: Johann Christoph Friedrich von Schiller"));
  EXPECT_EQ(PersonNameText(Person(2), pnAlternative1, false, false), "Johann Christoph Friedrich von Schiller");
  EXPECT_EQ(PersonNameText(Person(2), pnAlternative2, true, true), "");
  EXPECT_EQ(PersonNameText(Person(738), pnMain, true, true), L("hl. Niklaus von Flüe"));
  EXPECT_EQ(PersonNameText(Person(738), pnMain, false, true), L("Niklaus von Flüe"));
  EXPECT_EQ(PersonNameText(Person(738), pnAlternative1, true, true), "auch: hl. Bruder Klaus");
  EXPECT_EQ(PersonNameText(Person(1633), pnAlternative1, true, true), "genannt: Meister Eckhart");
  EXPECT_EQ(PersonNameText(Person(1599), pnMain, false, false), L("Johann T’Serclaes von Tilly"));
}

TEST_F(SamplePersons, NationsAndProfessionsBySex) {
  EXPECT_EQ(PersonNations(Person(1)), "D");
  EXPECT_EQ(PersonProfessions(Person(1)), "Dichter, Naturforscher und Staatsmann");
  EXPECT_EQ(PersonNationsProfessionsText(Person(1)), "D Dichter, Naturforscher und Staatsmann");
  EXPECT_EQ(PersonNationsProfessionsText(Person(305)), "D Komponist und Pianist");
  EXPECT_EQ(PersonNationsProfessionsText(Person(89)), L("RO-F Dichter und Übersetzer"));
  EXPECT_EQ(PersonNationsProfessionsText(Person(132)), "GR Dichterin");
  EXPECT_EQ(PersonNationsProfessionsText(Person(719)), "D-NL Tagebuchschreiberin");
  EXPECT_EQ(PersonNationsProfessionsText(Person(1634)), "D Dichterin und Kanonisse");
  EXPECT_EQ(PersonProfessions(Person(901)), "");  // no profession at all
}

TEST_F(SamplePersons, PlacesWithPrepositions) {
  EXPECT_EQ(BirthDeathPlaceText(Person(1), bpBirth), "in Frankfurt am Main");
  EXPECT_EQ(BirthDeathPlaceText(Person(1), bpDeathOrSame), "in Weimar");
  EXPECT_EQ(BirthDeathPlaceText(Person(132), bpBirth), "auf Lesbos");
  EXPECT_EQ(BirthDeathPlaceText(Person(132), bpDeath), "");  // death place unknown
  EXPECT_EQ(BirthDeathPlaceText(Person(18), bpDeath), "bei Montreux");
  EXPECT_EQ(BirthDeathPlaceText(Person(478), bpDeath), L("auf Grönland"));
  EXPECT_EQ(BirthDeathPlaceText(Person(5), bpDeath), L("in Königsberg"));
  EXPECT_EQ(BirthDeathPlaceText(Person(5), bpDeathOrSame), "ebd.");
  EXPECT_EQ(BirthDeathPlaceText(Person(650), bpBirth), "");
}

TEST_F(SamplePersons, BirthAndDeathDates) {
  EXPECT_EQ(BirthDeathDateText(Person(1), 0, mfFull), "28. August 1749");
  EXPECT_EQ(BirthDeathDateText(Person(1), 0, mfNumeric), "28.8.1749");
  EXPECT_EQ(BirthDeathDateText(Person(1), 1, mfShort), L("22. März 1832"));
  EXPECT_EQ(BirthDeathDateText(Person(305), 0, mfFull), "getauft 17. Dezember 1770");
  EXPECT_EQ(BirthDeathDateText(Person(70), 0, mfFull), "vermutlich am 28. Oktober 1466");
  EXPECT_EQ(BirthDeathDateText(Person(89), 1, mfFull), "vermutlich am 20. April 1970");
  EXPECT_EQ(BirthDeathDateText(Person(478), 1, mfFull), "vermutlich im November 1930");
  EXPECT_EQ(BirthDeathDateText(Person(650), 0, mfFull), "wahrscheinlich am 2. April 748");
  EXPECT_EQ(BirthDeathDateText(Person(1633), 1, mfNumeric), "vor dem 30.4.1328");
  EXPECT_EQ(BirthDeathDateText(Person(1634), 1, mfFull), "nach 973");
  EXPECT_EQ(BirthDeathDateText(Person(1599), 0, mfFull), "Februar 1559");
  EXPECT_EQ(BirthDeathDateText(Person(132), 0, mfFull), "um 630\xA0v.Chr.");
  EXPECT_EQ(BirthDeathDateText(Person(146), 0, mfFull), "3. Januar 106\xA0v.Chr.");
  EXPECT_EQ(BirthDeathDateText(Person(146), 1, mfNumeric), "7.12.43\xA0v.Chr.");
  EXPECT_EQ(BirthDeathDateText(Person(901), 0, mfFull), "");
  EXPECT_EQ(YearsSinceHistoricYear(Person(146)->FieldByName("PERS_GEBJ")->AsInteger(),
                                   Person(146)->FieldByName("PERS_GNCHR")->AsInteger(), MakePackedDate(2000, 1, 3)),
            2105);
}

TEST_F(SamplePersons, EventNameDayAndHolidayRecords) {
  auto event = apptest::OpenTable("Orvelan", "EREIGNIS.FFD", "XPKEREI");
  ASSERT_TRUE(event->FindKey({83}));
  EXPECT_EQ(EventDateText(event.get(), mfFull), "1. August 1291");
  ASSERT_TRUE(event->FindKey({1}));
  EXPECT_EQ(EventDateText(event.get(), mfNumeric), "9.11.1989");

  auto patron = apptest::OpenTable("Orvelan", "PATRON.FFD", "PA_MT");
  patron->FindNearest({12, 6, 0});
  ASSERT_EQ(patron->FieldByName("PATR_MONAT")->AsInteger(), 12);
  ASSERT_EQ(patron->FieldByName("PATR_TAG")->AsInteger(), 6);  // Nikolaus
  EXPECT_EQ(NameDayDateText(patron.get(), mfFull), "6. Dezember");
  EXPECT_EQ(NameDayDateText(patron.get(), mfNumeric), "6.12.");

  // Holidays by their titles in the sample data.
  auto holiday = apptest::OpenTable("Orvelan", "FEIERTAG.FFD");
  auto rule = [&](const char* title) {
    for (holiday->First(); !holiday->Eof(); holiday->Next())
      if (holiday->FieldByName("FTAG_TITEL")->AsString() == L(title)) return HolidayRuleText(holiday.get(), mfFull);
    return AnsiString("(fehlt)");
  };
  EXPECT_EQ(rule("Bundesfeiertag"), "1. August");
  EXPECT_EQ(rule("Sechseläuten"), "3. Montag im April");
  EXPECT_EQ(rule("Thanksgiving"), "4. Donnerstag im November");
  EXPECT_EQ(rule("Näfelser Fahrt"), "1. Donnerstag im April");
  EXPECT_EQ(rule("Beginn der Sommerzeit"), L("Letzter Sonntag im März"));
  EXPECT_EQ(rule("Ende der Sommerzeit"), "Letzter Sonntag im Oktober");
  EXPECT_EQ(rule("4. Advent"), "Sonntag nach dem 18. Dezember");
  EXPECT_EQ(rule("Faschingsdienstag"), "47 Tage vor Ostern");
}

// Lookup texts with attributes, on tables made for the test.
class LookupRows : public apptest::ProgramDirTest {};

TEST_F(LookupRows, AttributesGoBeforeTheName) {
  auto dir = Root() / "EIGEN";
  apptest::fs::create_directories(dir);
  TBapiHandle db = 0;
  ASSERT_EQ(FFSessionAddAlias(Session->Handle(), "LOOKUPTEST", dir.c_str()), 0);
  ASSERT_EQ(BapiOpenDatabase(Session->Handle(), "LOOKUPTEST", db), 0);
  TffDataDictionary d(8192);
  d.AddField("ORTE_ID", "", fftInt32, 0, 0, true);
  d.AddField("ORTE_NAME", "", fftShortString, 40, 0, false);
  d.AddField("ORTE_ATTR", "", fftShortString, 20, 0, false);
  d.AddField("ORTE_DISPATTR", "", fftBoolean, 0, 0, false);
  d.AddIndex("XPKORTE", "", 0, std::vector<int>{0}, false, true, true);
  ASSERT_EQ(FFDatabaseBuildTable(db, true, "ORT", d), 0);
  d.Clear();
  d.AddField("BERU_ID", "", fftInt32, 0, 0, true);
  d.AddField("BERU_NAMEM", "", fftShortString, 40, 0, false);
  d.AddField("BERU_NAMEF", "", fftShortString, 40, 0, false);
  d.AddField("BERU_ATTR", "", fftShortString, 20, 0, false);
  d.AddIndex("XPKBERU", "", 0, std::vector<int>{0}, false, true, true);
  ASSERT_EQ(FFDatabaseBuildTable(db, true, "BERUF", d), 0);
  BapiCloseDatabase(db);

  auto places = apptest::OpenTable("LOOKUPTEST", "ORT.FFD", "XPKORTE");
  auto professions = apptest::OpenTable("LOOKUPTEST", "BERUF.FFD", "XPKBERU");
  auto place = [&](int id, const char* name, const char* attr, bool show) {
    places->Append();
    places->FieldByName("ORTE_ID")->SetAsInteger(id);
    places->FieldByName("ORTE_NAME")->SetAsString(L(name));
    places->FieldByName("ORTE_ATTR")->SetAsString(L(attr));
    places->FieldByName("ORTE_DISPATTR")->SetAsBoolean(show);
    places->Post();
  };
  place(1, "Rhein", "am", true);
  place(2, "Lindau", "Insel", false);
  professions->Append();
  professions->FieldByName("BERU_ID")->SetAsInteger(7);
  professions->FieldByName("BERU_NAMEM")->SetAsString("Maler");
  professions->FieldByName("BERU_NAMEF")->SetAsString("Malerin");
  professions->FieldByName("BERU_ATTR")->SetAsString("Hof-");
  professions->Post();

  PlaceTable = places.get();
  ProfessionTable = professions.get();
  struct Unhook {
    ~Unhook() { PlaceTable = ProfessionTable = nullptr; }  // the tables belong to the test
  } unhook;
  EXPECT_EQ(PlaceText(1), "am Rhein");
  EXPECT_EQ(PlaceText(2), "Lindau");  // the attribute is not to be shown
  EXPECT_EQ(PlaceText(3), "");
  EXPECT_EQ(ProfessionText(7, 0), "Hof- Maler");
  EXPECT_EQ(ProfessionText(7, 1), "Hof- Malerin");
  EXPECT_EQ(ProfessionText(8, 1), "");
  PlaceTable = nullptr;
  EXPECT_EQ(PlaceText(1), "");  // no table: nothing, no crash
  EXPECT_EQ(NationAbbrev(1), "");
}

}  // namespace
