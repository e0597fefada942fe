// Layout and printing checked against the outside: line breaks of German
// sample text in three real fonts equal those of a small greedy breaker
// written here from the fonts' advance widths; a year list's label wider
// than its column stays in it; a three-page document printed
// to PDF holds every word on its page (pdftotext); printing gives the screen
// back its canvas and layout, also when it fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/gfx/bitmap.h"
#include "tests/richtext_view/view_helpers.h"
#include "tests/shell_helpers.h"

using namespace rtview_test;

namespace {

using testshell::Shell;

// Start indices of the lines a greedy breaker makes: characters are added
// while the line stays below `room`; blanks may pass it; the line ends after
// its last blank (not one at index 0 or 1), else before the character that
// did not fit (at least one per line).
std::vector<int> GreedyBreaks(const std::string& text, const int* widths, int room) {
  std::vector<int> starts;
  const int n = static_cast<int>(text.size());
  int start = 0;
  while (start < n) {
    starts.push_back(start);
    int x = 0, k = start, afterBlank = -1;
    for (; k < n; ++k) {
      const unsigned char c = static_cast<unsigned char>(text[k]);
      const int w = widths[c];
      if (x >= room) break;
      if (c != ' ' && x + w >= room) break;
      x += w;
      if (c == ' ' && k - start >= 2) afterBlank = k + 1;
    }
    if (k >= n) break;
    start = afterBlank > 0 ? afterBlank : std::max(k, start + 1);
  }
  return starts;
}

std::vector<int> EngineBreaks(const TWPParagraphRec* p) {
  std::vector<int> starts;
  int pos = 0;
  for (const TWPLineRec* l = p->line; l; l = l->next) {
    if (l->Length > 0 || starts.empty()) starts.push_back(pos);
    pos += l->Length;
  }
  return starts;
}

}  // namespace

TEST(RealFonts, BreaksOfGermanTextEqualAGreedyBreakerOnTheFontsAdvances) {
  StartGraphics();
  const std::vector<std::string> events = SampleEvents();
  ASSERT_GT(events.size(), 60u);
  // Paragraphs of eight sentences each.
  std::vector<std::string> paragraphs;
  for (size_t i = 0; i + 8 <= 48; i += 8) {
    std::string s;
    for (size_t k = i; k < i + 8; ++k) s += (k > i ? " " : "") + events[k];
    paragraphs.push_back(s);
  }
  int compared = 0;
  for (const char* font : {"Arial", "Times New Roman", "Book Antiqua"}) {
    for (int size : {10, 12}) {
      TFontRequest r;
      r.Name = font;
      r.Height = -MulDiv(size, 96, 72);
      r.Charset = ANSI_CHARSET;
      const std::shared_ptr<const TFontData> data = FontEngine().Realize(r);
      ASSERT_NE(data->Family.find(std::string(font) == "Arial" ? "Liberation Sans"
                                  : std::string(font) == "Book Antiqua" ? "P052"
                                                                        : "Liberation Serif"),
                std::string::npos);
      for (int room : {70, 180, 333, 520}) {
        TWPRTFTextPaint t;
        t.Header->FontNames[0] = font;
        t.SetWordWrap(true);
        t.SetWindowWidth(room + 1);
        for (const std::string& s : paragraphs) {
          TWPParagraphRec* p = t.IsEmpty() ? t.FirstPar : NewPar(t);
          AddRun(t, p, s, Attr(0, 0, static_cast<uint8_t>(size)));
        }
        t.FormatText();
        ExpectLaidOut(t);
        int i = 0;
        for (const TWPParagraphRec* p = t.FirstPar; p; p = p->next, ++i) {
          EXPECT_EQ(EngineBreaks(p), GreedyBreaks(paragraphs[i], data->Widths, room))
              << font << " " << size << "pt, room " << room << ", paragraph " << i;
          ++compared;
        }
      }
    }
  }
  EXPECT_EQ(compared, 3 * 2 * 4 * 6);
}

// A year list's line "TAB label TAB text" whose label is too wide for its
// right stop: the label stays at the line's start, the text at the text
// column, its wrapped lines under it, on the screen and the printer, in the
// screen's widths and the printer's; after text the tab goes on to the next
// stop, so that words never run together.
TEST(RealFonts, ALabelWiderThanItsRightStopStaysInItsColumn) {
  StartGraphics();
  for (auto [res, printerWidths] : {std::pair{96, false}, std::pair{96, true}, std::pair{600, true}}) {
    SCOPED_TRACE(std::to_string(res) + (printerWidths ? " dpi, printer's widths" : " dpi"));
    TWPRTFTextPaint t;
    t.Header->FontNames[0] = "Times New Roman";
    if (printerWidths) t.SetViewOptions(t.ViewOptions() | wpvPrinterWidths);
    t.SetResolution(res, res);
    t.Header->CurrentTabs = 0;
    t.Header->AddTab(tkRight, 288);
    const TWPTabSet stops = t.Header->AddTab(tkLeft, 720);
    TWPParagraphRec* p = t.FirstPar;
    AddRun(t, p, "\t1834:\t" + SampleEvents()[0] + " " + SampleEvents()[1]);
    TWPParagraphRec* q = NewPar(t);
    AddRun(t, q, "abc\t1834:");
    for (TWPParagraphRec* r : {p, q}) {
      r->Tabs = stops;
      r->FirstIndent = 0;
      r->LeftIndent = 720;
    }
    t.FormatText();
    const TWPLineRec* l = p->line;
    ASSERT_NE(l->next, nullptr);
    EXPECT_EQ(CharX(t, p, l, 1), t.LineStart(p, l));
    EXPECT_NEAR(CharX(t, p, l, 7), MulDiv(720, res, 1440), 1);
    EXPECT_NEAR(t.LineStart(p, l->next), CharX(t, p, l, 7), 1);
    EXPECT_NEAR(CharX(t, q, q->line, 4), MulDiv(720, res, 1440), 1);
  }
}

namespace {

// One paragraph per line, each exactly a quarter inch high: 36 lines fill
// the nine printable inches of a letter page with the default margins.
void BuildLinesDocument(TWPRTFTextPaint& t, int count, std::vector<std::string>& lines) {
  const std::vector<std::string> events = SampleEvents();
  for (int i = 0; i < count; ++i) {
    std::string s = "Zeile" + std::to_string(i + 1) + ": " + events[i % events.size()];
    // At most about 60 characters, cut after a word.
    if (s.size() > 60) s = s.substr(0, s.rfind(' ', 60));
    TWPParagraphRec* p = t.IsEmpty() ? t.FirstPar : NewPar(t);
    // Every third line's number italic, leaning into the colon after it.
    const size_t cut = i % 3 == 1 ? s.find(':') : 0;
    if (cut > 0) AddRun(t, p, s.substr(0, cut), Attr(wpsItalic));
    AddRun(t, p, s.substr(cut), Attr(i % 3 == 0 ? wpsBold : 0));
    p->LineSpacing = -360;
    lines.push_back(s);
  }
}

std::vector<std::string> Words(const std::string& cp1252) {
  std::vector<std::string> out;
  std::string w;
  for (char c : Cp1252ToUtf8(cp1252) + " ") {
    if (c == ' ') {
      if (!w.empty()) out.push_back(w);
      w.clear();
    } else {
      w += c;
    }
  }
  return out;
}

}  // namespace

TEST(Printing, ThreePagePdfHoldsEveryWordOnItsPage) {
  StartGraphics();
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext is not installed";
  TWPRTFTextPaint t;
  t.Header->FontNames[0] = "Arial";
  std::vector<std::string> lines;
  BuildLinesDocument(t, 90, lines);
  TBitmap screen(400, 300);
  t.SetCanvas(screen.Canvas());
  t.FormatText();
  int headers = 0, footers = 0;
  t.PrintHeader = [&](TCanvas&, int, int, int, int, int, int) { ++headers; };
  t.PrintFooter = [&](TCanvas&, int, int, int, int, int, int) { ++footers; };
  TPrinter printer;
  const std::string file = ArtifactPath("view_three_pages.pdf");
  std::filesystem::remove(file);
  printer.SetOutputFileName(file);
  t.PrintPages(printer, 1, 999);
  ASSERT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(headers, 3);
  EXPECT_EQ(footers, 3);
  std::string pages[3];
  for (int k = 0; k < 3; ++k)
    pages[k] = Shell("pdftotext -layout -f " + std::to_string(k + 1) + " -l " + std::to_string(k + 1) + " '" + file +
                     "' - 2>/dev/null");
  EXPECT_EQ(Shell("pdftotext -f 4 -l 4 '" + file + "' - 2>&1").find("Zeile"), std::string::npos);
  for (int i = 0; i < 90; ++i) {
    const int page = i / 36;
    for (const std::string& w : Words(lines[i])) {
      EXPECT_NE(pages[page].find(w), std::string::npos) << "line " << i + 1 << " word " << w;
    }
    // The numbered word is on no other page.
    const std::string tag = "Zeile" + std::to_string(i + 1) + ":";
    for (int k = 0; k < 3; ++k) {
      if (k == page) continue;
      EXPECT_EQ(pages[k].find(tag), std::string::npos) << tag << " on page " << k + 1;
    }
  }
  // Each italic number once in the text a viewer searches: whole lines.
  const std::string plain = Shell("pdftotext '" + file + "' - 2>/dev/null");
  for (int i = 1; i < 90; i += 3) EXPECT_NE(plain.find(Cp1252ToUtf8(lines[i])), std::string::npos) << lines[i];
  // Pages 2 and 3 only: the document's second page comes first.
  const std::string part = ArtifactPath("view_pages_2_3.pdf");
  printer.SetOutputFileName(part);
  t.PrintPages(printer, 2, 3);
  const std::string first = Shell("pdftotext -f 1 -l 1 '" + part + "' - 2>/dev/null");
  EXPECT_NE(first.find("Zeile37:"), std::string::npos);
  EXPECT_EQ(first.find("Zeile36:"), std::string::npos);
}

TEST(Printing, TheScreenGetsItsCanvasAndLayoutBackOnEveryPath) {
  StartGraphics();
  TWPRTFTextPaint t;
  t.Header->FontNames[0] = "Arial";
  std::vector<std::string> lines;
  BuildLinesDocument(t, 80, lines);
  TBitmap screen(300, 200);
  t.SetCanvas(screen.Canvas());
  t.SetZooming(150);
  t.SetWordWrap(true);
  t.SetWindowWidth(300);
  t.VisibleHeight = 200;
  t.TopOffset = 40;
  t.FormatText();
  auto snapshot = [&t] {
    std::vector<int> v{t.Header->ResX, t.Header->LayoutWidth, t.TotalHeight, t.WindowWidth(), t.TopOffset,
                       static_cast<int>(t.ViewOptions())};
    for (TWPParagraphRec* p = t.FirstPar; p; p = p->next) v.push_back(p->line->Top);
    return v;
  };
  const std::vector<int> before = snapshot();
  ASSERT_EQ(t.Header->ResX, 144);
  TPrinter printer;
  printer.SetOutputFileName(ArtifactPath("view_failing.pdf"));
  // The header of page 2 fails.
  t.PrintHeader = [](TCanvas&, int, int, int, int, int page, int) {
    if (page == 2) throw Exception("Kopfzeile fehlgeschlagen");
  };
  EXPECT_THROW(t.PrintPages(printer, 1, 5), Exception);
  EXPECT_FALSE(printer.Printing());
  EXPECT_TRUE(printer.Aborted());
  EXPECT_EQ(t.Canvas(), screen.Canvas());
  EXPECT_EQ(snapshot(), before);
  ExpectLaidOut(t);
  // And after a print that went through.
  t.PrintHeader = nullptr;
  printer.SetOutputFileName(ArtifactPath("view_restored.pdf"));
  t.PrintPages(printer, 1, 5);
  EXPECT_EQ(t.Canvas(), screen.Canvas());
  EXPECT_EQ(snapshot(), before);
}
