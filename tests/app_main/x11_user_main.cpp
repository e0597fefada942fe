// A user at a virtual X server (run by the real-program test): starts the
// real program, waits for its window, grabs what it shows, clicks a day in
// its calendar through the server's input devices, grabs it again after
// the debounce, covers it with another window, starts the program a second
// time (which must end by itself) and checks that the first window came
// back on top; then closes it as a window manager would and waits for the
// program to end. Exits 0 when every step did what it should.
//
//   orvelan_x11_user PROGRAM CLICK_X CLICK_Y BEFORE.ppm AFTER.ppm
//
// CLICK_X/CLICK_Y are window co-ordinates; the pictures are P6 files of the
// program's whole window (menu bar included).
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

xcb_connection_t* conn = nullptr;
xcb_window_t root = 0;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int Fail(const std::string& why) {
  std::fprintf(stderr, "x11 user: %s\n", why.c_str());
  return 1;
}

pid_t Spawn(const std::string& program) {
  const std::string dir = program.substr(0, program.rfind('/'));
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

// Waits up to `ms` for the process; its exit code, -1 when it did not end.
int WaitFor(pid_t pid, int ms) {
  for (int waited = 0; waited <= ms; waited += 20) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    Sleep(20);
  }
  return -1;
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

// The top-level windows from bottom to top.
std::vector<xcb_window_t> Stack() {
  std::vector<xcb_window_t> out;
  auto* r = xcb_query_tree_reply(conn, xcb_query_tree(conn, root), nullptr);
  if (!r) return out;
  const xcb_window_t* c = xcb_query_tree_children(r);
  out.assign(c, c + xcb_query_tree_children_length(r));
  std::free(r);
  return out;
}

bool Viewable(xcb_window_t w) {
  auto* r = xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, w), nullptr);
  const bool v = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
  std::free(r);
  return v;
}

xcb_window_t FindProgramWindow(int ms) {
  for (int waited = 0; waited <= ms; waited += 50) {
    for (xcb_window_t w : Stack())
      if (Viewable(w) && WindowName(w).rfind("Orvelan", 0) == 0) return w;
    Sleep(50);
  }
  return 0;
}

int StackIndex(xcb_window_t w) {
  const std::vector<xcb_window_t> s = Stack();
  for (std::size_t i = 0; i < s.size(); ++i)
    if (s[i] == w) return static_cast<int>(i);
  return -1;
}

bool Geometry(xcb_window_t w, int& x, int& y, int& width, int& height) {
  auto* g = xcb_get_geometry_reply(conn, xcb_get_geometry(conn, w), nullptr);
  auto* t = xcb_translate_coordinates_reply(conn, xcb_translate_coordinates(conn, w, root, 0, 0), nullptr);
  const bool ok = g && t;
  if (ok) {
    x = t->dst_x;
    y = t->dst_y;
    width = g->width;
    height = g->height;
  }
  std::free(g);
  std::free(t);
  return ok;
}

bool Grab(xcb_window_t w, const std::string& path) {
  int x, y, width, height;
  if (!Geometry(w, x, y, width, height)) return false;
  auto* img = xcb_get_image_reply(
      conn, xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, width, height, ~0u), nullptr);
  if (!img) return false;
  const uint8_t* d = xcb_get_image_data(img);
  const int len = xcb_get_image_data_length(img);
  bool ok = img->depth == 24 && len >= width * height * 4;
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

void Click(xcb_window_t w, int cx, int cy) {
  int x, y, width, height;
  Geometry(w, x, y, width, height);
  xcb_test_fake_input(conn, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, static_cast<int16_t>(x + cx),
                      static_cast<int16_t>(y + cy), 0);
  xcb_flush(conn);
  Sleep(100);
  xcb_test_fake_input(conn, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  xcb_flush(conn);
  Sleep(50);
  xcb_test_fake_input(conn, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  xcb_flush(conn);
}

// Asks the window to close as a window manager's close button does.
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) return Fail("usage: PROGRAM CLICK_X CLICK_Y BEFORE.ppm AFTER.ppm");
  const std::string program = argv[1];
  const int clickX = std::atoi(argv[2]), clickY = std::atoi(argv[3]);
  conn = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(conn)) return Fail("no X server");
  root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;

  const pid_t first = Spawn(program);
  const xcb_window_t w = FindProgramWindow(30000);
  if (!w) {
    kill(first, SIGKILL);
    return Fail("the program's window did not appear");
  }
  Sleep(1500);  // first paint, the start-up step 200 ms later, the page
  if (!Grab(w, argv[4])) return Fail("could not grab the window");
  Click(w, clickX, clickY);
  Sleep(1500);  // the 400 ms debounce and the page
  if (!Grab(w, argv[5])) return Fail("could not grab the window again");

  // Another window covers the program's.
  int x, y, width, height;
  Geometry(w, x, y, width, height);
  const xcb_window_t cover = xcb_generate_id(conn);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
  const uint32_t values[] = {screen->white_pixel, 1};
  xcb_create_window(conn, XCB_COPY_FROM_PARENT, cover, root, static_cast<int16_t>(x), static_cast<int16_t>(y),
                    static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
  xcb_map_window(conn, cover);
  xcb_flush(conn);
  Sleep(300);
  if (StackIndex(cover) < StackIndex(w)) return Fail("the cover did not come on top");

  // The second start ends by itself and brings the first window up.
  const pid_t second = Spawn(program);
  const int rc = WaitFor(second, 20000);
  if (rc != 0) {
    if (rc < 0) kill(second, SIGKILL);
    return Fail("the second start did not end by itself (" + std::to_string(rc) + ")");
  }
  bool onTop = false;
  for (int waited = 0; waited < 5000 && !onTop; waited += 50) {
    onTop = StackIndex(w) > StackIndex(cover);
    if (!onTop) Sleep(50);
  }
  if (!onTop) return Fail("the first window did not come to the front");

  CloseWindow(w);
  const int end = WaitFor(first, 15000);
  if (end != 0) {
    if (end < 0) kill(first, SIGKILL);
    return Fail("the program did not end when its window was closed (" + std::to_string(end) + ")");
  }
  xcb_disconnect(conn);
  return 0;
}
