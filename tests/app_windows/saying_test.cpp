// The saying window against the sayings' sources: for any day and category
// the memo shows that day's saying (day of the year counted here), broken
// after punctuation, with its source; the same on every start, another in
// each category. Categories wrap round; the main window passes its key
// releases on and reloads the window with its page; copy and print.
#include <gtest/gtest.h>

#include <set>

#include "app/main/mainwin.h"
#include "app/windows/saying.h"
#include "calendar/datetexts.h"
#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/clipbrd.h"
#include "platform/ui/keyboard.h"
#include "tests/app_windows/windows_fixture.h"

namespace {

using namespace wintest;

int DayOfYearByHand(int y, int m, int d) {
  static const int days[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  return days[m - 1] + d + (m > 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0));
}

// The memo's text, by the window's rule written out here.
AnsiString Expected(int category, int day) {
  const TSaying& s = Sources().Sayings[static_cast<size_t>(category)][static_cast<size_t>(day - 1)];
  AnsiString t = (category == 5 ? "Liebe ist... ..." : "") + s.Text;
  for (const char* mark : {",", ".", ":", ";", "!", "?", "-"})
    for (size_t at = t.find(mark + AnsiString(" ")); at != AnsiString::npos; at = t.find(mark + AnsiString(" "), at))
      t.replace(at + 1, 1, "\r\n");
  return s.Source.empty() ? t : t + "\r\n\r\n" + s.Source;
}

const char* const kCaptions[] = {"Spruch des Tages:",      "Murphy's Gesetz zum Tag:", "Kindermund des Tages:",
                                 "Stilblüte des Tages:",   "Kathederblüte des Tages:", "Liebeserklärung des Tages:",
                                 "Sprichwort des Tages:",  "Zitat des Tages:",         "Bauernregel des Tages:",
                                 "Bibelspruch des Tages:", "Goethe zum Tag:",          "Jean Paul zum Tag:"};

TEST_F(WindowsTest, TheSayingOfADayIsThatDaysSayingOfItsCategoryOnEveryStart) {
  Start("[ALLGEMEIN]\r\nSpruchtyp=7\r\n");
  CurrentDateKey = MakePackedDate(2024, 2, 29);
  std::map<std::pair<int, int>, AnsiString> first;
  for (int start = 0; start < 2; ++start) {
    auto* s = new TfrmSpruch(Application);
    EXPECT_EQ(s->Category(), 7);
    s->Show();
    for (const auto& d : {std::array{2024, 2, 29}, {2024, 12, 31}, {2023, 3, 1}, {2026, 7, 14}}) {
      CurrentDateKey = MakePackedDate(d[0], d[1], d[2]);
      const int day = DayOfYearByHand(d[0], d[1], d[2]);
      std::set<AnsiString> texts;
      for (int c = 0; c < kSayingCategoryCount; ++c) {
        s->SetCategory(c);
        LoadSpruch(s);
        const AnsiString text = s->memoSpruch->Text();
        EXPECT_EQ(text, Expected(c, day)) << d[0] << "-" << d[1] << "-" << d[2] << " category " << c;
        EXPECT_EQ(s->Caption(), Utf8ToCp1252OrThrow(kCaptions[c]));
        EXPECT_EQ(s->imgSpruch->Picture()->Graphic()->SaveToBytes(), SayingPicture(c)->SaveToBytes());
        texts.insert(text);
        if (start == 0) first[{day, c}] = text;
        EXPECT_EQ(text, (first[{day, c}]));
      }
      EXPECT_EQ(texts.size(), 12u);
    }
    delete s;
  }
  EXPECT_EQ(DayOfYearByHand(2024, 2, 29), 60);
  EXPECT_EQ(DayOfYearByHand(2024, 12, 31), 366);
}

TEST_F(WindowsTest, CategoriesWrapRoundAndTheMainWindowPassesItsKeysAndItsDayOn) {
  Start("[ALLGEMEIN]\r\nSpruchtyp=11\r\nTermine anzeigen=0\r\nSpruch anzeigen=1\r\nSpruchfenster immer oben=1\r\n");
  TfrmMain* m = nullptr;
  Application->CreateForm(m);
  Application->CreateForm(frmSpruch);
  m->Show();
  driver.Process();
  driver.Advance(200);
  // Shown at the start and kept on top; the main window keeps the keyboard.
  TfrmSpruch* s = frmSpruch;
  ASSERT_TRUE(s->Visible());
  EXPECT_EQ(s->FormStyle(), fsStayOnTop);
  EXPECT_EQ(Screen->ActiveForm(), m);
  driver.Click(s->pbNext);
  EXPECT_EQ(s->Category(), 0);
  driver.Click(s->pbPrev);
  EXPECT_EQ(s->Category(), 11);
  // The keys, released in the main window; the arrows stay the calendar's.
  m->SetFocus();
  for (const auto& [vk, category] :
       {std::pair{int{'1'}, 0}, {'9', 8}, {'0', 9}, {219, 10}, {221, 11}, {VK_RIGHT, 11}, {VK_LEFT, 11}, {'6', 5}}) {
    driver.PressKey(vk);
    EXPECT_EQ(s->Category(), category) << vk;
  }
  driver.Click(s->memoSpruch);
  EXPECT_TRUE(s->memoSpruch->Focused() && !CaretVisible()) << "the saying's text shows no caret";
  driver.SavePng(s, "windows_saying_love");
  // A new day in the main window: the saying follows with the page.
  m->Kalender->SetDate(EncodeDate(2024, 2, 29));
  m->Kalender->OnDateChange(m->Kalender);
  driver.Advance(400);
  EXPECT_EQ(s->memoSpruch->Text(), Expected(5, 60));
  for (int c : {0, 10}) {
    s->SetCategory(c);
    LoadSpruch(s);
    driver.SavePng(s, c == 0 ? "windows_saying_humour" : "windows_saying_poet");
  }
  // A long saying in the smallest window: Bild ab reaches its last line
  // wherever the focus is, and the bar shows it; Escape closes the window.
  const int category = s->Category();
  CurrentDateKey = MakePackedDate(2026, 5, 14);
  s->SetCategory(1);
  LoadSpruch(s);
  driver.Click(s->memoSpruch);
  const TPoint min = static_cast<TOrvelanForm*>(s)->MinimumSize();
  s->SetBounds(s->Left(), s->Top(), min.X, min.Y);
  s->SetActiveControl(s->pbHilfe);
  for (int page = 0; page < 4; ++page) driver.PressKey(VK_NEXT);
  TScrollInfo bar;
  bar.fMask = SIF_ALL;
  EXPECT_TRUE(s->memoSpruch->GetScrollInfo(SB_VERT, bar) && bar.nPos > 0 && bar.nPos + int(bar.nPage) > bar.nMax);
  driver.PressKey(VK_ESCAPE);
  EXPECT_FALSE(s->Visible());
  s->SetCategory(category);
  driver.Click(m->pbSpruch);
  // Hidden by "Schließen", it takes no keys; "Spruch" shows it again.
  driver.Click(s->pbClose);
  driver.PressKey('1');
  EXPECT_EQ(s->Category(), 10);
  driver.Click(m->pbSpruch);
  EXPECT_TRUE(s->Visible());

  driver.AnswerNextMessageBox(IDOK);
  driver.Click(s->pbCopy);
  AnsiString copied = s->memoSpruch->Text();  // the desktop's line ends there, CR LF here
  ReplaceSubstring(copied, "\r\n", "\n");
  EXPECT_NE(copied, s->memoSpruch->Text());
  EXPECT_EQ(Clipboard()->AsText(), copied);
  EXPECT_EQ(driver.MessageBoxes().at(0).Text, "Der Spruch befindet sich jetzt in der Zwischenablage");
  // Printed after a rich-text printout: the memo's lines, broken between
  // the margins where one is wider than the paper (a Stilblüte of 8 December).
  CurrentDateKey = MakePackedDate(2026, 12, 8);
  s->SetCategory(3);
  LoadSpruch(s);
  const std::string pdf = (Root() / "spruch.pdf").string();
  Printer()->SetPrinterIndex(0);
  Printer()->SetOutputFileName((Root() / "seite.pdf").string());
  m->WPRichText1->Print();
  driver.WhenModal([&](TCustomForm& dlg) { dlg.SetModalResult(mrOk); });
  driver.AnswerNextFileDialog(pdf);
  driver.Click(s->pbPrint);
  if (!Have("pdftotext")) GTEST_SKIP() << "pdftotext is not installed";
  const std::string text = Shell("pdftotext -layout '" + pdf + "' -");
  AnsiString printed;
  ASSERT_TRUE(Utf8ToCp1252(text, printed));
  // The non-empty lines of the memo and of the printout.
  auto lines = [](const AnsiString& t) {
    std::vector<AnsiString> out;
    for (size_t a = 0, b = 0; a < t.size(); a = b + 1) {
      b = std::min(t.find('\n', a), t.size());
      if (const AnsiString l = Trim(t.substr(a, b - a)); !l.empty()) out.push_back(l);
    }
    return out;
  };
  // Every word once, in order, on more lines than the memo has, none past
  // the right margin (0.8 inch of a sheet 595 points wide).
  auto joined = [&](const AnsiString& t) {
    AnsiString all;
    for (const AnsiString& l : lines(t)) all += l + " ";
    return all;
  };
  EXPECT_EQ(joined(printed), joined(s->memoSpruch->Text()));
  EXPECT_GT(lines(printed).size(), lines(s->memoSpruch->Text()).size());
  const std::string boxes = Shell("pdftotext -bbox '" + pdf + "' -");
  for (size_t at = boxes.find("xMax=\""); at != std::string::npos; at = boxes.find("xMax=\"", at + 1))
    EXPECT_LT(std::atof(boxes.c_str() + at + 6), 595.3 - 0.8 * 72 + 1) << boxes.substr(at, 80);
  delete m;
}

TEST_F(WindowsTest, ASayingWindowLeftOpenAtTheEndIsWhereTheUserLeftItAtTheNextStart) {
  Start();
  CurrentDateKey = MakePackedDate(2024, 6, 1);
  Application->CreateForm(frmSpruch);
  frmSpruch->Show();
  frmSpruch->SetBounds(123, 77, 600, 320);
  ShutdownUi();  // the end frees the windows with the application
  auto* s = new TfrmSpruch(Application);
  s->Show();
  EXPECT_EQ(s->BoundsRect(), (TRect{123, 77, 723, 397}));
  delete s;
}

}  // namespace
