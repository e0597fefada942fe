// The shared helpers of helpers.h.
#include "app/text/helpers.h"

#include "dbcontrols/text/wwstr.h"
#include "platform/ui/dialogs.h"

namespace {
constexpr TColor kColors[16] = {
    RGB(0, 0, 0),       RGB(255, 0, 0),     RGB(0, 128, 0),     RGB(0, 0, 255),
    RGB(255, 255, 0),   RGB(255, 0, 255),   RGB(128, 0, 128),   RGB(128, 0, 0),
    RGB(0, 255, 0),     RGB(0, 255, 255),   RGB(0, 128, 128),   RGB(0, 0, 128),
    RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 0),
};
}  // namespace

TColor ColorTable[16] = {
    kColors[0], kColors[1], kColors[2],  kColors[3],  kColors[4],  kColors[5],  kColors[6],  kColors[7],
    kColors[8], kColors[9], kColors[10], kColors[11], kColors[12], kColors[13], kColors[14], kColors[15],
};

void InitColorTable() {
  for (int i = 0; i < 16; ++i) ColorTable[i] = kColors[i];
}

TColor ColorOf(int colourNumber) {
  return colourNumber >= 0 && colourNumber < 16 ? ColorTable[colourNumber] : ColorTable[0];
}

void FixStringFields(TDataSet* dataSet) {
  for (int i = 0; i < dataSet->FieldCount(); ++i) {
    TField* f = dataSet->Fields(i);
    if (f->DataType() == ftString) f->SetTransliterate(false);
  }
}

TSaveAnswer ConfirmSaveOnClose() {
  switch (MessageDlg("Ihre Eingaben sind noch nicht gespeichert.\rVor dem Beenden speichern?", mtWarning,
                     mbYes | mbNo | mbCancel, 0)) {
    case mrYes: return TSaveAnswer::Save;
    case mrNo: return TSaveAnswer::Discard;
    default: return TSaveAnswer::Stay;
  }
}

AnsiString ShortHintText(const AnsiString& full) {
  // One line: the lists and the warner show a list text in a single row.
  AnsiString text;
  for (size_t i = 0; i < full.size(); ++i) {
    if (full[i] == '\r' && i + 1 < full.size() && full[i + 1] == '\n') continue;
    text += full[i] == '\r' || full[i] == '\n' ? ' ' : full[i];
  }
  if (static_cast<int>(text.size()) <= kHintLength) return text;
  // The last blank among the first 40 characters.
  const size_t sentenceBlank = text.find_last_of(' ', kHintLength - 1);
  if (sentenceBlank != AnsiString::npos && sentenceBlank > 0) {
    const char before = text[sentenceBlank - 1];
    if (before == '.' || before == '!' || before == '?') return text.substr(0, sentenceBlank + 1);
  }
  if (sentenceBlank == AnsiString::npos) return text.substr(0, kHintLength);
  // "..." takes three places: the kept text ends before a blank at index 37
  // at the latest.
  const size_t blank = text.find_last_of(' ', kHintLength - 3);
  if (blank == AnsiString::npos) return text.substr(0, kHintLength - 3) + "...";
  return text.substr(0, blank) + "...";
}

namespace {

// A text cut to the field: at its last blank that leaves room for "..."
// (or at that length when there is none), marked "...".
AnsiString CutWithEllipsis(const AnsiString& text) {
  if (static_cast<int>(text.size()) <= kHintLength) return text;
  const size_t blank = text.find_last_of(' ', kHintLength - 3);
  const size_t keep = blank == AnsiString::npos || blank == 0 ? kHintLength - 3 : blank;
  AnsiString kept = text.substr(0, keep);
  while (!kept.empty() && (kept.back() == ' ' || kept.back() == '\t' || kept.back() == ',')) kept.pop_back();
  return kept + "...";
}

}  // namespace

AnsiString PersonHintText(const AnsiString& surname, const AnsiString& firstNames) {
  AnsiString hint = wwStrTrimBlanks(surname + ", " + firstNames);
  if (!hint.empty() && hint.back() == ',') hint.pop_back();
  return CutWithEllipsis(wwStrTrimBlanks(hint));
}

int WarnerKey(bool hasDate, TDateTime date, bool on, int days) {
  if (!on || !hasDate) return 0;
  int year = 0, month = 0, day = 0;
  DecodeDate(date, year, month, day);
  if (month == 2 && day == 29) day = 28;
  // Counted back by month and day alone, so that a date early in the
  // calendar's first year needs no date before it; the year only says how
  // long February is.
  for (day -= days; day < 1; day += DaysInMonth(year, month)) {
    if (--month < 1) {
      month = 12;
      --year;
    }
  }
  return month * 100 + day;
}

AnsiString WithFullStop(const AnsiString& text) { return !text.empty() && text.back() == '.' ? text : text + "."; }
