// Navigation of a dataset: BOF/EOF rules, MoveBy distances, the buffer
// window that data links see, ActiveRecord switching, bookmarks and the
// nesting of DisableControls.
#include "tests/db/db_fixture.h"

using namespace dbtest;

TEST_F(DbTest, BofEofAndMoveByDistances) {
  auto t = Table();
  t->Open();
  EXPECT_TRUE(t->Bof());
  EXPECT_TRUE(t->Eof());
  EXPECT_TRUE(t->IsEmpty());
  EXPECT_EQ(t->MoveBy(5), 0);
  t->Close();

  AddNumbered(10);
  t->Open();
  EXPECT_TRUE(t->Bof());
  EXPECT_FALSE(t->Eof());
  EXPECT_FALSE(t->IsEmpty());
  EXPECT_EQ(Id(t.get()), 1);
  EXPECT_EQ(t->MoveBy(3), 3);
  EXPECT_FALSE(t->Bof());
  EXPECT_EQ(Id(t.get()), 4);
  // Standing on the last record is not yet EOF; the move that fails is.
  EXPECT_EQ(t->MoveBy(6), 6);
  EXPECT_EQ(Id(t.get()), 10);
  EXPECT_FALSE(t->Eof());
  t->Next();
  EXPECT_TRUE(t->Eof());
  EXPECT_EQ(Id(t.get()), 10);
  EXPECT_EQ(t->MoveBy(1), 0);
  EXPECT_EQ(t->MoveBy(-100), -9);
  EXPECT_TRUE(t->Bof());
  EXPECT_EQ(Id(t.get()), 1);
  t->Last();
  EXPECT_TRUE(t->Eof());
  EXPECT_EQ(Id(t.get()), 10);
  t->Prior();
  EXPECT_FALSE(t->Eof());
  EXPECT_EQ(Id(t.get()), 9);
  EXPECT_EQ(t->MoveBy(4), 1);
  EXPECT_TRUE(t->Eof());
  EXPECT_EQ(t->RecordCount(), 10);
  t->First();
  int n = 0;
  while (!t->Eof()) {
    ++n;
    t->Next();
  }
  EXPECT_EQ(n, 10);
}

TEST_F(DbTest, ScrollDistancesOfALinkWindow) {
  AddNumbered(30);
  auto t = Table();
  TDataSource ds(nullptr);
  ds.SetDataSet(t.get());
  RecordingLink link;
  link.SetBufferCount(10);
  link.SetDataSource(&ds);
  t->Open();
  EXPECT_TRUE(link.Active());
  EXPECT_EQ(t->BufferCount(), 10);
  EXPECT_EQ(link.RecordCount(), 10);
  EXPECT_EQ(link.ActiveRecord(), 0);
  // Inside the window the rows do not move.
  for (int i = 1; i <= 9; ++i) {
    t->Next();
    EXPECT_EQ(link.ActiveRecord(), i);
  }
  EXPECT_EQ(link.scrolls, std::vector<int>(9, 0));
  link.scrolls.clear();
  // Beyond it the window follows by exactly the rows moved.
  t->Next();
  EXPECT_EQ(Id(t.get()), 11);
  EXPECT_EQ(link.ActiveRecord(), 9);
  t->MoveBy(5);
  EXPECT_EQ(Id(t.get()), 16);
  t->MoveBy(-3);
  EXPECT_EQ(link.ActiveRecord(), 6);
  t->MoveBy(-6);
  EXPECT_EQ(link.ActiveRecord(), 0);
  EXPECT_EQ(Id(t.get()), 7);
  t->Prior();
  t->MoveBy(-4);
  EXPECT_EQ(Id(t.get()), 2);
  EXPECT_EQ(link.scrolls, (std::vector<int>{1, 5, 0, 0, -1, -4}));
  // The rows of the window are the records around the active one.
  EXPECT_EQ(link.RecordCount(), 10);
  t->Last();
  EXPECT_EQ(link.ActiveRecord(), 9);
  EXPECT_EQ(Id(t.get()), 30);
  // A second link with a smaller window keeps its own rows.
  RecordingLink small;
  small.SetBufferCount(3);
  small.SetDataSource(&ds);
  EXPECT_EQ(small.ActiveRecord(), 2);
  t->Prior();
  EXPECT_EQ(small.ActiveRecord(), 1);
  EXPECT_EQ(link.ActiveRecord(), 8);
  link.SetDataSource(nullptr);
  small.SetDataSource(nullptr);
}

TEST_F(DbTest, ActiveRecordSwitchReadsOtherRowsWithoutMoving) {
  AddNumbered(15);
  auto t = Table();
  TDataSource ds(nullptr);
  ds.SetDataSet(t.get());
  RecordingLink link;
  link.SetBufferCount(10);
  link.SetDataSource(&ds);
  t->Open();
  t->MoveBy(12);  // record 13 at the bottom row
  ASSERT_EQ(link.ActiveRecord(), 9);
  std::vector<int> ids;
  int saved = link.ActiveRecord();
  for (int row = 0; row < link.RecordCount(); ++row) {
    link.SetActiveRecord(row);
    ids.push_back(Id(t.get()));
  }
  link.SetActiveRecord(saved);
  EXPECT_EQ(ids, (std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
  EXPECT_EQ(Id(t.get()), 13);
  t->Next();
  EXPECT_EQ(Id(t.get()), 14);
  // The cursor follows the active row when an operation needs it.
  link.SetActiveRecord(3);
  int atRow3 = Id(t.get());
  t->Edit();
  t->FieldByName("NAME")->SetAsString("Geaendert");
  t->Post();
  EXPECT_EQ(Id(t.get()), atRow3);
  EXPECT_EQ(t->FindKey({atRow3}), true);
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Geaendert");
  link.SetDataSource(nullptr);
}

TEST_F(DbTest, BookmarksReturnAndCompare) {
  AddNumbered(8);
  auto t = Table();
  t->Open();
  t->MoveBy(2);
  TBookmark a = t->GetBookmark();
  t->MoveBy(3);
  TBookmark b = t->GetBookmark();
  EXPECT_EQ(t->CompareBookmarks(a, b), -1);
  EXPECT_EQ(t->CompareBookmarks(b, a), 1);
  EXPECT_EQ(t->CompareBookmarks(a, a), 0);
  EXPECT_TRUE(t->BookmarkValid(a));
  EXPECT_EQ(Id(t.get()), 6);  // checking validity does not move
  t->GotoBookmark(a);
  EXPECT_EQ(Id(t.get()), 3);
  t->GotoBookmark(b);
  t->Delete();
  EXPECT_FALSE(t->BookmarkValid(b));
  EXPECT_THROW(t->GotoBookmark(b), EDatabaseError);
  EXPECT_EQ(Id(t.get()), 7);
  t->FreeBookmark(a);
  t->FreeBookmark(b);
}

TEST_F(DbTest, DisabledControlsHearOneChangeAtTheEnd) {
  AddNumbered(5);
  auto t = Table();
  TDataSource ds(nullptr);
  ds.SetDataSet(t.get());
  int dataChanges = 0;
  ds.OnDataChange = [&](TObject*, TField*) { ++dataChanges; };
  RecordingLink link;
  link.SetDataSource(&ds);
  t->Open();
  link.scrolls.clear();
  link.changed = 0;
  dataChanges = 0;
  t->DisableControls();
  t->DisableControls();
  t->Next();
  t->Last();
  t->EnableControls();
  EXPECT_EQ(link.changed + static_cast<int>(link.scrolls.size()), 0);
  t->Edit();
  t->EnableControls();
  EXPECT_EQ(link.changed, 1);
  EXPECT_EQ(link.editing, 1) << "the state change reaches the link once";
  EXPECT_TRUE(link.scrolls.empty());
  EXPECT_EQ(dataChanges, 1);
  t->Cancel();
  link.SetDataSource(nullptr);
}

TEST_F(DbTest, WindowGrowsAndShrinksAroundTheActiveRecord) {
  AddNumbered(30);
  auto t = Table();
  TDataSource ds(nullptr);
  ds.SetDataSet(t.get());
  RecordingLink link;
  link.SetDataSource(&ds);
  t->Open();
  t->MoveBy(19);
  ASSERT_EQ(Id(t.get()), 20);
  // Growing reads the records that follow the active one.
  link.SetBufferCount(10);
  EXPECT_EQ(t->BufferCount(), 10);
  EXPECT_EQ(link.RecordCount(), 10);
  EXPECT_EQ(link.ActiveRecord(), 0);
  EXPECT_EQ(Id(t.get()), 20);
  link.SetActiveRecord(9);
  EXPECT_EQ(Id(t.get()), 29);
  link.SetActiveRecord(0);
  // Near the end the records before it fill the window.
  t->Last();
  link.SetBufferCount(1);
  link.SetBufferCount(12);
  EXPECT_EQ(link.ActiveRecord(), 11);
  EXPECT_EQ(Id(t.get()), 30);
  link.SetActiveRecord(0);
  EXPECT_EQ(Id(t.get()), 19);
  link.SetActiveRecord(11);
  // Shrinking keeps the active record inside the window.
  link.SetBufferCount(4);
  EXPECT_EQ(link.ActiveRecord(), 3);
  EXPECT_EQ(Id(t.get()), 30);
  link.SetActiveRecord(0);
  EXPECT_EQ(Id(t.get()), 27);
  link.SetActiveRecord(3);
  t->Prior();
  EXPECT_EQ(link.ActiveRecord(), 2);
  EXPECT_EQ(Id(t.get()), 29);
  // A table smaller than the window: every record, the rows after empty.
  t->Close();
  link.SetBufferCount(50);
  t->Open();
  EXPECT_EQ(link.RecordCount(), 30);
  link.SetDataSource(nullptr);
}

TEST_F(DbTest, RefreshShowsChangesMadeThroughAnotherCursor) {
  AddNumbered(3);
  auto t = Table();
  TDataSource ds(nullptr);
  ds.SetDataSet(t.get());
  std::vector<TDataSetState> states;
  ds.OnStateChange = [&](TObject*) { states.push_back(ds.State()); };
  t->Open();
  t->Next();
  auto other = Table();
  other->Open();
  other->Next();
  other->Edit();
  other->FieldByName("NAME")->SetAsString("Anders");
  other->Post();
  other->First();
  other->Delete();
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "P2") << "the buffer still holds the old values";
  t->Refresh();
  EXPECT_EQ(Id(t.get()), 2);
  EXPECT_EQ(t->FieldByName("NAME")->AsString(), "Anders");
  t->Prior();
  EXPECT_TRUE(t->Bof());
  EXPECT_EQ(Id(t.get()), 2) << "record 1 is gone";
  t->Edit();
  t->Cancel();
  t->Close();
  EXPECT_EQ(states, (std::vector<TDataSetState>{dsBrowse, dsEdit, dsBrowse, dsInactive}));
}
