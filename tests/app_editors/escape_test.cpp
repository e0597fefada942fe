// Escape in each of the four editors with a typed value not yet in its
// field: the save question comes first; "Abbrechen" keeps the window with
// what was typed, and "Ja" stores what is shown. A log-out asks the same.
#include "tests/app_editors/editors_fixture.h"

#include <functional>

#include "app/templates/layoutedit.h"

namespace edtest {
namespace {

TEST_F(EditorTest, EscapeAsksFirstAndYesStoresWhatIsShown) {
  TemplateNotice = false;
  auto escapeYes = [this](TControl* insert, const std::function<void()>& typing) {
    driver.Click(insert);
    typing();
    driver.AnswerNextMessageBox(IDCANCEL);
    driver.PressKey(VK_ESCAPE);
    driver.WhenModal([this, mine = GetParentForm(insert)](TCustomForm& form) {
      ASSERT_EQ(&form, mine) << "still open";
      driver.AnswerNextMessageBox(IDYES);
      driver.PressKey(VK_ESCAPE);
    });
  };
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmPersErf&>(form);
    escapeYes(f.pbInsert, [&] { driver.Type("Anna"); Retype(f.editEigeDatum, "05031990"); });
  });
  int id = 0;
  ShowPersErf(id);
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmEreiErf&>(form);
    escapeYes(f.pbInsert, [&] {
      driver.Type("24121999");
      Retype(f.memoEigeText, "Heiligabend");
      driver.AnswerNextMessageBox(IDCANCEL);  // a desktop's log-out asks as closing does, and stays
      EXPECT_FALSE(Application->QueryEndSession());
    });
  });
  ShowEreiErf();
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmSelCErf&>(form);
    escapeYes(f.pbInsert, [&] {
      ClickCell(driver, f.gridSelC, 1, f.gridSelC->Row());
      driver.Type("TST");  // Escape in the cell takes back the new row; the window stays, unasked
      driver.PressKey(VK_ESCAPE);
      EXPECT_TRUE(f.Visible() && f.tblSelC->State() == dsBrowse && f.tblSelC->IsEmpty());
      driver.Click(f.pbInsert);
      driver.Type("FAM\tFamilie\t");
      f.Perform(CM_ACTIVATE, 0, 0);  // active again, as when the question's box closes
    });
  });
  ShowSelCErf();
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmLayout&>(form);
    escapeYes(f.pbInsert, [&] { driver.Type("Blatt"); f.DBWPRichText1->SetFocus(); driver.Type("Text Y <Name>"); });
  });
  int number = 0;
  ShowLayout(number);
  // Strg+V into a stored row's cell, then Escape: the row's edit ends too; the next Escape closes unasked.
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmSelCErf&>(form);
    ClickCell(driver, f.gridSelC, 2, f.gridSelC->Row());
    WindowHost().SetClipboard({{"text/plain", "Freunde"}}, nullptr);
    driver.PressKey('V', ssCtrl);
    driver.PressKey(VK_ESCAPE);
    EXPECT_TRUE(f.tblSelC->State() == dsBrowse && !f.pbPost->Enabled() && f.pbInsert->Enabled());
    driver.PressKey(VK_ESCAPE);
  });
  ShowSelCErf();
  const AnsiString question = "Ihre Eingaben sind noch nicht gespeichert.\rVor dem Beenden speichern?";
  EXPECT_EQ(BoxesFrom(0), std::vector<AnsiString>(9, question));
  const std::vector<Row> entries = StoredRows("EIGENES.FFD", "XEIGE_ID");
  EXPECT_EQ(entries.at(0).at("EIGE_DATUM") + "|" + entries.at(1).at("EIGE_TEXT"), "05.03.1990|Heiligabend");
  EXPECT_EQ(StoredRows("SELCODE.FFD", "XSELC_ID").at(0).at("SELC_NAME"), "Familie");
  EXPECT_NE(StoredRows("LAYOUT.FFD", "XLOUT_ID").at(0).at("LOUT_TEXT").find("Text Y <Name>"), std::string::npos);
}

}  // namespace
}  // namespace edtest
