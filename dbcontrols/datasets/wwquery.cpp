// The query datasets and answer tables. See wwquery.h.
#include "dbcontrols/datasets/wwquery.h"

#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/datasets/wwfields.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"

namespace {

// Result codes on which opening a query-by-example statement is tried again.
constexpr TBapiResult wwRetryFirst = 10497, wwRetryLast = 10499;
constexpr int wwOpenAttempts = 5;

}  // namespace

// ---------------------------------------------------------------------------
// TwwQuery.

void TwwQuery::PublishProperties(TClassInfo& ci) {
  wwPublishFamilyProperties<TwwQuery>(ci);
  wwPublishEventProp<TwwQuery, TwwQueryFilterEvent>(
      ci, "OnFilter", [](const TwwQuery* q) { return q->OnFilter(); },
      [](TwwQuery* q, const TwwQueryFilterEvent& e) { q->SetOnFilter(e); });
}

TwwQuery::TwwQuery(TComponent* owner) : TwwFamilyDataSet<TQuery>(owner) {}

TwwQuery::~TwwQuery() {
  Destroying();
  if (Active()) Close();
}

void TwwQuery::SetOnFilter(const TwwQueryFilterEvent& v) {
  onFilter_ = v;
  InstallRecordFilter(callbackFilterHandle_);
}

void TwwQuery::OpenCursor(bool infoQuery) {
  TQuery::OpenCursor(infoQuery);
  if (infoQuery) return;
  // The entries are checked once the fields exist.
  PrepareLookupFields();
  wwSaveAnswerTable(this, Handle(), answerTableName_);
}

void TwwQuery::CloseCursor() {
  FreeLookupTables();
  TQuery::CloseCursor();
  callbackFilterHandle_ = 0;
}

// ---------------------------------------------------------------------------
// TwwQBE.

void TwwQBE::PublishProperties(TClassInfo& ci) {
  wwPublishFamilyProperties<TwwQBE>(ci);
  PublishObject<TwwQBE, TStrings>(ci, "QBE", &TwwQBE::QBE, &TwwQBE::SetQBE);
  PublishString<TwwQBE>(ci, "AnswerTable", &TwwQBE::AnswerTable, &TwwQBE::SetAnswerTable);
  PublishBool<TwwQBE>(ci, "AuxiliaryTables", &TwwQBE::AuxiliaryTables, &TwwQBE::SetAuxiliaryTables);
  PublishBool<TwwQBE>(ci, "BlankAsZero", &TwwQBE::BlankAsZero, &TwwQBE::SetBlankAsZero);
  PublishObject<TwwQBE, TComponent>(ci, "UpdateObject", &TwwQBE::UpdateObject, &TwwQBE::SetUpdateObject);
  wwPublishEventProp<TwwQBE, TwwQBEFilterEvent>(
      ci, "OnFilter", [](const TwwQBE* q) { return q->OnFilter(); },
      [](TwwQBE* q, const TwwQBEFilterEvent& e) { q->SetOnFilter(e); });
}

TwwQBE::TwwQBE(TComponent* owner)
    : TwwFamilyDataSet<TDBDataSet>(owner),
      qbe_(std::make_unique<TStringList>()),
      replaceNames_(std::make_unique<TStringList>()),
      replaceTexts_(std::make_unique<TStringList>()) {}

TwwQBE::~TwwQBE() {
  Destroying();
  if (Active()) Close();
}

void TwwQBE::SetOnFilter(const TwwQBEFilterEvent& v) {
  onFilter_ = v;
  InstallRecordFilter(callbackFilterHandle_);
}

AnsiString TwwQBE::PreparedText() const {
  TStringList lines;
  for (int i = 0; i < qbe_->Count(); ++i) {
    AnsiString line = qbe_->Get(i);
    for (int k = 0; k < replaceNames_->Count() && k < replaceTexts_->Count(); ++k) {
      const AnsiString name = replaceNames_->Get(k);
      if (name.empty()) continue;
      for (size_t at = line.find(name); at != AnsiString::npos; at = line.find(name, at)) {
        line.replace(at, name.size(), replaceTexts_->Get(k));
        at += replaceTexts_->Get(k).size();
      }
    }
    lines.Add(line);
  }
  return wwListToText(&lines, false);
}

TBapiHandle TwwQBE::CreateHandle() {
  const AnsiString text = PreparedText();
  for (int attempt = 1;; ++attempt) {
    TBapiHandle stmt = 0;
    TBapiHandle cursor = 0;
    TBapiResult rc = BapiQAlloc(DBHandle(), wwQueryLanguageQBE, stmt);
    if (rc == bapiOk) rc = BapiSetObjectProp(stmt, wwStmtAuxTables, auxiliaryTables_ ? 1 : 0);
    if (rc == bapiOk && blankAsZero_) rc = BapiSetObjectProp(stmt, wwStmtBlankAsZero, 1);
    if (rc == bapiOk) rc = BapiQPrepare(stmt, text.c_str());
    if (rc == bapiOk) {
      TwwHourGlass hourGlass;
      rc = BapiQExec(stmt, cursor);
    }
    if (stmt) BapiQFree(stmt);
    if (rc == bapiOk) return cursor;
    // Tables in use by someone else: a few more attempts.
    if (rc < wwRetryFirst || rc > wwRetryLast || attempt >= wwOpenAttempts) Check(rc);
  }
}

void TwwQBE::OpenCursor(bool infoQuery) {
  TDBDataSet::OpenCursor(infoQuery);
  if (infoQuery) return;
  PrepareLookupFields();
  wwSaveAnswerTable(this, Handle(), answerTable_);
}

void TwwQBE::CloseCursor() {
  FreeLookupTables();
  TDBDataSet::CloseCursor();
  callbackFilterHandle_ = 0;
}

// ---------------------------------------------------------------------------
// Answer tables.

void wwGetAliasPath(const AnsiString& alias, AnsiString& path) {
  path.clear();
  TBapiHandle list = 0;
  const AnsiString cfg = "\\Databases\\" + alias + "\\db info";
  if (BapiOpenCfgInfoList(0, bapiReadOnly, 0, cfg.c_str(), list) != bapiOk) return;
  TBapiCursorProps props;
  if (BapiGetCursorProps(list, props) == bapiOk) {
    std::vector<uint8_t> rec(props.RecordSize);
    std::vector<char> name(512), value(512);
    while (BapiGetNextRecord(list, bapiNoLock, rec.data(), nullptr) == bapiOk) {
      bool blank = true;
      std::fill(name.begin(), name.end(), '\0');
      std::fill(value.begin(), value.end(), '\0');
      if (BapiGetField(list, 1, rec.data(), name.data(), blank) != bapiOk) continue;
      if (LowerCase(name.data()) != "path") continue;
      if (BapiGetField(list, 2, rec.data(), value.data(), blank) == bapiOk) path = value.data();
      break;
    }
  }
  BapiCloseCursor(list);
}

void wwCopyAnswerTable(TDataSet* dataSet, TBapiHandle cursor, const AnsiString& name) {
  Check(BapiSetToBegin(cursor));
  const TBapiResult rc = BapiDeleteTable(dataSet->DBHandle(), name.c_str(), "PARADOX");
  if (rc != bapiOk && rc != bapiNoSuchTable) Check(rc);
  Check(BapiBatchMove(cursor, name.c_str(), "PARADOX", 0, 0));
}

bool wwSaveAnswerTable(TDataSet* dataSet, TBapiHandle cursor, AnsiString name) {
  if (name.empty()) return false;
  if (name.size() > 2 && name[0] == ':') {
    const size_t colon = name.find(':', 1);
    if (colon != AnsiString::npos) {
      const AnsiString alias = name.substr(1, colon - 1);
      const AnsiString table = name.substr(colon + 1);
      AnsiString dir;
      wwGetAliasPath(alias, dir);
      if (dir.empty()) {
        MessageDlg("Invalid Alias in QBE", mtError, mbOK, 0);
        return false;
      }
      const bool joined = (!dir.empty() && dir.back() == PathDelim) || (!table.empty() && table[0] == PathDelim);
      name = joined ? dir + table : dir + PathDelim + table;
    }
  }
  try {
    const bool drive = name.size() > 1 && IsCharAlpha(name[0]) && name[1] == ':';
    if (drive) {
      // No session keeps a private directory here, so a path on a drive
      // always lies outside it.
      wwCopyAnswerTable(dataSet, cursor, name);
      return true;
    }
    const TBapiResult rc = BapiMakePermanent(cursor, name.c_str(), true);
    if (rc != bapiOk) {
      char text[128] = {0};
      BapiGetErrorString(rc, text);
      MessageDlg(AnsiString(text) + " (" + name + ")", mtError, mbOK, 0);
      return false;
    }
    return BapiSaveChanges(cursor) == bapiOk;
  } catch (...) {
    MessageDlg("Unable to create answer table " + name, mtWarning, mbOK, 0);
    throw;
  }
}
