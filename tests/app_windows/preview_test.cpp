// The paragraph and page dialogs and the preview: values typed in cm, inch
// and twips against the conversion done here by hand (exact in twips,
// within one twip otherwise), values shown but not typed coming back
// unchanged, numbers being typed never raising and OK refusing a text that
// is no number; the page dialog's formats; the preview's document changed
// through both dialogs and printed into a PDF file, read back with pdfinfo
// and pdftotext (paper, margins and text as set).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "app/text/styledoutput.h"
#include "app/windows/parprops.h"
#include "app/windows/preview.h"
#include "app/windows/seite.h"
#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "tests/app/app_fixture.h"

namespace {

class PreviewTest : public apptest::ProgramDirTest {};
namespace fs = std::filesystem;

std::string Shell(const std::string& cmd) {
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[4096];
    while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    pclose(p);
  }
  return out;
}

bool Have(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// The user replaces the text of an edit by typing.
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

int32_t Field(const ParagraphSettings& p, int index) {
  const int32_t v[] = {p.Hanging, p.IndentLeft, p.IndentRight, p.SpaceBefore, p.LineSpacing, p.SpaceAfter};
  return v[index - 1];
}

TEST_F(PreviewTest, MeasureDialogsStoreWhatIsTypedAndOnlyThat) {
  const ParagraphSettings start{141, 567, 0, 283, -240, 1000};
  // Shown in every unit and confirmed: nothing changes (141 twips are
  // 0,25 cm, which would come back as 142).
  ParagraphSettings p = start;
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmParProps&>(active);
    EXPECT_EQ(f.Edits[0]->Text(), "0,25");
    EXPECT_EQ(f.Edits[4]->Text(), "-0,42");
    ChooseUnit(f, muInch);
    EXPECT_EQ(f.Edits[1]->Text(), "0,39");
    ChooseUnit(f, muTwips);
    EXPECT_EQ(f.Edits[0]->Text(), "141");
    ChooseUnit(f, muCm);
    driver.PressKey(VK_RETURN);
  });
  ASSERT_TRUE(ShowParProps(p));
  EXPECT_EQ(std::vector<int32_t>({p.Hanging, p.IndentLeft, p.IndentRight, p.SpaceBefore, p.LineSpacing, p.SpaceAfter}),
            std::vector<int32_t>({141, 567, 0, 283, -240, 1000}));

  // Random values typed in each unit, against the conversion by hand: cm
  // times 566.929, inch times 1440.
  std::mt19937 rnd(36);
  for (int round = 0; round < 4; ++round)
    for (int unit : {muCm, muInch, muTwips}) {
      int32_t typedValue[7] = {};
      double exact[7] = {};
      driver.WhenModal([&](TCustomForm& active) {
        auto& f = dynamic_cast<TfrmParProps&>(active);
        ChooseUnit(f, unit);
        for (int i = 1; i <= 6; ++i) {
          const int k = std::uniform_int_distribution<int>(-3000, 9000)(rnd);
          AnsiString text;
          if (unit == muTwips) {
            typedValue[i] = k * 7;
            text = IntToStr(typedValue[i]);
            exact[i] = typedValue[i];
          } else {
            // Hundredths of a centimetre or an inch, typed with a comma.
            text = (k < 0 ? "-" : "") + IntToStr(std::abs(k) / 100) + "," + (std::abs(k) % 100 < 10 ? "0" : "") +
                   IntToStr(std::abs(k) % 100);
            exact[i] = k / 100.0 * (unit == muCm ? 566.929 : 1440.0);
          }
          TypeInto(driver, f.Edits[i - 1], text);
        }
        driver.Click(f.pbOk);
      });
      ParagraphSettings r = start;
      ASSERT_TRUE(ShowParProps(r));
      for (int i = 1; i <= 6; ++i) {
        if (unit == muTwips)
          EXPECT_EQ(Field(r, i), typedValue[i]);
        else
          EXPECT_LE(std::abs(Field(r, i) - exact[i]), 0.5 + 1e-9) << "unit " << unit << " field " << i;
      }
      // Shown again in that unit, the values read as typed.
      driver.WhenModal([&](TCustomForm& active) {
        auto& f = dynamic_cast<TfrmParProps&>(active);
        ChooseUnit(f, unit);
        for (int i = 1; i <= 6; ++i) {
          int32_t back = 0;
          ASSERT_TRUE(UnitTextToTwips(f.Edits[i - 1]->Text(), unit, back));
          EXPECT_EQ(back, Field(r, i));
        }
        driver.PressKey(VK_ESCAPE);
      });
      ParagraphSettings same = r;
      EXPECT_FALSE(ShowParProps(same));
    }

  // Numbers being typed raise nothing; OK refuses a text that is no number
  // and says so in German; an emptied field stores 0; Cancel changes nothing.
  p = start;
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmParProps&>(active);
    TypeInto(driver, f.Edits[1], "-");
    TypeInto(driver, f.Edits[1], "1,");
    EXPECT_EQ(f.Value(2), 567);  // "-" keeps the value; "1," reads as 1 cm
    TypeInto(driver, f.Edits[1], "1,5");
    EXPECT_EQ(f.Value(2), 850);  // 850.39
    TypeInto(driver, f.Edits[2], "zwei");
    driver.AnswerNextMessageBox(IDOK);
    driver.Click(f.pbOk);
    ASSERT_EQ(driver.MessageBoxes().size(), 1u);
    EXPECT_NE(driver.MessageBoxes()[0].Text.find("\"zwei\" bei \"Rechts\" ist keine Zahl"), std::string::npos);
    EXPECT_EQ(f.ModalResult(), mrNone);
    TypeInto(driver, f.Edits[2], "");
    driver.Click(f.pbOk);
  });
  ASSERT_TRUE(ShowParProps(p));
  EXPECT_EQ(p.IndentLeft, 850);
  EXPECT_EQ(p.IndentRight, 0);
  EXPECT_EQ(p.Hanging, 141);
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmParProps&>(active);
    TypeInto(driver, f.Edits[0], "3");
    driver.Click(f.pbCancel);
  });
  EXPECT_FALSE(ShowParProps(p));
  EXPECT_EQ(p.Hanging, 141);
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
}

TEST_F(PreviewTest, PageDialogKnowsTheA4FormatsAndConvertsLikeTheParagraphDialog) {
  PageSettings page;
  page.PaperWidth = kA4Height;
  page.PaperHeight = kA4Width;
  page.MarginLeft = 141;
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmSeite&>(active);
    EXPECT_EQ(f.cmbFormat->Text(), "A4Quer");
    EXPECT_FALSE(f.Edits[0]->Enabled());
    EXPECT_EQ(f.Edits[0]->Text(), "29,70");
    driver.SavePng(&f, "windows_page_dialog");
    driver.PressKey(VK_RETURN);
  });
  ASSERT_TRUE(ShowPageSetupDialog(page));
  EXPECT_EQ(page.PaperWidth, kA4Height);
  EXPECT_EQ(page.MarginLeft, 141);

  // Own values open as "Benutzerdefiniert", editable; "A4 Hoch" overwrites
  // them; margins typed in inch.
  page.PaperWidth = 12000;
  page.PaperHeight = kA4Height;
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmSeite&>(active);
    EXPECT_EQ(f.cmbFormat->ItemIndex(), pfOwn);
    EXPECT_TRUE(f.Edits[0]->Enabled());
    EXPECT_TRUE(f.Edits[1]->Enabled());
    f.cmbFormat->SetItemIndex(pfA4Portrait);
    f.cmbFormat->OnChange(f.cmbFormat);
    EXPECT_FALSE(f.Edits[1]->Enabled());
    ChooseUnit(f, muInch);
    TypeInto(driver, f.Edits[5], "0,75");
    driver.Click(f.pbOk);
  });
  ASSERT_TRUE(ShowPageSetupDialog(page));
  EXPECT_EQ(page.PaperWidth, kA4Width);
  EXPECT_EQ(page.PaperHeight, kA4Height);
  EXPECT_EQ(page.MarginRight, 1080);
  EXPECT_EQ(page.MarginLeft, 141);

  ParagraphSettings para{0, 567, 0, 0, 0, 113};
  driver.WhenModal([&](TCustomForm& active) {
    driver.SavePng(&active, "windows_paragraph_dialog");
    driver.PressKey(VK_ESCAPE);
  });
  EXPECT_FALSE(ShowParProps(para));
}

// A printed list as the printed-list windows write it: a title, a subtitle
// and lines with tab stops.
void WriteList(TWPCustomRtfEdit* e) {
  FontSettings title{"Arial", 22, 0, 0}, sub{"Arial", 12, 0, 0}, body{"Arial", 10, 0, 0};
  AppendStyledText(e, "Geburtstagsliste", title, {tsBold | tsItalic, 0, 0}, false);
  AppendStyledText(e, "Januar bis Dezember", sub, {tsBold, 0, 0}, true);
  const char* const rows[] = {"03.01.1950\tAnna Muster\tBern", "17.02.1962\tBeat Beispiel\tZ\xFCrich",
                              "29.02.1988\tClara Schaltjahr\tLuzern", "01.04.1970\tDaniel Vorlage\tBasel",
                              "24.12.1944\tEva Weihnacht\tThun"};
  for (const char* r : rows) AppendStyledText(e, r, body, {}, true);
  TTextHeader& h = *e->Header();
  h.CurrentTabs = 0;
  h.AddTab(tkLeft, 1700);
  const TWPTabSet tabs = h.AddTab(tkLeft, 4500);
  for (TWPParagraphRec* p = e->RtfText()->FirstPar->next->next; p; p = p->next) p->Tabs = tabs;
}

TEST_F(PreviewTest, ThePreviewChangesItsDocumentThroughTheDialogsAndPrintsItIntoAPdfFile) {
  PageSettings page;
  page.PaperWidth = kA4Width;
  page.PaperHeight = kA4Height;
  page.MarginLeft = page.MarginRight = page.MarginTop = page.MarginBottom = 567;
  const std::string pdf = (Root() / "liste.pdf").string();
  Printer()->SetPrinterIndex(0);
  Printer()->SetOrientation(poPortrait);
  int ruler = 0;
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmPreview&>(active);
    f.SetBounds(0, 0, 760, 560);
    driver.Process();
    EXPECT_EQ(Printer()->Orientation(), poPortrait);
    driver.SavePng(&f, "windows_preview_list_100");
    f.WPRichText1->SetZooming(150);
    driver.Process();
    driver.SavePng(&f, "windows_preview_list_150");
    f.WPRichText1->SetZooming(100);
    // The page dialog: A4 landscape with a left margin of 2 cm and a top
    // margin of 1 inch.
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
    // The paragraph dialog on the third paragraph: indented 1 cm.
    f.WPRichText1->MoveCursorTo(40);
    ruler = f.WPRichText1->RtfText()->CursorPar == f.WPRichText1->RtfText()->ParagraphAt(2);
    driver.WhenModal([&](TCustomForm& dlg) {
      auto& pp = dynamic_cast<TfrmParProps&>(dlg);
      TypeInto(driver, pp.Edits[1], "1");
      TypeInto(driver, pp.Edits[0], "1");
      driver.Click(pp.pbOk);
    });
    driver.Click(f.pbParProps);
    // Printing: the print dialog (the PDF printer), then the file's name.
    driver.WhenModal([&](TCustomForm& dlg) { dlg.SetModalResult(mrOk); });
    driver.AnswerNextFileDialog(pdf);
    driver.Click(f.WPToolBar1->ButtonOf(wpgPrint, wpcmdPrint));
    driver.PressKey(VK_ESCAPE);
  });
  RunPreview(page, [](TfrmPreview* f) { WriteList(f->WPRichText1); });
  EXPECT_EQ(ruler, 1);
  ASSERT_TRUE(fs::exists(pdf));
  if (!Have("pdfinfo") || !Have("pdftotext")) GTEST_SKIP() << "pdfinfo or pdftotext is not installed";
  const std::string info = Shell("pdfinfo '" + pdf + "'");
  int pages = 0;
  ASSERT_EQ(std::sscanf(info.c_str() + info.find("Pages:"), "Pages: %d", &pages), 1) << info;
  EXPECT_EQ(pages, 1);
  double w = 0, h = 0;
  const size_t at = info.find("Page size:");
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(std::sscanf(info.c_str() + at, "Page size: %lf x %lf", &w, &h), 2);
  EXPECT_NEAR(w, kA4Height / 20.0, 1);  // landscape A4 in points
  EXPECT_NEAR(h, kA4Width / 20.0, 1);
  const std::string text = Shell("pdftotext -layout '" + pdf + "' -");
  for (const char* word : {"Geburtstagsliste", "Januar bis Dezember", "Clara Schaltjahr", "Z\xC3\xBCrich"})
    EXPECT_NE(text.find(word), std::string::npos) << word << "\n" << text;
  // Where the words stand (points): the title at the left and top margins,
  // the indented paragraph 1 cm further right.
  const std::string boxes = Shell("pdftotext -bbox '" + pdf + "' -");
  auto box = [&](const std::string& word, double& xMin, double& yMin) {
    const size_t p = boxes.find(">" + word + "<");
    if (p == std::string::npos) return false;
    const size_t s = boxes.rfind("<word", p);
    return std::sscanf(boxes.c_str() + s, "<word xMin=\"%lf\" yMin=\"%lf\"", &xMin, &yMin) == 2;
  };
  double x = 0, y = 0;
  ASSERT_TRUE(box("Geburtstagsliste", x, y)) << boxes;
  EXPECT_NEAR(x, 1134 / 20.0, 2);
  EXPECT_NEAR(y, 1440 / 20.0, 4);
  ASSERT_TRUE(box("03.01.1950", x, y)) << boxes;
  EXPECT_NEAR(x, (1134 + 567) / 20.0, 2);
  ASSERT_TRUE(box("17.02.1962", x, y));
  EXPECT_NEAR(x, 1134 / 20.0, 2);
}

}  // namespace
