// The query members of the dataset family: TwwQuery (a TQuery) and TwwQBE
// (a query-by-example text run through the call level), with the same
// per-field setting lists and filter events as TwwTable, and the saving of
// a query's answer as a table. The call level of this system runs no query
// statements, so neither can open: opening raises the call level's error.
#pragma once

#include "dbcontrols/datasets/wwtable.h"

class TwwQuery;
class TwwQBE;

using TwwQueryFilterEvent = std::function<void(TwwQuery* query, bool& accept)>;
using TwwQBEFilterEvent = std::function<void(TwwQBE* qbe, bool& accept)>;

class TwwQuery : public TwwFamilyDataSet<TQuery> {
  ORV_CLASS_PUBLISHED(TwwQuery, TQuery)
  explicit TwwQuery(TComponent* owner);
  ~TwwQuery() override;
  const TwwQueryFilterEvent& OnFilter() const { return onFilter_; }
  // On an open query installs the per-record filter; warns when the query
  // cannot take one.
  void SetOnFilter(const TwwQueryFilterEvent& v);
  TBapiHandle CallbackFilterHandle() const { return callbackFilterHandle_; }
  // Empty unless set by code: the table the answer is saved as.
  const AnsiString& AnswerTableName() const { return answerTableName_; }
  void SetAnswerTableName(const AnsiString& v) { answerTableName_ = v; }

  void OpenCursor(bool infoQuery) override;
  void CloseCursor() override;

 protected:
  bool FilterAssigned() const override { return static_cast<bool>(onFilter_); }
  void CallFilter(bool& accept) override { onFilter_(this, accept); }

 private:
  TwwQueryFilterEvent onFilter_;
  TBapiHandle callbackFilterHandle_ = 0;
  AnsiString answerTableName_;
};

class TwwQBE : public TwwFamilyDataSet<TDBDataSet> {
  ORV_CLASS_PUBLISHED(TwwQBE, TDBDataSet)
  explicit TwwQBE(TComponent* owner);
  ~TwwQBE() override;
  TStrings* QBE() const { return qbe_.get(); }
  void SetQBE(TStrings* v) { qbe_->Assign(v); }
  const AnsiString& AnswerTable() const { return answerTable_; }
  void SetAnswerTable(const AnsiString& v) { answerTable_ = v; }
  bool AuxiliaryTables() const { return auxiliaryTables_; }
  void SetAuxiliaryTables(bool v) { auxiliaryTables_ = v; }
  bool BlankAsZero() const { return blankAsZero_; }
  void SetBlankAsZero(bool v) { blankAsZero_ = v; }
  TComponent* UpdateObject() const { return updateObject_; }
  void SetUpdateObject(TComponent* v) { updateObject_ = v; }
  const TwwQBEFilterEvent& OnFilter() const { return onFilter_; }
  void SetOnFilter(const TwwQBEFilterEvent& v);
  TBapiHandle CallbackFilterHandle() const { return callbackFilterHandle_; }
  // Names in the text replaced before it runs (filled by code only).
  TStrings* ReplaceNames() const { return replaceNames_.get(); }
  TStrings* ReplaceTexts() const { return replaceTexts_.get(); }
  // The text as it is handed to the call level.
  AnsiString PreparedText() const;

  TBapiHandle CreateHandle() override;
  void OpenCursor(bool infoQuery) override;
  void CloseCursor() override;

 protected:
  bool FilterAssigned() const override { return static_cast<bool>(onFilter_); }
  void CallFilter(bool& accept) override { onFilter_(this, accept); }

 private:
  std::unique_ptr<TStringList> qbe_, replaceNames_, replaceTexts_;
  AnsiString answerTable_;
  bool auxiliaryTables_ = true;
  bool blankAsZero_ = true;
  TComponent* updateObject_ = nullptr;
  TwwQBEFilterEvent onFilter_;
  TBapiHandle callbackFilterHandle_ = 0;
};

// Statement properties of a query-by-example statement.
constexpr uint32_t wwStmtAuxTables = 0x60026;
constexpr uint32_t wwStmtBlankAsZero = 0x60023;

// Saves the answer of `cursor` as the table `name` (":alias:table", a path,
// or a name in the private directory); False for an empty name, an alias
// without directory, or a failure the user was shown.
bool wwSaveAnswerTable(TDataSet* dataSet, TBapiHandle cursor, AnsiString name);
// The directory of an alias; empty when the alias is unknown.
void wwGetAliasPath(const AnsiString& alias, AnsiString& path);
// Copies the cursor's records into a new table `name` (an old one of that
// name is deleted first).
void wwCopyAnswerTable(TDataSet* dataSet, TBapiHandle cursor, const AnsiString& name);
