// The person and event lists: the typing search waits 300 ms after the last
// key and then stands on the first entry at or after what was typed; the
// event list searches only a complete date; Ok hands back the chosen entry,
// Escape nothing; "Erfassen" opens the editor on the current person and the
// list follows the person the editor ends on; the event editor's search
// button opens its list and moves to the pick.
#include "tests/app_editors/editors_fixture.h"

namespace edtest {
namespace {

class ListTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    auto t = apptest::OpenTable(kUserAlias, "EIGENES.FFD", "XEIGE_ID");
    int id = 0;
    auto add = [&](int type, const AnsiString& last, TDateTime date, const AnsiString& text) {
      t->Append();
      t->FieldByName("EIGE_ID")->SetAsInteger(++id);
      t->FieldByName("EIGE_TYP")->SetAsInteger(type);
      t->FieldByName("EIGE_VORNAME")->SetAsString(type == etPerson ? "Eva" : "");
      t->FieldByName("EIGE_NACHNAME")->SetAsString(last);
      t->FieldByName("EIGE_DATUM")->SetAsDateTime(date);
      t->FieldByName("EIGE_HINWEIS")->SetAsString(text);
      t->Post();
    };
    for (const AnsiString& last : {AnsiString("Albrecht"), AnsiString("Bauer"), AnsiString("Meier"),
                                   CP1252("Müller").str(), AnsiString("Schmid"), AnsiString("Weber")})
      add(etPerson, last, EncodeDate(1950 + id, 1 + id, 1 + id), "");
    for (int y : {1980, 1990, 2000, 2010}) add(etEvent, "", EncodeDate(y, 6, 1), "Ereignis " + IntToStr(y));
  }
  static AnsiString Name(TDataSet* t) { return t->FieldByName("EIGE_NACHNAME")->AsString(); }
};

TEST_F(ListTest, ThePersonListSearchesWhatWasTypedAfter300Ms) {
  AnsiString before, after, afterEditor;
  driver.WhenModal([&](TCustomForm& form) {
    auto& l = dynamic_cast<TfrmListPers&>(form);
    EXPECT_TRUE(l.editGoto->Focused() && !l.pbErfassen->Bitmap()->Empty());
    driver.Type("mu");
    driver.Advance(299);
    before = Name(l.tblEige);
    driver.Advance(1);
    after = Name(l.tblEige);
    driver.SavePng(&l, "editors_person_list_search");
    driver.Click(l.pbErfassen);
  });
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmPersErf&>(form);
    EXPECT_EQ(f.editEigeNachname->Text(), CP1252("Müller").str()) << "the editor opens on the list's person";
    driver.Click(f.pbNext);
    driver.Click(f.pbExit);
  });
  driver.WhenModal([&](TCustomForm& form) {
    afterEditor = Name(dynamic_cast<TfrmListPers&>(form).tblEige);
    driver.PressKey(VK_RETURN);
  });
  int id = 0;
  EXPECT_TRUE(ShowListPers(id, true));
  EXPECT_EQ(before, "Albrecht") << "nothing moves before 300 ms";
  EXPECT_EQ(after, CP1252("Müller").str());
  EXPECT_EQ(afterEditor, "Schmid") << "the list follows the editor's last person";
  EXPECT_EQ(id, 5);
  driver.WhenModal([&](TCustomForm& form) {
    auto& l = dynamic_cast<TfrmListPers&>(form);
    EXPECT_FALSE(l.pbErfassen->Visible());
    TPoint smallest, largest;  // at its smallest: "Gehe zu" whole and three persons
    l.TrackSizeLimits(smallest, largest);
    l.SetBounds(l.Left(), l.Top(), 900, l.Height());  // its last column widened
    l.SetBounds(l.Left(), l.Top(), smallest.X, smallest.Y);
    EXPECT_LE(l.editGoto->Left() + l.editGoto->Width(), l.pnlGoto->ClientWidth());
    EXPECT_EQ(l.gridEige->VisibleRowCount(), 3);
    driver.PressKey(VK_ESCAPE);
  });
  EXPECT_FALSE(ShowListPers(id, false));
  EXPECT_EQ(id, 5) << "Escape hands back nothing";
  driver.WhenModal([&](TCustomForm&) { driver.Type("we"); driver.PressKey(VK_RETURN); });
  EXPECT_TRUE(ShowListPers(id, false));
  EXPECT_EQ(id, 6) << "Enter straight after typing takes the person typed for";
}

TEST_F(ListTest, TheEventListSearchesOnlyACompleteDate) {
  AnsiString partial, complete;
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmEreiErf&>(form);
    EXPECT_EQ(f.editEigeDatum->Text(), "01.06.1980") << "the first event";
    driver.Click(f.pbSuchen);
  });
  driver.WhenModal([&](TCustomForm& form) {
    auto& l = dynamic_cast<TfrmListErei&>(form);
    driver.Type("0101199");
    driver.Advance(1000);
    partial = l.tblEige->FieldByName("EIGE_HINWEIS")->AsString();
    driver.Type("5");
    driver.Advance(300);
    complete = l.tblEige->FieldByName("EIGE_HINWEIS")->AsString();
    driver.SavePng(&l, "editors_event_list_search");
    TPoint smallest, largest;  // at its smallest the list's buttons stand side by side
    l.TrackSizeLimits(smallest, largest);
    l.SetBounds(l.Left(), l.Top(), 900, l.Height());  // its last column widened
    l.SetBounds(l.Left(), l.Top(), smallest.X, smallest.Y);
    EXPECT_LT(l.pbHilfe->Left() + l.pbHilfe->Width(), l.pbAbbruch->Left());
    const TRect row = static_cast<TCustomGrid*>(l.gridEige)->CellRect(1, l.gridEige->Row());
    driver.DoubleClick(l.gridEige, row.Left + 10, row.Top + 4);
  });
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmEreiErf&>(form);
    EXPECT_EQ(f.editEigeDatum->Text(), "01.06.2000") << "the editor moves to the pick";
    driver.Click(f.pbExit);
  });
  ShowEreiErf();
  EXPECT_EQ(partial, "Ereignis 1980") << "nine characters search nothing";
  EXPECT_EQ(complete, "Ereignis 2000") << "the first event on or after 1.1.1995";
}

}  // namespace
}  // namespace edtest
