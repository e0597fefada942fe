// International strings: defaults, the German texts of this program, the
// connect step into the global instance, and the global instance's lifetime.
#include <gtest/gtest.h>

#include "dbcontrols/intl/wwintl.h"
#include "platform/rtl/cp1252.h"

namespace {

// Each test starts from a fresh global instance with the defaults.
struct Intl : ::testing::Test {
  void SetUp() override { delete wwGlobalIntl(); }
  void TearDown() override { delete wwGlobalIntl(); }
};

TEST_F(Intl, EnglishDefaults) {
  TwwIntl intl(nullptr);
  EXPECT_EQ(intl.BtnOKCaption(), "&OK");
  EXPECT_EQ(intl.BtnCancelCaption(), "Cancel");
  EXPECT_TRUE(intl.OKCancelBitmapped());
  EXPECT_FALSE(intl.Connected());
  EXPECT_EQ(intl.CheckBoxInGridStyle(), cbStyleAuto);
  EXPECT_TRUE(intl.DialogFontStyle().Empty());
  EXPECT_EQ(intl.SearchDialog()->SearchCharLabel(), "&Search Characters");
  EXPECT_EQ(intl.SearchDialog()->SearchByHint(), "Incremental searching and sorting order");
  EXPECT_EQ(intl.LocateDialog()->MatchAnyLabel(), "Partial Match &Anywhere");
  EXPECT_EQ(intl.FilterDialog()->MatchAnyLabel(), "Partial Match Any&where");
  EXPECT_EQ(intl.FilterDialog()->ViewSummaryNotText(), "NOT");
  EXPECT_EQ(intl.RichEdit()->UnderlineButtonHint(),
            "Underline | Formats the selection with a continuous underline (toggle)");
  EXPECT_EQ(intl.RichEdit()->NUMLockCaption(), "NUM");
  EXPECT_EQ(intl.RichEdit()->MenuLabels()->SelectallCaption(), "Select A&ll");
  EXPECT_EQ(intl.RichEdit()->PopupMenuLabels()->ParagraphCaption(), "P&aragraph");
  EXPECT_EQ(intl.RichEdit()->ParagraphDialog()->FirstLineEditCaption(), "First line:");
  EXPECT_EQ(intl.RichEdit()->TabDialog()->TabGroupBoxCaption(), "&Tab Stop Position");
  EXPECT_EQ(intl.UserMessages()->PictureValidateError(), "Invalid characters. Field : ");
  EXPECT_EQ(intl.UserMessages()->MemoChangesWarning(), "Changes have been made!  Are you sure you wish to cancel?");
}

TEST_F(Intl, TextsArePublishedByName) {
  TwwIntl intl(nullptr);
  auto* messages = static_cast<TwwUserMessagesIntl*>(GetObjectProp(&intl, "UserMessages"));
  ASSERT_NE(messages, nullptr);
  EXPECT_EQ(GetStrProp(messages, "LocateNoMatches"), "No matches found");
  EXPECT_TRUE(SetStrProp(messages, "locatenomatches", "nichts"));
  EXPECT_EQ(intl.UserMessages()->LocateNoMatches(), "nichts");
  auto* menu = GetObjectProp(GetObjectProp(&intl, "RichEdit"), "MenuLabels");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetStrProp(menu, "HelpCaption"), "Help");
  // Counts of texts per holder, as the component defines them.
  auto textCount = [](const TObject* o) {
    int n = 0;
    for (const TPropInfo* p : GetPropList(o)) n += p->Kind == TTypeKind::tkString;
    return n;
  };
  EXPECT_EQ(textCount(intl.SearchDialog()), 7);
  EXPECT_EQ(textCount(intl.LocateDialog()), 18);
  EXPECT_EQ(textCount(intl.FilterDialog()), 40);
  EXPECT_EQ(textCount(intl.RichEdit()), 34);
  EXPECT_EQ(textCount(intl.RichEdit()->MenuLabels()), 28);
  EXPECT_EQ(textCount(intl.RichEdit()->PopupMenuLabels()), 13);
  EXPECT_EQ(textCount(intl.RichEdit()->ParagraphDialog()), 13);
  EXPECT_EQ(textCount(intl.RichEdit()->TabDialog()), 10);
  EXPECT_EQ(textCount(intl.UserMessages()), 9);
  // The version cannot be changed, neither directly nor by a stored value.
  intl.SetControlsVersion("9.99");
  EXPECT_TRUE(SetStrProp(&intl, "ControlsVersion", "1.0"));
  EXPECT_EQ(intl.ControlsVersion(), "3.02B");
  EXPECT_TRUE(SetOrdProp(&intl, "DialogFontStyle", 1 << fsBold));
  EXPECT_TRUE(intl.DialogFontStyle().Contains(fsBold));
}

TEST_F(Intl, GermanTextsOfTheProgram) {
  TwwIntl intl(nullptr);
  wwSetGermanTexts(&intl);
  TwwUserMessagesIntl* m = intl.UserMessages();
  EXPECT_EQ(m->wwDBGridDiscardChanges(), CP1252("Wollen Sie die Änderungen verwerfen?").str());
  // The field's name follows the message: it needs its separator.
  EXPECT_EQ(m->PictureValidateError(), CP1252("Ungültige(s) Zeichen im Feld: ").str());
  EXPECT_EQ(m->PictureValidateError() + "NAME", CP1252("Ungültige(s) Zeichen im Feld: NAME").str());
  EXPECT_EQ(m->LocateNoMatches(), CP1252("Keine Übereinstimmungen gefunden").str());
  EXPECT_EQ(m->LocateNoMoreMatches(), CP1252("Keine weiteren Übereinstimmungen gefunden").str());
  EXPECT_EQ(m->MemoChangesWarning(),
            CP1252("Sie haben Änderungen vorgenommen. Sind Sie sicher, daß Sie abbrechen wollen?").str());
  EXPECT_EQ(m->RichEditExitWarning(), CP1252("Wollen Sie die Änderungen speichern?").str());
  EXPECT_EQ(m->RichEditClearWarning(), CP1252("Ganzen Text löschen?").str());
  EXPECT_EQ(m->FilterDlgNoCriteria(), "Sie haben keine Suchkriterien vorgegeben");
  EXPECT_EQ(m->RecordViewExitWarning(), CP1252("Wollen Sie die Änderungen speichern?").str());
  EXPECT_EQ(intl.BtnCancelCaption(), "Abbruch");
  // Everything else stays English.
  EXPECT_EQ(intl.BtnOKCaption(), "&OK");
  EXPECT_EQ(intl.LocateDialog()->BtnCancel(), "Cancel");
}

TEST_F(Intl, ConnectingCopiesIntoTheGlobalInstance) {
  TwwIntl* global = wwGlobalIntl();
  auto* form = new TComponent(nullptr);
  auto* local = new TwwIntl(form);
  wwSetGermanTexts(local);
  local->RichEdit()->MenuLabels()->SetFileCaption("&Datei");
  local->SetOKCancelBitmapped(false);
  local->SetCheckBoxInGridStyle(cbStyleXmark);
  // Not connected: the global instance keeps its texts.
  EXPECT_EQ(global->UserMessages()->LocateNoMatches(), "No matches found");
  EXPECT_EQ(global->CheckBoxInGridStyle(), cbStyleAuto);

  local->SetConnected(true);
  EXPECT_EQ(wwGlobalIntl(), global);
  EXPECT_EQ(global->UserMessages()->LocateNoMatches(), CP1252("Keine Übereinstimmungen gefunden").str());
  EXPECT_EQ(global->BtnCancelCaption(), "Abbruch");
  EXPECT_EQ(global->RichEdit()->MenuLabels()->FileCaption(), "&Datei");
  EXPECT_FALSE(global->OKCancelBitmapped());
  EXPECT_EQ(global->CheckBoxInGridStyle(), cbStyleXmark);
  // While connected the grid style follows at once; other texts only on connecting.
  local->SetCheckBoxInGridStyle(cbStyleCheckmark);
  EXPECT_EQ(global->CheckBoxInGridStyle(), cbStyleCheckmark);
  local->UserMessages()->SetLocateNoMatches("x");
  EXPECT_NE(global->UserMessages()->LocateNoMatches(), "x");
  // Freeing the window's instance copies nothing back.
  form->Free();
  EXPECT_EQ(global->BtnCancelCaption(), "Abbruch");
  // The global instance connected to itself changes nothing.
  global->SetConnected(true);
  EXPECT_EQ(global->BtnCancelCaption(), "Abbruch");
}

TEST_F(Intl, ConnectedSetWhileLoadingConnectsAfterLoading) {
  TwwIntl local(nullptr);
  local.BeginLoad();
  local.SetConnected(true);
  local.SetBtnCancelCaption("Abbruch");  // read after Connected
  EXPECT_EQ(wwGlobalIntl()->BtnCancelCaption(), "Cancel");
  local.EndLoad();
  EXPECT_EQ(wwGlobalIntl()->BtnCancelCaption(), "Abbruch");
}

TEST_F(Intl, FreeingTheGlobalInstanceLeavesNoDanglingReference) {
  TwwIntl* global = wwGlobalIntl();
  global->SetBtnOKCaption("changed");
  delete global;
  TwwIntl* fresh = wwGlobalIntl();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->BtnOKCaption(), "&OK");
  // An instance connected now fills the fresh one.
  TwwIntl local(nullptr);
  local.SetBtnOKCaption("O&K");
  local.SetConnected(true);
  EXPECT_EQ(wwGlobalIntl()->BtnOKCaption(), "O&K");
}

}  // namespace
