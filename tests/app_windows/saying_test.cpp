// The saying window against the sayings' sources: for any day and category
// the memo shows that day's saying (day of the year counted here, 29
// February day 60, 31 December of a leap year day 366), broken after
// punctuation as the rule says, with its source; the same on every start,
// another in another category; the category buttons and keys wrap round,
// the main window passes its key releases on and reloads the window after
// a rebuild of its page; copy and print.
#include <gtest/gtest.h>

#include <set>

#include "app/main/mainwin.h"
#include "app/windows/saying.h"
#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/clipbrd.h"
#include "platform/ui/keyboard.h"
#include "resources/pictures.h"
#include "tests/app_windows/windows_fixture.h"

namespace {

using wintest::WindowsTest;
namespace fs = std::filesystem;

// Day of the year by counting the months before it.
int DayOfYearByHand(int y, int m, int d) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  int n = d;
  for (int i = 1; i < m; ++i) n += days[i - 1] + (i == 2 && leap ? 1 : 0);
  return n;
}

void ReplaceAll(AnsiString& s, const AnsiString& from, const AnsiString& to) {
  for (size_t at = s.find(from); at != AnsiString::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
}

// The memo's text for a saying, by the window's rule written out here.
AnsiString Expected(int category, int day) {
  const TSaying& s = wintest::Sources().Sayings[static_cast<size_t>(category)][static_cast<size_t>(day - 1)];
  AnsiString t = (category == 5 ? "Liebe ist... ..." : "") + s.Text;
  for (const char* mark : {",", ".", ":", ";", "!", "?", "-"})
    ReplaceAll(t, AnsiString(mark) + " ", AnsiString(mark) + "\r\n");
  return s.Source.empty() ? t : t + "\r\n\r\n" + s.Source;
}

const char* const kCaptions[] = {
    "Spruch des Tages:",        "Murphy's Gesetz zum Tag:",   "Kindermund des Tages:", "Stilblüte des Tages:",
    "Kathederblüte des Tages:", "Liebeserklärung des Tages:", "Sprichwort des Tages:", "Zitat des Tages:",
    "Bauernregel des Tages:",   "Bibelspruch des Tages:",     "Goethe zum Tag:",       "Jean Paul zum Tag:"};

bool SamePicture(const TPicture* shown, int category) {
  const auto* b = dynamic_cast<const TBitmap*>(shown->Graphic());
  const auto want = SayingPicture(category);
  if (!b || b->Width() != want->Width() || b->Height() != want->Height()) return false;
  for (int y = 0; y < b->Height(); ++y)
    for (int x = 0; x < b->Width(); ++x)
      if (b->Surface().Row(y)[x] != want->Surface().Row(y)[x]) return false;
  return true;
}

TfrmSpruch* NewSayingWindow() {
  TfrmSpruch* s = nullptr;
  Application->CreateForm(s);
  s->SetBounds(0, 0, 560, 300);
  return s;
}

TEST_F(WindowsTest, TheSayingOfADayIsThatDaysSayingOfItsCategory) {
  Start("[ALLGEMEIN]\r\nSpruchtyp=7\r\n");
  CurrentDateKey = TodayPackedDate();
  TfrmSpruch* s = NewSayingWindow();
  EXPECT_EQ(s->Category(), 7);
  s->Show();
  driver.Process();
  const int dates[][3] = {{2024, 2, 29}, {2024, 12, 31}, {2023, 12, 31}, {2023, 3, 1}, {2026, 7, 14}, {1999, 1, 1}};
  std::map<std::pair<int, int>, AnsiString> shown;
  for (const auto& d : dates) {
    CurrentDateKey = MakePackedDate(d[0], d[1], d[2]);
    const int day = DayOfYearByHand(d[0], d[1], d[2]);
    std::set<AnsiString> texts;
    for (int c = 0; c < kSayingCategoryCount; ++c) {
      s->SetCategory(c);
      LoadSpruch(s);
      EXPECT_EQ(s->memoSpruch->Text(), Expected(c, day)) << d[0] << "-" << d[1] << "-" << d[2] << " category " << c;
      EXPECT_EQ(s->Caption(), Utf8ToCp1252OrThrow(kCaptions[c]));
      EXPECT_TRUE(SamePicture(s->imgSpruch->Picture(), c)) << c;
      texts.insert(s->memoSpruch->Text());
      shown[{day, c}] = s->memoSpruch->Text();
    }
    EXPECT_EQ(texts.size(), 12u);  // each category its own saying
  }
  EXPECT_EQ(DayOfYearByHand(2024, 2, 29), 60);
  EXPECT_EQ(DayOfYearByHand(2024, 12, 31), 366);
  // A saying without source ends with its text.
  for (int day = 1; day <= 366; ++day)
    if (wintest::Sources().Sayings[9][static_cast<size_t>(day - 1)].Source.empty()) {
      CurrentDateKey = MakePackedDate(2024, 1, 1);
      CurrentDateKey = DayNumberToPackedDate(PackedDateToDayNumber(CurrentDateKey) + day - 1);
      s->SetCategory(9);
      LoadSpruch(s);
      ASSERT_FALSE(s->memoSpruch->Text().empty());
      EXPECT_NE(s->memoSpruch->Text().back(), '\n');
      break;
    }
  delete s;

  // All twelve pictures and the warner's six, to look at.
  auto* sheet = new TForm(Application);
  sheet->SetClientSize(12 * 84, 84 + 40);
  for (int c = 0; c < 12; ++c) {
    auto* img = new TImage(sheet);
    img->SetParent(sheet);
    img->SetBounds(c * 84 + 2, 2, 80, 80);
    img->Picture()->SetGraphic(SayingPicture(c).get());
  }
  for (int w = 0; w < wpCount; ++w) {
    auto* img = new TImage(sheet);
    img->SetParent(sheet);
    img->SetBounds(w * 32 + 2, 86, kWarnerPictureWidth, kWarnerPictureHeight);
    img->Picture()->SetGraphic(WarnerPicture(static_cast<TWarnerPicture>(w)).get());
  }
  sheet->Show();
  driver.SavePng(sheet, "windows_pictures");
  delete sheet;

  // Another start: the same sayings.
  TfrmSpruch* again = NewSayingWindow();
  again->Show();
  for (const auto& [key, text] : shown) {
    CurrentDateKey = DayNumberToPackedDate(PackedDateToDayNumber(MakePackedDate(2024, 1, 1)) + key.first - 1);
    again->SetCategory(key.second);
    LoadSpruch(again);
    EXPECT_EQ(again->memoSpruch->Text(), text);
  }
}

TEST_F(WindowsTest, CategoriesWrapRoundAndTheMainWindowPassesItsKeysAndItsDayOn) {
  Start("[ALLGEMEIN]\r\nSpruchtyp=11\r\nTermine anzeigen=0\r\nSpruch anzeigen=1\r\nSpruchfenster immer oben=1\r\n");
  TfrmMain* m = nullptr;
  Application->CreateForm(m);
  Application->CreateForm(frmSpruch);
  m->Show();
  driver.Process();
  driver.Advance(200);
  // Shown at the start, kept on top, on today's saying.
  ASSERT_TRUE(frmSpruch->Visible());
  EXPECT_EQ(frmSpruch->FormStyle(), fsStayOnTop);
  TfrmSpruch* s = frmSpruch;
  EXPECT_EQ(s->Category(), 11);
  driver.Click(s->pbNext);
  EXPECT_EQ(s->Category(), 0);
  driver.Click(s->pbPrev);
  EXPECT_EQ(s->Category(), 11);
  // The keys, pressed in the main window: 1..9, 0, the keys 219 and 221,
  // and the arrows.
  m->SetFocus();
  driver.Process();
  const std::pair<int, int> keys[] = {{'1', 0},  {'9', 8},      {'0', 9},      {219, 10},
                                      {221, 11}, {VK_RIGHT, 0}, {VK_LEFT, 11}, {'6', 5}};
  for (const auto& [vk, category] : keys) {
    driver.KeyUp(vk);
    EXPECT_EQ(s->Category(), category) << vk;
  }
  const int today =
      DayOfYearByHand(PackedDateYear(CurrentDateKey), PackedDateMonth(CurrentDateKey), PackedDateDay(CurrentDateKey));
  EXPECT_EQ(s->memoSpruch->Text(), Expected(5, today));
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
  // Hidden by "Schließen", it no longer takes the keys; the button shows it again.
  driver.Click(s->pbClose);
  EXPECT_FALSE(s->Visible());
  driver.KeyUp('1');
  EXPECT_EQ(s->Category(), 10);
  driver.Click(m->pbSpruch);
  EXPECT_TRUE(s->Visible());

  // Copy: the memo's text on the clipboard.
  driver.AnswerNextMessageBox(IDOK);
  driver.Click(s->pbCopy);
  EXPECT_EQ(Clipboard()->AsText(), s->memoSpruch->Text());
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.MessageBoxes()[0].Text, "Der Spruch befindet sich jetzt in der Zwischenablage");
  // Print: the memo's lines, one printed line each.
  const std::string pdf = (Root() / "spruch.pdf").string();
  Printer()->SetPrinterIndex(0);
  driver.WhenModal([&](TCustomForm& dlg) { dlg.SetModalResult(mrOk); });
  driver.AnswerNextFileDialog(pdf);
  driver.Click(s->pbPrint);
  ASSERT_TRUE(fs::exists(pdf));
  fs::copy_file(pdf, TUiTestDriver::ArtifactDir() + "/windows_saying_print.pdf", fs::copy_options::overwrite_existing);
  if (std::system("command -v pdftotext >/dev/null 2>&1") == 0) {
    FILE* p = popen(("pdftotext -layout '" + pdf + "' -").c_str(), "r");
    std::string text;
    char buf[4096];
    while (size_t n = fread(buf, 1, sizeof buf, p)) text.append(buf, n);
    pclose(p);
    AnsiString printed;
    ASSERT_TRUE(Utf8ToCp1252(text, printed));
    for (int i = 0; i < s->memoSpruch->Lines()->Count(); ++i)
      EXPECT_NE(printed.find(Trim(s->memoSpruch->Lines()->Strings(i))), AnsiString::npos)
          << i << ": " << s->memoSpruch->Lines()->Strings(i);
  }
  delete m;
}

}  // namespace
