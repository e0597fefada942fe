// Template expansion on the built reference data: all 80 placeholders for a
// sample person and three dates against values computed here (dates and
// ages by the standard library's calendar, moon and zodiac by the calendar
// library, the records of every section read straight from the tables and
// archives); the edge cases of the language; the three default templates.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>

#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/text/formatters.h"
#include "calendar/astro.h"
#include "platform/rtl/cp1252.h"
#include "tests/app_templates/templates_fixture.h"
#include "tests/data/data_helpers.h"
#include "app/windows/preview.h"
#include "platform/ui/keyboard.h"

namespace {

using namespace tpltest;
using datatest::TTableReader;

const char* const kWeekdays[] = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
const char* const kMonths[] = {"Januar", "Februar", "M\xE4rz", "April",   "Mai",      "Juni",
                               "Juli",   "August",  "September", "Oktober", "November", "Dezember"};

// A period the way a reader says it: the non-zero parts, numbers up to
// twelve as words, joined by ", " and a final " und ".
std::string PeriodWords(int y, int m, int d, bool dative) {
  static const char* const words[] = {"ein", "zwei", "drei", "vier", "f\xFCnf", "sechs",
                                      "sieben", "acht", "neun", "zehn", "elf",  "zw\xF6lf"};
  std::vector<std::string> parts;
  const std::pair<int, const char*> counts[] = {{y, "Jahr"}, {m, "Monat"}, {d, "Tag"}};
  for (auto [n, unit] : counts) {
    if (n <= 0) continue;
    std::string number = n <= 12 ? words[n - 1] : std::to_string(n);
    if (n == 1 && dative) number = "einem";
    parts.push_back(number + " " + unit + (n > 1 ? (dative ? "en" : "e") : ""));
  }
  std::string s;
  for (std::size_t i = 0; i < parts.size(); ++i)
    s += (i == 0 ? "" : i + 1 == parts.size() ? " und " : ", ") + parts[i];
  return s;
}

class Expansion : public TemplateTest {
 protected:
  void SetUp() override {
    TemplateTest::SetUp();
    const std::string dir = (Root() / "DATEN").string();
    events_.OpenFile(dir + "/Ereignis.Stx");
    persons_.OpenFile(dir + "/Person.Stx");
    holidays_.OpenFile(dir + "/Feiertag.Stx");
    person_ = apptest::OpenTable("Orvelan", "PERSON.FFD", "XPKPERS");
  }
  void TearDown() override {
    person_.reset();
    TemplateTest::TearDown();
  }

  // An archive record's text without its hidden link stamps.
  std::string Visible(TVlf& a, int64_t offset) {
    if (offset <= 0) return "";
    AnsiString rec;
    a.ReadRecord(static_cast<uint32_t>(offset), rec);
    TMemoryStream ms;
    ms.WriteBuffer(rec.data(), static_cast<int>(rec.size()));
    ms.SetPosition(0);
    TWPRTFTextIo t;
    t.LoadFromStream(&ms);
    std::string s;
    for (TWPParagraphRec* p = t.FirstPar; p; p = p->next) {
      if (p != t.FirstPar) s += '\n';
      for (TWPLineRec* l = p->line; l; l = l->next)
        for (int i = 0; i < l->Length; ++i)
          if (!(l->pa && (l->pa[i].Style & wpsHidden))) s += l->pc[i];
    }
    return s;
  }
  // A person as the person sections write it.
  std::string PersonLine(int64_t id) {
    EXPECT_TRUE(person_->FindKey({static_cast<int>(id)}));
    std::string s = PersonNameText(person_.get(), pnMain, false, false);
    const std::string np = PersonNationsProfessionsText(person_.get());
    if (!np.empty()) s += ", " + np;
    const int remark = person_->FieldByName("PERS_ANMERK")->AsInteger();
    if (remark > 0) s += ", " + Visible(persons_, remark);
    return s;
  }

  // What a section lists: each expected line, or its beginning when the
  // rest is not worked out here.
  struct Line {
    std::string Text;
    bool Whole = true;
  };
  std::vector<Line> Expected(const std::string& section, const TTemplateDates& dates, bool exactWritten[3]);

  TVlf events_, persons_, holidays_;
  std::unique_ptr<TwwTable> person_;
};

std::vector<Expansion::Line> Expansion::Expected(const std::string& p, const TTemplateDates& dates,
                                                 bool exactWritten[3]) {
  const std::string dir = (Root() / "DATEN").string();
  const bool source = p.find("Quell") != std::string::npos;
  const PackedDate& d = source ? dates.Source : dates.Birth;
  const int y = PackedDateYear(d), m = PackedDateMonth(d), day = PackedDateDay(d);
  std::vector<Line> out;
  auto label = [](int n, const char* sep) { return "\t" + std::to_string(n) + sep + "\t"; };
  if (p.find("Weltgeschehen") != std::string::npos) {
    TTableReader t(dir, "EREIGNIS");
    const bool exact = p.find(" am ") != std::string::npos && p.find("tag>") == std::string::npos;
    for (bool ok = t.First(); ok; ok = t.Next()) {
      const int ey = t.Int("EREI_JAHR"), em = t.Int("EREI_MONAT"), ed = t.Int("EREI_TAG");
      const std::string text = Visible(events_, t.Int("EREI_TEXT"));
      if (exact && ey == y && em == m && ed == day) out.push_back({text});
      if (p.find(" im ") != std::string::npos && ey == y && em == m && !(exactWritten[0] && ed == day))
        out.push_back({label(ed, ".") + text});
      if (p.find("Geburtstag>") != std::string::npos && em == m && ed == day && !(exactWritten[0] && ey == y))
        out.push_back({label(ey, ":") + text});
    }
    if (exact) exactWritten[0] = !out.empty();
  } else if (p.find("Geboren") != std::string::npos || p.find("Gestorben") != std::string::npos ||
             p == "<Gleicher Geburtstag>") {
    const bool died = p.find("Gestorben") != std::string::npos;
    const std::string k = died ? "PERS_TOD" : "PERS_GEB";
    TTableReader t(dir, "PERSON");
    bool& written = exactWritten[died ? 2 : 1];
    const bool exact = p.find(" am ") != std::string::npos;
    for (bool ok = t.First(); ok; ok = t.Next()) {
      const int py = t.Int(k + "J"), pm = t.Int(k + "M"), pd = t.Int(k + "T");
      if (t.Int(died ? "PERS_TNCHR" : "PERS_GNCHR") != 1) continue;
      if (exact && py == y && pm == m && pd == day) out.push_back({PersonLine(t.Int("PERS_ID"))});
      if (p.find(" im ") != std::string::npos && py == y && pm == m && !(written && pd == day))
        out.push_back({label(pd, ".") + PersonLine(t.Int("PERS_ID"))});
      if (p == "<Gleicher Geburtstag>" && pm == m && pd == day && py > 0 && !(written && py == y))
        out.push_back({label(py, ":") + PersonLine(t.Int("PERS_ID"))});
    }
    if (exact) written = !out.empty();
  } else if (p.find("Feiertage") != std::string::npos) {
    TTableReader t(dir, "FEIERTAG");
    for (bool ok = t.First(); ok; ok = t.Next())
      if (t.Int("FTAG_TYP") == 1 && t.Int("FTAG_MONAT") == m && t.Int("FTAG_TAG") == day)
        out.push_back({"\t" + t.Str("FTAG_TITEL") + ":\t" + Visible(holidays_, t.Int("FTAG_TEXT"))});
  } else {
    // Name patrons of the day, or of the name "Maria" and its forms.
    TTableReader names(dir, "NAME");
    std::map<int64_t, std::string> nameOf;
    std::set<int64_t> maria;
    for (bool ok = names.First(); ok; ok = names.Next()) {
      nameOf[names.Int("NAME_ID")] = names.Str("NAME_NAME");
      if (names.Str("NAME_NAME") == "Maria" && names.Int("NAME_GESCH") == 1) maria.insert(names.Int("NAME_ID"));
    }
    for (bool ok = names.First(); ok; ok = names.Next())
      if (maria.count(names.Int("NAME_VON"))) maria.insert(names.Int("NAME_ID"));
    if (p == "<Namensformen>") {
      std::vector<std::string> forms;
      for (int64_t id : maria)
        if (nameOf[id] != "Maria") forms.push_back(nameOf[id]);
      std::sort(forms.begin(), forms.end(), [](auto& a, auto& b) { return AnsiCompareText(a, b) < 0; });
      std::string joined;
      for (const std::string& f : forms) joined += (joined.empty() ? "" : ", ") + f;
      return {{joined}};
    }
    TTableReader t(dir, "PATRON");
    for (bool ok = t.First(); ok; ok = t.Next()) {
      const int64_t see = t.Int("PERS_SIEHE"), id = see > 0 ? see : t.Int("PERS_ID");
      const std::string who = id > 0 ? std::string(PersonNameText((person_->FindKey({int(id)}), person_.get()),
                                                                   pnMain, false, false))
                                     : std::string(t.Str("PATR_VERMERK"));
      const int pm = t.Int("PATR_MONAT"), pd = t.Int("PATR_TAG");
      if (p == "<Namenstage>" && maria.count(t.Int("NAME_ID")))
        out.push_back({"\t" + std::to_string(pd) + ". " + kMonths[pm - 1] + "\t" + who, false});
      if (p != "<Namenstage>" && pm == m && pd == day)
        out.push_back({"\t" + nameOf[t.Int("NAME_ID")] + "\t" + who, false});
    }
  }
  return out;
}

// All 80 placeholders, each in a paragraph of its own look behind a marker,
// for Maria Muster and two sets of dates: every value as computed here,
// every section with exactly the records of the tables, labels in order,
// and every character written in its placeholder's look.
TEST_F(Expansion, EveryPlaceholderForASamplePerson) {
  TEntryData who;
  who.FirstName = "Maria";
  who.Surname = "Muster";
  AddEntry(who);
  const TTemplateDates cases[] = {
      {MakePackedDate(1943, 2, 22), MakePackedDate(1989, 12, 25), MakePackedDate(2024, 3, 1)},
      {MakePackedDate(1989, 12, 25), MakePackedDate(1943, 2, 22), MakePackedDate(2013, 11, 9)}};
  std::set<std::string> filled;
  for (const TTemplateDates& dates : cases) {
    sheet->ClearText();
    std::vector<TWPAttrRecord> looks;
    for (int i = 0; i < kPlaceholderCount; ++i) {
      if (i > 0) sheet->AddParagraph();
      TWPTextRun marker;
      marker.Attr.Font = static_cast<uint8_t>(sheet->FontNumber("Arial"));
      marker.Attr.Size = 8;
      marker.Text = "@" + std::to_string(i) + " ";
      sheet->AppendRun(marker);
      TWPTextRun run = marker;
      run.Attr.Font = static_cast<uint8_t>(sheet->FontNumber(i % 2 ? "Times New Roman" : "Courier New"));
      run.Attr.Size = static_cast<uint8_t>(9 + i % 6);
      run.Attr.Style = std::vector<uint32_t>{0, wpsBold, wpsItalic, wpsUnderline, wpsBold | wpsItalic}[i % 5];
      run.Attr.Colors = static_cast<uint8_t>(1 + i % 15);
      run.Text = kPlaceholders[i].Text;
      sheet->AppendRun(run);
      looks.push_back(run.Attr);
    }
    Expand(dates);

    // The paragraphs of each placeholder: from its marker to the next.
    std::vector<std::vector<Par>> groups(kPlaceholderCount);
    int current = -1;
    for (Par& par : Paragraphs(sheet)) {
      if (current + 1 < kPlaceholderCount && par.Text.rfind("@" + std::to_string(current + 1) + " ", 0) == 0) {
        const std::size_t markerLength = std::to_string(++current).size() + 2;
        par.Text.erase(0, markerLength);
        par.Attrs.erase(par.Attrs.begin(), par.Attrs.begin() + markerLength);
      }
      ASSERT_GE(current, 0);
      groups[current].push_back(par);
    }
    ASSERT_EQ(current, kPlaceholderCount - 1);

    using namespace std::chrono;
    auto ymd = [](const PackedDate& p) {
      return year_month_day{year{PackedDateYear(p)}, month(PackedDateMonth(p)), day(PackedDateDay(p))};
    };
    bool exactWritten[3] = {};
    for (int i = 0; i < kPlaceholderCount; ++i) {
      const std::string p = kPlaceholders[i].Text;
      SCOPED_TRACE(p);
      for (const Par& par : groups[i])
        for (const TWPAttrRecord& a : par.Attrs) ASSERT_TRUE(SameLook(a, looks[i]));
      if (kPlaceholders[i].Kind == pkValue) {
        ASSERT_EQ(groups[i].size(), 1u);
        std::string want;
        const PackedDate* date = p.find("GebDat") != std::string::npos     ? &dates.Birth
                                 : p.find("QuellDat") != std::string::npos ? &dates.Source
                                 : p.find("AusgDat") != std::string::npos  ? &dates.Output
                                                                           : nullptr;
        if (date) {
          const std::string part = p.substr(p.find(' ') + 1, p.size() - p.find(' ') - 2);
          const int gc = part.find("Nom") != std::string::npos   ? 1
                         : part.find("Gen") != std::string::npos ? 2
                         : part.find("Dat") != std::string::npos ? 3
                         : part.find("Akk") != std::string::npos ? 4
                                                                 : 0;
          char year4[8];
          std::snprintf(year4, sizeof year4, "%04d", PackedDateYear(*date));
          want = part == "W"   ? kWeekdays[weekday(sys_days(ymd(*date))).c_encoding()]
                 : part == "T" ? std::to_string(PackedDateDay(*date))
                 : part == "M" ? kMonths[PackedDateMonth(*date) - 1]
                 : part == "J" ? year4
                 : part.rfind("Mond", 0) == 0 ? MoonPhaseName(MoonPhase(*date), 0, 1, gc)
                                              : ZodiacSignName(ZodiacSignIndex(*date, ZodiacSign), gc);
        } else if (p.rfind("<Alter ", 0) == 0 || p.rfind("<Zeit ", 0) == 0) {
          const year_month_day f = ymd(p[1] == 'A' ? dates.Birth : dates.Source), t = ymd(dates.Output);
          const int months = (int(t.year()) - int(f.year())) * 12 + int(unsigned(t.month())) -
                             int(unsigned(f.month())) - (t.day() < f.day() ? 1 : 0);
          const int rest = t.day() >= f.day() ? int(unsigned(t.day())) - int(unsigned(f.day()))
                                              : int(unsigned(year_month_day_last{f.year() / f.month() / last}.day())) -
                                                    int(unsigned(f.day())) + int(unsigned(t.day()));
          const int span = (sys_days(t) - sys_days(f)).count();
          want = p.find("Normal") != std::string::npos   ? PeriodWords(months / 12, months % 12, rest, false)
                 : p.find("Dativ") != std::string::npos  ? PeriodWords(months / 12, months % 12, rest, true)
                 : p.find("Jahren") != std::string::npos ? std::to_string(months / 12)
                 : p.find("Monaten") != std::string::npos ? std::to_string(months)
                 : p.find("Wochen") != std::string::npos  ? std::to_string(span / 7)
                                                          : std::to_string(span);
        } else {
          const std::map<std::string, std::string> entryValues = {
              {"<Name>", "Maria Muster"}, {"<Nachname>", "Muster"}, {"<Vorname>", "Maria"},
              {"<GebZeit>", "07:45"},     {"<GebOrt>", "Bern"},     {CP1252("<Präp. GebOrt>").str(), "in Bern"}};
          want = entryValues.at(p);
        }
        EXPECT_EQ(groups[i][0].Text, want);
        continue;
      }
      // A section: its lines are its records, first in the placeholder's
      // paragraph, then one paragraph each.
      std::vector<std::string> lines;
      for (const Par& par : groups[i])
        if (!par.Text.empty() || groups[i].size() > 1) lines.push_back(par.Text);
      std::vector<Line> want = Expected(p, dates, exactWritten);
      if (!want.empty()) filled.insert(p);
      if (p == "<Namensformen>") {
        EXPECT_EQ(lines, std::vector<std::string>{want[0].Text});
        continue;
      }
      ASSERT_EQ(lines.size(), want.size());
      std::vector<bool> used(lines.size());
      for (const Line& w : want) {
        bool met = false;
        for (std::size_t k = 0; k < lines.size() && !met; ++k)
          if (!used[k] && (w.Whole ? lines[k] == w.Text : lines[k].rfind(w.Text, 0) == 0)) used[k] = met = true;
        EXPECT_TRUE(met) << "missing: " << w.Text;
      }
      // Days and years of the labels ascend; labelled lines hang behind
      // their label.
      int last = -1;
      for (std::size_t k = 0; k < lines.size(); ++k) {
        if (lines[k].empty() || lines[k][0] != '\t') continue;
        EXPECT_GT(groups[i][k].LeftIndent, 0);
        if (p.find("Namens") != std::string::npos || p.find("Feiertage") != std::string::npos) continue;
        const int n = std::atoi(lines[k].c_str() + 1);
        EXPECT_GE(n, last);
        last = n;
      }
    }
  }
  for (const TPlaceholder& p : kPlaceholders)
    if (p.Kind == pkSection) {
      EXPECT_TRUE(filled.count(p.Text)) << p.Text << " was empty in both cases";
    }
}

// The sheet made of plain paragraphs in one look.
void WriteTemplate(TWPCustomRtfEdit* sheet, const std::vector<std::string>& paragraphs) {
  sheet->ClearText();
  for (std::size_t i = 0; i < paragraphs.size(); ++i) {
    if (i > 0) sheet->AddParagraph();
    TWPTextRun run;
    run.Attr.Font = static_cast<uint8_t>(sheet->FontNumber("Arial"));
    run.Attr.Size = 11;
    run.Text = paragraphs[i];
    sheet->AppendRun(run);
  }
}

std::vector<std::string> Texts(TWPCustomRtfEdit* sheet) {
  std::vector<std::string> out;
  for (const Par& p : Paragraphs(sheet)) out.push_back(p.Text);
  return out;
}

// The language's edge cases on one sheet: a placeholder twice (value and
// section), text behind a section, other letter case and blanks, a value
// that holds its own placeholder, double blanks from empty values, and the
// name days of a hyphenated first name that "NAME" lacks as a whole.
TEST_F(Expansion, EdgeCasesOfTheLanguage) {
  TEntryData who;
  who.FirstName = "Hans-Peter";
  who.Surname = "<Nachname>";
  who.Sex = 0;
  who.Place = "";
  AddEntry(who);
  const TTemplateDates dates{MakePackedDate(1943, 2, 22), MakePackedDate(1943, 2, 22), MakePackedDate(2024, 3, 1)};
  WriteTemplate(sheet, {"<Vorname> und nochmals <Vorname>, <vorname>, <Vorname >, <Nachname>.",
                        "Geboren  <GebOrt> <GebZeit>   am <GebDat T>.",
                        "Ereignis: <Weltgeschehen am Geburtsdatum> und danach.", "<Weltgeschehen am Geburtsdatum>",
                        "<Namenstage>"});
  Expand(dates);
  const std::vector<std::string> got = Texts(sheet);
  const std::string event = Visible(events_, [&] {
    TTableReader t((Root() / "DATEN").string(), "EREIGNIS");
    for (bool ok = t.First(); ok; ok = t.Next())
      if (t.Int("EREI_JAHR") == 1943 && t.Int("EREI_MONAT") == 2 && t.Int("EREI_TAG") == 22) return t.Int("EREI_TEXT");
    return int64_t{0};
  }());
  ASSERT_FALSE(event.empty());
  ASSERT_GE(got.size(), 5u);
  EXPECT_EQ(got[0], "Hans-Peter und nochmals Hans-Peter, <vorname>, <Vorname >, <Nachname>.");
  EXPECT_EQ(got[1], "Geboren 07:45 am 22.");
  EXPECT_EQ(got[2], "Ereignis: " + event + " und danach.");
  EXPECT_EQ(got[3], event);

  // Name days: those of Johannes (Hans) first, then those of Petrus
  // (Peter), each name by its number and then by date.
  TTableReader names((Root() / "DATEN").string(), "NAME");
  std::map<int64_t, int> nameOwner;  // name number -> 0 Johannes, 1 Petrus
  for (int pass = 0; pass < 2; ++pass)
    for (bool ok = names.First(); ok; ok = names.Next()) {
      const std::string n = names.Str("NAME_NAME");
      const int owner = n == "Johannes" ? 0 : n == "Petrus" ? 1 : -1;
      if (names.Int("NAME_GESCH") == 0 && owner >= 0) nameOwner[names.Int("NAME_ID")] = owner;
      if (pass == 1 && nameOwner.count(names.Int("NAME_VON"))) nameOwner[names.Int("NAME_ID")] = nameOwner[names.Int("NAME_VON")];
    }
  std::vector<std::tuple<int, int64_t, int, int>> patrons;  // owner, name, month, day
  TTableReader t((Root() / "DATEN").string(), "PATRON");
  for (bool ok = t.First(); ok; ok = t.Next())
    if (nameOwner.count(t.Int("NAME_ID")))
      patrons.emplace_back(nameOwner[t.Int("NAME_ID")], t.Int("NAME_ID"), t.Int("PATR_MONAT"), t.Int("PATR_TAG"));
  std::sort(patrons.begin(), patrons.end());
  std::vector<std::string> want, labels;
  for (auto [owner, id, m, d] : patrons) want.push_back(std::to_string(d) + ". " + kMonths[m - 1]);
  for (std::size_t k = 4; k < got.size(); ++k)
    if (!got[k].empty() && got[k][0] == '\t') labels.push_back(got[k].substr(1, got[k].find('\t', 1) - 1));
  EXPECT_GT(std::count_if(patrons.begin(), patrons.end(), [](auto& p) { return std::get<0>(p) == 1; }), 0);
  EXPECT_EQ(labels, want);
}

// The three default templates for a person, expanded in the preview as the
// print window fills it: no placeholder is left, and every paragraph that
// grew from a template paragraph keeps its look, the lines of a section
// included.
TEST_F(Expansion, DefaultTemplatesInThePreview) {
  TEntryData who;
  who.FirstName = "Maria";
  who.Surname = "Muster";
  AddEntry(who);
  const TTemplateDates dates = TemplateDatesOf(EncodeDate(1943, 2, 22), "", "01.03.2024");
  for (const TDefaultLayout& d : kDefaultLayouts) {
    SCOPED_TRACE(d.File);
    std::vector<TWPAttrRecord> looks;
    std::vector<Par> expanded;
    driver.WhenModal([&](TCustomForm& preview) {
      if (d.Id == 1) driver.SavePng(&preview, "templates_preview_expanded");
      driver.PressKey(VK_ESCAPE);
    });
    RunPreview(PageSettings(), [&](TfrmPreview* p) {
      p->WPRichText1->RtfText()->LoadFromFile((Root() / d.File).string());
      // The look of each template paragraph (each is written in one).
      for (const Par& par : Paragraphs(p->WPRichText1))
        if (!par.Attrs.empty()) looks.push_back(par.Attrs[0]);
      Expand(p->WPRichText1, dates);
      expanded = Paragraphs(p->WPRichText1);
    });
    std::vector<TWPAttrRecord> seen;
    for (const Par& p : expanded) {
      EXPECT_EQ(p.Text.find('<'), std::string::npos) << p.Text;
      if (p.Attrs.empty()) continue;
      for (const TWPAttrRecord& a : p.Attrs) EXPECT_TRUE(SameLook(a, p.Attrs[0])) << p.Text;
      if (seen.empty() || !SameLook(seen.back(), p.Attrs[0])) seen.push_back(p.Attrs[0]);
    }
    // The looks come in the template's order, a run of one look once; only
    // an empty section's look may be missing.
    std::vector<TWPAttrRecord> expected;
    for (const TWPAttrRecord& a : looks)
      if (expected.empty() || !SameLook(expected.back(), a)) expected.push_back(a);
    std::size_t k = 0;
    for (const TWPAttrRecord& a : seen) {
      while (k < expected.size() && !SameLook(expected[k], a)) ++k;
      EXPECT_LT(k, expected.size()) << "a look the template does not have, or out of order";
    }
    EXPECT_GE(seen.size() + 2, expected.size());
  }
}

}  // namespace
