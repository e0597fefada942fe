// Helpers of the reference-data tests: scratch copies of the sources, the
// data built once per test program, and a small reader of one table through
// the engine (fields by name, keys from name/value lists).
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dbengine/engine.h"
#include "tests/test_paths.h"
#include "tools/orvdata/build.h"
#include "tools/orvdata/sources.h"

namespace datatest {

namespace fs = std::filesystem;

inline const std::string kFortunes = "/usr/share/games/fortunes/de";

inline std::string DataDir() { return testpaths::SourceDir() + "/data"; }

// A fresh folder under the system's temporary folder, removed at the end.
class TScratch {
public:
  explicit TScratch(const std::string& tag) {
    static int n = 0;
    path_ = fs::temp_directory_path() /
            ("orvdata_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(++n));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TScratch() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string Path() const { return path_.string(); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
  fs::path path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Lines of a file as the sources count them (1-based numbers).
inline int LineCount(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string l;
  int n = 0;
  while (std::getline(in, l)) ++n;
  return n;
}

// Reads one table through the engine, read-only.
class TTableReader {
public:
  TTableReader(const std::string& dir, const std::string& table, const std::string& index = "") {
    table_ = TffTable::Open(dir + "/" + table + ".FFD", TffOpenMode::ReadOnly);
    cursor_ = table_->OpenCursor();
    if (!index.empty()) cursor_->SwitchToIndex(index);
    rec_.resize(static_cast<size_t>(cursor_->RecordLength()));
  }
  TffCursor& Cursor() { return *cursor_; }
  TffTable& Table() { return *table_; }
  uint8_t* Rec() { return rec_.data(); }
  const TffDataDictionary& Dict() const { return cursor_->Dictionary(); }

  int Field(const std::string& name) const {
    int i = Dict().FieldIndex(name);
    EXPECT_GE(i, 0) << name;
    return i;
  }
  int64_t Int(const std::string& name) const { return FFGetFieldInt(Dict(), rec_.data(), Field(name)); }
  double Float(const std::string& name) const { return FFGetFieldFloat(Dict(), rec_.data(), Field(name)); }
  AnsiString Str(const std::string& name) const { return FFGetFieldString(Dict(), rec_.data(), Field(name)); }

  // A key record with the given fields set.
  std::vector<uint8_t> Key(std::initializer_list<std::pair<const char*, int64_t>> values) const {
    std::vector<uint8_t> k(rec_.size());
    FFInitRecord(Dict(), k.data());
    for (const auto& [name, v] : values) FFSetFieldInt(Dict(), k.data(), Field(name), v);
    return k;
  }
  std::vector<uint8_t> KeyStr(std::initializer_list<std::pair<const char*, int64_t>> values, const char* strField,
                              const AnsiString& s) const {
    auto k = Key(values);
    FFSetFieldString(Dict(), k.data(), Field(strField), s);
    return k;
  }

  bool First() { return cursor_->First(rec_.data()); }
  bool Next() { return cursor_->Next(rec_.data()); }
  bool Prior() { return cursor_->Prior(rec_.data()); }
  bool Get() { return cursor_->GetRecord(rec_.data()); }

private:
  std::shared_ptr<TffTable> table_;
  std::unique_ptr<TffCursor> cursor_;
  std::vector<uint8_t> rec_;
};

}  // namespace datatest
