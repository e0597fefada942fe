// A complete editor for the bar tests: a form with a tool bar (every icon
// and combo), a ruler, a rich-text control and a status bar, laid out like
// an editor window, under the headless test driver.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/ui/forms.h"
#include "platform/ui/testdriver.h"
#include "richtext/bars/ruler.h"
#include "richtext/bars/statusbar.h"
#include "richtext/bars/toolbar.h"
#include "richtext/controls/richtext.h"
#include "tests/richtext_controls/page_helpers.h"

namespace bars_test {

constexpr TwpTbIcons kAllStatusIcons = (1u << 14) - 1;
constexpr TwpTbIcons2 kAllActionIcons = (1u << 7) - 1;
constexpr TwpTbIcons3 kAllDatabaseIcons = (1u << 9) - 1;
constexpr TwpTbIcons4 kAllEditIcons = (1u << 8) - 1;
constexpr TwpTbListboxen kAllCombos = (1u << 6) - 1;

struct EditorForm {
  TUiTestDriver driver;
  TForm* form = new TForm(Application);
  TWPToolBar* bar = new TWPToolBar(form);
  TWPRuler* ruler = new TWPRuler(form);
  TWPStatusBarBasic* status;
  TWPRichText* edit = new TWPRichText(form);

  explicit EditorForm(bool altStatus = false, int width = 800, int height = 600, bool databaseIcons = false)
      : status(altStatus ? new TWPAltStatusBar(form) : new TWPStatusBarBasic(form)) {
    form->SetCaption("Editor");
    form->SetClientSize(width, height);
    bar->SetParent(form);
    bar->SetAlign(alTop);
    ruler->SetParent(form);
    ruler->SetAlign(alTop);
    ruler->SetHeight(22);
    status->SetParent(form);
    status->SetAlign(alBottom);
    status->SetHeight(22);
    edit->SetParent(form);
    edit->SetAlign(alClient);
    edit->SetWordWrap(true);
    form->Show();
    driver.Process();
    bar->Setsel_ListBoxes(kAllCombos);
    bar->Setsel_StatusIcons(kAllStatusIcons);
    bar->Setsel_ActionIcons(kAllActionIcons);
    if (databaseIcons) bar->Setsel_DatabaseIcons(kAllDatabaseIcons);
    bar->Setsel_EditIcons(kAllEditIcons);
    // Tall enough for the rows the icons need at this width.
    int bottom = 0;
    for (int i = 0; i < bar->ControlCount(); ++i)
      bottom = std::max(bottom, bar->Controls(i)->Top() + bar->Controls(i)->Height());
    bar->SetHeight(bottom + 3);
    TStringList defs;
    defs.Add("@$60stPage=Seite 1");
    defs.Add("@$80stLine=Zeile 1");
    defs.Add("@$60stTxtFmt=");
    defs.Add("@$200stFileName=");
    defs.Add("@$80stStatus=Bereit");
    status->SetStrings(&defs);
    status->SetShowSizer(true);
    edit->SetWPToolBar(bar);
    edit->SetWPRuler(ruler);
    edit->SetStatusBar(status);
    ruler->SetShowNumbers(true);
    driver.Process();
  }
};

// A short page: a heading, an indented paragraph with tab stops, and a
// paragraph with a first-line indent.
inline void SamplePage(TWPCustomRtfEdit* e) {
  using rtedit_test::Styled;
  e->ClearText();
  Styled(e, "Geburtstage am 14. Juli", "Arial", 14, wpsBold);
  Styled(e, "1602\tJules Mazarin\tStaatsmann", "Times New Roman", 11, 0, 0, true);
  Styled(e, "1862\tGustav Klimt\tMaler", "Times New Roman", 11, 0, 0, true);
  Styled(e,
         "Ein Absatz mit einem Einzug der ersten Zeile und etwas mehr Text, damit er umbricht und der "
         "Blocksatz zu sehen ist, wenn er eingestellt wird.",
         "Arial", 10, 0, 0, true);
  e->ReformatAndRepaint();
  TTextHeader& h = *e->Header();
  h.CurrentTabs = 0;
  h.AddTab(tkLeft, 1440);
  const TWPTabSet tabs = h.AddTab(tkRight, 4320);
  for (int n : {1, 2}) {
    TWPParagraphRec* p = e->RtfText()->ParagraphAt(n);
    p->Tabs = tabs;
    p->LeftIndent = p->FirstIndent = 360;
    p->ChangeFlags |= wpcBreak;
  }
  TWPParagraphRec* last = e->RtfText()->ParagraphAt(3);
  last->FirstIndent = 720;
  last->RightIndent = 1440;
  last->ChangeFlags |= wpcBreak;
  e->ReformatAndRepaint();
}

}  // namespace bars_test
