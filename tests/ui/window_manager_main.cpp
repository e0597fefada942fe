// Forms as real windows under a window manager on a virtual X server with a
// German layout (run by the window-manager test), driven through the
// server's mouse and keyboard: a modeless window stays above the main window
// that owns it; a modal window, and a box opened from it, stay above the
// window that opened them when it is clicked, a click on another window it
// blocks brings the modal one to the front, and the box takes the next key;
// AltGr+Q, E, M, O, A and a dead acute before "e" reach an edit as
// "@€µøæé"; the PDF printer's file dialog is German and offers its file in
// the home folder. Names what failed on stderr.
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

// The place (bottom 0) of the window named `name` in the window manager's
// stacking order, -1 when it manages none; `client` gets the window.
int StackPlace(const std::string& name, xcb_window_t* client = nullptr) {
  static const xcb_atom_t list = Atom("_NET_CLIENT_LIST_STACKING");
  auto* r = xcb_get_property_reply(conn, xcb_get_property(conn, 0, root, list, XCB_ATOM_WINDOW, 0, 64), nullptr);
  int place = -1;
  for (int i = 0; r && place < 0 && i < xcb_get_property_value_length(r) / 4; ++i) {
    const xcb_window_t w = static_cast<const xcb_window_t*>(xcb_get_property_value(r))[i];
    if (WindowName(w) != name) continue;
    place = i;
    if (client) *client = w;
  }
  std::free(r);
  return place;
}

void ClickOn(const std::string& name, int x, int y) {
  xcb_window_t w = 0;
  if (StackPlace(name, &w) >= 0) Click(w, x, y);
}

TForm* Shaped(TForm* f, const char* caption, int x, int y, int w, int h) {
  f->SetCaption(caption);
  f->SetBounds(x, y, w, h);
  return f;
}

}  // namespace

int main() {
  if (!StartXcbUi() || !Connect()) return 2;
  TForm* main = nullptr;
  Application->CreateForm(main);
  Shaped(main, "Haupt", 40, 40, 480, 360)->Show();
  auto* edit = new TEdit(main);
  edit->SetParent(main);
  edit->SetBounds(10, 10, 200, 21);
  Shaped(new TForm(Application), "Spruch", 300, 200, 300, 200)->Show();
  TForm* modal = Shaped(new TForm(Application), "Daten", 150, 120, 300, 200);
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
      case 0:  // once the window manager has the windows
        if (StackPlace("Spruch") < 0) step = 0;
        else ClickOn("Haupt", 60, 60);
        break;
      case 1: expect(StackPlace("Spruch") > StackPlace("Haupt"), "the owned window went below the main window"); break;
      case 2: modal->ShowModal(); break;  // its own loop runs the next steps
      case 3: ClickOn("Haupt", 60, 60); break;
      case 4:
        expect(StackPlace("Daten") > StackPlace("Haupt"), "the modal window went below the window that opened it");
        ClickOn("Spruch", 200, 150);  // another window it blocks
        break;
      case 5: expect(StackPlace("Daten") > StackPlace("Spruch"), "a click on a blocked window left the modal one behind"); break;
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
        for (uint32_t k : {'q', 'e', 'm', 'o', 'a'}) Press(k, 0xfe03);  // with AltGr
        break;
      case 12:
        Press(0xfe51);  // dead acute
        Press('e');
        break;
      case 13: {
        expect(edit->Text() == CP1252("@€µøæé").str(), "the edit holds \"" + Cp1252ToUtf8(edit->Text()) + "\"");
        TPrintDialog print(nullptr);
        pdfChosen = print.Execute();  // the next steps run inside
        break;
      }
      case 14: Press(kReturn); break;  // "OK" to the PDF printer
      case 15:
        expect(StackPlace("Speichern unter") >= 0, "no file dialog \"Speichern unter\"");
        Press(kReturn);  // the name offered, where the dialog opened
        break;
      case 16:
        expect(pdfChosen && Printer()->OutputFileName() == std::string(std::getenv("HOME")) + "/Orvelan.pdf",
               "the PDF file went to \"" + Printer()->OutputFileName() + "\"");
        for (const std::string& f : failed) std::fprintf(stderr, "%s\n", f.c_str());
        std::fflush(stderr);
        _exit(failed.empty() ? 0 : 1);  // also from inside a window that never closed
    }
  };
  Application->Run();
  return 1;
}
