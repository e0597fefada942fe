// Fixture of the further windows: a program directory with all reference
// data the build made, the settings loaded and the user's tables created as
// at a full start; the data's sources as the outside truth; and what a user
// sees of a rich-text page: its paragraphs without hidden text, and where
// a link stands.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/base/userdb.h"
#include "app/settings/settings.h"
#include "app/text/helpers.h"
#include "richtext/controls/rtfedit.h"
#include "tests/app/app_fixture.h"
#include "tests/data/data_helpers.h"
#include "tools/orvdata/sources.h"
#include "tests/shell_helpers.h"

namespace wintest {

using testshell::Shell;
using testshell::Have;

namespace fs = std::filesystem;

inline const TReferenceData& Sources() {
  static const TReferenceData data = LoadReferenceData(datatest::DataDir(), datatest::kFortunes);
  return data;
}

inline const TSourcePerson* SourcePerson(int id) {
  for (const TSourcePerson& p : Sources().Persons)
    if (p.Id == id) return &p;
  return nullptr;
}

// The persons a person's long text links, in order.
inline std::vector<int> LinksOf(int id) {
  std::vector<int> out;
  if (const TSourcePerson* p = SourcePerson(id))
    for (const TTextPiece& piece : p->Note)
      if (piece.Link && std::find(out.begin(), out.end(), piece.Link) == out.end()) out.push_back(piece.Link);
  return out;
}

inline std::vector<AnsiString> PageParagraphs(TWPCustomRtfEdit* e) {
  std::vector<AnsiString> out;
  for (const TWPParagraphRec* p = e->RtfText()->FirstPar; p; p = p->next) {
    out.emplace_back();
    for (const TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i)
        if (!l->pa || !(l->pa[i].Style & wpsHidden)) out.back() += l->pc[i];
  }
  return out;
}

// Blanks (no-break space and line ends too) folded to single blanks.
inline AnsiString Squeezed(const AnsiString& s) {
  AnsiString out;
  for (char c : s)
    if (!std::strchr(" \n\r\t\f\xA0", c) || c == 0)
      out += c;
    else if (!out.empty() && out.back() != ' ')
      out += ' ';
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

inline AnsiString PageText(TWPCustomRtfEdit* e) {
  AnsiString s;
  for (const AnsiString& p : PageParagraphs(e)) s += p + "\n";
  return Squeezed(s);
}

// Where the link with the stamp is shown (client co-ordinates of its first
// character); the page is scrolled to it when `scroll` is set, else the
// link must be shown as the page stands. `line` gets the link's line.
inline bool LinkPoint(TWPCustomRtfEdit* e, const AnsiString& stamp, TPoint& at, bool scroll = true,
                      const TWPLineRec** line = nullptr) {
  TWPRTFTextInput* t = e->RtfText();
  for (TWPParagraphRec* p = t->FirstPar; p; p = p->next)
    for (TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0, k = 0; l->pa && i < l->Length; i = k) {
        // A link's visible text from i to k, then its stamp.
        for (k = i; k < l->Length && (l->pa[k].Style & (wpsHyperlink | wpsHidden)) == wpsHyperlink;) ++k;
        if (k == i) {
          ++k;
          continue;
        }
        AnsiString found;
        while (k < l->Length && (l->pa[k].Style & wpsHidden)) found += l->pc[k++];
        if (found != stamp) continue;
        const bool shown = l->Top >= t->TopOffset && l->Top + l->Height <= t->TopOffset + e->ClientHeight();
        if (!shown && !scroll) continue;
        if (!shown) e->SetTopOffset(std::max(0, l->Top - e->ClientHeight() / 3));
        at = {t->CursorX(p, l, i) + t->HorzOffset + 2, l->Top - t->TopOffset + l->Height / 2};
        if (line) *line = l;
        return true;
      }
  return false;
}

class WindowsTest : public apptest::ProgramDirTest {
 protected:
  void SetUp() override {
    ProgramDirTest::SetUp();
    fs::copy(apptest::BuiltProgramDir() / "DATEN", Root() / "DATEN", fs::copy_options::recursive);
  }
  // Settings (after an ini text when given) and the user's tables.
  void Start(const std::string& ini = "") {
    if (!ini.empty()) apptest::Put(Ini(), ini);
    InitColorTable();
    LoadSettings();
    CreateUserDatabase();
  }
};

}  // namespace wintest
