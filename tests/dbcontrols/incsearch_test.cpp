// The incremental-search edit on a table of the reference persons' names
// under a case-insensitive name index and on the place-position table the
// application searches: one search per pause in typing (after 166 ms on a
// local table), landing on the first record at or after the typed text,
// completion of the typed text, the narrowed search, and the warnings of a
// missing source. Timers run on the driver's virtual clock.
#include "dbcontrols/edit/wwincsearch.h"
#include "platform/rtl/invariants.h"
#include "platform/ui/keyboard.h"
#include "tests/dbcontrols/sample_fixture.h"

using namespace wwtest;

namespace {

// The first name at or after `text` in the folded order of the index.
AnsiString FirstAtOrAfter(const std::vector<AnsiString>& ordered, const AnsiString& text) {
  for (const AnsiString& s : ordered)
    if (!FoldedLess(s, text)) return s;
  return AnsiString();
}

}  // namespace

class IncSearch : public SampleData {
 protected:
  // The names of every reference person, in a table of its own under a
  // case-insensitive index on the name, built once for the suite.
  static void SetUpTestSuite() {
    SampleData::SetUpTestSuite();
    Build("PERSNAME", {{"PERS_ID", fftInt32, 0}, {"PERS_NAME", fftShortString, 60}}, {{"XPNAME", {1, 0}, true, true}});
    auto from = Open("PERSON.FFD");
    auto to = Open("PERSNAME", "", "WWSCRATCH");
    // Setting the suite's data up is no test of the engine: its walk after
    // commits would make this copy take seconds under the sanitizers.
    SetInvariantChecks(false);
    for (from->First(); !from->Eof(); from->Next()) {
      to->Append();
      to->FieldByName("PERS_ID")->SetAsInteger(from->FieldByName("PERS_ID")->AsInteger());
      to->FieldByName("PERS_NAME")->SetAsString(from->FieldByName("PERS_NAME")->AsString());
      to->Post();
    }
    SetInvariantChecks(true);
  }
  void SetUp() override {
    table = Open("PERSNAME", "XPNAME", "WWSCRATCH");
    names = Column(table.get(), "PERS_NAME");
    table->First();
    source = std::make_unique<TwwDataSource>(nullptr);
    source->SetDataSet(table.get());
    form = new TForm(Application);
    form->SetClientSize(260, 60);
    edit = new TwwIncrementalSearch(form);
    edit->SetName("editGoto");
    edit->SetParent(form);
    edit->SetBounds(8, 8, 240, 21);
    edit->SetDataSource(source.get());
    edit->OnAfterSearch = [this](TObject*, bool found) {
      searches.push_back(edit->Text());
      results.push_back(found);
    };
    form->Show();
    edit->SetFocus();
    driver.Process();
  }
  void TearDown() override {
    if (form) form->Free();
    source.reset();
    table.reset();
  }
  AnsiString Name() const { return table->FieldByName("PERS_NAME")->AsString(); }

  std::unique_ptr<TwwTable> table;
  std::unique_ptr<TwwDataSource> source;
  std::vector<AnsiString> names;
  TForm* form = nullptr;
  TwwIncrementalSearch* edit = nullptr;
  std::vector<AnsiString> searches;
  std::vector<bool> results;
};

TEST_F(IncSearch, TypingMovesToTheFirstNameAtOrAfterTheTextOnceThePauseIsOver) {
  ASSERT_GT(names.size(), 100u);
  for (const AnsiString& text : {CP1252("Mü").str(), CP1252("Schü").str(), CP1252("Öh").str(), CP1252("ä").str(),
                                 AnsiString("Wolf"), AnsiString("Zz"), AnsiString("B")}) {
    SCOPED_TRACE(text);
    edit->SelectAll();
    driver.Type(text);
    ASSERT_EQ(edit->Text(), text);
    ASSERT_TRUE(edit->SearchTimer()->Enabled());
    EXPECT_EQ(edit->SearchTimer()->Interval(), 166u) << "an open local table waits half the pause";
    const AnsiString before = Name();
    driver.Advance(160);
    EXPECT_EQ(Name(), before) << "no search before the pause is over";
    EXPECT_TRUE(searches.empty() || searches.back() != text);
    driver.Advance(10);
    ASSERT_FALSE(searches.empty());
    EXPECT_EQ(searches.back(), text) << "one search, for the whole text";
    const AnsiString want = FirstAtOrAfter(names, text);
    if (want.empty()) {
      EXPECT_FALSE(results.back());
      EXPECT_EQ(Name(), names.back());
    } else {
      EXPECT_EQ(Name(), want);
      EXPECT_EQ(results.back(), FoldedStartsWith(want, text));
    }
    EXPECT_FALSE(edit->SearchTimer()->Enabled());
    EXPECT_EQ(edit->LastSearchedText(), text);
  }
  EXPECT_EQ(searches.size(), 7u) << "every search reported once";
}

TEST_F(IncSearch, KeysInsideThePauseRestartItAndKeysThatChangeNothingStartNoSearch) {
  driver.Type("S");
  driver.Advance(100);
  driver.Type("c");
  driver.Advance(100);
  driver.Type("h");
  driver.Advance(100);
  EXPECT_TRUE(searches.empty()) << "each key restarted the pause";
  driver.Advance(70);
  ASSERT_EQ(searches.size(), 1u);
  EXPECT_EQ(searches[0], "Sch");
  EXPECT_EQ(Name(), FirstAtOrAfter(names, "Sch"));
  // Arrow keys and the same text again start nothing.
  driver.PressKey(VK_LEFT);
  driver.PressKey(VK_HOME);
  EXPECT_FALSE(edit->SearchTimer()->Enabled());
  driver.PressKey(VK_END);
  driver.Type("x");
  driver.PressKey(VK_BACK);  // back to "Sch", the text last searched
  driver.Advance(400);
  EXPECT_EQ(searches.size(), 1u) << "the text of the last search is not searched again";
}

TEST_F(IncSearch, ShowMatchTextCompletesTheTypedTextAndBackspaceTakesTheCompletionBack) {
  edit->SetShowMatchText(true);
  const AnsiString typed = CP1252("Mü").str();
  driver.Type(typed);
  driver.Advance(200);
  const AnsiString want = FirstAtOrAfter(names, typed);
  ASSERT_TRUE(FoldedStartsWith(want, typed)) << want;
  EXPECT_EQ(edit->Text(), want);
  EXPECT_EQ(edit->SelStart(), 2);
  EXPECT_EQ(edit->SelLength(), static_cast<int>(want.size()) - 2) << "the completed part stays selected";
  driver.PressKey(VK_BACK);
  EXPECT_EQ(edit->Text(), want.substr(0, 2));
  EXPECT_FALSE(edit->SearchTimer()->Enabled()) << "taking the completion back is no search";
  // A text no name begins with is not completed.
  edit->SelectAll();
  driver.Type("Qxq");
  driver.Advance(200);
  EXPECT_EQ(edit->Text(), "Qxq");
  EXPECT_FALSE(results.back());
}

TEST_F(IncSearch, ANarrowedSearchShowsOnlyTheMatchesUntilTheTextIsEmptiedAgain) {
  table->SetNarrowSearch(true);
  edit->SetShowMatchText(true);
  driver.Type("Br");
  driver.Advance(200);
  std::vector<AnsiString> want;
  for (const AnsiString& s : names)
    if (FoldedStartsWith(s, "Br")) want.push_back(s);
  ASSERT_FALSE(want.empty());
  EXPECT_EQ(edit->Text(), want.front());
  EXPECT_EQ(Column(table.get(), "PERS_NAME"), want);
  driver.PressKey(VK_BACK);  // the completion
  driver.PressKey(VK_BACK);
  driver.PressKey(VK_BACK);
  EXPECT_TRUE(edit->Text().empty());
  EXPECT_EQ(Column(table.get(), "PERS_NAME"), names) << "every record shows again";
  driver.Advance(400);
  EXPECT_EQ(searches.size(), 1u) << "emptying the text searched nothing";
}

TEST_F(IncSearch, TheSearchFieldChoosesTheIndexFieldAndAClosedTableIsNotSearched) {
  // The identifier is the index's second field: searching it keeps the
  // name of the current record and looks for the number among its namesakes.
  table->MoveBy(static_cast<int>(names.size() / 2));
  const AnsiString name = Name();
  edit->SetSearchField("pers_id");
  const int id = table->FieldByName("PERS_ID")->AsInteger();
  driver.Type(IntToStr(id));
  driver.Advance(200);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_TRUE(results[0]);
  EXPECT_EQ(table->FieldByName("PERS_ID")->AsInteger(), id);
  EXPECT_EQ(Name(), name);

  table->Close();
  edit->SetSearchField("");
  edit->SelectAll();
  driver.Type("K");
  EXPECT_EQ(edit->SearchTimer()->Interval(), 333u) << "a closed table keeps the whole pause";
  driver.Advance(400);
  EXPECT_EQ(results.size(), 1u) << "a closed table is not searched";
}

TEST_F(IncSearch, PlacesAreFoundByTheirKeyAsTheApplicationSearchesThem) {
  auto places = Open("LAGE.FFD", "XPKLAGE");
  const std::vector<AnsiString> all = Column(places.get(), "ORT");
  places->First();
  source->SetDataSet(places.get());
  for (const AnsiString& typed : {CP1252("Mün").str(), CP1252("nür").str(), AnsiString("Frankfurt"), CP1252("Ü").str()}) {
    SCOPED_TRACE(typed);
    edit->SelectAll();
    driver.Type(typed);
    driver.Advance(200);
    // Past the last key the table stands on its last record.
    const AnsiString want = FirstAtOrAfter(all, typed);
    EXPECT_EQ(places->FieldByName("ORT")->AsString(), want.empty() ? all.back() : want);
  }
}

TEST_F(IncSearch, TypingWithoutASourceOrDatasetWarnsAndSearchesNothing) {
  edit->SetDataSource(nullptr);
  driver.Type("a");
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.MessageBoxes()[0].Text, "DataSource not defined - object editGoto");
  EXPECT_FALSE(edit->SearchTimer()->Enabled());
  TwwDataSource empty(nullptr);
  edit->SetDataSource(&empty);
  driver.Type("b");
  ASSERT_EQ(driver.MessageBoxes().size(), 2u);
  EXPECT_EQ(driver.MessageBoxes()[1].Text, "Dataset not defined for DataSource");
  driver.Advance(400);
  EXPECT_TRUE(results.empty());
  edit->SetDataSource(nullptr);
}

TEST_F(IncSearch, Screen) {
  edit->SetShowMatchText(true);
  driver.Type("Sch");
  driver.Advance(200);
  const std::string path = driver.SavePng(form, "incremental_search");
  EXPECT_FALSE(path.empty());
}
