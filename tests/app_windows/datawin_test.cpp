// The data window against the sources of the reference data: a chain of 25
// person links clicked in the window keeps the last 20 pages, back and
// forward reach them where the user left them, and each page shows the
// person's record; event, holiday and patron pages; the copy and the
// printout keep the links' visible text and drop their stamps.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "app/text/formatters.h"
#include "app/windows/datawin.h"
#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/clipbrd.h"
#include "tests/app_windows/windows_fixture.h"

namespace {

using namespace wintest;

// The display name by the sources' rule: given names, predicate, surname.
AnsiString ExpectedName(const TSourcePerson& p) {
  const size_t comma = p.Name.find(',');
  AnsiString surname = Trim(p.Name.substr(0, comma));
  const AnsiString given = comma == AnsiString::npos ? "" : Trim(p.Name.substr(comma + 1));
  if (!p.Predicate.empty()) surname = p.Predicate + (strchr("'-", p.Predicate.back()) ? "" : " ") + surname;
  return AnsiString(p.Attr == 1 ? "hl. " : p.Attr == 2 ? "sel. " : "") + (given.empty() ? "" : given + " ") + surname;
}

// The page shows the person's name (also as caption), life dates and text.
void ExpectPersonPage(TfrmDispData* f, int id) {
  const TSourcePerson& p = *SourcePerson(id);
  const std::vector<AnsiString> pars = PageParagraphs(f->WPRichText1);
  EXPECT_EQ(pars[0], ExpectedName(p)) << id;
  EXPECT_EQ(f->Caption(), ExpectedName(p));
  auto line = [&](const char* sign, int year) {
    return year == 0 || std::any_of(pars.begin(), pars.end(), [&](const AnsiString& s) {
             return s.rfind(sign, 0) == 0 && s.find(IntToStr(year)) != AnsiString::npos;
           });
  };
  EXPECT_TRUE(line("*\xA0", p.Birth.Year) && line("\x86\xA0", p.Death.Year)) << id;
  EXPECT_NE(PageText(f->WPRichText1).find(Squeezed(PlainText(p.Note))), AnsiString::npos) << id;
}

TfrmDispData* OpenOn(uint8_t kind, int id) {
  auto* f = new TfrmDispData(Application);
  f->SetBounds(0, 0, 600, 480);
  f->ClearHistory();
  f->AddToHistory(kind, id);
  f->Show();
  return f;
}

TEST_F(WindowsTest, AChainOf25PersonLinksKeepsTheLast20PagesBackAndForward) {
  Start();
  // 26 persons, each linked in the long text of the one before.
  std::vector<int> path;
  std::function<bool(int)> walk = [&](int id) {
    path.push_back(id);
    if (path.size() == 26) return true;
    for (int next : LinksOf(id))
      if (walk(next)) return true;
    path.pop_back();
    return false;
  };
  for (const TSourcePerson& p : Sources().Persons)
    if (walk(p.Id)) break;
  ASSERT_EQ(path.size(), 26u);

  TfrmDispData* f = OpenOn(dkPerson, path[0]);
  driver.Process();
  std::map<int, int> leftAt;  // scroll offset of each page when its link was followed
  for (int step = 0; step < 25; ++step) {
    ExpectPersonPage(f, path[step]);
    TPoint at;
    ASSERT_TRUE(LinkPoint(f->WPRichText1, "p:" + IntToStr(path[step + 1]), at)) << path[step];
    leftAt[step] = f->WPRichText1->TopOffset();
    driver.Click(f->WPRichText1, at.X, at.Y);
  }
  ExpectPersonPage(f, path[25]);
  ASSERT_EQ(f->Current(), 20);
  EXPECT_EQ(f->Last(), 20);
  for (int i = 1; i <= 20; ++i) EXPECT_EQ(f->History(i).Id, path[i + 5]);
  EXPECT_FALSE(f->pbNext->Enabled());
  for (int i = 19; i >= 1; --i) {
    driver.Click(f->pbPrev);
    ExpectPersonPage(f, path[i + 5]);
    EXPECT_EQ(f->WPRichText1->TopOffset(), leftAt[i + 5]) << i;
  }
  EXPECT_FALSE(f->pbPrev->Enabled());
  for (int i = 2; i <= 20; ++i) driver.Click(f->pbNext);
  ExpectPersonPage(f, path[25]);
  EXPECT_FALSE(f->pbNext->Enabled());
  // Two back and a link followed: the page beyond stays reachable.
  driver.Click(f->pbPrev);
  driver.Click(f->pbPrev);
  TPoint at;
  ASSERT_TRUE(LinkPoint(f->WPRichText1, "p:" + IntToStr(path[24]), at));
  driver.Click(f->WPRichText1, at.X, at.Y);
  EXPECT_EQ(f->Current(), 19);
  driver.Click(f->pbNext);
  ExpectPersonPage(f, path[25]);
  // A link number that is none raises before the history changes.
  EXPECT_THROW(f->WPRichText1HyperLinkEvent("p:12x"), EConvertError);
  EXPECT_EQ(f->Current(), 20);
  driver.SavePng(f, "windows_data_person");
}

TEST_F(WindowsTest, EventHolidayAndPatronPagesAndTheCopyAndPrintoutWithoutStamps) {
  Start();
  const TReferenceData& src = Sources();
  const TSourceEvent& event = *std::find_if(src.Events.begin(), src.Events.end(),
                                            [](const TSourceEvent& e) { return HasLinks(e.Text); });
  TfrmDispData* f = OpenOn(dkEvent, event.Id);
  driver.Process();
  EXPECT_EQ(PageParagraphs(f->WPRichText1)[0],
            HistoricDateText(event.Year, event.Month, event.Day, 1, 1, hdOther, mfFull));
  EXPECT_NE(PageText(f->WPRichText1).find(Squeezed(PlainText(event.Text))), AnsiString::npos);
  driver.SavePng(f, "windows_data_event");

  const TSourceHoliday& h = *std::find_if(src.Holidays.begin(), src.Holidays.end(),
                                          [](const TSourceHoliday& e) { return HasLinks(e.Text); });
  f->AddToHistory(dkHoliday, h.Id);
  f->ShowItem();
  EXPECT_EQ(PageParagraphs(f->WPRichText1)[0], HolidayRuleText(h.Kind, h.Month, h.Day, mfFull));
  EXPECT_NE(PageText(f->WPRichText1).find(Squeezed(h.Countries + " " + PlainText(h.Text))), AnsiString::npos);
  driver.SavePng(f, "windows_data_holiday");

  // The person a note names is not the name's patron.
  f->AddToHistory(dkPatron, std::find_if(src.Patrons.begin(), src.Patrons.end(), [](auto& p) {
                              return p.See && !SourcePerson(p.See)->Patron.empty();
                            })->Id);
  f->ShowItem();
  for (const AnsiString& par : PageParagraphs(f->WPRichText1)) EXPECT_TRUE(par != "Patron:" && par != "Patronin:") << par;
  // A patron whose saint's patronage is known, of a name with forms.
  auto baseOf = [&](int name) { return src.Names[name - 1].Type == 0 ? name : src.Names[name - 1].Of; };
  const TSourcePatron& patron = *std::find_if(src.Patrons.begin(), src.Patrons.end(), [&](const TSourcePatron& p) {
    return p.Person && !SourcePerson(p.Person)->Patron.empty() &&
           std::any_of(src.Names.begin(), src.Names.end(), [&](const TSourceName& n) { return n.Of == baseOf(p.Name); });
  });
  const TSourcePerson& saint = *SourcePerson(patron.Person);
  f->AddToHistory(dkPatron, patron.Id);
  f->ShowItem();
  const std::vector<AnsiString> pars = PageParagraphs(f->WPRichText1);
  EXPECT_EQ(pars[0], HistoricDateText(0, patron.Month, patron.Day, 1, 1, hdOther, mfFull) + ": " +
                         src.Names[patron.Name - 1].Name);
  EXPECT_EQ(pars[2], ExpectedName(saint));
  EXPECT_EQ(pars[4], saint.Gender == 1 ? "Patronin:" : "Patron:");
  EXPECT_EQ(pars[5], saint.Patron);
  EXPECT_EQ(pars[pars.size() - 2], "Namensformen:");
  EXPECT_EQ(pars.back().rfind(src.Names[baseOf(patron.Name) - 1].Name + ", ", 0), 0u);
  driver.SavePng(f, "windows_data_patron");
  TPoint at;
  ASSERT_TRUE(LinkPoint(f->WPRichText1, "p:" + IntToStr(saint.Id), at));
  driver.Click(f->WPRichText1, at.X, at.Y);
  ExpectPersonPage(f, saint.Id);

  // Copied twice: the page's text once, the links' text kept, no stamp, no
  // NUL, single blanks.
  for (size_t round = 1; round <= 2; ++round) {
    driver.AnswerNextMessageBox(IDOK);
    driver.Click(f->pbCopy);
    ASSERT_EQ(driver.MessageBoxes().size(), round);
    EXPECT_EQ(driver.MessageBoxes().back().Text, "Der Text befindet sich jetzt in der Zwischenablage");
    const AnsiString copied = Clipboard()->AsText();
    EXPECT_EQ(Squeezed(copied), PageText(f->WPRichText1));
    EXPECT_EQ(copied.find_first_of(AnsiString("\0", 1)), AnsiString::npos);
    EXPECT_EQ(copied.find("p:"), AnsiString::npos);
    EXPECT_EQ(copied.find("  "), AnsiString::npos);
  }
  // Printed (by the hidden copy source) into a PDF file.
  const std::string pdf = (Root() / "daten.pdf").string();
  Printer()->SetPrinterIndex(0);
  driver.WhenModal([&](TCustomForm& dlg) { dlg.SetModalResult(mrOk); });
  driver.AnswerNextFileDialog(pdf);
  driver.Click(f->pbPrint);
  if (!Have("pdftotext")) GTEST_SKIP() << "pdftotext is not installed";
  const std::string text = Shell("pdftotext '" + pdf + "' -");
  AnsiString printed;
  ASSERT_TRUE(Utf8ToCp1252(text, printed));
  EXPECT_EQ(Squeezed(printed), PageText(f->WPRichText1));
}

// The smallest window scrolled by lines: a link in the partly shown last
// line is followed from its first row; a press beside it scrolls nothing.
TEST_F(WindowsTest, ALinkInThePartlyShownLastLineOfTheSmallestWindowIsFollowed) {
  Start();
  const int id = std::find_if(Sources().Persons.begin(), Sources().Persons.end(),
                              [](const TSourcePerson& s) { return !LinksOf(s.Id).empty(); })->Id;
  TfrmDispData* f = OpenOn(dkPerson, id);
  const TPoint min = static_cast<TOrvelanForm*>(f)->MinimumSize();
  f->SetBounds(0, 0, min.X, min.Y);
  TWPCustomRtfEdit* e = f->WPRichText1;
  TPoint at;
  const TWPLineRec* l = nullptr;
  ASSERT_TRUE(LinkPoint(e, "p:" + IntToStr(LinksOf(id)[0]), at, true, &l));
  const int top = l->Top, bottom = l->Top + l->Height, h = e->ClientHeight();
  for (e->SetTopOffset(0); top - e->TopOffset() >= h;) e->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
  const int shown = e->TopOffset();
  ASSERT_GT(bottom - shown, h) << "the link's line shows in part";
  driver.Click(e, 2, h - 1);
  EXPECT_EQ(e->TopOffset(), shown) << "a press beside the link";
  driver.Click(e, at.X, top - shown);
  EXPECT_EQ(f->Current(), 2);
  delete f;
}

}  // namespace
