// Field and index definitions of a dataset, as the call-level interface
// describes its table, and the field-name lists that name them.
#include "platform/db/db.h"
#include "platform/db/db_internal.h"
#include "platform/rtl/sysutils.h"

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
