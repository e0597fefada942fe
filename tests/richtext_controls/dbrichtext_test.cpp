// The data-aware editor on a real table: a BLOB field shown as rich text,
// typing that starts the edit without moving cursor or scroll position (one
// change, nothing painted on the way), the text with its attributes back
// after post and reopening, AutoDisplay, Escape, a plain string field, the
// read-only flag of the link, and the tool bar's dataset commands.
#include <gtest/gtest.h>

#include "platform/ui/keyboard.h"
#include "platform/ui/testdriver.h"
#include "richtext/bars/toolbar.h"
#include "richtext/controls/dbrichtext.h"
#include "tests/db/db_fixture.h"
#include "tests/richtext_controls/page_helpers.h"

using namespace dbtest;
using rtedit_test::Styled;
using rtedit_test::Text;

namespace {

// LAYOUT: ID, TITEL (string), TEXT (binary BLOB holding RTF).
TffDataDictionary LayoutDictionary() {
  TffDataDictionary d(8192);
  d.AddField("ID", "", fftInt32, 0, 0, true);
  d.AddField("TITEL", "", fftShortString, 30, 0, false);
  d.AddField("TEXT", "", fftBlob, 0, 0, false);
  d.AddIndex("XID", "", 0, {0}, false, true, false);
  return d;
}

struct DbRich : DbTest {
  void SetUp() override {
    DbTest::SetUp();
    ASSERT_EQ(FFDatabaseBuildTable(db, false, "LAYOUT", LayoutDictionary()), bapiOk);
  }
};

// An RTF document made by an editor: "Titel" bold, then a plain paragraph.
std::string DocumentRtf(const std::string& title, const std::string& body) {
  TWPRichText e(nullptr);
  e.ClearText();
  Styled(&e, title, "Arial", 12, wpsBold);
  Styled(&e, body, "Arial", 10, 0, 0, true);
  TMemoryStream ms;
  e.SaveToStream(&ms);
  std::string s(static_cast<size_t>(ms.Size()), '\0');
  ms.SetPosition(0);
  ms.ReadBuffer(s.data(), static_cast<int>(s.size()));
  return s;
}

struct RichForm {
  TForm* form = new TForm(Application);
  TDataSource* ds = new TDataSource(form);
  TDBWPRichText* edit = new TDBWPRichText(form);
  TEdit* other = new TEdit(form);

  explicit RichForm(TDataSet* t, const char* field = "TEXT") {
    form->SetClientSize(420, 220);
    ds->SetDataSet(t);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 400, 160);
    edit->SetWordWrap(true);
    other->SetParent(form);
    other->SetBounds(10, 185, 100, 21);
    edit->SetDataSource(ds);
    edit->SetDataField(field);
    form->Show();
  }
};

}  // namespace

TEST_F(DbRich, BlobFieldEditedPostedAndBackAfterReopening) {
  TUiTestDriver d;
  {
    auto t = Table("LAYOUT");
    t->Open();
    for (int id : {1, 2}) {
      t->Append();
      t->FieldByName("ID")->SetAsInteger(id);
      t->FieldByName("TITEL")->SetAsString("Vorlage " + std::to_string(id));
      TMemoryStream ms;
      const std::string rtf = DocumentRtf("Blatt " + std::to_string(id), "Geburtstag am <GebDat>");
      ms.WriteBuffer(rtf.data(), static_cast<int>(rtf.size()));
      ms.SetPosition(0);
      static_cast<TBlobField*>(t->FieldByName("TEXT"))->LoadFromStream(&ms);
      t->Post();
    }
    t->First();
    RichForm f(t.get());
    d.Process();
    EXPECT_TRUE(f.edit->Loaded());
    EXPECT_EQ(Text(f.edit), "Blatt 1\rGeburtstag am <GebDat>");
    f.edit->MoveCursorTo(2);
    EXPECT_TRUE(f.edit->AttrAtCursor()->Style & wpsBold);
    EXPECT_EQ(t->State(), dsBrowse);
    // The first key starts the edit; cursor and selection stay. It is one
    // change, and nothing is painted on the way: a strip over the title
    // keeps what the test drew there until the control repaints.
    f.edit->SetFocus();
    f.edit->MoveCursorTo(22);
    d.Process();
    int changes = 0;
    f.edit->OnChange = [&](TObject*) { ++changes; };
    TCanvas* screen = f.edit->Canvas();
    screen->Brush()->SetColor(clLime);
    screen->FillRect({0, 0, f.edit->ClientWidth(), 4});
    d.KeyDown('X');
    d.KeyUp('X');
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(ColorToRGB(screen->Pixels(5, 1)), clLime);
    d.Process();
    EXPECT_NE(ColorToRGB(screen->Pixels(5, 1)), clLime);
    f.edit->OnChange = nullptr;
    EXPECT_EQ(t->State(), dsEdit);
    EXPECT_EQ(Text(f.edit), "Blatt 1\rGeburtstag am x<GebDat>");
    EXPECT_EQ(f.edit->CursorPosition(), 23);
    // A bold word at the end, then post.
    f.edit->MoveCursorTo(f.edit->TextLength());
    TWPAttrRecord a;
    a.Style = wpsItalic;
    f.edit->ToolBarAttrCommand(wpmAddStyle, a);
    // Saved, the text stays scrolled to the caret at its end, one line high.
    f.edit->SetBounds(10, 10, 400, 20);
    d.Type(" kursiv");
    const int top = f.edit->TopOffset(), end = f.edit->CursorPosition();
    t->Post();
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_FALSE(f.edit->Modified());
    EXPECT_GT(top, 0);
    EXPECT_EQ(f.edit->TopOffset(), top);
    EXPECT_EQ(f.edit->CursorPosition(), end);
    f.edit->SetBounds(10, 10, 400, 160);
    // The second record, then back.
    t->Next();
    EXPECT_EQ(Text(f.edit), "Blatt 2\rGeburtstag am <GebDat>");
    // An attribute given to a selection of a browsed record starts the
    // edit and keeps the selection where it was.
    f.edit->SetSelection(0, 5);
    TWPAttrRecord u;
    u.Style = wpsUnderline;
    f.edit->ToolBarAttrCommand(wpmAddStyle, u);
    EXPECT_EQ(t->State(), dsEdit);
    int p1 = 0, l1 = 0, o1 = 0, p2 = 0, l2 = 0, o2 = 0;
    TWPParagraphRec *a1, *a2;
    TWPLineRec *b1, *b2;
    ASSERT_TRUE(f.edit->RtfText()->GetSelection(a1, b1, o1, a2, b2, o2));
    f.edit->RtfText()->PositionOf(a1, b1, o1, p1, l1, l2);
    f.edit->RtfText()->PositionOf(a2, b2, o2, p2, l1, l2);
    EXPECT_EQ(p1, 0);
    EXPECT_EQ(p2, 5);
    t->Cancel();
    t->Prior();
    EXPECT_EQ(Text(f.edit), "Blatt 1\rGeburtstag am x<GebDat> kursiv");
  }
  // Reopened: the text and its attributes are back.
  auto t = Table("LAYOUT");
  t->Open();
  RichForm f(t.get());
  d.Process();
  EXPECT_EQ(Text(f.edit), "Blatt 1\rGeburtstag am x<GebDat> kursiv");
  f.edit->MoveCursorTo(1);
  EXPECT_TRUE(f.edit->AttrAtCursor()->Style & wpsBold);
  EXPECT_EQ(f.edit->AttrAtCursor()->Size, 12);
  f.edit->MoveCursorTo(f.edit->TextLength() - 2);
  EXPECT_TRUE(f.edit->AttrAtCursor()->Style & wpsItalic);
  d.SavePng(f.form, "richtext_dbrichtext");
  // A word replaced by the right button starts the edit, which reads the
  // text anew: the word is replaced in the text read.
  f.edit->OnMouseDownRight = [](TObject*, TMouseButton, TShiftState, int, int, int, int, AnsiString& text,
                                TWPAttrRecord&) { text = "Namenstag"; };
  const TPoint word = rtedit_test::PointOf(f.edit, 10);
  d.RightClick(f.edit, word.X, word.Y);
  EXPECT_EQ(t->State(), dsEdit);
  EXPECT_EQ(Text(f.edit), "Blatt 1\rNamenstag am x<GebDat> kursiv");
}

TEST_F(DbRich, AutoDisplayEscapeReadOnlyAndRefusedEdits) {
  TUiTestDriver d;
  auto t = Table("LAYOUT");
  t->Open();
  t->Append();
  t->FieldByName("ID")->SetAsInteger(1);
  t->FieldByName("TITEL")->SetAsString("Eins");
  {
    const std::string rtf = DocumentRtf("Inhalt", "zwei");
    TMemoryStream ms;
    ms.WriteBuffer(rtf.data(), static_cast<int>(rtf.size()));
    ms.SetPosition(0);
    static_cast<TBlobField*>(t->FieldByName("TEXT"))->LoadFromStream(&ms);
  }
  t->Post();
  RichForm f(t.get());
  d.Process();
  // Without AutoDisplay the label in brackets; Enter loads the content.
  f.edit->SetAutoDisplay(false);
  t->Refresh();
  t->First();
  EXPECT_EQ(Text(f.edit), "(TEXT)");
  EXPECT_FALSE(f.edit->Loaded());
  f.edit->SetFocus();
  d.Type("q");
  EXPECT_EQ(t->State(), dsBrowse);
  EXPECT_EQ(Text(f.edit), "(TEXT)");
  d.PressKey(VK_RETURN);
  EXPECT_TRUE(f.edit->Loaded());
  EXPECT_EQ(Text(f.edit), "Inhalt\rzwei");
  // A double click loads it as well.
  t->Next();
  t->First();
  EXPECT_FALSE(f.edit->Loaded());
  d.DoubleClick(f.edit, 20, 10);
  EXPECT_TRUE(f.edit->Loaded());
  // Escape after typing gives back the stored content.
  f.edit->SetAutoDisplay(true);
  f.edit->SetFocus();
  f.edit->MoveCursorTo(0);
  d.Type("neu ");
  EXPECT_EQ(Text(f.edit), "neu Inhalt\rzwei");
  d.PressKey(VK_ESCAPE);
  EXPECT_EQ(Text(f.edit), "Inhalt\rzwei");
  t->Cancel();
  // ReadOnly is the link's flag, and refuses typing.
  f.edit->SetReadOnly(true);
  EXPECT_TRUE(f.edit->ReadOnly());
  EXPECT_TRUE(f.edit->DataLink()->ReadOnly());
  f.edit->DataLink()->SetReadOnly(false);
  EXPECT_FALSE(f.edit->ReadOnly());
  f.edit->DataLink()->SetReadOnly(true);
  f.edit->SetFocus();
  d.Type("z");
  EXPECT_EQ(t->State(), dsBrowse);
  EXPECT_EQ(Text(f.edit), "Inhalt\rzwei");
  f.edit->SetReadOnly(false);
  // A read-only dataset refuses every edit, clipboard ones too.
  f.ds->SetAutoEdit(true);
  t->Close();
  t->SetReadOnly(true);
  t->Open();
  f.edit->SetFocus();
  d.Type("z");
  d.PressKey(VK_DELETE);
  EXPECT_EQ(Text(f.edit), "Inhalt\rzwei");
  EXPECT_FALSE(f.edit->ChangeCheck());
  // Without a data source nothing can be edited.
  delete f.ds;
  EXPECT_EQ(f.edit->DataSource(), nullptr);
  EXPECT_FALSE(f.edit->ChangeCheck());
}

TEST_F(DbRich, StringFieldShowsDisplayTextOrTextAndToolBarMovesRecords) {
  TUiTestDriver d;
  auto t = Table("LAYOUT");
  t->Open();
  for (int id : {1, 2, 3}) {
    t->Append();
    t->FieldByName("ID")->SetAsInteger(id);
    t->FieldByName("TITEL")->SetAsString("Vorlage " + std::to_string(id));
    t->Post();
  }
  t->First();
  t->FieldByName("TITEL")->OnGetText = [](TField* fld, AnsiString& text, bool display) {
    text = display ? "[" + fld->AsString() + "]" : fld->AsString();
  };
  RichForm f(t.get(), "TITEL");
  d.Process();
  EXPECT_EQ(Text(f.edit), "[Vorlage 1]");
  f.edit->SetFocus();
  f.edit->MoveCursorTo(9);
  d.Type("a");
  EXPECT_EQ(t->State(), dsEdit);
  EXPECT_EQ(Text(f.edit), "Vorlage 1a");
  // Leaving writes the field.
  f.other->SetFocus();
  EXPECT_EQ(t->FieldByName("TITEL")->AsString(), "Vorlage 1a");
  // The tool bar's dataset group: post, next, last, prior, first.
  EXPECT_TRUE(f.edit->ToolBarCommand(wpgDataSet, wpcmdPost));
  EXPECT_EQ(t->State(), dsBrowse);
  EXPECT_TRUE(f.edit->ToolBarCommand(wpgDataSet, wpcmdNext));
  EXPECT_EQ(Text(f.edit), "[Vorlage 2]");
  EXPECT_TRUE(f.edit->ToolBarCommand(wpgDataSet, wpcmdLast));
  EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 3);
  EXPECT_TRUE(f.edit->ToolBarCommand(wpgDataSet, wpcmdPrior));
  EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 2);
  EXPECT_TRUE(f.edit->ToolBarCommand(wpgDataSet, wpcmdFirst));
  EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 1);
  EXPECT_TRUE(f.edit->ToolBarCommand(wpgDataSet, wpcmdEdit));
  EXPECT_EQ(t->State(), dsEdit);
  EXPECT_TRUE(f.edit->ToolBarCommand(wpgDataSet, wpcmdCancel));
  EXPECT_EQ(t->State(), dsBrowse);
  EXPECT_FALSE(f.edit->ToolBarCommand(wpgDataSet, 11));
  // A tool bar with the record icons shows what can be done.
  auto* bar = new TWPToolBar(f.form);
  bar->SetParent(f.form);
  bar->SetBounds(0, 0, 420, 30);
  d.Process();
  bar->Setsel_DatabaseIcons((1u << 9) - 1);
  f.edit->SetWPToolBar(bar);
  f.edit->ToolBarCommand(wpgDataSet, wpcmdFirst);  // at the first record: Bof
  EXPECT_FALSE(bar->ButtonOf(wpgDataSet, wpcmdFirst)->Enabled());
  EXPECT_TRUE(bar->ButtonOf(wpgDataSet, wpcmdNext)->Enabled());
  EXPECT_FALSE(bar->ButtonOf(wpgDataSet, wpcmdPost)->Enabled());
  d.Click(bar->ButtonOf(wpgDataSet, wpcmdLast));
  EXPECT_EQ(t->FieldByName("ID")->AsInteger(), 3);
  EXPECT_TRUE(bar->ButtonOf(wpgDataSet, wpcmdFirst)->Enabled());
  d.Click(bar->ButtonOf(wpgDataSet, wpcmdEdit));
  EXPECT_EQ(t->State(), dsEdit);
  EXPECT_TRUE(bar->ButtonOf(wpgDataSet, wpcmdPost)->Enabled());
  EXPECT_FALSE(bar->ButtonOf(wpgDataSet, wpcmdEdit)->Enabled());
  d.Click(bar->ButtonOf(wpgDataSet, wpcmdCancel));
  EXPECT_EQ(t->State(), dsBrowse);
  // Saving into a file is no command of a record's text.
  f.edit->SetFocus();
  EXPECT_TRUE(f.edit->ToolBarCommand(wpgFile, wpcmdClose));
  EXPECT_TRUE(d.FileDialogs().empty());
}
