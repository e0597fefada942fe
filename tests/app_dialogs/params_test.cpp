// The parameter dialog and the place picker on the main window: country and
// confession chosen by clicks change the holiday the calendar box names (the
// calendar library's name for that country and confession) while the
// holidays page is rebuilt; Berlin taken from the picker and confirmed
// through the dialog's degrees and minutes gives the box Berlin's sunrise;
// positions survive the dialog; Cancel undoes a place taken over.
#include <gtest/gtest.h>

#include "app/dialogs/lage.h"
#include "app/dialogs/params.h"
#include "app/main/calbox.h"
#include "calendar/astro.h"
#include "calendar/holidays.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "tests/app_main/main_fixture.h"

namespace {

using maintest::MainWindowTest;

// What the main window's box shows now, in the face of the mode.
std::vector<CalendarBoxItem> BoxFace(TfrmMain* f, int mode) {
  return CalendarBoxFace(f->boxKalender->Canvas(), f->boxKalender->Width(), f->boxKalender->Height(), mode,
                         CalendarBoxDayOfSettings(CurrentDateKey));
}

std::string FaceText(const std::vector<CalendarBoxItem>& items) {
  std::string s;
  for (const CalendarBoxItem& i : items) s += i.Text + " ";
  return s;
}

// The sun's rise as the sun-and-moon face shows it.
std::string SunriseOnFace(const std::vector<CalendarBoxItem>& items) {
  std::string time;
  for (size_t i = 0; i + 1 < items.size(); ++i)
    if (items[i].Text == "Aufgang") time = items[i + 1].Text;  // the sun's block comes last
  return time;
}

// The degrees, minutes and hemisphere the dialog shows.
std::string Shown(TfrmParams& p) {
  return p.spBreiteGrad->Text() + " " + p.spBreiteMin->Text() + " " +
         p.cmbBreite->Items()->Strings(p.cmbBreite->ItemIndex()) + " / " + p.spLaengeGrad->Text() + " " +
         p.spLaengeMin->Text() + " " + p.cmbLaenge->Items()->Strings(p.cmbLaenge->ItemIndex());
}

void TypeInto(TUiTestDriver& d, TCustomEdit* e, const AnsiString& text) {
  d.Click(e);
  e->SelectAll();
  d.PressKey(VK_DELETE);
  d.Type(text);
}

TEST(Coordinates, DegreesAndMinutesSurviveAndCalculatedTextsRead) {
  // Every position the dialog can show comes back as shown, both signs.
  for (int d = 0; d <= 179; ++d)
    for (int m = 0; m <= 59; ++m)
      for (bool neg : {false, true}) {
        const TDegreesMinutes back = SplitCoordinate(JoinCoordinate(d, m, neg));
        ASSERT_EQ(back.Degrees * 60 + back.Minutes, d * 60 + m) << d << " " << m;
        ASSERT_EQ(back.Negative, neg && (d || m));
      }
  // Minutes are cut, not rounded.
  EXPECT_EQ(SplitCoordinate(47.99L).Minutes, 59);
  EXPECT_EQ(SplitCoordinate(-33.5L).Degrees, 33);
  EXPECT_EQ(SplitCoordinate(-33.5L).Minutes, 30);
  EXPECT_EQ(FormatCoordinate(CP1252("nörd").str(), CP1252("süd").str(), "Breite", 50.0L),
            CP1252("50° 0' nördliche Breite").str());
  EXPECT_EQ(FormatCoordinate("west", CP1252("öst").str(), CP1252("Länge").str(), -7.5L),
            CP1252("7° 30' östliche Länge").str());
}

TEST_F(MainWindowTest, CountryConfessionAndAPlaceFromThePickerReachTheBoxAndThePage) {
  TfrmMain* f = Start();
  // A day of 2026 that Switzerland's protestants name otherwise than
  // Germany's catholics.
  PackedDate day{};
  for (int32_t dn = PackedDateToDayNumber(MakePackedDate(2026, 1, 1)); day.Month == 0; ++dn)
    if (HolidayName(dn, 0, 2).Name != HolidayName(dn, 1, 0).Name && !HolidayName(dn, 0, 2).Name.empty())
      day = DayNumberToPackedDate(dn);
  const int32_t dn = PackedDateToDayNumber(day);
  ShowDay(f, PackedDateToDateTime(day));
  f->mnpFTag->Click();
  ASSERT_EQ(CurrentRubric, rbHolidays);
  const std::string pageBefore = f->WPRichText1->Lines()->Text();
  const std::string faceBefore = FaceText(BoxFace(f, 0));
  EXPECT_NE(faceBefore.find(HolidayName(dn, 1, 0).Name.substr(0, 12)), std::string::npos) << faceBefore;

  driver.WhenModal([&](TCustomForm& active) {
    auto& p = dynamic_cast<TfrmParams&>(active);
    EXPECT_EQ(Shown(p), "50 0 Nord / 10 0 Ost");
    for (int i = 3; i >= 0; --i) {
      p.PageControl1->SetActivePageIndex(i);
      driver.Process();
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
      driver.PressKey(VK_RETURN);
    });
    driver.Click(p.pbVorgabe);
    EXPECT_EQ(Shown(p), "52 31 Nord / 13 24 Ost");
    driver.Click(p.pbOk);
  });
  const int pages = f->PagesBuilt();
  f->mnpParams->Click();
  EXPECT_EQ(Country, 2);
  EXPECT_EQ(Confession, 0);
  // The position as the dialog shows it: degrees and whole minutes.
  EXPECT_EQ(Latitude, 52 + 31 / 60.0L);
  EXPECT_EQ(Longitude, -(13 + 24 / 60.0L));
  // The box names the day's holiday for Switzerland's protestants; the
  // holidays page was built again and still lists every holiday of the day.
  const std::string face = FaceText(BoxFace(f, 0));
  EXPECT_NE(face, faceBefore);
  EXPECT_NE(face.find(HolidayName(dn, 0, 2).Name.substr(0, 12)), std::string::npos) << face;
  EXPECT_EQ(f->PagesBuilt(), pages + 1);
  EXPECT_EQ(f->WPRichText1->Lines()->Text(), pageBefore);

  // Berlin's sunrise on 21 June 2026 at 04:43 summer time, as the calendar
  // library gives it for the dialog's values.
  ShowDay(f, EncodeDate(2026, 6, 21));
  driver.Click(f->boxKalender);
  driver.Process();
  const std::string rise = SunriseOnFace(BoxFace(f, SunMoonMode));
  EXPECT_EQ(rise, TimeText(SunRise(EncodeDate(2026, 6, 21), 52 + 31 / 60.0L, -(13 + 24 / 60.0L)) + 2.0 / 24));
  EXPECT_EQ(rise, "04:43");
  maintest::MainWindowTest::SaveScreen(f, "dialogs_box_after_parameters");
}

TEST_F(MainWindowTest, PositionsTypedAtTheLimitsAndCancelAfterAPlaceTakenOver) {
  Start();
  Latitude = -33.5L;
  Longitude = 10.0L;
  // The limits are accepted, more is not; Süd and West come back negative
  // and positive.
  driver.WhenModal([&](TCustomForm& active) {
    auto& p = dynamic_cast<TfrmParams&>(active);
    EXPECT_EQ(Shown(p), CP1252("33 30 Süd / 10 0 West").str());
    TypeInto(driver, p.spBreiteGrad, "99");
    TypeInto(driver, p.spBreiteMin, "59");
    TypeInto(driver, p.spLaengeGrad, "179");
    TypeInto(driver, p.spLaengeMin, "75");
    driver.Click(p.pbOk);
  });
  ASSERT_EQ(ShowParams(), mrOk);
  EXPECT_EQ(SplitCoordinate(Latitude).Degrees, 89);
  EXPECT_EQ(SplitCoordinate(Latitude).Minutes, 59);
  EXPECT_LT(Latitude, 0);
  EXPECT_EQ(Longitude, 179 + 59 / 60.0L);
  const long double lat = Latitude, lon = Longitude;
  // Shown and confirmed unchanged: the same values.
  driver.WhenModal([&](TCustomForm& active) { driver.Click(dynamic_cast<TfrmParams&>(active).pbOk); });
  ASSERT_EQ(ShowParams(), mrOk);
  EXPECT_EQ(Latitude, lat);
  EXPECT_EQ(Longitude, lon);
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
  EXPECT_EQ(Latitude, lat);
  EXPECT_EQ(Longitude, lon);
  EXPECT_EQ(Country, 0);
}

}  // namespace
