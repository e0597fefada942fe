// The memo dialog on the table of sayings: opened from a grid's memo cell,
// editing and posting a saying, the question before changes are dropped,
// Ctrl+Enter, a view-only dialog that never writes, the window's place and
// size, and a picture of the dialog.
#include <gtest/gtest.h>

#include "dbcontrols/intl/wwintl.h"
#include "tests/dbcontrols/dbgrid_fixture.h"

namespace wwtest {

namespace {

class MemoDialog : public SampleData {
 protected:
  void SetUp() override {
    table = Open("SPRUCH.FFD");
    source = std::make_unique<TwwDataSource>(nullptr);
    source->SetDataSet(table.get());
    form = new TForm(Application);
    form->SetClientSize(560, 300);
    grid = new TwwDBGrid(form);
    grid->SetParent(form);
    grid->SetBounds(8, 8, 540, 280);
    grid->SetUseTFields(false);
    TStringList columns;
    columns.Add("SPRU_TYP\t3\tTyp");
    columns.Add("SPRU_TAG\t4\tTag");
    columns.Add(CP1252("SPRU_TEXT\t40\tSpruch~Text").str());
    grid->SetSelected(&columns);
    grid->SetDataSource(source.get());
    table->FieldByName("SPRU_TEXT")->SetDisplayLabel("Spruch~Text");
    form->Show();
    grid->SetFocus();
    driver.Process();
    saying = Text();
  }
  void TearDown() override {
    if (form) form->Free();
    form = nullptr;
    source.reset();
    table.reset();
  }

  AnsiString Text() const { return table->FieldByName("SPRU_TEXT")->AsString(); }

  // The grid on the saying's cell.
  void ToSaying() {
    driver.PressKey(VK_DOWN);
    driver.PressKey(VK_RIGHT);
    driver.PressKey(VK_RIGHT);
    driver.Process();
    saying = Text();
  }

  std::unique_ptr<TwwTable> table;
  std::unique_ptr<TwwDataSource> source;
  TForm* form = nullptr;
  TwwDBGrid* grid = nullptr;
  AnsiString saying;
};

}  // namespace

TEST_F(MemoDialog, F2OnASayingEditsItAndTheGridPostsIt) {
  ToSaying();
  ASSERT_FALSE(saying.empty());
  TwwMemoDlg* shown = nullptr;
  bool opened = false, cancelled = true;
  grid->OnMemoOpen = [&](TwwDBGrid*, TwwMemoDialog* d) {
    opened = true;
    EXPECT_EQ(d->DataField(), "SPRU_TEXT");
    EXPECT_EQ(d->Caption(), "Spruch Text") << "tildes become blanks";
  };
  grid->OnMemoClose = [&](TwwDBGrid*, bool cancel) { cancelled = cancel; };
  driver.WhenModal([&](TCustomForm& f) {
    shown = dynamic_cast<TwwMemoDlg*>(&f);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Text(), "Spruch Text");
    EXPECT_EQ(shown->Memo->Text(), saying);
    EXPECT_TRUE(shown->Memo->Focused());
    EXPECT_TRUE(shown->CancelBtn->Visible());
    driver.PressKey(VK_END, ssCtrl);
    driver.Type(" (Zusatz)");
    driver.Click(shown->OKBtn);
  });
  driver.PressKey(VK_F2);
  driver.Process();
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(opened);
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(table->State(), dsEdit);
  // Moving on posts the record.
  driver.PressKey(VK_DOWN);
  driver.PressKey(VK_UP);
  driver.Process();
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(Text(), saying + " (Zusatz)");
}

TEST_F(MemoDialog, DroppingChangesAsksAndCtrlEnterDoesNot) {
  ToSaying();
  driver.WhenModal([&](TCustomForm&) {
    driver.Type("X");
    // Escape asks; No keeps the window and the typed text.
    driver.AnswerNextMessageBox(IDNO);
    driver.PressKey(VK_ESCAPE);
  });
  driver.WhenModal([&](TCustomForm& f) {
    auto& dlg = dynamic_cast<TwwMemoDlg&>(f);
    EXPECT_TRUE(dlg.Visible());
    EXPECT_EQ(dlg.Memo->Text().substr(0, 1), "X");
    // Yes drops them.
    driver.AnswerNextMessageBox(IDYES);
    driver.PressKey(VK_ESCAPE);
  });
  driver.PressKey(VK_F2);
  driver.Process();
  ASSERT_EQ(driver.MessageBoxes().size(), 2u);
  EXPECT_EQ(driver.MessageBoxes()[0].Text, wwGlobalIntl()->UserMessages()->MemoChangesWarning());
  EXPECT_EQ(Text(), saying);
  EXPECT_EQ(table->State(), dsBrowse);

  // Ctrl+Enter closes by OK without a question; the line break it would
  // type stays out of the text.
  driver.WhenModal([&](TCustomForm&) {
    driver.Type("Y");
    driver.PressKey(VK_RETURN, ssCtrl);
  });
  driver.PressKey(VK_F2);
  driver.Process();
  EXPECT_EQ(driver.MessageBoxes().size(), 2u);
  EXPECT_EQ(Text(), "Y" + saying);
  table->Cancel();
}

TEST_F(MemoDialog, ViewOnlyNeverWrites) {
  ToSaying();
  grid->SetReadOnly(true);
  bool shown = false;
  driver.WhenModal([&](TCustomForm& f) {
    auto& dlg = dynamic_cast<TwwMemoDlg&>(f);
    shown = true;
    EXPECT_FALSE(dlg.CancelBtn->Visible());
    EXPECT_TRUE(dlg.OKBtn->Visible());
    EXPECT_TRUE(dlg.Memo->ReadOnly());
    const TRect ok = dlg.OKBtn->BoundsRect();
    EXPECT_NEAR((ok.Left + ok.Right) / 2, dlg.ClientWidth() / 2, 1) << "the one button is centred";
    driver.Type("Z");
    EXPECT_EQ(dlg.Memo->Text(), saying);
    driver.Click(dlg.OKBtn);
  });
  driver.PressKey(VK_F2);
  driver.Process();
  EXPECT_TRUE(shown);
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(Text(), saying);

  // mDisableDialog: no dialog at all (one would wait in its loop).
  grid->SetMemoAttributes(grid->MemoAttributes() | mDisableDialog);
  driver.PressKey(VK_F2);
  driver.Process();
  EXPECT_TRUE(driver.MessageBoxes().empty());
}

TEST_F(MemoDialog, PlaceAndSizeOfTheWindowAndItsPicture) {
  table->First();
  TwwMemoDialog dialog(nullptr);
  dialog.SetDataSource(source.get());
  dialog.SetDataField("SPRU_TEXT");
  dialog.SetCaption(CP1252("Spruch des Tages").str());
  dialog.SetDlgWidth(420);
  dialog.SetDlgHeight(220);
  TFont font;
  font.SetName("Arial");
  font.SetSize(11);
  dialog.SetFont(font);
  bool inited = false, closed = false;
  dialog.OnInitDialog = [&](TwwMemoDlg* d) {
    inited = true;
    EXPECT_EQ(dialog.Dialog(), d);
  };
  dialog.OnCloseDialog = [&](TwwMemoDlg*) { closed = true; };
  driver.WhenModal([&](TCustomForm& f) {
    auto& dlg = dynamic_cast<TwwMemoDlg&>(f);
    EXPECT_EQ(dlg.Width(), 420);
    EXPECT_EQ(dlg.Height(), 220);
    // Centred on the screen with DlgLeft = DlgTop = 0.
    EXPECT_NEAR(dlg.Left() + dlg.Width() / 2, Screen->Width() / 2, 2);
    EXPECT_NEAR(dlg.Top() + dlg.Height() / 2, Screen->Height() / 2, 2);
    EXPECT_EQ(dlg.Memo->Font()->Size(), 11);
    // The memo fills the window above the buttons, which stand at the right.
    EXPECT_EQ(dlg.Memo->Width(), dlg.ClientWidth());
    EXPECT_LE(dlg.Memo->Height() + dlg.OKBtn->Height(), dlg.ClientHeight());
    EXPECT_LT(dlg.OKBtn->Left(), dlg.CancelBtn->Left());
    EXPECT_LE(dlg.CancelBtn->Left() + dlg.CancelBtn->Width(), dlg.ClientWidth());
    driver.SavePng(&dlg, "memo_dialog");
    driver.Click(dlg.CancelBtn);
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_TRUE(inited);
  EXPECT_TRUE(closed);
  EXPECT_EQ(dialog.Dialog(), nullptr);

  // A positive place puts the window there.
  dialog.SetDlgLeft(30);
  dialog.SetDlgTop(40);
  driver.WhenModal([&](TCustomForm& f) {
    EXPECT_EQ(f.Left(), 30);
    EXPECT_EQ(f.Top(), 40);
    driver.PressKey(VK_ESCAPE);
  });
  EXPECT_FALSE(dialog.Execute());
  // A field the dataset lacks is the dataset's error (raised as soon as
  // the open dataset is asked for it).
  EXPECT_THROW(
      {
        dialog.SetDataField("GIBTESNICHT");
        dialog.Execute();
      },
      EDatabaseError);
}

}  // namespace wwtest
