// Printing sheets by templates: each default template for an own person,
// its dates set by the template's types, created into the preview and
// printed from there to PDF; the PDF's text holds the person's values and
// no placeholder. The counts of years and days follow the person's dates
// (29 February plus years falls on 28 February in a common year), a typed
// count is kept within its limits, and a template without dates needs none.
#include "tests/app_editors/editors_fixture.h"

#include <cstdio>

#include "app/templates/layoutedit.h"
#include "app/templates/layoutlist.h"
#include "app/templates/printsheet.h"
#include "app/windows/preview.h"
#include "richtext/controls/barlinks.h"
#include "tests/shell_helpers.h"

namespace edtest {

using testshell::Shell;

namespace {

class PrintSheetTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    CopyDefaultTemplates();
    CreateDefaultLayouts();
  }
  // An own person entry with its derived date fields.
  static void AddPerson(int id, const char* first, const char* last, TDateTime born, const char* place = "") {
    auto t = apptest::OpenTable(kUserAlias, "EIGENES.FFD", "XEIGE_ID");
    int y = 0, m = 0, d = 0;
    DecodeDate(born, y, m, d);
    t->Append();
    for (auto [field, value] : std::initializer_list<std::pair<const char*, int>>{
             {"EIGE_ID", id}, {"EIGE_TYP", etPerson}, {"EIGE_GESCH", 1}, {"EIGE_TAG", d}, {"EIGE_MONAT", m},
             {"EIGE_JAHR", y}})
      t->FieldByName(field)->SetAsInteger(value);
    t->FieldByName("EIGE_VORNAME")->SetAsString(first);
    t->FieldByName("EIGE_NACHNAME")->SetAsString(last);
    t->FieldByName("EIGE_ORTPR")->SetAsString("in");
    t->FieldByName("EIGE_ORT")->SetAsString(place);
    t->FieldByName("EIGE_DATUM")->SetAsDateTime(born);
    t->Post();
  }
};

TEST_F(PrintSheetTest, EachDefaultTemplatePrintsThePersonsSheetToPdf) {
  const TDateTime born = EncodeDate(1943, 2, 22);
  AddPerson(1, "Maria", "Muster", born, "Bern");
  TemplatePerson = 1;
  int y = 0, m = 0, d = 0;
  DecodeDate(Date(), y, m, d);
  // The next birthday's age, and the next round thousand of days lived.
  const int years = y - 1943 + (m * 100 + d > 222 ? 1 : 0);
  const int days = (static_cast<int>(Date() - born) / 1000 + 1) * 1000;
  struct Case {
    int Layout;
    bool Dates;
    AnsiString Count, Unit, Output;
  };
  const Case cases[] = {{1, true, IntToStr(years), "Jahre", "22.02." + IntToStr(1943 + years)},
                        {2, true, IntToStr(days), "Tage", EntryDateText(born + days)},
                        {3, false, "", "", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Layout);
    TemplateLayout = c.Layout;
    const std::string pdf = (Root() / ("sheet" + std::to_string(c.Layout) + ".pdf")).string();
    driver.WhenModal([&](TCustomForm& form) {
      auto& f = dynamic_cast<TfrmDrucken&>(form);
      EXPECT_EQ(f.dfNachname->Caption(), "Muster");
      EXPECT_EQ(f.pnlEingaben->Visible(), c.Dates);
      if (c.Dates) {
        EXPECT_EQ(f.editQuellDatum->Text(), "22.02.1943");
        EXPECT_FALSE(f.editQuellDatum->Enabled()) << "the birth date is the source date";
        EXPECT_EQ(f.editAnzahl->Text(), c.Count);
        EXPECT_EQ(f.lblEinheit->Caption(), c.Unit);
        EXPECT_EQ(f.dispAusgabeDatum->Caption(), c.Output);
      }
      EXPECT_TRUE(f.pbDrucken->Enabled());
      if (c.Layout == 1) driver.SavePng(&f, "editors_print_sheet");
      driver.Click(f.pbDrucken);
    });
    driver.WhenModal([&, layout = c.Layout](TCustomForm& form) {
      auto& p = dynamic_cast<TfrmPreview&>(form);
      if (layout == 1) driver.SavePng(&p, "editors_print_sheet_preview");
      driver.AnswerNextFileDialog(pdf);
      driver.Click(p.WPToolBar1->ButtonOf(wpgPrint, wpcmdPrint));
      driver.PressKey(VK_ESCAPE);
    });
    driver.WhenModal([&](TCustomForm& printDialog) { printDialog.SetModalResult(mrOk); });
    driver.WhenModal([&](TCustomForm& form) { driver.Click(dynamic_cast<TfrmDrucken&>(form).pbExit); });
    ShowDrucken();
    EXPECT_EQ(TemplateLayout, c.Layout);
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext is not installed";
    const std::string text = Shell("pdftotext -layout '" + pdf + "' -");
    for (const AnsiString& value : {AnsiString("Maria"), AnsiString("Muster")})
      EXPECT_NE(text.find(value), std::string::npos) << value << "\n" << text;
    if (c.Dates) {
      for (const AnsiString& value : {CP1252("22. Februar 1943").str(), c.Count + " " + c.Unit, c.Output.substr(6)})
        EXPECT_NE(text.find(value), std::string::npos) << value << "\n" << text;
    }
    EXPECT_EQ(text.find('<'), std::string::npos) << "a placeholder is left:\n" << text;
  }
  for (auto& b : driver.MessageBoxes()) ADD_FAILURE() << b.Text;
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

TEST_F(PrintSheetTest, CountsFollowTheDatesAndStayWithinTheirLimits) {
  AddPerson(1, "Lena", "Schalt", EncodeDate(1992, 2, 29));
  AddPerson(2, "Ida", "Zehn", Date() - 10000);
  TemplatePerson = 1;
  TemplateLayout = 1;
  AnsiString leap, clamped, days, output;
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmDrucken&>(form);
    Retype(f.editAnzahl, "3");
    leap = f.dispAusgabeDatum->Caption();
    Retype(f.editAnzahl, "2000");
    driver.PressKey(VK_TAB);
    clamped = f.editAnzahl->Text();
    driver.Click(f.pbListLOut);
  });
  // The days template and the other person, each typed into its list.
  for (const char* typed : {"Blatt zu", "Zehn"}) {
    driver.WhenModal([&, typed](TCustomForm&) {
      driver.Type(typed);
      driver.Advance(400);
      driver.PressKey(VK_RETURN);
    });
    driver.WhenModal([&, typed](TCustomForm& form) {
      auto& f = dynamic_cast<TfrmDrucken&>(form);
      if (std::string(typed) == "Zehn") {
        days = f.editAnzahl->Text();
        output = f.dispAusgabeDatum->Caption();
        driver.PressKey(VK_ESCAPE);
      } else {
        driver.Click(f.pbPersList);
      }
    });
  }
  ShowDrucken();
  EXPECT_EQ(leap, "28.02.1995") << "29 February plus 3 years";
  EXPECT_EQ(clamped, "999");
  EXPECT_EQ(days, "11000") << "exactly 10000 days lived";
  EXPECT_EQ(output, EntryDateText(Date() + 1000));
  EXPECT_EQ(TemplatePerson, 2) << "the last person chosen is remembered";
  EXPECT_EQ(TemplateLayout, 2);
  EXPECT_EQ(NextThousandDays(Date(), Date() - 9500), 10000);
  EXPECT_EQ(NextBirthdayYears(EncodeDate(2027, 2, 28), 29, 2, 1992), 35) << "the birthday is today";
}

// A sheet of its own size, across, as a template makes it: the PDF's page is that sheet.
TEST_F(PrintSheetTest, ATemplatesOwnSheetReachesThePdf) {
  const std::string pdf = (Root() / "eigenes.pdf").string();
  driver.WhenModal([&](TCustomForm& form) {
    driver.WhenModal([&](TCustomForm& printDialog) { printDialog.SetModalResult(mrOk); });
    driver.AnswerNextFileDialog(pdf);
    dynamic_cast<TfrmPreview&>(form).PrintDocument();
    driver.PressKey(VK_ESCAPE);
  });
  RunPreview(PageSettings{"", {}, 12000, 8000}, nullptr);
  EXPECT_EQ(Shell("grep -ao '/MediaBox [^]]*' '" + pdf + "'"), "/MediaBox [0 0 600.000000 400.000000\n");
}

// Enter makes the sheet also on a "Liste" button, where the focus lands
// after choosing a template.
TEST_F(PrintSheetTest, EnterOnAListButtonCreatesTheSheet) {
  AddPerson(1, "Maria", "Muster", EncodeDate(1943, 2, 22));
  TemplatePerson = 1;
  TemplateLayout = 3;
  driver.WhenModal([&](TCustomForm& form) { driver.Click(dynamic_cast<TfrmDrucken&>(form).pbListLOut); });
  driver.WhenModal([&](TCustomForm&) { driver.PressKey(VK_RETURN); });  // Ok in the list
  driver.WhenModal([&](TCustomForm&) { driver.PressKey(VK_RETURN); });
  AnsiString opened;
  driver.WhenModal([&](TCustomForm& form) { opened = form.Caption(); driver.PressKey(VK_ESCAPE); });
  driver.WhenModal([&](TCustomForm& form) { driver.Click(dynamic_cast<TfrmDrucken&>(form).pbExit); });
  ShowDrucken();
  EXPECT_EQ(opened, "Vorschau") << "the preview, not the list again";
}

// By keys alone: Tab reaches the tool buttons, Strg+P creates the sheet,
// Enter on "Schließen" closes; "Erstellen" has its picture. A template
// indented 1 cm by a word processor keeps its 1 cm (567 twips), as the
// editor reads it: no grid moves it.
TEST_F(PrintSheetTest, TabReachesTheToolButtonsAndStrgPCreatesTheSheet) {
  AddPerson(1, "Maria", "Muster", EncodeDate(1943, 2, 22));
  TemplatePerson = 1;
  TemplateLayout = 3;
  auto layouts = apptest::OpenTable(kUserAlias, "LAYOUT.FFD", "XLOUT_ID");
  ASSERT_TRUE(layouts->FindKey({3}));
  layouts->Edit();
  layouts->FieldByName("LOUT_TEXT")->SetAsString("{\\rtf1\\pard\\li567 <Vorname>\\par}");
  layouts->Post();
  std::vector<AnsiString> tabbed;
  AnsiString opened;
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmDrucken&>(form);
    EXPECT_TRUE(f.pbDrucken->Bitmap() && !f.pbDrucken->Bitmap()->Empty());
    for (int i = 0; i < 5; ++i, driver.PressKey(VK_TAB)) tabbed.push_back(f.ActiveControl()->Name());
    driver.PressKey('P', ssCtrl);
    for (int i = 0; i < 2; ++i) driver.PressKey(VK_TAB, ssShift);
    driver.PressKey(VK_RETURN);
  });
  driver.WhenModal([&](TCustomForm& form) {
    const TWPParagraphRec* p = static_cast<TfrmPreview&>(form).WPRichText1->RtfText()->FirstPar;
    opened = form.Caption() + " " + IntToStr(p->LeftIndent);
    driver.PressKey(VK_ESCAPE);
  });
  ShowDrucken();
  EXPECT_EQ(opened, "Vorschau 567");
  EXPECT_EQ(tabbed, (std::vector<AnsiString>{"pbPersList", "pbListLOut", "pbHilfe", "pbExit", "pbDrucken"}));
}

// A template deleted in the editor that the list's "Erfassen" opened: the
// list and, after "Abbruch", the print window stand on templates that exist;
// no message calls the table damaged.
TEST_F(PrintSheetTest, ATemplateDeletedThroughTheListIsNeitherShownNorPrinted) {
  AddPerson(1, "Maria", "Muster", EncodeDate(1943, 2, 22));
  TemplatePerson = 1;
  TemplateLayout = 3;
  int listed = 0, offered = 0;
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmDrucken&>(form);
    driver.Click(f.pbListLOut);
    offered = f.tblLOut->FieldByName("LOUT_ID")->AsInteger();
    driver.Click(f.pbExit);
  });
  driver.WhenModal([&](TCustomForm& form) {
    auto& l = dynamic_cast<TfrmListLOut&>(form);
    driver.WhenModal([&](TCustomForm& editor) {
      driver.AnswerNextMessageBox(IDYES);
      driver.Click(dynamic_cast<TfrmLayout&>(editor).pbDelete);
      driver.Click(dynamic_cast<TfrmLayout&>(editor).pbExit);
    });
    driver.Click(l.pbErfassen);
    listed = l.tblLOut->FieldByName("LOUT_ID")->AsInteger();
    driver.Click(l.pbAbbruch);
  });
  ShowDrucken();
  std::vector<AnsiString> texts;
  for (const TMessageBoxRequest& b : driver.MessageBoxes()) texts.push_back(b.Text);
  EXPECT_EQ(texts, std::vector<AnsiString>{CP1252("Vorlage löschen?").str()});
  EXPECT_NE(listed, 3);
  EXPECT_NE(offered, 3);
}

}  // namespace
}  // namespace edtest
