// Fixture of the tests of the published grid, its in-place editor, the
// data-aware edit and the memo dialog: a table of appointments built fresh
// for every test (number, date, text, memo, picture) under WWSCRATCH, a
// form, a source, and helpers that count beeps and put the grid on a cell.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dbcontrols/grid/wwgrid.h"
#include "dbcontrols/grid/wwinplace.h"
#include "dbengine/fieldtypes.h"
#include "platform/ui/keyboard.h"
#include "tests/dbcontrols/sample_fixture.h"

namespace wwtest {

// A published grid on the form at (8, 8), 540 wide, showing `columns`
// ("field\twidth\ttitle") of the source.
template <class G = TwwDBGrid>
G* MakeGridOn(TForm* form, TwwDataSource* source, const std::vector<const char*>& columns, int height) {
  auto* g = new G(form);
  g->SetName("Grid");
  g->SetParent(form);
  g->SetBounds(8, 8, 540, height);
  g->SetUseTFields(false);
  TStringList list;
  for (const char* c : columns) list.Add(c);
  g->SetSelected(&list);
  g->SetDataSource(source);
  return g;
}

class Appointments : public SampleData {
 protected:
  // Rows: number i (1..kRows), a date in 1990, a text, a memo of two lines,
  // a picture.
  static constexpr int kRows = 12;

  void SetUp() override {
    Build("TERMINE",
          {{"TERM_NR", fftInt32, 0},
           {"TERM_DATUM", fftDate, 0},
           {"TERM_TEXT", fftShortString, 30},
           {"TERM_NOTIZ", fftBlobMemo, 0},
           {"TERM_BILD", fftBlobGraphic, 0}},
          {{"XNR", {0}, true, false, true}});
    table = Open("TERMINE.FFD", "XNR", "WWSCRATCH");
    for (int i = 1; i <= kRows; ++i) {
      table->Append();
      table->FieldByName("TERM_NR")->SetAsInteger(i);
      table->FieldByName("TERM_DATUM")->SetAsDateTime(EncodeDate(1990, 1 + i % 12, i));
      table->FieldByName("TERM_TEXT")->SetAsString("Termin " + IntToStr(i));
      table->FieldByName("TERM_NOTIZ")->SetAsString("Notiz " + IntToStr(i) + "\r\nzweite Zeile");
      table->FieldByName("TERM_BILD")->SetAsString(StripesBmp(clRed, clWhite, clBlue));
      table->Post();
    }
    table->First();
    source = std::make_unique<TwwDataSource>(nullptr);
    source->SetDataSet(table.get());
    form = new TForm(Application);
    form->SetClientSize(560, 360);
  }

  void TearDown() override {
    if (form) form->Free();
    form = nullptr;
    source.reset();
    table.reset();
  }

  // A published grid on the form showing `columns` ("field\twidth\ttitle").
  template <class G = TwwDBGrid>
  G* MakeGrid(const std::vector<const char*>& columns, int height = 330) {
    return MakeGridOn<G>(form, source.get(), columns, height);
  }

  void SetPictureMask(const char* field, const char* mask, bool autoFill = true) {
    TStringList masks;
    masks.Assign(table->PictureMasks());
    masks.Add(AnsiString(field) + "\t" + mask + "\t" + (autoFill ? "T" : "F") + "\tF");
    table->SetPictureMasks(&masks);
  }

  static int Beeps() { return keyboard::BeepCount(); }

  // Clicks the middle of a grid cell.
  void ClickCell(TwwCustomDBGrid* g, int col, int row, TShiftState shift = 0) {
    const TRect r = static_cast<TCustomGrid*>(g)->CellRect(col, row);
    driver.Click(g, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, shift);
    driver.Process();
  }

  int Nr() const { return table->FieldByName("TERM_NR")->AsInteger(); }

  std::unique_ptr<TwwTable> table;
  std::unique_ptr<TwwDataSource> source;
  TForm* form = nullptr;
};

}  // namespace wwtest
