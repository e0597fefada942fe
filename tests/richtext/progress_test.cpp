// Nested progress frames: shares, steps, rounding and the silent cases.
#include <gtest/gtest.h>

#include <vector>

#include "richtext/model/progress.h"

namespace {

class Progress : public ::testing::Test {
protected:
  void SetUp() override {
    WPProgressOff = false;
    WPProgressEvent = [this](int p) { reports.push_back(p); };
    WPProgressReset();
    reports.clear();
  }
  void TearDown() override {
    WPProgressReset();
    WPProgressEvent = nullptr;
  }
  std::vector<int> reports;
};

}  // namespace

TEST_F(Progress, RootFrameStepsAndReports) {
  EXPECT_EQ(WPProgressBegin(200), 2);
  WPProgressUpdate(1);
  WPProgressUpdate(2);
  WPProgressUpdate(4);
  EXPECT_EQ(reports, (std::vector<int>{1, 2}));
  WPProgressUpdate(200);
  EXPECT_EQ(reports.back(), 100);
  WPProgressEnd();
  EXPECT_EQ(reports, (std::vector<int>{1, 2, 100, 100, 0})) << "end reports the frame's end, then 0";
  int cur, end, step;
  EXPECT_FALSE(WPProgressFrame(cur, end, step));
}

TEST_F(Progress, StepsAndIncrementsRoundHalvesToEven) {
  EXPECT_EQ(WPProgressBegin(56), 1) << "0.56 units per percent";
  WPProgressReset();
  EXPECT_EQ(WPProgressBegin(400), 4);
  WPProgressReset();
  // Half a percent per unit: 5 units are 2.5 % (to 2), 3 more are 1.5 % (to 2).
  EXPECT_EQ(WPProgressBegin(200), 2);
  reports.clear();
  WPProgressUpdate(5);
  WPProgressUpdate(8);
  EXPECT_EQ(reports, (std::vector<int>{2, 4}));
  WPProgressReset();
  // 7 units: 14.29 % each; one unit adds 14, two more add 29.
  EXPECT_EQ(WPProgressBegin(7), 1);
  reports.clear();
  WPProgressUpdate(1);
  WPProgressUpdate(3);
  EXPECT_EQ(reports, (std::vector<int>{14, 43}));
}

TEST_F(Progress, NestedFramesTakeTheirShareOfTheParentRange) {
  WPProgressBegin(100);
  WPProgressUpdate(20);
  ASSERT_EQ(reports.back(), 20);
  WPProgressSetShare(50);
  WPProgressBegin(10);
  int cur, end, step;
  ASSERT_TRUE(WPProgressFrame(cur, end, step));
  EXPECT_EQ(cur, 20);
  EXPECT_EQ(end, 60);
  EXPECT_EQ(step, 1) << "4 % per unit: a step below one unit becomes 1";
  WPProgressUpdate(5);
  EXPECT_EQ(reports.back(), 40);
  // Overshooting updates never pass the frame's end.
  WPProgressUpdate(1000);
  EXPECT_EQ(reports.back(), 60);
  WPProgressEnd();
  EXPECT_EQ(reports.back(), 60);
  ASSERT_TRUE(WPProgressFrame(cur, end, step));
  EXPECT_EQ(cur, 60) << "the parent goes on from where the nested pass ended";
  WPProgressUpdate(30);
  EXPECT_EQ(reports.back(), 70) << "no fall back below what was shown";
  WPProgressUpdate(90);
  EXPECT_EQ(reports.back(), 100);
  // A share of 0 gives the nested frame an empty range.
  WPProgressSetShare(0);
  WPProgressBegin(10);
  ASSERT_TRUE(WPProgressFrame(cur, end, step));
  EXPECT_EQ(end, cur);
  for (int i = 0; i < 3; ++i) WPProgressEnd();
  EXPECT_EQ(reports.back(), 0);
  EXPECT_FALSE(WPProgressFrame(cur, end, step));
}

TEST_F(Progress, EmptyTotalsAndShareAbove100StayInRange) {
  EXPECT_EQ(WPProgressBegin(0), -1);
  reports.clear();
  for (int i = 0; i < 10; ++i) WPProgressUpdate(i * 1000);
  EXPECT_TRUE(reports.empty()) << "a frame of no units never moves";
  WPProgressSetShare(250);
  WPProgressBegin(10);
  int cur, end, step;
  ASSERT_TRUE(WPProgressFrame(cur, end, step));
  EXPECT_LE(end, 100);
}

TEST_F(Progress, NothingHappensWithoutEventOrWhileOff) {
  WPProgressEvent = nullptr;
  EXPECT_EQ(WPProgressBegin(50), 1);
  int cur, end, step;
  EXPECT_FALSE(WPProgressFrame(cur, end, step)) << "no event: nothing pushed";
  WPProgressEnd();
  WPProgressEvent = [this](int p) { reports.push_back(p); };
  WPProgressOff = true;
  EXPECT_EQ(WPProgressBegin(50), 1);
  EXPECT_FALSE(WPProgressFrame(cur, end, step));
  WPProgressReset();
  EXPECT_TRUE(reports.empty());
  WPProgressOff = false;
  WPProgressBegin(50);
  WPProgressOff = true;
  WPProgressUpdate(50);
  WPProgressEnd();
  EXPECT_TRUE(reports.empty());
  EXPECT_TRUE(WPProgressFrame(cur, end, step)) << "End while off leaves the frame";
  WPProgressOff = false;
}
