// The parameter dialog and the place picker on the main window: country and
// confession chosen by clicks change the holiday the calendar box names (the
// calendar library's name for them) while the holidays page is rebuilt;
// Berlin taken from the picker and confirmed through the dialog's degrees
// and minutes gives the box Berlin's sunrise; every position the dialog
// shows comes back as shown; Cancel undoes a place taken over.
#include "app/dialogs/params.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/dialogs/lage.h"
#include "app/main/calbox.h"
#include "app/windows/saying.h"
#include "calendar/astro.h"
#include "calendar/holidays.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "tests/app_main/main_fixture.h"

namespace {

using maintest::MainWindowTest;

// The texts of the box's face as the main window paints it now.
std::vector<std::string> Face(TfrmMain* f, int mode) {
  std::vector<std::string> out;
  for (const CalendarBoxItem& i :
       CalendarBoxFace(f->boxKalender->Canvas(), f->boxKalender->Width(), f->boxKalender->Height(), mode,
                       CalendarBoxDayOfSettings(CurrentDateKey)))
    out.push_back(i.Text);
  return out;
}
bool OnFace(const std::vector<std::string>& face, const std::string& text) {
  std::string all;
  for (const std::string& t : face) all += t + " ";
  return all.find(text) != std::string::npos;
}

// The degrees, minutes and hemisphere the dialog shows.
std::string Shown(TfrmParams& p) {
  auto list = [](TComboBox* c) { return c->Items()->Strings(c->ItemIndex()); };
  return p.spBreiteGrad->Text() + " " + p.spBreiteMin->Text() + " " + list(p.cmbBreite) + " / " +
         p.spLaengeGrad->Text() + " " + p.spLaengeMin->Text() + " " + list(p.cmbLaenge);
}

TEST(Coordinates, EveryPositionShownComesBackAndTheCalculatedTextsRead) {
  for (int d = 0; d <= 179; ++d)
    for (int m = 0; m <= 59; ++m)
      for (bool neg : {false, true}) {
        const TDegreesMinutes back = SplitCoordinate(JoinCoordinate(d, m, neg));
        ASSERT_EQ(back.Degrees * 60 + back.Minutes, d * 60 + m) << d << " " << m;
        ASSERT_EQ(back.Negative, neg && (d || m));
      }
  EXPECT_EQ(SplitCoordinate(47.99L).Minutes, 59) << "cut, not rounded";
  EXPECT_EQ(FormatCoordinate(CP1252("nörd").str(), CP1252("süd").str(), "Breite", 50.0L),
            CP1252("50° 0' nördliche Breite").str());
  EXPECT_EQ(FormatCoordinate("west", CP1252("öst").str(), CP1252("Länge").str(), -7.5L),
            CP1252("7° 30' östliche Länge").str());
}

TEST_F(MainWindowTest, CountryConfessionAndAPlaceFromThePickerReachTheBoxAndThePage) {
  TfrmMain* f = Start();
  // A day of 2026 that Switzerland's protestants name otherwise than
  // Germany's catholics, on the holidays page.
  int32_t dn = PackedDateToDayNumber(MakePackedDate(2026, 1, 1));
  while (HolidayName(dn, 0, 2).Name == HolidayName(dn, 1, 0).Name || HolidayName(dn, 0, 2).Name.empty()) ++dn;
  ShowDay(f, PackedDateToDateTime(DayNumberToPackedDate(dn)));
  f->mnpFTag->Click();
  const std::string page = f->WPRichText1->Lines()->Text();
  const std::vector<std::string> faceBefore = Face(f, 0);
  EXPECT_TRUE(OnFace(faceBefore, HolidayName(dn, 1, 0).Name.substr(0, 12)));

  Application->CreateForm(frmSpruch);
  frmSpruch->Show();
  driver.WhenModal([&](TCustomForm& active) {
    auto& p = dynamic_cast<TfrmParams&>(active);
    EXPECT_EQ(Shown(p), "50 0 Nord / 10 0 Ost");
    EXPECT_EQ(p.rgSpruchtyp->Items()->Strings(2), "Kindermund");
    for (int i = 3; i >= 0; --i) {
      p.PageControl1->SetActivePageIndex(i);
      driver.Process();
      if (i == 2) driver.Click(p.cbSpruchOben);
      driver.SavePng(&p, "dialogs_parameter_" + std::to_string(i));
    }
    driver.Click(p.rgLand->Buttons(2));
    driver.Click(p.rgKonfession->Buttons(0));
    driver.WhenModal([&](TCustomForm& picker) {
      auto& l = dynamic_cast<TfrmLage&>(picker);
      driver.Type("Berl");
      driver.Advance(400);
      EXPECT_EQ(l.txtOrt->Caption(), "Berlin");
      EXPECT_EQ(l.txtBreite->Caption(), CP1252("52° 31' nördliche Breite").str());
      EXPECT_EQ(l.txtLaenge->Caption(), CP1252("13° 24' östliche Länge").str());
      driver.SavePng(&l, "dialogs_place_picker");
      driver.PressKey(VK_TAB);  // the list frames its row while it has the keyboard; letters typed there search
      const TRect r = l.gridLage->CellRect(1, l.gridLage->Row());
      const bool framed = driver.PixelAt(l.gridLage, r.Left, r.Top) != driver.PixelAt(l.gridLage, r.Left + 1, r.Top);
      driver.Type("Berli");
      EXPECT_EQ(l.editGoto->Text() + (framed ? " framed" : ""), "Berli framed");
      driver.PressKey(VK_RETURN);
    });
    driver.Click(p.pbVorgabe);
    EXPECT_EQ(Shown(p), "52 31 Nord / 13 24 Ost");
    driver.Click(p.pbOk);
  });
  const int pages = f->PagesBuilt();
  f->SetFocus();  // the user works in the main window
  f->mnpParams->Click();
  EXPECT_EQ(Country, 2);
  EXPECT_EQ(Confession, 0);
  EXPECT_TRUE(frmSpruch->Visible());
  EXPECT_EQ(frmSpruch->FormStyle(), fsStayOnTop) << "the saying window stays in front now";
  EXPECT_EQ(Latitude, 52 + 31 / 60.0L) << "the degrees and minutes the dialog showed";
  EXPECT_EQ(Longitude, -(13 + 24 / 60.0L));
  // The box names the holiday for Switzerland's protestants; the page was
  // built again and lists every holiday of the day, as before.
  EXPECT_TRUE(OnFace(Face(f, 0), HolidayName(dn, 0, 2).Name.substr(0, 12)));
  EXPECT_NE(Face(f, 0), faceBefore);
  EXPECT_EQ(f->PagesBuilt(), pages + 1);
  EXPECT_EQ(f->WPRichText1->Lines()->Text(), page);
  driver.PressKey(VK_F6);
  EXPECT_EQ(CurrentRubric, rbDeaths) << "the keyboard is back in the window that opened the dialog";

  // Berlin's sunrise on 21 June 2026: 04:43 summer time, as the calendar
  // library gives it for the dialog's values.
  ShowDay(f, EncodeDate(2026, 6, 21));
  driver.Click(f->boxKalender);
  const std::vector<std::string> face = Face(f, SunMoonMode);
  const auto sun = std::find(face.rbegin(), face.rend(), "Aufgang");  // the sun's block comes last
  ASSERT_NE(sun, face.rend());
  EXPECT_EQ(*(sun - 1), TimeText(SunRise(EncodeDate(2026, 6, 21), 52 + 31 / 60.0L, -(13 + 24 / 60.0L)) + 2.0 / 24));
  EXPECT_EQ(*(sun - 1), "04:43");
  maintest::MainWindowTest::SaveScreen(f, "dialogs_box_after_parameters");
}

TEST_F(MainWindowTest, PositionsTypedAtTheLimitsAndCancelAfterAPlaceTakenOver) {
  Start();
  Latitude = -33.5L;
  Longitude = 10.0L;
  driver.WhenModal([&](TCustomForm& active) {
    auto& p = dynamic_cast<TfrmParams&>(active);
    EXPECT_EQ(Shown(p), CP1252("33 30 Süd / 10 0 West").str());
    std::string order;  // Tab: each coordinate's own fields, then its direction
    driver.Click(p.spBreiteGrad);
    for (int i = 0; i < 5; ++i, order += p.ActiveControl()->Name() + " ") driver.PressKey(VK_TAB);
    EXPECT_EQ(order, "spBreiteMin cmbBreite spLaengeGrad spLaengeMin cmbLaenge ");
    // Beyond a limit a message, leaving the field or by Ok; the field keeps
    // the focus and the dialog stays open.
    for (auto [edit, text, message] :
         {std::tuple{p.spBreiteGrad, "99", "Bei \"Breite\" sind 0 bis 89 Grad möglich, nicht \"99\"."},
          {p.spLaengeMin, "75", "Bei \"Länge\" sind 0 bis 59 Minuten möglich, nicht \"75\"."}}) {
      driver.Click(edit);
      edit->SelectAll();
      driver.Type(text);
      const size_t boxes = driver.MessageBoxes().size();
      for (TControl* next : {static_cast<TControl*>(p.spLaengeGrad), static_cast<TControl*>(p.pbOk)}) {
        driver.AnswerNextMessageBox(IDOK);
        driver.Click(next);
      }
      ASSERT_EQ(driver.MessageBoxes().size(), boxes + 2);
      AnsiString expected;
      Utf8ToCp1252(message, expected);
      EXPECT_EQ(driver.MessageBoxes().back().Text, expected);
      EXPECT_TRUE(edit->Focused());
      EXPECT_EQ(p.ModalResult(), mrNone);
      edit->SelectAll();
      driver.Type("0");
    }
    // The limits are taken; "Süd" is negative, "West" positive.
    for (auto [edit, text] :
         {std::pair{p.spBreiteGrad, "89"}, {p.spBreiteMin, "59"}, {p.spLaengeGrad, "179"}, {p.spLaengeMin, "59"}}) {
      driver.Click(edit);
      edit->SelectAll();
      driver.Type(text);
    }
    driver.Click(p.pbOk);
  });
  ASSERT_EQ(ShowParams(), mrOk);
  EXPECT_EQ(Latitude, -(89 + 59 / 60.0L));
  EXPECT_EQ(TIniFile(Ini().string()).ReadString("ALLGEMEIN", "Geografische Breite", ""), FloatToStr(Latitude));
  EXPECT_EQ(Longitude, 179 + 59 / 60.0L);
  // A place taken over, then the dialog cancelled: the position before.
  driver.WhenModal([&](TCustomForm& active) {
    auto& p = dynamic_cast<TfrmParams&>(active);
    driver.WhenModal([&](TCustomForm&) {
      driver.Type("Aach");
      driver.Advance(400);
      driver.PressKey(VK_RETURN);
    });
    driver.Click(p.pbVorgabe);
    EXPECT_EQ(Latitude, static_cast<long double>(50.78));
    driver.Click(p.rgLand->Buttons(1));
    driver.PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(ShowParams(), mrCancel);
  EXPECT_EQ(Latitude, -(89 + 59 / 60.0L));
  EXPECT_EQ(Longitude, 179 + 59 / 60.0L);
  EXPECT_EQ(Country, 0);
  driver.WhenModal([&](TCustomForm&) { driver.Type("Berl"); driver.PressKey(VK_RETURN); });  // Enter at once
  ASSERT_EQ(ShowLage(), mrOk);
  EXPECT_EQ(Latitude, static_cast<long double>(52.52));
}

}  // namespace
