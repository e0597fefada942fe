// Random walks over a table compared with a model of the records: the
// position, BOF/EOF, MoveBy's answer, the rows of a link's window and the
// distance reported to DataSetScrolled, while the window size changes and
// records come and go. Bounded by ORV_DB_MODEL_OPS (default 4000 steps);
// ORV_DB_MODEL_SEED picks another walk.
#include <algorithm>
#include <random>

#include "tests/db/db_fixture.h"

using namespace dbtest;

namespace {

struct ScrollLink : TDataLink {
  std::vector<int> scrolls;
  int changes = 0;
  void DataSetScrolled(int d) override { scrolls.push_back(d); }
  void DataSetChanged() override { ++changes; }
};

// Ids of the link's rows, read by switching the active record.
std::vector<int> Rows(ScrollLink& link, TDataSet* t) {
  std::vector<int> ids;
  int saved = link.ActiveRecord();
  for (int r = 0; r < link.RecordCount(); ++r) {
    link.SetActiveRecord(r);
    ids.push_back(t->FieldByName("ID")->AsInteger());
  }
  link.SetActiveRecord(saved);
  return ids;
}

}  // namespace

TEST_F(DbTest, RandomWalksAgreeWithAModel) {
  const char* env = std::getenv("ORV_DB_MODEL_OPS");
  int ops = env ? std::max(1, std::atoi(env)) : 4000;
  AddNumbered(40);
  std::vector<int> model(40);
  for (int i = 0; i < 40; ++i) model[static_cast<size_t>(i)] = i + 1;
  auto t = Table();
  TDataSource ds(nullptr);
  ds.SetDataSet(t.get());
  ScrollLink link;
  link.SetBufferCount(7);
  link.SetDataSource(&ds);
  t->Open();
  int cur = 0;
  bool bof = true, eof = false;
  int nextId = 1000;
  const char* seed = std::getenv("ORV_DB_MODEL_SEED");
  std::mt19937 rng(seed ? static_cast<unsigned>(std::atoi(seed)) : 12345u);
  for (int step = 0; step < ops; ++step) {
    int n = static_cast<int>(model.size());
    int op = static_cast<int>(rng() % 100);
    std::vector<int> before = Rows(link, t.get());
    int rowBefore = link.ActiveRecord();
    link.scrolls.clear();
    SCOPED_TRACE("step " + std::to_string(step) + " op " + std::to_string(op));
    if (op < 60) {
      int k = static_cast<int>(rng() % 25) - 12;
      int expect = 0;
      if ((k > 0 && !eof) || (k < 0 && !bof)) {
        bof = eof = false;
        int target = std::clamp(cur + k, 0, n - 1);
        expect = target - cur;
        if (k > 0 && expect < k) eof = true;
        if (k < 0 && expect > k) bof = true;
        cur = target;
      }
      ASSERT_EQ(t->MoveBy(k), expect);
      if (k != 0 && expect != 0) {
        // The window moved by exactly the reported distance.
        ASSERT_EQ(link.scrolls.size(), 1u);
        int d = link.scrolls[0];
        std::vector<int> after = Rows(link, t.get());
        auto indexOf = [&](int id) {
          return static_cast<int>(std::find(model.begin(), model.end(), id) - model.begin());
        };
        ASSERT_EQ(indexOf(after[0]), indexOf(before[0]) + d);
        ASSERT_EQ(link.ActiveRecord(), rowBefore + expect - d);
      }
    } else if (op < 66) {
      t->First();
      cur = 0;
      bof = true;
      eof = n == 0;
    } else if (op < 72) {
      t->Last();
      cur = n - 1;
      eof = true;
      bof = n == 0;
    } else if (op < 80) {
      link.SetBufferCount(1 + static_cast<int>(rng() % 15));
    } else if (op < 90) {
      // A new record lands at its key's place and becomes current.
      int id = (rng() % 2) ? nextId++ : static_cast<int>(rng() % 60) * 2 + 41;
      if (std::find(model.begin(), model.end(), id) != model.end()) continue;
      if (rng() % 2) t->Insert(); else t->Append();
      t->FieldByName("ID")->SetAsInteger(id);
      t->Post();
      model.insert(std::upper_bound(model.begin(), model.end(), id), id);
      cur = static_cast<int>(std::find(model.begin(), model.end(), id) - model.begin());
      bof = eof = false;
    } else if (n > 5) {
      t->Delete();
      model.erase(model.begin() + cur);
      if (cur >= static_cast<int>(model.size())) cur = static_cast<int>(model.size()) - 1;
      bof = eof = false;
    }
    n = static_cast<int>(model.size());
    ASSERT_EQ(t->FieldByName("ID")->AsInteger(), model[static_cast<size_t>(cur)]);
    ASSERT_EQ(t->Bof(), bof);
    ASSERT_EQ(t->Eof(), eof);
    // The window holds consecutive records around the current one.
    std::vector<int> rows = Rows(link, t.get());
    int row = link.ActiveRecord();
    ASSERT_GE(row, 0);
    ASSERT_LT(row, static_cast<int>(rows.size()));
    ASSERT_EQ(static_cast<int>(rows.size()), std::min(link.BufferCount(), n));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
      ASSERT_EQ(rows[static_cast<size_t>(r)], model[static_cast<size_t>(cur - row + r)]);
  }
  link.SetDataSource(nullptr);
}
