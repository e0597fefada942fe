// The dataset layer: datasets, fields, data sources and data links.
//
// A dataset reaches its table only through the call-level interface
// (dbclient/bapi.h): Handle is a call-level cursor, and every record buffer
// holds a record in the engine's own format (RecordSize bytes) beside the
// values of its calculated fields and the bookmark of the record it holds.
//
// The buffer window: a dataset keeps BufferCount record buffers, as many as
// the largest BufferCount of its data links, and one spare. Buffers
// 0..RecordCount-1 hold consecutive records of the cursor in cursor order;
// ActiveRecord indexes the current one. CurrentRecord names the buffer
// whose record the call-level cursor stands on, -1 when the cursor has moved
// elsewhere (UpdateCursorPos puts it back on the active record). Each data
// link sees a window of its own BufferCount buffers starting at its
// FirstRecord; every scroll shifts that window so that the active record
// stays inside it, and DataSetScrolled receives the exact number of rows the
// link's window moved.
//
// BOF and EOF follow the library's rules: an empty dataset is both; First
// sets BOF, Last sets EOF; otherwise EOF becomes true only after a move that
// could not go on; a read-only dataset whose first record lies in a damaged
// block opens as both, before that record. A Before event that raises
// aborts its operation and leaves the state as it was. While controls are
// disabled (nested) no notification reaches the data sources; enabling them
// sends one data-set-changed notification.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "dbclient/bapi.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/components.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

class TDataSet;
class TDataSource;
class TDataLink;
class TField;
class TBlobField;

ORV_DECLARE_EXCEPTION(EDatabaseError, Exception)

// An error answered by the call level: its result code and message text.
class EDBEngineError : public EDatabaseError {
public:
  EDBEngineError(TBapiResult code, AnsiString message, int systemError = 0, bool writing = false)
      : EDatabaseError(std::move(message)), errorCode_(code), systemError_(systemError), writing_(writing) {}
  const char* ClassName() const override { return "EDBEngineError"; }
  TBapiResult ErrorCode() const { return errorCode_; }
  // The errno behind it (BapiLastSystemError), or 0.
  int SystemError() const { return systemError_; }
  // True when a file could not be written (the message says which).
  bool Writing() const { return writing_; }

private:
  TBapiResult errorCode_;
  int systemError_;
  bool writing_;
};

// What was being done with a table's file when the engine answered.
enum TEngineAccess { eaRead, eaOpen, eaWrite };
// What an engine result means for the file it concerns and what the user
// can do about it, in German: sentences whose subject is the file ("Sie ist
// beschädigt. Stellen Sie sie ..."). Every engine result the user meets is
// worded here.
// A disk error with the system's cause (`systemError`, an errno) says that
// cause (SysErrorMessage); `access` words the disk's own error for a write.
AnsiString EngineProblemText(TBapiResult code, int systemError = 0, TEngineAccess access = eaRead);
// The file named ("Die Datei "<file>" kann nicht gelesen werden:", opened,
// written to; "Eine Datei der Datenbank ..." when no file is known), a line
// break and EngineProblemText. A write the engine could not make (also one
// that an open needed, a recovery's) is told as a write of the file the
// engine names (BapiLastWrittenFile) by Check and TDataSet::Check.
AnsiString EngineErrorMessage(TBapiResult code, const AnsiString& file, TEngineAccess access,
                              int systemError = 0);
// Raises EDBEngineError for a non-zero call-level result that concerns no
// dataset's file (datasets raise through their own Check, naming it).
void Check(TBapiResult result);
[[noreturn]] void DatabaseError(const AnsiString& message);

// ---------------------------------------------------------------------------
// A field value or key value of any kind ("open array of values").

class Variant {
public:
  enum TVarType { varNull, varBoolean, varInteger, varDouble, varString, varDate };
  Variant() = default;
  Variant(bool v) : value_(v) {}
  Variant(int v) : value_(static_cast<int64_t>(v)) {}
  Variant(long v) : value_(static_cast<int64_t>(v)) {}
  Variant(long long v) : value_(static_cast<int64_t>(v)) {}
  Variant(unsigned v) : value_(static_cast<int64_t>(v)) {}
  Variant(unsigned long v) : value_(static_cast<int64_t>(v)) {}
  Variant(double v) : value_(v) {}
  Variant(const char* v) : value_(AnsiString(v ? v : "")) {}
  Variant(const AnsiString& v) : value_(v) {}
  Variant(std::string_view v) : value_(AnsiString(v)) {}
  static Variant FromDateTime(TDateTime v);

  TVarType VarType() const;
  bool IsNull() const { return value_.index() == 0; }
  // Conversions; a text that is no number raises EConvertError; Null gives
  // 0, False or the empty text.
  AnsiString AsString() const;  // Boolean "True"/"False", floats as FloatToStr
  int64_t AsInteger() const;
  double AsFloat() const;
  bool AsBoolean() const;
  TDateTime AsDateTime() const;
  bool operator==(const Variant& o) const;

private:
  struct DateBox {
    TDateTime v;
    bool operator==(const DateBox& o) const { return v == o.v; }
  };
  std::variant<std::monostate, bool, int64_t, double, AnsiString, DateBox> value_;
};

// ---------------------------------------------------------------------------
// Enumerations.

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter };
enum TDataEvent {
  deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
  deUpdateRecord, deUpdateState, deCheckBrowseMode, deFocusControl
};
enum TFieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
  ftDate, ftTime, ftDateTime, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle
};
enum TFieldKind { fkData, fkCalculated, fkLookup };
enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TDataAction { daFail, daAbort, daRetry };
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };
// Resync modes, or'ed.
constexpr unsigned rmExact = 1;
constexpr unsigned rmCenter = 2;
// Index options, or'ed.
constexpr unsigned ixPrimary = 1;
constexpr unsigned ixUnique = 2;
constexpr unsigned ixDescending = 4;
constexpr unsigned ixCaseInsensitive = 8;

// A bookmark: BookmarkSize bytes from GetBookmark, freed with FreeBookmark.
using TBookmark = uint8_t*;

using TDataSetNotifyEvent = std::function<void(TDataSet*)>;
using TDataSetErrorEvent = std::function<void(TDataSet*, EDatabaseError&, TDataAction&)>;
using TFieldNotifyEvent = std::function<void(TField*)>;
using TFieldGetTextEvent = std::function<void(TField*, AnsiString& text, bool displayText)>;
using TFieldSetTextEvent = std::function<void(TField*, const AnsiString& text)>;
using TDataChangeEvent = std::function<void(TObject* sender, TField* field)>;

// ---------------------------------------------------------------------------
// Field and index definitions, as the cursor describes them.

struct TFieldDef {
  AnsiString Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;       // characters of a string field, else 0
  int Precision = 0;  // decimals
  bool Required = false;
  int FieldNo = 0;    // from 1
  int EngineType = 0;
  uint16_t BapiType = 0;  // TBapiFieldType
};

class TFieldDefs {
public:
  explicit TFieldDefs(TDataSet* owner) : owner_(owner) {}
  int Count() const { return static_cast<int>(items_.size()); }
  const TFieldDef& Items(int i) const;
  // -1 when missing; letter case ignored.
  int IndexOf(std::string_view name) const;
  const TFieldDef* Find(std::string_view name) const;
  void Clear() { items_.clear(); }
  void Add(TFieldDef d) { items_.push_back(std::move(d)); }
  // Reads the definitions from the dataset's cursor (opened for the time
  // of the reading when the dataset is closed).
  void Update();

private:
  TDataSet* owner_;
  std::vector<TFieldDef> items_;
};

struct TIndexDef {
  AnsiString Name;
  AnsiString Fields;  // field names joined by ";"
  unsigned Options = 0;
};

class TIndexDefs {
public:
  explicit TIndexDefs(TDataSet* owner) : owner_(owner) {}
  int Count() const { return static_cast<int>(items_.size()); }
  const TIndexDef& Items(int i) const;
  int IndexOf(std::string_view name) const;  // letter case ignored
  // The first index whose fields are `fields` (";"-separated, letter case
  // ignored), or null.
  const TIndexDef* FindIndexForFields(std::string_view fields) const;
  void Clear() { items_.clear(); }
  void Add(TIndexDef d) { items_.push_back(std::move(d)); }
  void Update();

private:
  TDataSet* owner_;
  std::vector<TIndexDef> items_;
};

// ---------------------------------------------------------------------------
// One record buffer of the window.

struct TRecordBuffer {
  std::vector<uint8_t> Data;       // the engine's record
  std::vector<Variant> Calc;       // calculated and lookup field values
  std::vector<uint8_t> Bookmark;   // of the record held
  TBookmarkFlag Flag = bfCurrent;
};

// ---------------------------------------------------------------------------
// Fields.

class TField : public TComponent {
  ORV_CLASS_PUBLISHED(TField, TComponent)
  explicit TField(TComponent* owner);
  ~TField() override;

  TDataSet* DataSet() const { return dataSet_; }
  // Joins the field to a dataset's field list (a persistent field); raises
  // when the dataset is open.
  void SetDataSet(TDataSet* ds);

  const AnsiString& FieldName() const { return fieldName_; }
  void SetFieldName(const AnsiString& v);
  int FieldNo() const { return fieldNo_; }  // from 1; 0 for calculated fields
  TFieldType DataType() const { return dataType_; }
  int Size() const { return size_; }
  void SetSize(int v);
  TFieldKind FieldKind() const { return fieldKind_; }
  void SetFieldKind(TFieldKind k);
  bool Calculated() const { return fieldKind_ == fkCalculated; }
  void SetCalculated(bool v) { SetFieldKind(v ? fkCalculated : fkData); }
  bool Lookup() const { return fieldKind_ == fkLookup; }
  void SetLookup(bool v) { SetFieldKind(v ? fkLookup : fkData); }

  // Position in the dataset's field list; writable.
  int Index() const;
  void SetIndex(int v);

  AnsiString DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
  void SetDisplayLabel(const AnsiString& v);
  AnsiString DisplayName() const { return DisplayLabel(); }
  int DisplayWidth() const;
  void SetDisplayWidth(int v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  bool Required() const { return required_; }
  void SetRequired(bool v) { required_ = v; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  const AnsiString& EditMask() const { return editMask_; }
  void SetEditMask(const AnsiString& v) { editMask_ = v; }
  bool Transliterate() const { return transliterate_; }  // no effect on this engine
  void SetTransliterate(bool v) { transliterate_ = v; }
  bool CanModify() const;
  bool IsIndexField() const;

  // Lookup definition.
  const AnsiString& KeyFields() const { return keyFields_; }
  void SetKeyFields(const AnsiString& v) { keyFields_ = v; }
  TDataSet* LookupDataSet() const { return lookupDataSet_; }
  void SetLookupDataSet(TDataSet* v);
  const AnsiString& LookupKeyFields() const { return lookupKeyFields_; }
  void SetLookupKeyFields(const AnsiString& v) { lookupKeyFields_ = v; }
  const AnsiString& LookupResultField() const { return lookupResultField_; }
  void SetLookupResultField(const AnsiString& v) { lookupResultField_ = v; }

  // Values. Reading a field of an empty or closed dataset gives Null.
  bool IsNull() const;
  void Clear();
  Variant Value() const;
  void SetValue(const Variant& v);
  Variant AsVariant() const { return Value(); }
  void SetAsVariant(const Variant& v) { SetValue(v); }
  virtual AnsiString AsString() const;
  virtual void SetAsString(const AnsiString& v);
  virtual int AsInteger() const;
  virtual void SetAsInteger(int v);
  virtual double AsFloat() const;
  virtual void SetAsFloat(double v);
  virtual bool AsBoolean() const;
  virtual void SetAsBoolean(bool v);
  virtual TDateTime AsDateTime() const;
  virtual void SetAsDateTime(TDateTime v);
  // Copies the value (or Null) of another field.
  void AssignField(const TField* source);

  // Text for editing and for display; OnGetText/OnSetText take over when
  // assigned. SetText raises EConvertError on text the type refuses.
  AnsiString Text() const { return GetTextFor(false); }
  void SetText(const AnsiString& v);
  AnsiString DisplayText() const { return GetTextFor(true); }
  virtual bool IsValidChar(char c) const;
  // Asks the controls linked to this field to take the focus.
  void FocusControl();

  TFieldNotifyEvent OnChange;
  TFieldNotifyEvent OnValidate;
  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;

  // Binding (used by the dataset).
  void Bind(const TFieldDef* def);
  int CalcSlot() const { return calcSlot_; }
  void SetCalcSlot(int s) { calcSlot_ = s; }
  uint16_t BapiType() const { return bapiType_; }
  int EngineType() const { return engineType_; }
  bool DefaultField() const { return defaultField_; }
  void SetDefaultField(bool v) { defaultField_ = v; }
  void DetachDataSet() { dataSet_ = nullptr; }
  // The lookup value for the calculated record (dataset in calc state).
  void CalcLookupValue();

protected:
  void SetDataType(TFieldType t) { dataType_ = t; }
  // The text of the current value; display or edit form.
  virtual AnsiString GetText(bool displayText) const;
  virtual int DefaultDisplayWidth() const { return 10; }
  // Native reading and writing: Null for a blank field.
  Variant GetNative() const;
  void SetNative(const Variant& v);
  [[noreturn]] void RaiseAccessError(const char* typeName) const;

private:
  AnsiString GetTextFor(bool displayText) const;

  TDataSet* dataSet_ = nullptr;
  AnsiString fieldName_, displayLabel_, editMask_;
  AnsiString keyFields_, lookupKeyFields_, lookupResultField_;
  TDataSet* lookupDataSet_ = nullptr;
  TFieldType dataType_ = ftUnknown;
  TFieldKind fieldKind_ = fkData;
  TAlignment alignment_ = taLeftJustify;
  int fieldNo_ = 0;
  int size_ = 0;
  int displayWidth_ = 0;  // 0: the type's default
  int calcSlot_ = -1;
  int engineType_ = 0;
  uint16_t bapiType_ = 0;
  bool visible_ = true;
  bool readOnly_ = false;
  bool required_ = false;
  bool transliterate_ = true;
  bool defaultField_ = false;
};

class TStringField : public TField {
  ORV_CLASS(TStringField, TField)
  explicit TStringField(TComponent* owner);
  AnsiString AsString() const override;
  void SetAsString(const AnsiString& v) override;  // cut to Size
  int AsInteger() const override;
  void SetAsInteger(int v) override { SetAsString(IntToStrHelper(v)); }
  double AsFloat() const override;
  bool AsBoolean() const override;
  TDateTime AsDateTime() const override;

protected:
  int DefaultDisplayWidth() const override { return Size() > 0 ? Size() : 20; }

private:
  static AnsiString IntToStrHelper(int v);
};

// Common base of the integer fields: range-checked values.
class TIntegerField : public TField {
  ORV_CLASS(TIntegerField, TField)
  explicit TIntegerField(TComponent* owner);
  AnsiString AsString() const override;
  void SetAsString(const AnsiString& v) override;
  int AsInteger() const override;
  void SetAsInteger(int v) override;
  double AsFloat() const override { return AsInteger(); }
  void SetAsFloat(double v) override;
  bool IsValidChar(char c) const override;
  int64_t MinValue() const { return minValue_; }
  int64_t MaxValue() const { return maxValue_; }
  void SetRange(int64_t lo, int64_t hi) { minValue_ = lo; maxValue_ = hi; }
  const AnsiString& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const AnsiString& v) { displayFormat_ = v; }

protected:
  AnsiString GetText(bool displayText) const override;
  int DefaultDisplayWidth() const override { return 11; }

private:
  int64_t minValue_ = INT32_MIN, maxValue_ = INT32_MAX;
  AnsiString displayFormat_;
};

class TSmallintField : public TIntegerField {
  ORV_CLASS(TSmallintField, TIntegerField)
  explicit TSmallintField(TComponent* owner);

protected:
  int DefaultDisplayWidth() const override { return 6; }
};

class TWordField : public TIntegerField {
  ORV_CLASS(TWordField, TIntegerField)
  explicit TWordField(TComponent* owner);

protected:
  int DefaultDisplayWidth() const override { return 5; }
};

class TAutoIncField : public TIntegerField {
  ORV_CLASS(TAutoIncField, TIntegerField)
  explicit TAutoIncField(TComponent* owner);
};

class TBooleanField : public TField {
  ORV_CLASS(TBooleanField, TField)
  explicit TBooleanField(TComponent* owner);
  AnsiString AsString() const override;
  // Accepts the display values ("True"/"False" by default, letter case
  // ignored, a leading part suffices) and empty text for Null.
  void SetAsString(const AnsiString& v) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool v) override;
  int AsInteger() const override { return AsBoolean() ? 1 : 0; }
  void SetAsInteger(int v) override { SetAsBoolean(v != 0); }
  // "True;False" by default.
  const AnsiString& DisplayValues() const { return displayValues_; }
  void SetDisplayValues(const AnsiString& v) { displayValues_ = v; }

protected:
  int DefaultDisplayWidth() const override { return 5; }

private:
  AnsiString TrueText() const;
  AnsiString FalseText() const;
  AnsiString displayValues_ = "True;False";
};

class TFloatField : public TField {
  ORV_CLASS(TFloatField, TField)
  explicit TFloatField(TComponent* owner);
  AnsiString AsString() const override;
  void SetAsString(const AnsiString& v) override;
  double AsFloat() const override;
  void SetAsFloat(double v) override;
  int AsInteger() const override;
  void SetAsInteger(int v) override { SetAsFloat(v); }
  bool IsValidChar(char c) const override;
  const AnsiString& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const AnsiString& v) { displayFormat_ = v; }
  const AnsiString& EditFormat() const { return editFormat_; }
  void SetEditFormat(const AnsiString& v) { editFormat_ = v; }
  bool Currency() const { return currency_; }
  void SetCurrency(bool v) { currency_ = v; }

protected:
  AnsiString GetText(bool displayText) const override;
  int DefaultDisplayWidth() const override { return 10; }

private:
  AnsiString displayFormat_, editFormat_;
  bool currency_ = false;
};

class TCurrencyField : public TFloatField {
  ORV_CLASS(TCurrencyField, TFloatField)
  explicit TCurrencyField(TComponent* owner);
};

// Binary-coded decimals; kept as floating point here (the engine has no
// BCD type).
class TBCDField : public TFloatField {
  ORV_CLASS(TBCDField, TFloatField)
  explicit TBCDField(TComponent* owner);
};

class TDateTimeField : public TField {
  ORV_CLASS(TDateTimeField, TField)
  explicit TDateTimeField(TComponent* owner);
  AnsiString AsString() const override;
  void SetAsString(const AnsiString& v) override;
  TDateTime AsDateTime() const override;
  void SetAsDateTime(TDateTime v) override;
  double AsFloat() const override { return AsDateTime(); }
  void SetAsFloat(double v) override { SetAsDateTime(v); }
  const AnsiString& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const AnsiString& v) { displayFormat_ = v; }

protected:
  AnsiString GetText(bool displayText) const override;
  int DefaultDisplayWidth() const override { return 18; }
  // The text of a value in this field's kind (date, time or both).
  virtual AnsiString FormatValue(TDateTime v) const { return DateTimeToStr(v); }
  virtual TDateTime ParseText(const AnsiString& s) const;

private:
  AnsiString displayFormat_;
};

class TDateField : public TDateTimeField {
  ORV_CLASS(TDateField, TDateTimeField)
  explicit TDateField(TComponent* owner);

protected:
  int DefaultDisplayWidth() const override { return 10; }
  AnsiString FormatValue(TDateTime v) const override { return DateToStr(v); }
  TDateTime ParseText(const AnsiString& s) const override { return StrToDate(s); }
};

class TTimeField : public TDateTimeField {
  ORV_CLASS(TTimeField, TDateTimeField)
  explicit TTimeField(TComponent* owner);

protected:
  int DefaultDisplayWidth() const override { return 8; }
  AnsiString FormatValue(TDateTime v) const override { return TimeToStr(v); }
  TDateTime ParseText(const AnsiString& s) const override { return StrToTime(s); }
};

// BLOB fields: the value lives in the engine's BLOB of the record; changes
// are kept with the record buffer and written when the record is posted.
class TBlobField : public TField {
  ORV_CLASS(TBlobField, TField)
  explicit TBlobField(TComponent* owner);
  AnsiString AsString() const override { return BlobData(); }
  void SetAsString(const AnsiString& v) override { SetBlobData(v); }
  // The whole value (empty when Null).
  AnsiString BlobData() const;
  void SetBlobData(const AnsiString& data);
  int BlobSize() const;
  TFieldType BlobType() const { return DataType(); }
  void SetBlobType(TFieldType t) { SetDataType(t); }
  void LoadFromStream(TStream* stream);  // from the stream's start
  void SaveToStream(TStream* stream) const;
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;

protected:
  // "(Memo)" for an empty value, "(MEMO)" otherwise; likewise for other
  // BLOB kinds.
  AnsiString GetText(bool displayText) const override;
  virtual const char* KindName() const { return "Blob"; }
};

class TMemoField : public TBlobField {
  ORV_CLASS(TMemoField, TBlobField)
  explicit TMemoField(TComponent* owner);

protected:
  const char* KindName() const override { return "Memo"; }
};

class TGraphicField : public TBlobField {
  ORV_CLASS(TGraphicField, TBlobField)
  explicit TGraphicField(TComponent* owner);

protected:
  const char* KindName() const override { return "Graphic"; }
};

// A stream over a BLOB field of the active record. Read mode reads the
// value; write mode starts empty, read-write from the value; writing modes
// store the contents in the field when the stream is freed (the dataset
// must be editing).
class TBlobStream : public TStream {
  ORV_CLASS(TBlobStream, TStream)
  TBlobStream(TBlobField* field, TBlobStreamMode mode);
  ~TBlobStream() override;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  int64_t Seek(int64_t offset, int origin) override;
  int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t size) override;
  int64_t Position() const override { return pos_; }
  // Stores the contents in the field now (writing modes).
  void Commit();

private:
  TBlobField* field_;
  TBlobStreamMode mode_;
  AnsiString data_;
  int64_t pos_ = 0;
  bool modified_ = false;
};

// ---------------------------------------------------------------------------
// Data links and data sources.

class TDataLink : public TPersistent {
  ORV_CLASS(TDataLink, TPersistent)
  TDataLink();
  ~TDataLink() override;

  TDataSource* DataSource() const { return dataSource_; }
  void SetDataSource(TDataSource* ds);
  TDataSet* DataSet() const;
  bool Active() const { return active_; }
  bool Editing() const { return editing_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  // The active record's row in this link's window; setting it moves the
  // dataset's active buffer without moving the cursor.
  int ActiveRecord() const;
  void SetActiveRecord(int v);
  int BufferCount() const { return bufferCount_; }
  void SetBufferCount(int v);
  // Records in the window (at most BufferCount).
  int RecordCount() const;
  // Puts the dataset into edit state when the source allows it; answers
  // whether the link is editing.
  bool Edit();
  // Asks the link to write its pending change (UpdateData).
  void UpdateRecord();

  // Used by the data source and the dataset.
  void DataEvent(TDataEvent event, intptr_t info);
  int FirstRecord() const { return firstRecord_; }
  void ShiftFirstRecord(int delta) { firstRecord_ += delta; }
  void UpdateRange();

protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
  virtual void EditingChanged() {}
  // The field pointer is cleared by the link that took the focus.
  virtual void FocusControl(TField** /*fieldRef*/) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* /*field*/) {}
  virtual void UpdateData() {}

private:
  void UpdateState();
  void SetActive(bool v);
  void SetEditing(bool v);

  TDataSource* dataSource_ = nullptr;
  int firstRecord_ = 0;
  int bufferCount_ = 1;
  bool active_ = false;
  bool editing_ = false;
  bool readOnly_ = false;
  bool updating_ = false;
};

class TFieldDataLink : public TDataLink {
  ORV_CLASS(TFieldDataLink, TDataLink)
  TFieldDataLink() = default;

  TField* Field() const { return field_; }
  const AnsiString& FieldName() const { return fieldName_; }
  void SetFieldName(const AnsiString& v);
  TComponent* Control() const { return control_; }
  void SetControl(TComponent* c) { control_ = c; }
  bool CanModify() const;
  bool Editing() const { return fieldEditing_; }
  bool Edit();
  // The control changed the value; UpdateData will write it.
  void Modified() { modified_ = true; }
  bool IsModified() const { return modified_; }
  // Throws away the control's change: the record's value is shown again.
  void Reset() { RecordChanged(nullptr); }

  TNotifyEvent OnDataChange;
  TNotifyEvent OnEditingChange;
  TNotifyEvent OnUpdateData;
  TNotifyEvent OnActiveChange;
  // Called by FocusControl when this link's field asks for the focus; the
  // control takes the focus there.
  TNotifyEvent OnFocusRequest;

protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(TField** fieldRef) override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;

private:
  void UpdateField();
  void SetField(TField* f);
  void SetFieldEditing(bool v);

  TField* field_ = nullptr;
  AnsiString fieldName_;
  TComponent* control_ = nullptr;
  bool fieldEditing_ = false;
  bool modified_ = false;
};

class TDataSource : public TComponent {
  ORV_CLASS_PUBLISHED(TDataSource, TComponent)
  explicit TDataSource(TComponent* owner);
  ~TDataSource() override;

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* ds);
  TDataSetState State() const { return state_; }
  bool AutoEdit() const { return autoEdit_; }
  void SetAutoEdit(bool v) { autoEdit_ = v; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  // With AutoEdit, puts a browsing dataset into edit state.
  void Edit();

  TDataChangeEvent OnDataChange;
  TNotifyEvent OnStateChange;
  TNotifyEvent OnUpdateData;

  // Used by the dataset and the links.
  void DataEvent(TDataEvent event, intptr_t info);
  void AddDataLink(TDataLink* l);
  void RemoveDataLink(TDataLink* l);
  const std::vector<TDataLink*>& DataLinks() const { return links_; }
  void Notification(TComponent* c, TOperation op) override;

private:
  void UpdateState();
  void NotifyDataLinks(TDataEvent event, intptr_t info);

  TDataSet* dataSet_ = nullptr;
  std::vector<TDataLink*> links_;
  TDataSetState state_ = dsInactive;
  bool autoEdit_ = true;
  bool enabled_ = true;
};

// ---------------------------------------------------------------------------
// The dataset.

class TDataSet : public TComponent {
  ORV_CLASS_PUBLISHED(TDataSet, TComponent)
  explicit TDataSet(TComponent* owner);
  ~TDataSet() override;

  // ---- opening ----
  bool Active() const { return state_ != dsInactive; }
  void SetActive(bool v);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return state_; }
  TBapiHandle Handle() const { return handle_; }
  virtual TBapiHandle DBHandle() const { return 0; }
  // The file whose records the dataset shows, for messages; empty when the
  // dataset has none.
  virtual AnsiString FilePath() const { return AnsiString(); }
  // Raises EDBEngineError for a non-zero call-level result of this dataset,
  // its message naming the file (EngineErrorMessage).
  void Check(TBapiResult result, TEngineAccess access = eaRead) const;
  int RecordSize() const { return recordSize_; }
  int BookmarkSize() const { return bookmarkSize_; }

  // ---- navigation ----
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Answers the distance actually moved.
  int MoveBy(int distance);
  // BOF and EOF (the C library reserves the upper-case names as macros).
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool IsEmpty() const { return activeRecord_ >= recordCount_; }
  // Whether a record stands before (after) the active one, asked of the
  // cursor without moving: Bof and Eof say so only after a move that met
  // the end, not after a deletion or a cancel. False outside browse state.
  bool HasRecordBeside(bool before);
  // Records the cursor delivers (within its range and filters).
  virtual int RecordCount();
  void Refresh();
  void Resync(unsigned mode);
  void UpdateCursorPos();
  void CursorPosChanged() { currentRecord_ = -1; }

  // ---- editing ----
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  void CheckBrowseMode();
  void UpdateRecord();
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }
  virtual bool CanModify() const { return Active() && !readOnly_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  void ClearFields();

  // ---- controls ----
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ > 0; }

  // ---- bookmarks ----
  TBookmark GetBookmark();  // null on an empty dataset
  void GotoBookmark(TBookmark bm);
  void FreeBookmark(TBookmark bm);
  bool BookmarkValid(TBookmark bm);
  // -1, 0, 1 (2: different records with equal keys), through the call level.
  int CompareBookmarks(TBookmark a, TBookmark b);

  // ---- fields ----
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField* Fields(int i) const;
  TField* FieldByName(std::string_view name) const;  // raises "Field 'X' not found"
  TField* FindField(std::string_view name) const;    // letter case ignored
  TField* FieldByNumber(int fieldNo) const;
  bool DefaultFields() const { return defaultFields_; }
  TFieldDefs& FieldDefs() { return fieldDefs_; }
  TIndexDefs& IndexDefs() { return indexDefs_; }
  void GetFieldNames(TStrings* list) const;
  // The value of `resultField` in the first record whose `keyFields`
  // (";"-separated) equal `keyValues`; Null when none. The position stays.
  virtual Variant Lookup(const AnsiString& keyFields, const std::vector<Variant>& keyValues,
                         const AnsiString& resultField);

  // ---- buffers ----
  uint8_t* ActiveBuffer() const;
  int ActiveRecord() const { return activeRecord_; }
  int BufferCount() const { return bufferCount_; }
  int BufferedRecordCount() const { return recordCount_; }
  int CurrentRecord() const { return currentRecord_; }
  // The buffer a field reads and writes in the present state.
  TRecordBuffer* ActiveRecBuf() const;
  // Temporary states for reading a record that is not in the window (a
  // filter's record under test); no notification is sent.
  TDataSetState SetTempState(TDataSetState s);
  void RestoreState(TDataSetState s);
  void SetTempRecord(const uint8_t* rec) { tempRecord_ = rec; }
  const uint8_t* TempRecord() const { return tempRecord_; }
  void DataEvent(TDataEvent event, intptr_t info);
  // Used by links and sources.
  void UpdateBufferCount();
  void SetActiveRecordIndex(int v);
  const std::vector<TDataSource*>& DataSources() const { return dataSources_; }
  void AddDataSource(TDataSource* s);
  void RemoveDataSource(TDataSource* s);

  // ---- field data (used by the fields) ----
  // Copies the field's call-level value from the active buffer into dest
  // (at least 256 bytes); false when the field is blank.
  bool GetFieldData(const TField* field, void* dest) const;
  // Stores a call-level value (null blanks the field).
  void SetFieldData(TField* field, const void* src);
  Variant GetCalcValue(const TField* field) const;
  void SetCalcValue(TField* field, const Variant& v);
  // BLOB access on the active buffer.
  AnsiString ReadBlob(const TField* field) const;
  void WriteBlob(TField* field, const AnsiString& data);
  bool BlobIsEmpty(const TField* field) const;
  // The stream over a BLOB field of the active record.
  TStream* CreateBlobStream(TField* field, TBlobStreamMode mode);
  void RegisterField(TField* f);
  void UnregisterField(TField* f);
  void MoveField(TField* f, int newIndex);

  // ---- events ----
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent OnNewRecord, OnCalcFields;
  TDataSetErrorEvent OnPostError, OnDeleteError, OnEditError;
  bool AutoCalcFields = true;

  // Overridable steps.
  // Makes the call-level cursor; the base has none and raises.
  virtual TBapiHandle CreateHandle();
  virtual void DestroyHandle();
  virtual void OpenCursor(bool infoQuery);
  virtual void CloseCursor();
  virtual void InternalOpen();
  virtual void InternalClose();
  virtual void InternalInitFieldDefs();
  virtual void DoAfterOpen();
  virtual void DoBeforePost();
  virtual void DoOnCalcFields();
  virtual void DoOnNewRecord();
  virtual void CalculateFields(TRecordBuffer* buf);
  virtual void InternalPost();
  virtual void InternalDelete();
  virtual void InternalEdit();
  virtual void InternalCancel();
  virtual void InternalFirst();
  virtual void InternalLast();
  virtual void InternalSetToRecord(TRecordBuffer* buf);
  virtual TGetResult GetRecord(TRecordBuffer* buf, TGetMode mode, bool doCheck);
  virtual void InitRecord(TRecordBuffer* buf);
  virtual void DoBeforeScroll();
  virtual void DoAfterScroll();
  // Whether the field belongs to the current index (the key of set-key
  // state); none in the base.
  virtual bool IsIndexField(const TField*) const { return false; }
  // Ends set-key state, keeping the key (commit) or restoring it.
  virtual void PostKeyBuffer(bool commit);

protected:
  void SetState(TDataSetState s);
  void CheckActive() const;
  void CheckInactive() const;
  void CheckCanModify() const;
  void CheckRequiredFields();
  void ClearBuffers();
  void ActivateBuffers();
  bool GetNextRecord();
  bool GetPriorRecord();
  int GetNextRecords();
  int GetPriorRecords();
  void SetBufferCount(int v);
  void SetCurrentRecord(int index);
  void MoveBuffer(int from, int to);
  void GetCalcFields(TRecordBuffer* buf);
  void ClearCalcFields(TRecordBuffer* buf);
  void CreateFields();
  void BindFields(bool binding);
  void DestroyDefaultFields();
  // Runs an operation; on a database error asks the error event, which may
  // retry, abort silently or let the error pass (the default).
  void CheckOperation(const std::function<void()>& op, const TDataSetErrorEvent& onError);
  std::unique_ptr<TRecordBuffer> NewBuffer() const;
  void Fire(const TDataSetNotifyEvent& e) { if (e) e(this); }
  // Key buffer the fields use in set-key state (TTable sets it).
  TRecordBuffer* keyBufferForFields_ = nullptr;
  // Set while a key of another index is written (lookups).
  bool anyFieldKey_ = false;

  TBapiHandle handle_ = 0;
  int recordSize_ = 0;
  int bookmarkSize_ = 0;
  int calcFieldCount_ = 0;

private:
  void BeginInsertAppend();
  void EndInsertAppend();

  TDataSetState state_ = dsInactive;
  std::vector<std::unique_ptr<TRecordBuffer>> buffers_;  // bufferCount_ + 1
  int bufferCount_ = 0;
  int recordCount_ = 0;
  int activeRecord_ = 0;
  int currentRecord_ = -1;
  bool bof_ = true;
  bool eof_ = true;
  bool modified_ = false;
  bool readOnly_ = false;
  bool defaultFields_ = false;
  int disableCount_ = 0;
  TDataSetState disableState_ = dsInactive;
  TDataEvent enableEvent_ = deDataSetChange;
  TRecordBuffer* calcBuffer_ = nullptr;
  const uint8_t* tempRecord_ = nullptr;
  std::vector<TField*> fields_;
  std::vector<TDataSource*> dataSources_;
  TFieldDefs fieldDefs_;
  TIndexDefs indexDefs_;

  friend class TDataLink;
};
