// What the tests of a day of use share: a program directory of the real
// program as it is installed (the binary, its reference data and the
// default templates), a script for the user program (e2e_user.cpp) written
// with the places of controls and menu entries taken from the same windows
// built here, the run of that user under a virtual X server, and the
// comparisons of what it grabbed with what the windows here show.
#pragma once

#include <sys/stat.h>

#include <sstream>

#include "platform/rtl/cp1252.h"
#include "tests/app_main/main_fixture.h"
#include "tests/app_main/x11_screen.h"
#include "tests/data/data_helpers.h"
#include "tests/shell_helpers.h"

namespace e2etest {

using namespace x11test;

using testshell::Shell;

namespace fs = std::filesystem;

inline std::string Utf8(const AnsiString& s) { return Cp1252ToUtf8(s); }

// The text of a rich-text page, hidden link stamps left out.
inline AnsiString PageText(TWPCustomRtfEdit* e) {
  AnsiString s;
  for (const TWPParagraphRec* p = e->RtfText()->FirstPar; p; p = p->next) {
    for (const TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i)
        if (!l->pa || !(l->pa[i].Style & wpsHidden)) s += l->pc[i];
    s += "\n";
  }
  return s;
}

// Public: the script's helpers chain (Line(..).Await(..)) in the tests.
// The person links shown on a page as it stands: each one's stamp
// ("p:12") and a point of its text in the control's client co-ordinates.
inline std::vector<std::pair<AnsiString, TPoint>> VisibleLinks(TWPCustomRtfEdit* e) {
  std::vector<std::pair<AnsiString, TPoint>> out;
  TWPRTFTextInput* t = e->RtfText();
  for (TWPParagraphRec* p = t->FirstPar; p; p = p->next)
    for (TWPLineRec* l = p->line; l; l = l->next) {
      if (l->Top < t->TopOffset || l->Top + l->Height > t->TopOffset + e->ClientHeight() || !l->pa) continue;
      for (int i = 0; i < l->Length; ++i) {
        if ((l->pa[i].Style & (wpsHyperlink | wpsHidden)) != wpsHyperlink) continue;
        int k = i;
        while (k < l->Length && (l->pa[k].Style & (wpsHyperlink | wpsHidden)) == wpsHyperlink) ++k;
        AnsiString stamp;
        while (k < l->Length && (l->pa[k].Style & wpsHidden)) stamp += l->pc[k++];
        if (stamp.rfind("p:", 0) == 0)
          out.push_back({stamp, {t->CursorX(p, l, i) + t->HorzOffset + 2, l->Top - t->TopOffset + l->Height / 2}});
        i = k - 1;
      }
    }
  return out;
}

// Whether a line shown on the page as it stands holds the text.
inline bool ShownLineHas(TWPCustomRtfEdit* e, const AnsiString& text) {
  TWPRTFTextInput* t = e->RtfText();
  for (TWPParagraphRec* p = t->FirstPar; p; p = p->next)
    for (TWPLineRec* l = p->line; l; l = l->next)
      if (l->Top >= t->TopOffset && l->Top + l->Height <= t->TopOffset + e->ClientHeight() &&
          AnsiString(l->pc, static_cast<size_t>(l->Length)).find(text) != AnsiString::npos)
        return true;
  return false;
}

class E2eTest : public maintest::MainWindowTest {
 public:
  // A fresh program directory: binary, reference data, default templates.
  fs::path FreshProgram(const std::string& name) {
    const fs::path dir = fs::path(testpaths::BinaryDir()) / "test-artifacts" / "app_e2e" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return ProgramInto(dir);
  }
  fs::path Dir() const { return dir_; }

  // The same for a run as another user (as root): that user may not enter
  // the build tree, so the program and the user program go into a scratch
  // folder of the test's own outside it, made for that user and removed
  // when the test ends. Empty, or why that user cannot run there.
  std::string FreshProgramFor(const std::string& name, uid_t user) {
    if (::geteuid() != 0) return FreshProgram(name), "";
    std::string tmpl = (fs::temp_directory_path() / ("orv_e2e_" + name + "_XXXXXX")).string();
    if (!::mkdtemp(tmpl.data())) return "no scratch folder in " + fs::temp_directory_path().string();
    scratch_ = tmpl;
    ProgramInto(scratch_);
    fs::copy_file(Beside("e2e_user"), dir_ / "e2e_user");
    // So do the sanitizers' suppressions that the run names.
    if (const char* lsan = std::getenv("LSAN_OPTIONS")) {
      std::string opts = lsan;
      if (const size_t at = opts.find("suppressions="); at != std::string::npos) {
        const size_t from = at + 13, to = opts.find(':', from);
        fs::copy_file(opts.substr(from, to - from), dir_ / "lsan.supp");
        opts.replace(from, to == std::string::npos ? to : to - from, (dir_ / "lsan.supp").string());
      }
      userEnv_ = "LSAN_OPTIONS='" + opts + "' ";
    }
    const std::string id = std::to_string(user);
    if (std::system(("chown -R " + id + ":" + id + " '" + dir_.string() + "'").c_str()) != 0) return "chown failed";
    const std::string probe = "setpriv --reuid=" + id + " --regid=" + id + " --clear-groups test -x '" +
                              (dir_ / "e2e_user").string() + "' -a -x '" + (dir_ / "orvelan").string() + "' -a -w '" +
                              dir_.string() + "'";
    if (std::system(probe.c_str()) != 0) return "user " + id + " cannot run in " + dir_.string();
    return "";
  }
  void TearDown() override {
    if (!scratch_.empty()) fs::remove_all(scratch_);
    maintest::MainWindowTest::TearDown();
  }

  // ---- the script ------------------------------------------------------------
  E2eTest& Line(const std::string& s) {
    script_ << s << "\n";
    return *this;
  }
  static std::string Title(TCustomForm* f) { return Utf8(f->Caption()); }
  // A point of a control (its centre by default) in its top-level window,
  // menu bar included, as "x y".
  static std::string At(TControl* c, TPoint p = {-1, -1}) {
    TCustomForm* f = GetParentForm(c);
    if (p.X < 0) p = {c->Width() / 2, c->Height() / 2};
    const TPoint s = c->ClientToScreen(p);
    return std::to_string(s.X - f->ClientOrigin().X) + " " +
           std::to_string(s.Y - f->ClientOrigin().Y + f->MenuBarHeight());
  }
  E2eTest& Click(TControl* c, TPoint p = {-1, -1}) {
    return Line("click " + At(c, p) + " " + Title(GetParentForm(c)));
  }
  // A menu entry of a form's menu bar by the keyboard: Alt, Right to its
  // menu, Down into it and to the entry (Right into a sub-menu), Enter.
  E2eTest& Menu(TMenuItem* item) {
    std::vector<TMenuItem*> path;
    for (TMenuItem* m = item; m && m->Parent(); m = m->Parent()) path.insert(path.begin(), m);
    auto index = [](TMenuItem* m) {
      int n = 0;
      for (int i = 0; i < m->Parent()->Count() && m->Parent()->Items(i) != m; ++i)
        n += m->Parent()->Items(i)->Visible() && !m->Parent()->Items(i)->IsLine();
      return n;
    };
    // Without a window manager no window takes the focus back when a
    // dialog closes: the user clicks into the window first.
    if (menuFocus) Click(menuFocus);
    std::string keys = "keys Alt";
    for (int i = 0; i < index(path[0]); ++i) keys += " Right";
    for (size_t level = 1; level < path.size(); ++level) {
      keys += level == 1 ? " Down" : " Right";
      for (int i = 0; i < index(path[level]); ++i) keys += " Down";
    }
    return Line(keys + " Return");
  }
  E2eTest& Grab(const std::string& name, const std::string& title) {
    return Line("grab " + (dir_ / (name + ".ppm")).string() + " " + title);
  }
  // A dialog's window waited for and given time to paint.
  E2eTest& Await(const std::string& title, int ms = 8000) {
    return Line("window " + std::to_string(ms) + " " + title).Line("sleep 300");
  }
  // A window waited for to go, and the window under it for its focus.
  E2eTest& Gone(const std::string& title, int ms = 8000) {
    return Line("gone " + std::to_string(ms) + " " + title).Line("sleep 300");
  }

  // Runs the script under a virtual X server whose screen is the headless
  // driver's (message boxes are as wide as the screen allows); the user's stderr on failure
  // (empty when every line did what it should). The marks' times go to
  // `marks`.
  // As `asUser` (when running as root and not 0): the program directory
  // becomes that user's, whose file permissions then hold.
  // The display number starts from the process id, so that servers of tests
  // run side by side do not race for the same number.
  std::string RunScript(const std::string& name, int timeoutSeconds, std::string* marks = nullptr, uid_t asUser = 0) {
    const fs::path file = dir_ / (name + ".script");
    apptest::Put(file, script_.str());
    script_.str("");
    const std::string user = fs::exists(dir_ / "e2e_user") ? (dir_ / "e2e_user").string() : Beside("e2e_user");
    std::string drop;
    if (asUser && ::geteuid() == 0) {
      const std::string id = std::to_string(asUser);
      if (std::system(("chown -R " + id + ":" + id + " '" + dir_.string() + "'").c_str()) != 0) return "chown failed";
      // From a working folder that user may enter.
      drop = "cd '" + dir_.string() + "' && setpriv --reuid=" + id + " --regid=" + id + " --clear-groups env HOME='" +
             dir_.string() + "' " + userEnv_;
    }
    const std::string cmd = drop + "env -u QT_QPA_PLATFORM timeout " + std::to_string(timeoutSeconds) +
                            " xvfb-run -a -n " + std::to_string(200 + ::getpid() % 700) + " -s '-screen 0 800x800x24' " + user + " " +
                            (dir_ / "orvelan").string() + " " + file.string() + " >" +
                            (dir_ / (name + ".out")).string() + " 2>" + (dir_ / (name + ".err")).string();
    const int rc = std::system(cmd.c_str());
    const std::string out = apptest::Slurp(dir_ / (name + ".out"));
    if (marks) *marks = out;
    // The user says when it got through the whole script.
    if (WIFEXITED(rc) && WEXITSTATUS(rc) == 0 && out.find("script done") != std::string::npos) return "";
    const std::string err = apptest::Slurp(dir_ / (name + ".err"));
    return err.empty() ? "the user ended with " + std::to_string(rc) : err;
  }

  // A grabbed picture (saved as PNG too); empty when it is missing.
  TSurface Grabbed(const std::string& name) {
    TSurface s = ReadPpm(dir_ / (name + ".ppm"));
    if (!s.Empty()) SavePng(s, "e2e_" + name);
    return s;
  }
  // Pixels of a control that differ between a grabbed window and the
  // control's form here.
  static int Differ(const TSurface& grabbed, TControl* c) {
    TCustomForm* f = GetParentForm(c);
    const TPoint s = c->ClientToScreen({0, 0});
    return Differences(grabbed, f, Bounds(s.X - f->ClientOrigin().X, s.Y - f->ClientOrigin().Y, c->Width(), c->Height()));
  }

  // The user's tables and settings as the real program left them, taken
  // into the program directory here (with the window closed first).
  void TakeOver(bool withIni) {
    delete frmMain;
    frmMain = nullptr;
    ReleaseData();
    fs::create_directories(Root() / "BENUTZER");
    for (const auto& e : fs::directory_iterator(dir_ / "BENUTZER"))
      fs::copy_file(e.path(), Root() / "BENUTZER" / e.path().filename(), fs::copy_options::overwrite_existing);
    if (withIni) fs::copy_file(dir_ / "Orvelan.Ini", Ini(), fs::copy_options::overwrite_existing);
  }

  // Binary, reference data and default templates into `dir`, which becomes
  // the program directory; the script starts empty.
  fs::path ProgramInto(const fs::path& dir) {
    dir_ = dir;
    fs::copy(apptest::BuiltProgramDir() / "DATEN", dir_ / "DATEN", fs::copy_options::recursive);
    for (const char* f : {"orvelan", "OvDef001.Rtf", "OvDef002.Rtf", "OvDef003.Rtf"})
      fs::copy_file(apptest::BuiltProgramDir() / f, dir_ / f);
    script_.str("");
    return dir_;
  }

  // A quiet spot of the window whose menus Menu uses.
  TControl* menuFocus = nullptr;
  fs::path dir_;
  fs::path scratch_;  // FreshProgramFor's folder, removed at the end
  std::string userEnv_;  // settings of the run that point into it
  std::ostringstream script_;
};

}  // namespace e2etest
