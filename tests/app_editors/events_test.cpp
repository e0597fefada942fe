// The event editor and the selection codes, driven through their windows:
// codes typed into the code editor's grid; an event's text cut to its list
// text; codes given to an event through the lookup combo of its grid (one
// given twice is dropped); "Standard" making the warner settings the
// defaults of the next entry; deleting an event taking its codes along and
// deleting the last event leaving an empty editor that still works;
// deleting a code asking first and leaving the entries that carry it alone;
// a code given twice refused in words of its own.
#include "tests/app_editors/editors_fixture.h"

namespace edtest {
namespace {

TEST_F(EditorTest, SelectionCodesAreTypedIntoTheirGrid) {
  {
    // Entry 9 carries a code "FAD" that was deleted once.
    auto links = apptest::OpenTable(kUserAlias, "EIGESELC.FFD", "XPKEISE");
    for (auto [code, entry] : {std::pair{"FRE", 7}, {"FAM", 8}, {"FAM", 9}, {"FAD", 9}}) {
      links->Append();
      links->FieldByName("SELC_ID")->SetAsString(code);
      links->FieldByName("EIGE_ID")->SetAsInteger(entry);
      links->Post();
    }
  }
  std::vector<AnsiString> boxes;
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmSelCErf&>(form);
    // Blanks typed around a code go before it is fitted.
    for (const char* line : {"FAM\tFamilie", " FRE \tFreunde", "WWW\t"}) {
      driver.Click(f.pbInsert);  // a new row starts in its code
      driver.Type(line);
      if (std::string(line) == "WWW\t") {
        // The widest code shows whole on one line of its cell's editor.
        ClickCell(driver, f.gridSelC, 1, f.gridSelC->Row());
        TInplaceEdit* cell = f.gridSelC->InplaceEditor();
        EXPECT_EQ(cell->Perform(EM_GETLINECOUNT, 0, 0), 1);
        EXPECT_LE(LoWord(cell->Perform(EM_POSFROMCHAR, 3, 0)), cell->FormatRect().Right);
        driver.SavePng(&f, "editors_selcodes");
        driver.AnswerNextMessageBox(IDOK);
      }
      driver.Click(f.pbPost);
    }
    EXPECT_EQ(f.tblSelC->State(), dsInsert) << "a code without a name stays unsaved";
    EXPECT_EQ(f.gridSelC->GetSelectedIndex(), 1) << "the refusal goes to the empty name";
    driver.Click(f.pbCancel);
    driver.Click(f.pbFirst);
    ASSERT_EQ(f.tblSelC->FieldByName("SELC_ID")->AsString(), "FAM");
    // Tab into the name edits it: End goes behind its selected text, so
    // Backspace takes one letter, and Home goes back to the start.
    ClickCell(driver, f.gridSelC, 1, f.gridSelC->Row());
    driver.PressKey(VK_TAB);
    for (int vk : {VK_END, VK_BACK, VK_HOME}) driver.PressKey(vk);
    driver.Type("Die ");
    driver.Click(f.pbPost);
    // Tab leaves the grid after the name, never into the next row; Shift+Tab and Ctrl+Tab at once.
    std::string path;
    for (TShiftState shift :
         std::initializer_list<TShiftState>{0, ssShift, ssShift, 0, ssCtrl, ssShift, ssCtrl | ssShift}) {
      driver.PressKey(VK_TAB, shift);
      TWinControl* c = f.ActiveControl();
      path += (c->Parent() == f.gridSelC ? IntToStr(f.gridSelC->GetSelectedIndex()) : c->Name()) + " ";
    }
    EXPECT_EQ(path, "pbNext 1 pbExit 1 pbNext 1 pbExit ");
    driver.AnswerNextMessageBox(IDNO);
    driver.AnswerNextMessageBox(IDOK);
    driver.Click(f.pbDelete);
    // Renamed, the code goes with its entries.
    ClickCell(driver, f.gridSelC, 1, f.gridSelC->Row());
    for (int vk : {VK_END, VK_BACK, VK_BACK, VK_BACK}) driver.PressKey(vk);
    driver.Type("FAD");
    driver.Click(f.pbPost);
    // Renamed in its letter case alone, it keeps them too.
    for (int vk : {VK_END, VK_BACK, VK_BACK, VK_BACK}) driver.PressKey(vk);
    driver.Type("fad");
    driver.Click(f.pbPost);
    // "Yes" to the window's one question deletes the code; the entries that
    // carry it keep it. The one code left is first and last.
    driver.Click(f.pbNext);
    ASSERT_EQ(f.tblSelC->FieldByName("SELC_ID")->AsString(), "FRE");
    driver.AnswerNextMessageBox(IDYES);
    driver.PressKey(VK_DELETE, ssCtrl);
    EXPECT_FALSE(f.pbFirst->Enabled() || f.pbPrior->Enabled() || f.pbNext->Enabled() || f.pbLast->Enabled());
    // A new row nothing was typed into goes with the window, unasked.
    driver.PressKey(VK_END, ssCtrl);
    driver.PressKey(VK_DOWN);
    EXPECT_EQ(f.tblSelC->State(), dsInsert);
    driver.PressKey(VK_ESCAPE);
    boxes = BoxesFrom(0);
  });
  ShowSelCErf();
  const AnsiString bothFields = CP1252(R"(Beide Felder "Code" und "Bezeichnung" müssen vorgegeben werden.)").str();
  EXPECT_EQ(boxes, (std::vector<AnsiString>{bothFields, CP1252("Selektionscode löschen?").str(),
                                            CP1252("Selektionscode wird nicht gelöscht.").str(),
                                            CP1252("Selektionscode löschen?").str()}));
  std::vector<std::string> codes;
  for (const Row& r : StoredRows("SELCODE.FFD", "XSELC_ID")) codes.push_back(r.at("SELC_ID") + "=" + r.at("SELC_NAME"));
  EXPECT_EQ(codes, (std::vector<std::string>{"fad=Die Famili"}));
  EXPECT_EQ(StoredLinks(), (std::vector<std::pair<AnsiString, int>>{{"fad", 8}, {"fad", 9}, {"FRE", 7}}));
}

// A code the table holds already is refused in the window's own words.
TEST_F(EditorTest, ACodeThatExistsIsSaidToExist) {
  AddCodes({{"FAM", "Familie"}});
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmSelCErf&>(form);
    driver.Click(f.pbInsert);
    ClickCell(driver, f.gridSelC, 1, f.gridSelC->Row());
    driver.Type("FAM\tFreunde");
    driver.AnswerNextMessageBox(IDOK);
    driver.Click(f.pbPost);
    driver.Click(f.pbCancel);
    // Saved by the tool button that Tab went to, the row shows what the table holds: the cell's
    // editor went with the focus instead of staying over the next row with the old name.
    driver.Click(f.pbInsert);
    driver.Type("TST\tTestcodeX\t");
    driver.PressKey(VK_SPACE);
    EXPECT_FALSE(f.gridSelC->InplaceEditor()->Visible());
    EXPECT_EQ(StoredRows("SELCODE.FFD", "XSELC_ID").at(1).at("SELC_NAME"), "TestcodeX");
    driver.Click(f.pbExit);
  });
  ShowSelCErf();
  EXPECT_EQ(BoxesFrom(0),
            std::vector<AnsiString>{"Den Selektionscode \"FAM\" gibt es schon. Geben Sie einen anderen Code ein."});
}

TEST_F(EditorTest, EventsWithTheirCodesDefaultsAndDeletion) {
  AddCodes({{"FAM", "Familie"}, {"FRE", "Freunde"}, {"WWW", "Weltweit"}});
  // 41 characters with the last blank at position 30: its first 29 and "...".
  const AnsiString text = AnsiString(29, 'x') + " " + AnsiString(11, 'y');
  std::vector<std::pair<AnsiString, int>> linksBeforeDelete;
  std::vector<std::string> entriesBeforeDelete;
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmEreiErf&>(form);
    driver.Click(f.pbInsert);
    ASSERT_TRUE(f.editEigeDatum->Focused());
    driver.Type("24121999");
    for (int i = 0; i < 6; ++i) driver.PressKey(VK_TAB);  // through the warner to the text
    driver.Type(text);
    // Two codes through the grid's combo, the first once more: a code given
    // twice is dropped without a word. Adding the first code saves the event.
    for (const char* code : {"FAM", "FRE", "FAM"}) {
      ClickCell(driver, f.gridEiSe, 1, f.gridEiSe->Row());
      ASSERT_EQ(f.gridEiSe->CurrentEditControl(), f.cmbSelCode);
      driver.PressKey(VK_DOWN, ssAlt);
      ASSERT_TRUE(f.cmbSelCode->ListVisible());
      driver.Type(code);
      driver.Advance(400);
      driver.PressKey(VK_RETURN);
      EXPECT_EQ(f.tblEiSe->FieldByName("SELC_ID")->AsString(), code);
      driver.PressKey(VK_DOWN);  // to a new row: the code is posted
    }
    // Ctrl+Delete on a code asks the window's one question; "Nein" keeps it.
    driver.PressKey(VK_UP);
    const size_t asked = driver.MessageBoxes().size();
    const AnsiString question = "Selektionscode \"" + f.tblEiSe->FieldByName("SELC_ID")->AsString() + "\" entfernen?";
    driver.AnswerNextMessageBox(IDNO);
    driver.PressKey(VK_DELETE, ssCtrl);
    EXPECT_EQ(BoxesFrom(asked), std::vector<AnsiString>{question});
    EXPECT_EQ(f.tblEige->State(), dsBrowse);
    for (int k = 0; k < 2; ++k) driver.PressKey(VK_DOWN);  // a code typed into a new row, left by Tab, is stored
    driver.Type("WWW");
    driver.PressKey(VK_TAB);  // Tab and Shift+Tab pass the codes: on to the tool bar, back to the text
    EXPECT_TRUE(f.pbSuchen->Focused() && f.tblEiSe->State() == dsBrowse && StoredLinks().size() == 3u);
    for (int i = 0; i < 2; ++i) driver.PressKey(VK_TAB, ssShift);
    EXPECT_TRUE(f.memoEigeText->Focused());
    driver.Click(f.editEigeDatum);
    driver.PressKey(VK_END);
    driver.Type("x");  // refused by the date, so nothing is being edited
    EXPECT_EQ(f.tblEige->State(), dsBrowse);
    driver.SavePng(&f, "editors_event_record");
    // "Standard": these warner settings become the defaults.
    driver.Click(f.cbStandard);
    EXPECT_EQ(f.tblEige->State(), dsEdit) << "marking the defaults starts editing";
    // 30 days, saved at once by the tool button: bound to 21 all the same.
    Retype(f.editEigeW1Tage, "30");
    driver.AnswerNextMessageBox(IDOK);
    driver.Click(f.pbPost);
    EXPECT_FALSE(f.cbStandard->Checked());
    driver.Click(f.pbInsert);
    EXPECT_EQ(f.editEigeW1Tage->Text(), "21");
    driver.SavePng(&f, "editors_event_insert");
    driver.Click(f.pbCancel);
    EXPECT_FALSE(f.pbFirst->Enabled() || f.pbPrior->Enabled()) << "the only event is the first";
    linksBeforeDelete = StoredLinks();
    entriesBeforeDelete = StoredEntries();
    // Deleting the only event: its codes go; the editor stays usable.
    driver.AnswerNextMessageBox(IDYES);
    driver.Click(f.pbDelete);
    EXPECT_TRUE(f.tblEige->IsEmpty());
    EXPECT_FALSE(f.pbDelete->Enabled());
    EXPECT_TRUE(f.pbInsert->Enabled());
    driver.Click(f.pbInsert);
    driver.Type("01012001");
    driver.Click(f.memoEigeText);
    driver.Type("Neujahr");
    driver.Click(f.pbPost);
    EXPECT_EQ(f.tblEige->RecordCount(), 1);
    driver.Click(f.pbExit);
  });
  ShowEreiErf();
  EXPECT_EQ(linksBeforeDelete, (std::vector<std::pair<AnsiString, int>>{{"FAM", 1}, {"FRE", 1}, {"WWW", 1}}));
  EXPECT_TRUE(StoredLinks().empty()) << "the new event with the same number has no codes";
  EXPECT_EQ(Warner1Days, 21);
  EXPECT_EQ(StoredEntries(),
            std::vector<std::string>{"1|2|01.01.2001|||||||True|True|21|False|5|1|1|2001|Neujahr|1211|0|Neujahr"});
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
  EXPECT_EQ(entriesBeforeDelete, std::vector<std::string>{"1|2|24.12.1999|||||||True|True|21|False|5|24|12|1999|" +
                                                          AnsiString(29, 'x') + "...|1203|0|" + text});
}

}  // namespace
}  // namespace edtest
