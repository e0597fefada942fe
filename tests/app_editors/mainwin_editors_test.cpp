// The editors from the main window's menu: each behind the password (a
// wrong one opens nothing); a person and an event entered there show on
// the personal page of their day and in the warner on their day and their
// warning days as soon as the editor closes, a person born on 29 February
// on 28 February of a common year.
#include <gtest/gtest.h>

#include <set>

#include "app/editors/ereierf.h"
#include "app/editors/perserf.h"
#include "app/editors/selcerf.h"
#include "app/main/dialogs.h"
#include "app/windows/warner.h"
#include "platform/ui/keyboard.h"
#include "tests/app_main/main_fixture.h"

namespace {

using maintest::MainWindowTest;

// The visible text of the page.
std::string PageText(TWPCustomRtfEdit* page) {
  std::string out;
  for (TWPParagraphRec* p = page->RtfText()->FirstPar; p; p = p->next, out += "\n")
    for (TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i)
        if (!l->pa || !(l->pa[i].Style & wpsHidden)) out += l->pc[i];
  return out;
}

TEST_F(MainWindowTest, TheEditorsOpenBehindThePasswordAndShowTheirEntriesAtOnce) {
  TfrmMain* f = Start();
  driver.Advance(200);
  Password = PendingPassword = "Geheim";
  PasswordOnce = true;
  // A wrong password opens no editor (a window would wait for a step), the
  // right one the personal page of today.
  for (const char* typed : {"geheim", "Geheim"})
    driver.WhenModal([&, typed](TCustomForm& form) {
      ASSERT_NE(dynamic_cast<TfrmPasswort*>(&form), nullptr);
      driver.Type(typed);
      driver.PressKey(VK_RETURN);
    });
  f->mnpPersErf->OnClick(f->mnpPersErf);
  driver.PressKey(VK_F4);
  ASSERT_EQ(CurrentRubric, rbPersonal);
  const std::string today = FormatDateTime("ddmm", Date());
  driver.WhenModal([&](TCustomForm& form) {
    auto& e = dynamic_cast<TfrmPersErf&>(form);
    for (auto [first, last, born] : {std::tuple{"Eva", "Heutig", today + "1980"}, {"Lena", "Schalt", "29021992"}}) {
      driver.Click(e.pbInsert);
      driver.Type(first);
      driver.Click(e.editEigeNachname);
      driver.Type(last);
      driver.Click(e.editEigeDatum);
      driver.Type(born.c_str());
      driver.Click(e.pbPost);
    }
    driver.Click(e.pbExit);
  });
  f->mnpPersErf->OnClick(f->mnpPersErf);
  EXPECT_NE(PageText(f->WPRichText1).find("1980\tEva Heutig"), std::string::npos) << PageText(f->WPRichText1);
  driver.WhenModal([&](TCustomForm& form) {
    auto& e = dynamic_cast<TfrmEreiErf&>(form);
    driver.Click(e.pbInsert);
    driver.Type((today + "2001").c_str());
    driver.Click(e.memoEigeText);
    driver.Type("Umzug nach Bern");
    driver.Click(e.pbPost);
    driver.Click(e.pbExit);
  });
  f->mnpEreiErf->OnClick(f->mnpEreiErf);
  EXPECT_NE(PageText(f->WPRichText1).find("Umzug nach Bern"), std::string::npos) << PageText(f->WPRichText1);
  // The anniversary of 29 February: on 28 February in a common year, on
  // 29 February in a leap year.
  auto shows = [&](int y, int m, int d) {
    ShowDay(f, EncodeDate(y, m, d));
    return PageText(f->WPRichText1).find("Lena Schalt") != std::string::npos;
  };
  EXPECT_TRUE(shows(2027, 2, 28));
  EXPECT_FALSE(shows(2027, 3, 1));
  EXPECT_FALSE(shows(2028, 2, 28));
  EXPECT_TRUE(shows(2028, 2, 29));
  // The warner's rows ("entry:days until") on a day: each entry on its day
  // and two days ahead (the defaults); 29 February's from 28 February.
  auto warned = [&](TDateTime day) {
    ShowDay(f, day);
    std::set<std::string> rows;
    driver.WhenModal([&](TCustomForm& form) {
      TwwTable* t = dynamic_cast<TfrmTermin&>(form).tblTerm;
      for (t->First(); !t->Eof(); t->Next())
        rows.insert(t->FieldByName("EIGE_ID")->AsString() + ":" + t->FieldByName("EIGE_TAGE")->AsString());
      driver.PressKey(VK_ESCAPE);
    });
    f->mnpTermine->OnClick(f->mnpTermine);
    return rows;
  };
  EXPECT_EQ(warned(Date()), (std::set<std::string>{"1:0", "3:0"}));
  EXPECT_EQ(warned(Date() - 2), (std::set<std::string>{"1:2", "3:2"}));
  EXPECT_EQ(warned(EncodeDate(2027, 2, 26)), std::set<std::string>{"2:2"});
  EXPECT_EQ(warned(EncodeDate(2027, 2, 28)), std::set<std::string>{"2:0"});
  driver.WhenModal([&](TCustomForm& form) { driver.Click(dynamic_cast<TfrmSelCErf&>(form).pbExit); });
  f->mnpSelCErf->OnClick(f->mnpSelCErf);
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

}  // namespace
