// Key-code and character translation, keyboard state, typing through the
// driver, timers under the virtual clock and the caret.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/rtl/files.h"

#include "platform/ui/ui_internal.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/timers.h"
#include "tests/ui/ui_test_util.h"

namespace {

TEST(Keys, CharactersAreWindows1252WithControlCodes) {
  EXPECT_EQ(TranslateKeyToChar('A', 0, U'a'), 'a');
  EXPECT_EQ(TranslateKeyToChar(VK_OEM_7, ssShift, U'Ä'), 0xC4);
  EXPECT_EQ(TranslateKeyToChar(VK_OEM_4, 0, U'ß'), 0xDF);
  EXPECT_EQ(TranslateKeyToChar('E', ssAlt | ssCtrl, U'€'), 0x80);  // AltGr+E
  EXPECT_EQ(TranslateKeyToChar('A', ssCtrl, 0), 1);
  EXPECT_EQ(TranslateKeyToChar('Z', ssCtrl | ssShift, 0), 26);
  EXPECT_EQ(TranslateKeyToChar(VK_OEM_4, ssCtrl, 0), 27);
  EXPECT_EQ(TranslateKeyToChar('1', ssCtrl, 0), -1);
  EXPECT_EQ(TranslateKeyToChar(VK_BACK, 0, 0), 8);
  EXPECT_EQ(TranslateKeyToChar(VK_RETURN, 0, U'\r'), 13);
  EXPECT_EQ(TranslateKeyToChar(VK_F1, 0, 0), -1);
  EXPECT_EQ(TranslateKeyToChar(0xE7, 0, U'\u4e2d'), -2);  // outside Windows-1252
  EXPECT_EQ(AnsiUpper(0xE4), 0xC4);
  EXPECT_EQ(AnsiUpper(0xDF), 0xDF);  // ß has no capital here
}

TEST(Keys, KeyboardStateTracksModifiersAndToggles) {
  keyboard::ResetAll();
  keyboard::SetKeyDown(VK_RSHIFT, true);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  EXPECT_LT(GetKeyState(VK_RSHIFT), 0);
  EXPECT_GE(GetKeyState(VK_LSHIFT), 0);
  keyboard::SetKeyDown(VK_RSHIFT, false);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  keyboard::SetKeyDown(VK_CAPITAL, true);
  keyboard::SetKeyDown(VK_CAPITAL, false);
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 1);
  keyboard::SetKeyDown(VK_CAPITAL, true);
  keyboard::SetKeyDown(VK_CAPITAL, false);
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 0);
  TKeyboardState st;
  GetKeyboardState(st);
  st[VK_CONTROL] = 0x80;
  SetKeyboardState(st);
  EXPECT_LT(GetKeyState(VK_CONTROL), 0);
  EXPECT_NE(GetAsyncKeyState(VK_CONTROL), 0);
  EXPECT_EQ(KeyDataToShiftState(1 << 29), static_cast<TShiftState>(ssCtrl | ssAlt));
  keyboard::ResetAll();
}

TEST(Keys, AsyncStateTellsAPressSinceTheLastQuestion) {
  keyboard::ResetAll();
  keyboard::SetKeyDown(VK_ESCAPE, true);
  keyboard::SetKeyDown(VK_ESCAPE, false);
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 1);
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
  keyboard::SetKeyDown(VK_ESCAPE, true);
  EXPECT_EQ(static_cast<std::uint16_t>(GetAsyncKeyState(VK_ESCAPE)), 0x8001);
  // Held (an auto-repeat is no new press).
  keyboard::SetKeyDown(VK_ESCAPE, true);
  EXPECT_EQ(static_cast<std::uint16_t>(GetAsyncKeyState(VK_ESCAPE)), 0x8000);
  keyboard::ResetAll();
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
}

TEST(Keys, TypedTextArrivesAsCharactersAndRefusedOnesBeep) {
  TUiTestDriver d;
  Log log;
  TForm* f = MakeForm();
  auto* c = new TRecorder(f, f, "c", &log, DLGC_WANTCHARS);
  f->Show();
  std::string got;
  c->OnKeyPress = [&](TObject*, char& ch) { got += ch; };
  d.Type(CP1252("Grüße, ÄÖÜ!").str());
  EXPECT_EQ(got, CP1252("Grüße, ÄÖÜ!").str());
  got.clear();
  d.PressKey('C', ssCtrl);
  EXPECT_EQ(got, std::string(1, '\x03'));
  int beeps = keyboard::BeepCount();
  Application->DeliverKey(0xE7, true, U'\u4e2d');
  Application->DeliverKey(0xE7, false, 0);
  EXPECT_EQ(keyboard::BeepCount(), beeps + 1);
  EXPECT_EQ(got, std::string(1, '\x03'));
  // AltGr is Ctrl+Alt: it types its character instead of a system key.
  got.clear();
  keyboard::SetKeyDown(VK_SHIFT, false);
  Application->DeliverKey(VK_RMENU, true, 0);
  Application->DeliverKey('Q', true, U'@');
  Application->DeliverKey('Q', false, 0);
  Application->DeliverKey(VK_RMENU, false, 0);
  EXPECT_EQ(got, "@");
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);
  // Alt+key comes as system key down and system character.
  log.clear();
  d.PressKey('K', ssAlt);
  EXPECT_NE(std::find(log.begin(), log.end(), "c:WM_SYSKEYDOWN"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "c:WM_SYSCHAR:107"), log.end());
}

TEST(Timers, VirtualClockFiresInDueOrderAndCoalesces) {
  TTimerScheduler s;
  s.UseVirtualClock(true);
  std::vector<std::string> fired;
  int a = s.SetTimer(0, 30, [&] { fired.push_back("a"); });
  int b = s.SetTimer(0, 20, [&] { fired.push_back("b"); });
  s.Advance(19);
  EXPECT_TRUE(fired.empty());
  s.Advance(41);  // t = 60: b at 20, 40, 60; a at 30, 60 (a first: created first)
  EXPECT_EQ(fired, (std::vector<std::string>{"b", "a", "b", "a", "b"}));
  // A timer killed by another's tick does not fire.
  fired.clear();
  s.KillTimer(a);
  s.SetTimer(b, 10, [&] {
    fired.push_back("b");
    s.KillTimer(b);
  });
  s.Advance(100);
  EXPECT_EQ(fired, (std::vector<std::string>{"b"}));
  EXPECT_EQ(s.Count(), 0u);
  // Without advancing, a due timer fires once per pass however late it is.
  int n = 0;
  s.SetTimer(0, 5, [&] { ++n; });
  EXPECT_EQ(s.FireDue(), 0);
  EXPECT_EQ(s.MillisecondsToNext(), 5);
}

// Code that reads tick counts sees the program's virtual clock in tests.
TEST(Timers, TickCountsFollowTheVirtualClock) {
  const bool was = Timers().VirtualClock();
  Timers().UseVirtualClock(true);
  const uint32_t t0 = GetTickCount();
  Timers().Advance(1234);
  EXPECT_EQ(GetTickCount() - t0, 1234u);
  Timers().UseVirtualClock(false);
  const uint64_t real = GetTickCount64();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GE(GetTickCount64() - real, 19u);
  Timers().UseVirtualClock(was);
}

TEST(Timers, TimerComponentAndExceptionsReachHandleException) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* t = new TTimer(f);
  t->SetInterval(100);
  int ticks = 0;
  t->OnTimer = [&](TObject*) {
    if (++ticks == 2) throw EConvertError("kaputt");
  };
  d.Advance(250);
  EXPECT_EQ(ticks, 2);
  ASSERT_EQ(d.MessageBoxes().size(), 1u);
  EXPECT_EQ(d.MessageBoxes()[0].Text, "kaputt.");
  t->SetEnabled(false);
  d.Advance(500);
  EXPECT_EQ(ticks, 2);
  t->SetEnabled(true);
  t->OnTimer = [&](TObject*) { ++ticks; Abort(); };  // EAbort is silent
  d.Advance(100);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(d.MessageBoxes().size(), 1u);
  delete t;
  d.Advance(300);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(Timers().Now(), 1150);
}

TEST(Timers, WindowTimersSendWmTimerUntilKilledOrTheWindowGoes) {
  TUiTestDriver d;
  Log log;
  TForm* f = MakeForm();
  auto* c = new TRecorder(f, f, "c", &log);
  f->Show();
  log.clear();
  EXPECT_EQ(SetTimer(c->Handle(), 7, 100), 7u);
  SetTimer(c->Handle(), 8, 150);
  d.Advance(300);
  EXPECT_EQ(log, (Log{"c:WM_TIMER", "c:WM_TIMER", "c:WM_TIMER", "c:WM_TIMER", "c:WM_TIMER"}));
  EXPECT_TRUE(KillTimer(c->Handle(), 7));
  EXPECT_FALSE(KillTimer(c->Handle(), 7));
  SetTimer(c->Handle(), 8, 50);  // same id: new interval
  log.clear();
  d.Advance(100);
  EXPECT_EQ(log.size(), 2u);
  std::size_t before = Timers().Count();
  delete c;
  EXPECT_EQ(Timers().Count(), before - 1);
  EXPECT_EQ(SetTimer(0x7777, 1, 10), 0u);
}

TEST(Caret, CreateShowHideNestingPositionAndBlink) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* c = new TRecorder(f, f, "c", nullptr);
  c->SetBounds(10, 10, 100, 30);
  f->Show();
  HWND h = c->Handle();
  EXPECT_FALSE(ShowCaret(h));  // none yet
  ASSERT_TRUE(CreateCaret(h, 0, 2, 14));
  EXPECT_FALSE(CaretVisible());  // created hidden
  ShowCaret(h);
  EXPECT_TRUE(CaretVisible());
  HideCaret(h);
  HideCaret(h);
  ShowCaret(h);
  EXPECT_FALSE(CaretVisible());  // hides nest
  ShowCaret(h);
  EXPECT_TRUE(CaretVisible());
  SetCaretPos(5, 7);
  TPoint p;
  ASSERT_TRUE(GetCaretPos(p));
  EXPECT_EQ(p, (TPoint{5, 7}));
  EXPECT_EQ(CaretState().Height, 14);
  // Drawn in the window at the control's client position, blinking.
  int x = 0, y = 0;
  c->SetFocus();
  EXPECT_TRUE(f->HostWindow()->CaretShown(x, y));
  EXPECT_EQ(x, 15);
  EXPECT_EQ(y, 17);
  d.Advance(530);
  EXPECT_FALSE(CaretState().BlinkOn);
  EXPECT_FALSE(f->HostWindow()->CaretShown(x, y));
  d.Advance(530);
  EXPECT_TRUE(f->HostWindow()->CaretShown(x, y));
  // Not while another window has the focus.
  auto* other = new TRecorder(f, f, "other", nullptr);
  other->SetTop(50);
  other->SetFocus();
  EXPECT_FALSE(f->HostWindow()->CaretShown(x, y));
  c->SetFocus();
  EXPECT_FALSE(HideCaret(h + 1000));  // another window does not own it
  // Destroying the window takes its caret along.
  c->RecreateWnd();
  EXPECT_EQ(CaretState().Owner, 0u);
  EXPECT_FALSE(GetCaretPos(p));
  EXPECT_TRUE(CreateCaret(c->Handle(), 0, 1, 10));
  EXPECT_TRUE(DestroyCaret());
  EXPECT_FALSE(DestroyCaret());
}

}  // namespace
