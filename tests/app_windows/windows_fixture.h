// Fixture of the further windows: a program directory with all reference
// data the build made, the settings loaded and the user's tables created as
// at a full start; the sources of the reference data read once as the
// outside truth; and what a user sees of a rich-text page: its paragraphs
// without hidden text, and where a link stands to click it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/base/userdb.h"
#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/text/helpers.h"
#include "richtext/controls/rtfedit.h"
#include "tests/app/app_fixture.h"
#include "tests/data/data_helpers.h"
#include "tools/orvdata/sources.h"

namespace wintest {

namespace fs = std::filesystem;

// The reference data's sources (the tables' and archives' origin).
inline const TReferenceData& Sources() {
  static const TReferenceData data = LoadReferenceData(datatest::DataDir(), datatest::kFortunes);
  return data;
}

inline const TSourcePerson* SourcePerson(int id) {
  for (const TSourcePerson& p : Sources().Persons)
    if (p.Id == id) return &p;
  return nullptr;
}

// The paragraphs of a page as shown: hidden characters left out.
inline std::vector<AnsiString> PageParagraphs(TWPCustomRtfEdit* e) {
  std::vector<AnsiString> out;
  for (const TWPParagraphRec* p = e->RtfText()->FirstPar; p; p = p->next) {
    AnsiString s;
    for (const TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i)
        if (!l->pa || !(l->pa[i].Style & wpsHidden)) s += l->pc[i];
    out.push_back(s);
  }
  return out;
}

inline AnsiString PageText(TWPCustomRtfEdit* e) {
  AnsiString s;
  for (const AnsiString& p : PageParagraphs(e)) s += p + "\n";
  return s;
}

// Blanks (and the no-break space) folded to single blanks, outer ones gone.
inline AnsiString Squeezed(const AnsiString& s) {
  AnsiString out;
  for (char c : s) {
    const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\xA0';
    if (blank) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// Where the link with the stamp is shown (client co-ordinates of its first
// visible character's middle); the page is scrolled so that it shows the
// link's line. False when the page has no such link.
inline bool LinkPoint(TWPCustomRtfEdit* e, const AnsiString& stamp, TPoint& at) {
  TWPRTFTextInput* t = e->RtfText();
  for (TWPParagraphRec* p = t->FirstPar; p; p = p->next)
    for (TWPLineRec* l = p->line; l; l = l->next) {
      if (!l->pa) continue;
      for (int i = 0; i < l->Length; ++i) {
        if (!(l->pa[i].Style & wpsHyperlink) || (l->pa[i].Style & wpsHidden)) continue;
        // The stamp behind this link's text, on this line or the next.
        AnsiString found;
        const TWPLineRec* sl = l;
        int so = i;
        while (sl && (so >= sl->Length || (sl->pa[so].Style & wpsHyperlink && !(sl->pa[so].Style & wpsHidden)))) {
          if (so >= sl->Length) {
            sl = sl->next;
            so = 0;
          } else {
            ++so;
          }
        }
        while (sl && so < sl->Length && sl->pa[so].Style & wpsHidden) found += sl->pc[so++];
        if (found != stamp) {
          i = sl == l ? so : l->Length;
          continue;
        }
        const int visible = e->ClientHeight();
        if (l->Top < t->TopOffset || l->Top + l->Height > t->TopOffset + visible)
          e->SetTopOffset(std::max(0, l->Top - visible / 3));
        at.X = t->CursorX(p, l, i) + t->HorzOffset + 2;
        at.Y = l->Top - t->TopOffset + l->Height / 2;
        return true;
      }
    }
  return false;
}

class WindowsTest : public apptest::ProgramDirTest {
 protected:
  void SetUp() override {
    ProgramDirTest::SetUp();
    fs::create_directories(Root() / "DATEN");
    for (const auto& e : fs::directory_iterator(apptest::BuiltProgramDir() / "DATEN"))
      fs::copy_file(e.path(), Root() / "DATEN" / e.path().filename());
  }

  // Settings (with an ini text written first when given) and the user's
  // tables, as at a full start.
  void Start(const std::string& ini = "") {
    if (!ini.empty()) apptest::Put(Ini(), ini);
    InitColorTable();
    LoadSettings();
    CreateUserDatabase();
  }
};

}  // namespace wintest
