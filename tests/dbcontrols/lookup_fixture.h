// Fixture of the lookup tests: the persons of the reference data with a
// lookup combo for the birth place (PERS_GEBORT, picked from the place
// table in file order, so typed names are searched record by record), an
// edit to move the focus to, professions copied into tables the tests
// build (with an index on the name, or only a few of them), and helpers
// that read the lookup tables without moving them.
#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "dbcontrols/lookup/wwlookupcombo.h"
#include "dbengine/fieldtypes.h"
#include "platform/gfx/device.h"
#include "platform/ui/keyboard.h"
#include "tests/dbcontrols/sample_fixture.h"

namespace wwtest {

class Lookups : public SampleData {
 protected:
  void SetUp() override {
    people = Open("PERSON.FFD", "XPKPERS");
    places = Open("ORT.FFD");
    peopleSource = std::make_unique<TwwDataSource>(nullptr);
    peopleSource->SetDataSet(people.get());
    form = new TForm(Application);
    form->SetBounds(60, 60, 440, 300);
    form->SetClientSize(420, 260);
    combo = new TwwDBLookupCombo(form);
    combo->SetName("cmbOrt");
    combo->SetParent(form);
    combo->SetBounds(8, 8, 220, 21);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(8, 220, 120, 21);
    combo->SetLookupTable(places.get());
    combo->SetLookupField("ORTE_ID");
    SetColumns(combo, {"ORTE_NAME\t24\tOrt", "ORTE_ID\t5\tNr."});
    combo->SetDataSource(peopleSource.get());
    combo->SetDataField("PERS_GEBORT");
    form->Show();
    combo->SetFocus();
    driver.Process();
  }

  void TearDown() override {
    if (form) form->Free();
    form = nullptr;
    peopleSource.reset();
    for (auto& t : extra) t.reset();
    places.reset();
    people.reset();
  }

  static void SetColumns(TwwDBCustomLookupCombo* c, const std::vector<const char*>& columns) {
    TStringList list;
    for (const char* e : columns) list.Add(e);
    c->SetSelected(&list);
  }

  // The professions of the reference data in a table of this test: all
  // of them, or the first `count`; with an index on the male form.
  TwwTable* Professions(const char* name, int count = 0, bool nameIndex = true) {
    std::vector<IndexSpec> indexes = {{"XPKBERU", {0}, true, false, true}};
    if (nameIndex) indexes.push_back({"XBERNAME", {1}, true, true, false});
    Build(name, {{"BERU_ID", fftInt32, 0}, {"BERU_NAMEM", fftShortString, 40}, {"BERU_NAMEF", fftShortString, 40}},
          indexes);
    auto source = Open("BERUF.FFD", "XPKBERU");
    auto table = Open((std::string(name) + ".FFD").c_str(), "XPKBERU", "WWSCRATCH");
    int n = 0;
    for (source->First(); !source->Eof() && (count == 0 || n < count); source->Next(), ++n) {
      table->Append();
      for (const char* f : {"BERU_ID", "BERU_NAMEM", "BERU_NAMEF"})
        table->FieldByName(f)->SetAsString(source->FieldByName(f)->AsString());
      table->Post();
    }
    table->First();
    extra.push_back(std::move(table));
    return extra.back().get();
  }

  // The name of a place, read from a table of its own.
  AnsiString PlaceName(int id) {
    auto t = Open("ORT.FFD", "XPKORTE");
    return t->FindKey({id}) ? t->FieldByName("ORTE_NAME")->AsString() : AnsiString();
  }
  // The first place in file order whose name begins with `prefix`.
  int FirstPlaceStarting(const AnsiString& prefix) {
    auto t = Open("ORT.FFD");
    for (t->First(); !t->Eof(); t->Next())
      if (FoldedStartsWith(t->FieldByName("ORTE_NAME")->AsString(), prefix)) return t->FieldByName("ORTE_ID")->AsInteger();
    return -1;
  }

  int BirthPlace() const { return people->FieldByName("PERS_GEBORT")->AsInteger(); }
  int CurrentPlace() const { return places->FieldByName("ORTE_ID")->AsInteger(); }
  static int Beeps() { return keyboard::BeepCount(); }

  // Clicks the middle of a row of the open list (data rows from 0).
  void ClickListRow(int dataRow) {
    TwwPopupGrid* g = combo->Grid();
    const TRect r = g->CellRect(0, g->TitleOffset() + dataRow);
    driver.Click(g, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    driver.Process();
  }

  // Saves what the screen would show of several top-level windows (the
  // later ones on top) as one PNG; returns the path.
  std::string SaveScreen(const std::vector<TCustomForm*>& windows, const std::string& name) {
    driver.Process();
    TRect all{};
    for (TCustomForm* w : windows) {
      w->PaintPending();
      const TPoint o = w->ClientOrigin();
      const TRect r = Bounds(o.X, o.Y, w->Surface()->Width(), w->Surface()->Height());
      all = all.IsEmpty() ? r : UnionRect(all, r);
    }
    TSurface screen;
    screen.Resize(all.Width(), all.Height(), ColorToPixel(ColorToRGB(clAppWorkSpace)));
    for (TCustomForm* w : windows) {
      const TPoint o = w->ClientOrigin();
      const TSurface& s = *w->Surface();
      for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) screen.Row(o.Y - all.Top + y)[o.X - all.Left + x] = s.Row(y)[x];
    }
    const std::vector<std::uint8_t> png = GfxPlatform()->EncodePng(screen);
    const std::string path = TUiTestDriver::ArtifactDir() + "/" + name + ".png";
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return path;
  }

  std::unique_ptr<TwwTable> people, places;
  std::vector<std::unique_ptr<TwwTable>> extra;
  std::unique_ptr<TwwDataSource> peopleSource;
  TForm* form = nullptr;
  TwwDBLookupCombo* combo = nullptr;
  TEdit* other = nullptr;
};

}  // namespace wwtest
