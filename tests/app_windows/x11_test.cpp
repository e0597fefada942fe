// The real program under a virtual X server (skipped without xvfb-run or
// xclip): a user clicks a person's link on the births page, follows a link
// in the data window, goes back, copies the page (read back with xclip),
// closes it, and opens the warner and the saying window from the tool bar.
// What the program shows is compared with the same windows built here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "app/main/mainwin.h"
#include "app/windows/datawin.h"
#include "app/windows/saying.h"
#include "app/windows/warner.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/clipbrd.h"
#include "tests/app_main/x11_screen.h"
#include "tests/app_windows/windows_fixture.h"

namespace {

using namespace wintest;

// A grabbed picture, also kept as PNG beside the test's other pictures.
TSurface ReadPpm(const fs::path& path) {
  TSurface s = x11test::ReadPpm(path);
  const std::vector<std::uint8_t> png = GfxPlatform()->EncodePng(s);
  std::ofstream(TUiTestDriver::ArtifactDir() + "/windows_x11_" + path.stem().string() + ".png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return s;
}

// A control's place in its form's client area.
TRect InForm(TControl* c) {
  TCustomForm* f = GetParentForm(c);
  const TPoint at = c->ClientToScreen({0, 0});
  return Bounds(at.X - f->ClientOrigin().X, at.Y - f->ClientOrigin().Y, c->ClientWidth(), c->ClientHeight());
}

std::string At(TControl* c, TPoint p = {-1, -1}, int bar = 0) {
  const TRect r = InForm(c);
  if (p.X < 0) p = {r.Width() / 2, r.Height() / 2};
  return std::to_string(r.Left + p.X) + " " + std::to_string(r.Top + p.Y + bar) + " ";
}

// Pixels of `r` that differ between the grabbed window and what its form
// showed here.
int Differences(const TSurface& grabbed, const TSurface& own, const TRect& r) {
  int diff = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      diff += y >= grabbed.Height() || x >= grabbed.Width() ||
              (grabbed.Row(y)[x] | 0xFF000000u) != (own.Row(y)[x] | 0xFF000000u);
  return diff;
}

// The same for a control of a form as it is now.
int Differences(const TSurface& grabbed, TControl* c) {
  TCustomForm* form = GetParentForm(c);
  form->PaintPending();
  return Differences(grabbed, *form->Surface(), InForm(c));
}

// A control as its form shows it now, as a P6 file that the user waits to
// see at its place in the real window ("# at X Y", below a menu bar of
// `bar` pixels).
void WriteExpected(TControl* c, const fs::path& path, int bar = 0) {
  TCustomForm* form = GetParentForm(c);
  form->PaintPending();
  const TRect r = InForm(c);
  std::ofstream f(path, std::ios::binary);
  f << "P6\n# at " << r.Left << " " << r.Top + bar << "\n" << r.Width() << " " << r.Height() << "\n255\n";
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      const std::uint32_t px = form->Surface()->Row(y)[x];
      const char rgb[3] = {static_cast<char>(px >> 16), static_cast<char>(px >> 8), static_cast<char>(px)};
      f.write(rgb, 3);
    }
}

TEST_F(WindowsTest, TheRealProgramOpensTheDataWindowFromALinkAndTheWarnerAndTheSayingFromItsToolBar) {
  if (!Have("xvfb-run") || !Have("xclip")) GTEST_SKIP() << "xvfb-run or xclip is not installed";
  const std::string ini =
      "[ALLGEMEIN]\r\nRubrik=2\r\nLetzte Rubrik anzeigen=1\r\nTermine anzeigen=0\r\n[HAUPTFENSTER]\r\nLinks=0\r\n"
      "Oben=0\r\n[DATENFENSTER]\r\nLinks=40\r\nOben=30\r\nBreite=600\r\nHoehe=480\r\n[TERMINE]\r\nLinks=60\r\n"
      "Oben=50\r\nBreite=560\r\nHoehe=340\r\n[SPRUCH DES TAGES]\r\nLinks=80\r\nOben=70\r\nBreite=560\r\nHoehe=300\r\n";
  const fs::path dir = fs::path(testpaths::BinaryDir()) / "test-artifacts" / "app_windows" / "x11_program";
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(apptest::BuiltProgramDir() / "DATEN", dir / "DATEN", fs::copy_options::recursive);
  apptest::PlaceProgram(dir);
  apptest::Put(dir / "Orvelan.Ini", ini);

  // The same windows here. A day of this month (today when it can) whose
  // births page shows a link to a person whose own page links further.
  Start(ini);
  TfrmMain* m = nullptr;
  Application->CreateForm(m);
  Application->CreateForm(frmSpruch);
  m->Show();
  driver.Advance(200);
  const int bar = m->MenuBarHeight();
  const std::string mainTitle = Cp1252ToUtf8(m->Caption());
  // The user waits for each page as built here before going on from it.
  WriteExpected(m->WPRichText1, dir / "start.expected.ppm", bar);
  std::ofstream script(dir / "script.txt");
  script << "start " << (dir / "orvelan").string() << "\nwindow 30000 " << mainTitle << "\nshows 30000 "
         << (dir / "start.expected.ppm").string() << " " << mainTitle << "\n";
  int first = 0;
  TPoint link, cell{-1, -1};
  for (int tries = 0; tries < 28 && !first; ++tries) {
    if (tries > 0) {
      const int day = PackedDateDay(CurrentDateKey) % 28 + 1;
      for (int n = 1; n <= 42; ++n)
        if (StrToIntDef(Trim(m->Kalender->CellText(n)), 0) == day) {
          const TRect cr = m->Kalender->CellRect(n);
          cell = {(cr.Left + cr.Right) / 2, (cr.Top + cr.Bottom) / 2};
          driver.Click(m->Kalender, cell.X, cell.Y);
          driver.Advance(400);
          break;
        }
    }
    for (const TSourcePerson& p : Sources().Persons)
      if (!first && !LinksOf(p.Id).empty() && LinkPoint(m->WPRichText1, "p:" + IntToStr(p.Id), link, false))
        first = p.Id;
  }
  ASSERT_GT(first, 0);
  if (cell.X >= 0) {
    WriteExpected(m->WPRichText1, dir / "day.expected.ppm", bar);
    script << "click " << At(m->Kalender, cell, bar) << mainTitle << "\nshows 30000 "
           << (dir / "day.expected.ppm").string() << " " << mainTitle << "\n";
  }
  script << "click " << At(m->WPRichText1, link, bar) << mainTitle << "\n";
  // The warner and the saying window as built here, for the user to wait
  // for and the test to compare with.
  auto* w = new TfrmTermin(Application);
  w->SetDate(CurrentDateKey);
  w->FillTermine();
  w->dsEigeDataChange();
  w->Show();
  frmSpruch->Show();
  WriteExpected(w->pnlRight, dir / "warner.expected.ppm");
  WriteExpected(frmSpruch->memoSpruch, dir / "saying.expected.ppm");
  const TSurface warnerHere = *w->Surface(), sayingHere = *frmSpruch->Surface();
  const TRect warnerRect = InForm(w->pnlRight), sayingRect = InForm(frmSpruch->memoSpruch);
  w->Hide();
  frmSpruch->Hide();

  auto* d = new TfrmDispData(Application);
  d->ClearHistory();
  d->AddToHistory(dkPerson, first);
  d->Show();
  driver.Process();
  const std::string titleA = Cp1252ToUtf8(d->Caption());
  TPoint next;
  ASSERT_TRUE(LinkPoint(d->WPRichText1, "p:" + IntToStr(LinksOf(first)[0]), next, false));
  WriteExpected(d->WPRichText1, dir / "first.expected.ppm");
  script << "window 30000 " << titleA << "\nshows 30000 " << (dir / "first.expected.ppm").string() << " " << titleA
         << "\ngrab " << (dir / "first.ppm").string() << " " << titleA << "\nclick " << At(d->WPRichText1, next)
         << titleA << "\n";
  driver.Click(d->WPRichText1, next.X, next.Y);
  const std::string titleB = Cp1252ToUtf8(d->Caption());
  WriteExpected(d->WPRichText1, dir / "second.expected.ppm");
  script << "window 30000 " << titleB << "\nshows 30000 " << (dir / "second.expected.ppm").string() << " "
         << titleB << "\ngrab " << (dir / "second.ppm").string() << " " << titleB << "\nclick " << At(d->pbPrev)
         << titleB << "\nwindow 30000 " << titleA << "\nshows 30000 " << (dir / "first.expected.ppm").string()
         << " " << titleA << "\nclick " << At(d->pbCopy) << titleA
         << "\nwindow 30000 Orvelan\nrun xclip -o -selection clipboard > " << (dir / "clip.txt").string()
         << "\nclose Orvelan\ngone 30000 Orvelan\nclose " << titleA << "\ngone 30000 " << titleA << "\n";
  const std::string sayingTitle = Cp1252ToUtf8(SayingCaption(frmSpruch->Category()));
  script << "click " << At(m->pbTermine, {-1, -1}, bar) << mainTitle << "\nwindow 30000 Termine\nshows 30000 "
         << (dir / "warner.expected.ppm").string() << " Termine\ngrab " << (dir / "warner.ppm").string()
         << " Termine\nclose Termine\ngone 30000 Termine\nclick " << At(m->pbSpruch, {-1, -1}, bar) << mainTitle
         << "\nwindow 30000 " << sayingTitle << "\nshows 30000 " << (dir / "saying.expected.ppm").string() << " "
         << sayingTitle << "\ngrab " << (dir / "saying.ppm").string() << " " << sayingTitle << "\nclose "
         << mainTitle << "\nend 15000\n";
  script.close();

  const std::string user = (fs::read_symlink("/proc/self/exe").parent_path() / "x11_script_user").string();
  const int rc = std::system(("env -u QT_QPA_PLATFORM timeout 150 xvfb-run -a " + user + " " +
                              (dir / "script.txt").string() + " 2>" + (dir / "stderr.txt").string())
                                 .c_str());
  ASSERT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << apptest::Slurp(dir / "stderr.txt");

  // The pages, the clipboard, the warner and the saying as built here.
  const TSurface shownA = ReadPpm(dir / "first.ppm"), shownB = ReadPpm(dir / "second.ppm");
  EXPECT_EQ(Differences(shownB, d->WPRichText1), 0);
  EXPECT_GT(Differences(shownA, d->WPRichText1), 0);
  driver.Click(d->pbPrev);
  EXPECT_EQ(Differences(shownA, d->WPRichText1), 0);
  driver.AnswerNextMessageBox(IDOK);
  driver.Click(d->pbCopy);
  AnsiString clip;
  ASSERT_TRUE(Utf8ToCp1252(apptest::Slurp(dir / "clip.txt"), clip));
  EXPECT_EQ(Squeezed(clip), Squeezed(Clipboard()->AsText()));
  EXPECT_EQ(clip.find("p:"), AnsiString::npos);
  EXPECT_EQ(Differences(ReadPpm(dir / "warner.ppm"), warnerHere, warnerRect), 0);
  EXPECT_EQ(Differences(ReadPpm(dir / "saying.ppm"), sayingHere, sayingRect), 0);
  delete m;
}

}  // namespace
