// Printing to PDF through the canvas: pages, resolution, text that can be
// extracted again, aborting.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "gfx_test_util.h"
#include "platform/gfx/printer.h"
#include "tests/shell_helpers.h"

namespace {

using testshell::Shell;

bool HavePdfToText() { return testshell::Have("pdftotext"); }

}  // namespace

TEST(Printing, TwoPagePdfWithExtractableText) {
  StartGraphics();
  TPrinter p;
  ASSERT_FALSE(p.Printers().empty());
  EXPECT_EQ(p.Printers()[0], kPdfPrinterName);
  const std::string file = OutPath("gfx_two_pages.pdf");
  std::filesystem::remove(file);
  p.SetOutputFileName(file);
  p.SetTitle("Geburtstagsliste");
  p.SetCopies(2);  // whole documents one after the other, as a printer collates them
  EXPECT_EQ(p.Canvas()->GetDeviceCaps(LOGPIXELSX), 600);  // measuring before the document
  EXPECT_EQ(p.Canvas()->GetDeviceCaps(TECHNOLOGY), DT_RASPRINTER);
  p.BeginDoc();
  EXPECT_TRUE(p.Printing());
  EXPECT_EQ(p.PageNumber(), 1);
  TCanvas& c = *p.Canvas();
  EXPECT_EQ(p.PageWidth(), c.GetDeviceCaps(HORZRES));
  EXPECT_NEAR(p.PageWidth(), 4961, 5);  // A4 at 600 dpi
  EXPECT_NEAR(p.PageHeight(), 7016, 5);
  c.Font()->SetName("Arial");
  c.Font()->SetSize(12);
  EXPECT_EQ(c.Font()->Height(), -100);
  c.TextOut(600, 600, "Erste Seite: M\xE4rz");
  c.Pen()->SetWidth(5);
  c.Rectangle(500, 500, 4400, 1000);
  p.NewPage();
  EXPECT_EQ(p.PageNumber(), 2);
  c.Font()->SetStyle({fsBold});
  c.TextOut(600, 600, "Zweite Seite");
  p.EndDoc();
  EXPECT_FALSE(p.Printing());
  ASSERT_TRUE(std::filesystem::exists(file));
  EXPECT_GT(std::filesystem::file_size(file), 500u);
  if (!HavePdfToText()) GTEST_SKIP() << "pdftotext is not installed";
  std::string info = Shell("pdfinfo '" + file + "' 2>/dev/null");
  std::size_t pages = info.find("Pages:");
  ASSERT_NE(pages, std::string::npos) << info;
  EXPECT_EQ(std::stoi(info.substr(pages + 6)), 4) << info;
  EXPECT_NE(info.find("Geburtstagsliste"), std::string::npos);
  auto page = [&](int k) {
    return Shell("pdftotext -f " + std::to_string(k) + " -l " + std::to_string(k) + " '" + file + "' - 2>/dev/null");
  };
  for (int first : {1, 3}) {
    const std::string page1 = page(first), page2 = page(first + 1);
    EXPECT_NE(page1.find("Erste Seite: M\xC3\xA4rz"), std::string::npos) << page1;
    EXPECT_NE(page2.find("Zweite Seite"), std::string::npos) << page2;
    EXPECT_EQ(page1.find("Zweite"), std::string::npos);
  }
}

TEST(Printing, AbortDropsTheDocumentAndStateErrorsAreClear) {
  StartGraphics();
  TPrinter p;
  const std::string file = OutPath("gfx_aborted.pdf");
  p.SetOutputFileName(file);
  EXPECT_THROW(p.NewPage(), EPrinter);
  EXPECT_THROW(p.EndDoc(), EPrinter);
  p.BeginDoc();
  EXPECT_THROW(p.BeginDoc(), EPrinter);
  EXPECT_THROW(p.SetOrientation(poLandscape), EPrinter);
  p.Canvas()->TextOut(0, 0, "weg");
  p.Abort();
  EXPECT_TRUE(p.Aborted());
  EXPECT_FALSE(p.Printing());
  EXPECT_FALSE(std::filesystem::exists(file));
  // Landscape swaps the page.
  p.SetOrientation(poLandscape);
  EXPECT_GT(p.PageWidth(), p.PageHeight());
  EXPECT_THROW(p.SetPrinterIndex(99), EPrinter);
  // Outside a document the canvas measures at the printer's resolution.
  p.Canvas()->Font()->SetSize(10);
  EXPECT_EQ(p.Canvas()->Font()->Height(), -83);
  EXPECT_NO_THROW(p.Canvas()->TextOut(0, 0, "nichts"));
  EXPECT_EQ(Printer(), Printer());
}

TEST(Printing, ADocumentStartsFreshWhateverThePreviousOneLeftInTheCanvas) {
  StartGraphics();
  TPrinter p;
  const std::string file = OutPath("gfx_second_document.pdf");
  p.SetOutputFileName(OutPath("gfx_first_document.pdf"));
  p.BeginDoc();
  TCanvas& c = *p.Canvas();
  c.Font()->SetSize(12);
  // As a rich-text printout leaves it: baseline with the current position.
  c.SetTextAlign(TA_BASELINE | TA_UPDATECP);
  c.MoveTo(600, 900);
  c.SaveDC();
  p.EndDoc();
  p.SetOutputFileName(file);
  p.BeginDoc();
  EXPECT_EQ(c.PenPos(), (TPoint{0, 0}));
  EXPECT_FALSE(c.RestoreDC(-1));
  c.TextOut(600, 600, "Erste Zeile");
  c.TextOut(600, 800, "Zweite Zeile");
  p.EndDoc();
  if (!HavePdfToText()) GTEST_SKIP() << "pdftotext is not installed";
  // Two lines where they were drawn, not one after the other on the first.
  std::istringstream text(Shell("pdftotext -layout '" + file + "' - 2>/dev/null"));
  std::vector<std::string> lines;
  for (std::string l; std::getline(text, l);)
    if (l.find_first_not_of(" \f") != std::string::npos) lines.push_back(l.substr(l.find_first_not_of(" ")));
  EXPECT_EQ(lines, (std::vector<std::string>{"Erste Zeile", "Zweite Zeile"}));
}
