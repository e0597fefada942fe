// The password, date and About dialogs, alone and from the main window:
// the password guards the personal rubric (also at the start, where a
// refused one keeps the stored start rubric), its definition, "once per
// start"; the date dialog's OK, its range and its way to the calendar;
// the About box's texts and links; the new rubrics and the calendar box in
// the window. Each dialog is saved as a picture.
#include <gtest/gtest.h>

#include "app/main/dialogs.h"
#include "app/main/password.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/keyboard.h"
#include "resources/cursors.h"
#include "tests/app_main/main_fixture.h"

namespace {

using maintest::MainWindowTest;

// The dialog a step of the modal loop finds, as its class.
template <class D>
D& As(TCustomForm& f) {
  D* d = dynamic_cast<D*>(&f);
  if (!d) throw std::runtime_error("another dialog is open: " + f.Caption());
  return *d;
}

// Answers the next password prompt with a text (Enter), or cancels it.
void AnswerPassword(TUiTestDriver& driver, const std::string& text, bool cancel = false, int* prompts = nullptr) {
  driver.WhenModal([&driver, text, cancel, prompts](TCustomForm& f) {
    As<TfrmPasswort>(f);
    if (prompts) ++*prompts;
    driver.Type(text);
    driver.PressKey(cancel ? VK_ESCAPE : VK_RETURN);
  });
}

TEST_F(MainWindowTest, ThePasswordGuardsThePersonalDataAndIsDefinedTwice) {
  TfrmMain* f = Start();
  driver.Advance(200);
  // No password: no prompt.
  EXPECT_TRUE(AskPasswort());
  driver.Click(f->pbEige);
  EXPECT_EQ(CurrentRubric, rbPersonal);

  // Defining: two different entries are refused with the box, the dialog
  // stays open (also on Enter); two equal ones are taken.
  driver.WhenModal([&](TCustomForm& form) {
    auto& d = As<TfrmPassDef>(form);
    EXPECT_EQ(d.editPasswort1->PasswordChar(), '*');
    // A 21st character is refused with a beep: the keys typed next reach
    // the next field (a message box would take them).
    const int beeps = keyboard::BeepCount();
    driver.Type(std::string(21, 'x') + "\tz");
    EXPECT_EQ(keyboard::BeepCount(), beeps + 1);
    EXPECT_EQ(d.editPasswort1->Text() + "|" + d.editPasswort2->Text(), std::string(20, 'x') + "|z");
    d.editPasswort1->SetText("");
    d.editPasswort2->SetText("");
    d.editPasswort1->SetFocus();
    driver.Type("Geheim");
    driver.PressKey(VK_TAB);
    driver.Type("geheim");
    driver.SavePng(&d, "dialog_password_definition");
    driver.AnswerNextMessageBox(IDOK);
    driver.PressKey(VK_RETURN);
    ASSERT_EQ(driver.MessageBoxes().size(), 1u);
    EXPECT_EQ(driver.MessageBoxes()[0].Text,
              CP1252("Die beiden Eingaben stimmen nicht überein.\rBitte wiederholen Sie.").str());
    EXPECT_EQ(d.ModalResult(), mrNone);
    d.editPasswort2->SetText("Geheim");
    d.cbPasswortNurEinmal->SetChecked(true);
    driver.Click(d.pbOk);
  });
  f->mnpPassDef->OnClick(f->mnpPassDef);  // no password yet: no prompt
  EXPECT_EQ(Password, "Geheim");
  EXPECT_EQ(TIniFile(Ini().string()).ReadString("ALLGEMEIN", "Passwort", ""), "Geheim") << "written at once";
  EXPECT_EQ(PendingPassword, "Geheim");
  EXPECT_TRUE(PasswordOnce);

  // F4 asks; a wrong password (case matters) and a cancel give the title page.
  AnswerPassword(driver, "geheim");
  driver.PressKey(VK_F4);
  EXPECT_EQ(CurrentRubric, rbEmpty);
  EXPECT_TRUE(f->pbLeer->Down());
  AnswerPassword(driver, "Geheim", true);
  driver.Click(f->pbEige);
  EXPECT_EQ(CurrentRubric, rbEmpty);
  // The right one opens the page; once per start it is not asked again.
  int prompts = 0;
  driver.WhenModal([&](TCustomForm& form) {
    ++prompts;
    driver.SavePng(&form, "dialog_password");
    driver.Type("Geheim");
    driver.PressKey(VK_RETURN);
  });
  driver.PressKey(VK_F4);
  EXPECT_EQ(CurrentRubric, rbPersonal);
  driver.PressKey(VK_DELETE);
  driver.PressKey(VK_F4);
  EXPECT_EQ(CurrentRubric, rbPersonal);
  EXPECT_EQ(prompts, 1);
  // Defined again without "once": every guarded action asks.
  driver.WhenModal([&](TCustomForm& form) {
    auto& d = As<TfrmPassDef>(form);
    EXPECT_EQ(d.editPasswort1->Text(), "Geheim");
    d.cbPasswortNurEinmal->SetChecked(false);
    driver.PressKey(VK_RETURN);
  });
  f->mnpPassDef->OnClick(f->mnpPassDef);
  EXPECT_EQ(prompts, 1);  // "once" was on: the definition did not ask
  EXPECT_FALSE(PasswordOnce);
  for (int i = 0; i < 2; ++i) {
    AnswerPassword(driver, "Geheim", false, &prompts);
    driver.PressKey(VK_F4);
    EXPECT_EQ(CurrentRubric, rbPersonal);
  }
  EXPECT_EQ(prompts, 3);
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

// A refused password at the start shows the title page, and the settings
// file keeps the personal rubric as the start rubric.
TEST_F(MainWindowTest, ARefusedStartPasswordKeepsTheStoredStartRubric) {
  TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=1\r\nLetzte Rubrik anzeigen=1\r\nPasswort=abc\r\n");
  AnswerPassword(driver, "", true);
  driver.Advance(200);
  EXPECT_EQ(CurrentRubric, rbEmpty);
  EXPECT_TRUE(f->lblTitel->Visible());
  auto stored = [&] {
    WriteSettingsFile(*OpenSettingsFile());
    return TIniFile(Ini().string()).ReadInteger("ALLGEMEIN", "Rubrik", -1);
  };
  EXPECT_EQ(stored(), rbPersonal);
  // A rubric the user then chooses is the one stored.
  driver.PressKey(VK_F7);
  EXPECT_EQ(CurrentRubric, rbEvents);
  EXPECT_EQ(stored(), rbEvents);
}

TEST_F(MainWindowTest, TheDateDialogMovesTheCalendarAfterTheDebounce) {
  TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=6\r\n");
  driver.Advance(200);
  SunMoonMode = 1;
  // OK stays disabled while the mask is not filled, so Enter only explains;
  // an impossible date is refused with a box; a date is taken, also with a
  // one-digit month, and shown in full.
  driver.WhenModal([&](TCustomForm& form) {
    auto& d = As<TfrmDatum>(form);
    EXPECT_TRUE(d.pbOk->Enabled());
    EXPECT_EQ(d.editDatum->Text(), FormatDateTime("dd.mm.yyyy", PackedDateToDateTime(CurrentDateKey)));
    // The shown date is selected, so a date typed replaces it; the mask then
    // takes no character beyond its own, wherever the caret stands.
    driver.Type("25.12.2026");
    driver.PressKey(VK_HOME);
    const int beeps = keyboard::BeepCount();
    driver.Type("1");
    EXPECT_EQ(d.editDatum->Text(), "25.12.2026");
    EXPECT_EQ(keyboard::BeepCount(), beeps + 1);
    d.editDatum->SetText("1.4.");
    EXPECT_FALSE(d.pbOk->Enabled());
    driver.AnswerNextMessageBox(IDOK);  // Enter on a text too short is explained
    driver.PressKey(VK_RETURN);
    EXPECT_EQ(d.ModalResult(), mrNone);
    d.editDatum->SetText("31.04.2027");
    driver.AnswerNextMessageBox(IDOK);
    driver.PressKey(VK_RETURN);
    EXPECT_EQ(d.ModalResult(), mrNone);
    d.editDatum->SetText("");
    driver.Type("28.03.2027");
    // The field holds the whole date with the caret behind it.
    EXPECT_EQ(LoWord(d.editDatum->Perform(EM_POSFROMCHAR, 0, 0)), d.editDatum->FormatRect().Left);
    driver.SavePng(&d, "dialog_date");
    // The short form is taken too, and shown in full.
    d.editDatum->SelectAll();
    driver.Type("28.3.2027");
    driver.PressKey(VK_RETURN);
    EXPECT_EQ(d.editDatum->Text(), "28.03.2027");
  });
  f->mnpDatum->OnClick(f->mnpDatum);
  EXPECT_EQ(CurrentDateKey, MakePackedDate(2027, 3, 28));
  ASSERT_EQ(driver.MessageBoxes().size(), 2u);
  EXPECT_EQ(driver.MessageBoxes()[0].Text, CP1252("\"1.4.\" ist kein gültiges Datum.").str());
  driver.Advance(400);
  EXPECT_EQ(f->Kalender->Date(), EncodeDate(2027, 3, 28));
  EXPECT_EQ(SunMoonMode, 0);  // the moon-phase face again
  EXPECT_EQ(CurrentRubric, rbHolidays);
  SaveScreen(f, "main_holidays_easter_2027");
  // A date before the calendar's start lands on 20.10.1582; the calendar's
  // "Direkt" button opens the same dialog.
  driver.WhenModal([&](TCustomForm& form) {
    As<TfrmDatum>(form).editDatum->SetText("1.1.1");  // the year 1 as written
    driver.PressKey(VK_RETURN);
  });
  f->Kalender->OnEnterDate(f->Kalender);
  EXPECT_EQ(CurrentDateKey, MakePackedDate(1582, 10, 20));
  // Alt+Home opens it too; cancelled, nothing changes.
  bool shown = false;
  driver.WhenModal([&](TCustomForm& form) {
    shown = true;
    As<TfrmDatum>(form).pbCancel->Click();
  });
  driver.PressKey(VK_HOME, ssAlt);
  EXPECT_TRUE(shown);
  EXPECT_EQ(CurrentDateKey, MakePackedDate(1582, 10, 20));
}

TEST_F(MainWindowTest, TheAboutBoxNamesThisProgramAndItsOwnAddresses) {
  TfrmMain* f = Start();
  driver.Advance(200);
  for (auto open : {+[](TfrmMain* w, TUiTestDriver& d) { d.Click(w->pbInfo); },
                    +[](TfrmMain*, TUiTestDriver& d) { d.PressKey(VK_F1, ssShift); },
                    +[](TfrmMain* w, TUiTestDriver& d) { d.Click(w->imgTitelbild); }}) {
    bool shown = false;
    driver.WhenModal([&](TCustomForm& form) {
      auto& d = As<TfrmInfo>(form);
      shown = true;
      EXPECT_EQ(d.Caption(), "Info");
      EXPECT_EQ(d.lblVersion->Caption(), "Version 5.02 ");
      EXPECT_EQ(d.urlWeb->URLorEMAIL(), kProjectWebAddress);
      EXPECT_EQ(d.urlMail->URLorEMAIL(), kProjectMailAddress);
      EXPECT_EQ(d.urlWeb->Label()->Cursor(), crHyperlink);
      // Everything inside the dialog, nothing over the buttons.
      for (TControl* c : {static_cast<TControl*>(d.lblTitel), static_cast<TControl*>(d.imgBild),
                          static_cast<TControl*>(d.lblInfo1), static_cast<TControl*>(d.lblInfo2),
                          static_cast<TControl*>(d.urlWeb), static_cast<TControl*>(d.urlMail)}) {
        EXPECT_GE(c->Left(), 0);
        EXPECT_LE(c->Left() + c->Width(), d.ClientWidth());
        EXPECT_GE(c->Top(), d.pnlButtons->Height());
        EXPECT_LE(c->Top() + c->Height(), d.ClientHeight());
      }
      driver.Click(d.urlWeb->Label());
      driver.SavePng(&d, "dialog_about");
      driver.PressKey(VK_ESCAPE);
    });
    open(f, driver);
    EXPECT_TRUE(shown);
  }
  ASSERT_FALSE(driver.OpenedUrls().empty());
  EXPECT_EQ(driver.OpenedUrls()[0], kProjectWebAddress);
  // The box, the title picture and the page's links show the hand.
  EXPECT_EQ(f->boxKalender->Cursor(), crHyperlink);
  EXPECT_EQ(f->imgTitelbild->Cursor(), crHyperlink);
  EXPECT_EQ(f->WPRichText1->HyperLinkCursor(), crHyperlink);
}

// The four new rubrics from their buttons and keys, and the calendar box's
// two faces by a click.
TEST_F(MainWindowTest, TheNewRubricsAndTheCalendarBoxInTheWindow) {
  TfrmMain* f = Start();
  driver.Advance(200);
  ShowDay(f, EncodeDate(2027, 11, 11));
  struct R {
    TExplorerButton* Button;
    int Rubric;
    const char* Title;
  };
  for (const R& r : {R{f->pbEige, rbPersonal, "Persönliches"}, R{f->pbErei, rbEvents, "Weltgeschehen"},
                     R{f->pbName, rbNameDays, "Namenstage"}, R{f->pbFTag, rbHolidays, "Feiertage"}}) {
    driver.Click(r.Button);
    EXPECT_EQ(CurrentRubric, r.Rubric);
    EXPECT_TRUE(r.Button->Down());
    EXPECT_EQ(f->pnlTitel->Caption(), Utf8ToCp1252OrThrow(r.Title));
    EXPECT_TRUE(f->WPRichText1->Visible());
  }
  const std::string page = f->WPRichText1->RtfText()->FirstPar->line->pc;
  EXPECT_NE(page.find("Deutschland"), std::string::npos) << page;  // Martinstag
  SaveScreen(f, "main_holidays_martinstag");
  // The personal title is the user's text: its "&" marks no accelerator.
  RubricDisplay[rbPersonal].RubricTitle = CP1252("Meine Familie & Freunde (€)").str();
  driver.Click(f->pbEige);
  EXPECT_EQ(StripHotkey(f->pnlTitel->Caption()), RubricDisplay[rbPersonal].RubricTitle);
  SaveScreen(f, "main_personal_title_ampersand");
  driver.PressKey(VK_F8);
  SaveScreen(f, "main_namedays_martin");
  EXPECT_EQ(SunMoonMode, 0);
  driver.Click(f->boxKalender);
  EXPECT_EQ(SunMoonMode, 1);
  SaveScreen(f, "main_sun_and_moon");
  driver.Click(f->boxKalender);
  EXPECT_EQ(SunMoonMode, 0);
}

}  // namespace
