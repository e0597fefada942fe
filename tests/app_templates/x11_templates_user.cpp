// A user at a virtual X server (run by the real program's template test):
// starts the program, opens "Vorlagen erfassen" from its menu bar, clicks
// into the template's text, types, inserts a placeholder from the menu,
// saves, closes the editor, then the program as a window manager would.
//   x11_templates_user PROGRAM BAR ITEM TEXT PLACEHOLDER NAME FIRSTNAME SAVE CLOSE
// Points are "x,y": BAR and ITEM in the main window, the rest in the editor's.
// Exits 0 when every step did what it should.
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>

namespace {

xcb_connection_t* conn = nullptr;
xcb_window_t root = 0;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

xcb_atom_t Atom(const char* name) {
  auto* r = xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, std::strlen(name), name), nullptr);
  const xcb_atom_t a = r ? r->atom : 0;
  std::free(r);
  return a;
}

bool Viewable(xcb_window_t w) {
  auto* r = xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, w), nullptr);
  const bool v = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
  std::free(r);
  return v;
}

// A viewable top-level window whose name starts with `prefix` (0: none in time).
xcb_window_t FindWindow(const std::string& prefix, int ms) {
  for (int waited = 0; waited <= ms; waited += 50, Sleep(50)) {
    auto* tree = xcb_query_tree_reply(conn, xcb_query_tree(conn, root), nullptr);
    xcb_window_t found = 0;
    for (int i = 0; tree && i < xcb_query_tree_children_length(tree) && !found; ++i) {
      const xcb_window_t w = xcb_query_tree_children(tree)[i];
      auto* name = xcb_get_property_reply(
          conn, xcb_get_property(conn, 0, w, Atom("_NET_WM_NAME"), XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
      if (name && Viewable(w) &&
          std::string(static_cast<const char*>(xcb_get_property_value(name)), xcb_get_property_value_length(name))
                  .rfind(prefix, 0) == 0)
        found = w;
      std::free(name);
    }
    std::free(tree);
    if (found) return found;
  }
  return 0;
}

void Click(xcb_window_t w, const char* at) {
  int x = 0, y = 0;
  std::sscanf(at, "%d,%d", &x, &y);
  auto* t = xcb_translate_coordinates_reply(conn, xcb_translate_coordinates(conn, w, root, 0, 0), nullptr);
  if (t) x += t->dst_x, y += t->dst_y;
  std::free(t);
  xcb_test_fake_input(conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, static_cast<int16_t>(x),
                      static_cast<int16_t>(y), 0);
  xcb_flush(conn);
  Sleep(150);
  for (uint8_t type : {XCB_BUTTON_PRESS, XCB_BUTTON_RELEASE})
    xcb_test_fake_input(conn, type, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  xcb_flush(conn);
  Sleep(400);
}

// Types lower-case letters and blanks by the key codes of their key symbols.
bool Type(const std::string& text) {
  const xcb_setup_t* s = xcb_get_setup(conn);
  const int count = s->max_keycode - s->min_keycode + 1;
  auto* m = xcb_get_keyboard_mapping_reply(conn, xcb_get_keyboard_mapping(conn, s->min_keycode, count), nullptr);
  if (!m) return false;
  std::map<uint32_t, uint8_t> codes;
  for (int k = count - 1; k >= 0; --k)
    codes[xcb_get_keyboard_mapping_keysyms(m)[k * m->keysyms_per_keycode]] = static_cast<uint8_t>(s->min_keycode + k);
  std::free(m);
  for (char c : text) {
    if (!codes.count(static_cast<unsigned char>(c))) return false;
    for (uint8_t type : {XCB_KEY_PRESS, XCB_KEY_RELEASE})
      xcb_test_fake_input(conn, type, codes[static_cast<unsigned char>(c)], XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(conn);
    Sleep(60);
  }
  return true;
}

int Fail(pid_t pid, const char* why) {
  if (pid > 0) kill(pid, SIGKILL);
  std::fprintf(stderr, "x11 user: %s\n", why);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 10) return Fail(0, "usage: PROGRAM BAR ITEM TEXT PLACEHOLDER NAME FIRSTNAME SAVE CLOSE");
  conn = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(conn)) return Fail(0, "no X server");
  root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
  const std::string program = argv[1];
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(program.substr(0, program.rfind('/')).c_str()) != 0) _exit(126);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  const xcb_window_t main = FindWindow("Orvelan", 30000);
  if (!main) return Fail(pid, "the program's window did not appear");
  Sleep(1500);
  Click(main, argv[2]);
  Click(main, argv[3]);
  const xcb_window_t editor = FindWindow("Vorlagen", 10000);
  if (!editor) return Fail(pid, "\"Vorlagen erfassen\" opened no editor");
  Sleep(800);
  Click(editor, argv[4]);
  if (!Type("hallo ")) return Fail(pid, "no key codes for the letters");
  for (int i = 5; i < 10; ++i) Click(editor, argv[i]);
  for (int waited = 0; Viewable(editor); waited += 50, Sleep(50))
    if (waited > 5000) return Fail(pid, "the editor did not close");
  // Closed as a window manager closes it; the program then ends.
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = main;
  ev.type = Atom("WM_PROTOCOLS");
  ev.data.data32[0] = Atom("WM_DELETE_WINDOW");
  xcb_send_event(conn, 0, main, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
  xcb_flush(conn);
  for (int waited = 0; waited <= 15000; waited += 20, Sleep(20)) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
  }
  return Fail(pid, "the program did not end when its window was closed");
}
