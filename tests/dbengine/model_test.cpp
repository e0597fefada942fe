// Random inserts, modifies and deletes checked against a reference model:
// every index order, uniqueness, duplicates, descending and case-insensitive
// keys, and the tree invariants after each batch; searches on unevenly
// spread integer keys against a sorted list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <climits>
#include <map>
#include <set>
#include <random>
#include <tuple>
#include <vector>

#include "dbengine/blockfile.h"
#include "dbengine/collate.h"
#include "dbengine/engine.h"
#include "tests/dbengine/test_util.h"

namespace {

struct Row {
  int id;       // unique ascending
  int group;    // duplicates, descending (with name)
  std::string name;  // case-insensitive
  int16_t small;     // duplicates allowed, nullable
  bool smallNull;
};

std::string Fold(const std::string& s) {
  std::string f = s;
  for (char& c : f) c = static_cast<char>(ffdetail::kUpper[static_cast<uint8_t>(c)]);
  return f;
}

class ModelTest : public ::testing::Test {
protected:
  ModelTest() : dir_("model"), dict_(4096) {
    dict_.AddField("ID", "", fftInt32, 0, 0, true);
    dict_.AddField("GRP", "", fftWord16, 0, 0, false);
    dict_.AddField("NAME", "", fftShortString, 12, 0, false);
    dict_.AddField("SMALL", "", fftInt16, 0, 0, false);
    dict_.AddField("PAD", "", fftShortString, 100, 0, false);
    dict_.AddIndex("BYID", "", 0, {0}, false, true, false);
    dict_.AddIndex("BYGRPNAME", "", 0, {1, 2}, true, false, true);
    dict_.AddIndex("UNAME", "", 0, {2}, false, true, true);
    dict_.AddIndex("BYSMALL", "", 0, {3, 1}, true, true, false);
    // A wide key: few entries per node, so the trees grow three levels deep
    // and inner nodes split and empty.
    dict_.AddIndex("BYPAD", "", 0, {4}, true, true, false);
    path_ = dir_.File("MODEL.FFD");
    TffTable::Create(path_, dict_, false);
    table_ = TffTable::Open(path_);
  }

  std::vector<uint8_t> ToRec(const Row& r) {
    std::vector<uint8_t> b(static_cast<size_t>(dict_.RecordLength()));
    FFInitRecord(dict_, b.data());
    FFSetFieldInt(dict_, b.data(), 0, r.id);
    FFSetFieldInt(dict_, b.data(), 1, r.group);
    FFSetFieldString(dict_, b.data(), 2, r.name);
    if (!r.smallNull) FFSetFieldInt(dict_, b.data(), 3, r.small);
    FFSetFieldString(dict_, b.data(), 4, std::string(static_cast<size_t>(r.id % 90), 'p'));
    return b;
  }

  // Expected ids in the order of each index (ties by insertion identity are
  // not defined, so duplicates are compared as sorted groups).
  std::vector<std::vector<int>> Expected(int index) {
    std::vector<std::pair<std::tuple<int, int, std::string>, int>> keyed;
    for (auto& [id, r] : model_) {
      std::tuple<int, int, std::string> k;
      switch (index) {
        case 0: k = {id, 0, ""}; break;
        case 1: k = {-r.group, 0, Fold(r.name)}; break;  // descending on both
        case 2: k = {0, 0, Fold(r.name)}; break;
        case 3: k = {r.smallNull ? -100000 : r.small, r.group, ""}; break;
        case 4: k = {r.id % 90, 0, ""}; break;
      }
      keyed.push_back({k, id});
    }
    std::sort(keyed.begin(), keyed.end(), [&](auto& a, auto& b) {
      if (index == 1 && std::get<0>(a.first) == std::get<0>(b.first))
        return std::get<2>(a.first) > std::get<2>(b.first);
      return a.first < b.first;
    });
    std::vector<std::vector<int>> groups;
    for (size_t i = 0; i < keyed.size(); ++i) {
      if (i == 0 || keyed[i].first != keyed[i - 1].first) groups.emplace_back();
      groups.back().push_back(keyed[i].second);
    }
    for (auto& g : groups) std::sort(g.begin(), g.end());
    return groups;
  }

  void Verify(TffCursor& c) {
    std::vector<uint8_t> b(static_cast<size_t>(dict_.RecordLength()));
    for (int ix = 0; ix < 5; ++ix) {
      c.SwitchToIndex(ix);
      std::vector<int> seen;
      for (bool ok = c.First(b.data()); ok; ok = c.Next(b.data()))
        seen.push_back(static_cast<int>(FFGetFieldInt(dict_, b.data(), 0)));
      auto groups = Expected(ix);
      size_t at = 0;
      for (auto& g : groups) {
        ASSERT_LE(at + g.size(), seen.size()) << "index " << ix;
        std::vector<int> part(seen.begin() + static_cast<long>(at), seen.begin() + static_cast<long>(at + g.size()));
        std::sort(part.begin(), part.end());
        ASSERT_EQ(part, g) << "index " << ix << " at " << at;
        at += g.size();
      }
      ASSERT_EQ(at, seen.size()) << "index " << ix;
    }
    auto problems = table_->CheckConsistency();
    ASSERT_TRUE(problems.empty()) << problems.front();
    ASSERT_EQ(table_->RecordCount(), model_.size());
  }

  // Level of an index's root, read from the committed file.
  int RootLevel(int index) {
    std::ifstream in(path_, std::ios::binary);
    std::vector<char> hdr(4096);
    in.read(hdr.data(), 4096);
    uint32_t root = ffdetail::Get32(reinterpret_cast<const uint8_t*>(hdr.data()) + ffdetail::kHdrIndexRoots + 4 * index);
    in.seekg(static_cast<std::streamoff>(root) * 4096 + 16);
    uint16_t level = 0;
    in.read(reinterpret_cast<char*>(&level), 2);
    return level;
  }

  bool NameTaken(const std::string& name, int exceptId) {
    for (auto& [id, r] : model_)
      if (id != exceptId && Fold(r.name) == Fold(name)) return true;
    return false;
  }

  dbtest::ScratchDir dir_;
  TffDataDictionary dict_;
  std::string path_;
  std::shared_ptr<TffTable> table_;
  std::map<int, Row> model_;
};

TEST_F(ModelTest, RandomOperationsMatchTheModel) {
  std::mt19937 rng(12345);
  auto c = table_->OpenCursor(0);
  auto randomName = [&] {
    static const char* syll[] = {"ka", "Ka", "\xe4r", "\xc4R", "lo", "LO", "mi", "x"};
    std::string s;
    int n = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < n; ++i) s += syll[rng() % 8];
    return s;
  };
  std::vector<uint8_t> b(static_cast<size_t>(dict_.RecordLength()));
  int nextId = 1;
  for (int batch = 0; batch < 12; ++batch) {
    table_->StartTransaction();
    for (int op = 0; op < 400; ++op) {
      int what = static_cast<int>(rng() % 10);
      if (what < 6 || model_.empty()) {
        Row r{nextId, static_cast<int>(rng() % 20), randomName() + std::to_string(rng() % 50),
              static_cast<int16_t>(static_cast<int>(rng() % 200) - 100), rng() % 7 == 0};
        bool dup = NameTaken(r.name, -1);
        TffResult code = rcOK;
        try {
          c->InsertRecord(ToRec(r).data());
        } catch (const EffException& e) {
          code = e.ResultCode();
        }
        ASSERT_EQ(code, dup ? rcKeyViolation : rcOK) << r.name;
        if (!dup) model_[nextId++] = r;
      } else {
        auto it = model_.begin();
        std::advance(it, static_cast<long>(rng() % model_.size()));
        int id = it->first;
        c->SwitchToIndex(0);
        std::vector<uint8_t> key = ToRec(it->second);
        ASSERT_TRUE(c->FindKey(key.data()));
        if (what < 8) {
          c->DeleteRecord();
          model_.erase(it);
        } else {
          Row r = it->second;
          r.group = static_cast<int>(rng() % 20);
          if (rng() % 2) r.name = randomName();
          r.smallNull = rng() % 5 == 0;
          r.small = static_cast<int16_t>(static_cast<int>(rng() % 200) - 100);
          bool dup = NameTaken(r.name, id);
          TffResult code = rcOK;
          try {
            c->ModifyRecord(ToRec(r).data());
          } catch (const EffException& e) {
            code = e.ResultCode();
          }
          ASSERT_EQ(code, dup ? rcKeyViolation : rcOK);
          if (!dup) it->second = r;
        }
      }
    }
    table_->Commit();
    ASSERT_NO_FATAL_FAILURE(Verify(*c));
  }
  // The wide-key tree has grown inner levels (root level >= 2).
  ASSERT_GE(RootLevel(4), 2);
  // Delete most of it again and let the trees shrink.
  while (model_.size() > 10) {
    auto it = model_.begin();
    std::advance(it, static_cast<long>(rng() % model_.size()));
    c->SwitchToIndex(0);
    ASSERT_TRUE(c->FindKey(ToRec(it->second).data()));
    c->DeleteRecord();
    model_.erase(it);
  }
  ASSERT_NO_FATAL_FAILURE(Verify(*c));
  // Reopening reads the same state from the file.
  c.reset();
  table_.reset();
  table_ = TffTable::Open(path_);
  c = table_->OpenCursor(0);
  ASSERT_NO_FATAL_FAILURE(Verify(*c));
  // Emptied record by record, every tree is a single empty leaf again and
  // its blocks are on the free chain.
  while (c->First(b.data())) c->DeleteRecord();
  model_.clear();
  ASSERT_NO_FATAL_FAILURE(Verify(*c));
  for (int ix = 0; ix < 5; ++ix) EXPECT_EQ(RootLevel(ix), 0) << ix;
}

TEST_F(ModelTest, RangesOnEveryIndexMatchTheModel) {
  std::mt19937 rng(99);
  auto c = table_->OpenCursor(0);
  table_->StartTransaction();
  for (int id = 1; id <= 3000; ++id) {
    Row r{id, static_cast<int>(rng() % 30), "n" + std::to_string(id),
          static_cast<int16_t>(rng() % 50), false};
    c->InsertRecord(ToRec(r).data());
    model_[id] = r;
  }
  table_->Commit();
  c->SwitchToIndex(1);  // (group desc, name desc)
  for (int trial = 0; trial < 30; ++trial) {
    int hi = static_cast<int>(rng() % 30), lo = static_cast<int>(rng() % 30);
    if (hi < lo) std::swap(hi, lo);
    Row s{0, hi, "", 0, false}, e{0, lo, "", 0, false};
    c->SetRange(ToRec(s).data(), 1, true, ToRec(e).data(), 1, true);
    uint32_t expected = 0;
    for (auto& [id, r] : model_) expected += r.group >= lo && r.group <= hi;
    ASSERT_EQ(c->RecordCountInRange(), expected);
    std::vector<uint8_t> b(static_cast<size_t>(dict_.RecordLength()));
    uint32_t n = 0;
    int prev = 1000;
    for (bool ok = c->First(b.data()); ok; ok = c->Next(b.data()), ++n) {
      int g = static_cast<int>(FFGetFieldInt(dict_, b.data(), 1));
      ASSERT_LE(g, prev);
      prev = g;
    }
    ASSERT_EQ(n, expected);
    // Exclusive ends drop the bound groups.
    c->SetRange(ToRec(s).data(), 1, false, ToRec(e).data(), 1, false);
    uint32_t inner = 0;
    for (auto& [id, r] : model_) inner += r.group > lo && r.group < hi;
    ASSERT_EQ(c->RecordCountInRange(), inner);
  }
}

// Searches on ascending integer keys start where a key's value suggests;
// on values spread unevenly (dense runs, wide gaps, both ends of the
// range, many duplicates, nulls) every key search, nearest search and
// range still finds exactly what a sorted list holds.
TEST(KeyOrder, SearchesOnUnevenIntegersMatchASortedList) {
  dbtest::ScratchDir dir("uneven");
  TffDataDictionary d(4096);
  d.AddField("ID", "", fftInt32, 0, 0, true);
  d.AddField("V", "", fftInt32, 0, 0, false);
  d.AddIndex("BYV", "", 0, {1}, true, true, false);
  std::string p = dir.File("U.FFD");
  TffTable::Create(p, d, false);
  auto t = TffTable::Open(p);
  auto c = t->OpenCursor(0);
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
  std::mt19937 rng(7);
  std::multiset<int32_t> values;
  int nulls = 0;
  t->StartTransaction();
  for (int i = 0; i < 6000; ++i) {
    const int kind = static_cast<int>(rng() % 6);
    const int32_t v = kind == 0 ? static_cast<int32_t>(rng() % 40)                         // dense duplicates
                      : kind == 1 ? 1000000 + static_cast<int32_t>(rng() % 3000)          // a dense run
                      : kind == 2 ? static_cast<int32_t>(rng())                           // anywhere
                      : kind == 3 ? (rng() % 2 ? INT32_MIN + static_cast<int32_t>(rng() % 5) : INT32_MAX - static_cast<int32_t>(rng() % 5))
                      : kind == 4 ? -static_cast<int32_t>(rng() % 100000)
                                  : 0;
    FFInitRecord(d, r.data());
    FFSetFieldInt(d, r.data(), 0, i);
    if (kind == 5 && rng() % 2) {
      ++nulls;
    } else {
      FFSetFieldInt(d, r.data(), 1, v);
      values.insert(v);
    }
    c->InsertRecord(r.data());
  }
  t->Commit();
  ASSERT_TRUE(t->CheckConsistency().empty());
  c->SwitchToIndex(0);
  std::vector<int32_t> probes(values.begin(), values.end());
  for (int i = 0; i < 400; ++i) probes.push_back(static_cast<int32_t>(rng()));
  for (int32_t extreme : {INT32_MIN, INT32_MIN + 10, -1, 1, 39, 40, 999999, 1003000, INT32_MAX - 10, INT32_MAX})
    probes.push_back(extreme);
  std::vector<uint8_t> key(r.size()), got(r.size());
  for (size_t i = 0; i < probes.size(); i += probes.size() > 2000 && i < values.size() ? 7 : 1) {
    const int32_t v = probes[i];
    FFInitRecord(d, key.data());
    FFSetFieldInt(d, key.data(), 1, v);
    ASSERT_EQ(c->FindKey(key.data()), values.count(v) > 0) << v;
    auto next = values.lower_bound(v);
    ASSERT_EQ(c->FindNearest(key.data()), next != values.end()) << v;
    if (next != values.end()) {
      ASSERT_TRUE(c->GetRecord(got.data()));
      ASSERT_EQ(FFGetFieldInt(d, got.data(), 1), *next) << v;
    }
    // The range [v, v + 1000] (clipped at the top) holds what the list does.
    const int32_t hi = v > INT32_MAX - 1000 ? INT32_MAX : v + 1000;
    std::vector<uint8_t> end = key;
    FFSetFieldInt(d, end.data(), 1, hi);
    c->SetRange(key.data(), 1, true, end.data(), 1, true);
    const auto inRange = static_cast<uint32_t>(std::distance(values.lower_bound(v), values.upper_bound(hi)));
    ASSERT_EQ(c->RecordCountInRange(), inRange) << v;
    uint32_t walked = 0;
    for (bool ok = c->First(got.data()); ok; ok = c->Next(got.data())) ++walked;
    ASSERT_EQ(walked, inRange) << v;
    c->ResetRange();
  }
  // The nulls come first.
  ASSERT_TRUE(c->First(got.data()));
  EXPECT_EQ(FFIsFieldNull(d, got.data(), 1), nulls > 0);
}

TEST(KeyOrder, FloatsWithNaNAndCharsKeepATotalOrder) {
  dbtest::ScratchDir dir("floats");
  TffDataDictionary d(4096);
  d.AddField("ID", "", fftInt32, 0, 0, true);
  d.AddField("F", "", fftDouble, 0, 0, false);
  d.AddField("C", "", fftChar, 0, 0, false);
  d.AddIndex("BYF", "", 0, {1}, true, true, false);
  d.AddIndex("BYC", "", 0, {2, 0}, false, true, true);
  std::string p = dir.File("F.FFD");
  TffTable::Create(p, d, false);
  auto t = TffTable::Open(p);
  auto c = t->OpenCursor(0);
  std::vector<uint8_t> r(static_cast<size_t>(d.RecordLength()));
  std::mt19937 rng(3);
  const double nan = std::nan("");
  for (int i = 0; i < 600; ++i) {
    FFInitRecord(d, r.data());
    FFSetFieldInt(d, r.data(), 0, i);
    FFSetFieldFloat(d, r.data(), 1, i % 7 == 0 ? nan : static_cast<double>(static_cast<int>(rng() % 100)) - 50);
    if (i < 26) FFSetFieldInt(d, r.data(), 2, 'a' + i);
    c->InsertRecord(r.data());
  }
  auto problems = t->CheckConsistency();
  ASSERT_TRUE(problems.empty()) << problems.front();
  // NaNs first, then ascending numbers.
  int nans = 0;
  double prev = -1e9;
  for (bool ok = c->First(r.data()); ok; ok = c->Next(r.data())) {
    double v = FFGetFieldFloat(d, r.data(), 1);
    if (v != v) {
      EXPECT_EQ(prev, -1e9) << "NaN after a number";
      ++nans;
      continue;
    }
    EXPECT_GE(v, prev);
    prev = v;
  }
  EXPECT_EQ(nans, 86);
  // Characters of a case-insensitive index: 'A' finds 'a'; a duplicate by
  // case is refused.
  c->SwitchToIndex(1);
  FFInitRecord(d, r.data());
  FFSetFieldInt(d, r.data(), 2, 'Q');
  ASSERT_TRUE(c->FindKey(r.data(), 1));
  std::vector<uint8_t> got(r.size());
  c->GetRecord(got.data());
  EXPECT_EQ(FFGetFieldInt(d, got.data(), 2), 'q');
  FFSetFieldInt(d, r.data(), 0, 'q' - 'a');
  try {
    c->InsertRecord(r.data());
    ADD_FAILURE() << "duplicate by letter case accepted";
  } catch (const EffException& e) {
    EXPECT_EQ(e.ResultCode(), rcKeyViolation);
  }
}

}  // namespace
