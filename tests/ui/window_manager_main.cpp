// Forms as real windows under a window manager on a virtual X server with a
// German layout (run by the window-manager test), driven through the
// server's mouse and keyboard: a clicked main window covers an ordinary
// window but not one on top, which shown again leaves it the keyboard; a
// modal window, and a box opened from it, stay above the window on top,
// that above the window that opened them, also when it is clicked, a click on another window it
// blocks brings the modal one to the front, and the box takes the next key;
// AltGr+Q, E, M, O, A, a dead acute before "e" and AltGr+Q again reach an
// edit as "@€µøæé@", in that order; the PDF printer's file dialog is German and offers its file in
// the home folder; a modal window lies above a window that stays on top,
// which is on top again after it, and the keyboard back with its opener; un-maximised, a window
// shown maximised returns to its place. Names what failed on stderr, with the
// windows the server and the window manager hold.
//
// With the arguments "place FILE" it is one start of the placement check
// instead: a window put at the place FILE holds (a default at the first
// start) is shown and hidden five times; each time its frame lies there and
// the form says so, its client where the window system put it; the place
// goes back into FILE for the next start.
#include <algorithm>
#include <cstdio>
#include <functional>
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

// True when the window named `name` is shown and has the keyboard: a key
// pressed before the window manager focuses a new window goes elsewhere.
bool Focused(const std::string& name) {
  xcb_window_t w = 0;
  return StackPlace(name, &w) >= 0 && WaitFocus(w, 0);
}

void ClickOn(const std::string& name, int x, int y) {
  xcb_window_t w = 0;
  if (StackPlace(name, &w) >= 0) Click(w, x, y);
}

// What the server and the window manager hold, for a failure's report.
void DumpClients() {
  static const xcb_atom_t list = Atom("_NET_CLIENT_LIST_STACKING");
  auto* r = xcb_get_property_reply(conn, xcb_get_property(conn, 0, root, list, XCB_ATOM_WINDOW, 0, 64), nullptr);
  std::fprintf(stderr, "managed, bottom first:");
  for (int i = 0; r && i < xcb_get_property_value_length(r) / 4; ++i) {
    const xcb_window_t w = static_cast<const xcb_window_t*>(xcb_get_property_value(r))[i];
    std::fprintf(stderr, " 0x%x \"%s\"", w, WindowName(w).c_str());
  }
  std::free(r);
  std::fprintf(stderr, "\ntop-level, bottom first:");
  for (xcb_window_t w : Stack())
    std::fprintf(stderr, " 0x%x%s \"%s\"", w, Viewable(w) ? "" : "(unmapped)", WindowName(w).c_str());
  std::fprintf(stderr, "\n");
}

// Whether the list property `prop` of window `on` holds `value`.
bool Holds(xcb_window_t on, const char* prop, xcb_atom_t type, uint32_t value) {
  auto* r = xcb_get_property_reply(conn, xcb_get_property(conn, 0, on, Atom(prop), type, 0, 64), nullptr);
  const auto* begin = r ? static_cast<const uint32_t*>(xcb_get_property_value(r)) : nullptr;
  const auto* end = r ? begin + xcb_get_property_value_length(r) / 4 : nullptr;
  const bool found = std::find(begin, end, value) != end;
  std::free(r);
  return found;
}

// Waits until the window manager takes windows: a window of its own is
// mapped until it is managed. Openbox names itself before it is ready, and
// a window mapped in its first moments can stay unmanaged for good.
bool WindowManagerTakesWindows() {
  const xcb_window_t w = xcb_generate_id(conn);
  xcb_create_window(conn, XCB_COPY_FROM_PARENT, w, root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    XCB_COPY_FROM_PARENT, 0, nullptr);
  bool taken = false;
  for (int waited = 0; waited < 30000 && !taken; waited += 20) {
    if (waited % 1000 == 0) {
      xcb_unmap_window(conn, w);
      xcb_map_window(conn, w);
      xcb_flush(conn);
    }
    Sleep(20);
    taken = Holds(root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW, w);
  }
  xcb_destroy_window(conn, w);
  xcb_flush(conn);
  return taken;
}

// Whether the window named `name` is kept above ordinary windows.
bool OnTop(const std::string& name) {
  xcb_window_t w = 0;
  return StackPlace(name, &w) >= 0 && Holds(w, "_NET_WM_STATE", XCB_ATOM_ATOM, Atom("_NET_WM_STATE_ABOVE"));
}

// Where the frame of a managed window lies: its client less the frame's
// extents (left, right, top, bottom).
TPoint FramePlace(xcb_window_t w) {
  static const xcb_atom_t extents = Atom("_NET_FRAME_EXTENTS");
  int x = 0, y = 0, width = 0, height = 0;
  Geometry(w, x, y, width, height);
  auto* r = xcb_get_property_reply(conn, xcb_get_property(conn, 0, w, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr);
  if (r && xcb_get_property_value_length(r) == 16) {
    const auto* e = static_cast<const uint32_t*>(xcb_get_property_value(r));
    x -= static_cast<int>(e[0]);
    y -= static_cast<int>(e[2]);
  }
  std::free(r);
  return {x, y};
}

TForm* Shaped(TForm* f, const char* caption, int x, int y, int w, int h) {
  f->SetCaption(caption);
  f->SetBounds(x, y, w, h);
  return f;
}

// Pumps the application until `done` holds (20 s at most).
bool Until(const std::function<bool()>& done) {
  for (int waited = 0; waited < 20000; waited += 20) {
    Application->ProcessMessages();
    if (done()) return true;
    Sleep(20);
  }
  return false;
}

int Placement(const std::string& file) {
  int left = 130, top = 90;
  if (FILE* f = std::fopen(file.c_str(), "r")) {
    if (std::fscanf(f, "%d %d", &left, &top) != 2) return Fail("unreadable " + file);
    std::fclose(f);
  }
  TForm* form = Shaped(new TForm(Application), "Platz", left, top, 300, 200);
  for (int opening = 1; opening <= 5; ++opening) {
    form->Show();
    xcb_window_t w = 0;
    // Placed, and the form has heard where: its client origin is where the
    // window system shows the client, its place where the frame lies (the
    // window manager may tell the frame's extents after the move).
    if (!Until([&] {
          int x = 0, y = 0, width = 0, height = 0;
          return StackPlace("Platz", &w) >= 0 && Geometry(w, x, y, width, height) &&
                 form->ClientOrigin() == TPoint{x, y} && FramePlace(w) == TPoint{form->Left(), form->Top()};
        }))
      return Fail("opening " + std::to_string(opening) + ": the window was not placed where the form says");
    auto at = [](int x, int y) { return std::to_string(x) + "," + std::to_string(y); };
    const TPoint frame = FramePlace(w);
    const std::string seen = "frame at " + at(frame.X, frame.Y) + ", form at " + at(form->Left(), form->Top());
    if (seen != "frame at " + at(left, top) + ", form at " + at(left, top))
      return Fail("opening " + std::to_string(opening) + ": " + seen + ", put at " + at(left, top));
    form->Hide();
    if (!Until([&] { return StackPlace("Platz") < 0; })) return Fail("the window did not go");
  }
  FILE* f = std::fopen(file.c_str(), "w");
  if (!f || std::fprintf(f, "%d %d\n", form->Left(), form->Top()) < 0 || std::fclose(f) != 0)
    return Fail("cannot write " + file);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!StartXcbUi() || !Connect()) return 2;
  if (!WindowManagerTakesWindows()) return Fail("the window manager takes no windows");
  if (argc == 3 && std::string(argv[1]) == "place") return Placement(argv[2]);
  TForm* main = nullptr;
  Application->CreateForm(main);
  Shaped(main, "Haupt", 40, 40, 480, 360)->Show();
  auto* edit = new TEdit(main);
  edit->SetParent(main);
  edit->SetBounds(10, 10, 200, 21);
  TForm* saying = Shaped(new TForm(Application), "Spruch", 300, 200, 300, 200);
  saying->SetFormStyle(fsStayOnTop);
  saying->Show();
  Shaped(new TForm(Application), "Notiz", 100, 250, 200, 120)->Show();
  TForm* modal = Shaped(new TForm(Application), "Daten", 150, 120, 300, 200);
  TForm* big = Shaped(new TForm(Application), "Gross", 120, 90, 400, 300);
  xcb_window_t w = 0;
  std::vector<std::string> failed;
  auto expect = [&](bool ok, const std::string& what) {
    if (!ok) failed.push_back(what);
  };
  int step = 0, ticks = 0, boxResult = 0;
  bool pdfChosen = false;
  // A loaded machine is slow to map, stack and focus windows. A step that
  // needs something waits for it (20 s at most, then names it as failed); a
  // check after a click first gives the window manager a second, so that
  // what it must not do has happened before the check can pass.
  auto waitFor = [&](bool ok, const std::string& what) {
    if (!ok && ++ticks < 100) return false;
    if (!ok && failed.empty()) DumpClients();
    if (!ok) failed.push_back(what);
    ticks = 0;
    return true;
  };
  auto afterClick = [&](bool ok, const std::string& what) { return ticks >= 5 ? waitFor(ok, what) : (++ticks, false); };
  auto* t = new TTimer(main);
  t->SetInterval(200);
  t->OnTimer = [&](TObject*) {
    // Nested loops (the modal window, the box, the dialogs) run the later
    // steps inside this call: the step moves on before it runs.
    const int s = step++;
    auto stay = [&] { step = s; };
    switch (s) {
      case 0:
        if (!waitFor(StackPlace("Spruch") >= 0 && StackPlace("Haupt") >= 0, "the window manager took no windows"))
          return stay();
        ClickOn("Haupt", 60, 60);
        break;
      case 1:
        if (!afterClick(StackPlace("Spruch") > StackPlace("Haupt") && StackPlace("Haupt") > StackPlace("Notiz"),
                        "the main window clicked is not between the window on top and an ordinary one"))
          return stay();
        saying->Hide();
        saying->ShowInactive();
        break;
      case 2:
        if (!afterClick(StackPlace("Spruch") > StackPlace("Haupt") && Focused("Haupt"),
                        "a window on top shown without the keyboard took it or is not on top"))
          return stay();
        modal->ShowModal();  // its own loop runs the next steps
        break;
      case 3:
        if (!afterClick(StackPlace("Daten") > StackPlace("Spruch") && StackPlace("Spruch") > StackPlace("Haupt"),
                        "the modal window is not above the window on top, or that above the main window"))
          return stay();
        ClickOn("Haupt", 60, 60);
        break;
      case 4:
        if (!afterClick(StackPlace("Daten") > StackPlace("Spruch") && StackPlace("Spruch") > StackPlace("Haupt"),
                        "the main window clicked covered the modal window or the window on top"))
          return stay();
        ClickOn("Spruch", 200, 150);  // another window it blocks
        break;
      case 5:
        if (!afterClick(StackPlace("Daten") > StackPlace("Spruch"), "a click on a blocked window left the modal one behind"))
          return stay();
        break;
      case 6: boxResult = Application->MessageBox("Kopiert", "Box", MB_OK); break;
      case 7:
        if (!waitFor(StackPlace("Box") >= 0, "the box did not show")) return stay();
        ClickOn("Daten", 20, 20);
        break;
      case 8:
        if (!afterClick(StackPlace("Box") > StackPlace("Daten") && StackPlace("Daten") > StackPlace("Spruch"),
                        "the box went below the window that opened it, or the window on top above that"))
          return stay();
        Press(kReturn);
        break;
      case 9:
        if (!waitFor(boxResult == IDOK, "the box did not take the key")) return stay();
        modal->SetModalResult(mrOk);
        break;
      case 10: {
        const bool closed = StackPlace("Daten") < 0;
        if (!waitFor(closed && OnTop("Spruch") && Focused("Haupt"),
                     closed ? "the window on top is not on top again or the keyboard not back with its opener"
                            : "the modal window did not close"))
          return stay();
        ClickOn("Haupt", 20, 20);
        break;
      }
      case 11: {
        if (!waitFor(Focused("Haupt"), "the main window did not take the focus")) return stay();
        // Typed at once, so that the toolkit takes them in one go: each
        // arrives in its place.
        for (uint32_t k : {'q', 'e', 'm', 'o', 'a'}) Press(k, 0xfe03);  // with AltGr
        Press(0xfe51);  // dead acute
        Press('e');
        Press('q', 0xfe03);
        break;
      }
      case 12: {
        const AnsiString typed = CP1252("@€µøæé@").str();
        if (!waitFor(edit->Text() == typed, "the edit holds \"" + Cp1252ToUtf8(edit->Text()) + "\"")) return stay();
        TPrintDialog print(nullptr);
        pdfChosen = print.Execute();  // the next steps run inside
        break;
      }
      case 13:
        if (!waitFor(Focused("Drucken"), "no print dialog with the focus")) return stay();
        Press(kReturn);  // "OK" to the PDF printer
        break;
      case 14:
        if (!waitFor(Focused("Speichern unter"), "no file dialog \"Speichern unter\" with the focus")) return stay();
        Press(kReturn);  // the name offered, where the dialog opened
        break;
      case 15:
        if (!waitFor(pdfChosen, "the file dialog did not close with the name offered")) return stay();
        expect(Printer()->OutputFileName() == std::string(std::getenv("HOME")) + "/Orvelan.pdf",
               "the PDF file went to \"" + Printer()->OutputFileName() + "\"");
        big->SetWindowState(wsMaximized);
        big->Show();
        break;
      case 16: {
        if (!waitFor(StackPlace("Gross", &w) >= 0 &&
                         Holds(w, "_NET_WM_STATE", XCB_ATOM_ATOM, Atom("_NET_WM_STATE_MAXIMIZED_VERT")),
                     "the window was not shown maximised"))
          return stay();
        // Un-maximised as by its button: [0] 0 removes the states.
        xcb_client_message_event_t ev{XCB_CLIENT_MESSAGE, 32, 0, w, Atom("_NET_WM_STATE"), {}};
        ev.data.data32[1] = Atom("_NET_WM_STATE_MAXIMIZED_VERT");
        ev.data.data32[2] = Atom("_NET_WM_STATE_MAXIMIZED_HORZ");
        xcb_send_event(conn, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT, reinterpret_cast<const char*>(&ev));
        xcb_flush(conn);
        break;
      }
      case 17:
        if (!waitFor(big->WindowState() == wsNormal && FramePlace(w) == TPoint{120, 90} &&
                         big->BoundsRect() == Bounds(120, 90, 400, 300),
                     "un-maximised, the window is not where it was before: frame at " +
                         std::to_string(FramePlace(w).X) + "," + std::to_string(FramePlace(w).Y) + ", form at " +
                         std::to_string(big->Left()) + "," + std::to_string(big->Top())))
          return stay();
        for (const std::string& f : failed) std::fprintf(stderr, "%s\n", f.c_str());
        std::fflush(stderr);
        _exit(failed.empty() ? 0 : 1);  // also from inside a window that never closed
    }
  };
  Application->Run();
  return 1;
}
