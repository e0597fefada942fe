// Editing in the grid on the place table: a cell edited in place and
// posted is in the table afterwards; Escape throws an edit away in two
// steps and asks before it drops a changed record; deleting asks and
// removes exactly the current record; tabbing wraps across records; a text
// that breaks the field's picture mask keeps the user in the column.
#include "dbcontrols/datasets/wwfields.h"
#include "platform/rtl/cp1252.h"
#include "tests/dbcontrols/grid_fixture.h"

namespace wwtest {

// What the table file holds, read through a table of its own.
class GridEditing : public GridOnPlaces {
 protected:
  static AnsiString StoredName(int id) {
    auto t = Open("ORT.FFD", "XPKORTE");
    if (!t->FindKey({id})) return "<missing>";
    return t->FieldByName("ORTE_NAME")->AsString();
  }
  static bool Stored(int id) {
    auto t = Open("ORT.FFD", "XPKORTE");
    return t->FindKey({id});
  }
};

TEST_F(GridEditing, AnEditedCellIsPostedIntoTheTable) {
  for (int i = 0; i < 5; ++i) driver.PressKey(VK_DOWN);
  driver.PressKey(VK_RIGHT);
  ASSERT_EQ(grid->GetSelectedIndex(), 1);
  const int id = Id();
  const AnsiString before = table->FieldByName("ORTE_NAME")->AsString();
  driver.PressKey(VK_F2);
  ASSERT_NE(grid->InplaceEditor(), nullptr);
  ASSERT_TRUE(grid->InplaceEditor()->Visible());
  EXPECT_EQ(grid->InplaceEditor()->Text(), before);
  EXPECT_NE(dynamic_cast<TwwInplaceEdit*>(grid->InplaceEditor()), nullptr);
  grid->InplaceEditor()->SelectAll();
  const AnsiString name = CP1252("Neustadt an der Weinstraße").str();
  driver.Type(name);
  EXPECT_EQ(table->State(), dsEdit) << "typing puts the table into edit state";
  EXPECT_EQ(grid->EditText(), name);
  driver.PressKey(VK_RETURN);
  EXPECT_FALSE(grid->InplaceEditor()->Visible());
  EXPECT_EQ(table->FieldByName("ORTE_NAME")->AsString(), name) << "Enter writes the field";
  EXPECT_EQ(StoredName(id), before) << "not yet posted";
  driver.PressKey(VK_DOWN);
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(StoredName(id), name);
  ExpectConsistent("after posting");

  // Typing into a cell opens the editor with the typed character, which
  // replaces the text; leaving the row posts it.
  driver.PressKey(VK_UP);
  driver.Type("Ulm");
  EXPECT_TRUE(grid->InplaceEditor()->Visible());
  EXPECT_EQ(grid->InplaceEditor()->Text(), "Ulm");
  driver.PressKey(VK_UP);
  EXPECT_EQ(StoredName(id), "Ulm");
  EXPECT_EQ(table->State(), dsBrowse);
  ExpectConsistent("after the second post");
}

TEST_F(GridEditing, EscapeThrowsTheCellAwayThenTheRecordAfterAsking) {
  driver.PressKey(VK_DOWN);
  driver.PressKey(VK_RIGHT);
  const int id = Id();
  const AnsiString before = table->FieldByName("ORTE_NAME")->AsString();
  driver.Type("xyz");
  EXPECT_EQ(table->State(), dsEdit);
  driver.PressKey(VK_ESCAPE);
  EXPECT_EQ(grid->EditText(), before) << "the cell shows the field again";
  EXPECT_FALSE(grid->InplaceEditor()->Visible());
  EXPECT_EQ(table->State(), dsEdit);
  driver.PressKey(VK_ESCAPE);
  EXPECT_EQ(table->State(), dsBrowse) << "nothing was changed: no question";
  EXPECT_TRUE(driver.MessageBoxes().empty());

  driver.Type("xyz");
  driver.PressKey(VK_RETURN);
  EXPECT_EQ(table->FieldByName("ORTE_NAME")->AsString(), "xyz");
  driver.AnswerNextMessageBox(IDNO);
  driver.PressKey(VK_ESCAPE);
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.MessageBoxes()[0].Text, "Discard changes to this record?");
  EXPECT_EQ(table->State(), dsEdit) << "No keeps the edit";
  driver.AnswerNextMessageBox(IDYES);
  driver.PressKey(VK_ESCAPE);
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(table->FieldByName("ORTE_NAME")->AsString(), before);
  EXPECT_EQ(StoredName(id), before);
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

TEST_F(GridEditing, DeletingAsksAndRemovesExactlyTheCurrentRecord) {
  for (int i = 0; i < 7; ++i) driver.PressKey(VK_DOWN);
  const int id = Id(), next = ids[8], prev = ids[6];
  const int count = table->RecordCount();
  driver.AnswerNextMessageBox(IDCANCEL);
  driver.PressKey(VK_DELETE, ssCtrl);
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.MessageBoxes()[0].Text, "Delete record?");
  EXPECT_EQ(table->RecordCount(), count) << "Cancel keeps the record";
  EXPECT_EQ(Id(), id);

  driver.AnswerNextMessageBox(IDOK);
  driver.PressKey(VK_DELETE, ssCtrl);
  EXPECT_EQ(table->RecordCount(), count - 1);
  EXPECT_FALSE(Stored(id));
  EXPECT_TRUE(Stored(next));
  EXPECT_TRUE(Stored(prev));
  EXPECT_EQ(Id(), next) << "the record after it becomes current";
  ids.erase(std::find(ids.begin(), ids.end(), id));
  ExpectConsistent("after deleting");
  ExpectPaintedRows("after deleting");

  // Without the confirmation option nobody is asked; a read-only grid
  // deletes nothing.
  grid->SetOptions(grid->Options() & ~dgConfirmDelete);
  grid->SetReadOnly(true);
  driver.PressKey(VK_DELETE, ssCtrl);
  EXPECT_EQ(table->RecordCount(), count - 1);
  grid->SetReadOnly(false);
  driver.PressKey(VK_DELETE, ssCtrl);
  EXPECT_EQ(table->RecordCount(), count - 2);
  EXPECT_FALSE(Stored(next));
  EXPECT_EQ(driver.MessageBoxes().size(), 2u);
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

TEST_F(GridEditing, InsertKeyStartsARecordInPlace) {
  for (int i = 0; i < 3; ++i) driver.PressKey(VK_DOWN);
  driver.PressKey(VK_INSERT);
  EXPECT_EQ(table->State(), dsInsert);
  EXPECT_EQ(grid->Row(), grid->TitleOffset() + 3) << "the new record takes the current row";
  driver.PressKey(VK_ESCAPE);
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(Pos(), 3);
  ExpectConsistent("after the cancelled insert");
  grid->SetKeyOptions(dgAllowDelete);
  driver.PressKey(VK_INSERT);
  EXPECT_EQ(table->State(), dsBrowse) << "without dgAllowInsert";
}

TEST_F(GridEditing, TabWrapsAcrossRecordsAndSkipsReadOnlyColumns) {
  ASSERT_EQ(grid->GetSelectedIndex(), 0);
  driver.PressKey(VK_TAB);
  EXPECT_EQ(grid->GetSelectedIndex(), 1);
  driver.PressKey(VK_TAB);
  driver.PressKey(VK_TAB);
  EXPECT_EQ(grid->GetSelectedIndex(), 3);
  driver.PressKey(VK_TAB);
  EXPECT_EQ(grid->GetSelectedIndex(), 0) << "past the last column";
  EXPECT_EQ(Pos(), 1) << "to the next record";
  driver.PressKey(VK_TAB, ssShift);
  EXPECT_EQ(grid->GetSelectedIndex(), 3);
  EXPECT_EQ(Pos(), 0) << "back to the last column of the previous record";

  // A read-only field's column is no tab stop.
  table->FieldByName("ORTE_ATTR")->SetReadOnly(true);
  grid->LayoutChanged();
  EXPECT_FALSE(grid->TabStops(3));
  driver.PressKey(VK_TAB, ssShift);
  EXPECT_EQ(grid->GetSelectedIndex(), 1) << "Shift+Tab passes over it";
  driver.PressKey(VK_TAB);
  EXPECT_EQ(grid->GetSelectedIndex(), 3);

  // Enter opens and closes the editor; with dgEnterToTab it is Tab, from
  // the grid and from the editor.
  driver.PressKey(VK_HOME);
  driver.PressKey(VK_RETURN);
  EXPECT_EQ(grid->GetSelectedIndex(), 0);
  EXPECT_TRUE(grid->InplaceEditor()->Visible());
  driver.PressKey(VK_RETURN);
  EXPECT_FALSE(grid->InplaceEditor()->Visible());
  grid->SetKeyOptions(grid->KeyOptions() | dgEnterToTab);
  driver.PressKey(VK_RETURN);
  EXPECT_EQ(grid->GetSelectedIndex(), 1);
  driver.PressKey(VK_F2);
  ASSERT_TRUE(grid->InplaceEditor()->Focused());
  driver.PressKey(VK_RETURN);
  EXPECT_EQ(grid->GetSelectedIndex(), 3) << "also from the editor";
  EXPECT_EQ(table->State(), dsBrowse) << "nothing was typed";
}

TEST_F(GridEditing, ColumnEventsAndKeysOfColumns) {
  std::vector<std::string> log;
  grid->OnColExit = [&](TObject*) { log.push_back("exit " + std::to_string(grid->GetSelectedIndex())); };
  grid->OnColEnter = [&](TObject*) { log.push_back("enter " + std::to_string(grid->GetSelectedIndex())); };
  driver.PressKey(VK_END);
  EXPECT_EQ(grid->GetSelectedIndex(), 3);
  driver.PressKey(VK_LEFT, ssCtrl);
  EXPECT_EQ(grid->GetSelectedIndex(), 0);
  driver.PressKey(VK_RIGHT, ssCtrl);
  EXPECT_EQ(grid->GetSelectedIndex(), 3) << "clamped to the last column";
  EXPECT_EQ(log, (std::vector<std::string>{"exit 0", "enter 3", "exit 3", "enter 0", "exit 0", "enter 3"}));
  // A column exit handler that moves elsewhere wins over the move.
  grid->OnColExit = [&](TObject*) { grid->SetSelectedIndex(1); };
  driver.PressKey(VK_LEFT);
  EXPECT_EQ(grid->GetSelectedIndex(), 1);
}

TEST_F(GridEditing, PictureMaskKeepsTheUserInTheColumnUntilTheTextFits) {
  TStringList masks;
  masks.Add("ORTE_ATTR\t###\tT\tF");
  table->SetPictureMasks(&masks);
  std::vector<bool> checks;
  grid->OnCheckValue = [&](TObject*, bool passes) { checks.push_back(passes); };
  grid->SetSelectedIndex(2);
  driver.PressKey(VK_F2);
  auto* editor = dynamic_cast<TwwInplaceEdit*>(grid->InplaceEditor());
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(editor->Focused());
  EXPECT_TRUE(editor->HasPictureMask()) << "the field's mask came with the focus";
  EXPECT_EQ(editor->Picture()->PictureMask(), "###");
  EXPECT_FALSE(editor->Picture()->AllowInvalidExit());
  editor->SelectAll();
  driver.Type("12");
  driver.AnswerNextMessageBox(IDOK);
  driver.PressKey(VK_TAB);
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.MessageBoxes()[0].Text.rfind(CP1252("Ungültige Eingabe. Mit Escape").str(), 0), 0u)
      << driver.MessageBoxes()[0].Text;
  EXPECT_EQ(grid->GetSelectedIndex(), 2) << "the move does not happen";
  EXPECT_TRUE(grid->DataLink()->IsModified());
  ASSERT_FALSE(checks.empty());
  EXPECT_FALSE(checks.back());

  // With the dataset's own handler it is told instead.
  int told = 0;
  table->OnInvalidValue = [&](TDataSet*, TField* f) {
    ++told;
    EXPECT_EQ(f->FieldName(), "ORTE_ATTR");
  };
  driver.PressKey(VK_TAB);
  EXPECT_EQ(told, 1);
  EXPECT_EQ(grid->GetSelectedIndex(), 2);
  EXPECT_EQ(driver.MessageBoxes().size(), 1u);

  EXPECT_EQ(editor->SelLength(), 2) << "the text is selected for retyping";
  driver.Type("123");
  driver.PressKey(VK_TAB);
  EXPECT_EQ(grid->GetSelectedIndex(), 3) << "a complete text lets the user go";
  EXPECT_TRUE(checks.back());
  EXPECT_EQ(table->FieldByName("ORTE_ATTR")->AsString(), "123");
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

TEST_F(GridEditing, ColumnsCannotBeEditedInAReadOnlyGridOrField) {
  driver.PressKey(VK_RIGHT);
  grid->SetReadOnly(true);
  driver.Type("x");
  EXPECT_EQ(table->State(), dsBrowse);
  grid->SetReadOnly(false);
  table->FieldByName("ORTE_NAME")->SetReadOnly(true);
  driver.Type("x");
  EXPECT_EQ(table->State(), dsBrowse);
  table->FieldByName("ORTE_NAME")->SetReadOnly(false);
  driver.Type("x");
  EXPECT_EQ(table->State(), dsEdit);
  driver.PressKey(VK_ESCAPE);
  driver.PressKey(VK_ESCAPE);
  EXPECT_EQ(table->State(), dsBrowse);
}

}  // namespace wwtest

namespace wwtest {

TEST_F(GridEditing, TheEditorWrapsWordsAsTheGridSays) {
  driver.PressKey(VK_RIGHT);
  driver.PressKey(VK_F2);
  auto* editor = dynamic_cast<TwwInplaceEdit*>(grid->InplaceEditor());
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->WordWrap());
  EXPECT_TRUE(editor->WindowStyle() & ES_MULTILINE);
  EXPECT_FALSE(editor->WindowStyle() & ES_AUTOHSCROLL) << "wrapping, not scrolling sideways";
  grid->SetOptions(grid->Options() & ~dgWordWrap);
  EXPECT_FALSE(editor->WordWrap());
  EXPECT_TRUE(editor->WindowStyle() & ES_AUTOHSCROLL) << "the window was made again";
  EXPECT_FALSE(editor->WindowStyle() & ES_WANTRETURN);
}

}  // namespace wwtest
