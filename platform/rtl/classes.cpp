// TList, TStrings and TStringList.
#include "platform/rtl/classes.h"

#include <algorithm>
#include <numeric>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

namespace {
AnsiString IndexMessage(int index) {
  return CP1252("Listenindex außerhalb des gültigen Bereichs (").str() + IntToStr(index) + ")";
}
[[noreturn]] void ListIndexError(int index) { throw EListError(IndexMessage(index)); }
[[noreturn]] void SortedListError() {
  throw EStringListError("Eine sortierte Liste erlaubt diese Operation nicht");
}
}  // namespace

// ---------------------------------------------------------------------------
void TList::Check(int index) const {
  if (index < 0 || index >= Count()) ListIndexError(index);
}

void TList::SetCount(int n) {
  if (n < 0) ListIndexError(n);
  items_.resize(n, nullptr);
}

void TList::SetCapacity(int n) {
  if (n < Count()) ListIndexError(n);
  items_.reserve(n);
}

void* TList::Get(int index) const {
  Check(index);
  return items_[index];
}

void TList::Put(int index, void* p) {
  Check(index);
  items_[index] = p;
}

int TList::Add(void* p) {
  items_.push_back(p);
  return Count() - 1;
}

void TList::Insert(int index, void* p) {
  if (index < 0 || index > Count()) ListIndexError(index);
  items_.insert(items_.begin() + index, p);
}

void TList::Delete(int index) {
  Check(index);
  items_.erase(items_.begin() + index);
}

int TList::Remove(void* p) {
  int i = IndexOf(p);
  if (i >= 0) Delete(i);
  return i;
}

void* TList::Extract(void* p) {
  return Remove(p) >= 0 ? p : nullptr;
}

int TList::IndexOf(void* p) const {
  auto it = std::find(items_.begin(), items_.end(), p);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Exchange(int i, int j) {
  Check(i);
  Check(j);
  std::swap(items_[i], items_[j]);
}

void TList::Move(int cur, int dest) {
  Check(cur);
  Check(dest);
  void* p = items_[cur];
  items_.erase(items_.begin() + cur);
  items_.insert(items_.begin() + dest, p);
}

void TList::Pack() { items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end()); }

void TList::Sort(const std::function<int(void*, void*)>& compare) {
  std::stable_sort(items_.begin(), items_.end(), [&](void* a, void* b) { return compare(a, b) < 0; });
}

// ---------------------------------------------------------------------------
void TStrings::IndexError(int index) const {
  throw EStringListError(IndexMessage(index));
}

void TStrings::Put(int index, const AnsiString& s) {
  TObject* obj = GetObject(index);
  Delete(index);
  InsertObject(index, s, obj);
}

TObject* TStrings::GetObject(int) const { return nullptr; }
void TStrings::PutObject(int, TObject*) {}

int TStrings::Add(const AnsiString& s) {
  int i = Count();
  Insert(i, s);
  return i;
}

int TStrings::AddObject(const AnsiString& s, TObject* obj) {
  int i = Add(s);
  PutObject(i, obj);
  return i;
}

void TStrings::InsertObject(int index, const AnsiString& s, TObject* obj) {
  Insert(index, s);
  PutObject(index, obj);
}

void TStrings::AddStrings(const TStrings* other) {
  if (!other) return;
  BeginUpdate();
  // EndUpdate runs the OnChange handler, which may raise: no work for a destructor.
  try {
    for (int i = 0, n = other->Count(); i < n; ++i) AddObject(other->Get(i), other->GetObject(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Exchange(int i, int j) {
  BeginUpdate();
  AnsiString si = Get(i);
  TObject* oi = GetObject(i);
  Put(i, Get(j));
  PutObject(i, GetObject(j));
  Put(j, si);
  PutObject(j, oi);
  EndUpdate();
}

void TStrings::Move(int cur, int dest) {
  if (cur == dest) return;
  BeginUpdate();
  AnsiString s = Get(cur);
  TObject* o = GetObject(cur);
  Delete(cur);
  InsertObject(dest, s, o);
  EndUpdate();
}

int TStrings::IndexOf(std::string_view s) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(std::string_view name) const {
  for (int i = 0, n = Count(); i < n; ++i) {
    AnsiString s = Get(i);
    size_t p = s.find('=');
    if (p != AnsiString::npos && CompareStrings(std::string_view(s).substr(0, p), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* obj) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (GetObject(i) == obj) return i;
  return -1;
}

bool TStrings::Equals(const TStrings* other) const {
  if (!other || other->Count() != Count()) return false;
  for (int i = 0, n = Count(); i < n; ++i)
    if (Get(i) != other->Get(i)) return false;
  return true;
}

AnsiString TStrings::Names(int index) const {
  AnsiString s = Get(index);
  size_t p = s.find('=');
  return p == AnsiString::npos ? AnsiString() : s.substr(0, p);
}

AnsiString TStrings::Values(std::string_view name) const {
  int i = IndexOfName(name);
  if (i < 0) return {};
  AnsiString s = Get(i);
  return s.substr(s.find('=') + 1);
}

void TStrings::SetValues(std::string_view name, const AnsiString& value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  AnsiString entry = AnsiString(name) + "=" + value;
  if (i < 0) Add(entry);
  else Put(i, entry);
}

AnsiString TStrings::CommaText() const {
  const int n = Count();
  AnsiString out;
  for (int i = 0; i < n; ++i) {
    AnsiString s = Get(i);
    // An empty last entry is quoted: a bare trailing comma would read back
    // as nothing and the entry would be lost.
    bool quote = (s.empty() && i == n - 1) || std::any_of(s.begin(), s.end(), [](char c) {
      return static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',';
    });
    if (quote) {
      AnsiString q = "\"";
      for (char c : s) {
        if (c == '"') q += '"';
        q += c;
      }
      s = q + "\"";
    }
    if (i > 0) out += ',';
    out += s;
  }
  return out;
}

void TStrings::SetCommaText(std::string_view text) {
  // NUL counts as a blank too, so that every pass of the loop moves on.
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  BeginUpdate();
  // EndUpdate runs the OnChange handler, which may raise: no work for a destructor.
  try {
    Clear();
    size_t p = 0;
    const size_t n = text.size();
    while (p < n && blank(text[p])) ++p;
    while (p < n) {
      AnsiString s;
      if (text[p] == '"') {
        ++p;
        while (p < n) {
          if (text[p] == '"') {
            if (p + 1 < n && text[p + 1] == '"') {
              s += '"';
              p += 2;
              continue;
            }
            ++p;
            break;
          }
          s += text[p++];
        }
      } else {
        size_t start = p;
        while (p < n && static_cast<unsigned char>(text[p]) > ' ' && text[p] != ',') ++p;
        s = AnsiString(text.substr(start, p - start));
      }
      Add(s);
      while (p < n && blank(text[p])) ++p;
      if (p < n && text[p] == ',') {
        do ++p;
        while (p < n && blank(text[p]));
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

AnsiString TStrings::Text() const {
  AnsiString out;
  for (int i = 0, n = Count(); i < n; ++i) {
    out += Get(i);
    out += "\r\n";
  }
  return out;
}

void TStrings::SetText(std::string_view text) {
  BeginUpdate();
  // EndUpdate runs the OnChange handler, which may raise: no work for a destructor.
  try {
    Clear();
    size_t p = 0;
    const size_t n = text.size();
    while (p < n) {
      size_t start = p;
      while (p < n && text[p] != '\r' && text[p] != '\n') ++p;
      Add(AnsiString(text.substr(start, p - start)));
      if (p < n && text[p] == '\r') ++p;
      if (p < n && text[p] == '\n') ++p;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::LoadFromFile(const AnsiString& fileName) {
  TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

void TStrings::SaveToFile(const AnsiString& fileName) const {
  TFileStream f(fileName, fmCreate);
  SaveToStream(&f);
}

void TStrings::LoadFromStream(TStream* stream) {
  int64_t n = stream->Size() - stream->Position();
  AnsiString buf;
  if (n > 0) {
    if (n > INT32_MAX) throw EOutOfMemory(kOutOfMemoryText);
    buf.resize(static_cast<size_t>(n));
    buf.resize(static_cast<size_t>(stream->Read(buf.data(), static_cast<int>(n))));
  }
  SetText(buf);
}

void TStrings::SaveToStream(TStream* stream) const {
  AnsiString t = Text();
  stream->WriteBuffer(t.data(), static_cast<int>(t.size()));
}

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(std::string_view a, std::string_view b) const {
  return AnsiCompareText(a, b);
}

void TStrings::Assign(const TPersistent* source) {
  if (auto* src = dynamic_cast<const TStrings*>(source)) {
    if (src == this) return;
    BeginUpdate();
    // EndUpdate runs the OnChange handler, which may raise: no work for a destructor.
    try {
      Clear();
      AddStrings(src);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  TPersistent::Assign(source);
}

TStrings* GetStringsProp(const TObject* obj, std::string_view name) {
  return dynamic_cast<TStrings*>(GetObjectProp(obj, name));
}

// ---------------------------------------------------------------------------
void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating) Changing();
  else Changed();
}

int TStringList::CompareStrings(std::string_view a, std::string_view b) const {
  return caseSensitive_ ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

AnsiString TStringList::Get(int index) const {
  if (index < 0 || index >= Count()) IndexError(index);
  return items_[index].s;
}

void TStringList::Put(int index, const AnsiString& s) {
  if (sorted_) SortedListError();
  if (index < 0 || index >= Count()) IndexError(index);
  Changing();
  items_[index].s = s;
  Changed();
}

TObject* TStringList::GetObject(int index) const {
  if (index < 0 || index >= Count()) IndexError(index);
  return items_[index].obj;
}

void TStringList::PutObject(int index, TObject* obj) {
  if (index < 0 || index >= Count()) IndexError(index);
  Changing();
  items_[index].obj = obj;
  Changed();
}

void TStringList::InsertItem(int index, const AnsiString& s, TObject* obj) {
  Changing();
  items_.insert(items_.begin() + index, Item{s, obj});
  Changed();
}

void TStringList::Insert(int index, const AnsiString& s) {
  if (sorted_) SortedListError();
  if (index < 0 || index > Count()) IndexError(index);
  InsertItem(index, s, nullptr);
}

int TStringList::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const AnsiString& s, TObject* obj) {
  int index = Count();
  if (sorted_ && Find(s, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) throw EStringListError("Die Liste erlaubt keine doppelten Texte");
  }
  InsertItem(index, s, obj);
  return index;
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= Count()) IndexError(index);
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

void TStringList::Exchange(int i, int j) {
  if (i < 0 || i >= Count()) IndexError(i);
  if (j < 0 || j >= Count()) IndexError(j);
  Changing();
  std::swap(items_[i], items_[j]);
  Changed();
}

void TStringList::Move(int cur, int dest) {
  if (sorted_) SortedListError();
  if (cur < 0 || cur >= Count()) IndexError(cur);
  if (dest < 0 || dest >= Count()) IndexError(dest);
  if (cur == dest) return;
  Changing();
  Item it = std::move(items_[cur]);
  items_.erase(items_.begin() + cur);
  items_.insert(items_.begin() + dest, std::move(it));
  Changed();
}

int TStringList::IndexOf(std::string_view s) const {
  if (!sorted_) return TStrings::IndexOf(s);
  int i;
  return Find(s, i) ? i : -1;
}

bool TStringList::Find(std::string_view s, int& index) const {
  bool found = false;
  int lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    int mid = lo + (hi - lo) / 2;
    int c = CompareStrings(items_[mid].s, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TStringList::Sort() {
  if (items_.size() < 2) return;
  Changing();
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const Item& a, const Item& b) { return CompareStrings(a.s, b.s) < 0; });
  Changed();
}

void TStringList::CustomSort(const std::function<int(const TStringList*, int, int)>& compare) {
  if (items_.size() < 2) return;
  std::vector<int> order(items_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(this, a, b) < 0; });
  Changing();
  std::vector<Item> sorted;
  sorted.reserve(items_.size());
  for (int i : order) sorted.push_back(std::move(items_[i]));
  items_ = std::move(sorted);
  Changed();
}

void TStringList::SetSorted(bool v) {
  if (v == sorted_) return;
  if (v) Sort();
  sorted_ = v;
}

void TStringList::SetCaseSensitive(bool v) {
  if (v == caseSensitive_) return;
  caseSensitive_ = v;
  if (sorted_) Sort();
}
