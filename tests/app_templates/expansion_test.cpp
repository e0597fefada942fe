// Template expansion on the built reference data: all 80 placeholders for a
// sample person and three dates against values computed here (dates and
// ages by the standard library's calendar, moon and zodiac by the calendar
// library, every section's records read straight from the tables and
// archives); the language's edge cases; the default templates in the preview.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "app/text/formatters.h"
#include "app/windows/preview.h"
#include "calendar/astro.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "richtext/controls/barlinks.h"
#include "tests/app_templates/templates_fixture.h"
#include "tests/data/data_helpers.h"

namespace {

using namespace tpltest;
using namespace std::chrono;
using datatest::TTableReader;

const char* const kMonths[] = {"Januar", "Februar", "M\xE4rz",    "April",   "Mai",      "Juni",
                               "Juli",   "August",  "September", "Oktober", "November", "Dezember"};

// A period as a reader says it: the parts that are not zero, up to twelve
// in words, joined by ", " and a final " und ".
std::string Words(int y, int m, int d, bool dative) {
  static const char* const words[] = {"ein",    "zwei", "drei", "vier", "f\xFCnf", "sechs",
                                      "sieben", "acht", "neun", "zehn", "elf",     "zw\xF6lf"};
  std::vector<std::string> parts;
  for (auto [n, unit] : std::initializer_list<std::pair<int, const char*>>{{y, "Jahr"}, {m, "Monat"}, {d, "Tag"}})
    if (n > 0)
      parts.push_back((n == 1 && dative ? "einem" : n <= 12 ? words[n - 1] : std::to_string(n)) + " " + unit +
                      (n > 1 ? (dative ? "en" : "e") : ""));
  std::string s;
  for (std::size_t i = 0; i < parts.size(); ++i) s += (i == 0 ? "" : i + 1 == parts.size() ? " und " : ", ") + parts[i];
  return s;
}

year_month_day Ymd(const PackedDate& p) { return year{PackedDateYear(p)} / PackedDateMonth(p) / PackedDateDay(p); }

class Expansion : public TemplateTest {
 protected:
  void SetUp() override {
    TemplateTest::SetUp();
    for (auto [vlf, file] : std::initializer_list<std::pair<TVlf*, const char*>>{
             {&events_, "Ereignis.Stx"}, {&persons_, "Person.Stx"}, {&holidays_, "Feiertag.Stx"}})
      vlf->OpenFile((Root() / "DATEN" / file).string());
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
    TWPRTFTextIo t;
    LoadRtf(rec, t);
    std::string s;
    for (TWPParagraphRec* p = t.FirstPar; p; p = p->next)
      for (TWPLineRec* l = p->line; l; l = l->next)
        for (int i = 0; i < l->Length; ++i)
          if (!(l->pa && (l->pa[i].Style & wpsHidden))) s += l->pc[i];
    return s;
  }
  std::string Name(int64_t id, bool holy = false) {
    return person_->FindKey({static_cast<int>(id)}) ? PersonNameText(person_.get(), pnMain, holy, false) : "?";
  }
  // A person as the person sections write it.
  std::string PersonLine(int64_t id) {
    std::string s = Name(id);
    const std::string np = PersonNationsProfessionsText(person_.get());
    const int remark = person_->FieldByName("PERS_ANMERK")->AsInteger();
    return s + (np.empty() ? "" : ", " + np) + (remark > 0 ? ", " + Visible(persons_, remark) : "");
  }

  // The lines a section lists: each whole, or (Whole false) its beginning.
  struct Line {
    std::string Text;
    bool Whole = true;
  };
  std::vector<Line> Expected(const std::string& p, const TTemplateDates& dates, bool written[3]);

  TVlf events_, persons_, holidays_;
  std::unique_ptr<TwwTable> person_;
};

std::vector<Expansion::Line> Expansion::Expected(const std::string& p, const TTemplateDates& dates,
                                                 bool written[3]) {
  const std::string dir = (Root() / "DATEN").string();
  const PackedDate& d = p.find("Quell") != std::string::npos ? dates.Source : dates.Birth;
  const int y = PackedDateYear(d), m = PackedDateMonth(d), day = PackedDateDay(d);
  const bool exact = p.find("datum>") != std::string::npos, inMonth = p.find("monat>") != std::string::npos;
  const bool everyYear = p == "<Weltgeschehen am Geburtstag>" || p == "<Gleicher Geburtstag>";
  std::vector<Line> out;
  // A dated record: on the day, in the month (labelled by day), on the day
  // of every year (labelled by year); the day's records are left out of
  // the others when its own section wrote them.
  auto dated = [&](bool w, int64_t ry, int64_t rm, int64_t rd, auto text) {
    if (exact && ry == y && rm == m && rd == day) out.push_back({text()});
    if (inMonth && ry == y && rm == m && !(w && rd == day)) out.push_back({"\t" + std::to_string(rd) + ".\t" + text()});
    if (everyYear && rm == m && rd == day && ry > 0 && !(w && ry == y))
      out.push_back({"\t" + std::to_string(ry) + ":\t" + text()});
  };
  if (p.find("Weltgeschehen") != std::string::npos) {
    TTableReader t(dir, "EREIGNIS");
    for (bool ok = t.First(); ok; ok = t.Next())
      dated(written[0], t.Int("EREI_JAHR"), t.Int("EREI_MONAT"), t.Int("EREI_TAG"),
            [&] { return Visible(events_, t.Int("EREI_TEXT")); });
    if (exact) written[0] = !out.empty();
  } else if (p.find("Feiertage") != std::string::npos) {
    TTableReader t(dir, "FEIERTAG");
    for (bool ok = t.First(); ok; ok = t.Next())
      if (t.Int("FTAG_TYP") == 1 && t.Int("FTAG_MONAT") == m && t.Int("FTAG_TAG") == day)
        out.push_back({"\t" + t.Str("FTAG_TITEL") + ":\t" + Visible(holidays_, t.Int("FTAG_TEXT"))});
  } else if (p.find("Namens") != std::string::npos) {
    // Patrons of the day, or of the name "Maria" and its forms.
    TTableReader names(dir, "NAME");
    std::map<int64_t, std::string> nameOf;
    std::set<int64_t> maria;
    for (int pass = 0; pass < 2; ++pass)
      for (bool ok = names.First(); ok; ok = names.Next()) {
        nameOf[names.Int("NAME_ID")] = names.Str("NAME_NAME");
        if ((names.Str("NAME_NAME") == "Maria" && names.Int("NAME_GESCH") == 1) || maria.count(names.Int("NAME_VON")))
          maria.insert(names.Int("NAME_ID"));
      }
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
      // The patron person, or the note followed by the person it names.
      const int64_t id = t.Int("PERS_ID"), see = t.Int("PERS_SIEHE");
      const std::string who = id > 0 ? Name(id) : t.Str("PATR_VERMERK") + (see > 0 ? " " + Name(see, true) : "");
      const int pm = t.Int("PATR_MONAT"), pd = t.Int("PATR_TAG");
      if (p == "<Namenstage>" && maria.count(t.Int("NAME_ID")))
        out.push_back({"\t" + std::to_string(pd) + ". " + kMonths[pm - 1] + "\t" + who, false});
      if (p != "<Namenstage>" && pm == m && pd == day) out.push_back({"\t" + nameOf[t.Int("NAME_ID")] + "\t" + who, false});
    }
  } else {
    const std::string k = p.find("Gestorben") != std::string::npos ? "PERS_TOD" : "PERS_GEB";
    bool& w = written[k == "PERS_TOD" ? 2 : 1];
    TTableReader t(dir, "PERSON");
    for (bool ok = t.First(); ok; ok = t.Next())
      if (t.Int(k == "PERS_TOD" ? "PERS_TNCHR" : "PERS_GNCHR") == 1)
        dated(w, t.Int(k + "J"), t.Int(k + "M"), t.Int(k + "T"), [&] { return PersonLine(t.Int("PERS_ID")); });
    if (exact) w = !out.empty();
  }
  return out;
}

// All 80 placeholders, each in a paragraph of its own look behind a marker,
// for Maria Muster and two sets of dates (which between them fill every
// section): every value as computed here, every section with exactly the
// records of the tables, labels in order, every character in its
// placeholder's look.
TEST_F(Expansion, EveryPlaceholderForASamplePerson) {
  AddEntry({"Maria", "Muster"});
  const PackedDate a = MakePackedDate(1943, 2, 22), b = MakePackedDate(1989, 12, 25);
  std::set<std::string> filled;
  for (const TTemplateDates& dates : {TTemplateDates{a, b, MakePackedDate(2024, 3, 1)},
                                      TTemplateDates{b, a, MakePackedDate(2013, 11, 9)}}) {
    sheet->ClearText();
    std::vector<TWPAttrRecord> looks;
    for (int i = 0; i < kPlaceholderCount; ++i) {
      if (i > 0) sheet->AddParagraph();
      TWPTextRun run;
      run.Attr.Font = static_cast<uint8_t>(sheet->FontNumber("Arial"));
      run.Attr.Size = 8;
      run.Text = "@" + std::to_string(i) + " ";
      sheet->AppendRun(run);
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
    int n = -1;
    for (Par& par : Paragraphs(sheet)) {
      const std::string marker = "@" + std::to_string(n + 1) + " ";
      if (par.Text.rfind(marker, 0) == 0) {
        ++n;
        par.Text.erase(0, marker.size());
        par.Attrs.erase(par.Attrs.begin(), par.Attrs.begin() + static_cast<long>(marker.size()));
      }
      ASSERT_GE(n, 0);
      groups[n].push_back(par);
    }
    ASSERT_EQ(n, kPlaceholderCount - 1);

    bool written[3] = {};
    for (int i = 0; i < kPlaceholderCount; ++i) {
      const std::string p = kPlaceholders[i].Text;
      SCOPED_TRACE(p);
      for (const Par& par : groups[i])
        for (const TWPAttrRecord& at : par.Attrs) ASSERT_TRUE(SameLook(at, looks[i]));
      if (kPlaceholders[i].Kind == pkValue) {
        ASSERT_EQ(groups[i].size(), 1u);
        const std::string got = groups[i][0].Text, part = p.substr(p.find(' ') + 1, p.size() - p.find(' ') - 2);
        const int grammaticalCase = std::string(" Nom Gen Dat Akk").find(part.substr(part.find(' ') + 1)) / 4 + 1;
        if (p.find("Dat ") != std::string::npos) {
          const PackedDate& date = p[1] == 'G' ? dates.Birth : p[1] == 'Q' ? dates.Source : dates.Output;
          static const char* const weekdays[] = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                                                 "Donnerstag", "Freitag", "Samstag"};
          char year4[8];
          std::snprintf(year4, sizeof year4, "%04d", PackedDateYear(date));
          const std::string want =
              part == "W"   ? weekdays[weekday(sys_days(Ymd(date))).c_encoding()]
              : part == "T" ? std::to_string(PackedDateDay(date))
              : part == "M" ? kMonths[PackedDateMonth(date) - 1]
              : part == "J" ? year4
              : part[0] == 'M' ? MoonPhaseName(MoonPhase(date), 0, 1, part == "Mond" ? 0 : grammaticalCase)
                               : ZodiacSignName(ZodiacSignIndex(date, ZodiacSign), part == "Stern" ? 0 : grammaticalCase);
          EXPECT_EQ(got, want);
        } else if (p.rfind("<Alter ", 0) == 0 || p.rfind("<Zeit ", 0) == 0) {
          // Whole months, counted once their day is reached, then the days.
          const year_month_day f = Ymd(p[1] == 'A' ? dates.Birth : dates.Source), t = Ymd(dates.Output);
          const int fd = int(unsigned(f.day())), td = int(unsigned(t.day()));
          const int months = (int(t.year()) - int(f.year())) * 12 + int(unsigned(t.month())) -
                             int(unsigned(f.month())) - (td < fd);
          const int days = td >= fd ? td - fd : int(unsigned((f.year() / f.month() / last).day())) - fd + td;
          const int span = (sys_days(t) - sys_days(f)).count();
          EXPECT_EQ(got, part == "Normal"       ? Words(months / 12, months % 12, days, false)
                         : part == "Dativ"      ? Words(months / 12, months % 12, days, true)
                         : part == "in Jahren"  ? std::to_string(months / 12)
                         : part == "in Monaten" ? std::to_string(months)
                         : part == "in Wochen"  ? std::to_string(span / 7)
                                                : std::to_string(span));
        } else {
          const std::map<std::string, std::string> entry = {
              {"<Name>", "Maria Muster"}, {"<Nachname>", "Muster"}, {"<Vorname>", "Maria"},
              {"<GebZeit>", "07:45"},     {"<GebOrt>", "Bern"},     {CP1252("<Präp. GebOrt>").str(), "in Bern"}};
          EXPECT_EQ(got, entry.at(p));
        }
        continue;
      }
      // A section: its first line in the placeholder's paragraph, then one
      // paragraph per line; labelled lines hang behind their labels.
      std::vector<std::string> lines;
      for (const Par& par : groups[i])
        if (!par.Text.empty() || groups[i].size() > 1) lines.push_back(par.Text);
      const std::vector<Line> want = Expected(p, dates, written);
      if (!want.empty()) filled.insert(p);
      if (p == "<Namensformen>") {
        EXPECT_EQ(lines, std::vector<std::string>{want[0].Text});
        continue;
      }
      ASSERT_EQ(lines.size(), want.size());
      std::vector<bool> used(lines.size());
      for (const Line& w : want) {
        std::size_t k = 0;
        while (k < lines.size() && (used[k] || (w.Whole ? lines[k] != w.Text : lines[k].rfind(w.Text, 0) != 0))) ++k;
        EXPECT_LT(k, lines.size()) << "missing: " << w.Text;
        if (k < lines.size()) used[k] = true;
      }
      int last = -1;
      for (std::size_t k = 0; k < lines.size(); ++k) {
        if (lines[k][0] != '\t') continue;
        EXPECT_GT(groups[i][k].LeftIndent, 0);
        if (!std::isdigit(static_cast<unsigned char>(lines[k][1])) || p == "<Namenstage>") continue;
        EXPECT_GE(std::atoi(lines[k].c_str() + 1), last) << lines[k];
        last = std::atoi(lines[k].c_str() + 1);
      }
    }
  }
  for (const TPlaceholder& p : kPlaceholders)
    if (p.Kind == pkSection) {
      EXPECT_TRUE(filled.count(p.Text)) << p.Text << " was empty in both cases";
    }
}

// The language's edge cases on one sheet: a placeholder twice (value and
// section), text behind a section, other letter case and blanks, a value
// that holds its own placeholder, double blanks from empty values, and the
// name days of a hyphenated first name that "NAME" lacks as a whole.
TEST_F(Expansion, EdgeCasesOfTheLanguage) {
  AddEntry({"Hans-Peter", "<Nachname>", "", "in", "07:45:00", 0});
  const std::vector<std::string> paragraphs = {
      "<Vorname> und nochmals <Vorname>, <vorname>, <Vorname >, <Nachname>.",
      // No place: no preposition either.
      CP1252("Geboren  <GebOrt> <Präp. GebOrt> <GebZeit>   am <GebDat T>.").str(),
      "Ereignis: <Weltgeschehen am Geburtsdatum> und danach.",
      "<Weltgeschehen am Geburtsdatum>", "<Namenstage>"};
  sheet->ClearText();
  for (const std::string& text : paragraphs) {
    if (&text != &paragraphs[0]) sheet->AddParagraph();
    TWPTextRun run;
    run.Text = text;
    sheet->AppendRun(run);
  }
  const PackedDate day = MakePackedDate(1943, 2, 22);
  Expand({day, day, MakePackedDate(2024, 3, 1)});
  std::vector<std::string> got;
  for (const Par& p : Paragraphs(sheet)) got.push_back(p.Text);
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

  // Name days: those of Johannes (Hans) first, then of Petrus (Peter), each
  // name by its number, then by date.
  TTableReader names((Root() / "DATEN").string(), "NAME"), t((Root() / "DATEN").string(), "PATRON");
  std::map<int64_t, int> owner;  // name number -> 0 Johannes, 1 Petrus
  for (bool ok = names.First(); ok; ok = names.Next())
    if (names.Int("NAME_GESCH") == 0 && (names.Str("NAME_NAME") == "Johannes" || names.Str("NAME_NAME") == "Petrus"))
      owner[names.Int("NAME_ID")] = names.Str("NAME_NAME") == "Petrus";
  for (bool ok = names.First(); ok; ok = names.Next())
    if (owner.count(names.Int("NAME_VON"))) owner[names.Int("NAME_ID")] = owner[names.Int("NAME_VON")];
  std::vector<std::tuple<int, int64_t, int64_t, int64_t>> patrons;
  for (bool ok = t.First(); ok; ok = t.Next())
    if (owner.count(t.Int("NAME_ID")))
      patrons.emplace_back(owner[t.Int("NAME_ID")], t.Int("NAME_ID"), t.Int("PATR_MONAT"), t.Int("PATR_TAG"));
  std::sort(patrons.begin(), patrons.end());
  ASSERT_TRUE(std::get<0>(patrons.front()) == 0 && std::get<0>(patrons.back()) == 1);
  std::vector<std::string> want, labels;
  for (auto [who, id, m, d] : patrons) want.push_back(std::to_string(d) + ". " + kMonths[m - 1]);
  for (std::size_t k = 4; k < got.size(); ++k)
    if (!got[k].empty()) labels.push_back(got[k].substr(1, got[k].find('\t', 1) - 1));
  EXPECT_EQ(labels, want);
}

// A section in the first cell of a 2x2 table stays in that cell, its lines
// broken there; the other cells, their place and the text after the table
// stay as they were.
TEST_F(Expansion, ASectionInATableCellStaysInItsCell) {
  AddEntry({"Maria", "Muster"});
  LoadRtf("{\\rtf1\\trowd\\cellx3000\\cellx6000\\pard\\intbl Vorher <Weltgeschehen am Geburtstag> danach\\cell"
          "\\pard\\intbl B\\cell\\row\\trowd\\cellx3000\\cellx6000\\pard\\intbl C\\cell\\pard\\intbl D\\cell\\row"
          "\\pard Ende\\par}",
          *sheet->RtfText());
  const TWPParagraphRec row = *sheet->RtfText()->FirstPar;
  const PackedDate born = MakePackedDate(1989, 12, 25);
  bool written[3] = {};
  const auto records = Expected("<Weltgeschehen am Geburtstag>", {born, born, born}, written).size();
  ASSERT_GT(records, 1u);
  Expand({born, born, born});
  form->Show();
  sheet->ReformatAndRepaint();
  driver.SavePng(form, "templates_section_in_a_cell");
  std::vector<std::string> got;
  for (const Par& p : Paragraphs(sheet)) got.push_back(p.Text);
  ASSERT_EQ(got.size(), 6u);
  EXPECT_EQ(got[0].rfind("Vorher \t", 0), 0u) << got[0];
  EXPECT_EQ(std::count(got[0].begin(), got[0].end(), '\n') + 1, static_cast<long>(records)) << got[0];
  EXPECT_EQ(std::vector<std::string>(got.begin() + 1, got.end()), (std::vector<std::string>{"B", "C", "D", "Ende", ""}));
  const TWPParagraphRec& cell = *sheet->RtfText()->FirstPar;
  EXPECT_TRUE(cell.Flags & wppTableCell);
  EXPECT_EQ(std::vector<int>({cell.LeftIndent, cell.RightIndent, cell.ColStart, cell.ColWidth}),
            std::vector<int>({row.LeftIndent, row.RightIndent, row.ColStart, row.ColWidth}));
}

// The three default templates for a person, expanded in the preview as the
// print window fills it on two days: no placeholder is left, every
// paragraph is in one look of its template's, in order, and no heading
// stands over nothing: each is followed by a line of its section.
TEST_F(Expansion, DefaultTemplatesInThePreview) {
  AddEntry({"Maria", "Muster"});
  auto heading = [](const Par& p) { return !p.Attrs.empty() && (p.Attrs[0].Style & wpsBold) && p.Attrs[0].Size == 12; };
  for (const TDefaultLayout& d : kDefaultLayouts) {
    for (int month : {2, 5}) {
      SCOPED_TRACE(d.File + std::string(" month ") + std::to_string(month));
      std::vector<TWPAttrRecord> looks, seen;
      driver.WhenModal([&](TCustomForm& preview) {
        if (d.Id == 1 && month == 5) driver.SavePng(&preview, "templates_preview_expanded");
        driver.PressKey(VK_ESCAPE);
      });
      RunPreview(PageSettings(), [&](TfrmPreview* p) {
        p->WPRichText1->RtfText()->LoadFromFile((Root() / d.File).string());
        for (const Par& par : Paragraphs(p->WPRichText1))
          for (const TWPAttrRecord& a : par.Attrs)
            if (looks.empty() || !SameLook(looks.back(), a)) looks.push_back(a);
        Expand(p->WPRichText1, TemplateDatesOf(EncodeDate(month == 2 ? 1943 : 1950, month, month == 2 ? 22 : 19), "",
                                               "01.03.2024"));
        const std::vector<Par> pars = Paragraphs(p->WPRichText1);
        for (std::size_t i = 0; i < pars.size(); ++i) {
          const Par& par = pars[i];
          EXPECT_EQ(par.Text.find('<'), std::string::npos) << par.Text;
          for (const TWPAttrRecord& a : par.Attrs) EXPECT_TRUE(SameLook(a, par.Attrs[0])) << par.Text;
          if (!par.Attrs.empty() && (seen.empty() || !SameLook(seen.back(), par.Attrs[0]))) seen.push_back(par.Attrs[0]);
          if (!heading(par)) continue;
          EXPECT_TRUE(i + 1 < pars.size() && !heading(pars[i + 1]) && !pars[i + 1].Text.empty())
              << "a heading over nothing: " << par.Text;
        }
      });
      std::size_t k = 0;
      for (const TWPAttrRecord& a : seen) {
        while (k < looks.size() && !SameLook(looks[k], a)) ++k;
        EXPECT_LT(k, looks.size()) << "a look the template does not have, or out of order";
      }
    }
  }
}

// Each line as laid out: its length, 1 when it starts a page, and in twips
// where the characters after its tabs stand.
std::vector<std::vector<int>> Laid(TWPRTFTextPaint& t) {
  std::vector<std::vector<int>> out;
  for (TWPParagraphRec* p = t.FirstPar; p; p = p->next)
    for (TWPLineRec* l = p->line; l; l = l->next) {
      out.push_back({l->Length, (l->Flags & wplPageStart) ? 1 : 0});
      for (int i = 0, x = t.LineStart(p, l), extra = 0; i < l->Length; ++i) {
        x += t.CharAdvance(p, l, i, x, extra);
        if (l->pc[i] == '\t') out.back().push_back(MulDiv(x, 1440, t.Header->ResX));
      }
    }
  return out;
}

// The birthday sheet as a card (A6) with a table pasted from a word
// processor, for a person born on 17 March and one born on 29 February:
// the printer breaks lines, cells and pages where the preview shows them,
// and puts what follows a tab (labels and texts) where the preview does.
TEST_F(Expansion, ThePrintBreaksLinesCellsAndPagesWhereThePreviewDoes) {
  std::ifstream in((Root() / "OvDef001.Rtf").string(), std::ios::binary);
  std::string rtf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  rtf.replace(rtf.find("\\paperw11906\\paperh16838"), 24, "\\paperw5953\\paperh8391");
  const std::string row = "\\trowd\\trgaph70\\cellx1500\\cellx2400\\cellx3600\\pard\\intbl\\plain\\f1\\fs20 ";
  rtf.insert(rtf.find("\\pard\\ql\\sa120"), row + "Name\\cell\\pard\\intbl Geboren\\cell\\pard\\intbl Ort\\cell\\row" +
                                                  row + "Heinrich M\\'fcller\\cell\\pard\\intbl 17.03.1925\\cell\\pard"
                                                  "\\intbl Schaffhausen\\cell\\row\n");
  for (TDateTime born : {EncodeDate(1925, 3, 17), EncodeDate(1928, 2, 29)}) {
    AddEntry({"Heinrich", "M\xFCller", "Schaffhausen", "in", "", 1, born});
    std::vector<std::vector<int>> shown, printed;
    driver.WhenModal([&](TCustomForm& form) {
      auto& preview = dynamic_cast<TfrmPreview&>(form);
      shown = Laid(*preview.WPRichText1->RtfText());
      preview.WPRichText1->SetTopOffset(preview.WPRichText1->RtfText()->TotalHeight / 3);
      driver.SavePng(&preview, "templates_preview_card");
      preview.WPRichText1->PrintHeader = [&](TCanvas&, int, int, int, int, int page, int) {
        if (page == 1) printed = Laid(*preview.WPRichText1->RtfText());
      };
      driver.AnswerNextFileDialog((Root() / "blatt.pdf").string());
      driver.Click(preview.WPToolBar1->ButtonOf(wpgPrint, wpcmdPrint));
      driver.PressKey(VK_ESCAPE);
    });
    driver.WhenModal([&](TCustomForm& printDialog) { printDialog.SetModalResult(mrOk); });
    RunPreview(PageSettings(), [&](TfrmPreview* p) {
      LoadRtf(rtf, *p->WPRichText1->RtfText());
      Expand(p->WPRichText1, TemplateDatesOf(born, "", "01.03.2030"));
    });
    ASSERT_EQ(printed.size(), shown.size());
    EXPECT_GT(std::count_if(shown.begin(), shown.end(), [](const std::vector<int>& l) { return l[1]; }), 1);
    for (std::size_t i = 0; i < shown.size(); ++i) {
      ASSERT_EQ(printed[i].size(), shown[i].size()) << "line " << i;
      // Tabs within a pixel of the screen (15 twips) and the one it keeps beside the text.
      for (std::size_t k = 0; k < shown[i].size(); ++k)
        EXPECT_NEAR(printed[i][k], shown[i][k], k < 2 ? 0 : 30) << "line " << i << ", " << k;
    }
  }
}

}  // namespace
