// The complete editor used by code: messages in two languages, clearing,
// the shared find and replace dialogs, files through the file dialogs (a
// cancelled or failed save keeps the text), the tool bar's commands and the
// alignment numbers, the state shown on a tool bar, Tab key indenting,
// tabs and indents from a ruler, and the external scroll bars.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/ui/forms.h"
#include "platform/ui/testdriver.h"
#include "richtext/controls/richtext.h"
#include "tests/richtext_controls/edit_helpers.h"
#include "tests/richtext_controls/page_helpers.h"

using namespace rtedit_test;

namespace {

using RichWindow = ControlWindow<TWPRichText>;

// A tool bar that records what the control shows on it.
class RecordingToolBar : public TWPCustomToolCtrl {
public:
  explicit RecordingToolBar(TComponent* owner) : TWPCustomToolCtrl(owner) {}
  std::map<std::pair<int, int>, bool> down, enabled;
  std::map<int, AnsiString> combos;
  int alignment = 0;
  bool IsDown(int group, int number) { return down[{group, number}]; }
  bool IsEnabled(int group, int number) { return enabled[{group, number}]; }
  bool busy = false;
  bool Busy() const override { return busy; }
  void SetButtonDown(int group, int number, bool v) override { down[{group, number}] = v; }
  void SetButtonEnabled(int group, int number, bool v) override { enabled[{group, number}] = v; }
  void ShowComboValue(TWPComboKind kind, const AnsiString& text) override { combos[kind] = text; }
  void ShowParagraphAlignment(int setModeNumber) override { alignment = setModeNumber; }
};

void ThreeLines(TWPCustomRtfEdit* e) {
  e->ClearText();
  Styled(e, "eins zwei eins");
  Styled(e, "drei eins", "Arial", 10, 0, 0, true);
  Styled(e, "vier", "Arial", 10, 0, 0, true);
  e->ReformatAndRepaint();
  e->PlaceCursor(0, 0, 0, 0);
}

std::string TempFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("orv_rich_" + std::to_string(::getpid()) + "_" + name)).string();
}

int SelectionStart(TWPCustomRtfEdit* e, int& length) {
  TWPParagraphRec *p1, *p2;
  TWPLineRec *l1, *l2;
  int o1, o2;
  length = 0;
  if (!e->RtfText()->HasBlock() || !e->RtfText()->GetSelection(p1, l1, o1, p2, l2, o2)) return -1;
  int s = 0, t = 0, ln = 0, pn = 0;
  e->RtfText()->PositionOf(p1, l1, o1, s, ln, pn);
  e->RtfText()->PositionOf(p2, l2, o2, t, ln, pn);
  length = t - s;
  return s;
}

}  // namespace

TEST(RichText, LanguageSwitchesEveryControlsMessagesAndDecimalSeparator) {
  RichWindow w;
  auto* other = new TWPRichText(w.form);
  EXPECT_EQ(WPMessage(3), "Ready");
  EXPECT_EQ(WPDecimalSeparator(), '.');
  other->SetLanguage(twpGerman);
  EXPECT_EQ(w.edit->Language(), twpGerman);
  EXPECT_EQ(WPMessage(3), "Bereit");
  EXPECT_EQ(WPMessage(13), CP1252("Tabulatoren löschen").str());
  EXPECT_EQ(WPDecimalSeparator(), ',');
  EXPECT_EQ(WPLoadStr(56110), "FMT");
  EXPECT_EQ(WPLoadStr(56010), "RICH");
  EXPECT_EQ(WPLoadStr(56014), "");
  EXPECT_EQ(WPLoadStr(56100), "");
  // The status label shows the language's "Ready" for an empty text.
  auto* label = new TLabel(w.form);
  label->SetParent(w.form);
  w.edit->SetStatusLabel(label);
  w.edit->ShowStatusText("");
  EXPECT_EQ(label->Caption(), "Bereit");
  w.edit->ShowStatusText("x");
  EXPECT_EQ(label->Caption(), "x");
  w.edit->SetLanguage(twpEnglish);
  EXPECT_EQ(WPMessage(3), "Ready");
  EXPECT_EQ(WPDecimalSeparator(), '.');
  // A freed label is forgotten.
  delete label;
  EXPECT_EQ(w.edit->StatusLabel(), nullptr);
  w.edit->ShowStatusText("y");
}

TEST(RichText, CreatedWithArialInsertingAndAFinderBoundToTheText) {
  RichWindow w;
  EXPECT_TRUE(w.edit->Inserting());
  EXPECT_EQ(w.edit->Header()->FontName(w.edit->FontNumber("Arial")), "Arial");
  EXPECT_LT(w.edit->FontNumber("Arial"), 2);
  ThreeLines(w.edit);
  TWPTextFinder* f = w.edit->Finder();
  EXPECT_EQ(f->Text(), w.edit->RtfText());
  EXPECT_FALSE(f->Found());
  f->SetStartPosition(0);
  EXPECT_TRUE(f->Find("drei"));
  EXPECT_EQ(f->FoundPosition(), 15);
  // Asking again clears the found state.
  EXPECT_FALSE(w.edit->Finder()->Found());
  // ClearDocument empties text and file name.
  w.edit->SetFileName("/tmp/x.rtf");
  w.edit->ClearDocument();
  EXPECT_EQ(Text(w.edit), "");
  EXPECT_EQ(w.edit->FileName(), "");
}

TEST(RichText, FindDialogSearchesDownAndUpFromTheCursor) {
  RichWindow w;
  ThreeLines(w.edit);
  w.edit->Find();
  TFindDialog* d = WPFindDialog();
  ASSERT_NE(d->Form(), nullptr);
  EXPECT_EQ(d->Options(), frDown);
  w.driver.SavePng(d->Form(), "richtext_find_dialog");
  d->SetFindText("eins");
  ASSERT_TRUE(d->OnFind);
  d->OnFind(d);
  int len = 0;
  EXPECT_EQ(SelectionStart(w.edit, len), 0);
  EXPECT_EQ(len, 4);
  EXPECT_EQ(w.edit->CursorPosition(), 4);
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.edit, len), 10);
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.edit, len), 20);
  EXPECT_EQ(w.edit->CursorPosition(), 24);
  // Up from the end: the last match, the cursor at its start.
  w.edit->MoveCursorTo(w.edit->TextLength());
  d->SetOptions(0);
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.edit, len), 20);
  EXPECT_EQ(len, 4);
  EXPECT_EQ(w.edit->CursorPosition(), 20);
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.edit, len), 10);
  // Whole words and case from the dialog.
  w.edit->MoveCursorTo(0);
  d->SetOptions(frDown | frMatchCase);
  d->SetFindText("EINS");
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.edit, len), 10);  // unchanged: nothing found
  d->SetOptions(frDown | frWholeWord);
  d->SetFindText("ein");
  w.edit->MoveCursorTo(0);
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.edit, len), 10);
  // Wildcard '*'.
  d->SetOptions(frDown);
  d->SetFindText("d*i");
  w.edit->MoveCursorTo(0);
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.edit, len), 15);
  EXPECT_EQ(len, 4);
  // A second control that opens the dialog takes its events; a freed
  // control leaves none behind.
  auto* other = new TWPRichText(w.form);
  other->SetParent(w.form);
  other->SetBounds(10, 300, 100, 50);
  other->Find();
  delete other;
  EXPECT_FALSE(d->OnFind);
  d->CloseDialog();
}

TEST(RichText, ReplaceOneAndAllThroughTheSharedDialog) {
  RichWindow w;
  ThreeLines(w.edit);
  int changes = 0;
  w.edit->OnChange = [&](TObject*) { ++changes; };
  w.edit->Replace();
  TReplaceDialog* d = WPReplaceDialog();
  d->SetFindText("eins");
  d->SetReplaceText("one");
  d->SetOptions(frDown | frReplace);
  d->OnReplace(d);
  EXPECT_EQ(Text(w.edit), "one zwei eins\rdrei eins\rvier");
  int len = 0;
  EXPECT_EQ(SelectionStart(w.edit, len), 0);
  EXPECT_EQ(len, 3);
  EXPECT_EQ(changes, 1);
  // The next replace goes on behind the replacement.
  d->OnReplace(d);
  EXPECT_EQ(Text(w.edit), "one zwei one\rdrei eins\rvier");
  d->SetOptions(frDown | frReplaceAll);
  d->SetReplaceText("1");
  w.edit->MoveCursorTo(0);
  d->OnReplace(d);
  EXPECT_EQ(Text(w.edit), "one zwei one\rdrei 1\rvier");
  // A read-only control replaces nothing.
  w.edit->SetReadOnly(true);
  d->SetFindText("vier");
  d->OnReplace(d);
  EXPECT_EQ(Text(w.edit), "one zwei one\rdrei 1\rvier");
  d->CloseDialog();
}

TEST(RichText, SaveAsOpenAndSaveKeepTheTextWhenCancelledOrFailing) {
  RichWindow w;
  ThreeLines(w.edit);
  const std::string file = TempFile("save.rtf");
  std::remove(file.c_str());
  w.edit->SetModified(true);
  // A cancelled "save as" changes nothing.
  w.driver.CancelNextFileDialog();
  EXPECT_FALSE(w.edit->SaveAs());
  EXPECT_TRUE(w.edit->Modified());
  EXPECT_EQ(w.edit->FileName(), "");
  // The tool bar's close command with no file name asks for one: cancelled,
  // the text stays.
  w.driver.CancelNextFileDialog();
  EXPECT_TRUE(w.edit->ToolBarCommand(wpgFile, wpcmdClose));
  EXPECT_EQ(Text(w.edit), "eins zwei eins\rdrei eins\rvier");
  // A write that fails passes its error on and keeps the text.
  w.driver.AnswerNextFileDialog("/nonexistent-dir/x.rtf");
  EXPECT_ANY_THROW(w.edit->ToolBarCommand(wpgFile, wpcmdClose));
  EXPECT_EQ(Text(w.edit), "eins zwei eins\rdrei eins\rvier");
  EXPECT_TRUE(w.edit->Modified());
  // Saved: then cleared.
  w.driver.AnswerNextFileDialog(file);
  EXPECT_TRUE(w.edit->ToolBarCommand(wpgFile, wpcmdSave));
  EXPECT_EQ(w.edit->FileName(), file);
  EXPECT_FALSE(w.edit->Modified());
  ASSERT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(Text(w.edit), "eins zwei eins\rdrei eins\rvier");
  Styled(w.edit, CP1252(" fünf").str());
  EXPECT_TRUE(w.edit->ToolBarCommand(wpgFile, wpcmdClose));
  EXPECT_EQ(Text(w.edit), "");
  EXPECT_EQ(w.edit->FileName(), "");
  // Open: the file's text with its name; a cancelled open keeps the text.
  Styled(w.edit, "bleibt");
  w.driver.CancelNextFileDialog();
  EXPECT_FALSE(w.edit->Open());
  EXPECT_EQ(Text(w.edit), "bleibt");
  w.driver.AnswerNextFileDialog(file);
  EXPECT_TRUE(w.edit->ToolBarCommand(wpgFile, wpcmdOpen));
  EXPECT_EQ(Text(w.edit), CP1252("eins zwei eins fünf\rdrei eins\rvier").str());
  EXPECT_EQ(w.edit->FileName(), file);
  EXPECT_FALSE(w.edit->Modified());
  // The filter of the dialogs is message 1.
  ASSERT_FALSE(w.driver.FileDialogs().empty());
  EXPECT_EQ(w.driver.FileDialogs().back().Filter, WPMessage(1));
  // Save with a known name writes there without asking.
  Styled(w.edit, " sechs");
  const size_t asked = w.driver.FileDialogs().size();
  EXPECT_TRUE(w.edit->Save());
  EXPECT_EQ(w.driver.FileDialogs().size(), asked);
  w.edit->ClearDocument();
  w.edit->LoadFromFile(file);
  EXPECT_EQ(Text(w.edit), CP1252("eins zwei eins fünf sechs\rdrei eins\rvier").str());
  // With the keep-file-name option the name stays and close does not clear.
  w.edit->SetKeepFileName(true);
  w.edit->SetFileName("");
  w.edit->SaveToFile(file);
  EXPECT_EQ(w.edit->FileName(), "");
  // A read-only control opens nothing.
  w.edit->SetReadOnly(true);
  EXPECT_FALSE(w.edit->Open());
  std::remove(file.c_str());
}

TEST(RichText, StreamsAndSelectionSaving) {
  RichWindow w;
  ThreeLines(w.edit);
  TMemoryStream s;
  w.edit->SaveToStream(&s);
  w.edit->ClearDocument();
  s.SetPosition(0);
  w.edit->LoadFromStream(&s);
  EXPECT_EQ(Text(w.edit), "eins zwei eins\rdrei eins\rvier");
  // Without a selection nothing is written and the status says so.
  auto* label = new TLabel(w.form);
  w.edit->SetStatusLabel(label);
  TMemoryStream sel;
  w.edit->SaveSelection(&sel);
  EXPECT_EQ(sel.Size(), 0);
  EXPECT_EQ(label->Caption(), "no text selected");
  w.edit->SetSelection(5, 4);
  w.edit->SaveSelection(&sel);
  EXPECT_GT(sel.Size(), 0);
  std::string bytes(static_cast<size_t>(sel.Size()), '\0');
  sel.SetPosition(0);
  sel.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  EXPECT_NE(bytes.find("zwei"), std::string::npos);
  EXPECT_EQ(bytes.find("vier"), std::string::npos);
}

TEST(RichText, AlignmentNumbersOfToolBarAndSetModeMapOntoTheModel) {
  RichWindow w;
  ThreeLines(w.edit);
  auto* bar = new RecordingToolBar(w.form);
  w.edit->SetWPToolBar(bar);
  EXPECT_EQ(bar->Editor(), w.edit);
  struct Case {
    int toolNumber;
    TWPAlignment model;
    int setMode;
  };
  for (const Case& c : {Case{1, waLeft, 1}, Case{2, waRight, 4}, Case{3, waJustified, 3}, Case{4, waCenter, 2}}) {
    EXPECT_TRUE(w.edit->ToolBarCommand(wpgParagraph, c.toolNumber));
    EXPECT_EQ(w.edit->RtfText()->CursorPar->Align & 3, c.model) << c.toolNumber;
    EXPECT_EQ(bar->alignment, c.setMode) << c.toolNumber;
  }
  for (const Case& c : {Case{0, waLeft, 1}, Case{0, waCenter, 2}, Case{0, waJustified, 3}, Case{0, waRight, 4}}) {
    w.edit->ApplyParagraphStyle(c.setMode);
    EXPECT_EQ(w.edit->RtfText()->CursorPar->Align & 3, c.model) << c.setMode;
  }
  EXPECT_FALSE(w.edit->ToolBarCommand(wpgParagraph, 5));
  EXPECT_FALSE(w.edit->ToolBarCommand(4711, 1));
  // Moving the cursor shows the paragraph's alignment.
  w.edit->MoveCursorTo(16);
  EXPECT_EQ(bar->alignment, 1);
}

TEST(RichText, CharacterStateOnTheToolBarFollowsTheWritingAttribute) {
  RichWindow w;
  auto* bar = new RecordingToolBar(w.form);
  w.edit->SetWPToolBar(bar);
  w.edit->ClearText();
  Styled(w.edit, "fett", "Times New Roman", 14, wpsBold | wpsUnderline, 2);
  Styled(w.edit, "normal", "Arial", 10, 0, 0);
  w.edit->ReformatAndRepaint();
  w.edit->MoveCursorTo(2);
  EXPECT_TRUE(bar->IsDown(wpgCharacter, 2));
  EXPECT_FALSE(bar->IsDown(wpgCharacter, 3));
  EXPECT_TRUE(bar->IsDown(wpgCharacter, 4));
  EXPECT_FALSE(bar->IsDown(wpgCharacter, 1));
  EXPECT_EQ(bar->combos[wpcbFontName], "Times New Roman");
  EXPECT_EQ(bar->combos[wpcbFontSize], "14");
  EXPECT_EQ(bar->combos[wpcbFontColor], "2");
  w.edit->MoveCursorTo(8);
  EXPECT_FALSE(bar->IsDown(wpgCharacter, 2));
  EXPECT_TRUE(bar->IsDown(wpgCharacter, 1));
  EXPECT_EQ(bar->combos[wpcbFontName], "Arial");
  // A busy bar is left alone.
  bar->busy = true;
  w.edit->MoveCursorTo(2);
  EXPECT_TRUE(bar->IsDown(wpgCharacter, 1));
  bar->busy = false;
  // An attribute command of the bar goes to the selection between change
  // check and change; read-only refuses it.
  int changes = 0;
  w.edit->OnChange = [&](TObject*) { ++changes; };
  w.edit->SetSelection(4, 6);
  TWPAttrRecord a;
  a.Style = wpsItalic;
  w.edit->ToolBarAttrCommand(wpmAddStyle, a);
  EXPECT_EQ(changes, 1);
  w.edit->MoveCursorTo(6);
  EXPECT_TRUE(w.edit->AttrAtCursor()->Style & wpsItalic);
  w.edit->SetReadOnly(true);
  w.edit->SetSelection(4, 6);
  a.Style = wpsStrikeOut;
  w.edit->ToolBarAttrCommand(wpmAddStyle, a);
  EXPECT_EQ(changes, 1);
  w.edit->MoveCursorTo(6);
  EXPECT_FALSE(w.edit->AttrAtCursor()->Style & wpsStrikeOut);
}

TEST(RichText, EditStateEnablesClipboardButtonsAndPressesSelectAll) {
  RichWindow w;
  ThreeLines(w.edit);
  auto* bar = new RecordingToolBar(w.form);
  w.edit->SetWPToolBar(bar);
  w.edit->SetFocus();
  w.driver.Process();
  w.edit->HideSelection();
  w.edit->ReportEditState();
  EXPECT_FALSE(bar->IsEnabled(wpgEdit, wpcmdCopy));
  EXPECT_FALSE(bar->IsDown(wpgEdit, wpcmdSelectAll));
  w.edit->SetSelection(2, 3);
  w.edit->ReportEditState();
  EXPECT_TRUE(bar->IsEnabled(wpgEdit, wpcmdCopy));
  EXPECT_TRUE(bar->IsEnabled(wpgEdit, wpcmdCut));
  EXPECT_FALSE(bar->IsDown(wpgEdit, wpcmdSelectAll));
  EXPECT_TRUE(w.edit->ToolBarCommand(wpgEdit, wpcmdSelectAll));
  EXPECT_TRUE(bar->IsDown(wpgEdit, wpcmdSelectAll));
  w.edit->SetReadOnly(true);
  w.edit->ReportEditState();
  EXPECT_FALSE(bar->IsEnabled(wpgEdit, wpcmdCut));
  // The bar forgets a freed control, and the control a freed bar.
  auto* second = new RecordingToolBar(w.form);
  w.edit->SetWPToolBar(second);
  EXPECT_EQ(bar->Editor(), nullptr);
  delete second;
  EXPECT_EQ(w.edit->WPToolBar(), nullptr);
  w.edit->SetWPToolBar(bar);
  delete w.edit;
  EXPECT_EQ(bar->Editor(), nullptr);
}

TEST(RichText, TabKeyIndentsParagraphsAtTheirStartAndTypesATabElsewhere) {
  RichWindow w;
  ThreeLines(w.edit);
  w.edit->SetFocus();
  w.driver.Process();
  w.edit->MoveCursorTo(0);
  w.driver.PressKey(VK_TAB);
  EXPECT_EQ(w.edit->RtfText()->ParagraphAt(0)->LeftIndent, kWPTabIndentStep);
  EXPECT_EQ(Text(w.edit), "eins zwei eins\rdrei eins\rvier");
  // Inside the line Tab types a tab character.
  w.edit->MoveCursorTo(4);
  w.driver.PressKey(VK_TAB);
  EXPECT_EQ(Text(w.edit), "eins\t zwei eins\rdrei eins\rvier");
  // A selection over two paragraphs indents both.
  w.edit->SetSelection(3, 16);
  w.driver.PressKey(VK_TAB);
  EXPECT_EQ(w.edit->RtfText()->ParagraphAt(0)->LeftIndent, 2 * kWPTabIndentStep);
  EXPECT_EQ(w.edit->RtfText()->ParagraphAt(1)->LeftIndent, kWPTabIndentStep);
  EXPECT_EQ(w.edit->RtfText()->ParagraphAt(2)->LeftIndent, 0);
  // BackSpace at a paragraph's start takes back a Tab's indent, then joins.
  w.driver.PressKey(VK_ESCAPE);
  w.edit->MoveCursorTo(16);
  w.driver.PressKey(VK_BACK);
  EXPECT_EQ(w.edit->RtfText()->ParagraphAt(1)->LeftIndent, 0);
  w.driver.PressKey(VK_BACK);
  EXPECT_EQ(Text(w.edit), "eins\t zwei einsdrei eins\rvier");
  // Read-only: nothing.
  w.edit->SetReadOnly(true);
  w.edit->MoveCursorTo(0);
  w.driver.PressKey(VK_TAB);
  EXPECT_EQ(w.edit->RtfText()->ParagraphAt(0)->LeftIndent, 2 * kWPTabIndentStep);
}

TEST(RichText, ExternalScrollBarsFollowAndMoveTheText) {
  RichWindow w(300, 80);
  auto* vbar = new TScrollBar(w.form);
  vbar->SetParent(w.form);
  vbar->SetKind(sbVertical);
  vbar->SetBounds(0, 0, 16, 80);
  // An empty text has no room to scroll: position 0, no division by it.
  w.edit->ClearText();
  w.edit->SetExternVerScrollBar(vbar);
  EXPECT_EQ(vbar->Min(), 0);
  EXPECT_EQ(vbar->Max(), 1000);
  EXPECT_EQ(vbar->Position(), 0);
  int pos = 500;
  ASSERT_TRUE(vbar->OnScroll);
  vbar->OnScroll(vbar, scPosition, pos);
  EXPECT_EQ(w.edit->TopOffset(), 0);
  for (int i = 0; i < 40; ++i) Styled(w.edit, "Zeile " + std::to_string(i), "Arial", 10, 0, 0, i > 0);
  w.edit->ReformatAndRepaint();
  const int room = w.edit->RtfText()->TotalHeight - w.edit->RtfText()->VisibleHeight;
  ASSERT_GT(room, 100);
  pos = 500;
  vbar->OnScroll(vbar, scPosition, pos);
  EXPECT_NEAR(w.edit->TopOffset(), room / 2, 2);
  EXPECT_NEAR(vbar->Position(), 500, 2);
  w.edit->SetTopOffset(room / 4);
  EXPECT_EQ(vbar->Position(), w.edit->TopOffset() * 1000 / room);
  w.edit->SetTopOffset(room * 2);
  EXPECT_LE(vbar->Position(), 1000);
  EXPECT_GT(vbar->Position(), 900);
  delete vbar;
  EXPECT_EQ(w.edit->ExternVerScrollBar(), nullptr);
  w.edit->SetTopOffset(0);
}

TEST(RichText, RulerTabsAndIndentsGoToTheParagraphs) {
  RichWindow w;
  ThreeLines(w.edit);
  w.edit->SetFocus();
  w.driver.Process();
  TTextHeader& h = *w.edit->Header();
  const TWPTabSet tab = h.AddTab(tkLeft, 1440);
  ASSERT_NE(tab, 0u);
  w.edit->MoveCursorTo(0);
  w.edit->ApplyRulerTabs(tab);
  EXPECT_EQ(w.edit->RtfText()->ParagraphAt(0)->Tabs, tab);
  w.edit->ApplyRulerTabs(tab, true);
  EXPECT_EQ(w.edit->RtfText()->ParagraphAt(0)->Tabs, 0u);
  h.RulerFirstIndent = 200;
  h.RulerLeftIndent = 400;
  h.RulerRightIndent = 100;
  w.edit->RulerIndentsChanged(true);
  const TWPParagraphRec* p = w.edit->RtfText()->ParagraphAt(0);
  EXPECT_EQ(p->FirstIndent, 200);
  EXPECT_EQ(p->LeftIndent, 400);
  EXPECT_EQ(p->RightIndent, 100);
}
