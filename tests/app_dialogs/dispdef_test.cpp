// The display-settings dialogs on the main window, each driven as a user
// does it: switches clicked, an element's look changed in the
// text-attribute dialog. The live sample follows every change, OK stores
// the copy and the day page of that rubric shows it (its text and its
// characters' attributes read back), Cancel after the same changes leaves
// the settings file byte for byte as it was.
#include "app/dialogs/dispdef.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "app/dialogs/stildef.h"
#include "calendar/packeddate.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "tests/app_main/main_fixture.h"

namespace {

// The visible characters of a document with their attributes, paragraphs
// ended by "\r" (hidden link stamps and objects left out).
struct Doc {
  std::string Text;
  std::vector<TWPAttrRecord> Attrs;
  bool Has(const std::string& s) const { return Text.find(s) != std::string::npos; }
  // Whether every tab (there is one at least) has the style bits and colour.
  bool TabsLook(uint32_t style, int colour) const {
    int tabs = 0;
    for (size_t i = 0; i < Text.size(); ++i)
      if (Text[i] == '\t' && (++tabs, (Attrs[i].Style & style) != style || (Attrs[i].Colors & 0x0F) != colour))
        return false;
    return tabs > 0;
  }
};

Doc Read(TWPCustomRtfEdit* e) {
  Doc d;
  for (TWPParagraphRec* p = e->RtfText()->FirstPar; p; p = p->next) {
    for (TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i) {
        const TWPAttrRecord& r = l->pa ? l->pa[i] : e->RtfText()->WritingAttr;
        if (r.Style & (wpsHidden | wpsObject)) continue;
        d.Text += l->pc[i];
        d.Attrs.push_back(r);
      }
    d.Text += '\r';
    d.Attrs.emplace_back();
  }
  return d;
}

// Per rubric: the switches a test clicks, the "Text" element whose look it
// changes, and what the clicks take from the sample and put on it.
struct Case {
  int Rubric;
  TMenuItem* TfrmMain::*Item;
  std::vector<int> Clicks;
  int TextElement;
  const char *SampleGone, *SampleShown;
};
const Case kCases[] = {
    {rbPersonal, &TfrmMain::mnpEigeDisp, {dpJubilee, dpYears}, apText, "Vor 15 Jahren", "(15)"},
    {rbBirths, &TfrmMain::mnpPGebDisp, {dbJubilee, dbYears}, abText, "Vor 70 Jahren", "(70)"},
    {rbDeaths, &TfrmMain::mnpPTodDisp, {dbJubilee, dbYears}, abText, "Vor 70 Jahren", "(70)"},
    {rbEvents, &TfrmMain::mnpEreiDisp, {deJubilee, deYears}, aeText, "Vor 100 Jahren", "(100)"},
    {rbNameDays, &TfrmMain::mnpNameDisp, {dnLifeDates}, anText, "Sepphoris", ""},
    {rbHolidays, &TfrmMain::mnpFTagDisp, {dhNotes}, ahText, "39 Tage nach Ostern", ""},
};

class DisplayDialogs : public maintest::MainWindowTest {
 protected:
  // Easter Monday 2026 (a movable feast, whose rule is its note) with own
  // entries of the user, and a name day whose patron's life dates are known.
  void SetUp() override {
    MainWindowTest::SetUp();
    f = Start();
    auto own = apptest::OpenTable("OrvUser", "EIGENES.FFD");
    int id = 0;
    for (const auto& [type, year, first, text] :
         {std::tuple{1, 1990, "Lena", ""}, {2, 2006, "", "Einzug"}, {2, 1979, "", "Hochzeit"}}) {
      own->Append();
      own->FieldByName("EIGE_ID")->SetAsInteger(++id);
      own->FieldByName("EIGE_TYP")->SetAsInteger(type);
      own->FieldByName("EIGE_TAG")->SetAsInteger(6);
      own->FieldByName("EIGE_MONAT")->SetAsInteger(4);
      own->FieldByName("EIGE_JAHR")->SetAsInteger(year);
      own->FieldByName("EIGE_VORNAME")->SetAsString(first);
      own->FieldByName("EIGE_TEXT")->SetAsString(text);
      own->Post();
    }
    std::set<int64_t> known;
    datatest::TTableReader pers((apptest::BuiltProgramDir() / "DATEN").string(), "PERSON");
    for (bool ok = pers.First(); ok; ok = pers.Next())
      if (pers.Int("PERS_GEBJ") > 0 && pers.Int("PERS_TODJ") > 0) known.insert(pers.Int("PERS_ID"));
    datatest::TTableReader patr((apptest::BuiltProgramDir() / "DATEN").string(), "PATRON");
    for (bool ok = patr.First(); ok && nameDay.Month == 0; ok = patr.Next())
      if (known.count(patr.Int("PERS_ID")) && patr.Int("PATR_MONAT") > 0 && patr.Int("PATR_TAG") > 0)
        nameDay =
            MakePackedDate(2026, static_cast<int>(patr.Int("PATR_MONAT")), static_cast<int>(patr.Int("PATR_TAG")));
  }

  // Opens the rubric's dialog from the menu with `steps` inside; whether
  // the page was built again.
  bool Open(const Case& c, const std::function<void(TfrmDispDef&)>& steps) {
    driver.WhenModal([&](TCustomForm& active) { steps(dynamic_cast<TfrmDispDef&>(active)); });
    const int before = f->PagesBuilt();
    (f->*c.Item)->Click();
    return f->PagesBuilt() > before;
  }

  // The switches clicked; the element made italic in colour 1 in the
  // text-attribute dialog (a box clicked, the colour chosen by arrow key).
  void Change(TfrmDispDef& d, const Case& c, bool savePng) {
    for (int sw : c.Clicks) driver.Click(d.cbSwitches[static_cast<size_t>(sw)]);
    driver.WhenModal([&](TCustomForm& active) {
      auto& a = dynamic_cast<TfrmStilDef&>(active);
      EXPECT_EQ(a.Caption(), d.Caption() + " / Text");
      EXPECT_FALSE(a.cbUnderline->Visible()) << "only hyperlinks show the underline";
      driver.Click(a.cbItalic);
      a.cmbTextColor->SetFocus();
      driver.PressKey(VK_DOWN);
      if (savePng) driver.SavePng(&a, "dialogs_text_attributes");
      driver.Click(a.pbOk);
    });
    driver.Click(d.pbElements[static_cast<size_t>(c.TextElement)]);
  }

  // The settings written as the end of the program writes them; the bytes.
  std::string Written() {
    WriteSettingsFile(*OpenSettingsFile());
    return apptest::Slurp(Ini());
  }

  TfrmMain* f = nullptr;
  PackedDate nameDay{};
};

TEST_F(DisplayDialogs, EachDialogChangesItsSampleAndAfterOkTheDayPage) {
  ASSERT_NE(nameDay.Month, 0);
  for (const Case& c : kCases) {
    SCOPED_TRACE("rubric " + std::to_string(c.Rubric));
    ShowDay(f, c.Rubric == rbNameDays ? PackedDateToDateTime(nameDay) : EncodeDate(2026, 4, 6));
    f->SetRubrik(c.Rubric);
    const Doc pageBefore = Read(f->WPRichText1);
    ASSERT_GT(pageBefore.Text.size(), 10u) << "the day has entries on this page";
    const DisplaySettings before = RubricDisplay[c.Rubric];
    const bool rebuilt = Open(c, [&](TfrmDispDef& d) {
      const Doc sample = Read(d.WPRichText1);
      EXPECT_TRUE(sample.Has(c.SampleGone)) << sample.Text;
      EXPECT_EQ(d.cmbFont->Text(), "Arial");  // the stored font, drawn by its substitute
      driver.SavePng(&d, "dialogs_display_" + std::to_string(c.Rubric));
      const int built = d.SamplesBuilt();
      Change(d, c, c.Rubric == rbBirths);
      // A rebuild per change: each switch and the attribute.
      EXPECT_EQ(d.SamplesBuilt(), built + static_cast<int>(c.Clicks.size()) + 1);
      const Doc changed = Read(d.WPRichText1);
      EXPECT_FALSE(changed.Has(c.SampleGone)) << changed.Text;
      EXPECT_TRUE(changed.Has(c.SampleShown)) << changed.Text;
      EXPECT_TRUE(changed.TabsLook(wpsItalic, 1));
      EXPECT_FALSE(sample.TabsLook(wpsItalic, 1));
      if (c.Rubric == rbPersonal) {
        // Newest first, as on the page.
        EXPECT_TRUE(sample.Text.find("2011") < sample.Text.find("1990") &&
                    sample.Text.find("1990") < sample.Text.find("1966")) << sample.Text;
        // The years' button follows its switch; a 40-character title is cut to 30.
        EXPECT_TRUE(d.pbElements[apYears]->Enabled());
        auto& p = dynamic_cast<TfrmEigeDef&>(d);
        p.editTitel->SetFocus();
        p.editTitel->SelectAll();
        driver.Type("Persoenliche Tage, Termine und Feste 123");
      }
      driver.Click(d.pbOk);
    });
    const std::string stored = apptest::Slurp(Ini());
    EXPECT_EQ(stored, Written()) << "Ok writes the settings at once";
    const DisplaySettings& after = RubricDisplay[c.Rubric];
    for (int sw : c.Clicks) EXPECT_NE(after.Switches[sw], before.Switches[sw]);
    EXPECT_EQ(after.Attr[c.TextElement].Styles, before.Attr[c.TextElement].Styles | tsItalic);
    EXPECT_EQ(after.Attr[c.TextElement].TextColour, 1);
    ASSERT_TRUE(rebuilt) << "OK rebuilds the page of the rubric shown";
    const Doc page = Read(f->WPRichText1);
    EXPECT_TRUE(page.TabsLook(wpsItalic, 1)) << page.Text;
    if (*c.SampleShown) {
      // Each entry with a known year shows its count of years, none a jubilee.
      EXPECT_FALSE(page.Has("Vor "));
      int counted = 0;
      const std::regex entry("(^|\r)(\\d{3,4})\\t\\((\\d+)\\)");
      for (auto m = std::sregex_iterator(page.Text.begin(), page.Text.end(), entry); m != std::sregex_iterator();
           ++m, ++counted)
        EXPECT_EQ(std::stoi((*m)[3]), 2026 - std::stoi((*m)[2])) << m->str();
      EXPECT_GE(counted, c.Rubric == rbPersonal ? 3 : 1) << page.Text;
    } else {
      // The switched-off element left the page: life dates, holiday rules.
      const char* mark = c.Rubric == rbNameDays ? "\n*\xA0" : "\n\t(";
      EXPECT_TRUE(pageBefore.Has(mark)) << pageBefore.Text;
      EXPECT_FALSE(page.Has(mark)) << page.Text;
    }
  }
  EXPECT_EQ(RubricDisplay[rbPersonal].RubricTitle, "Persoenliche Tage, Termine und");
  maintest::MainWindowTest::SaveScreen(f, "dialogs_page_after_display_settings");
}

TEST_F(DisplayDialogs, CancelAfterChangesLeavesTheSettingsFileAsItWas) {
  for (const Case& c : kCases) {
    SCOPED_TRACE("rubric " + std::to_string(c.Rubric));
    // A first showing stores the placements of the dialog and of the
    // text-attribute dialog, as every showing does.
    Open(c, [&](TfrmDispDef& d) {
      driver.WhenModal([&](TCustomForm&) { driver.PressKey(VK_ESCAPE); });
      driver.Click(d.pbElements[0]);
      driver.PressKey(VK_ESCAPE);
    });
    const std::string file = Written();
    EXPECT_FALSE(Open(c, [&](TfrmDispDef& d) {
      Change(d, c, false);
      for (TCheckBox* b : d.cbSwitches) driver.Click(b);
      d.cmbSize->SetFocus();
      driver.PressKey(VK_DOWN);
      EXPECT_NE(d.Settings().Font.Size, RubricDisplay[c.Rubric].Font.Size);
      if (c.Rubric == rbBirths) {
        // "Über den Namen": no name button, the name is a link.
        driver.Click(d.rgMediaLinks->Buttons(2));
        EXPECT_FALSE(d.pbElements[abName]->Enabled());
        const Doc sample = Read(d.WPRichText1);
        ASSERT_TRUE(sample.Has("Anna Muster"));
        EXPECT_TRUE(sample.Attrs[sample.Text.find("Anna Muster")].Style & wpsHyperlink);
        // The hyperlinks' underline colour can be chosen only while underlined.
        driver.WhenModal([&](TCustomForm& active) {
          auto& a = dynamic_cast<TfrmStilDef&>(active);
          EXPECT_TRUE(a.cbUnderline->Visible());
          driver.Click(a.cbUnderline);
          EXPECT_FALSE(a.cmbUnderColor->Enabled());
          driver.Click(a.cbUnderline);
          a.cmbUnderColor->SetItemIndex(1);
          driver.Click(a.pbOk);
        });
        driver.Click(d.pbElements[abHyperlink]);
        EXPECT_EQ(d.WPRichText1->HyperlinkTextAttr()->UnderlineColor(), ColorTable[1]);
      }
      driver.Click(d.pbCancel);
    }));
    EXPECT_EQ(Written(), file);
  }
}

}  // namespace
