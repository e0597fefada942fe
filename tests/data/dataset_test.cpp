// The built reference data through the program's own path: the dataset
// layer on the alias "Orvelan", as the start-up, the day pages and the
// saying window open and query the tables.
#include "platform/db/dbtables.h"
#include "tests/data/data_helpers.h"

using namespace datatest;

namespace {

class DatasetData : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    scratch_ = new TScratch("dataset");
    const TReferenceData d = LoadReferenceData(DataDir(), kFortunes);
    WriteReferenceData(d, scratch_->Path());
    try {
      Session->DeleteAlias("Orvelan");
    } catch (const Exception&) {
    }
    Session->AddStandardAlias("Orvelan", scratch_->Path() + "/DATEN");
  }
  static void TearDownTestSuite() {
    Session->DeleteAlias("Orvelan");
    delete scratch_;
  }
  static std::unique_ptr<TTable> Open(const char* table, const char* index) {
    auto t = std::make_unique<TTable>(nullptr);
    t->SetDatabaseName("Orvelan");
    t->SetTableName(table);
    t->SetIndexName(index);
    t->Open();
    return t;
  }
  static TScratch* scratch_;
};
TScratch* DatasetData::scratch_ = nullptr;

TEST_F(DatasetData, StartUpLookupTablesOpenWithTheirIndexes) {
  for (auto [table, index] : {std::pair{"ORT.FFD", "XPKORTE"}, {"NATION.FFD", "XPKNATI"}, {"BERUF.FFD", "XPKBERU"},
                              {"PERSNATI.FFD", "PN_PERS"}, {"PERSBERU.FFD", "PB_PERS"}}) {
    auto t = Open(table, index);
    EXPECT_TRUE(t->Active()) << table;
    t->First();
    EXPECT_FALSE(t->Eof()) << table;
  }
  auto nations = Open("NATION.FFD", "XPKNATI");
  ASSERT_TRUE(nations->FindKey({1}));
  EXPECT_EQ(nations->FieldByName("NATI_ABK")->AsString(), "D");
}

TEST_F(DatasetData, DayPageRangesDeliverTheDaysRecordsNewestFirst) {
  auto persons = Open("PERSON.FFD", "PE_GMTJ");
  persons->SetRange({8, 28, 1, 9999}, {8, 28, 0, 0});
  persons->First();
  int n = 0, last = 10000;
  bool goethe = false;
  for (; !persons->Eof(); persons->Next(), ++n) {
    EXPECT_EQ(persons->FieldByName("PERS_GEBM")->AsInteger(), 8);
    EXPECT_EQ(persons->FieldByName("PERS_GEBT")->AsInteger(), 28);
    const int year = persons->FieldByName("PERS_GEBJ")->AsInteger();
    if (persons->FieldByName("PERS_GNCHR")->AsInteger() == 1) {
      EXPECT_LE(year, last);
      last = year;
    }
    goethe |= persons->FieldByName("PERS_NAME")->AsString() == "Goethe, Johann Wolfgang" && year == 1749;
  }
  EXPECT_GT(n, 0);
  EXPECT_TRUE(goethe);

  auto events = Open("EREIGNIS.FFD", "ER_MTJ");
  events->SetRange({11, 9, 9999}, {11, 9, 0});
  events->First();
  bool wall = false;
  for (; !events->Eof(); events->Next()) {
    EXPECT_GT(events->FieldByName("EREI_TEXT")->AsInteger(), 0);
    wall |= events->FieldByName("EREI_JAHR")->AsInteger() == 1989;
  }
  EXPECT_TRUE(wall);
}

TEST_F(DatasetData, SayingsAndPlacesReadAsTheirWindowsShowThem) {
  auto sayings = Open("SPRUCH.FFD", "XPKSPRU");
  for (int c = 0; c < kSayingCategories; ++c) {
    ASSERT_TRUE(sayings->FindKey({c, 60})) << c;
    EXPECT_FALSE(sayings->FieldByName("SPRU_TEXT")->AsString().empty()) << c;
  }
  ASSERT_TRUE(sayings->FindKey({10, 1}));
  EXPECT_NE(sayings->FieldByName("SPRU_QUELLE")->AsString().find("Goethe"), std::string::npos);

  auto places = Open("LAGE.FFD", "XPKLAGE");
  ASSERT_TRUE(places->FindKey({"Wien"}));
  EXPECT_NEAR(places->FieldByName("BREITE")->AsFloat(), 48.21, 0.01);
  EXPECT_NEAR(places->FieldByName("LAENGE")->AsFloat(), -16.37, 0.01);
}

}  // namespace
