// List box and combo box: prefix search from a start index, keyboard and
// mouse selection, owner-drawn rows, and the drop-down list opened, walked
// and closed by keys and mouse while the combo box keeps the focus.
#include <gtest/gtest.h>

#include "platform/rtl/cp1252.h"
#include "tests/ui/ui_test_util.h"

namespace {

TListBox* MakeList(TForm* f) {
  auto* lb = new TListBox(f);
  lb->SetParent(f);
  lb->SetBounds(10, 10, 120, 80);
  for (const char* s : {"Anna", "Bernd", "berta", "Carl", "Dora", "Emil", "Frieda", "Gustav", "Heinrich", "Ida"})
    lb->Items()->Add(s);
  return lb;
}

TEST(ListBox, PrefixSearchFromAStartIndex) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  TListBox* lb = MakeList(f);
  f->Show();
  // LB_SELECTSTRING starts after the given index, wraps, ignores case.
  EXPECT_EQ(lb->Perform(LB_SELECTSTRING, -1, reinterpret_cast<LPARAM>("BER")), 1);
  EXPECT_EQ(lb->ItemIndex(), 1);
  EXPECT_EQ(lb->Perform(LB_SELECTSTRING, 1, reinterpret_cast<LPARAM>("ber")), 2);
  EXPECT_EQ(lb->Perform(LB_SELECTSTRING, 2, reinterpret_cast<LPARAM>("ber")), 1);
  EXPECT_EQ(lb->Perform(LB_SELECTSTRING, 0, reinterpret_cast<LPARAM>("Xaver")), LB_ERR);
  EXPECT_EQ(lb->ItemIndex(), 1);  // unchanged when nothing matches
  EXPECT_EQ(lb->Perform(LB_FINDSTRING, -1, reinterpret_cast<LPARAM>("i")), 9);
  EXPECT_EQ(lb->ItemIndex(), 1);  // finding does not select
  EXPECT_EQ(lb->Perform(LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("BERTA")), 2);
  EXPECT_EQ(lb->Perform(LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("Bert")), LB_ERR);
  char buf[16];
  EXPECT_EQ(lb->Perform(LB_GETTEXT, 3, reinterpret_cast<LPARAM>(buf)), 4);
  EXPECT_STREQ(buf, "Carl");
  EXPECT_EQ(lb->Perform(LB_GETCOUNT, 0, 0), 10);
  // Typed characters search too: a repeated letter steps, a word narrows.
  lb->SetFocus();
  lb->SetItemIndex(0);
  d.Type("b");
  EXPECT_EQ(lb->ItemIndex(), 1);
  d.Type("b");
  EXPECT_EQ(lb->ItemIndex(), 2);
  d.Advance(1500);
  d.Type("hei");
  EXPECT_EQ(lb->ItemIndex(), 8);
}

TEST(ListBox, KeyboardAndMouseSelection) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  TListBox* lb = MakeList(f);
  int clicks = 0;
  lb->OnClick = [&](TObject*) { ++clicks; };
  f->Show();
  lb->SetFocus();
  d.PressKey(VK_DOWN);
  EXPECT_EQ(lb->ItemIndex(), 0);
  d.PressKey(VK_END);
  EXPECT_EQ(lb->ItemIndex(), 9);
  EXPECT_GT(lb->TopIndex(), 0);  // scrolled to show it
  EXPECT_LT(lb->ItemRect(9).Bottom, lb->ClientHeight() + 1);
  d.PressKey(VK_HOME);
  EXPECT_EQ(lb->TopIndex(), 0);
  EXPECT_EQ(clicks, 3);
  int h = lb->ItemHeight();
  d.Click(lb, 20, 2 * h + h / 2);
  EXPECT_EQ(lb->ItemIndex(), 2);
  EXPECT_EQ(clicks, 4);
  d.Click(lb, 20, 2 * h + h / 2);  // same item: no new click event
  EXPECT_EQ(clicks, 4);
  d.Drag(lb, {20, 2}, {20, 4 * h + 2});
  EXPECT_EQ(lb->ItemIndex(), 4);
  lb->Items()->Delete(9);
  lb->Items()->Delete(8);
  lb->SetItemIndex(7);
  lb->Items()->Clear();
  EXPECT_EQ(lb->ItemIndex(), -1);
}

TEST(ListBox, OwnerDrawFixedAndVariable) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  TListBox* lb = MakeList(f);
  lb->SetStyle(lbOwnerDrawVariable);
  std::vector<int> measured;
  lb->OnMeasureItem = [&](TWinControl*, int i, int& h) {
    measured.push_back(i);
    h = i % 2 ? 30 : 10;
  };
  std::vector<std::pair<int, TOwnerDrawState>> drawn;
  lb->OnDrawItem = [&](TWinControl* c, int i, TRect r, TOwnerDrawState st) {
    drawn.push_back({i, st});
    TCanvas* cv = static_cast<TListBox*>(c)->Canvas();
    cv->Brush()->SetColor(st & odSelected ? clRed : clYellow);
    cv->FillRect(r);
  };
  lb->SetItemIndex(1);
  f->Show();
  lb->SetFocus();
  d.Process();
  EXPECT_EQ(lb->ItemRect(1).Top, 10);
  EXPECT_EQ(lb->ItemRect(2).Top, 40);
  EXPECT_EQ(lb->ItemAtPos({5, 45}, true), 2);
  ASSERT_FALSE(drawn.empty());
  bool sawFocused = false;
  for (auto& [i, st] : drawn)
    if (i == 1) sawFocused = (st & (odSelected | odFocused)) == (odSelected | odFocused);
  EXPECT_TRUE(sawFocused);
  EXPECT_EQ(d.PixelAt(lb, 5, 15), clRed);
  EXPECT_EQ(d.PixelAt(lb, 5, 5), clYellow);
  // Measured once per item while the items stay.
  std::size_t once = measured.size();
  lb->Invalidate();
  d.Process();
  EXPECT_EQ(measured.size(), once);
  lb->SetStyle(lbOwnerDrawFixed);
  lb->SetItemHeight(18);
  EXPECT_EQ(lb->ItemRect(2).Top, 36);
  d.SavePng(f, "listbox_ownerdraw");
}

struct ComboFixture {
  TUiTestDriver d;
  TForm* f = MakeForm(300, 250);
  TComboBox* cb = nullptr;
  TEdit* other = nullptr;
  std::vector<std::string> log;
  ComboFixture(TComboBoxStyle style) {
    cb = new TComboBox(f);
    cb->SetParent(f);
    cb->SetBounds(10, 10, 150, 21);
    cb->SetStyle(style);
    for (const std::string& s : {std::string("Januar"), std::string("Februar"), CP1252("März").str(), std::string("April"), std::string("Mai"), std::string("Juni"),
                                 std::string("Juli"), std::string("August"), std::string("September"),
                                 std::string("Oktober"), std::string("November"), std::string("Dezember")})
      cb->Items()->Add(s);
    cb->SetDropDownCount(5);
    cb->OnChange = [this](TObject*) { log.push_back("change:" + cb->Text()); };
    cb->OnDropDown = [this](TObject*) { log.push_back("dropdown"); };
    cb->OnCloseUp = [this](TObject*) { log.push_back("closeup"); };
    other = new TEdit(f);
    other->SetParent(f);
    other->SetBounds(10, 200, 100, 21);
    f->Show();
    cb->SetFocus();
  }
};

TEST(ComboBox, DropDownByKeysKeepsTheFocus) {
  ComboFixture x(csDropDownList);
  x.cb->SetItemIndex(2);
  EXPECT_EQ(x.cb->Text(), CP1252("März").str());
  EXPECT_TRUE(x.log.empty());  // the program's choice raises no OnChange
  x.d.PressKey(VK_F4);
  ASSERT_TRUE(x.cb->DroppedDown());
  EXPECT_TRUE(x.cb->Focused());
  EXPECT_TRUE(x.cb->DropWindow()->Showing());
  EXPECT_EQ(x.cb->DropList()->ItemIndex(), 2);
  // The drop-down sits below the box, as wide as it, five rows high.
  TPoint below = x.cb->ClientToScreen({0, x.cb->ClientHeight()});
  EXPECT_NEAR(x.cb->DropWindow()->Top(), below.Y, 3);
  EXPECT_EQ(x.cb->DropWindow()->Width(), x.cb->Width());
  x.d.SavePng(x.cb->DropWindow(), "combo_dropped");
  x.d.PressKey(VK_DOWN);
  x.d.PressKey(VK_DOWN);
  EXPECT_EQ(x.cb->ItemIndex(), 4);
  x.d.PressKey(VK_RETURN);
  EXPECT_FALSE(x.cb->DroppedDown());
  EXPECT_EQ(x.cb->Text(), "Mai");
  // Escape closes without choosing; Alt+Down opens.
  x.d.PressKey(VK_DOWN, ssAlt);
  EXPECT_TRUE(x.cb->DroppedDown());
  x.d.PressKey(VK_ESCAPE);
  EXPECT_FALSE(x.cb->DroppedDown());
  EXPECT_EQ(x.cb->Text(), "Mai");
  // Typed letters choose by prefix.
  x.d.Type("s");
  EXPECT_EQ(x.cb->Text(), "September");
  x.d.Advance(2000);
  x.d.Type("ju");
  EXPECT_EQ(x.cb->Text(), "Juni");
  EXPECT_EQ(x.log.front(), "dropdown");
  EXPECT_EQ(x.log.back(), "change:Juni");
  // Leaving the box closes the list.
  x.d.PressKey(VK_F4);
  x.other->SetFocus();
  EXPECT_FALSE(x.cb->DroppedDown());
}

TEST(ComboBox, DropDownByMouse) {
  ComboFixture x(csDropDown);
  int clicks = 0;
  x.cb->OnClick = [&](TObject*) { ++clicks; };
  TRect btn{x.cb->ClientWidth() - 8, 5, 0, 0};
  x.d.Click(x.cb, btn.Left, btn.Top);
  ASSERT_TRUE(x.cb->DroppedDown());
  TCustomListBox* list = x.cb->DropList();
  int h = list->ItemHeight();
  x.d.MouseMove(list, 20, 3 * h + 2);  // the list follows the mouse
  EXPECT_EQ(list->ItemIndex(), 3);
  x.d.Click(list, 20, 3 * h + 2);
  EXPECT_FALSE(x.cb->DroppedDown());
  EXPECT_EQ(x.cb->Text(), "April");
  EXPECT_EQ(x.cb->ItemIndex(), 3);
  EXPECT_EQ(clicks, 1);
  // A press outside the list closes it without choosing.
  x.d.Click(x.cb, btn.Left, btn.Top);
  ASSERT_TRUE(x.cb->DroppedDown());
  x.d.Click(x.f, 250, 150);
  EXPECT_FALSE(x.cb->DroppedDown());
  EXPECT_EQ(x.cb->Text(), "April");
  // A press on the button while open closes it and does not reopen it.
  x.d.Click(x.cb, btn.Left, btn.Top);
  x.d.Click(x.cb, btn.Left, btn.Top);
  EXPECT_FALSE(x.cb->DroppedDown());
}

TEST(ComboBox, EditableTextAndList) {
  ComboFixture x(csDropDown);
  x.d.Type("Ok");
  EXPECT_EQ(x.cb->ItemIndex(), -1);
  x.d.Type("tober");
  EXPECT_EQ(x.cb->ItemIndex(), 9);  // the text names an item
  x.cb->SetText("");
  x.d.PressKey(VK_F4);
  x.d.Type("Au");
  EXPECT_EQ(x.cb->DropList()->ItemIndex(), 7);  // the open list follows the prefix
  x.d.PressKey(VK_RETURN);
  EXPECT_EQ(x.cb->Text(), "August");
  x.d.PressKey(VK_UP);
  EXPECT_EQ(x.cb->Text(), "Juli");
}

TEST(ComboBox, OwnerDrawUsesTheListCanvas) {
  ComboFixture x(csOwnerDrawFixed);
  x.cb->SetItemHeight(20);
  std::vector<TOwnerDrawState> states;
  x.cb->OnDrawItem = [&](TWinControl* c, int, TRect r, TOwnerDrawState st) {
    states.push_back(st);
    TCanvas* cv = static_cast<TComboBox*>(c)->Canvas();
    cv->Brush()->SetColor(clLime);
    cv->FillRect(r);
  };
  x.cb->SetItemIndex(0);
  x.d.Process();
  ASSERT_FALSE(states.empty());
  EXPECT_TRUE(states.back() & odComboBoxEdit);
  x.d.PressKey(VK_F4);
  x.d.Process();
  EXPECT_EQ(x.d.PixelAt(x.cb->DropList(), 5, 25), clLime);
  EXPECT_EQ(x.cb->DropList()->ItemRect(1).Top, 20);
}

TEST(ListBox, MessagesAndSortedItems) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* lb = new TListBox(f);
  lb->SetParent(f);
  lb->SetBounds(10, 10, 120, 60);
  f->Show();
  EXPECT_EQ(lb->Perform(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("b")), 0);
  EXPECT_EQ(lb->Perform(LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("a")), 0);
  EXPECT_EQ(lb->Perform(LB_INSERTSTRING, -1, reinterpret_cast<LPARAM>("z")), 2);
  EXPECT_EQ(lb->Perform(LB_SETCURSEL, 2, 0), 2);
  EXPECT_EQ(lb->Perform(LB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(lb->Perform(LB_SETCURSEL, 7, 0), LB_ERR);
  EXPECT_EQ(lb->ItemIndex(), -1);
  EXPECT_EQ(lb->Perform(LB_DELETESTRING, 5, 0), LB_ERR);
  EXPECT_EQ(lb->Perform(LB_DELETESTRING, 0, 0), 2);
  EXPECT_EQ(lb->Perform(LB_GETTEXTLEN, 1, 0), 1);
  EXPECT_EQ(lb->Perform(LB_GETITEMHEIGHT, 0, 0), lb->ItemHeight());
  for (int i = 0; i < 20; ++i) lb->Items()->Add("x" + std::to_string(i));
  lb->Perform(LB_SETTOPINDEX, 5, 0);
  EXPECT_EQ(lb->Perform(LB_GETTOPINDEX, 0, 0), 5);
  lb->Perform(WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(lb->TopIndex() + lb->ClientHeight() / lb->ItemHeight(), 22);  // the last page is full
  lb->Perform(LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(lb->Perform(LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(lb->TopIndex(), 0);
  lb->SetSorted(true);
  for (const char* s : {"Mai", "April", "Juni"}) lb->Items()->Add(s);
  EXPECT_EQ(lb->Items()->Strings(0), "April");
  EXPECT_EQ(lb->Items()->Strings(2), "Mai");
}

TEST(ComboBox, ClosedKeysAndItemChanges) {
  ComboFixture x(csDropDownList);
  int clicks = 0;
  x.cb->OnClick = [&](TObject*) { ++clicks; };
  x.d.PressKey(VK_DOWN);
  EXPECT_EQ(x.cb->ItemIndex(), 0);
  x.d.PressKey(VK_END);
  EXPECT_EQ(x.cb->Text(), "Dezember");
  x.d.PressKey(VK_DOWN);  // already at the end: nothing changes
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(x.log, (std::vector<std::string>{"change:Januar", "change:Dezember"}));
  EXPECT_FALSE(x.cb->DroppedDown());
  x.cb->Items()->Delete(11);
  EXPECT_EQ(x.cb->ItemIndex(), -1);
  x.cb->SetItemIndex(40);
  EXPECT_EQ(x.cb->ItemIndex(), -1);
  EXPECT_EQ(x.cb->Text(), "");
  // Freeing the box while its list is open leaves no window behind.
  x.d.PressKey(VK_F4);
  ASSERT_TRUE(x.cb->DroppedDown());
  int forms = Screen->FormCount();
  delete x.cb;
  EXPECT_EQ(Screen->FormCount(), forms);
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST(ComboBox, ShutDownWithAnOpenListOfAFormWithoutOwner) {
  // Forms without an owner are freed last-made first at shut-down: here the
  // drop-down window goes before the form with its combo box.
  TUiTestDriver d;
  auto* f = new TForm(nullptr);
  auto* cb = new TComboBox(f);
  cb->SetParent(f);
  cb->Items()->Add("eins");
  f->Show();
  cb->SetFocus();
  d.PressKey(VK_F4);
  EXPECT_TRUE(cb->DroppedDown());
  ShutdownUi();  // must not free the list twice
  EXPECT_EQ(Screen, nullptr);
}

TEST(ComboBox, SimpleStyleShowsItsListBelowTheEdit) {
  ComboFixture x(csSimple);
  x.cb->SetHeight(120);
  x.d.Process();
  TCustomListBox* list = x.cb->DropList();
  EXPECT_EQ(list->Parent(), x.cb);
  EXPECT_TRUE(list->Showing());
  EXPECT_GT(list->Top(), 10);
  x.d.PressKey(VK_F4);  // no drop-down in this style
  EXPECT_FALSE(x.cb->DroppedDown());
  int h = list->ItemHeight();
  x.d.Click(list, 20, 2 * h + h / 2);
  EXPECT_EQ(x.cb->Text(), CP1252("März").str());
  EXPECT_TRUE(x.cb->Focused());  // the list leaves the focus with the box
  x.cb->SelectAll();
  x.d.Type("Ju");
  EXPECT_EQ(list->ItemIndex(), 5);  // the list follows the typed prefix
  x.d.PressKey(VK_DOWN);
  EXPECT_EQ(x.cb->Text(), "Juli");
  x.d.SavePng(x.cb, "combo_simple");
  EXPECT_EQ(x.d.PixelAt(x.cb, 0, 5), ColorToRGB(clBtnShadow));  // the edit's own sunken frame
  x.cb->SetStyle(csDropDown);
  EXPECT_EQ(list->Parent(), nullptr);
}

}  // namespace
