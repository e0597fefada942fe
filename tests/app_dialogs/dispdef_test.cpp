// The display-settings dialogs on the main window, each driven as a user
// does it: switches clicked, an element's look changed in the
// text-attribute dialog. The live sample follows every change, OK stores
// the copy and the day page of that rubric shows it (its text and its
// characters' attributes read back), Cancel after the same changes leaves
// the settings file byte for byte as it was.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "app/dialogs/dispdef.h"
#include "app/dialogs/stildef.h"
#include "calendar/packeddate.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "tests/app_main/main_fixture.h"

namespace {

using maintest::MainWindowTest;

// The visible characters of a document with their attributes, one string
// per paragraph (hidden link stamps and objects left out).
struct Doc {
  std::vector<std::string> Text;
  std::vector<std::vector<TWPAttrRecord>> Attrs;
  std::string All() const {
    std::string s;
    for (const std::string& t : Text) s += t + "\r";
    return s;
  }
  // Whether every tab of the document has the style bits and text colour.
  bool TabsLook(uint32_t style, int colour) const {
    int tabs = 0;
    for (size_t p = 0; p < Text.size(); ++p)
      for (size_t i = 0; i < Text[p].size(); ++i)
        if (Text[p][i] == '\t') {
          ++tabs;
          const TWPAttrRecord& a = Attrs[p][i];
          if ((a.Style & style) != style || (a.Colors & 0x0F) != colour) return false;
        }
    return tabs > 0;
  }
};

Doc Read(TWPCustomRtfEdit* e) {
  Doc d;
  for (TWPParagraphRec* p = e->RtfText()->FirstPar; p; p = p->next) {
    std::string t;
    std::vector<TWPAttrRecord> a;
    for (TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i) {
        const TWPAttrRecord& r = l->pa ? l->pa[i] : e->RtfText()->WritingAttr;
        if (r.Style & (wpsHidden | wpsObject)) continue;
        t += l->pc[i];
        a.push_back(r);
      }
    d.Text.push_back(t);
    d.Attrs.push_back(a);
  }
  return d;
}

// What a dialog test does for a rubric: the switches it clicks, the element
// whose look it changes, and what the changed switches take away from or
// put on the sample and the page.
struct Case {
  int Rubric;
  TMenuItem* TfrmMain::*Item;
  std::vector<int> Clicks;
  int TextElement;
  const char* SampleGone;   // text the sample loses
  const char* SampleShown;  // text the sample gains ("" none)
};

const Case kCases[] = {
    {rbPersonal, &TfrmMain::mnpEigeDisp, {dpJubilee, dpYears}, apText, "Vor 15 Jahren", "(15)"},
    {rbBirths, &TfrmMain::mnpPGebDisp, {dbJubilee, dbYears}, abText, "Vor 70 Jahren", "(70)"},
    {rbDeaths, &TfrmMain::mnpPTodDisp, {dbJubilee, dbYears}, abText, "Vor 70 Jahren", "(70)"},
    {rbEvents, &TfrmMain::mnpEreiDisp, {deJubilee, deYears}, aeText, "Vor 100 Jahren", "(100)"},
    {rbNameDays, &TfrmMain::mnpNameDisp, {dnLifeDates}, anText, "Sepphoris", ""},
    {rbHolidays, &TfrmMain::mnpFTagDisp, {dhNotes}, ahText, "39 Tage nach Ostern", ""},
};

class DisplayDialogs : public MainWindowTest {
 protected:
  // A day with entries on every page: Easter Monday 2026 (a movable feast
  // with its rule as note), with own entries of the user on that day.
  void Prepare() {
    f = Start();
    day = MakePackedDate(2026, 4, 6);
    auto own = apptest::OpenTable("OrvUser", "EIGENES.FFD");
    const std::tuple<int, int, const char*, const char*> entries[] = {
        {1, 1990, "Lena", ""}, {2, 2006, "", "Einzug am Lindenweg"}, {2, 1979, "", "Hochzeit"}};
    int id = 0;
    for (const auto& [type, year, first, text] : entries) {
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
    own->Close();
    // A name day whose patron has a known birth, so the page shows life dates.
    std::set<int64_t> born;
    datatest::TTableReader pers((apptest::BuiltProgramDir() / "DATEN").string(), "PERSON");
    for (bool ok = pers.First(); ok; ok = pers.Next())
      if (pers.Int("PERS_GEBJ") > 0 && pers.Int("PERS_TODJ") > 0) born.insert(pers.Int("PERS_ID"));
    datatest::TTableReader patr((apptest::BuiltProgramDir() / "DATEN").string(), "PATRON");
    for (bool ok = patr.First(); ok && nameDay.Month == 0; ok = patr.Next())
      if (born.count(patr.Int("PERS_ID")) && patr.Int("PATR_MONAT") > 0 && patr.Int("PATR_TAG") > 0)
        nameDay = MakePackedDate(2026, static_cast<int>(patr.Int("PATR_MONAT")), static_cast<int>(patr.Int("PATR_TAG")));
    ASSERT_NE(nameDay.Month, 0);
  }

  // Opens the rubric's dialog from the menu; `steps` runs inside it.
  int Open(const Case& c, const std::function<void(TfrmDispDef&)>& steps) {
    int result = -1;
    driver.WhenModal([&](TCustomForm& active) { steps(dynamic_cast<TfrmDispDef&>(active)); });
    const int before = f->PagesBuilt();
    (f->*c.Item)->Click();
    result = f->PagesBuilt() > before ? 1 : 0;
    return result;
  }

  // Clicks the switches and gives the element italic text in colour 1
  // through the text-attribute dialog (a check box clicked, the colour
  // chosen with the arrow key), as the user does.
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

  // Writes the settings as the end of the program does; the file's bytes.
  std::string Written() {
    { WriteSettingsFile(*OpenSettingsFile()); }
    return apptest::Slurp(Ini());
  }

  TfrmMain* f = nullptr;
  PackedDate day{}, nameDay{};
};

TEST_F(DisplayDialogs, EachDialogChangesItsSampleAndAfterOkTheDayPage) {
  Prepare();
  for (const Case& c : kCases) {
    SCOPED_TRACE("rubric " + std::to_string(c.Rubric));
    ShowDay(f, PackedDateToDateTime(c.Rubric == rbNameDays ? nameDay : day));
    f->SetRubrik(c.Rubric);
    ASSERT_EQ(CurrentRubric, c.Rubric);
    const Doc pageBefore = Read(f->WPRichText1);
    ASSERT_GT(pageBefore.All().size(), 10u) << "the day has entries on this page";
    const DisplaySettings before = RubricDisplay[c.Rubric];
    const bool rebuilt = Open(c, [&](TfrmDispDef& d) {
      const Doc sample = Read(d.WPRichText1);
      EXPECT_NE(sample.All().find(c.SampleGone), std::string::npos) << sample.All();
      driver.SavePng(&d, "dialogs_display_" + std::to_string(c.Rubric));
      const int built = d.SamplesBuilt();
      Change(d, c, c.Rubric == rbBirths);
      // Every change rebuilt the sample: a click per switch and the attribute.
      EXPECT_EQ(d.SamplesBuilt(), built + static_cast<int>(c.Clicks.size()) + 1);
      const Doc changed = Read(d.WPRichText1);
      EXPECT_EQ(changed.All().find(c.SampleGone), std::string::npos) << changed.All();
      if (*c.SampleShown) {
        EXPECT_NE(changed.All().find(c.SampleShown), std::string::npos) << changed.All();
      }
      EXPECT_TRUE(changed.TabsLook(wpsItalic, 1));
      EXPECT_FALSE(sample.TabsLook(wpsItalic, 1));
      if (c.Rubric == rbPersonal) {
        // The years' button follows its switch; a long title is cut to 30.
        EXPECT_TRUE(d.pbElements[apYears]->Enabled());
        auto& p = dynamic_cast<TfrmEigeDef&>(d);
        p.editTitel->SetFocus();
        p.editTitel->SelectAll();
        driver.Type("Persoenliche Tage, Termine und Feste 123");
      }
      driver.Click(d.pbOk);
    });
    const DisplaySettings& after = RubricDisplay[c.Rubric];
    for (int sw : c.Clicks) EXPECT_NE(after.Switches[sw], before.Switches[sw]);
    EXPECT_EQ(after.Attr[c.TextElement].Styles, before.Attr[c.TextElement].Styles | tsItalic);
    EXPECT_EQ(after.Attr[c.TextElement].TextColour, 1);
    ASSERT_TRUE(rebuilt) << "OK rebuilds the page of the rubric shown";
    const Doc page = Read(f->WPRichText1);
    EXPECT_TRUE(page.TabsLook(wpsItalic, 1)) << page.All();
    if (*c.SampleShown) {
      // Every entry with a known year now shows its count of years, none a jubilee.
      EXPECT_EQ(page.All().find("Vor "), std::string::npos);
      int counted = 0;
      for (const std::string& t : page.Text) {
        std::smatch m;
        if (!std::regex_search(t, m, std::regex("^(\\d{3,4})\\t\\((\\d+)\\)"))) continue;
        EXPECT_EQ(std::stoi(m[2]), 2026 - std::stoi(m[1])) << t;
        ++counted;
      }
      EXPECT_GE(counted, c.Rubric == rbPersonal ? 3 : 1) << page.All();
    } else {
      // The switched-off element is gone from the page.
      const char* mark = c.Rubric == rbNameDays ? "\n*\xA0" : "\n\t(";
      EXPECT_NE(pageBefore.All().find(mark), std::string::npos) << testing::PrintToString(pageBefore.All());
      EXPECT_EQ(page.All().find(mark), std::string::npos) << page.All();
    }
    if (c.Rubric == rbPersonal) {
      EXPECT_EQ(RubricDisplay[rbPersonal].RubricTitle, "Persoenliche Tage, Termine und");
      EXPECT_EQ(f->pnlTitel->Caption(), RubricDisplay[rbPersonal].RubricTitle);
    }
  }
  maintest::MainWindowTest::SaveScreen(f, "dialogs_page_after_display_settings");
}

TEST_F(DisplayDialogs, NameLinksAndHyperlinkAttributesInTheBirthsSample) {
  Prepare();
  Open(kCases[1], [&](TfrmDispDef& d) {
    // "Über den Namen": the name button goes, the name becomes a link.
    driver.Click(d.rgMediaLinks->Buttons(2));
    EXPECT_FALSE(d.pbElements[abName]->Enabled());
    const Doc sample = Read(d.WPRichText1);
    const size_t at = sample.Text[0].find("Anna Muster");
    ASSERT_NE(at, std::string::npos);
    EXPECT_TRUE(sample.Attrs[0][at].Style & wpsHyperlink);
    // The hyperlinks' dialog shows the underline and its colour only while
    // underlined; underline colour 1 goes into the block.
    driver.WhenModal([&](TCustomForm& active) {
      auto& a = dynamic_cast<TfrmStilDef&>(active);
      EXPECT_TRUE(a.cbUnderline->Visible());
      EXPECT_TRUE(a.cmbUnderColor->Enabled());
      driver.Click(a.cbUnderline);
      EXPECT_FALSE(a.cmbUnderColor->Enabled());
      driver.Click(a.cbUnderline);
      a.cmbUnderColor->SetItemIndex(1);
      driver.Click(a.pbOk);
    });
    driver.Click(d.pbElements[abHyperlink]);
    EXPECT_EQ(d.Settings().Attr[abHyperlink].UnderlineColour, 1);
    EXPECT_EQ(d.Settings().Attr[abHyperlink].Styles, tsUnderline);
    EXPECT_EQ(d.WPRichText1->HyperlinkTextAttr()->UnderlineColor(), ColorTable[1]);
    driver.PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(RubricDisplay[rbBirths].MediaLinks, 1) << "Escape keeps the settings";
  EXPECT_EQ(RubricDisplay[rbBirths].Attr[abHyperlink].UnderlineColour, 3);
}

TEST_F(DisplayDialogs, CancelAfterChangesLeavesTheSettingsFileAsItWas) {
  Prepare();
  for (const Case& c : kCases) {
    SCOPED_TRACE("rubric " + std::to_string(c.Rubric));
    // A first showing stores the placements of the dialog and of the
    // text-attribute dialog, as any showing does.
    Open(c, [&](TfrmDispDef& d) {
      driver.WhenModal([&](TCustomForm&) { driver.PressKey(VK_ESCAPE); });
      driver.Click(d.pbElements[0]);
      driver.PressKey(VK_ESCAPE);
    });
    const std::string file = Written();
    const bool rebuilt = Open(c, [&](TfrmDispDef& d) {
      Change(d, c, false);
      for (TCheckBox* b : d.cbSwitches) driver.Click(b);
      if (d.rgMediaLinks) driver.Click(d.rgMediaLinks->Buttons(0));
      d.cmbSize->SetFocus();
      driver.PressKey(VK_DOWN);
      EXPECT_NE(d.Settings().Font.Size, RubricDisplay[c.Rubric].Font.Size);
      driver.Click(d.pbCancel);
    });
    EXPECT_FALSE(rebuilt);
    EXPECT_EQ(Written(), file);
  }
}

}  // namespace
