// Lists: TList of pointers, the abstract string list TStrings and
// TStringList.
//
// Indexes count from 0; an index outside the list raises EListError
// ("List index out of bounds (n)") or, for string lists, EStringListError.
// Strings are Windows-1252. A string list compares with letter case ignored
// (Windows-1252 letters included) unless CaseSensitive is set; a sorted list
// stays sorted by that comparison, refuses Insert/Put/Move and treats
// duplicates as Duplicates says. The objects attached to entries are not
// owned by the list.
#pragma once

#include <functional>
#include <vector>

#include "platform/rtl/components.h"
#include "platform/rtl/streams.h"

class TList : public TObject {
  ORV_CLASS(TList, TObject)
  TList() = default;
  int Count() const { return static_cast<int>(items_.size()); }
  void SetCount(int n);  // new entries are null
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int n);
  void* Get(int index) const;
  void* Items(int index) const { return Get(index); }
  void Put(int index, void* p);
  int Add(void* p);
  void Insert(int index, void* p);  // index == Count appends
  void Delete(int index);
  int Remove(void* p);   // index it had, -1 when absent
  void* Extract(void* p);  // removes and answers it, or null
  int IndexOf(void* p) const;
  void Exchange(int i, int j);
  void Move(int cur, int dest);
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
  void Pack();  // drops null entries
  virtual void Clear() { items_.clear(); }
  // Negative, 0 or positive like a comparison; stable.
  void Sort(const std::function<int(void*, void*)>& compare);
  void** List() { return items_.data(); }

private:
  void Check(int index) const;
  std::vector<void*> items_;
};

class TStrings : public TPersistent {
  ORV_CLASS(TStrings, TPersistent)
  // The list's own primitives.
  virtual int Count() const = 0;
  virtual AnsiString Get(int index) const = 0;
  virtual void Put(int index, const AnsiString& s);
  virtual TObject* GetObject(int index) const;
  virtual void PutObject(int index, TObject* obj);
  virtual void Insert(int index, const AnsiString& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  AnsiString Strings(int index) const { return Get(index); }
  void SetStrings(int index, const AnsiString& s) { Put(index, s); }
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, TObject* obj) { PutObject(index, obj); }

  virtual int Add(const AnsiString& s);
  virtual int AddObject(const AnsiString& s, TObject* obj);
  void Append(const AnsiString& s) { Add(s); }
  void InsertObject(int index, const AnsiString& s, TObject* obj);
  virtual void AddStrings(const TStrings* other);
  virtual void Exchange(int i, int j);
  virtual void Move(int cur, int dest);
  virtual int IndexOf(std::string_view s) const;
  int IndexOfName(std::string_view name) const;
  int IndexOfObject(const TObject* obj) const;
  bool Equals(const TStrings* other) const;

  // Entries "name=value": Names(i) is the text before the first "=" (empty
  // when there is none), Values(name) the text after it of the first entry
  // with that name (empty when none). SetValues replaces or adds the entry,
  // and deletes it for an empty value.
  AnsiString Names(int index) const;
  AnsiString Values(std::string_view name) const;
  void SetValues(std::string_view name, const AnsiString& value);

  // Comma text: entries separated by commas; an entry holding a blank, a
  // control character, a comma or a double quote is quoted with double
  // quotes (inner quotes doubled), and so is an empty last entry. Reading
  // also splits at blanks outside quotes.
  AnsiString CommaText() const;
  void SetCommaText(std::string_view text);
  // Every entry followed by CR LF. Setting splits at CR LF, CR or LF.
  AnsiString Text() const;
  virtual void SetText(std::string_view text);

  // Windows-1252 bytes as they stand in the file.
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;
  // Virtual, so that a list that holds more than lines of text (a rich
  // text) reads and writes its own format through these and the file forms.
  virtual void LoadFromStream(TStream* stream);  // from the position to the end
  virtual void SaveToStream(TStream* stream) const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  void Assign(const TPersistent* source) override;

protected:
  // Called when the update count leaves or reaches 0.
  virtual void SetUpdateState(bool updating);
  virtual int CompareStrings(std::string_view a, std::string_view b) const;
  [[noreturn]] void IndexError(int index) const;

private:
  int updateCount_ = 0;
};

// A published string-list property (an object property whose object is a
// TStrings), or null when the property is missing or holds something else.
TStrings* GetStringsProp(const TObject* obj, std::string_view name);

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Horizontal alignment of a text: shared by controls and by fields.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TStringList : public TStrings {
  ORV_CLASS(TStringList, TStrings)
  TStringList() = default;
  int Count() const override { return static_cast<int>(items_.size()); }
  AnsiString Get(int index) const override;
  void Put(int index, const AnsiString& s) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* obj) override;
  void Insert(int index, const AnsiString& s) override;
  void Delete(int index) override;
  void Clear() override;
  int Add(const AnsiString& s) override;
  int AddObject(const AnsiString& s, TObject* obj) override;
  void Exchange(int i, int j) override;
  void Move(int cur, int dest) override;
  int IndexOf(std::string_view s) const override;

  // Binary search of a sorted list: true and the index when found, else
  // false and the index where it would be inserted. On an unsorted list the
  // answer is meaningless (as in the library).
  bool Find(std::string_view s, int& index) const;
  void Sort();
  void CustomSort(const std::function<int(const TStringList*, int, int)>& compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool v);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool v);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  void SetUpdateState(bool updating) override;
  int CompareStrings(std::string_view a, std::string_view b) const override;
  virtual void Changed();
  virtual void Changing();

private:
  struct Item {
    AnsiString s;
    TObject* obj;
  };
  void InsertItem(int index, const AnsiString& s, TObject* obj);
  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = dupIgnore;
};
