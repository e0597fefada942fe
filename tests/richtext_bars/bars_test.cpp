// Behaviour of the bars: status-bar panel definitions, layout, gauge and
// progress (a freed bar receives none), the alternative bar's layout and
// gauge; the ruler's marks, drags and tab stops (also without a
// resolution); the tool bar's icon table, events, combos and the commands
// it carries out on the editor.
#include <gtest/gtest.h>

#include "platform/ui/keyboard.h"
#include "richtext/model/progress.h"
#include "tests/richtext_bars/editor_form.h"

using namespace bars_test;
using rtedit_test::Text;

namespace {

std::unique_ptr<TStringList> Lines(std::initializer_list<const char*> lines) {
  auto l = std::make_unique<TStringList>();
  for (const char* s : lines) l->Add(s);
  return l;
}

struct BarForm {
  TUiTestDriver driver;
  TForm* form = new TForm(Application);
  BarForm() {
    form->SetClientSize(400, 200);
    form->Show();
    driver.Process();
  }
  template <class T>
  T* Make(int w, int h) {
    auto* c = new T(form);
    c->SetParent(form);
    c->SetAlign(alNone);
    c->SetBounds(0, 0, w, h);
    return c;
  }
};

}  // namespace

// --- status bars -----------------------------------------------------------------------------------

TEST(StatusBar, PanelDefinitionsGiveKindWidthStyleAndText) {
  BarForm f;
  auto* bar = f.Make<TWPStatusBarBasic>(400, 22);
  auto defs = Lines({"@$120stPage=Seite 3", "@$120stPage", "5stLine=x", "stpage=y", "", "stStatus", "%bad"});
  bar->SetStrings(defs.get());
  ASSERT_EQ(bar->PanelCount(), 6);
  EXPECT_EQ(bar->Panel(0).Kind, stPage);
  EXPECT_EQ(bar->Panel(0).Width, 120);
  EXPECT_EQ(bar->Panel(0).Style, wpsfFrame | wpsfLower);
  EXPECT_EQ(bar->Panel(0).Text, "Seite 3");
  EXPECT_EQ(bar->Panel(1).Kind, stString);
  EXPECT_EQ(bar->Panel(1).Text, "@$120stPage");
  EXPECT_EQ(bar->Panel(2).Width, 30);
  EXPECT_EQ(bar->Panel(2).Kind, stLine);
  EXPECT_EQ(bar->Panel(3).Kind, stString);
  EXPECT_EQ(bar->Panel(4).Kind, stStatus);
  EXPECT_EQ(bar->Panel(4).Value, 5);  // the line's index, empty lines counted
  EXPECT_EQ(bar->Panel(5).Style, 0);  // "%" counts only after "$"
  // Setting a text by kind; an unknown kind changes nothing.
  EXPECT_TRUE(bar->SetPanelText("Seite 4", stPage));
  EXPECT_EQ(bar->Panel(0).Text, "Seite 4");
  EXPECT_FALSE(bar->SetPanelText("z", stTime));
  // At most 23 panels from the lines; the gauge is the 24th.
  TStringList many;
  for (int i = 0; i < 30; ++i) many.Add("10stString=" + std::to_string(i));
  bar->SetStrings(&many);
  EXPECT_EQ(bar->PanelCount(), 23);
  bar->SetShowGauge(true);
  EXPECT_EQ(bar->PanelCount(), 24);
  EXPECT_EQ(bar->Panel(23).Kind, stGauge);
  EXPECT_EQ(bar->Panel(23).Value, -1);
  bar->SetShowGauge(false);
}

TEST(StatusBar, LayoutGaugeSizerAndPresses) {
  BarForm f;
  auto* bar = f.Make<TWPStatusBarBasic>(300, 22);
  auto defs = Lines({"200stPage=a", "200stLine=b"});
  bar->SetStrings(defs.get());
  // Wider than the bar: all shrink, the last ends 2 pixels before the edge.
  EXPECT_EQ(bar->Panel(0).Left, 2);
  EXPECT_LT(bar->Panel(0).ActWidth, 200);
  EXPECT_EQ(bar->Panel(1).Left + bar->Panel(1).ActWidth, 298);
  // Narrow panels keep their widths; the gauge stands at the right edge.
  auto small = Lines({"50stPage=a"});
  bar->SetStrings(small.get());
  bar->SetShowGauge(true);
  EXPECT_EQ(bar->Panel(0).ActWidth, 50);
  EXPECT_EQ(bar->Panel(1).Left, 300 - bar->GaugeWidth() - 2);
  bar->SetGaugeValue(150);
  EXPECT_EQ(bar->GaugeValue(), 100);
  bar->SetGaugeValue(-5);
  EXPECT_EQ(bar->GaugeValue(), 0);
  bar->SetGaugeWidth(1000);
  EXPECT_EQ(bar->GaugeWidth(), 296);
  bar->SetGaugeWidth(1);
  EXPECT_EQ(bar->GaugeWidth(), 4);
  // A bar under 12 pixels has no grip.
  auto* low = f.Make<TWPStatusBarBasic>(100, 10);
  low->SetTop(100);
  low->SetShowSizer(true);
  EXPECT_FALSE(low->ShowSizer());
  // A press on a panel's text row names it.
  int kind = -1;
  AnsiString text;
  bar->OnSelection = [&](TObject*, int k, const AnsiString& t, int) {
    kind = k;
    text = t;
  };
  f.driver.Process();
  // (Changing the gauge width measured the panel again: "a" is narrow.)
  ASSERT_EQ(bar->Panel(0).Left, 2);
  f.driver.Click(bar, 3, (bar->RowTop() + bar->RowBottom()) / 2);
  EXPECT_EQ(kind, stPage);
  EXPECT_EQ(text, "a");
  bar->SetShowGauge(false);
}

TEST(StatusBar, GaugeFollowsProgressAndAFreedBarReceivesNone) {
  BarForm f;
  auto* bar = f.Make<TWPStatusBarBasic>(300, 22);
  bar->SetUseGaugeForWP(true);
  bar->SetShowGauge(true);
  ASSERT_TRUE(WPProgressEvent);
  EXPECT_TRUE(bar->ReceivesProgress());
  WPProgressEvent(55);
  EXPECT_EQ(bar->GaugeValue(), 55);
  // A long pass reports through the frames.
  WPProgressBegin(100);
  WPProgressUpdate(50);
  EXPECT_EQ(bar->GaugeValue(), 50);
  WPProgressEnd();
  EXPECT_EQ(bar->GaugeValue(), 0);
  // Only the gauge shown (not used for the engine) keeps the receiver but
  // takes no values.
  bar->SetUseGaugeForWP(false);
  WPProgressEvent(10);
  EXPECT_NE(bar->GaugeValue(), 10);
  // Hiding the gauge ends the receiving, even while it is used for the
  // engine; a pass then reports to nobody.
  bar->SetUseGaugeForWP(true);
  bar->SetShowGauge(false);
  EXPECT_FALSE(bar->ReceivesProgress());
  EXPECT_FALSE(WPProgressEvent);
  WPProgressBegin(100);
  WPProgressUpdate(40);
  EXPECT_EQ(bar->GaugeValue(), 0);
  WPProgressEnd();
  bar->SetShowGauge(true);
  // Freed while it receives: nothing dangles.
  delete bar;
  EXPECT_FALSE(WPProgressEvent);
  WPProgressBegin(10);
  WPProgressUpdate(5);
  WPProgressEnd();
}

TEST(StatusBar, TheEditorWritesItsStatusAndForgetsAFreedBar) {
  EditorForm f;
  f.edit->SetFileName("a.rtf");
  f.edit->RefreshStatus();
  EXPECT_EQ(f.status->Panel(2).Text, "RICH");
  EXPECT_EQ(f.status->Panel(3).Text, "a.rtf");
  EXPECT_EQ(f.status->Panel(4).Text, "Ready");
  f.edit->ClearDocument();
  EXPECT_EQ(f.status->Panel(3).Text, "");
  f.edit->SetTemplateName("Vorlage 1");
  f.edit->RefreshStatus();
  EXPECT_EQ(f.status->Panel(3).Text, "Vorlage 1");
  f.edit->SetLanguage(twpGerman);
  f.edit->ShowStatusText("");
  EXPECT_EQ(f.status->Panel(4).Text, "Bereit");
  f.edit->SetLanguage(twpEnglish);
  f.status->SetShowGauge(true);
  f.status->SetUseGaugeForWP(true);
  delete f.status;
  EXPECT_EQ(f.edit->StatusBar(), nullptr);
  EXPECT_FALSE(WPProgressEvent);
  f.edit->ShowStatusText("x");
  f.edit->ClearDocument();
}

TEST(AltStatusBar, PanelsFillTheBarUpToTheGripAndTheGaugeSegments) {
  BarForm f;
  auto* bar = f.Make<TWPAltStatusBar>(200, 22);
  bar->SetShowSizer(true);
  auto defs = Lines({"100stPage=a", "100stLine=b", "100stStatus=c"});
  bar->SetStrings(defs.get());
  // Scaled by (200 - 20 - 2) / 300, one pixel apart; the last fills to 20
  // pixels before the right edge.
  EXPECT_EQ(bar->Panel(0).Left, 0);
  EXPECT_EQ(bar->Panel(0).ActWidth, 59);
  EXPECT_EQ(bar->Panel(1).Left, 60);
  EXPECT_EQ(bar->Panel(2).Left, 120);
  EXPECT_EQ(bar->Panel(2).Left + bar->Panel(2).ActWidth, 180);
  // Without the grip the margin is 2 pixels.
  bar->SetShowSizer(false);
  EXPECT_EQ(bar->Panel(2).Left + bar->Panel(2).ActWidth, 198);
  // The gauge in the last panel: empty at 0 (segment lines only), full to
  // one pixel before its inner right edge at 100.
  auto one = Lines({"100stPage=a"});
  bar->SetStrings(one.get());
  bar->SetShowGauge(true);
  f.driver.Process();
  const TWPStatusPanel& g = bar->Panel(1);
  ASSERT_EQ(g.Kind, stGauge);
  const int y = bar->Height() / 2;
  bar->SetGaugeValue(0);
  f.driver.Process();
  const TColor empty = f.driver.PixelAt(bar, g.Left + 3, y);
  bar->SetGaugeValue(100);
  f.driver.Process();
  EXPECT_NE(f.driver.PixelAt(bar, g.Left + 3, y), empty);
  EXPECT_EQ(f.driver.PixelAt(bar, g.Left + g.ActWidth - 2, y), empty);
  EXPECT_NE(f.driver.PixelAt(bar, g.Left + g.ActWidth - 3, y), empty);
  bar->SetShowGauge(false);
}

// --- ruler -----------------------------------------------------------------------------------------------

TEST(Ruler, WithoutATextOnlyTheScaleAndNoPresses) {
  BarForm f;
  auto* ruler = f.Make<TWPRuler>(300, 22);
  EXPECT_EQ(ruler->Header(), nullptr);
  f.driver.Click(ruler, 50, 18);
  f.driver.Process();
  EXPECT_FALSE(ruler->Dragging());
  // The same offset again does nothing; a larger one moves the marks right.
  ruler->SetXOffset(0);
  EXPECT_EQ(ruler->XOffset(), 0);
}

TEST(Ruler, MarksDragsAndTheirLimits) {
  EditorForm f;
  SamplePage(f.edit);
  f.edit->SetFocus();
  f.edit->MoveCursorTo(30);  // the indented paragraph (left 360)
  f.driver.Process();
  TWPRuler* r = f.ruler;
  const int before = r->MarkX(2);
  r->SetXOffset(r->XOffset() + 10);
  EXPECT_EQ(r->MarkX(2), before + 10);
  r->SetXOffset(r->XOffset() - 10);
  // Dragging the right-indent mark left of the left indent leaves it.
  TTextHeader& h = *f.edit->Header();
  const int32_t right = h.RulerRightIndent;
  const TRect rm = r->MarkRect(1);
  f.driver.Drag(r, {(rm.Left + rm.Right) / 2, rm.Bottom - 2}, {r->MarkX(2) - 20, rm.Bottom - 2}, 1);
  EXPECT_EQ(h.RulerRightIndent, right);
  // Dragging the square under the left mark keeps the first-line distance.
  const TWPParagraphRec* p = f.edit->RtfText()->ParagraphAt(1);
  const int32_t gap = p->FirstIndent - p->LeftIndent;
  const TRect lm = r->MarkRect(2);
  const int res = r->Resolution();
  f.driver.Drag(r, {r->MarkX(2), lm.Bottom - 2}, {r->MarkX(2) + MulDiv(1440, res, 1440), lm.Bottom - 2});
  p = f.edit->RtfText()->ParagraphAt(1);
  EXPECT_GT(p->LeftIndent, 360);
  EXPECT_EQ(p->FirstIndent - p->LeftIndent, gap);
  EXPECT_EQ(p->LeftIndent % 141, 0);  // snapped to the centimetre grid
  // The arrow part of the left mark moves the left indent alone.
  const int32_t first = p->FirstIndent;
  const TRect lm2 = r->MarkRect(2);
  f.driver.Drag(r, {r->MarkX(2), lm2.Top + 1}, {r->MarkX(2) + MulDiv(720, res, 1440), lm2.Top + 1});
  p = f.edit->RtfText()->ParagraphAt(1);
  EXPECT_EQ(p->FirstIndent, first);
  EXPECT_GT(p->LeftIndent - first, 300);
  // The events: running changes while dragging, one at the end.
  int running = 0, done = 0;
  r->WhileSelection = [&](TObject*, int group, int mark, bool) { running += group == 1 && mark == 3; };
  r->OnSelection = [&](TObject*, int group, int mark, bool) { done += group == 0 && mark == 3; };
  const TRect fm = r->MarkRect(3);
  f.driver.Drag(r, {r->MarkX(3), fm.Top + 2}, {r->MarkX(3) + 40, fm.Top + 2});
  EXPECT_GT(running, 0);
  EXPECT_EQ(done, 1);
}

TEST(Ruler, PressesEnterAndStepTabStopsEvenWithoutAResolution) {
  EditorForm f;
  SamplePage(f.edit);
  f.edit->SetFocus();
  f.edit->MoveCursorTo(0);
  f.driver.Process();
  TWPRuler* r = f.ruler;
  TTextHeader& h = *f.edit->Header();
  const int res = r->Resolution();
  const int x = r->LeftOffset() + r->XOffset() + MulDiv(2880, res, 1440);
  auto tabKindAt = [&](int32_t twips) {
    const TWPTabSet set = f.edit->RtfText()->ParagraphAt(0)->Tabs;
    for (int s = 0; s < kWPTabSlots; ++s)
      if (((set >> s) & 1) && std::abs(h.TabTwips[s] - twips) < 80) return static_cast<int>(h.TabKind[s]);
    return -1;
  };
  f.driver.Click(r, x, 10);
  EXPECT_EQ(tabKindAt(2880), tkLeft);
  f.driver.Click(r, x, 10);
  EXPECT_EQ(tabKindAt(2880), tkRight);
  f.driver.Click(r, x, 10);
  EXPECT_EQ(tabKindAt(2880), tkCenter);
  f.driver.Click(r, x, 10);
  EXPECT_EQ(tabKindAt(2880), tkDecimal);
  // A decimal stop keeps its kind: the press takes it away.
  f.driver.Click(r, x, 10);
  EXPECT_EQ(tabKindAt(2880), -1);
  // A fixed kind enters that kind.
  r->SetNewTabKind(tkCenter);
  f.driver.Click(r, x, 10);
  EXPECT_EQ(tabKindAt(2880), tkCenter);
  // A header without a resolution: presses do nothing, drags divide by the
  // screen's resolution, painting works.
  h.ResX = 0;
  f.driver.Click(r, x + 40, 10);
  const TRect fm = r->MarkRect(3);
  f.driver.Drag(r, {r->MarkX(3), fm.Top + 2}, {r->MarkX(3) + 30, fm.Top + 2});
  const int32_t rightBefore = h.RulerRightIndent;
  const TRect rm = r->MarkRect(1);
  f.driver.Drag(r, {r->MarkX(1), rm.Bottom - 2}, {r->MarkX(1) - 60, rm.Bottom - 2});
  EXPECT_GT(h.RulerRightIndent, rightBefore);
  r->Repaint();
  EXPECT_EQ(r->Resolution(), 96);
  EXPECT_GT(h.RulerFirstIndent, 0);
}

// In the second cell of a table row a press 1 cm right of the cell's text
// start enters a stop of about 1 cm, and the cell's tabbed text then stands
// under the press. In windows wider than the page the row keeps its width on
// the page, and the right mark stands where a right-indented paragraph ends.
TEST(Ruler, APressInATableCellEntersTheStopWhereTheCellsTextMeetsIt) {
  EditorForm f;
  const std::string rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\trowd\\trgaph0\\trleft0\\cellx2835\\cellx5670"
      "\\pard\\intbl\\f0\\fs20 Eins\\cell\\pard\\intbl\\tab Zwei\\cell\\row\\pard\\ri1701\\par}";
  TMemoryStream ms;
  ms.WriteBuffer(rtf.data(), static_cast<int>(rtf.size()));
  ms.SetPosition(0);
  f.edit->LoadFromStream(&ms);
  f.edit->SetFocus();
  f.edit->MoveCursorTo(6);
  f.driver.Process();
  TWPRTFTextInput* e = f.edit->RtfText();
  const TWPParagraphRec* cell = e->CursorPar;
  ASSERT_TRUE((cell->Flags & wppTableCell) && (cell->Flags & wppRowContinues));
  const int textStart = e->CursorX(cell, cell->line, 0);
  const int cm = MulDiv(567, f.ruler->Resolution(), 1440);
  const int pressX = textStart + cm;
  ASSERT_GT(textStart, 100);  // the second cell lies well right of the row's start
  f.driver.Click(f.ruler, f.ruler->LeftOffset() + f.ruler->XOffset() + pressX, 10);
  const TTextHeader& h = *f.edit->Header();
  std::vector<int32_t> stops;
  for (int s = 0; s < kWPTabSlots; ++s)
    if ((cell->Tabs >> s) & 1) stops.push_back(h.TabTwips[s]);
  ASSERT_EQ(stops.size(), 1u);
  EXPECT_NEAR(stops[0], 567, 30);
  EXPECT_NEAR(e->CursorX(cell, cell->line, 1), pressX, 2);
  const int res = f.ruler->Resolution();
  for (int width : {800, 1000}) {
    f.form->SetClientSize(width, 600);
    f.edit->MoveCursorTo(11);
    f.driver.Process();
    EXPECT_NEAR(h.LayoutWidth - e->CellRightInset(cell), MulDiv(5670, res, 1440), 1) << width;
    const int mark = f.ruler->MarkX(1) - f.ruler->LeftOffset() - f.ruler->XOffset();
    EXPECT_EQ(mark, MulDiv(12240 - 2 * 1880, res, 1440) - MulDiv(1701, res, 1440)) << width;
    EXPECT_EQ(mark, h.LayoutWidth - e->RightBoundary(e->CursorPar)) << width;
  }
}

// --- tool bar ---------------------------------------------------------------------------------------------

TEST(ToolBar, IconTableHintsAndBuilding) {
  BarForm f;
  auto* bar = new TWPToolBar(f.form);
  // Before it has a window nothing is built.
  bar->Setsel_StatusIcons(kAllStatusIcons);
  EXPECT_EQ(bar->IconCount(), 0);
  bar->SetParent(f.form);
  f.driver.Process();
  bar->Setsel_ActionIcons(kAllActionIcons);
  bar->Setsel_DatabaseIcons(kAllDatabaseIcons);
  bar->Setsel_EditIcons(kAllEditIcons);
  EXPECT_EQ(bar->IconCount(), 38);
  EXPECT_EQ(bar->Icon(0).Name, "WPI_NORMAL");
  EXPECT_EQ(bar->Icon(4).Name, "WPI_SUPER");
  EXPECT_EQ(bar->Icon(4).Number, 7);
  EXPECT_EQ(bar->Icon(4).Button->Tag(), 15);
  EXPECT_EQ(bar->Icon(37).Name, "WPI_SPELL");
  for (int i = 0; i < bar->IconCount(); ++i) {
    ASSERT_NE(bar->Icon(i).Button, nullptr);
    EXPECT_FALSE(bar->Icon(i).Button->Bitmap()->Empty()) << bar->Icon(i).Name;
  }
  // Default hints: the short English names; other hints by bitmap name.
  EXPECT_EQ(bar->Hints()->Count(), 38);
  EXPECT_EQ(bar->ButtonOf(wpgCharacter, 2)->Hint(), "Bold");
  auto hints = Lines({"wpi_bold=Fett"});
  bar->SetHints(hints.get());
  bar->Setsel_EditIcons(0);
  EXPECT_EQ(bar->ButtonOf(wpgCharacter, 2)->Hint(), "Fett");
  EXPECT_EQ(bar->ButtonOf(wpgCharacter, 3)->Hint(), "");
  EXPECT_EQ(bar->ButtonOf(wpgEdit, 1), nullptr);
  // At most 49 entries.
  while (bar->IconCount() < 49) EXPECT_TRUE(bar->AddIcon("WPI_LOCKED", 0, 0, 0));
  EXPECT_FALSE(bar->AddIcon("WPI_LOCKED", 0, 0, 0));
  EXPECT_EQ(bar->IconCount(), 49);
  // A control added that is a child already is only arranged again.
  auto* own = new TExplorerButton(f.form);
  own->SetBounds(0, 0, 23, 22);
  bar->AddControl(own);
  EXPECT_EQ(own->Parent(), bar);
  const int count = bar->ControlCount();
  bar->AddControl(own);
  f.driver.Process();
  EXPECT_EQ(bar->ControlCount(), count);
  EXPECT_GT(own->Left(), 2);
  // Disabling the bar disables its children.
  bar->SetEnabled(false);
  EXPECT_FALSE(own->Enabled());
  EXPECT_FALSE(bar->ButtonOf(wpgCharacter, 2)->Enabled());
}

TEST(ToolBar, IconClicksReachTheEditorUnlessTheHandlerStopsThem) {
  EditorForm f;
  SamplePage(f.edit);
  f.edit->SetFocus();
  f.edit->SetSelection(0, 5);
  int seen = 0;
  int lastTyp = -1;
  f.bar->OnIconSelection = [&](TObject*, TWpSelNr& typ, const AnsiString&, int group, int num, int) {
    ++seen;
    lastTyp = typ;
    if (group == wpgParagraph && num == 4) typ = 0;  // the application takes centring itself
  };
  f.driver.Click(f.bar->ButtonOf(wpgParagraph, 4));
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(f.edit->RtfText()->ParagraphAt(0)->Align, waLeft);
  f.driver.Click(f.bar->ButtonOf(wpgParagraph, 2));
  EXPECT_EQ(f.edit->RtfText()->ParagraphAt(0)->Align, waRight);
  // Italic: down adds the style to the selection, up takes it away.
  f.edit->SetSelection(0, 5);
  f.driver.Click(f.bar->ButtonOf(wpgCharacter, 3));
  EXPECT_EQ(lastTyp, wptIconDown);
  f.edit->MoveCursorTo(2);
  EXPECT_TRUE(f.edit->AttrAtCursor()->Style & wpsItalic);
  EXPECT_TRUE(f.bar->ButtonOf(wpgCharacter, 3)->Down());
  f.edit->SetSelection(0, 5);
  f.driver.Click(f.bar->ButtonOf(wpgCharacter, 3));
  EXPECT_EQ(lastTyp, wptIconUp);
  f.edit->MoveCursorTo(2);
  EXPECT_FALSE(f.edit->AttrAtCursor()->Style & wpsItalic);
  // Strg+B, Strg+I, Strg+U make the bold word italic underlined, as the buttons
  // show; Space on a button keeps the focus there and the text's selection.
  f.edit->SetSelection(0, 5);
  for (const Word key : {'B', 'I', 'U'}) f.driver.PressKey(key, ssCtrl);
  const uint32_t shown = wpsBold | wpsItalic | wpsUnderline;
  EXPECT_EQ(f.edit->RtfText()->WritingAttr.Style & shown, wpsItalic | wpsUnderline);
  for (const int icon : {2, 3, 4}) EXPECT_EQ(f.bar->ButtonOf(wpgCharacter, icon)->Down(), icon != 2) << icon;
  f.bar->ButtonOf(wpgCharacter, 2)->SetTabStop(true);
  f.bar->ButtonOf(wpgCharacter, 2)->SetFocus();
  f.driver.PressKey(VK_SPACE);
  EXPECT_TRUE(f.bar->ButtonOf(wpgCharacter, 2)->Focused());
  int start = -1, length = 0;
  EXPECT_TRUE(f.edit->RtfText()->GetBlock(start, length) && start == 0 && length == 5);
  f.edit->MoveCursorTo(2);
  EXPECT_EQ(f.edit->AttrAtCursor()->Style & shown, shown);
  // The print set-up icon is handled: its dialog opens (and is cancelled).
  bool asked = false;
  f.driver.WhenModal([&](TCustomForm& dlg) {
    asked = true;
    dlg.SetModalResult(mrCancel);
  });
  f.driver.Click(f.bar->ButtonOf(wpgPrint, 2));
  EXPECT_TRUE(asked);
  EXPECT_FALSE(f.bar->ButtonOf(wpgPrint, 2)->Down());
}

TEST(ToolBar, CombosApplyTheirChoiceAndRefuseNonNumbers) {
  EditorForm f;
  SamplePage(f.edit);
  f.edit->SetFocus();
  f.edit->SetSelection(0, 3);
  int selections = 0;
  f.bar->OnSelection = [&](TObject*, TWpSelNr&, const AnsiString&, int) { ++selections; };
  // Size: a number goes to the selection, anything else beeps and changes nothing.
  TWPTBCombo* size = f.bar->Combo(wpcbFontSize);
  size->SetText("18");
  f.bar->ChildClicked(size);
  f.edit->MoveCursorTo(1);
  EXPECT_EQ(f.edit->AttrAtCursor()->Size, 18);
  EXPECT_EQ(selections, 1);
  const int beeps = keyboard::BeepCount();
  f.edit->SetSelection(0, 3);
  size->SetText("gross");
  f.bar->ChildClicked(size);
  EXPECT_EQ(keyboard::BeepCount(), beeps + 1);
  EXPECT_EQ(selections, 1);
  size->SetText("0");
  f.bar->ChildClicked(size);
  EXPECT_EQ(keyboard::BeepCount(), beeps + 2);
  f.edit->MoveCursorTo(1);
  EXPECT_EQ(f.edit->AttrAtCursor()->Size, 18);
  // Choosing from the open list reports once, when it closes.
  f.edit->SetSelection(0, 3);
  TWPTBCombo* color = f.bar->Combo(wpcbFontColor);
  color->SetDroppedDown(true);
  color->SetItemIndex(4);
  EXPECT_EQ(selections, 1);
  color->SetDroppedDown(false);
  EXPECT_EQ(selections, 2);
  f.edit->MoveCursorTo(1);
  EXPECT_EQ(f.edit->AttrAtCursor()->Colors & 0x0F, 4);
  // The style box sets the alignment (item index + 1 in the set-mode's numbering).
  TWPTBCombo* style = f.bar->Combo(wpcbStyle);
  style->SetDroppedDown(true);
  style->SetItemIndex(1);
  style->SetDroppedDown(false);
  EXPECT_EQ(f.edit->RtfText()->CursorPar->Align, waCenter);
  EXPECT_TRUE(f.bar->ButtonOf(wpgParagraph, 4)->Down());
  // Font name: the chosen font; the box shows the cursor's font.
  TWPTBCombo* font = f.bar->Combo(wpcbFontName);
  f.edit->MoveCursorTo(30);
  EXPECT_EQ(font->Text(), "Times New Roman");
  f.edit->SetSelection(0, 3);
  int courier = font->Items()->IndexOf("Courier New");
  if (courier < 0) courier = font->Items()->Add("Courier New");
  font->SetDroppedDown(true);
  font->SetItemIndex(courier);
  font->SetDroppedDown(false);
  f.edit->MoveCursorTo(1);
  EXPECT_EQ(f.edit->Header()->FontName(f.edit->AttrAtCursor()->Font), "Courier New");
  // A read-only editor takes no choice.
  f.edit->SetReadOnly(true);
  f.edit->SetSelection(0, 3);
  size->SetText("30");
  f.bar->ChildClicked(size);
  f.edit->MoveCursorTo(1);
  EXPECT_EQ(f.edit->AttrAtCursor()->Size, 18);
}
