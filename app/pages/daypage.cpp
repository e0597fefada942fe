// The steps all day-page builders share (daypage.h).
#include "app/pages/daypage.h"

#include <algorithm>

#include "app/settings/datasetup.h"
#include "app/text/styledoutput.h"
#include "calendar/datetexts.h"
#include "platform/rtl/sysutils.h"

namespace {

// Pixels per inch of the document; a control not yet measured counts as
// the screen's usual 96.
int HorizontalResolution(TWPCustomRtfEdit* page) {
  const int32_t res = page->Header()->ResX;
  return res > 0 ? res : 96;
}

}  // namespace

int32_t DayPageTextTwips(TWPCustomRtfEdit* page, const FontSettings& font, const TextAttributes& attr,
                         const std::vector<AnsiString>& texts) {
  // The probe run carries exactly the attributes the page's years get; its
  // attribute record sets the canvas font, whatever was painted last.
  page->ClearText();
  AppendStyledText(page, "Test", font, attr, false);
  page->ReformatAndRepaint();
  page->MoveCursorTo(0);
  const TWPAttrRecord probe = *page->AttrAtCursor();
  TWPRTFTextInput* engine = page->RtfText();
  int pixels = 0;
  if (TCanvas* canvas = engine->Canvas()) {
    engine->SetCanvasFont(probe);
    for (const AnsiString& text : texts) pixels = std::max(pixels, canvas->TextWidth(text));
  }
  page->ClearText();
  return MulDiv(pixels, 1440, HorizontalResolution(page));
}

int32_t DayPageTextTwips(TWPCustomRtfEdit* page, const FontSettings& font, const TextAttributes& attr,
                         const AnsiString& text) {
  return DayPageTextTwips(page, font, attr, std::vector<AnsiString>{text});
}

int32_t MeasureDayPageTab(TWPCustomRtfEdit* page, const FontSettings& font, const TextAttributes& attr,
                          const std::vector<AnsiString>& before) {
  std::vector<AnsiString> texts;
  for (const AnsiString& t : before) texts.push_back("xx" + t);
  return page->Header()->RoundToGrid(DayPageTextTwips(page, font, attr, texts));
}

int32_t MeasureShortTab(TWPCustomRtfEdit* page, const FontSettings& font, const TextAttributes& attr) {
  return MeasureDayPageTab(page, font, attr, {"X"});
}

void WriteYearPart(TWPCustomRtfEdit* page, const YearPartLook& look, int year, const PackedDate& date, bool first) {
  AppendStyledText(page, year > 0 ? IntToStr(year) : AnsiString(), *look.Font, *look.Year, !first);
  AppendStyledText(page, "\t", *look.Font, *look.Text, false);
  if (year <= 0) return;
  const int n = YearsSinceYear(year, date);
  if (n <= 0) return;
  if (look.JubileeOn && IsJubileeYears(n)) {
    AppendStyledText(page, "Vor " + IntToStr(n) + " Jahren\n", *look.Font, *look.Jubilee, false);
  } else if (look.YearsOn) {
    AppendStyledText(page, "(" + IntToStr(n) + ")", *look.Font, *look.Years, false);
    AppendStyledText(page, " ", *look.Font, *look.Text, false);
  }
}

void FormatDayPageEntry(TWPCustomRtfEdit* page, int32_t tab) {
  page->SetParagraphIndents(kEntryIndent, tab, kEntryIndent);
  page->SetParagraphSpacing(kEntrySpaceBefore, 0, kEntrySpaceAfter);
  page->SetTabStop(tab, tkLeft, false);
}

DayPageGauge::DayPageGauge(TGauge* gauge, int maxValue) : gauge_(gauge) {
  if (!gauge_) return;
  gauge_->SetMaxValue(maxValue);
  gauge_->SetProgress(0);
  gauge_->SetVisible(true);
}

DayPageGauge::~DayPageGauge() {
  if (gauge_) gauge_->SetVisible(false);
}

void DayPageGauge::Step() {
  if (gauge_) gauge_->AddProgress(1);
}
