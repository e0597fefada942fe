// Pictures of the grid as a user sees it, saved as PNG and checked at a
// few pixels: the place table with titles, indicator, a check-box column
// and the highlighted current cell, then with the in-place editor open; a
// table of pictures shown in picture cells (stretched, original size, with
// and without the stored header, unreadable) under a highlighted row.
#include "dbcontrols/intl/wwintl.h"
#include "dbengine/fieldtypes.h"
#include "tests/dbcontrols/grid_fixture.h"

namespace wwtest {

namespace {

std::string WithHeader(const std::string& bmp) {
  std::string h(8, '\0');
  h[0] = 1;
  h[3] = 1;  // 256
  const auto n = static_cast<std::uint32_t>(bmp.size());
  for (int i = 0; i < 4; ++i) h[4 + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
  return h + bmp;
}

}  // namespace

TEST_F(GridOnPlaces, ScreenOfThePlaceTableWithCheckBoxesAndTheEditor) {
  // Two places shown on the day pages get their box checked.
  for (int i : {1, 3}) {
    table->MoveBy(i - Pos());
    table->Edit();
    table->FieldByName("ORTE_DISPATTR")->SetAsBoolean(true);
    table->Post();
  }
  table->First();
  TStringList types;
  types.Add("ORTE_DISPATTR;CheckBox;True;False");
  table->SetControlType(&types);
  TStringList columns;
  columns.Add("ORTE_ID\t5\tNr.");
  columns.Add(CP1252("ORTE_NAME\t22\tOrtsname").str());
  columns.Add("ORTE_ATTR\t8\tArt");
  columns.Add("ORTE_DISPATTR\t6\tAnzeigen");
  grid->SetSelected(&columns);
  grid->SetTitleAlignment(taCenter);
  for (int i = 0; i < 4; ++i) driver.PressKey(VK_DOWN);
  driver.PressKey(VK_RIGHT);
  driver.Process();
  driver.SavePng(form, "dbgrid_places");
  const int row = grid->Row();
  const TRect cur = grid->CellRect(2, row);
  EXPECT_EQ(ColorToRGB(driver.PixelAt(grid, cur.Right - 3, cur.Top + 3)), ColorToRGB(clHighlight));
  auto darkIn = [&](int col, int r) {
    const TRect c = grid->CellRect(col, r);
    int n = 0;
    for (int y = c.Top + 3; y < c.Bottom - 3; ++y)
      for (int x = c.Left + 3; x < c.Right - 3; ++x) n += ColorToRGB(driver.PixelAt(grid, x, y)) == 0;
    return n;
  };
  const int checked = darkIn(4, grid->TitleOffset() + 1), unchecked = darkIn(4, grid->TitleOffset() + 2);
  EXPECT_GT(checked, unchecked + 10) << "the second and fourth place are checked";
  EXPECT_EQ(darkIn(4, grid->TitleOffset() + 3), checked);

  // The editor over the current cell, with the field's text and a caret.
  driver.PressKey(VK_F2);
  driver.Type(" (Saale)");
  driver.Process();
  ASSERT_TRUE(grid->InplaceEditor()->Visible());
  EXPECT_EQ(grid->InplaceEditor()->BoundsRect(), cur);
  driver.SavePng(form, "dbgrid_places_editing");
  EXPECT_EQ(ColorToRGB(driver.PixelAt(grid, cur.Right - 3, cur.Top + 3)), ColorToRGB(clWindow))
      << "the editor, not the highlight";
  driver.PressKey(VK_ESCAPE);
  driver.PressKey(VK_ESCAPE);
}

TEST_F(GridOnPlaces, ScreenOfPictureCells) {
  Build("BILDER", {{"ID", fftInt32, 0}, {"NAME", fftShortString, 20}, {"FLAGGE", fftBlobGraphic, 0},
                   {"GROSS", fftBlobGraphic, 0}, {"PRUEFEN", fftBoolean, 0}, {"HOCH", fftBlobGraphic, 0}},
        {{"XID", {0}, true, false, true}});
  auto pictures = Open("BILDER.FFD", "XID", "WWSCRATCH");
  struct Flag {
    std::string name;
    std::string bmp;
  };
  const std::vector<Flag> flags = {
      {"Deutschland", StripesBmp(clBlack, clRed, RGB(255, 204, 0))},
      {CP1252("Österreich").str(), StripesBmp(clRed, clWhite, clRed)},
      {"Niederlande", WithHeader(StripesBmp(RGB(174, 28, 40), clWhite, RGB(33, 70, 139)))},
      {"Ungarn", StripesBmp(RGB(206, 41, 57), clWhite, RGB(71, 112, 80))},
      {"Kaputt", "BM this is no picture"},
  };
  int id = 1;
  for (const Flag& f : flags) {
    pictures->Append();
    pictures->FieldByName("ID")->SetAsInteger(id);
    pictures->FieldByName("NAME")->SetAsString(f.name);
    pictures->FieldByName("FLAGGE")->SetAsString(f.bmp);
    pictures->FieldByName("GROSS")->SetAsString(f.bmp);
    pictures->FieldByName("HOCH")->SetAsString(f.bmp);
    pictures->FieldByName("PRUEFEN")->SetAsBoolean(id % 2 == 1);
    pictures->Post();
    ++id;
  }
  pictures->First();
  TStringList types;
  types.Add("FLAGGE;Bitmap;Source Copy;Stretch To Fit");
  types.Add("GROSS;Bitmap;Source Copy;Original Size");
  types.Add("PRUEFEN;CheckBox;True;False");
  types.Add("HOCH;Bitmap;Not Source Copy;Fit Height");
  pictures->SetControlType(&types);
  TwwDataSource src(nullptr);
  src.SetDataSet(pictures.get());
  TStringList columns;
  columns.Add("ID\t3\tNr.");
  columns.Add("NAME\t12\tLand");
  columns.Add("FLAGGE\t8\tFlagge~gestreckt");
  columns.Add("GROSS\t6\tFlagge~wie sie ist");
  columns.Add(CP1252("PRUEFEN\t6\tGeprüft").str());
  columns.Add("HOCH\t5\tNegativ");
  grid->SetTitleLines(2);
  grid->SetRowHeightPercent(200);
  grid->SetTitleButtons(true);
  // The new source first: entries of fields the shown dataset lacks would
  // leave the list.
  grid->SetDataSource(&src);
  grid->SetSelected(&columns);
  grid->SetOptions(grid->Options() | dgRowSelect);
  driver.PressKey(VK_DOWN);
  driver.PressKey(VK_DOWN);
  driver.Process();
  driver.SavePng(form, "dbgrid_pictures");

  auto at = [&](int col, int r, int dx, int dy) {
    const TRect c = grid->CellRect(col, grid->TitleOffset() + r);
    return ColorToRGB(driver.PixelAt(grid, c.Left + dx, c.Top + dy));
  };
  const TRect cell = grid->CellRect(3, grid->TitleOffset());
  // Stretched over the cell: the stripes fill its height in thirds.
  EXPECT_EQ(at(3, 0, cell.Width() / 2, cell.Height() / 6), ColorToRGB(clBlack));
  EXPECT_EQ(at(3, 0, cell.Width() / 2, cell.Height() / 2), ColorToRGB(clRed));
  EXPECT_EQ(at(3, 0, cell.Width() / 2, cell.Height() * 5 / 6), ColorToRGB(RGB(255, 204, 0)));
  // Original size: from one pixel in, the rest of the cell is background.
  EXPECT_EQ(at(4, 0, 1, 1), ColorToRGB(clBlack));
  EXPECT_EQ(at(4, 0, 1, 17), ColorToRGB(RGB(255, 204, 0)));
  EXPECT_EQ(at(4, 0, 1, 20), ColorToRGB(clWindow));
  // Fit to the height, inverted: as tall as the cell, cut at its width.
  const TRect high = grid->CellRect(6, grid->TitleOffset());
  EXPECT_EQ(at(6, 0, 2, high.Height() / 6), ColorToRGB(clWhite));
  EXPECT_EQ(at(6, 0, 2, high.Height() / 2), ColorToRGB(RGB(0, 255, 255)));
  EXPECT_EQ(at(6, 0, high.Width() - 2, high.Height() / 2), ColorToRGB(RGB(0, 255, 255)));
  EXPECT_EQ(at(6, 0, 2, high.Height() - 2), ColorToRGB(RGB(0, 51, 255)));
  // The stored header is skipped.
  EXPECT_EQ(at(4, 2, 5, 2), ColorToRGB(RGB(174, 28, 40)));
  // An unreadable picture leaves the background.
  EXPECT_EQ(at(3, 4, cell.Width() / 2, cell.Height() / 2), ColorToRGB(clWindow));
  // The highlighted row: a highlight frame round the picture.
  EXPECT_EQ(at(3, 2, 0, cell.Height() / 2), ColorToRGB(clHighlight));
  EXPECT_EQ(at(2, 2, cell.Width() - 4, 2), ColorToRGB(clHighlight));

  // A picture cell is never edited as text.
  grid->SetOptions(grid->Options() & ~dgRowSelect);
  grid->SetSelectedIndex(2);
  driver.PressKey(VK_F2);
  driver.Type("x");
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
  EXPECT_EQ(pictures->State(), dsBrowse);
  grid->SetDataSource(nullptr);
}

}  // namespace wwtest
