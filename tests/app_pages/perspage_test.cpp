// The births and deaths pages on the built reference data: every day of a
// leap year against the PERSON table read straight through the engine, well
// known persons on the days a user would look them up, the elements with
// their switches and attribute blocks, years before Christ, the layout of
// the entries and a picture of a busy day.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/pages/perspage.h"
#include "app/text/formatters.h"
#include "app/text/helpers.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/forms.h"
#include "tests/app/app_fixture.h"
#include "tests/data/data_helpers.h"

namespace {

// One paragraph of the page: its visible characters with their attributes
// (hidden link stamps left out) and its indent.
struct Entry {
  std::string Text;
  std::vector<TWPAttrRecord> Attrs;
  int32_t LeftIndent = 0;
  const TWPAttrRecord& AttrOf(const std::string& part) const {
    const size_t at = Text.find(part);
    EXPECT_NE(at, std::string::npos) << part << " in " << Text;
    return Attrs[std::min(at, Attrs.size() - 1)];
  }
};

std::vector<Entry> Entries(TWPCustomRtfEdit* page) {
  std::vector<Entry> out;
  for (TWPParagraphRec* p = page->RtfText()->FirstPar; p; p = p->next) {
    Entry e;
    for (TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i) {
        const TWPAttrRecord& a = l->pa ? l->pa[i] : page->RtfText()->WritingAttr;
        if (a.Style & wpsHidden) continue;
        e.Text += l->pc[i];
        e.Attrs.push_back(a);
      }
    e.LeftIndent = p->LeftIndent;
    out.push_back(std::move(e));
  }
  return out;
}

// A person of the PERSON table as the engine stores it.
struct Person {
  int Id, Year, Era;
  std::string Name;
};

// The persons by (month, day) of birth (0) or death (1), read record by
// record in the table's own order, without any index.
std::map<std::pair<int, int>, std::vector<Person>> PersonsByDay(int which) {
  datatest::TTableReader t((apptest::BuiltProgramDir() / "DATEN").string(), "PERSON");
  const char* m = which == 0 ? "PERS_GEBM" : "PERS_TODM";
  const char* d = which == 0 ? "PERS_GEBT" : "PERS_TODT";
  const char* y = which == 0 ? "PERS_GEBJ" : "PERS_TODJ";
  const char* e = which == 0 ? "PERS_GNCHR" : "PERS_TNCHR";
  std::map<std::pair<int, int>, std::vector<Person>> out;
  for (bool ok = t.First(); ok; ok = t.Next())
    if (t.Int(m) > 0 && t.Int(d) > 0)
      out[{static_cast<int>(t.Int(m)), static_cast<int>(t.Int(d))}].push_back(
          {static_cast<int>(t.Int("PERS_ID")), static_cast<int>(t.Int(y)), static_cast<int>(t.Int(e)),
           ComposeDisplayName(t.Str("PERS_NAME"), t.Str("PERS_PRAEDIKAT"))});
  return out;
}

// The year as the page writes it.
std::string YearText(int year, int era) { return std::to_string(year) + (era == 1 ? "" : "\xA0v.Chr."); }

class PersPage : public apptest::ProgramDirTest {
 protected:
  void SetUp() override {
    ProgramDirTest::SetUp();
    CopyReferenceData();
    LoadSettings();
    persons_ = apptest::OpenTable("Orvelan", "PERSON.FFD", "PE_GMTJ");
    patrons_ = apptest::OpenTable("Orvelan", "PATRON.FFD", "PA_MT");
    form_ = new TForm(Application);
    form_->SetClientSize(520, 440);
    page_ = new TWPCustomRtfEdit(form_);
    page_->SetParent(form_);
    page_->SetBounds(0, 0, 520, 440);
    page_->SetWordWrap(true);
    page_->SetScrollBars(ssVertical);
    gauge_ = new TGauge(form_);
    gauge_->SetParent(form_);
    gauge_->SetVisible(false);
    form_->Show();
    driver.Process();
    for (int r = 0; r < kRubricCount; ++r) sections_[r] = RubricDisplay[r];
    ctx_.Page = page_;
    ctx_.Persons = persons_.get();
    ctx_.Patrons = patrons_.get();
    ctx_.Gauge = gauge_;
    ctx_.Sections = sections_;
  }
  void TearDown() override {
    delete form_;
    persons_.reset();
    patrons_.reset();
    ProgramDirTest::TearDown();
  }

  // The page of a day as the page frame builds it.
  std::vector<Entry> Build(int which, int year, int month, int day) {
    ctx_.Date = MakePackedDate(year, month, day);
    page_->ClearText();
    DisplayPers(ctx_, which);
    page_->ReformatAndRepaint();
    page_->PlaceCursor(0, 0, 0, 0);
    return Entries(page_);
  }
  DisplaySettings& Births() { return sections_[rbBirths]; }
  DisplaySettings& Deaths() { return sections_[rbDeaths]; }

  // The entry of a name; fails when it is missing.
  static const Entry& Find(const std::vector<Entry>& page, const std::string& name) {
    static const Entry none;
    for (const Entry& e : page)
      if (e.Text.find(name) != std::string::npos) return e;
    ADD_FAILURE() << name << " not on the page";
    return none;
  }

  std::unique_ptr<TwwTable> persons_, patrons_;
  TForm* form_ = nullptr;
  TWPCustomRtfEdit* page_ = nullptr;
  TGauge* gauge_ = nullptr;
  DisplaySettings sections_[kRubricCount];
  DayPageContext ctx_;
};

// Every day of a leap year, both pages: exactly the day's persons of the
// table, newest first (before Christ after all after Christ, the most
// recent of them first), each with its year and its name after the tab.
TEST_F(PersPage, EveryDayOfALeapYearShowsTheTablesPersonsNewestFirst) {
  for (int which : {dpBirths, dpDeaths}) {
    DisplaySettings& s = which == dpBirths ? Births() : Deaths();
    s.Switches[dbYears] = false;
    s.Switches[dbJubilee] = false;
    const auto byDay = PersonsByDay(which);
    int pages = 0;
    for (PackedDate d = MakePackedDate(2024, 1, 1); PackedDateYear(d) == 2024; PackedDateNextDay(d)) {
      const int m = PackedDateMonth(d), day = PackedDateDay(d);
      const auto page = Build(which, 2024, m, day);
      auto it = byDay.find({m, day});
      std::vector<Person> want = it == byDay.end() ? std::vector<Person>{} : it->second;
      // Astronomical years: 1 before Christ is 0, 2 before Christ is -1.
      auto signedYear = [](const Person& p) { return p.Era == 1 ? p.Year : 1 - p.Year; };
      std::stable_sort(want.begin(), want.end(),
                       [&](const Person& a, const Person& b) { return signedYear(a) > signedYear(b); });
      if (want.empty()) {
        ASSERT_EQ(page.size(), 1u) << day << "." << m;
        EXPECT_EQ(page[0].Text, "") << day << "." << m;
        continue;
      }
      ASSERT_EQ(page.size(), want.size()) << day << "." << m << ". which " << which;
      // Persons of the same year may come in any order: compare year by year.
      for (size_t i = 0; i < want.size();) {
        size_t j = i;
        while (j < want.size() && signedYear(want[j]) == signedYear(want[i])) ++j;
        std::vector<std::string> a, b;
        for (size_t k = i; k < j; ++k) {
          const std::string year = YearText(want[k].Year, want[k].Era);
          a.push_back(year + "\t" + want[k].Name);
          b.push_back(page[k].Text.substr(0, a.back().size()));
        }
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        EXPECT_EQ(a, b) << day << "." << m << ". which " << which;
        i = j;
      }
      ++pages;
    }
    EXPECT_EQ(pages, 366);
  }
}

// Well-known persons on the days a user looks them up: year, name and
// place as every reference gives them, and the count of years to 2024.
TEST_F(PersPage, WellKnownPersonsOnTheirDays) {
  struct Fact {
    int Which, Month, Day;
    std::string Entry;
  };
  const Fact facts[] = {
      {dpBirths, 8, 28, CP1252("1749\t(275) Johann Wolfgang von Goethe (in Frankfurt am Main)").str()},
      {dpBirths, 11, 10, CP1252("1759\t(265) Friedrich von Schiller (in Marbach am Neckar)").str()},
      {dpBirths, 1, 27, CP1252("1756\t(268) Wolfgang Amadeus Mozart (in Salzburg)").str()},
      {dpDeaths, 12, 5, CP1252("1791\t(233) Wolfgang Amadeus Mozart (in Wien)").str()},
      {dpDeaths, 3, 26, CP1252("1827\t(197) Ludwig van Beethoven (in Wien)").str()},
      {dpBirths, 3, 14, CP1252("1879\t(145) Albert Einstein (in Ulm)").str()},
      {dpBirths, 11, 10, CP1252("1483\t(541) Martin Luther (in Eisleben)").str()},
      {dpDeaths, 7, 28, CP1252("1750\t(274) Johann Sebastian Bach (in Leipzig)").str()},
      {dpBirths, 11, 7, CP1252("1867\t(157) Marie Curie (in Warschau)").str()},
      {dpBirths, 2, 12, CP1252("1809\t(215) Abraham Lincoln (in Hodgenville)").str()},
      {dpBirths, 2, 12, CP1252("1809\t(215) Charles Darwin (in Shrewsbury)").str()},
      {dpDeaths, 4, 23, CP1252("1616\t(408) William Shakespeare (in Stratford-upon-Avon)").str()},
      {dpBirths, 4, 22, CP1252("1724\t(300) Immanuel Kant (in Königsberg)").str()},
      {dpBirths, 4, 1, CP1252("1815\t(209) Otto von Bismarck (in Schönhausen)").str()},
      {dpBirths, 5, 21, CP1252("1471\t(553) Albrecht Dürer (in Nürnberg)").str()},
      {dpBirths, 5, 5, CP1252("1818\t(206) Karl Marx (in Trier)").str()},
      {dpBirths, 5, 8, CP1252("1828\t(196) Henry Dunant (in Genf)").str()},
      {dpDeaths, 10, 11, CP1252("1531\t(493) Huldrych Zwingli (bei Kappel am Albis)").str()},
      {dpBirths, 6, 6, CP1252("1875\t(149) Thomas Mann (in Lübeck)").str()},
      {dpDeaths, 3, 15, CP1252("44\u00A0v.Chr.\t(2067) Gaius Julius Cäsar (in Rom)").str()},
  };
  for (DisplaySettings* s : {&Births(), &Deaths()}) {
    s->Switches[dbJubilee] = false;
    s->Switches[dbYears] = true;
    s->Switches[dbPlace] = true;
  }
  for (const Fact& f : facts) {
    const auto page = Build(f.Which, 2024, f.Month, f.Day);
    bool found = false;
    for (const Entry& e : page) found |= e.Text.rfind(f.Entry, 0) == 0;
    EXPECT_TRUE(found) << f.Entry;
  }
}

// A births entry with every element, each in its own attribute block; the
// patron mark by sex; the deaths page with the birth date marked "*".
TEST_F(PersPage, ElementsTakeTheirSectionsAttributeBlocks) {
  DisplaySettings& s = Births();
  for (bool& sw : s.Switches) sw = true;
  s.Font = {"Arial", 11, 0, 0};
  // Each element its own colour, so a wrong block shows.
  for (int i = 0; i < 9; ++i) s.Attr[i] = {static_cast<uint32_t>(i % 3 == 0 ? tsBold : i % 3 == 1 ? tsItalic : 0),
                                           static_cast<uint8_t>(i + 2), 0};
  // Elisabeth of Thuringia: born 7 July 1207 in Pressburg, died 1231.
  auto page = Build(dpBirths, 2024, 7, 7);
  const Entry& e = Find(page, "Elisabeth von Th");
  const std::string dagger = CP1252("(\u2020\u00A017.11.1231)").str();
  const std::string want = CP1252("1207\t(817) Elisabeth von Thüringen (in Pressburg)").str();
  EXPECT_EQ(e.Text.rfind(want, 0), 0u) << e.Text;
  EXPECT_NE(e.Text.find(dagger), std::string::npos) << e.Text;
  EXPECT_NE(e.Text.find(CP1252(", Namenspatronin am 19.\u00A0November").str()), std::string::npos) << e.Text;
  const int fontNumber = page_->FontNumber("Arial");
  auto check = [&](const std::string& part, int block) {
    const TWPAttrRecord& a = e.AttrOf(part);
    EXPECT_EQ(a.Style & (wpsBold | wpsItalic | wpsUnderline), s.Attr[block].Styles) << part;
    EXPECT_EQ(a.Colors & 0x0F, s.Attr[block].TextColour) << part;
    EXPECT_EQ(a.Size, 11) << part;
    EXPECT_EQ(a.Font, fontNumber) << part;
  };
  check("1207", abYear);
  check("(817)", abYears);
  check("Elisabeth", abName);
  check("(in Pressburg)", abPlace);
  check(dagger, abOtherDate);
  check(", Namenspatronin", abText);
  check("\t", abText);
  // The remark is the archive's text in the element's look.
  const size_t remark = e.Text.find(")", e.Text.find(dagger) + 1) + 3;
  ASSERT_LT(remark, e.Text.size());
  EXPECT_EQ(e.Attrs[remark].Colors & 0x0F, s.Attr[abText].TextColour);
  // The hyperlink look of links inside remarks is the "Hyperlink" block.
  EXPECT_EQ(page_->GetHyperlinkTextAttr()->TextColor(), ColorOf(s.Attr[abHyperlink].TextColour));

  // A male patron; the deaths page marks the birth date with "*".
  Deaths().Switches[dbOtherDate] = true;
  page = Build(dpDeaths, 2024, 1, 1);
  const Entry& b = Find(page, "Basilius der Gro");
  EXPECT_NE(b.Text.find(CP1252("(*\u00A0um 330)").str()), std::string::npos) << b.Text;
  EXPECT_NE(b.Text.find(CP1252(", Namenspatron am 2.\u00A0Januar").str()), std::string::npos) << b.Text;
  EXPECT_EQ(b.Text.find("Namenspatronin"), std::string::npos);
}

// Switches off leave out their element together with its separator.
TEST_F(PersPage, SwitchesLeaveOutTheirElements) {
  DisplaySettings& s = Births();
  for (bool& sw : s.Switches) sw = false;
  auto page = Build(dpBirths, 2024, 8, 28);
  const Entry& g = Find(page, "Goethe");
  EXPECT_EQ(g.Text.rfind("1749\tJohann Wolfgang von Goethe, ", 0), 0u) << g.Text;
  EXPECT_EQ(g.Text.find("Frankfurt"), std::string::npos);
  EXPECT_EQ(g.Text.find("1832"), std::string::npos);
  s.Switches[dbPlace] = true;
  s.Switches[dbOtherDate] = true;
  page = Build(dpBirths, 2024, 8, 28);
  const Entry& h = Find(page, "Goethe");
  EXPECT_NE(h.Text.find("Goethe (in Frankfurt am Main), D Dichter"), std::string::npos) << h.Text;
  EXPECT_NE(h.Text.find(CP1252(" (\u2020\u00A022.3.1832)").str()), std::string::npos) << h.Text;
}

// Jubilees and counts of years: 25 is a jubilee, 26 a count followed by a
// blank, the year of birth itself neither; before Christ the years span the
// missing year 0.
TEST_F(PersPage, JubileesAndCountsOfYears) {
  DisplaySettings& s = Births();
  s.Switches[dbYears] = true;
  s.Switches[dbJubilee] = true;
  EXPECT_EQ(Find(Build(dpBirths, 1774, 8, 28), "Goethe").Text.rfind("1749\tVor 25 Jahren\nJohann", 0), 0u);
  EXPECT_EQ(Find(Build(dpBirths, 1775, 8, 28), "Goethe").Text.rfind("1749\t(26) Johann", 0), 0u);
  EXPECT_EQ(Find(Build(dpBirths, 1749, 8, 28), "Goethe").Text.rfind("1749\tJohann", 0), 0u);
  // The jubilee text keeps its own block up to the line feed.
  const auto page = Build(dpBirths, 1999, 8, 28);
  EXPECT_EQ(Find(page, "Goethe").AttrOf("Vor 250").Colors & 0x0F, s.Attr[abJubilee].TextColour);
  s.Switches[dbJubilee] = false;
  EXPECT_EQ(Find(Build(dpBirths, 1999, 8, 28), "Goethe").Text.rfind("1749\t(250) Johann", 0), 0u);
  s.Switches[dbYears] = false;
  EXPECT_EQ(Find(Build(dpBirths, 1999, 8, 28), "Goethe").Text.rfind("1749\tJohann", 0), 0u);

  // Caesar died 44 before Christ: 2100 years in 2057, 2067 in 2024.
  Deaths().Switches[dbYears] = true;
  Deaths().Switches[dbJubilee] = true;
  EXPECT_EQ(Find(Build(dpDeaths, 2057, 3, 15), CP1252("Cäsar").str()).Text.rfind("44\xA0v.Chr.\tVor 2100 Jahren\n", 0), 0u);
  EXPECT_EQ(Find(Build(dpDeaths, 2024, 3, 15), CP1252("Cäsar").str()).Text.rfind("44\xA0v.Chr.\t(2067) ", 0), 0u);
  // Born 13 July 100 before Christ: 2100 years in 2001.
  s.Switches[dbYears] = true;
  s.Switches[dbJubilee] = true;
  const std::string born = Find(Build(dpBirths, 2001, 7, 13), CP1252("Cäsar").str()).Text;
  EXPECT_EQ(born.rfind("100\xA0v.Chr.\tVor 2100 Jahren\n", 0), 0u) << born;
}

// The entries' format: year at 72 twips, continuation lines and the text
// after the tab at the tab, which lies behind the widest year of the page.
TEST_F(PersPage, NamesAlignBehindTheWidestYear) {
  Births().Switches[dbYears] = false;
  Births().Switches[dbJubilee] = false;
  // 1 August: Claudius, born 10 before Christ, among persons after Christ.
  for (auto [month, day, bc] : {std::tuple{8, 28, false}, std::tuple{8, 1, true}}) {
    const auto page = Build(dpBirths, 2024, month, day);
    ASSERT_GT(page.size(), 2u);
    int32_t tab = page[0].LeftIndent;
    const int32_t yearWidth = DayPageTextTwips(page_, Births().Font, Births().Attr[abYear],
                                               bc ? "10\xA0v.Chr." : "9999");
    EXPECT_GT(tab, yearWidth) << month;
    EXPECT_EQ(tab % 144, 0);  // the ruler's grid
    // The page was emptied by the measuring: build it again.
    Build(dpBirths, 2024, month, day);
    TWPRTFTextInput* t = page_->RtfText();
    int x = -1;
    for (TWPParagraphRec* p = t->FirstPar; p; p = p->next) {
      EXPECT_EQ(p->FirstIndent, kEntryIndent);
      EXPECT_EQ(p->LeftIndent, tab);
      EXPECT_EQ(p->RightIndent, kEntryIndent);
      EXPECT_EQ(p->SpaceBefore, kEntrySpaceBefore);
      EXPECT_EQ(p->SpaceAfter, kEntrySpaceAfter);
      const int at = static_cast<int>(std::string(p->line->pc, p->line->Length).find('\t')) + 1;
      ASSERT_GT(at, 0);
      const int cx = t->CursorX(p, p->line, at);
      if (x < 0) x = cx;
      EXPECT_EQ(cx, x) << std::string(p->line->pc, p->line->Length);
    }
    if (bc) {
      EXPECT_EQ(Find(Entries(page_), "Claudius").Text.rfind("10\xA0v.Chr.\t", 0), 0u);
    }
    // The page frame builds behind a hidden control: the measure is the same.
    page_->SetVisible(false);
    EXPECT_EQ(Build(dpBirths, 2024, month, day)[0].LeftIndent, tab);
    page_->SetVisible(true);
  }
}

// On a day with persons before Christ the tab lies behind the widest year
// the day really shows, not behind the widest such year there could be:
// "9999 v.Chr." would push every name of the page far to the right.
TEST_F(PersPage, TheTabFollowsTheDaysWidestYearBeforeChrist) {
  TWPCustomRtfEdit* page = page_;
  const auto tabFor = [&](const DisplaySettings& s, const std::vector<std::string>& years) {
    std::vector<AnsiString> texts;
    for (const std::string& y : years) texts.push_back("xx" + y);
    return page->Header()->RoundToGrid(DayPageTextTwips(page, s.Font, s.Attr[abYear], texts));
  };
  int days = 0, nearer = 0;
  for (int which : {dpBirths, dpDeaths}) {
    const DisplaySettings& s = which == dpBirths ? Births() : Deaths();
    for (const auto& [md, persons] : PersonsByDay(which)) {
      std::vector<std::string> years{"9999"};
      for (const Person& p : persons)
        if (p.Era != 1 && p.Year > 0) years.push_back(YearText(p.Year, p.Era));
      if (years.size() == 1) continue;
      ++days;
      const int32_t tab = Build(which, 2024, md.first, md.second)[0].LeftIndent;
      EXPECT_EQ(tab, tabFor(s, years)) << which << " " << md.first << "." << md.second;
      EXPECT_LE(tab, tabFor(s, {"9999\xA0v.Chr."})) << which << " " << md.first << "." << md.second;
      nearer += tab < tabFor(s, {"9999\xA0v.Chr."});
    }
  }
  EXPECT_GT(days, 2);
  EXPECT_GT(nearer, 0);  // two-digit years before Christ are narrower
}

// The gauge runs once per person and is hidden at the end.
TEST_F(PersPage, GaugeCountsThePersons) {
  gauge_->SetProgress(7);
  const auto page = Build(dpDeaths, 2024, 8, 1);
  EXPECT_EQ(gauge_->MaxValue(), static_cast<int>(page.size()));
  EXPECT_EQ(gauge_->Progress(), gauge_->MaxValue());
  EXPECT_FALSE(gauge_->Visible());
  // The tables stay where the next builder expects to find them.
  EXPECT_EQ(persons_->IndexName(), "PE_TMTJ");
  EXPECT_EQ(patrons_->IndexName(), "PA_PERS");
  // Without a gauge the page is the same.
  ctx_.Gauge = nullptr;
  EXPECT_EQ(Build(dpDeaths, 2024, 8, 1).size(), page.size());
}

// The births page of a busy day as the user sees it.
TEST_F(PersPage, PictureOfABusyDay) {
  for (bool& sw : Births().Switches) sw = true;
  Births().Attr[abYear].Styles = tsBold;
  Births().Attr[abName].Styles = tsBold;
  const auto page = Build(dpBirths, 2024, 9, 5);
  EXPECT_GE(page.size(), 10u);
  driver.Process();
  const std::string png = driver.SavePng(form_, "births_busy_day");
  EXPECT_TRUE(apptest::fs::exists(png)) << png;
  // A deaths page with a person before Christ among the others.
  for (bool& sw : Deaths().Switches) sw = true;
  const auto deaths = Build(dpDeaths, 2024, 8, 1);
  EXPECT_EQ(Find(deaths, "Marcus Antonius").Text.rfind("30\xA0v.Chr.\t", 0), 0u);
  EXPECT_EQ(deaths.back().Text.rfind("30\xA0v.Chr.", 0), 0u);
  driver.Process();
  driver.SavePng(form_, "deaths_before_christ");
}

// A date before Christ never breaks from its era: on the pages of Cicero's
// birth and death (3.1.106 and 7.12.43 before Christ, each with the other
// date), at every page width that holds such a date no line starts with
// "v.Chr." (a narrower line must cut it like any word too long for it).
TEST_F(PersPage, ADateBeforeChristStaysOnItsLine) {
  for (bool& sw : Births().Switches) sw = true;
  for (bool& sw : Deaths().Switches) sw = true;
  for (const auto& [which, month, day] : {std::tuple{dpBirths, 1, 3}, std::tuple{dpDeaths, 12, 7}}) {
    Build(which, 2024, month, day);
    int eras = 0, broken = 0;
    for (int px = 200; px <= 520; px += 2) {
      page_->SetPageLayout(0, 0, -1000, -1000, px * 15, -1000);
      page_->ReformatAndRepaint();
      for (TWPParagraphRec* p = page_->RtfText()->FirstPar; p; p = p->next)
        for (TWPLineRec* l = p->line; l; l = l->next) {
          std::string text;
          for (int i = 0; i < l->Length; ++i)
            if (!l->pa || !(l->pa[i].Style & wpsHidden)) text += l->pc[i];
          for (size_t at = text.find("v.Chr."); at != std::string::npos; at = text.find("v.Chr.", at + 1)) ++eras;
          if (l != p->line && text.rfind("v.Chr.", 0) == 0) ++broken;
        }
    }
    EXPECT_GT(eras, 0) << which;
    EXPECT_EQ(broken, 0) << which;
  }
}

// A remark the archive cannot read is left out with its separator; the
// rest of the page stands.
TEST_F(PersPage, UnreadableRemarkIsLeftOut) {
  ReleaseData();
  apptest::fs::resize_file(Root() / "DATEN" / "Person.Stx", 1100);
  LoadSettings();
  Births().Switches[dbOtherDate] = false;
  const auto page = Build(dpBirths, 2024, 8, 28);
  const std::string& g = Find(page, "Goethe").Text;
  EXPECT_EQ(g, "1749\tJohann Wolfgang von Goethe (in Frankfurt am Main), D Dichter, Naturforscher und Staatsmann");
}

}  // namespace
