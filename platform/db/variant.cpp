// Variant: the value of a key or a lookup, converted on demand.
#include "platform/db/db.h"
#include "platform/rtl/sysutils.h"

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
