// A user at a virtual X server (run by the real program's template test):
// starts the real program, opens "Drucken" > "Vorlagen erfassen" with the
// mouse, clicks into the template's text, types, inserts a placeholder from
// the placeholder menu, grabs the editor, saves, closes the editor and then
// the program as a window manager would. Exits 0 when every step did what
// it should.
//
//   x11_templates_user PROGRAM EDITOR.ppm  BAR ITEM  TEXT PLACEHOLDER NAME FIRSTNAME  SAVE CLOSE
//
// Each point is "x,y": BAR and ITEM in the main window (menu bar included),
// the others in the editor's window.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

xcb_connection_t* conn = nullptr;
xcb_window_t root = 0;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int Fail(const std::string& why) {
  std::fprintf(stderr, "x11 user: %s\n", why.c_str());
  return 1;
}

struct Point {
  int x = 0, y = 0;
};
Point Parse(const char* s) {
  Point p;
  std::sscanf(s, "%d,%d", &p.x, &p.y);
  return p;
}

xcb_atom_t Atom(const char* name) {
  auto* r = xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, std::strlen(name), name), nullptr);
  xcb_atom_t a = r ? r->atom : 0;
  std::free(r);
  return a;
}

std::string WindowName(xcb_window_t w) {
  for (xcb_atom_t prop : {Atom("_NET_WM_NAME"), static_cast<xcb_atom_t>(XCB_ATOM_WM_NAME)}) {
    auto* r = xcb_get_property_reply(conn, xcb_get_property(conn, 0, w, prop, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
                                     nullptr);
    std::string s;
    if (r) s.assign(static_cast<const char*>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
    std::free(r);
    if (!s.empty()) return s;
  }
  return {};
}

bool Viewable(xcb_window_t w) {
  auto* r = xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, w), nullptr);
  const bool v = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
  std::free(r);
  return v;
}

// A viewable top-level window whose name starts with `prefix` (0: none in time).
xcb_window_t FindWindow(const std::string& prefix, int ms) {
  for (int waited = 0; waited <= ms; waited += 50) {
    auto* r = xcb_query_tree_reply(conn, xcb_query_tree(conn, root), nullptr);
    if (r) {
      const xcb_window_t* c = xcb_query_tree_children(r);
      for (int i = 0; i < xcb_query_tree_children_length(r); ++i)
        if (Viewable(c[i]) && WindowName(c[i]).rfind(prefix, 0) == 0) {
          const xcb_window_t w = c[i];
          std::free(r);
          return w;
        }
      std::free(r);
    }
    Sleep(50);
  }
  return 0;
}

Point Origin(xcb_window_t w) {
  auto* t = xcb_translate_coordinates_reply(conn, xcb_translate_coordinates(conn, w, root, 0, 0), nullptr);
  Point p;
  if (t) p = {t->dst_x, t->dst_y};
  std::free(t);
  return p;
}

void Click(xcb_window_t w, Point at) {
  const Point o = Origin(w);
  xcb_test_fake_input(conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, static_cast<int16_t>(o.x + at.x),
                      static_cast<int16_t>(o.y + at.y), 0);
  xcb_flush(conn);
  Sleep(150);
  xcb_test_fake_input(conn, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  xcb_flush(conn);
  Sleep(50);
  xcb_test_fake_input(conn, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  xcb_flush(conn);
  Sleep(400);
}

// Types lower-case letters and blanks through the keyboard's key codes.
bool Type(const std::string& text) {
  const xcb_setup_t* setup = xcb_get_setup(conn);
  auto* m = xcb_get_keyboard_mapping_reply(
      conn, xcb_get_keyboard_mapping(conn, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1), nullptr);
  if (!m) return false;
  std::map<uint32_t, uint8_t> codes;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(m);
  for (int k = 0; k <= setup->max_keycode - setup->min_keycode; ++k)
    if (!codes.count(syms[k * m->keysyms_per_keycode]))
      codes[syms[k * m->keysyms_per_keycode]] = static_cast<uint8_t>(setup->min_keycode + k);
  std::free(m);
  for (char c : text) {
    auto it = codes.find(static_cast<unsigned char>(c));
    if (it == codes.end()) return false;
    xcb_test_fake_input(conn, XCB_KEY_PRESS, it->second, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(conn, XCB_KEY_RELEASE, it->second, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(conn);
    Sleep(60);
  }
  Sleep(300);
  return true;
}

bool Grab(xcb_window_t w, const std::string& path) {
  auto* g = xcb_get_geometry_reply(conn, xcb_get_geometry(conn, w), nullptr);
  if (!g) return false;
  const int width = g->width, height = g->height;
  std::free(g);
  auto* img = xcb_get_image_reply(
      conn, xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, width, height, ~0u), nullptr);
  if (!img) return false;
  const uint8_t* d = xcb_get_image_data(img);
  const bool ok = img->depth == 24 && xcb_get_image_data_length(img) >= width * height * 4;
  if (ok) {
    std::ofstream f(path, std::ios::binary);
    f << "P6\n" << width << " " << height << "\n255\n";
    for (int i = 0; i < width * height; ++i) {
      const char rgb[3] = {static_cast<char>(d[4 * i + 2]), static_cast<char>(d[4 * i + 1]), static_cast<char>(d[4 * i])};
      f.write(rgb, 3);
    }
  }
  std::free(img);
  return ok;
}

void CloseWindow(xcb_window_t w) {
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = w;
  ev.type = Atom("WM_PROTOCOLS");
  ev.data.data32[0] = Atom("WM_DELETE_WINDOW");
  ev.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(conn, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
  xcb_flush(conn);
}

int WaitFor(pid_t pid, int ms) {
  for (int waited = 0; waited <= ms; waited += 20) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    Sleep(20);
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 11) return Fail("usage: PROGRAM EDITOR.ppm BAR ITEM TEXT PLACEHOLDER NAME FIRSTNAME SAVE CLOSE");
  const std::string program = argv[1];
  conn = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(conn)) return Fail("no X server");
  root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;

  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(program.substr(0, program.rfind('/')).c_str()) != 0) _exit(126);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  auto fail = [pid](const std::string& why) {
    kill(pid, SIGKILL);
    return Fail(why);
  };
  const xcb_window_t main = FindWindow("Orvelan", 30000);
  if (!main) return fail("the program's window did not appear");
  Sleep(1500);
  Click(main, Parse(argv[3]));
  Click(main, Parse(argv[4]));
  const xcb_window_t editor = FindWindow("Vorlagen", 10000);
  if (!editor) return fail("\"Vorlagen erfassen\" opened no editor");
  Sleep(800);
  Click(editor, Parse(argv[5]));
  if (!Type("hallo ")) return fail("no key codes for the letters");
  Click(editor, Parse(argv[6]));
  Click(editor, Parse(argv[7]));
  Click(editor, Parse(argv[8]));
  if (!Grab(editor, argv[2])) return fail("could not grab the editor");
  Click(editor, Parse(argv[9]));
  Click(editor, Parse(argv[10]));
  for (int waited = 0; Viewable(editor); waited += 50) {
    if (waited > 5000) return fail("the editor did not close");
    Sleep(50);
  }
  CloseWindow(main);
  const int end = WaitFor(pid, 15000);
  if (end != 0) {
    if (end < 0) kill(pid, SIGKILL);
    return Fail("the program did not end when its window was closed (" + std::to_string(end) + ")");
  }
  xcb_disconnect(conn);
  return 0;
}
