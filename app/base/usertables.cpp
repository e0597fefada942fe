// Field and index lists of the user's tables (fields are numbered from 0 in
// the order listed; index key fields name those numbers), and changes that
// span several of them.
#include "app/base/usertables.h"

#include <vector>

#include "dbengine/fieldtypes.h"
#include "platform/db/dbtables.h"

namespace {

struct FieldDef {
  const char* name;
  int type;
  int size;  // characters of a short string, else 0
  bool required;
};

struct IndexDef {
  const char* name;
  std::vector<int> fields;
  bool unique;
  bool ascending;
};

struct TableDef {
  const char* name;
  std::vector<FieldDef> fields;
  std::vector<IndexDef> indexes;
};

const TableDef& Definition(TUserTable table) {
  static const TableDef kLayout = {
      "LAYOUT",
      {{"LOUT_ID", fftInt32, 0, true},
       {"LOUT_TITEL", fftShortString, 60, false},
       {"LOUT_TEXT", fftBlobMemo, 0, false},
       {"LOUT_QUELLTYP", fftByte, 0, true},
       {"LOUT_AUSGTYP", fftByte, 0, true}},
      {{"XLOUT_ID", {0}, true, true}, {"XLOUT_TITEL", {1, 0}, true, true}}};
  static const TableDef kSelCode = {
      "SELCODE",
      {{"SELC_ID", fftShortString, 3, false}, {"SELC_NAME", fftShortString, 30, false}},
      {{"XSELC_ID", {0}, true, true}}};
  static const TableDef kEigeSelc = {
      "EIGESELC",
      {{"SELC_ID", fftShortString, 3, true}, {"EIGE_ID", fftInt32, 0, true}},
      {{"XPKEISE", {0, 1}, true, true}, {"XSE_SELC", {0}, false, true}, {"XSE_EIGE", {1}, false, true}}};
  static const TableDef kTermine = {
      "TERMINE",
      {{"TERM_DATUM", fftDateTime, 0, true},
       {"EIGE_ID", fftInt32, 0, true},
       {"EIGE_TAGE", fftWord16, 0, true},
       {"TERM_BILD", fftBlobOle, 0, true},
       {"TERM_LEVEL", fftBlobOle, 0, true}},
      {{"XPKTERM", {2, 0, 1}, true, true}}};
  static const TableDef kEigenes = {
      "EIGENES",
      {{"EIGE_ID", fftInt32, 0, true},
       {"EIGE_TYP", fftByte, 0, true},
       {"EIGE_DATUM", fftDateTime, 0, false},
       {"EIGE_ZEIT", fftTime, 0, false},
       {"EIGE_TEXT", fftBlobMemo, 0, false},
       {"EIGE_VORNAME", fftShortString, 30, false},
       {"EIGE_NACHNAME", fftShortString, 30, false},
       {"EIGE_GESCH", fftWord16, 0, false},
       {"EIGE_ORTPR", fftShortString, 10, false},
       {"EIGE_ORT", fftShortString, 30, false},
       {"EIGE_W0", fftBoolean, 0, false},
       {"EIGE_W1", fftBoolean, 0, false},
       {"EIGE_W1TAGE", fftByte, 0, false},
       {"EIGE_W2", fftBoolean, 0, false},
       {"EIGE_W2TAGE", fftByte, 0, false},
       {"EIGE_TAG", fftWord16, 0, false},
       {"EIGE_MONAT", fftWord16, 0, false},
       {"EIGE_JAHR", fftWord16, 0, false},
       {"EIGE_HINWEIS", fftShortString, 40, false},
       {"EIGE_TERMIN1", fftWord16, 0, false},
       {"EIGE_TERMIN2", fftWord16, 0, false}},
      {{"XEIGE_ID", {0}, true, true},
       {"XEIGE_DATUM", {1, 2, 0}, true, true},
       {"XEIGE_MTJ", {16, 15, 17}, false, false},
       {"XEIGE_NAME", {1, 6, 5, 0}, true, true},
       {"XEIGE_TERM1", {19}, false, false},
       {"XEIGE_TERM2", {20}, false, false}}};
  switch (table) {
    case utLayout: return kLayout;
    case utSelCode: return kSelCode;
    case utEigeSelc: return kEigeSelc;
    case utTermine: return kTermine;
    case utEigenes: return kEigenes;
  }
  return kLayout;
}

}  // namespace

const char* UserTableName(TUserTable table) { return Definition(table).name; }

void DescribeUserTable(TUserTable table, TffDataDictionary& dict) {
  const TableDef& def = Definition(table);
  dict.Clear();
  for (const FieldDef& f : def.fields) dict.AddField(f.name, "", f.type, f.size, 0, f.required);
  for (const IndexDef& i : def.indexes) dict.AddIndex(i.name, "", 0, i.fields, !i.unique, i.ascending, true);
}

TUserChange::TUserChange() : db_(Session->OpenDatabase(kUserAlias)) {
  try {
    db_->StartTransaction();
  } catch (...) {
    Session->CloseDatabase(db_);
    throw;
  }
}

TUserChange::~TUserChange() {
  try {
    if (db_->InTransaction()) db_->Rollback();
  } catch (const Exception&) {
    // Nothing of the change reached a file.
  }
  Session->CloseDatabase(db_);
}

void TUserChange::Commit() { db_->Commit(); }
