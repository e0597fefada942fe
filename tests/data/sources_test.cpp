// The source checks of the reference-data build: date rules, field
// splitting, character folding, fortune reading, the distribution of the
// sayings over the year, and the refusal of bad lines with file and line.
#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
#include <set>

#include "platform/rtl/cp1252.h"
#include "tests/data/data_helpers.h"

using namespace datatest;

namespace {

TEST(SourceDates, FormsQualifiersAndEras) {
  TSourceDate d = ParseSourceDate("28.8.1749");
  EXPECT_EQ(d.Day, 28);
  EXPECT_EQ(d.Month, 8);
  EXPECT_EQ(d.Year, 1749);
  EXPECT_EQ(d.Qualifier, 0);
  EXPECT_TRUE(d.AD);
  d = ParseSourceDate("um 570v");
  EXPECT_EQ(d.Year, 570);
  EXPECT_EQ(d.Month, 0);
  EXPECT_EQ(d.Qualifier, 4);
  EXPECT_FALSE(d.AD);
  d = ParseSourceDate("verm 11.1930");
  EXPECT_EQ(d.Month, 11);
  EXPECT_EQ(d.Day, 0);
  EXPECT_EQ(d.Qualifier, 6);
  EXPECT_EQ(ParseSourceDate("beerd 3.5.1600").Qualifier, 5);
  EXPECT_EQ(ParseSourceDate("vum 1200").Qualifier, 8);
  d = ParseSourceDate("");
  EXPECT_EQ(d.Year, 0);
  EXPECT_TRUE(d.AD);
}

TEST(SourceDates, LeapDaysFollowTheCalendarOfTheirEra) {
  for (const char* ok : {"29.2.1500", "29.2.1600", "29.2.2000", "29.2.45v", "29.2.1v", "4.10.1582", "15.10.1582"})
    EXPECT_NO_THROW(ParseSourceDate(ok)) << ok;
  for (const char* bad : {"29.2.1900", "29.2.1700", "29.2.44v", "29.2.2001", "31.4.1900", "10.10.1582", "0.1.1900",
                          "1.13.1900", "13.1900", "0", "1.1.0", "etwa 1900", "1.1.19000", "1..1900", "x.1.1900",
                          "1.1.1900 v"})
    EXPECT_THROW(ParseSourceDate(bad), ESourceError) << bad;
}

TEST(SourceFields, LinksKeepTheirBar) {
  auto f = SplitSourceFields("1|Text mit [[Anna Muster|17]] und [[B|2]]|x");
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[1], "Text mit [[Anna Muster|17]] und [[B|2]]");
  EXPECT_EQ(SplitSourceFields("a||").size(), 3u);
  EXPECT_EQ(SplitSourceFields("").size(), 1u);
}

TEST(Fortunes, HeadersAuthorsFoldingAndUnwritableSayings) {
  TScratch dir("fortunes");
  WriteFile(dir / "f",
            "Aus Murphy's Gesetze:\nText  eins\n  zwei\n%\nZitat von Dvo\xC5\x99\xC3\xA1k und Pet\xC5\x91"
            "fi\n\t\t-- Autor (Werk)\n(eine Bemerkung)\n%\n"
            "Nie gesagt.\n\t\t-- Jemand\n(Falsch zugeordnete Zitate; eigentlich ein anderer)\n%\n"
            "Kopf \xC3\xBC"
            "ber zwei\nZeilen: (Sachgebiet)\n\nKindermund-Text\n%\n"
            "Zum Heiraten geh\xC3\xB6ren immer zwei:\nder eine und die andere.\n%\n"
            "\xE4\xB8\xAD unm\xC3\xB6glich\n%\n\n%\nletzter\n");
  auto s = ReadFortunes(dir / "f");
  ASSERT_EQ(s.size(), 5u);
  EXPECT_EQ(s[0].Text, "Text eins zwei");
  EXPECT_EQ(s[0].Source, "");
  EXPECT_EQ(s[1].Text, "Zitat von Dvor\xE1k und Pet\xF6" "fi");
  EXPECT_EQ(s[1].Source, "Autor (Werk)");
  EXPECT_EQ(s[2].Text, "Kindermund-Text");
  EXPECT_EQ(s[3].Text, "Zum Heiraten geh\xF6ren immer zwei: der eine und die andere.");
  EXPECT_EQ(s[4].Text, "letzter");
  EXPECT_THROW(ReadFortunes(dir / "fehlt"), ESourceError);
}

// The real sources load, and the sayings fill every day of every category.
TEST(Sources, SayingsFillTheYearInOrder) {
  TReferenceData d = LoadReferenceData(DataDir(), kFortunes);
  for (int c = 0; c < kSayingCategories; ++c) {
    const auto& days = d.Sayings[static_cast<size_t>(c)];
    ASSERT_EQ(days.size(), 366u) << c;
    for (const auto& s : days) EXPECT_FALSE(s.Text.empty()) << c;
    const int n = d.SayingSources[static_cast<size_t>(c)];
    ASSERT_GT(n, 0) << c;
    // Fewer sayings than days: every one of them comes, and again.
    if (c != 8 && n < 366) {
      std::set<AnsiString> texts;
      for (const auto& s : days) texts.insert(s.Text);
      EXPECT_LE(texts.size(), static_cast<size_t>(n)) << c;
      EXPECT_GE(texts.size(), static_cast<size_t>(n) * 9 / 10) << c;
    }
  }
  // Goethe and Jean Paul get only their own quotations.
  for (const auto& s : d.Sayings[10]) EXPECT_NE(s.Source.find("Goethe"), std::string::npos) << s.Source;
  for (const auto& s : d.Sayings[11]) EXPECT_EQ(s.Source.rfind("Jean Paul", 0), 0u) << s.Source;
  for (const auto& s : d.Sayings[7]) EXPECT_EQ(s.Source.find("Goethe"), std::string::npos) << s.Source;
  // Murphy's laws and the teachers' howlers keep to sayings of their kind.
  std::set<AnsiString> murphy, howlers;
  for (const auto& s : ReadFortunes(kFortunes + "/murphy")) murphy.insert(s.Text);
  std::ifstream katheder(DataDir() + "/sprueche/katheder.txt");
  for (std::string line; std::getline(katheder, line);)
    if (!line.empty() && line[0] != '#') howlers.insert(Utf8ToCp1252OrThrow(line.substr(0, line.find('|'))));
  for (const auto& s : d.Sayings[1]) EXPECT_EQ(murphy.count(s.Text), 1u) << Cp1252ToUtf8(s.Text);
  for (const auto& s : d.Sayings[4]) EXPECT_EQ(howlers.count(s.Text), 1u) << Cp1252ToUtf8(s.Text);
  // No window gets a crude or overlong text, and no category repeats a
  // saying within a month.
  std::vector<AnsiString> stems;
  {
    std::ifstream derb(DataDir() + "/sprueche/derb.txt");
    std::string stem;
    while (std::getline(derb, stem))
      if (!stem.empty() && stem[0] != '#') {
        AnsiString a;
        ASSERT_TRUE(Utf8ToCp1252(stem, a));
        stems.push_back(a);
      }
  }
  ASSERT_GT(stems.size(), 10u);
  for (int c = 0; c < kSayingCategories; ++c) {
    const auto& days = d.Sayings[static_cast<size_t>(c)];
    for (size_t i = 0; i < days.size(); ++i) {
      EXPECT_LE(days[i].Text.size(), kMaxSayingLength) << c << "/" << i;
      AnsiString low = days[i].Text;
      for (char& ch : low) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      for (const auto& stem : stems) {
        const size_t p = low.find(stem);
        EXPECT_TRUE(p == std::string::npos || (p > 0 && std::isalnum(static_cast<unsigned char>(low[p - 1]))))
            << c << ": " << Cp1252ToUtf8(days[i].Text);
      }
      for (size_t j = i + 1; j < days.size() && j < i + kSayingGap; ++j)
        EXPECT_NE(days[i].Text, days[j].Text) << c << ": days " << i + 1 << " and " << j + 1;
    }
  }
  // Farmers' rules tied to a day stand on it (1 January = day 1, 1 March = day 61).
  std::ifstream in(DataDir() + "/sprueche/bauernregeln.txt");
  std::string line;
  int checked = 0;
  std::set<int> seen;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#' || line[0] == '|') continue;
    const int day = std::stoi(line.substr(0, 2)), month = std::stoi(line.substr(3, 2));
    int doy = day;
    for (int m = 1; m < month; ++m) doy += DaysInMonth(m, 2000, true);
    if (!seen.insert(doy).second) continue;
    AnsiString text;
    ASSERT_TRUE(Utf8ToCp1252(line.substr(6), text));
    EXPECT_EQ(d.Sayings[8][static_cast<size_t>(doy - 1)].Text, text) << line;
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

// Own sayings: crude and overlong ones are left out; a category that cannot
// fill a month without repeating a saying stops the build.
TEST(Sources, SayingsLeaveOutWhatNoWindowShouldShow) {
  TScratch dir("sayings");
  fs::copy(DataDir(), dir.Path(), fs::copy_options::recursive);
  std::string love;
  for (int i = 1; i <= 31; ++i) love += "Liebeserkl\xC3\xA4rung Nummer " + std::to_string(i) + "|\n";
  WriteFile(dir / "sprueche/liebe.txt", love + "Ein Kuss vom ARSCH der Welt|\n" + std::string(301, 'x') + "|\n" +
                                             "Liebeserkl\xC3\xA4rung Nummer 1|\n");
  TReferenceData d = LoadReferenceData(dir.Path(), kFortunes);
  EXPECT_EQ(d.SayingSources[5], 32);  // the 31 and the repeated first one
  std::set<AnsiString> texts;
  for (const auto& s : d.Sayings[5]) texts.insert(s.Text);
  EXPECT_EQ(texts.size(), 31u);
  for (int i = 0; i < 31; ++i) EXPECT_EQ(d.Sayings[5][static_cast<size_t>(i)].Text, CP1252("Liebeserklärung Nummer ").str() + std::to_string(i + 1));
  // 31 days after its first day a saying may come again.
  EXPECT_EQ(d.Sayings[5][31].Text, d.Sayings[5][0].Text);

  love.clear();
  for (int i = 1; i <= 30; ++i) love += "Liebeserkl\xC3\xA4rung Nummer " + std::to_string(i) + "|\n";
  WriteFile(dir / "sprueche/liebe.txt", love + "Liebeserkl\xC3\xA4rung Nummer 1|\n");
  try {
    LoadReferenceData(dir.Path(), kFortunes);
    ADD_FAILURE() << "a month filled with 30 sayings";
  } catch (const ESourceError& e) {
    EXPECT_NE(e.Message().find("Spruchkategorie 5: zu wenige verschiedene"), std::string::npos) << e.Message();
  }
}

// A copy of the sources with one line appended to one file; the load must
// stop with "<file>:<that line>: " and the message part.
struct TBadLine {
  const char* File;
  std::string Line;
  const char* Message;
};

void ExpectRefused(const TBadLine& c) {
  TScratch dir("bad");
  fs::copy(DataDir(), dir.Path(), fs::copy_options::recursive);
  const std::string path = dir / c.File;
  std::string text = ReadFile(path);
  if (!text.empty() && text.back() != '\n') text += '\n';
  WriteFile(path, text + c.Line + "\n");
  const std::string prefix = std::string(c.File) + ":" + std::to_string(LineCount(path)) + ": ";
  try {
    LoadReferenceData(dir.Path(), kFortunes);
    ADD_FAILURE() << "accepted: " << c.File << ": " << c.Line;
  } catch (const ESourceError& e) {
    EXPECT_EQ(e.Message().rfind(prefix, 0), 0u) << e.Message() << " / expected " << prefix;
    EXPECT_NE(e.Message().find(c.Message), std::string::npos) << e.Message() << " / expected " << c.Message;
  }
}

TEST(SourceChecks, PersonLinesAreRefusedWithFileAndLine) {
  const std::string ok = "99001|Muster, Max|||m|1.1.1900|Weimar|1.1.1950|Weimar|D|Dichter|||";
  for (const TBadLine& c : std::initializer_list<TBadLine>{
           {"personen.txt", ok + "|Ein [[Niemand|999999]].", "zeigt auf keine Person"},
           {"personen.txt", ok + "|Ein [[Max|99001]].", "Verweis auf sich selbst"},
           {"personen.txt", ok + "|Ein [[Goethe|1].", "Verweis"},
           {"personen.txt", ok + "|Ein Goethe|1]].", "Felder"},
           {"personen.txt", ok, "14 Felder statt 15"},
           {"personen.txt", "99001|Muster, Max|||m|31.4.1900|Weimar|||D|Dichter||||", "31.4."},
           {"personen.txt", "99001|Muster, Max|||m|29.2.1900|Weimar|||D|Dichter||||", "im Jahr 1900 nicht"},
           {"personen.txt", "99001|Muster, Max|||m|etwa 1900|Weimar|||D|Dichter||||", "Qualifier"},
           {"personen.txt", "99001|Muster, Max|||m|1.1.1900|Nirgendwo|||D|Dichter||||", "Nirgendwo"},
           {"personen.txt", "99001|Muster, Max|||m|1.1.1900|nahe:Weimar|||D|Dichter||||", "Präposition"},
           {"personen.txt", "99001|Muster, Max|||m|1.1.1900||||XX|Dichter||||", "Nation „XX“"},
           {"personen.txt", "99001|Muster, Max|||m|1.1.1900||||D|Tänzerkönig||||", "Beruf"},
           {"personen.txt", "99001|Muster, Max|||m|1.1.1900||1.1.1800||D|||||", "Lebensspanne"},
           {"personen.txt", "99001|Muster, Max|||x|1.1.1900||||D|||||", "Geschlecht"},
           {"personen.txt", "99001|Muster, Max|||m|1.1.1900||||D||||spitz:Max|", "Altname"},
           {"personen.txt", "1|Muster, Max|||m|1.1.1900||||D|||||", "Id 1 doppelt"},
           {"personen.txt", "99001|Muster, \xE4\xB8\xAD|||m|1.1.1900||||D|||||", "Windows-1252"},
           {"personen.txt", "99001| Muster, Max|||m|1.1.1900||||D|||||", "Leerzeichen"},
       })
    ExpectRefused(c);
}

TEST(SourceChecks, OtherSourcesAreRefusedWithFileAndLine) {
  for (const TBadLine& c : std::initializer_list<TBadLine>{
           {"ereignisse.txt", "99001|31.6.1950|Ein Ereignis, das es nicht gab.", "gibt es nicht"},
           {"ereignisse.txt", "99001|6.1950|Ein Ereignis ohne seinen Tag.", "T.M.J"},
           {"ereignisse.txt", "99001|1.6.1950|Unvollständiger [[Verweis|1 ohne Ende.", "Verweis"},
           {"ereignisse.txt", "99001|1.6.1950|kurz", "zu kurz"},
           {"ereignisse.txt", "99001|15.3.1950|Ein Gedenken an [[C\xC3\xA4sar|666]] im Jahr 1950.",
            "gestorben vor Christus"},
           {"orte.txt", "1|Doppelnummer||0", "Nummer 1 doppelt"},
           {"orte.txt", "99001|Neuort||2", "0 oder 1"},
           {"nationen.txt", "99001|ZULANG|Langland", "Abkürzung länger als 5"},
           {"berufe.txt", "99001||Nur weiblich|", "männliche Form fehlt"},
           {"namen.txt", "w|MARIA|", "doppelt"},
           {"namen.txt", "x|Neuname|", "Geschlecht"},
           {"patrone.txt", "01.01|m|Unbekanntname|||", "fehlt in namen.txt"},
           {"patrone.txt", "30.02|w|Maria|901||", "Datum „30.02“ ungültig"},
           {"patrone.txt", "01.01|w|Maria|999999||", "Person „999999“ unbekannt"},
           {"patrone.txt", "01.01|w|Maria|1||1", "zugleich"},
           {"feiertage.txt", "15|1|1|Titel|D||Ein Text, der lang genug ist.", "Regelart 15 unbekannt"},
           {"feiertage.txt", "11|0|0|Ostersonntag|D||Ein Text, der lang genug ist.", "doppelt"},
           {"feiertage.txt", "4|5|6|Sechster Montag|D||Ein Text, der lang genug ist.", "Vorkommen"},
           {"feiertage.txt", "1|2|30|Dreißigster Februar|D||Ein Text, der lang genug ist.", "ungültig"},
           {"feiertage.txt", "1|5|2|Titel|F||Ein Text, der lang genug ist.", "Land „F“ unbekannt"},
           {"feiertage.txt", "1|5|2|Titel|D|heidn|Ein Text, der lang genug ist.", "Konfession"},
           {"lage.txt", "Testort|95.0N|10.0O", "Breite"},
           {"lage.txt", "Testort|45.0N|10.0E", "Länge"},
           {"lage.txt", "berlin|52.5N|13.4O", "doppelt"},
           {"sprueche/bauernregeln.txt", "31.02|Eine Regel für keinen Tag.", "ungültig"},
           {"sprueche/bibel.txt", "|1. Mose 1,1", "Text fehlt"},
       })
    ExpectRefused(c);
}

TEST(SourceChecks, MissingFilesAreNamed) {
  TScratch dir("missing");
  fs::copy(DataDir(), dir.Path(), fs::copy_options::recursive);
  fs::remove(dir / "patrone.txt");
  try {
    LoadReferenceData(dir.Path(), kFortunes);
    ADD_FAILURE() << "loaded without patrone.txt";
  } catch (const ESourceError& e) {
    EXPECT_EQ(e.Message().rfind("patrone.txt: ", 0), 0u) << e.Message();
  }
  EXPECT_THROW(LoadReferenceData(DataDir(), dir / "keine_sprueche"), ESourceError);
}

// The tool itself: a bad line stops it with status 1 and the position, and
// the previous DATEN stays as it was.
TEST(SourceChecks, TheToolStopsAndKeepsThePreviousData) {
  TScratch dir("tool");
  fs::copy(DataDir(), dir / "data", fs::copy_options::recursive);
  const std::string tool = ORVDATA_TOOL;
  const std::string cmd = tool + " " + (dir / "data") + " " + (dir / "prog") + " " + kFortunes;
  ASSERT_EQ(std::system((cmd + " > " + (dir / "out.txt") + " 2>&1").c_str()), 0) << ReadFile(dir / "out.txt");
  const std::string report = ReadFile(dir / "out.txt");
  EXPECT_NE(report.find("Tage ohne Geburt: 0\n"), std::string::npos) << report;
  EXPECT_NE(report.find("Tage ohne Todestag: 0\n"), std::string::npos) << report;
  EXPECT_NE(report.find("Tage ohne Ereignis: 0\n"), std::string::npos) << report;
  const std::string before = ReadFile(dir / "prog/DATEN/PERSON.FFD");
  ASSERT_FALSE(before.empty());

  const std::string events = dir / "data/ereignisse.txt";
  WriteFile(events, ReadFile(events) + "99001|1.1.19x0|Ein Ereignis mit kaputtem Datum.\n");
  const int status = std::system((cmd + " > " + (dir / "err.txt") + " 2>&1").c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_NE(ReadFile(dir / "err.txt").find("ereignisse.txt:" + std::to_string(LineCount(events)) + ": "),
            std::string::npos)
      << ReadFile(dir / "err.txt");
  EXPECT_EQ(ReadFile(dir / "prog/DATEN/PERSON.FFD"), before);
  EXPECT_FALSE(fs::exists(dir / "prog/DATEN.neu"));
}

}  // namespace
