// The default print templates the build installs beside the program: each
// reads as RTF, uses only placeholders of the template language, each
// placeholder written as one plain run (so the expansion finds it), and no
// placeholder of a date the template's types leave without meaning; each
// shown in an edit control and saved as a picture.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "app/base/userdb.h"
#include "platform/rtl/cp1252.h"
#include "richtext/controls/rtfedit.h"
#include "richtext/io/textio.h"
#include "richtext/model/finder.h"
#include "tests/app/app_fixture.h"

namespace {

std::set<std::string> KnownPlaceholders() {
  std::set<std::string> s;
  for (const char* v : {"<Name>", "<Nachname>", "<Vorname>", "<GebZeit>", "<GebOrt>"}) s.insert(v);
  s.insert(Utf8ToCp1252OrThrow("<Präp. GebOrt>"));
  for (const char* date : {"GebDat", "QuellDat", "AusgDat"})
    for (const char* part : {"W", "T", "M", "J", "Mond", "Mond Nom", "Mond Gen", "Mond Dat", "Mond Akk", "Stern",
                             "Stern Nom", "Stern Gen", "Stern Dat", "Stern Akk"})
      s.insert(std::string("<") + date + " " + part + ">");
  for (const char* span : {"Alter", "Zeit"})
    for (const char* part : {"Normal", "Dativ", "in Jahren", "in Monaten", "in Wochen", "in Tagen"})
      s.insert(std::string("<") + span + " " + part + ">");
  for (const char* sec :
       {"<Weltgeschehen am Geburtsdatum>", "<Weltgeschehen im Geburtsmonat>", "<Weltgeschehen am Geburtstag>",
        "<Weltgeschehen am Quelldatum>", "<Weltgeschehen im Quellmonat>", "<Geboren am Geburtsdatum>",
        "<Gleicher Geburtstag>", "<Geboren im Geburtsmonat>", "<Geboren am Quelldatum>", "<Geboren im Quellmonat>",
        "<Gestorben am Geburtsdatum>", "<Gestorben im Geburtsmonat>", "<Gestorben am Quelldatum>",
        "<Gestorben im Quellmonat>", "<Namenspatrone am Geburtstag>", "<Namenspatrone am Quelldatum>",
        "<Namenstage>", "<Namensformen>", "<Feiertage am Geburtstag>", "<Feiertage am Quelldatum>"})
    s.insert(sec);
  return s;
}

TEST(DefaultTemplates, ReadAsRtfWithKnownPlaceholdersOnly) {
  const std::set<std::string> known = KnownPlaceholders();
  ASSERT_EQ(known.size(), 80u);
  for (const TDefaultLayout& d : kDefaultLayouts) {
    SCOPED_TRACE(d.File);
    const auto path = apptest::BuiltProgramDir() / d.File;
    ASSERT_TRUE(apptest::fs::exists(path)) << "installed beside the program";
    const std::string rtf = apptest::Slurp(path);
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252", 0), 0u);

    // In the file every placeholder is plain text: no control word or
    // group inside, so it is one run of one look.
    const std::regex split("<[^<>]*\\\\[a-z{}][^<>]*>|<[^<>]*[{}][^<>]*>");
    EXPECT_FALSE(std::regex_search(rtf, split));

    TWPRTFTextIo text;
    text.LoadFromFile(path.string());
    EXPECT_EQ(text.LastResult, 0);
    TWPRtfStrings paragraphs(&text);
    ASSERT_GT(paragraphs.Count(), 3);
    std::string whole;
    for (int i = 0; i < paragraphs.Count(); ++i) whole += paragraphs.Strings(i) + "\n";
    EXPECT_EQ(paragraphs.Strings(0), d.Id == 1 ? "Geburtstagsblatt" : d.Id == 2 ? "Ein runder Tag" : "Namensblatt");

    std::set<std::string> used;
    const std::regex token("<[^<>\n]*>");
    for (auto it = std::sregex_iterator(whole.begin(), whole.end(), token); it != std::sregex_iterator(); ++it) {
      const std::string t = it->str();
      EXPECT_TRUE(known.count(t)) << "unknown placeholder " << t;
      used.insert(t);
    }
    EXPECT_GE(used.size(), 3u);
    TWPTextFinder finder(&text);
    for (const std::string& t : used) {
      finder.Reset();
      EXPECT_TRUE(finder.Find(t)) << t;
    }
    // A source date without meaning (type 9) has no placeholder; every
    // sheet speaks of its person.
    if (d.SourceType == 9) {
      for (const std::string& t : used) {
        EXPECT_EQ(t.find("Quell"), std::string::npos) << t;
        EXPECT_EQ(t.find("<Zeit "), std::string::npos) << t;
      }
    }
    EXPECT_TRUE(used.count("<Name>") || used.count("<Vorname>"));
  }
}

// The templates as the user opens them for editing: headings, text and
// placeholders on the page, nothing of the file's syntax.
TEST(DefaultTemplates, ShownInAnEditControl) {
  TUiTestDriver driver;
  for (const TDefaultLayout& d : kDefaultLayouts) {
    SCOPED_TRACE(d.File);
    auto* form = new TForm(Application);
    form->SetClientSize(620, 520);
    auto* edit = new TWPCustomRtfEdit(form);
    edit->SetParent(form);
    edit->SetBounds(0, 0, 620, 520);
    edit->SetWordWrap(true);
    form->Show();
    driver.Process();
    edit->RtfText()->LoadFromFile((apptest::BuiltProgramDir() / d.File).string());
    edit->ReformatAndRepaint();
    driver.Process();
    EXPECT_FALSE(driver.SavePng(form, std::string("app_template_") + std::to_string(d.Id)).empty());
    std::string text(static_cast<size_t>(edit->TextLength()) + 1, '\0');
    text.resize(static_cast<size_t>(edit->RtfText()->CopyText(text.data(), nullptr, static_cast<int>(text.size()))));
    EXPECT_EQ(text.find('\\'), std::string::npos);
    EXPECT_EQ(text.find('{'), std::string::npos);
    EXPECT_NE(text.find('<'), std::string::npos);
    delete form;
  }
}

}  // namespace
