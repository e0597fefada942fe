// The template editor, list and notice headless, as a user works them: a
// template written with the placeholder menu, saved and read back from the
// reopened table; the numbers of new templates and the notice after saving
// an own one; the question on closing; import and export of files with the
// refusals; the list's typing search; the checks before saving and
// deleting.
#include <gtest/gtest.h>

#include "app/settings/settings.h"
#include "app/templates/layoutedit.h"
#include "app/templates/layoutlist.h"
#include "app/templates/onsave.h"
#include "app/windows/parprops.h"
#include "app/windows/seite.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keyboard.h"
#include "tests/app_templates/templates_fixture.h"

namespace {

using namespace tpltest;

class Editor : public TemplateTest {
 protected:
  void SetUp() override {
    TemplateTest::SetUp();
    CreateDefaultLayouts();
  }

  // Chooses a menu path in the placeholder menu (a picture of the open
  // menu first when named).
  void Pick(TfrmLayout* f, std::vector<std::string> path, const std::string& png = "") {
    driver.WhenModal([=, this](TCustomForm&) {
      TMenuItem* level = f->popPlatzhalter->Items();
      for (std::size_t k = 0; k < path.size(); ++k) {
        const std::vector<TCustomForm*> windows = OpenMenuWindows();
        ASSERT_GT(windows.size(), k) << path[k];
        TMenuItem* item = level->Find(path[k]);
        ASSERT_NE(item, nullptr) << path[k];
        if (k + 1 == path.size() && !png.empty()) SaveScreen(f, png);
        const TRect r = MenuItemRect(windows[k], item);
        driver.Click(windows[k], (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        level = item;
      }
    });
    driver.Click(f->pbPlatzhalter);
  }

  // A template's text, title and types as the table holds them.
  struct Stored {
    std::vector<std::string> Text;
    AnsiString Title;
    int Source = -1, Output = -1;
    int32_t PageWidth = 0, LeftIndent = 0;
  };
  static Stored Read(int number) {
    auto t = apptest::OpenTable("OrvUser", "LAYOUT.FFD", "XLOUT_ID");
    Stored s;
    if (!t->FindKey({number})) return s;
    s.Title = t->FieldByName("LOUT_TITEL")->AsString();
    s.Source = t->FieldByName("LOUT_QUELLTYP")->AsInteger();
    s.Output = t->FieldByName("LOUT_AUSGTYP")->AsInteger();
    TWPRTFTextIo text;
    LoadRtf(t->ReadBlob(t->FieldByName("LOUT_TEXT")), text);
    s.PageWidth = text.Header->PageWidth;
    s.LeftIndent = text.FirstPar->LeftIndent;
    TWPRtfStrings lines(&text);
    for (int i = 0; i < lines.Count(); ++i) s.Text.push_back(lines.Strings(i));
    return s;
  }
};

// Through the editor as the main window opens it: a default template
// changed and saved (no notice), a new one written with the menu (number
// 1000, the notice, which the user switches off), a second one (1001, no
// notice), left unsaved and saved by the question on closing; then the
// table reopened holds every text, title and type.
TEST_F(Editor, TemplatesWrittenWithTheMenuAreBackFromTheTable) {
  ASSERT_TRUE(TemplateNotice);
  int number = 0;
  TfrmLayout* f = nullptr;
  driver.WhenModal([&](TCustomForm& active) {
    f = dynamic_cast<TfrmLayout*>(&active);
    ASSERT_NE(f, nullptr);
    // The first template by title: "Blatt zu einer runden Anzahl Lebenstage".
    EXPECT_EQ(f->tblLOut->FieldByName("LOUT_ID")->AsInteger(), 2);
    EXPECT_NE(f->DBWPRichText1->Hint().find("Umschalt+Tab: voriges"), std::string::npos);
    f->DBWPRichText1->SetFocus();
    f->DBWPRichText1->MoveCursorTo(0);
    driver.PressKey(VK_TAB);  // indents the cursor's paragraph, while the record goes into edit
    driver.Type("Neu: ");
    EXPECT_EQ(f->tblLOut->State(), dsEdit);
    Pick(f, {"Geburtsdatum", "Mondphase", "Genitiv"}, "templates_editor_menu");
    driver.Click(f->pbPost);
    EXPECT_EQ(f->tblLOut->State(), dsBrowse);
    EXPECT_TRUE(driver.MessageBoxes().empty());
    driver.WhenModal([&](TCustomForm& dialog) { driver.Click(dynamic_cast<TfrmSeite&>(dialog).pbOk); });
    driver.Click(f->pbSeite);
    EXPECT_EQ(f->tblLOut->State(), dsBrowse) << "\"Seite\" confirmed as it was changes nothing";
    driver.WhenModal([&](TCustomForm& dialog) { driver.Click(dynamic_cast<TfrmParProps&>(dialog).pbOk); });
    driver.Click(f->pbParProps);
    EXPECT_EQ(f->tblLOut->State(), dsBrowse) << "nor does \"Absatz\"";

    // A new template: number 1000, the title typed, the types chosen.
    driver.Click(f->pbInsert);
    EXPECT_EQ(f->tblLOut->FieldByName("LOUT_ID")->AsInteger(), 1000);
    EXPECT_EQ(f->ActiveControl(), f->editLOutTitel);
    driver.Type("Mein Blatt");
    f->cmbLOutQuellTyp->SetFocus();
    driver.PressKey(VK_DOWN);  // "Beliebiges Datum"
    f->cmbLOutAusgTyp->SetFocus();
    for (int i = 0; i < 3; ++i) driver.PressKey(VK_DOWN);  // "Quelldatum + x Tage"
    f->DBWPRichText1->SetFocus();
    driver.Type("Liebe ");
    Pick(f, {"Name", "Vorname"});
    driver.Type(", ");
    Pick(f, {"Quelldatum", "Sternzeichen", "Normal"});
    driver.Type(" ");
    Pick(f, {"Zeit seit Quelldatum", "in Jahren, Monaten und Tagen", "Dativ"});
    // The paragraph 1 cm in, the page landscape, through their dialogs.
    driver.WhenModal([&](TCustomForm& dialog) {
      auto* d = dynamic_cast<TfrmParProps*>(&dialog);
      ASSERT_NE(d, nullptr);
      d->Edits[1]->SetText("1");
      driver.Click(d->pbOk);
    });
    driver.Click(f->pbParProps);
    driver.WhenModal([&](TCustomForm& dialog) {
      auto* d = dynamic_cast<TfrmSeite*>(&dialog);
      ASSERT_NE(d, nullptr);
      d->cmbFormat->SetItemIndex(pfA4Landscape);
      d->cmbFormatChange();
      driver.Click(d->pbOk);
    });
    driver.Click(f->pbSeite);
    // Saving it shows the notice, whose box the user ticks.
    int mark = 0;  // the ruler's right mark under the notice
    driver.WhenModal([&](TCustomForm& notice) {
      auto* n = dynamic_cast<TfrmOnSave*>(&notice);
      ASSERT_NE(n, nullptr);
      mark = f->WPRuler1->MarkX(1);
      driver.Click(n->cbRTFHinweis);
      driver.SavePng(n, "templates_notice");
      driver.Click(n->pbExit);
    });
    driver.Click(f->pbPost);
    EXPECT_FALSE(TemplateNotice);
    EXPECT_EQ(mark, f->WPRuler1->MarkX(1));

    // The next one is 1001; left unsaved, the question on closing saves it.
    driver.Click(f->pbInsert);
    EXPECT_EQ(f->tblLOut->FieldByName("LOUT_ID")->AsInteger(), 1001);
    driver.Type("Zweites Blatt");
    f->DBWPRichText1->SetFocus();
    Pick(f, {"Namenstage"});
    driver.AnswerNextMessageBox(IDYES);
    driver.Click(f->pbExit);
  });
  ShowLayout(number);
  EXPECT_EQ(number, 1001);
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  const TMessageBoxRequest question = driver.MessageBoxes()[0];
  EXPECT_EQ(question.Text, "Ihre Eingaben sind noch nicht gespeichert.\rVor dem Beenden speichern?");
  TForm* shown = CreateMessageDialog(question.Text, mtWarning, mbYes | mbNo);
  shown->Show();
  driver.SavePng(shown, "templates_not_saved_question");
  delete shown;

  const Stored changed = Read(2), mine = Read(1000), second = Read(1001);
  ASSERT_FALSE(changed.Text.empty());
  EXPECT_EQ(changed.Text[0], "Neu: <GebDat Mond Gen>Ein runder Tag");
  EXPECT_EQ(changed.LeftIndent, 720);
  EXPECT_EQ(mine.Title, "Mein Blatt");
  EXPECT_EQ(mine.Source, 1);
  EXPECT_EQ(mine.Output, otSourcePlusDays);
  EXPECT_EQ(mine.Text, std::vector<std::string>{"Liebe <Vorname>, <QuellDat Stern> <Zeit Dativ>"});
  EXPECT_EQ(mine.PageWidth, kA4Height);
  EXPECT_EQ(mine.LeftIndent, 567);
  EXPECT_EQ(changed.PageWidth, kA4Width);
  EXPECT_EQ(second.Title, "Zweites Blatt");
  EXPECT_EQ(second.Text, std::vector<std::string>{"<Namenstage>"});
  EXPECT_EQ(second.PageWidth, kA4Width) << "a new template's page is A4";
}

// Absatz on several paragraphs gives each the values the dialog shows, also
// when the cursor's paragraph has them already.
TEST_F(Editor, AbsatzGivesEverySelectedParagraphTheValuesShown) {
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmLayout&>(active);
    f.DBWPRichText1->SetFocus();
    f.DBWPRichText1->SelectAll();
    for (const char* word : {"eins", "zwei", "drei"}) {
      if (*word != 'e') driver.PressKey(VK_RETURN);
      driver.Type(word);
    }
    for (const char* left : {"1", ""}) {
      if (!*left) driver.PressKey('A', ssCtrl);
      driver.WhenModal([&](TCustomForm& d) {
        if (*left) dynamic_cast<TfrmParProps&>(d).Edits[1]->SetText(left);
        driver.Click(dynamic_cast<TfrmParProps&>(d).pbOk);
      });
      driver.Click(f.pbParProps);
    }
    std::vector<int32_t> indents;
    for (const Par& p : Paragraphs(f.DBWPRichText1)) indents.push_back(p.LeftIndent);
    EXPECT_EQ(indents, (std::vector<int32_t>{567, 567, 567}));
    driver.Click(f.pbCancel);
    driver.PressKey(VK_ESCAPE);
  });
  int number = 1;
  ShowLayout(number);
}

// A text as the RTF writer writes it: equal for equal documents.
std::string RtfOf(TWPCustomRichText* e) {
  TMemoryStream ms;
  e->SaveToStream(&ms);
  return std::string(ms.Memory(), static_cast<std::size_t>(ms.Size()));
}

// A template exported through the save icon and imported through the open
// icon into a new one is the same document; a file of another kind and
// broken RTF are refused by name and change nothing; plain text is taken,
// and a character it has no form for is left out with the paste's notice.
TEST_F(Editor, ExportThenImportGivesTheSameDocumentAndOtherFilesAreRefused) {
  TemplateNotice = false;
  const std::string exported = (Root() / "Vorlage.rtf").string(), junk = (Root() / "Bild.png").string(),
                    broken = (Root() / "Kaputt.rtf").string(), plain = (Root() / "Brief.txt").string();
  apptest::Put(junk, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  apptest::Put(broken, "{\\rtf1\\ansi Hallo\\par Welt\\b");
  apptest::Put(plain, "Hallo <Name>,\r\nzweite Zeile");
  // "Grüße an <Name> aus Łódź" in UTF-8 as text and as RTF, and in Windows-1252.
  const std::string utf8 = (Root() / "Gruss.txt").string(), rtf8 = (Root() / "Gruss.rtf").string(),
                    latin = (Root() / "Gruss1252.txt").string();
  apptest::Put(utf8, "\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F" "e an <Name> aus \xC5\x81\xC3\xB3" "d\xC5\xBA\xF0\x9F\x98\x80");
  apptest::Put(rtf8, "{\\rtf1\\ansi Gr\xC3\xBC\xC3\x9F" "e an <Name> aus \xC5\x81\xC3\xB3" "d\xC5\xBA\\par}");
  apptest::Put(latin, "Gr\xFC\xDF" "e an <Name> aus L\xF3" "dz");
  const std::string red = (Root() / "Rot.rtf").string(), empty = (Root() / "Leer.rtf").string();
  apptest::Put(red, "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs40\\b\\cf1 Rot\\par}");
  apptest::Put(empty, "{\\rtf1\\uc1\\pard\\plain\\fs56 \\u20013\\'3f\\par}");
  int number = 1;
  driver.WhenModal([&](TCustomForm& active) {
    auto* f = static_cast<TfrmLayout*>(&active);
    const std::string original = RtfOf(f->DBWPRichText1);
    ASSERT_NE(original.find("Geburtstagsblatt"), std::string::npos);
    driver.AnswerNextFileDialog((Root() / "fehlt" / "x.rtf").string());  // a folder that is not there: said so
    driver.Click(f->WPToolbar1->ButtonOf(1024, 4));
    EXPECT_NE(driver.MessageBoxes().back().Text.find(SysErrorMessage(ENOENT)), std::string::npos);
    driver.AnswerNextFileDialog(exported);
    driver.Click(f->WPToolbar1->ButtonOf(1024, 4));
    driver.Click(f->pbInsert);
    driver.Type("Eingelesen");
    driver.AnswerNextFileDialog(exported);
    driver.Click(f->WPToolbar1->ButtonOf(1024, 3));
    EXPECT_EQ(RtfOf(f->DBWPRichText1), original);
    driver.Click(f->pbPost);
    ASSERT_EQ(f->tblLOut->State(), dsBrowse);

    for (const std::string& refused : {junk, broken}) {
      driver.AnswerNextFileDialog(refused);
      driver.Click(f->WPToolbar1->ButtonOf(1024, 3));
      ASSERT_FALSE(driver.MessageBoxes().empty());
      EXPECT_NE(driver.MessageBoxes().back().Text.find("\"" + refused + "\""), std::string::npos)
          << driver.MessageBoxes().back().Text;
      EXPECT_EQ(f->tblLOut->State(), dsBrowse);
      EXPECT_EQ(RtfOf(f->DBWPRichText1), original);
    }
    driver.AnswerNextFileDialog(plain);
    driver.Click(f->WPToolbar1->ButtonOf(1024, 3));
    EXPECT_EQ(f->DBWPRichText1->Header()->PageWidth, kA4Width) << "a file without a page keeps the template's";
    std::vector<std::string> texts;
    for (const Par& p : Paragraphs(f->DBWPRichText1)) texts.push_back(p.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Hallo <Name>,", "zweite Zeile"}));
    for (const std::string& file : {utf8, rtf8, latin}) {
      driver.AnswerNextFileDialog(file);
      driver.Click(f->WPToolbar1->ButtonOf(1024, 3));
      EXPECT_EQ(Paragraphs(f->DBWPRichText1)[0].Text, "Gr\xFC\xDF" "e an <Name> aus L\xF3" "dz") << file;
    }
    EXPECT_EQ(driver.MessageBoxes().back().Text, CP1252("Einige Zeichen der geöffneten Datei kann das Programm nicht "
                                                        "speichern (U+1F600); sie wurden weggelassen.").str());
    // Typed into a file without text after one in Arial 20 bold red is the
    // editor's font, wherever the cursor goes; a character left out is named.
    for (const std::string& file : {red, empty}) {
      driver.AnswerNextFileDialog(file);
      driver.Click(f->WPToolbar1->ButtonOf(1024, 3));
    }
    EXPECT_NE(driver.MessageBoxes().back().Text.find("(U+4E2D)"), std::string::npos);
    driver.Click(f->DBWPRichText1, 200, 5);
    driver.Type("Neu");
    driver.Click(f->DBWPRichText1, 200, 60);
    driver.Type("er");
    const std::vector<Par> typed = Paragraphs(f->DBWPRichText1);
    ASSERT_EQ(typed.front().Text + typed.back().Text, "Neuer");
    for (const Par* p : {&typed.front(), &typed.back()})
      for (const TWPAttrRecord& a : p->Attrs)
        EXPECT_EQ((std::tuple<AnsiString, int, int, int>(f->DBWPRichText1->Header()->FontNames[a.Font], a.Size, a.Style,
                                                          a.Colors & 0xF)),
                  (std::tuple<AnsiString, int, int, int>("Times New Roman", 11, 0, 0)));
    EXPECT_EQ(f->tblLOut->State(), dsEdit);
    // A file whose text uses 20 colours says how many took the nearest.
    std::string table = "{\\rtf1{\\colortbl;", words = "}";
    for (int i = 1; i <= 20; ++i)
      table += "\\red" + std::to_string(i * 12) + "\\green0\\blue99;", words += "\\cf" + std::to_string(i) + " x";
    apptest::Put(empty, table + words + "}");
    driver.AnswerNextFileDialog(empty);
    driver.Click(f->WPToolbar1->ButtonOf(1024, 3));
    EXPECT_EQ(driver.MessageBoxes().back().Text, CP1252("5 Farben der geöffneten Datei kann das Programm nicht "
                                                        "speichern (ein Text hat höchstens 16 Farben); sie wurden "
                                                        "durch die nächstliegenden ersetzt.").str());
    driver.Click(f->pbCancel);
    driver.Click(f->pbExit);
  });
  ShowLayout(number);
  EXPECT_EQ(number, 1000);
  EXPECT_EQ(driver.MessageBoxes().size(), 6u);
  ASSERT_EQ(driver.FileDialogs().size(), 12u);
  EXPECT_TRUE(driver.FileDialogs()[0].Save);
  EXPECT_EQ(driver.FileDialogs()[0].InitialDir, UserDataDir);
  EXPECT_EQ(driver.FileDialogs()[2].Filter, "Richtext-Dateien|*.rtf|Textdateien|*.txt|Alle Dateien (*.*)|*.*");
  EXPECT_EQ(Read(1000).Text, Read(1).Text);
  EXPECT_EQ(Read(1000).Title, "Eingelesen");
}

// The list finds a title by its first letters and gives the number; the
// editor hides the output type of a template without source date, refuses
// a template without title and a delete the user does not confirm, and
// its search button moves to the template chosen in the list.
// On an empty template table the editor offers nothing to move to or to
// delete (a delete used to end in the engine's English error), only a new
// template.
TEST_F(Editor, AnEmptyTableOffersOnlyANewTemplate) {
  {
    auto t = apptest::OpenTable("OrvUser", "LAYOUT.FFD", "XLOUT_ID");
    while (!t->IsEmpty()) t->Delete();
  }
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmLayout&>(active);
    for (TExplorerButton* b : {f.pbFirst, f.pbPrior, f.pbNext, f.pbLast, f.pbDelete, f.pbPost, f.pbCancel})
      EXPECT_FALSE(b->Enabled()) << b->Name();
    EXPECT_TRUE(f.pbInsert->Enabled());
    driver.Click(f.pbDelete);
    driver.Click(f.pbInsert);
    EXPECT_FALSE(f.pbInsert->Enabled());
    EXPECT_TRUE(f.pbCancel->Enabled());
    driver.Click(f.pbCancel);
    driver.PressKey(VK_ESCAPE);
  });
  int number = 0;
  ShowLayout(number);
  EXPECT_TRUE(driver.MessageBoxes().empty()) << driver.MessageBoxes()[0].Text;
}

// The Escape that closes a combo's list, the placeholder menu or the page
// dialog comes up in the editor below and leaves it open.
TEST_F(Editor, EscapeClosesOnlyTheListMenuOrDialogItWentDownIn) {
  std::vector<int> results;
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmLayout&>(active);
    f.cmbLOutQuellTyp->SetFocus();
    driver.PressKey(VK_DOWN, ssAlt);
    ASSERT_TRUE(f.cmbLOutQuellTyp->DroppedDown());
    driver.PressKey(VK_ESCAPE);
    results.push_back(f.ModalResult());
    for (TExplorerButton* opener : {f.pbPlatzhalter, f.pbSeite}) {
      driver.WhenModal([&](TCustomForm&) { driver.KeyDown(VK_ESCAPE); });
      driver.Click(opener);
      driver.KeyUp(VK_ESCAPE);
      results.push_back(f.ModalResult());
    }
    // "Hilfe" and "Schließen" stay at the right edge at any width.
    for (int width : {1100, 602}) {
      f.SetWidth(width);
      driver.Process();
      EXPECT_EQ(f.pbExit->Left() + f.pbExit->Width(), f.ClientWidth() - 4) << width;
      EXPECT_EQ(f.pbHilfe->Left() + f.pbHilfe->Width(), f.pbExit->Left() - 1) << width;
      driver.SavePng(&f, "templates_editor_" + std::to_string(width));
    }
    driver.PressKey(VK_ESCAPE);
  });
  int number = 1;
  ShowLayout(number);
  EXPECT_EQ(results, (std::vector<int>{mrNone, mrNone, mrNone}));
}

TEST_F(Editor, ListSearchAndTheEditorsChecks) {
  int number = 1;
  driver.WhenModal([&](TCustomForm& active) {
    auto* l = dynamic_cast<TfrmListLOut*>(&active);
    ASSERT_NE(l, nullptr);
    EXPECT_TRUE(l->pbErfassen->Visible() && !l->pbErfassen->Bitmap()->Empty()) << "with its picture, as its neighbours";
    EXPECT_EQ(l->tblLOut->FieldByName("LOUT_ID")->AsInteger(), 1);
    driver.Type("na");
    driver.Advance(400);
    EXPECT_EQ(l->tblLOut->FieldByName("LOUT_TITEL")->AsString(), "Namensblatt");
    driver.SavePng(l, "templates_list");
    TPoint smallest, largest;  // at its smallest the list shows three templates
    l->TrackSizeLimits(smallest, largest);
    l->SetBounds(l->Left(), l->Top(), smallest.X, smallest.Y);
    EXPECT_GE(l->gridLOut->VisibleRowCount(), 3);
    EXPECT_LT(l->pbErfassen->Left() + l->pbErfassen->Width(), l->pbAbbruch->Left()) << "and its buttons side by side";
    driver.PressKey(VK_RETURN);
  });
  EXPECT_TRUE(ShowListLOut(number, true));
  EXPECT_EQ(number, 3);
  driver.WhenModal([&](TCustomForm&) { driver.Type("ge"); driver.PressKey(VK_RETURN); });  // Enter at once
  EXPECT_TRUE(ShowListLOut(number, true));
  EXPECT_EQ(number, 1);
  driver.WhenModal([&](TCustomForm&) { driver.PressKey(VK_ESCAPE); });
  number = 2;
  EXPECT_FALSE(ShowListLOut(number, false));
  EXPECT_EQ(number, 2);

  number = 3;
  driver.WhenModal([&](TCustomForm& active) {
    auto* f = static_cast<TfrmLayout*>(&active);
    // "Bedeutungslos": no output type, shown again right after another choice.
    EXPECT_FALSE(f->cmbLOutAusgTyp->Visible());
    EXPECT_FALSE(f->lblLOutAusgTyp->Visible());
    f->cmbLOutQuellTyp->SetFocus();
    driver.PressKey(VK_DOWN, ssAlt);
    driver.PressKey(VK_UP);
    driver.PressKey(VK_UP);
    driver.PressKey(VK_RETURN);
    EXPECT_TRUE(f->cmbLOutAusgTyp->Visible());
    driver.Click(f->pbCancel);
    EXPECT_FALSE(f->cmbLOutAusgTyp->Visible());

    driver.AnswerNextMessageBox(IDNO);
    driver.AnswerNextMessageBox(IDOK);
    driver.Click(f->pbDelete);
    driver.Click(f->pbInsert);
    driver.AnswerNextMessageBox(IDOK);
    driver.Click(f->pbPost);
    EXPECT_EQ(f->tblLOut->State(), dsInsert);
    driver.Click(f->pbCancel);

    driver.WhenModal([&](TCustomForm& list) {
      auto* l = dynamic_cast<TfrmListLOut*>(&list);
      ASSERT_NE(l, nullptr);
      EXPECT_FALSE(l->pbErfassen->Visible());
      l->tblLOut->First();
      driver.Click(l->pbOk);
    });
    driver.Click(f->pbSuchen);
    EXPECT_EQ(f->tblLOut->FieldByName("LOUT_ID")->AsInteger(), 2);
    driver.PressKey(VK_ESCAPE);
  });
  ShowLayout(number);
  EXPECT_EQ(number, 2);
  std::vector<AnsiString> texts;
  for (const TMessageBoxRequest& b : driver.MessageBoxes()) texts.push_back(b.Text);
  EXPECT_EQ(texts, (std::vector<AnsiString>{CP1252("Vorlage löschen?").str(), CP1252("Vorlage wird nicht gelöscht.").str(),
                                            "Geben Sie bitte der Vorlage im Feld \"Titel\" einen Namen."}));
  for (int n : {1, 2, 3}) EXPECT_FALSE(Read(n).Text.empty()) << n;
  EXPECT_TRUE(Read(1000).Text.empty());
}

}  // namespace
