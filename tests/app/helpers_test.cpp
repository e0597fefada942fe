// Shared helpers: list texts of own entries within their 40-character
// field, warner keys, the colour table, the question before closing and
// the hyperlink cursor.
#include <gtest/gtest.h>

#include "app/text/helpers.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/testdriver.h"
#include "resources/cursors.h"

namespace {

TEST(Helpers, ShortHintNeverExceedsItsField) {
  const AnsiString forty(40, 'x');
  EXPECT_EQ(ShortHintText(forty), forty);
  EXPECT_EQ(ShortHintText("Kurz."), "Kurz.");
  // Lines become one: "Zeile eins" alone would hide that more follows.
  EXPECT_EQ(ShortHintText("Zeile eins\r\nZeile zwei\rdrei\nvier"), "Zeile eins Zeile zwei drei vier");
  // 41 characters with a blank at position 30: its first 29 and "...".
  const AnsiString a = AnsiString(29, 'a') + " " + AnsiString(11, 'b');
  EXPECT_EQ(ShortHintText(a), AnsiString(29, 'a') + "...");
  // A sentence end before the last blank: up to the blank, no "...".
  EXPECT_EQ(ShortHintText("Dies ist ein ganz kurzer erster Satz. Danach geht es weiter."),
            "Dies ist ein ganz kurzer erster Satz. ");
  EXPECT_EQ(ShortHintText("Wer kommt mit auf die Reise nach Rom? Ich nicht, sagte er."),
            "Wer kommt mit auf die Reise nach Rom? ");
  // Only the last blank counts: an earlier sentence end does not.
  EXPECT_EQ(ShortHintText("Erster Satz ist hier zu Ende. Danach geht es weiter."),
            "Erster Satz ist hier zu Ende. Danach...");
  // A last blank at position 40 would leave no room for "...": the cut
  // goes to the blank before it.
  const AnsiString late = AnsiString(20, 'c') + " " + AnsiString(18, 'd') + " " + "ende";
  ASSERT_EQ(late[39], ' ');
  EXPECT_EQ(ShortHintText(late), AnsiString(20, 'c') + "...");
  const AnsiString at38 = AnsiString(37, 'e') + " " + AnsiString(10, 'f');
  EXPECT_EQ(ShortHintText(at38), AnsiString(37, 'e') + "...");
  // One long word: the field's 40 characters.
  EXPECT_EQ(ShortHintText(AnsiString(60, 'g')), AnsiString(40, 'g'));
  // A blank only at the end of the field: the text cut with "...".
  EXPECT_EQ(ShortHintText(AnsiString(38, 'h') + " " + AnsiString(5, 'i')), AnsiString(37, 'h') + "...");
  for (int len = 0; len < 120; ++len) {
    AnsiString t;
    for (int i = 0; i < len; ++i) t += (i % 7 == 6 || i % 11 == 10) ? ' ' : 'w';
    EXPECT_LE(ShortHintText(t).size(), 40u) << len;
  }
}

TEST(Helpers, PersonHints) {
  EXPECT_EQ(PersonHintText("Muster", "Anna"), "Muster, Anna");
  EXPECT_EQ(PersonHintText("Muster", ""), "Muster");
  EXPECT_EQ(PersonHintText("von Muster", "Karl Maria\t"), "von Muster, Karl Maria");
  EXPECT_EQ(PersonHintText(" Muster", ""), "Muster");
  EXPECT_EQ(PersonHintText("", ""), "");
  // Longer than the field: cut at the last blank within 37 characters,
  // without the comma, and marked.
  EXPECT_EQ(PersonHintText("Schmidt-Rottluff-Hasenclever", "Anna Maria Luise"), "Schmidt-Rottluff-Hasenclever, Anna...");
  EXPECT_EQ(PersonHintText("von Hohenzollern-Sigmaringen", "Karl"), "von Hohenzollern-Sigmaringen, Karl");
  EXPECT_EQ(PersonHintText("von Hohenzollern-Sigmaringen", "Karl Antonius"), "von Hohenzollern-Sigmaringen, Karl...");
  EXPECT_EQ(PersonHintText(AnsiString(30, 'n'), AnsiString(30, 'v')), AnsiString(30, 'n') + "...");
}

TEST(Helpers, WarnerKeys) {
  EXPECT_EQ(WarnerKey(true, EncodeDate(1960, 3, 1), true, 2), 228);
  EXPECT_EQ(WarnerKey(true, EncodeDate(1964, 3, 1), true, 1), 229);
  EXPECT_EQ(WarnerKey(true, EncodeDate(1962, 7, 5), true, 0), 705);
  EXPECT_EQ(WarnerKey(true, EncodeDate(1962, 1, 3), true, 5), 1229);
  EXPECT_EQ(WarnerKey(true, EncodeDate(1962, 7, 5), false, 3), 0);
  EXPECT_EQ(WarnerKey(false, 0, true, 3), 0);  // no date, no warning day
  // Born on 29 February: counted from 28 February, the anniversary of the
  // common years.
  EXPECT_EQ(WarnerKey(true, EncodeDate(1992, 2, 29), true, 1), 227);
  EXPECT_EQ(WarnerKey(true, EncodeDate(1992, 2, 29), true, 28), 131);
  EXPECT_EQ(WarnerKey(true, EncodeDate(1, 1, 1), true, 3), 1229);  // needs no day before the calendar
}

TEST(Helpers, ColourTable) {
  EXPECT_EQ(ColorTable[0], RGB(0, 0, 0));
  EXPECT_EQ(ColorTable[3], RGB(0, 0, 255));
  EXPECT_EQ(ColorTable[6], RGB(128, 0, 128));
  EXPECT_EQ(ColorTable[12], RGB(255, 255, 255));
  EXPECT_EQ(ColorTable[13], RGB(192, 192, 192));
  EXPECT_EQ(ColorTable[15], RGB(0, 0, 0));
  ColorTable[3] = 0;
  InitColorTable();
  EXPECT_EQ(ColorTable[3], RGB(0, 0, 255));
  EXPECT_EQ(ColorOf(12), RGB(255, 255, 255));
  EXPECT_EQ(ColorOf(16), RGB(0, 0, 0));
  EXPECT_EQ(ColorOf(-1), RGB(0, 0, 0));
}

TEST(Helpers, SaveQuestionBeforeClosing) {
  TUiTestDriver driver;
  driver.AnswerNextMessageBox(IDYES);
  driver.AnswerNextMessageBox(IDNO);
  driver.AnswerNextMessageBox(IDCANCEL);
  EXPECT_EQ(ConfirmSaveOnClose(), TSaveAnswer::Save);
  EXPECT_EQ(ConfirmSaveOnClose(), TSaveAnswer::Discard);
  EXPECT_EQ(ConfirmSaveOnClose(), TSaveAnswer::Stay);
  ASSERT_EQ(driver.MessageBoxes().size(), 3u);
  const TMessageBoxRequest& box = driver.MessageBoxes()[0];
  EXPECT_EQ(box.Text, "Ihre Eingaben sind noch nicht gespeichert.\rVor dem Beenden speichern?");
  EXPECT_EQ(box.Flags & 0xF, MB_YESNOCANCEL);
  EXPECT_EQ(box.Flags & 0xF0, MB_ICONWARNING);
}

TEST(Helpers, HyperlinkCursorIsAHandWithItsHotSpotOnTheFingertip) {
  const TScreen::TCursorImage c = HyperlinkCursorImage();
  ASSERT_EQ(static_cast<int>(c.Pixels.size()), c.Width * c.Height);
  EXPECT_LE(c.Width, 32);
  EXPECT_LE(c.Height, 32);
  auto at = [&](int x, int y) { return c.Pixels[static_cast<size_t>(y * c.Width + x)]; };
  EXPECT_EQ(at(c.HotX, c.HotY), 0xFF000000u);  // the fingertip's outline
  EXPECT_EQ(at(0, 0), 0u);                      // transparent around the hand
  int white = 0;
  for (uint32_t p : c.Pixels) white += p == 0xFFFFFFFFu;
  EXPECT_GT(white, 60);
  // Enlarged as a picture, for the eye.
  TBitmap bmp;
  bmp.SetSize(c.Width * 8, c.Height * 8);
  for (int y = 0; y < c.Height * 8; ++y)
    for (int x = 0; x < c.Width * 8; ++x) {
      const uint32_t p = at(x / 8, y / 8);
      bmp.Canvas()->SetPixels(x, y, (p >> 24) == 0 ? RGB(0, 160, 160) : p == 0xFFFFFFFFu ? RGB(255, 255, 255) : RGB(0, 0, 0));
    }
  bmp.SaveToPng(TUiTestDriver::ArtifactDir() + "/app_hyperlink_cursor.png");
}

}  // namespace
