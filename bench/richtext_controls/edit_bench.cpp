// The edit control as the program uses it: a births page of a busy day
// (105 entries) built through the programmatic interface in a shown window
// (runs, paragraphs, indents, spacing and a tab stop per entry, one layout
// at the end), and a keystroke typed through the window's messages into it.
#include <benchmark/benchmark.h>

#include "platform/qt/qt_host.h"
#include "platform/ui/forms.h"
#include "platform/ui/testdriver.h"
#include "tests/richtext_controls/page_helpers.h"
#include "tests/richtext_view/daypage.h"
#include "tests/test_paths.h"

namespace {

using namespace rtedit_test;

// The toolkit's graphics (real fonts) before the driver.
struct Graphics {
  Graphics() { qthost::EnsureGuiApplication(); }
};

struct Window {
  Graphics graphics;
  TUiTestDriver driver;
  TForm* form = new TForm(Application);
  TWPCustomRtfEdit* edit = new TWPCustomRtfEdit(form);
  std::vector<daypage::Person> persons;
  Window() {
    form->SetClientSize(660, 500);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 640, 480);
    edit->SetWordWrap(true);
    edit->SetScrollBars(ssVertical);
    form->Show();
    driver.Process();
    persons = daypage::SamplePersons(testpaths::SourceDir(), 200);
    for (auto& p : persons) p.Remark = p.Remark.substr(0, p.Remark.find_first_of(";,"));
  }
  void Build(size_t count) {
    edit->ClearText();
    Styled(edit, "Geburtstage", "Book Antiqua", 16, wpsBold);
    for (size_t i = 0; i < count; ++i) {
      const daypage::Person& p = persons[i % persons.size()];
      Styled(edit, std::to_string(p.Year), "Arial", 10, wpsBold, 11, true);
      Styled(edit, "\t(" + std::to_string(2024 - p.Year) + ") ", "Arial", 10);
      Link(edit, p.Name, "p:" + std::to_string(i));
      Styled(edit, " (" + p.Place + "), " + p.Professions + ". " + p.Remark, "Arial", 10);
      edit->SetParagraphIndents(72, 1000, 72);
      edit->SetParagraphSpacing(72, 0, 30);
      edit->SetTabStop(1000, tkLeft, false);
    }
    edit->ReformatAndRepaint();
    edit->PlaceCursor(0, 0, 0, 0);
  }
};

void BM_BuildBirthsPageByCode(benchmark::State& state) {
  Window w;
  for (auto _ : state) w.Build(105);
  state.counters["chars"] = w.edit->TextLength();
}
BENCHMARK(BM_BuildBirthsPageByCode)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_KeystrokeThroughTheWindow(benchmark::State& state) {
  Window w;
  w.Build(105);
  w.edit->SetFocus();
  w.edit->MoveCursorTo(200);
  for (auto _ : state) {
    w.edit->Perform(WM_CHAR, 'x', 0);
    w.edit->Perform(WM_CHAR, 8, 0);
  }
}
BENCHMARK(BM_KeystrokeThroughTheWindow)->Unit(benchmark::kMicrosecond);

}  // namespace
