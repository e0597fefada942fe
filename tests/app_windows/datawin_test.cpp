// The data window against the sources of the reference data: a chain of 25
// person links clicked in the window keeps the last 20 pages, back and
// forward reach them where the user left them, and every page shows the
// person's record (name, life dates, long text); the other kinds of pages
// (event, holiday, patron with the forms of the name); the copy on the
// clipboard and the printout keep the links' visible text and drop their
// stamps; and a person's link on the main window's page opens the window.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "app/main/mainwin.h"
#include "app/text/formatters.h"
#include "app/windows/datawin.h"
#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/clipbrd.h"
#include "tests/app_windows/windows_fixture.h"

namespace {

using wintest::WindowsTest;
namespace fs = std::filesystem;
using wintest::PageParagraphs;
using wintest::PageText;
using wintest::Squeezed;

// The display name by the sources' own rule: given names, the predicate
// and the surname, "hl. " or "sel. " in front.
AnsiString ExpectedName(const TSourcePerson& p) {
  const size_t comma = p.Name.find(',');
  AnsiString surname = Trim(p.Name.substr(0, comma));
  const AnsiString given = comma == AnsiString::npos ? "" : Trim(p.Name.substr(comma + 1));
  if (!p.Predicate.empty())
    surname = p.Predicate + (p.Predicate.back() == '\'' || p.Predicate.back() == '-' ? "" : " ") + surname;
  AnsiString name = given.empty() ? surname : given + " " + surname;
  if (p.Attr == 1) name = "hl. " + name;
  if (p.Attr == 2) name = "sel. " + name;
  return name;
}

// The persons a person's long text links, in order.
std::vector<int> LinksOf(const TSourcePerson& p) {
  std::vector<int> out;
  for (const TTextPiece& piece : p.Note)
    if (piece.Link && std::find(out.begin(), out.end(), piece.Link) == out.end()) out.push_back(piece.Link);
  return out;
}

// The page shows the person's record.
void ExpectPersonPage(TfrmDispData* f, int id) {
  const TSourcePerson* p = wintest::SourcePerson(id);
  ASSERT_NE(p, nullptr) << id;
  const std::vector<AnsiString> pars = PageParagraphs(f->WPRichText1);
  ASSERT_FALSE(pars.empty());
  EXPECT_EQ(pars[0], ExpectedName(*p)) << id;
  EXPECT_EQ(f->Caption(), ExpectedName(*p));
  auto lineWith = [&](const char* sign, int year) {
    for (const AnsiString& s : pars)
      if (s.rfind(sign, 0) == 0 && s.find(IntToStr(year)) != AnsiString::npos) return true;
    return false;
  };
  EXPECT_TRUE(p->Birth.Year == 0 || lineWith("*\xA0", p->Birth.Year)) << id;
  EXPECT_TRUE(p->Death.Year == 0 || lineWith("\x86\xA0", p->Death.Year)) << id;
  EXPECT_NE(Squeezed(PageText(f->WPRichText1)).find(Squeezed(PlainText(p->Note))), AnsiString::npos) << id;
}

TfrmDispData* OpenOn(uint8_t kind, int id) {
  TfrmDispData* f = nullptr;
  Application->CreateForm(f);
  f->SetBounds(0, 0, 600, 480);
  f->ClearHistory();
  f->AddToHistory(kind, id);
  f->Show();
  return f;
}

TEST_F(WindowsTest, AChainOf25PersonLinksKeepsTheLast20PagesBackAndForward) {
  Start();
  // A path of 26 persons, each linked in the long text of the one before.
  std::map<int, std::vector<int>> links;
  for (const TSourcePerson& p : wintest::Sources().Persons) links[p.Id] = LinksOf(p);
  std::vector<int> path;
  std::function<bool(int)> walk = [&](int id) {
    path.push_back(id);
    if (path.size() == 26) return true;
    for (int next : links[id])
      if (walk(next)) return true;
    path.pop_back();
    return false;
  };
  bool found = false;
  for (const auto& [id, targets] : links)
    if (!targets.empty() && (found = walk(id))) break;
  ASSERT_TRUE(found);

  TfrmDispData* f = OpenOn(dkPerson, path[0]);
  driver.Process();
  std::map<int, int> leftAt;  // history step -> scroll offset when the link was followed
  for (int step = 0; step < 25; ++step) {
    ExpectPersonPage(f, path[step]);
    TPoint at;
    ASSERT_TRUE(wintest::LinkPoint(f->WPRichText1, "p:" + IntToStr(path[step + 1]), at)) << path[step];
    driver.Process();
    leftAt[step] = f->WPRichText1->TopOffset();
    driver.Click(f->WPRichText1, at.X, at.Y);
  }
  ExpectPersonPage(f, path[25]);
  EXPECT_EQ(f->Current(), 20);
  EXPECT_EQ(f->Last(), 20);
  for (int i = 1; i <= 20; ++i) EXPECT_EQ(f->History(i).Id, path[i + 5]);
  EXPECT_TRUE(f->pbPrev->Enabled());
  EXPECT_FALSE(f->pbNext->Enabled());
  // Back 19 pages: each as the user left it.
  for (int i = 19; i >= 1; --i) {
    driver.Click(f->pbPrev);
    EXPECT_EQ(f->Current(), i);
    ExpectPersonPage(f, path[i + 5]);
    EXPECT_EQ(f->WPRichText1->TopOffset(), leftAt[i + 5]) << i;
  }
  EXPECT_FALSE(f->pbPrev->Enabled());
  EXPECT_TRUE(f->pbNext->Enabled());
  // Forward again to the end.
  for (int i = 2; i <= 20; ++i) {
    driver.Click(f->pbNext);
    ExpectPersonPage(f, path[i + 5]);
  }
  EXPECT_FALSE(f->pbNext->Enabled());
  // Two back and a link followed: the page beyond stays reachable.
  driver.Click(f->pbPrev);
  driver.Click(f->pbPrev);
  TPoint at;
  ASSERT_TRUE(wintest::LinkPoint(f->WPRichText1, "p:" + IntToStr(path[24]), at));
  driver.Click(f->WPRichText1, at.X, at.Y);
  EXPECT_EQ(f->Current(), 19);
  EXPECT_EQ(f->Last(), 20);
  EXPECT_TRUE(f->pbNext->Enabled());
  driver.Click(f->pbNext);
  ExpectPersonPage(f, path[25]);
  // A link number that is none raises before the history changes.
  EXPECT_THROW(f->WPRichText1HyperLinkEvent("p:12x"), EConvertError);
  EXPECT_EQ(f->Current(), 20);
  driver.SavePng(f, "windows_data_person");
}

TEST_F(WindowsTest, EventHolidayAndPatronPagesShowTheirRecords) {
  Start();
  const TReferenceData& src = wintest::Sources();
  // An event with a link in its text.
  const TSourceEvent* event = nullptr;
  for (const TSourceEvent& e : src.Events)
    if (HasLinks(e.Text) && (!event || e.Id == 1)) event = &e;
  ASSERT_NE(event, nullptr);
  TfrmDispData* f = OpenOn(dkEvent, event->Id);
  driver.Process();
  std::vector<AnsiString> pars = PageParagraphs(f->WPRichText1);
  EXPECT_EQ(pars[0], HistoricDateText(event->Year, event->Month, event->Day, 1, 1, hdOther, mfFull));
  EXPECT_EQ(pars[1], Squeezed(PlainText(event->Text)).substr(0, pars[1].size()));
  EXPECT_NE(Squeezed(PageText(f->WPRichText1)).find(Squeezed(PlainText(event->Text))), AnsiString::npos);
  EXPECT_FALSE(f->pbPrev->Enabled());
  driver.SavePng(f, "windows_data_event");
  f->Hide();

  // A holiday: its rule, its countries, its text.
  const TSourceHoliday& h = src.Holidays[5];
  f->ClearHistory();
  f->AddToHistory(dkHoliday, h.Id);
  f->Show();
  f->ShowItem();
  pars = PageParagraphs(f->WPRichText1);
  EXPECT_EQ(pars[0], HolidayRuleText(h.Kind, h.Month, h.Day, mfFull));
  EXPECT_NE(PageText(f->WPRichText1).find(h.Countries), AnsiString::npos);
  EXPECT_NE(Squeezed(PageText(f->WPRichText1)).find(Squeezed(PlainText(h.Text))), AnsiString::npos);
  driver.SavePng(f, "windows_data_holiday");
  f->Hide();

  // A patron with a person whose patronage is known, of a name with forms.
  std::map<int, std::vector<AnsiString>> forms;
  for (const TSourceName& n : src.Names)
    if (n.Type == 1) forms[n.Of].push_back(n.Name);
  const TSourcePatron* patron = nullptr;
  for (const TSourcePatron& p : src.Patrons) {
    const TSourcePerson* person = p.Person ? wintest::SourcePerson(p.Person) : nullptr;
    const int base =
        src.Names[static_cast<size_t>(p.Name - 1)].Type == 0 ? p.Name : src.Names[static_cast<size_t>(p.Name - 1)].Of;
    if (person && !person->Patron.empty() && forms.count(base)) {
      patron = &p;
      break;
    }
  }
  ASSERT_NE(patron, nullptr);
  const TSourceName& name = src.Names[static_cast<size_t>(patron->Name - 1)];
  ASSERT_EQ(name.Id, patron->Name);
  const int base = name.Type == 0 ? name.Id : name.Of;
  const TSourcePerson& saint = *wintest::SourcePerson(patron->Person);
  f->ClearHistory();
  f->AddToHistory(dkPatron, patron->Id);
  f->Show();
  f->ShowItem();
  pars = PageParagraphs(f->WPRichText1);
  EXPECT_EQ(pars[0], HistoricDateText(0, patron->Month, patron->Day, 1, 1, hdOther, mfFull) + ": " + name.Name);
  EXPECT_EQ(pars[2], ExpectedName(saint));
  const auto patronLabel = std::find(pars.begin(), pars.end(), saint.Gender == 1 ? "Patronin:" : "Patron:");
  ASSERT_NE(patronLabel, pars.end());
  EXPECT_EQ(*(patronLabel + 1), saint.Patron);
  AnsiString expectedForms = src.Names[static_cast<size_t>(base - 1)].Name;
  std::vector<AnsiString> sorted = forms[base];
  std::sort(sorted.begin(), sorted.end(),
            [](const AnsiString& a, const AnsiString& b) { return CompareText(a, b) < 0; });
  for (const AnsiString& n : sorted) expectedForms += ", " + n;
  ASSERT_EQ(pars[pars.size() - 2], "Namensformen:");
  EXPECT_EQ(pars.back(), expectedForms + ".");
  // The saint's link leads to the saint's page.
  TPoint at;
  ASSERT_TRUE(wintest::LinkPoint(f->WPRichText1, "p:" + IntToStr(saint.Id), at));
  driver.SavePng(f, "windows_data_patron");
  driver.Click(f->WPRichText1, at.X, at.Y);
  ExpectPersonPage(f, saint.Id);
}

TEST_F(WindowsTest, CopyAndPrintKeepTheLinksTextAndDropTheirStamps) {
  Start();
  // The person with the most links in the long text.
  const TSourcePerson* person = nullptr;
  for (const TSourcePerson& p : wintest::Sources().Persons)
    if (!person || LinksOf(p).size() > LinksOf(*person).size()) person = &p;
  TfrmDispData* f = OpenOn(dkPerson, person->Id);
  driver.Process();
  const AnsiString shown = PageText(f->WPRichText1);
  for (int round = 0; round < 2; ++round) {
    driver.AnswerNextMessageBox(IDOK);
    driver.Click(f->pbCopy);
    ASSERT_EQ(driver.MessageBoxes().size(), static_cast<size_t>(round + 1));
    EXPECT_EQ(driver.MessageBoxes().back().Text, "Der Text befindet sich jetzt in der Zwischenablage");
    const AnsiString copied = Clipboard()->AsText();
    EXPECT_EQ(copied.find('\0'), AnsiString::npos);
    EXPECT_EQ(copied.find("p:"), AnsiString::npos);
    EXPECT_EQ(copied.find("  "), AnsiString::npos);
    // Every paragraph of the page, once, blanks made single.
    EXPECT_EQ(Squeezed(copied), Squeezed(shown));
    for (const TTextPiece& piece : person->Note) {
      if (piece.Link) {
        EXPECT_NE(copied.find(piece.Text), AnsiString::npos) << piece.Text;
      }
    }
  }
  // The page itself keeps its links.
  TPoint at;
  EXPECT_TRUE(wintest::LinkPoint(f->WPRichText1, "p:" + IntToStr(LinksOf(*person)[0]), at));

  const std::string pdf = (Root() / "daten.pdf").string();
  Printer()->SetPrinterIndex(0);
  driver.WhenModal([&](TCustomForm& dlg) { dlg.SetModalResult(mrOk); });
  driver.AnswerNextFileDialog(pdf);
  driver.Click(f->pbPrint);
  ASSERT_TRUE(fs::exists(pdf));
  fs::copy_file(pdf, TUiTestDriver::ArtifactDir() + "/windows_data_print.pdf", fs::copy_options::overwrite_existing);
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext is not installed";
  FILE* p = popen(("pdftotext '" + pdf + "' -").c_str(), "r");
  std::string text;
  char buf[4096];
  while (size_t n = fread(buf, 1, sizeof buf, p)) text.append(buf, n);
  pclose(p);
  AnsiString printed;
  ASSERT_TRUE(Utf8ToCp1252(text, printed));
  EXPECT_EQ(printed.find("p:"), AnsiString::npos);
  EXPECT_EQ(Squeezed(printed).substr(0, 40), Squeezed(shown).substr(0, 40));
}

TEST_F(WindowsTest, APersonsLinkOnTheMainPageOpensTheDataWindow) {
  Start("[ALLGEMEIN]\r\nTermine anzeigen=0\r\n");
  TfrmMain* m = nullptr;
  Application->CreateForm(m);
  m->Show();
  driver.Process();
  driver.Advance(200);
  // A day whose births page carries a link: the busiest day of the sources.
  std::map<std::pair<int, int>, int> linked;
  for (const TSourcePerson& p : wintest::Sources().Persons)
    if (p.Birth.Month > 0 && p.Birth.Day > 0 && !LinksOf(p).empty()) ++linked[{p.Birth.Month, p.Birth.Day}];
  const auto day = std::max_element(linked.begin(), linked.end(), [](auto& a, auto& b) { return a.second < b.second; });
  m->SetRubrik(rbBirths);
  m->Kalender->SetDate(EncodeDate(2000, day->first.first, day->first.second));
  m->Kalender->OnDateChange(m->Kalender);
  driver.Advance(400);
  int target = 0;
  for (const TSourcePerson& p : wintest::Sources().Persons)
    if (p.Birth.Month == day->first.first && p.Birth.Day == day->first.second && !LinksOf(p).empty()) {
      target = LinksOf(p)[0];
      break;
    }
  TPoint at;
  ASSERT_TRUE(wintest::LinkPoint(m->WPRichText1, "p:" + IntToStr(target), at));
  bool opened = false;
  driver.WhenModal([&](TCustomForm& active) {
    auto* d = dynamic_cast<TfrmDispData*>(&active);
    ASSERT_NE(d, nullptr);
    opened = true;
    ExpectPersonPage(d, target);
    driver.PressKey(VK_ESCAPE);
  });
  driver.Click(m->WPRichText1, at.X, at.Y);
  EXPECT_TRUE(opened);
  delete m;
}

}  // namespace
