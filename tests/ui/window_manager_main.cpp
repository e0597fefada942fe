// Forms as real windows under a window manager on a virtual X server with a
// German keyboard layout (run by the window-manager test), driven through
// the server's mouse and keyboard: a modeless window stays above the main
// window that owns it; a modal window, and a message box opened from that,
// stay above the window that opened them when it is clicked, a click on
// another window it blocks brings the modal one to the front, and the box
// takes the next key; AltGr+Q, E, M, O, A and a dead acute before "e" reach
// an edit as "@€µøæé"; the PDF printer's file dialog is German and offers
// its file in the home folder. Names what failed on stderr.
#include <cstdio>
#include <string>

#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/stdctrls.h"
#include "tests/app_main/x11_user.h"
#include "tests/xcb_ui.h"

using namespace x11user;

namespace {

// The place in the stack (bottom 0) of the manager's frame around the
// client window named `name`, which goes to `client`; -1 when none shows.
int StackPlace(const std::string& name, xcb_window_t* client = nullptr) {
  const std::vector<xcb_window_t> frames = Stack();
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (!Viewable(frames[i])) continue;
    std::vector<xcb_window_t> inside{frames[i]};
    if (auto* r = xcb_query_tree_reply(conn, xcb_query_tree(conn, frames[i]), nullptr)) {
      const xcb_window_t* c = xcb_query_tree_children(r);
      inside.insert(inside.end(), c, c + xcb_query_tree_children_length(r));
      std::free(r);
    }
    for (xcb_window_t w : inside)
      if (WindowName(w) == name) {
        if (client) *client = w;
        return static_cast<int>(i);
      }
  }
  return -1;
}

void ClickOn(const std::string& name, int x, int y) {
  xcb_window_t w = 0;
  if (StackPlace(name, &w) >= 0) Click(w, x, y);
}

constexpr uint32_t kAltGr = 0xfe03, kDeadAcute = 0xfe51;

void WithAltGr(uint32_t keysym) {
  Key(kAltGr, true);
  Press(keysym);
  Key(kAltGr, false);
}

}  // namespace

int main() {
  if (!StartXcbUi() || !Connect()) return 2;
  // The manager announces itself on the root window.
  const xcb_atom_t check = Atom("_NET_SUPPORTING_WM_CHECK");
  for (int waited = 0;; waited += 50, Sleep(50)) {
    auto* r = xcb_get_property_reply(conn, xcb_get_property(conn, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
    const bool there = r && xcb_get_property_value_length(r) > 0;
    std::free(r);
    if (there) break;
    if (waited > 10000) return std::fprintf(stderr, "no window manager\n"), 2;
  }
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetCaption("Haupt");
  main->SetBounds(40, 40, 480, 360);
  auto* edit = new TEdit(main);
  edit->SetParent(main);
  edit->SetBounds(10, 10, 200, 21);
  auto* owned = new TForm(Application);
  owned->SetCaption("Spruch");
  owned->SetBounds(300, 200, 300, 200);
  auto* modal = new TForm(Application);
  modal->SetCaption("Daten");
  modal->SetBounds(150, 120, 300, 200);
  std::vector<std::string> failed;
  auto expect = [&](bool ok, const std::string& what) {
    if (!ok) failed.push_back(what);
  };
  int step = 0, boxResult = 0;
  bool pdfChosen = false;
  auto* t = new TTimer(main);
  t->SetInterval(500);
  t->OnTimer = [&](TObject*) {
    switch (step++) {
      case 0: ClickOn("Haupt", 60, 60); break;
      case 1: expect(StackPlace("Spruch") > StackPlace("Haupt"), "the owned window went below the main window"); break;
      case 2: modal->ShowModal(); break;  // its own loop runs the next steps
      case 3: ClickOn("Haupt", 60, 60); break;
      case 4:
        expect(StackPlace("Daten") > StackPlace("Haupt"), "the modal window went below the window that opened it");
        ClickOn("Spruch", 200, 150);  // another window it blocks
        break;
      case 5:
        expect(StackPlace("Daten") > StackPlace("Spruch"), "a click on a blocked window left the modal one behind");
        break;
      case 6: boxResult = Application->MessageBox("Kopiert", "Box", MB_OK); break;
      case 7: ClickOn("Daten", 20, 20); break;
      case 8:
        expect(StackPlace("Box") > StackPlace("Daten"), "the box went below the window that opened it");
        Press(kReturn);
        break;
      case 9:
        expect(boxResult == IDOK, "the box did not take the key");
        modal->SetModalResult(mrOk);
        break;
      case 10: ClickOn("Haupt", 20, 20); break;
      case 11:
        for (uint32_t k : {'q', 'e', 'm', 'o', 'a'}) WithAltGr(k);
        break;
      case 12:
        Press(kDeadAcute);
        Press('e');
        break;
      case 13: {
        const AnsiString want = CP1252("@€µøæé").str();
        expect(edit->Text() == want, "the edit holds \"" + Cp1252ToUtf8(edit->Text()) + "\"");
        TPrintDialog print(nullptr);
        pdfChosen = print.Execute();  // the next steps run inside
        break;
      }
      case 14: Press(kReturn); break;  // "OK" to the PDF printer
      case 15:
        expect(StackPlace("Speichern unter") >= 0, "no file dialog \"Speichern unter\"");
        Press(kReturn);  // the name offered, where the dialog opened
        break;
      case 16: {
        const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
        expect(pdfChosen && Printer()->OutputFileName() == home + "/Orvelan.pdf",
               "the PDF file went to \"" + Printer()->OutputFileName() + "\"");
        for (const std::string& f : failed) std::fprintf(stderr, "%s\n", f.c_str());
        std::fflush(stderr);
        _exit(failed.empty() ? 0 : 1);  // also from inside a window that never closed
      }
    }
  };
  main->Show();
  owned->Show();
  Application->Run();
  return 1;
}
