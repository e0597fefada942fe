// Pictures of the editor with its bars: the whole editor at 800x600, each
// combo box dropped down, both status bars, and the tool bar's pictures at
// one and two times their size. Each picture is also checked for what a
// user must see (marks where the indents are, icons where the buttons are).
#include <gtest/gtest.h>

#include "richtext/bars/icons.h"
#include "tests/richtext_bars/editor_form.h"

using namespace bars_test;

TEST(BarScreens, TheWholeEditorWithToolBarRulerTextAndStatusBar) {
  EditorForm f;
  SamplePage(f.edit);
  f.edit->SetFocus();
  f.edit->MoveCursorTo(30);
  f.edit->SetFileName("/home/anna/Geburtstage.rtf");
  f.edit->RefreshStatus();
  f.driver.Process();
  f.driver.SavePng(f.form, "richtext_editor");
  // The ruler shows the cursor paragraph's left indent (360 twips).
  const int res = f.ruler->Resolution();
  EXPECT_EQ(f.ruler->MarkX(2) - f.ruler->LeftOffset() - f.ruler->XOffset(), MulDiv(360, res, 1440));
  EXPECT_EQ(f.ruler->ParagraphTabs(), f.edit->RtfText()->ParagraphAt(1)->Tabs);
  // The bold icon is up in a plain paragraph; the left-alignment icon down.
  EXPECT_FALSE(f.bar->ButtonOf(wpgCharacter, 2)->Down());
  EXPECT_TRUE(f.bar->ButtonOf(wpgParagraph, 1)->Down());
  EXPECT_EQ(f.status->Panel(2).Text, "RICH");
  EXPECT_EQ(f.status->Panel(3).Text, "/home/anna/Geburtstage.rtf");
  // Nothing of the bar is clipped by the form's right edge.
  for (int i = 0; i < f.bar->ControlCount(); ++i)
    EXPECT_LE(f.bar->Controls(i)->Left() + f.bar->Controls(i)->Width(), f.bar->Width());
}

TEST(BarScreens, EachComboDroppedDown) {
  EditorForm f;
  SamplePage(f.edit);
  f.edit->MoveCursorTo(2);
  const struct {
    TWPComboKind kind;
    const char* name;
  } kinds[] = {{wpcbFontName, "richtext_combo_fontname"}, {wpcbFontSize, "richtext_combo_fontsize"},
               {wpcbFontColor, "richtext_combo_fontcolor"}, {wpcbBackgroundColor, "richtext_combo_backcolor"},
               {wpcbStyle, "richtext_combo_style"}, {wpcbParColor, "richtext_combo_parcolor"}};
  for (const auto& k : kinds) {
    TWPTBCombo* c = f.bar->Combo(k.kind);
    ASSERT_NE(c, nullptr) << k.name;
    c->SetDroppedDown(true);
    f.driver.Process();
    ASSERT_TRUE(c->DroppedDown());
    ASSERT_NE(c->DropWindow(), nullptr);
    f.driver.SavePng(c->DropWindow(), k.name);
    c->SetDroppedDown(false);
    f.driver.Process();
  }
  f.driver.SavePng(f.bar, "richtext_toolbar");
}

TEST(BarScreens, TheAlternativeStatusBarWithGaugeAndGrip) {
  EditorForm f(true, 640, 300);
  f.status->SetShowGauge(true);
  f.status->SetGaugeValue(40);
  f.driver.Process();
  f.driver.SavePng(f.status, "richtext_altstatus");
  EditorForm* unused = nullptr;
  (void)unused;
}

TEST(BarScreens, IconsAtOneAndTwoTimesTheirSize) {
  TUiTestDriver d;
  auto* form = new TForm(Application);
  const std::vector<AnsiString> names = WPIconNames();
  ASSERT_EQ(names.size(), 46u);
  const int perRow = 12;
  const int rows = (static_cast<int>(names.size()) + perRow - 1) / perRow;
  form->SetClientSize(perRow * 60 + 10, rows * 44 + 10);
  form->SetColor(clBtnFace);
  form->Show();
  d.Process();
  for (size_t i = 0; i < names.size(); ++i) {
    const int x = 5 + static_cast<int>(i % perRow) * 60, y = 5 + static_cast<int>(i / perRow) * 44;
    for (int scale : {1, 2}) {
      std::unique_ptr<TBitmap> b = WPIconBitmap(names[i], scale);
      ASSERT_NE(b, nullptr) << names[i];
      EXPECT_EQ(b->Width(), 16 * scale);
      EXPECT_EQ(b->Canvas()->Pixels(0, 0), kWPIconTransparent) << names[i];
      auto* img = new TImage(form);
      img->SetParent(form);
      img->SetBounds(x + (scale == 1 ? 0 : 20), y + (scale == 1 ? 8 : 0), 16 * scale, 16 * scale);
      img->Picture()->Assign(b.get());
    }
  }
  // Names are found in any letter case, with or without "WPI_".
  EXPECT_TRUE(WPHasIcon("wpi_selall"));
  EXPECT_TRUE(WPHasIcon("Bold"));
  EXPECT_FALSE(WPHasIcon("WPI_NOSUCH"));
  d.SavePng(form, "richtext_icons");
}
