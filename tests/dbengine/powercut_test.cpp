// Durability under power cuts: the table is worked through a file layer
// that, at a random moment, loses every write that no sync has made
// durable (the write under way may land in part; in some rounds the disk
// keeps any mix of the unsynced writes instead). The table is then opened
// again: every commit that returned must be there, of the commit in flight
// all or nothing, and the consistency walk must find nothing. Cuts also
// fall between the changes of a transaction and into the settling of the
// journal on open.
//
// ORV_POWERCUT_SECONDS sets the length (default 20).
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "dbengine/engine.h"
#include "dbengine/filelayer.h"
#include "tests/dbengine/file_layers.h"
#include "tests/dbengine/test_util.h"

namespace {

TEST(PowerCut, CommitsThatReturnedSurviveAndNothingHalfDoneShows) {
  dbtest::ScratchDir dir("powercut");
  TffDataDictionary dict(4096);
  dbtest::CrashDict(dict);
  std::string path = dir.File("POWER.FFD");
  TffTable::Create(path, dict, false);
  double seconds = dbtest::DurationFromEnv("ORV_POWERCUT_SECONDS", 20);
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  std::mt19937 rng(4711);
  dbtest::PowerCutLayer layer(rng());
  ffdetail::ScopedFileLayer use(layer);

  dbtest::Model model;     // every commit that returned
  dbtest::Model inFlight;  // the model if the commit under way lands
  bool hasInFlight = false;
  int next = 1, cuts = 0, inTx = 0, duringOpen = 0, reordered = 0, commits = 0, landedInFlight = 0;
  while (std::chrono::steady_clock::now() < until || cuts < 50) {
    bool reorder = rng() % 3 == 0;
    bool opening = true;
    try {
      // Sometimes the cut falls while the open settles the last one.
      if (rng() % 8 == 0) layer.CutAfter(1 + static_cast<long>(rng() % 6));
      auto t = TffTable::Open(path);
      layer.CutAfter(0);
      opening = false;
      auto problems = t->CheckConsistency();
      ASSERT_TRUE(problems.empty()) << "after cut " << cuts << ": " << problems.front();
      std::string bad;
      dbtest::Model found = dbtest::ReadModel(*t, &bad);
      ASSERT_TRUE(bad.empty()) << bad;
      if (hasInFlight && found == inFlight && found != model) {
        model = inFlight;
        ++landedInFlight;
      }
      ASSERT_EQ(found, model) << "after cut " << cuts;
      hasInFlight = false;

      layer.CutAfter(1 + static_cast<long>(rng() % 400));
      auto c = t->OpenCursor(0);
      auto none = [](const dbtest::Change&) {};
      for (;;) {
        if (rng() % 3) {
          dbtest::Model after = model;
          auto announce = [&](const dbtest::Change& ch) {
            ApplyTo(after, ch);
            inFlight = after;
            hasInFlight = true;
          };
          dbtest::Change ch = dbtest::RandomChange(*t, *c, rng, next, 150, announce);
          dbtest::ApplyTo(model, ch);
          hasInFlight = false;
          commits += ch.Kind != 0;
          continue;
        }
        // A transaction of several changes; the cut may come between two
        // of them (nothing of it may show) or during its commit.
        dbtest::Model after = model;
        t->StartTransaction();
        // Now and then a large one, whose journal outgrows the reserve
        // that is kept between commits.
        int n = rng() % 8 ? 2 + static_cast<int>(rng() % 7) : 30 + static_cast<int>(rng() % 30);
        for (; n > 0; --n) {
          dbtest::ApplyTo(after, dbtest::RandomChange(*t, *c, rng, next, 150, none));
          if (rng() % 400 == 0) {
            ++inTx;
            layer.CutNow();
          }
        }
        inFlight = after;
        hasInFlight = true;
        t->Commit();
        model = after;
        hasInFlight = false;
        ++commits;
      }
    } catch (const dbtest::PowerCut&) {
      ++cuts;
      duringOpen += opening;
    }
    ASSERT_TRUE(layer.Dead()) << "the loop ended without a cut";
    reordered += reorder;
    layer.Restore(reorder);
  }
  printf("%d power cuts (%d while opening, %d between the changes of a transaction, %d with unsynced "
         "writes kept in any mix), %d commits that returned, %d commits in flight that landed, "
         "%zu records at the end\n",
         cuts, duringOpen, inTx, reordered, commits, landedInFlight, model.size());
  RecordProperty("cuts", cuts);
}

}  // namespace
