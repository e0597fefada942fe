// The person editor driven as a user drives it (typed keys, clicks on the
// navigator and the check boxes): what it posts is exactly what the file
// holds afterwards, with the derived fields the lists and the warner read;
// edits and switched-off warnings keep them up to date; deleting asks and
// removes exactly the entry; refused posts say why and write nothing; the
// masked edits refuse what their masks refuse.
#include "tests/app_editors/editors_fixture.h"

#include "platform/ui/windowhost.h"

namespace edtest {
namespace {

TEST_F(EditorTest, PersonsEnteredEditedAndDeletedAreWhatTheFileHolds) {
  int returned = 0;
  std::vector<AnsiString> deleteBoxes;
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmPersErf&>(form);
    // A woman with place and time, both advance warnings.
    driver.Click(f.pbInsert);
    ASSERT_TRUE(f.editEigeVorname->Focused());
    driver.Type("Anna");
    Retype(f.editEigeNachname, "Muster");
    Retype(f.editEigeOrt, "Bern");
    Retype(f.editEigeDatum, "05031990");
    EXPECT_EQ(f.editEigeDatum->Text(), "05.03.1990") << "the mask fills in the dots";
    Retype(f.editEigeZeit, "0730");
    driver.Click(f.rgEigeGesch->Buttons(1));
    EXPECT_TRUE(f.imgFrau->Visible() && !f.imgMann->Visible());
    driver.Click(f.cbEigeW2);
    EXPECT_TRUE(f.editEigeW2Tage->Enabled());
    driver.SavePng(&f, "editors_person_insert");
    driver.Click(f.pbPost);
    driver.Click(f.editEigeVorname);
    for (int i = 0; i < 8; ++i) driver.PressKey(VK_TAB);  // neither focus nor the sex held changes the record
    driver.Click(f.rgEigeGesch->Buttons(1));
    EXPECT_TRUE(f.pbInsert->Enabled() && !f.pbPost->Enabled());
    driver.SavePng(&f, "editors_person_record");
    // Born on 29 February, long names, one day ahead.
    driver.Click(f.pbInsert);
    driver.Type("Anna Maria Luise");
    Retype(f.editEigeNachname, "Schmidt-Rottluff-Hasenclever");
    Retype(f.editEigeDatum, "29021992");
    Retype(f.editEigeW1Tage, "1");
    EXPECT_EQ(f.lblW1Tage->Caption(), "Tag vorher");
    driver.Click(f.cbEigeW2);
    Retype(f.editEigeW2Tage, "3");
    EXPECT_EQ(f.lblW2Tage->Caption(), "Tage vorher");
    driver.Click(f.pbPost);
    // Only a last name; the second warning nearer than the first; no
    // warning on the day.
    driver.Click(f.pbInsert);
    Retype(f.editEigeNachname, "Zeller");
    Retype(f.editEigeDatum, "1.1.2000");
    driver.Click(f.cbEigeW0);
    Retype(f.editEigeW1Tage, "7");
    driver.Click(f.cbEigeW2);
    Retype(f.editEigeW2Tage, "3");
    driver.Click(f.pbPost);
    // Editing: another date for the first person, then her first warning off.
    driver.Click(f.pbFirst);
    EXPECT_FALSE(f.pbPrior->Enabled());
    Retype(f.editEigeDatum, "06031990");
    driver.PressKey('S', ssCtrl);
    EXPECT_TRUE(f.editEigeDatum->Focused()) << "saving leaves the focus where it was";
    driver.Click(f.cbEigeW1);
    EXPECT_FALSE(f.cbEigeW2->Enabled()) << "the second warning follows the first";
    driver.Click(f.pbPost);
    // Deleting the last person: "No" keeps it, "Yes" removes exactly it.
    driver.Click(f.pbLast);
    ASSERT_EQ(f.editEigeNachname->Text(), "Zeller");
    const size_t boxes = driver.MessageBoxes().size();
    driver.AnswerNextMessageBox(IDNO);
    driver.AnswerNextMessageBox(IDOK);
    driver.Click(f.pbDelete);
    EXPECT_EQ(f.tblEige->RecordCount(), 3);
    driver.AnswerNextMessageBox(IDYES);
    driver.Click(f.pbDelete);
    deleteBoxes = BoxesFrom(boxes);
    EXPECT_EQ(f.tblEige->RecordCount(), 2);
    EXPECT_EQ(f.editEigeNachname->Text(), "Schmidt-Rottluff-Hasenclever");
    driver.Click(f.pbExit);
  });
  ShowPersErf(returned);
  EXPECT_EQ(returned, 2) << "the person current at the end";
  EXPECT_EQ(deleteBoxes, (std::vector<AnsiString>{CP1252("Person löschen?").str(),
                                                   CP1252("Person wird nicht gelöscht.").str(),
                                                   CP1252("Person löschen?").str()}));
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
  // Warner keys: month x 100 + day of the date less the days; a birthday on
  // 29 February counts from 28 February, as it falls in common years.
  EXPECT_EQ(StoredEntries(),
            (std::vector<std::string>{
                "1|1|06.03.1990|07:30:00|Anna|Muster|1|in|Bern|True|False|2|True|5|6|3|1990|Muster, Anna|0|301|",
                CP1252("2|1|29.02.1992||Anna Maria Luise|Schmidt-Rottluff-Hasenclever|0|in||True|True|1|True|3|29|2|"
                       "1992|Schmidt-Rottluff-Hasenclever, Anna...|227|225|")
                    .str()}));
}

// Pasted text follows the rules of typed text: letters outside Windows-1252
// become their base letter, a character that has no form is left out and
// named, the field's room is told as typing tells it, and the date's
// picture mask takes what it takes from the keyboard, its own dots as its
// own; blanks around and control characters go before the text is fitted
// (a tab is a blank, lines are joined), an ISO date comes as the field's,
// and what the field's rules refuse is left out and named. Ctrl+A selects
// the whole field. A day the month lacks, left with Tab, is named in German.
TEST_F(EditorTest, PastedTextFollowsTheRulesOfTypedTextAndAWrongDateIsToldInGerman) {
  std::vector<AnsiString> texts, boxes;
  std::u32string shown;
  int beeps = 0;
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmPersErf&>(form);
    auto paste = [&](TCustomEdit* edit, const std::string& utf8) {
      WindowHost().SetClipboard({{"text/plain", utf8}}, nullptr);
      driver.Click(edit);
      edit->SelectAll();
      driver.PressKey('V', ssCtrl);
      texts.push_back(edit->Text());
    };
    driver.Click(f.pbInsert);
    const size_t n = driver.MessageBoxes().size();
    beeps = Beeps();
    driver.AnswerNextMessageBox(IDOK);
    paste(f.editEigeVorname, "Łukasz ř 😀中文 Ω Nowák");
    shown = driver.MessageBoxes().back().Shown;
    driver.AnswerNextMessageBox(IDOK);
    paste(f.editEigeVorname, std::string(1 << 20, 'x'));
    paste(f.editEigeVorname, " " + std::string(30, 'y') + " \r\n");
    paste(f.editEigeNachname, "A\001B\007C\tD\bE\r\nF");
    driver.Click(f.editEigeVorname);
    driver.PressKey('A', ssCtrl);
    driver.Type("Eva");
    texts.push_back(f.editEigeVorname->Text());
    driver.AnswerNextMessageBox(IDOK);
    for (const char* date : {"ab", "07082001", "07.08.2001", "7.8.2001", "07\x16", " 07.08.2001\r\n", "2001-08-07"})
      paste(f.editEigeDatum, date);
    Retype(f.editEigeW1Tage, "4");
    WindowHost().SetClipboard({{"text/plain", "7x"}}, nullptr);
    driver.AnswerNextMessageBox(IDOK);
    driver.PressKey('V', ssCtrl);
    texts.push_back(f.editEigeW1Tage->Text());
    beeps = Beeps() - beeps;
    paste(f.editEigeDatum, "31021990");
    driver.AnswerNextMessageBox(IDOK);
    driver.PressKey(VK_TAB);
    boxes = BoxesFrom(n);
    driver.AnswerNextMessageBox(IDNO);
    driver.Click(f.pbExit);
  });
  int id = 0;
  ShowPersErf(id);
  EXPECT_EQ(texts, (std::vector<AnsiString>{CP1252("Lukasz r Nowák").str(), AnsiString(30, 'x'), AnsiString(30, 'y'),
                                            "ABC DE F", "Eva", "", "07.08.2001", "07.08.2001", "7.8.2001", "07.",
                                            "07.08.2001", "07.08.2001", "47", "31.02.1990"}));
  EXPECT_EQ(beeps, 0) << "what does not go in is told, not beeped";
  // The box shows each character as itself where its font (or a fallback) draws it: Ω always.
  std::u32string seen = U"Einige Zeichen des eingefügten Textes kann das Programm nicht speichern (";
  for (auto [u, code] : {std::pair{U'😀', U"U+1F600"}, {U'中', U"U+4E2D"}, {U'文', U"U+6587"}})
    seen += (FontEngine().Draws(TFont().Request(), u) ? std::u32string(1, u) : code) + U", ";
  EXPECT_EQ(shown, seen + U"Ω); sie wurden weggelassen.");
  EXPECT_EQ(boxes, (std::vector<AnsiString>{CP1252("Einige Zeichen des eingefügten Textes kann das Programm "
                                                   "nicht speichern (U+1F600, U+4E2D, U+6587, U+03A9); sie "
                                                   "wurden weggelassen.").str(),
                                            CP1252("In dieses Feld passen höchstens 30 Zeichen; weitere Zeichen "
                                                   "werden nicht angenommen.").str(),
                                            CP1252("Einige Zeichen des eingefügten Textes passen nicht in dieses "
                                                   "Feld (\"ab\"); sie wurden weggelassen.").str(),
                                            CP1252("Einige Zeichen des eingefügten Textes passen nicht in dieses "
                                                   "Feld (\"x\"); sie wurden weggelassen.").str(),
                                            CP1252("\"31.02.1990\" ist kein gültiges Datum.").str()}));
}

TEST_F(EditorTest, RefusedPostsSayWhyAndWriteNothing) {
  std::vector<AnsiString> refusals;
  int beepsDate = 0, beepsTime = 0;
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmPersErf&>(form);
    // Each try: post, the refusal's box answered, the record still inserted.
    auto tryPost = [&] {
      const size_t n = driver.MessageBoxes().size();
      driver.AnswerNextMessageBox(IDOK);
      driver.Click(f.pbPost);
      for (const AnsiString& b : BoxesFrom(n)) refusals.push_back(b);
      EXPECT_EQ(f.tblEige->State(), dsInsert);
    };
    driver.Click(f.pbInsert);
    driver.Type(AnsiString(31, 'a'));  // the 31st character is refused with a beep
    EXPECT_EQ(f.editEigeVorname->Text(), AnsiString(30, 'a')) << "a name never outgrows its field";
    Retype(f.editEigeVorname, "Anna");
    driver.Click(f.memoEigeText);  // Shift+Tab into the codes saves first: the refusal goes to the date
    driver.AnswerNextMessageBox(IDOK);
    driver.PressKey(VK_TAB, ssShift);
    EXPECT_TRUE(f.editEigeDatum->Focused());
    tryPost();  // no date
    Retype(f.editEigeDatum, "121");
    EXPECT_EQ(f.editEigeDatum->Text(), "12.1");
    tryPost();  // a date the mask has not finished
    Retype(f.editEigeDatum, "31021990");
    tryPost();  // no such day
    Retype(f.editEigeDatum, "01018202");
    tryPost();  // after the calendar's end
    // The masks refuse what does not fit them, with a beep.
    int beeps = Beeps();
    Retype(f.editEigeDatum, "1x");
    EXPECT_EQ(f.editEigeDatum->Text(), "1");
    driver.Type("23.1999");
    driver.Type("7");
    EXPECT_EQ(f.editEigeDatum->Text(), "12.3.1999");
    beepsDate = Beeps() - beeps;
    beeps = Beeps();
    Retype(f.editEigeZeit, "7a3x");
    EXPECT_EQ(f.editEigeZeit->Text(), "73:");
    beepsTime = Beeps() - beeps;
    tryPost();  // a time the mask has not finished
    Retype(f.editEigeZeit, "2561");
    tryPost();  // no such time
    Clear(f.editEigeZeit);
    Clear(f.editEigeVorname);
    tryPost();  // no name
    // Closing, asked to save: the refusal keeps the window open.
    driver.AnswerNextMessageBox(IDYES);
    driver.AnswerNextMessageBox(IDOK);
    driver.Click(f.pbExit);
  });
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmPersErf&>(form);
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(f.tblEige->State(), dsInsert);
    // "No" closes it without the person.
    driver.AnswerNextMessageBox(IDNO);
    driver.Click(f.pbExit);
  });
  int id = 0;
  ShowPersErf(id);
  EXPECT_EQ(beepsDate, 2) << "a letter and a ninth digit";
  EXPECT_EQ(beepsTime, 2) << "two letters";
  const AnsiString date = CP1252("Geben Sie bitte ein gültiges Geburtsdatum ein.").str();
  const AnsiString time = CP1252("Geben Sie bitte eine gültige Zeit ein.").str();
  const AnsiString end = CP1252("Das Geburtsdatum 01.01.8202 liegt nach dem Ende des Kalenders am 31.12.8201. Geben "
                                "Sie bitte ein früheres Datum ein.").str();
  EXPECT_EQ(refusals, (std::vector<AnsiString>{date, date, date, end, time, time,
                                               "Geben Sie bitte einen Vornamen und/oder Nachnamen ein."}));
  EXPECT_TRUE(StoredEntries().empty());
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

// The code cell's combo keeps the focus as in the event editor; before any
// person both day labels read "Tage vorher".
TEST_F(EditorTest, APersonIsGivenACodeThroughTheGridsCombo) {
  AddCodes({{"FAM", "Familie"}, {"FRE", "Freunde"}, {"WWW", "Weltweit"}});
  std::vector<AnsiString> boxes;
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmPersErf&>(form);
    EXPECT_EQ(f.lblW1Tage->Caption() + "|" + f.lblW2Tage->Caption(), "Tage vorher|Tage vorher");
    driver.SavePng(&f, "editors_person_empty");
    driver.Click(f.pbInsert);
    driver.Type("Anna");
    Retype(f.editEigeDatum, "05031990");
    // The list opened after "FR" is typed goes to "FRE".
    ClickCell(driver, f.gridEiSe, 1, f.gridEiSe->Row());
    driver.Type("FR");
    driver.PressKey(VK_DOWN, ssAlt);
    ASSERT_TRUE(f.cmbSelCode->ListVisible());
    EXPECT_GE(f.cmbSelCode->Grid()->ColWidths(0), f.gridEiSe->ColumnWidthForText(kWidestCode));
    driver.PressKey(VK_RETURN);
    driver.PressKey(VK_TAB);  // out of the grid: its cell's list goes with the focus
    EXPECT_TRUE(f.memoEigeText->Focused() && !f.cmbSelCode->Visible());
    ClickCell(driver, f.gridEiSe, 1, f.gridEiSe->Row());
    driver.PressKey(VK_DOWN);  // to a new row: the code is posted
    WindowHost().SetClipboard({{"text/plain", "FAM"}}, nullptr);
    driver.PressKey(VK_INSERT, ssShift);  // pasted into the cell not yet edited, as into a field: no new row
    ClickCell(driver, f.gridEiSe, 2, f.gridEiSe->Row());
    driver.PressKey(VK_DOWN);
    // Typed into the cell (from "Bezeichnung" too), a code goes in as picked, the widest whole left
    // of the list's button; one that does not exist is refused in German.
    driver.Type(kWidestCode);
    EXPECT_EQ(LoWord(f.cmbSelCode->Perform(EM_POSFROMCHAR, 0, 0)), f.cmbSelCode->FormatRect().Left);
    EXPECT_LE(LoWord(f.cmbSelCode->Perform(EM_POSFROMCHAR, 3, 0)), f.cmbSelCode->FormatRect().Right);
    driver.SavePng(&f, "editors_person_widest_code");
    // A fourth letter has no room in the code: refused with a beep, not cut off unseen.
    const int beeps = keyboard::BeepCount();
    driver.Type("Q");
    EXPECT_EQ(f.cmbSelCode->Text() + "/" + IntToStr(keyboard::BeepCount() - beeps), AnsiString(kWidestCode) + "/1");
    driver.PressKey(VK_DOWN);
    driver.Type("XYZ");  // Escape takes back the code typed into the cell; the window stays
    driver.PressKey(VK_ESCAPE);
    EXPECT_TRUE(f.Visible() && f.gridEiSe->Focused() && f.cmbSelCode->Text().empty());
    driver.AnswerNextMessageBox(IDOK);
    driver.Type("XYZ");
    driver.PressKey(VK_DOWN);
    boxes = BoxesFrom(0);
    driver.PressKey(VK_DOWN, ssAlt);  // the list opens on its first code, the one Down moves on from
    const AnsiString shown = f.tblSelC->FieldByName("SELC_ID")->AsString();
    driver.PressKey(VK_DOWN);
    EXPECT_EQ(shown + ">" + f.cmbSelCode->Text(), "FAM>FRE");
    driver.PressKey(VK_ESCAPE);
    driver.AnswerNextMessageBox(IDOK);
    driver.Type("QQQ\t");  // left by Tab as by Enter: refused, the row stays for a code from the list
    EXPECT_TRUE(f.gridEiSe->Focused() && f.tblEiSe->State() == dsInsert);
    // Squeezed and grown again, the codes get their rows back; closed squeezed, the bar's place is kept.
    const int rows = f.gridEiSe->Height();
    f.SetHeight(302);
    f.SetHeight(540);
    EXPECT_EQ(f.gridEiSe->Height(), rows);
    f.SetHeight(302);
    driver.Click(f.pbExit);
  });
  int id = 0;
  ShowPersErf(id);
  EXPECT_EQ(boxes, std::vector<AnsiString>{CP1252("Den Selektionscode \"XYZ\" gibt es nicht. Wählen Sie einen Code "
                                                  "aus der Liste.").str()});
  EXPECT_EQ(StoredLinks(), (std::vector<std::pair<AnsiString, int>>{{"FAM", 1}, {"FRE", 1}, {"WWW", 1}}));
  EXPECT_EQ(OpenSettingsFile()->ReadInteger("PERSONEN ERFASSEN", "Splitter Position", 0), 190);
}

}  // namespace
}  // namespace edtest
