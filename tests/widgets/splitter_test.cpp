// Splitter with panes: limits, layout, proportional resize and dragging.
#include <gtest/gtest.h>

#include "tests/widgets/widget_test_util.h"
#include "widgets/advsplitter.h"

namespace {

struct SplitFixture : ::testing::Test {
  TUiTestDriver drv;
  TForm* form = MakeWidgetForm(400, 300);
  TAdvSplitter* sp = nullptr;
  void SetUp() override {
    sp = new TAdvSplitter(form);
    sp->SetParent(form);
    sp->SetBounds(10, 10, 200, 120);
  }
};

TEST_F(SplitFixture, PositionWaitsForTheWindowAndKeepsWithinLimits) {
  EXPECT_EQ(sp->Pane1()->Number(), 1);
  EXPECT_EQ(sp->Pane2()->FrameStyle(), ftLowered);
  form->Show();
  int resized = 0;
  sp->OnPaneResize = [&](TObject*) { ++resized; };
  sp->SetPosition(120);
  EXPECT_EQ(sp->Position(), 120);
  EXPECT_GE(resized, 1);
  EXPECT_EQ(sp->Pane1()->Width(), 120);
  EXPECT_EQ(sp->Pane2()->Left(), 122);
  EXPECT_EQ(sp->Pane2()->Width(), 200 - 122);
  // Below pane 1's minimum (10 + 4 x bevel width 1 for its frame).
  sp->SetPosition(3);
  EXPECT_EQ(sp->Position(), 14);
  sp->Pane1()->SetFrameStyle(ftNone);
  sp->SetPosition(3);
  EXPECT_EQ(sp->Position(), 10);
  // Beyond the maximum: size - thickness - pane 2's minimum - 1, less its frame.
  sp->SetPosition(500);
  EXPECT_EQ(sp->Position(), 200 - 2 - 10 - 1 - 5);
  sp->Pane2Setting()->SetFrameStyle(ftNone);
  sp->SetPosition(500);
  EXPECT_EQ(sp->Position(), 200 - 2 - 10 - 1);
  // Crossing limits: the maximum wins.
  sp->Pane1Setting()->SetMinSize(190);
  sp->SetPosition(100);
  EXPECT_EQ(sp->Position(), 187);
  // Horizontal: the position is a y.
  sp->Pane1Setting()->SetMinSize(10);
  sp->SetOrientation(soHorizontal);
  sp->SetPosition(60);
  EXPECT_EQ(sp->Pane1()->Height(), 60);
  EXPECT_EQ(sp->Pane2()->Top(), 62);
  EXPECT_EQ(sp->Pane2()->Width(), 200);
}

TEST_F(SplitFixture, PositionSetBeforeTheWindowIsAppliedWithItsSize) {
  sp->SetPosition(120);
  EXPECT_EQ(sp->Position(), 120);
  auto* wide = new TAdvSplitter(form);
  wide->SetParent(form);
  wide->SetBounds(10, 140, 200, 100);
  wide->SetOrientation(soHorizontal);
  wide->SetProportionalResize(true);
  wide->SetPosition(500);
  wide->SetPosition(70);  // the last value set counts
  form->Show();
  drv.Process();
  EXPECT_EQ(sp->Position(), 120);
  EXPECT_EQ(sp->Pane1()->Width(), 120);
  EXPECT_EQ(sp->Pane2()->Left(), 122);
  EXPECT_EQ(wide->Position(), 70);
  EXPECT_EQ(wide->Pane1()->Height(), 70);
  // With proportional resizing the applied position sets the fraction.
  wide->SetHeight(80);
  EXPECT_EQ(wide->Position(), 56);
  // Set before it has a parent, then placed on a shown form and sized: the
  // default size on the way does not cut the value down; beyond the limits
  // of the real size it is clamped.
  auto* late = new TAdvSplitter(form);
  late->SetPosition(120);
  late->SetParent(form);
  late->SetBounds(220, 10, 170, 100);
  auto* beyond = new TAdvSplitter(form);
  beyond->SetPosition(900);
  beyond->SetParent(form);
  beyond->SetBounds(220, 120, 150, 100);
  drv.Process();
  EXPECT_EQ(late->Position(), 120);
  EXPECT_EQ(late->Pane1()->Width(), 120);
  EXPECT_EQ(beyond->Position(), 150 - 2 - 10 - 1 - 5);
  drv.SavePng(form, "splitters_positioned_before_showing");
  // Shown, the value set stays what was asked for: a wider splitter shows
  // more of it.
  beyond->SetWidth(400);
  EXPECT_EQ(beyond->Position(), 400 - 2 - 10 - 1 - 5);
}

TEST_F(SplitFixture, OneHiddenPaneFillsAndBlocksDragging) {
  form->Show();
  sp->SetPosition(80);
  sp->Pane2()->SetVisible(false);
  sp->LayoutPanes();
  EXPECT_EQ(sp->Pane1()->BoundsRect(), (TRect{0, 0, 200, 120}));
  // The bar position is covered by pane 1 now; a press there starts no drag.
  sp->Pane1()->SetVisible(false);
  drv.MouseDown(sp, 81, 50);
  EXPECT_FALSE(sp->Dragging());
  drv.MouseUp(sp, 81, 50);
}

TEST_F(SplitFixture, ProportionalResizeAndEmptyClient) {
  form->Show();
  sp->SetProportionalResize(true);
  sp->SetPosition(120);
  sp->SetWidth(100);
  EXPECT_EQ(sp->Position(), 60);
  sp->SetWidth(0);  // no division by zero; the fraction stays
  EXPECT_DOUBLE_EQ(sp->Fraction(), 0.6);
  sp->SetWidth(300);
  EXPECT_EQ(sp->Position(), 180);
  sp->SetProportionalResize(false);
  sp->SetWidth(250);
  EXPECT_EQ(sp->Position(), 180);
}

TEST_F(SplitFixture, DraggingMovesTheBar) {
  form->Show();
  sp->SetPosition(80);
  drv.Drag(sp, {81, 60}, {131, 60}, 5);
  EXPECT_FALSE(sp->Dragging());
  EXPECT_EQ(sp->Position(), 131);
  EXPECT_EQ(sp->Pane1()->Width(), 131);
  // While dragging without AutoUpdate the panes stay until the release.
  drv.MouseDown(sp, 132, 60);
  EXPECT_TRUE(sp->Dragging());
  drv.MouseMove(sp, 100, 60);
  EXPECT_EQ(sp->Pane1()->Width(), 131);
  drv.MouseUp(sp, 100, 60);
  EXPECT_EQ(sp->Pane1()->Width(), 100);
  // AutoUpdate: the panes follow at once; moves beyond the limits are ignored.
  sp->SetAutoUpdate(true);
  drv.MouseDown(sp, 101, 60);
  drv.MouseMove(sp, 70, 60);
  EXPECT_EQ(sp->Pane1()->Width(), 70);
  drv.MouseMove(sp, 2, 60);
  EXPECT_EQ(sp->Position(), 70);
  drv.MouseUp(sp, 2, 60);
  // Not allowed: no drag.
  sp->SetAllowResize(false);
  drv.Drag(sp, {71, 60}, {150, 60}, 3);
  EXPECT_EQ(sp->Position(), 70);
  drv.SavePng(form, "splitter");
}

TEST_F(SplitFixture, FrameStylesSettingsAndReplacedPanes) {
  TAdvPane* p = sp->Pane1();
  const std::pair<TAdvFrameStyle, std::pair<TPanelBevel, TPanelBevel>> looks[] = {
      {ftNone, {bvNone, bvNone}},         {ftRaised, {bvRaised, bvRaised}}, {ftLowered, {bvLowered, bvLowered}},
      {ftCarved, {bvRaised, bvLowered}}, {ftBump, {bvLowered, bvRaised}}};
  for (const auto& [style, bevels] : looks) {
    sp->Pane1Setting()->SetFrameStyle(style);
    EXPECT_EQ(p->BevelInner(), bevels.first);
    EXPECT_EQ(p->BevelOuter(), bevels.second);
  }
  sp->Pane2Setting()->SetColor(clYellow);
  sp->Pane2Setting()->SetFrameWidth(3);
  EXPECT_EQ(sp->Pane2()->Color(), clYellow);
  EXPECT_EQ(sp->Pane2()->BevelWidth(), 3);
  EXPECT_EQ(GetOrdProp(GetObjectProp(sp, "Pane2Setting"), "FrameWidth"), 3);
  form->Show();
  auto* fresh = new TAdvPane(sp, 2);
  fresh->SetColor(clAqua);
  sp->ReplacePane(fresh);
  EXPECT_EQ(sp->Pane2(), fresh);
  EXPECT_EQ(sp->Pane2Setting()->Color(), clAqua);
  EXPECT_EQ(fresh->Left(), sp->Position() + sp->Thickness());
  int panes = 0;
  for (int i = 0; i < sp->ControlCount(); ++i) panes += dynamic_cast<TAdvPane*>(sp->Controls(i)) ? 1 : 0;
  EXPECT_EQ(panes, 2);
}

}  // namespace
