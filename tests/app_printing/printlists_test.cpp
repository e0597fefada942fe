// The printed lists of own entries, opened from the main window's menu
// behind the password, narrowed to one selection code, laid out in the
// print setup (a landscape page, a title of its own) and printed from the
// preview into PDF files: pdftotext reads the entries of the range in their
// order under their year or day headings and only those with the code,
// pdfinfo the page set up. And the lists' edges: dates in reverse order,
// a list without entries, a date not typed out, the stored code shown again.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/main/dialogs.h"
#include "app/printing/druceige.h"
#include "app/printing/drusetup.h"
#include "app/windows/preview.h"
#include "app/windows/seite.h"
#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"
#include "tests/app_main/main_fixture.h"
#include "tests/shell_helpers.h"

namespace {

using testshell::Shell;
using testshell::Have;

namespace fs = std::filesystem;

void TypeInto(TUiTestDriver& d, TCustomEdit* e, const AnsiString& text) {
  d.Click(e);
  e->SelectAll();
  d.PressKey(VK_DELETE);
  d.Type(text);
}

// An own entry of the sample set.
struct Own {
  int Type, Day, Month, Year;
  const char* First;  // UTF-8, persons
  const char* Last;
  const char* Place;
  const char* Time;
  const char* Text;
  const char* Codes;  // selection codes, blank-separated
};

const Own kOwn[] = {
    {2, 14, 5, 1990, "", "", "", "", "Umzug nach Bern", "FAM"},
    {2, 3, 1, 1990, "", "", "", "", "Erster Schultag der Kinder", "FAM FRE"},
    {2, 31, 12, 1989, "", "", "", "", "Silvester in Wien", "FRE"},
    {2, 20, 7, 1992, "", "", "", "", "Hochzeit von Clara und Paul", "FAM"},
    {2, 20, 7, 1993, "", "", "", "", "Nicht in der Auswahl", ""},
    {2, 1, 1, 1995, "", "", "", "", "Nach dem Zeitraum", "FAM"},
    {1, 29, 2, 1960, "Clara", "Schaltjahr", "Zürich", "07:45:00", "Lieblingsfarbe Blau", "FAM"},
    {1, 28, 2, 1975, "Paul", "Februar", "", "23:05:00", "", "FAM"},
    {1, 28, 2, 1950, "Anna", "Vorher", "Basel", "", "", "FAM FRE"},
    {1, 2, 2, 1962, "Otto", "Ohnecode", "Bern", "", "", ""},
    {1, 17, 2, 1962, "Emil", "Freund", "", "", "", "FRE"},
    {1, 3, 3, 1970, "Maria", "Maerz", "Genf", "12:00:00", "", "FAM"},
    {1, 4, 3, 1970, "Max", "Punkt", "Garmisch-Partenkirchen Obb.", "", "", "FAM"},  // one full stop
    {1, 1, 1, 1900, "Neu", "Jahr", "", "", "", ""},          // the lowest key of all
    {1, 31, 12, 1999, "Silvia", "Ende", "", "", "", ""},     // the highest key of all
};

class PrintedLists : public maintest::MainWindowTest {
 protected:
  void Prepare() {
    f = Start();
    auto codes = apptest::OpenTable("OrvUser", "SELCODE.FFD");
    for (auto [id, name] : {std::pair{"FAM", "Familie"}, std::pair{"FRE", "Freunde"}}) {
      codes->Append();
      codes->FieldByName("SELC_ID")->SetAsString(id);
      codes->FieldByName("SELC_NAME")->SetAsString(name);
      codes->Post();
    }
    auto own = apptest::OpenTable("OrvUser", "EIGENES.FFD");
    auto links = apptest::OpenTable("OrvUser", "EIGESELC.FFD");
    int id = 0;
    for (const Own& o : kOwn) {
      own->Append();
      own->FieldByName("EIGE_ID")->SetAsInteger(++id);
      own->FieldByName("EIGE_TYP")->SetAsInteger(o.Type);
      own->FieldByName("EIGE_DATUM")->SetAsDateTime(EncodeDate(o.Year, o.Month, o.Day));
      own->FieldByName("EIGE_TAG")->SetAsInteger(o.Day);
      own->FieldByName("EIGE_MONAT")->SetAsInteger(o.Month);
      own->FieldByName("EIGE_JAHR")->SetAsInteger(o.Year);
      own->FieldByName("EIGE_VORNAME")->SetAsString(CP(o.First));
      own->FieldByName("EIGE_NACHNAME")->SetAsString(CP(o.Last));
      own->FieldByName("EIGE_ORTPR")->SetAsString(*o.Place ? "in" : "");
      own->FieldByName("EIGE_ORT")->SetAsString(CP(o.Place));
      if (*o.Time) own->FieldByName("EIGE_ZEIT")->SetAsString(o.Time);
      own->FieldByName("EIGE_TEXT")->SetAsString(CP(o.Text));
      own->Post();
      for (const AnsiString& code : {AnsiString("FAM"), AnsiString("FRE")})
        if (std::string(o.Codes).find(code) != std::string::npos) {
          links->Append();
          links->FieldByName("SELC_ID")->SetAsString(code);
          links->FieldByName("EIGE_ID")->SetAsInteger(id);
          links->Post();
        }
    }
    Printer()->SetPrinterIndex(0);
  }

  static AnsiString CP(const char* utf8) {
    AnsiString s;
    Utf8ToCp1252(utf8, s);
    return s;
  }

  // The list window of the menu item, opened behind the password; `steps`
  // runs in it.
  void OpenList(TMenuItem* item, const std::function<void(TfrmDruckEige&)>& steps) {
    if (!PendingPassword.empty())
      driver.WhenModal([&](TCustomForm& active) {
        auto& pw = dynamic_cast<TfrmPasswort&>(active);
        driver.Type(PendingPassword);
        driver.Click(pw.pbOk);
      });
    driver.WhenModal([&](TCustomForm& active) { steps(dynamic_cast<TfrmDruckEige&>(active)); });
    item->Click();
  }

  // "Auswahl" with the code picked from the code list's drop-down.
  void ChooseCode(TfrmDruckEige& d, const char* name) {
    driver.Click(d.rgSelCode->Buttons(1));
    ASSERT_TRUE(d.cmbSelCode->Enabled());
    d.cmbSelCode->SetFocus();
    driver.PressKey(VK_DOWN, ssAlt);
    driver.Type(name);
    driver.Advance(400);
    driver.PressKey(VK_RETURN);
  }

  // "Erstellen", the preview saved as a picture and printed into a PDF
  // file through its tool bar; the file's text (-layout) and pdfinfo.
  void CreateAndPrint(TfrmDruckEige& d, const std::string& name, std::string& text, std::string& info) {
    const std::string pdf = (Root() / (name + ".pdf")).string();
    driver.WhenModal([&](TCustomForm& active) {
      auto& p = dynamic_cast<TfrmPreview&>(active);
      p.SetBounds(0, 0, 760, 560);
      driver.Process();
      driver.SavePng(&p, "printing_preview_" + name);
      driver.WhenModal([&](TCustomForm& dlg) { dlg.SetModalResult(mrOk); });
      driver.AnswerNextFileDialog(pdf);
      driver.Click(p.WPToolBar1->ButtonOf(wpgPrint, wpcmdPrint));
      driver.PressKey(VK_ESCAPE);
    });
    driver.Click(d.pbDrucken);
    ASSERT_TRUE(fs::exists(pdf)) << name;
    text = Shell("pdftotext -layout '" + pdf + "' -");
    info = Shell("pdfinfo '" + pdf + "'");
  }

  TfrmMain* f = nullptr;
};

// Whether the texts stand in the text in this order (each after the one
// before it).
::testing::AssertionResult InOrder(const std::string& text, const std::vector<std::string>& parts) {
  size_t at = 0;
  for (const std::string& p : parts) {
    const size_t found = text.find(p, at);
    if (found == std::string::npos)
      return ::testing::AssertionFailure() << "\"" << p << "\" not after " << at << "\n" << text;
    at = found + p.size();
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Absent(const std::string& text, const std::vector<std::string>& parts) {
  for (const std::string& p : parts)
    if (text.find(p) != std::string::npos) return ::testing::AssertionFailure() << "\"" << p << "\" in\n" << text;
  return ::testing::AssertionSuccess();
}

bool PageSize(const std::string& info, double& w, double& h) {
  const size_t at = info.find("Page size:");
  return at != std::string::npos && std::sscanf(info.c_str() + at, "Page size: %lf x %lf", &w, &h) == 2;
}

TEST_F(PrintedLists, EachListByItsCodeIntoAPdfFile) {
  if (!Have("pdfinfo") || !Have("pdftotext")) GTEST_SKIP() << "pdfinfo or pdftotext is not installed";
  Prepare();
  Password = PendingPassword = "geheim";
  PasswordOnce = false;
  std::string text, info;

  // The diary of 1989 to 1994 for "Familie", on A4 landscape with a title
  // of its own.
  OpenList(f->mnpTagebuch, [&](TfrmDruckEige& d) {
    EXPECT_EQ(d.Caption(), "Tagebuch");
    EXPECT_FALSE(d.cmbSelCode->Enabled());
    TypeInto(driver, d.editDatumVon, "01.01.1989");
    TypeInto(driver, d.editDatumBis, "7.1.1994");
    EXPECT_FALSE(d.pbDrucken->Enabled()) << "a date not typed out";
    TypeInto(driver, d.editDatumBis, "31.12.1994");
    EXPECT_TRUE(d.pbDrucken->Enabled());
    ChooseCode(d, "Fam");
    driver.WhenModal([&](TCustomForm& active) {
      auto& s = dynamic_cast<TfrmDruSetup&>(active);
      TypeInto(driver, s.editTitel, "Unser Familientagebuch");
      driver.WhenModal([&](TCustomForm& dlg) {
        auto& page = dynamic_cast<TfrmSeite&>(dlg);
        page.cmbFormat->SetItemIndex(pfA4Landscape);
        page.cmbFormat->OnChange(page.cmbFormat);
        driver.Click(page.pbOk);
      });
      driver.Click(s.pbSeite);
      driver.Click(s.pbOk);
    });
    driver.Click(d.pbSetup);
    CreateAndPrint(d, "diary", text, info);
    driver.PressKey(VK_ESCAPE);
  });
  // Pages of pdftotext are split by form feeds; the year headings stand alone.
  EXPECT_TRUE(InOrder(text, {"Familie", "Unser Familientagebuch", "1990\n", "3.1.", "Erster Schultag der Kinder",
                             "14.5.", "Umzug nach Bern", "1992\n", "20.7.", "Hochzeit von Clara und Paul"}));
  EXPECT_TRUE(Absent(text, {"1989", "Silvester", "Nicht in der Auswahl", "Nach dem Zeitraum", "1993", "1995"}));
  double w = 0, h = 0;
  ASSERT_TRUE(PageSize(info, w, h)) << info;
  EXPECT_NEAR(w, kA4Height / 20.0, 1);  // landscape A4 in points
  EXPECT_NEAR(h, kA4Width / 20.0, 1);
  EXPECT_EQ(PrintLists[plDiary].Page.Title, "Unser Familientagebuch");
  EXPECT_EQ(PrintLists[plDiary].Page.PaperWidth, kA4Height);
  EXPECT_EQ(PrintLists[plDiary].SelectionCode, "FAM");
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy", PrintLists[plDiary].DateTo), "31.12.1994");

  // The birthday list of 1950 to 1975 for "Familie": by year, with the
  // birth details as far as they are known.
  OpenList(f->mnpGebListe, [&](TfrmDruckEige& d) {
    TypeInto(driver, d.editDatumVon, "01.01.1950");
    TypeInto(driver, d.editDatumBis, "28.02.1975");
    ChooseCode(d, "Fam");
    CreateAndPrint(d, "birthday_list", text, info);
    driver.PressKey(VK_ESCAPE);
  });
  EXPECT_TRUE(InOrder(
      text, {"Familie", "Geburtstagsliste", "1950\n", "28.2.", "Anna Vorher, geboren in Basel.", "1960\n", "29.2.",
             "Clara Schaltjahr, geboren um 07:45 Uhr in Zürich.", "Lieblingsfarbe Blau", "1970\n", "3.3.",
             "Maria Maerz, geboren um 12:00 Uhr in Genf.", "1975\n", "28.2.", "Paul Februar, geboren um 23:05 Uhr."}));
  EXPECT_TRUE(Absent(text, {"Otto", "Emil", "1962", "Obb.."}));
  ASSERT_TRUE(PageSize(info, w, h));
  EXPECT_NEAR(w, kA4Width / 20.0, 1);  // the list's own page: A4 upright

  // The birthday overview of February, every code: by day, 29 February
  // after 28 February.
  OpenList(f->mnpGebUebersicht, [&](TfrmDruckEige& d) {
    d.cmbMonat->SetFocus();
    driver.PressKey(VK_DOWN);
    EXPECT_EQ(d.cmbMonat->ItemIndex(), 1);
    CreateAndPrint(d, "birthday_overview", text, info);
    driver.PressKey(VK_ESCAPE);
  });
  EXPECT_TRUE(InOrder(text, {"Geburtstagsübersicht", "Februar", "2.", "Otto Ohnecode, 1962, geboren in Bern.", "17.",
                             "Emil Freund, 1962", "28.", "Anna Vorher, 1950", "28.", "Paul Februar, 1975", "29.",
                             "Clara Schaltjahr, 1960"}));
  EXPECT_TRUE(Absent(text, {"Maria", "Familie"}));
}

TEST_F(PrintedLists, ReversedDatesAreSwappedAndAnEmptyListShowsTheEmptyPreview) {
  Prepare();
  // The text of the preview's document after "Erstellen".
  auto created = [&](TfrmDruckEige& d) {
    std::string text = "no preview";
    driver.WhenModal([&](TCustomForm& active) {
      text = dynamic_cast<TfrmPreview&>(active).WPRichText1->Lines()->Text();
      driver.PressKey(VK_ESCAPE);
    });
    driver.Click(d.pbDrucken);
    return text;
  };
  std::string ordered, reversed, empty;
  OpenList(f->mnpTagebuch, [&](TfrmDruckEige& d) {
    TypeInto(driver, d.editDatumVon, "01.01.1989");
    TypeInto(driver, d.editDatumBis, "31.12.1994");
    ordered = created(d);
    TypeInto(driver, d.editDatumVon, "31.12.1994");
    TypeInto(driver, d.editDatumBis, "01.01.1989");
    reversed = created(d);
    TypeInto(driver, d.editDatumVon, "01.01.2000");
    TypeInto(driver, d.editDatumBis, "31.12.2010");
    empty = created(d);
    TypeInto(driver, d.editDatumBis, "31.02.1990");
    driver.AnswerNextMessageBox(IDOK);
    driver.Click(d.pbDrucken);
    driver.Click(d.pbExit);
  });
  EXPECT_NE(ordered.find("Umzug nach Bern"), std::string::npos) << ordered;
  EXPECT_EQ(reversed, ordered);
  EXPECT_EQ(Trim(empty), "") << "a list without entries shows the empty document";
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_NE(driver.MessageBoxes()[0].Text.find(CP1252("\"31.02.1990\" ist kein gültiges Datum").str()),
            std::string::npos);
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy", PrintLists[plDiary].DateTo), "31.12.1999")
      << "a date that is no date is not stored";
  // Escape after "Erstellen" (the focus back in the date) keeps the date
  // shown, as "Schließen" does.
  OpenList(f->mnpTagebuch, [&](TfrmDruckEige& d) {
    TypeInto(driver, d.editDatumBis, "31.12.2020");
    created(d);
    driver.PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(FormatDateTime("dd.mm.yyyy", PrintLists[plDiary].DateTo), "31.12.2020");
  // The month without birthdays of "Freunde" is an empty document too.
  // The open list highlights its first row: Down goes to the second.
  OpenList(f->mnpGebUebersicht, [&](TfrmDruckEige& d) {
    driver.Click(d.rgSelCode->Buttons(1));
    d.cmbSelCode->SetFocus();
    driver.PressKey(VK_DOWN, ssAlt);
    driver.PressKey(VK_DOWN);
    driver.PressKey(VK_RETURN);
    d.cmbMonat->SetItemIndex(2);
    empty = created(d);
    driver.PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(Trim(empty), "");
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
  // Closing kept the choices, nothing of SELCODE changed; opened again the
  // window shows the stored code, its list under the title "Bezeichnung".
  EXPECT_EQ(PrintLists[plBirthdayOverview].Month, 2);
  EXPECT_EQ(PrintLists[plBirthdayOverview].SelectionCode, "FRE");
  OpenList(f->mnpGebUebersicht, [&](TfrmDruckEige& d) {
    EXPECT_TRUE(d.cmbSelCode->Enabled());
    EXPECT_EQ(d.cmbSelCode->Text(), "Freunde");
    driver.SavePng(&d, "printing_stored_code");
    d.cmbSelCode->SetFocus();
    driver.PressKey(VK_DOWN, ssAlt);
    ASSERT_TRUE(d.cmbSelCode->ListVisible());
    EXPECT_EQ(d.cmbSelCode->Grid()->TitleOffset(), 1);
    driver.SavePng(d.cmbSelCode->DropWindow(), "printing_code_list");
    driver.PressKey(VK_ESCAPE);
    driver.PressKey(VK_ESCAPE);
  });
  auto codes = apptest::OpenTable("OrvUser", "SELCODE.FFD", "XSELC_ID");
  EXPECT_EQ(codes->RecordCount(), 2);
  ASSERT_TRUE(codes->FindKey({"FAM"}));
  EXPECT_EQ(codes->FieldByName("SELC_NAME")->AsString(), "Familie");
  // January: the first birthday holds the lowest key of the whole table;
  // December: the last one the highest, listed once.
  auto own = apptest::OpenTable("OrvUser", "EIGENES.FFD");
  auto links = apptest::OpenTable("OrvUser", "EIGESELC.FFD");
  TPrintListQuery q;
  q.List = plBirthdayOverview;
  q.Page = &PrintLists[plBirthdayOverview].Page;
  EXPECT_EQ(BuildPrintList(f->WPRichText1, q, own.get(), links.get()), 1);
  EXPECT_NE(f->WPRichText1->Lines()->Text().find("Neu Jahr, 1900"), std::string::npos);
  f->WPRichText1->ClearText();
  q.Month = 12;
  EXPECT_EQ(BuildPrintList(f->WPRichText1, q, own.get(), links.get()), 1);
  const std::string december = f->WPRichText1->Lines()->Text();
  EXPECT_EQ(december.find("Silvia Ende"), december.rfind("Silvia Ende")) << december;
  // By keys alone: Strg+P creates the list, Tab reaches the tool buttons, Enter on one presses it alone.
  AnsiString keys;
  for (TMenuItem* item : {f->mnpTagebuch, f->mnpGebListe, f->mnpGebUebersicht})
    OpenList(item, [&](TfrmDruckEige& d) {
      driver.WhenModal([&](TCustomForm& p) { keys += d.pbDrucken->Hint() + ": " + p.Caption(); p.Close(); });
      driver.PressKey('P', ssCtrl);
      for (int i = 0; i < 9 && d.ActiveControl() != d.pbExit; ++i, driver.PressKey(VK_TAB)) {
        keys += " " + (d.ActiveControl()->Name().empty() ? d.ActiveControl()->Caption() : d.ActiveControl()->Name());
        if (d.ActiveControl() == d.pbHilfe) driver.PressKey(VK_RETURN);  // the help's box, no list
      }
      driver.PressKey(VK_RETURN);  // on "Schließen"
    });
  const AnsiString made = "Erstellen (Strg+P): Vorschau", tools = " pbHilfe pbSetup pbDrucken";
  const AnsiString dates = made + " Alle editDatumVon editDatumBis" + tools;
  EXPECT_EQ(keys, dates + dates + made + " Auswahl cmbSelCode cmbMonat" + tools);
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 3) << "the help's";
}

}  // namespace
