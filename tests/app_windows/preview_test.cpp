// The paragraph and page dialogs and the preview: values typed in cm, inch
// and twips against the conversion done here by hand (exact in twips,
// within one twip otherwise), values shown but not typed coming back
// unchanged, numbers being typed never raising and OK refusing a text that
// is no number, the page formats; the preview's document changed through
// both dialogs and printed into a PDF file, read back with pdfinfo and
// pdftotext (paper, margins and text as set).
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
#include <csignal>
#include <random>

#include "app/text/styledoutput.h"
#include "app/windows/parprops.h"
#include "app/windows/preview.h"
#include "app/windows/seite.h"
#include "platform/gfx/printer.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "tests/app_windows/windows_fixture.h"

namespace {

using namespace wintest;
class PreviewTest : public apptest::ProgramDirTest {};

// The user replaces an edit's text by typing.
void TypeInto(TUiTestDriver& d, TEdit* e, const AnsiString& text) {
  d.Click(e);
  e->SelectAll();
  d.PressKey(VK_DELETE);
  d.Type(text);
}

void ChooseUnit(TfrmMeasureDialog& f, int unit) {
  f.cmbUnits->SetItemIndex(unit);
  f.cmbUnits->OnChange(f.cmbUnits);
}

std::vector<int32_t> Values(const ParagraphSettings& p) {
  return {p.Hanging, p.IndentLeft, p.IndentRight, p.SpaceBefore, p.LineSpacing, p.SpaceAfter};
}

TEST_F(PreviewTest, TheDialogsStoreWhatIsTypedAndOnlyThat) {
  // Shown in every unit and confirmed: nothing changes (141 twips are
  // 0,25 cm, which would come back as 142).
  const ParagraphSettings start{141, 567, 0, 283, -240, 1000};
  ParagraphSettings p = start;
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmParProps&>(active);
    EXPECT_EQ(f.Edits[0]->Text(), "0,25");
    ChooseUnit(f, muInch);
    EXPECT_EQ(f.Edits[1]->Text(), "0,39");
    ChooseUnit(f, muTwips);
    EXPECT_EQ(f.Edits[4]->Text(), "-240");
    driver.SavePng(&f, "windows_paragraph_dialog");
    driver.PressKey(VK_RETURN);
  });
  ASSERT_TRUE(ShowParProps(p));
  EXPECT_EQ(Values(p), Values(start));

  // Random values typed in each unit against cm x 566.929 and inch x 1440.
  std::mt19937 rnd(36);
  for (int round = 0; round < 4; ++round)
    for (int unit : {muCm, muInch, muTwips}) {
      double exact[6] = {};
      driver.WhenModal([&](TCustomForm& active) {
        auto& f = dynamic_cast<TfrmParProps&>(active);
        ChooseUnit(f, unit);
        for (int i = 0; i < 6; ++i) {
          const int k = std::uniform_int_distribution<int>(-3000, 9000)(rnd);
          const int a = std::abs(k);
          // Hundredths of a centimetre or an inch, typed with a comma.
          TypeInto(driver, f.Edits[i],
                   unit == muTwips ? IntToStr(k * 7)
                                   : (k < 0 ? "-" : "") + IntToStr(a / 100) + (a % 100 < 10 ? ",0" : ",") +
                                         IntToStr(a % 100));
          exact[i] = unit == muTwips ? k * 7 : k / 100.0 * (unit == muCm ? 566.929 : 1440.0);
        }
        driver.Click(f.pbOk);
      });
      ParagraphSettings r = start;
      ASSERT_TRUE(ShowParProps(r));
      for (int i = 0; i < 6; ++i)
        EXPECT_LE(std::abs(Values(r)[i] - exact[i]), unit == muTwips ? 0 : 0.5 + 1e-9) << unit << " " << i;
    }

  // Numbers being typed raise nothing; OK refuses a text that is no number
  // and says so; an emptied field stores 0; Cancel changes nothing.
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmParProps&>(active);
    for (const char* partial : {"-", "1,", "1,5"}) TypeInto(driver, f.Edits[1], partial);
    EXPECT_EQ(f.Value(2), 850);  // 850.39
    TypeInto(driver, f.Edits[2], "zwei");
    driver.AnswerNextMessageBox(IDOK);
    driver.Click(f.pbOk);
    EXPECT_NE(driver.MessageBoxes().at(0).Text.find("\"zwei\" bei \"Rechts\" ist keine Zahl"), std::string::npos);
    EXPECT_EQ(f.ModalResult(), mrNone);
    TypeInto(driver, f.Edits[2], "");
    driver.Click(f.pbOk);
  });
  p = start;
  ASSERT_TRUE(ShowParProps(p));
  EXPECT_EQ(Values(p), std::vector<int32_t>({141, 850, 0, 283, -240, 1000}));
  driver.WhenModal([&](TCustomForm& active) {
    TypeInto(driver, dynamic_cast<TfrmParProps&>(active).Edits[0], "3");
    driver.PressKey(VK_ESCAPE);
  });
  EXPECT_FALSE(ShowParProps(p));
  EXPECT_EQ(p.Hanging, 141);

  // The page dialog: "A4Quer" known, own sizes editable, "A4 Hoch" overwrites.
  PageSettings page;
  page.PaperWidth = 12000;
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmSeite&>(active);
    EXPECT_EQ(f.cmbFormat->ItemIndex(), pfOwn);
    EXPECT_TRUE(f.Edits[0]->Enabled());
    f.cmbFormat->SetItemIndex(pfA4Landscape);
    f.cmbFormat->OnChange(f.cmbFormat);
    EXPECT_FALSE(f.Edits[1]->Enabled());
    EXPECT_EQ(f.Edits[0]->Text(), "29,70");
    ChooseUnit(f, muInch);
    TypeInto(driver, f.Edits[5], "0,75");
    driver.SavePng(&f, "windows_page_dialog");
    driver.Click(f.pbOk);
  });
  ASSERT_TRUE(ShowPageSetupDialog(page));
  EXPECT_EQ(std::vector<int32_t>({page.PaperWidth, page.PaperHeight, page.MarginRight, page.MarginLeft}),
            std::vector<int32_t>({kA4Height, kA4Width, 1080, 567}));
  PageSettings upright;  // Down through the open list applies nothing it passes, only the item taken
  driver.WhenModal([&](TCustomForm& active) {
    dynamic_cast<TfrmSeite&>(active).cmbFormat->SetFocus();
    driver.PressKey(VK_DOWN, ssAlt);
    for (int vk : {VK_DOWN, VK_DOWN, VK_RETURN, VK_RETURN}) driver.PressKey(vk);
  });
  ASSERT_TRUE(ShowPageSetupDialog(upright));
  EXPECT_EQ(upright.PaperWidth, kA4Width) << "\"Benutzerdefiniert\" keeps the size shown";
  PageSettings across;  // Escape closes the list; with it still held the mouse takes "A4Quer"
  driver.WhenModal([&](TCustomForm& active) {
    TComboBox* format = dynamic_cast<TfrmSeite&>(active).cmbFormat;
    driver.Click(format);
    driver.KeyDown(VK_ESCAPE);
    driver.Click(format);
    driver.Click(format->DropList(), 20, format->DropList()->ItemHeight() * 3 / 2);
    driver.KeyUp(VK_ESCAPE);
    driver.PressKey(VK_RETURN);
  });
  ASSERT_TRUE(ShowPageSetupDialog(across));
  EXPECT_EQ(across.PaperWidth, kA4Height);
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

TEST_F(PreviewTest, ThePreviewChangesItsDocumentThroughTheDialogsAndPrintsItIntoAPdfFile) {
  PageSettings page;  // A4 with 1 cm margins
  const std::string pdf = (Root() / "liste.pdf").string();
  Printer()->SetPrinterIndex(0);
  Printer()->SetOrientation(poPortrait);
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmPreview&>(active);
    f.SetBounds(0, 0, 760, 560);
    driver.SavePng(&f, "windows_preview_list_100");
    f.WPRichText1->SetZooming(150);
    driver.SavePng(&f, "windows_preview_list_150");
    f.WPRichText1->SetZooming(100);
    // A4 across, 2 cm left, 1 inch top.
    driver.WhenModal([&](TCustomForm& dlg) {
      auto& s = dynamic_cast<TfrmSeite&>(dlg);
      s.cmbFormat->SetItemIndex(pfA4Landscape);
      s.cmbFormat->OnChange(s.cmbFormat);
      TypeInto(driver, s.Edits[4], "2");
      ChooseUnit(s, muInch);
      TypeInto(driver, s.Edits[2], "1");
      driver.Click(s.pbOk);
    });
    driver.Click(f.pbSeite);
    EXPECT_EQ(Printer()->Orientation(), poLandscape);
    // The third paragraph indented 1 cm.
    f.WPRichText1->MoveCursorTo(40);
    driver.WhenModal([&](TCustomForm& dlg) {
      auto& pp = dynamic_cast<TfrmParProps&>(dlg);
      TypeInto(driver, pp.Edits[1], "1");
      TypeInto(driver, pp.Edits[0], "1");
      driver.Click(pp.pbOk);
    });
    driver.Click(f.pbParProps);
    driver.AnswerNextFileDialog((Root() / "liste").string());  // Speichern unter: German words, a small ".rtf"
    driver.Click(f.WPToolBar1->ButtonOf(wpgFile, wpcmdSave));
    EXPECT_EQ(driver.FileDialogs().back().Filter.substr(0, 16), "Richtext-Dateien");
    EXPECT_TRUE(FileExists((Root() / "liste.rtf").string()));
    // Printing: the print dialog (the PDF printer), then the file's name.
    driver.WhenModal([&](TCustomForm& dlg) { dlg.SetModalResult(mrOk); });
    driver.AnswerNextFileDialog(pdf);
    driver.Click(f.WPToolBar1->ButtonOf(wpgPrint, wpcmdPrint));
    // On a full disk (files held to 256 bytes) no file changes or appears; the file and the cause are named.
    const std::string rtf = (Root() / "liste.rtf").string(), saved = apptest::Slurp(rtf), printed = apptest::Slurp(pdf);
    const auto files = std::distance(fs::directory_iterator(Root()), {});
    const rlimit was = [] { rlimit l{}; ::getrlimit(RLIMIT_FSIZE, &l); return l; }(), full{256, was.rlim_max};
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
    ::setrlimit(RLIMIT_FSIZE, &full);
    for (const std::string& name : {rtf, (Root() / "neu.rtf").string(), pdf}) {
      driver.AnswerNextFileDialog(name);
      if (name != Root() / "neu.rtf") driver.AnswerNextMessageBox(IDYES);  // replace it
      if (name == pdf) driver.WhenModal([&](TCustomForm& dlg) { dlg.SetModalResult(mrOk); });
      driver.Click(f.WPToolBar1->ButtonOf(name == pdf ? wpgPrint : wpgFile, name == pdf ? wpcmdPrint : wpcmdSave));
      const std::string said = driver.MessageBoxes().back().Text, cause = SysErrorMessage(ENOSPC);
      EXPECT_NE(said.find("\"" + name + "\" kann nicht geschrieben werden: " + cause), std::string::npos) << said;
    }
    ::setrlimit(RLIMIT_FSIZE, &was);
    EXPECT_EQ(apptest::Slurp(rtf) + apptest::Slurp(pdf), saved + printed);
    EXPECT_EQ(std::distance(fs::directory_iterator(Root()), {}), files);
    driver.PressKey(VK_ESCAPE);
  });
  // A printed list as the list windows write it.
  RunPreview(page, [](TfrmPreview* f) {
    TWPCustomRtfEdit* e = f->WPRichText1;
    AppendStyledText(e, "Geburtstagsliste", {"Arial", 22, 0, 0}, {tsBold | tsItalic, 0, 0}, false);
    AppendStyledText(e, "Januar bis Dezember", {"Arial", 12, 0, 0}, {tsBold, 0, 0}, true);
    for (const char* r : {"03.01.1950\tAnna Muster\tBern", "17.02.1962\tBeat Beispiel\tZ\xFCrich",
                          "29.02.1988\tClara Schaltjahr\tLuzern", "24.12.1944\tEva Weihnacht\tThun"})
      AppendStyledText(e, r, {"Arial", 10, 0, 0}, {}, true);
    e->Header()->CurrentTabs = 0;
    e->Header()->AddTab(tkLeft, 1700);
    const TWPTabSet tabs = e->Header()->AddTab(tkLeft, 4500);
    for (TWPParagraphRec* p = e->RtfText()->FirstPar->next->next; p; p = p->next) p->Tabs = tabs;
  });
  if (!Have("pdfinfo") || !Have("pdftotext")) GTEST_SKIP() << "pdfinfo or pdftotext is not installed";
  const std::string info = Shell("pdfinfo '" + pdf + "'");
  int pages = 0;
  double w = 0, h = 0;
  ASSERT_EQ(std::sscanf(info.c_str() + info.find("Pages:"), "Pages: %d", &pages), 1) << info;
  ASSERT_EQ(std::sscanf(info.c_str() + info.find("Page size:"), "Page size: %lf x %lf", &w, &h), 2);
  EXPECT_EQ(pages, 1);
  EXPECT_NEAR(w, kA4Height / 20.0, 1);  // A4 across, in points
  EXPECT_NEAR(h, kA4Width / 20.0, 1);
  const std::string text = Shell("pdftotext -layout '" + pdf + "' -");
  for (const char* word : {"Geburtstagsliste", "Januar bis Dezember", "Clara Schaltjahr", "Z\xC3\xBCrich"})
    EXPECT_NE(text.find(word), std::string::npos) << word << "\n" << text;
  // Where words stand (points): at the left and top margins, the third
  // paragraph 1 cm further right.
  const std::string boxes = Shell("pdftotext -bbox '" + pdf + "' -");
  auto box = [&](const std::string& word) {
    double xy[2] = {-1, -1};
    const size_t at = boxes.rfind("<word", boxes.find(">" + word + "<"));
    if (at != std::string::npos) std::sscanf(boxes.c_str() + at, "<word xMin=\"%lf\" yMin=\"%lf\"", &xy[0], &xy[1]);
    return std::pair{xy[0], xy[1]};
  };
  EXPECT_NEAR(box("Geburtstagsliste").first, 1134 / 20.0, 2);
  EXPECT_NEAR(box("Geburtstagsliste").second, 1440 / 20.0, 4);
  EXPECT_NEAR(box("03.01.1950").first, (1134 + 567) / 20.0, 2);
  EXPECT_NEAR(box("17.02.1962").first, 1134 / 20.0, 2);
}

}  // namespace
