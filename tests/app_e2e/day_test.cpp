// A day of use of the real program under a virtual X server (skipped
// without xvfb-run), driven through the server's keyboard and mouse only:
// the first start on a fresh program directory, a password, two persons
// (one born on 29 February) and two events entered with the editors, six
// rubrics on ten days, the warner on warning days. Each page and window the
// user saw is compared with the same window built here on the tables and
// settings the program wrote, and the tables are read straight from their
// files.
#include <gtest/gtest.h>

#include "app/dialogs/dispdef.h"
#include "app/dialogs/lage.h"
#include "app/dialogs/params.h"
#include "app/editors/ereierf.h"
#include "app/editors/listpers.h"
#include "app/editors/perserf.h"
#include "app/printing/druceige.h"
#include "app/templates/layoutedit.h"
#include "app/templates/layoutlist.h"
#include "app/templates/printsheet.h"
#include "app/windows/datawin.h"
#include "app/windows/preview.h"
#include "app/windows/warner.h"
#include "platform/ui/clipbrd.h"
#include "richtext/bars/toolbar.h"
#include "richtext/controls/barlinks.h"
#include "calendar/packeddate.h"
#include "platform/rtl/sysutils.h"
#include "tests/app_e2e/e2e_fixture.h"

namespace {

using namespace e2etest;

const char* const kMain = "Orvelan f";  // "Orvelan für Linux"
const char* const kPassword = "Geheim7";

struct Day {
  int D, M, Y;
  std::string Text() const {
    char s[16];
    std::snprintf(s, sizeof s, "%02d.%02d.%04d", D, M, Y);
    return s;
  }
};

// Persons born before Christ, by month and day, from the reference table.
std::map<std::pair<int, int>, int> BeforeChrist() {
  datatest::TTableReader t((apptest::BuiltProgramDir() / "DATEN").string(), "PERSON");
  std::map<std::pair<int, int>, int> out;
  for (bool ok = t.First(); ok; ok = t.Next())
    if (t.Int("PERS_GNCHR") == 0 && t.Int("PERS_GEBJ") > 0 && t.Int("PERS_GEBM") > 0 && t.Int("PERS_GEBT") > 0)
      ++out[{static_cast<int>(t.Int("PERS_GEBM")), static_cast<int>(t.Int("PERS_GEBT"))}];
  return out;
}

class DayOfUse : public E2eTest {
 protected:
  // The date dialog by Alt+Home, the old text cleared, the date typed.
  void GoTo(const Day& d) {
    Line("keys alt+Home").Await("Datum eingeben");
    Line("keys End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace "
         "BackSpace BackSpace BackSpace");
    Line("type " + d.Text()).Line("keys Return").Gone("Datum eingeben").Line("sleep 1000");
  }

  // The two persons and two events of the day's first part, entered here
  // through the editors into the program directory's tables.
  void SeedEntries() {
    InitColorTable();
    LoadSettings();
    CreateUserDatabase();
    {
      std::unique_ptr<TfrmPersErf> e(new TfrmPersErf(Application));
      e->Show();
      for (const char* p : {"Anna|Schaltjahr|29021980", "Karl|Weihnacht|24121950"}) {
        const std::string s = p;
        driver.Click(e->pbInsert);
        driver.Type(s.substr(0, s.find('|')));
        e->editEigeNachname->SetFocus();
        driver.Type(s.substr(s.find('|') + 1, s.rfind('|') - s.find('|') - 1));
        e->editEigeDatum->SetFocus();
        driver.Type(s.substr(s.rfind('|') + 1));
        driver.Click(e->pbPost);
      }
    }
    {
      std::unique_ptr<TfrmEreiErf> e(new TfrmEreiErf(Application));
      e->Show();
      for (const char* ev : {"28032010|Hausbau begonnen", "01081991|Erster Arbeitstag"}) {
        const std::string s = ev;
        driver.Click(e->pbInsert);
        driver.Type(s.substr(0, s.find('|')));
        e->memoEigeText->SetFocus();
        driver.Type(s.substr(s.find('|') + 1));
        driver.Click(e->pbPost);
      }
    }
    ReleaseData();
    Session->Close();
    fs::copy(Root() / "BENUTZER", Dir() / "BENUTZER", fs::copy_options::recursive);
  }

  // From the preview (its print button), through the print dialog's PDF
  // printer and the file dialog, into a PDF file of the directory.
  void PrintToPdf(TfrmPreview* preview, const std::string& name) {
    const std::string pdf = (Dir() / (name + ".pdf")).string();
    Await(Title(preview)).Line("sleep 500").Grab(name + "_preview", Title(preview));
    Click(preview->WPToolBar1->ButtonOf(wpgPrint, wpcmdPrint)).Await("Drucken").Line("keys Return");
    Line("sleep 1500").Line("keys ctrl+a").Line("type " + pdf).Line("keys Return");
    Line("run for i in $(seq 100); do test -s " + pdf + " && exit 0; sleep 0.1; done; exit 1");
    Line("sleep 500").Line("keys Escape").Gone(Title(preview));
  }
};

TEST_F(DayOfUse, FirstStartEntriesTenDaysAndTheWarner) {
  if (!Have("xvfb-run")) GTEST_SKIP() << "xvfb-run is not installed";
  const fs::path dir = FreshProgram("day");
  TfrmMain* f = Start();
  driver.Advance(200);
  const std::string main = kMain;
  menuFocus = f->pnlGauge;
  TExplorerButton* rubricButtons[] = {f->pbEige, f->pbPGeb, f->pbPTod, f->pbErei, f->pbName, f->pbFTag};

  // The first start; the password defined.
  Line("start").Await(main, 30000).Line("sleep 1200").Line("mark started");
  Menu(f->mnpPassDef).Await("Pa\xc3\x9fwort definieren");
  Line(std::string("type ") + kPassword).Line("keys Tab").Line(std::string("type ") + kPassword);
  Line("keys Return").Gone("Pa\xc3\x9fwort definieren");

  // Two persons: the editor asks for the password first.
  {
    std::unique_ptr<TfrmPersErf> e(new TfrmPersErf(Application));
    Menu(f->mnpPersErf).Await("Pa\xc3\x9fwort eingeben");
    Line(std::string("type ") + kPassword).Line("keys Return").Await(Title(e.get())).Line("sleep 300");
    for (const char* p : {"Anna\tSchaltjahr\t29021980", "Karl\tWeihnacht\t24121950"}) {
      std::istringstream in(p);
      std::string first, last, date;
      std::getline(in, first, '\t');
      std::getline(in, last, '\t');
      std::getline(in, date);
      Click(e->pbInsert).Line("sleep 300").Line("type " + first).Line("keys Tab").Line("type " + last);
      Line("keys Tab Tab Tab").Line("type " + date).Click(e->pbPost).Line("sleep 400");
    }
    Grab("person_editor", Title(e.get())).Line("keys Escape").Gone(Title(e.get())).Line("mark persons");
  }
  // Two events: no second password prompt in this start.
  {
    std::unique_ptr<TfrmEreiErf> e(new TfrmEreiErf(Application));
    Menu(f->mnpEreiErf).Await(Title(e.get())).Line("sleep 300");
    for (const char* ev : {"28032010\tHausbau begonnen", "01081991\tErster Arbeitstag"}) {
      std::istringstream in(ev);
      std::string date, text;
      std::getline(in, date, '\t');
      std::getline(in, text);
      Click(e->pbInsert).Line("sleep 300").Line("type " + date).Click(e->memoEigeText).Line("type " + text);
      Click(e->pbPost).Line("sleep 400");
    }
    Grab("event_editor", Title(e.get())).Line("keys Escape").Gone(Title(e.get())).Line("mark events");
  }

  // Ten days, six rubrics each; the warner on three of them.
  const auto bc = BeforeChrist();
  ASSERT_FALSE(bc.empty());
  const Day bcDay{bc.begin()->first.second, bc.begin()->first.first, 2027};
  const std::vector<Day> days = {{29, 2, 2028}, {27, 2, 2028}, {28, 2, 2027}, {24, 12, 2027}, {28, 3, 2027},
                                 {26, 3, 2027}, bcDay,         {1, 8, 2027},  {1, 1, 2027},  {15, 8, 2027}};
  const std::set<size_t> warnerDays = {0, 1, 5};
  for (size_t i = 0; i < days.size(); ++i) {
    GoTo(days[i]);
    for (int r = 0; r < 6; ++r)
      Click(rubricButtons[r]).Line("sleep 150").Grab("page" + std::to_string(i) + "_" + std::to_string(r + 1), main);
    if (warnerDays.count(i)) {
      Click(f->pbTermine).Await("Termine").Line("sleep 300").Grab("warner" + std::to_string(i), "Termine");
      Line("keys Escape").Gone("Termine");
    }
  }
  Line("mark pages").Line("close " + main).Line("end 20000");
  std::string marks;
  const std::string failure = RunScript("day", 240, &marks);
  ASSERT_EQ(failure, "") << marks;
  std::printf("%s", marks.c_str());

  // The first start made the user's tables and took in the templates.
  for (const char* t : {"EIGENES", "SELCODE", "EIGESELC", "LAYOUT", "TERMINE"})
    EXPECT_TRUE(fs::exists(dir / "BENUTZER" / (std::string(t) + ".FFD"))) << t;
  {
    datatest::TTableReader layouts((dir / "BENUTZER").string(), "LAYOUT");
    std::set<AnsiString> titles;
    for (bool ok = layouts.First(); ok; ok = layouts.Next()) titles.insert(layouts.Str("LOUT_TITEL"));
    EXPECT_EQ(titles, (std::set<AnsiString>{"Geburtstagsblatt", "Blatt zu einer runden Anzahl Lebenstage",
                                            "Namensblatt"}));
  }
  // What the editors stored, read from the table file.
  {
    datatest::TTableReader own((dir / "BENUTZER").string(), "EIGENES");
    std::set<std::string> rows;
    for (bool ok = own.First(); ok; ok = own.Next())
      rows.insert(std::to_string(own.Int("EIGE_TYP")) + " " + own.Str("EIGE_VORNAME") + " " +
                  own.Str("EIGE_NACHNAME") + " " + std::to_string(own.Int("EIGE_TAG")) + "." +
                  std::to_string(own.Int("EIGE_MONAT")) + "." + std::to_string(own.Int("EIGE_JAHR")));
    EXPECT_EQ(rows, (std::set<std::string>{"1 Anna Schaltjahr 29.2.1980", "1 Karl Weihnacht 24.12.1950",
                                           "2   28.3.2010", "2   1.8.1991"}));
  }
  TIniFile written((dir / "Orvelan.Ini").string());
  EXPECT_EQ(written.ReadString("ALLGEMEIN", "Passwort", ""), kPassword);
  Grabbed("person_editor");
  Grabbed("event_editor");

  // Every page as this window builds it on the program's tables and settings.
  TakeOver(true);
  f = Start();
  PendingPassword = "";
  driver.Advance(200);
  std::map<std::string, AnsiString> texts;
  for (size_t i = 0; i < days.size(); ++i) {
    ShowDay(f, EncodeDate(days[i].Y, days[i].M, days[i].D));
    for (int r = 1; r <= 6; ++r) {
      SCOPED_TRACE(days[i].Text() + " rubric " + std::to_string(r));
      f->SetRubrik(r);
      driver.Process();
      const std::string name = "page" + std::to_string(i) + "_" + std::to_string(r);
      const TSurface shown = Grabbed(name);
      ASSERT_FALSE(shown.Empty());
      EXPECT_EQ(Differ(shown, f->WPRichText1), 0);
      EXPECT_EQ(Differ(shown, f->boxKalender), 0);
      EXPECT_EQ(Differ(shown, f->Kalender), 0);
      texts[name] = PageText(f->WPRichText1);
    }
  }
  // What the pages say: the own persons on their day (29 February on 28
  // February in a common year), the events, Christmas, Easter Sunday and
  // the persons before Christ.
  EXPECT_NE(texts["page0_1"].find("Anna Schaltjahr"), AnsiString::npos) << texts["page0_1"];
  EXPECT_NE(texts["page2_1"].find("Anna Schaltjahr"), AnsiString::npos) << texts["page2_1"];
  EXPECT_EQ(texts["page1_1"].find("Anna Schaltjahr"), AnsiString::npos) << texts["page1_1"];
  EXPECT_NE(texts["page3_1"].find("Karl Weihnacht"), AnsiString::npos) << texts["page3_1"];
  EXPECT_NE(texts["page4_1"].find("Hausbau begonnen"), AnsiString::npos) << texts["page4_1"];
  EXPECT_NE(texts["page7_1"].find("Erster Arbeitstag"), AnsiString::npos) << texts["page7_1"];
  EXPECT_NE(texts["page3_6"].find("Weihnacht"), AnsiString::npos) << texts["page3_6"];
  EXPECT_NE(texts["page4_6"].find("Ostersonntag"), AnsiString::npos) << texts["page4_6"];
  EXPECT_NE(texts["page6_2"].find("v.Chr."), AnsiString::npos) << texts["page6_2"];

  // The warner on each of its days, as built here: the entry due and when.
  const std::map<size_t, const char*> due = {{0, "Anna"}, {1, "Anna"}, {5, "Hausbau"}};
  for (size_t i : warnerDays) {
    SCOPED_TRACE(days[i].Text());
    const TSurface shown = Grabbed("warner" + std::to_string(i));
    ASSERT_FALSE(shown.Empty());
    auto* w = new TfrmTermin(Application);
    w->SetDate(MakePackedDate(days[i].Y, days[i].M, days[i].D));
    ASSERT_TRUE(w->FillTermine());
    w->dsEigeDataChange();
    w->Show();
    driver.Process();
    EXPECT_EQ(Differ(shown, w->gridTerm), 0);
    EXPECT_EQ(Differ(shown, w->pnlRight), 0);
    const AnsiString said = w->lblName->Caption() + " " + w->lblWann->Caption() + " " + w->memoEigeText->Text();
    EXPECT_NE(said.find(due.at(i)), AnsiString::npos) << said;
    EXPECT_NE(w->lblWann->Caption().find(i == 0 ? "Heute" : "In zwei Tagen"), AnsiString::npos)
        << w->lblWann->Caption();
    delete w;
  }
}


// The rest of the day, on the entries of the first part: a person's link
// into the data window and back through its history, its page copied and
// read with xclip; the box's other face; a display setting and the
// parameters changed; a template written and a sheet printed from it to
// PDF; the three printed lists to PDF; then a second start of the day: the
// day, rubric, placement, settings, entries and template are back, a third
// start hands over to it, and an automatic start on the same day shows only
// its notice.
TEST_F(DayOfUse, LinksSettingsTemplatesPrintingAndTheNextStart) {
  if (!Have("xvfb-run") || !Have("xclip") || !Have("pdftotext")) GTEST_SKIP() << "xvfb-run, xclip or pdftotext missing";
  const fs::path dir = FreshProgram("day2");
  SeedEntries();
  apptest::Put(dir / "Orvelan.Ini", "[ALLGEMEIN]\r\nRubrik=2\r\n");
  apptest::Put(Ini(), "[ALLGEMEIN]\r\nRubrik=2\r\n");
  TfrmMain* f = Start();
  driver.Advance(200);
  const std::string main = kMain;
  menuFocus = f->pnlGauge;
  Line("start").Await(main, 30000).Line("sleep 1200").Line("mark started");

  // The births page of a day with persons before Christ, scrolled to its
  // end.
  const auto bc = BeforeChrist();
  ASSERT_FALSE(bc.empty());
  const Day bcDay{bc.begin()->first.second, bc.begin()->first.first, 2027};
  const TPoint wheelAt{f->WPRichText1->Width() / 2, f->WPRichText1->Height() / 2};
  GoTo(bcDay);
  Line("wheel " + At(f->WPRichText1, wheelAt) + " 40 " + main).Line("sleep 500").Grab("bc_end", main);
  // A link of a births page into the data window, a link of the data
  // window, back, and the page copied: on the first day of 2027 whose page
  // shows a link to a person whose own page shows a link in its turn.
  auto* d = new TfrmDispData(Application);
  TPoint link, next;
  std::string titleA, titleB;
  Day linkDay{};
  for (int n = 0; n < 365 && titleA.empty(); ++n) {
    int y = 0, m = 0, dd = 0;
    DecodeDate(EncodeDate(2027, 1, 1) + n, y, m, dd);
    linkDay = {dd, m, y};
    ShowDay(f, EncodeDate(y, m, dd));
    for (const auto& [stamp, at] : VisibleLinks(f->WPRichText1)) {
      d->ClearHistory();
      d->AddToHistory(dkPerson, StrToInt(stamp.substr(2)));
      d->Show();
      d->ShowItem();
      driver.Process();
      const auto further = VisibleLinks(d->WPRichText1);
      if (further.empty()) continue;
      link = at;
      next = further[0].second;
      titleA = Title(d);
      break;
    }
  }
  ASSERT_FALSE(titleA.empty()) << "no day with a link that leads further";
  GoTo(linkDay);
  Click(f->WPRichText1, link).Await(titleA).Line("sleep 500").Grab("data_a", titleA);
  driver.Click(d->WPRichText1, next.X, next.Y);
  titleB = Title(d);
  ASSERT_NE(titleA, titleB);
  Line("click " + At(d->WPRichText1, next) + " " + titleA).Await(titleB).Line("sleep 500").Grab("data_b", titleB);
  Click(d->pbPrev).Await(titleA).Line("sleep 500").Grab("data_back", titleA);
  Line("click " + At(d->pbCopy) + " " + titleA).Line("windows 8000 2 Orvelan").Line("sleep 300");
  Line("run xclip -o -selection clipboard >" + (dir / "clip.txt").string()).Line("keys Return");
  Line("sleep 300").Line("close " + titleA).Gone(titleA).Line("mark data window");

  // The box's other face; births without their places; Austria and Vienna.
  Click(f->boxKalender).Line("sleep 400");
  {
    std::unique_ptr<TfrmPersDef> def(new TfrmPersDef(Application, rbBirths));
    def->Show();
    Menu(f->mnpPGebDisp).Await(Title(def.get())).Click(def->cbSwitches[0]).Line("sleep 300");
    Grab("births_settings", Title(def.get())).Line("keys Return").Gone(Title(def.get())).Line("sleep 500");
    Grab("births_changed", main);
  }
  {
    std::unique_ptr<TfrmParams> p(new TfrmParams(Application));
    p->Show();
    std::unique_ptr<TfrmLage> l(new TfrmLage(Application));
    l->Show();
    Menu(f->mnpParams).Await(Title(p.get())).Click(p->rgLand->Buttons(1)).Click(p->pbVorgabe).Await(Title(l.get()));
    Click(l->editGoto).Line("type Wien").Line("sleep 800").Grab("place", Title(l.get()));
    Line("keys Return").Gone(Title(l.get())).Grab("params", Title(p.get())).Line("keys Return").Gone(Title(p.get()));
    Line("sleep 300").Grab("vienna", main);
    GoTo({26, 10, 2027});
    Click(f->pbFTag).Line("sleep 300").Grab("holidays_austria", main).Line("mark settings");
  }

  // A template of its own, and a sheet from it for the first person.
  const std::string sheet = "sheet";
  {
    std::unique_ptr<TfrmLayout> e(new TfrmLayout(Application));
    e->Show();
    driver.Process();
    Menu(f->mnpLayout).Await(Title(e.get())).Line("sleep 300").Click(e->pbInsert).Click(e->editLOutTitel);
    Line("type Mein Blatt").Click(e->DBWPRichText1, {20, 12}).Line("type Blatt fuer <Vorname> <Nachname>.");
    Line("sleep 300").Grab("template", Title(e.get())).Click(e->pbPost).Await("Hinweis").Line("keys Escape");
    Gone("Hinweis").Click(e->pbExit).Gone(Title(e.get()));
  }
  {
    std::unique_ptr<TfrmDrucken> w(new TfrmDrucken(Application));
    w->Show();
    std::unique_ptr<TfrmListLOut> list(new TfrmListLOut(Application));
    list->Show();
    auto* preview = new TfrmPreview(Application);
    preview->Show();
    driver.Process();
    Menu(f->mnpDrucken).Await(Title(w.get())).Click(w->pbListLOut).Await(Title(list.get()));
    Click(list->editGoto).Line("type Mein").Line("sleep 800").Line("keys Return").Gone(Title(list.get()));
    Line("sleep 300").Grab("sheet_window", Title(w.get())).Click(w->pbDrucken);
    PrintToPdf(preview, sheet);
    Line("close " + Title(w.get())).Gone(Title(w.get())).Line("mark sheet");
    // The three lists: the diary and the birthday list of 1900 to 1999, the
    // overview of February.
    for (int list = plDiary; list <= plBirthdayOverview; ++list) {
      std::unique_ptr<TfrmDruckEige> pl(new TfrmDruckEige(Application, list));
      pl->Show();
      driver.Process();
      Menu(list == plDiary ? f->mnpTagebuch : list == plBirthdayList ? f->mnpGebListe : f->mnpGebUebersicht);
      Await(Title(pl.get()));
      if (list == plBirthdayOverview) Click(pl->cmbMonat).Line("sleep 300").Line("keys Down Return").Line("sleep 300");
      Click(pl->pbDrucken);
      PrintToPdf(preview, "list" + std::to_string(list));
      Line("close " + Title(pl.get())).Gone(Title(pl.get()));
    }
    Line("mark lists");
  }
  Line("geometry " + main).Line("close " + main).Line("end 20000");

  // The next start: the last rubric (holidays) on today; the page of a day
  // with an own person; a third start hands over; an
  // automatic start on the same day only shows its notice.
  Line("start").Await(main, 30000).Line("sleep 1200").Line("geometry " + main).Grab("next_start", main);
  GoTo({29, 2, 2028});
  Click(f->pbEige).Line("sleep 500").Grab("next_personal", main);
  Line("again 20000 0").Line("alive").Line("close " + main).Line("end 20000");
  Line("start /a").Line("window 8000 Orvelan").Line("sleep 300").Grab("autostart", "Orvelan");
  Line("gone 0 " + main).Line("end 8000").Line("mark done");
  std::string marks;
  ASSERT_EQ(RunScript("day2", 240, &marks), "") << marks;
  std::printf("%s", marks.c_str());

  // The data window as built here: second page, back to the first, the
  // copied text.
  EXPECT_EQ(Differ(Grabbed("data_b"), d->WPRichText1), 0);
  EXPECT_GT(Differ(Grabbed("data_a"), d->WPRichText1), 0);
  driver.Click(d->pbPrev);
  EXPECT_EQ(Differ(Grabbed("data_a"), d->WPRichText1), 0);
  EXPECT_EQ(Differ(Grabbed("data_back"), d->WPRichText1), 0);
  driver.AnswerNextMessageBox(IDOK);
  driver.Click(d->pbCopy);
  AnsiString clip;
  ASSERT_TRUE(Utf8ToCp1252(apptest::Slurp(dir / "clip.txt"), clip));
  EXPECT_GT(clip.size(), 40u);
  EXPECT_EQ(clip, Clipboard()->AsText());
  delete d;
  // The births page scrolled to those born before Christ, as built here.
  ShowDay(f, EncodeDate(bcDay.Y, bcDay.M, bcDay.D));
  driver.Wheel(f->WPRichText1, -40, wheelAt.X, wheelAt.Y);
  driver.Process();
  const TSurface bcEnd = Grabbed("bc_end");
  EXPECT_EQ(Differ(bcEnd, f->WPRichText1), 0);
  EXPECT_TRUE(ShownLineHas(f->WPRichText1, "v.Chr."));

  // The settings the program stored, and what they show.
  TIniFile written((dir / "Orvelan.Ini").string());
  EXPECT_EQ(written.ReadInteger("ALLGEMEIN", "Land", -1), 1);
  auto degrees = [&](const char* key) {
    double v = 0;
    return TryStrToFloat(written.ReadString("ALLGEMEIN", key, ""), v) ? v : 0;
  };
  EXPECT_NEAR(degrees("Geografische Breite"), 48.21, 0.01);
  EXPECT_NEAR(degrees("Geografische Laenge"), -16.37, 0.01);
  EXPECT_EQ(written.ReadInteger("ALLGEMEIN", "Rubrik", -1), rbPersonal);  // the next start's last
  const std::string marksText = marks;
  std::vector<std::string> geometries;
  for (size_t at = 0; (at = marksText.find("geometry ", at)) != std::string::npos; ++at)
    geometries.push_back(marksText.substr(at, marksText.find('\n', at) - at));
  ASSERT_EQ(geometries.size(), 2u) << marks;
  EXPECT_EQ(geometries[0], geometries[1]) << "the main window's placement is back";
  TakeOver(true);
  f = Start();
  PendingPassword = "";
  driver.Advance(200);
  // The next start on today's holidays page (the first start's last
  // rubric), with Vienna's sun and moon.
  f->SetRubrik(rbHolidays);
  driver.Process();
  const TSurface nextStart = Grabbed("next_start");
  EXPECT_EQ(Differ(nextStart, f->WPRichText1), 0);
  EXPECT_EQ(Differ(nextStart, f->boxKalender), 0);
  EXPECT_EQ(Differ(nextStart, f->Kalender), 0);
  // The box's sun-and-moon face for Vienna; Austria's national holiday
  // (the date dialog turns the box back to its moon-phase face).
  ShowDay(f, EncodeDate(linkDay.Y, linkDay.M, linkDay.D));
  driver.Click(f->boxKalender);
  EXPECT_EQ(Differ(Grabbed("vienna"), f->boxKalender), 0);
  driver.Click(f->boxKalender);
  ShowDay(f, EncodeDate(2027, 10, 26));
  const TSurface austria = Grabbed("holidays_austria");
  EXPECT_EQ(Differ(austria, f->WPRichText1), 0);
  EXPECT_EQ(Differ(austria, f->boxKalender), 0);
  EXPECT_NE(PageText(f->WPRichText1).find("Nationalfeiertag"), AnsiString::npos);
  ShowDay(f, EncodeDate(linkDay.Y, linkDay.M, linkDay.D));
  f->SetRubrik(rbBirths);
  driver.Process();
  const TSurface changed = Grabbed("births_changed");
  EXPECT_EQ(Differ(changed, f->WPRichText1), 0);
  EXPECT_GT(Differ(bcEnd, f->WPRichText1), 0);  // the setting did change the page
  ShowDay(f, EncodeDate(2028, 2, 29));
  f->SetRubrik(rbPersonal);
  driver.Process();
  EXPECT_EQ(Differ(Grabbed("next_personal"), f->WPRichText1), 0);
  EXPECT_NE(PageText(f->WPRichText1).find("Anna Schaltjahr"), AnsiString::npos);
  for (const char* shot : {"births_settings", "place", "params", "template", "sheet_window", "autostart"})
    EXPECT_FALSE(Grabbed(shot).Empty()) << shot;

  // The template in its table; the PDF files' text.
  {
    datatest::TTableReader layouts((dir / "BENUTZER").string(), "LAYOUT");
    std::map<int, AnsiString> titles;
    for (bool ok = layouts.First(); ok; ok = layouts.Next())
      titles[static_cast<int>(layouts.Int("LOUT_ID"))] = layouts.Str("LOUT_TITEL");
    EXPECT_EQ(titles[1000], "Mein Blatt");
    EXPECT_EQ(written.ReadInteger("VORLAGEN DRUCKEN", "Vorlage", 0), 1000);
  }
  auto pdf = [&](const std::string& name) { return Shell("pdftotext -layout '" + (dir / (name + ".pdf")).string() + "' -"); };
  const std::string sheetText = pdf(sheet);
  EXPECT_NE(sheetText.find("Blatt fuer Anna Schaltjahr."), std::string::npos) << sheetText;
  const std::string diary = pdf("list0"), birthdays = pdf("list1"), overview = pdf("list2");
  EXPECT_NE(diary.find("Erster Arbeitstag"), std::string::npos) << diary;
  EXPECT_EQ(diary.find("Hausbau"), std::string::npos) << diary;  // 2010 lies outside 1900 to 1999
  EXPECT_NE(birthdays.find("Schaltjahr"), std::string::npos) << birthdays;
  EXPECT_NE(birthdays.find("Weihnacht"), std::string::npos) << birthdays;
  EXPECT_NE(overview.find("Schaltjahr"), std::string::npos) << overview;
  EXPECT_EQ(overview.find("Weihnacht"), std::string::npos) << overview;
}

}  // namespace
