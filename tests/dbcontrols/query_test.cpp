// The query members of the family and answer tables: without query
// statements in this system every query dataset fails to open with the call
// level's error and keeps its settings; answer-table names are resolved
// through the alias's directory and every failure is shown.
#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/datasets/wwquery.h"
#include "platform/rtl/files.h"
#include "tests/dbcontrols/sample_fixture.h"

using namespace wwtest;

class Queries : public SampleData {};

TEST_F(Queries, QueryDatasetsFailToOpenWithTheCallLevelsError) {
  TwwQBE qbe(nullptr);
  qbe.SetDatabaseName("Orvelan");
  qbe.QBE()->Add("Query");
  qbe.QBE()->Add("LAGE.FFD | ORT | BREITE |");
  qbe.QBE()->Add("         | _ort | Check |");
  qbe.ReplaceNames()->Add("_ort");
  qbe.ReplaceTexts()->Add("Berlin");
  EXPECT_EQ(qbe.PreparedText(), "Query\r\nLAGE.FFD | ORT | BREITE |\r\n         | Berlin | Check |");
  try {
    qbe.Open();
    FAIL() << "no query statements here";
  } catch (const EDBEngineError& e) {
    EXPECT_EQ(e.ErrorCode(), bapiNotImplemented);
  }
  EXPECT_FALSE(qbe.Active());

  TwwQuery query(nullptr);
  query.SetDatabaseName("Orvelan");
  query.SQL()->Add("select * from LAGE");
  EXPECT_THROW(query.Open(), EDBEngineError);
  TwwStoredProc proc(nullptr);
  proc.SetDatabaseName("Orvelan");
  proc.SetStoredProcName("ANY");
  EXPECT_THROW(proc.Open(), EDBEngineError);

  // A table opened from a query text: its language by the first word, the
  // table name given up for the query, and the open fails.
  TwwTable table(nullptr);
  table.SetDatabaseName("Orvelan");
  table.SetTableName("LAGE.FFD");
  table.Query()->Add("  QUERY");
  table.Query()->Add("LAGE.FFD | ORT |");
  EXPECT_THROW(table.Open(), EDBEngineError);
  EXPECT_EQ(table.QueryLanguage(), "QBE");
  EXPECT_EQ(table.TableName(), "");
  EXPECT_FALSE(table.SwitchToFieldIndex("ORT"));
  table.Query()->Clear();
  table.Query()->Add("select ORT from LAGE");
  EXPECT_THROW(table.Open(), EDBEngineError);
  EXPECT_EQ(table.QueryLanguage(), "SQL");
  table.SetTableName("LAGE.FFD");
  EXPECT_EQ(table.Query()->Count(), 0) << "a table name ends the query";
  table.Open();
  EXPECT_TRUE(table.Active());

  // The family's lists and options stand on every member.
  EXPECT_NE(wwGetControlType(&qbe), nullptr);
  EXPECT_NE(wwGetPictureMasks(&query), nullptr);
  EXPECT_EQ(wwGetOnFilterOptions(&proc), wwDefaultFilterOptions);
  EXPECT_TRUE(wwIsControlsDataSet(&query));
  EXPECT_TRUE(qbe.AuxiliaryTables());
  EXPECT_TRUE(qbe.BlankAsZero());
}

TEST_F(Queries, AnswerTableNamesResolveThroughTheAliasAndFailuresAreShown) {
  AnsiString path;
  wwGetAliasPath("Orvelan", path);
  EXPECT_TRUE(fs::equivalent(fs::path(path), Root() / "DATEN")) << path;
  wwGetAliasPath("NOALIAS", path);
  EXPECT_EQ(path, "");

  auto places = Open("LAGE.FFD", "XPKLAGE");
  EXPECT_FALSE(wwSaveAnswerTable(places.get(), places->Handle(), ""));
  EXPECT_TRUE(driver.MessageBoxes().empty());

  driver.AnswerNextMessageBox(IDOK);
  EXPECT_FALSE(wwSaveAnswerTable(places.get(), places->Handle(), ":NOALIAS:ANTWORT"));
  EXPECT_EQ(driver.MessageBoxes().back().Text, "Invalid Alias in QBE");

  // This engine's tables are never temporary: the answer cannot be made
  // permanent, and the message names the file.
  driver.AnswerNextMessageBox(IDOK);
  EXPECT_FALSE(wwSaveAnswerTable(places.get(), places->Handle(), ":Orvelan:ANTWORT"));
  const AnsiString text = driver.MessageBoxes().back().Text;
  EXPECT_NE(text.find(" (" + IncludeTrailingPathDelimiter(AnsiString((Root() / "DATEN").string())) + "ANTWORT)"),
            AnsiString::npos)
      << text;

  // A path on a drive is copied, which the call level cannot do either.
  driver.AnswerNextMessageBox(IDOK);
  EXPECT_THROW(wwSaveAnswerTable(places.get(), places->Handle(), "C:\\ANTWORT"), EDBEngineError);
  EXPECT_EQ(driver.MessageBoxes().back().Text, "Unable to create answer table C:\\ANTWORT");
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

TEST_F(Queries, TableTestsOfTheSharedUtilities) {
  auto places = Open("LAGE.FFD", "XPKLAGE");
  auto unordered = Open("LAGE.FFD");
  TTable plain(nullptr);
  EXPECT_TRUE(wwTableHasIndex(places.get()));
  EXPECT_FALSE(wwTableHasIndex(unordered.get()));
  EXPECT_FALSE(wwTableHasIndex(&plain));
  EXPECT_FALSE(wwTableHasQuery(places.get()));
  TwwTable queried(nullptr);
  queried.Query()->Add("Query");
  EXPECT_TRUE(wwTableHasQuery(&queried));
  AnsiString picture = "x";
  wwGetTablePicture(places.get(), "ORT", picture);
  EXPECT_EQ(picture, "");
  wwGetTablePicture(places.get(), "NOPE", picture);
  EXPECT_EQ(picture, "");
  EXPECT_FALSE(places->IsParadoxTable());
  EXPECT_FALSE(places->ParadoxActive());
  TwwTable other(nullptr);
  other.SetTableName("kunden.db");
  EXPECT_TRUE(other.IsParadoxTable());
  other.SetTableName("KUNDEN.DBF");
  EXPECT_TRUE(other.IsDBaseTable());
  EXPECT_FALSE(other.IsParadoxTable());
}
