// A shown page of the main window's size on the built reference data, its
// tables, and the main window's page frame's steps around a page builder
// (control emptied, builder, page laid out and painted, cursor to the start).
#pragma once

#include <map>
#include <memory>
#include <utility>

#include "app/pages/daypage.h"
#include "platform/ui/forms.h"
#include "platform/ui/testdriver.h"
#include "tests/app/program_dir.h"

// The day (month, day) on which most rows of `table` fall by its month and
// day fields, the first of equals, and how many fall on it; rows without a
// day (0, 0) are not counted.
inline std::pair<std::pair<int, int>, int> BusiestDay(TwwTable* table, const char* monthField, const char* dayField) {
  std::map<std::pair<int, int>, int> count;
  for (table->First(); !table->Eof(); table->Next())
    ++count[{table->FieldByName(monthField)->AsInteger(), table->FieldByName(dayField)->AsInteger()}];
  count.erase({0, 0});
  std::pair<std::pair<int, int>, int> busiest{};
  for (const auto& c : count)
    if (c.second > busiest.second) busiest = c;
  return busiest;
}

struct PageBench {
  TUiTestDriver driver;
  apptest::ProgramDirectory dir{"pages", apptest::UserTables::kNone};
  std::unique_ptr<TwwTable> persons = apptest::OpenTable("Orvelan", "PERSON.FFD", "PE_GMTJ"),
                            patrons = apptest::OpenTable("Orvelan", "PATRON.FFD", "PA_MT"),
                            names = apptest::OpenTable("Orvelan", "NAME.FFD", "XPKNAME"),
                            holidays = apptest::OpenTable("Orvelan", "FEIERTAG.FFD", "FT_MT");
  TForm* form = new TForm(Application);
  TWPCustomRtfEdit* page = new TWPCustomRtfEdit(form);
  DayPageContext ctx;

  PageBench() {
    form->SetClientSize(500, 420);
    page->SetParent(form);
    page->SetBounds(0, 0, 500, 420);
    page->SetWordWrap(true);
    page->SetScrollBars(ssVertical);
    form->Show();
    driver.Process();
    ctx.Page = page;
    ctx.Persons = persons.get();
    ctx.Patrons = patrons.get();
    ctx.Names = names.get();
    ctx.Holidays = holidays.get();
  }
  ~PageBench() { delete form; }
  PageBench(const PageBench&) = delete;
  PageBench& operator=(const PageBench&) = delete;

  template <class Builder>
  void Build(Builder builder) {
    page->ClearText();
    builder(ctx);
    page->ReformatAndRepaint();
    page->PlaceCursor(0, 0, 0, 0);
    driver.Process();
  }
  int Paragraphs() const {
    int n = 0;
    for (TWPParagraphRec* p = page->RtfText()->FirstPar; p; p = p->next) ++n;
    return n;
  }
};
