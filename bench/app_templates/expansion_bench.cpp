// The richest default template ("Geburtstagsblatt", eight sections) expanded
// as the print window does it: the template copied into the preview's
// document, every placeholder replaced for an own person entry and three
// dates, and (second case) the sheet laid out as the preview shows it. The
// birth date 1.1.1863 fills the most sections the sample data can: every
// one but the deaths of that day (no person died on a day that also has
// events, births and a holiday); the first name "Maria" has the most name
// days.
#include <benchmark/benchmark.h>

#include "app/templates/expansion.h"
#include "app/text/helpers.h"
#include "app/windows/preview.h"
#include "platform/qt/qt_host.h"
#include "platform/ui/testdriver.h"
#include "tests/app/program_dir.h"

namespace {

void BM_ExpandRichestDefaultTemplate(benchmark::State& state) {
  const bool layOut = state.range(0) != 0;
  qthost::EnsureGuiApplication();
  TUiTestDriver driver;
  apptest::ProgramDirectory dir("tpl", apptest::UserTables::kMade, {"OvDef001.Rtf"});
  TwwTable entry(nullptr);
  entry.SetDatabaseName("OrvUser");
  entry.SetTableName("EIGENES.FFD");
  entry.Open();
  FixStringFields(&entry);
  entry.Append();
  entry.FieldByName("EIGE_ID")->SetAsInteger(1);
  entry.FieldByName("EIGE_TYP")->SetAsInteger(1);
  entry.FieldByName("EIGE_VORNAME")->SetAsString("Maria");
  entry.FieldByName("EIGE_NACHNAME")->SetAsString("Muster");
  entry.FieldByName("EIGE_GESCH")->SetAsInteger(1);
  entry.FieldByName("EIGE_ORT")->SetAsString("Bern");
  entry.FieldByName("EIGE_DATUM")->SetAsDateTime(EncodeDate(1863, 1, 1));
  entry.Post();
  const TTemplateDates dates = TemplateDatesOf(EncodeDate(1863, 1, 1), "", "01.01.1963");
  TTemplateReferenceTables tables;
  TWPRTFTextIo templ;
  templ.LoadFromFile((dir.Root() / "OvDef001.Rtf").string());

  TfrmPreview* preview = nullptr;
  Application->CreateForm(preview);
  TWPRichText* sheet = preview->WPRichText1;
  if (layOut) {
    preview->Show();
    driver.Process();
  }
  for (auto _ : state) {
    sheet->ClearDocument();
    sheet->SetRtfText(&templ);
    ExpandTemplate(sheet, &entry, dates, &tables.Tables());
    if (layOut) {
      sheet->ReformatAndRepaint();
      sheet->PlaceCursor(0, 0, 0, 0);
      driver.Process();
    }
  }
  state.counters["paragraphs"] = TWPRTFText::ParagraphIndex(sheet->RtfText()->LastParagraph(),
                                                            sheet->RtfText()->FirstPar);
  state.counters["chars"] = sheet->TextLength();
  delete preview;
  entry.Close();
}
BENCHMARK(BM_ExpandRichestDefaultTemplate)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
