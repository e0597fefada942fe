// Menus: item trees, radio groups, shortcut routing from anywhere in a form,
// popup menus driven by keys and mouse, and the picture of an open menu.
#include <gtest/gtest.h>

#include "platform/rtl/cp1252.h"

#include "platform/ui/menus.h"
#include "tests/ui/ui_test_util.h"

namespace {

TMenuItem* Item(TComponent* owner, TMenuItem* parent, const AnsiString& caption, std::vector<std::string>* log,
                TShortCut sc = 0) {
  auto* it = new TMenuItem(owner);
  it->SetCaption(caption);
  it->SetShortCut(sc);
  if (log) it->OnClick = [log, caption](TObject*) { log->push_back(StripHotkey(caption)); };
  parent->Add(it);
  return it;
}

TEST(Menus, ShortCutTextAndHotkeys) {
  EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, 0)), "Entf");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F1, ssShift)), "Umschalt+F1");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_NEXT, ssCtrl)), "Strg+Bild ab");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_HOME, ssAlt)), "Alt+Pos1");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_BACK, 0)), CP1252("Rück").str());  // Windows-1252, as all texts
  Word key;
  TShiftState shift;
  ShortCutToKey(ShortCut(VK_F9, ssCtrl | ssAlt), key, shift);
  EXPECT_EQ(key, VK_F9);
  EXPECT_EQ(shift, static_cast<TShiftState>(ssCtrl | ssAlt));
  EXPECT_EQ(StripHotkey("&Datei && Mehr"), "Datei & Mehr");
}

TEST(Menus, TreeOwnershipAndRadioGroups) {
  TUiTestDriver d;
  auto* pm = new TPopupMenu(Application);
  std::vector<std::string> log;
  TMenuItem* a = Item(pm, pm->Items(), "Links", &log);
  TMenuItem* b = Item(pm, pm->Items(), "Rechts", &log);
  TMenuItem* c = Item(pm, pm->Items(), "Zentriert", &log);
  for (TMenuItem* it : {a, b, c}) it->SetRadioItem(true);
  c->SetGroupIndex(1);
  a->SetChecked(true);
  b->SetChecked(true);
  c->SetChecked(true);
  EXPECT_FALSE(a->Checked());  // same group: unchecked by b
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(c->Checked());   // other group
  EXPECT_EQ(pm->Items()->Find("Rechts"), b);
  EXPECT_EQ(b->MenuIndex(), 1);
  // Freeing an item takes it out of its parent; the parent frees the rest.
  delete b;
  EXPECT_EQ(pm->Items()->Count(), 2);
  EXPECT_EQ(pm->Items()->Items(1), c);
  EXPECT_THROW(pm->Items()->Add(a), EInvalidOperation);
  a->SetEnabled(false);
  a->Click();
  EXPECT_TRUE(log.empty());
}

TEST(Menus, ShortcutsWorkFromAnywhereInTheForm) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  Log keys;
  auto* panel = new TPanel(f);
  panel->SetParent(f);
  auto* rec = new TRecorder(f, panel, "rec", &keys);
  auto* mm = new TMainMenu(f);
  EXPECT_TRUE(f->HasMenu());
  std::vector<std::string> log;
  TMenuItem* rubrik = Item(f, mm->Items(), "&Rubrik", nullptr);
  Item(f, rubrik, "Leer", &log, ShortCut(VK_DELETE, 0));
  TMenuItem* f4 = Item(f, rubrik, "Persönliche Daten", &log, ShortCut(VK_F4, 0));
  TMenuItem* datum = Item(f, mm->Items(), "D&atum", nullptr);
  TMenuItem* sub = Item(f, datum, "Mehr", nullptr);
  Item(f, sub, "Jahr +", &log, ShortCut(VK_NEXT, ssAlt));
  Item(f, mm->Items(), "&Hilfe", nullptr);
  Item(f, mm->Items()->Items(2), "Info", &log, ShortCut(VK_F1, ssShift));
  auto* pop = new TPopupMenu(f);
  Item(f, pop->Items(), "Kopieren", &log, ShortCut('C', ssCtrl));
  panel->SetPopupMenu(pop);
  f->Show();
  rec->SetFocus();
  d.PressKey(VK_DELETE);
  d.PressKey(VK_F4);
  d.PressKey(VK_NEXT, ssAlt);
  d.PressKey(VK_F1, ssShift);
  d.PressKey(VK_F1);             // no item: reaches the control
  d.PressKey('C', ssCtrl);       // the parent's popup menu
  f4->SetEnabled(false);
  d.PressKey(VK_F4);             // disabled: passes through
  EXPECT_EQ(log, (std::vector<std::string>{"Leer", "Persönliche Daten", "Jahr +", "Info", "Kopieren"}));
  EXPECT_NE(std::find(keys.begin(), keys.end(), "rec:WM_KEYDOWN:" + std::to_string(VK_F1)), keys.end());
  EXPECT_NE(std::find(keys.begin(), keys.end(), "rec:WM_KEYDOWN:" + std::to_string(VK_F4)), keys.end());
  EXPECT_EQ(std::count(keys.begin(), keys.end(), "rec:WM_KEYDOWN:" + std::to_string(VK_DELETE)), 0);
}

TEST(Menus, PopupByKeysRunsTheItemAfterClosing) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  Log keys;
  auto* rec = new TRecorder(f, f, "rec", &keys);
  auto* pm = new TPopupMenu(f);
  std::vector<std::string> log;
  Item(f, pm->Items(), "&Eins", &log);
  Item(f, pm->Items(), "-", &log);
  TMenuItem* off = Item(f, pm->Items(), "Aus", &log);
  off->SetEnabled(false);
  TMenuItem* sub = Item(f, pm->Items(), "&Unter", nullptr);
  Item(f, sub, "Tief", &log);
  TMenuItem* checked = Item(f, pm->Items(), "Mit Haken", nullptr, ShortCut(VK_F5, ssCtrl));
  checked->SetChecked(true);
  TMenuItem* radio = Item(f, pm->Items(), "Als Auswahl", nullptr);
  radio->SetRadioItem(true);
  radio->SetChecked(true);
  f->Show();
  rec->SetFocus();
  bool openDuringClick = true;
  pm->Items()->Items(0)->OnClick = [&](TObject*) {
    openDuringClick = !OpenMenuWindows().empty();
    log.push_back("Eins");
  };
  // Down, Down skips the line; Enter on the disabled item does nothing;
  // Down reaches the sub-menu; Right opens it; Enter chooses.
  d.WhenModal([&](TCustomForm&) {
    ASSERT_EQ(OpenMenuWindows().size(), 1u);
    d.PressKey(VK_DOWN);
    d.PressKey(VK_DOWN);
    d.PressKey(VK_RETURN);
    EXPECT_EQ(OpenMenuWindows().size(), 1u);
    d.PressKey(VK_DOWN);
    d.PressKey(VK_RIGHT);
    EXPECT_EQ(OpenMenuWindows().size(), 2u);
    d.SavePng(OpenMenuWindows()[0], "menu_popup");
    d.PressKey(VK_RETURN);
  });
  pm->Popup(50, 50);
  EXPECT_TRUE(OpenMenuWindows().empty());
  EXPECT_EQ(log, std::vector<std::string>{"Tief"});
  // Accelerator letters choose; Escape closes without choosing.
  d.WhenModal([&](TCustomForm&) { d.PressKey('E'); });
  pm->Popup(50, 50);
  EXPECT_FALSE(openDuringClick);
  d.WhenModal([&](TCustomForm&) { d.PressKey(VK_ESCAPE); });
  pm->Popup(50, 50);
  EXPECT_EQ(log, (std::vector<std::string>{"Tief", "Eins"}));
  // Keys typed while the menu was open never reached the control.
  for (const std::string& k : keys) EXPECT_EQ(k.find("WM_CHAR"), std::string::npos) << k;
  EXPECT_EQ(std::count(keys.begin(), keys.end(), "rec:WM_KEYDOWN:" + std::to_string(VK_DOWN)), 0);
}

TEST(Menus, PopupByMouseAndRightClick) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* rec = new TRecorder(f, f, "rec", nullptr);
  rec->SetBounds(10, 10, 100, 50);
  auto* pm = new TPopupMenu(f);
  std::vector<std::string> log;
  Item(f, pm->Items(), "Eins", &log);
  TMenuItem* zwei = Item(f, pm->Items(), "Zwei", &log);
  rec->SetPopupMenu(pm);
  f->Show();
  d.WhenModal([&](TCustomForm&) {
    auto w = OpenMenuWindows();
    ASSERT_EQ(w.size(), 1u);
    TRect r = MenuItemRect(w[0], zwei);
    EXPECT_EQ(MenuItemAt(w[0], r.Left + 5, r.Top + 5), zwei);
    d.Click(w[0], r.Left + 5, r.Top + 5);
  });
  d.RightClick(rec, 20, 20);
  EXPECT_EQ(log, std::vector<std::string>{"Zwei"});
  // A press outside closes the menu without choosing.
  d.WhenModal([&](TCustomForm&) { d.Click(f, 250, 180); });
  d.RightClick(rec, 20, 20);
  EXPECT_EQ(log, std::vector<std::string>{"Zwei"});
  pm->SetAutoPopup(false);
  d.RightClick(rec, 20, 20);  // no loop runs: nothing starves
  delete pm;                  // the control forgets it
  EXPECT_EQ(rec->PopupMenu(), nullptr);
}

// Items without a hotkey of their own get the first letter no other item
// of their level has: it is underlined, and it chooses the item.
TEST(Menus, EveryItemOfADropDownGetsAHotkey) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* mm = new TMainMenu(f);
  std::vector<std::string> log;
  TMenuItem* datei = Item(f, mm->Items(), "&Datei", nullptr);
  for (const char* c : {"Termine", "Tag +", "Spruch des Tages", "&Beenden"}) Item(f, datei, c, &log);
  f->Show();
  for (char key : {'S', 'A'})
    d.WhenModal([&, key](TCustomForm&) {
      d.SavePng(OpenMenuWindows()[0], "menu_hotkeys");
      d.PressKey(key);
    });
  d.PressKey('D', ssAlt);
  d.PressKey('D', ssAlt);
  EXPECT_EQ(log, (std::vector<std::string>{"Spruch des Tages", "Tag +"}));
  EXPECT_EQ(datei->Items(0)->Caption(), "Termine");  // the captions themselves stay
}

TEST(Menus, AltLetterOpensTheMainMenu) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* rec = new TRecorder(f, f, "rec", nullptr);
  auto* mm = new TMainMenu(f);
  std::vector<std::string> log;
  TMenuItem* datei = Item(f, mm->Items(), "&Datei", nullptr);
  Item(f, datei, "Termine", &log);
  Item(f, datei, "&Beenden", &log);
  f->Show();
  rec->SetFocus();
  d.WhenModal([&](TCustomForm&) {
    ASSERT_EQ(OpenMenuWindows().size(), 1u);
    d.PressKey('B');
  });
  d.PressKey('D', ssAlt);
  EXPECT_EQ(log, std::vector<std::string>{"Beenden"});
  // F10 opens the first drop-down; Right steps to the next bar item, whose
  // first item is highlighted; Enter chooses it.
  TMenuItem* hilfe = Item(f, mm->Items(), "&Hilfe", nullptr);
  Item(f, hilfe, "Info", &log);
  std::vector<int> seen;
  d.WhenModal([&](TCustomForm&) {
    seen.push_back(mm->OpenIndex());
    d.PressKey(VK_RIGHT);
  });
  d.WhenModal([&](TCustomForm&) {
    seen.push_back(mm->OpenIndex());
    d.PressKey(VK_LEFT);
  });
  d.WhenModal([&](TCustomForm&) {
    seen.push_back(mm->OpenIndex());
    d.PressKey(VK_LEFT);  // wraps round to the last
  });
  d.WhenModal([&](TCustomForm&) {
    seen.push_back(mm->OpenIndex());
    d.PressKey(VK_RETURN);
  });
  d.PressKey(VK_F10);
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 0, 1}));
  EXPECT_EQ(log, (std::vector<std::string>{"Beenden", "Info"}));
}

TEST(Menus, ASharedLetterStepsOnAndAltAloneHandsTheKeysToTheBar) {
  TUiTestDriver d;
  TForm* f = MakeForm(300, 120);
  Log keys;
  auto* rec = new TRecorder(f, f, "rec", &keys, DLGC_WANTARROWS);
  auto* mm = new TMainMenu(f);
  std::vector<std::string> log;
  Item(f, Item(f, mm->Items(), "&Datei", nullptr), "&Beenden", &log);
  Item(f, Item(f, mm->Items(), "D&atum", nullptr), "Heute", &log);
  TMenuItem* drucken = Item(f, mm->Items(), "&Drucken", nullptr);
  for (const char* c : {"Blätter", "&Vorlagen erfassen", "Vorlagen &verwalten"}) Item(f, drucken, c, &log);
  f->Show();
  rec->SetFocus();
  // D again, Alt held or not, moves from "Datei" to "Drucken" and round; in
  // "Drucken" the shared V only moves the highlight (wrapping).
  std::vector<int> seen;
  auto step = [&](std::function<void()> keys) {
    d.WhenModal([&, keys](TCustomForm&) {
      seen.push_back(mm->OpenIndex());
      keys();
    });
  };
  step([&] { d.PressKey('D', ssAlt); });
  step([&] { d.PressKey('D'); });
  step([&] { d.PressKey('D'); });
  step([&] {
    for (int k = 0; k < 4; ++k) d.PressKey('V');
    d.PressKey(VK_RETURN);
  });
  d.PressKey('D', ssAlt);
  EXPECT_EQ(seen, (std::vector<int>{0, 2, 0, 2}));
  EXPECT_EQ(log, std::vector<std::string>{"Vorlagen verwalten"});
  // Alt alone highlights the bar without opening it; Right moves along,
  // Alt alone leaves; from the bar D opens the first D, Down the highlighted
  // item; Alt alone closes an open drop-down.
  d.PressKey(VK_MENU);
  d.PressKey(VK_RIGHT);
  EXPECT_EQ(mm->HotIndex(), 1);
  EXPECT_TRUE(OpenMenuWindows().empty());
  TRect r1 = mm->BarLayout()[1].second;
  d.SavePng(f, "menu_bar_keyboard");
  EXPECT_EQ(f->WindowSurface()->Row(r1.Top)[r1.Left + 5] & 0xFFFFFF, 0xFFFFFFu) << "raised edge";
  d.PressKey(VK_MENU);
  EXPECT_EQ(mm->HotIndex(), -1);
  seen.clear();
  step([&] { d.PressKey('B'); });
  step([&] { d.PressKey(VK_MENU); });
  for (int vk : {VK_MENU, int('D'), VK_MENU, VK_RIGHT, VK_DOWN}) d.PressKey(vk);
  EXPECT_EQ(seen, (std::vector<int>{0, 1}));
  EXPECT_EQ(log, (std::vector<std::string>{"Vorlagen verwalten", "Beenden"}));
  // Not alone: a key between, AltGr, the window losing the keyboard between.
  d.KeyDown(VK_MENU);
  d.PressKey(VK_F5);
  d.KeyUp(VK_MENU);
  d.PressKey(VK_RMENU);
  d.KeyDown(VK_MENU);
  THostInput away;
  away.kind = THostInput::Deactivated;
  f->HostInput(away);
  d.KeyUp(VK_MENU);
  EXPECT_EQ(mm->HotIndex(), -1);
  // A press ends bar mode. The keys the bar took never reached the control;
  // after it, Right does.
  d.PressKey(VK_MENU);
  d.Click(rec, 5, 5);
  EXPECT_EQ(mm->HotIndex(), -1);
  d.PressKey(VK_RIGHT);
  EXPECT_EQ(std::count(keys.begin(), keys.end(), "rec:WM_KEYDOWN:" + std::to_string(VK_RIGHT)), 1);
  for (const std::string& k : keys) EXPECT_EQ(k.find("CHAR"), std::string::npos) << k;
}

TEST(Menus, ShortcutsStayInTheirForm) {
  TUiTestDriver d;
  TForm* main = MakeForm();
  auto* mm = new TMainMenu(main);
  std::vector<std::string> log;
  TMenuItem* top = Item(main, mm->Items(), "&Datei", nullptr);
  Item(main, top, "Leer", &log, ShortCut(VK_DELETE, 0));
  TForm* dlg = MakeForm();
  Log keys;
  auto* rec = new TRecorder(dlg, dlg, "rec", &keys);
  main->Show();
  d.WhenModal([&](TCustomForm&) {
    rec->SetFocus();
    d.PressKey(VK_DELETE);  // the dialog has no menu: the key reaches the control
    dlg->SetModalResult(mrOk);
  });
  dlg->ShowModal();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(std::count(keys.begin(), keys.end(), "rec:WM_KEYDOWN:" + std::to_string(VK_DELETE)), 1);
  EXPECT_THROW(top->Insert(5, new TMenuItem(main)), EListError);
  // Freeing the main menu gives the form its full client height back.
  int before = main->ClientHeight();
  delete mm;
  EXPECT_FALSE(main->HasMenu());
  EXPECT_GT(main->ClientHeight(), before);
}

TEST(Menus, MenuBarDrawnAboveTheClientAndClicked) {
  TUiTestDriver d;
  TForm* f = MakeForm(300, 120);
  auto* mm = new TMainMenu(f);
  std::vector<std::string> log;
  TMenuItem* datei = Item(f, mm->Items(), "&Datei", nullptr);
  Item(f, datei, "Termine", &log);
  Item(f, datei, "&Beenden", &log);
  TMenuItem* hilfe = Item(f, mm->Items(), "&Hilfe", nullptr);
  Item(f, hilfe, "Info", &log);
  auto* rec = new TRecorder(f, f, "rec", nullptr);
  rec->SetBounds(0, 0, 300, 120);
  f->Show();
  EXPECT_EQ(f->MenuBarHeight(), GetSystemMetrics(SM_CYMENU));
  ASSERT_NE(f->WindowSurface(), nullptr);
  EXPECT_EQ(f->WindowSurface()->Height(), f->ClientHeight() + f->MenuBarHeight());
  // The drop-down opens under its bar item, right below the bar.
  d.WhenModal([&](TCustomForm&) {
    auto w = OpenMenuWindows();
    ASSERT_EQ(w.size(), 1u);
    auto layout = mm->BarLayout();
    EXPECT_EQ(w[0]->Left(), f->ClientOrigin().X + layout[1].second.Left);
    EXPECT_EQ(w[0]->Top(), f->ClientOrigin().Y);
    EXPECT_EQ(mm->OpenIndex(), 1);
    d.PressKey(VK_RETURN);  // opened by mouse: nothing highlighted yet
    d.PressKey(VK_DOWN);
    d.PressKey(VK_RETURN);
  });
  d.ClickMenuBar(f, 1);
  EXPECT_EQ(log, std::vector<std::string>{"Info"});
  EXPECT_EQ(mm->OpenIndex(), -1);
  // A press in the client area still reaches the control at client (0, 0).
  d.Click(rec, 5, 5);
  // The bar shows the captions: some menu-text pixels in the first item.
  std::string path = d.SavePng(f, "menu_bar");
  const TSurface* ws = f->WindowSurface();
  auto layout = mm->BarLayout();
  int dark = 0;
  for (int y = 0; y < f->MenuBarHeight(); ++y)
    for (int x = layout[0].second.Left; x < layout[0].second.Right; ++x)
      dark += (ws->Row(y)[x] & 0xFFFFFF) < 0x404040;
  EXPECT_GT(dark, 10);
  // With a drop-down open, the mouse passing over another bar item opens
  // that item's drop-down instead.
  std::vector<int> opened;
  d.WhenModal([&](TCustomForm&) {
    opened.push_back(mm->OpenIndex());
    TRect r1 = mm->BarLayout()[1].second;
    THostInput move;
    move.kind = THostInput::MouseMove;
    move.x = (r1.Left + r1.Right) / 2;
    move.y = 5;
    f->HostInput(move);
  });
  d.WhenModal([&](TCustomForm&) {
    opened.push_back(mm->OpenIndex());
    EXPECT_EQ(OpenMenuWindows().size(), 1u);
    d.PressKey(VK_ESCAPE);
  });
  d.ClickMenuBar(f, 0);
  EXPECT_EQ(opened, (std::vector<int>{0, 1}));
  EXPECT_EQ(mm->OpenIndex(), -1);
  EXPECT_EQ(log, std::vector<std::string>{"Info"});
  // A caption change repaints the bar.
  datei->SetCaption("");
  int after = 0;
  for (int y = 0; y < f->MenuBarHeight(); ++y)
    for (int x = 0; x < 20; ++x) after += (ws->Row(y)[x] & 0xFFFFFF) < 0x404040;
  EXPECT_EQ(after, 0);
}

}  // namespace
