// Fields: typed access to one value of the dataset's active record buffer,
// its text forms, and BLOB fields with their streams. A data field reads and
// writes the call-level representation of its type; calculated and lookup
// fields keep their values beside the record in the buffer.
#include <cmath>
#include <cstring>

#include "platform/db/db.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr size_t kValueBuffer = 264;  // a short string of 255 characters and its zero

enum class Family { Text, Integer, Boolean, Float, Date, Time, DateTime, Blob, Unknown };

Family FamilyOf(TFieldType t) {
  switch (t) {
    case ftString: return Family::Text;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc: return Family::Integer;
    case ftBoolean: return Family::Boolean;
    case ftFloat:
    case ftCurrency:
    case ftBCD: return Family::Float;
    case ftDate: return Family::Date;
    case ftTime: return Family::Time;
    case ftDateTime: return Family::DateTime;
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle: return Family::Blob;
    default: return Family::Unknown;
  }
}

const char* TypeName(TFieldType t) {
  static const char* names[] = {"Unknown", "String", "SmallInt", "Integer", "Word", "Boolean",
                                "Float", "Currency", "BCD", "Date", "Time", "DateTime",
                                "AutoInc", "Blob", "Memo", "Graphic", "FmtMemo", "ParadoxOle"};
  return names[t];
}

// Engine dates are day numbers; times milliseconds; date-times milliseconds
// on the day numbers.
TDateTime FromEngineDate(int32_t days) { return static_cast<double>(days) - DateDelta; }
int32_t ToEngineDate(TDateTime v) { return static_cast<int32_t>(std::floor(v)) + DateDelta; }
TDateTime FromEngineTime(int32_t ms) { return ms / static_cast<double>(MSecsPerDay); }
int32_t ToEngineTime(TDateTime v) {
  double f = std::fabs(v - std::trunc(v));
  return static_cast<int32_t>(std::llround(f * MSecsPerDay)) % MSecsPerDay;
}
TDateTime FromEngineStamp(double ms) { return ms / MSecsPerDay - DateDelta; }
double ToEngineStamp(TDateTime v) { return std::round((v + DateDelta) * MSecsPerDay); }

}  // namespace

// ---------------------------------------------------------------------------
// TField.

void TField::PublishProperties(TClassInfo& ci) {
  PublishString<TField>(ci, "FieldName", &TField::FieldName, &TField::SetFieldName);
  PublishString<TField>(ci, "DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel);
  PublishInteger<TField>(ci, "DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth);
  PublishBool<TField>(ci, "Visible", &TField::Visible, &TField::SetVisible);
  PublishBool<TField>(ci, "ReadOnly", &TField::ReadOnly, &TField::SetReadOnly);
  PublishBool<TField>(ci, "Required", &TField::Required, &TField::SetRequired);
  PublishBool<TField>(ci, "Calculated", &TField::Calculated, &TField::SetCalculated);
  PublishBool<TField>(ci, "Lookup", &TField::Lookup, &TField::SetLookup);
  PublishBool<TField>(ci, "Transliterate", &TField::Transliterate, &TField::SetTransliterate);
  PublishString<TField>(ci, "EditMask", &TField::EditMask, &TField::SetEditMask);
  PublishEvent<TField>(ci, "OnChange", &TField::OnChange);
  PublishEvent<TField>(ci, "OnValidate", &TField::OnValidate);
  PublishEvent<TField>(ci, "OnGetText", &TField::OnGetText);
  PublishEvent<TField>(ci, "OnSetText", &TField::OnSetText);
}

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::~TField() {
  if (dataSet_) dataSet_->UnregisterField(this);
}

void TField::SetDataSet(TDataSet* ds) {
  if (ds == dataSet_) return;
  if (ds && ds->Active()) DatabaseError("Cannot perform this operation on an open dataset");
  if (dataSet_) {
    if (dataSet_->Active()) DatabaseError("Cannot perform this operation on an open dataset");
    dataSet_->UnregisterField(this);
  }
  dataSet_ = nullptr;
  if (ds) {
    ds->RegisterField(this);
    dataSet_ = ds;
  }
}

void TField::SetFieldName(const AnsiString& v) {
  if (dataSet_ && dataSet_->Active()) DatabaseError("Cannot perform this operation on an open dataset");
  fieldName_ = v;
}

void TField::SetSize(int v) {
  if (dataSet_ && dataSet_->Active()) DatabaseError("Cannot perform this operation on an open dataset");
  size_ = v;
}

void TField::SetFieldKind(TFieldKind k) {
  if (dataSet_ && dataSet_->Active()) DatabaseError("Cannot perform this operation on an open dataset");
  fieldKind_ = k;
}

int TField::Index() const {
  if (!dataSet_) return -1;
  for (int i = 0; i < dataSet_->FieldCount(); ++i)
    if (dataSet_->Fields(i) == this) return i;
  return -1;
}

void TField::SetIndex(int v) {
  if (dataSet_) dataSet_->MoveField(this, v);
}

void TField::SetDisplayLabel(const AnsiString& v) {
  if (v == displayLabel_) return;
  displayLabel_ = v == fieldName_ ? AnsiString() : v;
  if (dataSet_) dataSet_->DataEvent(deLayoutChange, 0);
}

int TField::DisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : DefaultDisplayWidth(); }

void TField::SetDisplayWidth(int v) {
  if (v == displayWidth_) return;
  displayWidth_ = v;
  if (dataSet_) dataSet_->DataEvent(deLayoutChange, 0);
}

void TField::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  if (dataSet_) dataSet_->DataEvent(deLayoutChange, 0);
}

void TField::SetAlignment(TAlignment v) {
  if (v == alignment_) return;
  alignment_ = v;
  if (dataSet_) dataSet_->DataEvent(deLayoutChange, 0);
}

void TField::SetLookupDataSet(TDataSet* v) {
  if (v == dataSet_ && v) DatabaseError("Circular lookup reference for field '" + DisplayName() + "'");
  lookupDataSet_ = v;
}

bool TField::CanModify() const {
  return !readOnly_ && fieldKind_ == fkData && dataSet_ && dataSet_->Active() &&
         dataSet_->CanModify();
}

bool TField::IsIndexField() const { return dataSet_ && dataSet_->IsIndexField(this); }

void TField::Bind(const TFieldDef* def) {
  if (!def) {
    if (fieldKind_ == fkData) fieldNo_ = 0;
    calcSlot_ = -1;
    return;
  }
  if (dataType_ != ftUnknown && FamilyOf(dataType_) != FamilyOf(def->DataType))
    DatabaseError("Type mismatch for field '" + DisplayName() + "', expecting: " + TypeName(dataType_) +
                  " actual: " + TypeName(def->DataType));
  if (dataType_ == ftUnknown || FamilyOf(dataType_) == Family::Blob) dataType_ = def->DataType;
  fieldNo_ = def->FieldNo;
  if (def->DataType == ftString) size_ = def->Size;
  if (def->Required) required_ = true;
  bapiType_ = def->BapiType;
  engineType_ = def->EngineType;
  if (auto* i = dynamic_cast<TIntegerField*>(this)) {
    switch (engineType_) {
      case fftByte: i->SetRange(0, 255); break;
      case fftWord16: i->SetRange(0, 65535); break;
      case fftInt8: i->SetRange(-128, 127); break;
      case fftInt16: i->SetRange(-32768, 32767); break;
      case fftWord32: i->SetRange(0, 4294967295LL); break;
      default: i->SetRange(INT32_MIN, INT32_MAX); break;
    }
  }
}

[[noreturn]] void TField::RaiseAccessError(const char* typeName) const {
  DatabaseError("Cannot access field '" + DisplayName() + "' as type " + typeName);
}

Variant TField::GetNative() const {
  if (!dataSet_) return Variant();
  if (fieldKind_ != fkData) return dataSet_->GetCalcValue(this);
  if (FamilyOf(dataType_) == Family::Blob) {
    if (dataSet_->BlobIsEmpty(this)) return Variant();
    return Variant(dataSet_->ReadBlob(this));
  }
  alignas(8) uint8_t buf[kValueBuffer] = {};
  if (!dataSet_->GetFieldData(this, buf)) return Variant();
  auto load = [&](auto v) {
    std::memcpy(&v, buf, sizeof v);
    return v;
  };
  switch (bapiType_) {
    case bapiFldString: return Variant(AnsiString(reinterpret_cast<const char*>(buf)));
    case bapiFldBool: return Variant(load(int16_t()) != 0);
    case bapiFldInt16: return Variant(static_cast<int>(load(int16_t())));
    case bapiFldUInt16: return Variant(static_cast<int>(load(uint16_t())));
    case bapiFldInt32:
    case bapiFldAutoInc: return Variant(static_cast<int>(load(int32_t())));
    case bapiFldUInt32: return Variant(static_cast<long long>(load(uint32_t())));
    case bapiFldFloat:
    case bapiFldCurrency: return Variant(load(double()));
    case bapiFldDate: return Variant::FromDateTime(FromEngineDate(load(int32_t())));
    case bapiFldTime: return Variant::FromDateTime(FromEngineTime(load(int32_t())));
    case bapiFldTimeStamp: return Variant::FromDateTime(FromEngineStamp(load(double())));
    default: return Variant();
  }
}

void TField::SetNative(const Variant& v) {
  if (!dataSet_) DatabaseError("Field '" + DisplayName() + "' has no dataset");
  if (fieldKind_ != fkData) {
    dataSet_->SetCalcValue(this, v);
    return;
  }
  if (FamilyOf(dataType_) == Family::Blob) {
    dataSet_->WriteBlob(this, v.AsString());
    return;
  }
  if (v.IsNull()) {
    dataSet_->SetFieldData(this, nullptr);
    return;
  }
  alignas(8) uint8_t buf[kValueBuffer] = {};
  auto store = [&](auto x) { std::memcpy(buf, &x, sizeof x); };
  switch (bapiType_) {
    case bapiFldString: {
      AnsiString s = v.AsString();
      if (size_ > 0 && static_cast<int>(s.size()) > size_) s.resize(static_cast<size_t>(size_));
      if (s.empty()) {
        dataSet_->SetFieldData(this, nullptr);
        return;
      }
      std::memcpy(buf, s.data(), std::min(s.size(), kValueBuffer - 1));
      break;
    }
    case bapiFldBool: store(static_cast<int16_t>(v.AsBoolean() ? 1 : 0)); break;
    case bapiFldInt16:
    case bapiFldUInt16:
    case bapiFldInt32:
    case bapiFldAutoInc:
    case bapiFldUInt32: {
      int64_t x = v.AsInteger();
      if (auto* f = dynamic_cast<TIntegerField*>(this); f && (x < f->MinValue() || x > f->MaxValue()))
        throw ERangeError(IntToStr(x) + CP1252(" ist kein gültiger Wert für das Feld \"").str() + DisplayName() +
                          CP1252("\". Zulässig sind ").str() + IntToStr(f->MinValue()) + " bis " +
                          IntToStr(f->MaxValue()) + ".");
      if (bapiType_ == bapiFldInt16) store(static_cast<int16_t>(x));
      else if (bapiType_ == bapiFldUInt16) store(static_cast<uint16_t>(x));
      else if (bapiType_ == bapiFldUInt32) store(static_cast<uint32_t>(x));
      else store(static_cast<int32_t>(x));
      break;
    }
    case bapiFldFloat:
    case bapiFldCurrency: store(v.AsFloat()); break;
    case bapiFldDate: store(ToEngineDate(v.AsDateTime())); break;
    case bapiFldTime: store(ToEngineTime(v.AsDateTime())); break;
    case bapiFldTimeStamp: store(ToEngineStamp(v.AsDateTime())); break;
    default: DatabaseError("Field '" + DisplayName() + "' is not bound to the table");
  }
  dataSet_->SetFieldData(this, buf);
}

bool TField::IsNull() const { return GetNative().IsNull(); }
void TField::Clear() { SetNative(Variant()); }
Variant TField::Value() const { return GetNative(); }

void TField::SetValue(const Variant& v) {
  switch (v.VarType()) {
    case Variant::varNull: Clear(); break;
    case Variant::varBoolean: SetAsBoolean(v.AsBoolean()); break;
    case Variant::varInteger: {
      int64_t x = v.AsInteger();
      if (x < INT32_MIN || x > INT32_MAX) SetNative(v);
      else SetAsInteger(static_cast<int>(x));
      break;
    }
    case Variant::varDouble: SetAsFloat(v.AsFloat()); break;
    case Variant::varDate: SetAsDateTime(v.AsDateTime()); break;
    case Variant::varString: SetAsString(v.AsString()); break;
  }
}

AnsiString TField::AsString() const { return GetNative().AsString(); }
void TField::SetAsString(const AnsiString& v) { SetNative(v.empty() ? Variant() : Variant(v)); }
int TField::AsInteger() const { return static_cast<int>(GetNative().AsInteger()); }
void TField::SetAsInteger(int v) { SetNative(Variant(v)); }
double TField::AsFloat() const { return GetNative().AsFloat(); }
void TField::SetAsFloat(double v) { SetNative(Variant(v)); }
bool TField::AsBoolean() const { return GetNative().AsBoolean(); }
void TField::SetAsBoolean(bool v) { SetNative(Variant(v)); }
TDateTime TField::AsDateTime() const { return GetNative().AsDateTime(); }
void TField::SetAsDateTime(TDateTime v) { SetNative(Variant::FromDateTime(v)); }

void TField::AssignField(const TField* source) {
  if (!source || source->IsNull()) {
    Clear();
    return;
  }
  SetValue(source->Value());
}

AnsiString TField::GetText(bool) const { return AsString(); }

AnsiString TField::GetTextFor(bool displayText) const {
  if (OnGetText) {
    AnsiString text;
    OnGetText(const_cast<TField*>(this), text, displayText);
    return text;
  }
  return GetText(displayText);
}

void TField::SetText(const AnsiString& v) {
  if (OnSetText)
    OnSetText(this, v);
  else
    SetAsString(v);
}

bool TField::IsValidChar(char) const { return true; }

void TField::FocusControl() {
  if (!dataSet_ || !dataSet_->Active()) return;
  TField* ref = this;
  dataSet_->DataEvent(deFocusControl, reinterpret_cast<intptr_t>(&ref));
}

void TField::CalcLookupValue() {
  if (!lookupDataSet_ || !lookupDataSet_->Active() || !dataSet_) return;
  std::vector<Variant> keys;
  size_t start = 0;
  const AnsiString& names = keyFields_;
  while (start <= names.size()) {
    size_t p = names.find(';', start);
    if (p == AnsiString::npos) p = names.size();
    AnsiString n = Trim(std::string_view(names).substr(start, p - start));
    if (!n.empty()) keys.push_back(dataSet_->FieldByName(n)->Value());
    start = p + 1;
  }
  if (keys.empty()) return;
  for (const Variant& k : keys)
    if (k.IsNull()) return;
  dataSet_->SetCalcValue(this, lookupDataSet_->Lookup(lookupKeyFields_, keys, lookupResultField_));
}

// ---------------------------------------------------------------------------
// String fields.

TStringField::TStringField(TComponent* owner) : TField(owner) {
  SetDataType(ftString);
  SetSize(20);
}

AnsiString TStringField::IntToStrHelper(int v) { return IntToStr(v); }

AnsiString TStringField::AsString() const { return GetNative().AsString(); }

void TStringField::SetAsString(const AnsiString& v) {
  // Longer text is cut to the field's size without a word.
  AnsiString s = v;
  if (Size() > 0 && static_cast<int>(s.size()) > Size()) s.resize(static_cast<size_t>(Size()));
  SetNative(s.empty() ? Variant() : Variant(s));
}

int TStringField::AsInteger() const {
  AnsiString s = AsString();
  return s.empty() ? 0 : StrToInt(s);
}

double TStringField::AsFloat() const {
  AnsiString s = AsString();
  return s.empty() ? 0 : StrToFloat(s);
}

bool TStringField::AsBoolean() const {
  AnsiString s = UpperCase(AsString());
  return !s.empty() && (s[0] == 'T' || s[0] == 'Y' || s[0] == 'J');
}

TDateTime TStringField::AsDateTime() const {
  AnsiString s = AsString();
  return s.empty() ? 0 : StrToDateTime(s);
}

// ---------------------------------------------------------------------------
// Integer fields.

TIntegerField::TIntegerField(TComponent* owner) : TField(owner) {
  SetDataType(ftInteger);
  SetAlignment(taRightJustify);
}

AnsiString TIntegerField::AsString() const {
  Variant v = GetNative();
  return v.IsNull() ? AnsiString() : IntToStr(v.AsInteger());
}

void TIntegerField::SetAsString(const AnsiString& v) {
  AnsiString s = Trim(v);
  if (s.empty()) {
    Clear();
    return;
  }
  int64_t x;
  if (!TryStrToInt64(s, x)) RaiseConvertError(v, TConvertKind::Integer);
  SetNative(Variant(static_cast<long long>(x)));
}

int TIntegerField::AsInteger() const { return static_cast<int>(GetNative().AsInteger()); }
void TIntegerField::SetAsInteger(int v) { SetNative(Variant(v)); }

void TIntegerField::SetAsFloat(double v) {
  if (!std::isfinite(v)) RaiseRangeError();
  SetNative(Variant(static_cast<long long>(Round(v))));
}

bool TIntegerField::IsValidChar(char c) const { return IsDigit(c) || c == '+' || c == '-'; }

AnsiString TIntegerField::GetText(bool displayText) const {
  Variant v = GetNative();
  if (v.IsNull()) return AnsiString();
  if (displayText && !displayFormat_.empty())
    return FormatFloat(displayFormat_, static_cast<double>(v.AsInteger()));
  return IntToStr(v.AsInteger());
}

TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftSmallint);
  SetRange(-32768, 32767);
}

TWordField::TWordField(TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftWord);
  SetRange(0, 65535);
}

TAutoIncField::TAutoIncField(TComponent* owner) : TIntegerField(owner) { SetDataType(ftAutoInc); }

// ---------------------------------------------------------------------------
// Boolean fields.

TBooleanField::TBooleanField(TComponent* owner) : TField(owner) { SetDataType(ftBoolean); }

AnsiString TBooleanField::TrueText() const {
  size_t p = displayValues_.find(';');
  return p == AnsiString::npos ? displayValues_ : displayValues_.substr(0, p);
}

AnsiString TBooleanField::FalseText() const {
  size_t p = displayValues_.find(';');
  return p == AnsiString::npos ? AnsiString() : displayValues_.substr(p + 1);
}

AnsiString TBooleanField::AsString() const {
  Variant v = GetNative();
  if (v.IsNull()) return AnsiString();
  return v.AsBoolean() ? TrueText() : FalseText();
}

void TBooleanField::SetAsString(const AnsiString& v) {
  AnsiString s = Trim(v);
  if (s.empty()) {
    Clear();
    return;
  }
  auto starts = [&](const AnsiString& full) {
    return !full.empty() && s.size() <= full.size() && SameText(full.substr(0, s.size()), s);
  };
  if (starts(TrueText()))
    SetAsBoolean(true);
  else if (starts(FalseText()))
    SetAsBoolean(false);
  else
    RaiseConvertError(v, TConvertKind::Boolean);
}

bool TBooleanField::AsBoolean() const {
  Variant v = GetNative();
  return !v.IsNull() && v.AsBoolean();
}

void TBooleanField::SetAsBoolean(bool v) { SetNative(Variant(v)); }

// ---------------------------------------------------------------------------
// Float fields.

TFloatField::TFloatField(TComponent* owner) : TField(owner) {
  SetDataType(ftFloat);
  SetAlignment(taRightJustify);
}

AnsiString TFloatField::AsString() const {
  Variant v = GetNative();
  return v.IsNull() ? AnsiString() : FloatToStr(v.AsFloat());
}

void TFloatField::SetAsString(const AnsiString& v) {
  AnsiString s = Trim(v);
  if (s.empty()) {
    Clear();
    return;
  }
  double x;
  if (!TryStrToFloat(s, x)) RaiseConvertError(v, TConvertKind::Float);
  SetAsFloat(x);
}

double TFloatField::AsFloat() const { return GetNative().AsFloat(); }

void TFloatField::SetAsFloat(double v) {
  if (!std::isfinite(v)) RaiseConvertError(FloatToStr(v), TConvertKind::Float);
  SetNative(Variant(v));
}

int TFloatField::AsInteger() const { return static_cast<int>(Round(AsFloat())); }

bool TFloatField::IsValidChar(char c) const {
  return IsDigit(c) || c == '+' || c == '-' || c == DecimalSeparator || c == '.' || c == ',' ||
         c == 'E' || c == 'e';
}

AnsiString TFloatField::GetText(bool displayText) const {
  Variant v = GetNative();
  if (v.IsNull()) return AnsiString();
  double x = v.AsFloat();
  const AnsiString& fmt = displayText ? displayFormat_ : editFormat_;
  if (!fmt.empty()) return FormatFloat(fmt, x);
  if (displayText && currency_) return FormatFloat("#,##0.00", x);
  return FloatToStr(x);
}

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner) {
  SetDataType(ftCurrency);
  SetCurrency(true);
}

TBCDField::TBCDField(TComponent* owner) : TFloatField(owner) { SetDataType(ftBCD); }

// ---------------------------------------------------------------------------
// Date and time fields.

TDateTimeField::TDateTimeField(TComponent* owner) : TField(owner) { SetDataType(ftDateTime); }

// A date or a time field names what it holds when the text is none.
TDateTime TDateTimeField::ParseText(const AnsiString& s) const {
  if (DataType() == ftDateTime) return StrToDateTime(s);
  TDateTime r = 0;
  if (!TryStrToDateTime(s, r)) RaiseConvertError(s, DataType() == ftDate ? TConvertKind::Date : TConvertKind::Time);
  return r;
}

AnsiString TDateTimeField::AsString() const {
  Variant v = GetNative();
  return v.IsNull() ? AnsiString() : FormatValue(v.AsDateTime());
}

void TDateTimeField::SetAsString(const AnsiString& v) {
  AnsiString s = Trim(v);
  if (s.empty()) {
    Clear();
    return;
  }
  SetAsDateTime(ParseText(s));
}

TDateTime TDateTimeField::AsDateTime() const {
  Variant v = GetNative();
  return v.IsNull() ? 0 : v.AsDateTime();
}

void TDateTimeField::SetAsDateTime(TDateTime v) { SetNative(Variant::FromDateTime(v)); }

AnsiString TDateTimeField::GetText(bool displayText) const {
  Variant v = GetNative();
  if (v.IsNull()) return AnsiString();
  if (displayText && !displayFormat_.empty()) return FormatDateTime(displayFormat_, v.AsDateTime());
  return FormatValue(v.AsDateTime());
}

TDateField::TDateField(TComponent* owner) : TDateTimeField(owner) { SetDataType(ftDate); }
TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner) { SetDataType(ftTime); }

// ---------------------------------------------------------------------------
// BLOB fields.

TBlobField::TBlobField(TComponent* owner) : TField(owner) { SetDataType(ftBlob); }

AnsiString TBlobField::BlobData() const {
  if (!DataSet() || FieldKind() != fkData) return GetNative().AsString();
  if (DataSet()->BlobIsEmpty(this)) return AnsiString();
  return DataSet()->ReadBlob(this);
}

void TBlobField::SetBlobData(const AnsiString& data) { SetNative(Variant(data)); }

int TBlobField::BlobSize() const { return static_cast<int>(BlobData().size()); }

void TBlobField::LoadFromStream(TStream* stream) {
  stream->SetPosition(0);
  AnsiString data(static_cast<size_t>(stream->Size()), '\0');
  if (!data.empty()) data.resize(static_cast<size_t>(stream->Read(data.data(), static_cast<int>(data.size()))));
  SetBlobData(data);
}

void TBlobField::SaveToStream(TStream* stream) const {
  AnsiString data = BlobData();
  if (!data.empty()) stream->WriteBuffer(data.data(), static_cast<int>(data.size()));
}

void TBlobField::LoadFromFile(const AnsiString& fileName) {
  TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

void TBlobField::SaveToFile(const AnsiString& fileName) const {
  TFileStream f(fileName, fmCreate);
  SaveToStream(&f);
}

AnsiString TBlobField::GetText(bool) const {
  AnsiString name = KindName();
  if (!IsNull()) name = UpperCase(name);
  return "(" + name + ")";
}

TMemoField::TMemoField(TComponent* owner) : TBlobField(owner) { SetDataType(ftMemo); }
TGraphicField::TGraphicField(TComponent* owner) : TBlobField(owner) { SetDataType(ftGraphic); }

// ---------------------------------------------------------------------------
// BLOB streams.

TBlobStream::TBlobStream(TBlobField* field, TBlobStreamMode mode) : field_(field), mode_(mode) {
  if (mode != bmRead) {
    TDataSetState s = field->DataSet() ? field->DataSet()->State() : dsInactive;
    if (s != dsEdit && s != dsInsert) DatabaseError("Dataset not in edit or insert mode");
  }
  if (mode != bmWrite) data_ = field->BlobData();
  if (mode == bmWrite) modified_ = true;
}

TBlobStream::~TBlobStream() {
  try {
    Commit();
  } catch (...) {
    // A destructor must not throw; Commit() reports failures to callers
    // who call it themselves.
  }
}

void TBlobStream::Commit() {
  if (!modified_ || mode_ == bmRead) return;
  modified_ = false;
  field_->SetBlobData(data_);
}

int TBlobStream::Read(void* buffer, int count) {
  if (count <= 0 || pos_ >= static_cast<int64_t>(data_.size())) return 0;
  int n = static_cast<int>(std::min<int64_t>(count, static_cast<int64_t>(data_.size()) - pos_));
  std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
  pos_ += n;
  return n;
}

int TBlobStream::Write(const void* buffer, int count) {
  if (mode_ == bmRead) throw EWriteError("Stream write error");
  if (count <= 0) return 0;
  size_t end = static_cast<size_t>(pos_) + static_cast<size_t>(count);
  if (end > data_.size()) data_.resize(end, '\0');
  std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
  pos_ += count;
  modified_ = true;
  return count;
}

int64_t TBlobStream::Seek(int64_t offset, int origin) {
  pos_ = SeekTarget(offset, origin, pos_, static_cast<int64_t>(data_.size()));
  return pos_;
}

void TBlobStream::SetSize(int64_t size) {
  if (mode_ == bmRead) throw EWriteError("Stream write error");
  data_.resize(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
  if (pos_ > size) pos_ = size;
  modified_ = true;
}
