// The display dialogs' samples (dispsample.h). Each rubric's sample follows
// the frame of its day page: the tab measured in the first element's look,
// one paragraph per entry formatted as the page formats its entries, and,
// with media links "Mit Symbol", a paragraph per picture, sound or text
// with its symbol before a link.
#include "app/dialogs/dispsample.h"

#include <memory>

#include "app/dialogs/dlgframe.h"
#include "app/pages/daypage.h"
#include "app/text/styledoutput.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "resources/pictures.h"

namespace {

constexpr char kNoBreakSpace = '\xA0';
constexpr char kDagger = '\x86';
// Media links: "Keine", "Mit Symbol", "Über den Namen".
constexpr int kMediaSymbols = 1, kMediaByName = 2;

class SampleWriter {
 public:
  SampleWriter(TWPCustomRtfEdit* e, const DisplaySettings& s, int hyperlink) : e_(e), s_(s), link_(hyperlink) {}

  void Text(const AnsiString& text, int attr, bool newParagraph = false) {
    AppendStyledText(e_, text, s_.Font, s_.Attr[attr], newParagraph);
  }
  void Link(const AnsiString& visible, bool newParagraph = false) {
    AppendHyperlink(e_, kSampleLinkCode, visible, s_.Font, s_.Attr[link_], newParagraph);
  }
  bool On(int sw) const { return s_.Switches[sw]; }
  int Media() const { return s_.MediaLinks; }

  // The years before an entry: "Vor n Jahren" and a line break in the
  // jubilee's look while its switch is on, else "(n) " while the years'
  // switch is on.
  void Years(int n, int yearsSwitch, int jubileeSwitch, int years, int jubilee, int text) {
    if (On(jubileeSwitch)) {
      Text("Vor " + IntToStr(n) + " Jahren\n", jubilee);
    } else if (On(yearsSwitch)) {
      Text("(" + IntToStr(n) + ")", years);
      Text(" ", text);
    }
  }

  // A paragraph of a symbol, a tab and a link, begun by an empty run that
  // opens it: indented to the first column, continued at the second.
  void Symbol(TMediaPicture picture, int number, const AnsiString& title, int text, int32_t col1, int32_t col2) {
    Text("", text, true);
    const std::unique_ptr<TBitmap> symbol = MediaPicture(picture);
    e_->InsertObject(symbol.get(), static_cast<uint16_t>(number), 0, 0, 0);
    Text("\t", text);
    Link(title);
    e_->SetParagraphIndents(col1, col2, kEntryIndent);
    e_->SetParagraphSpacing(0, 0, kEntrySpaceAfter);
    e_->SetTabStop(col2, tkLeft, false);
  }

  // The second column: behind the first, a symbol and "xx".
  int32_t SecondColumn(int32_t col1, int attr) {
    const int res = e_->Header()->ResX > 0 ? e_->Header()->ResX : 96;
    const int32_t symbol = MulDiv(MediaPicture(mpCamera)->Width(), 1440, res);
    return e_->Header()->RoundToGrid(col1 + symbol + DayPageTextTwips(e_, s_.Font, s_.Attr[attr], "xx"));
  }

  TWPCustomRtfEdit* Edit() const { return e_; }

 private:
  TWPCustomRtfEdit* e_;
  const DisplaySettings& s_;
  int link_;
};

// Births (rbBirths) and deaths (rbDeaths): one person with the place and
// the other life date, and two media paragraphs.
void PersonSample(SampleWriter& w, const DisplaySettings& s, bool births) {
  TWPCustomRtfEdit* e = w.Edit();
  const int32_t col1 = MeasureDayPageTab(e, s.Font, s.Attr[abYear], {"9999"});
  const int32_t col2 = w.Media() == kMediaSymbols ? w.SecondColumn(col1, abYear) : 0;
  w.Text("1956", abYear);
  w.Text("\t", abText);
  w.Years(70, dbYears, dbJubilee, abYears, abJubilee, abText);
  if (w.Media() == kMediaByName)
    w.Link("Anna Muster");
  else
    w.Text("Anna Muster", abName);
  if (w.On(dbPlace)) {
    w.Text(" ", abText);
    w.Text(births ? "(in Musterstadt)" : "(in Beispielheim)", abPlace);
  }
  w.Text(", ", abText);
  w.Text("Schriftstellerin", abProfession);
  if (w.On(dbOtherDate)) {
    w.Text(" ", abText);
    w.Text(births ? "(" + AnsiString(1, kDagger) + kNoBreakSpace + "12.3.2020)"
                  : "(*" + AnsiString(1, kNoBreakSpace) + "4.5.1880)",
           abOtherDate);
  }
  w.Text(", ", abText);
  w.Text(CP1252("schrieb Romane und Erzählungen über das Leben am Fluss, ").str(), abText);
  w.Link(CP1252("Preisträgerin der Stadt Musterstadt").str());
  FormatDayPageEntry(e, col1);
  if (w.Media() != kMediaSymbols) return;
  w.Symbol(mpCamera, 1, "Anna Muster an ihrem Schreibtisch", abText, col1, col2);
  w.Symbol(mpMicrophone, 2, "Lesung aus ihrem ersten Roman", abText, col1, col2);
}

void PersonalSample(SampleWriter& w, const DisplaySettings& s) {
  TWPCustomRtfEdit* e = w.Edit();
  const int32_t col1 = MeasureDayPageTab(e, s.Font, s.Attr[apYear], {"9999"});
  // Newest first, as the page lists them.
  w.Text("2011", apYear);
  w.Text("\t", apText);
  w.Years(15, dpYears, dpJubilee, apYears, apJubilee, apText);
  w.Text("Einzug in das Haus am Lindenweg.", apText);
  FormatDayPageEntry(e, col1);
  // A birthday of 36 years: no jubilee, so only the number of years.
  w.Text("1990", apYear, true);
  w.Text("\t", apText);
  if (w.On(dpYears)) {
    w.Text("(36)", apYears);
    w.Text(" ", apText);
  }
  w.Text("Lena", apName);
  const bool place = w.On(dpBirthPlace), time = w.On(dpBirthTime);
  if (place) {
    w.Text(" geboren ", apText);
    if (time) w.Text("um 14:30 Uhr ", apText);
    w.Text("in Musterstadt.", apText);
  } else if (time) {
    w.Text(" geboren um 14:30 Uhr.", apText);
  }
  FormatDayPageEntry(e, col1);
  w.Text("1966", apYear, true);
  w.Text("\t", apText);
  w.Years(60, dpYears, dpJubilee, apYears, apJubilee, apText);
  w.Text(CP1252("Hochzeit der Großeltern in Beispielheim.").str(), apText);
  FormatDayPageEntry(e, col1);
}

void EventSample(SampleWriter& w, const DisplaySettings& s) {
  TWPCustomRtfEdit* e = w.Edit();
  const int32_t col1 = MeasureDayPageTab(e, s.Font, s.Attr[aeYear], {"9999"});
  const int32_t col2 = w.Media() == kMediaSymbols ? w.SecondColumn(col1, aeYear) : 0;
  w.Text("1926", aeYear);
  w.Text("\t", aeText);
  w.Years(100, deYears, deJubilee, aeYears, aeJubilee, aeText);
  w.Text(CP1252("Die neue Brücke über den Fluss wird von den Baumeistern ").str(), aeText);
  w.Link("Karl Beispiel");
  w.Text(" und ", aeText);
  w.Link("Berta Muster");
  w.Text(CP1252(" dem Verkehr übergeben.").str(), aeText);
  FormatDayPageEntry(e, col1);
  if (w.Media() == kMediaSymbols) {
    w.Symbol(mpCamera, 1, CP1252("Die Brücke am Tag der Eröffnung").str(), aeText, col1, col2);
    w.Symbol(mpMicrophone, 2, CP1252("Die Rede des Bürgermeisters").str(), aeText, col1, col2);
  }
  // 37 years: no jubilee, so the jubilee's switch does not hide the count.
  w.Text("1989", aeYear, true);
  w.Text("\t", aeText);
  if (w.On(deYears)) {
    w.Text("(37)", aeYears);
    w.Text(" ", aeText);
  }
  w.Text(CP1252("In Musterstadt öffnet das erste Museum für Uhren.").str(), aeText);
  FormatDayPageEntry(e, col1);
}

void NameDaySample(SampleWriter& w, const DisplaySettings& s) {
  TWPCustomRtfEdit* e = w.Edit();
  const int32_t col1 = MeasureShortTab(e, s.Font, s.Attr[anText]);
  const int32_t col2 = w.Media() == kMediaSymbols ? w.SecondColumn(col1, anText) : 0;
  w.Text("Anna", anNameForms);
  if (w.On(dnNameForms))
    w.Text(", Anja, Anke, Anita, Annika, Anouk, Anne, Annette, Annina, Hanna, Hanne, Hannah, Nancy, Nina", anNameForms);
  e->SetParagraphIndents(kEntryIndent, kEntryIndent, kEntryIndent);
  e->SetParagraphSpacing(kEntrySpaceBefore, 0, 0);
  w.Text("\t", anText, true);
  if (w.Media() == kMediaByName)
    w.Link("hl. Anna");
  else
    w.Text("hl. Anna", anName);
  w.Text("\n", anText);
  w.Text("Mutter der Gottesmutter Maria", anProfession);
  if (w.On(dnLifeDates)) {
    w.Text("\n", anText);
    w.Text("*" + AnsiString(1, kNoBreakSpace) + "um 50 v. Chr. in Sepphoris", anLifeDates);
    w.Text("\n", anText);
    w.Text(AnsiString(1, kDagger) + kNoBreakSpace + "um 20 in Jerusalem", anLifeDates);
  }
  if (w.On(dnPatronOf)) {
    w.Text("\n", anText);
    w.Text(CP1252("Patronin der Mütter, der Witwen und der Bergleute").str(), anPatronOf);
  }
  FormatDayPageEntry(e, col1);
  if (w.Media() != kMediaSymbols) return;
  w.Symbol(mpText, 1, "Kurzbiografie der hl. Anna", anText, col1, col2);
  w.Symbol(mpText, 2, CP1252("Bräuche am Annatag").str(), anText, col1, col2);
}

void HolidaySample(SampleWriter& w, const DisplaySettings& s) {
  TWPCustomRtfEdit* e = w.Edit();
  const int32_t col1 = MeasureShortTab(e, s.Font, s.Attr[ahText]);
  auto format = [&] {
    e->SetParagraphIndents(kEntryIndent, kEntryIndent, kEntryIndent);
    e->SetParagraphSpacing(0, 0, kEntrySpaceAfter);
    e->SetTabStop(col1, tkLeft, false);
  };
  auto entry = [&](const AnsiString& country, const AnsiString& holiday, const AnsiString& note, bool first) {
    w.Link(country, !first);
    w.Text("\n\t" + holiday, ahText);
    if (w.On(dhNotes)) w.Text("\n\t(" + note + ")", ahNote);
    format();
  };
  entry("Schweiz", "Auffahrt", "39 Tage nach Ostern", true);
  w.Text("International", ahCountry, true);
  w.Text("\n\tTag der Muttersprache, ausgerufen von der ", ahText);
  w.Link("UNESCO");
  format();
  entry(CP1252("Österreich").str(), "Nationalfeiertag", "Gesetzlicher Feiertag", false);
}

// The element of the section that is the hyperlink's block.
int HyperlinkElement(int rubric) {
  switch (rubric) {
    case rbBirths:
    case rbDeaths: return abHyperlink;
    case rbEvents: return aeHyperlink;
    case rbNameDays: return anHyperlink;
    case rbHolidays: return ahHyperlink;
    default: return apText;  // the personal page has no links
  }
}

}  // namespace

void BuildDisplaySample(TWPCustomRtfEdit* edit, int rubric, const DisplaySettings& s) {
  auto writing = AllowWriting(edit);
  THourGlass busy;
  edit->ClearText();
  {
    const bool locked = LockWindowUpdate(edit->Handle());
    TScopeExit unlock{[locked] {
      if (locked) LockWindowUpdate(0);
    }};
    const int link = HyperlinkElement(rubric);
    if (rubric != rbPersonal) SetHyperlinkAttributes(edit, s.Attr[link]);
    SampleWriter w(edit, s, link);
    switch (rubric) {
      case rbPersonal: PersonalSample(w, s); break;
      case rbBirths: PersonSample(w, s, true); break;
      case rbDeaths: PersonSample(w, s, false); break;
      case rbEvents: EventSample(w, s); break;
      case rbNameDays: NameDaySample(w, s); break;
      case rbHolidays: HolidaySample(w, s); break;
      default: break;
    }
    // The page as wide as the control, once the columns are measured: the
    // measuring clears the text, and with it the page.
    const int res = edit->Header()->ResX > 0 ? edit->Header()->ResX : 96;
    edit->SetPageLayout(72, 72, kWPUnchanged, kWPUnchanged, MulDiv(edit->Width() - 10, 1440, res), kWPUnchanged);
  }
  edit->ReformatAndRepaint();
  edit->PlaceCursor(0, 0, 0, 0);
}
