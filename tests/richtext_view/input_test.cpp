// Text input and cursor movement: typing, paragraph, line and page breaks,
// Backspace and Delete at line and paragraph edges, numbered paragraphs
// counting on after Enter, hyperlinks whose hidden stamp never gets
// separated from their text, word moves and deletion over German text, the
// writing attribute following the cursor, objects, and how little a
// keystroke repaints.
#include <gtest/gtest.h>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/streams.h"
#include "tests/richtext_view/input_helpers.h"

using namespace rtinput_test;

namespace {

// "Siehe " + link "Goethe" + hidden stamp "p:12" + " und mehr": the link
// covers 6..11, the stamp 12..15.
void LoadLink(Editor& e) {
  e.Load("");
  TWPParagraphRec* p = e.t.FirstPar;
  e.Add(p, "Siehe ", Attr());
  e.Add(p, "Goethe", Attr(wpsHyperlink));
  e.Add(p, "p:12", Attr(wpsHidden));
  e.Add(p, " und mehr", Attr());
  e.t.FormatText();
}

std::string Cp(const char* utf8) {
  AnsiString s;
  Utf8ToCp1252(utf8, s);
  return s;
}

uint32_t StyleAt(const Editor& e, int pos) {
  TWPParagraphRec* p = nullptr;
  TWPLineRec* l = nullptr;
  int off = 0;
  e.t.FindPosition(off, l, p, pos, 0);
  while (off >= l->Length && l->next) {
    l = l->next;
    off = 0;
  }
  return l->pa[off].Style;
}

void ExpectLinkIntact(const Editor& e, const std::string& linkText, int linkStart) {
  const std::string text = e.Text();
  ASSERT_EQ(text.substr(linkStart, linkText.size()), linkText);
  for (size_t i = 0; i < linkText.size(); ++i) EXPECT_TRUE(StyleAt(e, linkStart + static_cast<int>(i)) & wpsHyperlink);
  const int stamp = linkStart + static_cast<int>(linkText.size());
  EXPECT_EQ(text.substr(stamp, 4), "p:12") << "the stamp follows the link text directly";
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(StyleAt(e, stamp + i) & wpsHidden);
}

class Listener : public TWPSetModeControl {
public:
  using TWPSetModeControl::TWPSetModeControl;
  int positions = 0, attributes = 0, selections = 0;
  void PositionChanged() override { ++positions; }
  void AttributeChanged() override { ++attributes; }
  void SelectionChanged() override { ++selections; }
};

struct Picture : TWPTextObject {
  int32_t NaturalWidthTwips() const override { return 1440; }
  int32_t NaturalHeightTwips() const override { return 720; }
};

}  // namespace

TEST(Input, TypingBuildsTheTextAndKeepsItLaidOut) {
  Editor e;
  e.Load("");
  e.Type("Hallo Welt");
  EXPECT_EQ(e.Text(), "Hallo Welt");
  EXPECT_EQ(e.Cursor(), 10);
  e.t.CursorLeft(5);
  e.Type(",");
  EXPECT_EQ(e.Text(), "Hallo, Welt");
  EXPECT_EQ(e.Cursor(), 6);
  rtview_test::ExpectLaidOut(e.t);
  // Read-only and hidden writing attributes type nothing.
  e.t.ReadOnly = true;
  e.Type("x");
  e.t.ReadOnly = false;
  e.t.WritingAttr.Style |= wpsHidden;
  e.Type("y");
  EXPECT_EQ(e.Text(), "Hallo, Welt");
}

TEST(Input, EnterSplitsAndAtTheVeryStartOpensAParagraphAbove) {
  Editor e;
  e.Load("eins zwei");
  e.SetCursor(4);
  e.Key('\r');
  EXPECT_EQ(e.Text(), "eins\r zwei");
  EXPECT_EQ(e.Cursor(), 5);
  EXPECT_EQ(e.t.CursorPar, e.t.FirstPar->next);
  // At the very start the old first paragraph keeps the cursor.
  TWPParagraphRec* oldFirst = e.t.FirstPar;
  e.SetCursor(0);
  e.Key('\r');
  EXPECT_EQ(e.Text(), "\reins\r zwei");
  EXPECT_EQ(e.t.CursorPar, oldFirst);
  EXPECT_EQ(e.t.FirstPar->next, oldFirst);
  EXPECT_EQ(e.Cursor(), 1);
  // A Windows line end in typed text is one break.
  e.t.CursorCommand(ccTextEnd);
  e.Type("a\r\nb");
  EXPECT_EQ(e.Text(), "\reins\r zweia\rb");
  rtview_test::ExpectLaidOut(e.t);
}

TEST(Input, EnterAtTheEndOfANumberedItemLetsTheItemsAfterItCountOn) {
  Editor e;
  e.Load("A\rB\rC");
  for (TWPParagraphRec* p = e.t.FirstPar; p; p = p->next) p->Numbering = 0x61;  // "1." style, level 1
  e.t.RenumberParagraphs();
  e.t.FormatText();
  ASSERT_EQ(e.Text(), "1.\tA\r2.\tB\r3.\tC");
  e.SetCursor(9);  // behind "B"
  e.Key('\r');
  EXPECT_EQ(e.Text(), "1.\tA\r2.\tB\r3.\t\r4.\tC");
  EXPECT_FALSE(e.t.RenumberNeeded);
  // The cursor stands in the new item, behind its number.
  EXPECT_EQ(e.Cursor(), 13);
  e.Type("X");
  EXPECT_EQ(e.Text(), "1.\tA\r2.\tB\r3.\tX\r4.\tC");
  e.SetCursor(13 + 1);
  // A typed text with a paragraph break counts on as well.
  e.Type("\rY");
  EXPECT_EQ(e.Text(), "1.\tA\r2.\tB\r3.\tX\r4.\tY\r5.\tC");
  e.Key(8);
  e.Key(8);
  EXPECT_EQ(e.Text(), "1.\tA\r2.\tB\r3.\tX\r4.\tC");
  // Joining items with Delete leaves no number inside the text.
  e.Key(127);
  EXPECT_EQ(e.Text(), "1.\tA\r2.\tB\r3.\tXC");
  rtview_test::ExpectLaidOut(e.t);
}

TEST(Input, BackspaceAndDeleteAtLineAndParagraphEdges) {
  // 59 pixels of room: "aaaa " and "bbbb" on two lines.
  Editor e(60);
  e.Load("aaaa bbbb\rcc");
  ASSERT_EQ(rtview_test::Lines(e.t.FirstPar), (std::vector<std::string>{"aaaa ", "bbbb"}));
  // At the start of the wrapped line Backspace takes the last character
  // of the line above.
  e.SetCursor(5);
  ASSERT_EQ(e.t.CursorLine, e.t.FirstPar->line->next);
  e.Key(8);
  EXPECT_EQ(e.Text(), "aaaabbbb\rcc");
  EXPECT_EQ(e.Cursor(), 4);
  // Delete at the end of a soft line takes the next character (the
  // following line's first), not the break.
  e.Load("aaaa bbbb");
  e.SetCursor(0);
  e.t.CursorCommand(ccLineEnd);
  ASSERT_EQ(e.t.CursorOffset, 5);
  ASSERT_EQ(e.t.CursorLine, e.t.FirstPar->line);
  e.Key(127);
  EXPECT_EQ(e.Text(), "aaaa bbb");
  // Backspace at a paragraph's start and Delete at its end join.
  e.Load("ab\rcd\ref");
  e.SetCursor(3);
  e.Key(8);
  EXPECT_EQ(e.Text(), "abcd\ref");
  EXPECT_EQ(e.Cursor(), 2);
  e.t.CursorCommand(ccLineEnd);
  e.Key(127);
  EXPECT_EQ(e.Text(), "abcdef");
  // Delete past the end changes only the last paragraph's format; a
  // table cell stays a cell.
  e.t.FirstPar->BorderFlags = 0x41;
  e.t.FirstPar->Shading = 3;
  e.t.FirstPar->Flags = wppPageBreak;
  e.t.CursorCommand(ccTextEnd);
  e.Key(127);
  EXPECT_EQ(e.Text(), "abcdef");
  EXPECT_EQ(e.t.FirstPar->BorderFlags, 0);
  EXPECT_EQ(e.t.FirstPar->Shading, 0);
  EXPECT_EQ(e.t.FirstPar->Flags, 0);
  rtview_test::ExpectLaidOut(e.t);
  // A table that ends the text keeps its last cell.
  e.Load("A1\rB1");
  e.t.FirstPar->Flags = wppTableCell | wppRowGoesOn;
  e.t.LastParagraph()->Flags = wppTableCell | wppRowContinues | wppPageBreak;
  e.t.FormatText();
  e.t.CursorCommand(ccTextEnd);
  e.Key(127);
  EXPECT_EQ(e.t.LastParagraph()->Flags, wppTableCell | wppRowContinues);
  EXPECT_EQ(e.t.FirstPar->Flags, wppTableCell | wppRowGoesOn);
}

TEST(Input, EmptyParagraphsBelowAnEditAreLaidOutAgain) {
  Editor e;
  e.Load("a\r\r\r\rb");
  e.SetCursor(1);
  e.Type("bc");
  // Each empty paragraph follows the height of the one above it; all of
  // them were measured again and must be broken again too.
  rtview_test::ExpectLaidOut(e.t);
  e.t.WritingAttr.Size = 30;
  e.Type("D");
  rtview_test::ExpectLaidOut(e.t);
  EXPECT_EQ(e.t.FirstPar->next->next->next->line->Height, e.t.FirstPar->line->Height);
}

TEST(Input, FormFeedTogglesThePageBreakAtAParagraphStartAndSplitsElsewhere) {
  Editor e;
  e.Load("eins\rzwei");
  e.SetCursor(5);
  e.Key(12);
  EXPECT_TRUE(e.t.FirstPar->next->Flags & wppPageBreak);
  e.Key(12);
  EXPECT_FALSE(e.t.FirstPar->next->Flags & wppPageBreak);
  e.SetCursor(2);
  e.Key(12);
  EXPECT_EQ(e.Text(), "ei\rns\rzwei");
  EXPECT_TRUE(e.t.FirstPar->next->Flags & wppPageBreak);
  EXPECT_FALSE(e.t.FirstPar->next->next->Flags & wppPageBreak);
  // Enter makes no page break.
  e.Key('\r');
  EXPECT_FALSE(e.t.CursorPar->Flags & wppPageBreak);
}

TEST(Input, LeftAndRightMoveOneCharacterAcrossSoftBreaksAndParagraphs) {
  Editor e(60);
  e.Load("aaaa bbbb\rcc");
  e.SetCursor(4);
  e.t.CursorRight();
  EXPECT_EQ(e.Cursor(), 5);
  EXPECT_EQ(e.t.CursorLine, e.t.FirstPar->line->next) << "a soft break shows at the next line's start";
  e.t.CursorRight();
  EXPECT_EQ(e.Cursor(), 6);
  e.t.CursorLeft(2);
  EXPECT_EQ(e.Cursor(), 4);
  e.SetCursor(9);
  e.t.CursorRight();
  EXPECT_EQ(e.Cursor(), 10);
  EXPECT_EQ(e.t.CursorPar, e.t.FirstPar->next);
  e.t.CursorLeft();
  EXPECT_EQ(e.Cursor(), 9);
  // At the ends nothing moves.
  e.SetCursor(0);
  e.t.CursorLeft();
  EXPECT_EQ(e.Cursor(), 0);
  e.t.CursorCommand(ccTextEnd);
  e.t.CursorRight(3);
  EXPECT_EQ(e.Cursor(), 12);
  // Locked movement moves nothing.
  e.t.SetViewOptions(e.t.ViewOptions() | wpvNoCursorToPoint);
  e.t.CursorCommand(ccTextStart);
  EXPECT_EQ(e.Cursor(), 12);
}

TEST(Input, WordMovesStopAtWordsOfTheLine) {
  Editor e;
  e.Load("alpha beta");
  e.t.WordRight();
  EXPECT_EQ(e.Cursor(), 5);
  e.t.WordRight();
  EXPECT_EQ(e.Cursor(), 10);
  e.SetCursor(8);
  e.t.WordLeft();
  EXPECT_EQ(e.Cursor(), 6) << "on the first letter of 'beta'";
  e.t.WordLeft();
  EXPECT_EQ(e.Cursor(), 0);
  // A leading blank: the word's first letter, not the line's start.
  e.Load(" abc");
  e.t.CursorCommand(ccLineEnd);
  e.t.WordLeft();
  EXPECT_EQ(e.Cursor(), 1);
  e.t.WordLeft();
  EXPECT_EQ(e.Cursor(), 0);
  // Soft line ends bound word moves.
  Editor n(60);
  n.Load("aaaa bbbb");
  n.SetCursor(0);
  n.t.WordRight(2);
  EXPECT_EQ(n.Cursor(), 5) << "behind 'aaaa', then at the line's end";
  n.t.WordRight();
  EXPECT_EQ(n.Cursor(), 9);
}

TEST(Input, WordMovesAndWordDeletionOverGermanText) {
  Editor e(2000);
  const std::string text = CP1252("Die Größe der Übermaß-Straße „Köln“ ärgert’s Äpfel").str();
  e.Load(text);
  const char* words[] = {"Die", "Größe", "der", "Übermaß", "Straße", "Köln", "ärgert", "s", "Äpfel"};
  for (const char* w : words) {
    e.t.WordRight();
    const std::string word = Cp(w);
    const std::string before = text.substr(0, e.Cursor());
    ASSERT_GE(before.size(), word.size());
    EXPECT_EQ(before.substr(before.size() - word.size()), word) << "behind " << w;
  }
  EXPECT_EQ(e.Cursor(), static_cast<int>(text.size()));
  for (int i = 8; i >= 0; --i) {
    e.t.WordLeft();
    const std::string word = Cp(words[i]);
    EXPECT_EQ(text.substr(e.Cursor(), word.size()), word) << "on " << words[i];
  }
  // Word deletion: extend over the word, then delete the block.
  e.t.CursorCommand(ccTextEnd);
  e.t.WordLeft(1, true);
  EXPECT_EQ(e.Selected(), CP1252("Äpfel").str());
  e.Key(8);
  EXPECT_EQ(e.Text(), CP1252("Die Größe der Übermaß-Straße „Köln“ ärgert’s ").str());
  e.Key(8);
  e.Key(8);
  e.Key(8);  // blank, "s", apostrophe: one byte each
  e.t.WordLeft();
  e.t.WordRight(1, true);
  EXPECT_EQ(e.Selected(), CP1252("ärgert").str());
  e.Key(127);
  EXPECT_EQ(e.Text(), CP1252("Die Größe der Übermaß-Straße „Köln“ ").str());
  e.SetCursor(static_cast<int>(CP1252("Die Größe der Übermaß-").str().size()));
  e.t.WordRight(1, true);
  e.Key(127);
  EXPECT_EQ(e.Text(), CP1252("Die Größe der Übermaß- „Köln“ ").str());
  e.t.WordLeft(1, true);
  EXPECT_EQ(e.Selected(), CP1252("Übermaß-").str());
  e.t.WordLeft(1, true);
  EXPECT_EQ(e.Selected(), CP1252("der Übermaß-").str()) << "the extension goes on from its anchor";
}

TEST(Input, AHyperlinkAndItsStampStayTogether) {
  Editor e;
  LoadLink(e);
  // Right over the link's last letter passes the stamp; typing there
  // writes plain text behind the stamp.
  e.SetCursor(11);
  e.t.CursorRight();
  EXPECT_EQ(e.Cursor(), 16);
  EXPECT_FALSE(e.t.WritingAttr.Style & (wpsHidden | wpsHyperlink));
  e.Type("X");
  ExpectLinkIntact(e, "Goethe", 6);
  EXPECT_EQ(StyleAt(e, 16) & (wpsHidden | wpsHyperlink), 0u);
  e.Key(8);
  // Left from behind the stamp lands before the link's last letter.
  e.t.CursorLeft();
  EXPECT_EQ(e.Cursor(), 11);
  // Word moves pass the stamp ('p', '1', '2' are word characters).
  e.SetCursor(6);
  e.t.WordRight();
  EXPECT_EQ(e.Cursor(), 16);
  e.t.WordLeft();
  EXPECT_EQ(e.Cursor(), 6);
  // A click behind the link's last letter lands behind the stamp.
  TWPLineRec* l = e.t.FirstPar->line;
  const int x = e.t.CursorX(e.t.FirstPar, l, 12);
  e.t.CursorToPoint(x, l->Top + l->Height / 2, false, false);
  EXPECT_EQ(e.Cursor(), 16);
  // Backspace behind the stamp takes the link's last letter; the stamp
  // stays, and the letter typed again belongs to the link.
  e.SetCursor(16);
  e.Key(8);
  EXPECT_EQ(e.Text(), "Siehe Goethp:12 und mehr");
  EXPECT_EQ(e.Cursor(), 11);
  e.Type("e");
  ExpectLinkIntact(e, "Goethe", 6);
  // Delete in front of the stamp takes the blank behind it.
  e.SetCursor(12);
  e.Key(127);
  EXPECT_EQ(e.Text(), "Siehe Goethep:12und mehr");
  // Typing inside the stamp writes behind it.
  LoadLink(e);
  e.SetCursor(14);
  e.Type("!");
  EXPECT_EQ(e.Text(), "Siehe Goethep:12! und mehr");
  ExpectLinkIntact(e, "Goethe", 6);
  // Enter at the link's end keeps the stamp in the link's paragraph.
  LoadLink(e);
  e.SetCursor(12);
  e.Key('\r');
  EXPECT_EQ(e.Text(), "Siehe Goethep:12\r und mehr");
  ExpectLinkIntact(e, "Goethe", 6);
}

TEST(Input, TheWritingAttributeFollowsTheTextBeforeTheCursor) {
  Editor e;
  e.Load("");
  Listener listener(&e.t);
  e.t.AttrListener = &listener;
  e.Add(e.t.FirstPar, "ab", Attr(0, 0, 10, 0x02));
  e.Add(e.t.FirstPar, "cd", Attr(wpsBold, 0, 14, 0x31, 77));
  e.t.FormatText();
  e.SetCursor(3);
  EXPECT_TRUE(e.t.WritingAttr.Style & wpsBold);
  EXPECT_EQ(e.t.WritingAttr.Size, 14);
  EXPECT_EQ(listener.Style() & wpsBold, wpsBold);
  EXPECT_EQ(listener.FontSize(), 14);
  EXPECT_EQ(listener.TextColorNumber(), 1);
  EXPECT_EQ(listener.BackgroundColorNumber(), 3);
  EXPECT_EQ(listener.FontName(), "Arial");
  const int attributes = listener.attributes, positions = listener.positions;
  e.t.CursorLeft(2);
  EXPECT_FALSE(e.t.WritingAttr.Style & wpsBold);
  EXPECT_EQ(e.t.WritingAttr.Colors, 0x02);
  EXPECT_GT(listener.attributes, attributes);
  EXPECT_GT(listener.positions, positions);
  const int selections = listener.selections;
  e.t.SetSelection(0, 2);
  EXPECT_GT(listener.selections, selections);
  int ownerTold = 0;
  e.t.OnSelectionChanged = [&] { ++ownerTold; };
  e.t.HideSelection();
  EXPECT_EQ(ownerTold, 1);
  // At a paragraph's start the text behind the cursor gives it.
  e.SetCursor(0);
  EXPECT_EQ(e.t.WritingAttr.Colors, 0x02);
  // Behind a link the tag goes; hidden and object bits never stay.
  LoadLink(e);
  e.t.WritingAttr.Tag = 5;
  e.SetCursor(10);
  EXPECT_TRUE(e.t.WritingAttr.Style & wpsHyperlink);
  EXPECT_EQ(e.t.WritingAttr.Tag, 0);
  e.t.AttrListener = nullptr;
}

TEST(Input, EventsAndStateAroundEdits) {
  Editor e;
  e.Load("eins zwei\rdrei");
  std::vector<std::string> events;
  e.t.OnBeforeInput = [&] { events.push_back("before"); };
  e.t.OnAfterInput = [&] { events.push_back("after"); };
  e.t.OnChanged = [&] { events.push_back("changed"); };
  e.t.OnParagraphAdded = [&] { events.push_back("paragraph"); };
  e.t.OnParOrBlockChanged = [&] { events.push_back("par"); };
  e.SetCursor(4);
  e.Key('x');
  EXPECT_EQ(events, (std::vector<std::string>{"before", "par", "changed", "after"}));
  events.clear();
  e.Key('y');
  EXPECT_EQ(events, (std::vector<std::string>{"before", "changed", "after"})) << "same paragraph, no block";
  events.clear();
  e.Key('\r');
  EXPECT_EQ(events, (std::vector<std::string>{"before", "par", "paragraph", "changed", "after"}));
  EXPECT_FALSE(e.t.InputRunning);
  // Positioning at a line's end goes to the next line's start.
  Editor n(60);
  n.Load("aaaa bbbb");
  n.t.MoveCursorToPosition(5, 0);
  EXPECT_EQ(n.t.CursorLine, n.t.FirstPar->line->next);
  EXPECT_EQ(n.t.CursorOffset, 0);
  // No marking while it is switched off.
  n.t.NoBlockMarking = true;
  n.t.CursorRight(2, true);
  EXPECT_FALSE(n.t.HasBlock());
  n.t.NoBlockMarking = false;
  // Text read in at the cursor leaves no bare anchor behind.
  n.t.CursorToPoint(11, 5, false, false);
  ASSERT_TRUE(n.t.BlockStart.Par);
  TMemoryStream m;
  m.Write("XY", 2);
  m.SetPosition(0);
  n.t.LoadFormat = FormatANSI;
  n.t.LoadFromStream(&m);
  EXPECT_EQ(n.Text(), "aXYaaa bbbb");
  EXPECT_FALSE(n.t.BlockStart.Par);
  // Clearing starts over at the top.
  n.t.ScrollDown(5);
  n.t.Clear();
  EXPECT_EQ(n.t.TopOffset, 0);
  EXPECT_EQ(n.Cursor(), 0);
  EXPECT_EQ(n.Text(), "");
}

TEST(Input, ObjectsAreEnteredWithTheirNumbersAndTyped) {
  Editor e;
  e.Load("ab");
  e.SetCursor(1);
  Picture pic;
  int number = -1;
  TWPObjectEntry* entry = e.t.InsertObjectAtCursor(number, &pic, 0, 0);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(number, 2000);
  EXPECT_EQ(entry->Width, 1440) << "the size is completed from the object";
  EXPECT_EQ(e.Text(), std::string("a\x01" "b"));
  const TWPAttrRecord& a = e.t.FirstPar->line->pa[1];
  EXPECT_TRUE(a.Style & wpsObject);
  EXPECT_EQ(a.Tag, 2000);
  EXPECT_EQ(a.Width, 96);
  EXPECT_FALSE(e.t.WritingAttr.Style & wpsObject);
  EXPECT_EQ(e.t.WritingAttr.Tag, 0);
  EXPECT_FALSE(e.t.ObjectInsertion);
  int second = 0;
  e.t.InsertObjectAtCursor(second, &pic, 720, 720);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(e.Text()[2], '\x02');
  int none = -1;
  EXPECT_THROW(e.t.InsertObjectAtCursor(none, nullptr, 0, 0), Exception);
  rtview_test::ExpectLaidOut(e.t);
}

TEST(Input, AKeystrokeRepaintsOnlyTheLinesItChanged) {
  Editor e;
  e.Load("abc\rdef\rghi");
  e.SetCursor(5);
  e.device.Clear();
  e.Key('x');
  EXPECT_EQ(e.t.LastRepaint, wprChangedLines);
  auto texts = e.device.Find("Text");
  ASSERT_FALSE(texts.empty());
  for (const TRecordedCall* c : texts) EXPECT_EQ(c->Text, "dxef");
  // A new paragraph moves everything below: the whole view.
  e.device.Clear();
  e.Key('\r');
  EXPECT_EQ(e.t.LastRepaint, wprAll);
  EXPECT_EQ(e.device.AllText(), "abcdxefghi");
  // Deleting repaints the line it shortened, where nothing else moves.
  for (const char key : {'\x7f', '\b'}) {
    e.SetCursor(key == '\b' ? 6 : 7);
    e.device.Clear();
    e.Key(key);
    EXPECT_EQ(e.device.AllText(), key == '\b' ? "d" : "f");
  }
  // An empty paragraph is as high as the text above it: a smaller first
  // letter makes it lower and moves what lies below.
  e.Load("Abc\r\rdef", Attr(0, 0, 20));
  e.SetCursor(4);
  e.t.WritingAttr = Attr();
  e.device.Clear();
  e.Key('x');
  EXPECT_EQ(e.device.AllText(), "Abcxdef");
}
