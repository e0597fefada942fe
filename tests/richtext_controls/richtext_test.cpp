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

// A form with one rich-text control.
struct RichWindow {
  TUiTestDriver driver;
  TForm* form = new TForm(Application);
  TWPRichText* rich = new TWPRichText(form);

  explicit RichWindow(int width = 400, int height = 240) {
    form->SetClientSize(width + 20, height + 20);
    rich->SetParent(form);
    rich->SetBounds(10, 10, width, height);
    rich->SetWordWrap(true);
    form->Show();
    driver.Process();
  }
};

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
  EXPECT_EQ(w.rich->Language(), twpGerman);
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
  w.rich->SetStatusLabel(label);
  w.rich->ShowStatusText("");
  EXPECT_EQ(label->Caption(), "Bereit");
  w.rich->ShowStatusText("x");
  EXPECT_EQ(label->Caption(), "x");
  w.rich->SetLanguage(twpEnglish);
  EXPECT_EQ(WPMessage(3), "Ready");
  EXPECT_EQ(WPDecimalSeparator(), '.');
  // A freed label is forgotten.
  delete label;
  EXPECT_EQ(w.rich->StatusLabel(), nullptr);
  w.rich->ShowStatusText("y");
}

TEST(RichText, CreatedWithArialInsertingAndAFinderBoundToTheText) {
  RichWindow w;
  EXPECT_TRUE(w.rich->Inserting());
  EXPECT_EQ(w.rich->Header()->FontName(w.rich->FontNumber("Arial")), "Arial");
  EXPECT_LT(w.rich->FontNumber("Arial"), 2);
  ThreeLines(w.rich);
  TWPTextFinder* f = w.rich->Finder();
  EXPECT_EQ(f->Text(), w.rich->RtfText());
  EXPECT_FALSE(f->Found());
  f->SetStartPosition(0);
  EXPECT_TRUE(f->Find("drei"));
  EXPECT_EQ(f->FoundPosition(), 15);
  // Asking again clears the found state.
  EXPECT_FALSE(w.rich->Finder()->Found());
  // ClearDocument empties text and file name.
  w.rich->SetFileName("/tmp/x.rtf");
  w.rich->ClearDocument();
  EXPECT_EQ(Text(w.rich), "");
  EXPECT_EQ(w.rich->FileName(), "");
}

TEST(RichText, FindDialogSearchesDownAndUpFromTheCursor) {
  RichWindow w;
  ThreeLines(w.rich);
  w.rich->Find();
  TFindDialog* d = WPFindDialog();
  ASSERT_NE(d->Form(), nullptr);
  EXPECT_EQ(d->Options(), frDown);
  w.driver.SavePng(d->Form(), "richtext_find_dialog");
  d->SetFindText("eins");
  ASSERT_TRUE(d->OnFind);
  d->OnFind(d);
  int len = 0;
  EXPECT_EQ(SelectionStart(w.rich, len), 0);
  EXPECT_EQ(len, 4);
  EXPECT_EQ(w.rich->CursorPosition(), 4);
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.rich, len), 10);
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.rich, len), 20);
  EXPECT_EQ(w.rich->CursorPosition(), 24);
  // Up from the end: the last match, the cursor at its start.
  w.rich->MoveCursorTo(w.rich->TextLength());
  d->SetOptions(0);
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.rich, len), 20);
  EXPECT_EQ(len, 4);
  EXPECT_EQ(w.rich->CursorPosition(), 20);
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.rich, len), 10);
  // Whole words and case from the dialog.
  w.rich->MoveCursorTo(0);
  d->SetOptions(frDown | frMatchCase);
  d->SetFindText("EINS");
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.rich, len), 10);  // unchanged: nothing found
  d->SetOptions(frDown | frWholeWord);
  d->SetFindText("ein");
  w.rich->MoveCursorTo(0);
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.rich, len), 10);
  // Wildcard '*'.
  d->SetOptions(frDown);
  d->SetFindText("d*i");
  w.rich->MoveCursorTo(0);
  d->OnFind(d);
  EXPECT_EQ(SelectionStart(w.rich, len), 15);
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
  ThreeLines(w.rich);
  int changes = 0;
  w.rich->OnChange = [&](TObject*) { ++changes; };
  w.rich->Replace();
  TReplaceDialog* d = WPReplaceDialog();
  d->SetFindText("eins");
  d->SetReplaceText("one");
  d->SetOptions(frDown | frReplace);
  d->OnReplace(d);
  EXPECT_EQ(Text(w.rich), "one zwei eins\rdrei eins\rvier");
  int len = 0;
  EXPECT_EQ(SelectionStart(w.rich, len), 0);
  EXPECT_EQ(len, 3);
  EXPECT_EQ(changes, 1);
  // The next replace goes on behind the replacement.
  d->OnReplace(d);
  EXPECT_EQ(Text(w.rich), "one zwei one\rdrei eins\rvier");
  d->SetOptions(frDown | frReplaceAll);
  d->SetReplaceText("1");
  w.rich->MoveCursorTo(0);
  d->OnReplace(d);
  EXPECT_EQ(Text(w.rich), "one zwei one\rdrei 1\rvier");
  // A read-only control replaces nothing.
  w.rich->SetReadOnly(true);
  d->SetFindText("vier");
  d->OnReplace(d);
  EXPECT_EQ(Text(w.rich), "one zwei one\rdrei 1\rvier");
  d->CloseDialog();
}

TEST(RichText, SaveAsOpenAndSaveKeepTheTextWhenCancelledOrFailing) {
  RichWindow w;
  ThreeLines(w.rich);
  const std::string file = TempFile("save.rtf");
  std::remove(file.c_str());
  w.rich->SetModified(true);
  // A cancelled "save as" changes nothing.
  w.driver.CancelNextFileDialog();
  EXPECT_FALSE(w.rich->SaveAs());
  EXPECT_TRUE(w.rich->Modified());
  EXPECT_EQ(w.rich->FileName(), "");
  // The tool bar's close command with no file name asks for one: cancelled,
  // the text stays.
  w.driver.CancelNextFileDialog();
  EXPECT_TRUE(w.rich->ToolBarCommand(wpgFile, wpcmdClose));
  EXPECT_EQ(Text(w.rich), "eins zwei eins\rdrei eins\rvier");
  // A write that fails passes its error on and keeps the text.
  w.driver.AnswerNextFileDialog("/nonexistent-dir/x.rtf");
  EXPECT_ANY_THROW(w.rich->ToolBarCommand(wpgFile, wpcmdClose));
  EXPECT_EQ(Text(w.rich), "eins zwei eins\rdrei eins\rvier");
  EXPECT_TRUE(w.rich->Modified());
  // Saved: then cleared.
  w.driver.AnswerNextFileDialog(file);
  EXPECT_TRUE(w.rich->ToolBarCommand(wpgFile, wpcmdSave));
  EXPECT_EQ(w.rich->FileName(), file);
  EXPECT_FALSE(w.rich->Modified());
  ASSERT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(Text(w.rich), "eins zwei eins\rdrei eins\rvier");
  Styled(w.rich, CP1252(" fünf").str());
  EXPECT_TRUE(w.rich->ToolBarCommand(wpgFile, wpcmdClose));
  EXPECT_EQ(Text(w.rich), "");
  EXPECT_EQ(w.rich->FileName(), "");
  // Open: the file's text with its name; a cancelled open keeps the text.
  Styled(w.rich, "bleibt");
  w.driver.CancelNextFileDialog();
  EXPECT_FALSE(w.rich->Open());
  EXPECT_EQ(Text(w.rich), "bleibt");
  w.driver.AnswerNextFileDialog(file);
  EXPECT_TRUE(w.rich->ToolBarCommand(wpgFile, wpcmdOpen));
  EXPECT_EQ(Text(w.rich), CP1252("eins zwei eins fünf\rdrei eins\rvier").str());
  EXPECT_EQ(w.rich->FileName(), file);
  EXPECT_FALSE(w.rich->Modified());
  // The filter of the dialogs is message 1.
  ASSERT_FALSE(w.driver.FileDialogs().empty());
  EXPECT_EQ(w.driver.FileDialogs().back().Filter, WPMessage(1));
  // Save with a known name writes there without asking.
  Styled(w.rich, " sechs");
  const size_t asked = w.driver.FileDialogs().size();
  EXPECT_TRUE(w.rich->Save());
  EXPECT_EQ(w.driver.FileDialogs().size(), asked);
  w.rich->ClearDocument();
  w.rich->LoadFromFile(file);
  EXPECT_EQ(Text(w.rich), CP1252("eins zwei eins fünf sechs\rdrei eins\rvier").str());
  // With the keep-file-name option the name stays and close does not clear.
  w.rich->SetKeepFileName(true);
  w.rich->SetFileName("");
  w.rich->SaveToFile(file);
  EXPECT_EQ(w.rich->FileName(), "");
  // A read-only control opens nothing.
  w.rich->SetReadOnly(true);
  EXPECT_FALSE(w.rich->Open());
  std::remove(file.c_str());
}

TEST(RichText, StreamsAndSelectionSaving) {
  RichWindow w;
  ThreeLines(w.rich);
  TMemoryStream s;
  w.rich->SaveToStream(&s);
  w.rich->ClearDocument();
  s.SetPosition(0);
  w.rich->LoadFromStream(&s);
  EXPECT_EQ(Text(w.rich), "eins zwei eins\rdrei eins\rvier");
  // Without a selection nothing is written and the status says so.
  auto* label = new TLabel(w.form);
  w.rich->SetStatusLabel(label);
  TMemoryStream sel;
  w.rich->SaveSelection(&sel);
  EXPECT_EQ(sel.Size(), 0);
  EXPECT_EQ(label->Caption(), "no text selected");
  w.rich->SetSelection(5, 4);
  w.rich->SaveSelection(&sel);
  EXPECT_GT(sel.Size(), 0);
  std::string bytes(static_cast<size_t>(sel.Size()), '\0');
  sel.SetPosition(0);
  sel.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  EXPECT_NE(bytes.find("zwei"), std::string::npos);
  EXPECT_EQ(bytes.find("vier"), std::string::npos);
}

TEST(RichText, AlignmentNumbersOfToolBarAndSetModeMapOntoTheModel) {
  RichWindow w;
  ThreeLines(w.rich);
  auto* bar = new RecordingToolBar(w.form);
  w.rich->SetWPToolBar(bar);
  EXPECT_EQ(bar->Editor(), w.rich);
  struct Case {
    int toolNumber;
    TWPAlignment model;
    int setMode;
  };
  for (const Case& c : {Case{1, waLeft, 1}, Case{2, waRight, 4}, Case{3, waJustified, 3}, Case{4, waCenter, 2}}) {
    EXPECT_TRUE(w.rich->ToolBarCommand(wpgParagraph, c.toolNumber));
    EXPECT_EQ(w.rich->RtfText()->CursorPar->Align & 3, c.model) << c.toolNumber;
    EXPECT_EQ(bar->alignment, c.setMode) << c.toolNumber;
  }
  for (const Case& c : {Case{0, waLeft, 1}, Case{0, waCenter, 2}, Case{0, waJustified, 3}, Case{0, waRight, 4}}) {
    w.rich->ApplyParagraphStyle(c.setMode);
    EXPECT_EQ(w.rich->RtfText()->CursorPar->Align & 3, c.model) << c.setMode;
  }
  EXPECT_FALSE(w.rich->ToolBarCommand(wpgParagraph, 5));
  EXPECT_FALSE(w.rich->ToolBarCommand(4711, 1));
  // Moving the cursor shows the paragraph's alignment.
  w.rich->MoveCursorTo(16);
  EXPECT_EQ(bar->alignment, 1);
}

TEST(RichText, CharacterStateOnTheToolBarFollowsTheWritingAttribute) {
  RichWindow w;
  auto* bar = new RecordingToolBar(w.form);
  w.rich->SetWPToolBar(bar);
  w.rich->ClearText();
  Styled(w.rich, "fett", "Times New Roman", 14, wpsBold | wpsUnderline, 2);
  Styled(w.rich, "normal", "Arial", 10, 0, 0);
  w.rich->ReformatAndRepaint();
  w.rich->MoveCursorTo(2);
  EXPECT_TRUE(bar->IsDown(wpgCharacter, 2));
  EXPECT_FALSE(bar->IsDown(wpgCharacter, 3));
  EXPECT_TRUE(bar->IsDown(wpgCharacter, 4));
  EXPECT_FALSE(bar->IsDown(wpgCharacter, 1));
  EXPECT_EQ(bar->combos[wpcbFontName], "Times New Roman");
  EXPECT_EQ(bar->combos[wpcbFontSize], "14");
  EXPECT_EQ(bar->combos[wpcbFontColor], "2");
  w.rich->MoveCursorTo(8);
  EXPECT_FALSE(bar->IsDown(wpgCharacter, 2));
  EXPECT_TRUE(bar->IsDown(wpgCharacter, 1));
  EXPECT_EQ(bar->combos[wpcbFontName], "Arial");
  // A busy bar is left alone.
  bar->busy = true;
  w.rich->MoveCursorTo(2);
  EXPECT_TRUE(bar->IsDown(wpgCharacter, 1));
  bar->busy = false;
  // An attribute command of the bar goes to the selection between change
  // check and change; read-only refuses it.
  int changes = 0;
  w.rich->OnChange = [&](TObject*) { ++changes; };
  w.rich->SetSelection(4, 6);
  TWPAttrRecord a;
  a.Style = wpsItalic;
  w.rich->ToolBarAttrCommand(wpmAddStyle, a);
  EXPECT_EQ(changes, 1);
  w.rich->MoveCursorTo(6);
  EXPECT_TRUE(w.rich->AttrAtCursor()->Style & wpsItalic);
  w.rich->SetReadOnly(true);
  w.rich->SetSelection(4, 6);
  a.Style = wpsStrikeOut;
  w.rich->ToolBarAttrCommand(wpmAddStyle, a);
  EXPECT_EQ(changes, 1);
  w.rich->MoveCursorTo(6);
  EXPECT_FALSE(w.rich->AttrAtCursor()->Style & wpsStrikeOut);
}

TEST(RichText, EditStateEnablesClipboardButtonsAndPressesSelectAll) {
  RichWindow w;
  ThreeLines(w.rich);
  auto* bar = new RecordingToolBar(w.form);
  w.rich->SetWPToolBar(bar);
  w.rich->SetFocus();
  w.driver.Process();
  w.rich->HideSelection();
  w.rich->ReportEditState();
  EXPECT_FALSE(bar->IsEnabled(wpgEdit, wpcmdCopy));
  EXPECT_FALSE(bar->IsDown(wpgEdit, wpcmdSelectAll));
  w.rich->SetSelection(2, 3);
  w.rich->ReportEditState();
  EXPECT_TRUE(bar->IsEnabled(wpgEdit, wpcmdCopy));
  EXPECT_TRUE(bar->IsEnabled(wpgEdit, wpcmdCut));
  EXPECT_FALSE(bar->IsDown(wpgEdit, wpcmdSelectAll));
  EXPECT_TRUE(w.rich->ToolBarCommand(wpgEdit, wpcmdSelectAll));
  EXPECT_TRUE(bar->IsDown(wpgEdit, wpcmdSelectAll));
  w.rich->SetReadOnly(true);
  w.rich->ReportEditState();
  EXPECT_FALSE(bar->IsEnabled(wpgEdit, wpcmdCut));
  // The bar forgets a freed control, and the control a freed bar.
  auto* second = new RecordingToolBar(w.form);
  w.rich->SetWPToolBar(second);
  EXPECT_EQ(bar->Editor(), nullptr);
  delete second;
  EXPECT_EQ(w.rich->WPToolBar(), nullptr);
  w.rich->SetWPToolBar(bar);
  delete w.rich;
  EXPECT_EQ(bar->Editor(), nullptr);
}

TEST(RichText, TabKeyIndentsParagraphsAtTheirStartAndTypesATabElsewhere) {
  RichWindow w;
  ThreeLines(w.rich);
  w.rich->SetFocus();
  w.driver.Process();
  w.rich->MoveCursorTo(0);
  w.driver.PressKey(VK_TAB);
  EXPECT_EQ(w.rich->RtfText()->ParagraphAt(0)->LeftIndent, kWPTabIndentStep);
  EXPECT_EQ(Text(w.rich), "eins zwei eins\rdrei eins\rvier");
  // Inside the line Tab types a tab character.
  w.rich->MoveCursorTo(4);
  w.driver.PressKey(VK_TAB);
  EXPECT_EQ(Text(w.rich), "eins\t zwei eins\rdrei eins\rvier");
  // A selection over two paragraphs indents both.
  w.rich->SetSelection(3, 16);
  w.driver.PressKey(VK_TAB);
  EXPECT_EQ(w.rich->RtfText()->ParagraphAt(0)->LeftIndent, 2 * kWPTabIndentStep);
  EXPECT_EQ(w.rich->RtfText()->ParagraphAt(1)->LeftIndent, kWPTabIndentStep);
  EXPECT_EQ(w.rich->RtfText()->ParagraphAt(2)->LeftIndent, 0);
  // Read-only: nothing.
  w.rich->SetReadOnly(true);
  w.rich->MoveCursorTo(0);
  w.driver.PressKey(VK_TAB);
  EXPECT_EQ(w.rich->RtfText()->ParagraphAt(0)->LeftIndent, 2 * kWPTabIndentStep);
}

TEST(RichText, ExternalScrollBarsFollowAndMoveTheText) {
  RichWindow w(300, 80);
  auto* vbar = new TScrollBar(w.form);
  vbar->SetParent(w.form);
  vbar->SetKind(sbVertical);
  vbar->SetBounds(0, 0, 16, 80);
  // An empty text has no room to scroll: position 0, no division by it.
  w.rich->ClearText();
  w.rich->SetExternVerScrollBar(vbar);
  EXPECT_EQ(vbar->Min(), 0);
  EXPECT_EQ(vbar->Max(), 1000);
  EXPECT_EQ(vbar->Position(), 0);
  int pos = 500;
  ASSERT_TRUE(vbar->OnScroll);
  vbar->OnScroll(vbar, scPosition, pos);
  EXPECT_EQ(w.rich->TopOffset(), 0);
  for (int i = 0; i < 40; ++i) Styled(w.rich, "Zeile " + std::to_string(i), "Arial", 10, 0, 0, i > 0);
  w.rich->ReformatAndRepaint();
  const int room = w.rich->RtfText()->TotalHeight - w.rich->RtfText()->VisibleHeight;
  ASSERT_GT(room, 100);
  pos = 500;
  vbar->OnScroll(vbar, scPosition, pos);
  EXPECT_NEAR(w.rich->TopOffset(), room / 2, 2);
  EXPECT_NEAR(vbar->Position(), 500, 2);
  w.rich->SetTopOffset(room / 4);
  EXPECT_EQ(vbar->Position(), w.rich->TopOffset() * 1000 / room);
  w.rich->SetTopOffset(room * 2);
  EXPECT_LE(vbar->Position(), 1000);
  EXPECT_GT(vbar->Position(), 900);
  delete vbar;
  EXPECT_EQ(w.rich->ExternVerScrollBar(), nullptr);
  w.rich->SetTopOffset(0);
}

TEST(RichText, RulerTabsAndIndentsGoToTheParagraphs) {
  RichWindow w;
  ThreeLines(w.rich);
  w.rich->SetFocus();
  w.driver.Process();
  TTextHeader& h = *w.rich->Header();
  const TWPTabSet tab = h.AddTab(tkLeft, 1440);
  ASSERT_NE(tab, 0u);
  w.rich->MoveCursorTo(0);
  w.rich->ApplyRulerTabs(tab);
  EXPECT_EQ(w.rich->RtfText()->ParagraphAt(0)->Tabs, tab);
  w.rich->ApplyRulerTabs(tab, true);
  EXPECT_EQ(w.rich->RtfText()->ParagraphAt(0)->Tabs, 0u);
  h.RulerFirstIndent = 200;
  h.RulerLeftIndent = 400;
  h.RulerRightIndent = 100;
  w.rich->RulerIndentsChanged(true);
  const TWPParagraphRec* p = w.rich->RtfText()->ParagraphAt(0);
  EXPECT_EQ(p->FirstIndent, 200);
  EXPECT_EQ(p->LeftIndent, 400);
  EXPECT_EQ(p->RightIndent, 100);
}
