// The print setup and the font dialog as the user drives them: the title
// style made larger, underlined, red and spaced through the font and the
// paragraph dialogs shows in the live sample and comes back in the block;
// a style with a size the list does not hold survives OK unchanged; a long
// title is cut to 40 characters; Cancel drops every change, the page's too.
#include <gtest/gtest.h>

#include "app/printing/drusetup.h"
#include "app/printing/schrift.h"
#include "app/text/helpers.h"
#include "app/windows/parprops.h"
#include "app/windows/seite.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/keyboard.h"
#include "tests/app/app_fixture.h"

namespace {

class PrintSetup : public apptest::ProgramDirTest {};

bool Same(const TextStyleSettings& a, const TextStyleSettings& b) {
  return a.Font.FontName == b.Font.FontName && a.Font.Size == b.Font.Size && a.Attr.Styles == b.Attr.Styles &&
         a.Attr.TextColour == b.Attr.TextColour && a.Para.SpaceBefore == b.Para.SpaceBefore &&
         a.Para.SpaceAfter == b.Para.SpaceAfter && a.Para.IndentLeft == b.Para.IndentLeft &&
         a.Para.LineSpacing == b.Para.LineSpacing && a.Para.Hanging == b.Para.Hanging;
}

// The attribute record and the paragraph of the sample's first character.
const TWPAttrRecord& FirstAttr(TWPRichText* e) { return e->RtfText()->FirstPar->line->pa[0]; }

TEST_F(PrintSetup, StylesThroughTheFontAndParagraphDialogsReachTheSampleAndTheBlock) {
  InitColorTable();
  PageSettings block;
  block.Title = "Tagebuch";
  block.Styles[psTitle] = {{"Arial", 22, 0, 0}, {tsBold | tsItalic, 0, 0}, {0, 0, 0, 0, 0, 84}};
  block.Styles[psSubtitle] = {{"Arial", 12, 0, 0}, {tsBold, 0, 0}, {0, 0, 0, 56, 0, 28}};
  block.Styles[psBody] = {{"Nirgendwo Sans", 13, 0, 0}, {0, 5, 0}, {0, 0, 0, 0, 0, 28}};
  const TextStyleSettings body = block.Styles[psBody];
  driver.WhenModal([&](TCustomForm& active) {
    auto& s = dynamic_cast<TfrmDruSetup&>(active);
    s.SetBounds(0, 0, 620, 440);
    driver.Process();
    EXPECT_EQ(FirstAttr(s.WPRichText1).Size, 22);
    EXPECT_EQ(s.WPRichText1->Lines()->Strings(0), "Tagebuch");
    EXPECT_EQ(s.WPRichText1->Lines()->Strings(2).substr(0, 10), "Text Text ");
    driver.SavePng(&s, "printing_setup");
    const int built = s.SamplesBuilt();
    // The title style: size 28, underlined, red, 300 twips after.
    driver.WhenModal([&](TCustomForm& dlg) {
      auto& f = dynamic_cast<TfrmSchrift&>(dlg);
      EXPECT_EQ(f.cmbSize->Text(), "22");
      EXPECT_EQ(f.cmbFonts->Text(), "Arial");  // drawn by its substitute, listed by its own name
      EXPECT_TRUE(f.cbBold->Checked());
      driver.SavePng(&f, "printing_font_dialog");
      f.cmbSize->SetFocus();
      driver.PressKey(VK_DOWN);
      driver.PressKey(VK_DOWN);
      driver.PressKey(VK_DOWN);
      driver.Click(f.cbUnderline);
      f.cmbTextColor->SetFocus();
      driver.PressKey(VK_DOWN);
      driver.WhenModal([&](TCustomForm& par) {
        auto& p = dynamic_cast<TfrmParProps&>(par);
        p.cmbUnits->SetItemIndex(muTwips);
        p.cmbUnits->OnChange(p.cmbUnits);
        driver.Click(p.Edits[5]);
        p.Edits[5]->SelectAll();
        driver.Type("300");
        driver.Click(p.pbOk);
      });
      driver.Click(f.pbParProps);
      driver.Click(f.pbOk);
    });
    driver.Click(s.pbTitel);
    EXPECT_EQ(s.SamplesBuilt(), built + 1);
    const TWPAttrRecord& a = FirstAttr(s.WPRichText1);
    EXPECT_EQ(a.Size, 28);
    EXPECT_EQ(a.Style & (wpsBold | wpsItalic | wpsUnderline), wpsBold | wpsItalic | wpsUnderline);
    EXPECT_EQ(a.Colors & 0x0F, 1);
    EXPECT_EQ(s.WPRichText1->RtfText()->FirstPar->SpaceAfter, 300);
    // The body's font and size are in no list: OK without a change keeps them.
    driver.WhenModal([&](TCustomForm& dlg) {
      auto& f = dynamic_cast<TfrmSchrift&>(dlg);
      EXPECT_EQ(f.cmbSize->ItemIndex(), -1);
      EXPECT_EQ(f.cmbFonts->ItemIndex(), -1);
      EXPECT_EQ(f.cmbTextColor->ItemIndex(), 5);
      driver.PressKey(VK_RETURN);
    });
    driver.Click(s.pbText);
    // A title longer than 40 characters.
    driver.Click(s.editTitel);
    s.editTitel->SelectAll();
    driver.Type("Ein Tagebuch mit einem sehr langen Titel, der nicht passt");
    EXPECT_EQ(s.WPRichText1->Lines()->Strings(0), s.editTitel->Text());
    driver.Click(s.pbOk);
  });
  ShowDruSetup(block);
  EXPECT_EQ(block.Title, "Ein Tagebuch mit einem sehr langen Titel");
  EXPECT_EQ(block.Styles[psTitle].Font.Size, 28);
  EXPECT_EQ(block.Styles[psTitle].Attr.Styles, tsBold | tsItalic | tsUnderline);
  EXPECT_EQ(block.Styles[psTitle].Attr.TextColour, 1);
  EXPECT_EQ(block.Styles[psTitle].Para.SpaceAfter, 300);
  EXPECT_TRUE(Same(block.Styles[psBody], body));

  // Cancel drops the style and the page changed meanwhile.
  const PageSettings before = block;
  driver.WhenModal([&](TCustomForm& active) {
    auto& s = dynamic_cast<TfrmDruSetup&>(active);
    driver.WhenModal([&](TCustomForm& dlg) {
      auto& f = dynamic_cast<TfrmSchrift&>(dlg);
      driver.Click(f.cbItalic);
      driver.Click(f.pbOk);
    });
    driver.Click(s.pbUntertitel);
    driver.WhenModal([&](TCustomForm& dlg) {
      auto& p = dynamic_cast<TfrmSeite&>(dlg);
      p.cmbFormat->SetItemIndex(pfA4Landscape);
      p.cmbFormat->OnChange(p.cmbFormat);
      driver.Click(p.pbOk);
    });
    driver.Click(s.pbSeite);
    driver.PressKey(VK_ESCAPE);
  });
  ShowDruSetup(block);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Same(block.Styles[i], before.Styles[i])) << i;
  EXPECT_EQ(block.PaperWidth, before.PaperWidth);
  EXPECT_EQ(block.Title, before.Title);
}

}  // namespace
