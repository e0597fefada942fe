// Focus order, tab order, dialog keys and key routing.
#include <gtest/gtest.h>

#include "tests/ui/ui_test_util.h"

namespace {

Log Filter(const Log& log, const std::string& prefixes) {
  Log out;
  for (const auto& e : log)
    if (prefixes.empty() || e.find(prefixes) != std::string::npos) out.push_back(e);
  return out;
}

TEST(Focus, KillFocusExitEnterSetFocusOrderAcrossContainers) {
  TUiTestDriver d;
  Log log;
  TForm* f = MakeForm();
  auto* p1 = new TRecorder(f, f, "p1", &log);
  auto* a = new TRecorder(f, p1, "a", &log);
  auto* p2 = new TRecorder(f, f, "p2", &log);
  auto* b = new TRecorder(f, p2, "b", &log);
  p1->SetBounds(0, 0, 100, 100);
  p2->SetBounds(100, 0, 100, 100);
  p1->SetTabStop(false);
  p2->SetTabStop(false);
  f->Show();
  ASSERT_TRUE(a->Focused());  // first tab stop in tab order
  log.clear();
  b->SetFocus();
  Log expected = {"a:WM_KILLFOCUS", "a:CM_EXIT", "p1:CM_EXIT", "p2:CM_ENTER", "b:CM_ENTER", "b:WM_SETFOCUS"};
  EXPECT_EQ(log, expected);
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(f->ActiveControl(), b);
  EXPECT_EQ(Screen->ActiveControl(), b);
  // Refocusing the focused control sends nothing.
  log.clear();
  b->SetFocus();
  EXPECT_TRUE(log.empty());
}

TEST(Focus, ExitHandlerMovingFocusStopsTheWalk) {
  TUiTestDriver d;
  Log log;
  TForm* f = MakeForm();
  auto* a = new TRecorder(f, f, "a", &log);
  auto* b = new TRecorder(f, f, "b", &log);
  auto* c = new TRecorder(f, f, "c", &log);
  f->Show();
  a->OnExit = [&](TObject*) { c->SetFocus(); };
  log.clear();
  b->SetFocus();
  EXPECT_TRUE(c->Focused());
  EXPECT_EQ(Filter(log, "b:CM_ENTER").size(), 0u);  // never entered: the focus went on to c
  EXPECT_EQ(Filter(log, "c:CM_ENTER").size(), 1u);
  EXPECT_EQ(f->ActiveControl(), c);
}

TEST(Focus, ExitHandlerThatRefusesKeepsTheFocusAndReportsTheError) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* list = new TRecorder(f, f, "list", nullptr);
  auto* other = new TRecorder(f, f, "other", nullptr);
  f->Show();
  ASSERT_TRUE(list->Focused());
  // As a data-aware list does: writing the record fails, the focus goes back
  // to the list and the error is raised again.
  list->OnExit = [&](TObject*) {
    list->SetFocus();
    throw EConvertError("Feld ist leer");
  };
  other->SetFocus();
  EXPECT_TRUE(list->Focused());
  EXPECT_EQ(f->ActiveControl(), list);
  EXPECT_EQ(f->FocusedControl(), list);
  ASSERT_EQ(d.MessageBoxes().size(), 1u);
  EXPECT_EQ(d.MessageBoxes()[0].Text, "Feld ist leer.");
  list->OnExit = nullptr;
  other->SetFocus();
  EXPECT_TRUE(other->Focused());
}

TEST(Focus, TabAndShiftTabFollowTabOrderSkippingUnfocusable) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* a = new TRecorder(f, f, "a", nullptr);
  auto* b = new TRecorder(f, f, "b", nullptr);
  auto* c = new TRecorder(f, f, "c", nullptr);
  auto* e = new TRecorder(f, f, "e", nullptr);
  auto* g = new TRecorder(f, f, "g", nullptr);
  c->SetTabOrder(0);  // c a b e g
  b->SetEnabled(false);
  e->SetVisible(false);
  g->SetTabStop(false);
  f->Show();
  EXPECT_TRUE(c->Focused());
  d.PressKey(VK_TAB);
  EXPECT_TRUE(a->Focused());
  d.PressKey(VK_TAB);  // b disabled, e hidden, g no tab stop: wraps to c
  EXPECT_TRUE(c->Focused());
  d.PressKey(VK_TAB, ssShift);
  EXPECT_TRUE(a->Focused());
  EXPECT_EQ(c->TabOrder(), 0);
  EXPECT_EQ(a->TabOrder(), 1);
  (void)g;
}

TEST(Focus, DialogCodeDecidesWhoGetsArrowsAndTab) {
  TUiTestDriver d;
  Log log;
  TForm* f = MakeForm();
  auto* plain = new TRecorder(f, f, "plain", &log, 0);
  (new TGroupBox(f))->SetParent(f);  // a frame the arrows pass over
  auto* arrows = new TRecorder(f, f, "arrows", &log, DLGC_WANTARROWS);
  auto* tabs = new TRecorder(f, f, "tabs", &log, DLGC_WANTTAB | DLGC_WANTARROWS | DLGC_WANTCHARS);
  f->Show();
  ASSERT_TRUE(plain->Focused());
  // Arrows move between siblings when the control does not want them.
  d.PressKey(VK_DOWN);
  EXPECT_TRUE(arrows->Focused());
  log.clear();
  d.PressKey(VK_DOWN);  // wanted: stays, the control sees the key
  EXPECT_TRUE(arrows->Focused());
  EXPECT_EQ(Filter(log, "WM_KEYDOWN"), Log{"arrows:WM_KEYDOWN:40"});
  d.PressKey(VK_TAB);
  EXPECT_TRUE(tabs->Focused());
  log.clear();
  d.PressKey(VK_TAB);  // wanted: the control gets Tab and its character 9
  EXPECT_TRUE(tabs->Focused());
  Log expected = {"tabs:WM_KEYDOWN:9", "tabs:WM_CHAR:9", "tabs:WM_KEYUP"};
  EXPECT_EQ(Filter(log, "tabs:WM_"), expected);
  d.PressKey(VK_UP);
  EXPECT_TRUE(tabs->Focused());
}

TEST(Focus, EnterPressesDefaultButtonEscapeTheCancelButton) {
  TUiTestDriver d;
  Log log;
  TForm* f = MakeForm();
  auto* edit = new TRecorder(f, f, "edit", &log, 0);
  auto* ok = new TButton(f);
  ok->SetParent(f);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = new TButton(f);
  cancel->SetParent(f);
  cancel->SetCancel(true);
  int okClicks = 0, cancelClicks = 0;
  ok->OnClick = [&](TObject*) { ++okClicks; };
  cancel->OnClick = [&](TObject*) { ++cancelClicks; };
  f->Show();
  ASSERT_TRUE(edit->Focused());
  d.PressKey(VK_RETURN);
  EXPECT_EQ(okClicks, 1);
  EXPECT_EQ(f->ModalResult(), mrOk);
  EXPECT_TRUE(Filter(log, "WM_CHAR").empty());  // a dialog key makes no character
  d.PressKey(VK_ESCAPE);
  EXPECT_EQ(cancelClicks, 1);
  // A focused button takes Enter itself; the default button does not.
  cancel->SetFocus();
  d.PressKey(VK_RETURN);
  EXPECT_EQ(cancelClicks, 2);
  EXPECT_EQ(okClicks, 1);
  // A control that wants all keys keeps Enter.
  auto* all = new TRecorder(f, f, "all", &log, DLGC_WANTALLKEYS);
  all->SetFocus();
  log.clear();
  d.PressKey(VK_RETURN);
  EXPECT_EQ(okClicks, 1);
  Log expected = {"all:WM_KEYDOWN:13", "all:WM_CHAR:13", "all:WM_KEYUP"};
  EXPECT_EQ(Filter(log, "all:WM_"), expected);
  // Ctrl+Enter is not a plain Enter: no button.
  edit->SetFocus();
  d.PressKey(VK_RETURN, ssCtrl);
  EXPECT_EQ(okClicks, 1);
}

TEST(Focus, AcceleratorWithAltClicksTheButton) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* edit = new TRecorder(f, f, "edit", nullptr, DLGC_WANTCHARS);
  auto* b = new TButton(f);
  b->SetParent(f);
  b->SetCaption("&Schlie\xDF" "en");
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  f->Show();
  ASSERT_TRUE(edit->Focused());
  d.PressKey('S');  // the edit wants characters: no accelerator without Alt
  EXPECT_EQ(clicks, 0);
  d.PressKey('S', ssAlt);
  EXPECT_EQ(clicks, 1);
  d.PressKey('X', ssAlt);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(AcceleratorOf("&&Gro\xDF&e"), 'E');
  EXPECT_TRUE(IsAccel(0xE4, "&\xE4nderung"));  // ä matches Ä
}

TEST(Focus, KeyPreviewAndZeroedKeysStopTheKey) {
  TUiTestDriver d;
  Log log;
  TForm* f = MakeForm();
  auto* c = new TRecorder(f, f, "c", &log, DLGC_WANTALLKEYS | DLGC_WANTCHARS);
  std::vector<std::string> order;
  f->SetKeyPreview(true);
  f->OnKeyDown = [&](TObject*, Word& key, TShiftState) {
    order.push_back("form");
    if (key == VK_F2) key = 0;
  };
  c->OnKeyDown = [&](TObject*, Word&, TShiftState) { order.push_back("control"); };
  f->OnKeyPress = [&](TObject*, char& ch) {
    if (ch == 'q') ch = 0;
  };
  c->OnKeyPress = [&](TObject*, char& ch) { order.push_back(std::string("press ") + ch); };
  f->Show();
  d.PressKey(VK_F1);
  EXPECT_EQ(order, (std::vector<std::string>{"form", "control"}));
  order.clear();
  d.PressKey(VK_F2);
  EXPECT_EQ(order, (std::vector<std::string>{"form"}));
  order.clear();
  d.Type("qw");
  EXPECT_EQ(order, (std::vector<std::string>{"form", "control", "form", "control", "press w"}));
}

TEST(Focus, MenuShortCutsComeBeforeTheControl) {
  TUiTestDriver d;
  Log log;
  TForm* f = MakeForm();
  auto* c = new TRecorder(f, f, "c", &log, DLGC_WANTARROWS);
  f->Show();
  std::vector<std::string> fired;
  SetShortCutHandler([&](TWinControl* focused, Word key, TShiftState shift) {
    EXPECT_EQ(focused, c);
    if (key == VK_RIGHT && shift == ssCtrl) return fired.push_back("Tag +"), true;
    if (key == VK_NEXT && shift == ssAlt) return fired.push_back("Jahr +"), true;
    return false;
  });
  d.PressKey(VK_RIGHT, ssCtrl);
  d.PressKey(VK_NEXT, ssAlt);  // Alt combinations arrive as system keys
  d.PressKey(VK_RIGHT);
  SetShortCutHandler(nullptr);
  EXPECT_EQ(fired, (std::vector<std::string>{"Tag +", "Jahr +"}));
  Log downs;
  for (auto& e : log)
    if (e.find("KEYDOWN") != std::string::npos) downs.push_back(e);
  EXPECT_EQ(downs, (Log{"c:WM_KEYDOWN:39"}));
}

TEST(Focus, HidingOrDisablingTheFocusedControlGivesFocusToForm) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* a = new TRecorder(f, f, "a", nullptr);
  auto* b = new TRecorder(f, f, "b", nullptr);
  f->Show();
  ASSERT_TRUE(a->Focused());
  a->SetVisible(false);
  EXPECT_FALSE(a->Focused());
  EXPECT_EQ(GetFocus(), f->Handle());
  b->SetFocus();
  b->SetEnabled(false);
  EXPECT_FALSE(b->Focused());
  EXPECT_THROW(b->SetFocus(), EInvalidOperation);
  // Freeing the focused control leaves no dangling focus.
  auto* c = new TRecorder(f, f, "c", nullptr);
  c->SetFocus();
  delete c;
  EXPECT_EQ(f->ActiveControl(), nullptr);
  EXPECT_EQ(FindControl(GetFocus()), nullptr);
  d.PressKey(VK_TAB);  // keys without a focused control go nowhere harmful
}

TEST(Focus, ActivationBetweenFormsSendsDeactivateAndActivate) {
  TUiTestDriver d;
  std::vector<std::string> ev;
  TForm* f1 = MakeForm();
  TForm* f2 = MakeForm();
  auto* a = new TRecorder(f1, f1, "a", nullptr);
  auto* b = new TRecorder(f2, f2, "b", nullptr);
  f1->OnActivate = [&](TObject*) { ev.push_back("f1 on"); };
  f1->OnDeactivate = [&](TObject*) { ev.push_back("f1 off"); };
  f2->OnActivate = [&](TObject*) { ev.push_back("f2 on"); };
  f2->OnDeactivate = [&](TObject*) { ev.push_back("f2 off"); };
  f1->Show();
  f2->Show();
  EXPECT_EQ(ev, (std::vector<std::string>{"f1 on", "f1 off", "f2 on"}));
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(Screen->ActiveForm(), f2);
  d.Click(a);  // clicking into the other form activates it, the focus returns to its control
  EXPECT_EQ(Screen->ActiveForm(), f1);
  EXPECT_TRUE(a->Focused());
  f1->Hide();
  EXPECT_EQ(Screen->ActiveForm(), f2);
  EXPECT_TRUE(b->Focused());
}

}  // namespace
