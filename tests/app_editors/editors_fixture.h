// Test fixture of the entry windows: a program directory with the built
// reference data, the settings loaded and the user's tables created as at
// a full start; helpers that type into the windows as a user would and
// read the user's tables back straight from the files.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/base/userdb.h"
#include "app/base/usertables.h"
#include "app/editors/ereierf.h"
#include "app/editors/listpers.h"
#include "app/editors/perserf.h"
#include "app/editors/selcerf.h"
#include "app/settings/settings.h"
#include "app/text/helpers.h"
#include "dbcontrols/grid/wwgrid.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/keyboard.h"
#include "tests/app/app_fixture.h"

namespace edtest {

// A stored row: every field's text by field name.
using Row = std::map<std::string, AnsiString>;

// The rows of a user table in the order of an index, read through a table
// opened now (so what the windows posted is what the files hold).
inline std::vector<Row> StoredRows(const char* table, const char* index) {
  auto t = apptest::OpenTable(kUserAlias, table, index);
  std::vector<Row> rows;
  for (t->First(); !t->Eof(); t->Next()) {
    Row r;
    for (int i = 0; i < t->FieldCount(); ++i) r[t->Fields(i)->FieldName()] = t->Fields(i)->AsString();
    rows.push_back(r);
  }
  return rows;
}

// The fields of an own entry that the windows write, in one line.
inline std::string Describe(const Row& r) {
  std::string s;
  for (const char* f : {"EIGE_ID", "EIGE_TYP", "EIGE_DATUM", "EIGE_ZEIT", "EIGE_VORNAME", "EIGE_NACHNAME",
                        "EIGE_GESCH", "EIGE_ORTPR", "EIGE_ORT", "EIGE_W0", "EIGE_W1", "EIGE_W1TAGE", "EIGE_W2",
                        "EIGE_W2TAGE", "EIGE_TAG", "EIGE_MONAT", "EIGE_JAHR", "EIGE_HINWEIS", "EIGE_TERMIN1",
                        "EIGE_TERMIN2", "EIGE_TEXT"})
    s += (s.empty() ? "" : "|") + r.at(f);
  return s;
}

inline std::vector<std::string> StoredEntries() {
  std::vector<std::string> out;
  for (const Row& r : StoredRows("EIGENES.FFD", "XEIGE_ID")) out.push_back(Describe(r));
  return out;
}

// (code, entry number) of every link row.
inline std::vector<std::pair<AnsiString, int>> StoredLinks() {
  std::vector<std::pair<AnsiString, int>> out;
  for (const Row& r : StoredRows("EIGESELC.FFD", "XPKEISE"))
    out.push_back({r.at("SELC_ID"), std::stoi(r.at("EIGE_ID"))});
  return out;
}

// Clicks the middle of a grid's cell.
inline void ClickCell(TUiTestDriver& driver, TwwDBGrid* g, int col, int row) {
  const TRect r = static_cast<TCustomGrid*>(g)->CellRect(col, row);
  driver.Click(g, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

class EditorTest : public apptest::ProgramDirTest {
 protected:
  void SetUp() override {
    ProgramDirTest::SetUp();
    CopyReferenceData();
    InitColorTable();
    LoadSettings();
    CreateUserDatabase();
  }

  static int Beeps() { return keyboard::BeepCount(); }

  // Clicks into an edit, selects its text and types over it.
  void Retype(TCustomEdit* edit, const AnsiString& text) {
    driver.Click(edit);
    edit->SelectAll();
    driver.Type(text);
  }

  // Clicks into an edit and deletes its whole text.
  void Clear(TCustomEdit* edit) {
    driver.Click(edit);
    edit->SelectAll();
    driver.PressKey(VK_DELETE);
  }

  // The texts of the message boxes shown so far, from the n-th on.
  std::vector<AnsiString> BoxesFrom(size_t n) const {
    std::vector<AnsiString> out;
    for (size_t i = n; i < driver.MessageBoxes().size(); ++i) out.push_back(driver.MessageBoxes()[i].Text);
    return out;
  }

  // Adds selection codes straight to their table.
  static void AddCodes(std::initializer_list<std::pair<const char*, const char*>> codes) {
    auto t = apptest::OpenTable(kUserAlias, "SELCODE.FFD", "XSELC_ID");
    for (const auto& [id, name] : codes) {
      t->Append();
      t->FieldByName("SELC_ID")->SetAsString(id);
      t->FieldByName("SELC_NAME")->SetAsString(name);
      t->Post();
    }
  }
};

}  // namespace edtest
