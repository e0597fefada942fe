// The dataset: states, the record-buffer window, navigation, editing,
// bookmarks and notifications. See db.h for the window's invariants.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/db/db.h"
#include "platform/db/db_internal.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"

// ---------------------------------------------------------------------------
// Errors.

AnsiString EngineProblemText(TBapiResult code) {
  const char* restore = " Stellen Sie sie aus einer Sicherung wieder her.";
  const AnsiString rights = CP1252(" Prüfen Sie die Zugriffsrechte ihres Verzeichnisses und der Dateien darin.").str();
  switch (code) {
    case bapiFileNotFound:
    case bapiNoSuchTable: return AnsiString("Sie fehlt.") + restore;
    case rcFileDamaged: return CP1252("Sie ist beschädigt.").str() + restore;
    case bapiInvalidBookmark: return CP1252("Der Eintrag ist nicht mehr darin; er wurde inzwischen gelöscht.").str();
    case bapiInvalidDictionary: return CP1252("Sie ist keine Tabelle von Orvelan, oder sie ist beschädigt.").str() + restore;
    case bapiNoSuchIndex:
    case bapiFieldOutOfRange:
      return CP1252("Sie hat nicht den Aufbau, den diese Version von Orvelan erwartet, oder sie ist beschädigt.").str() +
             restore;
    case bapiTableExists: return "Sie ist schon vorhanden.";
    case bapiTableInUse:
    case bapiNotExclusive:
      return "Sie wird gerade von einem anderen Programm benutzt. Beenden Sie dieses Programm und versuchen Sie es "
             "dann noch einmal.";
    case rcAccessDenied: return "Das System verweigert den Zugriff auf sie (fehlende Zugriffsrechte)." + rights;
    case bapiTableReadOnly: return CP1252("Sie ist schreibgeschützt.").str() + rights;
    case bapiOutOfMemory:
      return CP1252("Der Arbeitsspeicher reicht nicht aus. Schließen Sie andere Programme und versuchen Sie es dann "
                    "noch einmal.")
          .str();
    case rcDiskFull:
      return CP1252("Der Datenträger ist voll. Schaffen Sie Platz auf dem Datenträger und versuchen Sie es dann noch "
                    "einmal.")
          .str();
    case bapiIOError:
      return CP1252("Der Datenträger meldet einen Fehler beim Zugriff auf sie. Prüfen Sie den Datenträger; lässt sich "
                    "die Datei danach noch immer nicht lesen, stellen Sie sie aus einer Sicherung wieder her.")
          .str();
    case bapiKeyViolation:
      return CP1252("Sie enthält schon einen Eintrag mit demselben Schlüssel. Ändern Sie Ihre Eingabe.").str();
    case bapiRequiredFieldMissing:
      return CP1252("Ein Feld, das ausgefüllt sein muss, ist leer. Füllen Sie es aus.").str();
    default: return "Die Datenbank meldet den Fehler " + IntToStr(code) + ".";
  }
}

AnsiString EngineErrorMessage(TBapiResult code, const AnsiString& file, TEngineAccess access) {
  const AnsiString named = file.empty() ? AnsiString("eine Datei der Datenbank") : "die Datei \"" + file + "\"";
  AnsiString head;
  switch (access) {
    case eaRead: head = named + " kann nicht gelesen werden:"; break;
    case eaOpen: head = named + CP1252(" kann nicht geöffnet werden:").str(); break;
    case eaWrite: head = "in " + named + " kann nicht geschrieben werden:"; break;
  }
  head[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(head[0])));
  return head + "\r" + EngineProblemText(code);
}

void Check(TBapiResult result) {
  if (result == bapiOk) return;
  throw EDBEngineError(result, EngineErrorMessage(result, AnsiString(), eaRead));
}

void TDataSet::Check(TBapiResult result, TEngineAccess access) const {
  if (result == bapiOk) return;
  AnsiString file;
  try {
    file = FilePath();
  } catch (const std::exception&) {
    // The message then names no file rather than hiding the engine's answer.
  }
  throw EDBEngineError(result, EngineErrorMessage(result, file, access));
}

void DatabaseError(const AnsiString& message) { throw EDatabaseError(message); }

namespace {
// A record another cursor deleted or changed since this one read it.
constexpr auto kRecordGone = CP1252("Der Datensatz wurde nicht gefunden oder inzwischen geändert");
}  // namespace

// ---------------------------------------------------------------------------
// Variant.

Variant Variant::FromDateTime(TDateTime v) {
  Variant r;
  r.value_ = DateBox{v};
  return r;
}

Variant::TVarType Variant::VarType() const {
  static constexpr TVarType kinds[] = {varNull, varBoolean, varInteger, varDouble, varString, varDate};
  return kinds[value_.index()];
}

AnsiString Variant::AsString() const {
  switch (value_.index()) {
    case 1: return std::get<bool>(value_) ? "True" : "False";
    case 2: return IntToStr(std::get<int64_t>(value_));
    case 3: return FloatToStr(std::get<double>(value_));
    case 4: return std::get<AnsiString>(value_);
    case 5: return DateTimeToStr(std::get<DateBox>(value_).v);
    default: return AnsiString();
  }
}

int64_t Variant::AsInteger() const {
  switch (value_.index()) {
    case 1: return std::get<bool>(value_) ? 1 : 0;
    case 2: return std::get<int64_t>(value_);
    case 3: return Round(std::get<double>(value_));
    case 4: return StrToInt64(Trim(std::get<AnsiString>(value_)));
    case 5: return Trunc(std::get<DateBox>(value_).v);
    default: return 0;
  }
}

double Variant::AsFloat() const {
  switch (value_.index()) {
    case 1: return std::get<bool>(value_) ? 1 : 0;
    case 2: return static_cast<double>(std::get<int64_t>(value_));
    case 3: return std::get<double>(value_);
    case 4: return StrToFloat(Trim(std::get<AnsiString>(value_)));
    case 5: return std::get<DateBox>(value_).v;
    default: return 0;
  }
}

bool Variant::AsBoolean() const {
  switch (value_.index()) {
    case 1: return std::get<bool>(value_);
    case 4: {
      const AnsiString& s = std::get<AnsiString>(value_);
      if (SameText(s, "True")) return true;
      if (SameText(s, "False") || s.empty()) return false;
      RaiseConvertError(s, TConvertKind::Boolean);
    }
    default: return AsFloat() != 0;
  }
}

TDateTime Variant::AsDateTime() const {
  if (value_.index() == 4) return StrToDateTime(std::get<AnsiString>(value_));
  return AsFloat();
}

bool Variant::operator==(const Variant& o) const { return value_ == o.value_; }

// ---------------------------------------------------------------------------
// Definitions.

namespace {

TFieldType FieldTypeOfEngine(int t) {
  switch (t) {
    case fftBoolean: return ftBoolean;
    case fftChar:
    case fftShortString: return ftString;
    case fftByte:
    case fftWord16: return ftWord;
    case fftInt8:
    case fftInt16: return ftSmallint;
    case fftInt32:
    case fftWord32: return ftInteger;
    case fftAutoInc: return ftAutoInc;
    case fftSingle:
    case fftDouble: return ftFloat;
    case fftCurrency: return ftCurrency;
    case fftDate: return ftDate;
    case fftTime: return ftTime;
    case fftDateTime: return ftDateTime;
    case fftBlob: return ftBlob;
    case fftBlobMemo: return ftMemo;
    case fftBlobFmtMemo: return ftFmtMemo;
    case fftBlobGraphic: return ftGraphic;
    case fftBlobOle: return ftParadoxOle;
    default: return ftUnknown;
  }
}


}  // namespace

namespace dbdetail {

std::vector<AnsiString> SplitNames(std::string_view s) {
  std::vector<AnsiString> out;
  size_t start = 0;
  while (start <= s.size()) {
    size_t p = s.find(';', start);
    if (p == std::string_view::npos) p = s.size();
    AnsiString name = Trim(s.substr(start, p - start));
    if (!name.empty()) out.push_back(name);
    start = p + 1;
  }
  return out;
}

}  // namespace dbdetail

const TFieldDef& TFieldDefs::Items(int i) const {
  if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + IntToStr(i) + ")");
  return items_[static_cast<size_t>(i)];
}

int TFieldDefs::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (SameText(items_[i].Name, name)) return static_cast<int>(i);
  return -1;
}

const TFieldDef* TFieldDefs::Find(std::string_view name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : &items_[static_cast<size_t>(i)];
}

void TFieldDefs::Update() {
  if (owner_->Active()) {
    owner_->InternalInitFieldDefs();
    return;
  }
  owner_->OpenCursor(true);
  // Closing a cursor may raise: it stays out of a destructor.
  try {
    owner_->InternalInitFieldDefs();
  } catch (...) {
    owner_->CloseCursor();
    throw;
  }
  owner_->CloseCursor();
}

const TIndexDef& TIndexDefs::Items(int i) const {
  if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + IntToStr(i) + ")");
  return items_[static_cast<size_t>(i)];
}

int TIndexDefs::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (SameText(items_[i].Name, name)) return static_cast<int>(i);
  return -1;
}

const TIndexDef* TIndexDefs::FindIndexForFields(std::string_view fields) const {
  std::vector<AnsiString> want = dbdetail::SplitNames(fields);
  if (want.empty()) return nullptr;
  for (const TIndexDef& d : items_) {
    std::vector<AnsiString> have = dbdetail::SplitNames(d.Fields);
    if (have.size() < want.size()) continue;
    bool ok = true;
    for (size_t i = 0; i < want.size() && ok; ++i) ok = SameText(have[i], want[i]);
    if (ok) return &d;
  }
  return nullptr;
}

void TIndexDefs::Update() {
  bool wasOpen = owner_->Handle() != 0;
  if (!wasOpen) owner_->OpenCursor(true);
  items_.clear();
  std::vector<TBapiIndexDesc> descs;
  TBapiResult rc = BapiGetIndexDescs(owner_->Handle(), descs);
  std::vector<TBapiFieldDesc> fields;
  if (rc == bapiOk) rc = BapiGetFieldDescs(owner_->Handle(), fields);
  if (rc == bapiOk) {
    for (const TBapiIndexDesc& x : descs) {
      TIndexDef d;
      d.Name = x.Name;
      for (uint16_t f : x.KeyFields) {
        if (!d.Fields.empty()) d.Fields += ';';
        if (f >= 1 && f <= fields.size()) d.Fields += fields[f - 1].Name;
      }
      if (x.Unique) d.Options |= ixUnique;
      if (x.Descending) d.Options |= ixDescending;
      if (x.CaseInsensitive) d.Options |= ixCaseInsensitive;
      if (x.IndexNum == 1 && x.Unique) d.Options |= ixPrimary;
      items_.push_back(std::move(d));
    }
  }
  if (!wasOpen) owner_->CloseCursor();
  Check(rc);
}

// ---------------------------------------------------------------------------
// Construction and published properties.

void TDataSet::PublishProperties(TClassInfo& ci) {
  PublishBool<TDataSet>(ci, "Active", &TDataSet::Active, &TDataSet::SetActive);
  PublishEvent<TDataSet>(ci, "BeforeOpen", &TDataSet::BeforeOpen);
  PublishEvent<TDataSet>(ci, "AfterOpen", &TDataSet::AfterOpen);
  PublishEvent<TDataSet>(ci, "BeforeClose", &TDataSet::BeforeClose);
  PublishEvent<TDataSet>(ci, "AfterClose", &TDataSet::AfterClose);
  PublishEvent<TDataSet>(ci, "BeforeInsert", &TDataSet::BeforeInsert);
  PublishEvent<TDataSet>(ci, "AfterInsert", &TDataSet::AfterInsert);
  PublishEvent<TDataSet>(ci, "BeforeEdit", &TDataSet::BeforeEdit);
  PublishEvent<TDataSet>(ci, "AfterEdit", &TDataSet::AfterEdit);
  PublishEvent<TDataSet>(ci, "BeforePost", &TDataSet::BeforePost);
  PublishEvent<TDataSet>(ci, "AfterPost", &TDataSet::AfterPost);
  PublishEvent<TDataSet>(ci, "BeforeCancel", &TDataSet::BeforeCancel);
  PublishEvent<TDataSet>(ci, "AfterCancel", &TDataSet::AfterCancel);
  PublishEvent<TDataSet>(ci, "BeforeDelete", &TDataSet::BeforeDelete);
  PublishEvent<TDataSet>(ci, "AfterDelete", &TDataSet::AfterDelete);
  PublishEvent<TDataSet>(ci, "BeforeScroll", &TDataSet::BeforeScroll);
  PublishEvent<TDataSet>(ci, "AfterScroll", &TDataSet::AfterScroll);
  PublishEvent<TDataSet>(ci, "OnNewRecord", &TDataSet::OnNewRecord);
  PublishEvent<TDataSet>(ci, "OnCalcFields", &TDataSet::OnCalcFields);
  PublishEvent<TDataSet>(ci, "OnPostError", &TDataSet::OnPostError);
  PublishEvent<TDataSet>(ci, "OnDeleteError", &TDataSet::OnDeleteError);
  PublishEvent<TDataSet>(ci, "OnEditError", &TDataSet::OnEditError);
}

TDataSet::TDataSet(TComponent* owner) : TComponent(owner), fieldDefs_(this), indexDefs_(this) {}

TDataSet::~TDataSet() {
  Destroying();
  // Closing without events: the component is going.
  if (Active()) {
    state_ = dsInactive;
    try {
      CloseCursor();
    } catch (...) {
    }
  }
  while (!dataSources_.empty()) dataSources_.back()->SetDataSet(nullptr);
  std::vector<TField*> all = fields_;
  fields_.clear();
  for (TField* f : all) {
    f->DetachDataSet();
    if (f->Owner() && f->Owner() != this) continue;  // the form frees it
    delete f;
  }
}

// ---------------------------------------------------------------------------
// State and checks.

void TDataSet::SetState(TDataSetState s) {
  if (state_ == s) return;
  state_ = s;
  modified_ = false;
  DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState s) {
  TDataSetState old = state_;
  state_ = s;
  ++disableCount_;
  return old;
}

void TDataSet::RestoreState(TDataSetState s) {
  state_ = s;
  --disableCount_;
}

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckInactive() const {
  if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
}

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError("Cannot modify a read-only dataset");
}

void TDataSet::SetReadOnly(bool v) {
  CheckInactive();
  readOnly_ = v;
}

// ---------------------------------------------------------------------------
// Opening and closing.

void TDataSet::SetActive(bool v) {
  if (v == Active()) return;
  if (v) {
    Fire(BeforeOpen);
    try {
      OpenCursor(false);
    } catch (...) {
      try {
        CloseCursor();
      } catch (...) {
      }
      throw;
    }
    SetState(dsBrowse);
    DoAfterOpen();
  } else {
    if (!HasState(csDestroying)) Fire(BeforeClose);
    SetState(dsInactive);
    CloseCursor();
    if (!HasState(csDestroying)) Fire(AfterClose);
  }
}

TBapiHandle TDataSet::CreateHandle() {
  DatabaseError("Dataset '" + Name() + "' has no cursor");
}

void TDataSet::DestroyHandle() {
  if (handle_) BapiCloseCursor(handle_);
  handle_ = 0;
}

void TDataSet::OpenCursor(bool infoQuery) {
  if (!handle_) handle_ = CreateHandle();
  if (!handle_) DatabaseError("Cannot open dataset '" + Name() + "'");
  if (infoQuery) return;
  // Without declared data fields every field of the table gets a default
  // field, in front of the declared calculated and lookup fields.
  defaultFields_ = std::none_of(fields_.begin(), fields_.end(),
                                [](TField* f) { return f->FieldKind() == fkData; });
  InternalOpen();
  ClearBuffers();
  // A dataset that is only read opens also when its first record lies in a
  // damaged block: it stands before its first record, and the move that
  // reads that record says so; the records around it stay within reach by
  // key. One that is written must not look empty.
  try {
    UpdateBufferCount();
  } catch (const EDBEngineError& e) {
    if (!readOnly_ || e.ErrorCode() != rcFileDamaged) throw;
    ClearBuffers();
    CursorPosChanged();
  }
  bof_ = true;
}

void TDataSet::CloseCursor() {
  InternalClose();
  DestroyHandle();
}

void TDataSet::InternalInitFieldDefs() {
  std::vector<TBapiFieldDesc> descs;
  Check(BapiGetFieldDescs(handle_, descs));
  fieldDefs_.Clear();
  for (const TBapiFieldDesc& x : descs) {
    TFieldDef d;
    d.Name = x.Name;
    d.DataType = FieldTypeOfEngine(x.EngineType);
    d.Size = x.EngineType == fftChar ? 1 : x.Units;
    d.Precision = x.Decimals;
    d.Required = x.Required;
    d.FieldNo = x.FieldNum;
    d.EngineType = x.EngineType;
    d.BapiType = x.FieldType;
    fieldDefs_.Add(std::move(d));
  }
}

void TDataSet::InternalOpen() {
  TBapiCursorProps props;
  Check(BapiGetCursorProps(handle_, props));
  recordSize_ = props.RecordSize;
  bookmarkSize_ = props.BookmarkSize;
  InternalInitFieldDefs();
  if (defaultFields_) CreateFields();
  BindFields(true);
}

void TDataSet::InternalClose() {
  if (handle_ && !buffers_.empty() && (state_ == dsEdit || state_ == dsInsert)) {
    BapiDiscardBlobs(handle_, ActiveBuffer());
  }
  BindFields(false);
  if (defaultFields_) DestroyDefaultFields();
  buffers_.clear();
  bufferCount_ = 0;
  recordCount_ = 0;
  activeRecord_ = 0;
  currentRecord_ = -1;
  bof_ = eof_ = true;
}

void TDataSet::DoAfterOpen() { Fire(AfterOpen); }

// ---------------------------------------------------------------------------
// Fields.

namespace {

TField* NewFieldOfType(TFieldType t) {
  switch (t) {
    case ftString: return new TStringField(nullptr);
    case ftSmallint: return new TSmallintField(nullptr);
    case ftInteger: return new TIntegerField(nullptr);
    case ftWord: return new TWordField(nullptr);
    case ftAutoInc: return new TAutoIncField(nullptr);
    case ftBoolean: return new TBooleanField(nullptr);
    case ftFloat: return new TFloatField(nullptr);
    case ftCurrency: return new TCurrencyField(nullptr);
    case ftBCD: return new TBCDField(nullptr);
    case ftDate: return new TDateField(nullptr);
    case ftTime: return new TTimeField(nullptr);
    case ftDateTime: return new TDateTimeField(nullptr);
    case ftMemo:
    case ftFmtMemo: return new TMemoField(nullptr);
    case ftGraphic: return new TGraphicField(nullptr);
    case ftBlob:
    case ftParadoxOle: return new TBlobField(nullptr);
    default: return nullptr;
  }
}

}  // namespace

void TDataSet::CreateFields() {
  std::vector<TField*> declared = fields_;
  fields_.clear();
  for (int i = 0; i < fieldDefs_.Count(); ++i) {
    const TFieldDef& d = fieldDefs_.Items(i);
    TField* f = NewFieldOfType(d.DataType);
    if (!f) continue;
    if (auto* b = dynamic_cast<TBlobField*>(f)) b->SetBlobType(d.DataType);
    f->SetFieldName(d.Name);
    f->SetDefaultField(true);
    f->SetDataSet(this);
  }
  fields_.insert(fields_.end(), declared.begin(), declared.end());
}

void TDataSet::DestroyDefaultFields() {
  std::vector<TField*> keep;
  for (TField* f : fields_) {
    if (f->DefaultField()) {
      f->DetachDataSet();
      delete f;
    } else {
      keep.push_back(f);
    }
  }
  fields_ = keep;
}

void TDataSet::BindFields(bool binding) {
  calcFieldCount_ = 0;
  for (TField* f : fields_) {
    if (!binding) {
      f->Bind(nullptr);
      continue;
    }
    if (f->FieldKind() == fkData) {
      const TFieldDef* d = fieldDefs_.Find(f->FieldName());
      if (!d) DatabaseError((Name().empty() ? AnsiString() : Name() + ": ") + "Field '" + f->FieldName() + "' not found");
      f->Bind(d);
    } else {
      f->Bind(nullptr);
      f->SetCalcSlot(calcFieldCount_++);
    }
  }
}

void TDataSet::RegisterField(TField* f) {
  CheckInactive();
  fields_.push_back(f);
}

void TDataSet::UnregisterField(TField* f) {
  auto it = std::find(fields_.begin(), fields_.end(), f);
  if (it != fields_.end()) fields_.erase(it);
}

void TDataSet::MoveField(TField* f, int newIndex) {
  auto it = std::find(fields_.begin(), fields_.end(), f);
  if (it == fields_.end()) return;
  fields_.erase(it);
  newIndex = std::clamp(newIndex, 0, static_cast<int>(fields_.size()));
  fields_.insert(fields_.begin() + newIndex, f);
  DataEvent(deLayoutChange, 0);
}

TField* TDataSet::Fields(int i) const {
  if (i < 0 || i >= FieldCount()) throw EListError("List index out of bounds (" + IntToStr(i) + ")");
  return fields_[static_cast<size_t>(i)];
}

TField* TDataSet::FindField(std::string_view name) const {
  for (TField* f : fields_)
    if (SameText(f->FieldName(), name)) return f;
  return nullptr;
}

TField* TDataSet::FieldByName(std::string_view name) const {
  TField* f = FindField(name);
  if (!f) DatabaseError("Field '" + AnsiString(name) + "' not found");
  return f;
}

TField* TDataSet::FieldByNumber(int fieldNo) const {
  for (TField* f : fields_)
    if (f->FieldNo() == fieldNo) return f;
  return nullptr;
}

void TDataSet::GetFieldNames(TStrings* list) const {
  list->Clear();
  if (!fields_.empty()) {
    for (TField* f : fields_) list->Add(f->FieldName());
  } else {
    for (int i = 0; i < fieldDefs_.Count(); ++i) list->Add(fieldDefs_.Items(i).Name);
  }
}

Variant TDataSet::Lookup(const AnsiString&, const std::vector<Variant>&, const AnsiString&) {
  return Variant();
}

// ---------------------------------------------------------------------------
// Buffers.

std::unique_ptr<TRecordBuffer> TDataSet::NewBuffer() const {
  auto b = std::make_unique<TRecordBuffer>();
  b->Data.assign(static_cast<size_t>(recordSize_), 0);
  b->Calc.resize(static_cast<size_t>(calcFieldCount_));
  b->Bookmark.assign(static_cast<size_t>(bookmarkSize_), 0);
  return b;
}

uint8_t* TDataSet::ActiveBuffer() const {
  if (buffers_.empty()) return nullptr;
  return buffers_[static_cast<size_t>(activeRecord_)]->Data.data();
}

TRecordBuffer* TDataSet::ActiveRecBuf() const {
  switch (state_) {
    case dsCalcFields: return calcBuffer_;
    case dsSetKey: return keyBufferForFields_;
    case dsFilter: return nullptr;
    case dsInactive: return nullptr;
    case dsEdit:
    case dsInsert: return buffers_.empty() ? nullptr : buffers_[static_cast<size_t>(activeRecord_)].get();
    default:
      if (recordCount_ == 0 || buffers_.empty()) return nullptr;
      return buffers_[static_cast<size_t>(activeRecord_)].get();
  }
}

void TDataSet::ClearBuffers() {
  recordCount_ = 0;
  activeRecord_ = 0;
  currentRecord_ = -1;
  bof_ = eof_ = true;
}

void TDataSet::ActivateBuffers() {
  recordCount_ = 1;
  activeRecord_ = 0;
  currentRecord_ = 0;
  bof_ = eof_ = false;
}

void TDataSet::MoveBuffer(int from, int to) {
  if (from == to) return;
  auto b = std::move(buffers_[static_cast<size_t>(from)]);
  buffers_.erase(buffers_.begin() + from);
  buffers_.insert(buffers_.begin() + to, std::move(b));
}

void TDataSet::SetCurrentRecord(int index) {
  if (currentRecord_ == index) return;
  TRecordBuffer* b = buffers_[static_cast<size_t>(index)].get();
  switch (b->Flag) {
    case bfCurrent:
    case bfInserted: InternalSetToRecord(b); break;
    case bfBOF: InternalFirst(); break;
    case bfEOF: InternalLast(); break;
  }
  currentRecord_ = index;
}

void TDataSet::UpdateCursorPos() {
  if (recordCount_ > 0) SetCurrentRecord(activeRecord_);
}

bool TDataSet::GetNextRecord() {
  if (recordCount_ > 0) SetCurrentRecord(recordCount_ - 1);
  bool ok = GetRecord(buffers_[static_cast<size_t>(recordCount_)].get(), gmNext, true) == grOK;
  if (ok) {
    if (recordCount_ == 0) {
      ActivateBuffers();
    } else if (recordCount_ < bufferCount_) {
      ++recordCount_;
    } else {
      MoveBuffer(0, recordCount_);
    }
    currentRecord_ = recordCount_ - 1;
  } else {
    CursorPosChanged();
  }
  return ok;
}

bool TDataSet::GetPriorRecord() {
  if (recordCount_ > 0) SetCurrentRecord(0);
  bool ok = GetRecord(buffers_[static_cast<size_t>(recordCount_)].get(), gmPrior, true) == grOK;
  if (ok) {
    if (recordCount_ == 0) {
      ActivateBuffers();
    } else {
      MoveBuffer(recordCount_, 0);
      if (recordCount_ < bufferCount_) {
        ++recordCount_;
        ++activeRecord_;
      }
    }
    currentRecord_ = 0;
  } else {
    CursorPosChanged();
  }
  return ok;
}

int TDataSet::GetNextRecords() {
  int n = 0;
  while (recordCount_ < bufferCount_ && GetNextRecord()) ++n;
  return n;
}

int TDataSet::GetPriorRecords() {
  int n = 0;
  while (recordCount_ < bufferCount_ && GetPriorRecord()) ++n;
  return n;
}

void TDataSet::SetBufferCount(int value) {
  if (value < 1) value = 1;
  auto adjustFirst = [this](int delta) {
    if (delta == 0) return;
    for (TDataSource* s : dataSources_)
      for (TDataLink* l : s->DataLinks())
        if (l->Active()) l->ShiftFirstRecord(delta);
  };
  if (value == bufferCount_ && static_cast<int>(buffers_.size()) == value + 1) return;
  if (bufferCount_ > value && recordCount_ > 0) {
    // Keep `value` buffers from the lowest first row of the links, but so
    // that the active record stays in the window.
    int delta = activeRecord_;
    for (TDataSource* s : dataSources_)
      for (TDataLink* l : s->DataLinks())
        if (l->Active() && l->FirstRecord() < delta) delta = std::max(l->FirstRecord(), 0);
    delta = std::max(delta, activeRecord_ - value + 1);
    delta = std::min(delta, activeRecord_);
    if (delta > 0) {
      for (int i = 0; i < delta; ++i) MoveBuffer(0, static_cast<int>(buffers_.size()) - 1);
      activeRecord_ -= delta;
      if (currentRecord_ != -1) currentRecord_ -= delta;
      if (currentRecord_ < 0) currentRecord_ = -1;
      recordCount_ -= delta;
    }
    if (recordCount_ > value) recordCount_ = value;
    if (currentRecord_ > recordCount_ - 1) currentRecord_ = -1;
    adjustFirst(-delta);
  }
  while (static_cast<int>(buffers_.size()) < value + 1) buffers_.push_back(NewBuffer());
  if (static_cast<int>(buffers_.size()) > value + 1) buffers_.resize(static_cast<size_t>(value + 1));
  bufferCount_ = value;
  GetNextRecords();
  if (recordCount_ < bufferCount_) adjustFirst(GetPriorRecords());
  for (TDataSource* s : dataSources_)
    for (TDataLink* l : s->DataLinks())
      if (l->Active()) l->UpdateRange();
}

void TDataSet::UpdateBufferCount() {
  if (!handle_) return;
  int maxCount = 1;
  for (TDataSource* s : dataSources_)
    for (TDataLink* l : s->DataLinks()) {
      if (l->Active()) l->UpdateRange();
      if (l->BufferCount() > maxCount) maxCount = l->BufferCount();
    }
  SetBufferCount(maxCount);
}

void TDataSet::SetActiveRecordIndex(int v) {
  if (v < 0 || v >= std::max(recordCount_, 1)) return;
  if (activeRecord_ == v) return;
  activeRecord_ = v;
}

// ---------------------------------------------------------------------------
// Reading records.

TGetResult TDataSet::GetRecord(TRecordBuffer* buf, TGetMode mode, bool doCheck) {
  TBapiResult rc;
  switch (mode) {
    case gmNext: rc = BapiGetNextRecord(handle_, bapiNoLock, buf->Data.data(), nullptr); break;
    case gmPrior: rc = BapiGetPriorRecord(handle_, bapiNoLock, buf->Data.data(), nullptr); break;
    default: rc = BapiGetRecord(handle_, bapiNoLock, buf->Data.data(), nullptr); break;
  }
  if (rc == bapiOk) {
    buf->Flag = bfCurrent;
    Check(BapiGetBookMark(handle_, buf->Bookmark.data()));
    GetCalcFields(buf);
    return grOK;
  }
  if (rc == bapiEndOfCursor) return grEOF;
  if (rc == bapiBeginOfCursor) return grBOF;
  if (rc == bapiNoCurrentRecord || rc == bapiRecordNotFound) return grError;
  if (doCheck) Check(rc);
  return grError;
}

void TDataSet::InternalFirst() { Check(BapiSetToBegin(handle_)); }
void TDataSet::InternalLast() { Check(BapiSetToEnd(handle_)); }

void TDataSet::InternalSetToRecord(TRecordBuffer* buf) {
  if (buf->Flag == bfInserted) {
    // A new record stands before the record whose bookmark it keeps; with
    // none it belongs at the end.
    bool any = std::any_of(buf->Bookmark.begin(), buf->Bookmark.end(), [](uint8_t b) { return b; });
    if (!any || BapiSetToBookMark(handle_, buf->Bookmark.data()) != bapiOk) InternalLast();
    return;
  }
  Check(BapiSetToBookMark(handle_, buf->Bookmark.data()));
}

void TDataSet::InitRecord(TRecordBuffer* buf) {
  Check(BapiInitRecord(handle_, buf->Data.data()));
  ClearCalcFields(buf);
  buf->Flag = bfInserted;
}

void TDataSet::ClearCalcFields(TRecordBuffer* buf) {
  for (Variant& v : buf->Calc) v = Variant();
}

void TDataSet::GetCalcFields(TRecordBuffer* buf) {
  if (calcFieldCount_ == 0 && !OnCalcFields) return;
  TDataSetState save = state_;
  state_ = dsCalcFields;
  TRecordBuffer* saveBuf = calcBuffer_;
  calcBuffer_ = buf;
  TScopeExit restore{[this, save, saveBuf] {
    state_ = save;
    calcBuffer_ = saveBuf;
  }};
  CalculateFields(buf);
}

void TDataSet::CalculateFields(TRecordBuffer* buf) {
  ClearCalcFields(buf);
  for (TField* f : fields_)
    if (f->FieldKind() == fkLookup) f->CalcLookupValue();
  DoOnCalcFields();
}

void TDataSet::DoOnCalcFields() { Fire(OnCalcFields); }

// ---------------------------------------------------------------------------
// Navigation.

void TDataSet::DoBeforeScroll() { Fire(BeforeScroll); }
void TDataSet::DoAfterScroll() { Fire(AfterScroll); }

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  // The notification reaches the links, whose handlers may raise: no work for a destructor.
  try {
    InternalFirst();
    GetNextRecord();
    GetNextRecords();
  } catch (...) {
    bof_ = true;
    DataEvent(deDataSetChange, 0);
    throw;
  }
  bof_ = true;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  // The notification reaches the links, whose handlers may raise: no work for a destructor.
  try {
    InternalLast();
    GetPriorRecord();
    GetPriorRecords();
  } catch (...) {
    eof_ = true;
    DataEvent(deDataSetChange, 0);
    throw;
  }
  eof_ = true;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  int result = 0;
  DoBeforeScroll();
  if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
    bof_ = eof_ = false;
    int scroll = 0;
    // The notification reaches the links, whose handlers may raise: no work for a destructor.
    try {
      while (distance > 0) {
        if (activeRecord_ < recordCount_ - 1) {
          ++activeRecord_;
        } else {
          int shift = recordCount_ < bufferCount_ ? 0 : 1;
          if (GetNextRecord()) {
            scroll -= shift;
            if (shift == 0) activeRecord_ = recordCount_ - 1;
          } else {
            eof_ = true;
            break;
          }
        }
        --distance;
        ++result;
      }
      while (distance < 0) {
        if (activeRecord_ > 0) {
          --activeRecord_;
        } else {
          int shift = recordCount_ < bufferCount_ ? 0 : 1;
          if (GetPriorRecord()) {
            scroll += shift;
            if (shift == 0) activeRecord_ = 0;
          } else {
            bof_ = true;
            break;
          }
        }
        ++distance;
        --result;
      }
    } catch (...) {
      DataEvent(deDataSetScroll, scroll);
      throw;
    }
    DataEvent(deDataSetScroll, scroll);
    DoAfterScroll();
  }
  return result;
}

bool TDataSet::HasRecordBeside(bool before) {
  if (state_ != dsBrowse || IsEmpty()) return false;
  UpdateCursorPos();
  // Read into the spare buffer, as Resync does; the cursor is put back on
  // the active record by the next move.
  const bool found =
      GetRecord(buffers_[static_cast<size_t>(recordCount_)].get(), before ? gmPrior : gmNext, false) == grOK;
  CursorPosChanged();
  return found;
}

int TDataSet::RecordCount() {
  CheckActive();
  uint32_t n = 0;
  Check(BapiGetExactRecordCount(handle_, n));
  return static_cast<int>(n);
}

void TDataSet::Resync(unsigned mode) {
  TRecordBuffer* spare = buffers_[static_cast<size_t>(recordCount_)].get();
  if (mode & rmExact) {
    CursorPosChanged();
    if (GetRecord(spare, gmCurrent, true) != grOK) DatabaseError(kRecordGone.str());
  } else if (GetRecord(spare, gmCurrent, false) != grOK && GetRecord(spare, gmNext, false) != grOK &&
             GetRecord(spare, gmPrior, false) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange, 0);
    return;
  }
  int count = (mode & rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
  MoveBuffer(recordCount_, 0);
  ActivateBuffers();
  // The notification reaches the links, whose handlers may raise: no work for a destructor.
  try {
    while (count > 0 && GetPriorRecord()) --count;
    GetNextRecords();
    GetPriorRecords();
  } catch (...) {
    DataEvent(deDataSetChange, 0);
    throw;
  }
  DataEvent(deDataSetChange, 0);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  try {
    UpdateCursorPos();
  } catch (const EDBEngineError& e) {
    if (e.ErrorCode() != bapiInvalidBookmark) throw;
    // The record was deleted through another cursor: the one that took its
    // place in the index becomes current, at the end the last one (Resync).
    CursorPosChanged();
    const TBapiResult rc = BapiSetToKey(handle_, bapiKeyNearest, 0, 0, ActiveBuffer());
    if (rc != bapiOk && rc != bapiEndOfCursor) InternalFirst();
  }
  Resync(0);
}

// ---------------------------------------------------------------------------
// Editing.

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  switch (state_) {
    case dsEdit:
    case dsInsert:
      UpdateRecord();
      if (modified_)
        Post();
      else
        Cancel();
      break;
    case dsSetKey: Post(); break;
    default: break;
  }
}

void TDataSet::UpdateRecord() {
  if (state_ != dsEdit && state_ != dsInsert && state_ != dsSetKey)
    DatabaseError("Dataset not in edit or insert mode");
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::CheckOperation(const std::function<void()>& op, const TDataSetErrorEvent& onError) {
  for (;;) {
    try {
      UpdateCursorPos();
      op();
      return;
    } catch (EDatabaseError& e) {
      TDataAction action = daFail;
      if (onError) onError(this, e, action);
      if (action == daFail) throw;
      if (action == daAbort) Abort();
    }
  }
}

void TDataSet::Edit() {
  if (state_ == dsEdit || state_ == dsInsert) return;
  if (recordCount_ == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeEdit);
  CheckOperation([this] { InternalEdit(); }, OnEditError);
  GetCalcFields(buffers_[static_cast<size_t>(activeRecord_)].get());
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  Fire(AfterEdit);
}

void TDataSet::InternalEdit() {
  TBapiResult rc = BapiGetRecord(handle_, bapiNoLock, ActiveBuffer(), nullptr);
  if (rc == bapiNoCurrentRecord) DatabaseError(kRecordGone.str());
  Check(rc);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  CheckCanModify();
  Fire(BeforeInsert);
  DoBeforeScroll();
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  try {
    DoOnNewRecord();
  } catch (...) {
    UpdateCursorPos();
    BapiDiscardBlobs(handle_, ActiveBuffer());
    SetState(dsBrowse);
    Resync(0);
    throw;
  }
  modified_ = false;
  DataEvent(deDataSetChange, 0);
  Fire(AfterInsert);
  DoAfterScroll();
}

void TDataSet::DoOnNewRecord() { Fire(OnNewRecord); }

void TDataSet::Insert() {
  BeginInsertAppend();
  // The new buffer keeps the bookmark of the record it stands before.
  std::vector<uint8_t> next;
  if (recordCount_ > 0) next = buffers_[static_cast<size_t>(activeRecord_)]->Bookmark;
  MoveBuffer(recordCount_, activeRecord_);
  TRecordBuffer* b = buffers_[static_cast<size_t>(activeRecord_)].get();
  InitRecord(b);
  if (recordCount_ == 0) {
    b->Flag = bfBOF;
  } else {
    b->Bookmark = next;
  }
  if (recordCount_ < bufferCount_) ++recordCount_;
  CursorPosChanged();
  EndInsertAppend();
}

void TDataSet::Append() {
  BeginInsertAppend();
  ClearBuffers();
  TRecordBuffer* b = buffers_[0].get();
  InitRecord(b);
  b->Flag = bfEOF;
  recordCount_ = 1;
  bof_ = false;
  GetPriorRecords();
  InternalLast();
  EndInsertAppend();
}

void TDataSet::CheckRequiredFields() {
  for (TField* f : fields_)
    if (f->FieldKind() == fkData && f->Required() && !f->ReadOnly() && f->IsNull()) {
      f->FocusControl();
      DatabaseError("Das Feld \"" + f->DisplayName() + "\" muss einen Wert haben");
    }
}

void TDataSet::DoBeforePost() { Fire(BeforePost); }

void TDataSet::InternalPost() {
  CheckRequiredFields();
  if (state_ == dsEdit)
    Check(BapiModifyRecord(handle_, ActiveBuffer(), true), eaWrite);
  else
    Check(BapiInsertRecord(handle_, bapiNoLock, ActiveBuffer()), eaWrite);
}

void TDataSet::PostKeyBuffer(bool) {
  SetState(dsBrowse);
  DataEvent(deDataSetChange, 0);
}

void TDataSet::Post() {
  if (state_ == dsSetKey) {
    UpdateRecord();
    PostKeyBuffer(true);
    return;
  }
  UpdateRecord();
  if (state_ == dsEdit || state_ == dsInsert) {
    DataEvent(deCheckBrowseMode, 0);
    DoBeforePost();
    CheckOperation([this] { InternalPost(); }, OnPostError);
    SetState(dsBrowse);
    Resync(0);
    Fire(AfterPost);
  }
}

void TDataSet::InternalCancel() { BapiDiscardBlobs(handle_, ActiveBuffer()); }

void TDataSet::Cancel() {
  if (state_ == dsSetKey) {
    PostKeyBuffer(false);
    return;
  }
  if (state_ != dsEdit && state_ != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  Fire(BeforeCancel);
  bool scrollEvents = state_ == dsInsert;
  if (scrollEvents) DoBeforeScroll();
  UpdateCursorPos();
  InternalCancel();
  SetState(dsBrowse);
  Resync(0);
  Fire(AfterCancel);
  if (scrollEvents) DoAfterScroll();
}

void TDataSet::InternalDelete() { Check(BapiDeleteRecord(handle_, nullptr), eaWrite); }

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert) {
    Cancel();
    return;
  }
  if (recordCount_ == 0) DatabaseError("Cannot perform this operation on an empty dataset");
  CheckCanModify();
  DataEvent(deCheckBrowseMode, 0);
  Fire(BeforeDelete);
  DoBeforeScroll();
  CheckOperation([this] { InternalDelete(); }, OnDeleteError);
  SetState(dsBrowse);
  Resync(0);
  Fire(AfterDelete);
  DoAfterScroll();
}

void TDataSet::ClearFields() {
  if (state_ != dsEdit && state_ != dsInsert) DatabaseError("Dataset not in edit or insert mode");
  BapiDiscardBlobs(handle_, ActiveBuffer());
  Check(BapiInitRecord(handle_, ActiveBuffer()));
  GetCalcFields(buffers_[static_cast<size_t>(activeRecord_)].get());
  DataEvent(deRecordChange, 0);
}

// ---------------------------------------------------------------------------
// Field data.

bool TDataSet::GetFieldData(const TField* field, void* dest) const {
  const uint8_t* rec = nullptr;
  if (state_ == dsFilter) {
    rec = tempRecord_;
  } else if (TRecordBuffer* b = ActiveRecBuf()) {
    rec = b->Data.data();
  }
  if (!rec || !handle_ || field->FieldNo() <= 0) return false;
  bool blank = true;
  Check(BapiGetField(handle_, static_cast<uint16_t>(field->FieldNo()), rec, dest, blank));
  return !blank;
}

void TDataSet::SetFieldData(TField* field, const void* src) {
  if (state_ != dsEdit && state_ != dsInsert && state_ != dsSetKey)
    DatabaseError("Dataset not in edit or insert mode");
  if (state_ == dsSetKey && !anyFieldKey_ && !field->IsIndexField())
    DatabaseError("'" + field->DisplayName() + "' is not an indexed field");
  if (field->ReadOnly() && state_ != dsSetKey)
    DatabaseError("Field '" + field->DisplayName() + "' cannot be modified");
  TRecordBuffer* b = ActiveRecBuf();
  if (!b) DatabaseError("Dataset not in edit or insert mode");
  std::vector<uint8_t> before;
  if (field->OnValidate && state_ != dsSetKey) before = b->Data;
  Check(BapiPutField(handle_, static_cast<uint16_t>(field->FieldNo()), b->Data.data(), src));
  if (state_ == dsSetKey) return;
  if (field->OnValidate) {
    try {
      field->OnValidate(field);
    } catch (...) {
      b->Data = before;
      throw;
    }
  }
  DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
}

Variant TDataSet::GetCalcValue(const TField* field) const {
  TRecordBuffer* b = state_ == dsFilter ? nullptr : ActiveRecBuf();
  int slot = field->CalcSlot();
  if (!b || slot < 0 || slot >= static_cast<int>(b->Calc.size())) return Variant();
  return b->Calc[static_cast<size_t>(slot)];
}

void TDataSet::SetCalcValue(TField* field, const Variant& v) {
  if (state_ != dsCalcFields && state_ != dsEdit && state_ != dsInsert)
    DatabaseError("Dataset not in edit or insert mode");
  TRecordBuffer* b = ActiveRecBuf();
  int slot = field->CalcSlot();
  if (!b || slot < 0 || slot >= static_cast<int>(b->Calc.size())) return;
  b->Calc[static_cast<size_t>(slot)] = v;
  if (state_ != dsCalcFields) DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
}

AnsiString TDataSet::ReadBlob(const TField* field) const {
  TRecordBuffer* b = ActiveRecBuf();
  if (!b || !handle_ || field->FieldNo() <= 0) return AnsiString();
  uint16_t no = static_cast<uint16_t>(field->FieldNo());
  uint8_t* rec = b->Data.data();
  Check(BapiOpenBlob(handle_, rec, no, bapiReadOnly));
  TScopeExit freeBlob{[this, rec, no] { BapiFreeBlob(handle_, rec, no); }};
  AnsiString out;
  uint32_t size = 0;
  Check(BapiGetBlobSize(handle_, rec, no, size));
  out.resize(size);
  uint32_t got = 0;
  if (size > 0) {
    TBapiResult rc = BapiGetBlob(handle_, rec, no, 0, size, out.data(), got);
    if (rc != bapiOk && rc != bapiEndOfBlob) Check(rc);
    out.resize(got);
  }
  return out;
}

bool TDataSet::BlobIsEmpty(const TField* field) const {
  TRecordBuffer* b = ActiveRecBuf();
  if (!b || !handle_ || field->FieldNo() <= 0) return true;
  bool blank = true;
  Check(BapiGetField(handle_, static_cast<uint16_t>(field->FieldNo()), b->Data.data(), nullptr, blank));
  return blank;
}

void TDataSet::WriteBlob(TField* field, const AnsiString& data) {
  if (state_ != dsEdit && state_ != dsInsert) DatabaseError("Dataset not in edit or insert mode");
  if (field->ReadOnly()) DatabaseError("Field '" + field->DisplayName() + "' cannot be modified");
  TRecordBuffer* b = ActiveRecBuf();
  uint16_t no = static_cast<uint16_t>(field->FieldNo());
  Check(BapiTruncateBlob(handle_, b->Data.data(), no, 0), eaWrite);
  if (!data.empty())
    Check(BapiPutBlob(handle_, b->Data.data(), no, 0, static_cast<uint32_t>(data.size()), data.data()), eaWrite);
  if (field->OnValidate) field->OnValidate(field);
  DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
}

TStream* TDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  auto* b = dynamic_cast<TBlobField*>(field);
  if (!b) DatabaseError("Field '" + field->DisplayName() + "' is not a BLOB field");
  return new TBlobStream(b, mode);
}

// ---------------------------------------------------------------------------
// Bookmarks.

TBookmark TDataSet::GetBookmark() {
  if (!Active() || recordCount_ == 0 || state_ == dsInsert) return nullptr;
  TRecordBuffer* b = buffers_[static_cast<size_t>(activeRecord_)].get();
  if (b->Flag != bfCurrent) return nullptr;
  auto* bm = new uint8_t[static_cast<size_t>(bookmarkSize_)];
  std::memcpy(bm, b->Bookmark.data(), static_cast<size_t>(bookmarkSize_));
  return bm;
}

void TDataSet::FreeBookmark(TBookmark bm) { delete[] bm; }

void TDataSet::GotoBookmark(TBookmark bm) {
  if (!bm) return;
  CheckBrowseMode();
  DoBeforeScroll();
  TBapiResult rc = BapiSetToBookMark(handle_, bm);
  if (rc != bapiOk) DatabaseError("Der Datensatz wurde nicht gefunden");
  CursorPosChanged();
  Resync(rmExact | rmCenter);
  DoAfterScroll();
}

bool TDataSet::BookmarkValid(TBookmark bm) {
  if (!bm || !handle_) return false;
  UpdateCursorPos();
  std::vector<uint8_t> here(static_cast<size_t>(bookmarkSize_));
  std::vector<uint8_t> scratch(static_cast<size_t>(recordSize_));
  bool hadPos = BapiGetBookMark(handle_, here.data()) == bapiOk;
  bool ok = BapiSetToBookMark(handle_, bm) == bapiOk &&
            BapiGetRecord(handle_, bapiNoLock, scratch.data(), nullptr) == bapiOk;
  if (hadPos) BapiSetToBookMark(handle_, here.data());
  CursorPosChanged();
  return ok;
}

int TDataSet::CompareBookmarks(TBookmark a, TBookmark b) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  if (!handle_) return 0;
  int16_t r = 0;
  Check(BapiCompareBookMarks(handle_, a, b, r));
  return r;
}

// ---------------------------------------------------------------------------
// Controls and notifications.

void TDataSet::DisableControls() {
  if (disableCount_ == 0) {
    disableState_ = state_;
    enableEvent_ = deDataSetChange;
  }
  ++disableCount_;
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ == 0) {
    if (disableState_ != state_) DataEvent(deUpdateState, 0);
    if (disableState_ != dsInactive && state_ != dsInactive) DataEvent(enableEvent_, 0);
  }
}

void TDataSet::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deFieldChange) {
    auto* f = reinterpret_cast<TField*>(info);
    if (f->FieldKind() == fkData) modified_ = true;
    if (state_ != dsSetKey && AutoCalcFields && (calcFieldCount_ > 0 || OnCalcFields) &&
        !buffers_.empty())
      GetCalcFields(buffers_[static_cast<size_t>(activeRecord_)].get());
  }
  if (disableCount_ == 0) {
    // Copy: a handler may unlink a source.
    std::vector<TDataSource*> sources = dataSources_;
    for (TDataSource* s : sources) s->DataEvent(event, info);
  } else if (event == deLayoutChange || (event == deUpdateState && state_ == dsInactive)) {
    enableEvent_ = deLayoutChange;
  }
  if (event == deFieldChange) {
    auto* f = reinterpret_cast<TField*>(info);
    if (f->OnChange) f->OnChange(f);
  }
}

void TDataSet::AddDataSource(TDataSource* s) {
  if (std::find(dataSources_.begin(), dataSources_.end(), s) == dataSources_.end())
    dataSources_.push_back(s);
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* s) {
  auto it = std::find(dataSources_.begin(), dataSources_.end(), s);
  if (it != dataSources_.end()) dataSources_.erase(it);
  UpdateBufferCount();
}
